// Estimates, exact limits, predictions, chi-square contributions and tolerance sample
// sizes of the binomial and Poisson analysis.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/pbrec.h"
#include "proc/numeric/fdist.h"
#include "proc/numeric/kernconst.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/quantiles.h"

double pbaprime(const vyxstate* s) { return s->popt.pflags.pbonesided ? s->opts.alpha : s->opts.alpha / 2; }

bool pbvalid(const pbcounts& c) {
    if (c.binomial) return c.n > 0 && c.x >= 0 && c.x <= c.n;
    return c.x >= 0 && c.n > 0;
}

namespace {

// The incomplete beta function (and so the F quantile) takes no parameter above 2^31 - 1.
constexpr double kBetaMax = 2147483647.0;

// The p quantile of the beta(a, b) distribution where a or b is beyond the incomplete beta
// function (a binomial limit of billions of trials): with b that large, beta(a, b) is
// G / (b + G) for G gamma(a) to within about a/b relative (the F quantile with 2a and 2b
// degrees of freedom tends to a chi-square quantile over 2a), and the mirror image for a
// large a; both large, the normal distribution of the same mean and variance. Missing when
// no quantile can be had.
double bigbetaquantile(double p, double a, double b) {
    double q;
    if (a <= kBetaMax && b > kBetaMax) {
        if (zqc(p, 2 * a, &q) != 0) return hostmissing();
        return q / (2 * b + q);
    }
    if (b <= kBetaMax && a > kBetaMax) {
        if (zqc(1 - p, 2 * b, &q) != 0) return hostmissing();
        return 2 * a / (2 * a + q);
    }
    const double m = a + b, z = zprobit(p);
    const double x = a / m + z * std::sqrt(a * b / (m * m * (m + 1)));
    return x > 0 && x < 1 ? x : hostmissing();
}

}  // namespace

bool pbestimate(const pbcounts& c, double ap, double* rec) {
    const double miss = hostmissing();
    if (!pbvalid(c)) {
        rec[PB_EST] = rec[PB_LOWER] = rec[PB_UPPER] = miss;
        return true;
    }
    const double x = c.x, n = c.n;
    rec[PB_EST] = x / n;
    double q;
    if (c.binomial) {
        // Clopper-Pearson limits through the F quantile: the beta quantiles at ap of (x,
        // n - x + 1) and at 1 - ap of (x + 1, n - x); beyond the F quantile's range (from
        // about 2^31 trials) through the quantile the F quantile tends to.
        if (x == 0)
            rec[PB_LOWER] = 0.0;
        else if (x > kBetaMax || n - x + 1 > kBetaMax)
            rec[PB_LOWER] = bigbetaquantile(ap, x, n - x + 1);
        else if (zqfnc(ap, 2 * x, 2 * (n - x + 1), 0, &q) == 0)
            rec[PB_LOWER] = 2 * x * q / (2 * (n - x + 1) + 2 * x * q);
        else
            rec[PB_LOWER] = miss;
        if (x == n)
            rec[PB_UPPER] = 1.0;
        else if (x + 1 > kBetaMax || n - x > kBetaMax)
            rec[PB_UPPER] = bigbetaquantile(1 - ap, x + 1, n - x);
        else if (ap >= 1e-6 && zqfnc(1 - ap, 2 * (x + 1), 2 * (n - x), 0, &q) == 0)
            rec[PB_UPPER] = 2 * (x + 1) * q / (2 * (n - x) + 2 * (x + 1) * q);
        else if (ap < 1e-6 && zqfnc(ap, 2 * (n - x), 2 * (x + 1), 0, &q) == 0)
            // A tail beyond the F quantile's reach near 1 (and the rounding of 1 - ap): the
            // mirror image, 1 less the lower limit of the proportion of the others.
            rec[PB_UPPER] = 1 - 2 * (n - x) * q / (2 * (x + 1) + 2 * (n - x) * q);
        else
            rec[PB_UPPER] = miss;
        return !ismissing(rec[PB_LOWER]) && !ismissing(rec[PB_UPPER]);
    }
    // Garwood limits through the chi-square quantile.
    if (x == 0)
        rec[PB_LOWER] = 0.0;
    else
        rec[PB_LOWER] = zqc(ap, 2 * x, &q) == 0 ? 0.5 * q / n : miss;
    rec[PB_UPPER] = zqcq(ap, 2 * x + 2, &q) == 0 ? 0.5 * q / n : miss;
    return !ismissing(rec[PB_LOWER]) && !ismissing(rec[PB_UPPER]);
}

bool pbpredict(const pbcounts& c, double m, double est, double ap, double* pred, bool zeroblock) {
    if (!(m > 0) || ismissing(est)) {
        const double v = zeroblock ? 0.0 : hostmissing();
        pred[PB_EST] = pred[PB_LOWER] = pred[PB_UPPER] = v;
        return true;
    }
    const double x = c.x, n = c.n, miss = hostmissing();
    pred[PB_EST] = est * m;
    double q;
    pred[PB_UPPER] = zconf1h(1 - ap, 2 * x + 2, &q, n / ((1 + x) * m)) == 0 ? q : miss;
    // No events: the future count can be 0, for the proportion as for the rate. A lower
    // end above the level of the search (result 2) is the same bound: 0.
    if (x == 0) {
        pred[PB_LOWER] = 0.0;
        return !ismissing(pred[PB_UPPER]);
    }
    const int rc = zconf1l(1 - ap, &q, 2 * x, x * m / n);
    pred[PB_LOWER] = rc == 0 ? q : rc == 2 ? 0.0 : miss;
    return !ismissing(pred[PB_LOWER]) && !ismissing(pred[PB_UPPER]);
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
    const double z = zprobitq(alpha / 2);
    const double g = (z / tol) * (z / tol);
    // The normal approximation's variance is 0 at a proportion of 0 or 1 and at a rate of 0:
    // it would ask for no trials (no exposure) at all, which estimate nothing.
    const double var = binomial ? est * (1 - est) : est;
    return var > 0 ? g * var : hostmissing();
}
