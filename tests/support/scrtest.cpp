// Test facade of the interpreter tests.
#include "scrtest.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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
    // A range far out may end past int: the bounds are counted wider.
    for (int64_t y = c.arg[2].i; y < int64_t(c.arg[2].i) + c.arg[4].i; y++)
        for (int64_t x = c.arg[1].i; x < int64_t(c.arg[1].i) + c.arg[3].i; x++)
            if (g->gj_numd(int(x), int(y), d) == 0) t += d;
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

// tick(n): the statement hook n times, as a wait calls it
static int fn_tick(SCR_U &s, const FN_CALL &c, FN_RET &)
{
    for (int k = 0; k < c.arg[0].i; k++) s.scr_callback(SCRCB_ONESTEP, 0);
    return 0;
}

// nabs(x): |x|
static int fn_nabs(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.d = c.arg[0].d < 0 ? -c.arg[0].d : c.arg[0].d;
    return 0;
}
// tcat(...): its values joined (numbers as %g); none is an error
static int fn_tcat(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    static std::string out;
    out.clear();
    if (!c.nvargs) s.scr_set_FNCERR("tcat():値がない");
    for (int k = 0; k < c.nvargs; k++) {
        char num[32];
        const VAL_U &v = *c.vargs[k];
        if (v.val_kind == VAL_NUM) snprintf(num, sizeof num, "%g", v.val_num);
        out += v.val_kind == VAL_NUM ? num : v.val_gets();
    }
    r.s = out.c_str();
    return 0;
}

static const FN_DEF table[] = {
    {"stack", fn_stack, "i"},    {"exit", fn_exit, "vi"},    {"errmsg", fn_errmsg, "s"},
    {"strlen", fn_strlen, "is", FN_PURE}, {"SUM", fn_SUM, "xgiiii"}, {"nabs", fn_nabs, "dd", FN_PURE},
    {"tcat", fn_tcat, "s.", FN_PURE}, {"tick", fn_tick, "vi"},
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

RUN ENV::run_once(const char *text)
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

static int diff_mode()
{
    static int on = [] {
        const char *e = getenv("KOVASH_TREE");
        return e && strcmp(e, "diff") == 0;
    }();
    return on;
}

// Hook positions as offsets into the linked text. A waiting built-in calls the hook without a
// position, as often as the wait takes (a child that ends at once: never): unless exact, such
// calls do not count, and repeats count once.
static std::vector<long> offsets(const std::vector<intptr_t> &at, const char *text, int exact)
{
    std::vector<long> o;
    for (intptr_t a : at) {
        long off = text && a ? (long)(a - (intptr_t)text) : -1;
        if (exact || (off >= 0 && (o.empty() || o.back() != off))) o.push_back(off);
    }
    return o;
}

static std::string row_of(const RUN &r, const SCR_U &s)
{
    return std::to_string(r.linked) + "/" + std::to_string(r.ran) + " status " + std::to_string(r.status) + " err '" +
           kov::sj_to_utf8(r.err) + "' at " + std::to_string(r.row) + ":" + std::to_string(r.col) + " pre '" +
           kov::sj_to_utf8(s.scr_get_preerr()) + "'";
}

std::string ENV::diff(const char *text, RUN *out, int exact)
{
    std::string rb;   // the reader's run first, on a twin gone before the tree's run (caps count what is held)
    std::vector<intptr_t> theirs, mine;
    std::vector<long> b;
    {
        std::unique_ptr<ENV> other(twin());
        other->host.trace = &theirs;
        other->host.budget = host.budget;   // what a test set on its host before the run
        other->host.now = host.now;
        other->host.ticks = host.ticks;
        other->host.step_ms = host.step_ms;
        if (!scr.scr_func) other->scr.scr_fn_table = scr.scr_fn_table;   // a test's own table of built-ins
        other->scr.scr_tree_mode = 0;
        if (prepare) prepare(other->csv);
        RUN w = other->run_once(text);
        other->host.trace = nullptr;
        b = offsets(theirs, other->scr.scr_text, exact);
        rb = row_of(w, other->scr);
    }
    host.trace = &mine;
    scr.scr_tree_mode = 2;
    RUN r = run_once(text);
    host.trace = nullptr;
    if (out) *out = r;
    std::vector<long> a = offsets(mine, scr.scr_text, exact);
    std::string ra = row_of(r, scr);
    if (ra == rb && a == b) return "";
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) i++;
    return "tree:   " + ra + " steps " + std::to_string(a.size()) + "\nreader: " + rb + " steps " + std::to_string(b.size()) +
           "\nfirst differing step " + std::to_string(i);
}

RUN ENV::run(const char *text)
{
    if (!diff_mode() || runs++) return run_once(text);
    RUN r;
    std::string d = diff(text, &r, 0);   // any test: built-ins that wait among them
    if (!d.empty()) ADD_FAILURE() << "tree and reader differ on:\n" << kov::sj_to_utf8(text) << "\n" << d;
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
