// The beta quantile: Halley or Newton steps on the incomplete beta ratio from a
// normal-approximation start.
//
// Algorithm: for shapes above 1 the start of Algorithm AS 109 (Cran, Martin and Thomas 1977)
// from the normal quantile approximation of Abramowitz and Stegun 26.2.22 (quantstart.h);
// for other shapes a start from the mean and variance. The Halley and Newton steps and
// their safeguards are the project's own.
#include <cmath>
#include "proc/numeric/incbeta.h"
#include "proc/numeric/quantiles.h"
#include "proc/numeric/quantstart.h"

namespace {
constexpr int MAX_PASSES = 30;
constexpr double TINY_DENSITY = 1.0 / 1.7976931348623155e304;
}  // namespace

int zprobin(double p, double a, double b, double* x) {
    if (p == 0.0) {
        *x = 0.0;
        return 0;
    }
    if (p == 1.0) {
        *x = 1.0;
        return 0;
    }
    const bool upper = p > 0.5;
    double pp = p;
    if (upper) {
        const double t = a;
        a = b;
        b = t;
        pp = 1.0 - p;
    }
    const double y = normalstart(std::sqrt(-2.0 * std::log(pp)));

    double xc;
    const bool halley = a > 1.0 && b > 1.0;
    if (halley) {
        const double s = 1.0 / (2.0 * a - 1.0), t = 1.0 / (2.0 * b - 1.0);
        const double h = 2.0 / (s + t);
        const double lambda = (y * y - 3.0) / 6.0;
        const double w = y * std::sqrt(h + lambda) / h - (t - s) * (lambda + 0.8333 - 0.6666 / h);
        xc = a / (a + b * std::exp(2.0 * w));
    } else {
        const double m = a + b;
        xc = a / m - y * std::sqrt(a * b / (m * m * (m + 1.0)));
        if (xc < 1e-9) xc = std::exp(std::log(pp) / a);
    }

    *x = -1.0;
    const double tol = 1e-7 * pp;
    for (int pass = 0; pass < MAX_PASSES; ++pass) {
        double P, f;
        if (zibeta(xc, a, b, &P, &f) != 0) return 1;
        double next;
        if (f >= TINY_DENSITY) {
            double d;
            if (halley) d = (P - pp) / (f + 0.5 * (pp - P) * ((a - 1.0) / xc - (b - 1.0) / (1.0 - xc)));
            else d = (P - pp) / f;
            next = xc - d;
        } else {
            next = pp < P ? 0.0 : 1.0;
        }
        if (next >= 1.0) xc = (xc + 1.0) / 2.0;
        else if (next <= 0.0) xc = xc / 2.0;
        else xc = next;
        if (std::fabs(pp - P) < tol) {
            *x = upper ? 1.0 - xc : xc;
            return 0;
        }
    }
    return 1;
}
