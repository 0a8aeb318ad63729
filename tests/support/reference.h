// Reading the reference tables under tests/data (written by the R and Python scripts
// beside them) and measuring agreement with them.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

// One table: a header of column names, then rows of numbers. Cells are separated by
// commas or blanks; "NA" is a missing reference (NaN), "Inf" and "-Inf" are infinite.
struct RefTable {
    std::vector<std::string> names;
    std::vector<std::vector<double>> rows;

    double at(size_t row, const std::string& col) const {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == col) return rows[row][i];
        ADD_FAILURE() << "no column " << col;
        return NAN;
    }
};

namespace refdetail {
inline std::vector<std::string> cells(const std::string& line) {
    std::string spaced = line;
    for (char& c : spaced)
        if (c == ',') c = ' ';
    std::istringstream in(spaced);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}
}  // namespace refdetail

// The table at `path` below tests/data ("numeric_extra/logf.csv"). Rows whose number of
// cells differs from the header's are passed over.
inline RefTable readRef(const std::string& path) {
    RefTable t;
    std::ifstream in(std::string(VITALYX_TEST_DATA) + "/" + path);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    std::string line;
    if (std::getline(in, line)) t.names = refdetail::cells(line);
    while (std::getline(in, line)) {
        std::vector<double> row;
        for (const std::string& w : refdetail::cells(line))
            row.push_back(w == "NA" ? NAN : std::strtod(w.c_str(), nullptr));
        if (!row.empty() && row.size() == t.names.size()) t.rows.push_back(row);
    }
    EXPECT_FALSE(t.rows.empty()) << path << " has no rows";
    return t;
}

// Relative difference of got from want; values below `floor` in magnitude are compared
// absolutely against the floor (so exact zeros and underflows compare sensibly).
inline double relDiff(double got, double want, double floor = 1e-300) {
    if (got == want) return 0.0;
    return std::fabs(got - want) / std::fmax(std::fabs(want), floor);
}

// Error of one tail probability `got` against `want`, whose complement is `other`.
// The smaller tail is held relatively; the larger is formed as 1 - (smaller tail), so it
// holds that tail only up to the spacing of doubles near 1 (2.3e-16), which is allowed.
inline double tailDiff(double got, double want, double other) {
    if (want <= other) return relDiff(got, want);
    return std::fmax(0.0, std::fabs(got - want) - 2.3e-16) / std::fmax(other, 1e-300);
}

// Difference of two log-probabilities: absolute while both are above -1, relative to the
// magnitude below (deep tails keep their digits on the log scale).
inline double logDiff(double got, double want) {
    if (got == want) return 0.0;
    return std::fabs(got - want) / std::fmax(std::fabs(want), 1.0);
}

// Tracks the worst relative difference of a grid and where it happened.
struct Worst {
    double err = 0.0;
    std::string where;
    void add(double e, const std::string& at) {
        if (!(e <= err)) {  // a NaN difference is always the worst
            err = e;
            where = at;
        }
    }
};

inline std::string args(std::initializer_list<double> v) {
    std::ostringstream o;
    o.precision(17);
    const char* sep = "";
    o << '(';
    for (double d : v) {
        o << sep << d;
        sep = ", ";
    }
    o << ')';
    return o.str();
}

// Reports the figure (visible in the test log) and checks it.
#define EXPECT_WORST_BELOW(worst, tol)                                                    \
    do {                                                                                   \
        std::printf("  worst relative difference %.3g at %s\n", (worst).err, (worst).where.c_str()); \
        EXPECT_LE((worst).err, (tol)) << "at " << (worst).where;                           \
    } while (0)
