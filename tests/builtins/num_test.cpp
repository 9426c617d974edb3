// Numbers, statistics and matrices: one row a rule, values from the rules themselves or computed
// independently for a small data set.
#include "tests/support/fntest.h"

namespace {

using fntest::ROW;

// x and y: a small measured series (y roughly 1.17 x + 0.6); t: texts and blanks only.
const char *const DATA = "var x[8] = {2.0, 4.5, 3.1, 7.8, 5.6, 6.2, 1.9, 8.4};\n"
                         "var y[8] = {3.1, 5.9, 4.2, 9.8, 7.1, 7.4, 2.8, 10.6};\n"
                         "var t[3] = {\"a\", \"\", \"b\"}; var m[5] = {1, 2, 2, 3, 3}; var u[3] = {1, 2, 3};\n"
                         "var e[4] = {3, 1, 2, 10}; var h[3] = {1, 0, 2}; var one[1] = {4};\n"
                         "var p[3] = {1, \"\", 2}; var q[3] = {1, 5, 2};";

TEST(Num, ScalarRules)
{
    const ROW rows[] = {
        {"ROUND(2.5, 0)", "3"}, {"ROUND(-2.5, 0)", "-3"}, {"ROUND(1234.5, -2)", "1200"},
        {"ROUND(1.005 * 1000, -1)", "1000"}, {"ROUNDUP(-1.1, 0)", "-2"}, {"ROUNDUP(1.21, 1)", "1.3"},
        {"ROUNDDOWN(-1.9, 0)", "-1"}, {"MROUND(7.4, 2)", "8"}, {"MROUND(7, 0.5)", "0"},
        {"MOD(-7, 3)", "1"}, {"MOD(7, -3)", "-1"}, {"MOD(5, 0)", "0"}, {"QUOTIENT(-7, 2)", "-3"},
        {"FLOOR(-2.5, -1)", "-3"}, {"FLOOR(2.5, -1)", "0"}, {"CEILING(2.1, 0.5)", "2.5"},
        {"EVEN(-1.5)", "-2"}, {"ODD(2)", "3"}, {"ODD(-2)", "-3"}, {"INT(-1.5)", "-2"}, {"TRUNC(-1.5)", "-1"},
        {"PERMUT(5, 2)", "20"}, {"COMBIN(5, 2)", "10"}, {"FACT(0)", "1"}, {"FACT(-1)", "0"},
        {"OR(0, 1)", "1"}, {"OR(1, \"a\")", "0"}, {"AND(1, 2)", "1"}, {"AND()", "0"},
        {"NOT(0.5)", "1"}, {"ISODD(-3)", "1"}, {"ISEVEN(4.7)", "1"}, {"sign(-0.1)", "-1"},
        {"IF(0, \"a\", \"b\")", "'b'"}, {"IF(1, 7)", "7"}, {"IF(0, 7)", "empty"},
        {"min(1, 1) + max(2, 3)", "4"}, {"SUMSQ(3, \"x\", 4)", "25"}, {"DELTA(2, 2) + GESTEP(1, 2)", "1"},
        {"abs(-5) + labs(-2) + atoi(\"12x\")", "19"}, {"LOG(1000) + LN(1)", "3"}, {"SQRTPI(1 / pi())", "1"},
        {"rgb(255, 256 + 1, 2)", "131583"}, {"rgb2g(rgb(1, 2, 3))", "2"}, {"color(\"#FF0000\")", "255"},
        {"color(\"red\")", "255"}, {"color(\"purwablue\")", "16769435"}, {"color(\"nothing\")", "-1"},
    };
    fntest::check(rows, std::size(rows), DATA);
}

TEST(Num, IfEvaluatesBothBranches)
{
    fntest::ENV e;
    EXPECT_EQ(e.eval("IF(0, n = 5, 2) + n", "var n = 0;"), "7");
}

TEST(Num, RandomNumbersRepeatFromTheSeed)
{
    fntest::ENV e;
    std::string a = e.eval("RAND() + RANDBETWEEN(1, 6) * 10");
    EXPECT_EQ(e.eval("RAND() + RANDBETWEEN(1, 6) * 10"), a) << "every run starts from the same seed";
    EXPECT_EQ(e.eval("RANDBETWEEN(5, 5)"), "5");
    EXPECT_EQ(e.eval("(srand(7), r = RANDBETWEEN(9, 1), r >= 1 && r <= 9)", "var r;"), "1");
}

TEST(Num, Aggregates)
{
    const ROW rows[] = {
        {"SUM(t, 0, 0, 3, 1)", "empty"}, {"COUNT(t, 0, 0, 3, 1)", "0"}, {"COUNTA(t, 0, 0, 3, 1)", "2"},
        {"COUNTBLANK(t, 0, 0, 3, 1)", "1"}, {"MODE(m, 0, 0, 5, 1)", "2"}, {"MODE(u, 0, 0, 3, 1)", "empty"},
        {"MEDIAN(e, 0, 0, 4, 1)", "2.5"}, {"MEDIAN(u, 0, 0, 3, 1)", "2"}, {"VAR(one, 0, 0, 1, 1)", "empty"},
        {"VARP(one, 0, 0, 1, 1)", "0"}, {"HARMEAN(h, 0, 0, 3, 1)", "0"}, {"PRODUCT(u, 0, 0, 3, 1)", "6"},
        {"MAX(x, 0, 0, 8, 1) - MIN(x, 0, 0, 8, 1)", "6.5"}, {"AVERAGE(x, 0, 0, 8, 1)", "4.9375"},
        {"ROUND(STDEV(x, 0, 0, 8, 1), 12)", "2.496819405335"}, {"VARP(x, 0, 0, 8, 1)", "5.45484375"},
        {"ROUND(SKEW(x, 0, 0, 8, 1), 12)", "0.093114941109"}, {"ROUND(KURT(x, 0, 0, 8, 1), 12)", "-1.506825940605"},
        {"ROUND(GEOMEAN(x, 0, 0, 8, 1), 12)", "4.316819861689"}, {"ROUND(HARMEAN(x, 0, 0, 8, 1), 12)", "3.706735753037"},
        {"AVEDEV(x, 0, 0, 8, 1)", "2.0625"}, {"COUNTIF(m, 0, 0, 5, 1, 3)", "2"},
        {"COUNTIF(t, 0, 0, 3, 1, \"b\")", "1"}, {"COUNTIF(m, 0, 0, 5, 1, 3, 2)", "0"},
        {"SUM(x, 1, 0, 2, 1)", "7.6"}, {"SUM(x, 0, 0, 0, 1)", "empty"},
    };
    fntest::check(rows, std::size(rows), DATA);
}

TEST(Num, TwoRangesAndRegression)
{
    const ROW rows[] = {
        {"ROUND(SLOPE(y, 0, 0, 8, 1, x, 0, 0, 8, 1), 12)", "1.166194036264"},
        {"ROUND(INTERCEPT(y, 0, 0, 8, 1, x, 0, 0, 8, 1), 12)", "0.604416945948"},
        {"ROUND(RSQ(y, 0, 0, 8, 1, x, 0, 0, 8, 1), 12)", "0.995476628544"},
        {"ROUND(STEYX(y, 0, 0, 8, 1, x, 0, 0, 8, 1), 12)", "0.212005405591"},
        {"ROUND(COVAR(x, 0, 0, 8, 1, y, 0, 0, 8, 1), 12)", "6.36140625"},
        {"ROUND(CORREL(x, 0, 0, 8, 1, y, 0, 0, 8, 1), 12)", "0.99773575086"},
        {"COVAR(q, 0, 0, 3, 1, p, 0, 0, 3, 1)", "empty"},   // a number facing a blank
        {"SUMPRODUCT(u, 0, 0, 3, 1, p, 0, 0, 3, 1)", "7"}, {"SUMXMY2(u, 0, 0, 3, 1, q, 0, 0, 3, 1)", "10"},
        {"SUMX2MY2(u, 0, 0, 2, 1, q, 0, 0, 2, 1)", "-21"}, {"SUMX2PY2(u, 0, 0, 3, 1, t, 0, 0, 3, 1)", "0"},
        {"SUMPRODUCT(u, 0, 0, 3, 1, q, 0, 0, 2, 1)", "empty"}, {"SLOPE(u, 0, 0, 1, 1, u, 0, 0, 1, 1)", "empty"},
    };
    fntest::check(rows, std::size(rows), DATA);
}

TEST(Mat, ScriptFormsIntoRanges)
{
    const std::string decl = "var a[2][2] = {{1, 2}, {3, 4}}, z[2][2] = {{0, 1}, {1, 0}}, s[2][2] = {{1, 2}, {2, 4}};\n"
                             "var d[2][2], v[2][1] = {{5}, {6}}, w[2][1], d3[2][3];";
    const ROW rows[] = {
        {"MDETERM(a, 0, 0, 2, 2)", "-2"}, {"MDETERM(z, 0, 0, 2, 2)", "-1"}, {"MDETERM(s, 0, 0, 2, 2)", "0"},
        {"MDETERM(d3, 0, 0, 3, 2)", "empty"},
        {"(mmult(d, 0, 0, 2, 2, a, 0, 0, 2, 2, a, 0, 0, 2, 2), d[0][0] * 1000 + d[1][0] * 10 + d[1][1])", "7172"},
        {"mmult(d3, 0, 0, 3, 2, a, 0, 0, 2, 2, a, 0, 0, 2, 2)", "-1"},
        {"(madd(d, 0, 0, 2, 2, a, 0, 0, 2, 2, z, 0, 0, 2, 2), d[0][1] * 10 + d[1][1])", "34"},
        {"(msub(d, 0, 0, 2, 2, a, 0, 0, 2, 2, z, 0, 0, 2, 2), d[1][0])", "2"},
        {"(minverse(d, 0, 0, 2, 2, a, 0, 0, 2, 2), d[0][0] * 10 + d[1][0] * 100)", "130"},
        {"(mequation(w, 0, 0, 1, 2, a, 0, 0, 2, 2, v, 0, 0, 1, 2), w[0][0] * 10 + w[1][0] * 100)", "410"},
        {"(minverse(d, 0, 0, 2, 2, s, 0, 0, 2, 2), d[0][0])", "empty"},
        {"MINVERSE(a, 0, 0, 2, 2)", "empty"},
    };
    fntest::check(rows, std::size(rows), decl);
}

TEST(Mat, FormulaFormsWriteTheirBlock)
{
    fntest::ENV e;
    const double cells[] = {1, 2, 3, 4};
    for (int k = 0; k < 4; k++) e.csv.csv_put_num(k % 2, k / 2, cells[k]);
    EXPECT_EQ(e.calc(3, 0, "MINVERSE(R0C0:R1C1)"), "-2");
    EXPECT_DOUBLE_EQ(e.csv.csv_get_num(4, 1), -0.5);
    e.csv.csv_put_num(0, 1, 2);   // singular now: rows (1, 2) and (2, 4)
    e.csv.csv_put_num(1, 1, 4);
    EXPECT_EQ(e.calc(3, 0, "MINVERSE(R0C0:R1C1)"), "empty");
    EXPECT_EQ(e.err(), "逆行列作成失敗");
    EXPECT_EQ(e.csv.csv_get_type(4, 1), 0) << "the block is emptied";
    EXPECT_EQ(e.calc(3, 3, "MMULT(R0C0:R1C1, R0C0:R1C1)"), "5");
    EXPECT_EQ(e.eval("MEQUATION(a, 0, 0, 1, 1, a, 0, 0, 1, 1)", "var a[1] = {1};"), "empty");
    EXPECT_EQ(e.err(), "MEQUATION はセル式以外では無効");
}

} // namespace
