// The utility-file store with a product-limit curve's records: blocks of 1000 points of 24
// words (the ones a curve fills, moving a little from point to point, the rest zero) written
// and read back, in memory (the store's default) and on disk (a limit of 0), and the coding
// alone. bytes_per_point is what the store keeps for each point of 192 bytes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "runtime/files/utilfile.h"
#include "runtime/files/wordcode.h"

namespace {

constexpr int kWords = 24, kPerBlock = 1000;

// A curve of n points, as the product-limit pass fills it.
std::vector<double> curve(int64_t n) {
    std::vector<double> v(static_cast<size_t>(n) * kWords, 0.0);
    std::mt19937_64 rng(3);
    std::exponential_distribution<double> gap(1.0);
    double t = 0, S = 1, g = 0;
    for (int64_t i = 0; i < n; ++i) {
        double* r = v.data() + i * kWords;
        t += gap(rng) * 1e-3;
        const double atrisk = static_cast<double>(n - i);
        S *= (atrisk - 1) / atrisk;
        g += 1 / (atrisk * (atrisk - 1 > 0 ? atrisk - 1 : 1));
        r[0] = 1 - S;
        r[2] = 1 - S;
        r[3] = S * std::sqrt(g);
        r[8] = r[2] + 2 * r[3];
        r[9] = r[2] - 2 * r[3];
        r[14] = std::log(t);
        r[20] = 1.0;
    }
    return v;
}

void BM_CurveFile(benchmark::State& state) {
    const int64_t n = state.range(0);
    const auto v = curve(n);
    const vec39* f = rt::files::services();
    rt::files::setspilllimit(state.range(1) ? rt::files::kSpillLimit : 0);
    std::vector<double> back(kWords * kPerBlock);
    int64_t kept = 0;
    for (auto _ : state) {
        xchandle h = nullptr;
        f->xcopen(&h, XC_SCRATCH);
        for (int64_t at = 0; at < n; at += kPerBlock)
            f->xcwrite(h, v.data() + at * kWords, std::min<int64_t>(kPerBlock, n - at) * kWords * 8);
        kept = h->size;
        f->xcpoint(h, 0);
        while (f->xcread(h, back.data(), kWords * kPerBlock * 8) == 0) benchmark::DoNotOptimize(back.data());
        f->xcclose(h, 1);
    }
    rt::files::setspilllimit(rt::files::kSpillLimit);
    state.counters["bytes_per_point"] = static_cast<double>(kept) / static_cast<double>(n);
    state.SetBytesProcessed(state.iterations() * n * kWords * 8);
}

void BM_WordCode(benchmark::State& state) {
    const auto v = curve(kPerBlock);
    const auto* rec = reinterpret_cast<const unsigned char*>(v.data());
    const int64_t bytes = kPerBlock * kWords * 8;
    std::vector<unsigned char> coded(static_cast<size_t>(rt::files::code::bound(bytes)));
    std::vector<unsigned char> back(static_cast<size_t>(bytes));
    const int stride = rt::files::code::choosestride(rec, bytes);
    int64_t n = 0;
    for (auto _ : state) {
        n = rt::files::code::encode(rec, bytes, stride, coded.data());
        if (state.range(0)) rt::files::code::decode(coded.data(), bytes, stride, back.data());
        benchmark::DoNotOptimize(back.data());
    }
    state.counters["stride"] = stride;
    state.counters["bytes_per_point"] = static_cast<double>(n) / kPerBlock;
    state.SetBytesProcessed(state.iterations() * bytes);
}

}  // namespace

// (points, in memory 1 / on disk 0)
BENCHMARK(BM_CurveFile)->Args({1000000, 1})->Args({1000000, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
// (0 encode, 1 encode and decode)
BENCHMARK(BM_WordCode)->Arg(0)->Arg(1);
