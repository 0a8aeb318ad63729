// A runtime host for tests of the procedure's routines: the runtime's own vectors and pools,
// and a log that keeps every line so that a test can look for a message. StateTest adds a
// zeroed state block with a statement pool and a work pool.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <cstring>
#include <memory>

#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "runtime/host/hostinstance.h"
#include "runtime/session.h"
#include "tests/support/collectlog.h"

class HostTest : public ::testing::Test {
protected:
    rt::HostInstance* host = nullptr;
    rt::Session session;
    testsupport::CollectLog log;

    void SetUp() override {
        host = rt::makehost();
        ASSERT_TRUE(rt::beginstep(host));
        session.inst = &host->inst;
        session.log = &log;
        rt::setcurrent(&session);
        v_global_gcb_anchor = &host->inst;
    }
    void TearDown() override {
        rt::setcurrent(nullptr);
        v_global_gcb_anchor = nullptr;
        rt::freehost(host);
    }
};

class StateTest : public HostTest {
protected:
    std::unique_ptr<vyxarea> area;
    vyxstate* s = nullptr;

    void SetUp() override {
        HostTest::SetUp();
        area = std::make_unique<vyxarea>();
        std::memset(static_cast<void*>(area.get()), 0, sizeof(vyxarea));
        s = &area->s;
        s->pools.stmtpool = xmpoolc(8192, 8192, 4);
        s->pools.workpool = xmpoolc(8192, 8192, 4);
        s->optsw.alpha = 0.05;
        s->optsw.rowlay[0] = 100;
    }
    void TearDown() override {
        xmpoold(s->pools.stmtpool);
        xmpoold(s->pools.workpool);
        HostTest::TearDown();
    }
};
