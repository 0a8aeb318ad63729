// The procedure's preconditions: checked in the sanitizer build, where a broken one stops the
// program with its place and message; not evaluated in other builds.
#include <gtest/gtest.h>

#include "proc/framework/expect.h"

namespace {

int evaluated = 0;
bool counts(bool v) {
    ++evaluated;
    return v;
}

TEST(Preconditions, StopTheProgramInTheSanitizerBuildOnly) {
    evaluated = 0;
    VX_EXPECT(counts(true), "holds");
#if VITALYX_CHECKS
    EXPECT_EQ(evaluated, 1);
    EXPECT_DEATH(VX_EXPECT(counts(false), "a cell of the grid"),
                 "expect_test.cpp:[0-9]+: .*precondition failed: a cell of the grid \\(counts\\(false\\)\\)");
#else
    EXPECT_EQ(evaluated, 0);
    VX_EXPECT(counts(false), "not evaluated");
    EXPECT_EQ(evaluated, 0);
#endif
}

}  // namespace
