// Confidence limits of the MODEL parameters: profile-likelihood limits through the limit
// search, one per estimated parameter on the data's scale, or Wald limits (the scale's on
// the log scale).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "proc/effects/effects.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/msg510.h"
#include "proc/framework/msg0.h"
#include "proc/framework/stepend.h"
#include "proc/lifedist/lifedist.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/prci.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"
#include "proc/regression/mtable.h"

using namespace mfit;

namespace mdl {

double lfentry(void* ctx, int32_t*) {
    auto* s = static_cast<vyxstate*>(ctx);
    vyxmlik(s, MLIK_BOTH);
    return -s->mdl.fit.loglik.current;
}

int32_t lghntry(void* ctx) {
    auto* s = static_cast<vyxstate*>(ctx);
    s->mdl.likfail = 0;
    const int rc = vyxmderiv(s);
    return s->mdl.likfail || s->step.stepend ? 1 : rc;
}

}  // namespace mdl

void prtcl(void* ctx) {
    auto* s = static_cast<vyxstate*>(ctx);
    histrow(s, s->mdl.fit.itstatus[ITS_ITER], s->mdl.clparm);
}

void setcl(vyxstate* s, txthandle name) {
    mtable t(s);
    if (!t.create(nullptr, name, nullptr)) return;
    t.coldouble("Iter", &s->mdl.fit.itrow[IH_ITER]);
    t.coltext("Parameter", 12, s->row.rowtext);
    t.coldouble("Loglike", &s->mdl.fit.itrow[IH_LOGLIK]);
    const auto* names = static_cast<txthandle*>(s->mdl.fit.parmnames);
    for (int i = 0; i < s->mdl.fit.npar.total; ++i)
        if (s->mdl.parmmap[i] >= 0) t.coldouble(names[s->mdl.parmmap[i]], &s->mdl.fit.itrow[IH_PARMS + i], "value");
    t.titles({{"Title", rdxmsg(0, T0_ITER_HISTORY_LR)}});
    t.enddef();
    t.bind("Kv.Vitalyx.Ithist");
}

namespace {

// The combination of the fitted parameters that is parameter i on the data's scale.
void direction(const vyxstate* s, int i, double* d) {
    const mdlcounts n = mdlsizes(s);
    for (int j = 0; j < n.p; ++j) d[j] = 0.0;
    const bool logscl = s->mdl.haslogscl;
    if (i == 0 && !s->mdl.intfix) {
        d[0] = 1.0;
        for (int j = 1; j < n.ncol; ++j) d[j] = -centre(s, j) / scale(s, j);
        if (!logscl && n.ndist > 0) d[n.ncol] = -s->mdl.shiftq;
    } else if (logscl && i == n.ncol && !s->mdl.lsintfix) {
        d[n.ncol] = 1.0;
        for (int j = n.ncol + 1; j < n.ntot; ++j) d[j] = -centre(s, j) / scale(s, j);
    } else if (i < n.ntot) {
        d[i] = 1.0 / scale(s, i);
    } else {
        d[i] = 1.0;
    }
}

void waldlimits(vyxstate* s) {
    const mdlcounts n = mdlsizes(s);
    const double q = zprobitq(s->opts.alpha / 2);
    const double* e = s->mdl.estdata;
    const double* se = s->mdl.stderrs;
    double* cl = s->mdl.climits;
    for (int j = 0; j < n.p; ++j) {
        cl[2 * j] = cl[2 * j + 1] = e[j];
        if (s->mdl.parmstat[j] != '1') continue;
        const bool isscale = !s->mdl.haslogscl && j == n.ncol;
        if (!isscale) {
            cl[2 * j] = e[j] - se[j] * q;
            cl[2 * j + 1] = e[j] + se[j] * q;
            continue;
        }
        // The scale: limits on the log scale. Beyond the range of exp the interval is
        // (0, infinity), shown missing, not collapsed to the estimate.
        const double w = e[j] > EPS53 ? se[j] * q / e[j] : 0.0;
        if (!(w < EXP_OVER)) {
            cl[2 * j] = cl[2 * j + 1] = missing();
            continue;
        }
        const double f = std::exp(w);
        cl[2 * j] = f > 1.0 ? e[j] / f : e[j] * f;
        cl[2 * j + 1] = f > 1.0 ? e[j] * f : e[j] / f;
    }
}

// Parameter i as the estimate tables name it: the effect and its levels ("type A"), the
// scale-model effects marked "(scale)", the scale and the shape by their labels.
std::string parmname(vyxstate* s, int i) {
    const mdlcounts n = mdlsizes(s);
    const levstate* m = s->mdl.mdllev && s->mdl.mdllev->lstate ? s->mdl.mdllev->lstate : nullptr;
    const levstate* l = s->mdl.haslogscl ? static_cast<const levstate*>(s->mdl.logscl) : nullptr;
    const levstate* ls = i < n.ncol ? m : (l && i < n.ntot ? l : nullptr);
    if (!ls || !m) {
        const char* lab = s->opts.labels[i == n.ncol && !l ? LB_PARM2 : LB_PARM3];
        return std::string(lab, static_cast<size_t>(wzstrip(lab, 8)));
    }
    const int col = i < n.ncol ? i : i - n.ncol;
    for (int k = 0; k < ls->neffect; ++k) {
        const leveffect& e = ls->effects[k];
        const int c = col - e.firstcol;
        if (c < 0 || c >= e.ncol) continue;
        std::string name = e.effname ? e.effname : "";
        for (int j = 0; e.combs && c < e.nseen && j < e.nclsall; ++j) {
            const int idx = e.combs[static_cast<size_t>(c) * e.nclsall + j];
            const levclass& cl = m->classv[e.clsall[j]];
            if (idx < 0 || idx >= cl.nlev) continue;
            char text[256];
            const int len = std::min(cl.fmtlen, 255);
            std::memcpy(text, cl.levels[idx], static_cast<size_t>(len));
            int used = 0, start = 0;
            wzstjls(text, len, 'l', &used, &start);
            name += ' ';
            name.append(text, static_cast<size_t>(used));
        }
        if (ls == l) {
            char scaled[300];
            std::memset(scaled, ' ', sizeof scaled);
            const int len = xpmstr(scaled, static_cast<int>(sizeof scaled) - 1, 510, T510_SCALE_OF, txtarg(name.c_str(), static_cast<int>(name.size())));
            name.assign(scaled, static_cast<size_t>(len));
        }
        return name;
    }
    return std::string();
}

// A search that ran out of MAXIT= evaluations names the parameter, as the tables do, and
// says which of its limits is missing.
void notfound(vyxstate* s, int i) {
    const bool lower = ismiss(s->mdl.climits[2 * i]), upper = ismiss(s->mdl.climits[2 * i + 1]);
    char which[120];
    std::memset(which, ' ', sizeof which);
    const int len = xpmstr(which, static_cast<int>(sizeof which) - 1, 510,
                           lower && upper ? T510_LR_BOTH_MISSING : lower ? T510_LR_LOWER_MISSING : T510_LR_UPPER_MISSING);
    char in[640];
    const std::string name = parmname(s, i);
    xpmlog(510, W510_LR_SEARCH_MAXIT, s->mdl.fit.maxiter, txtarg(name.c_str(), static_cast<int>(name.size())), txtarg(which, len),
           groupsuffix(s, false, " in ", in, sizeof in));
}

}  // namespace

int vyxmcl(vyxstate* s) {
    const mdlcounts n = mdlsizes(s);
    const int p = n.p;
    s->mdl.fit.fitcrit.ridge = 0.0;
    s->mdl.climits = static_cast<double*>(poolbytes(s->pools.stmtpool, 2 * static_cast<int64_t>(p) * sizeof(double), poolflag::zeroed_marked));
    if (!s->mdl.climits) return RC_NOMEM;
    if (!s->mdl.fit.lrflags[LR_PARMS] || !lrresolved(s, s->mdl.fit.loglik.final, false)) {
        // The estimate tables are titled by the limits they show (as after a fit that did
        // not converge).
        s->mdl.fit.lrflags[LR_PARMS] = 0;
        waldlimits(s);
        return 0;
    }

    auto* blk = poolget<ciblk>(s->pools.stmtpool, 1, poolflag::raw);
    if (!blk) return RC_NOMEM;
    if (p != s->mdl.fit.npar.free) vyxxpm(s->mdl.estfit, s->mdl.parmstat, p, nullptr);
    auto* res = static_cast<double*>(poolbytes(s->pools.stmtpool, 2 * static_cast<int64_t>(p + 1) * sizeof(double), poolflag::raw));
    if (!res) return endstep(s, RC_NOMEM);
    double* x = s->mdl.fit.fitarr.est;
    double* d = s->mdl.estarr[EA_SCRATCH];
    blk->prtflag = s->mdl.fit.itprflag.itprint;
    blk->npar = s->mdl.fit.npar.free;
    blk->maxeval = s->mdl.fit.maxiter;
    blk->evalcnt = reinterpret_cast<int32_t*>(&s->mdl.fit.itstatus[ITS_ITER]);
    blk->theta = x;
    blk->base = s->mdl.estarr[EA_PREV];
    blk->cgrad = s->mdl.fit.fitarr.grad;
    blk->chess = s->mdl.fit.fitarr.hess;
    blk->cvec = d;
    blk->lowres = res;
    blk->uppres = res + (p + 1);
    blk->singtol = s->mdl.fit.fitcrit.singular;
    blk->convcrit = s->mdl.fit.fitcrit.converge;
    blk->negllmax = -s->mdl.fit.loglik.final;
    blk->alpha = s->opts.alpha;

    if (s->mdl.fit.itprflag.itprint) setcl(s, rdxtxt("ModIterLRparm", 13));
    for (int i = 0; i < p && !s->step.stepend; ++i) {
        s->mdl.climits[2 * i] = s->mdl.climits[2 * i + 1] = s->mdl.estdata[i];
        if (s->mdl.parmstat[i] != '1') continue;
        s->mdl.clparm = i;
        if (s->mdl.fit.itprflag.itprint) {
            std::memset(s->row.rowtext, ' ', 40);
            xpmstr(s->row.rowtext, 40, 510, T510_PRM, i + 1);
        }
        direction(s, i, d);
        if (p != s->mdl.fit.npar.free) vyxxpm(d, s->mdl.parmstat, p, nullptr);
        std::memcpy(x, s->mdl.estfit, sizeof(double) * static_cast<size_t>(p));
        s->mdl.fit.itstatus[ITS_ITER] = 0;
        const int32_t rc = zprci(s, blk, mdl::lfentry, mdl::lghntry, prtcl, nullptr);
        if (s->step.stepend) break;
        if (rc == 1) {
            xmemmsg(0);
            return RC_NOMEM;
        }
        const double a = blk->lowres[0], b = blk->uppres[0];
        const bool keep = ismiss(a) || ismiss(b) || a <= b;
        s->mdl.climits[2 * i] = keep ? a : b;
        s->mdl.climits[2 * i + 1] = keep ? b : a;
        if (rc == 2) notfound(s, i);
    }
    if (s->mdl.fit.itprflag.itprint && !s->step.stepend) {
        mtable t(s);
        t.call(s->out.curtab, OB_ENDROWS, 0, nullptr);
        wobitem it[] = {obidin(s->out.curtabid)};
        t.call(s->out.outmgr, OB_PUBLISH, 1, it);
    }
    return 0;
}
