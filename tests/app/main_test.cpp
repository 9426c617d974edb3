// The kovash program itself, run as a process from a copy in a temporary folder.
#include "tests/app/program.h"
#include "ui/base/kovtext.h"

#include <sys/stat.h>

using namespace kovtest;

namespace {

class Program : public ProgramTest {
protected:
    // A copy of the program in the temporary folder: its settings and log files go beside it.
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (IsSkipped()) return;
        std::string built = exe;
        exe = dir / "kovash";
        ASSERT_EQ(system(("cp '" + built + "' '" + exe + "'").c_str()), 0);
    }
    // Runs the copy with args, with a home folder of its own; returns the exit status.
    int run(const std::string &args)
    {
        return shell("HOME='" + dir.path + "' XDG_CONFIG_HOME= XDG_STATE_HOME= ./kovash " + args);
    }
};

} // namespace

TEST_F(Program, InfoNamesItsFilesAndTheSheet)
{
    EXPECT_EQ(run("--info"), 0);
    EXPECT_EQ(out, "settings: " + dir / "kovash.ini\n" + "log: " + dir / "kovash.LOG\n" + "sheet: " + dir / "noname.kov\n" +
                       "size: 256 x 10000\n");
}

TEST_F(Program, HelpVersionAndWrongArguments)
{
    for (const char *h : {"--help", "-h"}) {
        EXPECT_EQ(run(h), 0) << h;
        EXPECT_EQ(out.rfind("usage: kovash [--headless] [FILE]\n", 0), 0u) << h;
        EXPECT_NE(out.find("Exit status: 0 done;"), std::string::npos) << h;
    }
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(out.rfind("kovash ", 0), 0u);
    EXPECT_FALSE(exists(dir / "kovash.ini")) << "help touches no file";
    const struct { const char *args, *err; } wrong[] = {
        {"--nonsense", "kovash: unknown option --nonsense"},
        {"-x.kov", "kovash: unknown option -x.kov"},
        {"a.kov b.kov", "kovash: too many arguments: b.kov"},
        {"--info extra", "kovash: too many arguments: extra"},
        {"--help x", "kovash: too many arguments: x"},
    };
    for (auto &w : wrong) {
        EXPECT_EQ(run(w.args), 2) << w.args;
        EXPECT_EQ(err, std::string(w.err) + " (kovash --help lists the usage)\n");
        EXPECT_EQ(out, "");
    }
}

// A sheet that is there but cannot be read fails with the status 1 and a message that names it
// as the system spells it (here a UTF-8 name, never converted) with the system's reason; the
// script beside it does not run on an empty sheet.
TEST_F(Program, UnreadableSheetEndsWithFailureAndAUtf8Message)
{
    const std::string name = "\xE8\xA1\xA8k.kov";   // 表k.kov in UTF-8
    ASSERT_EQ(mkdir((dir / name).c_str(), 0755), 0);
    EXPECT_EQ(run(name), 1);
    const std::string failed = " \xE8\xAA\xAD\xE8\xBE\xBC\xE3\x81\xBF\xE5\xA4\xB1\xE6\x95\x97";  // 読込み失敗
    EXPECT_EQ(err, dir / name + failed + ": Is a directory\n");
    std::string log = slurp(dir / "kovash.LOG");
    EXPECT_EQ(log.rfind("[ATT]KOV(", 0), 0u);
    EXPECT_NE(log.find(dir / name + " 読込み失敗\r\n"), std::string::npos) << "the log keeps the specified text";
    ASSERT_EQ(mkdir((dir / "job.kov").c_str(), 0755), 0);
    spit(dir / "job.scr", "main()\n{\n    return 7;\n}\n");
    EXPECT_EQ(run("job.scr"), 1);
    EXPECT_EQ(err, dir / "job.kov" + failed + ": Is a directory\n");
}

// The sheet's folder becomes the current one while loading; the script is found all the same,
// and messages name it as it was given, in UTF-8. A first line "#!" makes a script a program.
TEST_F(Program, ScriptsInASubfolderRunAndReport)
{
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    spit(dir / "sub/ok.scr", "#!/usr/bin/env kovash\r\nmain()\r\n{\r\n    return 7;\r\n}\r\n");
    spit(dir / "sub/bad.scr", "main()\n{\n    var a[2], i = 3;\n    a[i] = 1;\n    return 0;\n}\n");
    EXPECT_EQ(run("sub/ok.scr"), 7);
    EXPECT_EQ(err, "");
    EXPECT_EQ(run("sub/bad.scr"), 255);
    EXPECT_EQ(err, kov::sj_to_utf8("sub/bad.scr:4:5: 無効アクセス:a[0][3]\n"));
    EXPECT_EQ(run("sub/none.scr"), 1);
    EXPECT_EQ(err, "sub/none.scr" + kov::sj_to_utf8(" 読込み失敗") + ": No such file or directory\n");
}

TEST_F(Program, ExampleTourEndsWith42)
{
    std::string tour = std::string(KOV_TEST_DATA) + "/../../examples/tour.scr";
    ASSERT_EQ(system(("cp '" + tour + "' '" + dir / "tour.scr'").c_str()), 0);
    EXPECT_EQ(run("tour.scr"), 42) << err;
}
