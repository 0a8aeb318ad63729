// The RELATIONPLOT statement: a probability plot with a relation panel for the fits of the
// stress levels, the statistical-graphics road, or, for the MODEL's regression
// (FITTYPE=REGRESSION), the relation plot of life against stress with the MODEL's percentile
// lines: one page per output destination.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/devgraph/legends.h"
#include "proc/devgraph/ppaxes.h"
#include "proc/devgraph/ppdraw.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/effects/effects.h"
#include "proc/framework/optslots.h"
#include "proc/framework/stepend.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist.h"

namespace {

// The relation plot shows at most two MODEL variables (CLASS and continuous together).
bool toomanyvariables(const modelstate& mdl) {
    const usedvars v = usedvariables(mdl.mdllev ? mdl.mdllev->lstate : nullptr);
    if (v.ncls + v.ncont <= 2) return false;
    xpmlog(510, E510_RELPLOT_MODEL_VARIABLES);
    return true;
}

// The reference lines a relation plot without its probability panel leaves out, one NOTE per
// option given: it draws SREF= at stresses, and on the device road VREF= (or LREF= in its
// place) at lives; the statistical road draws neither the time nor the probability lines
// there. With PPLOT the probability panel takes the others (and says what it cannot draw).
void undrawnrefs(const vyxstate* s) {
    if (s->popt.pflags.pplot) return;
    const auto& r = s->work.refs;
    if (s->opts.rdxgraph) {
        static const struct {
            int which;
            const char* name;
        } kLists[] = {{REF_HREF, "HREF"}, {REF_VREF, "VREF"}, {REF_LREF, "LREF"}, {REF_PREF, "PREF"}};
        for (const auto& l : kLists)
            if (r.counts[l.which] > 0) xpmlog(510, N510_RELPLOT_REFS_NOT_DRAWN_SG, l.name);
        return;
    }
    // The device road's HREF lines: HREF=, or PREF= in its place under the plot's rotation.
    if (r.counts[REF_HREF] > 0)
        xpmlog(510, N510_RELPLOT_REFS_NOT_DRAWN, r.counts[REF_PREF] > 0 && r.vals[REF_PREF] == r.vals[REF_HREF] ? "PREF" : "HREF");
}

// The axes of the REGRESSION plot: life from the range of the MODEL's rows, stress from the
// range of the stress variable over them. 0, or the scale routines' result.
int regscales(vyxstate* s) {
    plotlay* f = s->plot.frame;
    f->nhtick = f->nvtick = f->nsint = 1;
    double lo = s->mdl.liferng[MR_LOW], hi = s->mdl.liferng[MR_HIGH];
    if (s->opts.logscale[LSC_LN]) {
        lo = std::log(lo);
        hi = std::log(hi);
    } else if (s->opts.logscale[LSC_LOG10]) {
        lo = std::log10(lo);
        hi = std::log10(hi);
    }
    if (int rc = lifescl(s, lo, hi)) return rc;
    for (int i = 0; i < 3; ++i) s->plot.lifeaxis[i] = s->plot.lifescale[i];
    f->vmin = s->plot.lifescale[LAX_START];
    f->vmax = s->plot.lifescale[LAX_END];
    f->vstep = s->plot.lifescale[LAX_STEP];
    f->nvtick = s->work.axopt[AO_NTICK];
    f->vticks = s->plot.lifetickv;
    f->nvtickv = static_cast<int32_t>(s->plot.tickinfo[TI_NLIFETICKS]);
    if (s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]) s->plot.axlog[AXLOG_V] = 1;
    const levstate* l = s->mdl.mdllev->lstate;
    int k = -1;
    for (int i = 0; i < l->ncontv && k < 0; ++i)
        if (l->contv[i].varinfo && l->contv[i].varinfo->varnum == s->groups.clsvars[CV_FIRST]) k = i;
    if (k < 0) {
        xpmlog(510, E510_RELPLOT_STRESS_NOT_MODEL);
        return 1;
    }
    return stressscl(s, s->mdl.stressvals[SV_MIN][k], s->mdl.stressvals[SV_MAX][k]);
}

// What the REGRESSION plot draws, as the labels of its reference lines keep clear of it: the
// symbol legend (when the observations are marked), with an entry for every kind of point the
// response form can have (the rows are read after the lines are drawn).
void reglegendink(vyxstate* s, const grpnode*, PanelInk* ink) {
    const symrec* st = static_cast<const symrec*>(s->plot.gstyles);
    const optslot* pd = stmtslot(s->inwork.curstmt, slot::plot::PLOTDATA);
    if (!s->popt.pflags.noinset || !st || s->input.rspform[RF_READOUT] || (pd && static_cast<int>(pd->num) == code::plotdata::NONE)) return;
    const bool seen[3] = {true, true, true};
    legendink(s, st[GS_EXACT].symsize, seen, false, ink);
}

// The page of one destination: frame and axes, reference lines, the plot's contents.
int regpage(vyxstate* s, const double* lines, bool square) {
    plotlay* f = s->plot.frame;
    s->groups.nplotgrp = 1;
    if (int rc = vyxsymb(s)) return rc;
    if (s->work.rellegend)
        if (int rc = vyxglgi(s)) return rc;
    vyxgpat(s);
    vyxpmar(s);
    if (int rc = vyxppag(s)) return rc;
    if (s->inwork.annoflag && vyxatrn(s) != 0) s->inwork.annoflag = 0;
    f->sqdx = f->sqdy = 0.0;
    if (square) squareframe(f);
    f->catent = s->plot.gcatent;
    s->work.pageflags.start = s->work.pageflags.end = 1;
    f->leftedge[0] = f->leftedge[1] = 1;
    f->bottomedge[0] = f->bottomedge[1] = 1;
    Pages page{s};
    page.begin();
    if (stmtslot(s->inwork.curstmt, slot::plot::CFRAME) || s->popt.cframe[CFR_GIVEN] == 2) vyxgfrm(s);
    vyxrax(s);
    if (s->work.refs.counts[REF_VREF]) {
        s->work.refstop2 = 0;   // no intersections on a relation plot
        vyxgvrl(s, nullptr, reglegendink);
    }
    if (s->work.refs.counts[REF_SREF] > 0) vyxgsrl(s, reglegendink);
    if (regplt(s, lines) != 0) {
        page.end();
        return 1;
    }
    if (s->inwork.annoflag) vyxanno(s);
    page.end();
    return 0;
}

}  // namespace

int vyxrplot(vyxstate* s) {
    if (int rc = vyxpprm(s)) return rc;
    undrawnrefs(s);
    const bool regression = s->work.fitmethod == FIT_REGRESSION;
    if (!regression) {
        if (!s->opts.rdxgraph) return vyxpplt(s);
        // The statistical road draws from the fits: a statement whose analysis failed, or a fit
        // that ended the step, stops here.
        if (int rc = PPComp(s)) return rc;
        if (stepended(s)) return RC_REPORTED;
        if (s->work.fitmethod == FIT_MODEL && toomanyvariables(s->mdl)) return 1;
        double* lines = regper(s);
        if (!lines) return 1;
        return vyxrog(s, lines);
    }
    if (toomanyvariables(s->mdl)) return 1;
    // The levels' computations and tables, then the axes from the MODEL's rows.
    if (int rc = PPComp(s)) return rc;
    if (stepended(s)) return RC_REPORTED;
    if (int rc = regscales(s)) return rc;
    double* lines = regper(s);
    if (!lines) return 1;
    if (s->opts.rdxgraph) return vyxrog(s, lines);
    const bool square = stmtflag(s->inwork.curstmt, flag::plot::SQUARE) != 0;
    return eachdestination(s, [&] { return regpage(s, lines, square); });
}
