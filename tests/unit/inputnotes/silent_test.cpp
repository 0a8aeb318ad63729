// What the log says of input that the tables alone would not show: rows skipped for a reason
// (a note per reason with the count and the first observation, once per BY group whichever
// statements read the rows; the counts of the tables as they were), on every reader, and the
// distribution fitted when no DISTRIBUTION statement names one.
#include "tests/support/catalogmsg.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;
using testsupport::countmsg;

namespace {

class Silent : public ProgramTest {};

// An interval whose lower end lies above its upper end, and a negative FREQ value: ANALYZE and
// PROBPLOT count the rows as skipped, MODEL leaves them out uncounted, as before the notes.
TEST_F(Silent, ReversedIntervalsAndNegativeFrequenciesAreNoted) {
    writecsv("iv", "g,lo,hi,f\n1,5,10,1\n1,12,8,1\n1,3,9,-2\n1,1,4,1\n1,6,15,1\n1,20,9,2\n1,12,25,1\n1,2,7,1\n"
                   "2,3,6,1\n2,5,9,-1\n2,8,12,1\n2,2,7,1\n2,10,20,1\n");
    run r = program("proc vitalyx data=iv;\n by g;\n freq f;\n distribution weibull;\n make 'NObs' out=nobs;\n"
                    " make 'ModNObs' out=mnobs;\n analyze (lo hi);\n probplot (lo hi);\n model (lo hi);\nrun;\n", true);
    const auto& log = r.result.log;
    ASSERT_EQ(r.result.status, 0) << log.all();
    EXPECT_EQ(countmsg(log, 510, 2009), 1) << log.all();
    EXPECT_TRUE(log.has('N', "2 observation(s) in the BY group g=1 skipped: the lower end lo is greater than the upper end hi; "
                             "the first is observation 2.")) << log.all();
    EXPECT_EQ(countmsg(log, 510, 2010), 2) << log.all();
    EXPECT_TRUE(log.has('N', "1 observation(s) in the BY group g=1 skipped: the FREQ value of f is negative; the first is observation 3."))
        << log.all();
    EXPECT_TRUE(log.has('N', "in the BY group g=2 skipped: the FREQ value of f is negative; the first is observation 10.")) << log.all();

    EXPECT_EQ(log.count('W'), 0) << log.all();
    // The counts of every statement per BY group (a row per count): read 8 and 5, used 5 and 4.
    for (const char* name : {"nobs", "mnobs"}) {
        const table t = r.get(name);
        ASSERT_EQ(t.rows.size(), std::string(name) == "nobs" ? 16u : 8u) << name;
        for (size_t i = 0; i < t.rows.size(); ++i) {
            const bool g1 = t.text(i, "g") == "1";
            EXPECT_EQ(t.num(i, "NObsRead"), g1 ? 8 : 5) << name << i;
            EXPECT_EQ(t.num(i, "NObsUsed"), g1 ? 5 : 4) << name << i;
        }
    }
}

// MCFPLOT: a record without a time, without a unit or without its class value is skipped with
// a note for each reason (the unit whose end record is skipped is then refused, which the
// note explains).
TEST_F(Silent, RecurrenceRecordsSkippedAreNoted) {
    writecsv("rec", "unit,age,n,g\na,5,1,x\na,10,-1,x\nb,3,1,y\nb,.,1,y\nb,12,-1,y\n,7,1,x\nc,8,-1,\nc,4,1,x\n");
    run r = program("proc vitalyx data=rec;\n unitid unit;\n mcfplot age*n(-1) = g;\nrun;\n", true);
    const auto& log = r.result.log;
    EXPECT_TRUE(log.has('N', "1 observation(s) skipped: a value of age or n is missing; the first is observation 4.")) << log.all();
    EXPECT_TRUE(log.has('N', "1 observation(s) skipped: the UNITID value of unit is missing, and a record must name its unit; "
                             "the first is observation 6.")) << log.all();
    EXPECT_TRUE(log.has('N', "skipped: the value of the class variable g is missing")) << log.all();
    EXPECT_TRUE(testsupport::hasmsg(log, 510, 116, 'E')) << log.all();
}

// Without DISTRIBUTION the statements fit the normal distribution, which a note names once per
// step; a step with a DISTRIBUTION statement, or with nothing that fits one (MCFPLOT), has none.
TEST_F(Silent, TheDefaultDistributionIsNamed) {
    writecsv("d", "t,c,unit\n10,1,a\n20,0,a\n30,1,b\n40,0,b\n");
    run r = program("proc vitalyx data=d;\n make 'vyxinfo' out=info;\n analyze t*c(0);\n probplot t*c(0);\nrun;\n"
                    "proc vitalyx data=d;\n distribution normal;\n analyze t*c(0);\nrun;\n"
                    "proc vitalyx data=d;\n unitid unit;\n mcfplot t*c(0);\nrun;\n", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2021), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('N', "No DISTRIBUTION statement was given: the step fits the normal distribution (NORMAL)."))
        << r.result.log.all();
    const table info = r.get("info");
    bool normal = false;
    for (size_t i = 0; i < info.rows.size(); ++i) normal = normal || info.text(i, "Value") == "Normal";
    EXPECT_TRUE(normal);
}

}  // namespace
