// Covariance of the estimates, convergence status and Lagrange statistics of one fit.
#include <cmath>
#include <cstring>

#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/msg510.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/optimizer.h"
#include "proc/numeric/quantiles.h"

using namespace fitx;

namespace {

// One row of the status table: the status, the message logged, and the table texts
// without class levels and failure modes, with failure modes, with class levels, with both.
struct statusrow {
    uint32_t status;
    int logged;
    int code[4];
};
constexpr statusrow kConverged = {0, N510_CONVERGED,
                                  {T510_CONVERGED, T510_CONVERGED_MODE, T510_CONVERGED_GROUP, T510_CONVERGED_MODE_GROUP}};
constexpr statusrow kNotConverged = {2, W510_GRADIENT_CRITERION,
                                     {W510_GRADIENT_CRITERION, T510_GRADIENT_CRITERION_MODE, T510_GRADIENT_CRITERION_GROUP,
                                      T510_GRADIENT_CRITERION_MODE_GROUP}};
// The relative gradient could not be formed (a gradient or Hessian that is not finite).
constexpr statusrow kNoCriterion = {2, W510_NO_GRADIENT_CRITERION,
                                    {T510_NO_GRADIENT_CRITERION, T510_NO_GRADIENT_CRITERION_MODE,
                                     T510_NO_GRADIENT_CRITERION_GROUP, T510_NO_GRADIENT_CRITERION_MODE_GROUP}};
// The data have no maximum-likelihood estimate (every observation is consistent with one value).
constexpr statusrow kNoEstimate = {1, W510_ML_NO_ESTIMATE,
                                   {T510_NO_ESTIMATE, T510_NO_ESTIMATE_MODE, T510_NO_ESTIMATE_GROUP, T510_NO_ESTIMATE_MODE_GROUP}};
// No finite Newton step, and no step along the gradient gained: the point reached, with its
// log-likelihood, but no covariance.
constexpr statusrow kNoCurvature = {1, W510_ML_NO_CURVATURE,
                                    {T510_NO_CURVATURE, T510_NOT_CONVERGED_MODE, T510_NO_CURVATURE_GROUP, T510_NOT_CONVERGED_MODE}};
constexpr statusrow kByOptimiser[] = {
    // 1: iteration limit
    {2, W510_ML_NOT_CONVERGED, {W510_ML_NOT_CONVERGED, T510_NOT_CONVERGED_MODE, T510_NOT_CONVERGED_GROUP, T510_NOT_CONVERGED_MODE}},
    // 3: ridging failed
    {1, W510_ML_RIDGE_FAILED, {W510_ML_RIDGE_FAILED, T510_NOT_CONVERGED_MODE, T510_RIDGE_FAILED_GROUP, T510_NOT_CONVERGED_MODE}},
    // 4: Hessian not positive definite
    {1, W510_ML_NOT_POSDEF, {W510_ML_NOT_POSDEF, T510_NOT_CONVERGED_MODE, T510_NOT_POSDEF_GROUP, T510_NOT_CONVERGED_MODE}},
    // 5: infeasible start
    {3, W510_ML_BAD_START, {W510_ML_BAD_START, T510_NOT_CONVERGED_MODE, T510_BAD_START_GROUP, T510_NOT_CONVERGED_MODE}},
    // anything else
    {3, W510_ML_LIKE_FAILED, {W510_ML_LIKE_FAILED, T510_NOT_CONVERGED_MODE, T510_LIKE_FAILED_GROUP, T510_NOT_CONVERGED_MODE}},
};

const statusrow& rowfor(int optrc, double crit, double convh) {
    switch (optrc) {
        // A measure that is not a finite number is no proof of convergence, and no measure
        // to quote.
        case NR_CONVERGED: return !std::isfinite(crit) ? kNoCriterion : crit <= convh ? kConverged : kNotConverged;
        case NR_NOCONV: return kByOptimiser[0];
        case NR_RIDGEFAIL: return kByOptimiser[1];
        case NR_NOTPOSDEF: return kByOptimiser[2];
        case NR_INFEASIBLE: return kByOptimiser[3];
        case NR_NOESTIMATE: return kNoEstimate;
        case NR_NOCURVE: return kNoCurvature;
        default: return kByOptimiser[4];
    }
}

// The reason text of the status table for the table code.
txthandle reasontext(vyxstate* s, int code, double crit) {
    const msgarg label = txtarg(s->row.grplabel, s->row.grplablen);
    const fmodesettings& fm = s->groups.fmodeset;
    const int cur = fm.curmode;
    const msgarg mode = fm.vals && fm.lens ? txtarg(fm.vals[cur], fm.lens[cur]) : txtarg("", 0);
    const double convh = s->life.fit.fitcrit.convh, ridge = s->life.fit.fitcrit.ridge;
    switch (code) {
        case T510_CONVERGED_GROUP:
        case T510_NOT_POSDEF_GROUP:
        case T510_LIKE_FAILED_GROUP:
        case T510_BAD_START_GROUP:
        case T510_NO_CURVATURE_GROUP:
        case T510_NO_GRADIENT_CRITERION_GROUP:
        case T510_NO_ESTIMATE_GROUP: return rdxmsgs(510, code, label);
        case T510_CONVERGED_MODE:
        case T510_NOT_CONVERGED_MODE:
        case T510_NO_GRADIENT_CRITERION_MODE:
        case T510_NO_ESTIMATE_MODE: return rdxmsgs(510, code, mode);
        case T510_CONVERGED_MODE_GROUP:
        case T510_NO_GRADIENT_CRITERION_MODE_GROUP:
        case T510_NO_ESTIMATE_MODE_GROUP: return rdxmsgs(510, code, mode, label);
        case W510_GRADIENT_CRITERION: return rdxmsgs(510, code, crit, convh);
        case T510_GRADIENT_CRITERION_GROUP: return rdxmsgs(510, code, crit, convh, label);
        case T510_GRADIENT_CRITERION_MODE: return rdxmsgs(510, code, crit, convh, mode);
        case T510_GRADIENT_CRITERION_MODE_GROUP: return rdxmsgs(510, code, crit, convh, mode, label);
        case W510_ML_NOT_CONVERGED: return rdxmsgs(510, code, s->life.fit.maxiter);
        case T510_NOT_CONVERGED_GROUP: return rdxmsgs(510, code, s->life.fit.maxiter, label);
        case W510_ML_RIDGE_FAILED: return rdxmsgs(510, code, ridge);
        case T510_RIDGE_FAILED_GROUP: return rdxmsgs(510, code, ridge, label);
        // T510_CONVERGED, W510_ML_NOT_POSDEF, W510_ML_LIKE_FAILED, W510_ML_BAD_START,
        // T510_NO_GRADIENT_CRITERION, T510_NO_ESTIMATE, T510_NO_CURVATURE
        default: return rdxmsg(510, code);
    }
}

void statustable(vyxstate* s, const statusrow& row, double crit) {
    tabpair& tab = s->out.tabs[TAB_CONVSTATUS];
    if (!bindtable(s, tab, "KV.Vitalyx.ConvergenceStatus")) return;
    const int variant = (s->groups.nclass > 0 ? 2 : 0) + (s->popt.pflags.fmcombine ? 1 : 0);
    s->row.convmsg = reasontext(s, row.code[variant], crit);
    if (!addrow(s, tab.obj)) return;
    const bool more = s->groups.nclass > 0 || s->popt.pflags.fmcombine;
    if (!endrows(s, tab.obj, lastrows(s), more)) return;
    publish(s, tab.tabid);
}

// The optimiser stopped where the Hessian is no covariance: a failed evaluation, a ridge that
// could not make it positive definite, a Hessian not positive definite at the end, or no start.
bool notposdef(int optrc) { return optrc != NR_CONVERGED && optrc != NR_NOCONV; }

// The maximum-likelihood path: sweep the bordered Hessian, then the status. true when the
// swept matrix is the covariance of the estimated parameters (positive definite Hessian).
bool mlstatus(vyxstate* s) {
    const int n = s->life.fit.npar.total;
    double* h = s->life.fit.fitarr.hess;
    const double* g = s->life.fit.fitarr.grad;
    double* work = s->life.fit.fitarr.work;
    double* tol = work + (n + 1);
    char* status = reinterpret_cast<char*>(tol + n);
    for (int i = 0; i <= n; ++i) status[i] = '0';
    for (int i = 0; i < n; ++i) {
        h[zisub(n, i)] = g[i];
        const double d = h[zisub(i, i)];
        tol[i] = d > 0.0 ? s->life.fit.fitcrit.singular * d : 1.0;
    }
    bool posdef = !notposdef(s->life.fit.optrc);
    for (int i = 0; i < n; ++i) {
        if (s->life.parmfree[i] != '1') continue;
        zsweep(h, i, n + 1, status, work, tol[i]);
        if (status[i] == '0') h[zisub(i, i)] = 0.0;
        // A singular pivot, or a variance that is not a positive number: no covariance.
        const double v = h[zisub(i, i)];
        if (status[i] == '0' || !(v > 0.0 && v < INFINITY)) posdef = false;
    }
    const double ll = s->life.fit.loglik.current;
    const double crit = likfailed(ll) ? missing() : -h[zisub(n, n)] / (ll == 0.0 ? 1.0 : std::fabs(ll));
    const statusrow& row = rowfor(s->life.fit.optrc, crit, s->life.fit.fitcrit.convh);
    s->life.fit.itstatus[ITS_STATUS] = row.status;
    // Every line names the class level and BY group of the fit, when there are any.
    char of[640], fr[640];
    groupsuffix(s, true, " of ", of, sizeof of);
    groupsuffix(s, true, " for ", fr, sizeof fr);
    switch (row.logged) {
        case W510_GRADIENT_CRITERION: xpmlog(510, W510_GRADIENT_CRITERION, crit, s->life.fit.fitcrit.convh, of); break;
        case W510_ML_NOT_CONVERGED: xpmlog(510, W510_ML_NOT_CONVERGED, s->life.fit.maxiter, of); break;
        case W510_ML_RIDGE_FAILED: xpmlog(510, W510_ML_RIDGE_FAILED, s->life.fit.fitcrit.ridge, of); break;
        case N510_CONVERGED: xpmlog(510, N510_CONVERGED, fr); break;
        default: xpmlog(510, row.logged, of); break;   // the other failures and W510_NO_GRADIENT_CRITERION
    }
    // The log-likelihood shows missing where it could not be computed; 510/63 says so itself.
    if (likfailed(ll) && row.logged != W510_ML_LIKE_FAILED) xpmlog(510, W510_LOGLIK_MISSING, of);
    // (No estimate: 510/2140 has said what the estimates are worth.)
    if (s->life.fit.itprflag.converged != 1 && s->life.fit.optrc != NR_NOESTIMATE) xpmlog(510, W510_ML_CRITERION_NOT_MET, of);
    statustable(s, row, crit);
    if (s->step.stepend) return posdef;

    // Lagrange statistics of held parameters, from the diagonal adjusted for the estimated ones.
    auto lagrange = [&](int i) {
        const double d = h[zisub(i, i)];
        return d > 0.0 ? g[i] / std::sqrt(d) : missing();
    };
    if (s->life.parmfree[GP_LOC] == 'C') s->life.lagstat[GP_LOC] = lagrange(GP_LOC);
    if (n > 1 && s->life.parmfree[GP_SCALE] == 'C') s->life.lagstat[GP_SCALE] = lagrange(GP_SCALE);
    return posdef;
}

// FIT=MODEL: the variances of the group's location and of its scale, and their covariance,
// from the covariance of the MODEL fit: X V X' with X the derivatives of the location and of
// the scale in the MODEL parameters. Without a design row the three entries are missing.
void modelcov(vyxstate* s) {
    const int m = s->mdl.fit.npar.model;
    double* x = s->life.fit.fitarr.work;
    if (m < 1 || !s->mdl.estarr[EA_COV] || !modeldesign(s, x, m)) {
        for (int k = 0; k < 3; ++k) s->life.fit.fitarr.hess[k] = missing();
        return;
    }
    // estarr[EA_COV]: the packed covariance of the MODEL fit, order m.
    zqform(s->mdl.estarr[EA_COV], m, x, 2, s->life.fit.fitarr.hess, x + 2 * m, 0);
}

}  // namespace

void zerosym(double* a, int i, int n) {
    if (n < 1) return;
    for (int k = 0; k <= i; ++k) a[zisub(i, k)] = 0.0;
    for (int k = i + 1; k < n; ++k) a[zisub(k, i)] = 0.0;
}

void misssym(double* a, int i, int n) {
    if (n < 1) return;
    for (int k = 0; k <= i; ++k) a[zisub(i, k)] = missing();
    for (int k = i + 1; k < n; ++k) a[zisub(k, i)] = missing();
}

void vyxcov(vyxstate* s) {
    const int n = s->life.fit.npar.total;
    double* h = s->life.fit.fitarr.hess;
    h[zisub(n, n)] = 0.0;
    bool posdef = true;
    if (s->work.fitmethod == FIT_MLE) {
        posdef = mlstatus(s);
        if (s->step.stepend) return;
    } else if (bymodel(s)) {
        modelcov(s);
    }
    // Where the Hessian is not positive definite the estimated parameters have no variance:
    // their standard errors and covariances are missing (a 0 would claim certainty), and so
    // are every limit and standard error formed from them. Held parameters have none (0).
    const auto pv = parmview(s->life.parmvec.block, n);
    if (!posdef)
        for (int i = 0; i < n; ++i)
            if (s->life.parmfree[i] == '1') misssym(h, i, n);
    for (int i = 0; i < n; ++i) {
        const double d = h[zisub(i, i)];
        if (s->life.parmfree[i] == '1' && !posdef) {
            pv.se[i] = missing();
        } else if (s->life.parmfree[i] == '1' && d > 0.0) {
            pv.se[i] = std::sqrt(d);
        } else {
            pv.se[i] = 0.0;
            zerosym(h, i, n);
        }
    }
    std::memcpy(pv.cov, h, sizeof(double) * static_cast<size_t>(n * (n + 1) / 2));
}
