// The inverse Gaussian distribution function with mean one, and the normal probability
// between two points.
#include <cmath>

#include "proc/numeric/normal.h"
#include "proc/numeric/normmix.h"

namespace {
// Cody's coefficients of erfc beyond 4 (p and q), as in calerf.
constexpr double kP[6] = {3.05326634961232344E-1, 3.60344899949804439E-1, 1.25781726111229246E-1,
                          1.60837851487422766E-2, 6.58749161529837803E-4, 1.63153871373020978E-2};
constexpr double kQ[5] = {2.56852019228982242E00, 1.87295284992346047E00, 5.27905102951428412E-1,
                          6.05183413124413191E-2, 2.33520497626869185E-3};
}  // namespace

double zprbigs(double x, double lambda) {
    if (x == 0.0) return 0.0;
    const double r = std::sqrt(x);
    const double sl = std::sqrt(lambda);
    const double y = sl * (r + 1.0 / r) * 0.7071067811865476;
    double t;  // e^(2 lambda) erfc(y)/2, the exponent merged beyond 4
    if (y <= 4.0) {
        t = std::exp(2.0 * lambda) * zferfc(y) / 2.0;
    } else {
        const double ysq = 1.0 / (y * y);
        double xnum = kP[5] * ysq;
        double xden = ysq;
        for (int i = 0; i < 4; ++i) {
            xnum = (xnum + kP[i]) * ysq;
            xden = (xden + kQ[i]) * ysq;
        }
        const double rr = ysq * (xnum + kP[4]) / (xden + kQ[4]);
        const double e = 2.0 * lambda - y * y;
        t = e < -708.3964185 ? 0.0 : std::exp(e) / y * (0.5641895835477563 - rr) / 2.0;
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
