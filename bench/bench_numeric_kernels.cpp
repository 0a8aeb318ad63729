// Per-call cost of the likelihood kernels (value kernels of the three location-scale
// families, their derivative kernels, and the log-gamma kernels), over a spread of
// standardized values in the four observation modes.
#include <benchmark/benchmark.h>
#include <vector>
#include "proc/numeric/kernels.h"

namespace {

std::vector<double> points() {
    std::vector<double> z;
    for (int i = 0; i < 1024; ++i) z.push_back(-6.0 + 9.0 * i / 1023.0);
    return z;
}

void runkernel(benchmark::State& state, kernfn k, const double* shape) {
    const int mode = static_cast<int>(state.range(0));
    const std::vector<double> z = points();
    double out[9];
    size_t i = 0;
    for (auto _ : state) {
        const double arg[2] = {z[i], 0.35};
        benchmark::DoNotOptimize(k(mode, arg, shape, out));
        benchmark::DoNotOptimize(out[0]);
        i = (i + 1) & 1023;
    }
    state.SetItemsProcessed(state.iterations());
}

double gshape[GSH_SIZE];
const double* gammablock() {
    zprbpgm(0.6, gshape);
    return gshape;
}

void BM_NormalValue(benchmark::State& s) { runkernel(s, zprblnm, nullptr); }
void BM_LogisticValue(benchmark::State& s) { runkernel(s, zprbllg, nullptr); }
void BM_SevValue(benchmark::State& s) { runkernel(s, zprblwb, nullptr); }
void BM_NormalDeriv(benchmark::State& s) { runkernel(s, zprbwnm, nullptr); }
void BM_LogisticDeriv(benchmark::State& s) { runkernel(s, zprbwlg, nullptr); }
void BM_SevDeriv(benchmark::State& s) { runkernel(s, zprbwwb, nullptr); }
void BM_LogGammaValue(benchmark::State& s) { runkernel(s, zprblgm, gammablock()); }
void BM_LogGammaDeriv(benchmark::State& s) { runkernel(s, zprbwgm, gammablock()); }

}  // namespace

#define MODES ->Arg(0)->Arg(-1)->Arg(-2)->Arg(-3)
BENCHMARK(BM_NormalValue) MODES;
BENCHMARK(BM_LogisticValue) MODES;
BENCHMARK(BM_SevValue) MODES;
BENCHMARK(BM_NormalDeriv) MODES;
BENCHMARK(BM_LogisticDeriv) MODES;
BENCHMARK(BM_SevDeriv) MODES;
BENCHMARK(BM_LogGammaValue) MODES;
BENCHMARK(BM_LogGammaDeriv) MODES;
