// The option groups that the ANALYZE reader and the PROBPLOT/RELATIONPLOT reader share, each
// read from the statement record into the state block (optread.h).
#include "proc/lifedist/optread.h"

#include <cmath>
#include <cstring>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/conflevel.h"
#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wholenum.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/distributions.h"
#include "proc/numeric/stdquant.h"

namespace {

constexpr double kEps53 = 1.110223024625157e-16;   // 2^-53

const optslot* given(const stmtrec* r, int n) { return stmtslot(r, n); }

int listcount(const stmtrec* r, int n) {
    const optslot* o = given(r, n);
    return o ? o->count : 0;
}

void blank(char* t, int n) { std::memset(t, ' ', static_cast<size_t>(n)); }

// A label of catalog 510 into a blank-padded buffer; returns its length.
int label510(char* buf, int width, int n) {
    blank(buf, width);
    int len = xpmstr(buf, width, 510, n);
    return len < 0 ? 0 : len;
}

}  // namespace

int readerstart(vyxstate* s) {
    if (!s->life.distsaved) {
        s->life.distcode0 = s->optsw.distcode;
        s->life.distsaved = 1;
    } else {
        s->optsw.distcode = s->life.distcode0;
    }
    if (s->optsw.distcode == DIST_GAMMA) {
        xpmlog(510, E510_GAMMA_MODEL_ONLY);
        return 1;
    }
    return 0;
}

bool logaxis(const vyxstate* s) { return s->optsw.logscale[LSC_LN] || s->optsw.logscale[LSC_LOG10]; }

bool nocovariance(uint32_t m) {
    return m == FIT_LSYX || m == FIT_NONE || m == FIT_GIVEN || m == FIT_WEIBAYES || m == FIT_LSXY;
}

void readstmtlabel(vyxstate* s, const stmtrec* r) {
    blank(s->life.stmtlabcell, 8);
    s->optsw.stmtlabel = nullptr;
    const optslot* o = given(r, slot::head::LABEL);
    if (!o) return;
    const char* t = o->kind == SK_NAME ? o->name : static_cast<const char*>(o->ptr);
    int n = o->kind == SK_NAME ? 8 : o->count;
    if (!t || n <= 0) return;
    std::memcpy(s->life.stmtlabcell, t, static_cast<size_t>(n < 8 ? n : 8));
    if (!vzatl(' ', s->life.stmtlabcell, 8)) s->optsw.stmtlabel = s->life.stmtlabcell;
}

int readconfidence(vyxstate* s, const stmtrec* r) {
    const double conf = gparm(r, slot::plot::CONFIDENCE, 0.95);
    if (!(conf > 0 && conf < 1)) {
        xpmlog(510, E510_CONFIDENCE_RANGE, conf);
        return RC_SPEC;
    }
    s->optsw.alpha = 1 - conf;
    vx::zerolevelnote(conf);
    return 0;
}

int readwbconf(vyxstate* s, const stmtrec* r, int slotno, double fallback) {
    s->life.wbconf = fallback;
    const optslot* wb = stmtslot(r, slotno);
    if (!wb) return 0;
    if (!(wb->num > 0 && wb->num < 1)) {
        xpmlog(510, E510_WEIBAYES_CONFIDENCE_RANGE, wb->num);
        return RC_SPEC;
    }
    // Held as -ln(1 - CONF) also where 1 - CONF is below 2^-53, which the plain logarithm of
    // the difference would turn into a confidence near 0.
    s->life.wbconf = -std::log1p(-wb->num);
    return 0;
}

void readfitcrit(vyxstate* s, const stmtrec* r) {
    const double missing = hostmissing();
    s->life.fit.maxiter = countopt(r, "MAXIT", gparm(r, slot::plot::MAXIT, 50), 0, MOST_INT, 50);
    s->life.fit.fitcrit.converge = gparm(r, slot::plot::CONVERGE, 0.001);
    s->life.fit.fitcrit.convh = gparm(r, slot::plot::CONVH, 0.0001);
    s->life.fit.fitcrit.singular = gparm(r, slot::plot::SINGULAR, 1e7 * kEps53);
    s->life.fit.itopts[IT_PSTABLE] = gparm(r, slot::plot::PSTABLE, missing);
    s->life.emmaxit[EM_MAXIT] = countopt(r, "MAXITEM", gparm(r, slot::plot::MAXITEM, 10000), 0, MOST_INT, 10000);
    s->life.emmaxit[EM_HISTSTEP] = countopt(r, "MAXITEM", gparm(r, slot::plot::MAXITEM2, 10), 0, MOST_INT, 10);
    s->life.fit.itopts[IT_TOLLIKE] = gparm(r, slot::plot::TOLLIKE, 1e-8);
    s->life.fit.itopts[IT_TOLPROB] = gparm(r, slot::plot::TOLPROB, missing);
}

void readresponses(vyxstate* s, const stmtrec* r) {
    s->inputw.rspvars[RV_TIME] = s->inputw.rspvars[RV_SECOND] = nullptr;
    s->life.rspvarid[RVAR_FIRST] = s->life.rspvarid[RVAR_SECOND] = 0;
    for (int k = 0; k < 2; ++k) {
        const optslot* o = given(r, k == 0 ? slot::head::RESP1 : slot::head::RESP2);
        if (!o || o->count <= 0) continue;
        const int32_t var = static_cast<const int32_t*>(o->ptr)[0];
        s->life.rspvarid[k] = static_cast<uint32_t>(var);
        s->life.rspdesc[k] = vardesc{};
        if (s->inputw.dsin) xvname(s->inputw.dsin, var, &s->life.rspdesc[k]);
        s->inputw.rspvars[k] = &s->life.rspdesc[k];
    }
}

int allocframe(vyxstate* s) {
    s->plot.frame = poolget<plotlay>(s->pools.stmtpool, 1, poolflag::zeroed);
    if (!s->plot.frame) {
        xmemmsg(sizeof(plotlay));
        return 1;
    }
    return 0;
}

int readclass(vyxstate* s, const stmtrec* r, bool refusemore) {
    const int n = listcount(r, slot::head::CLASS);
    if (refusemore && n > 2) {
        xpmlog(510, E510_CLASS_AT_MOST_TWO);
        return 1;
    }
    s->groups.nclass = n < 2 ? n : 2;
    s->groups.clslabgiven[CV_FIRST] = s->groups.clslabgiven[CV_SECOND] = 0;
    s->groups.clslablen[CV_FIRST] = s->groups.clslablen[CV_SECOND] = 0;
    s->groups.clsdropmiss[CV_FIRST] = s->groups.clsdropmiss[CV_SECOND] = 0;
    if (s->groups.nclass == 0) return 0;
    const auto* vars = static_cast<const int32_t*>(given(r, slot::head::CLASS)->ptr);
    for (int k = 0; k < s->groups.nclass; ++k) {
        vardesc& d = s->inputw.clsdesc[k];
        d = vardesc{};
        if (s->inputw.dsin) xvname(s->inputw.dsin, vars[k], &d);
        s->groups.clsvars[k] = vars[k];
        s->groups.clsnumeric[k] = d.type == 1;
        s->groups.clskeynum[k] = d.type == 1;
        std::memcpy(s->groups.clsnames[k], d.name, sizeof s->groups.clsnames[k]);
        s->groups.clsnamelen[k] = d.namelen;
        s->groups.clslablen[k] = d.labellen;
        std::memcpy(s->groups.clslabels[k], d.label, sizeof s->groups.clslabels[k]);
        s->groups.clslabgiven[k] = d.labellen != 0;
        // The input drops observations with a missing class value unless MISSING1/MISSING2.
        s->groups.clsdropmiss[k] = !s->groups.clsmissing[k];
    }
    return 0;
}

int readform(vyxstate* s, const stmtrec* r, bool analyze) {
    std::memset(s->inputw.rspform, 0, sizeof s->inputw.rspform);
    int form = static_cast<int>(gparm(r, slot::head::RSPKIND, 0));
    const bool readout = stmtflag(r, flag::plot::READOUT);
    const bool counts = s->optsw.distcode == DIST_POISSON || s->optsw.distcode == DIST_BINOMIAL;
    if (analyze && counts) {
        if (readout) {
            xpmlog(510, E510_READOUT_COUNTS);
            return RC_SPEC;
        }
        if (form != FORM_COUNTS) {
            xpmlog(510, s->optsw.distcode == DIST_POISSON ? E510_POISSON_RESPONSE : E510_BINOMIAL_RESPONSE);
            return RC_SPEC;
        }
    } else {
        if (readout) {
            if (s->inputw.nfreq <= 0 || s->inputw.nnenter <= 0) {
                xpmlog(510, E510_READOUT_NEEDS_FREQ_NENTER);
                return RC_SPEC;
            }
            form = FORM_READOUT;
        }
        const bool fmode = s->groups.fmodeset.nvars > 0;
        if (fmode && form != FORM_TIME && form != FORM_CENSOR) {
            xpmlog(510, E510_FMODE_RESPONSE);
            return RC_SPEC;
        }
        if (s->poptw.pflags.fmcombine && s->groups.nclass > 0) {
            xpmlog(510, E510_FMODE_COMBINE_CLASS);
            return RC_SPEC;
        }
        if (s->poptw.pflags.fmcombine && s->life.fit.lrflags[LR_PARMS]) {
            s->life.fit.lrflags[LR_PARMS] = 0;
            xpmlog(510, W510_LRCL_FMODE_COMBINE);
        }
        s->life.fmresp = fmode && form == FORM_TIME;
        if (s->life.fmresp) form = FORM_CENSOR;
    }
    const int nfreq = s->inputw.nfreq > 0 ? 1 : 0;
    uint32_t per = 0;
    switch (form) {
        case FORM_TIME: per = 1 + nfreq; break;
        case FORM_CENSOR: per = 2 + nfreq + (s->poptw.pflags.fmcombine ? 1 : 0); break;
        case FORM_INTERVAL: per = 2 + nfreq; break;
        case FORM_READOUT: per = 3; break;
        case FORM_COUNTS:
            if (!counts) {
                xpmlog(510, E510_EVENTS_TRIALS_DISTRIBUTION);
                return RC_SPEC;
            }
            per = 2 + nfreq;
            break;
        default: return RC_SPEC;
    }
    if (form != FORM_CENSOR) {
        s->poptw.pflags.cenbin = 0;
        s->work.nocenplot = 0;
    }
    if (form <= static_cast<int>(FORM_READOUT)) s->inputw.rspform[form] = 1;
    s->inwork.rspkind = static_cast<uint32_t>(form);
    s->optsw.rowlay[RL_BUFROWS] = OBS_ROWS_PER_BUFFER;
    s->optsw.rowlay[RL_ROWLEN] = per;
    readcensvals(s, r);
    return 0;
}

void readcensvals(vyxstate* s, const stmtrec* r) {
    const optslot* o = given(r, slot::head::CENSVALS);
    if (o && o->kind == SK_NUMLIST) {
        s->inputw.ncensvals = o->count;
        s->inputw.censvals = static_cast<double*>(o->ptr);
    } else {
        s->inputw.ncensvals = 0;
        s->inputw.censvals = nullptr;
    }
}

int defaultticks(vyxstate* s) {
    static constexpr double kDefault[30] = {1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 0.001, 0.01, 0.1,
                                            0.2,   0.5,  1,    2,    5,    10,   20,   30,    40,   50,
                                            60,    70,   80,   90,   95,   99,   99.9, 99.99, 99.999, 99.9999};
    auto* list = static_cast<double*>(poolbytes(s->pools.stmtpool, sizeof kDefault, poolflag::raw));
    if (!list) {
        xmemmsg(sizeof kDefault);
        return 1;
    }
    std::memcpy(list, kDefault, sizeof kDefault);
    s->poptw.panels.pctlist = list;
    s->poptw.panels.npct = 30;
    s->plot.frame->pfirst = s->plot.frame->pfirst2 = 9;
    s->plot.frame->plast = 24;
    s->plot.frame->plast2 = 26;
    return 0;
}

int readgivenparms(vyxstate* s, const stmtrec* r, bool check) {
    static constexpr int kSlots[3] = {slot::plot::LOCATION, slot::plot::SCALE, slot::plot::SHAPE};
    static constexpr int kInit[3] = {flag::plot::LINIT, flag::plot::SCINIT, flag::plot::SHINIT};
    std::memset(s->life.parmgiven, 0, sizeof s->life.parmgiven);
    std::memcpy(s->life.parmfree, "111", 4);
    for (int k = 0; k < 3; ++k) {
        const optslot* o = given(r, kSlots[k]);
        if (!o) continue;
        s->life.parmgiven[k] = 1;
        s->life.givenparms[k] = o->num;
        if (check && k > 0 && o->num < kEps53) {
            xpmlog(510, k == 1 ? E510_BAD_SCALE_OR_LEVEL1 : E510_BAD_SHAPE_OR_LEVEL2, o->num);
            return 1;
        }
        s->life.parmfree[k] = stmtflag(r, kInit[k]) ? '1' : 'C';
    }
    s->optsw.logscale[LSC_LN] = s->optsw.logscale[LSC_LOG10] = 0;
    for (int k = 0; k < 3; ++k) blank(s->optsw.labels[LB_DIST + k], 40);
    return 0;
}

uint32_t choosefitmethod(vyxstate* s, const stmtrec* r) {
    const optslot* ft = given(r, slot::plot::FITTYPE);
    uint32_t m = ft ? static_cast<uint32_t>(static_cast<int32_t>(ft->num)) : FIT_MLE;
    const char* st = s->life.parmfree;
    if (st[GP_LOC] == 'C' && st[GP_SCALE] == 'C' && s->optsw.distcode != DIST_WEIBULL)
        m = 4;
    else if (st[GP_SCALE] == 'C' && st[GP_SHAPE] == 'C' && s->optsw.distcode == DIST_WEIBULL)
        m = 4;
    else if (st[GP_SCALE] == 'C' && s->optsw.distcode == DIST_EXPONENTIAL)
        m = 4;
    s->work.fitmethod = m;
    const bool held = st[0] == 'C' || st[1] == 'C' || st[2] == 'C';
    s->work.tblflags[TF_LAGRANGE] = held && m == FIT_MLE;
    if (m != FIT_MLE) s->life.fit.lrflags[LR_PARMS] = s->life.fit.lrflags[LR_PERCENTILES] = 0;
    return m;
}

int fitmethodlabel(vyxstate* s, const stmtrec* r, bool maxshape) {
    static constexpr double kExpMax = 709.782712893384;
    static constexpr int kLabel[FIT_CODES] = {0,           T510_METHOD_ML,    T510_METHOD_LSYX,  T510_METHOD_NONE,
                                              T510_METHOD_GIVEN, 0,         T510_FIT_WEIBAYES, T510_METHOD_LSXY,
                                              T510_METHOD_MODEL, 0};
    char* lab = s->optsw.labels[LB_FITMETHOD];
    blank(lab, 40);
    if (s->work.fitmethod < FIT_CODES && kLabel[s->work.fitmethod]) xpmstr(lab, 40, 510, kLabel[s->work.fitmethod]);
    if (s->work.fitmethod == FIT_NONE) s->work.nofitline = 1;
    if (s->work.fitmethod != FIT_WEIBAYES) return 0;
    s->optsw.distcode = DIST_WEIBULL;
    if (!s->life.parmgiven[GP_SHAPE] || s->life.parmfree[GP_SHAPE] != 'C') {
        xpmlog(510, E510_WEIBAYES_SHAPE_FIXED);
        return 1;
    }
    if (maxshape && s->life.givenparms[GP_SHAPE] > kExpMax) {
        xpmlog(510, E510_WEIBAYES_OVERFLOW);
        return 1;
    }
    if (stmtflag(r, flag::plot::READOUT)) {
        xpmlog(510, E510_WEIBAYES_READOUT);
        return 1;
    }
    return 0;
}

void combinenotes(const vyxstate* s, bool plot) {
    if (!s->poptw.pflags.fmcombine) return;
    if (plot) xpmlog(510, N510_FMODE_COMBINE_POINTS);
    if (s->poptw.pflags.ppout) xpmlog(510, N510_FMODE_COMBINE_PPOUT);
}

void afterfitmethod(vyxstate* s) {
    if (s->work.fitmethod != FIT_MLE && s->work.fitmethod != FIT_MODEL) s->life.fit.covprint[CP_COVB] = s->life.fit.covprint[CP_CORRB] = 0;
    s->work.thrflags[TH_GIVEN] = 0;
    s->optsw.logscale[LSC_LN] = s->optsw.logscale[LSC_LOG10] = 0;
    s->life.maxlablen = 0;
}

void dispatchdist(vyxstate* s, const stmtrec* r) {
    const distinfo* e = distributioninfo(s->optsw.distcode);
    if (!e || !e->lifefits) return;   // codes 5, 8, 9 and 10 set nothing here

    s->optsw.logscale[LSC_LN] = e->scale == 1;
    s->optsw.logscale[LSC_LOG10] = e->scale == 2;
    s->optsw.quant_fn = e->quant;
    s->life.fit.prob_fn[KN_VALUE] = e->value;
    s->life.fit.prob_fn[KN_DERIV] = e->deriv;
    s->life.maxlablen = 0;
    auto fetch = [&](int slotlab, int width, int n) {
        int len = label510(s->optsw.labels[slotlab], width, n);
        if (len > s->life.maxlablen) s->life.maxlablen = len;
    };
    fetch(LB_DIST, 16, e->name);
    const bool weibull = s->optsw.distcode == DIST_WEIBULL, expo = s->optsw.distcode == DIST_EXPONENTIAL;
    if (weibull || expo) {
        // The longer labels of these parameters count for the table widths first.
        fetch(LB_PARM1, expo ? 40 : 16, weibull ? T510_WEIBULL_SCALE : T510_EXPONENTIAL_SCALE);
        fetch(LB_PARM2, 16, T510_WEIBULL_SHAPE);
        blank(s->optsw.labels[LB_PARM1], 40);
        blank(s->optsw.labels[LB_PARM2], 40);
    }
    fetch(LB_PARM1, 16, e->fitparm[0]);
    fetch(LB_PARM2, 16, e->fitparm[1]);

    const optslot* thr = given(r, slot::plot::THRESHOLD);
    if (e->scale == 0) {
        if (thr) xpmlog(510, W510_NO_THRESHOLD_PARAMETER, txtarg(s->optsw.labels[LB_DIST], wzstrip(s->optsw.labels[LB_DIST], 16)));
    } else {
        s->work.thrflags[TH_GIVEN] = thr != nullptr;
        s->optsw.fixedparms[FP_THRESHOLD] = thr ? thr->num : 0.0;
    }

    // The fits work on the location and scale of the (log) response.
    uint8_t* gv = s->life.parmgiven;
    char* st = s->life.parmfree;
    double* v = s->life.givenparms;
    if (weibull) {
        if (gv[GP_LOC]) {
            xpmlog(510, W510_WEIBULL_LOCATION);
            gv[GP_LOC] = 0;
            st[GP_LOC] = '1';
        }
        if (gv[GP_SCALE]) {
            gv[GP_LOC] = 1;
            v[GP_LOC] = std::log(v[GP_SCALE]);
            st[GP_LOC] = st[GP_SCALE];
            gv[GP_SCALE] = 0;
            st[GP_SCALE] = '1';
        }
        if (gv[GP_SHAPE]) {
            gv[GP_SCALE] = 1;
            v[GP_SCALE] = 1 / v[GP_SHAPE];
            st[GP_SCALE] = st[GP_SHAPE];
            gv[GP_SHAPE] = 0;
            st[GP_SHAPE] = '1';
        }
    } else if (expo) {
        s->life.fit.covprint[CP_COVB] = s->life.fit.covprint[CP_CORRB] = 0;
        if (gv[GP_LOC] || gv[GP_SHAPE]) {
            xpmlog(510, W510_EXPONENTIAL_LOCATION_SHAPE);
            gv[GP_LOC] = gv[GP_SHAPE] = 0;
            st[GP_LOC] = st[GP_SHAPE] = '1';
        }
        if (gv[GP_SCALE]) {
            gv[GP_LOC] = 1;
            v[GP_LOC] = std::log(v[GP_SCALE]);
            st[GP_LOC] = st[GP_SCALE];
        }
        gv[GP_SCALE] = 1;
        v[GP_SCALE] = 1.0;
        st[GP_SCALE] = 'C';
    } else if (gv[GP_SHAPE]) {
        xpmlog(510, W510_NO_SHAPE_PARAMETER, txtarg(s->optsw.labels[LB_DIST], wzstrip(s->optsw.labels[LB_DIST], 16)));
    }
    if (st[GP_LOC] == 'C' || st[GP_SCALE] == 'C') s->life.fit.covprint[CP_COVB] = s->life.fit.covprint[CP_CORRB] = 0;
}

void setppos(vyxstate* s, int code) {
    static constexpr ppfn kPpos[6] = {vyxxrnk, vyxmrnk, vyxmrk1, vyxkm, vyxmkm, vyxna};
    s->life.pposcode = static_cast<uint32_t>(code);
    if (code >= 0 && code <= 5) s->life.ppos_fn = kPpos[code];
}

void readsurvtime(vyxstate* s, const stmtrec* r) {
    const optslot* o = given(r, slot::plot::SURVTIME);
    s->work.axopt[AO_NSURV] = 0;
    s->poptw.panels.survtime = nullptr;
    if (!o) return;
    s->work.axopt[AO_NSURV] = o->count;
    s->poptw.panels.survtime = static_cast<double*>(o->ptr);
    if (logaxis(s)) {
        for (int i = 0; i < o->count; ++i) {
            if (!(s->poptw.panels.survtime[i] > 0)) {
                xpmlog(510, W510_SURVTIME_NOT_POSITIVE, s->poptw.panels.survtime[i]);
                s->work.axopt[AO_NSURV] = 0;
                break;
            }
        }
    }
}

void readordering(vyxstate* s, const stmtrec* r) {
    auto code = [](const optslot* o) -> uint8_t {
        if (!o) return 0;
        switch (static_cast<int>(o->num)) {
            case code::order::FREQ: return 2;
            case code::order::DATA: return 3;
            case code::order::FORMATTED: return 1;
            default: return 0;   // INTERNAL
        }
    };
    for (int k = 0; k < 2; ++k) {
        const optslot* o = given(r, k == 0 ? slot::plot::ORDER1 : slot::plot::ORDER2);
        s->groups.clsorder[CO_CODE + k] = code(o);
        if (k == 0 && !o && s->work.fitmethod == FIT_MODEL) {
            switch (s->mdl.ordercode) {
                case 'D': s->groups.clsorder[CO_CODE] = 3; break;
                case 'M': s->groups.clsorder[CO_CODE] = 1; break;
                case 'F': s->groups.clsorder[CO_CODE] = 2; break;
                default: s->groups.clsorder[CO_CODE] = 0; break;
            }
        }
        s->groups.clsorder[CO_COPY + k] = s->groups.clsorder[CO_CODE + k];
        s->groups.clsorder[CO_COUNTED + k] = s->groups.clsorder[CO_CODE + k] == 2 || s->groups.clsorder[CO_CODE + k] == 3;
    }
}
