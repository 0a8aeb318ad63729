// Running plot statements with statistical graphics in-process and keeping what reached the
// output system: every graph request with its dynamic variables and a copy of the phantom data
// it names (column by column), and the recording of the page the renderer drew for it.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/graphics/devstate.h"
#include "runtime/sgraph/render.h"
#include "tests/support/testhost.h"

namespace sgtest {

// The standard normal quantile by bisection on erfc: independent of the procedure's own.
inline double qnorm(double p) {
    double lo = -40, hi = 40;
    for (int k = 0; k < 200; ++k) {
        const double m = 0.5 * (lo + hi);
        (0.5 * std::erfc(-m / std::sqrt(2.0)) < p ? lo : hi) = m;
    }
    return 0.5 * (lo + hi);
}
// The numbers of a blank-separated list (tick positions) and of a list of quoted numbers
// (tick labels).
inline std::vector<double> numbers(const std::string& s) {
    std::vector<double> v;
    std::istringstream in(s);
    for (std::string w; in >> w;) v.push_back(std::stod(w));
    return v;
}
inline std::vector<double> quoted(const std::string& s) {
    std::vector<double> v;
    for (size_t a = s.find('\''); a != std::string::npos; a = s.find('\'', s.find('\'', a + 1) + 1))
        v.push_back(std::stod(s.substr(a + 1, s.find('\'', a + 1) - a - 1)));
    return v;
}

struct Phantom {
    std::string name;
    std::vector<std::string> cols;          // in column order
    std::map<std::string, std::vector<double>> num;
    std::map<std::string, std::vector<std::string>> text;   // trailing blanks removed
    size_t rows = 0;
    bool has(const std::string& c) const { return num.count(c) || text.count(c); }
    const std::vector<double>& n(const std::string& c) const {
        static const std::vector<double> none;
        auto it = num.find(c);
        if (it == num.end()) ADD_FAILURE() << "no numeric column " << c << " in " << name;
        return it == num.end() ? none : it->second;
    }
    const std::vector<std::string>& t(const std::string& c) const {
        static const std::vector<std::string> none;
        auto it = text.find(c);
        if (it == text.end()) ADD_FAILURE() << "no text column " << c << " in " << name;
        return it == text.end() ? none : it->second;
    }
};

struct Graph {
    std::string name, label, templ;
    std::vector<std::string> varnames;      // in request order
    std::map<std::string, rt::out::GraphValue> vars, inset;
    std::vector<Phantom> data;              // in reference order
    const rt::out::GraphValue& v(const std::string& n) const {
        static const rt::out::GraphValue none;
        auto it = vars.find(n);
        if (it == vars.end()) ADD_FAILURE() << "no variable " << n << " in " << name;
        return it == vars.end() ? none : it->second;
    }
};

class GraphRun : public ::testing::Test {
protected:
    std::string dir;
    testhost::Run last;
    std::vector<Graph> graphs;

    void SetUp() override {
        char tmpl[] = "/tmp/vxsg-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override {
        rt::out::graphwatch() = nullptr;
        rt::gfx::resetdevstate();
        std::filesystem::remove_all(dir);
    }
    void dataset(const std::string& name, const std::string& csv) { std::ofstream(dir + "/" + name + ".csv") << csv; }
    void shipped(const std::string& file) {
        std::filesystem::copy_file(std::string(VITALYX_TEST_DATA) + "/" + file,
                                   dir + "/" + std::filesystem::path(file).filename().string(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    // Runs the program with statistical graphics; pages are recorded (and written with files).
    const testhost::Run& run(const std::string& program, bool files = false) {
        graphs.clear();
        rt::out::graphwatch() = [this, files](const rt::sgr::Graph& g) {
            rt::gfx::devstate(rt::current()).record = true;
            rt::gfx::devstate(rt::current()).writefiles = files;
            graphs.push_back(copy(g));
        };
        std::filesystem::remove_all(dir + "/out");
        last = testhost::runprogram("options graphics=statistical; " + program, dir, dir + "/out");
        rt::out::graphwatch() = nullptr;
        return last;
    }
    // The recording of the k-th graph page of the run.
    const rt::gfx::RecordingCanvas* page(size_t k) const {
        auto pages = rt::gfx::allpages();
        return k < pages.size() && pages[k]->rec ? pages[k]->rec.get() : nullptr;
    }

private:
    static std::string trimmed(std::string_view s) {
        size_t n = s.size();
        while (n > 0 && s[n - 1] == ' ') --n;
        size_t a = 0;
        while (a < n && s[a] == ' ') ++a;
        return std::string(s.substr(a, n - a));
    }
    static Graph copy(const rt::sgr::Graph& g) {
        Graph out;
        out.name = g.req->name;
        out.label = g.req->label;
        out.templ = g.req->templ;
        for (const auto& [n, v] : g.req->vars) out.varnames.push_back(n), out.vars[n] = v;
        for (const auto& [n, v] : g.req->extravars) out.inset[n] = v;
        for (const auto* d : g.data) {
            Phantom p;
            if (d) {
                p.name = d->name;
                p.rows = d->rows;
                for (size_t c = 0; c < d->cols.size(); ++c) {
                    const auto& col = d->cols[c];
                    p.cols.push_back(col.name);
                    for (size_t r = 0; r < d->rows; ++r) {
                        if (col.numeric())
                            p.num[col.name].push_back(d->num(static_cast<int>(c), r));
                        else
                            p.text[col.name].push_back(trimmed(d->text(static_cast<int>(c), r)));
                    }
                }
            }
            out.data.push_back(std::move(p));
        }
        return out;
    }
};

}  // namespace sgtest
