// The effects library on 1,000,000 rows with three CLASS variables of 10, 100 and 1000
// levels: the levelization pass with THREADS off and with CPUCOUNT=2 (counter: CLASS values
// per second), and the design-row pass (zlevrgd per observation; counter: rows per second).
// Goals: THREADS off at least 20 million CLASS values a second, CPUCOUNT=2 at least twice as
// fast as THREADS off, design rows at least 10 million rows a second. Last figures (medians of
// 7, load 4.7 to 6.7 on 8 cores): THREADS off 111 to 117 ms (26 to 27 M/s), CPUCOUNT=2 26 to
// 33 ms (3.4 to 4.3 times as fast), design rows 68 to 73 ms (14 M rows/s); see docs/effects.md.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include "host/grammar.h"
#include "proc/effects/effects_internal.h"
#include "proc/effects/workers.h"
#include "proc/framework/anchor.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/hostsvc.h"
#include "runtime/datasets/library.h"
#include "runtime/host/hostinstance.h"
#include "runtime/session.h"
#include "runtime/statements/statements.h"
#include "tests/support/classdata.h"

namespace {

constexpr int ROWS = 1000000;

struct Quiet : rt::Log {
    void line(char kind, const std::string& t) override {
        if (kind == 'E') std::fprintf(stderr, "%s\n", t.c_str());
    }
};

// One host and one parsed step over the data, for the whole run.
struct Setup {
    rt::HostInstance* host = nullptr;
    rt::Session session;
    Quiet log;
    rt::StepSource src;
    modparse mpb{};
    prsctl pctl{};
    hdataset* ds = nullptr;

    Setup() {
        std::ofstream("/tmp/vxbench_levels.csv") << testsupport::classdata(ROWS);
        host = rt::makehost();
        rt::beginstep(host);
        session.inst = &host->inst;
        session.log = &log;
        session.datadir = "/tmp";
        rt::setcurrent(&session);
        v_global_gcb_anchor = &host->inst;
        Exported_QXHandle = host->inst.kernel;
        host->step.mpb = &mpb;
        src.text = "proc vitalyx data=vxbench_levels; class c10 c100 c1000; model y = c10 c100 c1000 x;";
        src.firstline = src.firstcol = 1;
        src.procname = "VITALYX";
        session.step = &src;
        pctl.version = 1;
        pctl.tables = vyxgrammar();
        rt::stmt::services()->xsproc(&pctl, &mpb, 0, nullptr, 0, 0);
        ds = session.input;
        rt::ds::services()->xbynext(ds);
        std::remove("/tmp/vxbench_levels.csv");
    }
    stmtrec* model() const {
        for (stmtrec* r = mpb.head; r; r = r->next)
            if (std::strncmp(r->keyword, "MODEL ", 6) == 0) return r;
        return nullptr;
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

struct Model {
    levstate ls{};
    levctl ctl{};
    levdata d{};
    poolobj* pool = nullptr;
    explicit Model(Setup& s) {
        pool = xmpoolc(0, 65536, 4);
        ctl.ldata = &d;
        ctl.lstate = &ls;
        d.dsh = s.ds;
        d.ldpool = pool;
        ls.truncln = -1;
        ls.lsflags = LS_CALLERRESP;
        zlevmod(&ls, s.ds, GS_PROC_CONT, GS_PROC_CLASS, s.model(), GS_MODELEFFECTS, 0, 0);
        ls.ordcode = 'M';
        ctl.rdrewind = GetInit;
        ctl.rdnext = GetNext;
        ctl.rdvals = GetVals;
    }
    ~Model() { xmpoold(pool); }
};

// The levelization pass as the data-time driver runs it: work block, data pass (on workers
// when cpus > 0), ordered level lists and continuous ranges.
void levelize(Model& m, int cpus) {
    Setup& s = setup();
    s.session.opts.threads = cpus > 0;
    s.session.opts.cpucount = cpus > 0 ? cpus : 1;
    m.ctl.thrflag = cpus > 0;
    levwork* w = zlevini(s.ds, &m.ls);
    w->lwinit = LevGetInit;
    w->lwnext = LevGetNext;
    w->lwvals = LevGetVals;
    w->lwowner = &m.ctl;
    if (m.ctl.thrflag) zlevrinit(&m.ctl, w);
    zlevadd(s.ds, w, &m.ls);
    for (int i = 0; i < m.ls.nclassv; ++i) zlevlls(m.pool, w, &m.ls, i);
    for (int j = 0; j < m.ls.ncontv; ++j) zlevllm(m.pool, w, &m.ls, j);
    if (m.ctl.thrctl) CleanupLThreads(m.ctl.thrctl, &m.ls, 1);
    xmpoold(w->lwpool);
}

void BM_Levelization(benchmark::State& state) {
    Setup& s = setup();
    const int cpus = static_cast<int>(state.range(0));
    int64_t levels = 0;
    for (auto _ : state) {
        Model m(s);
        levelize(m, cpus);
        levels = m.ls.classv[0].nlev + m.ls.classv[1].nlev + m.ls.classv[2].nlev;
    }
    if (levels != 1110) state.SkipWithError("wrong level count");
    state.counters["class_values_per_s"] =
        benchmark::Counter(3.0 * ROWS * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Levelization)->Arg(0)->Arg(2)->ArgName("cpucount")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DesignRows(benchmark::State& state) {
    Setup& s = setup();
    s.session.opts.threads = false;
    Model m(s);
    zlevrgi(&m.ctl);
    int64_t usable = 0;
    for (auto _ : state) {
        usable = 0;
        m.ctl.rdrewind(&m.ctl);
        while (m.ctl.rdnext(&m.ctl)) usable += zlevrgd(&m.ctl, nullptr, nullptr, nullptr) == 0;
    }
    if (usable < ROWS * 98 / 100) state.SkipWithError("too few usable rows");
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(ROWS) * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DesignRows)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace {
// The floor of the threaded pass: the producer's reads alone (raw values through the readers).
void BM_ReadRaw(benchmark::State& state) {
    Setup& s = setup();
    Model m(s);
    levwork* w = zlevini(s.ds, &m.ls);
    w->lwinit = LevGetInit;
    w->lwnext = LevGetNext;
    w->lwvals = LevGetVals;
    w->lwowner = &m.ctl;
    for (auto _ : state) {
        w->lwwantfmt = static_cast<uint8_t>(state.range(0));
        w->lwinit(w, &m.ls);
        while (w->lwnext(w, &m.ls)) w->lwvals(w, &m.ls);
    }
    xmpoold(w->lwpool);
}
BENCHMARK(BM_ReadRaw)->Arg(0)->Arg(1)->ArgName("formatted")->Unit(benchmark::kMillisecond);
}  // namespace
