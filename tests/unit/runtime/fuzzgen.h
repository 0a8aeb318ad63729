// The generator of the fuzz tests: analysis programs from the procedure's grammar tables
// (so a statement or option added to the grammar is exercised without further work), with
// values that are plausible, extreme or broken, and CSV files with awkward contents.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "host/grammar.h"
#include "proc/framework/grammar_tables.h"
#include "runtime/statements/suggest.h"

namespace fuzz {

class Gen {
public:
    explicit Gen(uint64_t seed) : rng_(seed) {}

    int below(int n) { return n <= 1 ? 0 : static_cast<int>(rng_() % static_cast<uint64_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    // A choice of something broken or extreme; never in a tame program.
    bool odd(int percent) { return !tame && chance(percent); }
    bool tame = false;   // a program written as a user would, to reach the analyses
    template <class T>
    const T& pick(const std::vector<T>& v) { return v[static_cast<size_t>(below(static_cast<int>(v.size())))]; }

    // ---- data
    std::string number() {
        static const std::vector<std::string> odd_ = {"0", "-0", "1e308", "-1e308", "1e-320", "4.9e-324", "123456789012345678901234567890",
                                                     ".", "", "NaN", "inf", "1,5", " 7 ", "0x10", "1e400"};
        if (odd(25)) return pick(odd_);
        return std::to_string(below(2000) - 200) + (chance(50) ? "." + std::to_string(below(1000)) : "");
    }
    std::string text() {
        static const std::vector<std::string> odd_ = {"\"a,b\"", "\"q\"\"q\"", "\"line\nbreak\"", "\"ERROR: forged\nERROR: x\"",
                                                     "\xef\xbb\xbf" "bom", "\x01\x02", "\"\r\"", "caf\xc3\xa9", "\xff\xfe", "A", "B"};
        if (odd(30)) return pick(odd_);
        return std::string(1, static_cast<char>('a' + below(3)));
    }
    // The data of a tame program: times, censoring, two classes, stresses and intervals.
    std::string tamecsv(std::vector<std::string>& names) {
        names = {"hours", "status", "lot", "plant", "temp", "volt", "lo", "hi", "unit", "nrec"};
        std::string s = "hours,status,lot,plant,temp,volt,lo,hi,unit,nrec\n";
        for (int i = 0, n = 5 + below(40); i < n; ++i) {
            const int h = 10 + below(900);
            s += std::to_string(h) + "," + std::to_string(below(2)) + "," + std::string(1, static_cast<char>('A' + below(3))) +
                 ",P" + std::to_string(below(2)) + "," + std::to_string(40 + 10 * below(4)) + "," +
                 std::to_string(5 + below(3)) + "," + std::to_string(h) + "," + std::to_string(h + 1 + below(50)) + ",U" +
                 std::to_string(below(8)) + "," + std::to_string(below(3)) + "\n";
        }
        return s;
    }
    std::string csv(std::vector<std::string>& names) {
        if (tame) return tamecsv(names);
        static const std::vector<std::string> pool = {"hours", "status", "lot", "plant", "temp", "volt", "lo", "hi",
                                                      "fails", "trials", "unit", "mode", "freq", "x1", "x2", "x3"};
        names.clear();
        const int ncol = 2 + below(8);
        for (int j = 0; j < ncol; ++j) names.push_back(odd(5) ? std::string("") : pick(pool));
        std::string s = odd(5) ? "\xef\xbb\xbf" : "";
        for (int j = 0; j < ncol; ++j) s += (j ? "," : "") + names[static_cast<size_t>(j)];
        s += chance(5) ? "\r\n" : "\n";
        const int nrow = chance(10) ? 0 : below(40);
        std::vector<bool> textcol(static_cast<size_t>(ncol));
        for (auto&& t : textcol) t = chance(25);
        for (int i = 0; i < nrow; ++i) {
            const int n = odd(3) ? ncol + below(3) - 1 : ncol;   // now and then a ragged row
            for (int j = 0; j < n; ++j) {
                if (j) s += ',';
                s += j < ncol && textcol[static_cast<size_t>(j)] ? text() : number();
            }
            s += "\n";
        }
        if (odd(3)) s += std::string(static_cast<size_t>(1 + below(3)) << 16, '9');   // a huge last field
        return s;
    }

    // ---- program
    std::string name(const std::vector<std::string>& vars) {
        static const std::vector<std::string> odd_ = {"nosuch", "_NUMERIC_", "_CHARACTER_", "x1-x3", "x1-x99999999999",
                                                     "a--b", std::string(40, 'z')};
        if (!vars.empty() && !odd(15)) {
            const std::string& v = pick(vars);
            if (!v.empty()) return v;
        }
        return pick(odd_);
    }
    std::string value(const goption& o, const std::vector<std::string>& vars) {
        // An iteration limit as large as an int asks for that many iterations, and a search that
        // never converges then runs for hours as asked: no hang for the time limit to catch. The
        // clamp of larger values is tested on its own (limits_test.cpp).
        if (first(o.names).rfind("MAXIT", 0) == 0) {
            std::string v = itlimit();
            if (o.value == GV_NUMBER2 && chance(50)) v.append(" ").append(itlimit());
            return v;
        }
        switch (o.value) {
        case GV_NONE: return "";
        case GV_NUMBER: return numval();
        case GV_NUMBER2: return numval() + (chance(50) ? " " + numval() : "");
        case GV_NUMORLIST:
        case GV_NUMLIST: return numlist();
        case GV_NAME: return !odd(20) ? std::string("red") : pick(std::vector<std::string>{"averyverylongname", "'q'", "1"});
        case GV_NAMELIST: return "red blue" + std::string(chance(20) ? " (green)" : "");
        case GV_TEXT:
        case GV_QSTRING:
        case GV_QSORLIST: return quoted();
        case GV_DATASET:
        case GV_OUTDATASET: return pick(std::vector<std::string>{"d", "work.d", "nolib.d", "e", "'x'"});
        case GV_CATALOG: return pick(std::vector<std::string>{"cat", "lib.cat", "2"});
        case GV_VARLIST: return name(vars);
        case GV_KEYWORD:
            if (o.nvals > 0 && !odd(10)) return first(o.vals[below(o.nvals)].names) + (chance(10) ? "(conf=0.5)" : "");
            return "NOSUCHVALUE";
        case GV_POSITION: return chance(50) ? std::string("ne") : "(" + numval() + "," + numval() + ")";
        case GV_RELATIONS: return chance(50) ? std::string("arr") : "(arr(" + name(vars) + "), pow(" + name(vars) + "))";
        default: return numval();
        }
    }
    std::string numval() {
        static const std::vector<std::string> odd_ = {"0", "-1", "1e300", "-1e300", "1e-300", "0.5", "100", "2147483648",
                                                     "1e308", "99999999999999999999", "abc", "."};
        return odd(40) ? pick(odd_) : std::to_string(below(200)) + (chance(30) ? ".25" : "");
    }
    std::string itlimit() {
        static const std::vector<std::string> odd_ = {"0", "-1", "0.5", "20000", "abc", "."};
        return odd(40) ? pick(odd_) : std::to_string(below(200));
    }
    std::string numlist() {
        if (chance(20)) return "0 to " + std::to_string(odd(30) ? 2000000 : below(50)) + " by " +
                               pick(std::vector<std::string>{"1", "0", "-1", "0.5"});
        std::string s;
        for (int i = 0, n = 1 + below(4); i < n; ++i) s += (i ? " " : "") + numval();
        return s;
    }
    std::string quoted() {
        static const std::vector<std::string> odd_ = {"'it''s'", "\"x\"", "''", "'a\nERROR: forged'", "'unclosed",
                                                     "'" + std::string(300, 'q') + "'"};
        return odd(40) ? pick(odd_) : "'label'";
    }
    static std::string first(const char* names) {
        std::string s(names ? names : "");
        return s.substr(0, s.find('|'));
    }
    static std::string alias(Gen& g, const char* names) {
        const auto v = rt::stmt::aliases(names);
        return v.empty() ? std::string() : g.pick(v);
    }

    std::string options(const gstatement& st, const std::vector<std::string>& vars) {
        std::vector<const goption*> all;
        for (int k = 0; k < st.nsets; ++k)
            for (int i = 0; i < st.sets[k].n; ++i) all.push_back(&st.sets[k].opts[i]);
        if (all.empty()) return "";
        std::string s;
        for (int i = 0, n = below(tame ? 3 : 5); i < n; ++i) {
            const goption& o = *pick(all);
            std::string kw = alias(*this, o.names);
            if (kw.empty() || (tame && o.value == GV_DATASET)) continue;
            s += " " + kw;
            const std::string v = value(o, vars);
            if (o.value != GV_NONE && !v.empty()) s += o.way == GW_PAREN ? "(" + v + ")" : "=" + v;
            if (o.ntrail > 0 && chance(30)) s += " " + first(o.trail[0].names);
        }
        if (odd(5)) s += " " + std::string(chance(50) ? 5000 : 40, 'K');   // an unknown or too long keyword
        return s;
    }

    std::string head(const gstatement& st, const std::vector<std::string>& vars) {
        if (tame) return tamehead(st);
        const std::string a = name(vars), b = name(vars);
        switch (st.head) {
        case GH_BY: return (chance(20) ? " descending " : " ") + a;
        case GH_VARS:
        case GH_ONEVAR: return " " + a;
        case GH_CLASS: return " " + a + (chance(30) ? " " + b : "") + (chance(20) ? " / truncate=" + numval() : "");
        case GH_DIST: return " " + pick(std::vector<std::string>{"weibull", "lnorm", "poisson", "binomial", "gamma", "nosuch"});
        case GH_RESPONSE:
        case GH_STRESS:
        case GH_MODEL: {
            std::string r = pick(std::vector<std::string>{a, a + "*" + b + "(0)", "(" + a + " " + b + ")", a + "(" + b + ")",
                                                          a + "*" + b + "(0 to 3)", ""});
            if (st.head == GH_MODEL) {
                static const std::vector<std::string> effects = {"temp", "temp|volt|lot @2", "lot*temp", "temp(lot)",
                                                                 "x1-x3", "_NUMERIC_", "temp|temp|temp|temp|temp|temp"};
                return " " + r + (chance(80) ? " = " + pick(effects) : "");
            }
            return " " + r + (chance(50) ? " = " + b : "");
        }
        case GH_MCF: return " " + a + "*" + b + "(1)" + (chance(30) ? " = " + name(vars) : "");
        case GH_EFFECTS: return " " + pick(std::vector<std::string>{"temp", "lot", "temp|volt"});
        case GH_INSET: return pick(std::vector<std::string>{" n nfail", " weibull(scale shape)", " n='label'", " nosuch"});
        case GH_FMODE: return pick(std::vector<std::string>{" keep mode=('a')", " combine mode=('a' 'b')", " eliminate mode"});
        case GH_MAKE: return " " + pick(std::vector<std::string>{"'Nobs'", "ModInfo", "'Tab\nERROR: x'", "''"}) + " out=" +
                             pick(std::vector<std::string>{"t", "work.t", "nolib.t", "T", "Work.T"}) +
                             (chance(20) ? " noprint" : "");
        default: return "";
        }
    }

    // Heads as a user writes them over the tame data.
    std::string tamehead(const gstatement& st) {
        switch (st.head) {
        case GH_BY: return " plant";
        case GH_VARS:
        case GH_ONEVAR: return pick(std::vector<std::string>{" unit", " temp", " volt"});
        case GH_CLASS: return pick(std::vector<std::string>{" lot", " lot plant"});
        case GH_DIST: return " " + pick(std::vector<std::string>{"weibull", "lnorm", "normal", "exponential", "logistic"});
        case GH_RESPONSE: return " " + pick(std::vector<std::string>{"hours", "hours*status(0)", "(lo hi)", "hours = lot"});
        case GH_STRESS: return " hours*status(0) = temp";
        case GH_MODEL: return " hours*status(0) = " + pick(std::vector<std::string>{"temp", "lot", "temp volt", "lot temp"});
        case GH_MCF: return " unit*nrec(1)";
        case GH_EFFECTS: return " temp";
        case GH_INSET: return " n nfail";
        case GH_FMODE: return " keep lot=('A')";
        case GH_MAKE: return " " + pick(std::vector<std::string>{"'Nobs'", "ModInfo", "'ParameterEstimates'"}) + " out=t";
        default: return "";
        }
    }

    std::string program(const std::vector<std::string>& vars) {
        const grammar& g = *vyxgrammar();
        std::string p;

        if (chance(20))
            p += "options " + pick(tame ? std::vector<std::string>{"nothreads", "linesize=64", "gstyle"}
                                        : std::vector<std::string>{"nothreads", "linesize=9", "frob=1", "gstyle nogstyle"}) +
                 ";\n";
        for (int step = 0, nsteps = 1 + below(2); step < nsteps; ++step) {
            p += "proc vitalyx" + std::string(!odd(10) ? " data=d" : "") + (odd(10) ? " namelen=" + numval() : "") + ";\n";
            for (int i = 0, n = 1 + below(tame ? 3 : 5); i < n; ++i) {
                const gstatement& st = g.stmts[1 + below(g.nstmts - 1)];
                std::string kw = alias(*this, st.names);
                std::string line = (st.labelled && chance(10) ? "lab: " : "") + kw + head(st, vars);
                std::string opts = options(st, vars);
                if (!opts.empty()) line += (st.noslash ? "" : " /") + opts;
                p += "  " + mutate(line) + ";\n";
            }
            p += chance(90) ? "run;\n" : "";
        }
        return p;
    }

    // Now and then a statement is broken: a character dropped, doubled or replaced.
    std::string mutate(std::string s) {
        if (s.empty() || !odd(15)) return s;
        static const std::string junk = "()@|*=;'\"/-.,:\x01";
        const size_t at = static_cast<size_t>(below(static_cast<int>(s.size())));
        switch (below(3)) {
        case 0: s.erase(at, 1); break;
        case 1: s.insert(at, 1, s[at]); break;
        default: s[at] = junk[static_cast<size_t>(below(static_cast<int>(junk.size())))];
        }
        return s;
    }

private:
    std::mt19937_64 rng_;
};

}  // namespace fuzz
