// MCF estimation for interval data: records in input order, each with its events and the
// units removed in it; removals count half in their own interval (life-table risk set).
#include <cfloat>
#include <cmath>
#include <cstddef>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/mcf/mcf_internal.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/tailsum.h"

namespace {

constexpr int64_t IVL_DOUBLES = sizeof(mcfivl) / sizeof(double);
constexpr int64_t IVL_REMOVALS = offsetof(mcfivl, removals) / sizeof(double);

// Records left in the walk's current block from the one it handed out last, itself included.
int64_t blockleft(const mcfwalk& w) {
    const int64_t inblock = w.inblock - w.at + 1, inwalk = w.total - w.done + 1;
    return inblock < inwalk ? inblock : inwalk;
}

// The removals of each record and of every later one (tailsum.h), summed by a first walk:
// a risk set kept by subtracting the removals from their total loses small removals after
// large ones (1e15 and 1e-15 would leave -5e-16 at risk). 0, 1 after xmemmsg, or 1020.
int removalsums(grpnode* g, poolobj* pool, tailsum* sums, double** store) {
    mcfwalk w;
    int rc = mcfwalkstart(&w, g, false);
    if (rc) return rc;
    const int64_t bytes = tailsum::chunks(w.total, w.file ? w.perblock : w.total) * int64_t(sizeof(double));
    *store = static_cast<double*>(poolbytes(pool, bytes, poolflag::raw));
    if (!*store) {
        xmemmsg(bytes);
        return RC_REPORTED;
    }
    sums->begin(*store);
    while (const mcfrec* r = mcfwalknext(&w, &rc)) sums->add(reinterpret_cast<const double*>(r) + IVL_REMOVALS, blockleft(w), IVL_DOUBLES);
    if (rc) return rc;
    sums->finish();
    return mcfwalkend(&w);
}

}  // namespace

int vyxcfmv2(vyxstate* s, grpnode* g) {
    const double z = zprobitq(s->opts.alpha / 2);
    const uint32_t pos = s->groups.grpcount[GCNT_GROUP];
    const bool given = static_cast<int64_t>(pos) < s->mcf.mcfopt.nriskv && s->mcf.mcfopt.nriskvals;
    long double R = g->mcf.nunits;
    if (given) R = s->mcf.mcfopt.nriskvals[pos];
    g->mcf.nunits = static_cast<double>(R);
    mcfextremes(g);
    // The risk set at a record is the start less the removals before it: the removals of the
    // record and of every later one, plus what an NRISK value has beyond all the removals.
    tailsum sums;
    double* store = nullptr;
    auto drop = [&] {
        if (store) poolput(s->pools.stmtpool, store);
    };
    if (int rc = removalsums(g, s->pools.stmtpool, &sums, &store)) {
        drop();
        return rc;
    }
    long double beyond = 0;
    bool first = true;
    long double M = 0, V = 0;
    double prevend = -DBL_MAX;
    const bool lims = s->mcf.mcfopt.wantlims != 0;

    mcfwalk w;
    int rc = mcfwalkstart(&w, g, true);
    int32_t recno = 0;
    while (rc == 0) {
        auto* r = reinterpret_cast<mcfivl*>(mcfwalknext(&w, &rc));
        if (!r) break;
        ++recno;
        const double e = r->end, st = r->start;
        if (e < st || st < prevend) {
            xpmlog(510, E510_MCF_BAD_INTERVAL, recno, st, e, prevend);
            rc = RC_REPORTED;
            break;
        }
        const long double removed = r->removals;
        const double still = sums.next(&r->removals, blockleft(w), IVL_DOUBLES);
        if (first && given) beyond = R - still;
        first = false;
        const long double atrisk = beyond + still - 0.5L * removed;
        long double inc = 0;
        if (r->events != 0) {
            // An interval with events needs units at risk: a risk set that removals (or an
            // NRISK value smaller than them) used up cannot carry an increment.
            if (!(atrisk > 0)) {
                xpmlog(510, E510_MCF_RISK_SET_USED_UP, recno, st, e, r->events, static_cast<double>(atrisk));
                rc = RC_REPORTED;
                break;
            }
            inc = r->events / atrisk;
        }
        M += inc;
        r->mcf = static_cast<double>(M);
        const double m = r->mcf;
        if (m > g->mcf.mcfmax) g->mcf.mcfmax = m;
        if (m < g->mcf.mcfmin) g->mcf.mcfmin = m;
        if (e > g->mcf.evtmax) g->mcf.evtmax = g->mcf.endmax = e;
        if (e < g->mcf.evtmin) g->mcf.evtmin = g->mcf.endmin = e;
        if (lims) {
            if (inc != 0) V += inc / atrisk;
            const double var = static_cast<double>(V);
            const double se = var > 0 ? std::sqrt(var) : 0.0;
            r->se = se;
            if (m - z * se < g->mcf.lowmin) g->mcf.lowmin = m - z * se;
            if (m + z * se > g->mcf.uppmax) g->mcf.uppmax = m + z * se;
        }
        prevend = e;
    }
    int rc2 = mcfwalkend(&w);
    drop();
    return rc ? rc : rc2;
}
