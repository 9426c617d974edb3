// Parsed forms of a script's expressions: the roots of statement trees and of lean forms, and
// formulas' (kept by their text). A node takes the same decisions at run time as the text reader
// (which name is an enumerator, a variable or nothing; suppression; messages) and delegates
// calls to it, so what a run shows is the same either way. Whatever the parser is not sure of
// (an enum declared in a cast, a formula's cell name with members or steps, text the reader
// would reject, nesting near the limits) stays with the text reader.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/pool.h"
#include "script/scr.h"
#include "sheet/csv.h"

// A call's argument parsed: its root and its text.
struct XC_ARG {
    int root;
    const char *at, *end;
};

// KOVASH_NOCACHE set (read once): no parsed forms, the text reader reads every expression.
int cache_env_off();
// Whether the text from `from` to end may store: an "=" that is no comparison, "++" or "--".
bool scr_may_store(const char *from, const char *end);

class SCR_XC {
    friend class SCR_LEAN;

public:
    explicit SCR_XC(SCR_U &s) : s(s) {}
    ~SCR_XC();
    SCR_XC(const SCR_XC &) = delete;
    SCR_XC &operator=(const SCR_XC &) = delete;

    // The statement trees' way in: parses the assignment expression at pos (0 when it is left
    // to the text reader, else a root number; pos past it), and runs a root as run does (1: the
    // reader must read it, near the nesting limits).
    int compile_root(const char *&pos);
    // Whether root r calls nothing and ok(name) holds for every name it reads or stores.
    template <class OK> bool names_only(int r, OK ok) const
    {
        const ROOT &rt = roots[r - 1];
        if (rt.calls) return false;
        for (int k = rt.first; k <= rt.node; k++)
            if (nodes[k].k == X_VAR && !ok(name_of(nodes[k]))) return false;
        return true;
    }
    // Whether root r is numbers, texts and operators over names alone (no indices or members),
    // each ok(name), and plain calls (plain_call) whose arguments are names ok(name) or
    // numbers: nothing in it can fail a reading without effect (no cell, sizeof or other call).
    template <class OK> bool scalars_only(int r, OK ok) const
    {
        const ROOT &rt = roots[r - 1];
        for (int k = rt.first; k <= rt.node; k++) {
            const XN &n = nodes[k];
            if (n.k == X_CALL) {
                char arg[SCR_MAXARG][SCR_NAMESIZE];
                int na = plain_call(k, arg);
                if (na < 0) return false;
                for (int a = 0; a < na; a++)
                    if (arg[a][0] && !ok(arg[a])) return false;
                continue;
            }
            if (n.k == X_CELL || n.k == X_SIZE) return false;
            if (n.k == X_VAR && (n.dims || n.memb || !ok(name_of(n)))) return false;
        }
        return true;
    }
    // The arguments of the call of node k when it calls a script function known now (no
    // built-in of its name) whose parameters are var scalars by value, and each argument is a
    // name (into arg) or a number ("" there), one a parameter: their count, else -1.
    int plain_call(int k, char (&arg)[SCR_MAXARG][SCR_NAMESIZE]) const;
    // A call's argument as scr_assignment_exp reads it (pos where the reader would end).
    int arg_value(const XC_ARG &a, const char *&pos, VAL_U &val);
    int run_root(int r, const char *&pos, VAL_U &val)
    {
        const ROOT &rt = roots[r - 1];
        // Near the nesting or stack limits the reader runs it, so that it fails where it fails.
        if (!room(rt.deep + 1)) return 1;
        const char *end = rt.end;
        int e = ev(rt.node, val);
        if (e < 0) return -1;
        pos = e == 2 ? stop_at : end;
        return 0;
    }
    // Root r when it is a number, a store of one or a step of a plain number: done here (0, pos
    // past it) without the nesting count, when far from the limits; 1 when run_root must take
    // it (nothing done).
    [[gnu::always_inline]] int fast_root(int r, const char *&pos, VAL_U &val, bool unused = false)
    {
        const ROOT &rt = roots[r - 1];
        const XN &n = nodes[rt.node];
        if (!n.numeric() && n.k != X_ASG && !(n.k == X_VAR && n.npost)) return 1;
        if (!room(rt.deep + 2)) return 1;   // the statement expression's DEEP and run_root's look, in one
        if (n.k == X_ASG) {
            if (asg_fast(n, val) != 0 && (!unused || append_fast(n) != 0)) return 1;
        } else if (n.numeric()) {
            double d;
            if (numfs[n.nf](*this, n, d) != 0) return 1;
            val.val_putd(d);
        } else if (step_fast(n, val) != 0) {   // i++, as ev_var takes it
            return 1;
        }
        pos = rt.end;
        return 0;
    }
    // Whether the reader could nest `levels` counts deeper here without reaching its limits
    // (the stack it may take per count is a guess on the safe side).
    [[gnu::always_inline]] bool room(int levels) const
    {
        if (s.scr_deep_err || s.scr_deep + levels > SCR_DEEP_MAX) return false;
        uintptr_t here = (uintptr_t)__builtin_frame_address(0);
        long used = s.scr_stack_base > here ? (long)(s.scr_stack_base - here) : 0;
        return used + levels * 4096L <= s.scr_stack_room;
    }
    // The root of a cell formula (text of the form's own copy in text), parsed with its first
    // evaluation and kept while the link stands; 0 when the reader reads it.
    int form_root(const char *form, const char *&text);
    // A sheet range at q, relative to the cell (bx, by), as csv_parse_range reads it; q is in
    // the text of a parsed call, so what the name says apart from the cell is kept by position.
    int range_at(const char *&q, int bx, int by, CSV_RECT *rc);
    // Forgets every parsed form; text (NUL-terminated) is the one positions are taken from.
    void rebase(const char *text);
    uint32_t epoch = 0;   // bumped by every rebase: roots given out before are void
    const char *base() const { return text; }
    size_t text_len() const { return len; }
    // A byte of memory for the statement reader at position p of the text (0 until it is
    // written), or null for positions outside it.
    uint8_t *shape_at(const char *p)
    {
        size_t off = (uintptr_t)p - (uintptr_t)text;
        return off < shapes.size() ? &shapes[off] : nullptr;
    }
    long bytes() const;
    // While one stands (a body's build), the names of one spelling and number of indices share
    // one record and one copy of the name: what a record learns (the entry, its slot in the
    // body's frame) holds for every reading of the name in the body.
    struct SHARE {
        SCR_XC &xc;
        explicit SHARE(SCR_XC &xc) : xc(xc) { xc.shared.clear(), xc.sharing++; }
        ~SHARE() { xc.shared.clear(), xc.sharing--; }
        SHARE(const SHARE &) = delete;
        SHARE &operator=(const SHARE &) = delete;
    };
    // Whether root r, taken up to `end`, is a text alone or reads only numbers, operators and
    // names of var scalars that are no constants or of enumerators: read suppressed (as a goto
    // seeking its label passes it), it does nothing and cannot fail.
    bool inert(int r, const char *end);
    // The names root r may store into (its assignments and steps), NUL-separated onto out;
    // false where that cannot be told: it stops before `end` (null: wherever it ends), or a
    // call's arguments (parsed only when the call runs) might store.
    bool stores(int r, const char *end, std::string &out) const;

private:
    // X_BIN: one operator of a chain's row before its last, for numbers only (the row's left part
    // and an item). X_CELL: a cell name of a formula (at .. end). X_SIZE: sizeof a value (a).
    enum KIND : uint8_t { X_NUM, X_STR, X_VAR, X_PRE, X_UN, X_CHAIN, X_LOGIC, X_COND, X_ASG, X_COMMA, X_CALL, X_PAREN, X_BIN, X_CELL, X_SIZE };
    // What a name learns (a record of its own, one per spelling and number of indices in a body
    // built: most nodes are no names).
    struct XVAR {
        // the entry the name meant when vt_gen was gen, and its element when a plain var
        // scalar (the storage keeps its place while vt_gen stands), or, with one index into a
        // one-row var array, its row when stored into (and its length)
        VTBL_U *vt = nullptr;
        uint64_t gen = 0;
        union {
            VAL_U *cell = nullptr;   // no indices
            const VAL_U *row;        // one index
        };
        const FTBL_U *sfn = nullptr;   // in a body run with a frame: the frame's slot the name meant (sfn's)
        int slot = 0;
        int row_len = 0;
        int name = 0;   // in names
    };
    static_assert(sizeof(XVAR) == 48);
    // What a call's node keeps (calls are few among the nodes: a record of their own).
    struct XCALL {
        // The built-in table that had no function of this name (null: not asked yet);
        // the table asked last (lib its record, lparen past "(", its arguments' roots
        // cargs[largs ...]: -2 not parsed yet, -1 none)
        FN_LOOKUP nolib = nullptr, libtab = nullptr;
        const FN_DEF *lib = nullptr;
        const char *lparen = nullptr;
        int largs = -2, nlargs = 0;
        // A script function called without its text: the function, the position
        // after "(", its arguments' roots (cargs[args ...]); args -2 not looked at, -1 never.
        const FTBL_U *fn = nullptr;
        const char *paren = nullptr;
        int args = -2, nargs = 0;
        bool byref = false;   // it binds parameters by reference: an argument there is a name alone
        bool ranges = false;  // in a formula, a cell range may stand for a grid and four numbers (a root 0)
        int deep = 0;         // the reader's nesting count there, from the expression's
        const char *at = nullptr, *end = nullptr;   // where the call is read, past its ")"
    };
    // A formula's cell name (a record of its own: cells are few among the nodes).
    struct XCELL {
        const char *text;   // the name
        int len;            // to where the reader's look for "++" ends
        CSV_REF ref;        // the cell at each formula's cell: offsets, or absolute
    };
    struct XN;
    // A node as a number with nothing else done: 0 done, 1 not all numbers (nothing done).
    using NUMF = int (*)(SCR_XC &, const XN &, double &);
    // (24 bytes: a tree holds one per operator and operand; what a name, a call or a cell keeps
    // besides is in its record)
    struct XN {
        XN(KIND k = X_NUM) : k(k) {}
        KIND k;
        uint8_t op = 0;       // X_UN: the operator byte; X_CHAIN: level; X_LOGIC: 1 "||"; X_ASG, X_PRE
        uint8_t dims = 0;     // X_VAR: indices a (and b)
        uint8_t npost = 0;    // X_VAR: postfix steps, bit i of post set for "++"
        uint8_t post = 0;
        uint8_t pure = 0;     // X_CHAIN, X_UN: numbers and plain names only (evd may take it)
        uint8_t memb = 0;     // X_VAR: members follow (read, of no effect; an enumerator stops before them)
        uint8_t nf = 0;       // its fast evaluator (numfs): the node as a number
        int a = -1, b = -1;   // X_CHAIN: the first operand, and the last (with several operators the row before it)
        union {   // by kind
            struct {
                union {
                    int list;   // X_CHAIN, X_LOGIC, X_COMMA: items[list ...]; X_STR: strs[list]
                    int vi;     // X_VAR: its name's record, vars[vi]
                    int c;      // X_COND: the value when false
                };
                int n;          // X_VAR: an operand with indices, steps or members: ats[n - 1] is past its name
            };
            double num = 0;     // X_NUM (0: list and n 0)
            XCALL *call;        // X_CALL: what its call keeps
            XCELL *cell;        // X_CELL
        };
        // nf may give a number (it is no mere refusal)
        bool numeric() const { return nf != 0; }
        // A name alone (no indices, steps or members): it may stand for the storage it names.
        bool plain_name() const { return k == X_VAR && !dims && !npost && !memb; }
    };
    static_assert(sizeof(XN) == 24);
    using CARG = XC_ARG;
    bool cell_at(const XN &n, int &x, int &y) const;
    int read_cell(const XN &n, VAL_U &val);
    struct ITEM {
        int op, node;
    };
    struct ROOT {
        int node;
        int deep;             // deepest nesting count the reader reaches in it
        const char *end;
        bool calls;           // it calls something (its run may reach the host)
        int first;            // its first node (its nodes are first .. node)
    };

    // Nodes stay where they are made: a call run by a node may parse more of the text.
    template <class T> using STABLE = SCR_STABLE<T>;

    SCR_U &s;
    const char *text = nullptr;
    size_t len = 0;
    std::vector<uint8_t> blanks;    // by offset: blanks skipped there + 1 (the lexer's memo)
    std::vector<uint8_t> shapes;    // by offset: the statement reader's memo
    std::vector<ROOT> roots;
    STABLE<XN> nodes;
    STABLE<XCALL> calls;
    // (what a name's record learns is no change of the forms; a record is taken by index anew
    // after anything that may parse: the table grows)
    mutable std::vector<XVAR> vars;
    XVAR &var(const XN &n) const { return vars[n.vi]; }
    const char *name_of(const XN &n) const { return &names[vars[n.vi].name]; }
    STABLE<XCELL> cells;
    std::vector<const char *> ats;
    STABLE<ITEM> items;
    std::vector<char> names;
    STABLE<VAL_U> strs;   // lean forms hold their texts by address
    std::vector<CARG> cargs;
    struct SVHASH {
        using is_transparent = void;
        size_t operator()(std::string_view v) const { return std::hash<std::string_view>{}(v); }
    };
    int sharing = 0;
    std::unordered_map<std::string, int, SVHASH, std::equal_to<>> shared;   // spelling and indices -> vars
    void name_record(XN &x, const char *name);
    std::unordered_map<std::string, int, SVHASH, std::equal_to<>> forms;   // formula text -> root, -1 the reader's
    static constexpr unsigned RECENT = 4;
    const std::pair<const std::string, int> *recent[RECENT] = {};   // the last texts looked up
    unsigned recent_next = 0;
    struct RANGE {
        uint32_t len;      // the text it takes
        CSV_REF a, b;      // its two corners as read (b = a: one name)
    };
    std::unordered_map<const char *, RANGE> ranges;
    int cx_cell(const char *&pos);
    const char *stop_at = nullptr;   // where the reader would have ended (result 2)
    int maxd = 0;

    int compile(const char *pos);
    int add(const XN &n);
    int cx_assign(const char *&p, int d);
    int cx_exp(const char *&p, int d);
    int cx_cond(const char *&p, int d);
    int cx_chain(const char *&p, int d, int level);
    int cx_row(int level, int first, const ITEM *list, size_t count);
    std::vector<ITEM> chain;   // the items of the chains being parsed (cx_chain)
    // Gives back the literals from `from` on (counted against the text cap again as they go).
    void drop_strs(size_t from);
    int cx_cast(const char *&p, int d);
    int cx_unary(const char *&p, int d);
    int cx_sizeof(const char *&pos, const char *p, int d);
    int cx_type_name(const char *&p, DECL_SPEC &spec);
    int cx_lvalue(const char *&p, int d);
    int cx_name(const char *&p, const char *name, int d, XN &x);
    int cx_indices(const char *&p, int d, XN &n);
    int may_stop(int i) const;

    int ev(int i, VAL_U &val);
    int evd(int i, double &d)
    {
        const XN &n = nodes[i];
        return numfs[n.nf](*this, n, d);
    }
    static const NUMF numfs[];
    static uint8_t numf_of(const XN &n);
    int asg_fast(const XN &n, VAL_U &val);
    int append_fast(const XN &n);
    int call_fast(const XN &n, VAL_U &val);
    int call_bound(const XN &n, const FTBL_U *f, VAL_U &val);
    int call_args(const XN &n);
    int parse_args(const char *&p, std::vector<CARG> &list, const FTBL_U *ranges = nullptr);
    bool range_here(const FTBL_U *f, int c, const char *&q, CSV_RECT &rc);
    VTBL_U *ref_arg(const CARG &a, const FTBL_U *f, int i);
    int call_ranges(const XN &n, const FTBL_U *f, VAL_U &val);
    int lib_call(const XN &n, const char *&p, VAL_U &val);
    // The built-in a call names (null: none), its arguments parsed at the first ask.
    const FN_DEF *lib_of(const XN &n);
    void lib_args(const XN &n);
    int post_fast(const XN &n, VTBL_U *vt, VAL_U &val);
    [[gnu::noinline]] int step_fast(const XN &n, VAL_U &val)
    {
        VTBL_U *vt = look(n);
        return vt ? post_fast(n, vt, val) : 1;
    }
    struct FAST;
    const VAL_U *peek(int i);
    static const VAL_U *scalar(const XN &n, const VTBL_U *vt);
    bool pure(int i) const;
    int ev_var(const XN &n, VAL_U &val);
    [[gnu::always_inline]] VTBL_U *look(const XN &n) const
    {
        XVAR &v = var(n);
        if (!s.vt_valid(v.gen)) relook(n);
        return v.vt;
    }
    [[gnu::noinline]] void relook(const XN &n) const;
    int adrs(const XN &n, VTBL_U *vt, SCR_U::LVAL &lv);
};
