// Recalculation from a script or a formula, and the two functions that exercise the fault trap.
#include "builtins/fnutil.h"
#include "sheet/csv.h"

#include <cstdint>

// Inside a formula the pass is filed as a request (a pass does not nest); in a script it runs.
static int calc_area(SCR_U &s, const KOV_RECT *area)
{
    if (fn_in_formula(s)) return s.scr_calc_request(s.scr_csv, area);
    return s.scr_calc_space(s.scr_csv, area);
}

int fn_ALLCALC(SCR_U &s, const FN_CALL &, FN_RET &r) { return r.L = calc_area(s, nullptr), 0; }

// Only the sheet itself (a cell range) is recalculated; any other storage gives 0.
int fn_CALC(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    r.L = 0;
    if (!fn_sheet_of(rg.g)) return 0;
    KOV_RECT area = {rg.x, rg.y, fn_last(rg.x, rg.w), fn_last(rg.y, rg.h)};
    r.L = calc_area(s, &area);
    return 0;
}

// The operands come from memory the compiler cannot see through, so the division and the read
// happen at run time and fault as they would in a buggy library.
static volatile int fault_zero = 0;
static volatile uintptr_t fault_null = 0;

__attribute__((no_sanitize("undefined"))) int fn_test_div0(SCR_U &, const FN_CALL &, FN_RET &r)
{
    int one = 1 + fault_zero;
    r.L = one / fault_zero;
    return 0;
}

__attribute__((no_sanitize("address", "undefined"))) int fn_test_read0(SCR_U &, const FN_CALL &, FN_RET &r)
{
    r.L = *(volatile int *)fault_null;
    return 0;
}
