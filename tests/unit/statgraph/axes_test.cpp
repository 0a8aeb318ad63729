// Axes that do not mislead, read back from the pages: a probability axis without a plotted
// point, and one between PCTLOWER and PCTUPPER, spans what the device road's does on both roads;
// a base-10 lognormal fit says so on both roads; tick labels of times whose spread is small
// beside their size tell the ticks apart; NOPPOS leaves the points out of the statistical page
// while its rows stay; and the log says when ANNOTATE= draws nothing or a reference label is cut.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "runtime/sgraph/frame.h"
#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"
#include "tests/unit/statgraph/graphrun.h"
#include "tests/unit/statgraph/pagereader.h"

namespace {

using pagereader::Axis;
using pagereader::Prim;
using pagereader::readpage;
using pagereader::scaled;

struct Roads {
    dp::Run device, statistical;
    explicit Roads(const std::string& program, const std::map<std::string, std::string>& data) {
        device = dp::run(program, data);
        statistical = dp::run("options graphics=statistical;\n" + program, data);
        EXPECT_EQ(device.status, 0) << device.log.all();
        EXPECT_EQ(statistical.status, 0) << statistical.log.all();
    }
};

// The probability axis of a page of Weibull paper, read back: its bottom and top in percent.
std::pair<double, double> percentends(const dp::Page& pg) {
    const auto p = readpage(pg, {{Axis::Log, Axis::Weibull}});
    if (p.size() != 1) return {NAN, NAN};
    auto percent = [](double q) { return 100 * -std::expm1(-std::exp(q)); };
    return {percent(p[0].sy.data(p[0].y0)), percent(p[0].sy.data(p[0].y1))};
}

// Five fans withdrawn unfailed, fitted by Weibayes with a shape of 2: no plotted point. On the
// device road the probability axis keeps its default 0.1 to 95 percent; the statistical road
// ran from 1e-10 percent, the fitted line's reach, squeezing the line into the frame's top.
// PCTLOWER and PCTUPPER are the axis's ends on both roads: not the tick a decade below (the
// tick list's six digits missed -11.512925 by 2e-5) nor one in the margin above.
TEST(StatAxes, ProbabilityAxisWithoutPointsAndBetweenGivenEnds) {
    Roads r("proc vitalyx data=z;\n distribution weibull;\n probplot hours*status(0) / fit=weibayes shape=2;\nrun;\n"
            "proc vitalyx data=f;\n distribution weibull;\n probplot hours*status(1) / pctlower=0.001 pctupper=99.999;\n"
            " probplot hours*status(1) / pctlower=0.01 pctupper=99.99;\nrun;\n",
            {{"z", "hours,status\n1200,0\n1500,0\n2100,0\n2500,0\n3000,0\n"}, {"f", testdata::file("programs/fit_weibull_fans/fans.csv")}});
    ASSERT_EQ(r.device.pages.size(), 3u);
    ASSERT_EQ(r.statistical.pages.size(), 3u);
    const double ends[][2] = {{0.1, 95}, {0.001, 99.999}, {0.01, 99.99}};
    for (size_t k = 0; k < 3; ++k)
        for (const dp::Run* run : {&r.device, &r.statistical}) {
            const std::string road = run == &r.device ? "device" : "statistical";
            SCOPED_TRACE(road + " page " + std::to_string(k));
            const auto [lo, hi] = percentends(run->pages[k]);
            // The frames end at the end ticks or a little beyond them (a fiftieth of the axis).
            const double a = scaled(Axis::Weibull, ends[k][0]), b = scaled(Axis::Weibull, ends[k][1]), m = 0.025 * (b - a);
            const double qlo = scaled(Axis::Weibull, lo), qhi = scaled(Axis::Weibull, hi);
            EXPECT_TRUE(qlo > a - m && qlo < a + 1e-3 * m) << lo << " percent at the bottom";
            EXPECT_TRUE(qhi < b + m && qhi > b - 1e-3 * m) << hi << " percent at the top";
        }
    // The top tick of the statistical road is labelled, though the ticks crowd there.
    EXPECT_TRUE(r.statistical.pages[1].hastext("0.001") && r.statistical.pages[1].hastext("99.999"));
    EXPECT_TRUE(r.statistical.pages[2].hastext("0.01") && r.statistical.pages[2].hastext("99.99"));
}

// LNORM10 prints "Lognormal (base 10)" in the listing; its pages said "Lognormal" beside a
// location of 1.8 (a base-10 logarithm of 63 million revolutions) and nothing of base 10.
TEST(StatAxes, BaseTenLognormalSaysSoOnBothRoads) {
    Roads r("proc vitalyx data=b;\n distribution lnorm10;\n probplot cycles;\nrun;\n", {{"b", testdata::bearings}});
    ASSERT_EQ(r.device.pages.size(), 1u);
    ASSERT_EQ(r.statistical.pages.size(), 1u);
    EXPECT_TRUE(r.device.pages[0].hastext("cycles on Lognormal (base 10) probability paper"));
    EXPECT_TRUE(r.statistical.pages[0].hastext("Lognormal (base 10) Probability Plot"));
}

// The numbers written under a page's first frame, left to right.
struct Label {
    double x, value;   // the label's middle, the number it reads
    std::string text;
    bool operator<(const Label& o) const { return x < o.x; }
};
std::vector<Label> bottomlabels(const dp::Page& pg) {
    const Prim* clip = nullptr;
    for (const Prim& q : pg.prims)
        if (q.kind == Prim::PushClip && !clip) clip = &q;
    std::vector<Label> v;
    if (!clip) return v;
    const double y0 = std::min(clip->xy[1], clip->xy[3]);
    for (const Prim* t : pg.of(Prim::Text)) {
        char* end = nullptr;
        const double x = std::strtod(t->text.c_str(), &end);
        if (t->angle == 0 && t->xy[1] < y0 && !t->text.empty() && *end == '\0') v.push_back({pagereader::centre(pg, *t), x, t->text});
    }
    std::sort(v.begin(), v.end());
    return v;
}

// Times whose spread is small beside their size: the ball bearings written as 1000000 plus a
// ten-thousandth of their revolutions, and as seconds since 1970 (1.7e9 plus the revolutions
// as seconds). Six significant digits wrote "1000000" and "1.7e+09" at every tick; each label now
// has the digits of its step, they differ and grow with the axis at one rate. An axis whose
// labels read apart keeps them as they were.
TEST(StatAxes, TickLabelsTellTheTicksApart) {
    std::string near = "t\n", epoch = "t\n";
    for (double c : testdata::bearingtimes()) {
        char b[64];
        std::snprintf(b, sizeof b, "%.6f\n", 1000000 + c * 1e-4);
        near += b;
        std::snprintf(b, sizeof b, "%.2f\n", 1.7e9 + c);
        epoch += b;
    }
    dp::Options o;
    o.statistical = true;
    const dp::Run r = dp::run("proc vitalyx data=n;\n distribution normal;\n probplot t;\nrun;\n"
                              "proc vitalyx data=e;\n distribution normal;\n probplot t;\nrun;\n",
                              {{"n", near}, {"e", epoch}}, o);
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE("page " + std::to_string(k));
        const auto labels = bottomlabels(r.pages[k]);
        ASSERT_GE(labels.size(), 3u);
        // Values relative to the first label: the differences, not the large values, carry the step.
        const double x0 = labels[0].x, v0 = labels[0].value;
        const double rate = (labels.back().value - v0) / (labels.back().x - x0);
        EXPECT_GT(rate, 0);
        for (size_t j = 1; j < labels.size(); ++j) {
            EXPECT_GT(labels[j].value, labels[j - 1].value) << labels[j].text << " reads as " << labels[j - 1].text;
            EXPECT_NEAR(labels[j].value - v0, rate * (labels[j].x - x0), 1e-3 * (labels.back().value - v0)) << labels[j].text;
            // Plain decimals, shorter here than exponent notation with the digits needed.
            EXPECT_EQ(labels[j].text.find('e'), std::string::npos) << labels[j].text;
        }
    }
    // Labels that read apart stay as they are.
    rt::sgr::Axis a = rt::sgr::linearaxis(0, 250, 5);
    const std::vector<std::string> before = a.labels;
    rt::sgr::steplabels(a);
    EXPECT_EQ(a.labels, before);
    EXPECT_EQ(rt::sgr::logaxis(1, 1000).labels, (std::vector<std::string>{"1", "10", "100", "1000"}));
}

class StatRows : public sgtest::GraphRun {};

// NOPPOS: the statistical page draws the fitted line and its band alone, as the device road
// and the statement's documentation say; the phantom keeps the points' rows (the axes span them).
TEST_F(StatRows, NoPposLeavesThePointsOutOfThePage) {
    dataset("b", testdata::bearings);
    const auto& r = run("proc vitalyx data=b; distribution weibull; probplot cycles / noppos; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    EXPECT_EQ(graphs[0].v("_NoPPos").i, 1);
    const auto& x = graphs[0].data[0].n("XPPlot");
    EXPECT_EQ(std::count_if(x.begin(), x.end(), [](double v) { return std::isfinite(v); }), 23);
    const rt::gfx::RecordingCanvas* pg = page(0);
    ASSERT_NE(pg, nullptr);
    int markers = 0, lines = 0;
    for (const Prim& q : pg->prims) markers += q.kind == Prim::Markers, lines += q.kind == Prim::Polyline && q.stroke.width > 1.2;
    EXPECT_EQ(markers, 0);
    EXPECT_EQ(lines, 1);
}

// The log says what the page does not: ANNOTATE= on statistical graphics draws nothing (a note
// for each statement that gives it, none on the device road), and a reference label longer than
// the 16 characters the plots write is cut (one note per option, naming it as written and cut).
TEST(StatAxes, NotesOnAnnotationAndLongReferenceLabels) {
    const std::string program = "proc vitalyx data=b;\n distribution weibull;\n probplot cycles / annotate=a;\n"
                                " probplot cycles / lref=50 80 lreflabels='fifty million revolutions' 'eighty' href=60\n"
                                "   hreflabels='sixty';\nrun;\n";
    const std::map<std::string, std::string> data = {{"b", testdata::bearings}, {"a", "x,y,xsys,ysys,function\n50,50,2,2,label\n"}};
    dp::Options o;
    const dp::Run dev = dp::run(program, data, o);
    o.statistical = true;
    const dp::Run sg = dp::run(program, data, o);
    auto lines = [](const dp::Run& r, const std::string& piece) {
        int n = 0;
        for (const auto& l : r.log.lines) n += l.text.find(piece) != std::string::npos;
        return n;
    };
    EXPECT_EQ(lines(sg, "PROBPLOT statement (line 3): ANNOTATE= is accepted and has no effect on statistical graphics"), 1);
    EXPECT_EQ(lines(dev, "ANNOTATE= is accepted and has no effect"), 0);
    for (const dp::Run* r : {&dev, &sg}) {
        EXPECT_EQ(lines(*r, "1 label(s) of LREFLABELS= are longer than 16 bytes (16 characters of plain ASCII)"), 1);
        EXPECT_EQ(lines(*r, "(\"fifty million re\" for \"fifty million revolutions\")"), 1);
        EXPECT_EQ(lines(*r, "HREFLABELS="), 0);
    }
}

}  // namespace
