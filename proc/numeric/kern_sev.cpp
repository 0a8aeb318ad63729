// Value and derivative kernels of the smallest extreme value family: survival
// exp(-e^z), density exp(z - e^z). It serves the Weibull, extreme-value and exponential
// families on the log scale. The family is not symmetric: no reflection of the centre.
//
// Algorithm: the project's own.
#include <algorithm>
#include <cmath>
#include "proc/numeric/digamma.h"
#include "proc/numeric/kernconst.h"
#include "proc/numeric/kerninterval.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/lgamma.h"

using namespace kern;

namespace {
constexpr double HALF_OVER = 0.5 * EXP_OVER;
// Below this point the left-censored value is -z (log(1 - exp(-e^z)) = z to double precision).
constexpr double LEFT_LINEAR = -21.0;
// Two ends whose probabilities agree to this relative amount are taken as one point.
constexpr double SAME_POINT = 4.0 * EPS53;
}  // namespace

int zprblwb(int mode, const double* z, const double*, double* out) {
    const double x = z[0];
    if (x >= HALF_OVER) {
        if (mode == KMODE_LEFT) {
            out[0] = 0.0;
            return 0;
        }
        out[0] = BIG154;
        return 1;
    }
    const double e = std::exp(x);
    out[0] = e;
    switch (mode) {
    case KMODE_EXACT:
        out[0] = e - x;
        return 0;
    case KMODE_RIGHT:
        return 0;
    case KMODE_LEFT:
        // -log(1 - exp(-e)): for a small e the difference 1 - exp(-e) is formed by
        // zexpm1, which keeps the digits that the subtraction from 1 would lose.
        if (x < LEFT_LINEAR) out[0] = -x;
        else if (e < 1.0) out[0] = -std::log(-zexpm1(-e));
        else out[0] = -zln1px(-std::exp(-e));
        return 0;
    case KMODE_INTERVAL: {
        const double c = x;
        const double h = z[1];
        if (h >= EXP_OVER) {
            out[0] = PENALTY;
            return 1;
        }
        if (c > 0.0) {
            // Difference of the survival function at the two ends.
            const double lo = std::exp(c - h);
            const double hi = std::exp(c + h);
            const double ratio = std::exp(lo - hi);  // S(upper)/S(lower)
            // Ends so close that the probability is lost in rounding (a zero width among
            // them) would give log(0): refused like the same case for a centre below 0.
            if (!(1.0 - ratio > SAME_POINT)) return 1;
            out[0] = lo - zln1px(-ratio);
            return 0;
        }
        const double u = c + h;
        if (u > EXP_OVER) {
            out[0] = -zln1px(zexpm1(-std::exp(c - h)));
            return 0;
        }
        const double a = zexpm1(-std::exp(c - h));  // minus F at the lower end
        const double b = -zexpm1(-std::exp(u));     // F at the upper end
        if (!(b > 0.0)) return 1;
        const double r = a / b;
        if (!(r > SAME_POINT - 1.0)) return 1;
        out[0] = -zln1px(r) - std::log(b);
        return 0;
    }
    default:
        return 0;
    }
}

namespace {

// Distribution function, survival, density and density derivative at one end.
struct sevend {
    double f, s, g, dg;
};

sevend atend(double y) {
    const double e = std::exp(y);
    sevend r;
    r.f = -zexpm1(-e);
    r.s = std::exp(-e);
    r.g = std::exp(y - e);
    // Beyond the overflow of e^y the density and its derivative are 0 (not inf x 0).
    r.dg = r.g > 0.0 ? (1.0 - e) * r.g : 0.0;
    return r;
}

// w/(1 - e^-w) - 1, which tends to w/2: its series below 0.01, where the difference would
// keep only the digits of 1.
double bernoulliexcess(double w, double p) {
    if (w < 0.01) {
        const double w2 = w * w;
        return w * (0.5 + w * (1.0 / 12.0 + w2 * (-1.0 / 720.0 + w2 / 30240.0)));
    }
    return w / p - 1.0;
}

// A centre above 0: -log P = e^b - log(1 - R) with R = S(a)/S(b) = exp(-w), w = e^a - e^b,
// the probability scaled by S(b). The derivatives of e^b are e^b itself; those of the second
// term come from q = R/(1 - R) and the derivatives of -w. Every term but the first is at most
// of the size of the answer, so nothing of size e^(2b) is formed and cancelled: the answer
// holds as long as doubles hold e^b.
bool survivalscaled(double a, double b, double* out) {
    const double e = std::exp(b);
    const double w = e * zexpm1(a - b);
    const double p = -zexpm1(-w);
    if (!(p >= 10.0 * TINY154)) return false;
    const double q = std::exp(-w) / p;
    if (q == 0.0) {
        // The upper end adds nothing the doubles hold (w may be infinite there).
        out[0] = e;
        out[1] = e;
        out[2] = -e;
        out[3] = -e;
        out[4] = e;
        return true;
    }
    const double qw = q * w;
    const double qs = 2.0 * (q * e) + qw;  // q (e^a + e^b)
    const double excess = bernoulliexcess(w, p);
    out[0] = e - qw;
    out[1] = e + qw * excess;
    out[2] = -e - qs;
    out[3] = -e + qs * excess;
    out[4] = e + qs * ((2.0 * e + w) / p) - qw;
    return true;
}

// The interval derivatives from the logarithms of the tail and the density at both ends
// (a > b), every quantity scaled by exp(-k) with k the larger log tail: an interval whose
// probability underflows keeps its derivatives, ratios in which the common factor cancels.
// The tail is the survival function for a centre above 0 (log S(y) = -e^y exactly; see
// survivalscaled), else the distribution function (log F(y) = y where e^y underflows). False
// when even the scaled probability is too small.
bool scaledinterval(double c, double a, double b, double* out) {
    if (c > 0.0) return survivalscaled(a, b, out);
    auto logtail = [](double y) {
        const double e = std::exp(y);
        return e > DBL_MINV ? std::log(-zexpm1(-e)) : y;
    };
    const double lta = logtail(a), ltb = logtail(b);
    const double k = std::fmax(lta, ltb);
    const double ta = std::exp(lta - k), tb = std::exp(ltb - k);
    const double p = ta - tb;
    if (!(std::fabs(p) >= 10.0 * TINY154)) return false;
    // log g(y) - k = y - e^y - k.
    auto density = [k](double y) { return std::exp((y - k) - std::exp(y)); };
    const double ga = density(a), gb = density(b);
    const double dga = ga > 0.0 ? (1.0 - std::exp(a)) * ga : 0.0;
    const double dgb = gb > 0.0 ? (1.0 - std::exp(b)) * gb : 0.0;
    intervalDerivatives(p, ga, gb, dga, dgb, out);
    return true;
}

}  // namespace

int zprbwwb(int mode, const double* z, const double*, double* out) {
    const double x = z[0];
    if (x >= EXP_OVER) {
        if (mode != KMODE_LEFT) return 1;
        out[0] = 0.0;
        out[1] = 0.0;
        return 0;
    }
    if (mode == KMODE_INTERVAL) {
        const double c = x;
        const double h = z[1];
        const sevend up = atend(c + h);
        const sevend lo = atend(c - h);
        // The probability from the tail where both ends keep their precision: the
        // distribution function for a centre at or below 0, the survival function above.
        const double p = c > 0.0 ? lo.s - up.s : up.f - lo.f;
        double d[5];
        if (std::fabs(p) >= 10.0 * TINY154) intervalDerivatives(p, up.g, lo.g, up.dg, lo.dg, d);
        else if (!scaledinterval(c, c + h, c - h, d)) return 1;
        // Derivatives beyond the doubles (e^b itself, or the narrowness of an interval far out)
        // are a refusal, not a success with an infinite or undefined output.
        for (double v : d)
            if (!std::isfinite(v)) return 1;
        std::copy(d, d + 5, out);
        return 0;
    }
    const double e = std::exp(x);
    out[0] = e;
    out[1] = e;
    switch (mode) {
    case KMODE_EXACT:
        out[0] = e - 1.0;
        return 0;
    case KMODE_RIGHT:
        return 0;
    case KMODE_LEFT: {
        if (x <= -EXP_OVER / 10.0) {
            // The value is -x down here: slope -1, curvature 0.
            out[0] = -1.0;
            out[1] = 0.0;
            return 0;
        }
        const double g = std::exp(x - e);
        if (e < FLOOR26) {
            // The slope takes 1 - exp(-e) as e. The curvature, about e/2 here, needs the
            // slope to second order: from that approximation it would come out near e^2/2.
            out[0] = -g / e;
            const double slope = -g / -zexpm1(-e);
            out[1] = (1.0 - e + slope) * slope;
        } else {
            // 1 - exp(-e) by zexpm1: the curvature below is the small difference 1 + out[0]
            // when e is small, and keeps only the digits out[0] has.
            out[0] = -g / -zexpm1(-e);
            out[1] = (1.0 - e + out[0]) * out[0];
        }
        return 0;
    }
    default:
        return 0;
    }
}
