// Whole MODEL programs run in-process on the data sets of tests/data/regression, with the data
// sets their MAKE statements write read back, and the survreg reference values.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/testhost.h"

namespace mdlprog {

// A CSV data set: the header's names and the rows as texts.
struct table {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    int col(const std::string& name) const {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        ADD_FAILURE() << "no column " << name;
        return 0;
    }
    double num(size_t row, const std::string& name) const {
        const std::string& t = rows.at(row).at(static_cast<size_t>(col(name)));
        return t.empty() || t == "." ? std::nan("") : std::stod(t);
    }
    std::string text(size_t row, const std::string& name) const { return rows.at(row).at(static_cast<size_t>(col(name))); }
};

inline std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> out;
    std::string cell;
    std::stringstream ss(line);
    while (std::getline(ss, cell, ',')) out.push_back(cell);
    if (!line.empty() && line.back() == ',') out.emplace_back();
    return out;
}

inline table readcsv(const std::string& path) {
    table t;
    std::ifstream f(path);
    std::string line;
    if (!std::getline(f, line)) return t;
    t.names = split(line);
    while (std::getline(f, line))
        if (!line.empty()) t.rows.push_back(split(line));
    return t;
}

// One program's run: its log and the data sets it wrote.
struct run {
    testhost::Run result;
    std::string out;
    table get(const std::string& member) const { return readcsv(out + "/" + member + ".csv"); }
};

class ProgramTest : public ::testing::Test {
protected:
    std::string out, data;
    void SetUp() override {
        char tmpl[] = "/tmp/vxmdlp-XXXXXX";
        out = mkdtemp(tmpl);
        char tmpl2[] = "/tmp/vxmdld-XXXXXX";
        data = mkdtemp(tmpl2);
    }
    void TearDown() override {
        std::filesystem::remove_all(out);
        std::filesystem::remove_all(data);
    }
    // A program on the data sets of tests/data/regression, or on those the test wrote.
    run program(const std::string& text, bool own = false) {
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        run r;
        r.out = out;
        r.result = testhost::runprogram(text, own ? data : std::string(VITALYX_TEST_DATA) + "/regression", out);
        return r;
    }
    void writecsv(const std::string& member, const std::string& text) { std::ofstream(data + "/" + member + ".csv") << text; }
};

// Reference values written by the R scripts of tests/data/regression/.
class reference {
public:
    explicit reference(const char* file = "survreg_reference.csv") {
        std::ifstream f(std::string(VITALYX_TEST_DATA) + "/regression/" + file);
        std::string line;
        std::getline(f, line);
        while (std::getline(f, line)) {
            const auto c = split(line);
            if (c.size() == 3) values_[c[0] + "/" + c[1]] = std::stod(c[2]);
        }
    }
    double operator()(const std::string& kase, const std::string& key) const {
        auto it = values_.find(kase + "/" + key);
        EXPECT_NE(it, values_.end()) << kase << "/" << key;
        return it == values_.end() ? std::nan("") : it->second;
    }
    bool has(const std::string& kase, const std::string& key) const { return values_.count(kase + "/" + key) > 0; }

private:
    std::map<std::string, double> values_;
};

// Relative agreement (values below 1e-3 in size are held to rel x 1e-3).
inline void near(double got, double want, double rel, const std::string& what) {
    EXPECT_NEAR(got, want, rel * std::max(1e-3, std::fabs(want))) << what;
}

}  // namespace mdlprog
