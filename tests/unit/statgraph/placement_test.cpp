// Crowded statistical pages read back: the labels of reference lines and of percentile lines
// stand where they can be read, a reference line whose crossing with the fitted line lies
// beyond the probability axis is still drawn, and the axis titles of a last page of panels
// stand at the panels it has.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "runtime/sgraph/frame.h"

#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using rt::gfx::Prim;

struct Box {
    double x0, y0, x1, y1;
    bool meets(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    bool holds(const Box& o) const { return o.x0 >= x0 - 1e-6 && o.x1 <= x1 + 1e-6 && o.y0 >= y0 - 1e-6 && o.y1 <= y1 + 1e-6; }
};

// The glyphs' box of a text (page percent).
Box textbox(const dp::Page& pg, const Prim& t) {
    const double w = dp::labelwidth(pg, t), h = t.style.size / pg.h * 100;
    const double x0 = t.anchor == rt::gfx::Anchor::Start ? t.xy[0] : t.anchor == rt::gfx::Anchor::End ? t.xy[0] - w : t.xy[0] - w / 2;
    return {x0, t.xy[1] - 0.2 * h, x0 + w, t.xy[1] + 0.72 * h};
}

bool crosses(const Box& b, double x0, double y0, double x1, double y1) {
    for (int k = 0; k <= 200; ++k) {
        const double t = k / 200.0, x = x0 + t * (x1 - x0), y = y0 + t * (y1 - y0);
        if (x > b.x0 && x < b.x1 && y > b.y0 && y < b.y1) return true;
    }
    return false;
}

bool isreference(const Prim& t) {
    const rt::gfx::Rgb& c = rt::sgr::style().reference;
    return t.style.color.r == c.r && t.style.color.g == c.g && t.style.color.b == c.b;
}

// Every reference label of the page meets no other text and no marker, and no line drawn in
// its frame unless it is written on a box of the background (which hides what lies beneath);
// the labels found.
std::vector<std::string> clearlabels(const dp::Page& pg, const std::string& what) {
    std::vector<std::string> found;
    const std::vector<const Prim*> texts = pg.of(Prim::Text);
    for (size_t i = 0; i < pg.prims.size(); ++i) {
        const Prim& t = pg.prims[i];
        if (t.kind != Prim::Text || !isreference(t)) continue;
        found.push_back(t.text);
        const Box b = textbox(pg, t);
        for (const Prim* o : texts) {
            if (o != &t) {
                EXPECT_FALSE(b.meets(textbox(pg, *o))) << what << ": \"" << t.text << "\" over \"" << o->text << "\"";
            }
        }
        const Prim& before = pg.prims[i - 1];
        const bool boxed = before.kind == Prim::Fill && before.color.r == 1 && before.color.g == 1 && before.color.b == 1 && before.xy.size() == 8 &&
                           Box{before.xy[0], before.xy[1], before.xy[4], before.xy[5]}.holds(b);
        bool inclip = false;
        for (size_t j = 0; j < pg.prims.size(); ++j) {
            const Prim& q = pg.prims[j];
            if (q.kind == Prim::PushClip) inclip = true;
            if (q.kind == Prim::PopClip) inclip = false;
            if (q.kind == Prim::Markers)
                for (size_t k = 0; k + 1 < q.xy.size(); k += 2) {
                    const double rx = q.size / 2 / pg.w * 100, ry = q.size / 2 / pg.h * 100;
                    EXPECT_FALSE(b.meets({q.xy[k] - rx, q.xy[k + 1] - ry, q.xy[k] + rx, q.xy[k + 1] + ry}))
                        << what << ": a marker on \"" << t.text << "\"";
                }
            if (!inclip || boxed || j > i || (q.kind != Prim::Line && q.kind != Prim::Polyline)) continue;
            for (size_t k = 0; k + 3 < q.xy.size(); k += 2)
                EXPECT_FALSE(crosses(b, q.xy[k], q.xy[k + 1], q.xy[k + 2], q.xy[k + 3])) << what << ": a line through \"" << t.text << "\"";
        }
    }
    return found;
}

// The ball bearings in three lots, by turns.
std::string threelots() {
    std::string csv = "lot,mrevs\n";
    const std::vector<double> t = testdata::bearingtimes();
    const char* lot[] = {"A,", "B,", "C,"};
    for (size_t k = 0; k < t.size(); ++k) csv.append(lot[k % 3]).append(std::to_string(t[k])).append("\n");
    return csv;
}

}  // namespace

// Values read off at reference lines and the lines' own labels, where lines crowd: three lots
// overlaid with their values at two life and two probability references, three life
// references 3 Mrev apart, and the MCF difference's line at no difference beside its first
// points.
TEST(Placement, ReferenceLabelsMeetNoTextMarkerOrLine) {
    const dp::Run lots = dp::runstatistical("proc vitalyx data=d;\n distribution weibull;\n probplot mrevs = lot / overlay lref=40 80 intersect "
                                         "lreflabels='40 Mrev' '80 Mrev' pref=10 50 intersect preflabels='B10' 'B50';\nrun;\n",
                                         {{"d", threelots()}});
    ASSERT_EQ(lots.pages.size(), 1u);
    EXPECT_EQ(clearlabels(lots.pages[0], "three lots").size(), 16u);   // 4 labels, 12 values

    const dp::Run close = dp::runstatistical("proc vitalyx data=d;\n distribution lognormal;\n probplot cycles / lref=30 33 36 intersect "
                                          "lreflabels='30 Mrev' '33 Mrev' '36 Mrev' pref=20 25 intersect preflabels='B20' 'B25';\nrun;\n",
                                          {{"d", testdata::bearings}});
    ASSERT_EQ(close.pages.size(), 1u);
    EXPECT_EQ(clearlabels(close.pages[0], "close references").size(), 10u);

    const dp::Run diff = dp::runstatistical("proc vitalyx data=d;\n unitid id;\n mcfplot months*event(0) = treatment / mcfdiff interpolate=step "
                                         "vref=0 vreflabels='no difference';\nrun;\n",
                                         {{"d", testdata::file("../examples/bladder.csv")}});
    ASSERT_EQ(diff.pages.size(), 1u);
    EXPECT_EQ(clearlabels(diff.pages[0], "MCF difference"), std::vector<std::string>{"no difference"});
}

// Nine percentile lines of the insulation end within a few points of each other at the
// highest temperature: their labels stand right of the ends in the order of the lines, a line
// of text apart.
TEST(Placement, NinePercentileLabelsALineApartInTheirOrder) {
    const dp::Run r = dp::runstatistical("proc vitalyx data=d;\n distribution lognormal;\n model hours = temp / relation=arr;\n relationplot hours = temp / "
                                      "fit=model relation=arr plotfit=1 5 10 20 50 80 90 95 99 plotdata=data;\nrun;\n",
                                      {{"d", testdata::insulation}});
    ASSERT_EQ(r.pages.size(), 1u);
    const dp::Page& pg = r.pages[0];
    std::vector<std::pair<double, const Prim*>> labels;
    for (const char* p : {"1", "5", "10", "20", "50", "80", "90", "95", "99"}) {
        const Prim* best = nullptr;
        for (const Prim* t : pg.of(Prim::Text))   // the rightmost text of that number: not a tick label
            if (t->text == p && t->angle == 0 && (!best || t->xy[0] > best->xy[0])) best = t;
        ASSERT_NE(best, nullptr) << p;
        labels.emplace_back(std::stod(p), best);
    }
    for (size_t k = 1; k < labels.size(); ++k) {
        const Prim& lo = *labels[k - 1].second;
        const Prim& hi = *labels[k].second;
        const double line = lo.style.size / pg.h * 100;
        EXPECT_GE(hi.xy[1] - lo.xy[1], line) << lo.text << " and " << hi.text << " are not a line apart, in order";
        EXPECT_FALSE(textbox(pg, lo).meets(textbox(pg, hi))) << lo.text << " and " << hi.text;
    }
}

// The bearings' Weibull line reaches 12 Mrev at 1.75 percent, below the probability axis (2 to
// 99 percent): the line at 12 Mrev is drawn across the frame with its label, without the value,
// and the log says why by the user's value; a probability reference below the axis is named by
// its percent, not by its quantile.
TEST(Placement, CrossingBeyondTheAxisKeepsTheLineAndNamesTheUsersValue) {
    const dp::Run r = dp::runstatistical("proc vitalyx data=d;\n distribution weibull;\n probplot cycles / lref=12 intersect lreflabels='12 Mrev';\n"
                                      " probplot cycles / pref=1 intersect preflabels='B1';\nrun;\n",
                                      {{"d", testdata::bearings}});
    ASSERT_EQ(r.pages.size(), 2u);
    const dp::Page& pg = r.pages[0];
    const Prim* clip = pg.of(Prim::PushClip).front();
    const double y0 = std::min(clip->xy[1], clip->xy[3]), y1 = std::max(clip->xy[1], clip->xy[3]);
    bool across = false;
    for (const Prim* q : pg.of(Prim::Line))
        if (q->stroke.dashes.size() == 2 && std::fabs(q->xy[0] - q->xy[2]) < 1e-9 && std::fabs(q->xy[1] - y0) < 1e-6 && std::fabs(q->xy[3] - y1) < 1e-6)
            across = true;
    EXPECT_TRUE(across) << "no reference line across the frame";
    EXPECT_TRUE(pg.hastext("12 Mrev"));
    EXPECT_FALSE(pg.hastext("1.75"));
    EXPECT_TRUE(r.log.has('W', "The reference line at 12 meets the fitted line outside the vertical axis of the graph (at 1.75 percent)")) << r.log.all('W');
    EXPECT_TRUE(r.log.has('W', "The reference line at 1 percent lies outside the vertical axis of the graph; it is not drawn.")) << r.log.all('W');
    EXPECT_FALSE(r.log.has('W', "-4.03")) << r.log.all('W');
    EXPECT_FALSE(r.pages[1].hastext("B1"));
}

// Thirteen groups in panels of three rows: the last page has one panel, and its axis titles
// stand under its tick labels and beside its height, not at the foot and the middle of the page.
TEST(Placement, AxisTitlesOfALastPageStandAtItsPanels) {
    std::string csv = "grp,hours\n";
    for (int g = 1; g <= 13; ++g)
        for (int k = 1; k <= 6; ++k) csv.append("G").append(std::to_string(g)).append(",").append(std::to_string(100 * g + 37 * k * k)).append("\n");
    const dp::Run r = dp::runstatistical("proc vitalyx data=d;\n distribution lognormal;\n probplot hours = grp / nrows=3;\nrun;\n", {{"d", csv}});
    ASSERT_EQ(r.pages.size(), 5u);
    for (size_t p : {size_t{0}, size_t{4}}) {
        const dp::Page& pg = r.pages[p];
        const std::vector<const Prim*> clips = pg.of(Prim::PushClip);
        double lowest = 100, highest = 0;
        for (const Prim* c : clips) lowest = std::min({lowest, c->xy[1], c->xy[3]}), highest = std::max({highest, c->xy[1], c->xy[3]});
        const Prim* xt = pg.text("hours");
        const Prim* yt = pg.text("Percent");
        ASSERT_TRUE(xt && yt) << p;
        const double gap = lowest - xt->xy[1];   // from the lowest frame down to the title's baseline
        EXPECT_GT(gap, 2) << "page " << p + 1;
        EXPECT_LT(gap, 12) << "page " << p + 1 << ": the title stands far under the panels";
        EXPECT_GT(yt->xy[1], lowest) << "page " << p + 1;
        EXPECT_LT(yt->xy[1], highest + 10) << "page " << p + 1;
    }
    EXPECT_EQ(r.pages[4].of(Prim::PushClip).size(), 1u);
}
