// What the handlers share: results into the interpreter's shared value and text buffer, and
// range arguments read in their order (rows first to last, each row's columns first to last).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "builtins/func.h"
#include "script/gajet.h"

// "x" results: a copy of v (nullptr or an empty value gives the empty result).
inline int fn_give(SCR_U &s, FN_RET &r, const VAL_U *v)
{
    FUNC_U &f = FUNC_U::fn_of(s);
    if (!v || v->val_kind == VAL_EMPTY) return r.x = nullptr, 0;
    f.fn_result.val_copy(*v);
    r.x = &f.fn_result;
    return 0;
}

inline int fn_give_num(SCR_U &s, FN_RET &r, double d)
{
    FUNC_U &f = FUNC_U::fn_of(s);
    f.fn_result.val_putd(d);
    r.x = &f.fn_result;
    return 0;
}

// "x" result of a text (empty text: the empty result).
inline int fn_give_text(SCR_U &s, FN_RET &r, const char *t)
{
    FUNC_U &f = FUNC_U::fn_of(s);
    if (!t || !*t) return r.x = nullptr, 0;
    f.fn_result.val_puts(t);
    r.x = &f.fn_result;
    return 0;
}

// The element (x, y) of a storage as the "x" result: its number, its text or empty.
inline int fn_give_element(SCR_U &s, FN_RET &r, BASE_GJ *g, int x, int y)
{
    VAL_U v;
    int k = g ? g->gj_kind(x, y) : 0;
    if (k == 1) v.val_putd(g->gj_getd(x, y));
    if (k == 2) v.val_puts(g->gj_gets(x, y, 4096));
    return fn_give(s, r, &v);
}

// "s" results: n bytes of t in the shared text buffer (cut to its size).
inline int fn_ret_text(SCR_U &s, FN_RET &r, const char *t, size_t n)
{
    char *b = FUNC_U::fn_of(s).fn_text;
    if (n > size_t(FN_TEXT_MAX - 1)) n = FN_TEXT_MAX - 1;
    memmove(b, t, n);
    b[n] = 0;
    r.s = b;
    return 0;
}
inline int fn_ret_text(SCR_U &s, FN_RET &r, const char *t) { return fn_ret_text(s, r, t, strlen(t)); }

// A "giiii" range argument starting at c.arg[k]. Only the part of a range that lies on its
// storage holds anything, so walks visit that part alone: a range of 2^31 x 2^31 over a sheet
// of 256 x 10000 costs what the sheet costs, and positions near the integer limits never
// overflow.
struct FN_RANGE {
    BASE_GJ *g;
    int x, y, w, h;
    int sx = 0, sy = 0;   // the storage's shape
    FN_RANGE(BASE_GJ *g, int x, int y, int w, int h) : g(g), x(x), y(y), w(w), h(h)
    {
        if (g) sx = g->gj_xs(), sy = g->gj_ys();
    }
    FN_RANGE(const FN_CALL &c, int k)
        : FN_RANGE(c.arg[k].g, c.arg[k + 1].i, c.arg[k + 2].i, c.arg[k + 3].i, c.arg[k + 4].i)
    {
    }
    bool same_shape(const FN_RANGE &o) const { return w == o.w && h == o.h; }

    // Offsets [i0, i1) x [j0, j1) of the range that lie on the storage (empty: i0 == i1).
    struct WIN {
        int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
        bool has(int i, int j) const { return i >= i0 && i < i1 && j >= j0 && j < j1; }
    };
    WIN window() const
    {
        WIN r;
        if (!g || !span(x, w, sx, r.i0, r.i1) || !span(y, h, sy, r.j0, r.j1)) return WIN{};
        return r;
    }
    // Whether the offset (i, j) is inside the range and on the storage.
    bool on(int i, int j) const
    {
        int64_t c = int64_t(x) + i, r = int64_t(y) + j;
        return g && i >= 0 && j >= 0 && i < w && j < h && c >= 0 && r >= 0 && c < sx && r < sy;
    }
    // f(column offset, row offset) for every element on the storage, in scan order; stops when
    // f gives false. Inside f, at() reads a number without asking again whether it is on.
    template <class F> void each(F f) const
    {
        WIN r = window();
        for (int j = r.j0; j < r.j1; j++)
            for (int i = r.i0; i < r.i1; i++)
                if (!f(i, j)) return;
    }
    int kind(int i, int j) const { return on(i, j) ? g->gj_kind(x + i, y + j) : 0; }
    bool num(int i, int j, double &d) const { return on(i, j) && at(i, j, d); }
    bool at(int i, int j, double &d) const { return g->gj_numd(x + i, y + j, d) == 0; }
    // The numbers of the range in scan order.
    std::vector<double> numbers() const
    {
        std::vector<double> v;
        each([&](int i, int j) {
            double d;
            if (at(i, j, d)) v.push_back(d);
            return true;
        });
        return v;
    }

private:
    // The offsets [lo, hi) of n positions from at that fall in [0, size); false when none do.
    static bool span(int at, int n, int size, int &lo, int &hi)
    {
        int64_t a = at < 0 ? -int64_t(at) : 0, b = std::min<int64_t>(n, int64_t(size) - at);
        if (b <= a) return false;
        lo = int(a), hi = int(b);
        return true;
    }
};

// The element at offset (i, j) of a range, 0 / 0 when that element lies off the range or its
// storage (INDEX, OFFSET: positions come from the user and may be any integer).
inline bool fn_range_at(const FN_RANGE &rg, int64_t i, int64_t j, int &x, int &y)
{
    int64_t c = int64_t(rg.x) + i, r = int64_t(rg.y) + j;
    if (!rg.g || c < 0 || r < 0 || c >= rg.sx || r >= rg.sy) return false;
    x = int(c), y = int(r);
    return true;
}

// The last position of n from at (at + n - 1), held to the int range.
inline int fn_last(int at, int n) { return int(std::clamp<int64_t>(int64_t(at) + n - 1, INT32_MIN, INT32_MAX)); }

// Whether a formula is being evaluated (a current cell is set).
inline bool fn_in_formula(const SCR_U &s) { return s.ctx.cel_x != SCR_NOCELL; }

// Script-only functions refuse inside a formula ("NAME はセル式では無効").
inline bool fn_script_only(SCR_U &s)
{
    if (!fn_in_formula(s)) return true;
    s.scr_set_FNCERR("%s はセル式では無効", s.scr_fn_name);
    return false;
}

// The sheet behind a storage, nullptr for a script array.
inline CSV_U *fn_sheet_of(BASE_GJ *g)
{
    auto *m = dynamic_cast<MYKOV_GJ *>(g);
    return m ? m->gj_csv() : nullptr;
}

// Painting switched on while a long call waits (sleep, system), as it was afterwards.
struct FN_PAINT_ON {
    SCR_U &s;
    int was;
    explicit FN_PAINT_ON(SCR_U &s);
    ~FN_PAINT_ON();
};
