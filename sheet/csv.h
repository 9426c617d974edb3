// The cell store: a grid of up to 1000 columns by 1000000 rows of cell records, with column
// widths, sheet options and the operations that grow, move, sort and query it.
// Coordinates are (x, y) = (column, row), 0-based, column first everywhere.
#pragma once
#include <cstddef>
#include <cstdint>

#include "sheet/kovhost.h"

// Sheet size limits.
constexpr int CSV_MAX_XS = 1000;
constexpr int CSV_MAX_YS = 1000000;
// Column index that addresses the row-name header in the column record operations.
constexpr int CSV_RNCOL = INT32_MIN;  // 0x80000000
// Widest text the display-text operation produces (bytes including the terminator).
constexpr int CSV_DSP_MAX = 4097;

// Value types (flag bits 0-2).
enum { CSV_EMPTY = 0, CSV_SSTR = 1, CSV_LSTR = 2, CSV_NUM = 3 };
// Parts of a cell: csv_put_cel masks and usage bits.
enum { CSV_P_VAL = 1, CSV_P_FORM = 2, CSV_P_ATTR = 4, CSV_P_ALL = 7 };
// Attribute field numbers of csv_get_attr / csv_set_attr.
enum { CSV_A_TEXT = 1, CSV_A_BACK = 2, CSV_A_TOP = 3, CSV_A_LEFT = 4, CSV_A_INPUT = 5, CSV_A_FMT = 6 };

constexpr uint32_t CSV_TYPE_MASK = 0x00000007u;  // bits 0-2
constexpr uint32_t CSV_ATTR_MASK = 0x00FFFFF8u;  // bits 3-23
constexpr uint32_t CSV_KEEP_MASK = 0xFF000000u;  // bits 24-31: never touched by the store

using CSV_RECT = KOV_RECT;
struct CSV_REF  { int x, y, xoff, yoff; };   // xoff/yoff 0x80000000 = absolute part
struct CSV_CFT  { int x1, y1, x2, y2, dx, dy, keep; };  // formula transform of a move

// What a formula owns (a pasted part); destroyed with the formula.
class CSV_PART {
public:
    virtual ~CSV_PART();
    // The part's window exists; a reset makes the next evaluation of the formula paste it anew.
    virtual bool part_alive() const { return false; }
    virtual void part_reset() {}
    // Set by the part's function when an evaluation calls it: a pass drops the part of a
    // formula that no longer does.
    bool part_used = false;
};

// Formula record: header then the NUL-terminated text (without the leading "=").
// Allocated with malloc by csv_form_new, freed by csv_form_free.
struct CSV_FORM {
    CSV_PART *part;      // owned
    uint32_t st_word;    // evaluation state
    uint16_t st_half;
    uint8_t st_byte;
    char text[];
};

// Cell record. val.s holds 1..8 bytes (no terminator when 8 long) for CSV_SSTR,
// val.p an owned heap text for CSV_LSTR, val.d the number for CSV_NUM.
struct CSV_CEL {
    uint32_t flags;      // bits 0-2 type, 3-23 attributes, 24-31 kept
    uint32_t spare;
    union {
        char s[8];
        char *p;
        double d;
    } val;
    CSV_FORM *form;      // owned, or nullptr
};

// Row record; cel[0..cnt-1] (cap allocated). Rows move as whole records.
struct CSV_ROW {
    int32_t cnt;
    uint16_t cap;
    uint8_t noform;      // no-formula mark of the recalculation scan
    uint8_t spare;
    CSV_CEL *cel;
};

// Column record: width in characters (>= 1) and left edge (sum of widths to the left).
struct CSV_COL {
    int16_t wide;
    int32_t left;
};

// Formula record helpers (pure; no store needed).
CSV_FORM *csv_form_new(const char *text);           // zeroed header; nullptr out of memory
CSV_FORM *csv_form_dup(const CSV_FORM *f);          // header and text copied, part not
void csv_form_free(CSV_FORM *f);                    // destroys the owned part too
void csv_cel_free(CSV_CEL *c);                      // frees what a cell owns, zeroes it whole
// Bytes of long texts held by all sheets of the process; a text that would pass the cap is not
// stored (as when out of memory), so that one script filling its sheet cannot take the machine's
// memory.
extern long csv_text_bytes;
extern long csv_text_cap;

// Number to display text (the number formats of the cell attributes): writes at most w bytes
// including the terminator into buf (w clamped to 1..CSV_DSP_MAX); returns the text length.
int csv_fmt_num(double d, int fmt, int w, char *buf);
// Number format codes by name: the keyword ("FORMAT,f.2" -> 12, -1 unknown), the keyword of a
// code (nullptr when it has none), the code of a menu command 86..110 (-1 otherwise), and the
// status-bar name ("" for 0, "FMT%d " for codes without a name); returns the name length.
int csv_fmt_code(const char *keyword);
const char *csv_fmt_keyword(int code);
int csv_fmt_by_cmd(int cmd);
int csv_fmt_label(int code, char *buf, int size);
// 0xRRGGBB of an attribute colour code 1..11 (11: the window's face colour, grey here); 0 and
// 12..15 are the defaults: black text on white.
unsigned csv_code_rgb(int code, bool back);

class CSV_U {
public:
    CSV_U();
    virtual ~CSV_U();
    CSV_U(const CSV_U &) = delete;
    CSV_U &operator=(const CSV_U &) = delete;

    // --- store lifecycle and sizes ---
    int csv_create(int xs, int ys);        // new empty store (frees the old one)
    int csv_resize(int xs, int ys);        // keep what still fits
    void csv_free_all();                   // sizes become 0
    int cse_del_allcel();                  // free every cell, keep sizes and columns
    int csv_exists() const { return csv_rows != nullptr; }
    // Rows from this one on hold no cell (a walk over every row stops here).
    int csv_get_used() const { return csv_used; }
    int csv_get_xs() const { return csv_xs; }   // column count, 0 without store
    int csv_get_ys() const { return csv_ys; }   // row count, 0 without store
    int csv_used_xs(int mask) const;       // 1 + largest column with usage & mask
    int csv_used_ys(int mask) const;       // 1 + largest row with usage & mask

    // --- cells ---
    CSV_CEL *csv_get_cel(int x, int y) const    // never allocates
    {
        if (!csv_in(x, y)) return nullptr;
        const CSV_ROW *r = &csv_rows[y];
        return x < r->cnt ? &r->cel[x] : nullptr;
    }
    CSV_CEL *csv_new_cel(int x, int y);
    CSV_ROW *csv_get_row(int y) const;          // row record, nullptr outside
    int csv_put_cel(int x, int y, const CSV_CEL *src, int mask);
    int csv_put_str(int x, int y, const char *text, int redraw = 0, int mask = CSV_P_VAL);
    int csv_put_num(int x, int y, double d, int redraw = 0, int mask = CSV_P_VAL);
    int csv_put_form(int x, int y, const char *text);
    int csv_clr_cel(int x, int y, int mask = CSV_P_ALL) { return csv_put_cel(x, y, nullptr, mask); }
    double csv_get_num(int x, int y) const      // 0 unless the cell holds a number
    {
        const CSV_CEL *c = csv_get_cel(x, y);
        return csv_cel_type(c) == CSV_NUM ? c->val.d : 0.0;
    }
    int csv_get_int(int x, int y) const;
    const char *csv_get_form(int x, int y) const;   // formula text or nullptr
    CSV_PART *csv_get_part(int x, int y) const;     // part owned by the formula or nullptr
    int csv_set_part(int x, int y, CSV_PART *part); // give a part to the formula (old one destroyed)
    // Value text of a cell: short texts are copied to buf (>= 9 bytes) and terminated;
    // nullptr when the cell holds no text.
    static const char *csv_cel_str(const CSV_CEL *c, char *buf);
    static int csv_cel_type(const CSV_CEL *c) { return c ? int(c->flags & CSV_TYPE_MASK) : 0; }
    static int csv_cel_use(const CSV_CEL *c);
    int csv_get_type(int x, int y) const { return csv_cel_type(csv_get_cel(x, y)); }
    int csv_get_use(int x, int y) const { return csv_cel_use(csv_get_cel(x, y)); }

    // --- attributes (field 1..6; set field 0 clears all) ---
    int csv_get_attr(int x, int y, int field) const;
    int csv_set_attr(int x, int y, int field, int value);

    // Display text: at most w bytes including the terminator into buf; returns the length.
    int csv_dsp_text(int x, int y, int fmt, int w, char *buf) const;

    // --- moves ---
    int csv_move_cel(int tx, int ty, int sx, int sy);
    int csv_clr_rows(int y, int n);
    int csv_swap_rows(int a, int b);
    int csv_ins_cols(int x, int n);
    int csv_del_cols(int x, int n);
    int csv_ins_rows(int y, int n);
    int csv_del_rows(int y, int n);
    int csv_sort_rows(int order, int key, int y, int n);   // order 0 ascending, 1 descending
    int csv_rot_rows(int dir, int y, int n);               // dir 0 up, 1 down

    // --- columns ---
    int csv_get_col(int x, CSV_COL *col) const;     // x may be CSV_RNCOL
    int csv_set_col(int x, const CSV_COL *col);
    int csv_get_wide(int x) const;                  // width, 0 outside
    int csv_set_wide(int x, int wide);
    void csv_calc_left();                           // recompute every left edge
    int csv_set_autowide(int minwide);

    // --- regions and flags ---
    int csv_chk_space(CSV_RECT *r) const;
    int csv_chk_region(CSV_RECT *r) const;          // the same, a failure logged for the caller
    void csv_set_modify(int on) { csv_modify = on ? 1 : 0; }
    int csv_get_modify() const { return csv_modify; }

    // --- reference adjustment and conversion (sheet/cellref.cpp) ---
    int csv_adj_form(int x, int y, const CSV_CFT *cft);
    int csv_adj_row(int x1, int x2, int y, const CSV_CFT *cft);
    int csv_adj_sheet(const CSV_CFT *cft);
    int csv_cnv_form(int x, int y, const CSV_RECT *region, int mode);
    int csv_cnv_region(const CSV_RECT *region, int mode);   // nullptr = whole sheet

    // --- the host: display, recalculation and everything else outside the store ---
    // nullptr gives back the store's own host (no window).
    void csv_set_host(KOV_HOST *h) { csv_hostp = h ? h : &csv_own_host; }
    KOV_HOST &csv_host() const { return *csv_hostp; }
    int csv_form_calc(const CSV_RECT *region) { return csv_hostp->host_recalc(region); }   // nullptr = whole sheet
    void csv_redraw(const CSV_RECT *region) { csv_hostp->host_redraw(region); }          // nullptr = whole sheet
    void csv_redraw_head() { csv_hostp->host_redraw_head(); }
    void csv_show_cursor() { csv_hostp->host_show_cursor(); }                             // cursor cell content changed

    // --- file name ---
    int csv_set_fullpath(const char *name);
    const char *csv_get_fname() const { return csv_fname ? csv_fname : ""; }   // "" when none
    const char *csv_get_dir() const { return csv_dir ? csv_dir : ""; }       // "" when none

    // --- sheet fields (read and written by the file formats and the window) ---
    int16_t csv_defwide = 10;    // width of new columns
    int32_t csv_defword = 0;     // left word of new columns
    int32_t csv_rnwide = 5;      // row-name width
    int32_t csv_cnrow = -1;      // column-name row, -1 none
    int32_t csv_rncol = -1;      // row-name column, -1 none
    int32_t csv_scrlock = 0;     // FOP_SCRLOCK
    int32_t csv_wpbeep = 0;      // FOP_WPBEEP
    int32_t csv_cyclems = 0;     // FOP_CYCLEMS
    int32_t csv_curx = 0, csv_cury = 0;        // cursor cell
    CSV_RECT csv_copy_rect = {0, 0, 0, 0};    // last copied region
    char csv_copy_name[32] = {0};             // its temporary file
    int32_t csv_copy_kind = 0;

private:
    KOV_HOST csv_own_host;
    KOV_HOST *csv_hostp = &csv_own_host;
    int csv_xs = 0, csv_ys = 0;
    CSV_ROW *csv_rows = nullptr;
    int csv_used = 0;   // one past the last row that may hold cells (a row move: every row)
    CSV_COL *csv_cols = nullptr;
    int csv_modify = 0;
    char *csv_fname = nullptr;
    char *csv_dir = nullptr;

    int csv_in(int x, int y) const { return csv_rows && x >= 0 && x < csv_xs && y >= 0 && y < csv_ys; }
    int csv_grow_row(CSV_ROW *r, int need);
    void csv_trim_row(CSV_ROW *r);
    void csv_free_row(CSV_ROW *r);
    int csv_adj_moved_row(int yold, int ynew);
    int csv_cmp_key(const CSV_ROW *a, const CSV_ROW *b, int key) const;
};
