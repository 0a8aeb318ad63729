// Covariance of the MODEL estimates by sweeping the Hessian, the convergence status with
// its table, the score statistics of the fixed parameters and the standard errors.
#include <cmath>
#include <cstring>

#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/msg510.h"
#include "proc/framework/msg0.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/optimizer.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/regression/mtable.h"

using namespace mfit;

namespace {

// The status number, the message logged and the Reason text for the optimiser's result.
struct statusinfo {
    int32_t status;
    txthandle reason;
};

statusinfo decide(vyxstate* s, double crit) {
    const double convh = s->mdl.fit.fitcrit.convh;
    // Nothing was estimated (510/1956 says why): no convergence to report.
    if (s->mdl.fit.npar.free == 0) return {3, rdxmsg(510, T510_MODEL_ALL_SINGULAR)};
    // The lines name the BY group the MODEL is fitted to, when there are BY groups.
    char of[640], fr[640];
    groupsuffix(s, false, " of ", of, sizeof of);
    groupsuffix(s, false, " for ", fr, sizeof fr);
    switch (s->mdl.fit.optrc) {
        case NR_CONVERGED:
            // A measure that is not a finite number is no proof of convergence, and no
            // measure to quote.
            if (!std::isfinite(crit)) {
                xpmlog(510, W510_NO_GRADIENT_CRITERION, of);
                return {2, rdxmsg(510, T510_NO_GRADIENT_CRITERION)};
            }
            if (crit <= convh) {
                xpmlog(510, N510_CONVERGED, fr);
                // The text the life-distribution fits give a converged fit (label 0/710
                // names the Turnbull estimate's convergence).
                return {0, rdxmsg(510, T510_CONVERGED)};
            }
            xpmlog(510, W510_GRADIENT_CRITERION, crit, convh, of);
            return {2, rdxmsgs(510, W510_GRADIENT_CRITERION, crit, convh)};
        case NR_NOCONV:
            xpmlog(510, W510_ML_NOT_CONVERGED, s->mdl.fit.maxiter, of);
            return {2, rdxmsgs(510, W510_ML_NOT_CONVERGED, s->mdl.fit.maxiter)};
        case NR_RIDGEFAIL:
            xpmlog(510, W510_ML_RIDGE_FAILED, s->mdl.fit.fitcrit.ridge, of);
            return {1, rdxmsgs(510, W510_ML_RIDGE_FAILED, s->mdl.fit.fitcrit.ridge)};
        case NR_NOTPOSDEF:
            xpmlog(510, W510_ML_NOT_POSDEF, of);
            return {1, rdxmsg(0, T0_ALG_NOT_POSDEF)};
        case NR_INFEASIBLE:
            xpmlog(510, W510_ML_BAD_START, of);
            return {3, rdxmsg(0, T0_ALG_BAD_START)};
        case NR_NOESTIMATE:
            xpmlog(510, W510_ML_NO_ESTIMATE, of);
            return {1, rdxmsg(510, T510_NO_ESTIMATE)};
        case NR_NOCURVE:
            xpmlog(510, W510_ML_NO_CURVATURE, of);
            return {1, rdxmsg(510, T510_NO_CURVATURE)};
        default:
            xpmlog(510, W510_ML_LIKE_FAILED, of);
            return {3, rdxmsg(0, T0_ALG_LIKE_FAILED)};
    }
}

void statustable(vyxstate* s, statusinfo& info) {
    mtable t(s);
    t.create(nullptr, rdxtxt("MConvergenceStatus", 18), rdxmsg(0, T0_MODEL_CONVERGENCE_STATUS), true);
    t.colint("Status", &info.status);
    t.colhandle("Reason", &info.reason);
    t.enddef();
    t.bind("KV.Vitalyx.ConvergenceStatus");
    t.row();
    t.endrows();
    t.publish();
}

}  // namespace

double getstat(const double* v, const double* packed, int i) {
    const double d = packed[zisub(i, i)];
    return d > 0.0 ? v[i] / std::sqrt(d) : missing();
}

void vyxmcov(vyxstate* s) {
    const mdlcounts n = mdlsizes(s);
    const int p = n.p;
    double* H = s->mdl.fit.fitarr.hess;
    const double* g = s->mdl.fit.fitarr.grad;
    const long M = p + 1, T = M * (M + 1) / 2;
    double* tol = s->mdl.fit.fitarr.work + T + 2 * M;
    double* work = tol + M;
    char* st = reinterpret_cast<char*>(work + M);

    for (int j = 0; j < p; ++j) H[zisub(p, j)] = g[j];
    H[zisub(p, p)] = 0.0;
    for (int j = 0; j < p; ++j) {
        const double d = H[zisub(j, j)];
        tol[j] = d > 0.0 ? d * s->mdl.fit.fitcrit.singular : 1.0;
    }
    for (int j = 0; j <= p; ++j) st[j] = '0';
    if (s->mdl.intfix) st[0] = '*';
    // The optimiser stopped where the Hessian is no covariance (a failed evaluation, a ridge
    // that could not make it positive definite, a Hessian not positive definite at the end).
    bool posdef = s->mdl.fit.optrc == NR_CONVERGED || s->mdl.fit.optrc == NR_NOCONV;
    for (int j = 0; j < p; ++j) {
        if (s->mdl.parmstat[j] != '1') continue;
        zsweep(H, j, p + 1, st, work, tol[j]);
        if (st[j] == '0') H[zisub(j, j)] = 0.0;
        const double v = H[zisub(j, j)];
        if (st[j] == '0' || !(v > 0.0 && v < INFINITY)) posdef = false;
    }
    for (int j = 0; j < p; ++j)
        if (s->mdl.parmstat[j] == 'C' && H[zisub(j, j)] <= tol[j]) H[zisub(j, j)] = 0.0;

    const double ll = s->mdl.fit.loglik.final;
    const double crit = ismiss(ll) ? missing() : -H[zisub(p, p)] / (ll == 0.0 ? 1.0 : std::fabs(ll));
    statusinfo info = decide(s, crit);
    // The log-likelihood shows missing where it could not be computed; 510/63 says so itself.
    char of[640];
    groupsuffix(s, false, " of ", of, sizeof of);
    if (ismiss(ll) && s->mdl.fit.optrc != NR_NOTFINITE) xpmlog(510, W510_LOGLIK_MISSING, of);
    // (No estimate: 510/2140 has said what the estimates are worth.)
    if (s->mdl.fit.itprflag.converged != 1 && s->mdl.fit.npar.free > 0 && s->mdl.fit.optrc != NR_NOESTIMATE) xpmlog(510, W510_ML_CRITERION_NOT_MET, of);
    statustable(s, info);
    if (s->step.stepend) return;

    s->work.tblflags[TF_LAGRANGE] = 0;
    for (double& v : s->mdl.lagmult) v = missing();
    auto lagrange = [&](int slot, int i) {
        s->mdl.lagmult[slot] = getstat(g, H, i);
        s->work.tblflags[TF_LAGRANGE] = 1;
    };
    if (s->mdl.intfix) lagrange(LM_INTERCEPT, 0);
    if (!s->mdl.haslogscl && s->mdl.scalefix && n.ndist > 0) lagrange(LM_SCALE, n.ncol);
    const int r = s->mdl.haslogscl ? n.ntot : n.ncol + 1;
    if (s->mdl.shapefix && n.ndist > 1 && r < p) lagrange(LM_SHAPE, r);
    if (s->mdl.haslogscl && s->mdl.lsintfix) lagrange(LM_LSINTERCEPT, n.ncol);

    // Where the Hessian is not positive definite the estimated parameters have no variance:
    // their standard errors, covariances and limits are missing (a 0 would claim certainty).
    if (!posdef)
        for (int j = 0; j < p; ++j)
            if (s->mdl.parmstat[j] == '1') misssym(H, j, p);
    for (int j = 0; j < p; ++j) {
        const double d = H[zisub(j, j)];
        if (s->mdl.parmstat[j] == '1' && !posdef) {
            s->mdl.stderrs[j] = missing();
        } else if (s->mdl.parmstat[j] == '1' && d > 0.0) {
            s->mdl.stderrs[j] = std::sqrt(d);
        } else {
            s->mdl.stderrs[j] = 0.0;
            zerosym(H, j, p);
        }
    }
    const size_t bytes = sizeof(double) * static_cast<size_t>(p) * (p + 1) / 2;
    std::memcpy(s->mdl.fit.fitarr.work, H, bytes);
    std::memcpy(s->mdl.covsave, H, bytes);
}
