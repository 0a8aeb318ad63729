// The results of the initialisation, which end the step when non-zero: 1012 when DATA= is
// missing and the distribution needs it, 2000 for an FMODE statement with two variables or
// no values, the parser's error word for a syntax error, and 0 otherwise.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/hostdefs.h"
#include "host/module.h"
#include "proc/main/vyxinit.h"
#include "proc/vyxstate.h"
#include "proc/framework/xinit.h"
#include "runtime/host/hostinstance.h"
#include "runtime/output/output.h"
#include "runtime/session.h"
#include "runtime/statements/statements.h"
#include "tests/support/collectlog.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace {

// One step's start-up in the runtime host, up to and including vyxinit.
struct InitRun {
    testsupport::CollectLog log;
    int rc = -1;
    vyxarea area{};

    explicit InitRun(const std::string& program) {
        char tmpl[] = "/tmp/vxinit-XXXXXX";
        out_ = mkdtemp(tmpl);
        s_.datadir = VITALYX_TEST_DATA "/framework";
        s_.outdir = out_;
        s_.log = &log;
        src_.text = program;
        src_.procname = "VITALYX";
        s_.step = &src_;
        rt::setcurrent(&s_);
        host_ = rt::makehost();
        s_.inst = &host_->inst;
        mcn_main(&host_->inst, nullptr);
        rt::beginstep(host_);
        rt::out::beginprogram(&s_);
        rt::out::beginstep();
        xinit();
        rc = vyxinit(&area.s);
    }
    ~InitRun() {
        rt::stmt::endstep();
        rt::out::endstep();
        std::string err;
        rt::out::endprogram(err);
        rt::freehost(host_);
        rt::setcurrent(nullptr);
        std::filesystem::remove_all(out_);
    }

private:
    std::string out_;
    rt::Session s_;
    rt::StepSource src_;
    rt::HostInstance* host_ = nullptr;
};

}  // namespace

TEST(InitialisationResult, DataIsNeededUnlessPoissonOrBinomial) {
    {
        InitRun r("proc vitalyx; distribution weibull; analyze / count=3;");
        EXPECT_EQ(r.rc, RC_SETUP) << r.log.all();
        EXPECT_TRUE(r.log.has('E', "DATA=")) << r.log.all();
    }
    {
        InitRun r("proc vitalyx; analyze / count=3;");
        EXPECT_EQ(r.rc, RC_SETUP) << "no DISTRIBUTION: " << r.log.all();
    }
    for (const char* d : {"binomial", "poisson"}) {
        InitRun r(std::string("proc vitalyx; distribution ") + d + "; analyze / count=3;");
        EXPECT_EQ(r.rc, 0) << d << ": " << r.log.all();
        EXPECT_EQ(r.area.s.input.dsin, nullptr);
        EXPECT_EQ(r.area.s.opts.distcode, std::string(d) == "poisson" ? 9u : 10u);
    }
}

TEST(InitialisationResult, FmodeRefusalsAndSyntaxErrors) {
    {
        InitRun r("proc vitalyx data=life; fmode keep mode type = ('fan'); analyze hours;");
        EXPECT_EQ(r.rc, RC_SPEC) << r.log.all();
    }
    {
        InitRun r("proc vitalyx data=life; fmode keep mode = (); analyze hours;");
        EXPECT_EQ(r.rc, RC_SPEC) << r.log.all();
    }
    {
        InitRun r("proc vitalyx data=life; analyze hours / frobnicate;");
        EXPECT_EQ(r.rc, RC_SETUP) << r.log.all();
        EXPECT_EQ(r.area.s.input.procstmt, nullptr) << "nothing is read after a syntax error";
    }
    {
        InitRun r("proc vitalyx data=life; by plant; freq count; analyze hours;");
        EXPECT_EQ(r.rc, 0) << r.log.all();
        EXPECT_EQ(r.area.s.input.nbyvars, 1u);
        EXPECT_EQ(r.area.s.input.nfreq, 1);
    }
}
