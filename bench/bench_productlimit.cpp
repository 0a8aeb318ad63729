// The product-limit curve as a whole command, from 1e6 to 1e7 rows: ANALYZE with FITTYPE=NONE
// reads the rows, sorts the group and builds the curve (written to the curve file, which the
// host keeps in memory while it fits); `ppout` also prints the probability estimates of 1e6
// rows; `freq` gives the rows FREQ weights from 0.5 to 3 (the number at risk is then summed
// from the weights still to come, which reads the group's rows once more). The rows are
// bench/nonparam/make_data.py's kind (Weibull shape 1.5 and scale 2000, uniform censoring). Counters: rows per second, the peak memory per row, and the system
// time's share of the run (sys_share). Goals: from 1e6 to 1e7 rows the time grows with an
// exponent of at most 1.03 (Complexity), system time under a tenth of the run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "bench/benchmem.h"
#include "host/hostdefs.h"
#include "host/module.h"
#include "runtime/runner/program.h"
#include "runtime/session.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace {

struct Quiet : rt::Log {
    void line(char kind, const std::string& t) override {
        if (kind == 'E') std::fprintf(stderr, "%s\n", t.c_str());
    }
};

void writerows(int64_t n, const std::string& path, bool weighted) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    static char buf[1 << 20];
    std::setvbuf(f, buf, _IOFBF, sizeof buf);
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::fputs(weighted ? "time,status,count\n" : "time,status\n", f);
    for (int64_t i = 0; i < n; ++i) {
        const double t = 2000.0 * std::pow(-std::log1p(-u(gen)), 1 / 1.5), c = 3000.0 * u(gen) + 500;
        if (weighted)
            std::fprintf(f, t <= c ? "%.3f,1,%.2f\n" : "%.3f,0,%.2f\n", t <= c ? t : c, 0.5 + std::round(250 * u(gen)) / 100);
        else
            std::fprintf(f, t <= c ? "%.3f,1\n" : "%.3f,0\n", t <= c ? t : c);
    }
    std::fclose(f);
}

double cpuseconds(bool system) {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    const timeval& t = system ? r.ru_stime : r.ru_utime;
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

void BM_ProductLimitCommand(benchmark::State& state, const char* options, bool weighted = false) {
    const int64_t n = state.range(0);
    const std::string name = std::string(weighted ? "plfbench" : "plbench") + std::to_string(n);
    writerows(n, "/tmp/" + name + ".csv", weighted);
    double peak = 0, sys = 0, wall = 0;
    for (auto _ : state) {
        const long base = benchmem::status("VmRSS:");
        benchmem::resetpeak();
        const double sys0 = cpuseconds(true);
        const auto t0 = std::chrono::steady_clock::now();
        Quiet log;
        rt::Session s;
        s.datadir = "/tmp";
        s.outdir = "/tmp/" + name + "-out";
        s.log = &log;
        rt::runner::Config cfg;
        cfg.linked = mcn_main;
        const int rc = rt::runner::run("proc vitalyx data=" + name + ";\n distribution weibull;\n" + (weighted ? " freq count;\n" : "") + " analyze time*status(0) / fittype=none" +
                                           options + ";\nrun;\n",
                                       s, cfg);
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        sys += cpuseconds(true) - sys0;
        peak = std::max(peak, static_cast<double>(benchmem::status("VmHWM:") - base) * 1024.0);
        if (rc != 0) {
            state.SkipWithError("the program failed");
            break;
        }
    }
    std::remove(("/tmp/" + name + ".csv").c_str());
    state.SetItemsProcessed(state.iterations() * n);
    state.SetComplexityN(n);
    state.counters["peak_per_row"] = peak / static_cast<double>(n);
    state.counters["sys_share"] = wall > 0 ? sys / wall : 0;
}

BENCHMARK_CAPTURE(BM_ProductLimitCommand, fittype_none, "")
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Complexity();
BENCHMARK_CAPTURE(BM_ProductLimitCommand, freq, "", true)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Complexity();
BENCHMARK_CAPTURE(BM_ProductLimitCommand, ppout, " ppout")->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
