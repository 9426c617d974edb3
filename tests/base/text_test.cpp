#include "base/kovtext.h"

#include <gtest/gtest.h>
#include <cstring>

using namespace kov;

TEST(Text, JapaneseLiteralIsStoredAsCp932)
{
    const char *s = "漢字ソ";  // ソ has 0x5C as its trail byte
    ASSERT_EQ(strlen(s), 6u);
    EXPECT_EQ((unsigned char)s[0], 0x8Au);
    EXPECT_EQ((unsigned char)s[1], 0xBFu);
    EXPECT_EQ((unsigned char)s[4], 0x83u);
    EXPECT_EQ((unsigned char)s[5], 0x5Cu);
}

TEST(Text, StepsAndCutsWholeDoubleByteCharacters)
{
    EXPECT_EQ(sj_chars("aソb"), 3u);
    EXPECT_EQ(sj_chars(""), 0u);
    EXPECT_EQ(sj_chars("\x81"), 1u);  // lone lead byte before the NUL
    EXPECT_EQ(sj_step("\xE0\x40"), 2u);
    EXPECT_EQ(sj_step("\xA0\x40"), 1u);  // half-width katakana is single-byte
    EXPECT_TRUE(sj_is_trail("aソ", 2));
    EXPECT_FALSE(sj_is_trail("aソ", 1));
    EXPECT_EQ(sj_cut("aソb", 2), 1u);
    EXPECT_EQ(sj_cut("aソb", 3), 3u);
    EXPECT_EQ(sj_cut("abc", 10), 3u);
}

TEST(Text, ConvertsAtTheEdges)
{
    EXPECT_EQ(sj_to_utf8("漢字ソ"), std::string("\xE6\xBC\xA2\xE5\xAD\x97\xE3\x82\xBD"));
    EXPECT_EQ(sj_from_utf8("\xE6\xBC\xA2\xE5\xAD\x97\xE3\x82\xBD"), std::string("漢字ソ"));
    EXPECT_EQ(sj_to_utf8("a\x81"), "a?");  // truncated character
}
