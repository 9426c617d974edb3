// Rewriting the cell names of a formula text for a move, and converting them between absolute
// and relative form (the text side; the store side is in cellref_store_test.cpp).
#include "sheet/cellref.h"
#include "tests/ui/testlog.h"

#include <gtest/gtest.h>
#include <string>

namespace {

constexpr int END = 0x7FFFFFFF;

struct AdjCase {
    const char *what;
    const char *src;
    int x, y;        // the formula's cell (after the move)
    CSV_CFT cft;
    const char *want;
};

const AdjCase adj_cases[] = {
    // delete column 2 (n = 1): columns 3.. move left by one
    {"delete column", "R0C5+R0C1", 0, 0, {3, 0, END, END, -1, 0, 0}, "R0C4+R0C1"},
    {"delete column, moved formula keeps absolute", "R0C5*R0C2", 7, 3, {3, 0, END, END, -1, 0, 0},
     "R0C4*R0C2"},
    // insert a column at 3: columns 3.. move right by one
    {"insert column, formula moved with its cell", "R[0]C[-1]", 6, 0, {3, 0, END, END, 1, 0, 0},
     "RC[-1]"},
    {"insert column, moved formula, referent stayed", "RC[-4]", 6, 0, {3, 0, END, END, 1, 0, 0},
     "RC[-5]"},
    {"insert column, formula stayed, referent moved", "RC[3]+RC[1]", 1, 0,
     {3, 0, END, END, 1, 0, 0}, "RC[4]+RC[1]"},
    // insert two rows at 5
    {"insert rows", "R[4]C+R4C0+R5C0", 0, 1, {0, 5, END, END, 0, 2, 0}, "R[6]C+R4C0+R7C0"},
    // delete rows 2..3: rows 4.. move up by two
    {"delete rows, moved formula", "R[-3]C+R[1]C", 0, 3, {0, 4, END, END, 0, -2, 0},
     "R[-1]C+R[1]C"},
    // sort: row 5 went to row 2
    {"sorted row", "RC[1]+R[1]C+R5C0", 0, 2, {0, 5, END, 5, 0, -3, 0}, "RC[1]+R[4]C+R2C0"},
    // paste (offsets kept): block (0,0)-(1,1) pasted at (5,5)
    {"paste keeps relative", "R[-1]C+R2C2", 5, 6, {0, 0, 1, 1, 5, 5, 1}, "R[-1]C+R2C2"},
    // paste: block (2,2)-(3,3) pasted at (5,5); R2C2 lies inside the copied block
    {"paste moves absolute inside block", "R[-1]C*R2C2", 5, 6, {2, 2, 3, 3, 3, 3, 1},
     "R[-1]C*R5C5"},
    // move: block (2,2)-(3,3) to (5,5), offsets recomputed
    {"move, outside formula", "R2C2+R[3]C[3]+R4C4", 0, 0, {2, 2, 3, 3, 3, 3, 0},
     "R5C5+R[6]C[6]+R4C4"},
    {"move, moved formula", "R[1]C[1]+R[-1]C[-1]", 5, 5, {2, 2, 3, 3, 3, 3, 0},
     "R[1]C[1]+R[-4]C[-4]"},
    // what is not a name stays as written
    {"identifiers", "xR1C5+R1C5_x+R1C5x+ZR1C5+R1C5", 0, 0, {3, 0, END, END, -1, 0, 0},
     "xR1C5+R1C5_x+R1C5x+ZR1C5+R1C4"},
    {"identifier after digit", "2R1C5", 0, 0, {3, 0, END, END, -1, 0, 0}, "2R1C5"},
    {"broken names", "R1+R[1C5+RR1C5+R1C5", 0, 0, {3, 0, END, END, -1, 0, 0},
     "R1+R[1C5+RR1C5+R1C4"},
    // double-byte characters: 0x83 0x52 has 'R' as its second byte; 0x83 0x41 has 'A'
    {"trail byte R is no name", "\x83\x52" "1C5", 0, 0, {3, 0, END, END, -1, 0, 0}, "\x83\x52" "1C5"},
    {"name after double-byte character", "\x83\x41R1C5", 0, 0, {3, 0, END, END, -1, 0, 0},
     "\x83\x41R1C4"},
    {"lone lead byte at the end", "R1C5\x83", 0, 0, {3, 0, END, END, -1, 0, 0}, "R1C4\x83"},
    // rewriting normalises the names it touches
    {"unmoved names are normalised", "R[0]C[+2]+R007C1", 0, 0, {500, 0, END, END, 1, 0, 0},
     "RC[2]+R7C1"},
    // clamping and saturation
    {"pushed below 0 clamps", "R0C3", 50, 50, {0, 0, 100, 100, -5, 0, 0}, "R0C0"},
    {"pushed past int32 saturates", "R0C2147483000", 0, 0, {0, 0, END, END, 1000, 0, 0},
     "R0C2147483647"},
    {"relative saturates too", "RC[2147483000]", 0, 0, {0, 0, END, END, 1000, 0, 0},
     "RC[2147483647]"},
    // a reference already off the sheet is left pointing where it pointed
    {"name above row 0 untouched", "R[-5]C", 0, 2, {3, 0, END, END, 1, 0, 0}, "R[-5]C"},
    // offsets that no longer fit keep the name as written
    {"offset overflow keeps text", "R[-2147483647]C", 0, 10, {0, 0, END, END, 0, 10, 0},
     "R[-2147483647]C"},
    {"empty", "", 0, 0, {0, 0, END, END, 1, 1, 0}, ""},
};

TEST(CellAdjust, TextTable)
{
    for (const AdjCase &c : adj_cases) {
        SCOPED_TRACE(c.what);
        char out[CSV_FORM_WORK];
        ASSERT_EQ(csv_adj_text(c.src, c.x, c.y, &c.cft, out), 0);
        EXPECT_STREQ(out, c.want);
    }
}

TEST(CellAdjust, LogsEachName)
{
    kovtest::LogCapture log;
    char out[CSV_FORM_WORK];
    CSV_CFT cft = {3, 0, 9, 9, -1, 0, 0};
    ASSERT_EQ(csv_adj_text("R0C5", 0, 0, &cft, out), 0);
    EXPECT_TRUE(log.has("xp=0 yp=0 ax=5 ay=0 x1=3 x2=9 y1=0 y2=9")) << log.text();
    EXPECT_TRUE(log.has("セル名調整:5,0,-1,0,4,0")) << log.text();
    EXPECT_TRUE(log.has("新セル名=R0C4")) << log.text();
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

    std::string huge(100000, 'R');                            // long input, no names
    EXPECT_EQ(csv_adj_text(huge.c_str(), 0, 0, &cft, out), -1);

    CSV_CFT far = {500, 0, END, END, 1, 0, 0};
    std::string shrinks = std::string(4090, 'x') + "+R[0]C[0]";   // 4099 in, 4093 out
    ASSERT_EQ(csv_adj_text(shrinks.c_str(), 0, 0, &far, out), 0);
    EXPECT_EQ(std::string(out), std::string(4090, 'x') + "+RC");
}

struct CnvCase {
    const char *what;
    const char *src;
    int x, y;
    CSV_RECT region;
    int mode;
    const char *want;
};

const CnvCase cnv_cases[] = {
    {"to absolute", "R[-1]C", 3, 4, {0, 0, 10, 10}, 1, "R3C3"},
    {"to relative", "R3C3+R4C3+R4C4", 3, 4, {0, 0, 10, 10}, 0, "R[-1]C+RC+RC[1]"},
    {"mixed to absolute", "R[1]C2+R2C[-1]", 3, 4, {0, 0, 10, 10}, 1, "R5C2+R2C2"},
    {"outside region kept as written", "R[0]C[0]+R50C50+R[0]C[0]", 0, 0, {0, 0, 10, 10}, 0,
     "RC+R50C50+RC"},
    {"outside region kept (absolute)", "R[20]C[0]", 0, 0, {0, 0, 10, 10}, 1, "R[20]C[0]"},
    {"region edge included", "R[10]C[10]", 0, 0, {0, 0, 10, 10}, 1, "R10C10"},
    {"off-sheet name stays relative", "R[-1]C", 0, 0, {-5, -5, 10, 10}, 1, "R[-1]C"},
    {"identifiers untouched", "R1C1_x+xR1C1", 0, 0, {0, 0, 10, 10}, 0, "R1C1_x+xR1C1"},
};

TEST(CellConvert, TextTable)
{
    for (const CnvCase &c : cnv_cases) {
        SCOPED_TRACE(c.what);
        char out[CSV_FORM_WORK];
        ASSERT_EQ(csv_cnv_text(c.src, c.x, c.y, &c.region, c.mode, out), 0);
        EXPECT_STREQ(out, c.want);
    }
}

TEST(CellConvert, WithoutRegionEveryNameAndBadMode)
{
    char out[CSV_FORM_WORK];
    ASSERT_EQ(csv_cnv_text("R[1]C[1]+R900C900", 1, 1, nullptr, 1, out), 0);
    EXPECT_STREQ(out, "R2C2+R900C900");
    ASSERT_EQ(csv_cnv_text("R[1]C[1]+R900C900", 1, 1, nullptr, 0, out), 0);
    EXPECT_STREQ(out, "R[1]C[1]+R[899]C[899]");
    EXPECT_EQ(csv_cnv_text("R1C1", 0, 0, nullptr, 2, out), -1);
}

TEST(CellConvert, LengthLimit)
{
    kovtest::LogCapture log;
    char out[CSV_FORM_WORK];
    CSV_RECT all = {0, 0, 999, 999999};
    std::string fits = std::string(4090, 'x') + "+RC";          // becomes +R0C0: 4095
    ASSERT_EQ(csv_cnv_text(fits.c_str(), 0, 0, &all, 1, out), 0);
    EXPECT_EQ(std::string(out), std::string(4090, 'x') + "+R0C0");
    std::string over = std::string(4091, 'x') + "+RC";          // 4096
    EXPECT_EQ(csv_cnv_text(over.c_str(), 0, 0, &all, 1, out), -1);
    EXPECT_TRUE(log.has("セル式長超過")) << log.text();
}

} // namespace
