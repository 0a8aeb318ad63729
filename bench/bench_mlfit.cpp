// Speed of the maximum-likelihood fit of one group of 1,000,000 right-censored Weibull
// observations (30 % censored, times with three decimals), its rows on a utility file as the
// group input leaves them: the fit with its covariance and Wald limits, and the same with
// likelihood-ratio limits. Counters: iterations and likelihood evaluations of the fit.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "host/outobj.h"
#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/stdquant.h"
#include "runtime/host/hostinstance.h"
#include "runtime/output/output.h"
#include "runtime/session.h"

namespace {

class quietlog : public rt::Log {
public:
    void line(char, const std::string&) override {}
};

// One host, output manager and state block; the group's rows on a utility file.
struct fitbench {
    rt::HostInstance* host = nullptr;
    rt::Session sess;
    quietlog log;
    std::unique_ptr<vyxarea> area = std::make_unique<vyxarea>();
    vyxstate* s = &area->s;
    std::vector<double> buf;
    double ltsum = 0;   // sum of ln t of the failures

    explicit fitbench(int64_t n) {
        host = rt::makehost();
        rt::beginstep(host);
        sess.inst = &host->inst;
        sess.log = &log;
        sess.outdir = "/tmp";
        rt::setcurrent(&sess);
        v_global_gcb_anchor = &host->inst;
        rt::out::beginprogram(&sess);
        rt::out::beginstep();
        obobject* env = nullptr;
        xobinit(&env, 0);
        wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "manager", 7),
                            obitem(OBK_CREATED, OBT_OBJECT), obint(OBK_MSGGROUP, 510)};
        wobmth(env, nullptr, OB_CREATE, 4, create);
        s->out.outmgr = static_cast<obobject*>(create[2].v.p);
        wobitem t[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED),
                       obint(OBK_PLACE, -1), obtext(OBK_NAME, rdxtxt("ConvergenceStatus", -1)),
                       obtext(OBK_LABEL, rdxmsg(0, 700))};
        wobmth(s->out.outmgr, nullptr, OB_CREATE, 6, t);
        s->out.tabs[TAB_CONVSTATUS].obj = static_cast<obobject*>(t[2].v.p);
        wobitem reason[] = {obint(OBK_KIND, COL_HANDLE), obtext(OBK_NAME, rdxtxt("Reason", -1)), obcell(OBK_CELL, &s->row.convmsg)};
        wobmth(s->out.tabs[TAB_CONVSTATUS].obj, nullptr, OB_ADDCOL, 3, reason);
        wobmth(s->out.tabs[TAB_CONVSTATUS].obj, nullptr, OB_ENDDEF, 0, nullptr);

        s->life.fit.npar.total = 2;
        std::memcpy(s->life.parmfree, "11", 2);
        s->work.fitmethod = FIT_MLE;
        s->life.fit.maxiter = 50;
        s->life.fit.fitcrit.converge = 0.001;
        s->life.fit.fitcrit.convh = 1e-4;
        s->life.fit.fitcrit.singular = 1e7 * 1.1102230246251565e-16;
        s->optsw.alpha = 0.05;
        s->optsw.distcode = DIST_WEIBULL;
        s->life.fit.prob_fn[0] = zprblwb;
        s->life.fit.prob_fn[1] = zprbwwb;
        s->optsw.quant_fn = vyxiwb;
        s->inwork.rspkind = FORM_CENSOR;
        s->optsw.rowlay[0] = OBS_ROWS_PER_BUFFER;
        s->optsw.rowlay[1] = 2;

        // Weibull shape 1.5, scale 2000 hours; censoring times uniform so that about 30 % are censored.
        grpnode* g = &s->groups.rootgrp;
        xcopen(&g->ufile, XC_SCRATCH);
        std::mt19937_64 gen(7);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        std::vector<double> block;
        block.reserve(2 * OBS_ROWS_PER_BUFFER);
        for (int64_t i = 0; i < n; ++i) {
            double t = 2000.0 * std::pow(-std::log1p(-u(gen)), 1 / 1.5);
            const double c = 6000.0 * u(gen);
            const bool cens = c < t;
            t = std::round((cens ? c : t) * 1000.0) / 1000.0;
            if (t <= 0) t = 0.001;
            block.push_back(std::log(t));
            block.push_back(cens ? -1.0 : 0.0);
            if (!cens) {
                g->wfail += 1;
                ltsum += std::log(t);
            }
            if (block.size() == 2 * OBS_ROWS_PER_BUFFER) {
                xcwrite(g->ufile, block.data(), static_cast<int64_t>(block.size() * sizeof(double)));
                block.clear();
            }
        }
        if (!block.empty()) {
            block.resize(2 * OBS_ROWS_PER_BUFFER);
            xcwrite(g->ufile, block.data(), static_cast<int64_t>(block.size() * sizeof(double)));
        }
        g->nobs = static_cast<int32_t>(n);
        buf.assign(2 * OBS_ROWS_PER_BUFFER, 0.0);
        g->rowbuf = buf.data();
    }
    ~fitbench() {
        xcclose(s->groups.rootgrp.ufile, 1);
        rt::out::endstep();
        std::string err;
        rt::out::endprogram(err);
        rt::endstep(host);
        rt::setcurrent(nullptr);
        rt::freehost(host);
    }
    // The starting values the least-squares step would give: near, not at, the estimates.
    void start() {
        grpnode* g = &s->groups.rootgrp;
        g->prob = 0.35;
        g->quant = vyxiwb(g->prob);
        g->scale = 0.6;
        g->loc = std::log(1900.0) + g->quant * 0.6;
        s->pools.workpool = xmpoolc(8192, 8192, 4);
    }
};

fitbench& million() {
    static fitbench b(1000000);
    return b;
}

void run(benchmark::State& st, bool lrcl) {
    fitbench& b = million();
    b.s->life.fit.lrflags[LR_PARMS] = lrcl;
    for (auto _ : st) {
        b.start();
        vyxdfit(b.s, &b.s->groups.rootgrp);
        xmpoold(b.s->pools.workpool);
        b.s->pools.workpool = nullptr;
    }
    st.counters["iterations"] = b.s->life.fit.fitcrit.niter;
    st.counters["evaluations"] = b.s->life.fit.fitcrit.neval;
    st.counters["status"] = b.s->life.fit.itstatus[1];
    st.counters["shape"] = 1.0 / b.s->groups.rootgrp.scale;
    st.counters["scale"] = std::exp(b.s->groups.rootgrp.loc);
}

void BM_WeibullFitMillionRows(benchmark::State& st) { run(st, false); }
void BM_WeibullFitMillionRowsLRCL(benchmark::State& st) { run(st, true); }

// One evaluation over the million rows: the value pass (which carries the derivative sums
// along), and a derivative pass alone.
void BM_LoglikMillionRows(benchmark::State& st) {
    fitbench& b = million();
    b.start();
    vyxdfit(b.s, &b.s->groups.rootgrp);
    const int deriv = static_cast<int>(st.range(0));
    for (auto _ : st) {
        b.s->life.likcache.valid = 0;
        benchmark::DoNotOptimize(vyxlik(b.s, deriv));
    }
    xmpoold(b.s->pools.workpool);
    b.s->pools.workpool = nullptr;
}

}  // namespace

BENCHMARK(BM_WeibullFitMillionRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeibullFitMillionRowsLRCL)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoglikMillionRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
