// The statement tree of a function body, built by the link pass and run instead of reading the
// body's text again. A node keeps where the reader's statement begins (the hook's position, the
// base of an error position); an expression is its text span, run by the expression reader and
// its parsed forms. A body whose reading at the build fails where the link's did not (see
// b_parse) is left to the reader.
//
// A goto is thrown as the reader throws it; the body is then run seeking the label (the
// reader's suppressed reading, entering every construct) and goes on from there.
//
// Switch: KOVASH_TREE=0 in the environment (read once) runs every body from its text, 2 builds
// every tree at the function's first run (tests); scr_tree_mode can be set by a test. A function
// a formula calls has its expressions parsed apart (a cell name there is read as the cell);
// debug logging keeps the reader.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/pool.h"
#include "script/scr.h"

enum TN_KIND : uint8_t { TN_EXP, TN_EMPTY, TN_BLOCK, TN_IF, TN_WHILE, TN_DO, TN_FOR, TN_BREAK, TN_CONTINUE, TN_RETURN,
                         TN_SWITCH, TN_CASE, TN_DEFAULT, TN_LABEL, TN_GOTO };
// Results of the statement runner: what the reader carries in brk_flag, cnt_flag and
// scr_ret_pending. TR_GOTO: a goto left for its label (the body's run seeks it); like a
// failure, it ends every statement on the way out at once.
enum TN_RES { TR_GOTO = -2, TR_FAIL = -1, TR_NEXT = 0, TR_BREAK, TR_CONTINUE, TR_RETURN };
// What reading a statement without effect does to the error texts, in order: the statement
// prologue (the current error becomes the previous one) and a declaration's clearing.
enum TN_FX : uint8_t { FX_STAT, FX_DECL };

// An expression: where the reader starts it and where it ends (null at: absent).
struct TX {
    const char *at = nullptr, *end = nullptr;
    int id = -1;   // its parsed roots (xs[id], xs[id + 1] in a formula's callee), made when it first runs
};

struct TN {
    TN_KIND k = TN_EMPTY;
    uint8_t lab = 0;            // a case or default label of the innermost switch around stands in it
    uint8_t deep_labels = 0;    // switch: a label of it stands below the top of its body
    const char *at = nullptr;   // the reader's statement position (before blanks)
    TX x;                       // cond (if, while, do, switch); for: init; exp; return value; a case's label
    int a = -1, b = -1;         // if: then, else; loops: body
    int list = 0, n = 0;        // block, switch: kids[list ..]; for: its cond and step, fors[list]
    int decl = 0, ndecl = 0;    // block: decls[decl ..] where each declaration starts, one more: their end
    int fx = 0, nfx = 0;        // fxs[fx ..]: the effects of reading it without effect
    int type = 0;               // return: the function's type
    int name = 0;               // label, goto: the label's name in names
    int to = -1;                // goto: the label node it jumps to (the first of the name), -1 none
    int parent = -1;            // the node it is a statement of
    int pos = 0;                // its place among the statements of its block or switch
    int self = 0;               // its own index
};

// The tree of one function.
struct TFN {
    int root;          // a TN_BLOCK run without a statement of its own (the body's "{")
    const char *end;   // past the body's "}"
    bool inner_decls;  // a block inside the body declares names
    // The names its statements may store into (NUL-separated), looked for at the first call
    // that binds a constant: 0 not yet, 1 these, -1 not known.
    mutable int stores = 0;
    mutable std::string stored;
    bool loops = false;         // it has a loop or a label
    mutable bool ran = false;   // it ran before (a tree built at a run: the function did)
};

// The tree mode from KOVASH_TREE (read once): 1 unless it says 0 or 2.
int scr_tree_env();

class SCR_LEAN;

class SCR_TREE {
    friend class SCR_LEAN;

public:
    explicit SCR_TREE(SCR_U &s);
    ~SCR_TREE();
    SCR_TREE(const SCR_TREE &) = delete;
    SCR_TREE &operator=(const SCR_TREE &) = delete;

    // Forgets every tree (a new link).
    void clear();
    // Whether function f should get its tree as it runs now.
    bool due(FTBL_U *f);
    // Builds the tree of the function defined at fn whose body's "{" is at body (after its
    // link read, still inside the function's block). 0 built, -1 left to the reader.
    int build(FTBL_U *f, const char *body, int type);
    // At the link: builds the tree of f, whose body's "{" is at pos, as the link's own reading
    // of the body, which it then stands for (the error texts as that reading leaves them).
    // 0 built, pos past the body; -1 nothing shows, the link reads the body: its reading
    // depends on a run (a call of a function defined later, a switch, a static) or failed.
    int build_link(FTBL_U *f, const char *&pos, int type);
    // Whether the body whose "{" is at p has a loop or a goto (a word of one, outside texts and
    // comments: a run builds its tree at its first run, so the link may as well).
    bool loops_in(const char *p) const;
    // Whether the link builds the tree of a body without a loop: in a small script
    // (scr_link_all), where it saves reading the body's text again at its first run.
    bool link_all() const;
    // Whether a lean form may be made of f's tree now: it has a loop, or ran before (a body
    // without a loop whose tree the link built runs from the tree once first), or tree mode 2.
    bool ready(const FTBL_U *f) const { return f->tfn && (f->tfn->ran || f->tfn->loops || s.scr_tree_mode == 2); }
    const TFN *find(const char *fn) const
    {
        auto it = fns.find(fn);
        return it == fns.end() ? nullptr : &it->second;
    }
    // Runs the body as scr_function_compound does; pos past the body.
    int run(const TFN &f, const char *&pos);
    // Whether function f takes plain scalars by value and runs as a tree: its calls may then
    // bind evaluated arguments (argv, made as the reader makes them) without its text.
    // 1 yes, 0 never, -1 not yet (no tree yet).
    int fast_callee(const FTBL_U *f);
    int fast_params(const FTBL_U *f) const { return static_cast<const TCALL *>(f->tcall)->np; }
    bool callee_varargs(const FTBL_U *f) const { return static_cast<const TCALL *>(f->tcall)->varargs; }
    bool callee_ranges(const FTBL_U *f) const { return static_cast<const TCALL *>(f->tcall)->ranges; }
    // Whether f's parameters are plain var scalars, by value or by reference, or var arrays
    // without sizes by reference, and it has a tree: a lean caller may bind them (1 yes, 0
    // never, -1 not yet).
    int lean_callee(const FTBL_U *f);
    uint32_t callee_refs(const FTBL_U *f) const { return static_cast<const TCALL *>(f->tcall)->refs; }
    // The call of f read at `at` (its arguments after `paren`), as scr_func_exec goes on from
    // its arguments: 0 with the function's value, -1 failed.
    int call(const FTBL_U *f, const char *at, const char *paren, VTBL_U **argv, VAL_U &val);
    long built = 0, refused = 0;   // functions
    long bound = 0;                // calls bound by call (their arguments not read from the text)
    long read_decls = 0;           // declarations a run left to the reader's reading
    long const_runs = 0;           // runs of a tree while a constant was bound by reference
    // Whether f's tree may run while a parameter is bound to a constant by reference: its body
    // stores into no such name (the reader's reading checks each store into one, also one that
    // does not run), as far as that can be told.
    bool const_ok(const FTBL_U *f);
    // Builds the tree of f ahead of its run (a caller running lean needs its callees' trees),
    // its parameters declared as its definition's link reading declares them. 0 built.
    int build_ahead(FTBL_U *f);
    // Runs fn(arg) with whatever reading the text changes (errors, context) given back after.
    void kept(void (*fn)(void *), void *arg);
    // Lean runs of the functions that allow them (see scrlean.h).
    std::unique_ptr<SCR_LEAN> lean;

private:
    struct KEEP;
    SCR_U &s;
    std::unordered_map<const char *, TFN> fns;
    SCR_STABLE<TN> nodes;   // a tree built while another runs leaves the running nodes in place
    std::vector<TN *> np;   // the nodes by index, for the runner (quicker than the chunks')
    std::vector<std::array<TX, 2>> fors;
    // Expression k of node n (a for's: 0 init, 1 cond, 2 step; others': 0, else none).
    const TX &tx(const TN &n, int k) const
    {
        static const TX none;
        return k == 0 ? n.x : n.k == TN_FOR ? fors[n.list][k - 1] : none;
    }
    std::vector<int> kids;
    std::vector<const char *> decls;
    // A declaration of plain var names ("var a = e, b[8] = {1, 2};"): read past its specifiers at specs,
    // its declarators dxs[first ..]; by decls' index in dplain (-1: the reader reads it).
    struct TDX {
        const char *at;     // where the declarator is read (past the specifiers or the ",")
        const char *past;   // past its name and the blanks after it
        int name;           // in names
        int x, y, dims;     // its shape (sizes that are numbers or enumerators)
        TX init;            // its initializer (at null: none; a list: at its "{", end past it)
        int list = 0, nlist = 0;   // a list's values: lvs[list ..]
        // A size written as an enumerator's name (in names, -1 none) and the value it had: a
        // run where the name means otherwise (a recursion meeting its caller's enumerator of
        // that name, declared after the array) is the reader's.
        int sname[2] = {-1, -1}, sval[2] = {0, 0};
    };
    // A value of a list of initial values: its element and its expression.
    struct TLV {
        int c, r;
        TX x;
    };
    std::vector<TLV> lvs;
    // An enum declaration ("enum E { A, B = 5 };", each value a number written or none): its
    // enumerators evs[first ..] with their values; end past its ";". In dplain as -2 - index.
    struct TENUM {
        int first, n;
        const char *end;
    };
    struct TEV {
        int name;   // in names
        int value;
    };
    std::vector<TENUM> enums;
    std::vector<TEV> evs;
    struct TDECL {
        const char *specs;
        int first, n;
        int type, flags;   // var or a part's type; static, const and the words of no effect
    };
    std::vector<int> dplain;
    std::vector<TDECL> tds;
    std::vector<TDX> dxs;
    std::vector<uint8_t> fxs;
    std::vector<char> names;
    // The parsed roots of each expression: the assignment expressions of its comma list, from
    // first in xr; first -2 not parsed yet, -1 read by the reader.
    struct XS {
        int first = -2, n = 0;
    };
    struct XR {
        int root;
        const char *at;
    };
    std::vector<XS> xs;
    std::vector<XR> xr;
    uint32_t xc_epoch = 0;
    struct TCALL {
        const TFN *t = nullptr;   // null: not a fast callee
        int np = 0;
        std::vector<std::array<char, SCR_NAMESIZE>> name;   // per parameter
        uint32_t refs = 0;          // the parameters by reference (the regular call binds them)
        bool frame = false;   // runs with a frame (SCR_U::FRAME)
        bool varargs = false; // "..." ends the parameters: more arguments are evaluated, bound to nothing
        bool ranges = false;  // a grid by reference before four scalars: in a formula a cell range may stand for all five
    };
    std::unordered_map<const FTBL_U *, TCALL> callees;
    int callee_of(const FTBL_U *f, TCALL &c);
    // The label a goto is seeking and the nodes around it: seeking enters only these, and
    // what it would read of the others is replayed.
    int seek_to = -1;
    std::vector<int> path;
    std::vector<uint8_t> on_path;
    void mark_path(int label);
    bool off_path(int i) const { return seeking_goto() && seek_to >= 0 && !on_path[i]; }
    int path_kid(int block) const;
    int replay_run(int first, int n);
    void link_gotos(size_t n0);
    int loops = 0, fn_type = 0;
    int body_nest = 0;   // the nest level of the names the body being built declares
    bool linking = false;   // the build is the link's reading (build_link)
    int stat_depth = 0;     // statements around the one being built
    int switches = 0;    // switches around the statement being built
    int label_ok = 0;    // a case or default label may stand here: the top of a switch body
    int blocks = 0;      // blocks around the one being built
    bool inner_decls = false;
    int deep_labels = 0;  // a label of the switch being built stands below the top of its body
    // A switch being run: what the reader keeps in ctx.sw_*.
    struct SW {
        int value = 0, matched = 0, defaults = 0, default_run = 0, running = 0, jumped = 0;
        int seek = 0;   // entered seeking a goto's label: labels do not select
        // A switch with labels below the top of its body runs as the reader reads it: its body
        // suppressed (st_noexect at base) until a label lowers it, the constructs on the way
        // entered as a goto's seeking enters them.
        int deep = 0, lowered = 0, base = 0;
        const TN *case_at = nullptr, *default_at = nullptr;
    };
    SW *cur_sw = nullptr;   // the innermost switch running
    bool case_seeking() const
    {
        return cur_sw && cur_sw->deep && !cur_sw->lowered && !cur_sw->seek && s.ctx.st_noexect == cur_sw->base;
    }

    int add(const TN &n);
    int b_exp(const char *&p, TX &x);
    int b_parse(const char *&p, TX &x, bool list);
    int b_paren(const char *&p, TX &x);
    int b_stat(const char *&p);
    int b_block(const char *&p, const char *at);
    int b_body(const char *&p, TN &n);
    int b_loop(const char *&p, TN &n);
    int b_return(const char *&p, TN &n);
    int b_switch(const char *&p, TN &n);
    int b_label(const char *&p, TN &n, int w);
    int b_name(const char *&p, TN &n);
    int r_goto(const TN &n);
    // Seeking a goto's label, or the case or default label of a switch that has them below the
    // top of its body: constructs are entered without their conditions, nothing runs.
    int seeking() const { return s.ctx.goto_label[0] != 0 || case_seeking(); }
    int seeking_goto() const { return s.ctx.goto_label[0] != 0; }
    void fx_of(TN &n, const std::vector<uint8_t> &own);

    int r_exp(const TX &x, VAL_U &v);
    int fast_exp(const TX &x, VAL_U &v, bool unused = false);   // unused: a statement's value
    int x_exp(const TX &x, const char *&p, VAL_U &v);
    void x_compile(const TX &x, XS &st);
    // The parsed roots of x (parsed at the first ask; first -1: the reader's). xc is s.scr_xc.
    XS roots_of(const TX &x, SCR_XC *xc);
    // The parsed root of the initial value at `at` (past its blanks) of declaration d (decls'
    // index) in this run's reading, and where it ends; 0 when the tree keeps none for it.
    int init_root(int d, const char *at, const char *&end);
    void sync_roots(const SCR_XC &xc);
    // The roots of x in this run: a formula's callee reads a cell name as the cell.
    int vx(const TX &x) const { return x.id + (s.ctx.cel_x != SCR_NOCELL); }
    static bool head_has_enum(const char *text);
    // An array declarator's sizes written as numbers ("[x]" or "[y][x]", none: dims 0) at p:
    // 0 with the shape, -1 when they are not numbers or not a shape a declaration makes.
    // The sizes at p written as numbers, or as enumerators where `enums` takes their names
    // (else -1), of at most 1000 columns and 1000000 rows. 0 with the shape.
    int shape_of(const char *&p, int &x, int &y, int &dims, char (*enums)[SCR_NAMESIZE] = nullptr);
    // A list of initial values at p ("{" next) for an array of dims (1 or 2) and sizes xs, ys,
    // laid out as the declaration lays it: value(c, r) reads the value for element (c, r) at p
    // (0, else -1). 0 with p past the list; -1 where the declaration would fail on the list's
    // shape (a value too many, a row where none fits, no value) or a value failed.
    template <class VALUE> static int list_layout(SCR_U &s, const char *&p, int dims, int xs, int ys, VALUE value)
    {
        if (dims < 1 || s.scr_match_key(p, "{") != 0) return -1;
        int c = 0, r = 0, count = 0;
        auto next = [&] { return s.scr_match_key(p, ",") == 0 ? 1 : s.scr_match_key(p, "}") == 0 ? 0 : -1; };
        while (s.scr_match_key(p, "}") != 0) {
            if (c >= xs) {   // on into the next row
                if (dims < 2 || ++r >= ys) return -1;
                c = 0;
            }
            if (s.scr_match_key(p, "{") == 0) {   // a row of its own
                if (dims != 2 || r >= ys) return -1;
                while (s.scr_match_key(p, "}") != 0) {
                    if (c >= xs || value(c++, r) != 0) return -1;
                    count++;
                    int more = next();
                    if (more < 0) return -1;
                    if (!more) break;
                }
                c = 0;
                r++;
            } else {
                if (value(c++, r) != 0) return -1;
                count++;
            }
            int more = next();
            if (more < 0) return -1;
            if (!more) break;
        }
        return count ? 0 : -1;
    }
    int r_stat(int i);
    int r_body(const TN &n);
    int r_compound(const TN &n, SCR_U::FRAME *fill = nullptr);
    int r_loop(const TN &n);
    int r_after(const TN &n, VAL_U &v);
    int r_return(const TN &n);
    int r_switch(const TN &n);
    int r_switch_pass(const TN &n, SW &sw, int &jump);
    int r_switch_stat(int i, SW &sw);
    int r_label(const TN &n, SW &sw);
    int r_deep_switch(const TN &n, int &jump);
    int deep_label(const TN &n, SW &sw);
    int r_decl_failed(const char *at);
    // A declaration that failed is read again as a statement, which fails with its message:
    // `statement` does what the runner does before a statement at `at` (mark, hook, prologue).
    template <class STATEMENT> int decl_failed(const char *at, STATEMENT statement)
    {
        std::string err = s.err_nowscr;
        statement();
        if (!s.scr_errpos) {
            const char *p = at;
            s.scr_skip_space(p);
            s.scr_errpos = p;
        }
        if (!err.empty()) {
            s.err_nowscr[0] = 0;
            s.scr_set_SCRERR("%s", err.c_str());
        }
        return TR_FAIL;
    }
    int b_decl(const char *at);
    int b_enum(const char *at);
    int r_enum(int k, const char *&p);
    int b_list(const char *&q, TDX &x);
    int b_init(const char *&q, TX &x);
    int r_list(const TDX &x, VTBL_U *vt);
    int r_init(const TX &x, const char *&u, VTBL_U *vt, int c, int r);
    int r_decl(int d, const char *&p);
    VTBL_U *r_declarator(const TDECL &d, const TDX &x, const char *&p);
    VTBL_U *r_declarator_seek(const TDECL &d, const TDX &x, const char *&p);
    bool passable(const TDECL &d);
    bool stores_of(int i, std::string &out);
    void frame_fill(SCR_U::FRAME &fr, uint64_t born);
    // The statement prologue: the current error texts become the previous ones.
    void prologue()
    {
        if (s.err_nowscr[0] || s.err_prescr[0]) s.scr_set_SCRERR(nullptr);
        if (s.err_nowfnc[0] || s.err_prefnc[0]) s.scr_set_FNCERR(nullptr);
    }
    // Reading node i without effect: TR_NEXT, or TR_FAIL where a label in it fails.
    int replay(int i);
    int replay_labels(const TN &n);
    void replay_fx(int from, int n);   // fxs[from ..]
};
