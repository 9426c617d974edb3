// The kovash program as a process: a copy in a folder of its own (its settings and log go
// beside it), run there without a display on args, stdin from /dev/null, under a time limit (a
// run that waits or loops fails).
#pragma once
#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tests/support/tmpdir.h"

namespace kovtest {

struct PROGRAM : ::testing::Test {
    TmpDir dir;
    std::string out, err;   // what the last run printed
    // files: the program and what it loads beside it, copied into the folder.
    void copy(const std::string &files)
    {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        ASSERT_EQ(system(("cp " + files + " '" + dir.path + "'").c_str()), 0);
    }
    // The exit status, -1 when it did not exit; env: more "NAME=VALUE " settings.
    int run(const std::string &args, const std::string &env = "")
    {
        int st = system(("cd '" + dir.path + "' && HOME='" + dir.path + "' XDG_CONFIG_HOME= XDG_STATE_HOME= " + env +
                         "timeout -k 5 60 ./kovash " + args + " </dev/null >out 2>err").c_str());
        out = slurp(dir / "out");
        err = slurp(dir / "err");
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
};

} // namespace kovtest
