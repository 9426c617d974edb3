// Interpreter timings in-process: each workload of bench/ linked and run on a headless host (a
// statement hook that only counts), with the parsed-form cache and without it. Prints the
// times, the statements run, the script's status (1 = ok) and the cache's bytes per byte of
// script text; last, the same for a generated script of about 1 MB.
#include <cstdio>
#include <ctime>
#include <string>

#include "app/kov.h"
#include "script/scr.h"
#include "sheet/csv.h"

static const char *const scripts[] = {"loop.scr", "fib.scr", "exchange.scr", "strings.scr", "sort.scr"};

struct COUNT_HOST : KOV_HOST {
    long steps = 0;
    long host_callback(int, intptr_t) override { return ++steps, 0; }
};

struct RUN {
    double ms;
    long steps, cache;
    int status;
};

static RUN run(CSV_U &csv, const std::string &text, int cache)
{
    COUNT_HOST host;
    host.host_ed_put(text.c_str());
    SCR_U scr;
    scr.scr_csv = &csv;
    scr.scr_set_host(&host);
    scr.scr_cache_on = cache;
    timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    int st = -1;
    if (scr.scr_prepare(PREP_SCRIPT_BEGIN) == 0) scr.scr_do_allstep(scr.scr_text, &st);
    clock_gettime(CLOCK_MONOTONIC, &t1);
    double ms = (t1.tv_sec - t0.tv_sec) * 1e3 + (t1.tv_nsec - t0.tv_nsec) / 1e6;
    return RUN{ms, host.steps, scr.scr_cache_bytes(), st};
}

static void report(const char *name, CSV_U &csv, const std::string &text)
{
    RUN on = run(csv, text, 1), off = run(csv, text, 0);
    printf("%-14s %9.1f ms cached %9.1f ms uncached (%.2fx)  %9ld statements  status %d/%d  cache %.1f B per byte\n",
           name, on.ms, off.ms, on.ms > 0 ? off.ms / on.ms : 0, on.steps, on.status, off.status,
           (double)on.cache / (double)text.size());
}

int main(int argc, char **argv)
{
    std::string dir = argc > 1 ? argv[1] : std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/'));
    CSV_U csv;
    csv.csv_create(256, 10000);
    for (const char *name : scripts) {
        std::string text;
        if (kov_read_script((dir + "/" + name).c_str(), text) != 0) {
            fprintf(stderr, "%s: cannot read\n", name);
            return 1;
        }
        report(name, csv, text);
    }
    // About 1 MB of distinct expression statements, each run once.
    std::string big = "main() {\n    var a = 1, b = 2, c = 3;\n";
    for (int i = 0; big.size() < (1u << 20); i++)
        big += "    a = (a * " + std::to_string(i % 97 + 1) + " + b - c) % 1000 + (b < c ? a : b);\n";
    big += "    return 1;\n}\n";
    report("1MB script", csv, big);
    return 0;
}
