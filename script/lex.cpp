// Scanning primitives: blanks and comments, keys, identifiers, numeric/character/string literals.
#include "script/lex.h"
#include "script/val.h"
#include "base/kovlog.h"
#include "base/kovtext.h"

#include <cstdint>
#include <cstring>
#include <string>

// Installed in this order by the interpreter's scr_default_enum.
const SCR_PREDEF SCR_LEX::scr_predef[7] = {
    {"OK", 0}, {"NG", -1}, {"ERR", -1}, {"TRUE", 1}, {"FALSE", 0}, {"NULL", 0}, {"EOF", -1},
};

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
    const char *p;
    size_t off = (uintptr_t)cur - (uintptr_t)blank_base;   // huge when cur is in another text
    if (off < blank_len) {
        uint8_t &e = blank_end[off];
        if (!e) {
            size_t n = (size_t)(scr_past_blanks(cur) - cur);
            e = (uint8_t)(n < 254 ? n + 1 : 255);
        }
        p = e < 255 ? cur + (e - 1) : scr_past_blanks(cur);
    } else {
        p = scr_past_blanks(cur);
    }
    note_far(p);
    cur = p;
    return static_cast<signed char>(*p);
}

int SCR_LEX::match_key_text(const char *&cur, const char *key)
{
    scr_skip_space(cur);
    int n = scr_key_at(cur, key);
    if (n < 0) return -1;
    cur += n;
    KOV_LOG("KEY:%s", key);
    return 0;
}

// The reserved words by a hash of their length and first, second and last bytes (open
// addressing, filled once by the compiler): every identifier read at every run passes here, and
// most are shorter or longer than any of them.
namespace {
struct RSV_INDEX {
    static constexpr unsigned N = 128;
    static constexpr size_t MIN = 2, MAX = 10;   // "do" .. "_Imaginary"
    unsigned char slot[N] = {};   // entry + 1
    unsigned char len[SCR_RSVCOUNT] = {};
    static constexpr unsigned hash(const char *p, size_t n)
    {
        return ((unsigned)n * 7u + (unsigned char)p[0] * 3u + (unsigned char)p[1] * 5u + (unsigned char)p[n - 1]) & (N - 1);
    }
    constexpr RSV_INDEX()
    {
        for (int i = 0; i < SCR_RSVCOUNT; i++) {
            len[i] = (unsigned char)std::char_traits<char>::length(SCR_LEX::scr_rsvword[i]);
            unsigned h = hash(SCR_LEX::scr_rsvword[i], len[i]);
            while (slot[h]) h = (h + 1) & (N - 1);
            slot[h] = (unsigned char)(i + 1);
        }
    }
};
constexpr RSV_INDEX rsv_index;
} // namespace

int SCR_LEX::scr_is_reserved(const char *name)
{
    size_t n = 0;
    while (name[n] && n <= RSV_INDEX::MAX) n++;
    if (n < RSV_INDEX::MIN || n > RSV_INDEX::MAX) return 0;
    for (unsigned h = RSV_INDEX::hash(name, n);; h = (h + 1) & (RSV_INDEX::N - 1)) {
        int e = rsv_index.slot[h];
        if (!e) return 0;
        if (rsv_index.len[e - 1] == n && memcmp(scr_rsvword[e - 1], name, n) == 0) return 1;
    }
}

const char *SCR_LEX::scr_past_word(const char *p)
{
    while (scr_is_idc((unsigned char)*p)) p++;
    return p;
}

void SCR_LEX::scr_peek_word(const char *p, char *w, int size)
{
    size_t n = scr_past_word(p) - p;
    if (n >= (size_t)size) n = 0;
    memcpy(w, p, n);
    w[n] = 0;
}

namespace {
constexpr const char *word_text[W_COUNT] = {
    "", "if", "switch", "do", "while", "for", "goto", "break", "continue", "return", "case", "default",
    "auto", "register", "static", "extern", "typedef", "const", "volatile", "void", "var", "enum",
    "char", "short", "int", "long", "float", "double", "struct", "union",
    "BASE", "BACK", "ARRAY", "GRAPH", "PUSH", "CHECK", "TEDIT", "SEDIT", "NEDIT", "VSCROL", "HSCROL",
};
// Open addressing on length and the first two and last bytes; filled once, never full.
struct WORD_INDEX {
    static constexpr unsigned N = 256;
    unsigned char slot[N] = {};
    static constexpr unsigned hash(const char *p, size_t n)
    {
        return ((unsigned)n * 37u + (unsigned char)p[0] * 11u + (unsigned char)p[1] * 5u +
                (unsigned char)p[n - 1]) & (N - 1);
    }
    unsigned char len[W_COUNT] = {};
    constexpr WORD_INDEX()
    {
        for (int w = W_NONE + 1; w < W_COUNT; w++) {
            len[w] = (unsigned char)std::char_traits<char>::length(word_text[w]);
            unsigned h = hash(word_text[w], len[w]);
            while (slot[h]) h = (h + 1) & (N - 1);
            slot[h] = (unsigned char)w;
        }
    }
};
constexpr WORD_INDEX word_index;   // built by the compiler: no guard on every lookup
}   // namespace

int SCR_LEX::scr_word(const char *p)
{
    size_t n = scr_past_word(p) - p;
    if (n < 2 || n > 8) return W_NONE;
    for (unsigned h = WORD_INDEX::hash(p, n);; h = (h + 1) & (WORD_INDEX::N - 1)) {
        int w = word_index.slot[h];
        if (!w) return W_NONE;
        if (word_index.len[w] == n && memcmp(word_text[w], p, n) == 0) return w;
    }
}

const char *SCR_LEX::scr_past_shebang(const char *text)
{
    if (text[0] != '#' || text[1] != '!') return text;
    const char *p = text + 2;
    while (*p && *p != '\n') p++;
    return p;
}

int SCR_LEX::scr_idname(const char *&cur, char *buf, int size)
{
    scr_skip_space(cur);
    const char *p = cur;
    if (!scr_is_idf((unsigned char)*p) || size < 1) return -1;
    const char *e = scr_past_word(p);
    if (e - p >= size) {
        KOV_LOG("識別子が長すぎる");
        return -1;
    }
    memcpy(buf, p, e - p);
    buf[e - p] = 0;
    if (scr_is_reserved(buf)) return -1;
    cur = e;
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

// One character of a literal body at p into out (n bytes: a double-byte character, also one
// whose lead byte an escape gives, is two), the cursor past it. -1 at the end of the line or
// text, -2 at a backslash ending the text, -3 at a lead byte ending it.
int SCR_LEX::lit_char(const char *&p, unsigned char (&out)[2], int &n)
{
    unsigned char c = *p;
    if (c == 0 || c == '\n' || c == '\r') return -1;
    if (c == '\\') {
        int code;
        if (lex_char(p, code) != 0) return -2;
        c = static_cast<unsigned char>(code);
    } else {
        p++;
    }
    out[0] = c;
    n = 1;
    if (!kov::sj_is_lead(c)) return 0;
    if (*p == 0) return -3;
    out[n++] = *p++;
    return 0;
}

// The characters between the quotes of one string literal and any literals joined to it.
// p stands after the opening quote; on success it stands after the last closing quote and the
// blanks behind it.
int SCR_LEX::str_body(const char *&p, char *buf, int &len)
{
    for (;;) {
        if (*p == '"') {
            p++;
            if (scr_skip_space(p) != '"') return 0;
            p++;
            continue;
        }
        unsigned char ch[2];
        int n, r = lit_char(p, ch, n);
        if (r == -1) scr_set_SCRERR("文字列終端文字がない");
        if (r == -3) scr_set_SCRERR("異常文字列");
        if (r != 0) return -1;
        if (len + n > SCR_STRMAX) {
            scr_set_SCRERR("文字列長超過");
            return -1;
        }
        for (int i = 0; i < n; i++) buf[len++] = ch[i];
    }
}

const char *SCR_LEX::scr_past_quoted(const char *p)
{
    char q = *p++;
    if (q == '\'') {   // one character, as lex_number reads it
        int code;
        return lex_char(p, code) == 0 && *p == '\'' ? p + 1 : nullptr;
    }
    while (*p != q) {
        unsigned char ch[2];
        int n;
        if (lit_char(p, ch, n) != 0) return nullptr;
    }
    return p + 1;
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
    size_t n = val.val_length();
    size_t m = strnlen(text, SCR_STRMAX + 1 - n);
    if (n + m <= SCR_STRMAX) return val.val_append(text, m);   // no cut: costs what it adds
    // One byte beyond the limit tells whether a lead byte at the limit lost its trail.
    char buf[SCR_STRMAX + 2];
    const char *old = val.val_gets();
    memcpy(buf, old, n);
    memcpy(buf + n, text, m);
    buf[n + m] = 0;
    buf[kov::sj_cut(buf, SCR_STRMAX)] = 0;
    return val.val_puts(buf);
}
