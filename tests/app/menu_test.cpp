// The command table on a test host: what each kind of command does to the selection, and its
// refusals and messages.
#include "tests/support/appfix.h"

using namespace kovtest;

namespace {

struct Menu : APP {
    // The selection as the window gives it: its second corner is the cursor.
    int cmd(int id, KOV_RECT sel)
    {
        kov.kov_sel = sel;
        kov.csv_curx = sel.x2, kov.csv_cury = sel.y2;
        return kov.wm_menu(id);
    }
    std::string form(int x, int y) { return kov.csv_get_form(x, y) ? kov.csv_get_form(x, y) : ""; }
};

} // namespace

TEST_F(Menu, TotalsAndEquations)
{
    for (int y = 0; y < 3; y++) kov.csv_put_num(0, y, y + 1), kov.csv_put_num(1, y, 2 * y);
    EXPECT_EQ(cmd(139, {0, 0, 1, 2}), 0);
    EXPECT_EQ(form(0, 3), "SUM(R0C0:R2C0)");
    EXPECT_EQ(kov.csv_get_num(1, 3), 6);
    EXPECT_EQ(cmd(150, {0, 0, 1, 2}), 0);   // the regression line: four cells against column 0
    EXPECT_EQ(form(1, 4), "INTERCEPT(R0C1:R2C1,R0C0:R2C0)");
    EXPECT_EQ(form(1, 6), "STEYX(R0C1:R2C1,R0C0:R2C0)");
    EXPECT_EQ(cmd(155, {0, 0, 1, 0}), 0);   // an average right of the row
    EXPECT_EQ(form(2, 0), "AVERAGE(R0C0:R0C1)");
    EXPECT_EQ(cmd(139, {0, 17, 0, 19}), -1);
    EXPECT_LT(0, count("msgbox 集計セルが格納できません"));
    EXPECT_EQ(cmd(169, {0, 0, 2, 2}), -1);
    EXPECT_LT(0, count("msgbox n 行 n+1 列が必要"));
    kov.csv_put_num(0, 8, 2), kov.csv_put_num(1, 8, 4);   // 2x = 4
    EXPECT_EQ(cmd(169, {0, 8, 1, 8}), 0);
    EXPECT_EQ(form(2, 8), "MEQUATION(R8C0,R8C1)");
    EXPECT_EQ(kov.csv_get_num(2, 8), 2);
}

TEST_F(Menu, FillsSortAndAttributes)
{
    EXPECT_EQ(cmd(283, {0, 0, 1, 1}), 0);   // serial numbers in reading order
    EXPECT_EQ(kov.csv_get_num(1, 0), 2);
    EXPECT_EQ(kov.csv_get_num(0, 1), 3);
    EXPECT_EQ(cmd(282, {3, 0, 3, 1}), 0);
    EXPECT_EQ(kov.csv_get_num(3, 0), 0);
    EXPECT_EQ(cmd(285, {0, 0, 0, 1}), 0);   // descending by column 0
    EXPECT_EQ(kov.csv_get_num(0, 0), 3);
    EXPECT_EQ(cmd(284, {0, 0, 1, 1}), -1);
    EXPECT_LT(0, count("msgbox 横領域はソートキー 1 列を指定して下さい"));
    EXPECT_EQ(cmd(272, {5, 5, 5, 5}), 0);
    EXPECT_LT(kov.csv_get_num(5, 5), 10000);

    EXPECT_EQ(cmd(134, {1, 1, 3, 3}), 0);   // LINE,BOX: 12 edge bits, bottom and right outside
    int bits = 0;
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 6; x++) bits += kov.csv_get_attr(x, y, CSV_A_TOP) + kov.csv_get_attr(x, y, CSV_A_LEFT);
    EXPECT_EQ(bits, 12);
    EXPECT_EQ(kov.csv_get_attr(2, 4, CSV_A_TOP), 1);
    EXPECT_EQ(kov.csv_get_attr(4, 2, CSV_A_LEFT), 1);
    EXPECT_EQ(cmd(128, {6, 6, 7, 7}), 0);   // BACK,RED
    EXPECT_EQ(kov.csv_get_attr(7, 7, CSV_A_BACK), 6);
    EXPECT_EQ(cmd(90, {6, 6, 6, 6}), 0);    // FORMAT,f.2
    EXPECT_EQ(kov.csv_get_attr(6, 6, CSV_A_FMT), 12);
    EXPECT_EQ(cmd(122, {0, 10, 7, 11}), 0);   // clearing a background makes no cells
    EXPECT_EQ(kov.csv_get_cel(5, 11), nullptr);
}

TEST_F(Menu, SheetCommandsAndRefusals)
{
    EXPECT_EQ(cmd(22, {0, 3, 0, 3}), 0);
    EXPECT_EQ(kov.csv_cnrow, 3);
    cmd(22, {0, 3, 0, 3});
    EXPECT_EQ(kov.csv_cnrow, -1);   // pressed twice: off again
    kov.csv_put_num(4, 6, 1);
    cmd(31, {0, 0, 0, 0});
    EXPECT_EQ(std::make_pair(kov.csv_curx, kov.csv_cury), std::make_pair(4, 6));
    cmd(35, {4, 6, 4, 6});   // mark 1 here, go elsewhere and back
    cmd(29, {});
    cmd(39, {});
    EXPECT_EQ(kov.csv_cury, 6);
    kov.csv_put_str(2, 9, "needle");
    kov.kov_find = "eed";
    EXPECT_EQ(cmd(26, {}), 0);
    EXPECT_EQ(std::make_pair(kov.csv_curx, kov.csv_cury), std::make_pair(2, 9));
    EXPECT_EQ(cmd(27, {2, 9, 2, 9}), -1);   // nothing else has it
    EXPECT_EQ(std::make_pair(kov.csv_curx, kov.csv_cury), std::make_pair(2, 9));
    EXPECT_EQ(cmd(253, {0, 1, 0, 2}), 0);   // two rows in before row 1
    EXPECT_EQ(kov.csv_get_num(4, 8), 1);
    EXPECT_EQ(cmd(76, {1, 0, 2, 0}), 0);    // the selected columns 20 wide
    EXPECT_EQ(kov.csv_get_wide(2), 20);
    EXPECT_EQ(kov.csv_get_wide(3), 10);
    cmd(43, {});   // the screen lock refuses every change
    EXPECT_EQ(cmd(283, {0, 0, 0, 0}), -1);
    EXPECT_LT(0, count("status スクリーン・ロック状態です"));
    EXPECT_EQ(kov.csv_get_type(0, 0), 0);
    cmd(43, {});
    host.answer = KOV_IDCANCEL;   // a confirmation cancelled does nothing
    EXPECT_EQ(cmd(8, {}), 0);
    EXPECT_EQ(kov.csv_get_num(4, 8), 1);
}

// Copy and paste between two regions: formulas keep their relative names, values come along.
TEST_F(Menu, CopyAndPasteBetweenRegions)
{
    kov.csv_put_num(0, 0, 3);
    kov.csv_put_form(1, 0, "RC[-1]*2");
    kov.csv_form_calc(nullptr);
    ASSERT_EQ(cmd(262, {0, 0, 1, 0}), 0);
    ASSERT_EQ(cmd(264, {0, 5, 0, 5}), 0);
    EXPECT_EQ(kov.csv_get_num(0, 5), 3);
    EXPECT_EQ(form(1, 5), "RC[-1]*2");
    EXPECT_EQ(kov.csv_get_num(1, 5), 6);
    ASSERT_EQ(cmd(263, {1, 0, 1, 0}), 0);   // values only
    ASSERT_EQ(cmd(264, {3, 3, 3, 3}), 0);
    EXPECT_EQ(kov.csv_get_num(3, 3), 6);
    EXPECT_EQ(form(3, 3), "");
}
