// Symbol tables: lookup and insertion rules, scope exit, block context, functions, views.
#include <gtest/gtest.h>

#include <initializer_list>

#include "scrtest.h"

using namespace scrtest;

namespace {

struct Tables : ::testing::Test {
    SCR_U s;
    long vbase = VTBL_U::vtb_objct, fbase = FTBL_U::ftb_objct, gbase = BASE_GJ::gj_objct;
    VTBL_U *var(const char *name, int nest, const char *owner = "", int flags = 0)
    {
        s.ctx.scr_nest = nest;
        snprintf(s.ctx.func_name, sizeof s.ctx.func_name, "%s", owner);
        return s.scr_put_var(name, 1, 1, 0, VT_VAR, flags, 0);
    }
    void in(const char *fn) { snprintf(s.ctx.func_name, sizeof s.ctx.func_name, "%s", fn); }
};

// Expected texts of view cells.
struct VIEW_CELL {
    int row, col;
    const char *text;
};

void expect_cells(const SCR_VIEW &v, std::initializer_list<VIEW_CELL> cells)
{
    for (const VIEW_CELL &c : cells)
        EXPECT_STREQ(v.view_get(c.row, c.col), c.text) << "[" << c.row << "][" << c.col << "]";
}

TEST_F(Tables, ScopeExitKeepsStaticsAtLevelZero)
{
    s.ctx.scr_pass = 1;
    var("a", 1, "f");
    VTBL_U *st = var("s", 2, "f", SF_STATIC);
    ASSERT_NE(st, nullptr);
    var("b", 2, "f");
    var("c", 3, "f");
    s.scr_del_vtbl(2);
    in("f");
    EXPECT_EQ(s.scr_get_vtbl("b"), nullptr);
    EXPECT_EQ(s.scr_get_vtbl("c"), nullptr);
    ASSERT_EQ(s.scr_get_vtbl("s"), st);
    EXPECT_EQ(st->nest, 0);
    EXPECT_NE(s.scr_get_vtbl("a"), nullptr);
    in("h");
    EXPECT_EQ(s.scr_get_vtbl("s"), nullptr);   // a static is its owner's only
}

TEST_F(Tables, RunPassStaticIsFoundNotMadeAgain)
{
    s.ctx.scr_pass = 1;
    VTBL_U *st = var("s", 1, "f", SF_STATIC);
    s.scr_del_vtbl(1);
    s.ctx.scr_pass = 2;
    EXPECT_EQ(var("s", 1, "f", SF_STATIC), st);
    EXPECT_EQ(var("t", 1, "f", SF_STATIC), nullptr);
    EXPECT_STREQ(s.scr_get_nowerr(), "f@t の登録に失敗している");
}

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

TEST_F(Tables, SharedStorageLivesUntilItsLastEntry)
{
    VTBL_U *a = var("a", 0);
    VTBL_U *b = var("b", 1, "f");
    b->vtb_link(a->vtb_gajet_pt);
    EXPECT_EQ(a->vtb_gajet_pt->gj_count, 2);
    a->vtb_gajet_pt->gj_putd(0, 0, 7, 0);
    s.scr_del_vtbl(1);
    EXPECT_EQ(a->vtb_gajet_pt->gj_count, 1);
    EXPECT_EQ(a->vtb_gajet_pt->gj_getd(0, 0), 7);
}

TEST_F(Tables, BlockOutRestoresContextAndDestroysInner)
{
    s.ctx.st_noexect = 3;
    SCR_CTX saved;
    s.scr_block_in(saved);
    EXPECT_EQ(s.ctx.scr_nest, 1);
    var("x", 1);
    s.ctx.st_noexect = 9;
    s.ctx.loop_nest = 2;
    s.scr_block_out(saved);
    EXPECT_EQ(s.ctx.scr_nest, 0);
    EXPECT_EQ(s.ctx.st_noexect, 3);
    EXPECT_EQ(s.ctx.loop_nest, 0);
    EXPECT_EQ(s.scr_get_vtbl("x"), nullptr);
}

TEST_F(Tables, Functions)
{
    SCR_PARAM p[SCR_MAXARG] = {};
    p[0] = {VT_VAR, SF_REF, 3, 1, 1};
    EXPECT_EQ(s.scr_put_ftbl("f", nullptr, VT_VAR, 0, p), 0);   // prototype: nothing
    EXPECT_EQ(s.scr_get_ftbl("f"), nullptr);
    EXPECT_EQ(s.scr_put_ftbl("f", "f(){}", VT_VAR, 0, p), 0);
    EXPECT_EQ(s.scr_put_ftbl("f", "f(){}", VT_VAR, 0, p), -1);
    EXPECT_STREQ(s.scr_get_nowerr(), "f 関数名重複");
    ASSERT_NE(s.scr_get_ftbl("f"), nullptr);
    EXPECT_EQ(s.scr_put_ftbl("", "x", VT_VAR, 0, p), -1);
}

TEST_F(Tables, FunctionView)
{
    SCR_PARAM p[SCR_MAXARG] = {};
    p[0] = {VT_VAR, SF_REF, 3, 1, 1};
    p[1] = {VT_VAR, SF_REF, 0, 0, 2};
    p[2] = {VT_PUSH, 0, 1, 1, 0};
    s.scr_put_ftbl("f", "f", VT_VOID, 0, p);
    SCR_VIEW v;
    ASSERT_EQ(s.scr_make_ftbl(v), 0);
    EXPECT_EQ(v.rows, 2);
    EXPECT_EQ(v.cols, 22);
    expect_cells(v, {{0, 0, "関数型"}, {0, 21, "19"}, {1, 0, "VOID"}, {1, 2, "VAR[3]"}, {1, 3, "VAR[][]"},
                     {1, 4, "PUSH"}, {1, 5, ""}});
}

TEST_F(Tables, VariableViewShowsRowsAndFlags)
{
    s.ctx.scr_nest = 0;
    VTBL_U *m = s.scr_put_var("m", 2, 12, 2, VT_VAR, SF_CONST, 0);
    m->vtb_gajet_pt->gj_putd(1, 0, 2.5, 0);
    m->vtb_gajet_pt->gj_puts(0, 1, "ab", 0);
    s.scr_put_enum(nullptr, "E", 4);
    SCR_VIEW v;
    ASSERT_EQ(s.scr_make_vtbl(v), 0);
    EXPECT_EQ(v.rows, 1 + 1 + 10);   // the enum, then m cut to 10 rows
    expect_cells(v, {{1, 0, "ENUM"}, {1, 6, "4"}, {2, 0, "VAR CONST"}, {2, 4, "12"}, {2, 7, "2.5"},
                     {3, 6, "ab"}});
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

TEST_F(Tables, DefaultEnumsAndMy)
{
    CSV_U csv;
    csv.csv_create(4, 4);
    EXPECT_EQ(s.scr_put_my(), -1);
    EXPECT_STREQ(s.scr_get_nowerr(), "親配列 my が未オープン");
    s.scr_csv = &csv;
    EXPECT_EQ(s.scr_put_my(), 0);
    EXPECT_EQ(s.scr_default_enum(), 0);
    VTBL_U *e = s.scr_get_vtbl("EOF");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->value, -1);
    s.scr_clear_errors();
    EXPECT_EQ(s.scr_default_enum(), -1);   // twice: OK exists
    EXPECT_STREQ(s.scr_get_nowerr(), "scr_put_vtbl() 失敗");
    VTBL_U *my = s.scr_get_vtbl("my");
    ASSERT_NE(my, nullptr);
    EXPECT_STREQ(my->vtb_gajet_pt->gj_class(), "MYKOV_GJ");
    EXPECT_EQ(my->vtb_dims(), 2);
}

}  // namespace
