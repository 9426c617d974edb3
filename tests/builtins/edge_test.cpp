// Argument edges of the handlers no other test calls by name: values past the range their C
// library counterparts accept, empty and one-element ranges, files and slots that are not open.
#include "tests/support/fntest.h"
#include "tests/support/tmpdir.h"

namespace {

using fntest::ROW;

TEST(Edge, CharacterClassesTakeAnyInteger)
{
    // Past 0..255 (and EOF) the C library's tables are not defined: every class answers 0.
    const ROW rows[] = {
        {"isupper(65) + islower(97) + isxdigit(102) + isalnum(57) + isspace(9) + ispunct(33)", "6"},
        {"isprint(32) + isgraph(33) + iscntrl(127) + isascii(127)", "4"},
        {"isupper(-2147483648) + islower(2147483647) + isxdigit(-1) + isalnum(256) + isspace(-128)", "0"},
        {"ispunct(65536 + 33) + isprint(-224) + isgraph(4096) + iscntrl(-1) + isascii(128) + isascii(-1)", "0"},
        {"tolower(65) * 1000 + tolower(-2147483648) % 1000", "96352"}, {"tolower(2147483647)", "2147483647"},
    };
    fntest::check(rows, std::size(rows));
}

TEST(Edge, MathAtTheDomainEnds)
{
    const ROW rows[] = {
        {"sqrt(-1) == sqrt(-1)", "0"}, {"asin(2) == asin(2)", "0"}, {"ACOS(1)", "0"}, {"atan2(0, -0.0)", "3.14159265358979"},
        {"fmod(5, 0) == fmod(5, 0)", "0"}, {"fmod(-7, 3)", "-1"}, {"pow(0, -1)", "inf"}, {"POWER(-8, 1 / 3) == POWER(-8, 1 / 3)", "0"},
        {"exp(710)", "inf"}, {"EXP(-746)", "0"}, {"sinh(-1000)", "-inf"}, {"COSH(1000) + TANH(1e308)", "inf"},
        {"ceil(-0.5) + floor(-0.5) + fabs(-2) + ABS(-1e308)", "1e+308"}, {"RADIANS(180) - DEGREES(pi()) / 180 * pi()", "0"},
        {"SIN(0) + COS(0) + TAN(0) + ATAN(0) + SQRT(4)", "3"}, {"rand() >= 0", "1"},
        {"atol(\"99999999999\") == atol(\"99999999999\")", "1"}, {"atol(\"-12x\")", "-12"},
        {"rgb2r(-1) + rgb2b(-2147483648)", "255"}, {"rgb2b(rgb(1, 2, 3))", "3"},
        {"_inpw(65535) + _inpd(65533) + _outp(65536, 0) + _outpd(-2147483648, 0)", "-4"},   // ports past the end
        {"SECOND(-1)", "-1"}, {"SECOND(9223372036854775807) >= -1", "1"}, {"beep()", "1"},
    };
    fntest::check(rows, std::size(rows));
}

TEST(Edge, CountedCompareTakesAnyCount)
{
    const ROW rows[] = {
        {"strnicmp(\"ABc\", \"abd\", 2)", "0"}, {"strnicmp(\"ABc\", \"abd\", -2147483648)", "0"},
        {"_strncoll(\"b\", \"a\", 2147483647)", "1"}, {"_strnicoll(\"A\", \"b\", 2147483647)", "-1"},
        {"strcoll(\"a\", \"b\") + _stricoll(\"B\", \"a\")", "0"},
    };
    fntest::check(rows, std::size(rows));
}

TEST(Edge, RangesThatAreEmptyOrOneElement)
{
    const char *decl = "var one[1] = {4}, t[2] = {\"a\", \"\"}, d[2][2], m[2][2] = {{1, 2}, {3, 4}};";
    const ROW rows[] = {
        {"STDEVP(one, 0, 0, 1, 1)", "0"}, {"STDEVP(t, 0, 0, 2, 1)", "empty"}, {"STDEVP(one, 0, 0, 0, 0)", "empty"},
        {"DEVSQ(one, 0, 0, 1, 1)", "0"}, {"DEVSQ(t, 0, 0, 2, 1)", "empty"}, {"DEVSQ(one, 0, 0, -1, -1)", "empty"},
        {"SCREEN(one, 0, 0, 1, 1)", "-1"}, {"VSCROLL(one, 0, 0, 1, 1, \"UP\")", "-1"},
        {"MADD(m, 0, 0, 2, 2, m, 0, 0, 2, 2)", "empty"}, {"MSUB(m, 0, 0, 0, 0, m, 0, 0, 0, 0)", "empty"},
    };
    fntest::check(rows, std::size(rows), decl);
}

TEST(Edge, SheetRangesAtTheSheetEnds)
{
    fntest::ENV e;   // 10 x 20
    e.csv.csv_put_num(0, 0, 1);
    e.csv.csv_put_num(1, 0, 2);
    EXPECT_EQ(e.calc(9, 19, "SCREEN(R2147483646C2147483646)"), "0");
    EXPECT_EQ(e.csv.csv_curx, 9) << "the cursor held to the last cell";
    EXPECT_EQ(e.csv.csv_cury, 19);
    EXPECT_EQ(e.calc(9, 19, "VSCROLL(R0C0:R2147483646C0, \"DOWN\")"), "-1");
    EXPECT_EQ(e.calc(9, 19, "VSCROLL(R[-2147483647]C0:R0C0, \"DOWN\")"), "-1");
    EXPECT_EQ(e.calc(5, 5, "MADD(R0C0:R0C1, R0C0:R0C1)"), "2");
    EXPECT_DOUBLE_EQ(e.csv.csv_get_num(6, 5), 4);
    EXPECT_EQ(e.calc(5, 5, "MSUB(R0C0:R0C1, R0C0:R0C2)"), "empty");
    EXPECT_EQ(e.err(), "行列数不一致");
    EXPECT_EQ(e.calc(9, 19, "MADD(R0C0:R0C1, R0C0:R0C1)"), "2") << "the block's part beyond the sheet is left out";
    EXPECT_EQ(e.calc(5, 5, "STDEVP(R0C0:R0C1) + DEVSQ(R0C0:R0C1)"), "1");
}

TEST(Edge, FilesAndSlotsNotOpen)
{
    kovtest::TmpDir dir;
    const std::string f = "\"" + dir.path + "/f.txt\"", g = "\"" + dir.path + "/g.txt\"";
    fntest::ENV e;
    const struct {
        std::string expr, want;
    } rows[] = {
        {"fflush(-1) + fflush(1000) + fflush(2147483647)", "-3"}, {"fflush(3)", "-1"},
        {"unlink(\"\") + rename(\"\", \"\")", "-2"}, {"creat(\"\", 420)", "-1"},
        {"(creat(" + f + ", -1), rename(" + f + ", " + g + "), unlink(" + g + "))", "0"},
        {"strlen(mktemp(\"" + dir.path + "/kXXXXXX\"))", std::to_string(dir.path.size() + 8)},
        {"mktemp(\"XXXXX\")", "empty"}, {"mktemp(\"\")", "empty"}, {"sound(\"\")", "0"},
    };
    for (auto &row : rows) EXPECT_EQ(e.eval(row.expr), row.want) << row.expr;
}

} // namespace
