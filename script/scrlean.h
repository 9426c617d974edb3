// Lean runs: a function that computes with its own names, globals, texts and built-ins runs
// here, its parameters and locals in the slots of a native frame, without the entries, the
// context copy and the boxed values of a tree call. Such a function (plain var parameters by
// value or by reference, parts by reference, plain var locals of any block, scalars or arrays
// with sizes written as numbers, parts of its own, statics, plain var globals and parts'
// elements, enumerators, numbers, texts, the operators, built-ins, switch, goto, and calls of
// other such functions) touches nothing but its frames, those globals' and statics' storage,
// its references' storage, the parts' elements and what its built-ins touch,
// so the run keeps only what can be seen: the marks, the hook before each statement, the
// rotation of the error texts, the call limit, the element references' checks, and for a
// built-in that may call the host the context a tree call would have. A function called
// from a formula has a form of its own, made as a formula's call reads its body. When the
// variable view is made (a pause, the menu, a wait) the entries the calls would hold are
// made, with the values they would hold, and kept current at every later view until their
// call returns.
//
// A local that may hold a text or nothing, or be read before it is set, or a parameter given a
// text or nothing, is a box (a VAL_U); a function whose returns give such values gives them to
// its caller whole. A call past the limit fails as the tree call fails: its message, the
// position of the innermost statement, every call failed.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "script/scr.h"
#include "script/scrcache.h"

class SCR_TREE;
class VAR_GJ;
struct LS;
struct LX;
struct TFN;
struct TN;
struct TX;

class SCR_LEAN {
public:
    using MASK = unsigned __int128;   // a bit per slot: parameters, then locals
    SCR_LEAN(SCR_U &s, SCR_TREE &t);
    ~SCR_LEAN();
    SCR_LEAN(const SCR_LEAN &) = delete;
    SCR_LEAN &operator=(const SCR_LEAN &) = delete;

    struct FN;
    // Forgets every form (a new link).
    void clear();
    // The lean form of f (which has a tree), made at the first ask; null when it has none.
    const FN *form(const FTBL_U *f);
    // Whether a run may start here: no log, no formula, no suppression, room for the deepest
    // chain of calls the regular evaluator could make from here.
    bool may_start() const;
    // The call of f read at `at` (arguments after `paren`) from the regular evaluator, with
    // the arguments' values, as SCR_TREE::call makes it after its arguments. 0 done (val), -1
    // failed (the error set), 1 not made (at the call limit: the regular call says so).
    // The arguments' values: numbers in args; a parameter that takes a value whole (bit k of
    // takes_values) takes it from vals[k]. A form made again while its arguments were
    // evaluated may take more, or be refused: the regular call is made then.
    int call(const FN &fn, const char *at, const char *paren, const double *args, VAL_U *vals, VAL_U &val);
    static uint32_t takes_values(const FN &fn);
    // The body of a function whose call the regular evaluator made (its context set, its
    // parameters bound), as SCR_TREE::run runs it: its parameters' values taken from their
    // entries (a reference's: the storage its entry shares). 0 done, -1 failed (the error
    // set), 1 not made (a parameter holding what its slot cannot).
    int body(const FN &fn);
    // body() of f's lean form where a run may start here (not in a formula's reading); 1 when
    // it is not run so.
    int body_of(const FTBL_U *f);
    // The entries of the calls running lean, as the regular calls would hold them now (for
    // the variable view): made at the first ask, brought up to date at every later one.
    void materialize();
    long runs = 0;
    long regulars = 0;   // regular calls a lean run made (a callee without its lean form)

private:
    friend class SCR_U;   // a fault's trap forgets the frames it abandoned (scr_lean_forget)
    struct FR;
    struct FAIL {};
    SCR_U &s;
    SCR_TREE &t;
    std::vector<std::unique_ptr<FN>> fns;
    std::vector<const FN *> built;   // the forms made or made again since form() was asked
    FR *top = nullptr;        // the innermost frame
    bool ret_set = false;     // a return ran in this run: scr_retval is its value afterwards
    double ret_last = 0;
    bool ret_last_whole = false;   // it gave a value whole: ret_lastv
    VAL_U ret_lastv;
    struct LAST;

    // building
    FN *make(const FTBL_U *f);
    void build(FN &fn, MASK want);
    void build_once(FN &fn, MASK want);
    bool rebox(FN &fn, MASK want);
    static void reset(FN &fn);
    static void taken_whole(const FN &fn, std::vector<const char *> &at);
    int c_stat(FN &fn, int tn, int nest);
    int c_exp(FN &fn, const TX &x, int nest);
    int c_root(FN &fn, int root, int nest);
    int c_node(FN &fn, int xn, int nest);
    int c_slot(FN &fn, const char *name) const;
    int c_decls(FN &fn, const TN &block, int level);
    int c_values(FN &fn, const char *&p, int slot, int level, int d);
    // The root of the initial value at p of declaration d (decls' index): the tree's (parsed at
    // its build) when it keeps one, else parsed now; p past it.
    int init_root(int d, const char *&p);
    static bool c_named(const FN &fn, const char *name);
    int c_lib(FN &fn, const SCR_XC::XN &n, int nest);
    int c_regular(FN &fn, const SCR_XC::XN &n, const FTBL_U *f, int nest, const char *&paren);
    struct LABELS {
        std::vector<int> cases;
        int defaults = 0;
    };
    int c_switched(FN &fn, int i, int nest, LABELS &labels, int chain);
    // n items made by make(k) (an index, -1 refused) as a list: its start, or -1.
    template <class MAKE> int c_list(FN &fn, int n, MAKE make);

    // running
    int run(const FN &fn, FR &f, double &val);
    int st(FR &f, const LS &n);
    int block(FR &f, const LS &b);
    void declare(FR &f, int first, int n, bool values = true);
    void initial(FR &f, const LX &e, int x, int y, int slot);
    int seek(FR &f, const LS &n);
    int seek_in(FR &f, const LS &n);
    [[gnu::cold]] void failed_at(const char *at);
    int seek_block(FR &f, const LS &n);
    static bool on_path(const FR &f, const LS &n);
    [[gnu::noinline]] int scoped(FR &f, const LS &n);
    static int scoped_st(SCR_LEAN &l, FR &f, const LS &n);   // the statement function of such a block
    void undeclare(FR &f, MASK mask);
    struct SCOPE;
    int loop(FR &f, const LS &n);
    int loop_on(FR &f, const LS &n);
    int loop_after(FR &f, const LS &n, int r);
    struct PASS;
    bool after(FR &f, const PASS &p);
    struct SW {
        int value = 0;
        bool matched = false, defaults = false, default_run = false, running = false;
        bool seek = false;   // entered by a goto: on from its label

    };
    int sw(FR &f, const LS &n);
    int switched(FR &f, const LS &n, SW &w);
    void step(FR &f, int nest, const char *at);
    double opnd(FR &f, const LX &x);
    double ev(FR &f, const LX &x);
    using EVF = double (*)(SCR_LEAN &, FR &, const LX &);
    template <int K> static double evk(SCR_LEAN &l, FR &f, const LX &x);
    // An operator of two locals (M 0) or of a local and a number (M 1), its operands kept in
    // the node; a store of such an operation into a local (evs)
    template <int K, int M> static double evb(SCR_LEAN &l, FR &f, const LX &x);
    template <int K, int M> static double evs(SCR_LEAN &l, FR &f, const LX &x);
    static double post1(SCR_LEAN &l, FR &f, const LX &x);
    static double stored(FR &f, const LX &x, double r);
    static EVF leaf_ef(const LX &x);
    static const EVF evf[];
    using STF = int (*)(SCR_LEAN &, FR &, const LS &);
    template <int K> static int stk(SCR_LEAN &l, FR &f, const LS &n);
    static const STF stf[];
    friend struct LX;
    friend struct LS;
    [[gnu::noinline]] double call_in(FR &f, const LX &x, VAL_U *rv);
    [[gnu::noinline]] double call_vals(FR &f, const LX &x, FR &g);
    double enter(FR &f, const LX &x, FR &g, const FN &c);
    [[gnu::noinline]] void call_r(FR &f, const LX &x, VAL_U &val);
    [[gnu::noinline]] double call_rn(FR &f, const LX &x, const FN &c, VAL_U *val);
    [[gnu::noinline]] double call_rnum(FR &f, const LX &x);
    [[noreturn, gnu::cold, gnu::noinline]] void too_deep();
    void regular(FR &f, const LX &x, VAL_U &val, const VAL_U *done);
    void extras(FR &f, const LX &x);
    int ret_whole(FR &f, const LS &n);
    [[gnu::noinline]] void lib_in(FR &f, const LX &x, VAL_U &val);
    [[gnu::noinline]] void hook(FR &f, int nest, const char *at);
    void unmake(FR &f);
    int bind_ref(FR &f, int a);
    bool listed(const VTBL_U *v) const;
    static MASK unset_reads(const FN &fn);
    int box(FN &fn);
    VTBL_U *global_of(FN &fn, const SCR_XC::XN &n);
    VTBL_U *entry_of(FN &fn, const SCR_XC::XN &n);
    VTBL_U *entry_named(FN &fn, const char *name);
    const VTBL_U *enumerator(FN &fn, const char *name);
    int c_gadget(FN &fn, const XC_ARG &a);
    int c_ref(FN &fn, int root, int dims, int type);
    int c_storage(FN &fn, const SCR_XC::XN &v);
    struct AS_TREE {
        SCR_U &s;
        SCR_CTX keep;
        AS_TREE(SCR_U &s, const FR &f, int nest);
        ~AS_TREE();
    };
    int index(FR &f, const LX &x);
    int index_in(FR &f, const LX &x, int i);
    const VAL_U *peek_in(FR &f, const LX &x, int i);
    const VAL_U *held(FR &f, const LX &x);
    void remember_row(const LX &x, VAR_GJ *v);
    bool in_row(const LX &x, int i) const;
    [[gnu::noinline]] int index2(FR &f, const LX &x, int &y);
    BASE_GJ *storage(FR &f, const LX &x);
    static VAR_GJ *vars(FR &f, const LX &x);   // a local array's or var reference's storage
    const char *name_of(FR &f, const LX &x);
    const VAL_U *peek(FR &f, const LX &x);
    [[gnu::noinline]] const VAL_U *peek2(FR &f, const LX &x);
    [[gnu::noinline]] void jread(FR &f, const LX &x, VAL_U &v);
    [[gnu::noinline]] void cell_read(FR &f, const LX &x, VAL_U &v);
    const VAL_U *vref(FR &f, const LX &x, VAL_U &tmp);
    [[gnu::noinline]] const VAL_U *vref_rare(FR &f, const LX &x, VAL_U &tmp);
    void gstore(FR &f, const LX &x, VAL_U &r);
    [[gnu::noinline]] void gstore_op(FR &f, const LX &x, int i, int y, VAL_U &r);
    [[gnu::noinline]] void gstep(FR &f, const LX &x, VAL_U &val);
    SCR_U::LVAL lvalue(FR &f, const LX &x, int i, int y);
    void bstore(FR &f, const LX &x, VAL_U &tmp);
    [[gnu::noinline]] void bpost(FR &f, const LX &x, VAL_U &val);
    bool errs() const;
    // How the running evaluation reads a body: 1 as a formula's callee (a cell name is a cell,
    // its parsed roots are the formula's set), 0 as a script's.
    int cell_mode() const { return s.ctx.cel_x != SCR_NOCELL; }
};
