// Pieces shared by the noncentral chi-square routines.
//
// Algorithm: the project's own arrangement of the standard Poisson mixture.
#pragma once

#include <cmath>

// The starting Poisson index of the mixture sums for h = x/2, k = df/2, l = ncp/2.
double ncStartIndex(double h, double k, double l);

struct cncreq;
// The probability request of zlogcnc (also used by its quantile).
int cncProbability(cncreq* r);
// The quantile request of zlogcnc.
int cncQuantile(cncreq* r);

// The mixture sum S of both tail routines for h = x/2, k = df/2, l = ncp/2, run in both
// directions from the start index j, where the Poisson weight is w0 and the gamma term
// h^(k+j) e^-h / Gamma(k + j + 1) is g0:
// S = sum_(i<j) w_i (g_i + ... + g_(j-1)) - sum_(u>j) w_u (g_j + ... + g_(u-1)),
// so that P = P(k + j) + S. It stops when the latest terms fall below tol |S|; false when
// they have not after 1000 terms. With Rescale, every running value is divided by the
// larger gamma sum whenever a gamma term passes 2^512, and the log of the divisor is added
// to *offset (S is then relative to e^offset).
template <bool Rescale>
inline bool ncMixtureSum(double h, double k, double l, int j, double w0, double g0, double tol, double* sum,
                         double* offset) {
    double s = 0.0;
    double wd = w0, gd = g0, sumd = 0.0;  // downward: weight, gamma term, gamma sum
    double wu = w0, gu = g0, sumu = 0.0;  // upward
    int i = j, u = j, terms = 0;
    for (;;) {
        double down = 0.0;
        if (i > 0) {
            wd *= i / l;
            gd *= (k + i) / h;
            sumd += gd;
            down = wd * sumd;
            s += down;
            --i;
            ++terms;
        }
        ++u;
        wu *= l / u;
        sumu += gu;
        gu *= h / (k + u);
        const double up = wu * sumu;
        s -= up;
        ++terms;
        if constexpr (Rescale) {
            if (gd > 1.3407807929943e154 || gu > 1.3407807929943e154) {
                const double dv = std::fmax(sumd, sumu);
                gd /= dv;
                gu /= dv;
                sumd /= dv;
                sumu /= dv;
                s /= dv;
                *offset += std::log(dv);
            }
        }
        if (down + up < std::fabs(s) * tol) break;
        if (terms > 999) return false;
    }
    *sum = s;
    return true;
}
