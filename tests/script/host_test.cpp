// The interpreter and its host: statement hook, error positions, preparation and relinking,
// the library cache (files through scripts: builtins/sys_test).
#include <gtest/gtest.h>

#include <string>

#include "scrtest.h"

using namespace scrtest;

namespace {

TEST(Host, HookBeforeEachStatementAndStop)
{
    ENV e;
    RUN r = e.run("var n; main(){ n = 1; n = 2; n = 3; return n; }");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(e.host.steps, 4);   // the body's statements; nothing in the link pass
    e.host.budget = 2;
    e.host.steps = 0;
    r = e.run("var n; main(){ n = 1; n = 2; n = 3; return n; }");
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.status, 1);       // stopped like exit(1): the run ends with the status 1
    EXPECT_EQ(e.num("n"), 2);
}

struct POS_CASE {
    const char *what;
    const char *text;
    int linked;           // the link pass succeeds (the error comes from the run)
    const char *err;
    int row, col;         // 0-based position of the error
};

const POS_CASE positions[] = {
    // A run error points at the innermost failing statement.
    {"run", "main(){\n  var a[2], i = 5;\n  if (1) {\n    a[i] = 1;\n  }\n  return 0;\n}\n", 1,
     "無効アクセス:a[0][5]", 3, 4},
    // A link error points where the parse gave up (far_pos).
    {"link", "main(){\n  var x;\n  x = 1 +;\n}\n", 0, "構文誤り", 2, 9},
    {"link call", "main(){\n  return g(1);\n}\nf(){ return 0; }\n", 0, "関数 g() がない", 1, 9},
    // CR is not a blank: a CR LF text fails at its first CR.
    {"crlf", "main(){\r\n return 1;\r\n}\r\n", 0, "構文誤り", 0, 7},
};

TEST(Host, ErrorPositions)
{
    for (const POS_CASE &c : positions) {
        RUN r = run(c.text);
        EXPECT_EQ(r.linked, c.linked) << c.what;
        EXPECT_FALSE(r.ran) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;
        EXPECT_EQ(r.row, c.row) << c.what;
        EXPECT_EQ(r.col, c.col) << c.what;
    }
}

TEST(Host, EveryRunLinksAnewFormulasOnlyWhenChanged)
{
    ENV e;
    const char *t = "var g = 1; main(){ g++; return g; }";
    EXPECT_EQ(e.run(t).status, 2);
    EXPECT_EQ(e.run(t).status, 2);   // globals start from their initial values
    EXPECT_EQ(e.num("g"), 2);
    EXPECT_EQ(e.scr.scr_prepare(PREP_FORM_BEGIN), 0);
    EXPECT_EQ(e.num("g"), 2);        // unchanged text: no relink
    e.host.host_ed_put(t);           // the same text, edited: a new stamp
    EXPECT_EQ(e.scr.scr_prepare(PREP_FORM_BEGIN), 0);
    EXPECT_EQ(e.num("g"), 1);        // changed text: linked again
    EXPECT_EQ(e.scr.scr_prepare(7), -1);
}

TEST(Host, MissingLabelLeavesNothingSought)
{
    ENV e;
    RUN r = e.run("f(){ goto nowhere; return 1; } main(){ return f(); }");
    EXPECT_EQ(r.err, "ラベル nowhere: がない");
    EXPECT_EQ(e.scr.ctx.goto_label[0], 0);
    VAL_U v;
    ASSERT_EQ(e.scr.scr_calc_onecel(0, 0, "R1C1 = 4", &v), 0);
    EXPECT_EQ(e.csv.csv_get_num(1, 1), 4);
}

TEST(Host, LibraryCacheLoadsOnce)
{
    SCR_U scr;
    void *a = scr.scr_load_dll("libm.so.6");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(scr.scr_load_dll("libm.so.6"), a);
    EXPECT_EQ(scr.scr_load_dll("/nonexistent/lib.so"), nullptr);
    EXPECT_EQ(scr.scr_dlls.dll_count(), 1u);   // a failure is not kept
    EXPECT_EQ(scr.scr_load_dll(""), nullptr);   // unloads all
    EXPECT_EQ(scr.scr_dlls.dll_count(), 0u);
}

}  // namespace
