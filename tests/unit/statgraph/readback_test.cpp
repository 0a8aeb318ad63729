// The statistical road's pages read back to data coordinates from the drawing list, as a reader
// takes numbers off them: the probability axis ends where PCTLIST, PCTLOWER and PCTUPPER say,
// each fitted line runs across the frame while its band covers the rows the phantom carries
// (which stay as they are), bands let one another show through, no point sits on the frame's
// edge, a kind of observation keeps its marker on every relation page without a probability
// panel and beside one each life takes its level's marker, the page names the distribution, a
// Weibayes inset shows the confidence asked for, the time axis says when a threshold is taken
// off, very large and very small times are written in exponent notation, and a last group
// without a fit takes no other group's line, band or inset rows with it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "tests/unit/devplots/data.h"
#include "tests/unit/statgraph/graphrun.h"
#include "tests/unit/statgraph/pagereader.h"

namespace {

using pagereader::Axis;
using pagereader::Panel;
using pagereader::Prim;
using pagereader::Pt;
using pagereader::readpage;
using pagereader::scaled;

class Readback : public sgtest::GraphRun {
protected:
    // The k-th page of the last run in percent of the page, as dp::run gives pages.
    dp::Page pagepct(size_t k) const {
        dp::Page pg;
        const rt::gfx::RecordingCanvas* rec = page(k);
        EXPECT_NE(rec, nullptr) << "page " << k;
        if (!rec) return pg;
        pg.name = "page " + std::to_string(k);
        pg.w = rec->width;
        pg.h = rec->height;
        pg.prims = rec->prims;
        for (Prim& q : pg.prims)
            if (q.kind != Prim::Begin)
                for (size_t j = 0; j + 1 < q.xy.size(); j += 2) q.xy[j] = q.xy[j] / pg.w * 100, q.xy[j + 1] = q.xy[j + 1] / pg.h * 100;
        return pg;
    }
};

// The primitives of a kind drawn under the clip of the panel's frame.
std::vector<const Prim*> inframe(const dp::Page& pg, const Panel& p, Prim::Kind kind) {
    std::vector<const Prim*> v;
    bool in = false;
    for (const Prim& q : pg.prims) {
        if (q.kind == Prim::PushClip) in = std::fabs(q.xy[0] - p.x0) < 1e-6 && std::fabs(q.xy[1] - p.y0) < 1e-6;
        if (q.kind == Prim::PopClip) in = false;
        if (in && q.kind == kind) v.push_back(&q);
    }
    return v;
}

bool onedge(const Panel& p, double x, double y) {
    constexpr double tol = 0.02;   // page percent
    return std::fabs(x - p.x0) < tol || std::fabs(x - p.x1) < tol || std::fabs(y - p.y0) < tol || std::fabs(y - p.y1) < tol;
}

TEST_F(Readback, ProbabilityAxisEndsWherePctlistAndPctlowerSay) {
    dataset("b", testdata::bearings);
    const std::string list = "pctlist=0.1 0.5 1 2 5 10 20 30 40 50 60 70 80 90 95 99 99.9";
    const auto& r = run("proc vitalyx data=b; distribution weibull; probplot cycles / " + list + "; probplot cycles / " + list +
                        " pctlower=1 pctupper=99; probplot cycles / " + list + " pctupper=90; probplot cycles; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 4u);
    // The list's first and last entries; PCTLOWER and PCTUPPER where given; without a list the
    // ticks around the points (2 to 99 percent).
    const double ends[][2] = {{0.1, 99.9}, {1, 99}, {0.1, 90}, {2, 99}};
    for (size_t k = 0; k < 4; ++k) {
        const dp::Page pg = pagepct(k);
        const auto p = readpage(pg, {{Axis::Log, Axis::Weibull}});
        ASSERT_EQ(p.size(), 1u);
        const double lo = scaled(Axis::Weibull, ends[k][0]), hi = scaled(Axis::Weibull, ends[k][1]), pad = 0.025 * (hi - lo);
        EXPECT_NEAR(p[0].sy.data(p[0].y0), lo - 0.8 * pad, 0.2 * pad) << "page " << k << ": the bottom";
        EXPECT_NEAR(p[0].sy.data(p[0].y1), hi + 0.8 * pad, 0.2 * pad) << "page " << k << ": the top";
    }
}

// The fitted line: straight in the plot's coordinates and from edge to edge of the frame, though
// the phantom's line rows end at the data's range (whole decades on a log axis), where the
// band ends too; the band filled in the group's colour at 1 - _TransConf.
TEST_F(Readback, FittedLinesSpanTheFrameAndBandsTheirRows) {
    dataset("fans", testdata::file("programs/fit_weibull_fans/fans.csv"));
    dataset("b", testdata::bearings);
    dataset("lots", testdata::file("programs/fit_class_groups/lots.csv"));
    const auto& r = run("proc vitalyx data=fans; distribution weibull; "
                        "probplot hours*status(1) / lifelower=300 lifeupper=30000 pctlower=0.1 pctupper=50; run; "
                        "proc vitalyx data=b; distribution normal; probplot cycles / laxis=0 to 250 by 50; probplot cycles; run; "
                        "proc vitalyx data=lots; distribution weibull; probplot hours*status(1) = plant / overlay; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 4u);
    const std::pair<Axis, Axis> axes[] = {{Axis::Log, Axis::Weibull}, {Axis::Linear, Axis::Normal}, {Axis::Linear, Axis::Normal},
                                          {Axis::Log, Axis::Weibull}};
    const size_t groups[] = {1, 1, 1, 3}, bands[] = {1, 1, 1, 2};   // plant C's fit has no limits
    for (size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE("page " + std::to_string(k));
        // The rows of each group's line in the phantom, as the procedure wrote them.
        const sgtest::Phantom& ph = graphs[k].data[0];
        std::map<double, std::pair<double, double>> rows;   // group index: first and last time
        for (size_t j = 0; j < ph.rows; ++j) {
            const double t = ph.n("Xvalue2")[j];
            if (std::isnan(t)) continue;
            auto [it, fresh] = rows.try_emplace(ph.n("Index")[j], t, t);
            it->second.first = std::min(it->second.first, t), it->second.second = std::max(it->second.second, t);
        }
        ASSERT_EQ(rows.size(), groups[k]);
        if (k == 0) {
            EXPECT_EQ(rows.begin()->second, (std::pair<double, double>{100, 10000})) << "the line rows of the diesel fans";
        }

        const dp::Page pg = pagepct(k);
        const auto p = readpage(pg, {axes[k]});
        ASSERT_EQ(p.size(), 1u);
        const Panel& f = p[0];
        auto tx = [&](double t) { return axes[k].first == Axis::Log ? std::log10(t) : t; };
        std::vector<const Prim*> lines;
        for (const Prim* q : inframe(pg, f, Prim::Polyline))
            if (q->stroke.width > 1.2) lines.push_back(q);
        ASSERT_EQ(lines.size(), groups[k]);
        for (const Prim* q : lines) {
            const size_t n = q->xy.size() / 2;
            ASSERT_GE(n, 2u);
            EXPECT_TRUE(onedge(f, q->xy[0], q->xy[1]) && onedge(f, q->xy[2 * n - 2], q->xy[2 * n - 1])) << "a line that stops inside the frame";
            const Pt a = f.data(q->xy[0], q->xy[1]), b = f.data(q->xy[2 * n - 2], q->xy[2 * n - 1]);
            for (size_t j = 1; j + 1 < n; ++j) {
                const Pt c = f.data(q->xy[2 * j], q->xy[2 * j + 1]);
                EXPECT_NEAR(c.second, a.second + (b.second - a.second) * (c.first - a.first) / (b.first - a.first), 2e-3 * f.spany());
            }
        }
        // The bands, translucent, from the first row to the last (where the frame leaves them whole).
        const std::vector<const Prim*> fills = inframe(pg, f, Prim::Fill);
        ASSERT_EQ(fills.size(), bands[k]);
        for (const Prim* q : fills) {
            EXPECT_NEAR(q->opacity, 1 - graphs[k].v("_TransConf").d, 1e-12);
            EXPECT_NE(q->color, (rt::gfx::Rgb{1, 1, 1}));
            double lo = INFINITY, hi = -INFINITY;
            for (size_t j = 0; j + 1 < q->xy.size(); j += 2) lo = std::min(lo, f.sx.data(q->xy[j])), hi = std::max(hi, f.sx.data(q->xy[j]));
            const double left = f.sx.data(f.x0), right = f.sx.data(f.x1), tol = 2e-3 * f.spanx();
            // Within a group's rows; the one group's band of these pages reaches both ends of them
            // (the overlay's bands leave the frame through its top and bottom first).
            EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const auto& g) {
                const double a = std::max(tx(g.second.first), left), b = std::min(tx(g.second.second), right);
                return groups[k] == 1 ? std::fabs(lo - a) < tol && std::fabs(hi - b) < tol : lo > a - tol && hi < b + tol;
            })) << "a band from " << lo << " to " << hi;
        }
    }
}

// Points on an axis's end (the readout bearings' last inspection at 100 on a log axis of
// whole decades, interval MCF estimates at HUPPER) have room beyond them.
TEST_F(Readback, NoPointOnTheFramesEdge) {
    dataset("ro", "mrevs,fails,ontest\n25,1,23\n50,6,22\n75,8,16\n100,3,8\n");
    dataset("ivl", "lo,hi,ev,rem\n0,100,6,0\n100,200,5,0\n200,300,8,0\n300,400,8,2\n400,500,6,3\n500,600,10,7\n600,700,3,12\n700,800,1,17\n");
    const auto& r = run("proc vitalyx data=ro; distribution weibull; freq fails; nenter ontest; probplot mrevs / readout; run; "
                        "proc vitalyx data=ivl; mcfplot (interval=lo hi recurrences=ev censored=rem) / hupper=800; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 2u);
    const std::pair<Axis, Axis> axes[] = {{Axis::Log, Axis::Weibull}, {Axis::Linear, Axis::Linear}};
    const double ends[] = {100, 800};   // the last point's time, on the axis's end
    for (size_t k = 0; k < 2; ++k) {
        const dp::Page pg = pagepct(k);
        const auto p = readpage(pg, {axes[k]});
        ASSERT_EQ(p.size(), 1u);
        const Panel& f = p[0];
        EXPECT_TRUE(pg.hastext(k == 0 ? "100" : "800"));
        int marks = 0;
        bool atend = false;
        for (const Prim* q : inframe(pg, f, Prim::Markers))
            for (size_t j = 0; j + 1 < q->xy.size(); j += 2, ++marks) {
                const double x = q->xy[j], y = q->xy[j + 1], rx = q->size / 2 / pg.w * 100, ry = q->size / 2 / pg.h * 100;
                EXPECT_TRUE(x - rx > f.x0 && x + rx < f.x1 && y - ry > f.y0 && y + ry < f.y1)
                    << "page " << k << ": a marker at (" << x << ", " << y << ") reaches the frame's edge";
                atend = atend || std::fabs(f.sx.data(x) - (k == 0 ? 2.0 : ends[k])) < 1e-3 * f.spanx();
            }
        EXPECT_GE(marks, 4) << "page " << k;
        EXPECT_TRUE(atend) << "page " << k << ": no point at " << ends[k];
    }
}

// Exact and right-censored lives keep their marker and colour whichever comes first in the rows
// (the units at the lowest stress all censored, or all failed, or only the highest stress
// censored) and whether a page has both; the title names the distribution.
TEST_F(Readback, KindsKeepTheirMarkersOnEveryRelationPage) {
    std::string first = "temp,hours,status\n", last = first;
    std::istringstream in(testdata::insulation);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        const double t = std::stod(line.substr(line.find(',') + 1));
        first += line.substr(0, 3) == "190" ? "190,7000,0\n" : line + ",1\n";
        last += line.substr(0, 3) == "260" && t > 1000 ? "260,1000,0\n" : line + ",1\n";
    }
    dataset("cfirst", first);
    dataset("clast", last);
    dataset("all", testdata::insulation);
    const std::string rel = " distribution lognormal; relationplot hours*status(0) = temp / relation=arr plotfit=10 50 90 plotdata=data";
    const auto& r = run("proc vitalyx data=cfirst;" + rel + "; run; proc vitalyx data=clast;" + rel + "; run; proc vitalyx data=all;"
                        " distribution lognormal; relationplot hours = temp / relation=arr plotfit=10 50 90 plotdata=data; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 3u);
    const char* titles[] = {"Lognormal Percentile Plots", "Lognormal Percentile Plots", "Lognormal Percentile Plots"};
    std::map<std::string, std::pair<std::string, rt::gfx::Rgb>> looks;   // kind: marker and colour on the first page that has it
    for (size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE("page " + std::to_string(k));
        const dp::Page pg = pagepct(k);
        EXPECT_TRUE(pg.hastext(titles[k]));
        const auto p = readpage(pg, {{Axis::Arrhenius, Axis::Log}});
        ASSERT_FALSE(p.empty());
        const Panel& f = p.back();
        // The legend: each kind's text with the marker drawn just left of it.
        std::map<std::string, std::pair<std::string, rt::gfx::Rgb>> legend;
        for (const char* kind : {"Uncensored", "Right Censored"}) {
            const Prim* t = pg.text(kind);
            if (!t) continue;
            for (const Prim& q : pg.prims)
                if (q.kind == Prim::Markers && q.xy.size() == 2 && q.xy[0] < t->xy[0] && q.xy[0] > t->xy[0] - 4 && std::fabs(q.xy[1] - t->xy[1]) < 2)
                    legend[kind] = {q.text, q.stroke.color};
            ASSERT_TRUE(legend.count(kind)) << kind;
            auto [it, fresh] = looks.try_emplace(kind, legend[kind]);
            EXPECT_EQ(it->second, legend[kind]) << kind << " changed its marker or colour";
        }
        EXPECT_EQ(legend.size(), k == 2 ? 1u : 2u);
        // The data: the 190 degrees units of the first page all censored, on the second the 260
        // degrees units beyond 1000 hours; every marker drawn as its kind's legend shows.
        int censored = 0;
        for (const Prim* q : inframe(pg, f, Prim::Markers))
            for (size_t j = 0; j + 1 < q->xy.size(); j += 2) {
                const Pt d = f.data(q->xy[j], q->xy[j + 1]);
                const bool cens = (k == 0 && std::fabs(d.first - scaled(Axis::Arrhenius, 190)) < 1e-3) ||
                                  (k == 1 && std::fabs(d.first - scaled(Axis::Arrhenius, 260)) < 1e-3 && std::pow(10, d.second) > 999);
                censored += cens;
                EXPECT_EQ(std::make_pair(q->text, q->stroke.color), legend[cens ? "Right Censored" : "Uncensored"])
                    << "the marker at " << d.first << ", " << std::pow(10, d.second);
            }
        EXPECT_GT(censored, k == 2 ? -1 : 0);
    }
    EXPECT_NE(looks["Uncensored"], looks["Right Censored"]);
}

// Beside the probability panel (PPLOT) a marker means one thing on the page: in the relation
// plot each exact life takes the marker and colour of its temperature in the levels' legend,
// and each censored one (the 260 degrees units beyond 1000 hours) a marker no level uses, in
// its level's colour, which the legend under the relation plot names.
TEST_F(Readback, RelationPanelMarksEachLifeByItsLevel) {
    std::string clast = "temp,hours,status\n";
    std::istringstream in(testdata::insulation);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line))
        clast += line.substr(0, 3) == "260" && std::stod(line.substr(line.find(',') + 1)) > 1000 ? "260,1000,0\n" : line + ",1\n";
    dataset("clast", clast);
    const auto& r = run("proc vitalyx data=clast; distribution lognormal; relationplot hours*status(0) = temp / relation=arr "
                        "plotfit=10 50 90 plotdata=data pplot; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    const dp::Page pg = pagepct(0);
    const auto p = readpage(pg, {{Axis::Normal, Axis::Log}, {Axis::Arrhenius, Axis::Log}});
    ASSERT_EQ(p.size(), 2u);
    // A legend entry: its text with the one marker drawn just left of it.
    auto entry = [&](const std::string& text, std::pair<std::string, rt::gfx::Rgb>* look) {
        for (const Prim& t : pg.prims)
            if (t.kind == Prim::Text && t.text == text)
                for (const Prim& q : pg.prims)
                    if (q.kind == Prim::Markers && q.xy.size() == 2 && q.xy[0] < t.xy[0] && q.xy[0] > t.xy[0] - 4 && std::fabs(q.xy[1] - t.xy[1]) < 2) {
                        *look = {q.text, q.stroke.color};
                        return true;
                    }
        return false;
    };
    std::map<int, std::pair<std::string, rt::gfx::Rgb>> level;
    std::set<std::string> levelmarkers;
    for (int temp : {190, 220, 240, 260}) {
        ASSERT_TRUE(entry(std::to_string(temp), &level[temp])) << temp;
        levelmarkers.insert(level[temp].first);
    }
    EXPECT_EQ(levelmarkers.size(), 4u);
    std::pair<std::string, rt::gfx::Rgb> censored;
    ASSERT_TRUE(entry("Right Censored", &censored));
    EXPECT_EQ(levelmarkers.count(censored.first), 0u) << "the censored marker is a level's";
    EXPECT_FALSE(pg.hastext("Uncensored"));
    const Panel& f = p.back();
    std::map<int, int> exact, cens;
    for (const Prim* q : inframe(pg, f, Prim::Markers))
        for (size_t j = 0; j + 1 < q->xy.size(); j += 2) {
            const Pt d = f.data(q->xy[j], q->xy[j + 1]);
            int temp = 0;
            for (int t : {190, 220, 240, 260})
                if (std::fabs(d.first - scaled(Axis::Arrhenius, t)) < 1e-3) temp = t;
            ASSERT_NE(temp, 0) << "a marker at no level: " << d.first;
            const bool c = temp == 260 && std::pow(10, d.second) > 999;
            ++(c ? cens : exact)[temp];
            EXPECT_EQ(q->text, c ? censored.first : level[temp].first) << temp << " at " << std::pow(10, d.second);
            EXPECT_EQ(q->stroke.color, level[temp].second) << temp << " at " << std::pow(10, d.second);
        }
    // Lives stamped once per spot: the 190 degrees units at four spots (7228, 8448, 9167, 10511).
    EXPECT_EQ(exact[190], 4);
    EXPECT_EQ(cens[260], 1);
    EXPECT_GT(exact[260], 0);
}

// THRESHOLD=: every time is plotted with the threshold taken off, and the time axis says so on
// every probability plot, where nothing else on the page may mention the threshold: without
// class variables, with OVERLAY, and in panels with NOINSET.
TEST_F(Readback, TheTimeAxisSaysTheThresholdIsTakenOff) {
    dataset("bearings", testdata::bearings);
    dataset("ins", testdata::insulation);
    const auto& r = run("proc vitalyx data=bearings; distribution lognormal; probplot cycles / threshold=10; run; "
                        "proc vitalyx data=ins; distribution lognormal; probplot hours = temp / overlay threshold=100; "
                        "probplot hours = temp / noinset threshold=100; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 4u);   // the panels on two pages
    for (size_t k = 0; k < graphs.size(); ++k) {
        const std::string title = std::string(k == 0 ? "cycles" : "hours") + " minus threshold on Lognormal probability paper";
        EXPECT_EQ(graphs[k].v("_XLabel").s, title) << k;
        EXPECT_TRUE(pagepct(k).hastext(title)) << k;
    }
    // The title is true: the first bearing (17.88) stands at 7.88.
    const dp::Page pg = pagepct(0);
    const auto p = readpage(pg, {{Axis::Log, Axis::Normal}});
    ASSERT_EQ(p.size(), 1u);
    double first = INFINITY;
    for (const Pt& q : p[0].points) first = std::min(first, std::pow(10, q.first));
    EXPECT_NEAR(first, 7.88, 0.05);
    // Without THRESHOLD the axis is the variable's name.
    run("proc vitalyx data=bearings; distribution lognormal; probplot cycles; run;");
    ASSERT_EQ(graphs.size(), 1u);
    EXPECT_EQ(graphs[0].v("_XLabel").s, "cycles");
}

// Lives in the tens of billions, and in hundred-millionths: every label of the time axis in
// exponent notation, read back as the numbers they are (the axis stays log-linear in them).
TEST_F(Readback, VeryLargeAndVerySmallTimesInExponentNotation) {
    std::string big = "revs\n", tiny = "grevs\n";
    for (double t : testdata::bearingtimes()) {
        char b[64];
        std::snprintf(b, sizeof b, "%.10g\n", t * 1e9);
        big += b;
        std::snprintf(b, sizeof b, "%.10g\n", t * 1e-9);
        tiny += b;
    }
    dataset("big", big);
    dataset("tiny", tiny);
    const auto& r = run("proc vitalyx data=big; distribution lognormal; probplot revs; run; "
                        "proc vitalyx data=tiny; distribution lognormal; probplot grevs; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 2u);
    const char* want[][2] = {{"1e+10", "1e+12"}, {"1e-08", "1e-06"}};
    for (size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const dp::Page pg = pagepct(k);
        const auto p = readpage(pg, {{Axis::Log, Axis::Normal}});
        ASSERT_EQ(p.size(), 1u);
        for (const char* t : want[k]) EXPECT_TRUE(pg.hastext(t)) << t;
        // No label under the frame in long plain digits.
        for (const Prim* t : pg.of(Prim::Text)) {
            if (t->xy[1] >= p[0].y0) continue;
            EXPECT_EQ(t->text.find("0000"), std::string::npos) << t->text;
        }
        // The first bearing where its time says.
        double first = INFINITY;
        for (const Pt& q : p[0].points) first = std::min(first, q.first);
        EXPECT_NEAR(first, std::log10(17.88 * (k == 0 ? 1e9 : 1e-9)), 0.01);
    }
}

// A Weibayes fit with CONF=0.9 (kept as -ln(1 - 0.9) by the procedure): the inset reads 90%.
TEST_F(Readback, WeibayesInsetShowsTheConfidenceAsked) {
    dataset("fans", testdata::file("programs/fit_weibull_fans/fans.csv"));
    const auto& r = run("proc vitalyx data=fans; distribution weibull; probplot hours*status(1) / fit=weibayes(conf=0.9) shape=2; "
                        "inset confidence fit; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 1u);
    const std::vector<std::string> texts = pagepct(0).texts();
    const auto at = std::find(texts.begin(), texts.end(), "Confidence");
    ASSERT_TRUE(at != texts.end() && at + 1 != texts.end());
    EXPECT_EQ(*(at + 1), "90%");
}

// Three lots of the ball bearings fitted, and a last lot D whose five units are all censored
// (no fit). Overlaid, every fitted lot keeps its line and, without NOCONF, its band; in
// panels each fitted lot's inset keeps its parameters, confidence and fit, and D's shows its
// counts alone. The phantom carries no line rows for D.
TEST_F(Readback, ALastGroupWithoutAFitTakesNoOtherGroupsLine) {
    std::string data = "lot,cycles,status\n";
    const std::vector<double> t = testdata::bearingtimes();
    for (size_t k = 0; k < t.size(); ++k) data += std::string(1, static_cast<char>('A' + k % 3)) + "," + std::to_string(t[k]) + ",1\n";
    for (int k = 0; k < 5; ++k) data += "D,30,0\n";
    dataset("lots", data);
    const auto& r = run("proc vitalyx data=lots; distribution weibull; probplot cycles*status(0) = lot / overlay; "
                        "probplot cycles*status(0) = lot / overlay noconf; probplot cycles*status(0) = lot / nrows=2; "
                        "probplot cycles*status(0) = lot / nrows=2 noconf; run;");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(graphs.size(), 6u);   // two overlays, two pages of panels each
    // The fitted lines (1.3 points wide) and band fills drawn inside a frame's clip.
    auto count = [&](const dp::Page& pg, Prim::Kind kind) {
        int n = 0;
        bool in = false;
        for (const Prim& q : pg.prims) {
            if (q.kind == Prim::PushClip) in = true;
            if (q.kind == Prim::PopClip) in = false;
            n += in && q.kind == kind && (kind != Prim::Polyline || q.stroke.width > 1.2);
        }
        return n;
    };
    for (size_t k = 0; k < graphs.size(); ++k) {
        SCOPED_TRACE("page " + std::to_string(k));
        const bool noconf = k == 1 || k >= 4;
        EXPECT_EQ(graphs[k].v("_TransFit").d, 0.0);
        EXPECT_EQ(graphs[k].v("_TransConf").d, noconf ? 1.0 : 0.8);
        const sgtest::Phantom& ph = graphs[k].data[0];
        for (size_t j = 0; j < ph.rows; ++j)
            if (ph.n("Index")[j] == 4) {
                EXPECT_TRUE(std::isnan(ph.n("Xvalue2")[j])) << "a line row of lot D";
            }
        const dp::Page pg = pagepct(k);
        const int fitted = k < 2 ? 3 : k % 2 == 0 ? 2 : 1;   // lots A and B on the first page of panels, C and D on the second
        EXPECT_EQ(count(pg, Prim::Polyline), fitted);
        EXPECT_EQ(count(pg, Prim::Fill), noconf ? 0 : fitted);
        if (k < 2) continue;
        const std::vector<std::string> texts = pg.texts();
        auto times = [&](const char* s) { return std::count(texts.begin(), texts.end(), std::string(s)); };
        EXPECT_EQ(times("Uncensored"), 2);
        EXPECT_EQ(times("Scale"), fitted);
        EXPECT_EQ(times("Shape"), fitted);
        EXPECT_EQ(times("Fit"), fitted);
        EXPECT_EQ(times("Confidence"), noconf ? 0 : fitted);
    }
}

}  // namespace
