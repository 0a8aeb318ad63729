// After a statement is abandoned for an error inside one of its options, the statements
// that follow are read as if it had not been there: one error, their records intact.
#include <gtest/gtest.h>
#include "host/grammar.h"
#include "parsehelp.h"
#include "proc/framework/optslots.h"

using namespace vxtest;

TEST(Recovery, StatementsAfterAnOptionErrorAreReadIntact) {
    const char* bad[] = {
        "probplot hours / conf=1.5;",                             // a value out of its range
        "probplot hours / href=1 to 5 by -1;",                    // a range going the wrong way
        "model hours = temp / obstats(control=nope);",            // an unknown variable in a sub-option
        "model hours = temp / relation=(arr(nope), linear(volt));",
        "rplot hours = temp / volt=1 to;",                        // variable = numbers, cut short
    };
    for (const char* b : bad) {
        Parsed p(std::string("proc vitalyx data=fans; ") + b +
                 " analyze hours*status(0) = plant / conf=0.9 conf=0.8 itprint; probplot hours / noconf;");
        EXPECT_EQ(p.rc, 1012) << b;
        EXPECT_EQ(p.log.count('E'), 1) << b << ": " << p.errors();
        // the records that follow the bad one keep what was written on them
        const stmtrec* a = nullptr;
        const stmtrec* pp = nullptr;
        for (const stmtrec* r = p.proc(); r; r = r->next) {
            if (keyword(r) == "ANALYZE") a = r;
            if (keyword(r) == "PROBPLOT" && stmtflag(r, flag::plot::NOCONF)) pp = r;
        }
        ASSERT_NE(a, nullptr) << b;
        ASSERT_NE(stmtslot(a, slot::plot::CONFIDENCE), nullptr) << b;
        EXPECT_EQ(stmtslot(a, slot::plot::CONFIDENCE)->num, 0.8) << b;
        EXPECT_TRUE(stmtflag(a, flag::plot::ITPRINT)) << b;
        EXPECT_EQ(vars(stmtslot(a, slot::head::CLASS)), std::vector<int32_t>{V_PLANT}) << b;
        EXPECT_NE(pp, nullptr) << b;
    }
}

TEST(Recovery, EffectVariablesAreCheckedInTheSameRoundAsTheOtherStatements) {
    // One run names the bad PROBPLOT option, both character effect variables of MODEL (once
    // each, though the bar crosses them) and the one of LOGSCALE.
    Parsed p("proc vitalyx data=fans;\n probplot hours / nosuchopt;\n model hours = lot|plant|temp @2;\n"
             " logscale label;");
    EXPECT_EQ(p.rc, 1012);
    EXPECT_EQ(p.log.count('E'), 4) << p.errors();
    EXPECT_NE(p.errors().find("NOSUCHOPT"), std::string::npos) << p.errors();
    EXPECT_NE(p.errors().find("Line 3, column 16: MODEL statement: the effect variable LOT"), std::string::npos)
        << p.errors();
    EXPECT_NE(p.errors().find("Line 3, column 20: MODEL statement: the effect variable PLANT"), std::string::npos)
        << p.errors();
    EXPECT_NE(p.errors().find("LOGSCALE statement: the effect variable LABEL"), std::string::npos) << p.errors();
}
