// Crowded statistical pages read back: the labels of reference lines and of percentile lines
// stand where they can be read, a reference line whose crossing with the fitted line lies
// beyond the probability axis is still drawn, and the axis titles of a last page of panels
// stand at the panels it has.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
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
// its frame unless a box of the background painted after the line holds the label (it hides
// what lies beneath); the labels found.
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
        // A line painted before a box of the background that holds the label is hidden under it.
        auto hidden = [&](size_t line) {
            for (size_t j = line + 1; j < i; ++j) {
                const Prim& q = pg.prims[j];
                if (q.kind == Prim::Fill && q.color.r == 1 && q.color.g == 1 && q.color.b == 1 && q.xy.size() == 8 &&
                    Box{q.xy[0], q.xy[1], q.xy[4], q.xy[5]}.holds(b))
                    return true;
            }
            return false;
        };
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
            if (!inclip || j > i || (q.kind != Prim::Line && q.kind != Prim::Polyline) || hidden(j)) continue;
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

// The gap in points between a box (page percent) and a segment (page percent): 0 where it
// crosses the box.
double gap(const dp::Page& pg, const Box& b, double x0, double y0, double x1, double y1) {
    if (crosses(b, x0, y0, x1, y1)) return 0;
    const double sx = pg.w / 100, sy = pg.h / 100;
    auto torect = [&](double x, double y) { return std::hypot(std::max({b.x0 - x, 0.0, x - b.x1}) * sx, std::max({b.y0 - y, 0.0, y - b.y1}) * sy); };
    auto tosegment = [&](double x, double y) {
        const double dx = (x1 - x0) * sx, dy = (y1 - y0) * sy, px = (x - x0) * sx, py = (y - y0) * sy, n = dx * dx + dy * dy;
        const double t = n > 0 ? std::clamp((px * dx + py * dy) / n, 0.0, 1.0) : 0;
        return std::hypot(px - t * dx, py - t * dy);
    };
    return std::min({torect(x0, y0), torect(x1, y1), tosegment(b.x0, b.y0), tosegment(b.x1, b.y0), tosegment(b.x0, b.y1), tosegment(b.x1, b.y1)});
}

// A label and its own line stand together: the label is nearer its own line than any other
// reference line, or a leader (a solid line of the labels' colour) runs from its box to a point
// of its own line; labels keep the order of their lines. lines: the reference lines (x0, y0,
// x1, y1, page percent) and labels the label of each, in the same order, sorted across.
void besidetheirlines(const dp::Page& pg, const std::vector<std::array<double, 4>>& lines, const std::vector<const Prim*>& labels,
                      const std::string& what) {
    ASSERT_EQ(lines.size(), labels.size()) << what;
    const double sx = pg.w / 100, sy = pg.h / 100;
    double before = -INFINITY;
    for (size_t k = 0; k < labels.size(); ++k) {
        const Box b = textbox(pg, *labels[k]);
        const auto& own = lines[k];
        // A leader: a solid line of the labels' colour from beside the box to a point of its line.
        bool led = false;
        for (const Prim& q : pg.prims) {
            const rt::gfx::Rgb& c = rt::sgr::style().reference;
            if ((q.kind != Prim::Line && q.kind != Prim::Polyline) || !q.stroke.dashes.empty() || q.stroke.color.r != c.r ||
                q.stroke.color.g != c.g || q.stroke.color.b != c.b)
                continue;
            const size_t n = q.xy.size();
            const double ax = q.xy[0], ay = q.xy[1], bx = q.xy[n - 2], by = q.xy[n - 1];
            led = led || (gap(pg, b, ax, ay, ax, ay) < 2 && gap(pg, {bx, by, bx, by}, own[0], own[1], own[2], own[3]) < 0.05);
        }
        if (!led) {
            const double mine = gap(pg, b, own[0], own[1], own[2], own[3]);
            for (size_t j = 0; j < lines.size(); ++j)
                if (j != k) {
                    EXPECT_LT(mine, gap(pg, b, lines[j][0], lines[j][1], lines[j][2], lines[j][3]))
                        << what << ": \"" << labels[k]->text << "\" stands as near the line of \"" << labels[j]->text << "\" as its own, without a leader";
                }
        }
        const bool vertical = own[0] == own[2];
        const double across = vertical ? (b.x0 + b.x1) / 2 * sx : (b.y0 + b.y1) / 2 * sy;
        if (!vertical) {
            EXPECT_GT(across, before) << what << ": \"" << labels[k]->text << "\" out of the order of its line";
        }
        before = across;
    }
}

// The dashed reference lines of a page across its frame (horizontal ones), bottom to top.
std::vector<std::array<double, 4>> acrosslines(const dp::Page& pg) {
    std::vector<std::array<double, 4>> v;
    for (const Prim* q : pg.of(Prim::Line))
        if (q->stroke.dashes.size() == 2 && q->xy[1] == q->xy[3]) v.push_back({q->xy[0], q->xy[1], q->xy[2], q->xy[3]});
    std::sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a[1] < b[1]; });
    return v;
}

}  // namespace

// Six probability references 0.2 percent apart, and five half a percent apart at the median,
// lie closer together than a line of text, and five lines up from the foot closer than their
// labels are wide: each label stands nearer its own line than any other, or a leader joins it
// to its own line; the labels keep the order of their lines, and no line strikes them out.
TEST(Placement, ReferenceLabelsOfCloseLinesStandByTheirOwnLines) {
    const std::vector<std::string> names = {"Alpha one", "Beta two", "Gamma three", "Delta four", "Eps five", "Zeta six"};
    const dp::Run r = dp::runstatistical("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(0) / pref=1 1.2 1.4 1.6 1.8 2\n"
                                      " preflabels='Alpha one' 'Beta two' 'Gamma three' 'Delta four' 'Eps five' 'Zeta six';\n"
                                      " probplot hours*status(0) / pref=50 50.5 51 51.5 52\n"
                                      " preflabels='Alpha one' 'Beta two' 'Gamma three' 'Delta four' 'Eps five';\nrun;\n",
                                      {{"d", testdata::file("../examples/fans.csv")}});
    ASSERT_EQ(r.pages.size(), 2u);
    for (size_t p = 0; p < 2; ++p) {
        const dp::Page& pg = r.pages[p];
        const std::string what = p == 0 ? "1 to 2 percent" : "50 to 52 percent";
        std::vector<const Prim*> labels;
        for (size_t k = 0; k < (p == 0 ? 6u : 5u); ++k) {
            labels.push_back(pg.text(names[k]));
            ASSERT_NE(labels.back(), nullptr) << what << ": " << names[k];
        }
        besidetheirlines(pg, acrosslines(pg), labels, what);
        EXPECT_EQ(clearlabels(pg, what).size(), labels.size());
    }

    // Five lines up from the foot, 3 to 4 Mrev apart: three references and the lives read off
    // at B20 and B25, left to right.
    const dp::Run close = dp::runstatistical("proc vitalyx data=d;\n distribution lognormal;\n probplot cycles / lref=30 33 36 intersect "
                                          "lreflabels='30 Mrev' '33 Mrev' '36 Mrev' pref=20 25 intersect preflabels='B20' 'B25';\nrun;\n",
                                          {{"d", testdata::bearings}});
    ASSERT_EQ(close.pages.size(), 1u);
    const dp::Page& pg = close.pages[0];
    std::vector<std::array<double, 4>> up;
    for (const Prim* q : pg.of(Prim::Line))
        if (q->stroke.dashes.size() == 2 && q->xy[0] == q->xy[2]) up.push_back({q->xy[0], q->xy[1], q->xy[2], q->xy[3]});
    std::sort(up.begin(), up.end());
    std::vector<const Prim*> labels = {pg.text("30 Mrev"), pg.text("33 Mrev"), pg.text("36 Mrev"), pg.text("40.91"), pg.text("44.64")};
    ASSERT_EQ(std::count(labels.begin(), labels.end(), nullptr), 0);
    besidetheirlines(pg, up, labels, "lines up from the foot");
}

// Values read off at reference lines and the lines' own labels, where lines crowd: three lots
// overlaid with their values at two life and two probability references, three life
// references 3 Mrev apart, the MCF difference's line at no difference beside its first points,
// and two lots' panels where the lines and their values crowd a point at the foot.
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

    const dp::Run point = dp::runstatistical("proc vitalyx data=d;\n distribution normal;\n probplot t*c(0) = lot / href=547.78 580.65 intersect "
                                          "hreflabels='Alpha' 'Beta';\nrun;\n",
                                          {{"d", testdata::file("data/crowded/lots2.csv")}});
    ASSERT_EQ(point.pages.size(), 2u);
    EXPECT_EQ(clearlabels(point.pages[0], "two lots by a point").size(), 8u);

    // An inset where the user puts it, over the corner where the labels of close lines stood
    // (it hid all but two of them): the labels keep clear of its box. The lines stand in the
    // fitted line's band: the labels that find a place beside them, or with a leader that keeps
    // off the line, its limits and the points, are drawn (nine on the first page, where one
    // label leaves its place to two; five and seven on the second).
    const dp::Run inset = dp::runstatistical("proc vitalyx data=d;\n distribution normal;\n probplot t*c(0) = lot / href=300 320 340 360 380 400 420 "
                                          "hreflabels='Alpha mark' 'Beta mark' 'Gamma mark' 'Delta mark' 'Eps mark' 'Zeta mark' 'Eta mark' hreflabpos=1;\n"
                                          " inset nfail uncensored normal(location scale) / position=nw;\nrun;\n",
                                          {{"d", testdata::file("data/crowded/lots2.csv")}});
    ASSERT_EQ(inset.pages.size(), 2u);
    for (size_t k = 0; k < inset.pages.size(); ++k) {
        const dp::Page& pg = inset.pages[k];
        const std::vector<std::string> shown = clearlabels(pg, "under an inset");
        EXPECT_EQ(shown.size(), k == 0 ? 9u : 12u);
        // The insets' boxes: for each "Location", the smallest white box that holds it.
        std::vector<Box> boxes;
        for (const Prim* t : pg.of(Prim::Text)) {
            if (t->text != "Location") continue;
            Box best{0, 0, 1e9, 1e9};
            for (const Prim& q : pg.prims) {
                const Box b{q.xy.size() == 8 ? q.xy[0] : 0, q.xy.size() == 8 ? q.xy[1] : 0, q.xy.size() == 8 ? q.xy[4] : 0, q.xy.size() == 8 ? q.xy[5] : 0};
                if (q.kind == Prim::Fill && q.color.r == 1 && q.color.g == 1 && q.color.b == 1 && q.xy.size() == 8 && b.holds(textbox(pg, *t)) &&
                    (b.x1 - b.x0) * (b.y1 - b.y0) < (best.x1 - best.x0) * (best.y1 - best.y0))
                    best = b;
            }
            boxes.push_back(best);
        }
        ASSERT_EQ(boxes.size(), 2u);
        for (const Prim* t : pg.of(Prim::Text)) {
            if (!isreference(*t)) continue;
            for (const Box& b : boxes) {
                EXPECT_FALSE(b.meets(textbox(pg, *t))) << "\"" << t->text << "\" under the inset";
            }
        }
    }
}

// Nine percentile lines of the insulation end within a few points of each other at the
// highest temperature: their labels stand right of the ends in the order of the lines, a line
// of text apart, and each is nearer its own line's end than any other or joined to that end by
// a leader.
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
    // The lines' ends, lowest first: the 1 percent line's end is the lowest.
    std::vector<std::pair<double, double>> ends;
    for (const Prim* q : pg.of(Prim::Polyline))
        if (q->stroke.width == 1.2 && q->stroke.dashes.empty()) ends.emplace_back(q->xy[q->xy.size() - 2], q->xy.back());
    ASSERT_EQ(ends.size(), labels.size());
    std::sort(ends.begin(), ends.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    for (size_t k = 0; k < labels.size(); ++k) {
        const Box b = textbox(pg, *labels[k].second);
        const auto [ex, ey] = ends[k];
        bool led = false;
        for (const Prim* q : pg.of(Prim::Line))
            led = led || (std::hypot(q->xy[0] - ex, q->xy[1] - ey) < 0.5 && gap(pg, {b.x0 - 0.5, b.y0 - 1, b.x1 + 0.5, b.y1 + 1}, q->xy[2], q->xy[3], q->xy[2], q->xy[3]) < 2);
        if (led) continue;
        const double own = gap(pg, b, ex, ey, ex, ey);
        for (size_t j = 0; j < ends.size(); ++j)
            if (j != k) {
                EXPECT_LT(own, gap(pg, b, ends[j].first, ends[j].second, ends[j].first, ends[j].second))
                    << labels[k].second->text << " stands as near the end of the " << labels[j].second->text << " percent line as its own, without a leader";
            }
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

// The number a NOTE 6530 of the log gives (-1: none).
int leftout(const std::string& log) {
    const size_t at = log.find(" label(s) of reference lines");
    return at == std::string::npos ? -1 : std::atoi(log.c_str() + log.rfind(' ', at - 1) + 1);
}

// Four groups, two panels a page, each with 23 labelled HREF= lines (many at one value) that
// stop where they meet the group's line, and the values read off there: the labels of the
// upright lines stood one by one on their boxes, over each other and beside other lines. Now
// they stand inside each panel's frame, clear of every other text and marker, the leftmost
// line's in every panel; those with no place are left out, and one NOTE for the statement says
// how many. (Columns that kept their first lines left out 58; columns right beside a line their
// leaders cross, which read as that line's labels, kept 12 more: 60 have no place that reads
// right.)
TEST(Placement, ALabelColumnTallerThanItsFrameKeepsInsideIt) {
    const dp::Run r = dp::runstatistical(testdata::file("data/crowded/probplot-label-columns-in-panels.vx"),
                                         {{"crowd25", testdata::file("data/crowded/crowd25.csv")}});
    ASSERT_EQ(r.pages.size(), 2u);
    int first = 0;
    for (size_t p = 0; p < r.pages.size(); ++p) {
        const dp::Page& pg = r.pages[p];
        const std::string what = "page " + std::to_string(p + 1);
        EXPECT_GT(clearlabels(pg, what).size(), 20u);
        // Each label inside the frame whose clip it is written in.
        Box frame{0, 0, 0, 0};
        for (const Prim& q : pg.prims) {
            if (q.kind == Prim::PushClip) frame = {q.xy[0], q.xy[1], q.xy[2], q.xy[3]};
            if (q.kind != Prim::Text || !isreference(q)) continue;
            first += q.text == "02DTR6qv";
            EXPECT_TRUE(frame.holds(textbox(pg, q))) << what << ": \"" << q.text << "\" leaves its frame";
        }
    }
    EXPECT_EQ(first, 4);
    const std::string log = r.log.all();
    EXPECT_TRUE(dp::hasmsg(r.log, 6530)) << log;
    EXPECT_GT(leftout(log), 0) << log;
    EXPECT_LE(leftout(log), 60) << log;
    EXPECT_EQ(log.find("label(s) of reference lines"), log.rfind("label(s) of reference lines")) << "one note for the statement";

    // Forty labelled PREF= lines 0.1 percent apart: the column at their end ran above the frame,
    // where its top rows were cut off. Every label drawn stands inside the frame, and the NOTE
    // counts exactly those that are not.
    std::string pref = " pref=", names = " preflabels=";
    for (int k = 0; k < 40; ++k) {
        pref.append(" ").append(std::to_string(40 + k / 10)).append(".").append(std::to_string(k % 10));
        names.append(" 'L").append(std::to_string(100 + k)).append("'");
    }
    const dp::Run level = dp::runstatistical("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(0) /" + pref + names + ";\nrun;\n",
                                             {{"d", testdata::file("../examples/fans.csv")}});
    ASSERT_EQ(level.pages.size(), 1u);
    const dp::Page& pg = level.pages[0];
    const Prim* clip = pg.of(Prim::PushClip).front();
    const Box frame{clip->xy[0], clip->xy[1], clip->xy[2], clip->xy[3]};
    int shown = 0;
    for (int k = 0; k < 40; ++k) {
        const Prim* t = pg.text(std::string("L").append(std::to_string(100 + k)));
        if (!t) continue;
        ++shown;
        EXPECT_TRUE(frame.holds(textbox(pg, *t))) << t->text << " leaves the frame";
    }
    EXPECT_GT(shown, 20);
    EXPECT_EQ(std::max(0, leftout(level.log.all())), 40 - shown) << level.log.all();
}
