// Blanks and comments, keys, identifiers, reserved words, line excerpts and row/column.
#include "script/lex.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

struct SkipCase {
    const char *text;
    int ch;          // byte returned
    const char *rest;
};

struct IdCase {
    const char *text;
    int rc;
    const char *name;
    const char *rest;
};

TEST(LexId, Names)
{
    const IdCase cases[] = {
        {"abc def", 0, "abc", " def"},
        {"  _x1+", 0, "_x1", "+"},
        {"1abc", -1, "", "1abc"},
        {"\x82\xa0", -1, "", "\x82\xa0"},
        {"while", -1, "", "while"},
        {"while_", 0, "while_", ""},
        {"While", 0, "While", ""},
        {"my", 0, "my", ""},
        {"a\x82\xa0", 0, "a", "\x82\xa0"},
    };
    for (const auto &c : cases) {
        SCR_LEX lx;
        char name[SCR_NAMESIZE] = "";
        const char *p = c.text;
        EXPECT_EQ(lx.scr_idname(p, name, sizeof name), c.rc) << c.text;
        if (c.rc == 0) { EXPECT_STREQ(name, c.name) << c.text; }
        EXPECT_STREQ(p, c.rest) << c.text;
    }
}

TEST(LexId, IdentifierOf64IsTheLongest)
{
    SCR_LEX lx;
    char name[SCR_NAMESIZE];
    std::string id64(64, 'a'), id65(65, 'b');
    std::string t64 = " " + id64 + "=", t65 = " " + id65 + "=";
    const char *p = t64.c_str();
    EXPECT_EQ(lx.scr_idname(p, name, sizeof name), 0);
    EXPECT_EQ(name, id64);
    EXPECT_STREQ(p, "=");
    p = t65.c_str();
    EXPECT_EQ(lx.scr_idname(p, name, sizeof name), -1);
    EXPECT_STREQ(p, t65.c_str() + 1);
    EXPECT_STREQ(lx.scr_get_nowerr(), "");   // logged only, not an error text
}

TEST(LexId, EveryReservedWordFails)
{
    const char *words[] = {
        "_Bool", "_Complex", "_Imaginary", "auto", "break", "case", "char", "const", "continue",
        "default", "do", "double", "else", "enum", "extern", "float", "for", "goto", "if",
        "inline", "int", "long", "register", "restrict", "return", "short", "signed", "sizeof",
        "static", "struct", "switch", "typedef", "union", "unsigned", "void", "volatile", "while",
    };
    static_assert(sizeof words / sizeof words[0] == SCR_RSVCOUNT);
    for (int i = 0; i < SCR_RSVCOUNT; i++) {
        EXPECT_STREQ(SCR_LEX::scr_rsvword[i], words[i]);
        SCR_LEX lx;
        char name[SCR_NAMESIZE];
        const char *p = words[i];
        EXPECT_EQ(lx.scr_idname(p, name, sizeof name), -1) << words[i];
        std::string longer = std::string(words[i]) + "x";
        p = longer.c_str();
        EXPECT_EQ(lx.scr_idname(p, name, sizeof name), 0) << longer;
        // What begins like a word, or differs from one in its first byte, is still a name.
        std::string shorter(words[i], strlen(words[i]) - 1);
        p = shorter.c_str();
        EXPECT_EQ(lx.scr_idname(p, name, sizeof name), 0) << shorter;
        std::string other = "Z" + std::string(words[i] + 1);
        EXPECT_EQ(SCR_LEX::scr_is_reserved(other.c_str()), 0) << other;
    }
    EXPECT_STREQ(SCR_LEX::scr_rsvword[SCR_RSVCOUNT], "");
}

TEST(LexLine, FortyColumnExcerpt)
{
    std::string a39(39, 'a'), a38(38, 'a'), a50(50, 'c');
    struct {
        std::string text, want;
    } cases[] = {
        {"  \t/* c */ ab\tc\nxyz", "ab c"},
        {"ab\r\ncd", "ab"},
        {a50, a50.substr(0, 40)},
        {a39 + "\x82\xa0", a39},                 // a lead byte at the end loses its trail: dropped
        {a38 + "\x82\xa0", a38 + "\x82\xa0"},
        {a38 + "\x82\x81" "z", a38 + "\x82\x81"},  // trail byte in the lead range stays
        {"", ""},
    };
    for (const auto &c : cases) EXPECT_EQ(SCR_LEX::scr_line40col(c.text.c_str()), c.want) << c.text;

    SCR_LEX lx;
    const char *p = "   x";
    lx.scr_line40col(p);
    EXPECT_EQ(lx.far_pos, nullptr);
}

struct RowColCase {
    const char *text;
    int at;     // offset of the position
    int rc, row, col;
};

} // namespace
