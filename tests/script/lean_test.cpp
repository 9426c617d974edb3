// Lean runs against the tree calls they stand in for: what the host sees at every statement
// hook (the variable and stack views a pause shows), results, errors, and the entries left
// after a stop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scrtest.h"
#include "script/scrcache.h"
#include "script/scrlean.h"
#include "script/scrtree.h"

using namespace scrtest;

namespace {

std::string dump(const SCR_VIEW &v)
{
    std::string t;
    for (int r = 0; r < v.rows; r++) {
        for (int c = 0; c < v.cols; c++) t += std::string(v.view_get(r, c)) + ",";
        t += "\n";
    }
    return t;
}

// A host that looks at the views at every statement hook, as a user pausing there would, and
// stops the run after `budget` hooks.
struct LOOK : kovtest::TESTHOST {
    SCR_U *scr = nullptr;
    std::vector<std::string> seen;
    intptr_t below = INTPTR_MAX;   // looks only at hooks before this place of the text
    long host_callback(int code, intptr_t arg) override
    {
        if (code == SCRCB_ONESTEP && scr && (!arg || arg - (intptr_t)scr->scr_text < below)) {
            scr->scr_make_alltbl();
            std::string at = arg ? std::to_string(arg - (intptr_t)scr->scr_text) : "wait";   // a wait passes no position
            seen.push_back(at + "\n" + dump(scr->view_vtbl) + dump(scr->view_stbl));
        }
        return TESTHOST::host_callback(code, arg);
    }
};

struct SEEN {
    RUN r;
    std::vector<std::string> seen;
    long lean_runs = 0;
    long regulars = 0;   // regular calls made by lean runs
    long entries = 0;   // entries alive after the run
};

// The size of script in which the link builds every body's tree (scr_link_all; -1 as the program has it).
long link_all = -1;

// After the run, form (if given) is calculated at a few cells: its callees' hooks are looked at too.
SEEN look(const char *text, int lean, long budget = 5000, const char *form = nullptr, int mode = 2, intptr_t below = INTPTR_MAX)
{
    CSV_U csv;
    LOOK host;
    SEEN out;
    {
        SCR_U scr;
        csv.csv_create(10, 20);
        scr.scr_csv = &csv;
        scr.scr_set_host(&host);
        install_builtins(scr);
        scr.scr_tree_mode = mode;
        scr.scr_lean_on = lean;
        if (link_all >= 0) scr.scr_link_all = link_all;
        host.scr = &scr;
        host.budget = budget;
        host.below = below;
        host.host_ed_put(text);
        scr.scr_make_stbl(0);   // the stack history view from here, as the program's start sets it
        out.r.linked = scr.scr_prepare(PREP_SCRIPT_BEGIN) == 0;
        int st = -1;
        out.r.ran = out.r.linked && scr.scr_do_allstep(scr.scr_text, &st) == 0;
        out.r.status = st;
        out.r.err = scr.scr_get_nowerr();
        if (scr.scr_errpos) SCR_LEX::scr_text2rowcol(scr.scr_text, scr.scr_errpos, out.r.row, out.r.col);
        for (int y = 0; form && y < 5; y++) {
            csv.csv_put_num(0, y, y + 0.5);
            VAL_U v;
            int rc = scr.scr_calc_onecel(2, y, form, &v);
            host.seen.push_back(std::to_string(rc) + " " + (v.val_kind == VAL_STR ? v.val_gets() : std::to_string(v.val_getd())) +
                                " " + scr.scr_get_nowerr());
        }
        for (VTBL_U *v = scr.vtbl_top; v; v = v->next) out.entries++;
        out.lean_runs = scr.scr_tree ? scr.scr_tree->lean->runs : 0;
        out.regulars = scr.scr_tree ? scr.scr_tree->lean->regulars : 0;
        host.scr = nullptr;
    }
    out.seen = host.seen;
    return out;
}

// The run lean, with trees (lean off) and with the reader alone: the same results, errors and
// views at every hook before `below` in the text; the lean one.
SEEN seen_alike(const char *text, long budget, intptr_t below)
{
    SEEN a = look(text, 1, budget, nullptr, 1, below), b = look(text, 0, budget, nullptr, 1, below), r = look(text, 0, budget, nullptr, 0, below);
    for (const SEEN *o : {&b, &r}) {
        EXPECT_EQ(a.r.ran, o->r.ran) << text;
        EXPECT_EQ(a.r.status, o->r.status) << text;
        EXPECT_EQ(kov::sj_to_utf8(a.r.err), kov::sj_to_utf8(o->r.err)) << text;
        EXPECT_EQ(a.r.col, o->r.col) << text;
        EXPECT_EQ(a.entries, o->entries) << text;
        EXPECT_EQ(a.seen.size(), o->seen.size()) << text;
        for (size_t i = 0; i < a.seen.size() && i < o->seen.size(); i++)
            if (a.seen[i] != o->seen[i]) {
                ADD_FAILURE() << text << "\nat hook " << i << ": " << kov::sj_to_utf8(a.seen[i]) << "\n  not " << kov::sj_to_utf8(o->seen[i]);
                break;
            }
    }
    return a;
}

void agree(const char *text, long budget = 5000, const char *form = nullptr)
{
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    SEEN a = look(text, 1, budget, form), b = look(text, 0, budget, form);
    EXPECT_GT(a.lean_runs, 0) << text;   // else it agrees trivially
    EXPECT_EQ(b.lean_runs, 0) << text;
    EXPECT_EQ(a.r.ran, b.r.ran) << text;
    EXPECT_EQ(a.r.status, b.r.status) << text;
    EXPECT_EQ(kov::sj_to_utf8(a.r.err), kov::sj_to_utf8(b.r.err)) << text;
    EXPECT_EQ(a.r.row, b.r.row) << text;
    EXPECT_EQ(a.r.col, b.r.col) << text;
    EXPECT_EQ(a.entries, b.entries) << text;
    ASSERT_EQ(a.seen.size(), b.seen.size()) << text;
    for (size_t i = 0; i < a.seen.size(); i++)
        ASSERT_EQ(kov::sj_to_utf8(a.seen[i]), kov::sj_to_utf8(b.seen[i])) << text << "\nat hook " << i;
}

// A text whose functions keep to tree calls: no lean run, and the run the tree calls make.
void refused(const char *text)
{
    SEEN a = look(text, 1), b = look(text, 0);
    EXPECT_EQ(a.lean_runs, 0) << text;
    EXPECT_EQ(a.r.status, b.r.status) << text;
    EXPECT_EQ(kov::sj_to_utf8(a.r.err), kov::sj_to_utf8(b.r.err)) << text;
    EXPECT_EQ(a.seen, b.seen) << text;
}

// Each of texts runs alike lean and as tree calls; each of refusals keeps to tree calls.
template <size_t N> void alike(const char *const (&texts)[N], std::initializer_list<const char *> refusals)
{
    for (const char *t : texts) agree(t);
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    for (const char *t : refusals) refused(t);
}

}  // namespace

// The views at every hook: arguments and parameters of recursive calls at their nest levels,
// locals set late (empty until then), calls from loops and blocks, a parameterless function
// run lean as a whole.
TEST(Lean, ViewsAtEveryHookAreTheTreeCallsViews)
{
    const char *texts[] = {
        "f(var n){ var a = n * 2, b; b = a + 1; if (n > 0) return f(n - 1) + b; return b; } "
        "main(){ var t = 0, i; for (i = 0; i < 3; i++) { t += f(i); } return t; }",
        "g(var x, var y){ var s; if (x < y) s = x; else s = y; return s * 10; } "
        "k(){ var i, t = 0; for (i = 0; i < 3; i++) while (t < i * 5) t += g(i, t) + 1; return t; } "
        "main(){ g(1, 2); return k(); }",
        "fib(var n){ if (n < 2) return n; return fib(n - 1) + fib(n - 2); } main(){ return fib(6); }",
        "void v(var n){ if (n) return; n = 1; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s = s * 4 + v(i) + 3; return s; }",
        "h(var a){ var q = a; do { q -= 3; if (q == 4) continue; } while (q > 0 && a != 7); return q ? -q : a || q; } "
        "main(){ var i, s = 0; for (i = 0; i < 9; i++) s = s * 2 + h(i) % 5; return s; }",
        // initializers calling functions: the caller's locals declared so far seen from the
        // callee's statements, a recursion through an initializer, in an inner block, in a
        // list of initial values and a static's, a callee failing there
        "sq(var x){ var y = x * x; return y; } f(var n){ var a = sq(n) + 1, b = f2(a), c; c = a + b; return c; } "
        "f2(var m){ var r = m ? sq(m - 1) : 0; return r; } main(){ var i, s = 0; for (i = 0; i < 3; i++) { var t = f(i); s = s * 9 + t; } return s; }",
        "fact(var n){ var r = n < 2 ? 1 : n * fact(n - 1); return r; } "
        "main(){ var k[3] = {fact(3), fact(4)}; static var z = fact(2); return k[0] * 100 + k[1] + z; }",
        "bad(var n){ var q[2]; q[n] = 1; return n; } main(){ var i; for (i = 0; i < 4; i++) { var a = bad(i); } return 1; }",
        // calls in calls' arguments: a level deeper, the entries of the arguments before them
        // seen from their statements, nested twice, one failing there
        "var a[2] = {\"s\"}; g(var n){ var k = n + 1; return k; } h(var p, var q, var r){ return p + q + r; } f(var x, var y){ return x * 10 + y; } "
        "main(){ var t = 0, i; for (i = 0; i < 2; i++) t += f(a[0], h(i, g(i), g(i + 1))) + f(g(2), h(1, 2, g(3))); return t; }",
        "g(var n){ var q[2]; q[n] = 1; return n; } f(var x, var y){ return x * 10 + y; } main(){ var t = 0, i; for (i = 0; i < 4; i++) t += f(i, g(i)); return t; }",
        // arguments that are elements, texts or calls, the entries of those before a call seen
        // from its statements (main holds a part of its own)
        "var a[2] = {3}; g(var n){ var k = n + 1; return k; } f(var x, var y){ return x * 10 + y; } "
        "main(){ PUSH p; var t = 0, i; for (i = 0; i < 2; i++) t += f(a[0], g(i)) + f(\"x\", 1) + f(a[i], 4); return t; }",
    };
    for (const char *t : texts) agree(t);
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    EXPECT_EQ(look(texts[5], 1).lean_runs, 1);   // main as a whole, its block's initializer calling f
    EXPECT_EQ(look(texts[6], 1).lean_runs, 1);
    EXPECT_EQ(look(texts[8], 1).lean_runs, 1);   // calls in calls' arguments too
}

// Globals: scalars and one-row arrays read, stored, stepped and given "op=" in place, elements
// holding texts and nothing carried whole through locals and compared as texts, indices out of
// range failing as an element reference fails; texts of the function's own.
TEST(Lean, GlobalsAndTextsAsTheTreeCallsSeeThem)
{
    const char *texts[] = {
        "var a[5] = {\"b\", \"a\", 3}; main(){ var i, j, t; for (j = 0; j < 4; j++) for (i = 0; i < 4; i++) "
        "if (a[i] > a[i + 1]) { t = a[i]; a[i] = a[i + 1]; a[i + 1] = t; } return (a[3] < a[4]) * 100 + (a[0] == a[1]) * 10 + a[2]; }",
        "enum { Q = 3, R }; f(var n){ var s = 0; while (n < R) { s += Q; n++; } return s + (n == R); } main(){ return f(0) * 10 + f(5); }",
        "var g = 5, h[3]; f(var n){ g = g + n; h[n % 3] = g; return g * 1; } main(){ var i, s = 0; for (i = 0; i < 7; i++) s = s * 3 + f(i); return s + h[1]; }",
        "var a[3]; main(){ var t, u = 2; t = a[1]; a[2] = t; u = a[0] == a[2]; return u + (t < 1); }",
        "var a[3]; main(){ var i, s = 0; for (i = 0; i < 5; i++) s = s + a[i] + 1; return s; }",
        "var a[3]; main(){ var i; for (i = 0; i < 3; i++) a[i * 1200] = i; return 1; }",
        "var a[4] = {1, 2}; main(){ var i, s = 0; for (i = 0; ; i++) { s = s + a[i % 4]; if (i > 3000) return s; } }",
        // a comparison whose right side changes the left element: the left as it was
        "var g[2] = {\"x\", \"y\"}; main(){ var i, s = 0; for (i = 0; i < 2; i++) { g[0] = \"x\"; s = s * 10 + (g[0] == g[(g[0] = \"y\") == \"y\"]); } return s; }",
        // arrays of rows: stored and read by row and column, texts among numbers, past the last
        // row, past the last column, before the first row
        "var m[3][4]; main(){ var i, j, s = 0; for (i = 0; i < 3; i++) for (j = 0; j < 4; j++) m[i][j] = i * 10 + j; "
        "m[1][2] = \"t\"; for (i = 0; i < 3; i++) for (j = 0; j < 4; j++) s = s + m[i][j]; return s + (m[1][2] == \"t\") * 1000; }",
        "var m[2][3]; main(){ var i, s = 0; for (i = 0; i < 4; i++) s = s + m[i][1] + 1; return s; }",
        "var m[2][3]; main(){ var i, s = 0; for (i = 0; i < 4; i++) m[1][i] = i; return s; }",
        "var m[2][3]; main(){ var i, s = 0; for (i = 1; i >= -1; i--) s = s + m[i][0] + 1; return s; }",
        // statics: kept from call to call, an array of them, one read by an initializer; initial
        // values stored again at every call (into the link's storage, seen in the views)
        "f(var k){ static var n = 1, t[3] = {k, 2}; static var m[2][2] = {{k}}; n += k; t[2]++; return n * 100 + t[0] * 10 + t[2] + m[0][0]; } "
        "main(){ var i, s = 0; for (i = 0; i < 4; i++) s = s * 3 + f(i); return s; }",
        "f(){ static var n, t[3]; n = n + 1; t[n % 3] = n; return n * 10 + t[1]; } "
        "g(){ static var k; var a = k; k = k + 2; return a + k; } main(){ var i, s = 0; for (i = 0; i < 5; i++) s = s + f() + g(); return s; }",
        // steps and compound assignments of globals' elements: a text's value before its step,
        // texts appended in place and to nothing, a number given a text, a step past the end
        "var g, h[3], m[2][2], t = \"ab\", u; main(){ var i, v, w; for (i = 0; i < 5; i++) { g++; ++h[i % 3]; m[i % 2][1] += i * 2; --g; g += 3; } "
        "v = t++; w = u--; h[0] &= \"x\"; h[1] *= 7; h[2] &= 4; u &= \"y\"; u &= \"z\"; "
        "return g * 1000 + m[1][1] * 100 + h[1] + (v == \"ab\") * 7 + t * 3 + (w < 0) + (h[0] == \"x\") * 5 + (u == \"yz\") * 9 + h[2]; }",
        "var h[3]; main(){ var i; for (i = 0; i < 5; i++) h[i]++; return 1; }",
        "var m[2][3]; main(){ var i; for (i = 0; i < 4; i++) m[1][i] -= i; return 1; }",
        "counter(){ static n; n++; return n; } f(){ static s; s += 5; return s; } "
        "main(){ var i, r = 0; for (i = 0; i < 3; i++) r = r * 100 + counter() * 10 + f(); return r; }",
        // texts in locals: appended in place (up to the text limit), replaced by numbers, compared
        "main(){ var i, s, t = 5, n = 0; for (i = 0; i < 3; i++) { s = \"\"; s &= \"ab\"; if (i == 2) s &= i; } "
        "t &= \"q\"; if (s == \"ab\") n++; return n * 10 + (s > \"a\") + (s < 1) + (t > \"\") * 100; }",
        "main(){ var s = \"b\", n = 0; if (s > (s = \"a\")) n = 1; return n; }",
        "var g = 1, h[2]; main(){ var i, n = 0, t = h[0]; for (i = 0; i < 3; i++) { n += g != (g += 2); n += t == (t = i); n += h[1] < (h[1] += 1); } return n; }",
        "var g[2] = {\"t\"}; main(){ var n, t, i; for (n = g[0], t = 0, i = 0; i < 3; n++, i++) t += n; return t * 10 + n; }",
        "var g[2] = {\"tt\"}; f(var s){ return (s, g[0]); } main(){ var i, n = 0, t; for (i = 0; i < 2; i++) { t = (i, g[i]); n = n * 10 + strlen(tcat(t, f(i))); } return n; }",
        // "?:" choosing texts: the branch taken as it is, a parameter given a text through it
        "var g[2] = {\"ab\"}; pick(var k, var s){ return k ? s : g[1]; } main(){ var i, n = 0, t; for (i = 0; i < 3; i++) { t = i % 2 ? g[0] : i; "
        "n = n * 10 + strlen(tcat(t, pick(i, \"xyz\"))); } return n + (t == 2) * 1000; }",
        // steps of locals holding texts and nothing: the value before, as it is
        "var a[2] = {\"x\"}; main(){ var s = \"ab\", t, u = a[0], w = a[1], z; t = s++; ++u; s--; z = w--; "
        "return (t == \"ab\") * 1000 + s * 100 + u * 10 + w + (z == a[1]) * 5; }",
        "main(){ var i, s = \"\", t, n = 0; for (i = 0; i < 1500; i++) s &= \"abc\"; t = s; s &= \"x\"; "
        "for (i = 0; i < 3; i++) if (s > \"abc\" && t == s) n++; return n + (t > \"abd\") * 10; }",
        // sizeof of numbers, texts, nothing, a call's value, a step inside (which runs)
        "var g[3], h = \"abc\"; f(var n){ var t = \"xy\", k = n; return sizeof k * 1000 + sizeof t * 100 + sizeof h * 10 + sizeof g[1] + "
        "sizeof(k++) * 0 + k + sizeof tcat(h, n) * 100000 + sizeof(var) * 10000; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s = s * 7 + f(i); return s; }",
    };
    for (const char *t : texts) agree(t);
}

// Parts' elements, through their objects: the sheet's cells by "my" (numbers, texts, a text
// appended, steps, a cell emptied, rows and columns outside the sheet), a grid's and a plain
// part's (read as nothing, a store refused), a part compared with a value.
TEST(Lean, PartsElementsAsTheTreeCallsReachThem)
{
    const char *texts[] = {
        "main(){ var i, s = 0; for (i = 0; i < 8; i++) my[i][1] = i * 3; my[2][2] = \"ab\"; for (i = 0; i < 8; i++) s += my[i][1]; "
        "my[3][1] += 4; my[4][1]++; ++my[5][1]; my[2][2] &= \"c\"; my[6][1] = my[9][9]; "
        "return s * 100 + my[3][1] + my[4][1] + (my[2][2] == \"abc\") * 1000 + (my[6][1] == \"\") * 7 + (my[0][0] < my[2][2]); }",
        "main(){ var i; for (i = 0; i < 30; i++) my[i][0] = i; return 1; }",
        "main(){ var i, s = 0; for (i = 5; i < 30; i++) s += my[0][i]; return s; }",
        "ARRAY a; main(){ var i, t = 0; for (i = 0; i < 4; i++) t += a[i][i] + 1; return t + (a[0][0] == \"\"); }",
        "ARRAY a; main(){ var i; for (i = 0; i < 4; i++) a[i][i] = i + 1; return a[1][1]; }",
        "PUSH p; main(){ var i, t = 0; for (i = 0; i < 2; i++) t += p + 1; return t; }",
        "PUSH p; main(){ var i; for (i = 0; i < 2; i++) p = i; return 1; }",
        "PUSH p; main(){ var i; for (i = 0; i < 2; i++) p++; return 1; }",
        // a grid by reference (the sheet given) and one of the function's own (empty: read as
        // nothing, a store fails): cells, texts, steps, bounds
        "fill(ARRAY &g, var n){ var i; for (i = 0; i < n; i++) { g[i][0] = i * 2; g[i][1] = tcat(\"r\", i); g[i][0] += 1; g[i][2]++; } "
        "return g[1][0] + strlen(g[2][1]) + (g[0][5] == \"\"); } main(){ var t = fill(my, 4); return t * 10 + my[3][0] + fill(my, 2); }",
        "f(ARRAY &g){ var i, s = 0; for (i = 0; i < 40; i++) s += g[i][1]; return s; } main(){ var i; for (i = 0; i < 3; i++) my[i][1] = i; return f(my); }",
        "main(){ ARRAY b; var i, s = 0; for (i = 0; i < 3; i++) s += (b[i][i] == \"\"); b[1][1] = s; return s; }",
        "main(){ ARRAY b; var i, s = 0; for (i = 2; i > -2; i--) s += b[1][i]; return s; }",
        // other parts, of the function's own or by reference, read whole (nothing) and stored
        "f(var x){ return x == \"\"; } g(PUSH &q){ var i, s = 0; for (i = 0; i < 2; i++) s += f(q) + (q == \"\") + q; return s; } "
        "PUSH p; main(){ TEDIT t; var i, s = 0; for (i = 0; i < 2; i++) s += g(p) + f(t) * 10; return s; }",
        "g(PUSH &q){ var i; for (i = 0; i < 2; i++) q = i; return 1; } PUSH p; main(){ var i; for (i = 0; i < 2; i++) g(p); return 1; }",
        "main(){ CHECK c; var i; for (i = 0; i < 2; i++) c += 1; return 1; }",
        "main(){ CHECK c; var i; for (i = 0; i < 2; i++) c++; return 1; }",
    };
    for (const char *t : texts) agree(t);
}

// Built-ins of numbers and texts alone: numbers converted by their letters, texts held in locals
// and compared, a tail of values, a call in an initializer, an argument that fails, a built-in's
// own error text (a format missing its value) seen by the next statements.
TEST(Lean, PureBuiltInsAsTheTreeCallsCallThem)
{
    const char *texts[] = {
        "f(var x){ var y = nabs(x - 3) + strlen(\"abcd\"); return y * (x - 2.5) + nabs(-x); } "
        "main(){ var i, s = 0; for (i = 0; i < 6; i++) s += f(i); return s * 2; }",
        "var a[3] = {\"ab\", 7}; f(var n){ var t = tcat(a[n % 2], \"-\", n, a[2]), u; u = tcat(t, t); "
        "if (u == t) return 1; return strlen(u) + (u == \"ab-1ab-1\") * 100 + (tcat(n) == \"2\") * 1000; } "
        "main(){ var i, s = 0; for (i = 0; i < 4; i++) s = s * 3 + f(i); return s; }",
        "main(){ var s = \"ab\", t; t = tcat(s, s = \"z\"); return (t == \"abz\") * 10 + strlen(s); }",
        "var a[2]; f(var n){ return nabs(a[n]) + 1; } main(){ var i, s = 0; for (i = 0; i < 4; i++) s += f(i); return s; }",
        "f(var n){ var t; t = tcat(); n = n + 1; return strlen(t) + n; } main(){ return f(1) + f(2); }",
    };
    for (const char *t : texts) agree(t);
}

// Built-ins that may call the host (the views it takes during a wait), read the stack history
// or the previous error, end the run, or read a global's storage as a gadget argument; a
// gadget argument naming a local, or no name, leaves the function to the tree call.
TEST(Lean, BuiltInsThatMayCallTheHostAsTheTreeCallsCallThem)
{
    const char *texts[] = {
        "var a[3] = {1, 2, 4}; f(var n){ var t = n * 2; tick(2); return SUM(a, 0, 0, n, 1) * 100 + t * 10 + stack(); } "
        "g(var n){ if (n > 0) return g(n - 1) + 1; return stack() * 100 + f(2); } "
        "main(){ var i, s = 0; for (i = 0; i < 3; i++) s = s * 7 + f(i); return s + g(3); }",
        "f(var n){ var t; t = tcat(); t = errmsg(); return strlen(t) * 10 + n; } main(){ return f(1) * 1000 + f(2); }",
        "f(var n){ var a = n + 1; tick(1); if (n > 2) exit(a); return f(n + 1); } main(){ f(0); return 9; }",
        // a view taken while a local's initializer runs: the locals declared after it join it
        "f(var n){ var a = n + tick(1), b = n * 2, c[2]; c[1] = b; b++; return a + b + c[1]; } main(){ return f(1) + f(2); }",
    };
    alike(texts, {"f(var n){ var a = 3; return SUM(a, 0, 0, 1, 1) + n; } main(){ return f(1); }",
                  "var a[2]; f(var n){ return SUM((a), 0, 0, 1, 1) + n; } main(){ return f(1); }",
                  "f(var n){ return SUM(q, 0, 0, 1, 1) + n; } main(){ return f(1); }"});
}

// Local arrays: each call's own (a recursion keeps them apart), of rows too, holding texts,
// seen in the views at every hook, read by a built-in as a gadget, indices out of range failing
// with the array's name, elements stepped and given "op=", lists of initial values; a list
// that does not fit and the array as a value leave the function to the tree call.
TEST(Lean, LocalArraysAsTheTreeCallsMakeThem)
{
    const char *texts[] = {
        "f(var n){ var a[5], i, s = 0; for (i = 0; i < 5; i++) a[i] = i * n; a[2] = \"t\"; "
        "for (i = 0; i < 5; i++) s = s + a[i]; return s + (a[2] == \"t\") * 100; } "
        "main(){ var k, t = 0; for (k = 0; k < 4; k++) t = t * 7 + f(k); return t; }",
        "g(var n){ var m[3][4], i, j; for (i = 0; i < 3; i++) for (j = 0; j < 4; j++) m[i][j] = i * 10 + j + n; "
        "return m[2][3] * 1000 + m[1][0] + SUM(m, 1, 1, 2, 2); } main(){ return g(1) + g(2); }",
        "r(var n){ var a[2], b = n * 2; a[0] = n; if (n > 0) r(n - 1); a[1] = b; return a[0] * 10 + a[1]; } "
        "main(){ return r(5) * 1000 + r(2); }",
        "f(var n){ var a[3]; a[n] = 1; return a[0] * 2; } main(){ return f(1) + f(3); }",
        "f(var n){ var m[2][3]; return m[n][1] + 1; } main(){ return f(1) + f(2); }",
        // lists of initial values: each call's, texts and expressions, rows in braces or running on
        "var g[2] = {\"t\"}; f(var n){ var a[4] = {n, g[0], n * 2,}, m[2][3] = {{1, n}, {g[0]}}, k[2][2] = {1, 2, n}; "
        "return a[0] + a[2] * 10 + strlen(tcat(a[1], a[3], m[1][0], m[1][2])) * 100 + m[0][1] * 1000 + k[1][0] * 10000; } "
        "main(){ return f(1) + f(2); }",
        "f(var n){ var a[2], m[2][2]; a[0]++; ++a[1]; a[1] += n; m[1][n % 2] -= 3; a[0] &= \"x\"; return a[1] + m[1][1] + a[0]; } "
        "main(){ return f(1) * 10 + f(2); }",
        "f(var n){ var b[3], s = 0, i; for (i = 0; i < 3; i++) { s = s * 10 + b[i]; b[i] = n; } return s; } "
        "main(){ var i, s = 0; for (i = 1; i < 4; i++) s = s * 1000 + f(i); return s; }",
    };
    for (const char *t : texts) agree(t);
    agree("r(var n){ var a[3], i; for (i = 0; i < 3; i++) a[i] = n + i; if (n > 0) return r(n - 1) + a[2]; "
          "while (1) a[0] = a[0] + 1; } main(){ return r(3); }", 40);
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    for (const char *t : {"f(var n){ var a[2] = {1, 2, 3}; return a[1] + n; } main(){ return f(1); }",
                          "f(var n){ var a[2] = {}; return a[1] + n; } main(){ return f(1); }",
                          "f(var n){ var m[2][2] = {{1}, {2}, {3}}; return m[1][1] + n; } main(){ return f(1); }",
                          "f(var n){ var a[2]; a = n; return a[0]; } main(){ return f(1); }"})
        refused(t);
}

// Blocks declaring names: each entry of a loop's body declares afresh (empty, or its initializer,
// a text box holding nothing again), the names seen in the views at their block's level and
// gone after it, sibling blocks with the same names, nesting, an initializer failing inside.
// A name an outer block has, an inner static and a global named like an inner name leave the
// function to the tree call.
TEST(Lean, BlockDeclarationsAsTheTreeCallsMakeThem)
{
    const char *texts[] = {
        "var g[3] = {\"p\"}; f(var n){ var i, s = 0; for (i = 0; i < n; i++) { var t = i * 2, u = 1, w; if (i % 2) u = 5; w &= g[i % 3]; "
        "s = s * 3 + t + u + strlen(tcat(w)); { var t2 = t + 1; s += t2; } } { var t = 7; s += t; } return s; } "
        "main(){ return f(3) + f(1); }",
        "f(var n){ var s = 0; while (n-- > 0) { var k = n; do { var q = k * k; s += q; } while (k-- > 0); } return s; } main(){ return f(4); }",
        "var a[2]; f(var n){ var s = 0; { var x = 1, y = a[n]; s = x + y; } return s; } main(){ return f(1) + f(3); }",
        // arrays and cells of inner blocks: each entry's own storage, given back at its end
        "inc(var &a){ a++; return 0; } f(var n){ var i, s = 0; for (i = 0; i < 3; i++) { var b[3] = {i, n}, c = i; b[2] += b[0] + b[1]; inc(c); "
        "s = s * 10 + b[2] + c; if (i == n) { n = -1; goto in; } } return s; { var d[2] = {5}; in: d[1] = 1; s += d[0] + d[1]; } return s; } "
        "main(){ return f(1) + f(7); }",
        // names of enclosing blocks and parameters declared again: hidden till the block ends,
        // an initializer reading the new name, three deep
        "f(var n){ var i, s = 0; for (i = 0; i < n; i++) { var s = i * 2, n = 1; s += n; } return s * 10 + n; } "
        "main(){ var k, t = 0; for (k = 0; k < 3; k++) { var t = k; } for (k = 0; k < 3; k++) t = t * 7 + f(k); return t; }",
        "f(var x){ var t = 1; { var t = x + 2; { var t = t + 1; x += t; { var x = 4; t += x; } } x += t; } return x * 10 + t; } "
        "main(){ return f(1) * 100 + f(2); }",
        // ... in a loop: at each entry the new name is empty again when its initializer reads it
        "f(var n){ var i, s = 0; for (i = 0; i < n; i++) { var t = t + i + 1; s = s * 10 + t; } return s; } main(){ return f(3); }",
        // constants of the body and of inner blocks (their entries const in the views): a
        // number, a text, one without a value
        "var g[2] = {\"ab\"}; f(var n){ const var k = n * 2, t = g[0]; const var z; var s = 0, i; "
        "for (i = 0; i < k; i++) { const var q = i + k; s += q; } return s * 10 + strlen(tcat(t, z)); } main(){ return f(2) + f(3); }",
        // statics of inner blocks, with initial values stored at each run of their declaration;
        // words of no effect on a local in its entry
        "f(var n){ var i, s = 0; for (i = 0; i < 2; i++) { static var k; static var q = 7, r[2] = {1}; k++; q++; r[1] += q; "
        "s = s * 10 + k + q * 100 + r[1]; } { extern var e = n; auto var a; register const var c = 2; volatile var v[2]; s += e + c; } "
        "return s; } main(){ return f(1) + f(2); }",
        // a goto out of a block that hides a name, back to the body's
        "f(var n){ var t = 1, i = 0; L: i++; { var t = 2; n += t; if (i < 3) goto L; } return n * 10 + t; } main(){ return f(1); }",
        // more than 32 slots: arrays, unset reads, texts and inner blocks past the 32nd
        "inc(var &a){ a++; return 0; } main(){ var a,b,c,d,e,g,h,i,j,k,l,m,o,p,q,r,s,t,u,v,w,x,y,z,aa,bb,cc,dd,ee,ff,gg,hh = 2; "
        "var big[3] = {hh, 2}, late; for (a = 0; a < 3; a++) { var in = a * hh, last[2] = {in}; inc(in); z += in + last[0] + big[a]; } "
        "if (z > 5) late = z; { var t2 = \"xy\"; s = strlen(tcat(t2, late)); } return z * 10 + s + (gg == 0); }",
    };
    alike(texts, {"f(var n){ var t = 1, i = 0; if (n) goto L; { var t = 2; L: n += t; t++; if (i++ < 3) goto L; } return n + t; } main(){ return f(1); }",
                  "f(var n){ const var k = 1; k = n; return k; } main(){ return f(1); }",
                  "f(var n){ const var k = 1; k++; return k; } main(){ return f(1); }",
                  "inc(var &a){ a++; return 0; } f(var n){ const var k = 1; inc(k); return k; } main(){ return f(1); }",
                  "f(var n){ const var k[2] = {1}; return k[0] + n; } main(){ return f(1); }",
                  "var t = 9; f(var n){ { var t = 2; n += t; } return n + t; } main(){ return f(1); }"});
}

// goto: backwards and forwards, out of loops and blocks, into a loop's body (its condition not
// asked on the way in), into an else, into a block whose names come back empty, with error
// texts replayed over what it passes. A label in a switch leaves the function to the tree call.
TEST(Lean, GotoAsTheTreeCallsJump)
{
    const char *texts[] = {
        "collatz(var n){ var steps = 0; again: if (n == 1) goto done; if (n % 2) n = 3 * n + 1; else n = n / 2; steps++; "
        "goto again; done: return steps; } main(){ var i, s = 0; for (i = 1; i < 6; i++) s = s * 3 + collatz(i); return s; }",
        "f(var n){ var i = 0, s = 0; if (n > 1) goto inside; while (i < 3) { s += 10; inside: s++; i++; } "
        "for (i = 0; i < 9; i++) for (;;) { if (i == 2) goto out; s += 100; break; } out: return s; } main(){ return f(1) * 10000 + f(2); }",
        "f(var n){ var s = 0; if (n) goto e; if (s) { s = 5; } else { e: s += 7; } { var t = 5, u = \"x\"; if (n > 1) { n = 0; goto in; } "
        "t = 9; in: t = 3; t++; s = s * 100 + t + strlen(tcat(u)); } do { s++; mid: s += 2; } while (s < 0); if (n == 1) { n = 2; goto mid; } return s; } "
        "main(){ return f(0) * 1000000 + f(1) * 1000 + f(2); }",
        "f(var n){ var t, a = 0, b; t = tcat(); if (n) goto L; a = 1; b = 2; L: t = tcat(); return a + n; } main(){ return f(0) * 10 + f(1); }",
        // a local a goto may skip the setting of, or an inner one entered by a goto: a box, empty there
        "f(var n){ var x; if (n) goto L; x = 1; L: return x + 1; } main(){ return f(0) + f(1); }",
        "f(var n){ { var t = 1; if (n) { n = 0; goto L; } L: t++; n += t; } return n; } main(){ return f(1) * 10 + f(0); }",
        // into a switch's body (no value taken, no label selects, on through the next labels),
        // from outside it and from inside it, in a loop, past a setting before it
        "f(var n){ switch (n) { case 1: L: n++; break; } if (n < 3) goto L; return n; } main(){ return f(1); }",
        "f(var n){ var s = 0, x; if (n) goto L; x = 4; switch (s + x - x + 4) { case 4: s = 1; L: s += 10; case 5: s += 100; break; default: s += 1000; } "
        "return s * 10 + x; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s = s * 10000 + f(i % 2); return s; }",
        "f(var n){ var x, s = 0; if (n) goto L; switch (n + (x = 2) - 2) { case 0: s = 1; L: s += 1; case 5: s += x * 10; } return s; } "
        "main(){ var i, s = 0; for (i = 0; i < 3; i++) s = s * 100 + f(i % 2); return s; }",
        "f(var n){ var k = 0, i; for (i = 0; i < 2; i++) switch ((n + i) % 3) { case 0: k++; default: { M: k += 2; if (k % 7) goto M; } break; "
        "case 2: k += 50; if (n == 2) goto D; break; case 4: D: k *= 3; } return k; } "
        "main(){ var i, s = 0; for (i = 0; i < 4; i++) s = s * 1000 + f(i); return s; }",
        // into a loop's body past a setting before it: its condition and what follows see it unset
        "f(var n){ var x, y = 0; if (n) goto L; x = 5; while (y < 1 + x - x) { L: y++; } return x + y; } "
        "main(){ var i, s = 0; for (i = 0; i < 3; i++) s = s * 100 + f(i); return s; }",
        // ... whose condition then fails: the loop is where the error is
        "var v[4], m[2][3], k; f(){ var i; for (i = 0; i < 2; i++); while (m[++v[0]][0]) K: k++;\nif (k < 5) goto K; return k; } main(){ return f(); }",
    };
    alike(texts, {});
}

// References: global arrays, a local array and a global scalar given to "var p[]", "var m[][]"
// and "var &a", passed on, read, stored, stepped and appended to, kept apart from the caller's
// slots in a recursion, seen in the views at every hook, an index out of range failing with the
// parameter's name; a local scalar given by reference kept in a cell of its own. What the
// regular call binds otherwise (an element, another shape, a constant) leaves the caller to the
// tree call, with the same messages.
TEST(Lean, ReferencesAsTheTreeCallsBindThem)
{
    const char *texts[] = {
        "var pr[6], grid[2][3], g = 5, t = \"a\"; "
        "sieve(var p[]){ var n = 0, k, d; for (k = 2; n < 6; k++) { for (d = 2; d * d <= k; d++) if (k % d == 0) break; "
        "if (d * d <= k) continue; p[n++] = k; } return n; } "
        "col(var m[][], var c){ var r, s = 0; for (r = 0; r < 2; r++) { m[r][c] += r + c; s += m[r][c]; } return s; } "
        "bump(var &a, var by){ a += by; ++a; a--; return a++; } "
        "on(var &a, var q[]){ bump(a, 2); return sieve(q) + q[1]; } "
        "main(){ var loc[6], i, s = 0; sieve(pr); for (i = 0; i < 3; i++) s += col(grid, i) + bump(g, i); "
        "on(g, loc); bump(t, 1); return s * 100 + g + pr[5] + loc[2] * 1000 + t; }",
        "var acc, w; sum(var &a, var n){ if (n == 0) return 0; a += n; sum(a, n - 1); return a; } "
        "app(var &s, var n){ var i; for (i = 0; i < n; i++) s &= \"xy\"; return n; } "
        "main(){ app(w, 2); return sum(acc, 20) + (w == \"xyxy\") * 1000; }",
        "var a[3]; f(var p[]){ var i; for (i = 0; i < 5; i++) p[i] = i; return 1; } main(){ return f(a); }",
        // arrays with sizes written: an argument's sizes checked against them (X, then Y)
        "var a[3], b[4], m[2][3], q[3][3]; g(var p[3], var r[2][3]){ p[0]++; r[1][2]++; return p[0] + r[1][2]; } "
        "main(){ var i, s = 0, c[3], d[2][3]; for (i = 0; i < 3; i++) s += g(a, m) + g(c, d); return s * 10 + g(b, m); }",
        "var a[3], q[3][3]; g(var p[3], var r[2][3]){ return p[0] + r[1][2]; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += g(a, q); return s; }",
        // local scalars given by reference: kept in a cell of their own (texts, steps, an initial value)
        "swap(var &a, var &b){ var t = a; a = b; b = t; return 0; } f(var &a){ a = 3; return 1; } "
        "main(){ var x = 1, i, s = \"ab\", t = \"cd\", u = 0; for (i = 0; i < 3; i++) { u += f(x) + x++; swap(s, t); } swap(x, s); "
        "s &= \"!\"; return strlen(tcat(s, t)) * 100 + u + x; }",
        // parts by reference: given to built-ins, passed on (their entries of the part's type)
        "PUSH p; var a[2] = {4}; f(PUSH &b, var n){ var t = n + SUM(b, 0, 0, 1, 1) + SUM(a, 0, 0, 1, 1); return t; } "
        "g(PUSH &c){ return f(c, 2) * 10; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(p, i) + g(p); return s; }",
        // parts of a function's own, of its body and of inner blocks: made as the declaration
        // runs, given to built-ins and by reference, gone with their block
        "use(CHECK &c){ return SUM(c, 0, 0, 1, 1) + 1; } "
        "f(var n){ PUSH b; var t = n + SUM(b, 0, 0, 1, 1); { GRAPH g; CHECK c; t += SUM(g, 0, 0, 1, 1) + use(c); } return t; } "
        "main(){ var i, s = 0; for (i = 0; i < 3; i++) { BACK k; s += f(i) + SUM(k, 0, 0, 1, 1); } return s; }",
    };
    alike(texts, {"var a[3]; f(var &b){ b = 3; return 1; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(a[1]); return s; }",
                  "var m[2][2]; f(var p[]){ return 1; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(m); return s; }",
                  "const var k = 2; f(var &a){ return a; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(k); return s; }"});
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    EXPECT_EQ(look(texts[4], 1).lean_runs, 1);   // main as a whole, its calls giving the part on
    long parts = BASE_GJ::gj_objct;
    EXPECT_EQ(look(texts[5], 1).lean_runs, 1);
    EXPECT_EQ(BASE_GJ::gj_objct, parts);   // the parts of the calls and blocks given back
}

// Values leaving functions whole: a text or nothing returned (into a local, compared, to an
// operator as 0), a recursion building a text, numbers and texts from one function, a
// function ending without a return, main's text, texts given to functions and to tree calls;
// forms made again when a caller gives a parameter a text, and their callers when they come to
// give texts (a recursion through two as well).
TEST(Lean, ValuesLeaveFunctionsWhole)
{
    const char *remade = "var a[3] = {\"x\", 4}; sq(var v){ return v * v + 1; } id(var v){ return v; } "
                         "k(){ var i, s = 0; for (i = 0; i < 3; i++) s += sq(i) + id(i); return s; } "
                         "m(){ var i, s = 0; for (i = 0; i < 3; i++) s += sq(a[i]); return s; } "
                         "main(){ return k() * 1000 + m() * 10; }";
    const char *rewhole = "var a[3] = {\"x\", 4}; id(var v){ return v; } k(){ var i, s = 0; for (i = 0; i < 3; i++) s += id(i); return s; } "
                          "q(){ var i, s = 0; for (i = 0; i < 3; i++) s += strlen(tcat(id(a[i]))); return s; } main(){ return k() * 10 + q(); }";
    const char *mutual = "a1(var n){ if (n <= 0) return \"e\"; return b1(n - 1); } b1(var n){ var t; t = a1(n); return t; } "
                         "main(){ var i, c = 0; for (i = 0; i < 4; i++) if (a1(i) == \"e\") c++; return c; }";
    // (a number compares equal to a text that reads as 0: tcat shows which it is)
    const char *texts[] = {
        "var a[2] = {\"x\"}; f(var n){ var t; t = a[n]; return t; } "
        "main(){ var i, s; for (i = 0; i < 3; i++) s = f(i % 2); return strlen(tcat(s, f(0), f(1), f(0))) + f(0) + 1; }",
        "rep(var n){ var s = \"\"; if (n > 0) { s = rep(n - 1); s &= \"ab\"; } return s; } "
        "main(){ var t; t = rep(5); return strlen(t) * 10 + (t > \"aa\"); }",
        "k(var n){ if (n % 2) return n * 3; return tcat(\"k\", n); } "
        "main(){ var i, s = 0, t; for (i = 0; i < 4; i++) { t = k(i); s = s * 10 + strlen(tcat(t)); } return s + k(3); }",
        "g(var n){ if (n) return \"yy\"; } main(){ var i, a, b; for (i = 0; i < 2; i++) { a = g(1); b = g(0); } "
        "return strlen(tcat(a)) * 10 + strlen(tcat(b)); }",
        "main(){ var i, s = \"\"; for (i = 0; i < 3; i++) s &= \"q\"; return s; }",
        // into functions: a parameter appended to a box, a built-in's text, passed on by a
        // recursion and returned; numbers given to such a parameter
        "fmt(var s, var n){ var t = \"[\"; t &= s; t &= \"]\"; return t; } "
        "main(){ var i, r = \"\"; for (i = 0; i < 3; i++) r = fmt(tcat(\"a\", i), i); return strlen(r); }",
        "fmt(var s, var n){ var t = \"[\"; t &= s; t &= \"]\"; return t; } main(){ var i, r; for (i = 0; i < 3; i++) r = fmt(i * 7, i); return strlen(r); }",
        "show(var m){ return strlen(m) + 1; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += show(tcat(\"xy\", i)); return s; }",
        "var g[2] = {\"ab\"}; len2(var s){ return strlen(s) * 1; } "
        "main(){ var i, n = 0, t = \"xyz\"; for (i = 0; i < 2; i++) n = n * 10 + len2(g[0]) + len2(t) * 100; return n; }",
        "cat(var s, var n){ if (n <= 0) return s; return cat(tcat(s, n), n - 1); } main(){ var i, t; for (i = 0; i < 2; i++) t = cat(\"\", 5); return strlen(t); }",
        // a function made for numbers made again for a caller giving it elements whole (a text
        // seen in the views while it runs); one then returning them whole keeps that caller a tree call
        remade,
        rewhole,
        mutual,
        // called from a tree call (main has a goto): with and without parameters
        "h(){ var i, s = \"\"; for (i = 0; i < 2; i++) s &= \"z\"; return s; } w(var n){ var t = \"www\"; if (n) return t; return n; } "
        "w2(var s){ var t = \"<\"; t &= s; return t; } "
        "main(){ var r = 0, u, v, x; again: r++; u = w(r); v = h(); x = w2(tcat(\"qq\", r)); if (r < 3) goto again; "
        "return strlen(tcat(v)) * 100 + strlen(tcat(u)) * 10 + w(0) + strlen(x) * 1000; }",
    };
    for (const char *t : texts) agree(t);
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    EXPECT_EQ(look(remade, 1).lean_runs, 1);    // main as a whole: sq was made again for m
    EXPECT_EQ(look(rewhole, 1).lean_runs, 1);   // and q again when id came to return values whole
    EXPECT_EQ(look(mutual, 1).lean_runs, 1);    // b1 made again once a1 gave values whole
}

// Switches: a case selecting and falling through, a break, a default before the cases (the
// second pass), chained and negative labels, continue and return from inside a loop's switch,
// a switch inside a switch, a built-in's error text before the statements read after a break,
// enumerators as labels; a label named like a local, a value listed twice and two defaults
// leave the function to the tree call.
TEST(Lean, SwitchesAsTheTreeCallsRunThem)
{
    const char *texts[] = {
        "f(var n){ var r = 0; switch (n % 5) { default: r = 100; case 1: r += 1; case -2: case 2: r += 2; break; "
        "case 3: r = 30; } return r; } main(){ var i, s = 0; for (i = -3; i < 8; i++) s = s * 3 + f(i); return s; }",
        "g(var n){ var i, t = 0; for (i = 0; i < n; i++) { switch (i % 4) { case 0: continue; case 1: t += 10; "
        "case 2: if (t > 40) return t; break; } t++; } return t; } main(){ return g(9) * 100 + g(3); }",
        "h(var a, var b){ switch (a) { case 1: switch (b) { case 1: return 11; default: a = 5; } case 2: return a; } "
        "return -1; } main(){ return h(1, 1) * 1000 + h(1, 2) * 100 + h(2, 0) * 10 + h(3, 3); }",
        "k(var n){ var r = 0, t = \"ab\"; switch (n) { case 0: t = tcat(); case 1: r = strlen(t); break; case 2: r = 2; } "
        "return r * 10 + n; } main(){ return k(2) * 10000 + k(1) * 100 + k(0); }",
        "enum { IDLE, RUN = 5, STOP }; step(var st, var n){ switch (st) { case IDLE: return n ? RUN : IDLE; case RUN: if (n > 3) return STOP; break; "
        "case STOP: return IDLE; default: return -1; } return RUN; } main(){ var i, st = IDLE, s = 0; for (i = 0; i < 9; i++) { st = step(st, i % 5); s = s * 2 + st; } return s; }",
        // on a value that may be a text or nothing: its number
        "var g[4] = {\"2\", 1, \"x\"}; t(var n){ return g[n % 4]; } f(var n){ var v = g[n % 4], r = 0; switch (v) { case 0: r = 5; break; case 1: r = 7; "
        "case 2: r += 1; } switch (t(n)) { case 2: r += 20; } switch (g[n % 4]) { case 1: r += 300; } return r; } "
        "main(){ var i, s = 0; for (i = 0; i < 8; i++) s = s * 7 + f(i); return s; }",
    };
    alike(texts, {"enum { A = 3 }; f(var n){ var A = 1; switch (n) { case A: return 1; } return 0; } main(){ return f(3) + f(2); }",
                  "f(var n){ switch (n) { case 1: return 1; case 1: return 2; } return 0; } main(){ return f(2) * 10 + f(1); }",
                  "f(var n){ switch (n) { default: return 1; default: return 2; } } main(){ return f(2); }"});
}

// Functions a formula calls, run lean as their tree calls run (after their first runs): the
// views at their hooks, a cell's value as an argument, the sheet's elements, a failure inside.
TEST(Lean, FormulaCalleesAsTheTreeCallsRunThem)
{
    const char *text = "g(var n){ var k = n * 2; return k + my[0][0]; } h(var x, var y){ var a[2]; a[1] = g(x); return a[x > 3] + y; } "
                       "main(){ return g(1); }";
    agree(text, 5000, "g(RC[-2]) + h(R[0]C0 * 2, 1)");
    agree(text, 5000, "h(RC[-2], g(2))");
    // cell names in a callee's body: cells there (globals of those names in the script's run),
    // one outside the sheet, one whose offset passes int at some cells
    const char *cells = "var RC[2], R0C0 = 100, R1C, R99C9; c(var n){ var k = RC[-2] * n; return k + R0C0 * 10 + R1C; } "
                        "d(){ return R99C9 + RC[2147483647]; } main(){ return R0C0; }";
    agree(cells, 5000, "c(2) + c(3)");
    agree(cells, 5000, "d()");
    agree(cells, 5000, "c(R[5]C9) + R20C1");
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    EXPECT_GT(look(cells, 1, 5000, "c(2) + c(3)").lean_runs, look(cells, 1).lean_runs + 6);   // c reading cells ran lean
    EXPECT_GT(look(text, 1, 5000, "g(RC[-2])").lean_runs, look(text, 1).lean_runs + 2);   // the formula's calls ran lean
}

// A stop (the host's budget) inside lean calls that made their entries for the view: the run
// ends as the tree call's, and no entry of them is left.
TEST(Lean, StopInsideLeanCallsLeavesNoEntries)
{
    const char *t = "f(var n){ var a = n; while (a >= 0 && n) a = a + 1; return a; } main(){ return f(0) + f(3); }";
    for (long budget : {3L, 10L, 57L}) agree(t, budget);
}

// Past the call limit a lean recursion fails where the tree call fails, with its message and
// the position of the innermost statement; a local read where it may be unset is a box; a
// function reading a global before a local of its name is declared runs as before.
TEST(Lean, FailuresAndRefusalsAsTheTreeCalls)
{
    agree("f(var n){ return n > 200 ? 0 : f(n + 1) + 1; } main(){ return f(0); }");
    agree("f(var n){ var r = 0; if (n % 3 == 0) r = f(n + 1); else if (n % 3 == 1) r = f(n + 1) + 1; else return f(n + 1); "
          "return r; } main(){ return f(0); }");
    agree("f(var n){ var r = 0; if (n > 0) r = f(n - 1); return n + r; } main(){ return f(150); }");
    agree("d(var n){ if (n == 0) return 0; return 1 + d(n - 1); } main(){ var x = d(99); return x + d(98); }");
    // a local read where it may be unset: a box, empty till set (its value whole: returned, in the views)
    agree("f(var n){ var u, w; if (n) u = 1; if (n > 1) w = n; return tcat(u + n, w); } main(){ return strlen(f(0)) * 10 + strlen(f(2)); }");
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    for (const char *t : {"var b = 100; f(var n){ var a = b + n, b = n * 2; if (n > 0) return f(n - 1) * 10 + a + b; return a; } main(){ return f(3); }"})
        refused(t);
}

// Calls outside the loops of a body whose form is made at its first run (main with a loop), of
// functions without a tree yet: regular calls (their first runs are the reader's), then the
// callee's lean form once it has one. Each script runs as a run makes trees, without lean forms,
// and with the reader alone: everything seen agrees (views at every hook included), and the
// regular calls made are counted.
TEST(Lean, CallsOutsideLoopsAreRegularTillTheCalleeIsLean)
{
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    SCR_SET<long> loops_only(link_all, 0);   // the link builds the trees of bodies with loops only
    struct CASE {
        const char *text;
        long regulars;
    };
    const CASE cases[] = {
        {"f(var x){ var y = x * 2; return y + 1; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += i; s = s + f(s); return s + f(1); }", 2},
        // a value a local, a lean call's parameter or a return takes as it is: the call made ahead
        {"c(){ var y = 3; return y; } main(){ var i, n; for (i = 0; i < 2; i++); n = c(); return n + c(); }", 0},
        {"c(){ var y = 3; return y; } main(){ var i, n = c(); for (i = 0; i < 2; i++); return n + c(); }", 0},
        {"t(var x){ return x * 2; } h(var a, var b){ return a + b; } main(){ var i, s = 0; for (i = 0; i < 2; i++) s += i; return s + h(s, t(s)); }", 0},
        {"t(var x){ return x * 2; } main(){ var i, s = 0; for (i = 0; i < 2; i++) s += i; return t(s); }", 0},
        // texts in and out: a parameter taking a text, a value returned whole
        {"f(var x){ return tcat(x, \"!\"); } main(){ var i, s = \"a\"; for (i = 0; i < 2; i++) s = tcat(s, i); s = tcat(f(s)); return strlen(s) * 10 + strlen(f(1)); }", 2},
        // called from a body run many times: regular at the callee's first two runs, lean after
        {"h(var x){ return x * 3; } g(var n){ var i, s = 0; for (i = 0; i < 2; i++) s += i; return h(n) + s; } "
         "main(){ var i, s = 0; for (i = 0; i < 6; i++) s += g(i); return s; }", 2},
        // ... where a text goes to a parameter that takes numbers: the regular call each time
        {"h(var x){ return x * 3; } g(var n){ var i, s = 0; for (i = 0; i < 2; i++) s += i; return h(n) + h(tcat(n, 1)) + s; } "
         "main(){ var i, s = 0; for (i = 0; i < 6; i++) s += g(i); return s; }", 7},
        // an element never stored: nothing, as an argument
        {"var m[3]; f(var x){ return tcat(x, \".\"); } main(){ var i; for (i = 0; i < 2; i++); return strlen(f(m[1])) * 10 + strlen(f(m[2])); }", 2},
        // a first argument that reaches the host (one after it keeps the call a lean call)
        {"k(var x){ var y = x + 1; return y; } f(var a, var b){ return a * 10 + b; } main(){ var i; for (i = 0; i < 2; i++); return 0 + f(k(i), i); }", 2},
        // a failure in the callee, and in an argument after one bound: its text and position
        {"var a[2]; f(var x, var y){ return x + y; } main(){ var i; for (i = 0; i < 2; i++); return 0 + f(i, a[9]); }", 1},
        {"var a[2]; f(var x){ var y = 1; return a[x] + y; } main(){ var i; for (i = 0; i < 2; i++); return 0 + f(5); }", 1},
        // a label in the body: a goto may run the call again, so it is not made regular
        {"f(var x){ return x + 1; } main(){ var i = 0, s = 0; for (; i < 1; i++); L: s = f(s); if (s < 3) goto L; return s; }", 0},
        // a callee that cannot be lean (it reads a global a local hides later): called regularly,
        // also where it has its tree when the caller's form is made (g's, from the link: g is
        // a lean call)
        {"var b = 100; f(var n){ var a = b + n, b = n * 2; return a + b; } g(){ var i, s = 0; for (i = 0; i < 2; i++) s += i; return s + f(s); } "
         "main(){ var i, s = f(1) + f(2); for (i = 0; i < 2; i++) s += i; return s + g(); }", 3},
        // recursion through the regular call; a callee with no parameters; a local of the caller's name
        {"var s; r(var n){ if (n <= 0) return 0; return n + r(n - 1); } z(){ var i = 7; return i; } "
         "main(){ var i; for (i = 0; i < 2; i++) s += i; return r(20) + z() + i; }", 2},
    };
    for (const CASE &c : cases) {
        // the views looked at from the first hook, and first in a callee (defined before main);
        // the run stopped at the 7th and 12th hooks too
        const intptr_t callee = strstr(c.text, "main") - c.text;
        struct WAY {
            long budget;
            intptr_t below;
        };
        for (WAY w : {WAY{5000, INTPTR_MAX}, WAY{5000, callee}, WAY{7, INTPTR_MAX}, WAY{7, callee}, WAY{12, callee}}) {
            SEEN a = seen_alike(c.text, w.budget, w.below);
            EXPECT_GT(a.lean_runs, 0) << c.text;
            if (w.budget == 5000) {   // (a run stopped early made fewer)
                EXPECT_EQ(a.regulars, c.regulars) << c.text;
            }
        }
    }
}

// A function with parameters whose call the regular evaluator makes (its caller runs from the
// text, or as a tree) runs lean from its parameters' entries: stores into a parameter seen by
// the views, texts and nothing as values, recursion, a failure's text and
// position; references to a variable, an array (past its end: its message) and a grid. A
// parameter holding a text where the form takes numbers keeps the tree call.
TEST(Lean, RegularCallsOfFunctionsWithParametersRunLean)
{
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    struct CASE {
        const char *text;
        bool lean;
        long runs = 0;   // lean runs, where counted
    };
    const CASE cases[] = {
        {"f(var n){ var i, s = 0; for (i = 0; i < n; i++) s = s + i % 7; n = s; return n; } main(){ return f(5) * 100 + f(3); }", true},
        {"f(var t, var n){ var i; for (i = 0; i < n; i++) t = tcat(t, i); return strlen(t); } main(){ return f(\"ab\", 3); }", true},
        {"var m[2]; f(var n){ var i; for (i = 0; i < 2; i++) n = tcat(n, i); return strlen(n); } main(){ return f(m[1]); }", true},
        {"f(var n){ var i, s = 0; for (i = 0; i < 2; i++) s += i; if (n > 0) s += f(n - 1); return s + n; } main(){ return f(4); }", true},
        {"var a[2]; f(var n){ var i; for (i = 0; i < 3; i++) a[i + n] = i; return 1; } main(){ return f(1); }", true},
        {"f(var &r){ var i; for (i = 0; i < 3; i++) r += i; return r; } main(){ var x = 1; f(x); return x; }", true},
        {"var a[6]; s(var p[], var n){ var i, j, x; for (i = 1; i < n; i++) { x = p[i]; for (j = i - 1; j >= 0 && p[j] > x; j--) p[j + 1] = p[j]; p[j + 1] = x; } return p[n - 1]; } "
         "main(){ var i; a[0] = 5; a[1] = 3; a[2] = 9; a[3] = 1; s(a, 4); return a[0] * 1000 + a[1] * 100 + a[2] * 10 + a[3] + s(a, 9); }", true},
        {"f(var m[][], var c){ var r, t = 0; for (r = 0; r < 2; r++) t += m[r][c]; m[1][c] = t; return t; } main(){ var g[2][3] = {{1, 2, 3}, {4, 5, 6}}; return f(g, 1) * 10 + g[1][1]; }", true},
        {"f(var n){ var i, s = 0; for (i = 0; i < 2; i++) s = s * 10 + n; return s; } main(){ return f(\"7\"); }", false},
        // called by reference from a tree call (a switch with a label below its top keeps main
        // one): lean at both its calls
        {"f(var &r){ var k; for (k = 0; k < 2; k++) r += k; return r; } main(){ var x = 0, i; for (i = 0; i < 3; i++) switch (i) { case 0: { case 1: f(x); } } return x; }", true, 2},
    };
    for (const CASE &c : cases) {
        const intptr_t callee = strstr(c.text, "main") - c.text;
        for (long budget : {5000L, 7L}) {
            for (intptr_t below : {INTPTR_MAX, callee}) {
                SEEN a = seen_alike(c.text, budget, below);
                if (budget == 5000) {
                    EXPECT_EQ(a.lean_runs > 0, c.lean) << c.text;
                    if (c.runs) {
                        EXPECT_EQ(a.lean_runs, c.runs) << c.text;
                    }
                }
            }
        }
    }
}

// Arguments after the parameters of a function ending in "...": evaluated in turn as the tree
// call evaluates them (numbers, texts, calls whose hooks see the arguments bound so far, one
// that fails) and bound to nothing; from lean callers and from tree calls.
TEST(Lean, ArgumentsAfterTheParametersAsTheTreeCallsEvaluateThem)
{
    agree("var n; g(var a, ...){ n++; return a * 2; } h(...){ return n; } t(var x){ n += x; return x; } "
          "main(){ var i, s = 0; for (i = 0; i < 3; i++) s += g(i, \"text\", t(i), i * 2) + h() + h(1, t(2)) + g(t(i)); return s * 100 + n; }");
    agree("var a[2]; g(var x, ...){ return x; } main(){ var i, s = 0; for (i = 0; i < 4; i++) s += g(i, a[i]); return s; }");
    agree("g(var n, ...){ if (n <= 0) return 0; return n + g(n - 1, n, tcat(\"a\", n)); } main(){ return g(20); }");
    // a local not set yet read there: empty, not a number
    agree("var n; g(var a, ...){ return a; } main(){ var i, u, s = 0; for (i = 0; i < 3; i++) s += g(i, u || n++, u ? n++ : 0, u && n++); return s * 10 + n; }");
    // a caller that keeps to tree calls (a goto into a block that hides a name) calling a lean one
    agree("var n; g(var a, ...){ n++; return a; } t(var x){ n += x; return x; } f(var x){ var y = 1; goto in; { var y = 2; in: y = g(x, y, t(x)); } return y; } "
          "main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i) + g(i, i); return s * 10 + n; }");
}

// More than 64 parameters and locals: the slots past the 64th as arrays, cells passed by
// reference, boxes (a text, a local set late) and an inner block's; past 128 the function keeps to
// tree calls.
TEST(Lean, ManySlotsAsTheTreeCallsMakeThem)
{
    auto script = [](int n) {
        std::string t = "inc(var &a){ a++; return 0; } var g[2] = {\"ab\"}; f(var p0, var p1){ var ";
        for (int k = 0; k < n; k++) t += (k ? ", v" : "v") + std::to_string(k);
        t += "; var arr[3] = {p0, 2}, box = g[0], late, cell = p1; var i, s = 0; "
             "for (i = 0; i < 3; i++) { var in = i * p0, w[2] = {in}; inc(cell); s += in + w[0] + arr[i] + cell; v" + std::to_string(n - 1) +
             " += s; } if (s > 5) late = s; return s * 10 + strlen(tcat(box, late)) + v" + std::to_string(n - 1) + "; } "
             "main(){ var k, t = 0; for (k = 0; k < 3; k++) t = t * 7 + f(k, k + 1); return t; }";
        return t;
    };
    agree(script(70).c_str());
    agree(script(110).c_str());
    if (cache_env_off()) GTEST_SKIP() << "lean runs are made from the parsed forms (KOVASH_NOCACHE)";
    std::string over = script(130);
    SEEN a = look(over.c_str(), 1), b = look(over.c_str(), 0);
    EXPECT_EQ(a.r.status, b.r.status);
    EXPECT_EQ(a.seen, b.seen);
    EXPECT_EQ(a.lean_runs, 9);   // f is a tree call, and so is main, which calls it; inc, which f calls, runs lean
}

// Operators of two locals or of a local and a number (read from the operator's own node), and
// stores of them: each operator at divisors 0 and -1, fractions and negatives, a local set late
// (empty in the views till then), "++" and "--" once.
TEST(Lean, OperatorsOfLocalsAsTheTreeCallsEvaluateThem)
{
    agree("f(var a, var b){ var r = 0; r = r * 3 + (a + b); r = r * 3 + (a - b); r = r * 3 + (a * b); r = r * 3 + (a / b); "
          "r = r * 3 + (a % b); r = r * 3 + (a <= b) + (a < b) * 2 + (a >= b) * 4 + (a > b) * 8 + (a == b) * 16 + (a != b) * 32; "
          "return r; } "
          "g(var a){ var r = 0; r = r * 3 + (a + 2); r = r * 3 + (a - 2); r = r * 3 + (a * -1.5); r = r * 3 + (a / 0); r = r * 3 + (a % -1); "
          "r = r * 3 + (a % 0) + (a / -1); r = r * 3 + (a <= 0) + (a < 1) * 2 + (a >= 2.5) * 4 + (a > -3) * 8 + (a == 7) * 16 + (a != 7) * 32; "
          "return r; } "
          "main(){ var i, j, s = 0, t; for (i = -3; i < 4; i++) for (j = -2; j < 3; j++) { s = s + f(i * 1.5, j); t = i - j; s = s - t; } "
          "for (i = 9; i > -9; i--) s = s % 100000 + g(i); s++; i--; return s; }");
}

// The views at every hook of tree calls (lean runs off) are the reader's: calls binding arrays
// with sizes, arguments after "...", declarations of statics, constants and parts; calls by
// reference in a formula's callee (a grid and four numbers, which a cell range may stand for,
// left to the reader).
TEST(Lean, TreeCallsViewsAreTheReaders)
{
    const char *byref = "var gc = 5; inc(var &r){ r++; return r; } tot(ARRAY &g, var x, var y, var w, var h){ return g[y][x] + x + w * 100 + h * 1000; } "
                        "c(var n){ var k = n; inc(k); inc(gc); return k * 10 + gc + tot(my, 0, 1, 2, 3); } main(){ return c(1); }";
    for (const char *form : {"c(RC[-2]) + c(2)", "tot(R[0]C0:R[1]C1) + c(R1C0)"}) {
        SEEN a = look(byref, 0, 5000, form), b = look(byref, 0, 5000, form, 0);
        EXPECT_EQ(a.seen, b.seen) << form;
    }
    const char *texts[] = {
        "g(var p[3], var m[2][2]){ p[0] += m[1][1]; return p[2]; } f(var x){ var a[3], b[2][2]; a[2] = x; return g(a, b); } "
        "main(){ var i, s = 0; for (i = 0; i < 2; i++) s += f(i); return s; }",
        "var n; g(var a, ...){ n++; return a; } f(var x){ return g(x, n, x * 2) + g(x); } main(){ var i, s = 0; for (i = 0; i < 2; i++) s += f(i); return s; }",
        "f(var n){ static var a[2] = {n, 5}, c; const var k = n * 2; PUSH p; c++; return a[0] + k + c; } "
        "main(){ var i, t = 0; for (i = 0; i < 2; i++) t += f(i); return t; }",
    };
    for (const char *t : texts) {
        SEEN a = look(t, 0), b = look(t, 0, 5000, nullptr, 0);
        EXPECT_EQ(a.r.status, b.r.status) << t;
        EXPECT_EQ(a.entries, b.entries) << t;
        ASSERT_EQ(a.seen.size(), b.seen.size()) << t;
        for (size_t i = 0; i < a.seen.size(); i++)
            ASSERT_EQ(kov::sj_to_utf8(a.seen[i]), kov::sj_to_utf8(b.seen[i])) << t << "\nat hook " << i;
    }
}
