// The window of the tests: a main window, its host and the application on it, started in a
// scratch folder on the sheet NAME.kov and shown. Keys are typed as real key events.
#pragma once
#include "app/kov.h"
#include "gadgets/qt/wpqt.h"
#include "tests/support/tmpdir.h"
#include "ui/grid.h"
#include "ui/mainwin.h"
#include "ui/qtext.h"
#include "ui/qthost.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <string>

template <class HOST = QT_HOST>
struct WIN_FIX : ::testing::Test {
    kovtest::TmpDir dir;
    KOV_MAINWIN win;
    HOST host{&win};
    KOV_U kov{&host};
    // Attached and started on the sheet (not yet shown).
    void start(const std::string &sheet)
    {
        win.win_attach(&kov);
        ASSERT_EQ(kov.kov_start((dir / "kovash").c_str(), nullptr), 0);
        kov.kov_auto_start(sheet.c_str(), "kov");
    }
    // A formula (UTF-8, with its "=") committed as the user's cell editor commits it.
    void form(int x, int y, const char *utf8)
    {
        std::string msg;
        ASSERT_EQ(kov.cse_edit_commit(x, y, KOV_ED_FORM, kov_sj(QString::fromUtf8(utf8)).c_str(), msg), 0) << msg;
    }
    double num(int x, int y) { return kov.csv_get_cel(x, y) ? kov.csv_get_num(x, y) : -999; }
    // A cell's value as its text or its number ("%g"), Shift-JIS as stored.
    std::string value(int x, int y)
    {
        char b[64];
        if (const char *t = CSV_U::csv_cel_str(kov.csv_get_cel(x, y), b)) return t;
        snprintf(b, sizeof b, "%g", kov.csv_get_num(x, y));
        return b;
    }
    // Shown and active, the keyboard on the grid (the size when w > 0).
    void show_active(int w = 0, int h = 0)
    {
        if (w > 0) win.resize(w, h);
        win.show();
        win.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&win));
        win.grid->setFocus();
    }
    template <class T = WP_PART> T *part(int x, int y) { return dynamic_cast<T *>(kov.csv_get_part(x, y)); }
    // The frame of a pasted part's view on the grid.
    QFrame *frame(int x, int y)
    {
        WP_QTVIEW *v = WP_QTVIEWS::qt_view_of(part(x, y));
        return v ? v->frame.data() : nullptr;
    }
    std::string status() { return win.statusBar()->currentMessage().toStdString(); }
    // Characters as a keyboard sends them; a line end is the Return key.
    static void type_into(QWidget *w, const QString &text)
    {
        for (QChar c : text) {
            if (c == QLatin1Char('\n')) {
                QTest::keyClick(w, Qt::Key_Return);
                continue;
            }
            QKeyEvent press(QEvent::KeyPress, c.unicode() < 128 ? QChar(c).toUpper().unicode() : 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &press);
        }
    }
};

// Acts on the first visible top-level T as soon as one is shown: inside the modal loop that
// shows it. Gives up after many turns of the event loop, so that a missing box fails the test.
template <class T> void when_shown(std::function<void(T *)> act, int turns = 2000)
{
    QTimer::singleShot(0, [act, turns] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *t = qobject_cast<T *>(w); t && t->isVisible()) return act(t);
        if (turns > 0) return when_shown<T>(act, turns - 1);
        ADD_FAILURE() << "nothing was shown";
    });
}

// The answer given to the next message box, and what it asked.
inline void answer_box(QMessageBox::StandardButton b, QString *text = nullptr)
{
    when_shown<QMessageBox>([b, text](QMessageBox *box) {
        if (text) *text = box->text();
        box->button(b)->click();
    });
}
