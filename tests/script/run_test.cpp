// Whole scripts: status of main, or the error text of a failed link or run.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "scrtest.h"

using namespace scrtest;

namespace {

struct CASE {
    const char *name;
    const char *text;
    int status;           // expected main result when err is null
    const char *err;      // expected error (link or run), null: runs
};

void check(const CASE &c)
{
    RUN r = run(c.text);
    if (!c.err) {
        EXPECT_TRUE(r.linked && r.ran) << c.name << ": " << kov::sj_to_utf8(r.err);
        EXPECT_EQ(r.status, c.status) << c.name;
    } else {
        EXPECT_FALSE(r.linked && r.ran) << c.name;
        EXPECT_EQ(kov::sj_to_utf8(r.err), kov::sj_to_utf8(c.err)) << c.name;
    }
}

const CASE arith[] = {
    {"div0", "main(){ return 1/0 + 7%0; }", 0, nullptr},
    {"mod trunc", "main(){ return 7.9 % 2; }", 1, nullptr},
    {"mod neg", "main(){ return -7 % 2; }", -1, nullptr},
    {"shl64", "main(){ return 1 << 64; }", 0, nullptr},
    {"shl neg", "main(){ return 1 << -1; }", 1, nullptr},
    {"str lt", "main(){ return \"abc\" < \"abd\"; }", 1, nullptr},
    {"str eq 0", "main(){ return \"abc\" == 0; }", 1, nullptr},
    {"not str", "main(){ return !\"ab\"; }", 1, nullptr},
    {"cast", "main(){ return (int)3.7 * 10; }", 37, nullptr},
    {"postfix", "main(){ var x = 5, y; y = x++; return y * 10 + x; }", 56, nullptr},
    {"prefix", "main(){ var x = 5; return ++x * 10 + --x; }", 65, nullptr},
    {"ternary", "main(){ var x = 0, y = 0; 1 ? x = 1 : (y = 2); return x * 10 + y; }", 10, nullptr},
    {"andor", "main(){ return (2 && 3) * 10 + (0 || 0); }", 10, nullptr},
    {"bits", "main(){ return (6 & 3) * 100 + (6 | 1) * 10 + (6 ^ 3); }", 275, nullptr},
    {"neg not tilde", "main(){ return -(~0) + !0 + !5; }", 2, nullptr},
    {"sizeof", "main(){ var s = \"abc\"; return sizeof(var) * 100 + sizeof s * 10 + sizeof(PUSH); }", 844, nullptr},
    {"strcat", "main(){ var s = \"ab\"; s &= \"cd\"; return s == \"abcd\"; }", 1, nullptr},
    {"strcat cap", "main(){ var s = \"\", i; for (i = 0; i < 1100; i++) s &= \"abcd\"; return strlen(s); }", 4096, nullptr},
    {"strcat cap dbcs", "main(){ var s = \"\", i; for (i = 0; i < 4095; i++) s &= \"a\"; s &= \"あい\"; return strlen(s); }", 4095, nullptr},
    {"compound ops", "main(){ var x = 10; x += 5; x -= 3; x *= 2; x /= 4; x %= 4; return x; }", 2, nullptr},
    {"shift assign", "main(){ var x = 1, y = 64; x <<= 3; y >>= 2; return x + y + (x << 1) + (y >> 4); }", 41, nullptr},
    {"comma", "main(){ var x; x = (1, 2, 3); return x; }", 3, nullptr},
    {"const assign", "main(){ const c = 1; c = 2; return 0; }", 0, "const c への代入"},
    {"const inc", "main(){ const c = 1; ++c; return 0; }", 0, "const c への代入"},
    {"dims mismatch", "main(){ var m[2][2]; return m[1]; }", 0, "2 次元変数 m を 1 次元で参照"},
    {"bounds", "main(){ var a[3]; return a[3]; }", 0, "無効アクセス:a[0][3]"},
    {"index limit", "main(){ var a[3]; return a[-1]; }", 0, "xo=-1 yo=0"},
    {"missing bracket", "main(){ var a[3]; return a[1; }", 0, "] が必要"},
    {"bounds 2d", "main(){ var m[2][3], i = 2; m[i][0] = 1; return 1; }", 0, "無効アクセス:m[2][0]"},
    {"my bounds", "main(){ my[19][9] = 1; my[0][10] = 3; return 1; }", 0, "無効アクセス:my[0][10]"},
    {"my cells", "main(){ my[2][3] = \"t\"; my[1][1] = 42; return (my[2][3] == \"t\") + my[1][1] + my[5][5]; }", 43, nullptr},
    {"main truncates", "main(){ return 3.9; }", 3, nullptr},
    {"big decimal", "main(){ var a[3] = {4, 5, 6}; return (99999999999999999999 == 9223372036854775807) * 10 + a[1.5]; }", 15, nullptr},
    {"index once", "main(){ var a[3], i = 0; a[i++] + 1; return i; }", 1, nullptr},
    {"index limit above", "main(){ var a[1000]; return a[1000]; }", 0, "xo=1000 yo=0"},
    {"index saturates", "main(){ var a[3]; return a[1e10]; }", 0, "xo=2147483647 yo=0"},
};

const CASE decls[] = {
    {"shape 2", "var m[][] = {{1,2},{3,4},{5,6}}; main(){ return m[2][1]; }", 6, nullptr},
    {"fill rows", "var m[2][2] = {1,2,3,4}; main(){ return m[1][0]; }", 3, nullptr},
    {"open one", "var m[2][] = {1}; main(){ return 0; }", 0, "行/列片方だけ不定な 2 次元配列"},
    {"zero size", "var a[0]; main(){ return 0; }", 0, "要素数 0 の配列宣言は無効"},
    {"too wide", "var a[1001]; main(){ return 0; }", 0, "xo=1001 yo=1"},
    {"huge ok", "var m[1000000][1000]; main(){ m[999999][999] = 5; return m[999999][999]; }", 5, nullptr},
    {"auto static", "auto static x; main(){ return 0; }", 0, "auto と static を同時に指定した"},
    {"int not decl", "int x; main(){ return 0; }", 0, "構文誤り"},
    {"typedef", "typedef var t; main(){ return 0; }", 0, "typedef は未サポート"},
    {"enum", "enum {P, Q = 5, R,}; main(){ return P * 100 + Q * 10 + R; }", 56, nullptr},
    {"pointer", "var *p = 4; main(){ return p; }", 4, nullptr},
    {"init 1d", "var x = {1}; main(){ return 0; }", 0, "@x を 1 次配列で初期化"},
    {"init over x", "var a[2] = {1,2,3}; main(){ return 0; }", 0, "@a 配列サイズ超過 xo=2"},
    {"init over y", "var m[2][2] = {1,2,3,4,5}; main(){ return 0; }", 0, "@m 配列サイズ超過 yo=2"},
    {"init empty", "var a[3] = {}; main(){ return 0; }", 0, "@a 初期値が空白"},
    {"twice", "main(){ var x; var x; return 0; }", 0, "変数 x は定義済"},
    {"inner hides", "main(){ var x = 1; { var x = 2; } return x; }", 1, nullptr},
    {"gadget dims", "PUSH p[2]; main(){ return 0; }", 0, "p:次元指定は無効"},
    {"gadget", "PUSH p; main(){ return sizeof(PUSH); }", 4, nullptr},
    {"default enums", "main(){ return EOF * 10 + TRUE; }", -9, nullptr},
    {"const expr var", "var n = 3; var a[n]; main(){ return 0; }", 0, "定数式で変数 n を参照"},
    {"static", "f(){ static s; s++; return s; } main(){ f(); f(); return f(); }", 3, nullptr},
    {"static init", "f(){ static s = 10; s++; return s; } main(){ f(); return f(); }", 11, nullptr},
    {"global local", "var g = 1; f(){ var g = 5; return g; } main(){ return f() * 10 + g; }", 51, nullptr},
    {"static hidden", "f(){ static s = 1; return s; } h(){ return s; } main(){ f(); return h(); }", 0, "return に戻値がない"},
};

const CASE stats[] = {
    {"for break", "main(){ var i = 0; for (;;) { if (i++ >= 3) break; } return i; }", 4, nullptr},
    {"for continue", "main(){ var i, s = 0; for (i = 0; i < 3; i++) { if (i == 1) continue; s += i; } return s; }", 2, nullptr},
    {"switch 2", "main(){ var a=0,b=0,c=0,d=0; switch (2) { case 1: a = 1; case 2: b = 1; case 3: c = 1; break; default: d = 1; } return a*1000+b*100+c*10+d; }", 110, nullptr},
    {"switch default", "main(){ var a=0,b=0,c=0; switch (5) { case 1: a = 1; default: b = 1; case 2: c = 1; } return a*100+b*10+c; }", 11, nullptr},
    {"switch 1.9", "main(){ var a = 0; switch (1.9) { case 1: a = 1; break; case 2: a = 2; } return a; }", 1, nullptr},
    {"dup case", "main(){ switch (2) { case 2: case 2: ; } return 0; }", 0, "複数の同一 case 文がある"},
    {"dup case other", "main(){ switch (2) { case 3: case 3: ; } return 7; }", 7, nullptr},
    {"dup default", "main(){ switch (2) { default: ; default: ; } return 0; }", 0, "複数の default 文がある"},
    {"case outside", "main(){ case 1: ; return 0; }", 0, "switch 構文外に case 文がある"},
    {"default outside", "main(){ default: ; return 0; }", 0, "switch 構文外に default 文がある"},
    {"goto fwd", "main(){ var x = 0; goto L; x = 1; L: x += 10; return x; }", 10, nullptr},
    {"goto missing", "main(){ goto M; return 0; }", 0, "ラベル M: がない"},
    {"break top", "main(){ break; return 0; }", 0, "for/do/while/switch 以外で break を使用"},
    {"continue top", "main(){ continue; return 0; }", 0, "for/do/while 以外で continue を使用"},
    {"void return value", "void f(){ return 1; } main(){ f(); return 0; }", 0, "; がない"},
    {"return missing", "main(){ return; }", 0, "return に戻値がない"},
    {"do", "main(){ var i = 0; do i++; while (i < 10); return i; }", 10, nullptr},
    {"if else", "main(){ var x; if (0) x = 1; else if (1) x = 2; else x = 3; return x; }", 2, nullptr},
    // Blocks end their variables: a loop body declares afresh each pass.
    {"loop body decl", "main(){ var i, s = 0; for (i = 0; i < 3; i++) { var t = i; s += t; } return s; }", 3, nullptr},
    {"goto block decl", "main(){ var n = 0; L: { var t = 1; n += t; } if (n < 3) goto L; return n; }", 3, nullptr},
    {"goto into block", "main(){ var n = 0; goto L; { var t; L: t = 5; n = t; } return n; }", 5, nullptr},
    // A continue inside a switch goes to the loop around it; break stays the switch's.
    {"switch continue", "main(){ var i, s = 0; for (i = 0; i < 4; i++) { switch (i) { case 1: continue; default: break; } s += 10; } return s; }", 30, nullptr},
    // What follows a break or continue is read, not run: a loop or switch there takes no jump
    // that is not its own.
    {"dead for", "main(){ var i, b = 2; for (i = 0; i < 5; i++) { b++; continue; for (; b < 1000;) b += 100; } return b; }", 7, nullptr},
    {"dead do", "main(){ var i, b = 2; for (i = 0; i < 5; i++) { b++; continue; do b += 100; while (b < 1000); } return b; }", 7, nullptr},
    {"dead switch", "main(){ var i, b = 2; for (i = 0; i < 5; i++) { b++; continue; switch (1) { } } return b; }", 7, nullptr},
    {"dead for in switch", "main(){ var i, b = 2; for (i = 0; i < 5; i++) switch (1) { case 1: switch (1) { case 1: b++; continue; } "
                           "for (; b < 1000;) b += 100; } return b; }", 7, nullptr},
    // A goto reaches a label in a loop body or a branch, from inside or outside.
    {"goto into loop", "main(){ var i, n = 0; for (i = 0; i < 5; i++) { if (i == 2) goto L; n += 10; L: n++; } return n; }", 45, nullptr},
    {"goto into else", "main(){ var s = 0; if (1) { goto L; } else { L: s = 3; } return s; }", 3, nullptr},
    {"goto into case", "main(){ var t = 0; switch (2) { case 1: t = 5; L: t += 1; break; case 2: if (t == 0) goto L; } return t; }", 1, nullptr},
    {"static in inner block", "main(){ var i, r; for (i = 0; i < 4; i++) { { static c; c++; r = c; } } return r; }", 4, nullptr},
    // Labels of a switch inside a loop of its body: selected there, execution goes on after the
    // loop; met again by the loop they are only labels (Duff's device).
    {"duff", "main(){ var n = 0, k = 2; switch (7 % 4) { case 0: do { n++; case 3: n++; case 2: n++; case 1: n++; } while (--k > 0); } return n; }", 7, nullptr},
    {"case in while", "main(){ var n = 0, k = 3; switch (1) { case 0: while (k > 0) { n += 100; case 1: n++; k--; } n += 10; } return n; }", 213, nullptr},
    {"case in if in loop", "main(){ var i = 0, r = 0; switch (3) { case 1: while (i < 5) { i++; if (i == 2) { case 3: r += 7; } r += 100; } } return r - 500; }", 114, nullptr},
    {"case in else", "main(){ var r = 0; switch (3) { case 1: if (r) { r = 50; } else { case 3: r += 1; } r += 10; } return r; }", 11, nullptr},
    {"dup case in loop", "main(){ var k = 2; switch (3) { do { case 3: ; case 3: ; } while (--k > 0); } return 0; }", 0, "複数の同一 case 文がある"},
};

const CASE funcs[] = {
    {"no main", "f(){ return 1; }", 0, "関数 main() がない"},
    {"no brace", "main(){ return 1;", 0, "構文誤り"},
    {"prototype", "f(var a); main(){ return f(2); } f(var a){ return a * 3; }", 6, nullptr},
    {"call before def", "main(){ return f(4); } f(var a){ return a + 1; }", 5, nullptr},
    {"call missing", "main(){ return g(4); } f(var a){ return a + 1; }", 0, "関数 g() がない"},
    {"dup def", "f(){ return 1; } f(){ return 2; } main(){ return 0; }", 0, "f 関数名重複"},
    {"too many args", "f(var a){ return a; } main(){ return f(1, 2); }", 0, "f():引数 2 が過剰"},
    {"too few args", "f(var a){ return a; } main(){ return f(); }", 0, "f(0):引数の数が不一致"},
    {"main param", "main(var a){ return 0; }", 0, "第 1 引数がない"},
    {"by ref", "f(var &a){ a = 9; return 0; } main(){ var x = 1; f(x); return x; }", 9, nullptr},
    {"array shared", "f(var a[]){ a[1] = 9; return 0; } main(){ var x[3]; f(x); return x[1]; }", 9, nullptr},
    {"array size", "f(var a[2]){ return 0; } main(){ var x[3]; return f(x); }", 0, "第 1 引数 X サイズ不一致(3!=2)"},
    {"suppressed call", "var n; f(){ n++; return 1; } main(){ if (0) f(); 0 && f(); return n; }", 0, nullptr},
    {"exit", "f(){ exit(3); } main(){ f(); return 9; }", 3, nullptr},
    {"rec 101", "f(var n){ if (n <= 1) return 1; return f(n - 1) + 1; } main(){ return f(101); }", 0, "関数ネスト超過(100)"},
    {"rec 100", "f(var n){ if (n <= 1) return 1; return f(n - 1) + 1; } main(){ return f(100); }", 100, nullptr},
    // the same limit where a parameter by reference makes every call the declaration's reading
    {"rec 100 ref", "f(var n, var &k){ if (n <= 1) return 1; return f(n - 1, k) + 1; } main(){ var k; return f(100, k); }", 100, nullptr},
    {"rec 101 ref", "f(var n, var &k){ if (n <= 1) return 1; return f(n - 1, k) + 1; } main(){ var k; return f(101, k); }", 0, "関数ネスト超過(100)"},
    {"builtin wins", "SUM(){ return 5; } main(){ var a[2] = {1, 2}; return SUM(a, 0, 0, 2, 1); }", 3, nullptr},
    {"varargs", "f(var a, ...){ return a; } main(){ var n = 0; f(1, n++, n++); return n * 10 + f(4, 5); }", 24, nullptr},
    // A return leaves loops and switches at once; nothing after it runs.
    {"return in for", "f(){ var i; for (i = 0; i < 10; i++) { if (i == 3) return i; } return 99; } main(){ return f(); }", 3, nullptr},
    {"return in switch loop", "var g; f(){ var n = 0; while (1) { switch (n) { case 2: return n * 10; default: n++; } } g = 77; return n; } main(){ return f() + g; }", 20, nullptr},
    {"return string", "f(var x){ if (x) return \"yes\"; return \"no\"; } main(){ return (f(1) == \"yes\") * 10 + (f(0) == \"no\"); }", 11, nullptr},
    {"arg names", "add(var a, var b){ return a + b; } main(){ var arg0 = 5, arg1 = 40; return add(arg1, arg0); }", 45, nullptr},
    {"fib", "fib(var n){ return n < 2 ? n : fib(n - 1) + fib(n - 2); } main(){ return fib(15); }", 610, nullptr},
    {"ref not name", "f(var &a){ return 0; } main(){ return f(1); }", 0, "第 1 引数が変数名でない"},
    {"ref dims", "f(var a[]){ return 0; } main(){ var x; return f(x); }", 0, "変数 x の次元が不一致"},
    {"ref type", "f(PUSH &p){ return 0; } main(){ var x; return f(x); }", 0, "変数 x の型が不一致"},
    {"value not var", "f(PUSH p){ return 0; } main(){ return f(1); }", 0, "第 1 引数型が var でない"},
    {"21 params", "f(var a0, var a1, var a2, var a3, var a4, var a5, var a6, var a7, var a8, var a9, var b0, var b1, var b2, var b3, var b4, var b5, var b6, var b7, var b8, var b9, var c0){ return 0; } main(){ return 0; }", 0, "引数が 20 個を越えた"},
    {"20 params", "f(var a0, var a1, var a2, var a3, var a4, var a5, var a6, var a7, var a8, var a9, var b0, var b1, var b2, var b3, var b4, var b5, var b6, var b7, var b8, var b9){ return a0 + b9; } main(){ return f(1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2); }", 3, nullptr},
    {"untyped param", "f(a){ return 0; } main(){ return 0; }", 0, "型宣言がない"},
    {"no body", "f() x main(){ return 0; }", 0, "; 又は { が必要"},
    {"call paren", "f(var a){ return a; } main(){ return f(1 2); }", 0, "f(): ) が必要"},
    {"const static", "const static x = 1; main(){ return 0; }", 0, "const と static を同時に指定した"},
    {"auto const", "main(){ auto const x = 1; return 0; }", 0, "auto と const を同時に指定した"},
    {"init invalid", "var x = ; main(){ return 0; }", 0, "@x 初期値が無効"},
    {"init brace", "var a[3] = {1 2}; main(){ return 0; }", 0, "@a } が必要"},
    {"init 2d", "var a[3] = {{1}}; main(){ return 0; }", 0, "@a を 2 次配列で初期化"},
    {"init row over", "var m[2][2] = {{1,2,3}}; main(){ return 0; }", 0, "@m サイズ超過 xo=2"},
    {"builtin few", "main(){ return strlen(); }", 0, "strlen():引数が不足"},
    {"builtin many", "main(){ return strlen(\"a\", 1); }", 0, "strlen():引数が多すぎる"},
    {"undefined var", "main(){ var s; s = 1 + x; return 0; }", 0, "構文誤り"},
    {"undefined init", "var x = nosuch; main(){ return 1; }", 0, "@x 初期値が無効"},
    {"varargs over", "f(var a, ...){ return a; } main(){ return f(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21); }", 0, "f():引数数超過(20)"},
    {"label of other function", "f(){ L: return 1; } main(){ f(); goto L; return 2; }", 0, "ラベル L: がない"},
    {"unclosed comment at end", "main(){ return 3; } /* main(){", 3, nullptr},
    {"first line #!", "#!/usr/bin/env kovash\r\nmain(){ return 7; }", 7, nullptr},
    {"typed functions", "var twice(var x){ return x * 2; } void nothing(){ return; } main(){ nothing(); return twice(21); }", 42, nullptr},
    {"block var gone", "main(){ { var inner = 5; } return inner; }", 0, "return に戻値がない"},
};

// Multi-function scripts of golden/ and the example tour: main's status.
TEST(Run, GoldenScripts)
{
    for (auto [file, status] : {std::pair{"refs_chain", 85}, {"statics", 145}, {"calls_in_control", 100}, {"../../../examples/tour", 42}}) {
        std::ifstream in(std::string(KOV_TEST_DATA) + "/golden/" + file + ".scr");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        check({file, text.c_str(), status, nullptr});
    }
}

TEST(Run, Arithmetic) { for (auto &c : arith) check(c); }
TEST(Run, Declarations) { for (auto &c : decls) check(c); }
TEST(Run, Statements) { for (auto &c : stats) check(c); }
TEST(Run, Functions) { for (auto &c : funcs) check(c); }

}  // namespace
