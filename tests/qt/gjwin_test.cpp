// Windows of script gadgets in the window: real widgets on the offscreen platform, worked by
// mouse and key events, and read back through the script's own methods in cell formulas (the
// formulas keep the script's globals, so the windows stay open between passes).
#include "tests/qt/winfix.h"
#include "gadgets/qt/gjqt.h"
#include "base/kovtext.h"

#include <QCheckBox>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <fstream>
#include <sstream>

namespace {

struct GjWin : WIN_FIX<> {
    void SetUp() override
    {
        start(dir / "t.kov");
        win.show();
    }
    // The script's globals with setup() opening the windows once; then formula A1 = setup().
    void script(const std::string &opens, const std::string &more = "")
    {
        std::string text = "PUSH p; CHECK c; TEDIT t; GRAPH g; BACK k; VSCROL v; ARRAY a; var opened;\n"
                           "setup() { if (opened) return 0; opened = 1; " + opens + " return 0; }\n" + more;
        host.host_ed_put(kov::sj_from_utf8(text).c_str());   // scripts are Shift-JIS
        formula(0, 0, "setup()");
    }
    // A formula's value after a pass (the pass that evaluates it).
    std::string formula(int x, int y, const char *f)
    {
        kov.csv_put_form(x, y, f);
        kov.csv_form_calc(nullptr);
        return value(x, y);
    }
    // The gadget widget of this type that is shown (nullptr for none).
    template <class W> static W *shown()
    {
        for (QWidget *w : QApplication::allWidgets())
            if (auto *t = qobject_cast<W *>(w); t && t->isVisible() && GJ_QTVIEWS::gj_model_of(t)) return t;
        return nullptr;
    }
    // The last visible top-level gadget window (nullptr for none).
    static QWidget *top_window()
    {
        QWidget *w = nullptr;
        for (QWidget *t : QApplication::topLevelWidgets())
            if (t->property("gj_model").isValid() && t->isVisible()) w = t;
        return w;
    }
    static int gadget_windows()
    {
        int n = 0;
        for (QWidget *w : QApplication::allWidgets()) n += w->property("gj_model").isValid();
        return n;
    }
};

TEST_F(GjWin, ClickedButtonIsReadByTheScript)
{
    script("win_open(p, \"POPUP\", my, 30, 30, 120, 32); call(p, \"message\", \"開始\");");
    QPushButton *b = shown<QPushButton>();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), KQ("開始"));
    EXPECT_EQ(formula(0, 1, "call(p, \"ispush\")"), "0");
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(b->isChecked()) << "the latched press shows";
    EXPECT_EQ(formula(0, 1, "call(p, \"ispush\")"), "1");
    EXPECT_EQ(formula(0, 1, "call(p, \"ispush\")"), "1") << "latched until released";
    formula(0, 2, "call(p, \"push\", \"OFF\")");
    EXPECT_FALSE(b->isChecked());
    // autopush: each press is read once; nopush: clicks do nothing.
    formula(0, 2, "call(p, \"autopush\", \"ON\")");
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(formula(0, 1, "call(p, \"ispush\") * 10 + call(p, \"ispush\")"), "10");
    formula(0, 2, "call(p, \"nopush\", \"ON\")");
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_FALSE(b->isChecked());
    EXPECT_EQ(formula(0, 1, "call(p, \"ispush\")"), "0");
}

TEST_F(GjWin, CheckBoxFollowsAutocheck)
{
    script("win_open(c, \"CHILD\", my, 10, 10, 100, 24);");
    QCheckBox *b = shown<QCheckBox>();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->parentWidget()->parentWidget(), win.grid->viewport()) << "a child of the sheet's client area";
    QPoint box(6, b->height() / 2);   // on the box itself
    QTest::mouseClick(b, Qt::LeftButton, {}, box);
    EXPECT_EQ(formula(0, 1, "call(c, \"ischeck\")"), "1");
    formula(0, 2, "call(c, \"autocheck\", \"OFF\")");
    QTest::mouseClick(b, Qt::LeftButton, {}, box);
    EXPECT_TRUE(b->isChecked()) << "the script alone turns it over now";
    EXPECT_EQ(formula(0, 1, "call(c, \"ischeck\")"), "1");
}

TEST_F(GjWin, TypedTextReachesTheModel)
{
    script("win_open(t, \"POPUP\", my, 40, 40, 200, 120);");
    auto *e = shown<QPlainTextEdit>();
    ASSERT_NE(e, nullptr);
    e->setFocus();
    type_into(e, KQ("ab\n漢字"));
    std::string path = dir / "typed.txt";
    EXPECT_EQ(formula(0, 1, ("call(t, \"fsave\", \"" + path + "\")").c_str()), "0");
    std::ifstream in(path, std::ios::binary);
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), kov::sj_from_utf8("ab\r\n漢字"));   // Shift-JIS lines ended as the files are
    // The script moves the caret and clears: the widget shows it.
    formula(0, 2, "call(t, \"ed_go\", \"TXTTOP\")");
    EXPECT_EQ(e->textCursor().position(), 0);
    formula(0, 2, "call(t, \"del\", \"ALL\")");
    EXPECT_TRUE(e->toPlainText().isEmpty());
}

TEST_F(GjWin, ScrollBarPositionReadBack)
{
    script("call(v, \"set\", 100, 10, 20); win_open(v, \"CHILD\", my, 0, 0, 16, 120);");
    auto *b = shown<QScrollBar>();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->maximum(), 80);
    EXPECT_EQ(b->value(), 10);
    b->setFocus();
    QTest::keyClick(b, Qt::Key_PageDown);
    EXPECT_EQ(formula(0, 1, "call(v, \"get\")"), "30");
}

// Text through the window's fonts lands in the picture; the canvas shows it.
TEST_F(GjWin, GraphPutsDrawsPixels)
{
    script("win_open(g, \"POPUP\", my, 50, 50, 160, 60); call(g, \"puts\", 4, 4, \"Kovash 計測\", 255, -1);",
           "dark() { var n, x, y; for (y = 0; y < 24; y++) for (x = 0; x < 120; x++) "
           "if (call(g, \"get_color\", x, y) != 16777215) n++; return n; }\n");
    int n = std::stoi(formula(0, 1, "dark()"));
    EXPECT_GT(n, 30) << "the text's pixels";
    EXPECT_LT(n, 120 * 24 / 2);
    EXPECT_EQ(formula(0, 2, "call(g, \"get_color\", 100, 55) == 16777215"), "1") << "below the text";
    QWidget *gw = top_window();
    ASSERT_NE(gw, nullptr);
    QImage shot = gw->grab().toImage();
    int blue = 0;
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 150; x++) blue += shot.pixelColor(x, y).blue() > 128 && shot.pixelColor(x, y).red() < 128;
    EXPECT_GT(blue, 10) << "the window shows the picture";
    // Through the clipboard into another picture.
    EXPECT_EQ(formula(0, 3, "call(g, \"clip_copy\")"), "0");
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
}

TEST_F(GjWin, ChildInsidePopupAndClosingTogether)
{
    script("win_open(k, \"POPUP\", my, 20, 20, 240, 160); win_style(k, \"PULLF\", \"ON\"); "
           "win_open(p, \"CHILD\", k, 5, 6, 80, 30); win_title(k, \"親\");");
    QPushButton *b = shown<QPushButton>();
    ASSERT_NE(b, nullptr);
    QWidget *child = b->parentWidget(), *parent = child->parentWidget();
    ASSERT_NE(parent, nullptr);
    EXPECT_TRUE(parent->isWindow());
    EXPECT_EQ(parent->windowTitle(), KQ("親"));
    EXPECT_EQ(child->pos(), QPoint(7, 8)) << "inside the parent's frame lines";
    EXPECT_EQ(child->size(), QSize(80, 30));
    EXPECT_EQ(parent->size(), QSize(240, 160));
    EXPECT_EQ(gadget_windows(), 2);
    formula(0, 1, "win_close(k)");
    EXPECT_EQ(gadget_windows(), 0);
    EXPECT_EQ(formula(0, 1, "win_close(p)"), "-1");
}

// The user closes a top-level gadget window: the script sees it closed.
TEST_F(GjWin, UserClosedWindowIsClosed)
{
    script("win_open(k, \"POPUP\", my, 20, 20, 100, 100);");
    QWidget *w = top_window();
    ASSERT_NE(w, nullptr);
    w->close();
    QApplication::processEvents();
    EXPECT_EQ(gadget_windows(), 0);
    EXPECT_EQ(formula(0, 1, "win_pos(k, 1, 1)"), "-1");
}

// An ARRAY's cells drawn in its window; a grid method shows at once.
TEST_F(GjWin, ArrayGridShowsItsCells)
{
    script("call(a, \"open\", 4, 3); a[1][1] = 88888888; a[2][0] = \"字\"; win_open(a, \"POPUP\", my, 0, 0, 400, 120);");
    QWidget *w = top_window();
    ASSERT_NE(w, nullptr);
    auto dark = [w] {
        QImage img = w->grab().toImage();
        int n = 0;
        for (int y = 0; y < img.height(); y++)
            for (int x = 0; x < img.width(); x++) n += img.pixelColor(x, y).lightness() < 100;
        return n;
    };
    int full = dark();
    EXPECT_EQ(formula(0, 1, "call(a, \"ydel\", 1, 2)"), "0");
    int emptied = dark();
    EXPECT_GT(full, emptied + 20) << "the number's and the character's pixels went";
}

// A new script text links new globals: the old gadgets and their windows go.
TEST_F(GjWin, ReleasedGadgetsLeaveNoWindow)
{
    script("win_open(k, \"POPUP\", my, 0, 0, 90, 90); win_open(g, \"CHILD\", k, 0, 0, 40, 40);");
    EXPECT_EQ(gadget_windows(), 2);
    host.host_ed_put("var x;\n");
    formula(0, 0, "1");
    EXPECT_EQ(gadget_windows(), 0);
}

} // namespace
