// The regularized incomplete gamma functions by series and continued fractions, with a
// Wilson-Hilferty approximation for very large shapes near the mean.
//
// Algorithm: the series and the continued fractions of the incomplete gamma function (DLMF
// sections 8.7 and 8.9); for very large shapes near the mean, Wilson and Hilferty's (1931)
// approximation with a second-order correction term whose published source is not on record.
#include "proc/numeric/incgamma.h"

#include <cfloat>
#include <cmath>
#include <utility>

#include "proc/numeric/gammafrac.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kTol = 5.0 * 1.110223024625157e-16;
constexpr double kExpOverflow = 709.782712893384;
constexpr double kLogSqrt2Pi = 0.9189385332046728;
constexpr double kHugeShape = 1000000000.0;
constexpr int kLastLowerPass = 1000;  // the lower fraction runs passes 2 to 1000
constexpr int kUpperPasses = 1001;
constexpr int kMaxSeriesTerms = 2000;

// The density from its log l: DBL_MAX when e^l overflows, 0 when it underflows.
double densityOf(double l) {
    if (l > kExpOverflow) return DBL_MAX;
    if (l < -kExpOverflow) return 0.0;
    return std::exp(l);
}

int fail(double* p, double* q, double* dens) {
    *p = -2.0;
    *q = -2.0;
    *dens = 0.0;
    return 1;
}

}  // namespace

double wilhil(double a, double x, double* q) {
    const double r = x / a;
    if (r > 1000.0) {
        *q = 0.0;
        return 1.0;
    }
    if (r < 0.001) {
        *q = 1.0;
        return 0.0;
    }
    const double c = std::pow(r, 0.3333333333333333);
    const double nine_a = 9.0 * a;
    const double sq = std::sqrt(nine_a);
    const double z = (c - (1.0 - 1.0 / nine_a)) * sq;
    const double z2 = z * z;
    const double phi = 0.3989422804014327 * std::exp(-z2 / 2.0);
    const double t1 = 0.25 * z * (z2 / 3.0 - 1.0);
    const double t2 = (7.0 - z2 * (z2 + 4.0)) / (15.0 * sq);
    const double k = phi * (t1 - t2) / nine_a;
    const double n = zprbnrm(-std::fabs(z));
    if (z > 0.0) {
        *q = n - k;
        return 1.0 - *q;
    }
    const double p = n + k;
    *q = 1.0 - p;
    return p;
}

int zigamma(double x, double a, double* p, double* q, double* dens) {
    if (!(a >= 0.0 && x >= 0.0)) return fail(p, q, dens);  // negative or NaN
    // An infinite argument leaves the log density without a value (inf - inf).
    if (std::isinf(a) || std::isinf(x)) return fail(p, q, dens);

    double t;             // the tail value: P when lower, Q otherwise
    double density;
    bool lower = true;
    if (a == 0.0) {
        t = 1.0;
        density = 0.0;
    } else if (x == 0.0) {
        t = 0.0;
        density = a == 1.0 ? 1.0 : 0.0;
    } else {
        const double given = a;  // the shape as given
        const bool raised = a < 1.0;
        if (raised) a += 1.0;
        double l;  // log density at the (raised) shape
        if (a < 10.0 || std::fabs(x / a - 1.0) > 0.3)
            l = (a - 1.0) * std::log(x) - x - zlgamma(a);
        else
            l = (a - 1.0) * std::log(x / a) - 0.5 * std::log(a) + (a - x) - zlgbern(a) - kLogSqrt2Pi;
        if (std::isnan(l)) return fail(p, q, dens);  // a shape beyond the doubles' log gamma
        lower = x <= a || x <= 1.0;

        double v = 0.0;
        bool ok;
        if (a >= kHugeShape) {
            const double s = std::sqrt(a);
            if (std::fabs(x - a) <= 0.02 * a + 0.7 * s) {
                double qq;
                const double pp = wilhil(a, x, &qq);
                lower = pp < qq;
                t = lower ? pp : qq;
                *p = std::fmin(1.0, std::fmax(t, 0.0));
                *q = 1.0 - *p;
                if (!lower) std::swap(*p, *q);
                *dens = std::exp(l);
                return 0;
            }
            ok = lower ? gammafrac::lowerFraction(x, a, x / a, kTol, kLastLowerPass, &v) != 0
                       : gammafrac::upperFraction(x, a, kTol, kUpperPasses, &v) != 0;
        } else if (lower) {
            ok = gammafrac::lowerSeries(x, a, kTol, kMaxSeriesTerms, &v);
            v *= x;
        } else {
            ok = gammafrac::upperFraction(x, a, kTol, kUpperPasses, &v) != 0;
        }
        if (!ok) return fail(p, q, dens);

        t = std::exp(l + std::log(v));
        density = densityOf(l);
        if (raised) {
            // P(a - 1, x) = P(a, x) + x^(a-1) e^-x / Gamma(a) at the raised a.
            t = lower ? t + density : t - density;
            // The density of the given shape, ((a - 1)/x) times that of the raised one,
            // formed on the log scale and with the given shape: the product underflows and
            // overflows at a tiny x (0 times infinity), and a - 1 keeps only the leading
            // digits of a tiny shape.
            const double lg = l + std::log(given) - std::log(x);
            density = densityOf(lg);
        }
    }
    *p = std::fmin(1.0, std::fmax(t, 0.0));
    *q = 1.0 - *p;
    if (!lower) std::swap(*p, *q);
    *dens = density;
    return 0;
}
