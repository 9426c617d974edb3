// Test facade of the interpreter tests.
#include "scrtest.h"

#include <cstring>

namespace scrtest {

// ---- test built-ins ----

// exit(code)
static int fn_exit(SCR_U &, const FN_CALL &c, FN_RET &)
{
    throw E_EXIT(c.arg[0].i);
}
// errmsg(): the previous error
static int fn_errmsg(SCR_U &s, const FN_CALL &, FN_RET &r)
{
    r.s = s.scr_get_preerr();
    return 0;
}
// strlen(text)
static int fn_strlen(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = (int64_t)strlen(c.arg[0].s);
    return 0;
}
// SUM(range): sum of the numbers of a range
static int fn_SUM(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    static VAL_U res;
    double t = 0, d;
    BASE_GJ *g = c.arg[0].g;
    for (int y = c.arg[2].i; y < c.arg[2].i + c.arg[4].i; y++)
        for (int x = c.arg[1].i; x < c.arg[1].i + c.arg[3].i; x++)
            if (g->gj_numd(x, y, d) == 0) t += d;
    (void)s;
    res.val_putd(t);
    r.x = &res;
    return 0;
}
// stack(): rebuilds the stack history view, gives its row count
static int fn_stack(SCR_U &s, const FN_CALL &, FN_RET &r)
{
    s.scr_make_stbl(0);
    r.L = s.scr_make_stbl(1) == 0 ? s.view_stbl.rows : -1;
    return 0;
}

static const FN_DEF table[] = {
    {"stack", fn_stack, "i"},    {"exit", fn_exit, "vi"},    {"errmsg", fn_errmsg, "s"},
    {"strlen", fn_strlen, "is"}, {"SUM", fn_SUM, "xgiiii"},
    {"", nullptr, ""},
};

static const FN_DEF *lookup(const char *name)
{
    for (const FN_DEF *f = table; f->name[0]; f++)
        if (f->name[0] == name[0] && strcmp(f->name, name) == 0) return f;
    return nullptr;
}

void install_builtins(SCR_U &scr) { scr.scr_fn_table = lookup; }

// ---- running ----

ENV::ENV()
{
    csv.csv_create(10, 20);
    scr.scr_csv = &csv;
    scr.scr_set_host(&host);
    install_builtins(scr);
}

RUN ENV::run(const char *text)
{
    RUN r;
    host.host_ed_put(text);
    if (scr.scr_prepare(PREP_SCRIPT_BEGIN) != 0) {
        r.err = host.shown;
        if (host.shown_at >= 0)
            SCR_LEX::scr_text2rowcol(host.shown_text.c_str(), host.shown_text.c_str() + host.shown_at, r.row, r.col);
        return r;
    }
    r.linked = 1;
    int st = -1;
    if (scr.scr_do_allstep(scr.scr_text, &st) == 0) {
        r.ran = 1;
        r.status = st;
    } else {
        r.err = scr.scr_get_nowerr();
        if (scr.scr_errpos) SCR_LEX::scr_text2rowcol(scr.scr_text, scr.scr_errpos, r.row, r.col);
    }
    return r;
}

double ENV::num(const char *name)
{
    VTBL_U *v = scr.scr_get_vtbl(name);
    return v && v->vtb_gajet_pt ? v->vtb_gajet_pt->gj_getd(0, 0) : -99999;
}

std::string ENV::str(const char *name)
{
    VTBL_U *v = scr.scr_get_vtbl(name);
    return v && v->vtb_gajet_pt ? std::string(v->vtb_gajet_pt->gj_gets(0, 0, 4096)) : "<none>";
}

RUN run(const char *text)
{
    ENV e;
    return e.run(text);
}

}  // namespace scrtest
