#include "gadgets/wpfunc.h"

#include "base/kovlog.h"
#include "builtins/fnutil.h"
#include "builtins/func.h"
#include "gadgets/gjgrid.h"
#include "gadgets/gjmodel.h"
#include "gadgets/wpkinds.h"
#include "script/scr.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------- creation and reuse

namespace {

// The function's error, logged; nullptr for the caller to return.
WP_PART *refuse(SCR_U &s, const char *msg)
{
    s.scr_set_FNCERR("%s", msg);
    KOV_LOG("%s", msg);
    return nullptr;
}

} // namespace

WP_PART *wp_part_get(SCR_U &s, int cols, int rows)
{
    const char *name = s.scr_fn_name;
    char msg[160];
    // A script function called by a formula is no cell formula either.
    if (s.ctx.cel_x == SCR_NOCELL || s.func_depth > 0 || !s.scr_csv) {
        snprintf(msg, sizeof msg, "%s はセル式以外では無効", name);
        return refuse(s, msg);
    }
    CSV_U &sheet = *s.scr_csv;
    int x = s.ctx.cel_x, y = s.ctx.cel_y;
    if (!sheet.csv_get_form(x, y)) {
        snprintf(msg, sizeof msg, "(%d,%d) にセル式が必要", x, y);
        return refuse(s, msg);
    }
    // The part stays with its formula even when this evaluation is refused below.
    if (CSV_PART *held = sheet.csv_get_part(x, y)) held->part_used = true;
    auto *ev = dynamic_cast<WP_EVENTS *>(&s);
    int live = ev ? ev->wp_count() : 0;
    if (live > WP_PARTS_MAX) {
        KOV_ATT("貼付部品数超過(%d)", live);
        s.scr_host().host_beep();
        return refuse(s, "貼付部品数超過");
    }
    cols = std::clamp(cols, 1, WP_CELLS_MAX);
    rows = std::clamp(rows, 1, WP_CELLS_MAX);
    auto *old = dynamic_cast<WP_PART *>(sheet.csv_get_part(x, y));
    if (old && strcmp(old->wp_kind(), name) == 0) {
        if (old->wp_cols != cols || old->wp_rows != rows || old->wp_x != x || old->wp_y != y) {
            old->wp_cols = cols, old->wp_rows = rows;
            old->wp_place(x, y);
        }
        return old;
    }
    if (sheet.csv_get_part(x, y)) sheet.csv_set_part(x, y, nullptr);
    WP_PART *p = wp_part_new(name, ev);
    if (!p) {
        snprintf(msg, sizeof msg, "部品名 %s が無効", name);
        return refuse(s, msg);
    }
    if (p->wp_create(&s, &sheet, name, x, y, cols, rows) != 0 || sheet.csv_set_part(x, y, p) != 0) {
        delete p;
        snprintf(msg, sizeof msg, "部品 %s 作成失敗", name);
        return refuse(s, msg);
    }
    KOV_LOG("部品 %s 貼付", name);
    return p;
}

// ---------------------------------------------------------------- the part functions

namespace {

// The failure result: the error text, so that the part's cell says what went wrong.
int fail(SCR_U &s, FN_RET &r, const char *msg)
{
    VAL_U &v = FUNC_U::fn_of(s).fn_result;
    if (msg && *msg) v.val_puts(msg);
    else v.val_clear();
    r.x = &v;
    return -1;
}

// Every part function: make or reuse the part, then the kind's update.
int fn_wp_part(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    WP_PART *p = wp_part_get(s, c.arg[0].i, c.arg[1].i);
    if (!p) return fail(s, r, s.scr_get_nowerr());
    p->part_used = true;
    if (p->wp_update(c) != 0) {
        auto *getd = dynamic_cast<WP_GETD *>(p);
        if (!getd || !getd->error) return fail(s, r, nullptr);
        s.scr_set_FNCERR("%s", getd->error);
        return fail(s, r, getd->error);
    }
    VAL_U &v = FUNC_U::fn_of(s).fn_result;
    v.val_copy(p->wp_value);
    r.x = &v;
    return 0;
}

// wp(cell, command, arguments...): the command to the part at the cell; 0 when there is none.
int fn_wp(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    VAL_U &v = FUNC_U::fn_of(s).fn_result;
    r.x = &v;
    v.val_putd(0);
    CSV_U *sheet = fn_sheet_of(c.arg[0].g);
    if (!sheet || sheet != s.scr_csv) return 0;
    auto *p = dynamic_cast<WP_PART *>(sheet->csv_get_part(c.arg[1].i, c.arg[2].i));
    if (!p || !p->wp_is_open()) return 0;
    int n = 0;
    while (n < c.nvargs && n < 18 && c.vargs[n]) n++;
    p->wp_value.val_putd(-1);
    p->wp_command(c.arg[5].s ? c.arg[5].s : "", c.vargs, n);
    v.val_copy(p->wp_value);
    return 0;
}

// call(gadget, method, arguments...): the method of a script gadget. Its value is the method's
// result; a failure sets its text as the function's error and gives -1.
int fn_call(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    BASE_GJ *g = c.arg[0].g;
    VAL_U &v = FUNC_U::fn_of(s).fn_result;
    r.x = &v;
    const char *name = c.arg[1].s;
    const char *err = GJ_ERR_NULL;
    if (g && name) {
        GJ_ARGS a{c.vargs, 0};
        while (a.n < c.nvargs && a.n < 18 && c.vargs[a.n]) a.n++;
        if (!gj_grid_call(s, g, name, a, v, err)) {
            auto *m = dynamic_cast<GJ_MODEL *>(g);
            err = m ? m->gj_method(name, a, v) : GJ_ERR_BAD;
        }
        // The window shows what the method did.
        if (auto *m = dynamic_cast<GJ_MODEL *>(g); m && !err) m->gj_changed();
    }
    if (!err) return 0;
    s.scr_set_FNCERR("%s", err);
    v.val_putd(-1);
    return -1;
}

// ---------------------------------------------------------------- gadget windows

// The function's error, logged; -1 for the caller to return.
int win_fail(SCR_U &s, FN_RET &r, const char *msg)
{
    s.scr_set_FNCERR("%s", msg);
    KOV_LOG("%s", msg);
    r.L = -1;
    return -1;
}

// The window lookup: the gadget's model, or nullptr with the error set ("対象がない" for no
// gadget or one without a window, as a var array or the sheet; "未オープン" when need_open and
// the window is not open).
GJ_MODEL *win_of(SCR_U &s, BASE_GJ *g, bool need_open)
{
    char msg[96];
    auto *m = dynamic_cast<GJ_MODEL *>(g);
    if (!m) snprintf(msg, sizeof msg, "%s():対象がない", s.scr_fn_name);
    else if (need_open && !m->win.open) snprintf(msg, sizeof msg, "%s():未オープン", s.scr_fn_name);
    else return m;
    s.scr_set_FNCERR("%s", msg);
    KOV_LOG("%s", msg);
    return nullptr;
}

// The result of a window operation that only the framework could refuse.
int win_result(FN_RET &r, int rc)
{
    r.L = rc;
    return rc;
}

// win_open(gadget, "POPUP" | "CHILD", parent, x, y, width, height): the parent is the sheet
// (its window, its client area) or a gadget whose window is open.
int fn_win_open(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    GJ_MODEL *m = win_of(s, c.arg[0].g, false);
    if (!m) return win_result(r, -1);
    GJ_MODEL *parent = nullptr;
    if (!fn_sheet_of(c.arg[2].g) && !(parent = win_of(s, c.arg[2].g, true))) return win_result(r, -1);
    const char *kind = c.arg[1].s ? c.arg[1].s : "";
    char msg[160];
    GJ_KIND k = GJ_KIND::POPUP;
    if (strcmp(kind, "CHILD") == 0) k = GJ_KIND::CHILD;
    else if (strcmp(kind, "POPUP") != 0) {
        snprintf(msg, sizeof msg, "%s(%.64s):引数が無効", s.scr_fn_name, kind);
        return win_fail(s, r, msg);
    }
    if (m->gj_open(k, parent, c.arg[3].i, c.arg[4].i, c.arg[5].i, c.arg[6].i) != 0) {
        snprintf(msg, sizeof msg, "%s():オープン失敗", s.scr_fn_name);
        return win_fail(s, r, msg);
    }
    return win_result(r, 0);
}

int fn_win_close(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    GJ_MODEL *m = win_of(s, c.arg[0].g, true);
    if (!m) return win_result(r, -1);
    if (m->gj_close() != 0) {
        char msg[96];
        snprintf(msg, sizeof msg, "%s():クローズ失敗", s.scr_fn_name);
        return win_fail(s, r, msg);
    }
    return win_result(r, 0);
}

int fn_win_active(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    GJ_MODEL *m = win_of(s, c.arg[0].g, true);
    return win_result(r, m ? m->gj_activate() : -1);
}

// win_style(gadget, keyword, "ON" | "OFF"): one bit of the style word, applied at once.
int fn_win_style(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    GJ_MODEL *m = win_of(s, c.arg[0].g, true);
    if (!m) return win_result(r, -1);
    const char *key = c.arg[1].s ? c.arg[1].s : "", *sw = c.arg[2].s ? c.arg[2].s : "";
    int bit = gj_style_bit(key);
    bool on = strcmp(sw, "ON") == 0;
    if (!bit || (!on && strcmp(sw, "OFF") != 0)) {
        char msg[192];
        snprintf(msg, sizeof msg, "%s(%.64s,%.64s):引数が不正", s.scr_fn_name, key, sw);
        return win_fail(s, r, msg);
    }
    m->gj_set_style(on ? m->win.style | bit : m->win.style & ~bit);
    return win_result(r, 0);
}

int fn_win_title(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    GJ_MODEL *m = win_of(s, c.arg[0].g, true);
    if (m) m->gj_set_title(c.arg[1].s);
    return win_result(r, m ? 0 : -1);
}

int fn_win_pos(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    GJ_MODEL *m = win_of(s, c.arg[0].g, true);
    return win_result(r, m ? m->gj_move(c.arg[1].i, c.arg[2].i) : -1);
}

int fn_win_wsize(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    GJ_MODEL *m = win_of(s, c.arg[0].g, true);
    return win_result(r, m ? m->gj_resize(c.arg[1].i, c.arg[2].i) : -1);
}

// Character cells of the window's font (GJ_VIEWS::gj_cell), plus the frame lines.
int fn_win_csize(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    GJ_MODEL *m = win_of(s, c.arg[0].g, true);
    if (!m) return win_result(r, -1);
    int cw = 8, ch = 16;
    m->gj_views().gj_cell(cw, ch);
    int cols = c.arg[1].i, rows = c.arg[2].i;
    if (cols < 1 || rows < 1 || cols > GJ_SIDE_MAX || rows > GJ_SIDE_MAX) return win_result(r, -1);
    long f = 2L * m->win.frame();
    long w = long(cols) * cw + f, h = long(rows) * ch + f;
    if (w > GJ_SIDE_MAX || h > GJ_SIDE_MAX) return win_result(r, -1);
    return win_result(r, m->gj_resize(int(w), int(h)));
}

// Every name of the table this layer answers; the device kinds are made by the makers the
// devices register (wp_kind_add).
const FN_BIND wp_binds[] = {
    {"wp", fn_wp}, {"wpBACK", fn_wp_part}, {"wpTNBOARD", fn_wp_part}, {"wpPUSH", fn_wp_part},
    {"wpTNLAMP", fn_wp_part}, {"wpTPUTS", fn_wp_part}, {"wpPUSHLOCK", fn_wp_part}, {"wpTNCLOCK", fn_wp_part},
    {"wpCHECK", fn_wp_part}, {"wpTNTIMER", fn_wp_part}, {"wpHSCROLL", fn_wp_part}, {"wpVSCROLL", fn_wp_part},
    {"wpICOMBO", fn_wp_part}, {"wpILIST", fn_wp_part}, {"wpSCOMBO", fn_wp_part}, {"wpECOMBO", fn_wp_part},
    {"wpTNGRAPH", fn_wp_part}, {"wpTNSHADOW", fn_wp_part}, {"wpVGETD", fn_wp_part}, {"wpHGETD", fn_wp_part},
    {"wpTNCOM", fn_wp_part}, {"wpTNSOCK", fn_wp_part}, {"wpTNMCI", fn_wp_part},
    {"win_open", fn_win_open}, {"win_close", fn_win_close}, {"win_active", fn_win_active},
    {"win_style", fn_win_style}, {"win_title", fn_win_title}, {"win_pos", fn_win_pos},
    {"win_wsize", fn_win_wsize}, {"win_csize", fn_win_csize},
    {"call", fn_call},
};

} // namespace

void wp_install()
{
    FUNC_U::fn_bind(wp_binds);
}
