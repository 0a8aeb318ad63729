// The Newton-Raphson minimiser with ridging, without constraints.
#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "nrharness.h"

using namespace numtest;

namespace {
// f = 1/2 (x - c)' A (x - c) + 3 with A = [[4, 1], [1, 2]].
void quadratic(nrharness& h) {
    h.f = [](const double* x) {
        const double u = x[0] - 1.5, v = x[1] + 0.5;
        return 0.5 * (4 * u * u + 2 * u * v + 2 * v * v) + 3.0;
    };
    h.derivs = [](const double* x, double* g, double* H) {
        const double u = x[0] - 1.5, v = x[1] + 0.5;
        g[0] = 4 * u + v;
        g[1] = u + 2 * v;
        H[0] = 4;
        H[1] = 1;
        H[2] = 2;
    };
}
}  // namespace

TEST(NewtonRaphson, QuadraticInOneFullStep) {
    nrharness h(2);
    quadratic(h);
    h.x = {-3.0, 4.0};
    std::vector<double> afterFirst;
    h.onIter = [&](nrharness& s) {
        if (s.niter == 1) afterFirst = s.x;
        return s.changetest();
    };
    EXPECT_EQ(h.run(), NR_CONVERGED);
    ASSERT_EQ(afterFirst.size(), 2u);
    EXPECT_NEAR(afterFirst[0], 1.5, 1e-15);
    EXPECT_NEAR(afterFirst[1], -0.5, 1e-15);
    // Entry, the full Newton step (alpha = 1) at once, then a null step: two objective
    // evaluations, three gradients, two iteration reports.
    EXPECT_EQ(h.nobj, 2);
    EXPECT_EQ(h.ngrad, 3);
    EXPECT_EQ(h.niter, 2);
    EXPECT_EQ(h.blk.fval, 3.0);
    EXPECT_EQ(h.blk.fprev, 3.0);  // the null step sets fprev to fval
}

TEST(NewtonRaphson, RosenbrockFromTheClassicStart) {
    nrharness h(2);
    h.f = [](const double* x) {
        const double a = x[1] - x[0] * x[0], b = 1 - x[0];
        return 100 * a * a + b * b;
    };
    h.derivs = [](const double* x, double* g, double* H) {
        const double a = x[1] - x[0] * x[0];
        g[0] = -400 * x[0] * a - 2 * (1 - x[0]);
        g[1] = 200 * a;
        H[0] = 1200 * x[0] * x[0] - 400 * x[1] + 2;
        H[1] = -400 * x[0];
        H[2] = 200;
    };
    h.x = {-1.2, 1.0};
    h.ctl.usedflt = 0;
    h.ctl.maxiter = 200;
    h.ctl.firstok = 1;
    h.ctl.singtol = 1e-8;
    h.ctl.ridgemax = 4096.0;
    h.ctl.ridgeinit = 0.0625;
    h.ctl.ridgegrow = 16.0;
    EXPECT_EQ(h.run(), NR_CONVERGED);
    EXPECT_NEAR(h.x[0], 1.0, 1e-9);
    EXPECT_NEAR(h.x[1], 1.0, 1e-9);
    EXPECT_LT(h.blk.fval, 1e-20);
    EXPECT_LT(h.niter, 60);
}

TEST(NewtonRaphson, ZeroHessianIsRidgedToSteepestDescent) {
    // A linear objective with a zero Hessian: the ridge adds 1.0 to the diagonal.
    nrharness h(2);
    h.f = [](const double* x) { return 2 * x[0] - x[1]; };
    h.derivs = [](const double*, double* g, double* H) {
        g[0] = 2;
        g[1] = -1;
        H[0] = H[1] = H[2] = 0;
    };
    h.x = {1.0, 1.0};
    h.onIter = [](nrharness&) { return 0; };
    // Converged after a ridged iteration: the final check finds the Hessian singular.
    EXPECT_EQ(h.run(), NR_NOTPOSDEF);
    EXPECT_DOUBLE_EQ(h.x[0], -1.0);
    EXPECT_DOUBLE_EQ(h.x[1], 2.0);
    ASSERT_EQ(h.ridges.size(), 1u);
    EXPECT_EQ(h.ridges[0], 0.3125);
}

TEST(NewtonRaphson, RidgeSequencesOfTheDefaultsAndOfTheFits) {
    // 1 x 1 Hessian -1: the ridge adds ridge * 1 and passes once the factor exceeds 1.
    auto setup = [](nrharness& h) {
        h.f = [](const double* x) { return -0.5 * x[0] * x[0] + x[0]; };
        h.derivs = [](const double* x, double* g, double* H) {
            g[0] = 1 - x[0];
            H[0] = -1;
        };
        h.x = {0.0};
        h.onIter = [](nrharness&) { return 0; };
    };
    nrharness dflt(1);
    setup(dflt);
    EXPECT_EQ(dflt.run(), NR_NOTPOSDEF);
    EXPECT_EQ(dflt.ridges.at(0), 1.25);  // 0, 0.3125, 1.25
    nrharness fits(1);
    setup(fits);
    fits.ctl = {1, 0, 0, 0, 0, 0, 20, 0, 1, 1e-6, 4096.0, 0.0625, 16.0};
    EXPECT_EQ(fits.run(), NR_NOTPOSDEF);
    EXPECT_EQ(fits.ridges.at(0), 16.0);  // 0, 0.0625, 1 (pivot 0 fails), 16
}

TEST(NewtonRaphson, IndefiniteUpToRidgemaxFailsWithXRestored) {
    nrharness h(1);
    int calls = 0;
    h.f = [](const double* x) { return 0.5 * (x[0] - 2) * (x[0] - 2); };
    // Positive definite at the start, -1 afterwards.
    h.derivs = [&calls](const double* x, double* g, double* H) {
        g[0] = x[0] - 2;
        H[0] = calls++ == 0 ? 1.0 : -1.0;
    };
    h.x = {0.0};
    h.onIter = [](nrharness&) { return 1; };
    // Factors 0.0625 and 1 are tried (1 equals ridgemax), 16 would exceed it.
    h.ctl = {1, 0, 0, 0, 0, 0, 20, 0, 1, 1e-6, 1.0, 0.0625, 16.0};
    EXPECT_EQ(h.run(), NR_RIDGEFAIL);
    EXPECT_EQ(h.x[0], 2.0);  // the estimates at the start of the failing iteration
    EXPECT_EQ(h.ridge, 1.0);
    EXPECT_EQ(h.niter, 1);
}

TEST(NewtonRaphson, IterationLimits) {
    nrharness zero(2);
    quadratic(zero);
    zero.x = {0.0, 0.0};
    zero.ctl.usedflt = 0;
    zero.ctl.maxiter = 0;
    EXPECT_EQ(zero.run(), NR_NOCONV);
    EXPECT_EQ(zero.nobj, 1);
    EXPECT_EQ(zero.ngrad, 1);
    EXPECT_EQ(zero.niter, 0);

    // f = x^4: every Newton step keeps a third of the way, so no step is ever null.
    nrharness always(1);
    always.f = [](const double* x) { return x[0] * x[0] * x[0] * x[0]; };
    always.derivs = [](const double* x, double* g, double* H) {
        g[0] = 4 * x[0] * x[0] * x[0];
        H[0] = 12 * x[0] * x[0];
    };
    always.x = {1.0};
    always.onIter = [](nrharness&) { return 1; };
    EXPECT_EQ(always.run(), NR_NOCONV);
    EXPECT_EQ(always.niter, 50);  // the default limit
    EXPECT_NEAR(always.x[0], std::pow(2.0 / 3.0, 50), 1e-20);
}

TEST(NewtonRaphson, TooManyNullStepsInARow) {
    // A flat objective with a nonzero gradient: no trial step ever decreases it.
    nrharness h(2);
    h.f = [](const double*) { return 1.0; };
    h.derivs = [](const double*, double* g, double* H) {
        g[0] = 1;
        g[1] = 1;
        H[0] = H[2] = 1;
        H[1] = 0;
    };
    h.x = {0.0, 0.0};
    h.onIter = [](nrharness&) { return 1; };
    EXPECT_EQ(h.run(), NR_NOCONV);
    // Null steps 1 to n + 1 are reported; the (n + 2)-th ends the run.
    EXPECT_EQ(h.niter, 3);
    // The failed searches leave x at their last trial point, at most twice alphamin along d.
    EXPECT_LT(std::fabs(h.x[0]), 3 * 1000 * 1.1102230246251565e-16 * 4);
    EXPECT_EQ(h.blk.fval, 1.0);
}

TEST(NewtonRaphson, UnridgedConvergenceSkipsTheFinalFactorisation) {
    // The Hessian turns indefinite at the solution; no ridge was needed, so no check.
    nrharness h(1);
    int calls = 0;
    h.f = [](const double* x) { return 0.5 * (x[0] - 2) * (x[0] - 2); };
    h.derivs = [&calls](const double* x, double* g, double* H) {
        g[0] = x[0] - 2;
        H[0] = calls++ == 0 ? 1.0 : -5.0;
    };
    h.x = {0.0};
    h.onIter = [](nrharness&) { return 0; };
    EXPECT_EQ(h.run(), NR_CONVERGED);
    EXPECT_EQ(h.x[0], 2.0);
    EXPECT_EQ(calls, 2);
}

TEST(NewtonRaphson, RegradEvaluatesBeforeTheFinalCheck) {
    nrharness h(1);
    h.f = [](const double* x) { return -0.5 * x[0] * x[0] + x[0]; };
    int calls = 0;
    // Indefinite while iterating (ridged), positive definite when asked again.
    h.derivs = [&calls](const double* x, double* g, double* H) {
        g[0] = 1 - x[0];
        H[0] = ++calls <= 2 ? -1.0 : 3.0;
    };
    h.x = {0.0};
    h.onIter = [](nrharness&) { return 0; };
    h.ctl = {1, 0, 0, 0, 0, 0, 20, 1, 1, 1e-6, 1024.0, 0.3125, 4.0};
    EXPECT_EQ(h.run(), NR_CONVERGED);
    EXPECT_EQ(h.ngrad, 3);
}

TEST(NewtonRaphson, ObjectiveNotANumberAtTheStartIsNoConvergence) {
    nrharness h(2);
    quadratic(h);
    h.f = [](const double*) { return std::nan(""); };
    h.x = {0.0, 0.0};
    EXPECT_EQ(h.run(), NR_NOTFINITE);
    EXPECT_EQ(h.niter, 0);
}

TEST(NewtonRaphson, GradientNotANumberStopsWithTheLastGoodEstimates) {
    nrharness h(2);
    quadratic(h);
    auto good = h.derivs;
    int calls = 0;
    h.derivs = [&](const double* x, double* g, double* H) {
        good(x, g, H);
        if (++calls >= 2) g[1] = std::nan("");
    };
    h.x = {-3.0, 4.0};
    h.onIter = [](nrharness&) { return 1; };
    EXPECT_EQ(h.run(), NR_NOTFINITE);
    EXPECT_NEAR(h.x[0], 1.5, 1e-15);  // after the first (good) step
    EXPECT_NEAR(h.x[1], -0.5, 1e-15);
}

TEST(NewtonRaphson, RidgeThatCannotGrowFailsInsteadOfLooping) {
    nrharness h(1);
    h.f = [](const double* x) { return -x[0] * x[0]; };
    h.derivs = [](const double* x, double* g, double* H) {
        g[0] = -2 * x[0] + 1;
        H[0] = -2;
    };
    h.x = {0.0};
    h.ctl = {1, 0, 0, 0, 0, 0, 20, 0, 1, 1e-6, 1024.0, 0.0, 4.0};  // ridgeinit 0
    EXPECT_EQ(h.run(), NR_RIDGEFAIL);
    nrharness g(1);
    g.f = h.f;
    g.derivs = h.derivs;
    g.x = {0.0};
    g.ctl = {1, 0, 0, 0, 0, 0, 20, 0, 1, 1e-6, 1024.0, 0.5, 1.0};  // ridgegrow 1
    EXPECT_EQ(g.run(), NR_RIDGEFAIL);
}

TEST(NewtonRaphson, ExpansionModeTakesLongerSteps) {
    // firstok 0 on a quadratic whose Hessian is overstated fourfold: the Newton step falls
    // short and longer steps keep improving.
    nrharness h(1);
    h.f = [](const double* x) { return 0.5 * (x[0] - 10) * (x[0] - 10); };
    h.derivs = [](const double* x, double* g, double* H) {
        g[0] = x[0] - 10;
        H[0] = 4.0;
    };
    h.x = {0.0};
    h.ctl = {1, 0, 0, 0, 0, 0, 1, 0, 0, 1e-6, 1024.0, 0.3125, 4.0};
    h.onIter = [](nrharness&) { return 1; };
    EXPECT_EQ(h.run(), NR_NOCONV);  // one iteration allowed
    EXPECT_GT(h.x[0], 2.5 * 1.2 * 1.2);
    EXPECT_LE(h.x[0], 10.0 + 1e-12);
}

// f = log(2 cosh x) from x = 360: its curvature 1/cosh^2 x is 9e-313 there, a pivot that passes
// the test relative to itself, and the Newton direction is infinite. Steps along the gradient,
// lengthened while f falls (it is |x| to double precision), take the fit to where Newton's
// steps work again, and on to the minimum at 0. A gradient that f does not follow (f flat) gives
// no step: the run stops at its start, with the objective evaluated there last.
TEST(NewtonRaphson, StepsAlongTheGradientWhereTheCurvatureUnderflows) {
    nrharness h(1);
    h.f = [](const double* x) { return std::fabs(x[0]) + std::log1p(std::exp(-2.0 * std::fabs(x[0]))); };
    h.derivs = [](const double* x, double* g, double* H) {
        const double e = std::exp(-2.0 * std::fabs(x[0]));
        g[0] = std::tanh(x[0]);
        H[0] = 4.0 * e / ((1.0 + e) * (1.0 + e));
    };
    h.x = {360.0};
    EXPECT_EQ(h.run(), NR_CONVERGED);
    EXPECT_NEAR(h.x[0], 0.0, 1e-9);

    nrharness flat(1);
    double last = NAN;
    flat.f = [&last](const double* x) {
        last = x[0];
        return 0.0;
    };
    flat.derivs = [](const double*, double* g, double* H) {
        g[0] = 1.0;
        H[0] = 1e-320;
    };
    flat.x = {5.0};
    EXPECT_EQ(flat.run(), NR_NOCURVE);
    EXPECT_EQ(flat.x[0], 5.0);
    EXPECT_EQ(last, 5.0);
    EXPECT_EQ(flat.niter, 0);
}
