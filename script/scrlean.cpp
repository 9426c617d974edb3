#include "script/scrlean.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <type_traits>

#include "base/kovlog.h"
#include "script/gajet.h"
#include "script/scrcache.h"
#include "script/screxp.h"
#include "script/scrtree.h"

namespace {
using MASK = SCR_LEAN::MASK;
enum LK : uint8_t {
    Q_NUM, Q_SLOT, Q_ADD, Q_SUB, Q_MUL, Q_DIV, Q_MOD, Q_LE, Q_LT, Q_GE, Q_GT, Q_EQ, Q_NE, Q_BIN,
    Q_NOT, Q_NEG, Q_POS, Q_BNOT, Q_AND, Q_OR, Q_COND, Q_SET, Q_PRE, Q_POST, Q_CALL, Q_COMMA,
    // a global's element (a scalar or a one-row array's), read and stored; a local that holds
    // what such an element holds (a text or nothing too), read and stored; two of those compared
    Q_GGET, Q_GSET, Q_BGET, Q_BSET, Q_VCMP, Q_STR,
    // a built-in's call: of a number, of a text or a whole value; a gadget argument of one (a
    // global's storage, read by the call)
    Q_LIB, Q_LIBS, Q_GADGET,
    // a call of a function whose value leaves it whole
    Q_CALLV,
    // "++"/"--" of an element: before it (its new number), after it (its value before)
    Q_GPRE, Q_GPOST,
    // "++"/"--" of a boxed local: before it (its new number), after it (its value before)
    Q_BPRE, Q_BPOST,
    // "?:" of which a branch may give a text or nothing: the branch taken, as it is; a comma
    // whose last item may: that item's value, as it is
    Q_CONDV, Q_COMMAV,
    // a part's element (a global of a gadget type: the sheet's "my", an ARRAY, ...), read through
    // its object: a copy, as it is; a cell name of a function a formula calls: the cell
    Q_JGET, Q_CELL,
    // sizeof a value: its operand run, the size of what it gives
    Q_SIZE,
    // a call of a function that had no tree when the form was made, outside the body's loops:
    // the regular call, or the callee's lean form once it has one (call_r); its value whole
    Q_CALLR
};
static_assert(Q_CALLR == 45, "one evaluation per kind (SCR_LEAN::evf)");
// A node whose value may be a text or nothing (where a value goes whole, it goes as it is).
constexpr uint64_t WHOLE = 1ull << Q_GGET | 1ull << Q_GSET | 1ull << Q_BGET | 1ull << Q_BSET | 1ull << Q_STR |
                           1ull << Q_LIBS | 1ull << Q_CALLV | 1ull << Q_GPOST | 1ull << Q_BPOST | 1ull << Q_CONDV |
                           1ull << Q_COMMAV | 1ull << Q_JGET | 1ull << Q_CELL | 1ull << Q_CALLR;
bool whole(uint8_t k) { return WHOLE >> k & 1; }
// A node that changes something (a store, a step, a call).
constexpr uint64_t EFFECTS = 1ull << Q_SET | 1ull << Q_GSET | 1ull << Q_BSET | 1ull << Q_PRE | 1ull << Q_POST | 1ull << Q_CALL |
                             1ull << Q_CALLV | 1ull << Q_CALLR | 1ull << Q_LIB | 1ull << Q_LIBS | 1ull << Q_GPRE | 1ull << Q_GPOST |
                             1ull << Q_BPRE | 1ull << Q_BPOST;
// The slots below n.
MASK low(int n) { return n >= 128 ? ~MASK(0) : (MASK(1) << n) - 1; }
// The highest slot of a mask that is not empty: the local declared last.
int newest(MASK m)
{
    uint64_t hi = (uint64_t)(m >> 64);
    return hi ? 127 - __builtin_clzll(hi) : 63 - __builtin_clzll((uint64_t)m);
}
// The lowest slot of a mask that is not empty.
int first(MASK m)
{
    uint64_t lo = (uint64_t)m;
    return lo ? __builtin_ctzll(lo) : 64 + __builtin_ctzll((uint64_t)(m >> 64));
}
// Per call the tree call nests at most this many counts deeper, and takes at most this much of
// the native stack (98 nested calls of a one-line recursion fit in a 256 KB budget and not in
// 192 KB: 2 to 2.6 KB a call); a form whose statements or calls nest deeper is not made.
constexpr int LEAN_DEEP = 100;
constexpr long LEAN_STACK = 16 * 1024;
constexpr int SLOTS = 128;   // parameters and locals of a lean form (a bit each in a MASK)
// A goto's result: the blocks on the way out end (no rest replayed), the body is entered again
// along the path to its label (FR::seek).
constexpr int TR_JUMP = TR_RETURN + 1;

// The nodes of a form, grown and trimmed by realloc: a big one grows in place (the heap's large
// blocks are remapped, not copied), and a made form gives its spare room back without a copy.
template <class T> class NODES {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    T *p = nullptr;
    size_t n = 0, cap = 0;
    void room(size_t want)
    {
        void *q = realloc(p, want * sizeof(T));
        if (!q) throw std::bad_alloc();
        p = static_cast<T *>(q);
        cap = want;
    }

public:
    NODES() = default;
    NODES(const NODES &) = delete;
    NODES &operator=(const NODES &) = delete;
    NODES &operator=(NODES &&o) noexcept
    {
        std::swap(p, o.p);
        std::swap(n, o.n);
        std::swap(cap, o.cap);
        return *this;
    }
    ~NODES() { free(p); }
    void push_back(const T &v)
    {
        if (n == cap) room(cap ? cap * 2 : 8);
        new (p + n++) T(v);
    }
    void pop_back() { n--; }
    void shrink_to_fit()
    {
        if (n && n < cap) room(n);
    }
    size_t size() const { return n; }
    T &operator[](size_t i) { return p[i]; }
    const T &operator[](size_t i) const { return p[i]; }
    T &back() { return p[n - 1]; }
    T *data() { return p; }
    const T *data() const { return p; }
    T *begin() { return p; }
    T *end() { return p + n; }
    const T *begin() const { return p; }
    const T *end() const { return p + n; }
};
}   // namespace

// A global's row as an element node found it: its values (len of them) while the entries'
// generation gen stands (SCR_U::vt_valid).
struct LROW {
    VAL_U *row = nullptr;
    int len = 0;
    uint64_t gen = 0;
};

// (72 bytes: a form holds one per operator and operand, so fields of different kinds share room)
struct LX {
    uint8_t k = Q_NUM;
    uint8_t lv = 0, i = 0;     // Q_BIN: level and operator; Q_SET, Q_GSET: assignment operator
    int8_t inc = 0;            // Q_PRE, Q_GPRE
    bool chk : 1 = false;      // a slot it reads may hold no value yet
    bool vals : 1 = false;     // Q_CALL(V): made by call_vals: the callee takes references, or an
                               // argument after the first may reach the host (whose views show the
                               // entries of the arguments before it)
    bool local : 1 = false;    // Q_GGET, Q_GSET, Q_GADGET: a local array's (its slot), not a global's
    bool part : 1 = false;     // local: the slot holds a part (its own or by reference), not a var's storage
    bool pure : 1 = false;     // it changes nothing (no store, no step, no call in it)
    bool held : 1 = false;     // Q_VCMP: of two elements or boxes, the right one pure
    bool nums : 1 = false;     // Q_CALLR: every argument a number
    int16_t slot = 0;
    int list = 0, n = 0;       // Q_AND, Q_OR, Q_COMMA, Q_CALL, Q_LIB(S): lists[list ..]; Q_POST, Q_GPOST: steps
    union {   // by kind (each reads its own only)
        double num = 0;        // Q_NUM
        int post;              // Q_POST, Q_GPOST, Q_BPOST: bit k set for "++"
        struct {
            int16_t nest;      // Q_CALL, Q_LIB(S): the level of the statement it is in, from the body's
                               // (within the nesting limit)
            int16_t extra;     // Q_CALL(V): arguments after the parameters ("..."), after them in the
                               // list: evaluated in turn, bound to nothing
            int paren;         // Q_CALL(V): past its "(", from at
        };
    };
    union {
        const SCR_LEAN::FN *fn = nullptr;   // Q_CALL, Q_CALLV
        const FTBL_U *rf;                   // Q_CALLR: the function
        const FN_DEF *lib;                  // Q_LIB, Q_LIBS
        VTBL_U *g;                          // Q_GGET, Q_GSET, Q_GPRE, Q_GPOST: the global (a: its index, or a its row and c its column); Q_GADGET
        const VAL_U *lit;                   // Q_STR: the text
        const void *cell;                   // Q_CELL: the parsed name (the parsed forms' node)
    };
    union {   // once the form is made
        const LX *const *pl = nullptr;      // a list's items
        LROW *rc;                           // others: the row it keeps (a global's of one row), else none
    };
    SCR_LEAN::EVF ef = nullptr;   // its kind's evaluation
    // the operands: indices while the form is made (-1 none), then where they are
    union {
        int a = -1;
        const LX *pa;
    };
    union {
        int b = -1;
        const LX *pb;
    };
    union {
        int c = -1;
        const LX *pc;
        const char *at;   // Q_CALL(V), which have no third operand: where the call is read
    };
    static bool call(uint8_t k) { return (1ull << Q_CALL | 1ull << Q_CALLV | 1ull << Q_CALLR) >> k & 1; }
    const char *paren_at() const { return at + paren; }
    static bool listed(uint8_t k)
    {
        return (1ull << Q_AND | 1ull << Q_OR | 1ull << Q_COMMA | 1ull << Q_COMMAV | 1ull << Q_CALL | 1ull << Q_CALLV |
                1ull << Q_CALLR | 1ull << Q_LIB | 1ull << Q_LIBS) >> k & 1;
    }
};
static_assert(sizeof(LX) == 72);

// (112 bytes: indices while the form is made give way to addresses in place; fields of
// different kinds share room)
struct LS {
    uint8_t k = 0;      // TN_KIND
    int tn = 0;         // the tree's node (its replay)
    const char *at = nullptr;
    union {
        int x[3] = {-1, -1, -1};
        const LX *px[3];
    };
    union {
        int a = -1;
        const LS *pa;
    };
    union {
        int b = -1;
        const LS *pb;
    };
    union {
        int to = -1;        // goto: its label's statement
        const LS *pto;
    };
    const LS *up = nullptr;   // the statement this one is part of
    union {
        int list = 0;       // block, switch: statements lists[list ..]
        const LS *const *kids;
    };
    int n = 0, tlist = 0;   // block: its statements, the tree's kids[tlist ..]
    int nest = 0;       // levels from the body's
    int kid = 0;        // its place among its block's statements
    union {
        uint64_t by_kind = 0;   // (all of the below zero till a kind sets its own)
        struct {
            int d0, dn;   // block: the slots its declarations make (an inner block's: they end with it)
        };
        int type;       // return
        int value;      // case: its label's value
    };
    SCR_LEAN::STF sf = nullptr;
};
static_assert(sizeof(LS) == 112);

// The slots a block's declarations make.
static MASK block_slots(const LS &n)
{
    return low(n.dn) << n.d0;
}

struct SCR_LEAN::FN {
    const FTBL_U *f = nullptr;
    size_t id = 0;      // its place in fns
    int ok = 0;         // 1 made, -1 refused, 0 being made
    int cell = 0;       // made as a formula's call reads the body (SCR_LEAN::cell_mode)
    int np = 0, nslots = 0;
    std::vector<std::array<char, SCR_NAMESIZE>> name;   // per slot (most forms have a few)
    void add_name(const char *n)
    {
        scr_name_cpy(name.emplace_back().data(), n);
        nslots++;
    }
    NODES<LX> x;
    NODES<LS> st;
    std::vector<int> lists;
    std::vector<int> init;   // per local: its initializer, -1 none
    std::vector<const char *> idecl;   // per local: where its declaration starts
    int root = -1;           // the body's statements: lists[..] as a block
    int deep = 0;            // the deepest nesting count a call of it makes the reader reach
    bool later = false;      // refused for a callee without its tree yet: asked again
    bool in_init = false;    // building an initializer: every local may be empty there
    bool whole_ret = false;  // a return gives a value whole (a text, nothing): its callers take it so
    std::vector<int> shadows;   // the blocks (tree nodes) that declare a name of an enclosing block's
    MASK boxed = 0;          // locals holding what a global's element holds (VAL_U boxes)
    MASK arrays = 0;         // slots of storage: local arrays (made by the declaration) and references
    MASK refs = 0;           // the parameters by reference (their storage the caller's)
    MASK cells = 0;          // local scalars in storage of their own (passed by reference)
    MASK statics = 0;        // statics given initial values: their storage the link's entry's
    MASK consts = 0;         // const locals (scalars, never stored into by the form)
    MASK parts = 0;          // parts (PUSH &p, or the function's own PUSH p): their slots hold the part
    MASK sized = 0;          // parameters by reference of sizes written: an argument's are checked
    std::vector<VTBL_U *> stat;   // per local: such a static's entry
    MASK want_cells = 0;     // while made: local scalars found passed by reference
    MASK unset = 0;          // locals that may be read before they are set
    bool again = false;       // a callee was made again: made again itself
    // While made: the loops around the node being made; calls made regular (Q_CALLR); none
    // (a body with a label: a goto may run any statement again).
    int in_loops = 0, regular = 0;
    bool no_regular = false;
    std::vector<const char *> ahead;   // calls not made regular (taken_whole, box)
    bool setup = false;       // a call has boxes, storage or locals to set up
    MASK pbox = 0;           // the parameters among the boxes (their callers give them values whole)
    struct SHAPE {
        int x = 1, y = 1, dims = 0;
        int type = VT_VAR;   // a parameter's (a part's type for a part by reference)
        int flags = 0;       // a local's entry's (const, and words of no effect)
        int e0 = 0, en = 0;   // an array's list of initial values: elems[e0 ..]
    };
    struct ELEM {
        int x, y, e;   // where the value goes, its expression
        const LX *pe;
    };
    std::vector<ELEM> elems;
    std::vector<SHAPE> shape;   // per slot
    std::vector<int> lnest;     // per local: the level of its entry, from the body's
    int nbody = 0;              // the body's own locals (the first ones)
    MASK vis = 0;            // while made: the slots a name may mean here
    std::vector<std::pair<int, int>> labels;   // the tree's label node, its statement
    mutable std::vector<MASK> dalab;         // the locals set wherever a label is reached from
    std::vector<const LX *> xl;
    std::vector<const LS *> sl;
    std::vector<const LX *> pinit;
    const LS *proot = nullptr;
    std::unique_ptr<LROW[]> rows;   // the rows its element nodes keep
    static LROW no_row;             // (what a node that keeps none points at: always empty)
    void link();
};
LROW SCR_LEAN::FN::no_row;

// Indices become pointers once every node is made (the vectors no longer move).
void SCR_LEAN::FN::link()
{
    xl.assign(lists.size(), nullptr);
    sl.assign(lists.size(), nullptr);
    for (size_t k = 0; k < lists.size(); k++) {
        size_t v = lists[k];
        if (v < x.size()) xl[k] = &x[v];
        if (v < st.size()) sl[k] = &st[v];
    }
    auto px = [&](int i) { return i >= 0 ? &x[i] : nullptr; };
    for (size_t i = x.size(); i-- > 0;) {   // operands are made before their nodes: pure from the leaves up
        LX &o = x[i];
        o.pure = !(EFFECTS >> o.k & 1);
    }
    for (bool again = true; again;) {
        again = false;
        for (LX &o : x) {
            bool p = o.pure && (o.a < 0 || x[o.a].pure) && (o.b < 0 || x[o.b].pure) && (LX::call(o.k) || o.c < 0 || x[o.c].pure);
            for (int k = 0; p && LX::listed(o.k) && k < o.n; k++)
                p = x[lists[o.list + k]].pure;
            if (p != o.pure) o.pure = p, again = true;
        }
    }
    auto held = [&](int i) { return x[i].k == Q_GGET || x[i].k == Q_BGET; };
    // a global's element of one index or none keeps the row it finds
    auto keeps_row = [](const LX &o) { return (o.k == Q_GGET || o.k == Q_GSET) && !o.local && o.c < 0; };
    size_t nrows = std::count_if(x.begin(), x.end(), keeps_row);
    rows.reset(nrows ? new LROW[nrows] : nullptr);
    nrows = 0;
    for (size_t i = 0; i < x.size(); i++) {
        LX &o = x[i];
        o.held = o.k == Q_VCMP && held(o.a) && held(o.b) && x[o.b].pure;
        if (LX::call(o.k)) {
            o.vals = o.k != Q_CALLR && o.fn->refs != 0;
            for (int k = 1; k < o.n + o.extra; k++) o.vals |= !x[lists[o.list + k]].pure;
            o.nums = o.k == Q_CALLR && std::none_of(&lists[o.list], &lists[o.list] + o.n, [&](int a) { return whole(x[a].k); });
        }
        if (LX::listed(o.k)) o.pl = xl.data() + o.list;
        else o.rc = keeps_row(o) ? &rows[nrows++] : &no_row;
        const LX *pa = px(o.a), *pb = px(o.b);
        o.pa = pa, o.pb = pb;
        if (!LX::call(o.k)) o.pc = px(o.c);
        o.ef = SCR_LEAN::evf[o.k];
        if (SCR_LEAN::EVF e = SCR_LEAN::leaf_ef(o)) {   // (operands, made before, are final)
            o.ef = e;
            if (o.k >= Q_ADD && o.k <= Q_NE) {   // its operands kept in it
                o.slot = o.pa->slot;
                if (o.pb->k == Q_SLOT) o.list = o.pb->slot;
                else o.num = o.pb->num;
            }
        }
    }
    for (LS &o : st) {
        o.sf = o.k == TN_BLOCK && o.dn ? &SCR_LEAN::scoped_st : SCR_LEAN::stf[o.k];
        const LS *pa = o.a >= 0 ? &st[o.a] : nullptr, *pb = o.b >= 0 ? &st[o.b] : nullptr;
        const LS *pto = o.to >= 0 ? &st[o.to] : nullptr;
        o.pa = pa, o.pb = pb, o.pto = pto;
        if (o.k == TN_BLOCK || o.k == TN_SWITCH) o.kids = o.n ? sl.data() + o.list : nullptr;
        const LX *e[3] = {px(o.x[0]), px(o.x[1]), px(o.x[2])};
        std::copy(e, e + 3, o.px);
    }
    for (LS &o : st) {
        if (o.pa) const_cast<LS *>(o.pa)->up = &o;
        if (o.pb) const_cast<LS *>(o.pb)->up = &o;
        for (int k = 0; (o.k == TN_BLOCK || o.k == TN_SWITCH) && k < o.n; k++) {
            const_cast<LS *>(o.kids[k])->up = &o;
            const_cast<LS *>(o.kids[k])->kid = k;
        }
    }
    for (int i : init) pinit.push_back(px(i));
    for (ELEM &e : elems) e.pe = &x[e.e];
    proot = &st[root];
}

struct SCR_LEAN::FR {
    const FN *fn = nullptr;
    FR *up = nullptr;
    int base = 0;               // the nest level of its parameters and locals
    const char *owner = "";     // the caller's function (its arguments' owner)
    int mat = 0;                // its entries were made (the variable view was asked for)
    MASK live = 0;              // locals declared and not ended with their block
    MASK made = 0;              // slots of locals whose entries were made (a view may come between declarations)
    MASK set = ~MASK(0);        // slots holding a value (a local without initializer: clear till set)
    double ret = 0;
    double v[SLOTS];
    VTBL_U *vt[SLOTS];          // the entries made: parameters' and locals'
    VTBL_U *av[SLOTS];          // the arguments'
    VAL_U *box = nullptr;       // the boxed locals' values (by slot), when the form has any
    BASE_GJ **arr = nullptr;    // the storage of array locals, references and parts (by slot), when
                                // the form has any: a var's but for parts (FN::parts)
    MASK *held = nullptr;       // the slots of arr the frame holds a count on
    VAL_U *rv = nullptr;        // where a form that returns whole values puts its value
    VAL_U *pv = nullptr;        // the values of the boxed parameters, by parameter (a lean caller's)
    BASE_GJ **ra = nullptr;     // the storage of the parameters by reference, by parameter (the caller's)
    const LS *seek = nullptr;   // a goto's label, sought
    int nav = 0;                // av[0 .. nav): argument entries a view made while its caller evaluated the rest
    struct PEND {               // a call whose arguments this frame is evaluating (the innermost, then the ones around)
        const LX *x;
        FR *g;
        int n;                  // the arguments evaluated
        PEND *up;
    } *pend = nullptr;
    const LX *site = nullptr;   // the call (its arguments name what the references stand for)
};

SCR_LEAN::SCR_LEAN(SCR_U &s, SCR_TREE &t) : s(s), t(t) {}
SCR_LEAN::~SCR_LEAN() = default;

void SCR_LEAN::clear()
{
    fns.clear();
}

bool SCR_LEAN::errs() const
{
    return (s.err_nowscr[0] | s.err_prescr[0] | s.err_nowfnc[0] | s.err_prefnc[0]) != 0;
}

bool SCR_LEAN::may_start() const
{
    if (!s.scr_lean_on || kov::log_get_debug() || s.ctx.scr_pass != 2 || s.sup() ||
        s.ctx.goto_label[0] || s.scr_deep_err)
        return false;
    long levels = SCR_MAXCALL - s.func_depth + 1;
    uintptr_t here = (uintptr_t)__builtin_frame_address(0);
    long used = s.scr_stack_base > here ? (long)(s.scr_stack_base - here) : 0;
    return s.scr_deep + levels * LEAN_DEEP <= SCR_DEEP_MAX && used + levels * LEAN_STACK <= s.scr_stack_room;
}

// ---- building ----

const SCR_LEAN::FN *SCR_LEAN::form(const FTBL_U *f)
{
    const int cell = cell_mode();
    const FN *fn = static_cast<const FN *>(f->lean[cell]);
    if (fn && (fn->ok > 0 || !fn->later || f->lean_tries[cell] >= 3)) return fn->ok > 0 ? fn : nullptr;
    f->lean_tries[cell]++;
    const size_t before = fns.size();
    built.clear();
    struct ASK {
        SCR_LEAN *l;
        const FTBL_U *f;
        const FN *fn;
    } ask{this, f, nullptr};
    try {
        t.kept([](void *a) { auto &q = *static_cast<ASK *>(a); q.fn = q.l->make(q.f); }, &ask);
    } catch (const std::bad_alloc &) {
        return nullptr;   // the regular run it is
    }
    // A form that calls one refused after it was made (a recursion through it) is refused too;
    // one taking as a number the value of a callee made again to give values whole is made again.
    // Before this make no form took a callee so; only the forms it made or made again may now
    // (their own calls), or their callers where one made before was made again: the other forms
    // are looked at only then.
    auto bad_call = [](const FN &q) -> const LX * {
        for (const LX &x : q.x)
            if ((x.k == Q_CALL || x.k == Q_CALLV) && (x.fn->ok <= 0 || (x.k == Q_CALL && x.fn->whole_ret))) return &x;
        return nullptr;
    };
    bool scan = false;
    for (const FN *b : built)
        if (b->cell == cell && ((b->id < before && (b->ok <= 0 || b->whole_ret)) || (b->ok > 0 && bad_call(*b)))) scan = true;
    for (bool again = scan; again;) {
        again = false;
        for (size_t i = 0; i < fns.size(); i++) {   // (making one may add more)
            FN &q = *fns[i];
            if (q.ok <= 0 || q.cell != cell) continue;   // the other reading's forms call only their own
            if (const LX *x = bad_call(q)) {
                if (x->fn->ok <= 0 || !rebox(q, 0)) q.ok = -1;
                again = true;
            }
        }
    }
    return ask.fn->ok > 0 ? ask.fn : nullptr;
}

SCR_LEAN::FN *SCR_LEAN::make(const FTBL_U *f)
{
    fns.push_back(std::make_unique<FN>());
    FN &fn = *fns.back();
    fn.id = fns.size() - 1;
    fn.f = f;
    fn.cell = cell_mode();
    f->lean[fn.cell] = &fn;
    build(fn, 0);
    return &fn;
}

// fn made again where it is (its callers' nodes point at it), its boxed parameters and those of
// want boxes: a caller gives them values whole, or a callee came to give values whole. Not
// while a lean run is on (its frames and arguments follow the form as it is).
bool SCR_LEAN::rebox(FN &fn, MASK want)
{
    if (top || fn.ok <= 0 || fn.cell != cell_mode()) return false;
    want |= fn.pbox;
    reset(fn);
    build(fn, want);
    return fn.ok > 0;
}

// The regular calls of a made form whose value a local or a return takes as it is (so the
// local is a box, the form's value whole): where they are. Made ahead, such a call takes the
// callee's numbers as numbers, as before regular calls. (Those a lean call's parameter takes
// are found by box(), before the callee is made again to take a box.)
void SCR_LEAN::taken_whole(const FN &fn, std::vector<const char *> &at)
{
    auto note = [&](const LX *e) {
        if (e && e->k == Q_CALLR) at.push_back(e->at);
    };
    for (const LX &o : fn.x)
        if (o.k == Q_BSET) note(o.pb);
    for (const LX *e : fn.pinit) note(e);
    for (const LS &o : fn.st)
        if (o.k == TN_RETURN) note(o.px[0]);
}

// fn as before it was made, for its function.
void SCR_LEAN::reset(FN &fn)
{
    const FTBL_U *f = fn.f;
    int cell = fn.cell;
    size_t id = fn.id;
    fn = FN();
    fn.f = f;
    fn.cell = cell;
    fn.id = id;
}

void SCR_LEAN::build(FN &fn, MASK want)
{
    // A local scalar passed by reference is found while made: made again with it a cell.
    // So is a local that may be read before it is set: a box then (it holds nothing till set);
    // and a function whose callee was made again to return values whole.
    // A body with labels has no call made regular: made again without; so is one whose regular
    // calls' values are taken as they are (made again with those calls made ahead).
    std::vector<const char *> ahead;
    for (MASK cells = 0, boxes = 0, tries = 1, plain = 0;; tries++) {
        fn.cells = cells;
        fn.no_regular = plain;
        fn.ahead = ahead;
        build_once(fn, want | boxes);
        const bool relabel = fn.regular && !fn.labels.empty();
        const size_t had = ahead.size();
        ahead = fn.ahead;   // (with those box() found)
        if (fn.ok > 0 && fn.regular && !relabel) taken_whole(fn, ahead);
        const bool redo = relabel || ahead.size() != had;
        if (redo && fn.ok >= 0) fn.ok = -1;
        if ((fn.ok > 0 && !redo) || tries == 8 ||
            !((fn.want_cells & ~cells) | (fn.unset & ~boxes & ~fn.arrays) | fn.again | redo))
            return;
        cells |= fn.want_cells;
        boxes |= fn.unset & ~fn.arrays;
        plain |= relabel;
        reset(fn);
    }
}

void SCR_LEAN::build_once(FN &fn, MASK want)
{
    const FTBL_U *f = fn.f;
    fn.ok = -1;
    built.push_back(&fn);
    if (!f->tfn || t.lean_callee(f) != 1) return;
    const auto &c = *static_cast<const SCR_TREE::TCALL *>(f->tcall);
    if (c.np > SLOTS) return;
    for (int i = 0; i < c.np; i++) {
        if (c_slot(fn, c.name[i].data()) >= 0) return;
        FN::SHAPE sh;
        sh.dims = f->param(i).dims;   // a part's are its kind's (a grid's 2), as its arguments are checked
        sh.type = f->param(i).type;
        if (sh.type != VT_VAR) fn.parts |= MASK(1) << i;
        fn.shape.push_back(sh);
        fn.vis |= MASK(1) << fn.nslots;
        fn.add_name(c.name[i].data());
    }
    fn.refs = fn.arrays = c.refs;
    for (int i = 0; i < c.np; i++)   // arrays by reference with sizes written
        if ((c.refs >> i & 1) && f->param(i).dims && (f->param(i).x >= 1 || (f->param(i).dims == 2 && f->param(i).y >= 1)))
            fn.sized |= MASK(1) << i;
    fn.np = c.np;
    fn.ok = 0;   // being made: a call of itself takes it
    const TN &root = *t.np[f->tfn->root];
    if (c_decls(fn, root, 0) != 0) {
        fn.ok = -1;
        return;
    }
    fn.nbody = fn.nslots - fn.np;
    LS b;
    b.k = TN_BLOCK;
    b.tn = root.self;
    b.tlist = root.list;
    b.n = root.n;
    if ((b.list = c_list(fn, root.n, [&](int k) { return c_stat(fn, t.kids[root.list + k], 0); })) < 0) {
        fn.ok = -1;
        return;
    }
    fn.root = (int)fn.st.size();
    fn.st.push_back(b);
    for (LS &o : fn.st) {   // a goto's label by its statement
        if (o.k != TN_GOTO) continue;
        // a jump into a block that hides a name would find the enclosing block's entry there
        for (int p = o.to; p >= 0; p = t.np[p]->parent)
            if (std::find(fn.shadows.begin(), fn.shadows.end(), p) != fn.shadows.end()) {
                fn.ok = -1;
                return;
            }
        int to = -1;
        for (auto &l : fn.labels)
            if (l.first == o.to) to = l.second;
        if ((o.to = to) < 0) {
            fn.ok = -1;
            return;
        }
    }
    fn.boxed = want;
    if (box(fn) != 0) {
        fn.ok = -1;
        return;
    }
    fn.pbox = fn.boxed & low(fn.np);
    // a form lives as long as the link: the room its making left over goes back
    fn.x.shrink_to_fit();
    fn.st.shrink_to_fit();
    fn.lists.shrink_to_fit();
    fn.link();
    fn.unset = unset_reads(fn);
    fn.setup = fn.boxed || fn.arrays || fn.nbody;
    fn.ok = fn.deep <= LEAN_DEEP - 10 && !fn.unset ? 1 : -1;
}

// Whether every local is set before anything reads it, on every path: an empty local is no
// number (it reads as empty, and as 0 only where an operator takes it).
namespace {
struct DA {
    // A read of slot k: one that may find it unset is noted (the local becomes a box).
    static thread_local MASK miss;
    static bool has(MASK a, int k)
    {
        if (!(a >> k & 1)) miss |= MASK(1) << k;
        return true;
    }
    static bool x(const LX &e, MASK &a)
    {
        switch (e.k) {
        case Q_NUM:
        case Q_STR:
        case Q_CELL: return true;
        case Q_GADGET: return !e.local || has(a, e.slot);
        case Q_SLOT:
        case Q_BGET:
        case Q_PRE:
        case Q_POST:
        case Q_BPRE:
        case Q_BPOST: return has(a, e.slot);
        case Q_GGET:
        case Q_JGET:
        case Q_GPRE:
        case Q_GPOST: return (!e.local || has(a, e.slot)) && (!e.pa || x(*e.pa, a)) && (!e.pc || x(*e.pc, a));
        case Q_GSET:
            return (!e.local || has(a, e.slot)) && (!e.pa || x(*e.pa, a)) && (!e.pc || x(*e.pc, a)) && x(*e.pb, a);
        case Q_SET:
        case Q_BSET:
            if (!x(*e.pb, a) || (e.i && !has(a, e.slot))) return false;
            a |= MASK(1) << e.slot;
            return true;
        case Q_AND:
        case Q_OR: {   // the operands after the first may not run: what they set does not count
            if (!x(*e.pa, a)) return false;
            for (int k = 0; k < e.n; k++) {
                MASK b = a;
                if (!x(*e.pl[k], b)) return false;
            }
            return true;
        }
        case Q_COND:
        case Q_CONDV: {
            if (!x(*e.pa, a)) return false;
            MASK b = a, c = a;
            if (!x(*e.pb, b) || !x(*e.pc, c)) return false;
            a = b & c;
            return true;
        }
        case Q_CALL:
        case Q_CALLV:
        case Q_CALLR:
        case Q_COMMA:
        case Q_COMMAV:
        case Q_LIB:
        case Q_LIBS:
            for (int k = 0; k < e.n + (LX::call(e.k) ? e.extra : 0); k++)   // (a call's arguments after "..." too)
                if (!x(*e.pl[k], a)) return false;
            return true;
        default:   // operators
            return x(*e.pa, a) && (!e.pb || x(*e.pb, a));
        }
    }
    static bool st(const SCR_LEAN::FN &fn, const LS &n, MASK &a)
    {
        switch (n.k) {
        case TN_EXP: return x(*n.px[0], a);
        case TN_RETURN: return !n.px[0] || x(*n.px[0], a);
        case TN_IF: {
            if (!x(*n.px[0], a)) return false;
            MASK t = a, e = a;
            if (!st(fn, *n.pa, t) || (n.pb && !st(fn, *n.pb, e))) return false;
            a = t & e;
            return true;
        }
        case TN_WHILE:
        case TN_FOR:
        case TN_DO: {   // the body may not run (nor the rest of it after a continue)
            a &= entered(fn, n);
            if (n.px[0] && n.k != TN_DO && !x(*n.px[0], a)) return false;
            if (n.k == TN_FOR && n.px[1] && !x(*n.px[1], a)) return false;
            MASK b = a, c = a;
            if (!st(fn, *n.pa, b)) return false;
            if (n.k == TN_FOR && n.px[2] && !x(*n.px[2], c)) return false;
            c = a;
            return n.k != TN_DO || x(*n.px[0], c);
        }
        case TN_BLOCK:
            if (!decls(fn, n.d0, n.dn, a)) return false;
            for (int k = 0; k < n.n; k++)
                if (!st(fn, *n.kids[k], a)) return false;
            return true;
        case TN_SWITCH: {   // a label may select any of its statements: each from the head's state
            if (!x(*n.px[0], a)) return false;
            a &= entered(fn, n);
            for (int k = 0; k < n.n; k++) {
                MASK b = a;
                if (!st(fn, *n.kids[k], b)) return false;
            }
            return true;
        }
        case TN_CASE:
        case TN_DEFAULT: return st(fn, *n.pa, a);
        case TN_LABEL:   // reached from before it and from its gotos
            a &= fn.dalab[&n - fn.st.data()];
            return st(fn, *n.pa, a);
        case TN_GOTO: {   // the inner blocks around the label are entered again: their names empty
            MASK fresh = 0;
            for (const LS *p = n.pto->up; p && p != fn.proot; p = p->up)
                if (p->k == TN_BLOCK) fresh |= block_slots(*p);
            fn.dalab[n.pto - fn.st.data()] &= (a & ~fresh) | (fresh & (fn.boxed | fn.arrays));   // (boxes empty, arrays made afresh)
            a = ~MASK(0);   // what follows is reached only through its own labels
            return true;
        }
        default: return true;
        }
    }
    // The locals set wherever a goto enters n: its labels' (a loop's condition and what follows
    // a loop or a switch are also reached from a label inside it).
    static MASK entered(const SCR_LEAN::FN &fn, const LS &n)
    {
        MASK a = ~MASK(0);
        for (const auto &l : fn.labels)
            for (const LS *p = fn.st[l.second].up; p; p = p->up)
                if (p == &n) {
                    a &= fn.dalab[l.second];
                    break;
                }
        return a;
    }
    // Declarations: each local empty till its initializer (a box holds nothing)
    static bool decls(const SCR_LEAN::FN &fn, int first, int n, MASK &a)
    {
        for (int k = first; k < first + n; k++) {
            const LX *init = fn.pinit[k - fn.np];
            const SCR_LEAN::FN::SHAPE &sh = fn.shape[k];
            for (int e = sh.e0; e < sh.e0 + sh.en; e++) x(*fn.elems[e].pe, a);
            a = (a & ~(MASK(1) << k)) | (fn.boxed & MASK(1) << k);
            if (init && !x(*init, a)) return false;
            if (init || (fn.arrays >> k & 1)) a |= MASK(1) << k;
        }
        return true;
    }
};
}   // namespace

thread_local MASK DA::miss;

MASK SCR_LEAN::unset_reads(const FN &fn)
{
    // a boxed local not set yet holds nothing, as the variable would
    // a label's locals: those its gotos leave set, found again till they stay
    fn.dalab.assign(fn.st.size(), ~MASK(0));
    for (;;) {
        std::vector<MASK> was = fn.dalab;
        MASK a = low(fn.np) | fn.boxed;
        DA::miss = 0;
        DA::decls(fn, fn.np, fn.nbody, a);
        DA::st(fn, *fn.proot, a);
        if (fn.dalab == was) return DA::miss;
    }
}

// The global a name (with its indices) means in f: a var of its own storage, or a part's object
// (the sheet's "my", a gadget: its elements are the object's to read and store); null when the
// form cannot take it.
VTBL_U *SCR_LEAN::global_of(FN &fn, const SCR_XC::XN &n)
{
    VTBL_U *v = entry_of(fn, n);
    if (!v || !v->vtb_gajet_pt || v->vtb_dims() != n.dims) return nullptr;
    if (v->type == VT_VAR ? !gj_vars_of(v->vtb_gajet_pt) : !vt_is_gajet(v->type)) return nullptr;
    return v;
}

// The entry a name that is none of f's own finds in f's run.
VTBL_U *SCR_LEAN::entry_of(FN &fn, const SCR_XC::XN &n)
{
    return entry_named(fn, s.scr_xc->name_of(n));
}

VTBL_U *SCR_LEAN::entry_named(FN &fn, const char *name)
{
    char keep[SCR_NAMESIZE];
    scr_name_cpy(keep, s.ctx.func_name);
    unsigned seed = s.ctx.func_seed;
    s.ctx.set_func(fn.f->name, fn.f->seed);   // its statics first, as its run looks
    VTBL_U *v = s.scr_get_vtbl(name);
    s.ctx.set_func(keep, seed);
    return v;
}

// The enumerator a name means in f (not one of its locals'): its entry, or null.
const VTBL_U *SCR_LEAN::enumerator(FN &fn, const char *name)
{
    const VTBL_U *e = c_named(fn, name) ? nullptr : entry_named(fn, name);
    return e && e->type == VT_ENUM && e->nest == 0 ? e : nullptr;
}

// Locals given what a global's element holds hold it as it is (a text, nothing); where a value
// goes whole (returned, passed, chosen by ?:, a comma's) such a value is not taken; two such
// values compared compare as texts when both are.
int SCR_LEAN::box(FN &fn)
{
    const size_t ahead = fn.ahead.size();
    std::function<bool(int)> holds = [&](int i) {
        const LX &v = fn.x[i];
        if (v.k == Q_COND) return holds(v.b) || holds(v.c);
        if (v.k == Q_COMMA) return holds(fn.lists[v.list + v.n - 1]);
        return whole(v.k) || ((v.k == Q_SLOT || v.k == Q_SET || v.k == Q_POST) && (fn.boxed >> v.slot & 1));
    };
    // A global named like a local is read before the local's declaration (an initializer): in a
    // recursion that finds the caller's local.
    for (const LX &o : fn.x)
        if ((o.k == Q_GGET || o.k == Q_JGET || o.k == Q_GSET || o.k == Q_GPRE || o.k == Q_GPOST) && !o.local && c_named(fn, o.g->name))
            return -1;
    for (bool again = true; again;) {
        again = false;
        for (const LS &n : fn.st)   // a function of values returns them whole (its calls give them so)
            if (n.k == TN_RETURN && n.x[0] >= 0 && n.type == VT_VAR && !fn.whole_ret && holds(n.x[0])) {
                fn.whole_ret = again = true;
                for (LX &o : fn.x)
                    if (o.k == Q_CALL && o.fn == &fn) o.k = Q_CALLV;
            }
        for (size_t k = 0; k < fn.init.size(); k++)   // an initializer as an assignment
            if (fn.init[k] >= 0 && !(fn.boxed >> (fn.np + k) & 1) && holds(fn.init[k])) {
                fn.boxed |= MASK(1) << (fn.np + k);
                again = true;
            }
        for (LX &o : fn.x)
            if (o.k == Q_SET && !(fn.boxed >> o.slot & 1) && holds(o.b)) {
                fn.boxed |= MASK(1) << o.slot;
                again = true;
            }
        // A parameter read where a value goes on whole holds what its callers give, as it is:
        // returned by a function of values, given to a box, compared with a value, a built-in's
        // text or tail argument, a box of a call of this function.
        auto param = [&](int i) {
            const LX &v = fn.x[i];
            if (v.k != Q_SLOT || v.slot >= fn.np || (fn.boxed >> v.slot & 1)) return;
            fn.boxed |= MASK(1) << v.slot;
            again = true;
        };
        for (const LS &n : fn.st)
            if (n.k == TN_RETURN && n.x[0] >= 0 && fn.whole_ret) param(n.x[0]);
        for (size_t k = 0; k < fn.init.size(); k++)
            if (fn.init[k] >= 0 && (fn.boxed >> (fn.np + k) & 1)) param(fn.init[k]);
        for (const LX &o : fn.x) {
            if (o.k == Q_SET && (fn.boxed >> o.slot & 1)) param(o.b);
            if (o.k >= Q_LE && o.k <= Q_NE && (holds(o.a) || holds(o.b))) param(o.a), param(o.b);
            if (o.k == Q_COND && (holds(o.b) || holds(o.c))) param(o.b), param(o.c);   // its value whole
            if (o.k == Q_COMMA && holds(fn.lists[o.list + o.n - 1])) param(fn.lists[o.list + o.n - 1]);
            if (o.k == Q_LIB || o.k == Q_LIBS) {
                const char *c = o.lib->sig + 1;
                for (int k = 0; k < o.n; k++, c += *c != '.')
                    if (*c == 's' || *c == '.') param(fn.lists[o.list + k]);
            }
            if ((o.k == Q_CALL || o.k == Q_CALLV) && o.fn == &fn)
                for (int k = 0; k < o.n; k++)
                    if (holds(fn.lists[o.list + k]) && !(fn.boxed >> k & 1)) {
                        fn.boxed |= MASK(1) << k;
                        again = true;
                    }
        }
    }
    for (LX &o : fn.x) {
        bool b = (o.k == Q_SLOT || o.k == Q_SET || o.k == Q_PRE || o.k == Q_POST) && (fn.boxed >> o.slot & 1);
        if (b) o.k = o.k == Q_SLOT ? Q_BGET : o.k == Q_SET ? Q_BSET : o.k == Q_PRE ? Q_BPRE : Q_BPOST;
    }
    for (LX &o : fn.x) {
        if (o.k >= Q_LE && o.k <= Q_NE && whole(fn.x[o.a].k) && whole(fn.x[o.b].k)) o.k = Q_VCMP;
        if (o.k == Q_COND && (whole(fn.x[o.b].k) || whole(fn.x[o.c].k))) o.k = Q_CONDV;
        if (o.k == Q_COMMA && whole(fn.x[fn.lists[o.list + o.n - 1]].k)) o.k = Q_COMMAV;   // (the others' values go)
        if (o.k == Q_CALL || o.k == Q_CALLV) {   // a value passed whole to a parameter that is no box: made one
            MASK want = 0;
            for (int k = 0; k < o.n; k++) {
                const LX &a = fn.x[fn.lists[o.list + k]];
                if (!whole(a.k) || ((o.fn == &fn ? fn.boxed : o.fn->boxed) >> k & 1)) continue;
                if (a.k == Q_CALLR) fn.ahead.push_back(a.at);   // made ahead instead (taken_whole), the callee as it is
                else want |= MASK(1) << k;
            }
            if (want && (o.fn == &fn || !rebox(const_cast<FN &>(*o.fn), want) || (o.fn->pbox & want) != want))
                return -1;
            if (want && o.k == Q_CALL && o.fn->whole_ret) {   // it gives values whole now: its calls are made again so
                fn.again = true;
                return -1;
            }
        }
    }
    for (const LS &n : fn.st)
        if (n.k == TN_RETURN && n.x[0] >= 0 && whole(fn.x[n.x[0]].k) && !fn.whole_ret) return -1;
    return fn.ahead.size() > ahead ? -1 : 0;
}

int SCR_LEAN::c_slot(FN &fn, const char *name) const
{
    for (int k = fn.nslots - 1; k >= 0; k--)
        if ((fn.vis >> k & 1) && strcmp(fn.name[k].data(), name) == 0) return k;
    return -1;
}

// Whether a slot of any block is so named.
bool SCR_LEAN::c_named(const FN &fn, const char *name)
{
    for (int k = 0; k < fn.nslots; k++)
        if (strcmp(fn.name[k].data(), name) == 0) return true;
    return false;
}

// A block's declarations: "var" names with their initializers, arrays, constants, parts of the
// function's own, and statics (their entries the link's; one with an initial value holds its
// storage in a slot). Their entries are `level` levels below the body's.
int SCR_LEAN::c_decls(FN &fn, const TN &block, int level)
{
    for (int d = 0; d < block.ndecl; d++) {
        const char *p = t.decls[block.decl + d];
        const char *q = p;
        s.scr_skip_space(q);
        if (SCR_LEX::scr_word(q) == W_ENUM) return -1;   // reading it would declare its names
        DECL_SPEC spec;
        if (s.scr_decl_specs(p, spec) != 0) return -1;
        const int inert = SF_AUTO | SF_REGISTER | SF_VOLATILE | SF_EXTERN;   // of no effect on a local: kept in its entry
        const int flags = spec.flags & ~inert;
        if ((spec.type != VT_VAR && !vt_is_gajet(spec.type)) || (flags & ~(SF_STATIC | SF_CONST)) ||
            flags == (SF_STATIC | SF_CONST) || (spec.type != VT_VAR && spec.flags))
            return -1;
        for (;;) {
            const char *q = p;
            if (s.scr_pointer(q) == 0) return -1;
            char name[SCR_NAMESIZE];
            if (s.scr_idname(p, name, sizeof name) != 0 || fn.nslots >= SLOTS) return -1;
            if (int prev = c_slot(fn, name); prev >= 0) {   // an enclosing block's name: hidden till the block ends
                if (!level || (prev >= fn.np && fn.lnest[prev - fn.np] >= level) || (spec.flags & SF_STATIC)) return -1;
                if (fn.shadows.empty() || fn.shadows.back() != block.self) fn.shadows.push_back(block.self);
            }
            int c = s.scr_skip_space(p);
            if (c == '(') return -1;
            VTBL_U *stat = nullptr;
            if (spec.flags & SF_STATIC) {   // made by the link: read as a global of the function's own
                const char *q = p;
                for (const char *e; s.scr_skip_space(q) == '['; q = e)
                    if (!(e = scr_look_group(s, q, '[', ']'))) return -1;
                if (s.scr_skip_space(q) != '=') {
                    p = q;
                    if (s.scr_match_key(p, ",") == 0) continue;
                    if (s.scr_match_key(p, ";") != 0) return -1;
                    break;
                }
                // its initial value is stored at every run of the declaration: a slot holding its storage
                stat = entry_named(fn, name);
                if (!stat || !(stat->flags & SF_STATIC) || stat->type != VT_VAR || strcmp(stat->owner, fn.f->name) != 0 ||
                    !gj_vars_of(stat->vtb_gajet_pt))
                    return -1;
            }
            FN::SHAPE shape;   // an array: its sizes written as numbers, made as the declaration runs
            shape.flags = spec.flags & (inert | SF_CONST);
            if (t.shape_of(p, shape.x, shape.y, shape.dims) != 0) return -1;
            if (shape.dims) {
                if (s.scr_skip_space(p) == '[' || (spec.flags & SF_CONST)) return -1;
                fn.arrays |= MASK(1) << fn.nslots;
            }
            if (spec.flags & SF_CONST) fn.consts |= MASK(1) << fn.nslots;   // read only: a store keeps the function a tree call
            if (spec.type != VT_VAR) {   // a part of its own, made as the declaration runs: given to built-ins and passed on
                if (shape.dims || s.scr_skip_space(p) == '=') return -1;
                shape.type = spec.type;
                fn.arrays |= MASK(1) << fn.nslots;
                fn.parts |= MASK(1) << fn.nslots;
            }
            if (stat) {
                if (stat->vtb_dims() != shape.dims) return -1;
                shape.x = stat->vtb_xs();
                shape.y = stat->vtb_ys();
                fn.arrays |= MASK(1) << fn.nslots;
                fn.statics |= MASK(1) << fn.nslots;
            }
            fn.stat.push_back(stat);
            if (fn.cells >> fn.nslots & 1) fn.arrays |= MASK(1) << fn.nslots;   // a scalar in storage of its own
            fn.shape.push_back(shape);
            fn.lnest.push_back(level);
            fn.vis |= MASK(1) << fn.nslots;
            fn.add_name(name);
            int init = -1;
            if (shape.dims && s.scr_match_key(p, "=") == 0) {
                if (c_values(fn, p, fn.nslots - 1, level, block.decl + d) != 0) return -1;
            } else if (s.scr_match_key(p, "=") == 0) {
                int r = init_root(block.decl + d, p);
                fn.in_init = true;
                if (r <= 0 || (init = c_root(fn, r, level)) < 0) return -1;
                fn.in_init = false;
            }
            fn.init.push_back(init);
            fn.idecl.push_back(t.decls[block.decl + d]);
            if (s.scr_match_key(p, ",") == 0) continue;
            if (s.scr_match_key(p, ";") != 0) return -1;
            break;
        }
        if (p != t.decls[block.decl + d + 1]) return -1;
    }
    return 0;
}

int SCR_LEAN::init_root(int d, const char *&p)
{
    const char *u = p, *end = nullptr;
    s.scr_skip_space(u);
    if (int r = t.init_root(d, u, end)) {
        p = end;
        return r;
    }
    return s.scr_xc->compile_root(p);
}

// An array's list of initial values after "=", as the declaration reads it (rows in braces, or
// running on into the next row): where each goes known now. What would fail (too many, none, a
// list where none fits) stays with the tree call.
int SCR_LEAN::c_values(FN &fn, const char *&p, int slot, int level, int d)
{
    FN::SHAPE sh = fn.shape[slot];
    sh.e0 = (int)fn.elems.size();
    fn.in_init = true;
    int ok = SCR_TREE::list_layout(s, p, sh.dims, sh.x, sh.y, [&](int c, int r) {
        int root = init_root(d, p), e = root > 0 ? c_root(fn, root, level) : -1;
        if (e < 0) return -1;
        fn.elems.push_back(FN::ELEM{c, r, e, nullptr});
        return 0;
    });
    if (ok != 0) return -1;
    fn.in_init = false;
    sh.en = (int)fn.elems.size() - sh.e0;
    fn.shape[slot] = sh;
    return 0;
}

template <class MAKE> int SCR_LEAN::c_list(FN &fn, int n, MAKE make)
{
    std::vector<int> items;
    for (int k = 0; k < n; k++) {
        int r = make(k);
        if (r < 0) return -1;
        items.push_back(r);
    }
    int at = (int)fn.lists.size();
    fn.lists.insert(fn.lists.end(), items.begin(), items.end());
    return at;
}

int SCR_LEAN::c_stat(FN &fn, int i, int nest)
{
    const TN &n = *t.np[i];
    LS o;
    o.k = n.k;
    o.at = n.at;
    o.tn = i;
    o.nest = nest;
    o.type = n.type;
    fn.deep = std::max(fn.deep, nest + 4);
    switch (n.k) {
    case TN_EMPTY:
    case TN_BREAK:
    case TN_CONTINUE: break;
    case TN_EXP:
        if ((o.x[0] = c_exp(fn, n.x, nest)) < 0) return -1;
        break;
    case TN_RETURN:
        if (n.type > VT_VOID && n.x.at && (o.x[0] = c_exp(fn, n.x, nest)) < 0) return -1;
        break;
    case TN_IF:
        if ((o.x[0] = c_exp(fn, n.x, nest)) < 0 || (o.a = c_stat(fn, n.a, nest)) < 0) return -1;
        if (n.b >= 0 && (o.b = c_stat(fn, n.b, nest)) < 0) return -1;
        break;
    case TN_WHILE:
    case TN_DO:
    case TN_FOR: {   // a loop's block: its head and body one level deeper
        SCR_SET<int> in(fn.in_loops, fn.in_loops + 1);
        for (int k = 0; k < 3; k++)
            if (t.tx(n, k).at && (o.x[k] = c_exp(fn, t.tx(n, k), nest + 1)) < 0) return -1;
        if ((n.k != TN_FOR && o.x[0] < 0) || (o.a = c_stat(fn, n.a, nest + 1)) < 0) return -1;
        break;
    }
    case TN_BLOCK: {   // its names end with it
        MASK vis = fn.vis;
        o.d0 = fn.nslots;
        if (n.ndecl && c_decls(fn, n, nest + 1) != 0) return -1;
        o.dn = fn.nslots - o.d0;
        if ((o.list = c_list(fn, n.n, [&](int k) { return c_stat(fn, t.kids[n.list + k], nest + 1); })) < 0) return -1;
        fn.vis = vis;
        o.n = n.n;
        o.tlist = n.list;
        break;
    }
    case TN_SWITCH: {   // its block: its head and body one level deeper
        if (n.ndecl || (o.x[0] = c_exp(fn, n.x, nest + 1)) < 0) return -1;
        LABELS labels;
        if ((o.list = c_list(fn, n.n, [&](int k) { return c_switched(fn, t.kids[n.list + k], nest + 1, labels, 0); })) < 0)
            return -1;
        o.n = n.n;
        break;
    }
    case TN_LABEL: {
        if ((o.a = c_stat(fn, n.a, nest)) < 0) return -1;
        fn.st.push_back(o);
        fn.labels.emplace_back(i, (int)fn.st.size() - 1);
        return (int)fn.st.size() - 1;
    }
    case TN_GOTO:
        if (n.to < 0) return -1;   // no such label: it fails at the body's end
        o.to = n.to;               // the tree's node till the form is made
        break;
    default: return -1;
    }
    fn.st.push_back(o);
    return (int)fn.st.size() - 1;
}

// A statement at the top of a switch body, with the labels before it (chained). A label's value
// is a number written as such (the run reads nothing else the same at every pass), and a
// switch whose value could be matched twice, or with two defaults, fails in the regular run
// only when it gets there: it is not made here.
int SCR_LEAN::c_switched(FN &fn, int i, int nest, LABELS &labels, int chain)
{
    const TN &n = *t.np[i];
    if (n.k != TN_CASE && n.k != TN_DEFAULT) return c_stat(fn, i, nest);
    LS o;
    o.k = n.k;
    o.at = n.at;
    o.tn = i;
    o.nest = nest;
    fn.deep = std::max(fn.deep, nest + 4 + 2 * chain);
    if (n.k == TN_CASE) {
        const char *p = n.x.at;
        s.scr_skip_space(p);
        bool neg = *p == '-';
        VAL_U v;
        if (neg) p++;
        char name[SCR_NAMESIZE];
        const char *q = p;
        if (s.scr_idname(q, name, sizeof name) == 0) {   // an enumerator
            const VTBL_U *e = enumerator(fn, name);
            if (!e) return -1;
            v.val_putd(e->value);
            p = q;
        } else if (s.scr_const(p, v) != 0 || v.val_kind != VAL_NUM) {
            return -1;
        }
        s.scr_skip_space(p);
        if (p != n.x.end) return -1;
        o.value = scr_trunc32(neg ? -v.val_getd() : v.val_getd());
        for (int c : labels.cases)
            if (c == o.value) return -1;
        labels.cases.push_back(o.value);
    } else if (labels.defaults++) {
        return -1;
    }
    if ((o.a = c_switched(fn, n.a, nest, labels, chain + 1)) < 0) return -1;
    fn.st.push_back(o);
    return (int)fn.st.size() - 1;
}

// An expression of a statement: its assignment expressions in order (the comma's value is the
// last one's).
int SCR_LEAN::c_exp(FN &fn, const TX &x, int nest)
{
    SCR_XC *xc = s.scr_xc;
    if (!xc || x.id < 0 || !x.at) return -1;
    const SCR_TREE::XS st = t.roots_of(x, xc);
    if (st.first < 0 || st.n < 1) return -1;
    if (st.n == 1) return c_root(fn, t.xr[st.first].root, nest);
    LX o;
    o.k = Q_COMMA;
    o.n = st.n;
    if ((o.list = c_list(fn, st.n, [&](int k) { return c_root(fn, t.xr[st.first + k].root, nest); })) < 0) return -1;
    fn.x.push_back(o);
    return (int)fn.x.size() - 1;
}

int SCR_LEAN::c_root(FN &fn, int root, int nest)
{
    return c_node(fn, s.scr_xc->roots[root - 1].node, nest);
}

int SCR_LEAN::c_node(FN &fn, int i, int nest)
{
    SCR_XC &xc = *s.scr_xc;
    const SCR_XC::XN &n = xc.nodes[i];
    LX o;
    auto slot_of = [&](const SCR_XC::XN &v) {
        int k = v.k == SCR_XC::X_VAR && !v.dims ? c_slot(fn, xc.name_of(v)) : -1;
        if (k >= 0 && (fn.arrays >> k & 1)) return -2;   // an array as a whole: not a number
        // (an inner block's local entered by a goto is empty whatever its initializer)
        o.chk = k >= fn.np && (fn.in_init || fn.init[k - fn.np] < 0 || fn.lnest[k - fn.np]);
        return k;
    };
    // an element of a local array or of a reference, with its indices: 1, 0 not one, -1 refused
    auto element = [&](const SCR_XC::XN &v) {
        int k = v.k == SCR_XC::X_VAR ? c_slot(fn, xc.name_of(v)) : -1;
        if (k < 0 || !(v.dims || ((fn.refs | fn.cells | fn.statics | fn.parts) >> k & 1))) return 0;
        if (fn.parts >> k & 1) {   // read and stored through the part: a grid's cells, another part as a whole
            if (v.dims != (fn.shape[k].type == VT_ARRAY ? 2 : 0)) return -1;
            o.part = true;
        } else if (!(fn.arrays >> k & 1) || fn.shape[k].dims != v.dims) {
            return -1;
        }
        o.local = true;
        o.slot = k;
        if ((v.dims && (o.a = c_node(fn, v.a, nest)) < 0) || (v.dims == 2 && (o.c = c_node(fn, v.b, nest)) < 0)) return -1;
        return 1;
    };
    switch (n.k) {
    case SCR_XC::X_NUM:
        o.k = Q_NUM;
        o.num = n.num;
        break;
    case SCR_XC::X_STR: {
        o.k = Q_STR;
        o.lit = &xc.strs[n.list];   // not a copy: the text cap counts each text once
        break;
    }
    case SCR_XC::X_VAR: {
        int e = element(n);
        if (e < 0) return -1;
        if (e) {
            o.k = n.npost ? Q_GPOST : o.part ? Q_JGET : Q_GGET;
            o.n = n.npost;
            o.post = n.post;
            break;
        }
        if (n.dims || (o.slot = slot_of(n)) < 0) {
            if (!n.dims && !n.npost && o.slot == -1) {   // an enumerator: its value
                if (const VTBL_U *e = enumerator(fn, xc.name_of(n))) {
                    o.k = Q_NUM;
                    o.num = e->value;
                    break;
                }
            }
            if (!(o.g = global_of(fn, n)) || (n.npost && (o.g->flags & SF_CONST)) || (n.dims && (o.a = c_node(fn, n.a, nest)) < 0) ||
                (n.dims == 2 && (o.c = c_node(fn, n.b, nest)) < 0))
                return -1;
            o.k = n.npost ? Q_GPOST : vt_is_gajet(o.g->type) ? Q_JGET : Q_GGET;
            o.n = n.npost;
            o.post = n.post;
            break;
        }
        if (n.npost && (fn.consts >> o.slot & 1)) return -1;
        o.k = n.npost ? Q_POST : Q_SLOT;
        o.n = n.npost;
        o.post = n.post;
        break;
    }
    case SCR_XC::X_PRE: {
        const SCR_XC::XN &v = xc.nodes[n.a];
        o.inc = n.op ? 1 : -1;
        if (v.k != SCR_XC::X_VAR || v.npost) return -1;
        int e = element(v);
        if (e < 0) return -1;
        if (e) {
            o.k = Q_GPRE;
            break;
        }
        if (!v.dims && (o.slot = slot_of(v)) >= 0) {
            if (fn.consts >> o.slot & 1) return -1;
            o.k = Q_PRE;
            break;
        }
        o.slot = 0;   // a global's element
        if (c_slot(fn, xc.name_of(v)) >= 0 || !(o.g = global_of(fn, v)) || (o.g->flags & SF_CONST) ||
            (v.dims && (o.a = c_node(fn, v.a, nest)) < 0) || (v.dims == 2 && (o.c = c_node(fn, v.b, nest)) < 0))
            return -1;
        o.k = Q_GPRE;
        break;
    }
    case SCR_XC::X_UN:
        o.k = n.op == '!' ? Q_NOT : n.op == '-' ? Q_NEG : n.op == '+' ? Q_POS : Q_BNOT;
        if ((o.a = c_node(fn, n.a, nest)) < 0) return -1;
        break;
    case SCR_XC::X_PAREN: return c_node(fn, n.a, nest);
    case SCR_XC::X_CHAIN: {   // left to right, each operator on what came before
        int left = c_node(fn, n.a, nest);
        for (int k = 0; left >= 0 && k < n.n; k++) {
            const SCR_XC::ITEM it = xc.items[n.list + k];
            LX b;
            b.a = left;
            if ((b.b = c_node(fn, it.node, nest)) < 0) return -1;
            static const LK rel[] = {Q_LE, Q_LT, Q_GE, Q_GT};
            b.k = n.op == 6 ? (it.op ? Q_SUB : Q_ADD)
                : n.op == 7 ? (it.op == 0 ? Q_MUL : it.op == 1 ? Q_DIV : Q_MOD)
                : n.op == 4 ? rel[it.op & 3]
                : n.op == 3 ? (it.op ? Q_NE : Q_EQ)
                            : Q_BIN;
            b.lv = n.op;
            b.i = (uint8_t)it.op;
            fn.x.push_back(b);
            left = (int)fn.x.size() - 1;
        }
        return left;
    }
    case SCR_XC::X_LOGIC: {
        o.k = n.op ? Q_OR : Q_AND;
        o.n = n.n;
        if ((o.a = c_node(fn, n.a, nest)) < 0 ||
            (o.list = c_list(fn, n.n, [&](int k) { return c_node(fn, xc.items[n.list + k].node, nest); })) < 0)
            return -1;
        break;
    }
    case SCR_XC::X_COND:
        o.k = Q_COND;
        if ((o.a = c_node(fn, n.a, nest)) < 0 || (o.b = c_node(fn, n.b, nest)) < 0 || (o.c = c_node(fn, n.c, nest)) < 0)
            return -1;
        break;
    case SCR_XC::X_ASG: {
        const SCR_XC::XN &l = xc.nodes[n.a];
        int e = element(l);
        if (e < 0) return -1;
        if (e) {   // a local array's or a reference's element: stored as it is
            if (l.npost || (o.b = c_node(fn, n.b, nest)) < 0) return -1;
            o.k = Q_GSET;
            o.i = n.op;
            break;
        }
        if (l.k == SCR_XC::X_VAR && !l.npost && (l.dims || slot_of(l) < 0)) {   // a global's element: stored as it is
            if (!(o.g = global_of(fn, l)) || (o.g->flags & SF_CONST) || (l.dims && (o.a = c_node(fn, l.a, nest)) < 0) ||
                (l.dims == 2 && (o.c = c_node(fn, l.b, nest)) < 0) || (o.b = c_node(fn, n.b, nest)) < 0)
                return -1;
            o.k = Q_GSET;
            o.i = n.op;
            break;
        }
        if (l.npost || (o.slot = slot_of(l)) < 0 || (fn.consts >> o.slot & 1) || (o.b = c_node(fn, n.b, nest)) < 0) return -1;
        o.k = Q_SET;
        o.i = n.op;
        break;
    }
    case SCR_XC::X_COMMA:
        o.k = Q_COMMA;
        o.n = n.n;
        if ((o.list = c_list(fn, n.n, [&](int k) { return c_node(fn, xc.items[n.list + k].node, nest); })) < 0) return -1;
        break;
    case SCR_XC::X_CALL: {
        // a script function's call (a built-in's name would call the built-in) with its
        // arguments parsed, of a function that has a lean form itself
        const char *p = n.call->at;
        char name[SCR_NAMESIZE];
        if (s.scr_idname(p, name, sizeof name) != 0) return -1;
        if (s.scr_fn_lookup(name)) {
            if ((o.list = c_lib(fn, n, nest)) < 0) return -1;
            o.lib = n.call->lib;
            o.k = strchr("sx", n.call->lib->sig[0]) ? Q_LIBS : Q_LIB;
            o.n = n.call->nlargs;
            o.nest = nest;
            break;
        }
        FTBL_U *f = s.scr_get_ftbl(name);
        // where it may be (a callee without its tree yet, or without a lean form), the regular call
        auto regular = [&] {
            const char *paren;
            if ((o.list = c_regular(fn, n, f, nest, paren)) < 0) return false;
            o.k = Q_CALLR;
            o.rf = f;
            o.at = n.call->at;
            o.paren = (int)(paren - n.call->at);
            o.nest = nest;
            o.n = f->nparam;
            fn.deep = std::max(fn.deep, nest + 4 + n.call->deep);
            fn.regular++;
            return true;
        };
        if (f && !t.ready(f) && regular()) break;
        if (f && !f->tfn) t.build_ahead(f);   // its first run would have built it
        if (f && !f->tfn) fn.later = true;
        if (!f || !f->tfn) return -1;
        if (n.call->args == -2) xc.call_args(n);
        if (n.call->args == -2) fn.later = true;
        if (n.call->args < 0 || n.call->fn != f) return -1;
        for (int k = 0; n.call->ranges && k < n.call->nargs; k++)
            if (!xc.cargs[n.call->args + k].root) return -1;   // a formula's cell range (no body holds one)
        const FN *callee = static_cast<const FN *>(f->lean[fn.cell]);
        if (!callee || (callee->ok < 0 && callee->later && f->lean_tries[fn.cell]++ < 3)) callee = make(f);
        if (callee->ok < 0 && regular()) break;
        if (callee->ok < 0) {
            fn.later |= callee->later;
            return -1;
        }
        auto arg = [&](int k) {
            int r = xc.cargs[n.call->args + k].root;
            // (read inside the call's block: a call there is one level deeper)
            return k < callee->np && (callee->refs >> k & 1) ? c_ref(fn, r, callee->shape[k].dims, callee->shape[k].type)
                                                            : c_root(fn, r, nest + 1);
        };
        if ((o.list = c_list(fn, n.call->nargs, arg)) < 0) return -1;
        o.k = callee->whole_ret ? Q_CALLV : Q_CALL;
        o.fn = callee;
        o.at = n.call->at;
        o.paren = (int)(n.call->paren - n.call->at);
        o.nest = nest;
        o.n = std::min(n.call->nargs, callee->np);
        o.extra = n.call->nargs - o.n;
        fn.deep = std::max(fn.deep, nest + 4 + n.call->deep);
        break;
    }
    case SCR_XC::X_CELL: {   // read relative to the formula's cell, from my as the body's run finds it
        const VTBL_U *my = entry_named(fn, "my");
        if (c_named(fn, "my") || !my || my->nest != 0 || (my->flags & SF_STATIC)) return -1;
        o.k = Q_CELL;
        o.cell = &n;
        break;
    }
    case SCR_XC::X_SIZE:
        o.k = Q_SIZE;
        if ((o.a = c_node(fn, n.a, nest)) < 0) return -1;
        break;
    default: return -1;
    }
    fn.x.push_back(o);
    return (int)fn.x.size() - 1;
}

// The arguments of a regular call of f (a function without its tree yet, or without a lean
// form) as a list, when the call is outside the body's loops (made once a run of the body at
// most, unless a goto runs it again), each parameter takes a value and each argument is one;
// -1 otherwise. So a body that runs once (main with a loop) leaves its callees to their
// regular first runs (their trees and lean forms are not made ahead), and a function that
// cannot be lean keeps its caller from being lean only where it is called in a loop.
int SCR_LEAN::c_regular(FN &fn, const SCR_XC::XN &n, const FTBL_U *f, int nest, const char *&paren)
{
    // (every tree built at its first run, KOVASH_TREE=2: every callee's form made too, as before)
    if (fn.no_regular || fn.in_loops || fn.cell || s.scr_tree_mode == 2 || !f->text || f->nparam > SLOTS ||
        std::find(fn.ahead.begin(), fn.ahead.end(), n.call->at) != fn.ahead.end())
        return -1;
    for (int k = 0; k < f->nparam; k++)
        if (f->param(k).type != VT_VAR || (f->param(k).flags & SF_REF)) return -1;
    SCR_XC &xc = *s.scr_xc;
    const char *p = n.call->at;
    char name[SCR_NAMESIZE];
    if (s.scr_idname(p, name, sizeof name) != 0 || s.scr_match_key(p, "(") != 0) return -1;
    paren = p;
    std::vector<XC_ARG> list;
    if (xc.parse_args(p, list) != 0 || p != n.call->end || (int)list.size() != f->nparam) return -1;
    // An argument after the first that changes something (a store, a step, a call) may reach
    // the host, whose views show the arguments before it as entries: such a call stays a lean
    // call (call_vals), else it would be regular at every run. (Told from the parse, before
    // anything is made: nested calls are not made twice.)
    auto changes = [&](int r) {
        const SCR_XC::ROOT &rt = xc.roots[r - 1];
        for (int k = rt.first; k <= rt.node && !rt.calls; k++) {
            const SCR_XC::XN &v = xc.nodes[k];
            if (v.k == SCR_XC::X_ASG || v.k == SCR_XC::X_PRE || (v.k == SCR_XC::X_VAR && v.npost)) return true;
        }
        return rt.calls;
    };
    for (size_t k = 0; k < list.size(); k++)
        if (!list[k].root || (k > 0 && changes(list[k].root))) return -1;
    // (read inside the call's block: a call there is one level deeper)
    return c_list(fn, (int)list.size(), [&](int k) { return c_root(fn, list[k].root, nest + 1); });
}

// The arguments of a built-in's call as a list, when every argument is parsed and each is a
// number or a text to it, or a gadget named by a global (a plain name, as the call reads it);
// its value a number, a text or a whole value.
int SCR_LEAN::c_lib(FN &fn, const SCR_XC::XN &n, int nest)
{
    SCR_XC &xc = *s.scr_xc;
    const FN_DEF *d = xc.lib_of(n);
    if (!d || !d->fn || !strchr("ilLdfvsx", d->sig[0]) || n.call->largs < 0) return -1;
    int fixed = 0;
    bool tail = false;
    for (const char *c = d->sig + 1; *c; c++) {
        if (*c == '.' && !c[1]) tail = true;
        else if (!strchr("ilLdfsg", *c)) return -1;
        else fixed++;
    }
    if (n.call->nlargs < fixed || n.call->nlargs > fixed + (tail ? 17 : 0)) return -1;
    const char *p = n.call->nlargs ? xc.cargs[n.call->largs + n.call->nlargs - 1].end : n.call->lparen;   // the parsed arguments are all
    if (s.scr_match_key(p, ")") != 0 || p != n.call->end) return -1;
    fn.deep = std::max(fn.deep, nest + 4 + n.call->deep);
    return c_list(fn, n.call->nlargs, [&](int k) {
        const XC_ARG &a = xc.cargs[n.call->largs + k];
        return k < fixed && d->sig[1 + k] == 'g' ? c_gadget(fn, a) : c_root(fn, a.root, nest);
    });
}

// A gadget argument: a local array's, a global's or a static's name alone, its storage taken
// at the call.
int SCR_LEAN::c_gadget(FN &fn, const XC_ARG &a)
{
    SCR_XC &xc = *s.scr_xc;
    const SCR_XC::XN &v = xc.nodes[xc.roots[a.root - 1].node];
    const char *p = a.at;   // the name the call reads
    char name[SCR_NAMESIZE];
    if (!v.plain_name() || s.scr_idname(p, name, sizeof name) != 0 ||
        strcmp(name, xc.name_of(v)) != 0)
        return -1;
    return c_storage(fn, v);
}

// A name standing for storage (a gadget argument, an argument by reference): a local's own (an
// array's, a cell's, a reference's) or a global's or a static's entry; -1 none.
int SCR_LEAN::c_storage(FN &fn, const SCR_XC::XN &v)
{
    if (!v.plain_name()) return -1;
    LX o;
    o.k = Q_GADGET;
    if ((o.slot = c_slot(fn, s.scr_xc->name_of(v))) >= 0) {
        if (!(fn.arrays >> o.slot & 1)) return -1;
        o.local = true;
    } else {
        VTBL_U *g = entry_of(fn, v);
        if (!g || (g->nest != 0 && !(g->flags & SF_STATIC))) return -1;
        o.g = g;
    }
    fn.x.push_back(o);
    return (int)fn.x.size() - 1;
}

// An argument by reference: a name the regular call finds as a variable of the parameter's type
// and dimensions (a global, a static, a local array, a reference passed on), read as its storage
// at the call.
int SCR_LEAN::c_ref(FN &fn, int root, int dims, int type)
{
    SCR_XC &xc = *s.scr_xc;
    const SCR_XC::XN &v = xc.nodes[xc.roots[root - 1].node];
    int k = v.plain_name() ? c_slot(fn, xc.name_of(v)) : -1;
    if (k >= 0 && (fn.consts >> k & 1)) return -1;
    if (!dims && type == VT_VAR && k >= fn.np && !(fn.arrays >> k & 1)) fn.want_cells |= MASK(1) << k;   // a local scalar: its storage a cell then
    int i = c_storage(fn, v);
    if (i < 0) return -1;
    const LX &o = fn.x[i];
    const VTBL_U *g = o.g;
    bool var = type == VT_VAR;
    if (o.local ? fn.shape[o.slot].dims != dims || fn.shape[o.slot].type != type
                : g->type != type || (g->flags & SF_CONST) || !g->vtb_gajet_pt || (var && !gj_vars_of(g->vtb_gajet_pt)) ||
                      g->vtb_dims() != dims) {
        fn.x.pop_back();
        return -1;
    }
    return i;
}

// ---- running ----

// An operand: a number or a slot without the call.
[[gnu::always_inline]] inline double SCR_LEAN::opnd(FR &f, const LX &x)
{
    if (x.k == Q_SLOT) return f.v[x.slot];
    if (x.k == Q_NUM) return x.num;
    return x.ef(*this, f, x);
}

inline double SCR_LEAN::ev(FR &f, const LX &x)
{
    return x.ef(*this, f, x);
}


// The last return's value of a run, given to scr_retval at its end; a run inside it keeps its own.
struct SCR_LEAN::LAST {
    SCR_LEAN &l;
    bool set, whole;
    double num;
    VAL_U v;
    explicit LAST(SCR_LEAN &l) : l(l), set(l.ret_set), whole(l.ret_last_whole), num(l.ret_last)
    {
        if (whole) v.val_copy(l.ret_lastv);
        l.ret_set = l.ret_last_whole = false;
        l.ret_last = 0;
    }
    void give()
    {
        if (!l.ret_set) return;
        if (l.ret_last_whole) l.s.scr_retval.val_copy(l.ret_lastv);
        else l.s.scr_retval.val_putd(l.ret_last);
    }
    ~LAST()
    {
        l.ret_set = set;
        l.ret_last_whole = whole;
        l.ret_last = num;
        if (whole) l.ret_lastv.val_copy(v);
    }
};

uint32_t SCR_LEAN::takes_values(const FN &fn)
{
    return fn.ok > 0 ? uint32_t(fn.pbox) : ~0u;   // (made again and refused: no call of it matches)
}

int SCR_LEAN::call(const FN &fn, const char *at, const char *paren, const double *args, VAL_U *vals, VAL_U &val)
{
    LAST last(*this);
    char owner[SCR_NAMESIZE];
    scr_name_cpy(owner, s.ctx.func_name);
    bool failed = false;
    runs++;
    try {
        SCR_U::MARK mark(s, at, paren);
        if (s.func_depth >= SCR_MAXCALL) return 1;   // the regular call says so
        SCR_SET<int> depth(s.func_depth, s.func_depth + 1);
        SCR_U::MARK def(s, "SCR_U::scr_function_definition", fn.f->text);
        FR g;
        g.fn = &fn;
        g.base = s.ctx.scr_nest + 1;
        g.owner = owner;
        memcpy(g.v, args, sizeof(double) * fn.np);
        g.pv = fn.pbox ? vals : nullptr;
        if (fn.whole_ret) g.rv = &val;
        double v;
        int r = run(fn, g, v);
        if (!fn.whole_ret || r != TR_RETURN) val.val_putd(r == TR_RETURN ? v : 0);
    } catch (FAIL) {
        failed = true;
    }
    s.scr_ret_pending = 0;
    last.give();
    return failed ? -1 : 0;
}

int SCR_LEAN::body_of(const FTBL_U *f)
{
    if (s.ctx.cel_x != SCR_NOCELL || !may_start()) return 1;
    const FN *fn = form(f);
    return fn ? body(*fn) : 1;
}

int SCR_LEAN::body(const FN &fn)
{
    FR g;
    SCR_U::VALS<SLOTS> pv;
    if (fn.pbox) g.pv = pv.upto(newest(fn.pbox) + 1);
    BASE_GJ *ra[SLOTS];
    g.ra = ra;
    for (int a = 0; a < fn.np; a++) {
        VTBL_U *e = s.scr_get_vtbl(fn.name[a].data());
        if (!e || e->nest != s.ctx.scr_nest) return 1;
        g.vt[a] = e;
        g.av[a] = nullptr;
        if (fn.refs >> a & 1) {   // the storage its entry shares with the caller's variable
            g.v[a] = 0;
            BASE_GJ *st = e->vtb_gajet_pt;
            if (!st || (e->flags & SF_CONST) || !(ra[a] = fn.parts >> a & 1 ? st : gj_vars_of(st))) return 1;
            continue;
        }
        const VAR_GJ *gv = e->type == VT_VAR && !(e->flags & SF_CONST) ? e->vtb_vars() : nullptr;
        if (!gv || gv->gj_dims() != 0) return 1;
        const VAL_U *v = gv->gj_peek(0, 0);   // (null: never stored, empty)
        if (fn.pbox >> a & 1) {
            if (v) g.pv[a].val_copy(v);
        } else if (v && v->val_kind == VAL_NUM) {
            g.v[a] = v->val_num;
        } else {
            return 1;
        }
    }
    g.mat = fn.np > 0;   // (its end ends the parameters' entries, as the call's block would next)
    LAST last(*this);
    bool failed = false;
    runs++;
    s.ctx.sw_nest = s.ctx.loop_nest = s.ctx.brk_flag = s.ctx.cnt_flag = 0;
    try {
        g.fn = &fn;
        g.base = s.ctx.scr_nest;
        VAL_U rv;
        if (fn.whole_ret) g.rv = &rv;
        double v;
        if (run(fn, g, v) == TR_RETURN) s.scr_ret_pending = 1;
    } catch (FAIL) {
        failed = true;
    }
    last.give();
    return failed ? -1 : 0;
}

// One activation: the frame on the chain while it runs (its entries, if the host was called,
// go with it).
int SCR_LEAN::run(const FN &fn, FR &f, double &val)
{
    struct PUSH {
        SCR_LEAN &l;
        FR &f;
        PUSH(SCR_LEAN &l, FR &f) : l(l), f(f)
        {
            f.up = l.top;
            l.top = &f;
        }
        ~PUSH()
        {
            if (f.mat || f.nav) l.unmake(f);
            l.top = f.up;
        }
    } push(*this, f);
    SCR_U::VALS<SLOTS> boxes;   // the boxed locals' values, up to the last boxed slot
    struct ARRAYS {   // the storage of array locals and references: the frame's count on each, given back at its end
        BASE_GJ *g[SLOTS];
        MASK made = 0;
        ~ARRAYS()
        {
            for (MASK m = made; m; m &= ~(MASK(1) << newest(m))) {   // the newest first, as entries go
                BASE_GJ *v = g[newest(m)];
                if (v->gj_count >= 0 && --v->gj_count < 1) delete v;
            }
        }
    } arrays;
    f.held = &arrays.made;
    if (fn.setup) {   // (a function of numbers alone has none)
        if (fn.boxed) f.box = boxes.upto(newest(fn.boxed) + 1);
        for (MASK m = fn.pbox; m; m &= m - 1) {   // the parameters' values, as their callers gave them
            int k = first(m);
            if (f.pv) f.box[k] = std::move(f.pv[k]);
            else f.box[k].val_putd(f.v[k]);
        }
        if (fn.arrays) f.arr = arrays.g;
        for (MASK m = fn.refs; m; m &= m - 1) {   // held as a parameter's entry holds it
            int k = first(m);
            BASE_GJ *v = f.ra[k];
            if (v->gj_count >= 0) v->gj_count++;
            arrays.g[k] = v;
            arrays.made |= MASK(1) << k;
        }
        if (fn.nbody) declare(f, fn.np, fn.nbody);
    }
    int r = block(f, *fn.proot);
    while (r == TR_JUMP) r = seek_block(f, *fn.proot);   // the body entered again at the label
    val = f.ret;
    return r;
}

// Statement n, on the path to the label f.seek, entered as the regular run enters it seeking
// the label: no hook and no expression till the label, a branch or body taken without its
// condition, what is passed before the path replayed, the rest run as usual once it is found.
int SCR_LEAN::seek(FR &f, const LS &n)
{
    SCR_U::MARK mark(s, "SCR_U::scr_stat", n.at);
    if (errs()) t.prologue();
    try {
        return seek_in(f, n);
    } catch (FAIL) {
        failed_at(n.at);   // a loop entered by the goto fails where it goes on (its condition, its step)
        throw;
    }
}

int SCR_LEAN::seek_in(FR &f, const LS &n)
{
    switch (n.k) {
    case TN_BLOCK: return seek_block(f, n);
    case TN_LABEL:
        if (&n != f.seek) return seek(f, *n.pa);
        f.seek = nullptr;   // runs from here
        return st(f, *n.pa);
    case TN_IF: {
        if (n.pb && !on_path(f, *n.pa)) {
            if (errs()) t.replay(n.pa->tn);
            return seek(f, *n.pb);
        }
        int r = seek(f, *n.pa);
        if (r != TR_JUMP && n.pb && errs()) t.replay(n.pb->tn);
        return r;
    }
    case TN_SWITCH: return sw(f, n);
    case TN_WHILE:
    case TN_DO:
    default: return loop_after(f, n, seek(f, *n.pa));
    }
}

// A block's names end with it.
struct SCR_LEAN::SCOPE {
    SCR_LEAN &l;
    FR &f;
    MASK mask;
    SCOPE(SCR_LEAN &l, FR &f, MASK mask) : l(l), f(f), mask(mask) {}
    ~SCOPE() { l.undeclare(f, mask); }
};

// A block on the path: its names declared afresh without their initial values (the body's stay).
int SCR_LEAN::seek_block(FR &f, const LS &n)
{
    SCOPE scope(*this, f, &n != f.fn->proot ? block_slots(n) : 0);
    if (scope.mask) declare(f, n.d0, n.dn, false);   // afresh, without their initial values
    s.err_nowscr[0] = 0;
    s.err_nowfnc[0] = 0;
    const LS *p = f.seek;   // the statement of n the label is in: a jump costs the label's depth
    while (p && p->up != &n) p = p->up;
    int k = p ? p->kid : n.n;
    if (errs()) t.replay_run(n.tlist, k);
    int r = k < n.n ? seek(f, *n.kids[k]) : TR_NEXT;
    for (k++; r == TR_NEXT && k < n.n; k++) r = st(f, *n.kids[k]);
    if (r != TR_NEXT && r != TR_JUMP && errs()) t.replay_run(n.tlist + k, n.n - k);
    return r;
}


// Whether statement n holds the label sought.
bool SCR_LEAN::on_path(const FR &f, const LS &n)
{
    for (const LS *p = f.seek; p; p = p->up)
        if (p == &n) return true;
    return false;
}

// The declarations of locals first .. first + n - 1 as they run: each clears the current
// errors; a local is empty while its initializer runs (a box holds nothing); an array's storage
// is made (the frame's count on it).
void SCR_LEAN::declare(FR &f, int first, int n, bool values)
{
    const FN &fn = *f.fn;
    for (int slot = first; slot < first + n; slot++) {
        int k = slot - fn.np;
        s.err_nowscr[0] = 0;
        s.err_nowfnc[0] = 0;
        f.live |= MASK(1) << slot;
        f.set &= ~(MASK(1) << slot);
        try {
            if (fn.arrays >> slot & 1) {
                const FN::SHAPE &sh = fn.shape[slot];
                bool stat = fn.statics >> slot & 1;   // the link's storage, held while the frame is
                BASE_GJ *v = stat                      ? fn.stat[k]->vtb_gajet_pt
                             : fn.parts >> slot & 1 ? scr_gajet_newpt(s.scr_gjmaker, sh.type)
                                                    : new (std::nothrow) VAR_GJ(sh.x, sh.y, sh.dims);
                if (!v) {
                    s.scr_err_nomem();
                    s.err_define(fn.name[slot].data());
                    throw FAIL{};
                }
                if (!stat) v->gj_count = 1;
                else if (v->gj_count >= 0) v->gj_count++;
                f.arr[slot] = v;
                *f.held |= MASK(1) << slot;
                f.set |= MASK(1) << slot;
                if (fn.pinit[k] && values) initial(f, *fn.pinit[k], 0, 0, slot);   // a cell's initial value
                for (int e = sh.e0; values && e < sh.e0 + sh.en; e++) initial(f, *fn.elems[e].pe, fn.elems[e].x, fn.elems[e].y, slot);
            } else if (fn.boxed >> slot & 1) {
                f.box[slot].val_clear();   // (its initial value may read it: a new variable, empty)
                if (!fn.pinit[k] || !values) continue;
                VAL_U t;
                const VAL_U *v = vref(f, *fn.pinit[k], t);
                f.box[slot].val_copy(v);
                f.set |= MASK(1) << slot;
            } else if (fn.pinit[k] && values) {
                f.v[slot] = ev(f, *fn.pinit[k]);
                f.set |= MASK(1) << slot;
            }
        } catch (FAIL) {   // a failed declaration is read again as a statement, which fails
            const char *at = fn.idecl[k];
            s.scr_skip_space(at);
            t.decl_failed(at, [&] {
                SCR_U::MARK mark(s, "SCR_U::scr_stat", at);
                step(f, fn.lnest[k], at);
                t.prologue();
            });
            throw;
        }
    }
}

int SCR_LEAN::scoped_st(SCR_LEAN &l, FR &f, const LS &n)
{
    return l.scoped(f, n);
}

// An initial value into element (x, y) of a local's storage, as the declaration stores it.
void SCR_LEAN::initial(FR &f, const LX &e, int x, int y, int slot)
{
    VAL_U t, none;
    const VAL_U *v = vref(f, e, t);
    if (f.arr[slot]->gj_putv(x, y, v ? *v : none) != 0)
        s.scr_set_SCRERR("%s@%s 初期値設定失敗", f.fn->f->name, f.fn->name[slot].data());
}

// An inner block that declares names: they end with it (their entries, if a view made them).
int SCR_LEAN::scoped(FR &f, const LS &n)
{
    SCOPE scope(*this, f, block_slots(n));
    declare(f, n.d0, n.dn);
    return block(f, n);
}

void SCR_LEAN::undeclare(FR &f, MASK mask)
{
    f.live &= ~mask;
    for (MASK m = *f.held & mask; m; m &= ~(MASK(1) << newest(m))) {   // its storage given back, the newest first
        BASE_GJ *v = f.arr[newest(m)];
        if (v->gj_count >= 0 && --v->gj_count < 1) delete v;
    }
    *f.held &= ~mask;
    if (!(f.made & mask)) return;
    for (VTBL_U **link = &s.vtbl_top; *link;) {
        VTBL_U *v = *link;
        bool mine = false;
        for (MASK m = f.made & mask; m && !mine; m &= m - 1) mine = v == f.vt[first(m)];
        if (!mine) {
            link = &v->next;
            continue;
        }
        *link = v->next;
        v->next = nullptr;
        delete v;
    }
    f.made &= ~mask;
    s.vt_bump();
}

int SCR_LEAN::block(FR &f, const LS &b)
{
    s.err_nowscr[0] = 0;   // the reader's last look for a declaration
    s.err_nowfnc[0] = 0;
    for (int k = 0; k < b.n; k++) {
        int r = st(f, *b.kids[k]);
        if (r == TR_NEXT) continue;
        if (r != TR_JUMP && errs()) t.replay_run(b.tlist + k + 1, b.n - k - 1);
        return r;
    }
    return TR_NEXT;
}

// The hook before a statement: a lean run's context stays that of its start (the run pass, not
// suppressed).
[[gnu::always_inline]] inline void SCR_LEAN::step(FR &f, int nest, const char *at)
{
    if (s.scr_hook_quiet_run()) s.scr_hook_quiet--;
    else hook(f, nest, at);
}

// Per statement what the runner does before it (the mark, the hook, the prologue), then the
// statement's own kind.
[[gnu::always_inline]] inline int SCR_LEAN::st(FR &f, const LS &n)
{
    SCR_U::MARK mark(s, "SCR_U::scr_stat", n.at);
    step(f, n.nest, n.at);
    if (errs()) t.prologue();   // most statements find no error text
    try {
        if (n.k == TN_EXP) {   // the usual one, without the call
            ev(f, *n.px[0]);
            return TR_NEXT;
        }
        return n.sf(*this, f, n);
    } catch (FAIL) {
        failed_at(n.at);
        throw;
    }
}

// The innermost failing statement is where the error is.
void SCR_LEAN::failed_at(const char *at)
{
    if (s.scr_errpos) return;
    s.scr_skip_space(at);
    s.scr_errpos = at;
}

template <int K> int SCR_LEAN::stk(SCR_LEAN &l, FR &f, const LS &n)
{
    switch (K) {
    case TN_EXP: l.ev(f, *n.px[0]); return TR_NEXT;
    case TN_IF:
        if (l.opnd(f, *n.px[0]) != 0) {
            int r = l.st(f, *n.pa);
            if (n.pb && r != TR_JUMP && l.errs()) l.t.replay(n.pb->tn);
            return r;
        }
        if (l.errs()) l.t.replay(n.pa->tn);
        return n.pb ? l.st(f, *n.pb) : TR_NEXT;
    case TN_WHILE:
    case TN_DO:
    case TN_FOR: return l.loop(f, n);
    case TN_BLOCK: return l.block(f, n);
    case TN_BREAK: return TR_BREAK;
    case TN_CONTINUE: return TR_CONTINUE;
    case TN_SWITCH: return l.sw(f, n);
    case TN_LABEL: return l.st(f, *n.pa);
    case TN_GOTO:
        f.seek = n.pto;
        return TR_JUMP;
    case TN_RETURN:
        try {
            if (f.rv) return l.ret_whole(f, n);
            f.ret = n.type <= VT_VOID ? 0 : n.px[0] ? l.opnd(f, *n.px[0]) : -1;
        } catch (FAIL) {
            l.s.scr_set_SCRERR("return に戻値がない");
            throw;
        }
        l.ret_set = true;
        l.ret_last = f.ret;
        l.ret_last_whole = false;
        return TR_RETURN;
    default: return TR_NEXT;   // the empty statement
    }
}

// A return of a form whose returns give values whole: into the caller's value.
int SCR_LEAN::ret_whole(FR &f, const LS &n)
{
    VAL_U &r = *f.rv;
    if (n.type <= VT_VOID || !n.px[0]) {
        r.val_putd(n.type <= VT_VOID ? 0 : -1);
    } else if (whole(n.px[0]->k)) {
        VAL_U t;
        const VAL_U *v = vref(f, *n.px[0], t);
        if (v != &r) r.val_copy(v);
    } else {
        r.val_putd(opnd(f, *n.px[0]));
    }
    ret_set = ret_last_whole = true;
    ret_lastv.val_copy(r);
    return TR_RETURN;
}

const SCR_LEAN::STF SCR_LEAN::stf[] = {
    &stk<TN_EXP>, &stk<TN_EMPTY>, &stk<TN_BLOCK>, &stk<TN_IF>, &stk<TN_WHILE>, &stk<TN_DO>,
    &stk<TN_FOR>, &stk<TN_BREAK>, &stk<TN_CONTINUE>, &stk<TN_RETURN>, &stk<TN_SWITCH>,
    &stk<TN_EMPTY>, &stk<TN_EMPTY>,   // case labels run only from their switch (SCR_LEAN::switched)
    &stk<TN_LABEL>, &stk<TN_GOTO>};
static_assert(TN_GOTO == 14, "one run per lean statement kind (SCR_LEAN::stf)");

// A switch: a pass over its statements selects by the labels, a second one the default when
// nothing matched; the statements not selected, and those after a break, are read. Entered by a
// goto: no value, no label selects, it runs on from the goto's label.
int SCR_LEAN::sw(FR &f, const LS &n)
{
    SW w;
    w.seek = f.seek != nullptr;
    if (!w.seek) w.value = scr_trunc32(opnd(f, *n.px[0]));
    int jump = TR_NEXT;
    for (int pass = 0; pass < 2; pass++) {
        w.running = false;
        for (int k = 0; k < n.n; k++) {
            int r = switched(f, *n.kids[k], w);
            if (r == TR_NEXT) continue;
            if (r == TR_JUMP) return r;
            jump = r;
            w.running = false;   // no label after it selects: each value is listed once, one default
        }
        if (w.seek || w.matched || !w.defaults || w.default_run) break;
        w.default_run = true;
    }
    return jump == TR_BREAK ? TR_NEXT : jump;
}

int SCR_LEAN::switched(FR &f, const LS &n, SW &w)
{
    if (n.k != TN_CASE && n.k != TN_DEFAULT) {
        if (w.running) return st(f, n);
        if (f.seek && on_path(f, n)) {   // the goto's label is in it
            w.running = true;
            return seek(f, n);
        }
        if (errs()) t.replay(n.tn);
        return TR_NEXT;
    }
    SCR_U::MARK mark(s, "SCR_U::scr_stat", n.at);
    if (w.running) step(f, n.nest, n.at);
    if (errs()) t.prologue();
    if (!w.seek && n.k == TN_CASE && n.value == w.value) w.matched = w.running = true;
    if (n.k == TN_DEFAULT) {
        w.defaults = true;
        if (w.default_run) w.running = true;
    }
    return switched(f, *n.pa, w);
}

// What follows each run of a loop's body: do's condition, for's step (either may be none).
struct SCR_LEAN::PASS {
    const LX *until, *step;
    explicit PASS(const LS &n) : until(n.k == TN_DO ? n.px[0] : nullptr), step(n.k == TN_FOR ? n.px[2] : nullptr) {}
};

// After a body's run: whether the loop goes on.
[[gnu::always_inline]] inline bool SCR_LEAN::after(FR &f, const PASS &p)
{
    if (p.until) return opnd(f, *p.until) != 0;
    if (p.step) ev(f, *p.step);
    return true;
}

int SCR_LEAN::loop(FR &f, const LS &n)
{
    if (n.k == TN_FOR && n.px[0]) ev(f, *n.px[0]);
    return loop_on(f, n);
}

// A loop from its condition.
int SCR_LEAN::loop_on(FR &f, const LS &n)
{
    const LX *cond = n.k == TN_WHILE ? n.px[0] : n.k == TN_FOR ? n.px[1] : nullptr;
    const PASS pass(n);   // (known before the first pass)
    for (;;) {
        bool flag = !cond || opnd(f, *cond) != 0;
        int r = TR_NEXT;
        if (flag) r = st(f, *n.pa);
        else if (errs()) t.replay(n.pa->tn);
        static_assert(TR_JUMP > TR_RETURN && TR_RETURN > TR_BREAK, "the results that leave a loop");
        if (r >= TR_RETURN) return r;
        if (r == TR_BREAK || !flag || !after(f, pass)) return TR_NEXT;
    }
}

// A loop whose body a goto entered, after the body gave r.
int SCR_LEAN::loop_after(FR &f, const LS &n, int r)
{
    if (r >= TR_RETURN) return r;
    if (r == TR_BREAK || !after(f, PASS(n))) return TR_NEXT;
    return loop_on(f, n);
}

// Two values compared by x's operator: texts as texts, else their numbers (nothing is 0).
[[gnu::always_inline]] static inline double compare(const LX &x, const VAL_U *a, const VAL_U *b)
{
    if (a && b && a->val_kind == VAL_STR && b->val_kind == VAL_STR) return scr_textop(x.lv, x.i, a->val_gets(), b->val_gets());
    double p = a ? a->val_getd() : 0, q = b ? b->val_getd() : 0;
    if (x.lv == 4) return x.i == 0 ? p <= q : x.i == 1 ? p < q : x.i == 2 ? p >= q : p > q;   // the usual: an order
    return scr_numop(x.lv, x.i, p, q);
}

// r stored into the local of a store x.
[[gnu::always_inline]] inline double SCR_LEAN::stored(FR &f, const LX &x, double r)
{
    if (x.chk) f.set |= MASK(1) << x.slot;   // what the variable view shows
    return f.v[x.slot] = r;
}

// The arithmetic and comparison operators of numbers (Q_ADD .. Q_NE).
template <int K> [[gnu::always_inline]] static inline double num_op(double a, double b)
{
    switch (K) {
    case Q_ADD: return a + b;
    case Q_SUB: return a - b;
    case Q_MUL: return a * b;
    case Q_DIV: return b == 0 ? 0 : a / b;
    case Q_MOD: {
        int64_t i = scr_trunc64(a), j = scr_trunc64(b);
        return j == 0 || j == -1 ? 0 : (double)(i % j);
    }
    case Q_LE: return a <= b;
    case Q_LT: return a < b;
    case Q_GE: return a >= b;
    case Q_GT: return a > b;
    case Q_EQ: return a == b;
    default: return a != b;   // Q_NE
    }
}

template <int K> double SCR_LEAN::evk(SCR_LEAN &l, FR &f, const LX &x)
{
    switch (K) {
    case Q_NUM: return x.num;
    case Q_SLOT: return f.v[x.slot];   // set: the form reads no local before it is
    case Q_ADD:
    case Q_SUB:
    case Q_MUL:
    case Q_DIV:
    case Q_MOD:
    case Q_LE:
    case Q_LT:
    case Q_GE:
    case Q_GT:
    case Q_EQ:
    case Q_NE: {
        double a = l.opnd(f, *x.pa);
        return num_op<K>(a, l.opnd(f, *x.pb));
    }
    case Q_BIN: {
        double a = l.opnd(f, *x.pa);
        return scr_numop(x.lv, x.i, a, l.opnd(f, *x.pb));
    }
    case Q_NOT: return l.opnd(f, *x.pa) == 0;
    case Q_SIZE: {   // (nothing has no size)
        VAL_U t;
        const VAL_U *v = l.vref(f, *x.pa, t);
        return v ? SCR_U::scr_sizeof_val(*v) : 0;
    }
    case Q_NEG: return -l.opnd(f, *x.pa);
    case Q_POS: return l.opnd(f, *x.pa);
    case Q_BNOT: return (double)~scr_trunc64(l.opnd(f, *x.pa));
    case Q_AND:
    case Q_OR: {   // an operand the value does not need is read suppressed: without effect
        double v = l.opnd(f, *x.pa);
        for (int k = 0; k < x.n; k++) {
            bool left = v != 0;
            if (K == Q_OR ? left : !left) {
                v = left;
                continue;
            }
            v = l.opnd(f, *x.pl[k]) != 0;
        }
        return v;
    }
    case Q_COND: return l.opnd(f, *x.pa) != 0 ? l.opnd(f, *x.pb) : l.opnd(f, *x.pc);
    case Q_SET: {
        double r = l.opnd(f, *x.pb);
        if (x.i) r = scr_asg_num(x.i, f.v[x.slot], r);
        return stored(f, x, r);
    }
    case Q_PRE: return f.v[x.slot] += x.inc;
    case Q_POST: {
        double d = f.v[x.slot];
        for (int k = 0; k < x.n; k++) f.v[x.slot] += (x.post >> k) & 1 ? 1 : -1;
        return d;
    }
    case Q_CALL: return l.call_in(f, x, nullptr);
    case Q_CALLV: {   // a text or nothing is 0 to an operator
        VAL_U v;
        l.call_in(f, x, &v);
        return v.val_getd();
    }
    case Q_CALLR: return l.call_rnum(f, x);
    case Q_GPRE:
    case Q_GPOST: {
        VAL_U v;
        l.gstep(f, x, v);
        return v.val_getd();
    }
    case Q_CONDV: {   // a text or nothing is 0 to an operator
        VAL_U t;
        const VAL_U *v = l.vref(f, l.opnd(f, *x.pa) != 0 ? *x.pb : *x.pc, t);
        return v ? v->val_getd() : 0;
    }
    case Q_COMMA: {
        double v = 0;
        for (int k = 0; k < x.n; k++) v = l.ev(f, *x.pl[k]);
        return v;
    }
    case Q_COMMAV: {   // a text or nothing is 0 to an operator
        VAL_U t;
        const VAL_U *v = l.vref(f, x, t);
        return v ? v->val_getd() : 0;
    }
    case Q_GGET: {   // a text or nothing is 0 to an operator
        const VAL_U *v = l.peek(f, x);
        return v ? v->val_getd() : 0;
    }
    case Q_JGET: {
        VAL_U t;
        l.jread(f, x, t);
        return t.val_getd();
    }
    case Q_CELL: {
        VAL_U t;
        l.cell_read(f, x, t);
        return t.val_getd();
    }
    case Q_GSET: {
        VAL_U r;
        l.gstore(f, x, r);
        return r.val_getd();
    }
    case Q_BGET: return f.box[x.slot].val_getd();
    case Q_BSET: {
        VAL_U t;
        l.bstore(f, x, t);
        return f.box[x.slot].val_getd();
    }
    case Q_BPRE: {   // a text or nothing steps from 0, as an operator reads it
        VAL_U &b = f.box[x.slot];
        double d = b.val_getd() + x.inc;
        b.val_putd(d);
        f.set |= MASK(1) << x.slot;
        return d;
    }
    case Q_BPOST: {
        VAL_U t;
        l.bpost(f, x, t);
        return t.val_getd();
    }
    case Q_STR: return x.lit->val_getd();
    case Q_LIB:
    case Q_LIBS: {   // a text is 0 to an operator
        VAL_U v;
        l.lib_in(f, x, v);
        return v.val_getd();
    }
    case Q_VCMP: {   // two texts compare as texts; the right side may change the left element
        if (x.held) return compare(x, l.held(f, *x.pa), l.held(f, *x.pb));   // elements or boxes, the right one pure: as they are
        VAL_U ta, tb;
        const VAL_U *a = l.vref(f, *x.pa, ta);
        if (a && a != &ta && !x.pb->pure) a = (ta.val_copy(a), &ta);
        return compare(x, a, l.vref(f, *x.pb, tb));
    }
    }
    return 0;
}

// The element a global node names: its index as an element reference reads it (the same checks,
// the same messages); index2 its row and column of an array of rows.
[[gnu::always_inline]] inline int SCR_LEAN::index(FR &f, const LX &x)
{
    return x.pa ? index_in(f, x, scr_trunc32(opnd(f, *x.pa))) : 0;
}

// Index i of x, checked.
int SCR_LEAN::index_in(FR &f, const LX &x, int i)
{
    if (i < 0 || i > 999) {
        s.scr_set_SCRERR("xo=%d yo=%d", i, 0);
        throw FAIL{};
    }
    int xs = x.local ? vars(f, x)->gj_xs() : x.g->vtb_xs();
    if (xs > 0 && i >= xs) {
        s.scr_set_SCRERR("無効アクセス:%s[%d][%d]", name_of(f, x), 0, i);
        throw FAIL{};
    }
    return i;
}

int SCR_LEAN::index2(FR &f, const LX &x, int &y)
{
    y = scr_trunc32(opnd(f, *x.pa));
    int i = scr_trunc32(opnd(f, *x.pc));
    if (i < 0 || i > 999 || y < 0 || y > 999999) {
        s.scr_set_SCRERR("xo=%d yo=%d", i, y);
        throw FAIL{};
    }
    int xs, ys;
    if (x.part) {   // a grid (the call checked the kind of a part given): its sizes asked
        const BASE_GJ *g = f.arr[x.slot];
        xs = g->gj_xs(), ys = g->gj_ys();
    } else {
        xs = x.local ? vars(f, x)->gj_xs() : x.g->vtb_xs(), ys = x.local ? vars(f, x)->gj_ys() : x.g->vtb_ys();
    }
    if ((xs > 0 && i >= xs) || (ys >= 1 && y >= ys)) {
        s.scr_set_SCRERR("無効アクセス:%s[%d][%d]", name_of(f, x), y, i);
        throw FAIL{};
    }
    return i;
}

// The form reads and stores elements of slots that hold a var's storage (parts: x.part).
VAR_GJ *SCR_LEAN::vars(FR &f, const LX &x)
{
    return static_cast<VAR_GJ *>(f.arr[x.slot]);
}

// The storage of an element node: a local array's, or what its global holds now.
BASE_GJ *SCR_LEAN::storage(FR &f, const LX &x)
{
    return x.local ? f.arr[x.slot] : x.g->vtb_gajet_pt;
}

const char *SCR_LEAN::name_of(FR &f, const LX &x)
{
    return x.local ? f.fn->name[x.slot].data() : x.g->name;
}

// Whether element i of x is in the row x keeps, and the row still where it was.
[[gnu::always_inline]] inline bool SCR_LEAN::in_row(const LX &x, int i) const
{
    return (unsigned)i < (unsigned)x.rc->len && s.vt_valid(x.rc->gen);
}

// An element (null: never stored, nothing).
[[gnu::always_inline]] inline const VAL_U *SCR_LEAN::peek(FR &f, const LX &x)
{
    if (x.pc) return peek2(f, x);
    int i = x.pa ? scr_trunc32(opnd(f, *x.pa)) : 0;   // the usual one: a scalar or a row
    if (in_row(x, i)) return &x.rc->row[i];   // (inside what was checked)
    return peek_in(f, x, i);
}

const VAL_U *SCR_LEAN::peek_in(FR &f, const LX &x, int i)
{
    if (x.pa) i = index_in(f, x, i);
    VAR_GJ *v = gj_vars_of(storage(f, x));
    if (!v) return nullptr;
    remember_row(x, v);
    return v->gj_peek(i, 0);
}

// A global's row, where it is till its entries change.
void SCR_LEAN::remember_row(const LX &x, VAR_GJ *v)
{
    if (x.local || x.rc == &FN::no_row || !(x.rc->row = v->gj_row(0))) return;
    x.rc->len = v->gj_xs();   // (declared shapes stay within the indices' limits)
    x.rc->gen = s.vt_now();
}

const VAL_U *SCR_LEAN::peek2(FR &f, const LX &x)
{
    int y, i = index2(f, x, y);
    const VAR_GJ *v = gj_vars_of(storage(f, x));
    return v ? v->gj_peek(i, y) : nullptr;
}

// A part's element into v, as a variable's reading copies it.
void SCR_LEAN::jread(FR &f, const LX &x, VAL_U &v)
{
    int y = 0, i = x.pc ? index2(f, x, y) : index(f, x);
    if (s.lv_read(lvalue(f, x, i, y), v) != 0) throw FAIL{};
}

// A cell a formula's callee names, as its tree call reads it: my[row][column] at the formula's
// cell, or (a relative part past int there) the name's text read by the reader in the call's
// context.
void SCR_LEAN::cell_read(FR &f, const LX &x, VAL_U &v)
{
    const auto &n = *static_cast<const SCR_XC::XN *>(x.cell);
    int cx, cy;
    std::optional<AS_TREE> as;
    if (!s.scr_xc->cell_at(n, cx, cy)) as.emplace(s, f, 0);   // the name's text, read in the call's context
    if (s.scr_xc->read_cell(n, v) != 0) throw FAIL{};
}

// The value an element or a box holds (null: an element never stored).
[[gnu::always_inline]] inline const VAL_U *SCR_LEAN::held(FR &f, const LX &x)
{
    return x.k == Q_BGET ? &f.box[x.slot] : peek(f, x);
}

// A value as it is: an element, a local's box, or a number in tmp.
const VAL_U *SCR_LEAN::vref(FR &f, const LX &x, VAL_U &tmp)
{
    switch (x.k) {
    case Q_GGET: return peek(f, x);
    case Q_STR: return x.lit;
    case Q_BGET: return &f.box[x.slot];
    case Q_GSET: gstore(f, x, tmp); return &tmp;
    case Q_BSET: bstore(f, x, tmp); return &f.box[x.slot];
    case Q_LIBS: lib_in(f, x, tmp); return &tmp;
    case Q_CALLV: call_in(f, x, &tmp); return &tmp;
    case Q_CALLR: call_r(f, x, tmp); return &tmp;
    case Q_BPOST:
    case Q_GPOST:
    case Q_CONDV:
    case Q_COMMAV:
    case Q_JGET:
    case Q_CELL: return vref_rare(f, x, tmp);
    default: tmp.val_putd(ev(f, x)); return &tmp;
    }
}

// The rarer whole values: steps' values before, the branch of "?:", a comma's last item.
const VAL_U *SCR_LEAN::vref_rare(FR &f, const LX &x, VAL_U &tmp)
{
    switch (x.k) {
    case Q_BPOST: bpost(f, x, tmp); return &tmp;
    case Q_GPOST: gstep(f, x, tmp); return &tmp;
    case Q_CONDV: return vref(f, opnd(f, *x.pa) != 0 ? *x.pb : *x.pc, tmp);
    case Q_JGET: jread(f, x, tmp); return &tmp;
    case Q_CELL: cell_read(f, x, tmp); return &tmp;
    default:   // Q_COMMAV
        for (int k = 0; k < x.n - 1; k++) ev(f, *x.pl[k]);
        return vref(f, *x.pl[x.n - 1], tmp);
    }
}

// An assignment to a global's element, as an assignment stores: the element first, then the
// value (r: what it stored).
void SCR_LEAN::gstore(FR &f, const LX &x, VAL_U &r)
{
    int y = 0, i = x.pa && !x.pc ? scr_trunc32(opnd(f, *x.pa)) : 0;
    if (x.pc) i = index2(f, x, y);
    else if (x.pa && !in_row(x, i)) i = index_in(f, x, i);   // (else inside what was checked)
    if (x.i) return gstore_op(f, x, i, y, r);
    if (whole(x.pb->k)) {
        const VAL_U *v = vref(f, *x.pb, r);
        if (v != &r) r.val_copy(v);
    } else {
        r.val_putd(opnd(f, *x.pb));
    }
    if (r.val_kind == VAL_NUM && in_row(x, i)) {   // (a row is kept only for nodes of one index)
        x.rc->row[i].val_putd(r.val_num);
        return;
    }
    BASE_GJ *g = storage(f, x);
    VAR_GJ *vars = gj_vars_of(g);
    int bad = 1;
    if (r.val_kind == VAL_NUM) {
        VAL_U *c = vars ? vars->gj_cell(i, y) : nullptr;
        if (c && !x.pc) remember_row(x, vars);
        bad = vars ? !c || c->val_putd(r.val_num) != 0 : !g || g->gj_putd(i, y, r.val_num, 0) != 0;
    } else if (g) {
        bad = g->gj_puts(i, y, r.val_kind == VAL_STR ? r.val_gets() : nullptr, 0) != 0;
    }
    if (bad) {
        s.scr_set_SCRERR("代入失敗:%s xp=%d yp=%d", name_of(f, x), i, y);
        throw FAIL{};
    }
}

// "op=" to an element, as the regular assignment makes it (texts appended in place).
void SCR_LEAN::gstore_op(FR &f, const LX &x, int i, int y, VAL_U &r)
{
    VAL_U v;
    if (whole(x.pb->k)) {
        const VAL_U *p = vref(f, *x.pb, v);
        if (p != &v) v.val_copy(p);
    } else {
        v.val_putd(opnd(f, *x.pb));
    }
    if (s.scr_assign_store(lvalue(f, x, i, y), x.i, v, r) != 0) throw FAIL{};
}

SCR_U::LVAL SCR_LEAN::lvalue(FR &f, const LX &x, int i, int y)
{
    SCR_U::LVAL lv;
    lv.vt = x.local ? nullptr : x.g;
    lv.name = name_of(f, x);
    lv.gj = storage(f, x);
    lv.x = i;
    lv.y = y;
    return lv;
}

// "++"/"--" of an element: before it the new number, after it the value before.
void SCR_LEAN::gstep(FR &f, const LX &x, VAL_U &val)
{
    int y = 0, i = x.pc ? index2(f, x, y) : index(f, x);
    SCR_U::LVAL lv = lvalue(f, x, i, y);
    if (x.k == Q_GPRE) {
        if (s.lv_step_pre(lv, x.inc, val) != 0) throw FAIL{};
        return;
    }
    if (s.lv_read(lv, val) != 0) throw FAIL{};
    for (int k = 0; k < x.n; k++)
        if (s.lv_step_post(lv, (x.post >> k) & 1 ? 1 : -1) != 0) throw FAIL{};
}

// An assignment to a local that holds what an element holds: "&=" of a text to a text appends
// in place, the other operators take numbers.
void SCR_LEAN::bstore(FR &f, const LX &x, VAL_U &tmp)
{
    VAL_U &box = f.box[x.slot];
    const VAL_U *r = &tmp;
    if (whole(x.pb->k)) r = vref(f, *x.pb, tmp);
    else tmp.val_putd(opnd(f, *x.pb));
    if (x.i == 8 && r && r->val_kind != VAL_NUM && box.val_kind != VAL_NUM) {
        if (s.scr_add_string(box, r->val_gets()) != 0) {
            s.scr_set_SCRERR("代入失敗:%s xp=%d yp=%d", f.fn->name[x.slot].data(), 0, 0);
            throw FAIL{};
        }
    } else if (x.i) {
        box.val_putd(scr_asg_num(x.i, box.val_getd(), r ? r->val_getd() : 0));
    } else if (r != &box) {
        box.val_copy(r);
    }
    f.set |= MASK(1) << x.slot;
}

// Steps after a boxed local: its value before them, as it is.
void SCR_LEAN::bpost(FR &f, const LX &x, VAL_U &val)
{
    VAL_U &b = f.box[x.slot];
    val.val_copy(b);
    for (int k = 0; k < x.n; k++) b.val_putd(b.val_getd() + ((x.post >> k) & 1 ? 1 : -1));
    f.set |= MASK(1) << x.slot;
}

// One small function per kind: each takes only the registers its own work needs.
// Most arithmetic in loops is of locals and numbers: such an operator reads its operands from
// itself (the left local's slot in slot, the right's in list, or the number in num), and so does
// a store of one, without a call per operand.
template <int K, int M> double SCR_LEAN::evb(SCR_LEAN &, FR &f, const LX &x)
{
    return num_op<K>(f.v[x.slot], M ? x.num : f.v[x.list]);
}

template <int K, int M> double SCR_LEAN::evs(SCR_LEAN &, FR &f, const LX &x)
{
    const LX &b = *x.pb;
    return stored(f, x, num_op<K>(f.v[b.slot], M ? b.num : f.v[b.list]));
}

// "++" or "--" of a local, once.
double SCR_LEAN::post1(SCR_LEAN &, FR &f, const LX &x)
{
    double d = f.v[x.slot];
    f.v[x.slot] = d + ((x.post & 1) ? 1 : -1);
    return d;
}

// The evaluation of a node whose operands are locals and numbers, kept in it; null for others.
SCR_LEAN::EVF SCR_LEAN::leaf_ef(const LX &x)
{
#define KOV_LEAN_OPS(F, M) \
    {&F<Q_ADD, M>, &F<Q_SUB, M>, &F<Q_MUL, M>, &F<Q_DIV, M>, &F<Q_MOD, M>, &F<Q_LE, M>, &F<Q_LT, M>, &F<Q_GE, M>, &F<Q_GT, M>, &F<Q_EQ, M>, &F<Q_NE, M>}
    static const EVF bin[2][Q_NE - Q_ADD + 1] = {KOV_LEAN_OPS(evb, 0), KOV_LEAN_OPS(evb, 1)};
    static const EVF set[2][Q_NE - Q_ADD + 1] = {KOV_LEAN_OPS(evs, 0), KOV_LEAN_OPS(evs, 1)};
#undef KOV_LEAN_OPS
    // the mode of an operator of leaves: 0 two locals, 1 a local and a number, -1 another
    auto mode = [](const LX &o) {
        if (o.k < Q_ADD || o.k > Q_NE || o.pa->k != Q_SLOT) return -1;
        return o.pb->k == Q_SLOT ? 0 : o.pb->k == Q_NUM ? 1 : -1;
    };
    if (x.k == Q_POST && x.n == 1) return &post1;
    if (int m = mode(x); m >= 0) return bin[m][x.k - Q_ADD];
    if (x.k == Q_SET && !x.i)
        if (int m = mode(*x.pb); m >= 0) return set[m][x.pb->k - Q_ADD];
    return nullptr;
}

const SCR_LEAN::EVF SCR_LEAN::evf[] = {
    &evk<Q_NUM>, &evk<Q_SLOT>, &evk<Q_ADD>, &evk<Q_SUB>, &evk<Q_MUL>, &evk<Q_DIV>, &evk<Q_MOD>,
    &evk<Q_LE>, &evk<Q_LT>, &evk<Q_GE>, &evk<Q_GT>, &evk<Q_EQ>, &evk<Q_NE>, &evk<Q_BIN>,
    &evk<Q_NOT>, &evk<Q_NEG>, &evk<Q_POS>, &evk<Q_BNOT>, &evk<Q_AND>, &evk<Q_OR>, &evk<Q_COND>,
    &evk<Q_SET>, &evk<Q_PRE>, &evk<Q_POST>, &evk<Q_CALL>, &evk<Q_COMMA>, &evk<Q_GGET>, &evk<Q_GSET>,
    &evk<Q_BGET>, &evk<Q_BSET>, &evk<Q_VCMP>, &evk<Q_STR>, &evk<Q_LIB>, &evk<Q_LIBS>,
    &evk<Q_NUM>,   // a gadget argument is read only by its call
    &evk<Q_CALLV>, &evk<Q_GPRE>, &evk<Q_GPOST>, &evk<Q_BPRE>, &evk<Q_BPOST>, &evk<Q_CONDV>, &evk<Q_COMMAV>,
    &evk<Q_JGET>, &evk<Q_CELL>, &evk<Q_SIZE>, &evk<Q_CALLR>};

// A built-in's call: its arguments evaluated in order and converted as the regular call
// converts them (texts copied, as the regular call holds its arguments' values), its result.
// One that is not pure may call the host: it runs in the context the tree call would have.
void SCR_LEAN::lib_in(FR &f, const LX &x, VAL_U &val)
{
    const FN_DEF *d = x.lib;
    FN_CALL call;
    SCR_U::ARGVALS vals;
    const char *c = d->sig + 1;
    for (int k = 0; k < x.n; k++, c += *c != '.') {
        const LX &a = *x.pl[k];
        call.arg[call.argc] = FN_ARG{};
        if (*c == 'g') {   // the storage the name holds now
            if (!(call.arg[call.argc++].g = storage(f, a))) {
                s.scr_set_SCRERR("%s はガジェットを持たない", name_of(f, a));
                throw FAIL{};
            }
            continue;
        }
        try {
            if (*c == '.' || *c == 's') {
                VAL_U &t = vals.next();
                const VAL_U *v = vref(f, a, t);
                if (v != &t) t.val_copy(v);
                if (*c == '.') call.vargs[call.nvargs++] = &t;
                else scr_fn_convert('s', t, call.arg[call.argc++]);
            } else {
                VAL_U t;
                t.val_putd(opnd(f, a));
                scr_fn_convert(*c, t, call.arg[call.argc++]);
            }
        } catch (FAIL) {
            s.scr_set_SCRERR("関数 %s() 引数が無効", d->name);
            throw;
        }
    }
    if (d->flags & FN_PURE) {
        s.scr_fn_invoke(d, call, val);
        return;
    }
    AS_TREE as(s, f, x.nest);
    s.scr_fn_invoke(d, call, val);
}

// A call made in a lean run: the marks and the call limit as the regular call has them.
double SCR_LEAN::call_in(FR &f, const LX &x, VAL_U *rv)
{
    FR g;
    g.rv = rv;
    if (x.vals || x.fn->pbox) return call_vals(f, x, g);   // (a callee made again may come to take boxes)
    for (int k = 0; k < x.n; k++) g.v[k] = opnd(f, *x.pl[k]);
    if (x.extra) extras(f, x);
    return enter(f, x, g, *x.fn);
}

// A call of a form whose parameters take values whole or storage: its boxed ones evaluated as
// values, its references' storage taken.
double SCR_LEAN::call_vals(FR &f, const LX &x, FR &g)
{
    SCR_U::VALS<SLOTS> pv;
    if (x.fn->pbox) g.pv = pv.upto(x.n);
    BASE_GJ *ra[SLOTS];
    g.ra = ra;
    g.site = &x;
    g.fn = x.fn;
    struct PENDING {   // the arguments evaluated so far, for a view taken while the rest are
        SCR_LEAN &l;
        FR &f, &g;
        FR::PEND p;
        PENDING(SCR_LEAN &l, FR &f, FR &g, const LX &x) : l(l), f(f), g(g), p{&x, &g, 0, f.pend} { f.pend = &p; }
        ~PENDING()
        {
            f.pend = p.up;
            if (g.nav && !entered) l.unmake(g);   // their entries, when the call is not made
        }
        bool entered = false;
    } pending(*this, f, g, x);
    for (int k = 0; k < x.n; k++) {
        pending.p.n = k;
        const LX &a = *x.pl[k];
        if (x.fn->refs >> k & 1) {
            g.v[k] = 0;
            BASE_GJ *st = storage(f, a);
            if (!(ra[k] = x.fn->parts >> k & 1 ? st : gj_vars_of(st))) {
                s.scr_set_SCRERR("第 %d 引数がない", k + 1);
                throw FAIL{};
            }
            if ((x.fn->sized >> k & 1) && s.scr_ref_sizes_ok(ra[k]->gj_xs(), ra[k]->gj_ys(), x.fn->f->param(k), k) != 0)
                throw FAIL{};
        } else if (!(x.fn->pbox >> k & 1)) {
            g.v[k] = opnd(f, a);
        } else if (whole(a.k)) {
            const VAL_U *v = vref(f, a, g.pv[k]);
            if (v != &g.pv[k]) g.pv[k].val_copy(v);
        } else {
            g.pv[k].val_putd(opnd(f, a));
        }
    }
    pending.p.n = x.n;
    if (x.extra) extras(f, x);
    pending.entered = true;
    f.pend = pending.p.up;
    return enter(f, x, g, *x.fn);
}

// The arguments of call x after its callee's parameters: evaluated in turn, as the regular call
// reads them, bound to nothing.
void SCR_LEAN::extras(FR &f, const LX &x)
{
    for (int k = x.n; k < x.n + x.extra; k++) {
        const LX &a = *x.pl[k];
        if (whole(a.k)) {
            VAL_U t;
            vref(f, a, t);
        } else {
            opnd(f, a);
        }
    }
}

// A call made regular (Q_CALLR): the callee's lean form once it has one and the arguments'
// values fit it (a number where its parameter is no box), else the regular call with the
// arguments' entries. (Its parameters take values, and no argument after the first reaches
// the host: c_regular.)
void SCR_LEAN::call_r(FR &f, const LX &x, VAL_U &val)
{
    const FN *c = t.ready(x.rf) ? form(x.rf) : nullptr;
    if (!c) return regular(f, x, val, nullptr);
    if (x.nums && !c->pbox) {   // numbers to numbers (the usual)
        call_rn(f, x, *c, &val);
        return;
    }
    SCR_U::VALS<SLOTS> av;
    VAL_U *a = av.upto(x.n);
    bool fit = true;
    for (int k = 0; k < x.n; k++) {
        const LX &e = *x.pl[k];
        if (!whole(e.k)) a[k].val_putd(opnd(f, e));
        else if (const VAL_U *v = vref(f, e, a[k]); v != &a[k]) a[k].val_copy(v);
        fit &= (c->pbox >> k & 1) || a[k].val_kind == VAL_NUM;
    }
    if (!fit || c->ok <= 0) return regular(f, x, val, a);   // (made again meanwhile: refused)
    FR g;
    for (int k = 0; k < x.n; k++) g.v[k] = c->pbox >> k & 1 ? 0 : a[k].val_num;
    if (c->pbox) g.pv = a;
    if (c->whole_ret) g.rv = &val;
    double v = enter(f, x, g, *c);
    if (!c->whole_ret) val.val_putd(v);
}

// A regular call's value as a number (its callee's lean form taken as it is when there is one
// to take).
double SCR_LEAN::call_rnum(FR &f, const LX &x)
{
    const FN *c = static_cast<const FN *>(x.rf->lean[0]);
    if (c && c->ok > 0 && x.nums && !c->pbox) return call_rn(f, x, *c, nullptr);
    VAL_U v;
    call_r(f, x, v);
    return v.val_getd();
}

// A regular call's lean call where every argument is a number and the callee takes numbers:
// its value as a number, and in val (if given) as it is.
double SCR_LEAN::call_rn(FR &f, const LX &x, const FN &c, VAL_U *val)
{
    FR g;
    for (int k = 0; k < x.n; k++) g.v[k] = opnd(f, *x.pl[k]);
    VAL_U t;
    VAL_U &v = val ? *val : t;
    if (c.ok <= 0) {   // (made again meanwhile: refused)
        SCR_U::VALS<SLOTS> av;
        VAL_U *a = av.upto(x.n);
        for (int k = 0; k < x.n; k++) a[k].val_putd(g.v[k]);
        regular(f, x, v, a);
        return v.val_getd();
    }
    if (c.whole_ret) {
        g.rv = &v;
        enter(f, x, g, c);
        return v.val_getd();
    }
    double r = enter(f, x, g, c);
    if (val) val->val_putd(r);
    return r;
}

// The regular call of x's function from this frame: the frames' entries made first, then
// the arguments' (those evaluated already in done), the definition read or its tree run.
void SCR_LEAN::regular(FR &f, const LX &x, VAL_U &val, const VAL_U *done)
{
    regulars++;
    materialize();
    AS_TREE as(s, f, x.nest);
    SCR_U::BLOCK block(s);
    VTBL_U *argv[SCR_MAXARG] = {};
    for (int k = 0; k < x.n; k++) {
        VAL_U t;
        if (done) {
            t.val_copy(done[k]);
        } else if (const LX &e = *x.pl[k]; !whole(e.k)) {
            t.val_putd(opnd(f, e));
        } else if (const VAL_U *v = vref(f, e, t); v != &t) {
            t.val_copy(v);   // (null: an element never stored, empty)
        }
        if (!(argv[k] = s.scr_make_argvar(t, k))) {
            s.scr_set_SCRERR("引数作成失敗");
            throw FAIL{};
        }
    }
    SCR_U::MARK mark(s, x.at, x.paren_at());
    if (s.func_depth >= SCR_MAXCALL) too_deep();
    SCR_SET<int> depth(s.func_depth, s.func_depth + 1);
    // the reader's nesting count there, counted from this frame's body (at least)
    SCR_SET<int> deep(s.scr_deep, s.scr_deep + x.nest + 4);
    const char *text = x.rf->text;
    s.scr_callee = const_cast<FTBL_U *>(x.rf);
    if (s.scr_function_definition(text, argv, &val) != 0) throw FAIL{};
}

// A call past the call limit fails as the regular call fails.
void SCR_LEAN::too_deep()
{
    KOV_ATT("関数ネスト超過(%d)", s.func_depth);
    s.scr_set_SCRERR("関数ネスト超過(%d)", s.func_depth);
    throw FAIL{};
}

// The call itself, its arguments' values in g.
[[gnu::always_inline]] inline double SCR_LEAN::enter(FR &f, const LX &x, FR &g, const FN &c)
{
    SCR_U::MARK mark(s, x.at, x.paren_at());
    if (s.func_depth >= SCR_MAXCALL) too_deep();
    SCR_SET<int> depth(s.func_depth, s.func_depth + 1);
    SCR_U::MARK def(s, "SCR_U::scr_function_definition", c.f->text);
    g.fn = &c;
    g.base = f.base + x.nest + 2;
    g.owner = f.fn->f->name;
    double v;
    if (run(c, g, v) == TR_RETURN) return v;
    if (g.rv) g.rv->val_putd(0);
    return 0;
}

// ---- the host ----

// The hook before statement i wants the host: the entries of every frame made or brought up
// to date first, the context the regular run would have.
void SCR_LEAN::hook(FR &f, int nest, const char *at)
{
    AS_TREE as(s, f, nest);
    s.scr_callback_host(SCRCB_ONESTEP, (intptr_t)at);
}

// While the host may look: the context of f's tree call at a statement `nest` levels below its
// body's.
SCR_LEAN::AS_TREE::AS_TREE(SCR_U &s, const FR &f, int nest) : s(s), keep(s.ctx)
{
    s.ctx.set_func(f.fn->f->name, f.fn->f->seed);
    s.ctx.scr_nest = f.base + nest;
    s.ctx.fn_spec = DECL_SPEC{f.fn->f->type, f.fn->f->flags};
}

SCR_LEAN::AS_TREE::~AS_TREE()
{
    s.ctx = keep;
}

void SCR_LEAN::materialize()
{
    FR *chain[SCR_MAXCALL + 8];
    int n = 0;
    for (FR *f = top; f && n < (int)(sizeof chain / sizeof *chain); f = f->up) chain[n++] = f;
    SCR_CTX keep = s.ctx;
    for (int k = n - 1; k >= 0; k--) {
        FR &f = *chain[k];
        const FN &fn = *f.fn;
        if (!f.mat) {   // as the call would have made them: the arguments, the parameters, the locals
            f.mat = 1;
            f.made = 0;
            for (int a = 0; a < fn.np; a++) {
                if (a >= f.nav) f.av[a] = nullptr;   // (those made while its caller evaluated the rest stay)
                f.vt[a] = nullptr;
            }
            s.ctx.scr_nest = f.base - 1;
            s.ctx.set_func(f.owner);
            bool ok = true;
            for (int a = 0; a < fn.np && ok; a++) {
                if ((fn.refs >> a & 1) || a < f.nav) continue;   // the caller's variable is the argument
                VAL_U v;
                if (fn.pbox >> a & 1) v.val_copy(f.box[a]);
                else v.val_putd(f.v[a]);
                ok = (f.av[a] = s.scr_make_argvar(v, a)) != nullptr;
            }
            s.ctx.scr_nest = f.base;
            s.ctx.set_func(fn.f->name, fn.f->seed);
            for (int a = 0; a < fn.np && ok; a++) {
                ok = (fn.refs >> a & 1 ? bind_ref(f, a) : s.scr_bind_arg(fn.name[a].data(), f.av[a])) == 0;
                if (ok) f.vt[a] = s.vtbl_top;
            }
        }
        s.ctx.set_func(fn.f->name, fn.f->seed);
        for (MASK m = f.live & ~f.made & ~fn.statics; m; m &= m - 1) {   // and the locals declared since the last view
            int slot = first(m);
            const FN::SHAPE &sh = fn.shape[slot];
            s.ctx.scr_nest = f.base + fn.lnest[slot - fn.np];
            if (!(f.vt[slot] = s.scr_put_var(fn.name[slot].data(), sh.x, sh.y, sh.dims, VT_VAR, sh.flags, 0))) break;
            if (fn.arrays >> slot & 1) f.vt[slot]->vtb_link(f.arr[slot]);   // the frame's storage, shared
            f.vt[slot]->type = sh.type;   // (a part's entry: its storage the frame's part)
            f.made |= MASK(1) << slot;
        }
        for (MASK m = low(fn.np) | f.made; m; m &= m - 1) {
            int k2 = first(m);
            if (!(f.set >> k2 & 1) || (fn.arrays >> k2 & 1) || !listed(f.vt[k2])) continue;
            BASE_GJ *g = f.vt[k2]->vtb_gajet_pt;
            if (!g) continue;
            if (fn.boxed >> k2 & 1) g->gj_putv(0, 0, f.box[k2]);
            else g->gj_putd(0, 0, f.v[k2], 0);
        }
        // the arguments evaluated so far of the calls it is making, the outermost call first
        FR::PEND *calls[SLOTS];
        int nc = 0;
        for (FR::PEND *p = f.pend; p && nc < SLOTS; p = p->up) calls[nc++] = p;
        s.ctx.set_func(fn.f->name, fn.f->seed);
        while (nc-- > 0) {
            const FR::PEND &p = *calls[nc];
            FR &g = *p.g;
            const FN &c = *p.x->fn;
            s.ctx.scr_nest = f.base + p.x->nest + 1;
            for (; g.nav < p.n; g.nav++) {
                int a = g.nav;
                g.av[a] = nullptr;
                if (c.refs >> a & 1) continue;   // the caller's variable is the argument
                VAL_U v;
                if (c.pbox >> a & 1) v.val_copy(g.pv[a]);
                else v.val_putd(g.v[a]);
                if (!(g.av[a] = s.scr_make_argvar(v, a))) break;
            }
        }
    }
    s.ctx = keep;
}

// A reference's entry as the declaration's reading makes it, bound to the caller's variable.
int SCR_LEAN::bind_ref(FR &f, int a)
{
    const FN &fn = *f.fn;
    const LX &arg = *f.site->pl[a];
    VTBL_U *av = !arg.local ? arg.g : f.up && f.up->mat ? f.up->vt[arg.slot] : nullptr;
    VTBL_U *vt = s.scr_put_var(fn.name[a].data(), 1, 1, fn.shape[a].dims, VT_VAR, 0, 1);
    if (!vt) return -1;
    vt->vtb_link(f.arr[a]);
    vt->type = av ? av->type : fn.shape[a].type;
    vt->flags = av ? (av->flags & ~SF_HIDDEN) | SF_BOUND : 0;
    s.vt_bump();
    return 0;
}

const void *SCR_U::scr_lean_top() const
{
    return scr_tree ? scr_tree->lean->top : nullptr;
}

void SCR_U::scr_lean_forget(const void *top)
{
    if (scr_tree) scr_tree->lean->top = static_cast<SCR_LEAN::FR *>(const_cast<void *>(top));
}

// Whether v is an entry still (code run meanwhile may have ended what it found on top).
bool SCR_LEAN::listed(const VTBL_U *v) const
{
    for (const VTBL_U *e = v ? s.vtbl_top : nullptr; e; e = e->next)
        if (e == v) return true;
    return false;
}

// The frame's entries go, wherever they stand in the list.
void SCR_LEAN::unmake(FR &f)
{
    int np = f.mat ? f.fn->np : 0, na = f.mat ? f.fn->np : f.nav;   // (only arguments' entries before the call)
    // The entries to take out, each once: the walk ends with the last of them (below them lie
    // the caller's, the globals and the statics, which may be many).
    VTBL_U *want[3 * SLOTS];
    int left = 0;
    auto add = [&](VTBL_U *v) {
        for (int k = 0; k < left; k++)
            if (want[k] == v) return;
        if (v) want[left++] = v;
    };
    for (int k = 0; k < np; k++) add(f.vt[k]);
    for (int k = 0; k < na; k++) add(f.av[k]);
    for (MASK m = f.made; m; m &= m - 1) add(f.vt[first(m)]);
    for (VTBL_U **link = &s.vtbl_top; *link && left;) {
        VTBL_U *v = *link;
        int k = 0;
        while (k < left && want[k] != v) k++;
        if (k == left) {
            link = &v->next;
            continue;
        }
        want[k] = want[--left];
        *link = v->next;
        v->next = nullptr;
        delete v;
    }
    f.mat = f.made = 0;
    f.nav = 0;
    s.vt_bump();
}
