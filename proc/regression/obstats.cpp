// Observation statistics of the MODEL fit (OBSTATS): for every observation of the BY group its
// response, the model's input variables, the linear predictor, scale, survival, residuals of
// five kinds and, for a list of probabilities, percentiles with standard errors and limits.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "proc/effects/designrow.h"
#include "proc/framework/gparm.h"
#include "proc/framework/levels.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/quantiles.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/groupdesign.h"
#include "proc/regression/model.h"
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
    bool response = false;
};

// The cells of one table row.
struct rowcells {
    double cen, scale, prob, pcntl, se, lo, hi, xbeta, surv, resid, sresid, gresid, dresid, aresid;
    void clearstats() {
        cen = scale = pcntl = se = lo = hi = xbeta = surv = resid = sresid = gresid = dresid = aresid = missing();
    }
};

}  // namespace

void vyxmout(vyxstate* s) {
    const stmtrec* r = s->input.curstmt;
    const mdlcounts n = mdlsizes(s);
    const bool logscl = s->popt.pflags.haslogscl;
    const double qa = zprobit(1.0 - s->opts.alpha / 2.0);
    const double residadj = gparm(r, ms::RESIDADJ, 1.0);
    double ralpha = gparm(r, ms::RESIDALPHA, 0.5);
    if (!(ralpha > 0.0 && ralpha < 1.0)) {
        xpmlog(510, 177, ralpha);
        ralpha = 0.5;
    }
    if (s->opts.distcode == DIST_WEIBULL && !logscl && !(s->mdl.estdata[n.ncol] > 0.0)) xpmlog(510, 182);
    double shape[GSH_SIZE] = {};
    const int r_shape = logscl ? n.ntot : n.ncol + 1;
    if (s->mdl.gammafam) {
        shape[0] = s->mdl.estdata[r_shape];
        if (s->mdl.shape_fn) s->mdl.shape_fn(s->mdl.estdata[r_shape], shape);
    }
    // The probabilities of the percentile rows: each strictly between 0 and 1 (a probability
    // of 0 or 1 has no finite percentile); the others are left out with one message.
    std::vector<double> qp, qz, qdz;
    const optslot* ql = stmtslot(r, ms::QUANTILES);
    if (ql && ql->count > 0 && ql->ptr) {
        const auto* v = static_cast<const double*>(ql->ptr);
        bool told = false;
        for (int i = 0; i < ql->count; ++i) {
            double out[2] = {0.0, 0.0};
            const bool inside = v[i] > 0.0 && v[i] < 1.0;
            if (!inside || s->mdl.quantst_fn(out, v[i], shape) != 0 || !std::isfinite(out[0])) {
                if (!told) xpmlog(510, 186, v[i]);
                told = true;
                continue;
            }
            qp.push_back(v[i]);
            qz.push_back(out[0]);
            qdz.push_back(s->mdl.gammafam ? out[1] : 0.0);
        }
    }
    const bool anyflag = stmtflag(r, mf::CENSOR) || stmtflag(r, mf::XBETA) || stmtflag(r, mf::SURVIVAL) ||
                         stmtflag(r, mf::RESID) || stmtflag(r, mf::SRESID) || stmtflag(r, mf::GRESID) ||
                         stmtflag(r, mf::DRESID) || stmtflag(r, mf::ADJRESID);
    const bool all = !anyflag && !(ql && ql->count > 0);
    const bool censform = s->input.rspkind != 0;
    columns want{(all || stmtflag(r, mf::CENSOR)) && censform, all || stmtflag(r, mf::XBETA),
                 all || stmtflag(r, mf::SURVIVAL),               all || stmtflag(r, mf::RESID),
                 all || stmtflag(r, mf::SRESID),                 all || stmtflag(r, mf::GRESID),
                 all || stmtflag(r, mf::DRESID),                 all || stmtflag(r, mf::ADJRESID)};

    // The variables: responses, then the model's CLASS and continuous variables.
    levctl* mctl = s->mdl.mdllev;
    const levstate* mls = mctl->lstate;
    std::vector<varcell> vars;
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
    if (xvgeti(s->input.dsin, static_cast<int>(vars.size()), &list) != 0) return;
    for (size_t i = 0; i < vars.size(); ++i) {
        varcell& v = vars[i];
        if (v.d.type == 1) xvgetd(list, varnums[i], 0, &v.num, 8, GET_RAW, 0, 0);
        else xvgetd(list, varnums[i], 0, v.text, 16, GET_FORMATTED, 0, 0);
    }
    xvgete(list);

    rowcells rc{};
    mtable t(s);
    if (!t.create("ModObstats", nullptr, nullptr)) return;
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
    if (!qp.empty()) {
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
    if (!w.call(s->out.outmgr, OB_BIND, 3, bind)) return;
    const uint32_t id = obid(bind[0]);

    levctl* lctl = logscl ? s->mdl.logslev : nullptr;
    const levstate* lls = logscl ? static_cast<const levstate*>(s->mdl.logscl) : nullptr;
    const bool relations = s->mdl.relcodes[0] || s->mdl.relcodes[1] || s->mdl.relcodes[2];
    const double thr = s->opts.thrflags[TH_GIVEN] ? s->fit.fixedparms[FP_THRESHOLD] : 0.0;
    const bool lnscale = s->opts.logscale[0], l10scale = s->opts.logscale[1];
    const double* V = s->mdl.covsave;
    std::vector<double> grad(static_cast<size_t>(n.p), 0.0), work(static_cast<size_t>(n.p), 0.0);

    mctl->rdrewind(mctl);
    double resp[2];
    while (mctl->rdnext(mctl) && !s->step.stepend) {
        resp[0] = resp[1] = missing();
        int32_t f = zlevrgd(mctl, resp, nullptr, nullptr);
        if (f & LEVF_READFAIL) break;
        xyvget(list, nullptr);
        if (lctl) f |= zlevrgd(lctl, nullptr, nullptr, nullptr);
        bool ok = !(f & LEVF_UNUSABLE);
        if (ok && relations) ok = !ismiss(transx(s));
        rc.clearstats();
        std::fill(grad.begin(), grad.end(), 0.0);
        double eta = 0.0, sigma = missing(), psi = 0.0;
        if (ok) {
            eta = mdllinear(s, mls, 0, grad.data());
            if (logscl) {
                std::vector<double> u(static_cast<size_t>(n.p), 0.0);
                psi = mdllinear(s, lls, n.ncol, u.data());
                sigma = psi < EXP_OVER ? std::exp(psi) : missing();
                for (int j = n.ncol; j < n.ntot; ++j) grad[static_cast<size_t>(j)] = u[static_cast<size_t>(j)];
            } else {
                sigma = n.ndist > 0 ? s->mdl.estdata[n.ncol] : 1.0;
            }
            rc.xbeta = eta;
            rc.scale = sigma;
        }
        // The response and its censoring.
        double y = missing();
        int code = CEN_EXACT;
        if (ok) {
            double lo = resp[0], hi = resp[1];
            if (s->input.rspkind == 1) {
                y = lo - thr;
                for (int i = 0; i < s->input.ncensvals; ++i)
                    if (hi == s->input.censvals[i]) code = CEN_RIGHT;
            } else if (s->input.rspkind == 2) {
                lo -= thr;
                hi -= thr;
                if (ismiss(lo) && ismiss(hi)) ok = false;
                else if (ismiss(lo)) y = hi, code = CEN_LEFT;
                else if (ismiss(hi)) y = lo, code = CEN_RIGHT;
                else if (lo == hi) y = lo;
                else y = (lo + hi) / 2.0, code = CEN_INTERVAL;
            } else {
                y = lo - thr;
            }
            if (ok && (lnscale || l10scale)) {
                if (y > 0.0) y = lnscale ? std::log(y) : std::log10(y);
                else y = missing();
            }
            rc.cen = code == CEN_EXACT ? 0.0 : 1.0;
        }
        if (ok && !ismiss(y) && !ismiss(sigma) && sigma > 0.0) {
            const double delta = code == CEN_EXACT ? 1.0 : 0.0;
            rc.resid = y - eta;
            rc.sresid = rc.resid / sigma;
            double z[2] = {rc.sresid, 0.0}, out[2];
            if (s->fit.prob_fn[0](KMODE_RIGHT, z, s->mdl.gammafam ? shape : nullptr, out) == 0) {
                const double G = out[0];
                rc.gresid = G + (1.0 - delta) * residadj;
                const double d = G > 0.0 ? -2.0 * ((delta - G) + delta * std::log(G)) : missing();
                if (!ismiss(d) && d > 0.0) rc.dresid = delta <= G ? -std::sqrt(d) : std::sqrt(d);
                rc.surv = std::exp(-G);
                if (code == CEN_EXACT) {
                    rc.aresid = rc.sresid;
                } else if (code == CEN_RIGHT && rc.surv > 0.0) {
                    double q[2] = {missing(), 0.0};
                    if (s->mdl.quantst_fn(q, 1.0 - (1.0 - ralpha) * rc.surv, shape) == 0) rc.aresid = q[0];
                }
            }
        }
        if (qp.empty()) {
            w.row();
            continue;
        }
        for (size_t i = 0; i < qp.size() && !s->step.stepend; ++i) {
            rc.prob = qp[i];
            rc.pcntl = rc.se = rc.lo = rc.hi = missing();
            if (ok && !ismiss(sigma)) {
                double p = eta + sigma * qz[i];
                // d/d(scale parameters): the quantile (times sigma for the log scale's
                // coefficients), and sigma times its derivative in the shape.
                std::vector<double> v = grad;
                if (logscl) {
                    for (int j = n.ncol; j < n.ntot; ++j) v[static_cast<size_t>(j)] *= sigma * qz[i];
                } else if (n.ndist > 0) {
                    v[static_cast<size_t>(n.ncol)] = qz[i];
                }
                if (n.ndist > 1) v[static_cast<size_t>(r_shape)] = sigma * qdz[i];
                double var = 0.0;
                zqform(V, n.p, v.data(), 1, &var, work.data(), 0);
                double se = var > 0.0 ? std::sqrt(var) : missing();
                double lo = ismiss(se) ? missing() : p - qa * se, hi = ismiss(se) ? missing() : p + qa * se;
                if (lnscale || l10scale) {
                    const double f = lnscale ? 1.0 : std::log(10.0);
                    auto back = [&](double x) { return !ismiss(x) && x * f < EXP_OVER ? std::exp(x * f) : missing(); };
                    p = back(p);
                    lo = back(lo);
                    hi = back(hi);
                    se = ismiss(se) || ismiss(p) ? missing() : se * f * p;
                }
                rc.pcntl = ismiss(p) ? p : p + thr;
                rc.lo = ismiss(lo) ? lo : lo + thr;
                rc.hi = ismiss(hi) ? hi : hi + thr;
                rc.se = se;
            }
            w.row();
        }
    }
    w.call(obj, OB_ENDROWS, 0, nullptr);
    wobitem pub[] = {obidin(id)};
    w.call(s->out.outmgr, OB_PUBLISH, 1, pub);
}
