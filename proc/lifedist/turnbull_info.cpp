// Standard errors of the Turnbull cumulative probabilities from the information matrix of
// the first m-1 probabilities, their pointwise and simultaneous limits, and the plot ranges.
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/bands.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/tables.h"
#include "proc/numeric/linalg.h"

namespace {

constexpr double E = 1000 * 1.110223024625157e-16;
constexpr double TINY = 1.110223024625157e-16;

// The information matrix of q_0..q_{m-2} (q_{m-1} = 1 minus their sum), packed. An
// observation with mass D over its run adds w/D^2 at (k, j) when both a_j - e and a_k - e
// are 1, or both -1, where a is its row of the incidence and e = a_{m-1}: that is on the
// square block of its run (run before the last interval) or of the intervals before its
// run (run through the last interval). The block sums A(s, t) are gathered first; then
// H(k, j) = sum over s <= j, t >= k of A(s, t), formed from the bottom row up by sums of
// non-negative terms only.
void information(const grpnode* g, const emruns* runs, double* H) {
    const int32_t m = g->nturn;
    const int32_t n = m - 1;
    const double* q = g->emtab + EMT_CUM * m;
    for (int64_t i = 0; i < int64_t(n) * (n + 1) / 2; ++i) H[i] = 0;
    for (int32_t r = 0; r < runs->ngroups; ++r) {
        const int32_t lo = runs->lo[r], hi = runs->hi[r];
        if (lo > hi) continue;
        long double D = 0;
        for (int32_t k = lo; k <= hi; ++k) D += q[k];
        const double d = static_cast<double>(D);
        if (!(d >= TINY)) continue;   // no mass on its intervals, or not a number
        const double h = runs->w[r] / (d * d);
        if (hi < m - 1)
            H[zisub(hi, lo)] += h;
        else if (lo >= 1)
            H[zisub(lo - 1, 0)] += h;
    }
    for (int32_t k = n - 1; k >= 0; --k) {
        double* row = H + int64_t(k) * (k + 1) / 2;
        for (int32_t j = 1; j <= k; ++j) row[j] += row[j - 1];
        if (k + 1 < n) {
            const double* below = H + int64_t(k + 1) * (k + 2) / 2;
            for (int32_t j = 0; j <= k; ++j) row[j] += below[j];
        }
    }
}

}  // namespace

void emstderr(vyxstate* s, grpnode* g, const emruns* runs) {
    const int32_t m = g->nturn;
    const int32_t n = m - 1;
    double* se = g->emtab + EMT_SE * m;
    for (int32_t k = 0; k < m; ++k) se[k] = 0;
    if (n < 1) return;
    const int64_t bytes = (int64_t(m) * (m + 1) / 2 + 2 * int64_t(m)) * 8;
    double* H = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::raw));
    s->life.fit.fitarr.hess = H;
    if (!H) {
        xmemmsg(bytes);
        xpmlog(510, W510_EM_NO_INFO_MEMORY);
        wobitem it[] = {obtext(OBK_TEXT, rdxmsg(510, W510_EM_NO_INFO_MEMORY)), obchar(OBK_NOTEJUST, 'l')};
        obcheck(wobmth(s->out.outmgr, nullptr, OB_NOTE, 2, it));
        return;
    }
    information(g, runs, H);

    double* work = H + int64_t(n) * (n + 1) / 2;
    char* status = reinterpret_cast<char*>(poolbytes(s->pools.workpool, m, poolflag::raw));
    if (!status) {
        xmemmsg(m);
        xexit(RC_NOMEM, 0);
        return;
    }
    double* tol = work + n;
    for (int32_t k = 0; k < m; ++k) status[k] = '0';
    for (int32_t k = 0; k < n; ++k) {
        const double d = H[zisub(k, k)];
        tol[k] = d > 0 ? d * s->life.fit.fitcrit.singular : 1.0;
    }
    for (int32_t k = 0; k < n; ++k) {
        zsweep(H, k, n, status, work, tol[k]);
        if (status[k] == '0') H[zisub(k, k)] = 0;
    }
    // Variance of F_j = q_0 + ... + q_j: the sum of the inverse's leading (j+1) x (j+1)
    // block, grown by one row and column at a time.
    double var = 0;
    for (int32_t j = 0; j < n; ++j) {
        const double* row = H + int64_t(j) * (j + 1) / 2;
        double add = row[j];
        for (int32_t a = 0; a < j; ++a) add += 2 * row[a];
        var += add;
        // A variance that is not positive (a singular pivot) gives no standard error.
        se[j] = var > 0 ? std::sqrt(var) : 0.0;
    }
    se[m - 1] = 0;
    poolput(s->pools.stmtpool, H);
    s->life.fit.fitarr.hess = nullptr;
}

void emlimits(vyxstate* s, grpnode* g, double z) {
    const int32_t m = g->nturn;
    const double W = g->totw;
    double* tab = g->emtab;
    const double* left = tab + EMT_LEFT * m;
    const double* right = tab + EMT_RIGHT * m;
    double* F = tab + EMT_CUM * m;
    const double* se = tab + EMT_SE * m;
    double* lo = tab + EMT_LOWER * m;
    double* up = tab + EMT_UPPER * m;
    double* slo = tab + EMT_SIMLOWER * m;
    double* sup = tab + EMT_SIMUPPER * m;
    const double miss = hostmissing();

    // A cumulative sum that rounds past 1 is 1: no probability above 1 in a table, data set
    // or plot.
    double run = 0;
    for (int32_t k = 0; k < m; ++k) {
        run += F[k];
        F[k] = run > 1 ? 1.0 : run;
    }
    auto inside = [&](int32_t k) { return se[k] > E && F[k] > E && F[k] < 1 - E; };
    for (int32_t k = 0; k < m; ++k) {
        if (inside(k))
            logitlimits(F[k], se[k], z, &lo[k], &up[k]);
        else
            lo[k] = up[k] = F[k];
        slo[k] = sup[k] = miss;
    }

    const int band = s->popt.plotcodes[PC_NPINTERVALS];
    if (band == 1) {
        double aL = s->life.npbounds[RG_LO], aU = s->life.npbounds[RG_HI];
        if (std::isnan(aL)) {
            aL = aU = miss;
            if (m >= 2) {
                auto scale = [&](int32_t k) {
                    const double v = W * se[k] * se[k] / ((1 - F[k]) * (1 - F[k]));
                    return v / (1 + v);
                };
                aL = scale(0);
                aU = scale(m - 2);
            }
        }
        double c = simconfact(aL, aU, s->opts.alpha);
        if (std::isnan(c)) c = 1.0;
        s->life.simfactor = c;
        for (int32_t k = 0; k < m; ++k)
            if (inside(k)) logitlimits(F[k], se[k], c, &slo[k], &sup[k]);
        for (int32_t j = 1; j <= m - 2; ++j)
            if (!std::isnan(slo[j]) && !std::isnan(slo[j - 1]) && slo[j] < slo[j - 1]) slo[j] = slo[j - 1];
        for (int32_t j = m - 3; j >= 0; --j)
            if (!std::isnan(sup[j]) && !std::isnan(sup[j + 1]) && sup[j] > sup[j + 1]) sup[j] = sup[j + 1];
    }

    // Plot ranges (the plots' xlo, xhi = ptmin, ptmax; xlo2, xhi2 = tmin, tmax).
    g->tmin = DBL_MAX;
    g->tmax = -DBL_MAX;
    if (m >= 3) {
        g->pmin = F[0];
        g->pmax = F[m - 2];
        g->ptmin = g->tmin = right[0];
        g->ptmax = g->tmax = right[m - 2];
    } else if (m == 2) {
        g->pmin = F[0];
        g->pmax = 1.0;
        g->ptmin = g->tmin = right[0];
        double hi = right[1];
        if (right[1] == DBL_MAX) {
            hi = left[1];
            if (left[1] <= right[0]) hi = right[0] + 0.5 * std::fabs(right[0]);
        }
        g->ptmax = g->tmax = hi;
    } else if (m == 1) {
        g->pmin = 0.0;
        g->pmax = 1.0;
        const double x = right[0] == DBL_MAX ? left[0] : right[0];
        g->ptmin = x - 0.5 * std::fabs(x);
        g->ptmax = x + 0.5 * std::fabs(x);
    }

    // Means of the plotted points, and the limits drawn widen the probability range.
    double sq = 0, sx = 0;
    for (int32_t k = 0; k + 1 < m; ++k) {
        sq += F[k] > 0 ? s->opts.quant_fn(F[k]) : 0.0;
        sx += right[k];
        const double* l = band == 2 ? lo : band == 1 ? slo : nullptr;
        const double* u = band == 2 ? up : band == 1 ? sup : nullptr;
        if (l && !std::isnan(l[k]) && l[k] < g->pmin) g->pmin = l[k];
        if (u && !std::isnan(u[k]) && u[k] > g->pmax) g->pmax = u[k];
    }
    g->qmean = m > 1 ? sq / (m - 1) : sq;
    g->xmean = m > 1 ? sx / (m - 1) : sx;
}
