// What the user sees when a statement is wrong: line, column, statement, token, suggestion.
#include <gtest/gtest.h>
#include "host/grammar.h"
#include "parsehelp.h"
#include "proc/framework/optslots.h"

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
    EXPECT_EQ(text(stmtslot(p.rec(1), slot::plot::DESCRIPTION)), "it's ");
    EXPECT_EQ(text(stmtslot(p.rec(1), slot::plot::NAME)), "a'b");
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
        EXPECT_NE(p.errors().find("data set WORK.nosuch not found"), std::string::npos) << p.errors();
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

TEST(Errors, AnOptionGivenTwiceKeepsTheLastWithANote) {
    Parsed p("proc vitalyx data=fans; probplot hours / pplegend=none conf=0.9 pplegend=red conf=0.8;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    const stmtrec* r = p.rec(1);
    EXPECT_EQ(stmtslot(r, slot::plot::CONFIDENCE)->num, 0.8);
    EXPECT_EQ(name8(stmtslot(r, slot::plot::PPLEGEND)), "RED     ");
    EXPECT_FALSE(stmtflag(r, flag::plot::NOPPLEGEND)) << "the NONE of the first PPLEGEND= is undone";
    EXPECT_EQ(p.log.count('N'), 2) << p.notes();
    EXPECT_NE(p.notes().find("PPLEGEND"), std::string::npos) << p.notes();
    EXPECT_NE(p.notes().find("CONFIDENCE"), std::string::npos) << p.notes();
    // a flag set by another option stays
    Parsed q("proc vitalyx data=fans; probplot hours / nopplegend pplegend=none pplegend=red;");
    EXPECT_TRUE(stmtflag(q.rec(1), flag::plot::NOPPLEGEND));
}

TEST(Errors, MalformedValues) {
    struct Case {
        const char* opts;
        const char* says;
    };
    const Case cases[] = {
        {"pctlist=", "numbers are expected"},
        {"pctlist=(1 2", "')'"},
        {"pctlist=1 to", "a number is expected"},
        {"href=1 to 5 by -1", "zero or goes the wrong way"},
        {"href=5 to 1", "zero or goes the wrong way"},
        {"conf=1.5", "outside its range 0 to 1"},
        {"scale=-2", "below its bound 0"},
        {"fittype=mle2", "did you mean MLE"},
        {"ppos", "'=' is expected after PPOS"},
        {"cframe='a very long colour'", "longer than 8"},
        {"annotate=nosuchset", "WORK.nosuchset not found"},
    };
    for (const auto& c : cases) {
        Parsed p(std::string("proc vitalyx data=fans; probplot hours / ") + c.opts + ";");
        EXPECT_EQ(p.rc, 1012) << c.opts;
        EXPECT_NE(p.errors().find(c.says), std::string::npos) << c.opts << ": " << p.errors();
        EXPECT_NE(p.errors().find("PROBPLOT"), std::string::npos) << c.opts << ": " << p.errors();
    }
}

TEST(Errors, SemanticTraceListsTheRecords) {
    Parsed p("proc vitalyx data=fans; probplot hours / noconf;", 1);
    ASSERT_EQ(p.rc, 0);
    EXPECT_NE(p.notes().find("PROBPLOT: flag21"), std::string::npos) << p.notes();
}

// MAKE OUT= and PROC GOUT= read LIB.MEMBER through one routine; each keeps its own words.
TEST(Errors, TwoLevelNames) {
    struct Case {
        const char* program;
        const char* says;
    };
    const Case cases[] = {
        {"proc vitalyx data=fans; make 'x' out=1;", "a data-set name is expected for OUT=, not '1'"},
        {"proc vitalyx data=fans; make 'x' out=lib.'m';", "a member name is expected after LIB."},
        {"proc vitalyx data=fans; make 'x' out=lib.abcdefghijklmnopqrstuvwxyz0123456789;",
         "the name abcdefghijklmnopqrstuvwxyz0123456789 has 36 characters; names have at most 32"},
        {"proc vitalyx data=fans gout=2;", "a catalog name is expected for GOUT=, not '2'"},
        {"proc vitalyx data=fans gout=lib.'c';", "a catalog name is expected after LIB."},
    };
    for (const auto& c : cases) {
        Parsed p(c.program);
        EXPECT_EQ(p.rc, 1012) << c.program;
        EXPECT_NE(p.errors().find(c.says), std::string::npos) << c.program << ": " << p.errors();
    }
    Parsed ok("proc vitalyx data=fans gout=lib.cat; make 'x' out=pe;");
    EXPECT_EQ(ok.rc, 0) << ok.errors();
}
