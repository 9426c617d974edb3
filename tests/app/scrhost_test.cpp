// The command-line script host: reading script files and running them on the application object.
#include "app/kov.h"
#include "app/scrhost.h"
#include "tests/ui/tmpdir.h"

#include <gtest/gtest.h>

using namespace kovtest;

TEST(ScrHost, ReadTurnsCrLfIntoLfOnly)
{
    TmpDir dir;
    spit(dir / "a.scr", std::string("a\r\nb\rc\r\n\r\r\n") + std::string(70000, 'x') + "\r");
    std::string text;
    ASSERT_EQ(scr_read_file((dir / "a.scr").c_str(), text), 0);
    EXPECT_EQ(text.substr(0, 8), std::string("a\nb\rc\n\r\n", 8));
    EXPECT_EQ(text.size(), 8u + 70000u + 1u);
    EXPECT_EQ(text.back(), '\r');
    EXPECT_EQ(scr_read_file((dir / "none.scr").c_str(), text), -1);
}

TEST(ScrHost, RunsOnTheApplicationObjectAndReportsFailures)
{
    TmpDir dir;
    KOV_U kov;
    kov.csv_create(16, 16);
    spit(dir / "ok.scr", "f(var n)\r\n{\r\n    return n * 2;\r\n}\r\nmain() { my[1][2] = 5; return f(21); }\r\n");
    EXPECT_EQ(scr_run_file(kov, (dir / "ok.scr").c_str()), 42);
    EXPECT_EQ(kov.csv_get_num(2, 1), 5);   // my is the sheet
    spit(dir / "bad.scr", "main() { return 1 +; }");
    EXPECT_EQ(scr_run_file(kov, (dir / "bad.scr").c_str()), -1);
    EXPECT_EQ(scr_run_file(kov, (dir / "missing.scr").c_str()), -1);
}

TEST(ScrHost, ExampleTourEndsWith42)
{
    KOV_U kov;
    kov.csv_create(16, 16);
    std::string tour = std::string(KOV_TEST_DATA) + "/../../examples/tour.scr";
    EXPECT_EQ(scr_run_file(kov, tour.c_str()), 42);
}

#include "tests/app/program.h"
#include "ui/base/kovtext.h"

class ScrHostProgram : public ProgramTest {};

// The sheet's folder becomes the current one while loading; the script is found all the same,
// and messages name it as it was given.
TEST_F(ScrHostProgram, ScriptInASubfolderRunsAndReports)
{
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    spit(dir / "sub/ok.scr", "main()\r\n{\r\n    return 7;\r\n}\r\n");
    spit(dir / "sub/bad.scr", "main()\n{\n    var a[2], i = 3;\n    a[i] = 1;\n    return 0;\n}\n");
    std::string env = "HOME='" + dir.path + "' XDG_CONFIG_HOME= XDG_STATE_HOME= ";
    EXPECT_EQ(shell(env + "'" + exe + "' sub/ok.scr"), 7);
    EXPECT_EQ(err, "");
    EXPECT_EQ(shell(env + "'" + exe + "' sub/bad.scr"), 255);
    EXPECT_EQ(err, kov::sj_to_utf8("sub/bad.scr:4:5: 無効アクセス:a[0][3]\n"));   // stderr is UTF-8
}
