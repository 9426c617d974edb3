// The reader: field splitting, value texts, prefixes, options, sizes, region loads.
#include <gtest/gtest.h>
#include <vector>

#include "tests/support/file_facade.h"

using filetest::crlf;
using filetest::Sheet;
using filetest::sx;
using sheettest::ints;

TEST(FileRead, PlainCsvFromAnotherProgram)
{
    Sheet s;
    s.host.ws().v[CSV_WS_FONTSIZ] = 16;
    CSV_LOADED ld;
    ASSERT_EQ(s.load(crlf("name,qty,note\n\"Smith, J\",12.5,\"say \"\"hi\"\"\"\n\"12.5\",-3e2,\n"), nullptr, &ld), 0);
    EXPECT_EQ(s.row(0, 3), "name|qty|note");
    EXPECT_EQ(s.row(1, 3), "Smith, J|#12.5|say \"hi\"");
    EXPECT_EQ(s.row(2, 3), "12.5|#-300|");  // quoted digits stay a text
    // Sizes from the content; the window state untouched.
    EXPECT_EQ(ints({s.csv_get_xs(), s.csv_get_ys(), ld.x1, ld.y1, ld.x2, ld.y2, ld.opt}),
              ints({3, 3, 0, 0, 2, 2, 0}));
    EXPECT_EQ(s.host.ws().v[CSV_WS_FONTSIZ], 16);
    EXPECT_EQ(s.csv_get_modify(), 0);
    ASSERT_EQ(s.load("", nullptr, &ld), 0);  // an empty file holds no cells
    EXPECT_EQ(ints({s.csv_get_xs(), s.csv_get_ys(), ld.x1, ld.y2}),
              ints({1, 1, CSV_NOCELL, CSV_NOCELL}));
}

TEST(FileRead, ValueTexts)
{
    struct { std::string field, want; } rows[] = {
        {" 7", "#7"},
        {"+.5e1", "#5"},
        {"1e999", "#1.7976931348623157e+308"},
        {"'abc'", "abc"},
        {"'abc", "abc"},
        {"\"abc", "abc"},
        {"nan", "nan"},  // only decimal numbers become numbers
        {"0x10", "0x10"},
        {"7 ", "7 "},
        {"\"a\\x2Cb\\x22c\\x5Cd\"", "a,b\"c\\d"},
        {"\"\\101\\n\\q\"", "A q"},  // LF is stored as a blank
        {"\"tail\\\"", "tail\\"},    // backslash before the closing quote stays
        {"plain\\x41", "plainA"},
        {"\"a\"b\"", "a\"b"},  // a lone quote inside stays
        {"\"\x83\x5C\x95\x5C\"", "\x83\x5C\x95\x5C"},  // trail byte 0x5C is no escape
        {"\"\"", ""},
        {sx("{abc"), ""},  // a lone STX
        {std::string("x\0y", 3), "x"},  // a NUL ends the field's text
    };
    for (auto &r : rows) {
        Sheet s;
        ASSERT_EQ(s.load(r.field + "\n2"), 0) << r.field;
        EXPECT_EQ(s.column(0, 0, 2), r.want + "|#2") << r.field;
    }
}

TEST(FileRead, LineEndsAndCounting)
{
    struct { const char *text; int xs, ys; const char *row0, *last; } rows[] = {
        {"a,b\r\nc,d\r\n", 2, 2, "a|b", "c|d"},
        {"a,b\nc,d", 2, 2, "a|b", "c|d"},          // no final line feed
        {"a,b\n\nc\n", 2, 3, "a|b", "c|"},          // empty line = empty row
        {"a,b,\n", 2, 1, "a|b", "a|b"},            // a trailing empty field does not count
        {",,,\n", 3, 1, "||", "||"},               // empty fields followed by commas do
        {"a\n,", 1, 2, "a", ""},                   // a last line with a comma counts
        {"a\r\rb\n", 1, 1, "a  b", "a  b"},        // a lone CR is a byte of the text
        {"\"x\ny\"\n", 1, 2, "x", "y\""},          // a line feed ends the line even in quotes
        {"a,b\r\nc\x1A\r\nd,e,f\r\n", 2, 2, "a|b", "c|"},  // an end-of-file byte ends the text
    };
    for (auto &r : rows) {
        Sheet s;
        ASSERT_EQ(s.load(r.text), 0) << r.text;
        EXPECT_EQ(ints({s.csv_get_xs(), s.csv_get_ys()}), ints({r.xs, r.ys})) << r.text;
        EXPECT_EQ(s.row(0, r.xs), r.row0) << r.text;
        EXPECT_EQ(s.row(r.ys - 1, r.xs), r.last) << r.text;
    }
}

TEST(FileRead, Prefixes)
{
    Sheet s;
    ASSERT_EQ(s.load(sx("{060000}{=R0C1*2}{.0000000000000440},{.000000000000F03F}\n"
                        "{=\"a\\x2Cb\"},{o;;170}\"x\",{.12}5\n"
                        "{.000000000000F03}7,{123}9,{/5//1/}8\n")),
              0);
    EXPECT_EQ(s.row(0, 2) + "|" + s.form(0, 0) + "|" + s.form(0, 1), "#2.5|#1|R0C1*2|\"a,b\"");
    EXPECT_EQ(s.csv_get_attr(0, 0, CSV_A_BACK), 6);
    // Out-of-range digits are ignored: 'o' (63) is no text colour, ';' (11) is no top line.
    const int attrs[] = {0, 11, 0, 1, 7, 0};
    for (int f = 1; f <= 6; f++) EXPECT_EQ(s.csv_get_attr(1, 1, f), attrs[f - 1]) << f;
    // A malformed or unknown prefix is skipped; the value text then counts. '/' leaves a field alone.
    EXPECT_EQ(s.row(1, 3) + "|" + s.row(2, 3), "|x|#5|#7|#9|#8");
    EXPECT_EQ(ints({s.csv_get_attr(2, 2, CSV_A_BACK), s.csv_get_attr(2, 2, CSV_A_INPUT)}), ints({5, 1}));
}

TEST(FileRead, SizesHeldToTheLimits)
{
    struct { std::string text; int xs, ys; } rows[] = {
        {sx("{FOP_YSIZ}2147483647\n{FOP_XSIZ}99999999999\n"), CSV_MAX_XS, CSV_MAX_YS},
        {sx("{FOP_YSIZ}-5\n{FOP_XSIZ}-2147483648\nx\n"), 1, 1},
        {std::string(1000000, ',') + "\n", CSV_MAX_XS, 1},
        {std::string(1500, ',') + "last\n", CSV_MAX_XS, 1},
    };
    for (auto &r : rows) {
        Sheet s;
        ASSERT_EQ(s.load(r.text), 0);
        EXPECT_EQ(s.csv_get_xs(), r.xs);
        EXPECT_EQ(s.csv_get_ys(), r.ys);
    }
}

TEST(FileRead, FilesMissingOrNoSheetFile)
{
    Sheet s(5, 5);
    s.csv_put_num(1, 1, 3);
    s.file.csv_defxs = 4;
    s.file.csv_defys = 6;
    CSV_RECT r = {0, 0, 1, 1};
    EXPECT_EQ(s.file.csv_fload(nullptr, s.path("none.kov").c_str(), &r), -1);  // into a region: nothing
    EXPECT_EQ(s.val(1, 1), "#3");
    EXPECT_EQ(s.file.csv_fload(nullptr, s.path("none.kov").c_str(), nullptr), 0);  // an empty sheet
    EXPECT_EQ(s.val(1, 1) + "|" + s.wides(4), "|10|10|10|10");
    EXPECT_EQ(s.csv_get_ys(), 6);
    // A file grows to the default size; its lock goes to the host.
    kovtest::spit(s.path("a.kov"), sx("{FOP_SCRLOCK}1\r\n1,2\r\n\x1A" "3,4\r\n"));
    CSV_LOADED ld;
    ASSERT_EQ(s.file.csv_fload(&ld, s.path("a.kov").c_str(), nullptr), 0);
    EXPECT_EQ(ints({s.csv_get_xs(), s.csv_get_ys(), s.host.host_get_scrlock(), s.csv_get_modify()}),
              ints({4, 6, 1, 0}));
    EXPECT_EQ(s.row(0, 2) + "|" + s.row(1, 2), "#1|#2||");
    // A folder or a device is no sheet file: the load fails, an empty sheet remains.
    for (const char *name : {s.dir.path.c_str(), "/dev/zero"}) {
        s.csv_put_num(0, 0, 1);
        EXPECT_EQ(s.file.csv_fload(&ld, name, nullptr), -1) << name;
        EXPECT_EQ(s.val(0, 0), "");
        EXPECT_EQ(s.csv_get_xs(), 4);
    }
}

// The splitter looks at sixteen bytes a step: quotes, commas and line ends are found wherever
// they fall in a step or in the bytes after the last whole step.
TEST(FileRead, MarksAtEveryPlace)
{
    for (int k = 0; k < 33; k++) {
        Sheet s;
        std::string a(size_t(k), 'a'), d(size_t(k), 'd');
        ASSERT_EQ(s.load(a + " !\"b,c\"," + sx("{=1+2}") + d + "\re\r\nz"), 0) << k;
        EXPECT_EQ(s.csv_get_ys(), 2) << k;
        EXPECT_EQ(s.row(0, 2), a + " !\"b,c\"|" + d + " e") << k;   // a lone CR is kept, shown blank
        EXPECT_EQ(s.form(1, 0), "1+2") << k;
        EXPECT_EQ(s.val(0, 1), "z") << k;
    }
}

// The file is read in blocks of 65536 bytes: a CR LF, a field or a quoted comma across a block's
// end reads as it would anywhere else; an overlong field is cut.
TEST(FileRead, BlockBoundaries)
{
    for (int shift = -2; shift <= 1; shift++) {
        Sheet s;
        std::string first = "\"" + std::string(size_t(65536 - 4 + shift), 'a') + "\"";   // + CR at 65535 + shift
        kovtest::spit(s.path("b.csv"), first + "\r\n\"x,y\",2\r\nlast");
        CSV_LOADED ld;
        ASSERT_EQ(s.file.csv_fload_sub(&ld, s.path("b.csv").c_str(), nullptr), 0) << shift;
        EXPECT_EQ(s.csv_get_ys(), 3) << shift;
        EXPECT_EQ(s.val(0, 0).size(), size_t(CSV_FLD_MAX - 1)) << shift;  // the opening quote took a byte
        EXPECT_EQ(s.row(1, 2), "x,y|#2") << shift;
        EXPECT_EQ(s.val(0, 2), "last") << shift;
    }
}
