// The MODEL and LOGSCALE statements read into the state block: fit criteria, given and initial
// values, the distribution's routines and labels, the relation transforms, the response form
// and variables, and the effects (the MODEL's through the effects library, the LOGSCALE's
// table built here).
#include <cstring>

#include "host/effects.h"
#include "proc/effects/effects.h"
#include "proc/framework/conflevel.h"
#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/wholenum.h"
#include "proc/framework/fndstmt.h"
#include "proc/lifedist/lifedist.h"
#include "proc/numeric/distributions.h"
#include "proc/numeric/stdquant.h"
#include "proc/numeric/kernels.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"

using namespace mfit;

namespace {

namespace ms = slot::model;
namespace mf = flag::model;

// A label of catalog 510 into a blank-padded field.
void label(char* field, int width, int n) {
    std::memset(field, ' ', static_cast<size_t>(width));
    xpmstr(field, width, 510, n);
}

// The first variable number of a variable-list slot, or -1.
int32_t firstvar(const stmtrec* r, int n) {
    const optslot* o = stmtslot(r, n);
    if (!o || o->count < 1 || !o->ptr) return -1;
    return static_cast<const int32_t*>(o->ptr)[0];
}

// The distribution: routines, labels, scale of the response and THRESHOLD=. 1 after 510/87
// or 510/88; 2000 for a code without a family.
int distribution(vyxstate* s, const stmtrec* r) {
    if (s->optsw.distcode == DIST_POISSON || s->optsw.distcode == DIST_BINOMIAL) {
        xpmlog(510, s->optsw.distcode == DIST_POISSON ? E510_MODEL_POISSON : E510_MODEL_BINOMIAL);
        return 1;
    }
    const distinfo* f = distributioninfo(s->optsw.distcode);
    if (!f) return RC_SPEC;
    s->optsw.quant_fn = f->quant;
    s->mdl.fit.prob_fn[KN_VALUE] = f->value;
    s->mdl.fit.prob_fn[KN_DERIV] = f->deriv;
    s->mdl.shape_fn = nullptr;
    s->mdl.quantst_fn = f->squant;
    s->mdl.ndistp = 1;
    s->mdl.gammafam = 0;
    label(s->optsw.labels[LB_DIST], 20, f->name);
    label(s->optsw.labels[LB_PARM1], 16, f->modelparm[0]);
    label(s->optsw.labels[LB_PARM2], 16, f->modelparm[1]);
    if (f->code == DIST_GAMMA) {
        s->mdl.ndistp = 2;
        s->mdl.gammafam = 1;
        s->mdl.shape_fn = zprbpgm;
        label(s->optsw.labels[LB_PARM3], 16, T510_PARM_SHAPE);
    }
    if (f->code == DIST_EXPONENTIAL) {
        s->optsw.fixedparms[FP_SCALE] = 1.0;
        s->mdl.scalefix = 1;
    }
    if (f->scale == 1) s->optsw.logscale[LSC_LN] = 1;
    if (f->scale == 2) s->optsw.logscale[LSC_LOG10] = 1;
    const optslot* thr = stmtslot(r, ms::THRESHOLD);
    s->optsw.fixedparms[FP_THRESHOLD] = 0.0;
    s->work.thrflags[TH_GIVEN] = 0;
    if (thr && f->scale == 0) {
        const char* d = s->optsw.labels[LB_DIST];
        xpmlog(510, W510_NO_THRESHOLD_PARAMETER, txtarg(d, wzstrip(d, 20)));
    } else if (thr) {
        s->work.thrflags[TH_GIVEN] = 1;
        s->optsw.fixedparms[FP_THRESHOLD] = thr->num;
    }
    return 0;
}

// Relation transforms: codes, routines, labels and variables; 2000 after 510/690.
int relations(vyxstate* s, const stmtrec* r) {
    static constexpr int codeslot[3] = {ms::RELATION, ms::RELATION2, ms::RELATION3};
    static constexpr int varslot[3] = {ms::RELVAR, ms::RELVAR2, ms::RELVAR3};
    static constexpr int labslot[3] = {LB_RELATION, LB_RELATION2, LB_RELATION3};
    struct rel {
        strfn fn;
        int label;
    };
    static constexpr rel kRel[6] = {{nullptr, 0},          {vyxsarr, T510_ARRHENIUS},         {vyxslin, T510_LINEAR},
                                    {vyxspow, T510_POWER}, {vyxsarr2, T510_ARRHENIUS_ENERGY}, {vyxslgt, T510_LOGISTIC}};
    int given = 0;
    for (int k = 0; k < 3; ++k) {
        const optslot* c = stmtslot(r, codeslot[k]);
        const int code = c ? static_cast<int>(c->num) : 0;
        s->mdl.relcodes[k] = code >= 1 && code <= 5 ? static_cast<uint32_t>(code) : 0;
        std::memset(s->optsw.labels[labslot[k]], ' ', 40);
        s->mdl.mtrans_fn[k] = nullptr;
        if (s->mdl.relcodes[k]) {
            s->mdl.mtrans_fn[k] = kRel[code].fn;
            xpmstr(s->optsw.labels[labslot[k]], 40, 510, kRel[code].label);
        }
        s->mdl.relvarids[k] = firstvar(r, varslot[k]);
        given += s->mdl.relvarids[k] >= 0;
    }
    // All three variable slots are given, or none (a third relation without a variable counts).
    if (given != 0 && given != 3) {
        xpmlog(510, E510_RELATION_VARIABLES);
        return RC_SPEC;
    }
    const levstate* ls = s->mdl.mdllev->lstate;
    for (int k = 0; k < 3; ++k) {
        if (!s->mdl.relcodes[k]) continue;
        const char* lab = s->optsw.labels[labslot[k]];
        if (s->mdl.relvarids[k] < 0) {
            // The k-th continuous variable of the model; none: the relation is dropped, and
            // the user is told (a CLASS variable is no continuous variable).
            if (k < ls->ncontv && ls->contv[k].varinfo) {
                s->mdl.relvarids[k] = ls->contv[k].varinfo->varnum;
            } else {
                s->mdl.relcodes[k] = 0;
                xpmlog(510, N510_MODEL_RELATION_DROPPED, txtarg(lab, wzstrip(lab, 40)), k + 1);
            }
        }
        if (!s->mdl.relcodes[k]) continue;
        xvname(s->inputw.dsin, s->mdl.relvarids[k], &s->mdl.relvardesc[k]);
        // A named variable that is not a continuous variable of the model takes no transform.
        bool continuous = false;
        for (int i = 0; i < ls->ncontv && !continuous; ++i)
            continuous = ls->contv[i].varinfo && ls->contv[i].varinfo->varnum == s->mdl.relvarids[k];
        if (!continuous) {
            const vardesc& d = s->mdl.relvardesc[k];
            xpmlog(510, N510_MODEL_RELATION_NOT_CONTINUOUS, txtarg(lab, wzstrip(lab, 40)), txtarg(d.name, d.namelen));
        }
    }
    return 0;
}

// A variable record (the level-record layout) of variable var.
bool varrecord(poolobj* pool, dshandle ds, int32_t var, levclass* c) {
    c->varinfo = poolget<levvarinfo>(pool, 1, poolflag::zeroed_marked);
    if (!c->varinfo) return false;
    c->varinfo->varnum = var;
    xvname(ds, var, &c->varinfo->d);
    return true;
}

// The LOGSCALE control blocks (always made), then the LOGSCALE statement when there is one.
int logscale(vyxstate* s) {
    poolobj* pool = s->pools.bypool;
    auto* ctl = poolget<levctl>(pool, 1, poolflag::zeroed_marked);
    auto* ls = poolget<levstate>(pool, 1, poolflag::zeroed_marked);
    auto* d = poolget<levdata>(pool, 1, poolflag::zeroed_marked);
    if (!ctl || !ls || !d) return RC_NOMEM;
    s->mdl.logslev = ctl;
    s->mdl.logscl = ls;
    ctl->lstate = ls;
    ctl->ldata = d;
    d->dsh = s->inputw.dsin;
    d->ldpool = pool;
    ls->lsflags = static_cast<uint8_t>((ls->lsflags & ~LS_CODED) | LS_NOSTD);

    stmtrec* rec = nullptr;
    const int n = fndstmt("LOGSCALE", &rec);
    s->mdl.haslogscl = 0;
    if (n == 0) return 0;
    if (n > 1) {
        xpmlog(510, E510_LOGSCALE_TWICE);
        return RC_SPEC;
    }
    s->mdl.haslogscl = 1;
    if (s->mdl.scalefix) {
        xpmlog(510, W510_MODEL_SCALE_NOT_FIXED);
        s->mdl.scalefix = 0;
        s->optsw.fixedparms[FP_SCALE] = missing();
    }
    if (s->mdl.shapefix && s->optsw.distcode != DIST_GAMMA) {
        xpmlog(510, W510_MODEL_SCALE_NOT_FIXED);
        s->mdl.shapefix = 0;
        s->mdl.scalefix = 0;
        s->optsw.fixedparms[FP_SCALE] = missing();
    }
    return seffect(s, ls, rec);
}

}  // namespace

int seffect(vyxstate* s, levstate* ls, stmtrec* r) {
    const optslot* list = stmtslot(r, slot::logscale::EFFECTS);
    const int n = list ? list->count : 0;
    auto* effs = poolget<leveffect>(s->pools.bypool, n + 1, poolflag::zeroed_marked);
    if (!effs) return RC_NOMEM;
    ls->neffect = n;

    double icpt = missing();
    if (stmtflag(r, flag::logscale::NOINT)) icpt = 0.0;
    icpt = gparm(r, slot::logscale::INTERCEPT, icpt);
    s->optsw.fixedparms[FP_LSINTERCEPT] = icpt;
    s->mdl.lsintfix = !ismiss(icpt) && !stmtflag(r, flag::logscale::INTINIT);
    const optslot* init = stmtslot(r, slot::logscale::INITIAL);
    s->mdl.ninit[IV_LOGSCALE] = init ? init->count : 0;
    s->mdl.initvals[IV_LOGSCALE] = init ? static_cast<double*>(init->ptr) : nullptr;

    const auto* p = list ? static_cast<const parsedeff*>(list->ptr) : nullptr;
    for (int k = 0; k < n && p; ++k, p = p->next)
        if (int rc = zlevglm(&effs[k + 1], p)) return rc;

    ls->lsflags = static_cast<uint8_t>(ls->lsflags & ~LS_NOINT);
    ls->effects = effs;
    effs[0].ncont = effs[0].ncls = effs[0].nnest = effs[0].nclsall = 0;
    static const char kIntercept[] = "Intercept";
    effs[0].effname = static_cast<char*>(poolbytes(s->pools.bypool, sizeof kIntercept, poolflag::raw_marked));
    if (!effs[0].effname) return RC_NOMEM;
    std::memcpy(effs[0].effname, kIntercept, sizeof kIntercept);
    ls->neffect = n + 1;

    const levstate* mls = s->mdl.mdllev->lstate;
    ls->nclassv = mls->nclassv;
    ls->classv = mls->classv;
    ls->ncontv = mls->ncontv;
    ls->contv = mls->contv;
    ls->effcols = poolget<effcell>(s->pools.bypool, n + 1, poolflag::zeroed_marked);
    return ls->effcols ? 0 : RC_NOMEM;
}

int vyxmprm(vyxstate* s) {
    stmtrec* r = s->inwork.curstmt;
    // 1. flags
    s->mdl.fit.covprint[CP_COVB] = stmtflag(r, mf::COVB);
    s->mdl.fit.covprint[CP_CORRB] = stmtflag(r, mf::CORRB);
    s->mdl.fit.lrflags[LR_PARMS] = stmtflag(r, mf::LRCL);
    s->mdl.waldcl = stmtflag(r, mf::WALDCL);
    s->mdl.fit.itprflag.itprint = stmtflag(r, mf::ITPRINT);
    // 2. numbers
    s->mdl.fit.maxiter = countopt(r, "MAXIT", gparm(r, ms::MAXIT, 50.0), 0, MOST_INT, 50);
    s->mdl.fit.fitcrit.converge = gparm(r, ms::CONVERGE, 0.001);
    s->mdl.fit.fitcrit.convh = gparm(r, ms::CONVH, 1e-4);
    s->mdl.fit.fitcrit.singular = gparm(r, ms::SINGULAR, 1e7 * EPS53);
    const double conf = gparm(r, ms::CONFIDENCE, 0.95);
    s->optsw.alpha = 1.0 - conf;
    vx::zerolevelnote(conf);
    // 3. given values
    double icpt = missing();
    if (stmtflag(r, mf::NOINT)) icpt = 0.0;
    icpt = gparm(r, ms::INTERCEPT, icpt);
    s->optsw.fixedparms[FP_INTERCEPT] = icpt;
    s->optsw.fixedparms[FP_SCALE] = gparm(r, ms::SCALE, missing());
    s->optsw.fixedparms[FP_SHAPE] = gparm(r, ms::SHAPE, missing());
    s->optsw.fixedparms[FP_LSINTERCEPT] = missing();
    s->mdl.fit.itopts[IT_PSTABLE] = gparm(r, ms::PSTABLE, missing());
    // 4. what is held fixed
    s->mdl.intfix = !ismiss(icpt) && !stmtflag(r, mf::LINIT);
    s->mdl.scalefix = !ismiss(s->optsw.fixedparms[FP_SCALE]) && !stmtflag(r, mf::SCINIT);
    s->mdl.shapefix = !ismiss(s->optsw.fixedparms[FP_SHAPE]) && !stmtflag(r, mf::SHINIT);
    s->mdl.lsintfix = 0;
    s->work.tblflags[TF_OBSTATS] = stmtflag(r, mf::OBSTATS);
    s->mdl.rsp3flag = stmtflag(r, mf::READOUT);
    s->mdl.nocsflag = stmtflag(r, mf::NOCS);
    s->mdl.xcenter = stmtflag(r, mf::XCENTER);
    // 5. checks
    const double scl = s->optsw.fixedparms[FP_SCALE], shp = s->optsw.fixedparms[FP_SHAPE];
    if (!ismiss(scl) && scl < EPS53) {
        xpmlog(510, E510_MODEL_SCALE_NOT_POSITIVE, scl);
        return 1;
    }
    if (!ismiss(shp) && shp < EPS53 && s->optsw.distcode == DIST_WEIBULL) {
        xpmlog(510, E510_MODEL_WEIBULL_SHAPE, shp);
        return 1;
    }
    // 6. labels
    for (int k : {LB_DIST, LB_PARM1, LB_PARM2, LB_PARM3}) std::memset(s->optsw.labels[k], ' ', 40);
    s->work.thrflags[TH_GIVEN] = 0;
    s->optsw.logscale[LSC_LN] = s->optsw.logscale[LSC_LOG10] = 0;
    // 7. the distribution
    if (int rc = distribution(s, r)) return rc;
    // 8, 9. SCALE= and SHAPE= by family
    if (stmtslot(r, ms::SCALE) && s->optsw.distcode == DIST_WEIBULL) {
        xpmlog(510, W510_MODEL_WEIBULL_SCALE);
        s->optsw.fixedparms[FP_SCALE] = missing();
        s->mdl.scalefix = 0;
    }
    if (stmtslot(r, ms::SHAPE)) {
        if (s->optsw.distcode == DIST_WEIBULL) {
            s->optsw.fixedparms[FP_SCALE] = 1.0 / shp;
            s->mdl.scalefix = s->mdl.shapefix;
        } else if (s->optsw.distcode != DIST_GAMMA) {
            const char* d = s->optsw.labels[LB_DIST];
            xpmlog(510, W510_MODEL_NO_SHAPE_PARAMETER, txtarg(d, wzstrip(d, 20)));
            s->optsw.fixedparms[FP_SHAPE] = missing();
            s->mdl.shapefix = 0;
        }
    }
    // 10. the MODEL's control block, cleared for this BY group
    levctl* ctl = s->mdl.mdllev;
    clearlevels(ctl);
    levstate* ls = ctl->lstate;
    levdata* data = ctl->ldata;
    data->dsh = s->inputw.dsin;
    data->ldpool = s->pools.bypool;
    ls->lsflags = static_cast<uint8_t>(ls->lsflags & ~LS_CODED);
    if (s->mdl.xcenter) ls->lsflags = static_cast<uint8_t>(ls->lsflags & ~LS_NOSTD);
    else ls->lsflags = static_cast<uint8_t>(ls->lsflags | LS_NOSTD);
    const stmtrec* proc = s->inputw.procstmt;
    ls->truncln = -1;
    if (proc && stmtflag(proc, flag::proc::TRUNCATE)) ls->truncln = static_cast<int32_t>(gparm(proc, slot::proc::TRUNCATE, 0.0));
    // 11. the effects
    if (int rc = zlevmod(ls, s->inputw.dsin, slot::proc::CONTINUOUS, slot::proc::CLASS, r, slot::head::MODEL_EFFECTS, 0, 0))
        return rc;
    // 12-14. relations
    if (int rc = relations(s, r)) return rc;
    // 15. response form
    s->inputw.rspform[RF_TIME] = s->inputw.rspform[RF_CENSOR] = s->inputw.rspform[RF_INTERVAL] = 0;
    int form = static_cast<int>(gparm(r, slot::head::RSPKIND, 0.0));
    if (s->mdl.rsp3flag) {
        if (form != 0) {
            xpmlog(510, E510_MODEL_READOUT_RESPONSE);
            return RC_SPEC;
        }
        form = 3;
    }
    s->inwork.rspkind = s->mdl.mdlrspkind = static_cast<uint32_t>(form);
    int nresp = 0;
    switch (form) {
        case 0: s->inputw.rspform[RF_TIME] = 1; nresp = 1; break;
        case 1: s->inputw.rspform[RF_CENSOR] = 1; nresp = 2; break;
        case 2: s->inputw.rspform[RF_INTERVAL] = 1; nresp = 2; break;
        case 3: s->inputw.rspform[RF_INTERVAL] = 1; nresp = 1; break;
        default: break;
    }
    s->work.thrflags[TH_MODELRAN] = 1;
    // 16. a model of one effect besides the intercept: its first continuous and CLASS variable
    s->mdl.mdleffinfo[ME_CONT] = s->mdl.mdleffinfo[ME_CLASS] = 0;
    s->mdl.mdlvarids[ME_CONT] = s->mdl.mdlvarids[ME_CLASS] = 0;
    if (ls->neffect == 2) {
        const leveffect& e = ls->effects[1];
        s->mdl.mdleffinfo[ME_CONT] = static_cast<uint32_t>(e.ncont);
        s->mdl.mdleffinfo[ME_CLASS] = static_cast<uint32_t>(e.ncls);
        if (e.ncont > 0 && ls->contv[e.contix[0]].varinfo)
            s->mdl.mdlvarids[ME_CONT] = static_cast<uint32_t>(ls->contv[e.contix[0]].varinfo->varnum);
        if (e.ncls > 0 && ls->classv[e.clsix[0]].varinfo)
            s->mdl.mdlvarids[ME_CLASS] = static_cast<uint32_t>(ls->classv[e.clsix[0]].varinfo->varnum);
    }
    // 17. ORDER= and the estimation-method label
    switch (static_cast<int>(gparm(r, ms::ORDER, code::modelorder::FORMATTED))) {
        case code::modelorder::DATA: s->mdl.ordercode = 'D'; break;
        case code::modelorder::FORMATTED: s->mdl.ordercode = 'M'; break;
        case code::modelorder::FREQ: s->mdl.ordercode = 'F'; break;
        case code::modelorder::INTERNAL: s->mdl.ordercode = 'I'; break;
        default: s->mdl.ordercode = 0; break;
    }
    label(s->optsw.labels[LB_FITMETHOD], 40, T510_METHOD_ML);
    // 18. INITIAL=
    const optslot* init = stmtslot(r, ms::INITIAL);
    s->mdl.ninit[IV_MODEL] = init ? init->count : 0;
    s->mdl.initvals[IV_MODEL] = init ? static_cast<double*>(init->ptr) : nullptr;
    s->mdl.ninit[IV_LOGSCALE] = 0;
    s->mdl.initvals[IV_LOGSCALE] = nullptr;
    // 19. response variable records
    ctl->nresp = nresp;
    ctl->respv = poolget<levclass>(s->pools.bypool, nresp > 0 ? nresp : 1, poolflag::zeroed_marked);
    if (!ctl->respv) return RC_NOMEM;
    s->mdl.mdlnresp = 0;
    for (uint32_t& id : s->mdl.mdlrspids) id = 0;
    auto addresp = [&](int32_t var, int cell) {
        if (s->mdl.mdlnresp >= nresp) return true;
        levclass* c = &ctl->respv[s->mdl.mdlnresp];
        if (!varrecord(s->pools.bypool, s->inputw.dsin, var, c)) return false;
        s->life.rspdesc[cell < 2 ? cell : 1] = c->varinfo->d;
        s->mdl.mdlrspids[s->mdl.mdlnresp++] = static_cast<uint32_t>(var);
        return true;
    };
    s->inputw.rspvars[RV_TIME] = s->inputw.rspvars[RV_SECOND] = s->inputw.rspvars[RV_MODELFREQ] = nullptr;
    if (firstvar(r, slot::head::RESP1) >= 0) {
        if (!addresp(firstvar(r, slot::head::RESP1), 0)) return RC_NOMEM;
        s->inputw.rspvars[RV_TIME] = &s->life.rspdesc[RVAR_FIRST];
    }
    if (form == 2 && firstvar(r, slot::head::MODEL_UPPER) >= 0) {
        if (!addresp(firstvar(r, slot::head::MODEL_UPPER), 1)) return RC_NOMEM;
        s->inputw.rspvars[RV_SECOND] = &s->life.rspdesc[RVAR_SECOND];
    }
    s->mdl.rsplist = nullptr;
    if (form == 1 && firstvar(r, slot::head::RESP2) >= 0) {
        if (!addresp(firstvar(r, slot::head::RESP2), 1)) return RC_NOMEM;
        s->inputw.rspvars[RV_SECOND] = s->inputw.rspvars[RV_MODELFREQ] = &s->life.rspdesc[RVAR_SECOND];
    }
    // 20. censoring values
    const optslot* cv = stmtslot(r, slot::head::CENSVALS);
    s->inputw.ncensvals = cv ? cv->count : 0;
    s->inputw.censvals = cv ? static_cast<double*>(cv->ptr) : nullptr;
    // 21, 22. LOGSCALE
    return logscale(s);
}
