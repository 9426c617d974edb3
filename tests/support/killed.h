// A save killed midway, for real: a child process whose file size limit turns its first write
// beyond a few bytes into SIGXFSZ, which ends it as a kill would.
#pragma once
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kovtest {

// Runs f in such a child; true when the child died of the signal.
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

} // namespace kovtest
