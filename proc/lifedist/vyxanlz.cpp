// The ANALYZE statement in one BY group: its options, then the life-distribution road of
// PPComp, or the binomial and Poisson analysis once for the whole data or per class level.
#include "proc/framework/clsorder.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/framework/workpool.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/tables.h"

namespace {

int countcase(vyxstate* s) {
    switch (s->groups.nclass) {
        case 0: {
            if (renewworkpool(s) != 0) return RC_NOMEM;
            if (int rc = vyxpb(s, &s->groups.rootgrp)) return rc;
            vyxpbpr(s);
            return 0;
        }
        case 1:
            s->groups.grpcount[GCNT_GROUP] = 0;
            for (grpnode* g = s->groups.grplist.head; g; g = g->next) {
                if (renewworkpool(s) != 0) return RC_NOMEM;
                if (int rc = vyxpb(s, g)) return rc;
                if (s->out.panelobj) obcheck(obrelease(s->out.panelobj));
            }
            vyxpbpr(s);
            return 0;
        case 2:
            xpmlog(510, E510_COUNTS_ONE_CLASS);
            return RC_SPEC;
        default:
            return 0;
    }
}

}  // namespace

int vyxanlz(vyxstate* s) {
    if (int rc = vyxaprm(s)) return rc;
    const bool counts = s->opts.distcode == DIST_POISSON || s->opts.distcode == DIST_BINOMIAL;
    s->life.pendingnoted = 0;
    if (counts) {
        if (int rc = vyxin(s)) return rc;
        if (int rc = vyxclst(s)) return rc;
        if (int rc = vyxordr(s)) return rc;
    }
    s->life.fit.loglik.final = 0.0;
    s->life.pbaccum = 0.0;
    s->work.pageflags.statement = 0;
    if (s->popt.pflags.pbonly) {
        if (int rc = vyxpb(s, nullptr)) return rc;
        vyxpbpr(s);
        return 0;
    }
    if (int rc = fitx::iterationrow(s)) return rc;
    if (!counts) return PPComp(s) != 0 ? 1 : 0;
    return countcase(s);
}
