// Store sizes, resize refusals, columns, regions and the file name.
#include <gtest/gtest.h>
#include <vector>

#include "tests/support/store_facade.h"

using storetest::Sheet;
using sheettest::ints;

TEST(StoreSize, CreateAndResizeLimits)
{
    struct { int xs, ys, rc; } cases[] = {
        {1, 1, 0},   {1000, 1000000, 0}, {0, 10, -1},      {10, 0, -1},
        {-1, 5, -1}, {1001, 1, -1},      {1, 1000001, -1}, {INT32_MIN, INT32_MIN, -1},
    };
    for (auto &c : cases) {
        for (int resize = 0; resize < 2; resize++) {
            Sheet s(3, 3);
            s.csv_put_str(2, 2, "corner");
            s.csv_set_modify(0);
            EXPECT_EQ(resize ? s.csv_resize(c.xs, c.ys) : s.csv_create(c.xs, c.ys), c.rc) << c.xs << "x" << c.ys;
            if (c.rc == 0 && !resize) {
                EXPECT_EQ(s.csv_used_ys(7), 0);
                EXPECT_EQ(s.csv_get_wide(c.xs - 1), 10);
            }
            if (c.rc == 0) continue;
            EXPECT_EQ(ints({s.csv_get_xs(), s.csv_get_ys()}), ints({3, 3}));  // a refusal leaves the old store
            EXPECT_EQ(s.val(2, 2), "corner");
            EXPECT_EQ(s.csv_get_modify(), 0);
        }
    }
}

TEST(StoreRegion, ChkSpaceClipsAndOrders)
{
    struct { CSV_RECT in, out; } cases[] = {
        {{5, -3, 2, 99999999}, {2, 0, 5, 99}},
        {{9, 99, 0, 0}, {0, 0, 9, 99}},
        {{-7, -7, -1, -1}, {0, 0, 0, 0}},
        {{INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX}, {0, 0, 9, 99}},
    };
    Sheet s(10, 100);
    for (auto &c : cases) {
        ASSERT_EQ(s.csv_chk_space(&c.in), 0);
        EXPECT_EQ(ints({c.in.x1, c.in.y1, c.in.x2, c.in.y2}),
                  ints({c.out.x1, c.out.y1, c.out.x2, c.out.y2}));
    }
    EXPECT_EQ(s.csv_chk_space(nullptr), -1);
    s.csv_free_all();
    CSV_RECT r = {0, 0, 1, 1};
    EXPECT_EQ(s.csv_chk_space(&r) + s.csv_chk_region(&r), -2);
}

TEST(StoreColumn, WidthsBelowOneAndOutside)
{
    Sheet s(4, 10);
    CSV_COL col = {0, 0};
    ASSERT_EQ(s.csv_set_col(1, &col) + s.csv_set_col(CSV_RNCOL, &col), 0);
    EXPECT_EQ(ints({s.csv_get_wide(1), s.csv_get_wide(CSV_RNCOL)}), ints({10, 5}));  // 5 for the row names
    EXPECT_EQ(s.csv_set_col(4, &col) + s.csv_set_col(-1, &col) + s.csv_get_col(4, &col), -3);
}

TEST(StoreFile, FullPath)
{
    Sheet s;
    EXPECT_EQ(s.csv_set_fullpath(nullptr) + s.csv_set_fullpath(""), -2);
    EXPECT_STREQ(s.csv_get_fname(), "");
    struct { const char *in, *full, *dir; } cases[] = {
        {"/a/b/c.kov", "/a/b/c.kov", "/a/b"},
        {"/a/./b/../c.kov", "/a/c.kov", "/a"},
        {"//x.kov", "/x.kov", "/"},
        {"/../../x.kov", "/x.kov", "/"},
    };
    for (auto &c : cases) {
        ASSERT_EQ(s.csv_set_fullpath(c.in), 0);
        EXPECT_STREQ(s.csv_get_fname(), c.full);
        EXPECT_STREQ(s.csv_get_dir(), c.dir);
    }
    char cwd[4096];
    ASSERT_EQ(s.csv_set_fullpath("rel.kov") + !getcwd(cwd, sizeof cwd), 0);
    EXPECT_EQ(std::string(s.csv_get_fname()), std::string(cwd) + "/rel.kov");
}
