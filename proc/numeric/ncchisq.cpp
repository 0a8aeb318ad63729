// Noncentral chi-square tail probabilities as a Poisson mixture of incomplete gamma
// functions, summed in both directions from a starting index on differences from the
// incomplete gamma function at that index.
//
// Algorithm: the standard Poisson mixture of incomplete gamma functions, summed in the
// project's own arrangement.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/incgamma.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/ncchisq.h"
#include "proc/numeric/ncchisq_impl.h"

namespace {
constexpr double kEps53 = 1.110223024625157e-16;
constexpr double kExpUnderflow = -708.3964185;
constexpr double kLogSqrt2Pi = 0.9189385332046728;
}  // namespace

// The starting Poisson index: near the mode of the terms, moved down in the far lower tail.
double ncStartIndex(double h, double k, double l) {
    if (l == 0.0) return 0.0;
    const double m = k + l;
    const double v = (l / m + 1.0) * 0.11111111111 / m;
    const double z = (l / m) * -1.2 * (std::pow(h / m, 0.333333) - (1.0 - v)) / std::sqrt(v);
    const double c = std::fmax(1.0, z);
    return std::nearbyint(l / (1.0 + c * 0.5 / std::sqrt(l)));
}

int zplbcnc(double x, double df, double ncp, double* p, double* q) {
    *q = hostmissing();
    if (!(x >= 0.0 && df > 0.0 && ncp >= 0.0)) {
        *p = hostmissing();
        return 1;
    }
    if (x == 0.0) {
        *p = 0.0;
        *q = 1.0;
        return 0;
    }
    const double h = x / 2.0;
    const double k = df / 2.0;
    const double l = ncp / 2.0;
    const double jd = ncStartIndex(h, k, l);
    if (!(jd <= 2147483647.0)) return 1;
    const int j = static_cast<int>(jd);
    double dens;
    if (zigamma(h, k + j, p, q, &dens) != 0) return 1;
    if (l == 0.0) return 0;

    // g_j = h^(k+j) e^-h / Gamma(k + j + 1) and the Poisson weight w_j, on the log scale.
    double lg;
    if (k + j <= 15.0) {
        lg = (k + j) * std::log(h) - h - zlgamma(k + j + 1.0);
    } else {
        const double n = k + j + 1.0;
        lg = (n - 0.5) * std::log(h / n) - (h - n) - (0.5 * std::log(h) + kLogSqrt2Pi + zlgbern(n));
    }
    const double lw = j * std::log(l) - (l + zlgamma(j + 1.0));
    if (!(lg + lw > kExpUnderflow)) return 1;
    const double g0 = std::exp(lg);
    const double w0 = std::exp(lw);

    // P = P(k + j) + sum_(i<j) w_i (g_i + ... + g_(j-1)) - sum_(u>j) w_u (g_j + ... + g_(u-1)).
    double s;
    if (!ncMixtureSum<false>(h, k, l, j, w0, g0, kEps53, &s, nullptr)) return -1;
    *p = std::fmin(1.0, std::fmax(0.0, *p + s));
    *q = 1.0 - *p;
    return 0;
}
