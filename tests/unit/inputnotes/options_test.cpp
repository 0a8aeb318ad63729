// Options the grammar accepts but no analysis reads: one note per option and statement
// (510/2006), whatever the number of BY groups; the statements run as without them.
#include "tests/support/catalogmsg.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;
using testsupport::countmsg;

namespace {

class NoEffect : public ProgramTest {};

TEST_F(NoEffect, AcceptedOptionsWithoutEffectAreNotedOncePerStatement) {
    writecsv("ro", "g,t,f,n,m\n1,10,1,20,a\n1,20,3,19,b\n1,30,2,16,a\n2,10,0,15,a\n2,20,2,15,b\n2,30,1,13,a\n");
    run r = program("proc vitalyx data=ro;\n by g;\n freq f;\n nenter n;\n"
                    " probplot t / readout nlastcensor=-5 boxplot noexclude;\n"
                    " analyze t / readout nlastcensor=7;\nrun;\n"
                    "proc vitalyx data=ro;\n freq f;\n nenter n;\n"
                    " relationplot t = g / readout rcensymbol=dot rcencolor=red;\nrun;\n",
                    true);
    const auto& log = r.result.log;
    EXPECT_EQ(countmsg(log, 510, 2006), 6) << log.all();
    for (const char* line : {"PROBPLOT statement (line 5): NLASTCENSOR= is accepted and has no effect",
                             "PROBPLOT statement (line 5): BOXPLOT is accepted", "PROBPLOT statement (line 5): NOEXCLUDE",
                             "ANALYZE statement (line 6): NLASTCENSOR=", "RELATIONPLOT statement (line 11): RCENSYMBOL=",
                             "RELATIONPLOT statement (line 11): RCENCOLOR="})
        EXPECT_TRUE(log.has('N', line)) << line << "\n" << log.all();

    writecsv("fm", "t,c,m\n10,0,a\n12,0,b\n15,1,a\n20,0,b\n25,0,a\n");
    r = program("proc vitalyx data=fm;\n fmode combine m = ('a' 'b') / parm cov;\n analyze t*c(1);\nrun;\n", true);
    EXPECT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2006), 2) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('N', "FMODE statement (line 2): PARM is accepted and has no effect.")) << r.result.log.all();
}

}  // namespace
