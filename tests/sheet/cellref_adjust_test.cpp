// Rewriting the cell names of a formula text for a move, and converting them between absolute
// and relative form (the text side; the store side is in cellref_store_test.cpp).
#include "sheet/cellref.h"
#include "tests/support/testlog.h"

#include <gtest/gtest.h>
#include <string>

namespace {

constexpr int END = 0x7FFFFFFF;

// x, y: the formula's cell (after the move)
const struct { const char *what, *src; int x, y; CSV_CFT cft; const char *want; } adj_cases[] = {
    // delete column 2 (n = 1): columns 3.. move left by one
    {"delete column", "R0C5+R0C1", 0, 0, {3, 0, END, END, -1, 0, 0}, "R0C4+R0C1"},
    // insert a column at 3: columns 3.. move right by one
    {"formula moved with its cell", "R[0]C[-1]", 6, 0, {3, 0, END, END, 1, 0, 0}, "RC[-1]"},
    {"moved formula, referent stayed", "RC[-4]", 6, 0, {3, 0, END, END, 1, 0, 0}, "RC[-5]"},
    {"formula stayed, referent moved", "RC[3]+RC[1]", 1, 0, {3, 0, END, END, 1, 0, 0}, "RC[4]+RC[1]"},
    {"insert two rows at 5", "R[4]C+R4C0+R5C0", 0, 1, {0, 5, END, END, 0, 2, 0}, "R[6]C+R4C0+R7C0"},
    {"delete rows 2..3, moved formula", "R[-3]C+R[1]C", 0, 3, {0, 4, END, END, 0, -2, 0}, "R[-1]C+R[1]C"},
    {"sort: row 5 went to row 2", "RC[1]+R[1]C+R5C0", 0, 2, {0, 5, END, 5, 0, -3, 0}, "RC[1]+R[4]C+R2C0"},
    // paste of block (2,2)-(3,3) at (5,5), offsets kept; R2C2 lies inside the copied block
    {"paste", "R[-1]C*R2C2+R0C0", 5, 6, {2, 2, 3, 3, 3, 3, 1}, "R[-1]C*R5C5+R0C0"},
    // move of the same block: offsets recomputed
    {"move, outside formula", "R2C2+R[3]C[3]+R4C4", 0, 0, {2, 2, 3, 3, 3, 3, 0}, "R5C5+R[6]C[6]+R4C4"},
    {"move, moved formula", "R[1]C[1]+R[-1]C[-1]", 5, 5, {2, 2, 3, 3, 3, 3, 0}, "R[1]C[1]+R[-4]C[-4]"},
    // what is not a name stays as written
    {"identifiers", "xR1C5+R1C5_x+R1C5x+ZR1C5+2R1C5+R1C5", 0, 0, {3, 0, END, END, -1, 0, 0},
     "xR1C5+R1C5_x+R1C5x+ZR1C5+2R1C5+R1C4"},
    {"broken names", "R1+R[1C5+RR1C5+R1C5", 0, 0, {3, 0, END, END, -1, 0, 0}, "R1+R[1C5+RR1C5+R1C4"},
    // double-byte characters: 0x83 0x52 has 'R' as its second byte; 0x83 0x41 has 'A'
    {"trail byte R is no name", "\x83\x52" "1C5", 0, 0, {3, 0, END, END, -1, 0, 0}, "\x83\x52" "1C5"},
    {"after double-byte", "\x83\x41R1C5\x83", 0, 0, {3, 0, END, END, -1, 0, 0}, "\x83\x41R1C4\x83"},
    {"touched names are normalised", "R[0]C[+2]+R007C1", 0, 0, {500, 0, END, END, 1, 0, 0}, "RC[2]+R7C1"},
    // clamping and saturation
    {"pushed below 0 clamps", "R0C3", 50, 50, {0, 0, 100, 100, -5, 0, 0}, "R0C0"},
    {"past int32 saturates", "R0C2147483000+RC[2147483000]", 0, 0, {0, 0, END, END, 1000, 0, 0},
     "R0C2147483647+RC[2147483647]"},
    // a reference already off the sheet, or whose offset no longer fits, stays as written
    {"name above row 0", "R[-5]C", 0, 2, {3, 0, END, END, 1, 0, 0}, "R[-5]C"},
    {"offset overflow", "R[-2147483647]C", 0, 10, {0, 0, END, END, 0, 10, 0}, "R[-2147483647]C"},
    {"empty", "", 0, 0, {0, 0, END, END, 1, 1, 0}, ""},
};


TEST(CellAdjust, TextTable)
{
    for (auto &c : adj_cases) {
        SCOPED_TRACE(c.what);
        char out[CSV_FORM_WORK];
        ASSERT_EQ(csv_adj_text(c.src, c.x, c.y, &c.cft, out), 0);
        EXPECT_STREQ(out, c.want);
    }
}

// The result may have up to 4095 bytes; one more and the rewrite fails.
TEST(CellAdjust, LengthLimit)
{
    CSV_CFT cft = {0, 0, END, END, 1, 0, 0};
    char out[CSV_FORM_WORK];
    std::string fits = std::string(4089, 'x') + "+R0C9";     // grows to 4095
    ASSERT_EQ(csv_adj_text(fits.c_str(), 0, 0, &cft, out), 0);
    EXPECT_EQ(std::string(out), std::string(4089, 'x') + "+R0C10");

    kovtest::LogCapture log;
    std::string over = std::string(4090, 'x') + "+R0C9";     // would grow to 4096
    EXPECT_EQ(csv_adj_text(over.c_str(), 0, 0, &cft, out), -1);
    EXPECT_TRUE(log.has("セル式長超過")) << log.text();

    EXPECT_EQ(csv_adj_text(std::string(100000, 'R').c_str(), 0, 0, &cft, out), -1);  // long, no names
    CSV_CFT far = {500, 0, END, END, 1, 0, 0};
    std::string shrinks = std::string(4090, 'x') + "+R[0]C[0]";   // 4099 in, 4093 out
    ASSERT_EQ(csv_adj_text(shrinks.c_str(), 0, 0, &far, out), 0);
    EXPECT_EQ(std::string(out), std::string(4090, 'x') + "+RC");
    // The same limit for the conversion: "+RC" becomes "+R0C0".
    CSV_RECT all = {0, 0, 999, 999999};
    std::string conv = std::string(4090, 'x') + "+RC";
    ASSERT_EQ(csv_cnv_text(conv.c_str(), 0, 0, &all, 1, out), 0);
    EXPECT_EQ(std::string(out), std::string(4090, 'x') + "+R0C0");
    EXPECT_EQ(csv_cnv_text(("x" + conv).c_str(), 0, 0, &all, 1, out), -1);
}

TEST(CellConvert, TextTable)
{
    struct { const char *what, *src; int x, y; CSV_RECT region; int mode; const char *want; } cases[] = {
        {"to absolute", "R[-1]C", 3, 4, {0, 0, 10, 10}, 1, "R3C3"},
        {"to relative", "R3C3+R4C3+R4C4", 3, 4, {0, 0, 10, 10}, 0, "R[-1]C+RC+RC[1]"},
        {"mixed to absolute", "R[1]C2+R2C[-1]", 3, 4, {0, 0, 10, 10}, 1, "R5C2+R2C2"},
        {"outside region kept", "R[0]C[0]+R50C50+R[20]C[0]", 0, 0, {0, 0, 10, 10}, 0, "RC+R50C50+R[20]C[0]"},
        {"region edge included", "R[10]C[10]", 0, 0, {0, 0, 10, 10}, 1, "R10C10"},
        {"off-sheet name stays relative", "R[-1]C", 0, 0, {-5, -5, 10, 10}, 1, "R[-1]C"},
        {"identifiers untouched", "R1C1_x+xR1C1", 0, 0, {0, 0, 10, 10}, 0, "R1C1_x+xR1C1"},
        {"no region: every name", "R[1]C[1]+R900C900", 1, 1, {}, 1, "R2C2+R900C900"},
        {"no region: every name", "R[1]C[1]+R900C900", 1, 1, {}, 0, "R[1]C[1]+R[899]C[899]"},
    };
    for (auto &c : cases) {
        char out[CSV_FORM_WORK];
        const CSV_RECT *region = c.region.x2 ? &c.region : nullptr;  // {}: no region
        ASSERT_EQ(csv_cnv_text(c.src, c.x, c.y, region, c.mode, out), 0) << c.what;
        EXPECT_STREQ(out, c.want) << c.what;
    }
    char out[CSV_FORM_WORK];
    EXPECT_EQ(csv_cnv_text("R1C1", 0, 0, nullptr, 2, out), -1);  // no such mode
}

} // namespace
