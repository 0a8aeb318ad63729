// The system options: one table of names, values and defaults, read by the command line,
// the OPTIONS statement and the procedure's queries.
#include "runtime/supervisor/options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "runtime/util/strings.h"

namespace rt::opt {
namespace {

// Where each option lives in the session's Options.
struct Field {
    const char* name;
    void (*put)(Options&, const std::string&);   // the checked value, in its canonical text
    std::string (*get)(const Options&);
};

bool on(const std::string& v) { return v == "1"; }

const std::vector<Def> defs = {
    {"THREADS", Kind::Flag, 0, 0, nullptr, "1",
     "lets the procedure use worker threads where it can (NOTHREADS: one thread)"},
    {"CPUCOUNT", Kind::Whole, 1, 1024, nullptr, "",
     "the number of processors the worker threads may use (default: the processors of the machine)"},
    {"DEBUG", Kind::Text, 0, 0, nullptr, "",
     "debugging switches of the procedure: SYN traces the statement syntax, SEM the semantic actions"},
    {"LINESIZE", Kind::Whole, 64, 256, nullptr, "100", "the width of listing.txt, in characters"},
    {"GRAPHICS", Kind::Word, 0, 0, "DEVICE|STATISTICAL", "DEVICE",
     "how plots are made: DEVICE draws them through the device graphics, STATISTICAL as graph templates"},
    {"GSTYLE", Kind::Flag, 0, 0, nullptr, "0",
     "device plots take their colours, lines and fonts from the output style named by STYLE="},
    {"STYLE", Kind::Name, 0, 0, nullptr, "DEFAULT", "the output style of device plots when GSTYLE is on"},
    {"DEVICE", Kind::Name, 0, 0, nullptr, "", "the graphics device of device plots (VITALYX when not given)"},
    {"VALIDVARNAME", Kind::Word, 0, 0, "V7|V6|UPCASE|ANY", "V7",
     "the names the procedure makes for variables: V6 at most 8 characters, V7 and UPCASE at most 32, "
     "ANY keeps level texts as they are"},
    {"_TESTTHREAD", Kind::Word, 0, 0, "0|1|.", "",
     "test switch of the effects library's worker threads: 1 uses them even with NOTHREADS, 0 never, . leaves "
     "THREADS in charge"},
    {"_TESTTHREADZLEV", Kind::Word, 0, 0, "0|1|.", "",
     "the same switch for the levelization passes alone; of the two switches the larger value wins"},
};

const Field fields[] = {
    {"THREADS", [](Options& o, const std::string& v) { o.threads = on(v); },
     [](const Options& o) { return std::string(o.threads ? "1" : "0"); }},
    {"CPUCOUNT", [](Options& o, const std::string& v) { o.cpucount = v.empty() ? 0 : std::atoi(v.c_str()); },
     [](const Options& o) {
         unsigned hw = std::thread::hardware_concurrency();
         return std::to_string(o.cpucount > 0 ? o.cpucount : (hw ? static_cast<int>(hw) : 1));
     }},
    {"DEBUG", [](Options& o, const std::string& v) { o.debug = v; }, [](const Options& o) { return o.debug; }},
    {"LINESIZE", [](Options& o, const std::string& v) { o.linesize = std::atoi(v.c_str()); },
     [](const Options& o) { return std::to_string(o.linesize); }},
    {"GRAPHICS", [](Options& o, const std::string& v) { o.statistical = v == "STATISTICAL"; },
     [](const Options& o) { return std::string(o.statistical ? "STATISTICAL" : "DEVICE"); }},
    {"GSTYLE", [](Options& o, const std::string& v) { o.gstyle = on(v); },
     [](const Options& o) { return std::string(o.gstyle ? "1" : "0"); }},
    {"STYLE", [](Options& o, const std::string& v) { o.style = v; }, [](const Options& o) { return o.style; }},
    {"DEVICE", [](Options& o, const std::string& v) { o.device = v; }, [](const Options& o) { return o.device; }},
    {"VALIDVARNAME", [](Options& o, const std::string& v) { o.validvarname = v; },
     [](const Options& o) { return o.validvarname; }},
    {"_TESTTHREAD", [](Options& o, const std::string& v) { o.testthread = v; },
     [](const Options& o) { return o.testthread; }},
    {"_TESTTHREADZLEV", [](Options& o, const std::string& v) { o.testthreadzlev = v; },
     [](const Options& o) { return o.testthreadzlev; }},
};

const Field* fieldof(const Def& d) {
    for (const Field& f : fields)
        if (d.name == std::string(f.name)) return &f;
    return nullptr;
}

bool inwords(const char* words, const std::string& w) {
    std::string list = std::string("|") + words + "|";
    return !w.empty() && w.find('|') == std::string::npos && list.find("|" + w + "|") != std::string::npos;
}

// "A|B|C" as "A, B or C"
std::string shownwords(const char* words) {
    std::string s;
    const char* last = std::strrchr(words, '|');
    for (const char* p = words; *p; ++p) {
        if (*p != '|') s += *p;
        else if (p == last) s += " or ";
        else s += ", ";
    }
    return s;
}

// The canonical text of value for d; false with err when d does not take it.
bool check(const Def& d, const std::string& value, std::string& canon, std::string& err) {
    const std::string shown = util::quoted(value, 40);
    const std::string u = util::upper(value);
    switch (d.kind) {
    case Kind::Flag: {
        const bool yes = u == "1" || u == "YES" || u == "ON";
        const bool no = u == "0" || u == "NO" || u == "OFF";
        if (!yes && !no) {
            err = std::string(d.name) + "= takes YES or NO (1 or 0), not " + shown;
            return false;
        }
        canon.assign(1, yes ? '1' : '0');
        return true;
    }
    case Kind::Whole: {
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || errno != 0 || n < d.lo || n > d.hi) {
            err = std::string(d.name) + "= needs a whole number from " + std::to_string(d.lo) + " to " +
                  std::to_string(d.hi) + ", not " + shown;
            return false;
        }
        canon = std::to_string(n);
        return true;
    }
    case Kind::Word:
        if (!inwords(d.words, u)) {
            err = std::string(d.name) + "= takes " + shownwords(d.words) + ", not " + shown;
            return false;
        }
        canon = u;
        return true;
    case Kind::Name: {
        bool ok = !u.empty() && u.size() <= 32 && !std::isdigit(static_cast<unsigned char>(u[0]));
        for (char c : u) ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
        if (!ok) {
            err = std::string(d.name) + "= needs a name of letters, digits and underscores (at most 32), not " + shown;
            return false;
        }
        canon = u;
        return true;
    }
    case Kind::Text: canon = value; return true;
    }
    return false;
}

}  // namespace

const std::vector<Def>& table() { return defs; }

const Def* find(const std::string& name) {
    const std::string u = util::upper(name);
    for (const Def& d : defs)
        if (u == d.name) return &d;
    return nullptr;
}

std::string names() {
    std::string s;
    for (const Def& d : defs) {
        if (!s.empty()) s += ", ";
        s += d.name;
        if (d.kind == Kind::Flag) s += std::string(" (NO") + d.name + ")";
        else s += "=";
    }
    return s;
}

bool set(Options& o, const std::string& name, const std::string& value, std::string& err) {
    const Def* d = find(name);
    if (!d) {
        err = "there is no system option " + util::shown(name, 40) + "; the options are " + names();
        return false;
    }
    std::string canon;
    if (!check(*d, value, canon, err)) return false;
    fieldof(*d)->put(o, canon);
    return true;
}

bool text(const Options& o, const std::string& name, std::string& value) {
    const Def* d = find(name);
    if (!d) return false;
    value = fieldof(*d)->get(o);
    return true;
}

bool number(const Options& o, const std::string& name, double& value) {
    const Def* d = find(name);
    if (!d || (d->kind != Kind::Flag && d->kind != Kind::Whole)) return false;
    value = std::atof(fieldof(*d)->get(o).c_str());
    return true;
}

void reset(Options& o) {
    for (const Def& d : defs) fieldof(d)->put(o, d.fallback);
}

}  // namespace rt::opt

rt::Options::Options() { opt::reset(*this); }
