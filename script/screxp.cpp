// Expressions, evaluated straight from the text. Each rule takes the cursor and a result value,
// returns 0 (recognised, cursor past it) or -1 (cursor unmoved). While st_noexect > 0 the text is
// read without effect: non-const reads give 0 / "", writes are dropped, no function runs.
//
//   exp              : assignment-exp { "," assignment-exp }
//   assignment-exp   : lvalue assignment-op assignment-exp | conditional-exp
//   assignment-op    : "=" "*=" "/=" "%=" "+=" "-=" "<<=" ">>=" "&=" "^=" "|="
//   conditional-exp  : logical-or-exp [ "?" exp ":" conditional-exp ]
//   logical-or-exp   : logical-and-exp { "||" logical-and-exp }
//   logical-and-exp  : inclusive-or-exp { "&&" inclusive-or-exp }
//   inclusive-or-exp : exclusive-or-exp { "|" exclusive-or-exp }
//   exclusive-or-exp : and-exp { "^" and-exp }
//   and-exp          : equality-exp { "&" equality-exp }
//   equality-exp     : relational-exp { ("==" | "!=") relational-exp }
//   relational-exp   : shift-exp { ("<=" | "<" | ">=" | ">") shift-exp }
//   shift-exp        : additive-exp { ("<<" | ">>") additive-exp }
//   additive-exp     : mult-exp { ("+" | "-") mult-exp }
//   mult-exp         : cast-exp { ("*" | "/" | "%") cast-exp }
//   cast-exp         : "(" type-name ")" cast-exp | unary-exp
//   unary-exp        : ("++" | "--") lvalue | unary-op cast-exp | "sizeof" ... | primary
//   primary          : constant | string | enum-constant | "(" exp ")" | builtin-call
//                    | function-call | lvalue { "++" | "--" }
//   lvalue           : cell-name | identifier [ "[" exp "]" [ "[" exp "]" ] ] { ("." | "->") identifier }
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

#include "script/scr.h"
#include "script/scrcache.h"
#include "script/screxp.h"
#include "sheet/cellref.h"
#include "sheet/csv.h"
#include "base/kovlog.h"
#include "base/kovtext.h"

// Stack the constructs may take: half the stack limit, at most SCR_STACK_MAX.
long scr_stack_budget()
{
    static long budget = 0;
    if (!budget) {
        struct rlimit rl;
        budget = SCR_STACK_MAX;
        if (getrlimit(RLIMIT_STACK, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY && (long)(rl.rlim_cur / 2) < budget)
            budget = (long)(rl.rlim_cur / 2);
    }
    return budget;
}

void SCR_U::DEEP::refuse()
{
    if (!s.scr_deep_err) {
        s.scr_set_SCRERR("入れ子が深すぎる");
        s.scr_deep_err = s.scr_deep > SCR_DEEP_MAX ? 1 : 2;
    }
    ok = 0;
}

// A temporary that carries the constant-expression mark of the result it belongs to.
static inline void inherit(VAL_U &t, const VAL_U &from) { t.val_flags = from.val_flags; }

int SCR_U::scr_exp(const char *&pos, VAL_U &val)
{
    const char *p = pos;
    if (scr_assignment_exp(p, val) != 0 || scr_exp_rest(p, val) != 0) return -1;
    pos = p;
    return 0;
}

int SCR_U::scr_exp_rest(const char *&pos, VAL_U &val)
{
    while (scr_skip_space(pos) == ',' && scr_match_key(pos, ",") == 0)
        if (scr_assignment_exp(pos, val) != 0) return -1;
    return 0;
}

// ---- assignment ----

// Past a balanced "[ ... ]" group (literals and comments stepped over as the lexer reads
// them), or null.
const char *scr_look_group(SCR_LEX &lx, const char *p, char open, char close)
{
    int depth = 0;
    while (*p) {
        char c = *p;
        if (c == '"' || c == '\'') {
            if (!(p = lx.scr_past_quoted(p))) return nullptr;
        } else if (c == '/' && (p[1] == '/' || p[1] == '*')) {
            p = SCR_LEX::scr_past_blanks(p);
        } else if (c == close && --depth == 0) {
            return p + 1;
        } else {
            depth += c == open;
            p += kov::sj_step(p);
        }
    }
    return nullptr;
}

// Whether the text at pos is an lvalue followed by an assignment operator. Deciding first keeps
// the indices of an operand from being evaluated twice, and nested indices from costing 2^n.
int SCR_U::lv_lookahead(const char *pos)
{
    const char *p = SCR_LEX::scr_past_blanks(pos);
    CSV_REF ref;
    const char *q = p;
    if (ctx.cel_x != SCR_NOCELL && csv_parse_name(q, ctx.cel_x, ctx.cel_y, &ref) == 0) {
        p = q;
    } else {
        if (!scr_is_idf(*p)) return 0;
        p = scr_past_word(p);
        for (int g = 0; g < 2; g++) {
            p = SCR_LEX::scr_past_blanks(p);
            if (*p != '[') break;
            if (!(p = scr_look_group(*this, p, '[', ']'))) return 0;
        }
    }
    for (;;) {
        p = SCR_LEX::scr_past_blanks(p);
        if (*p == '.') p++;
        else if (p[0] == '-' && p[1] == '>') p += 2;
        else break;
        p = scr_past_word(SCR_LEX::scr_past_blanks(p));
    }
    p = SCR_LEX::scr_past_blanks(p);
    switch (*p) {
    case '=': return p[1] != '=';
    case '*': case '/': case '%': case '+': case '-': case '&': case '^': case '|':
        return p[1] == '=';
    case '<': case '>': return p[1] == p[0] && p[2] == '=';
    default: return 0;
    }
}

int SCR_U::scr_assignment_exp(const char *&pos, VAL_U &val)
{
    DEEP deep(*this);
    if (!deep.ok) return -1;
    return scr_assignment_read(pos, val);
}

int SCR_U::scr_assignment_read(const char *&pos, VAL_U &val)
{
    // An lvalue followed by an assignment operator can only be an assignment: read as a
    // conditional the text would stop at the operator, which no construct accepts there. Not
    // reading it a second time keeps nested failing assignments from costing 2^n.
    if (lv_lookahead(pos)) return scr_assignment_let(pos, val);
    return scr_conditional_exp(pos, val);
}

// Assignment operators in trial order; the index is the operator's number.
static const char *const asg_ops[] = {"=", "*=", "/=", "%=", "+=", "-=", "<<=", ">>=", "&=", "^=", "|="};

int SCR_U::scr_assignment_operator(const char *&pos)
{
    int c = scr_skip_space(pos);
    for (int i = 0; i < 11; i++)
        if (asg_ops[i][0] == c && scr_match_key(pos, asg_ops[i]) == 0) return i;
    return -1;
}

// Element of an lvalue into val (suppressed: 0 or empty unless const).
int SCR_U::lv_read(const LVAL &lv, VAL_U &val)
{
    const VAR_GJ *vars = gj_vars_of(lv.gj);
    const VAL_U *v = vars ? vars->gj_peek(lv.x, lv.y) : nullptr;
    int kind = vars ? (v ? v->val_kind : 0) : lv.gj ? lv.gj->gj_kind(lv.x, lv.y) : 0;
    int hide = sup() && !lv.lv_const();
    if (kind == 1) {
        double d = hide ? 0 : v ? v->val_num : lv.gj->gj_getd(lv.x, lv.y);
        if (val.val_putd(d) != 0) {
            scr_set_SCRERR("%s:val_putd(%g) 失敗", lv.lv_name(), d);
            return -1;
        }
    } else if (kind == 2 && !hide) {
        if (val.val_puts(v ? v->val_gets() : lv.gj->gj_gets(lv.x, lv.y, SCR_STRMAX)) != 0) {
            scr_set_SCRERR("%s:val_puts() 失敗", lv.lv_name());
            return -1;
        }
    } else {
        val.val_clear();
    }
    return 0;
}

// Number of an element as arithmetic reads it.
double scr_lv_num(SCR_U &s, const SCR_U::LVAL &lv)
{
    if (!lv.gj || (s.sup() && !lv.lv_const())) return 0;
    if (const VAR_GJ *vars = gj_vars_of(lv.gj)) {
        const VAL_U *v = vars->gj_peek(lv.x, lv.y);
        return v ? v->val_getd() : 0;
    }
    return lv.gj->gj_getd(lv.x, lv.y);
}

// Stores into an element; suppression drops stores into non-const variables.
int scr_lv_store(SCR_U &s, const SCR_U::LVAL &lv, const VAL_U *v, double d)
{
    if (s.sup() && !lv.lv_const()) return 0;
    if (!lv.gj) return -1;
    if (!v || v->val_kind == VAL_NUM) {
        double x = v ? v->val_num : d;
        VAR_GJ *vars = gj_vars_of(lv.gj);
        if (!vars) return lv.gj->gj_putd(lv.x, lv.y, x, 0);
        VAL_U *c = vars->gj_cell(lv.x, lv.y);
        return c ? c->val_putd(x) : -1;
    }
    return lv.gj->gj_puts(lv.x, lv.y, v->val_kind == VAL_STR ? v->val_gets() : nullptr, 0);
}

// Numeric compound assignment (operator index i of asg_ops, not "=").
double scr_asg_num(int i, double old, double r)
{
    int64_t a = scr_trunc64(old), b = scr_trunc64(r);
    unsigned n = (unsigned)(b & 0xFF);
    switch (i) {
    case 1: return old * r;
    case 2: return r == 0 ? 0 : old / r;
    case 3: return b == 0 || b == -1 ? 0 : (double)(a % b);
    case 4: return old + r;
    case 5: return old - r;
    case 6: return n >= 64 ? 0 : (double)(int64_t)((uint64_t)a << n);
    case 7: return n >= 64 ? (a < 0 ? -1 : 0) : (double)(a >> n);
    case 8: return (double)(a & b);
    case 9: return (double)(a ^ b);
    default: return (double)(a | b);
    }
}

int SCR_U::scr_assignment_let(const char *&pos, VAL_U &val)
{
    const char *p = pos;
    LVAL lv;
    if (scr_postfix_adrs(p, lv) != 0) return -1;
    int op = scr_assignment_operator(p);
    if (op < 0) return -1;
    VAL_U r;
    inherit(r, val);
    if (scr_assignment_exp(p, r) != 0) return -1;
    if (scr_assign_store(lv, op, r, val) != 0) return -1;
    pos = p;
    return 0;
}

int SCR_U::scr_assign_store(const LVAL &lv, int op, VAL_U &r, VAL_U &val)
{
    if (lv.lv_const()) return err_const(lv.vt);
    auto failed = [&] {
        scr_set_SCRERR("代入失敗:%s xp=%d yp=%d", lv.lv_name(), lv.x, lv.y);
        return -1;
    };
    if (op == 0) {
        if (scr_lv_store(*this, lv, &r, 0) != 0) return failed();
        val.val_copy(r);
        return 0;
    }
    if (op == 8 && r.val_kind != VAL_NUM && !sup() && lv.gj) {
        VAL_U *cell = lv.gj->gj_value(lv.x, lv.y);
        if (cell && cell->val_kind != VAL_NUM) {   // string append in place
            if (scr_add_string(*cell, r.val_gets()) != 0) return failed();
            val.val_copy(*cell);
            return 0;
        }
    }
    if (op == 8 && r.val_kind != VAL_NUM) {
        VAL_U cur;
        if (lv_read(lv, cur) != 0) return -1;
        if (cur.val_kind != VAL_NUM) {   // string append
            if (scr_add_string(cur, r.val_gets()) != 0 || scr_lv_store(*this, lv, &cur, 0) != 0) return failed();
            val.val_copy(cur);
            return 0;
        }
    }
    double d = scr_asg_num(op, scr_lv_num(*this, lv), r.val_getd());
    if (scr_lv_store(*this, lv, nullptr, d) != 0) return failed();
    val.val_putd(d);
    return 0;
}

// ---- conditional and logical ----

int SCR_U::scr_conditional_exp(const char *&pos, VAL_U &val)
{
    const char *p = pos;
    if (scr_logical_or_exp(p, val) != 0) return -1;
    if (scr_skip_space(p) != '?' || scr_match_key(p, "?") != 0) {
        pos = p;
        return 0;
    }
    int cond = val.val_getd() != 0;
    VAL_U a, b;
    inherit(a, val);
    inherit(b, val);
    ctx.st_noexect += !cond;
    int ra = scr_exp(p, a);
    ctx.st_noexect -= !cond;
    if (ra != 0 || scr_match_key(p, ":") != 0) return -1;
    ctx.st_noexect += cond;
    int rb = -1;
    {
        DEEP deep(*this);   // the else part nests to the right without passing another level
        if (deep.ok) rb = scr_conditional_exp(p, b);
    }
    ctx.st_noexect -= cond;
    if (rb != 0) return -1;
    val.val_copy(cond ? a : b);
    pos = p;
    return 0;
}

int SCR_U::scr_const_exp(const char *&pos, VAL_U &val)
{
    int keep = val.val_flags;
    val.val_flags |= VAL_CONSTEXP;
    int r = scr_conditional_exp(pos, val);
    val.val_flags = keep;
    return r;
}

// left { op right }, the right side suppressed once the left decides (op "||" or "&&").
template <class NEXT>
static int logical_chain(SCR_U &s, const char *&pos, VAL_U &val, const char *op, int is_or, NEXT next)
{
    const char *p = pos;
    if (next(p, val) != 0) return -1;
    while (s.scr_skip_space(p) == op[0] && s.scr_match_key(p, op) == 0) {
        int l = val.val_getd() != 0;
        int skip = is_or ? l : !l;
        VAL_U t;
        inherit(t, val);
        s.ctx.st_noexect += skip;
        int r = next(p, t);
        s.ctx.st_noexect -= skip;
        if (r != 0) return -1;
        int rv = t.val_getd() != 0;
        val.val_putd(is_or ? (l || rv) : (l && rv));
    }
    pos = p;
    return 0;
}

int SCR_U::scr_logical_or_exp(const char *&pos, VAL_U &val)
{
    return logical_chain(*this, pos, val, "||", 1,
                         [this](const char *&p, VAL_U &v) { return scr_logical_and_exp(p, v); });
}

int SCR_U::scr_logical_and_exp(const char *&pos, VAL_U &val)
{
    return logical_chain(*this, pos, val, "&&", 0,
                         [this](const char *&p, VAL_U &v) { return scr_binary_exp(p, v, 0); });
}

// ---- binary levels ----

// Operators of the binary levels, loosest first ("|" ... "* / %"), in trial order.
static const char *const ops_or[] = {"|"}, *const ops_xor[] = {"^"}, *const ops_and[] = {"&"},
                         *const ops_eq[] = {"==", "!="}, *const ops_rel[] = {"<=", "<", ">=", ">"},
                         *const ops_sh[] = {"<<", ">>"}, *const ops_add[] = {"+", "-"},
                         *const ops_mul[] = {"*", "/", "%"};
const SCR_BINLEVEL scr_binlevels[SCR_BINLEVELS] = {
    {ops_or, 1}, {ops_xor, 1}, {ops_and, 1}, {ops_eq, 2}, {ops_rel, 4}, {ops_sh, 2}, {ops_add, 2}, {ops_mul, 3},
};

int scr_binop_at(const char *p, int top, int &level, int &i)
{
    struct OP {
        uint8_t level, i;
    };
    struct FIRST {
        OP op[4];
        int n = 0;
    };
    static const auto by_first = [] {   // the operators of each first byte, the deepest level first
        std::array<FIRST, 256> t{};
        for (int l = SCR_BINLEVELS - 1; l >= 0; l--)
            for (int k = 0; k < scr_binlevels[l].n; k++) {
                FIRST &f = t[(unsigned char)scr_binlevels[l].ops[k][0]];
                f.op[f.n++] = OP{(uint8_t)l, (uint8_t)k};
            }
        return t;
    }();
    const FIRST &f = by_first[(unsigned char)*p];
    for (int k = 0; k < f.n && f.op[k].level >= top; k++) {
        int n = SCR_LEX::scr_key_at(p, scr_binlevels[f.op[k].level].ops[f.op[k].i]);
        if (n > 0) {
            level = f.op[k].level;
            i = f.op[k].i;
            return n;
        }
    }
    return 0;
}

static int both_str(const VAL_U &l, const VAL_U &r) { return l.val_kind == VAL_STR && r.val_kind == VAL_STR; }

double scr_numop(int level, int i, double a, double b)
{
    switch (level) {
    case 0: return (double)(scr_trunc64(a) | scr_trunc64(b));
    case 1: return (double)(scr_trunc64(a) ^ scr_trunc64(b));
    case 2: return (double)(scr_trunc64(a) & scr_trunc64(b));
    case 3: return i == 0 ? a == b : a != b;
    case 4: return i == 0 ? a <= b : i == 1 ? a < b : i == 2 ? a >= b : a > b;
    case 5: {
        double rc = b;
        if (!(rc >= 0)) rc = 0;   // negative or NaN counts 0
        int64_t x = scr_trunc64(a);
        unsigned n = (unsigned)(scr_trunc64(rc) & 0xFF);
        KOV_LOG(i ? "%g >> %g" : "%g << %g", a, b);
        if (i == 0) return n >= 64 ? 0 : (double)(int64_t)((uint64_t)x << n);
        return n >= 64 ? (x < 0 ? -1 : 0) : (double)(x >> n);
    }
    case 6:
        KOV_LOG("%g %c %g", a, i ? '-' : '+', b);
        return i ? a - b : a + b;
    default: {
        KOV_LOG("%g %c %g", a, "*/%"[i], b);
        if (i == 0) return a * b;
        if (i == 1) return b == 0 ? 0 : a / b;
        int64_t x = scr_trunc64(a), y = scr_trunc64(b);
        return y == 0 || y == -1 ? 0 : (double)(x % y);
    }
    }
}

double scr_textop(int level, int i, const char *a, const char *b)
{
    int c = strcmp(a, b);
    return level == 3 ? (i == 0 ? c == 0 : c != 0) : i == 0 ? c <= 0 : i == 1 ? c < 0 : i == 2 ? c >= 0 : c > 0;
}

void scr_binop(int level, int i, VAL_U &l, VAL_U &r)
{
    if ((level == 3 || level == 4) && both_str(l, r)) {   // texts compare as texts
        l.val_putd(scr_textop(level, i, l.val_gets(), r.val_gets()));
        return;
    }
    l.val_putd(scr_numop(level, i, l.val_getd(), r.val_getd()));
}

// The binary operators of `level` and deeper: left { op right } at each level, the right
// operand a chain of the deeper levels. The next operator is looked up once, not asked of every
// level in turn; the values are combined in the same order.
int SCR_U::scr_binary_exp(const char *&pos, VAL_U &val, int level)
{
    const char *p = pos;
    if (scr_cast_exp(p, val) != 0) return -1;
    scr_skip_space(p);
    int at, i, n = scr_binop_at(p, level, at, i);
    while (n > 0) {
        const int cur = at;
        do {
            KOV_LOG("KEY:%s", scr_binlevels[cur].ops[i]);
            p += n;
            VAL_U t;
            inherit(t, val);
            if ((cur + 1 < SCR_BINLEVELS ? scr_binary_exp(p, t, cur + 1) : scr_cast_exp(p, t)) != 0) return -1;
            scr_binop(cur, i, val, t);
            scr_skip_space(p);
            n = scr_binop_at(p, level, at, i);
        } while (n > 0 && at == cur);
    }
    pos = p;
    return 0;
}
#undef LEVEL

// ---- unary ----

int SCR_U::scr_cast_exp(const char *&pos, VAL_U &val)
{
    DEEP deep(*this);
    if (!deep.ok) return -1;
    const char *p = pos;
    DECL_SPEC spec;
    if (scr_match_key(p, "(") == 0 && scr_spec_qualifier_list(p, spec) == 0 && scr_match_key(p, ")") == 0 &&
        scr_cast_exp(p, val) == 0) {
        pos = p;
        return 0;
    }
    return scr_unary_exp(pos, val);
}

// "++" / "--" before an lvalue (inc +1 or -1).
static int prefix_step(SCR_U &s, const char *&pos, VAL_U &val, int inc)
{
    const char *p = pos;
    SCR_U::LVAL lv;
    if (s.scr_postfix_adrs(p, lv) != 0 || s.lv_step_pre(lv, inc, val) != 0) return -1;
    pos = p;
    return 0;
}

int SCR_U::lv_step_pre(const LVAL &lv, int inc, VAL_U &val)
{
    if (lv.lv_const()) return err_const(lv.vt);
    double d = scr_lv_num(*this, lv) + inc;
    KOV_LOG("%c%c%g", inc > 0 ? '+' : '-', inc > 0 ? '+' : '-', d - inc);
    if (scr_lv_store(*this, lv, nullptr, d) != 0) {
        scr_set_SCRERR("vtb_putd() 失敗");
        return -1;
    }
    if (val.val_putd(d) != 0) {
        scr_set_SCRERR("val_putd() 失敗");
        return -1;
    }
    return 0;
}

int SCR_U::lv_step_post(const LVAL &lv, int inc)
{
    if (lv.lv_const()) return err_const(lv.vt);
    double d = scr_lv_num(*this, lv);
    KOV_LOG("%g%c%c", d, inc > 0 ? '+' : '-', inc > 0 ? '+' : '-');
    if (scr_lv_store(*this, lv, nullptr, d + inc) != 0) {
        scr_set_SCRERR("%s 代入失敗", lv.lv_name());
        return -1;
    }
    return 0;
}

int SCR_U::scr_unary_exp(const char *&pos, VAL_U &val)
{
    int c = scr_skip_space(pos);
    const char *p = pos;
    if ((c == '+' || c == '-') && (scr_match_key(p, "++") == 0 || scr_match_key(p, "--") == 0)) {
        if (prefix_step(*this, p, val, c == '+' ? 1 : -1) != 0) return -1;
        pos = p;
        return 0;
    }
    if (scr_is_unary_op(c) && scr_unary_operator(pos, val) == 0) return 0;
    if (c == 's' && scr_unary_sizeof(pos, val) == 0) return 0;
    if (!scr_is_idf(c) || ctx.cel_x != SCR_NOCELL) {
        if (scr_primary_const(pos, val) == 0) return 0;
        int lib = scr_func_libcall(pos, val);
        if (lib != -1) return lib == 0 ? 0 : -1;   // a built-in's name is never anything else
        if (scr_func_exec(pos, val) == 0) return 0;
        return scr_postfix_exp(pos, val);
    }
    // An identifier: a call when "(" follows, else an enumeration constant or a variable.
    const char *q = pos;
    char name[SCR_NAMESIZE];
    if (scr_idname(q, name, sizeof name) != 0) return -1;
    if (scr_skip_space(q) == '(') {
        int lib = scr_func_libcall(pos, val);
        if (lib != -1) return lib == 0 ? 0 : -1;   // reading the arguments again would cost 2^n
        return scr_func_exec(pos, val);
    }
    VTBL_U *vt = scr_get_vtbl(name);
    if (vt && vt->type == VT_ENUM) {
        KOV_LOG("enum:%s == %d", name, vt->value);
        val.val_putd(vt->value);
        pos = q;
        return 0;
    }
    if (!vt) return -1;   // not an operand: the construct around says what failed
    lk_at = pos;   // the variable is known: the lvalue need not read and look it up again
    lk_after = q;
    lk_vt = vt;
    return scr_postfix_exp(pos, val);
}

int SCR_U::scr_unary_operator(const char *&pos, VAL_U &val)
{
    static const char ops[] = "&*+-~!";
    const char *p = pos;
    int c = scr_skip_space(p);
    if (!c || !strchr(ops, c)) return -1;
    char key[2] = {(char)c, 0};
    if (scr_match_key(p, key) != 0 || c == '&' || c == '*') return -1;   // no addresses
    VAL_U t;
    inherit(t, val);
    if (scr_cast_exp(p, t) != 0) return -1;
    double d = t.val_getd();
    KOV_LOG("%c %g", c, d);
    switch (c) {
    case '!': val.val_putd(d == 0); break;
    case '-': val.val_putd(-d); break;
    case '+': val.val_putd(d); break;
    default: val.val_putd((double)~scr_trunc64(d)); break;
    }
    pos = p;
    return 0;
}

int SCR_U::scr_unary_sizeof(const char *&pos, VAL_U &val)
{
    DEEP deep(*this);   // sizeof sizeof ... nests without passing the cast level
    if (!deep.ok) return -1;
    const char *p = pos;
    if (scr_match_key(p, "sizeof") != 0) return -1;
    const char *q = p;
    DECL_SPEC spec;
    if (scr_match_key(q, "(") == 0 && scr_spec_qualifier_list(q, spec) == 0 && scr_match_key(q, ")") == 0) {
        int t = spec.type;
        if (t < 0) return err_type(t);
        val.val_putd(scr_sizeof_type(t));
        pos = q;
        return 0;
    }
    VAL_U t;
    inherit(t, val);
    if (scr_unary_exp(p, t) != 0) return -1;
    val.val_putd(scr_sizeof_val(t));
    pos = p;
    return 0;
}

double SCR_U::scr_sizeof_val(const VAL_U &v)
{
    return v.val_kind == VAL_NUM ? 8 : v.val_kind == VAL_STR ? (double)strlen(v.val_gets()) + 1 : 0;
}

// ---- operands ----

int SCR_U::scr_enum(const char *&pos, VAL_U &val)
{
    const char *p = pos;
    char name[SCR_NAMESIZE];
    if (scr_idname(p, name, sizeof name) != 0) return -1;
    if (scr_skip_space(p) == '(') return -1;   // a call, never a constant
    VTBL_U *vt = scr_get_vtbl(name);
    if (!vt || vt->type != VT_ENUM) return -1;
    KOV_LOG("enum:%s == %d", name, vt->value);
    val.val_putd(vt->value);
    pos = p;
    return 0;
}

int SCR_U::scr_primary_const(const char *&pos, VAL_U &val)
{
    if (scr_const(pos, val) == 0 || scr_string(pos, val) == 0 || scr_enum(pos, val) == 0) return 0;
    const char *p = pos;
    if (scr_match_key(p, "(") != 0 || scr_exp(p, val) != 0 || scr_match_key(p, ")") != 0) return -1;
    pos = p;
    return 0;
}

int SCR_U::scr_postfix_exp(const char *&pos, VAL_U &val)
{
    const char *p = pos;
    LVAL lv;
    if (scr_postfix_adrs(p, lv) != 0) return -1;
    if ((val.val_flags & VAL_CONSTEXP) && !(lv.vt->flags & SF_CONST)) {
        scr_set_SCRERR("定数式で変数 %s を参照", lv.vt->name);
        return -1;
    }
    if (lv_read(lv, val) != 0) return -1;
    for (;;) {
        int c = scr_skip_space(p);
        if (c != '+' && c != '-') break;
        int inc = scr_match_key(p, "++") == 0 ? 1 : scr_match_key(p, "--") == 0 ? -1 : 0;
        if (!inc) break;
        if (lv_step_post(lv, inc) != 0) return -1;
    }
    pos = p;
    return 0;
}

int SCR_U::scr_postfix_adrs(const char *&pos, LVAL &lv)
{
    const char *p = pos;
    VTBL_U *vt = nullptr;
    int x = 0, y = 0, dims = 0;
    CSV_REF ref;
    const char *q = p;
    scr_skip_space(q);
    if (ctx.cel_x != SCR_NOCELL && csv_parse_name(q, ctx.cel_x, ctx.cel_y, &ref) == 0) {
        if (!(vt = my_var())) return -1;
        p = q;
        x = ref.x;
        y = ref.y;
        dims = 2;
    } else if (lk_at == q) {
        p = lk_after;
        vt = lk_vt;
        lk_at = nullptr;
        if (scr_skip_space(p) == '[' && scr_get_varparam(p, x, y, dims, 0) != 0) return -1;
    } else {
        char name[SCR_NAMESIZE];
        if (scr_idname(p, name, sizeof name) != 0) return -1;
        vt = scr_get_vtbl(name);
        if (!vt) return -1;
        if (scr_skip_space(p) == '[' && scr_get_varparam(p, x, y, dims, 0) != 0) return -1;
    }
    if (lv_bind(vt, x, y, dims, lv) != 0) return -1;
    scr_skip_members(p);
    pos = p;
    return 0;
}

bool SCR_U::scr_skip_members_at(const char *&p)
{
    bool any = false;
    for (;;) {
        const char *m = p;
        int c = scr_skip_space(m);
        if (c != '.' && c != '-') break;
        if (scr_match_key(m, ".") != 0 && scr_match_key(m, "->") != 0) break;
        char name[SCR_NAMESIZE];
        if (scr_idname(m, name, sizeof name) != 0) break;
        p = m;
        any = true;
    }
    return any;
}

// Element (x, y) of vt named with dims indices, as an element reference takes it: the type,
// the dimensions and the bounds (not accessed for real while suppressed: element 0 then).
int SCR_U::lv_bind_rare(VTBL_U *vt, int x, int y, int dims, LVAL &lv)
{
    if (vt->type < 0) return err_type(vt->type);
    if (vt->type < VT_VAR || vt->type == VT_ENUM) return -1;
    if (dims != vt->vtb_dims()) {
        scr_set_SCRERR("%d 次元変数 %s を %d 次元で参照", vt->vtb_dims(), vt->name, dims);
        return -1;
    }
    int xs = vt->vtb_xs(), ys = vt->vtb_ys();
    int out = (xs > 0 && x >= xs) || (ys >= 1 && y >= ys) || x < 0 || y < 0;
    if (out && sup()) {   // not accessed for real: only the text is being read
        x = y = 0;
        out = 0;
    }
    if (out) {
        scr_set_SCRERR("無効アクセス:%s[%d][%d]", vt->name, y, x);
        return -1;
    }
    lv.vt = vt;
    lv.gj = vt->vtb_gajet_pt;
    lv.x = x;
    lv.y = y;
    return 0;
}
