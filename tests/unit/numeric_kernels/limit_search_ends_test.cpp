// The one-sided limit searches on the F distribution function where no usable root
// exists: the bracketing gives up after a bounded number of halvings or doublings (or at
// a refused evaluation) and reports failure; it never runs on.
#include <chrono>
#include <cmath>

#include "proc/numeric/fdist.h"
#include "tests/support/reference.h"

TEST(LimitSearchEnds, RootsBeyondTheBracketingAreFailures) {
    const auto start = std::chrono::steady_clock::now();
    for (double p : {1e-300, 1e-200, 1e-100}) {
        for (double n : {1.0, 5.0, 1e6}) {
            // G(x) grows like x for a vanishing x: a root near p itself, 2^-1000 and
            // below, is far past the 200 halvings allowed.
            double x = -7.0;
            EXPECT_EQ(zconf1h(p, n, &x, 2.0), 1) << p << " " << n;
            EXPECT_EQ(x, -7.0) << "no limit is written on failure";
            x = -7.0;
            const int rc = zconf1l(p, &x, n, 2.0);
            EXPECT_NE(rc, 0) << p << " " << n;
            EXPECT_EQ(x, 0.0);
        }
    }
    // Each search makes a bounded number of evaluations: the whole grid in well under a
    // second even with the sanitizers.
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
}

TEST(LimitSearchEnds, OrdinaryLimitsStillFound) {
    // The 95 % Poisson-type limits of the binomial analysis' usual range, each checked by
    // putting the root back into the F distribution function.
    for (double n : {2.0, 10.0, 40.0})
        for (double r : {0.5, 2.0, 30.0}) {
            double x = -1.0;
            ASSERT_EQ(zconf1h(0.975, n, &x, r), 0) << n << " " << r;
            double g;
            ASSERT_EQ(zplbfnc(r * x, n, 2.0 * x, 0.0, &g), 0);
            EXPECT_NEAR(g, 0.975, 1e-6) << n << " " << r;
        }
}
