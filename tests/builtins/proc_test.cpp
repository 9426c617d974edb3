// Waits that STOP or a signal must be able to end: opening a FIFO nobody writes to, and a child
// of system() when kovash itself is ended.
#include "tests/support/fntest.h"
#include "tests/support/tmpdir.h"

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace {

TEST(Proc, FopenOfAFifoDoesNotWaitForTheOtherEnd)
{
    kovtest::TmpDir dir;
    std::string fifo = dir.path + "/p";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fntest::ENV e;
    const std::string q = "\"" + fifo + "\"";
    // No writer: the open returns and a read finds the end; no reader: a write open fails.
    EXPECT_EQ(e.eval("(n = fopen(" + q + ", \"rb\"), n >= 0 && fgetc(n) == -1 && fclose(n) == 0)", "var n;"), "1");
    EXPECT_EQ(e.eval("fopen(" + q + ", \"w\")"), "-1");
    EXPECT_EQ(e.err(), "fopen(" + fifo + ",w):オープン失敗");
    // With a writer the bytes arrive as from a file.
    EXPECT_EQ(e.eval("(n = fopen(" + q + ", \"rb\"), w = fopen(" + q + ", \"wb\"), fputc(65, w), fclose(w), fgetc(n))",
                     "var n, w;"),
              "65");
}

// kovash ended by SIGTERM, SIGINT or SIGHUP while system() waits: the command's whole process
// group ends with it, and the signal still ends kovash as it would have.
TEST(Proc, SystemChildEndsWithKovash)
{
    kovtest::TmpDir dir;
    std::string fifo = dir.path + "/pid";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);   // the orphaned command comes back to us
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        pid_t kov = fork();
        ASSERT_GE(kov, 0);
        if (kov == 0) {
            signal(sig, SIG_DFL);   // a test run under nohup starts with SIGHUP ignored
            fntest::ENV e;
            e.eval("system(\"echo $$ > " + fifo + "; exec sleep 30\")");
            _exit(3);
        }
        FILE *f = fopen(fifo.c_str(), "r");   // waits for the command to start
        ASSERT_NE(f, nullptr);
        int cmd = 0;
        ASSERT_EQ(fscanf(f, "%d", &cmd), 1);
        fclose(f);
        kill(kov, sig);
        int st = 0;
        ASSERT_EQ(waitpid(kov, &st, 0), kov);
        EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == sig) << sig;
        ASSERT_EQ(waitpid(cmd, &st, 0), cmd);
        EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGKILL) << "the command outlived kovash on " << sig;
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

} // namespace
