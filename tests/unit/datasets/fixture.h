// A session over tests/data/datasets with a log that keeps its lines, and helpers that
// drive the data-set vector as the procedure does.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "runtime/datasets/library.h"
#include "runtime/session.h"

namespace dstest {

class LinesLog : public rt::Log {
public:
    void line(char kind, const std::string& text) override { lines.push_back(std::string(1, kind) + ":" + text); }
    std::vector<std::string> lines;
};

class DataSets : public ::testing::Test {
protected:
    void SetUp() override {
        session.datadir = std::string(VITALYX_TEST_DATA) + "/datasets";
        session.log = &log;
        rt::setcurrent(&session);
    }
    void TearDown() override {
        for (hdataset* d : opened) rt::ds::close(d);
        rt::setcurrent(nullptr);
    }
    // Opens a member of WORK; fails the test when it cannot be read.
    hdataset* open(const std::string& member, const std::string& lib = "") {
        std::string err;
        hdataset* d = rt::ds::open(session, lib, member, err);
        EXPECT_NE(d, nullptr) << err;
        if (d) opened.push_back(d);
        return d;
    }
    // The error text of a member that must not open.
    std::string failure(const std::string& member, const std::string& lib = "") {
        std::string err;
        hdataset* d = rt::ds::open(session, lib, member, err);
        EXPECT_EQ(d, nullptr);
        if (d) rt::ds::close(d);
        return err;
    }
    int32_t var(hdataset* d, const char* name) {
        int32_t v = rt::ds::findvar(d, name);
        EXPECT_GT(v, 0) << name;
        return v;
    }

    const vec203& v = *rt::ds::services();
    rt::Session session;
    LinesLog log;
    std::vector<hdataset*> opened;
};

inline std::string cell(const char* c, int n) { return std::string(c, static_cast<size_t>(n)); }

}  // namespace dstest
