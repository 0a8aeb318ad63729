// Arrays whose places have names are indexed by name in proc/; and the rule on a small tree made
// here: the index written as a number, through the state, a bound record or a nested record, a
// member of the same name without places, and a note that names nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "namedplaces.h"
#include "tests/support/files.h"

namespace fs = std::filesystem;

namespace {

std::string listed(const std::vector<places::Finding>& v) {
    std::string s;
    for (const auto& f : v) s += "\n  " + f.where + ": " + f.what;
    return s;
}

TEST(NamedPlaces, ProcIndexesPlacesByName) {
    const fs::path root = VITALYX_SOURCE_DIR;
    EXPECT_GE(places::notes(root).size(), 80u) << "the notes were not found: the rule checks nothing";
    const auto v = places::checktree(root);
    EXPECT_TRUE(v.empty()) << listed(v);
}

TEST(NamedPlaces, NumbersAsIndexesOfPlacesAreFound) {
    const fs::path root = testsupport::tempdir("places");
    auto file = [&](const std::string& path, const std::string& text) {
        fs::create_directories((root / path).parent_path());
        std::ofstream(root / path) << text;
    };
    file("proc/vyxstate.h",
         "struct vyxstate {\n    union {\n        optsrec optsw;\n        const optsrec opts{};\n    };\n"
         "    fitrec fit;\n    plotrec plot;\n};\n");
    file("proc/framework/optsrec.h",
         "enum : int { SC_LN = 0, SC_LOG10 = 1 };\n"
         "struct optsrec {\n"
         "    unsigned char logscale[2];   // ln / log10 (SC_* places)\n"
         "    double lims[4];              // ends (LIM_* places)\n"
         "    struct {\n"
         "        double ends[2];          // lower, upper (SC_* places)\n"
         "    } axis;\n"
         "    // the life axis: start, end\n"
         "    // (SC_* places)\n"
         "    double life[2];\n"
         "};\n");
    file("proc/lifedist/fitrec.h",
         "struct itrec {\n    int status[3];   // (IT_* places)\n};\n"
         "enum : int { IT_DONE = 0 };\n"
         "struct fitrec {\n    itrec its;\n    double cells[8];\n};\n");
    file("proc/devgraph/plotrec.h", "struct plotrec {\n    int status[3];\n    double cells[8];\n};\n");
    file("proc/lifedist/use.cpp",
         "void f(vyxstate* s, const optsrec& o) {\n"
         "    if (s->opts.logscale[SC_LN]) return;      // named\n"
         "    if (s->opts.logscale[1]) return;          // 3: a number\n"
         "    s->optsw.logscale[0] = o.logscale[1];     // 4: two, one through a bound record\n"
         "    double x = s->opts.axis.ends[1];          // 5: a member of an unnamed struct\n"
         "    int k = s->fit.its.status[2];             // 6: status is also a plain member of plotrec\n"
         "    k += s->plot.status[2] + s->fit.cells[1]; // no places there\n"
         "    x += o.lims[k] + s->opts.lims[k - 1];     // computed indexes\n"
         "    x += s->opts.life[1];                     // 9: a note above the member\n"
         "}\n");
    const auto v = places::checktree(root);
    std::vector<std::string> where;
    for (const auto& f : v) where.push_back(f.where);
    EXPECT_EQ(where, (std::vector<std::string>{"proc/framework/optsrec.h:4", "proc/lifedist/use.cpp:3",
                                               "proc/lifedist/use.cpp:4", "proc/lifedist/use.cpp:4",
                                               "proc/lifedist/use.cpp:5", "proc/lifedist/use.cpp:6",
                                               "proc/lifedist/use.cpp:9"}))
        << listed(v);
    EXPECT_NE(v[0].what.find("LIM_"), std::string::npos) << v[0].what;
    EXPECT_NE(v[1].what.find("logscale[1]"), std::string::npos) << v[1].what;
    fs::remove_all(root);
}

}  // namespace
