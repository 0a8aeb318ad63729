// The statistical road's pages read back as a person reads them, from the renderer's drawing
// list: what is drawn inside a frame stays in it, tick labels are numbers a reader can take at
// a glance and stay on the page (also where a range reaches the largest number), each percentile line's label stands at its own line's end
// clear of the other lines, an inset leaves the bands and lines free, and a BY group's page
// says which group it shows.
#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/sgraph/frame.h"

#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using rt::gfx::Prim;

struct Box {
    double x0, y0, x1, y1;
    bool holds(double x, double y, double tol = 1e-6) const { return x >= x0 - tol && x <= x1 + tol && y >= y0 - tol && y <= y1 + tol; }
};

// Closed rectangles drawn as polylines (frames, strips, insets): the first side level.
std::vector<std::pair<Box, const Prim*>> rectangles(const dp::Page& pg) {
    std::vector<std::pair<Box, const Prim*>> v;
    for (const Prim* q : pg.of(Prim::Polyline)) {
        const auto& p = q->xy;
        if (p.size() != 10 || p[0] != p[8] || p[1] != p[9] || p[1] != p[3] || p[2] != p[4]) continue;
        v.push_back({{std::min(p[0], p[4]), std::min(p[1], p[5]), std::max(p[0], p[4]), std::max(p[1], p[5])}, q});
    }
    return v;
}

// The plot frames: the rectangles drawn heavier than insets, more than a sixth of the page high.
std::vector<Box> frames(const dp::Page& pg) {
    std::vector<Box> v;
    for (auto& [b, q] : rectangles(pg))
        if (q->stroke.width > 0.7 && b.y1 - b.y0 > 16) v.push_back(b);
    return v;
}

bool inpolygon(const std::vector<double>& p, double x, double y) {
    bool in = false;
    const size_t n = p.size() / 2;
    for (size_t i = 0, j = n - 1; i < n; j = i++)
        if ((p[2 * i + 1] > y) != (p[2 * j + 1] > y) &&
            x < (p[2 * j] - p[2 * i]) * (y - p[2 * i + 1]) / (p[2 * j + 1] - p[2 * i + 1]) + p[2 * i])
            in = !in;
    return in;
}

// A segment meets a box (its inside shrunk by tol).
bool meets(const Box& b, double x0, double y0, double x1, double y1, double tol = 0.05) {
    const Box in{b.x0 + tol, b.y0 + tol, b.x1 - tol, b.y1 - tol};
    for (int k = 0; k <= 64; ++k) {
        const double t = k / 64.0;
        if (in.holds(x0 + t * (x1 - x0), y0 + t * (y1 - y0), 0)) return true;
    }
    return false;
}

// Every line, curve and band drawn under a clip lies inside that clip, and the clip is a
// frame: lines and bands are cut at the frame, not at the frame and the strip above it.
void insideframes(const dp::Page& pg, const std::string& what) {
    const std::vector<Box> fr = frames(pg);
    ASSERT_FALSE(fr.empty()) << what;
    const Box* clip = nullptr;
    Box cur{};
    int drawn = 0;
    for (const Prim& q : pg.prims) {
        if (q.kind == Prim::PushClip) {
            cur = {std::min(q.xy[0], q.xy[2]), std::min(q.xy[1], q.xy[3]), std::max(q.xy[0], q.xy[2]), std::max(q.xy[1], q.xy[3])};
            clip = &cur;
            EXPECT_TRUE(std::any_of(fr.begin(), fr.end(), [&](const Box& f) {
                return std::fabs(f.x0 - cur.x0) < 1e-6 && std::fabs(f.y0 - cur.y0) < 1e-6 && std::fabs(f.x1 - cur.x1) < 1e-6 &&
                       std::fabs(f.y1 - cur.y1) < 1e-6;
            })) << what << ": a clip that is not a frame, from (" << cur.x0 << ", " << cur.y0 << ") to (" << cur.x1 << ", " << cur.y1 << ")";
        } else if (q.kind == Prim::PopClip) {
            clip = nullptr;
        } else if (clip && (q.kind == Prim::Polyline || q.kind == Prim::Fill || q.kind == Prim::Line)) {
            ++drawn;
            for (size_t k = 0; k + 1 < q.xy.size(); k += 2)
                ASSERT_TRUE(clip->holds(q.xy[k], q.xy[k + 1])) << what << ": a point at (" << q.xy[k] << ", " << q.xy[k + 1] << ") outside its frame";
        }
    }
    EXPECT_GT(drawn, 2) << what;
}

TEST(Geometry, LinesAndBandsStayInsideTheirFrames) {
    // The diesel fans' line and band run to 10,000 hours, past the top of the probability
    // axis; the cosmesis treatments overlaid and side by side; the valve seats' steps and
    // limits; the insulation's relation plot with its probability panel.
    const auto fans = testdata::file("data/lifedist/fans.csv"), cosmesis = testdata::file("data/lifedist/cosmesis_groups.csv");
    struct Case {
        std::string what, program, data;
    };
    const Case cases[] = {
        {"diesel fans", "proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(1);\nrun;\n", fans},
        {"overlay", "proc vitalyx data=d;\n distribution weibull;\n probplot (lower upper) = treatment / overlay;\nrun;\n", cosmesis},
        {"panels", "proc vitalyx data=d;\n distribution weibull;\n probplot (lower upper) = treatment / ncols=2;\nrun;\n", cosmesis},
        {"valve seats", "proc vitalyx data=d;\n unitid engine;\n mcfplot days*n(-1) / interpolate=step;\nrun;\n",
         testdata::file("data/mcf/valve.csv")},
        {"relation plot", "proc vitalyx data=d;\n distribution lognormal;\n relationplot hours = temp / relation=arr pplot plotfit=10 50 90;\nrun;\n",
         testdata::insulation},
    };
    for (const Case& c : cases) {
        const dp::Run r = dp::runstatistical(c.program, {{"d", c.data}});
        ASSERT_EQ(r.pages.size(), 1u) << c.what;
        insideframes(r.pages[0], c.what);
    }
}

// The numbers written along the left edge of a frame (right-aligned just left of it) or under
// it (centred just below it), in order up or along, with their positions.
struct Ticks {
    std::vector<double> value, pos;
};
Ticks ticklabels(const dp::Page& pg, const Box& f, bool left) {
    std::vector<std::pair<double, double>> v;
    for (const Prim* t : pg.of(Prim::Text)) {
        bool num = false;
        const double x = dp::number(t->text, &num);
        if (!num || t->angle != 0) continue;
        const double mid = t->xy[1] + 0.35 * t->style.size / pg.h * 100.0;   // the middle of the digits
        if (left && t->anchor == rt::gfx::Anchor::End && t->xy[0] < f.x0 && t->xy[0] > f.x0 - 3 && mid > f.y0 - 0.5 && mid < f.y1 + 0.5)
            v.emplace_back(mid, x);
        if (!left && t->anchor == rt::gfx::Anchor::Middle && t->xy[1] < f.y0 && t->xy[1] > f.y0 - 6) v.emplace_back(t->xy[0], x);
    }
    std::sort(v.begin(), v.end());
    Ticks out;
    for (auto [p, x] : v) out.pos.push_back(p), out.value.push_back(x);
    return out;
}

// The tick labels of both axes: numbers in one plain format with a leading zero (0.00001 beside
// 0.0001, never 1e-05 or .5), each wholly on the page (100000 at the frame's right end too).
TEST(Geometry, TickLabelsAreNumbersWithALeadingZeroInsideThePage) {
    const dp::Run r = dp::runstatistical("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(1) / pctlower=0.00001 lifeupper=100000;\n"
                                      "run;\nproc vitalyx data=v;\n unitid unit;\n mcfplot age*n(-1) = rx / interpolate=step mcfdiff;\nrun;\n",
                                      {{"d", testdata::file("data/lifedist/fans.csv")}, {"v", testdata::file("data/mcf/bladder.csv")}});
    ASSERT_EQ(r.pages.size(), 2u);
    for (const dp::Page& pg : r.pages) {
        const Box f = frames(pg).at(0);
        const Ticks left = ticklabels(pg, f, true), bottom = ticklabels(pg, f, false);
        EXPECT_GE(left.value.size(), 4u) << pg.name;
        EXPECT_GE(bottom.value.size(), 4u) << pg.name;
        for (const Prim* t : pg.of(Prim::Text)) {
            if (t->angle != 0) continue;
            const double w = dp::labelwidth(pg, *t);
            const double x0 = t->anchor == rt::gfx::Anchor::Start ? t->xy[0] : t->anchor == rt::gfx::Anchor::End ? t->xy[0] - w : t->xy[0] - w / 2;
            EXPECT_GE(x0, 0.0) << pg.name << ": \"" << t->text << "\" leaves the page";
            EXPECT_LE(x0 + w, 100.0) << pg.name << ": \"" << t->text << "\" leaves the page";
            bool num = false;
            dp::number(t->text, &num);
            if (!num) continue;
            EXPECT_EQ(t->text.find_first_of("eE"), std::string::npos) << pg.name << ": " << t->text;
            EXPECT_FALSE(t->text[0] == '.' || t->text.rfind("-.", 0) == 0) << pg.name << ": " << t->text;
        }
    }
    EXPECT_TRUE(r.pages[0].hastext("0.00001") && r.pages[0].hastext("0.0001") && r.pages[0].hastext("100000"));
    // One failure weighing 1e15 beside a censored unit of 1e300: its probability rounds to 0,
    // so only one end of the data range is set; the line and the time axis stay on numbers. An
    // axis up to the largest number has number labels too.
    const dp::Run w = dp::runstatistical("proc vitalyx data=w;\n freq f;\n probplot t*c(1);\nrun;\n", {{"w", "t,c,f\n576,1,1e300\n530,0,1e15\n"}});
    ASSERT_EQ(w.pages.size(), 1u);
    const Ticks wt = ticklabels(w.pages[0], frames(w.pages[0]).at(0), false);
    EXPECT_GE(wt.value.size(), 2u);
    for (double v : wt.value) EXPECT_TRUE(v >= 500 && v <= 600) << v;
    const rt::sgr::Axis huge = rt::sgr::linearaxis(10, std::numeric_limits<double>::max(), 5);
    ASSERT_FALSE(huge.labels.empty());
    for (size_t k = 0; k < huge.labels.size(); ++k) EXPECT_TRUE(std::isfinite(huge.major[k]) && !huge.labels[k].empty()) << k;
    // The difference of the MCFs: the device road's ticks (-1 to 2.5 by 0.5) and a reference
    // line across the frame at no difference.
    const Box f = frames(r.pages[1]).at(0);
    const Ticks mcf = ticklabels(r.pages[1], f, true);
    ASSERT_EQ(mcf.value, (std::vector<double>{-1, -0.5, 0, 0.5, 1, 1.5, 2, 2.5}));
    const double zero = mcf.pos[2];
    EXPECT_TRUE(std::any_of(r.pages[1].prims.begin(), r.pages[1].prims.end(), [&](const Prim& q) {
        return q.kind == Prim::Line && std::fabs(q.xy[1] - zero) < 0.05 && std::fabs(q.xy[3] - zero) < 0.05 && std::fabs(q.xy[0] - f.x0) < 1e-6 &&
               std::fabs(q.xy[2] - f.x1) < 1e-6;
    }));
}

// The switch to exponent notation: from ten million up, or below 0.0001, every label of the
// axis (0 stays 0); a percent axis keeps plain decimals; the log axes of very large and very
// small times.
TEST(Geometry, TickLabelsTakeExponentsFromTenMillionAndBelowATenThousandth) {
    auto labels = [](std::vector<double> v, bool sizes) {
        rt::sgr::Axis a;
        for (double x : v) a.labels.push_back(rt::sgr::numlabel(x));
        rt::sgr::uniformlabels(a, sizes);
        return a.labels;
    };
    using L = std::vector<std::string>;
    EXPECT_EQ(labels({0, 5e6, 9e6}, true), (L{"0", "5000000", "9000000"}));
    EXPECT_EQ(labels({0, 5e6, 1e7}, true), (L{"0", "5e+06", "1e+07"}));
    EXPECT_EQ(labels({-2e7, 0, 2.5e7}, true), (L{"-2e+07", "0", "2.5e+07"}));
    EXPECT_EQ(labels({0.0001, 0.5}, true), (L{"0.0001", "0.5"}));
    EXPECT_EQ(labels({0, 0.00005, 0.5}, true), (L{"0", "5e-05", "5e-01"}));
    EXPECT_EQ(labels({0.00001, 0.0001, 50}, false), (L{"0.00001", "0.0001", "50"}));
    EXPECT_EQ(rt::sgr::logaxis(1.788e10, 1.734e11).labels, (L{"1e+10", "2e+10", "5e+10", "1e+11", "2e+11", "5e+11", "1e+12"}));
    EXPECT_EQ(rt::sgr::logaxis(1.788e-8, 1.734e-7).labels, (L{"1e-08", "2e-08", "5e-08", "1e-07", "2e-07", "5e-07", "1e-06"}));
    EXPECT_EQ(rt::sgr::linearaxis(0, 2e7, 4).labels, (L{"0", "5e+06", "1e+07", "1.5e+07", "2e+07"}));
}

// The percentile lines of the MODEL's fit beside the probability panel (their ends near the
// frame's right edge) and of the regression cut by LIFELOWER (their ends on the frame's
// bottom): each label is nearer its own line's end than any other line's, no line crosses a
// label and no two labels overlap.
TEST(Geometry, PercentileLabelsStandAtTheirOwnLinesEnds) {
    const std::string model = " model hours = temp / relation=arr;\n relationplot hours = temp / ";
    const dp::Run r = dp::runstatistical("proc vitalyx data=d;\n distribution lognormal;\n" + model + "fit=model relation=arr pplot plotfit=10 50 90;\n" + model +
                                          "fit=regression relation=arr plotfit=1 10 50 90 99 lifelower=1000;\nrun;\n",
                                      {{"d", testdata::insulation}});
    ASSERT_EQ(r.pages.size(), 2u);
    for (const dp::Page& pg : r.pages) {
        // The relation frame is the last one; its lines are the polylines drawn under its clip.
        const Box f = frames(pg).back();
        std::vector<std::vector<double>> lines;
        bool in = false;
        for (const Prim& q : pg.prims) {
            if (q.kind == Prim::PushClip) in = std::fabs(q.xy[0] - f.x0) < 1e-6 && std::fabs(q.xy[1] - f.y0) < 1e-6;
            if (q.kind == Prim::PopClip) in = false;
            if (in && q.kind == Prim::Polyline && q.xy.size() >= 8) lines.push_back(q.xy);
        }
        std::vector<std::pair<double, double>> ends;
        for (const auto& l : lines) ends.emplace_back(l[l.size() - 2], l[l.size() - 1]);
        // A lower percentile's line lies below and left of a higher one's: at one stress its end
        // is lower, on the frame's bottom edge it leaves earlier.
        std::sort(ends.begin(), ends.end(), [](auto& a, auto& b) { return a.first + a.second < b.first + b.second; });
        std::vector<std::pair<double, const Prim*>> labels;
        for (const Prim* t : pg.of(Prim::Text)) {
            bool num = false;
            const double v = dp::number(t->text, &num);
            if (num && t->angle == 0 && t->xy[0] > f.x0 + 1 && t->xy[1] > f.y0 - 0.1 && t->xy[1] < f.y1 && (v == 1 || v == 10 || v == 50 || v == 90 || v == 99))
                labels.emplace_back(v, t);
        }
        ASSERT_EQ(labels.size(), ends.size()) << pg.name;
        std::sort(labels.begin(), labels.end());
        std::vector<Box> boxes;
        for (size_t k = 0; k < labels.size(); ++k) {
            const Prim* t = labels[k].second;
            const double h = t->style.size / pg.h * 100.0;
            const Box b{t->xy[0], t->xy[1] - 0.2 * h, t->xy[0] + dp::labelwidth(pg, *t), t->xy[1] + 0.75 * h};
            boxes.push_back(b);
            auto dist = [&](const std::pair<double, double>& e) {
                const double dx = std::max({b.x0 - e.first, 0.0, e.first - b.x1}), dy = std::max({b.y0 - e.second, 0.0, e.second - b.y1});
                return std::hypot(dx, dy);
            };
            for (size_t j = 0; j < ends.size(); ++j) {
                if (j == k) continue;
                EXPECT_LT(dist(ends[k]), dist(ends[j])) << pg.name << ": the label " << t->text << " is nearer another line's end";
            }
            for (const auto& l : lines)
                for (size_t i = 0; i + 3 < l.size(); i += 2)
                    EXPECT_FALSE(meets(b, l[i], l[i + 1], l[i + 2], l[i + 3])) << pg.name << ": a line crosses the label " << t->text;
        }
        for (size_t a = 0; a < boxes.size(); ++a)
            for (size_t b = a + 1; b < boxes.size(); ++b)
                EXPECT_TRUE(boxes[a].x1 <= boxes[b].x0 || boxes[b].x1 <= boxes[a].x0 || boxes[a].y1 <= boxes[b].y0 || boxes[b].y1 <= boxes[a].y0)
                    << pg.name << ": two labels overlap";
    }
}

// Panels side by side and stacked: each panel's inset (smaller where it must be) finds a place
// that no band, line or point meets, on these data there is one in every panel. So does the
// inset of a panel whose every place the reference lines cross (ten percents and the times read
// off where they meet the fitted line): they are no data (it stood over the band's upper limit).
TEST(Geometry, InsetsLeaveBandsLinesAndPointsFree) {
    const auto cosmesis = testdata::file("data/lifedist/cosmesis_groups.csv");
    const std::string panels = "proc vitalyx data=d;\n distribution weibull;\n probplot (lower upper) = treatment / ";
    const struct {
        std::string layout, program, data;
        size_t insets;
    } cases[] = {{"ncols=2", panels + "ncols=2;\nrun;\n", cosmesis, 2},
                 {"nrows=2", panels + "nrows=2;\nrun;\n", cosmesis, 2},
                 {"references", "proc vitalyx data=d;\n distribution lognormal;\n probplot hours*status(0) / pref=5 7.5 30 35 44 49 56 70 80 85 intersect;\nrun;\n",
                  testdata::file("../examples/fans.csv"), 1}};
    for (const auto& [layout, program, data, count] : cases) {
        const dp::Run r = dp::runstatistical(program, {{"d", data}});
        ASSERT_EQ(r.pages.size(), 1u) << layout;
        const dp::Page& pg = r.pages[0];
        std::vector<Box> insets;
        for (auto& [b, q] : rectangles(pg))
            if (q->stroke.width < 0.7) insets.push_back(b);
        ASSERT_EQ(insets.size(), count) << layout;
        int bands = 0;
        for (const Box& in : insets) {
            const Box tight{in.x0 + 0.05, in.y0 + 0.05, in.x1 - 0.05, in.y1 - 0.05};
            bool under = false;   // drawn before the inset, inside a clip
            for (const Prim& q : pg.prims) {
                if (q.kind == Prim::PushClip) under = true;
                if (q.kind == Prim::PopClip) under = false;
                if (!under) continue;
                if (q.kind == Prim::Fill) {
                    ++bands;
                    const size_t n = q.xy.size();
                    for (size_t k = 0; k + 1 < n; k += 2)
                        EXPECT_FALSE(meets(tight, q.xy[k], q.xy[k + 1], q.xy[(k + 2) % n], q.xy[(k + 3) % n])) << layout << ": a band under an inset";
                    EXPECT_FALSE(inpolygon(q.xy, 0.5 * (in.x0 + in.x1), 0.5 * (in.y0 + in.y1))) << layout << ": an inset inside a band";
                } else if (q.kind == Prim::Polyline) {
                    for (size_t k = 0; k + 3 < q.xy.size(); k += 2)
                        EXPECT_FALSE(meets(tight, q.xy[k], q.xy[k + 1], q.xy[k + 2], q.xy[k + 3])) << layout << ": a line under an inset";
                } else if (q.kind == Prim::Markers) {
                    for (size_t k = 0; k + 1 < q.xy.size(); k += 2)
                        EXPECT_FALSE(tight.holds(q.xy[k], q.xy[k + 1], 0.5)) << layout << ": a point under an inset";
                }
            }
        }
        EXPECT_GE(bands, static_cast<int>(count)) << layout;
    }
}

// A BY group's page names its group above the title, as the report does above the figure.
TEST(Geometry, ByGroupPagesNameTheirGroup) {
    const dp::Run r = dp::runstatistical("proc vitalyx data=d;\n by treatment notsorted;\n distribution weibull;\n probplot (lower upper);\nrun;\n",
                                      {{"d", testdata::file("data/lifedist/cosmesis_groups.csv")}});
    ASSERT_EQ(r.pages.size(), 2u);
    const char* lines[] = {"treatment=RT", "treatment=RCT"};
    for (size_t k = 0; k < 2; ++k) {
        const Prim* by = r.pages[k].text(lines[k]);
        ASSERT_TRUE(by) << lines[k];
        const Prim* title = r.pages[k].text("Weibull Probability Plot");
        ASSERT_TRUE(title);
        EXPECT_GT(by->xy[1], title->xy[1]);
        EXPECT_GT(by->xy[1], frames(r.pages[k]).at(0).y1);
        EXPECT_FALSE(r.pages[k].hastext(lines[1 - k]));
    }
}

}  // namespace
