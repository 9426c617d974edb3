// The sheet and CSV reader: pass 1 sizes the sheet, pass 2 stores the cells and applies the
// options. Both passes split fields the same way, so rows and columns line up.
// Every size taken from the file is held to the sheet limits before anything is allocated.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "sheet/csvfile.h"
#include "base/kovlex.h"
#include "base/kovlog.h"
#include "base/kovsave.h"
#include "base/kovtext.h"

// One field: up to CSV_FLD_MAX bytes kept, NUL-terminated (an embedded NUL ends the text).
struct CSV_FIELD {
    int len = 0;
    char buf[CSV_FLD_MAX + 1];
};

namespace {

// ---------------------------------------------------------------- byte sources

// Both sources hand out the bytes in spans (cur..end) that the field splitter scans in place.

// A file read in blocks; rewound for the second pass.
class FILE_SRC {
public:
    explicit FILE_SRC(FILE *f) : fp(f) {}
    bool more() { return pos < len || fill(); }
    const char *cur() const { return buf + pos; }
    const char *end() const { return buf + len; }
    void skip(size_t n) { pos += n; }
    int peek() { return more() ? (unsigned char)buf[pos] : -1; }
    int rewind()
    {
        pos = len = 0;
        stopped = false;
        return fseek(fp, 0, SEEK_SET);
    }
    void stop()
    {
        pos = len = 0;
        stopped = true;
    }
    bool failed() const { return ferror(fp) != 0; }

private:
    bool fill()
    {
        pos = 0;
        len = stopped ? 0 : fread(buf, 1, sizeof buf, fp);
        return len > 0;
    }
    bool stopped = false;
    FILE *fp;
    size_t pos = 0, len = 0;
    char buf[65536];
};

// Bytes in memory.
class MEM_SRC {
public:
    MEM_SRC(const char *d, size_t n) : data(d), len(n), full(n) {}
    bool more() const { return pos < len; }
    const char *cur() const { return data + pos; }
    const char *end() const { return data + len; }
    void skip(size_t n) { pos += n; }
    int peek() const { return pos < len ? (unsigned char)data[pos] : -1; }
    int rewind()
    {
        pos = 0;
        len = full;
        return 0;
    }
    void stop() { len = pos; }
    bool failed() const { return false; }

private:
    const char *data;
    size_t len, full, pos = 0;
};

// ---------------------------------------------------------------- fields

enum { END_FIELD = ',', END_LINE = '\n', END_FILE = -1 };

// Appends to the field what still fits; the rest of a long field is dropped.
void keep(CSV_FIELD &f, const char *p, size_t n)
{
    n = std::min(n, size_t(CSV_FLD_MAX - f.len));
    memcpy(f.buf + f.len, p, n);
    f.len += int(n);
}

int field_end(CSV_FIELD &f, int end)
{
    f.buf[f.len] = 0;
    return end;
}

// Bytes the field splitter stops at.
bool is_mark(unsigned char c) { return c == '"' || c == ',' || c == '\n' || c == '\r' || c == 0x1A; }

// The first mark from q on, e when none; sixteen bytes a step where the machine has SSE2.
inline const char *next_mark(const char *q, const char *e)
{
#ifdef __SSE2__
    const __m128i quote = _mm_set1_epi8('"'), comma = _mm_set1_epi8(','), lf = _mm_set1_epi8('\n'),
                  cr = _mm_set1_epi8('\r'), eof = _mm_set1_epi8(0x1A);
    for (; e - q >= 16; q += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
        __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, comma)),
                                 _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)),
                                              _mm_cmpeq_epi8(v, eof)));
        if (unsigned bits = unsigned(_mm_movemask_epi8(m))) return q + std::countr_zero(bits);
    }
#endif
    while (q < e && !is_mark((unsigned char)*q)) q++;
    return q;
}

// Reads one field. A double quote toggles the in-quotes state (commas inside do not split);
// a line feed ends the line in any state; CR LF counts as a line feed. The end-of-file byte 0x1A
// ends the text as text-mode reading did (no Shift-JIS byte and nothing Kovash writes is 0x1A).
template <class SRC> int read_field(SRC &src, CSV_FIELD &f)
{
    bool quoted = false;
    f.len = 0;
    while (src.more()) {
        const char *b = src.cur(), *e = src.end(), *q = b;
        int c = 0;
        for (; (q = next_mark(q, e)) < e; q++) {
            c = (unsigned char)*q;
            if (c == '"') quoted = !quoted;
            else if (c == '\n' || c == '\r' || c == 0x1A || (c == ',' && !quoted)) break;
        }
        keep(f, b, size_t(q - b));
        src.skip(size_t(q - b));
        if (q == e) continue;
        src.skip(1);
        if (c == '\n' || c == ',') return field_end(f, c);
        if (c == 0x1A) {
            src.stop();
            break;
        }
        if (src.peek() == '\n') {   // CR LF
            src.skip(1);
            return field_end(f, END_LINE);
        }
        keep(f, "\r", 1);
    }
    return field_end(f, END_FILE);
}

// ---------------------------------------------------------------- options

// Option names. Twins: the CSV_WS_ enum in csvfile.h and the writer's table in csvfwrite.cpp.
enum {
    OP_VER, OP_YOFF, OP_XOFF, OP_YSIZ, OP_XSIZ, OP_SCRLOCK, OP_WPBEEP, OP_RNWID, OP_CNROW, OP_RNCOL,
    OP_CYCLEMS, OP_WS0, OP_WID = OP_WS0 + int(CSV_WS_COUNT), OP_COUNT, OP_OTHER = OP_COUNT
};
const char *const op_name[OP_COUNT] = {
    "FOP_VER", "FOP_YOFF", "FOP_XOFF", "FOP_YSIZ", "FOP_XSIZ", "FOP_SCRLOCK", "FOP_WPBEEP",
    "FOP_RNWID", "FOP_CNROW", "FOP_RNCOL", "FOP_CYCLEMS",
    "FOP_DSPPOSX", "FOP_DSPPOSY", "FOP_CSRPOSX", "FOP_CSRPOSY", "FOP_DSPSIZX", "FOP_DSPSIZY",
    "FOP_FONTSIZ", "FOP_TOOLBAR", "FOP_STATBAR", "FOP_ROWNAME", "FOP_COLNAME", "FOP_HSCROLL",
    "FOP_VSCROLL", "FOP_FULLSIZ", "FOP_WID",
};

bool is_option(const CSV_FIELD &f) { return f.len >= 5 && f.buf[0] == CSV_STX && memcmp(f.buf + 1, "FOP_", 4) == 0; }

// Leading decimal digits like atoi, but saturated to the int range instead of overflowing.
int opt_int(const char *s)
{
    while (*s == ' ' || *s == '\t') s++;
    bool neg = *s == '-';
    if (*s == '-' || *s == '+') s++;
    long long v = 0;
    for (; *s >= '0' && *s <= '9'; s++)
        if ((v = v * 10 + (*s - '0')) > 2147483648LL) v = 2147483648LL;
    if (neg) v = -v;
    return int(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

// Splits the first field of an option line into its number and value text.
int opt_first(CSV_FIELD &f, const char *&text)
{
    char *etx = static_cast<char *>(memchr(f.buf + 1, CSV_ETX, size_t(f.len - 1)));
    text = etx ? etx + 1 : f.buf + f.len;
    if (etx) *etx = 0;
    const char *name = f.buf + 1;
    KOV_LOG("fop_p=\"%s\" text=\"%s\"", name, text);
    for (int i = 0; i < OP_COUNT; i++)
        if (strcmp(name, op_name[i]) == 0) return i;
    KOV_LOG("%s=%d", name, opt_int(text));
    return OP_OTHER;
}

// ---------------------------------------------------------------- cell fields

// A parsed cell field.
struct CELLV {
    int nattr = 0;          // an attribute prefix was read
    int attr[6];            // field values, -1 = leave unchanged
    int nform = 0;
    const char *form = nullptr;
    int nnum = 0;
    double num = 0;
    char *val = nullptr;    // value text (in the field buffer)
};

int hex_digit(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Attribute prefix characters: '0' plus the field value; a character below '0' leaves the
// field alone, one out of the field's range is ignored.
const int attr_max[6] = {15, 15, 1, 1, 7, 63};
// First bit of each field in the flags word (the store's layout).
const int attr_shift[6] = {3, 7, 11, 12, 13, 16};

void parse_attr(const char *p, CELLV &v)
{
    v.nattr = 1;
    for (int i = 0; i < 6; i++) {
        int d = (unsigned char)p[i] - '0';
        v.attr[i] = d >= 0 && d <= attr_max[i] ? d : -1;
    }
}

int parse_exact(const char *p, size_t n, CELLV &v)
{
    if (n != 17) return -1;
    uint64_t bits = 0;
    for (int i = 0; i < 8; i++) {
        int hi = hex_digit((unsigned char)p[1 + 2 * i]), lo = hex_digit((unsigned char)p[2 + 2 * i]);
        if (hi < 0 || lo < 0) return -1;
        bits |= uint64_t(hi * 16 + lo) << (8 * i);   // least significant byte first
    }
    v.nnum = 1;
    v.num = std::bit_cast<double>(bits);
    return 0;
}

// Prefixes (STX .. ETX) then the value text. A malformed prefix is skipped up to its ETX or
// the field's end. A prefix starting with '=' is a formula even if six bytes long.
void parse_cell(char *p, CELLV &v)
{
    while (*p == CSV_STX) {
        char *body = p + 1;
        char *etx = strchr(body, CSV_ETX);
        if (!etx) {
            KOV_LOG("STX without ETX: %.20s", body);
            p = body + strlen(body);
            break;
        }
        *etx = 0;
        size_t n = size_t(etx - body);
        if (body[0] == '=') {
            v.nform = 1;
            v.form = body + 1;
        } else if (body[0] == '.') {
            if (parse_exact(body, n, v) < 0) KOV_LOG("bad number prefix: %.20s", body);
        } else if (n == 6) {
            parse_attr(body, v);
        } else {
            KOV_LOG("bad prefix: %.20s", body);
        }
        p = etx + 1;
    }
    v.val = p;
}

// A field from another program may hold a double quote doubled inside quotes; Kovash itself
// writes \x22, so "" never appears in its own files. An escape the reader does not know stands
// for the character after the backslash, and before a double-byte character that is the whole
// character (a path D:\表示 written by another program keeps its 表).
void unescape_step(std::string &out, const char *&s, int dq, LEX_U &lex)
{
    unsigned char c = (unsigned char)s[0];
    size_t bs = c == '\\' && kov::sj_is_lead((unsigned char)s[1]) ? 1 : 0;
    if (kov::sj_is_lead((unsigned char)s[bs]) && s[bs + 1]) {
        out.append(s + bs, 2);
        s += bs + 2;
        return;
    }
    if (dq && c == '"' && s[1] == '"') {
        out += '"';
        s += 2;
        return;
    }
    int code = 0;
    const char *cur = s;
    if (lex.lex_char(cur, code) < 0) {   // CR, or a backslash at the end: the byte itself
        out += char(c);
        s += 1;
        return;
    }
    out += char(code & 0xFF);
    s = cur;
}

// A byte that surely unescapes to itself: not the end, an escape, a double-byte lead or a quote
// (which unescape_step copies too unless doubled in quotes). The lead bytes are sj_is_lead's.
constexpr std::array<bool, 256> plain_bytes = [] {
    std::array<bool, 256> t{};
    for (int c = 1; c < 256; c++)
        t[size_t(c)] = c != '\\' && c != '"' && !(c >= 0x81 && c <= 0x9F) && !(c >= 0xE0 && c <= 0xFC);
    return t;
}();

const char *plain_end(const char *s)
{
    while (plain_bytes[(unsigned char)*s]) s++;
    return s;
}

locale_t c_locale()
{
    static locale_t loc = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    return loc;
}

} // namespace

void csv_unescape(std::string &out, const char *s, int dq)
{
    LEX_U lex;
    out.clear();
    while (*s) {
        // Bytes that stand for themselves go over as one run.
        const char *run = plain_end(s);
        out.append(s, size_t(run - s));
        s = run;
        if (*s) unescape_step(out, s, dq, lex);
    }
    size_t nul = out.find('\0');
    if (nul != std::string::npos) out.resize(nul);
}

int csv_dec_number(const char *s, double &d)
{
    const char *p = s;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) p++;
    if (*p == '+' || *p == '-') p++;
    int digits = 0;
    for (; *p >= '0' && *p <= '9'; p++) digits++;
    if (*p == '.')
        for (p++; *p >= '0' && *p <= '9'; p++) digits++;
    if (!digits) return -1;
    if (*p == 'e' || *p == 'E') {
        p++;
        if (*p == '+' || *p == '-') p++;
        if (!(*p >= '0' && *p <= '9')) return -1;
        while (*p >= '0' && *p <= '9') p++;
    }
    if (*p) return -1;
    // from_chars is exact and fast but takes no blank and no '+'; out of range goes to strtod,
    // which gives the infinity or zero that the store then limits.
    const char *b = s;
    while (*b == ' ' || (*b >= '\t' && *b <= '\r')) b++;
    if (*b == '+') b++;
    auto r = std::from_chars(b, p, d);
    if (r.ec == std::errc() && r.ptr == p) return 0;
    char *end = nullptr;
    d = c_locale() ? strtod_l(s, &end, c_locale()) : strtod(s, &end);
    return end && *end == 0 ? 0 : -1;
}

// ---------------------------------------------------------------- the reader

namespace {

// Sizes and options found by pass 1.
struct PASS1 {
    long long rows = 0, cols = 0;   // cell lines, most fields on one
    long long ysiz = 0, xsiz = 0;   // "FOP_YSIZ", "FOP_XSIZ"
    long long xoff = 0, yoff = 0;
    int opt = 0;
};

template <class SRC> void pass1(SRC &src, CSV_FIELD &f, PASS1 &p)
{
    long long linecols = 0, idx = 0;
    int optline = 0, op = OP_OTHER;
    for (;;) {
        int end = read_field(src, f);
        if (idx == 0 && is_option(f)) {
            const char *text;
            optline = p.opt = 1;
            op = opt_first(f, text);
            int v = opt_int(text);
            if (op == OP_YSIZ) p.ysiz = std::max<long long>(p.ysiz, v);
            if (op == OP_XSIZ) p.xsiz = std::max<long long>(p.xsiz, v);
            if (op == OP_YOFF) p.yoff = v;
            if (op == OP_XOFF) p.xoff = v;
        } else if (!optline && (f.len > 0 || end == END_FIELD)) {
            linecols = idx + 1;
        }
        idx++;
        if (end == END_FIELD) continue;
        if (!optline && (end == END_LINE || linecols > 0)) {
            p.rows++;
            p.cols = std::max(p.cols, linecols);
        }
        if (end == END_FILE) break;
        linecols = idx = 0;
        optline = 0;
    }
    p.rows = std::max(p.rows, p.ysiz);
    p.cols = std::max(p.cols, p.xsiz);
}

} // namespace

// Pass 2 state: where cells go, the options met, and one line of fields stored from its right
// end so that each row's cell array is allocated once at its final length.
struct CSV_PASS2 {
    int whole;
    int ox, oy;          // origin of a region load
    int opt;             // the file has option lines
    int gotwid = 0;
    CSV_WINST ws;
    std::string line;    // field texts of the current line, NUL-separated
    std::vector<std::pair<int, size_t>> cells;   // column, offset into line
    std::string text;    // unescape buffer
};

template <class SRC> int CSVFILE_U::csv_read(SRC &src, CSV_LOADED *out, const CSV_RECT *region)
{
    CSV_RECT tgt = {0, 0, 0, 0};
    if (region) {
        tgt = *region;
        if (csv.csv_chk_region(&tgt) < 0) return -1;
    }
    KOV_LOG("csv_fload_sub() start");
    auto *f = new (std::nothrow) CSV_FIELD;
    if (!f) {
        KOV_ATT("メモリ不足");
        return -1;
    }
    std::unique_ptr<CSV_FIELD> fholder(f);
    PASS1 p1;
    pass1(src, *f, p1);
    if (src.failed()) return -1;
    long long xs = std::clamp<long long>(p1.cols, 0, CSV_MAX_XS), ys = std::clamp<long long>(p1.rows, 0, CSV_MAX_YS);
    if (p1.cols > CSV_MAX_XS || p1.rows > CSV_MAX_YS)
        KOV_LOG("size %lld x %lld cut to %lld x %lld", p1.cols, p1.rows, xs, ys);
    CSV_PASS2 p2;
    p2.whole = region == nullptr;
    p2.ox = tgt.x1;
    p2.oy = tgt.y1;
    p2.opt = p1.opt;
    csv_winst_clear(p2.ws);
    if (p2.whole) {
        if (csv.csv_create(int(std::max(xs, 1LL)), int(std::max(ys, 1LL))) < 0) return -1;
    } else {
        csv_clear_area(tgt.x1, tgt.y1, xs, ys, CSV_P_VAL | CSV_P_FORM | (p1.opt ? CSV_P_ATTR : 0));
    }
    if (src.rewind() < 0) return -1;
    int rc = csv_pass2(src, *f, p2);
    if (p2.whole) {
        if (!p2.gotwid) csv.csv_set_autowide(10);
        ws_read = p2.ws;
        if (!ws_defer && rc == 0) csv_apply_ws(0);
    }
    if (out) {
        bool none = xs == 0 || ys == 0;
        long long x1 = std::clamp<long long>(p1.xoff, 0, CSV_MAX_XS - 1);
        long long y1 = std::clamp<long long>(p1.yoff, 0, CSV_MAX_YS - 1);
        *out = CSV_LOADED{none ? CSV_NOCELL : int(x1), none ? CSV_NOCELL : int(y1),
                          none ? CSV_NOCELL : int(x1 + xs - 1), none ? CSV_NOCELL : int(y1 + ys - 1), p1.opt};
    }
    KOV_LOG("csv_fload_sub() end");
    csv.csv_set_modify(!p2.whole);   // a paste is a change of the sheet, not a load of it
    csv.csv_redraw(nullptr);
    return rc;
}

// Clears the masked parts of the cells of an area (a region load clears values and formulas,
// attributes too when the file has option lines). Only cells that exist are visited.
void CSVFILE_U::csv_clear_area(int x0, int y0, long long xs, long long ys, int mask)
{
    long long y2 = std::min<long long>(y0 + ys, csv.csv_get_ys());
    for (long long y = y0; y < y2; y++) {
        const CSV_ROW *r = csv.csv_get_row(int(y));
        long long x2 = std::min<long long>(x0 + xs, r ? r->cnt : 0);
        for (long long x = x2 - 1; x >= x0; x--) csv.csv_clr_cel(int(x), int(y), mask);
    }
}

// Applies one value of an option line (whole-sheet loads only; sizes were pass 1's).
void CSVFILE_U::csv_apply_opt(CSV_PASS2 &p, int op, int col, const char *text)
{
    int v = opt_int(text);
    if (op == OP_WID) {
        if (col < csv.csv_get_xs()) csv.csv_set_wide(col, std::clamp(v, 0, 32767));
        p.gotwid = 1;
        return;
    }
    if (col != 0) return;
    int ys = csv.csv_get_ys(), xs = csv.csv_get_xs();
    switch (op) {
    case OP_SCRLOCK: csv.csv_scrlock = v != 0; break;
    case OP_WPBEEP: csv.csv_wpbeep = v != 0; break;
    case OP_RNWID: {
        CSV_COL c = {int16_t(std::clamp(v, 0, 32767)), 0};
        csv.csv_set_col(CSV_RNCOL, &c);
        break;
    }
    case OP_CNROW: csv.csv_cnrow = v >= 0 && v < ys ? v : -1; break;
    case OP_RNCOL: csv.csv_rncol = v >= 0 && v < xs ? v : -1; break;
    case OP_CYCLEMS: csv.csv_cyclems = v < 1 ? 0 : v; break;
    default:
        if (op >= OP_WS0 && op < OP_WID) p.ws.v[op - OP_WS0] = v;
        break;
    }
}

// Stores one parsed field at (x, y): value first, then attributes, then the formula.
int CSVFILE_U::csv_store(CSV_PASS2 &p, int x, int y, char *field)
{
    CELLV v;
    parse_cell(field, v);
    double d;
    if (!v.nform && !v.nnum && !*v.val && !v.nattr)
        return csv.csv_clr_cel(x, y, CSV_P_VAL | CSV_P_FORM | (p.opt ? CSV_P_ATTR : 0));
    int rc = 0;
    if (v.nnum) {
        rc = csv.csv_put_num(x, y, v.num);
    } else if (*v.val == '"' || *v.val == '\'') {
        char q = *v.val++;
        size_t n = strlen(v.val);
        if (n > 0 && v.val[n - 1] == q) v.val[n - 1] = 0;
        csv_unescape(p.text, v.val, q == '"');
        rc = csv.csv_put_str(x, y, p.text.c_str());
    } else if (!*v.val) {   // (a cell the load has not made yet holds no value)
        if (csv.csv_get_cel(x, y)) rc = csv.csv_clr_cel(x, y, CSV_P_VAL);
    } else if (csv_dec_number(v.val, d) == 0) {
        rc = csv.csv_put_num(x, y, d);
    } else {
        csv_unescape(p.text, v.val, 0);
        rc = csv.csv_put_str(x, y, p.text.c_str());
    }
    if (rc == 0 && v.nattr) rc = csv_store_attr(x, y, v.attr);
    if (rc == 0 && v.nform) {
        const char *form = v.form;
        if (*plain_end(form)) {   // most formulas have nothing to unescape
            csv_unescape(p.text, v.form, 0);
            form = p.text.c_str();
        }
        rc = csv.csv_put_form(x, y, form);
    }
    return rc;
}

// Replaces bits 3-23 of the cell; fields given as -1 keep their present value.
int CSVFILE_U::csv_store_attr(int x, int y, const int *attr)
{
    CSV_CEL src = {};
    for (int i = 0; i < 6; i++) {
        int a = attr[i] >= 0 ? attr[i] : csv.csv_get_attr(x, y, i + 1);
        src.flags |= uint32_t(a) << attr_shift[i];
    }
    return csv.csv_put_cel(x, y, &src, CSV_P_ATTR);
}

// Pass 2: every cell line's fields go to (origin + column, origin + row); options of a whole
// load are applied. Cells beyond the sheet are dropped (pass 1 held the size to the limits).
template <class SRC> int CSVFILE_U::csv_pass2(SRC &src, CSV_FIELD &f, CSV_PASS2 &p)
{
    long long idx = 0, row = 0;
    int optline = 0, op = OP_OTHER;
    const long long xs = csv.csv_get_xs(), ys = csv.csv_get_ys();
    p.line.clear();
    p.cells.clear();
    for (;;) {
        int end = read_field(src, f);
        if (idx == 0 && is_option(f)) {
            const char *text;
            optline = 1;
            op = opt_first(f, text);
            if (p.whole) csv_apply_opt(p, op, 0, text);
        } else if (optline) {
            if (p.whole && idx < CSV_MAX_XS) csv_apply_opt(p, op, int(idx), f.buf);
        } else if (f.len > 0 && p.ox + idx < xs && p.oy + row < ys) {
            p.cells.emplace_back(int(p.ox + idx), p.line.size());
            p.line.append(f.buf, size_t(f.len) + 1);
        }
        idx++;
        if (end == END_FIELD) continue;
        if (!optline && csv_store_line(p, int(p.oy + row)) < 0) return -1;
        if (!optline) row++;
        if (end == END_FILE) break;
        idx = 0;
        optline = 0;
    }
    return src.failed() ? -1 : 0;
}

int CSVFILE_U::csv_store_line(CSV_PASS2 &p, int y)
{
    int rc = 0;
    for (size_t i = p.cells.size(); i-- > 0 && rc == 0;)
        rc = csv_store(p, p.cells[i].first, y, &p.line[p.cells[i].second]);
    if (rc < 0) KOV_LOG("csv_store(%d) 失敗", y);
    p.line.clear();
    p.cells.clear();
    return rc;
}

// ---------------------------------------------------------------- entry points

// Only a regular file is read twice to its end; a device or a pipe might never end, and even
// opening a pipe waits for its writer, so the file is opened without waiting and checked first.
FILE *csv_fopen_read(const char *name)
{
    struct stat st;
    int fd = kov::open_regular(name, st, std::numeric_limits<off_t>::max());
    if (fd < 0) return nullptr;
    FILE *fp = fdopen(fd, "rb");
    if (!fp) close(fd);
    return fp;
}

namespace {

// Offset of the first byte beyond ASCII in buf, len when there is none; eight bytes a step.
size_t first_high(const char *buf, size_t len)
{
    size_t i = 0;
    for (uint64_t w; i + 8 <= len; i += 8) {
        memcpy(&w, buf + i, 8);
        if (w & 0x8080808080808080u) break;
    }
    while (i < len && (unsigned char)buf[i] < 0x80) i++;
    return i;
}

// Whether the file may be UTF-8: a byte-order mark, or valid UTF-8 with a byte beyond ASCII.
// Only such a file is read whole into data (0); any other (1) is rewound for the block reader,
// which takes Shift-JIS and ASCII as it always did, without holding the file. -1: a read failed.
// A sheet file (sheet set) is UTF-8 only with the mark, so only its first block is looked at.
int read_if_utf8(FILE *fp, std::string &data, bool sheet)
{
    char buf[65536 + 3];
    size_t carry = 0, n;   // carry: a sequence cut by the block end, moved to the front
    bool first = true, other = false, bom = false;
    while (!bom && (n = fread(buf + carry, 1, 65536, fp)) > 0) {
        size_t len = carry + n;
        bom = first && len >= 3 && memcmp(buf, "\xEF\xBB\xBF", 3) == 0;
        if (sheet && !bom) break;
        first = false;
        size_t high = first_high(buf, len);
        other = other || high < len;
        // ASCII up to the first high byte is valid as it stands
        size_t ok = high == len ? len : high + kov::utf8_valid_len(std::string_view(buf + high, len - high));
        carry = len - ok;
        if (carry > 3) break;   // more than a sequence cut short: not UTF-8
        memmove(buf, buf + ok, carry);
    }
    if (ferror(fp) || fseek(fp, 0, SEEK_SET) != 0) return -1;
    if (!bom && (carry || !other || sheet)) return 1;
    while ((n = fread(buf, 1, 65536, fp)) > 0) data.append(buf, n);
    return ferror(fp) ? -1 : 0;
}

} // namespace

int CSVFILE_U::csv_fload_sub(CSV_LOADED *out, const char *name, const CSV_RECT *region)
{
    FILE *fp = csv_fopen_read(name);
    if (!fp) return -1;
    csv_lost = kov::SJ_LOST();
    std::string data;
    bool sheet = csv_is_sheet_name(name);
    int rc = region ? 1 : read_if_utf8(fp, data, sheet);   // a region load is a transfer file of ours
    // A sheet file is ours: Shift-JIS unless it says UTF-8 with a byte-order mark, so that a
    // sheet saved in Shift-JIS whose bytes happen to be valid UTF-8 is never read otherwise.
    if (rc == 0 && sheet && data.compare(0, 3, "\xEF\xBB\xBF") != 0) {
        fclose(fp);
        csv_enc = kov::SJ_ENC_SJIS;
        MEM_SRC src(data.data(), data.size());
        return csv_read(src, out, region);
    }
    if (rc == 0) {
        int enc = kov::sj_decode_file(data, &csv_lost);
        fclose(fp);
        csv_enc = enc;
        MEM_SRC src(data.data(), data.size());
        rc = csv_read(src, out, region);
        if (csv_lost.count) KOV_ATT("%s", kov::sj_lost_text(name, csv_lost).c_str());
        return rc;
    }
    if (!region) csv_enc = kov::SJ_ENC_SJIS;
    auto *src = rc > 0 ? new (std::nothrow) FILE_SRC(fp) : nullptr;
    rc = src ? csv_read(*src, out, region) : -1;
    delete src;
    fclose(fp);
    return rc;
}

int CSVFILE_U::csv_fload_mem(CSV_LOADED *out, const char *data, size_t len, const CSV_RECT *region)
{
    MEM_SRC src(data, len);
    return csv_read(src, out, region);
}

// The window state of the last load: the cursor goes to the store when it lies on the sheet,
// the rest to the host; a whole-sheet load also applies its screen lock.
void CSVFILE_U::csv_apply_ws(int whole)
{
    int cx = ws_read.v[CSV_WS_CSRPOSX], cy = ws_read.v[CSV_WS_CSRPOSY];
    if (cx >= 0 && cy >= 0 && cx < csv.csv_get_xs() && cy < csv.csv_get_ys()) {
        csv.csv_curx = cx;
        csv.csv_cury = cy;
    }
    csv.csv_host().host_win_put(ws_read);
    if (whole) csv.csv_host().host_scrlock(csv.csv_scrlock);
}

// An empty sheet of the default size.
int CSVFILE_U::csv_empty_sheet()
{
    return csv.csv_create(std::clamp(csv_defxs, 1, CSV_MAX_XS), std::clamp(csv_defys, 1, CSV_MAX_YS));
}

int CSVFILE_U::csv_fload(CSV_LOADED *out, const char *name, const CSV_RECT *region)
{
    KOV_LOG("csv_fload() start");
    if (out) *out = CSV_LOADED{CSV_NOCELL, CSV_NOCELL, CSV_NOCELL, CSV_NOCELL, 0};
    CSV_RECT tgt = region ? *region : CSV_RECT{0, 0, 0, 0};
    if (region && csv.csv_chk_region(&tgt) < 0) return -1;
    csv_err = 0;
    if (!region) csv_enc = kov::SJ_ENC_SJIS;   // also what a new sheet is written in
    FILE *probe = name ? csv_fopen_read(name) : nullptr;
    if (!probe) {
        csv_err = name ? errno : ENOENT;
        KOV_LOG("csv_fload() end");
        // A missing file is a new sheet; one that is there but cannot be read is a failure, and
        // a region load has nothing to paste.
        if (region) return -1;
        if (csv_err != ENOENT) {
            csv_empty_sheet();
            return -1;
        }
        csv_err = 0;
        return csv_empty_sheet();
    }
    fclose(probe);
    ws_defer = 1;   // the cursor may lie beyond the loaded size until the sheet has grown
    int rc = csv_fload_sub(out, name, region);
    if (rc < 0 && !csv_err) csv_err = errno;
    ws_defer = 0;
    if (!region) {
        if (rc < 0) {
            csv_empty_sheet();
        } else {
            int xs = std::max(csv.csv_get_xs(), std::min(csv_defxs, CSV_MAX_XS));
            int ys = std::max(csv.csv_get_ys(), std::min(csv_defys, CSV_MAX_YS));
            if (xs != csv.csv_get_xs() || ys != csv.csv_get_ys()) csv.csv_resize(xs, ys);
            csv.csv_set_modify(0);
            csv_apply_ws(1);
        }
    }
    KOV_LOG("csv_fload() end");
    return rc;
}
