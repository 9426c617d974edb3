// Error texts: first error kept, rotation to "previous", script error preferred.
#include "script/lex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// One statement: rotate, then the errors it sets.
void statement(SCR_LEX &s, const char *scr, const char *fnc)
{
    s.scr_set_SCRERR(nullptr);
    s.scr_set_FNCERR(nullptr);
    if (fnc) s.scr_set_FNCERR("%s", fnc);
    if (scr) s.scr_set_SCRERR("%s", scr);
}

TEST(ErrText, FirstErrorOfAStatementIsKept)
{
    SCR_LEX s;
    EXPECT_STREQ(s.scr_set_SCRERR("const %s への代入", "x"), "const x への代入");
    EXPECT_STREQ(s.scr_set_SCRERR("] が必要"), "const x への代入");
    EXPECT_STREQ(s.scr_get_nowerr(), "const x への代入");
    s.scr_set_FNCERR("引数 %d が不正", 2);
    s.scr_set_FNCERR("later");
    statement(s, nullptr, nullptr);
    EXPECT_STREQ(s.scr_get_preerr(), "const x への代入");
    EXPECT_STREQ(s.scr_get_nowerr(), "");
}

struct Step {
    const char *scr, *fnc;     // errors set by the statement
    const char *now, *pre;     // seen at its end
};

TEST(ErrTextSeq, RotationOverStatements)
{
    const Step steps[] = {
        {"s1", nullptr, "s1", ""},
        {nullptr, nullptr, "", "s1"},        // errmsg() sees the failing statement before
        {nullptr, nullptr, "", ""},          // ... and then "" again
        {nullptr, "f1", "f1", ""},
        {"s2", "f2", "s2", "f1"},           // the script error is preferred
        {nullptr, nullptr, "", "s2"},
        {nullptr, "f3", "f3", ""},
        {nullptr, nullptr, "", "f3"},
    };
    SCR_LEX s;
    int i = 0;
    for (const auto &st : steps) {
        statement(s, st.scr, st.fnc);
        EXPECT_STREQ(s.scr_get_nowerr(), st.now) << "step " << i;
        EXPECT_STREQ(s.scr_get_preerr(), st.pre) << "step " << i;
        i++;
    }
    s.scr_clear_errors();
    EXPECT_STREQ(s.scr_get_nowerr(), "");
    EXPECT_STREQ(s.scr_get_preerr(), "");
}

TEST(ErrTextSeq, LongTextCutTo1024)
{
    std::string a2000(2000, 'a'), a1023(1023, 'a');
    struct {
        std::string text;
        size_t want;
    } cases[] = {
        {a2000, 1024},
        {a1023 + "\x82\xa0", 1023},        // never half a double-byte character
        {a1023 + "b", 1024},
    };
    for (const auto &c : cases) {
        SCR_LEX s;
        s.scr_set_SCRERR("%s", c.text.c_str());
        EXPECT_EQ(strlen(s.scr_get_nowerr()), c.want);
        EXPECT_EQ(c.text.compare(0, c.want, s.scr_get_nowerr()), 0);
    }
}

} // namespace
