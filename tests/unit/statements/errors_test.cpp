// What the user sees when a statement is wrong: line, column, statement, token, suggestion.
#include <gtest/gtest.h>
#include "host/grammar.h"
#include "parsehelp.h"

using namespace vxtest;

TEST(Errors, UnknownOptionNamesLineColumnStatementAndClosestKeyword) {
    Parsed p("proc vitalyx data=fans;\n  probplot hours /\n    nofitt noconf;");
    EXPECT_EQ(p.rc, 1012);
    EXPECT_EQ(p.mpb.error, 1012);
    const std::string e = p.errors();
    EXPECT_NE(e.find("Line 3, column 5"), std::string::npos) << e;
    EXPECT_NE(e.find("PROBPLOT"), std::string::npos) << e;
    EXPECT_NE(e.find("NOFITT"), std::string::npos) << e;
    EXPECT_NE(e.find("NOFIT"), std::string::npos) << e;
    EXPECT_EQ(p.session.errors, 1);
}

TEST(Errors, LinesCountFromTheStepStart) {
    Parsed p("proc vitalyx data=fans;\n\n   /* a comment\n over lines */ probplot hours = lot / overlay x;");
    EXPECT_NE(p.errors().find("Line 4, column 47"), std::string::npos) << p.errors();
}

TEST(Errors, UnknownStatementSuggestsTheClosest) {
    Parsed p("proc vitalyx data=fans; probplt hours;");
    EXPECT_EQ(p.rc, 1012);
    EXPECT_NE(p.errors().find("PROBPLOT"), std::string::npos) << p.errors();
}

TEST(Errors, CommentsAndQuotes) {
    Parsed p("proc vitalyx data=fans; * a comment statement with probplot; /* x */ probplot hours / "
             "des=\"it's \" name='a''b';");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(p.count(), 2);
    EXPECT_EQ(text(stmtslot(p.rec(1), 26)), "it's ");
    EXPECT_EQ(text(stmtslot(p.rec(1), 28)), "a'b");
    Parsed q("proc vitalyx data=fans; probplot hours / des='open;");
    EXPECT_EQ(q.rc, 1012);
    EXPECT_NE(q.errors().find("not closed"), std::string::npos) << q.errors();
}

TEST(Errors, VariablesAndDataSets) {
    {
        Parsed p("proc vitalyx data=fans; probplot hourz;");
        EXPECT_EQ(p.rc, 1012);
        EXPECT_NE(p.errors().find("HOURZ"), std::string::npos) << p.errors();
        EXPECT_NE(p.errors().find("WORK.FANS"), std::string::npos) << p.errors();
        EXPECT_NE(p.errors().find("PROBPLOT"), std::string::npos) << p.errors();
    }
    {
        Parsed p("proc vitalyx data=nosuch;");
        EXPECT_EQ(p.rc, 1012);
        EXPECT_NE(p.errors().find("NOSUCH"), std::string::npos) << p.errors();
    }
    {
        Parsed p("proc vitalyx; probplot hours;");
        EXPECT_EQ(p.rc, 1012);
        EXPECT_NE(p.errors().find("no DATA="), std::string::npos) << p.errors();
    }
    {
        Parsed p("proc vitalyx data=fans; analyze lot;");
        EXPECT_EQ(p.rc, 1012);
        EXPECT_NE(p.errors().find("must be numeric"), std::string::npos) << p.errors();
        EXPECT_NE(p.errors().find("LOT"), std::string::npos) << p.errors();
    }
    {
        Parsed p("proc vitalyx data=fans; analyze (lo label);");
        EXPECT_EQ(p.rc, 1012) << "the upper end must be numeric";
    }
}

TEST(Errors, EveryBadStatementIsReportedOnce) {
    Parsed p("proc vitalyx data=fans; probplot hours / foo; analyze hours / bar; probplot hours;");
    EXPECT_EQ(p.log.count('E'), 2) << p.errors();
    EXPECT_EQ(p.rc, 1012);
}

TEST(Errors, TheStepMustBeginWithProcVitalyx) {
    Parsed p("proc other;");
    EXPECT_EQ(p.rc, 1012);
    EXPECT_NE(p.errors().find("VITALYX"), std::string::npos) << p.errors();
}
