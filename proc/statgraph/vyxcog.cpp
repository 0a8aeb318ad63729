// MCFPLOT as statistical graphics: one phantom object with the curves, limits, marks and
// reference lines of every group, an inset phantom with each group's inset values, and one
// graph request (no class variable, or OVERLAY) or one per page of panels.
#include <cmath>
#include <cstring>
#include <string>

#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/workpool.h"
#include "proc/mcf/mcf.h"
#include "proc/statgraph/sginset.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/statgraph_internal.h"

namespace {

// The ends of the axes the statement gives, each only when given, after the other variables:
// HLOWER and HUPPER (or an HAXIS list) as _LifeMin and _LifeMax, VLOWER and VUPPER (or a VAXIS
// list) as _MCFMin and _MCFMax. The renderer ends its axes there, as the device road does.
void mcfends(const vyxstate* s, GraphRequest& r) {
    const auto& p = s->popt.pflags;
    const auto& w = s->work;
    if (w.llowgiven) r.number("_LifeMin", w.axlim[AX_LIFELOWER]);
    if (w.lupgiven) r.number("_LifeMax", w.axlim[AX_LIFEUPPER]);
    if (p.plowgiven) r.number("_MCFMin", w.axlim[AX_PCTLOWER]);
    if (p.pupgiven) r.number("_MCFMax", w.axlim[AX_PCTUPPER]);
}


// The columns of the main phantom object.
int columns(vyxstate* s) {
    double* v = s->row.rowvals;
    const auto& p = s->popt.pflags;
    if (int rc = phcolumn(s, COL_DOUBLE, "Xvalue", "XValue", 0, "Xvalue", &v[SG_XVALUE], s->input.rspvars[RV_TIME])) return rc;
    struct Col {
        int kind;
        const char* name;
        const char* label;
        int width;
        const char* role;
        void* cell;
        bool present;
    };
    const bool step = s->mcf.mcftype == 1;
    const bool refs = s->work.refs.counts[REF_HREF] > 0 || s->work.refs.counts[REF_VREF] > 0;
    const int cw = static_cast<int>(s->mcf.clswidth);
    const Col cols[] = {
        {COL_DOUBLE, "Yvalue", "YValue", 0, "Yvalue", &v[SG_YVALUE], true},
        {COL_DOUBLE, "Yupper", "Yupper", 0, "Yvalue", &v[SG_YUPPER], true},
        {COL_DOUBLE, "Ylower", "Ylower", 0, "Yvalue", &v[SG_YLOWER], true},
        {COL_DOUBLE, "Censor", "Censor", 0, "Xvalue", &v[SG_CENSOR], s->work.nocenplot && !p.overlay && !p.mcfdiff},
        {COL_DOUBLE, "Xvalue2", "Xvalue2", 0, "Xvalue", &v[SG_XVALUE2], step},
        {COL_DOUBLE, "Yvalue2", "Yvalue2", 0, "Yvalue", &v[SG_YVALUE2], step},
        {COL_DOUBLE, "Yupper2", "Yupper2", 0, "Yvalue", &v[SG_YUPPER2], step},
        {COL_DOUBLE, "Ylower2", "Ylower2", 0, "Yvalue", &v[SG_YLOWER2], step},
        {COL_DOUBLE, "XRef", "XRef", 0, "Xvalue", &s->sg.refrow[SG_XREF], refs},
        {COL_TEXT, "XRefLabel", "XRefLabel", SG_REFLABEL, "Group", s->sg.refrowlab[SG_XREF], refs},
        {COL_DOUBLE, "YRef", "YRef", 0, "Yvalue", &s->sg.refrow[SG_YREF], refs},
        {COL_TEXT, "YRefLabel", "YRefLabel", SG_REFLABEL, "Group", s->sg.refrowlab[SG_YREF], refs},
        {COL_TEXT, "Group", s->groups.clsnames[CV_FIRST], cw, "Group", s->row.grplabel, s->groups.nclass == 1},
        {COL_TEXT, "Group1", s->groups.clsnames[CV_FIRST], cw, "Group", s->row.grplabel, s->groups.nclass == 2},
        {COL_TEXT, "Group2", s->groups.clsnames[CV_SECOND], cw, "Group", s->row.grplabel2, s->groups.nclass == 2},
        {COL_TEXT, "OverlayGroup", "OverlayGroup", 256, "Group", s->row.rowtext, p.overlay != 0},
    };
    for (const Col& c : cols)
        if (c.present)
            if (int rc = phcolumn(s, c.kind, c.name, c.label, c.width, c.role, c.cell)) return rc;
    return phenddef(s);
}

int grouprows(vyxstate* s, grpnode* g) {
    if (int rc = GetMCF(s, g)) return rc;
    return MCFRefLines(s, g);
}

}  // namespace

int vyxcog(vyxstate* s) {
    const LeftOutNote note(s);   // the labels its pages leave out, named once
    s->work.pageflags.statement = 0;
    const auto& p = s->popt.pflags;
    const vardesc* tvar = s->input.rspvars[RV_TIME];
    const txthandle axtype = rdxtxt(s->opts.logscale[LSC_LN] ? "log" : "linear", -1);
    const txthandle xlabel = tvar->labellen > 0 ? rdxtxt(tvar->label, tvar->labellen) : rdxtxt(tvar->name, tvar->namelen);
    const txthandle xname = rdxtxt(tvar->name, tvar->namelen);
    const txthandle ylabel = rdxmsg(0, p.mcfdiff ? T0_MCF_DIFF : T0_MCF);
    const txthandle sylabel = rdxmsg(0, p.mcfdiff ? T0_DIFF_EVENTS_PER_UNIT : T0_EVENTS_PER_UNIT);
    const int nrows = s->popt.panels.nrows, ncols = s->popt.panels.ncols;
    const txthandle shrink = rdxtxt(nrows == 1 ? "FALSE" : "TRUE", -1);
    const txthandle grid = rdxtxt(p.nogrid ? "AUTO_ON" : "OFF", -1);
    const optslot* js = stmtslot(s->inwork.curstmt, slot::mcf::JOIN);
    const int join = js && static_cast<int>(std::trunc(gparm(s->inwork.curstmt, slot::mcf::JOIN, 0))) == code::join::YES ? 1 : 0;
    const bool insetwanted = p.noinset && (!p.overlay || p.mcfdiff);
    const int type = static_cast<int>(s->mcf.mcftype);

    if (int rc = phcreate(s, "Phantom", "Phantom Data for MCF Plot")) return rc;
    if (int rc = columns(s)) return rc;
    uint32_t* refs = s->sg.phantomlist;
    refs[0] = refs[1] = 0;
    static const char* const kTypes[] = {"None", "Step", "Join"};
    const char* tname = kTypes[type >= 0 && type <= 2 ? type : 0];

    if (s->groups.nclass == 0) {
        if (int rc = renewworkpool(s)) return rc;
        wobitem* items = nullptr;
        int count = 0;
        if (insetwanted) inset_single(s, &s->groups.rootgrp, &items, &count);
        if (int rc = phbind(s, &refs[0])) return rc;
        if (int rc = grouprows(s, &s->groups.rootgrp)) return rc;
        const std::string templ = "KV.Vitalyx.Graphics.MCFNoClass" + std::to_string(type >= 0 && type <= 2 ? type : 0);
        if (int rc = phclose(s)) return rc;
        const txthandle name = rdxtxt(p.mcfdiff ? "MCFDiffPlot" : "MCFPlot", -1);
        const txthandle label = rdxmsg(0, p.mcfdiff ? T0_MCF_DIFF_PLOT : T0_MCF_PLOT);
        GraphRequest r(name, label, label, rdxtxt(templ.c_str(), -1), refs, 1);
        if (insetwanted) r.inset(items, count);
        r.integer("_IType", type).text("_XName", xname).text("_XLabel", xlabel).text("_YLabel", ylabel);
        r.text("_SXLabel", xname).text("_SYLabel", sylabel).integer("_NoConf", s->work.noconf).integer("_Join", join);
        r.integer("_NRow", nrows).integer("_NCol", ncols).text("_Grid", grid).integer("_MCFDiff", p.mcfdiff ? 1 : 0);
        // The axis types, as the class layouts have them: without them a LOGLOG plot of one
        // group would be drawn on linear axes.
        r.text("_YType", axtype).text("_XType", axtype);
        mcfends(s, r);
        return r.issue(s);
    }

    if (int rc = renewworkpool(s)) return rc;
    std::string templ = "KV.Vitalyx.Graphics.";
    if (p.overlay)
        templ += "MCFOverlay";
    else
        templ += std::string(s->groups.nclass == 1 ? "MCFOneClassPanel" : "MCFTwoClassPanel") + tname;
    if (int rc = phbind(s, &refs[0])) return rc;
    int ngroups = 0;
    if (s->groups.nclass == 1) {
        for (grpnode* g = s->groups.grplist.head; g; g = g->next, ++ngroups) {
            padtext(s->row.grplabel, 40, 0, g->key, 16);
            padtext(s->row.rowtext, 256, 0, g->key, 16);
            if (int rc = grouprows(s, g)) return rc;
        }
    } else {
        const int n1 = static_cast<int>(s->groups.nlev[NLEV_FIRST]), n2 = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
        for (int i = 0; i < n1; ++i)
            for (int j = 0; j < n2; ++j, ++ngroups) {
                gridcells(s, i, j);
                if (grpnode* g = s->groups.grpgrid[i * n2 + j])
                    if (int rc = grouprows(s, g)) return rc;
            }
    }
    if (int rc = phclose(s)) return rc;

    wobitem* items = nullptr;
    int count = 0, nrefs = 1;
    if (insetwanted) {
        const int rc = inset_phantom(s, "Phantom Data for MCF Plot Inset", 1, &items, &count, &refs[1]);
        if (rc < 0) return rc;
        if (rc == 1) nrefs = 2;
    }
    const txthandle templh = rdxtxt(templ.c_str(), -1);
    if (p.overlay) {
        const txthandle label = rdxmsg(0, T0_MCF_PLOT);
        GraphRequest r(rdxtxt("MCFPlot", -1), label, label, templh, refs, nrefs);
        r.integer("_IType", type).text("_YType", axtype).text("_XType", axtype).text("_XName", xname);
        r.text("_XLabel", xlabel).text("_SXLabel", xname).text("_YLabel", ylabel).text("_SYLabel", sylabel);
        r.integer("_Join", join).integer("_NoConf", s->work.noconf).integer("_NRow", nrows).integer("_NCol", ncols);
        r.text("_Grid", grid);
        mcfends(s, r);
        return r.issue(s);
    }
    const txthandle label = rdxmsg(0, T0_MCF_PLOTS);
    if (int rc = phgroup(s, rdxtxt("Mean Cumulative Function Plots", -1), label)) return rc;
    const int per = nrows * ncols > 0 ? nrows * ncols : 1;
    const int panels = static_cast<int>(std::ceil(static_cast<double>(ngroups) / per));
    const txthandle pname = rdxtxt("MCFPlotPanel", -1);
    for (int k = 1; k <= panels; ++k) {
        GraphRequest r(pname, label, rdxmsgs(510, T510_PANEL, k), templh, refs, nrefs);
        if (insetwanted && count > 0) r.inset(items, count);
        r.integer("_PanelN", k).integer("_IType", type).text("_YType", axtype).text("_XType", axtype);
        r.text("_XName", xname).text("_XLabel", xlabel).text("_SXLabel", xname).text("_YLabel", ylabel);
        r.text("_SYLabel", sylabel).integer("_Join", join).integer("_NoConf", s->work.noconf).integer("_NRow", nrows);
        r.integer("_NCol", ncols).text("_ShrinkFonts", shrink).text("_Grid", grid);
        mcfends(s, r);
        if (int rc = r.issue(s)) return rc;
    }
    return phgroupclose(s);
}
