// Facade of the built-in function tests: an interpreter with the real function table, a 10 x 20
// sheet and a test host; expressions evaluated in a script or as the formula of a cell.
#pragma once
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "builtins/func.h"
#include "tests/support/scrtest.h"

namespace fntest {

// A value spelled for comparisons: "3", "-0.5", "'text'" or "empty".
inline std::string spell(const VAL_U &v)
{
    if (v.val_kind == VAL_NUM) {
        char b[64];
        snprintf(b, sizeof b, "%.15g", v.val_num);
        return b;
    }
    if (v.val_kind == VAL_STR) return "'" + std::string(v.val_gets()) + "'";
    return "empty";
}

struct ENV : scrtest::ENV {
    FUNC_U fn{scr};
    ENV() { fn.fn_install(); }
    scrtest::ENV *twin() const override { return new ENV; }

    // The value of expr inside main(), after the declarations decl ("var a[3] = {1, 2, 3};").
    // A failed run gives "fail: TEXT".
    std::string eval(const std::string &expr, const std::string &decl = "")
    {
        scrtest::RUN r = run((decl + "\nvar kov_result;\nmain(){ kov_result = " + expr + "; return 0; }").c_str());
        if (!r.ran) return "fail: " + r.err;
        BASE_GJ *g = scr.scr_get_vtbl("kov_result")->vtb_gajet_pt;
        VAL_U val;
        if (g->gj_kind(0, 0) == 1) val.val_putd(g->gj_getd(0, 0));
        if (g->gj_kind(0, 0) == 2) val.val_puts(g->gj_gets(0, 0, 4096));
        return spell(val);
    }
    // The value of form as the formula of cell (x, y); "fail: TEXT" when it fails.
    std::string calc(int x, int y, const std::string &form)
    {
        if (host.host_ed_stamp() < 0) host.host_ed_put("");
        scr.scr_prepare(PREP_FORM_BEGIN);   // the sheet as my
        VAL_U val;
        if (scr.scr_calc_onecel(x, y, form.c_str(), &val) != 0) return "fail: " + std::string(scr.scr_get_nowerr());
        return spell(val);
    }
    // The error the last run or formula left (a script error before a function error); a
    // finished run has moved it to the previous error.
    std::string err() { return *scr.scr_get_nowerr() ? scr.scr_get_nowerr() : scr.scr_get_preerr(); }
};

// A table row: an expression and the value it gives.
struct ROW {
    const char *expr, *want;
};

inline void check(const ROW *rows, size_t n, const std::string &decl = "")
{
    ENV e;
    for (size_t k = 0; k < n; k++) EXPECT_EQ(e.eval(rows[k].expr, decl), rows[k].want) << rows[k].expr;
}

} // namespace fntest
