// Built-in calls: the arguments are read by the letters of the function's signature, converted
// into FN_CALL, and the handler's FN_RET is read back as the call's value.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include "script/scr.h"
#include "script/scrcache.h"
#include "sheet/cellref.h"
#include "base/kovlog.h"

int SCR_U::scr_func_libcall(const char *&pos, VAL_U &val)
{
    const char *p = pos;
    char name[SCR_NAMESIZE];
    if (scr_idname(p, name, sizeof name) != 0 || scr_skip_space(p) != '(') return -1;
    const FN_DEF *fn = scr_fn_lookup(name);
    if (!fn) return -1;
    p++;
    KOV_LOG("KEY:(");
    if (scr_func_fmtcall(p, val, fn) != 0) return -2;   // a built-in whose call failed
    pos = p;
    return 0;
}

// First position and count of lo..hi. Relative names reach both ends of the int range: a count
// past it starts at 0 instead (and ends before 2^31 - 1), as no storage holds anything there.
static void span(int lo, int hi, int &first, int &n)
{
    first = lo;
    if (int64_t(hi) - lo + 1 > INT32_MAX && lo < 0) first = 0;
    n = int(std::min<int64_t>(int64_t(hi) - first + 1, INT32_MAX));
}

// A gadget argument: a sheet range in a formula (consumes "giiii"), else a variable's storage.
int SCR_U::scr_fmt_gadget(const char *&p, const FN_DEF *fn, int &k, int argn, FN_CALL &call)
{
    const char *q = p;
    scr_skip_space(q);
    CSV_RECT rc;
    bool site = scr_xc && q >= scr_site_lo && q < scr_site_hi;   // read before: kept by position
    if (ctx.cel_x != SCR_NOCELL && strncmp(fn->sig + k + 1, "iiii", 4) == 0 &&
        (site ? scr_xc->range_at(q, ctx.cel_x, ctx.cel_y, &rc) : csv_parse_range(q, ctx.cel_x, ctx.cel_y, &rc)) == 0) {
        VTBL_U *my = my_var();
        if (!my) return -1;
        int v[4];
        span(rc.x1, rc.x2, v[0], v[2]);
        span(rc.y1, rc.y2, v[1], v[3]);
        call.arg[call.argc++].g = my->vtb_gajet_pt;
        for (int n : v) {
            call.arg[call.argc].i = n;
            call.arg[call.argc++].L = n;
        }
        k += 4;
        p = q;
        return 0;
    }
    char name[SCR_NAMESIZE];
    VTBL_U *v = arg_var(p, name, "第 %d 引数が変数でない", argn);
    if (!v) return -1;
    if (!v->vtb_gajet_pt) {
        scr_set_SCRERR("%s はガジェットを持たない", name);
        return -1;
    }
    call.arg[call.argc++].g = v->vtb_gajet_pt;
    return 0;
}

int scr_fn_convert(char c, const VAL_U &t, FN_ARG &a)
{
    double d = t.val_kind == VAL_NUM ? t.val_num : 0;
    switch (c) {
    case 'i': case 'l': a.i = scr_trunc32(d); a.L = a.i; return 0;
    case 'L': a.L = scr_trunc64(d); a.i = (int32_t)a.L; return 0;
    case 'd': a.d = d; return 0;
    case 'f': a.f = (float)d; a.d = d; return 0;
    case 's': a.s = t.val_kind == VAL_STR ? t.val_gets() : ""; return 0;
    default: return -1;
    }
}

// A handler that ran out of memory (or asked for a size beyond any) gives the failure value of
// its result letter: the process and the run go on.
static void fmt_nomem(SCR_U &s, char res, FN_RET &ret)
{
    s.scr_set_FNCERR("メモリ不足");
    ret = FN_RET{};
    if (res == 'i' || res == 'l' || res == 'L') ret.L = -1;
    if (res == 's') ret.s = "";
    ret.x = nullptr;
}

int SCR_U::scr_fn_invoke(const FN_DEF *fn, const FN_CALL &call, VAL_U &val)
{
    const char *sig = fn->sig ? fn->sig : "v";
    KOV_LOG("%s() 実行", fn->name);
    scr_fn_name = fn->name;
    FN_RET ret;
    try {
        fn->fn(*this, call, ret);
    } catch (const std::bad_alloc &) {
        fmt_nomem(*this, sig[0], ret);
    } catch (const std::length_error &) {
        fmt_nomem(*this, sig[0], ret);
    }
    switch (sig[0]) {
    case 'i': case 'l': val.val_putd((int32_t)ret.L); break;
    case 'L': val.val_putd((double)ret.L); break;
    case 'd': case 'f': val.val_putd(ret.d); break;
    case 's': val.val_puts(ret.s); break;
    case 'v': val.val_putd(0); break;
    case 'x':
        if (ret.x) val.val_copy(*ret.x);
        else val.val_clear();
        break;
    default: return -1;
    }
    return 0;
}

int SCR_U::scr_func_fmtcall(const char *&pos, VAL_U &val, const FN_DEF *fn, const XC_ARG *pre, int npre)
{
    const char *p = pos;
    FN_CALL call;
    SCR_U::ARGVALS vals;
    int argn = 0;
    const char *sig = fn->sig ? fn->sig : "v";
    auto too_many = [&] {
        scr_set_SCRERR("%s():最大引数数超過", fn->name);
        return -1;
    };
    auto bad_arg = [&] {
        scr_set_SCRERR("関数 %s() 引数が無効", fn->name);
        return -1;
    };
    auto arg = [&](VAL_U &t) {   // from its root when parsed and the reading stands there
        if (argn < npre && p == pre[argn].at) return scr_xc->arg_value(pre[argn], p, t);
        return scr_assignment_exp(p, t);
    };
    for (int k = 1; sig[k]; k++) {
        char c = sig[k];
        if (c == '.') {
            KOV_LOG("ag_ppp[] PUSH");
            while (scr_skip_space(p) != ')') {
                if (argn > 0 && scr_match_key(p, ",") != 0) break;
                if (call.nvargs >= 17) return too_many();
                VAL_U &t = vals.next();
                if (arg(t) != 0) return bad_arg();
                call.vargs[call.nvargs++] = &t;
                argn++;
            }
            KOV_LOG("引数 ... 終了");
            break;
        }
        if (scr_skip_space(p) == ')' || (argn > 0 && scr_match_key(p, ",") != 0)) {
            scr_set_SCRERR("%s():引数が不足", fn->name);
            return -1;
        }
        if (call.argc >= 31 || vals.n >= 18) return too_many();
        if (c == 'g') {
            if (scr_fmt_gadget(p, fn, k, argn, call) != 0) return -1;
            argn++;
            continue;
        }
        if (!strchr("ilLdfs", c)) {
            scr_set_SCRERR("fn_type[%d]=%d", k, c);
            return -1;
        }
        VAL_U &t = vals.next();
        if (arg(t) != 0) return bad_arg();
        FN_ARG &a = call.arg[call.argc++];
        a = FN_ARG{};
        if (!sup()) scr_fn_convert(c, t, a);
        else if (c == 's') a.s = "";
        argn++;
    }
    if (scr_match_key(p, ")") != 0) {
        scr_set_SCRERR("%s():引数が多すぎる", fn->name);
        return -1;
    }
    if (sup() || !fn->fn) {
        val.val_putd(0);
        pos = p;
        return 0;
    }
    if (scr_fn_invoke(fn, call, val) != 0) return -1;
    pos = p;
    return 0;
}

