// Reference tables written by tests/data/numeric_kernels/make_reference.R: a header
// line of column names, then rows of numbers ("NA" for a missing reference).
#pragma once
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

struct reftable {
    std::vector<std::string> names;
    std::vector<std::vector<double>> rows;

    double at(size_t row, const std::string& name) const {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return rows[row][i];
        return NAN;
    }
};

inline reftable readref(const std::string& file) {
    reftable t;
    std::ifstream in(std::string(VITALYX_TEST_DATA) + "/numeric_kernels/" + file);
    std::string line;
    if (!std::getline(in, line)) return t;
    std::istringstream hs(line);
    for (std::string w; hs >> w;) t.names.push_back(w);
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::vector<double> row;
        for (std::string w; ls >> w;) row.push_back(w == "NA" ? NAN : std::strtod(w.c_str(), nullptr));
        if (row.size() == t.names.size()) t.rows.push_back(row);
    }
    return t;
}

inline double relerr(double got, double want) {
    return std::fabs(got - want) / std::fmax(std::fabs(want), 1e-300);
}
