// The desktop window's entry: the Qt application, the main window, its host and the one
// application object, in that order, and the picture mode (--screenshot) for tests and docs.
#include "app/kov.h"
#include "app/kovwin.h"
#include "ui/grid.h"
#include "ui/mainwin.h"
#include "ui/qthost.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

namespace {

// The window ends the application: its close (after its own questions) is the loop's end.
struct WINDOW : KOV_MAINWIN {
    QT_HOST *host = nullptr;
    void closeEvent(QCloseEvent *e) override
    {
        KOV_MAINWIN::closeEvent(e);
        if (!e->isAccepted() || !kov) return;
        host->gone = 1;
        kov->kov_put_set(SET_FULSIZE, isMaximized() ? 1 : 0);
        if (!isMaximized()) kov->kov_put_set(SET_DSPSIZX, width()), kov->kov_put_set(SET_DSPSIZY, height());
        host->host_quit(0);
    }
};

} // namespace

int kov_window_main(int argc, char **argv, const KOV_WINOPT &opt)
{
    if (opt.shot && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!opt.shot && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY") && !getenv("QT_QPA_PLATFORM")) return -2;
    // Loading makes the sheet's folder the working one: the picture's name is taken before.
    QString shot = opt.shot ? QFileInfo(QString::fromLocal8Bit(opt.shot)).absoluteFilePath() : QString();
    QApplication app(argc, argv);
    kov_qt_translate();
    WINDOW win;
    QT_HOST host(&win);
    win.host = &host;
    KOV_U kov(&host);
    win.win_attach(&kov);
    if (kov.kov_start(opt.exe, opt.file) < 0) return 1;
    if (opt.width > 0 && opt.height > 0) win.resize(opt.width, opt.height);
    win.show();
    win.grid->setFocus();   // typing goes to the sheet from the start
    if (!opt.shot && kov.kov_auto_start(opt.file, "kov") < 0) return 1;
    if (opt.shot) {
        if (opt.file && kov.cse_fload(opt.file) < 0) return 1;
        if (opt.width > 0 && opt.height > 0) win.resize(opt.width, opt.height);
        win.grid->grid_sizes();
        win.win_title();
        QApplication::processEvents();
        if (!win.grab().save(shot, "PNG")) {
            fprintf(stderr, "kovash: %s: cannot write the picture\n", opt.shot);
            return 1;
        }
        return 0;
    }
    win.grid->grid_sizes();
    win.win_title();
    return kov.win_loop();
}
