// The two AVL trees: the host's (vector 10, ztrebld) and the module's own (ztrebdf with a
// comparison routine and with its default double comparison), each filled with a million
// nodes in random order and searched for every key; the host tree also with 16-byte keys
// (the group and unit trees of the data passes) and in ascending order.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/trees.h"
#include "runtime/host/hostinstance.h"

namespace {

struct node {
    trenode head;
    double num;
    int32_t id;
    char text[16];
};
constexpr int kNum = offsetof(node, num);
constexpr int kId = offsetof(node, id);
constexpr int kText = offsetof(node, text);

// The runtime's host, which the module's entries reach through its anchor.
struct host {
    rt::HostInstance* h = rt::makehost();
    host() { v_global_gcb_anchor = &h->inst; }
    ~host() {
        v_global_gcb_anchor = nullptr;
        rt::freehost(h);
    }
};

// n nodes whose keys (id, num and text alike) are 0 .. n-1 in random order, or ascending.
std::vector<node> nodes(size_t n, bool ascending) {
    std::vector<int32_t> ids(n);
    for (size_t i = 0; i < n; ++i) ids[i] = static_cast<int32_t>(i);
    if (!ascending) std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
    std::vector<node> v(n);
    for (size_t i = 0; i < n; ++i) {
        v[i].id = ids[i];
        v[i].num = ids[i] * 0.5;
        std::memset(v[i].text, ' ', sizeof v[i].text);
        // big-endian digits, so that the bytes order as the numbers do
        for (int k = 0; k < 4; ++k) v[i].text[12 + k] = static_cast<char>((ids[i] >> (8 * (3 - k))) & 0xff);
    }
    return v;
}

int cmpid(const void* a, const void* b, int, int) {
    const int32_t x = static_cast<const node*>(a)->id, y = static_cast<const node*>(b)->id;
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Inserts every node, then finds every key; keylen and keypos as the service takes them.
template <class Insert, class Find>
void fillandfind(benchmark::State& state, bool ascending, Insert insert, Find find) {
    host hst;
    const std::vector<node> src = nodes(static_cast<size_t>(state.range(0)), ascending);
    std::vector<node> v;
    for (auto _ : state) {
        state.PauseTiming();
        v = src;
        trenode* root = nullptr;
        state.ResumeTiming();
        for (node& n : v)
            if (insert(&root, &n) != &n) state.SkipWithError("an insert failed");
        for (const node& n : src)
            if (!find(&root, &n)) state.SkipWithError("a key was not found");
        benchmark::DoNotOptimize(root);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_HostTreeInt(benchmark::State& state) {
    fillandfind(state, false, [](trenode** r, node* n) { return ztrebld(r, n, TREE_KEYINT, kId); },
                [](trenode** r, const node* n) { return ztrefnd(r, n, TREE_KEYINT, kId); });
}
void BM_HostTreeIntAscending(benchmark::State& state) {
    fillandfind(state, true, [](trenode** r, node* n) { return ztrebld(r, n, TREE_KEYINT, kId); },
                [](trenode** r, const node* n) { return ztrefnd(r, n, TREE_KEYINT, kId); });
}
void BM_HostTreeBytes16(benchmark::State& state) {
    fillandfind(state, false, [](trenode** r, node* n) { return ztrebld(r, n, 16, kText); },
                [](trenode** r, const node* n) { return ztrefnd(r, n, 16, kText); });
}
void BM_HostTreeNumber(benchmark::State& state) {
    fillandfind(state, false, [](trenode** r, node* n) { return ztrebld(r, n, TREE_KEYNUM, kNum); },
                [](trenode** r, const node* n) { return ztrefnd(r, n, TREE_KEYNUM, kNum); });
}
void BM_ModuleTreeCompare(benchmark::State& state) {
    fillandfind(state, false, [](trenode** r, node* n) { return ztrebdf(r, n, 0, 0, cmpid); },
                [](trenode** r, const node* n) { return ztrefdf(r, n, 0, 0, cmpid); });
}
void BM_ModuleTreeDouble(benchmark::State& state) {
    fillandfind(state, false, [](trenode** r, node* n) { return ztrebdf(r, n, -1, kNum, nullptr); },
                [](trenode** r, const node* n) { return ztrefdf(r, n, -1, kNum, nullptr); });
}

}  // namespace

BENCHMARK(BM_HostTreeInt)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostTreeIntAscending)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostTreeBytes16)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostTreeNumber)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModuleTreeCompare)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModuleTreeDouble)->Arg(1000000)->Unit(benchmark::kMillisecond);
