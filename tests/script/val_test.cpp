// The script value: kinds, the 4096-byte cap, ownership of the text.
#include "script/val.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <utility>

namespace {

TEST(Val, NewValueIsEmpty)
{
    VAL_U v;
    EXPECT_EQ(v.val_kind, VAL_EMPTY);
    EXPECT_EQ(v.val_num, 0);
    EXPECT_EQ(v.val_str, nullptr);
    EXPECT_EQ(v.val_flags, 0);
    EXPECT_EQ(v.val_getd(), 0);
    EXPECT_STREQ(v.val_gets(), "");
}

TEST(Val, KindsDoNotConvert)
{
    VAL_U v;
    EXPECT_EQ(v.val_putd(2.5), 0);
    EXPECT_EQ(v.val_kind, VAL_NUM);
    EXPECT_EQ(v.val_getd(), 2.5);
    EXPECT_STREQ(v.val_gets(), "");          // a number is not text
    EXPECT_EQ(v.val_puts("12"), 0);
    EXPECT_EQ(v.val_kind, VAL_STR);
    EXPECT_EQ(v.val_getd(), 0);              // a string counts as 0
    EXPECT_STREQ(v.val_gets(), "12");
    EXPECT_EQ(v.val_putd(1), 0);
    EXPECT_EQ(v.val_str, nullptr);           // the text is freed
}

TEST(Val, EmptyTextIsNoString)
{
    const char *texts[] = {"", nullptr};
    for (const char *t : texts) {
        VAL_U v;
        v.val_puts("x");
        EXPECT_EQ(v.val_puts(t), 0);
        EXPECT_EQ(v.val_kind, VAL_EMPTY);
        EXPECT_EQ(v.val_str, nullptr);
    }
}

TEST(Val, TextCappedAt4096Bytes)
{
    struct {
        size_t len, want;
    } cases[] = {{4095, 4095}, {4096, 4096}, {4097, 4096}, {10000, 4096}};
    for (const auto &c : cases) {
        std::string s(c.len, 'q');
        VAL_U v;
        v.val_puts(s.c_str());
        EXPECT_EQ(strlen(v.val_gets()), c.want) << c.len;
    }
}

TEST(Val, PutsFromOwnText)
{
    VAL_U v;
    v.val_puts("abcdef");
    v.val_puts(v.val_str + 2);
    EXPECT_STREQ(v.val_gets(), "cdef");
    v.val_puts(v.val_str);
    EXPECT_STREQ(v.val_gets(), "cdef");
}

TEST(Val, CopyTakesKindAndContentButNotFlags)
{
    VAL_U num, str, empty, dst;
    num.val_putd(4);
    str.val_puts("text");
    str.val_flags = VAL_CONSTEXP;
    dst.val_flags = 0;

    EXPECT_EQ(dst.val_copy(&str), 0);
    EXPECT_STREQ(dst.val_gets(), "text");
    EXPECT_NE(dst.val_str, str.val_str);     // its own text
    EXPECT_EQ(dst.val_flags, 0);
    EXPECT_EQ(dst.val_copy(num), 0);
    EXPECT_EQ(dst.val_kind, VAL_NUM);
    EXPECT_EQ(dst.val_getd(), 4);
    dst.val_puts("x");
    EXPECT_EQ(dst.val_copy(&empty), 0);
    EXPECT_EQ(dst.val_kind, VAL_EMPTY);
    dst.val_puts("x");
    EXPECT_EQ(dst.val_copy(nullptr), 0);
    EXPECT_EQ(dst.val_kind, VAL_EMPTY);
    EXPECT_EQ(dst.val_copy(&dst), 0);
}

TEST(Val, CopiesAndMovesOwnTheirText)
{
    VAL_U a;
    a.val_puts("hello");
    a.val_flags = VAL_CONSTEXP;

    VAL_U b(a);
    EXPECT_STREQ(b.val_gets(), "hello");
    EXPECT_NE(b.val_str, a.val_str);
    EXPECT_EQ(b.val_flags, VAL_CONSTEXP);

    VAL_U c;
    c.val_putd(1);
    c = a;
    EXPECT_STREQ(c.val_gets(), "hello");
    EXPECT_NE(c.val_str, a.val_str);
    c = c;   // self assignment keeps the text
    EXPECT_STREQ(c.val_gets(), "hello");

    char *text = a.val_str;
    VAL_U d(std::move(a));
    EXPECT_EQ(d.val_str, text);
    EXPECT_EQ(a.val_str, nullptr);
    EXPECT_EQ(a.val_kind, VAL_EMPTY);

    VAL_U e;
    e.val_puts("old");
    e = std::move(d);
    EXPECT_EQ(e.val_str, text);
    EXPECT_STREQ(e.val_gets(), "hello");
    EXPECT_EQ(d.val_kind, VAL_EMPTY);

    b.val_puts("changed");
    EXPECT_STREQ(e.val_gets(), "hello");
    EXPECT_STREQ(c.val_gets(), "hello");
}

} // namespace
