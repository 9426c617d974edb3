// System, files and processes: real files in a temporary folder, real child processes, the
// test host's clock for waits and its statement budget for STOP.
#include "tests/support/fntest.h"
#include "tests/support/tmpdir.h"

namespace {

struct ROW {
    std::string expr, want;
    const char *err;   // the function error left ("" none, nullptr unchecked)
};

void check(fntest::ENV &e, const ROW *rows, size_t n, const std::string &decl = "")
{
    for (size_t k = 0; k < n; k++) {
        EXPECT_EQ(e.eval(rows[k].expr, decl), rows[k].want) << rows[k].expr;
        if (rows[k].err) {
            EXPECT_EQ(e.err(), rows[k].err) << rows[k].expr;
        }
    }
}

TEST(Sys, PprintfAndMessages)
{
    fntest::ENV e;
    const ROW rows[] = {
        {"pprintf(\"%5.2f|%s|%d\", 3.14159, \"ab\", 7.9)", "' 3.14|ab|7'", ""},
        {"pprintf(\"%-3d|%+d|%*d|%x|%c|%%|%s\", 5, 5, 3, 7, 255, 65, 9)", "'5  |+5|  7|ff|A|%|'", ""},
        {"pprintf(\"%d %d\", 1)", "'!!!formaterr!!!'", "pprintf(%d):引数不足"},
        {"pprintf(\"%p\", 1)", "'!!!formaterr!!!'", "pprintf(p):引数が無効"},
        {"pprintf(\"%s\", 5)", "empty", ""}, {"strlen(pprintf(\"%5000d\", 1))", "4096", ""},
        {"message(\"YESNO\", \"go?\")", "'YES'", ""},
        {"message(\"NONE\", \"x\")", "empty", "message(NONE):引数が無効"},
        {"diskfree(\"CD\")", "-1", "diskfree(CD):引数が無効"},
        {"diskfree(\"c\") > 0 && disktotal(\"Z\") >= diskfree(\"c\")", "1", ""},
        {"(nopaint(1), nopaint(0))", "1", ""},
        {"(errmsg(), x = , 0)", "fail: 構文誤り", nullptr},
        {"(putenv(\"KOV_T=ab\"), getenv(\"KOV_T\"))", "'ab'", ""},
        {"_inp(-1)", "-1", "_inp(-1):ポートを使えない"},
    };
    e.host.answer = KOV_IDYES;
    check(e, rows, std::size(rows));
    EXPECT_NE(std::find(e.host.calls.begin(), e.host.calls.end(), "msgbox go?"), e.host.calls.end());
}

TEST(Sys, ScriptOnlyFunctionsRefuseInFormulas)
{
    fntest::ENV e;
    for (const char *f : {"pause(\"x\")", "sleep(100)", "system(\"true\")"}) {
        EXPECT_NE(e.calc(0, 0, std::string(f) + " + 3"), "fail") << f;
        std::string name(f, strchr(f, '(') - f);
        EXPECT_EQ(e.err(), name + " はセル式では無効");
    }
    EXPECT_EQ(e.host.ticks, 0u) << "no wait inside a formula";
}

TEST(Sys, FilesInTextAndBinaryMode)
{
    kovtest::TmpDir dir;
    fntest::ENV e;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string t = dir / "t.txt", b = dir / "b.bin";
    const std::string decl = "var n, m, s = \"\", c;";
    const ROW rows[] = {
        {"(n = fopen(\"" + t + "\", \"w\"), fputc(65, n), fputc(10, n), fclose(n))", "0", ""},
        {"(n = fopen(\"" + t + "\", \"a\"), fputc(66, n), fclose(n), n = fopen(\"" + t + "\", \"r\"), "
         "s = pprintf(\"%c%d%c%d\", fgetc(n), fgetc(n), fgetc(n), fgetc(n)), fclose(n), s)", "'A10B-1'", "fgetc():失敗"},
        {"(n = fopen(\"" + t + "\", \"rb\"), fseek(n, 0, \"SEEK_END\"), c = ftell(n), rewind(n), "
         "c * 1000 + fgetc(n) * 10 + (fgetc(n) == 13))", "4651", ""},
        {"fopen(\"" + b + "\", \"w+b\")", "-1", nullptr},
        {"fopen(\"" + t + "\", \"rb+\")", "-1", nullptr},
        {"fopen(\"" + dir / "none" + "\", \"r\")", "-1", nullptr},
        {"(n = fopen(\"" + t + "\", \"r\"), fseek(n, 1, \"END\"))", "-1", "fseek(1,END):引数が無効"},
        {"fclose(999)", "-1", "ファイルクローズ状態"},
        {"(mkdir(\"" + dir / "sub" + "\") + chdir(\"" + dir / "sub" + "\"), getcwd())", "'" + dir / "sub" + "'", ""},
    };
    check(e, rows, std::size(rows), decl);
    EXPECT_EQ(kovtest::slurp(t), "A\r\nB");
    EXPECT_EQ(e.err(), "");
    EXPECT_EQ(e.eval("chdir(\"" + std::string(cwd) + "\") + rmdir(\"" + dir / "sub" + "\") + rmdir(\"" + dir / "sub" + "\")"), "-1");
}

TEST(Sys, ChildProcessesAndWaits)
{
    fntest::ENV e;
    EXPECT_EQ(e.eval("system(\"exit 3\") * 10 + system(\"true\")"), "30");
    EXPECT_EQ(e.eval("system(\"kill -9 $$\")"), "137");
    EXPECT_EQ(e.eval("(sleep(250), 1)"), "1");
    EXPECT_GT(e.host.ticks, 250u) << "the wait is measured on the host's clock";
    EXPECT_EQ(e.eval("(sleep(0), 2)"), "2");
    // STOP while waiting: the run ends as exit(1) does, and a child is killed.
    e.host.budget = e.host.steps + 5;
    scrtest::RUN r = e.run("main(){ system(\"sleep 100\"); return 7; }");
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.status, 1);
    e.host.budget = e.host.steps + 5;
    r = e.run("main(){ sleep(100000000); return 7; }");
    EXPECT_EQ(r.status, 1);
    e.host.budget = -1;
    EXPECT_EQ(e.eval("execute(\"print\", \"x\", \"\")"), "-1");
    EXPECT_EQ(e.err(), "execute(print,x,):実行失敗");
}

} // namespace
