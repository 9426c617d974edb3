// A small library that the library-call tests load by its path: every argument and result type
// of dllcall, a function that faults, and state that shows how often the library was loaded.
#include <cstdio>
#include <cstring>

extern "C" {

int kt_add(int a, int b) { return a + b; }
int kt_0x1234() { return 0x1234; }
int kt_minus1() { return -1; }
const char *kt_echo(const char *s) { return s; }
const char *kt_null() { return nullptr; }

// Each argument type in its own register kind and order: the text shows what arrived.
const char *kt_mix(unsigned b, unsigned w, int l, float f, double d, const char *s)
{
    static char out[128];
    snprintf(out, sizeof out, "%u %u %d %g %g %s", b, w, l, f, d, s);
    return out;
}

// 17 doubles, eight in registers and nine on the stack; the weights catch a wrong order.
double kt_d17(double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9,
              double a10, double a11, double a12, double a13, double a14, double a15, double a16, double a17)
{
    const double a[] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, a17};
    double t = 0;
    for (int k = 0; k < 17; k++) t += (k + 1) * a[k];
    return t;
}

// State kept while the library stays loaded.
static int calls;
int kt_next() { return ++calls; }
static int kept;
void kt_keep(int v) { kept = v; }
int kt_kept() { return kept; }

// Reads the address it is given.
int kt_fault(long address) { return *(volatile int *)address; }
}
