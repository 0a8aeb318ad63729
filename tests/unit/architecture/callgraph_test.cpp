// The calls between the object files of proc/ in the build tree the tests run from: framework
// calls no folder above it, and the files of a folder that call one another round a cycle are
// the knots listed here; each list holds what is left to untie and shrinks as that is done.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "callgraph.h"

namespace {

// Calls from framework into the folders above it: the main routine, the device set-up of the
// initialisation and the pool-scope dispatch to the owners, which move above the folders.
const std::set<std::string> kUpwardLeft = {
    "proc/framework/poolscope.cpp -> fitstate_bygone",   "proc/framework/poolscope.cpp -> fitstate_start",
    "proc/framework/poolscope.cpp -> fitstate_stmtgone", "proc/framework/poolscope.cpp -> fitstate_workgone",
    "proc/framework/poolscope.cpp -> modelstate_bygone", "proc/framework/poolscope.cpp -> modelstate_start",
    "proc/framework/poolscope.cpp -> modelstate_stmtgone", "proc/framework/poolscope.cpp -> plotstate_bygone",
    "proc/framework/poolscope.cpp -> plotstate_start",   "proc/framework/poolscope.cpp -> plotstate_stmtgone",
    "proc/framework/poolscope.cpp -> plotstate_workgone", "proc/framework/vyxinit.cpp -> ggsload",
    "proc/framework/vyxinit.cpp -> zqdfree",             "proc/framework/vyxinit.cpp -> zqidest",
    "proc/framework/zorduvex.cpp -> CleanUpDisk",        "proc/framework/zorduvex.cpp -> vyxanlz",
    "proc/framework/zorduvex.cpp -> vyxcf",              "proc/framework/zorduvex.cpp -> vyxmod",
    "proc/framework/zorduvex.cpp -> vyxpplt",            "proc/framework/zorduvex.cpp -> vyxpprm",
    "proc/framework/zorduvex.cpp -> vyxrplot",
};

// Knots inside one folder (the calls between folders are the floors' business).
const std::set<std::string> kKnotsLeft = {
    "proc/framework: vyxinit.cpp vyxxvgi.cpp zorduvex.cpp",
};

std::set<std::string> upwardcalls(const std::vector<callgraph::Ref>& refs) {
    std::set<std::string> out;
    for (const auto& r : callgraph::upward(refs)) out.insert(r.from + " -> " + r.symbol);
    return out;
}

std::set<std::string> folderknots(const std::vector<callgraph::Ref>& refs) {
    std::set<std::string> out;
    for (const auto& k : callgraph::knots(refs, true)) {
        std::string s = k[0].substr(0, k[0].rfind('/')) + ":";
        for (const auto& f : k) s += " " + f.substr(f.rfind('/') + 1);
        out.insert(s);
    }
    return out;
}

// What differs between the list and what the objects show: new entries fail, and so do entries
// that are gone (take them off the list).
std::string differences(const std::set<std::string>& now, const std::set<std::string>& list) {
    std::string s;
    for (const auto& x : now)
        if (!list.count(x)) s += "\n  new: " + x;
    for (const auto& x : list)
        if (!now.count(x)) s += "\n  gone (take it off the list): " + x;
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

TEST_F(Objects, FrameworkCallsNoFolderAboveIt) {
    ASSERT_GT(refs->size(), 500u) << "too few calls between the objects of " << VITALYX_PROC_OBJECTS;
    const std::string d = differences(upwardcalls(*refs), kUpwardLeft);
    EXPECT_TRUE(d.empty()) << "calls from a floor into a folder above it:" << d;
}

TEST_F(Objects, TheKnotsOfEachFolderAreThoseLeftToUntie) {
    const std::string d = differences(folderknots(*refs), kKnotsLeft);
    EXPECT_TRUE(d.empty()) << "files of one folder that call one another round a cycle:" << d;
}

TEST(CallGraph, UpwardCallsAndKnotsOfMadeUpObjects) {
    // a -> b -> c -> a in framework, framework/d -> numeric/e, numeric/e <-> numeric/f,
    // alpha/g <-> beta/h; weak symbols and the file's own calls are nobody's
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
        "x/CMakeFiles/proc_beta.dir/proc/beta/h.cpp.o:\n" + line('T', "h()") + line('U', "g()") + line('U', "fa(int)") + "\n";
    const auto objs = callgraph::parsenm(nm);
    ASSERT_EQ(objs.size(), 8u);
    EXPECT_EQ(objs[3].source, "proc/framework/d.cpp");
    const auto refs = callgraph::references(objs);
    EXPECT_EQ(refs.size(), 9u);
    EXPECT_EQ(upwardcalls(refs), std::set<std::string>{"proc/framework/d.cpp -> ns::fe"});
    EXPECT_EQ(folderknots(refs), (std::set<std::string>{"proc/framework: a.cpp b.cpp c.cpp", "proc/numeric: e.cpp f.cpp"}));
    EXPECT_EQ(callgraph::knots(refs, false).size(), 3u);   // and alpha/g with beta/h
    EXPECT_EQ(callgraph::folders(refs)["beta"]["framework"], 1);
}

}  // namespace
