// Running programs in-process for tests: a log that collects its lines, and a helper
// that runs a program text through the runtime with the procedure linked in.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/module.h"
#include "runtime/output/output.h"
#include "runtime/runner/program.h"
#include "runtime/session.h"
#include "tests/support/collectlog.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace testhost {

using testsupport::CollectLog;

struct Run {
    int status = 0;
    CollectLog log;
    std::string outputs;   // why listing.txt or report.html could not be completed; empty when they were
};

// Runs program with the WORK library in datadir and the output folder outdir (without one, a
// temporary folder that is removed afterwards), and the libraries libs (name -> folder).
inline Run runprogram(const std::string& program, const std::string& datadir, const std::string& outdir = "",
                      const std::map<std::string, std::string>& libs = {}) {
    Run r;
    rt::Session s;
    s.datadir = datadir;
    s.libs = libs;
    std::string temp;
    if (outdir.empty()) {
        char tmpl[] = "/tmp/vxrun-XXXXXX";
        temp = mkdtemp(tmpl);
    }
    s.outdir = outdir.empty() ? temp : outdir;
    s.log = &r.log;
    rt::runner::Config cfg;
    cfg.linked = mcn_main;
    r.status = rt::runner::run(program, s, cfg);
    // the outputs are completed while the session lives, as the command does
    rt::setcurrent(&s);
    rt::out::endprogram(r.outputs);
    rt::setcurrent(nullptr);
    if (!temp.empty()) std::filesystem::remove_all(temp);
    return r;
}

}  // namespace testhost
