// Cell store figures: resident memory of big sheets, sort time of 100,000 rows.
// Each case runs in its own child process so that its memory figures start clean.
#include <cstdio>
#include <random>

#include "bench/benchutil.h"
#include "sheet/csv.h"

using bench::now_ms;
using bench::status_kb;

static void report(const char *what, long base_kb)
{
    long rss = status_kb("VmRSS"), hwm = status_kb("VmHWM");
    printf("%-44s VmRSS %7.1f MB (+%6.1f)  VmHWM %7.1f MB\n", what, rss / 1024.0, (rss - base_kb) / 1024.0,
           hwm / 1024.0);
}

static void empty_sheet(long base)
{
    CSV_U s;
    if (s.csv_create(1000, 1000000) < 0) return (void)puts("create failed");
    report("empty 1000 x 1000000", base);
    // Mark every row as the whole-sheet formula scan does: every row record becomes resident.
    for (int y = 0; y < s.csv_get_ys(); y++) s.csv_get_row(y)->noform = 1;
    report("empty 1000 x 1000000, every row marked", base);
}

static void cells_in_rows(long base)
{
    CSV_U s;
    s.csv_create(1000, 1000000);
    for (int y = 0; y < 1000; y++)
        for (int x = 0; x < 1000; x++) s.csv_put_num(x, y, x * 0.5 + y);
    report("1M numbers, 1000 full rows (sheet 1000x1M)", base);
}

static void cells_spread(long base)
{
    CSV_U s;
    s.csv_create(1000, 1000000);
    for (int y = 0; y < 1000000; y++) s.csv_put_num(0, y, y);
    report("1M numbers, one per row (sheet 1000x1M)", base);
}

static void sort_rows(long)
{
    CSV_U s;
    s.csv_create(10, 100000);
    std::mt19937 rng(42);
    char text[32];
    for (int y = 0; y < 100000; y++) {
        unsigned r = rng();
        if (r % 10 == 0) {
            snprintf(text, sizeof text, "key text %u", r % 5000);
            s.csv_put_str(2, y, text);
        } else if (r % 10 != 1) {
            s.csv_put_num(2, y, double(r % 100000));
        }
        for (int x = 0; x < 10; x++)
            if (x != 2) s.csv_put_num(x, y, x + y);
    }
    for (int order = 0; order < 2; order++) {
        double t0 = now_ms();
        int rc = s.csv_sort_rows(order, 2, 0, 100000);
        double ms = now_ms() - t0;
        printf("sort 100000 rows %s by a mixed key column: %8.1f ms (rc %d)\n", order ? "descending" : "ascending ", ms,
               rc);
    }
    double t0 = now_ms();
    s.csv_set_autowide(2);
    double ms = now_ms() - t0;
    printf("automatic widths of 10 x 100000 cells:     %8.1f ms\n", ms);
}

int main()
{
    void (*cases[])(long) = {empty_sheet, cells_in_rows, cells_spread, sort_rows};
    printf("CSV_CEL %zu bytes, CSV_ROW %zu bytes\n", sizeof(CSV_CEL), sizeof(CSV_ROW));
    for (auto run : cases) bench::in_child([run] { run(status_kb("VmRSS")); });
    return 0;
}
