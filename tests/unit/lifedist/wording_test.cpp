// Messages that sent the user the wrong way, held to what is true: the Turnbull estimate that
// made no iteration says which of its two causes it met and names the group in the log and in
// its status row; the Weibayes quantile beyond the quantile routine's range is not said not to
// exist; data without an estimate are not said to make the likelihood grow without end.
#include "tests/support/catalogmsg.h"
#include "tests/support/files.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;
using testsupport::countmsg;

namespace {

class Wording : public ProgramTest {};

TEST_F(Wording, TheTurnbullEstimateSaysWhyItMadeNoIteration) {
    // Level A: FREQ 1e15 beside 1e-15; the first step leaves the small ones almost no mass.
    writecsv("em", "lo,hi,f,g\n1,3,1e15,A\n2,5,1e-15,A\n4,6,1e-15,A\n1,3,1,B\n2,5,1,B\n4,6,1,B\n");
    run r = program("proc vitalyx data=em;\n freq f;\n distribution weibull;\n make 'TConvergenceStatus1' out=a;\n"
                    " make 'TConvergenceStatus2' out=b;\n analyze (lo hi) = g / fit=none;\nrun;\n",
                    true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2222), 1) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 822), 0) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('W', "The Turnbull estimate for g=A stopped before its first full iteration")) << r.result.log.all();
    // The status rows (the reason is quoted: it holds commas).
    const std::string a = testsupport::readfile(r.out + "/a.csv"), b = testsupport::readfile(r.out + "/b.csv");
    EXPECT_EQ(a.rfind("Reason,Status\n\"The Turnbull estimate for g=A stopped before its first full iteration", 0), 0u) << a;
    EXPECT_NE(a.find("\",2\n"), std::string::npos) << a;
    EXPECT_EQ(b, "Reason,Status\nAlgorithm converged for group B.,0\n");

    // MAXITEM=0 is the other cause, and says so for the level it stops.
    r = program("proc vitalyx data=em;\n freq f;\n distribution weibull;\n make 'TConvergenceStatus2' out=b;\n"
                " analyze (lo hi) = g / fit=none maxitem=0;\nrun;\n",
                true);
    EXPECT_EQ(countmsg(r.result.log, 510, 822), 2) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('W', "The Turnbull estimate for g=B made no iteration: MAXITEM=0 allows none.")) << r.result.log.all();
    EXPECT_EQ(testsupport::readfile(r.out + "/b.csv"),
              "Reason,Status\nThe Turnbull estimate for g=B made no iteration: MAXITEM=0 allows none. The starting estimate is shown.,2\n");
}

TEST_F(Wording, AWeibayesQuantileBeyondTheRoutinesRangeIsSaidToBeSo) {
    writecsv("t", "t\n10\n20\n30\n");
    const run r = program("proc vitalyx data=t;\n distribution weibull;\n analyze t / shape=2 fit=weibayes(conf=0.99999999999999);\nrun;\n", true);
    EXPECT_EQ(countmsg(r.result.log, 510, 9030), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('E', "Weibayes fit: the chi-square quantile at the Weibayes confidence 0.99999999999999 with 8 "
                                      "degrees of freedom lies beyond the range of the quantile routine"))
        << r.result.log.all();
    EXPECT_FALSE(r.result.log.has("no chi-square quantile exists")) << r.result.log.all();
}

TEST_F(Wording, DataWithoutAnEstimateAreNotSaidToGrowWithoutEnd) {
    // Every interval holds 400 to 450: the likelihood grows towards 1, not without end.
    writecsv("overlap", "lo,hi\n380,450\n400,470\n350,460\n");
    const run r = program("proc vitalyx data=overlap;\n distribution normal;\n analyze (lo hi);\nrun;\n", true);
    EXPECT_EQ(countmsg(r.result.log, 510, 2140), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('W', "does not reach a maximum with a positive scale: it grows, or stays level, as the scale "
                                      "tends to 0")) << r.result.log.all();
    EXPECT_FALSE(r.result.log.has("without end")) << r.result.log.all();
}

}  // namespace
