// The standard normal distribution function.
//
// Algorithm: through Cody's erf and erfc (calerf.cpp); the project's own.
#include "proc/numeric/normal.h"

namespace {
constexpr double kSqrtHalf = 0.7071067811865476;
}  // namespace

double zprbnrm(double x) {
    if (x > 0.0) return (1.0 + zferf(x * kSqrtHalf)) * 0.5;
    return zferfc(-x * kSqrtHalf) * 0.5;  // also a NaN
}
