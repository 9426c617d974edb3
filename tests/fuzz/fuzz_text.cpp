// Shift-JIS text on any bytes: the character walk (sj_step, sj_cut, sj_chars, sj_is_trail)
// agrees with itself, the conversions to and from UTF-8 stay within their sizes and settle
// after one round, valid text goes there and back unchanged, the encoding of a file is judged
// consistently and a file's UTF-8 is always valid, and the log cuts a message of any bytes at
// LOG_MSG_MAX without splitting a double-byte character.
#include <cstring>
#include <string>

#include "tests/fuzz/fuzz_util.h"
#include "sheet/kovhost.h"
#include "base/kovlog.h"
#include "base/kovtext.h"

namespace {

using namespace kov;

void check_walk(const std::string &s, size_t max)
{
    const char *p = s.c_str();
    size_t len = strlen(p), at = 0, chars = 0;
    std::string trail(len, 0);
    for (size_t k; (k = sj_step(p + at)) != 0; at += k, chars++) {
        unsigned char c = p[at];
        FUZZ_CHECK(k == (sj_is_lead(c) && p[at + 1] ? 2u : 1u));
        if (k == 2) trail[at + 1] = 1;
    }
    FUZZ_CHECK(at == len && sj_chars(p) == chars);
    for (size_t i = 0; i <= len; i++) FUZZ_CHECK(sj_is_trail(p, i) == (trail[i] == 1 ? true : false));
    size_t cut = sj_cut(p, max);
    FUZZ_CHECK(cut <= max && cut <= len && !sj_is_trail(p, cut));
    // The longest such prefix: the next character would pass max (or the text ends).
    FUZZ_CHECK(cut == len || cut + sj_step(p + cut) > max);
}

bool valid_utf8(const std::string &s)
{
    for (size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (!n || i + n > s.size()) return false;
        for (size_t k = 1; k < n; k++)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

size_t count_q(const std::string &s)
{
    size_t n = 0;
    for (char c : s) n += c == '?';
    return n;
}

// Characters that map one to one: ASCII, half-width katakana and the JIS X 0208 rows (the
// vendor rows 0x87, 0xED..0xFC have twins elsewhere that the way back prefers).
bool one_to_one(const std::string &s)
{
    for (size_t i = 0; i < s.size(); i++) {
        unsigned char c = s[i];
        if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;
        if (!((c >= 0x81 && c <= 0x84) || (c >= 0x88 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEA))) return false;
        i++;
    }
    return true;
}

void check_convert(const std::string &s)
{
    std::string u = sj_to_utf8(s);
    FUZZ_CHECK(valid_utf8(u) && u.size() <= 3 * s.size());
    std::string back = sj_from_utf8(u);
    FUZZ_CHECK(back.size() <= u.size());
    FUZZ_CHECK(sj_to_utf8(back) == u);   // settles after one round
    if (count_q(u) == count_q(s) && one_to_one(s)) FUZZ_CHECK(back == s);   // nothing replaced
    // The same bytes taken as UTF-8 (several characters may share one Shift-JIS code).
    std::string j = sj_from_utf8(s);
    FUZZ_CHECK(j.size() <= s.size() && sj_from_utf8(sj_to_utf8(j)) == j);
}

// The encoding judged of any bytes, and the conversions for files: UTF-8 only when it is so, a
// written file always valid UTF-8, and each loss one '?' that is counted.
void check_encoding(const std::string &s)
{
    size_t v = utf8_valid_len(s);
    FUZZ_CHECK(v <= s.size() && valid_utf8(s.substr(0, v)));
    int enc = sj_guess(s);
    FUZZ_CHECK((enc == SJ_ENC_UTF8BOM) == (s.compare(0, 3, "\xEF\xBB\xBF") == 0));
    if (enc == SJ_ENC_UTF8) FUZZ_CHECK(v == s.size());
    std::string w = sj_encode_file(s, SJ_ENC_UTF8);
    FUZZ_CHECK(utf8_valid_len(w) == w.size());
    std::string out;
    SJ_LOST lost;
    size_t n = sj_from_utf8_lost(s, out, &lost);
    FUZZ_CHECK(n == lost.count && count_q(out) == count_q(s) + n && out.size() <= s.size());
    if (n) FUZZ_CHECK(lost.at < s.size() && !lost.ch.empty() && lost.line >= 1);
    if (!n) FUZZ_CHECK(out == sj_from_utf8(s));
    std::string file = s;
    FUZZ_CHECK(sj_decode_file(file, nullptr) == enc && (enc != SJ_ENC_SJIS || file == s));
}

std::string g_shown;
int g_shows;
// Attention lines caught, the clock at 2026-01-07 00:00:00 local time.
struct HOST : KOV_HOST {
    int host_msgbox(const char *msg, const char *, int) override
    {
        g_shown = msg;
        g_shows++;
        return KOV_IDOK;
    }
    time_t host_now() override
    {
        struct tm t = {};
        t.tm_year = 126, t.tm_mday = 7, t.tm_isdst = -1;
        return mktime(&t);
    }
};

void check_log(const std::string &s)
{
    static const std::string path = fuzz_tmpname("KOVASH.LOG");
    log_set_path(path.c_str());
    static HOST host;
    log_set_host(&host);
    unlink(path.c_str());
    g_shows = 0;
    KOV_ATT("%s", s.c_str());
    const char *p = s.c_str();
    FUZZ_CHECK(g_shows == 1 && g_shown == std::string(p, sj_cut(p, LOG_MSG_MAX)));
    FILE *fp = fopen(path.c_str(), "rb");
    FUZZ_CHECK(fp);
    char line[LOG_MSG_MAX + 256];
    size_t n = fread(line, 1, sizeof line, fp);
    fclose(fp);
    const std::string want = "[ATT]KOV(" + std::string(line + 9, 5) + ") 26/01/07 00:00.00 " + g_shown + "\r\n";
    FUZZ_CHECK(n == want.size() && memcmp(line, want.data(), n) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FUZZ_IN in{data, size};
    size_t max = in.u16() % 1100;
    std::string s = in.rest();
    check_walk(s, max);
    check_convert(s);
    check_encoding(s);
    check_log(s);
    // The cut at the log's limit where the 1024th byte starts a double-byte character.
    check_log(std::string(LOG_MSG_MAX - 1, 'a') + s);
    return 0;
}
