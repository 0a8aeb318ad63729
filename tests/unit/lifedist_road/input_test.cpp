// The BY-group input: which observations are used, their censoring codes and rows, the
// counts of every group, spilling to utility files, and the class groups.
#include <cmath>
#include <string>

#include "fixture.h"
#include "proc/framework/clsorder.h"
#include "proc/lifedist/lifedist_internal.h"

namespace {

class Input : public ::testing::Test {
protected:
    void TearDown() override { lt::onanalyze = nullptr; }

    // Runs an ANALYZE statement whose options and input are real; look() sees the state
    // after the input of each BY group and returns what the statement returns.
    lt::Run analyze(const std::string& stmts, const std::string& csv, std::function<void(vyxstate*, int)> look) {
        lt::onanalyze = [look](vyxstate* s) {
            int rc = vyxaprm(s);
            if (rc == 0) rc = vyxin(s);
            look(s, rc);
            return rc;
        };
        return lt::run("proc vitalyx data=d;\n" + stmts + "\nrun;\n", {{"d", csv}});
    }
};

// Every observation read is used or counted as skipped: missing, zero and negative FREQ
// values are skipped (zero kept for READOUT data), fractional weights stay whole.
TEST_F(Input, ZeroAndNegativeFreqAreCountedAsSkippedSoReadIsUsedPlusSkipped) {
    int seen = 0;
    auto r = analyze("freq f;\n analyze t;", "t,f\n10,2\n20,0\n30,.\n40,-1\n50,0.5\n", [&](vyxstate* s, int rc) {
        ++seen;
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(s->inwork.nobscnt[0], 3);   // skipped
        EXPECT_EQ(s->inwork.nobscnt[1], 2);   // used
        EXPECT_EQ(s->inwork.nobscnt[2], 5);   // read
        EXPECT_EQ(s->row.nobsrow.nread, 5);
        EXPECT_EQ(s->row.nobsrow.nused, 2);
        EXPECT_DOUBLE_EQ(s->row.nobsrow.sumread, 2.5);
        EXPECT_DOUBLE_EQ(s->row.nobsrow.sumused, 2.5);
        auto rows = lt::rows(s, &s->groups.rootgrp);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1], (std::vector<double>{50, 0.5}));
        EXPECT_DOUBLE_EQ(s->groups.rootgrp.totw, 2.5);
    });
    EXPECT_EQ(seen, 1);
    EXPECT_NE(r.listing.find("Observations Skipped  3"), std::string::npos) << r.listing;

    // READOUT: a zero count of failures is a row; the rows are time, failures, units on test.
    analyze("freq f;\n nenter n;\n analyze t / readout;", "t,f,n\n10,0,20\n20,3,20\n30,1,17\n",
            [&](vyxstate* s, int rc) {
                ASSERT_EQ(rc, 0);
                EXPECT_EQ(s->inwork.nobscnt[0], 0);
                EXPECT_EQ(s->opts.rowlay[1], 3u);
                auto rows = lt::rows(s, &s->groups.rootgrp);
                ASSERT_EQ(rows.size(), 3u);
                EXPECT_EQ(rows[0], (std::vector<double>{10, 0, 20}));
                EXPECT_EQ(s->groups.rootgrp.wint, 4);   // READOUT rows are interval-censored
                EXPECT_EQ(s->groups.rootgrp.ncens, 3);
            });
}

// The lower/upper pair: equal ends an exact failure, one missing end a one-sided censored
// value, lower above upper skipped; on a log scale a lower end of exactly 0 is "failed before
// the upper end" (left-censored, the lower end missing in the row), while an end below 0 or a
// pair of zeros skips the row, counted in the note of the log-scale skips (510/2000).
TEST_F(Input, IntervalPairsGiveTheirCensoringAndLogScaleTakesAZeroLowerEndAsLeftCensored) {
    auto r = analyze("distribution weibull;\n analyze (lo hi);", "lo,hi\n1,1\n2,.\n.,3\n1,4\n5,2\n.,.\n0,6\n-1,6\n0,0\n",
                     [&](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        const grpnode& g = s->groups.rootgrp;
        EXPECT_EQ(g.nfail, 1);
        EXPECT_EQ(g.wright, 1);
        EXPECT_EQ(g.wleft, 2);
        EXPECT_EQ(g.wint, 1);
        EXPECT_EQ(g.ncens, 4);
        EXPECT_EQ(s->inwork.nobscnt[0], 4);
        auto rows = lt::rows(s, &s->groups.rootgrp);
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows[0][OBS_LOWER], 0.0);   // ln 1
        EXPECT_DOUBLE_EQ(rows[1][OBS_LOWER], std::log(2.0));
        EXPECT_TRUE(ismissing(rows[1][OBS_UPPER]));
        EXPECT_TRUE(ismissing(rows[2][OBS_LOWER]));
        EXPECT_DOUBLE_EQ(rows[3][OBS_UPPER], std::log(4.0));
        EXPECT_TRUE(ismissing(rows[4][OBS_LOWER]));   // (0, 6): left-censored at 6
        EXPECT_DOUBLE_EQ(rows[4][OBS_UPPER], std::log(6.0));
    });
    EXPECT_EQ(testsupport::countmsg(r.log, 510, 2000), 1) << r.log.all();
    EXPECT_TRUE(r.log.has('N', "2 observation(s) skipped: a value of lo or hi at or below 0")) << r.log.all();
    // On a linear scale (0, 6) stays an interval.
    analyze("analyze (lo hi);", "lo,hi\n0,6\n1,4\n", [&](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(s->groups.rootgrp.wint, 2);
    });
}

// The log-scale rule and the threshold: a time of 0 (after subtracting THRESHOLD) is skipped
// and counted; times are stored as ln or log10.
TEST_F(Input, TimesAreStoredOnTheAnalysisScaleAfterTheThreshold) {
    analyze("distribution weibull;\n analyze t;", "t\n0\n2\n", [&](vyxstate* s, int) {
        EXPECT_EQ(s->inwork.nobscnt[0], 1);
        EXPECT_DOUBLE_EQ(s->groups.rootgrp.rowbuf[0], std::log(2.0));
    });
    analyze("distribution lognormal10;\n analyze t / threshold=5;", "t\n5\n105\n", [&](vyxstate* s, int) {
        EXPECT_EQ(s->inwork.nobscnt[0], 1);
        EXPECT_DOUBLE_EQ(s->groups.rootgrp.rowbuf[0], 2.0);
    });
    // On a linear scale 0 is a time like any other.
    analyze("analyze t;", "t\n0\n-3\n", [&](vyxstate* s, int) { EXPECT_EQ(s->inwork.nobscnt[1], 2); });
}

// time*censor(values): any listed value right-censors; FMODE decides the code of the
// others: KEEP keeps listed modes as failures, ELIMINATE makes them censored, COMBINE keeps
// every failure and stores the mode's index (the number of listed modes for an unlisted one).
TEST_F(Input, CensorValuesAndFailureModesGiveTheRowCodes) {
    const std::string data = "t,c,m\n1,1,a\n2,0,a\n3,9,b\n4,1,b\n5,1,z\n6,.,a\n7,1, \n";
    analyze("analyze t*c(0 9);", data, [&](vyxstate* s, int) {
        auto rows = lt::rows(s, &s->groups.rootgrp);
        ASSERT_EQ(rows.size(), 6u);
        std::vector<double> codes;
        for (auto& r : rows) codes.push_back(r[OBS_CENS]);
        EXPECT_EQ(codes, (std::vector<double>{0, -1, -1, 0, 0, 0}));
    });
    analyze("fmode keep m = ('a' 'b');\n freq t;\n analyze t*c(0);", data, [&](vyxstate* s, int) {
        // z fails from another mode: censored in the row, its weight (5) kept in nother.
        auto rows = lt::rows(s, &s->groups.rootgrp);
        ASSERT_EQ(rows.size(), 5u);   // the missing censor value and the blank mode are skipped
        EXPECT_EQ(rows[4][OBS_CENS], -1);
        EXPECT_EQ(s->groups.rootgrp.nother, 5);
        EXPECT_EQ(s->groups.rootgrp.nfail, 3);     // a, b and b
    });
    analyze("fmode eliminate m = ('a');\n analyze t*c(0);", data, [&](vyxstate* s, int) {
        auto rows = lt::rows(s, &s->groups.rootgrp);
        EXPECT_EQ(rows[0][OBS_CENS], -1);   // a eliminated
        EXPECT_EQ(rows[3][OBS_CENS], 0);    // b a failure
    });
    analyze("fmode combine m = ('a' 'b');\n analyze t*c(0);", data, [&](vyxstate* s, int) {
        auto rows = lt::rows(s, &s->groups.rootgrp);
        ASSERT_EQ(s->opts.rowlay[1], 3u);
        EXPECT_EQ(rows[0][2], 0);
        EXPECT_EQ(rows[3][2], 1);
        EXPECT_EQ(rows[4][2], 2);   // z: not listed
    });
    // FMODE with a single time: the form is time with an implied censor value of 0.
    analyze("fmode keep m = ('a');\n analyze t;", data, [&](vyxstate* s, int) {
        EXPECT_EQ(s->inwork.rspkind, FORM_CENSOR);
        EXPECT_EQ(s->inwork.nobscnt[1], 6);   // the row with a missing censor value is used now
    });
    // Fractional weights of failures of another mode are kept whole.
    analyze("fmode keep m = ('a');\n freq w;\n analyze t*c(0);", "t,c,m,w\n1,1,b,0.25\n2,1,b,0.5\n3,1,a,1\n",
            [&](vyxstate* s, int) { EXPECT_DOUBLE_EQ(s->groups.rootgrp.nother, 0.75); });
}

// Rows per buffer: a group of exactly 100 rows stays in memory, the 101st row opens the
// utility file; the sort of a spilled group (host sort) and of a group in memory (shell
// sort) give the same rows and the same curve.
TEST_F(Input, SpilledAndInMemoryGroupsSortAndEstimateAlike) {
    std::string hundred = "t,c\n", more = "t,c\n";
    for (int i = 0; i < 100; ++i) hundred += std::to_string(100 - i) + ",1\n";
    for (int i = 0; i < 250; ++i) more += std::to_string((i * 37) % 61 + 1) + "," + std::to_string(i % 3 == 0 ? 0 : 1) + "\n";
    analyze("analyze t*c(0);", hundred, [&](vyxstate* s, int) {
        EXPECT_EQ(s->groups.rootgrp.ufile, nullptr);
        EXPECT_EQ(s->inwork.spilled, 0);
        EXPECT_EQ(s->groups.rootgrp.nrows, 100);
    });

    std::vector<std::vector<double>> sorted[2];
    std::vector<std::vector<double>> curve[2];
    for (int inmemory = 0; inmemory < 2; ++inmemory) {
        lt::onanalyze = [&, inmemory](vyxstate* s) {
            if (int rc = vyxaprm(s)) return rc;
            if (inmemory) s->optsw.rowlay[0] = 1000;   // one buffer holds the whole group
            if (int rc = vyxin(s)) return rc;
            EXPECT_EQ(s->groups.rootgrp.ufile != nullptr, !inmemory);
            if (!inmemory) {
                EXPECT_EQ(s->groups.rootgrp.nblocks, 3);   // two full blocks and the last one
            }
            if (int rc = vyxclst(s)) return rc;
            if (int rc = vyxordr(s)) return rc;
            s->pools.workpool = xmpoolc(8192, 8192, 4);
            EXPECT_EQ(vyxscl(s), 0);
            sorted[inmemory] = lt::rows(s, &s->groups.rootgrp);
            const grpnode& g = s->groups.rootgrp;
            EXPECT_EQ(g.crvinmem, 1);
            for (int i = 0; i < g.ncurve; ++i) curve[inmemory].emplace_back(g.crvbuf + 24 * i, g.crvbuf + 24 * i + 24);
            // The sorted file replaced the group's file, and it goes with the statement: also
            // for a plot of the MODEL's regression (FITTYPE=REGRESSION), whose group files are
            // its own (the MODEL's rows are in the state's utility file), so that no file
            // outlives the node that holds it.
            const uint32_t method = s->work.fitmethod;
            s->work.fitmethod = inmemory ? method : 9;
            CleanUpDisk(s);
            EXPECT_EQ(s->groups.rootgrp.ufile, nullptr);
            s->work.fitmethod = method;
            xmpoold(s->pools.workpool);
            s->pools.workpool = nullptr;
            return 0;
        };
        lt::run("proc vitalyx data=d;\n analyze t*c(0);\nrun;\n", {{"d", more}});
    }
    ASSERT_EQ(sorted[0].size(), 250u);
    EXPECT_EQ(sorted[0], sorted[1]);   // rows with equal keys are equal rows here
    ASSERT_FALSE(curve[0].empty());
    EXPECT_EQ(curve[0], curve[1]);
    for (size_t i = 1; i < sorted[0].size(); ++i) {
        const auto& a = sorted[0][i - 1];
        const auto& b = sorted[0][i];
        ASSERT_TRUE(a[0] < b[0] || (a[0] == b[0] && a[1] >= b[1])) << i;   // failures first
    }
}

// Class groups: levels found in the data, a missing class value skipped unless MISSING1,
// the ordering keys of FREQ (minus the weight) and DATA (the used count at first sight).
TEST_F(Input, ClassGroupsAndTheirOrderingKeys) {
    const std::string data = "t,g,w\n1,b,2\n2,a,1\n3,,5\n4,b,3\n5,c,1\n";
    analyze("freq w;\n analyze t = g / order1=freq;", data, [&](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(s->groups.rootgrp.nsub, 3);
        EXPECT_EQ(s->inwork.nobscnt[0], 1);
        ASSERT_EQ(vyxclst(s), 0);
        auto gs = lt::groups(s);
        ASSERT_EQ(gs.size(), 3u);
        EXPECT_EQ(lt::key(gs[0]), "b");   // weight 5 first
        EXPECT_EQ(gs[0]->nobs, 2);
        EXPECT_EQ(gs[0]->totw, 5);
        EXPECT_EQ(lt::rows(s, gs[0]).size(), 2u);
    });
    analyze("analyze t = g / order1=data missing1;", data, [&](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(s->groups.rootgrp.nsub, 4);   // the blank value is a level
        ASSERT_EQ(vyxclst(s), 0);
        std::vector<std::string> keys;
        for (grpnode* g : lt::groups(s)) keys.push_back(lt::key(g));
        EXPECT_EQ(keys, (std::vector<std::string>{"b", "a", "", "c"}));
    });
    // Two class variables: second-level nodes hold the rows.
    analyze("analyze t = g w;", data, [&](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        ASSERT_EQ(vyxclst(s), 0);
        ASSERT_EQ(vyxordr(s), 0);
        int rows = 0;
        for (grpnode* g : lt::groups(s))
            for (grpnode* h = g->subtree.head; h; h = h->next) rows += static_cast<int>(lt::rows(s, h).size());
        EXPECT_EQ(rows, 4);
    });
}

// Counts of the binomial analysis: an invalid pair (more events than trials, or no trials)
// is zeroed in the rows as well as in the BY group's sums.
TEST_F(Input, InvalidCountPairsAreZeroedInTheRowsAndTheSums) {
    analyze("distribution binomial;\n analyze e(n) = g;", "e,n,g\n2,10,a\n12,10,a\n1,0,b\n3,5,b\n",
            [&](vyxstate* s, int rc) {
                ASSERT_EQ(rc, 0);
                EXPECT_EQ(s->life.wsums[0], 5);
                EXPECT_EQ(s->life.wsums[1], 15);
                ASSERT_EQ(vyxclst(s), 0);
                double x = 0, n = 0;
                for (grpnode* g : lt::groups(s))
                    for (auto& r : lt::rows(s, g)) x += r[OBS_EVENTS], n += r[OBS_TRIALS];
                EXPECT_EQ(x, s->life.wsums[0]);
                EXPECT_EQ(n, s->life.wsums[1]);
            });
}

// A BY group without a usable observation gives 510/17 and no tables; an NENTER value
// below 2^-53 stops the statement with 510/23.
TEST_F(Input, NothingUsedAndBadNenterStopTheStatement) {
    auto r = analyze("by b;\n distribution weibull;\n analyze t;", "b,t\n1,0\n1,.\n2,5\n", [&](vyxstate*, int) {});
    EXPECT_TRUE(lt::hasmsg(r.log, 17, 'E'));
    // Only the second BY group prints its tables.
    const size_t info = r.listing.find("Model Information");
    ASSERT_NE(info, std::string::npos) << r.listing;
    EXPECT_EQ(r.listing.find("Model Information", info + 1), std::string::npos) << r.listing;
    EXPECT_NE(r.listing.find("Observations Used  1"), std::string::npos) << r.listing;

    int rc = -1;
    r = analyze("freq f;\n nenter n;\n analyze t / readout;", "t,f,n\n10,1,0\n", [&](vyxstate*, int res) { rc = res; });
    EXPECT_EQ(rc, 1);
    EXPECT_TRUE(lt::hasmsg(r.log, 23, 'E'));
}

}  // namespace
