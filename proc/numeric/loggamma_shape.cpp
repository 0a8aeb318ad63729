// The shape block of the generalized log-gamma family: the shape k, q = 1/k^2, and the
// q- and k-dependent terms of minus the log density that do not depend on z.
//
// Algorithm: the project's own, in the parametrization of Lawless (1980).
#include <cmath>
#include "proc/numeric/digamma.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/loggamma_tail.h"

int zprbpgm(double k, double* block) {
    block[GSH_K] = k;
    if (std::fabs(k) <= GSH_SMALL) return 0;
    const double k2 = k * k;
    const double q = 1.0 / k2;
    const double lgq = zlgamma(q);
    double dig;
    zdigama(q, &dig);
    int rc;
    const double trig = ztigama(q, &rc);
    const double logq = std::log(q);
    const double r = -2.0 * q / k;  // dq/dk
    block[GSH_Q] = q;
    block[GSH_LGAMQ] = lgq;
    block[GSH_DIGQ] = dig;
    block[GSH_TRIGQ] = trig;
    // For a large q these are small differences of large terms: B5 by Stirling's series,
    // B6 = r (digamma(q) - log q + 1/(2q)) and B7 = -3 B6/k + r^2 (trigamma(q) - 1/q - 1/(2q^2))
    // from the asymptotic tails of digamma and trigamma.
    block[GSH_B5] = q < 15.0 ? lgq + q - (q - 0.5) * logq : 0.9189385332046728 + zlgbern(q);
    block[GSH_B6] = -r * digammatail(q, dig);
    block[GSH_B7] = -3.0 * block[GSH_B6] / k + r * r * trigammatail(q, trig);
    return 0;
}
