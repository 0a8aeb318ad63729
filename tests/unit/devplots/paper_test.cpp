// Probability paper read back from the drawn page: the probability axis's ticks sit at the
// standard quantiles of their percentages, the life axis's ticks at the (log) times of
// their labels, every plotted point at (its time, the quantile of its plotting position),
// the fitted line through (t_p, p) for the fitted percentiles, and the confidence band on
// either side of the line; for every distribution, with ROTATE too. The quantiles are the
// test's own inversions of the distribution functions.
#include <cmath>
#include <functional>
#include <cstdlib>

#include "runtime/graphics/canvas.h"
#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using dp::Page;
using rt::gfx::Anchor;
using rt::gfx::Prim;

using dp::Axis;
using dp::labels;

struct Dist {
    const char* name;
    bool logtime;
    std::function<double(double)> cdf;   // of the standardized variable
};

double bisect(const std::function<double(double)>& F, double p) {
    double lo = -40, hi = 40;
    for (int k = 0; k < 200; ++k) {
        const double m = 0.5 * (lo + hi);
        (F(m) < p ? lo : hi) = m;
    }
    return 0.5 * (lo + hi);
}

const Dist kDists[] = {
    {"weibull", true, [](double z) { return -std::expm1(-std::exp(z)); }},
    {"lognormal", true, [](double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }},
    {"loglogistic", true, [](double z) { return 1 / (1 + std::exp(-z)); }},
    {"normal", false, [](double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }},
    {"logistic", false, [](double z) { return 1 / (1 + std::exp(-z)); }},
    {"extreme", false, [](double z) { return -std::expm1(-std::exp(z)); }},
};

struct Parms {
    double mu = NAN, sigma = NAN;
};

// Location and scale of the fit from the listing's parameter table.
Parms parms(const std::string& listing, bool weibull) {
    Parms p;
    std::istringstream in(listing);
    std::string line;
    auto second = [](const std::string& l, const std::string& key) {
        std::istringstream w(l.substr(l.find(key) + key.size()));
        double v = NAN;
        w >> v;
        return v;
    };
    while (std::getline(in, line)) {
        const std::string loc = weibull ? "EV Location" : "Location", sc = weibull ? "EV Scale" : "Scale";
        if (line.find(loc) != std::string::npos && std::isnan(p.mu)) p.mu = second(line, loc);
        else if (line.find(sc) != std::string::npos && line.find(loc) == std::string::npos && std::isnan(p.sigma)) p.sigma = second(line, sc);
    }
    return p;
}

class Paper : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(Paper, PointsLineAndBandSitWhereThePaperSays) {
    const Dist& d = kDists[std::get<0>(GetParam())];
    const bool rotate = std::get<1>(GetParam());
    const std::string prog = std::string("proc vitalyx data=bearings;\n distribution ") + d.name +
                             ";\n probplot cycles / ppos=exprank nocenplot" + (rotate ? " rotate" : "") + ";\nrun;\n";
    dp::Run r = dp::run(prog, {{"bearings", testdata::bearings}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u) << r.log.all();
    const Page& pg = r.pages[0];

    // The probability axis: its labels' quantiles against their positions, one straight line.
    const Axis pa = labels(pg, !rotate);
    ASSERT_GE(pa.value.size(), 3u);
    std::vector<double> z;
    for (double v : pa.value) z.push_back(bisect(d.cdf, v / 100.0));
    const dp::Fit prob = dp::linefit(z, pa.pos);
    EXPECT_LT(prob.worst, 2e-3) << d.name;

    // The life axis: the labels' (log) values against their positions.
    const Axis la = labels(pg, rotate);
    ASSERT_GE(la.value.size(), 2u);
    std::vector<double> lv;
    for (double v : la.value) lv.push_back(d.logtime ? std::log10(v) : v);
    const dp::Fit life = dp::linefit(lv, la.pos);
    EXPECT_LT(life.worst, 2e-2) << d.name;

    auto X = [&](double t) { return life.a + life.b * (d.logtime ? std::log10(t) : t); };
    auto Y = [&](double p) { return prob.a + prob.b * bisect(d.cdf, p); };
    auto at = [&](double t, double p) { return rotate ? std::make_pair(Y(p), X(t)) : std::make_pair(X(t), Y(p)); };

    // Every point at (t_i, i / (n + 1)).
    std::vector<double> times = testdata::bearingtimes();
    std::sort(times.begin(), times.end());
    auto pts = pg.markers();
    ASSERT_EQ(pts.size(), times.size());
    std::sort(pts.begin(), pts.end(), [&](auto& a, auto& b) { return rotate ? a.second < b.second : a.first < b.first; });
    const double n = static_cast<double>(times.size());
    for (size_t i = 0; i < times.size(); ++i) {
        const auto want = at(times[i], (i + 1) / (n + 1));
        EXPECT_NEAR(pts[i].first, want.first, 0.02) << d.name << " point " << i;
        EXPECT_NEAR(pts[i].second, want.second, 0.02) << d.name << " point " << i;
    }

    // The fitted line: two points; it passes through (t_p, p) for the fitted percentiles.
    const Parms fp = parms(r.listing, std::string(d.name) == "weibull");
    ASSERT_FALSE(std::isnan(fp.mu)) << r.listing;
    ASSERT_FALSE(std::isnan(fp.sigma)) << r.listing;
    const Prim* line = nullptr;
    std::vector<const Prim*> curves;
    for (const Prim* q : pg.of(Prim::Polyline))
        if (q->xy.size() == 4) line = q;
    ASSERT_NE(line, nullptr);
    auto lineat = [&](double u) {   // the line's coordinate across the life axis at u along it
        const double u0 = rotate ? line->xy[1] : line->xy[0], u1 = rotate ? line->xy[3] : line->xy[2];
        const double v0 = rotate ? line->xy[0] : line->xy[1], v1 = rotate ? line->xy[2] : line->xy[3];
        return v0 + (v1 - v0) * (u - u0) / (u1 - u0);
    };
    for (double p : {0.05, 0.1, 0.5, 0.9}) {
        const double zp = bisect(d.cdf, p);
        const double tp = d.logtime ? std::exp(fp.mu + fp.sigma * zp) : fp.mu + fp.sigma * zp;
        const auto want = at(tp, p);
        const double u = rotate ? want.second : want.first, v = rotate ? want.first : want.second;
        EXPECT_NEAR(lineat(u), v, 0.05) << d.name << " at p = " << p;
    }

    // The band: each curve keeps to one side of the line, the two curves to opposite sides.
    for (const Prim* q : pg.of(Prim::Polyline)) {
        const size_t n = q->xy.size();
        const bool closed = q->xy[0] == q->xy[n - 2] && q->xy[1] == q->xy[n - 1];   // the inset's box
        if (n > 4 && !closed) curves.push_back(q);
    }
    ASSERT_EQ(curves.size(), 2u) << d.name;
    int sides[2] = {0, 0};
    for (int c = 0; c < 2; ++c) {
        int above = 0, below = 0;
        for (size_t k = 0; k + 1 < curves[c]->xy.size(); k += 2) {
            const double u = rotate ? curves[c]->xy[k + 1] : curves[c]->xy[k];
            const double v = rotate ? curves[c]->xy[k] : curves[c]->xy[k + 1];
            const double gap = v - lineat(u);
            if (gap > 1e-6) ++above;
            if (gap < -1e-6) ++below;
        }
        EXPECT_TRUE(above == 0 || below == 0) << d.name << " curve " << c << " crosses the line";
        sides[c] = above > 0 ? 1 : -1;
    }
    EXPECT_EQ(sides[0], -sides[1]) << d.name;
}

INSTANTIATE_TEST_SUITE_P(Distributions, Paper, ::testing::Combine(::testing::Range(0, 6), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(kDists[std::get<0>(info.param)].name) + (std::get<1>(info.param) ? "_rotated" : "");
                         });

}  // namespace
