// Plotting positions (one routine per PPOS= method) and the stress transforms of the
// relations. The missing value stands for a transform that is not defined at x.
#include <cmath>

#include "host/hostdefs.h"
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

double vyxxrnk(double a, double, double, double* carry, double d) {
    *carry = *carry * a / (a + d);
    return 1 - *carry;
}

double vyxmrnk(double, double i, double n, double*, double) { return (i - 0.3) / (n + 0.4); }

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
    *carry = *carry * (a - d) / a;
    return 1 - *carry;
}

double vyxmkm(double a, double, double, double* carry, double d) {
    const double old = *carry;
    *carry = old * (a - d) / a;
    return 1 - (old + *carry) * 0.5;
}

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
