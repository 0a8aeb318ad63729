// The gamma distribution on the log scale: the series and continued fractions of the
// incomplete gamma function with the log density carried apart, the asymptotic series of
// the far upper tail.
//
// Algorithm: the project's own arrangement of the series and continued fractions of the
// incomplete gamma function (DLMF sections 8.7 and 8.9) and of its asymptotic series
// (section 8.11); Wilson and Hilferty's (1931) approximation for very large shapes near the
// mean.
#include <cfloat>
#include <cmath>

#include "proc/numeric/gammafrac.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbeta_impl.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/loggamma_impl.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kMinTol = 5.551115123125785e-16;
constexpr double kHugeShape = 1000000000.0;
constexpr int kMaxPasses = 1000;
constexpr int kMaxSeriesTerms = 1999;

// log V with V = x sum_{n>=0} x^n / ((a+1)...(a+n)) / a: P(a, x) = density * V.
bool sergam(double x, double a, double tol, double* logv) {
    double s;
    if (!gammafrac::lowerSeries(x, a, tol, kMaxSeriesTerms, &s)) return false;
    *logv = std::log(s) + std::log(x);
    return true;
}

// log V of the lower fraction, P(a, x) = density * V. The factor x/a of the numerators
// is taken out of the recurrence so that a tiny x/a does not drive the convergence test
// into the denormals.
bool cnf2gm(double x, double a, double tol, double* logv) {
    double f;
    const int n = gammafrac::lowerFraction(x, a, 1.0, tol, kMaxPasses + 1, &f);
    if (n == 0) return false;
    *logv = std::log(x / a) + std::log(f);
    return n - 1 < kMaxPasses && f > 0.0;  // settling on the last pass counts as failure
}

// Legendre's fraction: Q(a, x) = density * V.
bool cnf1gm(double x, double a, double tol, double* v) {
    const int passes = gammafrac::upperFraction(x, a, tol, kMaxPasses, v);
    return passes != 0 && passes < kMaxPasses;  // settling on the last pass counts as failure
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
    // Also a log tail or density that is not a number (an infinite x or shape): not a
    // success.
    if (rc == 0 && (!(r->logp <= 0.0 && r->logq <= 0.0) || std::isnan(r->logdens))) rc = 1;
    return rc;
}
