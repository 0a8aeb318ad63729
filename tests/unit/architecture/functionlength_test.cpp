// No function of proc/, common/ or runtime/ is longer than 200 lines; and the reading of function
// lengths, on a few made here.
#include <gtest/gtest.h>

#include <string>

#include "functionlength.h"

namespace {

std::string listed(const std::vector<funclen::Function>& v) {
    std::string s;
    for (const auto& f : v) s += "\n  " + f.where + " " + f.name + ": " + std::to_string(f.lines) + " lines";
    return s;
}

TEST(FunctionLength, NoneLongerThan200LinesInProcCommonOrRuntime) {
    for (const char* top : {"proc", "common", "runtime"}) {
        const auto v = funclen::longer(VITALYX_SOURCE_DIR, top, 200);
        EXPECT_TRUE(v.empty()) << top << ":" << listed(v);
    }
}

TEST(FunctionLength, FunctionsAmongNamespacesClassesLambdasAndBlocks) {
    const std::string text =
        "namespace a {\n"                                       // 1
        "struct S {\n"                                          // 2
        "    int get() const { return 1; }\n"                   // 3  get: 1 line
        "};\n"                                                  // 4
        "int f(int x,\n"                                        // 5  f: lines 5 to 12
        "      int y) {\n"                                      // 6
        "    auto g = [&](int k) { return k + 1; };\n"          // 7  a lambda is part of f
        "    if (x > y) {\n"                                    // 8
        "        return g(x);   // } a brace in a comment\n"    // 9
        "    }\n"                                               // 10
        "    return \"}\"[0] + y;\n"                            // 11 and one in a string
        "}\n"                                                   // 12
        "}  // namespace a\n"                                   // 13
        "auto h() -> int {\n"                                   // 14 h: 3 lines
        "    return 0;\n"                                       // 15
        "}\n"                                                   // 16
        "const int table[] = {1, 2};\n";                        // 17 an initializer
    const auto v = funclen::functions("x.cpp", text);
    ASSERT_EQ(v.size(), 3u) << listed(v);
    EXPECT_EQ(v[0].name, "get");
    EXPECT_EQ(v[0].lines, 1);
    EXPECT_EQ(v[1].name, "f");
    EXPECT_EQ(v[1].where, "x.cpp:5");
    EXPECT_EQ(v[1].lines, 8);
    EXPECT_EQ(v[2].name, "h");
    EXPECT_EQ(v[2].lines, 3);
}

}  // namespace
