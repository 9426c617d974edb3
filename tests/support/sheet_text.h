// A cell store that spells its cells as short texts, so that tests compare whole rows and
// columns in one line. The store and file test facades derive from it.
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "sheet/csv.h"

namespace sheettest {

// Several numbers as one list, so that one line compares them all.
inline std::vector<long long> ints(std::initializer_list<long long> v) { return v; }

struct TextSheet : CSV_U {
    // "#" and the number as "%.17g" spells it.
    static std::string num_text(double d)
    {
        char b[64];
        snprintf(b, sizeof b, "#%.17g", d);
        return b;
    }
    // A cell's value: "" empty, "#<number>" numbers, texts as they are.
    std::string val(int x, int y) const
    {
        const CSV_CEL *c = csv_get_cel(x, y);
        char buf[9];
        if (csv_cel_type(c) == CSV_NUM) return num_text(c->val.d);
        const char *s = csv_cel_str(c, buf);
        return s ? s : "";
    }
    std::string form(int x, int y) const
    {
        const char *f = csv_get_form(x, y);
        return f ? f : "";
    }
    // n texts joined by '|'.
    static std::string join(int n, const std::function<std::string(int)> &part)
    {
        std::string s;
        for (int i = 0; i < n; i++) s += (i ? "|" : "") + part(i);
        return s;
    }
    // Values of row y, columns 0..n-1; of column x, rows y..y+n-1; widths of columns 0..n-1.
    std::string row(int y, int n) const { return join(n, [&](int x) { return val(x, y); }); }
    std::string column(int x, int y, int n) const { return join(n, [&](int i) { return val(x, y + i); }); }
    std::string wides(int n) const { return join(n, [&](int x) { return std::to_string(csv_get_wide(x)); }); }
};

} // namespace sheettest
