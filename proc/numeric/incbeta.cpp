// The regularized incomplete beta function by a continued fraction in raw three-term form.
//
// Algorithm: a continued fraction of the incomplete beta function (betafrac.h), with Paulson's
// (1942) normal approximation of the F distribution where the fraction does not settle for
// large shapes.
#include "proc/numeric/incbeta.h"

#include <cfloat>
#include <cmath>

#include "proc/numeric/betafrac.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kExpUnderflow = -708.3964185;
constexpr double kTol = 8.881784197001256e-16;  // 8 * 2^-53
constexpr int kMaxK = 400;  // the fraction runs passes 2 to 400

int fail(double* prob, double* dens) {
    *prob = -1.0;
    *dens = 0.0;
    return -1;
}

// Paulson's normal approximation to the F distribution with 2a and 2b degrees of freedom.
double paulson(double x, double a, double b) {
    const double w = std::pow(b * x / ((1.0 - x) * a), 0.3333333333333333);
    const double cb = 0.1111111111111111 / b;
    const double ca = 0.1111111111111111 / a;
    const double z = ((1.0 - cb) * w - (1.0 - ca)) / std::sqrt(cb * w * w + ca);
    return zprbnrm(z);
}

}  // namespace

int zibeta(double x, double a, double b, double* prob, double* dens) {
    if (a > 2147483647.0 || b > 2147483647.0) return 1;
    // Written so that a NaN argument fails too. A shape at or below DBL_MIN has no log
    // gamma here (zlgamma gives its sentinel there): refused like a shape of 0.
    if (!(x >= 0.0 && x <= 1.0 && a > DBL_MIN && b > DBL_MIN)) return fail(prob, dens);

    double v;
    if (x == 0.0 || x == 1.0) {
        *dens = 0.0;
        v = x;
    } else {
        const double l = (a - 1.0) * std::log(x) + (b - 1.0) * zln1px(-x) - zlbeta(a, b);
        if (l < kExpUnderflow) {
            *dens = 0.0;
            v = x <= a / (a + b) ? 0.0 : 1.0;
        } else {
            *dens = std::exp(l);
            const betafrac::Tail w = betafrac::tailAt(x, a, b);
            bool converged;
            const double f = betafrac::fraction(w.y, w.p, w.q, kTol, kMaxK, &converged);
            if (converged) {
                v = w.y * *dens * betafrac::tailFactor(w, f);
                if (w.swapped) v = 1.0 - v;
            } else if ((a > 5000.0 && b > 100.0) || (b > 5000.0 && a > 100.0)) {
                v = paulson(x, a, b);
            } else {
                return fail(prob, dens);
            }
        }
    }
    *prob = std::fmin(1.0, std::fmax(v, 0.0));
    return 0;
}
