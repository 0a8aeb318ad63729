// The chi-square quantile, solved on the gamma scale (x = chi-square / 2) by Newton and
// Halley steps on the incomplete gamma ratio from a Wilson-Hilferty start.
//
// Algorithm: the start is Wilson and Hilferty's (1931) cube-root approximation, the small-p
// start (p a Gamma(a))^(1/a) below it; the Newton and Halley steps are the project's own.
#include <cmath>
#include "host/hostdefs.h"
#include "proc/numeric/incgamma.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/quantiles.h"
#include "proc/numeric/quantstart.h"

namespace {
constexpr double DBL_MINV = 2.225073858507202e-308;
constexpr int MAX_PASSES = 11;
}  // namespace

int zqc(double p, double df, double* q) {
    if (p < 0.0 || p >= 0.9999999999999 || df <= 0.0 || df >= 1e14) return 1;
    if (p == 0.0) {
        *q = 0.0;
        return 0;
    }
    if (std::isnan(p) || std::isnan(df)) return 1;
    const double a = df / 2.0;
    const double pp = p < 0.5 ? p : 1.0 - p;  // exact for p above one half
    const double y = normalstart(std::sqrt(-std::log(pp * pp)));
    const double z = p < 0.5 ? -y : y;
    const double tol = 1e-7 * pp;

    const double c = 1.0 - 1.0 / (9.0 * a) + z / std::sqrt(9.0 * a);
    double x = c > 0.0 ? a * c * c * c : 0.0;
    if (x <= 0.0) x = std::exp((std::log(p * a) + zlgamma(a)) / a);
    if (!(x > DBL_MINV)) x = a;
    const double am1 = std::fmax(a - 1.0, 0.0);

    for (int pass = 0; pass < MAX_PASSES; ++pass) {
        if (x <= DBL_MINV) return 1;
        double P, Q, f;
        if (zigamma(x, a, &P, &Q, &f) != 0) return 1;
        if (Q == 0.0 || f == 0.0) {
            x /= 2.0;
            continue;
        }
        if (P == 0.0) {
            x *= 2.0;
            continue;
        }
        if (P == 1.0) return 1;
        // Above one half the distance to p is measured on the upper tail Q against
        // 1 - p, both exact there; 1 - P would keep only the digits P has near 1.
        const double miss = p < 0.5 ? p - P : Q - pp;
        double next;
        if (p < 0.2) next = x * std::pow(p / P, P / (x * f));
        else if (p > 0.8) next = x - Q * zln1px((pp - Q) / Q) / f;
        else next = x + (p - P) / (f + 0.5 * (p - P) * (am1 / x - 1.0));
        x = next;
        if (std::fabs(miss) <= tol) {
            *q = 2.0 * x;
            return 0;
        }
    }
    return 1;
}

int zqcq(double a, double df, double* q) {
    if (!(a > 0.0 && a < 1.0) || df <= 0.0 || df >= 1e14) return 1;
    if (a >= 1e-6) return zqc(1.0 - a, df, q);
    // The upper tail falls from 1 at 0: bracket the root by doubling, then halve the bracket
    // until it is a few units in the last place wide.
    double lo = 0.0, hi = df > 5.0 ? 2.0 * df : 10.0;
    for (int k = 0; k < 2100; ++k) {
        const double t = zpgx2f(hi, df);
        if (ismissing(t)) return 1;
        if (t <= a) break;
        lo = hi;
        hi *= 2.0;
        if (!(hi < 1e300)) return 1;
    }
    for (int k = 0; k < 400 && hi - lo > 4e-16 * hi; ++k) {
        const double mid = 0.5 * (lo + hi);
        const double t = zpgx2f(mid, df);
        if (ismissing(t)) return 1;
        (t > a ? lo : hi) = mid;
    }
    *q = 0.5 * (lo + hi);
    return 0;
}
