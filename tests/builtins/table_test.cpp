// The built-in table: every name finds its own record; the handlers still to come say so.
#include "tests/support/fntest.h"

TEST(Table, NamesAreUniqueAndCaseSensitive)
{
    for (const FN_DEF *t = FUNC_U::fn_table(); t->name[0]; t++) EXPECT_EQ(FUNC_U::fn_lookup(t->name), t) << t->name;
    EXPECT_EQ(FUNC_U::fn_lookup("SIN")->fn, FUNC_U::fn_lookup("sin")->fn);
    EXPECT_EQ(FUNC_U::fn_lookup("sum"), nullptr);
}

// Unbound handlers say so, and never answer success: -1 for an integer, the message for a part.
TEST(Table, LaterFamiliesSayTheyAreMissing)
{
    fntest::ENV e;
    EXPECT_EQ(e.eval("wpBACK(0, 0, \"a\", \"b\")"), "'wpBACK():未実装'");
    EXPECT_EQ(e.err(), "wpBACK():未実装");
    EXPECT_EQ(e.eval("com_init(1, 9600, 8, 0, 0, 0)"), "-1");
}
