// Covariance, convergence status and Lagrange statistics of a fit, from a given gradient,
// Hessian and optimiser result.
#include "tests/unit/lifedist/fitfixture.h"

#include "proc/numeric/optimizer.h"

using namespace fittest;

namespace {

class Status : public FitTest {
protected:
    double hess[8] = {}, grad[4] = {}, est[4] = {}, work[32] = {}, parms[8] = {};
    // The fit left the Hessian H = [[4, 1], [1, 2]] of minus the log-likelihood, the
    // gradient g and the log-likelihood ll.
    void fitted(double g0, double g1, double ll, int optrc = NR_CONVERGED, bool converged = true) {
        maketables();
        s->life.fit.fitarr.est = est;
        s->life.fit.fitarr.grad = grad;
        s->life.fit.fitarr.hess = hess;
        s->life.fit.fitarr.work = work;
        s->life.parmvec.block = parms;
        hess[0] = 4;
        hess[1] = 1;
        hess[2] = 2;
        grad[0] = g0;
        grad[1] = g1;
        s->life.fit.loglik.current = ll;
        s->life.fit.optrc = optrc;
        s->life.fit.itprflag.converged = converged;
    }
    // The listing, where the status table prints its reason.
    std::string reason() { return listing(); }
};

// crit = g'H^-1 g / |ll| with H^-1 = [[2, -1], [-1, 4]] / 7: for g = (0.01, 0) it is
// 2e-4/7 / |ll|, and a log-likelihood of exactly 0 divides by 1.
TEST_F(Status, RelativeGradientDecidesConvergence) {
    fitted(0.01, 0.0, 0.0);
    vyxcov(s);
    EXPECT_EQ(s->life.fit.itstatus[1], 0u);
    EXPECT_TRUE(log.has('N', "criterion is satisfied")) << log.all();
    EXPECT_NEAR(parms[2], std::sqrt(2.0 / 7), 1e-15);
    EXPECT_NEAR(parms[3], std::sqrt(4.0 / 7), 1e-15);
    EXPECT_NEAR(parms[4 + 1], -1.0 / 7, 1e-15);   // covariance after the standard errors
    EXPECT_NE(reason().find("Algorithm converged."), std::string::npos) << reason();
}

TEST_F(Status, GradientAboveCriterionIsNotConverged) {
    fitted(0.01, 0.0, 0.2);   // crit = 1.43e-4 > CONVH = 1e-4
    vyxcov(s);
    EXPECT_EQ(s->life.fit.itstatus[1], 2u);
    EXPECT_TRUE(log.has('W', "0.000142857")) << log.all();
    EXPECT_TRUE(log.has('W', "CONVH=1e-04")) << log.all();
}

// A measure that is not a number is no proof of convergence (it was once taken as one), nor
// a number to quote (it was once logged as "criterion inf"): 510/1950 says it cannot be computed.
TEST_F(Status, NotANumberMeasureIsNotConverged) {
    for (double g : {std::nan(""), HUGE_VAL}) {
        fitted(g, 0.0, -10.0);
        vyxcov(s);
        EXPECT_EQ(s->life.fit.itstatus[1], 2u);
        EXPECT_FALSE(log.has('N', "criterion is satisfied")) << log.all();
        EXPECT_TRUE(log.has('W', "relative gradient criterion of the maximum-likelihood fit cannot be computed")) << log.all();
        EXPECT_EQ(log.all().find(" inf"), std::string::npos) << log.all();
        EXPECT_NE(reason().find("cannot be computed"), std::string::npos) << reason();
        TearDown();
        SetUp();
    }
}

// The optimiser's codes: 2 (a value not a number) takes the last row of the table; 7 (no finite
// Newton step, and none along the gradient) stopped for a numerical reason at a point whose
// log-likelihood it has.
TEST_F(Status, OptimiserCodesGiveStatusAndMessage) {
    const struct {
        int optrc;
        uint32_t status;
        const char* text;
    } cases[] = {{NR_NOCONV, 2, "MAXIT=50"}, {NR_RIDGEFAIL, 1, "ridge value"}, {NR_NOTPOSDEF, 1, "not positive definite"},
                 {NR_NOTFINITE, 3, "could not be computed"}, {NR_INFEASIBLE, 3, "could not start"},
                 {NR_NOCURVE, 1, "no usable curvature at the point reached"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.optrc);
        fitted(0.0, 0.0, -10.0, c.optrc, c.optrc == NR_CONVERGED);
        vyxcov(s);
        EXPECT_EQ(s->life.fit.itstatus[1], c.status);
        EXPECT_TRUE(log.has('W', c.text)) << log.all();
        EXPECT_TRUE(log.has('W', "did not meet the convergence criterion")) << log.all();
        TearDown();
        SetUp();
    }
}

// A fit whose optimiser converged but whose converged byte is clear logs both messages.
TEST_F(Status, ConvergedMeasureAndUnconvergedFitBothLogged) {
    fitted(0.0, 0.0, -10.0, NR_CONVERGED, false);
    vyxcov(s);
    EXPECT_TRUE(log.has('N', "criterion is satisfied")) << log.all();
    EXPECT_TRUE(log.has('W', "did not meet the convergence criterion")) << log.all();
}

// With combined failure modes every non-converged code shows the mode's own text.
TEST_F(Status, CombinedFailureModesUseTheModeText) {
    char vals[2][17] = {"bearing", "seal"};
    int32_t lens[2] = {7, 4};
    for (int nclass : {0, 1}) {
        fitted(0.0, 0.0, -10.0, NR_RIDGEFAIL, false);
        s->poptw.pflags.fmcombine = 1;
        s->groups.nclass = nclass;
        s->groups.fmodeset.vals = vals;
        s->groups.fmodeset.lens = lens;
        s->groups.fmodeset.curmode = 1;
        vyxcov(s);
        EXPECT_NE(reason().find("did not converge for failure mode seal"), std::string::npos) << nclass;
        TearDown();
        SetUp();
    }
}

// A location held at a given value: only the scale is swept; the Lagrange statistic of the
// location is g0 / sqrt(H00 - H10^2 / H11), its standard error 0.
TEST_F(Status, HeldLocationGetsLagrangeStatistic) {
    fitted(0.3, 0.0, -10.0);
    std::memcpy(s->life.parmfree, "C1", 2);
    vyxcov(s);
    EXPECT_NEAR(s->life.lagstat[0], 0.3 / std::sqrt(4.0 - 0.5), 1e-15);
    EXPECT_EQ(parms[2], 0.0);
    EXPECT_NEAR(parms[3], std::sqrt(0.5), 1e-15);
    EXPECT_EQ(parms[4], 0.0);   // row and column of the held location zeroed
    EXPECT_EQ(parms[5], 0.0);
}

// A singular pivot leaves a Hessian that is not positive definite: the estimated parameters
// have no covariance, so their standard errors and covariances are missing (a standard error
// of 0 would claim certainty; it once did).
TEST_F(Status, SingularPivotGivesMissingStandardErrors) {
    fitted(0.0, 0.0, -10.0);
    hess[0] = hess[1] = hess[2] = 1.0;
    vyxcov(s);
    for (int k : {2, 3, 4, 5, 6}) EXPECT_TRUE(std::isnan(parms[k])) << k;
}

}  // namespace
