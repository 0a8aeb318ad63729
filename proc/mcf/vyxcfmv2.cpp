// MCF estimation for interval data: records in input order, each with its events and the
// units removed in it; removals count half in their own interval (life-table risk set).
#include <cfloat>
#include <cmath>

#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/mcf/mcf.h"
#include "proc/mcf/mcfmsg.h"
#include "proc/numeric/normal.h"

void mcfextremes(grpnode* g);

int vyxcfmv2(vyxstate* s, grpnode* g) {
    const double z = zprobit(1 - s->opts.alpha / 2);
    const uint32_t pos = s->groups.grpcount[0];
    long double R = g->mcf.nunits;
    if (static_cast<int64_t>(pos) < s->mcf.mcfopt.nriskv && s->mcf.mcfopt.nriskvals) R = s->mcf.mcfopt.nriskvals[pos];
    g->mcf.nunits = static_cast<double>(R);
    mcfextremes(g);
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
            xpmlog(MSG_GROUP, MCFM_BADINTERVAL, recno, st, e, prevend);
            rc = RC_REPORTED;
            break;
        }
        const long double removed = r->removals;
        const long double atrisk = R - 0.5L * removed;
        long double inc = 0;
        if (r->events != 0) {
            // An interval with events needs units at risk: a risk set that removals (or an
            // NRISK value smaller than them) used up cannot carry an increment.
            if (!(atrisk > 0)) {
                xpmlog(MSG_GROUP, MCFM_RISKSET, recno, st, e, r->events, static_cast<double>(atrisk));
                rc = RC_REPORTED;
                break;
            }
            inc = r->events / atrisk;
        }
        M += inc;
        r->mcf = static_cast<double>(M);
        R -= removed;
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
    return rc ? rc : rc2;
}
