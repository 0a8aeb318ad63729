// Running programs in-process for tests: a log that collects its lines, and a helper
// that runs a program text through the runtime with the procedure linked in.
#pragma once
#include <string>
#include <vector>

#include "host/module.h"
#include "runtime/runner/program.h"
#include "runtime/session.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace testhost {

class CollectLog : public rt::Log {
public:
    struct Line {
        char kind;
        std::string text;
    };
    std::vector<Line> lines;
    void line(char kind, const std::string& text) override { lines.push_back({kind, text}); }

    // Lines of a kind ('N', 'W', 'E'), or every line with ' '.
    std::vector<std::string> of(char kind) const {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.kind == kind) out.push_back(l.text);
        return out;
    }
    bool has(char kind, const std::string& part) const {
        for (const auto& l : lines)
            if (l.kind == kind && l.text.find(part) != std::string::npos) return true;
        return false;
    }
    std::string all() const {
        std::string s;
        for (const auto& l : lines) s += std::string(1, l.kind) + ": " + l.text + "\n";
        return s;
    }
};

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
