// Value and derivative kernels of the standard logistic family (also the log-logistic
// on the log scale). Everything is written with e^-|x| so that no exponential overflows.
//
// Algorithm: the project's own.
#include <cmath>
#include "proc/numeric/kernconst.h"
#include "proc/numeric/kerninterval.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/lgamma.h"

using namespace kern;

int zprbllg(int mode, const double* z, const double*, double* out) {
    const double x = z[0];
    const double m = (x <= 0.0 || std::isnan(x)) ? x : -x;  // -|x|
    const double lg = zln1px(std::exp(m));                    // log(1 + e^-|x|)
    switch (mode) {
    case KMODE_EXACT:
        out[0] = 2.0 * lg - m;
        return 0;
    case KMODE_RIGHT:
        out[0] = x > 0.0 ? lg - m : lg;
        return 0;
    case KMODE_LEFT:
        out[0] = x <= 0.0 ? lg - m : lg;
        return 0;
    case KMODE_INTERVAL: {
        const double c = m;
        const double h = z[1];
        if (!(h > DBL_MINV)) return 1;
        // log S with S = e^-h + e^c. A very wide interval with its centre far out makes
        // both terms underflow although the interval holds most of the probability; the
        // log is then formed from the larger exponent.
        double logs;
        const double s = std::exp(-h) + std::exp(c);
        if (s > DBL_MINV) {
            logs = std::log(s);
        } else {
            const double hi = std::fmax(-h, c), lo = std::fmin(-h, c);
            logs = hi + zln1px(std::exp(lo - hi));
        }
        const double w = h < FLOOR26 ? std::log(2.0 * h) : zln1px(-std::exp(-2.0 * h));
        out[0] = -c + zln1px(std::exp(c - h)) + logs - w;
        return 0;
    }
    default:
        return 0;
    }
}

namespace {

// Distribution function, density and density derivative of the logistic at one end
// of an interval.
struct logend {
    double f, g, dg;
};

logend lowerend(double b) {  // b <= 0
    const double e = std::exp(b);
    const double d = 1.0 + e;
    logend r;
    r.f = e / d;
    r.g = e / (d * d);
    r.dg = r.g * (1.0 - e) / d;
    return r;
}

logend upperend(double a) {
    const double e = std::exp(-std::fabs(a));
    const double d = 1.0 + e;
    logend r;
    r.g = e / (d * d);
    if (a > 0.0) {
        r.f = 1.0 / d;
        r.dg = -r.g * (1.0 - e) / d;
    } else {
        r.f = e / d;
        r.dg = r.g * (1.0 - e) / d;
    }
    return r;
}

// The interval derivatives from the logarithms of F, g at both ends (a > b, b <= 0), every
// quantity scaled by exp(-k) with k the larger log F: an interval whose probability
// underflows keeps its derivatives, ratios in which the common factor cancels. False when
// even the scaled probability is too small.
bool scaledinterval(double a, double b, double* out) {
    auto logf = [](double y) { return y > 0.0 ? -zln1px(std::exp(-y)) : y - zln1px(std::exp(y)); };
    auto logg = [](double y) { return -std::fabs(y) - 2.0 * zln1px(std::exp(-std::fabs(y))); };
    auto slope = [](double y) {   // g'(y) / g(y)
        const double e = std::exp(-std::fabs(y));
        const double t = (1.0 - e) / (1.0 + e);
        return y > 0.0 ? -t : t;
    };
    const double lfa = logf(a), lfb = logf(b);
    const double k = std::fmax(lfa, lfb);
    const double p = std::exp(lfa - k) - std::exp(lfb - k);
    if (!(std::fabs(p) >= 10.0 * TINY154)) return false;
    const double ga = std::exp(logg(a) - k), gb = std::exp(logg(b) - k);
    intervalDerivatives(p, ga, gb, ga * slope(a), gb * slope(b), out);
    return true;
}

}  // namespace

int zprbwlg(int mode, const double* z, const double*, double* out) {
    const double x = z[0];
    if (mode == KMODE_INTERVAL) {
        // The outputs stay untouched when the interval is refused.
        const double c = std::isnan(x) ? x : -std::fabs(x);
        const double h = z[1];
        const logend up = upperend(c + h);
        const logend lo = lowerend(c - h);
        const double p = up.f - lo.f;
        if (std::fabs(p) >= 10.0 * TINY154) {
            intervalDerivatives(p, up.g, lo.g, up.dg, lo.dg, out);
        } else if (!scaledinterval(c + h, c - h, out)) {
            return 1;
        }
        mirrorInterval(x, out);
        return 0;
    }
    const double e = std::exp(-std::fabs(x));
    const double d = 1.0 + e;
    out[1] = e / (d * d);
    switch (mode) {
    case KMODE_EXACT:
        out[0] = x < 0.0 ? -(1.0 - e) / d : (1.0 - e) / d;
        out[1] = 2.0 * e / (d * d);
        return 0;
    case KMODE_RIGHT:
        out[0] = (x >= 0.0 || std::isnan(x)) ? 1.0 / d : e / d;
        return 0;
    case KMODE_LEFT:
        out[0] = x >= 0.0 ? -(e / d) : -(1.0 / d);
        return 0;
    default:
        return 0;
    }
}
