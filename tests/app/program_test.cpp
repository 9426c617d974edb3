// The kovash program run as a process, for what only the process shows: the exit status, stderr
// in UTF-8, the log beside the program, files that are no regular files, the folder a sheet
// makes current. The rules themselves are tested in-process.
#include "tests/support/program.h"

using namespace kovtest;

namespace {

// The program built beside the tests, with its window module.
struct Kovash : PROGRAM {
    void SetUp() override { copy("'" KOV_BIN "' '" KOV_WINMOD "'"); }
    int script(const std::string &name, const std::string &text)
    {
        spit(dir / name, text);
        return run("'" + name + "'");
    }
};

// Narrow literals are Shift-JIS here; what the program prints is UTF-8.
std::string u8(const char8_t *s) { return reinterpret_cast<const char *>(s); }

std::string main_of(const std::string &body) { return "main()\n{\n" + body + "\n}\n"; }

} // namespace

TEST_F(Kovash, StatusOfMain)
{
    EXPECT_EQ(script("status.scr", main_of("    return -2;")), 254);
    EXPECT_EQ(err, "");
}

// FILE:ROW:COL with the name and the message in UTF-8; CR LF lines are one line end, a tab and a
// Shift-JIS character (表 = 95 5C, trail byte '\') one column each.
TEST_F(Kovash, ErrorsAsFileRowColInUtf8)
{
    EXPECT_EQ(script(u8(u8"日本.scr"), main_of("    return nothere();")), 255);
    EXPECT_EQ(err, u8(u8"日本.scr:3:12: 関数 nothere() がない\n"));
    EXPECT_EQ(script("crlf.scr", "main()\r\n{\r\n\tvar s = \"\x95\x5C\"; s = nothere();\r\n}\r\n"), 255);
    EXPECT_EQ(err, u8(u8"crlf.scr:3:19: 関数 nothere() がない\n"));
}

// A FIFO is refused at once (opening it to read would wait for a writer).
TEST_F(Kovash, ScriptThatIsNoRegularFile)
{
    ASSERT_EQ(mkfifo((dir / "fifo.scr").c_str(), 0600), 0);
    EXPECT_EQ(run("fifo.scr"), 1);
    EXPECT_EQ(err, dir / "fifo.scr" + u8(u8" 読込み失敗: not a regular file\n"));
}

// "kovash sub/X.scr" loads the sheet sub/X.kov first, whose folder becomes the current one; the
// run saves nothing, and messages name the script as it was given.
TEST_F(Kovash, SheetBesideTheScript)
{
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0700), 0);
    const std::string sheet = "\"abc\",12\r\n7,\"x\"\r\n";
    spit(dir / "sub/pl.kov", sheet);
    EXPECT_EQ(script("sub/pl.scr", main_of("    var a[2], i = 3;\n    if (my[0][0] != \"abc\" || my[0][1] != 12) return 1;\n"
                                           "    my[0][0] = 99;\n    a[i] = 1;\n    return 0;")),
              255);
    EXPECT_EQ(err, u8(u8"sub/pl.scr:6:5: 無効アクセス:a[0][3]\n"));
    EXPECT_EQ(slurp(dir / "sub/pl.kov"), sheet);
}

// The call-depth limit is an attention line: shown, and written to the log in Shift-JIS.
TEST_F(Kovash, DepthLimitIsShownAndLogged)
{
    EXPECT_EQ(script("deep.scr", "down(var n)\n{\n    return down(n + 1);\n}\n" + main_of("    return down(0);")), 255);
    EXPECT_EQ(err, u8(u8"関数ネスト超過(100)\ndeep.scr:3:5: 関数ネスト超過(100)\n"));
    std::string log = slurp(dir / "kovash.LOG");
    size_t at = log.find("関数ネスト超過(100)");
    ASSERT_NE(at, std::string::npos) << log;
    size_t line = log.rfind('\n', at);
    EXPECT_EQ(log.compare(line == std::string::npos ? 0 : line + 1, 5, "[ATT]"), 0);
}

TEST_F(Kovash, ConvertFailures)
{
    EXPECT_EQ(run("--convert none.csv x.kov"), 1);
    EXPECT_EQ(err, u8(u8"kovash: none.csv 読込み失敗: No such file or directory\n"));
    EXPECT_FALSE(exists(dir / "x.kov"));
    spit(dir / "in.csv", "1,2\r\n");
    EXPECT_EQ(run("--convert in.csv out.xls"), 2);
    EXPECT_EQ(err, u8(u8"kovash: out.xls 出力ファイルの拡張子は .kov .csv .txt のどれか\n"));
}

TEST_F(Kovash, HelpAndWrongArguments)
{
    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(out.rfind("usage: kovash [--headless] [FILE]\n", 0), 0u);
    EXPECT_FALSE(exists(dir / "kovash.ini")) << "help touches no file";
    EXPECT_EQ(run("a.kov b.kov"), 2);
    EXPECT_EQ(err, "kovash: too many arguments: b.kov (kovash --help lists the usage)\n");
}

// A run without a window maps no Qt library; a folder is refused with the reason; a picture
// smaller than the window can be is made at the least size and said, and Qt's own notes stay off
// stderr.
TEST_F(Kovash, StartsWithoutQtRefusesFoldersAndClampsPictures)
{
    EXPECT_EQ(script("maps.scr", main_of("    return system(\"grep -q libQt6 /proc/$PPID/maps\");")), 1) << err;
    mkdir((dir / "sub").c_str(), 0755);
    EXPECT_EQ(run("sub"), 1);
    EXPECT_EQ(err, "kovash: sub: Is a directory\n");
    spit(dir / "t.kov", "");
    EXPECT_EQ(run("--screenshot p.png t.kov --size 100x20"), 0) << err;
    EXPECT_EQ(err.rfind("kovash: --size 100x20 is outside the window's ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    struct stat st;
    EXPECT_EQ(stat((dir / "p.png").c_str(), &st), 0);
}

// --print without a display: 100 rows make two A4 pages, each with its page-number line; a region
// without data prints nothing and says so; a region that is no range is refused.
TEST_F(Kovash, PrintsSheetIntoPdf)
{
    std::string csv;
    for (int y = 0; y < 100; y++) csv += "row" + std::to_string(y) + "," + std::to_string(y * 3) + "\r\n";
    spit(dir / "t.csv", csv);
    ASSERT_EQ(run("--print out.pdf t.csv"), 0) << err;
    ASSERT_EQ(system(("cd '" + dir.path + "' && pdfinfo out.pdf >info && pdftotext -layout out.pdf text").c_str()), 0);
    EXPECT_NE(slurp(dir / "info").find("Pages:           2"), std::string::npos) << slurp(dir / "info");
    std::string text = slurp(dir / "text");
    for (const char *want : {"row0", "297", "row99", "1/2 t.csv ", "2/2 t.csv "})
        EXPECT_NE(text.find(want), std::string::npos) << want;
    EXPECT_EQ(run("--print none.pdf t.csv --region R500C0:R600C3"), 1);
    EXPECT_EQ(err, "kovash: none.pdf: nothing printed\n");
    struct stat st;
    EXPECT_NE(stat((dir / "none.pdf").c_str(), &st), 0);
    EXPECT_EQ(run("--print bad.pdf t.csv --region A1:B2"), 2);
}
