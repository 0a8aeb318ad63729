// The shared fit set-up (tests/support/fitfixture.h) with design rows made by the test, so
// that the MODEL fit (starting values, likelihood, optimiser, back-transformation, covariance
// and limits) runs in-process without the data pass.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "proc/lifedist/lifedist.h"
#include "proc/numeric/kernels.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"
#include "runtime/output/texts.h"
#include "tests/support/fitfixture.h"

namespace mdltest {

using testsupport::readfile;

// One design effect as the test lays it out: its number of design columns, whether its cell
// value multiplies the coefficient (continuous) and whether it has CLASS variables.
struct effect {
    int cols;
    bool cont;
    bool cls;
};

// One observation: the effect cells (value, index within the effect), the response (on the
// fitting scale), the upper end of an interval, the censoring code, the frequency.
struct obsrow {
    std::vector<descell> cells;
    double y, y2 = 0.0;
    int code = CEN_EXACT;
    double w = 1.0;
};

// Families: value kernel, derivative kernel, quantile with a shape argument.
struct family {
    kernfn value, deriv;
    qntfnx quant;
    bool gamma;
};
inline family fam(const std::string& name) {
    if (name == "normal") return {zprblnm, zprbwnm, vyxqnm, false};
    if (name == "logistic") return {zprbllg, zprbwlg, vyxqlg, false};
    if (name == "gamma") return {zprblgm, zprbwgm, vyxqgm, true};
    return {zprblwb, zprbwwb, vyxqwb, false};   // smallest extreme value (Weibull on log time)
}

class ModelTest : public testsupport::FitFixture {
protected:
    mdllayout lay{};
    std::vector<int32_t> firstcol, effcols;
    std::vector<uint8_t> hascont, hascls;
    std::vector<char> rows;
    char* chunk = nullptr;
    std::vector<double> colstd;

    void SetUp() override {
        FitFixture::SetUp();
        if (HasFatalFailure()) return;
        s->pools.bypool = xmpoolc(8192, 8192, 4);
        s->pools.stmtpool = xmpoolc(8192, 8192, 4);
        s->mdl.fit.itopts[IT_PSTABLE] = hostmissing();
        for (double& v : s->optsw.fixedparms) v = hostmissing();
        s->optsw.fixedparms[FP_THRESHOLD] = 0.0;
        s->mdl.fit.lrflags[LR_PARMS] = 0;
    }
    // The output manager's create call fails (result rc) for the table of the given name;
    // every other call goes to the manager's own class.
    obclass failcls{};
    obmethent failent{};
    obmethrec failrec{};
    obmethent* failbucket[1] = {};
    obclass* realcls = nullptr;
    static inline std::string failname;
    static inline int32_t failrc = -7;
    static int32_t failcreate(obobject* o, void*, void* recarg, int n, wobitem* it) {
        for (int i = 0; i < n; ++i)
            if (it[i].key == OBK_NAME && it[i].v.p && std::string(rt::out::textof(static_cast<txthandle>(it[i].v.p))) == failname)
                return failrc;
        return wobmth(o, static_cast<obclass*>(recarg), OB_CREATE, n, it);
    }
    void failtable(const std::string& name) {
        realcls = s->out.outmgr->cls;
        failcls = *realcls;
        failcls.parent = realcls;
        failrec.routine = failcreate;
        failrec.arg = realcls;
        failent.rec = &failrec;
        failent.method = OB_CREATE;
        failbucket[0] = &failent;
        failcls.buckets = failbucket;
        failcls.mask = 0;
        failname = name;
        s->out.outmgr->cls = &failcls;
    }

    void TearDown() override {
        if (realcls) s->out.outmgr->cls = realcls;
        FitFixture::TearDown();
    }

    void usefamily(const std::string& name) {
        const family f = fam(name);
        s->mdl.fit.prob_fn[0] = f.value;
        s->mdl.fit.prob_fn[1] = f.deriv;
        s->mdl.quantst_fn = f.quant;
        s->mdl.gammafam = f.gamma;
        s->mdl.shape_fn = f.gamma ? zprbpgm : nullptr;
        s->mdl.ndistp = f.gamma ? 2 : 1;
    }

    // Lays out the rows of a model with the given MODEL effects (the intercept first) and
    // LOGSCALE effects (their intercept first when any), response kind 0 exact/right or 2 with
    // intervals. Centres and scales are m and sc per design column (defaults 0 and 1); the
    // counts and the response mean and standard deviation are taken as the data pass does.
    void userows(const std::vector<effect>& model, const std::vector<effect>& scale, const std::vector<obsrow>& data,
                 bool freq, std::vector<double> m = {}, std::vector<double> sc = {}) {
        const int ne = static_cast<int>(model.size()), nl = static_cast<int>(scale.size());
        firstcol.assign(ne + nl, 0);
        effcols.assign(ne + nl, 0);
        hascont.assign(ne + nl, 0);
        hascls.assign(ne + nl, 0);
        int col = 0;
        for (int i = 0; i < ne + nl; ++i) {
            const effect& e = i < ne ? model[i] : scale[i - ne];
            firstcol[i] = col;
            effcols[i] = e.cols;
            hascont[i] = e.cont;
            hascls[i] = e.cls;
            col += e.cols;
            if (i == ne - 1) lay.ncol = col;
        }
        lay.ne = ne;
        lay.nl = nl;
        lay.nls = col - lay.ncol;
        lay.hasfreq = freq;
        lay.ncells = ne + nl + 3 + (freq ? 1 : 0);
        lay.firstcol = firstcol.data();
        lay.effcols = effcols.data();
        lay.hascont = hascont.data();
        lay.hascls = hascls.data();
        s->mdl.mdllay = &lay;
        s->mdl.haslogscl = nl > 0;
        const int ntot = col;
        m.resize(ntot, 0.0);
        sc.resize(ntot, 1.0);
        colstd.assign(2 * ntot, 0.0);
        for (int j = 0; j < ntot; ++j) {
            colstd[j] = m[j];
            colstd[ntot + j] = sc[j];
        }
        s->mdl.colstd = colstd.data();

        rows.assign(data.size() * lay.rowbytes(), 0);
        double W = 0, S1 = 0, S2 = 0, y0 = 0, exact = 0;
        bool interval = false;
        for (size_t k = 0; k < data.size(); ++k) {
            const obsrow& o = data[k];
            descell* r = desrowat(rows.data(), &lay, static_cast<int64_t>(k));
            for (int i = 0; i < ne + nl; ++i) {
                r[i] = o.cells[i];
                // Continuous cells are centred and scaled as the data pass leaves them.
                if (i > 0 && hascont[i] && i != ne) {
                    const int c = firstcol[i] + r[i].col;
                    r[i].value = (r[i].value - m[c]) / sc[c];
                }
            }
            r[lay.rsp()].value = o.y;
            r[lay.upper()].value = o.y2;
            r[lay.cens()].col = o.code;
            if (freq) r[lay.freq()].value = o.w;
            interval = interval || o.code == CEN_INTERVAL || o.code == CEN_LEFT;
            if (o.code == CEN_RIGHT) s->mdl.mdlcnt[1] += o.w;
            if (o.code == CEN_LEFT) s->mdl.mdlcnt[2] += o.w;
            if (o.code == CEN_INTERVAL) s->mdl.mdlcnt[3] += o.w;
            if (o.code == CEN_EXACT) exact += o.w;
            if (k == 0 && !s->mdl.intfix) y0 = o.y;
            const double d = o.y - y0;
            W += o.w;
            S1 += o.w * d;
            S2 += o.w * d * d;
        }
        s->inwork.rspkind = interval ? 2 : 0;
        s->mdl.mdlrows = static_cast<int64_t>(data.size());
        s->mdl.mdlinmem = 1;
        chunk = rows.data();
        s->mdl.mdlchunks = &chunk;
        s->mdl.mdlnchunks = 1;
        s->mdl.mdlchunkrows = static_cast<int32_t>(data.size());
        s->mdl.sumwt[0] = W;
        s->mdl.sumwt[1] = exact;
        const double mean = W > 0 ? S1 / W + y0 : y0 + S1;
        if (!s->mdl.intfix) S2 -= (y0 - mean) * (y0 - mean) * W;
        const double div = data.size() < 2 ? 1.0 : static_cast<double>(data.size() - 1);
        s->mdl.ystat[0] = mean;
        s->mdl.ystat[1] = S2 > 0 ? std::sqrt(S2 / div) : 1.0;
    }

    // The fit's arrays and starting values as vyxmfit lays them out, without the optimiser.
    // p and the packing come from the starting values.
    int fit() { return vyxmfit(s); }
    void afterfit() {
        vyxmxup(s);
        vyxmcov(s);
    }
};

// A continuous cell and a CLASS cell.
inline descell cv(double v) { return {v, 0}; }
inline descell lv(int level) { return {1.0, level}; }

}  // namespace mdltest
