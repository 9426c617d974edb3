// Text, dates and information: one row a rule. Shift-JIS texts are spelled with trail bytes that
// look like \ (ソ = 83 5C, 表 = 95 5C) and [ (ボ = 83 7B is {, ‐ = 81 5D is ]).
#include "tests/support/fntest.h"
#include "tests/support/tmpdir.h"

namespace {

using fntest::ROW;

TEST(Text, CharactersAndBytes)
{
    const ROW rows[] = {
        {"MID(\"abcdef\", 1, 2)", "'bc'"}, {"LEFT(\"abc\", 0)", "empty"}, {"RIGHT(\"abc\", 9)", "'abc'"},
        {"MID(\"abc\", 4, 1)", "empty"}, {"MID(\"abc\", 3, 1)", "empty"}, {"MID(\"ソ表a\", 1, 1)", "'表'"},
        {"LEN(\"ソ表a\")", "3"}, {"LENB(\"ソ表a\")", "5"}, {"RIGHT(\"aソ表\", 1)", "'表'"},
        {"LEFTB(\"ソ表\", 3)", "'ソ\x95'"}, {"MIDB(\"abc\", -5, 2)", "'ab'"}, {"RIGHTB(\"abc\", 2)", "'bc'"},
        {"CODE(\"表\")", "38236"}, {"CODEB(\"表\")", "149"}, {"CODE(\"\")", "0"},
        {"CHAR(38236)", "'表'"}, {"CHAR(65)", "'A'"}, {"CHAR(0)", "empty"}, {"CHARB(321)", "'A'"},
        {"UPPER(\"aボb\")", "'AボB'"}, {"LOWER(\"ソA\")", "'ソa'"}, {"TRIM(\"  a  b  \")", "'a  b'"},
        {"REPT(\"ab\", 3)", "'ababab'"}, {"LEN(REPT(\"abc\", 2000))", "4095"}, {"REPT(\"a\", 0)", "empty"},
        {"EXACT(\"a\", \"A\")", "0"}, {"T(5)", "empty"}, {"T(\"x\")", "'x'"}, {"N(\"5\")", "0"},
        {"VALUE(\" 12 \")", "12"}, {"VALUE(\"12abc\")", "empty"}, {"VALUE(\"-1.5e2\")", "-150"},
        {"VALUE(\"0x10\")", "empty"}, {"VALUE(\"inf\")", "empty"},
        {"ESCSTR(\"a\\\\tb\\\\x41\")", "'a\tbA'"}, {"ESCSTR(\"ソ\\\\n\")", "'ソ\n'"},
        {"strlen(5)", "0"}, {"strcmp(\"a\", \"b\")", "-1"}, {"stricmp(\"ABC\", \"abc\")", "0"},
        {"strncmp(\"abx\", \"aby\", 2)", "0"}, {"strstr(\"hello\", \"ll\")", "'llo'"},
        {"strchr(\"a‐b\", 93)", "']b'"}, {"strspn(\"112a\", \"12\")", "3"},
        {"isdigit(55) + isalpha(300) + toupper(97)", "66"}, {"toascii(200)", "72"},
    };
    fntest::check(rows, std::size(rows));
}

TEST(Text, TypesAndSelection)
{
    const std::string decl = "var a[2][3] = {{1, \"x\", 3}, {4, 5, 6}};";
    const ROW rows[] = {
        {"TYPE()", "16"}, {"TYPE(\"\")", "0"}, {"TYPE(2)", "1"}, {"ISTEXT(\"a\")", "1"},
        {"ISNONTEXT()", "1"}, {"ISBLANK(0)", "0"}, {"ISNUMBER(1, \"a\")", "1"},
        {"CHOOSE(0, 5, 6)", "empty"}, {"CHOOSE(1, 5, 6)", "5"}, {"CHOOSE0(1, 5, \"s\")", "'s'"},
        {"INDEX(a, 0, 0, 3, 2, 1, 2)", "'x'"}, {"INDEX(a, 0, 0, 3, 2, 3, 1)", "empty"},
        {"INDEX0(a, 1, 0, 2, 2, 1, 1)", "6"}, {"INDEX0(a, 0, 0, 3, 2, 0, -1)", "empty"},
        {"OFFSET(a, 0, 0, 1, 1, 1, 2)", "6"}, {"ROW(a, 1, 1, 2, 1) * 10 + COLUMN(a, 2, 0, 1, 1)", "12"},
        {"ROWS(a, 0, 0, 3, 2) * 10 + COLS(a, 0, 0, 3, 2)", "23"},
        {"CELL(\"address\", a, 1, 0, 2, 2)", "'R0C1:R1C2'"}, {"CELL(\"type\", a, 1, 0, 1, 1)", "'l'"},
        {"CELL(\"contents\", a, 2, 1, 1, 1)", "6"}, {"CELL(\"prefix\", a, 0, 0, 1, 1)", "empty"},
        {"INFO(\"release\")", "'1.00.00'"}, {"INFO(\"nothing\")", "-1"},
    };
    fntest::check(rows, std::size(rows), decl);
}

TEST(Text, CellsOfTheSheet)
{
    fntest::ENV e;
    e.csv.csv_put_num(1, 2, 3.14159);
    e.csv.csv_set_attr(1, 2, CSV_A_FMT, 12);
    e.csv.csv_set_attr(1, 2, CSV_A_INPUT, 3);
    EXPECT_EQ(e.calc(0, 0, "CELL(\"format\", R2C1)"), "'F2'");
    EXPECT_EQ(e.calc(0, 0, "CELL(\"protect\", R2C1) + CELL(\"width\", R2C1)"), "11");
    EXPECT_EQ(e.calc(0, 0, "DISPT(R2C1)"), "'3.14'");
    EXPECT_EQ(e.calc(0, 0, "CELL(\"address\", R2C1)"), "'R2C1'");
}

TEST(Text, TimesInTheLocalZone)
{
    kovtest::EnvVar tz("TZ", "JST-9");
    const ROW rows[] = {
        {"DATE(2011, 2, 30) == DATE(2011, 3, 2)", "1"}, {"DATE(1969, 1, 1)", "-1"}, {"DATE(2000, 13, 1)", "-1"},
        {"DATE(1970, 1, 2)", "54000"}, {"TIME(1, 2, 3)", "3723"}, {"TIME(24, 0, 0)", "-1"},
        {"YEAR(0) * 10000 + MONTH(0) * 100 + DAY(0)", "19700101"}, {"HOUR(0)", "9"}, {"MINUTE(-1)", "-1"},
        {"localtime(86399)", "'1970/01/02 08:59.59'"}, {"gmtime(86399)", "'1970/01/01 23:59.59'"},
        {"localtime(-5)", "empty"},
    };
    fntest::check(rows, std::size(rows));
    fntest::ENV e;
    e.host.now = 1234567890;
    EXPECT_EQ(e.eval("time() - NOW() + time()"), "1234567890") << "the host's clock";
}

} // namespace
