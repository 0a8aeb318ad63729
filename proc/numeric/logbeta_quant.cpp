// The beta quantile of the log-scale entry: Halley or Newton steps on the incomplete
// beta function, and, where they fail (far tails), secant steps on the log odds in the
// variable w with x = exp(-exp(-w)).
//
// Algorithm: the project's own.
#include <cmath>

#include "proc/numeric/incbeta.h"
#include "proc/numeric/logbeta_impl.h"
#include "proc/numeric/logbetagamma.h"

namespace {

constexpr double kLowBound = 2.225073858507202e-293;
constexpr double kHighBound = 0.999999999999889;
constexpr double kTinyDensity = 5.562684646268004e-305;
constexpr double kMaxProb = 0.9999999894632878;

// An approximation of the upper normal quantile of pp <= 0.5 from y = sqrt(-2 log pp).
inline double normalStart(double y) {
    return y - (2.30753 + 0.27061 * y) / (1.0 + (0.99229 + 0.04481 * y) * y);
}

void initialGuess(betareq* r) {
    r->complement = r->prob > 0.5;
    r->pwork = r->complement ? 1.0 - r->prob : r->prob;
    r->s1 = r->complement ? r->b : r->a;
    r->s2 = r->complement ? r->a : r->b;
    const double s1 = r->s1;
    const double s2 = r->s2;
    const double z = normalStart(std::sqrt(-2.0 * std::log(r->pwork)));
    if (s1 > 1.0 && s2 > 1.0) {
        const double r1 = 1.0 / (2.0 * s1 - 1.0);
        const double r2 = 1.0 / (2.0 * s2 - 1.0);
        const double h = 2.0 / (r1 + r2);
        const double l = (z * z - 3.0) / 6.0;
        const double w = z * std::sqrt(h + l) / h - (r2 - r1) * (l + 0.8333 - 0.6666 / h);
        r->guess = s1 / (s1 + s2 * std::exp(2.0 * w));
        r->halley = 1;
    } else {
        r->guess = s1 / (s1 + s2) - z * std::sqrt(s1 * s2 / ((s1 + s2 + 1.0) * (s1 + s2)));
        if (r->guess < 1e-9) r->guess = std::pow(r->pwork, 1.0 / s1);
        r->halley = 0;
    }
}

// Up to 30 evaluations of the incomplete beta function on the working tail.
bool halleySteps(betareq* r) {
    r->x = -1.0;
    const double pp = r->pwork;
    const double s1 = r->s1;
    const double s2 = r->s2;
    double t = r->guess;
    for (int n = 1; n <= 30; ++n) {
        double P, d;
        if (zibeta(t, s1, s2, &P, &d) != 0) return false;
        const double f = P - pp;
        double tn;
        if (d >= kTinyDensity)
            tn = r->halley ? t - f / (d + 0.5 * (pp - P) * ((s1 - 1.0) / t - (s2 - 1.0) / (1.0 - t))) : t - f / d;
        else
            tn = P <= pp ? 1.0 : 0.0;
        if (tn >= 1.0)
            tn = (t + 1.0) / 2.0;
        else if (tn <= 0.0)
            tn = t / 2.0;
        if (std::fabs(pp - P) < 1e-7 * pp) {
            if (n == 30) return false;
            r->x = r->complement ? 1.0 - tn : tn;
            return true;
        }
        t = tn;
    }
    return false;
}

// The log odds at x = exp(-exp(-w)), the point clamped into the bracket bounds.
bool logOdds(betareq* r, double w, double* g, double* x) {
    double v = std::exp(-std::exp(-w));
    r->boundhit = 0;
    if (v < r->xlow) {
        v = r->xlow;
        r->boundhit = 1;
    } else if (v > r->xhigh) {
        v = r->xhigh;
        r->boundhit = 2;
    }
    double lp, lq, ld;
    if (betaLogProbability(r, v, &lp, &lq, &ld) != 0) return false;
    // A clamped point must still leave the target on the inner side.
    if (r->boundhit == 1 && lp > std::log(r->prob)) return false;
    if (r->boundhit == 2 && lq > std::log1p(-r->prob)) return false;
    r->logp = lp;
    r->logq = lq;
    r->logdens = ld;
    *g = lp - lq;
    *x = v;
    return true;
}

bool logScaleSteps(betareq* r) {
    if (!(r->a >= 1e-12 && r->b >= 0.001 && r->prob > 0.0 && r->prob <= kMaxProb)) return false;
    const double lprob = std::log(r->prob);
    const double target = lprob - std::log1p(-r->prob);
    const double guess = r->complement ? 1.0 - r->guess : r->guess;
    double w0 = -std::log(-std::log(guess));
    if (!std::isfinite(w0)) w0 = guess < 0.5 ? -std::log(-std::log(r->xlow)) : -std::log(-std::log(r->xhigh));
    double g0, x0;
    if (!logOdds(r, w0, &g0, &x0)) return false;
    if (r->logp == lprob) {
        r->x = x0;
        return true;
    }
    // Step w by one until the target is bracketed.
    const double dir = g0 < target ? 1.0 : -1.0;
    double w1 = w0, g1 = g0, x1 = x0;
    bool bracketed = false;
    for (int n = 0; n < 30 && !bracketed; ++n) {
        w0 = w1;
        g0 = g1;
        w1 = w0 + dir;
        if (!logOdds(r, w1, &g1, &x1)) return false;
        bracketed = (g1 - target) * (g0 - target) <= 0.0;
    }
    if (!bracketed) return false;
    // Secant steps on the log odds.
    for (int n = 0; n < 30; ++n) {
        if (g1 == g0) break;
        const double w2 = w0 + (target - g0) / (g1 - g0) * (w1 - w0);
        double g2, x2;
        if (!logOdds(r, w2, &g2, &x2)) return false;
        const bool done = std::fabs(g2 - g1) < std::fabs(target) * r->tol || std::fabs(w1 - w2) < 1e-7 * std::fabs(w2);
        w0 = w1;
        g0 = g1;
        w1 = w2;
        g1 = g2;
        x1 = x2;
        if (done) {
            r->x = x1;
            return true;
        }
    }
    if (g1 == target) {
        r->x = x1;
        return true;
    }
    return false;
}

}  // namespace

int betaQuantile(betareq* r) {
    if (r->prob == 0.0) {
        r->x = 0.0;
        return 0;
    }
    if (r->prob == 1.0) {
        r->x = 1.0;
        return 0;
    }
    if (r->tol < 5.551115123125785e-16) r->tol = 5.551115123125785e-16;
    // The answer must lie inside the bracket bounds.
    r->xlow = kLowBound;
    r->xhigh = kHighBound;
    double lq, ld;
    if (betaLogProbability(r, r->xlow, &r->plow, &lq, &ld) != 0 || r->plow > std::log(r->prob)) return 1;
    double lp;
    if (betaLogProbability(r, r->xhigh, &lp, &lq, &ld) != 0) return 1;
    r->phigh = lp;
    if (lq > std::log1p(-r->prob)) return 1;
    initialGuess(r);
    if (halleySteps(r)) return 0;
    if (logScaleSteps(r)) return 0;
    r->x = -1.0;
    return 1;
}
