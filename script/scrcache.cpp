// Parsed forms of expressions: the parser follows the text reader's grammar step by step with
// the reader's own primitives, so that it ends where the reader ends; the evaluator repeats
// the reader's actions in the reader's order.
//
// Results of the evaluator: 0 done, -1 failed (as the reader fails), 2 done but the reader
// would have stopped at stop_at (an enumerator with indices or "++" after it): every node
// above then acts as the reader does when the next token is none of its own.
#include "script/scrcache.h"
#include "script/scrlean.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <cstring>

#include "script/screxp.h"
#include "script/scrtree.h"
#include "sheet/cellref.h"
#include "base/kovlog.h"

int cache_env_off()
{
    static int off = [] {
        const char *e = getenv("KOVASH_NOCACHE");
        return e && *e && strcmp(e, "0") != 0;
    }();
    return off;
}

namespace {
// Parse nesting taken on (in the reader's nesting counts); deeper text stays with the reader.
constexpr int XC_DEEP = 400;
constexpr int XC_POST = 8;

} // namespace

// A literal's text is the script's, as the script's own text is: it is not counted against the
// cap on the texts a run holds, so that a run with parsed forms meets the cap where the reader
// meets it. Counted again (way 1) before its value goes.
static void held(VAL_U &v, int way)
{
    if (v.val_str) VAL_U::val_bytes += way * (long)v.val_cap;
}

SCR_XC::~SCR_XC()
{
    drop_strs(0);
}

void SCR_XC::drop_strs(size_t from)
{
    for (size_t k = from; k < strs.size(); k++) {
        held(strs[k], 1);
        strs[k].val_clear();
    }
    strs.resize(from);
}

void SCR_XC::rebase(const char *t)
{
    epoch++;
    text = nullptr;   // until the memos are made: out of memory the reader reads without them
    len = 0;
    s.scr_blank_memo(nullptr, 0, nullptr);
    forms.clear();
    ranges.clear();
    for (auto &f : recent) f = nullptr;
    blanks.clear();
    shapes.clear();
    try {
        if (t) {
            size_t n = strlen(t);
            blanks.assign(n + 1, 0);
            shapes.assign(n, 0);
            s.scr_blank_memo(t, n, blanks.data());
            len = n;
        }
        text = t;
    } catch (const std::bad_alloc &) {
        blanks.clear();
        shapes.clear();
    }
    roots.clear();
    nodes.clear();
    calls.clear();
    vars.clear();
    cells.clear();
    ats.clear();
    items.clear();
    names.clear();
    drop_strs(0);
    cargs.clear();
}

long SCR_XC::bytes() const
{
    return (long)(blanks.capacity() + shapes.capacity() + roots.capacity() * sizeof(ROOT) + nodes.capacity() * sizeof(XN) + calls.capacity() * sizeof(XCALL) + vars.capacity() * sizeof(XVAR) + cells.capacity() * sizeof(XCELL) + ats.capacity() * sizeof(const char *) +
                  items.capacity() * sizeof(ITEM) + names.capacity() + strs.capacity() * sizeof(VAL_U));
}

long SCR_U::scr_cache_bytes() const { return scr_xc ? scr_xc->bytes() : 0; }

int SCR_XC::add(const XN &n)
{
    XN &x = nodes.push_back(n);
    x.nf = numf_of(x);
    return (int)nodes.size() - 1;
}

int SCR_XC::compile_root(const char *&pos)
{
    if (!s.scr_cache_on || cache_env_off()) return 0;
    int r;
    try {
        r = compile(pos);
    } catch (const std::bad_alloc &) {
        r = -1;
    }
    if (r < 0) return 0;
    pos = roots[r - 1].end;
    return r;
}

int SCR_XC::compile(const char *pos)
{
    SCR_U::ERR_SAVE keep, *outer = s.err_save;
    s.err_save = &keep;
    size_t n0 = nodes.size(), i0 = items.size(), m0 = names.size(), s0 = strs.size(), c0 = calls.size(), v0 = vars.size(), e0 = cells.size(), a0 = ats.size();
    maxd = 0;
    const char *p = pos;
    int root;
    try {
        root = cx_assign(p, 0);
    } catch (...) {
        s.err_restore(keep, outer);
        throw;
    }
    bool clean = !s.err_restore(keep, outer);
    if (root < 0 || !clean) {
        nodes.resize(n0);
        calls.resize(c0);
        vars.resize(v0);
        std::erase_if(shared, [&](const auto &e) { return e.second >= (int)v0; });
        cells.resize(e0);
        ats.resize(a0);
        items.resize(i0);
        names.resize(m0);
        drop_strs(s0);
        return -1;
    }
    bool calls = false;
    for (size_t k = n0; k < nodes.size() && !calls; k++) calls = nodes[k].k == X_CALL;
    roots.push_back(ROOT{root, maxd, p, calls, (int)n0});
    return (int)roots.size();
}

// ---- parsing: each mirrors the reader's method of the same name (d: its nesting count) ----

int SCR_XC::cx_exp(const char *&pos, int d)
{
    const char *p = pos;
    int first = cx_assign(p, d + 1);
    if (first < 0) return -1;
    if (s.scr_skip_space(p) != ',') {
        pos = p;
        return first;
    }
    std::vector<int> list{first};
    while (s.scr_skip_space(p) == ',' && s.scr_match_key(p, ",") == 0) {
        int n = cx_assign(p, d + 1);
        if (n < 0) return -1;
        list.push_back(n);
    }
    XN x{X_COMMA};
    x.list = (int)items.size();
    x.n = (int)list.size();
    for (int n : list) items.push_back(ITEM{0, n});
    pos = p;
    return add(x);
}

int SCR_XC::cx_assign(const char *&pos, int d)
{
    if (d > XC_DEEP) return -1;
    if (d > maxd) maxd = d;
    if (!s.lv_lookahead(pos)) return cx_cond(pos, d);
    const char *p = pos;
    int lv = cx_lvalue(p, d);
    if (lv < 0) return -1;
    int op = s.scr_assignment_operator(p);
    if (op < 0) return -1;
    int r = cx_assign(p, d + 1);
    if (r < 0) return -1;
    XN x{X_ASG};
    x.op = (uint8_t)op;
    x.a = lv;
    x.b = r;
    pos = p;
    return add(x);
}

int SCR_XC::cx_cond(const char *&pos, int d)
{
    const char *p = pos;
    int a = cx_chain(p, d, 0);
    if (a < 0) return -1;
    if (s.scr_skip_space(p) != '?' || s.scr_match_key(p, "?") != 0) {
        pos = p;
        return a;
    }
    int b = cx_exp(p, d);
    if (b < 0 || s.scr_match_key(p, ":") != 0) return -1;
    if (d + 1 > maxd) maxd = d + 1;
    int c = cx_cond(p, d + 1);
    if (c < 0) return -1;
    XN x{X_COND};
    x.a = a;
    x.b = b;
    x.c = c;
    pos = p;
    return add(x);
}

// The operator at p of `level` or deeper (levels: 0 "||", 1 "&&", then the binary operators'
// levels from 2): its length (0 none), its level and its index in the level.
static int op_at(const char *p, int level, int &at, int &i)
{
    if (p[0] == '|' && p[1] == '|') return level == 0 ? (at = 0, i = 0, 2) : 0;
    if (p[0] == '&' && p[1] == '&') return level <= 1 ? (at = 1, i = 0, 2) : 0;
    int n = scr_binop_at(p, level < 2 ? 0 : level - 2, at, i);
    if (n > 0) at += 2;
    return n;
}

// The operators of `level` and deeper, each level's chain as the reader reads it (a "||" or
// "&&" chain one node with its items, a binary level's a row): the next operator is looked up
// once, not asked of every level in turn.
int SCR_XC::cx_chain(const char *&pos, int d, int level)
{
    const char *p = pos;
    int left = cx_cast(p, d);
    if (left < 0) return -1;
    s.scr_skip_space(p);
    int at, i, n = op_at(p, level, at, i);
    // a level's items on a stack shared by the levels (inner chains leave it as they found it)
    struct ROW {
        std::vector<ITEM> &v;
        const size_t base;
        explicit ROW(std::vector<ITEM> &v) : v(v), base(v.size()) {}
        ~ROW() { v.resize(base); }
    } row(chain);
    while (n > 0) {
        const int cur = at;
        chain.resize(row.base);
        do {
            KOV_LOG("KEY:%s", cur == 0 ? "||" : cur == 1 ? "&&" : scr_binlevels[cur - 2].ops[i]);
            p += n;
            int r = cur + 1 < SCR_BINLEVELS + 2 ? cx_chain(p, d, cur + 1) : cx_cast(p, d);
            if (r < 0) return -1;
            chain.push_back(ITEM{cur < 2 ? 0 : i, r});
            s.scr_skip_space(p);
            n = op_at(p, level, at, i);
        } while (n > 0 && at == cur);
        if (cur < 2) {
            XN x{X_LOGIC};
            x.op = cur == 0;
            x.a = left;
            x.list = (int)items.size();
            x.n = (int)(chain.size() - row.base);
            for (size_t k = row.base; k < chain.size(); k++) items.push_back(chain[k]);
            left = add(x);
        } else {
            left = cx_row(cur - 2, left, &chain[row.base], chain.size() - row.base);
        }
    }
    pos = p;
    return left;
}

// The chain first op list[0] op list[1] ... of one level.
int SCR_XC::cx_row(int level, int first, const ITEM *list, size_t count)
{
    XN x{X_CHAIN};
    x.op = (uint8_t)level;
    x.a = first;
    x.list = (int)items.size();
    x.n = (int)count;
    x.pure = pure(first);
    for (size_t k = 0; k < count; k++) {
        items.push_back(list[k]);
        x.pure = x.pure && pure(list[k].node);
    }
    // For numbers the operators before the last are a left-leaning row of nodes, the chain's
    // node the last operator on them (b, or with one operator the first operand, a).
    int left = first;
    for (size_t k = 0; k + 1 < count; k++) {
        XN o{X_BIN};
        o.op = (uint8_t)level;
        o.post = (uint8_t)list[k].op;
        o.a = left;
        o.b = list[k].node;
        left = add(o);
    }
    x.post = (uint8_t)list[count - 1].op;
    x.b = count > 1 ? left : list[count - 1].node;
    // The last item's root comes just before the row (a node is made after its operands):
    // last() takes it from there. Where it does not, ev computes the chain.
    int at = add(x);
    if (count > 1 && list[count - 1].node != x.b - (int)count + 1) nodes[at].nf = 0;
    return at;
}

// A cast passes its operand's value on: no node of its own.
int SCR_XC::cx_cast(const char *&pos, int d)
{
    d++;
    if (d > XC_DEEP) return -1;
    if (d > maxd) maxd = d;
    const char *p = pos;
    DECL_SPEC spec;
    int t = cx_type_name(p, spec);
    if (t < 0) return -1;
    if (t) {
        int n = cx_cast(p, d);
        if (n < 0) return -1;
        pos = p;
        return n;
    }
    return cx_unary(pos, d);
}

// "(" type ")" at p, as the reader tries it for a cast and for sizeof: 1 read (p past it), 0
// none, -1 an enum (it declares its enumerators as it is read: the reader's).
int SCR_XC::cx_type_name(const char *&p, DECL_SPEC &spec)
{
    const char *q = p;
    if (s.scr_match_key(q, "(") != 0) return 0;
    const char *r = q;
    s.scr_skip_space(r);   // (as the reading of the first qualifier skips them)
    int w = SCR_LEX::scr_word(r);
    if (w == W_ENUM) return -1;
    // most parentheses hold an expression: no qualifier or type word (const .. HSCROL) begins them
    if (w < W_CONST || w > W_HSCROL) return 0;
    if (s.scr_spec_qualifier_list(q, spec) != 0 || s.scr_match_key(q, ")") != 0) return 0;
    p = q;
    return 1;
}

int SCR_XC::cx_unary(const char *&pos, int d)
{
    int c = s.scr_skip_space(pos);
    const char *p = pos;
    if ((c == '+' || c == '-') && (s.scr_match_key(p, "++") == 0 || s.scr_match_key(p, "--") == 0)) {
        int lv = cx_lvalue(p, d);
        if (lv < 0) return -1;
        XN x{X_PRE};
        x.op = c == '+';
        x.a = lv;
        pos = p;
        return add(x);
    }
    if (scr_is_unary_op(c)) {
        char key[2] = {(char)c, 0};
        if (c == '&' || c == '*' || s.scr_match_key(p, key) != 0) return -1;
        int a = cx_cast(p, d);
        if (a < 0) return -1;
        XN x{X_UN};
        x.op = (uint8_t)c;
        x.a = a;
        x.pure = pure(a);
        pos = p;
        return add(x);
    }
    if (c == 's') {
        if (d + 1 > maxd) maxd = d + 1;   // the reader tries sizeof at its own nesting count
        if (s.scr_match_key(p, "sizeof") == 0) return cx_sizeof(pos, p, d + 1);
    }
    if (!scr_is_idf(c)) {
        VAL_U v;
        if (s.scr_const(p, v) == 0) {
            XN x{X_NUM};
            x.num = v.val_getd();
            pos = p;
            return add(x);
        }
        if (s.scr_string(p, v) == 0) {
            XN x{X_STR};
            x.list = (int)strs.size();
            held(strs.push_back(v), -1);
            pos = p;
            return add(x);
        }
        if (s.scr_match_key(p, "(") != 0) return -1;
        int n = cx_exp(p, d);
        if (n < 0 || s.scr_match_key(p, ")") != 0) return -1;
        pos = p;
        if (!may_stop(n)) return n;
        XN x{X_PAREN};   // the reader stopped early finds no ")": a failure
        x.a = n;
        return add(x);
    }
    char name[SCR_NAMESIZE];
    const char *q = p;
    if (s.scr_idname(q, name, sizeof name) != 0) return -1;
    if (s.scr_skip_space(q) == '(') {
        const char *end = scr_look_group(s, q, '(', ')');
        if (!end) return -1;
        XN x{X_CALL};
        x.call = &calls.push_back(XCALL{});
        x.call->deep = d;
        x.call->at = pos;
        x.call->end = end;
        pos = end;
        return add(x);
    }
    if (s.ctx.cel_x != SCR_NOCELL) {   // a formula reads a constant first, then a cell name
        VTBL_U *vt = s.scr_get_vtbl(name);
        if (vt && vt->type == VT_ENUM) return -1;
        int cell = cx_cell(pos);
        if (cell != -2) return cell;
    }
    XN x;
    p = q;
    if (cx_name(p, name, d, x) != 0) return -1;
    for (;;) {
        int pc = s.scr_skip_space(p);
        if (pc != '+' && pc != '-') break;
        int inc = s.scr_match_key(p, "++") == 0 ? 1 : s.scr_match_key(p, "--") == 0 ? -1 : 0;
        if (!inc) break;
        if (x.npost == XC_POST) return -1;
        if (inc > 0) x.post |= (uint8_t)(1u << x.npost);
        x.npost++;
    }
    if (x.dims || x.npost || x.memb) {   // an enumerator stops past its name: where that is
        ats.push_back(q);
        x.n = (int)ats.size();
    }
    pos = p;
    return add(x);
}

// Whether node i may end early (result 2).
int SCR_XC::may_stop(int i) const
{
    const XN &n = nodes[i];
    switch (n.k) {
    case X_VAR: return n.dims || n.npost || n.memb;
    case X_CALL: return 1;
    case X_UN:
    case X_SIZE: return may_stop(n.a);
    case X_COND: return may_stop(n.a) || may_stop(n.c);
    case X_ASG: return may_stop(n.b);
    case X_CHAIN:
    case X_LOGIC:
        if (may_stop(n.a)) return 1;
        [[fallthrough]];
    case X_COMMA:
        for (int k = 0; k < n.n; k++)
            if (may_stop(items[n.list + k].node)) return 1;
        return 0;
    default: return 0;
    }
}

// A cell name at pos (a formula's): its node; -1 the reader's (steps or members follow); -2 none.
int SCR_XC::cx_cell(const char *&pos)
{
    const char *q = pos;
    CSV_REF ref;
    if (csv_parse_name(q, s.ctx.cel_x, s.ctx.cel_y, &ref) != 0) return -2;
    const char *m = q;
    int c = s.scr_skip_space(m);
    if (c == '[' || c == '.' || (c == '-' && (m[1] == '>' || m[1] == '-')) || (c == '+' && m[1] == '+')) return -1;
    XN x{X_CELL};
    x.cell = &cells.push_back(XCELL{pos, (int)(m - pos), ref});
    pos = q;
    return add(x);
}

int SCR_XC::form_root(const char *form, const char *&text)
{
    if (!s.scr_cache_on || cache_env_off()) return 0;
    // Neighbouring cells mostly hold the texts met just before: those are compared first.
    for (const auto *f : recent)
        if (f && strcmp(f->first.c_str(), form) == 0) {
            text = f->first.c_str();
            return f->second > 0 ? f->second : 0;
        }
    try {
        auto it = forms.find(std::string_view(form));
        if (it == forms.end()) {
            if (forms.size() >= 1000000) return 0;   // a sheet of that many texts: the rest read
            it = forms.emplace(form, -1).first;
            it->second = compile(it->first.c_str());
        }
        text = it->first.c_str();
        recent[recent_next++ % RECENT] = &*it;
        return it->second > 0 ? it->second : 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

// A corner of a remembered range at the cell (bx, by); false when a relative part falls
// outside int (reading the name there fails).
static bool corner(const CSV_REF &r, int bx, int by, CSV_REF &at)
{
    auto place = [](int c, int off, int base, int &out) {
        int64_t v = off == CSV_REF_ABS ? c : int64_t(base) + off;
        out = int(v);
        return v >= INT32_MIN && v <= INT32_MAX;
    };
    return place(r.x, r.xoff, bx, at.x) && place(r.y, r.yoff, by, at.y);
}

// The cell a formula's cell name means at the current cell; false where a relative part falls
// outside int (there the name reads no cell: the reader reads the text).
bool SCR_XC::cell_at(const XN &n, int &x, int &y) const
{
    CSV_REF at;
    if (!corner(n.cell->ref, s.ctx.cel_x, s.ctx.cel_y, at)) return false;
    x = at.x;
    y = at.y;
    return true;
}

// A cell name's value, as the reader reads it: my[y][x] at the current cell, or the name's text
// where it reads no cell there. 0, or -1 failed (the error set).
int SCR_XC::read_cell(const XN &n, VAL_U &val)
{
    int x, y;
    if (cell_at(n, x, y) && !(val.val_flags & VAL_CONSTEXP)) {
        SCR_U::LVAL lv;
        VTBL_U *my = s.my_var();
        return my && s.lv_bind(my, x, y, 2, lv) == 0 && s.lv_read(lv, val) == 0 ? 0 : -1;
    }
    const char *p = n.cell->text;
    return s.scr_postfix_exp(p, val) == 0 && p == n.cell->text + n.cell->len ? 0 : -1;
}

int SCR_XC::range_at(const char *&q, int bx, int by, CSV_RECT *rc)
{
    CSV_REF a, b;
    const char *p = q;
    auto it = ranges.find(q);
    if (it != ranges.end() && corner(it->second.a, bx, by, a) && corner(it->second.b, bx, by, b)) {
        p += it->second.len;
    } else {   // read as csv_parse_range reads it
        if (csv_parse_name(p, bx, by, &a) != 0) return -1;
        b = a;
        const char *r = p + 1;
        if (*p == ':' && csv_parse_name(r, bx, by, &b) == 0) p = r;
        // A second name that fails after ":" may fail at this cell only (a part past int): not kept.
        if (*p != ':') {
            try {
                ranges[q] = RANGE{uint32_t(p - q), a, b};
            } catch (const std::bad_alloc &) {
            }
        }
    }
    rc->x1 = std::min(a.x, b.x), rc->x2 = std::max(a.x, b.x);
    rc->y1 = std::min(a.y, b.y), rc->y2 = std::max(a.y, b.y);
    q = p;
    return 0;
}

// An lvalue: a name with its indices (the caller's nesting count d).
int SCR_XC::cx_lvalue(const char *&pos, int d)
{
    const char *p = pos;
    if (s.ctx.cel_x != SCR_NOCELL) {   // a cell as the target: the reader's
        const char *q = p;
        CSV_REF ref;
        if (csv_parse_name(q, s.ctx.cel_x, s.ctx.cel_y, &ref) == 0) return -1;
    }
    char name[SCR_NAMESIZE];
    XN x;
    if (s.scr_idname(p, name, sizeof name) != 0 || cx_name(p, name, d, x) != 0) return -1;
    pos = p;
    return add(x);
}

// The node of a name read (p past it): its record, its indices and members.
int SCR_XC::cx_name(const char *&p, const char *name, int d, XN &x)
{
    x = XN{X_VAR};
    if (s.scr_skip_space(p) == '[' && cx_indices(p, d, x) != 0) return -1;
    x.memb = s.scr_skip_members(p);
    name_record(x, name);
    return 0;
}

void SCR_XC::name_record(XN &x, const char *name)
{
    int *had = nullptr;
    if (sharing) {
        char key[SCR_NAMESIZE + 1];
        size_t len = strlen(name);
        memcpy(key, name, len);
        key[len] = (char)('0' + x.dims);   // (a record keeps a scalar's element or a row: by its indices)
        std::string_view k(key, len + 1);
        if (auto it = shared.find(k); it != shared.end()) {
            x.vi = it->second;
            return;
        }
        had = &shared.emplace(k, -1).first->second;
    }
    XVAR v;
    v.name = (int)names.size();
    names.insert(names.end(), name, name + strlen(name) + 1);
    vars.push_back(v);
    x.vi = (int)vars.size() - 1;
    if (had) *had = x.vi;
}

// sizeof at pos (p past the word; d the reader's nesting count in it): a type's size is a
// number; a value's is taken when it is read.
int SCR_XC::cx_sizeof(const char *&pos, const char *p, int d)
{
    if (d > XC_DEEP) return -1;
    const char *q = p;
    DECL_SPEC spec;
    int t = cx_type_name(q, spec);
    if (t < 0 || (t && spec.type < 0)) return -1;   // the reader says what is wrong with a type
    if (t) {
        XN x{X_NUM};
        x.num = SCR_U::scr_sizeof_type(spec.type);
        pos = q;
        return add(x);
    }
    int a = cx_unary(p, d);
    if (a < 0) return -1;
    XN x{X_SIZE};
    x.a = a;
    pos = p;
    return add(x);
}

int SCR_XC::cx_indices(const char *&p, int d, XN &x)
{
    while (x.dims < 2 && s.scr_match_key(p, "[") == 0) {
        int n = cx_exp(p, d);
        if (n < 0 || s.scr_match_key(p, "]") != 0) return -1;
        (x.dims == 0 ? x.a : x.b) = n;
        x.dims++;
    }
    return 0;
}

// ---- evaluation ----

// Nodes that read nothing but numbers, names and cells: evaluating one changes nothing, so evd
// may give up on it half-way and leave it to ev.
bool SCR_XC::pure(int i) const
{
    const XN &n = nodes[i];
    if (n.k == X_VAR) return !n.npost && (n.dims < 1 || pure(n.a)) && (n.dims < 2 || pure(n.b));
    return n.k == X_NUM || n.k == X_CELL || ((n.k == X_CHAIN || n.k == X_UN) && n.pure);
}

bool SCR_XC::inert(int r, const char *end)
{
    const ROOT &rt = roots[r - 1];
    if (rt.end != end || rt.calls || !room(rt.deep + 2)) return false;   // (the reader's nesting limits)
    for (int i = rt.first; i <= rt.node; i++) {
        const XN &n = nodes[i];
        switch (n.k) {
        case X_NUM:
        case X_UN:
        case X_BIN:
        case X_CHAIN:
        case X_COND:
        case X_LOGIC: continue;
        case X_STR:   // ("" and the like; a text in an operation may fail)
            if (rt.first != rt.node) return false;
            continue;
        case X_VAR: {
            if (!n.plain_name()) return false;
            const VTBL_U *vt = look(n);
            if (!vt || (vt->type != VT_ENUM && (!scalar(n, vt) || (vt->flags & SF_CONST)))) return false;
            continue;
        }
        default: return false;
        }
    }
    return true;
}

// ("<<=" is no comparison)
bool scr_may_store(const char *from, const char *end)
{
    for (const char *p = from; p + 1 < end; p++) {
        const char c = p[0];
        if ((c == '+' || c == '-') && p[1] == c) return true;
        if (p[1] != '=' || (p + 2 < end && p[2] == '=')) continue;
        bool compare = c == '=' || c == '!' || ((c == '<' || c == '>') && !(p > from && p[-1] == c));
        if (!compare) return true;
    }
    return false;
}

bool SCR_XC::stores(int r, const char *end, std::string &out) const
{
    const ROOT &rt = roots[r - 1];
    if (end && rt.end != end) return false;
    for (int i = rt.first; i <= rt.node; i++) {
        const XN &n = nodes[i];
        const XN *target = n.k == X_ASG || n.k == X_PRE ? &nodes[n.a] : n.k == X_VAR && n.npost ? &n : nullptr;
        if (target) {
            if (target->k != X_VAR) return false;
            out.append(name_of(*target)).push_back(0);
        } else if (n.k == X_CALL && scr_may_store(n.call->at, n.call->end)) {
            return false;
        }
    }
    return true;
}

// The value a string literal or a plain scalar stands for, without a copy; null for others.
const VAL_U *SCR_XC::peek(int i)
{
    const XN &n = nodes[i];
    if (n.k == X_STR) return &strs[n.list];
    return n.k == X_VAR ? scalar(n, look(n)) : nullptr;
}

// The value of a name without indices or steps when vt, the entry it names, is a var scalar.
const VAL_U *SCR_XC::scalar(const XN &n, const VTBL_U *vt)
{
    if (n.dims || n.npost || !vt) return nullptr;
    const VAR_GJ *g = vt->vtb_vars();
    return g && g->gj_dims() == 0 ? g->gj_peek(0, 0) : nullptr;
}

// ---- numbers without values in between ----

// The fast evaluators of the node kinds: each does what ev does when every operand is a number,
// and gives up (1) with nothing done otherwise, so that ev can take the node from the start.
struct SCR_XC::FAST {
    static int bail(SCR_XC &, const XN &, double &) { return 1; }
    static int num(SCR_XC &, const XN &n, double &d)
    {
        d = n.num;
        return 0;
    }
    // The element (x, y) of the variable vt names, as a number.
    static int elem(SCR_XC &xc, const XN &n, VTBL_U *vt, int x, int y, double &d)
    {
        const VAR_GJ *g = vt->vtb_vars();
        if (!g || g->gj_dims() != n.dims) return 1;
        // Null outside the shape (declared shapes stay within the limits of indices), where
        // adrs says what is wrong.
        const VAL_U *v = g->gj_peek(x, y);
        if (!v || v->val_kind != VAL_NUM) return 1;
        d = xc.s.sup() && !(vt->flags & SF_CONST) ? 0 : v->val_num;
        return 0;
    }
    static int var0(SCR_XC &xc, const XN &n, double &d)
    {
        const XVAR &v = xc.var(n);
        if (v.cell && xc.s.vt_valid(v.gen)) {   // the element found before is still the name's
            if (v.cell->val_kind != VAL_NUM) return 1;
            d = xc.s.sup() && !(v.vt->flags & SF_CONST) ? 0 : v.cell->val_num;
            return 0;
        }
        return var0_look(xc, n, d);
    }
    [[gnu::noinline]] static int var0_look(SCR_XC &xc, const XN &n, double &d)
    {
        VTBL_U *vt = xc.look(n);
        if (!vt) return 1;
        if (vt->type == VT_ENUM) {
            d = vt->value;
            return 0;
        }
        return elem(xc, n, vt, 0, 0, d);
    }
    static int var1(SCR_XC &xc, const XN &n, double &d)
    {
        VTBL_U *vt = xc.look(n);
        double a;
        if (!vt || vt->type == VT_ENUM || xc.evd(n.a, a)) return 1;   // an enumerator stops before "["
        int x = scr_trunc32(a);
        if (const XVAR &r = xc.var(n); r.row && x >= 0 && x < r.row_len) {
            const VAL_U &v = r.row[x];
            if (v.val_kind != VAL_NUM) return 1;
            d = xc.s.sup() && !(vt->flags & SF_CONST) ? 0 : v.val_num;
            return 0;
        }
        return elem(xc, n, vt, x, 0, d);
    }
    // A formula's cell name: the cell's number (the sheet's my[y][x]).
    static int cell(SCR_XC &xc, const XN &n, double &d)
    {
        int x, y;
        if (!xc.cell_at(n, x, y) || xc.s.sup()) return 1;
        VTBL_U *my = xc.s.scr_get_vtbl("my");
        if (!my || !my->vtb_gajet_pt || !SCR_U::lv_inside(my, x, y, 2)) return 1;
        return my->vtb_gajet_pt->gj_numd(x, y, d) == 0 ? 0 : 1;
    }
    static int var2(SCR_XC &xc, const XN &n, double &d)
    {
        VTBL_U *vt = xc.look(n);
        double a, b;
        if (!vt || vt->type == VT_ENUM || xc.evd(n.a, a) || xc.evd(n.b, b)) return 1;
        return elem(xc, n, vt, scr_trunc32(b), scr_trunc32(a), d);
    }
    template <int OP> static int un(SCR_XC &xc, const XN &n, double &d)
    {
        double a;
        if (xc.evd(n.a, a)) return 1;
        KOV_LOG("%c %g", n.op, a);
        d = OP == '!' ? a == 0 : OP == '-' ? -a : OP == '+' ? a : (double)~scr_trunc64(a);
        return 0;
    }
    // Operator i of level L (scr_numop's numbering); the common ones inline.
    template <int L, int I> static double op(double a, double b)
    {
        if constexpr (L == 3) return I == 0 ? a == b : a != b;
        else if constexpr (L == 4) return I == 0 ? a <= b : I == 1 ? a < b : I == 2 ? a >= b : a > b;
        else if constexpr (L == 6) return I ? a - b : a + b;   // parsed forms never run while tracing
        else if constexpr (L == 7 && I == 0) return a * b;
        else if constexpr (L == 7 && I == 2) {
            int64_t x = scr_trunc64(a), y = scr_trunc64(b);
            return y == 0 || y == -1 ? 0 : (double)(x % y);
        } else return scr_numop(L, I, a, b);
    }
    // An operator on a and b: a chain of one, or one of the row before a chain's last.
    template <int L, int I> static int bin(SCR_XC &xc, const XN &n, double &d)
    {
        double a, b;
        if (xc.evd(n.a, a) || xc.evd(n.b, b)) return 1;
        d = op<L, I>(a, b);
        return 0;
    }
    // The last operator of a chain of several: on the row before it (b) and the last item,
    // made just before the row.
    template <int L, int I> static int last(SCR_XC &xc, const XN &n, double &d)
    {
        double a, b;
        if (xc.evd(n.b, a) || xc.evd(n.b - n.n + 1, b)) return 1;
        d = op<L, I>(a, b);
        return 0;
    }
};

// By index: bail (0), num, var0, var1, var2, cell, the unary operators, then bin<L, I> at
// NF_BIN + 4 L + I and last<L, I> at NF_LAST + 4 L + I.
#define KOV_OP_LEVEL(F, L) FAST::F<L, 0>, FAST::F<L, 1>, FAST::F<L, 2>, FAST::F<L, 3>
#define KOV_OP_LEVELS(F)                                                                       \
    KOV_OP_LEVEL(F, 0), KOV_OP_LEVEL(F, 1), KOV_OP_LEVEL(F, 2), KOV_OP_LEVEL(F, 3), KOV_OP_LEVEL(F, 4), \
        KOV_OP_LEVEL(F, 5), KOV_OP_LEVEL(F, 6), KOV_OP_LEVEL(F, 7)
const SCR_XC::NUMF SCR_XC::numfs[] = {
    FAST::bail, FAST::num, FAST::var0, FAST::var1, FAST::var2, FAST::cell,
    FAST::un<'!'>, FAST::un<'-'>, FAST::un<'+'>, FAST::un<'~'>,
    KOV_OP_LEVELS(bin), KOV_OP_LEVELS(last),
};
#undef KOV_OP_LEVELS
#undef KOV_OP_LEVEL
enum { NF_BAIL, NF_NUM, NF_VAR0, NF_CELL = 5, NF_UN, NF_BIN = 10, NF_LAST = NF_BIN + 32 };
uint8_t SCR_XC::numf_of(const XN &n)
{
    static_assert(std::size(numfs) == NF_LAST + 32);
    switch (n.k) {
    case X_NUM: return NF_NUM;
    case X_VAR: return n.npost || n.memb ? NF_BAIL : NF_VAR0 + std::min<int>(n.dims, 2);
    case X_UN: return NF_UN + (n.op == '!' ? 0 : n.op == '-' ? 1 : n.op == '+' ? 2 : 3);
    case X_CHAIN:
    case X_BIN: return (n.k == X_CHAIN && n.n > 1 ? NF_LAST : NF_BIN) + 4 * std::min<int>(n.op, 7) + std::min<int>(n.post, 3);
    case X_CELL: return NF_CELL;
    default: return NF_BAIL;
    }
}

// An assignment of a number to a plain variable's element, the usual statement, without
// values in between; 1 when ev must take it (nothing done).
int SCR_XC::asg_fast(const XN &n, VAL_U &val)
{
    const XN &l = nodes[n.a];
    if (s.sup()) return 1;
    VTBL_U *vt = look(l);
    XVAR &lr = var(l);
    if (!l.dims && lr.cell && !(vt->flags & SF_CONST)) {   // a plain var scalar
        double r;
        if (evd(n.b, r)) return 1;
        double d = n.op == 0 ? r : scr_asg_num(n.op, lr.cell->val_getd(), r);
        lr.cell->val_putd(d);
        val.val_putd(d);
        return 0;
    }
    if (!vt || vt->type != VT_VAR || (vt->flags & SF_CONST)) return 1;
    VAR_GJ *g = gj_vars_of(vt->vtb_gajet_pt);
    if (!g || g->gj_dims() != l.dims) return 1;
    int x = 0, y = 0;
    if (l.dims) {
        double a, b = 0;
        if (evd(l.a, a) || (l.dims == 2 && evd(l.b, b))) return 1;
        x = scr_trunc32(l.dims == 1 ? a : b);
        y = l.dims == 2 ? scr_trunc32(a) : 0;
        if (x < 0 || x > 999 || y < 0 || y > 999999) return 1;
    }
    double r;
    if (evd(n.b, r)) return 1;
    VAL_U *cell = l.dims == 1 && lr.row && x < lr.row_len ? const_cast<VAL_U *>(lr.row) + x : g->gj_cell(x, y);
    if (!cell) return 1;
    double d = n.op == 0 ? r : scr_asg_num(n.op, cell->val_getd(), r);
    cell->val_putd(d);
    val.val_putd(d);
    return 0;
}

// A text literal appended with "&=" to an element holding text, when nothing uses the value
// (a statement): in place, without the copy of the whole text as the value. 1: ev's.
int SCR_XC::append_fast(const XN &n)
{
    const XN &l = nodes[n.a], &r = nodes[n.b];
    if (n.op != 8 || r.k != X_STR || s.sup()) return 1;
    VTBL_U *vt = look(l);
    SCR_U::LVAL lv;
    if (!vt || (l.dims && !pure(l.a)) || (l.dims == 2 && !pure(l.b))) return 1;   // indices run once
    if ((vt->flags & SF_CONST) || adrs(l, vt, lv) != 0 || !lv.gj) return 1;
    VAL_U *cell = lv.gj->gj_value(lv.x, lv.y);
    const VAL_U &text = strs[r.list];
    if (!cell || cell->val_kind == VAL_NUM || text.val_kind == VAL_NUM) return 1;
    return s.scr_add_string(*cell, text.val_gets()) == 0 ? 0 : 1;   // failed, the text is as it was
}

// "++" and "--" after a plain scalar holding a number.
int SCR_XC::post_fast(const XN &n, VTBL_U *vt, VAL_U &val)
{
    if (n.dims || s.sup() || vt->type != VT_VAR || (vt->flags & SF_CONST)) return 1;
    VAR_GJ *g = gj_vars_of(vt->vtb_gajet_pt);
    VAL_U *cell = g && g->gj_dims() == 0 ? g->gj_cell(0, 0) : nullptr;
    if (!cell || cell->val_kind != VAL_NUM) return 1;
    double d = cell->val_num;
    val.val_putd(d);
    for (int k = 0; k < n.npost; k++) d += (n.post >> k) & 1 ? 1 : -1;
    cell->val_putd(d);
    return 0;
}

// ---- calls of script functions with statement trees ----

// The arguments of a call after its "(" parsed, as far as the parser takes them, into list: 0
// when it took every one and ")" ends them (p past it). With `ranges` (a formula's call of that
// callee), a cell range where it stands for five parameters: root 0, its end past it.
int SCR_XC::parse_args(const char *&p, std::vector<CARG> &list, const FTBL_U *ranges)
{
    if (s.scr_match_key(p, ")") == 0) return 0;
    for (int bound = 0;;) {   // (the parameters bound so far)
        const char *at = p, *q = at;
        CSV_RECT rc;
        if (ranges && range_here(ranges, bound, q, rc)) {
            list.push_back(CARG{0, at, q});
            bound += 5;
            p = q;
        } else {
            int r = compile_root(p);
            if (r <= 0) return -1;
            list.push_back(CARG{r, at, p});
            bound++;
        }
        if (s.scr_match_key(p, ",") != 0) break;
    }
    return s.scr_match_key(p, ")") == 0 ? 0 : -1;
}

// Whether a cell range stands at q, read at the formula's cell, where parameter c of f begins
// a grid by reference and four numbers (scr_arg_range's reading): q past it and rc.
bool SCR_XC::range_here(const FTBL_U *f, int c, const char *&q, CSV_RECT &rc)
{
    const char *r = SCR_LEX::scr_past_blanks(q);
    if (!scr_range_params(f->params.get(), f->nparam, c) || range_at(r, s.ctx.cel_x, s.ctx.cel_y, &rc) != 0) return false;
    q = r;
    return true;
}

// The entry of a by-reference argument a (a name alone) for parameter i of f, as scr_func_arg
// finds it; null with the message.
VTBL_U *SCR_XC::ref_arg(const CARG &a, const FTBL_U *f, int i)
{
    const char *name = name_of(nodes[roots[a.root - 1].node]);
    VTBL_U *e = s.arg_named(name);
    return e && s.scr_ref_arg_ok(e, name, f->param(i), i) == 0 ? e : nullptr;
}

// The arguments of call n parsed as roots, when the callee takes plain scalars and runs as a
// tree: 0, or -1 when the call is the reader's. A callee with parameters by reference (byref)
// takes a name alone for each (a lean caller takes them as its form says).
int SCR_XC::call_args(const XN &n)
{
    n.call->args = -1;
    const char *p = n.call->at;
    char name[SCR_NAMESIZE];
    if (s.scr_idname(p, name, sizeof name) != 0 || s.scr_match_key(p, "(") != 0) return -1;
    const FTBL_U *f = s.scr_get_ftbl(name);
    int fast = f && s.scr_tree ? s.scr_tree->lean_callee(f) : 0;
    if (fast < 0) n.call->args = -2;   // asked again once the callee has its tree
    if (fast <= 0) return -1;
    n.call->paren = p;
    std::vector<CARG> list;
    // (in a formula a cell range may stand for a grid by reference and its four numbers: root 0)
    const bool cells = s.ctx.cel_x != SCR_NOCELL && s.scr_tree->callee_ranges(f);
    if (parse_args(p, list, cells ? f : nullptr) != 0) return -1;
    int bound = 0;   // the parameters the arguments bind
    for (const CARG &a : list) bound += a.root ? 1 : 5;
    int np = s.scr_tree->fast_params(f);
    if (p != n.call->end || bound < np || bound > (s.scr_tree->callee_varargs(f) ? SCR_MAXARG : np)) return -1;
    uint32_t refs = s.scr_tree->callee_refs(f);
    for (int k = 0, c = 0; k < (int)list.size(); c += list[k].root ? 1 : 5, k++) {
        if (!list[k].root) continue;
        const ROOT &rt = roots[list[k].root - 1];
        const XN &v = nodes[rt.node];
        if ((refs >> c & 1) && (!v.plain_name() || rt.end != list[k].end)) return -1;
    }
    n.call->fn = f;
    n.call->byref = refs != 0;
    n.call->ranges = cells;
    n.call->args = (int)cargs.size();
    n.call->nargs = (int)list.size();
    cargs.insert(cargs.end(), list.begin(), list.end());
    return 0;
}

int SCR_XC::plain_call(int k, char (&arg)[SCR_MAXARG][SCR_NAMESIZE]) const
{
    const XCALL *call = nodes[k].call;
    const char *p = call->at;
    char name[SCR_NAMESIZE];
    if (s.scr_idname(p, name, sizeof name) != 0 || s.scr_match_key(p, "(") != 0 || s.scr_fn_lookup(name)) return -1;
    const FTBL_U *f = s.scr_get_ftbl(name);
    if (!f || !f->text || f->nparam > SCR_MAXARG) return -1;
    for (int i = 0; i < f->nparam; i++)
        if (f->param(i).type != VT_VAR || (f->param(i).flags & SF_REF)) return -1;
    int n = 0;
    if (s.scr_match_key(p, ")") != 0)
        for (;; n++) {
            if (n >= f->nparam) return -1;
            VAL_U v;
            arg[n][0] = 0;
            if (s.scr_idname(p, arg[n], SCR_NAMESIZE) != 0 && s.scr_const(p, v) != 0) return -1;
            if (s.scr_match_key(p, ",") == 0) continue;
            if (s.scr_match_key(p, ")") != 0) return -1;
            n++;
            break;
        }
    return p == call->end && n == f->nparam ? n : -1;
}

int SCR_XC::arg_value(const XC_ARG &a, const char *&p, VAL_U &t)
{
    if (fast_root(a.root, p, t) == 0) return 0;
    SCR_U::DEEP deep(s);
    if (!deep.ok) return -1;
    int e = run_root(a.root, p, t);
    if (e == 1) e = s.scr_assignment_read(p, t);
    return e;
}

// ---- calls of built-ins ----

// A built-in's call as scr_func_libcall makes it: the record found once per table, the
// arguments run from their roots. -1 no built-in of the name, -2 the call failed.
int SCR_XC::lib_call(const XN &n, const char *&p, VAL_U &val)
{
    if (!lib_of(n)) return -1;
    p = n.call->lparen;
    KOV_LOG("KEY:(");
    // A copy: the arguments' runs may parse more calls, which moves cargs.
    XC_ARG pre[18 + 17];
    int np = n.call->largs < 0 ? 0 : std::min(n.call->nlargs, (int)std::size(pre));
    std::copy_n(cargs.begin() + (np ? n.call->largs : 0), np, pre);
    return s.scr_func_fmtcall(p, val, n.call->lib, pre, np) == 0 ? 0 : -2;
}

const FN_DEF *SCR_XC::lib_of(const XN &n)
{
    if (n.call->libtab != s.scr_fn_table) {
        n.call->libtab = s.scr_fn_table;
        n.call->lib = nullptr;
        n.call->largs = -2;
        const char *q = n.call->at;
        char name[SCR_NAMESIZE];
        if (s.scr_idname(q, name, sizeof name) == 0 && s.scr_skip_space(q) == '(') {
            n.call->lib = s.scr_fn_lookup(name);
            n.call->lparen = q + 1;
        }
    }
    if (n.call->lib && n.call->largs == -2) lib_args(n);
    return n.call->lib;
}

// The arguments of a built-in's call parsed, as far as the parser takes them (a gadget's
// argument is parsed too, never run: the reader reads its name or range).
void SCR_XC::lib_args(const XN &n)
{
    n.call->largs = -1;
    const char *p = n.call->lparen;
    std::vector<CARG> list;
    if (parse_args(p, list) != 0 && list.empty()) return;
    n.call->largs = (int)cargs.size();
    n.call->nlargs = (int)list.size();
    cargs.insert(cargs.end(), list.begin(), list.end());
}

// A call as the reader makes it (scr_func_exec, scr_function_definition) without reading the
// callee's declaration or the arguments' text again. 1: the reader's call.
int SCR_XC::call_fast(const XN &n, VAL_U &val)
{
    if (!n.call->fn && n.call->args == -2) {   // the callee, once: a call of a function without a tree is the reader's
        const char *p = n.call->at;
        char name[SCR_NAMESIZE];
        if (s.scr_idname(p, name, sizeof name) != 0 || !(n.call->fn = s.scr_get_ftbl(name))) n.call->args = -1;
    }
    if (n.call->args == -2 && !n.call->fn->tfn) return 1;
    if (n.call->args == -2 && call_args(n) != 0) return 1;
    if (n.call->args < 0) return 1;
    const FTBL_U *f = n.call->fn;
    // A call that changes nothing older than itself leaves the tables as they were: what the
    // caller's nodes remember stays right.
    struct SAME {
        SCR_U &s;
        uint64_t gen, lasting, births;
        bool done = false;
        explicit SAME(SCR_U &s) : s(s), gen(s.vt_now()), lasting(s.vt_lasting), births(s.vt_call_births)
        {
            s.vt_call_births = s.vt_births;
        }
        ~SAME()
        {
            s.vt_call_births = births;
            if (!done || s.vt_lasting != lasting) return;
            s.vt_bump();
            s.vt_same = gen;
        }
    } same(s);
    int r = n.call->ranges ? call_ranges(n, f, val) : call_bound(n, f, val);
    same.done = r == 0;
    return r;
}

// A call in a formula whose callee takes a grid by reference and four numbers where a cell range
// may stand for all five (range_args): each argument bound as the reader's scr_func_arg binds it
// at this cell, a range as the sheet's my and the range's column, row, width and height. 1: the
// reader's call, where an argument is read otherwise at this cell than where it was parsed.
int SCR_XC::call_ranges(const XN &n, const FTBL_U *f, VAL_U &val)
{
    if (s.ctx.cel_x == SCR_NOCELL) return 1;   // (parsed in a formula: no range outside one)
    const int nargs = n.call->nargs;
    CSV_RECT rc[SCR_MAXARG];
    for (int k = 0, c = 0; k < nargs; k++) {
        const CARG &a = cargs[n.call->args + k];
        const char *q = a.at;
        bool range = range_here(f, c, q, rc[k]);
        if (range != (a.root == 0) || (range && q != a.end)) return 1;
        c += range ? 5 : 1;
    }
    SCR_U::NEST block(s);   // the arguments' level: evaluating them leaves the context as it was
    VTBL_U *argv[SCR_MAXARG] = {};
    const int np = s.scr_tree->fast_params(f);
    const uint32_t refs = s.scr_tree->callee_refs(f);
    for (int k = 0, c = 0; k < nargs; k++) {
        const CARG a = cargs[n.call->args + k];   // (an argument's run may parse calls: cargs moves)
        if (!a.root) {
            if (s.scr_range_argv(rc[k], c, argv) != 0) return -1;
            c += 5;
            continue;
        }
        if (refs >> c & 1) {
            if (!(argv[c] = ref_arg(a, f, c))) return -1;
            c++;
            continue;
        }
        VAL_U t;
        const char *p = a.at;
        if (fast_root(a.root, p, t) != 0 && arg_value(a, p, t) != 0) return -1;
        if (p != a.end) return s.err_paren(f->name);   // it stopped short: no "," or ")" there
        if (c < np && !s.sup() && !(argv[c] = s.scr_make_argvar(t, c))) {
            s.scr_set_SCRERR("引数作成失敗");
            return -1;
        }
        c++;   // (after "...": evaluated, bound to nothing)
    }
    if (s.sup()) {
        val.val_putd(0);
        return 0;
    }
    return s.scr_tree->call(f, n.call->at, n.call->paren, argv, val) == 0 ? 0 : -1;
}

// call_fast's call after its callee was known: its block, the arguments, the body.
int SCR_XC::call_bound(const XN &n, const FTBL_U *f, VAL_U &val)
{
    SCR_U::NEST block(s);   // the arguments' level: evaluating them leaves the context as it was
    VTBL_U *argv[SCR_MAXARG] = {};
    // A callee with a lean form takes numbers, and values where its parameter is a box: their
    // entries are made only if it is not run so (the arguments' evaluation sees no entry of the
    // call).
    SCR_LEAN &lean = *s.scr_tree->lean;
    const SCR_LEAN::FN *lf = s.scr_lean_on && !s.sup() && !n.call->byref && s.scr_tree->ready(f) ? lean.form(f) : nullptr;
    const int np = s.scr_tree->fast_params(f);
    uint32_t refs = n.call->byref ? s.scr_tree->callee_refs(f) : 0;
    if (lf && !lean.may_start()) lf = nullptr;
    uint32_t boxes = lf ? SCR_LEAN::takes_values(*lf) : 0;
    auto make = [&](int k, const VAL_U &t) {   // argument k's entry, as the reader makes it
        if (s.sup() || (argv[k] = s.scr_make_argvar(t, k))) return 0;
        s.scr_set_SCRERR("引数作成失敗");
        return -1;
    };
    double num[SCR_MAXARG];
    std::unique_ptr<VAL_U[]> vals;   // a parameter that takes values whole: its argument as it is
    auto unlean = [&](int upto) {   // the entries of the arguments so far (none after "...")
        lf = nullptr;
        for (int k = 0; k < std::min(upto, np); k++) {
            if (boxes >> k & 1) {
                if (make(k, vals[k]) != 0) return -1;
                continue;
            }
            VAL_U t;
            t.val_putd(num[k]);
            if (make(k, t) != 0) return -1;
        }
        return 0;
    };
    for (int i = 0; i < n.call->nargs; i++) {
        const CARG a = cargs[n.call->args + i];
        if (refs >> i & 1) {
            if (!(argv[i] = ref_arg(a, f, i))) return -1;
            continue;
        }
        VAL_U t;
        const char *p = a.at;
        if (fast_root(a.root, p, t) != 0) {   // a number: without the nesting count
            // an argument that calls something may reach the host, whose views would show the
            // entries of the arguments before it (a cell's value, a text, reach nothing)
            if (lf && roots[a.root - 1].calls && unlean(i) != 0) return -1;
            if (arg_value(a, p, t) != 0) return -1;
        }
        if (p != a.end) {
            if (lf && unlean(i) != 0) return -1;
            return s.err_paren(f->name);   // it stopped short: no "," or ")" there
        }
        if (i >= np) continue;   // after "...": evaluated, bound to nothing
        if (lf && (boxes >> i & 1)) {
            num[i] = 0;
            if (!vals) vals = std::make_unique<VAL_U[]>(n.call->nargs);   // (not on every call's stack)
            vals[i] = std::move(t);
            continue;
        }
        if (lf && t.val_kind == VAL_NUM) {
            num[i] = t.val_num;
            continue;
        }
        if ((lf && unlean(i) != 0) || make(i, t) != 0) return -1;
    }
    if (s.sup()) {
        val.val_putd(0);
        return 0;
    }
    if (lf && SCR_LEAN::takes_values(*lf) != boxes && unlean(n.call->nargs) != 0) return -1;   // made again meanwhile
    if (lf) {
        int r = lean.call(*lf, n.call->at, n.call->paren, num, vals.get(), val);
        if (r <= 0) return r;
    }
    if (lf && unlean(n.call->nargs) != 0) return -1;
    return s.scr_tree->call(f, n.call->at, n.call->paren, argv, val) == 0 ? 0 : -1;
}

// The entry a name means now, and its element when a plain var scalar. In a body run with a
// frame, the slot the name meant before; else the lookup, learning the slot when it is one.
void SCR_XC::relook(const XN &n) const
{
    const SCR_U::FRAME *fr = s.scr_frame;
    XVAR &v = var(n);
    if (fr && v.sfn == fr->fn && v.slot < fr->n) {
        v.vt = fr->vt[v.slot];
    } else {
        v.vt = s.scr_get_vtbl(name_of(n));
        for (int k = 0; fr && k < fr->n; k++)
            if (fr->vt[k] == v.vt) {
                v.sfn = fr->fn;
                v.slot = k;
                break;
            }
    }
    v.gen = s.vt_now();
    v.cell = nullptr;
    const VTBL_U *vt = v.vt;
    VAR_GJ *g = vt && vt->type == VT_VAR ? gj_vars_of(vt->vtb_gajet_pt) : nullptr;
    if (g && !n.dims && g->gj_dims() == 0) v.cell = g->gj_cell(0, 0);
    if (g && n.dims == 1 && g->gj_dims() == 1 && g->gj_ys() == 1) {   // rows stay while the storage lives
        v.row = g->gj_peek(0, 0);
        v.row_len = g->gj_xs();
    }
}

// The element an lvalue names (the variable found already), as the reader's postfix_adrs.
int SCR_XC::adrs(const XN &n, VTBL_U *vt, SCR_U::LVAL &lv)
{
    int x = 0, y = 0, dims = n.dims;
    if (dims) {
        int size[2] = {0, 0};
        for (int k = 0; k < dims; k++) {
            VAL_U v;
            int r = ev(k == 0 ? n.a : n.b, v);
            if (r < 0) return -1;
            if (r == 2) {
                s.scr_set_SCRERR("] が必要");
                return -1;
            }
            size[k] = scr_trunc32(v.val_getd());
        }
        x = dims == 1 ? size[0] : size[1];
        y = dims == 2 ? size[0] : 0;
        KOV_LOG("配列:is_decl=%d, dim=%d [%d][%d]", 0, dims, y, x);
        if (s.sup() && (x < 0 || x > 999 || y < 0 || y > 999999)) x = y = 0;
        if (x < 0 || x > 999 || y < 0 || y > 999999) {
            s.scr_set_SCRERR("xo=%d yo=%d", x, y);
            return -1;
        }
    }
    return s.lv_bind(vt, x, y, dims, lv);
}

// A name read as an operand: an enumerator's value, or the variable's element and its postfix
// steps.
int SCR_XC::ev_var(const XN &n, VAL_U &val)
{
    VTBL_U *vt = look(n);
    if (vt && vt->type == VT_ENUM) {
        KOV_LOG("enum:%s == %d", name_of(n), vt->value);
        val.val_putd(vt->value);
        if (!n.dims && !n.npost && !n.memb) return 0;
        stop_at = n.n ? ats[n.n - 1] : nullptr;
        return 2;
    }
    if (!vt) return -1;
    // The usual operand, a number in a plain scalar: as lv_read reads it, without the walk.
    if (const VAL_U *v = scalar(n, vt); v && v->val_kind == VAL_NUM) {
        val.val_putd(s.sup() && !(vt->flags & SF_CONST) ? 0 : v->val_num);
        return 0;
    }
    if (n.npost && post_fast(n, vt, val) == 0) return 0;
    SCR_U::LVAL lv;
    if (adrs(n, vt, lv) != 0 || s.lv_read(lv, val) != 0) return -1;
    for (int k = 0; k < n.npost; k++)
        if (s.lv_step_post(lv, (n.post >> k) & 1 ? 1 : -1) != 0) return -1;
    return 0;
}

int SCR_XC::ev(int i, VAL_U &val)
{
    const XN &n = nodes[i];
    switch (n.k) {
    case X_NUM:
        val.val_putd(n.num);
        return 0;
    case X_STR:
        val.val_copy(strs[n.list]);
        return 0;
    case X_VAR:
        return ev_var(n, val);
    case X_PRE: {
        const XN &l = nodes[n.a];
        VTBL_U *vt = look(l);
        SCR_U::LVAL lv;
        return !vt || adrs(l, vt, lv) != 0 || s.lv_step_pre(lv, n.op ? 1 : -1, val) != 0 ? -1 : 0;
    }
    case X_UN: {
        double f;
        if (n.pure && evd(i, f) == 0) return val.val_putd(f);
        VAL_U t;
        int r = ev(n.a, t);
        if (r < 0) return -1;
        double d = t.val_getd();
        KOV_LOG("%c %g", n.op, d);
        switch (n.op) {
        case '!': val.val_putd(d == 0); break;
        case '-': val.val_putd(-d); break;
        case '+': val.val_putd(d); break;
        default: val.val_putd((double)~scr_trunc64(d)); break;
        }
        return r;
    }
    case X_CHAIN: {
        double d;
        if (n.pure && evd(i, d) == 0) return val.val_putd(d);
        if (n.n == 1 && (n.op == 3 || n.op == 4) && !s.sup()) {   // two texts compared where they are
            const VAL_U *a = peek(n.a), *b = peek(items[n.list].node);
            if (a && b && a->val_kind == VAL_STR && b->val_kind == VAL_STR && a->val_len <= SCR_STRMAX &&
                b->val_len <= SCR_STRMAX)
                return val.val_putd(scr_textop(n.op, items[n.list].op, a->val_gets(), b->val_gets()));
        }
        int r = ev(n.a, val);
        for (int k = 0; r == 0 && k < n.n; k++) {
            const ITEM &it = items[n.list + k];
            VAL_U t;
            r = ev(it.node, t);
            if (r < 0) return -1;
            scr_binop(n.op, it.op, val, t);
        }
        return r;
    }
    case X_LOGIC: {
        int r = ev(n.a, val);
        for (int k = 0; r == 0 && k < n.n; k++) {
            int l = val.val_getd() != 0;
            int skip = n.op ? l : !l;
            VAL_U t;
            s.ctx.st_noexect += skip;
            r = ev(items[n.list + k].node, t);
            s.ctx.st_noexect -= skip;
            if (r < 0) return -1;
            int rv = t.val_getd() != 0;
            val.val_putd(n.op ? (l || rv) : (l && rv));
        }
        return r;
    }
    case X_COND: {
        int r = ev(n.a, val);
        if (r != 0) return r;
        int cond = val.val_getd() != 0;
        VAL_U a, b;
        s.ctx.st_noexect += !cond;
        int ra = ev(n.b, a);
        s.ctx.st_noexect -= !cond;
        if (ra != 0) return -1;   // stopped early, the ":" is not there for the reader
        s.ctx.st_noexect += cond;
        int rb = ev(n.c, b);
        s.ctx.st_noexect -= cond;
        if (rb < 0) return -1;
        val.val_copy(cond ? a : b);
        return rb;
    }
    case X_ASG: {
        if (asg_fast(n, val) == 0) return 0;
        const XN &l = nodes[n.a];
        VTBL_U *vt = look(l);
        SCR_U::LVAL lv;
        if (!vt || adrs(l, vt, lv) != 0) return -1;
        VAL_U r;
        int rr = ev(n.b, r);
        if (rr < 0 || s.scr_assign_store(lv, n.op, r, val) != 0) return -1;
        return rr;
    }
    case X_COMMA: {
        int r = 0;
        for (int k = 0; r == 0 && k < n.n; k++) {
            r = ev(items[n.list + k].node, val);
            if (r < 0) return -1;
        }
        return r;
    }
    case X_PAREN: {
        int r = ev(n.a, val);
        return r == 2 ? -1 : r;
    }
    case X_SIZE: {
        VAL_U t;
        int r = ev(n.a, t);
        if (r < 0) return -1;
        val.val_putd(SCR_U::scr_sizeof_val(t));
        return r;
    }
    case X_BIN:
        return -1;   // reached through its chain only
    case X_CELL: return read_cell(n, val);
    case X_CALL: {
        struct ADJ {   // the reader's nesting count where it makes the call
            int &d, by;
            ADJ(int &d, int by) : d(d), by(by) { d += by; }
            ~ADJ() { d -= by; }
        } adj(s.scr_deep, n.call->deep);
        const char *p = n.call->at;
        // ranges of the arguments are read from this call's text
        SCR_SET<const char *> site_lo(s.scr_site_lo, n.call->at), site_hi(s.scr_site_hi, n.call->end);
        // A name the table lacks is a script function's every time: not looked up again.
        int lib = n.call->nolib && n.call->nolib == s.scr_fn_table ? -1 : lib_call(n, p, val);
        if (lib == -1) n.call->nolib = s.scr_fn_table;
        if (lib == -1 && n.call->args != -1) {
            int r = call_fast(n, val);
            if (r != 1) return r;
        }
        int r = lib != -1 ? (lib == 0 ? 0 : -1) : s.scr_func_exec(p, val);
        if (r != 0) return -1;
        if (p == n.call->end) return 0;
        stop_at = p;
        return 2;
    }
    }
    return -1;
}
