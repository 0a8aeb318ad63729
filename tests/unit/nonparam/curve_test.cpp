// The nonparametric curve: product-limit and Greenwood values against R's survfit, the
// Nelson-Aalen hazard, adjusted ranks, READOUT life tables, the box statistics, Weibayes
// and the curve file.
#include <gtest/gtest.h>

#include <map>

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
