// Storage objects of script variables.
#include "script/gajet.h"

#include <cstring>
#include <new>

#include "script/val.h"
#include "sheet/csv.h"

long BASE_GJ::gj_objct = 0;
long VAR_GJ::gj_cells = 0;
long VAR_GJ::gj_cellcap = 8L * 1024 * 1024;

BASE_GJ::BASE_GJ() { gj_objct++; }
BASE_GJ::~BASE_GJ() { gj_objct--; }
double BASE_GJ::gj_getd(int, int) { return 0; }
int BASE_GJ::gj_numd(int, int, double &) { return -1; }
int BASE_GJ::gj_putd(int, int, double, int) { return -1; }
const char *BASE_GJ::gj_gets(int, int, int) { return ""; }
int BASE_GJ::gj_puts(int, int, const char *, int) { return -1; }
int BASE_GJ::gj_kind(int, int) { return 0; }

// ---- VAR_GJ ----

VAR_GJ::VAR_GJ(int xs, int ys, int dims) : xs(xs < 0 ? 0 : xs), ys(ys < 0 ? 0 : ys), dims(dims) { gj_vars = true; }

VAR_GJ::~VAR_GJ()
{
    if (!blk) return;
    int nb = ys / BLK + 1;
    for (int b = 0; b < nb; b++) {
        if (!blk[b]) continue;
        for (int r = 0; r < BLK; r++) {
            if (!blk[b][r]) continue;
            delete[] blk[b][r];
            gj_cells -= xs;
        }
        delete[] blk[b];
    }
    delete[] blk;
}

VAL_U *VAR_GJ::gj_cell_new(int x, int y)
{
    if (!blk) {
        blk = new (std::nothrow) VAL_U **[ys / BLK + 1]();
        if (!blk) return nullptr;
    }
    VAL_U **&b = blk[y / BLK];
    if (!b) {
        b = new (std::nothrow) VAL_U *[BLK]();
        if (!b) return nullptr;
    }
    VAL_U *&row = b[y % BLK];
    if (!row) {
        if (gj_cells + xs > gj_cellcap) return nullptr;
        row = new (std::nothrow) VAL_U[xs];
        if (!row) return nullptr;
        gj_cells += xs;
    }
    return &row[x];
}

double VAR_GJ::gj_getd(int x, int y)
{
    const VAL_U *v = gj_peek(x, y);
    return v ? v->val_getd() : 0;
}

int VAR_GJ::gj_numd(int x, int y, double &d)
{
    const VAL_U *v = gj_peek(x, y);
    if (!v || v->val_kind != VAL_NUM) return -1;
    d = v->val_num;
    return 0;
}

int VAR_GJ::gj_putd(int x, int y, double d, int)
{
    VAL_U *v = gj_cell(x, y);
    return v ? v->val_putd(d) : -1;
}

const char *VAR_GJ::gj_gets(int x, int y, int)
{
    const VAL_U *v = gj_peek(x, y);
    return v ? v->val_gets() : "";
}

int VAR_GJ::gj_puts(int x, int y, const char *text, int)
{
    if (!text || !*text) {   // emptying never needs a new row
        if (x < 0 || y < 0 || x >= xs || y >= ys) return -1;
        if (VAL_U *v = const_cast<VAL_U *>(gj_peek(x, y))) v->val_clear();
        return 0;
    }
    VAL_U *v = gj_cell(x, y);
    return v ? v->val_puts(text) : -1;
}

int VAR_GJ::gj_kind(int x, int y)
{
    const VAL_U *v = gj_peek(x, y);
    return v ? v->val_kind : 0;
}

// ---- MYKOV_GJ ----

int MYKOV_GJ::gj_xs() const { return csv ? csv->csv_get_xs() : 0; }
int MYKOV_GJ::gj_ys() const { return csv ? csv->csv_get_ys() : 0; }

double MYKOV_GJ::gj_getd(int x, int y)
{
    double d = 0;
    return gj_numd(x, y, d) == 0 ? d : 0;
}

int MYKOV_GJ::gj_numd(int x, int y, double &d)
{
    if (!csv || csv->csv_get_type(x, y) != CSV_NUM) return -1;
    d = csv->csv_get_num(x, y);
    return 0;
}

int MYKOV_GJ::gj_putd(int x, int y, double d, int)
{
    return csv ? csv->csv_put_num(x, y, d) : -1;
}

const char *MYKOV_GJ::gj_gets(int x, int y, int)
{
    if (!csv) return "";
    const char *s = CSV_U::csv_cel_str(csv->csv_get_cel(x, y), sbuf);
    return s ? s : "";
}

int MYKOV_GJ::gj_puts(int x, int y, const char *text, int)
{
    if (!csv) return -1;
    if (!text || !*text) return csv->csv_clr_cel(x, y, CSV_P_VAL);
    return csv->csv_put_str(x, y, text);
}

int MYKOV_GJ::gj_kind(int x, int y)
{
    if (!csv) return 0;
    int t = csv->csv_get_type(x, y);
    return t == CSV_NUM ? 1 : (t == CSV_SSTR || t == CSV_LSTR) ? 2 : 0;
}

// ---- part gadgets ----

// Class names of the types 4..14 (twins: the type codes in gajet.h, scr_gajet_name).
static const char *const gj_names[] = {
    "BASE_GJ", "BACK_GJ", "ARRAY_GJ", "GRAPH_GJ", "PUSH_GJ", "CHECK_GJ",
    "TEDIT_GJ", "SEDIT_GJ", "NEDIT_GJ", "VSCROL_GJ", "HSCROL_GJ",
};

const char *PLAIN_GJ::gj_class() const
{
    return vt_is_gajet(type) ? gj_names[type - VT_BASE] : "BASE_GJ";
}

BASE_GJ *scr_gajet_newpt(SCR_GJ_MAKER *maker, int type)
{
    if (!vt_is_gajet(type)) return nullptr;
    BASE_GJ *gj = maker ? maker->gj_make(type) : nullptr;
    return gj ? gj : new (std::nothrow) PLAIN_GJ(type);
}
