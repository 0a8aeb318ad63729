// The inverse Gaussian distribution function with mean one, and the normal probability
// between two points.
//
// Algorithm: the closed form of the inverse Gaussian distribution function in the normal one
// (Shuster 1968), its far tail through the rational part of Cody's erfc (erfcfar.h); the
// Taylor expansion for close points is the project's own.
#include <cmath>

#include "proc/numeric/erfcfar.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/normmix.h"

double zprbigs(double x, double lambda) {
    if (x == 0.0) return 0.0;
    const double r = std::sqrt(x);
    const double sl = std::sqrt(lambda);
    const double y = sl * (r + 1.0 / r) * 0.7071067811865476;
    double t;  // e^(2 lambda) erfc(y)/2, the exponent merged beyond 4
    if (y <= 4.0) {
        t = std::exp(2.0 * lambda) * zferfc(y) / 2.0;
    } else {
        const double e = 2.0 * lambda - y * y;
        t = e < -708.3964185 ? 0.0 : std::exp(e) / y * (erfcfar::kInvSqrtPi - erfcfar::rational(y)) / 2.0;
    }
    return zprbnrm(sl * (r - 1.0 / r)) + t;
}

// Close points: the Taylor expansion of Phi about b to the fifth order in c = a - b.
double DiffNormal(double a, double b, double c) {
    if (std::fabs(a - b) >= 0.0001) {
        if (a > 0.0 && b > 0.0) return zprbnrm(-b) - zprbnrm(-a);  // upper tails keep their digits
        return zprbnrm(a) - zprbnrm(b);
    }
    const double b2 = b * b;
    const double phi = std::exp(-0.5 * b2) * 0.3989422804014327;
    return phi * c *
           (1.0 + c * (-b * 0.5 + c * ((b2 - 1.0) * 0.16666666666666666 +
                                       c * ((3.0 * b - b2 * b) * 0.041666666666666664 +
                                            c * (b2 * b2 - 6.0 * b2 + 3.0) * 0.008333333333333333))));
}
