// Log gamma, the Stirling remainder, log beta and log(1 + x).
//
// Algorithm: Stirling's series (Abramowitz and Stegun 6.1.41) from 15 up, the recurrence to
// [1, 2] below; the published source of the rational approximations on [1, 2] and of the one
// of log(1 + x) near 0 is not on record.
#include "proc/numeric/lgamma.h"

#include <cfloat>
#include <cmath>

namespace {

constexpr double kEps53 = 1.110223024625157e-16;      // 2^-53
constexpr double kLogSqrt2Pi = 0.9189385332046728;
constexpr double kLogGammaOneHalf = -0.12078223763524522;  // log Gamma(1.5)

// v (1/12 + s (-1/360 + s (1/1260 + s (-1/1680 + s (1/1188 - (691/360360) s))))), s = v^2.
inline long double stirlingSeries(double v, double s) {
    long double r = -0.0019175269175269176L;
    r = 0.0008417508417508417L + static_cast<long double>(s) * r;
    r = -0.0005952380952380953L + s * r;
    r = 0.0007936507936507937L + s * r;
    r = -0.002777777777777778L + s * r;
    r = 0.08333333333333333L + s * r;
    return v * r;
}

// Horner evaluation of a degree-6 polynomial given highest power first.
inline double horner7(const double (&c)[7], double t) {
    double r = c[0];
    for (int i = 1; i < 7; ++i) r = r * t + c[i];
    return r;
}

constexpr double kN1[7] = {0.002126546376940967, 0.05692342633165193, 0.36252537533106266,
                           0.7494577256954738,   0.2079812846119617,  -0.8017986934675778,
                           -0.5772156649015329};
constexpr double kD1[7] = {0.0005124543681927987, 0.026724016735058816, 0.31469269123782706,
                           1.4276752135116328,    2.9550965510668346,   2.8139668163177345,
                           1.0};
constexpr double kN2[7] = {9.627912858833401e-05, 0.004410493669232917, 0.05678875296955259,
                           0.3098673634213962,    0.8058203645027399,   0.9712118746069075,
                           0.42278433509846713};
constexpr double kD2[7] = {2.1326962979603636e-05, 0.0016767266689027731, 0.03194668377437606,
                           0.24611091348667924,    0.8949255863507323,    1.5344580849517535,
                           1.0};

}  // namespace

double zlgamma(double x) {
    if (x <= DBL_MIN) return -99.0;
    if (std::fabs(x - 1.0) < kEps53 || std::fabs(x - 2.0) < kEps53) return 0.0;
    if (std::isinf(x)) return x;  // the Stirling form would give inf - inf
    if (!(x < 15.0)) {  // also a NaN
        const double v = 1.0 / x;
        const double s = v * v;
        // log x in double: the result is at least 25 and keeps its relative accuracy.
        const double lx = std::log(x);
        return static_cast<double>((x - 0.5L) * lx - x + kLogSqrt2Pi + stirlingSeries(v, s));
    }
    // Reduce to [1, 2]: Gamma(x) = Gamma(reduced) * c.
    long double c = 1.0L;
    while (x < 1.0) {
        c /= x;
        x = x + 1.0;
    }
    while (x > 2.0) {
        x = x - 1.0;
        c *= x;
    }
    // log c as log1p of c - 1 formed in extended precision: exact where c is near 1
    // (x just below 1 or just above 2) and far cheaper than an extended logarithm.
    const long double logc = std::log1p(static_cast<double>(c - 1.0L));
    if (std::fabs(x - 1.5) < kEps53) return static_cast<double>(logc + kLogGammaOneHalf);
    double t;
    double q;
    if (x < 1.5) {
        t = x - 1.0;
        q = static_cast<double>(horner7(kN1, t) / horner7(kD1, t));
    } else {
        t = x - 2.0;
        q = static_cast<double>(horner7(kN2, t) / horner7(kD2, t));
    }
    return static_cast<double>(logc + static_cast<long double>(t) * q);
}

double zlgbern(double x) {
    const double v = 1.0 / x;
    const double s = v * v;
    return static_cast<double>(stirlingSeries(v, s));
}

double zlbeta(double a, double b) {
    if (a <= 0.0 || b <= 0.0) return 99.0;
    const double p = std::fmin(a, b);
    const double q = std::fmax(a, b);
    if (q < 15.0) return zlgamma(p) + zlgamma(q) - zlgamma(p + q);
    // The Stirling forms of log Gamma(q) and log Gamma(p + q) cancel their large parts.
    const double pq = p + q;
    const long double r = static_cast<long double>(zlgamma(p)) +
                          (pq - 0.5L) * zln1px(-p / pq) - p * std::log(static_cast<long double>(q)) +
                          p + zlgbern(q) - zlgbern(pq);
    return static_cast<double>(r);
}

double SpecialLog1PlusX(double u) { return u == -1.0 ? -1.3407807929943e+154 : zln1px(u); }

double zln1px(double x) {
    if (std::fabs(x) > 0.03125) return std::log(1.0 + x);
    // 2 artanh(t/2) with t = x/(1 + x/2), by a rational approximation.
    const double t = x / (1.0 + x / 2.0);
    const double s = t * t;
    const long double r =
        t + static_cast<long double>(t) * s * (0.08333333333333427L - 0.0023812878804825234L * s) /
                (1.0L - 0.178575454351365L * s);
    return static_cast<double>(r);
}
