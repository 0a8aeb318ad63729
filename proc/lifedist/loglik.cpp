// Log-likelihood of the group being fitted, and its gradient and Hessian in (t, sigma),
// over the group's rows in memory or block by block from its utility file.
//
// The optimiser and the limit search ask for the derivatives at the point where they have
// just asked for the value. A value pass therefore runs the derivative kernels too and keeps
// their sums for that point; the derivative pass that follows at the same point takes them
// instead of reading the rows again. The sums are the same operations in the same order
// either way. A derivative kernel that fails during a value pass only leaves nothing kept:
// the derivative pass then meets the failure itself.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/stepend.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/numeric/kernels.h"

using namespace fitx;

namespace {

// The group's rows a block at a time: the row buffer, or the blocks of the group's utility
// file read into it.
class rowblocks {
public:
    rowblocks(vyxstate* s, grpnode* g)
        : g_(g), stride_(static_cast<int>(s->opts.rowlay[RL_ROWLEN])), perblock_(static_cast<int>(s->opts.rowlay[RL_BUFROWS])), left_(g->nobs) {
        if (g_->ufile) xcpoint(g_->ufile, 0);
    }
    // The next block: its first row and its number of rows; 0 at the end, or with failed()
    // set when the file ended early.
    int next(const double** rows) {
        if (left_ <= 0) return 0;
        if (!g_->ufile) {
            *rows = g_->rowbuf;
            const int k = left_;
            left_ = 0;
            return k;
        }
        const int64_t bytes = static_cast<int64_t>(perblock_) * stride_ * static_cast<int64_t>(sizeof(double));
        // Any failed read is an early end: the rows that remain cannot be seen.
        if (xcread(g_->ufile, g_->rowbuf, bytes) != 0) {
            failed_ = true;
            return 0;
        }
        *rows = g_->rowbuf;
        const int k = left_ < perblock_ ? left_ : perblock_;
        left_ -= k;
        return k;
    }
    int stride() const { return stride_; }
    bool failed() const { return failed_; }

private:
    grpnode* g_;
    int stride_, perblock_, left_;
    bool failed_ = false;
};

// Sums of one evaluation: the log-likelihood, and the raw gradient and Hessian in
// standardized units before the scale terms.
struct liksums {
    double ll = 0.0;
    double g0 = 0.0, g1 = 0.0, h0 = 0.0, h1 = 0.0, h2 = 0.0;
};

class accumulator {
public:
    // value: run the value kernels; slope: run the derivative kernels (a failure stops the
    // pass with derivfailed() unless value is set, when it only stops the derivative sums).
    accumulator(vyxstate* s, bool value, bool slope, double t, double sigma, double z)
        : value_(value), slope_(slope), t_(t), inv_(1.0 / sigma), z_(z), vk_(s->life.fit.prob_fn[KN_VALUE]),
          dk_(s->life.fit.prob_fn[KN_DERIV]), sev_(vk_ == zprblwb && dk_ == zprbwwb) {}

    // One contribution of weight w; false when the evaluation fails.
    bool add(int mode, double y, double w) {
        const double u = (y - t_) * inv_;
        const double zk[2] = {u + z_, 0.0};
        if (sev_ && mode != KMODE_LEFT && zk[0] < SEV_SAFE) return sevpoint(mode == KMODE_EXACT, zk[0], u, w);
        return kernel(mode, zk, u, 0.0, w);
    }
    bool addinterval(double a, double b, double w) {
        const double ua = (a - t_) * inv_, ub = (b - t_) * inv_;
        const double c = 0.5 * (ua + ub), h = 0.5 * (ub - ua);
        const double zk[2] = {c + z_, h};
        return kernel(KMODE_INTERVAL, zk, c, h, w);
    }
    bool slopeok() const { return slope_; }
    bool derivfailed() const { return derivfailed_; }
    liksums sums;

private:
    // Below this standardized value the smallest-extreme-value kernels accept an exact or a
    // right-censored observation (their value kernel refuses from half the exp bound on).
    static constexpr double SEV_SAFE = 0.5 * EXP_OVER;

    // The smallest-extreme-value kernels for an exact or a right-censored observation,
    // inline, so that the value and both derivatives share one exp: minus the log density
    // e - x (right-censored: e), first derivative e - 1 (right-censored: e), second e, with
    // e = exp(x) - the kernels' own arithmetic, so the sums are the same to the last bit.
    bool sevpoint(bool exact, double x, double u, double w) {
        const double e = std::exp(x);
        if (value_) sums.ll -= w * (exact ? e - x : e);
        if (!slope_) return true;
        const double d1 = w * (exact ? e - 1.0 : e), d2 = w * e;
        sums.g0 -= d1;
        sums.g1 -= d1 * u;
        sums.h0 += d2;
        const double a = d2 * u;
        sums.h1 += a;
        sums.h2 += u * a;
        return true;
    }

    bool kernel(int mode, const double* zk, double u, double h, double w) {
        double out[8];
        if (value_) {
            if (vk_(mode, zk, nullptr, out) != 0) return false;
            sums.ll -= w * out[0];
        }
        if (!slope_) return true;
        if (dk_(mode, zk, nullptr, out) != 0) {
            if (value_) {
                slope_ = false;
                return true;
            }
            // The derivative pass cannot go on: the caller ends the step (derivfailend).
            derivfailed_ = true;
            return false;
        }
        const double d1 = w * out[0], d2 = w * out[1];
        sums.g0 -= d1;
        sums.g1 -= d1 * u;
        sums.h0 += d2;
        double a = d2 * u;
        if (mode == KMODE_INTERVAL) {
            const double e1 = w * out[2], e2 = w * out[3], e3 = w * out[4];
            sums.g1 -= e1 * h;
            a += h * e2;
            sums.h2 += h * (e3 * h + u * e2);
        }
        sums.h1 += a;
        sums.h2 += u * a;
        return true;
    }

    bool value_, slope_;
    double t_, inv_, z_;
    kernfn vk_, dk_;
    bool sev_;   // the installed kernels are the smallest-extreme-value pair
    bool derivfailed_ = false;
};

// The values a single point of mass could take and still be consistent with every
// observation seen: [lo, hi] shrinks with each (an exact value to itself, a right-censored one
// from below, a left-censored one from above, an interval from both sides, each closed).
// add and addinterval say false once it is empty (the rest of the rows cannot change that).
class onevalue {
public:
    bool add(int mode, double y, double w) {
        if (!(w > 0.0)) return true;   // a row of no weight takes no part in the likelihood
        if (mode != KMODE_LEFT) lo = y > lo ? y : lo;
        if (mode != KMODE_RIGHT) hi = y < hi ? y : hi;
        return lo <= hi;
    }
    bool addinterval(double a, double b, double w) {
        if (!(w > 0.0)) return true;
        lo = a > lo ? a : lo;
        hi = b < hi ? b : hi;
        return lo <= hi;
    }
    double lo = -INFINITY, hi = INFINITY;
};

// Runs the group's rows through the accumulator; false when the evaluation failed (a row
// refused, or the step ended). rowsfailed tells an early end of the utility file.
template <class Acc>
bool accumulate(vyxstate* s, grpnode* g, Acc& acc, bool* rowsfailed) {
    const obscols lay = obslayout(s);
    const uint32_t form = s->inwork.rspkind;
    rowblocks blocks(s, g);
    const int m = blocks.stride();
    const double* p = nullptr;
    bool ok = true;
    double r = 0.0, f = 0.0, prev = 0.0;   // READOUT: at risk, failures of the last interval, last inspection
    bool first = true;
    for (int k = blocks.next(&p); k > 0 && ok; k = blocks.next(&p)) {
        if (form == FORM_READOUT) {
            for (int i = 0; i < k && ok; ++i, p += m) {
                const double w = p[lay.weight], e = p[lay.nenter];
                ok = first ? acc.add(KMODE_LEFT, p[OBS_TIME], w) : acc.addinterval(prev, p[OBS_TIME], w);
                if (ok && r - f > e) ok = acc.add(KMODE_RIGHT, prev, r - f - e);
                r = e;
                f = w;
                prev = p[OBS_TIME];
                first = false;
            }
        } else if (form == FORM_INTERVAL) {
            for (int i = 0; i < k && ok; ++i, p += m) {
                const double w = lay.weight >= 0 ? p[lay.weight] : 1.0;
                const double lo = p[OBS_LOWER], hi = p[OBS_UPPER];
                if (ismiss(lo)) ok = acc.add(KMODE_LEFT, hi, w);
                else if (ismiss(hi)) ok = acc.add(KMODE_RIGHT, lo, w);
                else if (lo < hi) ok = acc.addinterval(lo, hi, w);
                else ok = acc.add(KMODE_EXACT, lo, w);
            }
        } else if (lay.fmidx >= 0) {
            for (int i = 0; i < k && ok; ++i, p += m) {
                const double w = lay.weight >= 0 ? p[lay.weight] : 1.0;
                int mode = p[OBS_CENS] != 0.0 ? KMODE_RIGHT : KMODE_EXACT;
                // A failure of another mode is censored for the mode being fitted.
                if (mode == KMODE_EXACT && static_cast<int>(std::lround(p[lay.fmidx])) != s->groups.fmodeset.curmode)
                    mode = KMODE_RIGHT;
                ok = acc.add(mode, p[OBS_TIME], w);
            }
        } else if (form == FORM_CENSOR) {
            if (lay.weight >= 0) {
                for (int i = 0; i < k && ok; ++i, p += m)
                    ok = acc.add(p[OBS_CENS] != 0.0 ? KMODE_RIGHT : KMODE_EXACT, p[OBS_TIME], p[lay.weight]);
            } else {
                for (int i = 0; i < k && ok; ++i, p += m)
                    ok = acc.add(p[OBS_CENS] != 0.0 ? KMODE_RIGHT : KMODE_EXACT, p[OBS_TIME], 1.0);
            }
        } else {
            for (int i = 0; i < k && ok; ++i, p += m) ok = acc.add(KMODE_EXACT, p[OBS_TIME], lay.weight >= 0 ? p[lay.weight] : 1.0);
        }
    }
    *rowsfailed = blocks.failed();
    if (*rowsfailed) return false;
    if (ok && form == FORM_READOUT && r - f > 0.0) ok = acc.add(KMODE_RIGHT, prev, r - f);
    return ok;
}

// The gradient and packed Hessian of minus the log-likelihood from the raw sums.
void derivatives(const liksums& q, double wfail, double sigma, double* grad, double* hess) {
    double g0 = q.g0, g1 = q.g1 + wfail;
    double h0 = q.h0, h1 = q.h1 - q.g0, h2 = q.h2 + wfail - 2.0 * g1;
    if (sigma != 1.0) {
        const double inv = 1.0 / sigma, inv2 = inv * inv;
        g0 *= inv;
        g1 *= inv;
        h0 *= inv2;
        h1 *= inv2;
        h2 *= inv2;
    }
    grad[0] = g0;
    grad[1] = g1;
    hess[0] = h0;
    hess[1] = h1;
    hess[2] = h2;
}

bool samepoint(const likkept& c, const grpnode* g, double t, double sigma) {
    return c.valid && c.group == g && c.t == t && c.sigma == sigma && c.quant == g->quant;
}

// A derivative kernel failed in a derivative pass: the step ends, with the message that is
// true there. The value pass at the same point tells whether the log-likelihood itself could
// be computed (the optimiser asks for the derivatives at its last trial point also when the
// value failed there). The main routine's end stops graphics and releases the output manager.
[[gnu::noinline, gnu::cold]] int derivfailend(vyxstate* s, grpnode* g, double t, double sigma) {
    accumulator value(s, true, false, t, sigma, g->quant);
    bool rowsfailed = false;
    const bool computed = accumulate(s, g, value, &rowsfailed);
    if (rowsfailed) {
        xpmlog(510, E510_FILE_ENDS_EARLY);
        return endstep(s, RC_READ);
    }
    // Named by its class level and BY group, as the fit's warnings are.
    char fr[640];
    xpmlog(510, computed ? E510_DERIVATIVE_FAILED : E510_NOTHING_COMPUTED, groupsuffix(s, true, " for ", fr, sizeof fr));
    return endstep(s, RC_INPUT);
}

}  // namespace

bool noestimate(vyxstate* s, grpnode* g) {
    if (s->life.fit.npar.total != 2 || s->life.parmfree[GP_SCALE] != '1') return false;
    onevalue one;
    bool rowsfailed = false;
    if (!accumulate(s, g, one, &rowsfailed) || rowsfailed) return false;
    // Censored on one side only: the location runs away, which the fit says in its own way.
    if (!std::isfinite(one.lo) || !std::isfinite(one.hi)) return false;
    if (s->life.parmfree[GP_LOC] == '1') return true;
    const double mu = s->life.givenparms[GP_LOC];
    return one.lo <= mu && mu <= one.hi;
}

int vyxlik(vyxstate* s, int deriv) {
    grpnode* g = s->groups.curfit;
    const int n = s->life.fit.npar.total;
    double* x = s->life.fit.fitarr.est;
    double* grad = s->life.fit.fitarr.grad;
    double* hess = s->life.fit.fitarr.hess;
    if (deriv) {
        std::memset(hess, 0, sizeof(double) * static_cast<size_t>(n * (n + 1) / 2));
        std::memset(grad, 0, sizeof(double) * static_cast<size_t>(n));
    }
    const bool reorder = !allfree(s);
    if (reorder) vyxxpm(x, s->life.parmfree, n, nullptr);

    const double t = x[0], sigma = x[1];
    likkept& cache = s->life.likcache;
    int rc = 0;
    bool failed = false;
    // A scale that is not a number fails like a vanishing one.
    if (!(sigma >= SQRT_MIN)) {
        failed = true;
    } else if (deriv && samepoint(cache, g, t, sigma)) {
        liksums q;
        q.g0 = cache.sums[LKS_G0];
        q.g1 = cache.sums[LKS_G1];
        q.h0 = cache.sums[LKS_H0];
        q.h1 = cache.sums[LKS_H1];
        q.h2 = cache.sums[LKS_H2];
        derivatives(q, g->wfail, sigma, grad, hess);
    } else {
        cache.valid = 0;
        accumulator acc(s, !deriv, true, t, sigma, g->quant);
        bool rowsfailed = false;
        failed = !accumulate(s, g, acc, &rowsfailed);
        if (rowsfailed) {
            // The rows cannot be read again: the step ends (as for the starting values).
            xpmlog(510, E510_FILE_ENDS_EARLY);
            rc = endstep(s, RC_READ);
        } else if (acc.derivfailed()) {
            rc = derivfailend(s, g, t, sigma);
        }
        if (!failed) {
            const liksums& q = acc.sums;
            if (deriv) {
                derivatives(q, g->wfail, sigma, grad, hess);
            } else {
                s->life.fit.loglik.current = q.ll - std::log(sigma) * g->wfail;
                if (acc.slopeok()) {
                    cache.group = g;
                    cache.t = t;
                    cache.sigma = sigma;
                    cache.quant = g->quant;
                    const double kept[5] = {q.g0, q.g1, q.h0, q.h1, q.h2};
                    std::memcpy(cache.sums, kept, sizeof cache.sums);
                    cache.valid = 1;
                }
            }
        }
    }
    if (failed) {
        s->life.fit.loglik.current = -DBL_MAX;
        // After an ended step the derivatives are not numbers, so that the optimiser stops.
        if (deriv && s->step.stepend) grad[0] = std::nan("");
    }
    if (reorder) {
        vyxxpm(x, s->life.parmfree, n, nullptr);
        if (deriv) vyxxpm(grad, s->life.parmfree, n, hess);
    }
    return rc;
}
