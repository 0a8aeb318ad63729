// The binomial and Poisson analysis against R (tests/data/counts/reference.R): exact
// limits, homogeneity chi-squares over class levels read from memory and from a utility
// file, prediction limits, tolerance sample sizes, and the cases that give missing values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/pbrec.h"
#include "proc/numeric/quantiles.h"
#include "tests/support/hostfixture.h"
#include "tests/support/reference.h"

namespace {

constexpr int DIST_POISSON = 9, DIST_BINOMIAL = 10;

// One row of a count response: events (count), trials (exposure), FREQ weight.
struct cnt {
    double x, n, w = 1;
};

class CountsTest : public StateTest {
protected:
    std::deque<grpnode> nodes;
    std::deque<std::vector<double>> keep;

    void SetUp() override {
        StateTest::SetUp();
        s->inwork.rspkind = FORM_COUNTS;
        s->inputw.nfreq = 1;
        s->optsw.rowlay[1] = 3;
    }
    void TearDown() override {
        reset();
        StateTest::TearDown();
    }

    // A class level after the input pass: its rows in memory, or with spill in blocks of
    // rows per buffer on a utility file; the BY group's sums grow as the input makes them.
    grpnode* level(const std::vector<cnt>& rows, bool spill = false) {
        nodes.emplace_back();
        grpnode* g = &nodes.back();
        std::memset(static_cast<void*>(g), 0, sizeof *g);
        std::vector<double> d;
        for (const cnt& r : rows) {
            d.insert(d.end(), {r.x, r.n, r.w});
            s->life.wsums[0] += r.x * r.w;
            s->life.wsums[1] += r.n * r.w;
        }
        g->nobs = static_cast<int32_t>(rows.size());
        if (spill) {
            EXPECT_EQ(xcopen(&g->ufile, XC_SCRATCH), 0);
            const size_t per = s->opts.rowlay[0] * 3;
            for (size_t at = 0; at < d.size(); at += per)
                EXPECT_EQ(xcwrite(g->ufile, d.data() + at, int64_t(std::min(per, d.size() - at) * 8)), 0);
            d.assign(per, 0.0);
        }
        keep.push_back(d);
        g->rowbuf = keep.back().data();
        if (nodes.size() > 1) nodes[nodes.size() - 2].next = g;
        s->groups.grplist.head = &nodes.front();
        return g;
    }
    // Forgets the levels and the BY group's sums.
    void reset() {
        for (grpnode& g : nodes)
            if (g.ufile) xcclose(g.ufile, 1);
        nodes.clear();
        keep.clear();
        s->life.wsums[0] = s->life.wsums[1] = s->life.pbaccum = 0;
    }
    int runlevels() {
        for (grpnode* g = s->groups.grplist.head; g; g = g->next)
            if (int rc = vyxpb(s, g)) return rc;
        return 0;
    }
};

bool miss(double v) { return std::isnan(v); }

TEST_F(CountsTest, ExactLimitsAgreeWithBinomAndPoissonTests) {
    Worst worst;
    for (bool binomial : {true, false}) {
        const RefTable t = readRef(binomial ? "counts/binom.txt" : "counts/poisson.txt");
        for (size_t i = 0; i < t.rows.size(); ++i) {
            const double x = t.at(i, "x"), n = t.at(i, "n"), conf = t.at(i, "conf");
            double rec[PB_WORDS];
            pbestimate(pbcounts{binomial, x, n}, (1 - conf) / 2, rec);
            const std::string at = (binomial ? "binomial " : "poisson ") + args({x, n, conf});
            EXPECT_EQ(rec[PB_EST], x / n) << at;
            worst.add(relDiff(rec[PB_LOWER], t.at(i, "lower"), 1e-3), at + " lower");
            worst.add(relDiff(rec[PB_UPPER], t.at(i, "upper"), 1e-3), at + " upper");
        }
    }
    EXPECT_WORST_BELOW(worst, 1e-8);

    // One-sided limits take the whole alpha: at 95% they are the two-sided 90% limits, here
    // through the counts given as options (no response variable).
    s->optsw.alpha = 0.05;
    s->poptw.pflags.pbonesided = 1;
    s->optsw.distcode = DIST_BINOMIAL;
    s->life.pbcount = 3;
    s->life.pbtrials = 20;
    ASSERT_EQ(vyxpb(s, nullptr), 0);
    EXPECT_NEAR(s->life.pbpooled[PB_LOWER], 4.2169407885778602e-02, 1e-10);
    EXPECT_NEAR(s->life.pbpooled[PB_UPPER], 0.3436638043142818955, 1e-10);
    s->optsw.distcode = DIST_POISSON;
    s->life.pbcount = 7;
    s->life.pbexposure = 3;
    ASSERT_EQ(vyxpb(s, nullptr), 0);
    EXPECT_NEAR(s->life.pbpooled[PB_LOWER], 1.095105230631557403, 1e-9);
    EXPECT_NEAR(s->life.pbpooled[PB_UPPER], 4.38270460081070556, 1e-9);
}

TEST_F(CountsTest, LevelChiSquaresAddUpToTheHomogeneityTests) {
    const RefTable ref = readRef("counts/chisq.txt");
    // Binomial: weighted totals 8 of 34, 5 of 20, 9 of 30; the first level on a utility
    // file in blocks of two rows, the last ending with a block of one.
    s->optsw.distcode = DIST_BINOMIAL;
    s->groups.nclass = 1;
    s->groups.nlev[1] = 3;
    s->optsw.rowlay[0] = 2;
    grpnode* a = level({{2, 10, 1}, {3, 12, 2}}, true);
    grpnode* b = level({{5, 20}});
    grpnode* c = level({{4, 10}, {5, 10}, {0, 5, 2}}, true);
    ASSERT_EQ(runlevels(), 0);
    EXPECT_EQ(a->loc, 8);
    EXPECT_EQ(a->scale, 34);
    EXPECT_EQ(b->pbest[PB_EST], 0.25);
    EXPECT_EQ(c->loc, 9);
    EXPECT_EQ(c->scale, 30);
    EXPECT_LT(relDiff(s->life.pbaccum, ref.at(0, "binomstat")), 1e-12);
    EXPECT_EQ(s->life.pbpooled[PB_CHISQ], s->life.pbaccum);
    EXPECT_EQ(s->life.pbpooled[PB_EST], 22.0 / 84.0);
    EXPECT_LT(relDiff(zpgx2(s->life.pbaccum, 2), ref.at(0, "binomp")), 1e-10);
    double pooled[PB_WORDS];
    pbestimate(pbcounts{true, 22, 84}, 0.025, pooled);
    EXPECT_EQ(s->life.pbpooled[PB_LOWER], pooled[PB_LOWER]);
    EXPECT_EQ(s->life.pbpooled[PB_UPPER], pooled[PB_UPPER]);

    // Poisson: counts 3, 8, 12 in exposures 2.5, 4, 5.
    s->optsw.distcode = DIST_POISSON;
    reset();
    level({{1, 1}, {2, 1.5}});
    level({{8, 4}});
    level({{6, 2.5, 2}});
    ASSERT_EQ(runlevels(), 0);
    EXPECT_LT(relDiff(s->life.pbaccum, ref.at(0, "poisstat")), 1e-12);
    EXPECT_LT(relDiff(zpgx2(s->life.pbaccum, 2), ref.at(0, "poisp")), 1e-10);
}

TEST_F(CountsTest, PredictionLimitsAgreeWithARootSearch) {
    const RefTable t = readRef("counts/predict.txt");
    Worst worst;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), n = t.at(i, "n"), m = t.at(i, "m"), a = t.at(i, "a");
        for (bool binomial : {true, false}) {
            if (binomial && x > n) continue;
            double pred[PB_WORDS];
            pbpredict(pbcounts{binomial, x, n}, m, x / n, a, pred, false);
            const std::string at = (binomial ? "binomial " : "poisson ") + args({x, n, m, a});
            EXPECT_DOUBLE_EQ(pred[PB_EST], x / n * m) << at;
            worst.add(relDiff(pred[PB_UPPER], t.at(i, "upper"), 1e-3), at + " upper");
            if (t.at(i, "lower") == 0)
                EXPECT_EQ(pred[PB_LOWER], 0.0) << at;
            else
                worst.add(relDiff(pred[PB_LOWER], t.at(i, "lower"), 1e-3), at + " lower");
        }
    }
    EXPECT_WORST_BELOW(worst, 1e-6);
}

TEST_F(CountsTest, ToleranceSampleSizesAreTheClosedForms) {
    const RefTable t = readRef("counts/tolerance.txt");
    EXPECT_LT(relDiff(pbtolsize(true, t.at(0, "p"), t.at(0, "tol"), 0.05), t.at(0, "trials")), 1e-12);
    EXPECT_LT(relDiff(pbtolsize(false, t.at(0, "rate"), t.at(0, "tolr"), 0.05), t.at(0, "exposure")), 1e-12);
    EXPECT_TRUE(miss(pbtolsize(true, hostmissing(), 0.05, 0.05)));
}

// The edge cases: limits of exactly 0 and 1, invalid counts, pooled values of 0 and 1, and
// prediction values that are not positive.
TEST_F(CountsTest, EdgeCasesGiveExactEndsOrMissingValuesNeverNaNsAsNumbers) {
    double r[PB_WORDS];
    pbestimate(pbcounts{true, 0, 12}, 0.025, r);
    EXPECT_EQ(r[PB_LOWER], 0.0);
    pbestimate(pbcounts{true, 12, 12}, 0.025, r);
    EXPECT_EQ(r[PB_UPPER], 1.0);
    for (pbcounts bad : {pbcounts{true, 5, 3}, pbcounts{true, 1, 0}, pbcounts{true, -1, 4}, pbcounts{false, -1, 4},
                         pbcounts{false, 2, 0}, pbcounts{false, 2, -1}}) {
        pbestimate(bad, 0.025, r);
        EXPECT_TRUE(miss(r[PB_EST]) && miss(r[PB_LOWER]) && miss(r[PB_UPPER])) << bad.x << " " << bad.n;
        EXPECT_TRUE(miss(pbchisq(bad, 0.3)));
    }
    // Poisson with no count: lower limits 0 for the rate and the prediction.
    s->optsw.distcode = DIST_POISSON;
    s->life.pbpredgiven = 1;
    s->life.pbpredict = 10;
    s->life.pbcount = 0;
    s->life.pbexposure = 4;
    ASSERT_EQ(vyxpb(s, nullptr), 0);
    EXPECT_EQ(s->life.pbpooled[PB_LOWER], 0.0);
    EXPECT_EQ(s->life.pbpoolpred[PB_LOWER], 0.0);
    EXPECT_EQ(s->life.pbpoolpred[PB_EST], 0.0);
    // An exposure option of 0 (or not above 2^-53) gives missing values.
    s->life.pbexposure = 1e-17;
    ASSERT_EQ(vyxpb(s, nullptr), 0);
    EXPECT_TRUE(miss(s->life.pbpooled[PB_EST]) && miss(s->life.pbpoolpred[PB_EST]) && miss(s->life.pbpoolpred[PB_UPPER]));
    // Limits of valid counts that cannot be computed are said so, not left silently missing:
    // 1000 future trials beside 3 billion observed are beyond the prediction limit searches.
    s->optsw.distcode = DIST_BINOMIAL;
    s->life.pbcount = 3;
    s->life.pbtrials = 3e9;
    s->life.pbpredict = 1000;
    ASSERT_EQ(vyxpb(s, nullptr), 0);
    EXPECT_TRUE(miss(s->life.pbpoolpred[PB_UPPER]));
    EXPECT_FALSE(miss(s->life.pbpooled[PB_LOWER]) || miss(s->life.pbpooled[PB_UPPER]));
    EXPECT_TRUE(log.has('W', "prediction limits for 1000 future trials")) << log.all();
    s->life.pbpredict = 10;
    // Counts as options with another distribution: message and result 1.
    s->optsw.distcode = 2;
    EXPECT_EQ(vyxpb(s, nullptr), 1);
    EXPECT_TRUE(log.has('E', "DISTRIBUTION=POISSON or BINOMIAL")) << log.all();

    // A level with more events than trials (once summed) has no estimate and adds nothing
    // to the chi-square; a pooled proportion of 1 makes every contribution missing.
    s->optsw.distcode = DIST_BINOMIAL;
    s->groups.nclass = 1;
    s->life.pbpredict = 0;   // no positive prediction value: level blocks missing, pooled block 0
    grpnode* odd = level({{6, 4}});
    grpnode* all = level({{4, 4}});
    s->life.wsums[0] = s->life.wsums[1] = 4;   // the input counts the invalid row as 0 of 0
    ASSERT_EQ(runlevels(), 0);
    EXPECT_TRUE(miss(odd->pbest[PB_EST]) && miss(odd->pbest[PB_CHISQ]));
    EXPECT_TRUE(miss(all->pbest[PB_CHISQ]));
    EXPECT_EQ(s->life.pbaccum, 0.0);
    EXPECT_TRUE(miss(odd->pbpred[PB_EST]) && miss(all->pbpred[PB_UPPER]));
    EXPECT_EQ(s->life.pbpoolpred[PB_EST], 0.0);
    EXPECT_EQ(s->life.pbpoolpred[PB_LOWER], 0.0);
    EXPECT_EQ(s->life.pbpoolpred[PB_UPPER], 0.0);

    // Poisson with every count 0: a pooled rate of 0 gives missing contributions.
    s->optsw.distcode = DIST_POISSON;
    EXPECT_TRUE(miss(pbchisq(pbcounts{false, 0, 3}, 0.0)));
    EXPECT_TRUE(miss(pbchisq(pbcounts{true, 0, 3}, 0.0)));
    EXPECT_TRUE(miss(pbchisq(pbcounts{true, 3, 3}, 1.0)));
}

}  // namespace
