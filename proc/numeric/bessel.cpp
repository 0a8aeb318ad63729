// The modified Bessel function of the first kind, computed on the log scale by a power
// series, a downward recurrence from two higher orders, the large-x expansion or the
// uniform (Debye) expansion for large order.
//
// Algorithm: the power series, the recurrence in the order run downward, the expansion for
// large argument and Debye's uniform expansion for large order, as the DLMF gives them
// (sections 10.25, 10.29, 10.40 and 10.41); carrying them on the log scale, and the choice
// between them, are the project's own.
#include "proc/numeric/bessel.h"

#include <cfloat>
#include <cmath>

#include "proc/numeric/lgamma.h"

namespace {

constexpr double kExpOverflow = 709.782712893384;
constexpr double kBig = 1.3407807929943e154;  // 2^512
constexpr double kLogSqrt2Pi = 0.9189385332046728;
constexpr double kLn2 = 0.6931471805599453;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kSeriesEps = 1.110223024625157e-17;  // 0.1 * 2^-53

// log I_a(x) by the power series sum_k ((x/2)^2)^k / (k! Gamma(k + a + 1)) times (x/2)^a.
double series(besblk* b, double a) {
    b->order = a;
    const double xh = b->xhalf;
    double p;  // log((x/2)^a / Gamma(a + 1))
    if (a < 15.0)
        p = a * std::log(xh) - zlgamma(a + 1.0);
    else
        p = (a + 0.5) * (std::log(xh / (a + 1.0)) + 1.0) - 0.5 * (std::log(xh) - 1.0) - kLogSqrt2Pi -
            zlgbern(a + 1.0);
    double s = 0.0;  // the sum without its first term 1
    const double ap = std::fabs(p);
    if (1.0 > ap * kSeriesEps) {
        double t = 1.0;
        for (int k = 1;; ++k) {
            t = t * b->xhalf2 / (k * (k + a));
            s += t;
            if (std::fabs(t) <= (s + ap) * kSeriesEps) break;
            if (k == 100) {
                b->err = 1;
                break;
            }
        }
    }
    return zln1px(s) + p;
}

// log I_nu(x) from the log values at orders m + frac + 1 and m + frac by
// I_(k-1) = I_(k+1) + (2k/x) I_k, carried relative to an offset that grows whenever a
// value reaches 2^512.
double recur(besblk* b, int m) {
    b->mstart = m;
    double off = std::fmax(b->loghi, b->loglo);
    double hi = std::exp(b->loghi - off);
    double lo = std::exp(b->loglo - off);
    double c = (m + b->frac) * b->twobyx;
    for (int k = m; k > b->inu; --k) {
        double v = hi + c * lo;
        c -= b->twobyx;
        if (v >= kBig) {
            int e;
            v = std::frexp(v, &e);
            lo = std::ldexp(lo, -e);
            off += e * kLn2;
        }
        hi = lo;
        lo = v;
    }
    return std::log(lo) + off;
}

// log(e^-x I_nu(x)) by the asymptotic expansion for large x.
double largex(besblk* b) {
    b->scaled = 1;
    b->order = b->nu;
    const double mu = 4.0 * b->nu * b->nu;
    const double h = 0.125 / b->x;
    double t = -(mu - 1.0) * h;
    double s = 1.0 + t;
    int k = 1;
    bool settled = std::fabs(t) <= 1e-12 * std::fabs(s);
    while (!settled && k < 50) {
        ++k;
        const double odd = 2.0 * k - 1.0;
        t = t * (-h * (mu - odd * odd) / k);
        s += t;
        settled = std::fabs(t) <= 1e-12 * std::fabs(s);
    }
    if (!settled || k > 48) b->err = 1;
    return std::log(s) - kLogSqrt2Pi - 0.5 * std::log(b->x);
}

// log I_n(x) by the uniform expansion for large order n.
double largen(besblk* b, double n) {
    b->order = n;
    const double z = b->x / n;
    const double w = std::sqrt(1.0 + z * z);
    const double eta = w + std::log(z / (1.0 + w));
    const double t = 1.0 / w;
    const double t2 = t * t;
    double s = 0.0;
    double rn = 1.0;   // n^-k
    double tk = 1.0;   // t^k
    const double* c = kDebyeCoef;
    for (int k = 1; k <= 11; ++k) {
        rn /= n;
        tk *= t;
        // u_k(t) = t^k (c_0 + c_1 t^2 + ... + c_k t^(2k)), by Horner in t^2.
        double u = c[k];
        for (int i = k - 1; i >= 0; --i) u = u * t2 + c[i];
        s += tk * u * rn;
        c += k + 1;
    }
    return std::log1p(s) + n * eta - 0.5 * std::log(kTwoPi * n * w);
}

}  // namespace

int zibess(besblk* b) {
    b->xhalf = b->x / 2.0;
    b->xhalf2 = b->xhalf * b->xhalf;
    b->scaled = 0;
    if (!(b->nu >= 0.0 && b->x >= 0.0)) {  // also a NaN
        b->result = -DBL_MAX;
        b->err = 1;
        return 1;
    }
    b->err = 0;
    const double nu = b->nu;
    const double x = b->x;
    double lv;  // the log value
    if (x == 0.0) {
        lv = nu == 0.0 ? 0.0 : -kBig;
    } else {
        b->twobyx = 2.0 / x;
        const double inu = std::floor(nu);
        b->inu = inu < 2147483647.0 ? static_cast<int32_t>(inu) : 2147483647;
        b->frac = nu - inu;
        const double s = 1.348 * std::sqrt(x);
        if (x < 2.0 || nu + 1.0 > b->xhalf2) {
            lv = series(b, nu);
        } else if (x >= 17.0 && s > nu) {
            lv = largex(b);
        } else if (nu <= 35.0 && x <= 12.0) {
            const int m = static_cast<int>(std::ceil(b->xhalf2 + 1.0));
            b->loghi = series(b, m + b->frac + 1.0);
            b->loglo = series(b, m + b->frac);
            lv = recur(b, m);
        } else if (nu <= 35.0) {
            b->loghi = largen(b, 36.0 + b->frac);
            b->loglo = largen(b, 35.0 + b->frac);
            lv = recur(b, 35);
        } else {
            lv = largen(b, nu);
        }
    }
    if (!b->scaled) {
        if (b->form == BES_SCALED) lv -= x;
    } else if (b->form != BES_SCALED) {
        lv += x;
    }
    if (b->form == BES_LOG) {
        b->result = lv;
        return b->err;
    }
    if (lv >= kExpOverflow) {
        b->err = 1;
        return 1;
    }
    b->result = std::exp(lv);
    return b->err;
}
