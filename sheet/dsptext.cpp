// Display text of a cell: texts cut to the cell width, numbers in the cell's number format
// and fitted to the width by lowering the precision; what never fits shows as "<<<".
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "sheet/csv.h"
#include "base/kovtext.h"

namespace {

enum FMT_KIND { FK_G, FK_E, FK_F };

// Print one form, drop the leading blanks of the field width; the length of the text.
int fmt_print(char *out, size_t size, FMT_KIND k, int fw, int prec, double d)
{
    static const char *const form[] = {"%*.*g", "%*.*e", "%*.*f"};  // FMT_KIND order
    char tmp[512];
    snprintf(tmp, sizeof tmp, form[k], fw, prec, d);
    const char *p = tmp;
    while (*p == ' ') p++;
    size_t n = strlen(p);
    if (n >= size) return int(n);  // cannot fit: the caller tries again
    memcpy(out, p, n + 1);
    return int(n);
}

// The g, e or f loop: lower the g/e precision (at most 8 prints, not below 0) until it fits.
// 0 fitted, -1 not.
int fmt_fit(char *buf, int w, FMT_KIND k, int fw, int prec, double d)
{
    for (int i = 0; i < 8 && prec >= 0; i++, prec--) {
        if (fmt_print(buf, size_t(w), k, fw, prec, d) <= w - 1) return 0;
        if (k == FK_F) return -1;
    }
    return -1;
}

// Hexadecimal forms 31..42; 0 fitted, -1 out of range or too wide.
int fmt_hex(char *buf, int w, int fmt, double d)
{
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return -1;
    int64_t v = int64_t(d);
    int n = fmt - 30;
    char tmp[64];
    if (v < 0) {
        n = n < w - 4 ? n : w - 4;
        snprintf(tmp, sizeof tmp, "-0x%0*" PRIX64, n < 0 ? 0 : n, uint64_t(0) - uint64_t(v));
    } else {
        n = n < w - 3 ? n : w - 3;
        snprintf(tmp, sizeof tmp, "0x%0*" PRIX64, n < 0 ? 0 : n, uint64_t(v));
    }
    if (int(strlen(tmp)) > w - 1) return -1;
    strcpy(buf, tmp);
    return 0;
}

int fmt_number(char *buf, int w, int fmt, double d)
{
    int fw = w - 1 < 23 ? w - 1 : 23;
    int g15 = fw < 15 ? fw : 15;
    if (fmt == 1) return fmt_fit(buf, w, FK_G, fw, fw < 16 ? fw : 16, d);
    if (fmt == 5) {
        int prec = w - 9 < 0 ? 0 : w - 9 > 15 ? 15 : w - 9;
        return fmt_fit(buf, w, FK_E, fw, prec, d);
    }
    if (fmt >= 10 && fmt <= 25 && fmt_fit(buf, w, FK_F, fw, fmt - 10, d) == 0) return 0;
    if (fmt >= 31 && fmt <= 42 && fmt_hex(buf, w, fmt, d) == 0) return 0;
    return fmt_fit(buf, w, FK_G, fw, g15, d);
}

} // namespace

// The usable size of a buffer of w bytes, at most CSV_DSP_MAX; 0 (and buf emptied) below 1.
static int dsp_width(int w, char *buf)
{
    if (w >= 1) return std::min(w, CSV_DSP_MAX);
    if (buf) *buf = 0;
    return 0;
}

int csv_fmt_num(double d, int fmt, int w, char *buf)
{
    w = dsp_width(w, buf);
    if (w == 0) return 0;
    if (fmt_number(buf, w, fmt, d) == 0) return int(strlen(buf));
    memset(buf, '<', size_t(w - 1));
    buf[w - 1] = 0;
    return w - 1;
}

// Copy at most max bytes of s without splitting a double-byte character.
static int copy_cut(char *buf, const char *s, size_t max)
{
    size_t n = kov::sj_cut(s, max);
    memcpy(buf, s, n);
    buf[n] = 0;
    return int(n);
}

int CSV_U::csv_dsp_text(int x, int y, int fmt, int w, char *buf) const
{
    w = dsp_width(w, buf);
    if (w == 0) return 0;
    const CSV_CEL *c = csv_get_cel(x, y);
    char sbuf[9];
    switch (csv_cel_type(c)) {
    case CSV_SSTR:
        return copy_cut(buf, csv_cel_str(c, sbuf), size_t(w - 1 < 8 ? w - 1 : 8));
    case CSV_LSTR:
        // Cut at the buffer even for the widest request: longer texts exist.
        return copy_cut(buf, c->val.p, size_t(w - 1));
    case CSV_NUM:
        return csv_fmt_num(c->val.d, fmt ? fmt : csv_get_attr(x, y, CSV_A_FMT), w, buf);
    default:
        *buf = 0;
        return 0;
    }
}

// ---------------------------------------------------------------- format names

// Format keywords in the order of the menu commands 86..110 (twin: the FORMAT rows of the
// command table in sheet/kovcmd.cpp, which are the "celattr" keywords).
static const struct {
    int code;
    const char *key;
} fmt_keys[] = {
    {0, "FORMAT,g"},     {5, "FORMAT,e"},     {10, "FORMAT,f.0"},  {11, "FORMAT,f.1"},  {12, "FORMAT,f.2"},
    {13, "FORMAT,f.3"},  {14, "FORMAT,f.4"},  {15, "FORMAT,f.5"},  {16, "FORMAT,f.6"},  {17, "FORMAT,f.7"},
    {18, "FORMAT,f.8"},  {19, "FORMAT,f.9"},  {20, "FORMAT,f.10"}, {21, "FORMAT,f.11"}, {22, "FORMAT,f.12"},
    {23, "FORMAT,f.13"}, {24, "FORMAT,f.14"}, {25, "FORMAT,f.15"}, {31, "FORMAT,x.1"},  {32, "FORMAT,x.2"},
    {34, "FORMAT,x.4"},  {36, "FORMAT,x.6"},  {38, "FORMAT,x.8"},  {40, "FORMAT,x.10"}, {42, "FORMAT,x.12"},
};
constexpr int FMT_CMD_FIRST = 86;

int csv_fmt_code(const char *keyword)
{
    for (const auto &k : fmt_keys)
        if (keyword && strcmp(keyword, k.key) == 0) return k.code;
    return -1;
}

const char *csv_fmt_keyword(int code)
{
    for (const auto &k : fmt_keys)
        if (k.code == code) return k.key;
    return nullptr;
}

int csv_fmt_by_cmd(int cmd)
{
    int i = cmd - FMT_CMD_FIRST;
    return i >= 0 && i < int(sizeof fmt_keys / sizeof fmt_keys[0]) ? fmt_keys[i].code : -1;
}

int csv_fmt_label(int code, char *buf, int size)
{
    if (!buf || size < 1) return 0;
    char tmp[32];
    if (code == 0) tmp[0] = 0;
    else if (code == 1) snprintf(tmp, sizeof tmp, "ｇ16桁 ");
    else if (code == 4) snprintf(tmp, sizeof tmp, "ｇ ");
    else if (code == 5) snprintf(tmp, sizeof tmp, "指数 ");
    else if (code == 10) snprintf(tmp, sizeof tmp, "整数 ");
    else if (code >= 11 && code <= 25) snprintf(tmp, sizeof tmp, "小数%d桁 ", code - 10);
    else if (code >= 31 && code <= 42) snprintf(tmp, sizeof tmp, "16進%d桁 ", code - 30);
    else snprintf(tmp, sizeof tmp, "FMT%d ", code);
    return copy_cut(buf, tmp, size_t(size - 1));
}

unsigned csv_code_rgb(int code, bool back)
{
    static const unsigned rgb[] = {0, 0x000000, 0xFFFFFF, 0x808080, 0xC0C0C0, 0x0000FF,
                                   0xFF0000, 0xFF00FF, 0x00FF00, 0x00FFFF, 0xFFFF00, 0xF0F0F0};
    if (code >= 1 && code <= 11) return rgb[code];
    return back ? 0xFFFFFF : 0x000000;
}
