// The Turnbull iterations against the estimate's own definition, and on several threads.
// One thread: the iterations of the observation-by-interval incidence matrix, run row by row
// as written (a plain loop here), stop at the same iteration with the same masses. Several
// threads (CPUCOUNT): the same digits as one thread, for groups large enough to be split.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "bench/intervaldata_gen.h"
#include "proc/framework/optslots.h"
#include "proc/numeric/stdquant.h"
#include "tests/unit/nonparam/fixture.h"

using namespace nptest;

namespace {

constexpr double E = 1000 * 1.110223024625157e-16;

class TurnbullThreads : public NonparamTest {
protected:
    void SetUp() override {
        NonparamTest::SetUp();
        s->optsw.quant_fn = vyxinm;
        turnbulldefaults(s);
    }
    // Interval rows of the benchmark's inspection scheme, ends on a grid of the resolution.
    static std::vector<obs> inspected(int64_t n, double resolution, uint64_t seed) {
        std::vector<obs> rows;
        for (const auto& r : benchgen::intervaldata(n, seed)) {
            auto snap = [&](double x) { return std::isnan(x) ? x : std::round(x / resolution) * resolution; };
            rows.push_back({snap(r.lower), snap(r.upper), 1.0 + static_cast<double>(rows.size() % 3)});
        }
        return rows;
    }
    struct result {
        uint32_t iter, status;
        double loglik;
        std::vector<double> tab;   // every array of the interval table
    };
    result run(const std::vector<obs>& rows, int cpucount, bool threads = true) {
        session.opts.cpucount = cpucount;
        session.opts.threads = threads;
        grpnode& g = group();
        fill(&g, 2, rows, true);
        EXPECT_EQ(vyxem(s, &g), 0);
        result r{s->life.fit.itstatus[0], s->life.fit.itstatus[1], s->life.fit.loglik.current, {}};
        r.tab.assign(g.emtab, g.emtab + int64_t(EMT_ARRAYS) * g.nturn);
        return r;
    }
    // Every digit of the interval table, the stop and the log-likelihood alike.
    static void samedigits(const result& a, const result& b) {
        EXPECT_EQ(a.iter, b.iter);
        EXPECT_EQ(a.status, b.status);
        EXPECT_EQ(a.loglik, b.loglik);
        ASSERT_EQ(a.tab.size(), b.tab.size());
        for (size_t i = 0; i < a.tab.size(); ++i)
            if (!(std::isnan(a.tab[i]) && std::isnan(b.tab[i]))) {
                ASSERT_EQ(a.tab[i], b.tab[i]) << i;
            }
    }
};

// The EM of the incidence matrix as the estimate defines it: rows in their order, each
// row's mass summed over its intervals in order, until the change of the log-likelihood is
// below the tolerance. The masses at the end are those whose log-likelihood is ll.
struct literal {
    int it = 0;
    bool converged = false;
    double ll = 0;
    std::vector<double> p;
};
literal literalem(const std::vector<obs>& rows, const double* left, const double* right, int m, double W,
                  int maxit, double tol) {
    // Ends moved inwards by E as the incidence is tested (relative beyond 1).
    auto in = [](double a, double b, double* lo, double* hi) {
        if (std::isnan(a)) {
            *lo = -DBL_MAX;
            *hi = b - E * std::max(std::fabs(b), 1.0);
        } else if (std::isnan(b)) {
            *hi = DBL_MAX;
            *lo = a + E * std::max(std::fabs(a), 1.0);
        } else if (a != b && std::fabs(a - b) >= 4 * E * std::max({std::fabs(a), std::fabs(b), 1.0})) {
            *lo = a + E * std::max(std::fabs(a), 1.0);
            *hi = b - E * std::max(std::fabs(b), 1.0);
        } else {
            *lo = *hi = b;
        }
    };
    std::vector<unsigned char> inc(rows.size() * size_t(m));
    for (size_t i = 0; i < rows.size(); ++i) {
        double lo, hi;
        in(rows[i].a, rows[i].b, &lo, &hi);
        for (int k = 0; k < m; ++k) inc[i * m + k] = lo <= left[k] && right[k] <= hi;
    }
    literal r;
    r.p.assign(size_t(m), W / m);
    std::vector<double> next(static_cast<size_t>(m)), start(static_cast<size_t>(m));
    double prev = 0;
    for (int it = 0; it <= maxit; ++it) {
        std::fill(next.begin(), next.end(), 0.0);
        start = r.p;
        prev = r.ll;
        double ll = -W * std::log(W);
        for (size_t i = 0; i < rows.size(); ++i) {
            double D = 0;
            for (int k = 0; k < m; ++k)
                if (inc[i * m + k]) D += r.p[size_t(k)];
            ll += rows[i].w * std::log(D);
            for (int k = 0; k < m; ++k)
                if (inc[i * m + k]) next[size_t(k)] += r.p[size_t(k)] * (rows[i].w / D);
        }
        r.ll = ll;
        r.p = next;
        r.it = it;
        if (it >= 1 && std::fabs(ll - prev) < tol) {
            r.converged = true;
            break;
        }
    }
    r.p = start;
    return r;
}

}  // namespace

// One thread against the definition. Stopped at MAXITEM, both have made the same iterations:
// the same log-likelihood (1e-10, relative) and masses (1e-12). Run to convergence, they
// stop within 0.5 % of each other's iterations, with masses equal to 1e-6, far below the
// printed digits: the sums are not taken in the same order, and near convergence the
// change of the log-likelihood shrinks by a factor so close to 1 from one iteration to the
// next that a difference in its last digits moves the iteration on which it falls below
// TOLLIKE (2228 against 2226, 5575 against 5563 here). Without polishing, so that the
// table's masses are those of the one EM run.
TEST_F(TurnbullThreads, OneThreadFollowsTheDefinition) {
    s->life.emflags[EMF_POLISH] = 0;
    for (double resolution : {2.0, 1.0}) {
        for (bool toend : {false, true}) {
            SCOPED_TRACE(testing::Message() << resolution << (toend ? " to convergence" : " to MAXITEM"));
            s->life.emmaxit[EM_MAXIT] = toend ? 10000 : 300;
            s->life.fit.itopts[IT_TOLLIKE] = toend ? 1e-8 : 1e-300;
            const std::vector<obs> rows = inspected(1500, resolution, 11);
            const result one = run(rows, 1);
            const int m = static_cast<int>(one.tab.size() / EMT_ARRAYS);
            double W = 0;
            for (const obs& o : rows) W += o.w;
            const literal ref = literalem(rows, one.tab.data() + EMT_LEFT * m, one.tab.data() + EMT_RIGHT * m, m,
                                          W, s->life.emmaxit[EM_MAXIT], s->life.fit.itopts[IT_TOLLIKE]);
            EXPECT_EQ(ref.converged, toend);
            EXPECT_EQ(one.status, toend ? 0u : 2u);
            if (toend) EXPECT_NEAR(one.iter, ref.it, 0.005 * ref.it);
            else EXPECT_EQ(one.iter, static_cast<uint32_t>(ref.it));
            EXPECT_NEAR(one.loglik, ref.ll, 1e-10 * std::fabs(ref.ll));
            for (int k = 0; k < m; ++k) {
                const double q = ref.p[size_t(k)] < E * W ? 0.0 : ref.p[size_t(k)] / W;
                EXPECT_NEAR(one.tab[size_t(EMT_PROB * m + k)], q, toend ? 1e-6 : 1e-12) << k;
            }
        }
    }
}

// A group of some 15,000 distinct runs (several parts): 2, 3 and 8 threads, and THREADS off,
// give the digits of one thread, through the iterations, polishing, standard errors and
// limits; a run to MAXITEM and one to convergence.
TEST_F(TurnbullThreads, SeveralThreadsGiveTheOneThreadDigits) {
    const std::vector<obs> rows = inspected(40000, 0.2, 3);
    std::set<std::pair<double, double>> distinct;
    for (const obs& o : rows) distinct.insert({std::isnan(o.a) ? -1 : o.a, std::isnan(o.b) ? -1 : o.b});
    ASSERT_GT(distinct.size(), 3 * 4096u);   // several parts of runs
    for (int maxit : {150, 100000}) {
        SCOPED_TRACE(maxit);
        s->life.emmaxit[EM_MAXIT] = maxit;
        s->life.fit.itopts[IT_TOLLIKE] = maxit > 1000 ? 1e-4 : 1e-8;
        const result one = run(rows, 1);
        EXPECT_EQ(one.status, maxit > 1000 ? 0u : 2u);
        for (int cpus : {2, 3, 8}) {
            SCOPED_TRACE(cpus);
            samedigits(run(rows, cpus), one);
        }
        samedigits(run(rows, 8, false), one);
    }
}

// A run without mass stops the iterations where it comes, in a part after the first: the parts
// before it and its own runs before it make the gradient, with any number of threads.
TEST_F(TurnbullThreads, SeveralThreadsStopAtARunWithoutMassAsOneThreadDoes) {
    std::vector<obs> rows = inspected(40000, 0.2, 3);
    rows.push_back({61.05, 61.05, 1.0});   // an exact time off the grid: an interval of its own
    s->life.emmaxit[EM_MAXIT] = 0;
    grpnode& g = group();
    fill(&g, 2, rows, true);
    ASSERT_EQ(vyxem(s, &g), 0);
    const int32_t m = g.nturn;
    const double* left = g.emtab + EMT_LEFT * m;
    int32_t k = 0;
    while (k < m && left[k] < 61.0) ++k;
    ASSERT_LT(k, m);
    ASSERT_EQ(left[k], 61.05);
    ASSERT_GT(k, m / 4);   // its run lies beyond the first part
    std::vector<double> start(m, 1.0);
    start[k] = 0;   // the run of the exact time has no mass
    stmtrec rec{};
    optslot slots[slot::plot::PROBLIST + 1]{};
    slots[slot::plot::PROBLIST].given = 1;
    slots[slot::plot::PROBLIST].kind = SK_NUMLIST;
    slots[slot::plot::PROBLIST].count = m;
    slots[slot::plot::PROBLIST].ptr = start.data();
    rec.highest = slot::plot::PROBLIST;
    rec.slots = slots;
    s->inwork.curstmt = &rec;
    s->life.emmaxit[EM_MAXIT] = 100;
    const result one = run(rows, 1);
    EXPECT_EQ(one.iter, 0u);
    EXPECT_EQ(one.status, 2u);
    for (int cpus : {3, 8}) {
        SCOPED_TRACE(cpus);
        samedigits(run(rows, cpus), one);
    }
    s->inwork.curstmt = nullptr;
}

// Iterations whose EM gain is surely above TOLLIKE compute no log-likelihood; with ITPRINTEM
// every iteration computes it for the history. The two give the same digits: the same stop,
// log-likelihood, masses, standard errors and limits.
TEST_F(TurnbullThreads, LogLikelihoodLeftOutChangesNoDigit) {
    startoutput();
    for (double resolution : {2.0, 1.0}) {
        SCOPED_TRACE(resolution);
        const std::vector<obs> rows = inspected(1500, resolution, 11);
        s->life.emflags[EMF_ITPRINTEM] = 0;
        const result plain = run(rows, 1);
        s->life.emflags[EMF_ITPRINTEM] = 1;
        const result history = run(rows, 1);
        EXPECT_EQ(plain.status, 0u);
        samedigits(history, plain);
    }
}
