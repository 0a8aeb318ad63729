// Quantiles of the noncentral chi-square distribution through its log-scale entry:
// bracketing by factors and secant steps in log x on the log odds.
//
// Algorithm: the project's own; the central start is Wilson and Hilferty's (1931).
#include <cfloat>
#include <cmath>

#include "proc/numeric/lgamma.h"
#include "proc/numeric/ncchisq.h"
#include "proc/numeric/ncchisq_impl.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kMaxProb = 0.9999999894632878;

bool logOdds(cncreq* r, double x, double* g) {
    r->x = x;
    if (cncProbability(r) != 0) return false;
    *g = r->logp - r->logq;
    return true;
}

// From a start point already evaluated (g0 its log odds): bracket, then secant steps.
int search(cncreq* r, double x0, double g0, double target) {
    auto close = [&](double g) { return std::fabs(target - g) < 1e-07 * std::fabs(target); };
    if (close(g0)) {
        r->x = x0;
        return 0;
    }
    const bool up = g0 < target;
    const double fac = up ? r->upfac : r->downfac;
    double xo = x0, go = g0, xn = x0, gn = g0;
    for (int n = 0; n < 50; ++n) {
        xo = xn;
        go = gn;
        xn = xo * fac;
        if (!logOdds(r, xn, &gn)) return 1;
        if (close(gn)) return 0;
        if (up ? gn >= target : gn <= target) break;
    }
    for (int n = 0; n < 70; ++n) {
        if (gn == go) return 1;
        const double x2 = xo * std::exp((target - go) / (gn - go) * (std::log(xn) - std::log(xo)));
        if (!(x2 >= DBL_MIN)) return 1;
        const bool small = std::fabs(xn - x2) < 1e-07 * std::fmax(std::fabs(x2), r->xfloor);
        xo = xn;
        go = gn;
        xn = x2;
        if (!logOdds(r, xn, &gn)) return 1;
        if (close(gn) || small) return 0;
    }
    return 1;
}

// The central quantile (noncentrality 0) from the Wilson-Hilferty start; the start and
// its small-x alternative are gamma-scale values, doubled to the chi-square scale.
int centralQuantile(cncreq* r) {
    const double prob = r->prob;
    if (!(prob > 0.0 && prob < 1.0 && r->df > 0.0)) return 1;
    const double k = r->df / 2.0;
    const double y = std::sqrt(-2.0 * std::log(std::fmin(prob, 1.0 - prob)));
    double z = y - (2.30753 + 0.27061 * y) / (1.0 + (0.99229 + 0.04481 * y) * y);
    if (prob < 0.5) z = -z;
    const double c = 1.0 - 1.0 / (9.0 * k) + z / std::sqrt(9.0 * k);
    const double x0 = 2.0 * (c > 0.0 ? k * c * c * c : std::exp((zlgamma(k) + std::log(prob * k)) / k));
    const double target = std::log(prob) - std::log1p(-prob);
    const double ncp = r->ncp;
    r->ncp = 0.0;
    double g0;
    int rc = 1;
    if (logOdds(r, x0, &g0)) {
        if (r->logp == std::log(prob))
            rc = 0;
        else
            rc = search(r, x0, g0, target);
    }
    r->ncp = ncp;
    return rc;
}

}  // namespace

int cncQuantile(cncreq* r) {
    const double prob = r->prob;
    if (!(r->df > 1e-08 && r->df <= 2147483647.0 && r->ncp >= 0.0 && prob > 0.0 && prob <= kMaxProb)) return 1;
    r->upfac = 1.5;
    r->downfac = 0.7;
    if (r->ncp == 0.0) return centralQuantile(r);
    const double target = std::log(prob) - std::log1p(-prob);
    // Start: the central quantile at the matched degrees of freedom (df + ncp)^2/(df + 2 ncp);
    // when that fails, the normal approximation with the mean and variance.
    const double m = r->df + r->ncp;
    cncreq c = *r;
    c.df = m / (r->ncp / m + 1.0);
    c.ncp = 0.0;
    double x0;
    if (centralQuantile(&c) == 0)
        x0 = c.x;
    else
        x0 = std::fmax(m + zprobit(prob) * std::sqrt(2.0 * (r->df + 2.0 * r->ncp)), 1e-3 * m);
    double g0;
    if (!logOdds(r, x0, &g0)) return 1;
    return search(r, x0, g0, target);
}
