// Observation statistics of the MODEL fit (OBSTATS): for every observation of the BY group its
// response, the model's input variables, the linear predictor, scale, survival, residuals of
// five kinds and, for a list of probabilities, percentiles with standard errors and limits.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "proc/framework/expect.h"
#include "proc/effects/effects.h"
#include "proc/framework/gparm.h"
#include "proc/framework/keychars.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/msg510.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/quantiles.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/regression/mtable.h"

using namespace mfit;

namespace {

namespace mf = flag::model;
namespace ms = slot::model;

// Which columns the table has.
struct columns {
    bool cen, xbeta, surv, resid, sresid, gresid, dresid, aresid;
};

// One input or response variable: its cell and its descriptor.
struct varcell {
    vardesc d;
    double num = 0.0;
    char text[17] = {};
    std::vector<char> whole;   // a character value longer than its cell: the whole formatted text
    bool response = false;
};

// The cells of one table row.
struct rowcells {
    double cen, scale, prob, pcntl, se, lo, hi, xbeta, surv, resid, sresid, gresid, dresid, aresid;
    void clearstats() {
        cen = scale = pcntl = se = lo = hi = xbeta = surv = resid = sresid = gresid = dresid = aresid = missing();
    }
};

// What every row of the table needs: the model's sizes and scales, the confidence quantile,
// the residual settings, the gamma shape, THRESHOLD.
struct settings {
    mdlcounts n;
    bool logscl = false, lnscale = false, l10scale = false;
    double qa = 0.0, residadj = 1.0, ralpha = 0.5, thr = 0.0;
    double shape[GSH_SIZE] = {};
    int r_shape = 0;   // the shape parameter's index
};

// 1. The settings, with a message for a residual alpha out of range and for a Weibull scale
// that is not positive.
settings readsettings(vyxstate* s, const stmtrec* r) {
    settings g;
    g.n = mdlsizes(s);
    g.logscl = s->mdl.haslogscl;
    g.qa = zprobitq(s->opts.alpha / 2);
    g.residadj = gparm(r, ms::RESIDADJ, 1.0);
    g.ralpha = gparm(r, ms::RESIDALPHA, 0.5);
    if (!(g.ralpha > 0.0 && g.ralpha < 1.0)) {
        xpmlog(510, W510_RESIDALPHA_RANGE, g.ralpha);
        g.ralpha = 0.5;
    }
    if (s->opts.distcode == DIST_WEIBULL && !g.logscl && !(s->mdl.estdata[g.n.ncol] > 0.0)) xpmlog(510, W510_WEIBULL_SCALE_NOT_POSITIVE);
    g.r_shape = g.logscl ? g.n.ntot : g.n.ncol + 1;
    if (s->mdl.gammafam) {
        g.shape[0] = s->mdl.estdata[g.r_shape];
        if (s->mdl.shape_fn) s->mdl.shape_fn(s->mdl.estdata[g.r_shape], g.shape);
    }
    g.thr = s->work.thrflags[TH_GIVEN] ? s->opts.fixedparms[FP_THRESHOLD] : 0.0;
    g.lnscale = s->opts.logscale[LSC_LN];
    g.l10scale = s->opts.logscale[LSC_LOG10];
    return g;
}

// The percentile rows: each probability with its standard quantile and the quantile's
// derivative in the shape.
struct percentiles {
    std::vector<double> p, z, dz;
};

// 2. The probabilities of the percentile rows: each strictly between 0 and 1 (a probability
// of 0 or 1 has no finite percentile); the others are left out with one message.
percentiles readpercentiles(modelstate& mdl, const optslot* ql, const settings& g) {
    percentiles q;
    if (!ql || ql->count <= 0 || !ql->ptr) return q;
    const auto* v = static_cast<const double*>(ql->ptr);
    bool told = false;
    for (int i = 0; i < ql->count; ++i) {
        double out[2] = {0.0, 0.0};
        const bool inside = v[i] > 0.0 && v[i] < 1.0;
        if (!inside || mdl.quantst_fn(out, v[i], g.shape) != 0 || !std::isfinite(out[0])) {
            if (!told) xpmlog(510, W510_OBSTATS_Q_RANGE, v[i]);
            told = true;
            continue;
        }
        q.p.push_back(v[i]);
        q.z.push_back(out[0]);
        q.dz.push_back(mdl.gammafam ? out[1] : 0.0);
    }
    return q;
}

// 3. The statistics columns asked for; all of them when neither a statistic nor a percentile
// is asked for.
columns wantedcolumns(uint32_t rspkind, const stmtrec* r, const optslot* ql) {
    const bool anyflag = stmtflag(r, mf::CENSOR) || stmtflag(r, mf::XBETA) || stmtflag(r, mf::SURVIVAL) ||
                         stmtflag(r, mf::RESID) || stmtflag(r, mf::SRESID) || stmtflag(r, mf::GRESID) ||
                         stmtflag(r, mf::DRESID) || stmtflag(r, mf::ADJRESID);
    const bool all = !anyflag && !(ql && ql->count > 0);
    const bool censform = rspkind != 0;
    return columns{(all || stmtflag(r, mf::CENSOR)) && censform, all || stmtflag(r, mf::XBETA),
                   all || stmtflag(r, mf::SURVIVAL),               all || stmtflag(r, mf::RESID),
                   all || stmtflag(r, mf::SRESID),                 all || stmtflag(r, mf::GRESID),
                   all || stmtflag(r, mf::DRESID),                 all || stmtflag(r, mf::ADJRESID)};
}

// 4. The variables of the table: responses, then the model's CLASS and continuous variables,
// each once, with the get list that reads their values (null when it cannot be made).
hgetlist* readvariables(vyxstate* s, std::vector<varcell>& vars) {
    const levstate* mls = s->mdl.mdllev->lstate;
    std::vector<int32_t> varnums;
    for (int k = 0; k < s->mdl.mdlnresp; ++k) {
        varcell c;
        xvname(s->input.dsin, static_cast<int32_t>(s->mdl.mdlrspids[k]), &c.d);
        c.response = true;
        vars.push_back(c);
        varnums.push_back(static_cast<int32_t>(s->mdl.mdlrspids[k]));
    }
    auto addvar = [&](const levclass& c) {
        if (!c.varinfo) return;
        if (std::find(varnums.begin(), varnums.end(), c.varinfo->varnum) != varnums.end()) return;
        varcell v;
        v.d = c.varinfo->d;
        vars.push_back(v);
        varnums.push_back(c.varinfo->varnum);
    };
    for (int i = 0; i < mls->nclassv; ++i) addvar(mls->classv[i]);
    for (int i = 0; i < mls->ncontv; ++i) addvar(mls->contv[i]);
    hgetlist* list = nullptr;
    if (xvgeti(s->input.dsin, static_cast<int>(vars.size()), &list) != 0) return nullptr;
    for (size_t i = 0; i < vars.size(); ++i) {
        varcell& v = vars[i];
        if (v.d.type == 1) {
            xvgetd(list, varnums[i], 0, &v.num, 8, GET_RAW, 0, 0);
        } else if (v.d.length > 16) {
            v.whole.assign(static_cast<size_t>(v.d.length), ' ');
            xvgetd(list, varnums[i], 0, v.whole.data(), v.d.length, GET_FORMATTED, 0, 0);
        } else {
            xvgetd(list, varnums[i], 0, v.text, 16, GET_FORMATTED, 0, 0);
        }
    }
    xvgete(list);
    return list;
}

// 5. The table ModObstats: the variables' columns, then the statistics', bound to the row
// cells; false when the output system refuses it.
bool definetable(vyxstate* s, mtable& t, std::vector<varcell>& vars, const columns& want, bool logscl,
                 bool pcts, rowcells& rc, uint32_t* id) {
    if (!t.create("ModObstats", nullptr, nullptr)) return false;
    obobject* obj = t.object();
    for (varcell& v : vars) {
        if (v.d.type == 1) {
            wobitem it[] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, rdxtxt(v.d.name, v.d.namelen)),
                            obtext(OBK_LABEL, v.d.labellen ? rdxtxt(v.d.label, v.d.labellen) : rdxtxt(v.d.name, v.d.namelen)),
                            obtext(OBK_TEMPLATE, mtext(v.response ? "Y" : "Numeric")), obcell(OBK_CELL, &v.num)};
            t.call(obj, OB_ADDCOL, 5, it);
        } else {
            wobitem it[] = {obint(OBK_KIND, COL_TEXT), obtext(OBK_NAME, rdxtxt(v.d.name, v.d.namelen)),
                            obint(OBK_WIDTH, 16), obtext(OBK_TEMPLATE, mtext("Character")), obcell(OBK_CELL, v.text)};
            t.call(obj, OB_ADDCOL, 5, it);
        }
    }
    // the table object's own calls go through the writer so that a failure stops it
    mtable& w = t;
    auto col = [&](const char* name, double* cell, const char* role) {
        wobitem it[] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, mtext(name)), obtext(OBK_TEMPLATE, mtext(role)),
                        obcell(OBK_CELL, cell)};
        w.call(obj, OB_ADDCOL, 4, it);
    };
    if (want.cen) col("CEN", &rc.cen, "cen");
    if (logscl) col("Scale", &rc.scale, "Numeric");
    if (pcts) {
        col("Prob", &rc.prob, "Prob");
        col("Pcntl", &rc.pcntl, "Numeric");
        col("Stderr", &rc.se, "Numeric");
        col("Lower", &rc.lo, "Numeric");
        col("Upper", &rc.hi, "Numeric");
    }
    if (want.xbeta) col("Xbeta", &rc.xbeta, "Numeric");
    if (want.surv) col("Surv", &rc.surv, "Numeric");
    if (want.resid) col("Resid", &rc.resid, "Numeric");
    if (want.sresid) col("SRESID", &rc.sresid, "Numeric");
    if (want.gresid) col("Gresid", &rc.gresid, "Numeric");
    if (want.dresid) col("Dresid", &rc.dresid, "Numeric");
    if (want.aresid) col("Aresid", &rc.aresid, "Numeric");
    w.call(obj, OB_ENDDEF, 0, nullptr);
    wobitem bind[] = {obout(OBK_POS), obobj(OBK_POS, obj), obtext(OBK_TEMPLATE, mtext("kv.vitalyx.obstats"))};
    if (!w.call(s->out.outmgr, OB_BIND, 3, bind)) return false;
    *id = obid(bind[0]);
    return true;
}

// The observation's linear predictor (*eta), scale (*sigma) and the predictor's gradient in
// the parameters (the LOGSCALE coefficients' part from the scale's predictor).
void predictors(vyxstate* s, const settings& g, std::vector<double>& grad, double* eta, double* sigma) {
    const mdlcounts& n = g.n;
    *eta = mdllinear(s, s->mdl.mdllev->lstate, 0, grad.data());
    if (g.logscl) {
        std::vector<double> u(static_cast<size_t>(n.p), 0.0);
        const double psi = mdllinear(s, static_cast<const levstate*>(s->mdl.logscl), n.ncol, u.data());
        *sigma = psi < EXP_OVER ? std::exp(psi) : missing();
        for (int j = n.ncol; j < n.ntot; ++j) grad[static_cast<size_t>(j)] = u[static_cast<size_t>(j)];
    } else {
        *sigma = n.ndist > 0 ? s->mdl.estdata[n.ncol] : 1.0;
    }
}

// The response on the fitting scale (*y: the midpoint of an interval) and its censoring code;
// false when an interval has neither end.
bool responseof(const inputstate& input, uint32_t rspkind, const settings& g, const double resp[2], double* y, int* code) {
    double lo = resp[0], hi = resp[1];
    if (rspkind == 1) {
        *y = lo - g.thr;
        for (int i = 0; i < input.ncensvals; ++i)
            if (hi == input.censvals[i]) *code = CEN_RIGHT;
    } else if (rspkind == 2) {
        lo -= g.thr;
        hi -= g.thr;
        if (ismiss(lo) && ismiss(hi)) return false;
        else if (ismiss(lo)) *y = hi, *code = CEN_LEFT;
        else if (ismiss(hi)) *y = lo, *code = CEN_RIGHT;
        else if (lo == hi) *y = lo;
        else *y = (lo + hi) / 2.0, *code = CEN_INTERVAL;
    } else {
        *y = lo - g.thr;
    }
    if (g.lnscale || g.l10scale) {
        if (*y > 0.0) *y = g.lnscale ? std::log(*y) : std::log10(*y);
        else *y = missing();
    }
    return true;
}

// The residuals of a response y with censoring code and the survival at it: raw,
// standardised, Cox-Snell (gresid), deviance, and adjusted.
void residuals(vyxstate* s, const settings& g, double y, int code, double eta, double sigma, rowcells& rc) {
    const double delta = code == CEN_EXACT ? 1.0 : 0.0;
    rc.resid = y - eta;
    rc.sresid = rc.resid / sigma;
    double z[2] = {rc.sresid, 0.0}, out[2];
    if (s->mdl.fit.prob_fn[KN_VALUE](KMODE_RIGHT, z, s->mdl.gammafam ? g.shape : nullptr, out) != 0) return;
    const double G = out[0];
    rc.gresid = G + (1.0 - delta) * g.residadj;
    const double d = G > 0.0 ? -2.0 * ((delta - G) + delta * std::log(G)) : missing();
    if (!ismiss(d) && d > 0.0) rc.dresid = delta <= G ? -std::sqrt(d) : std::sqrt(d);
    rc.surv = std::exp(-G);
    if (code == CEN_EXACT) {
        rc.aresid = rc.sresid;
    } else if (code == CEN_RIGHT && rc.surv > 0.0) {
        double q[2] = {missing(), 0.0};
        if (s->mdl.quantst_fn(q, 1.0 - (1.0 - g.ralpha) * rc.surv, g.shape) == 0) rc.aresid = q[0];
    }
}

// The percentile of standard quantile z (shape derivative dz) with its standard error from the
// covariance of the estimates and its limits, back on the time scale and after THRESHOLD.
void percentile(vyxstate* s, const settings& g, const std::vector<double>& grad, std::vector<double>& work,
                double eta, double sigma, double z, double dz, rowcells& rc) {
    const mdlcounts& n = g.n;
    VX_EXPECT(static_cast<int>(grad.size()) == n.p && n.ntot <= n.p && g.r_shape < n.p + (n.ndist > 1 ? 0 : 1),
              "the gradient has a place for every parameter");
    double p = eta + sigma * z;
    // d/d(scale parameters): the quantile (times sigma for the log scale's coefficients), and
    // sigma times its derivative in the shape.
    std::vector<double> v = grad;
    if (g.logscl) {
        for (int j = n.ncol; j < n.ntot; ++j) v[static_cast<size_t>(j)] *= sigma * z;
    } else if (n.ndist > 0) {
        v[static_cast<size_t>(n.ncol)] = z;
    }
    if (n.ndist > 1) v[static_cast<size_t>(g.r_shape)] = sigma * dz;
    double var = 0.0;
    zqform(s->mdl.covsave, n.p, v.data(), 1, &var, work.data(), 0);
    double se = var > 0.0 ? std::sqrt(var) : missing();
    double lo = ismiss(se) ? missing() : p - g.qa * se, hi = ismiss(se) ? missing() : p + g.qa * se;
    if (g.lnscale || g.l10scale) {
        const double f = g.lnscale ? 1.0 : std::log(10.0);
        auto back = [&](double x) { return !ismiss(x) && x * f < EXP_OVER ? std::exp(x * f) : missing(); };
        p = back(p);
        lo = back(lo);
        hi = back(hi);
        se = ismiss(se) || ismiss(p) ? missing() : se * f * p;
    }
    rc.pcntl = ismiss(p) ? p : p + g.thr;
    rc.lo = ismiss(lo) ? lo : lo + g.thr;
    rc.hi = ismiss(hi) ? hi : hi + g.thr;
    rc.se = se;
}

}  // namespace

void vyxmout(vyxstate* s) {
    VX_EXPECT(s->inwork.curstmt && s->mdl.mdllev && s->mdl.mdllev->lstate, "observation statistics follow the MODEL fit");
    const stmtrec* r = s->inwork.curstmt;
    const settings g = readsettings(s, r);
    const optslot* ql = stmtslot(r, ms::QUANTILES);
    const percentiles q = readpercentiles(s->mdl, ql, g);
    const columns want = wantedcolumns(s->inwork.rspkind, r, ql);
    std::vector<varcell> vars;
    hgetlist* list = readvariables(s, vars);
    if (!list) return;

    rowcells rc{};
    mtable t(s);
    uint32_t id = 0;
    if (!definetable(s, t, vars, want, g.logscl, !q.p.empty(), rc, &id)) return;
    mtable& w = t;

    // 6. The rows: per observation its predictors, response and residuals, and one row per
    // percentile asked for (or one row).
    levctl* mctl = s->mdl.mdllev;
    levctl* lctl = g.logscl ? s->mdl.logslev : nullptr;
    const bool relations = s->mdl.relcodes[0] || s->mdl.relcodes[1] || s->mdl.relcodes[2];
    std::vector<double> grad(static_cast<size_t>(g.n.p), 0.0), work(static_cast<size_t>(g.n.p), 0.0);
    mctl->rdrewind(mctl);
    double resp[2];
    while (mctl->rdnext(mctl) && !s->step.stepend) {
        resp[0] = resp[1] = missing();
        int32_t f = zlevrgd(mctl, resp, nullptr, nullptr);
        if (f & LEVF_READFAIL) break;
        xyvget(list, nullptr);
        // a character value longer than its cell: its first 16 bytes, ending on a whole character
        for (varcell& v : vars)
            if (!v.whole.empty()) {
                std::memcpy(v.text, v.whole.data(), 16);
                wholecharsin(v.text, 16, v.whole.data(), v.d.length);
            }
        if (lctl) f |= zlevrgd(lctl, nullptr, nullptr, nullptr);
        bool ok = !(f & LEVF_UNUSABLE);
        if (ok && relations) ok = !ismiss(transx(s));
        rc.clearstats();
        std::fill(grad.begin(), grad.end(), 0.0);
        double eta = 0.0, sigma = missing();
        if (ok) {
            predictors(s, g, grad, &eta, &sigma);
            rc.xbeta = eta;
            rc.scale = sigma;
        }
        double y = missing();
        int code = CEN_EXACT;
        if (ok) {
            ok = responseof(s->input, s->inwork.rspkind, g, resp, &y, &code);
            rc.cen = code == CEN_EXACT ? 0.0 : 1.0;
        }
        if (ok && !ismiss(y) && !ismiss(sigma) && sigma > 0.0) residuals(s, g, y, code, eta, sigma, rc);
        if (q.p.empty()) {
            w.row();
            continue;
        }
        for (size_t i = 0; i < q.p.size() && !s->step.stepend; ++i) {
            rc.prob = q.p[i];
            rc.pcntl = rc.se = rc.lo = rc.hi = missing();
            if (ok && !ismiss(sigma)) percentile(s, g, grad, work, eta, sigma, q.z[i], q.dz[i], rc);
            w.row();
        }
    }
    w.call(t.object(), OB_ENDROWS, 0, nullptr);
    wobitem pub[] = {obidin(id)};
    w.call(s->out.outmgr, OB_PUBLISH, 1, pub);
}
