// The Turnbull estimate: agreement with R's npsurv, standard errors against closed forms,
// the edge cases of its set-up, iterations, polishing and status, and its tables.
#include <gtest/gtest.h>

#include <cfloat>

#include "proc/framework/optslots.h"
#include "proc/lifedist/bands.h"
#include "proc/vyxstate.h"
#include "runtime/output/program.h"
#include "tests/support/reference.h"
#include "tests/unit/nonparam/fixture.h"
#include "proc/numeric/stdquant.h"

using namespace nptest;

namespace {

class TurnbullTest : public NonparamTest {
protected:
    void SetUp() override {
        NonparamTest::SetUp();
        startoutput();
        s->optsw.quant_fn = vyxinm;
        turnbulldefaults(s);
    }
    grpnode& estimate(const std::vector<obs>& rows, bool freq, int want = 0) {
        grpnode& g = group();
        fill(&g, 2, rows, freq);
        EXPECT_EQ(vyxem(s, &g), want);
        return g;
    }
    static const double* arr(const grpnode& g, int a) { return g.emtab + a * g.nturn; }
};

// The rows of a reference set: a left end of 0 is a left-censored row, Inf a right end.
std::vector<obs> refrows(const RefTable& t) {
    std::vector<obs> rows;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        double L = t.at(i, "L"), R = t.at(i, "R");
        rows.push_back({L == 0 ? NAN : L, std::isinf(R) ? NAN : R, t.at(i, "count")});
    }
    return rows;
}

}  // namespace

// Masses of the support intervals to 1e-6 and the log-likelihood to 1e-8 against npsurv,
// on left-, right- and interval-censored rows, counts, and exact rows. Where an exact
// time sits on an interval's right end npsurv (which takes (L, R]) finds another support;
// with those right ends moved down by 1e-7 it takes the open intervals the estimate here
// takes, and the two agree.
TEST_F(TurnbullTest, AgreesWithNpsurv) {
    s->life.fit.itopts[IT_TOLLIKE] = 1e-13;
    s->life.emmaxit[EM_MAXIT] = 200000;
    const std::pair<const char*, const char*> sets[] = {
        {"cancer", "cancer"}, {"marijuana", "marijuana"}, {"ap", "ap"}, {"leukemia", "leukemia"}, {"touching", "touching_open"}};
    for (auto [data, fit] : sets) {
        SCOPED_TRACE(data);
        const RefTable rows = readRef(std::string("nonparam/turnbull_") + data + "_rows.csv");
        const RefTable ref = readRef(std::string("nonparam/turnbull_") + fit + "_npsurv.csv");
        grpnode& g = estimate(refrows(rows), true);
        EXPECT_EQ(s->life.fit.itstatus[1], 0u);
        std::vector<int> support;
        const double* q = arr(g, EMT_PROB);
        for (int k = 0; k < g.nturn; ++k)
            if (q[k] > 1e-9) support.push_back(k);
        ASSERT_EQ(support.size(), ref.rows.size());
        Worst mass;
        for (size_t i = 0; i < support.size(); ++i) {
            const int k = support[i];
            const double right = arr(g, EMT_RIGHT)[k];
            if (std::isfinite(ref.at(i, "right"))) EXPECT_NEAR(right, ref.at(i, "right"), 1e-6) << i;
            else EXPECT_EQ(right, DBL_MAX);
            mass.add(std::fabs(q[k] - ref.at(i, "p")), "interval " + std::to_string(i));
        }
        EXPECT_WORST_BELOW(mass, 1e-6);
        EXPECT_NEAR(s->life.fit.loglik.current, ref.at(0, "lldirect"), 1e-8);
        if (std::string(data) != "leukemia") {
            EXPECT_NEAR(s->life.fit.loglik.current, ref.at(0, "ll"), 1e-8);
        }
    }
    // As it stands, the touching set has its interval mass on the exact time 5 in npsurv.
    const RefTable closed = readRef("nonparam/turnbull_touching_npsurv.csv");
    const RefTable open = readRef("nonparam/turnbull_touching_open_npsurv.csv");
    EXPECT_GT(std::fabs(closed.at(0, "p") - open.at(0, "p")), 0.1);
}

// All rows exact: each distinct time is one interval of zero width with its share of the
// weight, and the standard error of F is the binomial sqrt(F(1 - F)/n).
TEST_F(TurnbullTest, ExactRowsGiveTheEmpiricalDistribution) {
    grpnode& g = estimate({{3, 3}, {1, 1}, {3, 3}, {7, 7}, {1, 1}, {4, 4}, {3, 3}, {9, 9}}, false);
    ASSERT_EQ(g.nturn, 5);
    const double times[] = {1, 3, 4, 7, 9}, counts[] = {2, 3, 1, 1, 1};
    double F = 0;
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(arr(g, EMT_LEFT)[k], times[k]);
        EXPECT_EQ(arr(g, EMT_RIGHT)[k], times[k]);
        EXPECT_NEAR(arr(g, EMT_PROB)[k], counts[k] / 8, 1e-9);
        F += counts[k] / 8;
        EXPECT_NEAR(arr(g, EMT_CUM)[k], F, 1e-9);
        EXPECT_NEAR(arr(g, EMT_SE)[k], k < 4 ? std::sqrt(F * (1 - F) / 8) : 0.0, 1e-8) << k;
    }
    EXPECT_EQ(s->life.fit.itstatus[1], 0u);
}

// Exact and right-censored rows: the estimate is the product limit and its standard
// errors are Greenwood's (aml, both arms, against survfit).
TEST_F(TurnbullTest, RightCensoredRowsGiveTheProductLimitWithGreenwoodErrors) {
    s->life.fit.itopts[IT_TOLLIKE] = 1e-13;
    const RefTable data = readRef("nonparam/aml_rows.csv");
    const RefTable ref = readRef("nonparam/aml_productlimit.csv");
    std::vector<obs> rows;
    for (size_t i = 0; i < data.rows.size(); ++i) {
        const double t = data.at(i, "time");
        rows.push_back({t, data.at(i, "status") == 1 ? t : NAN});
    }
    grpnode& g = estimate(rows, false);
    Worst f, se;
    for (size_t j = 0; j < ref.rows.size(); ++j) {
        const double t = ref.at(j, "time");
        int k = 0;
        while (k < g.nturn && arr(g, EMT_RIGHT)[k] != t) ++k;
        ASSERT_LT(k, g.nturn) << t;
        f.add(std::fabs(arr(g, EMT_CUM)[k] - (1 - ref.at(j, "surv"))), "time " + std::to_string(t));
        if (k + 1 < g.nturn) se.add(std::fabs(arr(g, EMT_SE)[k] - ref.at(j, "se")), "time " + std::to_string(t));
    }
    EXPECT_WORST_BELOW(f, 1e-6);
    EXPECT_WORST_BELOW(se, 1e-7);
}

// Ends closer than 4E are one exact value at the upper end; an exact time on an
// interval's left end is not inside the interval, also at 0 and for negative ends (log
// times below 1), where moving ends by a factor would move them outwards or not at all.
TEST_F(TurnbullTest, EndsMoveInwardOnTheNumberLine) {
    grpnode& close = estimate({{5, 5 + 1e-14}, {6, 6}}, false);
    ASSERT_EQ(close.nturn, 2);
    EXPECT_EQ(arr(close, EMT_LEFT)[0], 5 + 1e-14);
    for (double t : {std::log(0.5), 0.0, 2.0}) {
        SCOPED_TRACE(t);
        grpnode& g = estimate({{t, t}, {t, t + 0.4}}, false);
        ASSERT_EQ(g.nturn, 2);
        EXPECT_NEAR(arr(g, EMT_PROB)[0], 0.5, 1e-9);
        EXPECT_NEAR(arr(g, EMT_PROB)[1], 0.5, 1e-9);
        EXPECT_GT(arr(g, EMT_LEFT)[1], t);
    }
}

// One Turnbull interval: the plotted probabilities run from 0 to 1 and the times over
// x -/+ 0.5|x|.
TEST_F(TurnbullTest, SingleInterval) {
    grpnode& g = estimate({{NAN, 8}, {2, 8}, {4, NAN}}, false);
    ASSERT_EQ(g.nturn, 1);
    EXPECT_EQ(g.pmin, 0.0);
    EXPECT_EQ(g.pmax, 1.0);
    const double x = arr(g, EMT_RIGHT)[0];
    EXPECT_DOUBLE_EQ(g.ptmin, x - 0.5 * std::fabs(x));
    EXPECT_DOUBLE_EQ(g.ptmax, x + 0.5 * std::fabs(x));
}

// MAXITEM=0 stops before convergence: status 2 with 510/822. Starting masses that leave
// an interval of the maximum-likelihood support empty converge to a point where its
// multiplier is negative: status 1 with 510/544 although the iterations converged. A
// starting mass that is not a number is refused instead of iterated (510/2222, not the
// MAXITEM= of 510/822).
TEST_F(TurnbullTest, StatusOfTheIterations) {
    // Intervals [0, 1], [2, 4], [5, 6]; the middle one is covered by four of six rows.
    const std::vector<obs> rows = {{NAN, 1, 1}, {0, 4, 2}, {2, 6, 2}, {5, NAN, 1}};
    s->life.emmaxit[EM_MAXIT] = 0;
    estimate(rows, true);
    EXPECT_EQ(s->life.fit.itstatus[1], 2u);
    EXPECT_TRUE(log.has("made no iteration: MAXITEM=0 allows none"));

    s->life.emmaxit[EM_MAXIT] = 10000;
    stmtrec rec{};
    optslot slots[slot::plot::PROBLIST + 1]{};
    double start[] = {1, 0, 1};
    slots[slot::plot::PROBLIST].given = 1;
    slots[slot::plot::PROBLIST].kind = SK_NUMLIST;
    slots[slot::plot::PROBLIST].count = 3;
    slots[slot::plot::PROBLIST].ptr = start;
    rec.highest = slot::plot::PROBLIST;
    rec.slots = slots;
    s->inwork.curstmt = &rec;
    grpnode& g = estimate(rows, true);
    ASSERT_EQ(g.nturn, 3);
    EXPECT_EQ(arr(g, EMT_PROB)[1], 0.0);
    EXPECT_LT(arr(g, EMT_MULT)[1], 0.0);
    EXPECT_EQ(s->life.fit.itstatus[1], 1u);
    EXPECT_TRUE(log.has("Kuhn-Tucker"));

    // A negative starting mass would stay negative, and the estimate would pass 1: equal masses
    // are used instead, with a WARNING naming the value.
    start[1] = -0.5;
    log.lines.clear();
    grpnode& neg = estimate(rows, true);
    EXPECT_TRUE(log.has("PROBLIST= gives the starting probability -0.5"));
    for (int32_t k = 0; k < neg.nturn; ++k) {
        EXPECT_GE(arr(neg, EMT_PROB)[k], 0.0);
        EXPECT_LE(arr(neg, EMT_PROB)[k], 1.0);
    }
    EXPECT_EQ(s->life.fit.itstatus[1], 0u);

    start[1] = NAN;
    log.lines.clear();
    estimate(rows, true);
    EXPECT_EQ(s->life.fit.itstatus[1], 2u);
    EXPECT_TRUE(log.has("stopped before its first full iteration: some observations have almost no probability under its "
                        "masses, or none that is a number"));
    EXPECT_FALSE(log.has("MAXITEM=0"));
    s->inwork.curstmt = nullptr;
}

// With NOPOLISH the small masses stay as the EM left them; with polishing the masses
// below TOLPROB x W are 0.
TEST_F(TurnbullTest, PolishingSetsSmallMassesToZero) {
    const std::vector<obs> rows = {{NAN, 2}, {1, 4}, {3, 6}, {5, NAN}, {2, 7}, {1, 3}, {4, 8}};
    s->life.emflags[EMF_POLISH] = 0;
    grpnode& raw = estimate(rows, false);
    int small = 0;
    for (int k = 0; k < raw.nturn; ++k) small += arr(raw, EMT_PROB)[k] > 0 && arr(raw, EMT_PROB)[k] < 1e-6;
    EXPECT_EQ(small, 2);
    s->life.emflags[EMF_POLISH] = 1;
    grpnode& pol = estimate(rows, false);
    for (int k = 0; k < pol.nturn; ++k) EXPECT_TRUE(arr(pol, EMT_PROB)[k] == 0 || arr(pol, EMT_PROB)[k] >= 1e-6) << k;
    EXPECT_EQ(s->life.fit.itstatus[1], 0u);
}

// A group whose rows cannot be read back stops with the read error; nothing runs on it.
TEST_F(TurnbullTest, FailedSetUpStopsTheGroup) {
    std::vector<obs> rows;
    for (int i = 0; i < 250; ++i) rows.push_back({double(i % 7), double(i % 7 + 2)});
    grpnode& g = group();
    fill(&g, 2, rows, false, true);
    g.nobs += 100;
    EXPECT_EQ(vyxem(s, &g), RC_READ);
    EXPECT_TRUE(log.has("ended before"));
    EXPECT_EQ(g.nturn, 0);
}

// Simultaneous limits: the band factor from the data's band ends, limits around F that
// never cross it and never decrease along the curve.
TEST_F(TurnbullTest, SimultaneousLimits) {
    s->poptw.plotcodes[PC_NPINTERVALS] = 1;
    std::vector<obs> rows;
    for (int i = 0; i < 60; ++i) rows.push_back({double(i % 11), double(i % 11 + 1 + i % 3)});
    for (int i = 0; i < 10; ++i) rows.push_back({double(i), NAN});
    grpnode& g = estimate(rows, false);
    const int m = g.nturn;
    const double* F = arr(g, EMT_CUM);
    const double* se = arr(g, EMT_SE);
    auto a = [&](int k) {
        const double v = g.totw * se[k] * se[k] / ((1 - F[k]) * (1 - F[k]));
        return v / (1 + v);
    };
    EXPECT_NEAR(s->life.simfactor, simconfact(a(0), a(m - 2), 0.05), 1e-12);
    double prevlo = 0;
    for (int k = 0; k + 1 < m; ++k) {
        const double lo = arr(g, EMT_SIMLOWER)[k], up = arr(g, EMT_SIMUPPER)[k];
        if (std::isnan(lo)) continue;
        EXPECT_LE(lo, F[k] + 1e-12);
        EXPECT_GE(up, F[k] - 1e-12);
        EXPECT_GE(lo, prevlo);
        EXPECT_LE(lo, arr(g, EMT_LOWER)[k] + 1e-12);
        prevlo = lo;
    }
}

// The history table names end in the group count with class variables (1 for the first
// group) and carry no number without; rows appear for iterations 0, 10, 20, ... and the
// converged one; the status table follows.
TEST_F(TurnbullTest, HistoryAndStatusTables) {
    s->life.emflags[EMF_ITPRINTEM] = 1;
    s->life.emflags[EMF_PRINTPROBS] = 1;
    const std::vector<obs> rows = {{NAN, 2}, {1, 4}, {3, 6}, {5, NAN}, {2, 7}, {1, 3}, {4, 8}};
    estimate(rows, false);
    s->groups.nclass = 1;
    s->groups.grpcount[0] = 0;
    s->groups.grpcolw = 4;
    std::memcpy(s->row.grplabel, "A   ", 4);
    s->row.grplablen = 1;
    estimate(rows, false);
    std::vector<std::string> names;
    for (const auto& d : rt::out::program()->datas) names.push_back(d->name);
    EXPECT_EQ(names, (std::vector<std::string>{"IterEM", "TConvergenceStatus", "IterEM1", "TConvergenceStatus1"}));
    const std::string out = listing();
    // The first history: 0, 10, 20, ... up to the converged iteration, then the polishing run
    // from 0 again.
    std::istringstream in(out);
    std::vector<int> iters;
    for (std::string line; std::getline(in, line);) {
        if (line.find("Convergence") != std::string::npos) break;
        int it;
        if (std::sscanf(line.c_str(), " %d ", &it) == 1) iters.push_back(it);
    }
    ASSERT_GT(iters.size(), 3u);
    size_t restart = 1;
    while (restart < iters.size() && iters[restart] > iters[restart - 1]) ++restart;
    ASSERT_LT(restart, iters.size());
    for (size_t i = 0; i + 1 < restart; ++i) EXPECT_EQ(iters[i], static_cast<int>(10 * i));
    EXPECT_GT(iters[restart - 1], iters[restart - 2]);
    EXPECT_EQ(iters[restart], 0);
    EXPECT_NE(out.find("converged"), std::string::npos) << out;
    // Its own heading, apart from the maximum-likelihood fit's "Convergence Status".
    EXPECT_NE(out.find("Turnbull Estimate Convergence Status"), std::string::npos) << out;
}

// Without memory for the information matrix: 510/543 and a note, standard errors 0, and
// pointwise limits equal to F.
TEST_F(TurnbullTest, NoMemoryForTheInformationMatrix) {
    std::vector<obs> rows;
    for (int i = 0; i < 60; ++i) rows.push_back({double(i), double(i) + 0.5 + (i % 3)});
    limitpool_to(10000);
    grpnode& g = estimate(rows, false);
    ASSERT_GT((int64_t(g.nturn) * (g.nturn + 1) / 2 + 2 * g.nturn) * 8, 10000);
    EXPECT_TRUE(log.has("information matrix"));
    for (int k = 0; k < g.nturn; ++k) {
        EXPECT_EQ(arr(g, EMT_SE)[k], 0.0);
        EXPECT_EQ(arr(g, EMT_LOWER)[k], arr(g, EMT_CUM)[k]);
        EXPECT_EQ(arr(g, EMT_UPPER)[k], arr(g, EMT_CUM)[k]);
    }
}
