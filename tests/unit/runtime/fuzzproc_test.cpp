// Generated analysis programs on degenerate data, each run as its own `vitalyx` process as a
// user starts it: every statement with its options from the grammar tables, and data sets
// that are all censored, have one failure or all failures at one time, times of 1e-300 and
// 1e300, zero and negative times, intervals whose lower end is above the upper, FREQ values
// of 0, negative, fractional and 1e300, CLASS variables of one and of 5,000 levels, BY groups
// of one row, collinear and constant MODEL columns, MCF units without an end record or with
// events after their end, FREQ values spanning 30 orders of magnitude (1e-15 to 1e15), interval
// data that all overlap (no maximum-likelihood estimate) and MCF interval data with removals
// as far apart; CONFIDENCE and PCTLIST at their edges.
//
// A run fails on a sanitizer report (or a pointer left into a deleted pool), a crash, a run
// over 20 seconds, memory above 1 GB, a table cell printed as Infinity or NaN (listing,
// report, MAKE data sets), a MAKE data set that is not whole or a temporary file left behind
// (programs save tables under one name in different spellings, in one step and across
// steps), a product-limit estimate or plotting position outside [0, 1] in the listing, or an
// exit status that disagrees with the log (an ERROR with status 0, status 1
// without an ERROR).
//
// The bounded run of the test suite takes VITALYX_FUZZPROC_RUNS programs (default 400) on two
// workers. VITALYX_FUZZPROC_LONG=N runs N programs (at least 20,000 for a long run) on
// VITALYX_FUZZPROC_JOBS workers (default: the cores), keeping each failing program with its
// data and output in a folder of its own under VITALYX_FUZZPROC_KEEP (default
// /tmp/vitalyx-fuzz) with a replay.sh beside it; VITALYX_FUZZPROC_SEED changes the programs;
// VITALYX_FUZZPROC_COMMAND and VITALYX_FUZZPROC_MODULE run copies of the command and the module
// (so that the build can go on during a long run); VITALYX_FUZZPROC_ERRORS lists the ERRORs
// that stopped programs most often (to keep the generator's programs reaching the analyses).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <cstring>
#include <thread>
#include <vector>

#include "tests/support/files.h"
#include "tests/unit/runtime/fuzzgen.h"

namespace {

namespace fs = std::filesystem;

constexpr double kTimeLimit = 20.0;               // seconds
constexpr long kMemoryLimit = 1024L * 1024 * 1024;  // bytes

std::string envtext(const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}
const std::string& command() {
    static const std::string c = envtext("VITALYX_FUZZPROC_COMMAND", VITALYX_COMMAND);
    return c;
}
const std::string& module() {
    static const std::string m = envtext("VITALYX_FUZZPROC_MODULE", VITALYX_MODULE_FILE);
    return m;
}

long envnumber(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

std::string fmt(double v) {
    char b[40];
    std::snprintf(b, sizeof b, "%.17g", v);
    return b;
}

// ---- degenerate data

// One row of the data set: life data, intervals, stresses, classes, MCF records, MODEL columns.
struct Row {
    double hours, lo, hi, temp, volt, freq, x1, x2, x3, age, fails, trials;
    int status, n;
    std::string lot, plant, unit, mode, big, one;
};

class Data {
public:
    explicit Data(fuzz::Gen& g) : g_(g) {}

    // A tame data set, then one to three of the degenerate forms; `what` names them.
    std::string make(std::string& what) {
        base();
        static const char* const kinds[] = {"allcensored", "onefailure", "onetime", "extremes", "nonpositive",
                                            "lowerabove", "freq", "bigclass", "onelevel", "byone", "collinear",
                                            "mcfnoend", "mcfafterend", "fewrows", "missing", "freqspan", "overlap",
                                            "mcfintervals"};
        const int nk = sizeof kinds / sizeof kinds[0];
        for (int i = 0, n = 1 + g_.below(3); i < n; ++i) {
            const std::string k = kinds[g_.below(nk)];
            apply(k);
            what += (what.empty() ? "" : "+") + k;
        }
        return csv();
    }

private:
    fuzz::Gen& g_;
    std::vector<Row> rows_;
    std::vector<std::string> missing_;   // cells written as missing: "row:column"

    double t() { return 10 + g_.below(900) + (g_.chance(30) ? 0.5 : 0.0); }

    void base() {
        rows_.clear();
        const int nplants = 1 + g_.below(3);
        const int perplant = 4 + g_.below(30);
        for (int p = 0; p < nplants; ++p) {
            for (int i = 0; i < perplant; ++i) {
                Row r{};
                r.hours = t();
                r.status = g_.chance(70) ? 1 : 0;
                r.lo = r.hours;
                r.hi = r.hours + 1 + g_.below(60);
                r.temp = 40 + 10 * g_.below(4);
                r.volt = 5 + g_.below(3);
                r.freq = 1 + g_.below(3);
                r.x1 = g_.below(100) / 10.0;
                r.x2 = g_.below(100) / 10.0;
                r.x3 = g_.below(50);
                r.fails = g_.below(5);
                r.trials = r.fails + g_.below(20);
                r.lot = std::string(1, static_cast<char>('A' + g_.below(3)));
                r.plant = "P" + std::to_string(p);
                r.mode = r.status ? g_.pick(std::vector<std::string>{"wear", "crack", "seal"}) : "";
                r.big = "B" + std::to_string(g_.below(20));
                r.one = "X";
                // MCF: units of four records in the plant, three events then the end
                const int u = i / 4, k = i % 4;
                r.unit = r.plant + "U" + std::to_string(u);
                r.age = 10.0 * (k + 1) + g_.below(9);
                r.n = k < 3 && i + 1 < perplant ? 1 : -1;
                rows_.push_back(r);
            }
        }
    }

    void apply(const std::string& k) {
        if (k == "allcensored") {
            for (auto& r : rows_) r.status = 0;
        } else if (k == "onefailure") {
            for (auto& r : rows_) r.status = 0;
            rows_[static_cast<size_t>(g_.below(static_cast<int>(rows_.size())))].status = 1;
        } else if (k == "onetime") {
            const double at = t();
            for (auto& r : rows_)
                if (r.status) r.hours = r.lo = at, r.hi = at + 1;
        } else if (k == "extremes") {
            for (auto& r : rows_) {
                if (g_.chance(40)) r.hours = g_.chance(50) ? 1e-300 : 1e300;
                if (g_.chance(20)) r.lo = 1e-300, r.hi = g_.chance(50) ? 1e300 : 2e-300;
                if (g_.chance(10)) r.temp = g_.chance(50) ? 1e300 : 1e-300;
                if (g_.chance(10)) r.x1 = 1e300;
            }
        } else if (k == "nonpositive") {
            for (auto& r : rows_) {
                if (g_.chance(30)) r.hours = g_.chance(50) ? 0.0 : -r.hours;
                if (g_.chance(30)) r.lo = g_.chance(50) ? 0.0 : -5.0;
                if (g_.chance(10)) r.temp = g_.chance(50) ? 0.0 : -273.15;
            }
        } else if (k == "lowerabove") {
            for (auto& r : rows_)
                if (g_.chance(40)) std::swap(r.lo, r.hi);
        } else if (k == "freq") {
            static const std::vector<double> v = {0, -1, 0.5, 1e300, 2.5, 1e-300, 1e15};
            for (auto& r : rows_)
                if (g_.chance(50)) r.freq = g_.pick(v);
        } else if (k == "bigclass") {
            // 5,000 levels: as many rows
            const size_t n0 = rows_.size();
            while (rows_.size() < 5000) {
                Row r = rows_[rows_.size() % n0];
                r.hours = t();
                r.lo = r.hours;
                r.hi = r.hours + 3;
                r.unit = r.plant + "V" + std::to_string(rows_.size());
                r.n = -1;
                rows_.push_back(r);
            }
            std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.plant < b.plant; });
            for (size_t i = 0; i < rows_.size(); ++i) rows_[i].big = "L" + std::to_string(i);
        } else if (k == "onelevel") {
            for (auto& r : rows_) r.lot = "A";
        } else if (k == "byone") {
            // BY groups of one row: a few rows become plants of their own
            for (int k = 0, n = 1 + g_.below(5); k < n; ++k) {
                Row& r = rows_[static_cast<size_t>(g_.below(static_cast<int>(rows_.size())))];
                r.plant = r.plant + "_" + std::to_string(k);
            }
            std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.plant < b.plant; });
        } else if (k == "collinear") {
            for (auto& r : rows_) {
                r.x2 = 2 * r.x1;
                r.x3 = 7;
            }
        } else if (k == "mcfnoend") {
            for (auto& r : rows_)
                if (r.n == -1 && g_.chance(50)) r.n = 1;
        } else if (k == "mcfafterend") {
            for (auto& r : rows_)
                if (r.n == 1 && g_.chance(30)) r.age += 1000;
        } else if (k == "freqspan") {
            // Weights from 1e-15 to 1e15: a number at risk kept by subtraction loses the small ones.
            // Half the time the later the time, the smaller the weight: the small ones come last.
            std::vector<double> hours;
            for (const auto& r : rows_) hours.push_back(r.hours);
            std::sort(hours.begin(), hours.end());
            const bool ordered = g_.chance(50);
            for (auto& r : rows_) {
                if (!g_.chance(80)) continue;
                const double rank = static_cast<double>(std::lower_bound(hours.begin(), hours.end(), r.hours) - hours.begin());
                const int k = ordered ? 15 - static_cast<int>(30 * rank / static_cast<double>(hours.size())) : g_.below(31) - 15;
                r.freq = std::pow(10.0, k) * (g_.chance(30) ? 0.37 : 1.0);
            }
        } else if (k == "overlap") {
            // Every interval holds one stretch of time: no maximum-likelihood estimate exists.
            const double c = t();
            for (auto& r : rows_) {
                r.lo = c - 0.5 - g_.below(100);
                r.hi = c + 0.5 + g_.below(100);
                if (g_.chance(10)) r.lo = r.hi = c;   // an exact value at the common point
            }
        } else if (k == "mcfintervals") {
            // Consecutive intervals of each plant with events and removals (the FREQ column).
            // Not on thousands of rows: a Turnbull estimate of thousands of disjoint intervals
            // takes seconds, and under the sanitizer more than the time limit.
            if (rows_.size() > 500) return;
            double at = 0;
            std::string plant;
            for (auto& r : rows_) {
                if (r.plant != plant) at = 0, plant = r.plant;
                r.lo = at;
                r.hi = at += 1 + g_.below(50);
            }
        } else if (k == "fewrows") {
            rows_.resize(static_cast<size_t>(1 + g_.below(3)));
        } else if (k == "missing") {
            static const char* const cols[] = {"hours", "status", "lo", "hi", "temp", "freq", "lot", "age", "n", "x1"};
            for (size_t i = 0; i < rows_.size(); ++i)
                if (g_.chance(15)) missing_.push_back(std::to_string(i) + ":" + cols[g_.below(10)]);
        }
    }

    bool gone(size_t i, const char* col) const {
        return std::find(missing_.begin(), missing_.end(), std::to_string(i) + ":" + col) != missing_.end();
    }

    std::string csv() const {
        std::string s = "plant,unit,age,n,hours,status,lo,hi,temp,volt,freq,x1,x2,x3,lot,big,one,mode,fails,trials\n";
        for (size_t i = 0; i < rows_.size(); ++i) {
            const Row& r = rows_[i];
            auto num = [&](const char* col, double v) { return gone(i, col) ? std::string(".") : fmt(v); };
            s += r.plant + "," + r.unit + "," + num("age", r.age) + "," + num("n", r.n) + "," + num("hours", r.hours) + "," +
                 num("status", r.status) + "," + num("lo", r.lo) + "," + num("hi", r.hi) + "," + num("temp", r.temp) + "," +
                 fmt(r.volt) + "," + num("freq", r.freq) + "," + num("x1", r.x1) + "," + fmt(r.x2) + "," + fmt(r.x3) + "," +
                 (gone(i, "lot") ? "" : r.lot) + "," + r.big + "," + r.one + "," + r.mode + "," + fmt(r.fails) + "," +
                 fmt(r.trials) + "\n";
        }
        return s;
    }
};

// ---- programs

// The options of a statement as the grammar gives them (its tables, with their only and except
// lists), each with a value that is plausible, at an edge or broken.
class Programs {
public:
    explicit Programs(fuzz::Gen& g) : g_(g) {}

    std::string make() {
        // The family of the step: life distributions, counts (POISSON, BINOMIAL: ANALYZE of
        // events(trials) only) or the gamma family (MODEL only); most programs are coherent, so
        // that the analyses are reached.
        const int family = g_.chance(10) ? 1 : g_.chance(8) ? 2 : 0;
        const std::string dist =
            family == 1 ? g_.pick(std::vector<std::string>{"poisson", "binomial"})
            : family == 2 ? std::string("gamma")
                          : g_.pick(std::vector<std::string>{"weibull", "lnorm", "normal", "exponential", "logistic", "llogistic",
                                                             "lognormal10", "weibull", "lnorm", "extreme"});
        fmode_ = family == 0 && g_.chance(15) ? g_.pick(std::vector<std::string>{"combine", "keep", "eliminate"}) : "";
        classes_.clear();
        std::string body;
        for (int i = 0, n = 1 + g_.below(3); i < n; ++i) body += statement(family);
        std::string p;
        if (g_.chance(30)) p += "options graphics=statistical;\n";
        p += "proc vitalyx data=d;\n";
        if (g_.chance(35)) p += "  by plant;\n";
        if (g_.chance(90)) p += "  unitid unit;\n";
        if (g_.chance(40)) p += "  freq freq;\n";
        p += "  distribution " + dist + ";\n";
        if (!classes_.empty() || g_.chance(10)) {
            std::string c;
            for (const auto& v : classes_) c += " " + v;
            p += "  class" + (c.empty() ? std::string(" lot") : c) + ";\n";
        }
        if (!fmode_.empty()) p += "  fmode " + fmode_ + " mode=('wear' 'crack');\n";
        p += makes();
        // The product-limit table at full precision, which the run checks.
        if (g_.chance(30)) p += "  make 'ProbabilityEstimates' out=pe;\n";
        p += body + "run;\n";
        // Now and then a second step that saves a table under a name the first may have used.
        if (g_.chance(10)) p += "proc vitalyx data=d;\n  analyze hours*status(0);\n" + makes(true) + "run;\n";
        return p;
    }

private:
    fuzz::Gen& g_;
    std::string fmode_;
    std::vector<std::string> classes_;   // CLASS variables the MODEL effects need
    const std::vector<std::string> vars_ = {"hours", "status", "lo", "hi", "temp", "volt", "freq", "x1", "x2", "x3", "lot", "big"};

    // MAKE statements, now and then several naming one data set in different spellings (the
    // step is then refused) or a table hidden with NOPRINT.
    std::string makes(bool one = false) {
        std::string s;
        if (!one && !g_.chance(25)) return s;
        for (int i = 0, n = one ? 1 : 1 + g_.below(3); i < n; ++i)
            s += "  make '" +
                 g_.pick(std::vector<std::string>{"ParmEst", "PctEst", "MCFEst", "SurvEst", "ParameterEstimates", "ConvergenceStatus",
                                                  "Datsum", "ProbabilityEstimates", "MConvergenceStatus", "Modprmest"}) +
                 "' out=" + g_.pick(std::vector<std::string>{"t", "T", "work.t", "Work.T", "u", "v", "w", "x"}) + (g_.chance(30) ? " noprint" : "") +
                 ";\n";
        return s;
    }

    // The class variables of a statement. The 5,000-level one only on ANALYZE: a plot of it
    // draws 2,500 pages (about a minute even in a release build).
    std::string on(bool analyze = false) {
        if (fmode_ == "combine") return "";
        const std::string c = g_.pick(analyze ? std::vector<std::string>{"", "", "lot", "big", "one", "lot plant", "plant", "big lot"}
                                              : std::vector<std::string>{"", "", "lot", "one", "lot plant", "plant"});
        return c.empty() ? "" : " = " + c;
    }
    std::string response() {
        if (!fmode_.empty()) return g_.pick(std::vector<std::string>{"hours*status(0)", "hours"});
        return g_.pick(std::vector<std::string>{"hours*status(0)", "hours*status(0)", "hours", "(lo hi)", "hours*status(1)",
                                                "hours*status(0 2)"});
    }
    void needclass(const std::string& effects) {
        for (const char* v : {"lot", "big", "one"})
            if (effects.find(v) != std::string::npos && std::find(classes_.begin(), classes_.end(), v) == classes_.end())
                classes_.push_back(v);
    }

    std::string model() {
        // (not the 5,000-level class: a MODEL of 5,000 parameters is a dense fit of minutes)
        const std::string eff = g_.pick(std::vector<std::string>{"temp", "x1 x2 x3", "lot", "temp lot", "x1 x2", "x3", "temp one", "",
                                                                 "temp|lot", "one", "temp x1"});
        needclass(eff);
        std::string s = "  model " + response() + (eff.empty() ? "" : " = " + eff) + opts("MODEL") + ";\n";
        if (g_.chance(30)) {
            const std::string ls = g_.pick(std::vector<std::string>{"temp", "lot", "x1"});
            needclass(ls);
            s += "  logscale " + ls + opts("LOGSCALE") + ";\n";
        }
        return s;
    }

    std::string statement(int family) {
        if (family == 1) return "  analyze fails(trials)" + std::string(g_.chance(30) ? " = lot" : "") + opts("ANALYZE") + ";\n";
        if (family == 2) return model();
        switch (g_.below(7)) {
        case 0: {
            // Now and then PPOUT, whose product-limit table the run checks.
            std::string o = opts("ANALYZE");
            if (g_.chance(30)) o += o.empty() ? " / ppout" : " ppout";
            return "  analyze " + response() + on(true) + o + ";\n";
        }
        case 1:
        case 2: return "  probplot " + response() + on() + opts("PROBPLOT") + ";\n" + inset();
        case 3:
            if (fmode_ == "combine") return "";
            return "  relationplot " + response() + " = " + g_.pick(std::vector<std::string>{"temp", "volt", "x1"}) + opts("RELATIONPLOT") +
                   ";\n" + inset();
        case 4:
            if (g_.chance(25)) return "  mcfplot (interval=lo hi recurrences=fails censored=freq)" + opts("MCFPLOT") + ";\n";
            return "  mcfplot age*n(-1)" + std::string(g_.chance(40) ? " = lot" : "") + opts("MCFPLOT") + ";\n" + inset();
        default: {
            std::string s = model();
            if (g_.chance(50)) s += "  probplot " + response() + (g_.chance(50) ? " = temp" : "") + " / fit=model;\n";
            if (g_.chance(20)) s += "  analyze " + response() + (g_.chance(50) ? " = temp" : "") + " / fit=model;\n";
            if (g_.chance(30) && fmode_ != "combine") s += "  relationplot " + response() + " = temp / fit=regression;\n";
            return s;
        }
        }
    }

    std::string inset() {
        if (!g_.chance(25)) return "";
        return "  inset " + g_.pick(std::vector<std::string>{"n nfail", "n nfail right confidence fit", "nunits nevents",
                                                               "weibull(scale shape)", "rsquare", "left interval", "n / header='h' pos=se"}) +
               ";\n";
    }

    // Edge values of the options that take them.
    std::string edge(const std::string& kw) {
        if (kw == "CONFIDENCE" || kw == "CONF")
            return g_.pick(std::vector<std::string>{"1e-12", "0.000001", "0.01", "0.5", "0.999999", "0.999999999999"});
        if (kw == "PCTLIST")
            return g_.pick(std::vector<std::string>{"0.000001 99.999999", "1e-6 50 99.999999", "99.999999", "0.000001", "50 50",
                                                    "1e-10 50"});
        if (kw == "SURVTIME") return g_.pick(std::vector<std::string>{"0", "1e-300 1e300", "-1 5", "100"});
        if (kw.rfind("N", 0) == 0 && kw.find("TICK") != std::string::npos)
            return g_.pick(std::vector<std::string>{"1e9", "1e6", "0", "-3", "1", "1001", "3"});
        if (kw == "NPOINTS") return g_.pick(std::vector<std::string>{"1e8", "100001", "1", "0", "50"});
        // Iteration limits beyond an int are clamped to the largest int (limits_test.cpp): asked that
        // many iterations, a search that never converges runs for hours, which is no hang.
        if (kw == "MAXIT" || kw == "MAXITEM") return g_.pick(std::vector<std::string>{"20000", "0", "1", "5"});
        if (kw == "NROWS" || kw == "NCOLS") return g_.pick(std::vector<std::string>{"1e300", "3e9", "1001", "2", "1"});
        if (kw == "WAXIS" || kw == "WFIT") return g_.pick(std::vector<std::string>{"1e300", "101", "3", "-1e300"});
        if (kw == "HOFFSET" || kw == "VOFFSET" || kw == "HEIGHT" || kw == "INHEIGHT" || kw == "JITTER" || kw == "INTERTILE" ||
            kw.find("LOWER") != std::string::npos || kw.find("UPPER") != std::string::npos)
            return g_.pick(std::vector<std::string>{"1e308", "-1e308", "1e-308", "0", "50"});
        return "";
    }

    std::string opts(const char* stmt) {
        const grammar& gr = *vyxgrammar();
        std::vector<const goption*> all;
        for (int i = 0; i < gr.nstmts; ++i) {
            const gstatement& st = gr.stmts[i];
            if (fuzz::Gen::first(st.names) != stmt) continue;
            for (int k = 0; k < st.nsets; ++k) {
                const goptset& set = st.sets[k];
                for (int j = 0; j < set.n; ++j) {
                    const std::string kw = fuzz::Gen::first(set.opts[j].names);
                    if (set.only && !listed(set.only, kw)) continue;
                    if (listed(set.except, kw)) continue;
                    all.push_back(&set.opts[j]);
                }
            }
        }
        if (all.empty()) return "";
        std::string s;
        g_.tame = g_.chance(60);
        for (int i = 0, n = g_.below(5); i < n; ++i) {
            const goption& o = *g_.pick(all);
            const std::string kw = fuzz::Gen::first(o.names);
            if (o.value == GV_DATASET || o.value == GV_OUTDATASET || o.value == GV_CATALOG) continue;
            std::string v = edge(kw);
            if (v.empty() || g_.chance(30)) v = g_.value(o, vars_);
            s += " " + kw;
            if (o.value != GV_NONE && !v.empty()) s += o.way == GW_PAREN ? "(" + v + ")" : "=" + v;
        }
        g_.tame = false;
        return s.empty() ? "" : " /" + s;
    }

    static bool listed(const char* const* list, const std::string& kw) {
        for (; list && *list; ++list)
            if (kw == *list) return true;
        return false;
    }
};

// ---- one run

// A product-limit estimate or plotting position outside [0, 1]: in the data set pe.csv
// (MAKE 'ProbabilityEstimates', its columns KM and Prob, at full precision), or in a table of
// the listing whose columns begin "Time Probability Kaplan-Meier" (printed digits aside).
bool probabilitycsv(const std::string& csv, std::string* where) {
    std::istringstream in(csv);
    std::string line;
    if (!std::getline(in, line)) return false;
    std::vector<int> cols;
    {
        std::istringstream h(line);
        int k = 0;
        for (std::string c; std::getline(h, c, ','); ++k)
            if (c == "KM" || c == "Prob") cols.push_back(k);
    }
    while (std::getline(in, line)) {
        std::istringstream r(line);
        int k = 0;
        for (std::string c; std::getline(r, c, ','); ++k) {
            if (std::find(cols.begin(), cols.end(), k) == cols.end() || c.empty()) continue;
            char* end = nullptr;
            const double v = std::strtod(c.c_str(), &end);
            if (end && *end == '\0' && !(v >= -1e-12 && v <= 1 + 1e-12)) {
                *where = line;
                return true;
            }
        }
    }
    return false;
}
bool probabilityout(const std::string& listing, std::string* where) {
    std::istringstream in(listing);
    bool table = false;
    for (std::string l; std::getline(in, l);) {
        std::istringstream words(l);
        std::vector<std::string> w;
        for (std::string x; words >> x;) w.push_back(x);
        if (w.size() >= 3 && w[0] == "Time" && w[1] == "Probability" && w[2] == "Kaplan-Meier") {
            table = true;
            continue;
        }
        if (w.empty()) {
            table = false;
            continue;
        }
        if (!table) continue;
        for (int k = 1; k <= 2 && k < static_cast<int>(w.size()); ++k) {
            char* end = nullptr;
            const double v = std::strtod(w[static_cast<size_t>(k)].c_str(), &end);
            if (end && *end == '\0' && !(v >= -5e-5 && v <= 1 + 5e-5)) {
                *where = l;
                return true;
            }
        }
    }
    return false;
}

struct Outcome {
    std::vector<std::string> faults;   // the classes of what went wrong, empty when nothing did
    bool ran = false;                  // the log holds no ERROR: the analyses were reached
    std::string firsterror;            // the first ERROR line of the log
    std::string detail;
    double seconds = 0;
    long maxrss = 0;   // bytes
};

// The report without its pictures (base64 images, SVG drawings): their letters and
// coordinates are no table cells.
std::string withoutpictures(const std::string& html) {
    std::string out;
    size_t from = 0;
    for (;;) {
        const size_t img = html.find("base64,", from), svg = html.find("<svg", from);
        const size_t at = std::min(img, svg);
        if (at == std::string::npos) break;
        out.append(html, from, at - from);
        const size_t end = at == img ? html.find('"', at) : html.find("</svg>", at);
        if (end == std::string::npos) return out;
        from = end + (at == img ? 0 : 6);
    }
    return out.append(html, from, std::string::npos);
}

// A table cell printed as Infinity or NaN: the word alone (not inside another word).
bool nonfinite(const std::string& text, std::string* where) {
    static const char* const words[] = {"Infinity", "NaN", "nan", "inf", "-inf", "INF"};
    for (const char* w : words) {
        const size_t n = std::strlen(w);
        for (size_t at = text.find(w); at != std::string::npos; at = text.find(w, at + 1)) {
            const bool left = at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1]));
            const bool right = at + n >= text.size() || !std::isalnum(static_cast<unsigned char>(text[at + n]));
            if (left && right) {
                const size_t a = text.rfind('\n', at), b = text.find('\n', at);
                const size_t from = a == std::string::npos ? 0 : a + 1, to = b == std::string::npos ? text.size() : b;
                *where = text.substr(std::max(from, at > 100 ? at - 100 : 0), std::min<size_t>(to - from, 200));
                return true;
            }
        }
    }
    return false;
}

// Every record of a CSV file has as many fields as its header (quoted fields may hold commas
// and line ends); where names the first record that does not.
bool wholecsv(const std::string& text, std::string* where) {
    size_t fields = 1, want = 0, line = 1, start = 0;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') ++i;   // a doubled quote
            else if (c == '"') quoted = false;
            continue;
        }
        if (c == '"') quoted = true;
        else if (c == ',') ++fields;
        else if (c == '\n') {
            if (line == 1) want = fields;
            else if (fields != want) {
                *where = "line " + std::to_string(line) + " has " + std::to_string(fields) + " fields, the header " +
                         std::to_string(want) + ": " + text.substr(start, std::min<size_t>(i - start, 120));
                return false;
            }
            fields = 1;
            ++line;
            start = i + 1;
        }
    }
    if (start < text.size()) {
        *where = "the last line has no line end";
        return false;
    }
    return true;
}

Outcome runone(const fs::path& dir) {
    Outcome o;
    const fs::path out = dir / "out";
    fs::create_directories(out);
    const std::string exe = command();
    // Everything the child needs is made before the fork: the harness runs programs on several
    // threads, and after a fork only calls that take no lock are safe (a lock of the memory
    // allocator that another thread held at the fork stays held in the child, which then hangs
    // before it runs the program).
    const std::string data = dir.string(), outs = out.string(), prog = (dir / "program.vx").string();
    const std::string so = (dir / "stdout.txt").string(), se = (dir / "stderr.txt").string();
    std::vector<std::string> envs;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("VITALYX_MODULE=", 0) != 0 && v.rfind("ASAN_OPTIONS=", 0) != 0 && v.rfind("UBSAN_OPTIONS=", 0) != 0)
            envs.push_back(v);
    }
    envs.push_back("VITALYX_MODULE=" + module());
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's shadow takes terabytes of address space: memory is held by its own
    // limit on the resident size instead.
    envs.push_back("ASAN_OPTIONS=hard_rss_limit_mb=1024:detect_leaks=1:abort_on_error=0");
#endif
    envs.push_back("UBSAN_OPTIONS=print_stacktrace=1");
    std::vector<char*> envp;
    for (std::string& v : envs) envp.push_back(v.data());
    envp.push_back(nullptr);
    const char* argv[] = {exe.c_str(), "--data", data.c_str(), "--out", outs.c_str(), prog.c_str(), nullptr};
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        const int fd1 = ::open(so.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int fd2 = ::open(se.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd1, 1);
        dup2(fd2, 2);
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit as{static_cast<rlim_t>(kMemoryLimit), static_cast<rlim_t>(kMemoryLimit)};
        setrlimit(RLIMIT_AS, &as);
#endif
        execve(exe.c_str(), const_cast<char* const*>(argv), envp.data());
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    bool killed = false;
    for (;;) {
        const pid_t r = wait4(pid, &status, WNOHANG, &ru);
        if (r == pid) break;
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!killed && took > kTimeLimit) {
            kill(-pid, SIGKILL);
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    o.maxrss = ru.ru_maxrss * 1024L;
    const std::string err = testsupport::readfile((dir / "stderr.txt").string());
    const std::string log = testsupport::readfile((out / "log.txt").string());
    auto fault = [&](const std::string& what, const std::string& detail) {
        o.faults.push_back(what);
        if (o.detail.empty()) o.detail = detail;
    };
    if (killed) fault("timeout", "over " + std::to_string(static_cast<int>(kTimeLimit)) + " s");
    if (err.find("hard rss limit") != std::string::npos || o.maxrss > kMemoryLimit)
        fault("memory", "resident size " + std::to_string(o.maxrss >> 20) + " MB");
    for (const char* w : {"AddressSanitizer", "LeakSanitizer", "runtime error:", "stale pointer"}) {
        if (err.find(w) != std::string::npos && err.find("hard rss limit") == std::string::npos) {
            const size_t at = err.find(w);
            fault("sanitizer", err.substr(at, std::min<size_t>(200, err.size() - at)));
            break;
        }
    }
    if (!killed && WIFSIGNALED(status) && o.faults.empty()) fault("crash", "signal " + std::to_string(WTERMSIG(status)));
    if (!killed && WIFEXITED(status)) {
        const int code = WEXITSTATUS(status);
        bool error = false;
        std::istringstream in(log);
        for (std::string l; std::getline(in, l);)
            if (l.rfind("ERROR", 0) == 0 && !error) {
                error = true;
                o.firsterror = l;
            }
        o.ran = !error;
        if (code == 0 && error) fault("status", "an ERROR with exit status 0");
        if (code == 1 && !error) fault("status", "exit status 1 without an ERROR");
        if (code != 0 && code != 1) fault("status", "exit status " + std::to_string(code));
    }
    // Table cells: the listing, the report and the MAKE data sets.
    std::string where;
    for (const char* f : {"listing.txt", "report.html"}) {
        if (nonfinite(withoutpictures(testsupport::readfile((out / f).string())), &where)) {
            fault("infinity", std::string(f) + ": " + where);
            break;
        }
    }
    if (probabilityout(testsupport::readfile((out / "listing.txt").string()), &where)) fault("probability", "listing.txt: " + where);
    else if (probabilitycsv(testsupport::readfile((out / "pe.csv").string()), &where)) fault("probability", "pe.csv: " + where);
    if (fs::exists(out))
        for (const auto& e : fs::directory_iterator(out))
            if (e.path().extension() == ".csv" && nonfinite(testsupport::readfile(e.path().string()), &where)) {
                fault("infinity", e.path().filename().string() + ": " + where);
                break;
            }
    // A data set is whole (every record as many fields as its header) and no temporary file
    // is left once the run has ended.
    if (fs::exists(out))
        for (const auto& e : fs::directory_iterator(out)) {
            const std::string name = e.path().filename().string();
            if (name.find(".tmp-") != std::string::npos) fault("dataset", "a temporary file is left: " + name);
            else if (e.path().extension() == ".csv" && !wholecsv(testsupport::readfile(e.path().string()), &where))
                fault("dataset", name + ": " + where);
        }
    return o;
}

struct Summary {
    std::mutex m;
    std::map<std::string, std::vector<std::string>> byclass;   // fault class -> the failing programs' folders
    std::atomic<long> runs{0}, clean{0}, ran{0};
    double slowest = 0;
    std::map<std::string, int> errors;   // the first ERROR of each run, counted
};

// Runs programs first .. last - 1 of the seed on `jobs` workers; a failing program is kept in
// keep/<index> (program, data, output, replay.sh), a clean one is removed.
void campaign(uint64_t seed, long first, long last, int jobs, const fs::path& keep, const fs::path& work, Summary& sum) {
    std::atomic<long> next{first};
    auto worker = [&]() {
        for (long i = next++; i < last; i = next++) {
            fuzz::Gen g(seed * 1000003 + static_cast<uint64_t>(i));
            const fs::path dir = work / std::to_string(i);
            fs::create_directories(dir);
            std::string what;
            Data data(g);
            const std::string csv = data.make(what);
            Programs progs(g);
            const std::string program = progs.make();
            std::ofstream(dir / "d.csv", std::ios::binary) << csv;
            std::ofstream(dir / "program.vx", std::ios::binary) << "/* data: " << what << " */\n" << program;
            const Outcome o = runone(dir);
            ++sum.runs;
            if (o.ran) ++sum.ran;
            std::lock_guard<std::mutex> lock(sum.m);
            sum.slowest = std::max(sum.slowest, o.seconds);
            if (!o.firsterror.empty()) ++sum.errors[o.firsterror.substr(0, 70)];
            if (o.faults.empty()) {
                ++sum.clean;
                fs::remove_all(dir);
                continue;
            }
            const fs::path kept = keep / (o.faults[0] + "-" + std::to_string(i));
            fs::remove_all(kept);
            fs::create_directories(kept.parent_path());
            fs::rename(dir, kept);
            std::ofstream(kept / "fault.txt") << "faults:";
            std::ofstream f(kept / "fault.txt", std::ios::app);
            for (const auto& c : o.faults) f << " " << c;
            f << "\n" << o.detail << "\nseconds " << o.seconds << ", resident " << (o.maxrss >> 20) << " MB\n";
            std::ofstream r(kept / "replay.sh");
            r << "#!/bin/sh\n# replays program " << i << " of seed " << seed << "\ncd \"$(dirname \"$0\")\"\nVITALYX_MODULE="
              << module() << " " << command() << " --data . --out out program.vx\n";
            for (const auto& c : o.faults) sum.byclass[c].push_back(kept.string() + ": " + o.detail);
        }
    };
    std::vector<std::thread> pool;
    for (int k = 0; k < jobs; ++k) pool.emplace_back(worker);
    for (auto& t : pool) t.join();
}

std::string report(const Summary& sum) {
    std::string s;
    for (const auto& [c, list] : sum.byclass) {
        s += c + ": " + std::to_string(list.size()) + " programs, for example\n  " + list.front() + "\n";
    }
    return s;
}

}  // namespace

TEST(FuzzProcess, DegenerateDataAndGeneratedProgramsEndCleanly) {
    const long longrun = envnumber("VITALYX_FUZZPROC_LONG", 0);
    const long runs = longrun > 0 ? longrun : envnumber("VITALYX_FUZZPROC_RUNS", 400);
    const int jobs = static_cast<int>(longrun > 0 ? envnumber("VITALYX_FUZZPROC_JOBS", std::thread::hardware_concurrency())
                                                  : envnumber("VITALYX_FUZZPROC_JOBS", 2));
    const uint64_t seed = static_cast<uint64_t>(envnumber("VITALYX_FUZZPROC_SEED", 20260126));
    const char* keepenv = std::getenv("VITALYX_FUZZPROC_KEEP");
    const fs::path keep = keepenv && *keepenv ? fs::path(keepenv) : fs::path(longrun > 0 ? "/tmp/vitalyx-fuzz" : testsupport::tempdir("fuzzkeep"));
    const fs::path work = testsupport::tempdir("fuzzproc");
    Summary sum;
    const auto t0 = std::chrono::steady_clock::now();
    campaign(seed, 0, runs, std::max(1, jobs), keep, work, sum);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    fs::remove_all(work);
    std::cout << "[ note ] " << sum.runs << " programs in " << static_cast<int>(took) << " s on " << jobs << " workers, "
              << sum.clean << " clean, " << sum.ran << " without an ERROR, the slowest " << sum.slowest << " s; failing programs kept in " << keep << "\n"
              << report(sum);
    if (std::getenv("VITALYX_FUZZPROC_ERRORS")) {
        std::vector<std::pair<int, std::string>> e;
        for (const auto& [t, n] : sum.errors) e.push_back({n, t});
        std::sort(e.rbegin(), e.rend());
        for (size_t k = 0; k < e.size() && k < 40; ++k) std::cout << "  " << e[k].first << "  " << e[k].second << "\n";
    }
    for (const auto& [c, list] : sum.byclass) ADD_FAILURE() << c << ": " << list.size() << " programs, for example\n  " << list.front();
    EXPECT_GT(sum.ran * 4, sum.runs) << "fewer than one program in four reaches the analyses";
    if (!(keepenv && *keepenv) && longrun == 0 && !::testing::Test::HasFailure()) fs::remove_all(keep);
}
