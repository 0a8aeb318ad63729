// The analysis driver of ANALYZE, PROBPLOT and RELATIONPLOT in one BY group: input, level
// ordering, plotted points and scales, table objects, then the fit and tables of every group.
#include <cstring>

#include "host/hostdefs.h"
#include "proc/framework/expect.h"
#include "proc/framework/clsorder.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/framework/workpool.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/groups.h"
#include "proc/lifedist/lifedist.h"
#include "proc/lifedist/tables.h"
#include "proc/lifedist/ufile.h"

namespace {

// The last cell of the grid that holds data: no cell after (i, j) in row order has a group.
// (Taken literally, the last cell of the grid would never be written when it is empty, and
// the tables of the BY group would wait for a group that never comes.)
bool lastcell(const vyxstate* s, int i, int j) {
    const int rows = static_cast<int>(s->nlev[1]), cols = static_cast<int>(s->nlev[0]);
    for (int64_t k = int64_t(i) * cols + j + 1; k < int64_t(rows) * cols; ++k)
        if (s->grpgrid[k]) return false;
    return true;
}

// Closes the output group of the group just written.
void closegroup(vyxstate* s) {
    if (!s->panelobj) return;
    obcheck(obrelease(s->panelobj));
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
        const tabpair& t = s->tabs[k];
        if (!t.obj || t.tabid == 0 || s->stepend) continue;
        tabendrows(t.obj, false);
        tabpublish(s->outmgr, t.tabid);
    }
}

struct saved {
    uint32_t method;
    uint8_t noline;
};

void fitgroup(vyxstate* s, grpnode* g, int i, int j, int* counter, saved& sv) {
    setgrp(s, g, i, j, counter);
    g->fitmeth = s->fitmethod = sv.method;
    g->nofit = s->pflags.nofitline = sv.noline;
    int rc = vyxls(s, g);
    if (s->fitmethod != FIT_NONE && rc == 0) rc = vyxdfit(s, g);
    g->fitrc = rc;
    if (rc != 0) {
        // This group shows no fit; the next one starts again from the statement's method.
        sv.method = s->fitmethod;
        sv.noline = s->pflags.nofitline;
        g->fitmeth = s->fitmethod = FIT_NONE;
        g->nofit = s->pflags.nofitline = 1;
    }
    if (s->lastgrp) endtables(s, kFitTables);
    vyxdsum(s, g, i, j);
    vyxpput(s, g, i, j);
    if (s->lastgrp) endtables(s, kEstimateTables);
}

}  // namespace

void gridlabel(vyxstate* s, int i, int j) {
    const char* t1 = s->levkeys[0] + 16 * i;
    const char* t2 = s->levkeys[1] + 16 * j;
    const int l1 = wzstrip(t1, 16), l2 = wzstrip(t2, 16);
    std::memset(s->grplabel, ' ', 40);
    wzstcat(s->grplabel, 40, ' ', 2, t1, l1, t2, l2);
    s->grplablen = l1 + l2 + 1 < 40 ? l1 + l2 + 1 : 40;
}

void setgrp(vyxstate* s, grpnode* g, int i, int j, int* counter) {
    ++*counter;
    std::memset(s->grplabel, ' ', 40);
    if (s->nclass == 0) {
        s->lastgrp = 1;
        s->panelobj = nullptr;
        return;
    }
    if (s->nclass == 1) {
        s->lastgrp = g->next == nullptr;
        s->grplablen = wzstrip(g->key, 16);
        std::memcpy(s->grplabel, g->key, 16);
    } else {
        s->lastgrp = lastcell(s, i, j);
        gridlabel(s, i, j);
    }
    wobitem it[] = {obout(OBK_CREATED), obtext(OBK_NAME, rdxtxts("Group%d", -1, *counter)),
                    obtext(OBK_LABEL, rdxtxt(s->grplabel, s->grplablen))};
    obcheck(wobmth(s->outmgr, nullptr, OB_GROUP, 3, it));
    s->panelobj = static_cast<obobject*>(it[0].v.p);
}

int vyxptbl(vyxstate* s) {
    saved sv{s->fitmethod, s->pflags.nofitline};
    s->loglik[1] = hostmissing();   // no group has converged yet
    int counter = 0;
    switch (s->nclass) {
        case 0:
            s->pgflag0 = 1;
            setgrp(s, &s->rootgrp, 0, 0, &counter);
            vyxpfit(s, &s->rootgrp);
            if (s->pflags.fmcombine) {
                fmput(s);
            } else {
                vyxdsum(s, &s->rootgrp, 0, 0);
                vyxpput(s, &s->rootgrp, 0, 0);
            }
            break;
        case 1:
            s->grprowix = 0;
            s->grpcount[0] = 0;
            for (grpnode* g = s->grplist[0]; g; g = g->next) {
                fitgroup(s, g, 0, 0, &counter, sv);
                s->grprowix = s->grpcount[0] = static_cast<uint32_t>(counter);
                closegroup(s);
            }
            break;
        case 2: {
            s->pgflag0 = 1;
            const int rows = static_cast<int>(s->nlev[1]), cols = static_cast<int>(s->nlev[0]);
            for (int i = 0; i < rows; ++i) {
                s->grprowix = i;
                for (int j = 0; j < cols; ++j) {
                    s->grpcolix = j;
                    grpnode* g = s->grpgrid[int64_t(i) * cols + j];
                    if (!g) continue;
                    fitgroup(s, g, i, j, &counter, sv);
                    closegroup(s);
                }
            }
            break;
        }
        default: break;
    }
    return 0;
}

int PPComp(vyxstate* s) {
    VX_EXPECT(s->stmtpool && s->curstmt, "a statement in a BY group");
    s->pendingnoted = 0;
    if (int rc = vyxin(s)) return rc;
    if (int rc = vyxclst(s)) return rc;
    if (int rc = vyxordr(s)) return rc;
    if (int rc = fitx::iterationrow(s)) return rc;
    if (s->ppcflag1 || s->ppcflag2) {
        const int64_t n = s->nlev[1];
        auto* block = static_cast<double*>(poolbytes(s->stmtpool, 56 * n > 0 ? 56 * n : 8, poolflag::raw));
        if (!block) return RC_NOMEM;
        for (int k = 0; k < 7; ++k) s->ppcarr[k] = block + k * n;
    }
    if (int rc = renewworkpool(s)) return rc;
    s->lastgrp = 0;
    if (vyxscl(s) != 0) return 1;
    vyxpobj(s);
    vyxptbl(s);
    return 0;
}

grpnode* newgroup(vyxstate* s) {
    auto* g = poolget<grpnode>(s->stmtpool, 1, poolflag::zeroed);
    if (!g) {
        xmemmsg(sizeof(grpnode));
        return nullptr;
    }
    g->stmtnext = s->stmtnodes;
    s->stmtnodes = g;
    return g;
}

// Every node of the statement is on its chain, whatever step of the road stopped: the
// files of a BY group whose input or level ordering failed are deleted too, and nothing of
// an earlier statement (whose pool is gone) is touched. The group files of a relation plot
// of the MODEL's regression (FITTYPE=REGRESSION) are its own too (the MODEL's rows are in
// the state's utility file): kept, they would outlive the nodes that hold them.
void CleanUpDisk(vyxstate* s) {
    ufdrop(&s->rootgrp.ufile);
    ufdrop(&s->rootgrp.ufile2);
    for (grpnode* g = s->stmtnodes; g; g = g->stmtnext) {
        ufdrop(&g->ufile);
        ufdrop(&g->ufile2);
    }
    s->stmtnodes = nullptr;
}
