// The noncentral chi-square distribution on the log scale: the Poisson-weighted series
// carried relative to a log offset and the quadrature of the density.
//
// Algorithm: the project's own.
#include <cfloat>
#include <cmath>

#include "proc/numeric/bessel.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/ncchisq.h"
#include "proc/numeric/ncchisq_impl.h"
#include "proc/numeric/quadrature.h"

namespace {

constexpr double kLn2 = 0.6931471805599453;
constexpr double kExpUnderflow = -708.3964185;

// log(1 - e^l), -2^512 when e^l rounds to 1.
double log1mexp(double l) {
    return SpecialLog1PlusX(-std::exp(l));
}

int centralProbability(cncreq* r) {
    gamreq g{};
    g.reqflags = LREQ_PROB;
    g.x = r->x / 2.0;
    g.a = r->df / 2.0;
    g.tol = r->tol;
    if (zloggam(&g) != 0) return 1;
    r->logp = g.logp;
    r->logq = g.logq;
    r->logdens = g.logdens - kLn2;
    return 0;
}

struct CncIntegrand {
    quadblk* q;
    const cncreq* r;
    double x;    // the end of the range
    bool lower;  // the range (0, x) in the logistic variable, else [x, inf) by the distance
};

// Half the density of the noncentral chi-square, relative to e^E, at t = x + u on the
// upper range, and on the lower range at t = x/(1 + e^-u) times the Jacobian
// x e^-u/(1 + e^-u)^2 (the interval transform done here, so that neither end collapses:
// the density may be infinite at 0 and steep at x).
int fntrcnc(double u, void* data, double* out) {
    CncIntegrand* c = static_cast<CncIntegrand*>(data);
    const cncreq* r = c->r;
    double t;
    double jac = 1.0;
    if (c->lower) {
        const double s = 1.0 / (1.0 + std::exp(-u));  // t/x
        const double sc = 1.0 / (1.0 + std::exp(u));  // 1 - t/x
        t = c->x * s;
        jac = c->x * s * sc;
    } else {
        t = c->x + u;
    }
    if (!(t > 0.0 && jac > 0.0)) {
        *out = 0.0;
        return 0;
    }
    const double z = std::sqrt(r->ncp * t);
    besblk b{};
    b.x = z;
    b.nu = r->nuhalf;
    if (zbess(&b) != 0) return 1;
    const double d = r->sqrtncp - std::sqrt(t);
    const double lf = b.result - z + r->nuquarter * std::log(t / r->ncp) - 0.5 * d * d;
    if (!(std::fabs(lf) <= 2147483646.0)) return 1;
    if (lf > c->q->expo) c->q->expo = static_cast<int32_t>(std::nearbyint(lf)) + 1;
    *out = 0.5 * std::exp(lf - c->q->expo) * jac;
    return 0;
}

}  // namespace

int zsercnc(cncreq* r) {
    const double h = r->x / 2.0;
    const double k = r->df / 2.0;
    const double l = r->ncp / 2.0;
    const double jd = ncStartIndex(h, k, l);
    if (!(jd <= 2147483647.0)) return 1;
    const int j = static_cast<int>(jd);
    gamreq g{};
    g.reqflags = LREQ_PROB;
    g.x = h;
    g.a = k + j;
    g.tol = r->tol;
    if (zloggam(&g) != 0) return 1;
    const double lp0 = g.logp;
    const double lq0 = g.logq;
    if (l == 0.0) {
        r->logp = lp0;
        r->logq = lq0;
        r->logdens = g.logdens - kLn2;
        return 0;
    }
    // log g_j = log density of gamma(k + j) at h + log(h/(k + j)); its rounded value is
    // carried as the offset o and only the remainder is exponentiated.
    const double lg = g.logdens + std::log(h / (k + j));
    double o = std::nearbyint(lg);
    const double lw = j * std::log(l) - (l + zlgamma(j + 1.0));
    if (!(lg - o + lw > kExpUnderflow)) return 1;
    const double g0 = std::exp(lg - o);
    const double w0 = std::exp(lw);

    double s;
    if (!ncMixtureSum<true>(h, k, l, j, w0, g0, r->tol, &s, &o)) return 1;
    // P = P0 + S and Q = Q0 - S with S = sigma e^s.
    if (s == 0.0) {
        r->logp = lp0;
        r->logq = lq0;
        return 0;
    }
    const double ls = std::log(std::fabs(s)) + o;
    const double sg = s > 0.0 ? 1.0 : -1.0;
    r->logp = lp0 <= ls ? ls + std::log(sg + std::exp(lp0 - ls)) : lp0 + zln1px(sg * std::exp(ls - lp0));
    r->logq = lq0 <= ls ? ls + std::log(std::exp(lq0 - ls) - sg) : lq0 + zln1px(-sg * std::exp(ls - lq0));
    if (!(std::isfinite(r->logp) && std::isfinite(r->logq))) return 1;
    return 0;
}

// The density integrated from x upward (or, far in the lower tail, from 0 to x) on the log
// scale. Upward the variable is the distance from x on the half-line, which keeps its
// digits near x; downward the logistic variable on the real line. Settings chosen here:
// start at max(x + 1, ncp) upward and at 0.999 x downward, first step 0.5, the record's
// tolerance (at least 1e-14) with the stricter stopping scale tol^(3/4), at most 16 levels.
int zintcnc(cncreq* r) {
    const double x = r->x;
    quadblk q{};
    CncIntegrand c{&q, r, x, r->fartail != 0};
    const double tol = std::fmax(r->tol, 1e-14);
    if (r->fartail)
        logScaleTail(&q, QUAD_LINE, std::log(999.0), tol);  // t = 0.999 x
    else
        logScaleTail(&q, QUAD_HALFLINE, std::fmax(1.0, r->ncp - x), tol);
    q.fn = fntrcnc;
    q.data = &c;
    // The exponent starts at the integrand's log value at the start point.
    q.expo = -2147483647;
    double v0;
    if (fntrcnc(q.x0, &c, &v0) != 0) return 1;
    r->quad = &q;
    double v = 0.0;
    const int rc = zhrdys(&q, &v);
    r->quad = nullptr;
    if (rc != 0 || !(v > 0.0)) return 1;
    const double li = std::fmin(q.expo + std::log(v), 0.0);
    if (r->fartail) {
        r->logp = li;
        r->logq = log1mexp(li);
    } else {
        r->logq = li;
        r->logp = log1mexp(li);
    }
    return 0;
}

int cncProbability(cncreq* r) {
    // Infinite arguments leave the logs without a value (inf - inf): refused.
    if (!(r->x > 0.0 && r->df >= 1e-08 && r->ncp >= 0.0)) return 1;
    if (std::isinf(r->x) || std::isinf(r->df) || std::isinf(r->ncp)) return 1;
    if (r->tol < 5.551115123125785e-16) r->tol = 5.551115123125785e-16;
    if (r->ncp == 0.0) return centralProbability(r);
    r->nuhalf = (r->df - 2.0) / 2.0;
    r->nuquarter = (r->df - 2.0) / 4.0;
    r->sqrtncp = std::sqrt(r->ncp);
    const double m = r->df + r->ncp;
    const double v = (r->ncp / m + 1.0) * 0.2222222222222222 / m;
    r->fartail = (std::sqrt(r->x / m) - (1.0 - v)) / std::sqrt(v) <= -2.0;
    if (r->ncp <= 500.0 && zsercnc(r) == 0) return 0;
    return zintcnc(r);
}
