// Running programs in-process for tests: a log that collects its lines, and a helper
// that runs a program text through the runtime with the procedure linked in.
#pragma once
#include <string>
#include <vector>

#include "host/module.h"
#include "runtime/runner/program.h"
#include "runtime/session.h"
#include "tests/support/collectlog.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace testhost {

using testsupport::CollectLog;

struct Run {
    int status = 0;
    CollectLog log;
};

// Runs program with the WORK library in datadir and the output folder outdir.
inline Run runprogram(const std::string& program, const std::string& datadir, const std::string& outdir = "") {
    Run r;
    rt::Session s;
    s.datadir = datadir;
    s.outdir = outdir.empty() ? datadir : outdir;
    s.log = &r.log;
    rt::runner::Config cfg;
    cfg.linked = mcn_main;
    r.status = rt::runner::run(program, s, cfg);
    return r;
}

}  // namespace testhost
