// Spline knots (truncated power functions and B-splines) and the basis values.
#include "proc/effects/splines.h"

#include <algorithm>
#include <cmath>
#include <vector>
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msgeffects.h"
#include "proc/framework/memnum.h"
#include "proc/numeric/bspline.h"

namespace {

constexpr double EPS53 = 1.1102230246251565e-16;   // 2^-53

// The sorted values (and frequencies) of a percentile file.
struct sortedvals {
    std::vector<double> v, f;
};

bool readsorted(const pctblock* pb, int place, sortedvals& out) {
    xchandle h = pb->sorted[place];
    if (!h || xcpoint(h, 0) != 0) return false;
    double rec[2];
    for (;;) {
        const int rc = xcread(h, rec, pb->reclen);
        if (rc == XC_EOF || (rc & 0x803fffff) == XC_EOF) break;
        if (rc != 0) return false;
        out.v.push_back(rec[0]);
        out.f.push_back(pb->reclen == 16 ? rec[1] : 1.0);
    }
    return true;
}

// Interior knots of variable k (range lo..hi) by methods 1, 3, 4, 5; -1 after 174/63.
int interior(efrec* r, levstate* ls, const pctblock* pb, int k, double lo, double hi, std::vector<double>& knots) {
    const splinedesc* s = r->spline;
    const int n = s->nknots;
    switch (s->knotmethod) {
        case 1:
        case 2: {
            const double h = (hi - lo) / (n + 1);
            double t = lo;
            for (int j = 0; j < n; ++j) knots.push_back(t += h);
            return 0;
        }
        case 3: {
            if (s->nlisted > 0 && (s->listed[0] < lo || s->listed[s->nlisted - 1] > hi)) {
                const levclass* c = &ls->contv[r->contix[k]];
                xpmlog(174, E174_KNOT_OUTSIDE_RANGE, txtarg(levvarname(c), levvarnamelen(c)));
                ls->lsrc = std::max(ls->lsrc, 112);
                return -1;
            }
            knots.assign(s->listed, s->listed + s->nlisted);
            return 0;
        }
        case 4:
            for (int j = 0; j < s->nlisted; ++j) knots.push_back(s->listed[j] * (hi - lo) + lo);
            return 0;
        case 5: {
            sortedvals sv;
            const int place = pb && pb->pos ? pb->pos[r->contix[k]] : -1;
            if (place < 0 || !readsorted(pb, place, sv) || sv.v.empty()) return 0;
            const double N = pb->freqsum != 0.0 ? pb->freqsum : pb->nobs;
            const bool freq = pb->reclen == 16;
            const int last = static_cast<int>(sv.v.size()) - 1;
            for (int j = 1; j <= n; ++j) {
                const double p = static_cast<double>(j) / (n + 1);
                const double np = N * p;
                const double kk = std::floor(np + 1000 * EPS53);
                const bool whole = std::fabs(np - kk) <= 1000 * EPS53;
                double a, b;
                if (!freq) {
                    const int pos = static_cast<int>(kk) - 1;
                    if (pos < 0) {
                        knots.push_back(sv.v[0]);
                        continue;
                    }
                    if (pos > last) {
                        knots.push_back(sv.v[static_cast<size_t>(last)]);
                        continue;
                    }
                    a = sv.v[static_cast<size_t>(pos)];
                    b = sv.v[static_cast<size_t>(std::min(pos + 1, last))];
                } else {
                    double sum = 0.0;
                    int at = -1;
                    while (at < last && (at < 0 || sum < kk)) sum += sv.f[static_cast<size_t>(++at)];
                    b = sv.v[static_cast<size_t>(at)];
                    a = at > 0 && sv.f[static_cast<size_t>(at)] <= 1.0 ? sv.v[static_cast<size_t>(at - 1)] : b;
                }
                knots.push_back(whole ? (a + b) * 0.5 : b);
            }
            return 0;
        }
        default:
            return 0;
    }
}

void range(const levstate* ls, const efrec* r, int k, double& lo, double& hi) {
    const levclass* c = &ls->contv[r->contix[k]];
    lo = c->cloc - c->cscale;
    hi = c->cloc + c->cscale;
}

int store(efrec* r, poolobj* pool, std::vector<std::vector<double>>& all, int cols, int bufn) {
    splinedesc* s = r->spline;
    const int nv = r->ncont;
    s->knots = poolget<double*>(pool, std::max(nv, 1), poolflag::zeroed_marked);
    s->knotcounts = poolget<int32_t>(pool, std::max(nv, 1), poolflag::zeroed_marked);
    if (!s->knots || !s->knotcounts) return RC_NOMEM;
    s->totknots = 0;
    for (int k = 0; k < nv; ++k) {
        const auto& kv = all[static_cast<size_t>(k)];
        s->knotcounts[k] = static_cast<int32_t>(kv.size());
        s->totknots += s->knotcounts[k];
        s->knots[k] = poolget<double>(pool, std::max<int64_t>(1, static_cast<int64_t>(kv.size())), poolflag::zeroed_marked);
        if (!s->knots[k]) return RC_NOMEM;
        std::copy(kv.begin(), kv.end(), s->knots[k]);
    }
    s->colspervar = cols;
    s->basisbuf = poolget<double>(pool, std::max(bufn, 1), poolflag::zeroed_marked);
    if (!s->basisbuf) return RC_NOMEM;
    r->ncols = cols * nv;
    return 0;
}

}  // namespace

int zlevTPFSplineKnots(efrec* r, levstate* ls, poolobj* pool, const pctblock* pb) {
    splinedesc* s = r->spline;
    std::vector<std::vector<double>> all(static_cast<size_t>(r->ncont));
    for (int k = 0; k < r->ncont; ++k) {
        double lo, hi;
        range(ls, r, k, lo, hi);
        if (interior(r, ls, pb, k, lo, hi, all[static_cast<size_t>(k)]) < 0) return 1;
    }
    const int nk = r->ncont > 0 ? static_cast<int>(all[0].size()) : 0;
    const int cols = nk + (s->powerterms ? s->degree : 0) + (s->powerterms >= 2 ? 1 : 0);
    return store(r, pool, all, cols, cols);
}

int zlevBSplineKnots(efrec* r, levstate* ls, poolobj* pool, const pctblock* pb) {
    splinedesc* s = r->spline;
    const int d = s->degree, m = std::max(d, 1);
    std::vector<std::vector<double>> all(static_cast<size_t>(r->ncont));
    for (int k = 0; k < r->ncont; ++k) {
        std::vector<double>& t = all[static_cast<size_t>(k)];
        if (s->knotmethod == 6) {
            t.assign(s->listed, s->listed + s->nlisted);
            continue;
        }
        double lo, hi;
        range(ls, r, k, lo, hi);
        // boundaries just outside the data
        double e = 100 * EPS53, lop = lo - e;
        while (!(lop < lo)) lop = lo - (e *= 10);
        e = 100 * EPS53;
        double hip = hi + e;
        while (!(hip > hi)) hip = hi + (e *= 10);
        int n = s->nknots;
        if (s->pow2) n = 1 << std::max(0, s->pow2[0]);
        std::vector<double> inner;
        const bool even = s->knotmethod == 1 || s->knotmethod == 2;
        double h = 0.0;
        if (even) {
            h = (hi - lo) / (n + 1);
            double v = lo;
            for (int j = 0; j < n; ++j) inner.push_back(v += h);
        } else if (interior(r, ls, pb, k, lo, hi, inner) < 0) {
            return 1;
        }
        const bool lowerb = !ismissing(s->lower) && s->lower < lop;
        const bool upperb = !ismissing(s->upper) && s->upper > hip;
        // lower knots
        if (d > 0) {
            if (lowerb) {
                t.push_back(s->lower);
                for (int i = 1; i <= d - 1; ++i) t.push_back(s->lower + i * (lop - s->lower) / (d - 1));
            } else if (even && !s->repbound) {
                for (int i = d - 1; i >= 1; --i) t.push_back(lo - i * h);
                t.push_back(lop);
            } else {
                for (int i = 0; i < d; ++i) t.push_back(lop);
            }
        }
        t.insert(t.end(), inner.begin(), inner.end());
        // upper knots
        if (upperb) {
            if (d < 2) t.push_back(s->upper);
            else
                for (int i = 0; i < m; ++i) t.push_back(hip + i * (s->upper - hip) / (d - 1));
        } else if (even && !s->repbound) {
            t.push_back(hip);
            for (int i = 1; i < m; ++i) t.push_back(hi + i * h);
        } else {
            for (int i = 0; i < m; ++i) t.push_back(hip);
        }
    }
    const int nk = r->ncont > 0 ? static_cast<int>(all[0].size()) : 0;
    const int cols = d == 0 ? nk : nk - d + 1;
    if (int rc = store(r, pool, all, cols, d + 1)) return rc;
    s->work = poolget<double>(pool, std::max(2 * d, 1), poolflag::zeroed_marked);
    return s->work ? 0 : RC_NOMEM;
}

void GetTPFSplineVals(splinedesc* s, int k, double* out, double x) {
    int c = 0;
    const int d = s->degree;
    if (s->powerterms >= 2) out[c++] = 1.0;
    if (s->powerterms && d > 0) {
        double p = 1.0;
        for (int j = 1; j <= d; ++j) out[c++] = p *= x;
    }
    const double* t = s->knots[k];
    double prevknot = 1.7976931348623157e308;
    int prevpow = d;
    for (int j = 0; j < s->knotcounts[k]; ++j) {
        int pw = d;
        if (t[j] == prevknot) pw = std::max(prevpow - 1, 0);
        prevknot = t[j];
        prevpow = pw;
        const double u = x - t[j];
        int rc = 0;
        out[c++] = u > 0.0 ? vx::zpower(u, pw, &rc) : 0.0;
    }
}

void GetBSplineVals(splinedesc* s, int k, double* out, double x) {
    const int d = s->degree;
    int interval = d;
    zmaopb(x, d, s->knotcounts[k], &interval, s->knots[k], s->basisbuf, s->work, s->work + d);
    for (int r = 0; r <= d; ++r) {
        const int col = interval - d + r;
        if (col >= 0 && col < s->colspervar) out[col] = s->basisbuf[r];
    }
}
