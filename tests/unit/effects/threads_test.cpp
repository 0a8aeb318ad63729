// Worker threads: the levelization and combination passes give the same levels, orders,
// combination tables and (where the pass keeps them exact) counts with THREADS off and with
// 2, 4 and 8 workers; a failing worker makes the pass run again in the procedure's thread.
#include <atomic>
#include <cstdarg>
#include <map>
#include "proc/effects/workers.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/trees.h"
#include "tests/support/classdata.h"
#include "tests/unit/effects/fixture.h"

namespace efftest {
namespace {

// What a model's levelization produced: level texts in order, combination tables.
struct Result {
    std::vector<std::vector<std::string>> levels;
    std::vector<std::vector<std::vector<int32_t>>> combs;
    std::vector<int32_t> ncols;
    bool operator==(const Result&) const = default;
};

Result capture(const Model& m) {
    Result r;
    for (int i = 0; i < m.ls.nclassv; ++i) r.levels.push_back(m.levels(i));
    for (int k = 0; k < m.ls.neffect; ++k) {
        r.combs.push_back(m.ls.effects[k].combs ? m.combs(k) : std::vector<std::vector<int32_t>>{});
        r.ncols.push_back(m.ls.effects[k].ncol);
    }
    return r;
}

class Threads : public EffectsHost {
protected:
    static std::string& data(int n) {
        static std::map<int, std::string> cache;
        auto& s = cache[n];
        if (s.empty()) s = testsupport::classdata(n);
        return s;
    }
    void setup(int n) {
        writecsv("big", data(n));
        parse("proc vitalyx data=big; class c10 c100 c1000; model y = c10 c100 c1000 c10*c100 c100(c10) x;");
    }
    // cpus 0: THREADS off.
    Result run(char order, int cpus, levthrhook* hook = nullptr, char key = 0) {
        session.opts.threads = cpus > 0;
        session.opts.cpucount = cpus > 0 ? cpus : 1;
        Model& m = model(order, [&](Model& mm) {
            mm.ctl.thrflag = 1;
            mm.ctl.thrhook = hook;
            if (key)
                for (int i = 0; i < mm.ls.nclassv; ++i) mm.ls.classv[i].ordkey = key;
        });
        lastthreaded = m.ctl.thrflag;
        return capture(m);
    }
    int lastthreaded = 0;   // the last model's passes ran on workers
};

TEST_F(Threads, MillionRowsSameLevelsAndCombinationsForEveryOrderAndWorkerCount) {
    setup(1000000);
    for (char order : {'M', 'D', 'F', 'I'}) {
        const Result off = run(order, 0);
        ASSERT_EQ(off.levels[0].size(), 10u);
        ASSERT_EQ(off.levels[1].size(), 100u);
        ASSERT_EQ(off.levels[2].size(), 1000u);
        EXPECT_EQ(lastthreaded, 0);
        for (int cpus : {1, 2, 4}) {
            EXPECT_TRUE(run(order, cpus) == off) << "ORDER " << order << ", CPUCOUNT " << cpus;
            EXPECT_EQ(lastthreaded, 1);
        }
    }
    EXPECT_EQ(log.count('E'), 0) << log.all('E');
}

// The level orders the statement cannot ask for (frequency, then formatted text, data order
// or internal value) on a smaller data set, DESCENDING too.
TEST_F(Threads, InternalOrderKeysAndDescendingMatchTheSingleThreadedPass) {
    setup(30000);
    for (char key : {'X', 'Y', 'Z'}) {
        const Result off = run('M', 0, nullptr, key);
        EXPECT_TRUE(run('M', 2, nullptr, key) == off) << key;
    }
    auto desc = [](Model& m) {
        for (int i = 0; i < m.ls.nclassv; ++i) m.ls.classv[i].descflag = 1;
    };
    session.opts.threads = false;
    const Result off = capture(model('D', desc));
    session.opts.threads = true;
    session.opts.cpucount = 2;
    const Result on = capture(model('D', [&](Model& m) {
        desc(m);
        m.ctl.thrflag = 1;
    }));
    EXPECT_TRUE(on == off);
}

// The continuous ranges leave out the rows with a missing CLASS or continuous value (the
// smallest and largest x lie on such rows), unless incomplete rows are kept; the workers find
// them spread over many buffers.
TEST_F(Threads, ContinuousRangesOnTheWorkersLeaveOutIncompleteRows) {
    std::string csv = "y,c,x\n";
    for (int i = 0; i < 5000; ++i) {
        csv += "1,";
        if (i != 0 && i != 4999) csv.append("L").append(std::to_string(i % 5));
        csv += ",";
        csv += i == 0 ? "-1000" : i == 4999 ? "99999" : i == 2500 ? "" : std::to_string(i + 1);
        csv += "\n";
    }
    writecsv("r", csv);
    parse("proc vitalyx data=r; class c; model y = c x;");
    for (int keep : {0, 1})
        for (int cpus : {0, 2}) {
            session.opts.threads = cpus > 0;
            session.opts.cpucount = std::max(cpus, 1);
            Model& m = model('M', [&](Model& mm) {
                mm.ctl.thrflag = 1;
                if (keep) mm.ls.lsflags2 |= LS2_KEEPINC;
            });
            EXPECT_EQ(m.ctl.thrflag, cpus > 0 ? 1 : 0);
            const double lo = keep ? -1000 : 2, hi = keep ? 99999 : 4999;
            EXPECT_EQ(m.ls.contv[0].cloc, (hi + lo) / 2) << "keep " << keep << ", CPUCOUNT " << cpus;
            EXPECT_EQ(m.ls.contv[0].cscale, (hi - lo) / 2) << "keep " << keep << ", CPUCOUNT " << cpus;
        }
}

// Counts of the level pass itself, read from the level trees before they are finished.
std::map<std::string, int32_t> levelcounts(hdataset* ds, Model& m, int var) {
    levwork* w = zlevini(ds, &m.ls);
    w->lwinit = LevGetInit;
    w->lwnext = LevGetNext;
    w->lwvals = LevGetVals;
    w->lwowner = &m.ctl;
    if (m.ctl.thrflag) zlevrinit(&m.ctl, w);
    zlevadd(ds, w, &m.ls);
    std::map<std::string, int32_t> out;
    for (void* p = ztreord(&w->lwroot[2 * var]); p; p = ztreord(&w->lwroot[2 * var])) {
        auto* n = static_cast<levnode*>(p);
        std::string t(n->text, static_cast<size_t>(m.ls.classv[var].fmtlen));
        out[t.erase(t.find_last_not_of(' ') + 1)] = n->count;
    }
    if (m.ctl.thrctl) CleanupLThreads(m.ctl.thrctl, &m.ls, 1);
    xmpoold(w->lwpool);
    return out;
}

// A caller's own values reader, with the default one behind it: the level pass then reads the
// values through the role letters instead of the default reader's buffer.
int ownvals(levctl* ctl, const char* roles, ...) {
    void* p[8] = {};
    va_list ap;
    va_start(ap, roles);
    for (size_t k = 0; roles[k] && k < 8; ++k) p[k] = va_arg(ap, void*);
    va_end(ap);
    return GetVals(ctl, roles, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
}

// The counts are those of the pass in this thread, with the default reader and with a
// caller's own one.
TEST_F(Threads, FrequencyOrderCountsAreExactOnTheWorkers) {
    setup(50000);
    auto counts = [&](int cpus, levvalsfn vals = GetVals) {
        session.opts.threads = cpus > 0;
        session.opts.cpucount = std::max(cpus, 1);
        models.push_back(std::make_unique<Model>());
        Model& m = *models.back();
        m.d.dsh = ds;
        m.d.ldpool = host->inst.pool;
        m.ls.truncln = -1;
        m.ls.lsflags = LS_CALLERRESP;
        EXPECT_EQ(zlevmod(&m.ls, ds, GS_PROC_CONT, GS_PROC_CLASS, statement("MODEL"), GS_MODELEFFECTS, 0, 0), 0);
        m.ls.ordcode = 'F';
        for (int i = 0; i < m.ls.nclassv; ++i) m.ls.classv[i].ordkey = 'F';
        m.ctl.thrflag = cpus > 0;
        m.ctl.rdrewind = GetInit;
        m.ctl.rdnext = GetNext;
        m.ctl.rdvals = vals;
        std::vector<std::map<std::string, int32_t>> all;
        for (int v = 0; v < 3; ++v) all.push_back(levelcounts(ds, m, v));
        return all;
    };
    const auto off = counts(0);
    int64_t total = 0;
    for (const auto& [t, c] : off[0]) total += c;
    EXPECT_GT(total, 49000);   // every complete row counted once
    EXPECT_EQ(counts(2), off);
    EXPECT_EQ(counts(4), off);
    EXPECT_EQ(counts(0, ownvals), off);
    EXPECT_EQ(counts(2, ownvals), off);
}

// A fault the test injects into the first buffer a worker takes in pass `pass` (whichever
// worker that is: an idle worker takes the next buffer).
struct Fault {
    int pass, code;
    std::atomic<int> fired{0};
    static int hit(void* ctx, int pass, int, int) {
        auto* f = static_cast<Fault*>(ctx);
        if (pass != f->pass || f->fired.fetch_add(1) != 0) return 0;
        return f->code;
    }
};

TEST_F(Threads, AFailingWorkerMakesEachPassRunAgainInThisThread) {
    setup(20000);
    const Result off = run('F', 0);
    {
        Fault f{PASS_LEVELS, WF_NOMEM};
        levthrhook hook{Fault::hit, &f, 0};
        EXPECT_TRUE(run('F', 2, &hook) == off);
        EXPECT_GE(f.fired.load(), 1);
        EXPECT_TRUE(log.has('E', "ran out of memory"));
        EXPECT_TRUE(log.has('W', "reported an error"));
    }
    log.lines.clear();
    {
        // a failure in the combination pass: the pass is redone, every effect keeps its table
        Fault f{PASS_EFFECTS, WF_MATH + 2};
        levthrhook hook{Fault::hit, &f, 0};
        EXPECT_TRUE(run('F', 2, &hook) == off);
        EXPECT_GE(f.fired.load(), 1);
        EXPECT_TRUE(log.has('E', "division by zero")) << log.all('E');
    }
    log.lines.clear();
    {
        // out of memory while the workers' levels are merged: no level is lost
        levthrhook hook{nullptr, nullptr, 500};
        EXPECT_TRUE(run('F', 2, &hook) == off);
    }
}

}  // namespace
}  // namespace efftest

#include "host/vec30_supervisor.h"

namespace efftest {
namespace {

class ThreadOptions : public EffectsHost {
protected:
    // The supervisor vector with THREADS and CPUCOUNT answered by the test.
    static double threads, cpus;
    vec30 sup{};
    void answer(double t, double c) {
        threads = t;
        cpus = c;
        sup = *static_cast<const vec30*>(host->vectors[VEC_SUPERVISOR]);
        sup.xoptngt = [](const char* name, double* v) {
            *v = std::string(name) == "THREADS" ? threads : cpus;
            return 0;
        };
        host->vectors[VEC_SUPERVISOR] = &sup;
    }
};
double ThreadOptions::threads = 0, ThreadOptions::cpus = 0;

TEST_F(ThreadOptions, SystemOptionsAndTheTestSwitches) {
    uint8_t on = 0;
    int32_t n = 0;
    answer(hostmissing(), 2.9);   // a missing THREADS counts as on; CPUCOUNT is truncated
    zquerythreads(&on, &n);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(n, 2);
    answer(0, 4);
    zquerythreads(&on, &n);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(ztestthread("zlev", 4), -1);
    session.opts.testthread = "0";
    EXPECT_EQ(ztestthread("zlev", 4), 0);
    session.opts.testthreadzlev = "1";   // the larger value wins
    EXPECT_EQ(ztestthread("zlev", 4), 1);
    session.opts.testthreadzlev = ".";
    EXPECT_EQ(ztestthread("zlev", 4), 0);
}

// The switch turns the workers on although THREADS is off; CPUCOUNT 1 gives 2 workers, and
// 150 observations over 4 workers get buffers of 20 records (150 / 8 raised to 20).
TEST_F(ThreadOptions, WorkerCountAndBufferCapacity) {
    std::string s = "y,a\n";
    for (int i = 0; i < 150; ++i) s += "1,L" + std::to_string(i % 7) + "\n";
    writecsv("d", s);
    parse("proc vitalyx data=d; class a; model y = a;");
    session.opts.testthread = "1";
    for (int cpucount : {1, 2}) {
        answer(1, cpucount);
        Model& m = model('M');
        ASSERT_NE(m.ctl.thrctl, nullptr);
        EXPECT_EQ(m.ctl.thrctl->nworkers, 2 * cpucount);
        EXPECT_EQ(m.ctl.thrctl->bufcap, cpucount == 1 ? 37 : 20);
        EXPECT_EQ(m.ctl.thrflag, 1);
        EXPECT_EQ(m.levels(0).size(), 7u);
    }
}

TEST_F(ThreadOptions, PerformStatements) {
    answer(1, 3);
    stmtrec a{}, b{};
    std::memset(a.keyword, ' ', STMT_KEYLEN);
    std::memcpy(a.keyword, "PERFORM", 7);
    b = a;
    a.next = &b;
    perfrec r{};
    EXPECT_EQ(zperform(&a, &r), 0);
    EXPECT_EQ(r.stmt, &b);
    EXPECT_EQ(r.cpucount, 3);
    EXPECT_GE(r.hostcpus, 1);
    EXPECT_TRUE(log.has('W', "More than one PERFORM")) << log.all();
}

}  // namespace
}  // namespace efftest
