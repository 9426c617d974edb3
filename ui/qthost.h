// The host of the desktop window: events, timers and posted notices on Qt's event loop, message
// boxes, the clipboard, the status bar, the script window and the window state.
#pragma once
#include <QObject>
#include <QEventLoop>
#include <QTimer>

#include "sheet/kovhost.h"

class KOV_MAINWIN;

class QT_HOST : public QObject, public KOV_HOST {
    Q_OBJECT
public:
    explicit QT_HOST(KOV_MAINWIN *win);
    ~QT_HOST() override;

    void host_redraw(const KOV_RECT *region) override;
    void host_redraw_head() override;
    void host_show_cursor() override;
    void host_status(const char *text) override;
    int host_msgbox(const char *text, const char *title, int kind) override;
    void host_beep() override;
    int host_message(const char *text, int kind) override;
    int host_ask(const char *prompt, std::string &answer) override;
    void host_file_err(const char *name, const char *msg, int err) override;
    void host_nopaint(int on) override;

    void host_run_state(int state) override;
    int host_pump() override;
    void host_wait(int ms) override;
    int host_loop() override;
    void host_quit(int status) override;
    void host_timer(int ms) override;
    void host_post(int code, intptr_t arg) override;

    int host_ed_text(std::string &text) override;
    void host_ed_put(const char *text) override;
    long host_ed_stamp() override;
    const char *host_ed_name() override;
    void host_ed_setname(const char *name) override;
    void host_ed_show(const char *text, long at, long end, const char *msg) override;

    int host_clip_put(const std::string &text) override;
    int host_clip_get(std::string &text) override;

    void host_win_put(const CSV_WINST &ws) override;
    void host_win_get(CSV_WINST &ws) override;
    void host_scrlock(int lock) override;
    void host_diamond(int on) override;

    int gone = 0;   // the main window was closed

private:
    KOV_MAINWIN *mw;
    QTimer timer;
    int quitting = 0;
    int looping = 0;
    QEventLoop *waiting = nullptr;   // the wait of the pause loop being served
};
