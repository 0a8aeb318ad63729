// log(e^a + e^b) and the multivariate log gamma and log beta functions.
//
// Algorithm: the definitions, as sums of log gamma functions; the project's own.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/lgamma.h"

double zlnSumOfExp(double a, double b) {
    if (a > b) return a + zln1px(std::exp(b - a));
    if (a == b) return a + 0.6931471805599453;
    return b + zln1px(std::exp(a - b));
}

int zlgammaMV(double x, int p, double* out) {
    *out = hostmissing();
    if (p <= 0 || !(x - (p - 1) / 2.0 > 0.0)) return 1;  // a NaN x fails too
    constexpr double kLogPi = 1.1447298858494002;
    long double sum = p * (p - 1.0L) / 4.0L * kLogPi;
    // Terms j >= 2 follow from the term two steps back (one unit above):
    // log Gamma(y) = log Gamma(y + 1) - log y.
    double back2 = 0.0;
    double back1 = 0.0;
    for (int j = 0; j < p; ++j) {
        const double y = x - j / 2.0;
        double term;
        if (j < 2) {
            term = zlgamma(y);
            if (term == -99.0) return 1;
        } else {
            term = back2 - std::log(y);
        }
        sum += term;
        back2 = back1;
        back1 = term;
    }
    // An infinite x makes the recurrence's terms inf - inf.
    if (std::isnan(sum)) return 1;
    *out = static_cast<double>(sum);
    return 0;
}

int zlbetaMV(double a, double b, int p, double* out) {
    if (p <= 0 || !(a > (p - 1) / 2.0) || !(b > (p - 1) / 2.0)) return 1;  // NaNs fail too
    if (p == 1) {
        *out = zlbeta(a, b);
        return 0;
    }
    double la;
    double lb;
    double lab;
    if (zlgammaMV(a, p, &la) != 0 || zlgammaMV(b, p, &lb) != 0 || zlgammaMV(a + b, p, &lab) != 0)
        return 1;
    const double lbeta = la + lb - lab;
    if (std::isnan(lbeta)) return 1;  // infinite shapes: inf - inf
    *out = lbeta;
    return 0;
}
