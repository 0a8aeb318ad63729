// Profile-likelihood limit search.
//
// Algorithm: the limit search of D. J. Venzon and S. H. Moolgavkar (1988), A method for
// computing profile-likelihood-based confidence intervals, Applied Statistics 37, 87-94,
// for a linear combination of the parameters.
#include <cfloat>
#include <cmath>
#include <initializer_list>
#include "proc/framework/anchor.h"
#include "proc/framework/pools.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/prci.h"
#include "proc/numeric/quantiles.h"
#include "proc/numeric/vecops.h"

namespace {

constexpr double kTinyQuad = 1.491668147e-154;  // c'H^-1 c at or below this vanishes
// The criterion of a limit is CONVERGE while that is at most this fraction of the drop in the
// log-likelihood sought (q/2), else this fraction of the drop: at a small confidence (q/2 of
// 0.0003 at 2%) a CONVERGE of 0.001 would accept the estimates themselves as a limit. At the
// usual levels (80% and above with the default 0.001) CONVERGE is kept.
constexpr double kDropFraction = 1.0 / 500.0;
// The criterion must exceed this many roundings of the log-likelihood (2^-53 of its size):
// the log-likelihood is a sum of many terms, each rounded, and the search compares values
// near the maximum, where the differences it follows are smallest.
constexpr double kRoundings = 1000.0;
constexpr double kEps53 = 1.1102230246251565e-16;

struct search {
    void* context;
    ciblk* blk;
    cilikfn lik;
    cigradfn gradhess;
    ciiterfn print;
    ciextrafn extra;
    int32_t* pivots;
    double* tmp;    // solves of g and c
    double* step;   // the last Newton step, H^-1 r
    double* start;  // the estimates
    double half;    // q / 2
    double target;  // minus the log-likelihood on the boundary
    double crit;    // the convergence criterion used: CONVERGE, or a fraction of q / 2
};

// theta = base - f * step.
void halve(search& s, double& f) {
    f = f / 2.0;
    zvz111(s.blk->theta, s.blk->base, s.step, s.blk->npar, -f);
}

// One limit: sign +1 the lower, -1 the upper. Writes 1 + p values to res; true if found.
bool onelimit(search& s, double sign, double* res, double missing) {
    ciblk* blk = s.blk;
    const int p = blk->npar;
    double* theta = blk->theta;
    double* g = blk->cgrad;
    double* c = blk->cvec;
    // Each limit starts from the estimates with no step behind it: halving before the
    // first Newton step then stays at the start instead of following an undefined or
    // foreign (the other limit's) step.
    for (int i = 0; i < p; ++i) {
        theta[i] = s.start[i];
        blk->base[i] = s.start[i];
        s.step[i] = 0.0;
    }
    double f = 1.0;
    double dprev = s.half;
    int32_t count = 0;
    bool found = false;
    if (blk->evalcnt) *blk->evalcnt = 0;
    while (count < blk->maxeval) {
        if (s.extra) s.extra(s.context);
        // Cleared for every evaluation: one flagged failure must not mark all later ones.
        int32_t flag = 0;
        const double v = s.lik(s.context, &flag);
        if (blk->prtflag && s.print) s.print(s.context);
        ++count;
        if (blk->evalcnt) *blk->evalcnt = count;
        // A value that is not a finite number (or the largest double) is a failed evaluation
        // like the flagged ones.
        if (!(v < DBL_MAX) || flag > 0) { halve(s, f); continue; }
        const double d = s.target - v;
        const double m = std::fmin(std::fabs(dprev), s.half);
        dprev = d;
        if (std::fabs(d) > 1.5 * m) { halve(s, f); continue; }  // moved away from the boundary
        if (s.gradhess(s.context) != 0) { halve(s, f); continue; }
        if (zududec(p, blk->singtol, nullptr, blk->chess, s.pivots) != 0) { halve(s, f); continue; }
        for (int i = 0; i < p; ++i) s.tmp[i] = g[i];
        zudusol(p, 1, 1, blk->chess, s.tmp, s.pivots);
        const double a = zinner(g, s.tmp, p);
        for (int i = 0; i < p; ++i) s.tmp[i] = c[i];
        zudusol(p, 1, 1, blk->chess, s.tmp, s.pivots);
        const double b = zinner(c, s.tmp, p);
        if (std::fabs(b) <= kTinyQuad) { halve(s, f); continue; }
        const double lambda2 = (a + 2.0 * d) / b;
        // Negative, infinite or not a number: no usable multiplier.
        if (!(lambda2 >= 0.0 && lambda2 < INFINITY)) { halve(s, f); continue; }
        const double lambda = std::sqrt(lambda2);
        // The new step goes to tmp first: one that is not finite must not replace the
        // step that halving falls back on.
        for (int i = 0; i < p; ++i) s.tmp[i] = g[i] + sign * lambda * c[i];
        zudusol(p, 1, 1, blk->chess, s.tmp, s.pivots);
        double e = 0.0;
        for (int i = 0; i < p; ++i) e += (g[i] + sign * lambda * c[i]) * s.tmp[i];
        if (!std::isfinite(e)) { halve(s, f); continue; }
        for (int i = 0; i < p; ++i) s.step[i] = s.tmp[i];
        if (std::fabs(d) <= s.crit && std::fabs(e) <= s.crit) {
            found = true;
            break;
        }
        for (int i = 0; i < p; ++i) {
            blk->base[i] = theta[i];
            theta[i] -= s.step[i];
        }
        f = 1.0;
    }
    // A limit is reported only when it was reached before the evaluation limit.
    const bool ok = found && count < blk->maxeval;
    res[0] = ok ? zinner(c, theta, p) : missing;
    for (int i = 0; i < p; ++i) res[1 + i] = theta[i];
    return ok;
}

}  // namespace

double zprcidrop(double alpha) {
    double q = 0.0;
    if (zqc(1.0 - alpha, 1.0, &q) != 0) {
        // Beyond the chi-square quantile's range (a confidence of 1 - 1e-13 and above): with
        // one degree of freedom it is the square of the normal quantile at 1 - alpha / 2.
        const double z = zprobitq(alpha / 2);
        q = alpha > 0.0 && alpha < 1.0 && std::isfinite(z) ? z * z : 0.0;
    }
    return q > 0.0 && std::isfinite(q) ? q / 2.0 : 0.0;
}

bool zprciresolves(double alpha, double loglik) {
    const double half = zprcidrop(alpha);
    return kDropFraction * half > kRoundings * kEps53 * std::fabs(loglik);
}

int32_t zprci(void* context, ciblk* blk, cilikfn lik, cigradfn gradhess, ciiterfn print,
              ciextrafn extra) {
    hostinst* inst = v_global_gcb_anchor;
    if (!inst || !inst->pool) return 1;
    poolobj* pool = inst->pool;
    const int p = blk->npar;
    const int64_t cells = p > 0 ? p : 1;
    auto* pivots = poolget<int32_t>(pool, cells, poolflag::zeroed);
    auto* work = pivots ? poolget<double>(pool, 3 * cells, poolflag::zeroed) : nullptr;
    if (!work) {
        if (pivots) poolput(pool, pivots);
        return 1;
    }
    search s{context, blk, lik, gradhess, print, extra, pivots, work, work + cells, work + 2 * cells, 0.0, 0.0, 0.0};
    for (int i = 0; i < p; ++i) s.start[i] = blk->theta[i];

    int32_t rc = 0;
    const double q = 2.0 * zprcidrop(blk->alpha);
    if (!(q > 0.0 && std::isfinite(q))) {
        // No chi-square quantile for this alpha: no boundary to search for.
        for (double* res : {blk->lowres, blk->uppres}) {
            res[0] = inst->missing;
            for (int i = 0; i < p; ++i) res[1 + i] = s.start[i];
        }
        rc = 2;
    } else {
        s.half = q / 2.0;
        s.target = blk->negllmax + s.half;
        s.crit = std::fmin(blk->convcrit, kDropFraction * s.half);
        if (!onelimit(s, 1.0, blk->lowres, inst->missing)) rc = 2;
        if (!onelimit(s, -1.0, blk->uppres, inst->missing)) rc = 2;
    }
    poolput(pool, work);
    poolput(pool, pivots);
    return rc;
}
