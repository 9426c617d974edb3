#include "gadgets/gjgrid.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "base/kovlog.h"
#include "script/scr.h"
#include "sheet/csvfile.h"
#include "sheet/kovcmd.h"

const char *const GJ_ERR_STATE = "状態取得失敗";

// ---------------------------------------------------------------- the ARRAY's host

void GJ_GRID_HOST::host_win_get(CSV_WINST &ws) { ws = g.ws; }

// As the sheet's window takes a state: -1 leaves a value alone, the rest is clamped.
void GJ_GRID_HOST::host_win_put(const CSV_WINST &ws)
{
    CSV_WINST c = ws;
    kov_winst_clamp(c);
    for (int i = 0; i < CSV_WS_COUNT; i++)
        if (c.v[i] != -1) g.ws.v[i] = c.v[i];
    dirty = true;
}

int GJ_GRID_HOST::host_clip_put(const std::string &text)
{
    return app ? app->host_clip_put(text) : KOV_HOST::host_clip_put(text);
}

int GJ_GRID_HOST::host_clip_get(std::string &text)
{
    return app ? app->host_clip_get(text) : KOV_HOST::host_clip_get(text);
}

std::string GJ_GRID_HOST::host_tmp_dir() { return app ? app->host_tmp_dir() : KOV_HOST::host_tmp_dir(); }

// ---------------------------------------------------------------- ARRAY_GJ

ARRAY_GJ::ARRAY_GJ()
{
    grid.csv_set_host(&host);
    csv_winst_clear(ws);
    ws.v[CSV_WS_DSPPOSX] = ws.v[CSV_WS_DSPPOSY] = 0;
    ws.v[CSV_WS_CSRPOSX] = ws.v[CSV_WS_CSRPOSY] = 0;
    ws.v[CSV_WS_FONTSIZ] = 16;
    ws.v[CSV_WS_ROWNAME] = ws.v[CSV_WS_COLNAME] = 1;
}

int ARRAY_GJ::changed(int rc)
{
    if (rc == 0) gj_changed();
    return rc;
}

double ARRAY_GJ::gj_getd(int x, int y) { return cells.gj_getd(x, y); }
int ARRAY_GJ::gj_numd(int x, int y, double &d) { return cells.gj_numd(x, y, d); }
int ARRAY_GJ::gj_putd(int x, int y, double d, int flag) { return changed(cells.gj_putd(x, y, d, flag)); }
const char *ARRAY_GJ::gj_gets(int x, int y, int limit) { return cells.gj_gets(x, y, limit); }
int ARRAY_GJ::gj_puts(int x, int y, const char *text, int flag) { return changed(cells.gj_puts(x, y, text, flag)); }
int ARRAY_GJ::gj_kind(int x, int y) { return cells.gj_kind(x, y); }

// One view update per method however many cells it touched.
const char *ARRAY_GJ::gj_method(const char *name, const GJ_ARGS &a, VAL_U &res)
{
    host.dirty = false;
    const char *err = gj_grid_method(GJ_GRID{&grid, false}, name, a, res);
    if (host.dirty) gj_changed();
    host.dirty = false;
    return err;
}

bool gj_grid_call(SCR_U &s, BASE_GJ *g, const char *name, const GJ_ARGS &a, VAL_U &res, const char *&err)
{
    if (auto *arr = dynamic_cast<ARRAY_GJ *>(g)) {
        arr->gj_app(&s.scr_host());
        err = arr->gj_method(name, a, res);
        return true;
    }
    auto *my = dynamic_cast<MYKOV_GJ *>(g);
    if (!my) return false;
    GJ_GRID grid{my->gj_csv(), true};
    // Only a formula of this sheet is being read from its cells.
    if (s.scr_csv == grid.csv) grid.cel_x = s.ctx.cel_x, grid.cel_y = s.ctx.cel_y;
    err = grid.csv ? gj_grid_method(grid, name, a, res) : GJ_ERR_STATE;
    return true;
}

// ---------------------------------------------------------------- the methods

namespace {

struct IS {
    const char *name;
    int n;
    bool operator()(const char *m, int count) const { return n == count && strcmp(name, m) == 0; }
};

const char *ok(VAL_U &res, double d)
{
    res.val_putd(d);
    return nullptr;
}

// The store's 0 / -1 as the method's answer.
const char *done(VAL_U &res, int rc) { return rc == 0 ? ok(res, 0) : GJ_ERR_STATE; }

// 0 "UP", 1 "DOWN", -1 any other word.
int updown(const char *s) { return strcmp(s, "UP") == 0 ? 0 : strcmp(s, "DOWN") == 0 ? 1 : -1; }

// The same colour codes and hexadecimal formats as the sheet's attribute menu.
const int color_codes[] = {0, 1, 2, 11, 4, 5, 6, 7, 8, 9, 10};
const int hex_formats[] = {31, 32, 34, 36, 38, 40, 42};

// One grid method call: the grid, its arguments, its result.
class CALL {
public:
    CALL(const GJ_GRID &g, const GJ_ARGS &a, VAL_U &res) : g(g), csv(*g.csv), a(a), res(res) {}
    const char *run(const char *name);

private:
    const GJ_GRID &g;
    CSV_U &csv;
    const GJ_ARGS &a;
    VAL_U &res;

    int xs() const { return csv.csv_get_xs(); }
    int ys() const { return csv.csv_get_ys(); }
    bool open() const { return csv.csv_exists() && xs() > 0 && ys() > 0; }
    bool col(int x) const { return x >= 0 && x < xs(); }
    bool row(int y) const { return y >= 0 && y < ys(); }
    // w x h cells from (x, y), all inside.
    bool block(int x, int y, int w, int h) const
    {
        return col(x) && row(y) && w >= 1 && h >= 1 && int64_t(x) + w <= xs() && int64_t(y) + h <= ys();
    }
    // The evaluated formula's cell lies in the columns x1..x2 and rows y1..y2.
    bool hits(int64_t x1, int64_t y1, int64_t x2, int64_t y2) const
    {
        return g.cel_x != SCR_NOCELL && g.cel_x >= x1 && g.cel_x <= x2 && g.cel_y >= y1 && g.cel_y <= y2;
    }
    bool hits_rows(int64_t y1, int64_t y2) const { return hits(0, y1, INT32_MAX, y2); }

    const char *sizes(const char *name);
    const char *files(const char *name);
    const char *edits(const char *name);
    const char *rowmoves(const char *name);
    const char *clip(const char *name);
    const char *cellinfo(const char *name);
    const char *attrs(const char *name);
    const char *view(const char *name);
    const char *resize(int w, int h, bool fresh);
    const char *celattr(int id, const CSV_RECT &r);
    const char *put_ws(int i1, int v1, int i2, int v2);
};

const char *CALL::run(const char *name)
{
    using PART = const char *(CALL::*)(const char *);
    for (PART p : {&CALL::sizes, &CALL::files, &CALL::edits, &CALL::rowmoves, &CALL::clip, &CALL::cellinfo,
                   &CALL::attrs, &CALL::view}) {
        const char *e = (this->*p)(name);
        if (e != GJ_ERR_BAD) return e;
    }
    return GJ_ERR_BAD;
}

// rows, cols, open, close, is_open, resize.
const char *CALL::sizes(const char *name)
{
    IS is{name, a.n};
    if (is("rows", 0)) return ok(res, open() ? ys() : 0);
    if (is("cols", 0)) return ok(res, open() ? xs() : 0);
    if (is("is_open", 0)) return ok(res, open());
    if (is("open", 2)) return resize(a.num(0), a.num(1), !g.sheet);
    if (is("resize", 2)) {
        if (!open()) return GJ_ERR_STATE;
        return resize(a.num(0), a.num(1), false);
    }
    if (is("close", 0)) {
        // The sheet stays: the window and its formulas live on it.
        if (g.sheet) return GJ_ERR_STATE;
        csv.csv_free_all();
        csv.csv_redraw(nullptr);
        return ok(res, 0);
    }
    return GJ_ERR_BAD;
}

// fresh: an empty grid of that size; else the cells that still fit are kept.
const char *CALL::resize(int w, int h, bool fresh)
{
    if (w < 1 || w > CSV_MAX_XS || h < 1 || h > CSV_MAX_YS) return GJ_ERR_BAD;
    if (g.cel_x != SCR_NOCELL && (g.cel_x >= w || g.cel_y >= h)) return GJ_ERR_STATE;
    if (fresh || !open()) {
        if (csv.csv_create(w, h) != 0) return GJ_ERR_STATE;
        CSV_WINST ws;
        csv_winst_clear(ws);
        ws.v[CSV_WS_DSPPOSX] = ws.v[CSV_WS_DSPPOSY] = ws.v[CSV_WS_CSRPOSX] = ws.v[CSV_WS_CSRPOSY] = 0;
        csv.csv_host().host_win_put(ws);
        return ok(res, 0);
    }
    if (w == xs() && h == ys()) return ok(res, 0);
    if (csv.csv_resize(w, h) != 0) return GJ_ERR_STATE;
    csv.csv_curx = std::min(csv.csv_curx, w - 1);
    csv.csv_cury = std::min(csv.csv_cury, h - 1);
    return ok(res, 0);
}

// load and save. A grid takes the file's size; the sheet keeps its size, its own file and
// script, and takes the file's cells at its top-left cell, as a paste does.
const char *CALL::files(const char *name)
{
    IS is{name, a.n};
    if (!is("load", 1) && !is("save", 1)) return GJ_ERR_BAD;
    const char *file = a.str(0);
    if (!*file) return GJ_ERR_BAD;
    auto *f = new (std::nothrow) CSVFILE_U(csv);
    if (!f) return GJ_ERR_STATE;
    std::unique_ptr<CSVFILE_U> hold(f);
    if (!g.sheet) f->csv_defxs = f->csv_defys = 1;   // the file's size, and a save writes it whole
    if (is("save", 1)) return open() ? done(res, f->csv_save_name(file, nullptr)) : GJ_ERR_STATE;
    // A file that is not there or cannot be read leaves the grid as it was.
    FILE *probe = csv_fopen_read(file);
    if (!probe) return GJ_ERR_STATE;
    fclose(probe);
    if (!g.sheet) return done(res, f->csv_fload(nullptr, file, nullptr));
    if (!open() || g.cel_x != SCR_NOCELL) return GJ_ERR_STATE;
    CSV_RECT all = {0, 0, xs() - 1, ys() - 1};
    return done(res, f->csv_fload(nullptr, file, &all));
}

// xdel, ydel, xins, yins, yclr (first column or row, count; counts past the end stop there).
const char *CALL::edits(const char *name)
{
    IS is{name, a.n};
    bool x = is("xdel", 2) || is("xins", 2), y = is("ydel", 2) || is("yins", 2) || is("yclr", 2);
    if (!x && !y) return GJ_ERR_BAD;
    if (!open()) return GJ_ERR_STATE;
    int at = a.num(0), n = a.num(1);
    if (n < 1 || (x ? !col(at) : !row(at))) return GJ_ERR_BAD;
    n = std::min(n, (x ? xs() : ys()) - at);
    if (is("yclr", 2)) return hits_rows(at, at + n - 1) ? GJ_ERR_STATE : done(res, csv.csv_clr_rows(at, n));
    // Deleting or inserting moves everything after the place.
    if (x ? hits(at, 0, INT32_MAX, INT32_MAX) : hits_rows(at, INT32_MAX)) return GJ_ERR_STATE;
    if (is("xdel", 2)) return done(res, csv.csv_del_cols(at, n));
    if (is("xins", 2)) return done(res, csv.csv_ins_cols(at, n));
    if (is("ydel", 2)) return done(res, csv.csv_del_rows(at, n));
    return done(res, csv.csv_ins_rows(at, n));
}

// yswap (row, row), vsort (order, key column, first row, rows), vscroll (direction, first row,
// rows: the rows rotate by one, the first to the end for "UP").
const char *CALL::rowmoves(const char *name)
{
    IS is{name, a.n};
    if (!is("yswap", 2) && !is("vsort", 4) && !is("vscroll", 3)) return GJ_ERR_BAD;
    if (!open()) return GJ_ERR_STATE;
    if (is("yswap", 2)) {
        int r1 = a.num(0), r2 = a.num(1);
        if (!row(r1) || !row(r2)) return GJ_ERR_BAD;
        if (hits_rows(r1, r1) || hits_rows(r2, r2)) return GJ_ERR_STATE;
        return done(res, csv.csv_swap_rows(r1, r2));
    }
    int dir = updown(a.str(0));
    bool sort = is("vsort", 4);
    int key = sort ? a.num(1) : 0, y = a.num(sort ? 2 : 1), n = a.num(sort ? 3 : 2);
    if (dir < 0 || !col(key) || !block(0, y, 1, n)) return GJ_ERR_BAD;
    if (hits_rows(y, int64_t(y) + n - 1)) return GJ_ERR_STATE;
    return done(res, sort ? csv.csv_sort_rows(dir, key, y, n) : csv.csv_rot_rows(dir, y, n));
}

// ccopy and cpast (column, row, columns, rows): the clipboard in the part menu's cell format; a
// paste repeats a smaller block across the target.
const char *CALL::clip(const char *name)
{
    IS is{name, a.n};
    bool copy = is("ccopy", 4);
    if (!copy && !is("cpast", 4)) return GJ_ERR_BAD;
    if (!open()) return GJ_ERR_STATE;
    int x = a.num(0), y = a.num(1), w = a.num(2), h = a.num(3);
    if (!block(x, y, w, h)) return GJ_ERR_BAD;
    CSV_RECT r = {x, y, x + w - 1, y + h - 1};
    auto *f = new (std::nothrow) CSVFILE_U(csv);
    if (!f) return GJ_ERR_STATE;
    std::unique_ptr<CSVFILE_U> hold(f);
    if (copy) return done(res, f->csv_clip_copy(&r, "$$b"));
    if (hits(r.x1, r.y1, r.x2, r.y2)) return GJ_ERR_STATE;
    int rc = f->csv_clip_paste(&r, 0);
    csv.csv_redraw(nullptr);
    return done(res, rc);
}

// xdatas, ydatas (columns and rows up to the last cell with a value or formula), gettype
// (column, row: 0 empty, 1 number, 2 text).
const char *CALL::cellinfo(const char *name)
{
    IS is{name, a.n};
    if (is("xdatas", 0)) return ok(res, open() ? csv.csv_used_xs(CSV_P_VAL | CSV_P_FORM) : 0);
    if (is("ydatas", 0)) return ok(res, open() ? csv.csv_used_ys(CSV_P_VAL | CSV_P_FORM) : 0);
    if (!is("gettype", 2)) return GJ_ERR_BAD;
    if (!open()) return GJ_ERR_STATE;
    int x = a.num(0), y = a.num(1);
    if (!col(x) || !row(y)) return GJ_ERR_BAD;
    int t = csv.csv_get_type(x, y);
    return ok(res, t == CSV_NUM ? 1 : t == CSV_EMPTY ? 0 : 2);
}

// celattr (column, row, columns, rows, group, value), colwid (first column, columns, width),
// option ("XNAME_Y" row of the column names, "YNAME_X" column of the row names; -1 none).
const char *CALL::attrs(const char *name)
{
    IS is{name, a.n};
    bool attr = is("celattr", 6), wid = is("colwid", 3), opt = is("option", 2);
    if (!attr && !wid && !opt) return GJ_ERR_BAD;
    if (!open()) return GJ_ERR_STATE;
    if (attr) {
        int x = a.num(0), y = a.num(1), w = a.num(2), h = a.num(3);
        std::string key = std::string(a.str(4)) + "," + a.str(5);
        int id = kov_cmd_by_keyword(key.c_str());
        if (!block(x, y, w, h) || id < KVM_INPUT_AUTO || id > KVM_LINE_NONE) return GJ_ERR_BAD;
        return celattr(id, CSV_RECT{x, y, x + w - 1, y + h - 1});
    }
    if (wid) {
        int x = a.num(0), n = a.num(1), w = a.num(2);
        if (!col(x) || n < 1 || w < 1 || w > 255) return GJ_ERR_BAD;
        n = std::min(n, xs() - x);
        for (int i = x; i < x + n; i++) csv.csv_set_wide(i, w);
    } else {
        const char *which = a.str(0);
        int v = a.num(1);
        bool xname = strcmp(which, "XNAME_Y") == 0;
        if (!xname && strcmp(which, "YNAME_X") != 0) return GJ_ERR_BAD;
        if (v < -1 || v >= (xname ? ys() : xs())) return GJ_ERR_BAD;
        (xname ? csv.csv_cnrow : csv.csv_rncol) = v;
        csv.csv_set_modify(1);
    }
    csv.csv_redraw(nullptr);
    csv.csv_redraw_head();
    return ok(res, 0);
}

// As the sheet's attribute menu does on a selection.
const char *CALL::celattr(int id, const CSV_RECT &r)
{
    auto each = [&](int field, int v) {
        for (int y = r.y1; y <= r.y2; y++)
            for (int x = r.x1; x <= r.x2; x++) csv.csv_set_attr(x, y, field, v);
    };
    if (id <= KVM_INPUT_NONE) each(CSV_A_INPUT, id - KVM_INPUT_AUTO);
    else if (id <= KVM_FMT_E) each(CSV_A_FMT, id == KVM_FMT_G ? 0 : 5);
    else if (id <= KVM_FMT_F15) each(CSV_A_FMT, id - KVM_FMT_F0 + 10);
    else if (id <= KVM_FMT_X12) each(CSV_A_FMT, hex_formats[id - KVM_FMT_X1]);
    else if (id <= KVM_TEXT_YELLOW) each(CSV_A_TEXT, color_codes[id - KVM_TEXT_DEFAULT]);
    else if (id <= KVM_BACK_YELLOW) each(CSV_A_BACK, color_codes[id - KVM_BACK_DEFAULT]);
    else {
        // A cell's bottom line is the top line of the cell below, its right line the left line
        // of the cell to its right.
        int on = id == KVM_LINE_NONE ? 0 : 1;
        for (int y = r.y1; y <= r.y2 + 1; y++)
            for (int x = r.x1; x <= r.x2 + 1; x++) {
                bool inx = x <= r.x2, iny = y <= r.y2;
                bool top = id == KVM_LINE_BOX ? inx && (y == r.y1 || y == r.y2 + 1) : inx && id != KVM_LINE_VLINE;
                bool left = id == KVM_LINE_BOX ? iny && (x == r.x1 || x == r.x2 + 1) : iny && id != KVM_LINE_HLINE;
                if (top) csv.csv_set_attr(x, y, CSV_A_TOP, on);
                if (left) csv.csv_set_attr(x, y, CSV_A_LEFT, on);
            }
    }
    KOV_RECT wide = {r.x1, r.y1, std::min(r.x2 + 1, xs() - 1), std::min(r.y2 + 1, ys() - 1)};
    csv.csv_redraw(&wide);
    return ok(res, 0);
}

// screen (top-left column, row), cursor (column, row), font (height, clamped to what the sheet
// allows).
const char *CALL::view(const char *name)
{
    IS is{name, a.n};
    bool scr = is("screen", 2), cur = is("cursor", 2), font = is("font", 1);
    if (!scr && !cur && !font) return GJ_ERR_BAD;
    if (!open()) return GJ_ERR_STATE;
    if (font) {
        if (a.num(0) < 1) return GJ_ERR_BAD;
        return put_ws(CSV_WS_FONTSIZ, a.num(0), -1, 0);
    }
    int x = a.num(0), y = a.num(1);
    if (!col(x) || !row(y)) return GJ_ERR_BAD;
    if (scr) return put_ws(CSV_WS_DSPPOSX, x, CSV_WS_DSPPOSY, y);
    csv.csv_curx = x, csv.csv_cury = y;
    put_ws(CSV_WS_CSRPOSX, x, CSV_WS_CSRPOSY, y);
    csv.csv_show_cursor();
    return ok(res, 0);
}

// One or two values of the view state through the grid's host (i2 -1: one).
const char *CALL::put_ws(int i1, int v1, int i2, int v2)
{
    CSV_WINST ws;
    csv_winst_clear(ws);
    ws.v[i1] = v1;
    if (i2 >= 0) ws.v[i2] = v2;
    csv.csv_host().host_win_put(ws);
    return ok(res, 0);
}

} // namespace

const char *gj_grid_method(const GJ_GRID &g, const char *name, const GJ_ARGS &a, VAL_U &res)
{
    if (!g.csv || !name) return GJ_ERR_NULL;
    return CALL(g, a, res).run(name);
}
