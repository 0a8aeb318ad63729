// The MODEL result tables: fit summary, parameter estimates (and those of the scale model),
// score tests of the fixed parameters, covariance and correlation matrices.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "proc/framework/conflevel.h"
#include "proc/framework/memnum.h"
#include "proc/effects/effects.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/msg510.h"
#include "proc/framework/msg0.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/quantiles.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"
#include "proc/regression/mtable.h"

using namespace mfit;

namespace {

// The distribution's name without trailing blanks.
msgarg distname(const vyxstate* s) { return txtarg(s->opts.labels[LB_DIST], wzstrip(s->opts.labels[LB_DIST], 20)); }

void fitsummary(vyxstate* s) {
    char desc[40];
    double value = 0.0;
    mtable t(s);
    t.create("Modfitsum", rdxmsg(0, T0_FIT_SUMMARY));
    t.coltext("Description", s->groups.fmodeset.nvars > 0 ? 39 : 24, desc);
    t.coldouble("Value", &value);
    t.titles({{"title", rdxmsg(0, T0_FIT_SUMMARY)}});
    t.enddef();
    t.bind("kv.vitalyx.datsum");
    auto row = [&](int n, double v) {
        std::memset(desc, ' ', sizeof desc);
        xpmstr(desc, 40, 510, n);
        value = v;
        t.row();
    };
    row(T510_OBS_USED, s->inwork.nobscnt[NOB_USED]);
    row(T510_FAILURES, s->mdl.sumwt[MSW_EXACT]);
    if (s->mdl.mdlcnt[MCNT_RIGHT] != 0.0) row(T510_RIGHT_CENSORED_VALUES, s->mdl.mdlcnt[MCNT_RIGHT]);
    if (s->mdl.mdlcnt[MCNT_OTHERMODE] != 0.0) row(T510_OTHER_MODE_FAILURES, s->mdl.mdlcnt[MCNT_OTHERMODE]);
    if (s->mdl.mdlcnt[MCNT_LEFT] != 0.0) row(T510_LEFT_CENSORED_VALUES, s->mdl.mdlcnt[MCNT_LEFT]);
    if (s->mdl.mdlcnt[MCNT_INTERVAL] != 0.0) row(T510_INTERVAL_CENSORED_VALUES, s->mdl.mdlcnt[MCNT_INTERVAL]);
    if (s->inwork.nobscnt[NOB_SKIPPED] != 0) row(T510_OBS_SKIPPED, s->inwork.nobscnt[NOB_SKIPPED]);
    if (s->work.thrflags[TH_GIVEN]) row(T510_PARM_THRESHOLD, s->opts.fixedparms[FP_THRESHOLD]);
    row(T510_LOG_LIKELIHOOD, s->mdl.fit.loglik.final);
    t.endrows();
    t.publish();
}

// The cells of one estimate row and the widths of the estimate tables.
struct estrow {
    std::vector<char> parm;
    int parmw = 1;
    int nlev = 0;                      // Level columns
    std::vector<int> levw;
    std::vector<std::vector<char>> level;
    double est = 0.0, se = 0.0, lo = 0.0, hi = 0.0;

    void clear() {
        std::fill(parm.begin(), parm.end(), ' ');
        for (auto& l : level) std::fill(l.begin(), l.end(), ' ');
    }
    void setparm(const char* t, int n) {
        std::fill(parm.begin(), parm.end(), ' ');
        std::memcpy(parm.data(), t, static_cast<size_t>(std::min<int>(n, parmw)));
    }
};

// Widths over the effects of one model (MODEL and LOGSCALE share the CLASS variables).
void widths(const vyxstate* s, estrow& r) {
    const levstate* m = s->mdl.mdllev->lstate;
    const levstate* l = s->mdl.haslogscl ? static_cast<const levstate*>(s->mdl.logscl) : nullptr;
    for (const levstate* ls : {m, l}) {
        if (!ls) continue;
        for (int k = 0; k < ls->neffect; ++k) {
            const leveffect& e = ls->effects[k];
            r.parmw = std::max<int>(r.parmw, static_cast<int>(std::strlen(e.effname ? e.effname : "")));
            r.nlev = std::max(r.nlev, e.nclsall);
            if (static_cast<int>(r.levw.size()) < r.nlev) r.levw.resize(static_cast<size_t>(r.nlev), 1);
            for (int j = 0; j < e.nclsall; ++j) {
                const levclass& c = m->classv[e.clsall[j]];
                for (int v = 0; v < c.nlev; ++v) {
                    char text[256];
                    const int n = std::min(c.fmtlen, 255);
                    std::memcpy(text, c.levels[v], static_cast<size_t>(n));
                    int len = 0, start = 0;
                    wzstjls(text, n, 'n', &len, &start);
                    r.levw[j] = std::max(r.levw[j], len);
                }
            }
        }
    }
    // The rows of the distribution's parameters: the scale, the Weibull shape, the shape.
    char w[16];
    std::memset(w, ' ', sizeof w);
    r.parmw = std::max({r.parmw, 8, xpmstr(w, 16, 510, T510_WEIBULL_SHAPE)});
    r.parm.assign(static_cast<size_t>(r.parmw), ' ');
    r.level.assign(static_cast<size_t>(r.nlev), {});
    for (int j = 0; j < r.nlev; ++j) r.level[j].assign(static_cast<size_t>(r.levw[j]), ' ');
}

bool esttable(vyxstate* s, mtable& t, estrow& r, const char* name, txthandle label, txthandle title1) {
    t.create(name, label);
    t.coltext("Parm", r.parmw, r.parm.data(), nullptr, rdxmsg(0, T0_PARAMETER));
    for (int j = 0; j < r.nlev; ++j)
        t.coltext(rdxtxts("Level%d", -1, j + 1), r.levw[j], r.level[j].data(), "Level", nullptr);
    t.coldouble("Estimate", &r.est);
    t.coldouble("Stderr", &r.se);
    t.colspan("Lower", &r.lo, "Lower", "Upper");
    t.coldouble("Upper", &r.hi);
    const bool lr = s->mdl.fit.lrflags[LR_PARMS] != 0;
    const vx::conftext level = vx::conflevel(s->opts.alpha);
    t.titles({{"title1", title1},
              {"title2", rdxmsg(0, lr ? T0_LR_LIMITS : T0_NORMAL_LIMITS)},
              {"title3", rdxmsgs(510, T510_CONFIDENCE_LIMITS, txtarg(level.text, level.len))}});
    t.enddef();
    t.bind("kv.vitalyx.modest");
    return t.ok();
}

void values(const vyxstate* s, estrow& r, int j) {
    r.est = s->mdl.estdata[j];
    r.se = s->mdl.stderrs[j];
    r.lo = s->mdl.climits[2 * j];
    r.hi = s->mdl.climits[2 * j + 1];
}

// The rows of the effects of one model; first: the parameter of the model's first column.
void effectrows(vyxstate* s, mtable& t, estrow& r, const levstate* ls, int first) {
    const levstate* m = s->mdl.mdllev->lstate;
    for (int k = 0; k < ls->neffect && t.ok(); ++k) {
        const leveffect& e = ls->effects[k];
        for (int c = 0; c < e.ncol && t.ok(); ++c) {
            r.clear();
            const char* name = e.effname ? e.effname : "";
            r.setparm(name, static_cast<int>(std::strlen(name)));
            for (int j = 0; j < e.nclsall && j < r.nlev; ++j) {
                if (!e.combs || c >= e.nseen) continue;
                const int idx = e.combs[static_cast<size_t>(c) * e.nclsall + j];
                const levclass& cl = m->classv[e.clsall[j]];
                if (idx < 0 || idx >= cl.nlev) continue;
                char text[256];
                const int n = std::min(cl.fmtlen, 255);
                std::memcpy(text, cl.levels[idx], static_cast<size_t>(n));
                wzstjls(text, n, 'l', nullptr, nullptr);
                std::memcpy(r.level[j].data(), text, static_cast<size_t>(std::min(n, r.levw[j])));
            }
            values(s, r, first + e.firstcol + c);
            t.row();
        }
    }
}

void estimates(vyxstate* s) {
    const mdlcounts n = mdlsizes(s);
    estrow r;
    widths(s, r);
    mtable t(s);
    if (!esttable(s, t, r, "Modprmest", rdxmsg(0, T0_PARM_ESTIMATES), rdxmsgs(510, T510_PARM_ESTIMATES_FOR, distname(s)))) return;
    effectrows(s, t, r, s->mdl.mdllev->lstate, 0);
    const bool logscl = s->mdl.haslogscl;
    if (!logscl && n.ndist > 0 && t.ok()) {
        r.clear();
        r.setparm(s->opts.labels[LB_PARM2], wzstrip(s->opts.labels[LB_PARM2], 8));
        values(s, r, n.ncol);
        t.row();
        if (s->opts.distcode == DIST_WEIBULL && t.ok()) {
            // The Weibull shape 1/sigma with the delta-method error and the limits inverted.
            const double sg = r.est, se = r.se, lo = r.lo, hi = r.hi;
            char name[16];
            std::memset(name, ' ', sizeof name);
            const int len = xpmstr(name, 16, 510, T510_WEIBULL_SHAPE);
            r.setparm(name, len);
            r.est = sg > SQRT_MIN ? 1.0 / sg : missing();
            r.se = !ismiss(sg) && !ismiss(se) && sg > SQRT_MIN && sg < std::sqrt(1.3407807929943e154) ? se / (sg * sg) : missing();
            r.lo = hi > EPS53 ? 1.0 / hi : missing();
            r.hi = lo > 0.0 ? 1.0 / lo : missing();
            t.row();
        }
    }
    if (n.ndist > 1 && t.ok()) {
        r.clear();
        r.setparm(s->opts.labels[LB_PARM3], wzstrip(s->opts.labels[LB_PARM3], 8));
        values(s, r, logscl ? n.ntot : n.ncol + 1);
        t.row();
    }
    t.endrows();
    t.publish();
    if (!logscl || s->step.stepend) return;
    mtable u(s);
    if (!esttable(s, u, r, "Modscaleprmest", rdxmsg(0, T0_SCALE_MODEL_ESTIMATES), rdxmsg(510, T510_SCALE_MODEL_ESTIMATES))) return;
    effectrows(s, u, r, static_cast<const levstate*>(s->mdl.logscl), n.ncol);
    u.endrows();
    u.publish();
}

void lagrange(vyxstate* s) {
    char name[20];
    double chisq = 0.0, pval = 0.0;
    mtable t(s);
    t.create("modlagr", rdxmsg(0, T0_LAGRANGE_STATS));
    t.coltext("Parameter", 19, name);
    t.coldouble("Chisq", &chisq);
    t.coldouble("Pval", &pval);
    // Its label as its title, so that the statistics are not printed unnamed.
    t.titles({{"title", rdxmsg(0, T0_LAGRANGE_STATS)}});
    t.enddef();
    t.bind("kv.vitalyx.lagr");
    auto row = [&](int msg, int width, double z) {
        std::memset(name, ' ', sizeof name);
        xpmstr(name, width, 510, msg);
        chisq = ismiss(z) ? missing() : z * z;
        pval = ismiss(z) ? missing() : zpgx2(chisq, 1);
        t.row();
    };
    const mdlcounts n = mdlsizes(s);
    const bool logscl = s->mdl.haslogscl;
    if (s->mdl.intfix) row(T510_INTERCEPT, 9, s->mdl.lagmult[LM_INTERCEPT]);
    if (!logscl && s->mdl.scalefix && n.ndist > 0) row(T510_SCALE, 9, s->mdl.lagmult[LM_SCALE]);
    if (s->mdl.shapefix && n.ndist > 1) row(T510_SHAPE, 9, s->mdl.lagmult[LM_SHAPE]);
    if (logscl && s->mdl.lsintfix) row(T510_SCALE_MODEL_INTERCEPT, 19, s->mdl.lagmult[LM_LSINTERCEPT]);
    t.endrows();
    t.publish();
}

// The covariance (or correlation) matrix of the free parameters, packed.
void matrices(vyxstate* s) {
    const int p = s->mdl.fit.npar.total;
    std::vector<int> freecols;
    for (int j = 0; j < p; ++j)
        if (s->mdl.parmstat[j] == '1') freecols.push_back(j);
    const int k = static_cast<int>(freecols.size());
    if (k == 0) return;
    auto* names = static_cast<txthandle*>(poolbytes(s->pools.bypool, k * static_cast<int64_t>(sizeof(txthandle)), poolflag::zeroed_marked));
    if (!names) {
        xmemmsg(k * static_cast<int64_t>(sizeof(txthandle)));
        return;
    }
    for (int i = 0; i < k; ++i) names[i] = rdxtxts("Prm%d", -1, freecols[i] + 1);
    std::vector<double> cov(static_cast<size_t>(k) * (k + 1) / 2), cor(cov.size());
    const double* V = s->mdl.covsave;
    for (int a = 0; a < k; ++a)
        for (int b = 0; b <= a; ++b) {
            const double v = V[zisub(freecols[a], freecols[b])];
            const double d = V[zisub(freecols[a], freecols[a])] * V[zisub(freecols[b], freecols[b])];
            cov[zisub(a, b)] = v;
            cor[zisub(a, b)] = d > 0.0 ? v / std::sqrt(d) : missing();
        }
    int32_t covfmt = 5, corfmt = 4;
    if (s->mdl.fit.covprint[CP_COVB] &&
        !fitx::matrix(s, "KV.Vitalyx.Covb", "Modcovmat", cov.data(), k, &covfmt, names, rdxmsgs(510, T510_COVARIANCE_OF, distname(s)),
                      rdxmsg(0, T0_COVARIANCE_MATRIX)))
        return;
    if (s->mdl.fit.covprint[CP_CORRB])
        fitx::matrix(s, "KV.Vitalyx.Corrb", "Modcormat", cor.data(), k, &corfmt, names, rdxmsgs(510, T510_CORRELATION_OF, distname(s)),
                     rdxmsg(0, T0_CORRELATION_MATRIX));
}

}  // namespace

void vyxmput(vyxstate* s) {
    fitsummary(s);
    if (!s->step.stepend) estimates(s);
    if (!s->step.stepend && s->work.tblflags[TF_LAGRANGE]) lagrange(s);
    if (!s->step.stepend && (s->mdl.fit.covprint[CP_COVB] || s->mdl.fit.covprint[CP_CORRB])) matrices(s);
}
