#include "ui/qthost.h"
#include "app/kov.h"
#include "ui/grid.h"
#include "ui/mainwin.h"
#include "ui/qtext.h"
#include "ui/views.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QInputDialog>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>
#include <cstring>

QT_HOST::QT_HOST(KOV_MAINWIN *w) : mw(w)
{
    connect(&timer, &QTimer::timeout, this, [this] {
        if (host_ev) host_ev->kov_tick();
    });
}

QT_HOST::~QT_HOST() = default;

// Parts follow their formulas when rows or columns moved under them.
void QT_HOST::host_redraw(const KOV_RECT *)
{
    mw->grid->viewport()->update();
    mw->grid->grid_place_parts();
}
void QT_HOST::host_redraw_head() { mw->grid->viewport()->update(); }
void QT_HOST::host_show_cursor() { mw->grid->grid_follow(); }

int QT_HOST::host_ask(const char *prompt, std::string &answer)
{
    // Asked again while the answer holds what Shift-JIS cannot: a search must not look for '?'.
    QString t, bad;
    for (;;) {
        bool ok = false;
        t = QInputDialog::getText(mw, QStringLiteral("Kovash"), kov_qs(prompt), QLineEdit::Normal, t, &ok);
        if (!ok) return -1;
        if (kov_sj_ok(t, answer, &bad)) return 0;
        mw->statusBar()->showMessage(kov_sj_refusal(bad));
        QApplication::beep();
    }
}
void QT_HOST::host_status(const char *text) { mw->statusBar()->showMessage(kov_qs(text)); }
void QT_HOST::host_beep() { QApplication::beep(); }
void QT_HOST::host_nopaint(int on) { mw->grid->viewport()->setUpdatesEnabled(!on); }

int QT_HOST::host_msgbox(const char *text, const char *title, int kind)
{
    QMessageBox::StandardButtons b = kind == KOV_MB_OKCANCEL      ? QMessageBox::Ok | QMessageBox::Cancel
                                   : kind == KOV_MB_YESNOCANCEL   ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                   : kind == KOV_MB_YESNO         ? QMessageBox::Yes | QMessageBox::No
                                                                  : QMessageBox::Ok;
    QString t = title && *title ? kov_qs(title) : QStringLiteral("Kovash");
    int a = QMessageBox::information(mw, t, kov_qs(text), b);
    return a == QMessageBox::Cancel ? KOV_IDCANCEL : a == QMessageBox::Yes ? KOV_IDYES : a == QMessageBox::No ? KOV_IDNO : KOV_IDOK;
}

int QT_HOST::host_message(const char *text, int kind) { return host_msgbox(text, "message", kind); }

void QT_HOST::host_file_err(const char *name, const char *msg, int err)
{
    QString t = QString::fromLocal8Bit(name) + kov_qs(msg);
    if (err > 0) t += QStringLiteral(": ") + QString::fromLocal8Bit(strerror(err));
    if (err == KOV_ENOTREG) t += QStringLiteral(": not a regular file");
    QMessageBox::warning(mw, QStringLiteral("Kovash"), t);
}

// ---- run control ----

void QT_HOST::host_run_state(int state)
{
    mw->win_run_state(state);
    if (waiting) waiting->quit();   // the pause loop looks at the new state at once
}

int QT_HOST::host_pump()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    KOV_HOST::host_pump();
    return gone ? -1 : 0;
}

// Events are served while waiting, so that a paused script leaves the window usable.
void QT_HOST::host_wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms > 0 ? ms : 0, &loop, &QEventLoop::quit);
    QEventLoop *outer = waiting;
    waiting = &loop;
    loop.exec();
    waiting = outer;
}

int QT_HOST::host_loop()
{
    if (quitting) return quit_status;
    looping = 1;
    int st = QApplication::exec();
    looping = 0;
    return quitting ? quit_status : st;
}

void QT_HOST::host_quit(int status)
{
    quit_status = status;
    quitting = 1;
    if (looping) QApplication::exit(status);
}

void QT_HOST::host_timer(int ms)
{
    KOV_HOST::host_timer(ms);
    if (ms > 0) timer.start(ms);
    else timer.stop();
}

void QT_HOST::host_post(int code, intptr_t arg)
{
    QMetaObject::invokeMethod(
        this, [this, code, arg] {
            if (host_ev) host_ev->kov_notify(code, arg);
        },
        Qt::QueuedConnection);
}

// ---- the script window ----

int QT_HOST::host_ed_text(std::string &text)
{
    if (!mw->editor->loaded) return -1;
    text = mw->editor->ed_text();
    return 0;
}

void QT_HOST::host_ed_put(const char *text)
{
    mw->editor->ed_put(text);
    if (mw->kov) mw->editor->enc = mw->kov->kov_scr_enc;   // the editor's own saves keep the file's encoding
}

long QT_HOST::host_ed_stamp() { return mw->editor->loaded ? mw->editor->stamp : -1; }

// The editor keeps the name: its own commands may rename the text.
const char *QT_HOST::host_ed_name() { return mw->editor->ed_name(); }
void QT_HOST::host_ed_setname(const char *name) { mw->editor->ed_set_name(name); }

// Offsets are bytes of the Shift-JIS text that ran: counted again in characters.
void QT_HOST::host_ed_show(const char *text, long at, long end, const char *msg)
{
    KOV_EDITWIN *ed = mw->editor;
    if (!text) return ed->run_end();
    long len = long(strlen(text));
    auto chars = [&](long b) { return b < 0 ? -1L : long(kov_qs(std::string(text, size_t(std::min(b, len)))).size()); };
    long a = chars(at), e = chars(std::max(at, end));
    if (!msg) return ed->show_run(a, e);
    ed->show_fail(a, e, kov_qs(msg));
    if (*msg) ed->show();
}

// ---- clipboard ----

int QT_HOST::host_clip_put(const std::string &text)
{
    QApplication::clipboard()->setText(kov_qs(text));
    return 0;
}

int QT_HOST::host_clip_get(std::string &text)
{
    text = kov_sj(QApplication::clipboard()->text());
    return 0;
}

// ---- window state ----

void QT_HOST::host_win_put(const CSV_WINST &ws)
{
    KOV_HOST::host_win_put(ws);
    const int *v = win.v;
    if (v[CSV_WS_FONTSIZ] > 0) mw->grid->grid_font(v[CSV_WS_FONTSIZ]);
    if (v[CSV_WS_TOOLBAR] >= 0)
        for (QToolBar *t : mw->findChildren<QToolBar *>()) t->setVisible(v[CSV_WS_TOOLBAR]);
    if (v[CSV_WS_STATBAR] >= 0) mw->statusBar()->setVisible(v[CSV_WS_STATBAR]);
    if (v[CSV_WS_HSCROLL] >= 0) mw->grid->setHorizontalScrollBarPolicy(v[CSV_WS_HSCROLL] ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    if (v[CSV_WS_VSCROLL] >= 0) mw->grid->setVerticalScrollBarPolicy(v[CSV_WS_VSCROLL] ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    if (v[CSV_WS_FULLSIZ] == 1) mw->setWindowState(mw->windowState() | Qt::WindowMaximized);
    else if (v[CSV_WS_DSPSIZX] > 0 && v[CSV_WS_DSPSIZY] > 0) mw->resize(v[CSV_WS_DSPSIZX], v[CSV_WS_DSPSIZY]);
    if (v[CSV_WS_CSRPOSX] >= 0 && v[CSV_WS_CSRPOSY] >= 0) mw->grid->grid_goto(v[CSV_WS_CSRPOSX], v[CSV_WS_CSRPOSY]);
    mw->grid->grid_sizes();
    mw->win_checks();
}

void QT_HOST::host_win_get(CSV_WINST &ws)
{
    KOV_HOST::host_win_get(ws);
    ws.v[CSV_WS_FULLSIZ] = mw->isMaximized() ? 1 : 0;
    if (!mw->isMaximized() && mw->isVisible()) ws.v[CSV_WS_DSPSIZX] = mw->width(), ws.v[CSV_WS_DSPSIZY] = mw->height();
    ws.v[CSV_WS_DSPPOSX] = mw->grid->left;
    ws.v[CSV_WS_DSPPOSY] = mw->grid->top;
}

void QT_HOST::host_scrlock(int lock)
{
    KOV_HOST::host_scrlock(lock);
    mw->win_run_state(mw->kov ? mw->kov->kov_tstat(TMCD_GET) : TST_STOP);
}

void QT_HOST::host_diamond(int on)
{
    KOV_HOST::host_diamond(on);
    mw->grid->diamond = on;
    mw->grid->viewport()->update();
    mw->win_checks();
}
