// A page read back as a person reads it, from the drawing list: each panel (a group of
// overlapping clips) with its axes read from the tick labels, in the coordinate the scale is
// linear in (log time, the distribution's quantile of a percent, the Arrhenius value of a
// temperature), and what it holds in those coordinates: points, censored marks, curves, short
// lines and lines across the frame.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tests/unit/devplots/fixture.h"
#include "tests/unit/statgraph/graphrun.h"

namespace pagereader {

using rt::gfx::Prim;
using Pt = std::pair<double, double>;
using sgtest::qnorm;

// What an axis is linear in.
enum class Axis { Linear, Log, Weibull, Normal, Arrhenius };

inline double scaled(Axis a, double v) {
    switch (a) {
        case Axis::Linear: return v;
        case Axis::Log: return std::log10(v);
        case Axis::Weibull: return std::log(-std::log1p(-v / 100));
        case Axis::Normal: return qnorm(v / 100);
        case Axis::Arrhenius: return -1000 / (v + 273.15);
    }
    return v;
}

// Page position = a + b * scaled value, read from the tick labels.
struct Scale {
    double a = 0, b = 1;
    bool ok = false;
    double data(double pos) const { return (pos - a) / b; }
};

struct Panel {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;   // its clips' union, page percent
    Scale sx, sy;
    std::vector<Pt> points, censored;                  // censored: page x of the marks
    std::vector<std::vector<Pt>> curves;
    std::vector<std::array<double, 4>> segs;           // lines inside, not across, the frame
    std::vector<std::array<double, 4>> across;         // lines across the whole frame
    bool inside(double x, double y, double tol = 0.3) const {
        return x >= x0 - tol && x <= x1 + tol && y >= y0 - tol && y <= y1 + tol;
    }
    Pt data(double x, double y) const { return {sx.data(x), sy.data(y)}; }
    // The span of data the frame shows along x and y.
    double spanx() const { return std::fabs(sx.data(x1) - sx.data(x0)); }
    double spany() const { return std::fabs(sy.data(y1) - sy.data(y0)); }
};

inline double centre(const dp::Page& pg, const Prim& t) {
    const double w = dp::labelwidth(pg, t);
    return t.anchor == rt::gfx::Anchor::Start ? t.xy[0] + w / 2 : t.anchor == rt::gfx::Anchor::End ? t.xy[0] - w / 2 : t.xy[0];
}

// The scale of the panel's left (or bottom) axis: each number written beside the end of the
// nearest short tick hanging out of the frame's edge.
inline Scale readscale(const dp::Page& pg, const Panel& p, bool left, Axis kind) {
    struct Tick {
        double pos, end;   // along the axis; the outer end across it
    };
    std::vector<Tick> ticks;
    for (const Prim* q : pg.of(Prim::Line)) {
        const double x0 = q->xy[0], y0 = q->xy[1], x1 = q->xy[2], y1 = q->xy[3];
        if (std::hypot(x1 - x0, y1 - y0) > 2.5) continue;
        if (left && std::fabs(y0 - y1) < 1e-9 && std::fabs(std::max(x0, x1) - p.x0) < 1.2 && y0 > p.y0 - 1 && y0 < p.y1 + 1)
            ticks.push_back({y0, std::min(x0, x1)});
        if (!left && std::fabs(x0 - x1) < 1e-9 && std::fabs(std::max(y0, y1) - p.y0) < 1.2 && x0 > p.x0 - 1 && x0 < p.x1 + 1)
            ticks.push_back({x0, std::min(y0, y1)});
    }
    std::vector<Pt> uv;
    for (const Prim* t : pg.of(Prim::Text)) {
        bool num = false;
        const double value = dp::number(t->text, &num);
        if (!num || t->angle != 0) continue;
        const Tick* best = nullptr;
        double bestd = 1e9;
        const double mid = t->xy[1] + 0.35 * t->style.size / pg.h * 100;   // the middle of the digits' height
        for (const Tick& k : ticks) {
            double d = 1e9;
            if (left && t->anchor == rt::gfx::Anchor::End && t->xy[0] <= k.end + 0.3 && t->xy[0] > k.end - 3.5)
                d = std::fabs(mid - k.pos) < 1.6 ? std::fabs(mid - k.pos) : 1e9;
            if (!left && t->xy[1] <= k.end && t->xy[1] > k.end - 6) d = std::fabs(centre(pg, *t) - k.pos) < 1.0 ? std::fabs(centre(pg, *t) - k.pos) : 1e9;
            if (d < bestd) bestd = d, best = &k;
        }
        if (best) uv.emplace_back(scaled(kind, value), best->pos);
    }
    Scale s;
    if (uv.size() < 2) return s;
    std::vector<double> u, v;
    for (auto [a, b] : uv) u.push_back(a), v.push_back(b);
    const dp::Fit f = dp::linefit(u, v);
    EXPECT_LT(f.worst, 0.05) << pg.name << (left ? ": the left" : ": the bottom") << " axis is not linear in the scale expected";
    s.a = f.a, s.b = f.b, s.ok = f.worst < 0.05;
    return s;
}

// The panels of a page (one per group of overlapping clips), left to right, each with the
// axes it is read with and what it holds. Censored marks are the statistical road's plus
// marks inside the clip and the device road's unclipped marks just above the frame.
inline std::vector<Panel> readpage(const dp::Page& pg, const std::vector<std::pair<Axis, Axis>>& axes) {
    std::vector<Panel> ps;
    std::vector<int> clipof;   // per prim: the panel of the clip it was drawn under, or -1
    int cur = -1;
    for (const Prim& q : pg.prims) {
        if (q.kind == Prim::PushClip) {
            const double x0 = std::min(q.xy[0], q.xy[2]), x1 = std::max(q.xy[0], q.xy[2]);
            const double y0 = std::min(q.xy[1], q.xy[3]), y1 = std::max(q.xy[1], q.xy[3]);
            cur = -1;
            for (size_t k = 0; k < ps.size(); ++k)
                if (std::min(x1, ps[k].x1) - std::max(x0, ps[k].x0) > 0.5 * (x1 - x0) &&
                    std::min(y1, ps[k].y1) - std::max(y0, ps[k].y0) > 0.5 * (y1 - y0))
                    cur = static_cast<int>(k);
            if (cur < 0) cur = static_cast<int>(ps.size()), ps.emplace_back();
            Panel& p = ps[cur];
            p.x0 = std::min(p.x0, x0), p.x1 = std::max(p.x1, x1), p.y0 = std::min(p.y0, y0), p.y1 = std::max(p.y1, y1);
        } else if (q.kind == Prim::PopClip) {
            cur = -1;
        }
        clipof.push_back(cur);
    }
    std::vector<int> order(ps.size());
    for (size_t k = 0; k < ps.size(); ++k) order[k] = static_cast<int>(k);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return ps[a].x0 < ps[b].x0; });
    std::vector<int> rank(ps.size());
    for (size_t k = 0; k < order.size(); ++k) rank[order[k]] = static_cast<int>(k);
    std::vector<Panel> out(ps.size());
    for (size_t k = 0; k < ps.size(); ++k) out[rank[k]] = ps[k];
    EXPECT_EQ(out.size(), axes.size()) << pg.name << ": panels";
    if (out.size() != axes.size()) return {};
    for (size_t k = 0; k < out.size(); ++k) {
        out[k].sx = readscale(pg, out[k], false, axes[k].first);
        out[k].sy = readscale(pg, out[k], true, axes[k].second);
    }
    // A panel without labels of its own on the left shares the life axis of the panel beside it.
    for (size_t k = 0; k < out.size(); ++k)
        for (size_t j = 0; !out[k].sy.ok && j < out.size(); ++j)
            if (out[j].sy.ok && std::fabs(out[j].y0 - out[k].y0) < 1.5) out[k].sy = out[j].sy;
    for (const Panel& p : out) EXPECT_TRUE(p.sx.ok && p.sy.ok) << pg.name << ": a panel without both axes";

    for (size_t i = 0; i < pg.prims.size(); ++i) {
        const Prim& q = pg.prims[i];
        for (size_t k = 0; k < out.size(); ++k) {
            Panel& p = out[k];
            const bool mine = clipof[i] >= 0 && rank[clipof[i]] == static_cast<int>(k);
            if (q.kind == Prim::Markers) {
                const bool plus = q.text == "sg-plus";
                for (size_t j = 0; j + 1 < q.xy.size(); j += 2) {
                    const double x = q.xy[j], y = q.xy[j + 1];
                    if (x < p.x0 - 0.3 || x > p.x1 + 0.3) continue;
                    if ((mine && plus) || (clipof[i] < 0 && y > p.y1 && y < p.y1 + 5)) p.censored.emplace_back(p.sx.data(x), 0);
                    else if (mine && p.inside(x, y)) p.points.push_back(p.data(x, y));
                }
            } else if (q.kind == Prim::Polyline && mine) {
                const size_t n = q.xy.size();
                if (n >= 8 && std::fabs(q.xy[0] - q.xy[n - 2]) < 1e-9 && std::fabs(q.xy[1] - q.xy[n - 1]) < 1e-9) continue;   // a box
                std::vector<Pt> c;
                for (size_t j = 0; j + 1 < n; j += 2) c.push_back(p.data(q.xy[j], q.xy[j + 1]));
                p.curves.push_back(c);
            } else if (q.kind == Prim::Line && p.inside(q.xy[0], q.xy[1], 0.1) && p.inside(q.xy[2], q.xy[3], 0.1)) {
                const double dx = std::fabs(q.xy[2] - q.xy[0]), dy = std::fabs(q.xy[3] - q.xy[1]);
                const auto [u0, v0] = p.data(q.xy[0], q.xy[1]);
                const auto [u1, v1] = p.data(q.xy[2], q.xy[3]);
                if (dx > 0.9 * (p.x1 - p.x0) || dy > 0.9 * (p.y1 - p.y0))
                    p.across.push_back({u0, v0, u1, v1});
                else
                    p.segs.push_back({u0, v0, u1, v1});
            }
        }
    }
    return out;
}

}  // namespace pagereader
