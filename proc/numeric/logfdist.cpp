// The (noncentral) F distribution on the log scale: request entry, probability and
// quantile.
//
// Algorithm: the project's own.
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/logfdist.h"
#include "proc/numeric/quantstart.h"

namespace {

constexpr double kDfLow = 0.0009765625;
constexpr double kDfHigh = 2147483647.0;

bool dfInRange(double d) { return d > kDfLow && d < kDfHigh; }

void moments(fncreq* r) {
    if (r->moments) return;
    const double d1 = r->df1, d2 = r->df2, nc = r->nc;
    r->mean = d2 > 2.0 ? (d2 / d1) * (d1 + nc) / (d2 - 2.0) : hostmissing();
    r->sd = d2 > 4.0 ? 1.4142135623730951 * r->mean *
                           std::sqrt((1.0 + (d2 - 2.0) * (d1 + 2.0 * nc) / ((d1 + nc) * (d1 + nc))) / (d2 - 4.0))
                     : hostmissing();
    r->moments = 1;
}

int centralProbability(fncreq* r) {
    const double x = r->x;
    const double c = r->df2 / r->df1;
    const double w = x / (x + c);
    const double v = c / (x + c);
    betareq b{};
    b.reqflags = LREQ_PROB;
    b.tol = r->tol;
    // The smaller of w and 1 - w carries its digits; the beta's tails are exchanged with it.
    const bool comp = w > v;
    b.x = comp ? v : w;
    b.a = comp ? r->df2 / 2.0 : r->df1 / 2.0;
    b.b = comp ? r->df1 / 2.0 : r->df2 / 2.0;
    if (zlogbet(&b) != 0) return 1;
    r->logcdf = comp ? b.logq : b.logp;
    r->logsurv = comp ? b.logp : b.logq;
    r->logdens = b.logdens + std::log(c) - 2.0 * std::log(x + c);
    return 0;
}

int probability(fncreq* r) {
    if (!(dfInRange(r->df1) && dfInRange(r->df2) && r->nc >= 0.0 && r->x >= 0.0)) return 1;
    if (r->x == 0.0) {
        r->logcdf = -DBL_MAX;
        r->logsurv = 0.0;
        r->logdens = r->df1 < 2.0 ? DBL_MAX : (r->df1 == 2.0 ? 0.0 : -DBL_MAX);
        return 0;
    }
    moments(r);
    if (r->nc == 0.0) return centralProbability(r);
    const double d1 = r->df1, d2 = r->df2, nc = r->nc;
    const double b = (2.0 * nc + d1) * 0.222222222222222 / ((d1 + nc) * (d1 + nc));
    const double u = d1 * r->x / (d1 + nc);
    const double cr = std::cbrt(u);
    const double z = (cr * (1.0 - 0.2222222222222222 / d2) - (1.0 - b)) / std::sqrt(0.2222222222222222 / d2 * cr * cr + b);
    r->lowertail = z <= -2.0;
    if (nc <= 500.0 && zserfnc(r) == 0) return 0;
    return zintfnc(r);
}

bool logOdds(fncreq* r, double x, double* g) {
    r->x = x;
    if (probability(r) != 0) return false;
    *g = r->logcdf - r->logsurv;
    return true;
}

// Bracketing by factors, then secant steps in log x on the log odds. Stopping rule chosen
// here: the search stops when the log odds match the target to 1e-11 of its size (at
// least 1e-11), or when a step moves x by less than 1e-12 of itself.
int quantile(fncreq* r) {
    const double p = r->p;
    if (!(dfInRange(r->df1) && dfInRange(r->df2) && r->nc >= 0.0 && p > 0.0 && p < 1.0)) return 1;
    r->upfac = 1.5;
    r->downfac = 0.7;
    const double target = std::log(p) - std::log1p(-p);
    auto close = [&](double g) { return std::fabs(g - target) <= 1e-11 * std::fmax(1.0, std::fabs(target)); };
    double xo = std::fmax(fCubeRootStart(r->p, r->df1, r->df2, r->nc), r->lowerbound);
    if (!std::isfinite(xo)) xo = 1.0;
    double go;
    if (!logOdds(r, xo, &go)) return 1;
    if (close(go)) return 0;
    const bool up = go < target;
    double xn = xo, gn = go;
    for (int n = 0; n < 50; ++n) {
        xo = xn;
        go = gn;
        xn = xo * (up ? r->upfac : r->downfac);
        if (!logOdds(r, xn, &gn)) return 1;
        if (close(gn)) return 0;
        if (up ? gn >= target : gn <= target) break;
    }
    for (int n = 0; n < 70; ++n) {
        if (gn == go) return 1;
        // The secant point, as a step in log x from the newest point. When the bracket
        // could not be reached from a start far out (a deep tail with a tiny df2), the
        // step extrapolates the slope of the log odds from the body of the distribution
        // and may land beyond the doubles: it is then halved until the point is a normal
        // positive double, and the next steps close in from there. A halved step says
        // nothing about convergence; one that cannot move the point any more (the quantile
        // lies below the smallest double) is a failure.
        double step = std::log(xo) + (target - go) / (gn - go) * (std::log(xn) - std::log(xo)) - std::log(xn);
        double x2 = xn * std::exp(step);
        bool halved = false;
        while (std::isfinite(step) && !(x2 >= DBL_MIN && x2 <= DBL_MAX)) {
            step /= 2.0;
            x2 = xn * std::exp(step);
            halved = true;
        }
        if (!(x2 > 0.0 && std::isfinite(x2)) || (halved && x2 == xn)) return 1;
        const bool small = !halved && std::fabs(x2 - xn) < 1e-12 * x2;
        xo = xn;
        go = gn;
        xn = x2;
        if (!logOdds(r, xn, &gn)) return 1;
        if (close(gn) || small) return 0;
    }
    return 1;
}

}  // namespace

int zlogfnc(fncreq* r) {
    const uint32_t req = r->request;
    if (req == 0 || (req & ~(LREQ_PROB | LREQ_DENS | LREQ_QUANT)) != 0) return 1;
    if (r->tol < 8.0 * 1.110223024625157e-16) r->tol = 8.0 * 1.110223024625157e-16;
    if (r->lowerbound < 1.053671212772351e-08) r->lowerbound = 1.053671212772351e-08;
    r->eps = 1.110223024625157e-16;
    if (req & LREQ_QUANT) return quantile(r);
    if (req & LREQ_PROB) {
        const int rc = probability(r);
        if (rc != 0) return rc;
    }
    if (req & LREQ_DENS) return zldnfnc(r->x, r->df1, r->df2, r->nc, &r->logdens);
    return 0;
}
