// Recalculation on a test host: one pass in sheet order, what a formula leaves in its cell, the
// formula check of the cell editor, and the request queue served by the notice of code 3.
#include "tests/support/appfix.h"

using namespace kovtest;

namespace {

struct Calc : APP {};

} // namespace

TEST_F(Calc, WhatAFormulaLeavesInItsCell)
{
    static const struct {
        const char *form, *want;
    } rows[] = {
        {"1/0", "0"},
        {"1+", "'!!!ERR!!!'"},
        {"1 2", "'!!!ERR!!!'"},
        {"\"abc\"", "'abc'"},
        {"R9C9", "empty"},   // an empty result empties the cell
        {"SUM(R0C0:R0C1) * 2", "6"},
    };
    for (auto &r : rows) {
        kov.csv_put_num(3, 3, 99);
        kov.csv_put_form(3, 3, r.form);
        kov.csv_put_num(0, 0, 1);
        kov.csv_put_num(1, 0, 2);
        ASSERT_EQ(kov.csv_form_calc(nullptr), 0) << r.form;
        EXPECT_EQ(cell(3, 3), r.want) << r.form;
    }
    EXPECT_EQ(std::string(kov.scr_get_nowerr()), "");   // the last formula cleared the errors
    kov.csv_put_form(3, 3, "1 2");
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(std::string(kov.scr_get_nowerr()), "無効な文字 2 がある");
}

// Cells are visited once, rows top to bottom and columns left to right: a formula reading the
// cell to its right sees the value from before the pass.
TEST_F(Calc, OnePassInSheetOrder)
{
    kov.csv_put_form(0, 1, "RC[1] + 1");
    kov.csv_put_form(1, 1, "1");
    kov.csv_put_form(0, 2, "R[-1]C * 10");   // below: sees this pass's value
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 1), "1");
    EXPECT_EQ(cell(1, 1), "1");
    EXPECT_EQ(cell(0, 2), "10");
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 1), "2");
    EXPECT_EQ(cell(0, 2), "20");
    // An area: only its formulas; rows of a whole pass without formulas are marked.
    kov.csv_put_form(5, 5, "RC + 1");
    KOV_RECT area = {0, 1, 9, 1};
    kov.csv_form_calc(&area);
    EXPECT_EQ(cell(0, 1), "2");
    EXPECT_EQ(cell(0, 2), "20");
    EXPECT_EQ(cell(5, 5), "empty");
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(5, 5), "1");
    EXPECT_EQ(kov.csv_get_row(4)->noform, 1);
    EXPECT_EQ(kov.csv_get_row(5)->noform, 0);
}

TEST_F(Calc, LongFormulaKeepsItsValue)
{
    std::string f = "1" + std::string(4095, ' ');   // 4096 bytes: evaluated
    kov.csv_put_form(0, 0, f.c_str());
    kov.csv_put_form(1, 0, (f + " ").c_str());
    kov.csv_put_num(1, 0, 7);
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(1, 0), "7");
}

// The script's functions and globals are there for formulas; a broken script fails the pass.
TEST_F(Calc, FormulasSeeTheScript)
{
    host.host_ed_put("var base = 40;\ntwice(var x) { return base + x * 2; }\nmain() { return 0; }\n");
    kov.csv_put_form(0, 0, "twice(1)");
    ASSERT_EQ(kov.csv_form_calc(nullptr), 0);
    EXPECT_EQ(cell(0, 0), "42");
    host.host_ed_put("main() { return 0 }\n");
    EXPECT_EQ(kov.csv_form_calc(nullptr), -1);
    EXPECT_EQ(cell(0, 0), "42");
}

TEST_F(Calc, CheckOfATypedFormula)
{
    char err[8];
    EXPECT_EQ(kov.scr_check_form(0, 0, "R1C1 + 2", err, sizeof err), 0);
    EXPECT_STREQ(err, "");
    EXPECT_EQ(kov.scr_check_form(0, 0, "", err, sizeof err), -1);
    EXPECT_STREQ(err, "セル式");   // cut to the buffer, at a character
    char full[256];
    EXPECT_EQ(kov.scr_check_form(0, 0, "nosuch(1)", full, sizeof full), -1);
    EXPECT_STREQ(full, "関数 nosuch() がない");
    EXPECT_EQ(kov.csv_get_type(1, 1), 0);   // a check stores nothing
}

// ALLCALC inside a pass files a request; the notice serves it after the pass, and a formula that
// asks again every time ends after 10 rounds.
TEST_F(Calc, RequestsFromFormulas)
{
    kov.csv_put_form(0, 0, "ALLCALC() + RC + 1");
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(kov.scr_calcq.posted, 1);
    host.host_pump();
    EXPECT_EQ(cell(0, 0), "11");
    EXPECT_EQ(count("status 連続再計算回数超過"), 1);
    EXPECT_EQ(count("beep"), 1);
    EXPECT_EQ(kov.scr_calcq.posted + kov.scr_calcq.whole + kov.scr_calcq.count, 0);

    kov.csv_put_form(0, 0, "CALC(R2C2:R3C3) + RC");
    kov.csv_put_form(2, 3, "RC + 5");
    kov.csv_form_calc(nullptr);
    ASSERT_EQ(kov.scr_calcq.count, 1);
    EXPECT_EQ(kov.scr_calcq.area[0].x2, 3);
    host.host_pump();
    EXPECT_EQ(cell(2, 3), "10");   // once by the pass, once by the request
}

TEST_F(Calc, QueueLimits)
{
    KOV_RECT a = {1, 1, 1, 1};
    for (int k = 0; k < SCR_CALCQ_MAX; k++) ASSERT_EQ(kov.scr_calc_request(&kov, &a), 0);
    EXPECT_EQ(kov.scr_calc_request(&kov, &a), -1);
    EXPECT_EQ(count("msgbox 再計算件数超過"), 1);
    EXPECT_EQ(kov.scr_calc_request(&kov, nullptr), 0);   // the whole sheet replaces the areas
    EXPECT_EQ(kov.scr_calcq.count, 0);
    EXPECT_EQ(kov.scr_calc_request(&kov, &a), 0);
    EXPECT_EQ(kov.scr_calcq.count, 0);
    kov.scr_calcq = SCR_CALCQ();
    kov.kov_tstat(TMCD_SET, TST_SCRPT_PAUSE);   // a script owns the interpreter: dropped
    EXPECT_EQ(kov.scr_calc_request(&kov, nullptr), 0);
    EXPECT_EQ(kov.scr_calcq.whole, 0);
    kov.csv_put_form(0, 0, "5");
    EXPECT_EQ(kov.csv_form_calc(nullptr), 0);
    EXPECT_EQ(cell(0, 0), "empty");
}

TEST_F(Calc, PartRecreation)
{
    struct PART : CSV_PART {
        int alive, *resets;
        PART(int alive, int *resets) : alive(alive), resets(resets) {}
        bool part_alive() const override { return alive; }
        void part_reset() override { ++*resets; }
    };
    int resets = 0;
    kov.csv_put_form(2, 2, "RC + 1");
    kov.csv_put_form(3, 3, "RC + 1");
    kov.csv_put_form(4, 4, "RC + 1");
    kov.csv_set_part(2, 2, new PART(1, &resets));
    kov.csv_set_part(3, 3, new PART(0, &resets));   // no window: left alone
    EXPECT_EQ(kov.kov_remake_parts(), 1);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(cell(2, 2), "1");
    EXPECT_EQ(cell(3, 3), "empty");
    EXPECT_EQ(cell(4, 4), "empty");
}
