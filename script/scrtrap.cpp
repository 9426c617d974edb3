// Hardware faults (SIGSEGV, SIGFPE, SIGILL, SIGBUS) while a script or a formula runs.
//
// The handler runs on an alternate stack, because a stack overflow faults too, and does only
// what is safe inside a signal handler: it copies the trace marks of the faulting run into a
// fixed buffer and jumps back to the innermost trap (scr_trap_run) with siglongjmp. The report
// (message box, views in the log) is made there, on the normal stack, and then E_SIGNAL is
// thrown as the run's or the formula's own catch expects.
//
// The frames between the fault and the trap are abandoned without their destructors: what they
// held leaks, and the interpreter's own counters are put back from the trap. That is sound
// enough because a trapped fault sets the fatal flag: from then on no script or formula runs in
// this process, and the user can only save the sheet and quit. The cells are changed only by
// complete store calls of the interpreter, never by the frames abandoned inside a built-in or a
// library function, so what is saved is what the sheet held.
//
// A fault outside every trap, or on another thread, is a crash of the program: the handler that
// was there before (the default action, or a sanitizer's report) is put back and the faulting
// instruction runs again.
#include <csetjmp>
#include <csignal>
#include <cstdio>

#include "script/scr.h"
#include "base/kovlog.h"

namespace {

struct TRAP {
    sigjmp_buf env;
    TRAP *prev;
    SCR_U *owner;
};
thread_local TRAP *trap_top = nullptr;

constexpr int FAULT_MARKS = 256;
SCR_MARK fault_marks[FAULT_MARKS];
const int fault_sigs[] = {SIGSEGV, SIGFPE, SIGILL, SIGBUS};
struct sigaction fault_old[4];   // what was installed before, for faults outside every trap

void kov_signal(int sig, siginfo_t *, void *)
{
    TRAP *t = trap_top;
    if (!t) {
        for (int k = 0; k < 4; k++)
            if (fault_sigs[k] == sig) sigaction(sig, &fault_old[k], nullptr);
        return;
    }
    int n = 0;
    for (SCR_MARK *m = t->owner->scr_marks; m && n < FAULT_MARKS; m = m->prev) fault_marks[n++] = {m->name, m->arg, nullptr};
    for (int i = 0; i + 1 < n; i++) fault_marks[i].prev = &fault_marks[i + 1];
    if (n == 0) fault_marks[0].name = nullptr;
    siglongjmp(t->env, sig);
}

} // namespace

void scr_signal_init()
{
    static int done = 0;
    if (done) return;
    done = 1;
    static char alt[64 * 1024];
    stack_t ss = {};
    ss.ss_sp = alt;
    ss.ss_size = sizeof alt;
    sigaltstack(&ss, nullptr);
    struct sigaction sa = {};
    sa.sa_sigaction = kov_signal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int k = 0; k < 4; k++) sigaction(fault_sigs[k], &sa, &fault_old[k]);
}

int SCR_U::scr_trap_run(int (*fn)(void *), void *arg)
{
    TRAP t;
    t.prev = trap_top;
    t.owner = this;
    SCR_MARK *const marks = scr_marks;
    const int deep = scr_deep, depth = func_depth;
    const void *lean = scr_lean_top();
    trap_top = &t;
    // The signal mask is not saved (that would be a system call per formula); after a jump the
    // fault's signal, blocked while its handler ran, is unblocked again.
    if (int sig = sigsetjmp(t.env, 0)) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, sig);
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
        trap_top = t.prev;
        scr_deep = deep;
        func_depth = depth;
        scr_lean_forget(lean);   // before the report's views ask the frames
        scr_marks = fault_marks[0].name ? fault_marks : nullptr;   // the stack as it faulted
        scr_fault(sig);
        scr_marks = marks;
        throw E_SIGNAL(sig);
    }
    try {
        int r = fn(arg);
        trap_top = t.prev;
        return r;
    } catch (...) {
        trap_top = t.prev;
        throw;
    }
}

void SCR_U::scr_fault(int sig)
{
    char what[32];
    switch (sig) {
    case SIGILL: snprintf(what, sizeof what, "未定義命令検出。"); break;
    case SIGFPE: snprintf(what, sizeof what, "FPE エラー。"); break;
    case SIGSEGV: snprintf(what, sizeof what, "メモリ不正アクセス。"); break;
    default: snprintf(what, sizeof what, "%d 例外発生。", sig); break;
    }
    KOV_ATT("%sデータ保存後, 即終了してください", what);
    int debug = kov::log_get_debug();
    kov::log_set_debug(1);
    try {
        scr_make_alltbl();
        scr_log_alltbl();
    } catch (const std::bad_alloc &) {
        KOV_LOG("メモリ不足");
    }
    kov::log_set_debug(debug);
}
