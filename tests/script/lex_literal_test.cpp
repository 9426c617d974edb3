// Character, numeric and string literals, and appending to a string value.
#include "script/lex.h"
#include "script/val.h"
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace {

struct CharCase {
    const char *text;
    int rc, code, len;
};

TEST(LexChar, PlainAndEscapes)
{
    const CharCase cases[] = {
        {"A", 0, 65, 1},
        {"\x82\xa0", 0, 0x82, 1},
        {"\\n", 0, 10, 2},
        {"\\N", 0, 10, 2},
        {"\\0", 0, 0, 2},
        {"\\a", 0, 7, 2}, {"\\v", 0, 11, 2}, {"\\T", 0, 9, 2},
        {"\\x41", 0, 65, 4},
        {"\\x414", 0, 65, 4},     // exactly two hexadecimal digits
        {"\\x4", 0, 'x', 2},      // fewer: the x stands for itself
        {"\\101", 0, 65, 4},
        {"\\777", 0, 511, 4},
        {"\\12", 0, '1', 2},      // fewer than three octal digits
        {"\\q", 0, 'q', 2},
        {"\\\\", 0, '\\', 2}, {"\\\"", 0, '"', 2}, {"\\'", 0, '\'', 2}, {"\\?", 0, '?', 2},
        {"\\\n", 0, '\n', 2},
        {"", -1, 0, 0},
        {"\r", -1, 0, 0},
        {"\n", -1, 0, 0},
        {"\\", -1, 0, 0},
    };
    for (const auto &c : cases) {
        LEX_U lx;
        const char *p = c.text;
        int code = -99;
        EXPECT_EQ(lx.lex_char(p, code), c.rc) << c.text;
        if (c.rc == 0) {
            EXPECT_EQ(code, c.code) << c.text;
        }
        EXPECT_EQ(p - c.text, c.len) << c.text;
    }
}

struct NumCase {
    const char *text;
    int rc;
    double num;
    int len;
};

TEST(LexNumber, BasesFloatsAndCharacters)
{
    const double big = 9223372036854775807.0;
    const NumCase cases[] = {
        {"42", 0, 42, 2},
        {"010", 0, 8, 3},
        {"0x1F", 0, 31, 4},
        {"0X1f;", 0, 31, 4},
        {".5", 0, 0.5, 2},
        {"1.5e3", 0, 1500, 5},
        {"1e3", 0, 1000, 3},       // an exponent makes a floating constant
        {"08", 0, 0, 1},
        {"0x", 0, 0, 1},
        {"5.", 0, 5, 2},
        {"1.5e", 0, 1.5, 3},
        {"010.5", 0, 10.5, 5},     // read again as a decimal number
        {"0x1.8", 0, 0, 1},        // no hexadecimal fractions
        {"12abc", 0, 12, 2},
        {"-5", 0, -5, 2},
        {"-0x10", 0, -16, 5},
        {"9223372036854775807", 0, big, 19},
        {"99999999999999999999", 0, big, 20},
        {"-99999999999999999999", 0, -big - 1, 21},
        {"0xFFFFFFFFFFFFFFFF", 0, big, 18},
        {"'A'", 0, 65, 3},
        {"'\\n'", 0, 10, 4},
        {"'\\777'", 0, 511, 6},
        {"'\\q'", 0, 'q', 4},
        {"'''", 0, '\'', 3},
        {"'AB'", -1, 0, 0},
        {"'A", -1, 0, 0},
        {"\t42", -1, 0, 0},        // only spaces are skipped here
        {"- 5", -1, 0, 0},
        {".", -1, 0, 0},
        {"abc", -1, 0, 0},
        {"inf", -1, 0, 0},         // names, never numbers
        {"1.0e999x", 0, INFINITY, 7},
    };
    for (const auto &c : cases) {
        LEX_U host;
        const char *p = c.text;
        double num = -99;
        EXPECT_EQ(host.lex_number(p, num), c.rc) << c.text;
        if (c.rc == 0) {
            EXPECT_DOUBLE_EQ(num, c.num) << c.text;
        }
        EXPECT_EQ(p - c.text, c.len) << c.text;
    }
}

struct StrCase {
    std::string text, want, rest;
};

TEST(LexString, LiteralsAndJoining)
{
    std::string a4096(4096, 'a'), a4094(4094, 'a');
    const StrCase cases[] = {
        {"\"abc\"", "abc", ""},
        {"\"ab\"  \"cd\"", "abcd", ""},
        {"\"ab\" /* c */ \"cd\";", "abcd", ";"},
        {"\"ab\" // c\n  \"cd\" \n", "abcd", ""},
        {"\"a\\tb\\\"c\"", "a\tb\"c", ""},
        {"\"a\\777b\"", "a\xff" "b", ""},                   // a 511 keeps its low byte
        {"\"\x83\x5c\"", "\x83\x5c", ""},                  // trail byte equal to a backslash
        {"\"\x81\"\"", "\x81\"", ""},                      // ... or to a double quote
        {"\"\\x82\xa0\"", "\x82\xa0", ""},                 // an escaped lead takes the next byte
        {"\"ab\"\r\n\"cd\"", "ab", "\r\n\"cd\""},          // CR ends the joining
        {"\"\" \"\" )", "", ")"},                           // empty: an empty value
        {"\"" + a4096 + "\"", a4096, ""},                     // the longest, also when joined
        {"\"" + a4094 + "\x82\xa0\"", a4094 + "\x82\xa0", ""},
        {"\"" + a4096.substr(0, 2000) + "\"\n\"" + a4096.substr(0, 2096) + "\"", a4096, ""},
    };
    for (const auto &c : cases) {
        SCR_LEX lx;
        VAL_U v;
        v.val_putd(3);
        const char *p = c.text.c_str();
        EXPECT_EQ(lx.scr_string(p, v), 0) << c.text;
        EXPECT_EQ(v.val_kind, c.want.empty() ? VAL_EMPTY : VAL_STR) << c.text;
        EXPECT_EQ(std::string(v.val_gets()), c.want) << c.text;
        EXPECT_EQ(std::string(p), c.rest) << c.text;
    }
}

struct StrErrCase {
    std::string text;
    const char *msg;   // reported text ("" = silent failure)
};

TEST(LexLit, StringFailures)
{
    std::string a4095(4095, 'a'), a4096(4096, 'a'), a3000(3000, 'a'), a1097(1097, 'b');
    const StrErrCase cases[] = {
        {"\"abc", "文字列終端文字がない"},
        {"\"abc\nd\"", "文字列終端文字がない"},
        {"\"ab\" \"cd", "文字列終端文字がない"},
        {"\"" + a4096 + "a\"", "文字列長超過"},
        {"\"" + a3000 + "\" \"" + a1097 + "\"", "文字列長超過"},
        {"\"" + a4095 + "\x82\xa0\"", "文字列長超過"},       // lead byte as the 4096th byte
        {"\"\x82", "異常文字列"},
        {"\"ab\\", ""},                                    // backslash at the end: silent
        {"abc", ""},
    };
    for (const auto &c : cases) {
        SCR_LEX lx;
        VAL_U v;
        v.val_putd(7);
        const char *p = c.text.c_str();
        EXPECT_EQ(lx.scr_string(p, v), -1) << c.msg;
        EXPECT_STREQ(lx.scr_get_nowerr(), c.msg);
        EXPECT_EQ(p, c.text.c_str()) << c.msg;   // the cursor stays at the opening quote
        EXPECT_EQ(v.val_getd(), 7) << c.msg;    // the value is untouched
    }
}

struct AddCase {
    int kind;            // of the value before: VAL_EMPTY, VAL_NUM, VAL_STR
    std::string before, text, want;
    int want_kind;
};

TEST(LexAdd, AppendCutsOnCharacterBoundary)
{
    std::string a4095(4095, 'a'), a4094(4094, 'a'), a4000(4000, 'a'), b200(200, 'b');
    const AddCase cases[] = {
        {VAL_STR, "ab", "cd", "abcd", VAL_STR},
        {VAL_NUM, "", "cd", "cd", VAL_STR},
        {VAL_STR, "ab", "", "ab", VAL_STR},
        {VAL_NUM, "", "", "", VAL_NUM},                     // empty text: nothing happens
        {VAL_STR, a4095, "\x82\xa0", a4095, VAL_STR},       // the lead byte is dropped
        {VAL_STR, a4094, "\x82\xa0" "x", a4094 + "\x82\xa0", VAL_STR},
        {VAL_STR, a4000, b200, a4000 + b200.substr(0, 96), VAL_STR},
        {VAL_STR, a4095, "\x82", a4095 + "\x82", VAL_STR},  // nothing cut away: kept
        {VAL_STR, a4094, "\x82\x81\x82", a4094 + "\x82\x81", VAL_STR},
    };
    for (const auto &c : cases) {
        SCR_LEX lx;
        VAL_U v;
        if (c.kind == VAL_STR) v.val_puts(c.before.c_str());
        if (c.kind == VAL_NUM) v.val_putd(5);
        EXPECT_EQ(lx.scr_add_string(v, c.text.c_str()), 0);
        EXPECT_EQ(v.val_kind, c.want_kind);
        if (c.want_kind == VAL_STR) {
            EXPECT_EQ(std::string(v.val_gets()), c.want) << c.text;
        }
    }
    SCR_LEX lx;
    VAL_U v;
    v.val_puts("ab");
    EXPECT_EQ(lx.scr_add_string(v, nullptr), 0);
    EXPECT_STREQ(v.val_gets(), "ab");
}

} // namespace
