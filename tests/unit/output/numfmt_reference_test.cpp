// The number formats against their first, plainly written version (numfmt_reference.h):
// every kind and width must give the same bytes on random values and on the values where
// rounding is delicate (ties, powers of ten, runs of nines, tiny and huge, negative zero,
// the missing value).
#include <gtest/gtest.h>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <random>
#include <vector>
#include "host/hostdefs.h"
#include "numfmt_reference.h"

namespace {

using rt::num::Fmt;
using rt::num::NumFormat;

double frombits(uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// Compares every kind at the given widths; stops at the first difference.
void compare(double x, const std::vector<int>& widths, int& failures) {
    std::vector<NumFormat> fmts;
    for (int w : widths) {
        fmts.push_back({Fmt::Best, w, 0});
        fmts.push_back({Fmt::Count, w, 0});
        if (w % 3 && w != 10) continue;   // fixed decimals at fewer widths: their paths change less often
        fmts.push_back({Fmt::Pvalue, w, 4});
        for (int d : {0, 1, 2, 4, 6, 9, 11}) fmts.push_back({Fmt::Fixed, w, d});
    }
    fmts.push_back({Fmt::Full, 24, 0});
    for (const NumFormat& f : fmts) {
        std::string want = outtest::reference::formatnum(f, x);
        std::string got = rt::num::formatnum(f, x);
        if (got != want && ++failures <= 20)
            ADD_FAILURE() << "kind " << static_cast<int>(f.kind) << " width " << f.width << " decimals " << f.decimals
                          << " value " << std::setprecision(17) << x << ": got \"" << got << "\", want \"" << want
                          << "\"";
    }
}

const std::vector<int> kAllWidths = [] {
    std::vector<int> w;
    for (int k = 1; k <= 26; ++k) w.push_back(k);
    return w;
}();

TEST(NumFormatReference, EdgeValues) {
    std::vector<double> xs = {0.0, -0.0, 1.0, -1.0, 0.5, 0.05, 0.15, 0.25, 0.35, 2.5, -2.5, 0.125, 1.5e-5, 9.5, 99.5,
                              0.1 + 0.2, 1.0 / 3, 2.0 / 3, 1e-300, -1e-300, DBL_MIN, -DBL_MIN, DBL_TRUE_MIN, DBL_MAX,
                              -DBL_MAX, DBL_EPSILON, 4.9406564584124654e-324, 2.2250738585072009e-308, INFINITY,
                              -INFINITY, std::nan(""), -std::nan(""), hostmissing(), 123456789012345678.0,
                              1e23, 9007199254740993.0, 1e15, 1e15 - 1, 1e16, 999999999.5, 0.00049999999999999999,
                              0.0001, 0.00009999999, 0.99995, 0.999949999, 5e-5, 4.99999e-5};
    // Powers of ten, their neighbours, and runs of nines that round up into the next power.
    for (int e = -320; e <= 308; ++e) {
        double p = std::pow(10.0, e);
        xs.insert(xs.end(), {p, -p, std::nextafter(p, 0.0), std::nextafter(p, INFINITY), 5 * p, 2.5 * p, 1.5 * p});
        for (int nines = 1; nines <= 17; ++nines) {
            double x = (1 - std::pow(10.0, -nines)) * p * 10;   // 0.9..9 times 10^(e+1)
            xs.insert(xs.end(), {x, -x, x + 0.5 * p * std::pow(10.0, -nines)});
        }
    }
    int failures = 0;
    for (double x : xs) compare(x, kAllWidths, failures);
    EXPECT_EQ(failures, 0);
}

TEST(NumFormatReference, DecimalTies) {
    // Values with few digits, many of them exact or near ties at some precision.
    std::mt19937_64 rng(3);
    std::uniform_int_distribution<int> digits(1, 999999), expo(-12, 12);
    const double scale[] = {1e-12, 1e-11, 1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1,
                            1e1,   1e2,   1e3,   1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12};
    int failures = 0;
    for (int k = 0; k < 30000; ++k) {
        int m = digits(rng);
        if (k % 3 == 0) m = m / 10 * 10 + 5;   // a trailing 5: a tie one digit up
        double x = m * scale[expo(rng) + 12];
        if (k % 2) x = -x;
        compare(x, kAllWidths, failures);
    }
    EXPECT_EQ(failures, 0);
}

TEST(NumFormatReference, RandomValues) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> mant(1, 10);
    std::uniform_int_distribution<int> expo(-320, 308);
    std::uniform_int_distribution<int> pick(1, 26);
    int failures = 0;
    for (int k = 0; k < 40000; ++k) {
        // Uniform bit patterns, then values spread over every decade, then values of tables.
        double a = frombits(rng());
        double b = mant(rng) * std::pow(10.0, expo(rng));
        double c = (mant(rng) - 5) * std::pow(10.0, k % 13 - 6);
        std::vector<int> widths = {pick(rng), pick(rng), 8, 10, 12};
        compare(a, widths, failures);
        compare(b, widths, failures);
        compare(c, widths, failures);
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
