// The Turnbull estimate of one group (vyxem) and its iteration-history table.
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/npmsg.h"
#include "proc/lifedist/npout.h"
#include "proc/lifedist/turnbull.h"

namespace {

// An interval end as the history's column names show it: open ends as the missing value,
// finite ends in time units on a log scale, shifted by the THRESHOLD value when given.
double shownend(const vyxstate* s, double x) {
    if (x == DBL_MAX || x == -DBL_MAX) return hostmissing();
    if (s->logscale[0]) x = std::exp(x);
    else if (s->logscale[1]) x = std::pow(10.0, x);
    else return x;
    if (s->thrflags[TH_GIVEN]) x += s->fixedparms[FP_THRESHOLD];
    return x;
}

}  // namespace

int setupit(vyxstate* s, grpnode* g) {
    const int32_t m = g->nturn;
    txthandle name = s->nclass > 0 ? rdxtxts("IterEM%d", -1, static_cast<int>(s->grpcount[0])) : npout::text("IterEM");
    obobject* t = nullptr;
    if (!npout::create(s, name, rdxmsg(0, LBL_ITEREM), &t, false)) return RC_REPORTED;
    s->curtab = t;
    if (!npout::intcol(t, "Iter", &s->itstatus[0])) return RC_REPORTED;
    if (!npout::dblcol(t, "Loglike", &s->loglik[0])) return RC_REPORTED;
    if (s->emflags[EMF_PRINTPROBS]) {
        double* hist = g->emtab + EMT_SE * m;
        for (int32_t k = 0; k < m; ++k) {
            const double l = shownend(s, g->emtab[EMT_LEFT * m + k]);
            const double r = shownend(s, g->emtab[EMT_RIGHT * m + k]);
            if (!npout::dblcol(t, rdxtxts("/(%g, %g)", -1, l, r), &hist[k], "value")) return RC_REPORTED;
        }
    }
    if (!npout::groupcols(s, t)) return RC_REPORTED;
    if (!npout::labelcol(s, t)) return RC_REPORTED;
    wobitem direct[] = {obint(OBK_HIDDEN, 0), obint(332, 1)};
    obinfocall(t, 2, direct);
    wobitem titles[] = {obstr(OBK_ITEMNAME, "Title", 5), obtext(OBK_VALUE, rdxmsg(0, LBL_ITERHIST))};
    if (!npout::ok(wobmth(t, nullptr, OB_TITLES, 2, titles))) return RC_REPORTED;
    if (!npout::ok(wobmth(t, nullptr, OB_ENDDEF, 0, nullptr))) return RC_REPORTED;
    uint32_t id = 0;
    if (!npout::bind(s, t, "Kv.Vitalyx.Ithist", &id)) return RC_REPORTED;
    s->curtabid = id;
    return 0;
}

int vyxem(vyxstate* s, grpnode* g) {
    g->drawflag = 1;
    s->curtab = nullptr;
    emruns runs{};
    // A set-up that failed (its message logged) stops the group: nothing runs on
    // intervals that were not built.
    if (int rc = vyxem0(s, g, &runs)) return rc;
    if (g->nturn < 1) return 0;
    s->grpcount[0] += 1;
    if (s->emflags[EMF_ITPRINTEM]) {
        if (int rc = setupit(s, g)) return rc;
    }
    return vyxem1(s, g, &runs);
}
