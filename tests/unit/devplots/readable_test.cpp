// What a reader takes off a device page must be there to read: an inset that keeps clear of
// the reference lines' labels (on MCF plots too), tick labels along a turned probability axis
// that do not run into one number, a Weibayes inset that gives its confidence as given,
// binned censored counts that count every censored unit, and a legend that shows no sample of
// a line that is nowhere drawn.
#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using dp::Page;
using rt::gfx::Prim;

struct Box {
    double x0, y0, x1, y1;
    bool meets(const Box& b) const { return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1; }
};

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
        Box b{1e9, 1e9, -1e9, -1e9};
        for (size_t k = 0; k + 1 < n; k += 2)
            b = {std::min(b.x0, q->xy[k]), std::min(b.y0, q->xy[k + 1]), std::max(b.x1, q->xy[k]), std::max(b.y1, q->xy[k + 1])};
        v.push_back(b);
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

}  // namespace
