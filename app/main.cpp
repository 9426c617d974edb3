// kovash: the program entry.
#include "app/kov.h"

#include <cstring>

int main(int argc, char **argv)
{
    kov_set_tz();
    const char *arg = argc > 1 ? argv[1] : nullptr;
    if (arg && strcmp(arg, "--help") == 0) return kov_usage(stdout);
    if (arg && arg[0] == '-' && arg[1] == '-' && strcmp(arg, "--info") != 0
        /* further commands add their name here */) {
        fprintf(stderr, "kovash: unknown option %s\n", arg);
        kov_usage(stderr);
        return 2;
    }

    // Seams: each part that serves the command line installs itself here.
    //   script run of a ".scr" argument: kov_set_scr_runner(...);
    //   sheet file loading:               kov_set_sheet_loader(...);

    KOV_U &kov = kov_app();
    int info = arg && strcmp(arg, "--info") == 0;
    if (kov.kov_start(kov_self_exe(argv[0]).c_str(), info ? nullptr : arg) < 0) return -1;
    if (info) return kov.kov_auto_start(nullptr, "kov") < 0 ? -1 : kov.kov_info(stdout);
    // Commands that run on the opened store and end the process go here, e.g. --convert IN OUT.
    if (kov.kov_auto_start(arg, "kov") < 0) return -1;
    return kov.win_loop();
}
