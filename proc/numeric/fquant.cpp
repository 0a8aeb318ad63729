// The F quantile: through the beta quantile in the central case, by secant steps on
// the log-odds of the distribution function against log F otherwise.
//
// Algorithm: the project's own (the beta quantile, or secant steps on the log odds).
#include <cmath>
#include "proc/numeric/fdist.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/quantiles.h"
#include "proc/numeric/quantstart.h"

namespace {
constexpr int MAX_SECANT = 31;

// The F distribution function where it is strictly inside (0, 1).
bool fprob(double f, double df1, double df2, double nc, double* P) {
    if (zplbfnc(f, df1, df2, nc, P) != 0) return false;
    return *P > 0.0 && *P < 1.0;
}

double odds(double P) { return 1.0 / P - 1.0; }
}  // namespace

int zqfnc(double p, double df1, double df2, double nc, double* q) {
    if (p < 0.0 || p >= 1.0 - 1e-6 || df1 <= 0.4 || df2 <= 0.9 || nc < 0.0) return 1;
    if (p == 0.0) {
        *q = 0.0;
        return 0;
    }
    if (std::isnan(p) || std::isnan(df1) || std::isnan(df2) || std::isnan(nc)) return 1;
    if (nc == 0.0) {
        double x;
        if (zprobin(p, df1 / 2.0, df2 / 2.0, &x) != 0) return 1;
        if (x == 1.0) return 1;
        *q = df2 * x / ((1.0 - x) * df1);
        return 0;
    }
    double f0 = fCubeRootStart(p, df1, df2, nc);
    double f1 = 1.01 * f0;
    double p1;
    if (!fprob(f1, df1, df2, nc, &p1)) return 1;
    const double tol = 1e-6 * p;
    for (int pass = 0; pass < MAX_SECANT; ++pass) {
        double p0;
        if (!fprob(f0, df1, df2, nc, &p0)) return 1;
        const double span = std::log(odds(p1) / odds(p0));
        if (span == 0.0) return 1;  // a flat secant has no next point
        const double e = std::log(odds(p) / odds(p0)) / span;
        const double fn = f0 * std::exp(e * std::log(f1 / f0));
        if (std::fabs(p0 - p) <= tol) {
            *q = fn;
            return 0;
        }
        f1 = f0;
        p1 = p0;
        f0 = fn;
    }
    return 1;
}
