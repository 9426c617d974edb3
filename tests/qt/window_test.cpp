// The desktop window on the offscreen platform, driven by real key events: typing into cells
// and the refusals, and run control while a script loops.
#include "tests/qt/winfix.h"
#include "ui/views.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QImage>

using namespace kovtest;

namespace {

struct Window : WIN_FIX<> {
    void SetUp() override
    {
        start(dir / "t.kov");
        win.show();
        win.grid->setFocus();
    }
    // Keys go where the user's would: to the cell editor while it is open, else to the grid.
    QWidget *target() { return win.grid->grid_editing() ? (QWidget *)win.grid->grid_editor() : win.grid; }
    void type(const char *utf8)
    {
        for (QChar c : QString::fromUtf8(utf8)) type_into(target(), c);
    }
    void key(Qt::Key k) { QTest::keyClick(target(), k); }
    std::string cell(int x, int y)
    {
        char b[256];
        kov.csv_dsp_text(x, y, 0, sizeof b, b);
        return kov::sj_to_utf8(b);
    }
};

} // namespace

TEST_F(Window, TypingNumbersTextsAndFormulas)
{
    for (const char *t : {"12", "=R[-1]C*2", "\"7", "表です"}) type(t), key(Qt::Key_Return);
    EXPECT_EQ(kov.csv_get_num(0, 0), 12);
    EXPECT_EQ(cell(0, 1), "24");
    EXPECT_STREQ(kov.csv_get_form(0, 1), "R[-1]C*2");
    EXPECT_EQ(kov.csv_get_type(0, 2), 1);   // a quoted number is a text
    EXPECT_EQ(cell(0, 3), "表です");
    EXPECT_EQ(kov.csv_cury, 4);
    // A formula with an error keeps its editor open with the message; Escape leaves it.
    type("=1 2");
    key(Qt::Key_Return);
    EXPECT_TRUE(win.grid->grid_editing());
    EXPECT_EQ(status(), "無効な文字 2 がある");
    key(Qt::Key_Escape);
    EXPECT_FALSE(win.grid->grid_editing());
    // F2 opens the formula again; a changed formula recalculates.
    win.grid->grid_goto(0, 1);
    key(Qt::Key_F2);
    EXPECT_EQ(win.grid->grid_editor()->text().toStdString(), "=R[-1]C*2");
    type("+1");
    key(Qt::Key_Return);
    EXPECT_EQ(cell(0, 1), "25");
}

// Pointing: F4 in a formula picks a range with the arrow keys (Shift extends); the next key
// puts it in at the caret and goes on into the formula.
TEST_F(Window, PointingPutsARangeIntoTheFormula)
{
    kov.csv_put_num(2, 0, 4), kov.csv_put_num(2, 1, 5);
    type("=SUM(");
    key(Qt::Key_F4);
    EXPECT_FALSE(win.grid->grid_editing());
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    QTest::keyClick(win.grid, Qt::Key_Down, Qt::ShiftModifier);
    type(")");
    EXPECT_EQ(win.grid->grid_editor()->text().toStdString(), "=SUM(R0C2:R1C2)");
    key(Qt::Key_Return);
    EXPECT_EQ(kov.csv_get_num(0, 0), 9);
    type("=");
    key(Qt::Key_F4);
    key(Qt::Key_Down);
    key(Qt::Key_Escape);   // dropped: the cursor is back where the formula is typed
    EXPECT_EQ(status(), "セル領域設定中止");
    EXPECT_EQ(kov.csv_cury, 1);
}

// The keys of the menus: F5 recalculates, Ctrl+S saves the sheet under its name.
TEST_F(Window, MenuKeys)
{
    win.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&win));
    kov.csv_put_form(0, 0, "1 + 1");
    QTest::keyClick(win.grid, Qt::Key_F5);
    EXPECT_EQ(cell(0, 0), "2");
    QTest::keyClick(win.grid, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(exists(dir / "t.kov"));
}

TEST_F(Window, Refusals)
{
    kov.cse_set_scrlock(1);
    type("5");
    EXPECT_FALSE(win.grid->grid_editing());
    EXPECT_EQ(status(), "スクリーン・ロック状態です");
    kov.cse_set_scrlock(0);
    kov.csv_set_attr(0, 0, CSV_A_INPUT, 2);
    type("a");
    EXPECT_EQ(status(), "数値専用セルです");
    type("5");
    key(Qt::Key_Return);
    EXPECT_EQ(kov.csv_get_num(0, 0), 5);
    kov.csv_set_attr(0, 1, CSV_A_INPUT, 3);
    type("5");
    EXPECT_EQ(status(), "編集抑制セルです");
}

// Characters Shift-JIS cannot hold never reach a cell: typed, composed, pasted into the cell
// editor or pasted into cells, each is refused with its reason, and what was typed around it stays.
TEST_F(Window, CharactersWithoutShiftJisAreRefusedInCells)
{
    const std::string refused = "「é」(U+00E9) は Shift-JIS にない文字のため入力できません";
    type("ab");
    type("é");
    EXPECT_EQ(status(), refused);
    type("c");
    EXPECT_EQ(win.grid->grid_editor()->text().toStdString(), "abc");
    QInputMethodEvent ime(QString(), {});
    ime.setCommitString(QString::fromUtf8("漢☃"));
    QApplication::sendEvent(target(), &ime);
    EXPECT_EQ(win.grid->grid_editor()->text().toStdString(), "abc");
    QApplication::clipboard()->setText(QString::fromUtf8("x한"));
    QTest::keyClick(target(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(win.grid->grid_editor()->text().toStdString(), "abc");
    EXPECT_EQ(status(), "「한」(U+D55C) は Shift-JIS にない文字のため入力できません");
    key(Qt::Key_Return);
    EXPECT_EQ(cell(0, 0), "abc");
    type("☃");   // as the first key: no editor opens
    EXPECT_FALSE(win.grid->grid_editing());
    EXPECT_EQ(status(), "「☃」(U+2603) は Shift-JIS にない文字のため入力できません");
    // Pasted into cells from another program.
    QApplication::clipboard()->setText(QString::fromUtf8("1,café\n"));
    win.win_command(264);
    EXPECT_EQ(status(), refused);
    EXPECT_EQ(cell(0, 1), "");
    QApplication::clipboard()->setText(QString::fromUtf8("1,漢字\n"));
    win.win_command(264);
    EXPECT_EQ(cell(0, 1) + "|" + cell(1, 1), "1|漢字");
}

// The script editor refuses them from keys, the clipboard and a drop, and keeps its text.
TEST_F(Window, CharactersWithoutShiftJisAreRefusedInTheScript)
{
    QPlainTextEdit *ed = win.editor->text;
    win.editor->show();
    ed->setPlainText(QStringLiteral("main()\n"));
    ed->moveCursor(QTextCursor::End);
    ed->setFocus();
    for (const char *t : {"/", "/", " ", "é", "x"}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(t));
        QApplication::sendEvent(ed, &press);
    }
    EXPECT_EQ(ed->toPlainText().toStdString(), "main()\n// x");
    EXPECT_EQ(win.editor->statusBar()->currentMessage().toStdString(), "「é」(U+00E9) は Shift-JIS にない文字のため入力できません");
    QApplication::clipboard()->setText(QString::fromUtf8("y☃"));
    ed->paste();
    EXPECT_EQ(ed->toPlainText().toStdString(), "main()\n// x");
    QApplication::clipboard()->setText(QString::fromUtf8("漢"));
    ed->paste();
    EXPECT_EQ(ed->toPlainText().toStdString(), "main()\n// x漢");
    QMimeData drop;
    drop.setText(QString::fromUtf8("한"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &drop, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ed->viewport(), &enter);
    QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &drop, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ed->viewport(), &move);
    QDropEvent ev(QPointF(5, 5), Qt::CopyAction, &drop, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ed->viewport(), &ev);
    EXPECT_EQ(ed->toPlainText().toStdString(), "main()\n// x漢");
    EXPECT_EQ(win.editor->statusBar()->currentMessage().toStdString(), "「한」(U+D55C) は Shift-JIS にない文字のため入力できません");
    std::string sj;
    ASSERT_EQ(host.host_ed_text(sj), 0);
    EXPECT_EQ(sj, "main()\n// x\x8A\xBF");
}

// The window stays usable while a script loops: its buttons stop, pause and continue it.
TEST_F(Window, RunControlWhileAScriptLoops)
{
    host.host_ed_put("var n;\nmain() { for (n = 0; ; n++) ; }\n");
    std::vector<int> seen;
    QTimer::singleShot(0, &win, [&] {
        seen.push_back(kov.kov_tstat(TMCD_GET));
        win.win_command(300);   // PAUS
        QTimer::singleShot(0, &win, [&] {
            seen.push_back(kov.kov_tstat(TMCD_GET));
            win.win_command(302);   // CONT
            QTimer::singleShot(0, &win, [&] { win.win_command(303); });   // STOP
        });
    });
    win.win_command(298);   // RUN: returns when the script has ended
    EXPECT_EQ(seen, (std::vector<int>{TST_SCRPT_RUN, TST_SCRPT_PAUSE}));
    EXPECT_EQ(status(), "スクリプト実行終了(1)");
    EXPECT_EQ(kov.kov_tstat(TMCD_GET), TST_STOP);
}

// The sample sheet looks as it did: colours, lines, formats and computed formulas, against a
// stored picture with a tolerance for fonts that differ between machines.
TEST(Look, SampleSheetMatchesItsPicture)
{
    QImage want(QStringLiteral(KOV_TEST_DATA "/budget.png"));
    ASSERT_FALSE(want.isNull());
    TmpDir dir;
    KOV_MAINWIN win;
    QT_HOST host{&win};
    KOV_U kov{&host};
    win.win_attach(&kov);
    ASSERT_EQ(kov.kov_start((dir / "kovash").c_str(), nullptr), 0);
    ASSERT_EQ(kov.cse_fload(KOV_TEST_DATA "/../../examples/budget.kov"), 0);
    win.resize(want.width(), want.height());
    win.show();
    win.grid->grid_sizes();
    QApplication::processEvents();
    QImage got = win.grab().toImage().convertToFormat(want.format());
    ASSERT_EQ(got.size(), want.size());
    long off = 0;
    for (int y = 0; y < got.height(); y++)
        for (int x = 0; x < got.width(); x++) {
            QColor a = got.pixelColor(x, y), b = want.pixelColor(x, y);
            off += abs(a.red() - b.red()) + abs(a.green() - b.green()) + abs(a.blue() - b.blue()) > 96;
        }
    EXPECT_LT(off, got.width() * got.height() / 50) << "pixels that differ";
}

// Stepping in the window: the variable view is filled while paused; closing with unsaved
// changes asks first, and a No keeps the window.
TEST_F(Window, ViewsWhilePausedAndClosingAsks)
{
    host.host_ed_put("var n = 5;\nmain() {\n    n = 6;\n    return n;\n}\n");
    int rows = -1;
    std::function<void()> at_pause = [&] {   // the user's turn once the pause has begun
        if (kov.kov_tstat(TMCD_GET) != TST_SCRPT_PAUSE) return QTimer::singleShot(0, &win, at_pause);
        win.win_command(310);   // the variable view
        rows = win.views[0]->table->rowCount();
        win.win_command(302);   // CONT
    };
    QTimer::singleShot(0, &win, at_pause);
    win.win_command(299);   // STEP: pauses before the first statement
    EXPECT_GT(rows, 0);
    EXPECT_EQ(status(), "スクリプト実行終了(6)");
    kov.csv_put_num(0, 0, 1);
    QTimer::singleShot(0, &win, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w)) {
                EXPECT_EQ(box->text().toStdString(), "非保存終了");
                box->button(QMessageBox::No)->click();
            }
    });
    EXPECT_FALSE(win.close());
    EXPECT_TRUE(win.isVisible());
}

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    kov_qt_translate();   // as the program does at start
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
