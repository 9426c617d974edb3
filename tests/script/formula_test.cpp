// Cell formulas: cell references through the current cell, ranges to built-ins and to script
// functions, leftover text, check mode.
#include <gtest/gtest.h>

#include "scrtest.h"
#include "script/scrlean.h"
#include "script/scrtree.h"

using namespace scrtest;

namespace {

struct Formula : ::testing::Test {
    ENV e;
    void SetUp() override
    {
        e.run("twice(var v){ return v * 2; } total(ARRAY &g, var x, var y, var w, var h){ return g[y][x] + w * 10 + h * 100; } main(){ return 0; }");
        e.csv.csv_put_num(0, 0, 5);
        e.csv.csv_put_num(1, 0, 7);
        e.csv.csv_put_str(0, 1, "ab");
    }
    VAL_U v;
    int calc(int x, int y, const char *f) { return e.scr.scr_calc_onecel(x, y, f, &v); }
};

// Values of formulas at their cells: names relative to the current cell, my, ranges to built-ins
// and to script functions, names that write their cells.
TEST_F(Formula, Values)
{
    struct { int x, y; const char *f, *want; } rows[] = {
        {2, 0, "R0C0 + RC[-1] * 2", "19"}, {0, 2, "R[-1]C", "ab"}, {3, 3, "my[0][1]", "7"},
        {4, 4, "SUM(R0C0:R1C1)", "12"}, {4, 4, "twice(R0C1)", "14"}, {4, 4, "1/0", "0"},
        {4, 4, "total(R0C1:R2C3)", "337"},   // my[0][1] + 3 columns * 10 + 3 rows * 100
        {5, 5, "R9C9 = 3, R9C9 += 1", "4"},
    };
    for (auto &r : rows) {
        ASSERT_EQ(calc(r.x, r.y, r.f), 0) << r.f;
        EXPECT_EQ(v.val_kind == VAL_STR ? v.val_gets() : std::to_string(int(v.val_getd())), r.want) << r.f;
    }
    EXPECT_EQ(e.csv.csv_get_num(9, 9), 4);
}

TEST_F(Formula, OutsideFormulasCellNamesAreIdentifiers)
{
    RUN r = e.run("main(){ var R0C0 = 4; return R0C0; }");
    EXPECT_TRUE(r.ran) << r.err;
    EXPECT_EQ(r.status, 4);
}

TEST_F(Formula, Failures)
{
    struct { const char *f; const char *err; } rows[] = {
        {"1 2", "無効な文字 2 がある"},
        {"1+", "式評価失敗"},
        {"R0C0[1]", "無効な文字 [1] がある"},
        {"nosuch(1)", "関数 nosuch() がない"},
    };
    for (auto &r : rows) {
        EXPECT_EQ(calc(4, 4, r.f), -1) << r.f;
        EXPECT_STREQ(e.scr.scr_get_nowerr(), r.err) << r.f;
    }
}

}  // namespace

// A formula is parsed at its first evaluation and kept with its text while the link stands: the
// same text at every cell of a column (names relative to each cell), every row of the tables
// above again with the text reader only, and a new link that makes a name an enumerator.
TEST_F(Formula, ParsedOnceAndKeptWhileTheLinkStands)
{
    for (int y = 1; y < 6; y++) {
        ASSERT_EQ(calc(3, y, y == 1 ? "1" : "R[-1]C+1"), 0);
        e.csv.csv_put_num(3, y, v.val_getd());
    }
    EXPECT_EQ(e.csv.csv_get_num(3, 5), 5);
    const char *forms[] = {"R0C0 + RC[-1] * 2", "R[-1]C", "SUM(R0C0:R1C1)", "twice(R0C1)", "R9C9 = 3, R9C9 += 1",
                           "1 2", "1+", "R0C0[1]", "nosuch(1)", "R0C0 ++", "(R0C1 > 6) ? R0C0 : R0C1", "R0C0 & \"x\"",
                           // cells read as numbers, a text, an empty cell, outside the sheet, past int
                           "R[0]C[-2] * 3 - R0C1", "R[1]C[-2] + 1", "RC[3] + 1", "R100C100 + 1", "R[2147483647]C + 1",
                           "R[1]C[1] + R[2]C[1] * 10 - R3C3"};   // the column filled above
    for (const char *f : forms) {
        std::string got[2];
        for (int mode = 0; mode < 2; mode++) {
            e.scr.scr_tree_mode = mode;
            for (int k = 0; k < 2; k++) {
                e.csv.csv_put_num(0, 0, 5);   // a formula that steps it starts from the same value
                int rc = calc(2, 0, f);
                got[mode] += std::to_string(rc) + ":" + (v.val_kind == VAL_STR ? v.val_gets() : std::to_string(v.val_getd())) +
                             ":" + e.scr.scr_get_nowerr() + ";";
            }
        }
        EXPECT_EQ(got[1], got[0]) << f;
    }
    e.scr.scr_tree_mode = 1;
    e.run("var K = 1; main(){ return 0; }");
    ASSERT_EQ(calc(4, 4, "K + 1"), 0);
    EXPECT_EQ(v.val_getd(), 2);
    e.run("enum { K = 10 }; main(){ return 0; }");
    ASSERT_EQ(calc(4, 4, "K + 1"), 0);
    EXPECT_EQ(v.val_getd(), 11);
}

// A function a formula calls runs as a tree, its calls too; a cell name there reads the cell
// (a global of that name in a script's run, also between two formulas' runs), a cell name in a
// string is text: all as the text reader gives it.
TEST_F(Formula, CalleesRunAsTrees)
{
    RUN r = e.run("var R0C0 = 100, R1C1 = 4; upto(var n){ var i, s = 0; for (i = 1; i <= n; i++) s += i; return s; }"
          "cellish(var n){ var i, s = 0; for (i = 0; i < n; i++) s += R0C0; return s; }"
          "quoted(var n){ var i, t = \"\"; for (i = 0; i < n; i++) t &= \"R1C1\"; return t; }"
          "both(var n){ return cellish(n) * 1000 + upto(n); }"
          "mine(){ var my[3][3]; my[1][1] = 9; return R1C1 * 10 + R1C1; }"
          "main(){ return cellish(1) + upto(2) + (quoted(1) == \"R1C1\"); }");   // parsed first as script
    ASSERT_TRUE(r.ran) << kov::sj_to_utf8(r.err);
    const char *forms[] = {"upto(4) + R0C0", "cellish(3)", "quoted(2)", "upto(R0C1) * cellish(2)", "both(2)", "mine()"};
    for (const char *f : forms) {
        std::string got[2];
        for (int mode = 0; mode < 2; mode++) {
            e.scr.scr_tree_mode = mode;
            for (int k = 0; k < 2; k++) {
                int rc = calc(3, 3, f);
                got[mode] += std::to_string(rc) + ":" + (v.val_kind == VAL_STR ? v.val_gets() : std::to_string(v.val_getd())) + ";";
            }
        }
        EXPECT_EQ(got[1], got[0]) << f;
    }
    ASSERT_EQ(calc(3, 3, "upto(R0C1) * cellish(2)"), 0) << e.scr.scr_get_nowerr();
    EXPECT_EQ(v.val_getd(), 28 * 10);
    auto tree = [&](const char *fn) { return e.scr.scr_tree && e.scr.scr_tree->find(e.scr.scr_get_ftbl(fn)->text); };
    EXPECT_TRUE(tree("upto") && tree("cellish") && tree("quoted") && tree("both"));
    e.scr.scr_tree_mode = 2;   // the trees a script's run made, then from a formula
    EXPECT_EQ(e.run("var R0C0 = 100; f(){ return 7; } g(){ return R0C0 + f(); } main(){ return g() + g(); }").status, 214);
    ASSERT_EQ(calc(3, 3, "g()"), 0) << e.scr.scr_get_nowerr();
    EXPECT_EQ(v.val_getd(), 12);
}

// A function a formula calls runs lean as its tree call runs: numbers from cells, elements of
// the sheet, a recursion, a failure inside (its text), a text argument; a form of each reading,
// so that a name that is a cell in formulas stays a global in the script's runs, whichever
// reading made its form first.
TEST_F(Formula, CalleesRunLeanAsTheirTreeCalls)
{
    if (cache_env_off() || !e.scr.scr_tree_mode) GTEST_SKIP() << "lean runs are made from the trees and parsed forms";
    const char *script = "var R0C0 = 100; sq(var x){ var y = x * x; return y; } "
                         "fact(var n){ if (n < 2) return 1; return n * fact(n - 1); } "
                         "g(var n){ var s = 0, i; for (i = 0; i < n; i++) s += R0C0 + my[0][1]; return s; } "
                         "bad(var n){ var a[2]; a[n] = 1; return n; } "
                         "name(var t){ return t & \"!\"; } "
                         "main(){ return g(2); }";
    const char *forms[] = {"sq(R0C1) + fact(4)", "g(2)", "bad(RC[-4])", "name(R[-3]C[-3])", "fact(R0C0) + g(R0C0)", "bad(1) + bad(5)"};
    std::string got[2];
    long lean_runs = 0;
    for (int lean = 0; lean < 2; lean++) {
        RUN r = e.run(script);
        ASSERT_EQ(r.status, 214) << kov::sj_to_utf8(r.err);
        e.scr.scr_lean_on = lean;
        for (const char *f : forms)
            for (int y = 2; y < 6; y++) {   // (a callee without a loop has its tree at its second run)
                e.csv.csv_put_num(0, y, y);
                int rc = calc(4, y, f);
                got[lean] += std::to_string(rc) + ":" + (v.val_kind == VAL_STR ? v.val_gets() : std::to_string(v.val_getd())) +
                             ":" + e.scr.scr_get_nowerr() + ";";
            }
        int st = -1;   // the script's run again on the same link: its own forms
        ASSERT_EQ(e.scr.scr_do_allstep(e.scr.scr_text, &st), 0);
        EXPECT_EQ(st, 214);
        lean_runs = e.scr.scr_tree->lean->runs;
        e.scr.scr_lean_on = 1;
    }
    EXPECT_EQ(kov::sj_to_utf8(got[1]), kov::sj_to_utf8(got[0]));
    EXPECT_GE(lean_runs, 19) << kov::sj_to_utf8(got[1]);   // the formulas' calls after the first runs
}

// In a formula a cell range stands for a grid by reference and its four numbers: such calls
// bind their arguments without the text as the reader binds them at each cell (a range, a name
// or a number where a range may stand, two ranges, a range that stops short or reads past int at
// some cells only, a callee with a loop), and fail as it fails.
TEST_F(Formula, RangeCallsBindAsTheReaderBindsThem)
{
    RUN r = e.run("twice(var v){ return v * 2; } "
                  "total(ARRAY &g, var x, var y, var w, var h){ return g[y][x] + w * 10 + h * 100; } "
                  "rows(ARRAY &g, var x, var y, var w, var h){ var i, s = 0; for (i = 0; i < h; i++) s += g[y + i][x]; return s * w; } "
                  "two(ARRAY &g, var x, var y, var w, var h, var k, ARRAY &m, var x2, var y2, var w2, var h2){ return (g[y][x] + w * 10 + h * 100) * k + h2; } "
                  "main(){ return 0; }");
    ASSERT_TRUE(r.ran) << kov::sj_to_utf8(r.err);
    for (int y = 0; y < 6; y++) e.csv.csv_put_num(0, y, y * y + 1);
    const char *forms[] = {"total(R0C1:R2C3)", "total(R[-1]C[-1]:RC) + twice(2)", "total(R0C0)", "total(my, 1, 1, 2, twice(3))",
                           "rows(R0C0:R[2]C0)", "two(R0C0:R1C1, 3, R1C1:R2C2)", "total(R0C0:R[2147483646]C0)",
                           "total(R0C0 + 1)", "total(R0C0:R1C1, 1)", "total(my, 1, 2)", "total(nosuch, 1, 2, 3, 4)",
                           "rows(R0C0:R[-1]C0) + total(R0C0:R0C0)"};
    for (const char *f : forms) {
        std::string got[2];
        long bound[2] = {};
        for (int mode = 0; mode < 2; mode++) {
            e.scr.scr_tree_mode = mode;
            long before = e.scr.scr_tree ? e.scr.scr_tree->bound : 0;
            for (int y = 1; y < 5; y++) {
                int rc = calc(1 + y % 2, y, f);
                got[mode] += std::to_string(rc) + ":" + (rc ? e.scr.scr_get_nowerr() : std::to_string(v.val_getd())) + ";";
            }
            bound[mode] = (e.scr.scr_tree ? e.scr.scr_tree->bound : 0) - before;
        }
        EXPECT_EQ(kov::sj_to_utf8(got[1]), kov::sj_to_utf8(got[0])) << f;
        if (!cache_env_off() && (f == forms[0] || f == forms[4] || f == forms[5])) {
            EXPECT_GE(bound[1], 2) << f;   // (the first two calls are the reader's: the second builds the tree)
        }
    }
    e.scr.scr_tree_mode = 1;
    ASSERT_EQ(calc(4, 4, "two(R0C0:R1C1, 3, R1C1:R2C2)"), 0) << kov::sj_to_utf8(e.scr.scr_get_nowerr());
    EXPECT_EQ(v.val_getd(), (1 + 20 + 200) * 3 + 2);
    ASSERT_EQ(calc(1, 1, "total(R0C0:R[2147483646]C0)"), 0);   // 2^31 rows high
    EXPECT_EQ(v.val_getd(), 1 + 10 + 214748364800.0);
}

// A range argument of a parsed formula is read once and placed at each cell anew: a column of
// the same text, a name past int at some cells only (first or second), a second name that does
// not read.
TEST_F(Formula, RangesKeptByPositionFollowTheCell)
{
    for (int y = 0; y < 6; y++) e.csv.csv_put_num(0, y, y * y);
    struct { const char *f; bool down; } forms[] = {
        {"SUM(R[-2]C[-1]:R[-1]C[-1])", true}, {"SUM(R[-1]C0)", true}, {"SUM(R0C0:x)", true},
        {"SUM(R0C[2147483645]:R0C[2147483646])", false}, {"SUM(R0C[2147483646])", false},
    };
    for (auto &t : forms) {
        std::string got[2];
        for (int mode = 0; mode < 2; mode++) {
            e.scr.scr_tree_mode = mode;
            for (int k = 0; k < 4; k++) {
                int rc = t.down ? calc(1, k + 1, t.f) : calc(3 - k, 0, t.f);   // across: past int first
                got[mode] += std::to_string(rc) + ":" + (rc ? e.scr.scr_get_nowerr() : std::to_string(v.val_getd())) + ";";
            }
        }
        EXPECT_EQ(got[1], got[0]) << t.f;
    }
    ASSERT_EQ(calc(1, 5, "SUM(R[-2]C[-1]:R[-1]C[-1])"), 0);
    EXPECT_EQ(v.val_getd(), 9 + 16);
}
