// No bare number of the kinds barenumbers.h names in proc/; and the check, on a few lines
// made here, catching each kind and passing over comments, messages and named uses.
#include <gtest/gtest.h>

#include <string>

#include "barenumbers.h"

namespace {

std::string listed(const std::vector<barenum::Finding>& v) {
    std::string s;
    for (const auto& f : v) s += "\n  " + barenum::describe(f);
    return s;
}

TEST(BareNumbers, ProcNamesEveryPoolRequest) {
    const auto v = barenum::checktree(VITALYX_SOURCE_DIR, "proc");
    EXPECT_TRUE(v.empty()) << listed(v);
}

TEST(BareNumbers, PoolRequests) {
    const std::string text =
        "auto* p = poolbytes(s->stmtpool, 64, poolflag::zeroed);   // not 0x2006\n"
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

}  // namespace
