// Generator of large life-data CSV files for the data-set benchmarks: a BY variable
// (plant, sorted), a character class variable (lot), a Weibull time (hours), a censoring
// code (status), a frequency (count) and a character unit id.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace benchgen {

// Writes rows observations into path in groups of equal plant values (nplants groups);
// returns the file size in bytes, 0 on failure.
inline uint64_t writelifedata(const std::string& path, int64_t rows, int nplants = 10, uint64_t seed = 1) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    static char buf[1 << 20];
    std::setvbuf(f, buf, _IOFBF, sizeof buf);
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::fputs("plant,lot,hours,status,count,unit\n", f);
    for (int64_t i = 0; i < rows; ++i) {
        const int plant = static_cast<int>(i * nplants / rows) + 1;
        const int lot = static_cast<int>(u(gen) * 12) + 1;
        // Weibull with shape 1.5 and scale 2000 hours, censored at 3000 hours.
        double t = 2000.0 * std::pow(-std::log1p(-u(gen)), 1 / 1.5);
        int status = 1;
        if (t > 3000) t = 3000, status = 0;
        const int count = static_cast<int>(u(gen) * 5) + 1;
        std::fprintf(f, "%d,LOT%02d,%.3f,%d,%d,U%07lld\n", plant, lot, t, status, count, static_cast<long long>(i + 1));
    }
    const bool ok = std::ferror(f) == 0;
    const long size = std::ftell(f);
    std::fclose(f);
    return ok && size > 0 ? static_cast<uint64_t>(size) : 0;
}

}  // namespace benchgen
