// MODEL and LOGSCALE statements run whole: what the options refuse or warn of and what they
// hold fixed, what the data pass keeps, drops and counts, and the edges of the tables it makes.
#include <set>

#include "tests/support/catalogmsg.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;

namespace {

class Statement : public ProgramTest {
protected:
    // A program on alt.csv (temp, volt, lot, time, status, mode, freq) with the given lines.
    run alt(const std::string& lines) { return program("proc vitalyx data=alt;\n" + lines + "\nrun;\n"); }
    static bool haserror(const run& r, const std::string& part) { return r.result.log.has('E', part); }
    static bool haswarning(const run& r, const std::string& part) { return r.result.log.has('W', part); }
    // The rows of a table with a given first cell.
    static int rowsnamed(const table& t, const std::string& col, const std::string& first) {
        int n = 0;
        for (size_t i = 0; i < t.rows.size(); ++i) n += t.text(i, col) == first;
        return n;
    }
};

TEST_F(Statement, OptionsThatStopTheStatement) {
    // SCALE=0 is refused; POISSON and BINOMIAL have no MODEL; READOUT takes a single time;
    // one LOGSCALE statement at most; relation variables for all relations or none.
    struct bad {
        const char* lines;
        const char* message;
    };
    const bad cases[] = {
        {"distribution weibull; model time*status(0) = temp / scale=0;", "SCALE= must be a positive number"},
        {"distribution poisson; model time*status(0) = temp;", "cannot fit the POISSON"},
        {"distribution binomial; model time*status(0) = temp;", "cannot fit the BINOMIAL"},
        {"distribution weibull; model time*status(0) = temp / shape=0;", "SHAPE= must be a positive number"},
        {"freq freq; nenter freq; distribution weibull; model time*status(0) = temp / readout;", "READOUT needs a single response"},
        {"distribution weibull; model time*status(0) = temp; logscale volt; logscale temp;", "Only one LOGSCALE"},
        {"distribution weibull; model time*status(0) = temp volt / relation=(arr(temp), linear(volt));", "for some relations but not for all"},
    };
    for (const bad& b : cases) {
        SCOPED_TRACE(b.lines);
        const run r = alt(std::string("make 'Modprmest' out=est;\n") + b.lines);
        EXPECT_NE(r.result.status, 0);
        EXPECT_TRUE(haserror(r, b.message)) << r.result.log.all();
        EXPECT_FALSE(std::filesystem::exists(r.out + "/est.csv"));
    }
}

TEST_F(Statement, GivenValuesAndWhatIsHeldFixed) {
    // NOINT with INTERCEPT=3: the intercept is 3 and held (a score test), LINIT frees it.
    run r = alt("distribution weibull; make 'Modprmest' out=est; make 'modlagr' out=lagr;\n"
                "model time*status(0) = temp / noint intercept=3;");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(r.get("est").num(0, "Estimate"), 3.0);
    EXPECT_EQ(r.get("est").num(0, "Stderr"), 0.0);
    EXPECT_EQ(r.get("lagr").rows.size(), 1u);
    r = alt("distribution weibull; make 'Modprmest' out=est; model time*status(0) = temp / noint intercept=3 linit;");
    EXPECT_NE(r.get("est").num(0, "Stderr"), 0.0);
    EXPECT_FALSE(std::filesystem::exists(r.out + "/lagr.csv"));
    // Weibull: SHAPE=2 holds the scale at 0.5; SCALE= is refused for the Weibull with a warning
    // and the scale stays free.
    r = alt("distribution weibull; make 'Modprmest' out=est; model time*status(0) = temp / shape=2;");
    table est = r.get("est");
    EXPECT_EQ(est.num(2, "Estimate"), 0.5);
    EXPECT_EQ(est.num(2, "Stderr"), 0.0);
    EXPECT_EQ(est.num(3, "Estimate"), 2.0);
    r = alt("distribution weibull; make 'Modprmest' out=est; model time*status(0) = temp / scale=2;");
    EXPECT_TRUE(haswarning(r, "SCALE= is ignored for the Weibull")) << r.result.log.all();
    EXPECT_NE(r.get("est").num(2, "Stderr"), 0.0);
    // SHAPE= means nothing to the lognormal; THRESHOLD= nothing to the normal.
    r = alt("distribution lognormal; model time*status(0) = temp / shape=2;");
    EXPECT_TRUE(haswarning(r, "the Lognormal distribution has no shape")) << r.result.log.all();
    r = alt("distribution normal; model time*status(0) = temp / threshold=5;");
    EXPECT_TRUE(haswarning(r, "THRESHOLD= is ignored")) << r.result.log.all();
    // GAMMA keeps a fixed shape, also with LOGSCALE, where a fixed scale is dropped.
    r = alt("distribution gamma; make 'Modprmest' out=est; make 'modlagr' out=lagr;\n"
            "model time*status(0) = temp / shape=0.5 scale=0.4; logscale volt;");
    EXPECT_FALSE(haswarning(r, "has no shape parameter"));
    EXPECT_EQ(r.result.log.count('W'), 1) << r.result.log.all();
    EXPECT_TRUE(haswarning(r, "not held fixed, because LOGSCALE")) << r.result.log.all();
    est = r.get("est");
    EXPECT_EQ(est.num(est.rows.size() - 1, "Estimate"), 0.5);
    EXPECT_EQ(rowsnamed(r.get("lagr"), "Parameter", "Shape"), 1);
}

TEST_F(Statement, RelationsAndWhatTheyDrop) {
    // RELATION=ARR on a model without a continuous variable is dropped without a word; a power
    // relation of a value not above 0 skips the observation and counts it.
    run r = alt("class lot; distribution weibull; model time*status(0) = lot / relation=arr;");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(r.result.log.count('W'), 0) << r.result.log.all();
    writecsv("stress", "volt,temp,time,status\n10,100,50,1\n0,-273.15,60,1\n20,150,20,1\n-5,125,40,0\n10,100,70,1\n"
                       "20,150,35,1\n15,125,45,1\n");
    r = program("proc vitalyx data=stress; distribution weibull; make 'Modfitsum' out=fit; make 'ModNObs' out=n;\n"
                "model time*status(0) = volt / relation=pow; run;", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    table n = r.get("n");
    EXPECT_EQ(n.num(0, "N"), 7.0);
    EXPECT_EQ(n.num(1, "N"), 5.0);
    EXPECT_EQ(rowsnamed(r.get("fit"), "Description", "Observations Skipped"), 1);
    // Arrhenius at absolute zero the same.
    r = program("proc vitalyx data=stress; distribution weibull; make 'ModNObs' out=n;\n"
                "model time*status(0) = temp / relation=arr; run;", true);
    EXPECT_EQ(r.get("n").num(1, "N"), 6.0);
}

TEST_F(Statement, WhatTheDataPassKeepsDropsAndCounts) {
    // Intervals: (4, 4) is a failure, (5, 4) is dropped without being counted as skipped, a
    // missing pair is skipped; on the log scale (0, 7) is left-censored at 7; a frequency of 0
    // drops its observation without a word.
    writecsv("iv", "lower,upper,f\n4,4,1\n5,4,1\n,,1\n0,7,1\n2,3,2\n,6,1\n8,,1\n3,9,0\n1,2,1\n6,6,1\n");
    run r = program("proc vitalyx data=iv; freq f; distribution lognormal; make 'Modfitsum' out=fit; make 'ModNObs' out=n;\n"
                    "model (lower upper); run;", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table fit = r.get("fit"), n = r.get("n");
    EXPECT_EQ(n.rows.size(), 4u);                     // FREQ: four rows
    EXPECT_EQ(n.num(0, "N"), 10.0);                   // read
    EXPECT_EQ(n.num(1, "N"), 7.0);                    // used: (5,4), the missing pair and f=0 are out
    EXPECT_EQ(n.num(3, "N"), 8.0);                    // frequencies used
    auto value = [&](const std::string& d) {
        for (size_t i = 0; i < fit.rows.size(); ++i)
            if (fit.text(i, "Description") == d) return fit.num(i, "Value");
        return std::nan("");
    };
    EXPECT_EQ(value("Failures"), 2.0);
    EXPECT_EQ(value("Left Censored Values"), 2.0);     // (0, 7) and (., 6)
    EXPECT_EQ(value("Interval Censored Values"), 3.0); // (2, 3) twice, (1, 2); (3, 9) is out
    EXPECT_EQ(value("Right Censored Values"), 1.0);
    EXPECT_EQ(value("Observations Skipped"), 1.0);
    // KEEP: a failure of a mode not listed is right-censored and counted apart.
    r = alt("fmode keep mode = ('wear'); distribution weibull; make 'Modfitsum' out=fit; model time*status(0) = temp;");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(rowsnamed(r.get("fit"), "Description", "Failures of Other Modes"), 1);
    // A CLASS variable with one level: a note, and the fit goes on; a column that repeats
    // another is dropped and the fit goes on.
    writecsv("one", "g,x,time,status\nA,1,10,1\nA,2,20,1\nA,3,15,0\nA,4,30,1\nA,5,25,1\n");
    r = program("proc vitalyx data=one; class g; distribution weibull; make 'Modprmest' out=est;\n"
                "model time*status(0) = g x; run;", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has("one level")) << r.result.log.all();
    EXPECT_EQ(r.get("est").num(1, "Stderr"), 0.0);    // the level column depends on the intercept
    // Every response censored: the fit fails or stops, never with a number that is not one.
    writecsv("cens", "x,time,status\n1,10,0\n2,20,0\n3,15,0\n4,30,0\n");
    r = program("proc vitalyx data=cens; distribution weibull; make 'Modprmest' out=est;\n"
                "model time*status(0) = x; run;", true);
    EXPECT_TRUE(r.result.log.has('W', "did not meet the convergence criterion")) << r.result.log.all();
}

TEST_F(Statement, ReadoutRowsFromInspections) {
    // Two groups of units inspected at 10, 20, 30: units on test (NENTER) and failures found
    // (FREQ). Group a: 10 on test, 2 found failed by 10 (left-censored), 3 in (10, 20], one unit
    // withdrawn at 20 (4 on test at 30), 1 in (20, 30], 3 survivors right-censored at 30.
    writecsv("ro", "g,t,f,n\na,10,2,10\na,20,3,8\na,30,1,4\nb,10,1,6\nb,20,0,5\nb,30,2,5\n");
    run r = program("proc vitalyx data=ro; freq f; nenter n; distribution weibull; make 'Modfitsum' out=fit;\n"
                    "make 'ModNObs' out=n; model t = g / readout; class g; run;", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table fit = r.get("fit");
    auto value = [&](const std::string& d) {
        for (size_t i = 0; i < fit.rows.size(); ++i)
            if (fit.text(i, "Description") == d) return fit.num(i, "Value");
        return std::nan("");
    };
    EXPECT_EQ(value("Left Censored Values"), 3.0);     // 2 in a, 1 in b
    EXPECT_EQ(value("Interval Censored Values"), 6.0); // 3 + 1 in a, 0 + 2 in b
    EXPECT_EQ(value("Right Censored Values"), 7.0);    // a: 1 withdrawn + 3; b: 3
    EXPECT_EQ(r.get("n").num(1, "N"), 6.0);            // every readout is used
    // More on test than survived: 510/181 with the observation; a missing NENTER: 510/23.
    writecsv("ro2", "t,f,n\n10,2,10\n20,3,9\n");
    r = program("proc vitalyx data=ro2; freq f; nenter n; distribution weibull; model t / readout; run;", true);
    EXPECT_TRUE(r.result.log.has('E', "at observation 2")) << r.result.log.all();
    writecsv("ro3", "t,f,n\n10,2,10\n20,3,\n");
    r = program("proc vitalyx data=ro3; freq f; nenter n; distribution weibull; model t / readout; run;", true);
    EXPECT_TRUE(r.result.log.has('E', "NENTER")) << r.result.log.all();
}

TEST_F(Statement, InformationTables) {
    // Only continuous effects: no class-level table, and the parameter information has only
    // the Parameter and Effect columns.
    run r = alt("distribution weibull; make 'ModClassLevels' out=cl; make 'ModParmInfo' out=pi; make 'ModNObs' out=n;\n"
                "model time*status(0) = temp volt / covb;");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_FALSE(std::filesystem::exists(r.out + "/cl.csv"));
    EXPECT_EQ(r.get("pi").names, (std::vector<std::string>{"Parameter", "Effect"}));
    EXPECT_EQ(r.get("n").rows.size(), 2u);   // without FREQ
    // A Weibull model with a CLASS effect of 3 levels: Prm1 the intercept, Prm2 to Prm4 the
    // levels, Prm5 the scale.
    r = alt("class lot; distribution weibull; make 'ModParmInfo' out=pi; model time*status(0) = lot / itprint;");
    const table pi = r.get("pi");
    ASSERT_EQ(pi.rows.size(), 5u);
    EXPECT_EQ(pi.text(0, "Effect"), "Intercept");
    EXPECT_EQ(pi.text(2, "lot"), "B");
    EXPECT_EQ(pi.text(4, "Parameter"), "Prm5");
    EXPECT_EQ(pi.text(4, "Effect"), "EV Scale");
}

TEST_F(Statement, ResultTables) {
    // The Weibull shows its scale and the shape 1/sigma; no fixed parameter, no score tests;
    // an FMODE variable widens the Description column.
    run r = alt("distribution weibull; make 'Modprmest' out=est; make 'modlagr' out=lagr;\n"
                "fmode keep mode = ('wear'); model time*status(0) = temp;");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table est = r.get("est");
    ASSERT_EQ(est.rows.size(), 4u);
    EXPECT_EQ(est.text(2, "Parm"), "EV Scale");
    EXPECT_EQ(est.text(3, "Parm"), "Weibull Shape");
    EXPECT_DOUBLE_EQ(est.num(3, "Estimate"), 1.0 / est.num(2, "Estimate"));
    EXPECT_FALSE(std::filesystem::exists(r.out + "/lagr.csv"));
    std::ifstream lst(r.out + "/listing.txt");
    std::string line;
    bool wide = false;
    while (std::getline(lst, line)) wide = wide || line.rfind("Failures of Other Modes                ", 0) == 0;
    EXPECT_TRUE(wide);
}

// Likelihood-ratio searches at CONFIDENCE=1 - 1e-14 that run out of MAXIT= evaluations: each
// WARNING names the parameter as the estimate tables do (a scale-model one marked "(scale)") and
// says which of its limits the table shows missing, where it said "parameter 0 (counted from
// 0)" and "the limits found so far are shown".
TEST_F(Statement, ALimitSearchOutOfEvaluationsNamesTheParameterAndTheMissingLimit) {
    writecsv("mx", "t,cen,x,g\n12,1,1,A\n25,1,1,B\n31,0,1,A\n40,1,2,B\n55,1,2,A\n60,0,2,B\n71,1,3,A\n88,1,3,B\n95,1,3,A\n120,0,3,B\n");
    const run r = program("proc vitalyx data=mx;\n class g;\n make 'Modprmest' out=pe;\n make 'Modscaleprmest' out=ps;\n"
                          " model t*cen(0) = g x / conf=0.99999999999999 lrcl;\n logscale g;\nrun;\n",
                          true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    int warned = 0;
    std::set<std::string> kinds;
    for (const char* member : {"pe", "ps"}) {
        const table t = r.get(member);
        for (size_t i = 0; i < t.rows.size(); ++i) {
            if (t.num(i, "Stderr") == 0.0) continue;   // the reference level
            const bool lower = std::isnan(t.num(i, "Lower")), upper = std::isnan(t.num(i, "Upper"));
            if (!lower && !upper) continue;
            std::string name = t.text(i, "Parm") + (t.text(i, "Level1").empty() ? "" : " " + t.text(i, "Level1"));
            if (std::string(member) == "ps") name += " (scale)";
            const std::string which = lower && upper ? "neither limit was found, and both are shown missing"
                                      : lower        ? "the lower limit was not found and is shown missing"
                                                     : "the upper limit was not found and is shown missing";
            kinds.insert(which);
            EXPECT_TRUE(r.result.log.has('W', "The likelihood-ratio limit search for the parameter " + name +
                                                   " stopped at MAXIT=50 evaluations: " + which + "."))
                << name << "\n" << r.result.log.all();
            ++warned;
        }
    }
    EXPECT_EQ(kinds.size(), 3u);   // each of the three endings is met
    EXPECT_EQ(testsupport::countmsg(r.result.log, 510, 81), warned) << r.result.log.all();
}

}  // namespace

namespace {

class Obstats : public Statement {};

TEST_F(Obstats, ResidualsSurvivalAndPercentiles) {
    const run r = alt("distribution weibull; make 'ModObstats' out=obs; make 'Modprmest' out=est;\n"
                      "model time*status(0) = temp / obstats(q=0.1 0.5 residadj=0.7 censor xbeta survival resid sresid gresid dresid);");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table obs = r.get("obs"), est = r.get("est");
    const double sigma = est.num(2, "Estimate");
    ASSERT_EQ(obs.rows.size(), 72u);   // two rows, one per probability, for each observation
    for (size_t i = 0; i < obs.rows.size(); ++i) {
        SCOPED_TRACE(i);
        const double t = obs.num(i, "time"), xb = obs.num(i, "Xbeta"), z = (std::log(t) - xb) / sigma;
        const bool censored = obs.num(i, "status") == 0;
        const double G = std::exp(z);   // Cox-Snell residual of the Weibull
        EXPECT_NEAR(obs.num(i, "Resid"), std::log(t) - xb, 1e-12);
        EXPECT_NEAR(obs.num(i, "SRESID"), z, 1e-12);
        EXPECT_NEAR(obs.num(i, "Surv"), std::exp(-G), 1e-12);
        EXPECT_NEAR(obs.num(i, "Gresid"), G + (censored ? 0.7 : 0.0), 1e-12);
        // The deviance residual has the sign of delta - G.
        const double delta = censored ? 0.0 : 1.0;
        const double dev = -2.0 * ((delta - G) + delta * std::log(G));
        EXPECT_NEAR(obs.num(i, "Dresid"), (delta <= G ? -1.0 : 1.0) * std::sqrt(dev), 1e-12);
        EXPECT_EQ(obs.num(i, "CEN"), censored ? 1.0 : 0.0);
        const double q = obs.num(i, "Prob");
        EXPECT_NEAR(obs.num(i, "Pcntl"), std::exp(xb + sigma * std::log(-std::log(1.0 - q))), 1e-9 * obs.num(i, "Pcntl"));
        EXPECT_LT(obs.num(i, "Lower"), obs.num(i, "Pcntl"));
        EXPECT_GT(obs.num(i, "Upper"), obs.num(i, "Pcntl"));
    }
}

TEST_F(Obstats, OptionsAtTheirEdges) {
    // RESIDALPHA of 0 or 1 is replaced by 0.5 with a warning; probabilities not strictly
    // between 0 and 1 (0 and 1 included) are left out with one warning.
    run r = alt("distribution weibull; make 'ModObstats' out=obs; model time*status(0) = temp / obstats(ralpha=1 q=0 0.5 1 1.5 2);");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('W', "RESIDALPHA=")) << r.result.log.all();
    EXPECT_EQ(r.result.log.count('W'), 2) << r.result.log.all();
    table obs = r.get("obs");
    EXPECT_EQ(obs.rows.size(), 36u);
    EXPECT_EQ(obs.num(0, "Prob"), 0.5);
    // Without OBSTATS there is no table; with a single-time response no CEN column; an
    // observation with a missing continuous value keeps its row with missing statistics.
    r = alt("distribution weibull; make 'ModObstats' out=obs; model time*status(0) = temp;");
    EXPECT_FALSE(std::filesystem::exists(r.out + "/obs.csv"));
    writecsv("gap", "x,time\n1,10\n2,20\n,15\n4,30\n3,25\n");
    r = program("proc vitalyx data=gap; distribution weibull; make 'ModObstats' out=obs;\n"
                "model time = x / obstats; run;", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    obs = r.get("obs");
    ASSERT_EQ(obs.rows.size(), 5u);
    EXPECT_EQ(std::count(obs.names.begin(), obs.names.end(), "CEN"), 0);
    EXPECT_TRUE(std::isnan(obs.num(2, "Xbeta")));
    EXPECT_FALSE(std::isnan(obs.num(3, "Xbeta")));
}

class FitByModel : public Statement {};

TEST_F(FitByModel, GroupsTakeTheModelsPrediction) {
    // The group's location is the MODEL's linear predictor at the group's level with the other
    // continuous variable at its mean over the rows kept, weighted by FREQ: the row dropped for
    // its missing response does not count.
    writecsv("fm", "g,x,time,status,f\n1,1,10,1,1\n1,3,20,1,3\n1,2,15,0,1\n2,2,30,1,2\n2,4,25,1,1\n2,9,,1,5\n1,5,12,1,1\n2,3,40,0,1\n");
    const run r = program("proc vitalyx data=fm; class g; freq f; distribution weibull;\n"
                          "make 'Modprmest' out=est; make 'ParmEst' out=pe;\n"
                          "model time*status(0) = g x; probplot time*status(0) = g / fit=model; run;", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table est = r.get("est"), pe = r.get("pe");
    const double xmean = (1 * 1 + 3 * 3 + 1 * 2 + 2 * 2 + 1 * 4 + 1 * 5 + 1 * 3) / 10.0;
    const double b0 = est.num(0, "Estimate"), bg1 = est.num(1, "Estimate"), bx = est.num(3, "Estimate");
    EXPECT_NEAR(pe.num(0, "Estimate"), b0 + bg1 + bx * xmean, 1e-10);
    EXPECT_NEAR(pe.num(1, "Estimate"), est.num(4, "Estimate"), 1e-12);   // the scale
}

TEST_F(FitByModel, ChecksOfThePlotStatements) {
    struct bad {
        const char* lines;
        const char* message;
    };
    const bad cases[] = {
        {"class lot; distribution weibull; probplot time*status(0) = lot / fit=model;", "needs a MODEL statement run"},
        {"class temp; distribution weibull; relationplot time*status(0) = temp / fit=regression;", "FITTYPE=REGRESSION needs a MODEL"},
        {"class lot; distribution weibull; model time*status(0) = lot; probplot time = lot / fit=model;", "responses to be those of the MODEL"},
    };
    for (const bad& b : cases) {
        SCOPED_TRACE(b.lines);
        const run r = alt(b.lines);
        EXPECT_TRUE(r.result.log.has('E', b.message)) << r.result.log.all();
    }
    writecsv("ro", "g,t,f,n\na,10,2,10\na,20,3,8\nb,10,1,6\nb,20,0,5\n");
    const run r = program("proc vitalyx data=ro; class g; freq f; nenter n; distribution weibull;\n"
                          "model t = g / readout; probplot t = g / fit=model; run;", true);
    EXPECT_TRUE(r.result.log.has('E', "READOUT must be given on both")) << r.result.log.all();
}

}  // namespace
