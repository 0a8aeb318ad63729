// Reference lines: values a log axis cannot show, values outside the plot (or past a turned
// frame's end), each warning once in the step, stepped labels, labels that would cross the
// frame, and intersections with the groups' fitted lines.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "proc/devgraph/markcolumns.h"
#include "proc/framework/optslots.h"
#include "tests/unit/devgraph/fixture.h"

namespace {

using rt::gfx::Prim;
namespace ps = slot::plot;

class RefLines : public DevGraphTest {
protected:
    Stmt stmt{"PROBPLOT"};
    const rt::gfx::RecordingCanvas* rec = nullptr;
    std::vector<double> values;
    optslot labels{};
    std::vector<slstring> texts;
    grpnode g{};
    void begin() {
        s->inwork.curstmt = stmt.rec();
        startgraph();
        ASSERT_EQ(vyxgini(s), 0);
        rec = &openpage();
        frame(20, 20, 60, 60);
        vyxgcol(s);
        s->groups.curgrp = &g;
        g.loc = 0, g.scale = 1;
    }
    void href(std::vector<double> v, std::vector<const char*> labs = {}) {
        values = std::move(v);
        s->work.refs.vals[REF_HREF] = values.data();
        s->work.refs.counts[REF_HREF] = static_cast<int32_t>(values.size());
        setlabels(REF_HREF, labs);
    }
    void vref(std::vector<double> v) {
        values = std::move(v);
        s->work.refs.vals[REF_VREF] = values.data();
        s->work.refs.counts[REF_VREF] = static_cast<int32_t>(values.size());
    }
    void setlabels(int which, const std::vector<const char*>& labs) {
        if (labs.empty()) return;
        texts.clear();
        for (const char* l : labs) texts.push_back(slstring{static_cast<int32_t>(std::strlen(l)), l});
        labels.given = 1, labels.kind = SK_QSLIST, labels.count = static_cast<int32_t>(texts.size()), labels.ptr = texts.data();
        s->work.refs.labels[which] = &labels;
    }
    std::vector<const Prim*> lines() const { return rec->of(Prim::Line); }
    std::vector<const Prim*> labeltexts() const { return rec->of(Prim::Text); }
};

TEST_F(RefLines, ZeroOnALogAxisIsRefusedTheOthersDraw) {
    begin();
    s->optsw.logscale[1] = 1;
    f->hmin = 0, f->hmax = 3, f->hfac = 20, f->hoff = 20;   // log10 of 1 .. 1000
    href({0, 10, 100});
    vyxghrl(s, &g);
    EXPECT_EQ(log.count('W'), 1);
    EXPECT_TRUE(logged("value of 0 cannot be shown on a logarithmic axis"));
    auto l = lines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_NEAR(px(l[0], 0), 40, 1e-9);
    EXPECT_NEAR(px(l[1], 0), 60, 1e-9);
    EXPECT_NEAR(py(l[0], 0), 19, 1e-9);   // the area: frame widened by the gaps
    EXPECT_NEAR(py(l[0], 1), 81, 1e-9);
}

// One WARNING per list and call names every value off the axis, each once (it named the first
// and dropped the others).
TEST_F(RefLines, ValuesOutsideThePlotAreNamedInOneWarningPerCallForTheCurrentGroup) {
    begin();
    href({-50, 5, 70, -50, 80.5});
    vyxghrl(s, &g);
    EXPECT_EQ(log.count('W'), 1);
    EXPECT_EQ(lines().size(), 1u);
    grpnode other{};
    vyxghrl(s, &other);   // not the current group: silent
    EXPECT_EQ(log.count('W'), 1);
    EXPECT_TRUE(logged("Values of HREF= (-50, 70, 80.5) lie outside the horizontal axis; their lines are not drawn."));
    // LREF= (under ROTATE, the life axis upright) takes VREF='s place on the device road: the
    // message names the option written. A relation plot passes no group and is told too.
    std::vector<double> lref = {5, 150};
    s->poptw.pflags.rotate = 1;
    s->work.refs.vals[REF_LREF] = s->work.refs.vals[REF_VREF] = lref.data();
    s->work.refs.counts[REF_LREF] = s->work.refs.counts[REF_VREF] = 2;
    vyxgvrl(s, nullptr);
    EXPECT_EQ(log.count('W'), 2);
    EXPECT_TRUE(logged("A value of LREF= (150) lies outside the vertical axis"));
}

// Beside a turned frame the strip of censored marks takes the gap right of the drawn frame: a
// line in the padding before it is drawn, a line that would run through the strip is refused
// with the values off the axis.
TEST_F(RefLines, TurnedLinePastTheFramesEndIsRefused) {
    begin();
    s->poptw.pflags.rotate = 1;
    s->work.nocenplot = 1;
    f->gapr = f->gapl + 2.5;   // the frame ends at 81, the strip at 83.5
    s->optsw.quant_fn = [](double p) { return p * 12; };   // x = 20 + 0.72 percent
    href({50, 84, 86, 99});
    vyxghrl(s, &g);
    auto l = lines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_NEAR(px(l[1], 0), 20 + 0.72 * 84, 1e-9);
    EXPECT_EQ(log.count('W'), 1);
    EXPECT_TRUE(logged("Values of HREF= (86, 99) lie outside the horizontal axis")) << log.all();
}

// A warning is written once in the step however many values, panels and groups tell it: a
// probability given twice and a crossing beyond the axis of a value given twice, in two panels.
TEST_F(RefLines, EachWarningIsWrittenOnceInTheStep) {
    begin();
    s->optsw.quant_fn = [](double p) { return p * 10; };
    s->poptw.pflags.refstop = 1;
    s->work.fitmethod = 1;
    s->optsw.distcode = 0;
    g.loc = -100;   // z = v + 100: far above the axis
    href({5, 5});
    for (int panel = 0; panel < 2; ++panel) vyxghrl(s, &g);
    std::vector<double> p = {101, 101, 150};
    s->work.refs.vals[REF_VREF] = p.data();
    s->work.refs.counts[REF_VREF] = 3;
    for (int panel = 0; panel < 2; ++panel) vyxgvrl(s, &g);
    EXPECT_EQ(log.count('W'), 3) << log.all();
    EXPECT_TRUE(logged("The reference line at 5 meets the fitted line outside the vertical axis of the graph (above 99.99 percent)"));
    EXPECT_TRUE(logged("probability of 101 lies outside 0 to 100 percent"));
    EXPECT_TRUE(logged("probability of 150 lies outside 0 to 100 percent"));
}

TEST_F(RefLines, SteppedLabelsGoBackToTheTopAtTheFrameBottom) {
    begin();
    s->poptw.refopts[REFPOS_HREF] = 2;
    frame(20, 20, 60, 6);   // a low frame: the fourth label would fall below it
    href({1, 2, 3, 4, 5}, {"a", "b", "c", "d", "e"});
    vyxghrl(s, &g);
    auto t = labeltexts();
    ASSERT_EQ(t.size(), 5u);
    const double top = 20 + 6 + 1, h = f->txth;
    EXPECT_NEAR(py(t[0], 0), top - h, 1e-5);
    EXPECT_NEAR(py(t[1], 0), top - 2 * h, 1e-5);
    EXPECT_NEAR(py(t[2], 0), top - 3 * h, 1e-5);
    EXPECT_NEAR(py(t[3], 0), top - h, 1e-5);   // top - 4 h left the frame: back to the start
    EXPECT_NEAR(py(t[4], 0), top - 2 * h, 1e-5);
}

TEST_F(RefLines, LabelThatWouldCrossTheFrameStandsLeftOfItsLine) {
    begin();
    href({2, 9.9}, {"left", "a long label"});
    vyxghrl(s, &g);
    auto t = labeltexts();
    ASSERT_EQ(t.size(), 2u);
    const double d = 0.5 * f->txth * f->chdiv;
    ASSERT_EQ(t[0]->text, "left");
    EXPECT_EQ(t[0]->anchor, rt::gfx::Anchor::Start);
    // (text positions pass through the text record's floats)
    EXPECT_NEAR(px(t[0], 0), 20 + 2 * 6 + d, 1e-5);
    EXPECT_EQ(t[1]->anchor, rt::gfx::Anchor::End);
    EXPECT_NEAR(px(t[1], 0), 20 + 9.9 * 6 - d, 1e-5);
}

TEST_F(RefLines, OverlayDrawsOneIntersectionPerFittedGroup) {
    begin();
    s->poptw.pflags.overlay = 1;
    s->poptw.pflags.refstop = 1;
    s->groups.nclass = 1;
    s->work.fitmethod = 1;
    s->optsw.distcode = 0;   // normal: the label is 100 Phi(z)
    grpnode a{}, b{}, c{};
    a.loc = 2, a.scale = 1, b.loc = 3, b.scale = 2, c.nofit = 1;
    a.next = &b, b.next = &c;
    s->groups.grplist.head = &a;
    href({4});
    vyxghrl(s, &a);
    auto l = lines();
    ASSERT_EQ(l.size(), 3u);   // the reference line and one line for each of the two fitted groups
    // group a: z = (4 - 2) / 1 = 2 -> y = 2 * vfac + voff; group b: z = (4 - 3) / 2
    EXPECT_NEAR(py(l[1], 0), 2 * 6 + 20, 1e-9);
    EXPECT_NEAR(py(l[2], 0), 0.5 * 6 + 20, 1e-9);
    EXPECT_NEAR(px(l[1], 0), 19, 1e-9);
    EXPECT_NEAR(px(l[1], 1), 81, 1e-9);
}

TEST_F(RefLines, CombinedFailureModesIntersectAtTheTimeTheCurveReachesTheProbability) {
    begin();
    s->work.refstop2 = 1;
    s->poptw.pflags.fmcombine = 1;
    s->work.fitmethod = 1;
    s->optsw.distcode = 0;
    s->optsw.logscale[0] = 1;
    // Two curve records: log10 time 0 and 2 with probabilities 0.1 and 0.9.
    std::vector<double> curve(2 * 24, 0.0);
    curve[14] = 0, curve[0] = 0.1, curve[24 + 14] = 2, curve[24] = 0.9;
    s->life.fmcurve = curve.data();
    s->optsw.npoints = 1;
    s->optsw.quant_fn = [](double p) { return 2 * (p - 0.5); };
    vref({50});   // quantile 0, where the normal gives 0.5: the curve reaches 0.5 at log10 t = 1
    vyxgvrl(s, &g);
    auto l = lines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_NEAR(px(l[1], 0), 1 * 6 + 20, 1e-9);
    EXPECT_NEAR(px(l[1], 1), 1 * 6 + 20, 1e-9);
}

TEST_F(RefLines, ProbabilitiesOfZeroAndHundredPassTheRangeTest) {
    begin();
    s->optsw.quant_fn = [](double p) { return p * 10; };
    vref({0, 100});
    vyxgvrl(s, &g);
    EXPECT_FALSE(logged("outside 0 to 100 percent"));
    EXPECT_EQ(lines().size(), 2u);   // 0 and 100 map to 0 and 10 here: both drawn
}

TEST_F(RefLines, ProbabilityOutsideTheRangeIsRefused) {
    begin();
    s->optsw.quant_fn = [](double p) { return p * 10; };
    vref({101});
    vyxgvrl(s, &g);
    EXPECT_TRUE(logged("probability of 101 lies outside 0 to 100 percent"));
}

// The stress reference lines of a relation plot (SREF=): a value outside the area is skipped
// with a warning that names the option and the value; a line runs from the area's bottom to
// the frame's top and its gap, labelled at the top, right of the line.
TEST_F(RefLines, StressLinesOfARelationPlotWithTheirLabels) {
    begin();
    f->gapt = 3;
    values = {2, 30};
    s->work.refs.vals[REF_SREF] = values.data();
    s->work.refs.counts[REF_SREF] = 2;
    setlabels(REF_SREF, {"design", "far"});
    vyxgsrl(s, nullptr);
    auto l = lines();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_NEAR(px(l[0], 0), 20 + 2 * 6, 1e-9);
    EXPECT_NEAR(py(l[0], 0), 19, 1e-9);
    EXPECT_NEAR(py(l[0], 1), 20 + 60 + 3, 1e-9);
    EXPECT_TRUE(logged("A value of SREF= (30) lies outside the horizontal axis"));
    auto t = labeltexts();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0]->text, "design");
    EXPECT_EQ(t[0]->anchor, rt::gfx::Anchor::Start);
    EXPECT_NEAR(px(t[0], 0), 20 + 2 * 6 + 0.5 * f->txth * f->chdiv, 1e-5);
    EXPECT_NEAR(py(t[0], 0), 81 - f->txth, 1e-5);
}

// The relation plot's rows told to the labels' planner: a column's markers that meet are kept
// as one box, and every box a label may try (of some height and width) meets the joined boxes
// exactly when it meets one of the markers (markers that touch, coincide, lie inside one
// another or have no height).
TEST(MarkColumns, JoinedBoxesAnswerAsEveryMarkerWould) {
    uint64_t seed = 99;
    auto next = [&] { return (seed = seed * 6364136223846793005ull + 1442695040888963407ull) >> 11; };
    auto grid = [&](int n) { return 0.5 * static_cast<double>(next() % static_cast<uint64_t>(n)); };
    std::vector<PageBox> rows;
    PanelInk ink;
    {
        MarkColumns cols(&ink);
        for (int i = 0; i < 20000; ++i) {
            const double x = 20 + 10 * static_cast<double>(next() % 4), y = 20 + grid(120), h = 0.5 * static_cast<double>(next() % 3);
            rows.push_back({x - 1, y - h, x + 1, y + h});
            cols.add(rows.back());
        }
        for (int i = 0; i < 40; ++i) {   // a sparse column of pairs that touch, the pairs apart
            const double y = 20 + 3 * static_cast<double>(i);
            rows.push_back({75, y, 76, y + 0.5});
            rows.push_back({75, y + 0.5, 76, y + 1});
            cols.add(rows[rows.size() - 2]);
            cols.add(rows.back());
        }
    }
    EXPECT_LT(ink.marks.size(), 200u);
    EXPECT_GE(ink.marks.size(), 40u);
    for (int q = 0; q < 20000; ++q) {
        const double x0 = 15 + grid(140), y0 = 15 + grid(140), w = 0.5 + grid(30), h = 0.5 + grid(10);   // a text's box
        const PageBox b{x0, y0, x0 + w, y0 + h};
        const bool any = std::any_of(rows.begin(), rows.end(), [&](const PageBox& m) { return b.overlaps(m); });
        const bool joined = std::any_of(ink.marks.begin(), ink.marks.end(), [&](const PageBox& m) { return b.overlaps(m); });
        ASSERT_EQ(joined, any) << "box " << b.x0 << " " << b.y0 << " " << b.x1 << " " << b.y1;
    }
}

}  // namespace
