// Whole MODEL programs against survreg on public data (tests/data/regression/): estimates,
// standard errors, scale, log-likelihood and linear predictors to the relative precision the
// fit reaches, for continuous effects through the power and Arrhenius relations, a CLASS effect
// of four levels, a crossing, right- and interval-censored responses and every location-scale
// family; likelihood-ratio limits against an independent profile search.
#include <fstream>
#include <string>
#include <vector>

#include "tests/unit/regression/programs.h"

using namespace mdlprog;

namespace {

struct kase {
    const char* name;      // the reference case
    const char* data;
    const char* classes;   // CLASS statement, or ""
    const char* dist;
    const char* model;     // the MODEL statement from the response on
};

const kase kCases[] = {
    {"cap_weibull", "capacitor", "class temperature;", "weibull", "time*status(0) = voltage temperature / relation=pow"},
    {"imotor_lognormal", "imotor", "", "lognormal", "time*status(0) = temp / relation=arr"},
    {"imotor_weibull", "imotor", "", "weibull", "time*status(0) = temp / relation=arr"},
    {"ifluid_weibull", "ifluid", "", "weibull", "time = voltage / relation=pow"},
    {"vet_weibull", "veteran", "class celltype;", "weibull", "time*status(0) = karno celltype karno*celltype"},
    {"vet_lognormal", "veteran", "class celltype;", "lognormal", "time*status(0) = karno celltype karno*celltype"},
    {"vet_loglogistic", "veteran", "class celltype;", "llogistic", "time*status(0) = karno celltype karno*celltype"},
    {"vet_gaussian", "veteran", "class celltype;", "normal", "time*status(0) = karno celltype karno*celltype"},
    {"vet_logistic", "veteran", "class celltype;", "logistic", "time*status(0) = karno celltype karno*celltype"},
    {"vet_extreme", "veteran", "class celltype;", "extreme", "time*status(0) = karno celltype karno*celltype"},
    {"vetint_weibull", "vetint", "class celltype;", "weibull", "(lower upper) = karno celltype"},
    {"vetint_lognormal", "vetint", "class celltype;", "lognormal", "(lower upper) = karno celltype"},
};

class Agreement : public ProgramTest {};

TEST_F(Agreement, EstimatesErrorsLikelihoodAndPredictionsMatchSurvreg) {
    const reference ref;
    for (const kase& k : kCases) {
        SCOPED_TRACE(k.name);
        const std::string text = std::string("proc vitalyx data=") + k.data + ";\n" + k.classes +
                                 "\ndistribution " + k.dist +
                                 ";\nmake 'Modprmest' out=est;\nmake 'Modfitsum' out=fit;\nmake 'ModObstats' out=obs;\n"
                                 "model " + k.model + (std::strchr(k.model, '/') ? " " : " / ") +
                                 "converge=1e-10 obstats(xbeta);\nrun;\n";
        const run r = program(text);
        ASSERT_EQ(r.result.status, 0) << r.result.log.all();
        const table est = r.get("est");
        for (size_t i = 0; i < est.rows.size(); ++i) {
            const std::string n = std::to_string(i + 1);
            if (!ref.has(k.name, "est" + n)) break;
            near(est.num(i, "Estimate"), ref(k.name, "est" + n), 1e-6, "estimate " + n);
            near(est.num(i, "Stderr"), ref(k.name, "se" + n), 1e-6, "standard error " + n);
        }
        EXPECT_FALSE(ref.has(k.name, "est" + std::to_string(est.rows.size() + 1))) << "rows missing";
        const table fit = r.get("fit");
        ASSERT_FALSE(fit.rows.empty());
        EXPECT_NEAR(fit.num(fit.rows.size() - 1, "Value"), ref(k.name, "loglik"), 1e-8);
        const table obs = r.get("obs");
        for (size_t i = 0; i < 5 && i < obs.rows.size(); ++i)
            near(obs.num(i, "Xbeta"), ref(k.name, "xbeta" + std::to_string(i + 1)), 1e-6, "xbeta");
    }
}

TEST_F(Agreement, LikelihoodRatioLimitsMatchAProfileSearch) {
    const reference ref;
    const run r = program(
        "proc vitalyx data=capacitor; class temperature; distribution weibull; make 'Modprmest' out=est;\n"
        "model time*status(0) = voltage temperature / relation=pow lrcl converge=1e-10; run;");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table est = r.get("est");
    for (int i : {1, 2, 3, 5}) {
        const std::string n = std::to_string(i);
        near(est.num(static_cast<size_t>(i - 1), "Lower"), ref("cap_weibull_lr", "lower" + n), 1e-6, "lower " + n);
        near(est.num(static_cast<size_t>(i - 1), "Upper"), ref("cap_weibull_lr", "upper" + n), 1e-6, "upper " + n);
    }
}


TEST_F(Agreement, PlotGroupsTakeSurvregsPredictionAndItsError) {
    // FITTYPE=MODEL on a probability plot: each temperature at the mean voltage; REGRESSION and
    // MODEL on a relation plot: each voltage at the first temperature. Location and its
    // standard error (from the MODEL's covariance) as survreg's predict gives them.
    const reference ref;
    const run r = program(
        "proc vitalyx data=capacitor; class temperature; distribution weibull;\n"
        "make 'ParmEst' out=pe;\nmodel time*status(0) = voltage temperature / relation=pow converge=1e-10;\n"
        "probplot time*status(0) = temperature / fit=model nopctile;\n"
        "relationplot time*status(0) = voltage / fit=regression nopctile;\n"
        "relationplot time*status(0) = voltage / fit=model nopctile; run;");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table pe = r.get("pe");
    std::vector<size_t> loc;
    for (size_t i = 0; i < pe.rows.size(); ++i)
        if (pe.text(i, "Parameter") == "EV Location") loc.push_back(i);
    // two temperatures of the probability plot, then the four voltages of each relation plot
    ASSERT_EQ(loc.size(), 10u);
    const size_t at[6] = {loc[0], loc[1], loc[2], loc[3], loc[6], loc[7]};
    for (int k = 0; k < 6; ++k) {
        const std::string n = std::to_string(k < 4 ? k + 1 : k - 1);
        near(pe.num(at[k], "Estimate"), ref("cap_groups", "loc" + n), 1e-6, "location " + n);
        near(pe.num(at[k], "Stderr"), ref("cap_groups", "se" + n), 1e-6, "standard error " + n);
    }
}

TEST_F(Agreement, CapacitorCellsMatchSurvreg) {
    // The glass capacitors' eight voltage and temperature cells through both CLASS effects and
    // their crossing: every cell's location, the common scale and the log-likelihood.
    const reference ref;
    for (const char* dist : {"lognormal", "weibull"}) {
        SCOPED_TRACE(dist);
        const std::string kase = std::string("cap_cells_") + dist;
        const run r = program(std::string("proc vitalyx data=capacitor; class voltage temperature; distribution ") + dist +
                              ";\nmake 'Modprmest' out=est; make 'Modfitsum' out=fit; make 'ModObstats' out=obs;\n"
                              "model time*status(0) = voltage temperature voltage*temperature / converge=1e-10 "
                              "obstats(xbeta); run;");
        ASSERT_EQ(r.result.status, 0) << r.result.log.all();
        const table obs = r.get("obs");
        ASSERT_EQ(obs.rows.size(), 64u);
        for (size_t i = 0; i < obs.rows.size(); ++i) {
            const std::string key = "loc_" + obs.text(i, "voltage") + "_" + obs.text(i, "temperature");
            near(obs.num(i, "Xbeta"), ref(kase, key), 1e-6, key);
        }
        const table est = r.get("est"), fit = r.get("fit");
        bool scaled = false;
        for (size_t i = 0; i < est.rows.size(); ++i) {
            const std::string parm = est.text(i, "Parm");
            if (parm.find("Scale") != std::string::npos && parm.find("Weibull") == std::string::npos) {
                near(est.num(i, "Estimate"), ref(kase, "scale"), 1e-6, "scale");
                scaled = true;
            }
        }
        EXPECT_TRUE(scaled);
        EXPECT_NEAR(fit.num(fit.rows.size() - 1, "Value"), ref(kase, "loglik"), 1e-8);
    }
}


TEST_F(Agreement, PercentilesTheirErrorsAndLimitsMatchSurvreg) {
    // OBSTATS percentiles of the capacitor fit at 0.1 and 0.5 in every observation's cell: the
    // percentile and its standard error as survreg's predict gives them, the limits from the
    // log-time quantile.
    const reference ref;
    const run r = program(
        "proc vitalyx data=capacitor; class temperature; distribution weibull; make 'ModObstats' out=obs;\n"
        "model time*status(0) = voltage temperature / relation=pow converge=1e-10 obstats(q=0.1 0.5); run;");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table obs = r.get("obs");
    ASSERT_EQ(obs.rows.size(), 128u);
    for (size_t i = 0; i < obs.rows.size(); ++i) {
        const std::string key = obs.text(i, "voltage") + "_" + obs.text(i, "temperature") + "_" +
                                (obs.num(i, "Prob") == 0.1 ? "1" : "2");
        near(obs.num(i, "Pcntl"), ref("cap_pcntl", "p_" + key), 1e-6, "percentile " + key);
        near(obs.num(i, "Stderr"), ref("cap_pcntl", "se_" + key), 1e-6, "standard error " + key);
        near(obs.num(i, "Lower"), ref("cap_pcntl", "lo_" + key), 1e-6, "lower " + key);
        near(obs.num(i, "Upper"), ref("cap_pcntl", "hi_" + key), 1e-6, "upper " + key);
    }
}


TEST_F(Agreement, EachByGroupHasItsOwnFitAndPlotGroups) {
    // The capacitors sorted by temperature, a BY group each: every group's MODEL fit is
    // survreg's on that temperature alone, and the probability plot after it takes the
    // locations of its own group's fit at every voltage.
    std::ifstream in(std::string(VITALYX_TEST_DATA) + "/regression/capacitor.csv");
    std::string header, line, lines[2];
    std::getline(in, header);
    while (std::getline(in, line))
        if (!line.empty()) lines[line.rfind("170,", 0) == 0 ? 0 : 1] += line + "\n";
    writecsv("capacitor", header + "\n" + lines[0] + lines[1]);
    const reference ref;
    const run r = program("proc vitalyx data=capacitor; by temperature; distribution weibull;\n"
                          "make 'Modprmest' out=est; make 'Modfitsum' out=fit; make 'ParmEst' out=pe;\n"
                          "model time*status(0) = voltage / relation=pow converge=1e-10;\n"
                          "probplot time*status(0) = voltage / fit=model nopctile; run;", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table est = r.get("est"), fit = r.get("fit"), pe = r.get("pe");
    int fits = 0, locs = 0;
    for (size_t i = 0; i < est.rows.size(); ++i) {
        const std::string kase = "cap_by_" + est.text(i, "temperature"), parm = est.text(i, "Parm");
        if (parm == "Intercept") near(est.num(i, "Estimate"), ref(kase, "est1"), 1e-6, kase + " intercept");
        if (parm == "voltage") near(est.num(i, "Estimate"), ref(kase, "est2"), 1e-6, kase + " voltage");
        if (parm == "EV Scale") near(est.num(i, "Estimate"), ref(kase, "scale"), 1e-6, kase + " scale");
    }
    for (size_t i = 0; i < fit.rows.size(); ++i)
        if (fit.text(i, "Description") == "Log Likelihood") {
            EXPECT_NEAR(fit.num(i, "Value"), ref("cap_by_" + fit.text(i, "temperature"), "loglik"), 1e-8);
            ++fits;
        }
    for (size_t i = 0; i < pe.rows.size(); ++i)
        if (pe.text(i, "Parameter") == "EV Location") {
            const std::string kase = "cap_by_" + pe.text(i, "temperature");
            near(pe.num(i, "Estimate"), ref(kase, "loc_" + pe.text(i, "Group")), 1e-6, kase + " location");
            ++locs;
        }
    EXPECT_EQ(fits, 2);
    EXPECT_EQ(locs, 8);
}


TEST_F(Agreement, PlotGroupsOfTwoClassVariablesTakeTheirCell) {
    // Both class variables of the probability plot are CLASS effects of the MODEL: each group
    // takes its own cell's prediction, with its standard error.
    const reference ref;
    const run r = program(
        "proc vitalyx data=capacitor; class temperature voltage; distribution weibull; make 'ParmEst' out=pe;\n"
        "model time*status(0) = voltage temperature / converge=1e-10;\n"
        "probplot time*status(0) = temperature voltage / fit=model nopctile; run;");
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const table pe = r.get("pe");
    int n = 0;
    for (size_t i = 0; i < pe.rows.size(); ++i) {
        if (pe.text(i, "Parameter") != "EV Location") continue;
        std::string key = pe.text(i, "Group");
        key[key.find(' ')] = '_';
        near(pe.num(i, "Estimate"), ref("cap_two_class", "loc_" + key), 1e-6, "location " + key);
        near(pe.num(i, "Stderr"), ref("cap_two_class", "se_" + key), 1e-6, "standard error " + key);
        ++n;
    }
    EXPECT_EQ(n, 8);
}

}  // namespace

// The log-gamma family (a positive and a negative shape) and a scale model against a direct
// maximisation of their likelihoods written independently (tests/data/regression/
// direct_reference.R): estimates to 1e-6, standard errors to the 1e-4 of a Hessian by
// differences, the log-likelihood to 1e-8.
TEST_F(Agreement, LogGammaAndScaleModelMatchADirectMaximisation) {
    const reference ref("direct_reference.csv");
    struct direct {
        const char* name;
        const char* program;
        const char* scaletable;   // the second table of estimates, or null
    };
    const direct cases[] = {
        {"vet_gamma", "proc vitalyx data=veteran; distribution gamma; make 'Modprmest' out=est; make 'Modfitsum' out=fit;\n"
                      "make 'ModObstats' out=obs; model time*status(0) = karno / converge=1e-10 obstats(q=0.5); run;", nullptr},
        {"cap_gamma", "proc vitalyx data=capacitor; distribution gamma; make 'Modprmest' out=est; make 'Modfitsum' out=fit;\n"
                      "make 'ModObstats' out=obs; model time*status(0) = voltage / relation=pow converge=1e-10 obstats(q=0.5);\n"
                      "run;", nullptr},
        {"cap_logscale", "proc vitalyx data=capacitor; class temperature; distribution weibull;\n"
                         "make 'Modprmest' out=est; make 'Modscaleprmest' out=sest; make 'Modfitsum' out=fit;\n"
                         "model time*status(0) = voltage temperature / relation=pow converge=1e-10;\n"
                         "logscale temperature; run;", "sest"},
    };
    for (const direct& c : cases) {
        SCOPED_TRACE(c.name);
        const run r = program(c.program);
        ASSERT_EQ(r.result.status, 0) << r.result.log.all();
        std::vector<std::pair<double, double>> got;
        for (const char* member : {"est", c.scaletable}) {
            if (!member) continue;
            const table t = r.get(member);
            for (size_t i = 0; i < t.rows.size(); ++i)
                if (t.num(i, "Stderr") != 0.0) got.emplace_back(t.num(i, "Estimate"), t.num(i, "Stderr"));
        }
        size_t n = 0;
        for (; ref.has(c.name, "est" + std::to_string(n + 1)); ++n) {
            ASSERT_LT(n, got.size());
            const std::string k = std::to_string(n + 1);
            near(got[n].first, ref(c.name, "est" + k), 1e-6, "estimate " + k);
            near(got[n].second, ref(c.name, "se" + k), 1e-4, "standard error " + k);
        }
        EXPECT_EQ(n, got.size());
        const table fit = r.get("fit");
        EXPECT_NEAR(fit.num(fit.rows.size() - 1, "Value"), ref(c.name, "loglik"), 1e-8);
        if (!ref.has(c.name, "median1")) continue;
        // The median of the first observation and its error by the delta method: the shape's
        // derivative of the percentile is sigma times the quantile's derivative in the shape.
        const table obs = r.get("obs");
        near(obs.num(0, "Pcntl"), ref(c.name, "median1"), 1e-6, "median");
        near(obs.num(0, "Stderr"), ref(c.name, "median1se"), 1e-4, "median's error");
    }
}
