// Digamma and trigamma functions.
//
// Algorithm: for large arguments the asymptotic series of psi and psi' (Abramowitz and
// Stegun 6.3.18 and 6.4.12), elsewhere the recurrence and the reflection formula down to
// [1, 2] and [5, 6); the published source of the rational approximations there (about the
// positive zero of psi, and about 6.5) is not on record.
#include "proc/numeric/digamma.h"

#include <cmath>

#include "host/hostdefs.h"

namespace {
constexpr double kPi = 3.141592653589793;
}

int zdigama(double x, double* out) {
    if (std::isnan(x)) {
        *out = hostmissing();
        return 1;
    }
    double acc = 0.0;
    if (x < 0.5) {
        // Reflection: psi(x) = psi(1 - x) - pi cot(pi x).
        const double r = x + std::floor(0.5 - x);  // signed distance to the nearest integer
        if (-x > 2147483647.0 || std::fabs(r) < 1e-12 * std::fmax(1.0, -x)) {
            *out = hostmissing();
            return 1;
        }
        acc = -kPi * std::cos(kPi * x) / std::sin(kPi * x);
        x = 1.0 - x;
    }
    if (x >= 20.0) {
        const double w = 1.0 / x;
        const double w2 = w * w;
        const double s =
            0.08333333333333333 +
            w2 * (-0.008333333333333333 +
                  w2 * (0.003968253968253968 +
                        w2 * (-0.004166666666666666 +
                              w2 * (0.007575757575757576 +
                                    w2 * (-0.0210927960927961 +
                                          w2 * (0.08333333333333333 + w2 * -0.443259803921569))))));
        *out = acc + (std::log(x) - 0.5 / x - w2 * s);
        return 0;
    }
    while (x > 2.0) {
        x -= 1.0;
        acc += 1.0 / x;
    }
    while (x < 1.0) {
        acc -= 1.0 / x;
        x += 1.0;
    }
    const double z = x - 1.4616321449683622;  // the positive zero of psi
    const double n =
        0.9676722454476212 +
        z * (1.204498326430075 +
             z * (0.5378360457327382 +
                  z * (0.10584618401804752 +
                       z * (0.008905175232167111 +
                            z * (0.0002457423193842438 + z * 4.6358835743887255e-7)))));
    const double d =
        1.0 + z * (1.7022927992025696 +
                   z * (1.067560678680108 +
                        z * (0.31252643484142645 +
                             z * (0.04399281485507783 +
                                  z * (0.002693446899164847 + z * 5.07487259536148e-5)))));
    *out = acc + z * n / d;
    return 0;
}

double ztigama(double x, int* rc) {
    if (std::isnan(x)) {
        *rc = 1;
        return hostmissing();
    }
    double refl = 0.0;
    double y = x;
    const bool reflected = x < 0.5;
    if (reflected) {
        // Reflection: psi'(x) = pi^2 / sin^2(pi x) - psi'(1 - x). Every double of
        // magnitude 2^52 or more is an integer, a pole, whatever sin(pi x) rounds to.
        const double s = std::sin(kPi * x);
        if (std::fabs(s) < 1e-12 || x == std::floor(x)) {
            *rc = 1;
            return -1e35;
        }
        const double ps = kPi / s;
        refl = ps * ps;
        y = 1.0 - x;
    }
    *rc = 0;
    if (y > 1e35) return 1.0 / y;
    double t;
    if (y > 25.0) {
        const double w = 1.0 / y;
        const double w2 = w * w;
        t = w * (1.0 + w * (0.5 + w * (0.16666666666666666 +
                                       w2 * (-0.03333333333333333 +
                                             w2 * (0.023809523809523808 +
                                                   w2 * (-0.03333333333333333 +
                                                         w2 * (0.07575757575757576 +
                                                               w2 * -0.2531135531135531)))))));
    } else {
        // Shift y into [5, 6): psi'(y_start) = psi'(y) + acc.
        long double acc = 0.0L;
        while (y < 6.0) {
            acc += 1.0L / (static_cast<long double>(y) * y);
            y += 1.0;
        }
        while (y >= 6.0) {
            y -= 1.0;
            acc -= 1.0L / (static_cast<long double>(y) * y);
        }
        const double z = y - 6.5;
        const double p =
            0.16628453574995825 +
            z * (0.0993741848240434 +
                 z * (0.0223858766303939 +
                      z * (0.002253271559834363 +
                           z * (8.552400851648394e-5 + z * -1.3926211662443963e-15))));
        const double q =
            1.0 + z * (0.7635231680342955 +
                       z * (0.23383445541222814 +
                            z * (0.035912632976248214 +
                                 z * (0.002766415611841837 + z * 8.552400846207363e-5))));
        t = static_cast<double>(acc + p / q);
    }
    return reflected ? refl - t : t;
}
