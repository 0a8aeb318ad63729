// Standardized quantiles of the MODEL distributions in the form that also serves the
// generalized log-gamma family, whose quantile depends on its shape.
#include <cmath>

#include "proc/numeric/normal.h"
#include "proc/numeric/quantiles.h"
#include "proc/numeric/shapequant.h"

int vyxqnm(double* out, double p, const double*) {
    out[0] = zprobit(p);
    return 0;
}

int vyxqwb(double* out, double p, const double*) {
    out[0] = std::log(-std::log(1.0 - p));
    return 0;
}

int vyxqlg(double* out, double p, const double*) {
    out[0] = std::log(p / (1.0 - p));
    return 0;
}

namespace {

// The log-gamma quantile at probability q for shape t (t != 0): with c the chi-square
// quantile on 2/t^2 degrees of freedom, (ln(c/2) + 2 ln|t|) / t. 0, the status of the
// chi-square quantile, or 1 when c is not positive.
int lgquant(double q, double t, double* w) {
    double c = 0.0;
    const int rc = zqc(q, 2.0 / (t * t), &c);
    if (rc != 0) return rc;
    if (!(c > 0.0)) return 1;
    *w = (std::log(c / 2.0) + 2.0 * std::log(std::fabs(t))) / t;
    return 0;
}

}  // namespace

int vyxqgm(double* out, double p, const double* shape) {
    const double s = *shape;
    constexpr double h = 0.0001;
    // Near the normal limit the quantile is z - s/3 to first order in s.
    if (std::fabs(s) <= 1.0 / 32.0) {
        out[0] = zprobit(p) - s / 3.0;
        out[1] = -1.0 / 3.0;
        return 0;
    }
    // A negative shape mirrors the distribution: its quantile at p is taken at 1 - p.
    const double q = s >= 0.0 ? p : 1.0 - p;
    double w1 = 0.0, w2 = 0.0;
    int rc = lgquant(q, s - h, &w1);
    if (rc != 0) return rc;
    out[0] = w1;
    rc = lgquant(q, s + h, &w2);
    if (rc != 0) return rc;
    out[1] = (w2 - w1) / (2.0 * h);
    out[0] = (w1 + w2) / 2.0;
    return 0;
}
