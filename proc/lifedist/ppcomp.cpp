// The analysis driver of ANALYZE, PROBPLOT and RELATIONPLOT in one BY group: input, level
// ordering, plotted points and scales, table objects, then the fit and tables of every group.
#include <cstring>

#include "host/hostdefs.h"
#include "proc/framework/expect.h"
#include "proc/framework/clsorder.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/framework/workpool.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/groups.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/tables.h"

namespace {

// The last cell of the grid that holds data: no cell after (i, j) in row order has a group.
// (Taken literally, the last cell of the grid would never be written when it is empty, and
// the tables of the BY group would wait for a group that never comes.)
bool lastcell(const groupstate& groups, int i, int j) {
    const int rows = static_cast<int>(groups.nlev[NLEV_FIRST]), cols = static_cast<int>(groups.nlev[NLEV_SECOND]);
    for (int64_t k = int64_t(i) * cols + j + 1; k < int64_t(rows) * cols; ++k)
        if (groups.grpgrid[k]) return false;
    return true;
}

// Closes the output group of the group just written.
void closegroup(outstate& out) {
    if (!out.panelobj) return;
    obcheck(obrelease(out.panelobj));
}

// After the last group of a class analysis every table of the statement that an earlier
// group left waiting for more groups ends and is published in the BY group it belongs to: a
// group without a fit writes none of the fit's tables (iteration histories, convergence
// status, estimates), and the probability tables end every group's rows with more groups
// following. The tables of the fit are closed before the data summary and the estimate
// tables after them, so that they print in the order they are written. Ending and
// publishing a table that is already published does nothing.
constexpr int kFitTables[] = {TAB_PROBEST, TAB_TURNBULLGRAD, TAB_ITERPARMS, TAB_ITERLRPARM, TAB_ITERLRPER, TAB_CONVSTATUS};
constexpr int kEstimateTables[] = {TAB_PARMEST, TAB_PARMOTHER, TAB_LAGRANGE, TAB_PCTEST, TAB_SURVEST};

template <size_t N>
void endtables(vyxstate* s, const int (&slots)[N]) {
    for (int k : slots) {
        const tabpair& t = s->out.tabs[k];
        if (!t.obj || t.tabid == 0 || s->step.stepend) continue;
        tabendrows(t.obj, false);
        tabpublish(s->out.outmgr, t.tabid);
    }
}

struct saved {
    uint32_t method;
    uint8_t noline;
};

void fitgroup(vyxstate* s, grpnode* g, int i, int j, int* counter, saved& sv) {
    setgrp(s, g, i, j, counter);
    g->fitmeth = s->work.fitmethod = sv.method;
    g->nofit = s->work.nofitline = sv.noline;
    int rc = vyxls(s, g);
    if (s->work.fitmethod != FIT_NONE && rc == 0) rc = vyxdfit(s, g);
    g->fitrc = rc;
    if (rc != 0) {
        // This group shows no fit; the next one starts again from the statement's method.
        sv.method = s->work.fitmethod;
        sv.noline = s->work.nofitline;
        g->fitmeth = s->work.fitmethod = FIT_NONE;
        g->nofit = s->work.nofitline = 1;
    }
    if (s->groups.lastgrp) endtables(s, kFitTables);
    vyxdsum(s, g, i, j);
    vyxpput(s, g, i, j);
    if (s->groups.lastgrp) endtables(s, kEstimateTables);
}

}  // namespace

void setgrp(vyxstate* s, grpnode* g, int i, int j, int* counter) {
    ++*counter;
    std::memset(s->row.grplabel, ' ', 40);
    if (s->groups.nclass == 0) {
        s->groups.lastgrp = 1;
        s->out.panelobj = nullptr;
        return;
    }
    if (s->groups.nclass == 1) {
        s->groups.lastgrp = g->next == nullptr;
        s->row.grplablen = wzstrip(g->key, 16);
        std::memcpy(s->row.grplabel, g->key, 16);
    } else {
        s->groups.lastgrp = lastcell(s->groups, i, j);
        gridlabel(s, i, j);
    }
    wobitem it[] = {obout(OBK_CREATED), obtext(OBK_NAME, rdxtxts("Group%d", -1, *counter)),
                    obtext(OBK_LABEL, rdxtxt(s->row.grplabel, s->row.grplablen))};
    obcheck(wobmth(s->out.outmgr, nullptr, OB_GROUP, 3, it));
    s->out.panelobj = static_cast<obobject*>(it[0].v.p);
}

int vyxptbl(vyxstate* s) {
    saved sv{s->work.fitmethod, s->work.nofitline};
    s->life.fit.loglik.final = hostmissing();   // no group has converged yet
    int counter = 0;
    switch (s->groups.nclass) {
        case 0:
            s->life.pgflag0 = 1;
            setgrp(s, &s->groups.rootgrp, 0, 0, &counter);
            vyxpfit(s, &s->groups.rootgrp);
            if (s->popt.pflags.fmcombine) {
                fmput(s);
            } else {
                vyxdsum(s, &s->groups.rootgrp, 0, 0);
                vyxpput(s, &s->groups.rootgrp, 0, 0);
            }
            break;
        case 1:
            s->groups.grprowix = 0;
            s->groups.grpcount[GCNT_GROUP] = 0;
            for (grpnode* g = s->groups.grplist.head; g; g = g->next) {
                fitgroup(s, g, 0, 0, &counter, sv);
                s->groups.grprowix = s->groups.grpcount[GCNT_GROUP] = static_cast<uint32_t>(counter);
                closegroup(s->out);
            }
            break;
        case 2: {
            s->life.pgflag0 = 1;
            const int rows = static_cast<int>(s->groups.nlev[NLEV_FIRST]), cols = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
            for (int i = 0; i < rows; ++i) {
                s->groups.grprowix = i;
                for (int j = 0; j < cols; ++j) {
                    s->groups.grpcolix = j;
                    grpnode* g = s->groups.grpgrid[int64_t(i) * cols + j];
                    if (!g) continue;
                    fitgroup(s, g, i, j, &counter, sv);
                    closegroup(s->out);
                }
            }
            break;
        }
        default: break;
    }
    return 0;
}

int PPComp(vyxstate* s) {
    VX_EXPECT(s->pools.stmtpool && s->inwork.curstmt, "a statement in a BY group");
    s->life.pendingnoted = 0;
    if (int rc = vyxin(s)) return rc;
    if (int rc = vyxclst(s)) return rc;
    if (int rc = vyxordr(s)) return rc;
    if (int rc = fitx::iterationrow(s)) return rc;
    if (s->life.ppcflag1 || s->life.ppcflag2) {
        const int64_t n = s->groups.nlev[NLEV_FIRST];
        auto* block = static_cast<double*>(poolbytes(s->pools.stmtpool, 56 * n > 0 ? 56 * n : 8, poolflag::raw));
        if (!block) return RC_NOMEM;
        for (int k = 0; k < 7; ++k) s->life.ppcarr[k] = block + k * n;
    }
    if (int rc = renewworkpool(s)) return rc;
    s->groups.lastgrp = 0;
    if (vyxscl(s) != 0) return 1;
    vyxpobj(s);
    vyxptbl(s);
    return 0;
}
