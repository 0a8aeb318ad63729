// Turnbull intervals of a group and the runs of intervals its observations cover.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/bands.h"
#include "proc/lifedist/lifedist_internal.h"

using namespace np;

namespace {

constexpr double E = 1000 * 1.110223024625157e-16;

// Allocation that ends the step when it fails.
void* need(poolobj* pool, int64_t bytes, poolflag flags) {
    void* p = poolbytes(pool, bytes, flags);
    if (!p) {
        xmemmsg(bytes);
        xexit(RC_NOMEM, 0);
    }
    return p;
}

// The ends of one observation moved inwards by k x E on the number line (by at least
// k x E, relative to the end's size beyond 1), the open ends at -DBL_MAX and +DBL_MAX.
// Ends closer than 4E (relative beyond 1) count as one exact value at the upper end.
struct ends {
    double a, b, mid;
};
ends inward(double a, double b, double k) {
    ends e;
    if (std::isnan(a)) {
        e.mid = b;
        e.a = -DBL_MAX;
        e.b = b - k * E * std::max(std::fabs(b), 1.0);
        return e;
    }
    if (std::isnan(b)) {
        e.mid = a;
        e.b = DBL_MAX;
        e.a = a + k * E * std::max(std::fabs(a), 1.0);
        return e;
    }
    e.mid = (a + b) / 2;
    e.a = a;
    e.b = b;
    if (a != b) {
        const double scale = std::max({std::fabs(a), std::fabs(b), 1.0});
        if (std::fabs(a - b) >= 4 * E * scale) {
            e.a = a + k * E * std::max(std::fabs(a), 1.0);
            e.b = b - k * E * std::max(std::fabs(b), 1.0);
            if (e.a > e.b) e.a = e.b;
        } else {
            e.a = e.b = b;
        }
    }
    return e;
}

// Sorts v[0..n-1] and keeps a value when it lies at least E above the last one kept.
int32_t sortunique(double* v, int32_t n) {
    std::sort(v, v + n);
    int32_t kept = 0;
    for (int32_t i = 0; i < n; ++i)
        if (kept == 0 || v[i] - v[kept - 1] >= E) v[kept++] = v[i];
    return kept;
}

}  // namespace

int vyxem0(vyxstate* s, grpnode* g, emruns* runs) {
    const int32_t n = g->nobs;
    const int64_t bytes = 4 * static_cast<int64_t>(n) * 8;
    g->emwts = static_cast<double*>(need(s->pools.stmtpool, bytes, poolflag::zeroed));
    s->life.emgrad = static_cast<double*>(need(s->pools.stmtpool, 80, poolflag::zeroed));
    if (!g->emwts || !s->life.emgrad) return RC_NOMEM;
    double* LE = g->emwts;
    double* RE = LE + n;
    double* CL = RE + n;
    double* CR = CL + n;
    const bool freq = s->input.nfreq != 0;

    // First pass: moved ends and the weighted mean and spread of the midpoints.
    int32_t i = 0;
    double K = 0, S1 = 0, S2 = 0;
    int rc = eachrow(s, g, [&](const double* r) {
        const ends e = inward(r[0], r[1], 2);
        const double w = freq ? r[2] : 1.0;
        if (i == 0) K = e.mid;
        S1 += w * (e.mid - K);
        S2 += w * (e.mid - K) * (e.mid - K);
        LE[i] = e.a;
        RE[i] = e.b;
        ++i;
        return 0;
    });
    if (rc) return rc;
    const double W = g->totw;
    if (W > 0) S1 /= W;
    const double mean = K + S1;
    S2 -= W * (K - mean) * (K - mean);
    g->wsd = (S2 < EPS53 || W <= 1) ? 1.0 : std::sqrt(S2 / (W - 1));
    g->wmean = mean;

    // Turnbull intervals: for each right end the largest left end below it; those left
    // ends, each with the smallest right end above it.
    const int32_t nL = sortunique(LE, n);
    const int32_t nR = sortunique(RE, n);
    for (int32_t j = 0, l = 0; j < nR; ++j) {
        while (l + 1 < nL && LE[l + 1] <= RE[j]) ++l;
        CL[j] = LE[l];
    }
    const int32_t m = sortunique(CL, nR);
    for (int32_t k = m - 1, j = nR; k >= 0; --k) {
        while (j > 0 && RE[j - 1] >= CL[k]) --j;
        CR[k] = RE[j < nR ? j : nR - 1];
    }
    g->nturn = m;
    g->emtab = static_cast<double*>(need(s->pools.stmtpool, int64_t(EMT_ARRAYS) * m * 8, poolflag::zeroed));
    if (!g->emtab) return RC_NOMEM;
    std::copy(CL, CL + m, g->emtab + EMT_LEFT * m);
    std::copy(CR, CR + m, g->emtab + EMT_RIGHT * m);
    const double* cl = g->emtab + EMT_LEFT * m;
    const double* cr = g->emtab + EMT_RIGHT * m;

    // Second pass: each observation's run of intervals inside its range (ends moved by E),
    // as one sort key; the weights in row order into the first array.
    struct keyed {
        int64_t key;
        double w;
    };
    keyed* keys = static_cast<keyed*>(need(s->pools.workpool, int64_t(n) * int64_t(sizeof(keyed)), poolflag::raw));
    if (!keys) return RC_NOMEM;
    i = 0;
    rc = eachrow(s, g, [&](const double* r) {
        const ends e = inward(r[0], r[1], 1);
        const double w = freq ? r[2] : 1.0;
        const int64_t lo = std::lower_bound(cl, cl + m, e.a) - cl;
        const int64_t hi = (std::upper_bound(cr, cr + m, e.b) - cr) - 1;
        LE[i] = w;
        keys[i] = {lo * (int64_t(m) + 2) + (hi + 1), w};
        ++i;
        return 0;
    });
    if (rc) return rc;
    std::sort(keys, keys + n, [](const keyed& x, const keyed& y) { return x.key < y.key; });
    int32_t G = 0;
    for (int32_t k = 0; k < n; ++k)
        if (k == 0 || keys[k].key != keys[k - 1].key) ++G;
    runs->ngroups = G;
    runs->lo = static_cast<int32_t*>(need(s->pools.stmtpool, int64_t(G) * 4, poolflag::raw));
    runs->hi = static_cast<int32_t*>(need(s->pools.stmtpool, int64_t(G) * 4, poolflag::raw));
    runs->w = static_cast<double*>(need(s->pools.stmtpool, int64_t(G) * 8, poolflag::raw));
    if (!runs->lo || !runs->hi || !runs->w) return RC_NOMEM;
    for (int32_t k = 0, at = -1; k < n; ++k) {
        if (k == 0 || keys[k].key != keys[k - 1].key) {
            ++at;
            runs->lo[at] = static_cast<int32_t>(keys[k].key / (int64_t(m) + 2));
            runs->hi[at] = static_cast<int32_t>(keys[k].key % (int64_t(m) + 2)) - 1;
            runs->w[at] = 0;
        }
        runs->w[at] += keys[k].w;
    }
    return 0;
}
