// The log tail probabilities and log density of the standard normal distribution.
//
// Algorithm: through Cody's erfc (calerf.cpp), and the Mills ratio (millsr.cpp) in the far
// tails; the project's own.
#include <cmath>

#include "proc/numeric/digamma.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"

namespace {
constexpr double kSqrtHalf = 0.7071067811865476;
constexpr double kLogSqrt2Pi = 0.9189385332046728;
}  // namespace

int zlognrm(double x, double* logcdf, double* logsurv, double* logpdf) {
    *logpdf = -0.5 * x * x - kLogSqrt2Pi;
    if (std::isnan(x)) return 1;  // no probability to report
    const double y = std::fabs(x);
    double l;  // log(1 - Phi(y))
    if (y >= 5.0) {
        double m;
        if (zmillsr(y, &m) != 0) return 1;
        l = std::log(m) + *logpdf;
    } else {
        l = std::log(zferfc(y * kSqrtHalf) * 0.5);
    }
    if (x <= 0.0) {
        *logcdf = l;
        *logsurv = zln1px(-std::exp(l));
    } else {
        *logsurv = l;
        *logcdf = zln1px(-std::exp(l));
    }
    return 0;
}
