#include "editor/edtext.h"
#include "base/kovsave.h"
#include "base/kovtext.h"
#include "script/lex.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr off_t ED_FILE_MAX = 64L << 20;   // a script is text: a bigger file is refused

// Steps from the line start: LF is never a trail byte, so a line start is a character start.
long line_start(const std::string &t, long at)
{
    while (at > 0 && t[size_t(at - 1)] != '\n') at--;
    return at;
}

size_t step(const std::string &t, long at)
{
    size_t n = kov::sj_step(t.c_str() + at);
    return n ? n : 1;   // a NUL inside the text is one character
}

bool is_char_start(const std::string &t, long at)
{
    long p = line_start(t, at);
    while (p < at) p += long(step(t, p));
    return p == at;
}

} // namespace

long ed_next(const std::string &text, long at)
{
    long n = long(text.size());
    if (at >= n) return n;
    return std::min(n, at + long(step(text, at)));
}

long ed_prev(const std::string &text, long at)
{
    if (at <= 0) return 0;
    long p = line_start(text, at - 1), last = p;
    while (p < at) last = p, p += long(step(text, p));
    return last;
}

long ed_chars(const std::string &text, long bytes)
{
    long n = 0;
    for (long p = 0; p < bytes && p < long(text.size()); p += long(step(text, p))) n++;
    return n;
}

long ed_bytes(const std::string &text, long chars)
{
    long p = 0;
    for (; chars > 0 && p < long(text.size()); chars--) p += long(step(text, p));
    return std::min(p, long(text.size()));
}

long ed_col(const std::string &text, long at, int tab)
{
    long col = 0;
    for (long p = line_start(text, at); p < at; p += long(step(text, p))) {
        if (text[size_t(p)] == '\t') col += tab - col % tab;
        else col += long(step(text, p));   // a double-byte character is two columns wide
    }
    return col;
}

long ed_find(const std::string &text, const std::string &pat, long from, bool forward)
{
    if (pat.empty()) return -1;
    if (forward) {
        for (size_t p = text.find(pat, size_t(std::max(0L, from))); p != std::string::npos; p = text.find(pat, p + 1))
            if (is_char_start(text, long(p))) return long(p);
        return -1;
    }
    if (from <= 0) return -1;
    for (size_t p = text.rfind(pat, size_t(from - 1)); p != std::string::npos; p = p ? text.rfind(pat, p - 1) : std::string::npos)
        if (is_char_start(text, long(p))) return long(p);
    return -1;
}

long ed_lines(const std::string &text)
{
    long n = 1;
    for (char c : text) n += c == '\n';
    return n;
}

long ed_line_start(const std::string &text, long n)
{
    if (n < 1) return -1;
    long p = 0;
    for (long line = 1; line < n; line++) {
        size_t lf = text.find('\n', size_t(p));
        if (lf == std::string::npos) return -1;
        p = long(lf) + 1;
    }
    return p;
}

long ed_line_arg(const std::string &answer)
{
    size_t b = answer.find_first_not_of(" \t"), e = answer.find_last_not_of(" \t");
    if (b == std::string::npos) return -1;
    std::string d = answer.substr(b, e - b + 1);
    if (d.size() > 9 || d.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stol(d);
}

long ed_pair(const std::string &text, long at)
{
    static const char open[] = "([{", close[] = ")]}";
    if (at < 0 || at >= long(text.size()) || step(text, at) != 1) return ED_NOTPAIR;
    char c = text[size_t(at)];
    const char *o = c ? strchr(open, c) : nullptr, *s = c ? strchr(close, c) : nullptr;
    if (!o && !s) return ED_NOTPAIR;
    char mine = c, mate = o ? close[o - open] : open[s - close];
    int depth = 0;
    if (o) {
        for (long p = at; p < long(text.size()); p += long(step(text, p))) {
            if (text[size_t(p)] == mine && step(text, p) == 1) depth++;
            else if (text[size_t(p)] == mate && step(text, p) == 1 && --depth == 0) return p;
        }
        return ED_NOMATE;
    }
    for (long p = at;; p = ed_prev(text, p)) {
        bool one = step(text, p) == 1;
        if (one && text[size_t(p)] == mine) depth++;
        else if (one && text[size_t(p)] == mate && --depth == 0) return p;
        if (p == 0) return ED_NOMATE;
    }
}

int ed_repl_check(const std::string &src, const std::string &dst)
{
    if (src.empty()) return ED_REP_NOSRC;
    if (src == dst) return ED_REP_SAME;
    return ED_REP_DONE;
}

namespace {

bool idc(const std::string &t, long p) { return p >= 0 && p < long(t.size()) && scr_is_idc((unsigned char)t[size_t(p)]); }

// Skips a literal or a comment starting at p: the offset after it, p when none starts there.
long past_skipped(const std::string &t, long p)
{
    long n = long(t.size());
    char c = t[size_t(p)];
    if (c == '"' || c == '\'') {
        long q = p + 1;
        while (q < n && t[size_t(q)] != c && t[size_t(q)] != '\n') q += t[size_t(q)] == '\\' ? 2 : long(step(t, q));
        return std::min(n, q + 1);
    }
    if (c == '/' && p + 1 < n && t[size_t(p + 1)] == '/') {
        size_t lf = t.find('\n', size_t(p));
        return lf == std::string::npos ? n : long(lf);
    }
    if (c == '/' && p + 1 < n && t[size_t(p + 1)] == '*') {
        size_t e = t.find("*/", size_t(p + 2));
        return e == std::string::npos ? n : long(e) + 2;
    }
    return p;
}

// Whole names of the script: the occurrence stands alone between non-name characters, outside
// literals and comments.
std::vector<long> ident_matches(const std::string &t, const std::string &pat)
{
    std::vector<long> at;
    long n = long(t.size()), len = long(pat.size());
    for (long p = 0; p < n;) {
        long q = past_skipped(t, p);
        if (q != p) {
            p = q;
            continue;
        }
        if (t.compare(size_t(p), size_t(len), pat) == 0 && !idc(t, p - 1) && !idc(t, p + len)) {
            at.push_back(p);
            p += len;
            continue;
        }
        // a name is passed whole: "ab" is no occurrence inside "xab"
        if (idc(t, p)) {
            while (idc(t, p)) p++;
        } else {
            p += long(step(t, p));
        }
    }
    return at;
}

} // namespace

std::vector<long> ed_matches(const std::string &text, const std::string &pat, bool ident)
{
    if (pat.empty()) return {};
    if (ident) return ident_matches(text, pat);
    std::vector<long> at;
    for (long p = ed_find(text, pat, 0, true); p >= 0; p = ed_find(text, pat, p + long(pat.size()), true)) at.push_back(p);
    return at;
}

int ed_replace(std::string &text, const std::string &src, const std::string &dst, bool ident, int &count)
{
    count = 0;
    int rc = ed_repl_check(src, dst);
    if (rc != ED_REP_DONE) return rc;
    std::vector<long> at = ed_matches(text, src, ident);
    if (at.empty()) return ED_REP_NONE;
    std::string out;
    long from = 0;
    for (long p : at) {
        out.append(text, size_t(from), size_t(p - from));
        out += dst;
        from = p + long(src.size());
    }
    out.append(text, size_t(from), std::string::npos);
    text.swap(out);
    count = int(at.size());
    return ED_REP_DONE;
}

std::string ed_repl_msg(int code, int count)
{
    switch (code) {
    case ED_REP_NOSRC: return "置換元が未指定";
    case ED_REP_SAME: return "置換元/置換先が同一";
    case ED_REP_NONE: return "置換対象がありません";
    case ED_REP_CANCEL: return "置換中止";
    default: break;
    }
    char b[64];
    snprintf(b, sizeof b, "%d 個の文字列を置換しました", count);
    return b;
}

int ed_file_read(const char *name, std::string &text, int *enc)
{
    struct stat st;
    int fd = kov::open_regular(name, st, ED_FILE_MAX);
    if (fd < 0) return -1;
    std::string raw;
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0 && off_t(raw.size()) <= ED_FILE_MAX) raw.append(buf, size_t(n));
    int e = n < 0 ? errno : off_t(raw.size()) > ED_FILE_MAX ? EFBIG : 0;
    close(fd);
    if (e) {
        errno = e;
        return -1;
    }
    text.clear();
    text.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); i++)
        if (raw[i] != '\r' || i + 1 >= raw.size() || raw[i + 1] != '\n') text += raw[i];
    int got = kov::sj_decode_file(text, nullptr);
    if (enc) *enc = got;
    return 0;
}

int ed_file_write(const char *name, const std::string &text, int enc)
{
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
        crlf += text[i];
    }
    return kov::save_whole(name, kov::sj_encode_file(crlf, enc));
}
