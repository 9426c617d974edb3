// The sheet and CSV writer, save by name and the save of a sheet with its script file.
// A file is replaced only once its new content is complete on disk (CSV_FOUT_U).
#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "sheet/csvfile.h"
#include "base/kovlog.h"
#include "base/kovsave.h"
#include "base/kovtext.h"

// ---------------------------------------------------------------- the atomic file

CSV_FOUT_U::~CSV_FOUT_U() { fout_abort(); }

int CSV_FOUT_U::fout_open(const char *name, int sync)
{
    fout_abort();
    fout_sync = sync;
    fout_n = 0;
    fout_err = 0;
    fout_name = kov::save_target(name);   // a symbolic link stays, its target is written
    if (fout_name.empty()) return -1;
    struct stat st;
    bool old = stat(fout_name.c_str(), &st) == 0;
    if (old && !S_ISREG(st.st_mode)) {   // a FIFO or a device is never replaced by a file
        errno = S_ISDIR(st.st_mode) ? EISDIR : KOV_ENOTREG;
        return -1;
    }
    if (old && !kov::save_may_replace(fout_name.c_str(), st)) {
        fout_err = errno;   // refused as a failed write; the old file is not touched
        return 0;
    }
    fout_fd = kov::save_tmp_open(fout_name, fout_tmp);
    if (fout_fd < 0) return -1;
    if (old && fchown(fout_fd, st.st_uid, st.st_gid) != 0) {}   // best effort when run as root
    fchmod(fout_fd, kov::save_mode(old ? &st : nullptr));
    return 0;
}

void CSV_FOUT_U::fout_flush()
{
    const char *p = fout_buf;
    while (fout_n > 0 && !fout_err) {
        ssize_t k = write(fout_fd, p, fout_n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) {
            fout_err = errno ? errno : EIO;
            break;
        }
        p += k;
        fout_n -= size_t(k);
    }
    fout_n = 0;
}

void CSV_FOUT_U::fout_put(const char *s, size_t n)
{
    while (n > 0) {
        if (fout_n == sizeof fout_buf) fout_flush();
        size_t k = std::min(n, sizeof fout_buf - fout_n);
        memcpy(fout_buf + fout_n, s, k);
        fout_n += k;
        s += k;
        n -= k;
    }
}

void CSV_FOUT_U::fout_puts(const char *s) { fout_put(s, strlen(s)); }

int CSV_FOUT_U::fout_commit()
{
    if (fout_fd < 0) {
        errno = fout_err ? fout_err : EBADF;
        return -1;
    }
    fout_flush();
    if (!fout_err && fout_sync && fsync(fout_fd) != 0) fout_err = errno;
    if (close(fout_fd) != 0 && !fout_err) fout_err = errno;
    fout_fd = -1;
    if (!fout_err && rename(fout_tmp.c_str(), fout_name.c_str()) != 0) fout_err = errno;
    if (fout_err) {
        unlink(fout_tmp.c_str());
        fout_tmp.clear();
        errno = fout_err;
        return -1;
    }
    fout_tmp.clear();
    if (!fout_sync) return 0;
    int dfd = open(kov::save_dir(fout_name).c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        fsync(dfd);   // the rename itself reaches the disk
        close(dfd);
    }
    return 0;
}

void CSV_FOUT_U::fout_abort()
{
    if (fout_fd >= 0) close(fout_fd);
    fout_fd = -1;
    if (!fout_tmp.empty()) unlink(fout_tmp.c_str());
    fout_tmp.clear();
    fout_n = 0;
}

// ---------------------------------------------------------------- pieces of the format

namespace {

// A valid second byte of a double-byte character; a lead byte before anything else is written
// escaped, so that no raw quote or comma can hide behind it.
bool sj_trail_ok(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

const char hexd[] = "0123456789ABCDEF";

void put_hex(std::string &out, unsigned char c)
{
    char e[4] = {'\\', 'x', hexd[c >> 4], hexd[c & 15]};
    out.append(e, 4);
}

} // namespace

void csv_escape(std::string &out, const char *src, size_t max)
{
    size_t n = kov::sj_cut(src, max);
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)src[i];
        if (kov::sj_is_lead(c)) {
            if (i + 1 < n && sj_trail_ok((unsigned char)src[i + 1])) {
                out.append(src + i, 2);
                i++;
            } else {
                put_hex(out, c);
            }
        } else if (c == '"' || c == ',' || c == '\\' || c < 0x20) {
            put_hex(out, c);
        } else {
            out += char(c);
        }
    }
}

namespace {

// "%.16g" of the digits ("d" or "d.ddd", at most 16) and decimal exponent x: fixed from 1e-4 up
// to below 1e16, else d.ddde+XX; trailing zeros never appear since the digits are shortest.
int num_layout(char *buf, bool neg, const char *dig, int n, int x)
{
    char *p = buf;
    if (neg) *p++ = '-';
    if (x < -4 || x >= 16) {
        *p++ = dig[0];
        if (n > 1) *p++ = '.';
        memcpy(p, dig + 1, size_t(n - 1));
        p += n - 1;
        *p++ = 'e';
        *p++ = x < 0 ? '-' : '+';
        int a = x < 0 ? -x : x;
        if (a < 10) *p++ = '0';
        p = std::to_chars(p, p + 4, a).ptr;
    } else if (x < 0) {
        memcpy(p, "0.0000", size_t(1 - x));
        p += 1 - x;
        memcpy(p, dig, size_t(n));
        p += n;
    } else {
        for (int i = 0; i <= x || i < n; i++) {
            if (i == x + 1) *p++ = '.';
            *p++ = i < n ? dig[i] : '0';
        }
    }
    *p = 0;
    return int(p - buf);
}

// The shortest digits that read back as d are what "%.16g" prints when they are at most 16 and
// d lies nearer to them than half a step of the 16-digit grid, whatever digits follow in d's
// exact value. d lies within half an ulp of them, so an ulp smaller than the step is enough; below a
// power of ten (digits "1") the grid of d itself is ten times finer. -1: not sure, ask the slow
// path.
int num_shortest(char *buf, double d)
{
    char s[32];
    auto r = std::to_chars(s, s + sizeof s, d, std::chars_format::scientific);
    *r.ptr = 0;
    const char *p = s + (*s == '-');
    char dig[20];
    int n = 0;
    for (; *p != 'e'; p++)
        if (*p != '.') dig[n++] = *p;
    int x = atoi(p + 1);
    int e2;
    std::frexp(d, &e2);   // |d| in [2^(e2-1), 2^e2): its ulp is 2^(e2-53)
    int grid = x - 15 - (n == 1 && dig[0] == '1');
    if (n > 16 || (e2 - 53) * 0.30102999566398120 > grid - 1e-6) return -1;
    return num_layout(buf, *s == '-', dig, n, x);
}

} // namespace

int csv_num_text(char *buf, double d)
{
    // Whole numbers of up to 16 digits are printed as they are (not -0, which keeps its sign).
    long long i = d > -1e16 && d < 1e16 ? (long long)d : 0;
    if (double(i) == d && (i != 0 || !std::signbit(d))) {
        char *e = std::to_chars(buf, buf + 31, i).ptr;
        *e = 0;
        return int(e - buf);
    }
    if (std::isfinite(d) && std::fabs(d) >= DBL_MIN) {
        int n = num_shortest(buf, d);
        if (n >= 0) return n;
    }
    auto r = std::to_chars(buf, buf + 31, d, std::chars_format::general, 16);
    *r.ptr = 0;
    return int(r.ptr - buf);
}

// ---------------------------------------------------------------- the writer

namespace {

// Writer targets: the atomic file or a string.
struct STR_OUT {
    std::string &s;
    void put(const char *p, size_t n) { s.append(p, n); }
    void putc(char c) { s += c; }
    void eol() { s.append("\r\n", 2); }
};
struct FILE_OUT {
    CSV_FOUT_U &f;
    void put(const char *p, size_t n) { f.fout_put(p, n); }
    void putc(char c) { f.fout_putc(c); }
    void eol() { f.fout_eol(); }
};

template <class OUT> void put_opt(OUT &out, const char *name, const char *text)
{
    out.putc(CSV_STX);
    out.put(name, strlen(name));
    out.putc(CSV_ETX);
    out.put(text, strlen(text));
}

template <class OUT> void put_int(OUT &out, int v)
{
    char b[16];
    auto r = std::to_chars(b, b + sizeof b, v);
    out.put(b, size_t(r.ptr - b));
}

template <class OUT> void put_opt(OUT &out, const char *name, int v)
{
    put_opt(out, name, "");
    put_int(out, v);
    out.eol();
}

// Window-state options in file order. Twins: the CSV_WS_ enum in csvfile.h and op_name in
// csvfread.cpp.
const char *const ws_name[CSV_WS_COUNT] = {
    "FOP_DSPPOSX", "FOP_DSPPOSY", "FOP_CSRPOSX", "FOP_CSRPOSY", "FOP_DSPSIZX", "FOP_DSPSIZY",
    "FOP_FONTSIZ", "FOP_TOOLBAR", "FOP_STATBAR", "FOP_ROWNAME", "FOP_COLNAME", "FOP_HSCROLL",
    "FOP_VSCROLL", "FOP_FULLSIZ",
};

// Last column + 1 of row y whose cell meets the mask.
int used_in_row(const CSV_U &csv, int y, int mask)
{
    const CSV_ROW *r = csv.csv_get_row(y);
    int n = r ? r->cnt : 0;
    while (n > 0 && !(CSV_U::csv_cel_use(&r->cel[n - 1]) & mask)) n--;
    return n;
}

} // namespace

template <class OUT> void CSVFILE_U::csv_write_opts(OUT &out, const CSV_RECT *region)
{
    CSV_WINST ws;
    csv_winst_clear(ws);
    csv.csv_host().host_win_get(ws);
    ws.v[CSV_WS_CSRPOSX] = csv.csv_curx;
    ws.v[CSV_WS_CSRPOSY] = csv.csv_cury;
    put_opt(out, "FOP_VER", "1.00");
    out.eol();
    put_opt(out, "FOP_YOFF", region ? region->y1 : 0);
    put_opt(out, "FOP_XOFF", region ? region->x1 : 0);
    put_opt(out, "FOP_YSIZ", region ? region->y2 - region->y1 + 1 : csv.csv_get_ys());
    put_opt(out, "FOP_XSIZ", region ? region->x2 - region->x1 + 1 : csv.csv_get_xs());
    put_opt(out, "FOP_SCRLOCK", csv.csv_scrlock);
    put_opt(out, "FOP_WPBEEP", csv.csv_wpbeep);
    put_opt(out, "FOP_RNWID", csv.csv_rnwide);
    put_opt(out, "FOP_CNROW", csv.csv_cnrow);
    put_opt(out, "FOP_RNCOL", csv.csv_rncol);
    put_opt(out, "FOP_CYCLEMS", csv.csv_cyclems);
    for (int i = 0; i < CSV_WS_COUNT; i++) put_opt(out, ws_name[i], ws.v[i]);
    int xs = csv.csv_get_xs();
    if (xs < 1) return;
    put_opt(out, "FOP_WID", "");
    for (int x = 0; x < xs; x++) {
        if (x) out.putc(',');
        put_int(out, csv.csv_get_wide(x));
    }
    out.eol();
}

namespace {

// The exact number prefix: the 8 bytes of the double, least significant first, in hex.
void put_exact(std::string &t, double d)
{
    uint64_t bits = std::bit_cast<uint64_t>(d);
    t += CSV_STX;
    t += '.';
    for (int i = 0; i < 8; i++, bits >>= 8) {
        t += hexd[(bits >> 4) & 15];
        t += hexd[bits & 15];
    }
    t += CSV_ETX;
}

} // namespace

// One field: attributes (mask 4), formula (mask 2), value (mask 1). A number is the exact prefix
// in the full format and 16 digits in a values-only file.
template <class OUT> void CSVFILE_U::csv_wcell(OUT &out, int x, int y, int mask)
{
    const CSV_CEL *c = csv.csv_get_cel(x, y);
    if (!c) return;
    if (mask == CSV_P_VAL && CSV_U::csv_cel_type(c) == CSV_NUM) {   // most cells of a CSV file
        char b[32];
        out.put(b, size_t(csv_num_text(b, c->val.d)));
        return;
    }
    std::string &t = wtext;
    t.clear();
    if ((mask & CSV_P_ATTR) && (c->flags & CSV_ATTR_MASK)) {
        t += CSV_STX;
        for (int i = 1; i <= 6; i++) t += char('0' + csv.csv_get_attr(x, y, i));
        t += CSV_ETX;
    }
    if ((mask & CSV_P_FORM) && c->form) {
        t += CSV_STX;
        t += '=';
        csv_escape(t, c->form->text, SIZE_MAX);
        t += CSV_ETX;
    }
    int type = (mask & CSV_P_VAL) ? CSV_U::csv_cel_type(c) : CSV_EMPTY;
    if (type == CSV_NUM && (mask & ~CSV_P_VAL)) {
        put_exact(t, c->val.d);
    } else if (type == CSV_NUM) {
        char b[32];
        t.append(b, size_t(csv_num_text(b, c->val.d)));
    } else if (type == CSV_SSTR || type == CSV_LSTR) {
        char sbuf[9];
        t += '"';
        csv_escape(t, CSV_U::csv_cel_str(c, sbuf), CSV_TXT_MAX);
        t += '"';
    }
    out.put(t.data(), t.size());
}

template <class OUT> int CSVFILE_U::csv_write(OUT &out, int mask, const CSV_RECT *region)
{
    if (mask & ~CSV_P_VAL) csv_write_opts(out, region);
    int y1 = region ? region->y1 : 0;
    int y2 = region ? region->y2 : csv.csv_used_ys(mask) - 1;
    for (int y = y1; y <= y2; y++) {
        int x1 = region ? region->x1 : 0;
        int x2 = region ? region->x2 : used_in_row(csv, y, mask) - 1;
        for (int x = x1; x <= x2; x++) {
            if (x > x1) out.putc(',');
            csv_wcell(out, x, y, mask);
        }
        out.eol();
    }
    return 0;
}

// Checks the region (a copy is clipped) and that there is a store.
static int write_region(const CSV_U &csv, const CSV_RECT *region, CSV_RECT &r)
{
    if (!csv.csv_exists()) return -1;
    if (!region) return 0;
    r = *region;
    return csv.csv_chk_region(&r);
}

int CSVFILE_U::csv_fwrite(const char *name, int mask, const CSV_RECT *region)
{
    CSV_RECT r;
    if (write_region(csv, region, r) < 0) return -1;
    CSV_FOUT_U *f = new (std::nothrow) CSV_FOUT_U;
    if (!f || f->fout_open(name, !scratch && csv_sync) < 0) {
        csv_err = f ? errno : ENOMEM;
        KOV_ATT_FILE(name, " 作成失敗", csv_err);
        delete f;
        return -1;
    }
    if (scratch || csv_enc == kov::SJ_ENC_SJIS) {
        FILE_OUT out{*f};
        csv_write(out, mask, region ? &r : nullptr);
    } else {   // converted whole: a double-byte character never straddles a block
        std::string text;
        STR_OUT out{text};
        csv_write(out, mask, region ? &r : nullptr);
        // A sheet file in UTF-8 says so with the byte-order mark: without it, it is Shift-JIS.
        text = kov::sj_encode_file(text, csv_is_sheet_name(name) ? kov::SJ_ENC_UTF8BOM : csv_enc);
        f->fout_put(text.data(), text.size());
    }
    int rc = f->fout_commit();
    if (rc < 0) csv_err = errno;
    delete f;
    if (rc < 0) {
        KOV_ATT_FILE(name, " 書込失敗", csv_err);
        return -1;
    }
    // A region (the clipboard transfer) does not save the sheet.
    if (!region) csv.csv_set_modify(0);
    return 0;
}

int CSVFILE_U::csv_fwrite_mem(std::string &text, int mask, const CSV_RECT *region)
{
    CSV_RECT r;
    if (write_region(csv, region, r) < 0) return -1;
    STR_OUT out{text};
    return csv_write(out, mask, region ? &r : nullptr);
}

// ---------------------------------------------------------------- save by name

namespace {

// Extension of the last path component, "" when none.
const char *name_ext(const char *name)
{
    const char *base = strrchr(name, '/');
    base = base ? base + 1 : name;
    const char *dot = strrchr(base, '.');
    return dot ? dot + 1 : "";
}

} // namespace

bool csv_is_sheet_name(const char *name) { return strcasecmp(name_ext(name), "kov") == 0; }

int CSVFILE_U::csv_save_name(const char *name, const CSV_RECT *region)
{
    if (!name || !*name) return -1;
    std::string fname = name;
    const char *ext = name_ext(name);
    int mask = CSV_P_ALL;
    if (!strcasecmp(ext, "csv") || !strcasecmp(ext, "txt") || !strcasecmp(ext, "$$t"))
        mask = CSV_P_VAL;
    else if (!*ext)
        fname += ".kov";
    CSV_RECT all;
    if (!region && csv_defxs < 2 && csv_defys < 2) {
        all = CSV_RECT{0, 0, csv.csv_get_xs() - 1, csv.csv_get_ys() - 1};
        region = &all;
    }
    return csv_fwrite(fname.c_str(), mask, region);
}

int CSVFILE_U::csv_fsave(const char *name, const CSV_RECT *region)
{
    if (csv_save_name(name, region) < 0) {
        KOV_LOG("csv_fsave(%s) fail", name ? name : "");
        return -1;
    }
    return region ? 0 : csv_save_script();
}

// The script file follows the editor's text: written (LF as CR LF) in csv_scr_enc, or deleted
// when empty.
int CSVFILE_U::csv_save_script()
{
    std::string text, scr = csv.csv_host().host_ed_name();
    if (scr.empty() || csv.csv_host().host_ed_text(text) < 0) return 0;
    if (text.empty()) {
        KOV_LOG("unlink(%s)", scr.c_str());
        if (unlink(scr.c_str()) != 0 && errno != ENOENT) return -1;
        return 0;
    }
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
        crlf += text[i];
    }
    crlf = kov::sj_encode_file(crlf, csv_scr_enc);
    CSV_FOUT_U *f = new (std::nothrow) CSV_FOUT_U;
    int rc = f && f->fout_open(scr.c_str(), csv_sync) == 0 ? 0 : -1;
    if (rc == 0) f->fout_put(crlf.data(), crlf.size());
    if (rc == 0) rc = f->fout_commit();
    delete f;
    if (rc < 0) KOV_LOG("ed_fsave(%s) fail", scr.c_str());
    return rc;
}
