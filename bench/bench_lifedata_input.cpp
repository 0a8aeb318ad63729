// The input pass of ANALYZE against the data-set pass alone, over a million right-censored
// rows with a FREQ variable, one class variable of three levels and ten BY groups.
//   BM_DataSetPass   reads the CSV into columns and walks every BY group through get lists
//   BM_InputPass     runs the program: the same read, the options and the BY-group input of
//                    ANALYZE into class groups and rows (utility files), the level ordering
//                    and the two input tables of every BY group
//   BM_InputPassLongClass, BM_InputPassNumClass
//                    the same with the class variable of 23 characters (the whole value read
//                    and compared beside the 16-character key) or numeric (its number compared)
//   BM_InputAndSort  the same, then every group sorted by time (host sort of its file) and
//                    its product-limit curve
// Counters: bytes per second over the file, and the peak memory as a multiple of the file
// size (peak_over_file). Goals: the input pass at least half the speed of the data-set pass,
// memory below five times the file.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "bench/benchmem.h"
#include "host/hostdefs.h"
#include "host/module.h"
#include "proc/framework/clsorder.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "runtime/datasets/library.h"
#include "runtime/runner/program.h"
#include "runtime/session.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace {

constexpr int64_t ROWS = 1000000;

// plant (10 BY groups, sorted), lot (3 levels), hours (Weibull, censored at 3000), status
// (0 censored), count (FREQ 1 to 5); the lot again as a text of 23 characters whose first 16
// tell the levels apart (lotlong), and as a number (lotnum).
uint64_t writedata(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    static char buf[1 << 20];
    std::setvbuf(f, buf, _IOFBF, sizeof buf);
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::fputs("plant,lot,hours,status,count,lotlong,lotnum\n", f);
    for (int64_t i = 0; i < ROWS; ++i) {
        const int plant = static_cast<int>(i * 10 / ROWS) + 1;
        const int lot = static_cast<int>(u(gen) * 3) + 1;
        double t = 2000.0 * std::pow(-std::log1p(-u(gen)), 1 / 1.5);
        int status = 1;
        if (t > 3000) t = 3000, status = 0;
        const int count = static_cast<int>(u(gen) * 5) + 1;
        std::fprintf(f, "%d,L%d,%.3f,%d,%d,Line-%d-Production-North,%d.5\n", plant, lot, t, status, count, lot, lot);
    }
    const long size = std::ftell(f);
    std::fclose(f);
    return size > 0 ? static_cast<uint64_t>(size) : 0;
}

struct File {
    std::string dir = "/tmp";
    uint64_t bytes = writedata(dir + "/lifeinput.csv");
    ~File() { std::remove((dir + "/lifeinput.csv").c_str()); }
};
const File& file() {
    static File f;
    return f;
}

using benchmem::resetpeak;
using benchmem::status;

struct Quiet : rt::Log {
    void line(char kind, const std::string& t) override {
        if (kind == 'E') std::fprintf(stderr, "%s\n", t.c_str());
    }
};

bool g_sort = false;   // BM_InputAndSort: sort and estimate every group too
const char* g_class = "lot";   // the class variable of the program
int64_t g_used = 0;

void report(benchmark::State& state, double peak) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file().bytes));
    state.counters["file_MB"] = static_cast<double>(file().bytes) / 1e6;
    state.counters["peak_over_file"] = peak / static_cast<double>(file().bytes);
}

void BM_DataSetPass(benchmark::State& state) {
    const File& f = file();
    rt::Session s;
    s.datadir = f.dir;
    Quiet log;
    s.log = &log;
    rt::setcurrent(&s);
    double peak = 0;
    for (auto _ : state) {
        const long base = status("VmRSS:");
        resetpeak();
        std::string err;
        hdataset* d = rt::ds::open(s, "", "lifeinput", err);
        if (!d) {
            state.SkipWithError(err.c_str());
            break;
        }
        const vec203& v = *rt::ds::services();
        struct {
            double hours, status, count;
            char lot[16], lotraw[16];
        } c;
        hgetlist* l = nullptr;
        v.xvgeti(d, 5, &l);
        v.xvgetd(l, rt::ds::findvar(d, "hours"), 0, &c.hours, 8, GET_RAW, 0, 0);
        v.xvgetd(l, rt::ds::findvar(d, "status"), 0, &c.status, 8, GET_RAW, 0, 0);
        v.xvgetd(l, rt::ds::findvar(d, "count"), 0, &c.count, 8, GET_RAW, 0, 0);
        v.xvgetd(l, rt::ds::findvar(d, "lot"), 0, c.lot, 16, GET_FORMATTED, 0, 0);
        v.xvgetd(l, rt::ds::findvar(d, "lot"), 0, c.lotraw, 16, GET_RAW, 0, 0);
        v.xvgete(l);
        rt::ds::setby(d, {{rt::ds::findvar(d, "plant"), false}}, false);
        double w = 0;
        while (v.xbynext(d)) {
            v.xbyrwnd(d, 66);
            while (v.xybyget(d) == 0) {
                v.xyvget(l, nullptr);
                if (c.status != 0) w += c.count;
            }
        }
        benchmark::DoNotOptimize(w);
        peak = std::max(peak, static_cast<double>(status("VmHWM:") - base) * 1024.0);
        rt::ds::close(d);
    }
    rt::setcurrent(nullptr);
    report(state, peak);
}

void runprogram(benchmark::State& state) {
    const File& f = file();
    double peak = 0;
    for (auto _ : state) {
        const long base = status("VmRSS:");
        resetpeak();
        Quiet log;
        rt::Session s;
        s.datadir = f.dir;
        s.outdir = "/tmp/lifeinput-out";
        s.log = &log;
        rt::runner::Config cfg;
        cfg.linked = mcn_main;
        g_used = 0;
        const int rc = rt::runner::run("proc vitalyx data=lifeinput;\n by plant;\n freq count;\n distribution weibull;\n"
                                       " analyze hours*status(0) = " + std::string(g_class) + ";\nrun;\n",
                                       s, cfg);
        peak = std::max(peak, static_cast<double>(status("VmHWM:") - base) * 1024.0);
        if (rc != 0 || g_used != ROWS) {
            state.SkipWithError("the program failed or did not use every row");
            break;
        }
    }
    report(state, peak);
}

void BM_InputPass(benchmark::State& state) {
    g_sort = false;
    g_class = "lot";
    runprogram(state);
}

void BM_InputPassLongClass(benchmark::State& state) {
    g_sort = false;
    g_class = "lotlong";
    runprogram(state);
}

void BM_InputPassNumClass(benchmark::State& state) {
    g_sort = false;
    g_class = "lotnum";
    runprogram(state);
}

void BM_InputAndSort(benchmark::State& state) {
    g_sort = true;
    g_class = "lot";
    runprogram(state);
}

BENCHMARK(BM_DataSetPass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InputPass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InputPassLongClass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InputPassNumClass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InputAndSort)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// The ANALYZE statement of these benchmarks: its options and input (and, for
// BM_InputAndSort, the sort and curve of every group); no fits.
int vyxanlz(vyxstate* s) {
    if (int rc = vyxaprm(s)) return rc;
    if (int rc = vyxin(s)) return rc;
    if (int rc = vyxclst(s)) return rc;
    if (int rc = vyxordr(s)) return rc;
    g_used += s->inwork.nobscnt[1];
    if (g_sort) {
        s->pools.workpool = xmpoolc(8192, 8192, 4);
        vyxscl(s);
        xmpoold(s->pools.workpool);
        s->pools.workpool = nullptr;
    }
    return 0;
}
