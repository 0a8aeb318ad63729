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
#include "proc/lifedist/lifedist.h"
#include "proc/lifedist/tables.h"


// The Group and Label columns of the Turnbull tables (Group in class modes only).
void groupcolumns(vyxstate* s, obobject* t, bool group) {
    if (group && s->groups.nclass > 0) {
        const int w = static_cast<int>(s->groups.grpcolw) + (s->groups.nclass == 2 ? 1 : 0);
        tabtext(t, "Group", w > 10 ? w : 10, s->row.grplabel);
    }
    if (s->opts.tblflags[TF_STMTLABEL]) tabtext(t, "Label", 8, s->life.stmtlabcell);
}

// A table of the output manager named name (with the group count in class modes).
obobject* emtable(vyxstate* s, const char* name, int label, bool listed) {
    char full[40];
    if (s->groups.nclass > 0)
        std::snprintf(full, sizeof full, "%s%d", name, static_cast<int>(s->groups.grpcount[0]));
    else
        std::snprintf(full, sizeof full, "%s", name);
    wobitem it[7] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED), obint(OBK_PLACE, -1)};
    int n = 4;
    if (listed) it[n++] = obint(OBK_LISTED, 1);
    it[n++] = obtext(OBK_NAME, rdxtxt(full, -1));
    it[n++] = obtext(OBK_LABEL, rdxmsg(0, label));
    if (obcheck(wobmth(s->out.outmgr, nullptr, OB_CREATE, n, it)) < 0) return nullptr;
    return static_cast<obobject*>(it[2].v.p);
}

int setupit(vyxstate* s, grpnode* g) {
    const int32_t m = g->nturn;
    obobject* t = emtable(s, "IterEM", T0_TURNBULL_ITER_HISTORY, false);
    s->out.curtab = t;
    if (!t) return RC_REPORTED;
    tabint(t, "Iter", &s->fit.itstatus[0]);
    tabdouble(t, "Loglike", &s->fit.loglik.current);
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
    s->groups.grpcount[0] += 1;
    if (s->life.emflags[EMF_ITPRINTEM]) {
        if (int rc = setupit(s, g)) return rc;
    }
    return vyxem1(s, g, &runs);
}
