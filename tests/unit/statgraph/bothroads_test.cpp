// The same analyses drawn on both graphics roads tell the same story: each page is read back
// as a person reads it (every axis from its tick labels, in the coordinate its scale is
// linear in: log time, the distribution's quantile of a percent, the Arrhenius value of a
// temperature), and the points, curves, limit bars, censored marks and reference lines of the
// device page and of the statistical page must sit at the same data coordinates. Where the
// roads differ by design this says so: the device road draws the steps of an MCF without
// risers, bands as curves through the points' times rather than over the whole axis.
#include <algorithm>
#include <array>
#include <cmath>
#include <set>

#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"
#include "tests/unit/statgraph/graphrun.h"
#include "tests/unit/statgraph/pagereader.h"

namespace {

using pagereader::Axis;
using pagereader::Panel;
using pagereader::Prim;
using pagereader::Pt;
using pagereader::qnorm;
using pagereader::readpage;
using pagereader::scaled;

// Points that lie on one another are one point (the statistical road stamps a spot once).
std::vector<Pt> spots(std::vector<Pt> v, double tx, double ty) {
    std::vector<Pt> out;
    for (const Pt& p : v)
        if (std::none_of(out.begin(), out.end(), [&](const Pt& q) { return std::fabs(p.first - q.first) < tx && std::fabs(p.second - q.second) < ty; }))
            out.push_back(p);
    return out;
}

// Every spot of a has one of b within the tolerances.
void samespots(const std::vector<Pt>& a, const std::vector<Pt>& b, double tx, double ty, const std::string& what) {
    const auto sa = spots(a, tx, ty), sb = spots(b, tx, ty);
    EXPECT_EQ(sa.size(), sb.size()) << what;
    for (const Pt& p : sa)
        EXPECT_TRUE(std::any_of(sb.begin(), sb.end(), [&](const Pt& q) { return std::fabs(p.first - q.first) < tx && std::fabs(p.second - q.second) < ty; }))
            << what << " at (" << p.first << ", " << p.second << ") has no partner";
}

// The value of a curve at x (its points in any order along x), or NaN outside it.
double at(std::vector<Pt> c, double x) {
    std::sort(c.begin(), c.end());
    for (size_t k = 0; k + 1 < c.size(); ++k)
        if (x >= c[k].first && x <= c[k + 1].first) {
            const double w = c[k + 1].first - c[k].first;
            return w <= 0 ? c[k].second : c[k].second + (c[k + 1].second - c[k].second) * (x - c[k].first) / w;
        }
    return NAN;
}

// Each curve of a runs on some curve of b wherever both are shown (within ty at a's
// vertices inside the frame's x range).
void samecurves(const Panel& pa, const Panel& pb, double ty, const std::string& what) {
    const double lo = std::min(pa.sx.data(pa.x0), pa.sx.data(pa.x1)), hi = std::max(pa.sx.data(pa.x0), pa.sx.data(pa.x1));
    const double ylo = std::min(pa.sy.data(pa.y0), pa.sy.data(pa.y1)), yhi = std::max(pa.sy.data(pa.y0), pa.sy.data(pa.y1));
    for (const auto& c : pa.curves) {
        std::vector<Pt> shown;
        for (const Pt& p : c)
            if (p.first >= lo && p.first <= hi && p.second >= ylo && p.second <= yhi) shown.push_back(p);
        if (shown.empty()) continue;
        bool found = false;
        for (const auto& d : pb.curves) {
            int compared = 0;
            bool all = true;
            for (const Pt& p : shown) {
                const double v = at(d, p.first);
                if (std::isnan(v)) continue;
                ++compared;
                all = all && std::fabs(v - p.second) < ty;
            }
            if (compared > 0 && all) found = true;
        }
        EXPECT_TRUE(found) << what << ": the curve through (" << shown.front().first << ", " << shown.front().second << ") has no partner";
    }
}

// The short lines of a panel (the limits of points: bars or dashes) by their middles.
std::vector<Pt> middles(const Panel& p) {
    std::vector<Pt> v;
    for (const auto& s : p.segs) v.emplace_back(0.5 * (s[0] + s[2]), 0.5 * (s[1] + s[3]));
    return v;
}

// The level pieces of a panel's curves and lines (steps, without their risers): from, to, level.
std::vector<std::array<double, 3>> levels(const Panel& p, double tx) {
    std::vector<std::array<double, 3>> v;
    auto add = [&](double x0, double y0, double x1, double y1) {
        if (std::fabs(y0 - y1) < 1e-9 * (1 + std::fabs(y0)) && std::fabs(x1 - x0) > 2 * tx) v.push_back({std::min(x0, x1), std::max(x0, x1), y0});
    };
    for (const auto& c : p.curves)
        for (size_t k = 0; k + 1 < c.size(); ++k) add(c[k].first, c[k].second, c[k + 1].first, c[k + 1].second);
    for (const auto& s : p.segs) add(s[0], s[1], s[2], s[3]);
    return v;
}

// Every level piece of a lies on a piece of b at the same level.
void samelevels(const Panel& a, const Panel& b, double tx, double ty, const std::string& what) {
    const auto la = levels(a, tx), lb = levels(b, tx);
    EXPECT_FALSE(la.empty()) << what;
    for (const auto& l : la) {
        const double xm = 0.5 * (l[0] + l[1]);
        EXPECT_TRUE(std::any_of(lb.begin(), lb.end(), [&](const auto& m) { return std::fabs(m[2] - l[2]) < ty && xm >= m[0] - tx && xm <= m[1] + tx; }))
            << what << ": the level " << l[2] << " from " << l[0] << " to " << l[1] << " has no partner";
    }
}

struct Roads {
    dp::Run device, statistical;
    Roads(const std::string& program, const std::map<std::string, std::string>& data) {
        dp::Options o;
        device = dp::run(program, data, o);
        statistical = dp::run("options graphics=statistical;\n" + program, data, o);
        EXPECT_EQ(device.status, 0) << device.log.all();
        EXPECT_EQ(statistical.status, 0) << statistical.log.all();
    }
};

// Points, fitted lines and bands (curves), limits (short lines) and censored marks of one
// panel of each road.
void samepanel(const Panel& d, const Panel& s, const std::string& what, bool curves = true, bool censored = true) {
    const double tx = 0.001 * s.spanx(), ty = 0.001 * s.spany();
    samespots(d.points, s.points, tx, ty, what + ": points");
    if (curves) {
        samecurves(d, s, 0.001 * s.spany(), what + ": device curve");
        samecurves(s, d, 0.001 * s.spany(), what + ": statistical curve");
        samespots(middles(d), middles(s), tx, ty, what + ": limits");
    }
    // Censored marks: as many on both roads, each statistical one with a device one at its
    // time; the device road moves a mark that falls on the one before it a little right.
    if (!censored) return;
    EXPECT_EQ(d.censored.size(), s.censored.size()) << what << ": censored marks";
    for (const Pt& c : s.censored)
        EXPECT_TRUE(std::any_of(d.censored.begin(), d.censored.end(), [&](const Pt& e) { return std::fabs(e.first - c.first) < tx; }))
            << what << ": the censored mark at " << c.first << " has no partner";
    for (const Pt& e : d.censored)
        EXPECT_TRUE(std::any_of(s.censored.begin(), s.censored.end(), [&](const Pt& c) { return e.first - c.first > -tx && e.first - c.first < 0.02 * s.spanx(); }))
            << what << ": the device's censored mark at " << e.first << " has no partner";
}

TEST(BothRoads, ProbabilityPlots) {
    struct Case {
        std::string name, program, data;
        Axis paper;
        bool censored = true;   // an overlay on the statistical road carries no censored marks
        bool turned = false;    // ROTATE: the probabilities along the bottom
    };
    const Case cases[] = {
        {"ball bearings", "proc vitalyx data=d;\n distribution weibull;\n probplot cycles;\nrun;\n", testdata::bearings, Axis::Weibull},
        {"ball bearings, turned", "proc vitalyx data=d;\n distribution weibull;\n probplot cycles / rotate;\nrun;\n", testdata::bearings,
         Axis::Weibull, true, true},
        {"diesel fans", "proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(1);\nrun;\n",
         testdata::file("programs/fit_weibull_fans/fans.csv"), Axis::Weibull},
        {"interval-censored study", "proc vitalyx data=d;\n distribution lognormal;\n probplot (lower upper);\nrun;\n",
         testdata::file("programs/fit_interval_data/cosmesis.csv"), Axis::Normal},
        {"two groups", "proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(1) = plant / overlay;\nrun;\n",
         testdata::file("programs/fit_class_groups/lots.csv"), Axis::Weibull, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Roads r(c.program, {{"d", c.data}});
        ASSERT_EQ(r.device.pages.size(), 1u);
        ASSERT_EQ(r.statistical.pages.size(), 1u);
        const std::pair<Axis, Axis> axes = c.turned ? std::pair{c.paper, Axis::Log} : std::pair{Axis::Log, c.paper};
        const auto d = readpage(r.device.pages[0], {axes});
        const auto s = readpage(r.statistical.pages[0], {axes});
        ASSERT_EQ(d.size(), 1u);
        ASSERT_EQ(s.size(), 1u);
        EXPECT_GT(d[0].points.size(), 5u);
        EXPECT_GE(s[0].curves.size(), 3u);   // the fitted line and its band
        samepanel(d[0], s[0], c.name, true, c.censored);
    }
}

// MCF plots: points with limit bars, and steps, of one group and of two groups overlaid. The
// device road draws the steps without risers (STEP(JOIN=YES) included), so the steps are
// compared by their level pieces.
TEST(BothRoads, McfPlots) {
    const std::string valve = testdata::file("data/mcf/valve.csv"), bladder = testdata::file("data/mcf/bladder.csv");
    struct Case {
        std::string name, program, data;
        bool steps;
        bool censored = true;   // an overlay on the statistical road carries no censored marks
    };
    const Case cases[] = {
        {"valve seats", "proc vitalyx data=d;\n unitid engine;\n mcfplot days*n(-1);\nrun;\n", valve, false},
        {"valve seats, steps", "proc vitalyx data=d;\n unitid engine;\n mcfplot days*n(-1) / interpolate=step(join=yes);\nrun;\n", valve, true},
        {"two groups", "proc vitalyx data=d;\n unitid unit;\n mcfplot age*n(-1) = rx / overlay;\nrun;\n", bladder, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Roads r(c.program, {{"d", c.data}});
        ASSERT_EQ(r.device.pages.size(), 1u);
        ASSERT_EQ(r.statistical.pages.size(), 1u);
        const auto d = readpage(r.device.pages[0], {{Axis::Linear, Axis::Linear}});
        const auto s = readpage(r.statistical.pages[0], {{Axis::Linear, Axis::Linear}});
        ASSERT_EQ(d.size(), 1u);
        ASSERT_EQ(s.size(), 1u);
        EXPECT_EQ(d[0].points.size(), s[0].points.size());
        samepanel(d[0], s[0], c.name, !c.steps, c.censored);
        if (c.steps) {
            const double tx = 0.001 * s[0].spanx(), ty = 0.001 * s[0].spany();
            samelevels(d[0], s[0], tx, ty, c.name + ": device step");
            samelevels(s[0], d[0], tx, ty, c.name + ": statistical step");
        }
    }
}

// The accelerated test with its temperature levels: the relation panel (life against the
// Arrhenius scale of temperature) with the data, the percentile lines and a stress reference
// line; and the probability plot of the levels. Both roads put the probability panel first and
// turned, the life up the axis it shares with the relation panel, its probabilities from the
// tick at or below the lowest point to the tick at or above the highest.
TEST(BothRoads, RelationPlot) {
    Roads r("proc vitalyx data=d;\n distribution lognormal;\n"
            " relationplot hours = temp / relation=arr pplot plotdata=data plotfit=10 50 90 sref=210;\nrun;\n",
            {{"d", testdata::insulation}});
    ASSERT_EQ(r.device.pages.size(), 1u);
    ASSERT_EQ(r.statistical.pages.size(), 1u);
    const std::vector<std::pair<Axis, Axis>> axes = {{Axis::Normal, Axis::Log}, {Axis::Arrhenius, Axis::Log}};
    const auto d = readpage(r.device.pages[0], axes);
    const auto s = readpage(r.statistical.pages[0], axes);
    ASSERT_EQ(d.size(), 2u);
    ASSERT_EQ(s.size(), 2u);

    const Panel &drel = d[1], &srel = s[1];
    EXPECT_EQ(spots(drel.points, 1e-6, 1e-6).size(), 23u);   // 40 specimens, 23 different lives
    EXPECT_EQ(drel.curves.size(), 3u);
    samepanel(drel, srel, "relation panel", true, false);
    // The reference line at 210 degrees runs across the frame on both roads.
    for (const Panel* p : {&drel, &srel})
        EXPECT_TRUE(std::any_of(p->across.begin(), p->across.end(), [](const auto& l) {
            return std::fabs(l[0] - scaled(Axis::Arrhenius, 210)) < 1e-3 && std::fabs(l[2] - l[0]) < 1e-9;
        })) << (p == &drel ? "device" : "statistical");

    // The probability panel left of the relation panel, its frame as high, on one life scale.
    const Panel &dprob = d[0], &sprob = s[0];
    EXPECT_LT(sprob.x1, srel.x0);
    EXPECT_NEAR(sprob.y0, srel.y0, 0.3);
    EXPECT_NEAR(sprob.y1, srel.y1, 0.3);
    EXPECT_NEAR(sprob.sy.a, srel.sy.a, 0.05);
    EXPECT_NEAR(sprob.sy.b, srel.sy.b, 0.05);
    const double tx = 0.001 * sprob.spanx(), ty = 0.001 * sprob.spany();
    samespots(dprob.points, sprob.points, tx, ty, "probability panel: points");
    EXPECT_EQ(spots(sprob.points, tx, ty).size(), 40u);
    EXPECT_GE(dprob.curves.size(), 4u);
    EXPECT_GE(sprob.curves.size(), 4u);
    samecurves(dprob, sprob, 0.001 * sprob.spany(), "probability panel: device curve");
    samecurves(sprob, dprob, 0.001 * sprob.spany(), "probability panel: statistical curve");
    // Its probabilities from the tick at or below the lowest point (5 percent) to the tick at
    // or above the highest (95 percent), the frame a little beyond.
    double plo = INFINITY, phi = -INFINITY;
    for (const Pt& p : sprob.points) plo = std::min(plo, p.first), phi = std::max(phi, p.first);
    const double lo = sprob.sx.data(sprob.x0), hi = sprob.sx.data(sprob.x1), m = 0.03 * (hi - lo);
    EXPECT_NEAR(lo, scaled(Axis::Normal, 5), m);
    EXPECT_NEAR(hi, scaled(Axis::Normal, 95), m);
    EXPECT_LE(lo, plo);
    EXPECT_GE(hi, phi);
}

// The MODEL's fit of the capacitors (FITTYPE=REGRESSION, a power relation on voltage and a
// curve for each temperature): the data at their voltages and the two percentile lines. An
// observation without a temperature, which the MODEL drops, is on neither road.
TEST(BothRoads, RelationPlotOfTheModel) {
    Roads r("proc vitalyx data=d;\n class temperature;\n distribution weibull;\n"
            " model time*status(0) = voltage temperature / relation=pow;\n"
            " relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=50;\nrun;\n",
            {{"d", testdata::file("programs/model_fit_by_model/capacitor.csv") + ",200,700,1\n"}});
    ASSERT_EQ(r.device.pages.size(), 1u);
    ASSERT_EQ(r.statistical.pages.size(), 1u);
    const auto d = readpage(r.device.pages[0], {{Axis::Log, Axis::Log}});
    const auto s = readpage(r.statistical.pages[0], {{Axis::Log, Axis::Log}});
    ASSERT_EQ(d.size(), 1u);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].curves.size(), 2u);
    samepanel(d[0], s[0], "MODEL relation plot", true, false);
    for (const Pt& p : d[0].points) EXPECT_GT(std::fabs(p.second - std::log10(700.0)), 1e-3) << "the dropped observation is drawn";
    // Each curve is labelled by its temperature on both roads.
    for (const dp::Page* p : {&r.device.pages[0], &r.statistical.pages[0]})
        EXPECT_TRUE(p->hastext("170") && p->hastext("180")) << (p == &r.device.pages[0] ? "device" : "statistical");
}

// Curves at values of a second variable: the device road labels each by its value under a
// heading of the variable, the statistical road by "variable = value". One curve with several
// percentiles is labelled by percentile, its value in the note. Labels of close lines keep apart.
TEST(BothRoads, CurvesAtValuesOfASecondVariable) {
    Roads r("proc vitalyx data=d;\n distribution weibull;\n model time*status(0) = voltage temperature / relation=pow;\n"
            " relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=50 temperature=150 190;\n"
            " relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=10 50 temperature=150;\nrun;\n",
            {{"d", testdata::file("programs/model_fit_by_model/capacitor.csv")}});
    ASSERT_EQ(r.device.pages.size(), 2u);
    ASSERT_EQ(r.statistical.pages.size(), 2u);
    const dp::Page &d = r.device.pages[0], &s = r.statistical.pages[0], &one = r.statistical.pages[1];
    EXPECT_TRUE(d.hastext("150") && d.hastext("190") && d.hastext("temperature"));
    EXPECT_TRUE(s.hastext("temperature = 150") && s.hastext("temperature = 190"));
    EXPECT_TRUE(one.hastext("10") && one.hastext("50") && one.hastext("temperature = 150"));
    EXPECT_FALSE(one.hastext("150"));

    // Lines that end close together (three lots of nearly one life): their labels keep apart
    // on the statistical road.
    std::string lots = "dose,lot,hours\n", line;
    std::istringstream in(testdata::insulation);
    std::getline(in, line);
    for (int k = 0; std::getline(in, line); ++k)
        lots += std::to_string(500 - std::stoi(line.substr(0, 3))) + "," + "ABC"[k % 3] + "," + line.substr(4) + "\n";
    dp::Options o;
    o.statistical = true;
    const dp::Run close = dp::run("proc vitalyx data=d;\n class lot;\n distribution lognormal;\n model hours = dose lot;\n"
                                  " relationplot hours = dose / fit=regression plotfit=50;\nrun;\n",
                                  {{"d", lots}}, o);
    ASSERT_EQ(close.status, 0) << close.log.all();
    ASSERT_EQ(close.pages.size(), 1u);
    const dp::Page& c = close.pages[0];
    const Prim *a = c.text("A"), *b = c.text("B"), *cc = c.text("C");
    ASSERT_TRUE(a && b && cc);
    // No label's box meets another's (the boxes from the baseline, a text height high).
    auto apart = [&](const Prim* p, const Prim* q) {
        const double h = p->style.size / c.h * 100.0;
        const double px = p->xy[0], qx = q->xy[0], pw = dp::labelwidth(c, *p), qw = dp::labelwidth(c, *q);
        return px + pw <= qx || qx + qw <= px || std::fabs(p->xy[1] - q->xy[1]) >= h;
    };
    EXPECT_TRUE(apart(a, b));
    EXPECT_TRUE(apart(a, cc));
    EXPECT_TRUE(apart(b, cc));
}

}  // namespace

namespace {

// A power relation's stress axis from STRESSLOWER=180 to STRESSUPPER=270 (the insulation at
// 190 to 260 degrees): the device road labels its two ends only (a log stress axis labels its
// ends and the decades between, and none lies between), the statistical road labels 200 too,
// where it labelled only the ends as well.
TEST(BothRoads, ShortLogStressAxisBetweenGivenEnds) {
    Roads r("proc vitalyx data=d;\n distribution lognormal;\n"
            " relationplot hours = temp / relation=pow plotdata=data stresslower=180 stressupper=270;\nrun;\n",
            {{"d", testdata::insulation}});
    for (const dp::Run* run : {&r.device, &r.statistical}) {
        const bool statistical = run == &r.statistical;
        ASSERT_EQ(run->pages.size(), 1u);
        const auto p = readpage(run->pages[0], {{Axis::Log, Axis::Log}});
        ASSERT_EQ(p.size(), 1u);
        std::set<std::string> below;   // the numbers under the frame
        for (const Prim* t : run->pages[0].of(Prim::Text))
            if (t->xy[1] < p[0].y0 && t->xy[0] > p[0].x0 - 5 && t->xy[0] < p[0].x1 + 5) below.insert(t->text);
        EXPECT_TRUE(below.count("180") && below.count("270")) << (statistical ? "statistical" : "device");
        EXPECT_EQ(below.count("200"), statistical ? 1u : 0u) << (statistical ? "statistical" : "device");
    }
}

// The ends of the axes the user gives (LIFEUPPER, STRESSLOWER and STRESSUPPER on a relation plot
// of the MODEL with a power relation; LIFELOWER, LIFEUPPER, PCTLOWER and PCTUPPER on a
// probability plot; HLOWER, HUPPER, VLOWER and VUPPER on an MCF plot) are the ends of the
// frame on both roads, labelled by their values, wherever the data and the fitted lines run.
TEST(BothRoads, AxisEndsTheUserGives) {
    Roads r("proc vitalyx data=d;\n class temperature;\n distribution weibull;\n"
            " model time*status(0) = voltage temperature / relation=pow;\n"
            " relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=50 lifeupper=6000\n"
            "   stresslower=150 stressupper=500;\nrun;\n"
            "proc vitalyx data=f;\n distribution weibull;\n probplot hours*status(1) / lifelower=300 lifeupper=20000 pctlower=0.01 pctupper=99;\nrun;\n",
            {{"d", testdata::file("programs/model_fit_by_model/capacitor.csv")}, {"f", testdata::file("programs/fit_weibull_fans/fans.csv")}});
    ASSERT_EQ(r.device.pages.size(), 2u);
    ASSERT_EQ(r.statistical.pages.size(), 2u);
    for (const dp::Run* run : {&r.device, &r.statistical}) {
        const std::string road = run == &r.device ? "device" : "statistical";
        const auto rel = readpage(run->pages[0], {{Axis::Log, Axis::Log}});
        ASSERT_EQ(rel.size(), 1u) << road;
        EXPECT_NEAR(rel[0].sy.data(rel[0].y1), std::log10(6000.0), 2e-3) << road << ": the relation plot's top";
        EXPECT_NEAR(rel[0].sx.data(rel[0].x0), std::log10(150.0), 2e-3) << road << ": the relation plot's left end";
        EXPECT_NEAR(rel[0].sx.data(rel[0].x1), std::log10(500.0), 2e-3) << road << ": the relation plot's right end";
        const auto pp = readpage(run->pages[1], {{Axis::Log, Axis::Weibull}});
        ASSERT_EQ(pp.size(), 1u) << road;
        // The device road's probability frame reaches a little beyond its axis at both ends.
        const double lo = std::log10(300.0), hi = std::log10(20000.0), margin = 0.015 * (hi - lo);
        EXPECT_NEAR(pp[0].sx.data(pp[0].x0), lo, margin) << road << ": the probability plot's left end";
        EXPECT_NEAR(pp[0].sx.data(pp[0].x1), hi, margin) << road << ": the probability plot's right end";
        EXPECT_TRUE(run->pages[1].hastext("300") && run->pages[1].hastext("20000")) << road;
        // The probability axis from PCTLOWER to PCTUPPER, though the points span 0.7 to 25
        // percent (the statistical road's frame reaches up into its strip of censored marks).
        const double plo = scaled(Axis::Weibull, 0.01), phi = scaled(Axis::Weibull, 99), pm = 0.025 * (phi - plo);
        EXPECT_NEAR(pp[0].sy.data(pp[0].y0), plo, pm) << road << ": the probability plot's bottom";
        EXPECT_TRUE(run->pages[1].hastext("99") && !run->pages[1].hastext("99.9")) << road << ": the probability plot's top";
    }

    // An MCF plot with HLOWER, HUPPER and VLOWER: the frame's left, right and bottom ends.
    Roads m("proc vitalyx data=d;\n unitid engine;\n mcfplot days*n(-1) / hlower=100 hupper=500 vlower=0 vupper=3;\nrun;\n",
            {{"d", testdata::file("data/mcf/valve.csv")}});
    ASSERT_EQ(m.device.pages.size(), 1u);
    ASSERT_EQ(m.statistical.pages.size(), 1u);
    for (const dp::Run* run : {&m.device, &m.statistical}) {
        const std::string road = run == &m.device ? "device" : "statistical";
        const auto p = readpage(run->pages[0], {{Axis::Linear, Axis::Linear}});
        ASSERT_EQ(p.size(), 1u) << road;
        EXPECT_NEAR(p[0].sx.data(p[0].x0), 100, 6) << road << ": the MCF plot's left end";
        EXPECT_NEAR(p[0].sx.data(p[0].x1), 500, 6) << road << ": the MCF plot's right end";
        EXPECT_NEAR(p[0].sy.data(p[0].y0), 0, 0.04) << road << ": the MCF plot's bottom";
        EXPECT_TRUE(run->pages[0].hastext("3")) << road << ": the MCF plot's top";
    }

    // With LIFELOWER=100 the line of 180 degrees leaves the frame through its bottom: its label
    // stands inside the frame, not on its edge where the frame would cut it.
    dp::Options o;
    o.statistical = true;
    const dp::Run low = dp::run("proc vitalyx data=d;\n class temperature;\n distribution weibull;\n"
                                " model time*status(0) = voltage temperature / relation=pow;\n"
                                " relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=50 lifelower=100;\nrun;\n",
                                {{"d", testdata::file("programs/model_fit_by_model/capacitor.csv")}}, o);
    ASSERT_EQ(low.pages.size(), 1u);
    const auto panel = readpage(low.pages[0], {{Axis::Log, Axis::Log}});
    ASSERT_EQ(panel.size(), 1u);
    const Prim* label = low.pages[0].text("180");
    ASSERT_TRUE(label);
    EXPECT_GE(label->xy[1], panel[0].y0);
}

}  // namespace

// A reference line that meets the fitted line beyond the probability axis is drawn across the
// frame, and both roads say so in one WARNING with the percent read off there: one failure at
// 1234 hours stops its Weibull fit at a shape of 823.6, which reaches 1000 hours at 8.8E-74
// percent (the label's 1 - exp(-exp(z)) reads 0) and 2000 hours within 1e-170 of 100 percent;
// the ball bearings reach 12 Mrev at 1.75 percent, below the axis's 2 (the device road said
// nothing of any). The WARNING names the value as the statement gave it: the device road wrote
// ten to its log10 (90000.0000000001), the statistical road six digits (2000.12, 5.12346).
TEST(BothRoads, CrossingsBeyondTheAxisAreToldAlike) {
    const std::string tail = "; it is drawn across the frame without the value read off there.";
    const struct {
        std::string program, data;
        std::vector<std::string> said;
    } cases[] = {
        {"probplot hours*status(0) / pctupper=90 lref=1000 2000 intersect lreflabels='1000 h' '2000 h'",
         "hours,status\n1234,1\n",
         {"The reference line at 1000 meets the fitted line outside the vertical axis of the graph (at 8.8E-74 percent)" + tail,
          "The reference line at 2000 meets the fitted line outside the vertical axis of the graph (above 99.99 percent)" + tail}},
        {"probplot cycles / lref=12 intersect lreflabels='12 Mrev'", testdata::bearings,
         {"The reference line at 12 meets the fitted line outside the vertical axis of the graph (at 1.75 percent)" + tail}},
        {"probplot hours*status(0) / pctupper=90 lifeupper=100000 lref=90000 2000.123456 intersect lreflabels='a' 'b'",
         "hours,status\n1234,1\n",
         {"The reference line at 90000 meets the fitted line outside the vertical axis of the graph (above 99.99 percent)" + tail,
          "The reference line at 2000.123456 meets the fitted line outside the vertical axis of the graph (above 99.99 percent)" + tail}},
        {"probplot cycles / lifelower=40 pref=5.123456789 intersect preflabels='p'", testdata::bearings,
         {"The reference line at 5.123456789 percent meets the fitted line outside the horizontal axis of the graph (at 20.17)" + tail}},
    };
    for (const auto& c : cases) {
        Roads r("proc vitalyx data=d;\n distribution weibull;\n " + c.program + ";\nrun;\n", {{"d", c.data}});
        for (const dp::Run* run : {&r.device, &r.statistical})
            for (const std::string& w : c.said) EXPECT_TRUE(run->log.has('W', w)) << (run == &r.device ? "device: " : "statistical: ") << run->log.all('W');
    }
}

// Reference values off the axes of two lots' panels, some given twice, in two BY groups: the
// device road named the first LREF= value off its axis and dropped the others, and both roads
// wrote the WARNING of a probability outside 0 to 100 percent for each value and each panel.
// Every value is named now, and each text once in each BY group, whose pages are its own.
TEST(BothRoads, ValuesOffTheAxesAreEachNamedOnceInTheStep) {
    std::string lots = "t,c,lot,by\n";
    for (const char* by : {"A", "B"})
        for (const char* row : {"435,1,L0", "1555,1,L0", "430,0,L0", "1014,1,L0", "154,1,L0", "1137,1,L0", "341,1,L0", "1318,1,L1",
                                "862,1,L1", "341,0,L1", "2032,1,L1", "2238,1,L1"})
            lots += std::string(row) + "," + by + "\n";
    Roads r("proc vitalyx data=d;\n by by;\n distribution weibull;\n"
            " probplot t*c(0) = lot / lref=5 1000 5 999999 pref=150 50 150 -5;\nrun;\n",
            {{"d", lots}});
    auto times = [](const dp::Run& run, const std::string& part) {
        int n = 0;
        for (const std::string& w : run.log.of('W')) n += w.find(part) != std::string::npos;
        return n;
    };
    EXPECT_EQ(times(r.device, "Values of LREF= (5, 999999) lie outside the horizontal axis; their lines are not drawn."), 2) << r.device.log.all('W');
    for (const char* v : {"5", "999999"})
        EXPECT_EQ(times(r.statistical, std::string("The reference line at ") + v + " lies outside the horizontal axis of the graph"), 2)
            << r.statistical.log.all('W');
    for (const dp::Run* run : {&r.device, &r.statistical}) {
        const std::string road = run == &r.device ? "device: " : "statistical: ";
        for (const char* v : {"150", "-5"})
            EXPECT_EQ(times(*run, std::string("A reference probability of ") + v + " lies outside 0 to 100 percent"), 2) << road << run->log.all('W');
        EXPECT_EQ(run->log.count('W'), run == &r.device ? 6 : 8) << road << run->log.all('W');
    }
}

// Bytes cairo refuses in a reference label, a CLASS level and a BY value: every page of both
// roads is drawn (cairo once failed the page, and the step ended with status 1), the texts
// reach the pages with their bytes, and the log and the listing keep them.
TEST(BothRoads, TextCairoRefusesIsDrawnOnEveryPage) {
    const struct {
        const char *what, *bytes;
    } cases[] = {
        {"noncharacter U+FFFF", "\xEF\xBF\xBF"}, {"noncharacter U+FDD0", "\xEF\xB7\x90"},
        {"surrogate", "\xED\xA0\x80"},           {"past U+10FFFF", "\xF4\x90\x80\x80"},
        {"lead byte F5", "\xF5\x80\x80\x80"},    {"overlong of three bytes", "\xE0\x80\xAF"},
        {"overlong of two bytes", "\xC0\xAF"},
    };
    const char* times[] = {"412", "655", "803", "1070", "1390", "1830"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string b = c.bytes;
        std::string csv = "t,c,lot,grp\n";
        for (const std::string& g : {"G" + b, std::string("Plain")})
            for (const std::string& lot : {"L" + b, std::string("L2")})
                for (const char* t : times) csv += std::string(t) + ",1," + lot + "," + g + "\n";
        Roads r("proc vitalyx data=d;\n by grp;\n distribution weibull;\n probplot t*c(0) = lot / href=1000 hreflabels='S" + b +
                    "';\nrun;\n",
                {{"d", csv}});
        for (const dp::Run* run : {&r.device, &r.statistical}) {
            const std::string road = run == &r.device ? "device: " : "statistical: ";
            EXPECT_FALSE(run->log.has("could not be written")) << road << run->log.all('E');
            ASSERT_EQ(run->pages.size(), 2u) << road;
            for (const std::string& want : {"S" + b, "L" + b})
                EXPECT_TRUE(run->pages[0].hastext(want) && run->pages[1].hastext(want)) << road << want;
            bool by = false;
            for (const std::string& t : run->pages[0].texts()) by = by || t.find("grp=G" + b) != std::string::npos;
            EXPECT_TRUE(by) << road << "the BY line";
            EXPECT_TRUE(run->log.has("in the BY group grp=G" + b)) << road;
            EXPECT_NE(run->listing.find("L" + b), std::string::npos) << road;
        }
    }
}

// Face names with bytes cairo refuses, in FONT= (a family, aliased), INFONT= (a short name) and
// an inset's FONT=: cairo once refused the face, and with it the page, whose ERROR named a text
// of it that was fine. The names are read as drawn text is (a byte that is not UTF-8 it draws
// as its Latin-1 character), so every page of both roads is drawn in the face so named, which
// fontconfig's default stands in for.
TEST(BothRoads, FaceNameCairoRefusesDrawsThePage) {
    const struct {
        const char *what, *bytes, *read;
    } cases[] = {{"Latin-1", "\xE9", "\xC3\xA9"}, {"noncharacter U+FFFF", "\xEF\xBF\xBF", "\xC3\xAF\xC2\xBF\xC2\xBF"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string b = c.bytes, read = c.read;
        Roads r("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(0) / font='Helvetica Se" + b +
                    "or';\n inset weibull(scale) / font='Sans " + b + "';\n probplot hours*status(0) / infont='S" + b + "';\nrun;\n",
                {{"d", testdata::file("programs/fit_weibull_fans/fans.csv")}});
        for (const dp::Run* run : {&r.device, &r.statistical}) {
            const std::string road = run == &r.device ? "device: " : "statistical: ";
            EXPECT_EQ(run->log.count('E'), 0) << road << run->log.all('E');
            EXPECT_EQ(run->pages.size(), 2u) << road;
        }
        ASSERT_EQ(r.device.pages.size(), 2u);
        const dp::Page &font = r.device.pages[0], &infont = r.device.pages[1];
        ASSERT_TRUE(font.text("Percent") && font.text("Scale") && infont.text("Scale"));
        EXPECT_EQ(font.text("Percent")->style.face.family, "Helvetica Se" + read + "or");
        EXPECT_EQ(font.text("Scale")->style.face.family, "Sans " + read);
        EXPECT_EQ(infont.text("Scale")->style.face.family, "S" + read);
    }
}
