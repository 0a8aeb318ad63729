// PROBPLOT as statistical graphics: one phantom object with the points, fitted lines,
// bands and reference lines of every group, an inset phantom with the inset values of each
// group, and one graph request (without class variables or with OVERLAY) or one per page of
// panels inside an output group.
#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/statgraph/sgmath.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/sginset.h"
#include "proc/statgraph/statgraph_internal.h"

using sg::missing;

namespace {

// A running range of the probability axis (quantile scale); empty until a value comes.
struct Range {
    double lo = DBL_MAX, hi = -DBL_MAX;
    bool any() const { return lo <= hi; }
};

// The row cells a group starts with.
void resetrow(outputrow& row) {
    for (int k = 0; k < SG_CELLS; ++k) row.rowvals[k] = missing();
}

// A variable's label when it has one, else its name.
txthandle labelorname(const vardesc* d) {
    return d->labellen > 0 ? rdxtxt(d->label, d->labellen) : rdxtxt(d->name, d->namelen);
}
// The title of the time axis: the variable's label, else its name; with THRESHOLD, as on the
// device road, a text that says the threshold is taken off every time ("mrevs minus threshold
// on Lognormal probability paper"; a label: "label minus threshold").
txthandle timetitle(const vyxstate* s, const vardesc* d) {
    if (!s->work.thrflags[TH_GIVEN]) return labelorname(d);
    char buf[1024];
    const int n = d->labellen > 0 ? xpmstr(buf, sizeof buf, 510, T510_LIFE_LABEL_THRESHOLD, txtarg(d->label, d->labellen))
                                  : lifelabel(s, buf, sizeof buf, false);
    return rdxtxt(buf, n);
}
// The class variables by label (or name): one, or both separated by a blank.
txthandle classnames(const vyxstate* s) {
    auto arg = [s](int k) {
        return s->groups.clslablen[k] > 0 ? txtarg(s->groups.clslabels[k], s->groups.clslablen[k]) : txtarg(s->groups.clsnames[k], s->groups.clsnamelen[k]);
    };
    return s->groups.nclass == 1 ? rdxtxts("%s", -1, arg(CV_FIRST)) : rdxtxts("%s %s", -1, arg(CV_FIRST), arg(CV_SECOND));
}

// The rows of one group: points, fitted line, and reference lines until they refuse. The
// points' own range of the probability axis goes into points as well.
int grouprows(vyxstate* s, grpnode* g, double* vmin, double* vmax, bool* refs, Range* points) {
    resetrow(s->row);
    PlotPoints(s, g, &points->lo, &points->hi);   // a read failure has been reported; the plot goes on
    if (s->step.stepend) return -1;
    if (points->any()) sg::widen(vmin, vmax, points->lo), sg::widen(vmin, vmax, points->hi);
    if (int rc = PlotCurves(s, g, vmin, vmax)) return rc;
    if (*refs) {
        const int rc = PPlotRefLines(s, g);
        if (rc < 0) return rc;
        if (rc == 1) *refs = false;
    }
    return 0;
}

}  // namespace

int vyxpog(vyxstate* s) {
    const LeftOutNote note(s);   // the labels its pages leave out, named once
    s->work.pageflags.statement = 0;
    const auto& p = s->popt.pflags;
    const vardesc* tvar = s->input.rspvars[RV_TIME];
    char distbuf[40];   // the distribution as the page names it (LNORM10: "Lognormal (base 10)")
    const int dlen = pagedistname(s, distbuf, sizeof distbuf);
    const msgarg dist = txtarg(distbuf, dlen);

    if (int rc = SGPobj(s)) return rc;
    // The fitted lines and bands as the statement asks for them: a group without a fit has
    // no line rows, so nothing of it is drawn, whatever the last group's fit left behind.
    const bool noline = p.stmtnoline != 0;
    const double transconf = p.stmtnoconf || s->work.noconf || noline ? 1.0 : 0.8;
    const double transfit = noline ? 1.0 : 0.0;
    std::memset(s->sg.refrowlab, ' ', sizeof s->sg.refrowlab);
    s->sg.refrow[SG_XREF] = s->sg.refrow[SG_YREF] = missing();

    // Template and graph names.
    const uint32_t pint = s->popt.plotcodes[PC_PINTERVALS];
    assert(pint == 0 || pint == code::pintervals::PERCENTILES || pint == code::pintervals::PROBABILITY ||
           pint == code::pintervals::LIKELIHOOD);
    const bool perlim = pint == code::pintervals::PERCENTILES || pint == code::pintervals::LIKELIHOOD;
    std::string templ = "KV.Vitalyx.Graphics.ProbabilityPlot";
    txthandle gname = rdxtxt("ProbabilityPlot", -1);
    txthandle glabel = rdxmsgs(510, T510_PROBPLOT_LABEL, dist);
    if (s->groups.nclass == 0 && p.fmcombine) {
        templ += p.rotate ? "FMRotate" : "FM";
        gname = rdxtxt("ProbabilityPlotFM", -1);
        glabel = rdxmsgs(510, T510_PROBPLOT_FMODE_LABEL, dist);
    } else {
        if (s->groups.nclass > 0 && !p.overlay) templ += s->groups.nclass == 1 ? "OneClass" : "TwoClass";
        if (perlim) templ += "PerLim";
        if (p.rotate) templ += "Rotate";
    }

    uint32_t* refs = s->sg.phantomlist;
    refs[0] = refs[1] = 0;
    if (int rc = phbind(s, &refs[0])) return rc;
    s->work.axlim[AX_DATALO] = DBL_MAX;
    s->work.axlim[AX_DATAHI] = -DBL_MAX;
    double vmin = DBL_MAX, vmax = -DBL_MAX;
    Range points;
    s->sg.grpindex = 1;
    bool refsgo = true;
    int ngroups = 0;
    if (s->groups.nclass == 0) {
        if (int rc = grouprows(s, &s->groups.rootgrp, &vmin, &vmax, &refsgo, &points)) return rc;
    } else if (s->groups.nclass == 1) {
        for (grpnode* g = s->groups.grplist.head; g; g = g->next, ++ngroups) {
            padtext(s->row.grplabel, 256, 0, g->key, 16);
            padtext(s->row.rowtext, 256, 0, g->key, 16);
            if (int rc = grouprows(s, g, &vmin, &vmax, &refsgo, &points)) return rc;
            ++s->sg.grpindex;
        }
    } else {
        const int n1 = static_cast<int>(s->groups.nlev[NLEV_FIRST]), n2 = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
        for (int i = 0; i < n1; ++i)
            for (int j = 0; j < n2; ++j, ++ngroups) {
                resetrow(s->row);
                gridcells(s, i, j);
                grpnode* g = s->groups.grpgrid[i * n2 + j];
                if (g) {
                    if (int rc = grouprows(s, g, &vmin, &vmax, &refsgo, &points)) return rc;
                } else if (int rc = phrow(s)) {
                    return rc;
                }
                ++s->sg.grpindex;
            }
    }
    if (int rc = phclose(s)) return rc;

    char *ticks = nullptr, *ticklabels = nullptr;
    int tickslen = 0, labelslen = 0;
    SetProbAxis(s, &ticks, &tickslen, &ticklabels, &labelslen);
    // Without a plotted point (a Weibayes fit of data without failures) the axis is the device
    // road's, not the fitted line's whole reach down to 1e-10 percent.
    if (!points.any()) deviceprobends(s, &vmin, &vmax);
    const double vlo = p.plowgiven ? s->opts.quant_fn(s->work.axlim[AX_PCTLOWER] / 100) : vmin;
    const double vhi = p.pupgiven ? s->opts.quant_fn(s->work.axlim[AX_PCTUPPER] / 100) : vmax;

    // The inset: its variables, and with class variables a phantom of every group's values.
    wobitem* insetitems = nullptr;
    int insetcount = 0;
    int nrefs = 1;
    if (p.noinset) {
        const int rc = s->groups.nclass == 0 ? inset_single(s, &s->groups.rootgrp, &insetitems, &insetcount)
                                      : inset_phantom(s, "Phantom Data for Probability Plot Inset", 0, &insetitems,
                                                      &insetcount, &refs[1]);
        if (rc < 0) return rc;
        if (rc == 1) nrefs = 2;
    }

    // The graph requests.
    const txthandle ticktext = rdxtxt(ticks ? ticks : "", tickslen);
    const txthandle labeltext = rdxtxt(ticklabels ? ticklabels : "", labelslen);
    const optslot* axlabel = stmtslot(s->inwork.curstmt, slot::plot::PAXISLABEL);
    int axlen = 0;
    const char* axtext = slotstring(axlabel, &axlen);
    const txthandle ylabel = axtext ? rdxtxt(axtext, axlen) : rdxmsg(0, T0_PERCENT);
    const txthandle sylabel = s->groups.nclass == 2 && p.overlay ? ylabel : rdxmsg(0, T0_PERCENT);
    const txthandle xtype = rdxtxt(s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10] ? "log" : "linear", -1);
    const txthandle grid = rdxtxt(p.nogrid ? "AUTO_ON" : "OFF", -1);
    const txthandle mlgrid = rdxtxt(p.mlgrid ? "ON" : "OFF", -1);
    const txthandle templh = rdxtxt(templ.c_str(), -1);
    const txthandle dname = rdxtxt(distbuf, dlen);
    const int nrows = s->popt.panels.nrows, ncols = s->popt.panels.ncols;
    const txthandle xlabel = timetitle(s, tvar);

    auto common = [&](GraphRequest& r, bool panel, int panelno) {
        r.text("_DName", dname).text("_Ticks", ticktext).text("_TickLabels", labeltext);
        if (panel) r.integer("_PanelN", panelno);
        r.number("_VMin", vlo).number("_VMax", vhi).text("_Grid", grid).text("_MLGrid", mlgrid);
        if (panel) r.integer("_NRow", nrows).integer("_NCol", ncols).text("_ShrinkFonts", rdxtxt(nrows == 1 ? "FALSE" : "TRUE", -1));
        r.text("_YType", rdxtxt("linear", -1)).text("_XType", xtype).text("_XName", rdxtxt(tvar->name, tvar->namelen));
        r.text("_XLabel", xlabel).text("_SXLabel", rdxtxt(tvar->name, tvar->namelen));
        r.text("_YLabel", ylabel).text("_SYLabel", sylabel);
    };
    auto tail = [&](GraphRequest& r) {
        r.integer("_NPInterval", static_cast<int32_t>(s->popt.plotcodes[PC_NPINTERVALS]));
        r.number("_TransConf", transconf).number("_TransFit", transfit);
    };

    int rc = 0;
    if (s->groups.nclass == 0 || p.overlay) {
        GraphRequest r(gname, glabel, glabel, templh, refs, s->groups.nclass == 0 ? 1 : nrefs);
        if (s->groups.nclass == 0) r.inset(insetitems, insetcount);
        common(r, false, 0);
        if (s->groups.nclass == 0) {
            tail(r);
        } else {
            r.text("_ClsNam", classnames(s));
            if (s->groups.nclass == 1) {
                tail(r);
                r.integer("_OverLay", p.overlay);
            } else {
                r.integer("_OverLay", p.overlay);
                tail(r);
            }
        }
        axisends(s, r);
        probrefs(s, r);
        rc = r.issue(s);
    } else {
        const int per = nrows * ncols > 0 ? nrows * ncols : 1;
        const int panels = static_cast<int>(std::ceil(static_cast<double>(ngroups) / per));
        const txthandle pgname = rdxtxt("ProbabilityPlotPanel", -1);
        const txthandle plabel = rdxmsgs(510, T510_PROBPLOT_PANELS_LABEL, dist);
        rc = phgroup(s, rdxtxt("Probability Plots", -1), plabel);
        for (int k = 1; !rc && k <= panels; ++k) {
            GraphRequest r(pgname, plabel, rdxmsgs(510, T510_PANEL, k), templh, refs, nrefs);
            r.inset(insetitems, insetcount);
            common(r, true, k);
            tail(r);
            axisends(s, r);
            probrefs(s, r);
            rc = r.issue(s);
        }
        if (!rc) rc = phgroupclose(s);
    }
    if (s->groups.nclass == 0) {
        if (ticks) poolput(s->pools.stmtpool, ticks);
        if (ticklabels) poolput(s->pools.stmtpool, ticklabels);
    }
    return rc;
}
