// The include rules on the repository (docs/architecture.md states them), and on small trees
// made here that break each rule once, so that the checker is seen to catch every kind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "includerules.h"
#include "tests/support/files.h"

namespace fs = std::filesystem;

namespace {

// The floors of proc/ hold: every folder includes its own headers, the floors and other
// folders' public headers only (the switch stays so that a later step can see the count).
constexpr bool kProcFloorsChecked = true;

std::string listed(const std::vector<incrules::Violation>& v) {
    std::string s;
    for (const auto& x : v) s += "\n  " + incrules::describe(x);
    return s;
}

TEST(IncludeRules, ProcReachesNothingButHostAndCommonWhichReachOnlyThemselves) {
    const fs::path root = VITALYX_SOURCE_DIR;
    const auto proc = incrules::scan(root, "proc");
    const auto host = incrules::scan(root, "host");
    const auto common = incrules::scan(root, "common");
    ASSERT_GT(proc.size(), 500u) << "the scan found too few includes to be trusted";
    ASSERT_GT(host.size(), 10u);
    ASSERT_GT(common.size(), 3u);
    const auto v = incrules::checkboundary(proc, host, common);
    EXPECT_TRUE(v.empty()) << listed(v);
}

TEST(IncludeRules, RuntimeFoldersFormNoCycle) {
    const auto runtime = incrules::scan(VITALYX_SOURCE_DIR, "runtime");
    ASSERT_GT(runtime.size(), 300u);
    ASSERT_GT(incrules::runtimegraph(runtime).size(), 15u);
    const auto v = incrules::checkruntimecycles(runtime);
    EXPECT_TRUE(v.empty()) << listed(v);
}

TEST(IncludeRules, ProcFoldersIncludeOnlyFloorsAndPublicHeaders) {
    const fs::path root = VITALYX_SOURCE_DIR;
    const auto v = incrules::checkfloors(root, incrules::scan(root, "proc"));
    if (!kProcFloorsChecked) {
        std::cout << "[ note ] " << v.size() << " includes of proc/ break its floors (not checked yet)\n";
        GTEST_SKIP() << "the floors of proc/ are checked once the proc/ part of the architecture step is done";
    }
    EXPECT_TRUE(v.empty()) << listed(v);
}

// A small tree laid out like the repository.
class Tree : public ::testing::Test {
protected:
    fs::path root;
    void SetUp() override { root = testsupport::tempdir("incrules"); }
    void TearDown() override { fs::remove_all(root); }
    void file(const std::string& path, const std::vector<std::string>& includes) {
        fs::create_directories((root / path).parent_path());
        std::ofstream f(root / path);
        f << "// " << path << "\n#pragma once\n";
        for (const auto& i : includes) f << "#include \"" << i << "\"\n";
        f << "#include <vector>\n// #include \"runtime/commented/out.h\"\n";
    }
    // A tree that keeps every rule: the floors, two folders using each other's public
    // headers, a runtime whose folders include downwards only.
    void sound() {
        file("host/vec.h", {});
        file("host/kernel.h", {"host/vec.h"});
        file("proc/framework/state.h", {"host/vec.h"});
        file("proc/framework/state.cpp", {"proc/framework/state.h", "host/kernel.h"});
        file("proc/numeric/kernels.h", {"proc/framework/state.h"});
        file("proc/numeric/kernels.cpp", {"kernels.h"});
        file("proc/alpha/alpha.h", {"proc/framework/state.h", "proc/numeric/kernels.h", "host/vec.h"});
        file("proc/alpha/inner.h", {"proc/alpha/alpha.h"});
        file("proc/alpha/fit.cpp", {"proc/alpha/inner.h", "proc/beta/beta.h"});
        file("proc/beta/beta.h", {"proc/framework/state.h"});
        file("proc/beta/plot.cpp", {"proc/beta/beta.h", "proc/alpha/alpha.h", "proc/numeric/kernels.h", "proc/vyxstate.h", "common/shared.h"});
        file("common/shared.h", {});
        file("common/shared.cpp", {"common/shared.h"});
        file("proc/alpha/alphastate.h", {"proc/framework/state.h"});
        file("proc/vyxstate.h", {"proc/framework/state.h", "proc/alpha/alphastate.h"});
        file("proc/framework/main.cpp", {"proc/framework/state.h", "proc/vyxstate.h"});
        file("proc/alpha/rows.h", {"proc/alpha/alpha.h", "proc/vyxstate.h"});
        file("proc/main/run.h", {});
        file("proc/main/run.cpp", {"proc/main/run.h", "proc/alpha/alpha.h", "proc/beta/beta.h", "proc/framework/state.h",
                                   "proc/vyxstate.h"});
        file("runtime/session.h", {"host/vec.h"});
        file("runtime/util/strings.h", {});
        file("runtime/supervisor/log.cpp", {"runtime/session.h", "runtime/util/strings.h"});
        file("runtime/output/table.cpp", {"runtime/supervisor/log.cpp", "runtime/util/strings.h", "common/shared.h"});
    }
    std::vector<incrules::Violation> all() {
        auto v = incrules::checkboundary(incrules::scan(root, "proc"), incrules::scan(root, "host"), incrules::scan(root, "common"));
        const auto f = incrules::checkfloors(root, incrules::scan(root, "proc"));
        const auto c = incrules::checkruntimecycles(incrules::scan(root, "runtime"));
        v.insert(v.end(), f.begin(), f.end());
        v.insert(v.end(), c.begin(), c.end());
        return v;
    }
    // The one violation the tree holds: its rule, and where it is.
    void expectone(incrules::Rule rule, const std::string& where) {
        const auto v = all();
        ASSERT_EQ(v.size(), 1u) << listed(v);
        EXPECT_EQ(v[0].rule, rule) << listed(v);
        EXPECT_NE(incrules::describe(v[0]).find(where), std::string::npos) << listed(v);
    }
};

TEST_F(Tree, SoundTreeBreaksNoRule) {
    sound();
    const auto v = all();
    EXPECT_TRUE(v.empty()) << listed(v);
    // the include without a folder is read against its own folder
    bool relative = false;
    for (const auto& i : incrules::scan(root, "proc")) relative |= i.target == "proc/numeric/kernels.h" && i.file == "proc/numeric/kernels.cpp";
    EXPECT_TRUE(relative);
}

TEST_F(Tree, ProcIncludingTheRuntimeOrHostOrCommonIncludingBeyondItself) {
    sound();
    file("proc/beta/data.cpp", {"proc/beta/beta.h", "runtime/output/table.h"});
    expectone(incrules::Rule::ProcOutsideProcAndHost, "proc/beta/data.cpp:4: includes runtime/output/table.h");
    fs::remove(root / "proc/beta/data.cpp");
    file("host/pool.h", {"host/vec.h", "runtime/supervisor/pools.h"});
    expectone(incrules::Rule::HostOutsideHost, "host/pool.h:4: includes runtime/supervisor/pools.h");
    fs::remove(root / "host/pool.h");
    file("common/more.cpp", {"common/shared.h", "host/vec.h"});
    expectone(incrules::Rule::CommonOutsideCommon, "common/more.cpp:4: includes host/vec.h");
}

TEST_F(Tree, FloorsIncludingWhatLiesAbove) {
    sound();
    file("proc/framework/dest.h", {"proc/alpha/alpha.h"});
    expectone(incrules::Rule::FloorIncludesAbove, "proc/framework/dest.h:3");
    fs::remove(root / "proc/framework/dest.h");
    file("proc/numeric/plot.cpp", {"proc/numeric/kernels.h", "proc/beta/beta.h"});
    expectone(incrules::Rule::FloorIncludesAbove, "proc/numeric/plot.cpp:4: includes proc/beta/beta.h");
}

TEST_F(Tree, TheRoofIncludedByAFloorHeaderOrAPublicHeader) {
    sound();
    file("proc/framework/steps.h", {"proc/framework/state.h", "proc/vyxstate.h"});
    expectone(incrules::Rule::FloorIncludesAbove, "proc/framework/steps.h:4: includes proc/vyxstate.h");
    fs::remove(root / "proc/framework/steps.h");
    file("proc/beta/beta.h", {"proc/framework/state.h", "proc/vyxstate.h"});
    expectone(incrules::Rule::PublicHeaderIncludes, "proc/beta/beta.h:4: includes proc/vyxstate.h");
}

TEST_F(Tree, PublicHeaderMissingOrIncludingMoreThanTheFloors) {
    sound();
    file("proc/gamma/curve.cpp", {"proc/framework/state.h"});
    expectone(incrules::Rule::NoPublicHeader, "proc/gamma: has no proc/gamma/gamma.h");
    fs::remove_all(root / "proc/gamma");
    file("proc/beta/beta.h", {"proc/framework/state.h", "proc/beta/layout.h"});
    file("proc/beta/layout.h", {});
    expectone(incrules::Rule::PublicHeaderIncludes, "proc/beta/beta.h:4: includes proc/beta/layout.h");
    file("proc/beta/beta.h", {"proc/alpha/alpha.h"});
    expectone(incrules::Rule::PublicHeaderIncludes, "proc/beta/beta.h:3: includes proc/alpha/alpha.h");
}

TEST_F(Tree, AnotherFoldersPrivateHeader) {
    sound();
    file("proc/beta/plot.cpp", {"proc/beta/beta.h", "proc/alpha/inner.h"});
    expectone(incrules::Rule::PrivateHeader, "proc/beta/plot.cpp:4: includes proc/alpha/inner.h, a private header of proc/alpha");
}

TEST_F(Tree, TheMainRoutineIncludedFromBelowOrIncludingAPrivateHeader) {
    sound();
    file("proc/framework/entry.cpp", {"proc/framework/state.h", "proc/main/run.h"});
    expectone(incrules::Rule::MainIncluded, "proc/framework/entry.cpp:4: includes proc/main/run.h");
    fs::remove(root / "proc/framework/entry.cpp");
    file("proc/main/run.cpp", {"proc/main/run.h", "proc/alpha/inner.h"});
    expectone(incrules::Rule::PrivateHeader, "proc/main/run.cpp:4: includes proc/alpha/inner.h, a private header of proc/alpha");
}

TEST_F(Tree, RuntimeFoldersRoundACycle) {
    sound();
    // util -> output -> supervisor -> util
    file("runtime/util/strings.h", {"runtime/output/table.h"});
    file("runtime/output/table.h", {});
    const auto v = all();
    ASSERT_EQ(v.size(), 1u) << listed(v);
    EXPECT_EQ(v[0].rule, incrules::Rule::RuntimeCycle);
    const std::string d = incrules::describe(v[0]);
    EXPECT_NE(d.find("the folders output, supervisor, util include one another"), std::string::npos) << d;
    EXPECT_NE(d.find("util -> output: runtime/util/strings.h:3 includes runtime/output/table.h"), std::string::npos) << d;
    // a folder including itself and the files directly in runtime/ are no cycle
    file("runtime/util/strings.h", {"runtime/util/more.h", "runtime/session.h"});
    EXPECT_TRUE(all().empty()) << listed(all());
}

}  // namespace
