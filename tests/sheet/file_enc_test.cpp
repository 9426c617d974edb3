// Files in UTF-8 (as Linux programs write them, with or without a byte-order mark) next to the
// Shift-JIS ones: read into Shift-JIS cells, written back in the encoding they came in.
#include <gtest/gtest.h>

#include "tests/support/file_facade.h"

using filetest::Sheet;
using kovtest::slurp;
using kovtest::spit;

namespace {

std::string u8s(const char8_t *s) { return std::string(reinterpret_cast<const char *>(s)); }

const std::string BOM = "\xEF\xBB\xBF";

// Loads the file as a whole sheet.
int load_file(Sheet &s, const std::string &name) { return s.file.csv_fload(nullptr, s.path(name).c_str(), nullptr); }

} // namespace

// The same table in three encodings, written as the values-only writer writes it, loads into the
// same cells and is written again byte for byte.
TEST(FileEnc, CsvComesBackInItsOwnEncoding)
{
    const std::string utf8 = u8s(u8"\"名前\",\"値\"\r\n\"漢字テスト\",12\r\n\"ｶﾀｶﾅ～①\",-3.5\r\n");
    const std::string sjis = "\"名前\",\"値\"\r\n\"漢字テスト\",12\r\n\"ｶﾀｶﾅ～①\",-3.5\r\n";
    struct { const char *name; std::string bytes; int enc; } rows[] = {
        {"utf8.csv", utf8, kov::SJ_ENC_UTF8},
        {"bom.csv", BOM + utf8, kov::SJ_ENC_UTF8BOM},
        {"sjis.csv", sjis, kov::SJ_ENC_SJIS},
    };
    for (auto &r : rows) {
        Sheet s;
        spit(s.path(r.name), r.bytes);
        ASSERT_EQ(load_file(s, r.name), 0) << r.name;
        EXPECT_EQ(s.file.csv_enc, r.enc) << r.name;
        EXPECT_EQ(s.row(0, 2) + "|" + s.row(1, 2) + "|" + s.row(2, 2), "名前|値|漢字テスト|#12|ｶﾀｶﾅ～①|#-3.5") << r.name;
        EXPECT_EQ(s.file.csv_lost.count, 0u);
        ASSERT_EQ(s.file.csv_fsave(s.path(r.name).c_str(), nullptr), 0);
        EXPECT_EQ(slurp(s.path(r.name)), r.bytes) << r.name;
    }
}

// A sheet file in UTF-8: the full format, with a formula and bytes that are no CP932 character
// (kept through escapes), saved as .kov and as .csv in UTF-8, and read back.
TEST(FileEnc, SheetFileInUtf8)
{
    Sheet s;
    s.csv_put_str(0, 0, "表示");
    s.csv_put_form(1, 0, "\"値\"");
    s.csv_put_str(2, 0, "a\x85\x40" "b\x80");
    std::string sj = s.text();
    // Without the byte-order mark a sheet file is Shift-JIS, whatever its bytes.
    spit(s.path("n.kov"), kov::sj_encode_file(sj, kov::SJ_ENC_UTF8));
    Sheet n;
    ASSERT_EQ(n.file.csv_fload(nullptr, s.path("n.kov").c_str(), nullptr), 0);
    EXPECT_EQ(n.file.csv_enc, kov::SJ_ENC_SJIS);
    spit(s.path("u.kov"), kov::sj_encode_file(sj, kov::SJ_ENC_UTF8BOM));
    Sheet t;
    ASSERT_EQ(t.file.csv_fload(nullptr, s.path("u.kov").c_str(), nullptr), 0);
    EXPECT_EQ(t.file.csv_enc, kov::SJ_ENC_UTF8BOM);
    EXPECT_EQ(t.val(0, 0) + "|" + t.form(1, 0) + "|" + t.val(2, 0), "表示|\"値\"|a\x85\x40" "b\x80");
    ASSERT_EQ(t.file.csv_fsave(t.path("again.kov").c_str(), nullptr), 0);
    EXPECT_EQ(kov::sj_guess(slurp(t.path("again.kov"))), kov::SJ_ENC_UTF8BOM);
    Sheet back;
    ASSERT_EQ(back.file.csv_fload(nullptr, t.path("again.kov").c_str(), nullptr), 0);
    EXPECT_EQ(back.val(2, 0), "a\x85\x40" "b\x80");
    t.file.csv_enc = kov::SJ_ENC_SJIS;   // as --encoding sjis asks
    ASSERT_EQ(t.file.csv_fsave(t.path("sj.csv").c_str(), nullptr), 0);
    EXPECT_EQ(slurp(t.path("sj.csv")), "\"表示\",,\"a\x85\x40" "b\x80\"\r\n");   // values only, not recalculated
}

// What Shift-JIS cannot hold is loaded as '?', and the user is told the line and the character.
TEST(FileEnc, LostCharactersAreTold)
{
    Sheet s;
    spit(s.path("x.csv"), u8s(u8"a,b\nc,d\n\"x☃y\",한\n"));
    ASSERT_EQ(load_file(s, "x.csv"), 0);
    EXPECT_EQ(s.row(2, 2), "x?y|?");
    EXPECT_EQ(s.file.csv_lost.count, 2u);
    EXPECT_EQ(s.file.csv_lost.line, 3u);
    std::string told;
    for (auto &c : s.host.calls)
        if (c.rfind("msgbox", 0) == 0) told = c;
    EXPECT_NE(told.find("x.csv 3 行目の文字 U+2603 は Shift-JIS にないため ? にしました (計 2 文字)"), std::string::npos) << told;
    // With the snowman gone, "α?" alone would read back as Shift-JIS kana: the save says UTF-8.
    Sheet g;
    spit(g.path("g.csv"), u8s(u8"α☃\r\n"));
    ASSERT_EQ(load_file(g, "g.csv"), 0);
    ASSERT_EQ(g.file.csv_fsave(g.path("g.csv").c_str(), nullptr), 0);
    EXPECT_EQ(slurp(g.path("g.csv")), BOM + u8s(u8"\"α?\"\r\n"));
}

// The reader takes files in blocks of 64 KiB: a UTF-8 character across a block end is still
// UTF-8, and a Shift-JIS character first met past the first block still makes the file Shift-JIS.
TEST(FileEnc, DecidedOverTheWholeFile)
{
    Sheet s(1, 2000);
    std::string pad;
    for (int i = 0; i < 1008; i++) pad += std::string(63, 'x') + "\r\n";
    pad += std::string(15, 'x');   // 65535 bytes
    spit(s.path("u.csv"), pad + u8s(u8"漢\r\n"));   // the character's bytes on both sides of 65536
    ASSERT_EQ(load_file(s, "u.csv"), 0);
    EXPECT_EQ(s.file.csv_enc, kov::SJ_ENC_UTF8);
    EXPECT_EQ(s.val(0, 1008), std::string(15, 'x') + "漢");
    spit(s.path("s.csv"), pad + "x\r\n\"漢字\"\r\n");
    ASSERT_EQ(load_file(s, "s.csv"), 0);
    EXPECT_EQ(s.file.csv_enc, kov::SJ_ENC_SJIS);
    EXPECT_EQ(s.val(0, 1009), "漢字");
}

// The script file saved with the sheet keeps its encoding.
TEST(FileEnc, ScriptWrittenInItsEncoding)
{
    Sheet s;
    std::string scr = s.path("a.scr");
    s.host.host_ed_setname(scr.c_str());
    s.host.host_ed_put("main()\n{\n    // 表示\n}\n");
    s.file.csv_scr_enc = kov::SJ_ENC_UTF8BOM;
    ASSERT_EQ(s.file.csv_fsave(s.path("a.kov").c_str(), nullptr), 0);
    EXPECT_EQ(slurp(scr), BOM + u8s(u8"main()\r\n{\r\n    // 表示\r\n}\r\n"));
}
