// The desktop window's entry: the Qt application, the main window, its host and the one
// application object, in that order, and the picture mode (--screenshot) for tests and docs.
#include "app/kov.h"
#include "app/kovwin.h"
#include "base/kovlog.h"
#include "ui/qtext.h"
#include "ui/grid.h"
#include "ui/mainwin.h"
#include "ui/qthost.h"
#include "sheet/cellref.h"
#include "ui/views.h"

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

// Qt's own notes about the platform (a missing runtime folder, size hints the offscreen platform
// ignores) are not the user's business: they go to the log's trace (the window itself writes no
// warnings); critical and fatal ones stay on stderr.
void qt_messages(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) {
        KOV_LOG("Qt: %s", kov_sj(msg).c_str());
        return;
    }
    fprintf(stderr, "kovash: %s\n", msg.toLocal8Bit().constData());
    if (type == QtFatalMsg) abort();
}

// The picture's size within the window's least and largest, said when it had to change.
QSize shot_size(const QWidget &win, int w, int h)
{
    QSize least = win.minimumSizeHint().expandedTo(QSize(KOV_WIN_MINX, KOV_WIN_MINY));
    QSize s = QSize(w, h).expandedTo(least).boundedTo(QSize(KOV_WIN_MAX, KOV_WIN_MAX));
    if (s != QSize(w, h))
        fprintf(stderr, "kovash: --size %dx%d is outside the window's %dx%d..%dx%d: the picture is %dx%d\n", w, h,
                least.width(), least.height(), KOV_WIN_MAX, KOV_WIN_MAX, s.width(), s.height());
    return s;
}

// --print: the sheet loaded and recalculated, its cells printed into a PDF file.
int print_pdf(KOV_U &kov, KOV_MAINWIN &win, const QString &pdf, const KOV_WINOPT &opt)
{
    if (opt.file && kov.cse_fload(opt.file) < 0) return 1;
    KOV_RECT r{};
    if (opt.region) {
        const char *p = opt.region;
        if (csv_parse_range(p, 0, 0, &r) != 0 || *p) {
            fprintf(stderr, "kovash: --region %s: not a cell range such as R0C0:R20C5\n", opt.region);
            return 2;
        }
    }
    win.printer->prn_to_pdf(pdf.toLocal8Bit().toStdString());
    if (kov.kov_print(opt.region ? &r : nullptr) != 0) {
        fprintf(stderr, "kovash: %s: nothing printed\n", opt.pdf);
        return 1;
    }
    return 0;
}

} // namespace

extern "C" int kov_window_main(int argc, char **argv, const KOV_WINOPT &opt)
{
    const bool batch = opt.shot || opt.pdf;   // a picture or a print, then the end
    if (batch && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!batch && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY") && !getenv("QT_QPA_PLATFORM")) return -2;
    qInstallMessageHandler(qt_messages);
    // Loading makes the sheet's folder the working one: the picture's name is taken before.
    QString shot = opt.shot ? QFileInfo(QString::fromLocal8Bit(opt.shot)).absoluteFilePath() : QString();
    QString pdf = opt.pdf ? QFileInfo(QString::fromLocal8Bit(opt.pdf)).absoluteFilePath() : QString();
    QApplication app(argc, argv);
    kov_qt_translate();
    WINDOW win;
    QT_HOST host(&win);
    win.host = &host;
    KOV_U kov(&host);
    win.win_attach(&kov);
    if (kov.kov_start(opt.exe, opt.file) < 0) return 1;
    win.editor->ed_settings(&kov.kov_prof);   // the editor's keys too are in the file from the start
    QSize size = opt.width > 0 && opt.height > 0 ? shot_size(win, opt.width, opt.height) : QSize();
    if (size.isValid()) win.resize(size);
    win.show();
    win.grid->setFocus();   // typing goes to the sheet from the start
    if (!batch && kov.kov_auto_start(opt.file, "kov") < 0) return 1;
    if (opt.pdf) return print_pdf(kov, win, pdf, opt);
    if (opt.shot) {
        if (opt.file && kov.cse_fload(opt.file) < 0) return 1;
        if (size.isValid()) win.resize(size);
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
