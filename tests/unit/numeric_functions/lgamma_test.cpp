// Log gamma, log beta, log(1 + x), log-sum-exp and the multivariate forms.
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/lgamma.h"
#include "tests/support/reference.h"

TEST(LogGamma, ExactValuesAndSentinels) {
    EXPECT_EQ(zlgamma(1.0), 0.0);
    EXPECT_EQ(zlgamma(2.0), 0.0);
    EXPECT_EQ(zlgamma(1.5), -0.12078223763524522);
    EXPECT_EQ(zlgamma(0.0), -99.0);
    EXPECT_EQ(zlgamma(-3.0), -99.0);
    EXPECT_EQ(zlgamma(DBL_MIN), -99.0);
    EXPECT_DOUBLE_EQ(zlgamma(0.5), 0.5723649429247001);  // log sqrt(pi)
}

TEST(LogGamma, BothSidesOfTheStirlingSwitch) {
    // 14.999 is reduced to [1, 2]; 15 takes the Stirling series. Both against
    // log(14!) and log Gamma(14.999) from the reduction identity.
    const double lg15 = std::log(87178291200.0);  // 14!
    EXPECT_NEAR(zlgamma(15.0), lg15, 1e-15 * lg15);
    EXPECT_NEAR(zlgamma(14.999), 25.188546870546929, 2e-15 * 25.19);
    const long double rem15 = std::log(87178291200.0L) -
                              (14.5L * std::log(15.0L) - 15.0L + 0.91893853320467274178L);
    EXPECT_NEAR(zlgbern(15.0), static_cast<double>(rem15), 1e-17);
}

TEST(LogGamma, AgreesWithR) {
    const RefTable t = readRef("numeric_functions/lgamma.csv");
    Worst w;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x");
        // R forms log Gamma as log(Gamma(x)) near its zeros and loses digits there: those
        // points are checked in NearItsZeros.
        if (std::fabs(x - 1.0) < 0.01 || std::fabs(x - 2.0) < 0.01) continue;
        w.add(relDiff(zlgamma(x), t.at(i, "lg")), args({x}));
    }
    EXPECT_WORST_BELOW(w, 4e-15);
}

TEST(LogGamma, NearItsZeros) {
    // Against the Taylor series at 1 and 2 in extended precision. The error is absolute:
    // about 1e-19 from the reduction factor next to 1, and below 1 up to 2^-53 times
    // psi(2) from rounding x + 1 to double in the reduction.
    const long double g = 0.57721566490153286061L, z2 = 1.64493406684822643647L;
    for (double h : {std::ldexp(1.0, -40), 1e-9, -1e-9, -std::ldexp(1.0, -40)}) {
        const long double h1 = (1.0 + h) - 1.0;  // the offsets the doubles really have
        const long double h2 = (2.0 + h) - 2.0;
        EXPECT_NEAR(zlgamma(1.0 + h), static_cast<double>(-g * h1 + z2 / 2 * h1 * h1), h < 0 ? 6e-17 : 1e-19)
            << h;
        EXPECT_NEAR(zlgamma(2.0 + h), static_cast<double>((1 - g) * h2 + (z2 / 2 - 0.5L) * h2 * h2),
                    1e-19)
            << h;
    }
    // Within 0.01 of the zeros, against the C library's extended-precision log gamma.
    Worst w;
    for (double x = 0.99; x <= 1.01; x += 0.0003) w.add(relDiff(zlgamma(x), std::lgammal(x)), args({x}));
    for (double x = 1.99; x <= 2.01; x += 0.0003) w.add(relDiff(zlgamma(x), std::lgammal(x)), args({x}));
    EXPECT_WORST_BELOW(w, 2e-15);
}

TEST(LogBeta, ExactValuesAndSentinel) {
    EXPECT_EQ(zlbeta(1.0, 1.0), 0.0);
    EXPECT_EQ(zlbeta(0.0, 2.0), 99.0);
    EXPECT_EQ(zlbeta(2.0, -1.0), 99.0);
    // 20 is at or above 15: the large-argument form. B(2, 20) = 1/420.
    EXPECT_NEAR(zlbeta(2.0, 20.0), std::log(1.0 / 420.0), 4e-16 * 6.04);
    EXPECT_EQ(zlbeta(2.0, 20.0), zlbeta(20.0, 2.0));
}

TEST(LogBeta, AgreesWithR) {
    const RefTable t = readRef("numeric_functions/lbeta.csv");
    Worst w;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double a = t.at(i, "a"), b = t.at(i, "b");
        w.add(relDiff(zlbeta(a, b), t.at(i, "lb"), 1e-3), args({a, b}));
    }
    EXPECT_WORST_BELOW(w, 2e-14);
}

TEST(LogOnePlusX, SwitchPointsAndR) {
    EXPECT_EQ(zln1px(0.0), 0.0);
    // 0.03125 takes the rational form, 0.0313 the plain logarithm; both accurate.
    EXPECT_NEAR(zln1px(0.03125), std::log1p(0.03125), 1e-17);
    EXPECT_EQ(zln1px(0.0313), std::log(1.0 + 0.0313));
    EXPECT_TRUE(std::isnan(zln1px(NAN)));
    // The other tail's log when the tail is the whole: a finite -2^512, never minus infinity.
    EXPECT_EQ(SpecialLog1PlusX(-1.0), -1.3407807929943e+154);
    EXPECT_EQ(SpecialLog1PlusX(-0.5), zln1px(-0.5));
    const RefTable t = readRef("numeric_functions/log1p.csv");
    Worst w;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x");
        w.add(relDiff(zln1px(x), t.at(i, "l")), args({x}));
    }
    // The plain logarithm just past 0.03125 loses up to 2^-53 / 0.03 of its digits.
    EXPECT_WORST_BELOW(w, 5e-15);
}

TEST(LogSumOfExp, NoOverflow) {
    EXPECT_DOUBLE_EQ(zlnSumOfExp(1000.0, 1000.0), 1000.6931471805599);
    EXPECT_DOUBLE_EQ(zlnSumOfExp(1000.0, 0.0), 1000.0);
    EXPECT_NEAR(zlnSumOfExp(-1.0, 2.0), std::log(std::exp(-1.0) + std::exp(2.0)), 1e-15);
    EXPECT_EQ(zlnSumOfExp(2.0, -1.0), zlnSumOfExp(-1.0, 2.0));
}

TEST(MultivariateLogGamma, DimensionOneAndClosedForms) {
    double out = 0.0;
    for (double x : {0.3, 1.0, 4.5, 22.0}) {
        ASSERT_EQ(zlgammaMV(x, 1, &out), 0);
        EXPECT_EQ(out, zlgamma(x));
    }
    // Gamma_3(x) = pi^(3/2) Gamma(x) Gamma(x - 1/2) Gamma(x - 1); at x = 2.5:
    // pi^1.5 * Gamma(2.5) * Gamma(2) * Gamma(1.5).
    ASSERT_EQ(zlgammaMV(2.5, 3, &out), 0);
    const double want = 1.5 * std::log(M_PI) + std::lgamma(2.5) + std::lgamma(2.0) + std::lgamma(1.5);
    EXPECT_NEAR(out, want, 1e-14);
    // Four terms use the recurrence for j = 2, 3.
    ASSERT_EQ(zlgammaMV(7.25, 4, &out), 0);
    const double want4 = 3.0 * std::log(M_PI) + std::lgamma(7.25) + std::lgamma(6.75) +
                         std::lgamma(6.25) + std::lgamma(5.75);
    EXPECT_NEAR(out, want4, 1e-13);
}

TEST(MultivariateLogGamma, Failures) {
    double out = 0.0;
    EXPECT_EQ(zlgammaMV(0.4, 2, &out), 1);  // 0.4 - 0.5 is not positive
    EXPECT_TRUE(ismissing(out));
    EXPECT_EQ(zlgammaMV(3.0, 0, &out), 1);
    EXPECT_EQ(zlgammaMV(NAN, 2, &out), 1);
}

TEST(MultivariateLogBeta, AgreesWithItsDefinition) {
    double out = 0.0;
    ASSERT_EQ(zlbetaMV(2.0, 3.0, 1, &out), 0);
    EXPECT_EQ(out, zlbeta(2.0, 3.0));
    ASSERT_EQ(zlbetaMV(2.0, 3.0, 2, &out), 0);
    double la, lb, lab;
    zlgammaMV(2.0, 2, &la);
    zlgammaMV(3.0, 2, &lb);
    zlgammaMV(5.0, 2, &lab);
    EXPECT_EQ(out, la + lb - lab);
    out = 123.0;
    EXPECT_EQ(zlbetaMV(0.5, 3.0, 2, &out), 1);  // a <= (p - 1)/2
    EXPECT_EQ(zlbetaMV(2.0, 3.0, 0, &out), 1);
    EXPECT_EQ(out, 123.0);  // untouched on failure
}
