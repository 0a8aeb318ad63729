// No bare number of the kinds barenumbers.h names in proc/; and the check, on a few lines
// made here, catching each kind and passing over comments, messages and named uses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "barenumbers.h"

namespace {

std::string listed(const std::vector<barenum::Finding>& v) {
    std::string s;
    for (const auto& f : v) s += "\n  " + barenum::describe(f);
    return s;
}

TEST(BareNumbers, ProcNamesEveryPoolRequestDistributionCodeAndExitCode) {
    const auto v = barenum::checktree(VITALYX_SOURCE_DIR, "proc");
    EXPECT_TRUE(v.empty()) << listed(v);
}

TEST(BareNumbers, PoolRequests) {
    const std::string text =
        "auto* p = poolbytes(s->pools.stmtpool, 64, poolflag::zeroed);   // not 0x2006\n"
        "const char* m = \"flags 8198\";\n"
        "auto* q = vmalcp_handler(pool, 8, static_cast<poolflag>(12294));\n"
        "void* r = pool->fns.alloc(pool, 8, flags);\n"
        "/* 0x3004 in a comment\n   still 0x3004 */ int k = 0x3004;\n";
    const auto v = barenum::check("proc/mcf/x.cpp", text);
    ASSERT_EQ(v.size(), 3u) << listed(v);
    EXPECT_EQ(v[0].where, "proc/mcf/x.cpp:3");
    EXPECT_EQ(v[1].where, "proc/mcf/x.cpp:4");
    EXPECT_EQ(v[2].where, "proc/mcf/x.cpp:6");
    EXPECT_TRUE(barenum::check("proc/framework/pools.h", "zeroed = 0x2006,\npool->fns.alloc(p, 1, 2);\n").empty());
}

TEST(BareNumbers, DistributionCodesAndFitMethods) {
    const std::string text =
        "if (s->opts.distcode == DIST_WEIBULL || s->work.fitmethod != FIT_NONE) return;\n"   // 1 named
        "const bool counts = s->opts.distcode == 9;\n"                                 // 2
        "g->fitmeth = s->work.fitmethod = 3;\n"                                         // 3
        "const uint32_t method = s->work.fitmethod;\n"                                  // 4 a copy
        "bool lsq = method == 2 || 7 == method;\n"                                // 5
        "switch (s->opts.distcode) {\n"                                                 // 6
        "case DIST_NORMAL: return 1;\n"                                            // 7
        "case 11: { int k = 0; switch (k) { case 4: break; } }\n"                  // 8 (the inner switch is not on a code)
        "}\n"
        "switch (k) { case 2: break; }\n"                                          // 10
        "if (s->knotmethod == 6 && s->opts.distcode < DIST_CODES) return;   // distcode == 3\n";
    const auto v = barenum::check("proc/lifedist/x.cpp", text);
    std::vector<std::string> at;
    for (const auto& f : v) at.push_back(f.where.substr(f.where.find(':') + 1));
    EXPECT_EQ(at, (std::vector<std::string>{"2", "3", "5", "8"})) << listed(v);
}

TEST(BareNumbers, ExitCodes) {
    const std::string text =
        "if (!p) return RC_NOMEM;\n"                            // 1 named
        "if (!q) return 1016;\n"                                // 2
        "xexit(120, 0);\n"                                      // 3
        "xexit(rc, 0); xexit(0, 0);\n"                           // 4 a variable, and success
        "rc = 1020;\n"                                          // 5
        "ls->lsrc = std::max<int32_t>(ls->lsrc, 1012);\n"       // 6
        "raise(ls, 3000);\n"                                    // 7
        "case FIT_GIVEN: return 108;   // a message number\n"   // 8
        "xmemmsg(1024); int n = 2000;\n";                       // 9 a size, a count
    const auto v = barenum::check("proc/regression/x.cpp", text);
    std::vector<std::string> at;
    for (const auto& f : v) at.push_back(f.where.substr(f.where.find(':') + 1));
    EXPECT_EQ(at, (std::vector<std::string>{"2", "3", "5", "6", "7"})) << listed(v);
}

TEST(BareNumbers, MessageNumbers) {
    const std::string text =
        "void note(int n) { xpmlog(510, n); }\n"                                   // 1 a helper: n is a message
        "int title(int label, int width) { return label > 0 ? xpmstr(b, width, 0, label) : 0; }\n"
        "void f(bool a) {\n"
        "    xpmlog(510, E510_NO_DATA_SET); xpmlog(510, 13);\n"                    // 4
        "    rdxmsgs(510, a ? T510_PERCENT : 40, 2.5);\n"                          // 5
        "    xpmstr(buf, 40, 510,\n"
        "           209);\n"                                                       // 7 the number on its own line
        "    note(2);\n"                                                           // 8 through the helper
        "    title(T0_FIT_SUMMARY, 40); title(225, 40);\n"                         // 9 the width is no message
        "    int msg = a ? 18 : 19;\n"                                             // 10 a local passed as one
        "    if (msg) xpmlog(510, msg);\n"
        "    int k = 3; xpmlog(510, kItem[k]); rdxmsg(0, k < 4 ? T0_OBS_READ + k : 0);\n"   // 12 index, bound, none
        "    xpmlog(510, why(a)); table t(s, 225);\n"                              // 13 a constructor's label
        "}\n"
        "int why(bool a) {\n"                                                      // 15 its result is a message
        "    int r = a ? 131 : 0;\n"                                               // 16
        "    if (!r) return W510_INSET_FIT;\n"
        "    return r > 2 ? r : 165;\n"                                            // 18
        "}\n"
        "table::table(vyxstate* s, int label) : s_(s), t_(rdxmsg(0, label)) {}\n";
    const auto v = barenum::check("proc/lifedist/x.cpp", text);
    std::vector<std::string> at;
    for (const auto& f : v)
        if (f.rule == barenum::Rule::MessageNumber) at.push_back(f.where.substr(f.where.find(':') + 1));
    EXPECT_EQ(at, (std::vector<std::string>{"4", "5", "7", "8", "9", "10", "13", "16", "18"})) << listed(v);
    // A helper of another file counts where it is seen from: at namespace scope, not in an
    // anonymous namespace or a class.
    const auto sinks = barenum::messagesinks({"void warn(int n) { xpmlog(510, n); }\n",
                                              "namespace { void hide(int n) { xpmlog(510, n); } }\n"});
    EXPECT_EQ(sinks.count("warn"), 1u);
    EXPECT_EQ(sinks.count("hide"), 0u);
    EXPECT_EQ(barenum::check("proc/mcf/y.cpp", "void g() { warn(7); hide(7); }\n", sinks).size(), 1u);
}

}  // namespace
