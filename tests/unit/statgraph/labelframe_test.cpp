// Labels of reference lines read back from the pages of both roads: no label's glyphs stand on
// a line of the frame (the device road's labels may stand in the gap between the data and the
// drawn frame, not on its line, and lines drawn in that gap have their labels); a statistical
// line at an axis's end shows inside the frame; on a device MCF plot the labels keep clear of
// the dashes that mark the confidence limits.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using dp::Box;
using dp::Page;
using rt::gfx::Prim;

// The gap in points between a box (page percent) and a level or upright segment (page percent).
double gap(const Page& pg, const Box& b, double x0, double y0, double x1, double y1) {
    const double dx = std::max({0.0, std::min(x0, x1) - b.x1, b.x0 - std::max(x0, x1)}) * pg.w / 100;
    const double dy = std::max({0.0, std::min(y0, y1) - b.y1, b.y0 - std::max(y0, y1)}) * pg.h / 100;
    return std::hypot(dx, dy);
}

// The texts of a page that stand inside a panel (their glyphs' middle inside a clip): the
// labels, the values read off, the inset's rows.
std::vector<const Prim*> paneltexts(const Page& pg) {
    std::vector<Box> clips;
    for (const Prim* q : pg.of(Prim::PushClip))
        clips.push_back({std::min(q->xy[0], q->xy[2]), std::min(q->xy[1], q->xy[3]), std::max(q->xy[0], q->xy[2]), std::max(q->xy[1], q->xy[3])});
    std::vector<const Prim*> v;
    for (const Prim* t : pg.of(Prim::Text)) {
        const Box b = dp::glyphbox(pg, *t);
        const double cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2;
        if (t->angle == 0 && std::any_of(clips.begin(), clips.end(), [&](const Box& c) { return c.holds(cx, cy); })) v.push_back(t);
    }
    return v;
}

// The texts inside the panels that a frame's line (a solid level or upright line a quarter of
// the page long, darker than the grid) reaches: the line's half width or less from the glyphs.
std::vector<std::string> onframe(const Page& pg) {
    std::vector<std::string> out;
    for (const Prim* t : paneltexts(pg)) {
        const Box b = dp::glyphbox(pg, *t);
        for (const Prim& q : pg.prims) {
            if ((q.kind != Prim::Line && q.kind != Prim::Polyline) || !q.stroke.dashes.empty() || q.stroke.width <= 0 || q.stroke.color.r > 0.5)
                continue;
            for (size_t k = 0; k + 3 < q.xy.size(); k += 2) {
                const double* c = &q.xy[k];
                const bool level = c[1] == c[3], upright = c[0] == c[2];
                const double len = level ? std::fabs(c[2] - c[0]) : std::fabs(c[3] - c[1]);
                if ((level || upright) && len >= 25 && gap(pg, b, c[0], c[1], c[2], c[3]) <= q.stroke.width / 2) out.push_back(t->text);
            }
        }
    }
    return out;
}

// Two lots, five to eight units each (some censored).
const char* kLots = "t,c,lot\n435.263,1,L0\n1555.020,1,L0\n429.655,0,L0\n1013.648,1,L0\n153.977,1,L0\n1137.426,1,L0\n340.591,1,L0\n"
                    "1512.880,0,L0\n1318.038,1,L1\n862.186,1,L1\n341.216,0,L1\n2031.703,1,L1\n2237.844,1,L1\n";

}  // namespace

// The lots on Weibull paper, two panels a page, with the lives read off at eight labelled
// probability references: on the device road the lives read off at the two lowest references
// ("337.8" and "173.7") started on the frame's left line, turned, which ran through their first
// digit. Twenty close HREF= lines on the fans by type: on the statistical road the label of the
// last, "R19-Tttttt", stood right of its line with its last letter on the frame's right line. No
// text in a panel stands on a line of the frame, on either road, turned or not.
TEST(LabelFrame, NoLabelStandsOnALineOfTheFrame) {
    const std::string lots =
        "proc vitalyx data=d;\n distribution weibull;\n probplot t*c(0) = lot / pref=74.569 35.569 45.319 25.819 55.069 6.3194 16.069 "
        "64.819 intersect preflabels='Alpha' 'Beta-hrafruir' 'Gamma-yefvchqyuld' 'Delta' 'Eps lim' 'Zeta' 'Eta-sftrysaawgt' "
        "'Theta-eljakoubrckt'";
    std::string fans = "proc vitalyx data=d;\n freq count;\n distribution weibull;\n probplot hours*status(0) = type / href=3000 3020 3020 "
                       "3040 3065 3080 3080 3100 3125 3140 3160 3160 3190 3200 3220 3240 3270 3300 6000 6500 intersect hreflabels=";
    for (int k = 0; k < 20; ++k)   // 'R00-Aaaaaa' to 'R19-Tttttt'
        fans += " 'R" + std::string(k < 10 ? "0" : "") + std::to_string(k) + "-" + char('A' + k) + std::string(5, char('a' + k)) + "'";
    struct Case {
        std::string what, program, data, label[2];   // a label written on the device and the statistical road
    };
    const std::vector<Case> cases = {{"lots turned", lots + " rotate;\nrun;\n", kLots, {"337.8", "337.85"}},
                                     {"lots", lots + ";\nrun;\n", kLots, {"337.8", "337.85"}},
                                     {"fans", fans + " noinset;\nrun;\n", testdata::file("../examples/fans.csv"), {"R19-Tttttt", "R19-Tttttt"}}};
    for (const bool statistical : {false, true})
        for (const Case& c : cases) {
            dp::Options o;
            o.statistical = statistical;
            const dp::Run r = dp::run(c.program, {{"d", c.data}}, o);
            ASSERT_EQ(r.status, 0) << r.log.all();
            ASSERT_EQ(r.pages.size(), 1u);
            const Page& pg = r.pages[0];
            const std::string what = c.what + (statistical ? ", statistical" : ", device");
            EXPECT_TRUE(pg.hastext(c.label[statistical])) << what << ": " << c.label[statistical];
            std::string all;
            for (const std::string& t : onframe(pg)) all += " \"" + t + "\"";
            EXPECT_TRUE(all.empty()) << what << ": on the frame's line:" << all;
        }
}

// LREF=100 at the first tick of the fans' time axis: on the statistical road its line lay on the
// frame's left side, under the border, and its label "First tick" at the frame's top left read
// as a caption of the frame. The line is drawn inside the frame, a line's width of the
// background between it and the border, as the device road's padding keeps such a line inside.
TEST(LabelFrame, StatisticalLineAtTheAxisEndShowsInsideTheFrame) {
    dp::Options o;
    o.statistical = true;
    const dp::Run r = dp::run("proc vitalyx data=d;\n freq count;\n distribution weibull;\n"
                              " probplot hours*status(0) / lref=100 1000 lreflabels='First tick' 'Mid';\nrun;\n",
                              {{"d", testdata::file("../examples/fans.csv")}}, o);
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& pg = r.pages[0];
    const std::vector<const Prim*> clips = pg.of(Prim::PushClip);
    ASSERT_FALSE(clips.empty());
    const Box frame{std::min(clips[0]->xy[0], clips[0]->xy[2]), std::min(clips[0]->xy[1], clips[0]->xy[3]),
                    std::max(clips[0]->xy[0], clips[0]->xy[2]), std::max(clips[0]->xy[1], clips[0]->xy[3])};
    // The reference lines: dashed upright lines the frame's height.
    std::vector<const Prim*> refs;
    for (const Prim* q : pg.of(Prim::Line))
        if (!q->stroke.dashes.empty() && q->xy[0] == q->xy[2] && std::fabs(q->xy[3] - q->xy[1]) > 0.9 * (frame.y1 - frame.y0)) refs.push_back(q);
    ASSERT_EQ(refs.size(), 2u);
    const Prim* first = refs[0]->xy[0] < refs[1]->xy[0] ? refs[0] : refs[1];
    const double clear = (first->xy[0] - frame.x0) * pg.w / 100;   // points from the border's middle
    EXPECT_GE(clear, 2 * first->stroke.width - 1e-9) << "the line at 100 hours lies on the frame's border";
    EXPECT_LT(clear, 2.5 * first->stroke.width) << "the line at 100 hours is drawn far from its value";
    const Prim* label = pg.text("First tick");
    ASSERT_NE(label, nullptr);
    EXPECT_GT(dp::glyphbox(pg, *label).x0, first->xy[0]) << "the label stands right of its line";
}

// The valve seats' MCF with its limits marked by dashes at each event: "Day 95" at the foot of
// its line right of it, where it stands without the limits, would stand on the dashes of the
// lower limits there; with them it takes a place that no dash reaches, and "Limits here" too.
TEST(LabelFrame, McfLabelsKeepClearOfTheLimitDashes) {
    const std::string refs = " vref=0.3 vreflabels='Limits here' href=95 hreflabels='Day 95' hreflabpos=3;\nrun;\n";
    const std::string head = "proc vitalyx data=v;\n unitid engine;\n mcfplot days*event(0) /";
    const std::map<std::string, std::string> data{{"v", testdata::file("../examples/valveseats.csv")}};
    const dp::Run with = dp::run(head + refs, data), without = dp::run(head + " novariance" + refs, data);
    ASSERT_EQ(with.status, 0) << with.log.all();
    ASSERT_EQ(with.pages.size(), 1u);
    ASSERT_EQ(without.pages.size(), 1u);
    const Page &p = with.pages[0], &bare = without.pages[0];
    // The dashes: short solid level lines inside the frame (the clip of the curve).
    const std::vector<const Prim*> clips = p.of(Prim::PushClip);
    ASSERT_FALSE(clips.empty());
    const Box frame{clips[0]->xy[0], clips[0]->xy[1], clips[0]->xy[2], clips[0]->xy[3]};
    std::vector<const Prim*> dashes;
    for (const Prim* q : p.of(Prim::Line)) {
        const auto& c = q->xy;
        if (q->stroke.dashes.empty() && q->stroke.width > 0 && c[1] == c[3] && std::fabs(c[2] - c[0]) < 2 && frame.holds(c[0], c[1]))
            dashes.push_back(q);
    }
    ASSERT_EQ(dashes.size(), 96u);   // the lower and the upper limit of each of the 48 events
    auto meets = [&](const Box& b) {
        return std::any_of(dashes.begin(), dashes.end(), [&](const Prim* q) { return gap(p, b, q->xy[0], q->xy[1], q->xy[2], q->xy[3]) == 0; });
    };
    const Prim* alone = bare.text("Day 95");
    ASSERT_NE(alone, nullptr);
    EXPECT_TRUE(meets(dp::glyphbox(bare, *alone))) << "the place without limits holds no dash: the test shows nothing";
    for (const char* label : {"Day 95", "Limits here"}) {
        const Prim* t = p.text(label);
        ASSERT_NE(t, nullptr) << label;
        EXPECT_FALSE(meets(dp::glyphbox(p, *t))) << label << " on a limit's dash";
    }
}

// Two labelled HREF= lines just past the last tick of the fans' time axis (10,000 hours), in the
// gap between the data's frame and the drawn one on the device road, too close for a label
// between them: the leaders that join the labels to them leave the data's frame, so both are
// drawn and none is left out.
TEST(LabelFrame, LabelsReachLinesPastTheAxisEnd) {
    const dp::Run r = dp::run("proc vitalyx data=f;\n freq count;\n distribution weibull;\n probplot hours*status(0) / href=10300 10350 "
                              "hreflabels='Stop limit' 'Burn-in end';\nrun;\n",
                              {{"f", testdata::file("../examples/fans.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_TRUE(r.pages[0].hastext("Stop limit"));
    EXPECT_TRUE(r.pages[0].hastext("Burn-in end"));
    EXPECT_FALSE(dp::hasmsg(r.log, 6530)) << "a NOTE 6530: labels left out";
}
