#include "base/kovtext.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iconv.h>

namespace kov {

size_t sj_step(const char *p)
{
    if (*p == 0) return 0;
    if (sj_is_lead((unsigned char)p[0]) && p[1] != 0) return 2;
    return 1;
}

size_t sj_chars(const char *s)
{
    size_t n = 0;
    for (size_t k; (k = sj_step(s)) != 0; s += k) n++;
    return n;
}

size_t sj_cut(const char *s, size_t max)
{
    size_t i = 0;
    for (size_t k; (k = sj_step(s + i)) != 0 && i + k <= max; i += k) {}
    return i;
}

bool sj_is_trail(const char *s, size_t i)
{
    size_t p = 0;
    while (p < i) {
        size_t k = sj_step(s + p);
        if (k == 0) return false;
        if (k == 2 && p + 1 == i) return true;
        p += k;
    }
    return false;
}

static std::string convert(const char *to, const char *from, std::string_view in)
{
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return std::string(in);
    out.resize(in.size() * 4 + 16);
    char *ip = const_cast<char *>(in.data());
    size_t il = in.size();
    char *op = out.data();
    size_t ol = out.size();
    while (il > 0) {
        if (iconv(cd, &ip, &il, &op, &ol) != (size_t)-1) break;
        if (errno == E2BIG) break;  // cannot happen: 4 bytes out per byte in
        // EILSEQ or EINVAL: replace one byte and go on.
        ip++;
        il--;
        if (ol > 0) { *op++ = '?'; ol--; }
    }
    out.resize(out.size() - ol);
    iconv_close(cd);
    return out;
}

std::string sj_to_utf8(std::string_view sjis) { return convert("UTF-8", "CP932", sjis); }
std::string sj_from_utf8(std::string_view utf8) { return convert("CP932", "UTF-8", utf8); }

namespace {

bool u8_cont(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the whole, valid UTF-8 sequence at p (at most n bytes there), 0 when there is none:
// no overlong forms, no surrogates, nothing beyond U+10FFFF.
size_t u8_len(const unsigned char *p, size_t n)
{
    unsigned c = p[0];
    if (c < 0x80) return 1;
    size_t k = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (k == 0 || n < k) return 0;
    unsigned lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    unsigned hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    if (p[1] < lo || p[1] > hi) return 0;
    for (size_t i = 2; i < k; i++)
        if (!u8_cont(p[i])) return 0;
    return k;
}

char32_t u8_code(const unsigned char *p, size_t k)
{
    char32_t v = k == 1 ? p[0] : p[0] & (0x7F >> k);
    for (size_t i = 1; i < k; i++) v = v << 6 | (p[i] & 0x3F);
    return v;
}

bool sj_trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// The Shift-JIS reading of the bytes at p: whether it is a character common in Shift-JIS text
// (ASCII, half-width katakana, the symbol and kana rows, level-1 kanji); k gets its length.
bool sj_common(const unsigned char *p, size_t n, size_t &k)
{
    unsigned c = p[0];
    k = 1;
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) return true;
    if (!sj_is_lead((unsigned char)c) || n < 2 || !sj_trail(p[1])) return false;
    k = 2;
    unsigned code = c << 8 | p[1];
    return (c >= 0x81 && c <= 0x84) || (code >= 0x889F && code <= 0x9872);
}

bool ascii_alnum(const unsigned char *p, size_t i, size_t n)
{
    return i < n && ((p[i] >= '0' && p[i] <= '9') || ((p[i] | 0x20) >= 'a' && (p[i] | 0x20) <= 'z'));
}

// Whether the UTF-8 reading has what Shift-JIS text of common characters does not make: a
// four-byte sequence, a three-byte one of Japanese (CJK symbols, kana, kanji, full-width forms;
// any three-byte one where the Shift-JIS reading already met a rare pair), or (glued) a
// two-byte one glued to an ASCII letter or digit, as in "café".
bool u8_telling(const unsigned char *p, size_t n, bool rare)
{
    for (size_t i = 0; i < n;) {
        size_t k = std::max<size_t>(u8_len(p + i, n - i), 1);
        char32_t v = u8_code(p + i, k);
        if (k == 4 || (k == 3 && rare)) return true;
        if (k == 3 && ((v >= 0x3000 && v <= 0x30FF) || (v >= 0x4E00 && v <= 0x9FFF) || (v >= 0xFF00 && v <= 0xFFEF)))
            return true;
        if (!rare && k == 2 && ((i > 0 && ascii_alnum(p, i - 1, n)) || ascii_alnum(p, i + 2, n))) return true;
        i += k;
    }
    return false;
}

// UTF-8 that gives up nothing when read as Shift-JIS.
bool u8_lossless(std::string_view bytes)
{
    std::string sj;
    return sj_from_utf8_lost(bytes, sj, nullptr) == 0;
}

} // namespace

// The length of the ASCII bytes that begin p, eight at a time.
static size_t ascii_prefix(const unsigned char *p, size_t n)
{
    size_t i = 0;
    for (uint64_t w; i + 8 <= n; i += 8) {
        memcpy(&w, p + i, 8);
        if (w & 0x8080808080808080ull) break;
    }
    while (i < n && p[i] < 0x80) i++;
    return i;
}

size_t utf8_valid_len(std::string_view s)
{
    auto *p = reinterpret_cast<const unsigned char *>(s.data());
    size_t i = 0, n = s.size();
    for (size_t k; i < n; i += k) {
        while (i < n && p[i] < 0x80) i++;   // most bytes of most files
        if (i == n || (k = u8_len(p + i, n - i)) == 0) break;
    }
    return i;
}

// A byte-order mark says UTF-8. Otherwise text that is not valid UTF-8, or is plain ASCII, is
// Shift-JIS. Valid UTF-8 with other bytes is UTF-8 when its Shift-JIS reading meets a byte pair
// that is no character or a rare one (level-2 kanji, the NEC and IBM extensions, the user area):
// every three- and four-byte sequence reads so. When the Shift-JIS reading is all common
// characters (kana, symbols, level-1 kanji, half-width katakana), it is UTF-8 only for what such
// text hardly makes (u8_telling), and only when every character of it has a Shift-JIS form. Real Shift-JIS text is seldom valid UTF-8 at all: a kana or
// kanji after an ASCII byte (a comma, a line end) already breaks it.
int sj_guess(std::string_view bytes)
{
    auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    size_t n = bytes.size();
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) return SJ_ENC_UTF8BOM;
    const size_t ascii = ascii_prefix(p, n);   // common characters, nothing else
    if (ascii == n) return SJ_ENC_SJIS;
    if (utf8_valid_len(bytes) != n) return SJ_ENC_SJIS;
    bool other = false, rare = false;
    for (size_t i = ascii, k; i < n && !rare; i += k) {
        if (p[i] >= 0x80) other = true;
        rare = !sj_common(p + i, n - i, k);
    }
    // A Shift-JIS reading with a rare pair is UTF-8 when it has three- or four-byte characters
    // or loses nothing (two-byte ones alone also come from Shift-JIS read out of step); when both
    // readings are plausible, only when it loses nothing. So a Shift-JIS file misjudged comes
    // back unchanged unless it also reads as UTF-8 of wider characters.
    if (rare) return u8_telling(p, n, true) || u8_lossless(bytes) ? SJ_ENC_UTF8 : SJ_ENC_SJIS;
    return other && u8_telling(p, n, false) && u8_lossless(bytes) ? SJ_ENC_UTF8 : SJ_ENC_SJIS;
}

size_t sj_from_utf8_lost(std::string_view utf8, std::string &out, SJ_LOST *lost)
{
    out.clear();
    SJ_LOST first;
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == (iconv_t)-1) {
        out.assign(utf8);
        return 0;
    }
    out.resize(utf8.size() + 16);   // no character grows in CP932, and '?' takes a whole one
    char *ip = const_cast<char *>(utf8.data()), *op = out.data();
    size_t il = utf8.size(), ol = out.size();
    while (il > 0 && iconv(cd, &ip, &il, &op, &ol) == (size_t)-1 && errno != E2BIG) {
        // EILSEQ or EINVAL: the character (or byte) at ip has no CP932 form.
        auto *u = reinterpret_cast<const unsigned char *>(ip);
        size_t k = std::max<size_t>(u8_len(u, il), 1);
        if (first.count++ == 0) {
            first.at = size_t(ip - utf8.data());
            first.line = 1 + size_t(std::count(utf8.begin(), utf8.begin() + long(first.at), '\n'));
            first.ch.assign(ip, k);
        }
        ip += k;
        il -= k;
        *op++ = '?';
        ol--;
    }
    iconv_close(cd);
    out.resize(out.size() - ol);
    if (lost) *lost = first;
    return first.count;
}

std::string sj_to_utf8_esc(std::string_view sjis)
{
    std::string out(sjis.size() * 4 + 16, '\0');
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == (iconv_t)-1) return std::string(sjis);
    char *ip = const_cast<char *>(sjis.data()), *op = out.data();
    size_t il = sjis.size(), ol = out.size();
    static const char hex[] = "0123456789ABCDEF";
    while (il > 0 && iconv(cd, &ip, &il, &op, &ol) == (size_t)-1 && errno != E2BIG) {
        auto *u = reinterpret_cast<const unsigned char *>(ip);
        size_t k = sj_is_lead(u[0]) && il > 1 && sj_trail(u[1]) ? 2 : 1;
        for (size_t i = 0; i < k; i++, ol -= 4) {   // \xHH: 4 bytes out for 1 in
            *op++ = '\\', *op++ = 'x', *op++ = hex[u[i] >> 4], *op++ = hex[u[i] & 15];
        }
        ip += k;
        il -= k;
    }
    iconv_close(cd);
    out.resize(out.size() - ol);
    return out;
}

int sj_decode_file(std::string &bytes, SJ_LOST *lost)
{
    if (lost) *lost = SJ_LOST();
    int enc = sj_guess(bytes);
    if (enc == SJ_ENC_SJIS) return enc;
    std::string sj;
    sj_from_utf8_lost(std::string_view(bytes).substr(enc == SJ_ENC_UTF8BOM ? 3 : 0), sj, lost);
    if (lost && enc == SJ_ENC_UTF8BOM) lost->at += 3;
    bytes.swap(sj);
    return enc;
}

std::string sj_encode_file(std::string_view sjis, int enc)
{
    if (enc != SJ_ENC_UTF8 && enc != SJ_ENC_UTF8BOM) return std::string(sjis);
    std::string u8 = sj_to_utf8_esc(sjis);
    // A file that would not be read back as UTF-8 (its evidence went with the characters that
    // became '?') gets the byte-order mark, so that it is; ASCII reads the same either way.
    bool ascii = std::all_of(u8.begin(), u8.end(), [](char c) { return (unsigned char)c < 0x80; });
    if (enc == SJ_ENC_UTF8BOM || (!ascii && sj_guess(u8) == SJ_ENC_SJIS)) u8.insert(0, "\xEF\xBB\xBF");
    return u8;
}

std::string sj_lost_text(const char *name, const SJ_LOST &lost)
{
    if (lost.count == 0) return "";
    auto *u = reinterpret_cast<const unsigned char *>(lost.ch.data());
    size_t k = u8_len(u, lost.ch.size());
    char b[256];
    if (k > 1)
        snprintf(b, sizeof b, "%s %zu 行目の文字 U+%04X は Shift-JIS にないため ? にしました (計 %zu 文字)", name ? name : "",
                 lost.line, unsigned(u8_code(u, k)), lost.count);
    else
        snprintf(b, sizeof b, "%s %zu 行目のバイト 0x%02X は UTF-8 の文字でないため ? にしました (計 %zu 文字)", name ? name : "",
                 lost.line, lost.ch.empty() ? 0u : unsigned(u[0]), lost.count);
    return b;
}

} // namespace kov
