// The running MCF variances in O(1) amortised per record against the direct evaluation of
// the same estimators: every deviation of LAWLESS updated for every unit at risk and summed
// over all units at every event, and the block method with each block's per-unit sums kept
// in one triangular array and the cross terms summed over every earlier block at every event.
// Random data small enough for the direct forms: ties of events, several events of a unit at
// one time, ends of observation at event times, costs and unit weights.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "proc/mcf/mcfacc.h"

namespace {

// One record in processing order: unit index (units at risk are the indices below m), value
// (NaN for an end of observation).
struct Rec {
    int u;
    double d;
};

struct Data {
    int n;
    std::vector<double> w;   // unit weights by index
    std::vector<Rec> recs;
};

// Units end in index order n-1, n-2, ..., 0; events of a unit lie at or before its end.
Data sample(unsigned seed, int n, bool weights, bool costs) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> nev(0, 4), coin(0, 3);
    std::uniform_real_distribution<double> cost(0.2, 30.0);
    Data D;
    D.n = n;
    D.w.assign(n, 1.0);
    if (weights)
        for (int i = 0; i < n; ++i) D.w[i] = 1 + coin(rng);
    // Blocks of events between ends: before the end of unit k (k = n-1 .. 0) some events of
    // units still at risk (indices 0..k), sometimes two of one unit in a row (a tie).
    for (int k = n - 1; k >= 0; --k) {
        int e = nev(rng);
        for (int j = 0; j < e; ++j) {
            int u = std::uniform_int_distribution<int>(0, k)(rng);
            double d = costs ? cost(rng) : 1.0;
            D.recs.push_back({u, d});
            if (coin(rng) == 0) D.recs.push_back({u, costs ? cost(rng) : 1.0});
        }
        if (coin(rng) == 0 && k > 0) continue;   // sometimes two ends follow each other
        D.recs.push_back({k, NAN});
    }
    // The ends skipped above close at the end, highest index first.
    std::vector<bool> ended(n, false);
    for (auto& r : D.recs)
        if (std::isnan(r.d)) ended[r.u] = true;
    for (int k = n - 1; k >= 0; --k)
        if (!ended[k]) D.recs.push_back({k, NAN});
    // Ends must come in index order n-1 .. 0: renumber so that the i-th end is unit n-1-i.
    std::vector<int> map(n, -1);
    int next = n - 1;
    for (auto& r : D.recs)
        if (std::isnan(r.d)) map[r.u] = next--;
    for (auto& r : D.recs) r.u = map[r.u];
    std::vector<double> w2(n);
    for (int i = 0; i < n; ++i) w2[map[i]] = D.w[i];
    D.w = w2;
    // Every event's unit is at risk: its index lies below the units not yet ended.
    int m = n;
    for (auto& r : D.recs) {
        if (std::isnan(r.d)) {
            EXPECT_EQ(r.u, m - 1);
            --m;
        } else {
            EXPECT_LT(r.u, m);
        }
    }
    return D;
}

// The estimators as written, record by record. Returns the variance after every event.
std::vector<long double> direct(const Data& D, McfVar method) {
    const int n = D.n;
    long double R = 0;
    for (double x : D.w) R += x;
    int m = n, mprev = n;
    std::vector<long double> out;
    // LAWLESS
    std::vector<long double> dev(n, 0);
    // block method
    std::vector<long double> tri(static_cast<size_t>(n) * (n + 1) / 2, 0);
    struct Desc { int mb; size_t off; long double Rb; };
    std::vector<Desc> desc;
    std::vector<long double> B1(n, 0), B2(n, 0);
    long double V = 0, P = 0, S = 0, Q = 0;
    bool newblock = true, firstafter = true;
    size_t off = 0;
    for (const Rec& r : D.recs) {
        const double w = D.w[r.u];
        if (std::isnan(r.d)) {
            R -= w;
            m -= 1;
            newblock = firstafter = true;
            continue;
        }
        const long double d = r.d;
        const long double inc = w * d / R;
        const int u = r.u;
        if (method == McfVar::Lawless) {
            for (int j = 0; j < m; ++j)
                if (j != u) dev[j] -= inc / R;
            dev[u] += (d - inc) / R;
            long double var = 0;
            for (int j = 0; j < n; ++j) var += D.w[j] * dev[j] * dev[j];
            out.push_back(var);
            mprev = m;
            continue;
        }
        if (method == McfVar::Poisson) {
            V += inc / R;
            out.push_back(V);
            mprev = m;
            continue;
        }
        if (newblock) {
            V += P;
            S = 0;
            Q = 0;
            std::fill(B1.begin(), B1.end(), 0.0L);
            if (!desc.empty()) off += desc.back().mb;
            desc.push_back({m, off, R});
            newblock = false;
        }
        long double* a = &tri[desc.back().off];
        if (m > 1) {
            Q += d * d * (R - 1) / R + 2 * d * (a[u] - S);
            P = Q / (R * (R - 1));
            if (method == McfVar::Nelson) {
                long double X = 0;
                for (size_t b = 0; b + 1 < desc.size(); ++b) {
                    const Desc& bd = desc[b];
                    const long double* ab = &tri[bd.off];
                    long double& T = B2[bd.mb - 1];
                    if (firstafter)
                        for (int k = mprev - 1; k >= m; --k) T -= ab[k];
                    long double& b1 = B1[bd.mb - 1];
                    b1 += d * (ab[u] - T / R);
                    X += b1 / bd.Rb;
                }
                firstafter = false;
                P += 2 * X / (R - 1);
            }
            B2[desc.back().mb - 1] += d;
            S += d / R;
            a[u] += d;
            out.push_back(V + P);
        } else {
            out.push_back(V);
        }
        mprev = m;
    }
    return out;
}

std::vector<long double> running(const Data& D, McfVar method) {
    std::vector<char> store(mcfacc_bytes(method, D.n) + 64, 0);
    mcfacc a;
    long double R = 0;
    for (double x : D.w) R += x;
    const bool weighted = std::any_of(D.w.begin(), D.w.end(), [](double x) { return x != 1; });
    mcfacc_init(&a, method, true, D.n, static_cast<double>(R), weighted ? D.w.data() : nullptr, store.data());
    std::vector<long double> out;
    for (const Rec& r : D.recs) {
        if (std::isnan(r.d)) {
            mcfacc_end(&a, D.w[r.u]);
            continue;
        }
        mcfacc_event(&a, r.u, D.w[r.u], r.d);
        out.push_back(a.var);
    }
    return out;
}

TEST(McfAccumulator, AgreesWithTheDirectEvaluationOfEachVariance) {
    struct M { McfVar m; const char* name; bool weights; };
    const M methods[] = {{McfVar::Nelson, "NELSON", false},
                         {McfVar::IndInc, "INDINC", false},
                         {McfVar::Lawless, "LAWLESS", true},
                         {McfVar::Poisson, "POISSON", true}};
    double worst = 0;
    for (const M& m : methods) {
        for (unsigned seed = 1; seed <= 60; ++seed) {
            const int n = 2 + static_cast<int>(seed % 25);
            for (bool costs : {false, true}) {
                Data D = sample(seed, n, m.weights && seed % 2 == 0, costs);
                auto want = direct(D, m.m);
                auto got = running(D, m.m);
                ASSERT_EQ(got.size(), want.size());
                for (size_t k = 0; k < want.size(); ++k) {
                    const long double scale = std::max(std::fabs(want[k]), 1e-300L);
                    const double rel = static_cast<double>(std::fabs(got[k] - want[k]) / scale);
                    worst = std::max(worst, rel);
                    ASSERT_LE(rel, 1e-12) << m.name << " seed " << seed << " units " << n << " event " << k
                                          << ": " << static_cast<double>(got[k]) << " vs " << static_cast<double>(want[k]);
                }
            }
        }
    }
    std::printf("  worst relative difference %.3g\n", worst);
}

TEST(McfAccumulator, EdgeCasesOfTheEstimators) {
    // One unit: R - 1 = 0 never divides; the variance is the finished blocks' sum (0).
    {
        std::vector<char> store(mcfacc_bytes(McfVar::Nelson, 1) + 64, 0);
        mcfacc a;
        mcfacc_init(&a, McfVar::Nelson, true, 1, 1.0, nullptr, store.data());
        mcfacc_event(&a, 0, 1.0, 1.0);
        mcfacc_event(&a, 0, 1.0, 2.0);
        EXPECT_EQ(static_cast<double>(a.M), 3.0);
        EXPECT_EQ(static_cast<double>(a.var), 0.0);
    }
    // Two events at one time each get their own running MCF; POISSON adds 1/R^2 per event.
    {
        mcfacc a;
        mcfacc_init(&a, McfVar::Poisson, true, 4, 4.0, nullptr, nullptr);
        mcfacc_event(&a, 1, 1.0, 1.0);
        EXPECT_EQ(static_cast<double>(a.M), 0.25);
        EXPECT_EQ(static_cast<double>(a.var), 1.0 / 16);
        mcfacc_event(&a, 2, 1.0, 1.0);
        EXPECT_EQ(static_cast<double>(a.M), 0.5);
        EXPECT_EQ(static_cast<double>(a.var), 2.0 / 16);
        mcfacc_end(&a, 1.0);
        mcfacc_event(&a, 0, 1.0, 1.0);
        EXPECT_NEAR(static_cast<double>(a.var), 2.0 / 16 + 1.0 / 9, 1e-17);
    }
    // LAWLESS weighs each unit's squared deviation by its frequency: a unit of weight 2 is
    // two units of weight 1 with the same history.
    {
        const double W[2] = {2.0, 1.0};
        std::vector<char> s1(mcfacc_bytes(McfVar::Lawless, 2) + 64, 0), s2(mcfacc_bytes(McfVar::Lawless, 3) + 64, 0);
        mcfacc a, b;
        mcfacc_init(&a, McfVar::Lawless, true, 2, 3.0, W, s1.data());
        mcfacc_init(&b, McfVar::Lawless, true, 3, 3.0, nullptr, s2.data());
        mcfacc_event(&a, 1, 1.0, 1.0);
        mcfacc_event(&b, 2, 1.0, 1.0);
        mcfacc_event(&a, 0, 2.0, 1.0);   // unit 0 of weight 2 has an event: both copies do
        mcfacc_event(&b, 0, 1.0, 1.0);
        mcfacc_event(&b, 1, 1.0, 1.0);
        EXPECT_NEAR(static_cast<double>(a.M), static_cast<double>(b.M), 1e-15);
        EXPECT_NEAR(static_cast<double>(a.var), static_cast<double>(b.var), 1e-15);
    }
    // Weights far apart: a unit of weight 1e15 leaving must leave the risk set of the unit of
    // weight 0.05 whole (a risk set formed by subtraction, 1e15 + 0.05 - 1e15, was 0 and the
    // MCF Infinity). Both units have an event at 10 (MCF 1), the large one ends at 50, the
    // small one has an event at 70: 0.05 / 0.05 more, an MCF of exactly 2.
    for (McfVar m : {McfVar::Nelson, McfVar::Lawless, McfVar::Poisson}) {
        const double W[2] = {0.05, 1e15};   // index 0 leaves last
        mcfsum total;
        for (double w : W) total.add(w);
        std::vector<char> store(mcfacc_bytes(m, 2) + 64, 0);
        mcfacc a;
        mcfacc_init(&a, m, true, 2, total.sum, W, store.data(), total.comp);
        mcfacc_event(&a, 0, W[0], 1.0);
        mcfacc_event(&a, 1, W[1], 1.0);
        EXPECT_EQ(static_cast<double>(a.M), 1.0);
        mcfacc_end(&a, W[1]);
        mcfacc_event(&a, 0, W[0], 1.0);
        EXPECT_EQ(static_cast<double>(a.M), 2.0) << static_cast<int>(m);
        EXPECT_TRUE(std::isfinite(static_cast<double>(a.var)));
    }
}

}  // namespace
