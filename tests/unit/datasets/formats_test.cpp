// The best-width numeric format and the blank-padded copies.
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <string>
#include "host/hostdefs.h"
#include "runtime/datasets/formats.h"

using rt::ds::best12;

namespace {
std::string b12(double v) { return std::string(best12(v).view()); }
}

TEST(Best12, IntegersAndShortValuesAreWrittenWhole) {
    EXPECT_EQ(b12(0.0), "0");
    EXPECT_EQ(b12(-0.0), "0");
    EXPECT_EQ(b12(1), "1");
    EXPECT_EQ(b12(-42), "-42");
    EXPECT_EQ(b12(123456789012.0), "123456789012");
    EXPECT_EQ(b12(-12345678901.0), "-12345678901");
    EXPECT_EQ(b12(0.1), "0.1");
    EXPECT_EQ(b12(-0.5), "-0.5");
    EXPECT_EQ(b12(1234.5678), "1234.5678");
    EXPECT_EQ(b12(1e-10), "0.0000000001");
    EXPECT_EQ(b12(hostmissing()), ".");
}

TEST(Best12, LongValuesKeepTheMostSignificantDigitsThatFit) {
    EXPECT_EQ(b12(1.0 / 3), "0.3333333333");
    EXPECT_EQ(b12(2.0 / 3), "0.6666666667");
    EXPECT_EQ(b12(M_PI), "3.1415926536");
    EXPECT_EQ(b12(-M_PI), "-3.141592654");
    // Rounding that carries into a new integer digit still fits in 12.
    EXPECT_EQ(b12(9.9999999999999), "10");
    EXPECT_EQ(b12(99999999999.99), "100000000000");
    // E notation where it shows more digits than fixed notation.
    EXPECT_EQ(b12(1234567890123.0), "1.2345679E12");
    EXPECT_EQ(b12(-123456789012.0), "-1.234568E11");
    EXPECT_EQ(b12(1e15), "1E15");
    EXPECT_EQ(b12(1.5e-10), "1.5E-10");
    EXPECT_EQ(b12(1e-11), "1E-11");
    EXPECT_EQ(b12(0.000123456789012), "1.2345679E-4");
    EXPECT_EQ(b12(1e100), "1E100");
    EXPECT_EQ(b12(1.7976931348623157e308), "1.797693E308");
}

// Any value reads back from its text within the precision 12 characters allow.
TEST(Best12, TextsReadBackCloseToTheValue) {
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> mant(-10, 10);
    std::uniform_int_distribution<int> expo(-99, 99);
    for (int i = 0; i < 20000; ++i) {
        const double v = mant(gen) * std::pow(10.0, expo(gen));
        const std::string s = b12(v);
        ASSERT_LE(s.size(), 12u) << v;
        const double back = std::stod(s);
        ASSERT_LE(std::fabs(back - v), 1e-5 * std::fabs(v)) << v << " -> " << s;
    }
    for (int64_t k = -99999999999; k <= 99999999999; k += 7777777777)
        ASSERT_EQ(b12(static_cast<double>(k)), std::to_string(k));
}

TEST(PadLeft, DropsLeadingBlanksPadsAndCuts) {
    char out[8];
    rt::ds::padleft(out, 8, "   12");
    EXPECT_EQ(std::string(out, 8), "12      ");
    rt::ds::padleft(out, 4, "abcdefgh");
    EXPECT_EQ(std::string(out, 4), "abcd");
    rt::ds::padleft(out, 3, "");
    EXPECT_EQ(std::string(out, 3), "   ");
}
