// Faults at the edges of the sheet files: escapes before double-byte characters, files that are
// no regular files, saves killed midway, links and files the user may not write.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "tests/support/file_facade.h"

using filetest::Sheet;
using filetest::sx;
using kovtest::ls;
using kovtest::slurp;
using kovtest::spit;

namespace {

// A save killed midway, for real: f runs in a child whose file size limit turns its first write
// beyond a few bytes into SIGXFSZ, which ends it as a kill would; true when it died so.
inline bool killed_writing(const std::function<void()> &f)
{
    pid_t pid = fork();
    if (pid == 0) {
        struct rlimit core = {0, 0}, size = {16, 16};
        setrlimit(RLIMIT_CORE, &core);
        setrlimit(RLIMIT_FSIZE, &size);
        signal(SIGXFSZ, SIG_DFL);
        f();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}

} // namespace

// An unknown escape stands for the character after the backslash, a double-byte one whole;
// the known escapes keep their meaning.
TEST(FileFault, EscapeBeforeDoubleByteCharacter)
{
    struct {
        const char *field, *val, *form;
    } rows[] = {
        {"\"D:\\data\\表示.txt\"", "D:data表示.txt", ""},
        {"\"a\\表b\"", "a表b", ""},
        {"a\\表", "a表", ""},
        {"{=\"\\表\\x41\"}", "", "\"表A\""},
        {"\"\\x41\\101\\\\\\\"\\q\"", "AA\\\"q", ""},
        {"\"\\\x81\"", "\x81", ""},   // a lead byte at the end has no second byte
    };
    for (auto &r : rows) {
        Sheet s;
        ASSERT_EQ(s.load(sx(r.field) + "\r\n"), 0) << r.field;
        EXPECT_EQ(s.val(0, 0), r.val) << r.field;
        EXPECT_EQ(s.form(0, 0), r.form) << r.field;
    }
    // What the writer escapes reads back as it was.
    const char *texts[] = {"表\\示", "\\表", "D:\\data\\表示.txt", "a\"b,c\\"};
    Sheet s, back;
    for (int y = 0; y < 4; y++) s.csv_put_str(0, y, texts[y]);
    s.csv_put_form(1, 0, "\"\\表\"&\"\\x5C\"");
    ASSERT_EQ(back.load(s.text()), 0);
    for (int y = 0; y < 4; y++) EXPECT_EQ(back.val(0, y), texts[y]);
    EXPECT_EQ(back.form(1, 0), "\"\\表\"&\"\\x5C\"");
}

// A pipe is no sheet file: every load fails at once instead of waiting for a writer.
TEST(FileFault, PipeFailsAtOnce)
{
    Sheet s;
    std::string fifo = s.path("x.kov");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CSV_RECT r = {0, 0, 1, 1};
    EXPECT_EQ(s.file.csv_fload(nullptr, fifo.c_str(), nullptr), -1);
    EXPECT_EQ(s.file.csv_fload(nullptr, fifo.c_str(), &r), -1);
    EXPECT_EQ(s.file.csv_fload_sub(nullptr, fifo.c_str(), nullptr), -1);
    // Nor is a pipe where a transfer file goes.
    ASSERT_EQ(mkfifo(s.file.csv_tmp_name("$$b").c_str(), 0600), 0);
    s.host.clip() = "1,2\r\n";
    EXPECT_EQ(s.file.csv_clip_paste(&r, 0), -1);
}

// The temporary file a killed save left is removed by the next save of that file; a temporary of
// another file, of a running save, or of another form stays.
TEST(FileFault, SaveRemovesWhatAKilledSaveLeft)
{
    Sheet s(50, 200);
    for (int y = 0; y < 200; y++) s.csv_put_str(0, y, "text to make the file long");
    for (const char *n : {"a.kov", "b.kov"})
        ASSERT_TRUE(killed_writing([&] { s.file.csv_fsave(s.path(n).c_str(), nullptr); }));
    std::vector<std::string> left = ls(s.dir.path);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].rfind(".a.kov.kovtmp-", 0), 0u) << left[0];
    std::string live = std::to_string(getpid());
    std::vector<std::string> kept = {left[1], ".a.kov.kovtmp-" + live + "-Ab12Cd", ".a.kov.kovtmp-99-Ab12",
                                     ".a.kov.kovtmp-x-Ab12Cd", "a.kov.Ab12Cd"};
    for (size_t i = 1; i < kept.size(); i++) spit(s.path(kept[i]), "x");
    std::string name = s.path("a.kov");
    ASSERT_EQ(s.file.csv_fsave(name.c_str(), nullptr), 0);
    kept.push_back("a.kov");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(ls(s.dir.path), kept);
}

// A dangling link is written through (its target created, the link kept); a file without write
// permission is refused as a failed write and stays as it was.
TEST(FileFault, LinksAndReadOnlyFiles)
{
    Sheet s;
    s.csv_put_num(0, 0, 1);
    ASSERT_EQ(mkdir(s.path("sub").c_str(), 0700), 0);
    ASSERT_EQ(symlink("sub/t.csv", s.path("d.csv").c_str()), 0);
    ASSERT_EQ(s.file.csv_fsave(s.path("d.csv").c_str(), nullptr), 0);
    struct stat st;
    ASSERT_EQ(lstat(s.path("d.csv").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(slurp(s.path("sub/t.csv")), "1\r\n");
    for (mode_t mode : {0444, 0440, 0400}) {
        std::string ro = s.path("r.kov");
        spit(ro, "old\r\n");
        chmod(ro.c_str(), mode);
        EXPECT_EQ(s.file.csv_fsave(ro.c_str(), nullptr), -1) << mode;
        EXPECT_EQ(s.host.last(), "file " + ro + " 書込失敗");
        EXPECT_EQ(slurp(ro), "old\r\n");
        EXPECT_EQ(ls(s.dir.path), std::vector<std::string>({"d.csv", "r.kov", "sub"}));
    }
}
