// The application object on a test host: settings into the window state, loading a sheet with
// its script, running it, and what it reports.
#include "app/kov.h"
#include "sheet/csvfile.h"
#include "tests/support/testhost.h"
#include "tests/support/tmpdir.h"
#include "base/kovlog.h"

#include <gtest/gtest.h>
#include <climits>

using namespace kovtest;

namespace {

// A KOV_U as if the program were <tmp>/kovash; the working folder is restored afterwards.
class Kov : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        exe = dir / "kovash";
        ini = dir / "kovash.ini";
        log = dir / "kovash.LOG";
    }
    void TearDown() override
    {
        kov::log_set_path(nullptr);
        kov::log_set_debug(0);
        ASSERT_EQ(chdir(cwd), 0);
    }
    int start(const char *settings = nullptr)
    {
        if (settings) spit(ini, settings);
        return kov.kov_start(exe.c_str(), nullptr);
    }
    std::vector<int> ws()
    {
        CSV_WINST w;
        host.host_win_get(w);
        return std::vector<int>(w.v, w.v + CSV_WS_COUNT);
    }
    TmpDir dir;
    std::string exe, ini, log;
    char cwd[PATH_MAX];
    TESTHOST host;
    KOV_U kov{&host};
};

// DSPPOSX DSPPOSY CSRPOSX CSRPOSY DSPSIZX DSPSIZY FONTSIZ TOOLBAR STATBAR ROWNAME COLNAME HSCROLL
// VSCROLL FULLSIZ
const std::vector<int> default_ws = {-1, -1, -1, -1, 640, 400, 16, 1, 1, 1, 1, 1, 1, 0};

} // namespace

TEST_F(Kov, FirstStartWritesEveryDefaultAndGivesItToTheHost)
{
    ASSERT_EQ(start(), 0);
    EXPECT_EQ(kov.csv_get_xs(), 256);
    EXPECT_EQ(kov.csv_get_ys(), 10000);
    std::string got = slurp(ini);
    for (auto &s : kov_settings) {
        char line[64];
        snprintf(line, sizeof line, "%s=%d\r\n", s.key, s.def);
        EXPECT_NE(got.find(line), std::string::npos) << s.key;
    }
    EXPECT_NE(got.find("[csv]\r\nRNWID=5\r\n"), std::string::npos);
    EXPECT_EQ(ws(), default_ws);
    EXPECT_FALSE(exists(log)) << "nothing to log without DEBUG";
}

TEST_F(Kov, SettingsAreClampedAndApplied)
{
    ASSERT_EQ(start("[cse]\nFONTSIZE=200\nDSPSIZX=100\nDSPSIZY=abc\nTOOLBAR=0\nCOLNAME=-3\n"
                    "VSCROLL=7\nWIDEFIX=1\nWPBEEP=1\nDIAMOND=1\nDEBUG=1\n[csv]\nRNWID=0\n"),
              0);
    EXPECT_EQ(ws(), std::vector<int>({-1, -1, -1, -1, 552, 48, 96, 0, 1, 1, 0, 1, 1, 0}));
    EXPECT_EQ(std::vector<int>({kov.csv_rnwide, kov.csv_scrlock, host.host_get_scrlock(), kov.csv_wpbeep,
                                host.host_get_diamond()}),
              std::vector<int>({1, 1, 1, 1, 1}));
    EXPECT_NE(slurp(ini).find("FONTSIZE=200\r\n"), std::string::npos) << "present values stay as written";
    EXPECT_EQ(kov::log_get_debug(), 1);
    EXPECT_EQ(kov.kov_put_set(SET_FONTSIZE, 200), 0);
    EXPECT_EQ(kov.kov_get_set(SET_FONTSIZE), 96);
    EXPECT_EQ(kov.kov_put_set(SET_COUNT, 1), -1);
}

// kovash X.scr: the sheet beside the script is loaded (its window state reaches the host), the
// script runs on it, and the loop ends with the script's status.
TEST_F(Kov, AutoStartLoadsTheSheetAndRunsItsScript)
{
    ASSERT_EQ(start(), 0);
    spit(dir / "job.kov", "\x02" "FOP_DSPSIZX\x03" "900\r\n\x02" "FOP_DSPSIZY\x03" "10\r\n"
                          "\x02" "FOP_FONTSIZ\x03" "2400\r\n"
                          "\x02" "FOP_CSRPOSX\x03" "1\r\n\x02" "FOP_CSRPOSY\x03" "2\r\n\x02" "FOP_SCRLOCK\x03" "1\r\n"
                          "41\r\n");
    spit(dir / "job.scr", "main()\r\n{\r\n    my[3][0] = 8;\r\n    return my[0][0] + 1;\r\n}\r\n");
    EXPECT_EQ(kov.kov_auto_start((dir / "job.scr").c_str(), "kov"), 0);
    EXPECT_EQ(kov.win_loop(), 42);
    EXPECT_EQ(kov.csv_get_num(0, 3), 8);
    EXPECT_EQ(std::vector<int>({ws()[CSV_WS_DSPSIZX], ws()[CSV_WS_DSPSIZY], ws()[CSV_WS_FONTSIZ], kov.csv_curx,
                                kov.csv_cury, host.host_get_scrlock()}),
              std::vector<int>({900, KOV_WIN_MINY, 96, 1, 2, 1}));
    char now[PATH_MAX];
    ASSERT_NE(getcwd(now, sizeof now), nullptr);
    EXPECT_EQ(std::string(now), dir.path) << "the sheet's folder becomes the working folder";
    // A failing script is shown at its position; the loop ends with -1.
    spit(dir / "bad.scr", "main()\n{\n    x = ;\n}\n");
    EXPECT_EQ(kov.kov_auto_start((dir / "bad.scr").c_str(), "kov"), 0);
    EXPECT_EQ(kov.win_loop(), -1);
    EXPECT_EQ(host.shown, "構文誤り");
    EXPECT_EQ(host.shown_at, (long)std::string("main()\n{\n    ").size());
}

TEST_F(Kov, FailedLoadsAreReportedAndKeepTheScriptFile)
{
    ASSERT_EQ(start(), 0);
    std::string name = dir / "bad.kov";
    ASSERT_EQ(mkdir(name.c_str(), 0755), 0);
    EXPECT_EQ(kov.kov_auto_start(name.c_str(), "kov"), -1);
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "file " + name + " 読込み失敗"), host.calls.end());
    // A script file that cannot be read: the editor holds no text, so saving the sheet leaves it.
    ASSERT_EQ(mkdir((dir / "s.scr").c_str(), 0755), 0);
    EXPECT_EQ(kov.cse_fload((dir / "s.kov").c_str()), -1);
    std::string text;
    EXPECT_EQ(host.host_ed_text(text), -1);
    CSVFILE_U file(kov);
    EXPECT_EQ(file.csv_fsave((dir / "s.kov").c_str(), nullptr), 0);
    EXPECT_TRUE(exists(dir / "s.scr"));
    // A script to run must be there; a sheet that is not there yet is a new one.
    EXPECT_EQ(kov.kov_auto_start((dir / "none.scr").c_str(), "kov"), -1);
    EXPECT_EQ(host.calls.back(), "file " + (dir / "none.scr") + " 読込み失敗");
    EXPECT_EQ(kov.kov_auto_start((dir / "none.kov").c_str(), "kov"), 0);
    EXPECT_EQ(host.host_ed_text(text), 0);
    EXPECT_EQ(text, "") << "a new sheet has a new, empty script";
}

// Saving under a new name writes the script beside it under that name; a failed save keeps the
// old names.
TEST_F(Kov, SaveAsTakesTheScriptAlong)
{
    ASSERT_EQ(start(), 0);
    ASSERT_EQ(kov.cse_fload((dir / "a.kov").c_str()), 0);
    host.host_ed_put("main() { return 1; }\n");
    ASSERT_EQ(kov.cse_fsave((dir / "b.kov").c_str()), 0);
    EXPECT_EQ(slurp(dir / "b.scr"), "main() { return 1; }\r\n");
    EXPECT_FALSE(exists(dir / "a.scr"));
    EXPECT_EQ(kov.csv_get_fname(), dir / "b.kov");
    EXPECT_EQ(kov.cse_fsave((dir / "no/c.kov").c_str()), -1);
    EXPECT_EQ(kov.csv_get_fname(), dir / "b.kov");
    EXPECT_EQ(std::string(kov.kov_get_scrname()), dir / "b.scr");
}

// A sheet and its script as a Linux editor writes them (UTF-8, the script with a byte-order
// mark): the script runs on Shift-JIS text, and a save writes both back as they came.
TEST_F(Kov, Utf8SheetAndScriptRunAndComeBackAsTheyWere)
{
    ASSERT_EQ(start(), 0);
    auto u8 = [](const char8_t *s) { return std::string(reinterpret_cast<const char *>(s)); };
    const std::string sheet = "\xEF\xBB\xBF" + u8(u8"\"名前\",41\r\n");
    const std::string script = "\xEF\xBB\xBF" + u8(u8"// 表示する\r\nmain()\r\n{\r\n    my[1][0] = \"漢字ｶﾅ\";\r\n"
                                                  u8"    return my[0][1] + 1;\r\n}\r\n");
    spit(dir / "job.kov", sheet);
    spit(dir / "job.scr", script);
    EXPECT_EQ(kov.kov_auto_start((dir / "job.scr").c_str(), "kov"), 0);
    EXPECT_EQ(kov.win_loop(), 42);
    char sbuf[9];
    EXPECT_STREQ(CSV_U::csv_cel_str(kov.csv_get_cel(0, 1), sbuf), "漢字ｶﾅ");
    EXPECT_STREQ(CSV_U::csv_cel_str(kov.csv_get_cel(0, 0), sbuf), "名前");
    EXPECT_EQ(std::vector<int>({kov.kov_enc, kov.kov_scr_enc}), std::vector<int>({kov::SJ_ENC_UTF8BOM, kov::SJ_ENC_UTF8BOM}));
    ASSERT_EQ(kov.cse_fsave((dir / "job.kov").c_str()), 0);
    EXPECT_EQ(slurp(dir / "job.scr"), script);
    EXPECT_EQ(kov::sj_guess(slurp(dir / "job.kov")), kov::SJ_ENC_UTF8BOM);
    // A new script of a UTF-8 sheet is written in UTF-8 too.
    spit(dir / "lone.kov", sheet);
    ASSERT_EQ(kov.cse_fload((dir / "lone.kov").c_str()), 0);
    host.host_ed_put("main() { return 0; } // 新\n");
    ASSERT_EQ(kov.cse_fsave((dir / "lone.kov").c_str()), 0);
    EXPECT_EQ(slurp(dir / "lone.scr"), "\xEF\xBB\xBF" + u8(u8"main() { return 0; } // 新\r\n"));
}

TEST(ScriptFile, ReadTurnsCrLfIntoLfOnly)
{
    TmpDir dir;
    spit(dir / "a.scr", std::string("a\r\nb\rc\r\n\r\r\n") + std::string(70000, 'x') + "\r");
    std::string text;
    ASSERT_EQ(kov_read_script((dir / "a.scr").c_str(), text), 0);
    EXPECT_EQ(text.substr(0, 8), std::string("a\nb\rc\n\r\n", 8));
    EXPECT_EQ(text.size(), 8u + 70000u + 1u);
    EXPECT_EQ(text.back(), '\r');
    // a CR as the last byte a read gives, its LF (or not) the first of the next read
    for (char after : {'\n', 'y'}) {
        spit(dir / "b.scr", std::string(65535, 'x') + '\r' + after + "z");
        ASSERT_EQ(kov_read_script((dir / "b.scr").c_str(), text), 0);
        EXPECT_EQ(text, std::string(65535, 'x') + (after == '\n' ? "\nz" : "\ryz"));
    }
    EXPECT_EQ(kov_read_script((dir / "none.scr").c_str(), text), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(kov_read_script(dir.path.c_str(), text), -1);
    EXPECT_EQ(errno, EISDIR);
}

TEST(TimeZone, KeptWhenSetJapanWhenUnset)
{
    EnvVar tz("TZ", "UTC0");
    kov_set_tz();
    EXPECT_STREQ(getenv("TZ"), "UTC0");
    setenv("TZ", "", 1);   // set but empty still counts as set
    kov_set_tz();
    EXPECT_STREQ(getenv("TZ"), "");
    unsetenv("TZ");
    kov_set_tz();
    EXPECT_STREQ(getenv("TZ"), "JST-9");
    time_t t = 0;
    struct tm tm;
    localtime_r(&t, &tm);
    EXPECT_EQ(tm.tm_hour, 9);
}
