#include "app/convert.h"
#include "app/kov.h"
#include "app/kovfname.h"
#include "tests/ui/tmpdir.h"
#include "ui/base/kovlog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <climits>
#include <cstring>
#include <set>

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
        kov::log_set_msgbox(nullptr);
        ASSERT_EQ(chdir(cwd), 0);
    }
    int start(const char *settings = nullptr)
    {
        if (settings) spit(ini, settings);
        return kov.kov_start(exe.c_str(), nullptr);
    }
    TmpDir dir;
    std::string exe, ini, log;
    char cwd[PATH_MAX];
    KOV_U kov;
};

} // namespace

TEST(Settings, TableRowsAreSound)
{
    std::set<std::string> keys;
    for (auto &s : kov_settings) {
        EXPECT_LE(s.min, s.def) << s.key;
        EXPECT_LE(s.def, s.max) << s.key;
        EXPECT_TRUE(keys.insert(std::string(s.sec) + "/" + s.key).second) << s.key;
    }
    EXPECT_STREQ(kov_settings[SET_RNWID].sec, "csv");
    EXPECT_STREQ(kov_settings[SET_DSPSIZY].key, "DSPSIZY");  // last row matches the enum
}

TEST_F(Kov, FirstStartWritesEveryDefault)
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
    EXPECT_EQ(got.rfind("[cse]\r\n", 0), 0u);
    EXPECT_NE(got.find("[csv]\r\nRNWID=5\r\n"), std::string::npos);
    EXPECT_EQ(kov.kov_fontsize, 16);
    EXPECT_EQ(kov.kov_dspflag, uint32_t(DSP_COLNAME | DSP_ROWNAME | DSP_VSCROLL | DSP_HSCROLL | DSP_TOOLBAR | DSP_STATBAR));
    EXPECT_FALSE(exists(log)) << "nothing to log without DEBUG";
}

TEST_F(Kov, SettingsAreClampedAndApplied)
{
    ASSERT_EQ(start("[cse]\nFONTSIZE=200\nDSPSIZX=100\nDSPSIZY=abc\nTOOLBAR=0\nCOLNAME=-3\n"
                    "VSCROLL=7\nWIDEFIX=1\nWPBEEP=1\nDIAMOND=1\nFULSIZE=1\n[csv]\nRNWID=0\n"), 0);
    EXPECT_EQ(kov.kov_fontsize, 96);
    EXPECT_EQ(kov.kov_dspx, 552);
    EXPECT_EQ(kov.kov_dspy, 48);
    EXPECT_EQ(kov.kov_dspflag & (DSP_TOOLBAR | DSP_COLNAME), 0u);
    EXPECT_NE(kov.kov_dspflag & DSP_VSCROLL, 0u);
    EXPECT_EQ(kov.csv_rnwide, 1);
    EXPECT_EQ(kov.csv_scrlock, 1);
    EXPECT_EQ(kov.kov_editable, 0);
    EXPECT_EQ(kov.csv_wpbeep, 1);
    EXPECT_EQ(kov.kov_diamond, 1);
    EXPECT_EQ(kov.kov_fulsize, 1);
    // Present values are left as the user wrote them.
    EXPECT_NE(slurp(ini).find("FONTSIZE=200\r\n"), std::string::npos);
}

TEST_F(Kov, DebugSettingTurnsOnTraceLines)
{
    ASSERT_EQ(start("[cse]\r\nDEBUG=1\r\nDSPSIZX=800\r\n"), 0);
    EXPECT_EQ(kov::log_get_debug(), 1);
    EXPECT_NE(slurp(log).find(" xw=800 yw=400\r\n"), std::string::npos);
}

TEST_F(Kov, PutSettingIsClamped)
{
    ASSERT_EQ(start(), 0);
    EXPECT_EQ(kov.kov_put_set(SET_FONTSIZE, 200), 0);
    EXPECT_EQ(kov.kov_get_set(SET_FONTSIZE), 96);
    EXPECT_EQ(kov.kov_put_set(SET_COUNT, 1), -1);
}

TEST_F(Kov, UnusableSettingsFileNeverStopsTheStart)
{
    ASSERT_EQ(mkdir(ini.c_str(), 0700), 0);  // a folder where the file should be
    ASSERT_EQ(start(), 0);
    EXPECT_EQ(kov.kov_fontsize, 16);
    EXPECT_EQ(kov.kov_dspx, 640);
    EXPECT_EQ(kov.csv_get_ys(), 10000);
}

TEST_F(Kov, AutoStartWithoutNameGivesNoname)
{
    ASSERT_EQ(start(), 0);
    ASSERT_EQ(kov.kov_auto_start(nullptr, "kov"), 0);
    std::string want = std::string(cwd) + "/noname.kov";
    EXPECT_STREQ(kov.csv_get_fname(), want.c_str());
    EXPECT_STREQ(kov.kov_get_title(), want.c_str());
    EXPECT_EQ(kov.kov_get_scrname(), std::string(cwd) + "/noname.scr");
    EXPECT_EQ(kov.win_loop(), 0);
}

TEST_F(Kov, SetFnameStoresTheFullPathAndScriptName)
{
    ASSERT_EQ(start(), 0);
    std::string name = dir / "Test.SCR";
    ASSERT_EQ(kov.csv_set_fname(name.c_str()), 0);
    EXPECT_EQ(kov.csv_get_fname(), dir / "Test.kov");
    EXPECT_EQ(kov.csv_get_dir(), dir.path);
    EXPECT_EQ(kov.kov_get_scrname(), dir / "Test.scr");
    EXPECT_EQ(kov.csv_set_fname(""), -1);
}

namespace {
std::string g_seen;
int fake_loader(KOV_U &kov, const char *path)
{
    g_seen = path;
    return kov.csv_put_num(0, 0, 42);
}
int fake_runner(KOV_U &kov, const char *scr)
{
    g_seen += std::string("|") + scr;
    return (int)kov.csv_get_num(0, 0) + 1;
}
std::vector<std::string> g_att;
void box(const char *t) { g_att.push_back(t); }
} // namespace

TEST_F(Kov, AutoStartLoadsTheSheetAndRunsAScript)
{
    ASSERT_EQ(start(), 0);
    kov_set_sheet_loader(fake_loader);
    kov_set_scr_runner(fake_runner);
    std::string scr = dir / "job.scr";
    g_seen.clear();
    EXPECT_EQ(kov.kov_auto_start(scr.c_str(), "kov"), 0);
    kov_set_sheet_loader(nullptr);
    kov_set_scr_runner(nullptr);
    EXPECT_EQ(g_seen, dir / "job.kov" + "|" + scr);
    EXPECT_EQ(kov.win_loop(), 43);  // the process ends with the script's status
    char now[PATH_MAX];
    ASSERT_NE(getcwd(now, sizeof now), nullptr);
    EXPECT_EQ(std::string(now), dir.path) << "the sheet's folder becomes the working folder";
}

TEST_F(Kov, FailedLoadIsReported)
{
    ASSERT_EQ(start(), 0);
    kov_set_sheet_loader(kov_load_sheet);
    kov::log_set_msgbox(box);
    g_att.clear();
    std::string name = dir / "bad.kov";
    ASSERT_EQ(mkdir(name.c_str(), 0755), 0);
    EXPECT_EQ(kov.kov_auto_start(name.c_str(), "kov"), -1);
    ASSERT_EQ(g_att.size(), 1u);
    EXPECT_EQ(g_att[0], name + " 読込み失敗");
    // A sheet that does not exist yet is a new one; a script argument without a runner fails.
    g_att.clear();
    name = dir / "none.scr";
    EXPECT_EQ(kov.kov_auto_start(name.c_str(), "kov"), -1);
    ASSERT_EQ(g_att.size(), 1u);
    EXPECT_EQ(g_att[0], name + " スクリプト実行はこの版では使えません");
    kov_set_sheet_loader(nullptr);
}

TEST(TimeZone, KeptWhenSetJapanWhenUnset)
{
    const char *old = getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "UTC0", 1);
    kov_set_tz();
    EXPECT_STREQ(getenv("TZ"), "UTC0");
    setenv("TZ", "", 1);  // set but empty still counts as set
    kov_set_tz();
    EXPECT_STREQ(getenv("TZ"), "");
    unsetenv("TZ");
    kov_set_tz();
    EXPECT_STREQ(getenv("TZ"), "JST-9");
    time_t t = 0;
    struct tm tm;
    localtime_r(&t, &tm);
    EXPECT_EQ(tm.tm_hour, 9);
    if (old) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}
