// RELATIONPLOT as statistical graphics: the data of the stress levels, the percentile lines
// of the fit and the stress reference lines as phantom objects (with PPLOT also the
// probability plot of the levels), and one graph request.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "proc/framework/labelnotes.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/effects/effects.h"
#include "proc/lifedist/lifedist.h"
#include "proc/statgraph/sgmath.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/statgraph_internal.h"

using sg::ismiss;
using sg::missing;

namespace {

constexpr int kKindWidth = 20;
constexpr uint32_t kStressPow = 3;

enum Kind { EXACT = 0, RIGHT = 1, LEFT = 2, INTERVAL = 3 };

// A variable's label when it has one, else its name (a label longer than the name is a
// label all the same).
txthandle labelorname(const vardesc* d) {
    return d->labellen > 0 ? rdxtxt(d->label, d->labellen) : rdxtxt(d->name, d->namelen);
}

struct Flags {
    bool T, A, L;
};

// The time of a stored value (analysis scale) on the time scale.
double back(const vyxstate* s, double v) { return sg::backtime(s, v); }

// The data phantom: one row per observation the MODEL uses (MODEL and REGRESSION fits), else
// one per stored row of every stress level.
int dataphantom(vyxstate* s, const Flags& f, uint32_t* ref) {
    double x = missing(), y = missing();
    const int levw = 16;
    const int w = std::max(kKindWidth, levw);
    auto* cell = static_cast<char*>(poolbytes(s->pools.stmtpool, w, poolflag::zeroed_marked));
    if (!cell) {
        xmemmsg(w);
        return RC_NOMEM;
    }
    char kinds[4][kKindWidth];
    for (int k = 0; k < 4; ++k) {
        std::memset(kinds[k], ' ', kKindWidth);
        xpmstr(kinds[k], kKindWidth, 510, T510_UNCENSORED + k);
    }
    if (int rc = phcreate(s, "PhantomData", "Phantom Data for Relation Plot")) return rc;
    if (int rc = phcolumn(s, COL_DOUBLE, "XData", "XData", 0, "Xvalue", &x)) return rc;
    if (int rc = phcolumn(s, COL_DOUBLE, "YData", "YData", 0, "Yvalue", &y)) return rc;
    if (int rc = phcolumn(s, COL_TEXT, "DataGroup", "DataGroup", kKindWidth, "Group", cell)) return rc;
    if (int rc = phenddef(s)) return rc;
    if (int rc = phbind(s, ref)) return rc;
    auto put = [&](double at, double t, Kind kind) {
        x = at;
        y = t;
        std::memset(cell, ' ', static_cast<size_t>(w));
        std::memcpy(cell, kinds[kind], kKindWidth);
        return phrow(s);
    };
    if (plotsmodelrows(s)) {
        const int rc = eachmodelobs(s, [&](const modelobs& o) -> int {
            double stress = o.stress;
            if (f.T) stress = s->opts.stress_fn(stress);
            if (ismiss(stress)) return 0;
            const Kind kind = o.code == -1 ? RIGHT : o.code == -2 ? LEFT : o.code == -3 ? INTERVAL : EXACT;
            return put(f.A ? -stress : stress, o.life, kind);
        });
        if (rc) return rc;
        return phclose(s);
    }
    const uint32_t form = s->inwork.rspkind;
    int j = 0;
    for (grpnode* g = s->groups.grplist.head; g; g = g->next, ++j) {
        double stress = s->groups.levvals[CV_FIRST] ? s->groups.levvals[CV_FIRST][j] : missing();
        if (!ismiss(stress) && f.T) stress = s->opts.stress_fn(stress);
        if (ismiss(stress)) continue;
        if (f.A) stress = -stress;
        const int rc = eachrow(s, g, [&](const double* r) -> int {
            Kind kind = EXACT;
            double t = missing();
            if (form == FORM_TIME) {
                t = back(s, r[OBS_TIME]);
            } else if (form == FORM_CENSOR) {
                t = back(s, r[OBS_TIME]);
                const int c = static_cast<int>(std::trunc(r[OBS_CENS]));
                kind = c == CENS_RIGHT ? RIGHT : c == CENS_LEFT ? LEFT : c == CENS_INTERVAL ? INTERVAL : EXACT;
            } else if (form == FORM_INTERVAL) {
                const double lo = r[OBS_LOWER], up = r[OBS_UPPER];
                if (ismiss(lo) && ismiss(up)) return 0;
                if (ismiss(lo)) {
                    t = back(s, up), kind = LEFT;
                } else if (ismiss(up)) {
                    t = back(s, lo), kind = RIGHT;
                } else if (up <= lo) {
                    t = back(s, lo);
                } else {
                    const double a = back(s, lo), b = back(s, up);
                    t = ismiss(a) || ismiss(b) ? missing() : (a + b) * 0.5;
                    kind = INTERVAL;
                }
            } else {
                return 0;
            }
            return put(stress, t, kind);
        });
        if (rc) return rc;
    }
    return phclose(s);
}

// The percentile phantom: one line per PLOTFIT percentile and curve.
int pcntlphantom(vyxstate* s, const Flags& f, const double* lines, uint32_t* ref, int* written) {
    const auto* rp = static_cast<const regpstate*>(s->plot.regpstate);
    const int np = static_cast<int>(s->opts.pctcount), nc = rp ? std::max(rp->ncurve, 0) : 0, npts = rp ? rp->npts : 0;
    const bool labelled = rp && (rp->other || rp->bylevel);
    // Widths: the longest formatted percentile and the longest curve label.
    int pw = 1, cw = 1;
    char buf[40];
    for (int i = 0; i < np; ++i) {
        std::memset(buf, ' ', sizeof buf);
        xpfs(s->opts.pctvals[i], -16, 99, buf);
        pw = std::max(pw, wzstrip(buf, 16));
    }
    const levstate* mls = s->mdl.mdllev ? s->mdl.mdllev->lstate : nullptr;
    const levclass* cls = mls && rp && rp->clsix >= 0 && rp->clsix < mls->nclassv ? &mls->classv[rp->clsix] : nullptr;
    auto curvelabel = [&](int j, char* out) {
        std::memset(out, ' ', 40);
        if (rp->other && rp->values)
            xpsstr(out, 39, "%-12g", rp->values[j]);
        else if (rp->bylevel && cls && j < cls->nlev && cls->levels) {
            // The level of the MODEL's CLASS variable (not of the statement's stress levels).
            const char* t = cls->levels[j];
            int b = 0;
            const int e = std::min(wzstrip(t, cls->fmtlen), 39);
            while (b < e && t[b] == ' ') ++b;
            std::memcpy(out, t + b, static_cast<size_t>(e - b));
        }
        return wzstrip(out, 40);
    };
    char curve[40];
    if (labelled)
        for (int j = 0; j < nc; ++j) cw = std::max(cw, curvelabel(j, curve));
    double x = missing(), y = missing();
    if (int rc = phcreate(s, "PhantomPcntl", "Phantom Percentiles for Relation Plot")) return rc;
    if (int rc = phcolumn(s, COL_DOUBLE, "XPcntl", "XPcntl", 0, "Xvalue", &x)) return rc;
    if (int rc = phcolumn(s, COL_DOUBLE, "YPcntl", "YPcntl", 0, "Yvalue", &y)) return rc;
    if (int rc = phcolumn(s, COL_TEXT, "PcntlGroup", "PcntlGroup", pw, "Group", s->row.grplabel)) return rc;
    if (labelled)
        if (int rc = phcolumn(s, COL_TEXT, "CurveLabel", "CurveLabel", cw, "Group", s->row.rowtext)) return rc;
    if (int rc = phenddef(s)) return rc;
    if (int rc = phbind(s, ref)) return rc;
    const double* at = lines;
    for (int i = 0; i < np; ++i) {
        std::memset(s->row.grplabel, ' ', 40);
        xpfs(s->opts.pctvals[i], -16, 99, s->row.grplabel);
        for (int j = 0; j < nc; ++j) {
            std::memset(s->row.rowtext, ' ', sizeof s->row.rowtext);
            if (labelled) std::memcpy(s->row.rowtext, curve, static_cast<size_t>(curvelabel(j, curve)));
            for (int k = 0; k < npts; ++k, at += 2) {
                double stress = at[0];
                const double life = at[1];
                if (s->opts.stressrel == kStressPow && !ismiss(stress)) stress = std::exp(stress);
                if (ismiss(stress) || ismiss(life)) continue;
                x = f.A ? -stress : stress;
                s->life.datarng[RG_LO] = std::min(s->life.datarng[RG_LO], life);
                s->life.datarng[RG_HI] = std::max(s->life.datarng[RG_HI], life);
                y = f.L ? back(s, life) : life;
                if (int rc = phrow(s)) return rc;
                ++*written;
            }
        }
    }
    return phclose(s);
}

// The stress reference lines.
int srefphantom(vyxstate* s, const Flags& f, uint32_t* ref) {
    const auto* labels = static_cast<const optslot*>(s->work.refs.labels[REF_SREF]);
    if (int rc = phcreate(s, "PhantomSRef", "Phantom Data for Stress Ref Lines")) return rc;
    if (int rc = phcolumn(s, COL_DOUBLE, "SRef", "SRef", 0, "Yvalue", &s->sg.srefcell)) return rc;
    if (labels)
        if (int rc = phcolumn(s, COL_TEXT, "SRefLabel", "SRefLabel", SG_REFLABEL, "Group", s->sg.sreflabel)) return rc;
    if (int rc = phenddef(s)) return rc;
    if (int rc = phbind(s, ref)) return rc;
    for (int k = 0; k < s->work.refs.counts[REF_SREF]; ++k) {
        const double v = s->work.refs.vals[REF_SREF][k];
        s->sg.srefcell = f.A && !ismiss(v) ? -v : v;
        if (labels) {
            int len = 0;
            const char* t = zparm(labels, k, &len);
            padtext(s->sg.sreflabel, SG_REFLABEL, 0, t, reflabelwidth(t, len));
        }
        if (int rc = phrow(s)) return rc;
    }
    return phclose(s);
}

// The SREF= values as the statement gave them, in the order of the reference phantom's rows,
// as _StressRefs after the request's other variables: a row carries its value on the axis's
// scale (through the relation, negated with ARR), and a line off the stress axis is named in
// the log by the value the user wrote, as the device road names it.
void stressrefs(const vyxstate* s, GraphRequest& r) {
    std::string list;
    for (int k = 0; k < s->work.refs.counts[REF_SREF]; ++k) {
        double v = s->work.refs.vals[REF_SREF][k];
        optnum(s->inwork.curstmt, slot::plot::SREF, k, &v);
        char buf[32];
        const int n = std::snprintf(buf, sizeof buf, "%.17g", v);
        if (!list.empty()) list += ' ';
        list.append(buf, static_cast<size_t>(n));
    }
    if (!list.empty()) r.text("_StressRefs", rdxtxt(list.c_str(), static_cast<int>(list.size())));
}

// The probability plot of the stress levels (PPLOT).
int probphantom(vyxstate* s, uint32_t* ref, double* vmin, double* vmax) {
    if (int rc = SGPobj(s)) return rc;
    std::memset(s->sg.refrowlab, ' ', sizeof s->sg.refrowlab);
    s->sg.refrow[SG_XREF] = s->sg.refrow[SG_YREF] = missing();
    if (int rc = phbind(s, ref)) return rc;
    s->work.axlim[AX_DATALO] = DBL_MAX;
    s->work.axlim[AX_DATAHI] = -DBL_MAX;
    *vmin = DBL_MAX;
    *vmax = -DBL_MAX;
    s->sg.grpindex = 1;
    bool refsgo = true;
    double plo = DBL_MAX, phi = -DBL_MAX;   // the points' own range
    for (grpnode* g = s->groups.grplist.head; g; g = g->next, ++s->sg.grpindex) {
        padtext(s->row.grplabel, 256, 0, g->key, 16);
        padtext(s->row.rowtext, 256, 0, g->key, 16);
        for (int k = 0; k < SG_CELLS; ++k) s->row.rowvals[k] = missing();
        PlotPoints(s, g, &plo, &phi);
        if (s->step.stepend) return -1;
        if (plo <= phi) sg::widen(vmin, vmax, plo), sg::widen(vmin, vmax, phi);
        if (int rc = PlotCurves(s, g, vmin, vmax)) return rc;
        if (refsgo) {
            const int rc = PPlotRefLines(s, g);
            if (rc < 0) return rc;
            refsgo = rc == 0;
        }
    }
    // Without a plotted point the panel's axis is the device road's, as on a probability plot.
    if (!(plo <= phi)) deviceprobends(s, vmin, vmax);
    return phclose(s);
}

}  // namespace

int vyxrog(vyxstate* s, const double* pctlines) {
    const LeftOutNote note(s);   // the labels its pages leave out, named once
    const auto& p = s->popt.pflags;
    const Flags f{s->popt.rplotopt && s->opts.stressrel != kStressPow && s->opts.stress_fn != nullptr,
                  s->opts.stressrel == 1 || s->opts.stressrel == 4, s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]};
    if (s->work.fitmethod == FIT_REGRESSION) s->work.pageflags.data = 1;
    const bool datapts = s->work.pageflags.data != 0, fitlines = s->work.pageflags.fitlines != 0 && pctlines;
    const vardesc* tvar = s->input.rspvars[RV_TIME];
    const vardesc* svar = &s->input.clsdesc[CV_FIRST];
    const txthandle xtype = rdxtxt(s->opts.stressrel == kStressPow ? "log" : "linear", -1);
    const txthandle ytype = rdxtxt(f.L ? "log" : "linear", -1);
    const txthandle grid = rdxtxt(p.nogrid ? "AUTO_ON" : "OFF", -1);
    const txthandle mlgrid = rdxtxt(p.mlgrid ? "ON" : "OFF", -1);
    const txthandle ppxlabel = tvar->labellen != 0 ? rdxtxt(tvar->label, tvar->labellen) : rdxtxt(tvar->name, tvar->namelen);
    const txthandle tlabel = labelorname(tvar), slabel = labelorname(svar);
    const txthandle xname = rdxtxt(tvar->name, tvar->namelen);
    int axlen = 0;
    const char* axtext = slotstring(stmtslot(s->inwork.curstmt, slot::plot::PAXISLABEL), &axlen);
    const txthandle ppylabel = axtext ? rdxtxt(axtext, axlen) : rdxmsg(0, T0_PERCENT);
    const txthandle sylabel = rdxmsg(0, T0_PERCENT);

    uint32_t* refs = s->sg.phantomlist;
    int nrefs = 0;
    std::fill(refs, refs + 4, 0u);
    if (datapts)
        if (int rc = dataphantom(s, f, &refs[nrefs++])) return rc;
    int pctrows = 0;
    if (fitlines)
        if (int rc = pcntlphantom(s, f, pctlines, &refs[nrefs++], &pctrows)) return rc;
    if (s->work.refs.counts[REF_SREF] > 0)
        if (int rc = srefphantom(s, f, &refs[nrefs++])) return rc;

    // _FmtVal: the percentile of a one-percentile plot.
    char fmt[256];
    std::memset(fmt, ' ', sizeof fmt);
    int fmtlen = 0;
    // Without PLOTFIT the count is the default 50 percent of the tables; with NOFITLINE the
    // levels have no fits to draw the line from. No line is drawn that the note could name.
    if (pctrows > 0 && s->opts.pctcount == 1) fmtlen = xpmstr(fmt, sizeof fmt, 510, T510_PERCENTILE, s->opts.pctvals[0]);
    // The variable that labels the curves (its value list) and the MODEL it belongs to.
    // The slot holds the variable's number: its name comes from the input data set.
    int rlen = 0;
    const char* rname = nullptr;
    vardesc rvar{};
    const optslot* rslot = stmtslot(s->inwork.curstmt, slot::plot::STRESSVAR);
    if (rslot && rslot->ptr && rslot->count > 0 && s->input.dsin) {
        xvname(s->input.dsin, static_cast<const int32_t*>(rslot->ptr)[0], &rvar);
        rname = rvar.name;
        rlen = rvar.namelen;
    }
    const auto* rp = static_cast<const regpstate*>(s->plot.regpstate);
    const levstate* ls = s->mdl.mdllev ? s->mdl.mdllev->lstate : nullptr;
    if (rp && rp->ncurve == 1 && rname && rp->values && ls && (ls->ncontv > 1 || ls->nclassv > 0))
        fmtlen = xpmstr(fmt, sizeof fmt, 510, T510_CURVE_VALUE, txtarg(rname, rlen), rp->values[0]);
    char ylab[256];
    int ylen = 0;
    if (tvar->labellen > 0) {
        ylen = std::min<int>(tvar->labellen, sizeof ylab);
        std::memcpy(ylab, tvar->label, static_cast<size_t>(ylen));
    } else {
        ylen = xpmstr(ylab, sizeof ylab, 510, s->work.thrflags[TH_GIVEN] ? T510_LIFE_LABEL_THRESHOLD : T510_LIFE_LABEL,
                      txtarg(tvar->name, tvar->namelen));
    }

    // The stress ticks of a transformed stress axis.
    char *xt = nullptr, *xl = nullptr;
    int xtlen = 0, xllen = 0;
    if (f.T && s->plot.frame && s->plot.frame->rticks && s->plot.frame->nrtickv > 0) {
        const int n = s->plot.frame->nrtickv;
        double* pos = s->plot.frame->rticks;
        if (f.A)
            for (int k = 0; k < n; ++k) pos[k] = -pos[k];
        if (numbersToStrList(s->pools.stmtpool, pos, n, &xt, &xtlen, nullptr, 0) == 0) xtlen = countNonBlank(xt, wzstrip(xt, xtlen));
        if (labelsToStrList(s->pools.stmtpool, pos + n, n, &xl, &xllen, nullptr, 0) == 0) xllen = countNonBlank(xl, wzstrip(xl, xllen));
    }

    std::string templ = "KV.Vitalyx.Graphics.RegPercentiles";
    txthandle gname = rdxtxt("PercentilePlot", -1), glabel;
    double vmin = 0, vmax = 0, transconf = 0, transfit = 0;
    char *pt = nullptr, *pl = nullptr;
    int ptlen = 0, pllen = 0;
    if (p.pplot) {
        templ += "3";
        gname = rdxtxt("RelationPlot", -1);
        glabel = rdxmsg(0, T0_RELATION_PLOT);
        // As on the probability plots: the statement's own flags, not the last level's fit.
        transconf = p.stmtnoconf || s->work.noconf || p.stmtnoline ? 1.0 : 0.8;
        transfit = p.stmtnoline ? 1.0 : 0.0;
        if (int rc = probphantom(s, &refs[nrefs++], &vmin, &vmax)) return rc;
        SetProbAxis(s, &pt, &ptlen, &pl, &pllen);
        if (p.plowgiven) vmin = s->opts.quant_fn(s->work.axlim[AX_PCTLOWER] / 100);
        if (p.pupgiven) vmax = s->opts.quant_fn(s->work.axlim[AX_PCTUPPER] / 100);
    } else {
        templ += s->opts.pctcount == 1 ? "1" : "2";
        glabel = rdxmsg(0, s->opts.pctcount == 1 ? T0_PERCENTILE_PLOT : T0_PERCENTILE_PLOTS);
    }

    GraphRequest r(gname, glabel, rdxmsg(0, T0_RELATION_PLOT_PERCENTILES), rdxtxt(templ.c_str(), -1), refs, nrefs);
    char distbuf[40];   // the distribution as the page names it (LNORM10: "Lognormal (base 10)")
    const int dlen = pagedistname(s, distbuf, sizeof distbuf);
    r.integer("_DataPlot", datapts ? 1 : 0).integer("_PcntlPlot", fitlines ? 1 : 0);
    r.text("_XTicks", rdxtxt(xt ? xt : "", xtlen)).text("_XTickLabels", rdxtxt(xl ? xl : "", xllen));
    r.text("_FmtVal", rdxtxt(fmt, fmtlen)).text("_XLabel", slabel).text("_XName", xname).text("_RName", rdxtxt(rname ? rname : "", rlen));
    r.text("_YLabel", rdxtxt(ylab, ylen)).text("_SXLabel2", slabel).text("_SYLabel2", tlabel).text("_YType", ytype);
    r.text("_XType", xtype).text("_DName", rdxtxt(distbuf, dlen));
    r.text("_PPTicks", rdxtxt(pt ? pt : "", ptlen)).text("_PPTickLabels", rdxtxt(pl ? pl : "", pllen));
    r.number("_VMin", vmin).number("_VMax", vmax).text("_Grid", grid).text("_MLGrid", mlgrid).text("_PPXType", ytype);
    r.text("_PPXLabel", ppxlabel).text("_PPYLabel", ppylabel).text("_SXLabel", tlabel).text("_SYLabel", sylabel);
    r.number("_TransConf", transconf).number("_TransFit", transfit);
    axisends(s, r);
    // Without a tick list the stress axis is the stresses themselves (negated with ARR): the
    // ends the user gave go with it, as they end the device road's axis.
    if (!xt) {
        const double lo = p.slowgiven ? s->work.axlim[AX_STRESSLOWER] : missing(), hi = p.supgiven ? s->work.axlim[AX_STRESSUPPER] : missing();
        const double a = f.A ? (ismiss(hi) ? hi : -hi) : lo, b = f.A ? (ismiss(lo) ? lo : -lo) : hi;
        if (!ismiss(a)) r.number("_StressMin", a);
        if (!ismiss(b)) r.number("_StressMax", b);
    }
    if (p.pplot) probrefs(s, r);
    stressrefs(s, r);
    const int rc = r.issue(s);
    for (char* t : {xt, xl, pt, pl})
        if (t) poolput(s->pools.stmtpool, t);
    return rc;
}
