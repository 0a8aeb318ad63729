// The normal kernels in log-probability form: tail probabilities are carried as
// logarithms (zlognrm), and an interval's derivatives as its ends' inverse Mills ratios, so
// that the far tails never underflow. The ordinary normal kernels take them where their probabilities leave the
// normal doubles.
//
// Algorithm: the project's own.
#include <cmath>
#include "proc/numeric/digamma.h"
#include "proc/numeric/kernconst.h"
#include "proc/numeric/kerninterval.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/normal.h"

using namespace kern;

namespace {
constexpr double LOG_SQRT_HALF_PI = 0.2257913526447274;  // log sqrt(pi/2)
constexpr double NARROW = 1e-05;  // half-widths below this use the small-width series
constexpr double NARROW_REACH = 0.001;  // ... as long as |h c| stays below this

// The integer part of a log scale factor. It is held in a double, so that log probabilities
// beyond the 32-bit range (an interval some 65,000 scales out) keep theirs; a factor that is not
// finite refuses the interval (its log-likelihood is not finite either).
bool scalefactor(double m, double* k) {
    if (!std::isfinite(m)) return false;
    *k = std::trunc(m);
    return true;
}

// The scale factor of a censored observation's tail is a 32-bit integer.
constexpr double TAIL_SCALE_LIMIT = 2147483647.0;

// An interval's ends a > b on the log scale: log Phi at each, and the common scale factor k of
// the two distribution values.
struct LogEnds {
    double la, lb, k;
};
bool logends(double a, double b, LogEnds* e) {
    double surv, pdf;
    if (zlognrm(a, &e->la, &surv, &pdf) != 0) return false;
    if (zlognrm(b, &e->lb, &surv, &pdf) != 0) return false;
    return scalefactor(std::fmax(e->la, e->lb), &e->k);
}

// Below this point the inverse Mills ratio r = phi/Phi and its excess over -x come from the
// continued fraction of the tail (zcnfmillx) rather than from log Phi.
constexpr double FAR_TAIL = -5.0;

// One end x of an interval in the terms of -log Phi: its slope is -r, r = phi(x)/Phi(x), and its
// curvature r (r + x) = r t, where t = r + x lies between 0 and 1/|x|. Far in the lower tail
// r is about |x| and r + x a difference of two such numbers: t comes from its own continued
// fraction there, so that the curvature, about 1 - 1/x^2, keeps its digits. lcdf (log Phi) is
// formed only where the continued fraction is not used.
struct TailEnd {
    double r, t, lcdf;
    bool far;
};
bool tailend(double x, TailEnd* e) {
    if (x < FAR_TAIL) {
        if (zcnfmillx(-x, &e->t) != 0) return false;
        e->r = -x + e->t;
        e->lcdf = 0.0;
        e->far = true;
        return true;
    }
    double lsurv, lpdf;
    if (zlognrm(x, &e->lcdf, &lsurv, &lpdf) != 0) return false;
    e->r = std::exp(lpdf - e->lcdf);
    e->t = e->r + x;
    e->far = false;
    return true;
}

// The interval derivatives from its centre c and half-width h, with ends a = c + h > b = c - h
// (both in the lower half, or a above it): with q = Phi(b)/Phi(a), f = -log Phi(a) - log(1 - q),
// and u = log q, whose derivatives are differences and sums of the ends' r and r t. Every term
// is formed from the ends' own quantities, none from a difference of the large log
// probabilities (as P''/P - (P'/P)^2 is, whose two terms are about c^2 while their difference
// is about 1). false where the ends are not told apart (q rounds to 1), or a derivative is not
// finite.
bool taildiffs(double c, double h, double* out) {
    const double a = c + h, b = c - h;
    TailEnd ea, eb;
    if (!tailend(a, &ea) || !tailend(b, &eb)) return false;
    // Far out, where log Phi(x) = log phi(x) - log r and r = -x + t: du/dc = r_b - r_a =
    // 2h - (t_a - t_b), and log q = 2hc + log(r_a / r_b), from c and h themselves (the ends,
    // rounded, would cost a narrow interval the digits of its width).
    const double dc = ea.far ? 2.0 * h - (ea.t - eb.t) : eb.r - ea.r;
    const double u = ea.far ? 2.0 * h * c + std::log1p(-dc / eb.r)
                            : (eb.far ? -0.5 * b * b - LOG_SQRT_2PI - std::log(eb.r) : eb.lcdf) - ea.lcdf;
    if (!(u < 0.0)) return false;
    const double g1 = 1.0 / std::expm1(-u);  // q / (1 - q)
    const double g2 = g1 * (1.0 + g1);       // q / (1 - q)^2
    const double dh = -(ea.r + eb.r);        // du/dh
    const double ka = ea.r * ea.t, kb = eb.r * eb.t;
    const double d[5] = {-ea.r + g1 * dc, ka + g2 * dc * dc + g1 * (ka - kb), -ea.r + g1 * dh,
                         ka + g2 * dc * dh + g1 * (ka + kb), ka + g2 * dh * dh + g1 * (ka - kb)};
    // An end at infinity leaves inf x 0: refused, with out untouched.
    for (double v : d)
        if (!std::isfinite(v)) return false;
    for (int i = 0; i < 5; ++i) out[i] = d[i];
    return true;
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
    switch (mode) {
    case KMODE_EXACT:
        out[0] = x;
        out[1] = 1.0;
        return 0;
    case KMODE_RIGHT:
    case KMODE_LEFT: {
        // The density over the tail, both scaled by a factor that fits 32 bits (refused
        // beyond, some 65,000 scales out); the interval mode's own far-tail terms are not
        // used here, so these modes keep their digits.
        double lcdf, lsurv, lpdf;
        if (zlognrm(x, &lcdf, &lsurv, &lpdf) != 0) return 1;
        const double ltail = mode == KMODE_RIGHT ? lsurv : lcdf;
        const double m = std::fmax(ltail, lpdf);
        if (!(std::fabs(m) < TAIL_SCALE_LIMIT)) return 1;
        const double k = std::trunc(m);
        double d = std::exp((lpdf - k) - (ltail - k));
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
        } else if (!taildiffs(c, h, out)) {
            return 1;
        }
        mirrorInterval(x, out);
        return 0;
    }
    default:
        return 0;
    }
}
