// Arguments at the integer limits: ranges far beyond their storage, matrix sizes that are
// negative or huge, widths, counts and positions near 2^31. Each must give what the part of the
// range on its storage gives, at once, and never end or stall the process.
#include "tests/support/fntest.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using fntest::ROW;

const char *const DATA = "var x[5] = {2.5, 4, \"t\", 7.5, 1}, y[5] = {3, 5.5, 1, 9, 2}, z[5] = {1, 2, 3, 4, 5};";
const std::string HUGE_RANGE = "0, 0, 2147483647, 2147483647";

// Every function that walks a range: one range, or two of one shape.
const char *const ONE[] = {"AVERAGE", "HARMEAN", "GEOMEAN", "MAX",    "MIN",  "SUM",   "PRODUCT",
                           "MEDIAN",  "VARP",    "VAR",     "STDEVP", "STDEV", "MODE", "DEVSQ",
                           "AVEDEV",  "SKEW",    "KURT",    "COUNT",  "COUNTA", "COUNTBLANK"};
const char *const TWO[] = {"COVAR",    "CORREL",     "SUMX2MY2", "SUMX2PY2", "SUMXMY2",
                           "SUMPRODUCT", "SLOPE",    "INTERCEPT", "RSQ",     "STEYX"};

TEST(Limits, HugeRangesGiveWhatTheStorageHolds)
{
    fntest::ENV e;
    for (const char *f : ONE) {
        std::string want = e.eval(std::string(f) + "(x, 0, 0, 5, 1)", DATA);
        EXPECT_EQ(e.eval(std::string(f) + "(x, " + HUGE_RANGE + ")", DATA), want) << f;
    }
    for (const char *f : TWO) {
        std::string want = e.eval(std::string(f) + "(x, 0, 0, 5, 1, y, 0, 0, 5, 1)", DATA);
        EXPECT_EQ(e.eval(std::string(f) + "(x, " + HUGE_RANGE + ", y, " + HUGE_RANGE + ")", DATA), want) << f;
    }
    EXPECT_EQ(e.eval("COUNTIF(z, " + HUGE_RANGE + ", 3)", DATA), "1");
}

TEST(Limits, RangesAtTheIntegerEnds)
{
    const ROW rows[] = {
        {"SUM(z, 2147483647, 0, 2147483647, 1)", "empty"}, {"SUM(z, -2147483648, 0, 2147483647, 1)", "empty"},
        {"SUM(z, -2147483646, 0, 2147483647, 1)", "1"}, {"COUNTBLANK(z, 3, 0, 2147483647, 2147483647)", "0"},
        {"SUM(z, 1, 0, -5, -5)", "empty"}, {"COUNTA(z, 4, -2147483646, 2147483647, 2147483647)", "1"},
        // A position where one range is a number and the other lies off its storage is mixed.
        {"COVAR(x, 3, 0, 5, 1, y, 0, 0, 5, 1)", "empty"}, {"SUMPRODUCT(z, 3, 0, 5, 1, y, 0, 0, 5, 1)", "39.5"},
        {"CHOOSE(-2147483648, 1, 2)", "empty"}, {"CHOOSE(2147483647, 1, 2)", "empty"}, {"CHOOSE0(1, 1, 2)", "2"},
        {"INDEX(z, 0, 0, 5, 1, 1, -2147483648)", "empty"}, {"INDEX(z, 2147483647, 0, 5, 1, 1, 1)", "empty"},
        {"INDEX(z, 3, 0, 5, 1, 1, 2)", "5"}, {"INDEX(z, 3, 0, 5, 1, 1, 3)", "empty"},
        {"INDEX0(z, -2147483648, 0, 2147483647, 1, 0, 2147483646)", "empty"},
        {"OFFSET(z, 2147483647, 0, 1, 1, 0, 2147483647)", "empty"},
        {"OFFSET(z, -2147483648, 0, 1, 1, 0, -2147483648)", "empty"},
        {"OFFSET(z, 2147483647, 0, 1, 1, 0, -2147483645)", "3"},
        {"CELL(\"address\", z, 2147483647, 0, 2147483647, 1)", "'R0C2147483647'"},
        {"_inp(2147483647) + _outpw(2147483646, 1)", "-2"},
        {"FACT(2147483647) + PERMUT(2147483647, 2147483647)", "inf"}, {"FACT(170) > 1e306", "1"},
        {"COMBIN(2147483647, 1)", "2147483647"}, {"FACT(171)", "inf"},
    };
    fntest::check(rows, std::size(rows), DATA);
}

TEST(Limits, MatrixSizesNegativeOrHuge)
{
    const std::string decl = "var a[2][2] = {{1, 2}, {3, 4}}, d[2][2], v[2][1] = {{5}, {6}}, w[2][1];";
    struct {
        const char *expr, *want, *err;
    } rows[] = {
        {"minverse(d, 0, 0, -2, -2, a, 0, 0, -2, -2)", "-1", "正方行列でない"},
        {"minverse(d, 0, 0, 2147483647, 2147483647, a, 0, 0, 2147483647, 2147483647)", "-1", "正方行列でない"},
        {"mequation(w, 0, 0, 1, -3, a, 0, 0, -3, -3, v, 0, 0, 1, -3)", "-1", "係数行列が正方でない"},
        {"mmult(d, 0, 0, 2147483647, 2, a, 0, 0, 2, 2, a, 0, 0, 2147483647, 2)", "-1", "行列数不一致"},
        {"madd(d, 0, 0, -1, -1, a, 0, 0, -1, -1, a, 0, 0, -1, -1)", "-1", "行列数不一致"},
        {"msub(d, 0, 0, 65536, 65536, a, 0, 0, 65536, 65536, a, 0, 0, 65536, 65536)", "-1", "行列数不一致"},
        {"MDETERM(a, 0, 0, 2147483647, 2147483647)", "empty", "正方行列でない"},
        {"MDETERM(a, 0, 0, -3, -3)", "empty", "正方行列でない"},
        {"MDETERM(a, 1, 1, 2, 2)", "0", nullptr},   // partly off the array: zeros, as before
    };
    fntest::ENV e;
    for (auto &row : rows) {
        EXPECT_EQ(e.eval(row.expr, decl), row.want) << row.expr;
        if (row.err) {
            EXPECT_EQ(e.err(), row.err) << row.expr;
        }
    }
}

TEST(Limits, FormulaRangesBeyondTheSheet)
{
    fntest::ENV e;   // a sheet of 10 x 20
    e.csv.csv_put_num(0, 0, 1);
    e.csv.csv_put_num(9, 19, 2);
    e.csv.csv_put_str(4, 4, "t");
    EXPECT_EQ(e.calc(5, 5, "SUM(R0C0:R2147483646C2147483646)"), "3");
    EXPECT_EQ(e.calc(5, 5, "COUNTBLANK(R0C0:R2147483646C2147483646)"), "197") << "200 cells, 3 filled";
    EXPECT_EQ(e.calc(5, 5, "COUNTA(R[-2147483647]C[-2147483647]:R2147483647C2147483647)"), "3");
    EXPECT_EQ(e.calc(5, 5, "COLUMNS(R0C[-2147483647]:R0C2147483647)"), "2147483647");
    EXPECT_EQ(e.calc(5, 5, "SUMPRODUCT(R0C0:R2000000C2000, R0C0:R2000000C2000)"), "5");
    EXPECT_EQ(e.calc(5, 5, "MINVERSE(R0C0:R2147483646C2147483646)"), "empty");
    EXPECT_EQ(e.err(), "正方行列でない");
    EXPECT_EQ(e.calc(5, 5, "MDETERM(R0C0:R2147483646C2147483646)"), "empty");
    EXPECT_EQ(e.calc(5, 5, "CALC(R0C0:R2147483646C2147483646)"), "0");
}

TEST(Limits, PprintfWidthAndPrecisionAreBounded)
{
    const std::string zeros(4096, '0'), blanks(4096, ' ');
    const ROW rows[] = {
        {"strlen(pprintf(\"%.2147483647f\", 1))", "4096"},
        {"pprintf(\"%.2147483647f\", 1) == pprintf(\"%.5000f\", 1)", "1"},
        {"LEFT(pprintf(\"%.99999999999999999999d\", 5), 3)", "'000'"},
        {"strlen(pprintf(\"%2147483647d|\", 5)) + strlen(pprintf(\"%*s\", -2147483648, \"ab\"))", "8192"},
        {"RIGHT(pprintf(\"%-2147483647s\", \"ab\"), 2)", "'  '"},
        {"pprintf(\"%4097d\", 7) == pprintf(\"%2147483647d\", 7)", "1"},
        {"pprintf(\"%.3s|%05d|%-4d|\", \"abcdef\", 42, 1)", "'abc|00042|1   |'"},
        {"pprintf(\"%.2147483647g\", 0.1) == pprintf(\"%.800g\", 0.1)", "1"},
    };
    fntest::check(rows, std::size(rows));
}

// The C library builds a conversion whole before the cut: a precision or width of 2^31 took
// gigabytes. Within 1 GiB of address space the result is there all the same.
TEST(Limits, PprintfHugeConversionsNeedLittleMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves more address space than the limit";
#endif
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        struct rlimit rl = {rlim_t(1) << 30, rlim_t(1) << 30};
        setrlimit(RLIMIT_AS, &rl);
        fntest::ENV e;
        bool ok = e.eval("pprintf(\"%.2147483647f\", 1)") == "'1." + std::string(4094, '0') + "'" &&
                  e.eval("strlen(pprintf(\"%2147483647d\", 1))") == "4096" &&
                  e.eval("strlen(pprintf(\"%.2147483647d\", 1))") == "4096";
        _exit(ok ? 0 : 1);
    }
    int st = 0;
    ASSERT_EQ(waitpid(pid, &st, 0), pid);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << st;
}

} // namespace
