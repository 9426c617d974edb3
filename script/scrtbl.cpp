// Symbol tables: variables and functions in plain lists, newest first, scoped by nest levels;
// the interpreter context saved and restored by blocks; the three debugging views as data.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "script/scr.h"
#include "script/scrtree.h"
#include "script/scrcache.h"
#include "script/scrlean.h"
#include "sheet/csv.h"
#include "base/kovlog.h"
#include "base/kovtext.h"

long VTBL_U::vtb_objct = 0;
long FTBL_U::ftb_objct = 0;

// ---- entries ----

VTBL_U::VTBL_U(SCR_U *host) : host(host), born(host->vt_births++) { vtb_objct++; }

VTBL_U::~VTBL_U()
{
    if (hprev) {   // out of the name index
        *hprev = hnext;
        if (hnext) hnext->hprev = hprev;
        host->vt_index.left();
        host->vt_bump();
    }
    vtb_link(nullptr);
    VTBL_U *n = next;
    next = nullptr;
    while (n) {    // the chain behind, without recursion
        VTBL_U *nn = n->next;
        n->next = nullptr;
        delete n;
        n = nn;
    }
    vtb_objct--;
}

const char *VTBL_U::vtb_show(char *buf, int size) const
{
    int n = snprintf(buf, size, "%s@%s", owner, name);
    int d = vtb_dims();
    if (n > 0 && n < size && d == 1) snprintf(buf + n, size - n, "[%d]", vtb_xs());
    if (n > 0 && n < size && d == 2) snprintf(buf + n, size - n, "[%d][%d]", vtb_ys(), vtb_xs());
    return buf;
}

int VTBL_U::vtb_link(BASE_GJ *gj)
{
    if (gj == vtb_gajet_pt) return 0;
    host->vt_bump();   // what a name's element was remembered as may be gone
    if (born < host->vt_call_births) host->vt_lasting++;
    if (kov::log_get_debug()) return vtb_link_traced(gj);
    if (BASE_GJ *old = vtb_gajet_pt) {   // every call binds and drops: without the trace's frame
        vtb_gajet_pt = nullptr;
        // A negative count marks a gadget the variables do not own: it is never counted down.
        if (old->gj_count >= 0 && --old->gj_count < 1) delete old;
    }
    if (gj) {
        if (gj->gj_count >= 0) gj->gj_count++;
        vtb_gajet_pt = gj;
    }
    return 0;
}

int VTBL_U::vtb_link_traced(BASE_GJ *gj)
{
    char shown[160];
    vtb_show(shown, sizeof shown);
    if (BASE_GJ *old = vtb_gajet_pt) {
        vtb_gajet_pt = nullptr;
        if (gj) KOV_LOG("%s:以前のガジェット %s を開放", shown, old->gj_class());
        if (old->gj_count >= 0 && --old->gj_count < 1) {
            KOV_LOG("%s:ガジェット %s を開放", shown, old->gj_class());
            delete old;
        }
    }
    if (gj) {
        KOV_LOG("%s:ガジェット %s をリンク", shown, gj->gj_class());
        if (gj->gj_count >= 0) gj->gj_count++;
        vtb_gajet_pt = gj;
    }
    return 0;
}

FTBL_U::FTBL_U() { ftb_objct++; }

FTBL_U::~FTBL_U()
{
    FTBL_U *n = next;
    next = nullptr;
    while (n) {
        FTBL_U *nn = n->next;
        n->next = nullptr;
        delete n;
        n = nn;
    }
    ftb_objct--;
}

// ---- the interpreter object ----

SCR_U::SCR_U()
{
    scr_signal_init();
    for (int i = 0; i < SCR_FILES; i++) fd_slot[i] = -1;
    memset(fd_type, 0, sizeof fd_type);
    scr_tree_mode = scr_tree_env();
    static const int lean_env = [] {
        const char *e = getenv("KOVASH_LEAN");
        return !(e && e[0] == '0' && !e[1]);
    }();
    scr_lean_on = lean_env;
}

SCR_U::~SCR_U()
{
    scr_reset(1);
    scr_file_closeall();
    delete scr_xc;
    delete scr_tree;
}

const FN_DEF *SCR_U::scr_fn_lookup(const char *name)
{
    return scr_fn_table ? scr_fn_table(name) : nullptr;
}

// Drops both tables, the text copy and the run state.
void SCR_U::scr_reset(int full)
{
    delete vtbl_top;
    vtbl_top = nullptr;
    delete ftbl_top;
    ftbl_top = nullptr;
    scr_callee = nullptr;
    ft_index.clear();
    if (VTBL_U::vtb_objct) KOV_LOG("VTBL_U::vtb_objct=%ld", VTBL_U::vtb_objct);
    if (FTBL_U::ftb_objct) KOV_LOG("FTBL_U::ftb_objct=%ld", FTBL_U::ftb_objct);
    delete[] scr_text;
    scr_text = nullptr;
    if (scr_xc) scr_xc->rebase(nullptr);
    scr_reset_far();
    func_depth = 0;
    scr_stamp = 0;
    scr_linked = 0;
    ctx = SCR_CTX();
    vt_bump();
    scr_retval.val_clear();
    scr_ret_pending = 0;
    scr_errpos = nullptr;
    scr_deep = 0;
    scr_deep_err = 0;
    scr_fwd.clear();
    scr_clear_errors();
    if (full) {
        for (SCR_VIEW *v : {&view_ftbl, &view_vtbl, &view_stbl}) {
            v->open = 0;
            v->view_size(0, 0);
        }
    }
}

// Visible entry of name: a local or static of the current function at once (the newest), else
// the oldest global.
VTBL_U *SCR_U::scr_get_vtbl(const char *name)
{
    if (!name || !*name) return nullptr;
    VTBL_U *global = nullptr;
    long steps = 0;
    int guard = kov::log_get_debug();
    auto runaway = [&] {   // (a broken chain, under the debug log only)
        if (!guard || ++steps <= 1000000) return false;
        scr_set_SCRERR("BREAK:idname=%s", name);
        return true;
    };
    const unsigned h = scr_name_hash(name);
    if (ctx.func_name[0]) {
        for (VTBL_U *v = vt_index.head_of(h ^ ctx.func_seed); v; v = v->hnext) {
            if (runaway()) return nullptr;
            if (!scr_name_eq(v->name, name) || !v->owner[0] || !scr_name_eq(v->owner, ctx.func_name)) continue;
            if (v->nest != 0) {
                KOV_LOG("ローカル変数 %s", name);
            } else {
                KOV_LOG("static 変数 %s", name);
            }
            KOV_LOG("変数 %s %s 取得", name, scr_typ_string(v->type));
            return v;
        }
    }
    for (VTBL_U *v = vt_index.head_of(h); v; v = v->hnext) {
        if (runaway()) return nullptr;
        if (!v->owner[0] && scr_name_eq(v->name, name)) global = v;
    }
    if (global) {
        KOV_LOG("グローバル変数 %s", name);
        KOV_LOG("変数 %s %s 取得", name, scr_typ_string(global->type));
    }
    return global;
}

int SCR_U::scr_put_vtbl(VTBL_U *vt)
{
    if (vt->flags & SF_HIDDEN) {   // never found by name (a call's arguments): the list only
        vt->next = vtbl_top;
        vtbl_top = vt;
        return 0;
    }
    VTBL_U *old = scr_get_vtbl(vt->name);
    if (old && old->nest == vt->nest) {
        KOV_LOG("重複変数 %s", vt->name);
        return -1;
    }
    vt->next = vtbl_top;
    vtbl_top = vt;
    vt->hkey = vt_key(vt);
    vt_index.put(vt);
    vt_bump();
    KOV_LOG("変数登録 %s %s", vt->name, scr_typ_string(vt->type));
    return 0;
}

VTBL_U *SCR_U::scr_put_var(const char *name, int x, int y, int dims, int type, int flags, int is_param)
{
    if (!name || !*name) {
        scr_set_SCRERR("(idname == NULL) || (*idname == 0)");
        return nullptr;
    }
    int len = (int)strlen(name);
    if (len >= SCR_NAMESIZE) {
        scr_set_SCRERR("strlen(%s) == %d", name, len);
        return nullptr;
    }
    if (flags & SF_TYPEDEF) {
        scr_set_SCRERR("typedef は未サポート");
        return nullptr;
    }
    if (is_param && (flags & (SF_CONST | SF_STATIC | SF_EXTERN))) {
        scr_set_SCRERR("関数引数では使えない型を指定");
        return nullptr;
    }
    if ((flags & SF_STATIC) && ctx.scr_nest > 0 && !is_param && ctx.scr_pass != 1) {
        if (ctx.scr_pass != 2) return nullptr;
        VTBL_U *old = scr_get_vtbl(name);   // a static is made once, by the link pass
        if (old && strcmp(old->owner, ctx.func_name) == 0 && (old->flags & SF_STATIC)) return old;
        scr_set_SCRERR("%s@%s の登録に失敗している", ctx.func_name, name);
        return nullptr;
    }
    VTBL_U *vt = new (std::nothrow) VTBL_U(this);
    if (!vt) {
        scr_err_nomem();
        return nullptr;
    }
    BASE_GJ *gj = nullptr;
    if (type < 0) {
        err_type(type);
    } else if (type < VT_VAR) {
        scr_set_SCRERR("変数として無効な型 %s を使用", scr_typ_string(type));
    } else if (type == VT_VAR) {
        gj = new (std::nothrow) VAR_GJ(x, y, dims);
        if (!gj) scr_err_nomem();
    } else if (type == VT_ENUM) {
        // no storage
    } else if (dims != 0) {
        scr_set_SCRERR("%s:次元指定は無効", name);
    } else {
        gj = scr_gajet_newpt(scr_gjmaker, type);
        if (!gj) scr_err_nomem();
    }
    if (!gj && type != VT_ENUM) {
        delete vt;
        return nullptr;
    }
    strcpy(vt->name, name);
    strcpy(vt->owner, ctx.func_name);   // the link's log lines name the variable with its scope
    vt->vtb_link(gj);
    vt->nest = ctx.scr_nest;
    vt->type = type;
    vt->flags = flags;
    if (scr_put_vtbl(vt) != 0) {
        delete vt;
        return nullptr;
    }
    KOV_LOG("変数登録 %s %s@%s x:%d y:%d", scr_typ_string(type), vt->owner, name, x, y);
    return vt;
}

int SCR_U::scr_put_enum(const char *, const char *name, int value)
{
    VTBL_U *vt = new (std::nothrow) VTBL_U(this);
    if (!vt) return scr_err_nomem();
    snprintf(vt->owner, sizeof vt->owner, "%s", ctx.func_name);
    snprintf(vt->name, sizeof vt->name, "%s", name);
    vt->type = VT_ENUM;
    vt->nest = ctx.scr_nest;
    vt->value = value;
    if (scr_put_vtbl(vt) != 0) {
        delete vt;
        scr_set_SCRERR("scr_put_vtbl() 失敗");
        return -1;
    }
    return 0;
}

int SCR_U::scr_put_my()
{
    if (!scr_csv || !scr_csv->csv_exists()) {
        scr_set_SCRERR("親配列 %s が未オープン", "my");
        return -1;
    }
    KOV_LOG("自己配列 my[][] 登録");
    VTBL_U *vt = scr_put_var("my", 0, 0, 0, VT_ARRAY, 0, 0);
    MYKOV_GJ *gj = vt ? new (std::nothrow) MYKOV_GJ(scr_csv) : nullptr;
    if (!gj) return err_define("my");
    vt->vtb_link(gj);
    KOV_LOG("自己配列 my[][] リンク");
    return 0;
}

// Destroys the entries at nest level >= level (the other entries are all in front); statics stay
// and fall to level 0, where lookup finds them as statics of their owner. A static stays where
// it stands in the list, so the walk passes over statics: one left in front by an inner block
// must not shield the outer block's entries behind it. A static made before the block began
// (since: vt_births then) ends the walk: what lies behind it is older still, of outer levels.
void SCR_U::scr_del_vtbl(int level, uint64_t since)
{
    VTBL_U **link = &vtbl_top;
    while (VTBL_U *v = *link) {
        if ((v->flags & (SF_STATIC | SF_BOUND)) == SF_STATIC) {
            if (v->born < since) break;
            if (v->nest >= level && v->nest != 0) {
                v->nest = 0;
                vt_bump();
                vt_lasting++;
            }
            link = &v->next;
            continue;
        }
        if (v->nest < level) break;
        *link = v->next;
        v->next = nullptr;
        delete v;
    }
}

void SCR_U::scr_block_in(SCR_CTX &saved)
{
    saved = ctx;
    ctx.scr_nest++;
    ctx.block_born = vt_births;
}

// The label a goto seeks is the function's, not the block's: it stays as it is (found inside,
// it must not be sought again after the block).
// The labels a loop inside a switch body met are the switch's: their count and a selection
// made inside the loop (execution goes on after it, as in C) stay too.
void SCR_U::scr_block_out(const SCR_CTX &saved)
{
    int inner = ctx.scr_nest;
    uint64_t born = ctx.block_born;
    char label[SCR_NAMESIZE];
    memcpy(label, ctx.goto_label, sizeof label);
    int same_switch = saved.sw_nest > 0 && ctx.sw_nest == saved.sw_nest;
    int match = ctx.sw_match, dflt = ctx.sw_default, lowered = ctx.sw_lowered;
    const char *case_at = ctx.sw_case_at, *default_at = ctx.sw_default_at;
    ctx = saved;
    vt_bump();
    memcpy(ctx.goto_label, label, sizeof label);
    if (same_switch) {
        ctx.sw_match = match;
        ctx.sw_default = dflt;
        ctx.sw_case_at = case_at;
        ctx.sw_default_at = default_at;
        if (lowered && !saved.sw_lowered) {
            ctx.sw_lowered = 1;
            ctx.st_noexect--;
        }
    }
    scr_del_vtbl(inner, born);
}

FTBL_U *SCR_U::scr_get_ftbl(const char *name)
{
    if (!name || !*name) return nullptr;
    for (FTBL_U *f = ft_index.head(name); f; f = f->hnext)
        if (f->name[0] == name[0] && strcmp(f->name, name) == 0) {
            KOV_LOG("関数取得:%s()", name);
            return f;
        }
    return nullptr;
}

int SCR_U::scr_put_ftbl(const char *name, const char *text, int type, int flags,
                        const SCR_PARAM *param, int varargs)
{
    if (!name || !*name) return -1;
    if (!text) return 0;   // a prototype registers nothing
    if (scr_get_ftbl(name)) {
        scr_set_SCRERR("%s 関数名重複", name);
        return -1;
    }
    FTBL_U *f = new (std::nothrow) FTBL_U;
    if (!f) return scr_err_nomem();
    snprintf(f->name, sizeof f->name, "%s", name);
    f->seed = scr_owned_seed(f->name);
    f->text = text;
    f->type = type;
    f->flags = flags;
    f->varargs = varargs;
    int n = 0;
    while (param && n < SCR_MAXARG && param[n].type != 0) n++;
    if (n) {
        f->params.reset(new (std::nothrow) SCR_PARAM[n]);
        if (!f->params) {
            delete f;
            return scr_err_nomem();
        }
        std::copy(param, param + n, f->params.get());
        f->nparam = n;
    }
    KOV_LOG("引数型:%d,%d,%d ...", f->param(0).type, f->param(1).type, f->param(2).type);
    f->next = ftbl_top;
    ftbl_top = f;
    ft_index.put(f);
    KOV_LOG("関数登録 %s %s()", scr_typ_string(type), name);
    return 0;
}

int SCR_U::scr_default_enum()
{
    for (const SCR_PREDEF &p : scr_predef) {
        if (scr_put_enum(nullptr, p.name, p.value) != 0) {
            scr_set_SCRERR("列挙子 %s=%d 登録失敗", p.name, p.value);
            return -1;
        }
    }
    return 0;
}

// ---- views ----

int SCR_VIEW::view_size(int r, int c)
{
    if (r < 0 || c < 0) return -1;
    rows = r;
    cols = c;
    cell.assign((size_t)r, {});
    return 0;
}

void SCR_VIEW::view_set(int r, int c, const char *text)
{
    if (r < 0 || r >= rows || c < 0 || c >= cols) return;
    std::vector<std::string> &row = cell[(size_t)r];
    if ((size_t)c >= row.size()) {
        if (!text || !*text) return;
        if (row.empty()) row.reserve((size_t)std::min(cols, 4));   // most rows: a few cells
        row.resize((size_t)c + 1);
    }
    row[(size_t)c] = text ? text : "";
}

const char *SCR_VIEW::view_get(int r, int c) const
{
    if (r < 0 || r >= rows || c < 0 || c >= cols) return "";
    const std::vector<std::string> &row = cell[(size_t)r];
    return (size_t)c < row.size() ? row[(size_t)c].c_str() : "";
}

// Type name with "[n]" per dimension ("[]" when open); rows first for two.
static std::string shape_text(int type, int dims, int x, int y)
{
    std::string s = SCR_U::scr_typ_string(type);
    char b[32];
    auto one = [&](int n) {
        if (n > 0) snprintf(b, sizeof b, "[%d]", n);
        else snprintf(b, sizeof b, "[]");
        s += b;
    };
    if (dims == 1) one(x);
    if (dims == 2) {
        one(y);
        one(x);
    }
    return s;
}

int SCR_U::scr_make_ftbl(SCR_VIEW &v)
{
    int n = 0;
    for (FTBL_U *f = ftbl_top; f; f = f->next) n++;
    if (n == 0 || v.view_size(n + 1, 22) != 0) return -1;
    v.view_set(0, 0, "関数型");
    v.view_set(0, 1, "関数名");
    char b[16];
    for (int i = 0; i < 20; i++) {
        snprintf(b, sizeof b, "%d", i);
        v.view_set(0, i + 2, b);
    }
    int r = 1;
    for (FTBL_U *f = ftbl_top; f; f = f->next, r++) {
        v.view_set(r, 0, scr_typ_string(f->type));
        v.view_set(r, 1, f->name);
        for (int i = 0; i < f->nparam; i++) {
            const SCR_PARAM &p = f->param(i);
            v.view_set(r, i + 2, shape_text(p.type, p.dims, p.x, p.y).c_str());
        }
    }
    return 0;
}

// Element text of a view cell: numbers as %g, texts as they are.
static std::string elem_text(BASE_GJ *gj, int x, int y)
{
    if (!gj) return "";
    int k = gj->gj_kind(x, y);
    if (k == 1) {
        char b[64];
        snprintf(b, sizeof b, "%g", gj->gj_getd(x, y));
        return b;
    }
    return k == 2 ? gj->gj_gets(x, y, 4096) : "";
}

int SCR_U::scr_make_vtbl(SCR_VIEW &v)
{
    if (scr_tree) scr_tree->lean->materialize();   // the calls running lean show their entries
    int lines = 0;
    for (VTBL_U *e = vtbl_top; e; e = e->next) {
        int ys = e->vtb_ys();
        lines += ys < 1 ? 1 : ys > 10 ? 10 : ys;
    }
    if (lines == 0 || v.view_size(lines + 1, 16) != 0) return -1;
    static const char *const head[] = {"変数型", "ネスト", "関数名", "変数名", "行数", "列数"};
    char b[64];
    for (int c = 0; c < 6; c++) v.view_set(0, c, head[c]);
    for (int c = 0; c < 10; c++) {
        snprintf(b, sizeof b, "%d", c);
        v.view_set(0, c + 6, b);
    }
    int r = 1;
    for (VTBL_U *e = vtbl_top; e; e = e->next) {
        std::string t = scr_typ_string(e->type);
        if (e->flags & SF_CONST) t += " CONST";
        if (e->flags & SF_STATIC) t += " STATIC";
        int ys = e->vtb_ys(), xs = e->vtb_xs();
        int n = ys < 1 ? 1 : ys > 10 ? 10 : ys;
        for (int y = 0; y < n; y++, r++) {
            v.view_set(r, 0, t.c_str());
            snprintf(b, sizeof b, "%d", e->nest);
            v.view_set(r, 1, b);
            v.view_set(r, 2, e->owner);
            v.view_set(r, 3, e->name);
            snprintf(b, sizeof b, "%d", ys);
            v.view_set(r, 4, b);
            snprintf(b, sizeof b, "%d", xs);
            v.view_set(r, 5, b);
            if (e->type == VT_ENUM) {
                snprintf(b, sizeof b, "%d", e->value);
                v.view_set(r, 6, b);
            }
            for (int x = 0; x < xs && x < 10; x++)
                v.view_set(r, x + 6, elem_text(e->vtb_gajet_pt, x, y).c_str());
        }
    }
    return 0;
}

static uintptr_t stbl_base = 0;   // stack position recorded at start (for the log line)

// Copies at most 128 bytes of p while keep(byte) holds.
template <class F> static std::string mark_text(const char *p, F keep)
{
    std::string s;
    if (!p) return s;
    for (int i = 0; i < 128 && p[i] && keep((unsigned char)p[i]); i++) s += p[i];
    return s;
}

int SCR_U::scr_make_stbl(int start)
{
    int here = 0;
    if (start == 0) {
        stbl_base = (uintptr_t)&here;
        return 0;
    }
    if (!stbl_base) return -1;
    KOV_LOG("SP 初期値=0x%X 現在値=0x%X", (unsigned)stbl_base, (unsigned)(uintptr_t)&here);
    int n = 0;
    for (SCR_MARK *m = scr_marks; m; m = m->prev) n++;
    if (n == 0 || view_stbl.view_size(n + 1, 2) != 0) return -1;
    view_stbl.view_set(0, 0, "関数名");
    view_stbl.view_set(0, 1, "引数");
    int r = 1;
    for (SCR_MARK *m = scr_marks; m; m = m->prev, r++) {
        auto name = mark_text(m->name, [](unsigned char c) { return scr_is_idc(c) || c == ':'; });
        auto arg = mark_text(m->arg, [](unsigned char c) { return c != '\r' && c != '\n'; });
        view_stbl.view_set(r, 0, name.c_str());
        view_stbl.view_set(r, 1, arg.c_str());
    }
    return 0;
}

int SCR_U::scr_make_alltbl()
{
    if (scr_make_ftbl(view_ftbl) != 0) view_ftbl.view_size(1, 1);
    if (scr_make_vtbl(view_vtbl) != 0) view_vtbl.view_size(1, 1);
    if (scr_make_stbl(1) != 0) view_stbl.view_size(1, 1);
    return 0;
}

int SCR_U::scr_onoff_onetbl(SCR_VIEW &v)
{
    KOV_LOG("表示/非表示を切替");
    v.shown = !v.shown;
    return 0;
}

int SCR_U::scr_log_onetbl(const SCR_VIEW &v, const char *label)
{
    if (v.rows < 2 && v.cols < 2) return -1;
    for (int r = 0; r < v.rows; r++) {
        std::string line;
        for (int c = 0; c < v.cols; c++) {
            const char *t = v.view_get(r, c);
            size_t add = strlen(t) + (c ? 1 : 0);
            if (line.size() + add + 10 > 257) break;
            if (c) line += ',';
            line += t;
        }
        if (label && *label) KOV_LOG("%s:%s", label, line.c_str());
        else KOV_LOG("%s", line.c_str());
    }
    return 0;
}

int SCR_U::scr_log_alltbl()
{
    scr_log_onetbl(view_ftbl, "func");
    scr_log_onetbl(view_vtbl, "var");
    scr_log_onetbl(view_stbl, "stack");
    return 0;
}
