// PROBLIST= lists whose starting masses leave some observation none, run whole: the Turnbull
// estimate keeps its start, the warning says what the list did, and no probability that the
// estimate's tables, data sets and plots show is above 1.
#include <iomanip>
#include <string>
#include <vector>

#include "tests/support/catalogmsg.h"
#include "tests/support/files.h"
#include "tests/unit/devplots/fixture.h"
#include "tests/unit/regression/programs.h"

using mdlprog::run;
using mdlprog::table;

namespace {

class Problist : public mdlprog::ProgramTest {};

// Every value of a column at most 1.
void atmostone(const table& t, const char* col) {
    for (size_t i = 0; i < t.rows.size(); ++i)
        EXPECT_LE(t.num(i, col), 1.0) << col << ", row " << i << ": " << std::setprecision(17) << t.num(i, col);
}

}  // namespace

// Six observations on three Turnbull intervals, (120, 140), (350, 400) and (550, 600); two of
// them lie in the second or the third interval alone. A list of one value starts those two at
// 0, and values far apart start the small ones' intervals at masses too small to use (below
// 2^-53, beside 6): the iterations stop at the start, which is kept, and the warning says
// which of the two it was, with both counts or both values. A zero the user gave keeps the
// general warning. The one starting mass of the short list, 6 x 0.1122 / 0.1122, rounds past
// the total weight 6; so does that of a single interval: probabilities, cumulative ones,
// their limits and the history's show 1, not 1.0000000000000002.
TEST_F(Problist, AStartThatLeavesObservationsNoMassIsKeptAndExplained) {
    writecsv("six", "lo,hi\n100,\n350,400\n300,\n100,200\n120,140\n550,600\n");
    struct listcase {
        const char* list;
        int msg;
        const char* says;
        std::vector<double> q;   // the starting probabilities, kept
    };
    const listcase cases[] = {
        {"0.1122", 2471,
         "The Turnbull estimate made no iteration: PROBLIST= gives starting probabilities for 1 of its 3 intervals, and the "
         "intervals past the list start at 0",
         {1, 0, 0}},
        {"1e308 22 22", 2472, "The Turnbull estimate made no iteration: the PROBLIST= values lie so far apart (22 beside 1e+308)",
         {1, 0, 0}},
        {"0.57 1e-300 0.2", 2472, "lie so far apart (1e-300 beside 0.57)", {0.57 / 0.77, 0, 0.2 / 0.77}},
        {"0.5 0 0.5", 2222, "stopped before its first full iteration", {0.5, 0, 0.5}},
    };
    for (const listcase& c : cases) {
        SCOPED_TRACE(c.list);
        const run r = program(std::string("proc vitalyx data=six;\n make 'ProbabilityEstimates' out=pe;\n make 'TurnbullGrad' out=tg;\n"
                                          " make 'TConvergenceStatus' out=cs;\n"
                                          " analyze (lo hi) / fittype=none ppout itprintem problist=") +
                                  c.list + ";\nrun;\n",
                              true);
        ASSERT_EQ(r.result.status, 0) << r.result.log.all();
        EXPECT_EQ(r.result.log.count('W'), 1) << r.result.log.all();
        EXPECT_EQ(testsupport::countmsg(r.result.log, 510, c.msg), 1) << r.result.log.all();
        EXPECT_TRUE(r.result.log.has('W', c.says)) << r.result.log.all();
        const std::string cs = testsupport::readfile(r.out + "/cs.csv");
        EXPECT_NE(cs.find(c.says), std::string::npos) << cs;
        EXPECT_NE(cs.find("\",2\n"), std::string::npos) << cs;
        const table tg = r.get("tg"), pe = r.get("pe");
        ASSERT_EQ(tg.rows.size(), 3u);
        ASSERT_EQ(pe.rows.size(), 4u);
        for (size_t k = 0; k < 3; ++k) EXPECT_NEAR(tg.num(k, "Prob"), c.q[k], 1e-15) << k;
        atmostone(tg, "Prob");
        for (const char* col : {"Prob", "Lower", "Upper"}) atmostone(pe, col);
        EXPECT_NEAR(pe.num(1, "Prob"), c.q[0], 1e-15);
    }

    // One interval, 0.1122 for it: the history's probability of the start is 1.
    writecsv("one", "lo,hi\n1,3\n2,5\n0.5,4\n");
    const run r = program("proc vitalyx data=one;\n make 'IterEM' out=h;\n make 'TurnbullGrad' out=tg;\n"
                          " analyze (lo hi) / fittype=none itprintem printprobs problist=0.1122;\nrun;\n",
                          true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table h = r.get("h");
    ASSERT_GE(h.rows.size(), 1u);
    for (const auto& row : h.rows) EXPECT_EQ(row.at(2), "1");   // the column "/(2, 3)"
    EXPECT_EQ(r.get("tg").text(0, "Prob"), "1");
}

// The list 0.7638 0.2362 0 on the same six observations starts the first two intervals at
// probabilities below 1 whose sum rounds past it (0.7638000000000001 + 0.2362 is
// 1.0000000000000002), and the third at 0, which the estimate keeps. The cumulative
// probability stops at 1: the data set's probabilities and limits are exactly 1 from the
// second interval on, and the probability plot's axis ends at the 95 percent tick that its
// point at 76 percent asks for, not at 99.9999 percent for a point just past 1.
TEST_F(Problist, ACumulativeSumThatRoundsPastOneIsOne) {
    const std::string six = "lo,hi\n100,\n350,400\n300,\n100,200\n120,140\n550,600\n";
    const std::string text = "proc vitalyx data=six;\n distribution weibull;\n make 'ProbabilityEstimates' out=pe;\n"
                             " probplot (lo hi) / ppout problist=0.7638 0.2362 0;\nrun;\n";
    writecsv("six", six);
    const run r = program(text, true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table pe = r.get("pe");
    ASSERT_EQ(pe.rows.size(), 4u);
    for (const char* col : {"Prob", "Lower", "Upper"}) {
        atmostone(pe, col);
        for (size_t k : {2u, 3u}) EXPECT_EQ(pe.text(k, col), "1") << col << ", row " << k;
    }

    const dp::Run plot = dp::run(text, {{"six", six}});
    ASSERT_EQ(plot.pages.size(), 1u);
    EXPECT_TRUE(plot.pages[0].hastext("95"));
    for (const char* tick : {"99", "99.9", "99.99", "99.999", "99.9999"}) EXPECT_FALSE(plot.pages[0].hastext(tick)) << tick;
}
