// Confidence limits of nonparametric estimates: the limit rule, the band factor against
// R's uniroot, exact binomial limits against qbeta, and the monotone simultaneous band of
// a curve in memory and on the curve file.
#include <gtest/gtest.h>

#include "proc/lifedist/bands.h"
#include "proc/lifedist/curve.h"
#include "tests/support/reference.h"
#include "tests/unit/nonparam/fixture.h"
#include "proc/numeric/stdquant.h"

using namespace nptest;

// Limits on the log-odds scale; F within EPS of 0 or 1 has none; a multiplier too large
// for exp widens the limits to (0, 1) instead of collapsing them onto F.
TEST(LimitRule, LogOddsLimitsAndTheirEdges) {
    double lo, up;
    logitlimits(0.3, 0.05, 1.959963984540054, &lo, &up);
    const double e = std::exp(1.959963984540054 * 0.05 / 0.21);
    EXPECT_DOUBLE_EQ(lo, 0.3 / (0.3 + 0.7 * e));
    EXPECT_DOUBLE_EQ(up, 0.3 / (0.3 + 0.7 / e));
    EXPECT_NEAR(std::log(up / (1 - up)) + std::log(lo / (1 - lo)), 2 * std::log(0.3 / 0.7), 1e-14);

    for (double F : {0.0, 1e-13, 1 - 1e-13, 1.0}) {
        logitlimits(F, 0.01, 2, &lo, &up);
        EXPECT_TRUE(std::isnan(lo) && std::isnan(up)) << F;
    }
    logitlimits(1e-12, 1.0, 2, &lo, &up);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(up, 1.0);
}

// The band factor against the root of its defining equation by uniroot; ranges outside
// (0, 1), reversed ranges and a confidence too low for a root give the missing value.
TEST(BandFactor, AgreesWithUnirootAndRefusesWhatHasNoRoot) {
    const RefTable ref = readRef("nonparam/bandfactor.csv");
    Worst w;
    for (size_t i = 0; i < ref.rows.size(); ++i) {
        double c = simconfact(ref.at(i, "aL"), ref.at(i, "aU"), ref.at(i, "alpha"));
        w.add(relDiff(c, ref.at(i, "c")), args({ref.at(i, "aL"), ref.at(i, "aU"), ref.at(i, "alpha")}));
    }
    EXPECT_WORST_BELOW(w, 1e-7);

    EXPECT_TRUE(std::isnan(simconfact(0.6, 0.4, 0.05)));
    EXPECT_TRUE(std::isnan(simconfact(0.5, 0.5, 0.05)));
    EXPECT_TRUE(std::isnan(simconfact(0.0, 0.5, 0.05)));
    EXPECT_TRUE(std::isnan(simconfact(0.1, 1.0, 0.05)));
    // B exp(-1/2) for (0.4, 0.45) is about 0.0248: alpha/2 = 0.25 is beyond it.
    EXPECT_TRUE(std::isnan(simconfact(0.4, 0.45, 0.5)));
}

// Clopper-Pearson limits against qbeta; x = 0 and x = n fall back to the normal form,
// which gives 0 and 1 there.
TEST(BinomialLimits, AgreeWithQbeta) {
    const RefTable ref = readRef("nonparam/binomial.csv");
    Worst w;
    for (size_t i = 0; i < ref.rows.size(); ++i) {
        double lo, up;
        const double* r = bconf(ref.at(i, "x"), ref.at(i, "n"), &lo, &up, ref.at(i, "alpha"));
        EXPECT_EQ(r, &up);
        w.add(relDiff(lo, ref.at(i, "lower")), "lower " + std::to_string(i));
        w.add(relDiff(up, ref.at(i, "upper")), "upper " + std::to_string(i));
    }
    EXPECT_WORST_BELOW(w, 1e-9);
    double lo, up;
    bconf(0, 10, &lo, &up, 0.05);
    EXPECT_EQ(lo, 0.0);
    EXPECT_NEAR(up, 1 - std::pow(0.05, 0.1), 1e-9);
    bconf(10, 10, &lo, &up, 0.05);
    EXPECT_EQ(up, 1.0);
}

namespace {

class BandTest : public NonparamTest {
protected:
    void SetUp() override {
        NonparamTest::SetUp();
        s->life.ppos_fn = vyxkm;
        s->life.pposcode = 3;
        s->optsw.quant_fn = vyxinm;
        s->work.fitmethod = 1;
        s->poptw.plotcodes[PC_NPINTERVALS] = 1;
    }
    // 2600 units, a censoring after every fifth failure, all of the rest failing at the end.
    std::vector<obs> rows() {
        std::vector<obs> r;
        for (int i = 0; i < 2600; ++i) r.push_back({double(i / 2), i % 6 == 5 ? -1.0 : 0.0});
        return r;
    }
};

}  // namespace

// The band over the data's range uses K at the first and last failure; the limits are
// non-decreasing, missing where F reaches 1, and a curve on the curve file gets exactly
// the limits of the same curve in memory (the band is computed in both cases).
TEST_F(BandTest, MonotoneLimitsInMemoryAndOnFile) {
    grpnode& mem = group();
    fill(&mem, 1, rows(), false);
    ASSERT_EQ(vyxcrv(s, &mem), 0);
    const double factor = s->life.simfactor;
    EXPECT_GT(factor, 2);
    auto a = curve(&mem);
    double lo = 0, up = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double l = a[i][CR_SIMLOWER], u = a[i][CR_SIMUPPER];
        if (i + 1 == a.size()) {
            EXPECT_TRUE(std::isnan(l) && std::isnan(u));
            break;
        }
        ASSERT_GE(l, lo) << i;
        ASSERT_GE(u, up) << i;
        EXPECT_LE(l, a[i][CR_LOWER]);
        lo = l;
        up = u;
    }
    EXPECT_LE(mem.pmin, a[0][CR_SIMLOWER]);

    limitpool_to(int64_t(a.size()) * CR_BYTES);
    grpnode& file = group();
    fill(&file, 1, rows(), false, true);
    ASSERT_EQ(vyxcrv(s, &file), 0);
    ASSERT_EQ(file.crvinmem, 0);
    EXPECT_EQ(s->life.simfactor, factor);
    auto b = curve(&file);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        for (int w : {CR_SIMLOWER, CR_SIMUPPER, CR_F})
            ASSERT_EQ(std::memcmp(&a[i][w], &b[i][w], 8), 0) << i << " word " << w;
    EXPECT_EQ(file.pmin, mem.pmin);
    EXPECT_EQ(file.pmax, mem.pmax);
}

// Band bounds given on the statement replace the data's range; bounds without a factor
// give the factor 1, so the band equals the plain log-odds limits with m = 1.
TEST_F(BandTest, GivenBoundsAndTheFallbackFactor) {
    s->life.npbounds[0] = 0.2;
    s->life.npbounds[1] = 0.7;
    grpnode& g = group();
    fill(&g, 1, {{1, 0}, {2, 0}, {3, -1}, {4, 0}, {5, 0}}, false);
    ASSERT_EQ(vyxcrv(s, &g), 0);
    EXPECT_NEAR(s->life.simfactor, simconfact(0.2, 0.7, 0.05), 1e-15);

    s->life.npbounds[0] = 0.7;
    s->life.npbounds[1] = 0.2;
    grpnode& h = group();
    fill(&h, 1, {{1, 0}, {2, 0}, {3, -1}, {4, 0}, {5, 0}}, false);
    ASSERT_EQ(vyxcrv(s, &h), 0);
    EXPECT_EQ(s->life.simfactor, 1.0);
    auto r = curve(&h);
    double lo, up;
    logitlimits(r[1][CR_F], r[1][CR_SE], 1.0, &lo, &up);
    EXPECT_DOUBLE_EQ(r[1][CR_SIMLOWER], std::max(lo, r[0][CR_SIMLOWER]));
}
