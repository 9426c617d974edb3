// Symbol tables: creation errors, the stack view, what a reset leaves.
// The scope rules are tested through whole scripts in run_test.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "scrtest.h"

using namespace scrtest;

namespace {

struct Tables : ::testing::Test {
    SCR_U s;
    long vbase = VTBL_U::vtb_objct, fbase = FTBL_U::ftb_objct, gbase = BASE_GJ::gj_objct;
};

TEST_F(Tables, CreationErrors)
{
    struct { int type, dims, flags, param; const char *err; } rows[] = {
        {VT_VAR, 0, SF_TYPEDEF, 0, "typedef は未サポート"},
        {VT_VAR, 0, SF_CONST, 1, "関数引数では使えない型を指定"},
        {VT_VOID, 0, 0, 0, "変数として無効な型 VOID を使用"},
        {VT_PUSH, 1, 0, 0, "v:次元指定は無効"},
        {-3, 0, 0, 0, "型 -3 は無効"},
    };
    for (auto &r : rows) {
        s.scr_clear_errors();
        EXPECT_EQ(s.scr_put_var("v", 1, 1, r.dims, r.type, r.flags, r.param), nullptr);
        EXPECT_STREQ(s.scr_get_nowerr(), r.err);
    }
    s.scr_clear_errors();
    EXPECT_EQ(s.scr_put_var("", 1, 1, 0, VT_VAR, 0, 0), nullptr);
    EXPECT_STREQ(s.scr_get_nowerr(), "(idname == NULL) || (*idname == 0)");
}

TEST_F(Tables, StackViewDuringARun)
{
    ENV e;
    RUN r = e.run("g(var a){ return stack(); } main(){ return g(1 + 2); }");
    ASSERT_TRUE(r.ran) << r.err;
    const SCR_VIEW &v = e.scr.view_stbl;
    ASSERT_EQ(r.status, v.rows);
    EXPECT_STREQ(v.view_get(0, 0), "関数名");
    int call = 0;
    for (int i = 1; i < v.rows; i++)
        if (strcmp(v.view_get(i, 0), "g") == 0 && strcmp(v.view_get(i, 1), "1 + 2); }") == 0) call = i;
    EXPECT_GT(call, 0);
    EXPECT_STREQ(v.view_get(1, 0), "SCR_U::scr_stat");   // innermost first: g's return
    EXPECT_STREQ(v.view_get(v.rows - 1, 0), "SCR_U::scr_translation_unit");
}

// The function table after a run: a row per function with its type, name and each parameter's
// shape; the columns after its last parameter read empty, up to the twentieth.
TEST_F(Tables, FunctionTableShowsEachParameter)
{
    ENV e;
    std::string many = "h(";
    for (int i = 0; i < 20; i++) many += (i ? ", var p" : "var p") + std::to_string(i);
    many += "){ return p19; } ";
    RUN r = e.run((many + "g(var a, var &b, var c[2][3], PUSH &d){ return 0; } main(){ return 1; }").c_str());
    ASSERT_TRUE(r.ran) << r.err;
    e.scr.scr_make_alltbl();
    const SCR_VIEW &v = e.scr.view_ftbl;
    ASSERT_EQ(v.rows, 4);
    ASSERT_EQ(v.cols, 22);
    EXPECT_STREQ(v.view_get(0, 1), "関数名");
    EXPECT_STREQ(v.view_get(0, 21), "19");
    std::map<std::string, std::vector<std::string>> rows;
    for (int i = 1; i < v.rows; i++)
        for (int c = 0; c < v.cols; c++) rows[v.view_get(i, 1)].push_back(v.view_get(i, c));
    ASSERT_EQ(rows.size(), 3u);
    const std::vector<std::string> &g = rows["g"];
    EXPECT_EQ(std::vector<std::string>(g.begin() + 2, g.begin() + 7), (std::vector<std::string>{"VAR", "VAR", "VAR[2][3]", "PUSH", ""}));
    for (int c = 2; c < 22; c++) {
        EXPECT_EQ(rows["main"][c], "") << c;
        EXPECT_EQ(rows["h"][c], "VAR") << c;
    }
    EXPECT_STREQ(v.view_get(1, 22), "");   // outside the view
    EXPECT_STREQ(v.view_get(4, 0), "");
}

TEST_F(Tables, ResetLeavesNoLiveEntries)
{
    {
        ENV e;
        e.run("var a[3] = {1,2,3}; f(var x[]){ var t[2]; return x[0]; } main(){ PUSH p; return f(a); }");
        e.scr.scr_reset(1);
    }
    EXPECT_EQ(VTBL_U::vtb_objct, vbase);
    EXPECT_EQ(FTBL_U::ftb_objct, fbase);
    EXPECT_EQ(BASE_GJ::gj_objct, gbase);
}

// A parameter bound to a static by reference takes the static's flags, yet it ends with its
// call: the entries left after a run do not grow with the number of calls (the reader, tree
// calls and lean runs alike).
TEST_F(Tables, ParametersBoundToStaticsEndWithTheirCall)
{
    auto left = [](int mode, int lean, int calls) {
        ENV e;
        e.scr.scr_tree_mode = mode;
        e.scr.scr_lean_on = lean;
        std::string t = "g(var &r){ r++; return r; } f(){ static var c; var i; for (i = 0; i < " + std::to_string(calls) +
                        "; i++) g(c); return c; } main(){ return f(); }";
        RUN r = e.run(t.c_str());
        EXPECT_EQ(r.status, calls) << r.err;
        long n = 0;
        for (VTBL_U *v = e.scr.vtbl_top; v; v = v->next) n++;
        return n;
    };
    for (int mode : {0, 2})
        for (int lean : {0, 1}) EXPECT_EQ(left(mode, lean, 3), left(mode, lean, 40)) << mode << lean;
}

// A gadget whose count is negative is not the variables' to count: linking leaves the count and
// neither a relink nor the last release destroys it.
TEST_F(Tables, NegativeCountGadgetOutlivesItsVariables)
{
    PLAIN_GJ held(VT_PUSH);
    held.gj_count = -1;
    PLAIN_GJ *fresh = new PLAIN_GJ(VT_PUSH);
    {
        VTBL_U a(&s), b(&s);
        a.vtb_link(&held);
        b.vtb_link(&held);
        EXPECT_EQ(held.gj_count, -1);
        a.vtb_link(fresh);   // the previous one released
        EXPECT_EQ(fresh->gj_count, 1);
        b.vtb_link(nullptr);
        EXPECT_EQ(held.gj_count, -1);
        EXPECT_EQ(BASE_GJ::gj_objct, gbase + 2);
    }
    EXPECT_EQ(held.gj_count, -1);
    EXPECT_EQ(BASE_GJ::gj_objct, gbase + 1) << "the counted one went with its variable";
}

}  // namespace
