// kovash: the program entry. Each command-line service adds its line here.
#include "app/convert.h"
#include "app/kov.h"
#include "app/scrhost.h"

#include <cstring>

static int usage(FILE *out)
{
    fputs("usage: kovash [FILE]\n"
          "       kovash --convert IN OUT\n"
          "       kovash --info\n"
          "       kovash --help\n"
          "\n"
          "FILE     a sheet (.kov); a script (.scr) runs at once and kovash exits\n"
          "         with the script's status\n"
          "--convert  load the sheet or CSV file IN and save it as OUT: .kov the\n"
          "         full format, .csv or .txt values only\n"
          "--info   print the settings file, the log file and the sheet size\n"
          "--help   print this text\n",
          out);
    return 0;
}

static bool is_opt(const char *arg, const char *name) { return arg && strcmp(arg, name) == 0; }

int main(int argc, char **argv)
{
    kov_set_tz();
    const char *arg = argc > 1 ? argv[1] : nullptr;
    if (is_opt(arg, "--help")) return usage(stdout);

    // Commands that end the process without the application object go here.
    if (is_opt(arg, "--convert")) return kov_convert(argc - 2, argv + 2);

    if (arg && strncmp(arg, "--", 2) == 0 && !is_opt(arg, "--info")) {
        fprintf(stderr, "kovash: unknown option %s\n", arg);
        usage(stderr);
        return 2;
    }

    // Services that the start-up calls back install themselves here:
    kov_set_scr_runner(scr_run_file);
    kov_set_sheet_loader(kov_load_sheet);

    KOV_U &kov = kov_app();
    int info = is_opt(arg, "--info");
    if (kov.kov_start(kov_self_exe(argv[0]).c_str(), info ? nullptr : arg) < 0) return -1;
    if (info) return kov.kov_auto_start(nullptr, "kov") < 0 ? -1 : kov.kov_info(stdout);
    if (kov.kov_auto_start(arg, "kov") < 0) return -1;
    return kov.win_loop();
}
