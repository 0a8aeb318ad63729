// A number written larger than any double is refused where it stands, not stored as infinity.
#include <gtest/gtest.h>
#include "parsehelp.h"

using namespace vxtest;

TEST(Numbers, BeyondTheLargestDoubleAreRefused) {
    for (const char* opts : {"scale=1e999", "maxit=2e308", "href=1 1e400 3", "lfit=1 to 1e999"}) {
        Parsed p(std::string("proc vitalyx data=fans;\n probplot hours / ") + opts + ";");
        EXPECT_EQ(p.rc, 1012) << opts;
        EXPECT_NE(p.errors().find("Line 2, column"), std::string::npos) << opts << ": " << p.errors();
        EXPECT_NE(p.errors().find("too large"), std::string::npos) << opts << ": " << p.errors();
    }
    Parsed ok("proc vitalyx data=fans;\n probplot hours / scale=1.7e308 href=-1.7e308;");
    ASSERT_EQ(ok.rc, 0) << ok.errors();
    EXPECT_EQ(stmtslot(ok.rec(1), 7)->num, 1.7e308);
}
