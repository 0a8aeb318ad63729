// A Newton direction too short to move x (norm at most 1000 * 2^-53 * |x|) is a null step
// taken without evaluating the objective; n + 2 of them in a row end the run.
#include <gtest/gtest.h>
#include <cmath>
#include "nrharness.h"

using namespace numtest;

TEST(NullStep, ShortDirectionIsNotEvaluated) {
    // f = 1/2 |x - c|^2 with c about 1e-3 from each x_i = 1e12 (eight units of 1e12's
    // spacing): the Newton direction has norm 1.4e-3, below 1000 * 2^-53 * 1.4e12 = 0.16.
    nrharness h(2);
    const double c = 1e12 + 1e-3;
    h.f = [c](const double* x) { return 0.5 * ((x[0] - c) * (x[0] - c) + (x[1] - c) * (x[1] - c)); };
    h.derivs = [c](const double* x, double* g, double* H) {
        g[0] = x[0] - c;
        g[1] = x[1] - c;
        H[0] = H[2] = 1.0;
        H[1] = 0.0;
    };
    h.x = {1e12, 1e12};
    h.onIter = [](nrharness&) { return 1; };
    EXPECT_EQ(h.run(), NR_NOCONV);
    EXPECT_EQ(h.nobj, 1);   // the entry evaluation only
    EXPECT_EQ(h.niter, 3);  // null steps 1 to n + 1 reported, the (n + 2)-th ends the run
    EXPECT_EQ(h.x[0], 1e12);
    EXPECT_EQ(h.x[1], 1e12);
    EXPECT_EQ(h.blk.fprev, h.blk.fval);
}

// A failed step-length search leaves x where the iteration began, and the objective's last
// evaluation is there too (callers report what it kept). f = sqrt(1 + x^2) at x = 1e10 has a
// Hessian of 1e-30: the Newton direction is -1e30, and every trial down to the shortest step
// (about 1e-13 of it, 1e17 from x) raises f.
TEST(NullStep, FailedSearchKeepsTheIterationsStart) {
    nrharness h(1);
    double lastx = 0.0;
    h.f = [&lastx](const double* x) { lastx = x[0]; return std::sqrt(1.0 + x[0] * x[0]); };
    h.derivs = [](const double* x, double* g, double* H) {
        g[0] = x[0] / std::sqrt(1.0 + x[0] * x[0]);
        H[0] = std::pow(1.0 + x[0] * x[0], -1.5);
    };
    h.x = {1e10};
    h.onIter = [](nrharness&) { return 1; };
    EXPECT_EQ(h.run(), NR_NOCONV);
    EXPECT_GT(h.nobj, 40);  // the halvings were tried
    EXPECT_EQ(h.x[0], 1e10);
    EXPECT_EQ(lastx, 1e10);
    EXPECT_EQ(h.blk.fval, std::sqrt(1.0 + 1e20));
}
