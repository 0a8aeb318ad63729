// The maximum-likelihood fit of one group: Newton-Raphson with ridging in (t, sigma),
// t the group's centring percentile, then the conversion to (mu, sigma).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "proc/framework/pools.h"
#include "proc/framework/msg510.h"
#include "proc/framework/msg0.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/stepend.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/optimizer.h"

using namespace fitx;

namespace {

constexpr double SMALL_PARM = 0.0078125;   // below it a parameter's change is judged absolutely

// Lays out the fit arrays of n parameters from the statement's work pool: the packed
// Hessian with room for a border row, the gradient, the estimates, two spare vectors,
// then the work array of the optimiser and of the covariance sweep. false when out of memory.
bool layfitarrays(vyxstate* s, int n, int nfree) {
    nrctl ctl{};
    ctl.npar = nfree;
    const long tri = static_cast<long>(n + 1) * (n + 2) / 2;
    // The MODEL path of the covariance forms two design vectors of the MODEL fit's order here.
    const long work = std::max(znewrap_worksize(&ctl) + 4L * n + 8, 3L * s->mdl.fit.npar.model + 8);
    const long total = tri + 4L * (n + 1) + work;
    const int64_t bytes = total * static_cast<int64_t>(sizeof(double));
    auto* block = static_cast<double*>(poolbytes(s->pools.workpool, bytes, poolflag::zeroed));
    if (!block) {
        xmemmsg(bytes);
        endstep(s, RC_NOMEM);
        return false;
    }
    s->life.fit.fitarr.hess = block;
    s->life.fit.fitarr.grad = block + tri;
    s->life.fit.fitarr.est = s->life.fit.fitarr.grad + (n + 1);
    s->life.fit.fitarr.work = s->life.fit.fitarr.est + 3L * (n + 1);   // work, after the two spare vectors
    return true;
}
// The optimiser's codes that leave the estimates at a point it reached.
bool claimspoint(int optrc) { return optrc == NR_CONVERGED || optrc == NR_NOCONV || optrc == NR_NOTPOSDEF; }

double* spare1(vyxstate* s) { return s->life.fit.fitarr.est + (s->life.fit.npar.total + 1); }
double* spare2(vyxstate* s) { return s->life.fit.fitarr.est + 2 * (s->life.fit.npar.total + 1); }

// The gradient and Hessian matrix table ("PGradHess" in (t, sigma), "GradHess" in (mu, sigma)).
void gradhesstable(vyxstate* s, bool percentile) {
    const grpnode* g = s->groups.curfit;
    const int n = s->life.fit.npar.total;
    char pct[64];
    std::snprintf(pct, sizeof pct, "%-6g%% Percentile", 100.0 * g->prob);
    txthandle first = percentile ? rdxtxt(pct, -1) : rdxtxt("Location", -1);
    txthandle names[5] = {rdxtxt("Parameter", -1), rdxtxt("Gradient", -1), first, rdxtxt("Scale", -1), nullptr};
    txthandle* colnames = names + 2;
    const char* path = percentile ? "KV.Vitalyx.PGradHess" : "KV.Vitalyx.GradHess";
    const char* name = percentile ? "PGradHess" : "GradHess";
    char pcttext[32];
    const int pctlen = std::snprintf(pcttext, sizeof pcttext, "%g", 100.0 * g->prob);
    txthandle title = percentile ? rdxmsgs(510, T510_GRADIENT_HESSIAN_PCT, txtarg(pcttext, pctlen)) : rdxmsg(510, T510_GRADIENT_HESSIAN_AT);
    txthandle label = percentile ? rdxmsg(0, T0_LAST_EVAL_GRADIENT_HESSIAN) : rdxmsg(0, T0_LAST_GRADIENT_HESSIAN);
    wobitem it[] = {obtext(OBK_TEMPLATE, pathtext(path)),
                    obtext(OBK_NAME, rdxtxt(name, -1)),
                    obptr(OBK_MACCESSOR, OBT_ROUTINE, reinterpret_cast<void*>(&DMatElem)),
                    obptr(OBK_MCONTEXT, OBT_VARPTR, s),
                    obint(OBK_MROWS, n + 2),
                    obint(OBK_MCOLS, n),
                    obstr(OBK_MFORM, "fb", 2),
                    obptr(OBK_MROWNAMES, OBT_SLOT, names),
                    obptr(OBK_MCOLNAMES, OBT_SLOT, colnames),
                    obint(OBK_LAYOUT, 1),
                    obchar(OBK_MSEPARATOR, ';'),
                    obint(OBK_MHEADINGS, 1),
                    obtext(OBK_TITLE, title),
                    obtext(OBK_LABEL, label)};
    obok(s, wobmth(s->out.outmgr, nullptr, OB_MATRIX, 14, it));
}

}  // namespace

nrctl newtonsettings(const fitwork& fit) {
    nrctl ctl{};
    ctl.npar = fit.npar.free;
    ctl.maxiter = fit.maxiter;
    ctl.firstok = 1;
    ctl.singtol = fit.fitcrit.singular;
    ctl.ridgemax = 4096.0;
    ctl.ridgeinit = 0.0625;
    ctl.ridgegrow = 16.0;
    return ctl;
}

nrparm newtonarrays(const fitwork& fit, double* x, double* scratch, double* xprev) {
    nrparm blk{};
    blk.work = fit.fitarr.work;
    blk.hess = fit.fitarr.hess;
    blk.grad = fit.fitarr.grad;
    blk.scratch = scratch;
    blk.xprev = xprev;
    blk.x = x;
    return blk;
}

double fentry(void* ctx) {
    auto* s = static_cast<vyxstate*>(ctx);
    ++s->life.fit.fitcrit.neval;
    vyxlik(s, 0);
    return -s->life.fit.loglik.current;
}

int gentry(void* ctx) { return vyxlik(static_cast<vyxstate*>(ctx), 1); }

void itprint(vyxstate* s) {
    const int n = s->life.fit.npar.total;
    double* x = s->life.fit.fitarr.est;
    const double z = s->groups.curfit->quant;
    const bool reorder = !allfree(s);
    if (reorder) vyxxpm(x, s->life.parmfree, n, nullptr);
    double* row = s->life.fit.itrow;
    row[IH_ITER] = static_cast<double>(s->life.fit.itstatus[ITS_ITER]++);
    row[IH_RIDGE] = s->life.fit.fitcrit.ridge;
    row[IH_LOGLIK] = likfailed(s->life.fit.loglik.current) ? missing() : s->life.fit.loglik.current;   // a failed evaluation shows missing
    for (int j = 0; j < n; ++j) row[IH_PARMS + j] = x[j];
    row[IH_PARMS] = x[0] - z * x[1];
    if (reorder) vyxxpm(x, s->life.parmfree, n, nullptr);
}

int centry(void* ctx) {
    auto* s = static_cast<vyxstate*>(ctx);
    ++s->life.fit.fitcrit.niter;
    if (s->life.fit.itprflag.itprint) {
        itprint(s);
        if (!addrow(s, s->out.tabs[TAB_ITERPARMS].obj)) return 0;
    }
    const double* x = s->life.fit.fitarr.est;
    const double* prev = static_cast<nrparm*>(s->life.fit.optctl)->xprev;
    for (int i = s->life.fit.npar.free - 1; i >= 0; --i) {
        const double d = std::fabs(x[i] - prev[i]);
        const double change = std::fabs(x[i]) < SMALL_PARM ? d : std::fabs(d / x[i]);
        // A change that is not a number is no sign of convergence.
        if (!(change <= s->life.fit.fitcrit.converge)) return 1;
    }
    return 0;
}

double DMatElem(void* ctx, int row, int col) {
    auto* s = static_cast<vyxstate*>(ctx);
    if (row == 0) return s->life.parmvec.block[col];
    if (row == 1) return s->life.fit.fitarr.grad[col];
    return s->life.fit.fitarr.hess[zisub(row - 2, col)];
}

int vyxfit(vyxstate* s, grpnode* g) {
    s->groups.curfit = g;
    g->noest = 0;
    s->life.likcache.valid = 0;
    const int n = s->life.fit.npar.total;
    s->life.fit.npar.free = countfree(s);
    double* pv = s->life.parmvec.block;
    for (int i = 0; i < n; ++i) pv[i] = nodeparm(g, i);

    if (s->life.fit.npar.free == 0) {
        s->work.noconf = 1;
        return 0;
    }
    if (s->work.fitmethod == FIT_LSYX || s->work.fitmethod == FIT_WEIBAYES || s->work.fitmethod == FIT_LSXY) return 0;
    if (!layfitarrays(s, n, s->life.fit.npar.free)) return 0;
    if (bymodel(s)) return 0;

    double* x = s->life.fit.fitarr.est;
    for (int i = 0; i < n; ++i) x[i] = nodeparm(g, i);
    nrctl ctl = newtonsettings(s->life.fit);
    nrparm blk = newtonarrays(s->life.fit, x, spare2(s), spare1(s));
    s->life.fit.optctl = &blk;
    s->life.fit.fitcrit.ridge = 0.0;
    s->life.fit.fitcrit.niter = 0;
    s->life.fit.fitcrit.neval = 0;
    const bool reorder = !allfree(s);
    if (reorder) vyxxpm(x, s->life.parmfree, n, nullptr);

    tabpair& hist = s->out.tabs[TAB_ITERPARMS];
    if (s->life.fit.itprflag.itprint) {
        s->life.fit.itstatus[ITS_ITER] = 0;
        vyxlik(s, 0);
        if (!bindtable(s, hist, "Kv.Vitalyx.Ithist")) return 0;
        itprint(s);
        if (!addrow(s, hist.obj)) return 0;
    }

    s->life.fit.optrc = znewrap(s, &blk, &ctl, &s->life.fit.fitcrit.ridge, fentry, gentry, centry);
    s->life.fit.optctl = nullptr;
    if (s->step.stepend) return 0;
    // Data without a maximum: wherever the optimiser stopped (a tiny scale it took for
    // converged, a Hessian not positive definite or nearly singular), there is no estimate.
    if (noestimate(s, g)) s->life.fit.optrc = NR_NOESTIMATE;
    g->noest = s->life.fit.optrc == NR_NOESTIMATE;
    s->life.fit.itprflag.converged = s->life.fit.optrc == NR_CONVERGED;

    if (s->life.fit.itprflag.itprint) {
        const bool more = s->groups.nclass > 0 || s->popt.pflags.fmcombine;
        if (!endrows(s, hist.obj, lastrows(s), more) || !publish(s, hist.tabid)) return 0;
    }
    // A fit that stopped, by the optimiser's word at a point (converged, out of iterations, or
    // at a Hessian not positive definite), where the log-likelihood cannot be computed has
    // found nothing: a start that the value kernels refuse, from which no step could be
    // measured. The step ends, as where a derivative cannot be computed, and no estimate is
    // printed as found. (A fit the optimiser reports as failed says so itself, 510/63.)
    if (claimspoint(s->life.fit.optrc) && likfailed(s->life.fit.loglik.current)) {
        char of[640];
        groupsuffix(s, true, " of ", of, sizeof of);
        xpmlog(510, E510_FIT_ENDED_UNCOMPUTED, of);
        endstep(s, RC_INPUT);
        return 0;
    }
    if (reorder) {
        vyxxpm(x, s->life.parmfree, n, nullptr);
        vyxxpm(s->life.fit.fitarr.grad, s->life.parmfree, n, s->life.fit.fitarr.hess);
    }
    for (int i = 0; i < n; ++i) pv[i] = x[i];
    if (s->life.fit.itprflag.itprint && !s->work.tblflags[TF_LAGRANGE]) {
        gradhesstable(s, true);
        if (s->step.stepend) return 0;
    }

    // (t, sigma) to (mu, sigma): mu = t - z sigma; the gradient and Hessian by the chain rule.
    const double z = g->quant;
    double* gr = s->life.fit.fitarr.grad;
    double* h = s->life.fit.fitarr.hess;
    pv[0] = x[0] - z * x[1];
    gr[1] = gr[0] * z + gr[1];
    const double h1 = h[1];
    h[1] = h[0] * z + h1;
    h[2] = 2.0 * z * h1 + z * z * h[0] + h[2];
    if (s->life.fit.itprflag.itprint) {
        gradhesstable(s, false);
        if (s->step.stepend) return 0;
    }
    g->loglik = s->life.fit.loglik.current;
    for (int i = 0; i < n; ++i) nodeparm(g, i) = pv[i];
    return 0;
}
