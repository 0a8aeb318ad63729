// The quantile of a normal mixture: Newton steps on the log distribution function (lower
// tail) or the log survival function (upper tail), and in the interior between two
// adjacent component means a cubic model of the log distribution function.
//
// Algorithm: the project's own.
#include <cmath>

#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/normmix.h"
#include "proc/numeric/normmix_impl.h"

namespace {

struct Point {
    double x = NAN;
    double lv = NAN;     // log cdf (modes 1, 2) or log survival (mode 3)
    double ld = NAN;     // log density
    double slope = NAN;  // d lv/dx in magnitude: density over the probability
};

bool evaluate(mxnreq* r, double x, Point* pt) {
    r->x = x;
    if (mixtureProbOrDens(r) != 0) return false;
    pt->x = x;
    pt->lv = r->mode == 3 ? r->logsurv : r->logcdf;
    pt->ld = r->logdens;
    pt->slope = std::exp(pt->ld - pt->lv);
    return true;
}

// The cubic (Hermite) model of log F on the bracket [lo, hi] from both values and slopes,
// in s = (x - lo)/(hi - lo), solved for the target by Newton steps. They start from the
// end whose value is nearer the target (there the model has the true slope, and a model
// that overshoots between the ends cannot pull the first step away); a step that leaves
// the bracket restarts once from the other end. Returns 0 with *x set, 1 on a second exit.
int cubicRoot(const Point& lo, const Point& hi, double target, double* x) {
    const double dx = hi.x - lo.x;
    const double y0 = lo.lv, y1 = hi.lv;
    const double m0 = lo.slope * dx, m1 = hi.slope * dx;
    auto h = [&](double s) {
        const double s2 = s * s, s3 = s2 * s;
        return (2 * s3 - 3 * s2 + 1) * y0 + (s3 - 2 * s2 + s) * m0 + (-2 * s3 + 3 * s2) * y1 + (s3 - s2) * m1;
    };
    auto dh = [&](double s) {
        const double s2 = s * s;
        return (6 * s2 - 6 * s) * y0 + (3 * s2 - 4 * s + 1) * m0 + (-6 * s2 + 6 * s) * y1 + (3 * s2 - 2 * s) * m1;
    };
    double s = std::fabs(target - y0) <= std::fabs(target - y1) ? 0.0 : 1.0;
    const double other = 1.0 - s;
    bool restarted = false;
    for (int n = 0; n < 30; ++n) {
        const double d = dh(s);
        if (!(d != 0.0) || !std::isfinite(d)) break;
        const double step = (h(s) - target) / d;
        const double sn = s - step;
        if (sn < 0.0 || sn > 1.0) {
            if (restarted) return 1;
            restarted = true;
            s = other;
            continue;
        }
        s = sn;
        const double xn = lo.x + s * dx;
        if (std::fabs(step * dx) < 1e-7 * std::fmax(std::fabs(xn), 0.001)) break;
    }
    *x = std::fmin(hi.x, std::fmax(lo.x, lo.x + s * dx));
    return 0;
}

// Proposes the next point from the working pair (modes 1 and 3) or the bracket (mode 2).
int solveApproxF(const mxnreq* r, const Point& p0, const Point& p1, double* x) {
    switch (r->mode) {
        case 1:
            *x = p0.x + std::exp(p0.lv - p0.ld) * (r->target - p0.lv);
            if (*x > p1.x) *x = p1.x;
            return 0;
        case 3:
            *x = p1.x - std::exp(p1.lv - p1.ld) * (r->target - p1.lv);
            if (*x < p0.x) *x = p0.x;
            return 0;
        case 2:
            return cubicRoot(p0, p1, r->target, x);
        default:
            return 1000;
    }
}

// Which side of the target a value lies on; a NaN counts as negative.
inline bool below(double target, double v) { return target - v > 0.0; }

}  // namespace

int mixtureQuantile(mxnreq* r) {
    const int k = r->k;
    const double p = r->p;
    const double lp = std::log(p);
    const double lq = zln1px(-p);
    // The first mean at which the distribution function exceeds p.
    r->mode = 2;
    int idx = k;
    Point at;
    for (int i = 0; i < k; ++i) {
        r->mode = 1;
        if (!evaluate(r, r->means[i], &at)) return 1;
        if (r->logcdf > lp) {
            idx = i;
            break;
        }
    }
    Point p0, p1;
    double prev;
    if (idx == 0) {
        r->mode = 1;
        r->target = lp;
        p1 = at;
        if (!evaluate(r, zprobit(p) * r->sds[0] + r->means[0], &p0)) return 1;
        prev = p0.x;
    } else if (idx == k) {
        r->mode = 3;
        r->target = lq;
        if (!evaluate(r, r->means[k - 1], &p0)) return 1;
        if (!evaluate(r, zprobit(p) * r->sds[k - 1] + r->means[k - 1], &p1)) return 1;
        prev = p1.x;
    } else {
        r->mode = 2;
        r->target = lp;
        if (!evaluate(r, r->means[idx - 1], &p0)) return 1;
        p1 = at;
        p1.slope = std::exp(p1.ld - p1.lv);
        // Five standard deviations above the lower mean the lower component has nearly
        // all its mass: when that point lies inside, it tightens the bracket first.
        const double x5 = r->means[idx - 1] + 5.0 * r->sds[idx - 1];
        if (x5 > p0.x && x5 < p1.x) {
            Point q;
            if (!evaluate(r, x5, &q)) return 1;
            (below(r->target, q.lv) ? p0 : p1) = q;
        }
        prev = NAN;
    }
    double x = prev;
    for (int step = 0; step < 40; ++step) {
        const int rc = solveApproxF(r, p0, p1, &x);
        if (rc != 0) return rc;
        Point q;
        if (!evaluate(r, x, &q)) return 1;
        if (std::fabs(q.lv - r->target) < 1e-5 && std::fabs(x - prev) < 1e-5) {
            r->x = x;
            return 0;
        }
        if (r->mode == 2)
            (below(r->target, q.lv) == below(r->target, p0.lv) ? p0 : p1) = q;
        else if (r->mode == 1)
            p0 = q;
        else
            p1 = q;
        prev = x;
    }
    r->x = x;
    return 1;
}
