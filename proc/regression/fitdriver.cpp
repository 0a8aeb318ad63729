// The maximum-likelihood fit of a MODEL statement: the arrays of the fit, the starting values,
// the iteration history (ITPRINT) and the Newton-Raphson optimiser with its three callbacks.
#include <cmath>
#include <cstring>

#include "proc/framework/expect.h"
#include "proc/framework/pools.h"
#include "proc/lifedist/lifedist.h"
#include "proc/lifedist/mlfit.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/optimizer.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/model.h"
#include "proc/regression/mtable.h"

using namespace mfit;

mdlcounts mdlsizes(const vyxstate* s) {
    mdlcounts c{};
    c.ncol = s->mdllay->ncol;
    c.nls = s->pflags.haslogscl ? s->mdllay->nls : 0;
    c.ntot = c.ncol + c.nls;
    c.ndist = s->ndistp;
    c.p = s->pflags.haslogscl ? c.ntot + c.ndist - 1 : c.ncol + c.ndist;
    return c;
}

namespace {

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
    if (!take(s->bypool, T + 4 * M + (M + 1) / 2 + 1, poolflag::raw, &hb)) return false;
    s->fitarr[2] = hb;
    s->fitarr[1] = hb + T;
    s->fitarr[0] = hb + T + M;
    s->estarr[0] = hb + T + 2 * M;
    s->estarr[1] = hb + T + 3 * M;
    s->parmmap = reinterpret_cast<int32_t*>(hb + T + 4 * M);
    if (!take(s->bypool, M, poolflag::raw_marked, &s->parmstat)) return false;
    double* work;
    if (!take(s->stmtpool, M * M + T + 5 * M + (M + 1) / 2 + 1, poolflag::zeroed, &work)) return false;
    s->fitarr[3] = work;
    s->estfit = work + T;
    s->stderrs = work + T + M;
    txthandle* names;
    if (!take(s->stmtpool, p, poolflag::zeroed, &names)) return false;
    s->parmnames = names;
    if (!take(s->bypool, M, poolflag::raw, &s->estdata)) return false;
    if (!take(s->bypool, 3 * M + T, poolflag::raw, &s->covsave)) return false;
    s->estarr[2] = s->covsave;
    // The extended-precision sums of the derivative pass: gradient and packed Hessian.
    if (!take(s->stmtpool, M + T, poolflag::raw, &s->liksum)) return false;
    if (!take(s->stmtpool, M + T, poolflag::raw, &s->likpart)) return false;
    if (!take(s->stmtpool, 2 * M + T, poolflag::raw, &s->mlikcache)) return false;
    s->mlikcached = 0;
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
    ++s->fitcrit.neval;
    vyxmlik(s, MLIK_BOTH);
    return -s->loglik[0];
}

int gentry(void* ctx) { return vyxmderiv(static_cast<vyxstate*>(ctx)); }

int centry(void* ctx) {
    auto* s = static_cast<vyxstate*>(ctx);
    ++s->fitcrit.niter;
    if (s->itprflag[0]) mitprnt(s);
    if (s->stepend) return 0;
    const double* x = s->fitarr[0];
    const double* prev = static_cast<nrparm*>(s->optctl)->xprev;
    for (int i = s->npar[1] - 1; i >= 0; --i) {
        const double d = std::fabs(x[i] - prev[i]);
        const double change = std::fabs(x[i]) >= SMALL_PARM || std::isnan(x[i]) ? std::fabs(d / x[i]) : d;
        // A change that is not a number is no sign of convergence.
        if (!(change <= s->fitcrit.converge)) return 1;
    }
    return 0;
}

}  // namespace mdl

void mitprnt(vyxstate* s) { histrow(s, s->itstatus[0]++, s->fitcrit.ridge); }

void histrow(vyxstate* s, double cell0, double cell1) {
    if (s->stepend) return;
    const mdlcounts n = mdlsizes(s);
    double* b = s->fitarr[0];
    const bool packed = n.p != s->npar[1];
    if (packed) vyxxpm(b, s->parmstat, n.p, nullptr);
    double* row = s->itrow;
    row[0] = cell0;
    row[1] = cell1;
    row[2] = likfailed(s->loglik[0]) ? missing() : s->loglik[0];   // a failed evaluation shows missing
    for (int j = 0; j < n.p; ++j) row[3 + j] = b[j];
    // The model's intercept and slopes on the scale of the data.
    auto block = [&](int first, int last, bool fixed) {
        double c0 = b[first];
        for (int j = first + 1; j < last; ++j) {
            row[3 + j] = b[j] / scale(s, j);
            if (!fixed) c0 -= b[j] * centre(s, j) / scale(s, j);
        }
        row[3 + first] = c0;
    };
    block(0, n.ncol, s->intfix);
    if (!s->intfix && !s->pflags.haslogscl && n.ndist > 0) row[3] -= s->shiftq * b[n.ncol];
    if (s->pflags.haslogscl) block(n.ncol, n.ntot, s->lsintfix);
    if (packed) vyxxpm(b, s->parmstat, n.p, nullptr);
    mtable t(s);
    t.call(s->curtab, OB_ADDROW, 0, nullptr);
}

void setupit(vyxstate* s, int label, txthandle name) {
    mtable t(s);
    if (!t.create(nullptr, name, rdxmsg(0, label))) return;
    t.coldouble("Iter", &s->itrow[0]);
    t.coldouble("Ridge", &s->itrow[1]);
    t.coldouble("Loglike", &s->itrow[2]);
    const auto* names = static_cast<txthandle*>(s->parmnames);
    for (int i = 0; i < s->npar[0]; ++i)
        if (s->parmmap[i] >= 0) t.coldouble(names[s->parmmap[i]], &s->itrow[3 + i], "value");
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
    const int n = s->npar[1], p = s->npar[0];
    if (n < 1) return;
    double* x = s->fitarr[0];
    double* g = s->fitarr[1];
    double* H = s->fitarr[2];
    // Room in the optimiser's work array, unused after it returned.
    double* work = s->fitarr[3];
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
        const double before = s->loglik[0];
        for (int i = 0; i < n; ++i) x[i] += d[i];
        vyxmlik(s, MLIK_BOTH);
        vyxmderiv(s);
        if (s->stepend) return;
        double nextdec = 0.0;
        const bool ok = s->loglik[0] >= before - 64.0 * EPS53 * std::fabs(before) &&
                        newtonstep(H, g, n, d, work, &nextdec) && nextdec < dec;
        if (!ok) {
            std::memcpy(x, keepx, sizeof(double) * static_cast<size_t>(p));
            std::memcpy(g, keepg, sizeof(double) * static_cast<size_t>(p));
            std::memcpy(H, keepH, sizeof(double) * static_cast<size_t>(t));
            s->loglik[0] = before;
            return;
        }
        dec = nextdec;
    }
}

int vyxmfit(vyxstate* s) {
    VX_EXPECT(s->mdllay, "the MODEL fit follows its data pass");
    const mdlcounts n = mdlsizes(s);
    s->npar[0] = s->npar[2] = n.p;
    if (!fitarrays(s, n.p)) return 1;
    s->likfail = 0;
    s->fitcrit.ridge = 0.0;
    s->fitcrit.niter = 0;
    s->fitcrit.neval = 0;

    vyxmls(s);

    nrctl ctl = newtonsettings(s);
    nrparm blk = newtonarrays(s, s->fitarr[0], s->estarr[1], s->estarr[0]);

    if (s->itprflag[0]) {
        double* row;
        if (!take(s->stmtpool, n.p + 3, poolflag::raw, &row)) return 1;
        s->itrow = row;
        setupit(s, 200, rdxtxt("ModIterparms", 12));
        s->itstatus[0] = 0;
        vyxmlik(s, 0);
        if (!s->stepend) mitprnt(s);
        if (s->stepend) return 0;
    }

    s->optctl = &blk;
    int rc = znewrap(s, &blk, &ctl, &s->fitcrit.ridge, mdl::fentry, mdl::gentry, mdl::centry);
    s->optctl = nullptr;
    // The optimiser does not look at the gradient callback's result: a derivative pass that
    // met an unusable scale, or estimates that are not numbers, make the fit fail here.
    if ((rc == NR_CONVERGED || rc == NR_NOCONV) && (s->likfail || anynotfinite(blk.x, s->npar[1])))
        rc = NR_NOTFINITE;
    s->optrc = rc;
    if (s->stepend) return 0;
    // The log-likelihood at the estimates the optimiser leaves: its objective there, or,
    // after a failure that took the estimates back, a new evaluation.
    if (rc == NR_CONVERGED || rc == NR_NOCONV || rc == NR_NOTPOSDEF) s->loglik[0] = -blk.fval;
    else vyxmlik(s, 0);
    if (s->stepend) return 0;
    if (rc == NR_CONVERGED) polish(s);
    if (s->stepend) return 0;

    if (s->itprflag[0]) {
        mtable t(s);
        t.call(s->curtab, OB_ENDROWS, 0, nullptr);
        wobitem it[] = {obidin(s->curtabid)};
        t.call(s->outmgr, OB_PUBLISH, 1, it);
        if (s->stepend) return 0;
    }
    // With no free parameter (every design column dropped as singular) the optimiser has
    // nothing to move and reports convergence: nothing was estimated, and that is no success.
    const bool noparm = s->npar[1] == 0;
    if (noparm) xpmlog(510, 1956, s->fitcrit.singular);
    s->itprflag[1] = rc == NR_CONVERGED && !noparm;
    if (!s->itprflag[1]) s->lrflags[LR_PARMS] = 0;
    // An evaluation that failed at the estimates stored minus the largest double: the fit
    // has no log-likelihood to show (510/1955 or 510/63 says so with the status).
    s->loglik[1] = likfailed(s->loglik[0]) ? missing() : s->loglik[0];
    return 0;
}
