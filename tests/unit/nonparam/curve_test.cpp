// The nonparametric curve: product-limit and Greenwood values against R's survfit, the
// Nelson-Aalen hazard, adjusted ranks, READOUT life tables, the box statistics, Weibayes
// and the curve file.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "proc/lifedist/bands.h"
#include "proc/lifedist/curve.h"
#include "runtime/files/utilfile.h"
#include "tests/support/reference.h"
#include "tests/unit/nonparam/fixture.h"
#include "proc/numeric/stdquant.h"

using namespace nptest;

namespace {

// The rows of a public data set, sorted by time with failures before censorings.
std::vector<obs> sortedrows(const RefTable& t) {
    std::vector<obs> rows;
    for (size_t i = 0; i < t.rows.size(); ++i)
        rows.push_back({t.at(i, "time"), t.at(i, "status") == 1 ? 0.0 : -1.0, 1.0});
    std::stable_sort(rows.begin(), rows.end(), [](const obs& x, const obs& y) {
        return x.a < y.a || (x.a == y.a && x.b > y.b);
    });
    return rows;
}

// The same rows with equal (time, code) pairs folded into one weighted row.
std::vector<obs> folded(const std::vector<obs>& rows) {
    std::vector<obs> out;
    for (const obs& o : rows) {
        if (!out.empty() && out.back().a == o.a && out.back().b == o.b)
            out.back().w += o.w;
        else
            out.push_back(o);
    }
    return out;
}

class CurveTest : public NonparamTest {
protected:
    void SetUp() override {
        NonparamTest::SetUp();
        s->life.ppos_fn = vyxkm;
        s->life.pposcode = 3;
        s->optsw.quant_fn = vyxiwb;
        s->work.fitmethod = 1;
    }
};

}  // namespace

// Each failure time of aml (pooled) and lung: 1 - S and its Greenwood standard error at
// the last record of the time, with tied failures on rows of their own and folded into one
// weighted row; the Nelson-Aalen hazard row by row is survfit's ctype = 2, and folded
// rows give ctype = 1.
TEST_F(CurveTest, ProductLimitAndNelsonAalenAgreeWithSurvfit) {
    for (const char* name : {"aml", "lung"}) {
        const RefTable data = readRef(std::string("nonparam/") + name + "_rows.csv");
        const RefTable ref = readRef(std::string("nonparam/") + name + "_productlimit.csv");
        for (bool fold : {false, true}) {
            SCOPED_TRACE(std::string(name) + (fold ? " folded" : " row by row"));
            s->life.ppos_fn = vyxna;
            s->life.pposcode = 5;
            grpnode& g = group();
            std::vector<obs> rows = sortedrows(data);
            if (fold) rows = folded(rows);
            fill(&g, 1, rows, fold);
            ASSERT_EQ(vyxcrv(s, &g), 0);
            auto recs = curve(&g);
            ASSERT_EQ(g.ncurve, static_cast<int32_t>(fold ? ref.rows.size() : g.wfail));
            std::map<double, size_t> last;
            for (size_t i = 0; i < recs.size(); ++i) last[recs[i][CR_TIME]] = i;
            Worst f, se, h, hsd;
            for (size_t k = 0; k < ref.rows.size(); ++k) {
                const auto& r = recs[last.at(ref.at(k, "time"))];
                std::string at = "time " + std::to_string(ref.at(k, "time"));
                f.add(std::fabs(r[CR_F] - (1 - ref.at(k, "surv"))), at);
                // The Greenwood error comes from kmacc; in NA mode word 3 holds the hazard's.
                h.add(std::fabs(r[CR_CUMHAZ] - ref.at(k, fold ? "cumhaz1" : "cumhaz2")), at);
                hsd.add(std::fabs(r[CR_CUMHAZSD] - ref.at(k, fold ? "sdhaz1" : "sdhaz2")), at);
                EXPECT_NEAR(r[CR_SE], std::exp(-r[CR_CUMHAZ]) * r[CR_CUMHAZSD], 1e-15);
            }
            EXPECT_WORST_BELOW(f, 1e-12);
            EXPECT_WORST_BELOW(h, 1e-12);
            EXPECT_WORST_BELOW(hsd, 1e-12);

            s->life.ppos_fn = vyxkm;
            s->life.pposcode = 3;
            grpnode& k = group();
            fill(&k, 1, rows, fold);
            ASSERT_EQ(vyxcrv(s, &k), 0);
            recs = curve(&k);
            for (size_t i = 0; i < recs.size(); ++i) last[recs[i][CR_TIME]] = i;
            for (size_t j = 0; j < ref.rows.size(); ++j) {
                const auto& r = recs[last.at(ref.at(j, "time"))];
                se.add(std::fabs(r[CR_SE] - ref.at(j, "se")), "time " + std::to_string(ref.at(j, "time")));
                EXPECT_NEAR(r[CR_PPOS], r[CR_F], 1e-13);
            }
            EXPECT_WORST_BELOW(se, 1e-12);
        }
    }
}

// A last failure that takes every remaining unit: S = 0, standard error 0, the Greenwood
// sum unchanged, and no limits at F = 1.
TEST_F(CurveTest, AllRemainingUnitsFailing) {
    double S = 0.5, F = 0.5, G = 0.25, se = -1, K = 0;
    kmacc(10, 3, &S, &F, &G, &se, &K, 3);
    EXPECT_EQ(S, 0.0);
    EXPECT_EQ(F, 1.0);
    EXPECT_EQ(se, 0.0);
    EXPECT_EQ(G, 0.25);
    EXPECT_DOUBLE_EQ(K, 0.25 / (0.1 + 0.25));

    grpnode& g = group();
    fill(&g, 0, {{1, 0}, {2, 0}, {3, 0}}, false);
    ASSERT_EQ(vyxcrv(s, &g), 0);
    auto r = curve(&g);
    EXPECT_EQ(r[2][CR_F], 1.0);
    EXPECT_EQ(r[2][CR_SE], 0.0);
    EXPECT_TRUE(std::isnan(r[2][CR_LOWER]) && std::isnan(r[2][CR_UPPER]));
    EXPECT_FALSE(std::isnan(r[1][CR_LOWER]));
}

// Johnson's adjusted ranks with Benard's approximation: censored rows make no record but
// raise the rank increment. The closed form is the reverse-rank formula
// rank = (reverse rank x previous rank + n + 1) / (reverse rank + 1).
TEST_F(CurveTest, AdjustedRanksFollowTheReverseRankFormula) {
    s->life.ppos_fn = vyxmrnk;
    s->life.pposcode = 1;
    s->work.fitmethod = 2;
    const std::vector<obs> rows = {{10, 0}, {30, -1}, {45, 0}, {49, -1}, {82, 0}, {90, 0}, {96, 0}, {100, -1}, {120, 0}};
    grpnode& g = group();
    fill(&g, 1, rows, false);
    ASSERT_EQ(vyxcrv(s, &g), 0);
    auto r = curve(&g);
    const double n = rows.size();
    double prev = 0;
    size_t rec = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].b != 0) continue;
        const double reverse = n - static_cast<double>(i);
        const double rank = (reverse * prev + n + 1) / (reverse + 1);
        EXPECT_NEAR(r[rec][CR_PPOS], (rank - 0.3) / (n + 0.4), 1e-14) << "failure " << rec;
        prev = rank;
        ++rec;
    }
    EXPECT_EQ(rec, r.size());
}

namespace {

// The rows of FREQ rows with every unit a row of its own: a row of w units becomes the rows of
// its whole units, then one of its fraction, at the same time.
std::vector<obs> unitrows(const std::vector<obs>& rows) {
    std::vector<obs> out;
    for (const obs& o : rows) {
        const double whole = std::floor(o.w);
        for (double k = 0; k < whole; ++k) out.push_back({o.a, o.b, 1.0});
        if (o.w > whole) out.push_back({o.a, o.b, o.w - whole});
    }
    return out;
}

}  // namespace

// A FREQ row plots where its last unit plots when the same units are rows of their own, for
// each PPOS, on random data with censored and failure rows of whole and fractional weights:
// the rank-based positions (EXPRANK, MEDRANK, MEDRANK1, KM) at every time; MKM and NA take
// tied failures by their own conventions (the middle of the jump; d/a), so their data hold no
// failure row of more than one unit. Positions lie in (0, 1) and never fall.
TEST_F(CurveTest, FreqRowsPlotWhereTheirLastUnitPlots) {
    const ppfn rule[] = {vyxxrnk, vyxmrnk, vyxmrk1, vyxkm, vyxmkm, vyxna};
    std::mt19937 gen(45);
    std::uniform_int_distribution<int> times(2, 20), quarters(1, 12), kind(0, 2);
    for (int code = 0; code < 6; ++code) {
        s->life.ppos_fn = rule[code];
        s->life.pposcode = static_cast<uint32_t>(code);
        for (bool fractional : {false, true}) {
            for (int rep = 0; rep < 25; ++rep) {
                SCOPED_TRACE(testing::Message() << "PPOS code " << code << (fractional ? ", fractional" : ", whole")
                                                << ", data set " << rep);
                auto weight = [&](bool failure) {
                    double w = fractional ? quarters(gen) / 4.0 : 1 + quarters(gen) % 4;
                    if (failure && code >= 4) w = fractional ? quarters(gen) % 4 / 4.0 + 0.25 : 1;
                    return w;
                };
                // Failures before censorings at a time; the last time has a censored row, so
                // that the product limit stays below 1.
                std::vector<obs> freq;
                const int m = times(gen);
                for (int t = 1; t <= m; ++t) {
                    const int k = t == m ? 2 : kind(gen);
                    if (k != 1) freq.push_back({double(t), 0.0, weight(true)});
                    if (k != 0) freq.push_back({double(t), -1.0, weight(false)});
                }
                const std::vector<obs> units = unitrows(freq);
                grpnode& gf = group();
                fill(&gf, 1, freq, true);
                ASSERT_EQ(vyxcrv(s, &gf), 0);
                grpnode& gu = group();
                fill(&gu, 1, units, true);
                ASSERT_EQ(vyxcrv(s, &gu), 0);
                const auto rf = curve(&gf), ru = curve(&gu);
                size_t k = 0, last = 0;
                for (const obs& o : freq) {
                    if (o.b != 0) continue;
                    last += static_cast<size_t>(std::ceil(o.w));
                    ASSERT_LT(last - 1, ru.size());
                    EXPECT_NEAR(rf[k][CR_PPOS], ru[last - 1][CR_PPOS], 1e-10) << "failure row " << k;
                    EXPECT_NEAR(rf[k][CR_F], ru[last - 1][CR_F], 1e-13) << "failure row " << k;
                    ++k;
                }
                ASSERT_EQ(k, rf.size());
                ASSERT_EQ(last, ru.size());
                for (const auto* r : {&rf, &ru}) {
                    for (size_t i = 0; i < r->size(); ++i) {
                        const double p = (*r)[i][CR_PPOS];
                        EXPECT_TRUE(p > 0 && p < 1) << i << ": " << p;
                        if (i > 0) {
                            EXPECT_GE(p, (*r)[i - 1][CR_PPOS]) << i;
                        }
                    }
                }
            }
        }
    }

    // Three censored units at 1, failures at 2 and 3: Johnson's ranks 2 and 4, MEDRANK 1.7/5.4
    // and 3.7/5.4, as one FREQ row as well as three (not 0.1667 and 0.3889).
    s->life.ppos_fn = vyxmrnk;
    s->life.pposcode = 1;
    grpnode& g = group();
    fill(&g, 1, {{1, -1, 3}, {2, 0, 1}, {3, 0, 1}}, true);
    ASSERT_EQ(vyxcrv(s, &g), 0);
    auto r = curve(&g);
    EXPECT_NEAR(r[0][CR_PPOS], 1.7 / 5.4, 1e-15);
    EXPECT_NEAR(r[1][CR_PPOS], 3.7 / 5.4, 1e-15);

    // EXPRANK: 3 tied failures first among 5 units stand at their expected rank 3/6, not 3/8.
    s->life.ppos_fn = vyxxrnk;
    s->life.pposcode = 0;
    grpnode& e = group();
    fill(&e, 1, {{1, 0, 3}, {2, 0, 2}}, true);
    ASSERT_EQ(vyxcrv(s, &e), 0);
    EXPECT_NEAR(curve(&e)[0][CR_PPOS], 3.0 / 6, 1e-15);
}

// Weights of 1e12 beside subnormal ones (5e-324): the product limit and the positions of
// KM, MKM and EXPRANK never rise again once the units at risk are subnormal, where forming
// S (m - d) first rounds among the subnormals (S went 0.2, 0.2, 0.25).
TEST_F(CurveTest, SubnormalWeightsNeverMakeTheCurveFall) {
    const double u = 4.9406564584124654e-324;
    std::vector<obs> rows = {{1, 0, 8e11}, {2, -1, 2e11}};
    for (int t = 3; t <= 8; ++t) rows.push_back({double(t), 0, u});
    for (const ppfn fn : {vyxkm, vyxmkm, vyxxrnk}) {
        s->life.ppos_fn = fn;
        grpnode& g = group();
        fill(&g, 1, rows, true);
        ASSERT_EQ(vyxcrv(s, &g), 0);
        const auto r = curve(&g);
        ASSERT_EQ(r.size(), 7u);
        // After the censored row six units of u are at risk: S = 0.2 (5/6) (4/5) ... down to 0.
        double S = r[0][CR_F] == 1 ? 0 : 1 - r[0][CR_F];
        for (size_t i = 1; i < r.size(); ++i) {
            S *= static_cast<double>(6 - i) / static_cast<double>(7 - i);
            EXPECT_NEAR(r[i][CR_F], 1 - S, 1e-15) << i;
            EXPECT_GE(r[i][CR_PPOS], r[i - 1][CR_PPOS]) << i;
        }
        EXPECT_EQ(r.back()[CR_F], 1.0);
    }
}

// Herd-Johnson and the modified product limit against their closed forms on the same rows.
TEST_F(CurveTest, HerdJohnsonAndModifiedProductLimit) {
    const std::vector<obs> rows = {{5, 0}, {8, -1}, {12, 0}, {12, 0}, {20, -1}, {23, 0}};
    struct rule {
        ppfn fn;
        std::vector<double> want;
    };
    // At risk 6, 4, 3, 1 before the failures; S after them 5/6, 5/8, 5/12, 0.
    const rule rules[] = {
        {vyxxrnk, {1 - 6.0 / 7, 1 - 6.0 / 7 * 4 / 5, 1 - 6.0 / 7 * 4 / 5 * 3 / 4, 1 - 6.0 / 7 * 4 / 5 * 3 / 4 * 1 / 2}},
        {vyxmkm, {1 - (1 + 5.0 / 6) / 2, 1 - (5.0 / 6 + 5.0 / 8) / 2, 1 - (5.0 / 8 + 5.0 / 12) / 2, 1 - (5.0 / 12) / 2}},
    };
    for (const rule& ru : rules) {
        s->life.ppos_fn = ru.fn;
        grpnode& g = group();
        fill(&g, 1, rows, false);
        ASSERT_EQ(vyxcrv(s, &g), 0);
        auto r = curve(&g);
        ASSERT_EQ(r.size(), ru.want.size());
        for (size_t i = 0; i < r.size(); ++i) EXPECT_NEAR(r[i][CR_PPOS], ru.want[i], 1e-15) << i;
    }
}

// READOUT life table: without withdrawals the binomial error sqrt(F(1-F)/m0); once units
// are withdrawn the unbiased form sqrt(S(S - P)) for every later readout.
TEST_F(CurveTest, ReadoutLifeTable) {
    std::memset(s->inputw.rspform, 0, sizeof s->inputw.rspform);
    s->inputw.rspform[RF_READOUT] = 1;
    s->inputw.nfreq = 1;
    s->optsw.rowlay[1] = 3;
    // time, failures, on test
    std::vector<double> rows = {10, 2, 50, 20, 3, 48, 30, 1, 40, 40, 4, 39};
    grpnode& g = group();
    g.rowbuf = rows.data();
    g.nobs = 4;
    g.totw = 10;
    ASSERT_EQ(vyxcrv(s, &g), 0);
    auto r = curve(&g);
    ASSERT_EQ(r.size(), 4u);
    double S = 1, P = 1;
    const double d[] = {2, 3, 1, 4}, m[] = {50, 48, 40, 39};
    for (int i = 0; i < 4; ++i) {
        S *= 1 - d[i] / m[i];
        P *= 1 - d[i] / (m[i] - 1);
        const double F = 1 - S;
        const double se = i < 2 ? std::sqrt(F * (1 - F) / 50) : std::sqrt(S * (S - P));
        EXPECT_NEAR(r[i][CR_F], F, 1e-15) << i;
        EXPECT_NEAR(r[i][CR_PPOS], F, 1e-15) << i;
        EXPECT_NEAR(r[i][CR_SE], se, 1e-15) << i;
    }
    EXPECT_EQ(g.nfail, 4);
    EXPECT_EQ(g.rdontest, 50);
    EXPECT_EQ(g.wright, 0);
    EXPECT_EQ(g.rdfirst, 2);
    EXPECT_EQ(g.rdlater, 8);
    EXPECT_EQ(g.rdsurv, 40);

    grpnode& few = group();
    std::vector<double> row1 = {10, 2, 9};
    few.rowbuf = row1.data();
    few.nobs = 1;
    few.totw = 10;
    EXPECT_EQ(vyxcrv(s, &few), 1);
    EXPECT_TRUE(log.has("READOUT"));
}

// Box statistics as R's quantile(type = 2) of the failure times, with fewer than four
// failures (the lower quartile's first part at the first record) and with four; the same
// with fractional FREQ weights, whose sums must reach the failure weight.
TEST_F(CurveTest, BoxStatisticsWithWholeAndFractionalWeights) {
    s->work.pageflags.boxes = 1;
    double box[7];
    struct casedata {
        std::vector<obs> rows;
        bool freq;
        double want[6];   // largest, upper quartile, median, lower quartile, smallest, failures
        double mean;
    };
    const casedata cases[] = {
        {{{10, 0}, {15, -1}, {20, 0}, {30, 0}}, false, {30, 30, 20, 10, 10, 3}, 20},
        {{{10, 0}, {20, 0}, {30, 0}, {35, -1}, {40, 0}}, false, {40, 35, 25, 15, 10, 4}, 25},
        {{{10, 0, 0.5}, {20, 0, 0.5}, {30, 0, 0.5}, {35, -1, 0.5}, {40, 0, 0.5}}, true, {40, 40, 30, 20, 10, 2}, 25},
    };
    for (const casedata& c : cases) {
        grpnode& g = group();
        for (int i = 0; i < 7; ++i) {
            box[i] = -1;
            g.ppcslot[i] = &box[i];
        }
        fill(&g, 1, c.rows, c.freq);
        ASSERT_EQ(vyxcrv(s, &g), 0);
        for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(box[i], c.want[i]) << "statistic " << i;
        EXPECT_DOUBLE_EQ(box[6], c.mean);
    }
}

// The band range of a curve with fractional weights ends at the last failure: the
// simultaneous factor is that of (K first, K last), not of an unset upper bound.
TEST_F(CurveTest, FractionalWeightsSetTheBandRange) {
    s->poptw.plotcodes[PC_NPINTERVALS] = 1;
    grpnode& g = group();
    std::vector<obs> rows;
    for (int i = 1; i <= 12; ++i) rows.push_back({double(i), i % 4 == 0 ? -1.0 : 0.0, 0.3});
    fill(&g, 1, rows, true);
    ASSERT_EQ(vyxcrv(s, &g), 0);
    auto r = curve(&g);
    // K at the first and last failure, from the Greenwood sums.
    double S = 1, G = 0, a = 3.6, Kfirst = 0, Klast = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].b == 0) {
            G += 0.3 / (a * (a - 0.3));
            double K = G / (1 / 3.6 + G);
            if (Kfirst == 0) Kfirst = K;
            Klast = K;
            S *= (a - 0.3) / a;
        }
        a -= 0.3;
    }
    EXPECT_NEAR(s->life.simfactor, simconfact(Kfirst, Klast, 0.05), 1e-12);
    EXPECT_NE(s->life.simfactor, 1.0);
    EXPECT_FALSE(std::isnan(r.back()[CR_SIMUPPER]));
}

// Weibayes on the ln scale with the given Weibull scale: the default confidence (wbconf
// 1.0, 63.2%) with no failure gives the classical eta = (sum t^beta)^(1/beta); CONF=0.95
// with four failures gives eta = (2 sum t^beta / qchisq(0.95, 10))^(1/beta).
TEST_F(CurveTest, WeibayesAgainstTheClosedForm) {
    s->work.fitmethod = 6;
    s->optsw.logscale[0] = 1;
    const double sigma = 0.5, beta = 1 / sigma;
    s->life.givenparms[1] = sigma;
    const double times[] = {120, 180, 250, 300, 410};
    double sum = 0;
    for (double t : times) sum += std::pow(t, beta);

    s->life.wbconf = 1.0;
    grpnode& none = group();
    std::vector<obs> cens;
    for (double t : times) cens.push_back({std::log(t), -1});
    fill(&none, 1, cens, false);
    ASSERT_EQ(vyxcrv(s, &none), 0);
    EXPECT_NEAR(std::exp(sigma * none.wbloc), std::pow(sum, 1 / beta), 1e-9 * std::pow(sum, 1 / beta));

    s->life.wbconf = -std::log(0.05);
    grpnode& four = group();
    std::vector<obs> rows;
    for (int i = 0; i < 5; ++i) rows.push_back({std::log(times[i]), i == 2 ? -1.0 : 0.0});
    fill(&four, 1, rows, false);
    ASSERT_EQ(vyxcrv(s, &four), 0);
    const double chi = 18.307038053275146;   // qchisq(0.95, 10)
    const double eta = std::pow(2 * sum / chi, 1 / beta);
    EXPECT_NEAR(std::exp(sigma * four.wbloc), eta, 1e-9 * eta);

    // A confidence whose quantile is refused stops the group with a message.
    s->life.wbconf = 40;
    grpnode& bad = group();
    fill(&bad, 1, rows, false);
    EXPECT_EQ(vyxcrv(s, &bad), 1);
    EXPECT_TRUE(log.has("chi-square quantile"));

    // A censoring time too far above the first for the scale.
    s->life.wbconf = 1.0;
    s->life.givenparms[1] = 0.001;
    grpnode& far = group();
    fill(&far, 1, {{0, 0}, {1, -1}}, false);
    EXPECT_EQ(vyxcrv(s, &far), 1);
    EXPECT_TRUE(log.has("too far above"));
}

// Weighted mean and standard deviation; equal times give the standard deviation 1.
TEST_F(CurveTest, WeightedMeanAndSpread) {
    grpnode& g = group();
    fill(&g, 1, {{2, 0, 2}, {4, -1, 1}, {7, 0, 3}}, true);
    ASSERT_EQ(vyxcrv(s, &g), 0);
    const double mean = (2 * 2 + 4 + 3 * 7) / 6.0;
    const double ss = 2 * (2 - mean) * (2 - mean) + (4 - mean) * (4 - mean) + 3 * (7 - mean) * (7 - mean);
    EXPECT_NEAR(g.wmean, mean, 1e-14);
    EXPECT_NEAR(g.wsd, std::sqrt(ss / 5), 1e-14);

    grpnode& same = group();
    fill(&same, 1, {{3, 0}, {3, 0}, {3, -1}}, false);
    ASSERT_EQ(vyxcrv(s, &same), 0);
    EXPECT_EQ(same.wmean, 3);
    EXPECT_EQ(same.wsd, 1);
}

// Without memory for the whole curve the records go to the curve file in blocks of 1000:
// exactly 1000 records make one full block and an empty last one. Rows read back from the
// group's own file give the same curve, and a file that ends early is reported.
TEST_F(CurveTest, CurveFileBlocksAndRowFile) {
    std::vector<obs> rows;
    for (int i = 0; i < 1000; ++i) rows.push_back({double(i + 1), 0});
    grpnode& mem = group();
    fill(&mem, 1, rows, false);
    ASSERT_EQ(vyxcrv(s, &mem), 0);
    EXPECT_EQ(mem.crvinmem, 1);

    limitpool_to(CR_BLOCKBYTES, 1);
    grpnode& file = group();
    fill(&file, 1, rows, false, true);
    ASSERT_EQ(vyxcrv(s, &file), 0);
    EXPECT_EQ(file.crvinmem, 0);
    std::vector<std::vector<unsigned char>> blocks;
    ASSERT_TRUE(rt::files::readall(file.ufile2, blocks));
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].size(), size_t(CR_BLOCKBYTES));
    EXPECT_EQ(blocks[1].size(), 0u);
    auto a = curve(&mem), b = curve(&file);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        for (int w : {CR_PPOS, CR_F, CR_SE, CR_UPPER, CR_LOWER, CR_TIME})
            ASSERT_EQ(std::memcmp(&a[i][w], &b[i][w], 8), 0) << i << " word " << w;

    grpnode& cut = group();
    fill(&cut, 1, rows, false, true);
    cut.nobs += 1;
    EXPECT_EQ(vyxcrv(s, &cut), RC_READ);
    EXPECT_TRUE(log.has("ended before"));
}
