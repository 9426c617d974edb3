// The life of parts with the sheet: made by the first evaluation, the same object on every
// later one, replaced by another kind, gone with their formula, moving with their rows; and the
// user's action turned into a beep and the recalculation the options ask for.
#include "wpfix.h"

using namespace kovtest;

namespace {
struct Life : PARTS {};
} // namespace

// A press counts, is read by the next evaluation and reset; the counter lives in the part, so
// recalculation keeps the object.
TEST_F(Life, PressIsCountedReadAndReset)
{
    kov.csv_wpbeep = 1;
    form(0, 0, "wpPUSH(1,1,\"\",\"OK\",\"\")");
    form(2, 0, "RC+1");   // counts whole passes
    EXPECT_EQ(cell(0, 0), "0");
    WP_PUSH *p = part<WP_PUSH>(0, 0);
    ASSERT_NE(p, nullptr);
    p->press();
    serve();
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(count("beep"), 1);
    EXPECT_EQ(cell(2, 0), "2");
    for (int k = 0; k < 3; k++) p->press();   // quick presses: one pass serves them all
    serve();
    EXPECT_EQ(cell(0, 0), "3");
    EXPECT_EQ(cell(2, 0), "3");
    calc();
    EXPECT_EQ(cell(0, 0), "0");
    EXPECT_EQ(part<WP_PUSH>(0, 0), p);
    EXPECT_EQ(kov.wp_count(), 1);
}

TEST_F(Life, OnecalcRecalculatesTheHomeCellNocalcNothing)
{
    form(0, 0, "wpPUSH(1,1,\"ONECALC\",\"one\",\"\")");
    form(0, 1, "wpPUSH(1,1,\"PUSHF, NOCALC\",\"none\",\"\")");
    form(2, 0, "RC+1");
    ASSERT_EQ(cell(2, 0), "1");
    part<WP_PUSH>(0, 0)->press();
    serve();
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(2, 0), "1");
    part<WP_PUSH>(0, 1)->press();
    part<WP_PUSH>(0, 1)->press();
    serve();
    EXPECT_EQ(cell(0, 1), "0");
    EXPECT_EQ(cell(2, 0), "1");
    calc();   // the presses waited for the next pass
    EXPECT_EQ(cell(0, 1), "2");
    // While a script runs, steps or pauses, no request is queued.
    kov.kov_tstat(TMCD_SET, TST_SCRPT_PAUSE);
    part<WP_PUSH>(0, 0)->press();
    kov.kov_tstat(TMCD_SET, TST_STOP);
    serve();
    EXPECT_EQ(cell(0, 0), "0");
}

// Another kind in the same formula replaces the part; a formula that stops calling a part
// function drops it; a new text makes a new part.
TEST_F(Life, KindChangeReplacesAndAFormulaWithoutPartDropsIt)
{
    kov.csv_put_num(5, 0, 1);
    form(0, 0, "R0C5 ? wpPUSH(1,1,\"\",\"p\",\"\") : wpCHECK(1,1,\"\",\"c\",1)");
    WP_PART *push = part(0, 0);
    ASSERT_NE(part<WP_PUSH>(0, 0), nullptr);
    kov.csv_put_num(5, 0, 0);
    calc();
    ASSERT_NE(part<WP_CHECK>(0, 0), nullptr);
    EXPECT_NE(part(0, 0), push);
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(kov.wp_count(), 1);

    form(1, 0, "R0C5 ? 7 : wpTNLAMP(1,1,\"\",\"lamp\",\"red\")");
    EXPECT_EQ(cell(1, 0), "'red'");
    kov.csv_put_num(5, 0, 1);
    calc();
    EXPECT_EQ(part(1, 0), nullptr);
    EXPECT_EQ(cell(1, 0), "7");
    EXPECT_EQ(kov.wp_count(), 1);   // the first formula's button again

    form(0, 0, "wpCHECK(1,1,\"\",\"c\",0)");
    EXPECT_NE(part<WP_CHECK>(0, 0), nullptr);
    kov.csv_clr_cel(0, 0);
    EXPECT_EQ(kov.wp_count(), 0);
}

// Rows inserted above move the home cell with the formula; deleted rows take their parts.
TEST_F(Life, PartsMoveAndGoWithTheirRows)
{
    with_views();
    form(1, 5, "wpPUSH(2,1,\"ONECALC\",\"p\",\"\")");
    form(1, 8, "wpCHECK(1,1,\"\",\"c\",0)");
    WP_PUSH *p = part<WP_PUSH>(1, 5);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(kov.csv_ins_rows(2, 3), 0);
    EXPECT_EQ(part<WP_PUSH>(1, 8), p);
    int x, y, l, t, w, h;
    ASSERT_EQ(p->wp_home(x, y), 0);
    EXPECT_EQ(y, 8);
    p->wp_rect(l, t, w, h);
    EXPECT_EQ(t, 8 * 20);
    p->press();   // the request names the cell where the formula is now
    EXPECT_EQ(kov.scr_calcq.count, 1);
    EXPECT_EQ(kov.scr_calcq.area[0].y1, 8);
    serve();
    EXPECT_EQ(cell(1, 8), "1");
    EXPECT_EQ(kov.csv_del_rows(7, 5), 0);
    EXPECT_EQ(kov.wp_count(), 0);
    EXPECT_EQ(views.live, 0);
    form(1, 1, "wpCHECK(1,1,\"\",\"c\",0)");
    kov.csv_create(5, 5);   // a cleared sheet
    EXPECT_EQ(kov.wp_count(), 0);
}

TEST_F(Life, CreationFailures)
{
    // 257 parts at most: the 258th is refused, and so is any part while 257 live.
    for (int y = 0; y < 258; y++) kov.csv_put_form(0, y, "wpPUSH(1,1,\"\",\"p\",\"\")");
    calc();
    EXPECT_EQ(kov.wp_count(), 257);
    EXPECT_EQ(cell(0, 257), "'貼付部品数超過'");
    EXPECT_EQ(count("msgbox 貼付部品数超過(257)"), 1);
    EXPECT_GE(count("beep"), 1);
    WP_PART *first = part(0, 0);
    calc();   // at that size even reuse is refused, but no part is lost
    EXPECT_EQ(part(0, 0), first);
    EXPECT_EQ(part(0, 257), nullptr);
    EXPECT_EQ(kov.wp_count(), 257);
    EXPECT_EQ(cell(0, 0), "'貼付部品数超過'");
    kov.csv_clr_cel(0, 257);
    kov.csv_clr_cel(0, 256);
    calc();
    EXPECT_EQ(cell(0, 0), "0");
    kov.csv_create(20, 300);
    // Not in a cell formula.
    host.host_ed_put("main() { wpPUSH(1,1,\"\",\"p\",\"\"); return 0; }\n");
    kov.kov_do_scrpt(TST_SCRPT_RUN);
    EXPECT_EQ(kov.wp_count(), 0);
}

TEST_F(Life, ScriptCallIsRefused)
{
    host.host_ed_put("f() { return wpPUSH(1,1,\"\",\"p\",\"\"); }\nmain() { return 0; }\n");
    form(0, 0, "f()");
    EXPECT_EQ(part(0, 0), nullptr);
    EXPECT_EQ(cell(0, 0), "'wpPUSH はセル式以外では無効'");
}

// Sizes: covered cells clamped to 1 .. 100000, pixels summed over the cells and held to 4096;
// a new covered size re-places the same part.
TEST_F(Life, SizesAndPlacement)
{
    with_views();
    kov.csv_set_wide(0, 10);
    kov.csv_set_wide(1, 5);
    form(0, 2, "wpBACK(2,3,\"\",\"White\")");
    WP_PART *b = part(0, 2);
    ASSERT_NE(b, nullptr);
    int l, t, w, h;
    b->wp_rect(l, t, w, h);
    EXPECT_EQ(std::vector<int>({l, t, w, h}), std::vector<int>({0, 40, 120, 60}));
    EXPECT_EQ(views.made, 1);
    EXPECT_TRUE(views.count("place 0,40,120,60") == 1) << views.log.back();
    views.log.clear();
    calc();   // nothing changed: nothing moves
    EXPECT_FALSE(views.any("place"));
    form(0, 2, "wpBACK(1,3,\"\",\"White\")");   // new text: a new part
    EXPECT_EQ(part(0, 2)->wp_cols, 1);
    EXPECT_EQ(views.made, 2);
    kov.csv_put_num(5, 0, 0);
    form(3, 3, "wpBACK(R0C5,200000,\"\",\"Yellow\")");
    WP_BACK *y = part<WP_BACK>(3, 3);
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(y->wp_cols, 1);
    EXPECT_EQ(y->wp_rows, 100000);
    y->wp_rect(l, t, w, h);
    EXPECT_EQ(h, 4096);
    EXPECT_EQ(y->back.color, 0xFFFF00);
    kov.csv_put_num(5, 0, 3);
    calc();
    EXPECT_EQ(part(3, 3), y);
    EXPECT_EQ(y->wp_cols, 3);
    EXPECT_TRUE(views.any("place " + std::to_string(l) + "," + std::to_string(t) + ",")) << views.log.back();
}

// The one-second tick reaches every live part; REOPEN makes the next evaluation open it afresh.
TEST_F(Life, ReopenOpensAfresh)
{
    with_views();
    form(0, 0, "wpCHECK(1,1,\"\",\"c\",RC)");
    WP_CHECK *c = part<WP_CHECK>(0, 0);
    c->toggle();
    serve();
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(wp(0, 0, "\"REOPEN\""), "0");
    EXPECT_FALSE(c->wp_is_open());
    serve();
    EXPECT_TRUE(c->wp_is_open());
    EXPECT_EQ(part<WP_CHECK>(0, 0), c);
    EXPECT_EQ(cell(0, 0), "1");   // the state came back from the cell
    EXPECT_EQ(views.made, 2);
}
