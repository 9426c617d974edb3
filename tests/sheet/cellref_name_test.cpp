// Parsing and printing of cell names and ranges.
#include "sheet/cellref.h"
#include "tests/support/testlog.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int A = CSV_REF_ABS;

TEST(CellName, Parse)
{
    struct { const char *text; size_t used; int x, y, xoff, yoff; } names[] = {  // base cell (10, 20)
        {"R5C3", 4, 3, 5, A, A},
        {"R[-1]C", 6, 10, 19, 0, -1},
        {"RC[2]", 5, 12, 20, 2, 0},
        {"R[+3]C[-0]", 10, 10, 23, 0, 3},
        {"R007C01", 7, 1, 7, A, A},
        {"R[0]C5", 6, 5, 20, A, 0},
        {"R5C[-11]", 8, -1, 5, -11, A},  // left of the sheet: still a name
        {"R1C1 ", 4, 1, 1, A, A},
        {"R1C1:R2C2", 4, 1, 1, A, A},
        {"R1C1\x82\xa0", 4, 1, 1, A, A},  // a double-byte character is no identifier character
        {"R2147483647C0", 13, 0, 2147483647, A, A},
        {"R[2147483627]C", 14, 10, 2147483647, 0, 2147483627},
    };
    for (auto &c : names) {
        const char *pos = c.text;
        CSV_REF r;
        ASSERT_EQ(csv_parse_name(pos, 10, 20, &r), 0) << c.text;
        EXPECT_EQ(size_t(pos - c.text), c.used) << c.text;
        EXPECT_EQ(std::vector<int>({r.x, r.y, r.xoff, r.yoff}), std::vector<int>({c.x, c.y, c.xoff, c.yoff})) << c.text;
    }
    const char *not_names[] = {
        "R1C1_x", "R1C19a", "r1c1", "R1", "", "C1", "xR1C1", "R[1C1", "R[]C", "R[ 1]C", "R1C[", "R-1C1",
        "R2147483648C0",    // beyond int32
        "R[2147483628]C",   // 20 + offset beyond int32
        "R[-2147483648]C",  // the offset would read as "absolute"
        "R0C99999999999",
    };
    for (const char *t : not_names) {
        const char *pos = t;
        CSV_REF r = {-7, -7, -7, -7};
        EXPECT_EQ(csv_parse_name(pos, 10, 20, &r), -1) << t;
        EXPECT_EQ(pos, t);  // unmoved
        EXPECT_EQ(r.x, -7);  // untouched
    }
    const char *pos = "R1C1", *none = nullptr;
    CSV_RECT rect;
    EXPECT_EQ(csv_parse_name(pos, 0, 0, nullptr) + csv_parse_range(pos, 0, 0, nullptr) +
                  csv_parse_range(none, 0, 0, &rect), -3);
}

TEST(CellName, ParseRange)
{
    struct { const char *text; int rc; size_t used; CSV_RECT r; } cases[] = {
        {"R5C3", 0, 4, {3, 5, 3, 5}},
        {"R9C2:R0C0", 0, 9, {0, 0, 2, 9}},  // normalised
        {"R0C2:R9C0", 0, 9, {0, 0, 2, 9}},
        {"R[-1]C:RC[1]", 0, 12, {10, 19, 11, 20}},
        {"R1C1:", 0, 4, {1, 1, 1, 1}},  // ':' left for whoever reads on (?: operator)
        {"R1C1 :R2C2", 0, 4, {1, 1, 1, 1}},
        {"R1C1:R2C2x", 0, 4, {1, 1, 1, 1}},
        {":R1C1", -1, 0, {0, 0, 0, 0}},
    };
    for (auto &c : cases) {
        const char *pos = c.text;
        CSV_RECT r = {-7, -7, -7, -7};
        ASSERT_EQ(csv_parse_range(pos, 10, 20, &r), c.rc) << c.text;
        EXPECT_EQ(size_t(pos - c.text), c.used) << c.text;
        if (c.rc == 0) {
            EXPECT_EQ(std::vector<int>({r.x1, r.y1, r.x2, r.y2}), std::vector<int>({c.r.x1, c.r.y1, c.r.x2, c.r.y2}));
        }
    }
}

TEST(CellName, Print)
{
    struct { CSV_REF ref; const char *text; } names[] = {
        {{3, 5, A, A}, "R5C3"},
        {{10, 19, 0, -1}, "R[-1]C"},
        {{12, 20, 2, 0}, "RC[2]"},
        {{7, 4, -3, A}, "R4C[-3]"},
        {{2147483647, 2147483647, A, A}, "R2147483647C2147483647"},
        {{0, 0, -2147483647, -2147483647}, "R[-2147483647]C[-2147483647]"},
        {{-1, 5, A, A}, nullptr},  // would not read back as a name
        {{1, -5, 0, A}, nullptr},
    };
    for (auto &c : names) {
        char buf[32] = "untouched";
        ASSERT_EQ(csv_print_name(buf, &c.ref), c.text ? 0 : -1);
        EXPECT_STREQ(buf, c.text ? c.text : "untouched");
    }
    struct { int x1, y1, x2, y2; const char *text; } ranges[] = {
        {3, 5, 3, 5, "R5C3"},
        {2, 9, 0, 0, "R9C2:R0C0"},  // corners as given
        {0, 0, 2147483647, 2147483647, "R0C0:R2147483647C2147483647"},
        {-1, 0, 0, 0, nullptr},
        {2147483647, 2147483646, 2147483647, 2147483647, nullptr},  // 31 bytes would not hold it
    };
    for (auto &c : ranges) {
        char buf[32] = "untouched";
        ASSERT_EQ(csv_print_range(buf, c.x1, c.y1, c.x2, c.y2), c.text ? 0 : -1);
        EXPECT_STREQ(buf, c.text ? c.text : "untouched");
    }
    kovtest::LogCapture log;
    CSV_REF r = {0, 0, 0, 0};
    EXPECT_EQ(csv_print_name(nullptr, &r) + csv_print_range(nullptr, 0, 0, 0, 0), -2);
    EXPECT_TRUE(log.has("(pt == NULL) || (rc_name == NULL)")) << log.text();
}

} // namespace
