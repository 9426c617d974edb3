#include "app/kovfname.h"

#include <gtest/gtest.h>

// ".kov" only while the result stays below 282 bytes; at most 280 bytes are kept, never half a
// double-byte character, and the cut happens before the extension is looked at.
TEST(FileName, SheetNameRules)
{
    const std::string a276(276, 'a'), a277(277, 'a'), a278(278, 'a'), a279(279, 'a');
    struct { std::string in, want; } cases[] = {
        {"a.kov", "a.kov"},
        {"a.scr", "a.kov"},
        {"dir/A.SCR", "dir/A.kov"},
        {"a", "a.kov"},
        {"a.txt.scr", "a.txt.kov"},
        {"dir.d/a", "dir.d/a.kov"},     // a dot in a folder is not an extension
        {"a.", "a."},                   // an empty extension is still one
        {"表.scr", "表.kov"},
        {a277, a277 + ".kov"},          {a278, a278},
        {std::string(400, 'a'), std::string(280, 'a')},
        {a279 + "表", a279},            {a276 + ".scr" + "zz", a276 + ".kov"},
    };
    for (auto &c : cases) EXPECT_EQ(kov_sheet_name(c.in.c_str()), c.want) << c.in;
}

TEST(FileName, ScriptNameOfASheet)
{
    EXPECT_EQ(kov_script_name("/x/a.kov"), "/x/a.scr");
    EXPECT_EQ(kov_script_name("/x.d/a"), "/x.d/a.scr");
    EXPECT_EQ(kov_script_name("a.b.KOV"), "a.b.scr");
}

TEST(FileName, Extension)
{
    EXPECT_TRUE(kov_has_ext("x/A.SCR", "scr"));
    EXPECT_FALSE(kov_has_ext("x.scr/a", "scr"));
    EXPECT_FALSE(kov_has_ext(nullptr, "scr"));
    EXPECT_STREQ(kov_fname_ext("a.b.c"), "c");
    EXPECT_EQ(kov_fname_ext("a"), nullptr);
}
