// Tests that run the kovash program as a process: the program built beside the test program,
// a temporary folder to run it in, and its output caught.
#pragma once
#include "tests/support/tmpdir.h"

#include <gtest/gtest.h>
#include <climits>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kovtest {

// The kovash executable of this build; "" when it was not built.
inline std::string built_kovash()
{
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    std::string me(self, n);
    std::string exe = me.substr(0, me.rfind('/')) + "/../app/kovash";
    return exists(exe) ? exe : "";
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        exe = built_kovash();
        if (exe.empty()) GTEST_SKIP() << "kovash not built beside the tests";
        unsetenv("DISPLAY");   // the program as on a machine without a screen
        unsetenv("WAYLAND_DISPLAY");
    }
    // Runs a shell command line in the temporary folder, standard output and error into out and
    // err; returns the exit status (-1 when it did not exit).
    int shell(const std::string &cmd)
    {
        int st = system(("cd '" + dir.path + "' && " + cmd + " >out 2>err").c_str());
        out = slurp(dir / "out");
        err = slurp(dir / "err");
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    TmpDir dir;
    std::string exe, out, err;
};

} // namespace kovtest
