// The script editor's window on the offscreen platform, driven by real key events: the keyboard
// table, the ESC prefix, the prompt line with search, go to line and replacement, the settings
// it opens with and writes back, the keyboard macro, and its place in the main window.
#include "tests/qt/winfix.h"
#include "base/kovtext.h"
#include "editor/qt/edwin.h"
#include "ui/views.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

namespace {

struct EdWin : ::testing::Test {
    kovtest::TmpDir dir;
    kov::PROF_U prof;
    std::unique_ptr<KOV_EDITWIN> ed;
    std::string ini() const { return dir / "kovash.ini"; }
    void open(const char *settings = "")
    {
        std::ofstream(ini()) << settings;
        ASSERT_EQ(prof.prof_set_path(ini().c_str(), "kovash"), 0);
        ed = std::make_unique<KOV_EDITWIN>(nullptr);
        ed->ed_settings(&prof);
        ed->ask_yes = [](const QString &) { return true; };
        ed->show();
        ed->text->setFocus();
    }
    void SetUp() override { open(); }
    void put(const char *utf8, int caret = 0)
    {
        ed->ed_put(kov::sj_from_utf8(utf8).c_str());
        at(caret);
    }
    void at(int p)
    {
        QTextCursor c = ed->text->textCursor();
        c.setPosition(p);
        ed->text->setTextCursor(c);
    }
    QWidget *target() { return ed->prompt_edit()->isVisible() ? (QWidget *)ed->prompt_edit() : ed->text; }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(target(), Qt::Key(k), m); }
    void ctrl(int k) { key(k, Qt::ControlModifier); }
    void esc(int k)
    {
        key(Qt::Key_Escape);
        key(k);
    }
    void type(const char *utf8) { WIN_FIX<>::type_into(target(), QString::fromUtf8(utf8)); }
    void answer(const char *utf8)
    {
        ASSERT_TRUE(ed->prompt_edit()->isVisible());
        type(utf8);
        key(Qt::Key_Return);
    }
    int pos() const { return ed->text->textCursor().position(); }
    std::string txt() const { return ed->text->toPlainText().toStdString(); }
    std::string status() const { return ed->statusBar()->currentMessage().toStdString(); }
    std::string prompt() const { return ed->prompt_edit()->parentWidget()->findChild<QLabel *>()->text().toStdString(); }
    std::string setting(const char *sec, const char *k) const
    {
        std::string v;
        prof.prof_read_text(sec, k, v);
        return v;
    }
};

// Each row of the keyboard table that moves or edits: the text and caret before and after.
TEST_F(EdWin, KeyboardTableMovesAndEdits)
{
    struct {
        const char *name, *before;
        int caret, key;
        const char *after;
        int caret_after;
        Qt::KeyboardModifiers mods = Qt::ControlModifier;
    } rows[] = {
        {"CTRL-A word left", "abc def", 7, Qt::Key_A, "abc def", 4},
        {"CTRL-F word right", "abc def", 0, Qt::Key_F, "abc def", 4},
        {"CTRL-B to line start", "ab\ncdef", 5, Qt::Key_B, "ab\ncdef", 3},
        {"CTRL-B to line end", "ab\ncdef", 3, Qt::Key_B, "ab\ncdef", 7},
        {"CTRL-D right", "ソボx", 0, Qt::Key_D, "ソボx", 1},
        {"CTRL-S left", "ソボx", 2, Qt::Key_S, "ソボx", 1},
        {"CTRL-E up", "abc\nabc", 6, Qt::Key_E, "abc\nabc", 2},
        {"CTRL-X down", "abc\nabc", 2, Qt::Key_X, "abc\nabc", 6},
        {"CTRL-G delete right", "aソc", 1, Qt::Key_G, "ac", 1},
        {"CTRL-H delete left", "aソc", 2, Qt::Key_H, "ac", 1},
        {"CTRL-I TAB", "ab", 1, Qt::Key_I, "a\tb", 2},
        {"CTRL-J new line, indented", "  ab", 3, Qt::Key_J, "  a\n  b", 6},
        {"CTRL-M new line", "ab", 1, Qt::Key_M, "a\nb", 2},
        {"CTRL-K to line end", "abc\ndef", 1, Qt::Key_K, "a\ndef", 1},
        {"CTRL-U to line start", "abc\ndef", 6, Qt::Key_U, "abc\nf", 4},
        {"CTRL-Y the line", "abc\ndef\nghi", 5, Qt::Key_Y, "abc\nghi", 4},
        {"CTRL-Y the last line", "abc\ndef", 5, Qt::Key_Y, "abc\n", 4},
        {"CTRL-N a line inserted", "ab", 1, Qt::Key_N, "a\nb", 1},
        {"Return, indented", "\tab", 2, Qt::Key_Return, "\ta\n\tb", 4, Qt::NoModifier},
        {"TAB", "ab", 1, Qt::Key_Tab, "a\tb", 2, Qt::NoModifier},
    };
    for (auto &r : rows) {
        put(r.before, r.caret);
        key(r.key, r.mods);
        EXPECT_EQ(txt(), r.after) << r.name;
        EXPECT_EQ(pos(), r.caret_after) << r.name;
    }
}

TEST_F(EdWin, PagesScrollsSelectionsAndControlCharacters)
{
    std::string many;
    for (int i = 1; i <= 300; i++) many += std::to_string(i) + "\n";
    put(many.c_str());
    ctrl(Qt::Key_C);   // a page towards the end
    int down = ed->text->textCursor().blockNumber();
    EXPECT_GT(down, 5);
    ctrl(Qt::Key_R);
    EXPECT_LT(ed->text->textCursor().blockNumber(), down);
    int top = ed->text->verticalScrollBar()->value();
    ctrl(Qt::Key_Z);   // the view one line on
    EXPECT_EQ(ed->text->verticalScrollBar()->value(), top + 1);
    ctrl(Qt::Key_W);
    EXPECT_EQ(ed->text->verticalScrollBar()->value(), top);

    // CTRL-O starts a selection that the moves stretch; CTRL-P cuts it, CTRL-L pastes it.
    put("abcd");
    ctrl(Qt::Key_O);
    ctrl(Qt::Key_D);
    key(Qt::Key_Right);
    EXPECT_EQ(ed->text->textCursor().selectedText().toStdString(), "ab");
    ctrl(Qt::Key_P);
    EXPECT_EQ(txt(), "cd");
    key(Qt::Key_F6), key(Qt::Key_F6);   // F.6 on and off: nothing selected
    ctrl(Qt::Key_F);
    ctrl(Qt::Key_L);
    EXPECT_EQ(txt(), "cdab");

    // CTRL-V: the next key is a control character, shown with "^".
    put("ab", 1);
    ctrl(Qt::Key_V);
    EXPECT_EQ(ed->status_text().toStdString(), "【 CTRL 】");
    ctrl(Qt::Key_A);
    EXPECT_EQ(txt(), "a\x01" "b");
    EXPECT_EQ(ed->status_text().toStdString(), "[    1 /    1]");

    // INS: overwrite, and back.
    put("ab");
    key(Qt::Key_Insert);
    type("x");
    EXPECT_EQ(txt(), "xb");
    key(Qt::Key_Insert);
    type("y");
    EXPECT_EQ(txt(), "xyb");
}

TEST_F(EdWin, StatusLineCountsLinesAndShowsTheKeyState)
{
    put("a\nb\nc", 2);
    EXPECT_EQ(ed->status_text().toStdString(), "[    2 /    3]");
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        const char *shown;   // nullptr: not looked at
    } steps[] = {
        {Qt::Key_Escape, {}, "【 ESC 】"}, {Qt::Key_Escape, {}, "[    2 /    3]"},   // ESC ESC: the prefix cancelled
        {Qt::Key_BracketLeft, Qt::ControlModifier, "【 ESC 】"},                   // CTRL-[ is ESC
        {Qt::Key_B, {}, "[    3 /    3]"},  {Qt::Key_Escape, {}, "【 ESC 】"},      {Qt::Key_M, {}, "【MACRO】"},
        {Qt::Key_Escape, {}, nullptr},      {Qt::Key_M, {}, "[    3 /    3]"},
    };
    for (auto &st : steps) {
        key(st.key, st.mods);
        if (st.shown) {
            EXPECT_EQ(ed->status_text().toStdString(), st.shown) << st.key;
        }
    }
}

// ESC and one key; the prompts they open; switches written back.
TEST_F(EdWin, EscPrefixCommands)
{
    put("one\ntwo\nthree", 5);
    esc(Qt::Key_B);
    EXPECT_EQ(pos(), 13);
    esc(Qt::Key_T);
    EXPECT_EQ(pos(), 0);
    struct {
        int key;
        ED_SETID id;
        const char *name;
    } switches[] = {{Qt::Key_D, TED_INDENT, "Indent"}, {Qt::Key_K, TED_DISPEOL, "DispEOL"},
                    {Qt::Key_Z, TED_DISPTAB, "DispTAB"}, {Qt::Key_W, TED_TABWID4, "TabWid4"}};
    for (auto &s : switches) {
        int was = ed->set.get(s.id);
        esc(s.key);
        EXPECT_EQ(ed->set.get(s.id), !was) << s.name;
        EXPECT_EQ(setting("ted", s.name), std::to_string(!was)) << s.name;
    }
    esc(Qt::Key_I);
    EXPECT_TRUE(ed->text->overwriteMode());
    esc(Qt::Key_I);
    EXPECT_FALSE(ed->text->overwriteMode());
    struct {
        int key;
        const char *prompt;
    } prompts[] = {{Qt::Key_J, "行番号:"}, {Qt::Key_X, "置換元:"}, {Qt::Key_Colon, "置換元:"},
                   {Qt::Key_Y, "置換元:"}, {Qt::Key_Equal, "置換元:"}, {Qt::Key_Exclam, "ファイル名:"}};
    for (auto &p : prompts) {
        esc(p.key);
        EXPECT_TRUE(ed->prompt_edit()->isVisible()) << p.prompt;
        EXPECT_EQ(prompt(), p.prompt);
        key(Qt::Key_Escape);
        EXPECT_FALSE(ed->prompt_edit()->isVisible()) << p.prompt;
    }
    EXPECT_EQ(status(), "置換中止");
    int beeps = ed->beeps;
    esc(Qt::Key_G);   // no such command
    EXPECT_EQ(ed->beeps, beeps + 1);
    esc(Qt::Key_N);
    EXPECT_EQ(txt(), "");
}

TEST_F(EdWin, FilesThroughTheEscCommands)
{
    std::string a = dir / "a.scr", b = dir / "b.scr";
    std::ofstream(a) << "main()\r\n{\r\n}\r\n";
    std::ofstream(b) << "// ソ\r\n";
    std::string chosen = a;
    ed->ask_file = [&](const QString &, bool) { return QString::fromStdString(chosen); };
    esc(Qt::Key_L);
    EXPECT_EQ(txt(), "main()\n{\n}\n");
    EXPECT_EQ(ed->windowTitle().toStdString(), "a.scr");
    chosen = b;
    esc(Qt::Key_R);   // inserted at the caret (the top)
    EXPECT_EQ(txt(), "// ソ\nmain()\n{\n}\n");
    esc(Qt::Key_O);   // back to the text as read
    EXPECT_EQ(txt(), "main()\n{\n}\n");
    type("x");
    esc(Qt::Key_S);   // saved under its name, and the window closes
    EXPECT_FALSE(ed->isVisible());
    std::ifstream in(a, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "xmain()\r\n{\r\n}\r\n");
    ed->show();
    type("y");
    bool asked = false;
    ed->ask_yes = [&](const QString &q) { return asked = q.toStdString() == "非保存終了"; };
    esc(Qt::Key_Q);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(ed->isVisible());
    EXPECT_EQ(txt(), "xmain()\n{\n}\n");
    ed->show();
    chosen = dir / "none.scr";
    esc(Qt::Key_L);
    EXPECT_EQ(status(), chosen + " 読込失敗");
    chosen = dir.path;   // a folder cannot be written over
    ed->ed_command(EDC_SAVEAS);
    EXPECT_EQ(status(), chosen + " 保存失敗");
}

TEST_F(EdWin, GoToLineRefusesZeroAndPastTheEnd)
{
    put("a\nb\nc", 1);
    struct {
        const char *answer;
        int caret, beeps;
    } rows[] = {{"0", 1, 1}, {"4", 1, 1}, {"x", 1, 1}, {"3", 4, 0}, {"2", 2, 0}, {"1", 0, 0}};
    for (auto &r : rows) {
        int beeps = ed->beeps;
        esc(Qt::Key_J);
        answer(r.answer);
        EXPECT_EQ(pos(), r.caret) << r.answer;
        EXPECT_EQ(ed->beeps - beeps, r.beeps) << r.answer;
    }
}

// Search forward, then again both ways: F.5, SHIFT F.5, CTRL-Q, ESC ^ and ESC \.
TEST_F(EdWin, SearchAgainBothWays)
{
    put("ソa a\\ a ソ\\", 0);
    ctrl(Qt::Key_AsciiCircum);
    EXPECT_EQ(prompt(), "前方検索:");
    answer("a");
    EXPECT_EQ(pos(), 1);
    struct {
        int key;
        Qt::KeyboardModifiers mods;
        bool esc;
        int caret, beeps;
    } rows[] = {
        {Qt::Key_F5, Qt::NoModifier, false, 3, 0},    {Qt::Key_F5, Qt::NoModifier, false, 6, 0},
        {Qt::Key_F5, Qt::NoModifier, false, 6, 1},    {Qt::Key_F5, Qt::ShiftModifier, false, 3, 0},
        {Qt::Key_Q, Qt::ControlModifier, false, 1, 0}, {Qt::Key_Backslash, Qt::NoModifier, true, 1, 1},
        {Qt::Key_AsciiCircum, Qt::NoModifier, true, 3, 0},
    };
    for (auto &r : rows) {
        int beeps = ed->beeps;
        r.esc ? esc(r.key) : key(r.key, r.mods);
        EXPECT_EQ(pos(), r.caret) << r.key;
        EXPECT_EQ(ed->beeps - beeps, r.beeps) << r.key;
    }
    // backward for the '\' that stands alone, never the trail byte of "ソ"
    at(9);
    ctrl(Qt::Key_Backslash);
    EXPECT_EQ(prompt(), "後方検索:");
    ed->prompt_edit()->clear();
    answer("\\");
    EXPECT_EQ(pos(), 4);
    esc(Qt::Key_X);
    key(Qt::Key_Escape);
    ctrl(Qt::Key_AsciiCircum);
    key(Qt::Key_Escape);
    EXPECT_EQ(status(), "検索中断");
}

TEST_F(EdWin, ReplacementCountsAndRefusals)
{
    struct {
        int key;
        const char *src, *dst, *after, *msg;
        int beeps;
    } rows[] = {
        {Qt::Key_X, "a", "a", "a ab a", "置換元/置換先が同一", 1},
        {Qt::Key_X, "q", "b", "a ab a", "置換対象がありません", 0},
        {Qt::Key_Y, "a", "xy", "xy ab xy", "2 個の文字列を置換しました", 0},
        {Qt::Key_Colon, "a", "ソ", "ソ ソb ソ", "3 個の文字列を置換しました", 0},
    };
    for (auto &r : rows) {
        put("a ab a");
        int beeps = ed->beeps;
        esc(r.key);
        answer(r.src);
        answer(r.dst);
        EXPECT_EQ(txt(), r.after) << r.src;
        EXPECT_EQ(status(), r.msg);
        EXPECT_EQ(ed->beeps - beeps, r.beeps) << r.src;
    }
    int beeps = ed->beeps;
    esc(Qt::Key_X);
    answer("");
    EXPECT_EQ(status(), "置換元が未指定");
    EXPECT_FALSE(ed->prompt_edit()->isVisible());   // no second question
    EXPECT_EQ(ed->beeps, beeps + 1);
    esc(Qt::Key_X);
    answer("b");
    key(Qt::Key_Escape);
    EXPECT_EQ(status(), "置換中止");
    ed->ed_command(EDC_UNDO);   // the replacement was one step
    EXPECT_EQ(txt(), "a ab a");
}

TEST_F(EdWin, PairMatchAndMarks)
{
    put("f(a[ボ], {x})", 1);
    ctrl(Qt::Key_BracketRight);
    EXPECT_EQ(pos(), 11);
    ctrl(Qt::Key_BracketRight);
    EXPECT_EQ(pos(), 1);
    at(0);
    ctrl(Qt::Key_BracketRight);
    EXPECT_EQ(status(), "ペアマッチ対象外");
    // END sets a mark, CTRL-T goes to it; text typed before it moves it along.
    at(4);
    key(Qt::Key_End);
    EXPECT_EQ(prompt(), "設定マーク番号:");
    answer("2");
    at(0);
    type("zz");
    ctrl(Qt::Key_T);
    answer("2");
    EXPECT_EQ(pos(), 6);
    int beeps = ed->beeps;
    ctrl(Qt::Key_T);
    answer("3");   // never set
    ctrl(Qt::Key_T);
    answer("5");
    EXPECT_EQ(ed->beeps, beeps + 2);
    ed->menu(1)->actions().value(11)->trigger();   // マーク 1 at the caret
    ASSERT_EQ(ed->menu(1)->actions().value(11)->text().toStdString(), "マーク 1 (&1)");
    at(0);
    ed->ed_command(EDC_GOMARK1);
    EXPECT_EQ(pos(), 6);
}

TEST_F(EdWin, TabWidthFourAndEscWBackToEight)
{
    open("[ted]\nTabWid4=1\n");
    put("\tx");
    auto tab_px = [&] {
        QTextCursor c(ed->text->document());
        c.setPosition(1);
        int after = ed->text->cursorRect(c).left();
        c.setPosition(0);
        return after - ed->text->cursorRect(c).left();
    };
    int space = ed->text->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    EXPECT_NEAR(tab_px(), 4 * space, 1);
    esc(Qt::Key_W);
    EXPECT_NEAR(tab_px(), 8 * space, 1);
    EXPECT_EQ(setting("ted", "TabWid4"), "0");
}

TEST_F(EdWin, ColSizeIsClampedWhenTheWindowOpens)
{
    open("[ted]\nColSize=500\nRowSize=10\n");
    EXPECT_EQ(ed->cols(), 400);
    int cw = QFontMetrics(ed->text->font()).horizontalAdvance(QLatin1Char('0'));
    EXPECT_GE(ed->text->viewport()->width(), 400 * cw);
    EXPECT_LT(ed->text->viewport()->width(), 401 * cw + 40);
    EXPECT_EQ(setting("ted", "ColSize"), "500");   // the file keeps what the user wrote
    ed->ed_command(EDC_SIZE0);
    EXPECT_GE(ed->text->viewport()->width(), 80 * cw);
    EXPECT_LT(ed->text->viewport()->width(), 81 * cw + 40);
    EXPECT_EQ(setting("ted", "ColSize"), "80");
    EXPECT_EQ(setting("ted", "RowSize"), "25");
}

// 128 keys fill the macro: recording stops with the refusal beep, and the keys replay.
TEST_F(EdWin, MacroStopsAt128Keys)
{
    put("");
    esc(Qt::Key_M);
    int beeps = ed->beeps;
    esc(Qt::Key_P);   // replaying while recording is refused (and its keys recorded)
    EXPECT_EQ(ed->beeps, beeps + 1);
    for (int i = 2; i < 127; i++) type("a");
    EXPECT_TRUE(ed->macro.recording());
    EXPECT_EQ(ed->beeps, beeps + 1);
    type("b");
    EXPECT_FALSE(ed->macro.recording());
    EXPECT_EQ(ed->beeps, beeps + 2);
    EXPECT_EQ(ed->status_text().toStdString(), "[    1 /    1]");
    put("");
    esc(Qt::Key_P);
    EXPECT_EQ(txt(), std::string(125, 'a') + "b");

    // A recording with a search prompt in it replays the answer too.
    put("x1 x2 x3");
    esc(Qt::Key_M);
    ctrl(Qt::Key_AsciiCircum);
    ed->prompt_edit()->clear();
    answer("x");
    ctrl(Qt::Key_G);
    esc(Qt::Key_M);
    EXPECT_EQ(txt(), "1 x2 x3");
    esc(Qt::Key_P);
    esc(Qt::Key_P);
    EXPECT_EQ(txt(), "1 2 3");
}

TEST_F(EdWin, DisplayMarksFollowTheirSettings)
{
    put("a\tb\nc");
    auto shot = [&] { return ed->text->viewport()->grab().toImage(); };
    QImage base = shot();
    for (int k : {Qt::Key_K, Qt::Key_Z}) {
        esc(k);
        EXPECT_NE(shot(), base) << k;
        esc(k);
        EXPECT_EQ(shot(), base) << k;
    }
    for (int id : {EDC_DISPEOF, EDC_DISPNOL, EDC_REVERS, EDC_LINENUM}) {
        ed->ed_command(id);
        EXPECT_NE(shot(), base) << id;
        ed->ed_command(id);
        EXPECT_EQ(shot(), base) << id;
    }
    ed->ed_command(EDC_MENUBAR);
    EXPECT_EQ(status(), "メニューを隠します。F.1 等でメニューが出ます");
    EXPECT_EQ(setting("ted", "MenuBar"), "0");
}

TEST_F(EdWin, EditingRefusedWhileLocked)
{
    put("abc", 1);
    ed->ed_lock(true);
    int beeps = ed->beeps;
    type("x");
    ctrl(Qt::Key_Y);
    key(Qt::Key_Return);
    esc(Qt::Key_X);
    EXPECT_EQ(txt(), "abc");
    EXPECT_EQ(ed->beeps, beeps + 4);
    EXPECT_FALSE(ed->prompt_edit()->isVisible());
    ctrl(Qt::Key_D);   // moving stays possible
    EXPECT_EQ(pos(), 2);
    ed->ed_lock(false);
    type("x");
    EXPECT_EQ(txt(), "abxc");
}

// In the main window: the host's name and text go through the editor, a failure shows.
struct EdMain : WIN_FIX<> {};

TEST_F(EdMain, HostReachesTheEditor)
{
    start(dir / "t.kov");
    EXPECT_EQ(win.editor->windowTitle().toStdString(), "t.scr");
    host.host_ed_put(kov::sj_from_utf8("main() { return ソ; }\n").c_str());
    win.editor->show();
    long stamp = host.host_ed_stamp();
    QTest::keyClick(win.editor->text, Qt::Key_D, Qt::ControlModifier);
    type_into(win.editor->text, QStringLiteral("x"));
    EXPECT_NE(host.host_ed_stamp(), stamp);
    std::string t;
    ASSERT_EQ(host.host_ed_text(t), 0);
    EXPECT_EQ(kov::sj_to_utf8(t), "mxain() { return ソ; }\n");
    win.editor->ed_command(EDC_RENAME);
    type_into(win.editor->prompt_edit(), QStringLiteral("other.scr\n"));
    EXPECT_STREQ(host.host_ed_name(), "other.scr");
    EXPECT_EQ(win.editor->windowTitle().toStdString(), "other.scr");
    // a run that fails shows its message in the editor
    EXPECT_EQ(kov.kov_do_scrpt(TST_SCRPT_RUN), -1);
    EXPECT_FALSE(win.editor->statusBar()->currentMessage().isEmpty());
    EXPECT_FALSE(win.editor->ed_locked());
    // a paused script owns the interpreter: its text cannot change until it stops
    win.win_run_state(TST_SCRPT_PAUSE);
    type_into(win.editor->text, QStringLiteral("y"));
    EXPECT_EQ(kov::sj_to_utf8(win.editor->ed_text()), "mxain() { return ソ; }\n");
    win.win_run_state(TST_STOP);
    type_into(win.editor->text, QStringLiteral("y"));   // over the failure's spot, still selected
    EXPECT_EQ(kov::sj_to_utf8(win.editor->ed_text()), "mxain() { return y; }\n");
    // printed on the sheet's printer, here a PDF file, each row with its line number
    std::string pdf = dir / "s.pdf";
    win.printer->prn_to_pdf(pdf);
    win.editor->ed_command(EDC_PRINT);
    ASSERT_EQ(system(("pdftotext -layout '" + pdf + "' '" + pdf + ".txt'").c_str()), 0);
    EXPECT_NE(kovtest::slurp(pdf + ".txt").find("mxain() { return y; }"), std::string::npos) << kovtest::slurp(pdf + ".txt");
}

} // namespace

namespace {

// Random keys of the table, prompts answered at random: the editor stays whole.
TEST_F(EdWin, RandomKeysKeepTheEditorWhole)
{
    ed->ask_yes = [](const QString &) { return false; };
    ed->ask_file = [](const QString &, bool) { return QString(); };
    static const int ctrl_keys[] = {Qt::Key_A, Qt::Key_B, Qt::Key_C, Qt::Key_D, Qt::Key_E, Qt::Key_F, Qt::Key_G,
                                    Qt::Key_H, Qt::Key_I, Qt::Key_J, Qt::Key_K, Qt::Key_L, Qt::Key_M, Qt::Key_N,
                                    Qt::Key_O, Qt::Key_P, Qt::Key_Q, Qt::Key_R, Qt::Key_S, Qt::Key_T, Qt::Key_U,
                                    Qt::Key_V, Qt::Key_W, Qt::Key_X, Qt::Key_Y, Qt::Key_Z, Qt::Key_BracketLeft,
                                    Qt::Key_AsciiCircum, Qt::Key_Backslash, Qt::Key_BracketRight};
    static const int esc_keys[] = {Qt::Key_B, Qt::Key_D, Qt::Key_I, Qt::Key_J, Qt::Key_K, Qt::Key_M, Qt::Key_N,
                                   Qt::Key_O, Qt::Key_P, Qt::Key_T, Qt::Key_W, Qt::Key_X, Qt::Key_Y, Qt::Key_Z,
                                   Qt::Key_Colon, Qt::Key_Equal, Qt::Key_AsciiCircum, Qt::Key_Backslash, Qt::Key_Escape};
    static const char *const typed[] = {"a", "(", ")", "{", "}", "ソ", "\\", " ", "\n", "1", "x"};
    for (unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        auto pick = [&](size_t n) { return size_t(rng() % n); };
        put("main() {\n\tx = \"ソ\\\\\";\n}\n");
        for (int step = 0; step < 600; step++) {
            switch (pick(6)) {
            case 0: ctrl(ctrl_keys[pick(std::size(ctrl_keys))]); break;
            case 1: esc(esc_keys[pick(std::size(esc_keys))]); break;
            case 2:
                key(std::vector<int>{Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9, Qt::Key_Insert,
                                     Qt::Key_End, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Backspace, Qt::Key_Left}[pick(11)]);
                break;
            case 3: key(Qt::Key_Escape); break;   // a prompt cancelled, or the prefix
            default: type(typed[pick(std::size(typed))]); break;
            }
            ASSERT_LT(pos(), ed->text->document()->characterCount()) << seed << " " << step;
            ASSERT_LE(ed->macro.size(), ED_MACRO::MAX);
            ASSERT_FALSE(ed->status_text().isEmpty());
        }
        if (ed->prompt_edit()->isVisible()) key(Qt::Key_Escape);
        if (ed->macro.recording()) esc(Qt::Key_M);
        EXPECT_EQ(QString::fromStdString(kov::sj_to_utf8(ed->ed_text())), ed->text->toPlainText()) << seed;
    }
}

} // namespace
