// Confidence limits of a nonparametric estimate of the distribution function: the log-odds
// rule of pointwise and simultaneous limits, the equal-precision band's critical factor,
// exact binomial limits (bands.h).
#include "proc/lifedist/bands.h"

#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/quantiles.h"

using namespace np;

void logitlimits(double F, double se, double m, double* lower, double* upper) {
    if (!(F > EPS && F < 1 - EPS)) {
        *lower = *upper = hostmissing();
        return;
    }
    const double v = m * se / (F * (1 - F));
    if (std::isnan(v)) {
        *lower = *upper = hostmissing();
        return;
    }
    if (v >= EXP_GUARD) {
        // exp(v) overflows: the interval is as wide as it can be, not of zero width.
        *lower = 0.0;
        *upper = 1.0;
        return;
    }
    const double e = std::exp(v);
    *lower = F / (F + (1 - F) * e);
    *upper = F / (F + (1 - F) / e);
}

double simconfact(double aL, double aU, double alpha) {
    if (aL >= 1 || aL <= 0 || aU <= 0 || aU >= 1 || aU <= aL) return hostmissing();
    if (!(alpha > 0 && alpha < 1)) return hostmissing();
    const double A = alpha / 2;
    const double B = std::log((1 - aL) * aU / ((1 - aU) * aL)) / std::sqrt(8 * M_PI);
    const double tol = A * 1e-07;
    // f has its largest value B exp(-1/2) at c = 1; at or below A there is no root to the
    // right of 1 (and at equality the halving below would never end).
    if ((A / B) * std::exp(0.5) >= 1) return hostmissing();
    auto f = [B](double c) { return B * c * std::exp(-c * c / 2); };

    double c = std::sqrt(-2 * std::log(A / B));
    double fc = f(c);
    double cp = 0, fp = 0;
    while (fc > A) {
        cp = c;
        fp = fc;
        c *= 2;
        fc = f(c);
    }
    while (fc <= A) {
        cp = c;
        fp = fc;
        c /= 2;
        fc = f(c);
    }
    int steps = 0;
    while (std::fabs(fc - A) > tol && std::fabs(c - cp) > 1e-07) {
        if (++steps > 1000) return hostmissing();
        const double cn = c + (c - cp) * std::log(A / fc) / std::log(fc / fp);
        cp = c;
        fp = fc;
        c = cn;
        fc = f(c);
    }
    if (!std::isfinite(c)) return hostmissing();
    return c;
}

double* bconf(double x, double n, double* lower, double* upper, double alpha) {
    const double z = zprobitq(alpha);
    const double p = x / n;
    const double half = z * std::sqrt(p * (1 - p) / n);
    double q;
    double df1 = 2 * x, df2 = 2 * (n - x + 1);
    if (zqfnc(alpha, df1, df2, 0, &q) == 0)
        *lower = q * df1 / (q * df1 + df2);
    else
        *lower = p - half;
    df1 = 2 * (x + 1);
    df2 = 2 * (n - x);
    if (zqfnc(1 - alpha, df1, df2, 0, &q) == 0)
        *upper = q * df1 / (df2 + q * df1);
    else
        *upper = p + half;
    return upper;
}
