// Nice axis scaling against hand-computed scales: the worked examples of the scaling rules
// and a table of ranges (tiny, huge, negative, one value, log decades, crossing zero).
#include <gtest/gtest.h>

#include <cmath>
#include "proc/devgraph/devgraph_internal.h"

namespace {

const double NICE[] = {1.0, 2.0, 2.5, 5.0, 10.0};

struct Case {
    const char* what;
    double min, max;
    int n;
    char side;
    int result;
    double lo, hi, incr;
};

// Each row was worked by hand: r = range / count, p = 10^floor(log10 r), the first nice value
// whose threshold sqrt(nice[i] * nice[i+1]) (1.414, 2.236, 3.536, 7.071) exceeds r / p, then
// the ends snapped out to multiples of the increment.
const Case CASES[] = {
    {"about 5 intervals of 0..97", 0, 97, 5, 'X', 5, 0, 100, 20},
    {"exactly 4 intervals of 0..97", 0, 97, -4, 'X', 4, 0, 100, 25},
    {"one value widened by itself", 5, 5, 5, 'X', 5, 0, 10, 2},
    {"zero widened by one", 0, 0, 4, 'X', 4, -1, 1, 0.5},
    {"ends given the wrong way round", 97, 0, 5, 'X', 5, 0, 100, 20},
    {"tiny", 0.00012, 0.00087, 5, 'X', 5, 0, 0.001, 0.0002},
    {"huge", 1.2e9, 8.7e9, 5, 'X', 5, 0, 1e10, 2e9},
    {"negative", -97, 0, 5, 'X', 5, -100, 0, 20},
    {"crossing zero", -3.7, 12.2, 4, 'X', 4, -5, 15, 5},
    // r = 0.925, p = 0.1: nice 10 gives 5 decades > 4; the list shifts a decade (10, 20, ...)
    // and the second value, 2, gives -2 .. 4 in 3 intervals; the exact count keeps 4.
    {"log decades, exactly 4", -1.3, 2.4, -4, 'X', 4, -2, 6, 2},
    {"log decades, about 4", -1.3, 2.4, 4, 'X', 5, -2, 3, 1},
    // Sides: the kept end stays where it is even when it is no multiple of the increment.
    {"lower end kept", 3, 97, 5, 'L', 5, 3, 103, 20},
    {"upper end kept", 3, 97, 5, 'U', 5, -3, 97, 20},
    {"centred", 3, 97, 5, 'E', 5, 0, 100, 20},
    // 5 .. 15 after widening upwards; snapped 4 .. 16 is 6 intervals of 2 from the kept 5.
    {"one value, lower end kept", 5, 5, 5, 'L', 6, 5, 17, 2},
};

TEST(NiceScale, HandComputedTable) {
    for (const Case& c : CASES) {
        scale s{};
        int r = zqscale(c.min, c.max, c.n, 5, NICE, &s, 'N', c.side);
        EXPECT_EQ(r, c.result) << c.what;
        EXPECT_NEAR(s.min, c.lo, 1e-12 * std::fmax(1.0, std::fabs(c.lo))) << c.what;
        EXPECT_NEAR(s.max, c.hi, 1e-12 * std::fmax(1.0, std::fabs(c.hi))) << c.what;
        EXPECT_NEAR(s.incr, c.incr, 1e-12 * c.incr) << c.what;
    }
}

TEST(NiceScale, FailuresKeepTheFirstRecordAndTheCallersList) {
    scale s{};
    EXPECT_EQ(zqscale(2, 8, 0, 5, NICE, &s, 'N', 'X'), ZQS_NOCOUNT);
    EXPECT_EQ(s.min, 2);
    EXPECT_EQ(s.max, 8);
    EXPECT_EQ(s.incr, 3);
    EXPECT_EQ(s.index, 2);
    const double bad[] = {1.0, 12.0};
    EXPECT_EQ(zqscale(2, 8, 4, 2, bad, &s, 'N', 'X'), ZQS_BADNICE);
    const double nan[] = {1.0, NAN};
    EXPECT_EQ(zqscale(2, 8, 4, 2, nan, &s, 'N', 'X'), ZQS_BADNICE);
    // Ends that are not finite, or a range too wide for doubles, give no scale instead of a
    // count made from an infinite width.
    EXPECT_EQ(zqscale(-INFINITY, 8, 4, 5, NICE, &s, 'N', 'X'), ZQS_NEGATIVE);
    EXPECT_EQ(zqscale(-1.7e308, 1.7e308, 4, 5, NICE, &s, 'N', 'X'), ZQS_NEGATIVE);
    EXPECT_EQ(zqscale(NAN, 8, -4, 5, NICE, &s, 'N', 'X'), ZQS_NEGATIVE);
    // A range that straddles a multiple of every increment needs two intervals at least:
    // exactly one is out of reach after five decade shifts.
    EXPECT_EQ(zqscale(-1, 1, -1, 5, NICE, &s, 'N', 'X'), ZQS_NOFIT);
    // Sorting works on a copy.
    double mine[] = {5.0, 1.0, 2.0};
    EXPECT_EQ(zqscale(0, 97, 5, 3, mine, &s, 'N', 'X'), 5);
    EXPECT_EQ(mine[0], 5.0);
    EXPECT_EQ(mine[1], 1.0);
}

TEST(NiceScale, OneNiceValueCountsTwiceAndUnsortedListsStayInOrder) {
    const double five[] = {5.0};
    scale s{};
    // r = 19.4, p = 10: with 5, 5 the only threshold is 5, so nice 5: increment 50.
    EXPECT_EQ(zqscale(0, 97, 5, 1, five, &s, 'N', 'X'), 2);
    EXPECT_EQ(s.incr, 50);
    EXPECT_EQ(s.max, 100);
    // Order 'S' keeps 5, 1 as given: threshold sqrt(5) = 2.236 > 1.94, so the first value, 5.
    const double unsorted[] = {5.0, 1.0};
    EXPECT_EQ(zqscale(0, 97, 5, 2, unsorted, &s, 'S', 'X'), 2);
    EXPECT_EQ(s.incr, 50);
    EXPECT_EQ(zqscale(0, 97, 5, 2, unsorted, &s, 'N', 'X'), 10);
    EXPECT_EQ(s.incr, 10);
}

TEST(NiceScale, HelperSteps) {
    double a[] = {3, 1, NAN, 2};
    bubbles(a, 2);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 3);
    EXPECT_EQ(mypow10(-8), 1e-8);
    EXPECT_EQ(mypow10(0), 1.0);
    EXPECT_EQ(mypow10(3), 1000.0);
    EXPECT_EQ(mypow10(-9), 1e-9);
}

}  // namespace
