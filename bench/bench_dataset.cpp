// Reading a large life-data CSV and walking it by BY group through get lists.
// Counters: bytes per second over the file, and the peak memory of the read as a
// multiple of the file size (peak_over_file; the goal is below 3).
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <string>
#include "bench/benchmem.h"
#include "bench/lifedata_gen.h"
#include "host/hostdefs.h"
#include "runtime/datasets/library.h"
#include "runtime/session.h"

namespace {

constexpr int64_t ROWS = 1000000;

struct File {
    std::string dir = "/tmp";
    uint64_t bytes = 0;
    File() { bytes = benchgen::writelifedata(dir + "/lifedata.csv", ROWS); }
    ~File() { std::remove((dir + "/lifedata.csv").c_str()); }
};

const File& file() {
    static File f;
    return f;
}

using benchmem::resetpeak;
using benchmem::status;

struct Cells {
    double hours, status, count;
    char lotkey[16], lotraw[16], unit[16];
};

// One walk over every BY group; returns the weighted number of failures.
double walk(hdataset* d) {
    const vec203& v = *rt::ds::services();
    Cells c;
    hgetlist* l = nullptr;
    v.xvgeti(d, 6, &l);
    v.xvgetd(l, rt::ds::findvar(d, "hours"), 0, &c.hours, 8, GET_RAW, 0, 0);
    v.xvgetd(l, rt::ds::findvar(d, "status"), 0, &c.status, 8, GET_RAW, 0, 0);
    v.xvgetd(l, rt::ds::findvar(d, "count"), 0, &c.count, 8, GET_RAW, 0, 0);
    v.xvgetd(l, rt::ds::findvar(d, "lot"), 0, c.lotkey, 16, GET_FORMATTED, 0, 0);
    v.xvgetd(l, rt::ds::findvar(d, "lot"), 0, c.lotraw, 16, GET_RAW, 0, 0);
    v.xvgetd(l, rt::ds::findvar(d, "unit"), 0, c.unit, 16, GET_RAW, 0, 0);
    v.xvgete(l);
    rt::ds::setby(d, {{rt::ds::findvar(d, "plant"), false}}, false);
    double failures = 0;
    while (v.xbynext(d)) {
        v.xbyrwnd(d, 66);
        while (v.xybyget(d) == 0) {
            v.xyvget(l, nullptr);
            if (c.status == 1 && c.lotkey[0] == 'L') failures += c.count;
        }
    }
    return failures;
}

struct Quiet : rt::Log {
    void line(char, const std::string& t) override { std::fprintf(stderr, "%s\n", t.c_str()); }
};

void BM_ReadAndWalk(benchmark::State& state) {
    const File& f = file();
    Quiet log;
    rt::Session s;
    s.datadir = f.dir;
    s.log = &log;
    rt::setcurrent(&s);
    double peak = 0;
    for (auto _ : state) {
        const long base = status("VmRSS:");
        resetpeak();
        std::string err;
        hdataset* d = rt::ds::open(s, "", "lifedata", err);
        if (!d) {
            state.SkipWithError(err.c_str());
            break;
        }
        benchmark::DoNotOptimize(walk(d));
        const double p = static_cast<double>(status("VmHWM:") - base) * 1024.0;
        if (p > peak) peak = p;
        rt::ds::close(d);
    }
    rt::setcurrent(nullptr);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
    state.counters["file_MB"] = static_cast<double>(f.bytes) / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_over_file"] = peak / static_cast<double>(f.bytes);
}
BENCHMARK(BM_ReadAndWalk)->Unit(benchmark::kMillisecond)->UseRealTime();

// The read alone; threads 0 leaves THREADS and CPUCOUNT as they are (the machine's processors).
void readonly(benchmark::State& state, int threads) {
    const File& f = file();
    rt::Session s;
    s.datadir = f.dir;
    if (threads > 0) {
        s.opts.threads = threads > 1;
        s.opts.cpucount = threads;
    }
    rt::setcurrent(&s);
    for (auto _ : state) {
        std::string err;
        hdataset* d = rt::ds::open(s, "", "lifedata", err);
        if (!d) {
            state.SkipWithError(err.c_str());
            break;
        }
        rt::ds::close(d);
    }
    rt::setcurrent(nullptr);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
void BM_ReadOnly(benchmark::State& state) { readonly(state, 0); }
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// The read on 1 to 8 threads (CPUCOUNT): the file is parsed in chunks from two threads on.
void BM_ReadThreads(benchmark::State& state) { readonly(state, static_cast<int>(state.range(0))); }
BENCHMARK(BM_ReadThreads)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

// The data pass of a life-data statement over three numeric columns (time, status and a
// frequency, 2,000,000 rows): the read on 1 to 8 threads, then every observation through
// one get list of three doubles, as the input routine reads them.
void BM_NumericPass(benchmark::State& state) {
    static const std::string dir = "/tmp";
    static const uint64_t bytes = [] {
        std::FILE* out = std::fopen((dir + "/numpass.csv").c_str(), "wb");
        if (!out) return uint64_t{0};
        std::fputs("hours,status,count\n", out);
        uint64_t x = 29;
        for (int i = 0; i < 2000000; ++i) {
            x = x * 6364136223846793005ull + 1442695040888963407ull;
            const double t = static_cast<double>(x >> 40) / 4096.0;
            std::fprintf(out, "%.4f,%d,%d\n", t, static_cast<int>(x >> 63), static_cast<int>((x >> 20) % 5) + 1);
        }
        const long size = std::ftell(out);
        std::fclose(out);
        return static_cast<uint64_t>(size > 0 ? size : 0);
    }();
    rt::Session s;
    s.datadir = dir;
    s.opts.threads = state.range(0) > 1;
    s.opts.cpucount = static_cast<int>(state.range(0));
    rt::setcurrent(&s);
    const vec203& v = *rt::ds::services();
    for (auto _ : state) {
        std::string err;
        hdataset* d = rt::ds::open(s, "", "numpass", err);
        if (!d) {
            state.SkipWithError(err.c_str());
            break;
        }
        double c[3];
        hgetlist* l = nullptr;
        v.xvgeti(d, 3, &l);
        for (int k = 0; k < 3; ++k) v.xvgetd(l, k + 1, 0, &c[k], 8, GET_RAW, 0, 0);
        v.xvgete(l);
        double used = 0;
        while (v.xbynext(d)) {
            v.xbyrwnd(d, 66);
            while (v.xybyget(d) == 0) {
                v.xyvget(l, nullptr);
                used += c[0] > 1e5 ? c[2] : 0.0;
            }
        }
        benchmark::DoNotOptimize(used);
        rt::ds::close(d);
    }
    rt::setcurrent(nullptr);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_NumericPass)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WalkOnly(benchmark::State& state) {
    const File& f = file();
    rt::Session s;
    s.datadir = f.dir;
    rt::setcurrent(&s);
    std::string err;
    hdataset* d = rt::ds::open(s, "", "lifedata", err);
    if (!d) {
        state.SkipWithError(err.c_str());
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(walk(d));
    rt::ds::close(d);
    rt::setcurrent(nullptr);
    state.SetItemsProcessed(state.iterations() * ROWS);
}
BENCHMARK(BM_WalkOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
