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

namespace {

std::string u8s(const char8_t *s) { return std::string(reinterpret_cast<const char *>(s)); }

} // namespace

// The same texts in both encodings (narrow literals are Shift-JIS, u8 ones UTF-8).
TEST(Text, GuessesTheEncodingOfRealTexts)
{
    const std::string bom = "\xEF\xBB\xBF";
    struct { const char *what; std::string bytes; int want; } rows[] = {
        {"ascii", "name,qty\r\n\"a b\",12\r\n", SJ_ENC_SJIS},
        {"empty", "", SJ_ENC_SJIS},
        {"sjis japanese", "名前,値\r\n漢字テスト,12\r\n", SJ_ENC_SJIS},
        {"utf8 japanese", u8s(u8"名前,値\r\n漢字テスト,12\r\n"), SJ_ENC_UTF8},
        {"utf8 with bom", bom + u8s(u8"名前,値\r\n"), SJ_ENC_UTF8BOM},
        {"bom before ascii", bom + "a,b\r\n", SJ_ENC_UTF8BOM},
        {"utf8 one kana", u8s(u8"あ"), SJ_ENC_UTF8},
        // Read as UTF-8 these would lose every accent; as Shift-JIS kana they come back unchanged.
        {"utf8 accents", u8s(u8"café,crème brûlée\r\n"), SJ_ENC_SJIS},
        {"sjis kana glued to letters", "Price\xDD\xB1ote", SJ_ENC_SJIS},
        {"sjis read out of step", "\xD6\x9A\xD1\xBDolt", SJ_ENC_SJIS},   // two-byte UTF-8, rare pair 9AD1
        {"utf8 greek next to a digit", u8s(u8"α1,β2\r\n"), SJ_ENC_UTF8},
        {"latin-1 bytes", "caf\xE9\r\n", SJ_ENC_SJIS},
        {"sjis half-width kana", "ｶﾀｶﾅ,ﾃｽﾄ\r\n", SJ_ENC_SJIS},
        {"sjis kana pair valid as utf8", "ﾃｽ\r\n", SJ_ENC_SJIS},      // C3 BD: also "½"
        {"sjis kana pairs valid as utf8", "\"ﾂｰ\",\"ﾃｨ\"\r\n", SJ_ENC_SJIS},
        {"sjis kana between letters", "xﾃA", SJ_ENC_SJIS},
        {"utf8 half-width kana", u8s(u8"ｶﾀｶﾅ"), SJ_ENC_UTF8},
        {"utf8 symbols", u8s(u8"☃ ① ～"), SJ_ENC_UTF8},
        {"utf8 hangul", u8s(u8"한국어"), SJ_ENC_UTF8},
        {"utf8 emoji", u8s(u8"ok 😀"), SJ_ENC_UTF8},
        {"utf8 cut short", u8s(u8"漢字").substr(0, 5), SJ_ENC_SJIS},
        {"sjis level-2 kanji", "\xE0\x40\xE0\x40", SJ_ENC_SJIS},
        {"overlong utf8", "\xC0\xAF", SJ_ENC_SJIS},
        {"utf8 surrogate", "\xED\xA0\x80", SJ_ENC_SJIS},
    };
    for (auto &r : rows) EXPECT_EQ(sj_guess(r.bytes), r.want) << r.what;
}

TEST(Text, ConversionTellsWhatItLost)
{
    std::string out;
    SJ_LOST lost;
    EXPECT_EQ(sj_from_utf8_lost(u8s(u8"漢字～①ｶ¥"), out, &lost), 0u);
    EXPECT_EQ(out, "漢字～①ｶ\\");   // CP932 has no yen sign of its own
    // Outside the macros: their text is also a narrow literal, which cannot spell these.
    const std::string in = u8s(u8"a,b\n漢☃b\n한x"), snowman = u8s(u8"☃");
    EXPECT_EQ(sj_from_utf8_lost(in, out, &lost), 2u);
    EXPECT_EQ(out, "a,b\n漢?b\n?x");
    EXPECT_EQ(lost.at, 7u);
    EXPECT_EQ(lost.line, 2u);
    EXPECT_EQ(lost.ch, snowman);
    EXPECT_EQ(sj_lost_text("f.csv", lost), "f.csv 2 行目の文字 U+2603 は Shift-JIS にないため ? にしました (計 2 文字)");
    EXPECT_EQ(sj_from_utf8_lost("ab\xFF", out, &lost), 1u);   // a stray byte is one loss too
    EXPECT_EQ(out, "ab?");
    EXPECT_EQ(sj_lost_text(nullptr, SJ_LOST()), "");
}

TEST(Text, FileBytesBothWays)
{
    struct { std::string file; int enc; std::string sjis; } rows[] = {
        {"a,\"漢字\"\r\n", SJ_ENC_SJIS, "a,\"漢字\"\r\n"},
        {u8s(u8"a,\"漢字ｶﾅ\"\r\n"), SJ_ENC_UTF8, "a,\"漢字ｶﾅ\"\r\n"},
        {"\xEF\xBB\xBF" + u8s(u8"①"), SJ_ENC_UTF8BOM, "①"},
    };
    for (auto &r : rows) {
        std::string b = r.file;
        EXPECT_EQ(sj_decode_file(b, nullptr), r.enc) << r.file;
        EXPECT_EQ(b, r.sjis);
        EXPECT_EQ(sj_encode_file(b, r.enc), r.file);
    }
    // Bytes that are no CP932 character travel as escapes the readers undo.
    EXPECT_EQ(sj_encode_file("a\x85\x40\x80" "b", SJ_ENC_UTF8), "a\\x85\\x40\\x80b");
}
