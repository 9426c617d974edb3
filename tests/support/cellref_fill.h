// Sheets whose formulas each name one cell and carry, as their own number, the number of the
// cell they name: after any move every formula must still name a cell holding its number.
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "sheet/cellref.h"
#include "sheet/csv.h"

namespace cellfill {

inline void put_ref(CSV_U &s, int x, int y, const std::string &name, double want)
{
    ASSERT_EQ(s.csv_put_num(x, y, want), 0);
    ASSERT_EQ(s.csv_put_form(x, y, name.c_str()), 0);
}

// Every formula names a cell holding the formula cell's own number; *checked: how many.
inline void expect_refs_hold(const CSV_U &s, int *checked = nullptr)
{
    int n = 0;
    for (int y = 0; y < s.csv_get_ys(); y++)
        for (int x = 0; x < s.csv_get_xs(); x++) {
            const char *f = s.csv_get_form(x, y), *p = f;
            CSV_REF r;
            if (!f) continue;
            ASSERT_EQ(csv_parse_name(p, x, y, &r), 0) << f;
            EXPECT_EQ(s.csv_get_num(r.x, r.y), s.csv_get_num(x, y)) << "formula " << f << " in (" << x << "," << y << ")";
            n++;
        }
    if (checked) *checked = n;
}

// Values 1000*y + x + 1 in (0..vx-1, 0..vy-1); formulas in the given cells naming value cells
// chosen by a fixed pattern (and accepted by target_ok), in any of the four ways to write a name.
inline void fill(CSV_U &s, int vx, int vy, const std::vector<std::pair<int, int>> &forms,
                 const std::function<bool(int, int)> &target_ok = nullptr)
{
    for (int y = 0; y < vy; y++)
        for (int x = 0; x < vx; x++) ASSERT_EQ(s.csv_put_num(x, y, 1000.0 * y + x + 1), 0);
    unsigned seed = 7;
    for (auto [x, y] : forms) {
        int tx, ty;
        do {
            seed = seed * 1103515245u + 12345u;
            tx = int(seed >> 16) % vx;
            ty = int(seed >> 8) % vy;
        } while (target_ok && !target_ok(tx, ty));
        int kind = int(seed >> 24) & 3;
        std::string row = kind & 1 ? "R" + std::to_string(ty) : "R[" + std::to_string(ty - y) + "]";
        std::string col = kind & 2 ? "C" + std::to_string(tx) : "C[" + std::to_string(tx - x) + "]";
        put_ref(s, x, y, row + col, 1000.0 * ty + tx + 1);
    }
}

// The cells of (x1, y1)-(x2, y2) and, if given, of a second block.
inline std::vector<std::pair<int, int>> block(int x1, int y1, int x2, int y2, const std::vector<int> &more = {})
{
    std::vector<std::pair<int, int>> v;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++) v.push_back({x, y});
    if (more.size() == 4) {
        auto w = block(more[0], more[1], more[2], more[3]);
        v.insert(v.end(), w.begin(), w.end());
    }
    return v;
}

} // namespace cellfill
