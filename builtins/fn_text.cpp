// Text: the C character and string wrappers, and the Shift-JIS text functions (names ending in
// B count bytes, the others characters; positions are 0-based).
#include "builtins/fnutil.h"
#include "base/kovtext.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

using kov::sj_step;

namespace {

// Byte offset of character number n of s (its length when s is shorter).
size_t char_offset(const char *s, long n)
{
    size_t off = 0;
    for (long k = 0; k < n && s[off]; k++) off += sj_step(s + off);
    return off;
}

int mid_bytes(SCR_U &s, FN_RET &r, const char *t, long start, long n)
{
    long len = long(strlen(t));
    start = start < 0 ? 0 : start > len ? len : start;
    if (n < 1) return fn_ret_text(s, r, "", 0);
    if (n > len - start) n = len - start;
    return fn_ret_text(s, r, t + start, size_t(n));
}

int mid_chars(SCR_U &s, FN_RET &r, const char *t, long start, long n)
{
    long chars = long(kov::sj_chars(t));
    if (start < 0 || start > chars || n < 1) return fn_ret_text(s, r, "", 0);
    size_t a = char_offset(t, start);
    size_t b = a + char_offset(t + a, n);
    return fn_ret_text(s, r, t + a, b - a);
}

// Letters change case; the bytes of double-byte characters stay as they are.
int map_case(SCR_U &s, FN_RET &r, const char *t, int (*f)(int))
{
    char *b = FUNC_U::fn_of(s).fn_text;
    size_t n = kov::sj_cut(t, FN_TEXT_MAX - 1);
    for (size_t k = 0; k < n;) {
        size_t st = sj_step(t + k);
        b[k] = st == 1 && t[k] >= 0 && isalpha((unsigned char)t[k]) ? char(f((unsigned char)t[k])) : t[k];
        if (st == 2) b[k + 1] = t[k + 1];
        k += st ? st : 1;
    }
    b[n] = 0;
    r.s = b;
    return 0;
}

int ascii_upper(int c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }
int ascii_lower(int c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

// A character class of the C library, for the codes of one byte only.
int ctype_of(int c, int (*f)(int)) { return c >= 0 && c <= 255 ? (f(c) != 0) : 0; }

} // namespace

// ---- C character classes and string functions ----

#define FN_CTYPE(name)                                           \
    int fn_##name(SCR_U &, const FN_CALL &c, FN_RET &r)          \
    {                                                            \
        r.L = ctype_of(c.arg[0].i, [](int x) { return name(x); }); \
        return 0;                                                \
    }
FN_CTYPE(isalpha)
FN_CTYPE(isupper)
FN_CTYPE(islower)
FN_CTYPE(isdigit)
FN_CTYPE(isxdigit)
FN_CTYPE(isalnum)
FN_CTYPE(isspace)
FN_CTYPE(ispunct)
FN_CTYPE(isprint)
FN_CTYPE(isgraph)
FN_CTYPE(iscntrl)

int fn_isascii(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = (c.arg[0].i & ~0x7F) == 0;
    return 0;
}

int fn_toupper(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = ascii_upper(c.arg[0].i);
    return 0;
}

int fn_tolower(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = ascii_lower(c.arg[0].i);
    return 0;
}

int fn_toascii(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = c.arg[0].i & 0x7F;
    return 0;
}

static int sign_of(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

int fn_strcmp(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = sign_of(strcmp(c.arg[0].s, c.arg[1].s));
    return 0;
}

int fn_stricmp(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = sign_of(strcasecmp(c.arg[0].s, c.arg[1].s));
    return 0;
}

int fn_strcoll(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = sign_of(strcoll(c.arg[0].s, c.arg[1].s));
    return 0;
}

int fn__stricoll(SCR_U &s, const FN_CALL &c, FN_RET &r) { return fn_stricmp(s, c, r); }

int fn_strspn(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = long(strspn(c.arg[0].s, c.arg[1].s));
    return 0;
}

static size_t count_of(int n) { return n < 0 ? 0 : size_t(n); }

int fn_strncmp(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = sign_of(strncmp(c.arg[0].s, c.arg[1].s, count_of(c.arg[2].i)));
    return 0;
}

int fn_strnicmp(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = sign_of(strncasecmp(c.arg[0].s, c.arg[1].s, count_of(c.arg[2].i)));
    return 0;
}

int fn__strncoll(SCR_U &s, const FN_CALL &c, FN_RET &r) { return fn_strncmp(s, c, r); }
int fn__strnicoll(SCR_U &s, const FN_CALL &c, FN_RET &r) { return fn_strnicmp(s, c, r); }

int fn_strstr(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *p = strstr(c.arg[0].s, c.arg[1].s);
    return fn_ret_text(s, r, p ? p : "");
}

int fn_strchr(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    int ch = c.arg[1].i & 255;
    const char *p = ch ? strchr(c.arg[0].s, ch) : nullptr;
    return fn_ret_text(s, r, p ? p : "");
}

int fn_strlen(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = long(strlen(c.arg[0].s));
    return 0;
}

// ---- Shift-JIS text ----

int fn_EXACT(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = strcmp(c.arg[0].s, c.arg[1].s) == 0;
    return 0;
}

int fn_LENB(SCR_U &s, const FN_CALL &c, FN_RET &r) { return fn_strlen(s, c, r); }

int fn_LEN(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = long(kov::sj_chars(c.arg[0].s));
    return 0;
}

int fn_CODEB(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = (unsigned char)c.arg[0].s[0];
    return 0;
}

int fn_CODE(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    const unsigned char *t = (const unsigned char *)c.arg[0].s;
    r.L = sj_step(c.arg[0].s) == 2 ? t[0] << 8 | t[1] : t[0];
    return 0;
}

int fn_MIDB(SCR_U &s, const FN_CALL &c, FN_RET &r) { return mid_bytes(s, r, c.arg[0].s, c.arg[1].i, c.arg[2].i); }
int fn_LEFTB(SCR_U &s, const FN_CALL &c, FN_RET &r) { return mid_bytes(s, r, c.arg[0].s, 0, c.arg[1].i); }

int fn_RIGHTB(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    long n = c.arg[1].i;
    return mid_bytes(s, r, c.arg[0].s, long(strlen(c.arg[0].s)) - n, n);
}

int fn_MID(SCR_U &s, const FN_CALL &c, FN_RET &r) { return mid_chars(s, r, c.arg[0].s, c.arg[1].i, c.arg[2].i); }
int fn_LEFT(SCR_U &s, const FN_CALL &c, FN_RET &r) { return mid_chars(s, r, c.arg[0].s, 0, c.arg[1].i); }

int fn_RIGHT(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    long n = c.arg[1].i, chars = long(kov::sj_chars(c.arg[0].s));
    long start = chars - n < 0 ? 0 : chars - n;
    return mid_chars(s, r, c.arg[0].s, start, n);
}

int fn_CHARB(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    char b = char(c.arg[0].i & 255);
    return fn_ret_text(s, r, &b, b ? 1 : 0);
}

int fn_CHAR(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    int n = c.arg[0].i;
    char b[2] = {char(n >> 8 & 255), char(n & 255)};
    if (b[0]) return fn_ret_text(s, r, b, b[1] ? 2 : 1);
    return fn_ret_text(s, r, b + 1, b[1] ? 1 : 0);
}

int fn_UPPER(SCR_U &s, const FN_CALL &c, FN_RET &r) { return map_case(s, r, c.arg[0].s, ascii_upper); }
int fn_LOWER(SCR_U &s, const FN_CALL &c, FN_RET &r) { return map_case(s, r, c.arg[0].s, ascii_lower); }

int fn_TRIM(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *t = c.arg[0].s;
    while (*t == ' ') t++;
    size_t n = strlen(t);
    while (n > 0 && t[n - 1] == ' ') n--;   // a blank is never a trail byte
    return fn_ret_text(s, r, t, n);
}

int fn_REPT(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *t = c.arg[0].s;
    size_t len = strlen(t), used = 0;
    char *b = FUNC_U::fn_of(s).fn_text;
    for (long k = 0; k < c.arg[1].i && len && used + len <= size_t(FN_TEXT_MAX - 1); k++, used += len)
        memcpy(b + used, t, len);
    b[used] = 0;
    r.s = b;
    return 0;
}

// T: a text as itself, anything else empty; N is a plain number conversion (fn_math).
int fn_T(SCR_U &s, const FN_CALL &c, FN_RET &r) { return fn_ret_text(s, r, c.arg[0].s); }

int fn_ESCSTR(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *p = c.arg[0].s;
    char *b = FUNC_U::fn_of(s).fn_text;
    size_t n = 0;
    LEX_U lx;
    while (*p && n < size_t(FN_TEXT_MAX - 2)) {
        if (kov::sj_is_lead((unsigned char)*p)) {
            if (!p[1]) break;   // a lead byte without its trail ends the text
            b[n++] = *p++;
            b[n++] = *p++;
            continue;
        }
        int code;
        if (*p == '\\' && lx.lex_char(p, code) == 0) {
            b[n++] = char(code);
            continue;
        }
        b[n++] = *p++;
    }
    b[n] = 0;
    r.s = b;
    return 0;
}

// The number a whole text spells (blanks around it allowed), else the empty value.
int fn_VALUE(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *t = c.arg[0].s, *p = t;
    while (*p == ' ') p++;
    const char *q = p + (*p == '+' || *p == '-');
    size_t digits = strspn(q, "0123456789"), frac = 0;
    if (q[digits] == '.') frac = strspn(q + digits + 1, "0123456789");
    if (digits + frac == 0) return r.x = nullptr, 0;
    char *end;
    double d = strtod(p, &end);
    for (const char *k = p; k < end; k++)
        if (strchr("xXiInNpP", *k)) return r.x = nullptr, 0;   // decimal forms only
    while (*end == ' ') end++;
    if (*end || end == p) return r.x = nullptr, 0;
    return fn_give_num(s, r, d);
}
