// Other programs and the processor's I/O ports. A child process is waited for through the step
// call-back, so that the window stays alive and STOP ends the wait (and the child).
#include "builtins/fnutil.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

namespace {

// The group of the child being waited for. A SIGTERM, SIGINT or SIGHUP that ends kovash ends
// that group first, so that no shell outlives the sheet; then the signal does what it did.
volatile sig_atomic_t g_child = 0;
const int END_SIGS[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction g_was[std::size(END_SIGS)];
bool g_caught[std::size(END_SIGS)];

void on_end(int sig)
{
    pid_t pid = g_child;
    if (pid > 0) kill(-pid, SIGKILL);
    for (size_t k = 0; k < std::size(END_SIGS); k++)
        if (END_SIGS[k] == sig && g_caught[k]) sigaction(sig, &g_was[k], nullptr), g_caught[k] = false;
    raise(sig);
}

// The handlers of the ending signals while a child runs (not for a signal that is ignored).
struct END_GUARD {
    END_GUARD()
    {
        struct sigaction sa = {};
        sa.sa_handler = on_end;
        sigemptyset(&sa.sa_mask);
        for (size_t k = 0; k < std::size(END_SIGS); k++) {
            g_caught[k] = sigaction(END_SIGS[k], nullptr, &g_was[k]) == 0 && g_was[k].sa_handler != SIG_IGN;
            if (g_caught[k]) sigaction(END_SIGS[k], &sa, nullptr);
        }
    }
    ~END_GUARD()
    {
        g_child = 0;
        for (size_t k = 0; k < std::size(END_SIGS); k++)
            if (g_caught[k]) sigaction(END_SIGS[k], &g_was[k], nullptr), g_caught[k] = false;
    }
    END_GUARD(const END_GUARD &) = delete;
    END_GUARD &operator=(const END_GUARD &) = delete;
};

// Starts argv (argv[0] found on the PATH) in its own process group, with stdin from /dev/null
// when quiet; -1 when it cannot be started. The ending signals wait until the group is known.
pid_t start(const char *const argv[], bool quiet)
{
    int pipefd[2];   // closed by exec: a byte arriving means the exec failed
    if (pipe2(pipefd, O_CLOEXEC) != 0) return -1;
    sigset_t ends, was;
    sigemptyset(&ends);
    for (int sig : END_SIGS) sigaddset(&ends, sig);
    sigprocmask(SIG_BLOCK, &ends, &was);
    pid_t pid = fork();
    if (pid == 0) {
        if (quiet) {
            int fd = open("/dev/null", O_RDWR);
            if (fd >= 0) dup2(fd, 0), dup2(fd, 1), dup2(fd, 2);
        }
        setpgid(0, 0);
        for (int sig : END_SIGS) signal(sig, SIG_DFL);
        sigprocmask(SIG_SETMASK, &was, nullptr);
        execvp(argv[0], const_cast<char *const *>(argv));
        char e = 1;
        ssize_t told = write(pipefd[1], &e, 1);   // the parent learns of the failure or of our end
        _exit(told < 0 ? 126 : 127);
    }
    if (pid > 0) {
        setpgid(pid, pid);   // either side may set it first
        g_child = pid;
    }
    sigprocmask(SIG_SETMASK, &was, nullptr);
    close(pipefd[1]);
    char e;
    ssize_t n = pid > 0 ? read(pipefd[0], &e, 1) : -1;
    close(pipefd[0]);
    if (pid > 0 && n > 0) {
        waitpid(pid, nullptr, 0);
        g_child = 0;
        return -1;
    }
    return pid;
}

// Waits for the child through the step call-back; a stop kills it (its whole group) first.
int wait_child(SCR_U &s, pid_t pid)
{
    FN_PAINT_ON paint(s);
    int st = 0;
    try {
        while (waitpid(pid, &st, WNOHANG) == 0) {
            s.scr_callback(SCRCB_ONESTEP, 0);
            s.scr_host().host_wait(10);
        }
    } catch (...) {
        kill(-pid, SIGKILL);
        waitpid(pid, &st, 0);
        throw;
    }
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

// Starts argv and waits for it: its exit status, or -1 when it could not be started.
int run_child(SCR_U &s, const char *const argv[], bool quiet)
{
    END_GUARD guard;
    pid_t pid = start(argv, quiet);
    return pid > 0 ? wait_child(s, pid) : -1;
}

} // namespace

int fn_system(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    r.L = -1;
    if (!fn_script_only(s)) return 0;
    const char *argv[] = {"/bin/sh", "-c", c.arg[0].s, nullptr};
    r.L = run_child(s, argv, false);
    return 0;
}

// The desktop opens the file with its program ("open", "explore" or no verb); other verbs fail.
int fn_execute(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    std::string verb = c.arg[0].s;
    const char *file = c.arg[1].s;
    int rc = -1;
    if (verb.empty() || verb == "open" || verb == "explore") {
        const char *argv[] = {"xdg-open", file, nullptr};
        rc = run_child(s, argv, true) == 0 ? 0 : -1;
    }
    if (rc != 0) s.scr_set_FNCERR("%s(%s,%s,%s):実行失敗", s.scr_fn_name, c.arg[0].s, file, c.arg[2].s);
    r.L = rc;
    return 0;
}

// ---- I/O ports: only where the process may use them ----

namespace {

bool port_ok(SCR_U &s, int port, int width)
{
#if defined(__x86_64__) || defined(__i386__)
    if (port >= 0 && port <= 0x10000 - width && ioperm((unsigned long)port, (unsigned long)width, 1) == 0) return true;
#else
    (void)port;
    (void)width;
#endif
    s.scr_set_FNCERR("%s(%d):ポートを使えない", s.scr_fn_name, port);
    return false;
}

int port_in(SCR_U &s, const FN_CALL &c, FN_RET &r, int width)
{
    int port = c.arg[0].i;
    r.L = -1;
    if (!port_ok(s, port, width)) return 0;
#if defined(__x86_64__) || defined(__i386__)
    r.L = width == 1 ? inb((unsigned short)port) : width == 2 ? inw((unsigned short)port) : int32_t(inl((unsigned short)port));
#endif
    return 0;
}

int port_out(SCR_U &s, const FN_CALL &c, FN_RET &r, int width)
{
    int port = c.arg[0].i, v = c.arg[1].i;
    r.L = -1;
    if (!port_ok(s, port, width)) return 0;
#if defined(__x86_64__) || defined(__i386__)
    if (width == 1) outb((unsigned char)v, (unsigned short)port);
    else if (width == 2) outw((unsigned short)v, (unsigned short)port);
    else outl((unsigned)v, (unsigned short)port);
    r.L = v;
#endif
    return 0;
}

} // namespace

int fn__inp(SCR_U &s, const FN_CALL &c, FN_RET &r) { return port_in(s, c, r, 1); }
int fn__inpw(SCR_U &s, const FN_CALL &c, FN_RET &r) { return port_in(s, c, r, 2); }
int fn__inpd(SCR_U &s, const FN_CALL &c, FN_RET &r) { return port_in(s, c, r, 4); }
int fn__outp(SCR_U &s, const FN_CALL &c, FN_RET &r) { return port_out(s, c, r, 1); }
int fn__outpw(SCR_U &s, const FN_CALL &c, FN_RET &r) { return port_out(s, c, r, 2); }
int fn__outpd(SCR_U &s, const FN_CALL &c, FN_RET &r) { return port_out(s, c, r, 4); }
