// Per-call cost of the log-scale distribution entries: beta, gamma, noncentral chi-square
// and (noncentral) F, for probability requests (log tails and log density) and quantile
// requests, on arguments spread over their working ranges. Each method of the noncentral
// entries (series, quadrature) is timed on its own range.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/logfdist.h"
#include "proc/numeric/ncchisq.h"

namespace {

constexpr int kN = 1024;

// Two low-discrepancy sequences on (0, 1): frac(i g) for two irrational g.
double u1(int i) {
    const double v = i * 0.6180339887498949;
    return v - std::floor(v);
}
double u2(int i) {
    const double v = i * 0.7548776662466927;
    return v - std::floor(v);
}
// 10^(lo + (hi - lo) u): log-uniform on [10^lo, 10^hi].
double logspread(double lo, double hi, double u) { return std::pow(10.0, lo + (hi - lo) * u); }

struct Args {
    double x, a, b, c;
};

template <class F>
std::vector<Args> make(F f) {
    std::vector<Args> v(kN);
    for (int i = 0; i < kN; ++i) v[i] = f(i + 1);
    return v;
}

// Runs one request per iteration on the next point of the spread; the share of requests
// that failed is reported beside the time, so that a cheap failure cannot pass for speed.
template <class Call>
void run(benchmark::State& st, const std::vector<Args>& args, Call call) {
    size_t k = 0;
    int64_t failed = 0;
    for (auto _ : st) {
        const int rc = call(args[k]);
        benchmark::DoNotOptimize(rc);
        failed += rc != 0;
        k = (k + 1) & (kN - 1);
    }
    st.SetItemsProcessed(st.iterations());
    st.counters["failed"] = static_cast<double>(failed) / static_cast<double>(st.iterations());
}

constexpr uint32_t kProb = LREQ_PROB | LREQ_DENS;

// One request of each entry at the point p: x for a probability request, the target
// probability for a quantile request.
template <uint32_t Flags>
int betaCall(const Args& p) {
    betareq r{};
    r.reqflags = Flags;
    (Flags & LREQ_QUANT ? r.prob : r.x) = p.x;
    r.a = p.a;
    r.b = p.b;
    const int rc = zlogbet(&r);
    benchmark::DoNotOptimize(r);
    return rc;
}
template <uint32_t Flags>
int gammaCall(const Args& p) {
    gamreq r{};
    r.reqflags = Flags;
    (Flags & LREQ_QUANT ? r.prob : r.x) = p.x;
    r.a = p.a;
    const int rc = zloggam(&r);
    benchmark::DoNotOptimize(r);
    return rc;
}
template <uint32_t Flags>
int chisqCall(const Args& p) {
    cncreq r{};
    r.reqflags = Flags;
    (Flags & LREQ_QUANT ? r.prob : r.x) = p.x;
    r.df = p.a;
    r.ncp = p.b;
    const int rc = zlogcnc(&r);
    benchmark::DoNotOptimize(r);
    return rc;
}
template <uint32_t Flags>
int fCall(const Args& p) {
    fncreq r{};
    r.request = Flags;
    (Flags & LREQ_QUANT ? r.p : r.x) = p.x;
    r.df1 = p.a;
    r.df2 = p.b;
    r.nc = p.c;
    const int rc = zlogfnc(&r);
    benchmark::DoNotOptimize(r);
    return rc;
}
// Beta: shapes 0.1 .. 1000, x spread over (0, 1); quantiles at p 1e-12 .. 1 - 1e-6.
void BM_zlogbet_prob(benchmark::State& st) {
    const auto v = make([](int i) { return Args{u1(i), logspread(-1, 3, u2(i)), logspread(-1, 3, u1(3 * i)), 0}; });
    run(st, v, [](const Args& p) { return betaCall<kProb>(p); });
}

// Shapes from 0.5 here: with a second shape of 0.1 the quantile of 1 - 1e-6 lies within
// 1e-60 of 1 and rounds to 1, which the routine reports as a failure.
void BM_zlogbet_quant(benchmark::State& st) {
    const auto v = make([](int i) {
        return Args{u1(i) < 0.5 ? logspread(-12, std::log10(0.5), 2 * u1(i)) : 1 - logspread(-6, std::log10(0.5), 2 * u1(i) - 1),
                    logspread(std::log10(0.5), 3, u2(i)), logspread(std::log10(0.5), 3, u1(3 * i)), 0};
    });
    run(st, v, [](const Args& p) { return betaCall<LREQ_QUANT>(p); });
}

// Gamma: shapes 0.05 .. 1e4, x from 0.01 to 5 times the shape.
void BM_zloggam_prob(benchmark::State& st) {
    const auto v = make([](int i) {
        const double a = logspread(std::log10(0.05), 4, u2(i));
        return Args{a * logspread(-2, std::log10(5.0), u1(i)), a, 0, 0};
    });
    run(st, v, [](const Args& p) { return gammaCall<kProb>(p); });
}

void BM_zloggam_quant(benchmark::State& st) {
    const auto v = make([](int i) { return Args{logspread(-12, std::log10(0.999999), u1(i)), logspread(std::log10(0.05), 4, u2(i)), 0, 0}; });
    run(st, v, [](const Args& p) { return gammaCall<LREQ_QUANT>(p); });
}

// Noncentral chi-square: df 0.5 .. 200, x from 0.05 to 4 times the mean; ncp up to 500
// runs the series, above 500 the quadrature.
std::vector<Args> chisqPoints(double nclo, double nchi) {
    return make([=](int i) {
        const double df = logspread(std::log10(0.5), std::log10(200.0), u2(i));
        const double ncp = logspread(std::log10(nclo), std::log10(nchi), u1(5 * i));
        return Args{(df + ncp) * logspread(std::log10(0.05), std::log10(4.0), u1(i)), df, ncp, 0};
    });
}

int chisqProb(const Args& p) { return chisqCall<kProb>(p); }

void BM_zlogcnc_prob_series(benchmark::State& st) { run(st, chisqPoints(0.1, 500), chisqProb); }
void BM_zlogcnc_prob_quadrature(benchmark::State& st) { run(st, chisqPoints(501, 5000), chisqProb); }

void BM_zlogcnc_quant(benchmark::State& st) {
    const auto v = make([](int i) {
        return Args{logspread(-10, std::log10(0.999999), u1(i)), logspread(std::log10(0.5), std::log10(200.0), u2(i)),
                    logspread(-1, std::log10(500.0), u1(5 * i)), 0};
    });
    run(st, v, [](const Args& p) { return chisqCall<LREQ_QUANT>(p); });
}

// F: df1 and df2 0.5 .. 300, x from 0.01 to 30 times (df1 + nc)/df1; central, noncentral
// by the series (nc up to 500), noncentral by the quadrature (nc 500 to 1500), and the far
// lower tail (x down to 1e-200), where the series' start term underflows. Above nc = 1500
// the density's sum of Poisson-weighted terms may need more than its 1000 terms and fail.
std::vector<Args> fPoints(double nclo, double nchi, double mlo, double mhi) {
    return make([=](int i) {
        const double d1 = logspread(std::log10(0.5), std::log10(300.0), u2(i));
        const double d2 = logspread(std::log10(0.5), std::log10(300.0), u1(3 * i));
        const double nc = nchi == 0 ? 0.0 : logspread(std::log10(nclo), std::log10(nchi), u1(5 * i));
        return Args{(d1 + nc) / d1 * logspread(mlo, mhi, u1(i)), d1, d2, nc};
    });
}

int fProb(const Args& p) { return fCall<kProb>(p); }

void BM_zlogfnc_prob_central(benchmark::State& st) { run(st, fPoints(0, 0, -2, std::log10(30.0)), fProb); }
void BM_zlogfnc_prob_series(benchmark::State& st) { run(st, fPoints(0.1, 500, -2, std::log10(30.0)), fProb); }
void BM_zlogfnc_prob_quadrature(benchmark::State& st) { run(st, fPoints(501, 1500, -2, std::log10(30.0)), fProb); }
void BM_zlogfnc_prob_farlower(benchmark::State& st) { run(st, fPoints(20, 500, -200, -20), fProb); }

void BM_zlogfnc_quant(benchmark::State& st) {
    const bool central = st.range(0) == 0;
    const auto v = make([=](int i) {
        return Args{logspread(-10, std::log10(0.999), u1(i)), logspread(std::log10(0.5), std::log10(300.0), u2(i)),
                    logspread(std::log10(1.0), std::log10(300.0), u1(3 * i)), central ? 0.0 : logspread(-1, 2, u1(5 * i))};
    });
    run(st, v, [](const Args& p) { return fCall<LREQ_QUANT>(p); });
}

}  // namespace

BENCHMARK(BM_zlogbet_prob);
BENCHMARK(BM_zlogbet_quant);
BENCHMARK(BM_zloggam_prob);
BENCHMARK(BM_zloggam_quant);
BENCHMARK(BM_zlogcnc_prob_series);
BENCHMARK(BM_zlogcnc_prob_quadrature);
BENCHMARK(BM_zlogcnc_quant);
BENCHMARK(BM_zlogfnc_prob_central);
BENCHMARK(BM_zlogfnc_prob_series);
BENCHMARK(BM_zlogfnc_prob_quadrature);
BENCHMARK(BM_zlogfnc_prob_farlower);
BENCHMARK(BM_zlogfnc_quant)->Arg(0)->Arg(1);
