// Upper tail probabilities of the chi-square distribution (p-values of chi-square tests).
//
// Algorithm: none of its own; the incomplete gamma function of incgamma.cpp.
#include "host/hostdefs.h"
#include "proc/numeric/incgamma.h"
#include "proc/numeric/quantiles.h"

double zpgx2f(double x, double df) {
    double P, Q, f;
    if (zigamma(0.5 * x, 0.5 * df, &P, &Q, &f) != 0) return hostmissing();
    return Q;
}

double zpgx2(double x, int df) { return zpgx2f(x, static_cast<double>(df)); }

double zpgx2DF1(double x) {
    if (x <= 2.225073858507202e-308) return 1.0;
    return zpgx2f(x, 1.0);
}
