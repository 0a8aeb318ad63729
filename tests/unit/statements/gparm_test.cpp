// Reading numeric options with a default.
#include <gtest/gtest.h>
#include <cstring>
#include "host/hostdefs.h"
#include "parsehelp.h"
#include "proc/framework/optslots.h"
#include "proc/framework/gparm.h"

using namespace vxtest;

namespace {
uint64_t bits(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}
}  // namespace

TEST(Gparm, SlotsWithinAndBeyondTheRecord) {
    // three slots, the last one given; memory after the array holds a given slot
    optslot slots[5] = {};
    slots[2].given = 1;
    slots[2].num = 7.5;
    slots[3].given = 1;
    slots[3].num = 99;
    slots[1].num = 42;            // a value without its given byte
    stmtrec r{};
    r.highest = 2;
    r.slots = slots;
    EXPECT_EQ(gparm(&r, 2, -1), 7.5) << "the slot equal to the highest index is read";
    EXPECT_EQ(gparm(&r, 3, -1), -1) << "beyond the highest index: the default";
    EXPECT_EQ(gparm(&r, 1, -1), -1) << "present but not given: the default";
    EXPECT_EQ(gparm(&r, 0, 0.25), 0.25);
    EXPECT_EQ(gparm(&r, -1, 3), 3) << "a negative slot is not read";
    EXPECT_EQ(gparm(nullptr, 2, 4), 4);
}

TEST(Gparm, MissingDefaultComesBackUnchanged) {
    stmtrec r{};
    optslot slots[1] = {};
    r.highest = 0;
    r.slots = slots;
    EXPECT_EQ(bits(gparm(&r, 0, hostmissing())), MISSING_BITS);
    EXPECT_EQ(bits(gparm(&r, 10, hostmissing())), MISSING_BITS);
    EXPECT_TRUE(ismissing(gparm(&r, 0, hostmissing())));
}

TEST(Gparm, ReadsWhatTheParserStored) {
    Parsed p("proc vitalyx data=fans; probplot hours / maxit=7.9 ppos=km fit=weibayes(conf=0.9) lfit=3;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    const stmtrec* r = p.rec(1);
    EXPECT_EQ(static_cast<int32_t>(gparm(r, slot::plot::MAXIT, 50)), 7) << "integer options are truncated by the reader";
    EXPECT_EQ(gparm(r, slot::plot::PPOS, 4), 3);
    EXPECT_EQ(gparm(r, slot::plot::FITTYPE, 1), 6);
    EXPECT_EQ(gparm(r, slot::plot::WBCONF, 0.95), 0.9);
    EXPECT_EQ(gparm(r, slot::plot::LFIT, 0), 3) << "a single LFIT value is a number";
    EXPECT_EQ(gparm(r, slot::plot::CONVERGE, 0.001), 0.001);
    EXPECT_EQ(gparm(r, slot::plot::HIGHEST + 1, 5), 5) << "beyond the highest slot";
    EXPECT_EQ(gparm(p.proc(), slot::proc::DIST, 0), 0) << "no DISTRIBUTION statement";
}
