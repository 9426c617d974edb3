// Display texts: every number format with any number (NaN, infinities, denormals, huge and
// tiny) at every width, and text cells cut to the width. The text fits the buffer exactly as
// asked, ends in its terminator, its length is the one returned, and what is not "<<<" reads
// back as the number (hexadecimal: its integer part).
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "sheet/csv.h"
#include "tests/fuzz/fuzz_util.h"
#include "base/kovtext.h"

namespace {

const double specials[] = {
    std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
    INFINITY, -INFINITY, DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN, DBL_TRUE_MIN, -DBL_TRUE_MIN,
    0.0, -0.0, 0.5, -0.5, 9.5, 99999.5, 1e15, 1e16, 1e22, 1e-5, 1e-300,
    9223372036854775807.0, -9223372036854775808.0, 18446744073709551616.0, -1.0, 123456789.123456789,
};
constexpr int NSPECIAL = sizeof specials / sizeof specials[0];

double pick_number(FUZZ_IN &in)
{
    unsigned how = in.u8();
    if (how < 128) return specials[how % NSPECIAL];
    uint64_t bits = uint64_t(in.u32()) << 32 | in.u32();
    double d;
    memcpy(&d, &bits, sizeof d);
    if (how < 192) d = std::ldexp(std::fmod(d, 1.0), int(in.u16() % 2200) - 1100);   // any scale
    return d;
}

int pick_width(FUZZ_IN &in)
{
    unsigned w = in.u16();
    if (w & 0x8000) return int(w & 0x1FFF) - 8;   // up to past CSV_DSP_MAX, a few below 1
    return int(w % 40);
}

int pick_format(FUZZ_IN &in)
{
    unsigned f = in.u8();
    return f < 240 ? int(f % 48) : int(in.u32());
}

// A buffer of just the usable size, so that a byte written past it is seen.
struct BUF {
    explicit BUF(int w) : size(w < 1 ? 1 : w > CSV_DSP_MAX ? CSV_DSP_MAX : w), p(new char[size]) { memset(p, 0x55, size); }
    ~BUF() { delete[] p; }
    int size;
    char *p;
};

// The common rules of a display text of len bytes.
void check_text(const BUF &b, int w, int len)
{
    FUZZ_CHECK(len >= 0 && len < b.size && b.p[len] == 0 && strlen(b.p) == size_t(len));
    if (w < 1) FUZZ_CHECK(len == 0);
}

bool all_fill(const char *s)
{
    for (; *s; s++)
        if (*s != '<') return false;
    return true;
}

void check_number(double d, const char *s)
{
    if (!*s || all_fill(s)) return;
    char *end = nullptr;
    long double v = strtold(s, &end);
    FUZZ_CHECK(end && *end == 0 && end != s);
    if (std::isnan(d)) {
        FUZZ_CHECK(std::isnan(v));
        return;
    }
    bool hex = strstr(s, "0x") != nullptr;
    if (!hex) FUZZ_CHECK((s[0] == '-') == std::signbit(d));
    if (std::isinf(d)) {
        FUZZ_CHECK(v == (long double)d);
        return;
    }
    long double err = std::fabs(v - (long double)d), mag = std::fabs((long double)d);
    FUZZ_CHECK(err <= mag / 2 + 0.5L);
}

void check_format_names(int code)
{
    const char *k = csv_fmt_keyword(code);
    if (k) FUZZ_CHECK(csv_fmt_code(k) == code);
    for (int size = 0; size < 14; size++) {
        BUF b(size);
        int n = csv_fmt_label(code, size ? b.p : nullptr, size);
        if (size) check_text(b, size, n);
        else FUZZ_CHECK(n == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FUZZ_IN in{data, size};
    double d = pick_number(in);
    int fmt = pick_format(in), w = pick_width(in);
    {
        BUF b(w);
        int n = csv_fmt_num(d, fmt, w, b.p);
        check_text(b, w, n);
        check_number(d, b.p);
    }
    check_format_names(fmt);

    // The same through cells: a number in its cell's format, and a text of any bytes.
    static CSV_U *s = [] {
        auto *u = new CSV_U;
        u->csv_create(2, 1);
        return u;
    }();
    int attr = fmt & 63;
    s->csv_put_num(0, 0, d);
    s->csv_set_attr(0, 0, CSV_A_FMT, attr);
    std::string text = in.rest();
    s->csv_put_str(1, 0, text.c_str());
    BUF a(w), b(w);
    int n = s->csv_dsp_text(0, 0, 0, w, a.p);
    check_text(a, w, n);
    FUZZ_CHECK(csv_fmt_num(s->csv_get_num(0, 0), attr, w, b.p) == n && strcmp(a.p, b.p) == 0);
    n = s->csv_dsp_text(1, 0, fmt, w, a.p);
    check_text(a, w, n);
    char sbuf[9];
    const char *stored = CSV_U::csv_cel_str(s->csv_get_cel(1, 0), sbuf);
    if (!stored) stored = "";
    FUZZ_CHECK(size_t(n) == kov::sj_cut(stored, size_t(a.size - 1)) && memcmp(a.p, stored, size_t(n)) == 0);
    return 0;
}
