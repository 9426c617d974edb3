#include "app/kovpath.h"
#include "base/kovprof.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

std::string kov_self_exe(const char *argv0)
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) return std::string(buf, n);
    if (argv0 && realpath(argv0, buf)) return buf;
    return argv0 ? argv0 : "kovash";
}

std::string kov_with_ext(const std::string &path, const char *ext)
{
    size_t slash = path.rfind('/');
    size_t base = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < base) return path + ext;
    return path.substr(0, dot) + ext;
}

std::string kov_xdg_dir(const char *var, const char *fallback)
{
    const char *v = getenv(var);
    if (v && v[0] == '/') return v;
    const char *home = getenv("HOME");
    if (!home || !*home) {
        struct passwd *pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : "/tmp";
    }
    return std::string(home) + "/" + fallback;
}

// mkdir -p; 0 when the folder exists afterwards.
static int kov_mkdirs(const std::string &dir)
{
    for (size_t p = 1; p <= dir.size(); p++) {
        if (p < dir.size() && dir[p] != '/') continue;
        mkdir(dir.substr(0, p).c_str(), 0700);
    }
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 0 : -1;
}

static bool kov_dir_writable(const std::string &dir)
{
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access(dir.c_str(), W_OK) == 0;
}

int kov_make_paths(const char *exe, KOV_PATHS *p)
{
    p->exe = exe;
    size_t slash = p->exe.rfind('/');
    p->dir = slash == std::string::npos ? "." : p->exe.substr(0, slash);
    if (p->dir.empty()) p->dir = "/";
    std::string file = slash == std::string::npos ? p->exe : p->exe.substr(slash + 1);
    p->name = kov_with_ext(file, "");
    // A settings path the settings file refuses (too long) would mean defaults forever.
    std::string ini = kov_with_ext(p->exe, ".ini");
    if (kov_dir_writable(p->dir) && ini.size() <= (size_t)kov::PROF_PATH_MAX) {
        p->ini = ini;
        p->log = kov_with_ext(p->exe, ".LOG");
        return 0;
    }
    std::string cfg = kov_xdg_dir("XDG_CONFIG_HOME", ".config") + "/kovash";
    std::string st = kov_xdg_dir("XDG_STATE_HOME", ".local/state") + "/kovash";
    p->ini = cfg + "/kovash.ini";
    p->log = st + "/" + p->name + ".LOG";
    // A folder that cannot be made only means defaults and no log: never a stop.
    int rc = kov_mkdirs(cfg);
    return kov_mkdirs(st) | rc;
}
