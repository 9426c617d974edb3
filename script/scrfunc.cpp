// Functions and the translation unit: the link pass registers functions and creates globals and
// statics; the run pass runs main. Calls re-scan the callee's text from its recorded position on
// the native stack (at most 100 active calls).
//
//   translation-unit : { declaration | function-definition }
//   function-def     : [ decl-specs ] { pointer } identifier parameter-list ( ";" | compound )
//   parameter-list   : "(" [ "void" | parameter { "," parameter } [ "," "..." ] ] ")"
//   parameter        : decl-specs [ "&" ] declarator
//   call             : identifier "(" [ argument { "," argument } ] ")"
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "script/scr.h"
#include "script/scrcache.h"
#include "script/scrlean.h"
#include "script/scrtree.h"
#include "sheet/cellref.h"
#include "sheet/csv.h"
#include "base/kovlog.h"


// ---- definitions ----

int SCR_U::scr_function_definition(const char *&pos, VTBL_U **argv, VAL_U *result)
{
    int link = argv == nullptr;
    SCR_SET<FRAME *> noframe(scr_frame, nullptr);   // a body read here has no frame
    MARK mark(*this, "SCR_U::scr_function_definition", pos);
    struct RAISE {
        int &n, on;
        RAISE(int &n, int on) : n(n), on(on) { n += on; }
        ~RAISE() { n -= on; }
    } raise(ctx.st_noexect, link);
    const char *p = pos;
    scr_skip_space(p);
    const char *text = p;
    DECL_SPEC spec;
    if (scr_decl_specs(p, spec) != 0) spec = DECL_SPEC{VT_VAR, 0};
    KOV_LOG("関数型=%s", scr_typ_string(spec.type));
    while (scr_pointer(p) == 0) {
    }
    struct LABEL {   // a label is sought within one function: the caller's state comes back
        SCR_U &s;
        char keep[SCR_NAMESIZE];
        explicit LABEL(SCR_U &s) : s(s) { memcpy(keep, s.ctx.goto_label, sizeof keep); }
        ~LABEL() { memcpy(s.ctx.goto_label, keep, sizeof keep); }
    } label(*this);
    BLOCK block(*this);
    char name[SCR_NAMESIZE];
    if (scr_idname(p, name, sizeof name) != 0) return -1;
    ctx.set_func(name);
    vt_bump();
    ctx.fn_spec = spec;
    SCR_PARAM param[SCR_MAXARG] = {};
    int varargs = 0;
    if (scr_direct_declarator_func(p, argv, param, varargs) != 0) return -1;
    int c = scr_skip_space(p);
    if (c == ';') {
        if (link) scr_put_ftbl(name, nullptr, spec.type, spec.flags, param, varargs);
        pos = p + 1;
        return 0;
    }
    if (c != '{') {
        scr_set_SCRERR("; 又は { が必要");
        return -1;
    }
    if (link && scr_put_ftbl(name, text, spec.type, spec.flags, param, varargs) != 0) {
        KOV_LOG("scr_put_ftbl(%s) 失敗", name);
        return -1;
    }
    struct PENDING {   // a return is the function's own: it never reaches the caller
        int &r;
        explicit PENDING(int &r) : r(r) {}
        ~PENDING() { r = 0; }
    } pending(scr_ret_pending);
    long loops = scr_loops_read;
    if (scr_tree_body(text, name, p) != 0) {
        KOV_LOG("scr_function_compound() 失敗");
        return -1;
    }
    if (link && scr_loops_read != loops)
        if (FTBL_U *f = scr_get_ftbl(name)) f->loops = 1;
    if (!scr_ret_pending) {
        if (result) result->val_putd(0);
    } else {
        KOV_LOG("catch(E_RETURN)");
        if (result) result->val_copy(scr_retval);
    }
    pos = p;
    return 0;
}

// The body of the function defined at fn: its tree when it has one and the tree runs, else
// its text. The link builds the trees of bodies with a loop or a goto, and in a small script of
// the others; the rest get theirs when they run again, so that text that runs once is only read.
int SCR_U::scr_tree_body(const char *fn, const char *name, const char *&pos)
{
    FTBL_U *callee = scr_callee;
    scr_callee = nullptr;
    if (ctx.scr_pass == 1 && scr_tree && scr_xc && scr_xc->base() && !kov::log_get_debug() &&
        (scr_tree_mode == 2 || scr_tree->link_all() || scr_tree->loops_in(pos))) {
        // The link builds the tree as its reading of the body: every body's in a small script
        // (in tree mode 2 always), else a body with a loop (it gets its tree at its first run
        // anyway). One reading a caller's variable by reference is built at a run, where its
        // reading checks it as bound.
        FTBL_U *f = scr_get_ftbl(name);
        bool refs = false;
        for (int i = 0; f && i < f->nparam; i++) refs |= (f->param(i).flags & SF_REF) != 0;
        if (f && f->text == fn && !f->tfn && !refs) {
            int r = -1;
            try {
                r = scr_tree->build_link(f, pos, ctx.fn_spec.type);
            } catch (const std::bad_alloc &) {
            }
            if (r == 0) return 0;
        }
    }
    if (scr_tree_mode && ctx.scr_pass == 2 && !kov::log_get_debug()) {
        if (!scr_tree) scr_tree = new (std::nothrow) SCR_TREE(*this);
        FTBL_U *f = callee && callee->text == fn ? callee : scr_get_ftbl(name);
        if (scr_tree && f && (!const_param() || scr_tree->const_ok(f))) {
            const TFN *t = f->tfn;
            if (!t && scr_tree->due(f)) t = scr_tree_build(f, pos);
            // A lean form is made at a body's first run when it has a loop, else at its second.
            if (t && scr_tree->ready(f)) {
                int r = scr_tree->lean->body_of(f);
                if (r < 0) return -1;
                if (r == 0) {
                    pos = t->end;
                    return 0;
                }
            }
            if (t) return scr_tree->run(*t, pos);
        }
    }
    return scr_function_compound(pos);
}

// Whether a parameter of the function being entered is bound to a constant by reference: the
// reader's reading of the body checks each store into it, also one that does not run (a tree
// runs only where its body stores into no such name: SCR_TREE::const_ok).
bool SCR_U::const_param() const
{
    for (const VTBL_U *e = vtbl_top; e && e->nest == ctx.scr_nest; e = e->next)
        if (e->flags & SF_CONST) return true;
    return false;
}

const TFN *SCR_U::scr_tree_build(FTBL_U *f, const char *body)
{
    try {
        if (scr_tree->build(f, body, ctx.fn_spec.type) == 0) return f->tfn;
    } catch (const std::bad_alloc &) {
        // Out of memory this body runs from its text (never built again); the other trees stay,
        // as trees up the stack may be running.
    }
    return nullptr;
}

// The body of a function; a goto re-reads it suppressed from its start up to the label.
int SCR_U::scr_function_compound(const char *&pos)
{
    const char *start = pos;
    int body_nest = ctx.scr_nest, base_st = ctx.st_noexect;
    ctx.sw_nest = ctx.loop_nest = ctx.brk_flag = ctx.cnt_flag = 0;
    for (;;) {
        const char *p = start;
        try {
            if (scr_match_key(p, "{") != 0 || scr_compound_stat(p) != 0) return -1;
            if (ctx.goto_label[0]) {
                err_label(ctx.goto_label);
                if (!scr_errpos) scr_errpos = scr_goto_pos;
                return -1;
            }
            pos = p;
            return 0;
        } catch (E_GOTO) {
            KOV_LOG("%s:", scr_goto_to);
            strcpy(ctx.goto_label, scr_goto_to);   // seeking the label suppresses by itself
            ctx.st_noexect = base_st;
            ctx.scr_nest = body_nest;
            ctx.sw_nest = ctx.loop_nest = ctx.brk_flag = ctx.cnt_flag = 0;
            scr_del_vtbl(body_nest + 1);
        }
    }
}

// Binds parameter vt (number i) to argument av of a call.
int SCR_U::scr_bind_param(VTBL_U *vt, VTBL_U *av, int i)
{
    KOV_LOG("%s():参照開始", ctx.func_name);
    if (!av) {
        scr_set_SCRERR("第 %d 引数がない", i + 1);
        return -1;
    }
    if (av->type != vt->type) {
        scr_set_SCRERR("%s:引数 %d の型が不一致", ctx.func_name, i + 1);
        KOV_LOG("varg_p=%s vtbl_p=%s", scr_typ_string(av->type), scr_typ_string(vt->type));
    }
    int dims = vt->vtb_dims();
    if (av->vtb_dims() != dims) {
        scr_set_SCRERR("%s:引数 %d の次元が不一致", ctx.func_name, i + 1);
        return -1;
    }
    auto differ = [](int a, int b) { return a > 0 && b > 0 && a != b; };
    if ((dims >= 1 && differ(av->vtb_xs(), vt->vtb_xs())) || (dims == 2 && differ(av->vtb_ys(), vt->vtb_ys()))) {
        scr_set_SCRERR("%s():%d 引数 X サイズ不一致", ctx.func_name, i + 1);
        return -1;
    }
    vt->vtb_link(av->vtb_gajet_pt);
    vt->type = av->type;
    vt->flags = (av->flags & ~SF_HIDDEN) | SF_BOUND;
    vt_bump();
    return 0;
}

// A parameter of a linked function made and bound to argument av (a value's hidden entry, or
// the variable given by reference) as the declaration's reading and scr_bind_param make it (a
// new block level: no name to clash with): it shares av's storage, type and flags.
int SCR_U::scr_bind_arg(const char *name, VTBL_U *av)
{
    if (!av) return -1;
    VTBL_U *vt = new (std::nothrow) VTBL_U(this);
    if (!vt) return scr_err_nomem();
    scr_name_cpy(vt->name, name);
    scr_name_cpy(vt->owner, ctx.func_name);
    vt->vtb_link(av->vtb_gajet_pt);
    vt->nest = ctx.scr_nest;
    vt->type = av->type;
    vt->flags = (av->flags & ~SF_HIDDEN) | SF_BOUND;
    vt->next = vtbl_top;
    vtbl_top = vt;
    vt->hkey = vt_key(vt);
    vt_index.put(vt);
    vt_bump();
    return 0;
}

int SCR_U::scr_direct_declarator_func(const char *&pos, VTBL_U **argv, SCR_PARAM *param, int &varargs)
{
    const char *p = pos;
    if (scr_match_key(p, "(") != 0) return -1;
    if (scr_match_key(p, ")") == 0) {
        pos = p;
        return 0;
    }
    const char *q = p;
    if (scr_match_key(q, "void") == 0 && scr_match_key(q, ")") == 0) {
        pos = q;
        return 0;
    }
    for (int i = 0;; i++) {
        if (scr_match_key(p, "...") == 0) {
            varargs = 1;
            break;
        }
        if (i >= SCR_MAXARG) {
            scr_set_SCRERR("引数が %d 個を越えた", SCR_MAXARG);
            return -1;
        }
        DECL_SPEC spec;
        if (scr_decl_specs(p, spec) != 0) {
            scr_set_SCRERR("型宣言がない");
            return -1;
        }
        if (scr_match_key(p, "&") == 0) spec.flags |= SF_REF;
        VTBL_U *vt = scr_direct_declarator_var(p, spec.type, spec.flags, 1);
        if (!vt) {
            scr_set_SCRERR("引数が無効");
            return -1;
        }
        if (vt->vtb_dims() > 0) {
            KOV_LOG("%s():参照配列", ctx.func_name);
            vt->flags |= SF_REF;
        }
        if (argv && scr_bind_param(vt, argv[i], i) != 0) return -1;
        KOV_LOG("引数完成 %s(%d) %s[%d][%d]", ctx.func_name, i, vt->name, vt->vtb_ys(), vt->vtb_xs());
        param[i] = SCR_PARAM{vt->type, vt->flags, vt->vtb_xs(), vt->vtb_ys(), vt->vtb_dims()};
        if (scr_match_key(p, ",") != 0) break;
    }
    if (scr_match_key(p, ")") != 0) return -1;
    pos = p;
    return 0;
}

// ---- calls ----

VTBL_U *SCR_U::scr_make_argvar(const VAL_U &val, int index)
{
    // Every call makes these: made as scr_put_var makes a hidden scalar, without its checks of
    // a declared name. Hidden: in the list only, so a caller's arg0 stays its own.
    VTBL_U *vt = new (std::nothrow) VTBL_U(this);
    VAR_GJ *gj = vt ? new (std::nothrow) VAR_GJ(1, 1, 0) : nullptr;
    if (!gj) {
        delete vt;
        scr_err_nomem();
        return nullptr;
    }
    memcpy(vt->name, "arg", 3);
    *std::to_chars(vt->name + 3, vt->name + SCR_NAMESIZE - 1, index).ptr = 0;
    scr_name_cpy(vt->owner, ctx.func_name);
    vt->vtb_link(gj);
    vt->nest = ctx.scr_nest;
    vt->type = VT_VAR;
    vt->flags = SF_HIDDEN;
    vt->next = vtbl_top;
    vtbl_top = vt;
    KOV_LOG("変数登録 %s %s@%s x:%d y:%d", scr_typ_string(VT_VAR), vt->owner, vt->name, 1, 1);
    return gj->gj_putv(0, 0, val) == 0 ? vt : nullptr;
}

// The sheet variable my with its storage, or nullptr with the error text.
VTBL_U *SCR_U::my_var()
{
    VTBL_U *my = scr_get_vtbl("my");
    if (my && my->vtb_gajet_pt) return my;
    scr_set_SCRERR("%s が無効", "my");
    return nullptr;
}

// The variable named by argument argn (0-based) into name, or nullptr with the error text:
// not_name (taking the argument's number) when no identifier stands there.
VTBL_U *SCR_U::arg_var(const char *&p, char (&name)[SCR_NAMESIZE], const char *not_name, int argn)
{
    if (scr_idname(p, name, sizeof name) != 0) {
        scr_set_SCRERR(not_name, argn + 1);
        return nullptr;
    }
    return arg_named(name);
}

VTBL_U *SCR_U::arg_named(const char *name)
{
    VTBL_U *v = scr_get_vtbl(name);
    if (!v) scr_set_SCRERR("変数 %s がない", name);
    return v;
}

// The cell range form of an argument: an ARRAY by-reference parameter followed by four scalar
// values takes "R1C1:R2C2" in a formula as my and the range's column, row, width and height.
int SCR_U::scr_arg_range(const char *&pos, int &count, const FTBL_U *f, VTBL_U **argv)
{
    int i = count;
    if (ctx.cel_x == SCR_NOCELL || !scr_range_params(f->params.get(), f->nparam, i)) return -1;
    const char *p = pos;
    scr_skip_space(p);
    CSV_RECT rc;
    if (csv_parse_range(p, ctx.cel_x, ctx.cel_y, &rc) != 0) return -1;
    if (scr_range_argv(rc, i, argv) != 0) return -2;
    count += 5;
    pos = p;
    return 0;
}

int SCR_U::scr_range_argv(const KOV_RECT &rc, int i, VTBL_U **argv)
{
    if (!(argv[i] = my_var())) return -1;
    // (a range from row 0 to the last row is 2^31 rows high: not an int)
    const double vals[4] = {(double)rc.x1, (double)rc.y1, (double)rc.x2 - rc.x1 + 1, (double)rc.y2 - rc.y1 + 1};
    for (int k = 0; k < 4; k++) {
        VAL_U v;
        v.val_putd(vals[k]);
        if (!(argv[i + 1 + k] = scr_make_argvar(v, i + 1 + k))) {
            scr_set_SCRERR("引数変数作成失敗");
            return -1;
        }
    }
    return 0;
}

int SCR_U::scr_func_arg(const char *&pos, const char *fname, int &count, const FTBL_U *f, VTBL_U **argv)
{
    int i = count;
    if (i >= SCR_MAXARG) {
        scr_set_SCRERR("%s():引数数超過(%d)", fname, i);
        return -1;
    }
    const SCR_PARAM &d = f->param(i);
    const char *p = pos;
    if (d.type == 0) {
        if (!f->varargs) {
            scr_set_SCRERR("%s():引数 %d が過剰", fname, i + 1);
            return -1;
        }
        VAL_U t;   // after "...": evaluated, bound to nothing
        if (scr_assignment_exp(p, t) != 0) return -1;
        count++;
        pos = p;
        return 0;
    }
    int rr = scr_arg_range(p, count, f, argv);
    if (rr != -1) {
        if (rr == 0) pos = p;
        return rr == 0 ? 0 : -1;
    }
    if (d.flags & SF_REF) {
        char name[SCR_NAMESIZE];
        VTBL_U *v = arg_var(p, name, "第 %d 引数が変数名でない", i);
        if (!v || scr_ref_arg_ok(v, name, d, i) != 0) return -1;
        argv[i] = v;
    } else {
        if (d.type != VT_VAR) {
            scr_set_SCRERR("第 %d 引数型が var でない", i + 1);
            return -1;
        }
        VAL_U t;
        if (scr_assignment_exp(p, t) != 0) return -1;
        if (!sup() && !(argv[i] = scr_make_argvar(t, i))) {
            scr_set_SCRERR("引数作成失敗");
            return -1;
        }
    }
    count++;
    pos = p;
    return 0;
}

int SCR_U::scr_ref_arg_ok(const VTBL_U *v, const char *name, const SCR_PARAM &d, int i)
{
    if (v->type != d.type) {
        scr_set_SCRERR("変数 %s の型が不一致", name);
        return -1;
    }
    if (v->vtb_dims() != d.dims) {
        scr_set_SCRERR("変数 %s の次元が不一致", name);
        return -1;
    }
    return ctx.scr_pass == 2 && !sup() ? scr_ref_sizes_ok(v->vtb_xs(), v->vtb_ys(), d, i) : 0;
}

int SCR_U::scr_ref_sizes_ok(int vx, int vy, const SCR_PARAM &d, int i)
{
    if (vx >= 1 && d.x >= 1 && vx != d.x) {
        scr_set_SCRERR("第 %d 引数 X サイズ不一致(%d!=%d)", i + 1, vx, d.x);
        return -1;
    }
    if (d.dims == 2 && vy >= 1 && d.y >= 1 && vy != d.y) {
        scr_set_SCRERR("第 %d 引数 Y サイズ不一致(%d!=%d)", i + 1, vy, d.y);
        return -1;
    }
    return 0;
}

// The link pass meets a call of a function not defined yet: read its arguments (a bare name
// may be a by-reference one) and remember the call; the end of the link checks it.
int SCR_U::scr_jump_skip_args(const char *&pos, const char *name, const char *at)
{
    scr_fwd_met++;
    const char *p = pos;
    if (scr_match_key(p, ")") != 0) {
        for (;;) {
            const char *q = p;
            char id[SCR_NAMESIZE];
            int c = scr_idname(q, id, sizeof id) == 0 ? scr_skip_space(q) : 0;
            if (c == ',' || c == ')') {
                p = q;
            } else {
                VAL_U t;
                if (scr_assignment_exp(p, t) != 0) return -1;
            }
            if (scr_match_key(p, ",") != 0) break;
        }
        if (scr_match_key(p, ")") != 0) return err_paren(name);
    }
    for (auto &f : scr_fwd)
        if (f.first == name) {
            pos = p;
            return 0;
        }
    scr_fwd.emplace_back(name, at);
    pos = p;
    return 0;
}

int SCR_U::scr_link_check()
{
    for (auto &f : scr_fwd)
        if (!scr_get_ftbl(f.first.c_str())) {
            far_pos = f.second;
            return err_nofunc(f.first.c_str());
        }
    return 0;
}

int SCR_U::scr_func_exec(const char *&pos, VAL_U &val)
{
    const char *p = pos;
    scr_skip_space(p);
    const char *at = p;
    char name[SCR_NAMESIZE];
    if (scr_idname(p, name, sizeof name) != 0 || scr_match_key(p, "(") != 0) return -1;
    KOV_LOG("KEY:%s", name);
    FTBL_U *f = scr_get_ftbl(name);
    if (!f) {
        if (ctx.scr_pass == 1 && sup()) {
            if (scr_jump_skip_args(p, name, at) != 0) return -1;
            val.val_putd(0);
            pos = p;
            return 0;
        }
        return err_nofunc(name);
    }
    BLOCK block(*this);
    KOV_LOG("%s() 呼出", name);
    VTBL_U *argv[SCR_MAXARG] = {};
    int count = 0;
    const char *args = p;
    if (scr_match_key(p, ")") != 0) {
        for (;;) {
            if (scr_func_arg(p, name, count, f, argv) != 0) {
                KOV_LOG("%s() 引数評価失敗", name);
                return -1;
            }
            if (scr_match_key(p, ",") != 0) break;
        }
        if (scr_match_key(p, ")") != 0) return err_paren(name);
    }
    if (count < f->nparam) {
        scr_set_SCRERR("%s(%d):引数の数が不一致", name, count);
        return -1;
    }
    if (sup()) {
        val.val_putd(0);
        pos = p;
        return 0;
    }
    MARK mark(*this, at, args);
    if (func_depth >= SCR_MAXCALL) {
        KOV_ATT("関数ネスト超過(%d)", func_depth);
        scr_set_SCRERR("関数ネスト超過(%d)", func_depth);   // else the failing return's text hides it
        return -1;
    }
    SCR_SET<int> depth(func_depth, func_depth + 1);
    const char *t = f->text;
    scr_callee = f;
    if (scr_function_definition(t, argv, &val) != 0) return -1;
    KOV_LOG("%s() 戻値==%g", name, val.val_getd());
    pos = p;
    return 0;
}

// ---- host hook ----

// Also while the link pass runs code (a function called by a file-level initializer), so that
// such code can be stopped like any run.
void SCR_U::scr_callback_host(int code, intptr_t arg)
{
    if (ctx.scr_pass < 1 || sup()) return;
    if (scr_host().host_callback(code, arg) == -1) throw E_EXIT(1);
}

// ---- passes ----

int SCR_U::scr_translation_unit(const char *text, int pass, int *result)
{
    OUTER outer(*this);
    MARK mark(*this, "SCR_U::scr_translation_unit", text);
    ctx.scr_pass = pass;
    ctx.goto_label[0] = 0;
    func_depth = 0;
    scr_errpos = nullptr;
    KOV_LOG("PASS:%d", pass);
    // Parsed forms are the text's: a link reads a text that may be new at the same address.
    if (pass == 1) {
        // the link builds trees: the forms are of this text
        const bool trees = scr_tree_mode && scr_cache_on;
        if (scr_tree) scr_tree->clear();
        if (trees) {
            if (!scr_xc) scr_xc = new (std::nothrow) SCR_XC(*this);
            if (!scr_tree) scr_tree = new (std::nothrow) SCR_TREE(*this);
        }
        if (scr_xc) scr_xc->rebase(trees ? text : nullptr);
    } else if (!scr_xc || scr_xc->base() != text) {
        if (!scr_xc) scr_xc = new (std::nothrow) SCR_XC(*this);
        if (scr_xc) scr_xc->rebase(text);
    }
    const char *p = pass == 1 ? scr_past_shebang(text) : text;
    try {
        return scr_trapped([&]() -> int {
            if (pass == 1) {
                scr_fwd.clear();
                for (;;) {
                    if (scr_skip_space(p) == 0) {
                        if (scr_link_check() != 0) return -1;
                        KOV_LOG("PASS_1:正常終了");
                        return 0;
                    }
                    KOV_LOG("PASS1:%s", scr_line40col(p));
                    if (scr_decl(p, 1) == 0 || scr_function_definition(p, nullptr, nullptr) == 0) continue;
                    scr_set_SCRERR("構文誤り");
                    return -1;
                }
            }
            FTBL_U *f = scr_get_ftbl("main");
            if (!f) {
                scr_set_SCRERR("関数 main() がない");
                KOV_LOG("PASS_2:異常終了");
                return -1;
            }
            KOV_LOG("main() 実行開始");
            srand(0);
            VTBL_U *argv[SCR_MAXARG] = {};
            VAL_U res;
            const char *t = f->text;
            scr_callee = f;
            if (scr_function_definition(t, argv, &res) != 0) {
                scr_set_SCRERR("PASS_2:異常終了");
                return -1;
            }
            int r = scr_trunc32(res.val_getd());
            KOV_LOG("PASS_2:正常終了(%d)", r);
            if (result) *result = r;
            return 0;
        });
    } catch (E_EXIT e) {
        KOV_LOG("catch(E_EXIT %d)", (int)e);
        if (pass == 1) {
            scr_set_SCRERR("catch(E_EXIT %d)", (int)e);
            return -1;
        }
        if (result) *result = (int)e;   // the end status is the exit code (a stop: 1), not success
        return 0;
    } catch (E_SIGNAL) {
        KOV_LOG("catch(E_SIGNAL)");
        scr_fatal = 1;
        return -1;
    } catch (E_GOTO) {
        return err_label(scr_goto_to);
    } catch (const std::bad_alloc &) {
        return scr_err_nomem();
    }
}

int SCR_U::scr_link_scrpt()
{
    std::string src;
    if (scr_host().host_ed_text(src) < 0) {
        KOV_ATT("kov_p==NULL or ted_p==NULL");
        return -1;
    }
    delete[] scr_text;
    scr_text = new (std::nothrow) char[src.size() + 1];
    if (!scr_text) return -1;
    memcpy(scr_text, src.c_str(), src.size() + 1);
    std::string().swap(src);   // one copy of a big text while the link makes its memos
    int st = scr_tstat;
    scr_tstat = TST_SCRPT_RUN;
    int r = scr_translation_unit(scr_text, 1, nullptr);
    scr_tstat = st;
    if (r != 0) {
        long at = far_pos ? long(far_pos - scr_text) : -1;   // the link reads scr_text only
        scr_host().host_ed_show(scr_text, at, at, scr_get_nowerr());
        scr_host().host_status("スクリプトが無効");
        return -1;
    }
    return 0;
}

// No allocation failure leaves the interpreter as an exception: copying the editor's text or
// building the views may run out of memory as well as the run.
int SCR_U::scr_prepare(int mode)
{
    try {
        return scr_prepare_mode(mode);
    } catch (const std::bad_alloc &) {
        return scr_err_nomem();
    }
}

int SCR_U::scr_prepare_mode(int mode)
{
    KOV_LOG("scr_prepare()");
    // While a run or formula is on the stack it reads the linked text and tables: a formula
    // checked meanwhile (a cell edited during a pause) uses them as they are, even when the
    // editor's text has changed, and no second script starts.
    if (scr_stack_base && (mode == PREP_SCRIPT_BEGIN || mode == PREP_FORM_BEGIN)) return mode == PREP_FORM_BEGIN && scr_linked ? 0 : -1;
    switch (mode) {
    case PREP_SCRIPT_END:
        KOV_LOG("PREP_SCRIPT_END");
        if (scr_csv && scr_csv->csv_exists()) {
            scr_make_alltbl();
            if (kov::log_get_debug()) scr_log_alltbl();
        }
        scr_file_closeall();
        return 0;
    case PREP_FORM_END:
        return 0;
    case PREP_SCRIPT_BEGIN:
        scr_reset();
        break;
    case PREP_FORM_BEGIN:
        break;
    default:
        return -1;
    }
    long stamp = scr_host().host_ed_stamp();
    if (stamp < 0) return -1;   // no editor, no script
    if (scr_text && scr_linked && scr_stamp == stamp) return 0;
    scr_reset();
    void *probe = malloc(10485760);
    if (!probe) {
        KOV_ATT("メモリ不足で実行できない");
        return -1;
    }
    free(probe);
    if (scr_default_enum() != 0) {
        scr_set_SCRERR("列挙子初期設定失敗");
        return -1;
    }
    if (scr_put_my() != 0) {
        scr_set_SCRERR("自己配列登録失敗");
        return -1;
    }
    if (scr_link_scrpt() != 0) {
        KOV_LOG("scr_link_scrpt() 失敗");
        scr_reset();
        return -1;
    }
    scr_stamp = stamp;
    scr_linked = 1;
    if (mode == PREP_FORM_BEGIN) scr_make_alltbl();
    return 0;
}

int SCR_U::scr_do_allstep(const char *text, int *result)
{
    if (!text) {
        KOV_ATT("txt_pt == NULL");
        return -1;
    }
    return scr_translation_unit(text, 2, result);
}
