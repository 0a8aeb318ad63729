// The layouts of the probability-plot pages read back from the recordings: one panel per
// group alone, side by side or stacked, all groups overlaid, the grid of two class
// variables with its empty cells, and the relation panel; every page opened and closed once;
// destinations that are skipped or that collect nothing.
#include <algorithm>
#include <cstring>
#include <set>

#include "tests/unit/devplots/data.h"
#include "runtime/graphics/device.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using dp::Page;
using rt::gfx::Prim;

// Five lots of eight units, failures and a censored unit each.
const std::string kLots =
    "lot,hours,status\n"
    "L1,120,1\nL1,180,1\nL1,220,1\nL1,260,1\nL1,300,0\nL1,410,1\nL1,520,1\nL1,610,1\n"
    "L2,90,1\nL2,150,1\nL2,200,1\nL2,240,0\nL2,330,1\nL2,390,1\nL2,450,1\nL2,700,1\n"
    "L3,60,1\nL3,110,1\nL3,160,1\nL3,210,1\nL3,280,1\nL3,350,0\nL3,420,1\nL3,530,1\n"
    "L4,140,1\nL4,210,1\nL4,250,1\nL4,320,1\nL4,380,0\nL4,460,1\nL4,570,1\nL4,690,1\n"
    "L5,100,1\nL5,170,1\nL5,230,0\nL5,290,1\nL5,340,1\nL5,400,1\nL5,480,1\nL5,590,1\n";

// The frames of a page: rectangles of the frame lines are hard to pick out, so each panel is
// found by its key strip's text (the group's level).
const Prim* keytext(const Page& p, const std::string& key) { return p.text(key); }

dp::Run lots(const std::string& options) {
    return dp::run("proc vitalyx data=lots;\n distribution weibull;\n probplot hours*status(0) = lot / " + options + ";\nrun;\n",
                   {{"lots", kLots}});
}

// The life axis's title names the paper when the variable has no label.
const std::string kLifeTitle = "hours on Weibull probability paper";

int count(const Page& p, const std::string& text) {
    int n = 0;
    for (const std::string& t : p.texts()) n += t == text;
    return n;
}

// NROWS = NCOLS = 1: a page per group, each with both axis titles and its key strip.
TEST(Layouts, OnePagePerGroupEachWithItsAxisTitles) {
    dp::Run r = lots("nrows=1 ncols=1");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 5u);
    for (size_t k = 0; k < 5; ++k) {
        const Page& p = r.pages[k];
        EXPECT_TRUE(p.hastext("L" + std::to_string(k + 1))) << k;
        EXPECT_EQ(count(p, kLifeTitle), 1) << k;
        EXPECT_EQ(count(p, "Percent"), 1) << k;
        EXPECT_EQ(p.markers().size(), 8u) << k;   // seven failures and one censored mark
    }
}

// NROWS = 1, NCOLS = 3, five groups: pages of three and two panels side by side; only the
// first panel of a page labels the probability axis.
TEST(Layouts, ThreePanelsSideBySideThenTwo) {
    dp::Run r = lots("nrows=1 ncols=3");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 2u);
    const Page& a = r.pages[0];
    const Page& b = r.pages[1];
    for (const char* k : {"L1", "L2", "L3"}) EXPECT_TRUE(a.hastext(k)) << k;
    for (const char* k : {"L4", "L5"}) EXPECT_TRUE(b.hastext(k)) << k;
    EXPECT_FALSE(b.hastext("L3"));
    // Panels left to right, in the order of the groups.
    EXPECT_LT(keytext(a, "L1")->xy[0], keytext(a, "L2")->xy[0]);
    EXPECT_LT(keytext(a, "L2")->xy[0], keytext(a, "L3")->xy[0]);
    EXPECT_NEAR(keytext(a, "L1")->xy[1], keytext(a, "L3")->xy[1], 1e-9);
    // The probability labels once per page (the first panel), the titles once.
    EXPECT_EQ(count(a, "50"), 1);
    EXPECT_EQ(count(a, kLifeTitle), 1);
    EXPECT_EQ(count(b, "Percent"), 1);
}

// NROWS = 2: panels stacked top to bottom; NCOLS is not used for the placement; the life
// axis is labelled under the lower panel only. The strips stand beside the panels even after
// a statement whose panels stood side by side.
TEST(Layouts, StackedPanelsTopToBottom) {
    dp::Run r = dp::run("proc vitalyx data=lots;\n distribution weibull;\n probplot hours*status(0) = lot / ncols=3;\n"
                        " probplot hours*status(0) = lot / nrows=2;\nrun;\n",
                        {{"lots", kLots}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 5u);
    r.pages.erase(r.pages.begin(), r.pages.begin() + 2);
    const Page& a = r.pages[0];
    // The side strips: the first group's above the second's, at the same x.
    const Prim* k1 = keytext(a, "L1");
    const Prim* k2 = keytext(a, "L2");
    ASSERT_TRUE(k1 && k2);
    EXPECT_GT(k1->xy[1], k2->xy[1] + 20);
    EXPECT_NEAR(k1->xy[0], k2->xy[0], 1e-9);
    EXPECT_EQ(count(a, "1000"), 1);   // life labels under the lower panel only
    // The last page holds the fifth group alone, in the upper row, labelled below itself.
    const Page& c = r.pages[2];
    EXPECT_TRUE(c.hastext("L5"));
    EXPECT_EQ(count(c, "1000"), 1);
    EXPECT_GT(keytext(c, "L5")->xy[1], 40);
}

// OVERLAY: one panel with every group, a legend naming them, one symbol per group.
TEST(Layouts, OverlayOnePanelWithALegendOfTheGroups) {
    dp::Run r = lots("overlay");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    for (const char* k : {"L1", "L2", "L3", "L4", "L5"}) EXPECT_EQ(count(p, k), 1) << k;   // legend entries
    std::set<std::string> shapes;
    for (const Prim* m : p.of(Prim::Markers)) shapes.insert(m->text);
    EXPECT_GE(shapes.size(), 5u);
    int lines = 0;
    for (const Prim* q : p.of(Prim::Polyline)) lines += q->xy.size() == 4;
    EXPECT_EQ(lines, 5);
}

// Two class variables: one panel per cell, a cell without data gets its axes only; the
// overlay draws every cell that has data in one panel.
TEST(Layouts, GridOfTwoClassVariablesWithAnEmptyCell) {
    const std::string data =
        "plant,shift,hours,status\n"
        "A,day,120,1\nA,day,180,1\nA,day,260,1\nA,day,400,1\n"
        "A,night,90,1\nA,night,150,1\nA,night,240,1\nA,night,330,1\n"
        "B,day,140,1\nB,day,210,1\nB,day,320,1\nB,day,460,1\n";
    dp::Run r = dp::run("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(0) = plant shift / noinset;\nrun;\n",
                        {{"d", data}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);   // two by two cells on one page
    const Page& p = r.pages[0];
    for (const char* k : {"A", "B", "day", "night"}) EXPECT_TRUE(p.hastext(k)) << k;
    EXPECT_EQ(p.markers().size(), 12u);
    int lines = 0;
    for (const Prim* q : p.of(Prim::Polyline)) lines += q->xy.size() == 4;
    EXPECT_EQ(lines, 3);   // three cells with data, three fitted lines; B night has axes only
    EXPECT_EQ(count(p, "50"), 2);   // the probability axis labelled in the left column

    dp::Run o = dp::run("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(0) = plant shift / overlay;\nrun;\n",
                        {{"d", data}});
    ASSERT_EQ(o.pages.size(), 1u);
    EXPECT_TRUE(o.pages[0].hastext("A  day"));   // the legend names each cell by both levels
    EXPECT_FALSE(o.pages[0].hastext("B  night"));
}

// The grid of two class variables paged: NROWS = NCOLS = 1 gives a page per cell, the empty
// cell's page with its keys and axes only; NROWS = 2 stacks the two rows of one column on
// each page.
TEST(Layouts, GridOfTwoClassVariablesPaged) {
    const std::string data =
        "plant,shift,hours,status\n"
        "A,day,120,1\nA,day,180,1\nA,day,260,1\nA,day,400,1\n"
        "A,night,90,1\nA,night,150,1\nA,night,240,1\nA,night,330,1\n"
        "B,day,140,1\nB,day,210,1\nB,day,320,1\nB,day,460,1\n";
    const std::string prog = "proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(0) = plant shift / noinset ";
    dp::Run one = dp::run(prog + "nrows=1 ncols=1;\nrun;\n", {{"d", data}});
    ASSERT_EQ(one.status, 0) << one.log.all();
    ASSERT_EQ(one.pages.size(), 4u);
    const char* cells[4][2] = {{"A", "day"}, {"A", "night"}, {"B", "day"}, {"B", "night"}};
    for (size_t k = 0; k < 4; ++k) {
        const Page& p = one.pages[k];
        EXPECT_TRUE(p.hastext(cells[k][0]) && p.hastext(cells[k][1])) << k;
        EXPECT_EQ(count(p, kLifeTitle), 1) << k;
        EXPECT_EQ(p.markers().size(), k == 3 ? 0u : 4u) << k;
    }

    dp::Run two = dp::run(prog + "nrows=2 ncols=1;\nrun;\n", {{"d", data}});
    ASSERT_EQ(two.status, 0) << two.log.all();
    ASSERT_EQ(two.pages.size(), 2u);
    EXPECT_TRUE(two.pages[0].hastext("day") && !two.pages[0].hastext("night"));
    EXPECT_TRUE(two.pages[1].hastext("night") && !two.pages[1].hastext("day"));
    EXPECT_EQ(two.pages[0].markers().size(), 8u);
    EXPECT_EQ(two.pages[1].markers().size(), 4u);   // B night: axes only
}

// OVERLAY with NCOLS=2 and no relation panel to follow: the one panel's page is still closed,
// once.
TEST(Layouts, OverlayWithTwoColumnsClosesItsPage) {
    dp::Run r = lots("overlay ncols=2");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    int begins = 0, ends = 0;
    for (const Prim& x : r.pages[0].prims) begins += x.kind == Prim::Begin, ends += x.kind == Prim::End;
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_NE(r.report.find("<svg"), std::string::npos);
}

// RELATIONPLOT with PPLOT: the overlay of the stress levels and the relation panel share a
// page when it has two columns; with NCOLS=1 each has a page of its own, each opened and
// closed once.
TEST(Layouts, RelationPanelBesideOrAfterTheProbabilityPanel) {
    const std::string prog = "proc vitalyx data=insul;\n distribution lognormal;\n relationplot hours = temp / relation=arr pplot plotdata=data plotfit=50";
    dp::Run two = dp::run(prog + ";\nrun;\n", {{"insul", testdata::insulation}});
    ASSERT_EQ(two.status, 0) << two.log.all();
    ASSERT_EQ(two.pages.size(), 1u);
    const Page& p = two.pages[0];
    EXPECT_TRUE(p.hastext("temp"));      // the stress axis title
    EXPECT_TRUE(p.hastext("Percent"));   // the probability panel's
    // 40 data markers in each panel (the probability points and the relation panel's), and
    // the four symbols of the legend of the stress levels.
    EXPECT_EQ(p.markers().size(), 84u);
    // The tick labels along the bottom of both panels stand apart: the probability panel's
    // last one keeps clear of the relation panel's first.
    const Prim* first = p.text("180");
    ASSERT_TRUE(first);
    std::vector<std::pair<double, double>> row;   // left and right ends
    for (const Prim* t : p.of(Prim::Text))
        if (t->angle == 0 && std::fabs(t->xy[1] - first->xy[1]) < 1e-6) row.emplace_back(t->xy[0], t->xy[0] + dp::labelwidth(p, *t));
    std::sort(row.begin(), row.end());
    ASSERT_GE(row.size(), 10u);
    for (size_t k = 0; k + 1 < row.size(); ++k) EXPECT_GT(row[k + 1].first - row[k].second, 1.0) << "labels " << k << " and " << k + 1;

    dp::Run one = dp::run(prog + " ncols=1;\nrun;\n", {{"insul", testdata::insulation}});
    ASSERT_EQ(one.status, 0) << one.log.all();
    ASSERT_EQ(one.pages.size(), 2u);
    EXPECT_TRUE(one.pages[0].hastext("Percent"));
    EXPECT_FALSE(one.pages[0].hastext("temp"));
    EXPECT_TRUE(one.pages[1].hastext("temp"));
    for (const Page& q : one.pages) {
        int begins = 0, ends = 0;
        for (const Prim& x : q.prims) begins += x.kind == Prim::Begin, ends += x.kind == Prim::End;
        EXPECT_EQ(begins, 1);
        EXPECT_EQ(ends, 1);
    }
    EXPECT_FALSE(one.log.has("could not be written"));
}

// A later destination named DOCUMENT is skipped, the first one is drawn; a device that
// collects nothing draws only the first destination and publishes nothing.
TEST(Layouts, DestinationsSkippedOrNotCollected) {
    dp::Options o;
    o.destinations = {"HTML", "DOCUMENT", "PDF"};
    dp::Run r = dp::run("proc vitalyx data=b;\n probplot cycles;\nrun;\n", {{"b", testdata::bearings}}, o);
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(r.pages.size(), 2u);   // HTML and PDF

    o.destinations = {"DOCUMENT", "HTML"};
    r = dp::run("proc vitalyx data=b;\n probplot cycles;\nrun;\n", {{"b", testdata::bearings}}, o);
    EXPECT_EQ(r.pages.size(), 2u);   // the first DOCUMENT is drawn

    o.destinations = {"HTML", "PDF"};
    o.device = "NOCOLL";
    {
        dp::NoCollectDevice nocoll;
        r = dp::run("proc vitalyx data=b;\n probplot cycles;\nrun;\n", {{"b", testdata::bearings}}, o);
    }
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(r.report.find("<svg"), std::string::npos);   // nothing published
}

}  // namespace

namespace {

// A page of more markers than an SVG could show keeps its PNG only, and the report embeds
// the PNG; a small page stays inline as SVG.
TEST(Layouts, APageOfManyPointsIsEmbeddedAsItsPng) {
    std::string big = "hours\n";
    for (int k = 1; k <= 60000; ++k) big += std::to_string(100 + k % 5000) + "." + std::to_string(k % 97) + "\n";
    dp::Run r = dp::run("proc vitalyx data=b;\n probplot hours / noinset;\nrun;\n", {{"b", big}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_NE(r.report.find("src=\"data:image/png;base64,"), std::string::npos);
    EXPECT_EQ(r.report.find("<svg"), std::string::npos);

    dp::Run s = dp::run("proc vitalyx data=b;\n probplot cycles;\nrun;\n", {{"b", testdata::bearings}});
    EXPECT_NE(s.report.find("<svg"), std::string::npos);
}

}  // namespace
