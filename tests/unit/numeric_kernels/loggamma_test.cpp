// The generalized log-gamma kernels: the shape block, agreement with the gamma
// distribution (R's dgamma and pgamma), and the derivative kernel against central
// differences in z, in the half-width and in the shape k.
#include <gtest/gtest.h>
#include <cmath>
#include "numdiff.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/loggamma_tail.h"
#include "tests/support/reference.h"

namespace {

constexpr double UNTOUCHED = -12345.0;

struct shape {
    double b[GSH_SIZE];
    explicit shape(double k) {
        for (double& v : b) v = UNTOUCHED;
        zprbpgm(k, b);
    }
};

int value(int mode, double x, double h, double k, double* out) {
    const shape s(k);
    const double z[2] = {x, h};
    return zprblgm(mode, z, s.b, out);
}

double value(int mode, double x, double h, double k) {
    double out = NAN;
    if (value(mode, x, h, k, &out) != 0) return NAN;
    return out;
}

int deriv(int mode, double x, double h, double k, double* out) {
    const shape s(k);
    const double z[2] = {x, h};
    for (int i = 0; i < 9; ++i) out[i] = UNTOUCHED;
    return zprbwgm(mode, z, s.b, out);
}

}  // namespace

TEST(GammaShapeBlock, SmallAndUnitShape) {
    shape small(0.01);
    EXPECT_EQ(small.b[GSH_K], 0.01);
    for (int i = 1; i < GSH_SIZE; ++i) EXPECT_EQ(small.b[i], UNTOUCHED);
    shape unit(1.0);
    EXPECT_EQ(unit.b[GSH_Q], 1.0);
    EXPECT_NEAR(unit.b[GSH_B5], 1.0, 1e-15);
    EXPECT_NEAR(unit.b[GSH_B6], 0.15443132980306573, 1e-14);
    EXPECT_NEAR(unit.b[GSH_B7], 0.11644227798370843, 1e-14);
}

TEST(LogGammaValueKernel, FixedPoints) {
    EXPECT_NEAR(value(KMODE_EXACT, 0.0, 0.0, 1.0), 1.0, 1e-15);
    EXPECT_DOUBLE_EQ(value(KMODE_EXACT, 0.0, 0.0, 0.01), 0.0001 / 12 + 0.9189385332046728);
    for (double k : {-2.0, -0.3, -0.01, 0.01, 0.05, 1.0, 4.0}) {
        for (double z : {-6.0, -1.0, 0.0, 0.7, 3.0}) {
            const double r = value(KMODE_RIGHT, z, 0.0, k), l = value(KMODE_LEFT, z, 0.0, k);
            EXPECT_NEAR(std::exp(-r) + std::exp(-l), 1.0, 1e-12) << k << " " << z;
        }
    }
    double out = UNTOUCHED;
    EXPECT_EQ(value(5, 0.0, 0.0, 1.0, &out), 0);
    EXPECT_EQ(out, UNTOUCHED);
}

TEST(LogGammaValueKernel, AgreesWithTheGammaDistribution) {
    const RefTable t = readRef("numeric_kernels/loggamma.txt");
    ASSERT_GT(t.rows.size(), 50u);
    double worst = 0.0;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double k = t.at(i, "k"), z = t.at(i, "z");
        const char* col[3] = {"exact", "right", "left"};
        const int mode[3] = {KMODE_EXACT, KMODE_RIGHT, KMODE_LEFT};
        for (int m = 0; m < 3; ++m) {
            const double want = t.at(i, col[m]);
            double got = NAN;
            ASSERT_EQ(value(mode[m], z, 0.0, k, &got), 0) << k << " " << z << " " << col[m];
            // The continued fractions stop at a relative change of 1e-8.
            EXPECT_NEAR(got, want, 2e-8 * (std::fabs(want) + 1e-3)) << k << " " << z << " " << col[m];
            worst = std::fmax(worst, std::fabs(got - want) / (std::fabs(want) + 1e-3));
        }
    }
    std::printf("log-gamma value kernels against R: worst relative error %.2e\n", worst);
}

TEST(LogGammaValueKernel, SmallShapeIsTheNormalLimitOnBothSides) {
    // The small-shape tails mirror under (z, k) -> (-z, -k), like the exact family.
    for (double k : {0.0, 0.004, 0.015}) {
        for (double z : {-12.0, -3.0, -0.2, 0.0, 0.5, 2.5, 11.0}) {
            EXPECT_NEAR(value(KMODE_RIGHT, z, 0.0, -k), value(KMODE_LEFT, -z, 0.0, k), 1e-12 * (1 + std::fabs(z * z)))
                << k << " " << z;
        }
    }
    // Just inside the small-shape range the tails stay close to the exact family.
    const RefTable t = readRef("numeric_kernels/loggamma.txt");
    const double k = 0.015625;
    for (double z : {-3.0, -1.0, 0.0, 1.0, 3.0}) {
        const double regular = value(KMODE_RIGHT, z, 0.0, 0.015626), small = value(KMODE_RIGHT, z, 0.0, k);
        EXPECT_NEAR(small, regular, 1e-4 * (1.0 + regular)) << z;
        const double l1 = value(KMODE_LEFT, z, 0.0, -0.015626), l2 = value(KMODE_LEFT, z, 0.0, -k);
        EXPECT_NEAR(l2, l1, 1e-4 * (1.0 + l1)) << z;
    }
}

TEST(LogGammaValueKernel, LargeShapeNearTheCentre) {
    // q = 2500: the continued fraction needs about 95 passes at the median.
    for (double k : {0.02, -0.02, 0.0157}) {
        double out;
        EXPECT_EQ(value(KMODE_RIGHT, 0.0, 0.0, k, &out), 0) << k;
        EXPECT_NEAR(out, std::log(2.0), 0.02);
    }
}

TEST(LogGammaValueKernel, Intervals) {
    for (double k : {-1.5, -0.2, 0.01, 0.5, 2.0}) {
        // Zero width with both ends in one tail: no probability, refused.
        double out = UNTOUCHED;
        EXPECT_EQ(value(KMODE_INTERVAL, 1.3, 0.0, k, &out), 1) << k;
        EXPECT_EQ(out, UNTOUCHED);
        // Ends a few units of rounding apart on either side of the point where the tail
        // held switches: the probability is floored at 2^-53.
        const shape s(k);
        auto tail = [&](double x) {
            double rec[GTAIL_SIZE];
            return dergam(x, s.b, false, std::fabs(k) <= GSH_SMALL, rec);
        };
        double lo = -3.0, hi = 3.0;  // bisection on the tail held
        ASSERT_NE(tail(lo), tail(hi));
        for (int i = 0; i < 200 && std::nextafter(lo, hi) != hi; ++i) {
            const double mid = 0.5 * (lo + hi);
            if (mid == lo || mid == hi) break;
            (tail(mid) == tail(lo) ? lo : hi) = mid;
        }
        const double c = lo, h = hi - lo;  // ends 2 lo - hi and hi, a few units apart
        ASSERT_NE(tail(c - h), tail(c + h));
        ASSERT_EQ(value(KMODE_INTERVAL, c, h, k, &out), 0) << k;
        EXPECT_LE(out, -std::log(1.110223024625157e-16));
        // A proper interval equals the difference of the tails.
        for (double c : {-2.0, 0.0, 0.4, 3.0}) {
            const double h = 0.6;
            // From the smaller tail, where the difference keeps its digits.
            const bool upper = value(KMODE_RIGHT, c, 0.0, k) > std::log(2.0);
            const double p = upper ? std::exp(-value(KMODE_RIGHT, c - h, 0.0, k)) - std::exp(-value(KMODE_RIGHT, c + h, 0.0, k))
                                   : std::exp(-value(KMODE_LEFT, c + h, 0.0, k)) - std::exp(-value(KMODE_LEFT, c - h, 0.0, k));
            ASSERT_EQ(value(KMODE_INTERVAL, c, h, k, &out), 0);
            EXPECT_NEAR(out, -std::log(p), 1e-7 * (1 + std::fabs(out))) << k << " " << c;
        }
    }
}

TEST(LogGammaDerivativeKernel, ExactMode) {
    double out[9];
    ASSERT_EQ(deriv(KMODE_EXACT, 0.4, 0.0, 0.8, out), 0);
    EXPECT_EQ(out[7], 0.0);
    for (int i = 2; i <= 4; ++i) EXPECT_EQ(out[i], UNTOUCHED);
    // Beyond half the exp overflow the value kernel refuses; so does the derivative.
    EXPECT_EQ(deriv(KMODE_EXACT, 400.0, 0.0, 1.0, out), 1);
    ASSERT_EQ(deriv(6, 0.4, 0.0, 0.8, out), 0);
    EXPECT_EQ(out[5], 0.0);
    EXPECT_EQ(out[8], 0.0);
}

TEST(LogGammaDerivativeKernel, NegativeShapeIntervalReflects) {
    for (double k : {0.01, 0.3, 1.7}) {
        for (double c : {-1.0, 0.2, 2.0}) {
            double a[9], b[9];
            ASSERT_EQ(deriv(KMODE_INTERVAL, c, 0.5, -k, a), 0);
            ASSERT_EQ(deriv(KMODE_INTERVAL, -c, 0.5, k, b), 0);
            for (int i : {1, 2, 4, 6, 8}) EXPECT_DOUBLE_EQ(a[i], b[i]) << i;
            for (int i : {0, 3, 5, 7}) EXPECT_DOUBLE_EQ(a[i], -b[i]) << i;
        }
    }
}

namespace {

// Compares the derivative kernel with differences of the value kernel at (x, h, k).
double checklg(int mode, double x, double h, double k, bool small) {
    // Only where the probability is a double (minus its log below 700): beyond, the tail
    // and the density are both far below 1e-300 and the curvature is a small difference of
    // logarithms of that size.
    if (!(value(mode, x, h, k) < 700.0)) return 0.0;
    double out[9];
    EXPECT_EQ(deriv(mode, x, h, k, out), 0) << mode << " " << x << " " << h << " " << k;
    const double dz = 1e-3, dz2 = 1e-2;
    // Steps in k stay inside one regime (small or regular shape).
    const double dk = small ? std::fmin(1e-3, (0.015625 - std::fabs(k)) / 2) : 1e-3;
    auto fz = [&](double t) { return value(mode, t, h, k); };
    auto fk = [&](double t) { return value(mode, x, h, t); };
    auto kz = [&](double t) {  // df/dz from the kernel, as a function of k
        double o[9];
        deriv(mode, x, h, t, o);
        return o[0];
    };
    auto kk = [&](double t) {  // df/dk from the kernel, as a function of k
        double o[9];
        deriv(mode, x, h, t, o);
        return o[5];
    };
    double worst = 0.0;
    auto check = [&](double got, double want, double floor, const char* what) {
        EXPECT_TRUE(close(got, want, 1e-6, floor)) << what << " mode " << mode << " x " << x << " h " << h << " k " << k
                                                   << ": " << got << " vs " << want;
        worst = std::fmax(worst, std::fabs(got - want) / (std::fabs(want) + floor));
    };
    // Second derivatives are judged against the scale of the Hessian block and of the
    // squared gradient (the interval formulas subtract products of that size).
    double scale = std::fmax(std::fabs(out[1]), std::fabs(out[8]));
    scale = std::fmax(scale, out[0] * out[0]);
    if (mode == KMODE_INTERVAL) scale = std::fmax(scale, std::fmax(std::fabs(out[4]), out[2] * out[2]));
    const double block = std::fmax(1e-3, 1e-3 * scale);
    check(out[0], cdiff1(fz, x, dz), 1e-3, "df/dz");
    check(out[1], cdiff2(fz, x, dz2), block, "d2f/dz2");
    check(out[5], cdiff1(fk, k, dk), 1e-3, "df/dk");
    // The second k-derivative as the difference of the first, itself checked against the
    // values: second differences in k drown in the rounding of log Gamma(1/k^2).
    check(out[8], cdiff1(kk, k, dk), block, "d2f/dk2");
    check(out[6], cdiff1(kz, k, dk), block, "d2f/dz dk");
    if (mode == KMODE_INTERVAL) {
        const double dh = std::fmin(1e-3, h / 100);
        auto fh = [&](double t) { return value(mode, x, t, k); };
        auto kh = [&](double t) {
            double o[9];
            deriv(mode, x, h, t, o);
            return o[2];
        };
        auto ch = [&](double t) {
            double o[9];
            deriv(mode, t, h, k, o);
            return o[2];
        };
        check(out[2], cdiff1(fh, h, dh), 1e-3, "df/dh");
        check(out[4], cdiff2(fh, h, std::fmin(1e-2, h / 100)), block, "d2f/dh2");
        check(out[3], cdiff1(ch, x, dz), block, "d2f/dc dh");
        check(out[7], cdiff1(kh, k, dk), block, "d2f/dh dk");
    }
    return worst;
}

}  // namespace

TEST(LogGammaDerivativeKernel, AgreesWithDifferencesOfValues) {
    double worst = 0.0;
    for (double k : {-3.0, -0.7, -0.1, -0.01, 0.0, 0.006, 0.03, 0.25, 1.0, 2.5}) {
        const bool small = std::fabs(k) <= 0.015625;
        for (int mode : {KMODE_EXACT, KMODE_RIGHT, KMODE_LEFT}) {
            for (double x = -9.0; x <= 9.0; x += 0.9) {
                if (std::fabs(k * x) > 20) continue;
                worst = std::fmax(worst, checklg(mode, x, 0.0, k, small));
            }
        }
        for (double c = -4.0; c <= 4.0; c += 1.1) {
            for (double h : {0.05, 0.6, 2.5}) worst = std::fmax(worst, checklg(KMODE_INTERVAL, c, h, k, small));
        }
    }
    std::printf("log-gamma derivative kernel: worst relative disagreement %.2e\n", worst);
}
