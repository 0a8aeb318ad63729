// The MODEL log-likelihood over the design rows, or its gradient and packed Hessian (of minus
// the log-likelihood), with one scale parameter (loglike0) or a scale per row from the
// LOGSCALE effects (loglike1). Sums over the rows are taken in long double (of runs of rows
// summed in double).
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/stepend.h"
#include "proc/lifedist/lifedist.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/linalg.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"
#include "proc/regression/rowfile.h"

namespace {

constexpr double SQRT_MIN = 1.491668147e-154;
constexpr double EXP_OVER = 709.782712893384;

// Multiplies the kernel outputs a row uses by its frequency.
inline void scaleouts(double* d, double w, bool interval, bool gamma) {
    d[0] *= w;
    d[1] *= w;
    if (interval)
        for (int i = 2; i < 5; ++i) d[i] *= w;
    if (gamma) {
        d[5] *= w;
        d[6] *= w;
        d[8] *= w;
        if (interval) d[7] *= w;
    }
}

// Up to 64 effect cells per row fit the fixed arrays; a model with more effects uses the
// heap arrays of this helper.
class cellbuf {
public:
    explicit cellbuf(int cells) : n_(cells) {
        if (cells > 64) {
            heapcol_ = new int[cells];
            heapx_ = new double[cells];
        }
    }
    ~cellbuf() {
        delete[] heapcol_;
        delete[] heapx_;
    }
    cellbuf(const cellbuf&) = delete;
    cellbuf& operator=(const cellbuf&) = delete;
    int* col() { return heapcol_ ? heapcol_ : col_; }
    double* x() { return heapx_ ? heapx_ : x_; }

private:
    int n_;
    int col_[64];
    double x_[64];
    int* heapcol_ = nullptr;
    double* heapx_ = nullptr;
};

// Gathers the cells [from, to) of row r whose design column the map keeps; returns their
// number. The linear predictor over them goes to *eta.
inline int gather(const mdllayout* L, const int32_t* map, const double* b, const descell* r, int from, int to,
                  int* col, double* x, double* eta) {
    int n = 0;
    double e = 0.0;
    for (int i = from; i < to; ++i) {
        const int c = L->firstcol[i] + r[i].col;
        if (map[c] < 0) continue;
        const double v = L->hascont[i] ? r[i].value : 1.0;
        col[n] = c;
        x[n] = v;
        ++n;
        e += v * b[c];
    }
    *eta = e;
    return n;
}

// The smallest-extreme-value kernels for an exact or right-censored row, inline so that the
// value and the derivatives share one exp; the same arithmetic as zprblwb and zprbwwb, where
// they accept the point (below half the exp bound). false: call the kernels.
constexpr double SEV_INLINE = 0.5 * EXP_OVER;
inline bool sevrow(int code, double x, double* value, double* d) {
    if (code < CEN_RIGHT || !(x < SEV_INLINE)) return false;
    const double e = std::exp(x);
    *value = code == CEN_EXACT ? e - x : e;
    d[0] = code == CEN_EXACT ? e - 1.0 : e;
    d[1] = e;
    return true;
}

// Sums of one pass over the parameter order. Row contributions are added in double over runs
// of rows, the runs into long double totals: the sums are extended-precision sums of run
// totals, and the inner loop over rows and cells stays in double.
struct dersums {
    long double* g;        // totals
    long double* H;
    double* pg;            // partial sums of the current run
    double* pH;
    long double ll;        // value pass
    double pll;
    int p;
    long t;
    int64_t run = 0, foldevery = 256;

    void init(vyxstate* s, int np) {
        p = np;
        t = static_cast<long>(p) * (p + 1) / 2;
        g = s->mdl.liksum;
        H = s->mdl.liksum + p;
        pg = s->mdl.likpart;
        pH = s->mdl.likpart + p;
        // A run folds the whole triangle: long runs when the triangle is large.
        foldevery = std::max<int64_t>(256, t / 4);
    }
    void clear() {
        for (int i = 0; i < p; ++i) g[i] = 0.0L, pg[i] = 0.0;
        for (long i = 0; i < t; ++i) H[i] = 0.0L, pH[i] = 0.0;
        ll = 0.0L;
        pll = 0.0;
        run = 0;
    }
    void fold() {
        for (int i = 0; i < p; ++i) {
            g[i] += pg[i];
            pg[i] = 0.0;
        }
        for (long i = 0; i < t; ++i) {
            H[i] += pH[i];
            pH[i] = 0.0;
        }
        ll += pll;
        pll = 0.0;
        run = 0;
    }
    void row() {
        if (++run == foldevery) fold();
    }
    void store(double* grad, double* hess) const {
        for (int i = 0; i < p; ++i) grad[i] = static_cast<double>(g[i]);
        for (long i = 0; i < t; ++i) hess[i] = static_cast<double>(H[i]);
    }
};

// The derivative pass failed at a point the optimiser may not use: the gradient is made not
// a number, so that the optimiser stops there, and the failure is kept for the fit driver.
void derivfail(modelstate& mdl, double* grad, int p) {
    mdl.likfail = 1;
    for (int i = 0; i < p; ++i) grad[i] = std::numeric_limits<double>::quiet_NaN();
}

// A derivative kernel failed in a derivative pass: the step ends, with the message that is
// true there. The value pass at the same point tells whether the log-likelihood itself could
// be computed (the optimiser asks for the derivatives at its starting values and at its last
// trial point also when the value failed there).
void kernelfail(vyxstate* s) {
    vyxmlik(s, 0);
    if (s->step.stepend) return;   // the rows could not be read again: that message ended the step
    const bool computed = !likfailed(s->mdl.fit.loglik.current);
    s->mdl.fit.loglik.current = -DBL_MAX;
    char fr[640];
    xpmlog(510, computed ? E510_DERIVATIVE_FAILED : E510_NOTHING_COMPUTED, groupsuffix(s, false, " for ", fr, sizeof fr));
    endstep(s, RC_INPUT);
}

struct shapeblock {
    double v[GSH_SIZE] = {};
};

// Everything the two likelihoods share: the arrays, the packing and the shape block. Mode 0
// the value, 1 the derivatives, MLIK_BOTH the value with the derivatives into the cache.
struct likframe {
    vyxstate* s;
    int mode;
    bool wantvalue, wantderiv;
    int p;
    bool packed;
    double* b;
    double* grad;
    double* hess;
    shapeblock shape;
    dersums sums;
    bool derivfault = false;   // a derivative kernel failed in a derivative pass

    likframe(vyxstate* st, int md)
        : s(st), mode(md), wantvalue(md != 1), wantderiv(md != 0), p(st->mdl.fit.npar.total), packed(st->mdl.fit.npar.total != st->mdl.fit.npar.free) {
        b = s->mdl.fit.fitarr.est;
        grad = mode == MLIK_BOTH ? s->mdl.mlikcache : s->mdl.fit.fitarr.grad;
        hess = mode == MLIK_BOTH ? s->mdl.mlikcache + p : s->mdl.fit.fitarr.hess;
        if (mode == MLIK_BOTH) s->mdl.mlikcached = 0;
        sums.init(s, p);
        sums.clear();
        if (wantderiv) {
            std::memset(hess, 0, sizeof(double) * static_cast<size_t>(p) * (p + 1) / 2);
            std::memset(grad, 0, sizeof(double) * static_cast<size_t>(p));
        }
        if (packed) vyxxpm(b, s->mdl.parmstat, p, nullptr);
    }
    // Builds the shape block from the shape estimate; false when it cannot be built.
    bool shapefrom(int r) {
        if (!s->mdl.gammafam) return true;
        return s->mdl.shape_fn && s->mdl.shape_fn(b[r], shape.v) == 0;
    }
    // A derivative kernel failed: fatal when the derivatives were asked for, else the value
    // pass only gives up keeping them.
    bool derivkernelfailed() {
        if (mode == 1) {
            derivfault = true;   // the step ends once the pass is over (finish)
            return true;
        }
        wantderiv = false;
        return false;
    }
    void finish(bool failed) {
        if (packed) {
            vyxxpm(b, s->mdl.parmstat, p, nullptr);
            if (wantderiv) vyxxpm(grad, s->mdl.parmstat, p, hess);
        }
        if (failed) {
            s->mdl.fit.loglik.current = -DBL_MAX;
            if (mode == 1) derivfail(s->mdl, grad, p);
            if (derivfault) kernelfail(s);
            return;
        }
        if (mode == MLIK_BOTH && wantderiv) {
            // The point the cached derivatives belong to, as the optimiser holds it.
            std::memcpy(s->mdl.mlikcache + p + static_cast<long>(p) * (p + 1) / 2, b, sizeof(double) * static_cast<size_t>(p));
            s->mdl.mlikcached = 1;
        }
    }
};

}  // namespace

int vyxmlik(vyxstate* s, int mode) { return s->mdl.haslogscl ? loglike1(s, mode) : loglike0(s, mode); }

int vyxmderiv(vyxstate* s) {
    const int p = s->mdl.fit.npar.total;
    const long t = static_cast<long>(p) * (p + 1) / 2;
    const double* point = s->mdl.mlikcache + p + t;
    if (s->mdl.mlikcached && std::memcmp(point, s->mdl.fit.fitarr.est, sizeof(double) * static_cast<size_t>(p)) == 0) {
        std::memcpy(s->mdl.fit.fitarr.grad, s->mdl.mlikcache, sizeof(double) * static_cast<size_t>(p));
        std::memcpy(s->mdl.fit.fitarr.hess, s->mdl.mlikcache + p, sizeof(double) * static_cast<size_t>(t));
        return 0;
    }
    return vyxmlik(s, 1);
}

int loglike0(vyxstate* s, int mode) {
    likframe f(s, mode);
    const mdllayout* L = s->mdl.mdllay;
    const int32_t* map = s->mdl.parmmap;
    const int ncol = L->ncol, sc = ncol, r = ncol + 1;
    const bool hasscale = s->mdl.ndistp > 0;
    const double sigma = hasscale ? f.b[sc] : 1.0;
    const double shift = s->mdl.shiftq;
    const bool interval = s->inwork.rspkind >= 2;
    const kernfn value = s->mdl.fit.prob_fn[KN_VALUE], deriv = s->mdl.fit.prob_fn[KN_DERIV];
    const bool sev = value == zprblwb && deriv == zprbwwb;
    bool failed = false;
    dersums& S = f.sums;

    if (hasscale && !(sigma >= SQRT_MIN)) {
        failed = true;
    } else if (!f.shapefrom(r)) {
        failed = true;
    } else {
        cellbuf cb(L->ne);
        int* col = cb.col();
        double* x = cb.x();
        const double inv = 1.0 / sigma;
        double* g = S.pg;
        double* Hs = S.pH + static_cast<long>(sc) * (sc + 1) / 2;
        double* Hr = S.pH + static_cast<long>(r) * (r + 1) / 2;
        const double* shp = s->mdl.gammafam ? f.shape.v : nullptr;
        const bool gam = s->mdl.gammafam != 0;
        forblocks(s, [&](char* rows, int64_t count) {
            for (int64_t k = 0; k < count; ++k) {
                const descell* row = desrowat(rows, L, k);
                double eta;
                const int n = gather(L, map, f.b, row, 0, L->ne, col, x, &eta);
                const int code = row[L->cens()].col;
                const double w = L->hasfreq ? row[L->freq()].value : 1.0;
                const double z = (row[L->rsp()].value - eta) * inv;
                double zk[2] = {z + shift, 0.0};
                double zc = z, h = 0.0;
                const bool intv = interval && code == CEN_INTERVAL;
                if (intv) {
                    const double z2 = (row[L->upper()].value - eta) * inv;
                    zc = 0.5 * (z + z2);
                    h = 0.5 * (z2 - z);
                    zk[0] = zc + shift;
                    zk[1] = h;
                }
                double d[10];
                double v0;
                const bool quick = sev && sevrow(code, zk[0], &v0, d);
                if (f.wantvalue) {
                    if (!quick && value(code, zk, shp, d) != 0) {
                        failed = true;
                        return false;
                    }
                    S.pll -= w * (quick ? v0 : d[0]);
                }
                if (!f.wantderiv) {
                    S.row();
                    continue;
                }
                if (!quick && deriv(code, zk, shp, d) != 0) {
                    if (f.derivkernelfailed()) {
                        failed = true;
                        return false;
                    }
                    S.row();
                    continue;
                }
                if (w != 1.0) scaleouts(d, w, intv, gam);
                for (int i = 0; i < n; ++i) {
                    const int a = col[i];
                    g[a] -= d[0] * x[i];
                    const double dx = d[1] * x[i];
                    double* Ha = S.pH + static_cast<long>(a) * (a + 1) / 2;
                    for (int j = 0; j <= i; ++j) Ha[col[j]] += dx * x[j];
                }
                if (hasscale) {
                    g[sc] -= d[0] * zc;
                    double t = zc * d[1];
                    if (intv) {
                        g[sc] -= d[2] * h;
                        t += h * d[3];
                    }
                    for (int i = 0; i < n; ++i) Hs[col[i]] += x[i] * t;
                    Hs[sc] += zc * t;
                    if (intv) Hs[sc] += (d[4] * h + zc * d[3]) * h;
                    if (gam) {
                        const double u = d[6] * inv;
                        g[r] += d[5];
                        for (int i = 0; i < n; ++i) Hr[col[i]] -= x[i] * u;
                        Hr[sc] -= zc * u;
                        if (intv) Hr[sc] -= h * d[7] * inv;
                        Hr[r] += d[8];
                    }
                }
                S.row();
            }
            return true;
        });
        S.fold();
        if (!failed && !s->step.stepend) {
            const double nexact = s->mdl.sumwt[MSW_EXACT];
            if (f.wantvalue) s->mdl.fit.loglik.current = static_cast<double>(S.ll - std::log(static_cast<long double>(sigma)) * nexact);
            if (f.wantderiv) {
                if (hasscale) {
                    long double* G = S.g;
                    long double* HS = S.H + static_cast<long>(sc) * (sc + 1) / 2;
                    G[sc] += nexact;
                    for (int j = 0; j < sc; ++j) HS[j] -= G[j];
                    HS[sc] = nexact - 2.0L * G[sc] + HS[sc];
                    if (sigma != 1.0) {
                        const long double iv = 1.0L / sigma, iv2 = iv * iv;
                        for (int j = 0; j <= sc; ++j) G[j] *= iv;
                        const long t = static_cast<long>(sc + 1) * (sc + 2) / 2;
                        for (long k = 0; k < t; ++k) S.H[k] *= iv2;
                    }
                }
                S.store(f.grad, f.hess);
            }
        }
        if (s->step.stepend) failed = true;
    }
    f.finish(failed);
    return 0;
}

int loglike1(vyxstate* s, int mode) {
    likframe f(s, mode);
    const mdllayout* L = s->mdl.mdllay;
    const int32_t* map = s->mdl.parmmap;
    const int ncol = L->ncol, r = ncol + L->nls;
    const bool interval = s->inwork.rspkind >= 2;
    const kernfn value = s->mdl.fit.prob_fn[KN_VALUE], deriv = s->mdl.fit.prob_fn[KN_DERIV];
    const bool sev = value == zprblwb && deriv == zprbwwb;
    bool failed = false;
    dersums& S = f.sums;

    if (!f.shapefrom(r)) {
        failed = true;
    } else {
        cellbuf cbm(L->ne), cbl(L->nl > 0 ? L->nl : 1);
        int* col = cbm.col();
        double* x = cbm.x();
        int* lcol = cbl.col();
        double* u = cbl.x();
        double* g = S.pg;
        double* Hr = S.pH + static_cast<long>(r) * (r + 1) / 2;
        const double* shp = s->mdl.gammafam ? f.shape.v : nullptr;
        const bool gam = s->mdl.gammafam != 0;
        forblocks(s, [&](char* rows, int64_t count) {
            for (int64_t k = 0; k < count; ++k) {
                const descell* row = desrowat(rows, L, k);
                double eta, psi;
                const int n = gather(L, map, f.b, row, 0, L->ne, col, x, &eta);
                const int nl = gather(L, map, f.b, row, L->ne, L->ne + L->nl, lcol, u, &psi);
                if (!(psi < EXP_OVER)) {
                    failed = true;
                    return false;
                }
                const double sigma = std::exp(psi);
                if (!(sigma >= SQRT_MIN)) {
                    failed = true;
                    return false;
                }
                const double inv = 1.0 / sigma;
                const int code = row[L->cens()].col;
                const double w = L->hasfreq ? row[L->freq()].value : 1.0;
                const bool exact = code == CEN_EXACT;
                const double z1 = (row[L->rsp()].value - eta) * inv;
                double zk[2] = {z1, 0.0};
                double z = z1, h = 0.0;
                const bool intv = interval && code == CEN_INTERVAL;
                if (intv) {
                    const double z2 = (row[L->upper()].value - eta) * inv;
                    z = 0.5 * (z1 + z2);
                    h = 0.5 * (z2 - z1);
                    zk[0] = z;
                    zk[1] = h;
                }
                double d[10];
                double v0;
                const bool quick = sev && sevrow(code, zk[0], &v0, d);
                if (f.wantvalue) {
                    if (!quick && value(code, zk, shp, d) != 0) {
                        failed = true;
                        return false;
                    }
                    const double v = quick ? v0 : d[0];
                    S.pll -= w * (exact ? v + psi : v);
                }
                if (!f.wantderiv) {
                    S.row();
                    continue;
                }
                if (!quick && deriv(code, zk, shp, d) != 0) {
                    if (f.derivkernelfailed()) {
                        failed = true;
                        return false;
                    }
                    S.row();
                    continue;
                }
                if (w != 1.0) scaleouts(d, w, intv, gam);
                // With psi = ln sigma and z = (y - eta) e^-psi: dz/dpsi = -z.
                double A = d[0] * z, B = d[1] * z;
                if (intv) {
                    A += d[2] * h;
                    B += d[3] * h;
                }
                if (exact) A -= w;
                const double E = B + d[0];
                double D = z * B;
                if (intv) D += (z * d[3] + d[4] * h) * h;
                // The second derivative in psi is z B + A (+ w for an exact row): the term in
                // the first derivative enters once (A holds -w for an exact row).
                D += A;
                if (exact) D += w;
                const double d1s = d[1] * inv * inv;
                const double Es = E * inv;
                for (int i = 0; i < n; ++i) {
                    const int a = col[i];
                    g[a] -= d[0] * x[i] * inv;
                    double* Ha = S.pH + static_cast<long>(a) * (a + 1) / 2;
                    const double dx = d1s * x[i];
                    for (int j = 0; j <= i; ++j) Ha[col[j]] += dx * x[j];
                }
                for (int l = 0; l < nl; ++l) {
                    const int cl = lcol[l];
                    double* Hl = S.pH + static_cast<long>(cl) * (cl + 1) / 2;
                    for (int i = 0; i < n; ++i) Hl[col[i]] += Es * u[l] * x[i];
                    g[cl] -= A * u[l];
                    for (int m = 0; m <= l; ++m) Hl[lcol[m]] += D * u[l] * u[m];
                }
                if (gam) {
                    g[r] += d[5];
                    const double ds = d[6] * inv;
                    for (int i = 0; i < n; ++i) Hr[col[i]] -= ds * x[i];
                    double zt = z * d[6];
                    if (intv) zt += h * d[7];
                    for (int l = 0; l < nl; ++l) Hr[lcol[l]] -= zt * u[l];
                    Hr[r] += d[8];
                }
                S.row();
            }
            return true;
        });
        S.fold();
        if (!failed && !s->step.stepend) {
            if (f.wantvalue) s->mdl.fit.loglik.current = static_cast<double>(S.ll);
            if (f.wantderiv) S.store(f.grad, f.hess);
        }
        if (s->step.stepend) failed = true;
    }
    f.finish(failed);
    return 0;
}

int zlnull(int, const double*, const double*, double* out) {
    out[0] = 1.0;
    return 0;
}

int zwnull(int, const double* z, const double*, double* out) {
    out[0] = -z[0];
    out[1] = 1.0;
    return 0;
}
