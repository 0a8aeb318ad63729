// The fits of the failure modes of one group (FMODE COMBINE) and their parameter table:
// each listed mode is fitted with the failures of the other modes censored, a mode that
// cannot be fitted is named and left out, and the usable modes are combined by fmode.
#include <cmath>
#include <cstring>

#include "proc/framework/pools.h"
#include "proc/framework/msg510.h"
#include "proc/framework/stepend.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/numeric/normal.h"

using namespace fitx;

namespace {


void* alloc(vyxstate* s, int64_t bytes, poolflag flags) {
    void* p = poolbytes(s->pools.workpool, bytes, flags);
    if (!p) {
        xmemmsg(bytes);
        endstep(s, RC_NOMEM);
    }
    return p;
}

void setlabel(vyxstate* s, int mode) {
    std::memset(s->life.fmlabel, ' ', sizeof s->life.fmlabel - 1);
    s->life.fmlabel[sizeof s->life.fmlabel - 1] = '\0';
    if (mode < 0) return;
    const int len = s->groups.fmodeset.lens[mode];
    std::memcpy(s->life.fmlabel, s->groups.fmodeset.vals[mode], static_cast<size_t>(len < 16 ? len : 16));
}

void unfit(vyxstate* s, int mode) {
    xpmlog(510, W510_MODE_NOT_FITTED, txtarg(s->groups.fmodeset.vals[mode], s->groups.fmodeset.lens[mode]));
    s->life.fmused[mode] = 0;
}

}  // namespace

int vyxpfitfm(vyxstate* s, grpnode* g) {
    // FITTYPE=NONE asks for no fit of any mode.
    if (s->work.fitmethod == FIT_NONE) {
        s->work.nofitline = 1;
        return 0;
    }
    const int k = s->groups.fmodeset.nvals, n = s->life.fit.npar.total;
    const int ncov = n * (n + 1) / 2;
    auto nofit = [s](int rc) {
        s->work.fitmethod = FIT_NONE;
        s->work.nofitline = 1;
        return rc;
    };

    s->work.defhdr.given = 1;
    std::memset(s->work.defhdr.text, ' ', sizeof s->work.defhdr.text);
    s->work.defhdr.len = xpmstr(s->work.defhdr.text, 80, 510, T510_COMBINED_MODES);

    const int64_t pvbytes = int64_t(ncov + 2 * n) * 8;
    s->life.fmloc = static_cast<double*>(alloc(s, int64_t(2 * (k > 0 ? k : 1)) * 8, poolflag::zeroed_marked));
    s->life.fmcov = s->life.fmloc ? static_cast<double**>(alloc(s, int64_t(k > 0 ? k : 1) * 8, poolflag::zeroed_marked)) : nullptr;
    s->life.fmused = s->life.fmcov ? static_cast<int32_t*>(alloc(s, int64_t(k > 0 ? k : 1) * 4, poolflag::zeroed_marked)) : nullptr;
    s->life.parmvec.block = s->life.fmused ? static_cast<double*>(alloc(s, pvbytes, poolflag::zeroed)) : nullptr;
    if (!s->life.parmvec.block) return RC_NOMEM;
    s->life.fmscale = s->life.fmloc + k;

    // The table writers close their rows only after the last mode.
    const uint8_t lastgrp = s->groups.lastgrp;
    const uint32_t method = s->work.fitmethod;
    int usable = 0;
    for (int i = 0; i < k; ++i) {
        s->groups.fmodeset.curmode = i;
        s->groups.lastgrp = i == k - 1 ? lastgrp : 0;
        s->work.fitmethod = method;
        setlabel(s, i);
        s->life.fmcov[i] = static_cast<double*>(alloc(s, int64_t(ncov) * 8, poolflag::zeroed_marked));
        if (!s->life.fmcov[i]) return RC_NOMEM;
        s->life.fmused[i] = 1;
        std::memset(s->life.parmvec.block, 0, static_cast<size_t>(pvbytes));

        const int rc = vyxfmi(s, g);
        if (rc == RC_READ) {
            // The rows cannot be read again: the step ends.
            return endstep(s, RC_READ);
        }
        if (rc != 0) {
            unfit(s, i);
            continue;
        }
        s->life.fit.itstatus[ITS_STATUS] = 0;
        if (s->work.fitmethod != FIT_NONE) {
            vyxfit(s, g);
            if (s->step.stepend) return 1;
            if (s->work.fitmethod == FIT_MLE || s->work.fitmethod == FIT_MODEL) {
                vyxcov(s);
                if (s->step.stepend) return 1;
            }
        }
        const auto P = parmview(s->life.parmvec.block, n);
        if (s->life.fit.itstatus[ITS_STATUS] != 0 || !std::isfinite(P.est[0]) || !std::isfinite(P.est[1]) || !(P.est[1] > 0)) {
            unfit(s, i);
            continue;
        }
        s->life.fmloc[i] = P.est[0];
        s->life.fmscale[i] = P.est[1];
        std::memcpy(s->life.fmcov[i], P.cov, static_cast<size_t>(ncov) * 8);
        ++usable;
    }
    s->groups.lastgrp = lastgrp;
    s->work.fitmethod = method;
    setlabel(s, -1);
    g->noest = 0;   // the modes' fits are no fit of the group's own: the combined curve is
    // Without a usable mode there is nothing to combine: the data are shown without a fit.
    if (usable == 0) return nofit(1);
    if (fmode(s) != 0) return nofit(1);
    return 0;
}

void fmput(vyxstate* s) {
    if (s->step.stepend || !s->life.fmused || s->work.fitmethod == FIT_NONE) return;
    const int n = s->life.fit.npar.total;
    const auto P = parmview(s->life.parmvec.block, n);
    const double z = zprobitq(s->opts.alpha / 2);
    tabpair& tab = s->out.tabs[TAB_PARMEST];
    if (!bindtable(s, tab, "kv.vitalyx.ppest")) return;
    for (int i = 0; i < s->groups.fmodeset.nvals; ++i) {
        if (!s->life.fmused[i]) continue;
        P.est[0] = s->life.fmloc[i];
        P.est[1] = s->life.fmscale[i];
        std::memcpy(P.cov, s->life.fmcov[i], 3 * sizeof(double));
        P.se[0] = P.cov[0] > 0 ? std::sqrt(P.cov[0]) : 0.0;
        P.se[1] = P.cov[2] > 0 ? std::sqrt(P.cov[2]) : 0.0;
        setlabel(s, i);
        // Wald limits: the location on its own scale, the scale on the log scale.
        const double w = P.est[1] > EPS53 ? z * P.se[1] / P.est[1] : 0.0;
        const double e = w < EXP_OVER ? std::exp(w) : 1.0;
        s->life.fmlims[PL_LOCLOWER] = P.est[0] - z * P.se[0];
        s->life.fmlims[PL_LOCUPPER] = P.est[0] + z * P.se[0];
        s->life.fmlims[PL_SCALELOWER] = std::fmin(P.est[1] / e, P.est[1] * e);
        s->life.fmlims[PL_SCALEUPPER] = std::fmax(P.est[1] / e, P.est[1] * e);
        std::memcpy(s->life.parmlim, s->life.fmlims, sizeof s->life.fmlims);
        double ws, wk, vws, cws, vwk;
        putparms(s, &ws, &wk, &vws, &cws, &vwk);
        if (s->step.stepend) return;
        // A separator row between the modes: blank texts and the alternate missing value.
        settext(s->row.rowtext, 40, "", 0);
        setlabel(s, -1);
        s->row.rowvals[0] = s->row.rowvals[3] = s->row.rowvals[8] = s->row.rowvals[9] = hostaltmissing();
        if (!addrow(s, tab.obj)) return;
    }
    fmclose(s, tab);
}
