// The percentile lines of the relation plot (regper): for the MODEL's fit (FITTYPE=REGRESSION
// and MODEL) 100 points per line across the stress axis, from the MODEL's location and scale
// at each stress (get_parm); for the other fits the points of the stress levels' own fits.
#include <cmath>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/effects/effects.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist.h"
#include "proc/regression/regression.h"

namespace {

constexpr int kModelPoints = 100;
constexpr double kExpOver = 709.782712893384;   // the largest argument of exp

bool missing(double v) { return std::isnan(v); }

// A mean of the MODEL's continuous variables, changed for the curves of a value list and
// given back afterwards: the MODEL's means serve the later statements of the BY group.
struct MeanGuard {
    double* at = nullptr;
    double saved = 0.0;
    void hold(double* p) {
        at = p;
        saved = *p;
    }
    ~MeanGuard() {
        if (at) *at = saved;
    }
};

// The statement's own record: a record of an earlier statement went with its pool.
regpstate* statefor(vyxstate* s) {
    s->plot.regpstate = poolbytes(s->pools.stmtpool, sizeof(regpstate), poolflag::zeroed);
    return static_cast<regpstate*>(s->plot.regpstate);
}

const levstate* mdllevstate(const vyxstate* s) {
    const bool fitted = s->work.thrflags[TH_MODELRAN] && s->mdl.mdllev && s->mdl.mdllev->lstate && s->mdl.mdllay && s->mdl.estdata && s->mdl.parmmap;
    return fitted ? s->mdl.mdllev->lstate : nullptr;
}

// Makes one control block's current observation: every CLASS variable at `level` (its first
// level when it has fewer), every continuous variable at the MODEL's mean of the variable of
// the same number, variable k of the MODEL at x.
void setobservation(const modelstate& mdl, levctl* ctl, int level, double x, int k) {
    levstate* ls = ctl->lstate;
    const levstate* ms = mdl.mdllev->lstate;
    const double* mean = mdl.stressvals[SV_MEAN];
    for (int i = 0; ctl->levidx && i < ls->nclassv; ++i) ctl->levidx[i] = level >= 0 && level < ls->classv[i].nlev ? level : 0;
    for (int i = 0; ctl->contval && i < ls->ncontv; ++i) {
        const int m = ctl == mdl.mdllev ? i : continuousindex(ms, ls->contv[i].varinfo ? ls->contv[i].varinfo->varnum : -1);
        ctl->contval[i] = m < 0 ? 0.0 : m == k ? x : mean ? mean[m] : 0.0;
    }
}

// Whether an effect of the MODEL uses CLASS variable i (cls) or continuous variable i.
bool uses(const levstate* ls, int i, bool cls) {
    for (int e = 0; e < ls->neffect; ++e) {
        const leveffect& f = ls->effects[e];
        const int n = cls ? f.nclsall : f.ncont;
        const int32_t* ix = cls ? f.clsall : f.contix;
        for (int j = 0; ix && j < n; ++j)
            if (ix[j] == i) return true;
    }
    return false;
}

// The continuous variable the MODEL uses besides the stress variable k.
int otherused(const levstate* ls, int k) {
    for (int i = 0; i < ls->ncontv; ++i)
        if (i != k && uses(ls, i, false)) return i;
    return k == 0 ? 1 : 0;
}

// The lines of the MODEL's fit. Null after a message.
double* modellines(vyxstate* s, regpstate* rp) {
    const levstate* ls = mdllevstate(s);
    if (!ls) {
        xpmlog(510, E510_FITTYPE_MODEL_MISMATCH);
        return nullptr;
    }
    const int k = modelstressindex(s);
    if (k < 0) {
        xpmlog(510, E510_RELPLOT_STRESS_NOT_MODEL);
        return nullptr;
    }
    rp->npts = kModelPoints;
    rp->ncurve = 1;
    rp->otherix = 0;
    rp->other = rp->bylevel = 0;
    rp->values = nullptr;
    const optslot* var = stmtslot(s->inwork.curstmt, slot::plot::STRESSVAR);
    const optslot* vals = stmtslot(s->inwork.curstmt, slot::plot::STRESSVALUES);
    int ix = -1;   // the continuous variable of the value list
    if (var && var->ptr && var->count > 0) {
        ix = continuousindex(ls, static_cast<const int32_t*>(var->ptr)[0]);
        // A variable the MODEL does not have: its values cannot move the lines.
        if (ix < 0) xpmlog(510, W510_RELPLOT_VALUES_NOT_MODEL);
    }
    bool valuelist = false;
    // Only the variables the MODEL's effects use draw curves: a CLASS variable the MODEL does
    // not use would give identical curves under its levels.
    const usedvars used = usedvariables(ls);
    rp->clsix = -1;
    if (used.ncont < 2) {
        if (used.cls >= 0) {
            rp->bylevel = 1;
            rp->clsix = used.cls;
            rp->ncurve = ls->classv[used.cls].nlev > 0 ? ls->classv[used.cls].nlev : 1;
        }
    } else if (ix < 0) {
        rp->other = 1;
        rp->otherix = otherused(ls, k);
        rp->values = s->mdl.stressvals[SV_MEAN] ? s->mdl.stressvals[SV_MEAN] + rp->otherix : nullptr;
    } else {
        rp->other = ix != k;
        rp->otherix = ix;
        rp->ncurve = vals && vals->ptr && vals->count > 0 ? vals->count : 1;
        rp->values = vals && vals->ptr && vals->count > 0 ? static_cast<const double*>(vals->ptr) : nullptr;
        valuelist = rp->other && rp->values;
    }
    const int np = static_cast<int>(s->opts.pctcount);
    if (np > 1 && rp->ncurve > 1 && s->opts.rdxgraph) {
        xpmlog(510, E510_RELPLOT_SEVERAL_PCT);
        xexit(RC_SPEC, 0);
        return nullptr;
    }
    const mdlcounts n = mdlsizes(s);
    const int64_t cells = int64_t(n.ncol) + n.nls + 1;
    auto* row = static_cast<descell*>(poolbytes(s->pools.bypool, cells * int64_t(sizeof(descell)), poolflag::raw));
    const int64_t bytes = int64_t(np) * kModelPoints * rp->ncurve * 16;
    auto* out = static_cast<double*>(poolbytes(s->pools.bypool, bytes > 0 ? bytes : 16, poolflag::raw));
    if (!row || !out) {
        xmemmsg(row ? bytes : cells * int64_t(sizeof(descell)));
        return nullptr;
    }
    const double lo = s->work.axlim[AX_STRESSLOWER], hi = s->work.axlim[AX_STRESSUPPER];
    const double start = lo + (hi - lo) * s->popt.pctopts[PCL_LOWER];
    const double end = hi - (hi - lo) * s->popt.pctopts[PCL_UPPER];
    const double step = (end - start) / kModelPoints;
    ParmPair pv(s);
    MeanGuard other;
    if (valuelist && s->mdl.stressvals[SV_MEAN]) other.hold(s->mdl.stressvals[SV_MEAN] + rp->otherix);
    double* at = out;
    for (int i = 0; i < np; ++i) {
        const double q = s->opts.pctvals[i] / 100.0;
        for (int j = 0; j < rp->ncurve; ++j) {
            if (other.at) *other.at = rp->values[j];
            for (int p = 0; p < kModelPoints; ++p, at += 2) {
                const double x = start + p * step;
                get_parm(s, rp->bylevel ? j : 0, x, k, row);
                double life = hostmissing();
                if (!missing(pv.pair[0]) && !missing(pv.pair[1])) pctl(s, q, &life);
                at[0] = s->popt.rplotopt && s->opts.stress_fn ? s->opts.stress_fn(x) : x;
                at[1] = life;
            }
        }
    }
    return out;
}

// The lines through the stress levels' own fits: one point per level.
double* levellines(vyxstate* s, regpstate* rp) {
    rp->ncurve = 1;
    const int n = static_cast<int>(s->groups.nlev[NLEV_FIRST]);
    rp->npts = n;
    const int np = static_cast<int>(s->opts.pctcount);
    const int64_t bytes = int64_t(np) * n * 16;
    auto* out = static_cast<double*>(poolbytes(s->pools.bypool, bytes > 0 ? bytes : 16, poolflag::raw));
    if (!out) {
        xmemmsg(bytes);
        return nullptr;
    }
    ParmPair pv(s);
    for (int i = 0; i < np; ++i) {
        const double q = s->opts.pctvals[i] / 100.0;
        int j = 0;
        for (grpnode* g = s->groups.grplist.head; g && j < n; g = g->next, ++j) {
            pv.pair[0] = g->loc;
            pv.pair[1] = g->scale;
            double life = hostmissing();
            if (!g->nofit) pctl(s, q, &life);
            const double v = s->groups.levvals[CV_FIRST] ? s->groups.levvals[CV_FIRST][j] : hostmissing();
            double* at = out + 2 * (static_cast<int64_t>(i) * n + j);
            at[0] = s->popt.rplotopt && s->opts.stress_fn ? s->opts.stress_fn(v) : v;
            at[1] = life;
        }
    }
    return out;
}

}  // namespace

int continuousindex(const levstate* ls, int32_t var) {
    for (int i = 0; ls && i < ls->ncontv; ++i)
        if (ls->contv[i].varinfo && ls->contv[i].varinfo->varnum == var) return i;
    return -1;
}

usedvars usedvariables(const levstate* ls) {
    usedvars v;
    for (int i = 0; ls && i < ls->nclassv; ++i) {
        if (!uses(ls, i, true)) continue;
        ++v.ncls;
        if (v.cls < 0) v.cls = i;
    }
    for (int i = 0; ls && i < ls->ncontv; ++i) v.ncont += uses(ls, i, false);
    return v;
}

int modelstressindex(const vyxstate* s) { return continuousindex(mdllevstate(s), s->groups.clsvars[CV_FIRST]); }

void get_parm(vyxstate* s, int level, double x, int k, descell* row) {
    double* out = s->life.parmvec.block;
    if (!out) return;
    out[0] = out[1] = hostmissing();
    const levstate* ms = mdllevstate(s);
    if (!ms) return;
    const bool logscl = s->mdl.haslogscl && s->mdl.logslev && s->mdl.logscl;
    setobservation(s->mdl, s->mdl.mdllev, level, x, k);
    if (logscl) setobservation(s->mdl, s->mdl.logslev, level, x, k);
    if (missing(transx(s))) return;
    const auto* lls = logscl ? static_cast<const levstate*>(s->mdl.logscl) : nullptr;
    if (row) {
        int c = 0;
        for (const levstate* ls : {ms, lls}) {
            for (int e = 0; ls && e < ls->neffect; ++e, ++c) {
                row[c].value = ls->effcols[e].value;
                row[c].col = ls->effcols[e].col;
            }
        }
    }
    const mdlcounts n = mdlsizes(s);
    const double mu = mdllinear(s, ms, 0, nullptr);
    double sigma = n.ndist > 0 ? s->mdl.estdata[n.ncol] : 1.0;
    if (lls) {
        // A scale model: sigma = exp(psi); beyond the range of exp there is no scale.
        const double psi = mdllinear(s, lls, n.ncol, nullptr);
        sigma = psi < kExpOver ? std::exp(psi) : hostmissing();
    }
    out[0] = mu;
    out[1] = sigma;
}

double* regper(vyxstate* s) {
    regpstate* rp = statefor(s);
    if (!rp) {
        xmemmsg(sizeof(regpstate));
        return nullptr;
    }
    *rp = regpstate{};
    rp->clsix = -1;
    const bool bymodel = s->work.fitmethod == FIT_MODEL || s->work.fitmethod == FIT_REGRESSION;
    // FITTYPE=MODEL with a stress variable that is a CLASS variable of the MODEL has no line
    // across the stress axis: its lines join the levels' fits, which the MODEL gives.
    const bool across = bymodel && modelstressindex(s) >= 0;
    double* out = across || s->work.fitmethod == FIT_REGRESSION ? modellines(s, rp) : levellines(s, rp);
    s->plot.pctlines = out;
    return out;
}

ParmPair::ParmPair(vyxstate* st) : s(st), saved(st->life.parmvec.block) { s->life.parmvec.block = pair; }
ParmPair::~ParmPair() { s->life.parmvec.block = saved; }
