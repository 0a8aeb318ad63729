// Normal-approximation starts shared by the quantiles: the beta and chi-square quantiles,
// and the plain and log-scale noncentral F quantiles.
//
// Algorithm: the normal quantile approximation of Abramowitz and Stegun 26.2.22; the cube-root
// normal approximation of the noncentral F for its start, in a form whose published source
// is not on record.
#pragma once

#include <cmath>

#include "proc/numeric/normal.h"

// From y = sqrt(-2 log pp), pp at or below 0.5, an approximation of the upper normal
// quantile of pp.
inline double normalstart(double y) {
    return y - (2.30753 + 0.27061 * y) / (1.0 + (0.99229 + 0.04481 * y) * y);
}

// The start of the noncentral F quantile at p (also for nc = 0) from the cube-root normal
// approximation of the noncentral F.
inline double fCubeRootStart(double p, double df1, double df2, double nc) {
    const double a = 0.2222222222222222 / df2;
    const double b = 0.2222222222222222 * (2.0 * nc + df1) / ((df1 + nc) * (df1 + nc));
    const double c1 = 1.0 - a;
    const double c2 = (1.0 - b) / c1;
    const double z = zprobit(p);
    const double bb = 2.0 * c2 + a * z * z / (c1 * c1);
    const double kk = c2 * c2 - b * z * z / c1;
    const double disc = bb * bb - 4.0 * kk;
    if (disc < 0.0) return bb / 2.0;
    double u = (bb - std::sqrt(disc)) / 2.0;
    if (!(p <= 0.5 && u > 0.0)) u = (bb + std::sqrt(disc)) / 2.0;
    return u * u * u * (df1 + nc) / df1;
}
