// The Turnbull estimate of one group (vyxem) and its iteration-history table.
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "host/hostdefs.h"
#include "proc/framework/expect.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/readtimes.h"
#include "proc/lifedist/tables.h"

int setupit(vyxstate* s, grpnode* g) {
    const int32_t m = g->nturn;
    obobject* t = emtable(s, "IterEM", T0_TURNBULL_ITER_HISTORY, false);
    s->out.curtab = t;
    if (!t) return RC_REPORTED;
    tabint(t, "Iter", &s->life.fit.itstatus[ITS_ITER]);
    tabdouble(t, "Loglike", &s->life.fit.loglik.current);
    if (s->life.emflags[EMF_PRINTPROBS]) {
        double* hist = g->emtab + EMT_SE * m;
        for (int32_t k = 0; k < m; ++k) {
            const double l = timeunits(s, g->emtab[EMT_LEFT * m + k]);
            const double r = timeunits(s, g->emtab[EMT_RIGHT * m + k]);
            // An open end shows as the missing value does: a period.
            char a[32] = ".", b[32] = ".";
            if (!std::isnan(l)) std::snprintf(a, sizeof a, "%g", l);
            if (!std::isnan(r)) std::snprintf(b, sizeof b, "%g", r);
            char name[80];
            std::snprintf(name, sizeof name, "/(%s, %s)", a, b);
            tabdouble(t, name, &hist[k], "value");
        }
    }
    groupcolumns(s, t, true);
    wobitem direct[] = {obint(OBK_HIDDEN, 0), obint(332, 1)};
    obinfocall(t, 2, direct);
    tabtitles(t, {{"Title", rdxmsg(0, T0_TURNBULL_ITER_TITLE)}});
    tabenddef(t);
    s->out.curtabid = tabbind(s->out.outmgr, t, "Kv.Vitalyx.Ithist");
    return 0;
}

int vyxem(vyxstate* s, grpnode* g) {
    VX_EXPECT(g, "the Turnbull estimate of a group");
    g->drawflag = 1;
    s->out.curtab = nullptr;
    emruns runs{};
    // A set-up that failed (its message logged) stops the group: nothing runs on
    // intervals that were not built.
    if (int rc = vyxem0(s, g, &runs)) return rc;
    if (g->nturn < 1) return 0;
    s->groups.grpcount[GCNT_GROUP] += 1;
    if (s->life.emflags[EMF_ITPRINTEM]) {
        if (int rc = setupit(s, g)) return rc;
    }
    return vyxem1(s, g, &runs);
}
