// The beta distribution on the log scale: the continued fraction of the incomplete beta
// function with the log of the density carried separately.
//
// Algorithm: the project's own, on the continued fraction of betafrac.h.
#include <cfloat>
#include <cmath>

#include "proc/numeric/betafrac.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/logbeta_impl.h"

namespace {

constexpr double kMinTol = 5.551115123125785e-16;
constexpr int kMaxPasses = 400;

}  // namespace

double logOneMinusExp(double l) {
    return SpecialLog1PlusX(-std::exp(l));
}

int betaLogProbability(betareq* r, double x, double* logp, double* logq, double* logdens) {
    const double a = r->a;
    const double b = r->b;
    // Shapes at or below DBL_MIN have no log gamma here (zlgamma's sentinel): refused.
    if (a > 2147483647.0 || b > 2147483647.0 || !(a > DBL_MIN && b > DBL_MIN) || !(x >= 0.0 && x <= 1.0)) return 1;
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
    const betafrac::Tail w = betafrac::tailAt(x, a, b);
    r->raised = w.raised;
    r->swapped = w.swapped;
    // The fraction's last value serves whether or not it settled within the passes.
    bool settled;
    const double f = betafrac::fraction(w.y, w.p, w.q, r->tol, kMaxPasses, &settled);
    r->fraction = f;
    const double t = betafrac::tailFactor(w, f);
    const double tail = ld + std::log(w.y) + std::log(t);
    const double other = logOneMinusExp(tail);
    *logp = w.swapped ? other : tail;
    *logq = w.swapped ? tail : other;
    return 0;
}
