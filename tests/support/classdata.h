// A data set of three CLASS variables with 10, 100 and 1000 levels, a continuous variable
// and a response, for the effects library's thread tests and benchmarks. c10 takes two raw
// values per level (k and k + 1e-13 print alike); about 1 row in 100 has a missing c1000.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace testsupport {

inline std::string classdata(int n) {
    std::string s = "y,c10,c100,c1000,x\n";
    s.reserve(static_cast<size_t>(n) * 40);
    uint64_t r = 88172645463325252ull;
    auto next = [&] {
        r ^= r << 13;
        r ^= r >> 7;
        r ^= r << 17;
        return r;
    };
    char line[128];
    for (int i = 0; i < n; ++i) {
        const uint64_t a = next(), b = next(), c = next();
        const int k10 = static_cast<int>(a % 10);
        const double v10 = (k10 + 1) * 1.5 + ((a >> 20) % 2 ? 1e-13 : 0.0);
        const int k100 = static_cast<int>(b % 100);
        const int k1000 = static_cast<int>(c % 1000);
        const bool miss = (c >> 32) % 100 == 0;
        int len;
        if (miss) len = std::snprintf(line, sizeof line, "%d,%.15g,G%03d,,%d\n", i % 7, v10, k100, i % 13);
        else len = std::snprintf(line, sizeof line, "%d,%.15g,G%03d,%d,%d\n", i % 7, v10, k100, (k1000 * 7919) % 1000 - 500, i % 13);
        s.append(line, static_cast<size_t>(len));
    }
    return s;
}

}  // namespace testsupport
