// RELATIONPLOT on the statistical road: the graph request (template, label, the 27 variables
// in order) and its phantoms: the data of the stress levels, the percentile lines of the
// levels' own fits and the stress reference lines, checked against closed forms (the
// lognormal maximum-likelihood fit of complete data is the mean and the n-divisor standard
// deviation of the log lives; the Arrhenius axis is -1000 / (T + 273.15)).
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/unit/devplots/data.h"
#include "tests/unit/statgraph/graphrun.h"

namespace {

using sgtest::Graph;
using sgtest::GraphRun;
using sgtest::Phantom;
using sgtest::numbers;
using sgtest::qnorm;
using sgtest::quoted;

double arr(double celsius) { return -1000 / (celsius + 273.15); }

// The phantom of a graph by name, or null.
const Phantom* named(const Graph& g, const std::string& n) {
    for (const Phantom& p : g.data)
        if (p.name == n) return &p;
    return nullptr;
}

class RelGraphs : public GraphRun {
protected:
    void SetUp() override {
        GraphRun::SetUp();
        dataset("insul", testdata::insulation);
    }
};

const std::vector<std::string> kVars = {"_DataPlot", "_PcntlPlot", "_XTicks",  "_XTickLabels", "_FmtVal",   "_XLabel",
                                        "_XName",    "_RName",     "_YLabel",  "_SXLabel2",    "_SYLabel2", "_YType",
                                        "_XType",    "_DName",     "_PPTicks", "_PPTickLabels", "_VMin",    "_VMax",
                                        "_Grid",     "_MLGrid",    "_PPXType", "_PPXLabel",    "_PPYLabel", "_SXLabel",
                                        "_SYLabel",  "_TransConf", "_TransFit"};

// Arrhenius levels with the probability panel: every phantom, the negated stress axis and
// reference line, percentile lines at the closed-form lognormal percentiles of each level.
TEST_F(RelGraphs, ArrheniusLevelsWithPercentilesReferenceAndProbabilityPanel) {
    const auto& r = run("proc vitalyx data=insul; distribution lognormal; "
                        "relationplot hours = temp / relation=arr pplot plotdata=data plotfit=10 50 90 sref=200 sreflabels='design'; "
                        "relationplot hours = temp / relation=arr pplot plotfit=50 nofitline; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 2u);
    const Graph& g = graphs[0];
    EXPECT_EQ(g.templ, "KV.Vitalyx.Graphics.RegPercentiles3");
    EXPECT_EQ(g.name, "RelationPlot");
    EXPECT_EQ(g.label, "Relation Plot");
    std::vector<std::string> vars = kVars;
    vars.push_back("_StressRefs");   // the SREF= values as given, after the others
    EXPECT_EQ(g.varnames, vars);
    EXPECT_EQ(g.v("_StressRefs").s, "200");
    EXPECT_EQ(g.v("_XType").s, "linear");
    EXPECT_EQ(g.v("_YType").s, "log");
    EXPECT_EQ(g.v("_PPXType").s, "log");
    EXPECT_EQ(g.v("_XLabel").s, "temp");
    EXPECT_EQ(g.v("_YLabel").s, "hours");
    EXPECT_EQ(g.v("_DName").s, "Lognormal");
    EXPECT_EQ(g.v("_FmtVal").s, "");
    EXPECT_DOUBLE_EQ(g.v("_TransConf").d, 0.8);
    EXPECT_DOUBLE_EQ(g.v("_TransFit").d, 0.0);
    EXPECT_LT(g.v("_VMin").d, g.v("_VMax").d);

    // Stress ticks at the negated Arrhenius positions of their temperature labels.
    const auto pos = numbers(g.v("_XTicks").s), lab = quoted(g.v("_XTickLabels").s);
    ASSERT_GE(pos.size(), 3u) << g.v("_XTicks").s;
    ASSERT_EQ(pos.size(), lab.size());
    for (size_t k = 0; k < pos.size(); ++k) EXPECT_NEAR(pos[k], arr(lab[k]), 1e-5) << lab[k];   // six digits
    EXPECT_LE(lab.front(), 190);
    EXPECT_GE(lab.back(), 260);

    ASSERT_EQ(g.data.size(), 4u);
    EXPECT_EQ(g.data[0].name, "PhantomData");
    EXPECT_EQ(g.data[1].name, "PhantomPcntl");
    EXPECT_EQ(g.data[2].name, "PhantomSRef");
    EXPECT_EQ(g.data[3].name, "Phantom");

    // Data: every specimen at its level's position, an exact life.
    const Phantom& d = g.data[0];
    EXPECT_EQ(d.cols, (std::vector<std::string>{"XData", "YData", "DataGroup"}));
    ASSERT_EQ(d.rows, 40u);
    std::map<double, std::vector<double>> lives;   // by temperature
    std::istringstream in(testdata::insulation);
    std::string line;
    std::getline(in, line);
    for (size_t k = 0; std::getline(in, line); ++k) {
        const double t = std::stod(line.substr(0, line.find(','))), h = std::stod(line.substr(line.find(',') + 1));
        lives[t].push_back(std::log(h));
        EXPECT_NEAR(d.n("XData")[k], arr(t), 1e-12) << k;
        EXPECT_NEAR(d.n("YData")[k], h, 1e-9 * h) << k;
        EXPECT_EQ(d.t("DataGroup")[k], "Uncensored");
    }

    // Percentile lines: one per PLOTFIT value through the four levels.
    const Phantom& p = g.data[1];
    EXPECT_EQ(p.cols, (std::vector<std::string>{"XPcntl", "YPcntl", "PcntlGroup"}));
    ASSERT_EQ(p.rows, 12u);
    const double pct[] = {10, 50, 90};
    for (size_t i = 0, k = 0; i < 3; ++i) {
        for (const auto& [t, v] : lives) {
            double mu = 0, ss = 0;
            for (double x : v) mu += x;
            mu /= v.size();
            for (double x : v) ss += (x - mu) * (x - mu);
            const double sigma = std::sqrt(ss / v.size());
            const double want = std::exp(mu + sigma * qnorm(pct[i] / 100));
            EXPECT_NEAR(p.n("XPcntl")[k], arr(t), 1e-12);
            EXPECT_NEAR(p.n("YPcntl")[k], want, 2e-5 * want) << pct[i] << "% at " << t;
            EXPECT_EQ(std::stod(p.t("PcntlGroup")[k]), pct[i]);
            ++k;
        }
    }

    // The stress reference line on the same negated scale, with its label.
    const Phantom& s = g.data[2];
    EXPECT_EQ(s.cols, (std::vector<std::string>{"SRef", "SRefLabel"}));
    ASSERT_EQ(s.rows, 1u);
    EXPECT_NEAR(s.n("SRef")[0], arr(200), 1e-12);
    EXPECT_EQ(s.t("SRefLabel")[0], "design");

    // The probability panel's points: forty plotted points by level.
    const Phantom& pp = g.data[3];
    size_t points = 0;
    for (double x : pp.n("XPPlot")) points += !std::isnan(x);
    EXPECT_EQ(points, 40u);

    // NOFITLINE hides both the fitted lines and the bands of the panel.
    EXPECT_DOUBLE_EQ(graphs[1].v("_TransFit").d, 1.0);
    EXPECT_DOUBLE_EQ(graphs[1].v("_TransConf").d, 1.0);
    EXPECT_EQ(named(graphs[1], "PhantomSRef"), nullptr) << "no SREF values, no reference phantom";
    // The levels then have no fits to draw a percentile line from (as on the device road):
    // no note names a line that is not there.
    EXPECT_EQ(graphs[1].v("_FmtVal").s, "");
}

// One percentile on a power relation: the single-percentile template and its note, a log
// stress axis of the stresses themselves (no tick lists); without PLOTFIT no percentile
// phantom and no note of the default 50 percent.
TEST_F(RelGraphs, OnePercentileOnAPowerRelationAndNoPercentiles) {
    const auto& r = run("proc vitalyx data=insul; distribution lognormal; "
                        "relationplot hours = temp / relation=pow plotdata=data plotfit=50; "
                        "relationplot hours = temp / relation=pow; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 2u);
    const Graph& g = graphs[0];
    EXPECT_EQ(g.templ, "KV.Vitalyx.Graphics.RegPercentiles1");
    EXPECT_EQ(g.name, "PercentilePlot");
    EXPECT_EQ(g.label, "Percentile Plot");
    EXPECT_EQ(g.v("_FmtVal").s, "50% Percentile");
    EXPECT_EQ(g.v("_XType").s, "log");
    EXPECT_EQ(g.v("_XTicks").s, "");
    EXPECT_EQ(g.v("_XTickLabels").s, "");
    EXPECT_EQ(g.v("_PPTicks").s, "");
    EXPECT_DOUBLE_EQ(g.v("_VMin").d, 0);
    EXPECT_EQ(g.v("_PcntlPlot").i, 1);
    const Phantom* p = named(g, "PhantomPcntl");
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->rows, 4u);
    const double temps[] = {190, 220, 240, 260};
    for (size_t k = 0; k < 4; ++k) EXPECT_NEAR(p->n("XPcntl")[k], temps[k], 1e-9 * temps[k]) << "the stress itself";
    const Phantom* d = named(g, "PhantomData");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->n("XData")[0], 190);
    EXPECT_EQ(named(g, "PhantomSRef"), nullptr);
    EXPECT_EQ(named(g, "Phantom"), nullptr);

    const Graph& n = graphs[1];
    EXPECT_EQ(n.v("_FmtVal").s, "") << "no note of a line that is not drawn";
    EXPECT_EQ(n.v("_PcntlPlot").i, 0);
    EXPECT_EQ(named(n, "PhantomPcntl"), nullptr);
}

// Interval data on the ln scale: an inspection between 2 and 6 hours sits at the middle of
// the two times (4), marked as interval-censored; the one-sided intervals as left- and
// right-censored at their known end.
TEST_F(RelGraphs, IntervalLivesAtTheMiddleOfTheirTimes) {
    dataset("iv", "volt,lo,hi\n"
                  "10,2,6\n10,3,5\n10,4,4\n10,5,7\n10,,3\n10,8,\n10,6,9\n"
                  "20,1,2\n20,1.5,2.5\n20,2,2\n20,1,3\n20,0.5,1.5\n20,3,\n");
    const auto& r = run("proc vitalyx data=iv; distribution weibull; relationplot (lo hi) = volt / plotdata=data plotfit=50; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    const Phantom* d = named(graphs[0], "PhantomData");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->rows, 13u);
    const std::vector<std::string> kinds = {"Interval Censored", "Interval Censored", "Uncensored", "Interval Censored",
                                            "Left Censored",     "Right Censored",    "Interval Censored"};
    const double ys[] = {4, 4, 4, 6, 3, 8, 7.5};
    for (size_t k = 0; k < kinds.size(); ++k) {
        EXPECT_NEAR(d->n("YData")[k], ys[k], 1e-12) << k;
        EXPECT_EQ(d->t("DataGroup")[k], kinds[k]) << k;
        EXPECT_EQ(d->n("XData")[k], 10);
    }
    EXPECT_EQ(d->n("XData")[12], 20);
}

// The MODEL's fit (FITTYPE=REGRESSION) with a CLASS variable: one curve per level of the
// MODEL's CLASS variable, labelled by that level (not by the plot's stress levels), each of
// 100 points.
TEST_F(RelGraphs, ModelCurvesLabelledByTheModelsClassLevels) {
    shipped("../programs/model_fit_by_model/capacitor.csv");
    const auto& r = run("proc vitalyx data=capacitor; class temperature; distribution weibull; "
                        "model time*status(0) = voltage temperature / relation=pow; "
                        "relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=50; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    const Phantom* p = named(graphs[0], "PhantomPcntl");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->cols, (std::vector<std::string>{"XPcntl", "YPcntl", "PcntlGroup", "CurveLabel"}));
    ASSERT_EQ(p->rows, 200u);
    EXPECT_EQ(p->t("CurveLabel")[0], "170");
    EXPECT_EQ(p->t("CurveLabel")[199], "180");
    EXPECT_EQ(p->t("PcntlGroup")[150], "50");
    // A power relation: the stresses themselves, increasing along each curve.
    EXPECT_LT(p->n("XPcntl")[0], p->n("XPcntl")[99]);
    EXPECT_GT(p->n("XPcntl")[0], 0);
}

// With FMODE KEEP the MODEL takes a failure of another mode as right-censored and so does its
// plot; the specimen without a mode is not plotted.
TEST_F(RelGraphs, FailuresOfAnotherModeAreRightCensored) {
    dataset("modes", testdata::insulationmodes());
    const auto& r = run("proc vitalyx data=modes; distribution lognormal; fmode keep mode=('wear'); "
                        "model hours = temp / relation=arr; relationplot hours = temp / fit=regression relation=arr plotfit=50; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    const Phantom* d = named(graphs[0], "PhantomData");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->rows, 39u);
    const auto& kind = d->t("DataGroup");
    EXPECT_EQ(std::count(kind.begin(), kind.end(), "Right Censored"), 3);
    for (size_t k : {2u, 12u, 22u}) EXPECT_EQ(kind[k], "Right Censored") << k;
}

// A variable of LOGSCALE alone (the humidity) enters the percentile lines at its mean over the
// MODEL's rows, not at 0 (the scale there would be a fifth of the fitted one): the 10 and 90
// percent lines are R's at every point.
TEST_F(RelGraphs, ScaleModelVariableAtItsMean) {
    dataset("humid", testdata::insulationhumid());
    const auto& r = run("proc vitalyx data=humid; distribution lognormal; model hours = temp / relation=arr; logscale rh; "
                        "relationplot hours = temp / fit=regression relation=arr plotfit=10 90; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    const Phantom* p = named(graphs[0], "PhantomPcntl");
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->rows, 200u);
    for (size_t k = 0; k < 200; ++k) {
        const double temp = -1000.0 / p->n("XPcntl")[k] - 273.15;
        const double want = testdata::humidfit::lnlife(temp, qnorm(k < 100 ? 0.1 : 0.9));
        EXPECT_NEAR(std::log(p->n("YPcntl")[k]), want, 1e-5) << k;
    }
}

// An observation without a temperature: the voltage level keeps it, the MODEL drops it. The
// data of a plot of the MODEL's fit (FITTYPE=MODEL or REGRESSION) are the observations the
// MODEL uses, so it is not plotted: 64 of the 65 rows, none at its life of 700 hours.
TEST_F(RelGraphs, ModelFitsPlotOnlyTheObservationsTheModelUses) {
    std::ifstream in(std::string(VITALYX_TEST_DATA) + "/../programs/model_fit_by_model/capacitor.csv");
    std::stringstream csv;
    csv << in.rdbuf() << ",200,700,1\n";
    dataset("cap", csv.str());
    for (const char* fit : {"model", "regression"}) {
        SCOPED_TRACE(fit);
        const auto& r = run(std::string("proc vitalyx data=cap; class temperature; distribution weibull; "
                                        "model time*status(0) = voltage temperature / relation=pow; "
                                        "relationplot time*status(0) = voltage / relation=pow plotdata=data plotfit=50 fit=") +
                            fit + "; run;");
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(graphs.size(), 1u);
        const Phantom* d = named(graphs[0], "PhantomData");
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->rows, 64u);
        for (double y : d->n("YData")) EXPECT_NE(y, 700.0);
        const auto& x = d->n("XData");
        EXPECT_EQ(std::count(x.begin(), x.end(), 200.0), 16);
        const auto& kind = d->t("DataGroup");
        EXPECT_EQ(std::count(kind.begin(), kind.end(), "Right Censored"), 32);   // status 0
    }
}

// The probability panel beside a relation plot is turned by the plot itself: HREF= or VREF=
// there is refused in the relation plot's words, naming what was given and the lines each
// panel draws, not in ROTATE's; the panel then draws no reference line (LREF= neither), the
// relation panel its SREF= line. A probability plot with ROTATE keeps ROTATE's words.
TEST_F(RelGraphs, HrefAndVrefBesideARelationPlotAreRefusedInItsOwnWords) {
    const auto& r = run("proc vitalyx data=insul; distribution lognormal; "
                        "relationplot hours = temp / pplot href=5000 lref=3000 sref=200; "
                        "relationplot hours = temp / pplot vref=50 href=5000; "
                        "probplot hours / rotate href=3000; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(r.log.count('W'), 3) << r.log.all();
    EXPECT_TRUE(r.log.has('W', "RELATIONPLOT: with statistical graphics the probability panel of the relation plot does not draw "
                               "HREF= lines: its reference lines are the LREF= lines at lives and the PREF= lines at percentages, "
                               "and the relation panel's are the SREF= lines at stresses. Give LREF= and PREF= instead; with "
                               "HREF= given, the probability panel draws no reference lines."))
        << r.log.all();
    EXPECT_TRUE(r.log.has('W', "relation plot does not draw HREF= and VREF= lines")) << r.log.all();
    int rotate = 0;
    for (const auto& l : r.log.lines) rotate += l.text.find("ROTATE") != std::string::npos;
    EXPECT_EQ(rotate, 1) << r.log.all();
    EXPECT_TRUE(r.log.has('W', "HREF= and VREF= cannot be used with ROTATE: give LREF= and PREF= instead.")) << r.log.all();
    ASSERT_EQ(graphs.size(), 3u);
    const Phantom* panel = named(graphs[0], "Phantom");
    ASSERT_NE(panel, nullptr);
    for (double x : panel->n("XRef")) EXPECT_TRUE(std::isnan(x));
    for (double y : panel->n("YRef")) EXPECT_TRUE(std::isnan(y));
    const Phantom* sref = named(graphs[0], "PhantomSRef");
    ASSERT_NE(sref, nullptr);
    EXPECT_EQ(sref->rows, 1u);
}

// SREF= values off the stress axis are named in the log as the statement gave them, as the
// device road names them, not by their rows' places on the relation's scale (-1000 / (400 +
// 273.15) under ARR); the value on the axis is drawn and named by no warning.
TEST_F(RelGraphs, StressLinesOffTheAxisAreNamedAsGiven) {
    const auto& r = run("proc vitalyx data=insul; distribution lognormal; "
                        "relationplot hours = temp / relation=arr plotfit=10 50 90 sref=400 100 220 sreflabels='Hot' 'Cold' 'Mid'; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(r.log.count('W'), 2) << r.log.all('W');
    for (const char* v : {"400", "100"})
        EXPECT_TRUE(r.log.has('W', std::string("The reference line at ") + v + " lies outside the stress axis of the graph; it is not drawn."))
            << v << ": " << r.log.all('W');
}

}  // namespace
