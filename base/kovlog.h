// The log file: attention lines "[ATT]" always, trace lines " LOG " only with the setting DEBUG 1.
// Messages are Shift-JIS; the file is Shift-JIS like every other file of the program.
#pragma once
#include <cstdarg>
#include <ctime>

class SYS_HOST;

namespace kov {

// Where the log goes (program path with the extension "LOG"); until set, nothing is written.
void log_set_path(const char *path);
const char *log_get_path();
// Trace lines are written only while this is 1 (setting "DEBUG").
void log_set_debug(int on);
extern int log_debug_on;   // read inline: every trace line of the interpreter asks first
inline int log_get_debug() { return log_debug_on; }

// The host of the process: attention lines are shown in its message box, and the line headers
// take its clock (local time). Without one they go to stderr in UTF-8 with the system's clock.
void log_set_host(SYS_HOST *host);
SYS_HOST *log_get_host();

// Longest message in bytes (never ends inside a double-byte character) and the size at which
// the log file is renamed to its ".OLD" twin.
constexpr int LOG_MSG_MAX = 1024;
constexpr long LOG_ROTATE_SIZE = 0xA00000;

// The ".OLD" twin of a log path: the extension replaced (or appended) by "OLD".
void log_old_path(const char *path, char *buf, int size);

void log_write(int attention, const char *src, int line, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));
void log_vwrite(int attention, const char *src, int line, const char *fmt, va_list ap);

// An attention line about a file: name (the system's bytes, never converted) then msg
// (Shift-JIS), and the system's reason err (0: none) shown to the user but not logged.
void log_file_att(const char *src, int line, const char *name, const char *msg, int err);

} // namespace kov

#define KOV_ATT(...) ::kov::log_write(1, "KOV", __LINE__, __VA_ARGS__)
#define KOV_ATT_FILE(name, msg, err) ::kov::log_file_att("KOV", __LINE__, name, msg, err)
#define KOV_LOG(...)                                                  \
    do {                                                              \
        if (::kov::log_get_debug()) ::kov::log_write(0, "KOV", __LINE__, __VA_ARGS__); \
    } while (0)
