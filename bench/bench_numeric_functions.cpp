// Per-call cost of the special functions, on arguments spread over their working ranges.
// The arguments follow u_i = frac(i * 0.6180339887498949), i = 1..N, so that the same
// points can be timed in another system (see bench/numeric_functions_r.R).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "proc/numeric/incbeta.h"
#include "proc/numeric/incgamma.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"

namespace {

constexpr int kN = 1 << 16;

double u(int i) {
    const double v = i * 0.6180339887498949;
    return v - std::floor(v);
}
double u2(int i) {  // a second, independent-looking sequence
    const double v = i * 0.7548776662466927;
    return v - std::floor(v);
}

template <class F>
std::vector<double> make(F f) {
    std::vector<double> v(kN);
    for (int i = 0; i < kN; ++i) v[i] = f(i + 1);
    return v;
}

// One call of a one-argument function per iteration, on the next of its points.
template <double (*F)(double)>
void runUnary(benchmark::State& st, const std::vector<double>& x) {
    size_t k = 0;
    for (auto _ : st) {
        benchmark::DoNotOptimize(F(x[k]));
        k = (k + 1) & (kN - 1);
    }
    st.SetItemsProcessed(st.iterations());
}

void BM_zprbnrm(benchmark::State& st) { runUnary<zprbnrm>(st, make([](int i) { return -8.0 + 16.0 * u(i); })); }

void BM_zprobit(benchmark::State& st) { runUnary<zprobit>(st, make([](int i) { return u(i); })); }

void BM_zlgamma(benchmark::State& st) {
    runUnary<zlgamma>(st, make([](int i) { return std::pow(10.0, -2.0 + 4.0 * u(i)); }));  // 0.01 .. 100
}

void BM_zibeta(benchmark::State& st) {
    const auto x = make([](int i) { return u(i); });
    const auto a = make([](int i) { return std::pow(10.0, -0.3 + 2.0 * u2(i)); });  // 0.5 .. 50
    const auto b = make([](int i) { return std::pow(10.0, -0.3 + 2.0 * u(2 * i)); });
    size_t k = 0;
    double p, d;
    for (auto _ : st) {
        benchmark::DoNotOptimize(zibeta(x[k], a[k], b[k], &p, &d));
        benchmark::DoNotOptimize(p);
        k = (k + 1) & (kN - 1);
    }
    st.SetItemsProcessed(st.iterations());
}

void BM_zigamma(benchmark::State& st) {
    const auto a = make([](int i) { return std::pow(10.0, -0.3 + 2.0 * u2(i)); });  // 0.5 .. 50
    const auto x = make([](int i) { return std::pow(10.0, -0.3 + 2.0 * u2(i)) * (0.2 + 2.8 * u(i)); });
    size_t k = 0;
    double p, q, d;
    for (auto _ : st) {
        benchmark::DoNotOptimize(zigamma(x[k], a[k], &p, &q, &d));
        benchmark::DoNotOptimize(p);
        k = (k + 1) & (kN - 1);
    }
    st.SetItemsProcessed(st.iterations());
}

}  // namespace

BENCHMARK(BM_zprbnrm);
BENCHMARK(BM_zprobit);
BENCHMARK(BM_zlgamma);
BENCHMARK(BM_zibeta);
BENCHMARK(BM_zigamma);
