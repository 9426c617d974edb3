// Library calls through dllcall against the C library, the maths library and the small library
// built beside these tests (tests/devices/lib), loaded by its path.

#include "tests/support/noleak.h"

#include "devices/devfunc.h"
#include "fntest.h"
#include "tests/support/appfix.h"
#include "tests/support/program.h"

using namespace fntest;

namespace {

const std::string LIB = KOV_DLLTEST;

// A call of the test library: dllcall(LIB, args...).
std::string kt(const std::string &args, const char *name = "dllcall") { return std::string(name) + "(\"" + LIB + "\", " + args + ")"; }

// An expression and its value (or its error text).
struct CASE {
    std::string expr, want;
};

struct DLL : ::testing::Test {
    static void SetUpTestSuite() { dev_install(); }
    ENV e;
    std::string eval(const std::string &expr) { return e.eval(expr); }
};

// Every letter as argument and as result, with the libraries of the system and our own.
TEST_F(DLL, TypeLetters)
{
    const CASE rows[] = {
        {"dllcall(\"libc.so.6\", \"abs\", \"ll\", -5)", "5"},
        {"dllpcall(\"libc.so.6\", \"abs\", \"ll\", -5)", "5"},
        {"dllcall(\"libc.so.6\", \"strlen\", \"ls\", \"abc\")", "3"},
        {"dllcall(\"libc.so.6\", \"strlen\", \"ls\", 12)", "0"},   // a number is no text: ""
        {"dllcall(\"libc.so.6\", \"strstr\", \"sss\", \"hello\", \"ll\")", "'llo'"},
        {"dllcall(\"libc.so.6\", \"strstr\", \"sss\", \"hello\", \"x\")", "empty"},   // null pointer
        {"dllcall(\"libm.so.6\", \"pow\", \"ddd\", 2, 10)", "1024"},
        {"dllcall(\"libm.so.6\", \"sqrtf\", \"ff\", 2.25)", "1.5"},
        // base and end pointer not given: zero, so strtol finds the base itself
        {"dllcall(\"libc.so.6\", \"strtol\", \"ls\", \"0x10\")", "16"},
        {kt("\"kt_add\", \"lll\", 2.9, -7.9"), "-5"},
        {kt("\"kt_0x1234\", \"b\""), "52"},
        {kt("\"kt_minus1\", \"w\""), "65535"},
        {kt("\"kt_mix\", \"sbwlfds\", 300, 70000, -7.9, 1.5, 2.25, \"abc\""), "'44 4464 -7 1.5 2.25 abc'"},
        {kt("\"kt_mix\", \"sbwlfds\", -1, -1, 2147483647, 0, -0.5, \"\""), "'255 65535 2147483647 0 -0.5 '"},
        {kt("\"kt_mix\", \"sbwlfds\", \"9\", \"9\", \"9\", \"9\", \"9\", 9"), "'0 0 0 0 0 '"},
        {kt("\"kt_echo\", \"ss\", \"かな\"") , "'かな'"},
        {kt("\"kt_null\", \"s\""), "empty"},
        {kt("\"kt_keep\", \"vl\", 4"), "empty"},
        {kt("\"kt_kept\", \"l\""), "4"},
        {kt("\"kt_d17\", \"ddddddddddddddddd\", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16"), "1496"},
        {kt("\"kt_d17\", \"dddddddddddddddddd\", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17"), "1785"},
    };
    for (const CASE &r : rows) EXPECT_EQ(eval(r.expr), r.want) << r.expr << " " << e.err();
}

// Every failure gives -1 and its message, and calls nothing.
TEST_F(DLL, Messages)
{
    const CASE rows[] = {
        {kt("\"kt_add\", \"\", 1"), "dllcall():関数型がない"},
        {kt("\"kt_add\", \"lx\", 1"), "dllcall():引数が無効"},
        {kt("\"kt_add\", \"lv\", 1"), "dllcall():引数が無効"},
        {kt("\"kt_add\", \"l\", 1"), "dllcall():引数数超過"},
        {kt("\"kt_add\", \"lll\", 1"), "dllcall():引数数不足"},
        {kt("\"kt_add\", \"lll\", 1", "dllpcall"), "dllpcall():引数数不足"},
        {kt("\"kt_d17\", \"dddddddddddddddddddd\", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17"),
         "dllcall():引数数不足"},
        {"dllcall(\"/nonexistent/lib.so\", \"f\", \"l\")", "dllcall(/nonexistent/lib.so):DLL 読込み失敗"},
        {"dllcall(\"\", \"f\", \"l\")", "dllcall():DLL 読込み失敗"},
        {kt("\"kt_none\", \"l\""), "dllcall(kt_none):関数読込み失敗"},
        {kt("\"kt_add\", \"xll\", 1, 2"), "dllcall(xll):関数型が無効"},
        {kt("\"kt_next\", \"l\", 1, 2"), "dllcall():引数数超過"},
    };
    EXPECT_EQ(eval(kt("\"kt_d17\", \"d\", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18")),
              "fail: dllcall():最大引数数超過");
    for (const CASE &r : rows) {
        EXPECT_EQ(eval(r.expr), "-1") << r.expr;
        EXPECT_EQ(e.err(), r.want) << r.expr;
    }
    EXPECT_EQ(eval(kt("\"kt_next\", \"l\"")), "1") << "none of the failing calls called";
}

// What the interpreter cannot hand the handler (18 values, another name) is still refused.
TEST_F(DLL, HandlerLimits)
{
    VAL_U vals[18];
    FN_CALL c;
    c.arg[0].s = LIB.c_str();
    c.arg[1].s = "kt_next";
    for (int k = 0; k < 18; k++) vals[k].val_putd(k), c.vargs[k] = &vals[k];
    FN_RET r;
    const struct {
        const char *letters, *name;
        int nvargs;
        const char *err;
    } rows[] = {
        {"llllllllllllllllllll", "dllcall", 18, "dllcall():引数数超過"},   // 18 argument letters and one more
        {"llllllllllllllllll", "dllcall", 18, "dllcall():引数数超過"},     // 17: the 18th value is one too many
        {"l", "other", 0, "other() 関数名が無効"},
    };
    for (auto &row : rows) {
        c.arg[2].s = row.letters, c.nvargs = row.nvargs, e.scr.scr_fn_name = row.name;
        e.scr.scr_set_FNCERR(nullptr);
        EXPECT_EQ(fn_dllcallX(e.scr, c, r), -1) << row.letters;
        EXPECT_EQ(std::string(e.scr.scr_get_nowerr()), row.err) << row.letters;
    }
    ASSERT_NE(r.x, nullptr);
    EXPECT_EQ(r.x->val_getd(), -1);
}

// A name is loaded once and stays loaded, with its state, until the interpreter ends; the
// ".dll" name of an old script finds the ".so" beside it.
TEST_F(DLL, LibraryCache)
{
    const std::string next = kt("\"kt_next\", \"l\"");
    EXPECT_EQ(eval(next), "1");
    EXPECT_EQ(eval(next), "2");   // the next run too: the interpreter keeps it
    EXPECT_EQ(e.scr.scr_dlls.dll_count(), 1u);
    std::string dll = LIB.substr(0, LIB.size() - 3) + ".dll";
    EXPECT_EQ(eval("dllcall(\"" + dll + "\", \"kt_next\", \"l\")"), "3");   // the same library
    EXPECT_EQ(e.scr.scr_dlls.dll_count(), 2u);
    EXPECT_EQ(e.scr.scr_load_dll(dll.c_str()), e.scr.scr_load_dll(LIB.c_str()));
    EXPECT_EQ(eval("dllcall(\"" + dll.substr(0, dll.size() - 4) + ".DLL\", \"kt_next\", \"l\")"), "4");
    {
        ENV other;   // a second interpreter holds its own reference
        other.runs = 1;   // the library's state outlives a run: not run twice to compare the ways
        EXPECT_EQ(other.eval(next), "5");
    }
    EXPECT_EQ(eval("dllcall(\"" + LIB + "x\", \"kt_next\", \"l\")"), "-1");
    EXPECT_EQ(e.scr.scr_dlls.dll_count(), 3u);
    EXPECT_EQ(e.scr.scr_load_dll(""), nullptr);   // unloads all: the state starts again
    EXPECT_EQ(e.scr.scr_dlls.dll_count(), 0u);
    EXPECT_EQ(eval(next), "1");
}

// A fault inside the library ends the run or the formula as a fault of the script does, and the
// program lives on.
using DLLAPP = kovtest::APP;

TEST_F(DLLAPP, FaultInsideTheLibrary)
{
    KOV_FAULT_LEAKS_OK;
    const std::string call = kt("\"kt_fault\", \"ll\", 8");
    host.host_ed_put(("f() { return " + call + "; }\nmain() { f(); return 3; }\n").c_str());
    EXPECT_EQ(kov.kov_do_scrpt(TST_SCRPT_RUN), -1);
    EXPECT_EQ(count("msgbox メモリ不正アクセス。データ保存後, 即終了してください"), 1);
    EXPECT_EQ(kov.scr_fatal, 1);

    KOV_U formula(&host);
    formula.csv_create(4, 4);
    host.host_ed_put("");
    formula.csv_put_form(0, 0, call.c_str());
    EXPECT_EQ(formula.csv_form_calc(nullptr), -1);
    EXPECT_EQ(count("msgbox メモリ不正アクセス。データ保存後, 即終了してください"), 2);
    EXPECT_EQ(std::string(formula.scr_get_nowerr()), "catch(E_SIGNAL)");
}

// The program without a window: the exit status, with stdout and stderr (UTF-8).
struct DLLProgram : kovtest::PROGRAM {
    void SetUp() override { copy("'" KOV_BIN "'"); }
    // A fault leaves what the frames it jumped over held (on purpose): no leak report at exit.
    int headless(const std::string &script) { return run("--headless '" + script + "'", "ASAN_OPTIONS=detect_leaks=0 "); }
};

// A fault in the library: the script fails with the fault's message, and so does the process.
TEST_F(DLLProgram, FaultHeadless)
{
    // the second call of f runs without entries (its frame on the native stack): the report's
    // views must not look at it
    for (const char *f : {"f(var n)\n{\n    if (n) ", "f(var n)\n{\n    var t = n + 1;\n    if (t > 1) "}) {
        kovtest::spit(dir / "f.scr", f + kt("\"kt_fault\", \"ll\", 8") + ";\n    return 0;\n}\n"
                                     "main()\n{\n    var i;\n    for (i = 0; i < 2; i++) f(i);\n    return 0;\n}\n");
        EXPECT_EQ(headless("f.scr"), 255);
        EXPECT_NE(err.find(reinterpret_cast<const char *>(u8"メモリ不正アクセス。")), std::string::npos) << err;
    }
}

TEST_F(DLLProgram, TheExampleRuns)
{
    EXPECT_EQ(headless(KOV_TEST_DATA "/../../examples/dllcall.scr"), 0) << err;
    EXPECT_EQ(out.substr(0, out.find('\n')), "abs(-5)                            5");
    EXPECT_NE(out.find(reinterpret_cast<const char *>(u8"dllcall(libnothing.so):DLL 読込み失敗")), std::string::npos) << out;
}

} // namespace
