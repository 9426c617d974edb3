// Literal readers: escapes of character literals, integer bases, decimal floating point.
#include "base/kovlex.h"
#include "base/kovlog.h"

#include <cstdint>
#include <cstdlib>
#include <locale.h>

static bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
static bool is_octal(unsigned char c) { return c >= '0' && c <= '7'; }

static int hex_value(unsigned char c)
{
    if (is_digit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Value of the escape letter n after a backslash; any other byte stands for itself.
static int escape_value(unsigned char n)
{
    switch (n | 0x20) {
    case '0': return 0;
    case 'a': return 7;
    case 'b': return 8;
    case 'f': return 12;
    case 'n': return 10;
    case 'r': return 13;
    case 't': return 9;
    case 'v': return 11;
    default: return n;
    }
}

int LEX_U::lex_char(const char *&cur, int &code)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(cur);
    if (p[0] == 0 || p[0] == '\r' || p[0] == '\n') return -1;
    if (p[0] != '\\') {
        code = p[0];
        cur += 1;
        return 0;
    }
    if ((p[1] == 'x' || p[1] == 'X') && hex_value(p[2]) >= 0 && hex_value(p[3]) >= 0) {
        code = hex_value(p[2]) * 16 + hex_value(p[3]);
        cur += 4;
        return 0;
    }
    if (is_octal(p[1]) && is_octal(p[2]) && is_octal(p[3])) {
        code = (p[1] - '0') * 64 + (p[2] - '0') * 8 + (p[3] - '0');
        cur += 4;
        return 0;
    }
    if (p[1] == 0) return -1;
    code = escape_value(p[1]);
    cur += 2;
    return 0;
}

// Signed 64-bit integer with the C base rules (sign, 0x hex, 0 octal, decimal), clamped to the
// 64-bit limits. Returns the end of what was read, p itself when nothing was.
static const char *read_int(const char *p, int64_t &out)
{
    if (*p >= '1' && *p <= '9') {   // the usual: a decimal of a few digits, far from the limits
        uint64_t v = 0;
        const char *d = p;
        while (is_digit(*d) && d - p < 18) v = v * 10 + uint64_t(*d++ - '0');
        if (!is_digit(*d)) {
            out = int64_t(v);
            return d;
        }
    }
    const char *s = p;
    bool neg = false;
    if (*s == '+' || *s == '-') neg = *s++ == '-';
    int base = 10;
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && hex_value(s[2]) >= 0) {
        base = 16;
        s += 2;
    } else if (s[0] == '0') {
        base = 8;
    }
    uint64_t limit = neg ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    uint64_t v = 0;
    bool over = false;
    const char *d = s;
    for (int h; (h = hex_value(*d)) >= 0 && h < base; d++) {
        if (over || v > (limit - h) / base) over = true;
        else v = v * base + h;
    }
    if (d == s) return p;
    if (over) v = limit;
    out = neg ? int64_t(0 - v) : int64_t(v);
    return d;
}

// C locale, so that a locale set by the window layer cannot change the decimal point.
static locale_t c_locale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
    return loc;
}

// Decimal floating-point number: [sign] digits [. digits] [e [sign] digits], at least one digit
// in the mantissa. No hexadecimal, infinity or NaN forms: those are names of the script.
static const char *read_float(const char *p, double &out)
{
    const char *s = p;
    if (*s == '+' || *s == '-') s++;
    const char *m = s;
    while (is_digit(*s)) s++;
    size_t digits = s - m;
    if (*s == '.') {
        const char *f = ++s;
        while (is_digit(*s)) s++;
        digits += s - f;
    }
    if (digits == 0) return p;
    if (*s == 'e' || *s == 'E') {
        const char *e = s + 1;
        if (*e == '+' || *e == '-') e++;
        if (is_digit(*e)) {
            while (is_digit(*e)) e++;
            s = e;
        }
    }
    // strtod would take "0x" on as a hexadecimal number; the decimal form ends at the 0.
    if (m[0] == '0' && (m[1] == 'x' || m[1] == 'X')) {
        out = *p == '-' ? -0.0 : 0.0;
        return s;
    }
    locale_t loc = c_locale();
    out = loc ? strtod_l(p, nullptr, loc) : strtod(p, nullptr);
    return s;
}

// An exponent part starts at p: e or E, an optional sign, a digit. An integer followed by one
// is a floating constant ("1e3"), as in C.
static bool has_exponent(const char *p)
{
    if (*p != 'e' && *p != 'E') return false;
    p++;
    if (*p == '+' || *p == '-') p++;
    return is_digit(*p);
}

int LEX_U::lex_number(const char *&cur, double &num)
{
    const char *p = cur;
    while (*p == ' ') p++;
    if (*p == '\'') {
        const char *q = p + 1;
        int code;
        if (lex_char(q, code) != 0 || *q != '\'') return -1;
        num = code;
        cur = q + 1;
    } else {
        int64_t iv = 0;
        const char *end = read_int(p, iv);
        num = double(iv);
        if (end == p || *end == '.' || has_exponent(end)) {
            end = read_float(p, num);
            if (end == p) return -1;
        }
        cur = end;
    }
    KOV_LOG("定数:%g", num);
    return 0;
}

