// The host without a window: nothing is drawn, the window state, the clipboard and the editor
// text are kept in memory, message boxes go to stderr, notices wait for the next pump.
#include "base/syshost.h"
#include "base/kovtext.h"

#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <ctime>

SYS_EVENTS::~SYS_EVENTS() = default;

SYS_HOST::SYS_HOST() = default;
SYS_HOST::~SYS_HOST() = default;

// ---- display ----

void SYS_HOST::host_status(const char *) {}
void SYS_HOST::host_beep() {}

int SYS_HOST::host_message(const char *text, int kind) { return host_msgbox(text, "", kind); }

int SYS_HOST::host_sound(const char *) { return 0; }

void kov_print_file_err(FILE *out, const char *name, const char *msg, int err)
{
    std::string why = err == KOV_ENOTREG ? ": not a regular file" : err ? std::string(": ") + strerror(err) : "";
    fprintf(out, "%s%s%s\n", name, kov::sj_to_utf8(msg).c_str(), why.c_str());
}

void SYS_HOST::host_file_err(const char *name, const char *msg, int err) { kov_print_file_err(stderr, name, msg, err); }

int SYS_HOST::host_msgbox(const char *text, const char *, int kind)
{
    fprintf(stderr, "%s\n", kov::sj_to_utf8(text ? text : "").c_str());
    return kind == KOV_MB_YESNO || kind == KOV_MB_YESNOCANCEL ? KOV_IDYES : KOV_IDOK;
}

// ---- run control ----

long SYS_HOST::host_callback(int code, intptr_t arg)
{
    if (in_callback || !host_ev) return 0;
    struct IN {
        int &f;
        explicit IN(int &f) : f(f) { f = 1; }
        ~IN() { f = 0; }
    } in(in_callback);
    return host_ev->kov_callback(code, arg);
}

void SYS_HOST::host_run_state(int) {}

int SYS_HOST::host_ask(const char *, std::string &) { return -1; }

int SYS_HOST::host_pump()
{
    // A notice may post another: serve what is there now, the rest at the next pump.
    std::vector<NOTICE> now;
    now.swap(posted);
    for (const NOTICE &n : now)
        if (host_ev) host_ev->kov_notify(n.code, n.arg);
    return 0;
}

void SYS_HOST::host_wait(int ms)
{
    if (ms <= 0) return;
    struct timespec ts = {ms / 1000, long(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

int SYS_HOST::host_loop()
{
    host_pump();
    return quit_status;
}

void SYS_HOST::host_quit(int status) { quit_status = status; }
void SYS_HOST::host_timer(int ms) { timer_ms = ms > 0 ? ms : 0; }
void SYS_HOST::host_post(int code, intptr_t arg) { posted.push_back({code, arg}); }

// ---- clock ----

time_t SYS_HOST::host_now() { return time(nullptr); }

uint32_t SYS_HOST::host_ticks()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

// ---- the script editor ----

int SYS_HOST::host_ed_text(std::string &text)
{
    if (!has_editor) return -1;
    text = ed_text;
    return 0;
}

void SYS_HOST::host_ed_put(const char *text)
{
    ed_text = text ? text : "";
    has_editor = text != nullptr;
    ed_stamp++;
}

long SYS_HOST::host_ed_stamp() { return has_editor ? ed_stamp : -1; }
const char *SYS_HOST::host_ed_name() { return ed_name.c_str(); }
void SYS_HOST::host_ed_setname(const char *name) { ed_name = name ? name : ""; }
void SYS_HOST::host_ed_show(const char *, long, long, const char *) {}

// ---- clipboard ----

int SYS_HOST::host_clip_put(const std::string &text)
{
    clip = text;
    return 0;
}

int SYS_HOST::host_clip_get(std::string &text)
{
    text = clip;
    return 0;
}

std::string SYS_HOST::host_tmp_dir()
{
    const char *t = getenv("TMPDIR");
    std::string d = t && *t ? t : "/tmp";
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    return d;
}
