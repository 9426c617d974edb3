// The statement tree: the builder follows the statement reader's grammar with the reader's own
// primitives (reading suppressed, as the link pass does, so that it ends where the reader ends);
// the runner repeats the reader's actions for statements that run, in the reader's order: the
// hook, the trace mark and the nesting count of each statement, the block entries, the error
// texts. What the reader does to the error texts while it reads a statement without effect
// (an untaken branch, the rest of a body after break, continue or return) is replayed from
// the effects the builder recorded.
#include "script/scrtree.h"
#include "base/kovtext.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <cstring>
#include <string>
#include <string_view>

#include "script/scrcache.h"
#include "script/scrlean.h"
#include "sheet/cellref.h"
#include "base/kovlog.h"

namespace {
// Effects past the second statement prologue change nothing: both error texts are empty then.
void fx_append(std::vector<uint8_t> &to, const uint8_t *from, int n)
{
    int stats = 0;
    for (uint8_t f : to) stats += f == FX_STAT;
    for (int i = 0; i < n && stats < 2; i++) {
        to.push_back(from[i]);
        stats += from[i] == FX_STAT;
    }
}

} // namespace

// The error texts and the link's state a build must leave as they were.
struct SCR_TREE::KEEP {
    SCR_U &s;
    SCR_CTX ctx;
    char t[4][SCR_ERRSIZE];
    const char *far, *errpos;
    size_t fwd;
    int deep_err;
    explicit KEEP(SCR_U &s)
        : s(s), ctx(s.ctx), far(s.far_pos), errpos(s.scr_errpos), fwd(s.scr_fwd.size()), deep_err(s.scr_deep_err)
    {
        s.err_copy_out(t);
    }
    ~KEEP()
    {
        s.err_copy_in(t);
        s.far_pos = far;
        s.scr_errpos = errpos;
        s.scr_fwd.resize(fwd);
        s.scr_deep_err = deep_err;
        s.ctx = ctx;
        s.vt_bump();
    }
};
int scr_tree_env()
{
    static int mode = [] {
        const char *e = getenv("KOVASH_TREE");
        return e && *e >= '0' && *e <= '2' && !e[1] ? *e - '0' : 1;
    }();
    return mode;
}

SCR_TREE::SCR_TREE(SCR_U &s) : s(s) { lean = std::make_unique<SCR_LEAN>(s, *this); }
SCR_TREE::~SCR_TREE() = default;

int SCR_TREE::build_ahead(FTBL_U *f)
{
    if (f->tfn) return 0;
    if (f->runs < 0 || !f->text) return -1;
    if (head_has_enum(f->text)) return -1;
    KEEP keep(s);
    SCR_U::BLOCK block(s);   // the definition's block: the parameters end with it
    s.ctx.scr_pass = 1;
    s.ctx.st_noexect++;
    const char *p = f->text;
    DECL_SPEC spec;
    if (s.scr_decl_specs(p, spec) != 0) spec = DECL_SPEC{VT_VAR, 0};
    while (s.scr_pointer(p) == 0) {
    }
    char name[SCR_NAMESIZE];
    if (s.scr_idname(p, name, sizeof name) != 0 || strcmp(name, f->name) != 0) return -1;
    s.ctx.set_func(f->name, f->seed);
    s.ctx.fn_spec = spec;
    SCR_PARAM param[SCR_MAXARG] = {};
    int varargs = 0;
    if (s.scr_direct_declarator_func(p, nullptr, param, varargs) != 0 || s.scr_skip_space(p) != '{') return -1;
    s.ctx.st_noexect--;
    SCR_SET<int> pass(s.ctx.scr_pass, 2);   // as the run's definition: build reads it as the link does
    return s.scr_tree_build(f, p) ? 0 : -1;
}

void SCR_TREE::kept(void (*fn)(void *), void *arg)
{
    KEEP keep(s);
    fn(arg);
}

void SCR_TREE::clear()
{
    lean->clear();
    fns.clear();
    fors.clear();
    np.clear();
    for (FTBL_U *f = s.ftbl_top; f; f = f->next) {
        f->tfn = nullptr;
        f->tcall = nullptr;
        f->lean[0] = f->lean[1] = nullptr;
        f->lean_tries[0] = f->lean_tries[1] = 0;
        f->runs = 0;
    }
    nodes.clear();
    kids.clear();
    decls.clear();
    dplain.clear();
    enums.clear();
    evs.clear();
    tds.clear();
    dxs.clear();
    fxs.clear();
    xs.clear();
    xr.clear();
    callees.clear();
    path.clear();
    on_path.clear();
    seek_to = -1;
    built = refused = 0;
}

int SCR_TREE::add(const TN &n)
{
    int i = (int)nodes.size();
    nodes.push_back(n);
    nodes[i].self = i;
    np.push_back(&nodes[i]);
    TN &m = nodes[i];
    m.lab = m.k == TN_CASE || m.k == TN_DEFAULT;
    auto own = [&](int k) {
        if (k < 0) return;
        nodes[k].parent = i;
        if (m.k != TN_SWITCH) m.lab |= nodes[k].lab;   // a switch's labels are its own
    };
    own(n.a);
    own(n.b);
    if (n.k == TN_BLOCK || n.k == TN_SWITCH)
        for (int k = 0; k < n.n; k++) {
            own(kids[n.list + k]);
            nodes[kids[n.list + k]].pos = k;
        }
    return i;
}

// Each goto of the function built from node n0 on gets its label: the first in the text.
void SCR_TREE::link_gotos(size_t n0)
{
    std::unordered_map<std::string_view, int> first;
    for (size_t i = n0; i < nodes.size(); i++) {
        const TN &n = nodes[i];
        if (n.k != TN_LABEL) continue;
        auto [it, made] = first.emplace(&names[n.name], (int)i);
        if (!made && n.at < nodes[it->second].at) it->second = (int)i;
    }
    for (size_t i = n0; i < nodes.size(); i++) {
        TN &n = nodes[i];
        if (n.k != TN_GOTO) continue;
        auto it = first.find(&names[n.name]);
        n.to = it == first.end() ? -1 : it->second;
    }
}

// ---- building ----

bool SCR_TREE::due(FTBL_U *f)
{
    if (f->runs < 0 || !f->text) return false;
    return ++f->runs >= 2 || s.scr_tree_mode == 2 || f->loops;
}

int SCR_TREE::build_link(FTBL_U *f, const char *&pos, int type)
{
    SCR_SET<bool> link(linking, true);
    const int runs = f->runs;
    if (build(f, pos, type) != 0) {
        f->runs = runs;   // built at a run, as in the caller's binding
        return -1;
    }
    // what reading the body without effect does to the error texts, as the link's reading did
    const TN &root = *np[f->tfn->root];
    replay_fx(root.fx, root.nfx);
    pos = f->tfn->end;   // (the link's next look for blanks moves far_pos past it)
    return 0;
}

bool SCR_TREE::link_all() const { return s.scr_xc && s.scr_xc->text_len() <= (size_t)s.scr_link_all; }

// Bytes loops_in must look at: the end, quotes, "/", braces, the first letters of the loop
// words, the lead bytes of double-byte characters (their second byte may be any of these).
namespace {
struct LOOK {
    uint8_t at[256] = {};
    constexpr LOOK()
    {
        for (int c : {'\0', '"', '\'', '/', '{', '}', 'w', 'f', 'd', 'g'}) at[c] = 1;
        for (int c = 0x80; c < 256; c++)
            if (kov::sj_is_lead((unsigned char)c)) at[c] = 2;
    }
};
constexpr LOOK look;
// (strncmp stops at the text's end, which may come before n bytes)
bool word_at(const char *p, const char *w, size_t n) { return strncmp(p, w, n) == 0 && !scr_is_idc((unsigned char)p[n]); }
}   // namespace

bool SCR_TREE::loops_in(const char *p) const
{
    int depth = 0;
    for (;;) {
        while (!look.at[(uint8_t)*p]) p++;
        if (!*p) return false;
        char c = *p;
        if (look.at[(uint8_t)c] == 2) {
            p += kov::sj_step(p);
            continue;
        }
        if (c == '"' || c == '\'') {
            if (!(p = s.scr_past_quoted(p))) return false;
            continue;
        }
        if (c == '/') {
            p = p[1] == '/' || p[1] == '*' ? SCR_LEX::scr_past_blanks(p) : p + 1;
            continue;
        }
        if (c == '{' || c == '}') {
            if (c == '}' && --depth == 0) return false;
            depth += c == '{';
            p++;
            continue;
        }
        // a loop word where no name goes on before it (p is past the body's "{")
        if (!scr_is_idc((unsigned char)p[-1]) &&
            ((c == 'w' && word_at(p, "while", 5)) || (c == 'f' && word_at(p, "for", 3)) || (c == 'd' && word_at(p, "do", 2)) ||
             (c == 'g' && word_at(p, "goto", 4))))
            return true;
        p++;
    }
}

int SCR_TREE::build(FTBL_U *f, const char *body, int type)
{
    const char *fn = f->text;
    // Deep in a run the reading might reach the nesting limits: built at a later call.
    uintptr_t here = (uintptr_t)__builtin_frame_address(0);
    long used = s.scr_stack_base > here ? (long)(s.scr_stack_base - here) : 0;
    if (s.scr_deep > SCR_DEEP_MAX / 2 || used > s.scr_stack_room / 2) return -1;
    f->runs = -1;   // built now or never
    size_t n0 = nodes.size(), k0 = kids.size(), d0 = decls.size(), f0 = fxs.size(), x0 = xs.size();
    size_t t0 = tds.size(), dx0 = dxs.size(), e0 = enums.size(), ev0 = evs.size(), fo0 = fors.size();
    if (s.scr_xc) sync_roots(*s.scr_xc);
    size_t r0 = xr.size();
    int root = -1;
    const char *end = nullptr;
    const long met = s.scr_fwd_met;
    {
        KEEP keep(s);
        s.ctx.scr_pass = 1;   // read as the link reads it, also when a formula called it
        s.ctx.cel_x = s.ctx.cel_y = SCR_NOCELL;
        s.ctx.scr_nest++;     // the body's names are read again a level deeper, then dropped
        body_nest = s.ctx.scr_nest;
        s.ctx.st_noexect++;
        loops = 0;
        blocks = 0;
        inner_decls = false;
        fn_type = type;
        const char *p = body;
        std::optional<SCR_XC::SHARE> share;
        if (s.scr_xc) share.emplace(*s.scr_xc);
        try {
            if (s.scr_match_key(p, "{") == 0) root = b_block(p, body);
        } catch (...) {
            root = -1;   // a link read that throws (out of memory, a stop) builds nothing
        }
        end = p;
        s.scr_del_vtbl(s.ctx.scr_nest);
        // A call of a function defined later is checked against it where a run reads it: such
        // a body is built at a run (so no call read here is left for the link's check).
        if (linking && s.scr_fwd_met != met) root = -1;
    }
    if (root < 0) {
        nodes.resize(n0);
        np.resize(n0);
        fors.resize(fo0);
        kids.resize(k0);
        decls.resize(d0);
        dplain.resize(d0);
        enums.resize(e0);
        evs.resize(ev0);
        tds.resize(t0);
        dxs.resize(dx0);
        fxs.resize(f0);
        xs.resize(x0);
        xr.resize(r0);
        refused++;
        return -1;
    }
    link_gotos(n0);
    TFN &t = fns[fn] = TFN{root, end, inner_decls, 0, {}};
    for (size_t i = n0; i < nodes.size() && !t.loops; i++) {
        TN_KIND k = nodes[i].k;
        t.loops = k == TN_WHILE || k == TN_DO || k == TN_FOR || k == TN_LABEL;
    }
    t.ran = !linking;
    f->tfn = &t;
    built++;
    return 0;
}

int SCR_TREE::b_exp(const char *&p, TX &x)
{
    x.at = p;
    x.id = (int)xs.size();
    xs.resize(xs.size() + 2);   // as a script reads it, as a formula's callee reads it
    if (b_parse(p, x, true) == 0) return 0;
    VAL_U v;
    if (s.scr_exp(p, v) != 0) return -1;
    x.end = p;
    return 0;
}

// The expression at p (x.at; a comma list when `list`) parsed into the roots of the script's
// reading, which end where the reader's link read ends: the text is read once. The reader reads
// it too (suppressed, as the build reads) where that reading might fail here though the link's
// did not: a call (its arguments are checked against the callee, which the link may not have
// known yet), or a name not of the body's own making or a global (a parameter bound to a
// caller's variable, a recursion's entry). 0 with p and x.end past it; -1 left to the reader
// (nothing kept, p unmoved).
int SCR_TREE::b_parse(const char *&p, TX &x, bool list)
{
    SCR_XC *xc = s.scr_xc;
    if (!xc || xc_epoch != xc->epoch) return -1;
    const char *q = p;
    const size_t r0 = xr.size();
    bool plain = true;
    auto own = [this](const char *name) {
        const VTBL_U *vt = s.scr_get_vtbl(name);
        return vt && (vt->nest == 0 || vt->nest >= body_nest);
    };
    // At the link the reading this one stands for checks what it reads: only a plain var
    // scalar (a global, a parameter by value, a local) is sure to read without failing.
    auto scalar = [this](const char *name) {
        const VTBL_U *vt = s.scr_get_vtbl(name);
        return vt && vt->type == VT_VAR && !(vt->flags & (SF_CONST | SF_REF)) && vt->vtb_dims() == 0 &&
               (vt->nest == 0 || vt->nest >= body_nest - 1);
    };
    for (;;) {
        const char *at = q;
        int r = xc->compile_root(q);
        if (r <= 0 || xc_epoch != xc->epoch) {   // (a parse that makes the forms anew voids the others)
            xr.resize(r0);
            return -1;
        }
        xr.push_back(XR{r, at});
        plain = plain && (linking ? xc->scalars_only(r, scalar) : xc->names_only(r, own));
        if (!list || s.scr_skip_space(q) != ',') break;
        s.scr_match_key(q, ",");
    }
    if (!plain) {
        const char *z = p;
        VAL_U v;
        if ((list ? s.scr_exp(z, v) : s.scr_assignment_exp(z, v)) != 0 || z != q) {
            xr.resize(r0);
            return -1;
        }
    }
    xs[x.id] = XS{(int)r0, (int)(xr.size() - r0)};
    p = x.end = q;
    return 0;
}

// An enum declaration at `at` whose values are numbers written or none, recorded as r_enum
// makes it (its index as dplain takes it); -1 the reader reads it (a value to compute, a tag
// without a list, names declared with it).
int SCR_TREE::b_enum(const char *at)
{
    const char *q = at;
    s.scr_skip_space(q);
    if (SCR_LEX::scr_word(q) != W_ENUM) return -1;
    q += 4;
    char name[SCR_NAMESIZE];
    s.scr_idname(q, name, sizeof name);   // the tag, read and ignored
    if (s.scr_match_key(q, "{") != 0) return -1;
    const TENUM e{(int)evs.size(), 0, nullptr};
    const size_t names0 = names.size();
    auto refuse = [&] {
        evs.resize(e.first);
        names.resize(names0);
        return -1;
    };
    int value = 0;
    while (s.scr_match_key(q, "}") != 0) {
        if (s.scr_idname(q, name, sizeof name) != 0) return refuse();
        if (s.scr_match_key(q, "=") == 0) {
            VAL_U v;
            if (s.scr_const(q, v) != 0) return refuse();   // (a number that goes on is no "," or "}")
            value = scr_trunc32(v.val_getd());
        }
        evs.push_back(TEV{(int)names.size(), value});
        names.insert(names.end(), name, name + strlen(name) + 1);
        if (s.scr_match_key(q, ",") == 0) {
            value = (int)((unsigned)value + 1);   // wraps like the 32-bit counter it is
            continue;
        }
        if (s.scr_match_key(q, "}") == 0) break;
        return refuse();
    }
    if (s.scr_match_key(q, ";") != 0) return refuse();
    enums.push_back(TENUM{e.first, (int)evs.size() - e.first, q});
    return -2 - (int)(enums.size() - 1);
}

// The declaration at `at` (read once already) when it declares plain names of var (arrays of
// sizes written as numbers or enumerators) or of a part, perhaps static or const, each perhaps
// with an initializer that is one expression or a list of initial values that fits: its index
// in tds, else -1. Positions are where the reader's steps leave the text.
int SCR_TREE::b_decl(const char *at)
{
    const char *q = at;
    s.scr_skip_space(q);
    DECL_SPEC spec;
    int w = SCR_LEX::scr_word(q);
    if (w < W_AUTO || w > W_HSCROL || w == W_ENUM || s.scr_decl_specs(q, spec) != 0) return -1;
    if ((spec.type != VT_VAR && !vt_is_gajet(spec.type)) || (spec.flags & SF_TYPEDEF)) return -1;
    TDECL d{q, (int)dxs.size(), 0, spec.type, spec.flags};
    std::vector<TDX> list;
    const size_t xs0 = xs.size(), xr0 = xr.size(), names0 = names.size(), lvs0 = lvs.size();
    auto refuse = [&] {
        xs.resize(xs0);
        xr.resize(xr0);
        names.resize(names0);
        lvs.resize(lvs0);
        return -1;
    };
    for (;;) {
        TDX x{q, nullptr, (int)names.size(), 1, 1, 0, TX{}};
        char name[SCR_NAMESIZE];
        const char *r = q;
        s.scr_skip_space(r);   // the look for a "*"
        if (s.scr_idname(r, name, sizeof name) != 0 || s.scr_skip_space(r) == '(') return refuse();
        char enums[2][SCR_NAMESIZE];
        if (shape_of(r, x.x, x.y, x.dims, enums) != 0 || (x.dims && spec.type != VT_VAR)) return refuse();
        x.past = q = r;
        if (s.scr_match_key(q, "=") == 0) {
            if (s.scr_skip_space(q) == '{') {   // (the run finds the initializer past the blanks)
                if (b_list(q, x) != 0) return refuse();
            } else if (b_init(q, x.init) != 0) {
                return refuse();
            }
        }
        names.insert(names.end(), name, name + strlen(name) + 1);
        for (int k = 0; k < x.dims; k++)
            if (enums[k][0]) {
                x.sname[k] = (int)names.size();
                x.sval[k] = k + 1 < x.dims ? x.y : x.x;
                names.insert(names.end(), enums[k], enums[k] + strlen(enums[k]) + 1);
            }
        list.push_back(x);
        if (s.scr_match_key(q, ",") == 0) continue;
        if (s.scr_match_key(q, ";") == 0) break;
        return refuse();
    }
    d.n = (int)list.size();
    dxs.insert(dxs.end(), list.begin(), list.end());
    tds.push_back(d);
    return (int)tds.size() - 1;
}

// A list of initial values of declarator x at q: each value's element and parsed roots, where
// the declaration's reading of its shape would not fail.
int SCR_TREE::b_list(const char *&q, TDX &x)
{
    x.init.at = q;
    x.list = (int)lvs.size();
    int ok = list_layout(s, q, x.dims, x.x, x.y, [&](int c, int r) {
        TLV v{c, r, TX{}};
        if (b_init(q, v.x) != 0) return -1;
        lvs.push_back(v);
        return 0;
    });
    if (ok != 0) return -1;
    x.init.end = q;
    x.nlist = (int)lvs.size() - x.list;
    return 0;
}

// An initial value at q: its parsed roots (or, where the parser leaves it, its end as the
// reader's reading finds it). -1 where that reading fails.
int SCR_TREE::b_init(const char *&q, TX &x)
{
    x.at = q;
    x.id = (int)xs.size();
    xs.resize(xs.size() + 2);
    if (b_parse(q, x, false) == 0) return 0;
    VAL_U v;
    if (s.scr_assignment_exp(q, v) != 0) return -1;
    x.end = q;
    return 0;
}

int SCR_TREE::shape_of(const char *&p, int &x, int &y, int &dims, char (*enums)[SCR_NAMESIZE])
{
    int size[2];
    dims = 0;
    while (dims < 2 && s.scr_match_key(p, "[") == 0) {
        VAL_U v;
        if (enums) enums[dims][0] = 0;
        if (s.scr_const(p, v) != 0) {
            const char *q = p;
            if (!enums || s.scr_enum(p, v) != 0) return -1;
            s.scr_idname(q, enums[dims], SCR_NAMESIZE);
        }
        if (v.val_kind != VAL_NUM || s.scr_match_key(p, "]") != 0) return -1;
        size[dims++] = scr_trunc32(v.val_num);
    }
    if (!dims) return 0;
    x = size[dims - 1];
    y = dims == 2 ? size[0] : 1;
    return x < 1 || x > 1000 || y < 1 || y > 1000000 ? -1 : 0;
}

int SCR_TREE::b_paren(const char *&p, TX &x)
{
    return s.scr_match_key(p, "(") == 0 && b_exp(p, x) == 0 && s.scr_match_key(p, ")") == 0 ? 0 : -1;
}

void SCR_TREE::fx_of(TN &n, const std::vector<uint8_t> &own)
{
    n.fx = (int)fxs.size();
    n.nfx = (int)own.size();
    fxs.insert(fxs.end(), own.begin(), own.end());
}

// A block after its "{" (at: its statement position); the node's index or -1.
int SCR_TREE::b_block(const char *&p, const char *at)
{
    SCR_U::NEST nest(s);   // names declared in it end with it, as the reader's block ends them
    SCR_SET<int> depth(blocks, blocks + 1);
    TN n;
    n.k = TN_BLOCK;
    n.at = at;
    std::vector<const char *> ds;
    std::vector<int> dp;   // dplain's
    std::vector<uint8_t> fx{FX_STAT};
    for (;;) {
        const char *q = p;
        int w = (s.scr_skip_space(q), SCR_LEX::scr_word(q));
        if (w < W_AUTO || w > W_HSCROL) break;
        DECL_SPEC spec{VT_ENUM, 0};   // reading an enum's specifiers declares its names: not twice
        if (w != W_ENUM && s.scr_decl_specs(q, spec) != 0) return -1;
        ds.push_back(p);
        // A static was made by the link: read as a run reads it, it is found, not made again.
        // Whether a run finds it (a name of the body may hide it) the link cannot tell: a body
        // with one is built at a run.
        if (linking && (spec.flags & SF_STATIC)) return -1;
        SCR_SET<int> pass(s.ctx.scr_pass, spec.flags & SF_STATIC ? 2 : 1);
        if (s.scr_decl(p, 1) != 0) return -1;
        dp.push_back(w == W_ENUM ? b_enum(ds.back()) : b_decl(ds.back()));
        fx.push_back(FX_DECL);
    }
    dp.push_back(-1);
    if (blocks > 1 && !ds.empty()) inner_decls = true;
    ds.push_back(p);
    fx.push_back(FX_DECL);   // the reader's last look for a declaration clears too
    std::vector<int> ks;
    while (s.scr_match_key(p, "}") != 0) {
        int k = b_stat(p);
        if (k < 0) return -1;
        ks.push_back(k);
        fx_append(fx, &fxs[nodes[k].fx], nodes[k].nfx);
    }
    n.decl = (int)decls.size();
    n.ndecl = (int)ds.size() - 1;
    decls.insert(decls.end(), ds.begin(), ds.end());
    dplain.insert(dplain.end(), dp.begin(), dp.end());
    n.list = (int)kids.size();
    n.n = (int)ks.size();
    kids.insert(kids.end(), ks.begin(), ks.end());
    fx_of(n, fx);
    return add(n);
}

int SCR_TREE::b_stat(const char *&p)
{
    // Statements nested deeper than any script needs are the reader's, which fails at its limit.
    SCR_SET<int> deeper(stat_depth, stat_depth + 1);
    if (stat_depth > 256) return -1;
    const char *at = p;
    int c = s.scr_skip_space(p);
    int top = label_ok;
    struct KEEPLABEL {
        int &l, was;
        KEEPLABEL(int &l) : l(l), was(l) {}
        ~KEEPLABEL() { l = was; }
    } keep(label_ok);
    int w = SCR_LEX::scr_word(p);
    label_ok = top && (w == W_CASE || w == W_DEFAULT);   // labels chain at the top of a switch body only
    if (c == '{') {
        p++;
        return b_block(p, at);
    }
    TN n;
    n.at = at;
    if (b_body(p, n) != 0) return -1;
    std::vector<uint8_t> fx{FX_STAT};
    if (n.a >= 0) fx_append(fx, &fxs[nodes[n.a].fx], nodes[n.a].nfx);
    if (n.b >= 0) fx_append(fx, &fxs[nodes[n.b].fx], nodes[n.b].nfx);
    if (n.k == TN_SWITCH)
        for (int k = 0; k < n.n; k++) fx_append(fx, &fxs[nodes[kids[n.list + k]].fx], nodes[kids[n.list + k]].nfx);
    fx_of(n, fx);
    return add(n);
}

// The statement at p (after blanks) other than a block into n.
int SCR_TREE::b_body(const char *&p, TN &n)
{
    int w = SCR_LEX::scr_word(p);
    switch (w) {
    case W_IF:
        n.k = TN_IF;
        if (s.scr_match_key(p, "if") != 0 || b_paren(p, n.x) != 0 || (n.a = b_stat(p)) < 0) return -1;
        if (s.scr_match_key(p, "else") == 0 && (n.b = b_stat(p)) < 0) return -1;
        return 0;
    case W_WHILE: case W_DO: case W_FOR:
        return b_loop(p, n);
    case W_BREAK: case W_CONTINUE:
        n.k = w == W_BREAK ? TN_BREAK : TN_CONTINUE;
        if (!loops && !(w == W_BREAK && switches)) return -1;   // the reader's message for it
        return s.scr_match_key(p, w == W_BREAK ? "break" : "continue") == 0 && s.scr_match_key(p, ";") == 0 ? 0 : -1;
    case W_RETURN:
        return b_return(p, n);
    case W_SWITCH:
        return b_switch(p, n);
    case W_CASE: case W_DEFAULT:
        return b_label(p, n, w);
    case W_GOTO:
        n.k = TN_GOTO;
        return s.scr_match_key(p, "goto") == 0 && b_name(p, n) == 0 && s.scr_match_key(p, ";") == 0 ? 0 : -1;
    default:
        break;
    }
    if (scr_is_idf(*p) && *SCR_LEX::scr_past_blanks(SCR_LEX::scr_past_word(p)) == ':') {
        n.k = TN_LABEL;
        return b_name(p, n) == 0 && s.scr_match_key(p, ":") == 0 && (n.a = b_stat(p)) >= 0 ? 0 : -1;
    }
    if (s.scr_match_key(p, ";") == 0) {
        n.k = TN_EMPTY;
        return 0;
    }
    n.k = TN_EXP;
    return b_exp(p, n.x) == 0 && s.scr_match_key(p, ";") == 0 ? 0 : -1;
}

int SCR_TREE::b_loop(const char *&p, TN &n)
{
    struct IN {
        int &l;
        explicit IN(int &l) : l(l) { l++; }
        ~IN() { l--; }
    } in(loops);
    int w = SCR_LEX::scr_word(p);
    if (w == W_WHILE) {
        n.k = TN_WHILE;
        return s.scr_match_key(p, "while") == 0 && b_paren(p, n.x) == 0 && (n.a = b_stat(p)) >= 0 ? 0 : -1;
    }
    if (w == W_DO) {
        n.k = TN_DO;
        return s.scr_match_key(p, "do") == 0 && (n.a = b_stat(p)) >= 0 && s.scr_match_key(p, "while") == 0 &&
                       b_paren(p, n.x) == 0 && s.scr_match_key(p, ";") == 0
                   ? 0
                   : -1;
    }
    n.k = TN_FOR;
    if (s.scr_match_key(p, "for") != 0 || s.scr_match_key(p, "(") != 0) return -1;
    if (s.scr_match_key(p, ";") != 0 && (b_exp(p, n.x) != 0 || s.scr_match_key(p, ";") != 0)) return -1;
    n.list = (int)fors.size();
    fors.emplace_back();
    if (s.scr_match_key(p, ";") != 0 && (b_exp(p, fors[n.list][0]) != 0 || s.scr_match_key(p, ";") != 0)) return -1;
    if (s.scr_match_key(p, ")") != 0 && (b_exp(p, fors[n.list][1]) != 0 || s.scr_match_key(p, ")") != 0)) return -1;
    return (n.a = b_stat(p)) >= 0 ? 0 : -1;
}

// What the return reads depends on the function's type: void none, var and enum an
// expression, a gadget type nothing (its value -1).
int SCR_TREE::b_return(const char *&p, TN &n)
{
    n.k = TN_RETURN;
    n.type = fn_type;
    if (s.scr_match_key(p, "return") != 0 || fn_type < 0) return -1;
    if (fn_type > VT_VOID && fn_type <= VT_ENUM && b_exp(p, n.x) != 0) return -1;
    return s.scr_match_key(p, ";") == 0 ? 0 : -1;
}

int SCR_TREE::b_name(const char *&p, TN &n)
{
    char name[SCR_NAMESIZE];
    if (s.scr_idname(p, name, sizeof name) != 0) return -1;
    n.name = (int)names.size();
    names.insert(names.end(), name, name + strlen(name) + 1);
    return 0;
}

// A switch: its statements are the top of its body. Case and default labels chained there are
// followed by the runner's passes over them; a label below the top (in a block, a branch, a
// loop) makes the switch run as the reader reads it (deep_labels).
int SCR_TREE::b_switch(const char *&p, TN &n)
{
    n.k = TN_SWITCH;
    // The link's reading of a switch selects by the value it reads (a constant one, or 0 for a
    // name read without effect) and fails on a second label of that value or a second default:
    // such a body is read by the link, built at a run.
    if (linking) return -1;
    if (s.scr_match_key(p, "switch") != 0 || b_paren(p, n.x) != 0 || s.scr_match_key(p, "{") != 0) return -1;
    struct IN {
        int &l;
        explicit IN(int &l) : l(l) { l++; }
        ~IN() { l--; }
    } in(switches);
    SCR_SET<int> deep(deep_labels, 0);
    std::vector<int> ks;
    while (s.scr_match_key(p, "}") != 0) {
        label_ok = 1;
        int k = b_stat(p);
        label_ok = 0;
        if (k < 0) return -1;
        ks.push_back(k);
    }
    n.list = (int)kids.size();
    n.n = (int)ks.size();
    n.deep_labels = (uint8_t)deep_labels;
    kids.insert(kids.end(), ks.begin(), ks.end());
    return 0;
}

int SCR_TREE::b_label(const char *&p, TN &n, int w)
{
    if (!switches) return -1;
    if (!label_ok) deep_labels = 1;
    if (w == W_CASE) {
        n.k = TN_CASE;
        n.x.at = nullptr;
        if (s.scr_match_key(p, "case") != 0) return -1;
        n.x.at = p;
        VAL_U v;
        if (s.scr_const_exp(p, v) != 0) return -1;
        n.x.end = p;
    } else {
        n.k = TN_DEFAULT;
        if (s.scr_match_key(p, "default") != 0) return -1;
    }
    if (s.scr_match_key(p, ":") != 0) return -1;
    return (n.a = b_stat(p)) >= 0 ? 0 : -1;
}

// ---- running ----

int SCR_TREE::run(const TFN &f, const char *&pos)
{
    f.ran = true;
    SCR_SET<SW *> outer_sw(cur_sw, nullptr);   // a call's statements are in no switch of the caller's
    int body_nest = s.ctx.scr_nest, base_st = s.ctx.st_noexect;
    s.ctx.sw_nest = s.ctx.loop_nest = s.ctx.brk_flag = s.ctx.cnt_flag = 0;
    for (;;) {
        // A tree call's frame is this body's; its declarations fill it, not read again seeking
        int r = r_compound(*np[f.root], seeking() ? nullptr : s.scr_frame);
        if (r == TR_GOTO) {
            mark_path(seek_to);
            strcpy(s.ctx.goto_label, s.scr_goto_to);   // seeking the label suppresses by itself
            s.ctx.st_noexect = base_st;
            s.ctx.scr_nest = body_nest;
            s.ctx.sw_nest = s.ctx.loop_nest = s.ctx.brk_flag = s.ctx.cnt_flag = 0;
            s.scr_del_vtbl(body_nest + 1);
            continue;
        }
        if (r == TR_FAIL) return -1;
        if (seeking()) {
            s.err_label(s.ctx.goto_label);
            if (!s.scr_errpos) s.scr_errpos = s.scr_goto_pos;
            return -1;
        }
        if (r == TR_RETURN) s.scr_ret_pending = 1;
        pos = f.end;
        return 0;
    }
}

// ---- calls ----

int SCR_TREE::fast_callee(const FTBL_U *f)
{
    int r = lean_callee(f);
    return r == 1 && static_cast<const TCALL *>(f->tcall)->refs ? 0 : r;
}

int SCR_TREE::lean_callee(const FTBL_U *f)
{
    auto it = callees.find(f);
    if (it == callees.end()) {
        if (!f->tfn) return f->runs < 0 ? 0 : -1;
        TCALL c;
        KEEP keep(s);   // the declaration is read once here: nothing of it may show
        if (callee_of(f, c) != 0) c.t = nullptr;
        it = callees.emplace(f, c).first;
        f->tcall = &it->second;   // the map's nodes stay where they are
    }
    return it->second.t != nullptr;
}

// The parameter names of f when each is a plain "var name" (any storage words), "var &name" or
// "var name[]" / "var name[][]" (perhaps with sizes), and f has a tree.
int SCR_TREE::callee_of(const FTBL_U *f, TCALL &c)
{
    if (!f->text || !(c.t = f->tfn)) return -1;
    c.frame = !c.t->inner_decls;
    const char *p = f->text;
    if (head_has_enum(p)) return -1;   // such heads stay with the reader
    DECL_SPEC spec;
    char name[SCR_NAMESIZE];
    s.scr_decl_specs(p, spec);
    while (s.scr_pointer(p) == 0) {
    }
    if (s.scr_idname(p, name, sizeof name) != 0 || s.scr_match_key(p, "(") != 0) return -1;
    const char *q = p;
    if (s.scr_match_key(p, ")") == 0 || (s.scr_match_key(q, "void") == 0 && s.scr_match_key(q, ")") == 0))
        return f->nparam == 0 ? 0 : -1;
    for (;;) {
        if (s.scr_match_key(p, "...") == 0) {
            c.varargs = true;
            break;
        }
        if (c.np >= SCR_MAXARG) return -1;
        const SCR_PARAM &d = f->param(c.np);
        DECL_SPEC ps;
        if ((d.type != VT_VAR && !vt_is_gajet(d.type)) || (d.flags & (SF_CONST | SF_STATIC | SF_EXTERN)) ||
            s.scr_decl_specs(p, ps) != 0 || ps.type != d.type)
            return -1;
        bool ref = s.scr_match_key(p, "&") == 0;
        if (s.scr_idname(p, c.name.emplace_back().data(), SCR_NAMESIZE) != 0) return -1;
        int dims = 0;
        for (; s.scr_skip_space(p) == '['; dims++) {   // an array by reference
            if (s.scr_match_key(p, "[") != 0) return -1;
            if (s.scr_match_key(p, "]") == 0) continue;   // its size the argument's
            VAL_U v;   // a size written: the argument's is checked against it (scr_ref_arg_ok)
            if (s.scr_const(p, v) != 0 || v.val_kind != VAL_NUM || s.scr_match_key(p, "]") != 0) return -1;
        }
        if ((ref || dims) != ((d.flags & SF_REF) != 0)) return -1;
        if (d.type != VT_VAR ? !ref || dims : dims != d.dims) return -1;   // a part by reference only, no array of them
        if (ref || dims) c.refs |= 1u << c.np;
        c.np++;
        if (s.scr_match_key(p, ",") != 0) break;
    }
    if (s.scr_match_key(p, ")") != 0 || s.scr_skip_space(p) != '{') return -1;
    for (int i = 0; i < c.np; i++) c.ranges |= scr_range_params(f->params.get(), f->nparam, i);
    return c.np == f->nparam ? 0 : -1;
}

int SCR_TREE::call(const FTBL_U *f, const char *at, const char *paren, VTBL_U **argv, VAL_U &val)
{
    const TCALL &c = *static_cast<const TCALL *>(f->tcall);
    SCR_U::MARK mark(s, at, paren);
    if (s.func_depth >= SCR_MAXCALL) {
        KOV_ATT("関数ネスト超過(%d)", s.func_depth);
        s.scr_set_SCRERR("関数ネスト超過(%d)", s.func_depth);
        return -1;
    }
    SCR_SET<int> depth(s.func_depth, s.func_depth + 1);
    bound++;
    for (int i = 0; i < c.np; i++)
        if ((c.refs >> i & 1) && argv[i] && (argv[i]->flags & SF_CONST)) {   // the reader's call (see const_param)
            const char *t = f->text;
            s.scr_callee = const_cast<FTBL_U *>(f);
            return s.scr_function_definition(t, argv, &val);
        }
    // What the definition's reading does: its mark, its block, the function's name and type, the
    // parameters bound to the arguments' storage.
    SCR_U::MARK def(s, "SCR_U::scr_function_definition", f->text);
    struct LABEL {
        SCR_U &s;
        char keep[SCR_NAMESIZE];
        explicit LABEL(SCR_U &s) : s(s) { memcpy(keep, s.ctx.goto_label, sizeof keep); }
        ~LABEL() { memcpy(s.ctx.goto_label, keep, sizeof keep); }
    } label(s);
    SCR_U::BLOCK block(s);
    s.ctx.set_func(f->name, f->seed);
    s.vt_bump();
    s.ctx.fn_spec = DECL_SPEC{f->type, f->flags};
    SCR_U::FRAME frame;   // the slots are written as they fill
    frame.fn = f;
    for (int i = 0; i < c.np; i++) {   // (by reference too: the entry shares the argument's storage)
        if (s.scr_bind_arg(c.name[i].data(), argv[i]) != 0) return -1;
        frame.vt[frame.n++] = s.vtbl_top;
    }
    SCR_SET<SCR_U::FRAME *> use(s.scr_frame, c.frame ? &frame : nullptr);   // left before the block drops the entries
    struct PENDING {
        int &r;
        explicit PENDING(int &r) : r(r) {}
        ~PENDING() { r = 0; }
    } pending(s.scr_ret_pending);
    const char *end;
    int r = ready(f) ? lean->body_of(f) : 1;   // (references keep a call from lean callers a tree call)
    if (r < 0 || (r > 0 && run(*c.t, end) != 0)) return -1;
    if (!s.scr_ret_pending) val.val_putd(0);
    else val.val_copy(s.scr_retval);
    return 0;
}

int SCR_TREE::r_goto(const TN &n)
{
    if (seeking()) return TR_NEXT;
    const char *at = n.at;
    s.scr_skip_space(at);
    strcpy(s.ctx.goto_label, &names[n.name]);
    seek_to = n.to;
    strcpy(s.scr_goto_to, &names[n.name]);   // the blocks passed on the way out restore the context
    s.scr_goto_pos = at;
    return TR_GOTO;
}

// The nodes from the label up to the body, marked; with none (no such label) seeking reads
// everything up to the body's end, where the goto fails.
void SCR_TREE::mark_path(int label)
{
    for (int i : path) on_path[i] = 0;
    path.clear();
    seek_to = label;
    if (label < 0) return;
    if (on_path.size() < nodes.size()) on_path.resize(nodes.size(), 0);
    for (int i = label; i >= 0; i = (*np[i]).parent) {
        on_path[i] = 1;
        path.push_back(i);
    }
}

// The place of the statement of block on the path to the label; past its end when the label
// is not inside.
int SCR_TREE::path_kid(int block) const
{
    for (size_t i = 1; i < path.size(); i++)
        if (path[i] == block) return (*np[path[i - 1]]).pos;
    return (*np[block]).n;
}

// Reading kids[first ..] without effect: two statements leave every error text empty.
int SCR_TREE::replay_run(int first, int n)
{
    bool labels = false;
    for (int k = 0; cur_sw && cur_sw->deep && k < n && !labels; k++) labels = (*np[kids[first + k]]).lab;
    if (n >= 2 && !labels) {
        s.scr_clear_errors();
        return TR_NEXT;
    }
    for (int k = 0; k < n; k++)
        if (replay(kids[first + k]) == TR_FAIL) return TR_FAIL;
    return TR_NEXT;
}

// An expression whose one root is a number or a store of one: 0 done, -1 failed, 1 nothing
// done (r_exp's then).
[[gnu::always_inline]] inline int SCR_TREE::fast_exp(const TX &x, VAL_U &v, bool unused)
{
    SCR_XC *xc = s.scr_xc;
    if (!xc || x.id < 0 || xc_epoch != xc->epoch) return 1;
    const XS st = xs[vx(x)];
    if (st.n != 1) return 1;
    const char *p = x.at;
    if (xc->fast_root(xr[st.first].root, p, v, unused) != 0) return 1;
    if (p == x.end) return 0;
    return s.scr_exp_rest(p, v) == 0 && p == x.end ? 0 : -1;
}

int SCR_TREE::r_exp(const TX &x, VAL_U &v)
{
    int f = fast_exp(x, v);
    if (f != 1) return f;
    const char *p = x.at;
    return x_exp(x, p, v) == 0 && p == x.end ? 0 : -1;
}

// The expression as scr_exp reads it, through its parsed roots where it has them; p where the
// reader would end.
int SCR_TREE::x_exp(const TX &x, const char *&p, VAL_U &v)
{
    SCR_XC *xc = s.scr_xc;
    if (!xc || x.id < 0) return s.scr_exp(p, v);
    const XS st = roots_of(x, xc);
    if (st.first < 0) return s.scr_exp(p, v);
    if (st.n == 1) {   // the usual one: where it ends the reader found no "," at the link
        if (xc->fast_root(xr[st.first].root, p, v) != 0) {
            SCR_U::DEEP deep(s);
            if (!deep.ok) return -1;
            int e = xc->run_root(xr[st.first].root, p, v);
            if (e == 1) e = s.scr_assignment_read(p, v);
            if (e != 0) return -1;
        }
        return p == x.end ? 0 : s.scr_exp_rest(p, v);
    }
    for (int k = 0; k < st.n; k++) {
        const XR r = xr[st.first + k];
        if (k > 0 && (s.scr_skip_space(p) != ',' || s.scr_match_key(p, ",") != 0)) return 0;
        if (p != r.at) {   // an earlier root stopped short: the reader goes on from there
            if (s.scr_assignment_exp(p, v) != 0) return -1;
            break;
        }
        SCR_U::DEEP deep(s);
        if (!deep.ok) return -1;
        int e = xc->run_root(r.root, p, v);
        if (e == 1) e = s.scr_assignment_read(p, v);
        if (e != 0) return -1;
    }
    return s.scr_exp_rest(p, v);
}

void SCR_TREE::sync_roots(const SCR_XC &xc)
{
    if (xc_epoch != xc.epoch) {   // parsed forms made anew: the roots of before are void
        for (XS &st : xs) st = XS{};
        xr.clear();
        xc_epoch = xc.epoch;
    }
}

SCR_TREE::XS SCR_TREE::roots_of(const TX &x, SCR_XC *xc)
{
    sync_roots(*xc);
    XS &st = xs[vx(x)];
    if (st.first == -2) x_compile(x, st);
    return st;
}

int SCR_TREE::init_root(int d, const char *at, const char *&end)
{
    int k = d >= 0 && d < (int)dplain.size() ? dplain[d] : -1;
    if (k < 0 || !s.scr_xc) return 0;
    auto root = [&](const TX &x) {
        if (x.at != at || x.id < 0) return 0;
        const XS st = roots_of(x, s.scr_xc);
        if (st.first < 0 || st.n != 1) return 0;
        end = x.end;
        return xr[st.first].root;
    };
    const TDECL &td = tds[k];
    for (int i = 0; i < td.n; i++) {
        const TDX &x = dxs[td.first + i];
        if (!x.nlist) {
            if (int r = root(x.init)) return r;
            continue;
        }
        for (int v = 0; v < x.nlist; v++)
            if (int r = root(lvs[x.list + v].x)) return r;
    }
    return 0;
}

// Reading an enum in a function's head declares its enumerators: such heads are read only by
// the function's own run.
bool SCR_TREE::head_has_enum(const char *text)
{
    const char *end = strchr(text, '{');
    return !end || std::string_view(text, end - text).find("enum") != std::string_view::npos;
}

void SCR_TREE::x_compile(const TX &x, XS &st)
{
    st.first = -1;
    std::vector<XR> list;
    const char *p = x.at;
    for (;;) {
        const char *at = p;
        int r = s.scr_xc->compile_root(p);
        if (r <= 0) return;
        list.push_back(XR{r, at});
        // an initializer ends before the "," of the next declarator
        if (p == x.end || s.scr_skip_space(p) != ',' || s.scr_match_key(p, ",") != 0) break;
    }
    if (p != x.end) return;
    st.first = (int)xr.size();
    st.n = (int)list.size();
    xr.insert(xr.end(), list.begin(), list.end());
}

int SCR_TREE::replay(int i)
{
    const TN &n = (*np[i]);
    if (n.lab && cur_sw && cur_sw->deep) return replay_labels(n);
    replay_fx(n.fx, n.nfx);
    return TR_NEXT;
}

void SCR_TREE::replay_fx(int from, int n)
{
    for (int k = from; k < from + n; k++) {
        if (fxs[k] == FX_STAT) {
            prologue();
        } else {
            s.err_nowscr[0] = 0;
            s.err_nowfnc[0] = 0;
        }
    }
}

// A statement holding labels of the running switch, read without effect: its own effects, then
// its statements in order, each label read as the reader reads it (two that select fail).
int SCR_TREE::replay_labels(const TN &n)
{
    int inner[2] = {n.a, n.b}, kin = 0;
    const int *ks = inner;
    int nk = 0;
    if (n.k == TN_BLOCK) {
        ks = &kids[n.list];
        nk = n.n;
    } else {
        nk = (n.a >= 0) + (n.b >= 0);
        if (n.a < 0) ks = &inner[1];
    }
    for (int k = 0; k < nk; k++) kin += (*np[ks[k]]).nfx;
    replay_fx(n.fx, n.nfx - kin);   // its own come first
    if ((n.k == TN_CASE || n.k == TN_DEFAULT) && deep_label(n, *cur_sw) == TR_FAIL) {
        if (!s.scr_errpos) {
            const char *p = n.at;
            s.scr_skip_space(p);
            s.scr_errpos = p;
        }
        return TR_FAIL;
    }
    for (int k = 0; k < nk; k++)
        if (replay(ks[k]) == TR_FAIL) return TR_FAIL;
    return TR_NEXT;
}

int SCR_TREE::r_stat(int i)
{
    const TN &n = (*np[i]);
    SCR_U::DEEP deep(s);
    if (!deep.ok) return TR_FAIL;
    SCR_U::MARK mark(s, "SCR_U::scr_stat", n.at);
    s.scr_callback(SCRCB_ONESTEP, (intptr_t)n.at);
    prologue();
    VAL_U v;
    // the usual statement, a number or a store of one, without the runner's layers
    int f = n.k == TN_EXP && !seeking() ? fast_exp(n.x, v, true) : 1;
    int r = f == 1 ? r_body(n) : f == 0 ? TR_NEXT : TR_FAIL;
    if (r == TR_FAIL && !s.scr_errpos) {
        const char *p = n.at;
        s.scr_skip_space(p);
        s.scr_errpos = p;
    }
    return r;
}

int SCR_TREE::r_body(const TN &n)
{
    VAL_U v;
    switch (n.k) {
    case TN_BLOCK: {
        SCR_U::NEST nest(s);
        return r_compound(n);
    }
    case TN_EMPTY: return TR_NEXT;
    case TN_EXP: return seeking() || r_exp(n.x, v) == 0 ? TR_NEXT : TR_FAIL;
    case TN_IF: {
        if (seeking()) {   // either branch may hold the label; entered there, the else is read
            if (n.b >= 0 && off_path(n.a) && !off_path(n.b)) {
                if (replay(n.a) == TR_FAIL) return TR_FAIL;
                return r_stat(n.b);
            }
            int r = r_stat(n.a);
            if (r < 0 || n.b < 0) return r;
            if (seeking()) return r_stat(n.b);
            return replay(n.b) == TR_FAIL ? TR_FAIL : r;
        }
        if (r_exp(n.x, v) != 0) return TR_FAIL;
        if (v.val_getd() != 0) {
            int r = r_stat(n.a);
            if (r >= 0 && n.b >= 0 && replay(n.b) == TR_FAIL) return TR_FAIL;
            return r;
        }
        if (replay(n.a) == TR_FAIL) return TR_FAIL;
        return n.b >= 0 ? r_stat(n.b) : TR_NEXT;
    }
    case TN_BREAK: return seeking() ? TR_NEXT : TR_BREAK;
    case TN_CONTINUE: return seeking() ? TR_NEXT : TR_CONTINUE;
    case TN_RETURN: return seeking() ? TR_NEXT : r_return(n);
    case TN_SWITCH: return r_switch(n);
    case TN_GOTO: return r_goto(n);
    case TN_LABEL:
        if (seeking_goto() && strcmp(s.ctx.goto_label, &names[n.name]) == 0) s.ctx.goto_label[0] = 0;   // runs from here
        return r_stat(n.a);
    case TN_CASE:
    case TN_DEFAULT:   // below the top of its switch's body
        if (!cur_sw || deep_label(n, *cur_sw) == TR_FAIL) return TR_FAIL;
        return r_stat(n.a);
    default: return r_loop(n);
    }
}

int SCR_TREE::r_decl_failed(const char *at)
{
    return decl_failed(at, [&] {
        SCR_U::DEEP deep(s);
        if (!deep.ok) return;
        SCR_U::MARK mark(s, "SCR_U::scr_stat", at);
        s.scr_callback(SCRCB_ONESTEP, (intptr_t)at);
        prologue();
    });
}

// A declaration as scr_decl reads it; its plain declarators are made without reading them
// where the reading stands at them, their initializers run from their roots.
int SCR_TREE::r_decl(int d, const char *&p)
{
    int k = dplain[d];
    if (k < 0 && k != -1 && !seeking() && !s.sup() && s.ctx.scr_pass == 2) return r_enum(-2 - k, p);
    auto read = [&] {
        read_decls++;
        return s.scr_decl(p, 1);
    };
    // A goto seeking its label passes the declaration: its names made again where their block
    // was left, its initializers read without effect.
    const bool seek = seeking_goto();
    if (k < 0 || s.ctx.scr_pass != 2 || (!seek && (seeking() || s.sup()))) return read();
    // Copies: an initializer's run may build more trees, which moves tds and dxs.
    const TDECL td = tds[k];
    for (int i = 0; i < td.n; i++)   // sizes written as enumerators: still the values they were
        for (int j = 0; j < 2; j++)
            if (const TDX &x = dxs[td.first + i]; x.sname[j] >= 0) {
                const VTBL_U *e = s.scr_get_vtbl(&names[x.sname[j]]);
                if (!e || e->type != VT_ENUM || e->value != x.sval[j]) return read();
            }
    if (seek && !passable(td)) return read();
    s.err_nowscr[0] = 0;
    s.err_nowfnc[0] = 0;
    const char *q = td.specs;
    for (int i = 0;; i++) {
        TDX dx;
        const TDX *x = i < td.n && q == dxs[td.first + i].at ? &(dx = dxs[td.first + i]) : nullptr;
        VTBL_U *vt = !x ? s.scr_direct_declarator_var(q, td.type, td.flags, 0) : seek ? r_declarator_seek(td, *x, q) : r_declarator(td, *x, q);
        if (!vt) return -1;
        if (s.scr_match_key(q, "=") == 0) {
            const char *u = q;
            s.scr_skip_space(u);
            if (!x || u != x->init.at) {
                if (s.scr_initializer(q, vt, nullptr, nullptr) != 0) return -1;
            } else if (seek) {
                q = x->init.end;
            } else if (x->nlist) {
                if (r_list(*x, vt) != 0) return -1;
                q = x->init.end;
            } else {
                if (r_init(x->init, u, vt, 0, 0) != 0) return -1;
                q = u;
            }
        }
        if (s.scr_match_key(q, ",") == 0) continue;
        if (s.scr_match_key(q, ";") == 0) break;
        return -1;
    }
    p = q;
    return 0;
}

// An enum declaration as scr_decl reads it: each enumerator made with its value (a goto's
// seeking, which may meet one again in its block, is the reader's).
int SCR_TREE::r_enum(int k, const char *&p)
{
    const TENUM e = enums[k];
    s.err_nowscr[0] = 0;
    s.err_nowfnc[0] = 0;
    for (int i = 0; i < e.n; i++) {
        const TEV v = evs[e.first + i];
        if (s.scr_put_enum(nullptr, &names[v.name], v.value) != 0) {
            s.scr_set_SCRERR("scr_put_enum() 失敗");
            return -1;
        }
    }
    p = e.end;
    return 0;
}

// Initial value x read at u (past it after) and stored into element (c, r) of vt as
// scr_initializer stores it: a value that fails ends the declaration, a store that fails is
// said and the declaration goes on.
int SCR_TREE::r_init(const TX &x, const char *&u, VTBL_U *vt, int c, int r)
{
    VAL_U v;
    SCR_XC *xc = s.scr_xc;
    const XS st = xc ? roots_of(x, xc) : XS{-1, 0};
    int e = st.first >= 0 && st.n == 1 ? xc->arg_value(XC_ARG{xr[st.first].root, u, x.end}, u, v) : s.scr_assignment_exp(u, v);
    if (e != 0) {
        s.scr_set_SCRERR("%s@%s 初期値が無効", vt->owner, vt->name);
        return -1;
    }
    BASE_GJ *gj = vt->vtb_gajet_pt;
    if (!gj || gj->gj_putv(c, r, v) != 0) s.scr_set_SCRERR("%s@%s 初期値設定失敗", vt->owner, vt->name);
    return 0;
}

// The values of a list of initial values, each in turn.
int SCR_TREE::r_list(const TDX &x, VTBL_U *vt)
{
    for (int k = 0; k < x.nlist; k++) {
        const TLV lv = lvs[x.list + k];   // a copy: a value's run may build more trees, which moves lvs
        const char *u = lv.x.at;
        if (r_init(lv.x, u, vt, lv.c, lv.r) != 0) return -1;
        if (u != lv.x.end) {   // stopped early (an enumerator with indices): what follows is no "," nor "}"
            s.scr_set_SCRERR("%s@%s } が必要", vt->owner, vt->name);
            return -1;
        }
    }
    return 0;
}

// A plain declarator of declaration d as scr_direct_declarator_var makes it (not seeking, in a
// run): a static is found (the link made it).
VTBL_U *SCR_TREE::r_declarator(const TDECL &d, const TDX &x, const char *&p)
{
    const char *name = &names[x.name];
    VTBL_U *old = s.scr_get_vtbl(name);
    if (old && old->nest == s.ctx.scr_nest) {
        s.scr_set_SCRERR("変数 %s は定義済", name);
        return nullptr;
    }
    VTBL_U *vt = s.scr_put_var(name, x.x, x.y, x.dims, d.type, d.flags, 0);
    if (!vt) {
        s.err_define(name);
        return nullptr;
    }
    p = x.past;
    return vt;
}

// The same made while a goto seeks its label: a name of this block is bound again, one of a
// block entered anew (its names are gone) is made afresh.
VTBL_U *SCR_TREE::r_declarator_seek(const TDECL &d, const TDX &x, const char *&p)
{
    const char *name = &names[x.name];
    VTBL_U *vt = s.scr_get_vtbl(name);
    if (!vt || vt->nest != s.ctx.scr_nest) vt = s.scr_put_var(name, x.x, x.y, x.dims, d.type, d.flags, 0);
    if (!vt) {
        s.err_define(name);
        return nullptr;
    }
    p = x.past;
    return vt;
}

// Whether a goto's seeking may pass declaration d without reading it: var names, no
// constants (their values are read), each initial value inert (see SCR_XC::inert).
bool SCR_TREE::passable(const TDECL &d)
{
    SCR_XC *xc = s.scr_xc;
    if (!xc || d.type != VT_VAR || (d.flags & SF_CONST)) return false;
    auto inert = [&](const TX &x) {
        if (x.id < 0) return false;
        const XS st = roots_of(x, xc);
        return st.first >= 0 && st.n == 1 && xc->inert(xr[st.first].root, x.end);
    };
    for (int i = 0; i < d.n; i++) {
        const TDX &x = dxs[d.first + i];
        if (!x.init.at) continue;
        if (!x.nlist && !inert(x.init)) return false;
        for (int v = 0; v < x.nlist; v++)
            if (!inert(lvs[x.list + v].x)) return false;
    }
    return true;
}

bool SCR_TREE::const_ok(const FTBL_U *f)
{
    const TFN *t = f->tfn;
    if (!t || !s.scr_xc) return false;   // (a build would read the body in this binding)
    if (!t->stores) t->stores = stores_of(t->root, t->stored) ? 1 : -1;
    if (t->stores < 0) return false;
    for (const VTBL_U *e = s.vtbl_top; e && e->nest == s.ctx.scr_nest; e = e->next)
        if (e->flags & SF_CONST)
            for (size_t k = 0; k < t->stored.size(); k += strlen(&t->stored[k]) + 1)
                if (strcmp(&t->stored[k], e->name) == 0) return false;
    const_runs++;
    return true;
}

// The names statement i may store into, onto out; false where that cannot be told.
bool SCR_TREE::stores_of(int i, std::string &out)
{
    SCR_XC &xc = *s.scr_xc;
    auto exp = [&](const TX &x) {
        if (!x.at) return true;
        if (x.id < 0) return false;
        const XS st = roots_of(x, &xc);
        if (st.first < 0) return false;
        for (int k = 0; k < st.n; k++)
            if (!xc.stores(xr[st.first + k].root, k + 1 == st.n ? x.end : nullptr, out)) return false;
        return true;
    };
    const TN &n = *np[i];   // (nothing here builds: the tables stay where they are)
    for (int d = 0; d < n.ndecl; d++) {
        int k = dplain[n.decl + d];
        if (k == -1) return false;   // read by the reader
        if (k < -1) continue;        // an enum
        const TDECL &td = tds[k];
        for (int j = 0; j < td.n; j++) {
            const TDX &x = dxs[td.first + j];
            if (!x.nlist && !exp(x.init)) return false;
            for (int v = 0; v < x.nlist; v++)
                if (!exp(lvs[x.list + v].x)) return false;
        }
    }
    if (n.k == TN_CASE) {
        if (scr_may_store(n.x.at, n.x.end)) return false;   // (read by the reader)
    } else {
        for (int k = 0; k < 3; k++)
            if (!exp(tx(n, k))) return false;
    }
    if (n.k == TN_BLOCK || n.k == TN_SWITCH)
        for (int k = 0; k < n.n; k++)
            if (!stores_of(kids[n.list + k], out)) return false;
    return (n.a < 0 || stores_of(n.a, out)) && (n.b < 0 || stores_of(n.b, out));
}

int SCR_TREE::r_compound(const TN &n, SCR_U::FRAME *fr)
{
    for (int d = 0; d < n.ndecl; d++) {
        const char *p = decls[n.decl + d];
        uint64_t born = s.vt_births;
        if (r_decl(n.decl + d, p) != 0) {
            s.scr_skip_space(p);   // the reader's look for "}" passed the blanks before it
            return r_decl_failed(p);
        }
        if (p != decls[n.decl + d + 1]) return TR_FAIL;
        if (fr) frame_fill(*fr, born);
    }
    s.err_nowscr[0] = 0;   // the reader's last look for a declaration
    s.err_nowfnc[0] = 0;
    int k = 0;
    if (seeking_goto() && seek_to >= 0) {   // straight to the statement around the label
        k = path_kid(n.self);
        if (replay_run(n.list, k) == TR_FAIL) return TR_FAIL;
    }
    for (; k < n.n; k++) {
        int r = r_stat(kids[n.list + k]);
        if (r == TR_NEXT) continue;
        if (r >= 0 && replay_run(n.list + k + 1, n.n - k - 1) == TR_FAIL) return TR_FAIL;
        return r;
    }
    return TR_NEXT;
}

// The entries a declaration of the body's block made (born from `born` on, newest first in the
// list) into the frame's slots, oldest first; what does not fit is looked up.
void SCR_TREE::frame_fill(SCR_U::FRAME &fr, uint64_t born)
{
    VTBL_U *made[SCR_U::FRAME_SLOTS];
    int k = 0;
    for (VTBL_U *v = s.vtbl_top; v && v->born >= born && k < SCR_U::FRAME_SLOTS; v = v->next) made[k++] = v;
    while (k > 0 && fr.n < SCR_U::FRAME_SLOTS) fr.vt[fr.n++] = made[--k];
}

int SCR_TREE::r_loop(const TN &n)
{
    // A label selected inside the loop selects for its switch: the suppression lowered stays
    // lowered when the loop's context is given back.
    struct LOWERED {
        SCR_TREE &t;
        bool was;
        explicit LOWERED(SCR_TREE &t) : t(t), was(t.cur_sw && t.cur_sw->lowered) {}
        ~LOWERED()
        {
            if (t.cur_sw && t.cur_sw->deep && t.cur_sw->lowered && !was) t.s.ctx.st_noexect--;
        }
    } lowered(*this);
    SCR_U::BLOCK block(s);
    VAL_U v;
    if (n.k == TN_FOR && n.x.at && !seeking() && r_exp(n.x, v) != 0) return TR_FAIL;
    for (;;) {
        int flag = 1;
        if (seeking()) {   // the label may be in the body: entered without the condition
            s.ctx.loop_nest++;
            int r = r_stat(n.a);
            s.ctx.loop_nest--;
            if (r < 0 || r == TR_RETURN) return r;
            if (r == TR_BREAK || seeking()) return TR_NEXT;
            int a = r_after(n, v);
            if (a <= 0) return a < 0 ? TR_FAIL : TR_NEXT;
            continue;
        }
        if (n.k == TN_WHILE || (n.k == TN_FOR && tx(n, 1).at)) {
            v.val_putd(1);
            if (r_exp(tx(n, n.k == TN_FOR), v) != 0) return TR_FAIL;
            flag = v.val_getd() != 0;
        }
        s.ctx.loop_nest++;
        int r = TR_NEXT;
        if (flag) r = r_stat(n.a);
        else r = replay(n.a);
        s.ctx.loop_nest--;
        if (r == TR_RETURN || r < 0) return r;
        if (r == TR_BREAK || !flag) return TR_NEXT;
        int a = r_after(n, v);
        if (a <= 0) return a < 0 ? TR_FAIL : TR_NEXT;
    }
}

// After a loop's body ran: do's condition, for's increment. 1 goes on, 0 ends, -1 failed.
int SCR_TREE::r_after(const TN &n, VAL_U &v)
{
    if (n.k == TN_DO) {
        if (r_exp(n.x, v) != 0) return -1;
        return v.val_getd() != 0;
    }
    if (n.k == TN_FOR && tx(n, 2).at && r_exp(tx(n, 2), v) != 0) return -1;
    return 1;
}

int SCR_TREE::r_return(const TN &n)
{
    VAL_U v;
    if (n.type <= VT_VOID) {
        v.val_putd(0);
    } else if (n.x.at) {
        const char *p = n.x.at;
        if (x_exp(n.x, p, v) != 0) {
            s.scr_set_SCRERR("return に戻値がない");
            return TR_FAIL;
        }
        if (p != n.x.end) {
            s.scr_set_SCRERR("; がない");
            return TR_FAIL;
        }
    } else {
        v.val_putd(-1);
    }
    s.scr_retval = std::move(v);
    return TR_RETURN;
}

// The reader runs a switch body suppressed until a case label with its value (or, read a second
// time when none matched, the default label) lifts the suppression; labels read after a break
// are still counted.
int SCR_TREE::r_switch(const TN &n)
{
    int jump = TR_NEXT;
    {
        SCR_U::BLOCK block(s);
        VAL_U v;
        SW sw;
        sw.seek = seeking();   // entered by a goto: labels do not select
        if (!sw.seek && r_exp(n.x, v) != 0) return TR_FAIL;
        sw.value = scr_trunc32(v.val_getd());
        s.ctx.sw_nest++;
        SCR_SET<SW *> inner(cur_sw, &sw);
        sw.deep = n.deep_labels;
        auto pass = [&] { return sw.deep ? r_deep_switch(n, jump) : r_switch_pass(n, sw, jump); };
        if (sw.deep) {
            s.ctx.st_noexect += !sw.seek;
            sw.base = s.ctx.st_noexect;
        }
        int e = pass();
        if (e == 0 && !sw.seek && !sw.matched && sw.defaults) {
            sw.defaults = 0;
            sw.default_run = 1;
            e = pass();
        }
        if (e != 0) return jump == TR_GOTO ? TR_GOTO : TR_FAIL;
    }
    return jump == TR_BREAK ? TR_NEXT : jump;
}

// A pass over the body of a switch with labels below its top: a statement runs where the
// reader's would, is entered seeking where the reader's seeks, else is read without effect
// (its labels still read); a transfer suppresses the rest.
int SCR_TREE::r_deep_switch(const TN &n, int &jump)
{
    for (int k = 0; k < n.n; k++) {
        int i = kids[n.list + k];
        int r = !s.sup() || seeking() ? r_stat(i) : replay(i);
        if (r < 0) {
            jump = r;
            return -1;
        }
        if (r != TR_NEXT) {
            jump = r;
            s.ctx.st_noexect++;   // the context is the switch's own: its end gives it back
        }
    }
    return 0;
}

// A label of a switch with labels below its top, as the reader reads it: the first case of the
// value (or, in the pass for it, the default) lowers the suppression; a second one fails, the
// same one read again by a loop does nothing.
int SCR_TREE::deep_label(const TN &n, SW &sw)
{
    if (n.k == TN_CASE) {
        VAL_U v;
        const char *p = n.x.at;
        if (s.scr_const_exp(p, v) != 0 || p != n.x.end) return TR_FAIL;
        if (sw.seek || scr_trunc32(v.val_getd()) != sw.value || (sw.matched && sw.case_at == &n)) return TR_NEXT;
        if (++sw.matched > 1) {
            s.scr_set_SCRERR("複数の同一 case 文がある");
            return TR_FAIL;
        }
        sw.case_at = &n;
    } else {
        if (sw.defaults && sw.default_at == &n) return TR_NEXT;
        if (++sw.defaults > 1) {
            s.scr_set_SCRERR("複数の default 文がある");
            return TR_FAIL;
        }
        sw.default_at = &n;
        if (!sw.default_run || sw.seek) return TR_NEXT;
    }
    sw.lowered = 1;
    s.ctx.st_noexect--;
    return TR_NEXT;
}

int SCR_TREE::r_switch_pass(const TN &n, SW &sw, int &jump)
{
    sw.running = sw.jumped = 0;
    for (int k = 0; k < n.n; k++) {
        int r = r_switch_stat(kids[n.list + k], sw);
        if (r < 0) {
            jump = r;
            return -1;
        }
        if (r != TR_NEXT) {
            jump = r;
            sw.running = 0;
            sw.jumped = 1;
        }
    }
    return 0;
}

// A statement at the top of a switch body: run when the switch runs, else read.
int SCR_TREE::r_switch_stat(int i, SW &sw)
{
    const TN &n = (*np[i]);
    if (n.k != TN_CASE && n.k != TN_DEFAULT) {
        if (!sw.running && !seeking()) {
            replay(i);
            return TR_NEXT;
        }
        int r = r_stat(i);
        if (sw.seek && !seeking() && !sw.jumped) sw.running = 1;   // the label was in it: on from there
        return r;
    }
    SCR_U::DEEP deep(s);
    if (!deep.ok) return TR_FAIL;
    SCR_U::MARK mark(s, "SCR_U::scr_stat", n.at);
    if (sw.running) s.scr_callback(SCRCB_ONESTEP, (intptr_t)n.at);
    prologue();
    int r = r_label(n, sw);
    if (r == TR_FAIL && !s.scr_errpos) {
        const char *p = n.at;
        s.scr_skip_space(p);
        s.scr_errpos = p;
    }
    return r;
}

int SCR_TREE::r_label(const TN &n, SW &sw)
{
    if (n.k == TN_CASE) {
        VAL_U v;
        const char *p = n.x.at;
        if (s.scr_const_exp(p, v) != 0 || p != n.x.end) return TR_FAIL;
        if (!sw.seek && scr_trunc32(v.val_getd()) == sw.value) {
            if (++sw.matched > 1) {
                s.scr_set_SCRERR("複数の同一 case 文がある");
                return TR_FAIL;
            }
            if (!sw.jumped) sw.running = 1;
        }
    } else {
        if (++sw.defaults > 1) {
            s.scr_set_SCRERR("複数の default 文がある");
            return TR_FAIL;
        }
        if (sw.default_run && !sw.jumped && !sw.seek) sw.running = 1;
    }
    return r_switch_stat(n.a, sw);
}
