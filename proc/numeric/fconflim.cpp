// One-sided limit searches on the central F distribution function: the degrees of
// freedom (as a continuous quantity) at which it takes a given value. They serve the
// binomial and Poisson limits.
//
// Algorithm: the project's own (bracketing, then secant steps on the log odds).
#include <cmath>
#include "proc/numeric/fdist.h"
#include "proc/numeric/normal.h"

namespace {
constexpr double PROB_FLOOR = 1.053671212772351e-08;
constexpr double PROB_CEIL = 1.0 - 1e-12;
constexpr int MAX_SECANT = 30;
// Halvings or doublings allowed while bracketing: 2^200 either way covers every
// argument the refusals let through; a search that needs more has no root.
constexpr int MAX_BRACKET = 200;

// The larger and smaller of two doubles; the second when they compare equal or unordered.
double pickmax(double a, double b) { return a > b ? a : b; }
double pickmin(double a, double b) { return a < b ? a : b; }
double clampprob(double g) { return pickmin(pickmax(g, PROB_FLOOR), PROB_CEIL); }

bool refused(double p, double n, double r) {
    // A negative or NaN p has no root; refused with the rest rather than searched for.
    return !(n >= 1.0) || !(r > 1e-5) || !(r < 1e5) || !(p > 0.0) || !(p <= 1.0 - 1e-7);
}

// G(x) = Pr(F <= r x) with n and 2x degrees of freedom.
bool gval(double x, double n, double r, double* g) {
    return zplbfnc(r * x, n, 2.0 * x, 0.0, g) == 0 && !std::isnan(*g);
}

// H(x) = Pr(F <= r/(1 + x)) with 2x + 2 and n degrees of freedom.
bool hval(double x, double n, double r, double* g) {
    return zplbfnc(r / (1.0 + x), 2.0 * x + 2.0, n, 0.0, g) == 0 && !std::isnan(*g);
}
}  // namespace

int zconf1h(double p, double n, double* x, double r) {
    if (refused(p, n, r)) return 1;
    double xc = pickmax(0.5, (zprobit(p) * 1.4142135623730951 / std::sqrt(n) + 1.0) / r);
    double g;
    if (!gval(xc, n, r, &g)) return 1;
    // Bracket the root: G grows with x.
    double xp = 0.0, gp = 0.0;
    const bool down = p < g;
    for (int step = 0;; ++step) {
        if (down ? !(p < g) : p < g) break;
        if (step == MAX_BRACKET) return 1;
        xp = xc;
        gp = g;
        xc = down ? xc / 2.0 : xc * 2.0;
        if (!gval(xc, n, r, &g)) return 1;
    }
    g = clampprob(g);
    gp = clampprob(gp);
    const double tol = 1e-7 * p;
    for (int pass = 0; pass < MAX_SECANT; ++pass) {
        if (gp == g || g == 0.0) return 1;
        // Secant step in log x against the log-odds log((1 - G)/G).
        const double e = std::log((1.0 / g - 1.0) / (1.0 / p - 1.0)) / std::log((1.0 / g - 1.0) / (1.0 / gp - 1.0));
        const double xn = xc * std::exp(e * std::log(xp / xc));
        xp = xc;
        gp = g;
        xc = xn;
        if (!gval(xc, n, r, &g)) return 1;
        g = clampprob(g);
        if (std::fabs(g - p) < tol || std::fabs(xc - xp) < 1e-7) {
            *x = xc;
            return 0;
        }
    }
    return 1;
}

int zconf1l(double p, double* x, double n, double r) {
    if (refused(p, n, r)) return 1;
    *x = 0.0;
    double h0;
    if (!hval(0.0, n, r, &h0)) return 1;
    if (p > h0) return 2;
    if (p == h0) return 0;
    const double z = zprobit(p);
    const double u = 2.0 * r / (z + std::sqrt(z * z + 4.0 * r));
    double xc = pickmax(u * u - 1.0, 1.0);
    double hc;
    if (!hval(xc, n, r, &hc)) return 1;
    // Bracket the root: H falls as x grows.
    double xp = 0.0, hp = h0;
    const bool up = p < hc;
    for (int step = 0;; ++step) {
        if (up ? !(p < hc) : p < hc) break;
        if (step == MAX_BRACKET) return 1;
        xp = xc;
        hp = hc;
        xc = up ? xc * 2.0 : xc / 2.0;
        if (!hval(xc, n, r, &hc)) return 1;
    }
    hc = clampprob(hc);
    hp = clampprob(hp);
    const double tol = 1e-7 * p;
    for (int pass = 0; pass < MAX_SECANT; ++pass) {
        if (hc == hp || hp == 0.0) return 1;
        // Secant step in x against the log-odds log((1 - H)/H). Against log(1 - H) alone
        // the steps crawl when p is small (H is then nearly flat at both points) and 30
        // passes do not reach the 2.5 % lower limits.
        const double lp = std::log(1.0 / p - 1.0), lh = std::log(1.0 / hc - 1.0), lhp = std::log(1.0 / hp - 1.0);
        const double xn = xp + (xc - xp) * (lp - lhp) / (lh - lhp);
        xp = xc;
        hp = hc;
        xc = xn;
        if (!hval(xc, n, r, &hc)) return 1;
        hc = clampprob(hc);
        if (std::fabs(hc - p) < tol || std::fabs(xc - xp) < 1e-7) {
            *x = xc;
            return 0;
        }
    }
    return 1;
}
