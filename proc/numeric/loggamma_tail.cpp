// Tails of the generalized log-gamma family. For the regular shape, u = q e^(k x)
// follows a gamma distribution of shape q, and the smaller tail of u is evaluated by a
// continued fraction, with its derivatives in the shape when asked. For the small shape
// (|k| at or below 1/64) the family is taken as normal at the Wilson-Hilferty transform
// zz(x) = x + k/3 + k x^2 (1 + k x/9)/6 of the standardized value.
//
// Algorithm: the project's own, in the parametrization of Lawless (1980); the small shape
// through Wilson and Hilferty's (1931) transform.
#include "proc/numeric/loggamma_tail.h"
#include <cmath>
#include <initializer_list>
#include "proc/numeric/kernconst.h"
#include "proc/numeric/digamma.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"

using namespace kern;

namespace {

// Relative change at which a continued fraction stops. At 1e-8 the log-likelihood
// keeps only about 5e-8 of relative accuracy, too little for its curvature in the tails
// and for a fit's convergence tests; 1e-13 costs about a third more passes.
constexpr double CF_TOL = 1e-13;
// With derivatives the fractions run in long double to 1e-17: the derivative kernel
// multiplies the second shape derivative by (dq/dk)^2 = 4/k^6, about 5e9 at k = 0.03.
template <typename T>
constexpr T cftol() { return sizeof(T) > sizeof(double) ? 1e-17L : CF_TOL; }
// Passes of the continued fraction. Near the centre the fraction needs about
// 2.6 sqrt(q) passes, up to about 165 for the largest q (4096) before the small-shape
// form takes over; 400 leaves room for every regular shape.
constexpr int CF_MAX = 400;

// Convergents of a continued fraction b0 + c1/(b1 + c2/(b2 + ...)) with their first
// and second derivatives in the shape a. The coefficients are linear in a, so their
// own second derivatives vanish. The fractions run in double for values alone and in
// long double when derivatives are wanted: the derivative kernel multiplies the shape
// derivatives by (dq/dk)^2 = 4/k^6, and in double their rounding would show.
template <typename T>
struct convergent {
    T v, d1, d2;
};

template <typename T>
struct cfstate {
    convergent<T> a0, a1, b0, b1;  // A_(n-1), A_n, B_(n-1), B_n
    bool derivs;

    void step(T b, T db, T c, T dc) {
        convergent<T> an{}, bn{};
        an.v = b * a1.v + c * a0.v;
        bn.v = b * b1.v + c * b0.v;
        if (derivs) {
            an.d1 = db * a1.v + b * a1.d1 + dc * a0.v + c * a0.d1;
            bn.d1 = db * b1.v + b * b1.d1 + dc * b0.v + c * b0.d1;
            an.d2 = 2 * db * a1.d1 + b * a1.d2 + 2 * dc * a0.d1 + c * a0.d2;
            bn.d2 = 2 * db * b1.d1 + b * b1.d2 + 2 * dc * b0.d1 + c * b0.d2;
        }
        a0 = a1;
        a1 = an;
        b0 = b1;
        b1 = bn;
        if (std::fabs(a1.v) > BIG154 || std::fabs(b1.v) > BIG154) {
            for (convergent<T>* p : {&a0, &a1, &b0, &b1}) {
                p->v *= TINY154;
                p->d1 *= TINY154;
                p->d2 *= TINY154;
            }
        }
    }
};

// Log of N/D and its derivatives, from the convergents N and D.
template <typename T>
void logratio(const convergent<T>& n, const convergent<T>& d, double* out) {
    const T gn = n.d1 / n.v, gd = d.d1 / d.v;
    out[0] = static_cast<double>(std::log(n.v / d.v));
    out[1] = static_cast<double>(gn - gd);
    out[2] = static_cast<double>((n.d2 / n.v - gn * gn) - (d.d2 / d.v - gd * gd));
}

// The shape derivatives of log(N/D) settle a few passes after the ratio itself: with
// derivatives the fraction also waits for them (relative change below the tolerance,
// measured against 1/a and 1/a^2 where they pass through 0).
template <typename T>
struct derivwatch {
    T g1 = 0, g2 = 0;
    bool settled(const convergent<T>& n, const convergent<T>& d, T a) {
        const T gn = n.d1 / n.v, gd = d.d1 / d.v;
        const T h1 = gn - gd, h2 = (n.d2 / n.v - gn * gn) - (d.d2 / d.v - gd * gd);
        const bool ok = std::fabs(h1 - g1) <= cftol<T>() * (std::fabs(h1) + 1 / a) &&
                        std::fabs(h2 - g2) <= cftol<T>() * (std::fabs(h2) + 1 / (a * a));
        g1 = h1;
        g2 = h2;
        return ok;
    }
};

// Legendre's fraction for the upper tail: Q(a, u) = density(a, u) r with
// r = u/(u + 1 - a - 1(1 - a)/(u + 3 - a - 2(2 - a)/(u + 5 - a - ...))).
// out: log r and its derivatives in a. False without convergence.
template <typename T>
bool upperfraction(T a, T u, bool derivs, double* out) {
    cfstate<T> s{{1, 0, 0}, {0, 0, 0}, {0, 0, 0}, {1, 0, 0}, derivs};
    s.step(u + 1 - a, -1, u, 0);
    T r = s.a1.v / s.b1.v;
    derivwatch<T> w;
    bool done = std::fabs(r - 1) < cftol<T>();
    if (derivs) done = w.settled(s.a1, s.b1, a) && done;
    for (int n = 1; !done; ++n) {
        if (n > CF_MAX) return false;
        s.step(u + 2 * n + 1 - a, -1, -n * (n - a), n);
        const T rn = s.a1.v / s.b1.v;
        done = std::fabs(rn - r) <= cftol<T>() * rn;
        if (derivs) done = w.settled(s.a1, s.b1, a) && done;
        r = rn;
    }
    if (!(r > 0) || std::isinf(r)) return false;
    logratio(s.a1, s.b1, out);
    return true;
}

// The fraction for the lower tail: P(a, u) = density(a, u) (u/a) r with r = a/T and
// T = a - a u/(a + 1 + u/(a + 2 - (a + 1) u/(a + 3 + 2u/(a + 4 - ...)))).
// out: log(r/a) = -log T and its derivatives in a. False without convergence.
template <typename T>
bool lowerfraction(T a, T u, bool derivs, double* out) {
    cfstate<T> s{{1, 0, 0}, {a, 1, 0}, {0, 0, 0}, {1, 0, 0}, derivs};
    s.step(a + 1, 1, -a * u, -u);
    T r = a * s.b1.v / s.a1.v;
    derivwatch<T> w;
    bool done = std::fabs(r - 1) < cftol<T>();
    if (derivs) done = w.settled(s.b1, s.a1, a) && done;
    for (int n = 2; !done; ++n) {
        if (n > CF_MAX + 1) return false;
        const int j = n / 2;
        if (n % 2 == 0) s.step(a + n, 1, j * u, 0);
        else s.step(a + n, 1, -(a + j) * u, -u);
        const T rn = a * s.b1.v / s.a1.v;
        done = std::fabs(rn - r) <= cftol<T>() * rn;
        if (derivs) done = w.settled(s.b1, s.a1, a) && done;
        r = rn;
    }
    if (!(r > 0) || std::isinf(r)) return false;
    logratio(s.b1, s.a1, out);
    return true;
}

// Above this q (|k| below 0.2) the shape derivatives are amplified enough to need the
// long double fraction; below it the double one is as good and several times faster.
constexpr double LONG_FROM = 25.0;

bool tailfraction(bool upper, double a, double u, bool derivs, double* out) {
    if (derivs && a > LONG_FROM) {
        const long double al = a, ul = u;
        return upper ? upperfraction(al, ul, true, out) : lowerfraction(al, ul, true, out);
    }
    return upper ? upperfraction(a, u, derivs, out) : lowerfraction(a, u, derivs, out);
}

// log Phi(v) for v at or below 0; below -10 from the continued fraction of the Mills
// ratio (the plain one-term expansion is 1 % off there and jumps at -10).
// Also writes log(density / Phi(v)).
double logphi(double v, double logdens, double* ratio) {
    if (v > -10.0) {
        const double l = std::log(zprbnrm(v));
        *ratio = logdens - l;
        return l;
    }
    const double w = -v;
    *ratio = std::log(w + 1.0 / (w + 2.0 / (w + 3.0 / w)));
    return logdens - *ratio;
}

int smallshape(double x, double k, double* rec) {
    const double zz = x + k / 3.0 + k * x * x * (1.0 + k * x / 9.0) / 6.0;
    // For k >= 0 the upper tail of u is the upper tail of x, Phi(-zz); for k < 0 it is
    // the lower tail of x, Phi(zz).
    double v = k >= 0.0 ? zz : -zz;
    double sign = k >= 0.0 ? 1.0 : -1.0;  // dv/dzz
    int tail = GTAIL_LOWER;
    if (v > 0.0) {
        v = -v;
        sign = -sign;
        tail = GTAIL_UPPER;
    }
    rec[GTAIL_LOGDENS] = -0.5 * v * v - LOG_SQRT_2PI;
    rec[GTAIL_LOG] = logphi(v, rec[GTAIL_LOGDENS], &rec[GTAIL_RATIO]);
    // Derivatives in k through v: d zz/dk = (1 + x^2 (1/2 + k x/9))/3, d2 zz/dk2 = x^3/27.
    const double j = (1.0 + x * x * (0.5 + k * x / 9.0)) / 3.0;
    const double kk = x * x * x / 27.0;
    const double lambda = std::exp(rec[GTAIL_RATIO]);  // d log Phi / dv
    rec[GTAIL_D1] = lambda * sign * j;
    rec[GTAIL_D2] = -lambda * (v + lambda) * j * j + lambda * sign * kk;
    return tail;
}

}  // namespace

namespace {
constexpr double SERIES_FROM = 15.0;
}

double digammatail(double q, double digamma) {
    if (q < SERIES_FROM) return std::log(q) - digamma - 0.5 / q;
    const double w = 1.0 / (q * q);
    return w * (1.0 / 12 + w * (-1.0 / 120 + w * (1.0 / 252 + w * (-1.0 / 240 + w * (1.0 / 132)))));
}

double logminusdigamma(double q, double digamma) {
    if (q < SERIES_FROM) return std::log(q) - digamma;
    return 0.5 / q + digammatail(q, digamma);
}

double trigammatail(double q, double trigamma) {
    if (q < SERIES_FROM) return trigamma - 1.0 / q - 0.5 / (q * q);
    const double v = 1.0 / q, w = v * v;
    return v * w * (1.0 / 6 + w * (-1.0 / 30 + w * (1.0 / 42 + w * (-1.0 / 30 + w * (5.0 / 66)))));
}

double expm1minus(double w) {
    if (std::fabs(w) > 0.5) return std::expm1(w) - w;
    // w^2 (1/2! + w/3! + w^2/4! + ...), to the 17th power of w.
    double term = 0.5 * w * w, sum = term;
    for (int n = 3; n <= 17; ++n) {
        term *= w / n;
        sum += term;
    }
    return sum;
}

double loggammadensity(double x, const double* block) {
    const double k = block[GSH_K], q = block[GSH_Q];
    const double w = k * x;
    if (q < SERIES_FROM) return (q - 1.0) * (std::log(q) + w) - q * std::exp(w) - block[GSH_LGAMQ];
    // Stirling's form of log Gamma(q) cancels the large terms analytically.
    return -0.5 * std::log(q) - w - q * expm1minus(w) - LOG_SQRT_2PI - zlgbern(q);
}

int dergam(double x, const double* block, bool derivs, bool small, double* rec) {
    const double k = block[GSH_K];
    if (small) return smallshape(x, k, rec);

    const double q = block[GSH_Q];
    const double u = q * std::exp(k * x);
    if (!(q > 0.0) || u < 0.0) return GTAIL_FAIL;
    for (int i = 0; i < GTAIL_SIZE; ++i) rec[i] = 0.0;
    if (u == 0.0) return GTAIL_UPPER;

    // For a small q far above the mode the tail of shape q + 1 is evaluated and the
    // difference added back at the end.
    const bool shifted = q < 1.0 && u > q + 0.9;
    const double a = shifted ? q + 1.0 : q;
    const double logu = std::log(u);
    double S = loggammadensity(x, block);  // of shape q; shifted below
    double S1 = 0.0, S2 = 0.0;
    if (derivs) {
        S1 = k * x + logminusdigamma(q, block[GSH_DIGQ]);  // log u - digamma(q)
        S2 = -block[GSH_TRIGQ];
    }
    if (shifted) {
        S += logu - std::log(q);
        S1 -= 1.0 / q;
        S2 += 1.0 / (q * q);
    }

    const bool upper = u > a + 0.9;
    double cf[3];
    if (!tailfraction(upper, a, u, derivs, cf)) return GTAIL_FAIL;
    if (!upper) cf[0] += logu;
    rec[GTAIL_LOGDENS] = S;
    rec[GTAIL_LOG] = S + cf[0];
    rec[GTAIL_RATIO] = -cf[0];
    if (derivs) {
        rec[GTAIL_D1] = S1 + cf[1];
        rec[GTAIL_D2] = S2 + cf[2];
    }

    if (shifted) {
        // Q(q, u) = Q(q + 1, u) - t and P(q, u) = P(q + 1, u) + t, t = u^q e^-u / Gamma(q + 1)
        // = e^S: the tail of shape q + 1 is t e^rho with rho = cf[0], so the tail of shape q
        // is t (e^rho - 1) or t (e^rho + 1). Everything is formed from rho itself: far
        // above the mode rho is tiny, and S + rho would have lost it beside a large S.
        const double rho = cf[0];
        double logm;  // log(e^rho -/+ 1)
        double e;     // e^-rho
        if (upper) {
            if (!(rho > 0.0)) return GTAIL_FAIL;
            logm = rho + std::log(-zexpm1(-rho));
            e = std::exp(-rho);
        } else {
            e = std::exp(-rho);
            logm = rho + zln1px(e);
        }
        if (derivs) {
            // d/dq = S1 + w rho1 and d2/dq2 = S2 + w rho2 + w rho1^2 (sg e)/m with
            // m = 1 + sg e and w = 1/m.
            const double sg = upper ? -1.0 : 1.0;
            const double m = upper ? -zexpm1(-rho) : 1.0 + e;
            const double w = 1.0 / m;
            rec[GTAIL_D1] = S1 + w * cf[1];
            rec[GTAIL_D2] = S2 + w * cf[2] + w * cf[1] * cf[1] * sg * e / m;
        }
        rec[GTAIL_LOG] = S + logm;
        rec[GTAIL_LOGDENS] = S + std::log(a - 1.0) - logu;
        rec[GTAIL_RATIO] = std::log(a - 1.0) - logu - logm;
    }
    return upper ? GTAIL_UPPER : GTAIL_LOWER;
}

void swapder(double* rec) {
    const double t = std::exp(rec[GTAIL_LOG]);
    const double d1 = rec[GTAIL_D1], d2 = rec[GTAIL_D2];
    const double r = t / (1.0 - t);
    const double old = rec[GTAIL_LOG];
    rec[GTAIL_LOG] = zln1px(-t);
    rec[GTAIL_RATIO] += old - rec[GTAIL_LOG];
    rec[GTAIL_D1] = -r * d1;
    rec[GTAIL_D2] = -r * (d2 + d1 * d1 / (1.0 - t));
}

void formder(double z, bool small, int mode, const double* rec, double k, double* out) {
    if (!small) {
        const double kz = k * z;
        const double A = std::exp(rec[GTAIL_RATIO] + kz) / std::fabs(k);
        const double V = (1.0 - std::exp(kz)) / k;
        out[0] = A;
        out[1] = mode == KMODE_RIGHT ? A * (A + V) : A * (V - A);
        return;
    }
    const double kz = k * z;
    const double zz = z + k / 3.0 + k * z * z * (1.0 + kz / 9.0) / 6.0;
    const double dzz = 1.0 + (kz / 3.0) * (1.0 + kz / 6.0);
    const double d2zz = (k / 3.0) * (1.0 + kz / 3.0);
    const double lambda = std::exp(rec[GTAIL_RATIO]);
    if (mode == KMODE_RIGHT) {  // minus log Phi(-zz)
        const double v = -zz;
        out[0] = lambda * dzz;
        out[1] = lambda * (v + lambda) * dzz * dzz + lambda * d2zz;
    } else {  // minus log Phi(zz), negated
        const double v = zz;
        out[0] = lambda * dzz;
        out[1] = -lambda * (v + lambda) * dzz * dzz + lambda * d2zz;
    }
}
