// Simple bounds, linear constraints and the active set.
#include <gtest/gtest.h>
#include <cfloat>
#include <cmath>
#include <vector>
#include "nrharness.h"
#include "proc/numeric/bounds.h"
#include "proc/numeric/linalg.h"

using namespace numtest;

namespace {
// f = (x - 2)^2 + (y - 3)^2 + x y / 2.
void bowl(nrharness& h) {
    h.f = [](const double* x) {
        return (x[0] - 2) * (x[0] - 2) + (x[1] - 3) * (x[1] - 3) + 0.5 * x[0] * x[1];
    };
    h.derivs = [](const double* x, double* g, double* H) {
        g[0] = 2 * (x[0] - 2) + 0.5 * x[1];
        g[1] = 2 * (x[1] - 3) + 0.5 * x[0];
        H[0] = 2;
        H[1] = 0.5;
        H[2] = 2;
    };
}
void bounded(nrharness& h, double xlow, double xup) {
    h.ctl.bndmode = 1;
    h.lower = {xlow, -DBL_MAX};
    h.upper = {xup, DBL_MAX};
}
}  // namespace

TEST(Bounds, BlockedStepHoldsTheParameterAtItsBound) {
    nrharness h(2);
    bowl(h);
    bounded(h, -DBL_MAX, 1.0);
    h.x = {0.0, 0.0};
    EXPECT_EQ(h.run(), NR_CONVERGED);
    // With x held at 1: minimise over y, 2(y - 3) + 0.5 = 0.
    EXPECT_DOUBLE_EQ(h.x[0], 1.0);
    EXPECT_NEAR(h.x[1], 2.75, 1e-14);
    EXPECT_EQ(h.ctl.nact, 1);
    EXPECT_EQ(h.blk.actlist[0], 0);
    EXPECT_EQ(h.blk.actlist[1], -1);
    EXPECT_EQ(h.blk.pfree[0], 0.0);
    EXPECT_EQ(h.blk.pfree[1], 1.0);
}

TEST(Bounds, StartOnABoundIsFeasibleAndActiveOnlyOnceItBlocks) {
    nrharness h(2);
    bowl(h);
    bounded(h, -DBL_MAX, 1.0);
    h.x = {1.0, 0.0};
    int nactSeen = -1;
    h.onIter = [&](nrharness& s) {
        if (nactSeen < 0) nactSeen = s.ctl.nact;
        return s.changetest();
    };
    EXPECT_EQ(h.run(), NR_CONVERGED);
    // First iteration: blocked at once (step 0 <= 1e-5): the bound becomes active with no
    // objective evaluation and no callbacks; then one step in y and a null step.
    EXPECT_EQ(nactSeen, 1);
    EXPECT_EQ(h.nobj, 2);
    EXPECT_EQ(h.niter, 2);
    EXPECT_NEAR(h.x[1], 2.75, 1e-14);
}

TEST(Bounds, StartOutsideTheBoundsIsInfeasible) {
    nrharness h(2);
    bowl(h);
    bounded(h, 0.5, 1.0);
    h.x = {1.0 + 1e-12, 0.0};
    EXPECT_EQ(h.run(), NR_INFEASIBLE);
    EXPECT_EQ(h.nobj, 1);
    EXPECT_EQ(h.ngrad, 1);
}

TEST(Bounds, ReleasingParameters) {
    std::vector<double> pfree(3), lower(3, -DBL_MAX), upper(3, DBL_MAX), x(3, 0.0);
    std::vector<int32_t> act(3);
    nrctl ctl{};
    ctl.npar = 3;
    ctl.bndmode = 1;
    nrparm blk{};
    blk.pfree = pfree.data();
    blk.actlist = act.data();
    blk.lower = lower.data();
    blk.upper = upper.data();
    blk.x = x.data();
    double ridge = 5.0;
    ASSERT_EQ(zbinit(&ctl, &blk), 0);
    zcondrp(&ctl, &blk, 1, &ridge);  // nothing held: nothing to release
    EXPECT_EQ(ctl.nact, 0);
    EXPECT_EQ(ridge, 5.0);
    zconadd(&ctl, &blk, 2, &ridge);
    zconadd(&ctl, &blk, 0, &ridge);
    EXPECT_EQ(ridge, 0.0);
    EXPECT_EQ(act, (std::vector<int32_t>{2, 0, -1}));
    ridge = 5.0;
    zcondrp(&ctl, &blk, 1, &ridge);  // parameter 1 is free: the list stays as it is
    EXPECT_EQ(act, (std::vector<int32_t>{2, 0, -1}));
    EXPECT_EQ(ctl.nact, 2);
    zcondrp(&ctl, &blk, 2, &ridge);
    EXPECT_EQ(act, (std::vector<int32_t>{0, -1, -1}));
    EXPECT_EQ(pfree, (std::vector<double>{0, 1, 1}));
    EXPECT_EQ(ridge, 0.0);
    zcondrp(&ctl, &blk, 0, &ridge);
    EXPECT_EQ(ctl.nact, 0);
    EXPECT_EQ(act, (std::vector<int32_t>{-1, -1, -1}));
}

TEST(Bounds, IterationCallbackReleasesAHeldParameter) {
    // x is held at its bound 1; once y has converged the callback releases x (code -1).
    // The next Newton direction points beyond the bound again, so the bound blocks at
    // once and x is held again without an objective evaluation.
    nrharness h(2);
    bowl(h);
    bounded(h, -DBL_MAX, 1.0);
    h.x = {0.0, 0.0};
    int releasedAt = -1, nobjAtRelease = 0;
    std::vector<int> nactSeen;
    h.onIter = [&](nrharness& s) {
        nactSeen.push_back(s.ctl.nact);
        const int rc = s.changetest();
        if (rc == 0 && releasedAt < 0) {
            releasedAt = s.niter;
            nobjAtRelease = s.nobj;
            return -(0 + 1);
        }
        return rc;
    };
    EXPECT_EQ(h.run(), NR_CONVERGED);
    ASSERT_GT(releasedAt, 0);
    EXPECT_EQ(h.ctl.nact, 1);
    EXPECT_EQ(h.blk.actlist[0], 0);
    EXPECT_EQ(h.nobj, nobjAtRelease);  // re-blocked at step 0: no new evaluation
    EXPECT_DOUBLE_EQ(h.x[0], 1.0);
    EXPECT_NEAR(h.x[1], 2.75, 1e-14);
}

TEST(LinearConstraints, EqualityHeldFromTheStart) {
    nrharness h(2);
    bowl(h);
    h.ctl.neq = 1;
    h.amat = {1.0, 1.0};
    h.bvec = {1.0};
    h.x = {0.5, 0.5 + 4e-13};  // satisfied within 1e-12 relative
    int nactSeen = -1;
    h.onIter = [&](nrharness& s) {
        if (nactSeen < 0) nactSeen = s.ctl.nact;
        return s.changetest();
    };
    EXPECT_EQ(h.run(), NR_CONVERGED);
    EXPECT_EQ(nactSeen, 1);
    // On x + y = 1: f(t, 1 - t) is minimal where 2(t-2) - 2(-2-t)... solve directly.
    // d/dt [(t-2)^2 + (-2-t)^2 + t(1-t)/2] = 2(t-2) + 2(t+2) + 1/2 - t = 3t + 1/2 = 0.
    EXPECT_NEAR(h.x[0], -1.0 / 6.0, 1e-12);
    EXPECT_NEAR(h.x[0] + h.x[1], 1.0 + 4e-13, 1e-15);
}

TEST(LinearConstraints, EqualityOffByMoreThanTheToleranceIsInfeasible) {
    nrharness h(2);
    bowl(h);
    h.ctl.neq = 1;
    h.amat = {1.0, 1.0};
    h.bvec = {1.0};
    h.x = {0.5, 0.5 + 3e-12};
    EXPECT_EQ(h.run(), NR_INFEASIBLE);
}

TEST(LinearConstraints, InequalityBecomesActiveWhenItBlocks) {
    nrharness h(2);
    bowl(h);
    h.ctl.nineq = 2;
    h.amat = {-1.0, -1.0, 1.0, 0.0};  // x + y <= 1 and x >= -5 (never reached)
    h.bvec = {-1.0, -5.0};
    h.x = {0.0, 0.0};
    EXPECT_EQ(h.run(), NR_CONVERGED);
    EXPECT_NEAR(h.x[0], -1.0 / 6.0, 1e-12);
    EXPECT_NEAR(h.x[1], 7.0 / 6.0, 1e-12);
    EXPECT_EQ(h.ctl.nact, 1);
    EXPECT_EQ(h.blk.actlist[0], 0);
}

TEST(LinearConstraints, InequalityViolatedAtTheStart) {
    nrharness h(2);
    bowl(h);
    h.ctl.nineq = 1;
    h.amat = {-1.0, -1.0};
    h.bvec = {-1.0};
    h.x = {0.6, 0.6};
    EXPECT_EQ(h.run(), NR_INFEASIBLE);
}

namespace {
// Linear-mode blocks over caller storage, sized like the optimiser's partition.
struct linsetup {
    int n, m;
    std::vector<double> amat, bvec, hh, beta, pfree, x, hess, fact, grad, scratch;
    std::vector<int32_t> act;
    nrctl ctl{};
    nrparm blk{};
    double ridge = 0.0;
    linsetup(int n_, std::vector<double> a)
        : n(n_), m(static_cast<int>(a.size()) / n_), amat(std::move(a)), bvec(m, 0.0), hh(n * m),
          beta(m), pfree(n), x(n, 0.0), hess(n * (n + 1) / 2), fact(n * n + n), grad(n), scratch(n), act(m) {
        ctl.npar = n;
        ctl.nineq = m;
        blk.amat = amat.data();
        blk.bvec = bvec.data();
        blk.hhvec = hh.data();
        blk.hhbeta = beta.data();
        blk.pfree = pfree.data();
        blk.actlist = act.data();
        blk.x = x.data();
        blk.hess = hess.data();
        blk.fact = fact.data();
        blk.grad = grad.data();
        blk.scratch = scratch.data();
        zcinit(&ctl, &blk, &ridge);
    }
    // Active row j reflected by all active reflections: zero beyond component j.
    double belowdiag() {
        double worst = 0.0;
        for (int j = 0; j < ctl.nact; ++j) {
            std::vector<double> r(amat.begin() + j * n, amat.begin() + (j + 1) * n);
            for (int p = 0; p < ctl.nact; ++p)
                zhh2(r.data(), hh.data() + p * n - p * (p - 1) / 2, p, beta[p], 1, n);
            for (int i = j + 1; i < n; ++i) worst = std::fmax(worst, std::fabs(r[i]));
        }
        return worst;
    }
};
}  // namespace

TEST(ActiveSet, ReflectionsFactorTheActiveRowsThroughAddsAndReleases) {
    linsetup s(4, {1, 2, 0, 1, 0, 1, 1, 0, 2, 0, 1, 1, 1, 1, 1, 1});
    for (int k : {2, 3, 2, 3}) zconadd(&s.ctl, &s.blk, k, &s.ridge);  // swaps rows as it goes
    EXPECT_EQ(s.ctl.nact, 4);
    EXPECT_LT(s.belowdiag(), 1e-14);
    // Releasing the last active constraint rebuilds nothing: the other reflections stay.
    const std::vector<double> hh = s.hh, beta = s.beta;
    const int32_t last = s.act[3];
    zcondrp(&s.ctl, &s.blk, 3, &s.ridge);
    EXPECT_EQ(s.ctl.nact, 3);
    EXPECT_EQ(s.act[3], last);
    for (int i = 0; i < 3 * 4 - 3; ++i) EXPECT_EQ(s.hh[i], hh[i]);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(s.beta[j], beta[j]);
    // Releasing the first one moves the last active one into its place and rebuilds.
    const int32_t moved = s.act[2], first = s.act[0];
    zcondrp(&s.ctl, &s.blk, 0, &s.ridge);
    EXPECT_EQ(s.ctl.nact, 2);
    EXPECT_EQ(s.act[0], moved);
    EXPECT_EQ(s.act[2], first);
    EXPECT_LT(s.belowdiag(), 1e-14);
    // A position that is not active is left alone.
    zcondrp(&s.ctl, &s.blk, 3, &s.ridge);
    EXPECT_EQ(s.ctl.nact, 2);
}

TEST(ActiveSet, ZeroRowGivesTheIdentityReflection) {
    linsetup s(3, {0, 0, 0, 1, 0, 0});
    zconadd(&s.ctl, &s.blk, 0, &s.ridge);
    EXPECT_EQ(s.beta[0], 0.0);
    std::vector<double> v = {1, 2, 3};
    EXPECT_EQ(zhh2(v.data(), s.hh.data(), 0, s.beta[0], 1, 3), 1);
    EXPECT_EQ(v, (std::vector<double>{1, 2, 3}));
}

TEST(ActiveSet, ReducedHessianAndDirectionMatchADenseNullSpace) {
    // n = 3, one active row a = (1, 2, 2)/3; Z is any orthonormal basis of a's complement.
    linsetup s(3, {1, 2, 2});
    zconadd(&s.ctl, &s.blk, 0, &s.ridge);
    s.hess = {4, 1, 3, 0.5, -1, 5};
    s.grad = {1, -2, 0.5};
    s.blk.hess = s.hess.data();
    s.blk.grad = s.grad.data();
    zhproj(&s.ctl, &s.blk);
    const std::vector<double> red(s.fact.begin(), s.fact.begin() + 3);
    // Dense: Z = [(2, -1, 0)/sqrt5, (2, 4, -5)/sqrt45].
    const double z[2][3] = {{2 / std::sqrt(5.0), -1 / std::sqrt(5.0), 0},
                            {2 / std::sqrt(45.0), 4 / std::sqrt(45.0), -5 / std::sqrt(45.0)}};
    const double H[3][3] = {{4, 1, 0.5}, {1, 3, -1}, {0.5, -1, 5}};
    double m[2][2];
    for (int p = 0; p < 2; ++p)
        for (int q = 0; q < 2; ++q) {
            m[p][q] = 0.0;
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j) m[p][q] += z[p][i] * H[i][j] * z[q][j];
        }
    // Bases differ by a rotation or reflection: trace and determinant agree.
    EXPECT_NEAR(red[0] + red[2], m[0][0] + m[1][1], 1e-13);
    EXPECT_NEAR(red[0] * red[2] - red[1] * red[1], m[0][0] * m[1][1] - m[0][1] * m[1][0], 1e-12);
    // The direction -Z (Z'HZ)^-1 Z'g does not depend on the basis.
    for (int i = 0; i < 2; ++i) zchol(i, s.blk.fact, 1e-12);
    std::vector<double> d(3), tmp(3);
    zgproj(&s.ctl, &s.blk, d.data(), tmp.data());
    double zg[2] = {0, 0};
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < 3; ++i) zg[p] += z[p][i] * s.grad[i];
    const double det = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    const double w0 = (m[1][1] * zg[0] - m[0][1] * zg[1]) / det;
    const double w1 = (m[0][0] * zg[1] - m[1][0] * zg[0]) / det;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(d[i], -(z[0][i] * w0 + z[1][i] * w1), 1e-13);
    EXPECT_NEAR(d[0] + 2 * d[1] + 2 * d[2], 0.0, 1e-14);  // stays on the constraint
}
