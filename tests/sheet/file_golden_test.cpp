// Golden files: a sheet file as the format defines it, and a CSV file as another spreadsheet
// program writes it; each is loaded, checked cell by cell, and written again.
#include <gtest/gtest.h>
#include <vector>

#include "tests/support/file_facade.h"

using sheettest::ints;
using filetest::Sheet;
using kovtest::slurp;

namespace {

std::string golden(const char *name) { return std::string(KOV_TEST_DATA) + "/files/" + name; }

} // namespace

TEST(FileGolden, SheetFile)
{
    Sheet s;
    CSV_LOADED ld;
    ASSERT_EQ(s.file.csv_fload(&ld, golden("example.kov").c_str(), nullptr), 0);
    // Grown to the default size.
    EXPECT_EQ(ints({s.csv_get_xs(), s.csv_get_ys(), ld.x2, ld.y2}), ints({256, 10000, 2, 3}));
    EXPECT_EQ(s.row(0, 3) + "|" + s.row(1, 3), "abc|#1||||");
    EXPECT_EQ(s.row(2, 3), "#2.5|\"q\",\\|\x95\x5C\x8E\xA6");
    EXPECT_EQ(s.form(0, 2) + "|" + s.form(0, 3) + "|" + s.val(0, 3), "R0C1*2+SUM(R0C1:R0C1)|\"a,b\"|a,b");
    EXPECT_EQ(ints({s.csv_get_attr(0, 2, CSV_A_BACK), s.csv_get_attr(2, 3, CSV_A_TOP),
                                s.csv_get_attr(2, 3, CSV_A_FMT), s.csv_get_wide(2), s.csv_wpbeep, s.csv_rnwide,
                                s.csv_cyclems, s.host.ws().v[CSV_WS_DSPSIZX], s.host.ws().v[CSV_WS_CSRPOSY]}),
              ints({6, 1, 15, 12, 1, 6, 1000, 864, 2}));
    // Written again as a 3 x 4 sheet it is the same file.
    ASSERT_EQ(s.csv_resize(3, 4), 0);
    ASSERT_EQ(s.file.csv_fsave(s.path("again.kov").c_str(), nullptr), 0);
    EXPECT_EQ(slurp(s.path("again.kov")), slurp(golden("example.kov")));
}

TEST(FileGolden, CsvFromAnotherProgram)
{
    Sheet s;
    ASSERT_EQ(s.file.csv_fload(nullptr, golden("foreign.csv").c_str(), nullptr), 0);
    EXPECT_EQ(s.row(0, 4), "Item|Price|Note|Qty");
    EXPECT_EQ(s.row(1, 4), "Widget, large|#12.5|He said \"fine\"|#3");
    EXPECT_EQ(s.row(2, 4), "Bolt|#0.10000000000000001||#-7");
    // A backslash is the format's escape character, also in files from elsewhere.
    EXPECT_EQ(s.row(3, 4), "\x95\x5C\x8E\xA6|#1000|C:path|");
    EXPECT_EQ(s.row(4, 4), "|||");
    EXPECT_EQ(s.row(5, 4), "multi \"quoted\" \"text\"|#42|  text with blanks |12");
    EXPECT_EQ(s.csv_get_type(3, 5), CSV_SSTR);
    ASSERT_EQ(s.file.csv_fsave(s.path("out.csv").c_str(), nullptr), 0);
    EXPECT_EQ(slurp(s.path("out.csv")), slurp(golden("foreign_out.csv")));
}
