// The normal kernels in log-probability form: tail probabilities are carried as
// logarithms (zlognrm), so that the far tails never underflow. Not installed by any
// option reader; kept beside the ordinary normal kernels.
//
// Algorithm: the project's own.
#include <cmath>
#include "proc/numeric/kernconst.h"
#include "proc/numeric/kerninterval.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/normal.h"

using namespace kern;

namespace {
constexpr double LOG_SQRT_HALF_PI = 0.2257913526447274;  // log sqrt(pi/2)
constexpr double NARROW = 1e-05;  // half-widths below this use the small-width series
constexpr double NARROW_REACH = 0.001;  // ... as long as |h c| stays below this

// The integer part of a log scale factor, refused beyond the 32-bit range.
bool scalefactor(double m, double* k) {
    if (!(std::fabs(m) < INT32_LIMIT)) return false;
    *k = std::trunc(m);
    return true;
}

// An interval's ends a > b on the log scale: log Phi and the log density at each, and the
// common scale factor k of the two distribution values.
struct LogEnds {
    double la, lb, lga, lgb, k;
};
bool logends(double a, double b, LogEnds* e) {
    double dummy;
    if (zlognrm(a, &e->la, &dummy, &e->lga) != 0) return false;
    if (zlognrm(b, &e->lb, &dummy, &e->lgb) != 0) return false;
    return scalefactor(std::fmax(e->la, e->lb), &e->k);
}
}  // namespace

int zprblnmLog(int mode, const double* z, const double*, double* out) {
    const double x = z[0];
    double lcdf, lsurv, lpdf;
    switch (mode) {
    case KMODE_EXACT:
        out[0] = 0.5 * x * x + LOG_SQRT_2PI;
        return 0;
    case KMODE_RIGHT:
    case KMODE_LEFT:
        if (zlognrm(x, &lcdf, &lsurv, &lpdf) != 0) return 1;
        out[0] = mode == KMODE_RIGHT ? -lsurv : -lcdf;
        return 0;
    case KMODE_INTERVAL: {
        const double c = std::isnan(x) ? x : -std::fabs(x);
        const double h = z[1];
        const double a = c + h, b = c - h;
        if (!(b < a) || !(h > 0.0)) return 1;
        if (h < NARROW) {
            if (std::fabs(h * c) > NARROW_REACH) return 1;
            const double c2 = c * c, h2 = h * h;
            out[0] = LOG_SQRT_HALF_PI + c2 / 2.0 - std::log(h) + (1.0 - c2) * h2 * 0.1666666666666667 +
                     (c2 * c2 * 0.005555555555555556 + c2 * 0.02222222222222222 - 0.01111111111111111) * h2 * h2;
            return 0;
        }
        LogEnds e;
        if (!logends(a, b, &e)) return 1;
        const double diff = std::exp(e.la - e.k) - std::exp(e.lb - e.k);
        if (!(diff > 0.0)) return 1;  // the two ends are not told apart
        out[0] = -(std::log(diff) + e.k);
        return 0;
    }
    default:
        return 1;
    }
}

int zprbwnmLog(int mode, const double* z, const double*, double* out) {
    const double x = z[0];
    double lcdf, lsurv, lpdf;
    switch (mode) {
    case KMODE_EXACT:
        out[0] = x;
        out[1] = 1.0;
        return 0;
    case KMODE_RIGHT:
    case KMODE_LEFT: {
        if (zlognrm(x, &lcdf, &lsurv, &lpdf) != 0) return 1;
        const double ltail = mode == KMODE_RIGHT ? lsurv : lcdf;
        double k;
        if (!scalefactor(std::fmax(ltail, lpdf), &k)) return 1;
        double d = std::exp((lpdf - k) - (ltail - k));  // density over the tail
        if (mode == KMODE_LEFT) d = -d;
        out[0] = d;
        out[1] = (d - x) * d;
        return 0;
    }
    case KMODE_INTERVAL: {
        const double c = std::isnan(x) ? x : -std::fabs(x);
        const double h = z[1];
        const double a = c + h, b = c - h;
        if (!(b < a) || !(h > 0.0)) return 1;
        if (h < NARROW) {
            if (std::fabs(h * c) > NARROW_REACH) return 1;
            // Derivatives of the small-width series of the value kernel.
            const double c2 = c * c, h2 = h * h, h3 = h2 * h, h4 = h2 * h2;
            out[0] = c - c * h2 * 0.3333333333333333 + (0.04444444444444444 * c + 0.02222222222222222 * c2 * c) * h4;
            out[1] = 1.0 - h2 * 0.3333333333333333 + (0.06666666666666667 * c2 + 0.04444444444444444) * h4;
            out[2] = -1.0 / h + (1.0 - c2) * h * 0.3333333333333333 +
                     (0.02222222222222222 * c2 * c2 + 0.08888888888888889 * c2 - 0.04444444444444444) * h3;
            out[3] = -0.6666666666666667 * c * h + (0.08888888888888889 * c2 * c + 0.1777777777777778 * c) * h3;
            out[4] = 1.0 / h2 + (1.0 - c2) * 0.3333333333333333 +
                     (0.06666666666666667 * c2 * c2 + 0.2666666666666667 * c2 - 0.1333333333333333) * h2;
        } else {
            LogEnds e;
            if (!logends(a, b, &e)) return 1;
            // Every quantity carries the common factor exp(-k), which cancels below.
            const double fa = std::exp(e.la - e.k), fb = std::exp(e.lb - e.k);
            const double ga = std::exp(e.lga - e.k), gb = std::exp(e.lgb - e.k);
            const double dga = -a * ga, dgb = -b * gb;
            const double p = fa - fb;
            if (!(p * p > DBL_MINV)) return 1;
            intervalDerivatives(p, ga, gb, dga, dgb, out);
        }
        mirrorInterval(x, out);
        return 0;
    }
    default:
        return 0;
    }
}
