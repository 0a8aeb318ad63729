// MCF plots read back from the drawn pages: every event of the valve-seat data at (its age,
// its MCF) on axes read from their labels, the steps between the events and the limits'
// steps, the end-of-observation marks of the 41 engines in the strip above the frame, or
// their counts per bin; whole decades under LOGLOG; the layouts of groups and the
// difference of two groups. The estimates are the exact textbook values of
// tests/data/mcf (made by tests/data/mcf/make_reference.py).
#include <algorithm>
#include <set>

#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using dp::Page;
using rt::gfx::Prim;

struct Row {
    double age, mcf, lower, upper;
};

// The rows of a reference file: age, MCF and the normal limits.
std::vector<Row> reference(const std::string& name) {
    std::istringstream in(testdata::file("data/mcf/" + name));
    std::string line;
    std::getline(in, line);
    std::vector<Row> rows;
    while (std::getline(in, line)) {
        Row r{};
        if (std::sscanf(line.c_str(), "%lf,%lf,%*f,%lf,%lf", &r.age, &r.mcf, &r.lower, &r.upper) == 4) rows.push_back(r);
    }
    return rows;
}

dp::Run valve(const std::string& options) {
    return dp::run("proc vitalyx data=valve;\n unitid engine;\n mcfplot days*n(-1)" + options + ";\nrun;\n",
                   {{"valve", testdata::file("data/mcf/valve.csv")}});
}

// A straight map from data values to page positions read off an axis's labels.
struct Map {
    dp::Fit fit;
    bool log = false;
    double operator()(double v) const { return fit.a + fit.b * (log ? std::log10(v) : v); }
};
Map axis(const Page& p, bool left, bool log) {
    const dp::Axis a = dp::labels(p, left);
    EXPECT_GE(a.value.size(), 2u) << (left ? "left" : "bottom") << " axis";
    std::vector<double> v;
    for (double x : a.value) v.push_back(log ? std::log10(x) : x);
    Map m{dp::linefit(v, a.pos), log};
    EXPECT_LT(m.fit.worst, 2e-2) << (left ? "left" : "bottom") << " axis";
    return m;
}

bool hline(const Page& p, double y, double x0, double x1, double tol = 0.05) {
    for (const Prim* q : p.of(Prim::Line)) {
        const auto& c = q->xy;
        if (std::fabs(c[1] - c[3]) < 1e-9 && std::fabs(c[1] - y) < tol && std::fabs(std::min(c[0], c[2]) - x0) < tol &&
            std::fabs(std::max(c[0], c[2]) - x1) < tol)
            return true;
    }
    return false;
}

// INTERPOLATE=STEP: a step per event, its points, the limits as dashed steps, and the marks
// of the units' ends in the strip above the frame, moved apart where they coincide.
TEST(McfPlot, ValveSeatsEventsStepsLimitsAndEnds) {
    dp::Run r = valve(" / interpolate=step");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u) << r.log.all();
    const Page& p = r.pages[0];
    const Map X = axis(p, false, false), Y = axis(p, true, false);
    const std::vector<Row> rows = reference("valve_nelson_ref.csv");
    ASSERT_EQ(rows.size(), 48u);

    auto marks = p.markers();
    double top = -1e9;
    for (const auto& m : marks) top = std::max(top, m.second);
    std::vector<std::pair<double, double>> events, ends;
    for (const auto& m : marks) (std::fabs(m.second - top) < 1e-6 ? ends : events).push_back(m);
    ASSERT_EQ(events.size(), rows.size());
    EXPECT_EQ(ends.size(), 41u);   // one mark per engine
    EXPECT_GT(top, Y(rows.back().upper));

    std::sort(events.begin(), events.end());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(events[i].first, X(rows[i].age), 0.03) << "event " << i;
        EXPECT_NEAR(events[i].second, Y(rows[i].mcf), 0.03) << "event " << i;
    }
    // Steps at each estimate's height up to the next event, and the limits' steps beside them.
    for (size_t i = 0; i + 1 < rows.size(); ++i) {
        if (rows[i + 1].age == rows[i].age) continue;
        const double x0 = X(rows[i].age), x1 = X(rows[i + 1].age);
        EXPECT_TRUE(hline(p, Y(rows[i].mcf), x0, x1)) << "step after event " << i;
        EXPECT_TRUE(hline(p, Y(rows[i].upper), x0, x1)) << "upper step after event " << i;
    }
    // Engines that end on the same day stand apart by the jitter, never on one spot.
    std::set<long> spots;
    for (const auto& e : ends) spots.insert(std::lround(e.first * 1000));
    EXPECT_EQ(spots.size(), ends.size());
    EXPECT_TRUE(p.hastext("days"));
    EXPECT_TRUE(p.hastext("Mean Cumulative Function"));
}

// INTERPOLATE=JOIN joins the events by straight lines and marks the limits by short bars;
// NOCENPLOT leaves the end marks out and the time axis covers the events only.
TEST(McfPlot, JoinedEventsWithLimitBarsAndNoEndMarks) {
    const std::string data = "unit,t,n\nA,1,1\nA,2,1\nA,50,-1\nB,3,1\nB,50,-1\n";
    dp::Run r = dp::run("proc vitalyx data=d;\n unitid unit;\n mcfplot t*n(-1) / interpolate=join nocenplot;\nrun;\n", {{"d", data}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    EXPECT_EQ(p.markers().size(), 3u);
    const dp::Axis h = dp::labels(p, false);
    ASSERT_FALSE(h.value.empty());
    EXPECT_LT(*std::max_element(h.value.begin(), h.value.end()), 50);   // the ends at 50 are not on the axis
    const Map X = axis(p, false, false), Y = axis(p, true, false);
    // The straight line from the first event to the second: MCF 0.5 to 1.0.
    bool joined = false;
    for (const Prim* q : p.of(Prim::Line)) {
        const auto& c = q->xy;
        joined = joined || (std::fabs(c[0] - X(1)) < 0.03 && std::fabs(c[1] - Y(0.5)) < 0.03 && std::fabs(c[2] - X(2)) < 0.03 &&
                            std::fabs(c[3] - Y(1.0)) < 0.03);
    }
    EXPECT_TRUE(joined);
}

// LOGLOG: both axes in whole decades; HLOWER=0 warns and the time axis starts at 0.001.
TEST(McfPlot, LogLogDecadesAndALowerEndOfZero) {
    dp::Run r = valve(" / loglog hlower=0 noconf");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_TRUE(dp::hasmsg(r.log, 119)) << r.log.all();
    const Page& p = r.pages[0];
    const dp::Axis h = dp::labels(p, false);
    ASSERT_GE(h.value.size(), 2u);
    EXPECT_DOUBLE_EQ(*std::min_element(h.value.begin(), h.value.end()), 0.001);
    EXPECT_DOUBLE_EQ(*std::max_element(h.value.begin(), h.value.end()), 1000);
    const Map X = axis(p, false, true), Y = axis(p, true, true);
    const std::vector<Row> rows = reference("valve_nelson_ref.csv");
    auto marks = p.markers();
    double top = -1e9;
    for (const auto& m : marks) top = std::max(top, m.second);
    std::vector<std::pair<double, double>> events;
    for (const auto& m : marks)
        if (std::fabs(m.second - top) > 1e-6) events.push_back(m);
    std::sort(events.begin(), events.end());
    ASSERT_EQ(events.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(events[i].first, X(rows[i].age), 0.03) << "event " << i;
        EXPECT_NEAR(events[i].second, Y(rows[i].mcf), 0.03) << "event " << i;
    }
}

// CENBIN: the ends counted per bin of the time axis, the counts written in the strip.
TEST(McfPlot, BinnedEndsAddUpToTheUnits) {
    dp::Run r = valve(" / cenbin noinset");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    EXPECT_EQ(dp::stripcounts(p), 41);
    const std::vector<Row> rows = reference("valve_nelson_ref.csv");
    EXPECT_EQ(p.markers().size(), rows.size());   // the events only
}

// The two treatment groups of the bladder study: overlaid with a legend, side by side, a
// page each, and their difference.
TEST(McfPlot, GroupLayoutsAndTheDifference) {
    const std::string bladder = testdata::file("data/mcf/bladder.csv");
    auto run = [&](const std::string& options) {
        return dp::run("proc vitalyx data=b;\n unitid unit;\n mcfplot age*n(-1) = rx / " + options + ";\nrun;\n", {{"b", bladder}});
    };
    dp::Run o = run("overlay");
    ASSERT_EQ(o.status, 0) << o.log.all();
    ASSERT_EQ(o.pages.size(), 1u);
    EXPECT_TRUE(o.pages[0].hastext("placebo"));
    EXPECT_TRUE(o.pages[0].hastext("thiotepa"));
    std::set<std::string> shapes;
    for (const Prim* m : o.pages[0].of(Prim::Markers)) shapes.insert(m->text);
    EXPECT_GE(shapes.size(), 2u);
    // Points alone draw no line of a group: solid limit bars, axes and frames and the grid's
    // dots, and a legend of the symbols without samples of lines that are nowhere drawn.
    auto patterns = [](const dp::Page& p) {
        std::set<std::vector<double>> v;
        for (const Prim* q : p.of(Prim::Line)) v.insert(q->stroke.dashes);
        return v.size();
    };
    EXPECT_EQ(patterns(o.pages[0]), 2u);
    // With steps the second group's curve has a line type of its own beside the first's solid
    // curve and dotted limits and the grid's dots, and its limits another (the curve's dashes
    // with wider gaps), so that no curve is drawn like its limits; the legend shows both lines.
    dp::Run steps = run("overlay interpolate=step");
    ASSERT_EQ(steps.pages.size(), 1u);
    EXPECT_EQ(patterns(steps.pages[0]), 5u);
    // Normal limits below 0 near the start do not take the MCF axis below 0.
    const dp::Axis left = dp::labels(o.pages[0], true);
    ASSERT_FALSE(left.value.empty());
    EXPECT_EQ(*std::min_element(left.value.begin(), left.value.end()), 0.0);

    dp::Run s = run("ncols=2");
    ASSERT_EQ(s.status, 0) << s.log.all();
    ASSERT_EQ(s.pages.size(), 1u);
    const Prim* a = s.pages[0].text("placebo");
    const Prim* b = s.pages[0].text("thiotepa");
    ASSERT_TRUE(a && b);
    EXPECT_LT(a->xy[0] + 20, b->xy[0]);
    EXPECT_NEAR(a->xy[1], b->xy[1], 1e-9);

    dp::Run pages = run("nrows=1 ncols=1");
    ASSERT_EQ(pages.status, 0) << pages.log.all();
    EXPECT_EQ(pages.pages.size(), 2u);

    dp::Run d = run("mcfdiff");
    ASSERT_EQ(d.status, 0) << d.log.all();
    ASSERT_EQ(d.pages.size(), 1u);
    EXPECT_TRUE(d.pages[0].hastext("Difference of Mean Cumulative Functions"));
    const Map Y = axis(d.pages[0], true, false);
    std::vector<Row> rows = reference("bladder_diff_nelson_ref.csv");
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.age < b.age || (a.age == b.age && a.mcf < b.mcf); });
    auto pts = d.pages[0].markers();
    ASSERT_EQ(pts.size(), rows.size());   // no end marks with a difference
    std::sort(pts.begin(), pts.end());
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_NEAR(pts[i].second, Y(rows[i].mcf), 0.03) << "row " << i;
}

// Two class variables: a panel per cell; a cell without data gets its axes only.
TEST(McfPlot, GridWithAnEmptyCell) {
    const std::string data =
        "unit,t,n,plant,shift\n"
        "1,5,1,A,day\n1,9,-1,A,day\n2,3,1,A,night\n2,8,-1,A,night\n3,4,1,B,day\n3,7,-1,B,day\n";
    dp::Run r = dp::run("proc vitalyx data=d;\n unitid unit;\n mcfplot t*n(-1) = plant shift / noinset;\nrun;\n", {{"d", data}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    for (const char* k : {"A", "B", "day", "night"}) EXPECT_TRUE(p.hastext(k)) << k;
    EXPECT_EQ(p.markers().size(), 6u);   // three cells: an event and an end each
}

}  // namespace
