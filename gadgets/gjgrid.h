// Grid gadgets: an ARRAY variable's cell grid (ARRAY_GJ) and the sheet itself (MYKOV_GJ, the
// variable my) answer one set of methods acting on a cell store: sizes, files, row and column
// editing, the clipboard in the sheet's own cell format, cell attributes by their "celattr"
// keywords, and the view state (top-left cell, cursor, font, row and column names).
//
// Failures: "引数が無効" for a name, count or word the method does not take and for cells,
// counts or sizes outside the grid; "状態取得失敗" when the grid cannot do it as it stands: not
// open, a file that cannot be read or written, an empty clipboard, the store refusing, and on the
// sheet a change that would close it or move the cell of the formula being evaluated.
#pragma once
#include <string>

#include "gadgets/gjmodel.h"
#include "sheet/csv.h"

extern const char *const GJ_ERR_STATE;   // "状態取得失敗"

class ARRAY_GJ;
class SCR_U;

// The host of an ARRAY's grid: the view state lives in the gadget, a change marks it for its
// view, and the clipboard and the transfer files are the application's.
class GJ_GRID_HOST final : public KOV_HOST {
public:
    explicit GJ_GRID_HOST(ARRAY_GJ &g) : g(g) {}
    SYS_HOST *app = nullptr;   // the application's host; none: this host's own clipboard
    bool dirty = false;        // the grid changed since the view was told

    void host_redraw(const KOV_RECT *) override { dirty = true; }
    void host_redraw_head() override { dirty = true; }
    void host_show_cursor() override { dirty = true; }
    void host_win_get(CSV_WINST &ws) override;
    void host_win_put(const CSV_WINST &ws) override;
    int host_clip_put(const std::string &text) override;
    int host_clip_get(std::string &text) override;
    std::string host_tmp_dir() override;
    // The method's failure tells the script; a grid has no message boxes of its own.
    void host_file_err(const char *, const char *, int) override {}
    int host_msgbox(const char *, const char *, int) override { return KOV_IDOK; }

private:
    ARRAY_GJ &g;
};

// What the grid methods act on.
struct GJ_GRID {
    CSV_U *csv = nullptr;
    bool sheet = false;   // the running sheet: never closed or replaced
    // The cell of the formula being evaluated on this store (x SCR_NOCELL: none); a method may
    // not move or remove it, the interpreter is reading its text.
    int cel_x = INT32_MIN, cel_y = 0;
};

// The grid methods; nullptr when the method ran (its result in res), else the failure text.
const char *gj_grid_method(const GJ_GRID &g, const char *name, const GJ_ARGS &a, VAL_U &res);

// call()'s door for the grid gadgets: false when g is neither an ARRAY nor the sheet, else err
// gets the method's failure text (nullptr when it ran).
bool gj_grid_call(SCR_U &s, BASE_GJ *g, const char *name, const GJ_ARGS &a, VAL_U &res, const char *&err);

// A cell grid of its own, closed (no cells) until open or load. Its view draws grid and ws.
class ARRAY_GJ final : public GJ_MODEL {
public:
    ARRAY_GJ();
    const char *gj_class() const override { return "ARRAY_GJ"; }
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
    // a[y][x] is the cell (x, y), as my[y][x] is on the sheet.
    int gj_dims() const override { return 2; }
    int gj_xs() const override { return grid.csv_get_xs(); }
    int gj_ys() const override { return grid.csv_get_ys(); }
    GJ_ELEMENT_OVERRIDES
    // The application's host for the clipboard (call() sets it).
    void gj_app(SYS_HOST *app) { host.app = app; }

    CSV_U grid;
    CSV_WINST ws;   // top-left cell, cursor, font, row and column names shown

private:
    GJ_GRID_HOST host{*this};
    MYKOV_GJ cells{&grid};   // the sheet's element rules on this grid
    int changed(int rc);      // a store's answer passed through, the view told
};
