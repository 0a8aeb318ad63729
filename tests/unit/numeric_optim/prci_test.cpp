// The profile-likelihood limit search on a quadratic minus log-likelihood, where the
// limits are the Wald limits, and its failure paths.
#include <gtest/gtest.h>
#include <cfloat>
#include <cmath>
#include <functional>
#include <vector>
#include "proc/numeric/prci.h"
#include "support.h"

using namespace numtest;

namespace {

constexpr double kQ95 = 3.841458820694124;  // chi-square(1) 95% point

// -l(theta) = 10 + 1/2 (theta - m)' H (theta - m) + quart u^4, H = [[2, 0.6], [0.6, 1]],
// u = theta_0 - m_0; quadratic unless quart is set.
struct quadmodel {
    std::vector<double> theta{1.0, -2.0}, base = std::vector<double>(2), grad = std::vector<double>(2),
                        hess{2.0, 0.6, 1.0}, c{1.0, 0.0};
    std::vector<double> low = std::vector<double>(3), upp = std::vector<double>(3);
    std::vector<std::vector<double>> seen;  // points the likelihood was evaluated at
    std::vector<int32_t> counts;            // the counter as the print callback saw it
    int32_t counter = -5;
    ciblk blk{};
    std::function<bool(int)> failLik = [](int) { return false; };   // by evaluation number
    std::function<bool(int)> nanGrad = [](int) { return false; };   // by gradient call
    int ngrad = 0;
    double quart = 0.0;

    quadmodel() {
        wireblock(*this, 2, 20);
        blk.prtflag = 1;
        blk.convcrit = 1e-9;
        blk.negllmax = 10.0;
    }
    double value() const {
        const double u = theta[0] - 1.0, v = theta[1] + 2.0;
        return 10.0 + 0.5 * (2.0 * u * u + 1.2 * u * v + v * v) + quart * u * u * u * u;
    }
    static double lik(void* ctx, int32_t* flag) {
        auto* m = static_cast<quadmodel*>(ctx);
        m->seen.push_back(m->theta);
        if (m->failLik(static_cast<int>(m->seen.size()))) {
            *flag = 1;
            return 0.0;
        }
        return m->value();
    }
    static int32_t gradhess(void* ctx) {
        auto* m = static_cast<quadmodel*>(ctx);
        const double u = m->theta[0] - 1.0, v = m->theta[1] + 2.0;
        m->grad[0] = 2.0 * u + 0.6 * v + 4.0 * m->quart * u * u * u;
        m->grad[1] = 0.6 * u + v;
        m->hess = {2.0 + 12.0 * m->quart * u * u, 0.6, 1.0};  // factored in place: rebuild
        if (m->nanGrad(++m->ngrad)) m->grad[1] = std::nan("");
        return 0;
    }
    static void print(void* ctx) {
        auto* m = static_cast<quadmodel*>(ctx);
        m->counts.push_back(*m->blk.evalcnt);
    }
    int32_t run() { return zprci(this, &blk, &lik, &gradhess, &print, nullptr); }
    // Wald half-width of c'theta: sqrt(q c'H^-1 c).
    double wald() const {
        const double det = 2.0 - 0.36;
        const double b = (c[0] * c[0] * 1.0 - 2 * c[0] * c[1] * 0.6 + c[1] * c[1] * 2.0) / det;
        return std::sqrt(kQ95 * b);
    }
};

}  // namespace

// Every search runs with a pool of the test's own installed as the module's instance.
class LimitSearch : public ::testing::Test {
protected:
    testpool pool;
    hostscope host{pool};
};

TEST_F(LimitSearch, QuadraticGivesWaldLimitsAtTheSecondEvaluation) {
    quadmodel m;
    m.c = {1.0, -0.5};
    ASSERT_EQ(m.run(), 0);
    EXPECT_NEAR(m.low[0], 2.0 - m.wald(), 1e-12);  // c'm = 1 + 1
    EXPECT_NEAR(m.upp[0], 2.0 + m.wald(), 1e-12);
    EXPECT_NEAR(m.low[1] - 0.5 * m.low[2], m.low[0], 1e-14);  // theta follows the value
    // Two evaluations per limit; the print callback sees the counter 0 then 1 each time.
    EXPECT_EQ(m.seen.size(), 4u);
    EXPECT_EQ(m.counts, (std::vector<int32_t>{0, 1, 0, 1}));
    EXPECT_EQ(m.counter, 2);
    // The upper search starts again from the estimates.
    EXPECT_EQ(m.seen[2], (std::vector<double>{1.0, -2.0}));
    // Work storage came from the instance's pool with flags 0x2006 and went back.
    EXPECT_EQ(pool.allocs, 2);
    EXPECT_EQ(pool.live, 0);
    for (int f : pool.flags) EXPECT_EQ(f, 0x2006);
}

TEST_F(LimitSearch, LimitReachedAtTheLastAllowedEvaluationIsReportedMissing) {
    quadmodel m;
    m.blk.maxeval = 2;
    EXPECT_EQ(m.run(), 2);
    EXPECT_TRUE(ismissing(m.low[0]));
    EXPECT_TRUE(ismissing(m.upp[0]));
    // Theta is still reported: the point where the search ended, on the boundary.
    EXPECT_NEAR(m.low[1], 1.0 - m.wald(), 1e-12);
    m.blk.maxeval = 3;
    m.theta = {1.0, -2.0};
    m.blk.theta = m.theta.data();
    EXPECT_EQ(m.run(), 0);
    EXPECT_NEAR(m.low[0], 1.0 - m.wald(), 1e-12);
}

TEST_F(LimitSearch, NoEvaluationsAllowed) {
    quadmodel m;
    m.blk.maxeval = 0;
    EXPECT_EQ(m.run(), 2);
    EXPECT_TRUE(m.seen.empty());
    uint64_t bits;
    std::memcpy(&bits, &m.low[0], 8);
    EXPECT_EQ(bits, MISSING_BITS);  // the host's own missing value
    EXPECT_TRUE(ismissing(m.upp[0]));
    EXPECT_EQ(m.low[1], 1.0);
    EXPECT_EQ(m.low[2], -2.0);
    EXPECT_EQ(m.upp[1], 1.0);
    EXPECT_EQ(m.upp[2], -2.0);
    EXPECT_EQ(pool.live, 0);
}

TEST_F(LimitSearch, NoWorkStorage) {
    pool.refuse = true;
    quadmodel m;
    m.low = {7, 7, 7};
    m.blk.lowres = m.low.data();
    EXPECT_EQ(m.run(), 1);
    EXPECT_TRUE(m.seen.empty());
    EXPECT_EQ(m.low[0], 7.0);
    EXPECT_EQ(pool.live, 0);
}

TEST_F(LimitSearch, FailureBeforeTheFirstNewtonStepStaysAtTheEstimates) {
    // The pool hands out NaN-filled storage: nothing may read the step before it is set.
    pool.poison = true;
    quadmodel m;
    // The first evaluation of each limit fails (evaluations 1 and, for the upper, the
    // first one after the lower limit was found: 1 + 2 + 1 = 4). The evaluations after a
    // flagged one count as good again.
    m.failLik = [](int k) { return k == 1 || k == 4; };
    ASSERT_EQ(m.run(), 0);
    EXPECT_EQ(m.seen[1], (std::vector<double>{1.0, -2.0}));  // halving stayed put
    EXPECT_EQ(m.seen[4], (std::vector<double>{1.0, -2.0}));  // not near the lower limit
    EXPECT_NEAR(m.low[0], 1.0 - m.wald(), 1e-12);
    EXPECT_NEAR(m.upp[0], 1.0 + m.wald(), 1e-12);
    EXPECT_EQ(pool.live, 0);
}

TEST_F(LimitSearch, GradientNotANumberIsHalvedNotFollowed) {
    // Not quadratic, so the Wald point is not yet the limit. A gradient that is not a
    // number there must not become the step: the search halves back along the last good
    // step and still finds the same limits.
    quadmodel clean;
    clean.quart = 0.3;
    ASSERT_EQ(clean.run(), 0);
    EXPECT_GT(clean.seen.size(), 6u);
    quadmodel m;
    m.quart = 0.3;
    m.nanGrad = [](int k) { return k == 2; };
    ASSERT_EQ(m.run(), 0);
    EXPECT_NEAR(m.low[0], clean.low[0], 1e-9);
    EXPECT_NEAR(m.upp[0], clean.upp[0], 1e-12);
    for (const auto& p : m.seen) EXPECT_TRUE(std::isfinite(p[0]) && std::isfinite(p[1]));
}

TEST_F(LimitSearch, NotANumberLikelihoodCountsAsAFailedEvaluation) {
    quadmodel m;
    m.blk.maxeval = 6;
    struct nanmodel : quadmodel {
        static double lik(void* ctx, int32_t*) {
            static_cast<quadmodel*>(ctx)->seen.push_back({});
            return std::nan("");
        }
    };
    EXPECT_EQ(zprci(&m, &m.blk, &nanmodel::lik, &quadmodel::gradhess, nullptr, nullptr), 2);
    EXPECT_TRUE(ismissing(m.low[0]));
    EXPECT_EQ(m.low[1], 1.0);  // never moved from the estimates
    EXPECT_EQ(m.ngrad, 0);
}

TEST_F(LimitSearch, PrintOnlyWhenAskedAndExtraHookBeforeEachEvaluation) {
    quadmodel m;
    m.blk.prtflag = 0;
    static int hooks;
    hooks = 0;
    EXPECT_EQ(zprci(&m, &m.blk, &quadmodel::lik, &quadmodel::gradhess, &quadmodel::print,
                    [](void*) { ++hooks; }),
              0);
    EXPECT_TRUE(m.counts.empty());
    EXPECT_EQ(hooks, static_cast<int>(m.seen.size()));
}

TEST_F(LimitSearch, AlphaWithoutAChiSquareQuantile) {
    quadmodel m;
    m.blk.alpha = 0.0;
    EXPECT_EQ(m.run(), 2);
    EXPECT_TRUE(ismissing(m.low[0]));
    EXPECT_TRUE(ismissing(m.upp[0]));
    EXPECT_TRUE(m.seen.empty());
    EXPECT_EQ(pool.live, 0);
}
