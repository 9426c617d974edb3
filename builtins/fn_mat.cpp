// Matrices over ranges: product, sum, difference, inverse, linear systems and the determinant;
// the script forms write into a given range, the formula forms into the block at their cell.
#include "builtins/fnutil.h"

#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

using MAT = std::vector<double>;

// A zeroed buffer of the range's shape.
bool sized(const FN_RANGE &rg, MAT &m)
{
    try {
        m.assign(size_t(rg.w > 0 ? rg.w : 0) * size_t(rg.h > 0 ? rg.h : 0), 0.0);
    } catch (const std::bad_alloc &) {
        return false;
    } catch (const std::length_error &) {
        return false;
    }
    return true;
}

// The range row by row; an element that is not a number reads as 0.
bool read_mat(const FN_RANGE &rg, MAT &m)
{
    if (!sized(rg, m)) return false;
    rg.each([&](int i, int j) {
        double d;
        if (rg.at(i, j, d)) m[size_t(j) * size_t(rg.w) + size_t(i)] = d;
        return true;
    });
    return true;
}

void write_mat(const FN_RANGE &d, const MAT &m)
{
    d.each([&](int i, int j) {
        d.g->gj_putd(d.x + i, d.y + j, m[size_t(j) * size_t(d.w) + size_t(i)], 0);
        return true;
    });
}

void empty_mat(const FN_RANGE &d)
{
    d.each([&](int i, int j) {
        d.g->gj_puts(d.x + i, d.y + j, nullptr, 0);
        return true;
    });
}

int nomem(SCR_U &s)
{
    s.scr_set_FNCERR("メモリ不足");
    return -1;
}

// In-place Gauss-Jordan inversion of the n x n matrix a, solving a x = v at the same time when
// v is given. false when the matrix is singular.
bool get_inverse(int n, double *a, double *v)
{
    std::vector<int> piv(static_cast<size_t>(n));
    auto at = [&](int i, int j) -> double & { return a[size_t(i) * size_t(n) + size_t(j)]; };
    for (int k = 0; k < n; k++) {
        int p = k;
        for (int i = k + 1; i < n; i++)
            if (std::fabs(at(i, k)) > std::fabs(at(p, k))) p = i;
        if (at(p, k) == 0) return false;
        piv[size_t(k)] = p;
        if (p != k) {
            for (int j = 0; j < n; j++) std::swap(at(k, j), at(p, j));
            if (v) std::swap(v[k], v[p]);
        }
        double pivot = at(k, k);
        at(k, k) = 1;
        for (int j = 0; j < n; j++) at(k, j) /= pivot;
        if (v) v[k] /= pivot;
        for (int i = 0; i < n; i++) {
            if (i == k) continue;
            double f = at(i, k);
            at(i, k) = 0;
            for (int j = 0; j < n; j++) at(i, j) -= f * at(k, j);
            if (v) v[i] -= f * v[k];
        }
    }
    for (int k = n - 1; k >= 0; k--) {
        int p = piv[size_t(k)];
        if (p != k)
            for (int i = 0; i < n; i++) std::swap(at(i, k), at(i, p));
    }
    return true;
}

// Determinant by partial pivoting first, then elimination.
double get_determ(int n, double *a)
{
    auto at = [&](int i, int j) -> double & { return a[size_t(i) * size_t(n) + size_t(j)]; };
    int swaps = 0;
    for (int k = 0; k < n; k++) {
        int p = k;
        for (int i = k + 1; i < n; i++)
            if (std::fabs(at(i, k)) > std::fabs(at(p, k))) p = i;
        if (p != k) {
            for (int j = 0; j < n; j++) std::swap(at(k, j), at(p, j));
            swaps++;
        }
    }
    for (int k = 0; k < n; k++)
        for (int i = k + 1; i < n; i++) {
            if (at(k, k) == 0) return 0;
            double f = at(i, k) / at(k, k);
            for (int j = 0; j < n; j++) at(i, j) -= f * at(k, j);
        }
    double d = 1;
    for (int k = 0; k < n; k++) d *= at(k, k);
    return (swaps % 2 ? -d : d) + 0.0;   // no negative zero
}

int mismatch(SCR_U &s)
{
    s.scr_set_FNCERR("行列数不一致");
    return -1;
}

// A matrix is no larger than the storage that holds it, and no size is negative: this bounds
// the buffers and the O(n^3) work by the storage's own shape.
bool fits(const FN_RANGE &m) { return m.w >= 0 && m.h >= 0 && m.w <= m.sx && m.h <= m.sy; }
bool fit(const FN_RANGE &d, const FN_RANGE &a) { return fits(d) && fits(a); }
bool fit(const FN_RANGE &d, const FN_RANGE &a, const FN_RANGE &b) { return fit(d, a) && fits(b); }

// The operations on a destination d; 0 or -1 (with the function error set).
int do_mult(SCR_U &s, const FN_RANGE &d, const FN_RANGE &a, const FN_RANGE &b)
{
    if (a.w != b.h || d.w != b.w || d.h != a.h || !fit(d, a, b)) return mismatch(s);
    MAT ma, mb, md;
    if (!read_mat(a, ma) || !read_mat(b, mb) || !sized(d, md)) return nomem(s);
    for (int i = 0; i < a.h; i++)
        for (int j = 0; j < b.w; j++) {
            double t = 0;
            for (int k = 0; k < a.w; k++) t += ma[size_t(i) * size_t(a.w) + size_t(k)] * mb[size_t(k) * size_t(b.w) + size_t(j)];
            md[size_t(i) * size_t(d.w) + size_t(j)] = t;
        }
    write_mat(d, md);
    return 0;
}

int do_add(SCR_U &s, const FN_RANGE &d, const FN_RANGE &a, const FN_RANGE &b, double sign)
{
    if (!d.same_shape(a) || !a.same_shape(b) || !fit(d, a, b)) return mismatch(s);
    MAT ma, mb;
    if (!read_mat(a, ma) || !read_mat(b, mb)) return nomem(s);
    for (size_t k = 0; k < ma.size(); k++) ma[k] += sign * mb[k];
    write_mat(d, ma);
    return 0;
}

int do_inverse(SCR_U &s, const FN_RANGE &d, const FN_RANGE &a)
{
    if (a.w != a.h || !d.same_shape(a) || !fit(d, a)) {
        s.scr_set_FNCERR("正方行列でない");
        return -1;
    }
    MAT m;
    if (!read_mat(a, m)) return nomem(s);
    if (!get_inverse(a.w, m.data(), nullptr)) {
        s.scr_set_FNCERR("逆行列作成失敗");
        empty_mat(d);
        return 0;
    }
    write_mat(d, m);
    return 0;
}

int do_equation(SCR_U &s, const FN_RANGE &d, const FN_RANGE &a, const FN_RANGE &b)
{
    int n = a.h;
    if (a.w != a.h || !fits(a)) return s.scr_set_FNCERR("係数行列が正方でない"), -1;
    if (d.h != n || d.w != 1 || !fits(d)) return s.scr_set_FNCERR("解領域が n 行 1 列でない"), -1;
    if (b.h != n || b.w != 1 || !fits(b)) return s.scr_set_FNCERR("定数ベクトルが n 行 1 列でない"), -1;
    MAT m, v;
    if (!read_mat(a, m) || !read_mat(b, v)) return nomem(s);
    if (!get_inverse(n, m.data(), v.data())) {
        s.scr_set_FNCERR("逆行列作成失敗");
        empty_mat(d);
        return 0;
    }
    write_mat(d, v);
    return 0;
}

// A formula form: refused outside formulas; on success the formula's cell as it now reads.
template <class F> int in_formula(SCR_U &s, FN_RET &r, const FN_RANGE &a, int w, int h, F run)
{
    r.x = nullptr;
    if (!fn_in_formula(s)) {
        s.scr_set_FNCERR("%s はセル式以外では無効", s.scr_fn_name);
        return 0;
    }
    if (run(FN_RANGE(a.g, s.ctx.cel_x, s.ctx.cel_y, w, h)) != 0) return 0;   // the block at the cell
    return fn_give_element(s, r, a.g, s.ctx.cel_x, s.ctx.cel_y);
}

} // namespace

int fn_mmult(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    r.L = do_mult(s, FN_RANGE(c, 0), FN_RANGE(c, 5), FN_RANGE(c, 10));
    return 0;
}

int fn_madd(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    r.L = do_add(s, FN_RANGE(c, 0), FN_RANGE(c, 5), FN_RANGE(c, 10), 1);
    return 0;
}

int fn_msub(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    r.L = do_add(s, FN_RANGE(c, 0), FN_RANGE(c, 5), FN_RANGE(c, 10), -1);
    return 0;
}

int fn_minverse(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    r.L = do_inverse(s, FN_RANGE(c, 0), FN_RANGE(c, 5));
    return 0;
}

int fn_mequation(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    r.L = do_equation(s, FN_RANGE(c, 0), FN_RANGE(c, 5), FN_RANGE(c, 10));
    return 0;
}

int fn_MMULT(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE a(c, 0), b(c, 5);
    return in_formula(s, r, a, b.w, a.h, [&](const FN_RANGE &d) { return do_mult(s, d, a, b); });
}

int fn_MADD(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE a(c, 0), b(c, 5);
    return in_formula(s, r, a, a.w, a.h, [&](const FN_RANGE &d) {
        int rc = do_add(s, d, a, b, 1);
        if (rc != 0) s.scr_set_FNCERR("%s 失敗", s.scr_fn_name);
        return rc;
    });
}

int fn_MSUB(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE a(c, 0), b(c, 5);
    return in_formula(s, r, a, a.w, a.h, [&](const FN_RANGE &d) { return do_add(s, d, a, b, -1); });
}

int fn_MINVERSE(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE a(c, 0);
    return in_formula(s, r, a, a.w, a.h, [&](const FN_RANGE &d) { return do_inverse(s, d, a); });
}

int fn_MEQUATION(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE a(c, 0), b(c, 5);
    return in_formula(s, r, a, 1, a.h, [&](const FN_RANGE &d) { return do_equation(s, d, a, b); });
}

int fn_MDETERM(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE a(c, 0);
    r.x = nullptr;
    if (a.w != a.h || !fits(a)) return s.scr_set_FNCERR("正方行列でない"), 0;
    MAT m;
    if (!read_mat(a, m)) return nomem(s), 0;
    return fn_give_num(s, r, get_determ(a.w, m.data()));
}
