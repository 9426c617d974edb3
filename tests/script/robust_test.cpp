// No script text crashes the interpreter: deep nesting fails with its own message, huge and
// broken texts fail cleanly, endless runs stop through the host.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "scrtest.h"

using namespace scrtest;

namespace {

std::string rep(const char *s, int n)
{
    std::string r;
    for (int i = 0; i < n; i++) r += s;
    return r;
}

TEST(Robust, DeepNestingFailsWithItsMessage)
{
    const int N = 100000;
    const std::string texts[] = {
        "main(){ return " + rep("(", N) + "1" + rep(")", N) + "; }",
        "main(){ " + rep("{", N) + rep("}", N) + " return 1; }",
        "main(){ return " + rep("- ", N) + "1; }",
        "main(){ return " + rep("!", N) + "1; }",
        "main(){ " + rep("if (1) ", N) + "; return 1; }",
        "main(){ var x[3]; return " + rep("x[", N) + "0" + rep("]", N) + "; }",
        "main(){ var x; return " + rep("x = ", N) + "1; }",
        "main(){ return " + rep("1 ? ", N) + "1" + rep(" : 0", N) + "; }",
        "main(){ " + rep("while (0) ", N) + "; return 1; }",
        "main(){ return " + rep("sizeof ", N) + "1; }",
        "main(){ return " + rep("(int)", N) + "1; }",
        "main(){ return " + rep("~", N) + "1; }",
        "main(){ return " + rep("+ ", N) + "1; }",
        "main(){ " + rep("do ", N) + ";" + rep(" while (0);", N) + " return 1; }",
        "main(){ " + rep("for (;0;) ", N) + "; return 1; }",
        "main(){ if (0) ; " + rep("else if (0) ; ", N) + "return 1; }",
        "f(var x){ return x; } main(){ return " + rep("f(", N) + "0" + rep(")", N) + "; }",
    };
    for (const std::string &t : texts) {
        RUN r = run(t.c_str());
        EXPECT_FALSE(r.linked && r.ran);
        EXPECT_EQ(r.err, "入れ子が深すぎる") << t.substr(0, 30);
    }
}

TEST(Robust, ModerateNestingStillRuns)
{
    const int N = 200;
    std::string t = "main(){ " + rep("{", N) + "return " + rep("(", N) + "7" + rep(")", N) + ";" + rep("}", N) + " }";
    RUN r = run(t.c_str());
    EXPECT_TRUE(r.ran) << r.err;
    EXPECT_EQ(r.status, 7);
}

// Each level is read once: 40 levels would take 2^40 readings otherwise; a built-in or script
// call whose arguments fail is not read again as something else.
TEST(Robust, NestedTextsAreReadOnce)
{
    RUN r = run(("main(){ var x[3]; return " + rep("x[", 40) + "1" + rep("]", 40) + "; }").c_str());
    EXPECT_TRUE(r.ran && r.status == 0) << r.err;
    for (const std::string &t : {"main(){ return " + rep("strlen(1 + ", 40) + "; }",
                                 "f(var a){ return a; } main(){ return " + rep("f(1 + ", 40) + "; }",
                                 "main(){ var a[3]; return " + rep("a[", 40) + "0" + rep("] =", 40) + " ; }",
                                 "main(){ return " + rep("g(1 + ", 40) + "; }"})
        EXPECT_FALSE(run(t.c_str()).linked) << t.substr(0, 30);
}

TEST(Robust, HugeScriptAndManyDeclarations)
{
    std::string t = "main(){ var n = 0;\n";
    t += rep("n += 1; // filler filler filler filler filler filler filler filler filler\n", 140000);
    t += "return n; }\n";
    ASSERT_GT(t.size(), 10u * 1000 * 1000);
    ENV e;
    e.host.budget = -1;
    RUN r = e.run(t.c_str());
    EXPECT_TRUE(r.ran) << r.err;
    EXPECT_EQ(r.status, 140000);

    std::string d = "main(){ ";
    for (int i = 0; i < 100000; i++) d += "var v" + std::to_string(i) + ";";
    d += " v99999 = 5; return v99999; }";
    r = run(d.c_str());
    EXPECT_TRUE(r.ran) << r.err;
    EXPECT_EQ(r.status, 5);
}

TEST(Robust, HostStopsEndlessRuns)
{
    const char *texts[] = {
        "main(){ for (;;) ; }",
        "main(){ L: goto L; }",
        "f(){ return f() + f(); } main(){ return f(); }",
        "main(){ while (1) { var x; } }",
    };
    for (const char *t : texts) {
        ENV e;
        e.host.budget = 5000;
        RUN r = e.run(t);
        // The stop is exit(1): the run ends with the status 1, or the recursion limit ends it.
        EXPECT_TRUE(r.linked) << t;
        if (r.ran) {
            EXPECT_EQ(r.status, 1) << t;
        }
        EXPECT_LE(e.host.steps, 5001) << t;
    }
}

TEST(Robust, LinkTimeCodeStopsToo)
{
    ENV e;
    e.host.budget = 100;
    RUN r = e.run("f(){ for (;;) ; return 1; } var x = f(); main(){ return 0; }");
    EXPECT_FALSE(r.linked);
    EXPECT_EQ(r.err, "catch(E_EXIT 1)");
}

// A built-in that runs out of memory (or asks for a size beyond any) gives its failure value
// with "メモリ不足": the run goes on, and the next statement sees the error text.
int throw_nomem(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = 7, r.s = "x";
    if (c.arg[0].i) throw std::length_error("vector");
    throw std::bad_alloc();
}
const FN_DEF NOMEM[] = {
    {"ni", throw_nomem, "ii"}, {"nd", throw_nomem, "di"}, {"ns", throw_nomem, "si"},
    {"nx", throw_nomem, "xi"}, {"nv", throw_nomem, "vi"}, {"errmsg", nullptr, "s"}, {"", nullptr, ""},
};
const FN_DEF *nomem_lookup(const char *name)
{
    for (const FN_DEF *f = NOMEM; f->name[0]; f++)
        if (strcmp(f->name, name) == 0) return f;
    return nullptr;
}

TEST(Robust, BuiltinOutOfMemoryGivesItsFailureValue)
{
    const struct {
        const char *expr, *want;
    } rows[] = {
        {"ni(0)", "-1"}, {"ni(1)", "-1"}, {"nd(1)", "0"}, {"ns(0) == \"\"", "1"}, {"nx(1) == \"\"", "1"}, {"nv(0)", "0"},
    };
    for (auto &row : rows) {
        ENV e;
        e.scr.scr_fn_table = nomem_lookup;
        RUN r = e.run((std::string("var v; main(){ v = ") + row.expr + "; return 5; }").c_str());
        EXPECT_TRUE(r.ran) << row.expr << ": " << r.err;
        EXPECT_EQ(r.status, 5) << row.expr;
        EXPECT_EQ(std::to_string(int(e.num("v"))), row.want) << row.expr;
        EXPECT_STREQ(e.scr.scr_get_preerr(), "メモリ不足") << row.expr;
    }
}

}  // namespace
