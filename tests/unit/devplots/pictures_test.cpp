// Golden pictures of the classic data sets: each page is compared with its recording under
// tests/data/golden/, which a person checked by looking at the PNG the same page makes.
// After a change to the drawing, rewrite the recordings and look at every page again:
//   VITALYX_GOLDEN=write VITALYX_PAGES=/tmp/pages build-test/tests/unit_devplots --gtest_filter='Pictures.*'
#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"
#include "tests/unit/devplots/golden.h"

namespace {

// Runs the program on its data and compares every page with its recording NAME.txt
// (NAME-2.txt, ... for later pages); the kept PNGs take the same names.
void pictures(const std::string& program, const std::map<std::string, std::string>& data, size_t pages, const std::string& name) {
    dp::Options o;
    o.keepas = name;
    const dp::Run r = dp::run(program, data, o);
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), pages) << r.log.all();
    for (size_t k = 0; k < pages; ++k) dp::golden(r.pages[k], name + (k ? "-" + std::to_string(k + 1) : "") + ".txt");
}

std::map<std::string, std::string> data(const std::string& name, const std::string& file) {
    return {{name, testdata::file(file)}};
}

// Ball bearings on lognormal paper: one panel, the inset, a complete sample.
TEST(Pictures, BallBearings) {
    pictures("proc vitalyx data=b;\n distribution lognormal;\n probplot cycles;\nrun;\n", data("b", "data/lifedist/bearings.csv"), 1,
             "bearings");
}

// Diesel fans on Weibull paper: 12 failures among 70, the 58 censored fans marked above
// the frame.
TEST(Pictures, DieselFans) {
    pictures("proc vitalyx data=fans;\n distribution weibull;\n probplot hours*status(1);\nrun;\n", data("fans", "data/lifedist/fans.csv"), 1,
             "fans");
}

// The interval-censored cosmesis study: Turnbull points on log-logistic paper.
TEST(Pictures, IntervalCensoredStudy) {
    pictures("proc vitalyx data=c;\n distribution loglogistic;\n probplot (lower upper);\nrun;\n", data("c", "data/lifedist/cosmesis.csv"), 1,
             "cosmesis");
}

// The two treatments of the cosmesis study: overlaid with a legend naming them, and a panel
// each side by side.
TEST(Pictures, TwoGroupStudy) {
    const std::string prog = "proc vitalyx data=c;\n distribution weibull;\n probplot (lower upper) = treatment / ";
    const auto c = data("c", "data/lifedist/cosmesis_groups.csv");
    pictures(prog + "overlay;\nrun;\n", c, 1, "cosmesis-overlay");
    pictures(prog + "ncols=2;\nrun;\n", c, 1, "cosmesis-side-by-side");
}

// The accelerated test of the insulation at four temperatures: the stress levels overlaid
// on probability paper beside the relation panel with its percentile lines; the level boxes.
TEST(Pictures, AcceleratedTest) {
    const std::string prog = "proc vitalyx data=insul;\n distribution lognormal;\n relationplot hours = temp / relation=arr ";
    pictures(prog + "pplot plotfit=10 50 90;\nrun;\n", {{"insul", testdata::insulation}}, 1, "insulation");
    pictures(prog + "plotdata=boxes plotfit=10 50 90;\nrun;\n", {{"insul", testdata::insulation}}, 1, "insulation-boxes");
}

// The same test fitted by the lognormal regression on the Arrhenius relation (FITTYPE=
// REGRESSION): the MODEL's 10, 50 and 90 percent lines across the stress axis through the
// specimens; and a Weibull regression of censored capacitors by voltage with a curve per
// temperature (the MODEL's CLASS variable), coinciding specimens counted.
TEST(Pictures, AcceleratedTestRegression) {
    pictures("proc vitalyx data=insul;\n distribution lognormal;\n model hours = temp / relation=arr;\n"
             " relationplot hours = temp / fit=regression relation=arr plotfit=10 50 90;\nrun;\n",
             {{"insul", testdata::insulation}}, 1, "insulation-regression");
    pictures("proc vitalyx data=c;\n class temperature;\n distribution weibull;\n"
             " model time*status(0) = voltage temperature / relation=pow;\n"
             " relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=10 50 showmultiples;\nrun;\n",
             data("c", "programs/model_fit_by_model/capacitor.csv"), 1, "capacitors-regression");
}

// The capacitors' Weibull MODEL with the power relation on voltage and temperature as a
// CLASS effect, its fit at each temperature stacked: the points and lines run through the
// upper left corner, so the inset takes the upper right one, which nothing crosses.
TEST(Pictures, ModelFitByTemperature) {
    const auto c = data("capacitor", "programs/model_fit_by_model/capacitor.csv");
    pictures("proc vitalyx data=capacitor;\n class temperature;\n distribution weibull;\n"
             " model time*status(0) = voltage temperature / relation=pow;\n probplot time*status(0) = temperature / fit=model;\nrun;\n",
             c, 1, "capacitors-model");
    const dp::Run r = dp::run("proc vitalyx data=capacitor;\n class temperature;\n distribution weibull;\n"
                              " model time*status(0) = voltage temperature / relation=pow;\n"
                              " probplot time*status(0) = temperature / fit=model;\nrun;\n",
                              c);
    ASSERT_EQ(r.pages.size(), 1u);
    int scales = 0;
    for (const rt::gfx::Prim* t : r.pages[0].of(rt::gfx::Prim::Text)) {
        if (t->text != "Scale") continue;
        ++scales;
        EXPECT_GT(t->xy[0], 50.0) << "panel " << scales;
    }
    EXPECT_EQ(scales, 2);
}

// The valve seats of 41 engines: the MCF steps, their limits and the units' ends.
TEST(Pictures, ValveSeats) {
    pictures("proc vitalyx data=v;\n unitid engine;\n mcfplot days*n(-1) / interpolate=step;\nrun;\n", data("v", "data/mcf/valve.csv"), 1,
             "valve");
}

// The bladder-tumour study's two treatments: overlaid, a panel each, and their difference
// with its limits on both sides of 0.
TEST(Pictures, TwoGroupRecurrences) {
    const std::string prog = "proc vitalyx data=b;\n unitid unit;\n mcfplot age*n(-1) = rx / interpolate=step ";
    const auto b = data("b", "data/mcf/bladder.csv");
    pictures(prog + "overlay;\nrun;\n", b, 1, "bladder-overlay");
    pictures(prog + "ncols=2;\nrun;\n", b, 1, "bladder-side-by-side");
    pictures(prog + "mcfdiff;\nrun;\n", b, 1, "bladder-difference");
}

}  // namespace
