// A variable that the input data set does not have is refused in every place a statement
// names one, with the statement, the name, the data set and where it was written.
#include <gtest/gtest.h>
#include "parsehelp.h"

using namespace vxtest;

TEST(UnknownVariables, EveryPlaceThatNamesAVariable) {
    struct Case {
        const char* stmt;
        const char* statement;   // as the message names it
        int column;              // of NOPE in "proc vitalyx data=fans;\n" + stmt
    };
    const Case cases[] = {
        {"by plant nope;", "BY", 10},
        {"by descending nope;", "BY", 15},
        {"class nope;", "CLASS", 7},
        {"freq nope;", "FREQ", 6},
        {"nenter nope;", "NENTER", 8},
        {"exposure nope;", "EXPOSURE", 10},
        {"unitid nope;", "UNITID", 8},
        {"fmode keep nope = ('seal');", "FMODE", 12},
        {"analyze nope;", "ANALYZE", 9},
        {"analyze hours*nope(0);", "ANALYZE", 15},
        {"analyze (lo nope);", "ANALYZE", 13},
        {"analyze fails(nope);", "ANALYZE", 15},
        {"analyze hours = plant nope;", "ANALYZE", 23},
        {"probplot hours = nope;", "PROBPLOT", 18},
        {"relationplot hours = nope;", "RELATIONPLOT", 22},
        {"mcfplot hours*nope(0);", "MCFPLOT", 15},
        {"mcfplot (interval=lo hi recurrences=nope censored=nrem);", "MCFPLOT", 37},
        {"model nope = temp;", "MODEL", 7},
        {"model hours = temp*nope;", "MODEL", 20},
        {"model hours = temp / obstats(control=nope);", "MODEL", 38},
        {"model hours = temp / relation=(arr(nope), linear(volt));", "MODEL", 36},
        {"logscale nope;", "LOGSCALE", 10},
    };
    for (const Case& c : cases) {
        Parsed p(std::string("proc vitalyx data=fans;\n") + c.stmt);
        EXPECT_EQ(p.rc, 1012) << c.stmt;
        EXPECT_EQ(p.log.count('E'), 1) << c.stmt << ": " << p.errors();
        const std::string e = p.errors();
        const std::string where = "Line 2, column " + std::to_string(c.column) + ": " + c.statement + " statement";
        EXPECT_NE(e.find(where), std::string::npos) << c.stmt << ": " << e;
        EXPECT_NE(e.find("NOPE"), std::string::npos) << c.stmt << ": " << e;
        EXPECT_NE(e.find("WORK.FANS"), std::string::npos) << c.stmt << ": " << e;
    }
}
