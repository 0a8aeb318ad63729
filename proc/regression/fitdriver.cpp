// The maximum-likelihood fit of a MODEL statement: the arrays of the fit, the starting values,
// the iteration history (ITPRINT) and the Newton-Raphson optimiser with its three callbacks.
#include <cmath>
#include <cstring>

#include "proc/framework/expect.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/stepend.h"
#include "proc/framework/msg510.h"
#include "proc/framework/msg0.h"
#include "proc/lifedist/lifedist.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/optimizer.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/regression/rowfile.h"
#include "proc/vyxstate.h"
#include "proc/regression/mtable.h"

using namespace mfit;

namespace {

// The MODEL's data have no maximum when the intercept alone can place every observation at
// one value (the other coefficients free to be 0) and the scale is free to tend to 0: every
// exact value is that value and every censored observation contains it, ends included (as
// noestimate, lifedist.h, for a distribution without effects).
bool mdlnoestimate(vyxstate* s) {
    const mdlcounts n = mdlsizes(s);
    const char* st = s->mdl.parmstat;
    if (n.ndist < 1 || !st || st[0] != '1' || st[n.ncol] != '1') return false;
    const mdllayout* L = s->mdl.mdllay;
    double lo = -INFINITY, hi = INFINITY;
    bool known = true;
    const bool whole = forblocks(s, [&](char* rows, int64_t count) {
        for (int64_t k = 0; k < count; ++k) {
            const descell* row = desrowat(rows, L, k);
            if (L->hasfreq && !(row[L->freq()].value > 0.0)) continue;
            const int code = row[L->cens()].col;
            const double y = row[L->rsp()].value;
            const double b = code == CEN_INTERVAL ? row[L->upper()].value : y;
            if (code != CEN_EXACT && code != CEN_RIGHT && code != CEN_LEFT && code != CEN_INTERVAL) known = false;
            if (code != CEN_LEFT) lo = y > lo ? y : lo;
            if (code != CEN_RIGHT) hi = b < hi ? b : hi;
            if (!known || !(lo <= hi)) return false;
        }
        return true;
    });
    // Censored on one side only: the location runs away, which the fit says in its own way.
    return whole && known && std::isfinite(lo) && std::isfinite(hi) && lo <= hi;
}

// A block from a pool; false (after xmemmsg with the bytes asked for) when refused.
template <class T>
bool take(poolobj* pool, int64_t count, poolflag flags, T** out) {
    const int64_t bytes = count * static_cast<int64_t>(sizeof(T));
    *out = static_cast<T*>(poolbytes(pool, bytes > 0 ? bytes : static_cast<int64_t>(sizeof(T)), flags));
    if (*out) return true;
    xmemmsg(bytes);
    return false;
}

// Lays out every array of the fit (see vyxstate: fitarr, estarr, parmmap, parmstat, ...).
bool fitarrays(vyxstate* s, int p) {
    const int64_t M = p + 1, T = M * (M + 1) / 2;
    double* hb;
    if (!take(s->pools.bypool, T + 4 * M + (M + 1) / 2 + 1, poolflag::raw, &hb)) return false;
    s->mdl.fit.fitarr.hess = hb;
    s->mdl.fit.fitarr.grad = hb + T;
    s->mdl.fit.fitarr.est = hb + T + M;
    s->mdl.estarr[EA_PREV] = hb + T + 2 * M;
    s->mdl.estarr[EA_SCRATCH] = hb + T + 3 * M;
    s->mdl.parmmap = reinterpret_cast<int32_t*>(hb + T + 4 * M);
    if (!take(s->pools.bypool, M, poolflag::raw_marked, &s->mdl.parmstat)) return false;
    double* work;
    if (!take(s->pools.stmtpool, M * M + T + 5 * M + (M + 1) / 2 + 1, poolflag::zeroed, &work)) return false;
    s->mdl.fit.fitarr.work = work;
    s->mdl.estfit = work + T;
    s->mdl.stderrs = work + T + M;
    txthandle* names;
    if (!take(s->pools.stmtpool, p, poolflag::zeroed, &names)) return false;
    s->mdl.fit.parmnames = names;
    if (!take(s->pools.bypool, M, poolflag::raw, &s->mdl.estdata)) return false;
    if (!take(s->pools.bypool, 3 * M + T, poolflag::raw, &s->mdl.covsave)) return false;
    s->mdl.estarr[EA_COV] = s->mdl.covsave;
    // The extended-precision sums of the derivative pass: gradient and packed Hessian.
    if (!take(s->pools.stmtpool, M + T, poolflag::raw, &s->mdl.liksum)) return false;
    if (!take(s->pools.stmtpool, M + T, poolflag::raw, &s->mdl.likpart)) return false;
    if (!take(s->pools.stmtpool, 2 * M + T, poolflag::raw, &s->mdl.mlikcache)) return false;
    s->mdl.mlikcached = 0;
    return true;
}

// The Newton step -H^-1 g over the first n (free) parameters into d, and the decrement
// g'H^-1 g; false when the Hessian is not positive definite there. work: n(n+1)/2 doubles.
bool newtonstep(const double* H, const double* g, int n, double* d, double* work, double* decrement) {
    std::memcpy(work, H, sizeof(double) * static_cast<size_t>(n) * (n + 1) / 2);
    for (int i = 0; i < n; ++i)
        if (!(zchol(i, work, 0.0) > 0.0)) return false;
    for (int i = 0; i < n; ++i) d[i] = g[i];
    zchol2(n, work, d);
    double dec = 0.0;
    for (int i = 0; i < n; ++i) dec += d[i] * d[i];
    zbaksub(n, work, d);
    for (int i = 0; i < n; ++i) d[i] = -d[i];
    *decrement = dec;
    return std::isfinite(dec);
}

bool anynotfinite(const double* v, int n) {
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(v[i])) return true;
    return false;
}

}  // namespace

namespace mdl {

double fentry(void* ctx) {
    auto* s = static_cast<vyxstate*>(ctx);
    ++s->mdl.fit.fitcrit.neval;
    vyxmlik(s, MLIK_BOTH);
    return -s->mdl.fit.loglik.current;
}

int gentry(void* ctx) { return vyxmderiv(static_cast<vyxstate*>(ctx)); }

int centry(void* ctx) {
    auto* s = static_cast<vyxstate*>(ctx);
    ++s->mdl.fit.fitcrit.niter;
    if (s->mdl.fit.itprflag.itprint) mitprnt(s);
    if (s->step.stepend) return 0;
    const double* x = s->mdl.fit.fitarr.est;
    const double* prev = static_cast<nrparm*>(s->mdl.fit.optctl)->xprev;
    for (int i = s->mdl.fit.npar.free - 1; i >= 0; --i) {
        const double d = std::fabs(x[i] - prev[i]);
        const double change = std::fabs(x[i]) >= SMALL_PARM || std::isnan(x[i]) ? std::fabs(d / x[i]) : d;
        // A change that is not a number is no sign of convergence.
        if (!(change <= s->mdl.fit.fitcrit.converge)) return 1;
    }
    return 0;
}

}  // namespace mdl

void mitprnt(vyxstate* s) { histrow(s, s->mdl.fit.itstatus[ITS_ITER]++, s->mdl.fit.fitcrit.ridge); }

void histrow(vyxstate* s, double cell0, double cell1) {
    if (s->step.stepend) return;
    const mdlcounts n = mdlsizes(s);
    double* b = s->mdl.fit.fitarr.est;
    const bool packed = n.p != s->mdl.fit.npar.free;
    if (packed) vyxxpm(b, s->mdl.parmstat, n.p, nullptr);
    double* row = s->mdl.fit.itrow;
    row[IH_ITER] = cell0;
    row[IH_RIDGE] = cell1;
    row[IH_LOGLIK] = likfailed(s->mdl.fit.loglik.current) ? missing() : s->mdl.fit.loglik.current;   // a failed evaluation shows missing
    for (int j = 0; j < n.p; ++j) row[IH_PARMS + j] = b[j];
    // The model's intercept and slopes on the scale of the data.
    auto block = [&](int first, int last, bool fixed) {
        double c0 = b[first];
        for (int j = first + 1; j < last; ++j) {
            row[IH_PARMS + j] = b[j] / scale(s, j);
            if (!fixed) c0 -= b[j] * centre(s, j) / scale(s, j);
        }
        row[IH_PARMS + first] = c0;
    };
    block(0, n.ncol, s->mdl.intfix);
    if (!s->mdl.intfix && !s->mdl.haslogscl && n.ndist > 0) row[IH_PARMS] -= s->mdl.shiftq * b[n.ncol];
    if (s->mdl.haslogscl) block(n.ncol, n.ntot, s->mdl.lsintfix);
    if (packed) vyxxpm(b, s->mdl.parmstat, n.p, nullptr);
    mtable t(s);
    t.call(s->out.curtab, OB_ADDROW, 0, nullptr);
}

void setupit(vyxstate* s, int label, txthandle name) {
    mtable t(s);
    if (!t.create(nullptr, name, rdxmsg(0, label))) return;
    t.coldouble("Iter", &s->mdl.fit.itrow[IH_ITER]);
    t.coldouble("Ridge", &s->mdl.fit.itrow[IH_RIDGE]);
    t.coldouble("Loglike", &s->mdl.fit.itrow[IH_LOGLIK]);
    const auto* names = static_cast<txthandle*>(s->mdl.fit.parmnames);
    for (int i = 0; i < s->mdl.fit.npar.total; ++i)
        if (s->mdl.parmmap[i] >= 0) t.coldouble(names[s->mdl.parmmap[i]], &s->mdl.fit.itrow[IH_PARMS + i], "value");
    t.titles({{"Title", rdxmsg(0, label)}});
    t.history(332);
    t.enddef();
    t.bind("Kv.Vitalyx.Ithist");
}

// After convergence, at most two plain Newton steps from the optimiser's estimates: the
// optimiser stops once its predicted gain is lost in the rounding of the log-likelihood, which
// can leave the estimates a few units in the sixth digit from the maximum; with the gradient
// summed in extended precision a Newton step from there reaches it. A step is kept only when
// the log-likelihood does not fall beyond its rounding and the Newton decrement shrinks.
static void polish(vyxstate* s) {
    const int n = s->mdl.fit.npar.free, p = s->mdl.fit.npar.total;
    if (n < 1) return;
    double* x = s->mdl.fit.fitarr.est;
    double* g = s->mdl.fit.fitarr.grad;
    double* H = s->mdl.fit.fitarr.hess;
    // Room in the optimiser's work array, unused after it returned.
    double* work = s->mdl.fit.fitarr.work;
    double* d = work + static_cast<long>(n) * (n + 1) / 2;
    double* keepx = d + n;
    double* keepg = keepx + p;
    double* keepH = keepg + p;
    double dec = 0.0;
    if (!newtonstep(H, g, n, d, work, &dec)) return;
    for (int step = 0; step < 2 && dec > 0.0; ++step) {
        const long t = static_cast<long>(p) * (p + 1) / 2;
        std::memcpy(keepx, x, sizeof(double) * static_cast<size_t>(p));
        std::memcpy(keepg, g, sizeof(double) * static_cast<size_t>(p));
        std::memcpy(keepH, H, sizeof(double) * static_cast<size_t>(t));
        const double before = s->mdl.fit.loglik.current;
        for (int i = 0; i < n; ++i) x[i] += d[i];
        vyxmlik(s, MLIK_BOTH);
        vyxmderiv(s);
        if (s->step.stepend) return;
        double nextdec = 0.0;
        const bool ok = s->mdl.fit.loglik.current >= before - 64.0 * EPS53 * std::fabs(before) &&
                        newtonstep(H, g, n, d, work, &nextdec) && nextdec < dec;
        if (!ok) {
            std::memcpy(x, keepx, sizeof(double) * static_cast<size_t>(p));
            std::memcpy(g, keepg, sizeof(double) * static_cast<size_t>(p));
            std::memcpy(H, keepH, sizeof(double) * static_cast<size_t>(t));
            s->mdl.fit.loglik.current = before;
            return;
        }
        dec = nextdec;
    }
}

int vyxmfit(vyxstate* s) {
    VX_EXPECT(s->mdl.mdllay, "the MODEL fit follows its data pass");
    const mdlcounts n = mdlsizes(s);
    s->mdl.fit.npar.total = s->mdl.fit.npar.model = n.p;
    if (!fitarrays(s, n.p)) return 1;
    s->mdl.likfail = 0;
    s->mdl.fit.fitcrit.ridge = 0.0;
    s->mdl.fit.fitcrit.niter = 0;
    s->mdl.fit.fitcrit.neval = 0;

    vyxmls(s);

    nrctl ctl = newtonsettings(s->mdl.fit);
    nrparm blk = newtonarrays(s->mdl.fit, s->mdl.fit.fitarr.est, s->mdl.estarr[EA_SCRATCH], s->mdl.estarr[EA_PREV]);

    if (s->mdl.fit.itprflag.itprint) {
        double* row;
        if (!take(s->pools.stmtpool, n.p + 3, poolflag::raw, &row)) return 1;
        s->mdl.fit.itrow = row;
        setupit(s, T0_ITER_HISTORY, rdxtxt("ModIterparms", 12));
        s->mdl.fit.itstatus[ITS_ITER] = 0;
        vyxmlik(s, 0);
        if (!s->step.stepend) mitprnt(s);
        if (s->step.stepend) return 0;
    }

    s->mdl.fit.optctl = &blk;
    int rc = znewrap(s, &blk, &ctl, &s->mdl.fit.fitcrit.ridge, mdl::fentry, mdl::gentry, mdl::centry);
    s->mdl.fit.optctl = nullptr;
    // The optimiser does not look at the gradient callback's result: a derivative pass that
    // met an unusable scale, or estimates that are not numbers, make the fit fail here.
    if ((rc == NR_CONVERGED || rc == NR_NOCONV) && (s->mdl.likfail || anynotfinite(blk.x, s->mdl.fit.npar.free)))
        rc = NR_NOTFINITE;
    if (s->step.stepend) {
        s->mdl.fit.optrc = rc;
        return 0;
    }
    // Data without a maximum: wherever the optimiser stopped, there is no estimate.
    const bool none = mdlnoestimate(s);
    if (s->step.stepend) {
        s->mdl.fit.optrc = rc;
        return 0;
    }
    s->mdl.fit.optrc = none ? NR_NOESTIMATE : rc;
    // The log-likelihood at the estimates the optimiser leaves: its objective there, or,
    // after a failure that took the estimates back, a new evaluation.
    if (rc == NR_CONVERGED || rc == NR_NOCONV || rc == NR_NOTPOSDEF) s->mdl.fit.loglik.current = -blk.fval;
    else vyxmlik(s, 0);
    if (s->step.stepend) return 0;
    if (rc == NR_CONVERGED) polish(s);
    if (s->step.stepend) return 0;

    if (s->mdl.fit.itprflag.itprint) {
        mtable t(s);
        t.call(s->out.curtab, OB_ENDROWS, 0, nullptr);
        wobitem it[] = {obidin(s->out.curtabid)};
        t.call(s->out.outmgr, OB_PUBLISH, 1, it);
        if (s->step.stepend) return 0;
    }
    // A fit that stopped, by the optimiser's word at a point (converged, out of iterations, or
    // at a Hessian not positive definite), where the log-likelihood cannot be computed has
    // found nothing: the step ends, as where a derivative cannot be computed, and no estimate
    // is printed as found. (A fit the optimiser reports as failed says so itself, 510/63.)
    const bool atpoint = rc == NR_CONVERGED || rc == NR_NOCONV || rc == NR_NOTPOSDEF;
    if (atpoint && likfailed(s->mdl.fit.loglik.current) && s->mdl.fit.npar.free > 0) {
        char of[640];
        groupsuffix(s, false, " of ", of, sizeof of);
        xpmlog(510, E510_FIT_ENDED_UNCOMPUTED, of);
        endstep(s, RC_INPUT);
        return 0;
    }
    // With no free parameter (every design column dropped as singular) the optimiser has
    // nothing to move and reports convergence: nothing was estimated, and that is no success.
    const bool noparm = s->mdl.fit.npar.free == 0;
    if (noparm) xpmlog(510, W510_MODEL_ALL_SINGULAR, s->mdl.fit.fitcrit.singular);
    s->mdl.fit.itprflag.converged = s->mdl.fit.optrc == NR_CONVERGED && !noparm;
    if (!s->mdl.fit.itprflag.converged) s->mdl.fit.lrflags[LR_PARMS] = 0;
    // An evaluation that failed at the estimates stored minus the largest double: the fit
    // has no log-likelihood to show (510/1955 or 510/63 says so with the status).
    s->mdl.fit.loglik.final = likfailed(s->mdl.fit.loglik.current) ? missing() : s->mdl.fit.loglik.current;
    return 0;
}
