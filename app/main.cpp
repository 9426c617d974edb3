// kovash: the program entry. It reads the command line, chooses the host and starts the
// application object.
#include "app/clihost.h"
#include "app/convert.h"
#include "app/kov.h"
#include "app/kovfname.h"
#include "app/kovwin.h"

#include "kovversion.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#ifndef KOV_LIBDIR
#define KOV_LIBDIR "/usr/local/lib/kovash"
#endif

namespace {

const char usage_text[] =
    "usage: kovash [--headless] [FILE]\n"
    "       kovash --convert IN OUT [--calc N] [--encoding utf-8|sjis]\n"
    "       kovash --screenshot OUT.png FILE [--size WxH]\n"
    "       kovash --print OUT.pdf FILE [--region R0C0:R20C5]\n"
    "       kovash --info\n"
    "       kovash --help | -h\n"
    "       kovash --version\n"
    "\n"
    "FILE       a sheet (.kov, or any other name: a name without extension gets\n"
    "           .kov); a script (.scr) loads the sheet of the same name if there\n"
    "           is one, runs the script at once, and kovash exits with its status.\n"
    "           A sheet that does not exist yet is a new, empty sheet.\n"
    "--convert  load the sheet or CSV file IN (.kov, .csv, .txt), recalculate its\n"
    "           formulas (N passes; default one when it has formulas) and save it\n"
    "           as OUT: .kov the full format, .csv or .txt values only; OUT is\n"
    "           in IN's encoding (Shift-JIS, or UTF-8 as IN was) unless --encoding\n"
    "           names one\n"
    "--headless no window, even where there is a display (without a display\n"
    "           kovash always runs so)\n"
    "--screenshot  open FILE in the window, recalculate, save the window as a\n"
    "           PNG picture OUT.png and end (no display needed)\n"
    "--print    open FILE, recalculate, print every used cell (or the cells of\n"
    "           --region) into the PDF file OUT.pdf and end (no display needed)\n"
    "--info     print the settings file, the log file and the sheet size\n"
    "--help     print this text\n"
    "--version  print the version\n"
    "\n"
    "Exit status: 0 done; a script's own status for FILE.scr; 1 a file could\n"
    "not be read or written; 2 wrong arguments; 255 the script failed (its\n"
    "position and message are printed as FILE:ROW:COL: MESSAGE).\n"
    "\n"
    "Environment: TZ the time zone (default Japan time); KOVASH_NOCACHE=1 runs\n"
    "scripts from their text alone, without keeping parsed expressions.\n";

int usage_error(const char *what, const char *arg)
{
    fprintf(stderr, "kovash: %s %s (kovash --help lists the usage)\n", what, arg);
    return 2;
}

bool is_opt(const char *arg, const char *name) { return strcmp(arg, name) == 0; }

// "--size WxH": 0 / -1. The window brings the size within its least and largest, and says so.
int parse_size(const char *t, int &w, int &h)
{
    char x, end;
    return sscanf(t, "%d%c%d%c", &w, &x, &h, &end) == 3 && x == 'x' && w > 0 && h > 0 ? 0 : -1;
}

bool has_display() { return getenv("DISPLAY") || getenv("WAYLAND_DISPLAY") || getenv("QT_QPA_PLATFORM"); }

// The window's entry: -2 when it cannot be had (the caller runs without a window).
int window_main(const std::string &exe, int argc, char **argv, const KOV_WINOPT &opt)
{
    KOV_WINMAIN win = kov_window_load(exe.c_str());
    return win ? win(argc, argv, opt) : -2;
}

// A folder or another file that is no sheet is refused before anything opens.
int check_file_arg(const char *arg)
{
    struct stat st;
    if (!arg || stat(arg, &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
    fprintf(stderr, "kovash: %s: %s\n", arg, strerror(EISDIR));
    return 1;
}

} // namespace

KOV_WINMAIN kov_window_load(const char *exe)
{
    std::string dir = exe;
    dir.erase(dir.rfind('/') == std::string::npos ? 0 : dir.rfind('/') + 1);
    std::string err;
    for (std::string path : {dir + "kovash-window.so", std::string(KOV_LIBDIR) + "/kovash-window.so"}) {
        void *h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            if (err.empty()) err = dlerror();
            continue;
        }
        if (auto f = reinterpret_cast<KOV_WINMAIN>(dlsym(h, "kov_window_main"))) return f;
        err = dlerror();
    }
    fprintf(stderr, "kovash: no window: %s\n", err.c_str());
    return nullptr;
}

int main(int argc, char **argv)
{
    kov_set_tz();
    // --headless anywhere: no window even where there is a display.
    int headless = 0;
    std::vector<char *> args(argv, argv + argc);
    for (size_t k = 1; k < args.size(); k++)
        if (is_opt(args[k], "--headless")) headless = 1, args.erase(args.begin() + long(k--));
    argc = int(args.size());
    argv = args.data();
    const char *arg = argc > 1 ? argv[1] : nullptr;
    if (arg && is_opt(arg, "--convert")) return kov_convert(argc - 2, argv + 2);
    std::string exe = kov_self_exe(argv[0]);
    if (arg && is_opt(arg, "--screenshot")) {
        KOV_WINOPT opt = {exe.c_str(), nullptr, nullptr, 0, 0};
        if (argc != 4 && !(argc == 6 && is_opt(argv[4], "--size") && parse_size(argv[5], opt.width, opt.height) == 0))
            return usage_error("usage:", "kovash --screenshot OUT.png FILE [--size WxH]");
        opt.shot = argv[2];
        opt.file = argv[3];
        if (check_file_arg(opt.file)) return 1;
        int st = window_main(exe, argc, argv, opt);
        return st == -2 ? 1 : st;
    }
    if (arg && is_opt(arg, "--print")) {
        KOV_WINOPT opt = {exe.c_str(), nullptr, nullptr, 0, 0};
        if (argc != 4 && !(argc == 6 && is_opt(argv[4], "--region")))
            return usage_error("usage:", "kovash --print OUT.pdf FILE [--region R0C0:R20C5]");
        opt.pdf = argv[2];
        opt.file = argv[3];
        opt.region = argc == 6 ? argv[5] : nullptr;
        if (check_file_arg(opt.file)) return 1;
        int st = window_main(exe, argc, argv, opt);
        return st == -2 ? 1 : st;
    }
    if (argc > 2) return usage_error("too many arguments:", argv[2]);
    if (arg && (is_opt(arg, "--help") || is_opt(arg, "-h"))) {
        fputs(usage_text, stdout);
        return 0;
    }
    if (arg && is_opt(arg, "--version")) {
        printf("kovash %s\n", KOV_VERSION);
        return 0;
    }
    int info = arg && is_opt(arg, "--info");
    if (arg && !info && arg[0] == '-') return usage_error("unknown option", arg);
    if (check_file_arg(arg)) return 1;
    if (!headless && !info && has_display()) {
        KOV_WINOPT opt = {exe.c_str(), arg, nullptr, 0, 0};
        int st = window_main(exe, argc, argv, opt);
        if (st != -2) return st;
    }

    KOV_CLIHOST host;
    if (arg && kov_has_ext(arg, "scr")) host.cli_name = arg;
    KOV_U kov(&host);
    if (kov.kov_start(exe.c_str(), info ? nullptr : arg) < 0) return 1;
    if (kov.kov_auto_start(info ? nullptr : arg, "kov") < 0) return 1;
    if (info) return kov.kov_info(stdout);
    return kov.win_loop();
}
