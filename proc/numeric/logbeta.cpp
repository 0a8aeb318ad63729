// The beta distribution on the log scale: the continued fraction of the incomplete beta
// function with the log of the density carried separately, and the request entry.
#include <cfloat>
#include <cmath>

#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/logbeta_impl.h"

namespace {

constexpr double kMinTol = 5.551115123125785e-16;
constexpr int kMaxPasses = 400;

// The continued fraction of the incomplete beta function in raw three-term form with p
// (raised when below 1) and q at the working point y; returns its last value whether or
// not it settled within the passes.
double fraction(double y, double p, double q, double tol) {
    const double r = (1.0 - y) / y;
    double dd = p * (p + 1.0) * r;
    double u = p - q;
    double c = -p * (q - 1.0);
    double e = p + q;
    double g = p + q;
    double h = 2.0 * p * r;
    double a1 = 1.0, a0 = 1.0, b1 = 0.0, b0 = 1.0;
    double f = 1.0;
    double fprev = 0.0;
    for (int k = 2; k <= kMaxPasses; ++k) {
        if (std::fabs(f - fprev) < tol * f) break;
        const double d1 = c / dd;
        u += 2.0;
        c = u + c;
        dd = dd + h + 2.0 * r;
        a1 = a1 * d1 + a0;
        b1 = b0 + b1 * d1;
        const double d2 = g / dd;
        e += 2.0;
        g = e + g;
        h = h + 4.0 * r;
        dd = dd + h;
        a0 = a1 + a0 * d2;
        b0 = b1 + d2 * b0;
        fprev = f;
        if (a0 == 0.0) {
            f = DBL_MAX;
        } else {
            int n;
            const double mant = std::frexp(a0, &n);
            if (n > 354 || n < -354) {
                b0 = std::ldexp(b0, -n);
                a1 = std::ldexp(a1, -n);
                b1 = std::ldexp(b1, -n);
                a0 = mant;
            }
            f = b0 / a0;
        }
    }
    return f;
}

}  // namespace

double logOneMinusExp(double l) {
    const double u = -std::exp(l);
    return u == -1.0 ? -1.3407807929943e+154 : zln1px(u);
}

int betaLogProbability(betareq* r, double x, double* logp, double* logq, double* logdens) {
    const double a = r->a;
    const double b = r->b;
    if (a > 2147483647.0 || b > 2147483647.0 || !(x >= 0.0 && x <= 1.0)) return 1;
    if (r->tol < kMinTol) r->tol = kMinTol;
    // The end points: only where the density is finite (a = 1 at 0, b = 1 at 1).
    if (x == 0.0) {
        if (a != 1.0) return 1;
        *logdens = std::log(b);
        *logp = -DBL_MAX;
        *logq = 0.0;
        return 0;
    }
    if (x == 1.0) {
        if (b != 1.0) return 1;
        *logdens = std::log(a);
        *logp = 0.0;
        *logq = -DBL_MAX;
        return 0;
    }
    r->xc = x;
    r->ac = a;
    r->bc = b;
    r->onemx = 1.0 - x;
    r->am1 = a - 1.0;
    r->apb = a + b;
    const double ld = (a - 1.0) * std::log(x) + (b - 1.0) * zln1px(-x) - zlbeta(a, b);
    *logdens = ld;
    // The tail: the upper one when x is well above the mean.
    const double m = a + b;
    const bool swap = a + 2.0 * std::sqrt(a * b / (m + 1.0)) < m * x || a + 3.0 < m * x + 6.0 * x;
    const double y = swap ? 1.0 - x : x;
    double p = swap ? b : a;
    const double q = swap ? a : b;
    const bool raised = p < 1.0;
    if (raised) p += 1.0;
    r->raised = raised;
    r->swapped = swap;
    const double f = fraction(y, p, q, r->tol);
    r->fraction = f;
    // I_y(p - 1, q) = I_y(p, q) + y^(p-1) (1 - y)^q / ((p - 1) B(p - 1, q)) for a raised p.
    const double t = raised ? ((p + q - 1.0) * f * y / p + (1.0 - y)) / (p - 1.0) : f / p;
    const double tail = ld + std::log(y) + std::log(t);
    const double other = logOneMinusExp(tail);
    *logp = swap ? other : tail;
    *logq = swap ? tail : other;
    return 0;
}

int zlogbet(betareq* r) {
    if (r->reqflags == 0) r->reqflags = LREQ_PROB;
    if (!(r->a > 0.0 && r->b > 0.0)) return 1;
    if ((r->reqflags & LREQ_PROB) && !(r->x >= 0.0 && r->x <= 1.0)) return 1;
    if ((r->reqflags & LREQ_QUANT) && !(r->prob >= 0.0 && r->prob <= 1.0)) return 1;
    if (r->reqflags & LREQ_PROB) return betaLogProbability(r, r->x, &r->logp, &r->logq, &r->logdens);
    if (r->reqflags & LREQ_QUANT) return betaQuantile(r);
    if (r->reqflags & LREQ_DENS) return zldnbet(r->x, r->a, r->b, &r->logdens);
    return 0;
}
