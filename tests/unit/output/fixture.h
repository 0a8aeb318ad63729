// A session with an output folder of its own and a log that collects its lines; the
// output system's program and first step are begun, as the step runner does.
#pragma once
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/outobj.h"
#include "host/vec320_output.h"
#include "proc/framework/wobmth.h"
#include "runtime/output/output.h"
#include "runtime/session.h"
#include "tests/support/files.h"

namespace outtest {

class Log : public rt::Log {
public:
    std::vector<std::pair<char, std::string>> lines;
    void line(char kind, const std::string& text) override { lines.emplace_back(kind, text); }
    int count(char kind) const {
        int n = 0;
        for (auto& l : lines) n += l.first == kind;
        return n;
    }
    std::string find(char kind) const {
        for (auto& l : lines)
            if (l.first == kind) return l.second;
        return {};
    }
};

using testsupport::readfile;

class OutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxout-XXXXXX";
        dir = mkdtemp(tmpl);
        sess.outdir = dir + "/out";
        sess.log = &log;
        sess.opts.linesize = 100;
        rt::setcurrent(&sess);
        rt::out::beginprogram(&sess);
        rt::out::beginstep();
        v = rt::out::services();
    }
    void TearDown() override {
        std::string err;
        rt::out::endprogram(err);
        rt::setcurrent(nullptr);
        std::filesystem::remove_all(dir);
    }
    // Ends the step and the program; the outputs can then be read.
    int finish(std::string* err = nullptr) {
        rt::out::endstep();
        std::string e;
        int rc = rt::out::endprogram(e);
        if (err) *err = e;
        return rc;
    }
    std::string out(const std::string& name) const { return readfile(sess.outdir + "/" + name); }
    txthandle txt(const char* s) { return v->rdxtxt(s, -1); }
    std::string str(txthandle h) {
        int n = 0;
        const char* p = v->rdxstr(h, &n);
        return std::string(p, static_cast<size_t>(n));
    }

    // The output manager, made as the procedure's initialisation makes it.
    obobject* manager() {
        obobject* env = nullptr;
        EXPECT_EQ(v->xobinit(&env, 0), 0);
        wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "manager", 7), obitem(OBK_CREATED, OBT_OBJECT),
                            obint(OBK_MSGGROUP, 510)};
        EXPECT_EQ(wobmth(env, nullptr, OB_CREATE, 4, create), 0);
        return static_cast<obobject*>(create[2].v.p);
    }

    std::string dir;
    rt::Session sess;
    Log log;
    const vec320* v = nullptr;
};

}  // namespace outtest
