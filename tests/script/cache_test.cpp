// Parsed forms change nothing a run shows: each script runs with them and without, and status,
// error text and position must agree (bodies that loop or run again have trees, whose
// expressions are parsed). The scripts aim at the places
// where a parsed form takes a shortcut and must give up exactly where the text reader would
// say something: texts among numbers, elements outside their shape, suppressed reads,
// enumerators with indices, calls of script functions and built-ins.
#include <gtest/gtest.h>

#include "scrtest.h"

using namespace scrtest;

namespace {

RUN run_with(const char *text, int cache)
{
    ENV e;
    e.scr.scr_cache_on = cache;
    return e.run(text);
}

// Operators of several levels that begin alike: each level's chain where C makes it (5903).
const char precedence[] =
    "main(){ var i, n = 0; for (i = 0; i < 4; i++) n = n * 3 + (i < i << 1) + (8 >> i > 1) * 2 + (i <= 2 < 1) * 4 + "
    "(i & 3 == 3) * 8 + (i | 1 ^ 3 & 2) * 16 + (1 << i << 1 < 9 == 1) * 32 + (i - 1 - 1 * 2 % 3 != i + -1 >= 0) * 64; return n; }";

const char *const scripts[] = {
    // arithmetic of names and numbers, and the values that leave the short way
    "main(){ var i, s = 0; for (i = 0; i < 50; i++) s = s + i * i % 7 - (i << 2) / 3; return s; }",
    "main(){ var t = \"ab\", i, n = 0; for (i = 0; i < 3; i++) n = n + (t + 1) * 10 + -t + !t; return n; }",
    "main(){ var u, i, n = 0; for (i = 0; i < 3; i++) n = n + u * 2 + 1; return n; }",
    precedence,
    "enum { E = 4 }; main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + E * i; return n; }",
    "enum { E = 4 }; main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + E[1] * i; return n; }",
    // elements: inside, outside, wrong dimensions, texts, suppressed
    "var a[10]; main(){ var i, n = 0; for (i = 0; i < 10; i++) a[i] = i * 3; "
    "for (i = 0; i < 9; i++) n = n + (a[i] < a[i + 1]) + a[i] % 4; return n; }",
    "main(){ var a[3], i, n = 0; for (i = 0; i < 5; i++) n = n + a[i] + 1; return n; }",
    "main(){ var a[3], i, n = 0; for (i = -1; i < 2; i++) n = n + a[i] + 1; return n; }",
    "main(){ var m[2][3], i, n = 0; for (i = 0; i < 3; i++) { m[1][i] = i + 1; m[0][i] = 10; } "
    "for (i = 0; i < 3; i++) n = n + m[1][i] * 2 + m[i % 2][0]; return n + m[i][0]; }",
    "main(){ var m[2][2], k, n = 0; for (k = 0; k < 2; k++) n = m[k] + 1; return n; }",
    "main(){ var a[3], i = 7, k, n = 0; for (k = 0; k < 2; k++) n += 0 && a[i] + 1 || 5 > 4 && a[i] * 2 == 0; return n; }",
    "main(){ var a[3], i; a[1] = \"x\"; for (i = 0; i < 3; i++) a[i] = a[i] + 1; return a[1] * 100 + a[2]; }",
    // texts compared in place, and the mixes that are not
    "main(){ var s = \"\", i, n = 0; for (i = 0; i < 20; i++) s &= \"ab\"; "
    "for (i = 0; i < 5; i++) n = n + (s == \"ab\") + (s > \"ab\") * 2 + (\"b\" >= s) * 4 + (s != 0) * 8; return n; }",
    "main(){ var s = \"5\", t, i, n = 0; for (i = 0; i < 3; i++) n = n + (s == 5) + (t == \"\") * 2 + (t < s) * 4; return n; }",
    "main(){ var s = \"abc\", i, n = 0; for (i = 0; i < 4; i++) { n = n + (s == \"abc\"); s = i; } return n; }",
    // calls: script functions by name, built-ins, and a name that is neither
    "f(var x) { return x * 2; } main(){ var i, n = 0; for (i = 0; i < 5; i++) n = n + f(i) + strlen(\"abc\"); return n; }",
    "main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + g(i); return n; }",
    "fib(var n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); } main(){ return fib(12); }",
    // built-ins' arguments run from their roots: a tail of values, blanks, a script function's
    // text, too many, too few, an argument that fails, one that fails at its second run
    "f(var x) { return x; } main(){ var i, n = 0, t; for (i = 0; i < 3; i++) { t = tcat( \"x\" , i, \"-\", f(i * 2) ); n = n + strlen(t) * nabs( i - 5 ); } return n * (t == \"x2-4\"); }",
    "main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + nabs(i, 2); return n; }",
    "main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + nabs(); return n; }",
    "main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + nabs(q - i); return n; }",
    "main(){ var a[2], i, n = 0; for (i = 0; i < 3; i++) n = n + strlen(tcat(a[i])); return n; }",
    // a built-in's arguments whose runs parse the arguments of the calls inside them (errmsg()
    // keeps main from running lean)
    "main(){ var i, n = 0; errmsg(); for (i = 0; i < 2; i++) n = n + strlen(tcat(tcat(tcat(tcat(i,1),2),tcat(3,tcat(i,4))),"
    "tcat(tcat(5,i),tcat(6,tcat(7,8))),tcat(9,10,tcat(11,12),tcat(13,tcat(14,15))))); return n; }",
    // sizeof of types and of values (a step in it runs), and members, which read and do nothing:
    // an enumerator stops before them
    "enum { E = 4 }; main(){ var i, t = \"abc\", u, n = 0; for (i = 0; i < 3; i++) n = n * 7 + sizeof(var) + sizeof(char) "
    "+ sizeof i++ + sizeof t * 10 + sizeof(u) * 100 + sizeof sizeof t + sizeof(t + 1) + sizeof E + sizeof strlen(t); return n * 100 + i; }",
    "enum { E = 4 }; main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + sizeof E[1]; return n; }",
    "main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + sizeof(q); return n; }",
    "main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + sizeof(enum { Z = 2 }) + Z; return n; }",
    "var g[4]; main(){ var i, n = 0; for (i = 0; i < 3; i++) { g[i].x = i * 2; g[i] .y->z += 1; n = n + g[i]->w + i.a.b++; } return n * 10 + i; }",
    "enum { E = 4 }; main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + E.x; return n; }",
    "main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + i. 3; return n; }",
    "main(){ var i, n = 0; for (i = 0; i < 3; i++) n = n + i->; return n; }",
    // statements around the expressions: blocks, break and continue, goto, switch
    "main(){ var i = 0, n = 0; while (1) { i++; if (i % 2) continue; n = n + i; if (i > 9) break; } return n; }",
    "main(){ var i = 0, n = 0; again: n = n + i * 2; if (++i < 5) goto again; return n; }",
    "main(){ var i, n = 0; for (i = 0; i < 6; i++) switch (i % 3) { case 0: n = n + 1; break; default: n = n + 10; } return n; }",
};

TEST(Cache, RunsAgreeWithTheTextReader)
{
    EXPECT_EQ(run_with(precedence, 0).status, 5903);
    for (const char *text : scripts) {
        RUN on = run_with(text, 1), off = run_with(text, 0);
        EXPECT_EQ(on.linked, off.linked) << text;
        EXPECT_EQ(on.ran, off.ran) << text;
        EXPECT_EQ(on.status, off.status) << text;
        EXPECT_EQ(kov::sj_to_utf8(on.err), kov::sj_to_utf8(off.err)) << text;
        EXPECT_EQ(on.row, off.row) << text;
        EXPECT_EQ(on.col, off.col) << text;
    }
}

}  // namespace
