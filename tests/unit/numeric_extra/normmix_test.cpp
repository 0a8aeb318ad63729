// The normal mixture distribution, the inverse Gaussian distribution function and the
// normal probability between two points.
#include <cmath>
#include <vector>

#include "proc/numeric/normal.h"
#include "proc/numeric/normmix.h"
#include "tests/support/reference.h"

namespace {
struct Mixture {
    std::vector<double> w, m, s;
    mxnreq req(uint32_t request, double x, double p = 0) {
        mxnreq r{};
        r.request = request;
        r.x = x;
        r.p = p;
        r.k = static_cast<int32_t>(w.size());
        r.weights = w.data();
        r.means = m.data();
        r.sds = s.data();
        return r;
    }
};
// The mixture distribution function summed directly.
long double directCdf(const Mixture& mx, double x) {
    long double f = 0;
    for (size_t i = 0; i < mx.w.size(); ++i)
        f += mx.w[i] * 0.5L * std::erfc(-(static_cast<long double>(x) - mx.m[i]) / mx.s[i] / std::sqrt(2.0L));
    return f;
}
}  // namespace

TEST(NormalMixture, OneStandardComponentIsTheNormal) {
    Mixture mx{{1.0}, {0.0}, {1.0}};
    for (double x : {-40.0, -5.0, -0.3, 0.0, 2.0, 9.0}) {
        mxnreq r = mx.req(0, x);
        ASSERT_EQ(zmxnorm(&r), 0);
        double lc, ls, ld;
        ASSERT_EQ(zlognrm(x, &lc, &ls, &ld), 0);
        EXPECT_NEAR(r.logcdf, lc, 1e-15 * std::fmax(1, -lc)) << x;
        EXPECT_NEAR(r.logsurv, ls, 1e-15 * std::fmax(1, -ls)) << x;
        EXPECT_NEAR(r.logdens, ld, 1e-15 * std::fmax(1, -ld)) << x;
    }
    for (double p : {1e-12, 0.01, 0.3, 0.5, 0.8, 0.999999}) {
        Mixture m1{{1.0}, {0.0}, {1.0}};
        mxnreq r = m1.req(MXN_QUANTILE, 0, p);
        ASSERT_EQ(zmxnorm(&r), 0) << p;
        EXPECT_NEAR(r.x, zprobit(p), 1e-5) << p;
    }
}

TEST(NormalMixture, Verification) {
    // 0.5 + 0.5000000000000011 rounds to exactly 1 + 10 * 2^-53, which the rule accepts;
    // 12 units of 2^-53 above one half are refused.
    Mixture ok{{0.5, 0.5000000000000011}, {0, 1}, {1, 1}};
    mxnreq r0 = ok.req(0, 0);
    EXPECT_EQ(zmxnorm(&r0), 0);
    Mixture a{{0.5, 0.5000000000000013}, {0, 1}, {1, 1}};
    mxnreq r = a.req(0, 0);
    EXPECT_EQ(zmxnorm(&r), 20);
    Mixture b{{0.5, 0.0, 0.5}, {0, 1, 2}, {1, 1, 1}};
    r = b.req(0, 0);
    EXPECT_EQ(zmxnorm(&r), 3 + 1);
    Mixture c{{0.5, 0.5}, {0, 1}, {1, -1}};
    r = c.req(0, 0);
    EXPECT_EQ(zmxnorm(&r), 4 + 1);
    Mixture d{{0.5, 0.4}, {0, 1}, {1, 1}};
    r = d.req(0, 0);
    EXPECT_EQ(zmxnorm(&r), 20);
    EXPECT_EQ(r.state & MXN_VERIFIED, 0u);
    // Accepted, and for a quantile sorted by the means with weights and sds moved along.
    Mixture e{{0.2, 0.3, 0.5}, {4, -1, 2}, {1, 2, 3}};
    r = e.req(MXN_QUANTILE, 0, 0.5);
    ASSERT_EQ(zmxnorm(&r), 0);
    EXPECT_EQ(r.state & MXN_VERIFIED, MXN_VERIFIED);
    EXPECT_EQ(e.m, (std::vector<double>{-1, 2, 4}));
    EXPECT_EQ(e.w, (std::vector<double>{0.3, 0.5, 0.2}));
    EXPECT_EQ(e.s, (std::vector<double>{2, 3, 1}));
}

TEST(NormalMixture, ZeroStandardDeviationUsesTheFloor) {
    Mixture mx{{0.5, 0.5}, {0, 3}, {0.0, 1.0}};
    const double floor = 1.053671212772351e-08;
    mxnreq r = mx.req(0, 0.5 * floor);
    ASSERT_EQ(zmxnorm(&r), 0);
    EXPECT_NEAR(std::exp(r.logcdf), 0.5 * zprbnrm(0.5) + 0.5 * zprbnrm(0.5 * floor - 3.0), 1e-15);
}

// Probabilities against the direct sum, and quantiles that give their probability back,
// for mixtures with well separated and with overlapping components (all three modes).
TEST(NormalMixture, ProbabilitiesAndQuantiles) {
    const std::vector<Mixture> mixtures = {
        {{0.3, 0.7}, {0, 10}, {1, 2}}, {{0.2, 0.5, 0.3}, {-1, 0, 0.5}, {1, 0.3, 2}}, {{0.5, 0.5}, {0, 7}, {1, 1}}};
    for (Mixture mx : mixtures) {
        for (double x : {-6.0, -1.0, 0.2, 3.0, 8.0, 11.0}) {
            mxnreq r = mx.req(0, x);
            ASSERT_EQ(zmxnorm(&r), 0);
            const long double f = directCdf(mx, x);
            EXPECT_NEAR(std::exp(r.logcdf), static_cast<double>(f), 1e-15) << x;
            EXPECT_NEAR(std::exp(r.logsurv), static_cast<double>(1 - f), 1e-15) << x;
        }
        for (double p : {1e-8, 0.05, 0.25, 0.5, 0.6, 0.9, 0.9999}) {
            Mixture m = mx;
            mxnreq r = m.req(MXN_QUANTILE, 0, p);
            ASSERT_EQ(zmxnorm(&r), 0) << p;
            const double lf = std::log(static_cast<double>(directCdf(m, r.x)));
            const double lq = std::log1p(-static_cast<double>(directCdf(m, r.x)));
            EXPECT_NEAR(p < 0.5 ? lf : lq, p < 0.5 ? std::log(p) : std::log1p(-p), 1e-5) << p << " mode " << r.mode;
        }
    }
}

TEST(InverseGaussian, DistributionFunction) {
    EXPECT_EQ(zprbigs(0, 2), 0.0);
    // At x = 1: 0.5 + e^(2 lambda) erfc(sqrt(2 lambda))/2, on both sides of y = 4.
    for (double lambda : {0.1, 2.0, 7.9, 8.1, 10.0, 200.0}) {
        const long double want = 0.5L + std::exp(2.0L * lambda) * std::erfc(std::sqrt(2.0L * lambda)) / 2;
        EXPECT_NEAR(zprbigs(1.0, lambda), static_cast<double>(want), 4e-15) << lambda;
    }
    // Elsewhere against the closed form Phi(sqrt(l/x)(x - 1)) + e^(2l) Phi(-sqrt(l/x)(x + 1)).
    for (double x : {0.05, 0.7, 1.6, 4.0})
        for (double l : {0.5, 3.0, 12.0}) {
            const long double s = std::sqrt(static_cast<long double>(l) / x);
            const long double want = 0.5L * std::erfc(-s * (x - 1) / std::sqrt(2.0L)) +
                                     std::exp(2.0L * l) * 0.5L * std::erfc(s * (x + 1) / std::sqrt(2.0L));
            EXPECT_NEAR(zprbigs(x, l), static_cast<double>(want), 1e-14) << x << " " << l;
        }
}

TEST(DiffNormal, FarAndClosePoints) {
    auto want = [](long double a, long double b) {
        return 0.5L * (std::erfc(-a / std::sqrt(2.0L)) - std::erfc(-b / std::sqrt(2.0L)));
    };
    for (auto [a, b] : {std::pair{1.0, -1.0}, std::pair{6.0, 5.0}, std::pair{-3.0, -3.5}})
        EXPECT_NEAR(DiffNormal(a, b, a - b), static_cast<double>(want(a, b)), 4e-16);
    EXPECT_GT(DiffNormal(9.0, 8.5, 0.5), 0.0);  // upper tails: no cancellation to 0
    // Close points: the expansion, accurate to the fifth order (relative 1e-13).
    for (double b : {-2.0, 0.0, 0.7, 3.0})
        for (double c0 : {1e-9, 3e-6, 9.9e-5}) {
            const double a = b + c0;
            const double c = a - b;
            const long double w = 0.3989422804014327L * std::exp(-0.5L * b * b) *
                                  (c - b * c * c / 2 + (b * b - 1.0L) * c * c * c / 6);
            EXPECT_NEAR(DiffNormal(a, b, a - b) / static_cast<double>(w), 1.0, 1e-11) << b << " " << c;
        }
}
