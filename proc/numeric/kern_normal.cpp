// Value and derivative kernels of the standard normal family (also the lognormal
// families on the log scale).
//
// Algorithm: the project's own, on Cody's erf and erfc (calerf.cpp).
#include <cmath>
#include "proc/numeric/kernconst.h"
#include "proc/numeric/kerninterval.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/normal.h"

using namespace kern;

namespace {

// Below this point the normal lower tail is taken from a continued fraction of the
// Mills ratio instead of log Phi.
constexpr double CF_START = -10.0;

// Minus the log of Phi(x).
double minuslogphi(double x) {
    if (x > CF_START) return -std::log(zprbnrm(x));
    const double w = -x;
    return 0.5 * w * w + LOG_SQRT_2PI + std::log(w + 1.0 / (w + 2.0 / (w + 3.0 / w)));
}

// The hazard x / D of the far tail, D from the asymptotic expansion of the Mills ratio.
double tailhazard(double x) {
    const double s = x * x;
    const double d = 1.0 - 1.0 / (s + 3.0) - 6.0 / (((s + 13.0) * s + 25.0) * s + 145.0);
    return x / d;
}

double density(double y) { return INV_SQRT_2PI * std::exp(-0.5 * y * y); }

// The interval derivatives in log-probability form. A derivative beyond the range of double
// precision (d2f/dh2 = 1/h^2 of an interval about 1e-162 standard units wide) refuses the
// interval, with out untouched, rather than hand the sums an infinity.
int logform(int mode, const double* z, double* out) {
    double d[5];
    if (zprbwnmLog(mode, z, nullptr, d) != 0) return 1;
    for (double v : d)
        if (!std::isfinite(v)) return 1;
    for (int i = 0; i < 5; ++i) out[i] = d[i];
    return 0;
}

// The value of an interval whose probability is below the smallest normal double: far in the
// tail it underflows (from about 38 scales out), or is a subnormal that has lost digits, while
// minus its logarithm is an ordinary number, which the log-probability form gives. That form
// refuses only what it cannot tell apart either (no width, ends that round to one point, a
// value that is not a number). Out of line, so that the common path keeps its code.
[[gnu::noinline, gnu::cold]] int farinterval(double c, double h, double* out) {
    const double z[2] = {c, h};
    if (zprblnmLog(KMODE_INTERVAL, z, nullptr, out) == 0) return 0;
    out[0] = PENALTY;
    return 1;
}

}  // namespace

int zprblnm(int mode, const double* z, const double*, double* out) {
    const double x = z[0];
    switch (mode) {
    case KMODE_EXACT:
        out[0] = 0.5 * x * x + LOG_SQRT_2PI;
        return 0;
    case KMODE_RIGHT:
        out[0] = minuslogphi(-x);
        return 0;
    case KMODE_LEFT:
        out[0] = minuslogphi(x);
        return 0;
    case KMODE_INTERVAL: {
        // The interval probability is symmetric in the centre: work in the lower tail,
        // where both ends keep their relative precision.
        const double c = std::isnan(x) ? x : -std::fabs(x);
        const double h = z[1];
        const double p = static_cast<double>(static_cast<long double>(zprbnrm(c + h)) -
                                             static_cast<long double>(zprbnrm(c - h)));
        if (p >= DBL_MINV) {
            out[0] = -std::log(p);
            return 0;
        }
        return farinterval(c, h, out);
    }
    default:
        return 0;
    }
}

int zprbwnm(int mode, const double* z, const double*, double* out) {
    const double x = z[0];
    switch (mode) {
    case KMODE_EXACT:
        out[0] = x;
        out[1] = 1.0;
        return 0;
    case KMODE_RIGHT: {
        double lambda;
        if (x < -20.0) lambda = 0.0;
        else if (x < 6.0) lambda = density(x) / zprbnrm(-x);
        else lambda = tailhazard(x);
        out[0] = lambda;
        out[1] = lambda * (lambda - x);
        return 0;
    }
    case KMODE_LEFT: {
        double mu;
        if (x > 20.0) mu = 0.0;
        else if (x > -6.0) mu = -density(x) / zprbnrm(x);
        else mu = tailhazard(x);
        out[0] = mu;
        out[1] = mu * (mu - x);
        return 0;
    }
    case KMODE_INTERVAL: {
        const double c = std::isnan(x) ? x : -std::fabs(x);
        const double h = z[1];
        const double a = c + h;
        const double b = c - h;
        // The densities are used down to their underflow: the interval probability stays
        // positive far below -20, and a density taken as 0 there would give a zero gradient
        // to an observation whose value still depends on the centre.
        const double ga = density(a);
        const double gb = density(b);
        const double dga = -a * ga;
        const double dgb = -b * gb;
        const double p = zprbnrm(a) - zprbnrm(b);
        // An interval far in the tail whose probability underflows here (its value, minus
        // the log of that probability, is still finite): the log-probability form carries
        // every quantity with a common factor that cancels, and refuses only what it too
        // cannot tell apart.
        if (!(p * p > DBL_MINV)) return logform(mode, z, out);
        intervalDerivatives(p, ga, gb, dga, dgb, out);
        mirrorInterval(x, out);
        return 0;
    }
    default:
        return 0;
    }
}
