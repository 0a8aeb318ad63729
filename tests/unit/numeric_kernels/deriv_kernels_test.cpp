// Derivative kernels against central differences of the value kernels, in the four
// observation modes and far into the tails; and their fixed points and refusals.
#include <gtest/gtest.h>
#include <cfloat>
#include <cmath>
#include "numdiff.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double UNTOUCHED = -12345.0;

double value(kernfn k, int mode, double x, double h) {
    const double z[2] = {x, h};
    double out[1] = {NAN};
    if (k(mode, z, nullptr, out) != 0) return NAN;
    return out[0];
}

struct pair {
    kernfn value, deriv;
    const char* name;
};

// Checks out[0] and out[1] (and out[2..4] for an interval) against differences of
// the value kernel. Returns the worst relative disagreement seen.
double checkpoint(const pair& p, int mode, double x, double h, double rel) {
    const double z[2] = {x, h};
    double out[5] = {NAN, NAN, NAN, NAN, NAN};
    EXPECT_EQ(p.deriv(mode, z, nullptr, out), 0) << p.name << " mode " << mode << " x " << x << " h " << h;
    // Steps: 1e-3 for first and 1e-2 for second differences (one Richardson step each
    // leaves truncation errors far below 1e-6; the larger second step keeps rounding
    // noise of large tail values out), scaled down with a narrow half-width.
    const double d = 1e-3, d2 = 1e-2;
    auto fx = [&](double t) { return value(p.value, mode, t, h); };
    const double f1 = cdiff1(fx, x, d), f2 = cdiff2(fx, x, d2);
    // The normal hazard beyond 6 comes from an asymptotic expansion whose curvature
    // out[1] is up to 2.3e-6 off just above 6.
    const double rel2 = (p.deriv == zprbwnm && ((mode == KMODE_RIGHT && x >= 6 && x < 7.5) ||
                                                (mode == KMODE_LEFT && x <= -6 && x > -7.5)))
                            ? 3e-6 : rel;
    double worst = std::fmax(std::fabs(out[0] - f1) / (std::fabs(f1) + 1e-3), std::fabs(out[1] - f2) / (std::fabs(f2) + 1e-3));
    EXPECT_TRUE(close(out[0], f1, rel)) << p.name << " mode " << mode << " x " << x << " h " << h << ": " << out[0] << " vs " << f1;
    // Second derivatives of an interval are judged against the scale of their 2 x 2 block
    // (the matrix norm): near 0 they are differences of products of that size.
    const double block = mode == KMODE_INTERVAL ? std::fmax(std::fabs(out[1]), std::fabs(out[4])) : 0.0;
    EXPECT_TRUE(close(out[1], f2, rel2, std::fmax(1e-3, 1e-3 * block))) << p.name << " mode " << mode << " x " << x << " h " << h << ": " << out[1] << " vs " << f2;
    if (mode == KMODE_INTERVAL) {
        const double dh = std::fmin(1e-3, h / 100), dh2 = std::fmin(1e-2, h / 100);
        auto fh = [&](double t) { return value(p.value, mode, x, t); };
        // The mixed derivative as the centre difference of the kernel's own df/dh, itself
        // checked against the values just below (nested differences of values would
        // drown in rounding noise for narrow intervals).
        auto gx = [&](double t) {
            const double zt[2] = {t, h};
            double o[5];
            p.deriv(mode, zt, nullptr, o);
            return o[2];
        };
        const double fh1 = cdiff1(fh, h, dh), fh2 = cdiff2(fh, h, dh2), fch = cdiff1(gx, x, d);
        EXPECT_TRUE(close(out[2], fh1, rel)) << p.name << " x " << x << " h " << h << ": " << out[2] << " vs " << fh1;
        EXPECT_TRUE(close(out[3], fch, rel, std::fmax(1e-3, 1e-3 * block))) << p.name << " x " << x << " h " << h << ": " << out[3] << " vs " << fch;
        EXPECT_TRUE(close(out[4], fh2, rel, std::fmax(1e-3, 1e-3 * block))) << p.name << " x " << x << " h " << h << ": " << out[4] << " vs " << fh2;
        worst = std::fmax(worst, std::fabs(out[2] - fh1) / (std::fabs(fh1) + 1e-3));
        worst = std::fmax(worst, std::fabs(out[4] - fh2) / (std::fabs(fh2) + 1e-3));
    }
    return worst;
}

void checkfamily(const pair& p, double lo, double hi, double rel) {
    double worst = 0.0;
    for (int mode : {KMODE_EXACT, KMODE_RIGHT, KMODE_LEFT}) {
        for (double x = lo; x <= hi; x += 0.61) worst = std::fmax(worst, checkpoint(p, mode, x, 0.0, rel));
    }
    for (double x = lo / 2; x <= hi / 2; x += 0.83) {
        for (double h : {0.01, 0.4, 1.5, 5.0}) worst = std::fmax(worst, checkpoint(p, KMODE_INTERVAL, x, h, rel));
    }
    std::printf("%s: worst relative disagreement %.2e\n", p.name, worst);
}

}  // namespace

TEST(DerivativeKernels, AgreeWithDifferencesOfValues) {
    checkfamily({zprblnm, zprbwnm, "normal"}, -36.0, 36.0, 1e-6);
    checkfamily({zprblnmLog, zprbwnmLog, "normal log form"}, -36.0, 36.0, 1e-6);
    checkfamily({zprbllg, zprbwlg, "logistic"}, -40.0, 40.0, 1e-6);
    checkfamily({zprblwb, zprbwwb, "smallest extreme value"}, -30.0, 3.6, 1e-6);
}

namespace {
struct dres {
    int rc;
    double o[5];
};
dres deriv(kernfn k, int mode, double x, double h = 0.0) {
    const double z[2] = {x, h};
    dres r;
    for (double& v : r.o) v = UNTOUCHED;
    r.rc = k(mode, z, nullptr, r.o);
    return r;
}
}  // namespace

TEST(NormalDerivativeKernel, HazardBranches) {
    dres r = deriv(zprbwnm, KMODE_RIGHT, 6.0);
    EXPECT_DOUBLE_EQ(r.o[0], 6.158482248429032);
    EXPECT_NEAR(r.o[0], 6.158482604544581, 1e-6);
    r = deriv(zprbwnm, KMODE_RIGHT, 5.999);
    EXPECT_DOUBLE_EQ(r.o[0], 0.3989422804014327 * std::exp(-0.5 * 5.999 * 5.999) / zprbnrm(-5.999));
    r = deriv(zprbwnm, KMODE_RIGHT, -25.0);
    EXPECT_EQ(r.o[0], 0.0);
    EXPECT_EQ(r.o[1], 0.0);
    r = deriv(zprbwnm, KMODE_LEFT, 25.0);
    EXPECT_EQ(r.o[0], 0.0);
    EXPECT_EQ(r.o[1], 0.0);
}

TEST(DerivativeKernels, IntervalReflection) {
    for (kernfn k : {zprbwnm, zprbwlg, zprbwnmLog}) {
        for (double c : {0.3, 2.2, 9.0}) {
            const dres a = deriv(k, KMODE_INTERVAL, c, 0.7), b = deriv(k, KMODE_INTERVAL, -c, 0.7);
            ASSERT_EQ(a.rc, 0);
            EXPECT_EQ(a.o[1], b.o[1]);
            EXPECT_EQ(a.o[2], b.o[2]);
            EXPECT_EQ(a.o[4], b.o[4]);
            EXPECT_EQ(a.o[0], -b.o[0]);
            EXPECT_EQ(a.o[3], -b.o[3]);
        }
    }
}

TEST(DerivativeKernels, RefusedIntervalsLeaveOutputsUntouched) {
    for (kernfn k : {zprbwnm, zprbwlg, zprbwwb, zprbwnmLog}) {
        const dres r = deriv(k, KMODE_INTERVAL, -0.4, 0.0);
        EXPECT_EQ(r.rc, 1);
        for (double v : r.o) EXPECT_EQ(v, UNTOUCHED);
    }
}

TEST(NormalDerivativeKernel, DeepIntervalKeepsItsGradient) {
    // Both ends below -20: the probability is still positive and depends on the centre.
    const dres r = deriv(zprbwnm, KMODE_INTERVAL, -25.0, 1.0);
    ASSERT_EQ(r.rc, 0);
    const dres log = deriv(zprbwnmLog, KMODE_INTERVAL, -25.0, 1.0);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(r.o[i], log.o[i], 1e-9 * std::fabs(log.o[i])) << i;
    EXPECT_LT(r.o[0], -20.0);
}

TEST(LogisticDerivativeKernel, Centre) {
    const dres r = deriv(zprbwlg, KMODE_EXACT, 0.0);
    EXPECT_EQ(r.o[0], 0.0);
    EXPECT_EQ(r.o[1], 0.5);
    const dres other = deriv(zprbwlg, 4, 0.0);
    EXPECT_EQ(other.rc, 0);
    EXPECT_EQ(other.o[0], UNTOUCHED);
    EXPECT_EQ(other.o[1], 0.25);
}

TEST(SevDerivativeKernel, FixedPointsAndRange) {
    dres r = deriv(zprbwwb, KMODE_EXACT, 0.0);
    EXPECT_EQ(r.o[0], 0.0);
    EXPECT_EQ(r.o[1], 1.0);
    r = deriv(zprbwwb, KMODE_LEFT, 710.0);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.o[0], 0.0);
    EXPECT_EQ(r.o[1], 0.0);
    r = deriv(zprbwwb, KMODE_RIGHT, 710.0);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.o[0], UNTOUCHED);
    const double e = std::exp(-19.0);
    r = deriv(zprbwwb, KMODE_LEFT, -19.0);
    EXPECT_DOUBLE_EQ(r.o[0], -std::exp(-e));
    EXPECT_NEAR(r.o[1], e / 2, 1e-6 * e);  // the curvature of -log(1 - exp(-e^x))
    // Far below: the value is -x, slope -1 and no curvature.
    r = deriv(zprbwwb, KMODE_LEFT, -300.0);
    EXPECT_EQ(r.o[0], -1.0);
    EXPECT_EQ(r.o[1], 0.0);
}

TEST(SevDerivativeKernel, IntervalReachingPastTheOverflow) {
    // e^a overflows at the upper end: its density and slope are 0, not inf x 0.
    const dres r = deriv(zprbwwb, KMODE_INTERVAL, 300.0, 500.0);
    ASSERT_EQ(r.rc, 0);
    for (double v : r.o) EXPECT_TRUE(std::isfinite(v));
    // Deep in the lower tail the probability comes from the distribution function.
    const dres t = deriv(zprbwwb, KMODE_INTERVAL, -30.0, 0.5);
    ASSERT_EQ(t.rc, 0);
    EXPECT_NEAR(t.o[0], -1.0, 1e-9);
}

TEST(NormalLogDerivativeKernel, FarTails) {
    // Beyond the reach of Phi in double precision the log form still works.
    dres r = deriv(zprbwnmLog, KMODE_LEFT, -60.0);
    ASSERT_EQ(r.rc, 0);
    const double hazard = 60.0 + 1.0 / 60 - 2.0 / std::pow(60.0, 3) + 10.0 / std::pow(60.0, 5);
    EXPECT_NEAR(r.o[0], -hazard, 1e-12 * hazard);
    r = deriv(zprbwnmLog, KMODE_RIGHT, 60.0);
    EXPECT_NEAR(r.o[0], hazard, 1e-12 * hazard);
    r = deriv(zprbwnmLog, KMODE_INTERVAL, -0.5, 4e-6);  // the small-width series
    ASSERT_EQ(r.rc, 0);
    const dres n = deriv(zprbwnm, KMODE_INTERVAL, -0.5, 4e-6);
    for (int i : {0, 1, 2, 4}) EXPECT_NEAR(r.o[i], n.o[i], 1e-6 * std::fabs(n.o[i]) + 1e-9) << i;
    // The mixed term, about -2 c h/3, is lost in rounding by the general interval formula.
    EXPECT_NEAR(r.o[3], 2 * 0.5 * 4e-6 / 3, 1e-12);
    EXPECT_EQ(deriv(zprbwnmLog, 3, 0.0).rc, 0);
}

// The censored modes of the log form are the density over the tail, both scaled by a 32-bit
// factor (refused beyond it), to the last bit: they are not the interval mode's inverse Mills
// ratios, which differ from them in the last digits far out (60.016657420241124 at 60).
TEST(NormalLogDerivativeKernel, CensoredModesToTheLastBit) {
    const struct {
        int mode;
        double x;
        int rc;
        double o0, o1;
    } pins[] = {
        {KMODE_RIGHT, 0.5, 0, 1.1410777703680648, 0.7315195928441216},
        {KMODE_RIGHT, 17.3, 0, 17.357423496039551, 0.99672393938163262},
        {KMODE_RIGHT, 60.0, 0, 60.016657420245735, 0.99972268439337098},
        {KMODE_RIGHT, 137000.0, 1, UNTOUCHED, UNTOUCHED},
        {KMODE_LEFT, -60.0, 0, -60.016657420245735, 0.99972268439337098},
        {KMODE_LEFT, -17.3, 0, -17.357423496039551, 0.99672393938163262},
        {KMODE_LEFT, 4.0, 0, -0.00013383446446857519, 0.00053535576953818041},
        {KMODE_LEFT, -137000.0, 1, UNTOUCHED, UNTOUCHED},
    };
    for (const auto& p : pins) {
        const dres r = deriv(zprbwnmLog, p.mode, p.x);
        EXPECT_EQ(r.rc, p.rc) << p.mode << " " << p.x;
        EXPECT_EQ(r.o[0], p.o0) << p.mode << " " << p.x;
        EXPECT_EQ(r.o[1], p.o1) << p.mode << " " << p.x;
    }
}

// Intervals far in a tail, where the interval probability underflows (below 1.5e-154) while
// the value kernel still gives minus its logarithm: the derivatives come from the quantities
// scaled by a common factor, and agree with differences of the values as everywhere else.
// An interval of no width stays refused there too.
TEST(DerivativeKernels, IntervalsWhoseProbabilityUnderflows) {
    // The normal's value kernel takes the probability down to its underflow near -38.4.
    ASSERT_LT(zprbnrm(-29.0), 1e-154);
    for (double c : {-30.0, 30.0, -36.0})
        for (double h : {1.0, 0.01}) checkpoint({zprblnm, zprbwnm, "normal far"}, KMODE_INTERVAL, c, h, 1e-6);
    // The extreme value's survival exp(-e^y) is below 1e-154 from y = 5.87 on; its value kernel
    // takes centres up to 354.9. The curvatures were differences of terms of size e^(2b) (b the
    // lower end), all digits lost from a centre of about 30 on and NaN from 356.
    for (double c : {8.0, 6.5, 12.0, 40.0, 150.0, 354.0})
        for (double h : {0.2, 1.0}) checkpoint({zprblwb, zprbwwb, "extreme value far"}, KMODE_INTERVAL, c, h, 1e-6);
    // Narrow intervals there, where S(a)/S(b) = exp(-(e^a - e^b)) is not 0: -log(S(b) - S(a))
    // differentiated in 60-digit arithmetic (mpmath).
    {
        const dres r = deriv(zprbwwb, KMODE_INTERVAL, 8.0, 1e-5);
        ASSERT_EQ(r.rc, 0);
        const double want[5] = {2979.957691004638, 2980.9573948535886, -100029.58881135782, -59.203909186337302, 9997041470.8865392};
        for (int i = 0; i < 5; ++i) EXPECT_NEAR(r.o[i], want[i], 1e-12 * std::fabs(want[i]) + 1e-12 * want[4]) << i;
    }
    // The distribution functions of the logistic and the extreme value are e^y below -354,
    // where f = -c - log(2 sinh h) to double precision: the derivatives in closed form (the
    // values, about 400, are too large for differences to check the curvatures). Above 354
    // the extreme value's S(a)/S(b) is 0 in doubles and f = e^b: every derivative is +-e^b,
    // up to the centre where e^b leaves the doubles.
    for (double c : {-400.0, 400.0, -700.0, 700.0, 709.7}) {
        for (double h : {1.0, 5.0}) {
            for (kernfn k : {zprbwlg, zprbwwb}) {
                const dres r = deriv(k, KMODE_INTERVAL, c, h);
                ASSERT_EQ(r.rc, 0) << c << " " << h;
                const double sign = c > 0 ? -1.0 : 1.0;   // the logistic mirrors a positive centre
                double want[5] = {-sign, 0.0, -1.0 / std::tanh(h), 0.0, 1.0 / (std::sinh(h) * std::sinh(h))};
                if (k == zprbwwb && c > 0) {
                    const double e = std::exp(c - h);
                    for (int i = 0; i < 5; ++i) want[i] = i == 2 || i == 3 ? -e : e;
                }
                for (int i = 0; i < 5; ++i) EXPECT_NEAR(r.o[i], want[i], 1e-12 * (std::fabs(want[i]) + 1e-3)) << c << " " << h << " " << i;
            }
        }
    }
    // An end at infinity gives the density inf x 0 there: refused, not NaN with success.
    {
        const dres r = deriv(zprbwwb, KMODE_INTERVAL, 1.0, INFINITY);
        EXPECT_EQ(r.rc, 1);
        for (double v : r.o) EXPECT_EQ(v, UNTOUCHED);
    }
    for (kernfn k : {zprbwnm, zprbwlg, zprbwwb}) {
        const dres r = deriv(k, KMODE_INTERVAL, k == zprbwwb ? 8.0 : -400.0, 0.0);
        EXPECT_EQ(r.rc, 1);
        for (double v : r.o) EXPECT_EQ(v, UNTOUCHED);
    }
}

// Where P^2 is a normal double the normal interval derivatives are the interval scheme on Phi
// and the density, to the last bit. Beyond, the log-probability form takes them from the ends'
// inverse Mills ratios: the curvature of an interval thousands of scales out, about 1 (the
// difference of two terms of about c^2 in P''/P - (P'/P)^2), keeps its digits, and log Phi
// beyond the 32-bit range (an interval 78,000 scales out) is no refusal. The references are
// -log(Phi(c + h) - Phi(c - h)) and its derivatives at 60 digits (mpmath).
TEST(NormalDerivativeKernel, FarIntervalsKeepTheirCurvature) {
    int plain = 0, far = 0;
    for (double x = -61.0; x <= 61.0; x += 0.37) {
        for (double h : {1e-4, 0.01, 0.1, 1.0, 4.0, 20.0}) {
            const double c = -std::fabs(x), a = c + h, b = c - h;
            const double p = zprbnrm(a) - zprbnrm(b);
            const dres r = deriv(zprbwnm, KMODE_INTERVAL, x, h);
            ASSERT_EQ(r.rc, 0) << x << " " << h;
            if (!(p * p > DBL_MIN)) {
                ++far;
                continue;
            }
            const double ga = 0.3989422804014327 * std::exp(-0.5 * a * a), gb = 0.3989422804014327 * std::exp(-0.5 * b * b);
            const double d1 = ga - gb, s1 = ga + gb, d2 = -a * ga + b * gb, s2 = -a * ga - b * gb;
            const double sign = x > 0.0 ? -1.0 : 1.0;
            const double want[5] = {sign * (-d1 / p), (d1 * d1 - d2 * p) / (p * p), -s1 / p, sign * ((s1 * d1 - s2 * p) / (p * p)),
                                    (s1 * s1 - d2 * p) / (p * p)};
            for (int i = 0; i < 5; ++i) EXPECT_EQ(r.o[i], want[i]) << x << " " << h << " " << i;
            ++plain;
        }
    }
    EXPECT_GT(plain, 500);
    EXPECT_GT(far, 150);
    const struct {
        double c, h, d[5], value;
    } refs[] = {
        {-30000.0, 1000.0, {-29000.000034482758539, 0.99999999881093936639, -29000.000034482758539, 0.99999999881093936639, 0.99999999881093936639}, 420500011.19398964336},
        {-2000.0, 1e-4, {-1999.9999933510436649, 0.99999999669316496875, -10132.979093192077548, 0.13262626379972859946, 98677266.329663560186}, 2000009.4294739260112},
        {-100.0, 2e-5, {-99.999999986666670223, 0.99999999986666677334, -50000.066659982215118, 0.0013333326220804065115, 2499996667.0026677316}, 5011.0455689704550995},
        {-80000.0, 2000.0, {-78000.000012820512816, 0.99999999983563445118, -78000.000012820512816, 0.99999999983563445118, 0.99999999983563445118}, 3042000012.183402639},
    };
    for (const auto& f : refs) {
        const dres r = deriv(zprbwnm, KMODE_INTERVAL, f.c, f.h);
        ASSERT_EQ(r.rc, 0) << f.c;
        // The mixed term of a narrow interval is a difference of terms of about 1/(c h): judged
        // against the size of its 2 x 2 block, as everywhere.
        for (int i = 0; i < 5; ++i) EXPECT_NEAR(r.o[i], f.d[i], 1e-13 * std::fabs(f.d[i]) + 1e-20 * f.d[4]) << f.c << " " << i;
        const double z[2] = {f.c, f.h};
        double v = 0.0;
        ASSERT_EQ(zprblnm(KMODE_INTERVAL, z, nullptr, &v), 0) << f.c;
        EXPECT_NEAR(v, f.value, 1e-13 * f.value) << f.c;
    }
}
