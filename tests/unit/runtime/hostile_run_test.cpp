// Runs that meet hostile input: memory that runs out inside a step, data values that would
// flood the log or forge a line of it, and a program that cannot even be split into statements.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>

#include "host/module.h"
#include "../../support/files.h"
#include "../../support/testhost.h"

namespace {

using testsupport::readfile;
using testsupport::tempdir;

// A module whose step runs out of memory.
int exhausted() { throw std::bad_alloc(); }
const pcndesc kPcn = {0xFFFF0000u, 1024, 1024, {'z', 'o', 'r', 'd', 'u', 'v', 'e', 'x'}, 0, exhausted, 3, 9683,
                      0x005395D0u, 15};
const pcndesc* const kPcns[] = {&kPcn, nullptr};
const imagerec kImage = [] {
    imagerec r{};
    std::memcpy(r.marker, "ZOR_Image_Information=", 22);
    r.magic = IMAGE_MAGIC;
    r.word8 = 8;
    r.pcns = kPcns;
    std::memcpy(r.version, "001", 4);
    return r;
}();
extern "C" const imagerec* exhaustedmain(hostinst*, void*) { return &kImage; }

}  // namespace

TEST(HostileRun, RunningOutOfMemoryInAStepIsAnErrorAndStopsTheRun) {
    const std::string out = tempdir();
    testhost::CollectLog log;
    rt::Session s;
    s.datadir = out;
    s.outdir = out;
    s.log = &log;
    rt::runner::Config cfg;
    cfg.linked = exhaustedmain;
    const int status = rt::runner::run("proc vitalyx;\nrun;\nproc vitalyx;\nrun;\n", s, cfg);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(log.has('E', "Out of memory: the VITALYX step that starts on line 1 was stopped")) << log.all();
    EXPECT_EQ(log.count('E'), 1) << "the second step does not run: " << log.all();
    std::filesystem::remove_all(out);
}

TEST(HostileRun, DataValuesCannotFloodOrForgeTheLog) {
    const std::string dir = tempdir();
    {
        std::ofstream f(dir + "/d.csv");
        f << "hours,cens\n" << std::string(1 << 20, '7') << "x,\"1\nERROR: forged\"\n";
    }
    auto r = testhost::runprogram(
        "proc vitalyx data=d;\n make 'Tab\nERROR: forged too' out=t;\n analyze hours;\n analyze cens;\nrun;\n", dir, dir);
    EXPECT_EQ(r.status, 1);
    for (const auto& l : r.log.lines) {
        EXPECT_EQ(l.text.find('\n'), std::string::npos) << l.text.substr(0, 200);
        EXPECT_LT(l.text.size(), 1100u) << l.text.substr(0, 200);
    }
    EXPECT_TRUE(r.log.has('E', "(line 2 has '1\\nERROR: forged')")) << r.log.all();
    EXPECT_TRUE(r.log.has('E', "(line 2 has '777777777777777777777777777777777777777777777777777777777777...')"))
        << r.log.all().substr(0, 2000);
    EXPECT_TRUE(r.log.has(' ', "    2   make 'Tab")) << r.log.all();
    std::filesystem::remove_all(dir);
}

TEST(HostileRun, AProgramThatCannotBeSplitStillReplacesTheOutputs) {
    const std::string dir = tempdir();
    auto first = testhost::runprogram("proc vitalyx;\nrun;\n", dir, dir);
    ASSERT_NE(readfile(dir + "/report.html").find("DATA= is needed"), std::string::npos);
    auto second = testhost::runprogram("/* a comment that is never closed\nproc vitalyx;\n", dir, dir);
    EXPECT_EQ(second.status, 1);
    const std::string report = readfile(dir + "/report.html");
    EXPECT_EQ(report.find("DATA= is needed"), std::string::npos) << "the report of the first run stays";
    EXPECT_NE(report.find("not closed"), std::string::npos) << report;
    EXPECT_EQ(readfile(dir + "/listing.txt"), "");
    std::filesystem::remove_all(dir);
}
