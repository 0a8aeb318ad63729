// The key of a row of the placement's caches: the baseline rounded to a hundredth of a text
// height, halves away from zero, exactly as llround rounds (rows a hair apart share a key or not
// by it, and the placement's answers with them).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/labelplanner.h"

namespace {

using labelplace::Planner;

TEST(RowKey, RoundsAsLlroundAtHalvesAndTheirNeighbours) {
    std::vector<double> v{0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.5, -2.5, 0.49999999999999994, -0.49999999999999994,
                          4503599627370495.5, -4503599627370495.5, 4503599627370497.0, 1e17, -1e17, 5e18, -5e18};
    for (double base : {0.5, 1.5, 12345.5, 98765432.5})
        for (double b : {base, -base}) {
            v.push_back(std::nextafter(b, 0.0));
            v.push_back(std::nextafter(b, 2 * b));
        }
    for (const double x : v) EXPECT_EQ(Planner::rounded(x), std::llround(x)) << x;
}

}  // namespace
