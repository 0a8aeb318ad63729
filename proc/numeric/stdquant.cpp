// Standardized quantiles. The extreme-value and logistic forms keep p a little inside
// (0, 1) so that the quantiles of 0 and 1 stay finite; a NaN passes through.
//
// Algorithm: the closed forms of the quantiles; the normal one is probit.cpp's.
#include "proc/numeric/stdquant.h"
#include <cmath>
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"

namespace {
constexpr double CLAMP = 1000.0 * 1.110223024625157e-16;

double clamp(double p) {
    if (1.0 - CLAMP < p) p = 1.0 - CLAMP;
    if (CLAMP > p) p = CLAMP;
    return p;
}

double sevquantile(double p) {
    p = clamp(p);
    // log(1 - p) through log(1 + x): 1 - p would lose the digits of a small p.
    return std::log(-zln1px(-p));
}
}  // namespace

double vyxiwb(double p) { return sevquantile(p); }
double vyxiev(double p) { return sevquantile(p); }
double vyxinm(double p) { return zprobit(p); }

double vyxilg(double p) {
    p = clamp(p);
    return std::log(p / (1.0 - p));
}
