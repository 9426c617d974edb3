// The log file: attention lines "[ATT]" always, trace lines " LOG " only with the setting DEBUG 1.
// Messages are Shift-JIS; the file is Shift-JIS like every other file of the program.
#pragma once
#include <cstdarg>
#include <ctime>

namespace kov {

// Where the log goes (program path with the extension "LOG"); until set, nothing is written.
void log_set_path(const char *path);
const char *log_get_path();
// Trace lines are written only while this is 1 (setting "DEBUG").
void log_set_debug(int on);
int log_get_debug();

// Attention lines are also shown to the user: the desktop layer installs a message box here;
// without one they go to stderr in UTF-8.
using log_msgbox_fn = void (*)(const char *sjis_text);
void log_set_msgbox(log_msgbox_fn fn);

// Local time of a line's header; tests install a fixed clock, nullptr restores the real one.
using log_clock_fn = void (*)(struct tm *now);
void log_set_clock(log_clock_fn fn);

// Longest message in bytes (never ends inside a double-byte character) and the size at which
// the log file is renamed to its ".OLD" twin.
constexpr int LOG_MSG_MAX = 1024;
constexpr long LOG_ROTATE_SIZE = 0xA00000;

// The ".OLD" twin of a log path: the extension replaced (or appended) by "OLD".
void log_old_path(const char *path, char *buf, int size);

void log_write(int attention, const char *src, int line, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));
void log_vwrite(int attention, const char *src, int line, const char *fmt, va_list ap);

} // namespace kov

#define KOV_ATT(...) ::kov::log_write(1, "KOV", __LINE__, __VA_ARGS__)
#define KOV_LOG(...)                                                  \
    do {                                                              \
        if (::kov::log_get_debug()) ::kov::log_write(0, "KOV", __LINE__, __VA_ARGS__); \
    } while (0)
