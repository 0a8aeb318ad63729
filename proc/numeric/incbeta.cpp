// The regularized incomplete beta function by a continued fraction in raw three-term form.
#include "proc/numeric/incbeta.h"

#include <cfloat>
#include <cmath>

#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kExpUnderflow = -708.3964185;
constexpr double kTol = 8.881784197001256e-16;  // 8 * 2^-53
constexpr int kMaxK = 400;

int fail(double* prob, double* dens) {
    *prob = -1.0;
    *dens = 0.0;
    return -1;
}

// Paulson's normal approximation to the F distribution with 2a and 2b degrees of freedom.
double paulson(double x, double a, double b) {
    const double w = std::pow(b * x / ((1.0 - x) * a), 0.3333333333333333);
    const double cb = 0.1111111111111111 / b;
    const double ca = 0.1111111111111111 / a;
    const double z = ((1.0 - cb) * w - (1.0 - ca)) / std::sqrt(cb * w * w + ca);
    return zprbnrm(z);
}

}  // namespace

int zibeta(double x, double a, double b, double* prob, double* dens) {
    if (a > 2147483647.0 || b > 2147483647.0) return 1;
    // Written so that a NaN argument fails too.
    if (!(x >= 0.0 && x <= 1.0 && a > 0.0 && b > 0.0)) return fail(prob, dens);

    double v;
    if (x == 0.0 || x == 1.0) {
        *dens = 0.0;
        v = x;
    } else {
        const double l = (a - 1.0) * std::log(x) + (b - 1.0) * zln1px(-x) - zlbeta(a, b);
        if (l < kExpUnderflow) {
            *dens = 0.0;
            v = x <= a / (a + b) ? 0.0 : 1.0;
        } else {
            *dens = std::exp(l);
            const double m = a + b;
            const bool swap = a + 2.0 * std::sqrt(a * b / (m + 1.0)) < m * x || a + 3.0 < m * x + 6.0 * x;
            const double y = swap ? 1.0 - x : x;
            double p = swap ? b : a;
            const double q = swap ? a : b;
            const bool raised = p < 1.0;
            if (raised) p += 1.0;

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
            bool converged = false;
            int k = 1;
            do {
                ++k;
                if (std::fabs(f - fprev) < kTol * f) {
                    converged = true;
                    break;
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
            } while (k < kMaxK);

            if (converged) {
                const double t = raised ? ((p + q - 1.0) * f * y / p + (1.0 - y)) / (p - 1.0) : f / p;
                v = y * *dens * t;
                if (swap) v = 1.0 - v;
            } else if ((a > 5000.0 && b > 100.0) || (b > 5000.0 && a > 100.0)) {
                v = paulson(x, a, b);
            } else {
                return fail(prob, dens);
            }
        }
    }
    *prob = std::fmin(1.0, std::fmax(v, 0.0));
    return 0;
}
