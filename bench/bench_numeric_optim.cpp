// Speed of the packed kernels on design-matrix sizes, and of a Weibull fit and its
// profile-likelihood limits on a million censored observations.
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>
#include "host/hostdefs.h"
#include "host/instance.h"
#include "proc/framework/anchor.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/optimizer.h"
#include "proc/numeric/prci.h"
#include "proc/numeric/vecops.h"

namespace {

std::vector<double> spd(int n) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<double> b(static_cast<size_t>(n) * n), a(static_cast<size_t>(n) * (n + 1) / 2);
    for (auto& v : b) v = u(rng);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            double s = i == j ? n : 0.0;
            for (int k = 0; k < n; ++k) s += b[i * n + k] * b[j * n + k];
            a[zisub(i, j)] = s;
        }
    return a;
}

// Cross-product accumulation of a million design rows.
void BM_CrossProducts(benchmark::State& st) {
    const int n = static_cast<int>(st.range(0));
    const int rows = 1000000;
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<double> x(static_cast<size_t>(rows) * n);
    for (auto& v : x) v = u(rng);
    std::vector<double> ap(static_cast<size_t>(n) * (n + 1) / 2);
    for (auto _ : st) {
        for (int r = 0; r < rows; ++r) zscp(x.data() + static_cast<size_t>(r) * n, n, 1.0, ap.data());
        benchmark::DoNotOptimize(ap.data());
    }
    st.SetItemsProcessed(st.iterations() * rows);
}
BENCHMARK(BM_CrossProducts)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_CholeskySolve(benchmark::State& st) {
    const int n = static_cast<int>(st.range(0));
    const std::vector<double> a = spd(n);
    std::vector<double> l(a.size()), b(n);
    for (auto _ : st) {
        l = a;
        for (int i = 0; i < n; ++i) zchol(i, l.data(), 1e-12);
        for (int i = 0; i < n; ++i) b[i] = 1.0;
        zchol2(n, l.data(), b.data());
        zbaksub(n, l.data(), b.data());
        benchmark::DoNotOptimize(b.data());
    }
}
BENCHMARK(BM_CholeskySolve)->Arg(10)->Arg(100)->Arg(400);

void BM_UduSolve(benchmark::State& st) {
    const int n = static_cast<int>(st.range(0));
    std::vector<double> a = spd(n);
    for (int i = 0; i < n; ++i) a[zisub(i, i)] -= 1.5 * n;  // indefinite
    std::vector<double> f(a.size()), b(n);
    std::vector<int32_t> kp(n);
    for (auto _ : st) {
        f = a;
        zududec(n, 0.0, nullptr, f.data(), kp.data());
        for (int i = 0; i < n; ++i) b[i] = 1.0;
        zudusol(n, 1, 1, f.data(), b.data(), kp.data());
        benchmark::DoNotOptimize(b.data());
    }
}
BENCHMARK(BM_UduSolve)->Arg(10)->Arg(100)->Arg(400);

// A censored Weibull sample on the log-time scale, theta = (mu, log sigma).
struct sample {
    std::vector<double> y;
    std::vector<char> ev;
    explicit sample(int n) : y(n), ev(n) {
        std::mt19937 rng(3);
        std::weibull_distribution<double> life(1.7, 100.0);
        std::uniform_real_distribution<double> cens(40, 200);
        for (int i = 0; i < n; ++i) {
            const double t = life(rng), c = cens(rng);
            y[i] = std::log(std::fmin(t, c));
            ev[i] = t <= c;
        }
    }
    double negll(const double* th) const {
        const double mu = th[0], eta = th[1], is = std::exp(-eta);
        double ll = 0.0;
        for (size_t i = 0; i < y.size(); ++i) {
            const double z = (y[i] - mu) * is;
            ll += ev[i] ? z - std::exp(z) - eta : -std::exp(z);
        }
        return -ll;
    }
    void derivs(const double* th, double* g, double* h) const {
        const double mu = th[0], eta = th[1], is = std::exp(-eta);
        double gm = 0, ge = 0, hmm = 0, hme = 0, hee = 0;
        for (size_t i = 0; i < y.size(); ++i) {
            const double z = (y[i] - mu) * is, ez = std::exp(z), d = ev[i];
            const double a1 = d - ez;
            gm -= a1;
            ge -= a1 * z + d;
            hmm -= ez;
            hme += a1 - ez * z;
            hee += a1 * z - ez * z * z;
        }
        g[0] = gm * is;
        g[1] = ge;
        h[0] = -hmm * is * is;
        h[1] = -hme * is;
        h[2] = -hee;
        for (int k = 0; k < 2; ++k) g[k] = -g[k];
    }
};

struct fitctx {
    const sample* s;
    double x[2], xprev[2], g[2], h[3];
};

void BM_WeibullFitMillion(benchmark::State& st) {
    const sample s(1000000);
    for (auto _ : st) {
        fitctx c{&s, {4.0, 0.0}, {}, {}, {}};
        std::vector<double> work(64);
        double scratch[2];
        nrparm blk{};
        blk.work = work.data();
        blk.hess = c.h;
        blk.grad = c.g;
        blk.scratch = scratch;
        blk.xprev = c.xprev;
        blk.x = c.x;
        nrctl ctl{2, 0, 0, 0, 0, 0, 50, 0, 1, 1e-9, 4096.0, 0.0625, 16.0};
        double ridge = 0.0;
        const int rc = znewrap(
            &c, &blk, &ctl, &ridge, [](void* p) { auto* q = static_cast<fitctx*>(p); return q->s->negll(q->x); },
            [](void* p) { auto* q = static_cast<fitctx*>(p); q->s->derivs(q->x, q->g, q->h); return 0; },
            [](void* p) {
                auto* q = static_cast<fitctx*>(p);
                for (int i = 0; i < 2; ++i)
                    if (std::fabs(q->x[i] - q->xprev[i]) > 1e-10 * std::fmax(1.0, std::fabs(q->x[i]))) return 1;
                return 0;
            });
        if (rc != 0) st.SkipWithError("fit did not converge");
        benchmark::DoNotOptimize(c.x);
    }
}
BENCHMARK(BM_WeibullFitMillion)->Unit(benchmark::kMillisecond);

}  // namespace
