// Minimal log; the full format, rotation and 0x1A handling follow.
#include "ui/base/kovlog.h"
#include "ui/base/kovtext.h"

#include <cstdio>
#include <string>

namespace kov {

static std::string g_path;
static int g_debug;
static log_msgbox_fn g_msgbox;

void log_set_path(const char *path) { g_path = path ? path : ""; }
const char *log_get_path() { return g_path.c_str(); }
void log_set_debug(int on) { g_debug = on; }
int log_get_debug() { return g_debug; }
void log_set_msgbox(log_msgbox_fn fn) { g_msgbox = fn; }

void log_vwrite(int attention, const char *src, int line, const char *fmt, va_list ap)
{
    char msg[1025];
    vsnprintf(msg, sizeof msg, fmt, ap);
    if (attention) {
        if (g_msgbox) g_msgbox(msg);
        else fprintf(stderr, "%s\n", sj_to_utf8(msg).c_str());
    }
    if (g_path.empty() || (!attention && !g_debug)) return;
    FILE *f = fopen(g_path.c_str(), "ab");
    if (!f) return;
    fprintf(f, "%s%s(%5d) %s\r\n", attention ? "[ATT]" : " LOG ", src, line, msg);
    fclose(f);
}

void log_write(int attention, const char *src, int line, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    log_vwrite(attention, src, line, fmt, ap);
    va_end(ap);
}

} // namespace kov
