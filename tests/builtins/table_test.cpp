// The built-in table: its records, their order and the handlers still to come.
#include "tests/support/fntest.h"

#include <gtest/gtest.h>
#include <cstring>

TEST(Table, RecordsInTheirOrder)
{
    int n = 0;
    const FN_DEF *t = FUNC_U::fn_table();
    for (; t[n].name[0]; n++) {
        EXPECT_LT(strlen(t[n].name), 16u) << t[n].name;
        EXPECT_LT(strlen(t[n].sig), 24u) << t[n].name;
        EXPECT_EQ(FUNC_U::fn_lookup(t[n].name), &t[n]) << "names are unique: " << t[n].name;
    }
    EXPECT_EQ(n, 285);
    EXPECT_STREQ(t[0].name, "_inp");
    EXPECT_STREQ(t[n - 1].name, "VSCROLL");
    EXPECT_EQ(FUNC_U::fn_lookup("SIN")->fn, FUNC_U::fn_lookup("sin")->fn);
    EXPECT_EQ(FUNC_U::fn_lookup("sum"), nullptr) << "names are case-sensitive";
}

TEST(Table, LaterFamiliesSayTheyAreMissing)
{
    fntest::ENV e;
    EXPECT_EQ(e.eval("wpBACK(0, 0, \"a\", \"b\")"), "empty");
    EXPECT_EQ(e.err(), "wpBACK():未実装");
}
