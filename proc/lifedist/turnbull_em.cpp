// EM iterations of the Turnbull masses over the runs of intervals.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/npout.h"
#include "proc/lifedist/turnbull.h"

namespace {
constexpr double E = 1000 * 1.110223024625157e-16;
constexpr double TINY = 1.110223024625157e-16;
}  // namespace

// One iteration: D = the mass over an observation's run (a difference of prefix sums),
// ll = -W ln W + sum w ln D, the gradient g_k = sum over the runs through k of w/D (a
// difference array), and the new masses p_k g_k. Prefix and difference sums are kept in
// long double, so a run's mass keeps its digits when the masses before it are large.
int emiter(vyxstate* s, grpnode* g, const emruns* runs) {
    const int32_t m = g->nturn;
    const double W = g->totw;
    double* p = g->emtab + EMT_CUM * m;
    double* grad = g->emtab + EMT_GRAD * m;
    double* next = g->emtab + EMT_MULT * m;
    double* hist = g->emtab + EMT_SE * m;
    double* start = g->emtab + EMT_LOWER * m;
    auto* prefix = static_cast<long double*>(vmalcp_handler(s->workpool, (m + 1) * int64_t(sizeof(long double)), 0x2004));
    auto* diff = static_cast<long double*>(vmalcp_handler(s->workpool, (m + 1) * int64_t(sizeof(long double)), 0x2004));
    if (!prefix || !diff) {
        xmemmsg(2 * (m + 1) * int64_t(sizeof(long double)));
        xexit(RC_NOMEM, 0);
        return 0;
    }
    const bool history = s->emflags[EMF_ITPRINTEM] != 0;
    const int32_t maxit = s->emmaxit[EM_MAXIT];
    const int32_t step = s->emmaxit[EM_HISTSTEP];
    const double tol = s->itopts[IT_TOLLIKE];
    const double llstart = W > 0 ? -W * std::log(W) : 0.0;
    int converged = 0;
    double ll = 0, prev = 0;
    s->itstatus[0] = 0;
    for (int32_t it = 0; it <= maxit; ++it) {
        long double run = 0;
        prefix[0] = 0;
        for (int32_t k = 0; k < m; ++k) {
            grad[k] = next[k] = 0;
            start[k] = p[k];
            run += p[k];
            prefix[k + 1] = run;
            diff[k] = 0;
        }
        diff[m] = 0;
        prev = ll;
        ll = llstart;
        bool stopped = false;
        for (int32_t r = 0; r < runs->ngroups; ++r) {
            const int32_t lo = runs->lo[r], hi = runs->hi[r];
            const double D = lo <= hi ? static_cast<double>(prefix[hi + 1] - prefix[lo]) : 0.0;
            // Almost no mass on the observation's intervals (or no number at all): stop.
            if (!(D >= TINY)) {
                stopped = true;
                break;
            }
            const double w = runs->w[r];
            ll += w * std::log(D);
            diff[lo] += w / D;
            diff[hi + 1] -= w / D;
        }
        run = 0;
        for (int32_t k = 0; k < m; ++k) {
            run += diff[k];
            grad[k] = static_cast<double>(run);
            next[k] = p[k] * grad[k];
        }
        if (stopped) break;
        for (int32_t k = 0; k < m; ++k) p[k] = next[k];
        if (it >= 1 && std::fabs(ll - prev) < tol) converged = 1;
        s->itstatus[0] = static_cast<uint32_t>(it);
        if (history) {
            s->loglik[0] = ll;
            for (int32_t k = 0; k < m; ++k) hist[k] = start[k] / W;
            if ((converged || std::fmod(double(it), double(step)) < E) && s->curtab)
                if (!npout::addrow(s->curtab)) break;
        }
        if (converged) break;
    }
    for (int32_t k = 0; k < m; ++k) {
        grad[k] *= W;
        p[k] = start[k];
    }
    s->loglik[0] = ll;
    return converged;
}
