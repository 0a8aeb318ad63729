// Statements written to break the parser end quickly with an ERROR, in bounded time and
// memory: numbers that do not fit where they go, effects that multiply, very long words and
// lists given again and again.
#include <gtest/gtest.h>

#include <chrono>
#include <malloc.h>
#include <string>

#include "parsehelp.h"
#include "proc/framework/optslots.h"

using namespace vxtest;

extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace {

double seconds(const std::chrono::steady_clock::time_point& t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Bytes the process has allocated and not freed.
size_t liveheap() {
    if (__sanitizer_get_current_allocated_bytes) return __sanitizer_get_current_allocated_bytes();
    return mallinfo2().uordblks;
}

std::string repeat(const std::string& item, const std::string& sep, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += (i ? sep : "") + item;
    return s;
}

}  // namespace

TEST(Hostile, NumbersThatDoNotFitWhereTheyGo) {
    // a name range whose number exceeds every integer type, and an @ limit of 1e300
    Parsed a("proc vitalyx data=fans; model hours = x1-x99999999999999999999;");
    EXPECT_EQ(a.rc, 1012);
    EXPECT_NE(a.errors().find("the range X1-X99999999999999999999"), std::string::npos) << a.errors();
    Parsed b("proc vitalyx data=fans; model hours = temp|volt @1e300;");
    EXPECT_EQ(b.rc, 1012);
    EXPECT_NE(b.errors().find("a whole number of at least 1 is expected after '@'"), std::string::npos) << b.errors();
    // a range of more names than the data set has variables
    Parsed c("proc vitalyx data=fans; model hours = x1-x999999;");
    EXPECT_EQ(c.rc, 1012);
    EXPECT_NE(c.errors().find("names 999999 variables"), std::string::npos) << c.errors();
}

TEST(Hostile, EffectsThatMultiplyAreBounded) {
    auto t0 = std::chrono::steady_clock::now();
    // 22 operands limited to single effects: 22 effects, not 4 million crossings first
    Parsed a("proc vitalyx data=fans; model hours = " + repeat("temp", "|", 22) + " @1;");
    EXPECT_EQ(a.rc, 0) << a.errors();
    ASSERT_NE(stmtslot(a.rec(1), slot::head::MODEL_EFFECTS), nullptr);
    EXPECT_EQ(stmtslot(a.rec(1), slot::head::MODEL_EFFECTS)->count, 22);
    // 40 operands without a limit would make 2^40 effects: refused before they are built
    Parsed b("proc vitalyx data=fans; model hours = " + repeat("temp", "|", 40) + ";");
    EXPECT_EQ(b.rc, 1012);
    EXPECT_NE(b.errors().find("make more than 10000 effects"), std::string::npos) << b.errors();
    // a crossing of 20000 operands is built in one pass
    Parsed c("proc vitalyx data=fans; model hours = " + repeat("temp", "*", 20000) + ";");
    EXPECT_EQ(c.rc, 0) << c.errors();
    EXPECT_LT(seconds(t0), 10.0);
}

TEST(Hostile, AMegabyteWordIsRefusedWhereItIsWritten) {
    auto t0 = std::chrono::steady_clock::now();
    Parsed p("proc vitalyx data=fans; probplot hours / " + std::string(1 << 20, 'A') + ";");
    EXPECT_LT(seconds(t0), 5.0);
    EXPECT_EQ(p.rc, 1012);
    EXPECT_EQ(p.log.count('E'), 1) << p.errors().substr(0, 400);
    EXPECT_NE(p.errors().find("has 1048576 characters; names have at most 32"), std::string::npos)
        << p.errors().substr(0, 400);
    EXPECT_LT(p.errors().size(), 400u) << "the word is not copied into the log";
}

TEST(Hostile, AListGivenAgainReplacesTheEarlierOne) {
    const size_t before = liveheap();
    // 30 lists of a million values each: 240 MB if every one were kept
    Parsed p("proc vitalyx data=fans; probplot hours / " + repeat("survtime=0 to 999999", " ", 30) + ";");
    const size_t after = liveheap();
    EXPECT_EQ(p.rc, 0) << p.errors();
    ASSERT_NE(stmtslot(p.rec(1), slot::plot::SURVTIME), nullptr);
    EXPECT_EQ(stmtslot(p.rec(1), slot::plot::SURVTIME)->count, 1000000);
    EXPECT_LT(after - std::min(after, before), size_t{64} << 20) << "bytes kept after the statement";
    // one list longer than a million values is an error
    Parsed q("proc vitalyx data=fans; probplot hours / survtime=0 to 999999 1 2;");
    EXPECT_EQ(q.rc, 1012);
    EXPECT_NE(q.errors().find("has more than 1000000 values"), std::string::npos) << q.errors();
}
