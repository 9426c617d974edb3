// Recalculation in-process: the sheets of bench/recalc.sh loaded once as --convert loads them,
// then passes of the whole sheet timed alone (no start-up, loading or writing): median of 9.
//   tall: 100,000 rows; column 0 is 1, then the cell above + 1; column 1 sums the ten cells
//         above in column 0 (100,000 + 99,990 formulas);
//   wide: 100 rows x 1000 columns, each the cell above + 1;
//   calls: 100,000 rows; column 0 as in tall, column 1 calls a script function of the cell
//          beside it (lean runs, then again as tree calls: KOVASH_LEAN=0's way);
//   ranges: 100,000 rows; column 0 as in tall, column 1 passes a range of three cells of column
//          0 to a script function (the sheet and the range's column, row, width and height).
// A pass whose results are wrong is reported instead of timed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/clihost.h"
#include "app/kov.h"
#include "bench/benchutil.h"
#include "sheet/csvfile.h"

namespace {

// A formula cell of the file format.
std::string form(const char *f) { return std::string("\x02") + f + "\x03"; }

std::string tall_sheet()
{
    std::string t = "\x02" "FOP_VER\x03" "1.00\r\n\x02" "FOP_YSIZ\x03" "100000\r\n";
    for (int y = 0; y < 100000; y++) {
        t += form(y == 0 ? "=1" : "=R[-1]C+1");
        if (y >= 10) t += "," + form("=SUM(R[-10]C[-1]:R[-1]C[-1])");
        t += "\r\n";
    }
    return t;
}

std::string wide_sheet()
{
    std::string t = "\x02" "FOP_VER\x03" "1.00\r\n\x02" "FOP_XSIZ\x03" "1000\r\n";
    for (int y = 0; y < 100; y++) {
        for (int x = 0; x < 1000; x++) t += (x ? "," : "") + form(y == 0 ? "=1" : "=R[-1]C+1");
        t += "\r\n";
    }
    return t;
}

// The values every pass must leave: the last row of each sheet.
bool tall_ok(const CSV_U &s)
{
    // Row y holds y + 1 in column 0, so the last row's sum is 99990 + ... + 99999.
    return s.csv_get_num(0, 99999) == 100000 && s.csv_get_num(1, 99999) == 999945;
}

bool wide_ok(const CSV_U &s) { return s.csv_get_num(0, 99) == 100 && s.csv_get_num(999, 99) == 100; }

std::string calls_sheet()
{
    std::string t = "\x02" "FOP_VER\x03" "1.00\r\n\x02" "FOP_YSIZ\x03" "100000\r\n";
    for (int y = 0; y < 100000; y++) t += form(y == 0 ? "=1" : "=R[-1]C+1") + "," + form("=f(RC[-1])") + "\r\n";
    return t;
}

const char calls_script[] = "f(var x) { var y = x * 2; if (y > 10) return y - 1; return y + 1; }\nmain() { return 0; }\n";

bool calls_ok(const CSV_U &s) { return s.csv_get_num(1, 99999) == 199999; }

std::string ranges_sheet()
{
    std::string t = "\x02" "FOP_VER\x03" "1.00\r\n\x02" "FOP_YSIZ\x03" "100000\r\n";
    for (int y = 0; y < 100000; y++)
        t += form(y == 0 ? "=1" : "=R[-1]C+1") + (y < 2 ? "" : "," + form("=span(R[-2]C[-1]:RC[-1])")) + "\r\n";
    return t;
}

const char ranges_script[] = "span(ARRAY &g, var x, var y, var w, var h) { return g[y][x] + g[y + h - 1][x] + w; }\n"
                             "main() { return 0; }\n";

bool ranges_ok(const CSV_U &s) { return s.csv_get_num(1, 99999) == 99998 + 100000 + 1; }

// Loads text through a file, as kovash --convert does, then times passes.
void measure(const char *name, const std::string &text, bool (*ok)(const CSV_U &), const char *script = "", int lean = 1)
{
    char path[] = "/tmp/kovbenchXXXXXX.kov";
    int fd = mkstemps(path, 4);
    if (fd < 0 || write(fd, text.data(), text.size()) != (ssize_t)text.size()) {
        printf("%s: cannot write %s\n", name, path);
        return;
    }
    close(fd);
    KOV_CLIHOST host;
    host.host_ed_put(script);   // the functions the formulas may call
    KOV_U sheet(&host);
    sheet.scr_lean_on = lean;
    CSVFILE_U file(sheet);
    double t0 = bench::now_ms();
    int rc = file.csv_fload(nullptr, path, nullptr);
    double load = bench::now_ms() - t0;
    unlink(path);
    if (rc < 0) return (void)printf("%s: load failed\n", name);
    std::vector<double> ms;
    for (int k = 0; k < 9; k++) {
        t0 = bench::now_ms();
        rc = sheet.csv_form_calc(nullptr);
        ms.push_back(bench::now_ms() - t0);
        if (rc < 0 || !ok(sheet)) return (void)printf("%s: pass %d failed or wrong\n", name, k + 1);
    }
    double first = ms[0];
    std::sort(ms.begin(), ms.end());
    printf("%-6s %8.1f ms per pass (median of 9; first %.1f, load %.1f)  VmHWM %.1f MB\n", name, ms[4], first,
           load, bench::status_kb("VmHWM") / 1024.0);
}

} // namespace

int main()
{
    bench::in_child([] { measure("tall", tall_sheet(), tall_ok); });
    bench::in_child([] { measure("wide", wide_sheet(), wide_ok); });
    bench::in_child([] { measure("calls", calls_sheet(), calls_ok, calls_script); });
    bench::in_child([] { measure("calls0", calls_sheet(), calls_ok, calls_script, 0); });
    bench::in_child([] { measure("ranges", ranges_sheet(), ranges_ok, ranges_script); });
    return 0;
}
