#include "base/kovprof.h"
#include "tests/support/tmpdir.h"

#include <gtest/gtest.h>
#include <dirent.h>

using namespace kov;
using namespace kovtest;

namespace {

class Prof : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(pf.prof_set_path(ini.c_str(), "kovash"), 0); }
    int entries()  // names in the folder: no temporary file may be left behind
    {
        int n = 0;
        DIR *d = opendir(dir.path.c_str());
        while (struct dirent *e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
        return n;
    }
    TmpDir dir;
    std::string ini = dir / "kovash.ini";
    PROF_U pf;
};

} // namespace

TEST_F(Prof, MissingKeysAreWrittenBackClamped)
{
    EXPECT_EQ(pf.prof_read_int("cse", "FONTSIZE", 16, 6, 96), 16);
    EXPECT_EQ(pf.prof_read_int("csv", "RNWID", 5, 1, 100), 5);
    EXPECT_EQ(pf.prof_write_int("cse", "DSPSIZX", 640, 552, 7992, 100), 0);
    EXPECT_EQ(pf.prof_write_int("", "K", 0, 0, 9, 7), 0);  // empty section: the default one
    EXPECT_EQ(slurp(ini), "[cse]\r\nFONTSIZE=16\r\nDSPSIZX=552\r\n[csv]\r\nRNWID=5\r\n[kovash]\r\nK=7\r\n");
    spit(ini, "[cse]\r\nFONTSIZE=200\r\n");
    static const PROF_KEY rows[] = {
        {"cse", "FONTSIZE", 16, 6, 96}, {"csv", "RNWID", 5, 1, 100}, {"cse", "ODD", 500, 0, 9}, {"cse", "", 1, 0, 1},
    };
    ASSERT_EQ(pf.prof_fill(rows, 4), 0);
    EXPECT_EQ(slurp(ini), "[cse]\r\nFONTSIZE=200\r\nODD=9\r\n[csv]\r\nRNWID=5\r\n");
    EXPECT_EQ(entries(), 1);
}

TEST_F(Prof, ValuesConvertLikeAtoiAndAreClamped)
{
    struct { const char *text; int min, max, want; } cases[] = {
        {"200", 6, 96, 96},   {"100", 552, 7992, 552}, {"12abc", 6, 96, 12}, {"  7", 0, 99, 7},
        {"+3", 0, 9, 3},      {"-5", -9, 9, -5},        {"-5", 0, 1, 0},      {"abc", 6, 96, 6},
        {"", 0, 1, 0},        {"99999999999999999999", 0, 7992, 7992},  {"-99999999999999", 1, 100, 1},
        {"\"42\"", 0, 99, 42},  // quotes around a value are not part of it
    };
    for (auto &c : cases) {
        spit(ini, std::string("[cse]\nKEY=") + c.text + "\n");
        EXPECT_EQ(pf.prof_read_int("cse", "KEY", 1, c.min, c.max), c.want) << c.text;
        EXPECT_EQ(slurp(ini), std::string("[cse]\nKEY=") + c.text + "\n") << "a present key is not rewritten";
    }
}

TEST_F(Prof, EmptyValueIsNotAMissingKey)
{
    spit(ini, "[cse]\r\nEMPTY=\r\n");
    std::string t = "junk";
    EXPECT_EQ(pf.prof_read_text("cse", "EMPTY", t), 0);
    EXPECT_EQ(t, "");
    EXPECT_EQ(pf.prof_read_text("cse", "GONE", t), -1);
    EXPECT_EQ(pf.prof_read_int("cse", "EMPTY", 16, 0, 99), 0);
    EXPECT_EQ(pf.prof_read_int("cse", "GONE", 16, 0, 99), 16);
    EXPECT_EQ(slurp(ini), "[cse]\r\nEMPTY=\r\nGONE=16\r\n");
}

TEST_F(Prof, BadNamesAndTextsAreRefused)
{
    std::string t;
    EXPECT_EQ(pf.prof_read_text("cse", "", t), -1);
    EXPECT_EQ(pf.prof_write_text("cse", "", "1"), -1);
    EXPECT_EQ(pf.prof_read_int("cse", "", 5, 0, 9), 5);
    EXPECT_EQ(pf.prof_write_text("cse", "K", "a\r\n[evil]"), -1);
    EXPECT_EQ(pf.prof_write_text("cse", "K", "\x81\n[evil]"), -1);   // a lead byte hides no line end
    EXPECT_EQ(pf.prof_write_text("cse", "A=B", "1"), -1);
    EXPECT_EQ(pf.prof_write_text("c]s", "K", "1"), -1);
    EXPECT_FALSE(exists(ini));
}

TEST_F(Prof, OtherLinesModeAndLinkSurviveAnUpdate)
{
    std::string real = dir / "real.ini";
    spit(real, "; my settings\nstray line\n[other]\nA = 1\n\n[ cse ]\nfontsize = 12\n; keep me\n\n[tail]\nB=2");
    chmod(real.c_str(), 0640);
    ASSERT_EQ(symlink(real.c_str(), ini.c_str()), 0);
    EXPECT_EQ(pf.prof_write_int("CSE", "FONTSIZE", 16, 6, 96, 30), 0);
    EXPECT_EQ(pf.prof_write_int("cse", "NEWKEY", 0, 0, 9, 3), 0);
    EXPECT_EQ(pf.prof_write_int("new", "K", 0, 0, 9, 4), 0);
    EXPECT_EQ(slurp(real), "; my settings\r\nstray line\r\n[other]\r\nA = 1\r\n\r\n[ cse ]\r\nfontsize=30\r\n"
                           "; keep me\r\nNEWKEY=3\r\n\r\n[tail]\r\nB=2\r\n[new]\r\nK=4\r\n");
    EXPECT_EQ(pf.prof_read_int("Other", "a", 0, 0, 9), 1);
    struct stat st;
    ASSERT_EQ(lstat(ini.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(Prof, PathOver280CharactersFails)
{
    std::string sub = dir / std::string(100, 'd');
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    std::string p280 = sub + "/" + std::string(280 - sub.size() - 1, 'f');
    ASSERT_EQ(pf.prof_set_path(p280.c_str(), "x") + pf.prof_read_int("cse", "K", 3, 0, 9), 3);
    EXPECT_EQ(slurp(p280), "[cse]\r\nK=3\r\n");
    std::string p281 = p280 + "g";
    EXPECT_EQ(pf.prof_set_path(p281.c_str(), "x"), -1);
    EXPECT_EQ(pf.prof_read_int("cse", "K", 4, 0, 9) + pf.prof_write_int("cse", "K", 4, 0, 9, 4), 3);  // default; refused
    EXPECT_FALSE(exists(p281));
}

TEST_F(Prof, UnusablePlacesGiveDefaultsAndAreNeverReplaced)
{
    spit(dir / "file", "x");
    ASSERT_EQ(mkdir((dir / "ini.d").c_str(), 0700), 0);  // a folder in the file's place, even for root
    for (std::string p : {dir / "nofolder/kovash.ini", dir / "file/kovash.ini", dir / "ini.d"}) {
        PROF_U q;
        ASSERT_EQ(q.prof_set_path(p.c_str(), "kovash"), 0);
        EXPECT_EQ(q.prof_read_int("cse", "DSPSIZX", 640, 552, 7992), 640) << p;
        EXPECT_EQ(q.prof_write_int("cse", "DSPSIZX", 640, 552, 7992, 700), -1) << p;
    }
    EXPECT_EQ(entries(), 2);
}
