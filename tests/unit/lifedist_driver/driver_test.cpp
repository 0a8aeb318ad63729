// The ANALYZE driver and the analysis driver as a user runs them: the count case calls the
// binomial and Poisson analysis (recorded here) once for the whole data or once per class
// level, and the life distributions fit every group and show a group that cannot be fitted
// without a fit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/hostdefs.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "runtime/output/output.h"
#include "tests/support/testhost.h"

namespace {

std::vector<std::string> calls;   // "pb:<level>", "pb:root", "pb:none", "pbpr"
int failat = -1;                  // the vyxpb call (from 0) that fails with 1020
bool itrowseen = false;

struct Result {
    int status;
    std::string log, listing;
};

Result run(const std::string& program, const std::string& csv) {
    calls.clear();
    itrowseen = false;
    char tmpl[] = "/tmp/vxdrv-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::ofstream(dir + "/d.csv") << csv;
    testsupport::CollectLog log;
    Result r;
    {
        rt::Session s;
        s.datadir = dir;
        s.outdir = dir + "/out";
        std::filesystem::create_directories(s.outdir);
        s.log = &log;
        rt::runner::Config cfg;
        cfg.linked = mcn_main;
        r.status = rt::runner::run(program, s, cfg);
        rt::setcurrent(&s);
        std::string err;
        rt::out::endprogram(err);
        rt::setcurrent(nullptr);
    }
    r.log = log.all();
    std::ifstream f(dir + "/out/listing.txt");
    std::stringstream ss;
    ss << f.rdbuf();
    r.listing = ss.str();
    std::filesystem::remove_all(dir);
    return r;
}

}  // namespace

// The binomial and Poisson analysis, recorded.
int vyxpb(vyxstate* s, grpnode* g) {
    if (s->life.fit.itrow) itrowseen = true;
    std::string who = !g ? "none" : g == &s->groups.rootgrp ? "root" : std::string(g->key, 1);
    calls.push_back("pb:" + who);
    return static_cast<int>(calls.size()) - 1 == failat ? RC_READ : 0;
}
int vyxpbpr(vyxstate*) {
    calls.push_back("pbpr");
    return 0;
}

TEST(AnalyzeDriver, CountCaseRunsTheAnalysisPerLevelThenItsTables) {
    const std::string data = "x,n,g\n1,10,a\n2,10,b\n0,5,a\n";
    failat = -1;
    run("proc vitalyx data=d;\n distribution poisson;\n analyze x(n);\nrun;\n", data);
    EXPECT_EQ(calls, (std::vector<std::string>{"pb:root", "pbpr"}));
    run("proc vitalyx data=d;\n distribution binomial;\n analyze x(n) = g;\nrun;\n", data);
    EXPECT_EQ(calls, (std::vector<std::string>{"pb:a", "pb:b", "pbpr"}));

    // A failing second level returns its code: no tables.
    failat = 1;
    run("proc vitalyx data=d;\n distribution binomial;\n analyze x(n) = g;\nrun;\n", data);
    EXPECT_EQ(calls, (std::vector<std::string>{"pb:a", "pb:b"}));
    failat = -1;

    // Counts given as options: no data are read, and ITPRINT allocates no history row.
    run("proc vitalyx;\n distribution poisson;\n analyze / count=3 itprint;\nrun;\n", data);
    EXPECT_EQ(calls, (std::vector<std::string>{"pb:none", "pbpr"}));
    EXPECT_FALSE(itrowseen);

    // Two class variables: the count case refuses them; a life distribution does not.
    auto r = run("proc vitalyx data=d;\n distribution poisson;\n analyze x(n) = g n;\nrun;\n", data);
    EXPECT_TRUE(calls.empty());
    EXPECT_NE(r.log.find("at most one class variable"), std::string::npos) << r.log;
    r = run("proc vitalyx data=d;\n analyze x = g n;\nrun;\n", data);
    EXPECT_NE(r.listing.find("Model Information with Class Levels"), std::string::npos) << r.log;
}

// A group that cannot be fitted between two that can: it shows no fit, the others the
// statement's method.
TEST(AnalysisDriver, AGroupWithoutAFitDoesNotStopTheNext) {
    std::string data = "t,c,g\n";
    for (int i = 1; i <= 6; ++i) {
        data += std::to_string(10 * i) + ",0,a\n";
        data += std::to_string(12 * i) + ",1,b\n";   // every b is right-censored
        data += std::to_string(9 * i + 3) + ",0,c\n";
    }
    auto r = run("proc vitalyx data=d;\n distribution weibull;\n analyze t*c(1) = g;\nrun;\n", data);
    ASSERT_EQ(r.status, 0) << r.log;
    const size_t est = r.listing.find("Parameter Estimates for Weibull Distribution");
    ASSERT_NE(est, std::string::npos) << r.listing;
    const std::string tail = r.listing.substr(est, r.listing.find("Other Weibull", est) - est);
    EXPECT_NE(tail.find("  a\n"), std::string::npos) << tail;
    EXPECT_NE(tail.find("  c\n"), std::string::npos) << tail;
    EXPECT_EQ(tail.find("  b\n"), std::string::npos) << tail;
}
