// The statement trees against the text reader: which bodies get a tree, and runs that must
// agree in status, error texts and positions, the previous error and every hook position.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "scrtest.h"
#include "script/scrcache.h"
#include "script/scrlean.h"
#include "script/scrtree.h"

using namespace scrtest;

namespace {

// warn(): sets a built-in's error text and goes on; errmsg(): the previous error.
int fn_warn(SCR_U &s, const FN_CALL &, FN_RET &r)
{
    s.scr_set_FNCERR("w");
    r.L = 0;
    return 0;
}
int fn_errmsg(SCR_U &s, const FN_CALL &, FN_RET &r)
{
    r.s = s.scr_get_preerr();
    return 0;
}
const FN_DEF table[] = {{"warn", fn_warn, "i"}, {"errmsg", fn_errmsg, "s"}, {"", nullptr, ""}};
const FN_DEF *lookup(const char *name)
{
    for (const FN_DEF *f = table; f->name[0]; f++)
        if (strcmp(f->name, name) == 0) return f;
    return nullptr;
}

struct TENV : ENV {
    TENV()
    {
        scr.scr_fn_table = lookup;
        scr.scr_tree_mode = 2;   // every function's tree, also of those that run once
        host.budget = 20000;
    }
    ENV *twin() const override { return new TENV; }
    int has_tree(const char *fn)
    {
        FTBL_U *f = scr.scr_get_ftbl(fn);
        return f && scr.scr_tree && scr.scr_tree->find(f->text);
    }
};

TEST(Tree, BuiltForEveryStatement)
{
    const char *texts[] = {
        "main(){ var i, s = 0; for (i = 0; i < 3; i++) { if (i == 1) continue; s += i; } return s; }",
        "main(){ var i = 0; do { i++; if (i > 5) break; } while (1); while (i) i--; return i; }",
        "main(){ { var a = 1; { var b = a; } } ; return 0; }",
        "main(){ L: return 0; }",
        "main(){ goto L; L: return 0; }",
        "main(){ switch (1) { case 1: break; } return 0; }",
        "main(){ switch (1) { case 1: if (1) { case 2: ; } } return 0; }",
        "main(){ static var n; return n; }",
        "main(){ PUSH p; extern var e = 2; return 0; }",
        "main(){ enum { A, B }; return B; }",
    };
    for (const char *t : texts) {
        TENV e;
        RUN run = e.run_once(t);
        EXPECT_TRUE(run.ran) << t << ": " << kov::sj_to_utf8(run.err);
        EXPECT_TRUE(e.has_tree("main")) << t;
    }
}

// Each text runs with the trees (with lean runs and without) and on a twin without: everything
// seen must agree, and the tree must have run (a body left to the reader would agree trivially).
TEST(Tree, RunsAsTheReaderDoes)
{
    const char *texts[] = {
        // loops, break and continue at several depths, return from inside loops
        "main(){ var i, j, s = 0; for (i = 0; i < 4; i++) for (j = 0; j < 4; j++) { if (j > i) break; if (j == 1) continue; s = s * 3 + j; } return s; }",
        "f(var n){ var i; for (i = 0;; i++) { while (1) { if (i == n) return i * 10; break; } } } main(){ return f(4); }",
        "main(){ var i = 0, s = 0; do { i++; if (i % 2) continue; s += i; } while (i < 9); return s; }",
        "main(){ var i = 0; for (;;) if (++i > 6) break; return i; }",
        // a block's variables end with it: a loop body declares them afresh
        "main(){ var i, s = 0; for (i = 0; i < 5; i++) { var t = i * 2; t += 1; s += t; } return s; }",
        "fib(var n){ if (n < 2) return n; return fib(n - 1) + fib(n - 2); } main(){ return fib(12); }",
        "void v(){ return; } main(){ v(); return 3; }",
        // the previous error after statements read without effect
        "main(){ var r = 0; warn(); if (0) { r = 1; r = 2; } return errmsg() == \"w\"; }",
        "main(){ var r = 0; warn(); if (1) r = 1; else { r = 2; } return errmsg() == \"w\"; }",
        "main(){ var i; for (i = 0; i < 3; i++) { warn(); if (i == 1) break; i = i; } return errmsg() == \"w\"; }",
        "g(){ return 0; } f(){ warn(); return 1; g(); g(); } main(){ f(); return errmsg() == \"w\"; }",
        "main(){ warn(); { var a = 1; } return errmsg() == \"w\"; }",
        "main(){ if (1) warn(); else ; return errmsg() == \"w\"; }",
        "main(){ if (warn()) ; return errmsg() == \"w\"; }",
        "main(){ while (warn()) ; return errmsg() == \"w\"; }",
        "main(){ for (; warn();) { } return errmsg() == \"w\"; }",
        // errors: the innermost statement's position and the reader's texts
        "main(){ var a[3], i; for (i = 0; i < 5; i++) { if (i > 1) { a[i * 2] = 1; } } return 0; }",
        "main(){ var i; for (i = 0; i < 2; i++) { var b[2] = {1, 2}; var c = b[i + 5]; } return 0; }",
        "f(var n){ var a[2]; return a[n]; } main(){ return f(3); }",
        // a parsed name with an index or a step meeting the caller's enumerator stops past the name
        "var A[2]; f(var n){ var r; r = A[0] + 1; if (n) { enum { A = 7 }; r = f(0); } return r; } main(){ return f(1); }",
        "var A; f(var n){ var r; r = A++ + 1; if (n) { enum { A = 7 }; r = f(0); } return r; } main(){ return f(1); }",
        "var A[2], i; f(var n){ var r; r = A[i] + 1; if (n) { enum { A = 7 }; r = f(0); } return r; } main(){ return f(1); }",
        // a name's readings in a body share what one learns; one the parser leaves shares nothing
        "f(){ var y = 1, z = 0; y++ ++ ++ ++ ++ ++ ++ ++ ++ ++; z = 5; return y; } main(){ return f(); }",
        "main(){ while (1) ; }",   // the host's stop (the budget) inside a tree loop
        // switch: fall through, the default read a second time, break, continue and return inside
        "main(){ var i, s = 0; for (i = 0; i < 6; i++) switch (i) { case 1: s += 1; case 2: s += 10; break; default: s += 100; case 4: s += 1000; } return s; }",
        "main(){ var i, s = 0; for (i = 0; i < 4; i++) { switch (i) { case 1: continue; case 2: s += 5; } s += 1; } return s; }",
        "f(var x){ switch (x) { default: return 7; case 3: return 3; } return 0; } main(){ return f(3) * 10 + f(1); }",
        "main(){ var r = 0; warn(); switch (2) { case 1: r = 1; r = 2; case 2: r = errmsg() == \"w\"; } return r; }",
        "main(){ var x = 1; switch (x) { case 1: break; case 1: ; } return 0; }",
        "main(){ var x = 1; switch (x) { case 1: x = 2; case 1: ; } return 0; }",
        // labels below the top of a switch body: selected inside a block, a branch, a loop (the
        // loop goes on, its labels read again), the default's second pass, transfers, the
        // texts read without effect, two that select, switches inside, a goto in and out
        "main(){ var n = 0, k = 3; switch (7 % 4) { case 0: do { n++; case 3: n++; case 2: n++; case 1: n++; } while (--k > 0); } return n; }",
        "main(){ var s = 0, i; for (i = 0; i < 4; i++) switch (i) { case 0: if (s < 0) { case 1: s += 10; } else { case 2: s += 100; } s += 1000; } return s; }",
        "main(){ var s = 0, i; for (i = 0; i < 3; i++) switch (i + 7) { case 7: s++; { default: s += 20; { case 8: s += 300; break; } } s += 4000; } return s; }",
        "main(){ var s = 0, i; for (i = 0; i < 5; i++) { switch (i) { { case 1: continue; } case 2: { s += 5; if (i) { case 3: return s * 100 + i; } } } s += 1; } return s; }",
        "main(){ var s = 0, k = 0; warn(); switch (2) { case 1: s = 1; { s = 2; s = 3; case 2: s = errmsg() == \"w\"; } s += 10; } return s; }",
        "main(){ var s = 0; warn(); switch (2) { case 2: s = 1; break; { s = 2; case 5: s = 3; } s = 4; } return s * 10 + (errmsg() == \"w\"); }",
        "main(){ var s = 0, x = 2; switch (x) { case 2: if (0) { case 2: s = 1; } } return s; }",
        "main(){ var s = 0, x = 2; switch (x) { case 2: { s = 1; break; s = 2; if (0) { case 2: ; } } } return s; }",
        "main(){ var s = 0, x = 5, k = 3; switch (x) { case 1: break; while (k-- > 0) { default: s = s * 10 + k; } } return s; }",
        "main(){ var s = 0; switch (2) { { var t = 5; case 2: s = t; } } return s; }",
        "main(){ var s = 0, i = 0; switch (1) { while (i < 3) { s += 100; case 1: i++; switch (i) { case 2: s += 10; break; { default: s += 1; } } } } return s; }",
        "main(){ var s = 0; goto in; switch (1) { { case 1: s = 1; in: s += 2; } case 2: s += 30; } return s; }",
        "main(){ var s = 0; switch (1) { if (s == 0) { case 1: s = 5; goto out; } s = 9; } out: return s; }",
        "f(var x){ switch (x) { for (;;) { case 1: return 10; case 2: x = 1; } default: return x; } return 0; } main(){ var i, s = 0; for (i = 0; i < 4; i++) s = s * 100 + f(i); return s; }",
        // goto: back and forward, out of loops, into a loop, an if and a switch body; a label
        // that is not there; the names of a block entered by the goto
        "main(){ var i = 0; L: i++; if (i < 5) goto L; return i; }",
        "main(){ var i, j, n = 0; for (i = 0; i < 5; i++) for (j = 0; j < 5; j++) { n++; if (i * j == 6) goto out; } out: return n * 100 + i * 10 + j; }",
        "main(){ var i = 7, s = 0; goto in; for (i = 0; i < 3; i++) { s += 100; in: s += i; } return s; }",
        "main(){ var i = 0, s = 0; goto in; while (i < 4) { s += 10; in: i++; } return s + i; }",
        "main(){ var s = 0; goto in; if (1) { s = 1; } else { in: s += 2; } return s; }",
        "main(){ var s = 0; goto in; switch (3) { case 1: s = 1; in: s += 4; case 3: s += 20; break; default: s += 300; } return s; }",
        "main(){ var s = 0; goto in; do { s += 10; in: s++; } while (s < 30); return s; }",
        "main(){ var s = 0; goto nowhere; return s; }",
        "main(){ var n = 0; goto in; { var a = 5; in: n = a; } return n; }",
        "main(){ var n = 0; warn(); goto in; n = 1; { n = 2; n = 3; } in: return errmsg() == \"w\"; }",
        // jumps straight to the label: the error texts of the statements passed over (none, one,
        // several), labels in an else branch inside blocks, the first of two labels of a name,
        // a jump back out of loops, and what follows a return
        "main(){ var n = 0; warn(); goto in; in: return errmsg() == \"w\"; }",
        "main(){ var n = 0; warn(); goto in; n = 1; in: return errmsg() == \"w\"; }",
        "main(){ var s = 0; warn(); goto in; if (s) { s = 1; } else { s = 2; { in: s += 5; } } return s * 10 + (errmsg() == \"w\"); }",
        "main(){ var s = 0, k = 0; L: s++; if (s < 3) goto L; { L: k++; } return s * 10 + k; }",
        "main(){ var i = 0, n = 0; top: n++; for (i = 0; i < 3; i++) { while (1) { if (n < 4) goto top; break; } } return n * 10 + i; }",
        "main(){ var n = 0; warn(); { n = 1; goto in; n = 2; } n = 3; in: n += 10; return n; }",
        // a goto leaves every construct around it at once, also one entered seeking a label: no
        // branch, loop or switch pass goes on
        "main(){ var n = 0; goto in; B: n += 10; if (n > 100) return n; if (1) { in: n++; goto B; } else n = 1000; return -1; }",
        "main(){ var i = 0, n = 0; goto in; for (i = 0; i < 5; i++) { in: n++; if (n == 3) goto out; } out: return n * 10 + i; }",
        "main(){ var n = 0; L: switch (n) { case 0: case 1: n++; goto L; default: n += 10; } return n; }",
        "main(){ var n = 0; L: switch (n) { case 0: { case 1: n++; goto L; } default: n += 10; } return n; }",
        // calls in loops: what the caller's names meant stays right after a call that changed
        // a global, ran a static of another function, or called itself
        "var g; f(var x){ g = g + x; return g; } main(){ var i, t = 0; for (i = 0; i < 4; i++) t += f(i) + g; return t; }",
        "var g = 1; h(){ static var k; k++; return k; } f(var x){ return x + h(); } main(){ var i, s = 0; for (i = 0; i < 5; i++) s += f(i) + g; return s; }",
        "f(var n){ var m = n; if (n > 0) m += f(n - 1); return m; } main(){ var i, s = 0; for (i = 0; i < 4; i++) s += f(i) * i; return s; }",
        // frames: a name read before the body's own declaration of it finds the caller's
        // entry in a recursive call; a function called both as a tree and by the reader (an
        // argument the parser leaves), also recursively; a parameter passed on by reference
        "var b = 100; f(var n){ var a = b + n, b = n * 2; if (n > 0) return f(n - 1) * 10 + a + b; return a; } main(){ return f(3); }",
        "f(var x){ var y = x * 2; return x + y; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i) * 10 + f((enum { Q }) i); return s; }",
        "f(var n){ if (n <= 0) return 0; if (n % 2) return n + f(n - 1); return n * 3 + f((enum { Q }) n - 1); } main(){ return f(7); }",
        "g(var &r){ r = r + 1; return r; } f(var x){ var k = x; g(k); g(x); return k * 100 + x; } main(){ return f(4) + f(5); }",
        // parameters by reference bound by a tree call: a scalar, a row, a grid, a part, one
        // passed on, a recursion
        "var gm[2][2]; g(var &r, var p[], var m[][]){ r = r + p[1] + m[1][0]; p[0]++; m[0][1] = r; return r; } "
        "f(var x){ var a[3], k = x; a[1] = 2; gm[1][0] = 5; g(k, a, gm); g(k, a, gm); return k * 10 + a[0] + gm[0][1]; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i); return s; }",
        "PUSH b; h(PUSH &q, var n){ return (q == q) + n; } f(var x){ return h(b, x) + h(b, x + 1); } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i); return s; }",
        "g(var &r){ r++; return r; } h(var &q){ return g(q) * 10 + g(q); } f(var x){ var k = x; return h(k) * 100 + k; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i); return s; }",
        "g(var &r, var n){ if (n > 0) { r += n; g(r, n - 1); } return r; } main(){ var i, s = 0, t; for (i = 0; i < 4; i++) { t = 0; s = s * 10 + g(t, i); } return s; }",
        // functions of varying arguments: the rest evaluated in order, bound to nothing (calls
        // among them, one that fails)
        "var n; g(var a, ...){ n++; return a * 10; } h(var k){ return k + 1; } f(var x){ return g(x, n++, h(h(x))) + g(x + 1); } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i); return s * 100 + n; }",
        "var a[2]; g(...){ return 7; } f(var x){ return g(x, warn(), a[x]); } main(){ var i, s = 0; for (i = 0; i < 4; i++) s += f(i); return s; }",
        // arrays by reference with sizes written: the argument's checked against them
        "g(var p[3], var m[2][2]){ p[0] += m[1][1]; return p[2]; } f(var x){ var a[3], b[2][2]; a[2] = x; b[1][1] = 4; return g(a, b) * 10 + a[0]; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i); return s; }",
        "g(var p[3]){ return p[0]; } f(var x){ var a[3], b[4]; if (x < 2) return g(a); return g(b); } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i); return s; }",
        "g(var m[2][3]){ return m[1][2]; } var h[3][3]; f(var x){ var a[2][3]; if (x < 2) return g(a); return g(h); } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i); return s; }",
        // a constant given by reference to a function whose tree was built in another binding:
        // the store that does not run still fails, as the reader's reading of it fails
        "inc(var &a){ if (0) a++; return a; } main(){ var i, s = 0, v = 1; const var k = 1; for (i = 0; i < 3; i++) s += inc(v); return s + inc(k); }",
        "inc(var &a){ if (0) a++; return a; } f(var &b){ return inc(b); } main(){ var i, s = 0, v = 1; const var k = 1; for (i = 0; i < 3; i++) s += f(v); return s + f(k); }",
        "f(var x){ var t = x; { var x = t + 1; t = x * 2; } return t + x; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i); return s; }",
        "f(var n){ var k = 0, t = n; L: k++; t--; if (t > 0) goto L; return k * 10 + n; } main(){ var i, s = 0; for (i = 1; i < 4; i++) s += f(i); return s; }",
        // statics found, not made, by the tree's reading; their initializers stored at each
        // call; enumerators of a body, also in a frame, and one shadowing a global
        "f(){ static var n; n++; return n; } g(var k){ static s = 5; s += k; return s; } main(){ var i, t = 0; for (i = 0; i < 4; i++) t = t * 10 + f() + g(i); return t; }",
        "var B = 9; f(var x){ enum { A = 3, B }; return x * B + A; } main(){ var i, t = 0; for (i = 0; i < 3; i++) t += f(i) + B; return t; }",
        "f(){ static var a[3]; var i; for (i = 0; i < 3; i++) a[i] += i; return a[2]; } main(){ f(); f(); return f(); }",
        // statics, constants and parts declared by a tree without their text: a static's list
        // stored at each call, a part with an initial value
        "f(var n){ static var a[2] = {n, 5}, c = 1; const var k = n * 2; c++; a[1] += k; return a[0] * 100 + a[1] * 10 + c; } main(){ var i, t = 0; for (i = 0; i < 3; i++) t += f(i); return t; }",
        "f(var n){ register CHECK p = n, q; return (p == n) * 10 + (q == 0); } main(){ var i, t = 0; for (i = 0; i < 3; i++) t = t * 100 + f(i); return t; }",
        // declarations of plain names made without their text: initializers that read the
        // names before them, texts, blanks and comments, one that fails, one in a loop's block
        "f(var n){ var a /*x*/ = n * 2 , b = a + 1, c, s = \"t\" ; var d = s; if (n > 0) return f(n - 1) + a + b + (c == 0) + (d == \"t\"); return a; } main(){ var i, t = 0; for (i = 0; i < 3; i++) { var k = i, m = k * 3; t += f(i) + m; } return t; }",
        "f(var n){ var a[3], m[2][4] = n, k = 1; a[n % 3] = n; m[1][3] = a[n % 3] + m[0][0]; return m[1][3] * 10 + a[0] + k; } main(){ var i, t = 0; for (i = 0; i < 5; i++) { var b[2]; b[1] = f(i); t += b[1]; } return t; }",
        "f(var n){ var a[2][3]; a[1][2] = 5; return a[n][2] + a[1][n]; } main(){ return f(0) + f(1) + f(2); }",
        // lists of initial values: running on into the next row, rows of their own, texts,
        // blanks and comments, a value that calls a function met for the first time, one that
        // fails, a list in a loop's block
        "g(var k){ var t[2] = {k * 3, 1}; return t[0]; } f(var n){ var a[3] = { n, /* c */ n * 2 , \"t\" }, m[2][3] = {{1, n}, {g(n) + 1}}, k[2][2] = {1, 2, 3, 4}; "
        "return a[1] + m[1][0] * 10 + m[0][2] + k[1][1] * 100 + (a[2] == \"t\") * 1000; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += f(i); return s; }",
        "f(var n){ var b[2], a[2] = {1, b[n]}; return a[0] + a[1]; } main(){ var i, s = 0; for (i = 0; i < 4; i++) s += f(i); return s; }",
        "main(){ var i, s = 0; for (i = 0; i < 3; i++) { var a[2][2] = {{i, i + 1}, {i * 2}}; s = s * 10 + a[0][1] + a[1][0] + a[1][1]; } return s; }",
        // a tree built while an initializer runs (an array keeps main from running lean)
        "g(var n){ var a = n + 1, b = 2; return a + b; } main(){ var z[2]; var x = g(1), y = g(2) + x; return y + z[0]; }",
        "var g[2]; f(var n){ var a = 1, b = g[n] + a, c = 5; return a + b + c; } main(){ var i, t = 0; for (i = 0; i < 4; i++) t += f(i); return t; }",
        // gadget and extern declarations of a body, in a frame and in a loop's block
        "f(var n){ PUSH p; extern var e = n; var k = e * 2; if (n > 0) return f(n - 1) + k; return k + (p == p); } main(){ var i, s = 0; for (i = 0; i < 3; i++) { GRAPH g; s += f(i); } return s; }",
        // a one-row array read before its row is stored, holding text, read past its end
        "var a[4]; main(){ var i, s = 0; for (i = 0; i < 6; i++) { s += a[i % 4]; a[i % 4] = i; } a[2] = \"t\"; for (i = 0; i < 4; i++) s += a[i] == \"t\"; return s + a[4]; }",
        // text appended in place by statements: to a scalar, an element, a number
        "var a[2]; main(){ var s = \"x\", i, n = 5; for (i = 0; i < 3; i++) { s &= \"ab\"; a[1] &= \"c\"; n &= \"z\"; } return (s == \"xababab\") * 100 + (a[1] == \"ccc\") * 10 + n; }",
        // trees built while others run (a function's first call from a running tree)
        "f(var n){ if (n < 2) return n; return f(n - 1) + f(n - 2); } g(var p[]){ return p[0]; } var a[3]; main(){ var k; for (k = 0; k < 2; k++) if (f(6) != 8) return 1; g(a); return 42; }",
        "f(){ warn(); return 1; warn(); } main(){ return f() * 10 + (errmsg() == \"w\"); }",
        "f(){ return warn() + 1; warn(); warn(); } main(){ return f() * 10 + (errmsg() == \"w\"); }",
        "f(){ { return warn() + 1; } warn(); } main(){ return f() * 10 + (errmsg() == \"w\"); }",
    };
    for (const char *t : texts)
        for (int lean = 1; lean >= 0; lean--) {   // lean runs take most functions from the tree calls
            TENV e;
            e.scr.scr_lean_on = lean;
            EXPECT_EQ(e.diff(t), "") << t << " lean " << lean;
            EXPECT_GT(e.scr.scr_tree ? e.scr.scr_tree->built : 0, 0) << t;
        }
}

// Each script with trees (lean runs off) and on a twin without: everything seen agrees, and the
// run counted in `count` (by default: left a declaration to the reader's reading) where `counted`
// says so.
struct READ_ROW {
    const char *t;
    bool counted;
};
template <size_t N> void agree_reading(const READ_ROW (&rows)[N], long SCR_TREE::*count = &SCR_TREE::read_decls)
{
    for (auto &r : rows) {
        TENV e;
        e.scr.scr_lean_on = 0;
        EXPECT_EQ(e.diff(r.t), "") << r.t;
        ASSERT_TRUE(e.scr.scr_tree) << r.t;
        EXPECT_EQ(e.scr.scr_tree->*count > 0, r.counted) << r.t;
    }
}

// Enumerators a body declares with numbers written or none are made by the tree without reading
// the declaration (a tag, a trailing comma, a character, values that wrap, an inner block made
// afresh at each entry, a goto back over one); a value to compute is the reader's.
TEST(Tree, EnumsOfABodyAsTheReaderMakesThem)
{
    const READ_ROW rows[] = {
        {"f(var x){ enum E { A = 3, B, C = 'a', D = 4294967298, }; return x * B + A + C + D; } main(){ var i, t = 0; for (i = 0; i < 3; i++) t += f(i); return t; }", false},
        {"f(var x){ var s = 0; while (x > 0) { enum { P = 0x7fffffff, Q, R }; s += (Q < 0) + R + x; x--; } return s; } main(){ return f(3); }", false},
        {"var k; f(var n){ L: { enum { A = 1 }; k += A; } if (k < n) goto L; return k; } main(){ return f(2) + f(4); }", false},
        {"f(){ enum {}; enum { Z }; return Z; } main(){ return f() + f(); }", false},
        {"f(var x){ enum { A = 2, B = A * 3 }; return x + B; } main(){ return f(1) + f(2); }", true},
        {"f(var x){ enum { A = 2, B = 2 + 1 }; return x + B; } main(){ return f(1) + f(2); }", true},
    };
    agree_reading(rows);
}

// Array sizes written as enumerators are taken at the build; a run where the name means
// otherwise (a recursion's enumerator of that name) reads the declaration as the reader.
TEST(Tree, SizesWrittenAsEnumeratorsAsTheReaderReadsThem)
{
    const READ_ROW rows[] = {
        {"enum { N = 3, M = 2 }; f(var k){ var a[N], m[M][N] = {1, 2, 3, 4}; a[k % N] = k; return a[k % N] * 100 + m[1][0] * 10 + m[0][N - 1]; } "
         "main(){ var i, t = 0; for (i = 0; i < 4; i++) t += f(i); return t; }", false},
        {"f(var k){ enum { N = 4 }; var a[N]; a[N - 1] = k; return a[3]; } main(){ return f(1) + f(2); }", false},
        // a recursion meets its caller's enumerator declared after the array
        {"enum { N = 3 }; f(var k){ var a[N]; enum { N = 4 }; if (k == 0) { a[3] = 7; return a[3]; } return f(k - 1); } main(){ return f(1) + f(0); }", true},
        {"enum { N = 3 }; f(var k){ var a[N]; return k; } g(){ var N = 5; return f(1); } main(){ return f(1) + f(2) + g(); }", false},
    };
    agree_reading(rows);
}

// A goto seeking its label passes a declaration without reading it: names of the block it stays
// in bound again with their values, those of a block entered anew made afresh, initial values
// not stored. What might fail or do something read suppressed is the reader's: calls, elements,
// constants, a text in an operation, a name not there yet.
TEST(Tree, GotoPassesDeclarationsAsTheReaderReadsThem)
{
    if (cache_env_off()) GTEST_SKIP() << "initial values are looked at in their parsed forms (KOVASH_NOCACHE)";
    const READ_ROW rows[] = {
        {"enum { K = 2 }; f(var n){ var steps = 0, k = -1, s = n * K + k, t = \"\", m[2] = {1, s}; again: if (n == 1) goto done; "
         "if (n % 2) n = 3 * n + 1; else n = n / 2; steps++; goto again; done: return steps * 1000 + s * 10 + (t == \"\") + m[1]; } "
         "main(){ return f(6) + f(7); }", false},
        {"f(var n){ static var c = 5; var i = 0; L: c++; i++; if (i < n) goto L; return c * 10 + i; } main(){ return f(2) * 1000 + f(3); }", false},
        {"main(){ var n = 0, s = 0; goto in; { var y = 2, z = 7; in: n++; s += y + z; } if (n < 3) goto in; return n * 100 + s; }", false},
        {"main(){ var n = 0, s = 0; L: { var y = 2, z = y + n; s += z; n++; } if (n < 3) goto L; return s; }", false},
        {"main(){ var n = 0, s = 0; goto in; { var y = 2, z = y + 1; in: n++; s += z; } if (n < 3) goto in; return s; }", true},
        {"g(var k){ return k + 1; } main(){ var n = 0, t = g(1); L: n++; if (n < 3) goto L; return n + t; }", true},
        {"var a[3]; main(){ var n = 0, t = a[1]; L: n++; if (n < 3) goto L; return n + t; }", true},
        {"main(){ const var c = 4; var n = 0; L: n++; if (n < c) goto L; return n; }", true},
        {"main(){ var n = 0, s = \"a\" & n; L: n++; if (n < 3) goto L; return n; }", true},
    };
    agree_reading(rows);
}

// A body given a constant by reference runs from its tree (built at an earlier call) where none
// of its statements may store into that name; else the reader reads it, which fails on such a
// store also where it does not run: a step, an assignment, also in a call's argument ("<<=",
// not "<="). Stores into other names, and a constant never bound to a
// name that is stored into, keep the tree.
TEST(Tree, ConstantsByReferenceRunTheTreeWhereNothingStoresIntoThem)
{
    if (cache_env_off()) GTEST_SKIP() << "stores are looked for in the parsed forms (KOVASH_NOCACHE)";
    const READ_ROW rows[] = {   // counted: a call binding the constant ran the tree
        {"f(var &a){ return a * 2; } main(){ var v = 1; const var k = 5; return f(v) + f(k) * 10; }", true},
        {"f(var &a){ var t = 0, i; for (i = 0; i < 2; i++) if (0) t = a; return t + a; } main(){ var v = 1; const var k = 5; return f(v) + f(k) * 10 + f(k); }", true},
        {"f(var &a, var &b){ if (0) b += 1; return a + b; } main(){ var v = 1, w = 2; const var k = 5; return f(v, w) + f(k, w) * 10; }", true},
        {"f(var &a){ if (0) a++; return a; } main(){ var v = 1; const var k = 5; return f(v) + f(k); }", false},
        {"g(var x){ return x; } f(var &a){ if (0) g(a <<= 1); return a; } main(){ var v = 1; const var k = 5; return f(v) + f(k); }", false},
        {"g(var x){ return x; } f(var &a){ if (0) g(a = 1); return a; } main(){ var v = 1; const var k = 5; return f(v) + f(k); }", false},
        {"g(var x){ return x; } f(var &a){ g(a <= 1); g(a == 2); g(a != 3); return a; } main(){ var v = 1; const var k = 5; return f(v) + f(k); }", true},
        {"f(var &a, var &b){ if (0) a = 1; return a + b; } main(){ var v = 1; const var k = 5; return f(v, v) + f(v, k); }", true},
    };
    agree_reading(rows, &SCR_TREE::const_runs);
}

// An expression is parsed once, at the build; where the reading of the text could fail there
// though the link's did not, it is read too, and a failure leaves the body to the reader. Lean
// runs off, so that the bodies are built at their first run, in the caller's binding.
TEST(Tree, ExpressionsFailingInTheBuildsReadingLeaveTheBodyToTheReader)
{
    const char *texts[] = {
        // an untaken call of a function defined later whose parameter does not fit
        "var v[4]; f(var x){ var i; for (i = 0; i < 0; i++) g(v[1], -2); return x + 1; } g(var &r, var y){ return r + y; } main(){ return f(1); }",
        // an untaken store into a parameter bound to a constant
        "inc(var &a){ if (0) a++; return a; } main(){ const var k = 1; return inc(k); }",
        // the same with a plain variable: the tree runs
        "inc(var &a){ if (0) a++; return a; } main(){ var k = 1; return inc(k) + inc(k); }",
    };
    for (const char *t : texts) {
        TENV e;
        e.scr.scr_lean_on = 0;
        EXPECT_EQ(e.diff(t), "") << t;
    }
}

std::string slurp(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t cut = s.find('\x1E');   // a run seed: the sheet, then the script
    return cut == std::string::npos ? s : s.substr(cut + 1);
}

// The link builds the tree of a body as it reads it: with a loop always, without one in a small
// script (of every body in tree mode 2), unless a run must read it in its caller's
// binding or the link's reading selects by values: such bodies get their trees at a run. A link
// that fails in such a body fails as the reader's.
TEST(Tree, TheLinkBuildsTreesAsItReads)
{
    struct CASE {
        const char *text, *fn;
        int with_loops, all;   // built at the link: loops only (scr_link_all 0), in a small script
    };
    const CASE cases[] = {
        {"f(){ var i; for (i = 0; i < 2; i++); return i; } g(){ return 1; } main(){ return f() + g(); }", "f", 1, 1},
        {"f(){ var i; for (i = 0; i < 2; i++); return i; } g(){ return 1; } main(){ return f() + g(); }", "g", 0, 1},
        {"g(){ /* while */ var xdo = 1, dow = 2; return \"for\" + xdo + dow; } main(){ return g(); }", "g", 0, 1},
        {"f(){ static var s; while (s < 2) s++; return s; } main(){ return f() + f(); }", "f", 0, 0},
        {"f(){ var n = 0; L: if (++n < 3) goto L; return n; } main(){ return f(); }", "f", 1, 1},
        // calls of functions known to the link that take numbers
        {"g(var a, var b){ return a * b; } main(){ var i, s = 1; for (i = 0; i < 3; i++) s += g(i, g(s, 2)); return s; }", "main", 1, 1},
        // a static, a call of a function defined later, a switch, a parameter by reference: at
        // the run
        {"f(){ extern var e; while (e < 2) e += g(); return e; } g(){ return 1; } main(){ return f() + f(); }", "f", 0, 0},
        {"f(){ var i, n = 0; for (i = 0; i < 3; i++) switch (i) { case 1: n++; } return n; } main(){ return f(); }", "f", 0, 0},
        {"f(var &a){ while (a < 3) a++; return a; } main(){ var v = 0; return f(v); }", "f", 0, 0},
    };
    for (const CASE &c : cases)
        for (int all : {0, 1}) {
            TENV e;
            e.scr.scr_tree_mode = 1;
            if (!all) e.scr.scr_link_all = 0;
            e.host.host_ed_put(c.text);
            ASSERT_EQ(e.scr.scr_prepare(PREP_SCRIPT_BEGIN), 0) << c.text;
            EXPECT_EQ(e.has_tree(c.fn), all ? c.all : c.with_loops) << c.text << " all " << all;
        }
    for (const CASE &c : cases) {
        TENV t;
        EXPECT_EQ(t.diff(c.text), "") << c.text;
        EXPECT_EQ(t.has_tree(c.fn), 1) << c.text;   // at its first run, if not at the link
    }
    // A body without a loop whose tree the link built runs from it at its first run and lean
    // from its second on: f's second call alone runs lean (as the program runs by default).
    if (!cache_env_off() && !getenv("KOVASH_TREE")) {
        TENV e;
        e.scr.scr_tree_mode = 1;
        e.run("f(var x){ return x + 1; } main(){ return f(1) + f(2); }");
        ASSERT_TRUE(e.scr.scr_tree);
        EXPECT_EQ(e.scr.scr_tree->lean->runs, 1);
        // so a lean form calls such a body outside its loops regularly till it ran
        e.run("f(var x){ return x * 2; } main(){ var i, s = 0; for (i = 0; i < 3; i++) s += i; return s + f(s); }");
        EXPECT_EQ(e.scr.scr_tree->lean->regulars, 1);
    }
    // A script past scr_link_all keeps its bodies without a loop to their runs.
    std::string big;
    for (int k = 0; big.size() <= 40 * 1024; k++)
        big += "f" + std::to_string(k) + "(var x){ var y = x * " + std::to_string(k % 89 + 2) + " + 1; if (y > 1000) y = y % 1000; return y; }\n";
    big += "main(){ var s = 1; s = f0(s) + f1(s); return s > 0; }";
    for (long all : {40L * 1024, 64L * 1024}) {
        TENV e;
        e.scr.scr_tree_mode = 1;
        e.scr.scr_link_all = all;
        e.host.host_ed_put(big.c_str());
        ASSERT_EQ(e.scr.scr_prepare(PREP_SCRIPT_BEGIN), 0);
        EXPECT_EQ(e.has_tree("f0"), all > 40 * 1024);
        EXPECT_EQ(e.has_tree("main"), all > 40 * 1024);
    }
    std::string deep = "main(){ ";
    for (int k = 0; k < 300; k++) deep += "while (0) ";
    deep += "; return 1; }";
    const char *failing[] = {
        "main(){ while (0) x = 1; return 0; }",
        "main(){ const var c = 1; while (0) c = 2; return 0; }",
        "main(){ var a; while (0) a[1] = 2; return 0; }",
        "g(var &r){ return r; } main(){ while (0) g(1 + 2); return 0; }",
        "g(var a){ return a; } main(){ while (0) g(1, 2); return 0; }",
        "g(var a, var b){ return a; } main(){ while (0) g(1); return 0; }",
        "g(var a){ return a; } main(){ while (0) g(zz); return 0; }",
        "g(var &r){ return r; } main(){ while (0) g(5); return 0; }",
        "g(var a){ return a; } main(){ const var c = 1; while (0) g(g(c = 2)); return 0; }",
        "main(){ while (0) switch (2) { case 2: case 2: ; } return 0; }",
        "main(){ static var s; while (0) later(); return s; }",
        "f(){ var i; for (i = 0; i < 2; i++) warn(); return i; } main(){ return f() + x; }",
        "main(){ return 0; } g(){ wh",   // the text ends in the look for loop words
    };
    for (const char *t : failing) {
        TENV e;
        RUN r;
        EXPECT_EQ(e.diff(t, &r), "") << t;
        EXPECT_EQ(r.linked, 0) << t;
    }
    const char *agreeing[] = {
        deep.c_str(),   // nested past what the build takes: the link reads it
        // a static the link makes that a run does not find (a local of its name hides it)
        "f(var x){ var t = 1; while (0); { static var t; } return x + t; } main(){ return f(1); }",
        "var v[3]; g(var a){ return a; } main(){ var i; for (i = 0; i < 2; i++) g(v); return i; }",
        // a built-in of a script function's name is the one called
        "warn(var a, var b){ return a; } main(){ var i; for (i = 0; i < 2; i++) warn(i, 2); return errmsg(); }",
    };
    for (const char *t : agreeing) {
        TENV e;
        EXPECT_EQ(e.diff(t), "") << t;
    }
}

// A goto among many labels, forward and back, in blocks of its function.
TEST(Tree, GotoAmongManyLabels)
{
    std::string t = "main(){ var n = 0, m = 0;\n";
    for (int k = 0; k < 60; k++) t += "L" + std::to_string(k) + ": n++;" + (k % 10 == 9 ? "{ m++; }\n" : "\n");
    t += "if (n < 400) goto L" + std::to_string(37) + "; if (m < 60) { m += 7; goto L3; } return n * 1000 + m; }";
    TENV e;
    EXPECT_EQ(e.diff(t.c_str()), "");
    EXPECT_EQ(e.has_tree("main"), 1);
}

// The fuzz seeds of scripts and the golden scripts, run both ways.
TEST(Tree, CorporaRunAlike)
{
    namespace fs = std::filesystem;
    std::string root = KOV_TEST_DATA;
    int files = 0, trees = 0;
    for (const char *dir : {"/../fuzz/seeds/script", "/../fuzz/seeds/cache", "/../fuzz/seeds/run", "/golden"}) {
        std::error_code ec;
        for (const auto &f : fs::directory_iterator(root + dir, ec)) {
            std::string text = slurp(f.path());
            TENV e;
            EXPECT_EQ(e.diff(text.c_str()), "") << f.path();
            files++;
            trees += e.scr.scr_tree ? (int)e.scr.scr_tree->built : 0;
        }
    }
    EXPECT_GT(files, 100);
    EXPECT_GT(trees, 25);
}

}  // namespace
