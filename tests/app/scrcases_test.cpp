// End-to-end runs of the real kovash program on scripts, judged by what the outside sees: the end
// status, stderr (UTF-8), the log and the files. The language rules are tested in-process
// (tests/script); here only what needs the process: names, bytes of files, the stack, memory.
#include "tests/support/tmpdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace kovtest;

namespace {

// The address sanitizer reserves far more address space than it uses and holds freed memory on
// purpose: no memory limits under it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool ASAN = true;
#else
constexpr bool ASAN = false;
#endif

struct Outcome {
    int status = -1;     // exit status, or 1000 + signal
    std::string err;     // stderr
    long maxrss_kb = 0;  // largest resident size of the run
};

// A link (or copy) of the program in a folder of its own: kovash keeps its .ini and .LOG beside
// the program, and the built one must stay untouched.
struct Kovash {
    Kovash()
    {
        exe = home / "kovash";
        if (link(KOV_BIN, exe.c_str()) != 0 && system(("cp '" + std::string(KOV_BIN) + "' '" + exe + "'").c_str()) != 0)
            exe.clear();
    }
    std::string folder(const std::string &name)
    {
        std::string f = home / name;
        mkdir(f.c_str(), 0700);
        return f;
    }
    // "kovash SCRIPT" in folder, stdin from /dev/null, with a time and a memory limit so that a
    // runaway interpreter ends the run instead of the machine.
    Outcome run(const std::string &folder, const std::string &script, const char *limit = "30")
    {
        Outcome o;
        pid_t pid = fork();
        if (pid == 0) {
            int fi = open("/dev/null", O_RDONLY), fe = open((folder + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (chdir(folder.c_str()) != 0 || fi < 0 || fe < 0) _exit(120);
            dup2(fi, 0);
            dup2(fe, 1);
            dup2(fe, 2);
            unsetenv("DISPLAY");   // as on a machine without a screen
            unsetenv("WAYLAND_DISPLAY");
            setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
            setenv("XDG_STATE_HOME", (home / "state").c_str(), 1);
            struct rlimit lim = {2048ul << 20, 2048ul << 20};
            if (!ASAN) setrlimit(RLIMIT_AS, &lim);
            execlp("timeout", "timeout", "-k", "5", limit, exe.c_str(), script.c_str(), (char *)nullptr);
            _exit(122);
        }
        int st = 0;
        struct rusage ru = {};
        while (pid > 0 && wait4(pid, &st, 0, &ru) < 0 && errno == EINTR) {
        }
        o.maxrss_kb = ru.ru_maxrss;
        o.status = WIFEXITED(st) ? WEXITSTATUS(st) : 1000 + WTERMSIG(st);
        o.err = slurp(folder + "/stderr");
        return o;
    }
    TmpDir home;
    std::string exe;
};

Kovash &kovash()
{
    static Kovash k;
    return k;
}

std::string rep(const std::string &s, int n)
{
    std::string out;
    for (int i = 0; i < n; i++) out += s;
    return out;
}

std::string main_of(const std::string &body) { return "main()\n{\n" + body + "\n}\n"; }

std::string u8s(const char8_t *s) { return reinterpret_cast<const char *>(s); }

struct Case {
    std::string file;
    std::string text;
    int status;
    const char8_t *err;   // the whole of stderr (UTF-8)
};

const Case CASES[] = {
    {"status.scr", main_of("    return -2;"), 254, u8""},
    {"UPPER.SCR", main_of("    return 12;"), 12, u8""},
    // FILE:ROW:COL with the name and the message in UTF-8.
    {u8s(u8"日本.scr"), main_of("    return nothere();"), 255, u8"日本.scr:3:12: 関数 nothere() がない\n"},
    // CR LF lines; a tab and a Shift-JIS character (表 = 95 5C, trail byte '\') are one column each.
    {"crlf.scr", "main()\r\n{\r\n\tvar s = \"\x95\x5C\"; s = nothere();\r\n}\r\n", 255, u8"crlf.scr:3:19: 関数 nothere() がない\n"},
    // Nesting far past any limit stops with a message, not a stack overflow.
    {"deep.scr", main_of("    return " + rep("(", 100000) + "7" + rep(")", 100000) + ";"), 255, nullptr},
    {"calls.scr", "inc(var x)\n{\n    return x + 1;\n}\n" + main_of("    return " + rep("inc(", 100000) + "0" + rep(")", 100000) + ";"), 255, nullptr},
};

class Script : public ::testing::TestWithParam<Case> {};

TEST_P(Script, StatusAndMessage)
{
    const Case &c = GetParam();
    ASSERT_FALSE(kovash().exe.empty());
    std::string dir = kovash().folder("case");
    spit(dir + "/" + c.file, c.text);
    Outcome o = kovash().run(dir, c.file);
    EXPECT_EQ(o.status, c.status) << o.err;
    if (c.err) {
        EXPECT_EQ(o.err, u8s(c.err));
    } else {
        EXPECT_EQ(o.err.rfind(c.file + ":", 0), 0u) << o.err;
        EXPECT_GT((unsigned char)o.err[o.err.find(": ") + 2], 0x80u) << "a Japanese message: " << o.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Kovash, Script, ::testing::ValuesIn(CASES), [](const ::testing::TestParamInfo<Case> &i) {
    return "case" + std::to_string(i.index);
});

// A script name that is not a regular file cannot be read: the status is 1 and the reason is given: a folder, a device that
// never ends (read to the end it would take all memory), a FIFO (opening it would wait), nothing.
TEST(KovashFiles, OnlyRegularFilesAreScripts)
{
    std::string top = kovash().folder("special");
    ASSERT_EQ(mkdir((top + "/dir.scr").c_str(), 0700), 0);
    ASSERT_EQ(symlink("/dev/zero", (top + "/zero.scr").c_str()), 0);
    ASSERT_EQ(mkfifo((top + "/fifo.scr").c_str(), 0600), 0);
    for (const char *name : {"dir.scr", "zero.scr", "fifo.scr", "missing.scr"}) {
        Outcome o = kovash().run(top, name, "5");
        const char *why = name[0] == 'd' ? "Is a directory" : name[0] == 'm' ? "No such file or directory" : "not a regular file";
        EXPECT_EQ(o.status, 1) << name << ": " << o.err;
        EXPECT_EQ(o.err, (name[0] == 'm' ? "" : top + "/") + name + u8s(u8" 読込み失敗: ") + why + "\n");
    }
}

// The call-depth limit is an attention line: shown, and written to the log in Shift-JIS.
TEST(KovashFiles, DepthLimitIsLogged)
{
    std::string top = kovash().folder("log");
    spit(top + "/deep.scr", "down(var n)\n{\n    return down(n + 1);\n}\n" + main_of("    return down(0);"));
    Outcome o = kovash().run(top, "deep.scr");
    EXPECT_EQ(o.status, 255);
    EXPECT_EQ(o.err, u8s(u8"関数ネスト超過(100)\ndeep.scr:3:5: 関数ネスト超過(100)\n"));
    std::string log = slurp(kovash().home / "kovash.LOG");
    size_t at = log.find("関数ネスト超過(100)");   // narrow literals are Shift-JIS here
    ASSERT_NE(at, std::string::npos) << log;
    size_t line = log.rfind('\n', at);
    EXPECT_EQ(log.compare(line == std::string::npos ? 0 : line + 1, 5, "[ATT]"), 0);
}

// "kovash X.scr" first loads the sheet X.kov beside it, named from any folder; the run saves
// nothing. Without a sheet the script starts on an empty one.
TEST(KovashFiles, SheetBesideTheScript)
{
    std::string top = kovash().folder("sheet");
    const std::string sheet = "\"abc\",12\r\n7,\"x\"\r\n";
    spit(top + "/pl.kov", sheet);
    spit(top + "/pl.scr", main_of("    if (my[0][0] != \"abc\" || my[0][1] != 12 || my[1][1] != \"x\") return 1;\n"
                                  "    my[0][0] = 99;\n    return 31 + my[0][0] - 99;"));
    EXPECT_EQ(kovash().run(top, "pl.scr").status, 31);
    EXPECT_EQ(kovash().run(kovash().home.path, "sheet/pl.scr").status, 31);
    EXPECT_EQ(slurp(top + "/pl.kov"), sheet);
    spit(top + "/alone.scr", main_of("    return 40 + (my[0][0] == 0);"));
    EXPECT_EQ(kovash().run(top, "alone.scr").status, 41);
    EXPECT_FALSE(exists(top + "/alone.kov"));
}

// Locals, parameters and temporaries end with their calls: 10,000 calls that each make a
// 1000-element array and a long string stay small (kept, they would pass 300 MB).
TEST(KovashFiles, CallsGiveBackTheirMemory)
{
    std::string top = kovash().folder("memory");
    spit(top + "/m.scr", "work(var i)\n{\n    var a[1000];\n    var s = \"abcdefghijklmnopqrstuvwxyz\";\n"
                         "    a[999] = i;\n    s &= s;\n    return a[999];\n}\n" +
                             main_of("    var i, t = 0;\n    for (i = 0; i < 10000; i++)\n        t += work(1);\n    return t / 1000;"));
    Outcome o = kovash().run(top, "m.scr");
    EXPECT_EQ(o.status, 10) << o.err;
    if (!ASAN) {
        EXPECT_LT(o.maxrss_kb, 100 * 1024);
    }
}

} // namespace
