// Moves of cells, rows and columns; sort, rotate, clear; automatic widths. What a move does to
// values is checked against a plain grid by fuzz_store; here: whole records, parts,
// widths, recalculation, refusals.
#include <cmath>
#include <string>
#include <vector>
#include <gtest/gtest.h>

#include "tests/support/store_facade.h"

using storetest::CountPart;
using storetest::Sheet;
using sheettest::ints;

// Rows 0..n-1 of column 0 hold "r0".."r<n-1>"; row y also has a formula with a part.
static void fill_rows(Sheet &s, int n, int *dead)
{
    for (int y = 0; y < n; y++) {
        s.csv_put_str(0, y, ("r" + std::to_string(y)).c_str());
        s.csv_put_form(1, y, "1");
        s.csv_set_part(1, y, new CountPart(dead));
    }
}

TEST(StoreMove, InsertAndDeleteRowsMoveWholeRecords)
{
    struct { bool del; int at, n; const char *want; int dead; } cases[] = {
        {true, 2, 3, "r0|r1|r5|r6|r7|r8|r9|||", 3},
        {true, 5, 100, "r0|r1|r2|r3|r4|||||", 5},  // a count beyond the end is cut
        {false, 3, 2, "r0|r1|r2|||r3|r4|r5|r6|r7", 2},  // r8 and r9 pushed off the sheet
        {false, 8, 50, "r0|r1|r2|r3|r4|r5|r6|r7||", 2},
    };
    for (auto &c : cases) {
        int dead = 0;
        Sheet s(4, 10);
        fill_rows(s, 10, &dead);
        int from = c.del ? c.at + c.n : c.at, to = c.del ? c.at : c.at + c.n;
        const CSV_CEL *rec = from < 10 ? s.csv_get_row(from)->cel : nullptr;
        ASSERT_EQ(c.del ? s.csv_del_rows(c.at, c.n) : s.csv_ins_rows(c.at, c.n), 0);
        EXPECT_EQ(s.column(0, 0, 10), c.want);
        if (rec && to < 10) {
            EXPECT_EQ(s.csv_get_row(to)->cel, rec) << c.want;
        }
        EXPECT_EQ(dead, c.dead) << c.want;
        EXPECT_EQ(s.calcs(), 1);
        EXPECT_EQ(s.csv_del_rows(10, 1) + s.csv_del_rows(0, 0) + s.csv_del_rows(-1, 1) + s.csv_ins_rows(10, 1), -4);
    }
}

TEST(StoreMove, InsertAndDeleteColumnsMoveWidthsAndParts)
{
    struct { bool del; int at, n; const char *want, *wides; int row0, dead; } cases[] = {
        {true, 1, 2, "a|d|e|f||", "1|4|5|6|10|10", 4, 0},
        {true, 3, 99, "a|b|c|||", "1|2|3|10|10|10", 3, 1},
        {false, 2, 2, "a|b|||c|d", "1|2|10|10|3|4", 6, 1},  // the formula of column 4 pushed off
        {false, 5, 4, "a|b|c|d|e|", "1|2|3|4|5|10", 5, 0},
    };
    for (auto &c : cases) {
        int dead = 0;
        Sheet s(6, 3);
        for (int x = 0; x < 6; x++) {
            s.csv_put_str(x, 0, std::string(1, char('a' + x)).c_str());
            s.csv_set_wide(x, x + 1);
        }
        s.csv_put_str(1, 1, "only");
        s.csv_put_form(4, 2, "1");
        CountPart *part = new CountPart(&dead);
        s.csv_set_part(4, 2, part);
        ASSERT_EQ(c.del ? s.csv_del_cols(c.at, c.n) : s.csv_ins_cols(c.at, c.n), 0);
        EXPECT_EQ(s.row(0, 6), c.want);
        EXPECT_EQ(s.wides(6), c.wides);
        EXPECT_EQ(s.row_cnt(0), c.row0) << c.want;
        EXPECT_EQ(dead, c.dead) << c.want;
        if (!dead) {
            EXPECT_EQ(s.csv_get_part(c.at > 4 ? 4 : c.del ? 4 - c.n : 4 + c.n, 2), part) << c.want;
        }
        EXPECT_EQ(s.calcs(), 1);
        EXPECT_EQ(s.csv_del_cols(6, 1) + s.csv_del_cols(0, 0) + s.csv_ins_cols(-1, 1), -3);
    }
}

// Sort keys: 'n<num>' a number, 't<text>' a text, '' empty.
static void put_key(Sheet &s, int y, const std::string &k)
{
    if (k.empty()) s.csv_clr_cel(0, y);
    else if (k[0] == 'n') s.csv_put_num(0, y, k == "nnan" ? NAN : std::stod(k.substr(1)));
    else s.csv_put_str(0, y, k.substr(1).c_str());
}

// Column 0 the key, column 1 the original position: equal keys keep their order both ways.
TEST(StoreSort, OrderByKindThenValueStableInBothDirections)
{
    struct { int order; std::vector<std::string> keys; const char *want; } cases[] = {
        {0, {"n2", "tx", "n1", "", "n2", "tx", "", "n1", "n2"}, "#3|#6|#2|#7|#0|#4|#8|#1|#5"},
        {1, {"n2", "tx", "n1", "", "n2", "tx", "", "n1", "n2"}, "#1|#5|#0|#4|#8|#2|#7|#3|#6"},
        {0, {"n-2", "n10", "n-20", "n0.5"}, "#2|#0|#3|#1"},
        {0, {"tB", "ta", "tlong text b", "tlong text a", "t日本", "tA"}, "#5|#0|#1|#3|#2|#4"},  // by bytes
        {0, {"n2", "nnan", "n1"}, "#1|#2|#0"},
    };
    for (auto &c : cases) {
        int n = int(c.keys.size());
        Sheet s(2, n + 2);
        for (int i = 0; i < n; i++) {
            put_key(s, i + 1, c.keys[i]);
            s.csv_put_num(1, i + 1, i);
        }
        s.csv_put_str(0, 0, "head");
        s.csv_put_str(0, n + 1, "tail");
        ASSERT_EQ(s.csv_sort_rows(c.order, 0, 1, n), 0);
        EXPECT_EQ(s.column(1, 1, n), c.want) << c.order;
        EXPECT_EQ(s.val(0, 0) + s.val(0, n + 1), "headtail");
        EXPECT_EQ(s.calcs(), 1);
    }
}

TEST(StoreRows, SortRotateAndClearKeepRecordsOrFreeThem)
{
    int dead = 0;
    Sheet s(3, 10);
    fill_rows(s, 5, &dead);
    s.csv_put_num(2, 0, 5);
    s.csv_put_num(2, 4, 1);
    CSV_PART *part4 = s.csv_get_part(1, 4);
    ASSERT_EQ(s.csv_sort_rows(0, 2, 0, 5), 0);
    EXPECT_EQ(s.column(0, 0, 5), "r1|r2|r3|r4|r0");
    EXPECT_EQ(s.csv_get_part(1, 3), part4);
    ASSERT_EQ(s.csv_rot_rows(1, 1, 3), 0);
    EXPECT_EQ(s.column(0, 0, 5), "r1|r4|r2|r3|r0");
    EXPECT_EQ(dead, 0);
    EXPECT_EQ(s.csv_sort_rows(0, 3, 0, 5) + s.csv_sort_rows(0, 0, 6, 5) + s.csv_sort_rows(0, 0, -1, 2) +
                  s.csv_sort_rows(0, 0, 0, 0) + s.csv_rot_rows(0, 8, 3) + s.csv_rot_rows(2, 0, 3),
              -6);
    EXPECT_EQ(s.calcs(), 2);
    EXPECT_EQ(s.csv_sort_rows(1, 0, 2, 1), 0);  // one row: nothing, no recalculation
    EXPECT_EQ(s.calcs(), 2);
    ASSERT_EQ(s.csv_clr_rows(1, 2), 0);
    EXPECT_EQ(s.column(0, 0, 5), "r1|||r3|r0");
    EXPECT_EQ(dead, 2);
    EXPECT_EQ(s.csv_clr_rows(8, 3), -1);  // leaves the sheet
}

TEST(StoreWidth, AutoWide)
{
    Sheet s(5, 10);
    s.csv_put_str(0, 0, "abc");
    s.csv_put_str(0, 3, "a text of twenty-one");
    s.csv_put_num(1, 2, 123.5);
    s.csv_put_str(3, 1, std::string(200, 'w').c_str());
    s.csv_put_str(4, 4, "x");
    s.csv_set_attr(2, 5, CSV_A_BACK, 3);  // no text: an empty column
    ASSERT_EQ(s.csv_set_autowide(7), 0);
    EXPECT_EQ(s.wides(5), "21|7|10|79|7");
    s.csv_rncol = 4;
    s.csv_set_autowide(0);  // minimum raised to 2
    EXPECT_EQ(s.csv_rnwide, 2);
    EXPECT_EQ(s.csv_get_wide(1), 6);
    s.csv_rncol = 2;
    s.csv_set_autowide(100);  // minimum cut to 79
    EXPECT_EQ(s.csv_rnwide, 79);
    EXPECT_EQ(s.csv_get_wide(0), 79);
    CSV_COL col;
    s.csv_get_col(2, &col);
    EXPECT_EQ(col.left, 2 * 79);
}
