// The system option DEBUG asks for the parser's traces: SYN the syntax trace, SEM the
// semantic trace, in any case and anywhere in the text, also beyond 200 characters.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../../support/testhost.h"

namespace {

testhost::Run withdebug(const std::string& debug) {
    char tmpl[] = "/tmp/vxdebug-XXXXXX";
    const std::string out = mkdtemp(tmpl);
    testhost::Run r;
    rt::Session s;
    s.datadir = VITALYX_TEST_DATA "/framework";
    s.outdir = out;
    s.log = &r.log;
    s.opts.debug = debug;
    rt::runner::Config cfg;
    cfg.linked = mcn_main;
    r.status = rt::runner::run("proc vitalyx data=life;\n probplot hours / noconf;\nrun;\n", s, cfg);
    std::filesystem::remove_all(out);
    return r;
}

}  // namespace

TEST(DebugOption, TracesAskedForBySynAndSem) {
    struct Case {
        std::string debug;
        bool syn, sem;
    };
    const Case cases[] = {
        {"", false, false},
        {"   ", false, false},
        {"syn", true, false},
        {"Sem", false, true},
        {"sem,syn", true, true},
        {std::string(230, 'x') + "sem", false, true},   // longer than the 200-character buffer
    };
    for (const Case& c : cases) {
        auto r = withdebug(c.debug);
        EXPECT_EQ(r.status, 0) << r.log.all();
        EXPECT_EQ(r.log.has("Syntax trace"), c.syn) << "DEBUG=" << c.debug;
        EXPECT_EQ(r.log.has("Semantic trace"), c.sem) << "DEBUG=" << c.debug;
    }
}
