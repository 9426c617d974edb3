// The script's print layout against a printer that records its rows: wrapping on character
// boundaries, TABs, line numbers, pages and copies, and the refusals.
#include <gtest/gtest.h>

#include "print/prscript.h"
#include "tmpdir.h"

#include <fstream>

namespace {

// A fixed-pitch face half as wide as high; a page of pw x ph points.
struct ROWS_PRINTER : PRN_PRINTER {
    PRN_PAGE page{595, 842};
    int copies = 1, pages = 1, ended = 0;
    bool refuse = false;
    std::vector<std::string> rows;   // "page:text"
    int prn_begin(const char *, PRN_PAGE &p, int &c) override { return refuse ? -1 : (p = page, c = copies, 0); }
    int prn_font_height() override { return 10; }
    int prn_csize(int h, int &cw, int &ch) override { return cw = h / 2, ch = h, 0; }
    int prn_new_page() override { return pages++, 0; }
    void prn_text(int, int, int, const char *t, unsigned) override { rows.push_back(std::to_string(pages) + ":" + t); }
    void prn_line(int, int, int, int, int) override {}
    void prn_fill(int, int, int, int, unsigned) override {}
    int prn_end() override { return ended++, 0; }
    void prn_abort() override { ended++; }
};

TEST(PrintScript, RowsWrapOnCharacters)
{
    struct {
        const char *text;
        int width, tab;
        std::vector<PRN_TROW> want;
    } rows[] = {
        {"ab\ncd", 10, 8, {{1, "ab"}, {2, "cd"}}},
        {"abcdef", 4, 8, {{1, "abcd"}, {0, "ef"}}},
        {"abcソ", 4, 8, {{1, "abc"}, {0, "ソ"}}},   // never half a double-byte character
        {"a\tb", 10, 4, {{1, "a   b"}}},
        {"abc\tx", 4, 4, {{1, "abc "}, {0, "x"}}},
        {"ab\tx", 4, 8, {{1, "ab"}, {0, "x"}}},    // a TAB past the row ends it
        {"", 5, 8, {{1, ""}}},
        {"a\n", 5, 8, {{1, "a"}, {2, ""}}},
    };
    for (auto &r : rows) {
        auto got = prn_script_rows(r.text, r.width, r.tab);
        ASSERT_EQ(got.size(), r.want.size()) << r.text;
        for (size_t i = 0; i < got.size(); i++) {
            EXPECT_EQ(got[i].line, r.want[i].line) << r.text << " row " << i;
            EXPECT_EQ(got[i].text, r.want[i].text) << r.text << " row " << i;
        }
    }
}

TEST(PrintScript, PagesCopiesAndLineNumbers)
{
    // 595 / 5 = 119 characters less 16 of margins; 842 / 15 = 56 lines less 4.
    std::string text;
    for (int i = 1; i <= 60; i++) text += "line" + std::to_string(i) + "\n";
    ROWS_PRINTER p;
    p.copies = 2;
    std::string msg;
    ASSERT_EQ(prn_script(p, "t.scr", text, PRN_TSET{}, msg), 0);
    EXPECT_EQ(msg, "");
    ASSERT_EQ(p.rows.size(), 2 * 61u);
    EXPECT_EQ(p.rows[0], "1: 1  line1");
    EXPECT_EQ(p.rows[51], "1:52  line52");
    EXPECT_EQ(p.rows[52], "2:53  line53");
    EXPECT_EQ(p.rows[61], "3: 1  line1");   // the second copy starts on a page of its own
    EXPECT_EQ(p.pages, 4);
    EXPECT_EQ(p.ended, 1);

    ROWS_PRINTER none;
    none.refuse = true;
    EXPECT_EQ(prn_script(none, "t.scr", text, PRN_TSET{}, msg), -1);
    EXPECT_EQ(msg, "");
    ROWS_PRINTER small;
    PRN_TSET wide;
    wide.mincol = 1000;   // no font fits: the fitting says why
    EXPECT_EQ(prn_script(small, "t.scr", text, wide, msg), -1);
    EXPECT_FALSE(msg.empty());
    EXPECT_EQ(small.ended, 1);
}

TEST(PrintScript, SettingsClampedAndWrittenBack)
{
    kovtest::TmpDir dir;
    std::string ini = dir / "kovash.ini";
    std::ofstream(ini) << "[tpr]\nTABWID=0\nLINESPC=5000\n";
    kov::PROF_U prof;
    ASSERT_EQ(prof.prof_set_path(ini.c_str(), "kovash"), 0);
    PRN_TSET s = prn_read_tset(prof);
    EXPECT_EQ(s.tabwid, 1);
    EXPECT_EQ(s.linespc, 1000);
    EXPECT_EQ(s.mincol, 80);
    std::string v;
    EXPECT_EQ(prof.prof_read_text("tpr", "LNUMSPC", v), 0);
    EXPECT_EQ(v, "2");
}

} // namespace
