// Plotting-position rules and standardized quantiles written out as their textbook
// formulas, for driving the curve and the least-squares fit in these tests.
#pragma once
#include <cmath>

#include "proc/numeric/normal.h"

namespace nptest {

inline double pp_km(double a, double, double, double* c, double d) {
    *c *= (a - d) / a;
    return 1 - *c;
}
inline double pp_mkm(double a, double, double, double* c, double d) {
    const double old = *c;
    *c *= (a - d) / a;
    return 1 - (old + *c) * 0.5;
}
inline double pp_na(double a, double, double, double* c, double d) {
    *c += d / a;
    return 1 - std::exp(-*c);
}
// Benard's approximation of the median rank, at the adjusted rank i.
inline double pp_benard(double, double i, double n, double*, double) { return (i - 0.3) / (n + 0.4); }
// Herd-Johnson: the survival is the product of a/(a + d) over the failures.
inline double pp_herdjohnson(double a, double, double, double* c, double d) {
    *c *= a / (a + d);
    return 1 - *c;
}

inline double q_weibull(double p) { return std::log(-std::log(1 - p)); }
inline double q_normal(double p) { return zprobit(p); }
inline double q_logistic(double p) { return std::log(p / (1 - p)); }

}  // namespace nptest
