// Number formats of printed tables, checked against the C library's conversions.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include "runtime/numfmt/numfmt.h"

namespace {

using rt::num::Fmt;
using rt::num::formatnum;
using rt::num::NumFormat;

TEST(NumFormat, FixedAgreesWithPrintfAwayFromTies) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mant(-1, 1);
    std::uniform_int_distribution<int> expo(-3, 6);
    const NumFormat f{Fmt::Fixed, 14, 4};
    for (int k = 0; k < 200000; ++k) {
        double x = mant(rng) * std::pow(10.0, expo(rng));
        if (std::fabs(x) < 5e-5) continue;   // those switch to scientific notation
        char want[64];
        std::snprintf(want, sizeof want, "%.4f", x);
        double scaled = std::fabs(x) * 1e4;
        if (std::fabs(scaled - std::floor(scaled) - 0.5) < 1e-6) continue;   // ties: either is fine
        ASSERT_EQ(formatnum(f, x), want) << x;
    }
    // Every count of decimals, with as many digits before the point as fit.
    for (int d = 0; d <= 9; ++d)
        for (int k = 0; k < 20000; ++k) {
            const double x = mant(rng) * std::pow(10.0, expo(rng));
            const double scaled = std::fabs(x) * std::pow(10.0, d);
            if (scaled < 0.5 || std::fabs(scaled - std::floor(scaled) - 0.5) < 1e-6) continue;
            char want[64];
            std::snprintf(want, sizeof want, "%.*f", d, x);
            ASSERT_EQ(formatnum({Fmt::Fixed, 24, d}, x), want) << x << " with " << d << " decimals";
        }
}

TEST(NumFormat, Kinds) {
    EXPECT_EQ(formatnum({Fmt::Fixed, 10, 4}, 0.0), "0.0000");
    EXPECT_EQ(formatnum({Fmt::Fixed, 10, 4}, -0.00006), "-0.0001");
    EXPECT_EQ(formatnum({Fmt::Fixed, 10, 4}, 1.5e-7), "1.500e-07");      // too small for 4 decimals
    EXPECT_EQ(formatnum({Fmt::Fixed, 10, 4}, 123456789.5), "1.235e+08");  // too wide for 10
    EXPECT_EQ(formatnum({Fmt::Pvalue, 6, 4}, 0.00009), "<.0001");
    EXPECT_EQ(formatnum({Fmt::Pvalue, 6, 4}, 0.04567), "0.0457");
    EXPECT_EQ(formatnum({Fmt::Count, 8, 0}, 140.0), "140");
    EXPECT_EQ(formatnum({Fmt::Count, 8, 0}, 2.5), "2.5");
    EXPECT_EQ(formatnum({Fmt::Best, 12, 0}, 0.1), "0.1");
    EXPECT_EQ(formatnum({Fmt::Best, 12, 0}, 1.0 / 3), "0.3333333333");   // as many digits as fit
    EXPECT_EQ(formatnum({Fmt::Best, 12, 0}, -1e-300), "-1e-300");
    // A whole number that fits is written whole, as the data sets write it; one that does not
    // fit keeps the exponent form.
    EXPECT_EQ(formatnum({Fmt::Best, 12, 0}, 300000.0), "300000");
    EXPECT_EQ(formatnum({Fmt::Best, 12, 0}, -1e10), "-10000000000");
    EXPECT_EQ(formatnum({Fmt::Best, 12, 0}, -1e11), "-1e+11");
    EXPECT_EQ(formatnum({Fmt::Best, 5, 0}, 300000.0), "3e+05");
    EXPECT_EQ(formatnum({Fmt::Best, 12, 0}, 1e15), "1e+15");
    EXPECT_EQ(formatnum({Fmt::Full, 24, 0}, 0.1 + 0.2), "0.30000000000000004");
    // A value that is not a finite number was not computed: never "Infinity" or "nan".
    EXPECT_EQ(formatnum({Fmt::Best, 12, 0}, INFINITY), ".");
    EXPECT_EQ(formatnum({Fmt::Fixed, 10, 4}, -INFINITY), ".");
    // Full precision reads back exactly.
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> u(-1e6, 1e6);
    for (int k = 0; k < 10000; ++k) {
        double x = u(rng);
        EXPECT_EQ(std::strtod(formatnum({Fmt::Full, 24, 0}, x).c_str(), nullptr), x);
    }
}

}  // namespace
