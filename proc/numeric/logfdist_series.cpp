// The two noncentral methods of the log-scale F distribution: the Poisson-weighted series
// of incomplete beta functions on differences from the term at the starting index, and
// the quadrature over the noncentral chi-square numerator.
//
// Algorithm: the project's own arrangement of the standard Poisson mixture.
#include <cfloat>
#include <cmath>

#include "proc/numeric/bessel.h"
#include "proc/numeric/fmixture.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/logfdist.h"
#include "proc/numeric/ncchisq.h"
#include "proc/numeric/quadrature.h"

namespace {

constexpr double kLn2 = 0.6931471805599453;

// log(e^l + s) for a signed s (l the log of a positive value); false when it is not positive.
bool logPlus(double l, double s, double* out) {
    if (s == 0.0) {
        *out = l;
        return true;
    }
    const double ls = std::log(std::fabs(s));
    if (s > 0.0) {
        *out = ls > l ? ls + std::log1p(std::exp(l - ls)) : l + std::log1p(std::exp(ls - l));
        return true;
    }
    if (!(ls < l)) return false;
    *out = l + std::log1p(-std::exp(ls - l));
    return true;
}

}  // namespace

// Choice made here: P = I0 + S and 1 - P = (1 - I0) - S are each
// formed as the log of a positive value plus the signed correction, so the tail that is
// small keeps its digits.
int zserfnc(fncreq* r) {
    const double x = r->x, d1 = r->df1, d2 = r->df2;
    double w, v;
    fmixture::betaArgument(x, d1, d2, &w, &v);
    const double a = d1 / 2.0, b = d2 / 2.0, h = r->nc / 2.0;
    fmixture::Start st;
    if (!fmixture::start(w, v, a, b, h, &st)) return 1;
    const double k0 = st.k0;
    betareq br{};
    br.reqflags = LREQ_PROB;
    br.tol = r->tol;
    const bool comp = w > v;
    br.x = comp ? v : w;
    br.a = comp ? b : a + k0;
    br.b = comp ? a + k0 : b;
    if (zlogbet(&br) != 0) return 1;
    const double li0 = comp ? br.logq : br.logp;  // log I_w(a + k0, b)
    const double lc0 = comp ? br.logp : br.logq;  // log(1 - I_w(a + k0, b))
    const double tol = std::fmax(r->tol, 5.0 * 1.110223024625157e-16);

    fmixture::Terms t(a, b, w, h, st);
    double s = 0.0, lastb = 0.0, lastf = 0.0;
    bool backward = k0 > 0.0, forward = true, firstb = true, firstf = true;
    int terms = 0;
    for (;;) {
        if (backward && t.kb > 0.0 && (firstb || std::fabs(lastb) > tol * std::fabs(s))) {
            lastb = t.back();
            s += lastb;
            firstb = false;
            ++terms;
        } else {
            backward = false;
        }
        if (forward && (firstf || std::fabs(lastf) > tol * std::fabs(s))) {
            lastf = t.forward();
            s += lastf;
            firstf = false;
            ++terms;
        } else {
            forward = false;
        }
        if (!(tol * std::fabs(s) < std::fabs(lastf) + std::fabs(lastb)) || (!backward && !forward)) break;
        if (terms >= 1000) return 1;
    }
    if (terms >= 1000 || s == 0.0) return 1;
    if (!logPlus(li0, s, &r->logcdf) || !logPlus(lc0, -s, &r->logsurv)) return 1;
    return 0;
}

namespace {

struct FncIntegrand {
    quadblk* q;
    const fncreq* r;
    double lognc, sqrtnc;
    double unit;    // the numerator's value s is unit * u, u the variable of integration
    double logunit;
    double gscale;  // the gamma argument s df2/(2 df1 x) per unit of u
};

// The density of the numerator X1 ~ noncentral chi-square(df1, nc) at s = unit * u times
// the gamma probability that the denominator keeps F beyond x: P(X2 < s df2/(df1 x)) for
// the upper tail, P(X2 > ...) for the lower one; times unit (ds = unit du), relative to e^E.
int fntrfnc(double u, void* data, double* out) {
    FncIntegrand* c = static_cast<FncIntegrand*>(data);
    const fncreq* r = c->r;
    if (!(u > 0.0)) {
        *out = 0.0;
        return 0;
    }
    const double ls = c->logunit + std::log(u);
    const double s = std::exp(ls);
    const double nu = r->df1 / 2.0 - 1.0;
    double lf;  // log density of the numerator at s
    if (s >= DBL_MIN) {
        besblk bb{};
        bb.x = std::sqrt(r->nc * s);
        bb.nu = nu;
        if (zbess(&bb) != 0) return 1;
        const double d = c->sqrtnc - std::sqrt(s);
        lf = -0.5 * d * d + 0.5 * nu * (ls - c->lognc) + bb.result - bb.x - kLn2;
    } else {
        // Below the smallest double (a tiny x with df1 < 2, whose density is unbounded at
        // 0, reaches here): the density is its limit e^(-nc/2) times the central one,
        // exact to the last digit since nc s is nothing beside 1.
        lf = -0.5 * r->nc + nu * ls - (nu + 1.0) * kLn2 - zlgamma(nu + 1.0);
    }
    gamreq g{};
    g.reqflags = LREQ_PROB;
    g.x = u * c->gscale;
    g.a = r->df2 / 2.0;
    g.tol = r->tol;
    if (zloggam(&g) != 0) return 1;
    const double lv = lf + (r->lowertail ? g.logq : g.logp) + c->logunit;
    if (lv < -1e300) {
        *out = 0.0;
        return 0;
    }
    if (!(std::fabs(lv) <= 2147483646.0)) return 1;
    if (lv > c->q->expo) c->q->expo = static_cast<int32_t>(std::nearbyint(lv)) + 1;
    *out = std::exp(lv - c->q->expo);
    return 0;
}

}  // namespace

// Settings chosen here: the half-line [0, inf) in the numerator's value, started at its
// mean df1 + nc with the first step 0.5, tolerance 10 * 2^-53 with the stricter stopping
// scale tol^(3/4), at most 16 levels. In the lower tail the mass sits where F equals x
// with the denominator at its mean df2, at the numerator's value df1 x, far below its own
// mean when x is tiny: there the variable is the numerator in units of df1 x (at most
// df1 + nc), started at 1, so that neither the start value nor the weights of the rule
// leave the range of doubles.
int zintfnc(fncreq* r) {
    if (r->nc == 0.0) return 1;
    quadblk q{};
    const double bound = r->df1 * r->x;
    const double unit = r->lowertail ? std::fmin(bound, r->df1 + r->nc) : 1.0;
    // unit/bound is exactly 1 in the lower tail as a rule: the gamma argument per unit
    // then stays finite for an x near the smallest double.
    const double gscale = unit / bound * (r->df2 / 2.0);
    FncIntegrand c{&q, r, std::log(r->nc), std::sqrt(r->nc), unit, std::log(unit), gscale};
    logScaleTail(&q, QUAD_HALFLINE, r->lowertail ? 1.0 : r->df1 + r->nc, 10.0 * 1.110223024625157e-16);
    q.fn = fntrfnc;
    q.data = &c;
    q.expo = -2147483647;
    double v0;
    if (fntrfnc(q.x0, &c, &v0) != 0) return 1;
    double v = 0.0;
    if (zhrdys(&q, &v) != 0 || !(v > 0.0)) return 1;
    const double li = std::fmin(q.expo + std::log(v), 0.0);
    const double other = zln1px(-std::exp(li));
    r->logcdf = r->lowertail ? li : other;
    r->logsurv = r->lowertail ? other : li;
    return 0;
}
