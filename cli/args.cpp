// The command line of vitalyx: the program file, the output and data folders, --option
// NAME=VALUE pairs, and the usage text.
#include "cli/args.h"

#include "runtime/supervisor/options.h"
#include "runtime/util/paths.h"
#include "runtime/util/strings.h"

namespace cli {
namespace {

// NAME=VALUE with a non-empty name; false otherwise.
bool pair(const std::string& s, std::string& name, std::string& value) {
    size_t eq = s.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    name = s.substr(0, eq);
    value = s.substr(eq + 1);
    return true;
}

}  // namespace

std::string usage() {
    std::string u =
        "usage: vitalyx [--data DIR] [--lib NAME=DIR] [--out DIR] [--graphics device|statistical]\n"
        "               [--option NAME=VALUE] PROGRAM\n"
        "Runs the PROC VITALYX steps of PROGRAM and writes log.txt, listing.txt, report.html,\n"
        "graphics/ and the data sets that MAKE asks for into the output folder\n"
        "(default: vitalyx-out/ beside the program).\n"
        "System options (--option NAME=VALUE, or the OPTIONS statement):\n";
    for (const rt::opt::Def& d : rt::opt::table())
        u.append("  ").append(d.name).append(": ").append(d.meaning).append("\n");
    return u;
}

bool parse(int argc, char** argv, Args& a, std::string& err) {
    for (int i = 1; i < argc; ++i) {
        std::string s = argv[i];
        auto value = [&](std::string& out) {
            size_t eq = s.find('=');
            if (s.rfind("--", 0) == 0 && eq != std::string::npos) {
                out = s.substr(eq + 1);
                return true;
            }
            if (i + 1 >= argc) {
                err = "the option " + s + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string opt = s.substr(0, s.find('='));
        if (s == "-h" || s == "--help") {
            a.help = true;
        } else if (opt == "--data") {
            if (!value(a.datadir)) return false;
        } else if (opt == "--out") {
            if (!value(a.outdir)) return false;
        } else if (opt == "--graphics") {
            if (!value(a.graphics)) return false;
            if (a.graphics != "device" && a.graphics != "statistical") {
                err = "--graphics takes device or statistical, not '" + a.graphics + "'";
                return false;
            }
            a.options["GRAPHICS"] = a.graphics;   // the system option GRAPHICS=
        } else if (opt == "--lib" || opt == "--option") {
            std::string v, name, val;
            if (!value(v)) return false;
            if (!pair(v, name, val) || val.empty()) {
                err = opt + " needs NAME=" + (opt == "--lib" ? "DIR" : "VALUE") + ", not '" + v + "'";
                return false;
            }
            (opt == "--lib" ? a.libs : a.options)[rt::util::upper(name)] = val;
        } else if (s.rfind("-", 0) == 0 && s.size() > 1) {
            err = "unknown option " + s;
            return false;
        } else if (a.program.empty()) {
            a.program = s;
        } else {
            err = "only one program file can be given ('" + a.program + "' and '" + s + "')";
            return false;
        }
    }
    if (a.help) return true;
    if (a.program.empty()) {
        err = "no program file given";
        return false;
    }
    if (a.datadir.empty()) a.datadir = rt::util::splitpath(a.program).first;
    if (a.outdir.empty()) a.outdir = rt::util::splitpath(a.program).first + "/vitalyx-out";
    return true;
}

}  // namespace cli
