// Generator of interval-censored life data for the Turnbull benchmarks: each unit fails at
// a Weibull time (shape 1.5, scale 125) and is inspected at its own random gaps of 5 to 15
// time units (to 0.1) up to 135; a unit found failed at its first inspection is
// left-censored, one still running at its last is right-censored (about a third).
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace benchgen {

struct intervalrow {
    double lower, upper;   // NaN when open
};

inline std::vector<intervalrow> intervaldata(int64_t rows, uint64_t seed = 7) {
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<intervalrow> out;
    out.reserve(static_cast<size_t>(rows));
    for (int64_t i = 0; i < rows; ++i) {
        const double t = 125.0 * std::pow(-std::log1p(-u(gen)), 1 / 1.5);
        double last = 0, at = 0;
        bool found = false;
        for (;;) {
            at = std::round((at + 5 + 10 * u(gen)) * 10) / 10;
            if (at > 135) break;
            if (t <= at) {
                found = true;
                break;
            }
            last = at;
        }
        out.push_back({last > 0 ? last : NAN, found ? at : NAN});
    }
    return out;
}

// The same rows as a CSV file with the columns lower and upper (empty when open).
inline bool writeintervaldata(const std::string& path, int64_t rows, uint64_t seed = 7) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fputs("lower,upper\n", f);
    for (const intervalrow& r : intervaldata(rows, seed)) {
        if (!std::isnan(r.lower)) std::fprintf(f, "%.1f", r.lower);
        std::fputc(',', f);
        if (!std::isnan(r.upper)) std::fprintf(f, "%.1f", r.upper);
        std::fputc('\n', f);
    }
    return std::fclose(f) == 0;
}

}  // namespace benchgen
