// Sheet file figures: load and save of a CSV of 1,000,000 rows x 5 columns (numbers and texts),
// save and load of a .kov of 100,000 formula cells. Each case runs in its own child process so
// that its peak memory (VmHWM) is its own.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "sheet/csvfile.h"

namespace {

constexpr int ROWS = 1000000;
constexpr int FORM_ROWS = 10000, FORM_COLS = 10;

long status_kb(const char *field)
{
    FILE *f = fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    size_t n = strlen(field);
    while (fgets(line, sizeof line, f))
        if (strncmp(line, field, n) == 0 && line[n] == ':') kb = atol(line + n + 1);
    fclose(f);
    return kb;
}

double now_ms()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

long file_kb(const std::string &name)
{
    struct stat st;
    return stat(name.c_str(), &st) == 0 ? long(st.st_size / 1024) : -1;
}

void report(const char *what, double ms, const std::string &file)
{
    printf("%-40s %8.0f ms  VmHWM %6.1f MB  file %7.1f MB\n", what, ms, status_kb("VmHWM") / 1024.0,
           file_kb(file) / 1024.0);
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

void load_csv(const std::string &name)
{
    CSV_U s;
    CSVFILE_U f(s);
    double t0 = now_ms();
    int rc = f.csv_fload(nullptr, name.c_str(), nullptr);
    report(rc == 0 ? "load CSV 1000000 x 5" : "load CSV 1000000 x 5 FAILED", now_ms() - t0, name);
}

// The sheet to save is the loaded one (rows allocated as a load makes them).
void save_csv(const std::string &name)
{
    CSV_U s;
    CSVFILE_U f(s);
    if (f.csv_fload(nullptr, (name + ".in").c_str(), nullptr) < 0) return (void)puts("load failed");
    double t0 = now_ms();
    int rc = f.csv_fsave(name.c_str(), nullptr);
    report(rc == 0 ? "save CSV 1000000 x 5 (as loaded)" : "save CSV FAILED", now_ms() - t0, name);
}

// The same sheet made by puts, row by row from the left, as typing or a script makes it.
void save_csv_put(const std::string &name)
{
    CSV_U s;
    s.csv_create(256, ROWS);
    for (int y = 0; y < ROWS; y++) fill_row(s, y);
    CSVFILE_U f(s);
    double t0 = now_ms();
    int rc = f.csv_fsave(name.c_str(), nullptr);
    report(rc == 0 ? "save CSV 1000000 x 5 (made by puts)" : "save CSV FAILED", now_ms() - t0, name);
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
    CSVFILE_U f(s);
    double t0 = now_ms();
    int rc = f.csv_fsave(name.c_str(), nullptr);
    report(rc == 0 ? "save .kov 100000 formulas" : "save .kov FAILED", now_ms() - t0, name);
}

void load_kov(const std::string &name)
{
    CSV_U s;
    CSVFILE_U f(s);
    double t0 = now_ms();
    int rc = f.csv_fload(nullptr, name.c_str(), nullptr);
    report(rc == 0 ? "load .kov 100000 formulas" : "load .kov FAILED", now_ms() - t0, name);
}

void in_child(void (*fn)(const std::string &), const std::string &name)
{
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        fn(name);
        fflush(stdout);
        _exit(0);
    }
    int st = 0;
    if (pid > 0) waitpid(pid, &st, 0);
}

} // namespace

int main()
{
    char dir[] = "/tmp/kovbench.XXXXXX";
    if (!mkdtemp(dir)) return 1;
    std::string out = std::string(dir) + "/out.csv", in = out + ".in";
    std::string kov = std::string(dir) + "/forms.kov";
    make_csv(in);
    in_child(load_csv, in);
    in_child(save_csv, out);
    in_child(save_csv_put, out);
    in_child(save_kov, kov);
    in_child(load_kov, kov);
    unlink(in.c_str());
    unlink(out.c_str());
    unlink(kov.c_str());
    rmdir(dir);
    return 0;
}
