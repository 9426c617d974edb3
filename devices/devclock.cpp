#include "devices/devclock.h"

#include "base/kovtext.h"
#include "script/scr.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int FORMAT_MAX = 64;
constexpr size_t TEXT_MAX = 4096;

std::string cut(const char *s, size_t n) { return s ? std::string(s, kov::sj_cut(s, n)) : std::string(); }

std::string two(int v)
{
    char b[16];
    snprintf(b, sizeof b, "%02d", v);
    return b;
}

// The replacement of the token at p, and its length; 0 when p starts no token.
size_t token(const char *p, const tm &t, std::string &out)
{
    struct TOKEN {
        const char *name;
        int which;
    };
    static const TOKEN tokens[] = {
        {"YYYY", 0}, {"YY", 1}, {"MM", 2}, {"DD", 3}, {"hh", 4}, {"1h", 5}, {"mm", 6}, {"ss", 7},
        {"AM", 8}, {"PM", 8}, {"am", 9}, {"pm", 9}, {":", 10},
    };
    for (const TOKEN &k : tokens) {
        size_t n = strlen(k.name);
        if (strncmp(p, k.name, n) != 0) continue;
        char b[16];
        switch (k.which) {
        case 0: snprintf(b, sizeof b, "%04d", t.tm_year + 1900); out = b; break;
        case 1: out = two((t.tm_year + 1900) % 100); break;
        case 2: out = two(t.tm_mon + 1); break;
        case 3: out = two(t.tm_mday); break;
        case 4: out = two(t.tm_hour); break;
        case 5: out = two(t.tm_hour % 12); break;
        case 6: out = two(t.tm_min); break;
        case 7: out = two(t.tm_sec); break;
        case 8: out = t.tm_hour < 12 ? "AM" : "PM"; break;
        case 9: out = t.tm_hour < 12 ? "am" : "pm"; break;
        default: out = t.tm_sec % 2 ? " " : ":"; break;   // the colon blinks with the seconds
        }
        return n;
    }
    return 0;
}

} // namespace

std::string DEV_CLOCK::format_time(const std::string &fmt, time_t utc, long off)
{
    tm t{};
    time_t at = utc + time_t(off);
    if (!gmtime_r(&at, &t)) return "ERROR";
    std::string text, rep;
    for (const char *p = fmt.c_str(); *p && text.size() < TEXT_MAX;) {
        if (kov::sj_is_lead((unsigned char)*p) && p[1]) {   // a double-byte character is no token
            text.append(p, 2);
            p += 2;
        } else if (size_t n = token(p, t, rep)) {
            text += rep;
            p += n;
        } else {
            text += *p++;
        }
    }
    return text;
}

void DEV_CLOCK::refresh()
{
    if (!wp_scr) return;
    std::string t = format_time(format, wp_scr->scr_host().host_now(), offset);
    if (t == shown) return;
    shown = t;
    draws++;
    wp_show();
}

int DEV_CLOCK::wp_update(const FN_CALL &c)
{
    bool first = !wp_is_open();
    if (first && wp_open_at_home(wp_style_from_options(c.arg[2].s)) != 0) return -1;
    format = cut(c.arg[3].s, FORMAT_MAX);
    style = cut(c.arg[4].s, FORMAT_MAX);
    offset = c.arg[5].i;
    if (first) refresh();
    wp_value.val_puts(shown.c_str());
    return 0;
}

// The tick redraws only: the formula reads the text at the sheet's next recalculation.
void DEV_CLOCK::wp_tick(int)
{
    if (wp_is_open()) refresh();
}

int DEV_CLOCK::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (n != 0 || strcmp(cmd, "GET") != 0) return WP_PART::wp_command(cmd, a, n);
    wp_value.val_puts(shown.c_str());
    return 0;
}
