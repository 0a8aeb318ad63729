// The whole MCFPLOT statement on recurrence data: N units observed to ages uniform on
// 200..1000, each with Poisson-many events (mean 5.1) at ages on a grid of 0.005 (about
// 61,000 rows and 42,000 distinct ages for 10,000 units; bench/make_mcf_data.py writes the
// same kind of file for timings from outside). The program reads the data, sorts and
// estimates the group and writes the summary and estimate tables to the listing and the
// report, with the Nelson or the Lawless-Nadeau variance.
// Counters: rows per second and the peak memory in bytes per row (peak_per_row).
// Goals: 10,000 units in under 0.2 s, 1,000,000 in under 10 s, memory linear in the rows.
// `lawless_make` saves the estimates with MAKE ... NOPRINT as a CSV data set instead of
// printing them, as a user with a million units would (bench/mcf/README.md has the whole
// command against R). `interval`: a million intervals of interval data (events and removals).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/benchmem.h"
#include "host/hostdefs.h"
#include "host/module.h"
#include "runtime/runner/program.h"
#include "runtime/session.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace {

using benchmem::resetpeak;
using benchmem::status;

struct Quiet : rt::Log {
    void line(char kind, const std::string& t) override {
        if (kind == 'E') std::fprintf(stderr, "%s\n", t.c_str());
    }
};

// Writes the data of n units to /tmp/mcfbench<n>.csv; the number of rows.
int64_t writedata(int64_t n, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    static char buf[1 << 20];
    std::setvbuf(f, buf, _IOFBF, sizeof buf);
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::poisson_distribution<int> events(5.1);
    std::fputs("unit,age,n\n", f);
    int64_t rows = 0;
    std::vector<double> ages;
    for (int64_t i = 0; i < n; ++i) {
        const double end = std::round((200 + 800 * u(gen)) * 100) / 100;
        ages.resize(static_cast<size_t>(events(gen)));
        for (double& a : ages) a = std::round(u(gen) * end * 200) / 200;
        std::sort(ages.begin(), ages.end());
        for (double a : ages) std::fprintf(f, "U%07lld,%.3f,1\n", static_cast<long long>(i), a);
        std::fprintf(f, "U%07lld,%.2f,-1\n", static_cast<long long>(i), end);
        rows += static_cast<int64_t>(ages.size()) + 1;
    }
    std::fclose(f);
    return rows;
}

// Writes n intervals of 10 age units with their events and removals (fractional, as from a
// weighted fleet) to path; the number of rows.
int64_t writeintervals(int64_t n, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    static char buf[1 << 20];
    std::setvbuf(f, buf, _IOFBF, sizeof buf);
    std::mt19937_64 gen(13);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::poisson_distribution<int> events(5.1);
    std::fputs("lo,hi,ev,rem\n", f);
    for (int64_t i = 0; i < n; ++i)
        std::fprintf(f, "%lld,%lld,%d,%.2f\n", static_cast<long long>(10 * i), static_cast<long long>(10 * i + 10), events(gen),
                     0.5 + std::round(250 * u(gen)) / 100);
    std::fclose(f);
    return n;
}

// method: the variance, or "interval" for the interval data of writeintervals.
void BM_McfPlot(benchmark::State& state, const char* method, bool make = false) {
    const int64_t units = state.range(0);
    const bool interval = std::string(method) == "interval";
    const std::string name = (interval ? "mcfibench" : "mcfbench") + std::to_string(units);
    const int64_t rows = interval ? writeintervals(units, "/tmp/" + name + ".csv") : writedata(units, "/tmp/" + name + ".csv");
    double peak = 0;
    for (auto _ : state) {
        const long base = status("VmRSS:");
        resetpeak();
        Quiet log;
        rt::Session s;
        s.datadir = "/tmp";
        s.outdir = "/tmp/" + name + "-out";
        s.log = &log;
        rt::runner::Config cfg;
        cfg.linked = mcn_main;
        const std::string save = make ? " make 'MCFEst' out=work." + name + "est noprint;\n" : "";
        const std::string stmt = interval ? " mcfplot (interval=lo hi recurrences=ev censored=rem);\n"
                                          : " unitid unit;\n" + save + " mcfplot age*n(-1) / variance=" + method + ";\n";
        const int rc = rt::runner::run("proc vitalyx data=" + name + ";\n" + stmt + "run;\n", s, cfg);
        peak = std::max(peak, static_cast<double>(status("VmHWM:") - base) * 1024.0);
        if (rc != 0) {
            state.SkipWithError("the program failed");
            break;
        }
    }
    std::remove(("/tmp/" + name + ".csv").c_str());
    std::remove(("/tmp/" + name + "-out/" + name + "est.csv").c_str());   // MAKE writes into the output folder
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["peak_per_row"] = peak / static_cast<double>(rows);
}

BENCHMARK_CAPTURE(BM_McfPlot, nelson, "nelson")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_McfPlot, lawless, "lawless")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_McfPlot, nelson, "nelson")->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_McfPlot, lawless, "lawless")->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_McfPlot, interval, "interval")->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_McfPlot, lawless_make, "lawless", true)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
