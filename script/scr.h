// The script interpreter. It runs on the script text itself: every grammar method scans the
// text at a cursor and does what it reads (no tokens, no tree, no code). Names live in two
// plain lists (variables, functions) scoped by nest levels; text read while st_noexect is above
// 0 has no effect. Control transfers of the language are the only thrown things (E_GOTO,
// E_EXIT, E_SIGNAL); a return is carried by scr_ret_pending, not thrown.
#pragma once
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "script/gajet.h"
#include "script/scrcall.h"
#include "script/scrdll.h"
#include "script/lex.h"
#include "script/pool.h"
#include "script/val.h"
#include "sheet/kovhost.h"

class CSV_U;
class SCR_U;
class SCR_XC;
struct XC_ARG;
struct KOV_RECT;
struct TFN;
class SCR_TREE;

// Storage and qualifier flags of declarations.
enum {
    SF_REF = 1, SF_AUTO = 2, SF_REGISTER = 4, SF_VOLATILE = 8,
    SF_CONST = 16, SF_STATIC = 32, SF_EXTERN = 64, SF_TYPEDEF = 128,
    SF_HIDDEN = 0x100,     // the interpreter's own temporaries: never found by name
    SF_BOUND = 0x200,      // a parameter sharing an argument's storage: it ends with its block,
                           // whatever flags it took from the argument (a static's too)
};
enum { PREP_SCRIPT_BEGIN = 0, PREP_SCRIPT_END = 1, PREP_FORM_BEGIN = 2, PREP_FORM_END = 3 };
// Run states of the application (read and set through kov_tstat).
enum { TST_STOP = 0, TST_SCRPT_RUN = 1, TST_SCRPT_STEP = 2, TST_SCRPT_PAUSE = 3, TST_CALC_ONE = 4,
       TST_CYCLE_250ms = 5, TST_CYCLE_1000ms = 6, TST_CYCLE_10000ms = 7 };
constexpr int SCR_NOCELL = INT32_MIN;    // current cell when no formula is evaluated
constexpr int SCR_MAXARG = 20;           // parameters of a script function
constexpr int SCR_MAXCALL = 100;         // active script function calls
constexpr int SCR_FILES = 1000;          // script file slots
// File access bits and creation dispositions of scr_file_open.
enum { SCR_FA_READ = 1, SCR_FA_WRITE = 2 };
enum { SCR_CREATE_NEW = 1, SCR_CREATE_ALWAYS = 2, SCR_OPEN_EXISTING = 3, SCR_OPEN_ALWAYS = 4,
       SCR_TRUNCATE_EXISTING = 5 };
// Native nesting allowed to constructs (expressions, statements, calls together): the stack
// they may take (half the stack limit, at most 4 MB), and a count as a second bound.
constexpr long SCR_STACK_MAX = 4L * 1024 * 1024;
long scr_stack_budget();
constexpr int SCR_DEEP_MAX = 20000;

// Script control transfers, thrown by value.
enum E_GOTO { E_GOTO_LABEL };
enum E_EXIT : int {};       // carries the exit code
enum E_SIGNAL : int {};     // carries the signal number

struct DECL_SPEC {
    int type = 0;
    int flags = 0;
};

// One declared parameter of a script function.
struct SCR_PARAM {
    int type, flags, x, y, dims;
};
// Whether the parameters from param[i] on (n in all) are a grid by reference and four scalars
// by value: there a formula's call may give a cell range for all five.
inline bool scr_range_params(const SCR_PARAM *param, int n, int i)
{
    if (i < 0 || i + 4 >= n) return false;
    const SCR_PARAM *d = param + i;
    if (d[0].type != VT_ARRAY || !(d[0].flags & SF_REF)) return false;
    for (int k = 1; k <= 4; k++)
        if (d[k].type != VT_VAR || d[k].dims != 0 || (d[k].flags & SF_REF)) return false;
    return true;
}

// One declared name.
class VTBL_U {
public:
    explicit VTBL_U(SCR_U *host);
    ~VTBL_U();     // destroys the chain behind it too (iteratively)
    VTBL_U(const VTBL_U &) = delete;
    VTBL_U &operator=(const VTBL_U &) = delete;
    SCR_POOLED(VTBL_U)

    // Attaches a storage object (releasing the previous one); nullptr only detaches.
    int vtb_link(BASE_GJ *gj);
    int vtb_link_traced(BASE_GJ *gj);
    // A var's shape is read without a virtual call: every operand asks for it.
    int vtb_dims() const
    {
        const VAR_GJ *g = gj_vars_of(vtb_gajet_pt);
        return g ? g->gj_dims() : vtb_gajet_pt ? vtb_gajet_pt->gj_dims() : 0;
    }
    int vtb_xs() const
    {
        const VAR_GJ *g = gj_vars_of(vtb_gajet_pt);
        return g ? g->gj_xs() : vtb_gajet_pt ? vtb_gajet_pt->gj_xs() : 0;
    }
    int vtb_ys() const
    {
        const VAR_GJ *g = gj_vars_of(vtb_gajet_pt);
        return g ? g->gj_ys() : vtb_gajet_pt ? vtb_gajet_pt->gj_ys() : 0;
    }
    // The storage of a variable (not an enumerator) when it is a var's, else null.
    const VAR_GJ *vtb_vars() const { return type >= VT_VAR && type != VT_ENUM ? gj_vars_of(vtb_gajet_pt) : nullptr; }
    // "owner@name" with "[x]" / "[y][x]" for arrays, for messages.
    const char *vtb_show(char *buf, int size) const;

    VTBL_U *next = nullptr;
    VTBL_U *hnext = nullptr;        // same hash bucket, older (the name index of SCR_U)
    VTBL_U **hprev = nullptr;
    SCR_U *host;
    BASE_GJ *vtb_gajet_pt = nullptr;
    char owner[SCR_NAMESIZE] = {0};
    char name[SCR_NAMESIZE] = {0};
    int type = 0;
    int flags = 0;
    int nest = 0;
    int value = 0;
    uint64_t born = 0;   // the host's vt_births when it was made
    unsigned hkey = 0;   // its key in the host's name index (SCR_U::vt_key), set as it enters
    static long vtb_objct;
};

// One script function.
class FTBL_U {
public:
    FTBL_U();
    ~FTBL_U();     // destroys the chain behind it too (iteratively)
    FTBL_U(const FTBL_U &) = delete;
    FTBL_U &operator=(const FTBL_U &) = delete;

    FTBL_U *next = nullptr;
    FTBL_U *hnext = nullptr;        // same hash bucket
    char name[SCR_NAMESIZE] = {0};
    unsigned seed = 0;              // scr_owned_seed(name): its entries' part of their index key
    // Its parameters as declared; past the last a parameter of type 0. (Kept as many as there are:
    // a script may define thousands of small functions.)
    const SCR_PARAM &param(int i) const { return i >= 0 && i < nparam ? params[i] : no_param; }
    std::unique_ptr<SCR_PARAM[]> params;
    int nparam = 0;
    static constexpr SCR_PARAM no_param{};
    const char *text = nullptr;     // where the definition begins
    int type = 0;
    int flags = 0;
    int varargs = 0;                // "..." ends the parameter list
    int loops = 0;                  // its body has a loop or a goto: it may run statements again
    int runs = 0;                   // runs from its text so far; -1 no tree can be built
    const TFN *tfn = nullptr;       // its statement tree, once built
    mutable const void *tcall = nullptr;   // how a tree call binds it (the tree's), once asked
    // its lean forms (SCR_LEAN's), once asked: as a script's run reads its body, and as a
    // formula's call reads it (a cell name there is a cell)
    mutable const void *lean[2] = {};
    mutable int lean_tries[2] = {};
    static long ftb_objct;
};

// A variable set for a scope and given back its value after it (also when a transfer passes).
template <class T> struct SCR_SET {
    T &v;
    T keep;
    SCR_SET(T &v, T to) : v(v), keep(v) { v = to; }
    ~SCR_SET() { v = keep; }
    SCR_SET(const SCR_SET &) = delete;
    SCR_SET &operator=(const SCR_SET &) = delete;
};

// Two names alike (short: compared here, without a call).
inline bool scr_name_eq(const char *a, const char *b)
{
    while (*a == *b) {
        if (!*a) return true;
        a++, b++;
    }
    return false;
}

// A name copied (short: here, without a call; every call copies a few).
inline void scr_name_cpy(char *to, const char *from)
{
    while ((*to++ = *from++)) {
    }
}

// Hash of a name for the name indexes (FNV-1a).
inline unsigned scr_name_hash(const char *name, unsigned h = 2166136261u)
{
    for (; *name; name++) h = (h ^ (unsigned char)*name) * 16777619u;
    return h;
}
// A function's own entry (a local, a parameter, a static) is indexed by the hash of its name and
// this seed of its owner's, so that the same name in many functions does not fill one bucket.
inline unsigned scr_owned_seed(const char *owner) { return ((scr_name_hash(owner) ^ '@') * 16777619u) | 1u; }

// Name index of an entry list (VTBL_U or FTBL_U, chained by hnext; VTBL_U also by hprev, so
// that an entry can leave by itself). A bucket holds its entries newest first, like the list, so
// a lookup walks only the names of one bucket; the buckets double when the entries pass twice
// their number, so that a lookup walks few entries however many names there are. A VTBL_U
// carries its key (SCR_U::vt_key: by owner and name when it has an owner).
template <class T> class SCR_INDEX {
public:
    SCR_INDEX() = default;
    SCR_INDEX(const SCR_INDEX &) = delete;
    SCR_INDEX &operator=(const SCR_INDEX &) = delete;
    ~SCR_INDEX() { if (b != first) delete[] b; }

    T *head(const char *name) const { return b[scr_name_hash(name) & mask]; }
    T *head_of(unsigned hash) const { return b[hash & mask]; }
    unsigned buckets() const { return mask + 1; }
    long size() const { return count; }
    void put(T *e)
    {
        if (count >= 2L * buckets()) grow();
        link(e);
        count++;
    }
    void left() { count--; }   // an entry unlinked itself
    void clear()
    {
        for (unsigned i = 0; i <= mask; i++) b[i] = nullptr;
        count = 0;
    }

private:
    static constexpr unsigned FIRST = 256;
    T *first[FIRST] = {};   // the buckets until the first growth: no allocation before it
    T **b = first;
    unsigned mask = FIRST - 1;
    long count = 0;

    static unsigned key(const T *e)
    {
        if constexpr (requires { e->hkey; })
            return e->hkey;
        else
            return scr_name_hash(e->name);
    }
    void link(T *e)
    {
        T **at = &b[key(e) & mask];
        e->hnext = *at;
        if constexpr (requires { e->hprev; }) {
            if (*at) (*at)->hprev = &e->hnext;
            e->hprev = at;
        }
        *at = e;
    }
    // Out of memory the index stays as it is: still right, only slower.
    void grow()
    {
        unsigned n = 2 * (mask + 1);
        T **nb = new (std::nothrow) T *[n]();
        if (!nb) return;
        T **old = b;
        unsigned on = mask + 1;
        b = nb;
        mask = n - 1;
        for (unsigned i = 0; i < on; i++) {
            T *r = nullptr;   // the bucket oldest first: put in front one by one, newest ends first
            for (T *e = old[i], *nx; e; e = nx) {
                nx = e->hnext;
                e->hnext = r;
                r = e;
            }
            for (T *e = r, *nx; e; e = nx) {
                nx = e->hnext;
                link(e);
            }
        }
        if (old != first) delete[] old;
    }
};

// The interpreter context that blocks save and restore whole (plain data: copied by value).
struct SCR_CTX {
    int cel_x = SCR_NOCELL, cel_y = SCR_NOCELL;   // current cell of a formula
    int scr_pass = 0;                              // 1 link, 2 run
    int scr_nest = 0;
    int st_noexect = 0;                            // > 0: read without effect
    char func_name[SCR_NAMESIZE] = {0};            // set by set_func only
    unsigned func_seed = 0;                        // scr_owned_seed(func_name)
    uint64_t block_born = 0;                       // vt_births when the innermost block began
    void set_func(const char *name, unsigned seed)
    {
        scr_name_cpy(func_name, name);
        func_seed = seed;
    }
    void set_func(const char *name) { set_func(name, scr_owned_seed(name)); }
    DECL_SPEC fn_spec;                             // of the function being run
    int sw_nest = 0, sw_value = 0, sw_match = 0, sw_default = 0, sw_default_run = 0;
    int sw_seek = 0;                               // the switch was entered seeking a label
    // Where the matching case and the default label stand, and whether one of them has lifted
    // the switch's suppression: a loop inside the body reads them again (only labels then), and
    // a selection made inside a loop outlives the loop's context.
    const char *sw_case_at = nullptr, *sw_default_at = nullptr;
    int sw_lowered = 0;
    int sw_base = 0;                               // st_noexect while the switch seeks its label
    int loop_nest = 0, brk_flag = 0, cnt_flag = 0;
    char goto_label[SCR_NAMESIZE] = {0};
};

// A debugging view as data: rows and columns of texts (the window shows it later).
struct SCR_VIEW {
    int rows = 0, cols = 0;
    // The cells by row, each as far as its last one set (the rest read empty): the function
    // table's rows have twenty columns of parameters, mostly empty, and a script may have
    // thousands of functions.
    std::vector<std::vector<std::string>> cell;
    int open = 0, shown = 1;
    std::string title;
    int view_size(int r, int c);
    void view_set(int r, int c, const char *text);
    const char *view_get(int r, int c) const;
};

// A live trace mark: the stack history view lists them innermost first.
struct SCR_MARK {
    const char *name;
    const char *arg;
    SCR_MARK *prev;
};

// Recalculation requests waiting for their notice (code 3): the whole sheet, or areas.
constexpr int SCR_CALCQ_MAX = 1024;
struct SCR_CALCQ {
    int posted = 0;   // the notice is on its way
    int whole = 0;
    int count = 0;
    KOV_RECT area[SCR_CALCQ_MAX];
};
// Longest formula a recalculation pass evaluates (bytes); longer ones keep their value.
constexpr int SCR_FORM_MAX = 4096;

// Installs the fault handlers (SIGSEGV, SIGFPE, SIGILL on an alternate stack); once per process.
void scr_signal_init();


class SCR_U : public SCR_LEX {
public:
    SCR_U();
    ~SCR_U() override;
    SCR_U(const SCR_U &) = delete;
    SCR_U &operator=(const SCR_U &) = delete;

    // ---- wiring ----
    CSV_U *scr_csv = nullptr;       // the sheet (cell references, my); may be null
    // The host: statement hook, editor text, status. nullptr gives back the interpreter's own
    // host (no window, no editor).
    void scr_set_host(KOV_HOST *h) { scr_hostp = h ? h : &scr_own_host; }
    KOV_HOST &scr_host() const { return *scr_hostp; }
    SCR_GJ_MAKER *scr_gjmaker = nullptr;   // objects of part-type variables (the gadget layer)
    FN_LOOKUP scr_fn_table = nullptr;   // built-in table (installed by the function library)
    void *scr_func = nullptr;           // the function library's own state (its FUNC_U)
    int scr_tstat = TST_STOP;       // the application's run state
    const char *scr_fn_name = "";   // built-in being called (for its messages)
    // Statements that may pass the hook without calling the host while the run state stays
    // TST_SCRPT_RUN (the host sets it when it has nothing to do for a while).
    int scr_hook_quiet = 0;
    virtual const FN_DEF *scr_fn_lookup(const char *name);

    // ---- state ----
    SCR_CTX ctx;
    VTBL_U *vtbl_top = nullptr;
    FTBL_U *ftbl_top = nullptr;
    // Name indexes of the two lists.
    SCR_INDEX<VTBL_U> vt_index;
    // vt's key in vt_index, as it enters: a function's own entry (an owner) by owner and name,
    // else by name
    unsigned vt_key(const VTBL_U *vt) const
    {
        unsigned h = scr_name_hash(vt->name);   // (an entry is made with the running function its owner)
        return vt->owner[0] ? h ^ ctx.func_seed : h;
    }
    SCR_INDEX<FTBL_U> ft_index;
    int func_depth = 0;
    VAL_U scr_retval;               // value of the return being carried out
    // A return was carried out: the rest of the body is read suppressed up to its definition,
    // like a break up to its loop (cheaper than unwinding the native stack by a throw).
    int scr_ret_pending = 0;
    char *scr_text = nullptr;       // linked script text (owned)
    long scr_stamp = 0;             // editor stamp of the last link
    int scr_linked = 0;
    const char *scr_errpos = nullptr;   // innermost failing statement of the run
    int scr_fatal = 0;              // a fault was trapped
    int scr_deep = 0;               // native nesting of constructs
    int scr_deep_err = 0;           // the limit was hit (1 the count, 2 the stack): everything fails fast
    uintptr_t scr_stack_base = 0;   // stack position where the outermost run or formula began
    long scr_stack_room = scr_stack_budget();
    const char *scr_goto_pos = nullptr;     // the goto being carried out (for its error)
    char scr_goto_to[SCR_NAMESIZE] = {0};   // label of the goto being thrown
    SCR_MARK *scr_marks = nullptr;
    SCR_VIEW view_ftbl, view_vtbl, view_stbl;
    // Calls the link pass met before their function (name, position), checked at its end.
    std::vector<std::pair<std::string, const char *>> scr_fwd;
    long scr_fwd_met = 0;   // calls the link met of functions not defined yet
    // Parsed forms of the script's expressions, made as each first runs (null until then). The
    // environment variable KOVASH_NOCACHE=1 or scr_cache_on = 0 runs everything from the text.
    SCR_XC *scr_xc = nullptr;
    // Bumped whenever a name may come to mean another entry (entries made or dropped, nest
    // levels or the function changed), so that a lookup remembered with it stays right.
    uint64_t vt_gen = 1;
    // The tables are as they were at generation vt_same (0: not known): a call that returned
    // and changed nothing that outlives it leaves what its caller remembered right.
    uint64_t vt_same = 0;
    void vt_bump()
    {
        vt_gen++;
        vt_same = 0;
    }
    // The generation that what is remembered now is to be kept with.
    uint64_t vt_now() const { return vt_same ? vt_same : vt_gen; }
    bool vt_valid(uint64_t g) const { return g == vt_gen || (vt_same && g == vt_same); }
    // The entries of the innermost function a tree call runs when only its body's own block
    // declares names: its parameters, then what that block's declarations make, in order. Such
    // a body runs the same declarations in the same order every time, and no other entry of
    // those names can be newer while it runs, so a name of the body that meant slot k once
    // means slot k of every activation (an empty slot: looked up). Null in every other body
    // and in formulas.
    static constexpr int FRAME_SLOTS = 32;
    struct FRAME {
        const FTBL_U *fn = nullptr;
        int n = 0;   // slots filled
        VTBL_U *vt[FRAME_SLOTS];
    };
    FRAME *scr_frame = nullptr;
    // The text of the parsed call being made (it stays where it is while the parsed forms
    // stand): a range argument read there is remembered by its position.
    const char *scr_site_lo = nullptr, *scr_site_hi = nullptr;
    // Entries made so far, the count when the innermost call began, and changes to entries
    // older than that call (they outlive it).
    uint64_t vt_births = 0, vt_call_births = 0, vt_lasting = 0;
    int scr_cache_on = 1;
    // Statement trees of the function bodies, built by the link pass: run instead of the body's
    // text while scr_tree_mode is not 0 (KOVASH_TREE sets it at the start).
    SCR_TREE *scr_tree = nullptr;
    int scr_tree_mode = 0;          // 1: a tree when a function runs again, 2: at every first run
    // In a script of up to this many bytes the link builds the tree of every body it may, else of
    // the bodies with a loop (a tree takes about 24 bytes a byte of its body: 1 MB at most here;
    // a bigger script's bodies without a loop are read at their first run, within less memory)
    long scr_link_all = 40 * 1024;
    int scr_lean_on = 1;            // lean runs (SCR_LEAN) of the functions that allow them; KOVASH_LEAN=0 off
    // The reader runs a body whose tree is built at its next run: its expressions are not
    // marked for parsing (the tree parses them).
    long scr_loops_read = 0;        // loops and gotos read, for FTBL_U::loops
    // Bytes the parsed forms take.
    long scr_cache_bytes() const;

    void scr_reset(int full = 0);
    // Text is read without effect: suppressed, or a goto is seeking its label.
    int sup() const { return ctx.st_noexect > 0 || ctx.goto_label[0]; }
    // The innermost switch is still seeking its case or default label: a loop in its body is
    // entered to look for it there, as in C.
    int sw_seeking() const
    {
        return ctx.sw_nest && !ctx.sw_lowered && !ctx.sw_seek && ctx.st_noexect == ctx.sw_base;
    }

    // ---- tables ----
    VTBL_U *scr_get_vtbl(const char *name);
    int scr_put_vtbl(VTBL_U *vt);
    VTBL_U *scr_put_var(const char *name, int x, int y, int dims, int type, int flags, int is_param);
    int scr_put_enum(const char *tag, const char *name, int value);
    int scr_put_my();
    void scr_del_vtbl(int level, uint64_t since = 0);
    void scr_block_in(SCR_CTX &saved);
    void scr_block_out(const SCR_CTX &saved);
    FTBL_U *scr_get_ftbl(const char *name);
    int scr_put_ftbl(const char *name, const char *text, int type, int flags,
                     const SCR_PARAM *param, int varargs = 0);
    int scr_default_enum();
    // Views.
    int scr_make_ftbl(SCR_VIEW &v);
    int scr_make_vtbl(SCR_VIEW &v);
    int scr_make_stbl(int start);
    int scr_make_alltbl();
    int scr_onoff_onetbl(SCR_VIEW &v);
    int scr_log_onetbl(const SCR_VIEW &v, const char *label);
    int scr_log_alltbl();

    // ---- declarations ----
    int scr_decl(const char *&pos, int exec);
    int scr_decl_specs(const char *&pos, DECL_SPEC &spec);
    int scr_spec_qualifier_list(const char *&pos, DECL_SPEC &spec);
    int scr_storage_class_spec(const char *&pos, DECL_SPEC &spec);
    int scr_type_qualifier(const char *&pos, DECL_SPEC &spec);
    int scr_type_spec(const char *&pos, DECL_SPEC &spec, int in_cast = 0);
    int scr_gajet_type(const char *&pos, DECL_SPEC &spec);
    int scr_pointer(const char *&pos);
    int scr_enum_spec(const char *&pos);
    VTBL_U *scr_direct_declarator_var(const char *&pos, int type, int flags, int is_param);
    int scr_get_varparam(const char *&pos, int &x, int &y, int &dims, int is_decl);
    int scr_initializer(const char *&pos, VTBL_U *vt, int *x, int *y);
    static const char *scr_typ_string(int code);
    static const char *scr_gajet_name(int code);

    // ---- expressions ----
    int scr_exp(const char *&pos, VAL_U &val);
    // The rest of a comma list after one of its assignment expressions (pos after it).
    int scr_exp_rest(const char *&pos, VAL_U &val);
    int scr_assignment_exp(const char *&pos, VAL_U &val);
    int scr_assignment_read(const char *&pos, VAL_U &val);   // the text reader's part of it
    int scr_assignment_let(const char *&pos, VAL_U &val);
    int scr_assignment_operator(const char *&pos);
    int scr_conditional_exp(const char *&pos, VAL_U &val);
    int scr_const_exp(const char *&pos, VAL_U &val);
    int scr_logical_or_exp(const char *&pos, VAL_U &val);
    int scr_logical_and_exp(const char *&pos, VAL_U &val);
    // inclusive-or-exp: the binary operators' levels from `level` (0: "|") down to "*".
    int scr_binary_exp(const char *&pos, VAL_U &val, int level);
    int scr_cast_exp(const char *&pos, VAL_U &val);
    int scr_unary_exp(const char *&pos, VAL_U &val);
    int scr_unary_operator(const char *&pos, VAL_U &val);
    int scr_unary_sizeof(const char *&pos, VAL_U &val);
    int scr_postfix_exp(const char *&pos, VAL_U &val);
    // An lvalue: the variable and the element (x column, y row).
    struct LVAL {
        VTBL_U *vt = nullptr;          // null: storage without an entry (a lean frame's), named by name
        BASE_GJ *gj = nullptr;
        int x = 0, y = 0;
        const char *name = nullptr;
        const char *lv_name() const { return vt ? vt->name : name; }
        bool lv_const() const { return vt && (vt->flags & SF_CONST); }
    };
    int scr_postfix_adrs(const char *&pos, LVAL &lv);
    // Members after an lvalue ("." or "->" and a name, any number): read, of no effect. Whether
    // there were any.
    bool scr_skip_members(const char *&p)
    {
        const char *m = p;
        int c = scr_skip_space(m);
        return (c == '.' || c == '-') && scr_skip_members_at(p);
    }
    bool scr_skip_members_at(const char *&p);
    // What sizeof gives for a type (t >= 0) and for a value.
    static double scr_sizeof_type(int t) { return t <= VT_VOID ? 0 : t <= VT_ENUM ? 8 : 4; }
    static double scr_sizeof_val(const VAL_U &v);
    // Element (x, y) of vt named with dims indices, as an element reference takes it (the usual
    // one here; lv_bind_rare says what is wrong, or reads element 0 while suppressed).
    int lv_bind(VTBL_U *vt, int x, int y, int dims, LVAL &lv)
    {
        if (!lv_inside(vt, x, y, dims)) return lv_bind_rare(vt, x, y, dims, lv);
        lv.vt = vt;
        lv.gj = vt->vtb_gajet_pt;
        lv.x = x;
        lv.y = y;
        return 0;
    }
    static bool lv_inside(const VTBL_U *vt, int x, int y, int dims)
    {
        if (vt->type < VT_VAR || vt->type == VT_ENUM || dims != vt->vtb_dims()) return false;
        int xs = vt->vtb_xs(), ys = vt->vtb_ys();
        return !((xs > 0 && x >= xs) || (ys >= 1 && y >= ys) || x < 0 || y < 0);
    }
    int lv_bind_rare(VTBL_U *vt, int x, int y, int dims, LVAL &lv);
    // The store of an assignment (operator op of "=" "*=" ... "|=") of r into lv; val the result.
    int scr_assign_store(const LVAL &lv, int op, VAL_U &r, VAL_U &val);
    // "++" (inc 1) or "--" (-1) before an element: val its new number; one after it (its value
    // read before).
    int lv_step_pre(const LVAL &lv, int inc, VAL_U &val);
    int lv_step_post(const LVAL &lv, int inc);
    int scr_primary_const(const char *&pos, VAL_U &val);
    int scr_enum(const char *&pos, VAL_U &val) override;

    // ---- statements ----
    int scr_stat(const char *&pos, int execute);
    int scr_compound_stat(const char *&pos);
    int scr_exp_stat(const char *&pos);
    int scr_selection_if(const char *&pos);
    int scr_selection_switch(const char *&pos);
    int scr_labeled_case(const char *&pos);
    int scr_labeled_default(const char *&pos);
    int scr_labeled_label(const char *&pos);
    int scr_iteration_do(const char *&pos);
    int scr_iteration_while(const char *&pos);
    int scr_iteration_for(const char *&pos);
    int scr_jump_goto(const char *&pos);
    int scr_jump_break(const char *&pos);
    int scr_jump_continue(const char *&pos);
    int scr_jump_return(const char *&pos);
    int scr_is_endofbreak();
    int scr_is_endofcontinue();

    // ---- functions and the translation unit ----
    int scr_translation_unit(const char *text, int pass, int *result);
    int scr_function_definition(const char *&pos, VTBL_U **argv, VAL_U *result);
    int scr_function_compound(const char *&pos);
    int scr_tree_body(const char *fn, const char *name, const char *&pos);
    FTBL_U *scr_callee = nullptr;   // the function a call is about to run (its definition's reading takes it)
    const TFN *scr_tree_build(FTBL_U *f, const char *body);
    int scr_direct_declarator_func(const char *&pos, VTBL_U **argv, SCR_PARAM *param, int &varargs);
    int scr_func_exec(const char *&pos, VAL_U &val);
    int scr_func_arg(const char *&pos, const char *fname, int &count, const FTBL_U *f, VTBL_U **argv);
    VTBL_U *scr_make_argvar(const VAL_U &val, int index);
    // 0, -1 (not a built-in), -2 (a built-in whose call failed).
    int scr_func_libcall(const char *&pos, VAL_U &val);
    // pre: the call's arguments parsed (n of them, in order), each run from its root when the
    // reading stands where it begins.
    int scr_func_fmtcall(const char *&pos, VAL_U &val, const FN_DEF *fn, const XC_ARG *pre = nullptr, int npre = 0);
    // The handler of fn called with its converted arguments, its result into val (0; -1 a
    // result letter it does not know).
    int scr_fn_invoke(const FN_DEF *fn, const FN_CALL &call, VAL_U &val);
    // Up to N values in place (no heap), made as they are needed.
    template <int N> struct VALS {
        alignas(VAL_U) unsigned char raw[N * sizeof(VAL_U)];
        int n = 0;
        VALS() = default;
        VALS(const VALS &) = delete;
        VALS &operator=(const VALS &) = delete;
        VAL_U *at() { return std::launder(reinterpret_cast<VAL_U *>(raw)); }
        VAL_U &next() { return *new (raw + n++ * sizeof(VAL_U)) VAL_U; }
        VAL_U *upto(int k)   // the first k made
        {
            while (n < k) next();
            return at();
        }
        ~VALS()
        {
            while (n) at()[--n].~VAL_U();
        }
    };
    // A built-in call's argument values: the fixed arguments', then up to 17 of a "." tail
    // (dllcall has three fixed arguments and still takes 17 of its own).
    using ARGVALS = VALS<18 + 17>;
    void scr_callback(int code, intptr_t arg)
    {
        if (code != SCRCB_ONESTEP || scr_hook_due()) scr_callback_host(code, arg);
    }
    // The host let statements run without it for a while (the count goes down per statement).
    bool scr_hook_quiet_run() const { return scr_hook_quiet > 0 && scr_tstat == TST_SCRPT_RUN; }
    // Whether the statement hook calls the host now; else one quiet statement is counted.
    bool scr_hook_due()
    {
        if (scr_hook_quiet_run() && ctx.scr_pass >= 1 && !sup()) {
            scr_hook_quiet--;
            return false;
        }
        return true;
    }
    void scr_callback_host(int code, intptr_t arg);
    int scr_prepare(int mode);
    int scr_link_scrpt();
    int scr_do_allstep(const char *text, int *result);
    // Evaluates one cell formula with (x, y) as the current cell; null result: check only.
    int scr_calc_onecel(int x, int y, const char *form, VAL_U *result);
    int scr_form_exp(const char *&pos, VAL_U &val);
    // Checks a formula typed into (x, y): 0, or -1 with the error text in err (size bytes).
    int scr_check_form(int x, int y, const char *form, char *err, int size);
    // One recalculation pass over area (nullptr = whole sheet) in sheet order: 0 when it ran to
    // its end, -1 otherwise.
    int scr_calc_space(CSV_U *sheet, const KOV_RECT *area);
    // Queues a recalculation of area (nullptr = whole sheet) for the notice of code 3.
    int scr_calc_request(CSV_U *sheet, const KOV_RECT *area);
    SCR_CALCQ scr_calcq;
    // Painting of the sheet off (1) or on (0); gives the old setting.
    int scr_nopaint(int off);
    int scr_get_nopaint() const { return scr_paint_off; }

    // ---- faults ----
    // Runs body (returning int); a fault inside it is reported and comes out as E_SIGNAL thrown
    // from here, so that the caller's catch ends the run or the formula.
    template <class F> int scr_trapped(F &&body)
    {
        using B = std::remove_reference_t<F>;
        return scr_trap_run([](void *b) { return (*(B *)b)(); }, &body);
    }
    int scr_trap_run(int (*fn)(void *), void *arg);
    // The innermost lean frame, and the frames above top forgotten: a fault's jump to its trap
    // abandons them without their destructors.
    const void *scr_lean_top() const;
    void scr_lean_forget(const void *top);
    // The report of a trapped fault: the message box, the three views in the log.
    void scr_fault(int sig);

    // ---- error texts met at several places (each sets the current error, returns -1) ----
    int err_const(const VTBL_U *vt);            // a store into a const variable
    int err_type(int type);                     // a negative type code
    int err_label(const char *label);           // a goto's label is not in its function
    int err_nofunc(const char *name);           // no script function of the name
    int err_paren(const char *name);            // a call's ")" is missing
    int err_define(const char *name);           // a variable could not be made

    // ---- services ----
    static int scr_get_scrname(const CSV_U *sheet, char *name, int size);
    // A library of dllcall through the interpreter's cache (SCR_DLLS): loaded once, "" unloads all.
    void *scr_load_dll(const char *file) { return scr_dlls.dll_load(file); }
    SCR_DLLS scr_dlls;
    int scr_file_open(const char *name, int access, int disposition, int type);
    int scr_file_handle(int slot) const;
    int scr_file_ftype(int slot);
    int scr_file_close(int slot);
    void scr_file_closeall();

protected:
    friend class SCR_XC;
    friend class SCR_TREE;
    friend class SCR_LEAN;
    int scr_prepare_mode(int mode);
    // Nesting guard of the recursive constructs.
    struct DEEP {
        SCR_U &s;
        int ok;
        explicit DEEP(SCR_U &s) : s(s), ok(1)
        {
            uintptr_t here = (uintptr_t)__builtin_frame_address(0);
            long used = s.scr_stack_base > here ? (long)(s.scr_stack_base - here) : 0;
            if (++s.scr_deep > SCR_DEEP_MAX || used > s.scr_stack_room || s.scr_deep_err) refuse();
        }
        ~DEEP() { s.scr_deep--; }
        void refuse();
    };
    // The outermost run or formula records where the stack began and starts the nesting count.
    struct OUTER {
        SCR_U &s;
        int mine;
        explicit OUTER(SCR_U &s) : s(s), mine(!s.scr_stack_base) {
            if (!mine) return;
            s.scr_stack_base = (uintptr_t)__builtin_frame_address(0);
            s.scr_deep = 0;
            s.scr_deep_err = 0;
        }
        ~OUTER() { if (mine) s.scr_stack_base = 0; }
    };
    // A live trace mark.
    struct MARK {
        SCR_U &s;
        SCR_MARK m;
        MARK(SCR_U &s, const char *name, const char *arg) : s(s), m{name, arg, s.scr_marks} { s.scr_marks = &m; }
        ~MARK() { s.scr_marks = m.prev; }
    };
    // A block that changes nothing of the context but the level: what it declares ends with it
    // (most blocks declare nothing: the list is not walked then).
    struct NEST {
        SCR_U &s;
        explicit NEST(SCR_U &s) : s(s) { s.ctx.scr_nest++; }
        ~NEST()
        {
            const VTBL_U *top = s.vtbl_top;
            if (top && ((top->flags & SF_STATIC) || top->nest >= s.ctx.scr_nest)) s.scr_del_vtbl(s.ctx.scr_nest);
            s.ctx.scr_nest--;
        }
    };
    // Block entry and exit around a loop, switch or call, also when a transfer passes through.
    struct BLOCK {
        SCR_U &s;
        SCR_CTX saved;
        explicit BLOCK(SCR_U &s) : s(s) { s.scr_block_in(saved); }
        ~BLOCK() { s.scr_block_out(saved); }
    };
    int lv_read(const LVAL &lv, VAL_U &val);
    int lv_lookahead(const char *pos);
    int scr_jump_skip_args(const char *&pos, const char *name, const char *at);
    VTBL_U *my_var();
    VTBL_U *arg_var(const char *&p, char (&name)[SCR_NAMESIZE], const char *not_name, int argn);
    VTBL_U *arg_named(const char *name);   // the variable an argument names, or its message
    int in_switch(const char *kind);
    int label_stat(const char *&pos, const char *p);
    int jump_out(const char *&pos, const char *key, int allowed, const char *misplaced, int &flag);
    int scr_arg_range(const char *&pos, int &count, const FTBL_U *f, VTBL_U **argv);
    // Argument entries i .. i + 4 of cell range rc: the sheet's my, then the range's column,
    // row, width and height. 0, or -1 with the message.
    int scr_range_argv(const KOV_RECT &rc, int i, VTBL_U **argv);
    int scr_fmt_gadget(const char *&p, const FN_DEF *fn, int &k, int argn, FN_CALL &call);
    int scr_link_check();
    int scr_stat_body(const char *&pos);
    // An operand whose variable the unary level already looked up (text at lk_at, after the
    // name lk_after): used once by the lvalue right after.
    const char *lk_at = nullptr, *lk_after = nullptr;
    VTBL_U *lk_vt = nullptr;
    int ret_carry();
    int scr_switch_body(const char *&pos);
    int scr_bind_param(VTBL_U *vt, VTBL_U *av, int i);
    int scr_bind_arg(const char *name, VTBL_U *av);
    bool const_param() const;
    // The checks of scr_func_arg for argument v (named name) of parameter i, by reference.
    int scr_ref_arg_ok(const VTBL_U *v, const char *name, const SCR_PARAM &d, int i);
    // The sizes (vx, vy) of an array given to parameter i, of those written in d: 0, or -1 and
    // the message.
    int scr_ref_sizes_ok(int vx, int vy, const SCR_PARAM &d, int i);

    KOV_HOST scr_own_host;
    KOV_HOST *scr_hostp = &scr_own_host;
    int scr_paint_off = 0;
    int file_slot_open(int slot, const char *closed_msg);
    int fd_slot[SCR_FILES];
    unsigned char fd_type[SCR_FILES];
};

// Truncation toward zero to a signed 64-bit integer (NaN 0, clamped at the limits).
// A number as an integer: NaN 0, out of range the nearest end (every operand passes here).
inline int64_t scr_trunc64(double d)
{
    if (d != d) return 0;
    if (d >= 9223372036854775807.0) return INT64_MAX;
    if (d <= -9223372036854775808.0) return INT64_MIN;
    return (int64_t)d;
}
inline int32_t scr_trunc32(double d)
{
    if (d != d) return 0;
    if (d >= 2147483647.0) return INT32_MAX;
    if (d <= -2147483648.0) return INT32_MIN;
    return (int32_t)d;
}
