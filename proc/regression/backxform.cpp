// The fit works on centred and scaled design columns and, without LOGSCALE, carries the
// intercept as the quantile at PSTABLE. Here the estimates, the gradient and the Hessian go
// back to the parameters of the data's own columns and the plain intercept.
#include <cstring>

#include "proc/framework/pools.h"
#include "proc/framework/msg0.h"
#include "proc/lifedist/lifedist.h"
#include "proc/numeric/linalg.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"
#include "proc/regression/mtable.h"

using namespace mfit;

namespace {

// theta = J beta with theta_a = s_a beta_a for a design column that is not an intercept and
// theta_i = beta_i + sum m_a beta_a over the columns a of an intercept i that is estimated:
// column a of J holds s_a on the diagonal and m_a in the row of its intercept (top[a]).
struct jacobian {
    int p;
    double* sc;    // s_a (1 for intercepts and distribution parameters)
    double* mc;    // m_a (0 when the column's block has no estimated intercept)
    int* top;      // the intercept of column a, or -1
};

// g := J'g and H := J'HJ; old is room for a copy of H.
void jtransform(const jacobian& J, double* g, double* H, double* old) {
    const int p = J.p;
    const long t = static_cast<long>(p) * (p + 1) / 2;
    std::memcpy(old, H, sizeof(double) * static_cast<size_t>(t));
    const double* g0 = old + t;   // the gradient copy follows the matrix copy
    std::memcpy(old + t, g, sizeof(double) * static_cast<size_t>(p));
    auto h = [&](int i, int j) { return old[zisub(i, j)]; };
    for (int a = 0; a < p; ++a) {
        const int ia = J.top[a];
        g[a] = J.sc[a] * g0[a] + (ia >= 0 ? J.mc[a] * g0[ia] : 0.0);
        for (int b = 0; b <= a; ++b) {
            const int ib = J.top[b];
            double v = J.sc[a] * J.sc[b] * h(a, b);
            if (ib >= 0) v += J.sc[a] * J.mc[b] * h(a, ib);
            if (ia >= 0) v += J.mc[a] * J.sc[b] * h(ia, b);
            if (ia >= 0 && ib >= 0) v += J.mc[a] * J.mc[b] * h(ia, ib);
            H[zisub(a, b)] = v;
        }
    }
}

// The Jacobian of one model's blocks: [first, last) design columns with their intercept at
// first, estimated unless fixed.
void block(const vyxstate* s, jacobian& J, int first, int last, bool fixed) {
    for (int a = first + 1; a < last; ++a) {
        J.sc[a] = scale(s, a);
        J.mc[a] = fixed ? 0.0 : centre(s, a);
        J.top[a] = fixed ? -1 : first;
    }
}

// Estimates on the data's scale: slopes divided by their scales, the intercept less the
// centring (when it is estimated).
void mapestimates(const vyxstate* s, double* b, int first, int last, bool fixed) {
    for (int j = first + 1; j < last; ++j) {
        if (!fixed) b[first] -= b[j] * centre(s, j) / scale(s, j);
        b[j] /= scale(s, j);
    }
}

// The last gradient and Hessian of the kept parameters (ITPRINT).
void lastgradhess(vyxstate* s) {
    const int p = s->mdl.fit.npar.total;
    int k = 0;
    for (int j = 0; j < p; ++j) k += s->mdl.parmmap[j] >= 0;
    auto* rownames = poolget<txthandle>(s->pools.bypool, k + 1, poolflag::zeroed_marked);
    if (!rownames) {
        xmemmsg(static_cast<int64_t>(k + 1) * static_cast<int64_t>(sizeof(txthandle)));
        return;
    }
    const auto* names = static_cast<txthandle*>(s->mdl.fit.parmnames);
    rownames[0] = rdxmsg(0, T0_GRADIENT);
    for (int i = 0; i < k; ++i) rownames[i + 1] = names[i];
    double* compact = s->mdl.fit.fitarr.work;
    for (int a = 0; a < p; ++a) {
        const int ia = s->mdl.parmmap[a];
        if (ia < 0) continue;
        s->mdl.estdata[ia] = s->mdl.fit.fitarr.grad[a];
        for (int b = 0; b <= a; ++b) {
            const int ib = s->mdl.parmmap[b];
            if (ib >= 0) compact[zisub(ia, ib)] = s->mdl.fit.fitarr.hess[zisub(a, b)];
        }
    }
    s->mdl.mdlgradhess = 1;
    wobitem it[] = {obtext(OBK_TEMPLATE, mtext("KV.Vitalyx.GradHess")),
                    obtext(OBK_NAME, mtext("ModLastGradHess")),
                    obptr(OBK_MACCESSOR, OBT_ROUTINE, reinterpret_cast<void*>(&MatElem)),
                    obptr(OBK_MCONTEXT, OBT_VARPTR, s),
                    obint(OBK_MROWS, k + 1),
                    obint(OBK_MCOLS, k),
                    obstr(OBK_MFORM, "fb", 2),
                    obptr(OBK_MROWNAMES, OBT_SLOT, rownames),
                    obptr(OBK_MCOLNAMES, OBT_SLOT, s->mdl.fit.parmnames),
                    obtext(OBK_TITLE, rdxmsg(0, T0_GRADIENT_HESSIAN))};
    mtable t(s);
    t.call(s->out.outmgr, OB_MATRIX, 10, it);
    s->mdl.mdlgradhess = 0;
}

// The common steps of both models; shift: the intercept carries the quantile at PSTABLE.
void fixup(vyxstate* s, bool logscale) {
    const mdlcounts n = mdlsizes(s);
    const int p = n.p;
    double* b = s->mdl.fit.fitarr.est;
    double* g = s->mdl.fit.fitarr.grad;
    double* H = s->mdl.fit.fitarr.hess;
    if (p != s->mdl.fit.npar.free) {
        vyxxpm(g, s->mdl.parmstat, p, H);
        vyxxpm(b, s->mdl.parmstat, p, nullptr);
    }
    std::memcpy(s->mdl.estfit, b, sizeof(double) * static_cast<size_t>(p));

    const bool shift = !logscale && !s->mdl.intfix && n.ndist > 0;
    const double q = shift ? s->mdl.shiftq : 0.0;
    mapestimates(s, b, 0, n.ncol, s->mdl.intfix);
    if (shift) b[0] -= b[n.ncol] * q;
    if (logscale) mapestimates(s, b, n.ncol, n.ntot, s->mdl.lsintfix);

    // Room for the Jacobian and the copies: the covariance block, unused until the covariance.
    double* room = s->mdl.covsave;
    jacobian J{p, room, room + p, reinterpret_cast<int*>(room + 2 * p)};
    double* old = s->mdl.fit.fitarr.work + static_cast<long>(p + 1) * (p + 2) / 2 + 2 * (p + 1);
    for (int a = 0; a < p; ++a) {
        J.sc[a] = 1.0;
        J.mc[a] = 0.0;
        J.top[a] = -1;
    }
    block(s, J, 0, n.ncol, s->mdl.intfix);
    if (logscale) block(s, J, n.ncol, n.ntot, s->mdl.lsintfix);
    jtransform(J, g, H, old);

    if (shift) {
        // theta_0 = beta_0 + q sigma: the scale's row takes q times the intercept's.
        const int sc = n.ncol;
        const double hs0 = H[zisub(sc, 0)], h00 = H[0];
        g[sc] += q * g[0];
        for (int j = 0; j < sc; ++j) H[zisub(sc, j)] += q * H[zisub(j, 0)];
        H[zisub(sc, sc)] += 2.0 * q * hs0 + q * q * h00;
        for (int c = sc + 1; c < p; ++c) H[zisub(c, sc)] += q * H[zisub(c, 0)];
    }
    if (s->mdl.fit.itprflag.itprint) lastgradhess(s);
    std::memcpy(s->mdl.estdata, b, sizeof(double) * static_cast<size_t>(p));
}

}  // namespace

void vyxmxup(vyxstate* s) {
    if (s->mdl.haslogscl) fixup1(s);
    else fixup0(s);
}

void fixup0(vyxstate* s) { fixup(s, false); }
void fixup1(vyxstate* s) { fixup(s, true); }
