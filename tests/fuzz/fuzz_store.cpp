// Store operations driven by the input on a small sheet loaded from the input: rows and
// columns inserted and deleted, sort, rotate, swap, move, clear, clipboard paste and move.
// After each step the rows are well formed and every cell is where a plain model of the
// sheet says (value, attributes, whether it has a formula); a refused step changes nothing.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "sheet/csvfile.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

struct CELL_M {
    int cls = 0;          // 0 empty, 1 number, 2 text
    std::string text;
    uint64_t bits = 0;
    uint32_t attr = 0;
    bool form = false;
    bool operator==(const CELL_M &) const = default;
};
using ROW_M = std::vector<CELL_M>;
using SHEET_M = std::vector<ROW_M>;

CELL_M cell_of(const CSV_CEL *c)
{
    CELL_M m;
    if (!c) return m;
    int t = CSV_U::csv_cel_type(c);
    char b[9];
    if (t == CSV_NUM) {
        m.cls = 1;
        memcpy(&m.bits, &c->val.d, sizeof m.bits);
    } else if (t == CSV_SSTR || t == CSV_LSTR) {
        m.cls = 2;
        m.text = CSV_U::csv_cel_str(c, b);
    }
    m.attr = c->flags & CSV_ATTR_MASK;
    m.form = c->form != nullptr;
    return m;
}

// The sheet as the model sees it; the row records checked on the way.
SHEET_M snapshot(const CSV_U &s)
{
    int xs = s.csv_get_xs(), ys = s.csv_get_ys();
    SHEET_M m(size_t(ys), ROW_M(static_cast<size_t>(xs)));
    for (int y = 0; y < ys; y++) {
        const CSV_ROW *r = s.csv_get_row(y);
        FUZZ_CHECK(r && r->cnt >= 0 && r->cnt <= xs && r->cnt <= r->cap && (r->cnt == 0 || r->cel));
        for (int x = 0; x < r->cnt; x++) m[y][x] = cell_of(&r->cel[x]);
    }
    int left = 0;
    for (int x = 0; x < xs; x++) {
        CSV_COL c;
        FUZZ_CHECK(s.csv_get_col(x, &c) == 0 && c.left == left);
        left += c.wide;
    }
    return m;
}

int cut(int at, int n, int size) { return std::min(n, size - at); }

// Sort order of the store: empty < number < text; NaN below every number; texts by bytes.
int cmp_cell(const CELL_M &a, const CELL_M &b)
{
    if (a.cls != b.cls) return a.cls - b.cls;
    if (a.cls == 1) {
        double x, y;
        memcpy(&x, &a.bits, sizeof x);
        memcpy(&y, &b.bits, sizeof y);
        if (x != x || y != y) return int(y != y) - int(x != x);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (a.cls == 0) return 0;
    const std::string sa = a.text.substr(0, CSV_DSP_MAX - 1), sb = b.text.substr(0, CSV_DSP_MAX - 1);
    return sa.compare(sb) < 0 ? -1 : sa == sb ? 0 : 1;   // std::string compares bytes unsigned
}

struct RUN {
    CSV_U &s;
    CSVFILE_U &f;
    FUZZ_IN &in;
    SHEET_M m;
    int xs, ys;

    int col(int extra = 1) { return in.below(xs + extra); }
    int row(int extra = 1) { return in.below(ys + extra); }
    int count(int size)   // 1 .. size + 1, and 0 now and then
    {
        int n = 1 + in.below(size + 1);
        return in.u8() == 0 ? 0 : n;
    }

    // One step; the model follows when the store accepts it (the clipboard steps and texts
    // have no model: the sheet is read again after them).
    void step()
    {
        SHEET_M want = m;
        bool modelled = true;
        int rc = 0;
        switch (in.u8() % 14) {
        case 0: {
            int y = row(), n = count(ys);
            rc = s.csv_ins_rows(y, n);
            if (rc == 0) {
                n = cut(y, n, ys);
                want.insert(want.begin() + y, size_t(n), ROW_M(size_t(xs)));
                want.resize(size_t(ys));
            }
            break;
        }
        case 1: {
            int y = row(), n = count(ys);
            rc = s.csv_del_rows(y, n);
            if (rc == 0) {
                n = cut(y, n, ys);
                want.erase(want.begin() + y, want.begin() + y + n);
                want.resize(size_t(ys), ROW_M(size_t(xs)));
            }
            break;
        }
        case 2: {
            int x = col(), n = count(xs);
            rc = s.csv_ins_cols(x, n);
            if (rc == 0) {
                n = cut(x, n, xs);
                for (auto &r : want) {
                    r.insert(r.begin() + x, size_t(n), CELL_M());
                    r.resize(size_t(xs));
                }
            }
            break;
        }
        case 3: {
            int x = col(), n = count(xs);
            rc = s.csv_del_cols(x, n);
            if (rc == 0) {
                n = cut(x, n, xs);
                for (auto &r : want) {
                    r.erase(r.begin() + x, r.begin() + x + n);
                    r.resize(size_t(xs));
                }
            }
            break;
        }
        case 4: {
            int order = in.u8() & 1, key = col(), y = row(), n = count(ys);
            rc = s.csv_sort_rows(order, key, y, n);
            if (rc == 0)
                std::stable_sort(want.begin() + y, want.begin() + y + n, [&](const ROW_M &a, const ROW_M &b) {
                    int c = cmp_cell(a[key], b[key]);
                    return order ? c > 0 : c < 0;
                });
            break;
        }
        case 5: {
            int dir = in.below(3), y = row(), n = count(ys);
            rc = s.csv_rot_rows(dir, y, n);
            if (rc == 0 && dir == 0) std::rotate(want.begin() + y, want.begin() + y + 1, want.begin() + y + n);
            if (rc == 0 && dir == 1) std::rotate(want.begin() + y, want.begin() + y + n - 1, want.begin() + y + n);
            break;
        }
        case 6: {
            int tx = col(), ty = row(), sx = col(), sy = row();
            rc = s.csv_move_cel(tx, ty, sx, sy);
            if (rc == 0 && (tx != sx || ty != sy)) {
                want[ty][tx] = want[sy][sx];
                want[sy][sx] = CELL_M();
            }
            break;
        }
        case 7: {
            int a = row(), b = row();
            rc = s.csv_swap_rows(a, b);
            if (rc == 0) std::swap(want[a], want[b]);
            break;
        }
        case 8: {
            int y = row(), n = count(ys);
            rc = s.csv_clr_rows(y, n);
            if (rc == 0)
                for (int i = y; i < y + n; i++) want[i] = ROW_M(size_t(xs));
            break;
        }
        case 9: {
            int x = col(), y = row(), mask = in.below(8);
            rc = s.csv_clr_cel(x, y, mask);
            if (rc == 0 && x < xs && y < ys) {
                CELL_M &c = want[y][x];
                if (mask & CSV_P_VAL) c.cls = 0, c.text.clear(), c.bits = 0;
                if (mask & CSV_P_FORM) c.form = false;
                if (mask & CSV_P_ATTR) c.attr = 0;
            }
            break;
        }
        case 10: {   // clipboard text from the input pasted, with or without adjustment
            s.csv_host().host_clip_put(in.take(in.below(64)));
            CSV_RECT t = {col(), row(), col(), row()};
            f.csv_clip_paste(&t, in.u8() & 1);
            modelled = false;
            break;
        }
        case 11: {   // a block copied and moved
            CSV_RECT a = {col(0), row(0), col(), row()}, t = {col(), row(), 0, 0};
            if (f.csv_clip_copy(&a, (in.u8() & 1) ? "$$b" : "$$t") == 0) f.csv_clip_move(&t);
            modelled = false;
            break;
        }
        case 12: {
            int x = col(), y = row();
            std::string t = in.take(in.below(12));
            rc = s.csv_put_str(x, y, t.c_str());
            modelled = false;
            break;
        }
        default:
            s.cse_del_allcel();
            for (auto &r : want) r = ROW_M(size_t(xs));
            break;
        }
        SHEET_M now = snapshot(s);
        if (modelled || rc < 0) FUZZ_CHECK(now == want);
        m = now;
    }
};

// Transfer files in the target's own folder, removed at the end.
struct HOST : KOV_HOST {
    std::string host_tmp_dir() override { return fuzz_tmpdir(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FUZZ_IN in{data, size};
    std::string text = in.take(in.u16() % 1024);
    static HOST host;
    CSV_U s;
    s.csv_set_host(&host);
    CSVFILE_U f(s);
    f.csv_defxs = 8;
    f.csv_defys = 8;
    static const bool named = [&] {
        for (const char *k : {"$$b", "$$t"}) fuzz_tmpname(f.csv_tmp_name(k).substr(fuzz_tmpdir().size() + 1).c_str());
        return true;
    }();
    (void)named;
    if (f.csv_fload_mem(nullptr, text.data(), text.size(), nullptr) < 0) return 0;
    int xs = std::min(s.csv_get_xs(), 12), ys = std::min(s.csv_get_ys(), 16);
    if (s.csv_resize(xs, ys) < 0) return 0;
    RUN run{s, f, in, snapshot(s), xs, ys};
    for (int i = 0; i < 64 && !in.empty(); i++) run.step();
    return 0;
}
