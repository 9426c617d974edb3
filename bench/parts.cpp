// Part figures on the offscreen platform, each case in a child process of its own (Qt is made in
// the child, never in this one, so that forking stays safe):
//  1. a click on a push button of a panel of 1,000 formulas and 50 parts, through the notice that
//     recalculates the sheet, to the end of the repaint of the grid with its part widgets;
//  2. a graph over 1,000 points as a cycle redraws it: its formula recalculated and its widget
//     repainted; the memory a part takes, for graphs, buttons and LED texts;
//  3. a sheet of 257 parts saved as .kov, loaded and opened in the window up to its first frame.
// Each figure is a median with its limit beside it. BENCH_PARTS_ONLY=N runs figure N alone (for a
// profiler); BENCH_PARTS_SHOT=FILE.png keeps the panel's last frame, to see what was measured.
#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/kov.h"
#include "bench/benchutil.h"
#include "gadgets/qt/wpqt.h"
#include "gadgets/wpkinds.h"
#include "ui/grid.h"
#include "ui/mainwin.h"
#include "ui/qthost.h"

namespace {

std::string scratch;   // the program's folder of every case: its settings and log stay there

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void verdict(const char *what, double got, double limit, const char *unit)
{
    printf("%-70s %8.2f %s (limit %g %s)%s\n", what, got, unit, limit, unit, got > limit ? "  OVER" : "");
}

void quiet(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) fprintf(stderr, "%s\n", msg.toLocal8Bit().constData());
}

// The window as the program opens it: the application, the main window, its host and KOV_U.
struct WINDOW {
    KOV_MAINWIN win;
    QT_HOST host{&win};
    KOV_U kov{&host};
    QImage img;
    WINDOW()
    {
        win.win_attach(&kov);
        kov.kov_start((scratch + "/kovash").c_str(), nullptr);
        host.host_ed_put("");   // an empty script: formulas need one to link against
        win.resize(1920, 1080);
        win.show();
        win.grid->grid_sizes();
        QApplication::processEvents();
    }
    void form(int x, int y, const std::string &f)
    {
        if (kov.csv_put_form(x, y, f.c_str()) != 0) fprintf(stderr, "formula refused at (%d,%d): %s\n", x, y, f.c_str());
    }
    // The grid's viewport with the part widgets over it, as an expose paints it.
    void paint()
    {
        QWidget *vp = win.grid->viewport();
        if (img.size() != vp->size()) img = QImage(vp->size(), QImage::Format_RGB32);
        vp->render(&img);
    }
    WP_PART *part(int x, int y) { return dynamic_cast<WP_PART *>(kov.csv_get_part(x, y)); }
    QFrame *frame(int x, int y)
    {
        WP_QTVIEW *v = WP_QTVIEWS::qt_view_of(part(x, y));
        return v ? v->frame.data() : nullptr;
    }
};

template <class F> void qt_child(F run)
{
    bench::in_child([&] {
        int argc = 1;
        char name[] = "bench_parts", *argv[] = {name, nullptr};
        QApplication app(argc, argv);
        run();
    });
}

std::string fmt(const char *f, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char *f, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, f);
    vsnprintf(buf, sizeof buf, f, ap);
    va_end(ap);
    return buf;
}

// ---------------------------------------------------------------- 1. a click on a panel

// 50 parts over rows 0..9 (each 1 column by 2 rows, the kinds interleaved), a click counter at
// R0C11, 989 formulas over rows 12..110 that read the button (through the counter) and each
// other, and 10 formulas that set the lamps' colours: 1,000 formulas besides the parts'.
void panel(WINDOW &w)
{
    for (int b = 0; b < 5; b++)
        for (int i = 0; i < 10; i++) {
            int x = i, y = 2 * b;
            switch ((i + b) % 5) {
            case 0: w.form(x, y, fmt("wpPUSH(1,2,\"\",\"B%d\",\"\")", b * 10 + i)); break;
            case 1: w.form(x, y, "wpTNLAMP(1,2,\"\",\"L\",\"green\")"); break;
            case 2: w.form(x, y, fmt("wpTNGRAPH(1,2,\"PUSHF,%s\",R12C%d:R110C%d,0,0,\"Blue\",\"White\")", i % 2 ? "VBAR" : "VLINE", i, i)); break;
            case 3: w.form(x, y, fmt("wpTPUTS(1,2,\"PUSHF\",pprintf(\"%%7.1f\",R110C%d),\"LEDG\")", i)); break;
            default: w.form(x, y, "wpHSCROLL(1,2,\"\",100,RC,0)"); break;
            }
        }
    w.form(11, 0, "RC+R0C0");
    int n = 1;
    for (int y = 12; y <= 110; y++)
        for (int x = 0; x < 10; x++, n++) {
            if (x == 0) w.form(x, y, fmt("R0C11*0.5+R[-1]C*0.9+SIN(%d)", y));
            else w.form(x, y, "RC[-1]*0.5+R[-1]C*0.5+R0C0");
        }
    for (int b = 0; b < 5; b++)
        for (int i = 0; i < 10; i++)
            if ((i + b) % 5 == 1)
                w.form(11, 12 + n++ % 10, fmt("wp(R%dC%d,\"SET\",IF(MOD(R0C11+%d,2),\"red\",\"green\"))", 2 * b, i, i));
    w.kov.csv_form_calc(nullptr);
    w.win.grid->grid_sizes();
    QApplication::processEvents();
    w.paint();
}

void mouse(QWidget *b, QEvent::Type t)
{
    QPoint at = b->rect().center();
    QMouseEvent e(t, at, b->mapToGlobal(at), Qt::LeftButton, t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(b, &e);
}

void click_case()
{
    WINDOW w;
    panel(w);
    QFrame *f = w.frame(0, 0);
    auto *b = f ? f->findChild<QPushButton *>() : nullptr;
    if (!b || !b->isVisible()) return (void)printf("1. no visible button at R0C0\n");
    printf("1. panel: %d parts, %d live part widgets\n", w.kov.wp_count(), int(w.win.grid->grid_parts()->views.size()));
    std::vector<double> all, served, painted;
    for (int k = 0; k < 110; k++) {
        double before = w.kov.csv_get_num(11, 0);
        double t0 = bench::now_ms();
        mouse(b, QEvent::MouseButtonPress);
        mouse(b, QEvent::MouseButtonRelease);   // the button's clicked: the part's press
        // The notices the press posted (2 the beep, 3 the recalculation) served as the loop serves
        // them. Only they: the loop would also paint the window's backing store, and the render
        // below is that paint, which is not to be counted twice.
        for (int turn = 0; turn < 100 && w.kov.csv_get_num(11, 0) == before; turn++)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        double t1 = bench::now_ms();
        w.paint();
        double t2 = bench::now_ms();
        if (w.kov.csv_get_num(11, 0) != before + 1) return (void)printf("1. the click was not counted (%g)\n", w.kov.csv_get_num(11, 0));
        // The loop's own paint of what the recalculation left, outside the figure: left pending
        // it would be made by the next press's repaint of the button, and counted there.
        QApplication::processEvents();
        if (k < 10) continue;   // warming up
        all.push_back(t2 - t0), served.push_back(t1 - t0), painted.push_back(t2 - t1);
    }
    if (const char *shot = getenv("BENCH_PARTS_SHOT")) w.img.save(QString::fromLocal8Bit(shot));
    printf("   click to notice served (recalculation): %.2f ms, repaint: %.2f ms (medians)\n", median(served), median(painted));
    verdict("1. click on a button to the repainted panel (1,000 formulas, 50 parts)", median(all), 16, "ms");
}

// ---------------------------------------------------------------- 2. a graph redrawn, memory

void graph_case(const char *mode)
{
    WINDOW w;
    auto data = [&](int phase) {
        for (int k = 0; k < 1000; k++) w.kov.csv_put_num(0, 20 + k, 50 + 40 * sin((k + phase) / 30.0) + (k * 7919 + phase) % 13);
    };
    data(0);
    w.form(2, 0, fmt("wpTNGRAPH(6,10,\"PUSHF,%s\",R20C0:R1019C0,0,0,\"Blue\",\"White\")", mode));
    w.kov.csv_form_calc(nullptr);
    QApplication::processEvents();
    w.paint();
    auto *g = dynamic_cast<WP_GRAPH *>(w.part(2, 0));
    QFrame *f = w.frame(2, 0);
    if (!g || !f) return (void)printf("2. no graph at R0C2\n");
    QImage img(f->size(), QImage::Format_RGB32);
    const KOV_RECT home = {2, 0, 2, 0};
    std::vector<double> ms;
    for (int k = 0; k < 110; k++) {
        data(k + 1);   // the cycle's new numbers
        double t0 = bench::now_ms();
        w.kov.csv_form_calc(&home);
        f->render(&img);
        double t1 = bench::now_ms();
        if (g->count != 1000) return (void)printf("2. the graph drew %d points\n", g->count);
        if (k >= 10) ms.push_back(t1 - t0);
    }
    int wc, hc;
    g->wp_client(wc, hc);
    verdict(fmt("2. %s graph of 1,000 points (%dx%d px): recalculation + repaint", mode, wc, hc).c_str(), median(ms), 2, "ms");
}

// VmRSS growth of 200 parts of one kind (after one of the kind was made and painted, so that the
// code it runs is in memory already), per part.
void memory_case(const char *kind)
{
    WINDOW w;
    for (int y = 50; y < 60; y++)
        for (int x = 0; x < 10; x++) w.kov.csv_put_num(x, y, (x * 37 + y * 11) % 100);
    auto make = [&](int n) {
        int x = n % 10, y = 2 * (n / 10);
        if (!strcmp(kind, "graph")) w.form(x, y, "wpTNGRAPH(1,2,\"PUSHF,VLINE\",R50C0:R59C9,0,100,\"Blue\",\"White\")");
        else if (!strcmp(kind, "button")) w.form(x, y, fmt("wpPUSH(1,2,\"\",\"B%d\",\"\")", n));
        else w.form(x, y, fmt("wpTPUTS(1,2,\"PUSHF\",pprintf(\"%%7.1f\",R50C%d),\"LEDG\")", n % 10));
    };
    make(200);
    w.kov.csv_form_calc(nullptr);
    QApplication::processEvents();
    w.paint();
    long before = bench::status_kb("VmRSS");
    for (int n = 0; n < 200; n++) make(n);
    w.kov.csv_form_calc(nullptr);
    QApplication::processEvents();
    w.paint();
    long after = bench::status_kb("VmRSS");
    printf("2. memory per %-6s part: %6.1f kB (VmRSS %ld -> %ld kB over 200 parts, %d live)\n", kind,
           (after - before) / 200.0, before, after, w.kov.wp_count());
}

// ---------------------------------------------------------------- 3. 257 parts loaded

// Written without a window: 257 parts of twelve kinds over 16 columns, the data they show below.
int save_257(const std::string &path)
{
    KOV_U kov;
    kov.csv_create(KOV_INIT_XS, KOV_INIT_YS);
    kov.kov_host().host_ed_put("");
    for (int y = 40; y < 60; y++)
        for (int x = 0; x < 16; x++) kov.csv_put_form(x, y, fmt("ROUND(50+40*SIN((%d+%d)/3),1)", x, y).c_str());
    for (int n = 0; n < 257; n++) {
        int x = n % 16, y = 2 * (n / 16);
        std::string f;
        switch (n % 12) {
        case 0: f = fmt("wpPUSH(1,2,\"\",\"B%d\",\"\")", n); break;
        case 1: f = "wpTNLAMP(1,2,\"\",\"L\",\"green\")"; break;
        case 2: f = fmt("wpTNGRAPH(1,2,\"PUSHF,VLINE\",R40C%d:R59C%d,0,100,\"Blue\",\"White\")", x, x); break;
        case 3: f = fmt("wpTPUTS(1,2,\"PUSHF\",pprintf(\"%%5.1f\",R40C%d),\"LEDG\")", x); break;
        case 4: f = "wpHSCROLL(1,2,\"\",100,RC,0)"; break;
        case 5: f = "wpPUSHLOCK(1,2,\"\",\"Run\",\"Yellow\",RC)"; break;
        case 6: f = "wpCHECK(1,2,\"\",\"On\",RC)"; break;
        case 7: f = fmt("wpICOMBO(1,2,\"\",R40C%d:R49C%d,RC)", x, x); break;
        case 8: f = "wpVGETD(1,2,\"PUSHF\",\"LCD1\",0,50,5,RC)"; break;
        case 9: f = fmt("wpTNGRAPH(1,2,\"PUSHF,VBAR\",R40C%d:R59C%d,0,100,\"Red\",\"White\")", x, x); break;
        case 10: f = "wpTNBOARD(1,2,\"\",\"White\")"; break;
        default: f = fmt("wpTPUTS(1,2,\"\",pprintf(\"%%5.1f\",R41C%d),\"LCD1\")", x); break;
        }
        kov.csv_put_form(x, y, f.c_str());
    }
    kov.csv_form_calc(nullptr);
    int parts = kov.wp_count();
    if (kov.cse_fsave(path.c_str()) != 0) return -1;
    return parts;
}

void load_case(const std::string &path, int run)
{
    double t0 = bench::now_ms();
    int argc = 1;
    char name[] = "bench_parts", *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    KOV_MAINWIN win;
    QT_HOST host(&win);
    KOV_U kov(&host);
    win.win_attach(&kov);
    kov.kov_start((scratch + "/kovash").c_str(), nullptr);
    win.resize(1920, 1080);
    win.show();
    double t1 = bench::now_ms();
    int r = kov.kov_auto_start(path.c_str(), "kov");
    win.grid->grid_sizes();
    win.win_title();
    // The loop paints the first frame into the offscreen backing store; the render paints it
    // again into a picture: the figure counts it twice, an upper bound.
    QApplication::processEvents();
    QImage img(win.grid->viewport()->size(), QImage::Format_RGB32);
    win.grid->viewport()->render(&img);
    double t2 = bench::now_ms();
    // The child's figures go to the parent in a file of the scratch folder.
    FILE *out = fopen((scratch + fmt("/load%d", run)).c_str(), "w");
    if (out) fprintf(out, "%d %d %f %f\n", r, kov.wp_count(), t2 - t1, t2 - t0), fclose(out);
}

void load_figure()
{
    std::string path = scratch + "/parts257.kov";
    int made = save_257(path);
    if (made < 0) return (void)printf("3. the sheet could not be saved\n");
    std::vector<double> open_ms, start_ms;
    int parts = 0;
    for (int run = 0; run < 5; run++) {
        bench::in_child([&] { load_case(path, run); });
        FILE *in = fopen((scratch + fmt("/load%d", run)).c_str(), "r");
        int r = -1;
        double a = 0, b = 0;
        if (!in || fscanf(in, "%d %d %lf %lf", &r, &parts, &a, &b) != 4 || r < 0) return (void)printf("3. run %d failed\n", run);
        fclose(in);
        open_ms.push_back(a), start_ms.push_back(b);
    }
    printf("3. %d parts saved, %d opened; with Qt's and the window's start: %.1f ms (median)\n", made, parts, median(start_ms));
    verdict("3. 257 parts loaded, recalculated and first painted in the window", median(open_ms), 1000, "ms");
}

} // namespace

int main()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler(quiet);
    char tmpl[] = "/tmp/bench_parts.XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    scratch = tmpl;
    printf("load average: %s", [] {
        static char b[128] = "?\n";
        if (FILE *f = fopen("/proc/loadavg", "r")) fgets(b, sizeof b, f), fclose(f);
        return b;
    }());
    const char *only = getenv("BENCH_PARTS_ONLY");
    auto want = [only](char n) { return !only || *only == n; };
    if (want('1')) qt_child([] { click_case(); });
    if (want('2')) {
        qt_child([] { graph_case("VLINE"); });
        qt_child([] { graph_case("VBAR"); });
        for (const char *kind : {"graph", "button", "led"}) qt_child([kind] { memory_case(kind); });
    }
    if (want('3')) load_figure();
    std::string rm = "rm -rf '" + scratch + "'";
    return system(rm.c_str()) == 0 ? 0 : 1;
}
