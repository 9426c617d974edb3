#include "app/kovpath.h"
#include "tests/support/tmpdir.h"

#include <gtest/gtest.h>

using namespace kovtest;

TEST(Paths, BesideTheProgramWhenWritable)
{
    TmpDir dir;
    KOV_PATHS p;
    ASSERT_EQ(kov_make_paths((dir / "kovash").c_str(), &p), 0);
    EXPECT_EQ(p.dir + "|" + p.name + "|" + p.ini + "|" + p.log,
              dir.path + "|kovash|" + dir / "kovash.ini|" + dir / "kovash.LOG");
    ASSERT_EQ(kov_make_paths((dir / "kov.bin").c_str(), &p), 0);
    EXPECT_EQ(p.name + "|" + p.ini, "kov|" + dir / "kov.ini");
}

// A program folder that is not writable, or so deep that the settings path would be too long:
// the user's folders, made when needed.
TEST(Paths, UserFoldersOtherwise)
{
    TmpDir dir;
    spit(dir / "ro", "");   // a file as folder: not writable even for root
    std::string deep = dir / std::string(200, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
    deep += "/" + std::string(100, 'e');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
    EnvVar cfg("XDG_CONFIG_HOME", (dir / "cfg").c_str()), st("XDG_STATE_HOME", (dir / "st").c_str());
    for (std::string exe : {dir / "ro/kovash", deep + "/kovash"}) {
        KOV_PATHS p;
        ASSERT_EQ(kov_make_paths(exe.c_str(), &p), 0);
        EXPECT_EQ(p.ini + "|" + p.log, dir / "cfg/kovash/kovash.ini|" + dir / "st/kovash/kovash.LOG");
        EXPECT_TRUE(exists(dir / "cfg/kovash") && exists(dir / "st/kovash"));
    }
}

TEST(Paths, HomeDefaultsAndExtensions)
{
    TmpDir dir;
    EnvVar home("HOME", dir.path.c_str()), cfg("XDG_CONFIG_HOME", nullptr), st("XDG_STATE_HOME", "relative/ignored");
    EXPECT_EQ(kov_xdg_dir("XDG_CONFIG_HOME", ".config"), dir / ".config");
    EXPECT_EQ(kov_xdg_dir("XDG_STATE_HOME", ".local/state"), dir / ".local/state");
    EXPECT_EQ(kov_with_ext("/a.b/kovash", ".ini"), "/a.b/kovash.ini");
    EXPECT_EQ(kov_with_ext("/a/k.exe", ".LOG"), "/a/k.LOG");
    EXPECT_EQ(kov_with_ext("k.x.y", ""), "k.x");
}
