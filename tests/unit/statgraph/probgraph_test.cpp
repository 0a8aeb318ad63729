// PROBPLOT on the statistical road: the graph requests, templates and dynamic variables, and
// the phantom rows of points, fitted lines and reference lines, checked against closed forms
// of the distributions (the Weibull paper is linear in log time: y = log(-log(1 - p))).
#include <cmath>
#include <map>
#include <set>

#include "tests/unit/statgraph/graphrun.h"

namespace {

using sgtest::Graph;
using sgtest::GraphRun;
using sgtest::Phantom;
using sgtest::numbers;
using sgtest::qnorm;
using sgtest::quoted;

double qsev(double p) { return std::log(-std::log1p(-p)); }

class ProbGraphs : public GraphRun {};

TEST_F(ProbGraphs, WeibullPaperPointsLineAndReferences) {
    shipped("../../examples/fans.csv");
    const auto& r = run("proc vitalyx data=fans; freq count; distribution weibull; "
                        "probplot hours*status(0) / href=3000 intersect pref=10 intersect; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    const Graph& g = graphs[0];
    EXPECT_EQ(g.templ, "KV.Vitalyx.Graphics.ProbabilityPlot");
    EXPECT_EQ(g.varnames, (std::vector<std::string>{"_DName", "_Ticks", "_TickLabels", "_VMin", "_VMax", "_Grid", "_MLGrid", "_YType",
                                                    "_XType", "_XName", "_XLabel", "_SXLabel", "_YLabel", "_SYLabel",
                                                    "_NPInterval", "_TransConf", "_TransFit", "_ProbRefs", "_ProbScale"}));
    EXPECT_EQ(g.v("_ProbRefs").s, "10");   // the percents of the probability references' rows
    EXPECT_EQ(g.v("_ProbScale").s, "EXTREME");   // the axis's distribution, for a crossing beyond it
    EXPECT_EQ(g.v("_XType").s, "log");
    EXPECT_EQ(g.v("_YLabel").s, "Percent");
    // The probability axis: each tick at the Weibull quantile of its label.
    const auto pos = numbers(g.v("_Ticks").s), lab = quoted(g.v("_TickLabels").s);
    ASSERT_GE(pos.size(), 5u) << g.v("_Ticks").s;
    ASSERT_EQ(pos.size(), lab.size());
    for (size_t k = 0; k < pos.size(); ++k) EXPECT_NEAR(pos[k], qsev(lab[k] / 100), 1e-4) << lab[k];
    EXPECT_NE(g.v("_Ticks").s.back(), ' ');

    ASSERT_EQ(g.data.size(), 1u);
    const Phantom& d = g.data[0];
    EXPECT_EQ(d.cols, (std::vector<std::string>{"XPPlot", "YPPlot", "Plabel", "PYval", "Pupper", "Plower", "Freq", "Yupper", "Ylower",
                                                "Xvalue2", "Yvalue2", "Yupper2", "Ylower2", "Xupper2", "Xlower2", "Censor", "Index",
                                                "XRef", "YRef", "XRefLabel", "YRefLabel"}));
    // Points: at the quantile of their plotting position; censored marks at 7000 hours.
    size_t points = 0, marks = 0;
    for (size_t k = 0; k < d.rows; ++k) {
        if (!std::isnan(d.n("Plabel")[k])) {
            ++points;
            EXPECT_NEAR(d.n("YPPlot")[k], qsev(d.n("Plabel")[k]), 1e-12);
            EXPECT_TRUE(std::isnan(d.n("Censor")[k]));
        }
        if (!std::isnan(d.n("Censor")[k])) {
            ++marks;
            EXPECT_NEAR(d.n("Censor")[k], 7000, 1e-9);
            EXPECT_TRUE(std::isnan(d.n("XPPlot")[k])) << "a censored mark repeats no point";
        }
        EXPECT_TRUE(std::isnan(d.n("PYval")[k]));
        // Each row is one thing at most: a point, a censored mark, a piece of the line or a reference.
        const int kinds = !std::isnan(d.n("XPPlot")[k]) + !std::isnan(d.n("Censor")[k]) + !std::isnan(d.n("Xvalue2")[k]) +
                          (!std::isnan(d.n("XRef")[k]) || !std::isnan(d.n("YRef")[k]));
        EXPECT_LE(kinds, 1) << "row " << k;   // none: a table entry beyond the line's span
    }
    EXPECT_GT(points, 20u);
    EXPECT_GT(marks, 0u);
    // The fitted line is straight on Weibull paper: y = b ln t + a at every row.
    std::vector<std::pair<double, double>> line;
    for (size_t k = 0; k < d.rows; ++k)
        if (!std::isnan(d.n("Xvalue2")[k]) && !std::isnan(d.n("Yvalue2")[k])) line.emplace_back(std::log(d.n("Xvalue2")[k]), d.n("Yvalue2")[k]);
    ASSERT_GE(line.size(), 3u);
    const double b = (line.back().second - line.front().second) / (line.back().first - line.front().first);
    const double a = line.front().second - b * line.front().first;
    for (auto [x, y] : line) EXPECT_NEAR(y, a + b * x, 1e-6) << std::exp(x);
    EXPECT_NEAR(std::exp(line.front().first), 100, 1e-9) << "the line starts at the decade below the data";
    // HREF 3000 stops on the line; PREF 10 percent meets it at exp((q - a) / b).
    int refs = 0;
    for (size_t k = 0; k < d.rows; ++k) {
        const double x = d.n("XRef")[k], y = d.n("YRef")[k];
        if (std::isnan(x) && std::isnan(y)) continue;
        ++refs;
        if (x == 3000) {
            EXPECT_NEAR(y, a + b * std::log(3000), 1e-6);
        } else {
            EXPECT_NEAR(y, qsev(0.1), 1e-12);
            EXPECT_NEAR(x, std::exp((qsev(0.1) - a) / b), 1e-6 * x);
        }
    }
    EXPECT_EQ(refs, 2);
}

TEST_F(ProbGraphs, OverlayAndPanelsOfAClassVariable) {
    shipped("../../examples/fans.csv");
    const auto& r = run("proc vitalyx data=fans; freq count; distribution lognormal; "
                        "probplot hours*status(0) = plant / overlay; "
                        "probplot hours*status(0) = plant / nrows=1 ncols=1 pintervals=percentiles; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 3u);
    // OVERLAY: one graph with the class variable's name, the groups by Index and OverlayGroup,
    // no censored marks; the points at the normal quantiles of their plotting positions.
    const Graph& o = graphs[0];
    EXPECT_EQ(o.templ, "KV.Vitalyx.Graphics.ProbabilityPlot");
    EXPECT_EQ(o.varnames.size(), 19u);
    EXPECT_EQ(o.varnames.back(), "_OverLay");
    EXPECT_EQ(o.v("_ClsNam").s, "plant");
    EXPECT_EQ(o.v("_OverLay").i, 1);
    EXPECT_TRUE(o.inset.empty());
    const Phantom& d = o.data[0];
    EXPECT_FALSE(d.has("Censor"));
    std::set<std::pair<double, std::string>> groups;
    for (size_t k = 0; k < d.rows; ++k) {
        groups.insert({d.n("Index")[k], d.t("OverlayGroup")[k]});
        if (!std::isnan(d.n("Plabel")[k])) {
            EXPECT_NEAR(d.n("YPPlot")[k], qnorm(d.n("Plabel")[k]), 1e-9);
        }
    }
    EXPECT_EQ(groups, (std::set<std::pair<double, std::string>>{{1, "North"}, {2, "South"}}));
    // Panels: one request per plant in one output group, percentile limits, the inset phantom.
    for (int k = 1; k <= 2; ++k) {
        const Graph& g = graphs[static_cast<size_t>(k)];
        EXPECT_EQ(g.name, "ProbabilityPlotPanel");
        EXPECT_EQ(g.templ, "KV.Vitalyx.Graphics.ProbabilityPlotOneClassPerLim");
        EXPECT_EQ(g.v("_PanelN").i, k);
        EXPECT_EQ(g.v("_ShrinkFonts").s, "FALSE");
        EXPECT_EQ(g.varnames.size(), 21u);
        ASSERT_EQ(g.data.size(), 2u);
        EXPECT_EQ(g.data[1].name, "InsetPhantom");
        EXPECT_EQ(g.data[1].rows, 2u);
    }
}

TEST_F(ProbGraphs, FailureModesCombined) {
    shipped("../programs/fmode_combined/parts.csv");
    const auto& r = run("proc vitalyx data=parts; distribution weibull; fmode combine mode=('wear' 'crack') / plotmodes; "
                        "probplot hours*status(0); run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    const Graph& g = graphs[0];
    EXPECT_EQ(g.name, "ProbabilityPlotFM");
    EXPECT_EQ(g.templ, "KV.Vitalyx.Graphics.ProbabilityPlotFM");
    EXPECT_TRUE(std::isfinite(g.v("_VMin").d) && std::isfinite(g.v("_VMax").d)) << "a missing curve value leaves the range";
    const Phantom& d = g.data[0];
    // The combined curve over whole decades of the data, its lower limit never falling; each
    // mode a straight line of two rows under its value.
    std::map<std::string, std::vector<size_t>> curves;
    for (size_t k = 0; k < d.rows; ++k)
        if (!std::isnan(d.n("Xvalue2")[k])) curves[d.t("OverlayGroup")[k]].push_back(k);
    ASSERT_EQ(curves.size(), 3u);
    const auto& comb = curves["Combined"];
    ASSERT_GT(comb.size(), 10u);
    EXPECT_NEAR(d.n("Xvalue2")[comb.front()], 10, 1e-9);
    EXPECT_NEAR(d.n("Xvalue2")[comb.back()], 10000, 1e-6);
    double low = -INFINITY;
    for (size_t k : comb) {
        const double l = d.n("Ylower2")[k];
        if (std::isnan(l)) continue;
        EXPECT_GE(l, low);
        low = l;
    }
    for (const char* m : {"wear", "crack"}) {
        ASSERT_EQ(curves[m].size(), 2u) << m;
        EXPECT_EQ(d.n("Xvalue2")[curves[m][0]], d.n("Xvalue2")[comb.front()]);
        EXPECT_TRUE(std::isnan(d.n("Ylower2")[curves[m][0]]));
    }
    // Times below 1: the curve starts at the decade at or below the first failure (0.1 for 0.1
    // and for 0.3 hours), not at 1, and ends at the decade above the last time.
    for (const char* first : {"0.1", "0.3"}) {
        SCOPED_TRACE(first);
        dataset("early", std::string("hours,status,mode\n") + first +
                             ",1,flaw\n0.9,1,flaw\n4,1,flaw\n900,1,wear\n1800,1,wear\n2600,1,wear\n3500,1,wear\n5000,0,\n5000,0,\n");
        const auto& e = run("proc vitalyx data=early; distribution weibull; fmode combine mode=('flaw' 'wear'); probplot hours*status(0); run;");
        ASSERT_EQ(e.status, 0) << e.log.all();
        ASSERT_EQ(graphs.size(), 1u);
        const Phantom& q = graphs[0].data[0];
        std::vector<double> x;
        for (size_t k = 0; k < q.rows; ++k)
            if (!std::isnan(q.n("Xvalue2")[k]) && q.t("OverlayGroup")[k] == "Combined") x.push_back(q.n("Xvalue2")[k]);
        ASSERT_GT(x.size(), 10u);
        EXPECT_NEAR(x.front(), 0.1, 1e-12);
        EXPECT_NEAR(x.back(), 10000, 1e-6);
    }
}

}  // namespace

namespace {

// Panels of a page of panels keep what is theirs inside their own room: with ROTATE each
// censored mark lies in the strip right of its own frame (not in the gap before the next
// panel), and each inset box inside its frame even when its values are long.
TEST_F(ProbGraphs, PanelsKeepTheirCensoredMarksAndInsetsInside) {
    shipped("../programs/fit_class_groups/lots.csv");
    for (const char* opts : {"rotate ncols=3", "ncols=3"}) {
        SCOPED_TRACE(opts);
        const auto& r = run(std::string("proc vitalyx data=lots; distribution weibull; probplot hours*status(1) = plant / ") + opts + "; run;");
        ASSERT_EQ(r.status, 0) << r.log.all();
        const rt::gfx::RecordingCanvas* pg = page(0);
        ASSERT_NE(pg, nullptr);
        struct Box {
            double x0, y0, x1, y1;
        };
        std::vector<Box> frames, insets;
        for (const auto* q : pg->of(rt::gfx::Prim::Polyline)) {
            const auto& v = q->xy;   // rectangles: closed, the first side level, the second upright
            if (v.size() != 10 || v[0] != v[8] || v[1] != v[9] || v[1] != v[3] || v[2] != v[4]) continue;
            Box b{std::min(q->xy[0], q->xy[4]), std::min(q->xy[1], q->xy[5]), std::max(q->xy[0], q->xy[4]), std::max(q->xy[1], q->xy[5])};
            if (b.y1 - b.y0 > 0.4 * pg->height) frames.push_back(b);
            else if (q->stroke.width < 0.7) insets.push_back(b);   // strips above the frames are drawn heavier
        }
        std::vector<Box> strips;
        for (const auto* q : pg->of(rt::gfx::Prim::Fill))
            if (q->xy.size() == 8)
                strips.push_back({std::min(q->xy[0], q->xy[4]), std::min(q->xy[1], q->xy[5]), std::max(q->xy[0], q->xy[4]), std::max(q->xy[1], q->xy[5])});
        ASSERT_EQ(frames.size(), 3u);
        ASSERT_EQ(insets.size(), 3u);
        for (const Box& i : insets)
            EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&](const Box& f) { return i.x0 >= f.x0 && i.x1 <= f.x1 && i.y0 >= f.y0 && i.y1 <= f.y1; }))
                << "an inset from " << i.x0 << " to " << i.x1 << " leaves its frame";
        int marks = 0;
        for (const auto* q : pg->of(rt::gfx::Prim::Markers)) {
            if (q->text != "sg-plus") continue;
            for (size_t k = 0; k + 1 < q->xy.size(); k += 2, ++marks) {
                const double x = q->xy[k], y = q->xy[k + 1];
                const bool rotated = opts[0] == 'r';
                // In a shaded strip that starts at the frame's edge.
                EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&](const Box& f) {
                    return std::any_of(strips.begin(), strips.end(), [&](const Box& b) {
                        const bool at = rotated ? b.x0 == f.x1 && b.y0 == f.y0 : b.y0 == f.y1 && b.x0 == f.x0;
                        return at && x >= b.x0 && x <= b.x1 && y >= b.y0 && y <= b.y1;
                    });
                })) << "a censored mark at (" << x << ", " << y << ") is outside the strips of the frames";
            }
        }
        EXPECT_EQ(marks, 17);   // the right-censored units of the three plants
    }
}

}  // namespace
