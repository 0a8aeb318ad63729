// EM iterations of the Turnbull masses over the runs of intervals.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/tables.h"
#include "proc/lifedist/turnbull.h"
#include "proc/numeric/lnpos.h"

namespace {

constexpr double E = 1000 * 1.110223024625157e-16;
constexpr double TINY = 1.110223024625157e-16;

// Per run: its log-likelihood term w ln D and its share w/D of the gradient; the result
// counts the runs whose mass is below TINY or not a number. One pass without branches, so
// that it vectorizes (with wider vectors where the processor has them).
__attribute__((target_clones("avx2", "default")))
int32_t runterms(const double* D, const double* w, double* term, double* share, int32_t n) {
    int32_t bad = 0;
    for (int32_t r = 0; r < n; ++r) {
        bad += !(D[r] >= TINY);
        term[r] = w[r] * lnpos(D[r]);
        share[r] = w[r] / D[r];
    }
    return bad;
}

}  // namespace

// One iteration: D = the mass over an observation's run, ll = -W ln W + sum w ln D, the
// gradient g_k = sum over the runs through k of w/D, and the new masses p_k g_k. The masses
// of the runs are differences of prefix sums kept as double-double values (so a run's mass
// keeps its digits however large the masses before it); the gradient comes from a
// difference array over the runs.
int emiter(vyxstate* s, grpnode* g, const emruns* runs) {
    const int32_t m = g->nturn;
    const int32_t G = runs->ngroups;
    const double W = g->totw;
    double* p = g->emtab + EMT_CUM * m;
    double* grad = g->emtab + EMT_GRAD * m;
    double* next = g->emtab + EMT_MULT * m;
    double* hist = g->emtab + EMT_SE * m;
    double* start = g->emtab + EMT_LOWER * m;
    const int64_t doubles = 3 * (int64_t(m) + 1) + 3 * int64_t(G);
    const int64_t bytes = doubles * 8;
    auto* work = static_cast<double*>(vmalcp_handler(s->workpool, bytes, 0x2004));
    if (!work) {
        xmemmsg(bytes);
        xexit(RC_NOMEM, 0);
        return 0;
    }
    double* ph = work;               // prefix sums of the masses, high part
    double* pl = ph + (m + 1);       // and low part
    double* diff = pl + (m + 1);     // difference array of the gradient
    double* D = diff + (m + 1);      // mass of each run
    double* term = D + G;            // w ln D of each run
    double* share = term + G;        // w / D of each run
    const int32_t* lo = runs->lo;
    const int32_t* hi = runs->hi;
    const bool history = s->emflags[EMF_ITPRINTEM] != 0;
    const int32_t maxit = s->emmaxit[EM_MAXIT];
    const int32_t step = s->emmaxit[EM_HISTSTEP];
    const double tol = s->itopts[IT_TOLLIKE];
    const double llstart = W > 0 ? -W * std::log(W) : 0.0;
    int converged = 0;
    double ll = 0, prev = 0;
    s->itstatus[0] = 0;
    for (int32_t it = 0; it <= maxit; ++it) {
        double sh = 0, sl = 0;
        ph[0] = pl[0] = 0;
        for (int32_t k = 0; k < m; ++k) {
            start[k] = p[k];
            const double t = sh + p[k];
            const double b = t - sh;
            sl += (sh - (t - b)) + (p[k] - b);
            sh = t;
            ph[k + 1] = sh;
            pl[k + 1] = sl;
            diff[k] = 0;
        }
        diff[m] = 0;
        for (int32_t r = 0; r < G; ++r) {
            const int32_t a = lo[r], e = hi[r] + 1;
            D[r] = a < e ? (ph[e] - ph[a]) + (pl[e] - pl[a]) : 0.0;
        }
        // A run with almost no mass (or no number) stops the iterations where it comes.
        int32_t upto = G;
        if (runterms(D, runs->w, term, share, G) > 0) {
            upto = 0;
            while (D[upto] >= TINY) ++upto;
        }
        prev = ll;
        double part[4] = {0, 0, 0, 0};
        int32_t r = 0;
        for (; r + 4 <= upto; r += 4)
            for (int j = 0; j < 4; ++j) part[j] += term[r + j];
        for (; r < upto; ++r) part[0] += term[r];
        ll = llstart + ((part[0] + part[1]) + (part[2] + part[3]));
        // The runs come ordered by their first interval: add each first interval's share once.
        for (int32_t a = 0; a < upto;) {
            double add = 0;
            const int32_t k = lo[a];
            for (; a < upto && lo[a] == k; ++a) add += share[a];
            diff[k] += add;
        }
        for (int32_t a = 0; a < upto; ++a) diff[hi[a] + 1] -= share[a];
        double run = 0;
        for (int32_t k = 0; k < m; ++k) {
            run += diff[k];
            grad[k] = run;
            next[k] = p[k] * run;
        }
        if (upto < G) break;
        for (int32_t k = 0; k < m; ++k) p[k] = next[k];
        if (it >= 1 && std::fabs(ll - prev) < tol) converged = 1;
        s->itstatus[0] = static_cast<uint32_t>(it);
        if (history) {
            s->loglik[0] = ll;
            for (int32_t k = 0; k < m; ++k) hist[k] = start[k] / W;
            if ((converged || std::fmod(double(it), double(step)) < E) && s->curtab) tabrow(s->curtab);
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
