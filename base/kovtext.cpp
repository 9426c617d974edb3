#include "base/kovtext.h"

#include <cerrno>
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

} // namespace kov
