// The relation panel of the probability-plot pages read back from the recordings: what
// PLOTDATA draws per level, READOUT and interval data, and the MODEL fit's lines carried on
// to the ends of their span.
#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using dp::Page;
using rt::gfx::Prim;

std::vector<const Prim*> polylines(const Page& p, size_t points) {
    std::vector<const Prim*> v;
    for (const Prim* q : p.of(Prim::Polyline))
        if (q->xy.size() == 2 * points) v.push_back(q);
    return v;
}

// PLOTDATA=NONE: the percentile lines and the reference lines, no markers and no boxes.
TEST(RelationPanel, PlotdataNoneDrawsOnlyTheLines) {
    dp::Run r = dp::run("proc vitalyx data=insul;\n distribution lognormal;\n"
                        " relationplot hours = temp / relation=arr plotdata=none plotfit=10 90 sref=230;\nrun;\n",
                        {{"insul", testdata::insulation}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    EXPECT_TRUE(p.markers().empty());
    EXPECT_TRUE(p.of(Prim::Fill).empty());
    EXPECT_EQ(polylines(p, 4).size(), 2u);   // a line through the four levels per percentile
    int tall = 0;                            // the SREF line across the frame
    for (const Prim* q : p.of(Prim::Line)) tall += q->xy[0] == q->xy[2] && std::fabs(q->xy[3] - q->xy[1]) > 30;
    EXPECT_GE(tall, 1);
    EXPECT_TRUE(p.hastext("Percentiles:"));
    // NOFITLINE: the levels carry no fit to draw a line from, so no legend of the lines either.
    dp::Run nf = dp::run("proc vitalyx data=insul;\n distribution lognormal;\n"
                         " relationplot hours = temp / relation=arr plotfit=50 nofitline;\nrun;\n",
                         {{"insul", testdata::insulation}});
    ASSERT_EQ(nf.pages.size(), 1u);
    EXPECT_TRUE(polylines(nf.pages[0], 4).empty());
    EXPECT_FALSE(nf.pages[0].hastext("Percentile:")) << "a legend of lines not drawn";

    // A single stress level has its markers but no line to draw.
    std::string one = "temp,hours\n";
    for (int k = 1; k <= 8; ++k) one += "220," + std::to_string(1000 + 150 * k) + "\n";
    dp::Run s = dp::run("proc vitalyx data=one;\n distribution lognormal;\n"
                        " relationplot hours = temp / relation=arr stresslower=150 stressupper=300 plotdata=data plotfit=50;\nrun;\n",
                        {{"one", one}});
    ASSERT_EQ(s.status, 0) << s.log.all();
    ASSERT_EQ(s.pages.size(), 1u);
    EXPECT_EQ(s.pages[0].markers().size(), 8u + 1u);   // and the symbol legend's
    for (const Prim* q : s.pages[0].of(Prim::Polyline)) {
        const size_t n = q->xy.size();   // only closed outlines (the legend's frame)
        EXPECT_TRUE(q->xy[0] == q->xy[n - 2] && q->xy[1] == q->xy[n - 1]) << n / 2 << " points";
    }
}

// READOUT counts have no markers per level; an interval with equal ends is an exact failure
// at that life.
TEST(RelationPanel, ReadoutAndEqualIntervalEnds) {
    const std::string readout = "temp,hours,fails,ontest\n"
                                "150,100,2,20\n150,200,3,18\n150,300,4,15\n200,100,4,20\n200,200,5,16\n200,300,6,11\n";
    dp::Run r = dp::run("proc vitalyx data=r;\n distribution weibull;\n freq fails;\n nenter ontest;\n"
                        " relationplot hours = temp / readout plotfit=50;\nrun;\n",
                        {{"r", readout}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_TRUE(r.pages[0].markers().empty());

    dp::Run e = dp::run("proc vitalyx data=i;\n distribution lognormal;\n"
                        " relationplot (lo hi) = temp / plotdata=data;\nrun;\n",
                        {{"i", "temp,lo,hi\n150,500,500\n150,600,900\n150,700,700\n200,300,300\n200,250,400\n200,350,350\n"}});
    ASSERT_EQ(e.status, 0) << e.log.all();
    ASSERT_EQ(e.pages.size(), 1u);
    const Page& p = e.pages[0];
    const dp::Axis a = dp::labels(p, true);
    std::vector<double> u;
    for (double v : a.value) u.push_back(std::log10(v));
    const dp::Fit life = dp::linefit(u, a.pos);
    // Markers at 500 and 700 (equal ends), at the 600-900 midpoint 750, and the others.
    std::vector<double> at;
    for (auto [x, y] : p.markers()) at.push_back(std::pow(10.0, (y - life.a) / life.b));
    auto has = [&](double t) {
        for (double v : at)
            if (std::fabs(v / t - 1) < 2e-3) return true;
        return false;
    };
    EXPECT_TRUE(has(500) && has(700) && has(750) && has(300) && has(350) && has(325));
}

// FITTYPE=MODEL: the lines through the levels go on along the MODEL to the ends of the span,
// straight on log-log paper with the power relation.
TEST(RelationPanel, ModelLinesGoOnToTheEndsOfTheirSpan) {
    dp::Run r = dp::run("proc vitalyx data=c;\n class temperature;\n distribution weibull;\n"
                        " model time*status(0) = voltage temperature / relation=pow;\n"
                        " relationplot time*status(0) = voltage / fit=model relation=pow plotfit=10 50;\nrun;\n",
                        {{"c", testdata::file("programs/model_fit_by_model/capacitor.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const auto levels = polylines(p, 4), ends = polylines(p, 2);
    ASSERT_EQ(levels.size(), 2u);
    ASSERT_EQ(ends.size(), 4u);
    const dp::Axis b = dp::labels(p, false);
    std::vector<double> u;
    for (double v : b.value) u.push_back(std::log10(v));
    const dp::Fit sx = dp::linefit(u, b.pos);
    // Stress axis 100 to 1000: PCNTLLOWER 5% and PCNTLUPPER 10% (two MODEL variables).
    const double lo = std::log10(100 + 0.05 * 900), hi = std::log10(1000 - 0.10 * 900);
    for (int i = 0; i < 2; ++i) {
        std::vector<double> x, y;
        for (size_t k = 0; k < 8; k += 2) x.push_back(levels[i]->xy[k]), y.push_back(levels[i]->xy[k + 1]);
        const Prim* first = ends[2 * i];
        const Prim* last = ends[2 * i + 1];
        EXPECT_NEAR(first->xy[0], levels[i]->xy[0], 1e-6);
        EXPECT_NEAR(last->xy[0], levels[i]->xy[6], 1e-6);
        EXPECT_NEAR((first->xy[2] - sx.a) / sx.b, lo, 1e-3);
        EXPECT_NEAR((last->xy[2] - sx.a) / sx.b, hi, 1e-3);
        x.push_back(first->xy[2]), y.push_back(first->xy[3]);
        x.push_back(last->xy[2]), y.push_back(last->xy[3]);
        EXPECT_LT(dp::linefit(x, y).worst, 1e-3) << "percentile line " << i;
    }
}

}  // namespace
