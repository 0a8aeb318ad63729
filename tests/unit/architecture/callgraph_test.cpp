// The calls between the object files of proc/ in the build tree the tests run from: no folder
// calls a folder on a floor above it (framework, then numeric, then the analysis folders, then
// main), and the files of one folder call one another one way, round no cycle.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "callgraph.h"

namespace {

std::set<std::string> upwardcalls(const std::vector<callgraph::Ref>& refs) {
    std::set<std::string> out;
    for (const auto& r : callgraph::upward(refs)) out.insert(r.from + " -> " + r.symbol);
    return out;
}

std::set<std::string> folderknots(const std::vector<callgraph::Ref>& refs) {
    std::set<std::string> out;
    for (const auto& k : callgraph::knots(refs, true)) {
        std::string s = k[0].substr(0, k[0].rfind('/')) + ":";
        for (const auto& f : k) s.append(" ").append(f, f.rfind('/') + 1);
        out.insert(s);
    }
    return out;
}

std::string listed(const std::set<std::string>& entries) {
    std::string s;
    for (const auto& x : entries) s += "\n  " + x;
    return s;
}

class Objects : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        refs = new std::vector<callgraph::Ref>(callgraph::references(callgraph::readobjects(VITALYX_PROC_OBJECTS)));
    }
    static void TearDownTestSuite() { delete refs; }
    static std::vector<callgraph::Ref>* refs;
};
std::vector<callgraph::Ref>* Objects::refs = nullptr;

TEST_F(Objects, NoFolderCallsAFolderAboveIt) {
    ASSERT_GT(refs->size(), 500u) << "too few calls between the objects of " << VITALYX_PROC_OBJECTS;
    const auto up = upwardcalls(*refs);
    EXPECT_TRUE(up.empty()) << "calls into a folder on a floor above the caller's:" << listed(up);
}

TEST_F(Objects, TheFilesOfAFolderCallOneAnotherOneWay) {
    const auto k = folderknots(*refs);
    EXPECT_TRUE(k.empty()) << "files of one folder that call one another round a cycle:" << listed(k);
}

TEST(CallGraph, UpwardCallsAndKnotsOfMadeUpObjects) {
    // a -> b -> c -> a in framework, framework/d -> numeric/e, numeric/e <-> numeric/f,
    // alpha/g <-> beta/h, beta/h -> main/m; weak symbols and the file's own calls are nobody's
    auto line = [](char kind, const std::string& name) {
        return (kind == 'U' ? std::string(16, ' ') : std::string(16, '0')) + " " + kind + " " + name + "\n";
    };
    const std::string nm =
        "x/CMakeFiles/proc_framework.dir/proc/framework/a.cpp.o:\n" + line('T', "fa(int)") + line('U', "fb(int)") +
        line('U', "fa(int)") + line('W', "inl()") + "\n"
        "x/CMakeFiles/proc_framework.dir/proc/framework/b.cpp.o:\n" + line('T', "fb(int)") + line('U', "fc()") + line('U', "inl()") + "\n"
        "x/CMakeFiles/proc_framework.dir/proc/framework/c.cpp.o:\n" + line('T', "fc()") + line('U', "fa(int)") + "\n"
        "x/CMakeFiles/proc_framework.dir/proc/framework/d.cpp.o:\n" + line('U', "ns::fe(double*)") + line('U', "memcpy") + "\n"
        "x/CMakeFiles/proc_numeric.dir/proc/numeric/e.cpp.o:\n" + line('T', "ns::fe(double*)") + line('U', "ff()") + "\n"
        "x/CMakeFiles/proc_numeric.dir/proc/numeric/f.cpp.o:\n" + line('T', "ff()") + line('U', "ns::fe(double*)") + "\n"
        "x/CMakeFiles/proc_alpha.dir/proc/alpha/g.cpp.o:\n" + line('T', "g()") + line('U', "h()") + "\n"
        "x/CMakeFiles/proc_beta.dir/proc/beta/h.cpp.o:\n" + line('T', "h()") + line('U', "g()") + line('U', "fa(int)") +
        line('U', "m()") + "\n"
        "x/CMakeFiles/proc_main.dir/proc/main/m.cpp.o:\n" + line('T', "m()") + line('U', "h()") + "\n";
    const auto objs = callgraph::parsenm(nm);
    ASSERT_EQ(objs.size(), 9u);
    EXPECT_EQ(objs[3].source, "proc/framework/d.cpp");
    const auto refs = callgraph::references(objs);
    EXPECT_EQ(refs.size(), 11u);
    EXPECT_EQ(upwardcalls(refs), (std::set<std::string>{"proc/beta/h.cpp -> m", "proc/framework/d.cpp -> ns::fe"}));
    EXPECT_EQ(folderknots(refs), (std::set<std::string>{"proc/framework: a.cpp b.cpp c.cpp", "proc/numeric: e.cpp f.cpp"}));
    EXPECT_EQ(callgraph::knots(refs, false).size(), 3u);   // and alpha/g with beta/h and main/m
    EXPECT_EQ(callgraph::folders(refs)["beta"]["framework"], 1);
}

}  // namespace
