// Interpreter timings: each bench/*.scr script linked and run on a headless host (a statement
// hook that only counts). Prints the time, the statements run and the script's status (1 = ok).
#include <cstdio>
#include <ctime>
#include <string>

#include "app/kov.h"
#include "script/scr.h"
#include "sheet/csv.h"

static const char *const scripts[] = {"count.scr", "fib.scr", "strbuild.scr", "sort.scr"};

struct COUNT_HOST : KOV_HOST {
    long steps = 0;
    long host_callback(int, intptr_t) override { return ++steps, 0; }
};

int main(int argc, char **argv)
{
    std::string dir = argc > 1 ? argv[1] : std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/'));
    CSV_U csv;
    csv.csv_create(256, 10000);
    for (const char *name : scripts) {
        COUNT_HOST host;
        std::string text;
        if (kov_read_script((dir + "/" + name).c_str(), text) != 0) {
            fprintf(stderr, "%s: cannot read\n", name);
            return 1;
        }
        host.host_ed_put(text.c_str());
        SCR_U scr;
        scr.scr_csv = &csv;
        scr.scr_set_host(&host);
        timespec t0, t1;
        clock_gettime(CLOCK_MONOTONIC, &t0);
        int st = -1;
        if (scr.scr_prepare(PREP_SCRIPT_BEGIN) == 0) scr.scr_do_allstep(scr.scr_text, &st);
        clock_gettime(CLOCK_MONOTONIC, &t1);
        double ms = (t1.tv_sec - t0.tv_sec) * 1e3 + (t1.tv_nsec - t0.tv_nsec) / 1e6;
        printf("%-12s %9.1f ms  %9ld statements  status %d\n", name, ms, host.steps, st);
    }
    return 0;
}
