// The kovash program itself, run as a process from a copy in a temporary folder.
#include "tests/app/program.h"

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

TEST_F(Program, StartsSilentlyAndCreatesItsSettings)
{
    EXPECT_EQ(run(""), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    EXPECT_NE(slurp(dir / "kovash.ini").find("[cse]\r\nDEBUG=0\r\n"), std::string::npos);
}

TEST_F(Program, InfoNamesItsFilesAndTheSheet)
{
    EXPECT_EQ(run("--info"), 0);
    EXPECT_EQ(out, "settings: " + dir / "kovash.ini\n" + "log: " + dir / "kovash.LOG\n" + "sheet: " + dir / "noname.kov\n" +
                       "size: 256 x 10000\n");
}

TEST_F(Program, HelpAndUnknownOptions)
{
    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(out.rfind("usage: kovash [FILE]\n", 0), 0u);
    EXPECT_FALSE(exists(dir / "kovash.ini")) << "help touches no file";
    EXPECT_EQ(run("--nonsense"), 2);
    EXPECT_EQ(err.rfind("kovash: unknown option --nonsense\n", 0), 0u);
}

TEST_F(Program, MissingSheetIsANewEmptySheet)
{
    EXPECT_EQ(run("none.kov"), 0);
    EXPECT_EQ(err, "");
    EXPECT_FALSE(exists(dir / "none.kov")) << "nothing is written until the user saves";
}

TEST_F(Program, UnreadableSheetEndsWithFailureAndAUtf8Message)
{
    ASSERT_EQ(mkdir((dir / "bad.kov").c_str(), 0755), 0);
    EXPECT_EQ(run("bad.kov"), 255);
    EXPECT_EQ(err, dir / "bad.kov" + " \xE8\xAA\xAD\xE8\xBE\xBC\xE3\x81\xBF\xE5\xA4\xB1\xE6\x95\x97\n");  // 読込み失敗
    std::string log = slurp(dir / "kovash.LOG");
    EXPECT_EQ(log.rfind("[ATT]KOV(", 0), 0u);
    EXPECT_NE(log.find(" 読込み失敗\r\n"), std::string::npos);
}

TEST_F(Program, ScriptArgumentRunsAndEndsWithItsStatus)
{
    spit(dir / "kovash.ini", "[cse]\r\nDEBUG=1\r\n");
    spit(dir / "job.scr", "main()\n{\n    return 7;\n}\n");
    EXPECT_EQ(run("job.scr"), 7);
    EXPECT_EQ(err, "") << "a script without its sheet file is no error";
    std::string log = slurp(dir / "kovash.LOG");
    EXPECT_NE(log.find(" job.scr 自動起動\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" stat=7\r\n"), std::string::npos);
}
