// Scanning primitives: blanks and comments, keys, identifiers, numeric/character/string literals.
#include "script/lex.h"
#include "script/val.h"
#include "ui/base/kovlog.h"
#include "ui/base/kovtext.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>

// Must stay in this order and end with the empty entry (no twins elsewhere; scr_is_reserved
// indexes it by first byte).
const char SCR_LEX::scr_rsvword[SCR_RSVCOUNT + 1][11] = {
    "_Bool", "_Complex", "_Imaginary", "auto", "break", "case", "char", "const", "continue",
    "default", "do", "double", "else", "enum", "extern", "float", "for", "goto", "if", "inline",
    "int", "long", "register", "restrict", "return", "short", "signed", "sizeof", "static",
    "struct", "switch", "typedef", "union", "unsigned", "void", "volatile", "while", "",
};

// Installed in this order by the interpreter's scr_default_enum.
const SCR_PREDEF SCR_LEX::scr_predef[7] = {
    {"OK", 0}, {"NG", -1}, {"ERR", -1}, {"TRUE", 1}, {"FALSE", 0}, {"NULL", 0}, {"EOF", -1},
};

static bool is_alpha(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
static bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
static bool is_word(unsigned char c) { return is_alpha(c) || is_digit(c) || c == '_'; }
static bool is_octal(unsigned char c) { return c >= '0' && c <= '7'; }

static int hex_value(unsigned char c)
{
    if (is_digit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// ---- LEX_U ----

LEX_U::~LEX_U() = default;

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
        if (end == p || *end == '.') {
            end = read_float(p, num);
            if (end == p) return -1;
        }
        cur = end;
    }
    KOV_LOG("定数:%g", num);
    return 0;
}

// ---- SCR_LEX scanning ----

SCR_LEX::SCR_LEX() { scr_clear_errors(); }

const char *SCR_LEX::scr_past_blanks(const char *p)
{
    for (;;) {
        if (*p == '\t' || *p == '\n' || *p == ' ') {
            p++;
        } else if (p[0] == '/' && p[1] == '/') {
            p += 2;
            while (*p && *p != '\n') p++;
            if (*p) p++;
        } else if (p[0] == '/' && p[1] == '*') {
            p += 2;
            while (*p && !(p[0] == '*' && p[1] == '/')) p++;
            if (*p) p += 2;
        } else {
            return p;
        }
    }
}

int SCR_LEX::skip_blanks(const char *&cur)
{
    const char *p = scr_past_blanks(cur);
    note_far(p);
    cur = p;
    return static_cast<signed char>(*p);
}

// A one-character operator that is the first half of a longer one does not match.
static bool key_cut_short(const char *key, const char *next)
{
    char c = key[0];
    if (key[1] == 0) {
        if (strchr("&+-<>|", c) && *next == c) return true;
        if (strchr("%&*+-/<=>^|", c) && *next == '=') return true;
        return false;
    }
    if ((strcmp(key, "<<") == 0 || strcmp(key, ">>") == 0) && *next == '=') return true;
    return false;
}

int SCR_LEX::scr_match_key(const char *&cur, const char *key)
{
    scr_skip_space(cur);
    const char *p = cur;
    size_t n = 0;
    while (key[n] && p[n] == key[n]) n++;
    if (key[n]) return -1;
    if (key[0] && key_cut_short(key, p + n)) return -1;
    unsigned char k0 = key[0];
    if ((is_alpha(k0) || k0 == '_') && is_word(p[n])) return -1;
    cur = p + n;
    KOV_LOG("KEY:%s", key);
    return 0;
}

// Entries of scr_rsvword by first byte (bit i = entry i), so that an identifier is compared only
// with the words that begin like it: every identifier read at every run passes through here.
namespace {
struct RSV_INDEX {
    uint64_t by_first[128] = {};
    RSV_INDEX()
    {
        static_assert(SCR_RSVCOUNT <= 64);
        for (int i = 0; SCR_LEX::scr_rsvword[i][0]; i++)
            by_first[static_cast<unsigned char>(SCR_LEX::scr_rsvword[i][0])] |= uint64_t(1) << i;
    }
};
} // namespace

int SCR_LEX::scr_is_reserved(const char *name)
{
    static const RSV_INDEX index;
    unsigned char c = name[0];
    if (c >= 128) return 0;
    for (uint64_t m = index.by_first[c]; m; m &= m - 1)
        if (strcmp(scr_rsvword[__builtin_ctzll(m)] + 1, name + 1) == 0) return 1;
    return 0;
}

int SCR_LEX::scr_idname(const char *&cur, char *buf, int size)
{
    scr_skip_space(cur);
    const char *p = cur;
    unsigned char c0 = *p;
    if (!(is_alpha(c0) || c0 == '_') || size < 1) return -1;
    int n = 0;
    for (; is_word(*p); p++) {
        if (n + 1 >= size) {
            KOV_LOG("識別子が長すぎる");
            return -1;
        }
        buf[n++] = *p;
    }
    buf[n] = 0;
    if (scr_is_reserved(buf)) return -1;
    cur = p;
    KOV_LOG("ID:%s", buf);
    return 0;
}

int SCR_LEX::scr_const(const char *&cur, VAL_U &val)
{
    scr_skip_space(cur);
    const char *p = cur;
    double num;
    if (lex_number(p, num) != 0) return -1;
    val.val_putd(num);
    cur = p;
    return 0;
}

int SCR_LEX::scr_enum(const char *&, VAL_U &) { return -1; }

// The characters between the quotes of one string literal and any literals joined to it.
// p stands after the opening quote; on success it stands after the last closing quote and the
// blanks behind it.
int SCR_LEX::str_body(const char *&p, char *buf, int &len)
{
    for (;;) {
        unsigned char c = *p;
        if (c == 0 || c == '\n' || c == '\r') {
            scr_set_SCRERR("文字列終端文字がない");
            return -1;
        }
        if (c == '"') {
            p++;
            if (scr_skip_space(p) != '"') return 0;
            p++;
            continue;
        }
        if (c == '\\') {
            int code;
            if (lex_char(p, code) != 0) return -1;
            c = static_cast<unsigned char>(code);
        } else {
            p++;
        }
        if (kov::sj_is_lead(c)) {
            if (len >= SCR_STRMAX - 1) {
                scr_set_SCRERR("文字列長超過");
                return -1;
            }
            if (*p == 0) {
                scr_set_SCRERR("異常文字列");
                return -1;
            }
            buf[len++] = c;
            buf[len++] = *p++;
        } else {
            if (len >= SCR_STRMAX) {
                scr_set_SCRERR("文字列長超過");
                return -1;
            }
            buf[len++] = c;
        }
    }
}

int SCR_LEX::scr_string(const char *&cur, VAL_U &val)
{
    if (scr_skip_space(cur) != '"') return -1;
    const char *p = cur + 1;
    char buf[SCR_STRMAX + 1];
    int len = 0;
    if (str_body(p, buf, len) != 0) return -1;
    buf[len] = 0;
    KOV_LOG("STRING:\"%s\"", buf);
    if (val.val_puts(buf) != 0) return -1;
    cur = p;
    return 0;
}

int SCR_LEX::scr_add_string(VAL_U &val, const char *text)
{
    if (!text || !*text) return 0;
    // One byte beyond the limit tells whether a lead byte at the limit lost its trail.
    char buf[SCR_STRMAX + 2];
    const char *old = val.val_gets();
    size_t n = strnlen(old, SCR_STRMAX + 1);
    memcpy(buf, old, n);
    size_t m = strnlen(text, SCR_STRMAX + 1 - n);
    memcpy(buf + n, text, m);
    buf[n + m] = 0;
    buf[kov::sj_cut(buf, SCR_STRMAX)] = 0;
    return val.val_puts(buf);
}
