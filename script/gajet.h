// Storage objects of script variables: the gadget family. Every variable entry of the
// interpreter holds one (shared and use-counted), and the built-ins reach array elements through
// the same element interface: VAR_GJ for var arrays, MYKOV_GJ for the sheet itself, and the part
// gadgets (BASE_GJ ... HSCROL_GJ) whose classes the gadget layer installs through the factory.
#pragma once
#include <cstdint>

#include "script/pool.h"
#include "script/val.h"

class CSV_U;

// Type codes of declarations (twins: scr_typ_string, scr_gajet_name, scr_gajet_type tables).
enum {
    VT_NONE = 0, VT_VOID = 1, VT_VAR = 2, VT_ENUM = 3,
    VT_BASE = 4, VT_BACK = 5, VT_ARRAY = 6, VT_GRAPH = 7, VT_PUSH = 8, VT_CHECK = 9,
    VT_TEDIT = 10, VT_SEDIT = 11, VT_NEDIT = 12, VT_VSCROL = 13, VT_HSCROL = 14,
};
inline bool vt_is_gajet(int t) { return t >= VT_BASE && t <= VT_HSCROL; }

class BASE_GJ {
public:
    BASE_GJ();
    virtual ~BASE_GJ();
    BASE_GJ(const BASE_GJ &) = delete;
    BASE_GJ &operator=(const BASE_GJ &) = delete;

    virtual const char *gj_class() const { return "BASE_GJ"; }
    // Element interface (column x, row y). Objects without elements answer empty / refuse.
    virtual int gj_dims() const { return 0; }
    virtual int gj_xs() const { return 0; }
    virtual int gj_ys() const { return 0; }
    virtual double gj_getd(int x, int y);
    virtual int gj_numd(int x, int y, double &d);       // 0 when the element is a number
    virtual int gj_putd(int x, int y, double d, int flag);
    // Text of the element, at most limit bytes; valid until the next call on this object.
    virtual const char *gj_gets(int x, int y, int limit);
    virtual int gj_puts(int x, int y, const char *text, int flag);   // null text empties
    // A value as it is: a number, a text or nothing.
    int gj_putv(int x, int y, const VAL_U &v)
    {
        if (v.val_kind == VAL_NUM) return gj_putd(x, y, v.val_num, 0);
        return gj_puts(x, y, v.val_kind == VAL_STR ? v.val_gets() : nullptr, 0);
    }
    virtual int gj_kind(int x, int y);                   // 0 empty, 1 number, 2 text
    // The element itself when the object keeps values (string append works in place).
    virtual VAL_U *gj_value(int, int) { return nullptr; }

    int gj_count = 0;               // entries sharing this object
    bool gj_vars = false;           // a VAR_GJ: the interpreter reads and stores its elements directly
    static long gj_objct;           // live objects (leak check)
};

// The element interface as a storage class overrides it (VAR_GJ, MYKOV_GJ).
#define GJ_ELEMENT_OVERRIDES                                        \
    double gj_getd(int x, int y) override;                          \
    int gj_numd(int x, int y, double &d) override;                  \
    int gj_putd(int x, int y, double d, int flag) override;         \
    const char *gj_gets(int x, int y, int limit) override;          \
    int gj_puts(int x, int y, const char *text, int flag) override; \
    int gj_kind(int x, int y) override;

// A var array: xs columns by ys rows of values. Rows are allocated on first store, so a large
// declared shape costs nothing until used; a process-wide cap bounds what stores may allocate.
class VAR_GJ final : public BASE_GJ {
public:
    VAR_GJ(int xs, int ys, int dims);
    ~VAR_GJ() override;
    SCR_POOLED(VAR_GJ)
    const char *gj_class() const override { return "VAR_GJ"; }
    int gj_dims() const override { return dims; }
    int gj_xs() const override { return xs; }
    int gj_ys() const override { return ys; }
    GJ_ELEMENT_OVERRIDES
    VAL_U *gj_value(int x, int y) override { return gj_cell(x, y); }
    // Element as a value (null for an element never stored), and a writable one (null when
    // outside the shape or out of memory).
    const VAL_U *gj_peek(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= xs || y >= ys) return nullptr;
        if (xs == 1 && ys == 1) return &one;
        if (!blk || !blk[y / BLK]) return nullptr;
        VAL_U *row = blk[y / BLK][y % BLK];
        return row ? &row[x] : nullptr;
    }
    // Row y's values (null: never stored into), gj_xs() of them; a row stays where it is while
    // the storage lives.
    VAL_U *gj_row(int y)
    {
        if (y < 0 || y >= ys) return nullptr;
        if (xs == 1 && ys == 1) return &one;
        return blk && blk[y / BLK] ? blk[y / BLK][y % BLK] : nullptr;
    }
    VAL_U *gj_cell(int x, int y)
    {
        if (x < 0 || y < 0 || x >= xs || y >= ys) return nullptr;
        if (xs == 1 && ys == 1) return &one;
        if (blk && blk[y / BLK] && blk[y / BLK][y % BLK]) return &blk[y / BLK][y % BLK][x];
        return gj_cell_new(x, y);
    }

    static long gj_cells;           // element values allocated by all arrays
    static long gj_cellcap;         // stores that would pass this fail

private:
    enum { BLK = 1024 };            // rows per block of row pointers
    VAL_U *gj_cell_new(int x, int y);   // the element's row made first
    int xs, ys, dims;
    VAL_U one;                      // the scalar's value (1 x 1), kept in place
    VAL_U ***blk = nullptr;         // [ys / BLK + 1] blocks of BLK rows of xs values
};

// The var storage behind g without a virtual call (null for other storage): every operand and
// store of the interpreter asks.
inline VAR_GJ *gj_vars_of(BASE_GJ *g) { return g && g->gj_vars ? static_cast<VAR_GJ *>(g) : nullptr; }
inline const VAR_GJ *gj_vars_of(const BASE_GJ *g)
{
    return g && g->gj_vars ? static_cast<const VAR_GJ *>(g) : nullptr;
}

// The sheet as an array: element [row][column] is the cell.
class MYKOV_GJ : public BASE_GJ {
public:
    explicit MYKOV_GJ(CSV_U *csv) : csv(csv) {}
    const char *gj_class() const override { return "MYKOV_GJ"; }
    int gj_dims() const override { return 2; }
    int gj_xs() const override;
    int gj_ys() const override;
    GJ_ELEMENT_OVERRIDES
    CSV_U *gj_csv() const { return csv; }

private:
    CSV_U *csv;
    char sbuf[16];
};

// A part gadget of a script variable (PUSH p; ...) until the gadget layer installs its classes.
class PLAIN_GJ : public BASE_GJ {
public:
    explicit PLAIN_GJ(int type) : type(type) {}
    const char *gj_class() const override;
    int gj_dims() const override { return type == VT_ARRAY ? 2 : 0; }   // a grid, empty
private:
    int type;
};

// The door through which the gadget layer makes the objects of part-type variables (4..14).
class SCR_GJ_MAKER {
public:
    virtual ~SCR_GJ_MAKER() = default;
    // nullptr: no class for the type here, the interpreter's plain object serves.
    virtual BASE_GJ *gj_make(int type) = 0;
};

// New gadget object of a type 4..14 (nullptr for other codes or out of memory): the maker's, or
// a plain one where there is no maker or it has no class for the type.
BASE_GJ *scr_gajet_newpt(SCR_GJ_MAKER *maker, int type);
