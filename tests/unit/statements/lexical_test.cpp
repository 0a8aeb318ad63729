// Errors found while splitting a step into words: each names the statement that holds it,
// and a number written larger than any double is refused where it stands, not stored as
// infinity.
#include <gtest/gtest.h>
#include "parsehelp.h"
#include "proc/framework/optslots.h"

using namespace vxtest;

TEST(Lexical, NumbersBeyondTheLargestDoubleAreRefused) {
    for (const char* opts : {"scale=1e999", "maxit=2e308", "href=1 1e400 3", "lfit=1 to 1e999"}) {
        Parsed p(std::string("proc vitalyx data=fans;\n probplot hours / ") + opts + ";");
        EXPECT_EQ(p.rc, 1012) << opts;
        EXPECT_NE(p.errors().find("Line 2, column"), std::string::npos) << opts << ": " << p.errors();
        EXPECT_NE(p.errors().find("too large"), std::string::npos) << opts << ": " << p.errors();
    }
    Parsed ok("proc vitalyx data=fans;\n probplot hours / scale=1.7e308 href=-1.7e308;");
    ASSERT_EQ(ok.rc, 0) << ok.errors();
    EXPECT_EQ(stmtslot(ok.rec(1), slot::plot::SCALE)->num, 1.7e308);
}

TEST(Lexical, ErrorsNameTheirStatement) {
    struct Case {
        const char* text;
        const char* says;
    };
    const Case cases[] = {
        {"proc vitalyx data=fans namelen=1e999;", "Line 1, column 32: PROC VITALYX statement: the number 1e999"},
        {"proc vitalyx data=fans;\n pplot hours / scale=1e999;", "Line 2, column 22: PROBPLOT statement: the number"},
        {"proc vitalyx data=fans;\n first: rplot hours = temp / des=#;", "Line 2, column 34: RELATIONPLOT statement: the character '#'"},
        {"proc vitalyx data=fans;\n analyze hours / des=\"open;", "Line 2, column 22: ANALYZE statement: a quoted string"},
        {"proc vitalyx data=fans;\n model hours = 2x;", "Line 2, column 16: MODEL statement: '2x' is neither"},
        {"proc vitalyx data=fans;\n frob 2x;", "Line 2, column 7: '2x' is neither"},
    };
    for (const Case& c : cases) {
        Parsed p(c.text);
        EXPECT_EQ(p.rc, 1012) << c.text;
        EXPECT_NE(p.errors().find(c.says), std::string::npos) << c.text << ": " << p.errors();
    }
}
