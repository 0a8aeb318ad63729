// The quadrature fallback of the far upper tail of the gamma distribution on the log scale.
//
// Algorithm: the project's own.
#include <cmath>

#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbeta_impl.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/quadrature.h"

namespace {

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

