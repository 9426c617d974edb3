// Window figures on the offscreen platform: one repaint of a full 1920x1080 grid of a
// 1000 x 1,000,000 sheet with texts, numbers, formats and lines, at the top and at the bottom
// (median of 50 frames), the start-up to the first painted frame, and the memory of the window.
#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/kov.h"
#include "bench/benchutil.h"
#include "ui/grid.h"
#include "ui/mainwin.h"
#include "ui/qthost.h"

static void fill(KOV_U &kov, int y0)
{
    char t[32];
    for (int y = y0; y < y0 + 80; y++)
        for (int x = 0; x < 40; x++) {
            if ((x + y) % 3 == 0) snprintf(t, sizeof t, "text %d", x * y), kov.csv_put_str(x, y, t);
            else kov.csv_put_num(x, y, (x + 1) * 1234.5678 / (y % 7 + 1));
            kov.csv_set_attr(x, y, CSV_A_FMT, 10 + (x % 6));
            if (y % 5 == 0) kov.csv_set_attr(x, y, CSV_A_TOP, 1);
            if (x % 4 == 0) kov.csv_set_attr(x, y, CSV_A_BACK, 4 + x % 7);
        }
}

static double frame_ms(KOV_MAINWIN &win)
{
    std::vector<double> ms;
    QImage img(win.grid->viewport()->size(), QImage::Format_RGB32);
    for (int k = 0; k < 50; k++) {
        double t0 = bench::now_ms();
        win.grid->viewport()->render(&img);   // a full paint of the grid, as an expose does
        ms.push_back(bench::now_ms() - t0);
    }
    std::sort(ms.begin(), ms.end());
    return ms[25];
}

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    double t0 = bench::now_ms();
    QApplication app(argc, argv);
    KOV_MAINWIN win;
    QT_HOST host(&win);
    KOV_U kov(&host);
    win.win_attach(&kov);
    kov.csv_create(256, 10000);
    host.host_ed_put("");
    win.resize(1920, 1080);
    win.show();
    win.grid->grid_sizes();
    QImage first(win.grid->viewport()->size(), QImage::Format_RGB32);
    win.grid->viewport()->render(&first);
    double start = bench::now_ms() - t0;
    printf("start-up to the first painted frame (empty sheet): %.1f ms, VmRSS %.1f MB\n", start, bench::status_kb("VmRSS") / 1024.0);
    kov.csv_create(1000, 1000000);
    fill(kov, 0);
    fill(kov, 1000000 - 80);
    win.grid->grid_sizes();
    win.grid->grid_goto(0, 0);
    printf("1920x1080 repaint, 1000 x 1,000,000 sheet, top:    %.2f ms per frame (median of 50)\n", frame_ms(win));
    win.grid->grid_goto(0, 999999);
    printf("1920x1080 repaint, 1000 x 1,000,000 sheet, bottom: %.2f ms per frame (median of 50)\n", frame_ms(win));
    return 0;
}
