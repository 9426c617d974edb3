#include "app/kovpath.h"
#include "tests/support/tmpdir.h"

#include <gtest/gtest.h>
#include <cstdlib>

using namespace kovtest;

namespace {
// Sets an environment variable for one test.
class Env {
public:
    Env(const char *name, const char *value) : name_(name)
    {
        const char *o = getenv(name);
        had_ = o != nullptr;
        if (o) old_ = o;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~Env()
    {
        if (had_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }
private:
    const char *name_;
    bool had_;
    std::string old_;
};
} // namespace

TEST(Paths, BesideTheProgramWhenWritable)
{
    TmpDir dir;
    KOV_PATHS p;
    std::string exe = dir / "kovash";
    ASSERT_EQ(kov_make_paths(exe.c_str(), &p), 0);
    EXPECT_EQ(p.dir, dir.path);
    EXPECT_EQ(p.name, "kovash");
    EXPECT_EQ(p.ini, dir / "kovash.ini");
    EXPECT_EQ(p.log, dir / "kovash.LOG");
    exe = dir / "kov.bin";
    ASSERT_EQ(kov_make_paths(exe.c_str(), &p), 0);
    EXPECT_EQ(p.name, "kov");
    EXPECT_EQ(p.ini, dir / "kov.ini");
}

TEST(Paths, UserFoldersWhenTheProgramFolderIsNotWritable)
{
    TmpDir dir;
    spit(dir / "ro", "");  // a file as folder: not writable even for root
    Env cfg("XDG_CONFIG_HOME", (dir / "cfg").c_str());
    Env st("XDG_STATE_HOME", (dir / "st").c_str());
    KOV_PATHS p;
    std::string exe = dir / "ro/kovash";
    ASSERT_EQ(kov_make_paths(exe.c_str(), &p), 0);
    EXPECT_EQ(p.ini, dir / "cfg/kovash/kovash.ini");
    EXPECT_EQ(p.log, dir / "st/kovash/kovash.LOG");
    EXPECT_TRUE(exists(dir / "cfg/kovash"));
    EXPECT_TRUE(exists(dir / "st/kovash"));
}

TEST(Paths, UserFoldersWhenTheSettingsPathWouldBeTooLong)
{
    TmpDir dir;
    std::string deep = dir / std::string(200, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
    deep += "/" + std::string(100, 'e');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
    Env cfg("XDG_CONFIG_HOME", (dir / "cfg").c_str());
    Env st("XDG_STATE_HOME", (dir / "st").c_str());
    KOV_PATHS p;
    ASSERT_EQ(kov_make_paths((deep + "/kovash").c_str(), &p), 0);
    EXPECT_EQ(p.ini, dir / "cfg/kovash/kovash.ini");
}

TEST(Paths, HomeDefaultsWithoutXdgVariables)
{
    TmpDir dir;
    Env home("HOME", dir.path.c_str());
    Env cfg("XDG_CONFIG_HOME", nullptr);
    Env st("XDG_STATE_HOME", "relative/ignored");
    EXPECT_EQ(kov_xdg_dir("XDG_CONFIG_HOME", ".config"), dir / ".config");
    EXPECT_EQ(kov_xdg_dir("XDG_STATE_HOME", ".local/state"), dir / ".local/state");
}

TEST(Paths, ExtensionReplaced)
{
    EXPECT_EQ(kov_with_ext("/a.b/kovash", ".ini"), "/a.b/kovash.ini");
    EXPECT_EQ(kov_with_ext("/a/k.exe", ".LOG"), "/a/k.LOG");
    EXPECT_EQ(kov_with_ext("k.x.y", ""), "k.x");
}
