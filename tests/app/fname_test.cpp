#include "app/kovfname.h"

#include <gtest/gtest.h>

TEST(FileName, SheetNameRules)
{
    struct { std::string in, want; } cases[] = {
        {"a.kov", "a.kov"},
        {"a.scr", "a.kov"},
        {"dir/A.SCR", "dir/A.kov"},
        {"a", "a.kov"},
        {"a.txt.scr", "a.txt.kov"},
        {"dir.d/a", "dir.d/a.kov"},     // a dot in a folder is not an extension
        {"a.", "a."},                   // an empty extension is still one
        {"表.scr", "表.kov"},
    };
    for (auto &c : cases) EXPECT_EQ(kov_sheet_name(c.in.c_str()), c.want) << c.in;
}

TEST(FileName, LengthLimits)
{
    // ".kov" only while the result stays below 282 bytes.
    EXPECT_EQ(kov_sheet_name(std::string(277, 'a').c_str()), std::string(277, 'a') + ".kov");
    EXPECT_EQ(kov_sheet_name(std::string(278, 'a').c_str()), std::string(278, 'a'));
    // At most 280 bytes are kept, and never half a double-byte character.
    EXPECT_EQ(kov_sheet_name(std::string(400, 'a').c_str()), std::string(280, 'a'));
    std::string jp = std::string(279, 'a') + "表";
    EXPECT_EQ(kov_sheet_name(jp.c_str()), std::string(279, 'a'));
    // The cut happens before the extension is looked at.
    std::string cut = std::string(276, 'a') + ".scr" + "zz";
    EXPECT_EQ(kov_sheet_name(cut.c_str()), std::string(276, 'a') + ".kov");
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
