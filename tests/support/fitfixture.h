// The set-up the in-process fit tests share (the life-distribution fits of tests/unit/lifedist
// and the MODEL fits of tests/unit/regression): a runtime host, an output program with the
// procedure's output manager, and a zeroed state block with the fit criteria as the option
// readers leave them by default. Each area's fixture derives from it and adds its pools, its
// state and its rows.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "host/outobj.h"
#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "runtime/host/hostinstance.h"
#include "runtime/output/output.h"
#include "runtime/session.h"
#include "tests/support/collectlog.h"
#include "tests/support/files.h"

namespace testsupport {

class FitFixture : public ::testing::Test {
protected:
    rt::HostInstance* host = nullptr;
    rt::Session sess;
    CollectLog log;
    std::string dir;
    std::unique_ptr<vyxarea> area;
    vyxstate* s = nullptr;
    bool finished = false;

    void SetUp() override {
        finished = false;
        dir = tempdir("fit");
        host = rt::makehost();
        ASSERT_TRUE(rt::beginstep(host));
        sess.inst = &host->inst;
        sess.log = &log;
        sess.outdir = dir;
        sess.opts.linesize = 120;
        rt::setcurrent(&sess);
        v_global_gcb_anchor = &host->inst;
        rt::out::beginprogram(&sess);
        rt::out::beginstep();

        area = std::make_unique<vyxarea>();
        s = &area->s;
        obobject* env = nullptr;
        ASSERT_EQ(xobinit(&env, 0), 0);
        wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "manager", 7),
                            obitem(OBK_CREATED, OBT_OBJECT), obint(OBK_MSGGROUP, 510)};
        ASSERT_EQ(wobmth(env, nullptr, OB_CREATE, 4, create), 0);
        s->out.obenv = env;
        s->out.outmgr = static_cast<obobject*>(create[2].v.p);

        for (fitwork* f : {&s->life.fit, &s->mdl.fit}) {
            f->maxiter = 50;
            f->fitcrit.converge = 0.001;
            f->fitcrit.convh = 1e-4;
            f->fitcrit.singular = 1e7 * 1.1102230246251565e-16;
        }
        s->optsw.alpha = 0.05;
        for (auto& l : s->optsw.labels) std::memset(l, ' ', 40);
    }
    void TearDown() override {
        finish();
        rt::setcurrent(nullptr);
        v_global_gcb_anchor = nullptr;
        rt::freehost(host);
        std::filesystem::remove_all(dir);
    }
    // Ends the output program and the step; the listing can then be read. A destination that
    // could not be written fails the test.
    void finish() {
        if (finished) return;
        finished = true;
        if (s && s->out.outmgr) obrelease(s->out.outmgr);
        rt::out::endstep();
        std::string err;
        rt::out::endprogram(err);
        if (!err.empty()) ADD_FAILURE() << "output: " << err;
        rt::endstep(host);
    }
    std::string listing() {
        finish();
        return readfile(dir + "/listing.txt");
    }
};

}  // namespace testsupport
