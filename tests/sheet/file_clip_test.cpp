// The clipboard transfer: copy through the temporary files, paste with tiling and reference
// adjustment, move.
#include <gtest/gtest.h>

#include <dirent.h>

#include "tests/sheet/file_facade.h"

using filetest::Sheet;

namespace {

int files_in(const std::string &dir)
{
    int n = 0;
    DIR *d = opendir(dir.c_str());
    while (struct dirent *e = d ? readdir(d) : nullptr) n += e->d_name[0] != '.';
    if (d) closedir(d);
    return n;
}

} // namespace

TEST(FileClip, CopyPutsTheFileTextOnTheClipboard)
{
    Sheet s;
    s.csv_put_num(1, 1, 1);
    s.csv_put_form(1, 2, "R[-1]C+1");
    s.csv_set_attr(2, 2, CSV_A_TEXT, 5);
    CSV_RECT r = {1, 1, 2, 2};
    ASSERT_EQ(s.file.csv_clip_copy(&r, "$$b"), 0);
    EXPECT_EQ(s.host.clip(), s.text(CSV_P_ALL, &r));
    EXPECT_EQ(s.csv_copy_kind, 1);
    EXPECT_STREQ(s.csv_copy_name, "$$b");
    EXPECT_EQ(s.csv_copy_rect.x2, 2);
    ASSERT_EQ(s.file.csv_clip_copy(&r, "$$t"), 0);
    EXPECT_EQ(s.host.clip(), "1,\r\n,\r\n");
    EXPECT_EQ(files_in(s.dir.path), 0);   // the transfer files are gone
    EXPECT_EQ(s.csv_get_modify(), 1);
    // A copy that fails forgets the remembered region.
    filetest::Atts atts;
    s.host.tmpdir = s.path("missing");
    EXPECT_EQ(s.file.csv_clip_copy(&r, "$$b"), -1);
    EXPECT_EQ(s.csv_copy_kind, 0);
    EXPECT_EQ(s.file.csv_clip_move(&r), -1);
}

TEST(FileClip, PasteAdjustsByTheDistance)
{
    Sheet s;
    s.csv_put_num(1, 1, 1);
    s.csv_put_form(1, 2, "R[-1]C+R1C1+R0C0");
    s.csv_set_attr(1, 2, CSV_A_BACK, 6);
    CSV_RECT r = {1, 1, 1, 2};
    ASSERT_EQ(s.file.csv_clip_copy(&r, "$$b"), 0);
    s.csv_put_str(5, 6, "old");
    s.csv_set_attr(5, 5, CSV_A_TOP, 1);
    CSV_RECT t = {5, 5, 5, 5};
    s.csv_set_modify(0);
    ASSERT_EQ(s.file.csv_clip_paste(&t, 0), 0);
    EXPECT_EQ(s.csv_get_modify(), 1);   // pasted cells are unsaved changes
    EXPECT_EQ(s.val(5, 5), "#1");
    EXPECT_EQ(s.csv_get_attr(5, 5, CSV_A_TOP), 0);   // the full format brings its attributes
    EXPECT_EQ(s.val(5, 6), "");
    EXPECT_EQ(s.form(5, 6), "R[-1]C+R5C5+R0C0");
    EXPECT_EQ(s.csv_get_attr(5, 6, CSV_A_BACK), 6);
    EXPECT_EQ(s.form(1, 2), "R[-1]C+R1C1+R0C0");      // the source is untouched
    // No adjustment asked: the text stays as copied.
    CSV_RECT t2 = {7, 0, 7, 0};
    ASSERT_EQ(s.file.csv_clip_paste(&t2, 1), 0);
    EXPECT_EQ(s.form(7, 1), "R[-1]C+R1C1+R0C0");
    EXPECT_EQ(files_in(s.dir.path), 0);
}

TEST(FileClip, PasteTilesWholeCopies)
{
    Sheet s;
    s.csv_put_num(0, 0, 5);
    s.csv_put_form(1, 0, "R0C0+RC[-1]");
    CSV_RECT r = {0, 0, 1, 0};
    ASSERT_EQ(s.file.csv_clip_copy(&r, "$$b"), 0);
    s.csv_put_str(4, 5, "keep");
    s.csv_put_str(0, 7, "keep");
    CSV_RECT t = {0, 5, 4, 6};   // 5 x 2: two whole copies across, two down
    ASSERT_EQ(s.file.csv_clip_paste(&t, 0), 0);
    for (int y = 5; y <= 6; y++) {
        EXPECT_EQ(s.val(0, y), "#5");
        EXPECT_EQ(s.val(2, y), "#5");
        EXPECT_EQ(s.form(1, y), "R" + std::to_string(y) + "C0+RC[-1]");
        EXPECT_EQ(s.form(3, y), "R" + std::to_string(y) + "C2+RC[-1]");
    }
    EXPECT_EQ(s.val(4, 5), "keep");
    EXPECT_EQ(s.val(0, 7), "keep");
}

TEST(FileClip, ValuesOnlyPasteKeepsAttributes)
{
    Sheet s;
    s.csv_put_num(0, 0, 2);
    s.csv_put_form(0, 0, "1+1");
    CSV_RECT r = {0, 0, 0, 0};
    ASSERT_EQ(s.file.csv_clip_copy(&r, "$$t"), 0);
    s.csv_set_attr(3, 3, CSV_A_BACK, 4);
    s.csv_put_form(3, 3, "9");
    CSV_RECT t = {3, 3, 4, 3};
    ASSERT_EQ(s.file.csv_clip_paste(&t, 0), 0);
    EXPECT_EQ(s.val(3, 3), "#2");
    EXPECT_EQ(s.form(3, 3), "");
    EXPECT_EQ(s.csv_get_attr(3, 3, CSV_A_BACK), 4);
    EXPECT_EQ(s.val(4, 3), "#2");
}

TEST(FileClip, PasteNeedsAClipboardText)
{
    Sheet s;
    CSV_RECT t = {0, 0, 0, 0};
    EXPECT_EQ(s.file.csv_clip_paste(&t, 0), -1);
    EXPECT_EQ(s.file.csv_clip_paste(nullptr, 0), -1);
    // Text from elsewhere pastes as plain CSV.
    s.host.clip() = "a,\"b,c\"\r\n3\r\n";
    CSV_RECT t2 = {2, 2, 2, 2};
    s.csv_set_modify(0);
    ASSERT_EQ(s.file.csv_clip_paste(&t2, 0), 0);
    EXPECT_EQ(s.csv_get_modify(), 1);
    EXPECT_EQ(s.row(2, 4), "||a|b,c");
    EXPECT_EQ(s.val(2, 3), "#3");
}

TEST(FileClip, MoveKeepsReferencesPointingAtTheSameCells)
{
    Sheet s;
    s.csv_put_num(0, 0, 1);
    s.csv_put_form(0, 1, "R0C0*2+R[-1]C");
    s.csv_set_attr(0, 0, CSV_A_BACK, 6);
    s.csv_put_form(5, 5, "R0C0+R1C0+R2C0");
    CSV_RECT r = {0, 0, 0, 1};
    ASSERT_EQ(s.file.csv_clip_copy(&r, "$$b"), 0);
    CSV_RECT t = {3, 3, 3, 3};
    ASSERT_EQ(s.file.csv_clip_move(&t), 0);
    EXPECT_EQ(s.val(0, 0), "");
    EXPECT_EQ(s.form(0, 1), "");
    EXPECT_EQ(s.csv_get_attr(0, 0, CSV_A_BACK), 0);
    EXPECT_EQ(s.val(3, 3), "#1");
    EXPECT_EQ(s.csv_get_attr(3, 3, CSV_A_BACK), 6);
    EXPECT_EQ(s.form(3, 4), "R3C3*2+R[-1]C");
    EXPECT_EQ(s.form(5, 5), "R3C3+R4C3+R2C0");
    EXPECT_EQ(files_in(s.dir.path), 0);
}

TEST(FileClip, ValuesOnlyMoveLeavesSourceAttributes)
{
    Sheet s;
    s.csv_put_num(1, 1, 4);
    s.csv_set_attr(1, 1, CSV_A_TEXT, 2);
    CSV_RECT r = {1, 1, 1, 1};
    ASSERT_EQ(s.file.csv_clip_copy(&r, "$$t"), 0);
    CSV_RECT t = {6, 6, 6, 6};
    ASSERT_EQ(s.file.csv_clip_move(&t), 0);
    EXPECT_EQ(s.val(1, 1), "");
    EXPECT_EQ(s.csv_get_attr(1, 1, CSV_A_TEXT), 2);
    EXPECT_EQ(s.val(6, 6), "#4");
    EXPECT_EQ(s.csv_get_attr(6, 6, CSV_A_TEXT), 0);
}
