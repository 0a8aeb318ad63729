// The relation plot's observations read again through the MODEL (see devgraph.h).
#include "proc/devgraph/devgraph_internal.h"

#include <cmath>

#include "host/hostdefs.h"
#include "proc/effects/effects.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/optslots.h"
#include "proc/vyxstate.h"
#include "proc/regression/regression.h"

namespace {

bool missing(double v) { return std::isnan(v); }

// The life and censoring of the response values y (THRESHOLD already subtracted); false when
// the observation gives no place.
bool lifeof(const vyxstate* s, const double* y, modelobs* o) {
    o->code = 0;
    switch (s->mdl.mdlrspkind) {
        case 0:
            o->life = y[0];
            if (missing(o->life)) return false;
            break;
        case 1:
            if (missing(y[0]) || missing(y[1])) return false;
            o->life = y[0];
            for (int i = 0; i < s->input.ncensvals; ++i)
                if (y[1] == s->input.censvals[i]) o->code = -1;
            break;
        case 2: {
            const double lo = y[0], hi = y[1];
            if (missing(lo) && missing(hi)) return false;
            if (missing(lo)) o->life = hi, o->code = -2;
            else if (missing(hi)) o->life = lo, o->code = -1;
            else if (hi < lo) return false;
            else if (hi == lo) o->life = lo;
            else o->life = 0.5 * (lo + hi), o->code = -3;
            if (!(s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10])) return true;
            // On a log life axis an interval from 0 is left-censored at its upper end, as the
            // MODEL reads it; any other interval needs its lower end above 0.
            if (o->code == -3 && lo == 0.0) o->life = hi, o->code = -2;
            return (o->code == -3 ? lo : o->life) > 0.0;
        }
        default:
            return false;
    }
    return !(s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]) || o->life > 0.0;
}

}  // namespace

bool plotsmodelrows(const vyxstate* s) {
    const bool bymodel = s->work.fitmethod == FIT_MODEL || s->work.fitmethod == FIT_REGRESSION;
    return bymodel && s->mdl.mdllev && s->mdl.mdllev->lstate && modelstressindex(s) >= 0;
}

int eachmodelobs(vyxstate* s, const std::function<int(const modelobs&)>& f) {
    if (!plotsmodelrows(s)) return 0;
    levctl* mctl = s->mdl.mdllev;
    levctl* lctl = s->mdl.haslogscl ? s->mdl.logslev : nullptr;
    const int k = modelstressindex(s);
    const bool relations = s->mdl.relcodes[0] || s->mdl.relcodes[1] || s->mdl.relcodes[2];
    const double thr = s->work.thrflags[TH_GIVEN] ? s->opts.fixedparms[FP_THRESHOLD] : 0.0;
    mctl->rdrewind(mctl);
    double y[2];
    while (mctl->rdnext(mctl) && !s->step.stepend) {
        y[0] = y[1] = hostmissing();
        const int32_t flags = zlevrgd(mctl, y, nullptr, nullptr);
        if (flags & LEVF_READFAIL) return 1;
        if (s->input.procget) xyvget(s->input.procget, nullptr);
        if (s->input.fmodeget) xyvget(s->input.fmodeget, nullptr);
        if (flags & (LEVF_WEIGHT | LEVF_UNUSABLE)) continue;
        modelobs o{};
        o.count = 1.0;
        if (s->input.nfreq > 0) {
            const double w = s->inwork.obsvals.freq;
            if (missing(w) || !(w > 0.0)) continue;
            o.count = std::round(w);
        }
        const bool fmode = s->groups.fmodeset.nvars > 0;
        if (fmode && !fmodevalue(s)) continue;
        if (lctl && (zlevrgd(lctl, nullptr, nullptr, nullptr) & LEVF_UNUSABLE)) continue;
        o.stress = mctl->contval[k];
        // A value the MODEL's relation refuses drops the observation from the fit.
        if (relations && missing(transx(s))) continue;
        y[0] -= thr;
        if (s->mdl.mdlrspkind == 2) y[1] -= thr;
        if (!lifeof(s, y, &o)) continue;
        // The MODEL takes a failure of another failure mode as right-censored: so does its plot.
        if (fmode && o.code == 0 && othermode(s)) o.code = -1;
        if (int rc = f(o)) return rc;
    }
    return 0;
}
