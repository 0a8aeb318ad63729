// The MAKE statement's table name: a name or a quoted text, never empty, and not an option.
#include <gtest/gtest.h>
#include "proc/framework/optslots.h"
#include "parsehelp.h"

using namespace vxtest;

TEST(MakeStatement, TheTableNameMustBeWritten) {
    struct Case {
        const char* stmt;
        const char* says;
    };
    const Case bad[] = {
        {"make out=parms;", "Line 2, column 7: MAKE statement: the name of a table is expected, not 'OUT'"},
        {"make '' out=parms;", "Line 2, column 7: MAKE statement: the name of the table is empty"},
        {"make '   ' out=parms;", "the name of the table is empty"},
        {"make 5 out=parms;", "the name of a table is expected, not '5'"},
        {"make nobs out=nolib.parms;", "Line 2, column 16: MAKE statement: the library NOLIB of OUT=NOLIB.PARMS is not "
                                       "assigned"},
    };
    for (const Case& c : bad) {
        Parsed p(std::string("proc vitalyx data=fans;\n ") + c.stmt);
        EXPECT_EQ(p.rc, 1012) << c.stmt;
        EXPECT_NE(p.errors().find(c.says), std::string::npos) << c.stmt << ": " << p.errors();
    }
    Parsed ok("proc vitalyx data=fans;\n make Nobs out=parms noprint; make 'Parameter Estimates' out=work.pe;");
    ASSERT_EQ(ok.rc, 0) << ok.errors();
    EXPECT_EQ(text(stmtslot(ok.rec(1), slot::make::TABLE)), "NOBS");
    EXPECT_TRUE(stmtflag(ok.rec(1), flag::make::NOPRINT));
    EXPECT_EQ(text(stmtslot(ok.rec(2), slot::make::TABLE)), "Parameter Estimates");
}
