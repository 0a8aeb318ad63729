// Runs whole programs in-process with the analyses of ANALYZE, PROBPLOT and RELATIONPLOT
// replaced by hooks of the test (this executable defines vyxanlz, vyxpplt and vyxrplot): a
// hook calls the real option readers, input and driver pieces and looks at the state block
// they leave. Messages are found by their catalog number.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "runtime/output/output.h"
#include "runtime/supervisor/messages.h"
#include "tests/support/catalogmsg.h"
#include "tests/support/testhost.h"

namespace lt {

// The hooks: what the statement does in each BY group (the result is the routine's result).
extern std::function<int(vyxstate*)> onanalyze;
extern std::function<int(vyxstate*)> onplot;       // PROBPLOT, after its options were read
extern std::function<int(vyxstate*)> onrelation;   // RELATIONPLOT (reads its own options)

struct Run {
    int status = 0;
    testsupport::CollectLog log;
    std::string listing;
};

inline std::string readfile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Runs program with the data sets name -> CSV text in a fresh folder.
inline Run run(const std::string& program, const std::map<std::string, std::string>& data) {
    char tmpl[] = "/tmp/vxlife-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    for (const auto& [name, text] : data) std::ofstream(dir + "/" + name + ".csv") << text;
    Run out;
    {
        rt::Session s;
        s.datadir = dir;
        s.outdir = dir + "/out";
        std::filesystem::create_directories(s.outdir);
        s.log = &out.log;
        rt::runner::Config cfg;
        cfg.linked = mcn_main;
        out.status = rt::runner::run(program, s, cfg);
        rt::setcurrent(&s);
        std::string err;
        rt::out::endprogram(err);
        rt::setcurrent(nullptr);
    }
    out.listing = readfile(dir + "/out/listing.txt");
    std::filesystem::remove_all(dir);
    return out;
}

// Whether message n of catalog 510 was logged (of the kind, when given): a line holds the
// longest piece of the catalog text between its substitutions.
inline bool hasmsg(const testsupport::CollectLog& log, int n, char kind = 0) {
    return testsupport::hasmsg(log, 510, n, kind);
}

// The rows of a group in file order: the row buffer, or every block of its utility file.
inline std::vector<std::vector<double>> rows(vyxstate* s, grpnode* g) {
    const int m = static_cast<int>(s->opts.rowlay[1]);
    std::vector<std::vector<double>> out;
    if (!g->ufile) {
        for (int i = 0; i < g->nrows; ++i) out.emplace_back(g->rowbuf + i * m, g->rowbuf + (i + 1) * m);
        return out;
    }
    std::vector<double> block(size_t(s->opts.rowlay[0]) * m);
    xcpoint(g->ufile, 0);
    int left = g->nobs;
    while (left > 0 && xcread(g->ufile, block.data(), int64_t(block.size()) * 8) == 0) {
        const int n = left < static_cast<int>(s->opts.rowlay[0]) ? left : static_cast<int>(s->opts.rowlay[0]);
        for (int i = 0; i < n; ++i) out.emplace_back(block.begin() + i * m, block.begin() + (i + 1) * m);
        left -= n;
    }
    xcpoint(g->ufile, 0);
    return out;
}

// The first-level groups in list order (after the class-level ordering).
inline std::vector<grpnode*> groups(vyxstate* s) {
    std::vector<grpnode*> out;
    for (grpnode* g = s->groups.grplist.head; g; g = g->next) out.push_back(g);
    return out;
}

inline std::string key(const grpnode* g) {
    std::string k(g->key, 16);
    k.erase(k.find_last_not_of(' ') + 1);
    return k;
}

}  // namespace lt
