// The sheet's host without a window: nothing is drawn, the window state is kept in memory.
#include "sheet/kovhost.h"

#include <algorithm>

void csv_winst_clear(CSV_WINST &ws)
{
    for (int &v : ws.v) v = -1;
}

void kov_winst_clamp(CSV_WINST &ws)
{
    int *v = ws.v;
    if (v[CSV_WS_FONTSIZ] > 0) v[CSV_WS_FONTSIZ] = std::clamp(v[CSV_WS_FONTSIZ], KOV_FONT_MIN, KOV_FONT_MAX);
    else v[CSV_WS_FONTSIZ] = -1;
    for (int i = CSV_WS_TOOLBAR; i <= CSV_WS_FULLSIZ; i++)
        if (v[i] != 0 && v[i] != 1) v[i] = -1;
    if (v[CSV_WS_DSPSIZX] > 0 && v[CSV_WS_DSPSIZY] > 0) {
        v[CSV_WS_DSPSIZX] = std::clamp(v[CSV_WS_DSPSIZX], KOV_WIN_MINX, KOV_WIN_MAX);
        v[CSV_WS_DSPSIZY] = std::clamp(v[CSV_WS_DSPSIZY], KOV_WIN_MINY, KOV_WIN_MAX);
    } else {
        v[CSV_WS_DSPSIZX] = v[CSV_WS_DSPSIZY] = -1;
    }
}

KOV_HOST::KOV_HOST() { csv_winst_clear(win); }

void KOV_HOST::host_redraw(const KOV_RECT *) {}
void KOV_HOST::host_redraw_head() {}
void KOV_HOST::host_show_cursor() {}
void KOV_HOST::host_nopaint(int) {}

// ---- window state ----

void KOV_HOST::host_win_get(CSV_WINST &ws) { ws = win; }

void KOV_HOST::host_win_put(const CSV_WINST &ws)
{
    CSV_WINST c = ws;
    kov_winst_clamp(c);
    int full = c.v[CSV_WS_FULLSIZ] != -1 ? c.v[CSV_WS_FULLSIZ] : win.v[CSV_WS_FULLSIZ];
    for (int i = 0; i < CSV_WS_COUNT; i++) {
        if (c.v[i] == -1) continue;
        if ((i == CSV_WS_DSPSIZX || i == CSV_WS_DSPSIZY) && full == 1) continue;
        win.v[i] = c.v[i];
    }
}

void KOV_HOST::host_scrlock(int lock) { scrlock = lock ? 1 : 0; }
void KOV_HOST::host_diamond(int on) { diamond = on ? 1 : 0; }
