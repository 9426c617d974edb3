// A small facade over the cell store for the store and display-text tests.
#pragma once
#include <string>

#include "sheet/csv.h"
#include "tests/ui/tmpdir.h"
#include "ui/base/kovlog.h"

namespace storetest {

// A store that counts the recalculations it was asked for.
struct Sheet : CSV_U {
    int calcs = 0;
    int csv_form_calc(const CSV_RECT *) override { return ++calcs, 0; }
    explicit Sheet(int xs = 10, int ys = 100) { csv_create(xs, ys); }

    // The value of a cell as one text: "" empty, "#<number>" numbers, texts as they are.
    std::string val(int x, int y) const
    {
        const CSV_CEL *c = csv_get_cel(x, y);
        char buf[9];
        if (csv_cel_type(c) == CSV_NUM) return "#" + num_text(c->val.d);
        const char *s = csv_cel_str(c, buf);
        return s ? s : "";
    }
    static std::string num_text(double d)
    {
        char b[64];
        snprintf(b, sizeof b, "%.17g", d);
        return b;
    }
    // Column x of rows y..y+n-1 joined by '|'.
    std::string column(int x, int y, int n) const
    {
        std::string s;
        for (int i = y; i < y + n; i++) s += (i > y ? "|" : "") + val(x, i);
        return s;
    }
    int row_cnt(int y) const { return csv_get_row(y)->cnt; }
};

// A part that counts its destructions.
struct CountPart : CSV_PART {
    int *dead;
    explicit CountPart(int *d) : dead(d) {}
    ~CountPart() override { ++*dead; }
};

// The trace lines written while it lives.
class Log {
public:
    Log()
    {
        old_path = kov::log_get_path();
        old_debug = kov::log_get_debug();
        kov::log_set_path((dir / "KOV.LOG").c_str());
        kov::log_set_debug(1);
    }
    ~Log()
    {
        kov::log_set_path(old_path.c_str());
        kov::log_set_debug(old_debug);
    }
    bool has(const std::string &msg) const
    {
        return kovtest::slurp(dir / "KOV.LOG").find(" " + msg + "\r\n") != std::string::npos;
    }

private:
    kovtest::TmpDir dir;
    std::string old_path;
    int old_debug;
};

} // namespace storetest
