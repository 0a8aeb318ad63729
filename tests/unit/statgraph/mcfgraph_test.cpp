// MCFPLOT on the statistical road: what reaches the output system (graph requests, templates,
// dynamic variables in order, phantom rows) for the valve-seat and bladder-tumour data, against
// the exact MCF values of tests/data/mcf (make_reference.py), and where the renderer puts them.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "tests/unit/mcf/mcfrun.h"
#include "tests/unit/statgraph/graphrun.h"

namespace {

using sgtest::Graph;
using sgtest::GraphRun;
using sgtest::Phantom;

class McfGraphs : public GraphRun {
protected:
    static std::vector<double> present(const std::vector<double>& v) {
        std::vector<double> out;
        for (double x : v)
            if (!std::isnan(x)) out.push_back(x);
        return out;
    }
};

TEST_F(McfGraphs, StepPlotRowsAndReferenceLines) {
    shipped("mcf/valve.csv");
    const auto& r = run("proc vitalyx data=valve; unitid engine; mcfplot days*n(-1) / nocenprint interpolate=step "
                        "href=300 1000 intersect hreflabels='a' 'b' vref=0.5 vreflabels='half'; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    const Graph& g = graphs[0];
    EXPECT_EQ(g.name, "MCFPlot");
    EXPECT_EQ(g.templ, "KV.Vitalyx.Graphics.MCFNoClass1");
    EXPECT_EQ(g.varnames, (std::vector<std::string>{"_IType", "_XName", "_XLabel", "_YLabel", "_SXLabel", "_SYLabel", "_NoConf",
                                                    "_Join", "_NRow", "_NCol", "_Grid", "_MCFDiff", "_YType", "_XType"}));
    EXPECT_EQ(g.v("_IType").i, 1);
    EXPECT_EQ(g.v("_Join").i, 0);
    EXPECT_EQ(g.v("_Grid").s, "AUTO_ON");
    EXPECT_EQ(g.inset.at("_INrow").i, 3) << "units, events and the confidence level";
    ASSERT_EQ(g.data.size(), 1u) << "without class variables the inset travels in the variables only";
    const Phantom& d = g.data[0];
    EXPECT_EQ(d.cols, (std::vector<std::string>{"Xvalue", "Yvalue", "Yupper", "Ylower", "Censor", "Xvalue2", "Yvalue2", "Yupper2",
                                                "Ylower2", "XRef", "XRefLabel", "YRef", "YRefLabel"}));

    // The curve: the origin of the steps, one row per event with the exact MCF and its normal
    // limits, one row per end of observation, the last level carried to the largest time.
    const auto ref = mcftest::readcsv(std::string(VITALYX_TEST_DATA) + "/mcf/valve_nelson_ref.csv");
    const auto& X = d.n("Xvalue"), &Y = d.n("Yvalue"), &Y2 = d.n("Yvalue2"), &X2 = d.n("Xvalue2");
    EXPECT_EQ(X2[0], 0);
    EXPECT_EQ(Y2[0], 0);
    EXPECT_TRUE(std::isnan(X[0]));
    const auto ys = present(Y), xs = present(X), up = present(d.n("Yupper"));
    ASSERT_EQ(ys.size(), ref.rows.size());
    for (size_t k = 0; k < ys.size(); ++k) {
        EXPECT_NEAR(xs[k], ref.num(k, "Age"), 0) << k;
        EXPECT_NEAR(ys[k], ref.num(k, "Mcf"), 1e-12) << k;
        EXPECT_NEAR(up[k], ref.num(k, "Upper"), 1e-9) << k;
    }
    EXPECT_EQ(present(d.n("Censor")).size(), 41u) << "one end-of-observation mark per engine";
    const auto xref = d.n("XRef");
    size_t end = 0;   // the step's end row: the first row after the curve's with no point
    for (size_t k = d.rows; k-- > 0;)
        if (!std::isnan(X2[k])) {
            end = k;
            break;
        }
    EXPECT_EQ(X2[end], 761);
    EXPECT_NEAR(Y2[end], ref.num(ref.rows.size() - 1, "Mcf"), 1e-12);
    EXPECT_TRUE(std::isnan(X[end]) && std::isnan(Y[end]));

    // HREF 300 stops at the curve, interpolated between the events around it (it carries
    // its own label and the level's); 1000 lies beyond the data: a note and no row. VREF 0.5
    // does not stop at the curve: its line is kept whole.
    std::vector<size_t> refrows;
    for (size_t k = 0; k < d.rows; ++k)
        if (!std::isnan(xref[k]) || !std::isnan(d.n("YRef")[k])) refrows.push_back(k);
    ASSERT_EQ(refrows.size(), 2u);
    size_t lo = 0;
    while (lo + 1 < ref.rows.size() && ref.num(lo + 1, "Age") < 300) ++lo;
    const double p = ref.num(lo, "Age"), v = ref.num(lo, "Mcf"), t = ref.num(lo + 1, "Age"), m = ref.num(lo + 1, "Mcf");
    EXPECT_EQ(xref[refrows[0]], 300);
    EXPECT_NEAR(d.n("YRef")[refrows[0]], v + (m - v) * (300 - p) / (t - p), 1e-12);
    EXPECT_EQ(d.t("XRefLabel")[refrows[0]], "a");
    EXPECT_FALSE(d.t("YRefLabel")[refrows[0]].empty());
    EXPECT_TRUE(std::isnan(xref[refrows[1]]));
    EXPECT_EQ(d.n("YRef")[refrows[1]], 0.5);
    EXPECT_EQ(d.t("YRefLabel")[refrows[1]], "half");
    EXPECT_TRUE(r.log.has("1000")) << r.log.all();

    // The renderer puts every point where the axes say: page positions are one affine map of
    // the data values.
    const auto* rec = page(0);
    ASSERT_NE(rec, nullptr);
    const rt::gfx::Prim* pts = nullptr;
    for (const auto* pr : rec->of(rt::gfx::Prim::Markers))
        if (pr->xy.size() / 2 == ys.size() && !pts) pts = pr;
    ASSERT_NE(pts, nullptr) << "one marker per event";
    const size_t a = 0, b = ys.size() - 1;
    const double sx = (pts->xy[2 * b] - pts->xy[2 * a]) / (xs[b] - xs[a]), sy = (pts->xy[2 * b + 1] - pts->xy[2 * a + 1]) / (ys[b] - ys[a]);
    EXPECT_GT(sx, 0);
    EXPECT_GT(sy, 0);
    for (size_t k = 0; k < ys.size(); ++k) {
        EXPECT_NEAR(pts->xy[2 * k], pts->xy[0] + sx * (xs[k] - xs[0]), 1e-6) << k;
        EXPECT_NEAR(pts->xy[2 * k + 1], pts->xy[1] + sy * (ys[k] - ys[0]), 1e-6) << k;
    }
}

TEST_F(McfGraphs, PanelsOverlayAndDifference) {
    shipped("mcf/bladder.csv");
    // The largest time of each treatment group, straight from the data.
    std::map<std::string, double> largest;
    {
        std::ifstream in(dir + "/bladder.csv");
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            auto c = mcftest::split(line);
            largest[c[3]] = std::max(largest[c[3]], std::stod(c[1]));
        }
    }
    const auto& r = run("proc vitalyx data=bladder; unitid unit; mcfplot age*n(-1) = rx / nocenprint nrows=1 ncols=1; "
                        "mcfplot age*n(-1) = rx / nocenprint overlay interpolate=step(join=yes); "
                        "mcfplot age*n(-1) = rx / nocenprint mcfdiff interpolate=step; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 4u);

    // One panel per group, one output group; every panel hands the plot's and the inset's
    // phantoms, the inset phantom one row per group.
    for (int k = 0; k < 2; ++k) {
        const Graph& g = graphs[k];
        EXPECT_EQ(g.name, "MCFPlotPanel");
        EXPECT_EQ(g.templ, "KV.Vitalyx.Graphics.MCFOneClassPanelNone");
        EXPECT_EQ(g.v("_PanelN").i, k + 1);
        EXPECT_EQ(g.v("_ShrinkFonts").s, "FALSE");
        EXPECT_EQ(g.varnames.front(), "_PanelN");
        EXPECT_EQ(g.varnames.size(), 15u);
        ASSERT_EQ(g.data.size(), 2u);
        EXPECT_EQ(g.data[1].name, "InsetPhantom");
        EXPECT_EQ(g.data[1].rows, 2u);
        const auto& grp = g.data[0].t("Group");
        EXPECT_EQ(std::count(grp.begin(), grp.end(), "placebo") + std::count(grp.begin(), grp.end(), "thiotepa"),
                  static_cast<long>(g.data[0].rows));
    }
    // OVERLAY: one graph, the groups apart by OverlayGroup, no end-of-observation marks, no inset.
    const Graph& o = graphs[2];
    EXPECT_EQ(o.templ, "KV.Vitalyx.Graphics.MCFOverlay");
    EXPECT_EQ(o.v("_Join").i, 1);
    EXPECT_EQ(o.data.size(), 1u);
    EXPECT_TRUE(o.inset.empty());
    EXPECT_FALSE(o.data[0].has("Censor"));
    EXPECT_TRUE(o.data[0].has("OverlayGroup"));
    EXPECT_EQ(o.vars.count("_PanelN"), 0u);

    // MCFDIFF: the difference curve of one graph, its steps ending at the smaller of the two
    // groups' largest times.
    const Graph& df = graphs[3];
    EXPECT_EQ(df.name, "MCFDiffPlot");
    EXPECT_EQ(df.templ, "KV.Vitalyx.Graphics.MCFNoClass1");
    EXPECT_EQ(df.v("_MCFDiff").i, 1);
    const Phantom& d = df.data[0];
    EXPECT_FALSE(d.has("Censor"));
    const auto& X2 = d.n("Xvalue2");
    EXPECT_EQ(X2.back(), std::min(largest["placebo"], largest["thiotepa"]));
    EXPECT_TRUE(std::isnan(d.n("Xvalue").back()));
}

TEST_F(McfGraphs, InsetVariablesAndPositions) {
    shipped("mcf/bladder.csv");
    const auto& r = run("proc vitalyx data=bladder; unitid unit; mcfplot age*n(-1) = rx / nocenprint; "
                        "inset nunits nevents / position=se noframe; "
                        "mcfplot age*n(-1) / nocenprint; inset nunits / header='Bladder' position=tm; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 2u) << "both groups on one page of panels";
    // A compass position: its alignment, no automatic placement; NOFRAME; no header.
    const auto& a = graphs[0].inset;
    EXPECT_EQ(a.at("_HAlign").s, "right");
    EXPECT_EQ(a.at("_VAlign").s, "bottom");
    EXPECT_EQ(a.at("_AutoAlign").s, "none");
    EXPECT_EQ(a.at("_IFrame").i, 0);
    EXPECT_EQ(a.at("_INrow").i, 2);
    EXPECT_EQ(a.count("_IHead"), 0u);
    // Each panel's values come from the inset phantom, one row per group in group order.
    const Phantom& ip = graphs[0].data.at(1);
    ASSERT_EQ(ip.rows, 2u);
    EXPECT_EQ(ip.t("Var1"), (std::vector<std::string>{"47", "38"}));
    EXPECT_EQ(ip.t("Var2"), (std::vector<std::string>{"72", "40"}));
    // A position the graphs do not know: a warning, and automatic placement.
    const auto& b = graphs[1].inset;
    EXPECT_EQ(b.at("_IHead").s, "Bladder");
    EXPECT_EQ(b.count("_HAlign"), 0u);
    EXPECT_NE(b.at("_AutoAlign").s, "none");
    EXPECT_TRUE(r.log.has('W', "TM")) << r.log.all();
}

}  // namespace
