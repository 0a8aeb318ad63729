// Options of ANALYZE: the plot readers' settings without the display options, and the
// binomial and Poisson analysis with its counts.
#include <cstring>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/optread.h"

namespace {


void readflags(vyxstate* s, const stmtrec* r) {
    auto f = [r](int k) -> uint8_t { return stmtflag(r, k) ? 1 : 0; };
    auto& p = s->poptw.pflags;
    s->work.nofitline = f(flag::plot::NOFITLINE);
    s->work.noconf = f(flag::plot::NOCONF);
    s->life.fit.itprflag.itprint = f(flag::plot::ITPRINT);
    s->groups.clsmissing[CV_FIRST] = f(flag::plot::MISSING1);
    s->groups.clsmissing[CV_SECOND] = f(flag::plot::MISSING2);
    p.pcttab = !f(flag::plot::NOPCTILE);
    s->life.fit.lrflags[LR_PARMS] = f(flag::plot::LRCL);
    s->life.fit.lrflags[LR_PERCENTILES] = p.pcttab && f(flag::plot::LRCLPER);
    s->inputw.rspform[RF_READOUT] = f(flag::plot::READOUT);
    p.ppout = f(flag::plot::PPOUT);
    s->life.fit.covprint[CP_CORRB] = f(flag::plot::CORRB);
    s->life.fit.covprint[CP_COVB] = f(flag::plot::COVB);
    s->life.emflags[EMF_POLISH] = !f(flag::plot::NOPOLISH);
    s->life.emflags[EMF_ITPRINTEM] = f(flag::plot::ITPRINTEM);
    s->life.emflags[EMF_PRINTPROBS] = f(flag::plot::PRINTPROBS);
}

// PCTLIST used as given (no end values); else the default list.
int readpctlist(vyxstate* s, const stmtrec* r) {
    const optslot* o = stmtslot(r, slot::plot::PCTLIST);
    if (!o) return defaultticks(s);
    const int n = o->count;
    auto* v = static_cast<double*>(o->ptr);
    for (int i = n - 1; i >= 0; --i) {
        const bool order = i == n - 1 || v[i] < v[i + 1];
        if (!order || !(v[i] < 100) || !(v[i] >= 1e-6) || !(v[i] <= 99.999999)) {
            xpmlog(510, E510_PCTLIST_ORDER, v[i]);
            return 1;
        }
    }
    s->poptw.panels.npct = n;
    s->poptw.panels.pctlist = v;
    s->plot.frame->pfirst = s->plot.frame->pfirst2 = 0;
    s->plot.frame->plast = s->plot.frame->plast2 = n - 1;
    return 0;
}

// FITTYPE=MODEL: the MODEL statement of this BY group must have run on this statement's
// responses, with the class variable as its one relation variable.
bool modelmatches(const vyxstate* s) {
    if (!s->work.thrflags[TH_MODELRAN] || s->mdl.mdlrspkind != s->inwork.rspkind) return false;
    if (static_cast<int>(s->mdl.mdleffinfo[ME_CONT] + s->mdl.mdleffinfo[ME_CLASS]) != s->groups.nclass) return false;
    if (s->mdl.mdlrspids[0] != s->life.rspvarid[RVAR_FIRST]) return false;
    if (s->inputw.rspvars[RV_SECOND] && s->mdl.mdlrspids[1] != s->life.rspvarid[RVAR_SECOND]) return false;
    // The MODEL's one relation variable (continuous or CLASS) is the class variable.
    const uint32_t rel = s->mdl.mdleffinfo[ME_CONT] == 1 ? s->mdl.mdlvarids[ME_CONT] : s->mdl.mdlvarids[ME_CLASS];
    return s->groups.nclass != 1 || static_cast<int32_t>(rel) == s->groups.clsvars[CV_FIRST];
}

// FITTYPE=MODEL on ANALYZE: exactly one class variable, the relation variable of a MODEL
// statement run in this BY group on the same responses.
int modelfitsettings(vyxstate* s) {
    if (s->work.fitmethod != FIT_MODEL) return 0;
    if (s->groups.nclass != 1) {
        xpmlog(510, E510_MODEL_TOO_MANY_CLASS);
        return 1;
    }
    if (!modelmatches(s)) {
        xpmlog(510, E510_FITTYPE_MODEL_MISMATCH);
        return 1;
    }
    return 0;
}

void countlabel(stmtopts& opts) {
    char* lab = opts.labels[LB_DIST];
    std::memset(lab, ' ', 40);
    if (opts.distcode == DIST_POISSON) xpmstr(lab, 16, 510, T510_POISSON);
    if (opts.distcode == DIST_BINOMIAL) xpmstr(lab, 16, 510, T510_BINOMIAL);
}

// ANALYZE without a response variable: the counts are given as options.
int countsonly(vyxstate* s, const stmtrec* r) {
    s->poptw.pflags.pbonly = 1;
    const double missing = hostmissing();
    s->life.pbcount = gparm(r, slot::analyze::COUNT, missing);
    s->life.pbtrials = gparm(r, slot::analyze::COUNT2, missing);
    if (s->optsw.distcode == DIST_POISSON) {
        if (ismissing(s->life.pbcount)) {
            xpmlog(510, E510_POISSON_NEEDS_COUNT);
            return 1;
        }
        // The Poisson analysis reads the count and EXPOSURE=; a second COUNT= value is not read.
        if (ismissing(s->life.pbtrials))
            xpmlog(510, N510_POISSON_COUNT_EXPOSURE);
        else
            xpmlog(510, W510_POISSON_SECOND_COUNT, s->life.pbtrials, gparm(r, slot::analyze::EXPOSURE, 1.0));
        countlabel(s->optsw);
    } else if (s->optsw.distcode == DIST_BINOMIAL) {
        if (ismissing(s->life.pbcount) || ismissing(s->life.pbtrials)) {
            xpmlog(510, E510_BINOMIAL_NEEDS_COUNT);
            return 1;
        }
        countlabel(s->optsw);
    }
    s->life.pbexposure = gparm(r, slot::analyze::EXPOSURE, 1.0);
    s->groups.nclass = 0;
    return 0;
}

}  // namespace

int vyxaprm(vyxstate* s) {
    const stmtrec* r = s->inwork.curstmt;
    if (int rc = readerstart(s)) return rc;
    s->poptw.pflags.pbonly = 0;
    s->inputw.stmtkind = 0;
    readstmtlabel(s, r);
    std::memset(s->optsw.labels[LB_DIST], ' ', 40);

    if (int rc = readconfidence(s, r)) return rc;
    const optslot* pred = stmtslot(r, slot::analyze::PREDICT);
    s->life.pbpredict = pred ? pred->num : hostmissing();
    s->life.pbpredgiven = pred != nullptr;
    const optslot* tol = stmtslot(r, slot::analyze::TOLERANCE);
    s->life.pbtolval = tol ? tol->num : 0.0;
    s->life.pbtolgiven = tol != nullptr;
    s->poptw.pflags.pbonesided = stmtflag(r, flag::analyze::ONESIDED);

    const optslot* rsp = stmtslot(r, slot::head::RESP1);
    if (!rsp || rsp->count <= 0) return countsonly(s, r);
    readresponses(s, r);
    if (allocframe(s)) return 1;
    readflags(s, r);
    readfitcrit(s, r);

    s->work.pageflags.boxes = s->work.pageflags.data = s->work.pageflags.fitlines = s->work.pageflags.medians = 0;
    s->life.ppcflag1 = s->life.ppcflag2 = 0;
    if (int rc = readwbconf(s, r, slot::analyze::WBCONF, 1.0)) return rc;

    if (int rc = readclass(s, r, false)) return rc;
    if (int rc = readform(s, r, true)) return rc;
    s->poptw.pflags.pupgiven = s->poptw.pflags.plowgiven = 0;
    if (int rc = readpctlist(s, r)) return rc;

    // A SCALE= or SHAPE= that is not positive is refused as the plot statements refuse it
    // (510/11, 510/12): a scale of 0 gives no distribution to fit.
    if (int rc = readgivenparms(s, r, true)) return rc;
    s->life.fit.npar.total = 2;
    choosefitmethod(s, r);
    if (int rc = fitmethodlabel(s, r, false)) return rc;
    if (int rc = modelfitsettings(s)) return rc;
    afterfitmethod(s);

    if (s->optsw.distcode == DIST_POISSON || s->optsw.distcode == DIST_BINOMIAL) {
        countlabel(s->optsw);
        if (s->optsw.distcode == DIST_BINOMIAL && s->inwork.rspkind != FORM_COUNTS) {
            xpmlog(510, E510_EVENTS_TRIALS_DISTRIBUTION);
            return RC_SPEC;
        }
        s->work.fitmethod = FIT_COUNTS;
        if (stmtslot(r, slot::plot::THRESHOLD)) xpmlog(510, W510_NO_THRESHOLD_PARAMETER, txtarg(s->optsw.labels[LB_DIST], 16));
    } else {
        dispatchdist(s, r);
    }
    if (nocovariance(s->work.fitmethod)) s->work.noconf = 1;
    setppos(s, static_cast<int>(gparm(r, slot::analyze::PPOS, 4)));
    if (!s->optsw.logscale[LSC_LN]) s->poptw.linaxis = 1;
    readsurvtime(s, r);
    const uint32_t fm = s->work.fitmethod;
    s->work.fitmethod = FIT_UNSET;   // the ordering is not taken from the MODEL statement here
    readordering(s, r);
    s->work.fitmethod = fm;
    combinenotes(s, false);
    return 0;
}
