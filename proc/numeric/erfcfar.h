// The rational part of W. J. Cody's approximation of erfc beyond 4, shared by calerf and
// the inverse Gaussian distribution function (which merges its own exponent with erfc's).
//
// Algorithm: W. J. Cody (1969), Math. Comp. 23, 631-637.
#pragma once

namespace erfcfar {

// Cody's coefficients p and q of erfc beyond 4.
constexpr double kP[6] = {3.05326634961232344E-1, 3.60344899949804439E-1, 1.25781726111229246E-1,
                          1.60837851487422766E-2, 6.58749161529837803E-4, 1.63153871373020978E-2};
constexpr double kQ[5] = {2.56852019228982242E00, 1.87295284992346047E00, 5.27905102951428412E-1,
                          6.05183413124413191E-2, 2.33520497626869185E-3};
constexpr double kInvSqrtPi = 0.5641895835477563;

// R with erfc(y) = e^(-y^2) / y * (1/sqrt(pi) - R) for y > 4.
inline double rational(double y) {
    const double ysq = 1.0 / (y * y);
    double xnum = kP[5] * ysq;
    double xden = ysq;
    for (int i = 0; i < 4; ++i) {
        xnum = (xnum + kP[i]) * ysq;
        xden = (xden + kQ[i]) * ysq;
    }
    return ysq * (xnum + kP[4]) / (xden + kQ[4]);
}

}  // namespace erfcfar
