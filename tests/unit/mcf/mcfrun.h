// Running MCFPLOT programs in-process on data sets of tests/data/mcf (or written by a test),
// and reading back the tables that MAKE turned into data sets.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/testhost.h"

namespace mcftest {

// A table read back from CSV: columns by name, texts and numbers (empty cells are NaN).
struct Table {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    int col(const std::string& n) const {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == n) return static_cast<int>(i);
        ADD_FAILURE() << "no column " << n;
        return 0;
    }
    double num(size_t r, const std::string& n) const {
        const std::string& c = rows[r][col(n)];
        return c.empty() ? NAN : std::strtod(c.c_str(), nullptr);
    }
    std::string text(size_t r, const std::string& n) const { return rows[r][col(n)]; }
};

inline std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> out;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ',')) out.push_back(cell);
    if (!line.empty() && line.back() == ',') out.emplace_back();
    return out;
}

inline Table readcsv(const std::string& path) {
    Table t;
    std::ifstream in(path);
    std::string line;
    if (std::getline(in, line)) t.names = split(line);
    while (std::getline(in, line))
        if (!line.empty()) t.rows.push_back(split(line));
    return t;
}

class McfRun : public ::testing::Test {
protected:
    std::string dir;
    testhost::Run last;

    void SetUp() override {
        char tmpl[] = "/tmp/vxmcf-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Writes a data set into the test's folder.
    void dataset(const std::string& name, const std::string& csv) { std::ofstream(dir + "/" + name + ".csv") << csv; }
    // Copies a data set of tests/data/mcf into the test's folder.
    void shipped(const std::string& file) {
        std::filesystem::copy_file(std::string(VITALYX_TEST_DATA) + "/mcf/" + file, dir + "/" + file,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    // Runs a program with the test's folder as WORK and output folder.
    const testhost::Run& run(const std::string& program) {
        std::filesystem::remove_all(dir + "/out");
        last = testhost::runprogram(program, dir, dir + "/out");
        return last;
    }
    // A data set that MAKE wrote (OUT=name).
    Table made(const std::string& name) { return readcsv(dir + "/out/" + name + ".csv"); }
    std::string listing() { return file("listing.txt"); }
    // The output groups of the report: a section per class level that draws a plot.
    int reportgroups() {
        const std::string html = file("report.html"), tag = "<section class=\"group\">";
        int n = 0;
        for (size_t at = html.find(tag); at != std::string::npos; at = html.find(tag, at + 1)) ++n;
        return n;
    }
    std::string file(const std::string& name) {
        std::ifstream f(dir + "/out/" + name);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
};

}  // namespace mcftest
