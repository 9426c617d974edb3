// Helpers the benchmark programs share: process memory figures, a clock, and a child process
// per case so that each case's peak memory is its own.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace bench {

// A field of /proc/self/status in kB (VmRSS, VmHWM, ...); -1 where there is none.
inline long status_kb(const char *field)
{
    FILE *f = fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    size_t n = strlen(field);
    while (fgets(line, sizeof line, f))
        if (strncmp(line, field, n) == 0 && line[n] == ':') kb = atol(line + n + 1);
    fclose(f);
    return kb;
}

// Milliseconds of the monotonic clock (<chrono> does not build with the Shift-JIS execution
// charset).
inline double now_ms()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Runs one case in a child process and waits for it; what it prints comes out in order.
template <class F> void in_child(F run)
{
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        run();
        fflush(stdout);
        _exit(0);
    }
    int st = 0;
    if (pid > 0) waitpid(pid, &st, 0);
}

} // namespace bench
