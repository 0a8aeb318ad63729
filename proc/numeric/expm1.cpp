// exp(x) - 1 with a short series near 0.
//
// Algorithm: the Taylor series near 0; the project's own.
#include <cmath>

#include "proc/numeric/digamma.h"

double zexpm1(double x) {
    if (std::fabs(x) > 0.01) return std::exp(x) - 1.0;
    return x * (1.0 + x / 2.0 * (1.0 + x / 3.0 * (1.0 + x / 4.0 * (1.0 + x / 5.0 * (1.0 + x / 6.0)))));
}
