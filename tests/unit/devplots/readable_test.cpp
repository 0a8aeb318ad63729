// What a reader takes off a device page must be there to read: an inset that keeps clear of
// the reference lines' labels (on MCF plots too), tick labels along a turned probability axis
// that do not run into one number, a Weibayes inset that gives its confidence as given,
// binned censored counts that count every censored unit, a legend that shows no sample of
// a line that is nowhere drawn, an inset clear of the limit bars, the values read off at
// intersections clear of the reference labels (and at the B10 life under ROTATE), and the
// inset and axis of a fit without an estimate.
#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"
#include "tests/unit/statgraph/pagereader.h"

namespace {

using dp::Page;
using rt::gfx::Prim;

using dp::Box;

// The box of a text from its anchor and baseline (y up): the face's ascent above the
// baseline, its descent below.
Box textbox(const Page& pg, const Prim& t) {
    const double w = dp::labelwidth(pg, t);
    const rt::gfx::TextExtent e = rt::gfx::measure(t.text, t.style);
    const double up = e.ascent / pg.h * 100.0, down = e.descent / pg.h * 100.0;
    const double x0 = t.anchor == rt::gfx::Anchor::End ? t.xy[0] - w : t.anchor == rt::gfx::Anchor::Middle ? t.xy[0] - w / 2 : t.xy[0];
    return {x0, t.xy[1] - down, x0 + w, t.xy[1] + up};
}

// The boxes of the closed outlines of four corners (the inset's frame on a page without a
// legend).
std::vector<Box> outlines(const Page& pg) {
    std::vector<Box> v;
    for (const Prim* q : pg.of(Prim::Polyline)) {
        const size_t n = q->xy.size();
        if (n != 10 || q->xy[0] != q->xy[n - 2] || q->xy[1] != q->xy[n - 1]) continue;
        v.push_back(dp::rectof(*q));
    }
    return v;
}

// Ball bearings on Weibull paper with labelled reference lines: the labels of 25, 50 and 100
// million revolutions along the top and B10, B50, B90 at the left fill the upper left corner,
// where the inset stood over "B90" and the first two; it takes a corner that leaves them
// (and the line, the band and the points) clear. With every label at the right
// (VREFLABPOS=2) the labels' corners change and the inset still meets none of them.
TEST(Readable, InsetKeepsClearOfTheReferenceLabels) {
    const std::vector<std::string> refs = {"25 Mrev", "50 Mrev", "100 Mrev", "B10", "B50", "B90"};
    for (const std::string pos : {"", " vreflabpos=2 hreflabpos=3"}) {
        dp::Run r = dp::run("proc vitalyx data=b;\n distribution weibull;\n probplot cycles / href=25 50 100"
                            " hreflabels='25 Mrev' '50 Mrev' '100 Mrev' vref=10 50 90 vreflabels='B10' 'B50' 'B90'" +
                                pos + ";\nrun;\n",
                            {{"b", testdata::bearings}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        const std::vector<Box> frames = outlines(p);
        ASSERT_EQ(frames.size(), 1u) << "the inset's frame";
        const Prim* scale = p.text("Scale");
        ASSERT_NE(scale, nullptr);
        EXPECT_TRUE(frames[0].meets(textbox(p, *scale)));
        for (const std::string& label : refs) {
            const Prim* t = p.text(label);
            ASSERT_NE(t, nullptr) << label << pos;
            EXPECT_FALSE(frames[0].meets(textbox(p, *t))) << label << " under the inset" << pos;
        }
    }
}

// The insulating fluid's breakdown minutes at 26 to 38 kV (Nelson), Weibull on the power
// relation with the probability panel: the turned probability axis along the bottom read
// "30 4050" and "7080 90", labels whose ends touched. Every two neighbours now stand at
// least a blank apart (more than the 0.05 text heights the upright axis keeps).
TEST(Readable, TurnedProbabilityLabelsStandABlankApart) {
    const std::string fluid =
        "time,voltage\n5.79,26\n1579.52,26\n2323.7,26\n7.74,30\n17.05,30\n20.46,30\n21.02,30\n22.66,30\n43.4,30\n47.3,30\n"
        "139.07,30\n144.12,30\n175.88,30\n194.9,30\n0.19,34\n0.78,34\n0.96,34\n1.31,34\n2.78,34\n3.16,34\n4.15,34\n4.67,34\n"
        "4.85,34\n6.5,34\n7.35,34\n8.01,34\n8.27,34\n12.06,34\n31.75,34\n32.52,34\n33.91,34\n36.71,34\n72.89,34\n0.09,38\n"
        "0.39,38\n0.47,38\n0.73,38\n0.74,38\n1.13,38\n1.4,38\n2.38,38\n";
    for (const std::string dist : {"weibull", "lognormal"}) {
        dp::Run r = dp::run("proc vitalyx data=f;\n distribution " + dist +
                                ";\n relationplot time = voltage / relation=pow plotfit=10 50 90 plotdata=data pplot;\nrun;\n",
                            {{"f", fluid}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        // The numbers standing centred under a tick of a bottom axis (the legend's have none).
        std::vector<const Prim*> bottom;
        for (const Prim* t : p.of(Prim::Text)) {
            bool ok = false;
            dp::number(t->text, &ok);
            if (ok && t->anchor == rt::gfx::Anchor::Start && t->angle == 0 && dp::tickat(p, t->xy[0] + 0.5 * dp::labelwidth(p, *t), false))
                bottom.push_back(t);
        }
        std::sort(bottom.begin(), bottom.end(), [](const Prim* a, const Prim* b) { return a->xy[0] < b->xy[0]; });
        ASSERT_GE(bottom.size(), 8u) << dist;   // 2 5 10 20 30 40 ... and the stress axis's 10 100
        std::string row;
        for (const Prim* t : bottom) row += t->text + " ";
        const double blank = rt::gfx::measure(" ", bottom[0]->style).width / p.w * 100.0;
        const double stated = 0.05 * bottom[0]->style.size / p.h * 100.0 * 0.75;
        ASSERT_GT(blank, stated);
        for (size_t k = 1; k < bottom.size(); ++k) {
            const double gap = bottom[k]->xy[0] - (bottom[k - 1]->xy[0] + dp::labelwidth(p, *bottom[k - 1]));
            EXPECT_GE(gap, blank - 1e-9) << bottom[k - 1]->text << " and " << bottom[k]->text << " in " << row << "(" << dist << ")";
        }
    }
}

// A Weibayes fit at CONF=0.9 (the statement keeps -ln(1 - 0.9)): the inset gives the
// confidence as 90%, not 230.26%, on both roads.
TEST(Readable, WeibayesInsetGivesTheConfidenceAsGiven) {
    for (const bool statistical : {false, true}) {
        dp::Options o;
        o.statistical = statistical;
        dp::Run r = dp::run("proc vitalyx data=fans;\n distribution weibull;\n"
                            " probplot hours*status(1) / fit=weibayes(conf=0.9) shape=2;\n inset confidence fit;\nrun;\n",
                            {{"fans", testdata::file("data/lifedist/fans.csv")}}, o);
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        std::string texts;
        for (const std::string& t : r.pages[0].texts()) texts += "[" + t + "]";
        EXPECT_TRUE(r.pages[0].hastext("90%")) << (statistical ? "statistical: " : "device: ") << texts;
    }
}

// The diesel fans, 58 of 70 censored, the last at 11,500 hours: the counts of CENBIN (and of
// CCENBIN, bins at the ticks only) in the strip above the frame add up to every censored fan.
// The axis ended at 10,000 hours, the last failure's decade, and four fans were in no bin.
TEST(Readable, BinnedCensoredCountsAddUpToEveryCensoredUnit) {
    const std::string fans = testdata::file("data/lifedist/fans.csv");
    for (const std::string opt : {"cenbin", "ccenbin"}) {
        dp::Run r = dp::run("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(1) / " + opt + " noinset;\nrun;\n",
                            {{"d", fans}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        const dp::Axis bottom = dp::labels(p, false);
        ASSERT_FALSE(bottom.value.empty());
        EXPECT_GE(*std::max_element(bottom.value.begin(), bottom.value.end()), 11500) << opt;
        EXPECT_EQ(dp::stripcounts(p), 58) << opt;
    }
}

// Two groups overlaid: with fitted lines the legend shows each symbol on a sample of its
// group's line; with NOFITLINE no line is drawn, and the legend shows the symbols alone.
TEST(Readable, OverlayLegendShowsLinesOnlyWhereTheyAreDrawn) {
    std::string data = "batch,cycles\n";
    const std::vector<double> t = testdata::bearingtimes();
    for (size_t k = 0; k < t.size(); ++k) data += (k % 2 ? "second," : "first,") + std::to_string(t[k]) + "\n";
    for (const bool nofit : {false, true}) {
        dp::Run r = dp::run(std::string("proc vitalyx data=d;\n distribution weibull;\n probplot cycles = batch / overlay") +
                                (nofit ? " nofitline" : "") + ";\nrun;\n",
                            {{"d", data}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        for (const char* entry : {"first", "second"}) {
            const Prim* e = p.text(entry);
            ASSERT_NE(e, nullptr) << entry;
            const double h = e->style.size / p.h * 100.0;
            bool sample = false;   // a line ending left of the entry at its height
            for (const Prim* q : p.of(Prim::Line)) {
                const auto& c = q->xy;
                sample = sample || (std::fabs(c[1] - c[3]) < 1e-9 && c[1] > e->xy[1] - 0.5 * h && c[1] < e->xy[1] + h &&
                                    std::max(c[0], c[2]) <= e->xy[0] && std::min(c[0], c[2]) > e->xy[0] - 12);
            }
            EXPECT_EQ(sample, !nofit) << entry << (nofit ? " with NOFITLINE" : "");
        }
    }
}

// The valve seats' MCF with labelled reference lines: "40 days" stands in the upper left
// corner, where the inset stood over it. The inset takes a corner that the labels, the curve,
// its limits and its points leave clear.
TEST(Readable, McfInsetKeepsClearOfTheLabelsAndTheCurve) {
    dp::Run r = dp::run("proc vitalyx data=v;\n unitid engine;\n mcfplot days*n(-1) / interpolate=step vref=0.5 1"
                        " vreflabels='half' 'one' href=40 400 hreflabels='40 days' '400 days';\n inset nunits nevents;\nrun;\n",
                        {{"v", testdata::file("data/mcf/valve.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const std::vector<Box> frames = outlines(p);
    ASSERT_EQ(frames.size(), 1u) << "the inset's frame";
    for (const std::string label : {"40 days", "400 days", "half", "one"}) {
        const Prim* t = p.text(label);
        ASSERT_NE(t, nullptr) << label;
        EXPECT_FALSE(frames[0].meets(textbox(p, *t))) << label << " under the inset";
    }
    const Box& b = frames[0];
    for (const auto& [x, y] : p.markers()) EXPECT_FALSE(x > b.x0 && x < b.x1 && y > b.y0 && y < b.y1) << "a point under the inset";
    for (const Prim* q : p.of(Prim::Line)) {   // the steps of the curve and its limits
        const auto& c = q->xy;
        if (q->stroke.width > 0 && std::fabs(c[1] - c[3]) < 1e-9 && std::fabs(c[2] - c[0]) < 30) {
            EXPECT_FALSE(c[1] > b.y0 && c[1] < b.y1 && std::max(c[0], c[2]) > b.x0 && std::min(c[0], c[2]) < b.x1)
                << "a step under the inset at " << c[0] << "," << c[1];
        }
    }
}

// Whether the legend entry `entry` shows a sample of a line: a level line ending left of its
// text at its height.
bool linesample(const Page& p, const std::string& entry) {
    const Prim* e = p.text(entry);
    EXPECT_NE(e, nullptr) << entry;
    if (!e) return false;
    const double h = e->style.size / p.h * 100.0;
    for (const Prim* q : p.of(Prim::Line)) {
        const auto& c = q->xy;
        if (std::fabs(c[1] - c[3]) < 1e-9 && c[1] > e->xy[1] - 0.5 * h && c[1] < e->xy[1] + h && std::max(c[0], c[2]) <= e->xy[0] &&
            std::min(c[0], c[2]) > e->xy[0] - 12)
            return true;
    }
    return false;
}

// Three lots of the ball bearings and a last lot whose units are all censored: no fit, no line.
std::string lots() {
    std::string data = "lot,cycles,status\n";
    const std::vector<double> t = testdata::bearingtimes();
    for (size_t k = 0; k < t.size(); ++k) data += std::string(1, static_cast<char>('A' + k % 3)) + "," + std::to_string(t[k]) + ",1\n";
    for (int k = 0; k < 5; ++k) data += "D,30,0\n";
    return data;
}

// Overlaid, the three fitted lots show their symbols on samples of their lines, and lot D,
// which has no line, its symbol alone, on both roads; each fitted lot has the percent read off
// at LREF=50 (the device road drew none after a last lot without a fit).
TEST(Readable, LegendShowsNoLineForALevelWithoutAFit) {
    for (const bool statistical : {false, true}) {
        dp::Options o;
        o.statistical = statistical;
        dp::Run r = dp::run("proc vitalyx data=d;\n distribution weibull;\n probplot cycles*status(0) = lot / overlay"
                            " lref=50 intersect lreflabels='50 Mrev';\nrun;\n",
                            {{"d", lots()}}, o);
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        for (const char* entry : {"A", "B", "C", "D"})
            EXPECT_EQ(linesample(r.pages[0], entry), std::string(entry) != "D") << entry << (statistical ? " (statistical)" : " (device)");
        int values = 0;   // percents written to two decimals
        for (const std::string& t : r.pages[0].texts()) {
            bool ok = false;
            const double v = dp::number(t, &ok);
            values += ok && v > 0 && v < 100 && t.size() > 3 && t[t.size() - 3] == '.';
        }
        EXPECT_EQ(values, 3) << (statistical ? "statistical" : "device");
    }
}

// The diesel fans with NPINTERVALS=SIMULTANEOUS: the inset stood in the upper left corner over
// two upper limit bars; it takes a corner that no bar (a short level line) reaches into.
TEST(Readable, InsetKeepsClearOfTheLimitBars) {
    dp::Run r = dp::run("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(1) / npintervals=simultaneous;\nrun;\n",
                        {{"d", testdata::file("data/lifedist/fans.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const std::vector<Box> frames = outlines(p);
    ASSERT_EQ(frames.size(), 1u) << "the inset's frame";
    const Box& b = frames[0];
    int bars = 0;
    for (const Prim* q : p.of(Prim::Line)) {
        const auto& c = q->xy;
        if (std::fabs(c[1] - c[3]) > 1e-9 || std::fabs(c[2] - c[0]) > 2) continue;
        ++bars;
        EXPECT_FALSE(c[1] > b.y0 && c[1] < b.y1 && std::max(c[0], c[2]) > b.x0 && std::min(c[0], c[2]) < b.x1)
            << "a limit bar under the inset at " << c[0] << "," << c[1];
    }
    EXPECT_GE(bars, 20);
}

// The ball bearings with the values read off at the intersections of LREF=50 100 and
// PREF=10 63.2: "81.87" (the life at 63.2 percent) ran into "100 Mrev". On both roads no two
// of the reference labels and values meet, and each value is written once.
TEST(Readable, IntersectionValuesKeepClearOfTheReferenceLabels) {
    const std::vector<std::string> texts = {"50 Mrev", "100 Mrev", "B10", "eta", "28.07", "81.87", "29.85", "78.18"};
    for (const bool statistical : {false, true}) {
        dp::Options o;
        o.statistical = statistical;
        dp::Run r = dp::run("proc vitalyx data=b;\n distribution weibull;\n probplot cycles / lref=50 100 intersect"
                            " lreflabels='50 Mrev' '100 Mrev' pref=10 63.2 intersect preflabels='B10' 'eta';\nrun;\n",
                            {{"b", testdata::bearings}}, o);
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        std::vector<Box> boxes;
        for (const std::string& t : texts) {
            const Prim* q = p.text(t);
            ASSERT_NE(q, nullptr) << t << (statistical ? " (statistical)" : " (device)");
            boxes.push_back(dp::glyphbox(p, *q));
        }
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j)
                EXPECT_FALSE(boxes[i].meets(boxes[j])) << texts[i] << " meets " << texts[j] << (statistical ? " (statistical)" : " (device)");
    }
}

// The diesel fans turned (ROTATE) with LREF=5000 and PREF=10 INTERSECT: the B10 life, 3137
// hours, is marked by a level line across the frame labelled "3137" at that height; the
// 5000-hour line has no intersection (F(5000 h) = 15.85 percent is nowhere written).
TEST(Readable, RotatedPrefIntersectionMarksTheB10Life) {
    dp::Run r = dp::run("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(1) / rotate lref=5000 lreflabels='5000 h'"
                        " pref=10 intersect preflabels='B10' noinset;\nrun;\n",
                        {{"d", testdata::file("data/lifedist/fans.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    EXPECT_FALSE(p.hastext("15.85"));
    const Prim* b10 = p.text("3137");
    ASSERT_NE(b10, nullptr);
    // The life axis up the left, read from its labels (log hours).
    const dp::Axis left = dp::labels(p, true);
    ASSERT_GE(left.value.size(), 3u);
    std::vector<double> u;
    for (double v : left.value) u.push_back(std::log10(v));
    const dp::Fit axis = dp::linefit(u, left.pos);
    // A level line across the frame at 3137 hours (Weibull scale 26296.84, shape 1.058446:
    // 26296.84 (-ln 0.9)^(1/1.058446) = 3137.2), with the value beside it.
    const double y = axis.a + axis.b * std::log10(3137.2), h = b10->style.size / p.h * 100.0;
    bool across = false;
    for (const Prim* q : p.of(Prim::Line)) {
        const auto& c = q->xy;
        across = across || (std::fabs(c[1] - c[3]) < 1e-9 && std::fabs(c[1] - y) < 0.2 && std::fabs(c[2] - c[0]) > 50);
    }
    EXPECT_TRUE(across);
    EXPECT_LT(std::fabs(b10->xy[1] + 0.3 * h - y), 1.5 * h) << "the value stands beside its line";
}

// One failure on Weibull paper (the fit has no estimate, 510/2140): the default inset shows the
// counts and the method, no parameters and no confidence; an INSET statement that names them
// reads "no estimate"; the probability axis runs from 40 to 60 percent around the point at 50,
// on both roads (the device page was empty, the axis of no length).
TEST(Readable, AFitWithoutAnEstimateShowsNoParameters) {
    for (const bool statistical : {false, true}) {
        dp::Options o;
        o.statistical = statistical;
        const std::string road = statistical ? " (statistical)" : " (device)";
        dp::Run r = dp::run("proc vitalyx data=d;\n distribution weibull;\n probplot t;\n probplot t;\n"
                            " inset weibull(scale shape) confidence fit;\nrun;\n",
                            {{"d", "t\n1234\n"}}, o);
        ASSERT_EQ(r.status, 0) << r.log.all();
        EXPECT_TRUE(dp::hasmsg(r.log, 2140));
        ASSERT_EQ(r.pages.size(), 2u);
        const Page& p = r.pages[0];
        for (const char* t : {"Uncensored", "Fit", "Maximum Likelihood"}) EXPECT_TRUE(p.hastext(t)) << t << road;
        for (const char* t : {"Scale", "Shape", "Confidence", "95%"}) EXPECT_FALSE(p.hastext(t)) << t << road;
        const std::vector<std::string> asked = r.pages[1].texts();
        EXPECT_EQ(std::count(asked.begin(), asked.end(), std::string("no estimate")), 3) << road;
        const auto f = pagereader::readpage(p, {{pagereader::Axis::Log, pagereader::Axis::Weibull}});
        ASSERT_EQ(f.size(), 1u) << road;
        const double lo = std::min(f[0].sy.data(f[0].y0), f[0].sy.data(f[0].y1)), hi = std::max(f[0].sy.data(f[0].y0), f[0].sy.data(f[0].y1));
        EXPECT_LE(lo, pagereader::scaled(pagereader::Axis::Weibull, 40) + 1e-3) << road;
        EXPECT_GE(hi, pagereader::scaled(pagereader::Axis::Weibull, 60) - 1e-3) << road;
    }
}

}  // namespace
