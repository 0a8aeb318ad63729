// The nonparametric estimates on large groups: the product-limit curve of a right-censored
// group (vyxcrv) and the Turnbull estimate of interval data (vyxem), called the way the
// analysis driver calls them, on rows held in memory. The growth of the Turnbull estimate
// is measured along the number of rows and along the resolution of the inspection times
// (which sets the number of Turnbull intervals).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "bench/intervaldata_gen.h"
#include "host/hostdefs.h"
#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/lifedist_internal.h"
#include "runtime/host/hostinstance.h"
#include "runtime/output/output.h"
#include "runtime/session.h"
#include "runtime/supervisor/pools.h"

namespace {

class QuietLog : public rt::Log {
public:
    void line(char, const std::string&) override {}
};

// A host, a state block and an output manager, as the procedure has them in a step.
struct stepenv {
    rt::HostInstance* host = nullptr;
    rt::Session session;
    QuietLog log;
    std::unique_ptr<vyxarea> area;
    vyxstate* s = nullptr;

    stepenv() {
        host = rt::makehost();
        rt::beginstep(host);
        session.inst = &host->inst;
        session.log = &log;
        session.outdir = "/tmp/vx-bench-nonparam";
        // CPUCOUNT=n in the environment: the threads of the Turnbull iterations.
        if (const char* c = getenv("CPUCOUNT")) session.opts.cpucount = atoi(c);
        rt::setcurrent(&session);
        v_global_gcb_anchor = &host->inst;
        rt::out::beginprogram(&session);
        rt::out::beginstep();
        area = std::make_unique<vyxarea>();
        std::memset(static_cast<void*>(area.get()), 0, sizeof(vyxarea));
        s = &area->s;
        xobinit(&s->out.obenv, 0);
        wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "manager", 7),
                            obitem(OBK_CREATED, OBT_OBJECT), obint(OBK_MSGGROUP, 510)};
        wobmth(s->out.obenv, nullptr, OB_CREATE, 4, create);
        s->out.outmgr = static_cast<obobject*>(create[2].v.p);
        s->optsw.alpha = 0.05;
        s->life.npbounds[0] = s->life.npbounds[1] = hostmissing();
        s->optsw.quant_fn = [](double p) { return std::log(-std::log1p(-p)); };
        s->optsw.rowlay[0] = 100;
    }
    ~stepenv() {
        rt::out::endstep();
        std::string err;
        rt::out::endprogram(err);
        rt::setcurrent(nullptr);
        v_global_gcb_anchor = nullptr;
        rt::freehost(host);
    }
    void newstatement() {
        if (s->pools.stmtpool) xmpoold(s->pools.stmtpool);
        if (s->pools.workpool) xmpoold(s->pools.workpool);
        s->pools.stmtpool = xmpoolc(8192, 8192, 4);
        s->pools.workpool = xmpoolc(8192, 8192, 4);
    }
};

// Interval rows at the given resolution of the inspection times (0.1: about 1,300 ends).
std::vector<double> intervalrows(int64_t n, double resolution) {
    std::vector<double> rows;
    for (const auto& r : benchgen::intervaldata(n)) {
        auto snap = [&](double x) { return std::isnan(x) ? x : std::round(x / resolution) * resolution; };
        rows.push_back(snap(r.lower));
        rows.push_back(snap(r.upper));
    }
    return rows;
}

// The Turnbull estimate of n rows; maxit 0 takes MAXITEM from the environment (10000 when not
// set), cpus 0 CPUCOUNT (the machine's processors when not set).
void turnbull(benchmark::State& state, int64_t n, double resolution, int32_t maxit, int cpus) {
    stepenv env;
    if (cpus > 0) env.session.opts.cpucount = cpus;
    vyxstate* s = env.s;
    std::memset(s->inputw.rspform, 0, sizeof s->inputw.rspform);
    s->inputw.rspform[RF_INTERVAL] = 1;
    s->optsw.rowlay[1] = 2;
    s->life.emmaxit[EM_MAXIT] = maxit > 0 ? maxit : getenv("MAXITEM") ? atoi(getenv("MAXITEM")) : 10000;
    s->life.emmaxit[EM_HISTSTEP] = 10;
    s->life.fit.itopts[IT_TOLLIKE] = 1e-8;
    s->life.fit.itopts[IT_TOLPROB] = hostmissing();
    s->life.emflags[EMF_POLISH] = 1;
    s->life.fit.fitcrit.singular = 1e-12;
    std::vector<double> rows = intervalrows(n, resolution);
    int64_t footprint = 0;
    uint32_t iterations = 0;
    int32_t m = 0;
    std::set<std::pair<double, double>> distinct;
    for (size_t i = 0; i < rows.size(); i += 2)
        distinct.insert({std::isnan(rows[i]) ? -1 : rows[i], std::isnan(rows[i + 1]) ? -2 : rows[i + 1]});
    const double groups = static_cast<double>(distinct.size());
    for (auto _ : state) {
        state.PauseTiming();
        env.newstatement();
        grpnode g{};
        g.rowbuf = rows.data();
        g.nobs = static_cast<int32_t>(n);
        g.totw = static_cast<double>(n);
        state.ResumeTiming();
        vyxem(s, &g);
        iterations = s->life.fit.itstatus[0];
        m = g.nturn;
        footprint = rt::pool::footprint(s->pools.stmtpool) + rt::pool::footprint(s->pools.workpool);
    }
    state.counters["intervals"] = m;
    state.counters["distinct_rows"] = groups;
    state.counters["last_iterations"] = iterations;
    state.counters["pool_MB"] = static_cast<double>(footprint) / (1 << 20);
    state.SetComplexityN(n);
}
void BM_Turnbull(benchmark::State& state, double resolution) { turnbull(state, state.range(0), resolution, 0, 0); }

// 2,000 iterations of 100,000 rows (some 48,000 distinct runs, 12 parts) on 1 to 8 threads.
void BM_TurnbullThreads(benchmark::State& state) {
    turnbull(state, 100000, 0.1, 2000, static_cast<int>(state.range(0)));
    state.counters["threads"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_TurnbullThreads)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_CAPTURE(BM_Turnbull, ends_0_1, 0.1)->Arg(10000)->Arg(30000)->Arg(100000)->Arg(300000)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Complexity();
BENCHMARK_CAPTURE(BM_Turnbull, ends_0_5, 0.5)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_Turnbull, ends_1_0, 1.0)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The product-limit curve of n right-censored rows sorted by time (form 1), with the modified
// product limit as plotting position; `weighted`: a FREQ column of weights from 0.5 to 3
// (the number at risk is then summed from the weights still to come).
void productlimit(benchmark::State& state, bool weighted) {
    stepenv env;
    vyxstate* s = env.s;
    std::memset(s->inputw.rspform, 0, sizeof s->inputw.rspform);
    s->inputw.rspform[RF_CENSOR] = 1;
    s->optsw.rowlay[1] = weighted ? 3 : 2;
    s->inputw.nfreq = weighted ? 1 : 0;
    s->work.fitmethod = 1;
    s->life.pposcode = 4;
    s->life.ppos_fn = [](double a, double, double, double* c, double d) {
        const double old = *c;
        *c *= (a - d) / a;
        return 1 - (old + *c) * 0.5;
    };
    const int64_t n = state.range(0);
    std::mt19937_64 gen(3);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<std::pair<double, double>> obs;
    double fails = 0;
    for (int64_t i = 0; i < n; ++i) {
        double t = 2000.0 * std::pow(-std::log1p(-u(gen)), 1 / 1.5);
        const double c = 3000.0 * u(gen) + 500;
        const bool failed = t <= c;
        obs.push_back({std::round((failed ? t : c) * 1000) / 1000, failed ? 0.0 : -1.0});
        fails += failed;
    }
    std::sort(obs.begin(), obs.end(), [](auto& a, auto& b) { return a.first < b.first || (a.first == b.first && a.second > b.second); });
    std::vector<double> rows;
    double total = 0, wfail = fails;
    for (auto& o : obs) {
        rows.push_back(o.first);
        rows.push_back(o.second);
        if (!weighted) continue;
        const double w = 0.5 + std::round(250 * u(gen)) / 100;
        rows.push_back(w);
        total += w;
        if (o.second == 0.0) wfail += w - 1;
    }
    for (auto _ : state) {
        state.PauseTiming();
        env.newstatement();
        grpnode g{};
        g.rowbuf = rows.data();
        g.nobs = static_cast<int32_t>(n);
        g.totw = weighted ? total : static_cast<double>(n);
        g.wfail = wfail;
        g.nfail = fails;
        state.ResumeTiming();
        vyxcrv(s, &g);
        benchmark::DoNotOptimize(g.crvbuf);
    }
    state.SetComplexityN(n);
}
void BM_ProductLimit(benchmark::State& state) { productlimit(state, false); }
void BM_ProductLimitFreq(benchmark::State& state) { productlimit(state, true); }
BENCHMARK(BM_ProductLimit)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Complexity();
BENCHMARK(BM_ProductLimitFreq)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Complexity();

}  // namespace
