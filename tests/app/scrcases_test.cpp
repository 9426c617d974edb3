// Script conformance: each case is a script run by the real kovash program ("kovash X.scr"),
// judged only by what the outside sees: the end status and stderr (UTF-8).
//
// Scripts live in tests/app/scripts/<name>.scr (ASCII; each says what it checks), or are
// built here when they are large or need exact bytes (Shift-JIS, garbage, deep nesting).
// Every case also runs a second time with CR LF line ends, unless it is raw bytes.
#include "tests/ui/tmpdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

using namespace kovtest;

#if defined(__SANITIZE_ADDRESS__)
#define KOV_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOV_ASAN 1
#endif
#endif
#ifndef KOV_ASAN
#define KOV_ASAN 0
#endif

namespace {

enum : unsigned {
    RAW = 1,        // exact bytes: no CR LF twin
    JP = 2,         // the error line must hold a Japanese (non-ASCII) message
    NEEDS_EXIT = 4, // uses the built-in exit(): skipped while the program has none
};

struct Case {
    const char *name;
    int status;                     // expected end status (0..255)
    const char8_t *err[3];          // texts expected in stderr (UTF-8), the first in the error line
    unsigned flags;
    std::string (*make)();          // builds the script; nullptr: scripts/<name>.scr
    const char *at = nullptr;       // "row:col: " (1-based) that the error line names, or "row:"
};

// ---- scripts built here ----

std::string rep(const std::string &s, int n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (int i = 0; i < n; i++) out += s;
    return out;
}

std::string wrap_main(const std::string &body) { return "main()\n{\n" + body + "\n}\n"; }

// Deterministic bytes of every value, NULs included.
std::string garbage(size_t n, bool nul)
{
    std::string s;
    uint32_t x = 12345;
    while (s.size() < n) {
        x = x * 1103515245u + 12345u;
        char c = (char)(x >> 16);
        if (c || nul) s += c;
    }
    return s;
}


// Random expressions checked against a model of the expression rules: numbers are doubles; / by
// 0 gives 0; % & | ^ ~ << >> truncate toward zero to 64-bit integers; a negative shift count is
// 0, the low 8 bits count, 64 or more shift everything out; comparisons and && || ! give 0 or 1.
// Operands are literals and variables (one of them empty, which counts as 0). Each line returns
// its number when the program's value differs; 251 means all agree.
struct ExprGen {
    uint64_t x;
    bool bad = false;   // an integer operator met a value outside the range the model keeps exact
    unsigned pick(unsigned n)
    {
        x = x * 6364136223846793005ull + 1442695040888963407ull;
        return (unsigned)(x >> 33) % n;
    }
    int64_t ti(double v)
    {
        if (!(std::fabs(v) < 4.6e18)) bad = true;
        return bad ? 0 : (int64_t)v;
    }
    double binary(const std::string &op, double a, double b)
    {
        if (op == "+") return a + b;
        if (op == "-") return a - b;
        if (op == "*") return a * b;
        if (op == "/") return b == 0 ? 0 : a / b;
        if (op == "%") {
            int64_t p = ti(a), q = ti(b);
            return q == 0 || bad ? 0 : (double)(p % q);
        }
        if (op == "<<" || op == ">>") {
            if (!(b >= 0)) b = 0;
            int64_t p = ti(a), c = ti(b) & 0xFF;
            if (op == "<<") return c >= 64 ? 0 : (double)(int64_t)((uint64_t)p << c);
            return c >= 64 ? (p < 0 ? -1 : 0) : (double)(p >> c);
        }
        if (op == "&") return (double)(ti(a) & ti(b));
        if (op == "|") return (double)(ti(a) | ti(b));
        if (op == "^") return (double)(ti(a) ^ ti(b));
        if (op == "==") return a == b;
        if (op == "!=") return a != b;
        if (op == "<") return a < b;
        if (op == "<=") return a <= b;
        if (op == ">") return a > b;
        if (op == ">=") return a >= b;
        if (op == "&&") return a != 0 && b != 0;
        return a != 0 || b != 0;   // "||"
    }
    struct Expr {
        std::string text;
        double v;
        int level;      // 0 ?:, 1 || ... 10 * / %, 11 unary, 12 operand
    };
    Expr operand()
    {
        static const char *const names[] = {"v0", "v1", "v2", "v3", "v4"};
        static const double values[] = {3, -7, 2.5, 1000, 0};
        static const double fractions[] = {0.5, 2.5, 7.75, 1.25, 3.5};
        unsigned k = pick(10);
        if (k < 3) {
            unsigned i = pick(5);
            return {names[i], values[i], 12};
        }
        double v = k < 8 ? pick(21) : k < 9 ? fractions[pick(5)] : 100 + pick(100000);
        char buf[32];
        snprintf(buf, sizeof buf, "%g", v);
        return {buf, v, 12};
    }
    Expr expr(int depth)
    {
        static const std::vector<std::vector<std::string>> levels = {
            {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<", "<=", ">", ">="}, {"<<", ">>"}, {"+", "-"}, {"*", "/", "%"}};
        if (depth <= 0 || pick(4) == 0) return operand();
        unsigned k = pick(25);
        if (k < 3) {
            const char *u = k == 0 ? "-" : k == 1 ? "!" : "~";
            Expr e = expr(depth - 1);
            if (e.level < 11 || e.text[0] == '-') e.text = "(" + e.text + ")";
            double v = k == 0 ? -e.v : k == 1 ? (double)(e.v == 0) : (double)~ti(e.v);
            return {u + e.text, v, 11};
        }
        if (k < 5) {
            Expr c = expr(depth - 1), a = expr(depth - 1), b = expr(depth - 1);
            if (c.level < 1) c.text = "(" + c.text + ")";
            return {c.text + " ? " + a.text + " : " + b.text, c.v != 0 ? a.v : b.v, 0};
        }
        int lvl = (int)pick((unsigned)levels.size());
        const std::string &op = levels[lvl][pick((unsigned)levels[lvl].size())];
        lvl += 1;
        Expr a = expr(depth - 1), b = expr(depth - 1);
        if (a.level < lvl) a.text = "(" + a.text + ")";     // left to right
        if (b.level <= lvl) b.text = "(" + b.text + ")";
        return {a.text + " " + op + " " + b.text, binary(op, a.v, b.v), lvl};
    }
};

std::string random_exprs(uint64_t seed)
{
    ExprGen g{seed * 7919 + 17};
    std::string s = "main()\n{\n    var v0 = 3, v1 = -7, v2 = 2.5, v3 = 1000, v4;\n";
    for (int n = 1; n <= 200;) {
        g.bad = false;
        ExprGen::Expr e = g.expr(4);
        if (g.bad || std::isnan(e.v) || std::isinf(e.v)) continue;
        char want[48];
        if (e.v == std::trunc(e.v) && std::fabs(e.v) < 9e15)
            snprintf(want, sizeof want, "%.0f", e.v);
        else
            snprintf(want, sizeof want, "%.17e", e.v);   // a dot before the exponent: 1e3 would read as 1
        s += "    if ((" + e.text + ") != " + want + ") return " + std::to_string(n++) + ";\n";
    }
    return s + "    return 251;\n}\n";
}

constexpr int DEEP = 100000;

const Case CASES[] = {
    // main and the end status
    {"probe", 7, {}, 0, nullptr},
    {"int_main", 255, {u8"構文誤り"}, 0, nullptr, "3:"},
    {"main_types", 42, {}, 0, nullptr},
    {"main_truncates", 3, {}, 0, nullptr},
    {"main_negative", 254, {}, 0, nullptr},
    {"main_noreturn", 0, {}, 0, nullptr},
    {"main_with_param", 255, {u8"引数がない"}, 0, nullptr},
    {"no_main", 255, {u8"関数 main() がない"}, 0, nullptr},
    {"empty", 255, {u8"関数 main() がない"}, RAW, [] { return std::string(); }},
    {"comments_only", 255, {u8"関数 main() がない"}, 0, [] { return std::string("// nothing\n/* at all */\n"); }},

    // names, scopes, statics, globals
    {"globals", 34, {}, 0, nullptr},
    {"shadow_block", 33, {}, 0, nullptr},
    {"shadow_global", 70, {}, 0, nullptr},
    {"dup_same_block", 255, {u8"変数 x は定義済"}, 0, nullptr, "5:"},
    {"undefined_var", 255, {}, 0, nullptr},
    {"statics", 145, {}, 0, nullptr},
    {"static_init", 11, {}, 0, nullptr},
    {"static_invisible", 255, {}, 0, nullptr},
    {"block_vars_end", 255, {}, 0, nullptr},
    {"keywords_in_names", 42, {}, 0, nullptr},
    {"reserved_name", 255, {}, 0, nullptr},
    {"long_name_64", 64, {}, 0, [] {
         std::string n = "v" + std::string(63, 'x');
         return wrap_main("    var " + n + " = 64;\n    return " + n + ";");
     }},
    {"long_name_65", 255, {}, 0, [] {
         std::string n = "v" + std::string(64, 'x');
         return wrap_main("    var " + n + " = 65;\n    return " + n + ";");
     }},

    // declarations, enumerations, constants
    {"enums", 63, {}, 0, nullptr},
    {"predefined", 123, {}, 0, nullptr},
    {"const_vars", 45, {}, 0, nullptr},
    {"const_assign", 255, {u8"const ", u8"c への代入"}, 0, nullptr, "5:"},
    {"const_incr", 255, {u8"const ", u8"c への代入"}, 0, nullptr},
    {"constexp_var", 255, {u8"定数式で変数 ", u8"n を参照"}, 0, nullptr, "3:"},
    {"typedef", 255, {u8"typedef は未サポート"}, 0, nullptr, "2:"},
    {"auto_static", 255, {u8"auto と static を同時に指定した"}, 0, nullptr},
    {"pointer_decl", 20, {}, 0, nullptr},
    {"gadget_vars", 48, {}, 0, nullptr},
    {"gadget_dims", 255, {u8"q:次元指定は無効"}, 0, nullptr, "4:"},
    {"predefined_shadow", 53, {}, 0, nullptr},
    {"cast", 39, {}, 0, nullptr},
    {"decl_after_stmt", 255, {u8"構文誤り"}, 0, nullptr},

    // arrays and initializers
    {"arrays_1d", 30, {}, 0, nullptr},
    {"arrays_2d", 48, {}, 0, nullptr},
    {"bounds_1d", 255, {u8"無効アクセス:", u8"[0][5]"}, 0, nullptr, "5:"},
    {"bounds_2d", 255, {u8"無効アクセス:", u8"[2][0]"}, 0, nullptr, "6:"},
    {"bounds_negative", 255, {u8"xo=-1 yo=0"}, 0, nullptr},
    {"dims_mismatch", 255, {u8"2 次元変数 ", u8" を 1 次元で参照"}, 0, nullptr, "5:"},
    {"array_too_big", 255, {u8"xo=1001 yo=1"}, 0, nullptr},
    {"array_zero", 255, {u8"要素数 0 の配列宣言は無効"}, 0, nullptr},
    {"array_big_ok", 45, {}, 0, nullptr},
    {"array_huge_shape", 6, {}, 0, nullptr},
    {"array_halfopen", 255, {u8"行/列片方だけ不定な 2 次元配列"}, 0, nullptr},
    {"init_arrays", 75, {}, 0, nullptr},
    {"init_local", 20, {}, 0, nullptr},
    {"init_strings", 41, {}, 0, nullptr},
    {"init_undefined", 255, {u8"初期値が無効"}, 0, nullptr, "2:"},
    {"init_scalar_list", 255, {u8"を 1 次配列で初期化"}, 0, nullptr},
    {"init_too_many", 255, {u8"配列サイズ超過 xo=2"}, 0, nullptr},
    {"init_too_many_rows", 255, {u8"配列サイズ超過 yo=2"}, 0, nullptr},
    {"init_empty", 255, {u8"初期値が空白"}, 0, nullptr},
    {"my_sheet", 85, {}, 0, nullptr},
    {"my_sheet_more", 86, {}, 0, nullptr},
    {"my_bounds", 255, {u8"無効アクセス:my[0][256]"}, 0, nullptr, "6:"},

    // strings and literals
    {"strings", 54, {}, 0, nullptr},
    {"string_compare", 100, {}, 0, nullptr},
    {"string_cond", 23, {}, 0, nullptr},
    {"sizeof", 18, {}, 0, nullptr},
    {"literals", 55, {}, 0, nullptr},
    {"comments", 10, {}, 0, nullptr},
    {"string_4096", 64, {}, 0, [] { return wrap_main("    var s = \"" + std::string(4096, 'a') + "\";\n    return sizeof(s) / 64;"); }},
    {"string_4097", 255, {u8"文字列長超過"}, 0, [] { return wrap_main("    var s = \"" + std::string(4097, 'a') + "\";\n    return 1;"); }},
    // A lead byte as the 4096th stored byte has no room for its trail byte.
    {"string_lead_at_end", 255, {u8"文字列長超過"}, RAW, [] {
         return wrap_main("    var s = \"" + std::string(4095, 'a') + "\x95\x5C\";\n    return 1;");
     }},
    // &= keeps the first 4096 bytes, less a lead byte whose trail was cut away.
    {"append_cut", 97, {}, 0, [] {
         return wrap_main("    var s = \"" + std::string(4000, 'a') + "\";\n    s &= \"" + std::string(200, 'b') +
                          "\";\n    return sizeof(s) - 4000;");
     }},
    {"append_cut_dbcs", 96, {}, RAW, [] {
         return wrap_main("    var s = \"" + std::string(4095, 'a') + "\";\n    s &= \"\x95\x5C\";\n    return sizeof(s) - 4000;");
     }},
    // Shift-JIS: a trail byte 0x5C (the second byte of 表 and of ソ) is never an escape, even
    // right before the closing quote; comments and strings hold double-byte text.
    {"sjis_strings", 35, {}, RAW, [] {
         return std::string("// \x95\x5C\x8E\xA6 \x83\x5C\n"      // // 表示 ソ
                            "main()\n{\n"
                            "    var s = \"\x95\x5C\";\n"          // "表"
                            "    /* \x83\x5C */\n"
                            "    if (sizeof(s) != 3) return 1;\n"
                            "    return sizeof(s) * 10 + sizeof(\"\x83\x5C\x95\x5C\");\n"   // 30 + 5
                            "}\n");
     }},
    // The error text and any excerpt of the script reach stderr as UTF-8.
    {"sjis_unterminated", 255, {u8"文字列終端文字がない"}, RAW, [] {
         return wrap_main("    var s = \"\x95\x5C\x8E\xA6;\n    return 1;");
     }},
    // Positions: a tab is one column and so is a double-byte character (表 = 95 5C).
    {"position_tabs_dbcs", 255, {u8"関数 nothere() がない"}, RAW, [] {
         return std::string("main()\n{\n\tvar s = \"\x95\x5C\"; s = nothere();\n\treturn 1;\n}\n");
     }, "3:19: "},
    {"unterminated_string", 255, {u8"文字列終端文字がない"}, 0, nullptr, "4:13: "},
    {"string_ops", 44, {}, 0, nullptr},
    {"string_literals", 32, {}, 0, nullptr},
    {"string_append_loop", 97, {}, 0, nullptr},
    {"string_aliasing", 94, {}, 0, nullptr},
    {"assign_order", 95, {}, 0, nullptr},
    {"numbers_edge", 66, {}, 0, nullptr},
    {"unterminated_comment_end", 3, {}, 0, nullptr},
    {"unterminated_comment_body", 255, {u8"構文誤り"}, 0, nullptr},

    // operators
    {"precedence", 100, {}, 0, nullptr},
    {"arithmetic", 9, {}, 0, nullptr},
    {"bitwise", 80, {}, 0, nullptr},
    {"shifts", 73, {}, 0, nullptr},
    {"compound_assign", 125, {}, 0, nullptr},
    {"incdec", 71, {}, 0, nullptr},
    {"nan_inf", 77, {}, 0, nullptr},
    {"int_min_mod", 88, {}, 0, nullptr},
    {"short_circuit", 31, {}, 0, nullptr},
    {"random_exprs_1", 251, {}, 0, [] { return random_exprs(1); }},
    {"random_exprs_2", 251, {}, 0, [] { return random_exprs(2); }},
    {"random_exprs_3", 251, {}, 0, [] { return random_exprs(3); }},

    // statements
    {"suppressed_stmt", 10, {}, 0, nullptr},
    {"if_else", 60, {}, 0, nullptr},
    {"switch_basic", 46, {}, 0, nullptr},
    {"switch_default", 26, {}, 0, nullptr},
    {"switch_misc", 73, {}, 0, nullptr},
    {"switch_break_in_loop", 91, {}, 0, nullptr},
    {"switch_continue_in_loop", 171, {}, 0, nullptr},
    {"switch_dup_case", 255, {u8"複数の同一 case 文がある"}, 0, nullptr, "7:"},
    {"switch_dup_case_other", 15, {}, 0, nullptr},
    {"switch_dup_default", 255, {u8"複数の default 文がある"}, 0, nullptr},
    {"case_outside", 255, {u8"switch 構文外に case 文がある"}, 0, nullptr, "5:"},
    {"default_outside", 255, {u8"switch 構文外に default 文がある"}, 0, nullptr},
    {"break_outside", 255, {u8"for/do/while/switch 以外で break を使用"}, 0, nullptr, "5:"},
    {"continue_outside", 255, {}, 0, nullptr},
    {"continue_in_switch_only", 255, {}, 0, nullptr},
    {"loops_for", 218, {}, 0, nullptr},
    {"loops_while", 125, {}, 0, nullptr},
    {"loops_do", 53, {}, 0, nullptr},
    {"loops_many", 8, {}, 0, nullptr},
    {"jump_side_effects", 93, {}, 0, nullptr},
    {"block_in_loop", 23, {}, 0, nullptr},
    {"block_goto", 18, {}, 0, nullptr},
    {"goto", 66, {}, 0, nullptr},
    {"goto_in_function", 64, {}, 0, nullptr},
    {"goto_missing", 255, {u8"ラベル nowhere: がない"}, 0, nullptr, "5:"},
    {"goto_into_block", 7, {}, 0, nullptr},
    {"goto_into_loop", 57, {}, 0, nullptr},
    {"goto_into_branch", 58, {}, 0, nullptr},
    {"goto_more", 59, {}, 0, nullptr},
    {"block_exit_paths", 37, {}, 0, nullptr},
    {"static_block", 112, {}, 0, nullptr},
    {"switch_nested", 21, {}, 0, nullptr},
    {"switch_duff", 96, {}, 0, nullptr},
    {"switch_label_in_if", 97, {}, 0, nullptr},
    {"switch_loop_labels", 98, {}, 0, nullptr},
    {"loops_nested_continue", 15, {}, 0, nullptr},
    {"eval_order", 23, {}, 0, nullptr},
    {"statement_forms", 42, {}, 0, nullptr},
    {"goto_other_function", 255, {u8"ラベル elsewhere: がない"}, 0, nullptr},
    {"syntax_missing_brace", 255, {u8"構文誤り"}, 0, nullptr},
    {"syntax_missing_semicolon", 255, {u8"構文誤り"}, 0, nullptr, "6:"},
    {"calls_in_control", 100, {}, 0, nullptr},
    {"side_effect_counts", 100, {}, 0, nullptr},
    {"error_in_callee", 255, {u8"無効アクセス:", u8"[0][3]"}, 0, nullptr, "5:"},
    {"goto_out_of_switch", 56, {}, 0, nullptr},
    {"string_functions", 79, {}, 0, nullptr},
    {"text_layout", 4, {}, 0, nullptr},
    {"only_prototype", 255, {u8"関数 main() がない"}, 0, nullptr},
    {"syntax_if_parens", 255, {u8"構文誤り"}, 0, nullptr},
    {"syntax_extra_brace", 255, {u8"構文誤り"}, 0, nullptr},
    // Long but flat texts: chains of operators, else-if ladders and case lists of generated
    // code are loops of the grammar, not nesting.
    {"long_sum", 100, {}, 0, [] { return wrap_main("    return (1" + rep(" + 1", 9999) + ") / 100;"); }},
    {"long_logic", 3, {}, 0, [] {
         return wrap_main("    var a = 1" + rep(" && 1", 5000) + ";\n    var b = 0" + rep(" || 0", 5000) + ";\n    var c = (0" +
                          rep(", 1", 5000) + ");\n    return a + !b + c;");
     }},
    {"else_if_200", 77, {}, 0, [] {
         std::string s = "    var k = 177;\n    var r = 0;\n    if (k == 0) r = 0;\n";
         for (int i = 1; i < 200; i++) s += "    else if (k == " + std::to_string(i) + ") r = " + std::to_string(i) + ";\n";
         return wrap_main(s + "    else r = -1;\n    return r - 100;");
     }},
    {"switch_500", 77, {}, 0, [] {
         std::string s = "    var r = 0;\n    switch (377) {\n";
         for (int i = 0; i < 500; i++) s += "    case " + std::to_string(i) + ": r = " + std::to_string(i) + "; break;\n";
         return wrap_main(s + "    }\n    return r - 300;");
     }},
    {"functions_300", 73, {}, 0, [] {
         std::string s;
         for (int i = 0; i < 300; i++) s += "f" + std::to_string(i) + "()\n{\n    return " + std::to_string(i) + ";\n}\n";
         return s + wrap_main("    return f123() + f250() - 300;");
     }},
    {"globals_2000", 99, {}, 0, [] {
         std::string s;
         for (int i = 0; i < 2000; i++) s += "var g" + std::to_string(i) + " = " + std::to_string(i % 100) + ";\n";
         return s + wrap_main("    return g1999 + g0 + g1000;");
     }},
    {"many_statements", 100, {}, 0, [] { return wrap_main("    var x = 0;\n" + rep("    x++;\n", 100000) + "    return x / 1000;"); }},
    {"big_comment", 5, {}, 0, [] { return rep("// " + std::string(96, 'c') + "\n", 20000) + wrap_main("    return 5;"); }},

    // functions
    {"recursion", 84, {}, 0, nullptr},
    {"depth_100", 100, {}, 0, nullptr},
    {"depth_100_heavy", 100, {}, 0, nullptr},
    {"depth_100_parens", 100, {}, 0, nullptr},
    {"single_evaluation", 24, {}, 0, nullptr},
    {"depth_101", 255, {u8"関数ネスト超過("}, 0, nullptr, "6:"},
    {"depth_runaway", 255, {u8"関数ネスト超過("}, 0, nullptr},
    {"by_reference", 83, {}, 0, nullptr},
    {"refs_chain", 85, {}, 0, nullptr},
    {"array_params", 109, {}, 0, nullptr},
    {"array_param_size", 255, {u8"引数 X サイズ不一致"}, 0, nullptr, "9:"},
    {"ref_not_a_name", 255, {u8"引数が変数名でない"}, 0, nullptr, "8:"},
    {"varargs", 52, {}, 0, nullptr},
    {"varargs_too_many", 255, {u8"f():引数数超過(20)"}, 0, nullptr, "8:"},
    {"many_params", 191, {}, 0, nullptr},
    {"params_21", 255, {u8"引数が 20 個を越えた"}, 0, nullptr},
    {"mutual_recursion", 110, {}, 0, nullptr},
    {"args_too_many", 255, {u8"f():引数 2 が過剰"}, 0, nullptr, "8:"},
    {"args_too_few", 255, {u8"f(", u8"):引数の数が不一致"}, 0, nullptr},
    {"arg_names", 111, {}, 0, nullptr},
    {"forward_call", 22, {}, 0, nullptr},
    {"missing_function", 255, {u8"関数 nothere() がない"}, 0, nullptr, "5:9: "},
    {"duplicate_function", 255, {u8"f 関数名重複"}, 0, nullptr, "7:"},
    {"return_values", 93, {}, 0, nullptr},
    {"return_paths", 92, {}, 0, nullptr},
    {"return_void_value", 255, {u8"; がない"}, 0, nullptr, "4:"},
    {"return_no_value", 255, {u8"return に戻値がない"}, 0, nullptr, "4:"},
    {"exit_nested", 3, {}, NEEDS_EXIT, nullptr},

    // robustness: nesting that must work, nesting that must stop with a message, bad bytes
    {"nest_parens_60", 7, {}, 0, [] { return wrap_main("    return " + rep("(", 60) + "7" + rep(")", 60) + ";"); }},
    {"nest_blocks_60", 8, {}, 0, [] { return wrap_main("    var x = 0;\n" + rep("{ x++;\n", 60) + rep("}", 60) + "\n    return x - 52;"); }},
    {"nest_if_60", 9, {}, 0, [] { return wrap_main("    " + rep("if (1) ", 60) + "return 9;\n    return 1;"); }},
    {"nest_loops_20", 20, {}, 0, [] {
         std::string s = "    var n = 0;\n";
         for (int i = 0; i < 20; i++) s += "    var i" + std::to_string(i) + ";\n";
         for (int i = 0; i < 20; i++) s += rep("  ", i) + "    for (i" + std::to_string(i) + " = 0; i" + std::to_string(i) + " < 1; i" + std::to_string(i) + "++)\n";
         return wrap_main(s + "        n++;\n    return n * 20;");
     }},
    {"nest_call_args_30", 30, {}, 0, [] {
         return "inc(var x)\n{\n    return x + 1;\n}\n" + wrap_main("    return " + rep("inc(", 30) + "0" + rep(")", 30) + ";");
     }},
    {"deep_parens", 255, {}, JP, [] { return wrap_main("    return " + rep("(", DEEP) + "7" + rep(")", DEEP) + ";"); }},
    {"deep_parens_open", 255, {}, JP, [] { return wrap_main("    return " + rep("(", DEEP)); }},
    {"deep_blocks", 255, {}, JP, [] { return wrap_main(rep("{", DEEP) + rep("}", DEEP) + "\n    return 1;"); }},
    {"deep_if", 255, {}, JP, [] { return wrap_main("    " + rep("if (1) ", DEEP) + "return 1;"); }},
    {"deep_not", 255, {}, JP, [] { return wrap_main("    return " + rep("!", DEEP) + "0;"); }},
    {"deep_minus", 255, {}, JP, [] { return wrap_main("    return " + rep("- ", DEEP) + "1;"); }},
    {"deep_assign", 255, {}, JP, [] { return wrap_main("    var a;\n    " + rep("a = ", DEEP) + "1;\n    return a;"); }},
    {"deep_cond", 255, {}, JP, [] { return wrap_main("    return " + rep("1 ? ", DEEP) + "1" + rep(" : 0", DEEP) + ";"); }},
    {"deep_index", 255, {}, JP, [] { return wrap_main("    var a[2];\n    return " + rep("a[", DEEP) + "0" + rep("]", DEEP) + ";"); }},
    {"deep_calls", 255, {}, JP, [] {
         return "inc(var x)\n{\n    return x + 1;\n}\n" + wrap_main("    return " + rep("inc(", DEEP) + "0" + rep(")", DEEP) + ";");
     }},
    {"deep_else_if", 255, {}, JP, [] { return wrap_main("    var x = 1;\n    " + rep("if (x == 0) x = 2; else ", DEEP) + "x = 3;\n    return x;"); }},
    {"deep_init", 255, {}, 0, [] { return "var a[] = " + rep("{", DEEP) + "1" + rep("}", DEEP) + ";\n" + wrap_main("    return 1;"); }},
    // A failure deep inside nested constructs is found once: re-reading each level after its
    // inner part failed would cost 2^30 here.
    {"failing_nested_index", 255, {}, 0, [] { return wrap_main("    var a[2];\n    return " + rep("a[", 30) + "nosuch" + rep("]", 30) + ";"); }},
    {"failing_nested_calls", 255, {}, 0, [] { return wrap_main("    return " + rep("nothere(", 30) + "1" + rep(")", 30) + ";"); }},
    {"failing_nested_args", 255, {}, 0, [] {
         return "f(var p, var q)\n{\n    return 1;\n}\n" + wrap_main("    return " + rep("f(1, ", 30) + "nosuch" + rep(")", 30) + ";");
     }},
    {"failing_nested_assign", 255, {}, 0, [] { return wrap_main("    var x;\n    return " + rep("x = (", 30) + "nosuch" + rep(")", 30) + ";"); }},
    {"failing_nested_incr", 255, {}, 0, [] { return wrap_main("    var a[2];\n    return " + rep("++a[", 30) + "nosuch" + rep("]", 30) + ";"); }},
    {"failing_nested_stmts", 255, {}, 0, [] {
         return wrap_main("    var x;\n    " + rep("if (1) { while (x) { switch (1) { case 1: ", 30) + "nosuch;" + rep(" } } }", 30) + "\n    return 1;");
     }},
    {"garbage", 255, {}, RAW, [] { return garbage(4096, true); }},
    {"garbage_no_nul", 255, {}, RAW, [] { return garbage(65536, false); }},
    {"garbage_after_main", 255, {}, RAW, [] { return wrap_main("    return 9;") + garbage(4096, false); }},
};

// One run of a case: as written, or with CR LF line ends.
struct CaseRun {
    const Case *c;
    bool crlf;
};
void PrintTo(const CaseRun &r, std::ostream *os) { *os << r.c->name << (r.crlf ? " (CR LF)" : ""); }

// ---- running the program ----

bool valid_utf8(const std::string &s)
{
    for (size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        int n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (n < 0 || (n == 1 && c < 0xC2) || i + n >= s.size() + (n ? 0 : 1)) return false;
        for (int k = 1; k <= n; k++)
            if (((unsigned char)s[i + k] & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

std::string crlf(const std::string &s)
{
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

struct Outcome {
    int status = -1;        // exit status, or 1000 + signal
    std::string out, err;
    long maxrss_kb = 0;     // largest resident size of the run
};

// Runs "kovash NAME.scr" in folder with a time limit (timeout from coreutils) and a memory
// limit, so a runaway interpreter ends the case instead of the machine.
Outcome run_kovash(const std::string &exe, const std::string &home, const std::string &folder, const std::string &script,
                   const char *limit = "30")
{
    Outcome o;
    std::string out = folder + "/stdout", err = folder + "/stderr";
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(120);
        int fo = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int fe = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int fi = open("/dev/null", O_RDONLY);
        if (fo < 0 || fe < 0 || fi < 0) _exit(121);
        dup2(fi, 0);
        dup2(fo, 1);
        dup2(fe, 2);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
#if !KOV_ASAN   // the address sanitizer reserves far more address space than it uses
        struct rlimit lim = {2048ul << 20, 2048ul << 20};
        setrlimit(RLIMIT_AS, &lim);
#endif
        execlp("timeout", "timeout", "-k", "5", limit, exe.c_str(), script.c_str(), (char *)nullptr);
        _exit(122);
    }
    int st = 0;
    if (pid < 0) return o;
    struct rusage ru = {};
    while (wait4(pid, &st, 0, &ru) < 0 && errno == EINTR) {
    }
    o.maxrss_kb = ru.ru_maxrss;
    o.status = WIFEXITED(st) ? WEXITSTATUS(st) : 1000 + WTERMSIG(st);
    o.out = slurp(out);
    o.err = slurp(err);
    return o;
}

std::string u8s(const char8_t *s) { return std::string(reinterpret_cast<const char *>(s)); }

// A link (or copy) of the program in a folder of its own: kovash keeps its .ini and .LOG beside
// the program, and the built one must stay untouched. Made once per test program.
struct Kovash {
    Kovash()
    {
        exe = home / "kovash";
        if (link(KOV_BIN, exe.c_str()) != 0 && system(("cp '" + std::string(KOV_BIN) + "' '" + exe + "'").c_str()) != 0)
            exe.clear();
        if (exe.empty()) return;
        std::string folder = home / "probe-runner";
        mkdir(folder.c_str(), 0700);
        spit(folder + "/probe.scr", "main()\n{\n    return 7;\n}\n");
        Outcome o = run_kovash(exe, home.path, folder, "probe.scr");
        // Before the script runner exists, "kovash X.scr" ends silently with 0.
        scripts = !(o.status == 0 && o.err.empty());
    }
    // A new empty folder for one run.
    std::string folder(const std::string &name)
    {
        std::string f = home / name;
        return mkdir(f.c_str(), 0700) == 0 ? f : "";
    }
    Outcome run(const std::string &folder, const std::string &script, const char *limit = "30")
    {
        return run_kovash(exe, home.path, folder, script, limit);
    }
    TmpDir home;
    std::string exe;
    bool scripts = false;
};

Kovash &kovash()
{
    static Kovash k;
    return k;
}

#define KOV_NEED_SCRIPTS()                                                                       \
    do {                                                                                         \
        ASSERT_FALSE(kovash().exe.empty()) << "cannot place a copy of " << KOV_BIN;             \
        if (!kovash().scripts) {                                                                 \
            GTEST_SKIP() << "kovash does not run scripts yet (a .scr argument ends with 0 and says nothing)"; \
        }                                                                                        \
    } while (0)

class ScrRun : public ::testing::TestWithParam<CaseRun> {};

std::string script_of(const Case &c)
{
    if (c.make) return c.make();
    std::string path = std::string(KOV_TEST_DATA) + "/scripts/" + c.name + ".scr";
    if (!exists(path)) return "";
    return slurp(path);
}

TEST_P(ScrRun, Script)
{
    const Case &c = *GetParam().c;
    bool dos = GetParam().crlf;
    KOV_NEED_SCRIPTS();
    if (!c.make) {
        ASSERT_TRUE(exists(std::string(KOV_TEST_DATA) + "/scripts/" + c.name + ".scr")) << c.name;
    }

    std::string text = script_of(c);
    std::string folder = kovash().folder(std::string(c.name) + (dos ? "_crlf" : ""));
    ASSERT_NE(folder, "");
    spit(folder + "/" + c.name + ".scr", dos ? crlf(text) : text);
    Outcome o = kovash().run(folder, std::string(c.name) + ".scr");

    if ((c.flags & NEEDS_EXIT) && o.err.find(u8s(u8"関数 exit() がない")) != std::string::npos) {
        GTEST_SKIP() << "the built-in exit() is not there yet";
    }
    ASSERT_NE(o.status, 124) << "timed out";
    ASSERT_LT(o.status, 1000) << "killed by signal " << o.status - 1000 << "\nstderr: " << o.err;
    EXPECT_EQ(o.status, c.status) << "stderr: " << o.err;
    EXPECT_TRUE(valid_utf8(o.err)) << "stderr is not UTF-8: " << o.err;
    EXPECT_EQ(o.out, "") << "these scripts print nothing";
    if (c.status != 255) {
        EXPECT_EQ(o.err, "") << "a run that ends normally says nothing";
    } else {
        // The error line: "NAME.scr:row:col: text", rows and columns counted from 1.
        std::string head = std::string(c.name) + ".scr:";
        std::string line;
        for (size_t p = o.err.find(head); p != std::string::npos && line.empty(); p = o.err.find(head, p + 1))
            if (p == 0 || o.err[p - 1] == '\n') line = o.err.substr(p, o.err.find('\n', p) - p);
        ASSERT_NE(line, "") << "no error line naming the script:\n" << o.err;
        EXPECT_EQ(line.find(".scr:0:"), std::string::npos) << "a position counted from 1 is never 0: " << line;
        if (c.at) {
            EXPECT_EQ(line.rfind(head + c.at, 0), 0u) << "expected the error at " << c.at << ": " << line;
        }
        if (c.err[0]) {
            EXPECT_NE(line.find(u8s(c.err[0])), std::string::npos) << "the error line lacks \"" << u8s(c.err[0]) << "\":\n" << o.err;
        }
        for (const char8_t *want : c.err) {
            if (want) {
                EXPECT_NE(o.err.find(u8s(want)), std::string::npos) << "stderr lacks \"" << u8s(want) << "\":\n" << o.err;
            }
        }
        if (c.flags & JP) {
            bool wide = false;
            for (unsigned char ch : line) wide |= ch >= 0x80;
            EXPECT_TRUE(wide) << "expected a Japanese message: " << line;
        }
    }
}

std::vector<CaseRun> all_runs()
{
    std::vector<CaseRun> v;
    for (const Case &c : CASES) {
        v.push_back({&c, false});
        if (!(c.flags & RAW)) v.push_back({&c, true});
    }
    return v;
}

INSTANTIATE_TEST_SUITE_P(ScrCases, ScrRun, ::testing::ValuesIn(all_runs()),
                         [](const ::testing::TestParamInfo<CaseRun> &info) {
                             return std::string(info.param.c->name) + (info.param.crlf ? "_crlf" : "");
                         });

// Names of scripts: as the user gives them, any folder, UTF-8 names, either case of ".scr".
TEST(ScrCasesFiles, NamesAndFolders)
{
    KOV_NEED_SCRIPTS();
    std::string top = kovash().folder("files");
    ASSERT_NE(top, "");
    std::string sub = top + "/sub dir";
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    std::string jp = u8s(u8"表示");
    spit(sub + "/" + jp + ".scr", "main()\n{\n    return 6;\n}\n");
    EXPECT_EQ(kovash().run(top, sub + "/" + jp + ".scr").status, 6) << "absolute path, blank in a folder, UTF-8 name";
    EXPECT_EQ(kovash().run(sub, jp + ".scr").status, 6);
    Outcome rel = kovash().run(top, "sub dir/" + jp + ".scr");
    EXPECT_EQ(rel.status, 6) << "a name relative to the current folder: " << rel.err;

    spit(top + "/UPPER.SCR", "main()\n{\n    return 12;\n}\n");
    EXPECT_EQ(kovash().run(top, "UPPER.SCR").status, 12) << "the extension is compared without regard to case";

    std::string bad = u8s(u8"日本") + ".scr";
    spit(top + "/" + bad, "main()\n{\n    return nothere();\n}\n");
    Outcome o = kovash().run(top, bad);
    EXPECT_EQ(o.status, 255);
    EXPECT_EQ(o.err.rfind(bad + u8s(u8":3:12: 関数 nothere() がない"), 0), 0u) << o.err;
    o = kovash().run(top, "./" + bad);
    EXPECT_EQ(o.err.rfind("./" + bad + ":3:", 0), 0u) << "the name as given: " << o.err;

    o = kovash().run(top, "missing.scr");
    EXPECT_EQ(o.status, 1) << "a script that is not there is a file that cannot be read";
    EXPECT_NE(o.err, "");
    EXPECT_TRUE(valid_utf8(o.err)) << o.err;
}

// A script name that is not a regular file is refused with a message: a folder, a device that
// never ends (read to the end, it would take all memory) and a FIFO (opening it would wait).
TEST(ScrCasesFiles, OnlyRegularFilesAreScripts)
{
    KOV_NEED_SCRIPTS();
    std::string top = kovash().folder("special");
    ASSERT_NE(top, "");
    ASSERT_EQ(mkdir((top + "/dir.scr").c_str(), 0700), 0);
    ASSERT_EQ(symlink("/dev/zero", (top + "/zero.scr").c_str()), 0);
    ASSERT_EQ(mkfifo((top + "/fifo.scr").c_str(), 0600), 0);
    for (const char *name : {"dir.scr", "zero.scr", "fifo.scr"}) {
        Outcome o = kovash().run(top, name, "5");
        EXPECT_EQ(o.status, 1) << name << ": " << o.err;
        EXPECT_EQ(o.err, top + "/" + name + u8s(u8" 読込み失敗: ") + (name[0] == 'd' ? "Is a directory\n" : "not a regular file\n"));
    }
}

// The call-depth limit is an attention line: it is written to the log (in Shift-JIS, like every
// log line) as well as shown.
TEST(ScrCasesFiles, DepthLimitIsLogged)
{
    KOV_NEED_SCRIPTS();
    std::string top = kovash().folder("log");
    ASSERT_NE(top, "");
    spit(top + "/deep.scr", "down(var n)\n{\n    return down(n + 1);\n}\nmain()\n{\n    return down(0);\n}\n");
    EXPECT_EQ(kovash().run(top, "deep.scr").status, 255);
    std::string log = slurp(kovash().home / "kovash.LOG");
    size_t at = log.find("関数ネスト超過(100)");   // narrow literals are Shift-JIS here
    ASSERT_NE(at, std::string::npos) << log;
    size_t line = log.rfind('\n', at);
    line = line == std::string::npos ? 0 : line + 1;
    EXPECT_EQ(log.compare(line, 5, "[ATT]"), 0) << log.substr(line, at - line + 40);
}

// "kovash X.scr" first loads the sheet X.kov beside it: the script reads and writes its cells
// through my[row][col]. The run saves nothing: the sheet file stays as it was.
TEST(ScrCasesFiles, SheetBesideTheScript)
{
    KOV_NEED_SCRIPTS();
    std::string top = kovash().folder("sheet");
    ASSERT_NE(top, "");
    const std::string sheet = "\"abc\",12\r\n7,\"x\"\r\n";
    spit(top + "/pl.kov", sheet);
    spit(top + "/pl.scr", "main()\n{\n"
                          "    if (my[0][0] != \"abc\") return 1;\n"
                          "    if (my[0][1] != 12) return 2;\n"
                          "    if (my[1][0] != 7) return 3;\n"
                          "    if (my[1][1] != \"x\") return 4;\n"
                          "    if (my[2][0] != 0) return 5;\n"
                          "    my[0][0] = 99;\n"
                          "    return 31 + my[0][0] - 99;\n}\n");
    Outcome o = kovash().run(top, "pl.scr");
    EXPECT_EQ(o.status, 31) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(slurp(top + "/pl.kov"), sheet);
    o = kovash().run(kovash().home.path, "sheet/pl.scr");
    EXPECT_EQ(o.status, 31) << "script and sheet named from the folder above: " << o.err;
    EXPECT_EQ(slurp(top + "/pl.kov"), sheet);

    // Without a sheet the script starts on an empty one.
    spit(top + "/alone.scr", "main()\n{\n    return 40 + (my[0][0] == 0);\n}\n");
    EXPECT_EQ(kovash().run(top, "alone.scr").status, 41);
    EXPECT_FALSE(exists(top + "/alone.kov")) << "no sheet file appears";
}

// Locals, parameters and temporaries end with their calls: 10,000 calls that each make a
// 1000-element array and a long string stay small (kept, they would pass 300 MB).
TEST(ScrCasesFiles, CallsGiveBackTheirMemory)
{
    KOV_NEED_SCRIPTS();
    std::string top = kovash().folder("memory");
    ASSERT_NE(top, "");
    spit(top + "/calls.scr", "work(var i)\n{\n"
                             "    var a[1000];\n"
                             "    var s = \"abcdefghijklmnopqrstuvwxyz\";\n"
                             "    a[999] = i;\n"
                             "    s &= s;\n"
                             "    return a[999];\n}\n"
                             "main()\n{\n"
                             "    var i;\n"
                             "    var t = 0;\n"
                             "    for (i = 0; i < 10000; i++)\n"
                             "        t += work(1);\n"
                             "    return t / 1000;\n}\n");
    Outcome o = kovash().run(top, "calls.scr");
    EXPECT_EQ(o.status, 10) << o.err;
    if (!KOV_ASAN) {   // the sanitizer's quarantine holds freed memory on purpose
        EXPECT_LT(o.maxrss_kb, 100 * 1024) << "resident size " << o.maxrss_kb << " KB";
    }
}

// Every script file in scripts/ is a case of the table (a file nobody runs checks nothing).
TEST(ScrCasesTable, EveryScriptFileIsACase)
{
    DIR *d = opendir((std::string(KOV_TEST_DATA) + "/scripts").c_str());
    ASSERT_NE(d, nullptr);
    int files = 0;
    while (struct dirent *e = readdir(d)) {
        std::string f = e->d_name;
        if (f.size() < 5 || f.compare(f.size() - 4, 4, ".scr") != 0) continue;
        std::string name = f.substr(0, f.size() - 4);
        bool found = false;
        for (const Case &c : CASES) found |= !c.make && name == c.name;
        EXPECT_TRUE(found) << f << " is in scripts/ but not in the table";
        files++;
    }
    closedir(d);
    EXPECT_GT(files, 0);
}

} // namespace
