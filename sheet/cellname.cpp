// Cell names: parse and print, and the text rewrites that keep formulas pointing at their cells.
#include "sheet/cellref.h"

#include <cstdio>
#include <cstring>

#include "base/kovlog.h"
#include "base/kovtext.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Identifier characters of the script language (ASCII only).
bool is_idch(char c)
{
    return is_digit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool fits_int(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// Unsigned decimal at p; the value must stay within int32. Returns the bytes read, 0 when none
// or on overflow.
size_t read_digits(const char *p, int64_t &v)
{
    size_t i = 0;
    v = 0;
    for (; is_digit(p[i]); i++) {
        v = v * 10 + (p[i] - '0');
        if (v > INT32_MAX) return 0;
    }
    return i;
}

// One part of a name after its letter: "[n]", "n" or nothing. Fills coordinate and offset;
// returns the bytes read, or -1 when the part is malformed.
int parse_part(const char *p, int base, int &coord, int &off)
{
    int64_t v;
    if (*p == '[') {
        size_t i = 1;
        bool neg = false;
        if (p[i] == '+' || p[i] == '-') neg = p[i++] == '-';
        size_t k = read_digits(p + i, v);
        if (k == 0 || p[i + k] != ']') return -1;
        if (neg) v = -v;
        int64_t c = int64_t(base) + v;
        if (!fits_int(c)) return -1;
        coord = int(c);
        off = int(v);     // |v| <= INT32_MAX, so never the absolute mark
        return int(i + k + 1);
    }
    if (is_digit(*p)) {
        size_t k = read_digits(p, v);
        if (k == 0) return -1;
        coord = int(v);
        off = CSV_REF_ABS;
        return int(k);
    }
    coord = base;
    off = 0;
    return 0;
}

// Print one part: "%c%d" absolute, "%c" for offset 0, "%c[%d]" otherwise.
int print_part(char *buf, char letter, int coord, int off)
{
    if (off == CSV_REF_ABS) return coord < 0 ? -1 : sprintf(buf, "%c%d", letter, coord);
    if (off == 0) return sprintf(buf, "%c", letter);
    return sprintf(buf, "%c[%d]", letter, off);
}

// Output of a rewrite, bounded by CSV_FORM_MAX.
struct FORM_OUT {
    char *p;
    size_t n = 0;
    bool over = false;
    void put(const char *s, size_t k)
    {
        if (n + k > size_t(CSV_FORM_MAX)) {
            over = true;
            return;
        }
        memcpy(p + n, s, k);
        n += k;
    }
};

// Copy src to out, offering every cell name (relative to (bx, by)) to fn. fn may change the
// reference and returns 0 to print it back, -1 to keep the name's own text. A name starts
// only at an R not preceded by an identifier character; a double-byte character is one unit.
template <class FN>
int rewrite_names(const char *src, int bx, int by, char *out, FN &&fn)
{
    FORM_OUT o{out};
    bool after_id = false;
    for (const char *s = src; *s && !o.over;) {
        if (*s == 'R' && !after_id) {
            const char *q = s;
            CSV_REF ref;
            if (csv_parse_name(q, bx, by, &ref) == 0) {
                char name[32];
                if (fn(ref) == 0 && csv_print_name(name, &ref) == 0) {
                    KOV_LOG("新セル名=%s", name);
                    o.put(name, strlen(name));
                } else {
                    o.put(s, size_t(q - s));
                }
                after_id = is_idch(q[-1]);
                s = q;
                continue;
            }
        }
        size_t k = kov::sj_step(s);
        o.put(s, k);
        after_id = k == 1 && is_idch(*s);
        s += k;
    }
    if (o.over) {
        KOV_LOG("セル式長超過");
        out[0] = 0;
        return -1;
    }
    out[o.n] = 0;
    return 0;
}

bool in_span(int64_t v, int64_t lo, int64_t hi) { return v >= lo && v <= hi; }

// A moved coordinate: below 0 becomes 0, past int32 saturates (lies outside every sheet).
int64_t sat_coord(int64_t v) { return v < 0 ? 0 : v > INT32_MAX ? INT32_MAX : v; }

// New offset of a relative part; false when it cannot be held (the name is then kept).
bool set_off(int &off, int64_t coord, int base)
{
    int64_t v = coord - base;
    if (v <= INT32_MIN || v > INT32_MAX) return false;
    off = int(v);
    return true;
}

} // namespace

int csv_parse_name(const char *&pos, int bx, int by, CSV_REF *ref)
{
    if (!pos || !ref || *pos != 'R') return -1;
    const char *p = pos + 1;
    CSV_REF r;
    int k = parse_part(p, by, r.y, r.yoff);
    if (k < 0) return -1;
    p += k;
    if (*p != 'C') return -1;
    k = parse_part(++p, bx, r.x, r.xoff);
    if (k < 0) return -1;
    p += k;
    if (is_idch(*p)) return -1;
    pos = p;
    *ref = r;
    KOV_LOG("ax=%d,ay=%d, rx=%d,ry=%d", r.x, r.y, r.xoff, r.yoff);
    return 0;
}

int csv_parse_range(const char *&pos, int bx, int by, CSV_RECT *rect)
{
    if (!rect) return -1;
    const char *p = pos;
    CSV_REF a, b;
    if (csv_parse_name(p, bx, by, &a) != 0) return -1;
    b = a;
    if (*p == ':') {
        const char *q = p + 1;
        if (csv_parse_name(q, bx, by, &b) == 0) p = q;
    }
    rect->x1 = a.x < b.x ? a.x : b.x;
    rect->x2 = a.x < b.x ? b.x : a.x;
    rect->y1 = a.y < b.y ? a.y : b.y;
    rect->y2 = a.y < b.y ? b.y : a.y;
    pos = p;
    KOV_LOG("R%dC%d:R%dC%d", rect->y1, rect->x1, rect->y2, rect->x2);
    return 0;
}

int csv_print_name(char *buf, const CSV_REF *ref)
{
    if (!buf || !ref) {
        KOV_LOG("(pt == NULL) || (rc_name == NULL)");
        return -1;
    }
    char tmp[32];
    int k = print_part(tmp, 'R', ref->y, ref->yoff);
    if (k < 0 || print_part(tmp + k, 'C', ref->x, ref->xoff) < 0) return -1;
    strcpy(buf, tmp);
    return 0;
}

int csv_print_range(char *buf, int x1, int y1, int x2, int y2)
{
    if (!buf) {
        KOV_LOG("(pt == NULL) || (rc_name == NULL)");
        return -1;
    }
    if (x1 < 0 || y1 < 0 || x2 < 0 || y2 < 0) return -1;
    char tmp[64];
    if (x1 == x2 && y1 == y2)
        snprintf(tmp, sizeof tmp, "%c%d%c%d", 'R', y1, 'C', x1);
    else
        snprintf(tmp, sizeof tmp, "%c%d%c%d:%c%d%c%d", 'R', y1, 'C', x1, 'R', y2, 'C', x2);
    if (strlen(tmp) >= 32) return -1;
    strcpy(buf, tmp);
    return 0;
}

int csv_adj_text(const char *src, int x, int y, const CSV_CFT *cft, char *out)
{
    const CSV_CFT c = *cft;
    // The formula has moved with the block when its cell lies where the block went.
    const bool moved = in_span(x, int64_t(c.x1) + c.dx, int64_t(c.x2) + c.dx) &&
                       in_span(y, int64_t(c.y1) + c.dy, int64_t(c.y2) + c.dy);
    return rewrite_names(src, x, y, out, [&](CSV_REF &r) {
        KOV_LOG("xp=%d yp=%d ax=%d ay=%d x1=%d x2=%d y1=%d y2=%d", x, y, r.x, r.y, c.x1, c.x2,
                c.y1, c.y2);
        int64_t ax = r.x, ay = r.y;
        if (moved) {   // back to the cell it named before the move
            if (r.xoff != CSV_REF_ABS) ax -= c.dx;
            if (r.yoff != CSV_REF_ABS) ay -= c.dy;
        }
        if (in_span(ax, c.x1, c.x2) && in_span(ay, c.y1, c.y2)) {
            int64_t nx = sat_coord(ax + c.dx), ny = sat_coord(ay + c.dy);
            KOV_LOG("セル名調整:%d,%d,%d,%d,%d,%d", int(ax), int(ay), c.dx, c.dy, int(nx), int(ny));
            ax = nx;
            ay = ny;
        }
        if (r.xoff == CSV_REF_ABS) r.x = int(ax);
        if (r.yoff == CSV_REF_ABS) r.y = int(ay);
        if (c.keep) return 0;
        if (r.xoff != CSV_REF_ABS && !set_off(r.xoff, ax, x)) return -1;
        if (r.yoff != CSV_REF_ABS && !set_off(r.yoff, ay, y)) return -1;
        return 0;
    });
}

int csv_cnv_text(const char *src, int x, int y, const CSV_RECT *region, int mode, char *out)
{
    if (mode != 0 && mode != 1) return -1;
    return rewrite_names(src, x, y, out, [&](CSV_REF &r) {
        if (region && !(in_span(r.x, region->x1, region->x2) && in_span(r.y, region->y1, region->y2)))
            return -1;
        if (mode == 1) {
            if (r.x < 0 || r.y < 0) return -1;
            r.xoff = r.yoff = CSV_REF_ABS;
            return 0;
        }
        CSV_REF n = r;
        if (!set_off(n.xoff, r.x, x) || !set_off(n.yoff, r.y, y)) return -1;
        r = n;
        return 0;
    });
}
