// The log density of the noncentral chi-square distribution and the log Bessel factor
// it needs, with orders down to -2 by the recurrence.
//
// Algorithm: the project's own, on the Bessel function of bessel.cpp.
#include <cfloat>
#include <cmath>

#include "proc/numeric/bessel.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/ncchisq.h"

namespace {
constexpr double kLn2 = 0.6931471805599453;
}

int zbess(besblk* b) {
    b->form = BES_LOG;
    const double v = b->nu;
    if (v >= 0.0) return zibess(b);
    b->nu = v + 1.0;
    int rc = zibess(b);
    const double l1 = b->result;
    b->nu = v + 2.0;
    rc |= zibess(b);
    const double l2 = b->result;
    b->nu = v;
    const double m = std::fmax(l1, l2);
    b->result = m + std::log(std::exp(l2 - m) + (2.0 * (v + 1.0) / b->x) * std::exp(l1 - m));
    return rc;
}

int zldncnc(double x, double df, double ncp, double* logdens) {
    if (!(x >= 0.0)) return 1;
    if (ncp == 0.0) {
        double ld;
        if (zldngam(x / 2.0, df / 2.0, &ld) != 0) return 1;
        *logdens = ld - kLn2;
        return 0;
    }
    if (x == 0.0) {
        // The density at 0: infinite below 2 degrees of freedom, e^(-ncp/2)/2 at 2, 0 above.
        *logdens = df < 2.0 ? DBL_MAX : (df == 2.0 ? -ncp / 2.0 - kLn2 : -DBL_MAX);
        return 0;
    }
    besblk b{};
    b.x = std::sqrt(ncp * x);
    b.nu = df / 2.0 - 1.0;
    const int rc = zbess(&b);
    if (rc != 0) return rc;
    const double d = std::sqrt(ncp) - std::sqrt(x);
    *logdens = -0.5 * d * d + 0.5 * (df / 2.0 - 1.0) * std::log(x / ncp) + b.result - b.x - kLn2;
    return 0;
}
