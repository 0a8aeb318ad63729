// Speed of a whole MODEL statement in-process: a Weibull model with two continuous effects and
// one CLASS effect of 5 levels on right-censored data (about 40 % censored), from reading the
// data set to the result tables, at 100,000 and 1,000,000 rows; and the same with
// likelihood-ratio limits. The data are those of bench/model/make_data.py (same recipe,
// generated here). bench/model/README.md holds the whole-command comparison with R.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "host/module.h"
#include "runtime/output/output.h"
#include "runtime/runner/program.h"
#include "runtime/session.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace {

class quietlog : public rt::Log {
public:
    void line(char, const std::string&) override {}
};

// model<n>.csv in a folder of its own, made once per size.
std::string dataset(int64_t n) {
    const std::string dir = "/tmp/vxbenchmodel";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/model" + std::to_string(n) + ".csv";
    if (std::filesystem::exists(path)) return dir;
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> z(0.0, 1.0);
    const double effect[5] = {0.0, 0.3, -0.2, 0.5, 0.1};
    std::fprintf(f, "time,status,x1,x2,g\n");
    for (int64_t i = 0; i < n; ++i) {
        const double x1 = u(rng), x2 = z(rng);
        const int g = static_cast<int>(u(rng) * 5.0) % 5;
        const double mu = 5.0 + 1.2 * x1 - 0.4 * x2 + effect[g];
        const double t = std::exp(mu) * std::pow(-std::log(1.0 - u(rng)), 1.0 / 1.5);
        const double c = -400.0 * std::log(1.0 - u(rng));
        std::fprintf(f, "%.4f,%d,%.5f,%.5f,%c\n", t <= c ? t : c, t <= c ? 1 : 0, x1, x2, "ABCDE"[g]);
    }
    std::fclose(f);
    return dir;
}

void run(benchmark::State& state, const char* options) {
    const int64_t n = state.range(0);
    const std::string dir = dataset(n);
    const std::string program = "proc vitalyx data=model" + std::to_string(n) +
                                "; class g; distribution weibull;\nmodel time*status(0) = x1 x2 g" + options + ";\nrun;\n";
    for (auto _ : state) {
        quietlog log;
        rt::Session s;
        s.datadir = dir;
        s.outdir = dir + "/out";
        s.log = &log;
        rt::runner::Config cfg;
        cfg.linked = mcn_main;
        const int status = rt::runner::run(program, s, cfg);
        rt::setcurrent(&s);
        std::string err;
        rt::out::endprogram(err);
        rt::setcurrent(nullptr);
        if (status != 0) state.SkipWithError("the MODEL program failed");
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_ModelWeibull(benchmark::State& state) { run(state, ""); }
void BM_ModelWeibullLRCL(benchmark::State& state) { run(state, " / lrcl"); }

}  // namespace

BENCHMARK(BM_ModelWeibull)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelWeibullLRCL)->Arg(1000000)->Unit(benchmark::kMillisecond);
