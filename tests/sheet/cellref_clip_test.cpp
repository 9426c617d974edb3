// Formulas through the clipboard moves: a moved block and everything naming it keep their
// cells; pasted copies keep their relative offsets and take absolute names into the copied
// block along.
#include "tests/sheet/cellref_fill.h"
#include "tests/sheet/file_facade.h"

#include <gtest/gtest.h>

namespace {

using namespace cellfill;

TEST(CellClip, MoveKeepsEveryReference)
{
    filetest::Sheet s(30, 30);
    auto forms = block(8, 0, 13, 13);
    auto below = block(0, 8, 7, 13);
    forms.insert(forms.end(), below.begin(), below.end());
    fill(s, 8, 8, forms);
    int before = 0, after = 0;
    expect_refs_hold(s, &before);
    CSV_RECT src = {6, 6, 9, 9}, t = {15, 20, 15, 20};  // values and formulas to an empty area
    ASSERT_EQ(s.file.csv_clip_copy(&src, "$$b"), 0);
    ASSERT_EQ(s.file.csv_clip_move(&t), 0);
    EXPECT_EQ(s.csv_get_form(8, 6), nullptr);
    EXPECT_NE(s.csv_get_form(17, 20), nullptr);
    expect_refs_hold(s, &after);
    EXPECT_EQ(after, before);
}

TEST(CellClip, PastedCopiesTravelWithTheirOffsets)
{
    filetest::Sheet s(30, 30);
    s.csv_put_num(2, 2, 1);
    ASSERT_EQ(s.csv_put_form(2, 3, "R[-1]C+R2C2+R0C0"), 0);   // R2C2 inside, R0C0 outside
    ASSERT_EQ(s.csv_put_form(3, 3, "RC[-1]+R3C2"), 0);
    CSV_RECT src = {2, 2, 3, 3};
    ASSERT_EQ(s.file.csv_clip_copy(&src, "$$b"), 0);
    CSV_RECT t = {10, 10, 13, 15};                              // two by three copies
    ASSERT_EQ(s.file.csv_clip_paste(&t, 0), 0);
    for (int j = 0; j < 3; j++)
        for (int i = 0; i < 2; i++) {
            int tx = 10 + 2 * i, ty = 10 + 2 * j;
            std::string r = "R" + std::to_string(ty), c = "C" + std::to_string(tx);
            EXPECT_EQ(s.form(tx, ty + 1), "R[-1]C+" + r + c + "+R0C0");
            EXPECT_EQ(s.form(tx + 1, ty + 1), "RC[-1]+R" + std::to_string(ty + 1) + c);
        }
    EXPECT_EQ(s.form(2, 3), "R[-1]C+R2C2+R0C0");               // the source as it was
    EXPECT_EQ(s.form(3, 3), "RC[-1]+R3C2");
}

} // namespace
