// Sheet file figures: load and save of a CSV of 1,000,000 rows x 5 columns (numbers and texts),
// save and load of a .kov of 100,000 formula cells. Each case runs in its own child process so
// that its peak memory (VmHWM) is its own.
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/benchutil.h"
#include "sheet/csvfile.h"

using bench::now_ms;
using bench::status_kb;

namespace {

constexpr int ROWS = 1000000;
constexpr int FORM_ROWS = 10000, FORM_COLS = 10;

long file_kb(const std::string &name)
{
    struct stat st;
    return stat(name.c_str(), &st) == 0 ? long(st.st_size / 1024) : -1;
}

// One line of figures; a failed case says so after its name.
void report(const char *what, int rc, double ms, const std::string &file)
{
    std::string name = std::string(what) + (rc == 0 ? "" : " FAILED");
    printf("%-40s %8.0f ms  VmHWM %6.1f MB  file %7.1f MB\n", name.c_str(), ms, status_kb("VmHWM") / 1024.0,
           file_kb(file) / 1024.0);
}

void timed_load(const char *what, const std::string &name)
{
    CSV_U s;
    CSVFILE_U f(s);
    double t0 = now_ms();
    int rc = f.csv_fload(nullptr, name.c_str(), nullptr);
    report(what, rc, now_ms() - t0, name);
}

void timed_save(const char *what, CSV_U &s, const std::string &name)
{
    CSVFILE_U f(s);
    double t0 = now_ms();
    int rc = f.csv_fsave(name.c_str(), nullptr);
    report(what, rc, now_ms() - t0, name);
}

// Row y of the mixed sheet: an integer, a fraction, a short text, a long text, a negative number.
void fill_row(CSV_U &s, int y)
{
    char t[40];
    s.csv_put_num(0, y, y);
    s.csv_put_num(1, y, y * 0.25 + 0.1);
    snprintf(t, sizeof t, "n%d", y % 100000);
    s.csv_put_str(2, y, t);
    snprintf(t, sizeof t, "item number %d, \"quoted\"", y);
    s.csv_put_str(3, y, t);
    s.csv_put_num(4, y, -y / 7.0);
}

// The CSV as another program would write it (not through the writer under test).
void make_csv(const std::string &name)
{
    FILE *f = fopen(name.c_str(), "wb");
    if (!f) return;
    for (int y = 0; y < ROWS; y++)
        fprintf(f, "%d,%.16g,\"n%d\",\"item number %d\\x2C \\x22quoted\\x22\",%.16g\r\n", y, y * 0.25 + 0.1,
                y % 100000, y, -y / 7.0);
    fclose(f);
}

void load_csv(const std::string &name) { timed_load("load CSV 1000000 x 5", name); }

// The sheet to save is the loaded one (rows allocated as a load makes them).
void save_csv(const std::string &name)
{
    CSV_U s;
    CSVFILE_U f(s);
    if (f.csv_fload(nullptr, (name + ".in").c_str(), nullptr) < 0) return (void)puts("load failed");
    timed_save("save CSV 1000000 x 5 (as loaded)", s, name);
}

// The same sheet made by puts, row by row from the left, as typing or a script makes it.
void save_csv_put(const std::string &name)
{
    CSV_U s;
    s.csv_create(256, ROWS);
    for (int y = 0; y < ROWS; y++) fill_row(s, y);
    timed_save("save CSV 1000000 x 5 (made by puts)", s, name);
}

void save_kov(const std::string &name)
{
    CSV_U s;
    s.csv_create(256, 10000);
    for (int y = 0; y < FORM_ROWS; y++)
        for (int x = 0; x < FORM_COLS; x++) {
            s.csv_put_form(x, y, y ? "R[-1]C+RC[1]*2+SUM(R0C0:R9C9)" : "1");
            s.csv_put_num(x, y, x + y * 0.5);
        }
    timed_save("save .kov 100000 formulas", s, name);
}

void load_kov(const std::string &name) { timed_load("load .kov 100000 formulas", name); }

} // namespace

int main()
{
    char dir[] = "/tmp/kovbench.XXXXXX";
    if (!mkdtemp(dir)) return 1;
    std::string out = std::string(dir) + "/out.csv", in = out + ".in";
    std::string kov = std::string(dir) + "/forms.kov";
    make_csv(in);
    bench::in_child([&] { load_csv(in); });
    bench::in_child([&] { save_csv(out); });
    bench::in_child([&] { save_csv_put(out); });
    bench::in_child([&] { save_kov(kov); });
    bench::in_child([&] { load_kov(kov); });
    unlink(in.c_str());
    unlink(out.c_str());
    unlink(kov.c_str());
    rmdir(dir);
    return 0;
}
