// Plotting positions (one routine per PPOS= method) and the stress transforms of the
// relations. The missing value stands for a transform that is not defined at x.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/numeric/quantiles.h"

namespace {
constexpr double kEps53 = 1.110223024625157e-16;   // 2^-53
}

double vyxxrnk(double a, double, double, double* carry, double d) {
    *carry = *carry * a / (a + d);
    return 1 - *carry;
}

double vyxmrnk(double, double i, double n, double*, double) { return (i - 0.3) / (n + 0.4); }

double vyxmrk1(double, double i, double n, double*, double) {
    double x = 0;
    zprobin(0.5, i, n - i + 1, &x);   // the median of beta(i, n - i + 1); its status is not looked at
    return x;
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
