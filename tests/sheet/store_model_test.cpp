// Random operations on a small store checked against a plain grid after every step:
// values, formulas, attributes, and the trimmed length of every row.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/store_facade.h"

using storetest::Sheet;

namespace {

struct Cell {
    std::string val, form;  // val as Sheet::val
    int attr = 0;           // text colour only
    bool used() const { return !val.empty() || !form.empty() || attr; }
};
using Row = std::vector<Cell>;

// The store's sort order: empty < number < text; numbers by value, texts by bytes.
int model_cmp(const Sheet &s, int key, int ya, int yb)
{
    auto cls = [&](int y) {
        int t = s.csv_get_type(key, y);
        return t == CSV_NUM ? 1 : (t == CSV_SSTR || t == CSV_LSTR) ? 2 : 0;
    };
    int ca = cls(ya), cb = cls(yb);
    if (ca != cb || ca == 0) return ca - cb;
    if (ca == 2) return s.val(key, ya).compare(s.val(key, yb));
    double a = s.csv_get_num(key, ya), b = s.csv_get_num(key, yb);
    return a < b ? -1 : a > b ? 1 : 0;
}

void check(const Sheet &s, std::vector<Row> &m, int step)
{
    ASSERT_EQ(s.csv_get_ys(), int(m.size())) << step;
    ASSERT_EQ(s.csv_get_xs(), int(m[0].size())) << step;
    for (int y = 0; y < s.csv_get_ys(); y++) {
        int last = -1;
        for (int x = 0; x < s.csv_get_xs(); x++) {
            Cell &c = m[size_t(y)][size_t(x)];
            if (c.used()) last = x;
            ASSERT_EQ(s.val(x, y), c.val) << "step " << step << " at " << x << "," << y;
            ASSERT_EQ(s.form(x, y), c.form) << "step " << step << " at " << x << "," << y;
            ASSERT_EQ(s.csv_get_attr(x, y, CSV_A_TEXT), c.attr) << "step " << step;
        }
        const CSV_ROW *r = s.csv_get_row(y);
        ASSERT_EQ(r->cnt, last + 1) << "step " << step << " row " << y;
        ASSERT_GE(int(r->cap), r->cnt);
        ASSERT_EQ(r->cel == nullptr, r->cnt == 0) << "step " << step;
    }
}

} // namespace

TEST(StoreModel, RandomOperations)
{
    std::mt19937 rng(20261206);
    Sheet s(6, 8);
    std::vector<Row> m(8, Row(6));
    for (int step = 0; step < 20000; step++) {
        int xs = s.csv_get_xs(), ys = s.csv_get_ys();
        int x = int(rng() % unsigned(xs)), y = int(rng() % unsigned(ys));
        int x2 = int(rng() % unsigned(xs)), y2 = int(rng() % unsigned(ys));
        int n = int(rng() % 4), first = std::min(y, y2), cnt = std::abs(y - y2) + 1;
        Cell &c = m[size_t(y)][size_t(x)];
        switch (rng() % 14) {
        case 0:
        case 1: {
            std::string t(rng() % 13, 'a');  // control bytes are stored as blanks
            for (auto &ch : t) ch = "ab\tZ9 \x01~"[rng() % 8];
            ASSERT_EQ(s.csv_put_str(x, y, t.c_str()), 0);
            for (auto &ch : t) ch = (unsigned char)ch < 0x20 ? ' ' : ch;
            c.val = t;
            break;
        }
        case 2:
            s.csv_put_num(x, y, n - 1.5);
            c.val = Sheet::num_text(n - 1.5);
            break;
        case 3:
            c.form = n ? std::to_string(rng() % 3) + "+1" : "";
            s.csv_put_form(x, y, c.form.c_str());
            break;
        case 4:
            s.csv_set_attr(x, y, CSV_A_TEXT, n);
            c.attr = n;
            break;
        case 5:
            s.csv_clr_cel(x, y, 1 << n % 3);
            if (n % 3 == 0) c.val.clear();
            if (n % 3 == 1) c.form.clear();
            if (n % 3 == 2) c.attr = 0;
            break;
        case 6:
            ASSERT_EQ(s.csv_move_cel(x, y, x2, y2), 0);
            if (x != x2 || y != y2) c = std::exchange(m[size_t(y2)][size_t(x2)], Cell());
            break;
        case 7:
            if (n == 0) break;
            ASSERT_EQ(s.csv_ins_rows(y, n), 0);
            m.insert(m.begin() + y, size_t(n), Row(size_t(xs)));
            m.resize(size_t(ys));
            break;
        case 8:
            if (n == 0) break;
            ASSERT_EQ(s.csv_del_rows(y, n), 0);
            m.erase(m.begin() + y, m.begin() + std::min(ys, y + n));
            m.resize(size_t(ys), Row(size_t(xs)));
            break;
        case 9: {
            bool ins = rng() % 2;
            if (n == 0) break;
            ASSERT_EQ(ins ? s.csv_ins_cols(x, n) : s.csv_del_cols(x, n), 0);
            for (auto &row : m) {
                if (ins) row.insert(row.begin() + x, size_t(n), Cell());
                else row.erase(row.begin() + x, row.begin() + std::min(xs, x + n));
                row.resize(size_t(xs));
            }
            break;
        }
        case 10:
            s.csv_swap_rows(y, y2);
            std::swap(m[size_t(y)], m[size_t(y2)]);
            break;
        case 11:
            ASSERT_EQ(s.csv_rot_rows(n % 2, first, cnt), 0);
            std::rotate(m.begin() + first, m.begin() + first + (n % 2 ? cnt - 1 : 1), m.begin() + first + cnt);
            break;
        case 12: {
            // The expected order from the rows as they stand, before the store moves them.
            std::vector<int> idx(static_cast<size_t>(cnt));
            for (int i = 0; i < cnt; i++) idx[size_t(i)] = first + i;
            std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
                int r = model_cmp(s, x, a, b);
                return n % 2 ? r > 0 : r < 0;
            });
            std::vector<Row> rows;
            for (int i : idx) rows.push_back(m[size_t(i)]);
            ASSERT_EQ(s.csv_sort_rows(n % 2, x, first, cnt), 0);
            std::copy(rows.begin(), rows.end(), m.begin() + first);
            break;
        }
        case 13: {
            if (rng() % 8) break;
            int nx = 1 + int(rng() % 8), ny = 1 + int(rng() % 10);
            ASSERT_EQ(s.csv_resize(nx, ny), 0);
            m.resize(size_t(ny), Row(size_t(xs)));
            for (auto &row : m) row.resize(size_t(nx));
            break;
        }
        }
        check(s, m, step);
        if (HasFatalFailure()) return;
    }
}
