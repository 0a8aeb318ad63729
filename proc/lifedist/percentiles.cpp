// Percentiles of a fitted distribution, and the percentile and survival records of a group.
#include <cmath>

#include "proc/lifedist/fitscale.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/numeric/distributions.h"
#include "proc/numeric/normal.h"

using namespace fitx;

void pctl(vyxstate* s, double p, double* out) {
    if (p <= 0.0 || p >= 1.0) {
        *out = missing();
        return;
    }
    double q;
    switch (familyof(s->opts.distcode)) {
        case FAM_NORMAL: q = zprobit(p); break;
        case FAM_EXTREME: q = std::log(-std::log(1.0 - p)); break;
        case FAM_LOGISTIC: q = std::log(p / (1.0 - p)); break;
        default: return;
    }
    const double* pv = s->life.parmvec.block;
    *out = pv[0] + pv[1] * q;
}

void vyxpper(vyxstate* s, grpnode* g) {
    if (s->popt.panels.npct > 0 && g->pcttab) {
        int lo, hi;
        ticks(s, &lo, &hi);
        for (int k = lo; k <= hi; ++k)
            pctl(s, s->popt.panels.pctlist[k] / 100.0, g->pcttab + static_cast<size_t>(k) * PCT_WORDS + PCT_EST);
    }
    if (s->work.pageflags.fitlines && s->opts.pctcount > 0 && g->fitlines)
        for (uint32_t k = 0; k < s->opts.pctcount; ++k)
            pctl(s, s->opts.pctvals[k] / 100.0, g->fitlines + static_cast<size_t>(k) * PCT_WORDS + PCT_EST);
    if (g->survtab) {
        for (int k = 0; k < s->work.axopt[AO_NSURV]; ++k) {
            double t = s->popt.panels.survtime[k];
            if (s->work.thrflags[TH_GIVEN]) t -= s->opts.fixedparms[FP_THRESHOLD];
            sflim(s, g, t, g->survtab + static_cast<size_t>(k) * PCT_WORDS);
        }
    }
}
