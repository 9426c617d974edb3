// Parsing and printing of cell names and ranges.
#include "sheet/cellref.h"
#include "tests/ui/testlog.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

constexpr int A = CSV_REF_ABS;

struct NameCase {
    const char *text;
    int rc;
    size_t used;          // bytes consumed on success
    int x, y, xoff, yoff;
};

// Base cell (10, 20) throughout.
const NameCase name_cases[] = {
    {"R5C3", 0, 4, 3, 5, A, A},
    {"R[-1]C", 0, 6, 10, 19, 0, -1},
    {"RC[2]", 0, 5, 12, 20, 2, 0},
    {"RC", 0, 2, 10, 20, 0, 0},
    {"R[+3]C[-0]", 0, 10, 10, 23, 0, 3},
    {"R007C01", 0, 7, 1, 7, A, A},
    {"R[0]C5", 0, 6, 5, 20, A, 0},
    {"R5C[-11]", 0, 8, -1, 5, -11, A},     // left of the sheet: still a name
    {"R1C1 ", 0, 4, 1, 1, A, A},
    {"R1C1+R2C2", 0, 4, 1, 1, A, A},
    {"R1C1:R2C2", 0, 4, 1, 1, A, A},
    {"R1C1)", 0, 4, 1, 1, A, A},
    {"R1C1\x82\xa0", 0, 4, 1, 1, A, A},    // a double-byte character is no identifier character
    {"R2147483647C0", 0, 13, 0, 2147483647, A, A},
    {"R[2147483627]C", 0, 14, 10, 2147483647, 0, 2147483627},
    // not names
    {"R1C1x", -1, 0, 0, 0, 0, 0},
    {"R1C1_x", -1, 0, 0, 0, 0, 0},
    {"R1C19a", -1, 0, 0, 0, 0, 0},
    {"RCx", -1, 0, 0, 0, 0, 0},
    {"r1c1", -1, 0, 0, 0, 0, 0},
    {"R1c1", -1, 0, 0, 0, 0, 0},
    {"R1", -1, 0, 0, 0, 0, 0},
    {"R", -1, 0, 0, 0, 0, 0},
    {"", -1, 0, 0, 0, 0, 0},
    {"C1", -1, 0, 0, 0, 0, 0},
    {"xR1C1", -1, 0, 0, 0, 0, 0},
    {"R[1C1", -1, 0, 0, 0, 0, 0},
    {"R[]C", -1, 0, 0, 0, 0, 0},
    {"R[-]C", -1, 0, 0, 0, 0, 0},
    {"R[ 1]C", -1, 0, 0, 0, 0, 0},
    {"R1C[2", -1, 0, 0, 0, 0, 0},
    {"R1C[", -1, 0, 0, 0, 0, 0},
    {"R-1C1", -1, 0, 0, 0, 0, 0},
    {"R2147483648C0", -1, 0, 0, 0, 0, 0},      // beyond int32
    {"R[2147483628]C", -1, 0, 0, 0, 0, 0},     // 20 + offset beyond int32
    {"R[-2147483648]C", -1, 0, 0, 0, 0, 0},    // the offset would read as "absolute"
    {"R0C99999999999", -1, 0, 0, 0, 0, 0},
};

TEST(CellName, ParseTable)
{
    for (const NameCase &c : name_cases) {
        SCOPED_TRACE(c.text);
        const char *pos = c.text;
        CSV_REF r = {-7, -7, -7, -7};
        ASSERT_EQ(csv_parse_name(pos, 10, 20, &r), c.rc);
        if (c.rc != 0) {
            EXPECT_EQ(pos, c.text);          // unmoved
            EXPECT_EQ(r.x, -7);              // untouched
            continue;
        }
        EXPECT_EQ(size_t(pos - c.text), c.used);
        EXPECT_EQ(r.x, c.x);
        EXPECT_EQ(r.y, c.y);
        EXPECT_EQ(r.xoff, c.xoff);
        EXPECT_EQ(r.yoff, c.yoff);
    }
}

TEST(CellName, ParseLogsCoordinatesAndOffsets)
{
    kovtest::LogCapture log;
    const char *pos = "R[-1]C5";
    CSV_REF r;
    ASSERT_EQ(csv_parse_name(pos, 10, 20, &r), 0);
    EXPECT_TRUE(log.has("ax=5,ay=19, rx=-2147483648,ry=-1")) << log.text();
}

TEST(CellName, ParseRefusesMissingArguments)
{
    const char *pos = "R1C1";
    EXPECT_EQ(csv_parse_name(pos, 0, 0, nullptr), -1);
    CSV_RECT rect;
    EXPECT_EQ(csv_parse_range(pos, 0, 0, nullptr), -1);
    const char *none = nullptr;
    EXPECT_EQ(csv_parse_range(none, 0, 0, &rect), -1);
}

struct RangeCase {
    const char *text;
    int rc;
    size_t used;
    CSV_RECT r;
};

const RangeCase range_cases[] = {
    {"R5C3", 0, 4, {3, 5, 3, 5}},
    {"R0C0:R9C2", 0, 9, {0, 0, 2, 9}},
    {"R9C2:R0C0", 0, 9, {0, 0, 2, 9}},          // normalised
    {"R0C2:R9C0", 0, 9, {0, 0, 2, 9}},
    {"R[-1]C:RC[1]", 0, 12, {10, 19, 11, 20}},
    {"R1C1:", 0, 4, {1, 1, 1, 1}},              // ':' left for whoever reads on (?: operator)
    {"R1C1:5", 0, 4, {1, 1, 1, 1}},
    {"R1C1 :R2C2", 0, 4, {1, 1, 1, 1}},
    {"R1C1:R2C2x", 0, 4, {1, 1, 1, 1}},
    {"x", -1, 0, {0, 0, 0, 0}},
    {":R1C1", -1, 0, {0, 0, 0, 0}},
};

TEST(CellName, RangeTable)
{
    for (const RangeCase &c : range_cases) {
        SCOPED_TRACE(c.text);
        const char *pos = c.text;
        CSV_RECT r = {-7, -7, -7, -7};
        ASSERT_EQ(csv_parse_range(pos, 10, 20, &r), c.rc);
        if (c.rc != 0) {
            EXPECT_EQ(pos, c.text);
            continue;
        }
        EXPECT_EQ(size_t(pos - c.text), c.used);
        EXPECT_EQ(r.x1, c.r.x1);
        EXPECT_EQ(r.y1, c.r.y1);
        EXPECT_EQ(r.x2, c.r.x2);
        EXPECT_EQ(r.y2, c.r.y2);
    }
}

TEST(CellName, RangeLogsRowFirst)
{
    kovtest::LogCapture log;
    const char *pos = "R9C2:R0C0";
    CSV_RECT r;
    ASSERT_EQ(csv_parse_range(pos, 0, 0, &r), 0);
    EXPECT_TRUE(log.has("R0C0:R9C2")) << log.text();
}

struct PrintCase {
    CSV_REF ref;
    int rc;
    const char *text;
};

const PrintCase print_cases[] = {
    {{3, 5, A, A}, 0, "R5C3"},
    {{10, 19, 0, -1}, 0, "R[-1]C"},
    {{10, 23, 0, 3}, 0, "R[3]C"},
    {{12, 20, 2, 0}, 0, "RC[2]"},
    {{0, 0, 0, 0}, 0, "RC"},
    {{7, 4, -3, A}, 0, "R4C[-3]"},
    {{2147483647, 2147483647, A, A}, 0, "R2147483647C2147483647"},
    {{0, 0, -2147483647, -2147483647}, 0, "R[-2147483647]C[-2147483647]"},
    {{-1, 5, A, A}, -1, ""},     // would not read back as a name
    {{1, -5, 0, A}, -1, ""},
};

TEST(CellName, PrintTable)
{
    for (const PrintCase &c : print_cases) {
        SCOPED_TRACE(c.text);
        char buf[32] = "untouched";
        ASSERT_EQ(csv_print_name(buf, &c.ref), c.rc);
        EXPECT_STREQ(buf, c.rc == 0 ? c.text : "untouched");
    }
}

TEST(CellName, PrintMissingArgumentsLogs)
{
    kovtest::LogCapture log;
    char buf[32];
    CSV_REF r = {0, 0, 0, 0};
    EXPECT_EQ(csv_print_name(nullptr, &r), -1);
    EXPECT_EQ(csv_print_name(buf, nullptr), -1);
    EXPECT_EQ(csv_print_range(nullptr, 0, 0, 0, 0), -1);
    EXPECT_TRUE(log.has("(pt == NULL) || (rc_name == NULL)")) << log.text();
}

TEST(CellName, PrintRange)
{
    struct {
        int x1, y1, x2, y2, rc;
        const char *text;
    } cases[] = {
        {3, 5, 3, 5, 0, "R5C3"},
        {0, 0, 2, 9, 0, "R0C0:R9C2"},
        {2, 9, 0, 0, 0, "R9C2:R0C0"},                    // corners as given
        {999, 999999, 999, 999999, 0, "R999999C999"},
        {0, 0, 999, 999999, 0, "R0C0:R999999C999"},
        {-1, 0, 0, 0, -1, ""},
        {0, 0, 2147483647, 2147483647, 0, "R0C0:R2147483647C2147483647"},
        {2147483647, 2147483646, 2147483647, 2147483647, -1, ""},   // 31 bytes would not hold it
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.text);
        char buf[32] = "untouched";
        ASSERT_EQ(csv_print_range(buf, c.x1, c.y1, c.x2, c.y2), c.rc);
        EXPECT_STREQ(buf, c.rc == 0 ? c.text : "untouched");
    }
}

// Whatever prints must read back as the same reference, from any base.
TEST(CellName, PrintedNamesReadBack)
{
    const int bases[] = {0, 1, 10, 999, 999999, 2147483647, -5};
    const int vals[] = {0, 1, -1, 7, -7, 1000, 2147483647, -2147483647};
    for (int bx : bases)
        for (int by : bases)
            for (int v : vals)
                for (int w : vals)
                    for (int kind = 0; kind < 4; kind++) {
                        CSV_REF r;
                        r.xoff = kind & 1 ? A : v;
                        r.yoff = kind & 2 ? A : w;
                        r.x = kind & 1 ? (v < 0 ? -v : v) : bx + 0;
                        r.y = kind & 2 ? (w < 0 ? -w : w) : by + 0;
                        char buf[32];
                        ASSERT_EQ(csv_print_name(buf, &r), 0);
                        const char *pos = buf;
                        CSV_REF back;
                        int64_t ex = int64_t(bx) + v, ey = int64_t(by) + w;
                        bool fits = (kind & 1 || (ex >= INT32_MIN && ex <= INT32_MAX)) &&
                                    (kind & 2 || (ey >= INT32_MIN && ey <= INT32_MAX));
                        ASSERT_EQ(csv_parse_name(pos, bx, by, &back), fits ? 0 : -1) << buf;
                        if (!fits) continue;
                        EXPECT_EQ(*pos, 0) << buf;
                        EXPECT_EQ(back.xoff, r.xoff) << buf;
                        EXPECT_EQ(back.yoff, r.yoff) << buf;
                        if (kind & 1) EXPECT_EQ(back.x, r.x) << buf;
                        else EXPECT_EQ(back.x, ex) << buf;
                        if (kind & 2) EXPECT_EQ(back.y, r.y) << buf;
                        else EXPECT_EQ(back.y, ey) << buf;
                    }
}

} // namespace
