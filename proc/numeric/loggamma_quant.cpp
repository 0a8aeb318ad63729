// The gamma quantile of the log-scale entry: bracketing by factors, then secant steps in
// log x on the log odds.
//
// Algorithm: the project's own.
#include <cfloat>
#include <cmath>

#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/loggamma_impl.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kMaxProb = 0.9999999894632878;

// log P at x and the log odds log P - log Q.
bool evaluate(gamreq* r, double x, double* g) {
    r->x = x;
    if (gammaLogProbability(r) != 0) return false;
    *g = r->logp - r->logq;
    return true;
}

}  // namespace

int gammaQuantile(gamreq* r) {
    const double prob = r->prob;
    if (!(r->a > 1e-9 && prob > 0.0 && prob <= kMaxProb)) return 1;
    const double lprob = std::log(prob);
    const double target = lprob - std::log1p(-prob);
    r->upfac = 1.5;
    r->downfac = 0.7;
    double xo = std::fmax(1.0, r->a + std::sqrt(r->a) * zprobit(prob));
    double go;
    if (!evaluate(r, xo, &go)) return 1;
    if (r->logp == lprob) return 0;
    // Bracket by factors.
    const bool up = r->logp < lprob;
    const double fac = up ? r->upfac : r->downfac;
    double xn = xo, gn = go;
    for (int n = 0; n < 50; ++n) {
        xo = xn;
        go = gn;
        xn = xo * fac;
        if (!evaluate(r, xn, &gn)) return 1;
        if (up ? r->logp >= lprob : r->logp <= lprob) break;
    }
    // Secant steps in log x on the log odds.
    for (int n = 0; n < 70; ++n) {
        if (gn == go) {
            if (gn != target) return 1;
            r->x = xn;
            return 0;
        }
        const double x2 = xo * std::exp((target - go) / (gn - go) * (std::log(xn) - std::log(xo)));
        if (!(x2 >= DBL_MIN)) return 1;
        if (std::fabs(xn - x2) < 1e-7 * std::fmax(std::fabs(x2), r->xfloor)) {
            r->x = x2;
            return 0;
        }
        xo = xn;
        go = gn;
        xn = x2;
        if (!evaluate(r, xn, &gn)) return 1;
    }
    return 1;
}
