// Display text: number formats, widths, the fitting loop, "<" fill, cutting of texts.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "tests/support/store_facade.h"

using storetest::Sheet;

static std::string fmt(double d, int f, int w)
{
    char buf[CSV_DSP_MAX] = "junk";
    int n = csv_fmt_num(d, f, w, buf);
    EXPECT_EQ(n, int(strlen(buf))) << d << " " << f << " " << w;
    return buf;
}

TEST(DspNumber, FormatsAndFitting)
{
    struct { double d; int f, w; const char *want; } cases[] = {
        // f forms; a misfit goes on as format 4
        {3.14159, 12, 10, "3.14"},
        {3.14159, 12, 4, "3.1"},
        {-1.5, 25, 24, "-1.500000000000000"},
        {1e15, 11, 10, "1e+15"},
        // hexadecimal
        {-255, 32, 10, "-0xFF"},
        {255.9, 34, 10, "0x00FF"},
        {255, 42, 8, "0x000FF"},
        {-255, 42, 8, "-0x00FF"},
        {-9223372036854775808.0, 31, 30, "-0x8000000000000000"},
        {9223372036854775807.0, 31, 30, "9.22337203685478e+18"},  // rounds to 2^63: out of range
        {1e20, 31, 24, "1e+20"},
        {65535, 31, 6, "65535"},                        // 0xFFFF needs 7 bytes
        {NAN, 31, 10, "nan"},
        // g forms
        {1.0 / 3, 0, 24, "0.333333333333333"},
        {1.0 / 3, 1, 24, "0.3333333333333333"},
        {1.0 / 3, 4, 6, "0.333"},
        {1.0 / 3, 33 + 20, 6, "0.333"},                // unknown code: as 4
        {123456789, 0, 5, "<<<<"},
        {123456789, 0, 9, "1.23e+08"},
        {-DBL_MAX, 0, 30, "-1.79769313486232e+308"},
        {1e-5, 0, 4, "<<<"},
        // e form: width - 9 digits after the point, 0..15
        {12345.678, 5, 14, "1.23457e+04"},
        {12345.678, 5, 40, "1.234567800000000e+04"},
        {12345.678, 5, 5, "<<<<"},
        // narrow and wide limits
        {1, 0, 1, ""},
        {1, 12, 99999, "1.00"},
    };
    for (auto &c : cases) EXPECT_EQ(fmt(c.d, c.f, c.w), c.want) << c.d << " f" << c.f << " w" << c.w;
}

TEST(DspCell, TextsAndOverride)
{
    Sheet s;
    s.csv_put_str(0, 0, "abcdefgh");
    s.csv_put_str(1, 0, "あいう");              // 6 bytes in Shift-JIS
    s.csv_put_str(2, 0, "かな混じりの長いテキスト");
    s.csv_put_num(3, 0, 3.14159);
    s.csv_set_attr(3, 0, CSV_A_FMT, 12);
    s.csv_put_form(4, 0, "1+1");                // a formula without value shows nothing
    s.csv_set_attr(5, 0, CSV_A_FMT, 12);
    struct { int x, f, w; const char *want; } cases[] = {
        {0, 0, 20, "abcdefgh"}, {0, 0, 5, "abcd"},    {0, 0, 1, ""},
        {1, 0, 4, "あ"},        {1, 0, 5, "あい"},    {1, 0, 7, "あいう"},
        {2, 0, 6, "かな"},      {2, 0, 5, "かな"},    {2, 0, 99, "かな混じりの長いテキスト"},
        {3, 0, 10, "3.14"},     {3, 10, 10, "3"},      {3, 1, 6, "3.142"},
        {4, 0, 10, ""},         {5, 0, 10, ""},        {9, 0, 10, ""},
    };
    char buf[CSV_DSP_MAX];
    for (auto &c : cases) {
        int n = s.csv_dsp_text(c.x, 0, c.f, c.w, buf);
        EXPECT_STREQ(buf, c.want) << c.x << " w" << c.w;
        EXPECT_EQ(n, int(strlen(buf)));
    }
    s.csv_put_str(6, 0, std::string(5000, 'z').c_str());
    std::string out(CSV_DSP_MAX + 16, '#');
    EXPECT_EQ(s.csv_dsp_text(6, 0, 0, 99999, out.data()), CSV_DSP_MAX - 1);
    EXPECT_EQ(out[CSV_DSP_MAX], '#');  // nothing written past the widest buffer
}

TEST(DspFormatNames, KeywordsCommandsAndLabels)
{
    struct { int code; const char *key; int cmd; const char *label; } cases[] = {
        {0, "FORMAT,g", 86, ""},
        {12, "FORMAT,f.2", 90, "小数2桁 "},
        {42, "FORMAT,x.12", 110, "16進12桁 "},
        {1, nullptr, -1, "ｇ16桁 "},
        {63, nullptr, -1, "FMT63 "},
    };
    for (auto &c : cases) {
        EXPECT_STREQ(csv_fmt_keyword(c.code), c.key);
        if (c.key) {
            EXPECT_EQ(csv_fmt_code(c.key), c.code);
            EXPECT_EQ(csv_fmt_by_cmd(c.cmd), c.code);
        }
        char buf[32];
        EXPECT_EQ(csv_fmt_label(c.code, buf, sizeof buf), int(strlen(c.label)));
        EXPECT_STREQ(buf, c.label) << c.code;
    }
    EXPECT_EQ(csv_fmt_code("FORMAT,x.3") + csv_fmt_code("format,g") + csv_fmt_code(nullptr), -3);
    EXPECT_EQ(csv_fmt_by_cmd(85) + csv_fmt_by_cmd(111), -2);
    char small[4];
    EXPECT_EQ(csv_fmt_label(63, small, sizeof small), 3);
    EXPECT_STREQ(small, "FMT");
    EXPECT_EQ(csv_fmt_label(12, small, sizeof small), 2);  // no half character
    EXPECT_STREQ(small, "小");
}
