// The standard normal quantile.
//
// Algorithm: a rational approximation in t = sqrt(-2 log q) - sqrt(2 log 2) whose published
// source is not on record; below 1e-16 Newton steps on the log distribution function (the
// project's own).
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kExpUnderflow = -708.3964185;

inline double horner(const double* c, int n, double t) {
    double r = c[0];
    for (int i = 1; i < n; ++i) r = r * t + c[i];
    return r;
}

// Highest power first.
constexpr double kA[8] = {0.00023850990628812184, 0.007748014532123519, 0.09433047102597236,
                          0.5906175347671243,     2.0524292014826053,   3.926527220876258,
                          3.827787912267809,      1.4756646266356057};
constexpr double kB[8] = {0.00023846672191006805, 0.007472090148248392, 0.08675117268832777,
                          0.5155497927835685,     1.6853868285749263,   3.0193046324086072,
                          2.757985744718407,      1.0};
constexpr double kN[9] = {2.2366406817573622e-07, 1.4756630668977935,    2.9349133839409465,
                          2.302486886454419,      0.9208235553699621,    0.1971184884114817,
                          0.021322238814693088,   0.0009933095513250212, 1.3896718225467155e-05};
constexpr double kD[8] = {1.0,                  2.152916059924272,    1.8195065884540687,
                          0.7785719242838022,   0.1775558927085442,   0.020255719894916695,
                          0.000977052221781334, 1.389640654034189e-05};

}  // namespace

double zprobit(double p) {
    if (p == 0.0) return -std::sqrt(-2.0 * kExpUnderflow);
    if (p == 1.0) return 7.941345326170997;
    if (p < 1e-16) return szprobit(p);
    const double q = p > 0.5 ? 1.0 - p : p;
    const double t = std::sqrt(-2.0 * std::log(q)) - 1.1774100225154747;
    double z;
    if (q > 0.01) {
        z = t * horner(kA, 8, t) / horner(kB, 8, t);
    } else {
        const double s = 1.0 / t;
        z = t * horner(kN, 9, s) / horner(kD, 8, s);
    }
    return p > 0.5 ? z : -z;
}

double zprobitq(double q) { return q <= 0.5 ? -zprobit(q) : zprobit(1.0 - q); }

double szprobit(double p) {
    // A negative or NaN probability has no quantile (the iteration would otherwise end
    // on the floor value).
    if (!(p > 0.0)) return hostmissing();
    const double floor = -std::sqrt(-2.0 * std::log(100.0 * DBL_MIN));
    const double lp = std::log(p);
    double x = -std::sqrt(-2.0 * lp);
    const double tol = 1e-12 * std::fabs(lp);
    for (int k = 1;; ++k) {
        double lcdf;
        double lsurv;
        double lpdf;
        if (zlognrm(x, &lcdf, &lsurv, &lpdf) != 0) return floor;
        const double d = lcdf - lp;
        x = x - d * std::exp(lcdf - lpdf);  // Newton step: d / (phi / Phi)
        if (std::fabs(d) < tol) return k < 30 ? x : floor;
        if (k >= 30) return floor;
    }
}
