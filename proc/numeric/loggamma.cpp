// The gamma distribution on the log scale: the series and continued fractions of the
// incomplete gamma function with the log density carried apart, the asymptotic series of
// the far upper tail, and the request entry.
#include <cfloat>
#include <cmath>

#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbeta_impl.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/loggamma_impl.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kMinTol = 5.551115123125785e-16;
constexpr double kHugeShape = 1000000000.0;
constexpr int kMaxPasses = 1000;

inline void rescale(double& a2, double& b2, double& a, double& b) {
    if (a2 > 1.3407807929943e+154 || a2 < 1.491668147e-154) {
        int e;
        a2 = std::frexp(a2, &e);
        b2 = std::ldexp(b2, -e);
        a = std::ldexp(a, -e);
        b = std::ldexp(b, -e);
    }
}

// log V with V = x sum_{n>=0} x^n / ((a+1)...(a+n)) / a: P(a, x) = density * V.
bool sergam(double x, double a, double tol, double* logv) {
    double t = 1.0 / a;
    double s = t;
    for (int n = 1; t / s > tol; ++n) {
        if (n > 1999) return false;
        t *= x / (a + n);
        s += t;
    }
    *logv = std::log(s) + std::log(x);
    return true;
}

// log V of the lower fraction, P(a, x) = density * V. The factor x/a of the numerators
// is taken out of the recurrence (which is linear in them) so that a tiny x/a does not
// drive the convergence test into the denormals.
bool cnf2gm(double x, double a, double tol, double* logv) {
    double a2 = 1.0, a1 = 1.0, b2 = 1.0, b1 = 1.0 - x / (1.0 + a);
    double fprev = a1 / b1;
    double m = a + 1.0;
    double k = 0.0;
    for (int n = 2; n - 1 <= kMaxPasses; ++n) {
        m += 1.0;
        double d;
        if (n % 2 == 0) {
            k += 1.0;
            d = (k / m) * (x / (m - 1.0));
        } else {
            d = -((k + a) / m) * (x / (m - 1.0));
        }
        double an = a2 * d + a1;
        double bn = b2 * d + b1;
        const double f = an / bn;
        if (std::fabs(f - fprev) < tol * f) {
            *logv = std::log(x / a) + std::log(f);
            return n - 1 < kMaxPasses && f > 0.0;  // settling on the last pass counts as failure
        }
        a2 = a1;
        b2 = b1;
        rescale(a2, b2, an, bn);
        a1 = an;
        b1 = bn;
        fprev = f;
    }
    return false;
}

// Legendre's fraction: Q(a, x) = density * V.
bool cnf1gm(double x, double a, double tol, double* v) {
    const double rx = 1.0 / x;
    double a2 = 0.0, a1 = 1.0, b2 = 1.0, b1 = 1.0;
    double fprev = 1.0;
    double sum = 0.0;
    for (int n = 0; n < kMaxPasses; ++n) {
        double d;
        if (n % 2 == 0) {
            sum += rx;
            d = sum - a * rx;
        } else {
            d = sum;
        }
        double an = d * a2 + a1;
        double bn = b2 * d + b1;
        const double f = an / bn;
        if (std::fabs(f - fprev) < tol * f) {
            *v = f;
            return n + 1 < kMaxPasses;
        }
        a2 = a1;
        b2 = b1;
        rescale(a2, b2, an, bn);
        a1 = an;
        b1 = bn;
        fprev = f;
    }
    return false;
}

void setTails(gamreq* r, bool lower, double tail) {
    const double other = logOneMinusExp(tail);
    r->logp = lower ? tail : other;
    r->logq = lower ? other : tail;
}

// The scheme of the incomplete gamma function, on the log scale.
int zbsgam(gamreq* r) {
    const double x = r->x;
    const double a = r->a;
    const bool raised = a < 1.0;
    const double ar = raised ? a + 1.0 : a;
    r->ashape = ar;
    double ld;
    zldngam(x, ar, &ld);
    const bool lower = x <= ar || x <= 1.0;
    double v = 0.0;     // V of the upper fraction
    double logv = 0.0;  // log V of the lower tail
    bool ok;
    if (ar < kHugeShape) {
        if (lower) {
            r->method = GAM_SERIES;
            ok = sergam(x, ar, r->tol, &logv);
            if (!ok) {
                r->method = GAM_LOWERCF;
                ok = cnf2gm(x, ar, r->tol, &logv);
            }
        } else {
            r->method = GAM_UPPERCF;
            ok = cnf1gm(x, ar, r->tol, &v);
        }
    } else if (std::fabs(x - ar) <= 0.7 * std::sqrt(ar) + 0.02 * ar) {
        // Wilson-Hilferty: both tails at once, as the normal tails of the cube-root deviate.
        r->method = GAM_WILHIL;
        const double z = (std::cbrt(x / ar) - (1.0 - 1.0 / (9.0 * ar))) * std::sqrt(9.0 * ar);
        double lpdf;
        if (zlognrm(z, &r->logp, &r->logq, &lpdf) != 0) return 1;
        r->logdens = ld;
        return 0;
    } else {
        r->method = lower ? GAM_LOWERCF : GAM_UPPERCF;
        ok = lower ? cnf2gm(x, ar, r->tol, &logv) : cnf1gm(x, ar, r->tol, &v);
    }
    r->value = lower ? std::exp(logv) : v;
    if (!ok) return 1;
    double tail;
    if (!raised) {
        if (lower) {
            tail = ld + logv;
        } else {
            if (!(v > 0.0)) return 1;
            tail = ld + std::log(v);
        }
    } else {
        // P(a, x) = P(a + 1, x) + density(a + 1), Q(a, x) = Q(a + 1, x) - density(a + 1).
        if (lower) {
            tail = ld + std::log1p(std::exp(logv));
        } else {
            if (!(v > 1.0)) return 1;
            tail = ld + std::log(v - 1.0);
        }
        ld += std::log(a) - std::log(x);
    }
    r->logdens = ld;
    setTails(r, lower, tail);
    return 0;
}

// The asymptotic series of the upper tail for x far above the shape.
int zasgam(gamreq* r) {
    const double x = r->x;
    const double a = r->a;
    r->method = GAM_ASYMPT;
    double t = (a - 1.0) / x;
    double s = t;
    for (int k = 2; std::fabs(t) > 1e-12 * std::fabs(s); ++k) {
        if (k > 99) return 1;
        t = t * (a - k) / x;
        s += t;
    }
    r->value = s;
    const double base = (a - 1.0) * std::log(x) - x - zlgamma(a);
    r->logdens = base;
    r->logq = base + std::log1p(s);
    r->logp = logOneMinusExp(r->logq);
    return 0;
}

}  // namespace

int gammaLogProbability(gamreq* r) {
    const double x = r->x;
    const double a = r->a;
    if (!(x >= 0.0 && a > 1e-9)) return 1;
    if (x == 0.0) {
        r->logp = -DBL_MAX;
        r->logq = 0.0;
        r->logdens = a == 1.0 ? 0.0 : (a < 1.0 ? DBL_MAX : -DBL_MAX);
        return 0;
    }
    if (r->tol < kMinTol) r->tol = kMinTol;
    int rc;
    if (x / a < 100.0 || a < 0.5) {
        rc = zbsgam(r);
    } else {
        rc = zasgam(r);
        if (rc != 0) rc = zintgam(r);
    }
    if (rc == 0 && (r->logp > 0.0 || r->logq > 0.0)) rc = 1;
    return rc;
}

int zloggam(gamreq* r) {
    const uint32_t flags = r->reqflags;
    if (flags == 0 || (flags & ~(LREQ_PROB | LREQ_DENS | LREQ_QUANT)) != 0) return 1;
    if (r->tol < 8.881784197001256e-16) r->tol = 8.881784197001256e-16;
    const double floor = 1000.0 * 2.225073858507202e-308 / r->tol;
    if (r->xfloor < floor) r->xfloor = floor;
    if (flags & LREQ_QUANT) {
        const int rc = gammaQuantile(r);
        r->reqflags = flags;
        return rc;
    }
    if (flags & LREQ_PROB) {
        const int rc = gammaLogProbability(r);
        if (rc != 0) return rc;
    }
    if (flags & LREQ_DENS) return zldngam(r->x, r->a, &r->logdens);
    return 0;
}
