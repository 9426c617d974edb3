// Cell store: lifecycle, cell records, puts and gets, attributes, columns, regions.
#include "sheet/csv.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <unistd.h>

#include "base/kovlog.h"

CSV_PART::~CSV_PART() = default;

// ---------------------------------------------------------------- formula records

CSV_FORM *csv_form_new(const char *text)
{
    size_t len = text ? strlen(text) : 0;
    auto *f = static_cast<CSV_FORM *>(malloc(offsetof(CSV_FORM, text) + len + 1));
    if (!f) return nullptr;
    f->part = nullptr;
    f->st_word = 0;
    f->st_half = 0;
    f->st_byte = 0;
    memcpy(f->text, text ? text : "", len + 1);
    return f;
}

CSV_FORM *csv_form_dup(const CSV_FORM *src)
{
    CSV_FORM *f = csv_form_new(src->text);
    if (!f) return nullptr;
    f->st_word = src->st_word;
    f->st_half = src->st_half;
    f->st_byte = src->st_byte;
    return f;
}

void csv_form_free(CSV_FORM *f)
{
    if (!f) return;
    delete f->part;
    free(f);
}

// ---------------------------------------------------------------- cell helpers

long csv_text_bytes = 0;
long csv_text_cap = 1L << 30;

static char *lstr_dup(const char *text)
{
    long n = (long)strlen(text) + 1;
    if (csv_text_bytes + n > csv_text_cap) return nullptr;
    char *p = strdup(text);
    if (p) csv_text_bytes += n;
    return p;
}

static void lstr_free(char *p)
{
    if (!p) return;
    csv_text_bytes -= (long)strlen(p) + 1;
    free(p);
}

// Free what a cell owns and zero it, bits 24-31 included.
void csv_cel_free(CSV_CEL *c)
{
    if ((c->flags & CSV_TYPE_MASK) == CSV_LSTR) lstr_free(c->val.p);
    csv_form_free(c->form);
    memset(c, 0, sizeof *c);
}

int CSV_U::csv_cel_use(const CSV_CEL *c)
{
    if (!c) return 0;
    int use = 0;
    if (c->flags & CSV_TYPE_MASK) use |= CSV_P_VAL;
    if (c->form) use |= CSV_P_FORM;
    if (c->flags & CSV_ATTR_MASK) use |= CSV_P_ATTR;
    return use;
}

const char *CSV_U::csv_cel_str(const CSV_CEL *c, char *buf)
{
    switch (csv_cel_type(c)) {
    case CSV_SSTR:
        memcpy(buf, c->val.s, 8);
        buf[8] = 0;
        return buf;
    case CSV_LSTR:
        return c->val.p;
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------- lifecycle

CSV_U::CSV_U() = default;

CSV_U::~CSV_U()
{
    csv_free_all();
    free(csv_fname);
    free(csv_dir);
}


static bool size_ok(int xs, int ys) { return xs >= 1 && xs <= CSV_MAX_XS && ys >= 1 && ys <= CSV_MAX_YS; }

void CSV_U::csv_free_row(CSV_ROW *r)
{
    for (int i = 0; i < r->cnt; i++) csv_cel_free(&r->cel[i]);
    free(r->cel);
    r->cel = nullptr;
    r->cnt = 0;
    r->cap = 0;
}

void CSV_U::csv_free_all()
{
    for (int y = 0; csv_rows && y < csv_used; y++) csv_free_row(&csv_rows[y]);
    csv_used = 0;
    free(csv_rows);
    free(csv_cols);
    csv_rows = nullptr;
    csv_cols = nullptr;
    csv_xs = csv_ys = 0;
}

int CSV_U::cse_del_allcel()
{
    if (!csv_rows) return -1;
    for (int y = 0; y < csv_used; y++) csv_free_row(&csv_rows[y]);
    csv_used = 0;
    csv_modify = 1;
    csv_redraw(nullptr);
    return 0;
}

int CSV_U::csv_create(int xs, int ys)
{
    if (!size_ok(xs, ys)) return -1;
    csv_free_all();
    csv_rows = static_cast<CSV_ROW *>(calloc(size_t(ys), sizeof(CSV_ROW)));
    csv_cols = static_cast<CSV_COL *>(calloc(size_t(xs), sizeof(CSV_COL)));
    if (!csv_rows || !csv_cols) {
        csv_free_all();   // the sizes are still 0: only the two arrays go
        return -1;
    }
    csv_xs = xs;
    csv_ys = ys;
    csv_defwide = 10;
    csv_rnwide = 5;
    csv_cnrow = csv_rncol = -1;
    csv_cyclems = 0;
    for (int x = 0; x < xs; x++) csv_cols[x] = CSV_COL{csv_defwide, csv_defword};
    csv_calc_left();
    csv_curx = csv_cury = 0;
    csv_modify = 0;
    csv_redraw(nullptr);
    return 0;
}

// Drop the cells of a row from column xs on (after the sheet got narrower).
static void row_cut(CSV_ROW *r, int xs)
{
    for (int i = xs; i < r->cnt; i++) csv_cel_free(&r->cel[i]);
    if (r->cnt > xs) r->cnt = xs;
}

int CSV_U::csv_resize(int xs, int ys)
{
    if (!csv_rows || !size_ok(xs, ys)) return -1;
    auto *rows = static_cast<CSV_ROW *>(calloc(size_t(ys), sizeof(CSV_ROW)));
    auto *cols = static_cast<CSV_COL *>(calloc(size_t(xs), sizeof(CSV_COL)));
    if (!rows || !cols) {
        free(rows);
        free(cols);
        return -1;
    }
    for (int y = ys; y < csv_ys; y++) csv_free_row(&csv_rows[y]);
    int keep = ys < csv_ys ? ys : csv_ys;
    memcpy(rows, csv_rows, size_t(keep) * sizeof(CSV_ROW));
    for (int y = 0; y < keep && xs < csv_xs; y++) {
        row_cut(&rows[y], xs);
        csv_trim_row(&rows[y]);
    }
    for (int x = 0; x < xs; x++) cols[x] = x < csv_xs ? csv_cols[x] : CSV_COL{csv_defwide, csv_defword};
    free(csv_rows);
    free(csv_cols);
    csv_rows = rows;
    csv_cols = cols;
    csv_xs = xs;
    csv_ys = ys;
    if (csv_used > ys) csv_used = ys;
    csv_calc_left();
    csv_modify = 1;
    csv_redraw(nullptr);
    return 0;
}

// ---------------------------------------------------------------- rows and cells

CSV_ROW *CSV_U::csv_get_row(int y) const
{
    return (csv_rows && y >= 0 && y < csv_ys) ? &csv_rows[y] : nullptr;
}

// Room for `need` cells; grows geometrically so that filling a row left to right stays linear.
int CSV_U::csv_grow_row(CSV_ROW *r, int need)
{
    if (need <= r->cap) return 0;
    int cap = r->cap ? r->cap * 2 : need;
    if (cap > csv_xs) cap = csv_xs;
    if (cap < need) cap = need;
    auto *cel = static_cast<CSV_CEL *>(realloc(r->cel, size_t(cap) * sizeof(CSV_CEL)));
    if (!cel) return -1;
    r->cel = cel;
    r->cap = uint16_t(cap);
    return 0;
}

CSV_CEL *CSV_U::csv_new_cel(int x, int y)
{
    if (!csv_in(x, y)) return nullptr;
    CSV_ROW *r = &csv_rows[y];
    if (x >= r->cnt) {
        if (csv_grow_row(r, x + 1) < 0) return nullptr;
        if (y >= csv_used) csv_used = y + 1;
        memset(&r->cel[r->cnt], 0, size_t(x + 1 - r->cnt) * sizeof(CSV_CEL));
        r->cnt = x + 1;
    }
    return &r->cel[x];
}

// Drop trailing empty cells; free the array when none is left, shrink it when mostly unused.
void CSV_U::csv_trim_row(CSV_ROW *r)
{
    while (r->cnt > 0 && csv_cel_use(&r->cel[r->cnt - 1]) == 0) r->cnt--;
    if (r->cnt == 0) {
        free(r->cel);
        r->cel = nullptr;
        r->cap = 0;
        return;
    }
    if (r->cnt > r->cap / 2) return;
    auto *cel = static_cast<CSV_CEL *>(realloc(r->cel, size_t(r->cnt) * sizeof(CSV_CEL)));
    if (!cel) return;  // the larger array stays
    r->cel = cel;
    r->cap = uint16_t(r->cnt);
}

int CSV_U::csv_put_cel(int x, int y, const CSV_CEL *src, int mask)
{
    if (!csv_in(x, y)) return -1;
    mask &= CSV_P_ALL;
    // A shallow copy: src may live in the row that is about to grow.
    CSV_CEL s = {};
    if (src && csv_cel_use(src)) s = *src;
    else src = nullptr;
    // Unused types and a long text without text carry no value.
    int st = csv_cel_type(&s);
    if (st > CSV_NUM || (st == CSV_LSTR && !s.val.p)) s.flags &= ~CSV_TYPE_MASK;
    CSV_FORM *nf = nullptr;
    char *ns = nullptr;
    if (src && (mask & CSV_P_FORM) && s.form && !(nf = csv_form_dup(s.form))) return -1;
    if (src && (mask & CSV_P_VAL) && csv_cel_type(&s) == CSV_LSTR && !(ns = lstr_dup(s.val.p))) {
        csv_form_free(nf);
        return -1;
    }
    CSV_CEL *c = csv_get_cel(x, y);
    if (!c && !src) return 0;
    if (!c && !(c = csv_new_cel(x, y))) {
        KOV_LOG("csv_new_cel(%d,%d) 失敗", x, y);
        csv_form_free(nf);
        lstr_free(ns);
        return -1;
    }
    if (mask & CSV_P_ATTR) c->flags &= ~CSV_ATTR_MASK;
    if (mask & CSV_P_VAL) {
        if (csv_cel_type(c) == CSV_LSTR) lstr_free(c->val.p);
        c->flags &= ~CSV_TYPE_MASK;
        memset(&c->val, 0, sizeof c->val);
    }
    if (mask & CSV_P_FORM) {
        csv_form_free(c->form);
        c->form = nullptr;
    }
    if (src && (mask & CSV_P_VAL)) {
        c->flags |= s.flags & CSV_TYPE_MASK;
        c->val = s.val;
        if (ns) c->val.p = ns;
    }
    if (src && (mask & CSV_P_ATTR)) c->flags |= s.flags & CSV_ATTR_MASK;
    if (nf) {
        c->form = nf;
        csv_rows[y].noform = 0;
    }
    csv_trim_row(&csv_rows[y]);
    csv_modify = 1;
    if (x == csv_curx && y == csv_cury) csv_show_cursor();
    return 0;
}

static void redraw_cel(CSV_U *u, int x, int y)
{
    CSV_RECT r = {x, y, x, y};
    u->csv_redraw(&r);
}

int CSV_U::csv_put_str(int x, int y, const char *text, int redraw, int mask)
{
    if (!csv_in(x, y)) return -1;
    CSV_CEL s = {};
    size_t len = text ? strlen(text) : 0;
    if (len > 0 && len < 9) {
        s.flags = CSV_SSTR;
        memcpy(s.val.s, text, len);
    } else if (len > 0) {
        s.flags = CSV_LSTR;
        s.val.p = const_cast<char *>(text);  // copied by csv_put_cel
    }
    if (csv_put_cel(x, y, len ? &s : nullptr, mask) < 0) {
        KOV_LOG("csv_put_cel() 失敗");
        return -1;
    }
    // Control bytes never reach the grid; no Shift-JIS trail byte is below 0x40.
    CSV_CEL *c = csv_get_cel(x, y);
    int type = csv_cel_type(c);
    char *p = type == CSV_SSTR ? c->val.s : type == CSV_LSTR ? c->val.p : nullptr;
    size_t n = type == CSV_SSTR ? 8 : type == CSV_LSTR ? strlen(p) : 0;
    for (size_t i = 0; i < n && p[i]; i++)
        if (static_cast<unsigned char>(p[i]) < 0x20) p[i] = ' ';
    if (redraw == 1) redraw_cel(this, x, y);
    return 0;
}

// Keep every stored number finite and normal: an infinity becomes the largest double, a
// denormal the smallest normal one, each with its sign. NaN stays NaN.
static double num_limit(double d)
{
    double a = std::fabs(d);
    if (a > DBL_MAX) a = DBL_MAX;
    else if (a > 0 && a < DBL_MIN) a = DBL_MIN;
    else return d;
    return std::signbit(d) ? -a : a;
}

int CSV_U::csv_put_num(int x, int y, double d, int redraw, int mask)
{
    if (!csv_in(x, y)) return -1;
    CSV_CEL *c = csv_get_cel(x, y);
    if (c && mask == CSV_P_VAL) {   // a recalculation storing its results: the cell is there
        if (csv_cel_type(c) == CSV_LSTR) lstr_free(c->val.p);
        c->flags = (c->flags & ~CSV_TYPE_MASK) | CSV_NUM;
        c->val.d = num_limit(d);
        csv_modify = 1;
        if (x == csv_curx && y == csv_cury) csv_show_cursor();
        if (redraw == 1) redraw_cel(this, x, y);
        return 0;
    }
    CSV_CEL s = {};
    s.flags = CSV_NUM;
    s.val.d = num_limit(d);
    if (csv_put_cel(x, y, &s, mask) < 0) {
        KOV_LOG("csv_put_cel(%d,%d) 失敗", x, y);
        return -1;
    }
    if (redraw == 1) redraw_cel(this, x, y);
    return 0;
}

int CSV_U::csv_put_form(int x, int y, const char *text)
{
    if (!text || !*text) return csv_put_cel(x, y, nullptr, CSV_P_FORM);
    if (!csv_in(x, y)) return -1;
    CSV_CEL *c = csv_get_cel(x, y);
    if (c && c->form && strcmp(c->form->text, text) == 0) return 0;
    // The new record goes into the cell as it is (a load puts every formula through here);
    // on a failure the old formula stays with its part.
    CSV_FORM *nf = csv_form_new(text);
    if (!nf || !(c = csv_new_cel(x, y))) {
        KOV_LOG("csv_put_form(%d,%d) 失敗", x, y);
        csv_form_free(nf);
        return -1;
    }
    CSV_FORM *old = c->form;
    c->form = nf;
    csv_rows[y].noform = 0;
    csv_modify = 1;
    if (x == csv_curx && y == csv_cury) csv_show_cursor();
    if (old && old->part) KOV_LOG("csv_put_form(%d,%d) part freed", x, y);
    csv_form_free(old);
    return 0;
}

int CSV_U::csv_get_int(int x, int y) const
{
    double d = csv_get_num(x, y);
    if (std::isnan(d)) return 0;
    if (d <= -2147483648.0) return INT32_MIN;
    if (d >= 2147483647.0) return INT32_MAX;
    return int(d);
}

const char *CSV_U::csv_get_form(int x, int y) const
{
    const CSV_CEL *c = csv_get_cel(x, y);
    return c && c->form ? c->form->text : nullptr;
}

CSV_PART *CSV_U::csv_get_part(int x, int y) const
{
    const CSV_CEL *c = csv_get_cel(x, y);
    return c && c->form ? c->form->part : nullptr;
}

int CSV_U::csv_set_part(int x, int y, CSV_PART *part)
{
    CSV_CEL *c = csv_get_cel(x, y);
    if (!c || !c->form) return -1;
    if (c->form->part != part) delete c->form->part;
    c->form->part = part;
    return 0;
}

int CSV_U::csv_used_xs(int mask) const
{
    int n = 0;
    for (int y = 0; csv_rows && y < csv_ys; y++) {
        const CSV_ROW *r = &csv_rows[y];
        for (int x = r->cnt - 1; x >= n; x--)
            if (csv_cel_use(&r->cel[x]) & mask) {
                n = x + 1;
                break;
            }
    }
    return n;
}

int CSV_U::csv_used_ys(int mask) const
{
    for (int y = csv_rows ? csv_ys - 1 : -1; y >= 0; y--) {
        const CSV_ROW *r = &csv_rows[y];
        for (int x = 0; x < r->cnt; x++)
            if (csv_cel_use(&r->cel[x]) & mask) return y + 1;
    }
    return 0;
}

// ---------------------------------------------------------------- attributes

// Attribute fields 1..6: first bit and width inside the flags word.
static const struct { int shift, bits; } attr_field[7] = {
    {0, 0}, {3, 4}, {7, 4}, {11, 1}, {12, 1}, {13, 3}, {16, 6},
};

int CSV_U::csv_get_attr(int x, int y, int field) const
{
    const CSV_CEL *c = csv_get_cel(x, y);
    if (!c || field < 1 || field > 6) return 0;
    return int((c->flags >> attr_field[field].shift) & ((1u << attr_field[field].bits) - 1));
}

int CSV_U::csv_set_attr(int x, int y, int field, int value)
{
    if (!csv_in(x, y) || field < 0 || field > 6) return -1;
    uint32_t mask = field ? ((1u << attr_field[field].bits) - 1) << attr_field[field].shift : CSV_ATTR_MASK;
    uint32_t bits = field ? (uint32_t(value) << attr_field[field].shift) & mask : 0;
    CSV_CEL *c = csv_get_cel(x, y);
    if (!c && !bits) return 0;  // no cell is made to hold nothing
    if (!c && !(c = csv_new_cel(x, y))) {
        KOV_LOG("csv_new_cel(%d,%d) 失敗", x, y);
        return -1;
    }
    c->flags = (c->flags & ~mask) | bits;
    csv_trim_row(&csv_rows[y]);
    csv_modify = 1;
    return 0;
}

// ---------------------------------------------------------------- columns

int CSV_U::csv_get_col(int x, CSV_COL *col) const
{
    if (!col || !csv_cols) return -1;
    if (x == CSV_RNCOL) {
        *col = CSV_COL{int16_t(csv_rnwide), 0};
        return 0;
    }
    if (x < 0 || x >= csv_xs) return -1;
    *col = csv_cols[x];
    return 0;
}

int CSV_U::csv_set_col(int x, const CSV_COL *col)
{
    if (!col || !csv_cols) return -1;
    if (x == CSV_RNCOL) {
        csv_rnwide = col->wide < 1 ? 5 : col->wide;
    } else {
        if (x < 0 || x >= csv_xs) return -1;
        csv_cols[x] = *col;
        if (col->wide < 1) csv_cols[x].wide = 10;
        csv_calc_left();
    }
    csv_modify = 1;
    return 0;
}

int CSV_U::csv_get_wide(int x) const
{
    CSV_COL col;
    return csv_get_col(x, &col) < 0 ? 0 : col.wide;
}

int CSV_U::csv_set_wide(int x, int wide)
{
    CSV_COL col;
    if (csv_get_col(x, &col) < 0) return -1;
    col.wide = int16_t(wide < 1 || wide > INT16_MAX ? 0 : wide);
    return csv_set_col(x, &col);
}

void CSV_U::csv_calc_left()
{
    int32_t left = 0;
    for (int x = 0; csv_cols && x < csv_xs; x++) {
        csv_cols[x].left = left;
        left += csv_cols[x].wide;
    }
}

// ---------------------------------------------------------------- regions

int CSV_U::csv_chk_space(CSV_RECT *r) const
{
    if (!r) {
        KOV_LOG("spc_p==NULL");
        return -1;
    }
    if (csv_xs < 1 || csv_ys < 1) {
        KOV_LOG("xs=%d ys=%d", csv_xs, csv_ys);
        return -1;
    }
    auto clip = [](int &v, int last) { v = v < 0 ? 0 : v > last ? last : v; };
    clip(r->x1, csv_xs - 1);
    clip(r->x2, csv_xs - 1);
    clip(r->y1, csv_ys - 1);
    clip(r->y2, csv_ys - 1);
    if (r->x1 > r->x2) std::swap(r->x1, r->x2);
    if (r->y1 > r->y2) std::swap(r->y1, r->y2);
    return 0;
}

int CSV_U::csv_chk_region(CSV_RECT *r) const
{
    if (csv_chk_space(r) == 0) return 0;
    KOV_LOG("csv_chk_space() 失敗");
    return -1;
}

// ---------------------------------------------------------------- file name

// Absolute form of name without touching the file system beyond the working directory:
// "." and ".." components are resolved lexically, symbolic links are kept.
static std::string full_path(const char *name)
{
    std::string in = name;
    if (in[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd)) return std::string();
        in = std::string(cwd) + "/" + in;
    }
    std::string out;
    size_t i = 0;
    while (i < in.size()) {
        size_t j = in.find('/', i);
        if (j == std::string::npos) j = in.size();
        std::string part = in.substr(i, j - i);
        i = j + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            size_t k = out.rfind('/');
            out.erase(k == std::string::npos ? 0 : k);
            continue;
        }
        out += "/" + part;
    }
    return out.empty() ? "/" : out;
}

int CSV_U::csv_set_fullpath(const char *name)
{
    if (!name || !*name) return -1;
    std::string full = full_path(name);
    if (full.empty() || full.size() >= 4096) return -1;
    size_t cut = full.rfind('/');
    std::string dir = cut == 0 ? "/" : full.substr(0, cut);
    char *f = strdup(full.c_str());
    char *d = strdup(dir.c_str());
    if (!f || !d) {
        free(f);
        free(d);
        return -1;
    }
    free(csv_fname);
    free(csv_dir);
    csv_fname = f;
    csv_dir = d;
    return 0;
}
