// Aggregates over ranges, counting, the two-range functions and the regression routine. An
// aggregate whose condition fails gives the empty value, never an error.
#include "builtins/fnutil.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <unordered_map>

namespace {

// One pass over the numbers: count, sum, product, smallest, largest.
struct MOMENTS {
    long n = 0;
    double sum = 0, prod = 1, min = 0, max = 0;
    explicit MOMENTS(const FN_RANGE &rg)
    {
        rg.each([&](int i, int j) {
            double d;
            if (!rg.at(i, j, d)) return true;
            if (n == 0 || d < min) min = d;
            if (n == 0 || d > max) max = d;
            n++;
            sum += d;
            prod *= d;
            return true;
        });
    }
    double mean() const { return sum / n; }
    // Σ(x − m)^p over the numbers.
    double dev(const FN_RANGE &rg, int p, bool absolute = false) const
    {
        double m = mean(), t = 0;
        rg.each([&](int i, int j) {
            double d;
            if (rg.at(i, j, d)) t += std::pow(absolute ? std::fabs(d - m) : d - m, p);
            return true;
        });
        return t;
    }
};

int give(SCR_U &s, FN_RET &r, bool ok, double d) { return ok ? fn_give_num(s, r, d) : (r.x = nullptr, 0); }

double stdev(const FN_RANGE &rg, const MOMENTS &m) { return std::sqrt(m.dev(rg, 2) / double(m.n - 1)); }

} // namespace

#define FN_AGG(h, body)                                      \
    int h(SCR_U &s, const FN_CALL &c, FN_RET &r)             \
    {                                                        \
        FN_RANGE rg(c, 0);                                   \
        MOMENTS m(rg);                                       \
        body                                                 \
    }

FN_AGG(fn_SUM, return give(s, r, m.n >= 1, m.sum);)
FN_AGG(fn_PRODUCT, return give(s, r, m.n >= 1, m.prod);)
FN_AGG(fn_AVERAGE, return give(s, r, m.n >= 1, m.mean());)
FN_AGG(fn_MAX, return give(s, r, m.n >= 1, m.max);)
FN_AGG(fn_MIN, return give(s, r, m.n >= 1, m.min);)
FN_AGG(fn_VARP, return give(s, r, m.n >= 1, m.n ? m.dev(rg, 2) / double(m.n) : 0);)
FN_AGG(fn_VAR, return give(s, r, m.n >= 2, m.n >= 2 ? m.dev(rg, 2) / double(m.n - 1) : 0);)
FN_AGG(fn_STDEVP, return give(s, r, m.n >= 1, m.n ? std::sqrt(m.dev(rg, 2) / double(m.n)) : 0);)
FN_AGG(fn_STDEV, return give(s, r, m.n >= 2, m.n >= 2 ? stdev(rg, m) : 0);)
FN_AGG(fn_DEVSQ, return give(s, r, m.n >= 1, m.n ? m.dev(rg, 2) : 0);)
FN_AGG(fn_AVEDEV, return give(s, r, m.n >= 1, m.n ? m.dev(rg, 1, true) / double(m.n) : 0);)

int fn_HARMEAN(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    long n = 0;
    double inv = 0;
    bool zero = false;
    rg.each([&](int i, int j) {
        double d;
        if (!rg.at(i, j, d)) return true;
        if (d == 0) return !(zero = true);
        n++;
        inv += 1 / d;
        return true;
    });
    if (zero) return fn_give_num(s, r, 0);
    return give(s, r, n >= 1 && inv != 0, n / inv);
}

int fn_GEOMEAN(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    MOMENTS m(rg);
    return give(s, r, m.n >= 1 && m.min >= 0, std::pow(m.prod, 1.0 / double(m.n)));
}

int fn_SKEW(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    MOMENTS m(rg);
    if (m.n < 3) return r.x = nullptr, 0;
    double sd = stdev(rg, m), n = double(m.n);
    return give(s, r, sd != 0, n * m.dev(rg, 3) / ((n - 1) * (n - 2) * sd * sd * sd));
}

int fn_KURT(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    MOMENTS m(rg);
    if (m.n < 4) return r.x = nullptr, 0;
    double sd = stdev(rg, m), n = double(m.n), s4 = sd * sd * sd * sd;
    double k = n * (n + 1) * m.dev(rg, 4) / ((n - 1) * (n - 2) * (n - 3) * s4) - 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
    return give(s, r, sd != 0, k);
}

// Sorting gives what an exchange sort gives: equal numbers are interchangeable.
int fn_MEDIAN(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    std::vector<double> v;
    try {
        v = rg.numbers();
    } catch (const std::bad_alloc &) {
        s.scr_set_FNCERR("メモリ不足");
        return r.x = nullptr, 0;
    }
    if (v.empty()) return r.x = nullptr, 0;
    size_t h = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + long(h), v.end());
    double mid = v[h];
    if (v.size() % 2) return fn_give_num(s, r, mid);
    double below = *std::max_element(v.begin(), v.begin() + long(h));
    return fn_give_num(s, r, (below + mid) / 2);
}

// The most frequent number (at least twice); among equally frequent ones the first met.
int fn_MODE(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FN_RANGE rg(c, 0);
    std::vector<double> v;
    std::unordered_map<double, long> count;
    try {
        v = rg.numbers();
        for (double d : v) count[d]++;
    } catch (const std::bad_alloc &) {
        s.scr_set_FNCERR("メモリ不足");
        return r.x = nullptr, 0;
    }
    long best = 1;
    double val = 0;
    for (double d : v) {
        long n = count[d];
        if (n > best) best = n, val = d;
    }
    return give(s, r, best >= 2, val);
}

// ---- counting ----

static int count_kind(const FN_CALL &c, FN_RET &r, int want)   // want: 1 number, -1 non-empty, 0 empty
{
    FN_RANGE rg(c, 0);
    long n = 0;
    rg.each([&](int i, int j) {
        int k = rg.kind(i, j);
        n += want < 0 ? k != 0 : k == want;
        return true;
    });
    r.L = n;
    return 0;
}

int fn_COUNT(SCR_U &, const FN_CALL &c, FN_RET &r) { return count_kind(c, r, 1); }
int fn_COUNTA(SCR_U &, const FN_CALL &c, FN_RET &r) { return count_kind(c, r, -1); }
int fn_COUNTBLANK(SCR_U &, const FN_CALL &c, FN_RET &r) { return count_kind(c, r, 0); }

int fn_COUNTIF(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = 0;
    if (c.nvargs != 1 || c.vargs[0]->val_kind == VAL_EMPTY) return 0;
    const VAL_U &want = *c.vargs[0];
    FN_RANGE rg(c, 0);
    long n = 0;
    rg.each([&](int i, int j) {
        if (rg.kind(i, j) != want.val_kind) return true;
        double d;
        if (want.val_kind == VAL_NUM) n += rg.at(i, j, d) && d == want.val_num;
        else n += strcmp(rg.g->gj_gets(rg.x + i, rg.y + j, 4096), want.val_gets()) == 0;
        return true;
    });
    r.L = n;
    return 0;
}

// ---- two ranges ----

namespace {

// f(x, y, nx, ny) for every pair of positions where either range lies on its storage (a pair
// of two positions off the storage holds nothing); nx, ny: whether each is a number. The pairs
// on a's storage come first in scan order, then the rest of b's.
template <class F> bool pairs(const FN_RANGE &a, const FN_RANGE &b, F f)
{
    if (!a.same_shape(b)) return false;
    bool go = true;
    auto visit = [&](int i, int j) {
        double x = 0, y = 0;
        bool nx = a.num(i, j, x), ny = b.num(i, j, y);
        return go = f(x, y, nx, ny);
    };
    FN_RANGE::WIN wa = a.window();
    a.each(visit);
    if (go) b.each([&](int i, int j) { return wa.has(i, j) || visit(i, j); });
    return true;
}

int sum_pairs(SCR_U &s, const FN_CALL &c, FN_RET &r, double (*term)(double, double))
{
    double t = 0;
    bool ok = pairs(FN_RANGE(c, 0), FN_RANGE(c, 5), [&](double x, double y, bool nx, bool ny) {
        if (nx && ny) t += term(x, y);
        return true;
    });
    return give(s, r, ok, t);
}

// Covariance over the pairs of numbers; false when the ranges do not qualify.
bool covar(const FN_CALL &c, double &cv)
{
    FN_RANGE a(c, 0), b(c, 5);
    MOMENTS ma(a), mb(b);
    if (ma.n < 1 || mb.n < 1) return false;
    double m1 = ma.mean(), m2 = mb.mean(), t = 0;
    long k = 0;
    bool mixed = false;
    bool ok = pairs(a, b, [&](double x, double y, bool nx, bool ny) {
        if (nx != ny) return !(mixed = true);
        if (nx) t += (x - m1) * (y - m2), k++;
        return true;
    });
    if (!ok || mixed || k < 1) return false;
    cv = t / double(k);
    return true;
}

double popsd(const FN_RANGE &rg)
{
    MOMENTS m(rg);
    return m.n ? std::sqrt(m.dev(rg, 2) / double(m.n)) : NAN;
}

// The least-squares line of y (first range) over x (second range).
struct FIT {
    bool ok = false, r2ok = false;
    double slope = 0, intercept = 0, steyx = 0, r2 = 0;
    explicit FIT(const FN_CALL &c)
    {
        FN_RANGE ys(c, 0), xs(c, 5);
        double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
        long k = 0;
        bool mixed = false;
        if (!pairs(ys, xs, [&](double y, double x, bool ny, bool nx) {
                if (nx != ny) return !(mixed = true);
                if (nx) sx += x, sy += y, sxx += x * x, syy += y * y, sxy += x * y, k++;
                return true;
            }) || mixed || k < 2)
            return;
        double n = double(k);
        double Sxx = sxx - sx * sx / n, Syy = syy - sy * sy / n, Sxy = sxy - sx * sy / n;
        if (Sxx == 0) return;
        slope = Sxy / Sxx;
        intercept = sy / n - slope * sx / n;
        double sse = 0;
        pairs(ys, xs, [&](double y, double x, bool ny, bool nx) {
            if (nx && ny) sse += (y - (slope * x + intercept)) * (y - (slope * x + intercept));
            return true;
        });
        steyx = sse >= 0 ? std::sqrt(sse / (n - 2)) : 0;
        if (Syy != 0) r2 = 1 - sse / Syy, r2ok = true;
        ok = true;
    }
};

} // namespace

int fn_SUMPRODUCT(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    return sum_pairs(s, c, r, [](double x, double y) { return x * y; });
}
int fn_SUMX2MY2(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    return sum_pairs(s, c, r, [](double x, double y) { return x * x - y * y; });
}
int fn_SUMX2PY2(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    return sum_pairs(s, c, r, [](double x, double y) { return x * x + y * y; });
}
int fn_SUMXMY2(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    return sum_pairs(s, c, r, [](double x, double y) { return (x - y) * (x - y); });
}

int fn_COVAR(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    double cv = 0;
    bool ok = covar(c, cv);
    return give(s, r, ok, cv);
}

int fn_CORREL(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    double cv = 0;
    if (!covar(c, cv)) return r.x = nullptr, 0;
    double d = popsd(FN_RANGE(c, 0)) * popsd(FN_RANGE(c, 5));
    return give(s, r, d != 0 && !std::isnan(d), cv / d);
}

int fn_SLOPE(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FIT f(c);
    return give(s, r, f.ok, f.slope);
}
int fn_INTERCEPT(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FIT f(c);
    return give(s, r, f.ok, f.intercept);
}
int fn_RSQ(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FIT f(c);
    return give(s, r, f.ok && f.r2ok, f.r2);
}
int fn_STEYX(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    FIT f(c);
    return give(s, r, f.ok, f.steyx);
}
