// Crowded device pages read back: the labels of reference lines and the values read off at
// their intersections stand clear of each other and of the markers; an axis title clears the
// widest tick label, and an axis writes its labels in one notation; an MCF curve starts at
// HLOWER=; tick labels that cannot tell two ticks apart are warned of; an inset that finds
// no free corner is drawn on a box of the background colour, at the corner where it hides the
// fewest points; an MCF difference's inset keeps clear of the difference's curve.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using dp::Page;
using rt::gfx::Prim;

using dp::Box;

// The markers of a page that a box meets (a marker's box about its centre), or (centres) whose
// centres it holds.
int markersunder(const Page& p, const Box& b, bool centres = false) {
    int n = 0;
    for (const Prim* q : p.of(Prim::Markers)) {
        const double hx = 0.5 * q->size / p.w * 100.0, hy = 0.5 * q->size / p.h * 100.0;
        for (size_t k = 0; k + 1 < q->xy.size(); k += 2) {
            const double x = q->xy[k], y = q->xy[k + 1];
            n += centres ? b.holds(x, y) : b.meets({x - hx, y - hy, x + hx, y + hy});
        }
    }
    return n;
}

// The inset outlines of a page (closed rectangles of five points).
std::vector<Box> insetboxes(const Page& p) {
    std::vector<Box> v;
    for (const Prim* q : p.of(Prim::Polyline))
        if (q->xy.size() == 10 && q->xy[0] == q->xy[8] && q->xy[1] == q->xy[9]) v.push_back(dp::rectof(*q));
    return v;
}

// The upright texts standing inside `area` that no inset outline holds, in paint order: two of
// them meet, or a marker meets one that it is not hidden from by a fill painted between them.
std::vector<std::string> overprinted(const Page& p, const Box& area) {
    const std::vector<Box> insets = insetboxes(p);
    struct Item {
        size_t at;
        Box box;
        std::string text;
    };
    std::vector<Item> texts, marks, fills;
    for (size_t i = 0; i < p.prims.size(); ++i) {
        const Prim& q = p.prims[i];
        if (q.kind == Prim::Text && q.angle == 0) {
            const Box b = dp::glyphbox(p, q);
            const double cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2;
            if (!area.holds(cx, cy) || std::any_of(insets.begin(), insets.end(), [&](const Box& o) { return o.holds(cx, cy); })) continue;
            texts.push_back({i, b, q.text});
        } else if (q.kind == Prim::Markers) {
            const double hx = 0.5 * q.size / p.w * 100.0, hy = 0.5 * q.size / p.h * 100.0;
            for (size_t k = 0; k + 1 < q.xy.size(); k += 2) marks.push_back({i, {q.xy[k] - hx, q.xy[k + 1] - hy, q.xy[k] + hx, q.xy[k + 1] + hy}, ""});
        } else if (q.kind == Prim::Fill) {
            fills.push_back({i, dp::rectof(q), ""});
        }
    }
    std::vector<std::string> out;
    for (size_t a = 0; a < texts.size(); ++a) {
        for (size_t b = a + 1; b < texts.size(); ++b)
            if (texts[a].box.meets(texts[b].box)) out.push_back("\"" + texts[b].text + "\" over \"" + texts[a].text + "\"");
        const Item& t = texts[a];
        for (const Item& m : marks) {
            if (!m.box.meets(t.box)) continue;
            const bool hidden = m.at < t.at && std::any_of(fills.begin(), fills.end(), [&](const Item& f) {
                return f.at > m.at && f.at < t.at && f.box.holds((t.box.x0 + t.box.x1) / 2, (t.box.y0 + t.box.y1) / 2);
            });
            if (!hidden) {
                out.push_back("a marker and \"" + t.text + "\"");
                break;
            }
        }
    }
    return out;
}

// The plot area of a page: from the left axis line to the right frame line, from the bottom
// axis line to the top (the longest vertical and horizontal lines).
Box plotarea(const Page& p) {
    double lo = 1e9, hi = -1e9, bottom = 1e9, top = -1e9;
    for (const Prim* q : p.of(Prim::Line)) {
        const auto& c = q->xy;
        if (std::fabs(c[0] - c[2]) < 1e-9 && std::fabs(c[1] - c[3]) > 40) lo = std::min(lo, c[0]), hi = std::max(hi, c[0]);
        if (std::fabs(c[1] - c[3]) < 1e-9 && std::fabs(c[0] - c[2]) > 40) bottom = std::min(bottom, c[1]), top = std::max(top, c[1]);
    }
    return {lo, bottom, hi, top};
}

// The valve seats' rows (engine, days, n) as `row` rewrites them, under `head`.
template <class F>
std::string valverows(const std::string& head, F&& row) {
    std::string out = head + "\n";
    std::istringstream in(testdata::file("data/mcf/valve.csv"));
    std::string line;
    std::getline(in, line);
    int engine, days, n;
    while (std::getline(in, line))
        if (std::sscanf(line.c_str(), "%d,%d,%d", &engine, &days, &n) == 3) out += row(engine, days, n) + "\n";
    return out;
}

std::string lots() {
    std::string d = "lot,mrevs,status\n";
    const std::vector<double> t = testdata::bearingtimes();
    for (size_t k = 0; k < t.size(); ++k) d += std::string(1, static_cast<char>('A' + k % 3)) + "," + std::to_string(t[k]) + ",1\n";
    return d;
}

// Six batches of 20 units, characteristic lives 600 to 1600 hours (Weibull shape 2.5), tests
// stopped at 1500 hours, drawn by the Lehmer generator (48271, 2^31 - 1) of the gallery.
std::string sixbatches() {
    std::string d = "batch,hours,status\n";
    double s = 19850311;
    const double m = 2147483647;
    for (int g = 0; g < 6; ++g)
        for (int i = 0; i < 20; ++i) {
            s = std::fmod(s * 48271, m);
            const double t = (600 + 200 * g) * std::pow(-std::log(1 - s / m), 1 / 2.5);
            char row[64];
            std::snprintf(row, sizeof row, t <= 1500 ? "B%d,%.1f,1\n" : "B%d,1500,0\n", g + 1, t);
            d += row;
        }
    return d;
}

// Three lots overlaid, each with its values read off at LREF= 40 and 80 and PREF= 10 and 50
// ("72.67" stood on "80 Mrev"); the labels of three close LREF= lines ("44.64" stood on
// "36 Mrev", the three on each other); six batches turned, the values read off at their B10
// lives among the markers (a diamond on "386.0", "232.3" under a cross); the difference of
// two MCFs with a reference line at 0, labelled under the first points. No text meets
// another or a marker.
TEST(Crowded, ReferenceLabelsAndValuesStandClear) {
    const std::string bladder = testdata::file("data/mcf/bladder.csv");
    const struct {
        std::string program, data, name;
    } cases[] = {
        {"distribution weibull;\n probplot mrevs*status(0) = lot / overlay lref=40 80 intersect lreflabels='40 Mrev' '80 Mrev'"
         " pref=10 50 intersect preflabels='B10' 'B50'",
         lots(), "three lots"},
        {"distribution lognormal;\n probplot cycles / lref=30 33 36 intersect lreflabels='30 Mrev' '33 Mrev' '36 Mrev'"
         " pref=20 25 intersect preflabels='B20' 'B25'",
         testdata::bearings, "close references"},
        {"distribution weibull;\n probplot hours*status(0) = batch / overlay rotate pref=10 intersect preflabels='B10' noconf",
         sixbatches(), "six batches"},
        {"unitid unit;\n mcfplot age*n(-1) = rx / mcfdiff interpolate=step vref=0 vreflabels='no difference'", bladder, "difference"},
        // A relation plot's legend in the frame ("Reference label" stood on "Right Censored"),
        // and the labels of three lines at one place, where HREFLABPOS= keeps their end.
        {"distribution normal;\n relationplot t*c(0) = x / vref=10 vreflabels='Reference label'", testdata::file("data/crowded/relation_dd.csv"),
         "relation legend"},
        {"distribution weibull;\n probplot cycles / lref=50 50.5 51 lreflabels='50 Mrev' '50 Mrev' '50 Mrev' hreflabpos=1", testdata::bearings,
         "one place"},
    };
    for (const auto& c : cases) {
        dp::Run r = dp::run("proc vitalyx data=d;\n " + c.program + ";\nrun;\n", {{"d", c.data}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u) << c.name;
        const std::vector<std::string> clashes = overprinted(r.pages[0], plotarea(r.pages[0]));
        std::string all;
        for (const std::string& k : clashes) all += "\n  " + k;
        EXPECT_TRUE(clashes.empty()) << c.name << ":" << all;
    }
    // The check sees a clash: two texts the user put at one spot (ANNOTATE=).
    dp::Run r = dp::run("proc vitalyx data=b;\n distribution weibull;\n probplot cycles / annotate=a;\nrun;\n",
                        {{"b", testdata::bearings}, {"a", "function,x,y,xsys,ysys,text\nlabel,50,50,3,3,Here\nlabel,50,50,3,3,There\n"}});
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_FALSE(overprinted(r.pages[0], plotarea(r.pages[0])).empty());
}

// The lines of a page that run across the plot area (upright or level) with the dashes of
// most of the lines nearest the places `at`: a panel's reference and intersection lines, not
// its grid.
std::vector<const Prim*> acrosslines(const Page& p, const Box& area, bool upright, const std::vector<double>& at) {
    std::vector<const Prim*> all;
    for (const Prim* q : p.of(Prim::Line)) {
        const auto& c = q->xy;
        if (q->stroke.dashes.empty()) continue;
        if (upright ? std::fabs(c[0] - c[2]) < 1e-9 && std::fabs(c[1] - c[3]) > 0.9 * (area.y1 - area.y0)
                    : std::fabs(c[1] - c[3]) < 1e-9 && std::fabs(c[0] - c[2]) > 0.9 * (area.x1 - area.x0))
            all.push_back(q);
    }
    std::map<std::vector<double>, int> votes;
    for (double a : at) {
        const Prim* near = nullptr;
        for (const Prim* q : all)
            if (!near || std::fabs(q->xy[upright ? 0 : 1] - a) < std::fabs(near->xy[upright ? 0 : 1] - a)) near = q;
        if (near) ++votes[near->stroke.dashes];
    }
    std::vector<double> dashes;
    int most = 0;
    for (const auto& [d, n] : votes)
        if (n > most) dashes = d, most = n;
    std::vector<const Prim*> v;
    for (const Prim* q : all)
        if (q->stroke.dashes == dashes) v.push_back(q);
    return v;
}

// The gap in points between a box and a segment (page percent), or a point.
double gap(const Page& p, const Box& b, double ax, double ay, double bx, double by) {
    const double kx = p.w / 100, ky = p.h / 100;
    const double dx = std::max({0.0, std::min(ax, bx) - b.x1, b.x0 - std::max(ax, bx)}) * kx;
    const double dy = std::max({0.0, std::min(ay, by) - b.y1, b.y0 - std::max(ay, by)}) * ky;
    return std::hypot(dx, dy);
}

// Whether a chain of solid short lines runs from beside the text's box (within a text height)
// to the line.
bool leader(const Page& p, const Box& text, double em, const Prim& line) {
    std::vector<const Prim*> solid;
    for (const Prim* q : p.of(Prim::Line))
        if (q->stroke.dashes.empty() && std::hypot((q->xy[2] - q->xy[0]) * p.w, (q->xy[3] - q->xy[1]) * p.h) < 25 * p.w) solid.push_back(q);
    for (const Prim* first : solid)
        for (int e = 0; e < 2; ++e) {
            if (gap(p, text, first->xy[2 * e], first->xy[2 * e + 1], first->xy[2 * e], first->xy[2 * e + 1]) > em) continue;
            double x = first->xy[2 - 2 * e], y = first->xy[3 - 2 * e];
            for (int steps = 0; steps < 4; ++steps) {
                const Box dot{x, y, x, y};
                if (gap(p, dot, line.xy[0], line.xy[1], line.xy[2], line.xy[3]) < 0.3) return true;
                const Prim* next = nullptr;
                for (const Prim* q : solid)
                    if (q != first && std::hypot(q->xy[0] - x, q->xy[1] - y) < 1e-6) next = q;
                if (!next) break;
                x = next->xy[2], y = next->xy[3];
            }
        }
    return false;
}

// Values read off at intersections, and the labels of reference lines that lie close
// together, each nearer its own line than any other reference or intersection line, or joined
// to its own line by a leader; labels of level lines that stand one above the other in the
// order of their lines.
// Where its line lies comes from the axis's own tick labels: six batches turned (log hours,
// upright), the close LREF= lines of the bearings (log revolutions, across), and six PREF=
// lines 0.2 percent apart on the fans' Weibull paper, where three labels stood on the 1 percent
// line and "Delta four" over the 1.4 percent line.
TEST(Crowded, EachLabelStandsByItsOwnLine) {
    const struct {
        std::string program, data;
        bool left;                                      // the labels' values lie on the left axis
        double (*scale)(double);
        std::vector<std::pair<std::string, double>> labels;
    } cases[] = {
        {"distribution weibull;\n probplot hours*status(0) = batch / overlay rotate pref=10 intersect preflabels='B10' noconf", sixbatches(),
         true, +[](double v) { return std::log10(v); }, {}},
        {"distribution lognormal;\n probplot cycles / lref=30 33 36 intersect lreflabels='30 Mrev' '33 Mrev' '36 Mrev'"
         " pref=20 25 intersect preflabels='B20' 'B25'",
         testdata::bearings, false, +[](double v) { return std::log10(v); }, {{"30 Mrev", 30}, {"33 Mrev", 33}, {"36 Mrev", 36}}},
        {"distribution weibull;\n probplot hours*status(0) / pref=1 1.2 1.4 1.6 1.8 2 preflabels='Alpha one' 'Beta two'"
         " 'Gamma three' 'Delta four' 'Eps five' 'Zeta six'",
         testdata::file("../examples/fans.csv"), true, +[](double pct) { return std::log(-std::log(1 - pct / 100)); },
         {{"Alpha one", 1}, {"Beta two", 1.2}, {"Gamma three", 1.4}, {"Delta four", 1.6}, {"Eps five", 1.8}, {"Zeta six", 2}}},
    };
    for (const auto& c : cases) {
        dp::Run r = dp::run("proc vitalyx data=d;\n " + c.program + ";\nrun;\n", {{"d", c.data}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        const Box area = plotarea(p);
        const dp::Axis axis = dp::labels(p, c.left);
        std::vector<double> u;
        for (double v : axis.value) u.push_back(c.scale(v));
        ASSERT_GE(u.size(), 3u);
        const dp::Fit at = dp::linefit(u, axis.pos);
        // The labels: those named, else every number on the page beside the axis's lines (the
        // values read off), with the place its value has on the axis.
        std::vector<std::pair<const Prim*, double>> labels;
        for (const Prim* t : p.of(Prim::Text)) {
            bool number = false;
            const double v = dp::number(t->text, &number);
            const Box b = dp::glyphbox(p, *t);
            if (!area.holds((b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2) || t->angle != 0) continue;
            for (const auto& [text, value] : c.labels)
                if (t->text == text) labels.emplace_back(t, at.a + at.b * c.scale(value));
            if (c.labels.empty() && number && v > 0 && t->text.find('.') != std::string::npos) labels.emplace_back(t, at.a + at.b * c.scale(v));
        }
        ASSERT_GE(labels.size(), c.labels.empty() ? 4u : c.labels.size());
        std::vector<double> places;
        for (const auto& l : labels) places.push_back(l.second);
        const std::vector<const Prim*> lines = acrosslines(p, area, !c.left, places);
        struct Placed {
            double line, at, x0, x1;   // where its line lies, where its label stands, and across
        };
        std::vector<Placed> order;
        for (const auto& [t, pos] : labels) {
            Box b = dp::glyphbox(p, *t);
            if (t->text.find_first_of("gjpqy,;()") == std::string::npos) b.y0 = t->xy[1];   // no descender
            const Prim* own = nullptr;
            for (const Prim* q : lines)
                if (!own || std::fabs(q->xy[c.left ? 1 : 0] - pos) < std::fabs(own->xy[c.left ? 1 : 0] - pos)) own = q;
            ASSERT_NE(own, nullptr);
            ASSERT_LT(std::fabs(own->xy[c.left ? 1 : 0] - pos), 0.3) << t->text << ": no line at its value " << pos << ", nearest " << own->xy[c.left ? 1 : 0];
            const double mine = gap(p, b, own->xy[0], own->xy[1], own->xy[2], own->xy[3]);
            bool nearest = true;
            for (const Prim* q : lines)
                if (q->xy[c.left ? 1 : 0] != own->xy[c.left ? 1 : 0] && gap(p, b, q->xy[0], q->xy[1], q->xy[2], q->xy[3]) <= mine) nearest = false;
            const double em = t->style.size;
            EXPECT_TRUE(nearest || leader(p, b, em, *own)) << t->text << " stands nearer another line than its own, with no leader";
            order.push_back({own->xy[c.left ? 1 : 0], c.left ? (b.y0 + b.y1) / 2 : (b.x0 + b.x1) / 2, b.x0, b.x1});
        }
        // At level lines, labels that stand one above the other in the order of their lines.
        for (const Placed& a : order)
            for (const Placed& o : order) {
                if (c.left && a.line > o.line && a.x0 < o.x1 && o.x0 < a.x1) {
                    EXPECT_GT(a.at, o.at) << "labels out of the order of their lines";
                }
            }
    }
}

// A level line's label of accented letters, none reaching below the baseline, at the frame's
// left end beside the upright line at 90: taken for a text with a descender (an accented letter
// may have one), it stood above its line no nearer it than the upright line.
TEST(Crowded, AccentedLabelStandsNearestItsOwnLine) {
    dp::Run r = dp::run("proc vitalyx data=d;\n distribution normal;\n relationplot t*c(0) = x / square sref=142.535 90"
                        " sreflabels='B' 'Edge' vref=3723.18 vreflabels='Caf\xc3\xa9 Zetaxxxxx';\nrun;\n",
                        {{"d", testdata::file("data/crowded/relation_dd.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const Box area = plotarea(p);
    const Prim* label = nullptr;
    for (const Prim* t : p.of(Prim::Text))
        if (t->text == "Caf\xc3\xa9 Zetaxxxxx") label = t;
    ASSERT_NE(label, nullptr);
    Box b = dp::glyphbox(p, *label);
    b.y0 = label->xy[1];   // no descender
    // The reference lines: the dashes of the level line nearest the label (the grid's are others).
    auto spans = [&](const Prim* q, bool upright) {
        const auto& c = q->xy;
        return !q->stroke.dashes.empty() && (upright ? std::fabs(c[0] - c[2]) < 1e-9 && std::fabs(c[1] - c[3]) > 0.9 * (area.y1 - area.y0)
                                                     : std::fabs(c[1] - c[3]) < 1e-9 && std::fabs(c[0] - c[2]) > 0.9 * (area.x1 - area.x0));
    };
    auto gapto = [&](const Prim* q) { return gap(p, b, q->xy[0], q->xy[1], q->xy[2], q->xy[3]); };
    const Prim* own = nullptr;
    for (const Prim* q : p.of(Prim::Line))
        if (spans(q, false) && (!own || gapto(q) < gapto(own))) own = q;
    ASSERT_NE(own, nullptr);
    int upright = 0;
    for (const Prim* q : p.of(Prim::Line))
        if (spans(q, true) && q->stroke.dashes == own->stroke.dashes) {
            ++upright;
            EXPECT_LT(gapto(own) + 0.25, gapto(q)) << "the label stands as near the upright line at " << q->xy[0];
        }
    EXPECT_EQ(upright, 2);
}

// Times of a millionth of the ball bearings' revolutions turned upright (ROTATE): the labels
// of the life axis write every digit (.00001), which the title beside them ran over when the
// room was that of two decimals; the valve seats' repair costs of 0.00002 each: the MCF axis
// read ".00002 3e-05 .00004", and its title ran over ".00002".
TEST(Crowded, AxisTitleClearsTheWidestTickLabel) {
    std::string tiny = "seconds\n";
    for (double t : testdata::bearingtimes()) tiny += std::to_string(t * 1e-5) + "\n";
    const std::string costs = valverows("engine,days,cost", [](int engine, int days, int n) {
        return std::to_string(engine) + "," + std::to_string(days) + "," + (n == 1 ? "2e-05" : "0");
    });
    const struct {
        std::string program, data, title;
    } cases[] = {
        {"distribution weibull;\n probplot seconds / rotate", tiny, "seconds on Weibull probability paper"},
        {"unitid engine;\n mcfplot days*cost(0) / interpolate=join", costs, "Mean Cumulative Function"},
    };
    for (const auto& c : cases) {
        dp::Run r = dp::run("proc vitalyx data=d;\n " + c.program + ";\nrun;\n", {{"d", c.data}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        const Prim* title = p.text(c.title);
        ASSERT_NE(title, nullptr) << c.title;
        ASSERT_EQ(title->angle, 90);
        // Turned a quarter up, the title's glyphs lie left of its baseline by the ascent.
        const double right = title->xy[0] + rt::gfx::measure(title->text, title->style).descent / p.w * 100.0;
        const dp::Axis left = dp::labels(p, true);
        ASSERT_GE(left.value.size(), 3u) << c.title;
        int exponent = 0;
        for (const Prim* t : p.of(Prim::Text)) {
            bool ok = false;
            dp::number(t->text, &ok);
            if (!ok || t->angle != 0 || t->anchor != rt::gfx::Anchor::End) continue;
            EXPECT_GT(t->xy[0] - dp::labelwidth(p, *t), right) << "\"" << c.title << "\" over \"" << t->text << "\"";
            exponent += t->text.find_first_of("eE") != std::string::npos;
        }
        EXPECT_TRUE(exponent == 0 || exponent == static_cast<int>(left.value.size())) << c.title << ": " << exponent << " of "
                                                                                       << left.value.size() << " labels in exponent form";
    }
}

// The valve seats from HLOWER=100 days: the steps of the MCF and of its limits before 100 days
// were drawn between the axis line and the tick of 100, where the axis shows no time; every
// step now starts at or right of that tick.
TEST(Crowded, McfStepsStartAtHlower) {
    dp::Run r = dp::run("proc vitalyx data=v;\n unitid engine;\n mcfplot days*n(-1) / interpolate=step hlower=100 hupper=700"
                        " vaxis=0 to 2 by 0.25;\nrun;\n",
                        {{"v", testdata::file("data/mcf/valve.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const dp::Axis bottom = dp::labels(p, false), left = dp::labels(p, true);
    ASSERT_GE(bottom.value.size(), 2u);
    ASSERT_GE(left.value.size(), 2u);
    const dp::Fit x = dp::linefit(bottom.value, bottom.pos), y = dp::linefit(left.value, left.pos);
    const double start = x.a + x.b * 100, width = x.b * 600, zero = y.a, axisline = plotarea(p).x0;
    ASSERT_LT(axisline, start - 0.5);
    int steps = 0;
    for (const Prim* q : p.of(Prim::Line)) {
        const auto& c = q->xy;
        if (std::fabs(c[1] - c[3]) > 1e-9 || c[1] < zero - 0.05 || std::fabs(c[2] - c[0]) > 0.9 * width) continue;
        if (std::max(c[0], c[2]) <= axisline + 1e-6) continue;   // a tick of the left axis
        ++steps;
        EXPECT_GE(std::min(c[0], c[2]), start - 1e-6) << "a step at height " << (c[1] - y.a) / y.b << " left of the tick of 100 days";
    }
    EXPECT_GE(steps, 48);
}

// The fans with hours written as 1000000 + hours x 1e-6: the life axis reads "1000000" at
// neighbouring ticks; the user is told once and pointed to an offset. The ball bearings'
// axis tells its ticks apart and is not warned of.
TEST(Crowded, TickLabelsThatReadAlikeAreWarnedOf) {
    std::string near = "hours,status\n";
    {
        std::istringstream in(testdata::file("data/lifedist/fans.csv"));
        std::string line;
        std::getline(in, line);
        double h;
        int st;
        while (std::getline(in, line))
            if (std::sscanf(line.c_str(), "%lf,%d", &h, &st) == 2) {
                char row[64];
                std::snprintf(row, sizeof row, "%.6f,%d\n", 1000000 + h * 1e-6, st);
                near += row;
            }
    }
    for (const bool alike : {true, false}) {
        dp::Run r = alike ? dp::run("proc vitalyx data=d;\n distribution normal;\n probplot hours*status(1);\nrun;\n", {{"d", near}})
                          : dp::run("proc vitalyx data=d;\n distribution normal;\n probplot cycles;\nrun;\n", {{"d", testdata::bearings}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        EXPECT_EQ(dp::hasmsg(r.log, 6501), alike) << r.log.all();
    }
}

// An axis origin with more digits than its step: LAXIS=0.12345 TO 0.52345 BY 0.1 on normal
// paper (also turned) and the valve seats' days in thousands from HLOWER=0.12345 read
// ".12345 .22345 ..." (the labels had been rounded to four decimals: ".1235 .2235").
TEST(Crowded, TickLabelsKeepTheOriginsDigits) {
    std::string t = "t\n";
    for (int i = 0; i < 20; ++i) t += std::to_string(0.15 + 0.017 * i) + "\n";
    const std::string valve = valverows("engine,days,n", [](int engine, int days, int n) {
        return std::to_string(engine) + "," + std::to_string(days * 0.001) + "," + std::to_string(n);
    });
    const struct {
        std::string program, data;
        bool left;
    } cases[] = {
        {"distribution normal;\n probplot t / laxis=0.12345 to 0.52345 by 0.1", t, false},
        {"distribution normal;\n probplot t / laxis=0.12345 to 0.52345 by 0.1 rotate", t, true},
        {"unitid engine;\n mcfplot days*n(-1) / hlower=0.12345 hupper=0.52345 nhtick=4", valve, false},
    };
    for (const auto& c : cases) {
        dp::Run r = dp::run("proc vitalyx data=d;\n " + c.program + ";\nrun;\n", {{"d", c.data}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        // The labels at the ticks of the life (time) axis, as written.
        std::vector<std::string> texts;
        const dp::Axis a = dp::labels(r.pages[0], c.left);
        for (const Prim* q : r.pages[0].of(Prim::Text))
            if (!q->text.empty() && q->text[0] == '.' && std::find(a.value.begin(), a.value.end(), std::stod(q->text)) != a.value.end()) texts.push_back(q->text);
        EXPECT_EQ(texts, (std::vector<std::string>{".12345", ".22345", ".32345", ".42345", ".52345"})) << c.program;
    }
}

// Two groups side by side, one of a lone failure that plots at 50 %, the top of the
// probability axis the panels share: its marker is drawn whole (half a "+" was left, cut at
// the frame). A marker drawn under a clipping rectangle with its centre inside the rectangle
// lies wholly inside it.
TEST(Crowded, MarkerOnTheFramesEdgeIsDrawnWhole) {
    std::string d = "grp,hours,status\nX,1234,1\n";
    for (int t : {450, 1150, 1600, 2070, 3100}) d += "Y," + std::to_string(t) + ",1\n";
    for (int k = 0; k < 25; ++k) d += "Y,5000,0\n";
    dp::Run r = dp::run("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(0) = grp / ncols=2;\nrun;\n", {{"d", d}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    std::vector<Box> clips;
    for (const Prim* q : p.of(Prim::PushClip)) clips.push_back({q->xy[0], q->xy[1], q->xy[2], q->xy[3]});
    int onedge = 0, k = -1;
    const Box* clip = nullptr;
    for (const Prim& q : p.prims) {
        if (q.kind == Prim::PushClip) clip = &clips[static_cast<size_t>(++k)];
        if (q.kind == Prim::PopClip) clip = nullptr;
        if (q.kind != Prim::Markers) continue;
        const double hx = 0.5 * q.size / p.w * 100.0, hy = 0.5 * q.size / p.h * 100.0;
        for (size_t i = 0; i + 1 < q.xy.size(); i += 2) {
            const double x = q.xy[i], y = q.xy[i + 1];
            onedge += std::any_of(clips.begin(), clips.end(), [&](const Box& c) { return std::fabs(y - c.y1) < 0.01 && x > c.x0 && x < c.x1; });
            if (!clip || !Box{clip->x0 - 0.001, clip->y0 - 0.001, clip->x1 + 0.001, clip->y1 + 0.001}.holds(x, y)) continue;
            EXPECT_TRUE(x - hx >= clip->x0 && x + hx <= clip->x1 && y - hy >= clip->y0 && y + hy <= clip->y1)
                << "a marker at (" << x << ", " << y << ") cut at the frame";
        }
    }
    EXPECT_EQ(onedge, 1);
}

// The fans by type and plant in a 2 x 2 grid: in every panel each corner has points or lines
// under the inset, which then stands on a box of the background colour (a fill of its
// rectangle, painted over the points and before its text), and a NOTE names the plot and the
// first such panel.
// The ball bearings' inset has a free corner: no fill, no NOTE.
TEST(Crowded, InsetWithoutAFreeCornerIsFilled) {
    for (const bool crowded : {true, false}) {
        dp::Run r = crowded ? dp::run("proc vitalyx data=f;\n freq count;\n distribution weibull;\n"
                                      " probplot hours*status(0) = type plant / nrows=2 ncols=2;\nrun;\n",
                                      {{"f", testdata::file("../examples/fans.csv")}})
                            : dp::run("proc vitalyx data=b;\n distribution weibull;\n probplot cycles;\nrun;\n", {{"b", testdata::bearings}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        int outlines = 0, covered = 0;
        for (size_t i = 0; i < p.prims.size(); ++i) {
            const Prim& q = p.prims[i];
            if (q.kind != Prim::Polyline || q.xy.size() != 10 || q.xy[0] != q.xy[8] || q.xy[1] != q.xy[9]) continue;
            ++outlines;
            const Box o = dp::rectof(q);
            // Over the panel's points: after its last markers (a default inset's box is cleared
            // of the grid before the points are drawn, and keeps them in sight).
            size_t after = 0;
            for (size_t k = 0; k < i; ++k)
                if (p.prims[k].kind == Prim::Markers) after = k;
            for (size_t k = after; k < i; ++k)
                if (p.prims[k].kind == Prim::Fill && std::fabs(dp::rectof(p.prims[k]).x0 - o.x0) < 1e-6 && std::fabs(dp::rectof(p.prims[k]).y1 - o.y1) < 1e-6 &&
                    p.prims[k].color.r == 1 && p.prims[k].color.g == 1 && p.prims[k].color.b == 1)
                    ++covered;
        }
        EXPECT_EQ(outlines, crowded ? 4 : 1);
        EXPECT_EQ(covered, crowded ? 4 : 0);
        EXPECT_EQ(dp::hasmsg(r.log, 6500), crowded) << r.log.all();
        if (crowded) {
            EXPECT_TRUE(r.log.all().find("Probability plot: no corner of the panel of type=A plant=North") != std::string::npos) << r.log.all();
        }
    }
}

// The panel round box b: the nearest solid lines on each side of it that run past it (its
// axis lines and frame lines).
Box panelround(const Page& p, const Box& b) {
    Box a{-1e9, -1e9, 1e9, 1e9};
    for (const Prim* q : p.of(Prim::Line)) {
        if (!q->stroke.dashes.empty()) continue;
        const double x0 = std::min(q->xy[0], q->xy[2]), x1 = std::max(q->xy[0], q->xy[2]);
        const double y0 = std::min(q->xy[1], q->xy[3]), y1 = std::max(q->xy[1], q->xy[3]);
        if (x1 - x0 < 1e-9 && y0 <= b.y0 && y1 >= b.y1) {
            if (x0 <= b.x0) a.x0 = std::max(a.x0, x0);
            if (x0 >= b.x1) a.x1 = std::min(a.x1, x0);
        } else if (y1 - y0 < 1e-9 && x0 <= b.x0 && x1 >= b.x1) {
            if (y0 <= b.y0) a.y0 = std::max(a.y0, y0);
            if (y0 >= b.y1) a.y1 = std::min(a.y1, y0);
        }
    }
    return a;
}

// The fans by type and plant in a 2 x 2 grid, where no corner of a panel is free: each filled
// inset stands at the corner of its panel where it holds the fewest points (it stood at NW in
// every panel, over 6 of the 11 points of type A at plant North where the lower right corner
// holds 2).
TEST(Crowded, FilledInsetHidesTheFewestPoints) {
    dp::Run r = dp::run("proc vitalyx data=f;\n freq count;\n distribution weibull;\n"
                        " probplot hours*status(0) = type plant / nrows=2 ncols=2;\nrun;\n",
                        {{"f", testdata::file("../examples/fans.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const std::vector<Box> boxes = insetboxes(p);
    ASSERT_EQ(boxes.size(), 4u);
    for (const Box& o : boxes) {
        const Box a = panelround(p, o);
        ASSERT_LT(a.x1 - a.x0, 60) << "a panel round the inset at " << o.x0 << ", " << o.y0;
        // The same box at each corner of the panel, as far from its sides.
        const double left = o.x0 - a.x0, right = a.x1 - o.x1, below = o.y0 - a.y0, above = a.y1 - o.y1;
        const double dx = std::min(left, right), dy = std::min(below, above), w = o.x1 - o.x0, h = o.y1 - o.y0;
        const int here = markersunder(p, o, true);
        for (const double x : {a.x0 + dx, a.x1 - dx - w})
            for (const double y : {a.y0 + dy, a.y1 - dy - h})
                EXPECT_LE(here, markersunder(p, {x, y, x + w, y + h}, true)) << "the inset at " << o.x0 << ", " << o.y0;
    }
}

// The difference of two groups' MCFs, whose points and limits run through the upper left
// corner: the inset takes the lower left one, which nothing crosses, and is not filled.
TEST(Crowded, McfDifferenceInsetKeepsClearOfTheCurve) {
    dp::Run r = dp::run("proc vitalyx data=d;\n unitid u;\n mcfplot t*ev(0) = g / nocenprint mcfdiff;\nrun;\n",
                        {{"d", testdata::file("data/crowded/mcfdiff_dd.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const std::vector<Box> boxes = insetboxes(p);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(markersunder(p, boxes[0]), 0);
    EXPECT_LT(boxes[0].y1, 50) << "the inset stands in the lower half";
    EXPECT_FALSE(dp::hasmsg(r.log, 6502)) << r.log.all();
}

// A group of one failure beside a group of many: its fitted line is upright and crosses every
// corner, so its inset is filled; it takes a corner where it hides the line only, not the
// group's one point (at 50 %, at the top).
TEST(Crowded, FilledInsetKeepsClearOfThePoints) {
    dp::Run r = dp::run("proc vitalyx data=f;\n distribution weibull;\n probplot hours*status(0) = grp / ncols=2;\nrun;\n",
                        {{"f", testdata::file("data/crowded/fans_y.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    // A fill of the background colour in the left panel (X's) hides the markers painted before
    // it that it covers. (In Y's panel the box is as wide as most of the panel: every corner
    // holds points.)
    for (size_t i = 0; i < p.prims.size(); ++i) {
        const Prim& q = p.prims[i];
        if (q.kind != Prim::Fill || q.color.r != 1 || q.color.g != 1 || q.color.b != 1) continue;
        const Box f = dp::rectof(q), o{f.x0 - 1, f.y0 - 1, f.x1 + 1, f.y1 + 1};   // a marker's half width about it
        if (f.x1 > 53) continue;
        for (size_t k = 0; k < i; ++k)
            if (p.prims[k].kind == Prim::Markers)
                for (size_t j = 0; j + 1 < p.prims[k].xy.size(); j += 2) {
                    EXPECT_FALSE(o.holds(p.prims[k].xy[j], p.prims[k].xy[j + 1])) << "a marker hidden at " << p.prims[k].xy[j];
                }
    }
    EXPECT_TRUE(dp::hasmsg(r.log, 6500)) << r.log.all();
    // The note says what the boxes hide: lines, and of the points only Y's one, which every corner
    // of its panel holds.
    EXPECT_NE(r.log.all().find("panel of grp=X is free of the data, so its inset is drawn on a box of the background colour, as with "
                               "CFILL=BLANK; so is the inset of any other panel without a free corner: 2 panel(s) in all, whose insets "
                               "hide 1 plotted point(s) and part of the lines beneath them."),
              std::string::npos)
        << r.log.all();
}

// Three lots side by side, no corner of a panel clear of its points and lines, on both roads:
// one note for the statement tells what all three filled insets hide, the points under every
// box (it told the first panel's alone, 1 of the 3 on the device road, and the statistical road
// told nothing).
TEST(Crowded, OneNoteTellsWhatEveryFilledInsetHides) {
    for (const bool statistical : {false, true}) {
        SCOPED_TRACE(statistical ? "statistical" : "device");
        dp::Options o;
        o.statistical = statistical;
        const dp::Run r = dp::run("proc vitalyx data=f;\n distribution weibull;\n probplot mrevs*status(0) = lot / ncols=3;\nrun;\n",
                                  {{"f", testdata::file("data/crowded/lots3.csv")}}, o);
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        // The points under the boxes (the statistical road's with a point round them, page percent).
        const Page& p = r.pages[0];
        const double mx = statistical ? 100.0 / p.w : 0, my = statistical ? 100.0 / p.h : 0;
        int points = 0, boxes = 0;
        for (const Prim* q : p.of(Prim::Polyline))
            if (q->xy.size() == 10 && q->xy[0] == q->xy[8] && q->xy[1] == q->xy[9] && (!statistical || q->stroke.width < 0.7)) {
                const Box b = dp::rectof(*q);
                points += markersunder(p, {b.x0 - mx, b.y0 - my, b.x1 + mx, b.y1 + my}, true);
                ++boxes;
            }
        ASSERT_EQ(boxes, 3);
        const std::string log = r.log.all(), lead = "no corner of the panel of lot=A is free of the data";
        ASSERT_NE(log.find(lead), std::string::npos) << log;
        EXPECT_EQ(log.find(lead), log.rfind(lead)) << "one note for the statement";
        EXPECT_NE(log.find(": 3 panel(s) in all, whose insets hide " + std::to_string(points) + " plotted point(s) and part of the lines"),
                  std::string::npos)
            << log;
    }
}

// The panels of a page: the largest rectangles that clip its drawing (each panel's frame
// widened by its gaps; the frame itself clips the lines), up to the solid line above them (the
// top of the frame, under the strip of censored marks).
std::vector<Box> panelclips(const Page& p) {
    std::vector<Box> all, v;
    for (const Prim* q : p.of(Prim::PushClip)) all.push_back({q->xy[0], q->xy[1], q->xy[2], q->xy[3]});
    auto within = [](const Box& a, const Box& b) { return a.x0 >= b.x0 - 1e-6 && a.y0 >= b.y0 - 1e-6 && a.x1 <= b.x1 + 1e-6 && a.y1 <= b.y1 + 1e-6; };
    for (const Box& b : all)
        if (std::none_of(all.begin(), all.end(), [&](const Box& o) { return !within(o, b) && within(b, o); }) &&
            std::none_of(v.begin(), v.end(), [&](const Box& o) { return within(o, b) && within(b, o); }))
            v.push_back(b);
    for (Box& b : v) {
        double top = 1e9;
        for (const Prim* q : p.of(Prim::Line))
            if (q->stroke.dashes.empty() && std::fabs(q->xy[1] - q->xy[3]) < 1e-9 && q->xy[1] >= b.y1 - 0.01 && std::min(q->xy[0], q->xy[2]) <= b.x0 + 0.01 &&
                std::max(q->xy[0], q->xy[2]) >= b.x1 - 0.01)
                top = std::min(top, q->xy[1]);
        if (top < 1e9) b.y1 = top;
    }
    return v;
}

// Four groups, two panels a page, each with 23 HREF= lines on its axis (many at one value),
// their long labels and the values read off where they meet the group's line: the columns of
// labels ran below the frame over the tick labels and the axis title ("53.17" over the "0" of
// "10"), and the upper panel's last labels stood in the lower panel. Every label now stands
// inside its own panel, the leftmost line's in every panel; those with no place are left out,
// and a NOTE says how many: fewer than the 44 that columns keeping their first lines left out
// (the labels of lines a column has no row for look for places of their own).
TEST(Crowded, LabelColumnsKeepInsideTheirPanels) {
    const std::string program = testdata::file("data/crowded/probplot-label-columns-in-panels.vx");
    std::set<std::string> labels;   // the labels the program gives, as written (16 bytes at most)
    for (size_t a = program.find('\''); a != std::string::npos; a = program.find('\'', a + 1)) {
        const size_t b = program.find('\'', a + 1);
        labels.insert(program.substr(a + 1, std::min<size_t>(b - a - 1, 16)));
        a = b;
    }
    dp::Run r = dp::run(program, {{"crowd25", testdata::file("data/crowded/crowd25.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 2u);
    for (const Page& p : r.pages) {
        const std::vector<Box> panels = panelclips(p);
        ASSERT_EQ(panels.size(), 2u);
        int first = 0;
        for (const Prim* t : p.of(Prim::Text)) {
            if (t->angle != 0) continue;
            const Box b = dp::glyphbox(p, *t);
            bool number = false;
            dp::number(t->text, &number);
            if (!labels.count(t->text) && !(number && t->text.find('.') != std::string::npos)) continue;   // tick labels, titles, strips
            first += t->text == "02DTR6qv";
            const double cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2;
            const auto in = std::find_if(panels.begin(), panels.end(), [&](const Box& o) { return o.holds(cx, cy); });
            ASSERT_NE(in, panels.end()) << "\"" << t->text << "\" at (" << b.x0 << ", " << b.y0 << ") stands outside every panel";
            // (the capitals' and digits' height: the description writes a value half a text
            // height above its line, up to a text height under the top)
            const double cap = t->xy[1] + 0.72 * t->style.size / p.h * 100.0;
            EXPECT_TRUE(b.x0 >= in->x0 && b.x1 <= in->x1 && b.y0 >= in->y0 && cap <= in->y1)
                << "\"" << t->text << "\" at (" << b.x0 << ", " << b.y0 << ") crosses its panel's edge";
        }
        EXPECT_EQ(first, 2);
    }
    EXPECT_TRUE(dp::hasmsg(r.log, 6530)) << r.log.all();
    const std::string log = r.log.all();
    const size_t at = log.find(" label(s) of reference lines");
    ASSERT_NE(at, std::string::npos) << log;
    const int left = std::atoi(log.c_str() + log.rfind(' ', at - 1) + 1);
    EXPECT_GT(left, 0);
    EXPECT_LT(left, 44) << log;
}

// The difference of the bladder tumours' MCFs with a reference line at 0: its label's own
// place, at the left end below the line, holds the first points, and the line's other end is
// clear: "no difference" stands there, at the right end below its line (it stood about ten
// months in, above the line, among the steps' markers and limits).
TEST(Crowded, LevelLabelTakesTheClearEndOfItsLine) {
    dp::Run r = dp::run("proc vitalyx data=d;\n unitid unit;\n mcfplot age*n(-1) = rx / mcfdiff interpolate=step vref=0 vreflabels='no difference';\nrun;\n",
                        {{"d", testdata::file("data/mcf/bladder.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const Prim* t = p.text("no difference");
    ASSERT_NE(t, nullptr);
    const Box area = plotarea(p), b = dp::glyphbox(p, *t);
    double line = NAN;   // the reference line: the dashed line across the plot area nearest the label
    for (const Prim* q : acrosslines(p, area, false, {t->xy[1]}))
        if (std::isnan(line) || std::fabs(q->xy[1] - t->xy[1]) < std::fabs(line - t->xy[1])) line = q->xy[1];
    ASSERT_FALSE(std::isnan(line));
    EXPECT_EQ(t->anchor, rt::gfx::Anchor::End);
    EXPECT_GT(b.x1, area.x1 - 2) << "at the right end of its line";
    EXPECT_LT(b.y1, line) << "below its line";
}

// Two suppliers side by side, each with its inset at the upper left and an LREF= line whose
// long label starts at the top of the line, under the inset: the label keeps a text height
// clear of the inset's box (it stood 2 points under it, the inset's own row pitch, and read as
// a seventh row of the inset).
TEST(Crowded, ReferenceLabelKeepsATextHeightFromTheInset) {
    dp::Run r = dp::run(testdata::file("data/crowded/probplot-long-reference-label.vx"), {{"longsup", testdata::file("data/crowded/longsup.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const std::vector<Box> insets = insetboxes(p);
    ASSERT_EQ(insets.size(), 2u);
    int seen = 0;
    for (const Prim* t : p.of(Prim::Text)) {
        if (t->text.rfind("one thousand", 0) != 0) continue;
        ++seen;
        const Box b = dp::glyphbox(p, *t);
        const double h = t->style.size / p.h * 100.0, hx = t->style.size / p.w * 100.0;
        for (const Box& o : insets) {
            EXPECT_FALSE(o.meets({b.x0 - hx, b.y0 - h, b.x1 + hx, b.y1 + h}))
                << "\"" << t->text << "\" " << (o.y0 - b.y1) * p.h / 100 << " pt under the inset";
        }
    }
    EXPECT_EQ(seen, 2);
}

}  // namespace
