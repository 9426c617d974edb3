// Moves of cells, rows and columns; sort, rotate, swap, clear; automatic widths.
#include <cmath>
#include <string>
#include <vector>
#include <gtest/gtest.h>

#include "tests/sheet/store_facade.h"

using storetest::CountPart;
using storetest::Sheet;

// Rows 0..n-1 of column 0 hold "r0".."r<n-1>"; row y also has a formula with a part.
static void fill_rows(Sheet &s, int n, int *dead)
{
    for (int y = 0; y < n; y++) {
        s.csv_put_str(0, y, ("r" + std::to_string(y)).c_str());
        s.csv_put_form(1, y, "1");
        s.csv_set_part(1, y, new CountPart(dead));
    }
}

// Row 0 of columns 0..5 holds "a".."f"; column x is x + 1 wide.
static void fill_columns(Sheet &s)
{
    for (int x = 0; x < 6; x++) {
        s.csv_put_str(x, 0, std::string(1, char('a' + x)).c_str());
        s.csv_set_wide(x, x + 1);
    }
}

TEST(StoreMove, MoveCellPassesTheWholeRecord)
{
    int dead = 0;
    Sheet s;
    s.csv_put_str(0, 0, "a long text that moves");
    s.csv_put_form(0, 0, "R0C1");
    s.csv_set_attr(0, 0, CSV_A_BACK, 4);
    CountPart *part = new CountPart(&dead);
    s.csv_set_part(0, 0, part);
    const char *text = s.csv_get_cel(0, 0)->val.p;
    s.csv_put_num(3, 2, 9);
    ASSERT_EQ(s.csv_move_cel(3, 2, 0, 0), 0);
    EXPECT_EQ(s.csv_get_cel(3, 2)->val.p, text);  // ownership passed, no copy
    EXPECT_EQ(s.csv_get_part(3, 2), part);
    EXPECT_EQ(s.csv_get_attr(3, 2, CSV_A_BACK), 4);
    EXPECT_EQ(s.row_cnt(0), 0);  // source zeroed and trimmed
    EXPECT_EQ(dead, 0);
    // Within one row, to the right (the row grows under the source).
    s.csv_put_str(0, 5, "x");
    ASSERT_EQ(s.csv_move_cel(9, 5, 0, 5), 0);
    EXPECT_EQ(s.val(9, 5), "x");
    EXPECT_EQ(s.row_cnt(5), 10);
    EXPECT_EQ(s.csv_get_use(0, 5), 0);
    // The same cell: nothing; a missing source: the target is cleared.
    EXPECT_EQ(s.csv_move_cel(9, 5, 9, 5), 0);
    EXPECT_EQ(s.val(9, 5), "x");
    ASSERT_EQ(s.csv_move_cel(3, 2, 7, 7), 0);
    EXPECT_EQ(s.csv_get_cel(3, 2), nullptr);
    EXPECT_EQ(dead, 1);
}

TEST(StoreMove, DeleteRowsMovesWholeRecords)
{
    int dead = 0;
    Sheet s(4, 10);
    fill_rows(s, 10, &dead);
    const CSV_CEL *row5 = s.csv_get_row(5)->cel;
    CSV_PART *part5 = s.csv_get_part(1, 5);
    ASSERT_EQ(s.csv_del_rows(2, 3), 0);
    EXPECT_EQ(s.column(0, 0, 10), "r0|r1|r5|r6|r7|r8|r9|||");
    EXPECT_EQ(s.csv_get_row(2)->cel, row5);
    EXPECT_EQ(s.csv_get_part(1, 2), part5);
    EXPECT_EQ(dead, 3);
    EXPECT_EQ(s.calcs, 1);
    // A count beyond the end is cut.
    ASSERT_EQ(s.csv_del_rows(5, 100), 0);
    EXPECT_EQ(s.column(0, 0, 6), "r0|r1|r5|r6|r7|");
    EXPECT_EQ(dead, 5);
    EXPECT_EQ(s.csv_del_rows(10, 1), -1);
    EXPECT_EQ(s.csv_del_rows(0, 0), -1);
    EXPECT_EQ(s.csv_del_rows(-1, 1), -1);
}

TEST(StoreMove, InsertRowsMovesWholeRecords)
{
    int dead = 0;
    Sheet s(4, 10);
    fill_rows(s, 10, &dead);
    const CSV_CEL *row3 = s.csv_get_row(3)->cel;
    ASSERT_EQ(s.csv_ins_rows(3, 2), 0);
    EXPECT_EQ(s.column(0, 0, 10), "r0|r1|r2|||r3|r4|r5|r6|r7");
    EXPECT_EQ(s.csv_get_row(5)->cel, row3);
    EXPECT_EQ(dead, 2);  // r8 and r9 pushed off the sheet
    EXPECT_EQ(s.csv_get_row(3)->cnt, 0);
    ASSERT_EQ(s.csv_ins_rows(8, 50), 0);  // cut to the end
    EXPECT_EQ(s.column(0, 6, 4), "r4|r5||");
    EXPECT_EQ(s.csv_ins_rows(10, 1), -1);
    EXPECT_EQ(s.calcs, 2);
}

TEST(StoreMove, DeleteColumns)
{
    int dead = 0;
    Sheet s(6, 3);
    fill_columns(s);
    s.csv_put_str(1, 1, "only");
    s.csv_put_form(4, 2, "1");
    CountPart *part = new CountPart(&dead);
    s.csv_set_part(4, 2, part);
    ASSERT_EQ(s.csv_del_cols(1, 2), 0);
    EXPECT_EQ(s.row(0, 6), "a|d|e|f||");
    EXPECT_EQ(s.wides(6), "1|4|5|6|10|10");
    EXPECT_EQ(s.row_cnt(0), 4);
    EXPECT_EQ(s.row_cnt(1), 0);
    EXPECT_EQ(s.csv_get_part(2, 2), part);
    EXPECT_EQ(dead, 0);
    ASSERT_EQ(s.csv_del_cols(3, 99), 0);  // cut to the end
    EXPECT_EQ(s.row_cnt(0), 3);
    EXPECT_EQ(s.csv_del_cols(6, 1), -1);
    EXPECT_EQ(s.csv_del_cols(0, 0), -1);
    EXPECT_EQ(s.calcs, 2);
}

TEST(StoreMove, InsertColumns)
{
    int dead = 0;
    Sheet s(6, 3);
    fill_columns(s);
    s.csv_put_form(5, 1, "1");
    s.csv_set_part(5, 1, new CountPart(&dead));
    s.csv_put_str(0, 2, "left");
    ASSERT_EQ(s.csv_ins_cols(2, 2), 0);
    EXPECT_EQ(s.row(0, 6), "a|b|||c|d");
    EXPECT_EQ(s.wides(6), "1|2|10|10|3|4");
    EXPECT_EQ(dead, 1);  // the formula of column 5 was pushed off
    EXPECT_EQ(s.row_cnt(1), 0);
    EXPECT_EQ(s.val(0, 2), "left");
    EXPECT_EQ(s.row_cnt(2), 1);
    ASSERT_EQ(s.csv_ins_cols(5, 4), 0);
    EXPECT_EQ(s.row_cnt(0), 5);
    EXPECT_EQ(s.csv_ins_cols(-1, 1), -1);
    EXPECT_EQ(s.calcs, 2);
}

// Sort keys: 'n<num>' a number, 't<text>' a text, '' empty.
static void put_key(Sheet &s, int y, const std::string &k)
{
    if (k.empty()) s.csv_clr_cel(0, y);
    else if (k[0] == 'n') s.csv_put_num(0, y, k == "nnan" ? NAN : std::stod(k.substr(1)));
    else s.csv_put_str(0, y, k.substr(1).c_str());
}

TEST(StoreSort, OrderByKindThenValue)
{
    struct Case {
        int order;
        std::vector<std::string> keys;
        const char *want;
    } cases[] = {
        {0, {"n3", "tb", "", "n1", "ta"}, "|#1|#3|a|b"},
        {1, {"n3", "tb", "", "n1", "ta"}, "b|a|#3|#1|"},
        {0, {"n-2", "n10", "n-20", "n0.5"}, "#-20|#-2|#0.5|#10"},
        {0, {"tB", "ta", "tlong text b", "tlong text a", "t日本", "tA"}, "A|B|a|long text a|long text b|日本"},
        {1, {"", "", "n1"}, "#1||"},
        {0, {"n2", "nnan", "n1"}, "#nan|#1|#2"},
    };
    for (const Case &c : cases) {
        Sheet s(3, 20);
        int n = int(c.keys.size());
        for (int i = 0; i < n; i++) put_key(s, i + 1, c.keys[i]);
        s.csv_put_str(0, 0, "head");
        s.csv_put_str(0, n + 1, "tail");
        ASSERT_EQ(s.csv_sort_rows(c.order, 0, 1, n), 0);
        std::string got = s.column(0, 1, n);
        if (got.find("-nan") != std::string::npos) got.replace(got.find("-nan"), 4, "nan");
        EXPECT_EQ(got, c.want) << c.order;
        EXPECT_EQ(s.val(0, 0), "head");
        EXPECT_EQ(s.val(0, n + 1), "tail");
        EXPECT_EQ(s.calcs, 1);
    }
}

TEST(StoreSort, StableInBothDirections)
{
    // Column 0 the key, column 1 the original position.
    const char *keys[] = {"n2", "tx", "n1", "", "n2", "tx", "", "n1", "n2"};
    for (int order = 0; order < 2; order++) {
        Sheet s(2, 9);
        for (int y = 0; y < 9; y++) {
            put_key(s, y, keys[y]);
            s.csv_put_num(1, y, y);
        }
        ASSERT_EQ(s.csv_sort_rows(order, 0, 0, 9), 0);
        EXPECT_EQ(s.column(1, 0, 9), order == 0 ? "#3|#6|#2|#7|#0|#4|#8|#1|#5" : "#1|#5|#0|#4|#8|#2|#7|#3|#6");
    }
}

TEST(StoreSort, WholeRecordsAndRefusals)
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
    EXPECT_EQ(dead, 0);
    EXPECT_EQ(s.csv_sort_rows(0, 3, 0, 5), -1);   // key outside
    EXPECT_EQ(s.csv_sort_rows(0, 0, 6, 5), -1);   // rows leave the sheet
    EXPECT_EQ(s.csv_sort_rows(0, 0, -1, 2), -1);
    EXPECT_EQ(s.csv_sort_rows(0, 0, 0, 0), -1);
    s.calcs = 0;
    EXPECT_EQ(s.csv_sort_rows(1, 0, 2, 1), 0);  // one row: nothing
    EXPECT_EQ(s.calcs, 0);
}

TEST(StoreRotate, UpAndDown)
{
    struct Case {
        int dir, y, n;
        const char *want;
    } cases[] = {
        {0, 1, 3, "r0|r2|r3|r1|r4"},
        {1, 1, 3, "r0|r3|r1|r2|r4"},
        {0, 0, 5, "r1|r2|r3|r4|r0"},
        {1, 0, 1, "r0|r1|r2|r3|r4"},
    };
    for (const Case &c : cases) {
        int dead = 0;
        Sheet s(3, 5);
        fill_rows(s, 5, &dead);
        ASSERT_EQ(s.csv_rot_rows(c.dir, c.y, c.n), 0);
        EXPECT_EQ(s.column(0, 0, 5), c.want);
        EXPECT_EQ(dead, 0);
    }
    Sheet s(3, 5);
    EXPECT_EQ(s.csv_rot_rows(0, 3, 3), -1);
    EXPECT_EQ(s.csv_rot_rows(2, 0, 3), -1);
}

TEST(StoreRows, SwapAndClear)
{
    int dead = 0;
    Sheet s(3, 6);
    fill_rows(s, 6, &dead);
    ASSERT_EQ(s.csv_swap_rows(0, 5), 0);
    EXPECT_EQ(s.column(0, 0, 6), "r5|r1|r2|r3|r4|r0");
    EXPECT_EQ(s.csv_swap_rows(0, 6), -1);
    ASSERT_EQ(s.csv_clr_rows(1, 2), 0);
    EXPECT_EQ(s.column(0, 0, 6), "r5|||r3|r4|r0");
    EXPECT_EQ(dead, 2);
    EXPECT_EQ(s.csv_clr_rows(4, 3), -1);  // leaves the sheet
    EXPECT_EQ(s.column(0, 4, 2), "r4|r0");
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
