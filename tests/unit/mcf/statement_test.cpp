// MCFPLOT as a user meets it: what the input refuses or mends, interval data, the options
// that shape the tables, and the checks of MCFDIFF.
#include <string>

#include "tests/unit/mcf/mcfrun.h"

namespace {

using mcftest::McfRun;
using mcftest::Table;

const char* kUnits =
    "unit,age,n,f\n"
    "a,5,1,1\n"
    "a,10,-1,1\n"
    "b,3,1,1\n"
    "b,7,-1,1\n"
    "c,6,1,1\n"
    "c,9,-1,1\n";

class Statement : public McfRun {
protected:
    const testhost::Run& mcf(const std::string& data, const std::string& stmt, const std::string& extra = "") {
        return run("proc vitalyx data=" + data + "; unitid unit; " + extra + stmt +
                   " make 'MCFEst' out=est; make 'MCFSum' out=sum; run;");
    }
};

TEST_F(Statement, InputFaultsAreRefusedOrMendedWithAMessage) {
    // A unit without an end record.
    dataset("noend", "unit,age,n\na,5,1\na,10,-1\nb,3,1\n");
    auto r = mcf("noend", "mcfplot age*n(-1);");
    EXPECT_TRUE(r.log.has('E', "unit b has no end-of-observation record")) << r.log.all();
    EXPECT_NE(r.status, 0);
    // Two end records of one unit.
    dataset("twoends", "unit,age,n\na,5,1\na,10,-1\na,12,-1\n");
    r = mcf("twoends", "mcfplot age*n(-1);");
    EXPECT_TRUE(r.log.has('E', "unit a has a second end-of-observation record (observation 3)")) << r.log.all();
    // An event after the end stops the statement; one past it by rounding only is taken at the end,
    // before the end record, so that its unit is at risk (R would be 0 here otherwise).
    dataset("after", "unit,age,n\na,5,1\na,10,-1\na,10.5,1\n");
    r = mcf("after", "mcfplot age*n(-1);");
    EXPECT_TRUE(r.log.has('E', "an event of unit a at 10.5 lies after the end of its observation at 10")) << r.log.all();
    dataset("slack", "unit,age,n\nb,3,-1\na,1e-14,-1\na,2e-14,1\n");
    r = mcf("slack", "mcfplot age*n(-1);");
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(r.log.has('N', "counted at 1e-14")) << r.log.all();
    Table est = made("est");
    ASSERT_EQ(est.rows.size(), 3u);
    EXPECT_EQ(est.num(0, "Age"), 1e-14);
    EXPECT_EQ(est.num(0, "Mcf"), 0.5);
    EXPECT_EQ(est.text(0, "ID"), "a");
    EXPECT_TRUE(std::isnan(est.num(1, "Mcf"))) << "the end record of a follows its event";
    // An event record whose FREQ is missing or not positive is skipped with its observation
    // number; it is counted among the skipped observations.
    dataset("freq", "unit,age,n,f\na,5,1,\na,6,1,0\na,7,1,2\na,10,-1,2\nb,3,-1,1\n");
    r = mcf("freq", "mcfplot age*n(-1) / variance=poisson;", "freq f;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(r.log.has('W', "observation 1 is an event record whose FREQ value (.)")) << r.log.all();
    EXPECT_TRUE(r.log.has('W', "observation 2 is an event record whose FREQ value (0)")) << r.log.all();
    est = made("est");
    // Events weigh by the unit's weight from its end record: 2 / (2 + 1) at age 7.
    ASSERT_EQ(est.num(1, "Age"), 7);
    EXPECT_DOUBLE_EQ(est.num(1, "Mcf"), 2.0 / 2.0) << "b ended at 3: only a is at risk";
    Table sum = made("sum");
    EXPECT_EQ(sum.text(1, "Value"), "3") << "records of the group";
    EXPECT_EQ(sum.text(3, "Value"), "2") << "weighted events";
    // Recurrence times need a UNITID variable.
    r = run("proc vitalyx data=freq; mcfplot age*n(-1); run;");
    EXPECT_TRUE(r.log.has('E', "need a UNITID variable")) << r.log.all();
}

TEST_F(Statement, IntervalDataCountRemovalsHalfAtRisk) {
    // 10 at risk, 2 events and 2 removals: 2 / 9; then 8 at risk, 3 events, 0 removals: 3 / 8.
    dataset("ivl", "lo,hi,ev,rem,g\n0,10,2,2,x\n10,20,3,0,x\n20,30,0,8,x\n0,5,1,0,y\n5,8,0,4,y\n");
    auto r = run("proc vitalyx data=ivl; mcfplot (interval=lo hi recurrences=ev censored=rem) = g / nrisk=10; "
                 "make 'MCFEst' out=est; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(r.log.has('N', "interval data")) << r.log.all();
    Table est = made("est");
    ASSERT_EQ(est.rows.size(), 5u);
    EXPECT_DOUBLE_EQ(est.num(0, "Mcf"), 2.0 / 9);
    EXPECT_DOUBLE_EQ(est.num(0, "Std"), std::sqrt(2.0 / 81));
    EXPECT_DOUBLE_EQ(est.num(1, "Mcf"), 2.0 / 9 + 3.0 / 8);
    EXPECT_DOUBLE_EQ(est.num(1, "Std"), std::sqrt(2.0 / 81 + 3.0 / 64));
    EXPECT_DOUBLE_EQ(est.num(2, "Mcf"), 2.0 / 9 + 3.0 / 8) << "an interval without events adds nothing";
    EXPECT_EQ(est.num(1, "Age1"), 10);
    EXPECT_EQ(est.num(1, "Age2"), 20);
    EXPECT_EQ(est.num(4, "fNote"), 1);
    // NRISK given once applies to the first group only: the second starts from its removals (4).
    EXPECT_DOUBLE_EQ(est.num(3, "Mcf"), 0.25);
    // A list applies position by position.
    r = run("proc vitalyx data=ivl; mcfplot (interval=lo hi recurrences=ev censored=rem) = g / nrisk=10 5; "
            "make 'MCFEst' out=est; run;");
    EXPECT_DOUBLE_EQ(made("est").num(3, "Mcf"), 0.2);
    // Overlapping intervals are refused with the record's number; a risk set used up by
    // removals cannot carry events; misaligned intervals of two groups are warned about once.
    dataset("overlap", "lo,hi,ev,rem\n0,10,1,0\n5,20,1,0\n");
    r = run("proc vitalyx data=overlap; mcfplot (interval=lo hi recurrences=ev censored=rem) / nrisk=5; run;");
    EXPECT_TRUE(r.log.has('E', "interval record 2 (from 5 to 20)")) << r.log.all();
    dataset("used", "lo,hi,ev,rem\n0,10,0,4\n10,20,1,2\n20,30,0,1\n");
    r = run("proc vitalyx data=used; mcfplot (interval=lo hi recurrences=ev censored=rem) / nrisk=4; run;");
    EXPECT_TRUE(r.log.has('E', "interval record 2 (from 10 to 20) has 1 events but -1 units at risk")) << r.log.all();
    r = run("proc vitalyx data=ivl; mcfplot (interval=lo hi recurrences=ev censored=rem) = g / mcfdiff nrisk=10 5; "
            "make 'MCFDest' out=diff; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(r.log.count('W'), 1) << r.log.all();
    
    EXPECT_TRUE(r.log.has('W', "do not line up")) << r.log.all();
    Table d = made("diff");
    ASSERT_EQ(d.rows.size(), 2u) << "x at 10 is beyond y's last interval end (8)";
    EXPECT_DOUBLE_EQ(d.num(0, "Mcfdiff"), 0 - 0.2);
    EXPECT_DOUBLE_EQ(d.num(1, "Mcfdiff"), 0 - 0.2);
}

TEST_F(Statement, OptionsShapeTheTables) {
    dataset("units", kUnits);
    // NOCENPRINT removes the end rows; without it they show with missing estimates.
    auto r = mcf("units", "mcfplot age*n(-1);");
    ASSERT_EQ(r.status, 0) << r.log.all();
    Table est = made("est");
    ASSERT_EQ(est.rows.size(), 6u);
    ASSERT_EQ(est.num(3, "Age"), 7) << "the end of b";
    EXPECT_TRUE(std::isnan(est.num(3, "Mcf")) && std::isnan(est.num(3, "Std")) && std::isnan(est.num(3, "Lower")));
    mcf("units", "mcfplot age*n(-1) / nocenprint;");
    EXPECT_EQ(made("est").rows.size(), 3u);
    // NOVARIANCE removes the Std, Lower and Upper columns.
    mcf("units", "mcfplot age*n(-1) / novariance;");
    est = made("est");
    for (const auto& n : est.names) EXPECT_TRUE(n != "Std" && n != "Lower" && n != "Upper") << n;
    // CONFIDENCE=0.9 gives alpha 0.1: z = 1.6448536269514722.
    mcf("units", "mcfplot age*n(-1) / confidence=0.9 variance=poisson nocenprint;");
    est = made("est");
    EXPECT_NEAR(est.num(0, "Upper"), est.num(0, "Mcf") + 1.6448536269514722 * est.num(0, "Std"), 1e-15);
    // VARIANCE=NELSON clears VARMETHOD2 and INDINC given as flags: the same as no option.
    mcf("units", "mcfplot age*n(-1) / varmethod2 indinc variance=nelson nocenprint;");
    Table a = made("est");
    mcf("units", "mcfplot age*n(-1) / nocenprint;");
    Table b = made("est");
    ASSERT_EQ(a.rows.size(), b.rows.size());
    for (size_t i = 0; i < a.rows.size(); ++i) EXPECT_EQ(a.num(i, "Std"), b.num(i, "Std"));
    // HAXIS with LOGLOG is ignored with a warning; a FREQ variable switches the default
    // variance to LAWLESS with a warning, but not with NOVARIANCE.
    r = mcf("units", "mcfplot age*n(-1) / loglog haxis=1 to 10 by 3;");
    EXPECT_TRUE(r.log.has('W', "HAXIS= is ignored with LOGLOG")) << r.log.all();
    r = mcf("units", "mcfplot age*n(-1);", "freq f;");
    EXPECT_TRUE(r.log.has('W', "LAWLESS")) << r.log.all();
    r = mcf("units", "mcfplot age*n(-1) / novariance;", "freq f;");
    EXPECT_FALSE(r.log.has('W', "LAWLESS")) << r.log.all();
}

TEST_F(Statement, GroupsAndTheirDifference) {
    dataset("two", "unit,age,n,g,h\na,5,1,x,p\na,10,-1,x,p\nb,3,1,x,q\nb,7,-1,x,q\n"
                   "c,6,1,y,p\nc,9,-1,y,p\nd,2,1,y,q\nd,4,1,y,q\nd,8,-1,y,q\ne,12,1,y,p\ne,13,-1,y,p\n");
    // Two class variables: one group per cell, labelled with both levels.
    auto r = mcf("two", "mcfplot age*n(-1) = g h / nocenprint;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    Table est = made("est");
    ASSERT_EQ(est.rows.size(), 6u);
    EXPECT_EQ(est.text(0, "Group"), "x p");
    EXPECT_EQ(est.text(5, "Group"), "y q");
    EXPECT_DOUBLE_EQ(est.num(5, "Mcf"), 2.0) << "one unit, two events";
    EXPECT_EQ(est.num(5, "Std"), 0.0);
    // The cells draw nothing here: the report opens no section for them, their rows are in
    // the one table with a Group column.
    EXPECT_EQ(reportgroups(), 0) << "a section only for a cell that draws";
    // MCFDIFF needs one class variable with two levels.
    r = mcf("two", "mcfplot age*n(-1) = g h / mcfdiff;");
    EXPECT_TRUE(r.log.has('E', "MCFDIFF needs exactly one class variable; the statement has 2")) << r.log.all();
    dataset("three", std::string(kUnits) + "z,4,1,1\nz,8,-1,1\n");
    r = run("proc vitalyx data=three; unitid unit; mcfplot age*n(-1) = unit / mcfdiff; run;");
    EXPECT_TRUE(r.log.has('E', "MCFDIFF needs exactly two levels of the class variable; this BY group has 4")) << r.log.all();
    // The difference stops at the first time beyond the other group's last observation;
    // equal times give one record.
    r = mcf("two", "mcfplot age*n(-1) = g / mcfdiff; make 'MCFDest' out=diff;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(reportgroups(), 0) << "with MCFDIFF the groups open no output group";
    Table d = made("diff");
    // x: b at 3 (1/2), a at 5 (1); y: d at 2 and 4 (1/3, 2/3), c at 6 (1), e at 12, after x's
    // last end (10).
    ASSERT_EQ(d.rows.size(), 5u);
    const double want[5][2] = {{2, -1.0 / 3}, {3, 1.0 / 6}, {4, -1.0 / 6}, {5, 1.0 / 3}, {6, 0}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(d.num(i, "Age"), want[i][0]);
        EXPECT_DOUBLE_EQ(d.num(i, "Mcfdiff"), want[i][1]) << i;
    }
}

TEST_F(Statement, TheTwoHundredAndFirstRecordSpillsToAFile) {
    std::string csv = "unit,age,n\n";
    for (int i = 0; i < 100; ++i) {
        std::string u = "u";
        u += std::to_string(i);
        csv += u + "," + std::to_string(1 + i % 7) + ",1\n" + u + "," + std::to_string(20 + i) + ",-1\n";
    }
    csv += "u0,3,1\n";
    dataset("big", csv);
    auto r = mcf("big", "mcfplot age*n(-1) / variance=lawless nocenprint;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    Table est = made("est");
    ASSERT_EQ(est.rows.size(), 101u);
    EXPECT_EQ(est.num(0, "Age"), 1);
    EXPECT_DOUBLE_EQ(est.num(100, "Mcf"), 1.01);
    EXPECT_EQ(made("sum").text(1, "Value"), "201");
}

}  // namespace
