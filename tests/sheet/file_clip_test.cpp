// The clipboard transfer: copy through the temporary files, paste with tiling and reference
// adjustment, move. Moved blocks and everything naming them keep their cells; pasted copies keep
// their relative offsets and take absolute names into the copied block along.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/cellref_fill.h"
#include "tests/support/file_facade.h"

using filetest::Sheet;
using sheettest::ints;

namespace {

int files_in(const std::string &dir)
{
    return int(std::distance(std::filesystem::directory_iterator(dir), {}));
}

} // namespace

TEST(FileClip, PasteTilesWholeCopiesAndAdjusts)
{
    Sheet s(30, 30);
    s.csv_put_num(2, 2, 1);
    s.csv_set_attr(2, 2, CSV_A_BACK, 6);
    ASSERT_EQ(s.csv_put_form(2, 3, "R[-1]C+R2C2+R0C0"), 0);  // R2C2 inside, R0C0 outside
    ASSERT_EQ(s.csv_put_form(3, 3, "RC[-1]+R3C2"), 0);
    CSV_RECT src = {2, 2, 3, 3};
    ASSERT_EQ(s.file.csv_clip_copy(&src, "$$b"), 0);
    s.csv_put_str(10, 11, "old");
    s.csv_set_attr(10, 10, CSV_A_TOP, 1);
    s.csv_put_str(14, 10, "keep");
    s.csv_put_str(10, 16, "keep");
    s.csv_set_modify(0);
    CSV_RECT t = {10, 10, 14, 15};  // two whole copies across, three down
    ASSERT_EQ(s.file.csv_clip_paste(&t, 0), 0);
    EXPECT_EQ(s.csv_get_modify(), 1);
    for (int j = 0; j < 3; j++)
        for (int i = 0; i < 2; i++) {
            int tx = 10 + 2 * i, ty = 10 + 2 * j;
            std::string r = "R" + std::to_string(ty), c = "C" + std::to_string(tx);
            EXPECT_EQ(s.val(tx, ty) + "|" + s.val(tx, ty + 1), "#1|");
            EXPECT_EQ(ints({s.csv_get_attr(tx, ty, CSV_A_BACK), s.csv_get_attr(tx, ty, CSV_A_TOP)}), ints({6, 0}));
            EXPECT_EQ(s.form(tx, ty + 1), "R[-1]C+" + r + c + "+R0C0");
            EXPECT_EQ(s.form(tx + 1, ty + 1), "RC[-1]+R" + std::to_string(ty + 1) + c);
        }
    EXPECT_EQ(s.val(14, 10) + s.val(10, 16), "keepkeep");
    EXPECT_EQ(s.form(2, 3), "R[-1]C+R2C2+R0C0");  // the source as it was
    CSV_RECT t2 = {20, 0, 20, 0};  // no adjustment asked: the text stays as copied
    ASSERT_EQ(s.file.csv_clip_paste(&t2, 1), 0);
    EXPECT_EQ(s.form(20, 1), "R[-1]C+R2C2+R0C0");
    EXPECT_EQ(files_in(s.dir.path), 0);
}

TEST(FileClip, PasteOfValuesOrForeignText)
{
    Sheet s;
    CSV_RECT t = {0, 0, 0, 0};
    EXPECT_EQ(s.file.csv_clip_paste(&t, 0) + s.file.csv_clip_paste(nullptr, 0), -2);  // no clipboard text
    s.csv_put_num(0, 0, 2);
    s.csv_put_form(0, 0, "1+1");
    ASSERT_EQ(s.file.csv_clip_copy(&t, "$$t"), 0);
    s.csv_set_attr(3, 3, CSV_A_BACK, 4);
    s.csv_put_form(3, 3, "9");
    CSV_RECT t2 = {3, 3, 4, 3};
    ASSERT_EQ(s.file.csv_clip_paste(&t2, 0), 0);  // values only: attributes stay
    EXPECT_EQ(s.row(3, 5) + "|" + s.form(3, 3), "|||#2|#2|");
    EXPECT_EQ(s.csv_get_attr(3, 3, CSV_A_BACK), 4);
    s.host.clip() = "a,\"b,c\"\r\n3\r\n";  // text from elsewhere pastes as plain CSV
    CSV_RECT t3 = {2, 6, 2, 6};
    s.csv_set_modify(0);
    ASSERT_EQ(s.file.csv_clip_paste(&t3, 0), 0);
    EXPECT_EQ(s.csv_get_modify(), 1);
    EXPECT_EQ(s.row(6, 4) + "|" + s.val(2, 7), "||a|b,c|#3");
}

TEST(FileClip, MoveKeepsEveryReference)
{
    Sheet s(30, 30);
    auto forms = cellfill::block(8, 0, 13, 13, {0, 8, 7, 13});
    cellfill::fill(s, 8, 8, forms);
    s.csv_set_attr(6, 6, CSV_A_BACK, 6);
    int before = 0, after = 0;
    cellfill::expect_refs_hold(s, &before);
    CSV_RECT src = {6, 6, 9, 9}, t = {15, 20, 15, 20};  // values and formulas to an empty area
    ASSERT_EQ(s.file.csv_clip_copy(&src, "$$b"), 0);
    ASSERT_EQ(s.file.csv_clip_move(&t), 0);
    EXPECT_EQ(s.csv_get_form(8, 6), nullptr);
    EXPECT_NE(s.csv_get_form(17, 20), nullptr);
    EXPECT_EQ(ints({s.csv_get_attr(6, 6, CSV_A_BACK), s.csv_get_attr(15, 20, CSV_A_BACK)}), ints({0, 6}));
    cellfill::expect_refs_hold(s, &after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(files_in(s.dir.path), 0);
    // Values only: the source keeps its attributes, the target gets none.
    s.csv_put_num(1, 25, 4);
    s.csv_set_attr(1, 25, CSV_A_TEXT, 2);
    CSV_RECT r = {1, 25, 1, 25}, t2 = {6, 26, 6, 26};
    ASSERT_EQ(s.file.csv_clip_copy(&r, "$$t"), 0);
    ASSERT_EQ(s.file.csv_clip_move(&t2), 0);
    EXPECT_EQ(s.val(1, 25) + "|" + s.val(6, 26), "|#4");
    EXPECT_EQ(ints({s.csv_get_attr(1, 25, CSV_A_TEXT), s.csv_get_attr(6, 26, CSV_A_TEXT)}), ints({2, 0}));
}
