// Random operations on a small store checked against a plain grid after every step:
// values, formulas, attributes, and the trimmed length of every row.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "tests/sheet/store_facade.h"

using storetest::Sheet;

namespace {

struct Cell {
    std::string val;   // as Sheet::val
    std::string form;
    int attr = 0;      // text colour only
    bool used() const { return !val.empty() || !form.empty() || attr; }
};

struct Model {
    int xs, ys;
    std::vector<std::vector<Cell>> g;
    Model(int x, int y) : xs(x), ys(y), g(size_t(y), std::vector<Cell>(size_t(x))) {}
    Cell &at(int x, int y) { return g[size_t(y)][size_t(x)]; }
};

// Sort class and comparison of the store: empty < number < text; numbers by value, texts by bytes.
int model_cmp(const Sheet &s, int key, int ya, int yb)
{
    auto cls = [&](int y) {
        int t = s.csv_get_type(key, y);
        return t == CSV_NUM ? 1 : (t == CSV_SSTR || t == CSV_LSTR) ? 2 : 0;
    };
    int ca = cls(ya), cb = cls(yb);
    if (ca != cb) return ca - cb;
    if (ca == 1) {
        double a = s.csv_get_num(key, ya), b = s.csv_get_num(key, yb);
        return a < b ? -1 : a > b ? 1 : 0;
    }
    if (ca == 2) return s.val(key, ya).compare(s.val(key, yb));
    return 0;
}

void check(const Sheet &s, Model &m, int step)
{
    ASSERT_EQ(s.csv_get_xs(), m.xs) << step;
    ASSERT_EQ(s.csv_get_ys(), m.ys) << step;
    for (int y = 0; y < m.ys; y++) {
        int last = -1;
        for (int x = 0; x < m.xs; x++) {
            Cell &c = m.at(x, y);
            if (c.used()) last = x;
            const char *f = s.csv_get_form(x, y);
            ASSERT_EQ(s.val(x, y), c.val) << "step " << step << " at " << x << "," << y;
            ASSERT_EQ(std::string(f ? f : ""), c.form) << "step " << step << " at " << x << "," << y;
            ASSERT_EQ(s.csv_get_attr(x, y, CSV_A_TEXT), c.attr) << "step " << step;
        }
        const CSV_ROW *r = s.csv_get_row(y);
        ASSERT_EQ(r->cnt, last + 1) << "step " << step << " row " << y;
        ASSERT_GE(int(r->cap), r->cnt);
        ASSERT_EQ(r->cel == nullptr, r->cnt == 0) << "step " << step;
    }
}

std::string rand_text(std::mt19937 &rng)
{
    static const char pool[] = "ab\tZ9 \x01~";
    std::string t(rng() % 13, 'a');
    for (auto &ch : t) ch = pool[rng() % (sizeof pool - 1)];
    return t;
}

std::string stored(std::string t)
{
    for (auto &ch : t)
        if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
    return t;
}

} // namespace

TEST(StoreModel, RandomOperations)
{
    std::mt19937 rng(20261206);
    Sheet s(6, 8);
    Model m(6, 8);
    for (int step = 0; step < 20000; step++) {
        int x = int(rng() % unsigned(m.xs)), y = int(rng() % unsigned(m.ys));
        int x2 = int(rng() % unsigned(m.xs)), y2 = int(rng() % unsigned(m.ys));
        int n = int(rng() % 4);
        switch (rng() % 14) {
        case 0:
        case 1: {
            std::string t = rand_text(rng);
            ASSERT_EQ(s.csv_put_str(x, y, t.c_str()), 0);
            m.at(x, y).val = stored(t);
            break;
        }
        case 2: {
            double d = int(rng() % 7) - 3;
            s.csv_put_num(x, y, d);
            m.at(x, y).val = Sheet::num_text(d);
            break;
        }
        case 3: {
            std::string f = n ? std::to_string(rng() % 3) + "+1" : "";
            s.csv_put_form(x, y, f.c_str());
            m.at(x, y).form = f;
            break;
        }
        case 4:
            s.csv_set_attr(x, y, CSV_A_TEXT, n);
            m.at(x, y).attr = n;
            break;
        case 5:
            s.csv_clr_cel(x, y, 1 << n % 3);
            if (n % 3 == 0) m.at(x, y).val.clear();
            if (n % 3 == 1) m.at(x, y).form.clear();
            if (n % 3 == 2) m.at(x, y).attr = 0;
            break;
        case 6:
            ASSERT_EQ(s.csv_move_cel(x, y, x2, y2), 0);
            if (x != x2 || y != y2) {
                m.at(x, y) = m.at(x2, y2);
                m.at(x2, y2) = Cell();
            }
            break;
        case 7:
            if (n == 0) break;
            ASSERT_EQ(s.csv_ins_rows(y, n), 0);
            for (int i = 0; i < n && y < m.ys; i++) {
                m.g.insert(m.g.begin() + y, std::vector<Cell>(size_t(m.xs)));
                m.g.pop_back();
            }
            break;
        case 8:
            if (n == 0) break;
            ASSERT_EQ(s.csv_del_rows(y, n), 0);
            for (int i = 0; i < n && y < int(m.g.size()); i++) m.g.erase(m.g.begin() + y);
            m.g.resize(size_t(m.ys), std::vector<Cell>(size_t(m.xs)));
            break;
        case 9:
            if (n == 0) break;
            if (rng() % 2) {
                ASSERT_EQ(s.csv_ins_cols(x, n), 0);
                for (auto &row : m.g) {
                    row.insert(row.begin() + x, size_t(std::min(n, m.xs - x)), Cell());
                    row.resize(size_t(m.xs));
                }
            } else {
                ASSERT_EQ(s.csv_del_cols(x, n), 0);
                for (auto &row : m.g) {
                    row.erase(row.begin() + x, row.begin() + std::min(m.xs, x + n));
                    row.resize(size_t(m.xs));
                }
            }
            break;
        case 10:
            s.csv_swap_rows(y, y2);
            std::swap(m.g[size_t(y)], m.g[size_t(y2)]);
            break;
        case 11: {
            int first = std::min(y, y2), cnt = std::abs(y - y2) + 1, dir = n % 2;
            ASSERT_EQ(s.csv_rot_rows(dir, first, cnt), 0);
            if (dir == 0) std::rotate(m.g.begin() + first, m.g.begin() + first + 1, m.g.begin() + first + cnt);
            else std::rotate(m.g.begin() + first, m.g.begin() + first + cnt - 1, m.g.begin() + first + cnt);
            break;
        }
        case 12: {
            int first = std::min(y, y2), cnt = std::abs(y - y2) + 1, order = n % 2;
            // The expected order from the rows as they stand, before the store moves them.
            std::vector<int> idx(static_cast<size_t>(cnt));
            for (int i = 0; i < cnt; i++) idx[size_t(i)] = first + i;
            std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
                int c = model_cmp(s, x, a, b);
                return order ? c > 0 : c < 0;
            });
            std::vector<std::vector<Cell>> rows;
            for (int i : idx) rows.push_back(m.g[size_t(i)]);
            ASSERT_EQ(s.csv_sort_rows(order, x, first, cnt), 0);
            std::copy(rows.begin(), rows.end(), m.g.begin() + first);
            break;
        }
        case 13: {
            if (rng() % 8) break;
            int nx = 1 + int(rng() % 8), ny = 1 + int(rng() % 10);
            ASSERT_EQ(s.csv_resize(nx, ny), 0);
            m.g.resize(size_t(ny), std::vector<Cell>(size_t(m.xs)));
            for (auto &row : m.g) row.resize(size_t(nx));
            m.xs = nx;
            m.ys = ny;
            break;
        }
        }
        check(s, m, step);
        if (HasFatalFailure()) return;
    }
}
