// The estimate tables of one fitted group: parameter estimates (with the Weibull form),
// other distribution quantities, Lagrange statistics, covariance and correlation
// matrices, percentiles and survival probabilities.
#include <cmath>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/textpad.h"
#include "proc/framework/msg510.h"
#include "proc/framework/msg0.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/quantiles.h"

using namespace fitx;

namespace {

constexpr double BIG = 1.3407807929943e154;   // sqrt of the largest double

bool haslimits(const vyxstate* s) { return s->work.fitmethod == FIT_MLE || bymodel(s); }

// A correlation from a packed 2 x 2 covariance; missing when a variance is missing or
// the product of the variances is below 2^-53.
double correlation(const double* k) {
    const double v = k[0] * k[2];
    if (ismiss(k[0]) || ismiss(k[2]) || !(v >= EPS53)) return missing();
    return k[1] / std::sqrt(v);
}

// The row cells of a ParmEst row.
void parmrow(outputrow& row, const char* name, int len, double est, double se, double lo, double hi) {
    settext(row.rowtext, 40, name, len);
    row.rowvals[0] = est;
    row.rowvals[3] = se;
    row.rowvals[9] = lo;
    row.rowvals[8] = hi;
}

// The text of catalog 510 message n into rowtext (width characters, rest blank).
void label510(vyxstate* s, int width, int n) {
    settext(s->row.rowtext, 40, "", 0);
    xpmstr(s->row.rowtext, width, 510, n);
}

// Rows of a table whose failures are only reported.
void softrow(obobject* table) {
    const int32_t rc = wobmth(table, nullptr, OB_ADDROW, 0, nullptr);
    if (rc < 0) xprrlog(0, rc);
}

bool moregroups(const vyxstate* s) { return s->groups.nclass > 0; }

bool finishtable(vyxstate* s, tabpair& tab) {
    if (!endrows(s, tab.obj, s->groups.lastgrp, moregroups(s))) return false;
    return publish(s, tab.tabid);
}

}  // namespace

bool fitx::matrix(vyxstate* s, const char* path, const char* name, double* m, int n, int32_t* format, txthandle* names,
            txthandle title, txthandle label) {
    wobitem it[] = {obtext(OBK_TEMPLATE, pathtext(path)),
                    obtext(OBK_NAME, rdxtxt(name, -1)),
                    obptr(OBK_MPACKED, OBT_PACKED, m),
                    obint(OBK_MROWS, n),
                    obint(OBK_MCOLS, n),
                    obstr(OBK_MFORM, "s", 1),
                    obptr(OBK_MFORMAT, OBT_FMTPTR, format),
                    obptr(OBK_MROWNAMES, OBT_SLOT, names),
                    obptr(OBK_MCOLNAMES, OBT_SLOT, names),
                    obchar(OBK_MSEPARATOR, ';'),
                    obint(OBK_LAYOUT, 1),
                    obint(OBK_MHEADINGS, 1),
                    obtext(OBK_TITLE, title),
                    obtext(OBK_LABEL, label)};
    return obok(s, wobmth(s->out.outmgr, nullptr, OB_MATRIX, 14, it));
}

// The element callback of a matrix table. While the MODEL statement shows its last gradient
// and Hessian (mdlgradhess): row 0 the compact gradient (held in estdata), row r >= 1 row r - 1
// of the compact packed Hessian at the start of the fit's work array. Otherwise the
// correlation of the packed covariance behind the parameters and their standard errors.
double MatElem(vyxstate* s, int i, int j) {
    if (s->mdl.mdlgradhess) return i == 0 ? s->mdl.estdata[j] : s->mdl.fit.fitarr.work[zisub(i - 1, j)];
    const int n = s->life.fit.npar.total;
    const double* k = parmview(s->life.parmvec.block, n).cov;
    const double a = k[zisub(i, i)], b = k[zisub(j, j)];
    const double v = a * b;
    if (ismiss(a) || ismiss(b) || !(v >= EPS53)) return missing();
    return k[zisub(i, j)] / std::sqrt(v);
}

void putparms(vyxstate* s, double* wscale, double* wshape, double* var_wscale, double* cov_ws, double* var_wshape) {
    const int n = s->life.fit.npar.total;
    const auto P = parmview(s->life.parmvec.block, n);
    const bool weib = s->opts.distcode == DIST_WEIBULL, expo = s->opts.distcode == DIST_EXPONENTIAL;
    const bool lrcl = s->life.fit.lrflags[LR_PARMS] != 0;
    const double* lim = lrcl ? s->life.lrlim : s->life.parmlim;
    const int rows = expo ? 1 : n;
    for (int j = 0; j < rows; ++j) {
        const char* name = s->opts.labels[LB_PARM1 + j];
        parmrow(s->row, name, wzstrip(name, 40), P.est[j], P.se[j], lim[2 * j], lim[2 * j + 1]);
        if (!addrow(s, s->out.tabs[TAB_PARMEST].obj)) return;
    }
    *wscale = *wshape = missing();
    *var_wscale = *cov_ws = *var_wshape = 0.0;
    if (!weib && !expo) return;

    char labA[40], labB[40];
    const int lenA = weib ? xpmstr(labA, 16, 510, T510_WEIBULL_SCALE) : xpmstr(labA, 40, 510, T510_EXPONENTIAL_SCALE);
    const int lenB = xpmstr(labB, 16, 510, T510_WEIBULL_SHAPE);
    const double mu = P.est[0], sigma = P.est[1];
    const double ws = std::fabs(mu) <= EXP_OVER ? std::exp(mu) : missing();
    const double wk = sigma > SQRT_MIN ? 1.0 / sigma : missing();
    double sescale = 0.0, seshape = 0.0, slo = missing(), shi = missing(), klo = missing(), khi = missing();
    if (haslimits(s)) {
        const double* V = P.cov;
        double c = 0.0;
        if (!ismiss(ws) && std::fabs(ws) < BIG) {
            *var_wscale = V[0] * ws * ws;
            c = -ws * V[1];
        }
        if (!ismiss(wk) && wk < std::sqrt(BIG)) {
            *var_wshape = V[2] * wk * wk * wk * wk;
            *cov_ws = wk * wk * c;
        }
        // A variance the fit could not compute is missing, and so is its standard error.
        auto stderror = [](double v) { return ismiss(v) ? missing() : v > 0.0 ? std::sqrt(v) : 0.0; };
        sescale = stderror(*var_wscale);
        seshape = stderror(*var_wshape);
        auto expcap = [&](double v) { return !ismiss(v) && std::fabs(v) <= EXP_OVER ? std::exp(v) : missing(); };
        slo = expcap(lim[PL_LOCLOWER]);
        shi = expcap(lim[PL_LOCUPPER]);
        // Shape limits cross over: the lower one comes from the upper scale limit.
        const double floor = lrcl ? 0.0 : EPS53;
        klo = !ismiss(lim[PL_SCALEUPPER]) && lim[PL_SCALEUPPER] > floor ? 1.0 / lim[PL_SCALEUPPER] : missing();
        khi = !ismiss(lim[PL_SCALELOWER]) && lim[PL_SCALELOWER] > floor ? 1.0 / lim[PL_SCALELOWER] : missing();
    }
    parmrow(s->row, labA, lenA, ws, sescale, slo, shi);
    if (!addrow(s, s->out.tabs[TAB_PARMEST].obj)) return;
    if (weib) {
        parmrow(s->row, labB, lenB, wk, seshape, klo, khi);
        if (!addrow(s, s->out.tabs[TAB_PARMEST].obj)) return;
    }
    *wscale = ws;
    *wshape = wk;
}

void vyxpput(vyxstate* s, grpnode* g, int, int) {
    if (s->step.stepend) return;
    const int n = s->life.fit.npar.total;
    const bool fit = s->work.fitmethod != FIT_NONE;
    const bool last = s->groups.lastgrp != 0;
    tabpair* open[] = {&s->out.tabs[TAB_PARMEST], &s->out.tabs[TAB_PARMOTHER],
                       s->work.tblflags[TF_LAGRANGE] ? &s->out.tabs[TAB_LAGRANGE] : nullptr, s->popt.pflags.pcttab ? &s->out.tabs[TAB_PCTEST] : nullptr,
                       s->work.axopt[AO_NSURV] > 0 ? &s->out.tabs[TAB_SURVEST] : nullptr};
    if (!fit) {
        // No rows for a group without a fit, but the open row lists end as for any group
        // (after the last group the driver publishes what earlier groups wrote).
        for (tabpair* t : open)
            if (t && t->obj && !endrows(s, t->obj, last, moregroups(s))) return;
        return;
    }
    const auto P = parmview(s->life.parmvec.block, n);
    const double T = s->work.thrflags[TH_GIVEN] ? s->opts.fixedparms[FP_THRESHOLD] : 0.0;

    // ParmEst, and PctEst below, titled by the kind of limits the first group bound shows. A
    // later group of a class analysis whose limits are of the other kind says so: Wald limits
    // under a likelihood-ratio title in 510/565 or 510/2224, the converse here.
    if ((s->life.lrshown[LR_PARMS] && s->life.lrtitle[LR_PARMS] == LRT_WALD) ||
        (s->life.lrshown[LR_PERCENTILES] && s->life.lrtitle[LR_PERCENTILES] == LRT_WALD)) {
        char of[640];
        xpmlog(510, N510_LR_LIMITS_UNDER_WALD_TITLE, groupsuffix(s, true, " of ", of, sizeof of));
    }
    tabpair& pe = s->out.tabs[TAB_PARMEST];
    estimatetitles(s, TAB_PARMEST);
    if (!bindtable(s, pe, "kv.vitalyx.ppest")) return;
    double ws, wk, vws, cws, vwk;
    putparms(s, &ws, &wk, &vws, &cws, &vwk);
    if (s->step.stepend) return;
    if (s->opts.distcode == DIST_WEIBULL || s->opts.distcode == DIST_EXPONENTIAL) {
        g->wbscale = P.est[0] = ws;
        g->wbshape = P.est[1] = wk;
    }
    if (!finishtable(s, pe)) return;

    // ParmOther
    tabpair& po = s->out.tabs[TAB_PARMOTHER];
    if (!bindtable(s, po, "kv.vitalyx.prmoth")) return;
    const struct {
        int msg, width;
        double value;
    } other[] = {{T510_MEAN, 16, g->mean}, {T510_MODE, 16, g->mode}, {T510_MEDIAN, 16, g->median}, {T510_STANDARD_DEVIATION, 20, g->sd}};
    for (const auto& o : other) {
        label510(s, o.width, o.msg);
        s->row.rowvals[0] = o.value;
        if (!addrow(s, po.obj)) return;
    }
    if (!finishtable(s, po)) return;

    // Lagrange statistics of held parameters.
    if (s->work.tblflags[TF_LAGRANGE]) {
        tabpair& lg = s->out.tabs[TAB_LAGRANGE];
        if (!bindtable(s, lg, "kv.vitalyx.lagr")) return;
        for (int i = 0; i < 2 && i < n; ++i) {
            if (s->life.parmfree[i] != 'C') continue;
            settext(s->row.rowtext, 40, s->opts.labels[LB_PARM1 + i], 16);
            const double lam = s->life.lagstat[i];
            s->row.rowvals[0] = ismiss(lam) ? missing() : lam * lam;
            s->row.rowvals[3] = ismiss(lam) ? missing() : zpgx2(lam * lam, 1);
            if (!addrow(s, lg.obj)) return;
        }
        if (!finishtable(s, lg)) return;
    }

    // Covariance and correlation matrices, and their Weibull forms.
    double* K = P.cov;
    char dist[40];
    const int dlen = wzstrip(s->opts.labels[LB_DIST], 16);
    for (int i = 0; i < dlen; ++i) dist[i] = s->opts.labels[LB_DIST][i];
    const msgarg distname = txtarg(dist, dlen);
    // Row and column names from the current statement's parameter labels (the same texts
    // parmnames holds after a plot statement's reader; ANALYZE's reader makes none).
    txthandle names[2] = {};
    for (int i = 0; i < n && i < 2; ++i) names[i] = rdxtxt(s->opts.labels[LB_PARM1 + i], wzstrip(s->opts.labels[LB_PARM1 + i], 16));
    int32_t covfmt = 5, corrfmt = 4;
    double corr[3] = {1.0, correlation(K), 1.0};
    if (s->life.fit.covprint[CP_COVB] &&
        !matrix(s, "KV.Vitalyx.Covb", "Covmat", K, n, &covfmt, names, rdxmsgs(510, T510_COVARIANCE_OF, distname),
                rdxmsg(0, T0_COVARIANCE_MATRIX)))
        return;
    if (s->life.fit.covprint[CP_CORRB] && !matrix(s, "KV.Vitalyx.Corrb", "Corrmat", corr, 2, &corrfmt, names,
                                  rdxmsgs(510, T510_CORRELATION_OF, distname), rdxmsg(0, T0_CORRELATION_MATRIX)))
        return;
    if (s->opts.distcode == DIST_WEIBULL) {
        char a[16], b[16];
        xpmstr(a, 16, 510, T510_WEIBULL_SCALE);
        xpmstr(b, 16, 510, T510_WEIBULL_SHAPE);
        txthandle wnames[2] = {rdxtxt(a, wzstrip(a, 16)), rdxtxt(b, wzstrip(b, 16))};
        double wcov[3] = {vws, cws, vwk};
        double wcorr[3] = {1.0, ismiss(corr[1]) ? corr[1] : -corr[1], 1.0};
        if (s->life.fit.covprint[CP_COVB] && !matrix(s, "KV.Vitalyx.Covb", "WCovmat", wcov, 2, &covfmt, wnames,
                                      rdxmsgs(510, T510_COVARIANCE_OF, distname), rdxmsg(0, T0_COVARIANCE_MATRIX)))
            return;
        if (s->life.fit.covprint[CP_CORRB] && !matrix(s, "KV.Vitalyx.Corrb", "WCorrmat", wcorr, 2, &corrfmt, wnames,
                                      rdxmsgs(510, T510_CORRELATION_OF, distname), rdxmsg(0, T0_CORRELATION_MATRIX)))
            return;
    }

    // Percentiles at the ticks of the percentile table's range (the threshold added to the
    // estimate and its limits; a standard error is a spread and keeps its value).
    if (s->popt.pflags.pcttab && g->pcttab && s->plot.frame) {
        tabpair& pt = s->out.tabs[TAB_PCTEST];
        estimatetitles(s, TAB_PCTEST);
        if (!bindtable(s, pt, "kv.vitalyx.pcntile")) return;
        for (int k = s->plot.frame->pfirst2; k <= s->plot.frame->plast2 && k < s->popt.panels.npct; ++k) {
            const double* r = g->pcttab + static_cast<size_t>(k) * PCT_WORDS;
            s->row.rowlead[0] = s->popt.panels.pctlist[k];
            s->row.rowvals[0] = r[PCT_EST] + T;
            if (haslimits(s)) {
                s->row.rowvals[3] = r[PCT_SE];
                s->row.rowvals[9] = r[PCT_LOWER] + T;
                s->row.rowvals[8] = r[PCT_UPPER] + T;
            }
            softrow(pt.obj);
        }
        if (!finishtable(s, pt)) return;
    }

    // Survival and distribution function at the SURVTIME values.
    if (s->work.axopt[AO_NSURV] > 0 && g->survtab) {
        tabpair& sv = s->out.tabs[TAB_SURVEST];
        if (!bindtable(s, sv, "kv.vitalyx.surv")) return;
        auto comp = [](double v) { return ismiss(v) ? v : 1.0 - v; };
        for (int k = 0; k < s->work.axopt[AO_NSURV]; ++k) {
            const double* r = g->survtab + static_cast<size_t>(k) * PCT_WORDS;
            s->row.rowlead[0] = s->popt.panels.survtime[k];
            s->row.survcells[0] = r[PCT_EST];
            s->row.rowvals[0] = comp(r[PCT_EST]);
            if (haslimits(s)) {
                s->row.survcells[9] = r[PCT_LOWER];
                s->row.survcells[8] = r[PCT_UPPER];
                s->row.rowvals[9] = comp(r[PCT_UPPER]);
                s->row.rowvals[8] = comp(r[PCT_LOWER]);
            }
            softrow(sv.obj);
        }
        finishtable(s, sv);
    }
}
