// The least-squares fit on probability paper against lm, its fallbacks and data checks,
// the starting values of the likelihood fit, and the censored counts of the life axis.
#include <gtest/gtest.h>

#include "proc/numeric/stdquant.h"
#include "tests/support/reference.h"
#include "tests/unit/nonparam/fixture.h"

using namespace nptest;

namespace {

class LsfitTest : public NonparamTest {
protected:
    void SetUp() override {
        NonparamTest::SetUp();
        s->life.fit.npar.total = 2;
        std::memcpy(s->life.parmfree, "11", 2);
        s->life.ppos_fn = vyxmkm;
        s->life.pposcode = 4;
        s->optsw.quant_fn = vyxiwb;
        s->work.fitmethod = 1;
        s->life.fit.itopts[IT_PSTABLE] = hostmissing();
    }
    // vyxcrv, then vyxls, on rows of form 1.
    grpnode& fit(const std::vector<obs>& rows, bool freq, int want = 0) {
        grpnode& g = group();
        fill(&g, 1, rows, freq);
        EXPECT_EQ(vyxcrv(s, &g), 0);
        EXPECT_EQ(vyxls(s, &g), want);
        return g;
    }
};

// aml (both arms) sorted with failures before censorings at ties.
std::vector<obs> amlrows(double (*scale)(double)) {
    const RefTable t = readRef("nonparam/aml_rows.csv");
    std::vector<obs> rows;
    for (size_t i = 0; i < t.rows.size(); ++i)
        rows.push_back({scale(t.at(i, "time")), t.at(i, "status") == 1 ? 0.0 : -1.0});
    std::stable_sort(rows.begin(), rows.end(),
                     [](const obs& x, const obs& y) { return x.a < y.a || (x.a == y.a && x.b > y.b); });
    return rows;
}

double same(double t) { return t; }
double ln(double t) { return std::log(t); }
double lg10(double t) { return std::log10(t); }

}  // namespace

// Each distribution, plotting-position rule and least-squares direction: the positions
// against their closed forms, location, scale and R-square against lm on the same points.
TEST_F(LsfitTest, AgreesWithLmForEveryDistributionAndRule) {
    const RefTable ref = readRef("nonparam/lsfit_aml.csv");
    const RefTable pos = readRef("nonparam/lsfit_aml_positions.csv");
    ASSERT_EQ(ref.rows.size(), 42u);
    Worst w, wp;
    for (size_t i = 0; i < ref.rows.size(); ++i) {
        const int dist = static_cast<int>(ref.at(i, "dcode"));
        const int rule = static_cast<int>(ref.at(i, "rcode"));
        std::memset(s->optsw.logscale, 0, sizeof s->optsw.logscale);
        double (*scale)(double) = same;
        if (dist == 1 || dist == 2 || dist == 7) {
            s->optsw.logscale[0] = 1;
            scale = ln;
        } else if (dist == 11) {
            s->optsw.logscale[1] = 1;
            scale = lg10;
        }
        s->optsw.quant_fn = dist == 2 || dist == 3 ? vyxiwb : dist == 6 || dist == 7 ? vyxilg : vyxinm;
        s->life.ppos_fn = rule == 1 ? vyxmrnk : rule == 0 ? vyxxrnk : vyxmkm;
        s->life.pposcode = static_cast<uint32_t>(rule);
        s->work.fitmethod = static_cast<uint32_t>(ref.at(i, "mcode"));
        grpnode& g = fit(amlrows(scale), false);
        const std::string at = "row " + std::to_string(i);
        w.add(relDiff(g.loc, ref.at(i, "mu")), at + " mu");
        w.add(relDiff(g.scale, ref.at(i, "sigma")), at + " sigma");
        w.add(relDiff(g.rsq, ref.at(i, "rsq")), at + " rsq");
        const char* col = rule == 1 ? "medrank" : rule == 0 ? "exprank" : "mkm";
        for (int k = 0; k < g.ncurve; ++k) wp.add(std::fabs(g.crvbuf[k * CR_WORDS + CR_PPOS] - pos.at(k, col)), col);
    }
    EXPECT_WORST_BELOW(wp, 1e-15);
    EXPECT_WORST_BELOW(w, 1e-10);
}

// A position of exactly 1 (the product limit after the last unit failed) is left out of
// the sums; the line is that of the other points.
TEST_F(LsfitTest, PositionOneIsLeftOut) {
    s->life.ppos_fn = vyxkm;
    s->life.pposcode = 3;
    s->work.fitmethod = 2;
    s->optsw.quant_fn = vyxinm;
    grpnode& all = fit({{1, 0}, {2, 0}, {4, 0}, {7, 0}}, false);
    // Positions 1/4, 1/2, 3/4 at times 1, 2, 4: q on x by hand.
    const double x[] = {1, 2, 4}, q[] = {vyxinm(0.25), 0.0, vyxinm(0.75)};
    double mx = 7.0 / 3, mq = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < 3; ++i) mq += q[i] / 3;
    for (int i = 0; i < 3; ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        sxy += (x[i] - mx) * (q[i] - mq);
    }
    EXPECT_NEAR(all.scale, sxx / sxy, 1e-12);
    EXPECT_NEAR(all.loc, mx - mq * sxx / sxy, 1e-12);
}

// Less than one unit of weight: the weighted mean and standard deviation, silently, for
// the likelihood start, LSYX and LSXY alike. Both parameters held: the given values and no
// R-square.
TEST_F(LsfitTest, LightGroupsAndHeldParameters) {
    for (uint32_t method : {1u, 2u, 7u}) {
        s->work.fitmethod = method;
        grpnode& g = fit({{1, 0, 0.2}, {2, 0, 0.3}, {3, -1, 0.1}}, true);
        EXPECT_DOUBLE_EQ(g.scale, g.wsd) << method;
        if (method != 1) {
            EXPECT_DOUBLE_EQ(g.loc, g.wmean) << method;
        }
    }
    EXPECT_EQ(log.count('W') + log.count('E'), 0) << log.all();

    s->work.fitmethod = 2;
    std::memcpy(s->life.parmfree, "CC", 2);
    s->life.givenparms[GP_LOC] = 3.5;
    s->life.givenparms[GP_SCALE] = 0.7;
    grpnode& g = fit({{1, 0}, {2, 0}, {3, -1}, {4, 0}}, false);
    EXPECT_EQ(g.loc, 3.5);
    EXPECT_EQ(g.scale, 0.7);
    EXPECT_TRUE(std::isnan(g.rsq));
}

// Every observation right-censored (510/692) or left-censored (510/693): no fit, missing
// parameters. Points that do not vary: 510/524 for LSYX.
TEST_F(LsfitTest, DataChecksRefuseTheFit) {
    s->work.fitmethod = 2;
    grpnode& right = fit({{1, -1}, {2, -1}}, false, 1);
    EXPECT_TRUE(std::isnan(right.loc) && std::isnan(right.scale));
    EXPECT_TRUE(log.has("right-censored"));

    grpnode& left = group();
    fill(&left, 2, {{NAN, 3}, {NAN, 5}}, false);
    ASSERT_EQ(vyxem(s, &left), 0);
    EXPECT_EQ(vyxls(s, &left), 1);
    EXPECT_TRUE(log.has("left-censored"));

    grpnode& flat = fit({{2, 0}, {2, 0}, {2, 0}, {5, -1}}, false, 1);
    EXPECT_TRUE(std::isnan(flat.loc));
    EXPECT_TRUE(log.has("cannot be fitted"));
}

// The start of the likelihood fit: centred at half the failure fraction (PSTABLE when
// given, 0 with the Lagrange table), its location re-expressed as that percentile; a
// single exact failure keeps the location as it is.
TEST_F(LsfitTest, LikelihoodStartAndItsCentring) {
    const std::vector<obs> rows = {{0.5, 0}, {1.0, 0}, {1.2, -1}, {1.9, 0}, {2.4, -1}};
    grpnode& g = fit(rows, false);
    const double p = 3.0 / 5 * 0.5;
    EXPECT_DOUBLE_EQ(g.prob, p);
    EXPECT_DOUBLE_EQ(g.quant, vyxiwb(p));
    EXPECT_DOUBLE_EQ(g.pctl, g.loc);

    s->work.fitmethod = 2;
    grpnode& ls = fit(rows, false);
    EXPECT_NEAR(g.loc, ls.loc + vyxiwb(p) * ls.scale, 1e-12);

    s->work.fitmethod = 1;
    s->life.fit.itopts[IT_PSTABLE] = 0.9;
    grpnode& ps = fit(rows, false);
    EXPECT_EQ(ps.prob, 0.9);
    s->life.fit.itopts[IT_PSTABLE] = hostmissing();
    s->work.tblflags[TF_LAGRANGE] = 1;
    grpnode& lag = fit(rows, false);
    EXPECT_EQ(lag.quant, 0.0);
    s->work.tblflags[TF_LAGRANGE] = 0;

    grpnode& one = fit({{1.0, 0}, {1.5, -1}, {2.0, -1}}, false);
    EXPECT_DOUBLE_EQ(one.prob, 1.0 / 3);
    EXPECT_EQ(one.pctl, one.loc);
}

// Interval data: the Turnbull points (the last interval gives none); one with probability
// 0 enters at the quantile 0. A single interval gives no point and the mean and spread.
TEST_F(LsfitTest, TurnbullPoints) {
    s->work.fitmethod = 2;
    s->optsw.quant_fn = vyxinm;
    s->life.emmaxit[EM_MAXIT] = 1000;
    s->life.fit.itopts[IT_TOLLIKE] = 1e-10;
    s->life.fit.itopts[IT_TOLPROB] = hostmissing();
    s->life.emflags[EMF_POLISH] = 1;
    s->life.fit.fitcrit.singular = 1e-12;
    startoutput();
    grpnode& g = group();
    fill(&g, 2, {{1, 2}, {3, 4}, {3, 4}, {5, 6}, {7, NAN}}, false);
    ASSERT_EQ(vyxem(s, &g), 0);
    ASSERT_EQ(vyxls(s, &g), 0);
    const int m = g.nturn;
    double mx = 0, mq = 0;
    for (int k = 0; k + 1 < m; ++k) {
        mx += g.emtab[EMT_RIGHT * m + k] / (m - 1);
        mq += vyxinm(g.emtab[EMT_CUM * m + k]) / (m - 1);
    }
    double sxx = 0, sxy = 0;
    for (int k = 0; k + 1 < m; ++k) {
        const double dx = g.emtab[EMT_RIGHT * m + k] - mx;
        sxx += dx * dx;
        sxy += dx * (vyxinm(g.emtab[EMT_CUM * m + k]) - mq);
    }
    EXPECT_NEAR(g.scale, sxx / sxy, 1e-9);
    EXPECT_NEAR(g.loc, mx - mq * sxx / sxy, 1e-9);

    grpnode& one = group();
    fill(&one, 2, {{1, 5}, {2, 6}}, false);
    ASSERT_EQ(vyxem(s, &one), 0);
    ASSERT_EQ(one.nturn, 1);
    ASSERT_EQ(vyxls(s, &one), 0);
    EXPECT_EQ(one.loc, one.wmean);
    EXPECT_EQ(one.scale, one.wsd);
}

// Censored observations counted per interval of the life axis, fractional weights summed
// before rounding, outside rows not counted.
TEST_F(LsfitTest, CensoredCountsPerLifeInterval) {
    s->poptw.pflags.cenbin = 1;
    double bounds[] = {0, 1, 2, 3};
    int32_t counts[3] = {-1, -1, -1};
    s->plot.lifeticks = bounds;
    s->plot.tickinfo[TI_NBOUNDS] = 4;
    s->plot.lifecounts = counts;
    fit({{0.5, -1, 0.5}, {0.7, -1, 0.5}, {1.5, 0, 1}, {2.0, -1, 2}, {2.5, 0, 1}, {3.5, -1, 4}}, true);
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[1], 0);
    EXPECT_EQ(counts[2], 2);
}
