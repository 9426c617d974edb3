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
    }
    if (!err) return 0;
    s.scr_set_FNCERR("%s", err);
    v.val_putd(-1);
    return -1;
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
    {"win_open", fn_late}, {"win_close", fn_late}, {"win_active", fn_late}, {"win_style", fn_late},
    {"win_title", fn_late}, {"win_pos", fn_late}, {"win_wsize", fn_late}, {"win_csize", fn_late},
    {"call", fn_call},
};

} // namespace

void wp_install()
{
    FUNC_U::fn_bind(wp_binds);
}
