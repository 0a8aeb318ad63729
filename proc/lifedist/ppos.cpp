// Plotting positions (one routine per PPOS= method) and the stress transforms of the
// relations. The missing value stands for a transform that is not defined at x.
#include <algorithm>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/lifedist/curve.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/numeric/quantiles.h"

namespace {

constexpr double kEps53 = 1.110223024625157e-16;   // 2^-53

// The median of the gamma distribution of shape a (scale 1): half the chi-square median of 2a
// degrees of freedom; for a large shape the series a - 1/3 + 8/(405 a) + 184/(25515 a^2) (Chen
// and Rubin), good to 1e-12 from a = 1000; for a tiny shape, where P(G <= x) is x^a / Gamma(a + 1),
// (Gamma(a + 1) / 2)^(1/a), which underflows to 0.
double gammamedian(double a) {
    if (a >= 1000) return a - 1.0 / 3 + 8 / (405 * a) + 184 / (25515 * a * a);
    double q = 0;
    if (zqc(0.5, 2 * a, &q) == 0 && q >= 0) return q / 2;
    return a < 1 ? std::pow(0.5 * std::tgamma(a + 1), 1 / a) : a - 1.0 / 3;
}

}  // namespace

// Herd-Johnson: each failing unit takes the carry by (units left after it + 1)/(units at risk
// before it + 1), so d units failing together take it by (a - d + 1)/(a + 1), what the same
// units give as rows of their own (a / (a + 1) for one unit). The factor lies in (0, 1) for
// any weight, and its terms are never below 1, so subnormal weights do not round it.
double vyxxrnk(double a, double, double, double* carry, double d) {
    *carry = *carry * (a - (d - 1)) / (a + 1);
    return 1 - *carry;
}

// Benard's approximation of the median rank, (i - 0.3)/(n + 0.4), is below 0 for a rank below
// 0.3, which failures of weight below 1 give before any whole unit has failed. Below rank 1 the
// position is the median itself (MEDRANK1's), kept at or below Benard's value for rank 1 so
// that the positions never fall where the two meet (the median is the higher one only for n
// between 1 and about 4.05, by 0.0016 at most).
double vyxmrnk(double a, double i, double n, double* carry, double d) {
    const double benard = (i - 0.3) / (n + 0.4);
    if (i >= 1) return benard;
    return std::min(vyxmrk1(a, i, n, carry, d), 0.7 / (n + 0.4));
}

// The median of beta(i, n - i + 1). The beta quantile's iteration fails where a shape is about
// 1e9 or more (FREQ totals that large) or tiny; its -1 must not become a position. Beta(a, b) is
// Ga / (Ga + Gb) of two gamma variables, and where one shape is that large its variable hardly
// varies, so the median of the ratio is the ratio of the medians, good to about 1e-10 there.
double vyxmrk1(double, double i, double n, double*, double) {
    double x = 0;
    if (zprobin(0.5, i, n - i + 1, &x) == 0) return x;
    const double qa = gammamedian(i), qb = gammamedian(n - i + 1);
    return qa + qb > 0 ? qa / (qa + qb) : 0.5;
}

double vyxkm(double a, double, double, double* carry, double d) {
    *carry = survstep(*carry, a, d);
    return 1 - *carry;
}

// Tied failures take the middle of the product limit's jump at their time: a FREQ row of d
// units plots at 1 - (S before + S after)/2, not where the last of the units would as rows.
double vyxmkm(double a, double, double, double* carry, double d) {
    const double old = *carry;
    *carry = survstep(old, a, d);
    return 1 - (old + *carry) * 0.5;
}

// A FREQ row of d failures adds d/a to the cumulative hazard; the same units as tied rows add
// 1/a + 1/(a - 1) + ..., each row its own step.
double vyxna(double a, double, double, double* carry, double d) {
    *carry += d / a;
    return 1 - std::exp(-*carry);
}

double vyxsarr(double x) {
    const double y = x + 273.15;
    return std::fabs(y) <= kEps53 ? hostmissing() : 1000 / y;
}

double vyxslin(double x) { return x; }

double vyxspow(double x) { return x <= kEps53 || std::isnan(x) ? hostmissing() : std::log(x); }

double vyxsarr2(double x) {
    const double y = x + 273.15;
    return std::fabs(y) <= kEps53 ? hostmissing() : 11605 / y;
}

double vyxslgt(double x) {
    if (!(x > kEps53) || !(1 - x > kEps53)) return hostmissing();
    return std::log(x / (1 - x));
}
