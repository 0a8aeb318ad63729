// The Mills ratio (1 - Phi(x))/phi(x) of the standard normal distribution.
//
// Algorithm: Laplace's continued fraction of the Mills ratio, evaluated by forward
// recurrences of its convergents; below 5 the ratio from Cody's erfc.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/digamma.h"
#include "proc/numeric/normal.h"

namespace {

// The continued fraction (1/x) / (1 + j u/(1 + (j + 1) u/(1 + ...))), u = 1/x^2, from the
// partial numerator j u on, by forward recurrences of its convergents.
int millsfraction(double x, double j, double* out) {
    const double u = 1.0 / (x * x);
    double n2 = 0.0;
    double n1 = 1.0 / x;
    double d2 = 1.0;
    double d1 = 1.0;
    double prev = n1 / d1;
    double m = (j - 1.0) * u;
    for (int k = 0; k <= 100; ++k) {
        m += u;  // (k + j) u
        const double n = n1 + m * n2;
        const double d = d1 + m * d2;
        const double v = n / d;
        n2 = n1;
        n1 = n;
        d2 = d1;
        d1 = d;
        *out = v;
        if (std::fabs(v - prev) <= 5.0 * 1.110223024625157e-16 * v) return 0;
        prev = v;
    }
    return 1;
}

}  // namespace

int zcnfmill(double x, double* out) {
    // R = (1/x) / (1 + u/(1 + 2u/(1 + 3u/(1 + ...)))), u = 1/x^2.
    return millsfraction(x, 1.0, out);
}

int zcnfmillx(double x, double* out) {
    // 1/R - x = 1/(x + 2/(x + 3/(x + ...))) = (1/x) / (1 + 2u/(1 + 3u/(1 + ...))).
    return millsfraction(x, 2.0, out);
}

int zmillsr(double x, double* out) {
    if (std::isnan(x)) {
        *out = hostmissing();
        return 1;
    }
    if (x < 5.0) {
        double r = std::exp(0.5 * x * x + 0.9189385332046728);  // sqrt(2 pi) e^(x^2/2)
        if (x >= -10.0) r *= zprbnrm(-x);                          // below -10, Phi(-x) is 1
        *out = r;
        return 0;
    }
    return zcnfmill(x, out);
}
