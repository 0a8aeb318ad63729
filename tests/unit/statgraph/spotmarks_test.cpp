// Markers stamped once per spot (a twentieth of a point): whatever shortcut finds a point's
// spot, the markers drawn are the first point of every spot in order, among the points that
// have a place inside the frame's clipping, at the page position of that point. Points are
// laid on the edges between spots, on the clipping's edges, and off the log axis.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "runtime/graphics/recorder.h"
#include "runtime/sgraph/frame.h"

namespace {

using rt::sgr::Frame;

// The markers by their definition: each spot's first point.
std::vector<double> firstperspot(const Frame& f, const std::vector<double>& xs, const std::vector<double>& ys) {
    std::set<std::pair<long, long>> seen;
    std::vector<double> xy;
    for (size_t k = 0; k < xs.size(); ++k) {
        double x, y;
        if (!f.at(xs[k], ys[k], &x, &y)) continue;
        if (x < f.x0 - 0.01 || x > f.x1 + 0.01 || y < f.y0 - 0.01 || y > f.y1 + 0.01) continue;
        if (!seen.insert({std::lround(x * 20), std::lround(y * 20)}).second) continue;
        xy.push_back(x);
        xy.push_back(y);
    }
    return xy;
}

// The data value of an axis at page coordinate p (from origin a to b over the axis).
double valueat(const rt::sgr::Axis& ax, double a, double b, double p) {
    const double u = ax.lo + (p - a) / (b - a) * (ax.hi - ax.lo);
    return ax.log ? std::pow(10.0, u) : u;
}

TEST(SpotMarks, FirstPointOfEverySpotOnALogAxisEitherWay) {
    for (bool logx : {true, false}) {
        SCOPED_TRACE(logx ? "log time across" : "log time up");
        Frame f;
        f.x0 = 60, f.x1 = 860, f.y0 = 45, f.y1 = 655;
        const rt::sgr::Axis logt = rt::sgr::logaxis(2, 30000), lin = rt::sgr::linearaxis(-7, 2.5);
        f.x = logx ? logt : lin;
        f.y = logx ? lin : logt;
        std::mt19937_64 rng(11);
        std::uniform_real_distribution<double> unit(0, 1);
        std::vector<double> xs, ys;
        // A curve of sorted points, dense enough for runs of hundreds at one spot.
        for (int k = 0; k < 200000; ++k) {
            const double s = k / 200000.0;
            xs.push_back(valueat(f.x, f.x0, f.x1, f.x0 - 3 + s * (f.x1 - f.x0 + 6)));
            ys.push_back(valueat(f.y, f.y0, f.y1, f.y0 - 2 + s * s * (f.y1 - f.y0 + 4)));
        }
        // A point at the middle of a spot, then one within a few ulps of that spot's edge (on
        // either side), across x or across y; edges of the clipping among them.
        auto nudge = [&](double v) {
            const int ulps = static_cast<int>(unit(rng) * 9) - 4;
            for (int u = 0; u < std::abs(ulps); ++u) v = std::nextafter(v, ulps > 0 ? INFINITY : -INFINITY);
            return v;
        };
        for (int k = 0; k < 20000; ++k) {
            const double ex = k % 13 == 0 ? f.x1 + 0.01 : (std::floor(unit(rng) * 20 * (f.x1 - f.x0)) + 0.5) / 20 + f.x0;
            const double ey = k % 17 == 0 ? f.y0 - 0.01 : (std::floor(unit(rng) * 20 * (f.y1 - f.y0)) + 0.5) / 20 + f.y0;
            const bool acrossx = k % 2 == 0;
            const double cx = acrossx ? ex - 0.025 : ex + 0.025, cy = acrossx ? ey + 0.025 : ey - 0.025;
            xs.push_back(valueat(f.x, f.x0, f.x1, cx));
            ys.push_back(valueat(f.y, f.y0, f.y1, cy));
            xs.push_back(acrossx ? nudge(valueat(f.x, f.x0, f.x1, ex)) : xs.back());
            ys.push_back(acrossx ? ys.back() : nudge(valueat(f.y, f.y0, f.y1, ey)));
        }
        // Values off the axes: missing, not positive on the log axis, infinite.
        for (double bad : std::initializer_list<double>{NAN, 0.0, -5.0, INFINITY}) {
            xs.push_back(logx ? bad : 1.0);
            ys.push_back(logx ? 1.0 : bad);
        }
        rt::gfx::RecordingCanvas c;
        rt::sgr::marks(c, f, rt::sgr::opencircle(), 6, rt::gfx::Stroke{}, xs, ys);
        const auto drawn = c.of(rt::gfx::Prim::Markers);
        ASSERT_EQ(drawn.size(), 1u);
        const std::vector<double> want = firstperspot(f, xs, ys);
        EXPECT_GT(want.size(), 20000u);
        EXPECT_EQ(drawn[0]->xy.size(), want.size());
        EXPECT_TRUE(drawn[0]->xy == want);
    }
}

}  // namespace
