// The gamma function: Stirling's series from 20 up, a rational approximation on [1, 2]
// after the recurrence below 20, and the reflection formula below one half.
//
// Algorithm: Stirling's series (Abramowitz and Stegun 6.1.41), the recurrence and the
// reflection formula; the published source of the two rational approximations on [1, 2] is
// not on record.
#include <cmath>
#include "host/hostdefs.h"
#include "proc/numeric/quantiles.h"

namespace {
constexpr double PI = 3.141592653589793;
constexpr double EXP_OVER = 709.782712893384;

double horner(const double* c, int n, double u) {
    double s = c[0];
    for (int i = 1; i < n; ++i) s = s * u + c[i];
    return s;
}

// Coefficients, highest power first, for Gamma(1 + u) (u = y - 1, y < 1.5) and for
// Gamma(2 + u) (u = y - 2, y >= 1.5): Gamma = 1 + u P(u)/Q(u).
constexpr double P1[] = {0.002625070040437531, -0.007510271533842285, 0.017528892500123194,
                         0.3098460568601646,   0.25472591714733017,   -0.5772156649015329};
constexpr double Q1[] = {6.856025300447944e-05, -0.0019925700585908582, 0.012161691626495507,
                         0.007359937308245615,  -0.20811952170101305,   0.07093636364673782,
                         1.2721936060171066,    1.0};
constexpr double P2[] = {0.0021469534024007183, 0.004928316425130836, 0.019387015799639237,
                         0.24766843010599837,   0.6538471125765124,   0.42278433509846713};
constexpr double Q2[] = {8.768061728710059e-05, -0.001184778421571799, 0.002705006167117301,
                         0.021218073289239688,  -0.0797327318216399,   -0.16474307835695642,
                         0.5724118943378274,    1.0};
}  // namespace

int zgamma(double x, double* g) {
    // A NaN would pass through the rational branch as a value: refuse it.
    if (std::isnan(x)) {
        *g = hostmissing();
        return 1;
    }
    double y = x >= 0.5 ? x : 1.0 - x;
    double G;
    if (y >= 20.0) {
        const double r = 1.0 / (y * y);
        const double lg = (0.08333333333333333 + r * (-0.002777777777777778 +
                           r * (0.0007936507936507937 + r * -0.0005952380952380953))) / y +
                          (y - 0.5) * std::log(y) - y + 0.9189385332046728;
        if (!(lg < EXP_OVER)) {
            *g = hostmissing();
            return 1;
        }
        G = std::exp(lg);
    } else {
        double g0 = 1.0;
        while (y < 1.0) {
            g0 /= y;
            y += 1.0;
        }
        while (y > 2.0) {
            y -= 1.0;
            g0 *= y;
        }
        if (y < 1.5) {
            const double u = y - 1.0;
            G = g0 * (1.0 + u * horner(P1, 6, u) / horner(Q1, 8, u));
        } else {
            const double u = y - 2.0;
            G = g0 * (1.0 + u * horner(P2, 6, u) / horner(Q2, 8, u));
        }
    }
    if (x < 0.5) {
        const double s = std::sin(PI * x);
        if (!(std::fabs(s) > 1e-12)) {
            *g = hostmissing();
            return 1;
        }
        *g = PI / (s * G);
        return 0;
    }
    *g = G;
    return 0;
}
