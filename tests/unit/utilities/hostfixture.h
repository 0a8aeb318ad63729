// A runtime host for the utility tests: the runtime's own vectors and pools, and a log that
// keeps every line so that a test can look for a message.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "proc/framework/anchor.h"
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
