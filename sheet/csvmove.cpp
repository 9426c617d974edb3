// Cell store: moving cells, rows and columns; sort, rotate, automatic widths.
// Rows always move as whole records; references in formulas follow through csv_adj_*.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "sheet/csv.h"
#include "base/kovlog.h"

int CSV_U::csv_move_cel(int tx, int ty, int sx, int sy)
{
    if (!csv_in(tx, ty) || !csv_in(sx, sy)) return -1;
    if (tx == sx && ty == sy) return 0;
    CSV_CEL *s = csv_get_cel(sx, sy);
    if (!s || csv_cel_use(s) == 0) return csv_put_cel(tx, ty, nullptr, CSV_P_ALL);
    CSV_CEL *t = csv_new_cel(tx, ty);
    if (!t) {
        KOV_LOG("csv_new_cel(%d,%d) 失敗", tx, ty);
        return -1;
    }
    s = csv_get_cel(sx, sy);  // the source row may just have been reallocated
    csv_cel_free(t);
    *t = *s;
    memset(s, 0, sizeof *s);
    csv_trim_row(&csv_rows[sy]);
    csv_rows[ty].noform = 0;
    csv_modify = 1;
    return 0;
}

int CSV_U::csv_clr_rows(int y, int n)
{
    if (!csv_rows || y < 0 || n < 1 || y > csv_ys - n) return -1;
    for (int i = y; i < y + n; i++) {
        csv_free_row(&csv_rows[i]);
        CSV_RECT r = {0, i, csv_xs - 1, i};
        csv_redraw(&r);
    }
    csv_modify = 1;
    return 0;
}

int CSV_U::csv_swap_rows(int a, int b)
{
    if (!csv_rows || a < 0 || a >= csv_ys || b < 0 || b >= csv_ys) return -1;
    csv_used = csv_ys;   // rows moved: every row is walked again
    std::swap(csv_rows[a], csv_rows[b]);
    CSV_RECT ra = {0, a, csv_xs - 1, a}, rb = {0, b, csv_xs - 1, b};
    csv_redraw(&ra);
    csv_redraw(&rb);
    csv_modify = 1;
    return 0;
}

// After a move of columns or rows: the display, the formulas, the flag, the values.
// An empty block (the move reached the sheet's end) has no reference to shift.
static void after_move(CSV_U *u, const CSV_CFT &cft)
{
    u->csv_redraw(nullptr);
    if (cft.x1 <= cft.x2 && cft.y1 <= cft.y2) u->csv_adj_sheet(&cft);
    u->csv_set_modify(1);
    u->csv_form_calc(nullptr);
}

// A block of n rows or columns from at: -1 unless it starts inside size (and n >= 1); a block
// running past the end is cut there.
static int cut_block(int at, int &n, int size)
{
    if (at < 0 || at >= size || n < 1) return -1;
    if (n > size - at) n = size - at;
    return 0;
}

int CSV_U::csv_del_cols(int x, int n)
{
    if (!csv_rows || cut_block(x, n, csv_xs) < 0) return -1;
    memmove(&csv_cols[x], &csv_cols[x + n], size_t(csv_xs - x - n) * sizeof(CSV_COL));
    for (int i = csv_xs - n; i < csv_xs; i++) csv_cols[i] = CSV_COL{csv_defwide, csv_defword};
    csv_calc_left();
    for (int y = 0; y < csv_ys; y++) {
        CSV_ROW *r = &csv_rows[y];
        if (r->cnt <= x) continue;
        int end = std::min(r->cnt, x + n);
        for (int i = x; i < end; i++) csv_cel_free(&r->cel[i]);
        int moved = r->cnt - end;
        memmove(&r->cel[x], &r->cel[end], size_t(moved) * sizeof(CSV_CEL));
        r->cnt = x + moved;
        if (moved) r->noform = 0;
        csv_trim_row(r);
    }
    after_move(this, CSV_CFT{x + n, 0, csv_xs - 1, csv_ys - 1, -n, 0, 0});
    return 0;
}

int CSV_U::csv_ins_cols(int x, int n)
{
    if (!csv_rows || cut_block(x, n, csv_xs) < 0) return -1;
    // Room first, so that a failure leaves the sheet as it was.
    for (int y = 0; y < csv_ys; y++) {
        CSV_ROW *r = &csv_rows[y];
        if (r->cnt > x && csv_grow_row(r, std::min(r->cnt + n, csv_xs)) < 0) {
            KOV_LOG("csv_ins_cols(%d,%d) 失敗", x, n);
            return -1;
        }
    }
    memmove(&csv_cols[x + n], &csv_cols[x], size_t(csv_xs - x - n) * sizeof(CSV_COL));
    for (int i = x; i < x + n; i++) csv_cols[i] = CSV_COL{csv_defwide, csv_defword};
    csv_calc_left();
    for (int y = 0; y < csv_ys; y++) {
        CSV_ROW *r = &csv_rows[y];
        if (r->cnt <= x) continue;
        for (int i = csv_xs - n; i < r->cnt; i++) csv_cel_free(&r->cel[i]);  // pushed off the sheet
        int keep = std::min(r->cnt, csv_xs - n) - x;
        memmove(&r->cel[x + n], &r->cel[x], size_t(keep) * sizeof(CSV_CEL));
        memset(&r->cel[x], 0, size_t(n) * sizeof(CSV_CEL));
        r->cnt = x + n + keep;
        r->noform = 0;
        csv_trim_row(r);
    }
    after_move(this, CSV_CFT{x, 0, csv_xs - 1, csv_ys - 1, n, 0, 0});
    return 0;
}

int CSV_U::csv_del_rows(int y, int n)
{
    if (!csv_rows || cut_block(y, n, csv_ys) < 0) return -1;
    for (int i = y; i < y + n; i++) csv_free_row(&csv_rows[i]);
    memmove(&csv_rows[y], &csv_rows[y + n], size_t(csv_ys - y - n) * sizeof(CSV_ROW));
    memset(&csv_rows[csv_ys - n], 0, size_t(n) * sizeof(CSV_ROW));
    after_move(this, CSV_CFT{0, y + n, csv_xs - 1, csv_ys - 1, 0, -n, 0});
    return 0;
}

int CSV_U::csv_ins_rows(int y, int n)
{
    if (!csv_rows || cut_block(y, n, csv_ys) < 0) return -1;
    csv_used = csv_ys;
    for (int i = csv_ys - n; i < csv_ys; i++) csv_free_row(&csv_rows[i]);  // pushed off the sheet
    memmove(&csv_rows[y + n], &csv_rows[y], size_t(csv_ys - y - n) * sizeof(CSV_ROW));
    memset(&csv_rows[y], 0, size_t(n) * sizeof(CSV_ROW));
    after_move(this, CSV_CFT{0, y, csv_xs - 1, csv_ys - 1, 0, n, 0});
    return 0;
}

// ---------------------------------------------------------------- sort and rotate

// Formulas of a row that moved from yold to ynew follow it (only rows holding a formula).
int CSV_U::csv_adj_moved_row(int yold, int ynew)
{
    if (yold == ynew) return 0;
    const CSV_ROW *r = &csv_rows[ynew];
    bool any = false;
    for (int x = 0; x < r->cnt && !any; x++) any = r->cel[x].form != nullptr;
    if (!any) return 0;
    CSV_CFT cft = {0, yold, csv_xs - 1, yold, 0, ynew - yold, 0};
    return csv_adj_row(0, csv_xs - 1, ynew, &cft);
}

// Sort classes: empty < number < text.
static int sort_class(const CSV_CEL *c)
{
    switch (CSV_U::csv_cel_type(c)) {
    case CSV_NUM: return 1;
    case CSV_SSTR:
    case CSV_LSTR: return 2;
    default: return 0;
    }
}

// Numbers by value; NaN below every number so that the order stays a strict weak one.
static int cmp_num(double a, double b)
{
    bool na = a != a, nb = b != b;
    if (na || nb) return int(nb) - int(na);
    return a < b ? -1 : a > b ? 1 : 0;
}

// <0, 0, >0: the key cell of row a against that of row b.
int CSV_U::csv_cmp_key(const CSV_ROW *a, const CSV_ROW *b, int key) const
{
    const CSV_CEL *ca = key < a->cnt ? &a->cel[key] : nullptr;
    const CSV_CEL *cb = key < b->cnt ? &b->cel[key] : nullptr;
    int ka = sort_class(ca), kb = sort_class(cb);
    if (ka != kb) return ka - kb;
    if (ka == 1) return cmp_num(ca->val.d, cb->val.d);
    if (ka == 0) return 0;
    char ba[9], bb[9];
    const unsigned char *sa = reinterpret_cast<const unsigned char *>(csv_cel_str(ca, ba));
    const unsigned char *sb = reinterpret_cast<const unsigned char *>(csv_cel_str(cb, bb));
    for (int i = 0; i < CSV_DSP_MAX - 1; i++) {  // display texts of at most 4096 bytes
        if (sa[i] != sb[i] || !sa[i]) return int(sa[i]) - int(sb[i]);
    }
    return 0;
}

namespace {
struct SORT_ENT {
    CSV_ROW row;
    int32_t old;
};
}

int CSV_U::csv_sort_rows(int order, int key, int y, int n)
{
    if (!csv_rows || key < 0 || key >= csv_xs || y < 0 || y >= csv_ys || n < 1 || n > csv_ys - y) return -1;
    if (n == 1) return 0;
    csv_used = csv_ys;
    auto *ent = static_cast<SORT_ENT *>(malloc(size_t(n) * sizeof(SORT_ENT)));
    if (!ent) {
        KOV_LOG("csv_sort_rows(%d,%d) 失敗", y, n);
        return -1;
    }
    for (int i = 0; i < n; i++) ent[i] = SORT_ENT{csv_rows[y + i], y + i};
    std::stable_sort(ent, ent + n, [&](const SORT_ENT &a, const SORT_ENT &b) {
        int c = csv_cmp_key(&a.row, &b.row, key);
        return order ? c > 0 : c < 0;
    });
    for (int i = 0; i < n; i++) csv_rows[y + i] = ent[i].row;
    for (int i = 0; i < n; i++) csv_adj_moved_row(ent[i].old, y + i);
    free(ent);
    csv_modify = 1;
    csv_redraw(nullptr);
    csv_form_calc(nullptr);
    return 0;
}

int CSV_U::csv_rot_rows(int dir, int y, int n)
{
    if (!csv_rows || (dir != 0 && dir != 1) || y < 0 || y >= csv_ys || n < 1 || n > csv_ys - y) return -1;
    if (n < 2) return 0;
    csv_used = csv_ys;
    int last = y + n - 1;
    CSV_ROW t;
    if (dir == 0) {
        t = csv_rows[y];
        memmove(&csv_rows[y], &csv_rows[y + 1], size_t(n - 1) * sizeof(CSV_ROW));
        csv_rows[last] = t;
    } else {
        t = csv_rows[last];
        memmove(&csv_rows[y + 1], &csv_rows[y], size_t(n - 1) * sizeof(CSV_ROW));
        csv_rows[y] = t;
    }
    for (int i = y; i <= last; i++) {
        int old = dir == 0 ? (i == last ? y : i + 1) : (i == y ? last : i - 1);
        csv_adj_moved_row(old, i);
    }
    csv_modify = 1;
    csv_redraw(nullptr);
    csv_form_calc(nullptr);
    return 0;
}

// ---------------------------------------------------------------- automatic widths

static int clamp_wide(int w, int lo) { return w < lo ? lo : w > 79 ? 79 : w; }

int CSV_U::csv_set_autowide(int minwide)
{
    KOV_LOG("csv_set_autowide(%d)", minwide);
    if (!csv_rows) return -1;
    minwide = clamp_wide(minwide, 2);
    int *len = static_cast<int *>(calloc(size_t(csv_xs), sizeof(int)));
    if (!len) return -1;
    char buf[CSV_DSP_MAX];
    for (int y = 0; y < csv_ys; y++) {
        const CSV_ROW *r = &csv_rows[y];
        for (int x = 0; x < r->cnt; x++)
            if (r->cel[x].flags & CSV_TYPE_MASK) len[x] = std::max(len[x], csv_dsp_text(x, y, 0, 4096, buf));
    }
    for (int x = 0; x < csv_xs; x++) csv_cols[x].wide = int16_t(clamp_wide(len[x] ? len[x] + 1 : csv_defwide, minwide));
    if (csv_rncol >= 0 && csv_rncol < csv_xs) csv_rnwide = clamp_wide(len[csv_rncol] ? len[csv_rncol] + 1 : 5, minwide);
    free(len);
    csv_calc_left();
    csv_modify = 1;
    csv_redraw(nullptr);
    csv_redraw_head();
    return 0;
}
