// Faults of the settings file's save: what a killed save left, links, files the user may not write.
#include "ui/base/kovprof.h"
#include "tests/support/killed.h"
#include "tests/support/tmpdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace kov;
using namespace kovtest;

TEST(ProfFault, SaveRemovesWhatAKilledSaveLeft)
{
    TmpDir dir;
    PROF_U pf, other;
    ASSERT_EQ(pf.prof_set_path((dir / "k.ini").c_str(), "kovash"), 0);
    ASSERT_EQ(other.prof_set_path((dir / "o.ini").c_str(), "kovash"), 0);
    ASSERT_TRUE(killed_writing([&] { pf.prof_write_text("cse", "FONTSIZE", "12345678901234567890"); }));
    ASSERT_TRUE(killed_writing([&] { other.prof_write_text("cse", "FONTSIZE", "12345678901234567890"); }));
    std::vector<std::string> left = ls(dir.path);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].rfind(".k.ini.kovtmp-", 0), 0u) << left[0];
    EXPECT_EQ(pf.prof_write_text("cse", "FONTSIZE", "12"), 0);
    EXPECT_EQ(ls(dir.path), std::vector<std::string>({left[1], "k.ini"}));
}

// A dangling link gets its target, the link stays; a read-only file is not replaced.
TEST(ProfFault, LinksAndReadOnlyFiles)
{
    TmpDir dir;
    PROF_U pf;
    ASSERT_EQ(symlink("t.ini", (dir / "k.ini").c_str()), 0);
    ASSERT_EQ(pf.prof_set_path((dir / "k.ini").c_str(), "kovash"), 0);
    EXPECT_EQ(pf.prof_write_text("cse", "A", "1"), 0);
    EXPECT_EQ(slurp(dir / "t.ini"), "[cse]\r\nA=1\r\n");
    struct stat st;
    ASSERT_EQ(lstat((dir / "k.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    chmod((dir / "t.ini").c_str(), 0444);
    EXPECT_EQ(pf.prof_write_text("cse", "A", "2"), -1);
    EXPECT_EQ(slurp(dir / "t.ini"), "[cse]\r\nA=1\r\n");
    EXPECT_EQ(ls(dir.path), std::vector<std::string>({"k.ini", "t.ini"}));
}
