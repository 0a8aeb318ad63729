// The F distribution function, central (incomplete beta) or noncentral (Poisson
// mixture of incomplete beta ratios, summed outward from its largest terms).
#include <cmath>
#include "proc/numeric/fdist.h"
#include "proc/numeric/incbeta.h"
#include "proc/numeric/lgamma.h"

namespace {
constexpr double EPS53 = 1.110223024625157e-16;
constexpr double EXP_UNDER = -708.3964185;
constexpr double EXP_OVER = 709.782712893384;
constexpr int MAX_TERMS = 1000;
}  // namespace

int zplbfnc(double x, double df1, double df2, double nc, double* P) {
    *P = 0.0;
    if (df1 <= 0.0 || df2 <= 0.0 || nc < 0.0 || x < 0.0) return 1;
    if (x == 0.0) return 0;
    // w = df1 x / (df1 x + df2) and v = 1 - w, each without cancellation.
    double w, v;
    if (df2 <= df1) {
        const double c = df2 / df1;
        v = c / (c + x);
        w = x / (c + x);
    } else {
        const double c = df1 / df2;
        const double t = c * x;
        v = 1.0 / (t + 1.0);
        w = t * v;
    }
    const double a = df1 / 2.0, b = df2 / 2.0;
    double dens;
    if (nc == 0.0) {
        double I;
        if (zibeta(w, a, b, &I, &dens) != 0) return 1;
        *P = I;
        return 0;
    }

    const double h = nc / 2.0;
    const double m = 1.16 * h;
    if (!(m < 2147483647.0)) return 1;
    const double k0 = m < 1.0 ? 0.0 : std::trunc(m);
    double lw, lv;
    if (w <= v) {
        lw = std::log(w);
        lv = zln1px(-w);
    } else {
        lv = std::log(v);
        lw = zln1px(-v);
    }
    const double L = (a + k0) * lw + b * lv - std::log(a + k0) - zlbeta(a + k0, b);
    if (L < EXP_UNDER || !(L < EXP_OVER)) return 1;
    double I0;
    if (zibeta(w, a + k0, b, &I0, &dens) != 0) return 1;
    const double lq = k0 * std::log(h) - h - zlgamma(k0 + 1.0);
    if (!(lq >= EXP_UNDER)) return 1;
    const double q0 = std::exp(lq), T0 = std::exp(L);

    // S is the sum of q_k (I_k - I0) over the terms taken; the weights sum to one, so
    // the probability is I0 + S.
    double S = 0.0;
    double kb = k0, Tb = T0, Db = 0.0, qb = q0, lastb = 0.0;
    double kf = k0, Tf = T0, Df = 0.0, qf = q0, lastf = 0.0;
    bool firstb = true, firstf = true;
    int terms = 0;
    while (terms < MAX_TERMS) {
        bool stepped = false;
        if (kb > 0.0 && (firstb || std::fabs(lastb) > EPS53 * std::fabs(S))) {
            Tb = Tb * (a + kb) / ((a + b + kb - 1.0) * w);
            Db += Tb;
            qb = qb * kb / h;
            lastb = qb * Db;
            S += lastb;
            kb -= 1.0;
            firstb = false;
            ++terms;
            stepped = true;
            // Once the series reaches its first term nothing is left behind it.
            if (kb <= 0.0) lastb = 0.0;
        }
        if (terms < MAX_TERMS && (firstf || std::fabs(lastf) > EPS53 * std::fabs(S))) {
            Df -= Tf;
            qf = qf * h / (kf + 1.0);
            lastf = qf * Df;
            S += lastf;
            Tf = Tf * w * (a + b + kf) / (a + kf + 1.0);
            kf += 1.0;
            firstf = false;
            ++terms;
            stepped = true;
        }
        const double rest = std::fabs(lastf) + std::fabs(lastb);
        // A round in which neither direction had anything left to add has converged,
        // whatever the sum of the two last contributions.
        if (!stepped || !(EPS53 * std::fabs(S) < rest)) {
            if (terms >= MAX_TERMS || std::isnan(S)) return 1;
            *P = S + I0;
            return 0;
        }
    }
    return 1;
}
