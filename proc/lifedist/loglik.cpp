// Log-likelihood of the group being fitted, and its gradient and Hessian in (t, sigma),
// over the group's rows in memory or block by block from its utility file.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/mlfit.h"
#include "proc/lifedist/obsrow.h"
#include "proc/lifedist/lifedist.h"
#include "proc/numeric/kernels.h"

using namespace fitx;

namespace {

// The group's rows one at a time: from the row buffer, or block by block from the
// group's utility file into it.
class rowsource {
public:
    rowsource(vyxstate* s, grpnode* g)
        : g_(g), stride_(static_cast<int>(s->rowlay[1])), perblock_(static_cast<int>(s->rowlay[0])), left_(g->nobs) {
        if (g_->ufile) xcpoint(g_->ufile, 0);
        else p_ = g_->rowbuf;
    }
    // The next row; null at the end, or with failed() set when the file ended early.
    const double* next() {
        if (left_ <= 0) return nullptr;
        if (g_->ufile && inblock_ == 0) {
            const int64_t bytes = static_cast<int64_t>(perblock_) * stride_ * static_cast<int64_t>(sizeof(double));
            // Any failed read is an early end: the rows that remain cannot be seen.
            if (xcread(g_->ufile, g_->rowbuf, bytes) != 0) {
                failed_ = true;
                return nullptr;
            }
            p_ = g_->rowbuf;
            inblock_ = perblock_;
        }
        const double* row = p_;
        p_ += stride_;
        --left_;
        if (g_->ufile) --inblock_;
        return row;
    }
    bool failed() const { return failed_; }

private:
    grpnode* g_;
    int stride_, perblock_, left_;
    int inblock_ = 0;
    const double* p_ = nullptr;
    bool failed_ = false;
};

// Sums of one evaluation: the log-likelihood, or the raw gradient and Hessian in
// standardized units before the scale terms.
struct liksums {
    double ll = 0.0;
    double g0 = 0.0, g1 = 0.0, h0 = 0.0, h1 = 0.0, h2 = 0.0;
};

class accumulator {
public:
    accumulator(vyxstate* s, int deriv, double t, double sigma, double z)
        : s_(s), deriv_(deriv), t_(t), inv_(1.0 / sigma), z_(z), value_(s->prob_fn[0]), slope_(s->prob_fn[1]) {}

    // One contribution of weight w; false when the evaluation fails (a value kernel refused
    // the observation, or a derivative kernel failed and the step was ended).
    bool add(int mode, double y, double w) {
        const double u = (y - t_) * inv_;
        double zk[2] = {u + z_, 0.0};
        return kernel(mode, zk, u, 0.0, w);
    }
    bool addinterval(double a, double b, double w) {
        const double ua = (a - t_) * inv_, ub = (b - t_) * inv_;
        const double c = 0.5 * (ua + ub), h = 0.5 * (ub - ua);
        double zk[2] = {c + z_, h};
        return kernel(KMODE_INTERVAL, zk, c, h, w);
    }
    liksums sums;

private:
    bool kernel(int mode, const double* zk, double u, double h, double w) {
        double out[8];
        if (!deriv_) {
            if (value_(mode, zk, nullptr, out) != 0) return false;
            sums.ll -= w * out[0];
            return true;
        }
        if (slope_(mode, zk, nullptr, out) != 0) {
            // A derivative kernel that fails at a point whose value was accepted: the step
            // ends; the main routine's end stops graphics and releases the output manager.
            xpmlog(510, 913);
            xexit(1008, 0);
            s_->stepend = 1;
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

    vyxstate* s_;
    int deriv_;
    double t_, inv_, z_;
    kernfn value_, slope_;
};

}  // namespace

int vyxlik(vyxstate* s, int deriv) {
    grpnode* g = s->curfit;
    const int n = s->npar[0];
    double* x = s->fitarr[0];
    double* grad = s->fitarr[1];
    double* hess = s->fitarr[2];
    if (deriv) {
        std::memset(hess, 0, sizeof(double) * static_cast<size_t>(n * (n + 1) / 2));
        std::memset(grad, 0, sizeof(double) * static_cast<size_t>(n));
    }
    const bool reorder = !allfree(s);
    if (reorder) vyxxpm(x, s->parmfree, n, nullptr);

    const double t = x[0], sigma = x[1];
    int rc = 0;
    bool failed = false;
    // A scale that is not a number fails like a vanishing one.
    if (!(sigma >= SQRT_MIN)) {
        failed = true;
    } else {
        accumulator acc(s, deriv, t, sigma, g->quant);
        const obscols lay = obslayout(s);
        const bool readout = s->rspkind == FORM_READOUT;
        double r = 0.0, f = 0.0, prev = 0.0;   // READOUT: at risk, failures of the last interval, last inspection
        bool first = true;
        rowsource rows(s, g);
        for (const double* row = rows.next(); row && !failed; row = rows.next()) {
            const double w = lay.weight >= 0 ? row[lay.weight] : 1.0;
            if (readout) {
                const double e = row[lay.nenter];
                failed = first ? !acc.add(KMODE_LEFT, row[OBS_TIME], w) : !acc.addinterval(prev, row[OBS_TIME], w);
                if (!failed && r - f > e) failed = !acc.add(KMODE_RIGHT, prev, r - f - e);
                r = e;
                f = w;
                prev = row[OBS_TIME];
                first = false;
                continue;
            }
            if (s->rspkind == FORM_INTERVAL) {
                const double lo = row[OBS_LOWER], hi = row[OBS_UPPER];
                if (ismiss(lo)) failed = !acc.add(KMODE_LEFT, hi, w);
                else if (ismiss(hi)) failed = !acc.add(KMODE_RIGHT, lo, w);
                else if (lo < hi) failed = !acc.addinterval(lo, hi, w);
                else failed = !acc.add(KMODE_EXACT, lo, w);
                continue;
            }
            int mode = KMODE_EXACT;
            if (s->rspkind == FORM_CENSOR && row[OBS_CENS] != 0.0) mode = KMODE_RIGHT;
            if (mode == KMODE_EXACT && lay.fmidx >= 0 &&
                static_cast<int>(std::lround(row[lay.fmidx])) != s->fmodeset.curmode)
                mode = KMODE_RIGHT;
            failed = !acc.add(mode, row[OBS_TIME], w);
        }
        if (rows.failed()) {
            // The rows cannot be read again: the step ends (as for the starting values).
            xpmlog(510, 22);
            xexit(1020, 0);
            s->stepend = 1;
            rc = 1020;
            failed = true;
        } else if (!failed && readout && r - f > 0.0) {
            failed = !acc.add(KMODE_RIGHT, prev, r - f);
        }
        if (!failed) {
            const liksums& q = acc.sums;
            if (!deriv) {
                s->loglik[0] = q.ll - std::log(sigma) * g->wfail;
            } else {
                double g0 = q.g0, g1 = q.g1 + g->wfail;
                double h0 = q.h0, h1 = q.h1 - q.g0, h2 = q.h2 + g->wfail - 2.0 * g1;
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
        }
    }
    if (failed) {
        s->loglik[0] = -DBL_MAX;
        // After an ended step the derivatives are not numbers, so that the optimiser stops.
        if (deriv && s->stepend) grad[0] = std::nan("");
    }
    if (reorder) {
        vyxxpm(x, s->parmfree, n, nullptr);
        if (deriv) vyxxpm(grad, s->parmfree, n, hess);
    }
    return rc;
}
