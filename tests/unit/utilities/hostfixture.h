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

class KeptLog : public rt::Log {
public:
    std::vector<std::pair<char, std::string>> lines;
    void line(char kind, const std::string& text) override { lines.emplace_back(kind, text); }
    bool has(const std::string& part) const {
        for (auto& l : lines)
            if (l.second.find(part) != std::string::npos) return true;
        return false;
    }
};

class HostTest : public ::testing::Test {
protected:
    rt::HostInstance* host = nullptr;
    rt::Session session;
    KeptLog log;

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
