// The option readers of ANALYZE, PROBPLOT and RELATIONPLOT: what each statement leaves in
// the state block, and every refusal that bad input can reach, by its message number.
#include <cmath>
#include <string>

#include "fixture.h"
#include "proc/devgraph/devgraph.h"
#include "proc/lifedist/lifedist_internal.h"

namespace {

const std::string kLife = "t,c,g,x,n,f\n10,1,a,1,5,1\n20,0,b,2,5,1\n30,1,a,3,4,1\n";

class Options : public ::testing::Test {
protected:
    void TearDown() override {
        lt::onanalyze = nullptr;
        lt::onplot = nullptr;
        lt::onrelation = nullptr;
    }
    // The result of the ANALYZE reader and a look at the state it leaves.
    lt::Run analyze(const std::string& stmts, std::function<void(vyxstate*, int)> look = nullptr) {
        lt::onanalyze = [look](vyxstate* s) {
            const int rc = vyxaprm(s);
            if (look) look(s, rc);
            return rc;
        };
        return lt::run("proc vitalyx data=d;\n" + stmts + "\nrun;\n", {{"d", kLife}});
    }
    // PROBPLOT: look runs only when the reader accepted the statement.
    lt::Run probplot(const std::string& stmts, std::function<void(vyxstate*)> look, int* ran = nullptr) {
        lt::onplot = [look, ran](vyxstate* s) {
            if (ran) ++*ran;
            if (look) look(s);
            return 0;
        };
        return lt::run("proc vitalyx data=d;\n" + stmts + "\nrun;\n", {{"d", kLife}});
    }
    lt::Run relation(const std::string& stmts, std::function<void(vyxstate*, int)> look) {
        lt::onrelation = [look](vyxstate* s) {
            const int rc = vyxpprm(s);
            look(s, rc);
            return rc;
        };
        return lt::run("proc vitalyx data=d;\n" + stmts + "\nrun;\n", {{"d", kLife}});
    }
};

TEST_F(Options, ConfidenceMustLieStrictlyBetweenZeroAndOne) {
    for (const char* conf : {"0", "1"}) {
        int rc = -1;
        auto r = analyze(std::string("analyze t / confidence=") + conf + ";", [&](vyxstate*, int res) { rc = res; });
        EXPECT_EQ(rc, RC_SPEC) << conf;
        EXPECT_TRUE(lt::hasmsg(r.log, 904, 'E')) << r.log.all();
    }
    analyze("analyze t / confidence=0.5;", [](vyxstate* s, int rc) {
        EXPECT_EQ(rc, 0);
        EXPECT_DOUBLE_EQ(s->opts.alpha, 0.5);
    });
}

// FIT=WEIBAYES(CONF=) takes 0 to 1 in the grammar, but a confidence of 0 or 1 gives no
// bound: ANALYZE kept CONF=1 as a confidence of 0 (and logged 0%). Both statements refuse the
// two ends by name; a confidence a hair below 1 stays near 1 (-ln(1 - CONF), not 1 - CONF).
TEST_F(Options, WeibayesConfidenceMustLieStrictlyBetweenZeroAndOne) {
    for (const char* conf : {"0", "1"}) {
        int rc = -1;
        auto r = analyze(std::string("analyze t / shape=2 fit=weibayes(conf=") + conf + ");", [&](vyxstate*, int res) { rc = res; });
        EXPECT_EQ(rc, RC_SPEC) << conf;
        EXPECT_TRUE(lt::hasmsg(r.log, 2062, 'E')) << r.log.all();
        int ran = 0;
        r = probplot(std::string("probplot t / shape=2 fit=weibayes(conf=") + conf + ");", nullptr, &ran);
        EXPECT_TRUE(lt::hasmsg(r.log, 2062, 'E')) << r.log.all();
    }
    analyze("analyze t / shape=2 fit=weibayes(conf=0.9999999999999999);", [](vyxstate* s, int rc) {
        EXPECT_EQ(rc, 0);
        EXPECT_GT(s->life.wbconf, 36.0);   // -ln(2^-53)
        EXPECT_GT(weibayesconf(s), 0.999);
    });
}

// Parameters held at their given values leave nothing to fit (method 4): location and scale
// for most distributions, scale and shape for WEIBULL, the scale for EXPONENTIAL; the
// Weibull values are turned into the location and scale of the log response.
TEST_F(Options, GivenParametersAndTheFitMethod) {
    int ran = 0;
    probplot("probplot t / location=1 scale=2;", [](vyxstate* s) {
        EXPECT_EQ(s->work.fitmethod, 4u);
        EXPECT_EQ(s->work.noconf, 1);
    }, &ran);
    probplot("distribution weibull;\n probplot t / scale=100 location=1;", [](vyxstate* s) {
        EXPECT_EQ(s->work.fitmethod, 1u);              // WEIBULL needs the shape held too
        EXPECT_EQ(s->work.tblflags[TF_LAGRANGE], 1);   // a held parameter with MLE
        EXPECT_DOUBLE_EQ(s->life.givenparms[GP_LOC], std::log(100.0));
        EXPECT_EQ(s->life.parmfree[GP_LOC], 'C');
        EXPECT_EQ(s->life.parmfree[GP_SCALE], '1');
    }, &ran);
    auto r = probplot("distribution weibull;\n probplot t / scale=100 shape=2 location=7;", [](vyxstate* s) {
        EXPECT_EQ(s->work.fitmethod, 4u);
        EXPECT_DOUBLE_EQ(s->life.givenparms[GP_SCALE], 0.5);   // 1 / SHAPE
    }, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 158, 'W'));   // LOCATION= dropped for WEIBULL
    probplot("distribution weibull;\n probplot t / scale=100 scinit shape=2;", [](vyxstate* s) {
        EXPECT_EQ(s->work.fitmethod, 1u);   // SCINIT: the scale is only a starting value
    }, &ran);
    probplot("distribution exponential;\n probplot t / scale=5;", [](vyxstate* s) { EXPECT_EQ(s->work.fitmethod, 4u); }, &ran);
    EXPECT_EQ(ran, 5);
}

// FITTYPE=WEIBAYES fits a Weibull distribution for its own statement only: the next
// statement is analysed with the distribution of the DISTRIBUTION statement again.
TEST_F(Options, WeibayesSwitchesToWeibullForItsOwnStatementOnly) {
    std::vector<uint32_t> codes;
    std::vector<double> conf;
    lt::onanalyze = [&](vyxstate* s) {
        const int rc = vyxaprm(s);
        codes.push_back(s->opts.distcode);
        conf.push_back(s->life.wbconf);
        return rc;
    };
    auto r = lt::run("proc vitalyx data=d;\n distribution lognormal;\n analyze t / shape=2 fittype=weibayes(conf=0.95);\n"
                     " analyze t;\n analyze t / shape=2 fittype=weibayes;\nrun;\n",
                     {{"d", kLife}});
    EXPECT_EQ(codes, (std::vector<uint32_t>{2, 1, 2})) << r.log.all();
    ASSERT_EQ(conf.size(), 3u);
    EXPECT_DOUBLE_EQ(conf[0], -std::log(0.05));
    EXPECT_DOUBLE_EQ(conf[2], 1.0);
    r = analyze("distribution lognormal;\n analyze t / fittype=weibayes;", [](vyxstate*, int rc) { EXPECT_EQ(rc, 1); });
    EXPECT_TRUE(lt::hasmsg(r.log, 503, 'E'));
}

TEST_F(Options, ThresholdWarnsOnLinearDistributionsAndIsKeptOnLogOnes) {
    auto r = analyze("analyze t / threshold=3;", [](vyxstate* s, int rc) {
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(s->work.thrflags[TH_GIVEN], 0);
    });
    EXPECT_TRUE(lt::hasmsg(r.log, 166, 'W'));
    analyze("distribution lognormal;\n analyze t / threshold=3;", [](vyxstate* s, int) {
        EXPECT_EQ(s->work.thrflags[TH_GIVEN], 1);
        EXPECT_EQ(s->opts.fixedparms[FP_THRESHOLD], 3);
        EXPECT_EQ(s->opts.logscale[0], 1);
    });
}

// The statement kind from its keyword; NOPPOS alone stops drawing censored values one by one.
TEST_F(Options, KindsAndDrawingBytes) {
    probplot("pplot t / noppos;", [](vyxstate* s) {
        EXPECT_EQ(s->input.stmtkind, 1u);
        EXPECT_EQ(s->work.nocenplot, 0);
        EXPECT_EQ(s->popt.pflags.legend, 0);   // kept only with OVERLAY
    });
    relation("rplot t = x;", [](vyxstate* s, int rc) {
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(s->input.stmtkind, 4u);
        EXPECT_EQ(s->opts.stress_fn, &vyxslin);   // RELATION= not given: LINEAR
        EXPECT_EQ(std::string(s->opts.labels[LB_RELATION], 6), "Linear");
        EXPECT_EQ(s->popt.pflags.rotate, 1);
    });
    relation("relationplot t = x / plotfit plotdata=none;", [](vyxstate* s, int) {
        EXPECT_EQ(s->work.pageflags.fitlines, 1);
        EXPECT_EQ(s->work.pageflags.data, 0);
        EXPECT_EQ(s->work.pageflags.boxes, 0);
        ASSERT_EQ(s->opts.pctcount, 1u);
        EXPECT_EQ(s->opts.pctvals[0], 50.0);
    });
}

// The probability tick list: end values around a given list, PCTLOWER and PCTUPPER.
TEST_F(Options, ProbabilityTickList) {
    auto ticks = [](vyxstate* s) {
        return std::vector<double>(s->popt.panels.pctlist, s->popt.panels.pctlist + s->popt.panels.npct);
    };
    probplot("probplot t / pctlist=1 5 pctlower=0.5;", [&](vyxstate* s) {
        EXPECT_EQ(ticks(s), (std::vector<double>{0.5, 1, 5, 100}));
        EXPECT_EQ(s->plot.frame->pfirst, 0);
    });
    probplot("probplot t / pctlist=1 5 pctlower=2;", [&](vyxstate* s) {
        EXPECT_EQ(ticks(s), (std::vector<double>{0, 2, 5, 100}));
        EXPECT_EQ(s->plot.frame->pfirst, 1);
    });
    probplot("probplot t;", [&](vyxstate* s) {
        EXPECT_EQ(s->popt.panels.npct, 30);
        EXPECT_EQ(s->popt.panels.pctlist[s->plot.frame->pfirst], 0.1);
        EXPECT_EQ(s->popt.panels.pctlist[s->plot.frame->plast], 95);
        EXPECT_EQ(s->popt.panels.pctlist[s->plot.frame->plast2], 99.9);
    });
    int ran = 0;
    auto r = probplot("probplot t / pctlist=1 1 5;", nullptr, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 160, 'E'));
    EXPECT_EQ(ran, 0);   // the statement is skipped
    r = probplot("probplot t / pctlist=5;", nullptr, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 173, 'E'));
    r = probplot("probplot t / pctupper=100;", [](vyxstate* s) { EXPECT_EQ(s->popt.pflags.pupgiven, 0); }, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 900, 'W'));
    r = probplot("probplot t / pctupper=50 pctlower=50;", [](vyxstate* s) {
        EXPECT_EQ(s->popt.pflags.pupgiven, 0);
        EXPECT_EQ(s->popt.pflags.plowgiven, 0);
    }, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 72, 'W'));
    EXPECT_EQ(ran, 2);
    // ANALYZE takes PCTLIST as given: 100 is no percentile.
    r = analyze("analyze t / pctlist=50 100;", [](vyxstate*, int rc) { EXPECT_EQ(rc, 1); });
    EXPECT_TRUE(lt::hasmsg(r.log, 160, 'E'));
}

// The life axis: LAXIS is for linear axes only, and a list that does not rise is refused
// like LIFEUPPER not above LIFELOWER.
TEST_F(Options, LifeAxisOptions) {
    auto r = probplot("distribution weibull;\n probplot t / laxis=0 10 20;", [](vyxstate* s) {
        EXPECT_EQ(s->work.llowgiven, 0);
        EXPECT_EQ(s->work.lupgiven, 0);
    });
    EXPECT_TRUE(lt::hasmsg(r.log, 670, 'W'));
    probplot("probplot t / laxis=0 10 20;", [](vyxstate* s) {
        EXPECT_EQ(s->work.axlim[AX_LIFEUPPER], 20);
        EXPECT_EQ(s->work.axopt[AO_NTICK], 2);
        EXPECT_EQ(s->work.ntickset, 1);
    });
    r = probplot("probplot t / laxis=20 10 0;", [](vyxstate* s) { EXPECT_EQ(s->work.llowgiven, 0); });
    EXPECT_TRUE(lt::hasmsg(r.log, 73, 'W'));
    r = probplot("probplot t / lifelower=5 lifeupper=5;", [](vyxstate* s) { EXPECT_EQ(s->work.lupgiven, 0); });
    EXPECT_TRUE(lt::hasmsg(r.log, 73, 'W'));
    int ran = 0;
    r = probplot("distribution weibull;\n probplot t / lifelower=0;", nullptr, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 170, 'E'));
    EXPECT_EQ(ran, 0);
}

// Panels of PROBPLOT by the number of class variables.
TEST_F(Options, PanelLayout) {
    auto r = probplot("probplot t = g / nrows=2 ncols=2;", [](vyxstate* s) {
        EXPECT_EQ(s->popt.panels.nrows, 2);
        EXPECT_EQ(s->popt.panels.ncols, 1);
        EXPECT_EQ(s->popt.pflags.layoutv, 1);
    });
    for (int n : {31, 32, 33}) EXPECT_TRUE(lt::hasmsg(r.log, n)) << n;
    probplot("probplot t = g x;", [](vyxstate* s) {
        EXPECT_EQ(s->popt.panels.nrows, 2);
        EXPECT_EQ(s->popt.panels.ncols, 2);
    });
    int ran = 0;
    r = probplot("probplot t = g / nrows=0;", nullptr, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 25, 'E'));
    r = probplot("probplot t = g / ncols=1.5;", nullptr, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 28, 'E'));
    EXPECT_EQ(ran, 0);
}

// Refusals of the response and class settings; each skips the statement.
TEST_F(Options, ResponseRefusals) {
    int ran = 0;
    auto r = probplot("freq f;\n probplot t / readout;", nullptr, &ran);   // no NENTER variable
    EXPECT_TRUE(lt::hasmsg(r.log, 85, 'E'));
    r = probplot("fmode keep g = ('a');\n probplot (t x);", nullptr, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 71, 'E'));
    r = probplot("fmode combine g = ('a');\n probplot t*c(0) = x;", nullptr, &ran);
    EXPECT_TRUE(lt::hasmsg(r.log, 918, 'E'));
    // events(trials): one ERROR that says what PROBPLOT takes, whatever the distribution (not
    // "needs POISSON or BINOMIAL" and then "POISSON and BINOMIAL are available on ANALYZE only").
    for (const char* d : {"", "distribution weibull;\n", "distribution binomial;\n", "distribution poisson;\n"}) {
        r = probplot(std::string(d) + " probplot t(n);", nullptr, &ran);
        EXPECT_EQ(testsupport::countmsg(r.log, 510, 2411), 1) << d;
        EXPECT_FALSE(lt::hasmsg(r.log, 150, 'E') || lt::hasmsg(r.log, 526, 'E')) << d;
    }
    EXPECT_EQ(ran, 0);

    relation("rplot t = g;", [](vyxstate*, int rc) { EXPECT_EQ(rc, 1); });
    r = relation("rplot t = g;", [](vyxstate*, int) {});
    EXPECT_TRUE(lt::hasmsg(r.log, 68, 'E'));
}

// A PLOTFIT percentile out of range ends the step.
TEST_F(Options, PlotfitOutOfRangeEndsTheStep) {
    int after = 0;
    lt::onrelation = [](vyxstate* s) { return vyxpprm(s); };
    lt::onanalyze = [&](vyxstate*) { return ++after, 0; };
    auto r = lt::run("proc vitalyx data=d;\n rplot t = x / plotfit=50 100;\n analyze t;\nrun;\n", {{"d", kLife}});
    EXPECT_TRUE(lt::hasmsg(r.log, 172, 'E'));
    EXPECT_EQ(after, 0);   // the ANALYZE statement after it does not run
    EXPECT_NE(r.status, 0);
}

// MAXIT and MAXITEM as given, a fraction cut off.
TEST_F(Options, IterationLimitsAreTakenAsGiven) {
    auto r = analyze("analyze t / maxit=20000.7 maxitem=2000000 7;", [](vyxstate* s, int rc) {
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(s->life.fit.maxiter, 20000);
        EXPECT_EQ(s->life.emmaxit[EM_MAXIT], 2000000);
        EXPECT_EQ(s->life.emmaxit[EM_HISTSTEP], 7);
    });
    EXPECT_EQ(r.log.count('W'), 0) << r.log.all();
    probplot("probplot t / maxit=20000;", [](vyxstate* s) { EXPECT_EQ(s->life.fit.maxiter, 20000); });
}

// ANALYZE of counts: POISSON or BINOMIAL without a response reads COUNT=. POISSON takes the
// exposure from EXPOSURE= (a note says so); a second COUNT= value is read but not used (a warning).
TEST_F(Options, CountsOfTheBinomialAndPoissonAnalysis) {
    auto r = analyze("distribution poisson;\n analyze / count=3 10;", [](vyxstate* s, int rc) {
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(s->popt.pflags.pbonly, 1);
        EXPECT_EQ(s->groups.nclass, 0);
        EXPECT_EQ(s->life.pbcount, 3);
        EXPECT_EQ(s->life.pbtrials, 10);
        EXPECT_EQ(s->life.pbexposure, 1);
    });
    EXPECT_TRUE(lt::hasmsg(r.log, 2020, 'W')) << r.log.all();
    EXPECT_TRUE(r.log.has('W', "COUNT= gives a second value (10), which the Poisson analysis does not use")) << r.log.all();
    EXPECT_FALSE(lt::hasmsg(r.log, 91)) << r.log.all();
    r = analyze("distribution poisson;\n analyze / count=7 exposure=125000;", [](vyxstate* s, int rc) {
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(s->life.pbexposure, 125000);
    });
    EXPECT_TRUE(lt::hasmsg(r.log, 91, 'N')) << r.log.all();
    EXPECT_EQ(r.log.count('W'), 0) << r.log.all();
    r = analyze("distribution poisson;\n analyze;", [](vyxstate*, int rc) { EXPECT_EQ(rc, 1); });
    EXPECT_TRUE(lt::hasmsg(r.log, 92, 'E'));
    r = analyze("distribution binomial;\n analyze / count=3;", [](vyxstate*, int rc) { EXPECT_EQ(rc, 1); });
    EXPECT_TRUE(lt::hasmsg(r.log, 93, 'E'));
    analyze("distribution binomial;\n analyze c(n);", [](vyxstate* s, int rc) {
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(s->work.fitmethod, 5u);
        EXPECT_EQ(s->inwork.rspkind, FORM_COUNTS);
    });
    r = analyze("distribution binomial;\n analyze t;", [](vyxstate*, int rc) { EXPECT_EQ(rc, RC_SPEC); });
    EXPECT_TRUE(lt::hasmsg(r.log, 176, 'E'));
    r = analyze("distribution poisson;\n freq f;\n nenter n;\n analyze t / readout;", [](vyxstate*, int rc) { EXPECT_EQ(rc, RC_SPEC); });
    EXPECT_TRUE(lt::hasmsg(r.log, 665, 'E'));
}

}  // namespace
