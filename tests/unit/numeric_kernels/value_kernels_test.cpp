// Value kernels of the normal, logistic and smallest extreme value families: the fixed
// points and branch switches, and agreement with minus the log of the densities and
// probabilities computed independently in long double.
#include <gtest/gtest.h>
#include <cfloat>
#include <cmath>
#include "proc/numeric/kernels.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double PENALTY = DBL_MAX / 1000.0;
constexpr double UNTOUCHED = -12345.0;

struct call {
    int rc;
    double v;
};

call run(kernfn k, int mode, double x, double h = 0.0) {
    const double z[2] = {x, h};
    double out[1] = {UNTOUCHED};
    const int rc = k(mode, z, nullptr, out);
    return {rc, out[0]};
}

// Independent references: minus the log of density, survival, distribution function and
// interval probability, in long double from the C library.
struct family {
    long double (*cdf)(long double);
    long double (*sf)(long double);
    long double (*logdens)(long double);
};

long double ncdf(long double x) { return 0.5L * std::erfc(-x / std::sqrt(2.0L)); }
long double nsf(long double x) { return 0.5L * std::erfc(x / std::sqrt(2.0L)); }
long double nlogdens(long double x) { return -0.5L * x * x - 0.5L * std::log(2.0L * 3.14159265358979323846L); }
long double lcdf(long double x) { return 1.0L / (1.0L + std::exp(-x)); }
long double lsf(long double x) { return 1.0L / (1.0L + std::exp(x)); }
long double llogdens(long double x) { return -std::fabs(x) - 2.0L * std::log1p(std::exp(-std::fabs(x))); }
long double scdf(long double x) { return -std::expm1(-std::exp(x)); }
long double ssf(long double x) { return std::exp(-std::exp(x)); }
long double slogdens(long double x) { return x - std::exp(x); }

const family NORMAL{ncdf, nsf, nlogdens};
const family LOGISTIC{lcdf, lsf, llogdens};
const family SEV{scdf, ssf, slogdens};

// Interval probability from the side where the smaller tail keeps its digits.
long double intervalprob(const family& f, long double c, long double h) {
    const long double lo = f.cdf(c + h) - f.cdf(c - h);
    const long double hi = f.sf(c - h) - f.sf(c + h);
    return f.cdf(c) < 0.5L ? lo : hi;
}

void agreeall(kernfn k, const family& f, double lo, double hi, double rel) {
    for (double x = lo; x <= hi; x += 0.37) {
        call r = run(k, KMODE_EXACT, x);
        EXPECT_EQ(r.rc, 0);
        EXPECT_NEAR(r.v, static_cast<double>(-f.logdens(x)), rel * (1.0 + std::fabs(r.v))) << "exact " << x;
        r = run(k, KMODE_RIGHT, x);
        EXPECT_NEAR(r.v, static_cast<double>(-std::log(f.sf(x))), rel * (1e-3 + std::fabs(r.v))) << "right " << x;
        r = run(k, KMODE_LEFT, x);
        EXPECT_NEAR(r.v, static_cast<double>(-std::log(f.cdf(x))), rel * (1e-3 + std::fabs(r.v))) << "left " << x;
        for (double h : {1e-6, 0.01, 0.3, 2.0, 9.0}) {
            r = run(k, KMODE_INTERVAL, x, h);
            const long double p = intervalprob(f, x, h);
            if (p < 1e-300L) continue;
            EXPECT_EQ(r.rc, 0) << x << " " << h;
            EXPECT_NEAR(r.v, static_cast<double>(-std::log(p)), rel * (1.0 + std::fabs(r.v))) << "interval " << x << " " << h;
        }
    }
}

}  // namespace

TEST(ValueKernels, AgreeWithTheFamilies) {
    // Beyond -10 the normal tail comes from a four-level continued fraction (3.7e-9 off at -10).
    agreeall(zprblnm, NORMAL, -30.0, 30.0, 5e-9);
    agreeall(zprblnmLog, NORMAL, -30.0, 30.0, 1e-9);
    agreeall(zprbllg, LOGISTIC, -40.0, 40.0, 1e-12);
    agreeall(zprblwb, SEV, -30.0, 3.5, 1e-9);
}

TEST(NormalValueKernel, TailBranches) {
    // -10 takes the continued fraction, -9.999 the logarithm of Phi.
    const double w = 10.0;
    const double cf = 0.5 * w * w + 0.9189385332046728 + std::log(w + 1.0 / (w + 2.0 / (w + 3.0 / w)));
    EXPECT_DOUBLE_EQ(run(zprblnm, KMODE_LEFT, -10.0).v, cf);
    EXPECT_DOUBLE_EQ(run(zprblnm, KMODE_LEFT, -9.999).v, -std::log(zprbnrm(-9.999)));
    EXPECT_LT(std::fabs(cf + std::log(zprbnrm(-10.0))) / cf, 1e-8);
    EXPECT_EQ(run(zprblnm, KMODE_RIGHT, 3.0).v, run(zprblnm, KMODE_LEFT, -3.0).v);
}

TEST(NormalValueKernel, IntervalRefusals) {
    const call r = run(zprblnm, KMODE_INTERVAL, 0.4, 0.0);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.v, PENALTY);
    // Ends that round to one point, and a centre that is not a number.
    EXPECT_EQ(run(zprblnm, KMODE_INTERVAL, -45.0, 1e-30).rc, 1);
    EXPECT_EQ(run(zprblnm, KMODE_INTERVAL, std::nan(""), 1.0).rc, 1);
}

// Where the interval probability is a normal double the kernel is the difference of the two
// distribution values, formed in extended precision, to the last bit; below DBL_MIN (about 38
// scales out, where it underflowed and was refused, or was a subnormal with digits lost: 5.3e-4
// off at c = -37.7, h = 0.1) it takes the log-probability form, within 1e-12 of the long double
// reference far beyond.
TEST(NormalValueKernel, IntervalBelowTheSmallestNormalDouble) {
    int plain = 0, far = 0;
    for (double x = -61.0; x <= 61.0; x += 0.37) {
        for (double h : {1e-9, 1e-6, 1e-3, 0.1, 1.0, 4.0, 20.0}) {
            const double c = -std::fabs(x);
            const double p = static_cast<double>(static_cast<long double>(zprbnrm(c + h)) - static_cast<long double>(zprbnrm(c - h)));
            const call r = run(zprblnm, KMODE_INTERVAL, x, h);
            ASSERT_EQ(r.rc, 0) << x << " " << h;
            if (p >= DBL_MIN) {
                EXPECT_EQ(r.v, -std::log(p)) << x << " " << h;
                ++plain;
                continue;
            }
            // Narrow intervals against -log(2 h phi(c)), whose next term (c^2 - 1) h^2 / 6 is
            // below 1e-9 here: the ends' long double probabilities, each off by 2 y^2 roundings
            // of the argument y, lose too many digits to their difference.
            const long double ref = h < 1e-3 ? -std::log(2.0L * h) - nlogdens(c) : -std::log(intervalprob(NORMAL, c, h));
            EXPECT_NEAR(r.v, static_cast<double>(ref), 1e-12 * static_cast<double>(ref)) << x << " " << h;
            ++far;
        }
    }
    EXPECT_GT(plain, 500);
    EXPECT_GT(far, 150);
    const long double ref = -std::log(intervalprob(NORMAL, -37.7L, 0.1L));
    EXPECT_NEAR(run(zprblnm, KMODE_INTERVAL, -37.7, 0.1).v, static_cast<double>(ref), 1e-12 * static_cast<double>(ref));
}

TEST(ValueKernels, IntervalSymmetricInTheCentre) {
    for (kernfn k : {zprblnm, zprbllg, zprblnmLog}) {
        for (double c : {0.2, 1.7, 6.0, 15.0}) {
            for (double h : {1e-7, 0.05, 1.0, 4.0}) {
                const call a = run(k, KMODE_INTERVAL, c, h), b = run(k, KMODE_INTERVAL, -c, h);
                EXPECT_EQ(a.rc, b.rc);
                EXPECT_EQ(a.v, b.v) << c << " " << h;
            }
        }
    }
}

TEST(LogisticValueKernel, NarrowIntervals) {
    // Below 2^-26.5 the width term is log(2h), above it log(1 - e^-2h).
    auto expected = [](double c, double h, double w) {
        return -c + zln1px(std::exp(c - h)) + std::log(std::exp(-h) + std::exp(c)) - w;
    };
    const double c = -0.8;
    EXPECT_DOUBLE_EQ(run(zprbllg, KMODE_INTERVAL, c, 1e-9).v, expected(c, 1e-9, std::log(2e-9)));
    EXPECT_DOUBLE_EQ(run(zprbllg, KMODE_INTERVAL, c, 2e-8).v, expected(c, 2e-8, zln1px(-std::exp(-4e-8))));
    // Both close to the exact value.
    for (double h : {1e-9, 2e-8}) {
        const long double p = intervalprob(LOGISTIC, c, h);
        EXPECT_NEAR(run(zprbllg, KMODE_INTERVAL, c, h).v, static_cast<double>(-std::log(p)), 1e-8);
    }
    const call r = run(zprbllg, KMODE_INTERVAL, c, 0.0);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.v, UNTOUCHED);
}

TEST(LogisticValueKernel, WideIntervalFarOut) {
    // Both terms of e^-h + e^c underflow although the interval holds half the mass.
    const call r = run(zprbllg, KMODE_INTERVAL, -800.0, 800.0);
    EXPECT_EQ(r.rc, 0);
    EXPECT_NEAR(r.v, std::log(2.0), 1e-12);
}

TEST(SevValueKernel, RangeGuard) {
    call r = run(zprblwb, KMODE_LEFT, 354.9);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.v, 0.0);
    r = run(zprblwb, KMODE_EXACT, 354.9);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.v, 1.3407807929943e154);
    EXPECT_EQ(run(zprblwb, KMODE_LEFT, -21.5).v, 21.5);
}

TEST(SevValueKernel, IntervalRefusals) {
    call r = run(zprblwb, KMODE_INTERVAL, 0.5, 710.0);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.v, PENALTY);
    r = run(zprblwb, KMODE_INTERVAL, -5.0, 1e-20);  // the two ends cannot be told apart
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.v, std::exp(-5.0));
    // A zero width with the centre above 0 would be log(0): refused as well.
    r = run(zprblwb, KMODE_INTERVAL, 1.5, 0.0);
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(std::isfinite(r.v));
}

TEST(ValueKernels, OtherModes) {
    for (kernfn k : {zprblnm, zprbllg}) {
        const call r = run(k, 3, 0.5);
        EXPECT_EQ(r.rc, 0);
        EXPECT_EQ(r.v, UNTOUCHED);
    }
    const call r = run(zprblwb, 7, 0.5);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.v, std::exp(0.5));
    EXPECT_EQ(run(zprblnmLog, 1, 0.5).rc, 1);
}

TEST(NormalLogValueKernel, NarrowAndRefusedIntervals) {
    // The small-width series against the exact probability.
    for (double c : {-3.0, -0.5, 0.0, 40.0}) {
        const double h = 5e-6;
        const call r = run(zprblnmLog, KMODE_INTERVAL, c, h);
        ASSERT_EQ(r.rc, 0) << c;
        const long double p = intervalprob(NORMAL, -std::fabs(c), h);
        EXPECT_NEAR(r.v, static_cast<double>(-std::log(p)), 1e-9 * std::fabs(r.v));
    }
    EXPECT_EQ(run(zprblnmLog, KMODE_INTERVAL, 500.0, 5e-6).rc, 1);  // |h c| above 0.001
    EXPECT_EQ(run(zprblnmLog, KMODE_INTERVAL, 0.3, 0.0).rc, 1);
    // Far beyond the underflow of Phi the log form still gives a value.
    const call r = run(zprblnmLog, KMODE_INTERVAL, -60.0, 1.0);
    EXPECT_EQ(r.rc, 0);
    EXPECT_NEAR(r.v, 0.5 * 59 * 59 + 0.9189385332046728 + std::log(59.0), 0.01);
}
