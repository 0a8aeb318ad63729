// The log density of the (noncentral) F distribution.
//
// Algorithm: the project's own.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/logfdist.h"

int zldnfnc(double x, double df1, double df2, double nc, double* logdens) {
    if (!(x >= 0.0 && df1 > 0.0 && df2 > 0.0 && nc >= 0.0)) return 1;
    const double c = df2 / df1;
    double w, v, jac;  // v = 1 - w, formed without cancellation
    if (df2 <= df1) {
        w = x / (c + x);
        v = c / (c + x);
        jac = -zln1px(df1 * x / df2) - std::log(c + x);
    } else {
        const double t = df1 * x / df2;
        w = t / (t + 1.0);
        v = 1.0 / (t + 1.0);
        jac = std::log(df1 / df2) - 2.0 * zln1px(t);
    }
    // The beta(p, q) density at w is the beta(q, p) density at v: taken at the smaller of
    // the two, which keeps its digits (far in the upper tail w rounds to 1, where the
    // density would come out missing).
    const auto betadens = [w, v](double p, double q, double* out) {
        return w <= v ? zldnbet(w, p, q, out) : zldnbet(v, q, p, out);
    };
    const double a = df1 / 2.0, b = df2 / 2.0;
    if (nc == 0.0) {
        double ld;
        if (betadens(a, b, &ld) != 0) return 1;
        *logdens = std::isfinite(ld) ? jac + ld : hostmissing();
        return 0;
    }
    // Poisson-weighted beta densities, summed relative to the term at the start index.
    const double h = nc / 2.0, hw = h * w;
    const double m = (hw + a - 1.0) / 2.0;
    const double disc = m * m + (a + b) * hw - a;
    double k0 = disc > 0.0 ? std::nearbyint(-m + std::sqrt(disc)) : 0.0;
    if (k0 < 0.0) k0 = 0.0;
    double lpois, lbeta;
    if (zldngam(h, k0 + 1.0, &lpois) != 0 || betadens(k0 + a, b, &lbeta) != 0) return 1;
    if (!std::isfinite(lbeta) || !std::isfinite(lpois)) {
        *logdens = hostmissing();
        return 0;
    }
    const double base = jac + lpois + lbeta;
    constexpr double eps = 1.110223024625157e-16;
    double s = 0.0, t = 1.0;
    int terms = 0;
    for (double k = k0; k >= 1.0; k -= 1.0) {
        t = t * (k + a - 1.0) * k / ((k + a + b - 1.0) * hw);
        if (t < eps * s) break;
        s += t;
        if (++terms > 1000) return 1;
    }
    t = 1.0;
    for (double k = k0; eps * s < t;) {
        k += 1.0;
        t = t * (k + a + b - 1.0) * (hw / k) / (k + a - 1.0);
        s += t;
        if (++terms > 1000) return 1;
    }
    *logdens = base + zln1px(s);
    return 0;
}
