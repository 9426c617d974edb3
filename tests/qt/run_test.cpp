// Run control in the window: a seeded random walk of the toolbar's run buttons, script edits
// typed into the script window and cell edits typed into the grid, against a looping script;
// the sheet repainting while a script runs; the statement that runs next shown in the editor.
#include "tests/qt/winfix.h"
#include "ui/views.h"

#include <QAction>
#include <random>

using namespace kovtest;

namespace {

// The window's host on a clock that moves on 250 ms at every reading: a running script pumps
// the events before every statement, so the user's turn never waits for time to pass.
struct FAST_HOST : QT_HOST {
    using QT_HOST::QT_HOST;
    uint32_t t = 0;
    uint32_t host_ticks() override { return t += 250; }
};

// Long loops that end by themselves, so that a run nobody can stop any more still ends.
const char loop_script[] = "var n;\nmain() {\n    for (n = 0; n < 20000; n++) {\n        my[n % 4][1] = n;\n"
                           "        if (n % 3 == 0) my[0][2] = n * 2;\n    }\n}\n";
const char other_script[] = "var k = 1, j;\nf(x) { return x + k; }\nmain() {\n    for (j = 0; j < 20000; j++) {\n"
                            "        k = f(k) % 100;\n        my[1][1] = k;\n    }\n    return k;\n}\n";

struct RunWin : WIN_FIX<FAST_HOST> {
    void SetUp() override
    {
        start(dir / "t.kov");
        host.host_ed_put(loop_script);
        win.show();
        win.editor->show();
    }
    // A toolbar button as the user presses it: nothing happens while it is disabled.
    void press(const char *label)
    {
        for (QAction *a : win.findChildren<QAction *>())
            if (a->text() == QString::fromUtf8(label) && a->isEnabled()) return a->trigger();
    }
    // A message box that a step opened is answered as the user would.
    static void answer_boxes()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) box->done(QMessageBox::Ok);
    }
    // What must hold whatever was pressed: a known state, and the editor's caret and run mark
    // inside the text it shows.
    void check()
    {
        int st = kov.kov_tstat(TMCD_GET);
        ASSERT_TRUE(st >= TST_STOP && st <= TST_CYCLE_10000ms) << st;
        QPlainTextEdit *ed = win.editor->text;
        int len = ed->document()->characterCount();
        ASSERT_LE(ed->textCursor().position(), len);
        for (const auto &sel : ed->extraSelections()) ASSERT_LE(sel.cursor.position(), len);
    }
};

// One random step of the user.
struct WALK {
    RunWin &t;
    std::mt19937 rng;
    int left;
    bool done = false;
    int pick(int n) { return int(rng() % unsigned(n)); }
    void step()
    {
        RunWin::answer_boxes();
        t.check();
        if (left-- <= 0) {
            t.press("STOP");
            done = true;
            return;
        }
        QTimer::singleShot(0, &t.win, [this] { step(); });   // the next step comes at the next pumping
        static const char *const buttons[] = {"RUN ", "STEP", "PAUS", "CONT", "STOP"};
        int k = pick(11);
        if (k < 6) return t.press(buttons[k % 5]);
        if (k == 10) {   // two clicks queued before the next pumping: often STOP, then a start
            t.press(pick(2) ? "STOP" : buttons[pick(5)]);
            return t.press(buttons[pick(2)]);
        }
        if (k < 8) return edit_script(k == 6);
        t.win.grid->grid_goto(pick(4), pick(4));
        t.type_into(t.win.grid, QString::fromUtf8(pick(2) ? "=R0C1+1\n" : "7\n"));
    }
    // A whole script typed over the old one, or one character typed somewhere.
    void edit_script(bool whole)
    {
        QPlainTextEdit *ed = t.win.editor->text;
        if (whole) {
            ed->selectAll();   // CTRL-A is the editor's word left
            return t.type_into(ed, QString::fromUtf8(pick(2) ? loop_script : other_script));
        }
        QTextCursor c = ed->textCursor();
        c.setPosition(pick(std::max(1, ed->document()->characterCount() - 1)));
        ed->setTextCursor(c);
        t.type_into(ed, QString(QChar(" ;}1n\n"[pick(6)])));
    }
};

} // namespace

// The random walk ends with the program alive, stopped, and every position it showed inside the
// text it was shown in.
TEST_F(RunWin, RandomRunControlNeverEndsTheProgram)
{
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        host.host_ed_put(loop_script);
        WALK w{*this, std::mt19937(seed), 150};
        QTimer::singleShot(0, &win, [&] { w.step(); });
        while (!w.done) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        answer_boxes();
        EXPECT_EQ(kov.kov_tstat(TMCD_GET), TST_STOP) << seed;
        check();
    }
}

// The walk that ended the program before: a stopped run that still unwinds while RUN starts the
// next, paused, stepped and stopped.
TEST_F(RunWin, RunWhileTheStoppedRunUnwinds)
{
    std::vector<const char *> seq = {"PAUS", "CONT", "STOP", "RUN ", "PAUS", "STEP", "STEP", "STEP", "STOP", "STOP"};
    size_t k = 0;
    std::function<void()> next = [&] {
        if (k < seq.size()) QTimer::singleShot(0, &win, next);
        if (k < seq.size()) press(seq[k++]);
    };
    QTimer::singleShot(0, &win, next);
    press("RUN ");
    while (k < seq.size() || kov.kov_tstat(TMCD_GET) != TST_STOP) QCoreApplication::processEvents();
    check();
}

// The sheet is painted while a script writes it, not only when the script ends.
TEST_F(RunWin, SheetRepaintsWhileAScriptRuns)
{
    host.host_ed_put("main() { var i; for (i = 1; i <= 40; i++) my[0][0] = i; return 0; }\n");
    double painted = 0;   // what the grid showed in cell R0C0 while the script ran
    struct SPY : QObject {
        std::function<void()> on_paint;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) on_paint();
            return false;
        }
    } spy;
    int paints = 0;
    spy.on_paint = [&] {
        paints++;
        if (kov.kov_tstat(TMCD_GET) == TST_SCRPT_RUN) painted = std::max(painted, kov.csv_get_num(0, 0));
    };
    win.grid->viewport()->installEventFilter(&spy);
    while (!paints) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    press("RUN ");
    win.grid->viewport()->removeEventFilter(&spy);
    EXPECT_GT(painted, 1) << paints;
    EXPECT_EQ(kov.csv_get_num(0, 0), 40);
}
