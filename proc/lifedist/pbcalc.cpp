// Estimates, exact limits, predictions, chi-square contributions and tolerance sample
// sizes of the binomial and Poisson analysis.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/framework/vyxstate.h"
#include "proc/lifedist/pbrec.h"
#include "proc/numeric/fdist.h"
#include "proc/numeric/kernconst.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/quantiles.h"

double pbaprime(const vyxstate* s) { return s->pflags.pbonesided ? s->alpha : s->alpha / 2; }

bool pbvalid(const pbcounts& c) {
    if (c.binomial) return c.n > 0 && c.x >= 0 && c.x <= c.n;
    return c.x >= 0 && c.n > 0;
}

void pbestimate(const pbcounts& c, double ap, double* rec) {
    const double miss = hostmissing();
    if (!pbvalid(c)) {
        rec[PB_EST] = rec[PB_LOWER] = rec[PB_UPPER] = miss;
        return;
    }
    const double x = c.x, n = c.n;
    rec[PB_EST] = x / n;
    double q;
    if (c.binomial) {
        // Clopper-Pearson limits through the F quantile.
        if (x == 0)
            rec[PB_LOWER] = 0.0;
        else if (zqfnc(ap, 2 * x, 2 * (n - x + 1), 0, &q) == 0)
            rec[PB_LOWER] = 2 * x * q / (2 * (n - x + 1) + 2 * x * q);
        else
            rec[PB_LOWER] = miss;
        if (x == n)
            rec[PB_UPPER] = 1.0;
        else if (zqfnc(1 - ap, 2 * (x + 1), 2 * (n - x), 0, &q) == 0)
            rec[PB_UPPER] = 2 * (x + 1) * q / (2 * (n - x) + 2 * (x + 1) * q);
        else
            rec[PB_UPPER] = miss;
        return;
    }
    // Garwood limits through the chi-square quantile.
    if (x == 0)
        rec[PB_LOWER] = 0.0;
    else
        rec[PB_LOWER] = zqc(ap, 2 * x, &q) == 0 ? 0.5 * q / n : miss;
    rec[PB_UPPER] = zqc(1 - ap, 2 * x + 2, &q) == 0 ? 0.5 * q / n : miss;
}

void pbpredict(const pbcounts& c, double m, double est, double ap, double* pred, bool zeroblock) {
    if (!(m > 0) || ismissing(est)) {
        const double v = zeroblock ? 0.0 : hostmissing();
        pred[PB_EST] = pred[PB_LOWER] = pred[PB_UPPER] = v;
        return;
    }
    const double x = c.x, n = c.n, miss = hostmissing();
    pred[PB_EST] = est * m;
    double q;
    pred[PB_UPPER] = zconf1h(1 - ap, 2 * x + 2, &q, n / ((1 + x) * m)) == 0 ? q : miss;
    // No events: the future count can be 0, for the proportion as for the rate. A lower
    // end above the level of the search (result 2) is the same bound: 0.
    if (x == 0) {
        pred[PB_LOWER] = 0.0;
        return;
    }
    const int rc = zconf1l(1 - ap, &q, 2 * x, x * m / n);
    pred[PB_LOWER] = rc == 0 ? q : rc == 2 ? 0.0 : miss;
}

double pbchisq(const pbcounts& c, double rbar) {
    const double miss = hostmissing();
    if (!pbvalid(c) || ismissing(rbar)) return miss;
    if (c.binomial) {
        if (rbar < kern::EPS53 || 1 - rbar < kern::EPS53) return miss;
        const double d = c.x - rbar * c.n;
        return d * d / (c.n * rbar * (1 - rbar));
    }
    // A pooled rate of 0 (every count 0) has no expected count to divide by.
    const double e = rbar * c.n;
    if (rbar < kern::EPS53 || !(e > 0)) return miss;
    const double d = c.x - e;
    return d * d / e;
}

double pbtolsize(bool binomial, double est, double tol, double alpha) {
    if (ismissing(est) || !(tol > 0)) return hostmissing();
    const double z = zprobit(1 - alpha / 2);
    const double g = (z / tol) * (z / tol);
    return binomial ? g * est * (1 - est) : g * est;
}
