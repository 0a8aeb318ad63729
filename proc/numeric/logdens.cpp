// Log densities of the beta and gamma distributions.
//
// Algorithm: the project's own (Stirling's series near the mean of a large shape).
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbetagamma.h"

int zldnbet(double x, double a, double b, double* logdens) {
    if (!(x >= 0.0 && x <= 1.0 && a > 0.0 && b > 0.0)) return 1;
    if (x == 0.0)
        *logdens = a == 1.0 ? std::log(b) : hostmissing();
    else if (x == 1.0)
        *logdens = b == 1.0 ? std::log(a) : hostmissing();
    else
        *logdens = (a - 1.0) * std::log(x) + (b - 1.0) * zln1px(-x) - zlbeta(a, b);
    return 0;
}

int zldngam(double x, double a, double* logdens) {
    if (!(x >= 0.0 && a > 0.0)) return 1;
    if (x == 0.0) {
        *logdens = a == 1.0 ? 0.0 : hostmissing();
        return 0;
    }
    // Near the mean of a large shape the Stirling form keeps the cancelling terms apart.
    if (a < 10.0 || std::fabs(x / a - 1.0) > 0.3)
        *logdens = (a - 1.0) * std::log(x) - x - zlgamma(a);
    else
        *logdens = (a - 1.0) * std::log(x / a) - 0.5 * std::log(a) + (a - x) - zlgbern(a) - 0.9189385332046728;
    return 0;
}
