// The gamma quantile of the log-scale entry (bracketing by factors, then secant steps in
// log x on the log odds) and the quadrature fallback of the far upper tail.
//
// Algorithm: the project's own.
#include <cfloat>
#include <cmath>

#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbeta_impl.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/loggamma_impl.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/quadrature.h"

namespace {

constexpr double kMaxProb = 0.9999999894632878;

struct GamIntegrand {
    quadblk* q;
    double am1;  // shape - 1
    double x;    // the lower end
};

// (1 + u/x)^(a-1) e^-u relative to e^E, E raised to the largest log value seen. The
// variable is the distance u from the lower end, which keeps its digits near the end.
int fntrgam(double u, void* data, double* out) {
    GamIntegrand* g = static_cast<GamIntegrand*>(data);
    const double lv = g->am1 * std::log1p(u / g->x) - u;
    if (!(std::fabs(lv) <= 2147483646.0)) return 1;
    if (lv > g->q->expo) g->q->expo = static_cast<int32_t>(std::ceil(lv));
    *out = std::exp(lv - g->q->expo);
    return 0;
}

// log P at x and the log odds log P - log Q.
bool evaluate(gamreq* r, double x, double* g) {
    r->x = x;
    if (gammaLogProbability(r) != 0) return false;
    *g = r->logp - r->logq;
    return true;
}

}  // namespace

// Integrates t^(a-1) e^-t from x upward (the shape raised by one when below 1) on the
// log scale, as x^(a-1) e^-x times the integral over u = t - x of (1 + u/x)^(a-1) e^-u.
// Settings chosen here: start at the integrand's peak (at least u = 1), first step 0.5 in
// log u, the record's tolerance (at least 1e-14), the stricter stopping scale tol^(3/4)
// because the levels are compared on the log scale, at most 16 levels.
int zintgam(gamreq* r) {
    const double x = r->x;
    const double a = r->a;
    const bool raised = a < 1.0;
    const double ar = raised ? a + 1.0 : a;
    quadblk q{};
    GamIntegrand g{&q, ar - 1.0, x};
    logScaleTail(&q, QUAD_HALFLINE, std::fmax(1.0, ar - 1.0 - x), std::fmax(r->tol, 1e-14));
    const double l0 = g.am1 * std::log1p(q.x0 / x) - q.x0;
    if (!(std::fabs(l0) <= 2147483646.0)) return 1;
    q.expo = static_cast<int32_t>(std::ceil(l0));
    q.fn = fntrgam;
    q.data = &g;
    r->quad = &q;
    r->method = GAM_QUAD;
    double v = 0.0;
    const int rc = zhrdys(&q, &v);
    r->quad = nullptr;
    if (rc != 0 || !(v > 0.0)) return 1;
    double logq = std::fmin(g.am1 * std::log(x) - x + q.expo + std::log(v) - zlgamma(ar), 0.0);
    double ld;
    zldngam(x, ar, &ld);
    if (raised) {
        // Q(a, x) = Q(a + 1, x) - density(a + 1) at x.
        if (!(logq > ld)) return 1;
        logq += logOneMinusExp(ld - logq);
        ld += std::log(a) - std::log(x);
    }
    r->logdens = ld;
    r->logq = logq;
    r->logp = logOneMinusExp(logq);
    return 0;
}

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
