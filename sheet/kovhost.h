// KOV_HOST: the sheet's host. Over the system's door (SYS_HOST) it adds what a sheet shows and
// keeps: redrawing cells, the window state a sheet file carries, the screen lock, and the
// recalculation the store asks of its application. The interpreter and the application use it
// as their one host; parts, ports and printers have doors of their own in their layers.
#pragma once
#include "base/syshost.h"

// A rectangle of cells (column x, row y), inclusive.
struct KOV_RECT {
    int x1, y1, x2, y2;
};

// Window state carried by a sheet file, in the order of its option lines ("FOP_DSPPOSX" ..
// "FOP_FULLSIZ"); -1 means not given, or leave alone. Twins: csv_ws_name in csvfread.cpp.
enum {
    CSV_WS_DSPPOSX, CSV_WS_DSPPOSY,   // top-left visible cell
    CSV_WS_CSRPOSX, CSV_WS_CSRPOSY,   // cursor cell
    CSV_WS_DSPSIZX, CSV_WS_DSPSIZY,   // window size in pixels
    CSV_WS_FONTSIZ,                   // font height
    CSV_WS_TOOLBAR, CSV_WS_STATBAR, CSV_WS_ROWNAME, CSV_WS_COLNAME, CSV_WS_HSCROLL, CSV_WS_VSCROLL,
    CSV_WS_FULLSIZ,                   // maximised
    CSV_WS_COUNT
};
struct CSV_WINST {
    int v[CSV_WS_COUNT];
};
void csv_winst_clear(CSV_WINST &ws);   // every value -1

// Limits of the window state: font height and the window size when not maximised (pixels).
constexpr int KOV_FONT_MIN = 6, KOV_FONT_MAX = 96;
constexpr int KOV_WIN_MINX = 552, KOV_WIN_MINY = 48, KOV_WIN_MAX = 7992;
// Values outside their range are clamped; 0/1 switches other than 0 and 1 become -1 (left alone).
void kov_winst_clamp(CSV_WINST &ws);

// What the host calls back in the application: besides ticks and notices, the recalculation
// requests of the store.
class KOV_EVENTS : public SYS_EVENTS {
public:
    virtual int kov_recalc(const KOV_RECT *region) = 0;     // nullptr = whole sheet
};

class KOV_HOST : public SYS_HOST {
public:
    KOV_HOST();

    void host_set_events(KOV_EVENTS *ev)
    {
        SYS_HOST::host_set_events(ev);
        sheet_ev = ev;
    }

    // ---- display ----
    virtual void host_redraw(const KOV_RECT *region);   // cells changed; nullptr = whole sheet
    virtual void host_redraw_head();                     // column and row headers
    virtual void host_show_cursor();                     // the cursor cell's content changed
    // Painting of the sheet switched off (1) or on (0) around long passes.
    virtual void host_nopaint(int on);
    // Recalculation of a region (nullptr = whole sheet) asked by the store: the application's.
    int host_recalc(const KOV_RECT *region) { return sheet_ev ? sheet_ev->kov_recalc(region) : 0; }

    // ---- window state ----
    virtual void host_win_get(CSV_WINST &ws);
    // Values of -1 are left alone; the rest is clamped (kov_winst_clamp). Sizes apply only to a
    // window that is not maximised.
    virtual void host_win_put(const CSV_WINST &ws);
    virtual void host_scrlock(int lock);                 // grid editing and edit buttons off (1)
    virtual void host_diamond(int on);                   // the diamond cursor
    int host_get_scrlock() const { return scrlock; }
    int host_get_diamond() const { return diamond; }

protected:
    KOV_EVENTS *sheet_ev = nullptr;
    CSV_WINST win;
    int scrlock = 0, diamond = 0;
};
