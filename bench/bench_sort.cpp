// The host sort through the procedure's zsort against std::sort on the same records:
// 10,000,000 records of 24 bytes, by a double key and then an integer key.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "proc/framework/anchor.h"
#include "proc/framework/sortwrap.h"
#include "runtime/host/hostinstance.h"
#include "runtime/session.h"

namespace {

struct rec {
    double x;
    int32_t k;
    int32_t spare;
    double payload;
};
static_assert(sizeof(rec) == 24);

const std::vector<rec>& source(size_t n) {
    static std::vector<rec> v;
    if (v.size() != n) {
        v.resize(n);
        std::mt19937_64 rng(11);
        std::uniform_int_distribution<int> level(0, 999999);
        std::uniform_int_distribution<int32_t> key(-1000, 1000);
        for (size_t i = 0; i < n; ++i) v[i] = {level(rng) * 0.25, key(rng), 0, static_cast<double>(i)};
    }
    return v;
}

struct host {
    rt::HostInstance* h = rt::makehost();
    rt::Session s;
    host() {
        rt::beginstep(h);
        s.inst = &h->inst;
        rt::setcurrent(&s);
        v_global_gcb_anchor = &h->inst;
    }
    ~host() {
        rt::setcurrent(nullptr);
        v_global_gcb_anchor = nullptr;
        rt::freehost(h);
    }
};

void BM_zsort(benchmark::State& state) {
    host hst;
    const auto& src = source(static_cast<size_t>(state.range(0)));
    std::vector<rec> v;
    sortkey keys[2] = {{0, 8, SORTK_NUM, SORTO_ASC, 0}, {8, 4, SORTK_INT, SORTO_ASC, 0}};
    for (auto _ : state) {
        state.PauseTiming();
        v = src;
        state.ResumeTiming();
        sortctl c{};
        c.keys = keys;
        c.nkeys = 2;
        c.reclen = sizeof(rec);
        c.inrecs = v.data();
        c.nrecs = static_cast<int64_t>(v.size());
        c.workcap = -1;
        if (zsort(&c) != 0) state.SkipWithError("zsort failed");
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_stdsort(benchmark::State& state) {
    const auto& src = source(static_cast<size_t>(state.range(0)));
    std::vector<rec> v;
    for (auto _ : state) {
        state.PauseTiming();
        v = src;
        state.ResumeTiming();
        std::sort(v.begin(), v.end(), [](const rec& a, const rec& b) { return a.x < b.x || (a.x == b.x && a.k < b.k); });
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_stdsort)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_zsort)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(3);
