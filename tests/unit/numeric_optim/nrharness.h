// A small driver around znewrap: the problem's objective and derivatives as functions of
// x, counts of the callbacks, and the callers' convergence test.
#pragma once
#include <cmath>
#include <functional>
#include <vector>
#include "proc/numeric/optimizer.h"

namespace numtest {

struct nrharness {
    int n;
    std::vector<double> x, xprev, grad, hess, scratch, work;
    std::vector<double> amat, bvec, lower, upper;
    nrparm blk{};
    nrctl ctl{};
    double ridge = 0.0;
    std::function<double(const double*)> f;
    std::function<void(const double*, double*, double*)> derivs;  // gradient and packed Hessian
    std::function<int(nrharness&)> onIter;                        // default: change test
    double crit = 1e-10;
    int nobj = 0, ngrad = 0, niter = 0;
    std::vector<double> ridges;  // the ridge factor seen by each iteration callback

    explicit nrharness(int n_) : n(n_), x(n_), xprev(n_), grad(n_), hess(n_ * (n_ + 1) / 2), scratch(n_) {
        ctl.npar = n;
        ctl.usedflt = 1;
    }

    // The callers' test: go on while any parameter moved by more than crit, absolutely
    // below 2^-7 in magnitude, else relatively.
    int changetest() const {
        for (int i = n - 1; i >= 0; --i) {
            const double d = std::fabs(x[i] - xprev[i]);
            const double v = std::fabs(x[i]) < 0.0078125 ? d : std::fabs(d / x[i]);
            if (v > crit) return 1;
        }
        return 0;
    }

    static double objcb(void* c) {
        auto* h = static_cast<nrharness*>(c);
        ++h->nobj;
        return h->f(h->x.data());
    }
    static int gradcb(void* c) {
        auto* h = static_cast<nrharness*>(c);
        ++h->ngrad;
        h->derivs(h->x.data(), h->grad.data(), h->hess.data());
        return 0;
    }
    static int itercb(void* c) {
        auto* h = static_cast<nrharness*>(c);
        ++h->niter;
        h->ridges.push_back(h->ridge);
        return h->onIter ? h->onIter(*h) : h->changetest();
    }

    int run() {
        const long m = static_cast<long>(ctl.neq) + ctl.nineq;
        work.assign(static_cast<size_t>(znewrap_worksize(&ctl)) + 1, std::nan(""));
        blk.work = work.data();
        blk.hess = hess.data();
        blk.grad = grad.data();
        blk.scratch = scratch.data();
        blk.xprev = xprev.data();
        blk.x = x.data();
        blk.amat = m ? amat.data() : nullptr;
        blk.bvec = m ? bvec.data() : nullptr;
        blk.lower = lower.empty() ? nullptr : lower.data();
        blk.upper = upper.empty() ? nullptr : upper.data();
        blk.actlist = nullptr;
        return znewrap(this, &blk, &ctl, &ridge, &objcb, &gradcb, &itercb);
    }
};

}  // namespace numtest
