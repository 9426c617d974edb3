// The script editor's model without a window: search, replacement, lines, pairs, marks, the
// macro recorder, the settings and the files, on Shift-JIS text whose trail bytes look like
// '\' and '{'.
#include <gtest/gtest.h>

#include "editor/edkeys.h"
#include "editor/edset.h"
#include "base/kovtext.h"
#include "editor/edtext.h"
#include "tmpdir.h"

namespace {

// "ソ" ends in '\' and "ボ" in '{': a search or a bracket must never find them inside.
const std::string JP = "ソボ";

TEST(EdText, StepsOverDoubleByteCharacters)
{
    std::string t = "a" + JP + "b\n";   // bytes: a 83 5C 83 7B b LF
    EXPECT_EQ(ed_next(t, 0), 1);
    EXPECT_EQ(ed_next(t, 1), 3);
    EXPECT_EQ(ed_next(t, 3), 5);
    EXPECT_EQ(ed_prev(t, 5), 3);
    EXPECT_EQ(ed_prev(t, 3), 1);
    EXPECT_EQ(ed_prev(t, 0), 0);
    EXPECT_EQ(ed_next(t, long(t.size())), long(t.size()));
    EXPECT_EQ(ed_chars(t, 5), 3);
    EXPECT_EQ(ed_bytes(t, 3), 5);
    EXPECT_EQ(ed_bytes(t, 99), long(t.size()));
    EXPECT_EQ(ed_col("\tx\tボ\t", 3, 4), 8);   // TABs to multiples of 4, "ボ" two wide
    EXPECT_EQ(ed_col("\tx\tボ\t", 5, 4), 10);
    EXPECT_EQ(ed_col("ab\tc", 3, 8), 8);
}

TEST(EdText, SearchBothWaysOnCharacterStarts)
{
    std::string t = "x\\y " + JP + " \\ {";   // '\' at 1 and 9, '{' at 11; trail bytes '\' at 5, '{' at 7
    struct {
        const char *pat;
        long from;
        bool fwd;
        long want;
    } rows[] = {
        {"\\", 0, true, 1},   {"\\", 2, true, 9},   {"\\", 10, true, -1}, {"\\", 9, false, 1},
        {"\\", 1, false, -1}, {"{", 0, true, 11},   {"{", 11, false, -1}, {"", 0, true, -1},
        {"y", 99, false, 2},  {"x", -5, true, 0},   {"ソ", 0, true, 4},   {"ソ", 5, false, 4},
    };
    for (auto &r : rows) EXPECT_EQ(ed_find(t, r.pat, r.from, r.fwd), r.want) << r.pat << " from " << r.from;
}

TEST(EdText, GoToLine)
{
    std::string t = "one\ntwo\n\nfour";
    long want[] = {-1, 0, 4, 8, 9, -1};
    for (long n = 0; n <= 5; n++) EXPECT_EQ(ed_line_start(t, n), want[n]) << n;
    EXPECT_EQ(ed_lines(t), 4);
    EXPECT_EQ(ed_lines("a\n"), 2);
    EXPECT_EQ(ed_line_start("a\n", 2), 2);
    struct {
        const char *in;
        long want;
    } args[] = {{"12", 12}, {" 3 ", 3}, {"", -1}, {"1a", -1}, {"-1", -1}, {"99999999999999999999", -1}};
    for (auto &a : args) EXPECT_EQ(ed_line_arg(a.in), a.want) << a.in;
}

TEST(EdText, PairMatch)
{
    std::string t = "f(a[1], {" + JP + "}) x";   // "ボ" ends in '{'
    long close_brace = long(t.find('}'));
    struct {
        long at;
        long want;
    } rows[] = {
        {1, long(t.size()) - 3}, {long(t.size()) - 3, 1}, {3, 5}, {5, 3},
        {8, close_brace},       {close_brace, 8},         {0, ED_NOTPAIR},
        {11, ED_NOTPAIR},       // the trail byte of "ボ"
        {99, ED_NOTPAIR},
    };
    for (auto &r : rows) EXPECT_EQ(ed_pair(t, r.at), r.want) << r.at;
    EXPECT_EQ(ed_pair("((x)", 0), ED_NOMATE);
    EXPECT_EQ(ed_pair("x)", 1), ED_NOMATE);
}

TEST(EdText, ReplaceCountsAndRefusals)
{
    struct {
        const char *text, *src, *dst;
        bool ident;
        int code, count;
        const char *after;
    } rows[] = {
        {"a+a", "a", "a", false, ED_REP_SAME, 0, "a+a"},
        {"a+a", "", "b", false, ED_REP_NOSRC, 0, "a+a"},
        {"a+a", "q", "b", false, ED_REP_NONE, 0, "a+a"},
        {"aaa", "aa", "b", false, ED_REP_DONE, 1, "ba"},
        {"n nn n1 _n n;", "n", "m", false, ED_REP_DONE, 6, "m mm m1 _m m;"},
        {"n nn n1 _n n;", "n", "m", true, ED_REP_DONE, 2, "m nn n1 _n m;"},
        {"x = \"x\\\"x\" + 'x' /* x */ + x // x\nx", "x", "y", true, ED_REP_DONE, 3,
         "y = \"x\\\"x\" + 'x' /* x */ + y // x\ny"},
        {"ソ\\", "\\", "/", false, ED_REP_DONE, 1, "ソ/"},
        {"ソ\\", "\\", "/", true, ED_REP_DONE, 1, "ソ/"},
    };
    for (auto &r : rows) {
        std::string t = r.text;
        int count = -1;
        EXPECT_EQ(ed_replace(t, r.src, r.dst, r.ident, count), r.code) << r.text << " " << r.src;
        EXPECT_EQ(count, r.count) << r.text;
        EXPECT_EQ(t, r.after);
    }
    EXPECT_EQ(ed_repl_msg(ED_REP_DONE, 6), "6 個の文字列を置換しました");
    EXPECT_EQ(ed_repl_msg(ED_REP_SAME, 0), "置換元/置換先が同一");
    EXPECT_EQ(ed_repl_msg(ED_REP_NOSRC, 0), "置換元が未指定");
    EXPECT_EQ(ed_repl_msg(ED_REP_NONE, 0), "置換対象がありません");
    EXPECT_EQ(ed_repl_msg(ED_REP_CANCEL, 0), "置換中止");
    EXPECT_TRUE(ed_repl_refused(ED_REP_SAME));
    EXPECT_FALSE(ed_repl_refused(ED_REP_NONE));
}

TEST(EdKeys, MarksFollowTheirText)
{
    ED_MARKS m;
    m.set(1, 10), m.set(2, 20), m.set(4, 5);
    m.set(0, 3), m.set(5, 3);   // no such marks
    m.edited(12, 0, 3);         // typed between 1 and 2
    EXPECT_EQ(m.get(1), 10);
    EXPECT_EQ(m.get(2), 23);
    m.edited(8, 4, 0);          // 1 was inside the cut
    EXPECT_EQ(m.get(1), 8);
    EXPECT_EQ(m.get(2), 19);
    EXPECT_EQ(m.get(3), -1);
    EXPECT_EQ(m.get(4), 5);
    EXPECT_EQ(m.get(0), -1);
    m.clear();
    EXPECT_EQ(m.get(4), -1);
}

TEST(EdKeys, MacroStopsAt128AndRefusesReplayWhileRecording)
{
    ED_MACRO mac;
    EXPECT_EQ(mac.record({65, 0, "A"}), -1);
    mac.toggle();
    EXPECT_EQ(mac.play(), nullptr);
    for (int i = 1; i < ED_MACRO::MAX; i++) ASSERT_EQ(mac.record({65, 0, "A"}), 0) << i;
    EXPECT_EQ(mac.record({66, 0, "B"}), 1);
    EXPECT_FALSE(mac.recording());
    EXPECT_EQ(mac.record({67, 0, "C"}), -1);
    ASSERT_NE(mac.play(), nullptr);
    EXPECT_EQ(mac.play()->size(), 128u);
    EXPECT_EQ(mac.play()->back().text, "B");
    mac.toggle();   // a new recording starts empty
    EXPECT_EQ(mac.size(), 0);
    mac.record({1, 2, ""}), mac.record({3, 4, ""}), mac.record({5, 6, ""});
    mac.drop(2);
    mac.toggle();
    EXPECT_EQ(mac.size(), 1);
}

TEST(EdSet, ReadClampedAndWrittenBack)
{
    kovtest::TmpDir dir;
    std::string ini = dir / "kovash.ini";
    std::ofstream(ini) << "[ted]\nColSize=500\nRowSize=1\nTabWid4=1\n";
    kov::PROF_U prof;
    ASSERT_EQ(prof.prof_set_path(ini.c_str(), "kovash"), 0);
    ED_SET s;
    ASSERT_EQ(s.set_load(&prof), 0);
    EXPECT_EQ(s.get(TED_COLSIZE), 400);
    EXPECT_EQ(s.get(TED_ROWSIZE), 3);
    EXPECT_EQ(s.tab_width(), 4);
    EXPECT_EQ(s.get(TED_FONTSIZ), 16);
    std::string v;
    EXPECT_EQ(prof.prof_read_text("ted", "DispEOL", v), 0);   // missing keys written back
    EXPECT_EQ(v, "1");
    EXPECT_EQ(s.flip(TED_TABWID4), 0);
    EXPECT_EQ(s.tab_width(), 8);
    EXPECT_EQ(s.put(TED_FONTSIZ, 200), 96);
    ED_SET again;
    again.set_load(&prof);
    EXPECT_EQ(again.get(TED_TABWID4), 0);
    EXPECT_EQ(again.get(TED_FONTSIZ), 96);
    ED_SET none;   // no settings file: switches kept in memory
    EXPECT_EQ(none.flip(TED_DISPTAB), 1);
}

TEST(EdFile, CrLfAndEncodingsRoundTrip)
{
    kovtest::TmpDir dir;
    std::string sj = dir / "a.scr", u8 = dir / "b.scr";
    std::ofstream(sj) << "main()\r\n{\r\n\t\"ソ\";\r\n}\r\n";
    std::string text;
    int enc = -1;
    ASSERT_EQ(ed_file_read(sj.c_str(), text, &enc), 0);
    EXPECT_EQ(text, "main()\n{\n\t\"ソ\";\n}\n");
    EXPECT_EQ(enc, kov::SJ_ENC_SJIS);
    ASSERT_EQ(ed_file_write(sj.c_str(), text + "x\r\ny", enc), 0);
    std::ifstream in(sj, std::ios::binary);
    std::string back((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(back, "main()\r\n{\r\n\t\"ソ\";\r\n}\r\nx\r\ny");
    std::ofstream(u8) << "\xEF\xBB\xBF" "a\n\xE3\x82\xBD\n";   // UTF-8 with its mark: "ソ"
    ASSERT_EQ(ed_file_read(u8.c_str(), text, &enc), 0);
    EXPECT_EQ(text, "a\nソ\n");
    EXPECT_EQ(enc, kov::SJ_ENC_UTF8BOM);
    EXPECT_EQ(ed_file_read(dir.path.c_str(), text, &enc), -1);   // a folder is no script
    EXPECT_EQ(ed_file_read((dir / "none").c_str(), text, &enc), -1);
    EXPECT_EQ(errno, ENOENT);
}

} // namespace
