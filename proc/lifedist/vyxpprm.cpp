// Options of PROBPLOT and RELATIONPLOT: the analysis settings (this file) and the display
// settings (plotdisplay.cpp), read in one pass over the statement record.
#include <cmath>
#include <cstring>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wholenum.h"
#include "proc/framework/fndstmt.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/optread.h"
#include "proc/lifedist/plotdisplay.h"

namespace {

// The statement kind from the keyword: 1 PROBPLOT, 4 RELATIONPLOT, 0 otherwise.
uint32_t kindof(const char* kw) {
    if (!std::strncmp(kw, "PP", 2) || !std::strncmp(kw, "PROB", 4)) return 1;
    if (!std::strncmp(kw, "RPLOT", 5) || !std::strncmp(kw, "RELATION", 8)) return 4;
    return 0;
}

void readflags(vyxstate* s, const stmtrec* r) {
    auto f = [r](int k) -> uint8_t { return stmtflag(r, k) ? 1 : 0; };
    auto& p = s->poptw.pflags;
    s->work.showmult = f(flag::plot::SHOWMULTIPLES);
    p.noppos = f(flag::plot::NOPPOS);
    p.overlay = f(flag::plot::OVERLAY);
    p.inborder = f(flag::plot::INBORDER);
    p.rotate = f(flag::plot::ROTATE);
    s->work.nofitline = f(flag::plot::NOFITLINE);
    s->work.noconf = f(flag::plot::NOCONF);
    p.nogrid = !f(flag::plot::NOGRID);
    p.noframe = f(flag::plot::NOFRAME);
    p.legend = !f(flag::plot::NOPPLEGEND);
    p.noptick = f(flag::plot::NOPTICK);
    p.noltick = f(flag::plot::NOLTICK);
    p.nostick = f(flag::plot::NOSTICK);
    p.noplabel = f(flag::plot::NOPLABEL);
    p.nollabel = f(flag::plot::NOLLABEL);
    p.noslabel = f(flag::plot::NOSLABEL);
    s->work.nocenplot = !f(flag::plot::NOCENPLOT) && !p.noppos;
    s->poptw.linaxis = f(30);   // flag 30 has no keyword on the plot statements; kept as read
    s->life.fit.itprflag.itprint = f(flag::plot::ITPRINT);
    s->groups.clsmissing[CV_FIRST] = f(flag::plot::MISSING1);
    s->groups.clsmissing[CV_SECOND] = f(flag::plot::MISSING2);
    s->life.fit.lrflags[LR_PARMS] = f(flag::plot::LRCL);
    p.mpgrid = f(flag::plot::MPGRID);
    p.mlgrid = f(flag::plot::MINORLOGGRID);
    p.pcttab = !f(flag::plot::NOPCTILE);
    s->life.fit.lrflags[LR_PERCENTILES] = p.pcttab && f(flag::plot::LRCLPER);
    s->inputw.rspform[RF_READOUT] = f(flag::plot::READOUT);
    p.noinset = !f(flag::plot::NOINSET);
    p.pconfplt = f(flag::plot::PCONFPLT);
    p.ppout = f(flag::plot::PPOUT);
    s->life.fit.covprint[CP_CORRB] = f(flag::plot::CORRB);
    s->life.fit.covprint[CP_COVB] = f(flag::plot::COVB);
    p.cenbin = s->work.nocenplot && f(flag::plot::CENBIN);
    p.ccenbin = s->work.nocenplot && f(flag::plot::CCENBIN);
    s->life.emflags[EMF_POLISH] = !f(flag::plot::NOPOLISH);
    s->life.emflags[EMF_ITPRINTEM] = f(flag::plot::ITPRINTEM);
    s->life.emflags[EMF_PRINTPROBS] = f(flag::plot::PRINTPROBS);

    if (p.ccenbin) p.cenbin = 1;
    if (p.cenbin) s->work.nocenplot = 0;
    if (p.overlay && p.cenbin) {
        xpmlog(510, W510_CENBIN_OVERLAY);
        p.cenbin = 0;
        s->work.nocenplot = 1;
    }
    if (p.overlay && s->plot.frame->insetnext) xpmlog(510, W510_OVERLAY_INSET);
    // Binned censored counts need the boundaries of the life axis: with CCENBIN only at its
    // ticks, with CENBIN at the ticks and the midpoints between them.
    s->work.lifebnd = p.cenbin;
    s->poptw.lifebnd1 = p.ccenbin;
    if (p.rotate || s->inputw.stmtkind == 4) {
        std::swap(p.noplabel, p.nollabel);
        std::swap(p.noptick, p.noltick);
    }
}

void readnumbers(vyxstate* s, const stmtrec* r) {
    readfitcrit(s, r);
    s->poptw.plotcodes[PC_NPINTERVALS] = static_cast<uint32_t>(static_cast<int32_t>(gparm(r, slot::plot::NPINTERVALS, 0)));
    s->poptw.plotcodes[PC_PINTERVALS] = static_cast<uint32_t>(static_cast<int32_t>(gparm(r, slot::plot::PINTERVALS, 4)));
    s->life.npbounds[RG_LO] = gparm(r, slot::plot::SIMLOWER, hostmissing());
    s->life.npbounds[RG_HI] = gparm(r, slot::plot::SIMUPPER, hostmissing());
    s->optsw.npoints = countopt(r, "NPOINTS", gparm(r, slot::plot::NPOINTS, 100), 1, MOST_POINTS, 100);
    const optslot* anno = stmtslot(r, slot::plot::ANNOTATE);
    s->inwork.annoflag = anno ? 1 : 0;
    if (anno) s->inputw.annods = static_cast<dshandle>(anno->handle);
    if (s->work.showmult) {
        const optslot* pos = stmtslot(r, slot::plot::SHOWMULTIPLES);
        if (pos && pos->kind == SK_NAME)
            std::memcpy(s->poptw.multpos, pos->name, 8);
        else
            std::memcpy(s->poptw.multpos, "NW      ", 8);
    }
    if (s->work.noconf) s->poptw.plotcodes[PC_PINTERVALS] = 0;
    if (s->poptw.plotcodes[PC_PINTERVALS] == 5) s->life.fit.lrflags[LR_PERCENTILES] = 1;
}

// The number of variables of the MODEL statement's model (CLASS and continuous) that its
// effects use.
int modelvars(const modelstate& mdl) {
    const usedvars v = usedvariables(mdl.mdllev ? mdl.mdllev->lstate : nullptr);
    return v.ncls + v.ncont;
}

// FITTYPE=MODEL and REGRESSION use the MODEL statement's responses: they must be this
// statement's.
bool sameresponse(const vyxstate* s) {
    const int mine = s->inputw.rspvars[RV_SECOND] ? 2 : 1;
    const int theirs = s->mdl.mdlnresp;
    if (mine != theirs || s->mdl.mdlrspkind != writtenform(s) || s->mdl.mdlrspids[0] != s->life.rspvarid[RVAR_FIRST]) return false;
    return mine == 1 || s->mdl.mdlrspids[1] == s->life.rspvarid[RVAR_SECOND];
}

// The checks of the fits taken from the MODEL statement, and the percentile-line limits.
int modelfitsettings(vyxstate* s, const stmtrec* r) {
    if (s->work.fitmethod == FIT_MODEL) {
        if (s->groups.nclass > 2) {
            xpmlog(510, E510_MODEL_TOO_MANY_CLASS);
            return 1;
        }
        if (!s->work.thrflags[TH_MODELRAN]) {
            xpmlog(510, E510_FITTYPE_MODEL_MISMATCH);
            return 1;
        }
        if (stmtflag(r, flag::plot::READOUT) != (s->mdl.rsp3flag != 0)) {
            xpmlog(510, E510_READOUT_BOTH_OR_NEITHER);
            return 1;
        }
    }
    const bool bymodel = s->work.fitmethod == FIT_MODEL || s->work.fitmethod == FIT_REGRESSION;
    stmtrec* model = nullptr;
    if (s->work.fitmethod == FIT_REGRESSION && fndstmt("MODEL", &model) == 0) {
        xpmlog(510, E510_REGRESSION_NEEDS_MODEL);
        return 1;
    }
    if (bymodel && !sameresponse(s)) {
        xpmlog(510, E510_MODEL_RESPONSES);
        return 1;
    }
    s->poptw.pctopts[PCL_LOWER] = gparm(r, slot::plot::PCNTLLOWER, 5.0) / 100;
    s->poptw.pctopts[PCL_UPPER] = gparm(r, slot::plot::PCNTLUPPER, bymodel && modelvars(s->mdl) > 1 ? 10.0 : 5.0) / 100;
    return 0;
}

int parmnames(vyxstate* s) {
    const int n = s->life.fit.npar.total;
    auto* names = static_cast<txthandle*>(poolbytes(s->pools.bypool, int64_t(n) * int64_t(sizeof(txthandle)), poolflag::zeroed_marked));
    if (!names) {
        xmemmsg(int64_t(n) * int64_t(sizeof(txthandle)));
        return 1;
    }
    for (int i = 0; i < n && i < 2; ++i) {
        const char* lab = s->optsw.labels[LB_PARM1 + i];
        names[i] = rdxtxt(lab, wzstrip(lab, 16));
    }
    s->life.fit.parmnames = names;
    return 0;
}

}  // namespace

int vyxpprm(vyxstate* s) {
    const stmtrec* r = s->inwork.curstmt;
    if (int rc = readerstart(s)) return rc;
    // Counts are ANALYZE's alone: an events(trials) response gets one message that says what
    // the plot takes, whatever the distribution (a Weibull one was told to choose BINOMIAL or
    // POISSON, which the plots refuse in turn).
    if (static_cast<int>(gparm(r, slot::head::RSPKIND, 0)) == static_cast<int>(FORM_COUNTS)) {
        xpmlog(510, E510_PROBPLOT_COUNTS_RESPONSE);
        return RC_SPEC;
    }
    if (s->optsw.distcode == DIST_POISSON || s->optsw.distcode == DIST_BINOMIAL) {
        xpmlog(510, E510_COUNTS_ANALYZE_ONLY);
        return 1;
    }
    s->poptw.pflags.ismcf = 0;
    s->poptw.pflags.pbonly = 0;
    s->inputw.stmtkind = kindof(r->keyword);
    readstmtlabel(s, r);
    if (int rc = readconfidence(s, r)) return rc;
    s->life.fit.npar.total = 2;
    readresponses(s, r);
    if (s->life.rspvarid[RVAR_FIRST] && s->inputw.dsin) {
        const int32_t var = static_cast<int32_t>(s->life.rspvarid[RVAR_FIRST]);
        xffile(s->inputw.dsin, FF_FORMATS, &var, 1);
    }
    if (allocframe(s)) return 1;
    s->plot.frame->insetnext = r->next && !std::strncmp(r->next->keyword, "INSET", 5);
    readflags(s, r);
    readnumbers(s, r);
    // wbconf holds -ln(1 - confidence) for every statement (ANALYZE stores it so), which
    // the Weibayes estimate turns back into the confidence.
    if (int rc = readwbconf(s, r, slot::plot::WBCONF, -std::log1p(-0.95))) return rc;
    if (int rc = readclass(s, r, true)) return rc;
    if (int rc = readform(s, r, false)) return rc;
    if (int rc = readprobaxis(s, r)) return rc;
    readcframe(s, r);
    if (int rc = readgivenparms(s, r, true)) return rc;
    choosefitmethod(s, r);
    if (int rc = fitmethodlabel(s, r, true)) return rc;
    if (int rc = modelfitsettings(s, r)) return rc;
    afterfitmethod(s);
    dispatchdist(s, r);
    if (parmnames(s)) return 1;
    if (int rc = readlifeaxis(s, r)) return rc;
    if (nocovariance(s->work.fitmethod)) s->work.noconf = 1;
    setppos(s, static_cast<int>(gparm(r, slot::plot::PPOS, 4)));
    if (!s->optsw.logscale[LSC_LN]) s->poptw.linaxis = 1;
    const int rc = readplotdisplay(s, r);
    if (rc == 0) combinenotes(s, s->poptw.pflags.pplot);
    s->poptw.pflags.stmtnoline = s->work.nofitline;
    s->poptw.pflags.stmtnoconf = s->work.noconf;
    return rc;
}
