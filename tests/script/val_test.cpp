// The script value: kinds do not convert, the 4096-byte cap, ownership and the byte count.
#include "script/val.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <utility>

TEST(Val, KindsTextsAndCap)
{
    VAL_U v;
    EXPECT_EQ(v.val_kind, VAL_EMPTY);
    v.val_putd(2.5);
    EXPECT_STREQ(v.val_gets(), "");          // a number is not text
    v.val_puts("12");
    EXPECT_EQ(v.val_getd(), 0);              // a string counts as 0
    v.val_puts(v.val_str + 1);               // from its own text
    EXPECT_STREQ(v.val_gets(), "2");
    for (int k = 0; k < 3; k++) v.val_append(v.val_str, v.val_length());   // grows from itself
    EXPECT_STREQ(v.val_gets(), "22222222");
    for (const char *t : {"", (const char *)nullptr}) {
        v.val_puts("x");
        v.val_puts(t);
        EXPECT_EQ(v.val_kind, VAL_EMPTY);
        EXPECT_EQ(v.val_str, nullptr);
    }
    for (size_t len : {4096, 4097}) {
        v.val_puts(std::string(len, 'q').c_str());
        EXPECT_EQ(strlen(v.val_gets()), 4096u) << len;
    }
}

TEST(Val, CopiesOwnTheirTextAndCountIt)
{
    long before = VAL_U::val_bytes;
    {
        VAL_U a, dst;
        a.val_puts("hello");
        a.val_flags = VAL_CONSTEXP;
        dst.val_copy(a);
        EXPECT_NE(dst.val_str, a.val_str);
        EXPECT_EQ(dst.val_flags, 0) << "val_copy keeps the flags";
        VAL_U b(a);
        EXPECT_EQ(b.val_flags, VAL_CONSTEXP) << "a copy takes them";
        b = b;
        EXPECT_STREQ(b.val_gets(), "hello");
        char *text = a.val_str;
        VAL_U d(std::move(a));
        EXPECT_EQ(d.val_str, text);
        EXPECT_EQ(a.val_kind, VAL_EMPTY);
        dst.val_copy(nullptr);
        EXPECT_EQ(dst.val_kind, VAL_EMPTY);
        EXPECT_EQ(VAL_U::val_bytes, before + 12);
    }
    EXPECT_EQ(VAL_U::val_bytes, before);
}
