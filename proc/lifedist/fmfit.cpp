// The fits of the failure modes of one group (FMODE COMBINE) and their parameter table:
// each listed mode is fitted with the failures of the other modes censored, a mode that
// cannot be fitted is named and left out, and the usable modes are combined by fmode.
#include <cmath>
#include <cstring>

#include "proc/framework/pools.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/fmode.h"
#include "proc/lifedist/mlfit.h"
#include "proc/numeric/normal.h"

using namespace fitx;

namespace {

constexpr int MSG_MODE_UNFIT = 919;

void* alloc(vyxstate* s, int64_t bytes, poolflag flags) {
    void* p = poolbytes(s->workpool, bytes, flags);
    if (!p) {
        xmemmsg(bytes);
        xexit(RC_NOMEM, 0);
        s->stepend = 1;
    }
    return p;
}

void setlabel(vyxstate* s, int mode) {
    std::memset(s->fmlabel, ' ', sizeof s->fmlabel - 1);
    s->fmlabel[sizeof s->fmlabel - 1] = '\0';
    if (mode < 0) return;
    const int len = s->fmodeset.lens[mode];
    std::memcpy(s->fmlabel, s->fmodeset.vals[mode], static_cast<size_t>(len < 16 ? len : 16));
}

void unfit(vyxstate* s, int mode) {
    xpmlog(510, MSG_MODE_UNFIT, txtarg(s->fmodeset.vals[mode], s->fmodeset.lens[mode]));
    s->fmused[mode] = 0;
}

}  // namespace

int vyxpfitfm(vyxstate* s, grpnode* g) {
    // FITTYPE=NONE asks for no fit of any mode.
    if (s->fitmethod == FIT_NONE) {
        s->pflags.nofitline = 1;
        return 0;
    }
    const int k = s->fmodeset.nvals, n = s->npar[0];
    const int ncov = n * (n + 1) / 2;
    auto nofit = [s](int rc) {
        s->fitmethod = FIT_NONE;
        s->pflags.nofitline = 1;
        return rc;
    };

    s->defhdr.given = 1;
    std::memset(s->defhdr.text, ' ', sizeof s->defhdr.text);
    s->defhdr.len = xpmstr(s->defhdr.text, 80, 510, 568);

    const int64_t pvbytes = int64_t(ncov + 2 * n) * 8;
    s->fmloc = static_cast<double*>(alloc(s, int64_t(2 * (k > 0 ? k : 1)) * 8, poolflag::zeroed_marked));
    s->fmcov = s->fmloc ? static_cast<double**>(alloc(s, int64_t(k > 0 ? k : 1) * 8, poolflag::zeroed_marked)) : nullptr;
    s->fmused = s->fmcov ? static_cast<int32_t*>(alloc(s, int64_t(k > 0 ? k : 1) * 4, poolflag::zeroed_marked)) : nullptr;
    s->parmvec[0] = s->fmused ? static_cast<double*>(alloc(s, pvbytes, poolflag::zeroed)) : nullptr;
    if (!s->parmvec[0]) return RC_NOMEM;
    s->fmscale = s->fmloc + k;

    // The table writers close their rows only after the last mode.
    const uint8_t lastgrp = s->lastgrp;
    const uint32_t method = s->fitmethod;
    int usable = 0;
    for (int i = 0; i < k; ++i) {
        s->fmodeset.curmode = i;
        s->lastgrp = i == k - 1 ? lastgrp : 0;
        s->fitmethod = method;
        setlabel(s, i);
        s->fmcov[i] = static_cast<double*>(alloc(s, int64_t(ncov) * 8, poolflag::zeroed_marked));
        if (!s->fmcov[i]) return RC_NOMEM;
        s->fmused[i] = 1;
        std::memset(s->parmvec[0], 0, static_cast<size_t>(pvbytes));

        const int rc = vyxfmi(s, g);
        if (rc == RC_READ) {
            // The rows cannot be read again: the step ends.
            xexit(RC_READ, 0);
            s->stepend = 1;
            return rc;
        }
        if (rc != 0) {
            unfit(s, i);
            continue;
        }
        s->itstatus[1] = 0;
        if (s->fitmethod != FIT_NONE) {
            vyxfit(s, g);
            if (s->stepend) return 1;
            if (s->fitmethod == FIT_MLE || s->fitmethod == FIT_MODEL) {
                vyxcov(s);
                if (s->stepend) return 1;
            }
        }
        const double* P = s->parmvec[0];
        if (s->itstatus[1] != 0 || !std::isfinite(P[0]) || !std::isfinite(P[1]) || !(P[1] > 0)) {
            unfit(s, i);
            continue;
        }
        s->fmloc[i] = P[0];
        s->fmscale[i] = P[1];
        std::memcpy(s->fmcov[i], P + 2 * n, static_cast<size_t>(ncov) * 8);
        ++usable;
    }
    s->lastgrp = lastgrp;
    s->fitmethod = method;
    setlabel(s, -1);
    // Without a usable mode there is nothing to combine: the data are shown without a fit.
    if (usable == 0) return nofit(1);
    if (fmode(s) != 0) return nofit(1);
    return 0;
}

void fmput(vyxstate* s) {
    if (s->stepend || !s->fmused || s->fitmethod == FIT_NONE) return;
    const int n = s->npar[0];
    double* P = s->parmvec[0];
    const double z = zprobit(1 - s->alpha / 2);
    tabpair& tab = s->tabs[TAB_PARMEST];
    if (!bindtable(s, tab, "kv.vitalyx.ppest")) return;
    for (int i = 0; i < s->fmodeset.nvals; ++i) {
        if (!s->fmused[i]) continue;
        P[0] = s->fmloc[i];
        P[1] = s->fmscale[i];
        std::memcpy(P + 2 * n, s->fmcov[i], 3 * sizeof(double));
        P[n] = P[2 * n] > 0 ? std::sqrt(P[2 * n]) : 0.0;
        P[n + 1] = P[2 * n + 2] > 0 ? std::sqrt(P[2 * n + 2]) : 0.0;
        setlabel(s, i);
        // Wald limits: the location on its own scale, the scale on the log scale.
        const double w = P[1] > EPS53 ? z * P[n + 1] / P[1] : 0.0;
        const double e = w < EXP_OVER ? std::exp(w) : 1.0;
        s->fmlims[0] = P[0] - z * P[n];
        s->fmlims[1] = P[0] + z * P[n];
        s->fmlims[2] = std::fmin(P[1] / e, P[1] * e);
        s->fmlims[3] = std::fmax(P[1] / e, P[1] * e);
        std::memcpy(s->parmlim, s->fmlims, sizeof s->fmlims);
        double ws, wk, vws, cws, vwk;
        putparms(s, &ws, &wk, &vws, &cws, &vwk);
        if (s->stepend) return;
        // A separator row between the modes: blank texts and the alternate missing value.
        settext(s->rowtext, 40, "", 0);
        setlabel(s, -1);
        s->rowvals[0] = s->rowvals[3] = s->rowvals[8] = s->rowvals[9] = hostaltmissing();
        if (!addrow(s, tab.obj)) return;
    }
    fmclose(s, tab);
}
