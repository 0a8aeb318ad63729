// MCFPLOT records skipped for what they hold: an interval record without a number of events
// or of removals (it would change the risk set of every later interval unseen), and an
// end-of-observation record whose FREQ value is missing or not positive (its unit is then
// refused for having no end). Each is logged with the observation's number and counted as
// skipped.
#include "tests/support/catalogmsg.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;
using testsupport::countmsg;
using testsupport::hasmsg;

namespace {

class McfRecords : public ProgramTest {};

TEST_F(McfRecords, AnIntervalRecordWithoutCountsIsNamedAndCountedAsSkipped) {
    writecsv("ivl", "lo,hi,ev,rem\n0,10,2,2\n10,20,3,\n20,30,,1\n30,40,1,5\n");
    run r = program("proc vitalyx data=ivl;\n make 'Nobs' out=nobs;\n"
                    " mcfplot (interval=lo hi recurrences=ev censored=rem) / nrisk=10;\nrun;\n", true);
    const auto& log = r.result.log;
    EXPECT_EQ(r.result.status, 0) << log.all();
    EXPECT_EQ(countmsg(log, 510, 944), 2) << log.all();
    EXPECT_TRUE(log.has('W', "observation 2 (interval from 10 to 20) has no value of rem")) << log.all();
    EXPECT_TRUE(log.has('W', "observation 3 (interval from 20 to 30) has no value of ev")) << log.all();
    const table nobs = r.get("nobs");
    ASSERT_FALSE(nobs.rows.empty());
    EXPECT_EQ(nobs.num(0, "NObsRead"), 4);
    EXPECT_EQ(nobs.num(0, "NObsUsed"), 2);
}

TEST_F(McfRecords, AnEndRecordSkippedForItsFreqSaysWhy) {
    writecsv("rec", "unit,age,n,f\na,5,1,1\na,10,-1,0\nb,3,1,1\nb,12,-1,1\nc,8,-1,2\n");
    run r = program("proc vitalyx data=rec;\n unitid unit;\n freq f;\n mcfplot age*n(-1);\nrun;\n", true);
    const auto& log = r.result.log;
    EXPECT_EQ(r.result.status, 1);
    EXPECT_TRUE(log.has('W', "observation 2 is the end-of-observation record of unit a, and its FREQ value (0)")) << log.all();
    EXPECT_EQ(countmsg(log, 510, 2003), 1);
    EXPECT_TRUE(hasmsg(log, 510, 116, 'E')) << log.all();   // the unit without its end is refused

    // An event record with FREQ 0 is skipped with its own message; the statement runs.
    writecsv("rec", "unit,age,n,f\na,5,1,0\na,10,-1,1\nb,3,1,1\nb,12,-1,1\n");
    r = program("proc vitalyx data=rec;\n unitid unit;\n freq f;\n mcfplot age*n(-1);\nrun;\n", true);
    EXPECT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_TRUE(hasmsg(r.result.log, 510, 941, 'W')) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2003), 0);
}

}  // namespace
