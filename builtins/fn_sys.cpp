// The machine around the sheet: ending the run, messages, waiting, pprintf, painting, the
// environment and file names, and the window's selection and row scrolling.
#include "builtins/fnutil.h"
#include "sheet/csv.h"
#include "base/kovlog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Painting is switched on while a long call waits, and back as it was afterwards.
FN_PAINT_ON::FN_PAINT_ON(SCR_U &s) : s(s), was(s.scr_nopaint(0)) {}
FN_PAINT_ON::~FN_PAINT_ON() { s.scr_nopaint(was); }

// ---- run control and the user ----

int fn_exit(SCR_U &, const FN_CALL &c, FN_RET &)
{
    KOV_LOG("exit(%d) 終了", c.arg[0].i);
    throw E_EXIT(c.arg[0].i);
}

int fn_errmsg(SCR_U &s, const FN_CALL &, FN_RET &r) { return fn_ret_text(s, r, s.scr_get_preerr()); }

int fn_nopaint(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    r.L = s.scr_nopaint(c.arg[0].i);
    return 0;
}

int fn_beep(SCR_U &s, const FN_CALL &, FN_RET &r)
{
    s.scr_host().host_beep();
    r.L = 1;
    return 0;
}

int fn_message(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    static const struct {
        const char *name;
        int kind;
    } kinds[] = {{"OK", KOV_MB_OK}, {"OKCANCEL", KOV_MB_OKCANCEL}, {"YESNOCANCEL", KOV_MB_YESNOCANCEL}, {"YESNO", KOV_MB_YESNO}};
    for (auto &k : kinds) {
        if (strcmp(c.arg[0].s, k.name) != 0) continue;
        int a = s.scr_host().host_message(c.arg[1].s, k.kind);
        return fn_ret_text(s, r, a == KOV_IDOK ? "OK" : a == KOV_IDCANCEL ? "CANCEL" : a == KOV_IDYES ? "YES" : a == KOV_IDNO ? "NO" : "");
    }
    s.scr_set_FNCERR("%s(%s):引数が無効", s.scr_fn_name, c.arg[0].s);
    return fn_ret_text(s, r, "");
}

int fn_pause(SCR_U &s, const FN_CALL &c, FN_RET &)
{
    if (fn_script_only(s)) s.scr_callback(SCRCB_PAUSE, (intptr_t)c.arg[0].s);
    return 0;
}

int fn_sound(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    r.L = s.scr_host().host_sound(c.arg[0].s) == 0 ? 0 : -1;
    if (r.L) s.scr_set_FNCERR("%s(%s):失敗", s.scr_fn_name, c.arg[0].s);
    return 0;
}

// The step call-back again and again until ms have passed on the host's clock (a signed
// difference, so that the counter's wrap does not end the wait early); a stop ends it at once.
int fn_sleep(SCR_U &s, const FN_CALL &c, FN_RET &)
{
    int ms = c.arg[0].i;
    if (!fn_script_only(s) || ms < 1) return 0;
    FN_PAINT_ON paint(s);
    KOV_HOST &h = s.scr_host();
    uint32_t start = h.host_ticks();
    for (;;) {
        s.scr_callback(SCRCB_ONESTEP, 0);
        int32_t gone = int32_t(h.host_ticks() - start);
        if (gone > ms) break;
        h.host_wait(ms - gone < 10 ? ms - gone + 1 : 10);
    }
    return 0;
}

// ---- pprintf: its own walk of the format, so that a bad format or a missing argument gives
// "!!!formaterr!!!" instead of undefined behaviour ----

namespace {

struct PRINTER {
    SCR_U &s;
    const FN_CALL &c;
    int next = 0;
    std::string out;
    const VAL_U *take() { return next < c.nvargs ? c.vargs[next++] : nullptr; }
    double num(const VAL_U *v) { return v->val_kind == VAL_NUM ? v->val_num : 0; }
    bool fail(const char *msg, const char *rest)
    {
        s.scr_set_FNCERR(msg, s.scr_fn_name, rest);
        return false;
    }
    // Digits at p as a number held below lim; p moves past them.
    static int64_t digits(const char *&p, int64_t lim)
    {
        int64_t n = 0;
        for (; *p >= '0' && *p <= '9'; p++) n = std::min(n * 10 + (*p - '0'), lim);
        return n;
    }
    // One conversion at p (after the '%'); p moves past it. Width and precision are held to
    // what the text buffer can show, so a huge one costs no more than the cut result: a
    // precision past the buffer (and past the 20 digits of an integer) and a width past the
    // unpadded text plus the buffer leave the same first bytes.
    bool conversion(const char *&p, const char *start)
    {
        std::string flags;
        if (*p == '+' || *p == '-') flags += *p++;
        int64_t width = -1;
        bool zero = *p == '0';
        if (*p == '*') {
            const VAL_U *w = take();
            if (!w) return fail("%s(%s):引数不足", start);
            width = scr_trunc32(num(w));
            if (width < 0) flags += '-', width = -width;
            p++;
        } else if (*p >= '0' && *p <= '9') {
            width = digits(p, INT32_MAX);
        }
        int64_t prec = -1;
        if (*p == '.') {
            p++;
            prec = std::min<int64_t>(digits(p, INT32_MAX), PREC_MAX);
        }
        if (*p == 'L' || *p == 'h' || *p == 'l') p++;   // the value's own type decides
        char conv = *p;
        if (!conv || !strchr("cdiouxXeEfgGs", conv)) return fail("%s(%s):引数が無効", p);
        const VAL_U *v = take();
        if (!v) return fail("%s(%s):引数不足", start);
        p++;
        std::string tail = prec >= 0 ? "." + std::to_string(prec) : "";
        tail += strchr("eEfgGcs", conv) ? std::string(1, conv) : std::string("ll") + conv;
        if (width >= 0) {
            int64_t bare = format(nullptr, 0, flags + tail, conv, v);
            width = std::min<int64_t>(width, std::max<int64_t>(bare, 0) + FN_TEXT_MAX);
            flags += (zero ? "0" : "") + std::to_string(width);
        }
        char b[FN_TEXT_MAX] = "";   // stays empty should the C library refuse
        format(b, sizeof b, flags + tail, conv, v);
        out += b;
        return true;
    }
    // snprintf of v by "%" spec; the length of the whole text.
    int64_t format(char *b, size_t n, const std::string &spec, char conv, const VAL_U *v)
    {
        std::string f = "%" + spec;
        if (conv == 's') return snprintf(b, n, f.c_str(), v->val_kind == VAL_STR ? v->val_gets() : "");
        if (strchr("eEfgG", conv)) return snprintf(b, n, f.c_str(), num(v));
        if (conv == 'c') return snprintf(b, n, f.c_str(), int(scr_trunc64(num(v))));
        return snprintf(b, n, f.c_str(), (long long)scr_trunc64(num(v)));
    }
    static constexpr int64_t PREC_MAX = FN_TEXT_MAX + 32;
    bool run(const char *fmt)
    {
        for (const char *p = fmt; *p && out.size() < size_t(FN_TEXT_MAX);) {
            if (*p != '%') {
                out += *p++;
            } else if (p[1] == '%') {
                out += '%';
                p += 2;
            } else {
                const char *start = p++;
                if (!conversion(p, start)) return false;
            }
        }
        return true;
    }
};

} // namespace

int fn_pprintf(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    KOV_LOG("%s(%s):実行", s.scr_fn_name, c.arg[0].s);
    PRINTER pr{s, c, 0, {}};
    if (!pr.run(c.arg[0].s)) return fn_ret_text(s, r, "!!!formaterr!!!");
    return fn_ret_text(s, r, pr.out.data(), pr.out.size());
}

// ---- the environment and file names ----

int fn_getenv(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *v = getenv(c.arg[0].s);
    return fn_ret_text(s, r, v ? v : "");
}

// NAME=value sets, NAME alone removes (as the C library's putenv does).
int fn_putenv(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    std::string t = c.arg[0].s;
    size_t eq = t.find('=');
    if (t.empty() || eq == 0) return r.L = -1, 0;
    r.L = eq == std::string::npos ? unsetenv(t.c_str()) : setenv(t.substr(0, eq).c_str(), t.c_str() + eq + 1, 1);
    return 0;
}

// A name from a template ending in XXXXXX that no file has yet ("" when none is found).
int fn_mktemp(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    std::string t = c.arg[0].s;
    if (t.size() < 6 || t.compare(t.size() - 6, 6, "XXXXXX") != 0) return fn_ret_text(s, r, "");
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned seed = unsigned(getpid()) * 2654435761u ^ unsigned(s.scr_host().host_ticks());
    for (int tries = 0; tries < 100; tries++) {
        for (size_t k = t.size() - 6; k < t.size(); k++) {
            seed = seed * 1103515245u + 12345u;
            t[k] = letters[(seed >> 16) % 62];
        }
        struct stat st;
        if (lstat(t.c_str(), &st) != 0 && errno == ENOENT) return fn_ret_text(s, r, t.c_str());
    }
    return fn_ret_text(s, r, "");
}

int fn_unlink(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = unlink(c.arg[0].s), 0; }
int fn_rename(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = rename(c.arg[0].s, c.arg[1].s), 0; }

// Creates or empties the file with the permission bits given; 0 or -1 (a script has no use for
// the handle, which is closed at once).
int fn_creat(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    int fd = open(c.arg[0].s, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode_t(c.arg[1].i & 07777));
    r.L = fd < 0 ? -1 : 0;
    if (fd >= 0) close(fd);
    return 0;
}

// ---- the window ----

// The range's first cell becomes the current cell (the window scrolls it into view).
int fn_SCREEN(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    CSV_U *sheet = fn_sheet_of(rg.g);
    r.L = -1;
    if (!sheet || sheet->csv_get_xs() < 1 || sheet->csv_get_ys() < 1) return 0;
    sheet->csv_curx = std::clamp(rg.x, 0, sheet->csv_get_xs() - 1);
    sheet->csv_cury = std::clamp(rg.y, 0, sheet->csv_get_ys() - 1);
    sheet->csv_show_cursor();
    return r.L = 0, 0;
}

// Rotates the range's rows "UP" or "DOWN" by one; a formula may not move its own row.
int fn_VSCROLL(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    std::string dir = c.arg[5].s;
    CSV_U *sheet = fn_sheet_of(rg.g);
    r.L = -1;
    if (dir != "UP" && dir != "DOWN") return s.scr_set_FNCERR("%s(%s):引数が無効", s.scr_fn_name, c.arg[5].s), 0;
    if (!sheet) return 0;
    if (fn_in_formula(s) && s.ctx.cel_y >= rg.y && s.ctx.cel_y <= fn_last(rg.y, rg.h))
        return s.scr_set_FNCERR("セル式がスクロール領域内"), 0;
    r.L = sheet->csv_rot_rows(dir == "DOWN", rg.y, rg.h) == 0 ? 0 : -1;
    return 0;
}
