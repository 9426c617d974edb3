// Information about values and ranges: type tests, selection from lists and ranges, the
// position and size of a range, CELL, INFO and the display text of a cell.
#include "builtins/fnutil.h"
#include "sheet/cellref.h"
#include "sheet/csv.h"

#include <climits>
#include <cstdio>
#include <unistd.h>

namespace {

// 0 empty, 1 number, 2 text of the first value; 16 when none is given.
int type_of(const FN_CALL &c) { return c.nvargs ? c.vargs[0]->val_kind : 16; }

// Code of a number format: G g16 rsv2 rsv3 g e, F0..F15 (10..25), X1..X12 (31..42).
bool format_code(int f, char *b, size_t n)
{
    static const char *const named[] = {"G", "g16", "rsv2", "rsv3", "g", "e"};
    if (f >= 0 && f <= 5) snprintf(b, n, "%s", named[f]);
    else if (f >= 10 && f <= 25) snprintf(b, n, "F%d", f - 10);
    else if (f >= 31 && f <= 42) snprintf(b, n, "X%d", f - 30);
    else return false;
    return true;
}

} // namespace

int fn_TYPE(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = type_of(c), 0; }
int fn_ISBLANK(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = type_of(c) == 0, 0; }
int fn_ISNUMBER(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = type_of(c) == 1, 0; }
int fn_ISTEXT(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = type_of(c) == 2, 0; }
int fn_ISNONTEXT(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = type_of(c) != 2, 0; }

// The value at position i of the list (0-based); any integer may come.
static int choose(SCR_U &s, const FN_CALL &c, FN_RET &r, int64_t i)
{
    return fn_give(s, r, i >= 0 && i < c.nvargs ? c.vargs[i] : nullptr);
}

int fn_CHOOSE0(SCR_U &s, const FN_CALL &c, FN_RET &r) { return choose(s, c, r, c.arg[0].i); }
int fn_CHOOSE(SCR_U &s, const FN_CALL &c, FN_RET &r) { return choose(s, c, r, int64_t(c.arg[0].i) - 1); }

// The element at row i, column j of the range (0-based); outside the range it is empty.
static int index_at(SCR_U &s, const FN_CALL &c, FN_RET &r, int64_t i, int64_t j)
{
    FN_RANGE rg(c, 0);
    int x, y;
    if (i < 0 || i >= rg.h || j < 0 || j >= rg.w || !fn_range_at(rg, j, i, x, y)) return r.x = nullptr, 0;
    return fn_give_element(s, r, rg.g, x, y);
}

int fn_INDEX0(SCR_U &s, const FN_CALL &c, FN_RET &r) { return index_at(s, c, r, c.arg[5].i, c.arg[6].i); }
int fn_INDEX(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    return index_at(s, c, r, int64_t(c.arg[5].i) - 1, int64_t(c.arg[6].i) - 1);
}

// No check against the range's size: only the storage bounds the offsets.
int fn_OFFSET(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    int x, y;
    if (!fn_range_at(rg, c.arg[6].i, c.arg[5].i, x, y)) return r.x = nullptr, 0;
    return fn_give_element(s, r, rg.g, x, y);
}

int fn_ROW(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = c.arg[2].i, 0; }
int fn_COLUMN(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = c.arg[1].i, 0; }
int fn_COLUMNS(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = c.arg[3].i, 0; }
int fn_ROWS(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = c.arg[4].i, 0; }

int fn_CELL(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    std::string info = c.arg[0].s;
    FN_RANGE rg(c, 1);
    CSV_U *sheet = fn_sheet_of(rg.g);
    char b[64];
    r.x = nullptr;
    if (info == "address")
        return csv_print_range(b, rg.x, rg.y, fn_last(rg.x, rg.w), fn_last(rg.y, rg.h)) == 0 ? fn_give_text(s, r, b) : 0;
    if (info == "col") return fn_give_num(s, r, rg.x);
    if (info == "row") return fn_give_num(s, r, rg.y);
    if (info == "contents") return fn_give_element(s, r, rg.g, rg.x, rg.y);
    if (info == "type") {
        int k = rg.g ? rg.g->gj_kind(rg.x, rg.y) : 0;
        return fn_give_text(s, r, k == 1 ? "v" : k == 2 ? "l" : "b");
    }
    if (info == "color" || info == "parentheses") return fn_give_num(s, r, 0);
    if (!sheet) return info == "protect" || info == "width" ? fn_give_num(s, r, 0) : 0;
    if (info == "filename") return fn_give_text(s, r, sheet->csv_get_fname());
    if (info == "protect") return fn_give_num(s, r, sheet->csv_get_attr(rg.x, rg.y, CSV_A_INPUT) == 3);
    if (info == "width") return fn_give_num(s, r, sheet->csv_get_wide(rg.x));
    if (info == "format" && format_code(sheet->csv_get_attr(rg.x, rg.y, CSV_A_FMT), b, sizeof b))
        return fn_give_text(s, r, b);
    return 0;
}

int fn_INFO(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    std::string type = c.arg[0].s;
    char b[PATH_MAX];
    if (type == "directory") return fn_give_text(s, r, getcwd(b, sizeof b) ? b : "");
    if (type == "release") return fn_give_text(s, r, "1.00.00");
    if (type == "lapsedms") return fn_give_num(s, r, s.scr_host().host_ticks());
    return fn_give_num(s, r, -1);
}

int fn_DISPT(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    CSV_U *sheet = fn_sheet_of(rg.g);
    if (!sheet) return fn_ret_text(s, r, "");
    char b[CSV_DSP_MAX];
    int n = sheet->csv_dsp_text(rg.x, rg.y, 0, sheet->csv_get_wide(rg.x) + 1, b);
    return fn_ret_text(s, r, b, size_t(n > 0 ? n : 0));
}
