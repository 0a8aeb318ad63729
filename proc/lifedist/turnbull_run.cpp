// The Turnbull estimate after its set-up: starting masses, EM, polishing, multipliers and
// the Kuhn-Tucker check, the convergence status, standard errors, limits and plot ranges.
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/bands.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/tables.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double E = 1000 * 1.110223024625157e-16;
constexpr double TINY = 1.110223024625157e-16;   // the least mass of a run the iterations use

// The values of PROBLIST= that started the masses: k of them, one per interval from the
// first (none when the masses start equal).
struct startlist {
    const double* v = nullptr;
    int32_t k = 0;
};

// Starting masses: the PROBLIST values scaled to the total weight (the rest 0), or equal.
// Only the first m values are read, one per interval. A negative one among them is not used
// (a negative mass stays negative through the iterations, and the estimate ran past 1): a
// WARNING names it and the masses start equal. A list whose sum overflows (or falls below
// the normal range) is scaled by its largest value first; the plain sum is kept wherever it
// works, so that those lists keep their digits.
startlist startmasses(vyxstate* s, grpnode* g) {
    const int32_t m = g->nturn;
    const double W = g->totw;
    double* p = g->emtab + EMT_CUM * m;
    const stmtrec* stmt = s->inwork.curstmt;
    const optslot* list = stmtslot(stmt, slot::plot::PROBLIST);
    if (list && list->count > 0 && list->ptr) {
        const auto* v = static_cast<const double*>(list->ptr);
        const int32_t k = list->count < m ? list->count : m;
        int32_t neg = 0;
        while (neg < k && !(v[neg] < 0)) ++neg;
        if (neg == k) {
            double S = 0, top = 0;
            for (int32_t i = 0; i < k; ++i) {
                S += v[i];
                if (v[i] > top) top = v[i];
            }
            double scale = 1;
            const bool plain = std::isnan(S) || (S >= DBL_MIN && S <= DBL_MAX && top * W <= DBL_MAX);
            if (top > 0 && !plain) {
                scale = top;
                S = 0;
                for (int32_t i = 0; i < k; ++i) S += v[i] / scale;
            }
            if (!(S > 0)) S = 1;
            for (int32_t i = 0; i < m; ++i) p[i] = i < k ? v[i] / scale * W / S : 0.0;
            return {v, k};
        }
        char fr[640];
        xpmlog(510, W510_EM_START_NEGATIVE, txtarg(stmt->keyword, wzstrip(stmt->keyword, STMT_KEYLEN)), v[neg],
               groupsuffix(s, true, " for ", fr, sizeof fr));
    }
    for (int32_t i = 0; i < m; ++i) p[i] = W / m;
    return {};
}

// Why the starting masses of a PROBLIST= leave some observation almost no probability (the
// iterations then stop before the first, 510/2222), where the list is the cause: intervals
// past a short list start at 0 (510/2471), or the list's values lie so far apart that,
// scaled to the total weight, the small ones give masses below what the iterations can
// use beside the large ones (510/2472). Zeros the user gave, a start that is not a number,
// a total weight too small for any mass and observations on no interval keep 510/2222.
// The run looked at is the first whose mass is below 2^-53 or not a number, as in the
// iterations.
struct startgap {
    int msg = W510_EM_STOPPED_AT_START;
    int32_t given = 0;
    double small = 0, big = 0;
};

startgap startcause(const grpnode* g, const emruns* runs, startlist list) {
    startgap gap;
    const int32_t m = g->nturn;
    const double* p = g->emtab + EMT_CUM * m;
    if (!list.v) return gap;
    double top = 0, pmax = 0;
    bool low = false;
    for (int32_t k = 0; k < m; ++k) {
        if (k < list.k && list.v[k] > top) top = list.v[k];
        if (p[k] > pmax) pmax = p[k];
        low = low || !(p[k] >= TINY);
    }
    if (!low) return gap;   // every interval has a usable mass: no run can lack one
    for (int32_t r = 0; r < runs->ngroups; ++r) {
        const int32_t lo = runs->lo[r], hi = runs->hi[r];
        long double D = 0;
        for (int32_t k = lo; k <= hi; ++k) D += p[k];
        if (static_cast<double>(D) >= TINY) continue;
        if (lo > hi || std::isnan(static_cast<double>(D))) return gap;
        if (hi >= list.k) {
            gap.msg = W510_EM_START_SHORT_LIST;
            gap.given = list.k;
            return gap;
        }
        double small = 0;
        for (int32_t k = lo; k <= hi; ++k)
            if (list.v[k] > small) small = list.v[k];
        if (small > 0 && pmax >= TINY) {
            gap.msg = W510_EM_START_FAR_APART;
            gap.small = small;
            gap.big = top;
        }
        return gap;
    }
    return gap;
}

// The reason text and log message of the status.
void status(vyxstate* s, const grpnode* g, bool violation, bool converged, const startgap& gap) {
    const uint32_t it = s->life.fit.itstatus[ITS_ITER];
    const bool cls = s->groups.nclass > 0;
    const msgarg label = txtarg(s->row.grplabel, s->row.grplablen);
    txthandle reason;
    if (violation) {
        s->life.fit.itstatus[ITS_STATUS] = 1;
        xpmlog(510, W510_EM_KUHN_TUCKER);
        reason = cls ? rdxmsgs(510, T510_EM_KUHN_TUCKER_GROUP, label) : rdxmsgs(510, W510_EM_KUHN_TUCKER);
    } else if (converged) {
        // The table says it; no note in the log, where the fit that follows logs its own.
        s->life.fit.itstatus[ITS_STATUS] = 0;
        reason = cls ? rdxmsgs(510, T510_CONVERGED_GROUP, label) : rdxmsg(0, T0_TURNBULL_CONVERGED);
    } else if (it >= 1) {
        s->life.fit.itstatus[ITS_STATUS] = 2;
        xpmlog(510, W510_EM_NOT_CONVERGED, static_cast<int>(it - 1));
        reason = cls ? rdxmsgs(510, T510_EM_NOT_CONVERGED_GROUP, static_cast<int>(it - 1), label)
                     : rdxmsgs(510, T510_EM_NOT_CONVERGED_REASON, static_cast<int>(it - 1));
    } else {
        // No iteration: MAXITEM=0 allows none, or observations came to have almost no
        // probability under the masses before a full iteration, and the iterations stopped
        // there; where the starting masses of PROBLIST= did that, how they did. The message
        // says which, and names the group in the log and in the row alike.
        s->life.fit.itstatus[ITS_STATUS] = 2;
        const int msg = s->life.emmaxit[EM_MAXIT] == 0 ? W510_EM_NO_ITERATION : gap.msg;
        char fr[640];
        const char* suffix = groupsuffix(s, true, " for ", fr, sizeof fr);
        if (msg == W510_EM_START_SHORT_LIST) {
            xpmlog(510, msg, suffix, gap.given, g->nturn);
            reason = rdxmsgs(510, msg, suffix, gap.given, g->nturn);
        } else if (msg == W510_EM_START_FAR_APART) {
            xpmlog(510, msg, suffix, gap.small, gap.big);
            reason = rdxmsgs(510, msg, suffix, gap.small, gap.big);
        } else {
            xpmlog(510, msg, suffix);
            reason = rdxmsgs(510, msg, suffix);
        }
    }
    s->row.convmsg = reason;
}

// The TConvergenceStatus table of the group: one row.
void statustable(vyxstate* s) {
    obobject* t = emtable(s, "TConvergenceStatus", T0_TURNBULL_CONVERGENCE_STATUS, true);
    if (!t) return;
    s->out.curtab = t;
    tabhandle(t, "Reason", &s->row.convmsg);
    tabint(t, "Status", &s->life.fit.itstatus[ITS_STATUS]);
    groupcolumns(s, t, false);
    tabenddef(t);
    s->out.curtabid = tabbind(s->out.outmgr, t, "KV.Vitalyx.ConvergenceStatus");
    tabrow(t);
    tabendrows(t, false);
    tabpublish(s->out.outmgr, s->out.curtabid);
}

}  // namespace

int vyxem1(vyxstate* s, grpnode* g, const emruns* runs) {
    const int32_t m = g->nturn;
    const double W = g->totw;
    double* tab = g->emtab;
    double* p = tab + EMT_CUM * m;
    double* grad = tab + EMT_GRAD * m;
    double* mult = tab + EMT_MULT * m;
    double* saved = tab + EMT_PROB * m;
    double* savedgrad = tab + EMT_UPPER * m;
    const double z = zprobitq(s->opts.alpha / 2);
    const double tolprob = std::isnan(s->life.fit.itopts[IT_TOLPROB]) ? 1e-6 : s->life.fit.itopts[IT_TOLPROB];
    const bool polish = s->life.emflags[EMF_POLISH] != 0;

    const startlist list = startmasses(s, g);
    const startgap gap = startcause(g, runs, list);
    int conv = emiter(s, g, runs);

    // Polishing: masses below TOLPROB x W go to 0, the others are scaled up, and EM runs
    // again; when that run does not converge the first result stands.
    if (polish && conv) {
        double r = 0;
        for (int32_t k = 0; k < m; ++k) {
            saved[k] = p[k];
            savedgrad[k] = grad[k];
            if (p[k] < tolprob * W) {
                r += p[k];
                p[k] = 0;
            }
        }
        for (int32_t k = 0; k < m; ++k)
            if (p[k] > 0) p[k] /= 1 - r / W;
        if (r > 0) {
            conv = emiter(s, g, runs);
            if (!conv) {
                for (int32_t k = 0; k < m; ++k) {
                    p[k] = saved[k];
                    grad[k] = savedgrad[k];
                }
                conv = 1;
            }
        }
    }

    // Lagrange multipliers of the zero masses, and the reduced gradient.
    for (int32_t k = 0; k < m; ++k) {
        if (p[k] < E * W) {
            p[k] = 0;
            mult[k] = W - grad[k];
        } else {
            mult[k] = 0;
        }
        grad[k] = mult[k] - W + grad[k];
    }

    // Second polish: intervals whose multiplier is negative get their saved mass back.
    if (polish && conv) {
        double r = 0;
        for (int32_t k = 0; k < m; ++k)
            if (mult[k] < -E) {
                p[k] = saved[k];
                r += saved[k];
            }
        if (r > 0) {
            for (int32_t k = 0; k < m; ++k)
                if (!(mult[k] < -E)) p[k] *= 1 - r / W;
            conv = emiter(s, g, runs);
        }
    }

    if (s->life.emflags[EMF_ITPRINTEM] && s->out.curtab) {
        tabendrows(s->out.curtab, false);
        tabpublish(s->out.outmgr, s->out.curtabid);
    }

    bool violation = false;
    for (int32_t k = 0; k < m; ++k) violation = violation || mult[k] < -E;
    // A mass that rounds past the total weight is the whole of it: no probability above 1.
    for (int32_t k = 0; k < m; ++k) {
        const double q = W > 0 ? p[k] / W : 0.0;
        p[k] = saved[k] = q > 1 ? 1.0 : q;
    }

    status(s, g, violation, conv != 0, gap);
    statustable(s);

    emstderr(s, g, runs);
    emlimits(s, g, z);
    return 0;
}
