// Trapezoidal rule in a transformed variable: after t = e^u (half-line, interval) the
// abscissae move geometrically away from the start point; each level halves the step in
// u and adds only the new midpoints. For integrands analytic in a strip the error of a
// level is about the square of the previous one, which is why a change of sqrt(tol)
// between two levels already means an error of about tol.
//
// Algorithm: the project's own (the trapezoidal rule after an exponential change of
// variable).
#include "proc/numeric/quadrature.h"

#include <cfloat>
#include <cmath>

namespace {

constexpr double kBig = 1.3407807929943e154;  // 2^512
constexpr double kExpOverflow = 709.782712893384;
constexpr double kExpUnderflow = -708.3964185;
constexpr double kNearEnd = 1.053671212772351e-08;
constexpr int kStatusFail = 1;

// Values of the current level that a change of the running exponent must rescale along
// with the block's own sums.
struct Carry {
    double* v[3] = {nullptr, nullptr, nullptr};
};

// Brings every running value into the units of the integrand's current exponent.
int rescale(quadblk* q, const Carry& c) {
    if (!q->scaledmode || q->expo == q->expused) return 0;
    const double arg = (static_cast<double>(q->expo) - q->expused) * -q->lnbase;
    if (arg > kExpOverflow) return kStatusFail;
    const double f = arg < kExpUnderflow ? 0.0 : std::exp(arg);
    q->sum *= f;
    q->estimate *= f;
    q->refsum *= f;
    q->last *= f;
    for (double* p : c.v)
        if (p) *p *= f;
    q->expused = q->expo;
    return 0;
}

// One point: the weighted integrand value at the transformed abscissa t. Returns 0, 1 on
// failure, or the degenerate-point code.
int map(quadblk* q, double t, double* v, const Carry& c) {
    double x;
    double w = 1.0;
    switch (q->kind) {
        case QUAD_HALFLINE:
            x = q->a + t;
            w = t;
            break;
        case QUAD_INTERVAL:
            x = (q->b * t + q->a) / (t + 1.0);
            w = t / ((t + 1.0) * (t + 1.0));
            break;
        default:
            x = t;
            break;
    }
    if (q->kind != QUAD_LINE && (x == q->a || (q->kind == QUAD_INTERVAL && x == q->b))) {
        // The transformed point has collapsed onto an end: it adds nothing, which is
        // right only when the values next to it are already negligible.
        q->degenerate = 1;
        q->degx = x;
        q->deglast = q->last;
        *v = 0.0;
        if (std::fabs(q->refsum) * q->tol < std::fabs(q->last)) return q->degcode;
        return 0;
    }
    double f;
    if (q->fn(x, q->data, &f) != 0) return kStatusFail;
    if (rescale(q, c) != 0) return kStatusFail;
    *v = f * w;
    q->last = *v;
    return 0;
}

// The abscissa k steps of size h away from t0 (k may be negative).
inline double abscissa(const quadblk* q, double t0, double kh) {
    return q->kind == QUAD_LINE ? t0 + kh : t0 * std::exp(kh);
}

// One side of the first level: adds points until two neighbours are negligible against
// the sum or the side's count is reached; *count receives the number used.
int add(quadblk* q, double t0, double v0, int dir, int32_t* count, double* v0ref) {
    double prev = v0;
    Carry c;
    c.v[0] = &prev;
    c.v[1] = v0ref;
    const int n = *count;
    int used = n;
    for (int k = 1; k <= n; ++k) {
        const double t = abscissa(q, t0, dir * k * q->h0);
        if (!std::isfinite(t)) {  // past the range of doubles: nothing more to add
            used = k - 1;
            break;
        }
        double v;
        const int rc = map(q, t, &v, c);
        if (rc != 0) return rc;
        q->sum += v;
        q->refsum += v;
        if (!(std::fabs(q->sum) <= kBig)) {
            q->overflow = 1;
            return kStatusFail;
        }
        if (std::fabs(v) + std::fabs(prev) <= std::fabs(q->tol3 * (q->sum + *v0ref))) {
            used = k;
            break;
        }
        prev = v;
    }
    *count = used < 1 ? 1 : used;
    return 0;
}

// The first level: start point, then the upper and the lower side.
int shaccum(quadblk* q) {
    double t0 = q->x0;
    switch (q->kind) {
        case QUAD_HALFLINE:
            t0 = q->x0 - q->a;
            if (!(t0 > 0.0)) t0 = q->h0;
            break;
        case QUAD_INTERVAL:
            // Also at x0 = a, where t0 = 0 would put every point of the level on a.
            t0 = (q->x0 - q->a) / (q->b - q->x0);
            if (!(t0 > 0.0) || std::fabs(q->b - q->x0) <= kNearEnd * std::fabs(q->b)) t0 = 1.0;
            break;
        default:
            if (!(t0 + 1.0 <= kBig)) return kStatusFail;
            break;
    }
    q->x0 = t0;
    q->refsum = 1.0;
    q->last = 0.0;
    double v0;
    Carry none;
    const int rc = map(q, t0, &v0, none);
    if (rc != 0) return rc;
    if (!(std::fabs(v0) >= (1.0 / q->tol) / DBL_MAX) || q->overflow) return kStatusFail;
    q->sum = 0.0;
    q->refsum = v0;
    int r = add(q, t0, v0, +1, &q->nup, &v0);
    if (r != 0) return r;
    r = add(q, t0, v0, -1, &q->nlow, &v0);
    if (r != 0) return r;
    q->estimate = (q->sum + v0) * q->h0 * (q->kind == QUAD_INTERVAL ? q->width : 1.0);
    return 0;
}

// The value that the convergence test compares: the estimate, or in scaled mode its
// log to the base plus the exponent.
inline double compared(const quadblk* q, double e) {
    if (!q->scaledmode) return e;
    return std::log(std::fabs(e)) * q->invlnbase + q->expused;
}

}  // namespace

int zhrdys(quadblk* q, double* result) {
    q->tol3 = q->tol / 3.0;
    q->estimate = 0.0;
    q->sum = 0.0;
    q->overflow = 0;
    q->degenerate = 0;
    q->levels = 0;
    q->relchange = 0.0;
    const double s = q->accuracy == QUAD_STRICT ? std::pow(q->tol, 0.75) : std::sqrt(q->tol);
    const int limit = q->pointlimit > 32767 ? q->pointlimit : 32767;
    q->nup = 10000;
    q->nlow = 10000;
    if (q->kind == QUAD_INTERVAL) q->width = q->b - q->a;
    if (q->scaledmode) {
        q->lnbase = std::log(q->base);
        q->invlnbase = 1.0 / q->lnbase;
        q->expused = q->expo;
    }
    q->h = q->h0;
    int rc = shaccum(q);
    if (rc != 0) return rc;
    const double t0 = q->x0;
    long totup = q->nup;
    long totlow = q->nlow;
    for (;;) {
        if (++q->levels > q->maxlevels) return kStatusFail;
        q->hnext = q->h / 2.0;
        q->sum = 0.0;
        Carry none;
        for (int side = 0; side < 2; ++side) {
            const int dir = side == 0 ? 1 : -1;
            const int n = side == 0 ? q->nup : q->nlow;
            for (int j = 1; j <= n; ++j) {
                const double t = abscissa(q, t0, dir * (2.0 * j - 1.0) * q->hnext);
                if (!std::isfinite(t)) break;
                double v;
                rc = map(q, t, &v, none);
                if (rc != 0) return rc;
                q->sum += v;
                if (!(std::fabs(q->sum) <= kBig)) {
                    q->overflow = 1;
                    return kStatusFail;
                }
            }
        }
        const double old = q->estimate;
        q->estimate = 0.5 * (old + q->h * q->sum * (q->kind == QUAD_INTERVAL ? q->width : 1.0));
        q->h = q->hnext;

        const double co = compared(q, old);
        const double cn = compared(q, q->estimate);
        const double diff = std::fabs(co - cn);
        q->relchange = cn == 0.0 ? 0.0 : diff / std::fabs(cn);
        bool done = false;
        if (q->mode == 0)
            done = diff < std::fmax(std::fabs(cn * s), q->tol);
        else if (q->mode == 1)
            done = diff < std::fabs(cn * s) || (q->smallstop && q->scaledmode && std::fabs(cn) < q->tol);
        if (done) {
            *result = q->estimate;
            return 0;
        }
        // The next level evaluates twice as many points on each side.
        q->nup *= 2;
        q->nlow *= 2;
        if (totup > limit || totlow > limit) return kStatusFail;
        totup += q->nup;
        totlow += q->nlow;
    }
}
