// Life and stress axes, the ranges of the plotted points and the probability axis.
#include <cfloat>
#include <cmath>
#include <string>

#include "fixture.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/clsorder.h"
#include "proc/lifedist/lifedist_internal.h"

namespace {

class Scales : public ::testing::Test {
protected:
    void TearDown() override {
        lt::onanalyze = nullptr;
        lt::onplot = nullptr;
        lt::onrelation = nullptr;
    }
    // The road of a statement up to its scales: input, levels and vyxscl (after the options).
    static int road(vyxstate* s) {
        if (int rc = vyxin(s)) return rc;
        if (int rc = vyxclst(s)) return rc;
        if (int rc = vyxordr(s)) return rc;
        s->pools.workpool = xmpoolc(8192, 8192, 4);
        const int rc = vyxscl(s);
        xmpoold(s->pools.workpool);
        s->pools.workpool = nullptr;
        return rc;
    }
    // PROBPLOT on data, look after its scales.
    lt::Run plot(const std::string& stmts, const std::string& csv, std::function<void(vyxstate*, int)> look) {
        lt::onplot = [look](vyxstate* s) {
            const int rc = road(s);
            look(s, rc);
            return rc;
        };
        return lt::run("proc vitalyx data=d;\n" + stmts + "\nrun;\n", {{"d", csv}});
    }
    static std::vector<double> ticks(vyxstate* s) {
        return std::vector<double>(s->plot.lifetickv, s->plot.lifetickv + s->plot.tickinfo[TI_NLIFETICKS]);
    }
};

// Decades on a log axis: data on powers of ten get one more decade at each end; a given
// LIFELOWER starts the axis exactly. A linear axis with both ends given has NTICK (4)
// intervals; NTICK makes the step (max - min) / NTICK even where a nicer one exists.
TEST_F(Scales, LifeAxisDecadesAndIntervals) {
    plot("distribution weibull;\n probplot t;", "t\n5\n", [](vyxstate* s, int) {
        ASSERT_EQ(lifescl(s, std::log(1.0), std::log(1000.0)), 0);
        EXPECT_EQ(ticks(s), (std::vector<double>{-1, 0, 1, 2, 3, 4}));
        EXPECT_EQ(s->plot.lifelin, 0);
        s->work.llowgiven = 1;
        s->work.axlim[AX_LIFELOWER] = 1;
        ASSERT_EQ(lifescl(s, std::log(1.0), std::log(1000.0)), 0);
        EXPECT_EQ(ticks(s).front(), 0.0);   // log10 of LIFELOWER=1
        EXPECT_EQ(s->plot.lifescale[0], 0.0);
        // An upper end the log axis cannot show is dropped with 510/906, not turned into -inf.
        s->work.llowgiven = 0;
        s->work.lupgiven = 1;
        s->work.axlim[AX_LIFEUPPER] = -5;
        ASSERT_EQ(lifescl(s, std::log(1.0), std::log(1000.0)), 0);
        EXPECT_EQ(s->work.lupgiven, 0);
        EXPECT_EQ(ticks(s).back(), 4);
    });
    plot("probplot t / lifelower=0 lifeupper=100;", "t\n5\n", [](vyxstate* s, int) {
        ASSERT_EQ(lifescl(s, 10, 30), 0);
        EXPECT_EQ(ticks(s), (std::vector<double>{0, 25, 50, 75, 100}));
        EXPECT_EQ(s->work.axopt[AO_NTICK], 4);
    });
    plot("probplot t / ntick=3;", "t\n5\n", [](vyxstate* s, int) {
        ASSERT_EQ(lifescl(s, 0, 97), 0);
        const auto t = ticks(s);
        ASSERT_EQ(t.size(), 4u);
        EXPECT_DOUBLE_EQ(s->plot.lifescale[2], (t.back() - t.front()) / 3);
    });
    auto r = plot("probplot t / lifelower=50;", "t\n5\n", [](vyxstate* s, int) {
        ASSERT_EQ(lifescl(s, 10, 30), 0);
        EXPECT_EQ(s->work.llowgiven, 0);   // not below the data's upper end
    });
    EXPECT_TRUE(lt::hasmsg(r.log, 905, 'W'));
}

// Ranges of the points: ANALYZE stops after the data range; without plotted probabilities
// the axis runs from the ticks at 2 % to 95 %; NOCENPLOT spans the plotted points only; the
// frame holds log10 values while ptrange holds times; ROTATE swaps the axes.
TEST_F(Scales, RangesOfThePointsAndTheProbabilityAxis) {
    const std::string life = "t,c\n10,0\n20,0\n40,1\n100,1\n";
    lt::onanalyze = [](vyxstate* s) {
        if (int rc = vyxaprm(s)) return rc;
        EXPECT_EQ(road(s), 0);
        EXPECT_NE(s->life.datarng[1], 0.0);
        EXPECT_EQ(s->life.ptrange[1], 0.0);
        EXPECT_EQ(s->plot.frame->hticks, nullptr);
        EXPECT_EQ(s->plot.lifetickv, nullptr);
        return 0;
    };
    lt::run("proc vitalyx data=d;\n distribution weibull;\n analyze t*c(1);\nrun;\n", {{"d", life}});

    plot("probplot t*c(1);", "t,c\n10,1\n20,1\n", [](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(s->popt.panels.pctlist[s->plot.frame->pfirst], 2);    // searched at 2.0001 %
        EXPECT_EQ(s->popt.panels.pctlist[s->plot.frame->plast], 95);    // and at 94.9999 %
        EXPECT_EQ(s->plot.frame->nvtickv, s->plot.frame->plast - s->plot.frame->pfirst + 1);
    });

    double withcens = 0, nocens = 0;
    plot("distribution weibull;\n probplot t*c(1);", life, [&](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        withcens = s->life.ptrange[1];
        EXPECT_NEAR(s->plot.frame->hdata[1], std::log10(100.0), 1e-12);   // log10 units in the frame
        EXPECT_EQ(s->plot.axlog[AXLOG_H], 1);     // the life axis is horizontal
        EXPECT_NE(s->plot.frame->vticks, nullptr);   // and the probability axis vertical
    });
    plot("distribution weibull;\n probplot t*c(1) / nocenplot rotate;", life, [&](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        nocens = s->life.ptrange[1];
        EXPECT_EQ(s->plot.axlog[AXLOG_V], 1);     // ROTATE: the life axis is vertical
        EXPECT_NE(s->plot.frame->hticks, nullptr);   // and the probability axis horizontal
    });
    EXPECT_DOUBLE_EQ(withcens, 100);
    EXPECT_DOUBLE_EQ(nocens, 20);

    // A PCTLOWER above the upper tick found from the points leaves one tick, not a negative count.
    plot("probplot t*c(1) / pctlower=90;", "t,c\n10,0\n20,1\n30,1\n40,1\n50,1\n60,1\n", [](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        EXPECT_GE(s->plot.frame->plast, s->plot.frame->pfirst);
        EXPECT_GE(s->plot.frame->nvtickv, 1);
    });
}

// The stress axis of RELATIONPLOT: POW refuses a stress value that is not positive before
// any scale is made; SREF values are transformed on the linear relations only.
TEST_F(Scales, StressAxis) {
    auto relation = [&](const std::string& stmt, const std::string& csv, std::function<void(vyxstate*, int)> look) {
        lt::onrelation = [look](vyxstate* s) {
            int rc = vyxpprm(s);
            if (rc == 0) rc = road(s);
            look(s, rc);
            return rc;
        };
        return lt::run("proc vitalyx data=d;\n" + stmt + "\nrun;\n", {{"d", csv}});
    };
    const std::string stress = "t,x\n10,0\n20,50\n30,100\n";
    auto r = relation("rplot t = x / relation=pow;", stress, [](vyxstate* s, int rc) {
        EXPECT_EQ(rc, 1);
        EXPECT_EQ(s->plot.frame->rticks, nullptr);
    });
    EXPECT_TRUE(lt::hasmsg(r.log, 901, 'E'));   // the level 0 is outside the domain of POW
    r = relation("rplot t = x / relation=pow stresslower=0;", "t,x\n10,1\n20,50\n", [](vyxstate*, int rc) { EXPECT_EQ(rc, 1); });
    EXPECT_TRUE(lt::hasmsg(r.log, 178, 'E'));
    relation("rplot t = x / relation=arr sref=10;", stress, [](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        EXPECT_DOUBLE_EQ(s->work.refs.vals[REF_SREF][0], 1000 / 283.15);
        const plotlay* f = s->plot.frame;
        ASSERT_GT(f->nrtickv, 1);
        EXPECT_DOUBLE_EQ(f->rticks[0], 1000 / (f->rticks[f->nrtickv] + 273.15));   // position of the first label
        EXPECT_EQ(s->work.axlim[AX_STRESSLOWER], f->rticks[f->nrtickv]);
    });
    relation("rplot t = x / relation=pow sref=10;", "t,x\n10,1\n20,50\n30,100\n", [](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(s->work.refs.vals[REF_SREF][0], 10);
        EXPECT_EQ(s->plot.frame->nsint, 2);   // decades 1 to 100
    });
}

// PLOTDATA=BOXES and MEDIANS ask for the per-level arrays: the analysis fills each stress
// level's box values (quartiles of 10 20 30 40: 15, 25, 35; of 1 to 5: 2, 3, 4), and
// nothing is asked for without them.
TEST_F(Scales, BoxesAndMediansFillThePerLevelArrays) {
    auto relation = [&](const std::string& stmt, std::function<void(vyxstate*, int)> look) {
        lt::onrelation = [look](vyxstate* s) {
            int rc = vyxpprm(s);
            if (rc == 0) rc = PPComp(s);
            look(s, rc);
            return rc;
        };
        return lt::run("proc vitalyx data=d;\n distribution normal;\n" + stmt + "\nrun;\n",
                       {{"d", "t,x\n10,1\n20,1\n30,1\n40,1\n1,2\n2,2\n3,2\n4,2\n5,2\n"}});
    };
    for (const char* data : {"boxes", "medians"}) {
        relation(std::string("rplot t = x / plotdata=") + data + ";", [&](vyxstate* s, int rc) {
            ASSERT_EQ(rc, 0);
            EXPECT_EQ(s->life.ppcflag1, data[0] == 'b');
            EXPECT_EQ(s->life.ppcflag2, data[0] == 'm');
            ASSERT_NE(s->life.ppcarr[0], nullptr);
            const double want[2][6] = {{40, 35, 25, 15, 10, 4}, {5, 4, 3, 2, 1, 5}};
            for (int j = 0; j < 2; ++j)
                for (int k = 0; k < 6; ++k) EXPECT_DOUBLE_EQ(s->life.ppcarr[k][j], want[j][k]) << data << " level " << j << " value " << k;
        });
    }
    relation("rplot t = x / plotdata=data;", [](vyxstate* s, int rc) {
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(s->life.ppcflag1 + s->life.ppcflag2, 0);
    });
}

}  // namespace
