// Value and derivative kernels of the generalized log-gamma family with shape k
// (fitted on the log scale for the gamma family). The shape block comes from zprbpgm.
//
// Algorithm: the generalized log-gamma family in the parametrization of Lawless (1980); the
// kernels are the project's own.
#include <cmath>
#include "proc/numeric/kernconst.h"
#include "proc/numeric/kerninterval.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/loggamma_tail.h"

using namespace kern;

namespace {

constexpr double HALF_OVER = 0.5 * EXP_OVER;

bool smallshape(const double* block) { return std::fabs(block[GSH_K]) <= GSH_SMALL; }

// The tail of u that is the survival (upper) or distribution (lower) tail in z.
int utail(bool zupper, double k) {
    return (zupper == (k >= 0.0)) ? GTAIL_UPPER : GTAIL_LOWER;
}

// Minus the log of the tail of z at z, and its derivatives in z and k:
// d[0] = f, d[1] = df/dz, d[2] = d2f/dz2, d[3] = df/dk, d[4] = d2f/dz dk, d[5] = d2f/dk2.
bool taildiff(double z, const double* block, bool small, bool zupper, double* d) {
    const double k = block[GSH_K];
    double rec[GTAIL_SIZE];
    const int got = dergam(z, block, true, small, rec);
    if (got == GTAIL_FAIL) return false;
    const int want = utail(zupper, k);
    if (got != want) swapder(rec);
    if (!(rec[GTAIL_RATIO] <= HALF_OVER)) return false;
    const int mode = zupper ? KMODE_RIGHT : KMODE_LEFT;
    double fz[2];
    formder(z, small, mode, rec, k, fz);
    if (!zupper) {
        fz[0] = -fz[0];
        fz[1] = -fz[1];
    }
    d[0] = -rec[GTAIL_LOG];
    d[1] = fz[0];
    d[2] = fz[1];
    if (small) {
        // rec holds log Phi(v), v = tau zz(z), with its k-derivatives.
        const double tau = zupper ? -1.0 : 1.0;
        const double kz = k * z;
        const double zz = z + k / 3.0 + k * z * z * (1.0 + kz / 9.0) / 6.0;
        const double v = tau * zz;
        const double dzz = 1.0 + (kz / 3.0) * (1.0 + kz / 6.0);
        const double dzzdk = z / 3.0 + k * z * z / 9.0;  // d(dzz/dz)/dk
        const double j = (1.0 + z * z * (0.5 + kz / 9.0)) / 3.0;
        const double lambda = std::exp(rec[GTAIL_RATIO]);
        d[3] = -rec[GTAIL_D1];
        d[4] = lambda * (v + lambda) * dzz * j - lambda * tau * dzzdk;
        d[5] = -rec[GTAIL_D2];
        return true;
    }
    // Regular shape: the record is a function of q and l = log u = log q + k z. With
    // sigma = -1 for an upper tail of u and +1 for a lower one, and H = u g(u)/tail:
    // d/dl = sigma H, d2/dl2 = sigma H (q - u - sigma H), d2/dq dl = sigma H (l - psi(q) - d/dq).
    const double q = block[GSH_Q];
    const double l = std::log(q) + k * z;
    const double qmu = -q * std::expm1(k * z);  // q - u
    const double sigma = want == GTAIL_UPPER ? -1.0 : 1.0;
    const double H = std::exp(rec[GTAIL_RATIO] + l);
    double Ll = 0.0, Lll = 0.0, Lql = 0.0;
    if (H > 0.0) {
        Ll = sigma * H;
        Lll = Ll * (qmu - sigma * H);
        Lql = Ll * (k * z + logminusdigamma(q, block[GSH_DIGQ]) - rec[GTAIL_D1]);
    }
    const double Lq = rec[GTAIL_D1], Lqq = rec[GTAIL_D2];
    const double dq = -2.0 * q / k, d2q = 6.0 * q * q;  // dq/dk, d2q/dk2
    const double lk = z - 2.0 / k, lkk = 2.0 / (k * k);  // dl/dk, d2l/dk2 (dl/dz = k)
    d[3] = -(Lq * dq + Ll * lk);
    d[4] = -(Ll + k * (Lql * dq + Lll * lk));
    d[5] = -(Lqq * dq * dq + 2.0 * Lql * dq * lk + Lll * lk * lk + Lq * d2q + Ll * lkk);
    return true;
}

}  // namespace

int zprblgm(int mode, const double* z, const double* block, double* out) {
    const double k = block[GSH_K];
    const bool small = smallshape(block);
    const double x = z[0];
    switch (mode) {
    case KMODE_EXACT: {
        const double w = k * x;
        if (small) {
            out[0] = 0.5 * x * x * (1.0 + (w + 0.25 * w * w) / 3.0) + k * k / 12.0 + LOG_SQRT_2PI;
            return 0;
        }
        if (!(w < HALF_OVER)) return 1;
        out[0] = block[GSH_B5] + block[GSH_Q] * expm1minus(w);  // B5 - q (1 + w - e^w)
        return 0;
    }
    case KMODE_RIGHT:
    case KMODE_LEFT: {
        double rec[GTAIL_SIZE];
        const int got = dergam(x, block, false, small, rec);
        if (got == GTAIL_FAIL) return 1;
        const int want = utail(mode == KMODE_RIGHT, k);
        out[0] = got == want ? -rec[GTAIL_LOG] : -zln1px(-std::exp(rec[GTAIL_LOG]));
        return 0;
    }
    case KMODE_INTERVAL: {
        const double c = x, h = z[1];
        double r1[GTAIL_SIZE], r2[GTAIL_SIZE];
        const int t1 = dergam(c - h, block, false, small, r1);
        if (t1 == GTAIL_FAIL) return 1;
        const int t2 = dergam(c + h, block, false, small, r2);
        if (t2 == GTAIL_FAIL) return 1;
        const double l1 = r1[GTAIL_LOG], l2 = r2[GTAIL_LOG];
        if (t1 == t2) {
            // Both ends in one tail: the probability is the difference of the two tails.
            // Ends that coincide (a zero width among them) leave no probability: refused.
            const double big = std::fmax(l1, l2), sml = std::fmin(l1, l2);
            const double v = -big - zln1px(-std::exp(sml - big));
            if (!std::isfinite(v)) return 1;
            out[0] = v;
            return 0;
        }
        double p = 1.0 - std::exp(l1) - std::exp(l2);
        if (p < EPS53) p = EPS53;
        out[0] = -std::log(p);
        return 0;
    }
    default:
        return 0;
    }
}

int zprbwgm(int mode, const double* z, const double* block, double* out) {
    out[5] = out[6] = out[7] = out[8] = 0.0;
    const double k = block[GSH_K];
    const bool small = smallshape(block);
    switch (mode) {
    case KMODE_EXACT: {
        const double x = z[0];
        const double w = k * x;
        if (small) {
            out[0] = x * (1.0 + w / 2.0 + w * w / 6.0);
            out[1] = 1.0 + w + 0.5 * w * w;
            out[5] = x * x * x / 6.0 + k * x * x * x * x / 12.0 + k / 6.0;
            out[6] = x * x * (0.5 + w / 3.0);
            out[8] = 1.0 / 6.0 + x * x * x * x / 12.0;
            return 0;
        }
        // Same range as the value kernel: e^w would overflow beyond it.
        if (!(w < HALF_OVER)) return 1;
        const double q = block[GSH_Q];
        const double e = std::exp(w), em1 = std::expm1(w), d = -expm1minus(w);  // d = 1 - e + w
        out[0] = em1 / k;
        out[1] = e;
        out[5] = block[GSH_B6] + 2.0 * q * d / k + q * x * em1;
        out[6] = (x * e - out[0]) / k;
        out[8] = block[GSH_B7] - 6.0 * q * q * d - 4.0 * x * q * out[0] + q * x * x * e;
        return 0;
    }
    case KMODE_RIGHT:
    case KMODE_LEFT: {
        double d[6];
        if (!taildiff(z[0], block, small, mode == KMODE_RIGHT, d)) return 1;
        out[0] = d[1];
        out[1] = d[2];
        out[5] = d[3];
        out[6] = d[4];
        out[8] = d[5];
        return 0;
    }
    case KMODE_INTERVAL: {
        // Work with k >= 0: the interval (c, h) under -k has the probability of (-c, h)
        // under k; the odd derivatives change sign back at the end.
        double flipped[GSH_SIZE];
        const double* blk = block;
        double c = z[0];
        const double h = z[1];
        const bool reflect = k < 0.0;
        if (reflect) {
            for (int i = 0; i < (small ? 1 : GSH_SIZE); ++i) flipped[i] = block[i];
            flipped[GSH_K] = -k;
            if (!small) {
                flipped[GSH_B6] = -block[GSH_B6];  // odd in k; B5 and B7 are even
            }
            blk = flipped;
            c = -c;
        }
        // The tail of z used at both ends: the lower one for a centre below 0.
        const bool zupper = !(c < 0.0);
        double da[6], db[6];
        if (!taildiff(c + h, blk, small, zupper, da)) return 1;
        if (!taildiff(c - h, blk, small, zupper, db)) return 1;
        // Tail probabilities scaled by the larger, so that neither underflows; every
        // output is a ratio in which the scale cancels.
        const double m = std::fmin(da[0], db[0]);
        const double ta = std::exp(m - da[0]), tb = std::exp(m - db[0]);
        const double eps = zupper ? -1.0 : 1.0;  // P = eps (T(a) - T(b))
        const double p = eps * (ta - tb);
        if (!(p > 4.0 * EPS53)) return 1;
        // Derivatives of each tail T = e^-f: T_z = -T f_z, T_zz = T (f_z^2 - f_zz),
        // T_k = -T f_k, T_zk = T (f_z f_k - f_zk), T_kk = T (f_k^2 - f_kk). A tail that
        // underflowed to 0 has derivatives 0 (e^-f times powers of f), not 0 times the
        // squares of hazards that overflow.
        auto tz = [](double t, const double* d) { return t == 0.0 ? 0.0 : -t * d[1]; };
        auto tzz = [](double t, const double* d) { return t == 0.0 ? 0.0 : t * (d[1] * d[1] - d[2]); };
        auto tk = [](double t, const double* d) { return t == 0.0 ? 0.0 : -t * d[3]; };
        auto tzk = [](double t, const double* d) { return t == 0.0 ? 0.0 : t * (d[1] * d[3] - d[4]); };
        auto tkk = [](double t, const double* d) { return t == 0.0 ? 0.0 : t * (d[3] * d[3] - d[5]); };
        const double ga = eps * tz(ta, da), gb = eps * tz(tb, db);      // densities
        const double dga = eps * tzz(ta, da), dgb = eps * tzz(tb, db);  // their z-derivatives
        intervalDerivatives(p, ga, gb, dga, dgb, out);
        const double d1 = ga - gb, s1 = ga + gb, p2 = p * p;
        const double pk = eps * (tk(ta, da) - tk(tb, db));
        const double pck = eps * (tzk(ta, da) - tzk(tb, db));
        const double phk = eps * (tzk(ta, da) + tzk(tb, db));
        const double pkk = eps * (tkk(ta, da) - tkk(tb, db));
        out[5] = -pk / p;
        out[6] = (d1 * pk - pck * p) / p2;
        out[7] = (s1 * pk - phk * p) / p2;
        out[8] = (pk * pk - pkk * p) / p2;
        // Both ends so far in one tail that the squared hazards overflow: the ratios are
        // inf - inf. Not a usable gradient.
        for (int i = 0; i < 9; ++i)
            if (!std::isfinite(out[i])) return 1;
        if (reflect) {
            out[0] = -out[0];
            out[3] = -out[3];
            out[5] = -out[5];
            out[7] = -out[7];
        }
        return 0;
    }
    default:
        return 0;
    }
}
