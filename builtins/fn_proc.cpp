// Other programs and the processor's I/O ports. A child process is waited for through the step
// call-back, so that the window stays alive and STOP ends the wait (and the child).
#include "builtins/fnutil.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

namespace {

// Starts argv (argv[0] found on the PATH) with stdin from /dev/null when quiet; -1 when it
// cannot be started.
pid_t start(const char *const argv[], bool quiet)
{
    int pipefd[2];   // closed by exec: a byte arriving means the exec failed
    if (pipe2(pipefd, O_CLOEXEC) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        if (quiet) {
            int fd = open("/dev/null", O_RDWR);
            if (fd >= 0) dup2(fd, 0), dup2(fd, 1), dup2(fd, 2);
        }
        setpgid(0, 0);
        execvp(argv[0], const_cast<char *const *>(argv));
        char e = 1;
        ssize_t told = write(pipefd[1], &e, 1);   // the parent learns of the failure or of our end
        _exit(told < 0 ? 126 : 127);
    }
    close(pipefd[1]);
    char e;
    ssize_t n = pid > 0 ? read(pipefd[0], &e, 1) : -1;
    close(pipefd[0]);
    if (pid > 0 && n > 0) {
        waitpid(pid, nullptr, 0);
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

} // namespace

int fn_system(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    r.L = -1;
    if (!fn_script_only(s)) return 0;
    const char *argv[] = {"/bin/sh", "-c", c.arg[0].s, nullptr};
    pid_t pid = start(argv, false);
    if (pid > 0) r.L = wait_child(s, pid);
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
        pid_t pid = start(argv, true);
        if (pid > 0) rc = wait_child(s, pid) == 0 ? 0 : -1;
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
    if (port >= 0 && port + width <= 0x10000 && ioperm((unsigned long)port, (unsigned long)width, 1) == 0) return true;
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
