// The print layouts of the sheet and of the script against a printer that records what it is
// asked to draw: the fitting, the cutting into pages, the job's page loop, the script's rows
// wrapped on character boundaries, its line numbers, and the settings.
#include <gtest/gtest.h>

#include "print/prlayout.h"
#include "print/prscript.h"
#include "testhost.h"
#include "tmpdir.h"

namespace {

// A fixed-pitch face whose character is half as wide as high; A4 in points.
struct REC_PRINTER : PRN_PRINTER {
    PRN_PAGE page{595, 842};
    int copies = 1, font = 10, begun = 0, ended = 0, aborted = 0, pages = 1;
    bool refuse = false;
    std::vector<std::string> texts;   // "page:text"
    int prn_begin(const char *, PRN_PAGE &p, int &c) override { return refuse ? -1 : (begun++, p = page, c = copies, 0); }
    int prn_font_height() override { return font; }
    int prn_csize(int h, int &cw, int &ch) override { return cw = h / 2, ch = h, 0; }
    int prn_new_page() override { return pages++, 0; }
    void prn_text(int, int, int, const char *t, unsigned) override { texts.push_back(std::to_string(pages) + ":" + t); }
    void prn_line(int, int, int, int, int) override {}
    void prn_fill(int, int, int, int, unsigned) override {}
    int prn_end() override { return ended++, 0; }
    void prn_abort() override { aborted++; }
};

struct FIT_ROW {
    PRN_PAGE page;
    PRN_SET set;
    int font;
    const char *msg;   // "" found
    int fsizy, xn, yn;
};

TEST(PrintFit, Table)
{
    PRN_SET big_margins;
    big_margins.upmgn = big_margins.downmgn = 10, big_margins.linespc = 1000;
    PRN_SET wide;
    wide.mincol = 1000;
    const FIT_ROW rows[] = {
        // A4: 595 / 5 - 10 = 109 characters, 842 / 13 - 3 - 2 = 59 lines at the default height.
        {{595, 842}, PRN_SET{}, 10, "", 10, 109, 59},
        // Narrow paper: one step down makes 80 characters fit (400 / 4 - 10 = 90).
        {{400, 842}, PRN_SET{}, 10, "", 9, 90, 71},
        // 1000 characters never fit on A4: below height 5 the fitting gives up.
        {{595, 842}, wide, 10, "用紙の縦サイズが不足(2)", 0, 0, 0},
        // Small paper, margins of 10 lines and a pitch of ten heights: no line is left.
        {{300, 300}, big_margins, 10, "用紙の縦サイズが不足(1)", 0, 0, 0},
    };
    for (const FIT_ROW &r : rows) {
        REC_PRINTER p;
        p.font = r.font;
        PRN_LAYOUT lay;
        std::string msg;
        int rc = prn_fit(p, r.page, r.set, true, lay, msg);
        SCOPED_TRACE(r.msg);
        EXPECT_EQ(msg, r.msg);
        EXPECT_EQ(rc, *r.msg ? -1 : 0);
        if (rc == 0) {
            EXPECT_EQ(lay.fsizy, r.fsizy);
            EXPECT_EQ(lay.xn, r.xn);
            EXPECT_EQ(lay.yn, r.yn);
        }
    }
}

struct SHEET : CSV_U {
    SHEET(int xs, int ys) { csv_create(xs, ys); }
};

TEST(PrintPages, BandsAcrossThenRowsDown)
{
    SHEET s(30, 200);
    for (int x = 0; x < 30; x++) s.csv_set_wide(x, 10);
    s.csv_set_wide(5, 200);   // wider than a line: a band of its own
    for (int y = 0; y < 200; y++)
        for (int x = 0; x < 30; x++) s.csv_put_num(x, y, x + y);
    PRN_LAYOUT lay;
    lay.xn = 45, lay.yn = 100, lay.cw = 1;
    PRN_PAGES pages = prn_paginate(s, {0, 0, 12, 149}, lay);
    // Columns 0-4 (50 > 45: 0-3 then 4), 5 alone, 6-9, 10-12; each in rows 0-99 and 100-149.
    std::vector<std::array<int, 4>> got;
    for (const KOV_RECT &r : pages) got.push_back({r.x1, r.x2, r.y1, r.y2});
    std::vector<std::array<int, 4>> want = {{0, 3, 0, 99},   {0, 3, 100, 149}, {4, 4, 0, 99},
                                            {4, 4, 100, 149}, {5, 5, 0, 99},    {5, 5, 100, 149},
                                            {6, 9, 0, 99},    {6, 9, 100, 149}, {10, 12, 0, 99},
                                            {10, 12, 100, 149}};
    EXPECT_EQ(got, want);
}

TEST(PrintJob, CopiesPageNumbersAndEmptyRegion)
{
    kovtest::TESTHOST host;
    SHEET s(5, 200);
    for (int y = 0; y < 60; y++) s.csv_put_str(0, y, ("row" + std::to_string(y)).c_str());
    s.csv_put_num(1, 0, 42);
    REC_PRINTER p;
    p.copies = 2;
    PRN_FOOT foot;
    foot.name = "panel.kov", foot.program = "kovash", foot.when = 0;
    // 60 rows at 59 lines a page: two pages, printed twice.
    ASSERT_EQ(prn_sheet(s, {0, 0, 4, 59}, p, PRN_SET{}, foot, host), 0);
    EXPECT_EQ(p.pages, 4);
    EXPECT_EQ(p.ended, 1);
    std::string first = prn_foot_line(1, 2, foot), second = prn_foot_line(2, 2, foot);
    EXPECT_EQ(first.substr(0, 14), "1/2 panel.kov ");
    EXPECT_EQ(first.substr(first.size() - 7), " kovash");
    for (const char *t : {"1:row0", "1:42", "2:row59", "3:row0", "4:row59"})
        EXPECT_NE(std::find(p.texts.begin(), p.texts.end(), t), p.texts.end()) << t;
    for (int page = 1; page <= 4; page++) {
        std::string foot_text = std::to_string(page) + ":" + (page % 2 ? first : second);
        EXPECT_EQ(std::count(p.texts.begin(), p.texts.end(), foot_text), 1) << page;
    }
    // Nothing used in rows 100-199: no page, nothing printed.
    REC_PRINTER q;
    EXPECT_EQ(prn_sheet(s, {0, 100, 4, 199}, q, PRN_SET{}, foot, host), -1);
    EXPECT_TRUE(q.texts.empty());
    EXPECT_EQ(q.aborted, 1);
    EXPECT_EQ(q.ended, 0);
    // A fitting failure is shown and prints nothing.
    PRN_SET wide;
    wide.mincol = 1000;
    REC_PRINTER r;
    EXPECT_EQ(prn_sheet(s, {0, 0, 4, 59}, r, wide, foot, host), -1);
    EXPECT_EQ(host.calls.back(), "msgbox 用紙の縦サイズが不足(2)");
    EXPECT_TRUE(r.texts.empty());
}

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
    REC_PRINTER p;
    p.copies = 2;
    std::string msg;
    ASSERT_EQ(prn_script(p, "t.scr", text, PRN_TSET{}, msg), 0);
    EXPECT_EQ(msg, "");
    ASSERT_EQ(p.texts.size(), 2 * 61u);
    EXPECT_EQ(p.texts[0], "1: 1  line1");
    EXPECT_EQ(p.texts[51], "1:52  line52");
    EXPECT_EQ(p.texts[52], "2:53  line53");
    EXPECT_EQ(p.texts[61], "3: 1  line1");   // the second copy starts on a page of its own
    EXPECT_EQ(p.pages, 4);
    EXPECT_EQ(p.ended, 1);

    REC_PRINTER none;
    none.refuse = true;
    EXPECT_EQ(prn_script(none, "t.scr", text, PRN_TSET{}, msg), -1);
    EXPECT_EQ(msg, "");
    REC_PRINTER small;
    PRN_TSET wide;
    wide.mincol = 1000;   // no font fits: the fitting says why
    EXPECT_EQ(prn_script(small, "t.scr", text, wide, msg), -1);
    EXPECT_FALSE(msg.empty());
    EXPECT_EQ(small.aborted, 1);
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
