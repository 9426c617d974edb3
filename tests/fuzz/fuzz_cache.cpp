// Runs each script three times, from its text with formulas' parsed forms, from the text alone
// and with the statement trees of its functions, and traps on any difference: link and run results, status, error texts, the failing statement, the number of
// statements run, the sheet's cells and the variables view. Inputs whose first byte is 'G' are
// choices for a generator of scripts that run (loops, calls, arrays, strings, enumerators,
// jumps and the faults between them); others are script text as it is.
#include <algorithm>
#include <cstdint>
#include <string>

#include "sheet/csv.h"
#include "tests/fuzz/fuzz_scr.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

struct HOST : FUZZ_HOST {
    std::string shown;   // what the editor was asked to show (a failed link's place and text)
    void host_ed_show(const char *, long at, long, const char *msg) override
    {
        shown += std::to_string(at) + ":" + (msg ? msg : "") + ";";
    }
};

int fn_fail(SCR_U &s, const FN_CALL &, FN_RET &) { return s.scr_set_FNCERR("fail"), -1; }
// cell(g, x): element x of the storage the call names
int fn_cell(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    double d = c.arg[0].g->gj_getd(c.arg[1].i, 0);
    r.L = d == d ? (int64_t)std::clamp(d, -1e9, 1e9) : 0;
    return 0;
}
// wait(n): the statement hook up to n times, as a wait calls it
int fn_wait(SCR_U &s, const FN_CALL &c, FN_RET &)
{
    for (int k = 0; k < c.arg[0].i && k < 5; k++) s.scr_callback(SCRCB_ONESTEP, 0);
    return 0;
}

const FN_DEF table[] = {
    {"exit", fuzz_exit, "vi"}, {"len", fuzz_len, "is", FN_PURE}, {"pick", fuzz_pick, "i.", FN_PURE},
    {"fail", fn_fail, "i", FN_PURE}, {"cell", fn_cell, "igi"}, {"wait", fn_wait, "vi"},
};
const FN_DEF *lookup(const char *name) { return fuzz_find(table, name); }

// ---- the generator ----

struct GEN {
    explicit GEN(FUZZ_IN in) : in(in) {}
    FUZZ_IN in;
    std::string out;
    int depth = 0, loops = 0, switches = 0;
    bool in_main = false, in_f = false, labelled = false, to_l = false;

    const char *pick(std::initializer_list<const char *> l) { return l.begin()[in.below((int)l.size())]; }
    // Faults (wrong dimensions, arity, names) are rare, so that most scripts link and run.
    bool rare() { return in.below(80) == 0; }
    void lvalue()
    {
        if (rare()) {
            out += pick({"a[1]", "v", "v[1][1]", "E1", "m[1]", "zz", "c"});
            return;
        }
        switch (in.below(6)) {
        case 0: out += pick({"a", "b", "i", "n", "k"}); break;
        case 1: out += "s"; break;
        case 2: out += "v["; exp(); out += "]"; break;
        case 3: out += "m["; exp(); out += "]["; exp(); out += "]"; break;
        case 4: out += "my["; exp(); out += "]["; exp(); out += "]"; break;
        default:
            if (in.below(4) == 0) {   // a part's cells
                out += "z["; exp(); out += "]["; exp(); out += "]";
            } else {
                out += pick({"a", "b", "n"});
            }
            break;
        }
        if (in.below(24) == 0) out += pick({".x", "->y.z", " . w", ". 3"});   // members: read, of no effect
    }
    void call()
    {
        if (rare()) {
            const char *f = pick({"f(", "g(", "len(", "nosuch(", "fail(", "g(1, ", "cell(", "wait("});
            out += f;
            if (f[0] == 'c') out += pick({"a, ", "v, ", "m, ", "n, ", "zz, ", "(a), ", "E1, "});
            args();
            out += ")";
            return;
        }
        switch (in.below(6)) {
        case 0:
            if (in.below(3) == 0) {   // varying arguments: the rest evaluated, bound to nothing
                out += "gv(";
                exp();
                for (int k = in.below(3); k > 0; k--) {
                    out += ", ";
                    exp();
                }
                break;
            }
            out += "f(";
            exp();
            break;
        case 1: out += "g("; out += pick({"a", "b", "n", "v[1]", "k"}); out += ", "; exp(); break;
        case 5:
            if (in.below(3) == 0) {   // a part by reference
                out += "pk("; out += pick({"pz", "pz", "z", "v"}); out += ", "; exp();
                break;
            }
            if (in.below(3) == 0) {   // a grid by reference: its cells
                out += "ga("; out += pick({"my", "z", "pz", "lz", "lp"}); out += ", "; exp();
                break;
            }
            out += pick({"h(", "h(", "hs("});   // hs: a size written, the argument's checked against it
            out += pick({"v", "w", "m", "s", "a"}); out += ", "; exp();
            break;
        case 2: out += "len("; exp(); break;
        case 3: out += "fail("; break;
        default: out += "pick("; args(); break;
        }
        out += ")";
    }
    void primary()
    {
        if (++depth > 6) {
            out += pick({"1", "a", "\"x\""});
            depth--;
            return;
        }
        switch (in.below(14)) {
        case 0: out += std::to_string(in.below(12) - 2); break;
        case 1: out += pick({"\"ab\"", "\"\"", "\"z\" \"y\"", "'c'", "1e2", "0x1F", "2.5"}); break;
        case 2: out += pick({"E0", "E1", "OK", "TRUE", "c"}); break;
        case 3: out += "("; exp(true); out += ")"; break;
        case 4: call(); break;
        case 5: lvalue(); out += pick({"", "++", "--", "", ""}); break;
        case 6: out += pick({"++", "--"}); lvalue(); break;
        case 7: out += pick({"-", "!", "~", "+", "(var)", "(int)"}); primary(); break;
        case 8: {
            bool bare = rare();
            out += bare ? "" : "(";
            lvalue();
            out += pick({" = ", " += ", " &= ", " *= ", " %= ", " <<= ", " |= "});
            exp();
            out += bare ? "" : ")";
            break;
        }
        case 9: {
            bool bare = rare();
            out += bare ? "" : "(";
            exp();
            out += " ? ";
            exp();
            out += " : ";
            exp();
            out += bare ? "" : ")";
            break;
        }
        case 10: out += pick({"sizeof a", "my[0][0]", "E1 + 1", "lp", "lz[1][0]", "pz", "sizeof(var)", "sizeof s", "sizeof E1[1]"}); break;
        default: lvalue(); break;
        }
        depth--;
    }
    void args()
    {
        int n = in.below(3);
        for (int i = 0; i < n; i++) {
            if (i) out += ", ";
            exp();
        }
    }
    // An expression; the comma operator only where it cannot split arguments or indices.
    void exp(bool comma = false)
    {
        primary();
        int n = in.below(3);
        for (int i = 0; i < n; i++) {
            const char *op = pick({" + ", " - ", " * ", " / ", " % ", " == ", " != ", " < ", " >= ", " && ", " || ",
                                   " & ", " | ", " ^ ", " << ", " >> ", ", "});
            out += op[1] == ',' && !comma ? " + " : op;
            primary();
        }
    }
    void body(int d)
    {
        loops++;
        stat(d + 1);
        loops--;
    }
    void stat(int d)
    {
        if (d > 4 || in.empty()) {
            exp(true);
            out += ";\n";
            return;
        }
        switch (in.below(16)) {
        case 0: out += "if ("; exp(); out += ") "; stat(d + 1); if (in.below(2)) { out += " else "; stat(d + 1); } break;
        case 1: out += "while ("; exp(); out += ") "; body(d); break;
        case 2: out += "for (i = 0; i < "; exp(); out += "; i++) "; body(d); break;
        case 3: out += "do "; body(d); out += " while ("; exp(); out += ");\n"; break;
        case 4:
            out += pick({"{ var t = (", "{ var t = (", "{ const var t = (", "{ var i = (", "{ static var t = (", "{ extern var t = (",
                         "{ PUSH lp; var t = (", "{ ARRAY lz; var t = (", "{ enum { E1 = 7, E0 }; var t = (", "{ enum X { E0 = 'a', }; var t = (",
                         "{ var u[E1], t = (", "{ var u[E1][E1], t = ("});
            exp(); out += "); "; stat(d + 1); stat(d + 1); out += "}\n";
            break;
        case 5:
            switches++;
            out += "switch ("; exp(); out += ") { case "; out += pick({"1", "E1"}); out += ": "; body(d); out += " default: "; body(d);
            out += " case 2: "; body(d); out += "}\n";
            switches--;
            break;
        case 6:
            if (loops || rare()) out += pick({"break;\n", "continue;\n"});
            else if (in_main && labelled && in.below(2)) out += "if (k++ % 5) goto K;\n";
            else if (in_main && in.below(4) == 0) out += "goto L;\n", to_l = true;
            else if (in_f) out += "if (x-- > 0) goto M;\n";
            else out += ";\n";
            break;
        case 7: out += "return "; exp(); out += ";\n"; break;
        case 8: out += "my["; exp(); out += "]["; exp(); out += "] = "; exp(); out += ";\n"; break;
        case 10:   // a label of the switch around, below the top of its body
            if (switches && in.below(2)) out += pick({"case 3: ", "case 0: ", "case E0: ", "case 4: case 5: ", "default: "});
            stat(d + 1);
            break;
        case 9:   // a label anywhere in main: in a loop's or a switch's body, a block that hides a name
            if (in_main && !labelled && d > 0) {
                labelled = true;
                out += "K: ";
            }
            stat(d + 1);
            break;
        default: exp(true); out += ";\n"; break;
        }
    }
    std::string script()
    {
        out = "enum { E0, E1 }; const var c = 3; var a, b = 2, n, s = \"s\", v[4], m[2][3], i, k; ARRAY z; PUSH pz;\n"
              "f(var x) { M: ";
        in_f = true;
        stat(1);
        in_f = false;
        out += " return x + 1; }\ng(var &r, var y) { r = r + y; ";
        stat(2);
        out += " return r; }\nh(var p[], var q) { p[q % 4] += q; p[1]++; ";
        stat(2);
        out += " return p[1]; }\nhs(var p[4], var q) { return p[q % 4] + q; }\ngv(var y, ...) { return y * 2; }\npk(PUSH &q, var y) { return cell(q, y % 3) + y; }\n"
               "ga(ARRAY &g, var y) { var i; for (i = 0; i < 2; i++) { g[y % 3][i] = y; g[i][y % 4]++; } return g[y % 5][0] + y; }\n"
               "gr(ARRAY &g, var x, var y, var w, var h) { return g[y % 3][x % 3] + w * 10 + h * 100 + x; }\nmain() { var i, k = 1, w[3] = {k, \"t\"};\n";
        in_main = true;
        if (in.below(2)) out += "for (i = 0; i < 2; i++) k++;\n";   // main's form made at its first run
        while (!in.empty() && out.size() < 4000) stat(0);
        out += to_l ? "L: return a + n;\n}\n" : "return a + n;\n}\n";   // (a body without labels calls regularly)
        return out;
    }
};

// ---- one run and its outcome, as one text ----

// The stack budget depends on frame sizes, which the parsed forms do not share with the
// reader: a run that reached it is not compared.
bool stack_hit;

std::string run(const std::string &text, int cache, int tree = 0)
{
    CSV_U csv;
    csv.csv_create(8, 16);
    HOST host;
    host.host_ed_put(text.c_str());
    SCR_U scr;
    scr.scr_fn_table = lookup;
    scr.scr_csv = &csv;
    scr.scr_set_host(&host);
    scr.scr_cache_on = cache;
    scr.scr_tree_mode = tree;
    std::string o;
    int prep = scr.scr_prepare(PREP_SCRIPT_BEGIN);
    o += "prep " + std::to_string(prep) + " [" + host.shown + "]";
    if (prep == 0) {
        int st = -12345;
        int r = scr.scr_do_allstep(scr.scr_text, &st);
        o += " run " + std::to_string(r) + " st " + std::to_string(st) + " steps " + std::to_string(host.steps);
        o += " err[" + std::string(scr.scr_get_nowerr()) + "][" + scr.scr_get_preerr() + "]";
        o += " at " + std::to_string(scr.scr_errpos ? scr.scr_errpos - scr.scr_text : -1);
        stack_hit |= scr.scr_deep_err == 2;
        // formulas calling the script's functions, a few cells each (a callee's tree comes at
        // its second run)
        for (const char *form : {"f(RC[-1] + 1)", "f(R[1]C0) + g(a, RC[-2])", "gr(R0C0:R[1]C1) + gr(RC[-3]:R2C2) * gr(my, a, b, 1, 2)"})
            for (int y = 0; y < 3 && !stack_hit; y++) {
                VAL_U v;
                int r = scr.scr_calc_onecel(3, y, form, &v);
                o += " form " + std::to_string(r) + ":" + (v.val_kind == VAL_STR ? v.val_gets() : std::to_string(v.val_getd())) +
                     "[" + scr.scr_get_nowerr() + "] steps " + std::to_string(host.steps);
                stack_hit |= scr.scr_deep_err == 2;
            }
        scr.scr_prepare(PREP_SCRIPT_END);
        const SCR_VIEW &v = scr.view_vtbl;
        for (int r = 0; r < v.rows; r++)
            for (int c = 0; c < v.cols; c++) o += std::string("|") + v.view_get(r, c);
    }
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 8; x++) {
            char buf[64];
            const char *t = CSV_U::csv_cel_str(csv.csv_get_cel(x, y), buf);
            o += "/" + std::to_string(csv.csv_get_type(x, y)) + ":" + (t ? t : std::to_string(csv.csv_get_num(x, y)));
        }
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 20000) return 0;
    std::string text;
    if (size && data[0] == 'G') {
        GEN g(FUZZ_IN{data + 1, size - 1});
        text = g.script();
    } else {
        text.assign((const char *)data, size);
    }
    stack_hit = false;
    // (trees as a run makes them, and every tree at its first run)
    std::string with = run(text, 1), without = run(text, 0), tree = run(text, 1, 2), tree1 = run(text, 1, 1);
    if (stack_hit) return 0;
    if (((with != without || tree != with || tree1 != with) && getenv("FUZZ_SHOW")) || getenv("FUZZ_PRINT"))
        fprintf(stderr, "script:\n%s\ncached:\n%s\ntext:\n%s\ntree:\n%s\ntree as run:\n%s\n", text.c_str(), with.c_str(),
                without.c_str(), tree.c_str(), tree1.c_str());
    FUZZ_CHECK(with == without);
    FUZZ_CHECK(tree == with);
    FUZZ_CHECK(tree1 == with);
    return 0;
}
