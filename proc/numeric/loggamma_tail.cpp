// Tails of the generalized log-gamma family. For the regular shape, u = q e^(k x)
// follows a gamma distribution of shape q, and the smaller tail of u is evaluated by a
// continued fraction, with its derivatives in the shape when asked. For the small shape
// (|k| at or below 1/64) the family is taken as normal at the Wilson-Hilferty transform
// zz(x) = x + k/3 + k x^2 (1 + k x/9)/6 of the standardized value.
#include "proc/numeric/loggamma_tail.h"
#include <cmath>
#include <initializer_list>
#include "proc/numeric/kernconst.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"

using namespace kern;

namespace {

constexpr double CF_TOL = 1e-08;
// Passes of the continued fraction. Near the centre the fraction needs about
// 1.8 sqrt(q) passes, up to 115 for the largest q (4096) before the small-shape form
// takes over; 300 leaves room for every regular shape.
constexpr int CF_MAX = 300;

// Convergents of a continued fraction b0 + c1/(b1 + c2/(b2 + ...)) with their first
// and second derivatives in the shape a. The coefficients are linear in a, so their
// own second derivatives vanish.
struct convergent {
    double v, d1, d2;
};

struct cfstate {
    convergent a0, a1, b0, b1;  // A_(n-1), A_n, B_(n-1), B_n
    bool derivs;

    void step(double b, double db, double c, double dc) {
        convergent an{}, bn{};
        an.v = b * a1.v + c * a0.v;
        bn.v = b * b1.v + c * b0.v;
        if (derivs) {
            an.d1 = db * a1.v + b * a1.d1 + dc * a0.v + c * a0.d1;
            bn.d1 = db * b1.v + b * b1.d1 + dc * b0.v + c * b0.d1;
            an.d2 = 2.0 * db * a1.d1 + b * a1.d2 + 2.0 * dc * a0.d1 + c * a0.d2;
            bn.d2 = 2.0 * db * b1.d1 + b * b1.d2 + 2.0 * dc * b0.d1 + c * b0.d2;
        }
        a0 = a1;
        a1 = an;
        b0 = b1;
        b1 = bn;
        if (std::fabs(a1.v) > BIG154 || std::fabs(b1.v) > BIG154) {
            for (convergent* p : {&a0, &a1, &b0, &b1}) {
                p->v *= TINY154;
                p->d1 *= TINY154;
                p->d2 *= TINY154;
            }
        }
    }
};

// Log of N/D and its derivatives, from the convergents N and D.
void logratio(const convergent& n, const convergent& d, double* out) {
    const double gn = n.d1 / n.v, gd = d.d1 / d.v;
    out[0] = std::log(n.v / d.v);
    out[1] = gn - gd;
    out[2] = (n.d2 / n.v - gn * gn) - (d.d2 / d.v - gd * gd);
}

// Legendre's fraction for the upper tail: Q(a, u) = density(a, u) r with
// r = u/(u + 1 - a - 1(1 - a)/(u + 3 - a - 2(2 - a)/(u + 5 - a - ...))).
// out: log r and its derivatives in a. False without convergence.
bool upperfraction(double a, double u, bool derivs, double* out) {
    cfstate s{{1.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}, derivs};
    s.step(u + 1.0 - a, -1.0, u, 0.0);
    double r = s.a1.v / s.b1.v;
    bool done = std::fabs(r - 1.0) < CF_TOL;
    for (int n = 1; !done; ++n) {
        if (n > CF_MAX) return false;
        s.step(u + 2.0 * n + 1.0 - a, -1.0, -n * (n - a), n);
        const double rn = s.a1.v / s.b1.v;
        done = std::fabs(rn - r) <= CF_TOL * rn;
        r = rn;
    }
    if (!(r > 0.0) || std::isinf(r)) return false;
    logratio(s.a1, s.b1, out);
    return true;
}

// The fraction for the lower tail: P(a, u) = density(a, u) (u/a) r with r = a/T and
// T = a - a u/(a + 1 + u/(a + 2 - (a + 1) u/(a + 3 + 2u/(a + 4 - ...)))).
// out: log(r/a) = -log T and its derivatives in a. False without convergence.
bool lowerfraction(double a, double u, bool derivs, double* out) {
    cfstate s{{1.0, 0.0, 0.0}, {a, 1.0, 0.0}, {0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}, derivs};
    s.step(a + 1.0, 1.0, -a * u, -u);
    double r = a * s.b1.v / s.a1.v;
    bool done = std::fabs(r - 1.0) < CF_TOL;
    for (int n = 2; !done; ++n) {
        if (n > CF_MAX + 1) return false;
        const int j = n / 2;
        if (n % 2 == 0) s.step(a + n, 1.0, j * u, 0.0);
        else s.step(a + n, 1.0, -(a + j) * u, -u);
        const double rn = a * s.b1.v / s.a1.v;
        done = std::fabs(rn - r) <= CF_TOL * rn;
        r = rn;
    }
    if (!(r > 0.0) || std::isinf(r)) return false;
    logratio(s.b1, s.a1, out);
    return true;
}

// log Phi(v) for v at or below 0; below -10 from the continued fraction of the Mills
// ratio (the plain one-term expansion is 1 % off there and jumps at -10).
double logphi(double v, double logdens) {
    if (v > -10.0) return std::log(zprbnrm(v));
    const double w = -v;
    return logdens - std::log(w + 1.0 / (w + 2.0 / (w + 3.0 / w)));
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
    rec[GTAIL_LOG] = logphi(v, rec[GTAIL_LOGDENS]);
    // Derivatives in k through v: d zz/dk = (1 + x^2 (1/2 + k x/9))/3, d2 zz/dk2 = x^3/27.
    const double j = (1.0 + x * x * (0.5 + k * x / 9.0)) / 3.0;
    const double kk = x * x * x / 27.0;
    const double lambda = std::exp(rec[GTAIL_LOGDENS] - rec[GTAIL_LOG]);  // d log Phi / dv
    rec[GTAIL_D1] = lambda * sign * j;
    rec[GTAIL_D2] = -lambda * (v + lambda) * j * j + lambda * sign * kk;
    return tail;
}

}  // namespace

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
    double S = (a - 1.0) * logu - u - block[GSH_LGAMQ];
    double S1 = 0.0, S2 = 0.0;
    if (derivs) {
        S1 = logu - block[GSH_DIGQ];
        S2 = -block[GSH_TRIGQ];
    }
    if (shifted) {
        S -= std::log(q);
        S1 -= 1.0 / q;
        S2 += 1.0 / (q * q);
    }

    const bool upper = u > a + 0.9;
    double cf[3];
    if (upper) {
        if (!upperfraction(a, u, derivs, cf)) return GTAIL_FAIL;
    } else {
        if (!lowerfraction(a, u, derivs, cf)) return GTAIL_FAIL;
        cf[0] += logu;
    }
    rec[GTAIL_LOGDENS] = S;
    rec[GTAIL_LOG] = S + cf[0];
    if (derivs) {
        rec[GTAIL_D1] = S1 + cf[1];
        rec[GTAIL_D2] = S2 + cf[2];
    }

    if (shifted) {
        // Q(q, u) = Q(q + 1, u) - t and P(q, u) = P(q + 1, u) + t, t = u^q e^-u / Gamma(q + 1).
        const double sg = upper ? -1.0 : 1.0;
        const double e = std::exp(S - rec[GTAIL_LOG]);
        if (upper && e >= 1.0) return GTAIL_FAIL;
        const double m = 1.0 + sg * e;
        if (derivs) {
            const double d1 = rec[GTAIL_D1], d2 = rec[GTAIL_D2];
            const double m1 = d1 + sg * e * S1;
            const double m2 = d2 + d1 * d1 + sg * e * (S2 + S1 * S1);
            rec[GTAIL_D1] = m1 / m;
            rec[GTAIL_D2] = m2 / m - (m1 / m) * (m1 / m);
        }
        rec[GTAIL_LOG] += zln1px(sg * e);
        rec[GTAIL_LOGDENS] = S + std::log(a - 1.0) - logu;
    }
    return upper ? GTAIL_UPPER : GTAIL_LOWER;
}

void swapder(double* rec) {
    const double t = std::exp(rec[GTAIL_LOG]);
    const double d1 = rec[GTAIL_D1], d2 = rec[GTAIL_D2];
    const double r = t / (1.0 - t);
    rec[GTAIL_LOG] = zln1px(-t);
    rec[GTAIL_D1] = -r * d1;
    rec[GTAIL_D2] = -r * (d2 + d1 * d1 / (1.0 - t));
}

void formder(double z, bool small, int mode, const double* rec, double k, double* out) {
    if (!small) {
        const double kz = k * z;
        const double A = std::exp(rec[GTAIL_LOGDENS] - rec[GTAIL_LOG] + kz) / std::fabs(k);
        const double V = (1.0 - std::exp(kz)) / k;
        out[0] = A;
        out[1] = mode == KMODE_RIGHT ? A * (A + V) : A * (V - A);
        return;
    }
    const double kz = k * z;
    const double zz = z + k / 3.0 + k * z * z * (1.0 + kz / 9.0) / 6.0;
    const double dzz = 1.0 + (kz / 3.0) * (1.0 + kz / 6.0);
    const double d2zz = (k / 3.0) * (1.0 + kz / 3.0);
    const double lambda = std::exp(rec[GTAIL_LOGDENS] - rec[GTAIL_LOG]);
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
