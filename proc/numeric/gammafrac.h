// The series and the two continued fractions of the incomplete gamma function, shared by
// the plain routine (incgamma.cpp) and the log-scale one (loggamma.cpp). Each caller keeps
// its own pass limits and its own reading of a result that settles on the last pass.
//
// Algorithm: the series and the continued fractions of the incomplete gamma function (DLMF
// sections 8.7 and 8.9), evaluated by the forward recurrences of the convergents.
#pragma once

#include <cmath>

namespace gammafrac {

// The convergents A/B of a fraction in three-term form, advanced one partial numerator
// at a time: A_n = d A_(n-2) + A_(n-1), and the same for B.
struct Convergents {
    double a2, a1, b2, b1;

    // One pass with partial numerator d; returns the new convergent. The older numerator
    // is then kept in range by scaling it and the newer terms by a power of two.
    double advance(double d) {
        double an = a2 * d + a1;
        double bn = b2 * d + b1;
        const double f = an / bn;
        a2 = a1;
        b2 = b1;
        if (a2 > 1.3407807929943e+154 || a2 < 1.491668147e-154) {
            int e;
            a2 = std::frexp(a2, &e);
            b2 = std::ldexp(b2, -e);
            an = std::ldexp(an, -e);
            bn = std::ldexp(bn, -e);
        }
        a1 = an;
        b1 = bn;
        return f;
    }
};

// S = sum_{n>=0} x^n / ((a+1)...(a+n)) / a, so that P(a, x) = density * x S. At most
// maxTerms terms after the first; false when they do not settle to tol.
inline bool lowerSeries(double x, double a, double tol, int maxTerms, double* s) {
    double t = 1.0 / a;
    double sum = t;
    for (int n = 1; t / sum > tol; ++n) {
        if (n > maxTerms) return false;
        t *= x / (a + n);
        sum += t;
    }
    *s = sum;
    return true;
}

// The lower fraction V / start with P(a, x) = density * V, where
// V = (x/a) / (1 - x/(a+1) / (1 + 1x/((a+1)(a+2)) / (1 - (a+1)x/((a+2)(a+3)) / ...))).
// The numerators start at `start` (x/a, or 1 with that factor taken out: the recurrence is
// linear in them). Runs passes 2 to lastPass; returns the pass at which the value settled
// to tol (its value in *f), 0 when none did.
inline int lowerFraction(double x, double a, double start, double tol, int lastPass, double* f) {
    Convergents c{start, start, 1.0, 1.0 - x / (1.0 + a)};
    double fprev = c.a1 / c.b1;
    double m = a + 1.0;
    double k = 0.0;
    for (int n = 2; n <= lastPass; ++n) {
        m += 1.0;
        double d;
        if (n % 2 == 0) {
            k += 1.0;
            d = (k / m) * (x / (m - 1.0));
        } else {
            d = -((k + a) / m) * (x / (m - 1.0));
        }
        const double fn = c.advance(d);
        if (std::fabs(fn - fprev) < tol * fn) {
            *f = fn;
            return n;
        }
        fprev = fn;
    }
    return 0;
}

// Legendre's fraction: x^(1-a) e^x Gamma(a, x) = 1/(1 + d0/(1 + d1/(1 + ...))), so that
// Q(a, x) = density * V. Runs at most `passes` passes; returns the number run when the
// value settled to tol (its value in *f), 0 when it did not.
inline int upperFraction(double x, double a, double tol, int passes, double* f) {
    const double rx = 1.0 / x;
    Convergents c{0.0, 1.0, 1.0, 1.0};
    double fprev = 1.0;
    double sum = 0.0;  // (j + 1)/x as a running sum of 1/x
    for (int n = 0; n < passes; ++n) {
        double d;
        if (n % 2 == 0) {
            sum += rx;
            d = sum - a * rx;
        } else {
            d = sum;
        }
        const double fn = c.advance(d);
        if (std::fabs(fn - fprev) < tol * fn) {
            *f = fn;
            return n + 1;
        }
        fprev = fn;
    }
    return 0;
}

}  // namespace gammafrac
