// Publishing a table of 1,000,000 rows to the listing, the HTML report and a MAKE data
// set. The rows stream to the destinations as they are appended; the counters report the
// growth of the resident memory over the run and the bytes written.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/outobj.h"
#include "host/stmtrec.h"
#include "proc/framework/wobmth.h"
#include "runtime/output/output.h"
#include "runtime/session.h"

namespace {

long residentkb() {
    std::ifstream f("/proc/self/statm");
    long pages = 0, resident = 0;
    f >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class NullLog : public rt::Log {
public:
    void line(char, const std::string&) override {}
};

// fresh: the files of the previous iteration are removed first (untimed), so the run measures
// writing alone; otherwise each run replaces them, as a program rerun in its folder does
// (the file system then settles the replaced files' data at the rename).
void publish(benchmark::State& state, bool fresh) {
    const long rows = state.range(0);
    // VITALYX_BENCH_OUTDIR keeps the written files in that folder, to compare them across versions.
    const char* keep = std::getenv("VITALYX_BENCH_OUTDIR");
    char tmpl[] = "/tmp/vxbench-XXXXXX";
    std::string dir = keep ? std::string(keep) : std::string(mkdtemp(tmpl));
    if (keep) std::filesystem::create_directories(dir);
    long grown = 0;
    double bytes = 0;
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            for (const char* f : {"listing.txt", "report.html", "big.csv"}) std::filesystem::remove(dir + "/" + f);
            state.ResumeTiming();
        }
        // The listing's copy on standard output goes to /dev/null while the table is written.
        std::fflush(stdout);
        int saved = dup(1), null = open("/dev/null", O_WRONLY);
        dup2(null, 1);

        rt::Session sess;
        NullLog log;
        sess.outdir = dir;
        sess.log = &log;
        rt::setcurrent(&sess);
        rt::out::beginprogram(&sess);
        rt::out::beginstep();
        const vec320* v = rt::out::services();
        obobject* env = nullptr;
        v->xobinit(&env, 0);
        wobitem c[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "manager", 7), obout(OBK_CREATED), obint(OBK_MSGGROUP, 510)};
        wobmth(env, nullptr, OB_CREATE, 4, c);
        obobject* mgr = static_cast<obobject*>(c[2].v.p);
        dsspec target{};
        std::snprintf(target.lib, sizeof target.lib, "WORK");
        std::snprintf(target.mem, sizeof target.mem, "BIG");
        wobitem mk[] = {obtext(OBK_NAME, v->rdxtxt("ProbabilityEstimates", -1)), obptr(OBK_TARGET, OBT_POINTER, &target)};
        wobmth(mgr, nullptr, OB_MAKE, 2, mk);

        wobitem t[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED), obint(OBK_PLACE, -1),
                       obtext(OBK_NAME, v->rdxtxt("ProbabilityEstimates", -1)), obtext(OBK_LABEL, v->rdxmsg(0, 554))};
        wobmth(mgr, nullptr, OB_CREATE, 6, t);
        obobject* tab = static_cast<obobject*>(t[2].v.p);
        double cells[6] = {};
        char group[10];
        const char* names[6] = {"Lifetime", "Prob", "KM", "SeKM", "Lower", "Upper"};
        for (int k = 0; k < 6; ++k) {
            wobitem col[] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, v->rdxtxt(names[k], -1)), obcell(OBK_CELL, &cells[k])};
            wobmth(tab, nullptr, OB_ADDCOL, 3, col);
        }
        wobitem g[] = {obint(OBK_KIND, COL_TEXT), obtext(OBK_NAME, v->rdxtxt("Group", -1)), obint(OBK_WIDTH, 10), obcell(OBK_CELL, group)};
        wobmth(tab, nullptr, OB_ADDCOL, 4, g);
        wobmth(tab, nullptr, OB_ENDDEF, 0, nullptr);
        wobitem b[] = {obout(OBK_POS), obobj(OBK_POS, tab), obtext(OBK_TEMPLATE, v->rdxtxt("kv.vitalyx.ProbEstimates", -1))};
        wobmth(mgr, nullptr, OB_BIND, 3, b);

        long before = residentkb();
        std::memcpy(group, "Fan 1     ", 10);
        for (long r = 0; r < rows; ++r) {
            double p = (r + 0.5) / static_cast<double>(rows);
            cells[0] = 100.0 + r * 0.37;
            cells[1] = p;
            cells[2] = 1 - p;
            cells[3] = 0.001 * (1 + (r % 97));
            cells[4] = p * 0.9;
            cells[5] = p < 0.9 ? p * 1.1 : hostmissing();
            wobmth(tab, nullptr, OB_ADDROW, 0, nullptr);
        }
        wobitem pub[] = {obidin(obid(b[0]))};
        wobmth(mgr, nullptr, OB_PUBLISH, 1, pub);
        grown = residentkb() - before;
        rt::out::endstep();
        std::string err;
        rt::out::endprogram(err);
        rt::setcurrent(nullptr);

        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        close(null);
        bytes = 0;
        for (const char* f : {"listing.txt", "report.html", "big.csv"}) bytes += std::filesystem::file_size(dir + "/" + f);
    }
    state.counters["rss_growth_kB"] = static_cast<double>(grown);
    state.counters["MB_written"] = bytes / 1e6;
    state.SetItemsProcessed(state.iterations() * rows);
    if (!keep) std::filesystem::remove_all(dir);
}
void BM_PublishMillionRows(benchmark::State& state) { publish(state, false); }
void BM_PublishMillionRowsFreshFolder(benchmark::State& state) { publish(state, true); }
BENCHMARK(BM_PublishMillionRows)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PublishMillionRowsFreshFolder)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
