// The continued fraction of the incomplete beta function, shared by the plain routine
// (incbeta.cpp) and the log-scale one (logbeta.cpp): the choice of the tail it runs on,
// the fraction itself, and the tail formed from its value.
//
// Algorithm: a continued fraction of the incomplete beta function whose published source is
// not on record; its evaluation by the forward recurrences of the convergents is the
// project's own.
#pragma once

#include <cfloat>
#include <cmath>

namespace betafrac {

// Where the fraction runs for I_x(a, b): on the upper tail (swapped, y = 1 - x) when x is
// well above the mean; the first parameter p raised by one when below 1.
struct Tail {
    double y, p, q;
    double p0;  // the first parameter before it was raised
    bool swapped, raised;
};

inline Tail tailAt(double x, double a, double b) {
    const double m = a + b;
    Tail t;
    t.swapped = a + 2.0 * std::sqrt(a * b / (m + 1.0)) < m * x || a + 3.0 < m * x + 6.0 * x;
    t.y = t.swapped ? 1.0 - x : x;
    t.p = t.swapped ? b : a;
    t.q = t.swapped ? a : b;
    t.p0 = t.p;
    t.raised = t.p < 1.0;
    if (t.raised) t.p += 1.0;
    return t;
}

// The fraction in raw three-term form with p and q at y, run for passes 2 to lastPass;
// returns its last value, and whether it settled to tol, through *settled.
inline double fraction(double y, double p, double q, double tol, int lastPass, bool* settled) {
    const double r = (1.0 - y) / y;
    double dd = p * (p + 1.0) * r;
    double u = p - q;
    double c = -p * (q - 1.0);
    double e = p + q;
    double g = p + q;
    double h = 2.0 * p * r;
    double a1 = 1.0;  // A'
    double a0 = 1.0;  // A
    double b1 = 0.0;  // B'
    double b0 = 1.0;  // B
    double f = 1.0;
    double fprev = 0.0;
    for (int k = 2; k <= lastPass; ++k) {
        if (std::fabs(f - fprev) < tol * f) {
            *settled = true;
            return f;
        }
        const double d1 = c / dd;
        u += 2.0;
        c = u + c;
        dd = dd + h + 2.0 * r;
        a1 = a1 * d1 + a0;
        b1 = b0 + b1 * d1;
        const double d2 = g / dd;
        e += 2.0;
        g = e + g;
        h = h + 4.0 * r;
        dd = dd + h;
        a0 = a1 + a0 * d2;
        b0 = b1 + d2 * b0;
        fprev = f;
        if (a0 == 0.0) {
            f = DBL_MAX;
        } else {
            // frexp's exponent n of A passes +-354 exactly when |A| >= 2^354 or
            // |A| < 2^-355; the comparison spares a library call per pass.
            const double mag = std::fabs(a0);
            if (mag >= 0x1p354 || mag < 0x1p-355) {  // rescale all four terms; the ratio keeps its digits
                int n;
                const double mant = std::frexp(a0, &n);
                b0 = std::ldexp(b0, -n);
                a1 = std::ldexp(a1, -n);
                b1 = std::ldexp(b1, -n);
                a0 = mant;
            }
            f = b0 / a0;
        }
    }
    *settled = false;
    return f;
}

// The working tail over y times the density at the original shapes, from the fraction's
// value f: I_y(p - 1, q) = I_y(p, q) + y^(p-1) (1 - y)^q / ((p - 1) B(p - 1, q)) for a
// raised p. The divisor p - 1 is the first parameter as given: the raised p, rounded,
// keeps only its leading digits (a parameter of 1e-9 loses eight, one below 2^-53 all).
inline double tailFactor(const Tail& t, double f) {
    return t.raised ? ((t.p0 + t.q) * f * t.y / t.p + (1.0 - t.y)) / t.p0 : f / t.p;
}

}  // namespace betafrac
