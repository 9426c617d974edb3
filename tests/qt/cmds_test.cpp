// The window's commands with real widgets and real mouse and key events: the right click on a
// selection, the check marks of the view menu, opening over unsaved changes, Qt's own texts.
#include "tests/qt/winfix.h"

#include <QFileDialog>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

using namespace kovtest;

namespace {

struct Cmds : WIN_FIX<> {
    std::string a = dir / "a.kov", b = dir / "b.kov";
    void SetUp() override
    {
        start(a);
        kov.csv_put_num(0, 0, 2);
        ASSERT_EQ(kov.cse_fsave(b.c_str()), 0);
        kov.csv_put_num(0, 0, 1);
        ASSERT_EQ(kov.cse_fsave(a.c_str()), 0);
        show_active();
    }
    // The centre of a cell on the grid's viewport, measured as the grid draws it.
    QPoint at(int x, int y)
    {
        QFontMetrics fm(win.grid->font());
        int cw = std::max(1, fm.horizontalAdvance(QLatin1Char('0'))), rh = fm.height() + 4;
        int px = kov.csv_rnwide * cw + 6;
        for (int c = win.grid->left; c < x; c++) px += kov.csv_get_wide(c) * cw;
        return {px + kov.csv_get_wide(x) * cw / 2, rh + (y - win.grid->top) * rh + rh / 2};
    }
    // Through the window system's door, as the platform delivers it (a right press there also
    // makes the context menu event).
    void click(int x, int y, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {})
    {
        QTest::mouseClick(win.windowHandle(), b, m, win.grid->viewport()->mapTo(&win, at(x, y)));
    }
    std::tuple<int, int, int, int, int, int> sel()
    {
        const KOV_RECT &r = kov.kov_sel;
        return {r.x1, r.y1, r.x2, r.y2, kov.csv_curx, kov.csv_cury};
    }
    std::string sheet() { return strrchr(kov.csv_get_fname(), '/') + 1; }
    QMenu *menu(int k) { return win.menuBar()->actions().value(k)->menu(); }
};

} // namespace

// A right click inside the selection keeps it for the context menu; outside it moves there.
TEST_F(Cmds, RightClickKeepsTheSelectionItFallsIn)
{
    click(1, 1);
    click(3, 4, Qt::LeftButton, Qt::ShiftModifier);
    ASSERT_EQ(sel(), std::make_tuple(1, 1, 3, 4, 3, 4));
    int menus = 0;
    auto close_menu = [&](QMenu *m) { menus++, m->close(); };
    when_shown<QMenu>(close_menu);
    click(2, 2, Qt::RightButton);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(sel(), std::make_tuple(1, 1, 3, 4, 3, 4));
    when_shown<QMenu>(close_menu);
    click(6, 2, Qt::RightButton);
    EXPECT_EQ(menus, 2);
    EXPECT_EQ(sel(), std::make_tuple(6, 2, 6, 2, 6, 2));
}

// The view menu's switches show their state: after their own command, after a sheet that sets
// them is loaded, and after the settings put them back.
TEST_F(Cmds, ViewMenuCheckMarksFollowTheState)
{
    QMenu *view = menu(3);
    auto checks = [&] {
        std::string s;
        for (int k = 0; k < 6; k++) s += view->actions().value(k)->isChecked() ? '1' : '0';
        return s;
    };
    EXPECT_EQ(checks(), "111111");
    QTest::keyClick(&win, Qt::Key_D, Qt::AltModifier);   // the menu by its key, then its items
    ASSERT_TRUE(view->isVisible());
    QTest::keyClick(view, Qt::Key_R);   // row names off
    EXPECT_EQ(checks(), "101111");
    QTest::keyClick(&win, Qt::Key_D, Qt::AltModifier);
    QTest::keyClick(view, Qt::Key_T);   // toolbar off
    EXPECT_FALSE(win.findChild<QToolBar *>()->isVisible());
    EXPECT_EQ(checks(), "001111");
    // A sheet saved so, the switches back on, the sheet loaded again: its state comes along.
    std::string c = dir / "c.kov";
    ASSERT_EQ(kov.cse_fsave(c.c_str()), 0);
    kov.wm_menu(KVM_TOOLBAR), kov.wm_menu(KVM_ROWNAME);
    win.win_checks();
    EXPECT_EQ(checks(), "111111");
    ASSERT_EQ(kov.cse_fload(c.c_str()), 0);   // as at start, without the window's open
    EXPECT_EQ(checks(), "001111");
    EXPECT_EQ(view->actions().value(9)->text().toStdString(), "スクーンロック(&Z)");
    EXPECT_FALSE(view->actions().value(9)->isChecked());
    kov.cse_set_scrlock(1);
    EXPECT_TRUE(view->actions().value(9)->isChecked());
}

// Opening another sheet over a changed cell asks first: Cancel keeps the sheet and the change,
// No drops it; the file is chosen in the real dialog.
TEST_F(Cmds, OpenAsksAboutUnsavedChanges)
{
    QTest::keyClicks(win.grid, "7");
    QTest::keyClick(win.grid->grid_editor(), Qt::Key_Return);
    ASSERT_EQ(kov.csv_get_num(0, 0), 7);
    QString asked;
    auto choose_b = [&](QMessageBox::StandardButton answer) {
        when_shown<QFileDialog>([&, answer](QFileDialog *d) {
            d->selectFile(QString::fromStdString(b));
            answer_box(answer, &asked);
            static_cast<QDialog *>(d)->accept();
        });
        win.activateWindow();   // back from the last dialog
        ASSERT_TRUE(QTest::qWaitForWindowActive(&win));
        QTest::keyClick(&win, Qt::Key_O, Qt::ControlModifier);
    };
    choose_b(QMessageBox::Cancel);
    EXPECT_EQ(asked.toStdString(), "非保存データを保存しますか");
    EXPECT_EQ(sheet(), "a.kov");
    EXPECT_EQ(kov.csv_get_num(0, 0), 7);
    asked.clear();
    choose_b(QMessageBox::No);
    EXPECT_EQ(asked.toStdString(), "非保存データを保存しますか");
    EXPECT_EQ(sheet(), "b.kov");
    EXPECT_EQ(kov.csv_get_num(0, 0), 2);
    EXPECT_TRUE(win.windowTitle().startsWith(QString::fromStdString(b)));
}

// Qt's standard buttons speak Japanese when Qt's translations are installed.
TEST_F(Cmds, StandardButtonsInJapanese)
{
    QString qm = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm");
    if (!QFile::exists(qm)) GTEST_SKIP() << "no " << qm.toStdString();
    kov.csv_put_num(0, 0, 5);
    QString yes, no;
    when_shown<QMessageBox>([&](QMessageBox *box) {
        yes = box->button(QMessageBox::Yes)->text(), no = box->button(QMessageBox::No)->text();
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(win.win_open(QString::fromStdString(b)), -1);
    EXPECT_EQ(yes.toStdString(), "はい(&Y)");
    EXPECT_EQ(no.toStdString(), "いいえ(&N)");
}
