// The fit of one group (least squares and probability estimates, then the distribution
// fit; with FMODE COMBINE the fits of the modes, fmfit.cpp), and the group's data summary.
#include <cmath>
#include <cstring>

#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/framework/msg510.h"

using namespace fitx;

int vyxpfit(vyxstate* s, grpnode* g) {
    if (s->step.stepend) return 1;
    if (s->popt.pflags.fmcombine) return vyxpfitfm(s, g);
    int rc = vyxls(s, g);
    if (rc != 0) {
        s->work.fitmethod = FIT_NONE;
        s->work.nofitline = 1;
    }
    if (s->work.fitmethod != FIT_NONE && rc == 0) rc = vyxdfit(s, g);
    return rc;
}

void vyxdsum(vyxstate* s, grpnode* g, int i, int j) {
    if (s->step.stepend) return;
    settext(s->row.rowtext, 40, "", 0);
    bool last = false;
    if (s->groups.nclass == 1) last = g->next == nullptr;
    if (s->groups.nclass == 2) {
        // The last cell that holds a group: empty cells after it are skipped by the driver,
        // and the total must not be lost with them.
        const int cols = static_cast<int>(s->groups.nlev[NLEV_SECOND]), cells = static_cast<int>(s->groups.nlev[NLEV_FIRST]) * cols;
        last = true;
        for (int k = i * cols + j + 1; k < cells && last; ++k) last = s->groups.grpgrid[k] == nullptr;
    }

    tabpair& tab = s->out.tabs[TAB_DATSUM];
    if (!bindtable(s, tab, "kv.vitalyx.datsum")) return;
    auto row = [&](int label, double value) {
        settext(s->row.rowtext, 40, "", 0);
        xpmstr(s->row.rowtext, 40, 510, label);
        s->row.rowlead[0] = value;
        return addrow(s, tab.obj);
    };
    if (!row(T510_OBS_USED, g->nobs)) return;
    if (s->inwork.rspkind != FORM_READOUT && !row(T510_FAILURES, g->wfail)) return;
    if (g->wright != 0.0 && !row(T510_RIGHT_CENSORED_VALUES, g->wright)) return;
    if (g->nother != 0 && !row(T510_OTHER_MODE_FAILURES, g->nother)) return;
    if (g->wleft != 0.0 && !row(T510_LEFT_CENSORED_VALUES, g->wleft)) return;
    if (g->wint != 0.0 && !row(T510_INTERVAL_CENSORED_VALUES, g->wint)) return;
    // READOUT: the units never seen to fail enter the likelihood through NENTER; the
    // summary shows them so that its counts add up to the units on test.
    if (s->inwork.rspkind == FORM_READOUT && !row(T510_UNITS_NEVER_FAILED, g->rdsurv)) return;
    if (std::isfinite(g->rsq) && (s->work.fitmethod == FIT_LSYX || s->work.fitmethod == FIT_LSXY) && !row(T510_LS_RSQUARE, g->rsq)) return;
    // A log-likelihood the fit could not compute (a failed fit) shows missing.
    if (s->work.fitmethod == FIT_MLE &&
        !row(T510_LOG_LIKELIHOOD, likfailed(g->loglik) || s->life.fit.itstatus[ITS_STATUS] == 3 ? missing() : g->loglik))
        return;
    // The total over the converged groups goes with the last group: also when that group has
    // no fit and earlier ones converged, and missing (not 0) when no group converged.
    if (last && (s->work.fitmethod == FIT_MLE || !std::isnan(s->life.fit.loglik.final))) {
        // The Group cell names the total instead of the group: the whole cell, which holds
        // two levels' texts with two class variables.
        char saved[sizeof s->row.grplabel];
        std::memcpy(saved, s->row.grplabel, sizeof saved);
        std::memset(s->row.grplabel, ' ', sizeof s->row.grplabel);
        xpmstr(s->row.grplabel, 16, 510, T510_TOTAL);
        const bool ok = row(T510_LOG_LIKELIHOOD, s->life.fit.loglik.final);
        std::memcpy(s->row.grplabel, saved, sizeof saved);
        if (!ok) return;
    }
    if (!endrows(s, tab.obj, s->groups.lastgrp, s->groups.nclass > 0)) return;
    publish(s, tab.tabid);
}
