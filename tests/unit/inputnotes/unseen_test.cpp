// A value the statement names that the data never hold: a censoring value of time*status(...)
// that no observation used has censors nothing (a note; a warning when no value listed occurs,
// for then every row is a failure), and an end-of-observation value of MCFPLOT that no record
// has leaves every unit without an end; the message names the variable and the value, once per
// BY group, whichever statements read the rows.
#include "tests/support/catalogmsg.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;
using testsupport::countmsg;

namespace {

class Unseen : public ProgramTest {};

TEST_F(Unseen, ACensoringValueNoObservationHasIsNamed) {
    // status is coded 1 (failed) and 2 (censored); status(0 2) names one value that occurs.
    writecsv("st", "g,t,status\n1,5,1\n1,8,2\n1,12,1\n1,15,1\n2,15,2\n2,20,1\n2,22,1\n2,30,1\n");
    run r = program("proc vitalyx data=st;\n by g;\n distribution weibull;\n make 'ParmEst' out=pe;\n"
                    " analyze t*status(0 2 0);\n probplot t*status(0 2);\n model t*status(0 2);\nrun;\n", true);
    const auto& log = r.result.log;
    EXPECT_EQ(r.result.status, 0) << log.all();
    EXPECT_EQ(countmsg(log, 510, 2007), 2) << log.all();   // one per BY group, the value listed twice once
    EXPECT_TRUE(log.has('N', "The censoring value 0 of status occurs in no observation used in the BY group g=1")) << log.all();
    EXPECT_FALSE(log.has("The censoring value 2")) << log.all();
    EXPECT_EQ(countmsg(log, 510, 2002), 0) << log.all();

    // A value that occurs in one BY group only is named in the other, where it was the only one
    // listed: every observation there is a failure. There status takes the one value 1: complete
    // data written with a status column, which a note (not a warning) says.
    r = program("proc vitalyx data=st;\n by g;\n model t*status(2);\nrun;\n", true);
    EXPECT_EQ(countmsg(r.result.log, 510, 2002), 0) << r.result.log.all();
    writecsv("st2", "g,t,status\n1,5,1\n1,8,2\n1,12,1\n2,15,1\n2,20,1\n2,22,1\n");
    r = program("proc vitalyx data=st2;\n by g;\n analyze t*status(2);\nrun;\n", true);
    EXPECT_EQ(countmsg(r.result.log, 510, 2002), 0) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2220), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('N', "status takes only the value 1 in the observations used in the BY group g=2: "
                                      "no observation is censored, and every observation is taken as a failure")) << r.result.log.all();
}

// Complete data with a status column (every row 1) read as hours*status(0): a note, once per
// statement however many values are listed; a variable of two or more values none of which is
// listed is a warning that names them and the values listed, once.
TEST_F(Unseen, ACensoringVariableOfOneValueIsANote) {
    writecsv("done", "t,status,m\n5,1,a\n8,1,b\n12,1,a\n15,1,a\n");
    run r = program("proc vitalyx data=done;\n distribution weibull;\n analyze t*status(0 9);\n model t*status(0);\nrun;\n", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2220), 1) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2002), 0) << r.result.log.all();
    EXPECT_EQ(r.result.log.count('W'), 0) << r.result.log.all();
    r = program("proc vitalyx data=done;\n fmode keep m=('a');\n distribution weibull;\n analyze t*status(0);\nrun;\n", true);
    EXPECT_EQ(countmsg(r.result.log, 510, 2221), 1) << r.result.log.all();

    writecsv("coded", "t,status\n5,1\n8,2\n12,1\n15,3\n20,2\n");
    r = program("proc vitalyx data=coded;\n distribution weibull;\n analyze t*status(0 9 0);\nrun;\n", true);
    EXPECT_EQ(countmsg(r.result.log, 510, 2002), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('W', "status takes the values 1, 2 and 3 in the observations used, and none of them is a "
                                      "censoring value listed (0 and 9)")) << r.result.log.all();
}

// hours*status(9) on data coded 0 and 1: one warning for ANALYZE and MODEL, the run goes on,
// and the fit is that of every observation taken as a failure (the time without a censoring
// list). With FMODE KEEP the failures of the other modes stay censored, which the warning says.
TEST_F(Unseen, NoCensoringValueListedOccursIsAWarning) {
    writecsv("st", "t,status,m\n5,1,a\n8,0,b\n12,1,a\n15,1,a\n20,0,a\n22,1,b\n");
    run r = program("proc vitalyx data=st;\n distribution weibull;\n make 'ParmEst' out=pe;\n"
                    " analyze t*status(9);\n analyze t;\n model t*status(9);\nrun;\n", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2002), 1) << r.result.log.all();
    EXPECT_TRUE(testsupport::hasmsg(r.result.log, 510, 2002, 'W')) << r.result.log.all();
    const table pe = r.get("pe");
    ASSERT_EQ(pe.rows.size(), 8u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(pe.rows[i], pe.rows[4 + i]) << i;

    r = program("proc vitalyx data=st;\n fmode keep m=('a');\n distribution weibull;\n analyze t*status(9);\nrun;\n", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('W', "every observation is taken as a failure, or as censored where FMODE sets its failure mode aside"))
        << r.result.log.all();
}

// MCFPLOT: with n(-1 99) the value 99 ends no unit (a note); with n(0) on data whose end
// records carry -1 no unit has an end, which the note explains before the statement refuses
// the first unit (510/116).
TEST_F(Unseen, AnEndValueNoRecordHasIsNamed) {
    writecsv("rec", "unit,age,n\na,5,1\na,10,-1\nb,3,1\nb,12,-1\nc,8,-1\n");
    run r = program("proc vitalyx data=rec;\n unitid unit;\n mcfplot age*n(-1 99);\nrun;\n", true);
    EXPECT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2004), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('N', "the end-of-observation value 99 of n occurs in no record used")) << r.result.log.all();

    r = program("proc vitalyx data=rec;\n unitid unit;\n mcfplot age*n(0);\nrun;\n", true);
    EXPECT_EQ(r.result.status, 1);
    EXPECT_EQ(countmsg(r.result.log, 510, 2004), 1) << r.result.log.all();
    EXPECT_TRUE(testsupport::hasmsg(r.result.log, 510, 116, 'E')) << r.result.log.all();
}

}  // namespace
