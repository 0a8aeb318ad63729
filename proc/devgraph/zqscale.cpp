// Nice axis scaling: the search for the nice increment and the snapping of the ends.
#include "proc/devgraph/devgraph_internal.h"

#include <climits>
#include <cmath>
#include "proc/framework/memnum.h"

namespace {

constexpr double ZQ_EPS = 1.053671212772351e-08;   // the relative tolerance of the snapping
constexpr int MAXNICE = 10;
constexpr int MAXSHIFTS = 5;                        // decade shifts of the exact-count search

// A count of intervals from two snapped multiples; a count that is no finite number or does
// not fit an int is reported as negative, so that no caller ever sees a garbage count.
int intervals(double mlo, double mhi) {
    double c = (mhi - mlo) * (1.0 + ZQ_EPS);
    if (!(c > -1.0)) return -1;
    if (c >= static_cast<double>(INT_MAX)) return -1;
    return static_cast<int>(c);
}

}  // namespace

void bubbles(double a[], int k) {
    for (int last = k - 1; last > 0; --last) {
        bool swapped = false;
        for (int i = 0; i < last; ++i)
            if (a[i] > a[i + 1]) {
                double t = a[i];
                a[i] = a[i + 1];
                a[i + 1] = t;
                swapped = true;
            }
        if (!swapped) break;
    }
}

double mypow10(int e) {
    static constexpr double table[9] = {1.0, 0.1, 0.01, 0.001, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
    if (e >= -8 && e <= 0) return table[-e];
    return vx::zpow10(e);
}

// Thresholds between neighbouring nice values, the power of ten of the wanted interval
// width and the first nice value whose threshold the reduced width stays below. Returns 0
// when the width has no power of ten (a range too small or too large for doubles).
double initscale(const double nice[], double thr[], int m, scale* out) {
    for (int i = 0; i < m; ++i) thr[i] = std::sqrt(nice[i] * nice[i + 1]);
    double r = (out->max - out->min) / out->incr;
    if (!std::isfinite(r) || r <= 0.0) return 0.0;
    double e = std::floor(std::log10(r));
    if (e < -400.0 || e > 400.0) return 0.0;
    double p = mypow10(static_cast<int>(e));
    if (!(p > 0.0) || !std::isfinite(p)) return 0.0;
    double rr = r / p;
    int idx = m;
    for (int i = 0; i < m; ++i)
        if (rr < thr[i]) {
            idx = i;
            break;
        }
    out->index = idx;
    return p;
}

int setscale(const double nice[], scale* out, double* mlo, double p, double tol) {
    out->incr = nice[out->index] * p;
    *mlo = std::floor((out->min + tol) / out->incr);
    double mhi = std::ceil((out->max - tol) / out->incr);
    out->min = *mlo * out->incr;
    out->max = mhi * out->incr;
    return intervals(*mlo, mhi);
}

int round1(const double nice[], double thr[], int k, scale* out, char side, double tol) {
    double lo0 = out->min, hi0 = out->max, mlo = 0;
    double p = initscale(nice, thr, k - 1, out);
    if (p == 0.0) return ZQS_NEGATIVE;
    int c = setscale(nice, out, &mlo, p, tol);
    if (c < 0) return ZQS_NEGATIVE;
    switch (side) {
    case 'U':
        out->max = hi0;
        out->min = hi0 - c * out->incr;
        if (out->min > lo0) out->min = lo0;
        break;
    case 'L':
        out->min = lo0;
        out->max = lo0 + c * out->incr;
        break;
    case 'E':
        out->min = (lo0 + hi0) * 0.5 - (c / 2.0) * out->incr;
        if (out->min > lo0) out->min = lo0;
        out->max = out->min + c * out->incr;
        if (out->max < hi0) out->max = hi0;
        break;
    default:
        break;
    }
    return c;
}

int round2(double nice[], double thr[], int k, scale* out, char side, double tol) {
    int want = static_cast<int>(out->incr);
    double lo0 = out->min, hi0 = out->max, mlo = 0;
    double p = initscale(nice, thr, k - 1, out);
    if (p == 0.0) return ZQS_NEGATIVE;
    int c = setscale(nice, out, &mlo, p, tol);
    int shifts = 0;
    while (c > want) {
        if (out->index < k - 1) {
            out->index += 1;
        } else {
            if (shifts == MAXSHIFTS) return ZQS_NOFIT;
            ++shifts;
            for (int i = 0; i < k; ++i) nice[i] *= 10.0;
            for (int i = 0; i < k - 1; ++i) thr[i] *= 10.0;
            out->min = lo0;
            out->max = hi0;
            out->index = 0;
        }
        c = setscale(nice, out, &mlo, p, tol);
    }
    if (c < 0) return ZQS_NEGATIVE;
    switch (side) {
    case 'U':
        out->max = hi0;
        out->min = hi0 - want * out->incr;
        if (out->min > lo0) out->min = lo0;
        break;
    case 'L':
        out->min = lo0;
        out->max = lo0 + want * out->incr;
        break;
    case 'E':
        out->min = out->min - ((want - c) / 2.0) * out->incr;
        if (out->min > lo0) out->min = lo0;
        out->max = out->min + want * out->incr;
        if (out->max < hi0) out->max = hi0;
        break;
    default:
        out->min = mlo * out->incr;
        out->max = (want + mlo) * out->incr;
        break;
    }
    return want;
}

int zqscale(double min, double max, int n, int nnice, const double nice[], scale* out, char order, char side) {
    int k = nnice < MAXNICE ? nnice : MAXNICE;
    out->min = min;
    out->max = max;
    out->incr = (max - min) / 2.0;
    out->index = 2;
    double list[MAXNICE + 1], thr[MAXNICE];
    for (int i = 0; i < k; ++i) list[i] = nice[i];
    if (n == 0) return ZQS_NOCOUNT;
    if (k < 1) return ZQS_BADNICE;
    if (k == 1) {
        list[1] = list[0];
        k = 2;
    }
    // A value that is not a number would make every threshold unordered and the increment
    // no number: it is refused like a value outside [1, 10].
    for (int i = 0; i < k; ++i)
        if (!(list[i] >= 1.0 && list[i] <= 10.0)) return ZQS_BADNICE;
    // Ends that are not finite have no scale.
    if (!std::isfinite(min) || !std::isfinite(max)) return ZQS_NEGATIVE;

    double a = vx::fmin(min, max), b = vx::fmax(min, max);
    double big = vx::fmax(std::fabs(a), std::fabs(b));
    double tol;
    if (big + 0.0001 * (b - a) == big) {
        double w = std::fabs((a + b) * 0.5);
        if (w == 0.0) w = 1.0;
        if (side == 'L') {
            b += 2.0 * w;
        } else if (side == 'U') {
            a -= 2.0 * w;
        } else {
            a -= w;
            b += w;
        }
        tol = ZQ_EPS * w;
    } else {
        tol = ZQ_EPS * (b - a);
    }
    if (order == 'N' && k > 1) bubbles(list, k);
    out->min = a;
    out->max = b;
    out->index = k;
    if (n > 0) {
        out->incr = n;
        return round1(list, thr, k, out, side, tol);
    }
    out->incr = -static_cast<double>(n);
    return round2(list, thr, k, out, side, tol);
}
