// The log file. One write per line so that a crash leaves whole lines behind.
#include "base/kovlog.h"
#include "base/syshost.h"
#include "base/kovtext.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kov {

static std::string g_path;
int log_debug_on;
static SYS_HOST *g_host;

void log_set_path(const char *path) { g_path = path ? path : ""; }
const char *log_get_path() { return g_path.c_str(); }
void log_set_debug(int on) { log_debug_on = on ? 1 : 0; }
void log_set_host(SYS_HOST *host) { g_host = host; }
SYS_HOST *log_get_host() { return g_host; }

static void log_now(struct tm *now)
{
    time_t t = g_host ? g_host->host_now() : time(nullptr);
    if (!localtime_r(&t, now)) memset(now, 0, sizeof *now);
}

void log_old_path(const char *path, char *buf, int size)
{
    std::string s = path;
    size_t slash = s.rfind('/');
    size_t dot = s.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) s.resize(dot);
    s += ".OLD";
    snprintf(buf, size, "%s", s.c_str());
}

// Appends one line; a trailing end-of-file byte 0x1A left by old editors is overwritten.
static int log_append(const std::string &text)
{
    int fd = open(g_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    off_t end = lseek(fd, 0, SEEK_END);
    char last = 0;
    if (end > 0 && pread(fd, &last, 1, end - 1) == 1 && last == 0x1A) end--;
    ssize_t n = pwrite(fd, text.data(), text.size(), end);
    struct stat st;
    int full = fstat(fd, &st) == 0 && st.st_size >= LOG_ROTATE_SIZE;
    close(fd);
    if (full) {
        char old[4096];
        log_old_path(g_path.c_str(), old, sizeof old);
        unlink(old);
        rename(g_path.c_str(), old);
    }
    return n == (ssize_t)text.size() ? 0 : -1;
}

static void log_show(const char *msg)
{
    if (g_host) g_host->host_msgbox(msg, "", KOV_MB_OK);
    else fprintf(stderr, "%s\n", sj_to_utf8(msg).c_str());
}

// One message line with its header, when there is a log file.
static void log_line(int attention, const char *src, int line, const char *msg)
{
    if (g_path.empty()) return;
    struct tm t;
    log_now(&t);
    char head[128];
    snprintf(head, sizeof head, "%s%s(%5d) %02d/%02d/%02d %02d:%02d.%02d", attention ? "[ATT]" : " LOG ",
             src ? src : "", line, (t.tm_year + 1900) % 100, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
             t.tm_sec);
    std::string text = head;
    text += ' ';
    text += msg;
    text += "\r\n";
    log_append(text);
}

void log_vwrite(int attention, const char *src, int line, const char *fmt, va_list ap)
{
    if (!attention && !log_debug_on) return;
    // Two spare bytes show whether the 1024th byte starts a double-byte character.
    char msg[LOG_MSG_MAX + 2];
    vsnprintf(msg, sizeof msg, fmt, ap);
    msg[sj_cut(msg, LOG_MSG_MAX)] = 0;
    if (attention) log_show(msg);
    log_line(attention, src, line, msg);
}

void log_file_att(const char *src, int line, const char *name, const char *msg, int err)
{
    if (!name) name = "";
    if (!msg) msg = "";
    if (g_host) g_host->host_file_err(name, msg, err);
    else kov_print_file_err(stderr, name, msg, err);
    std::string text = std::string(name) + msg;
    text.resize(sj_cut(text.c_str(), LOG_MSG_MAX));
    log_line(1, src, line, text.c_str());
}

void log_write(int attention, const char *src, int line, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    log_vwrite(attention, src, line, fmt, ap);
    va_end(ap);
}

} // namespace kov
