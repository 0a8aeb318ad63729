// The sums of the weights still to come (the number at risk) for weights spanning 30 orders
// of magnitude, walked in spans of every length: each sum is at least its own weight, never
// grows, the last is the last weight itself, and each agrees with a sum in higher precision.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "proc/numeric/tailsum.h"

TEST(TailSum, WeightsThirtyOrdersApartAreNotLost) {
    std::mt19937_64 gen(40);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int trial = 0; trial < 200; ++trial) {
        const int n = 1 + static_cast<int>(u(gen) * (trial < 100 ? 40 : 3000));
        const int64_t span = 1 + static_cast<int64_t>(u(gen) * (trial % 3 == 0 ? n : 700));
        std::vector<double> w(static_cast<size_t>(2 * n));   // weight, then a column of noise
        for (int i = 0; i < n; ++i) {
            w[2 * i] = trial % 2 ? std::pow(10.0, std::floor(u(gen) * 31) - 15) : std::pow(10.0, 30 * u(gen) - 15);
            w[2 * i + 1] = -1;
        }
        std::vector<double> store(static_cast<size_t>(tailsum::chunks(n, span)));
        tailsum t;
        t.begin(store.data());
        auto walk = [&](auto&& each) {
            for (int i = 0; i < n; ++i) each(&w[2 * i], std::min<int64_t>(span - i % span, n - i));
        };
        walk([&](const double* v, int64_t avail) { t.add(v, avail, 2); });
        t.finish();
        long double exact = 0;
        std::vector<long double> want(static_cast<size_t>(n));
        for (int i = n - 1; i >= 0; --i) want[i] = exact += w[2 * i];
        double prev = INFINITY;
        int i = 0;
        walk([&](const double* v, int64_t avail) {
            const double s = t.next(v, avail, 2);
            ASSERT_GE(s, *v) << "trial " << trial << " item " << i;
            ASSERT_LE(s, prev) << "trial " << trial << " item " << i;
            ASSERT_LE(std::fabs(s - want[i]), 1e-12 * want[i]) << "trial " << trial << " item " << i;
            prev = s;
            ++i;
        });
        EXPECT_EQ(prev, w[2 * (n - 1)]);
        // A second walk after rewind gives the same sums.
        t.rewind();
        i = 0;
        walk([&](const double* v, int64_t avail) {
            const double s = t.next(v, avail, 2);
            ASSERT_LE(std::fabs(s - want[i]), 1e-12 * want[i]);
            ++i;
        });
    }
}
