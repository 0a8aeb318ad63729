// Labels at the ends of the curves of a frame, placed clear of the curves, the points and
// each other.
#include "runtime/sgraph/curvelabels.h"

#include <algorithm>
#include <cmath>

namespace rt::sgr {

namespace {

constexpr double kGap = 5;   // between a curve's end and its label

struct End {
    double x, y;     // the curve's last point
    bool rising;     // the curve comes up to it (the space above its end, left of it, is free)
};

bool curveend(const CurveLabel& c, End* e) {
    if (c.runs.empty() || c.runs.back().size() < 4) return false;
    const std::vector<double>& r = c.runs.back();
    const size_t n = r.size();
    e->x = r[n - 2];
    e->y = r[n - 1];
    e->rising = r[n - 3] < e->y;
    return true;
}

// The label's box from the start of its baseline.
PlacedLabel box(const std::string& t, double x, double y, double w, double fs) {
    return {t, x, y, x, y - 0.25 * fs, x + w, y + 0.8 * fs};
}

bool overlaps(const PlacedLabel& a, const PlacedLabel& b) {
    return a.x0 < b.x1 + 1 && b.x0 < a.x1 + 1 && a.y0 < b.y1 + 1 && b.y0 < a.y1 + 1;
}

// Inside the frame, a label right of the end needs this much room before the frame's edge.
bool fitsright(const Frame& f, const End& e, double w) { return e.x + kGap + w <= f.x1 - 2; }

}  // namespace

double labelroom(const Frame& f, const std::vector<CurveLabel>& curves, double size) {
    bool beside = false;
    double widest = 0;
    for (const CurveLabel& c : curves) {
        End e;
        if (c.text.empty() || !curveend(c, &e)) continue;
        const double w = textwidth(c.text, size);
        widest = std::max(widest, w);
        // An end near the frame's right edge: the label stands beside the frame.
        if (!fitsright(f, e, w) && e.x > f.x1 - w - 2 * kGap) beside = true;
    }
    return beside ? widest + 8 : 0;
}

std::vector<PlacedLabel> placelabels(const Frame& f, double room, const std::vector<CurveLabel>& curves, const Drawn& points,
                                     double fs) {
    // What a label keeps clear of: every curve as drawn, the points, the other labels.
    Drawn obstacles = points;
    for (const CurveLabel& c : curves)
        for (const auto& r : c.runs)
            for (size_t k = 0; k + 3 < r.size(); k += 2) obstacles.segments.push_back({r[k], r[k + 1], r[k + 2], r[k + 3]});
    // Every curve's end: a label must stand nearer its own curve's end than any other's.
    std::vector<End> ends;
    for (const CurveLabel& c : curves) {
        End e;
        if (curveend(c, &e)) ends.push_back(e);
    }
    auto distance = [](const PlacedLabel& b, const End& e) {
        const double dx = std::max({b.x0 - e.x, 0.0, e.x - b.x1}), dy = std::max({b.y0 - e.y, 0.0, e.y - b.y1});
        return std::hypot(dx, dy);
    };
    std::vector<PlacedLabel> placed;
    struct Beside {
        std::string text;
        double target, w;
        End e;
    };
    std::vector<Beside> beside;
    const double h = 1.05 * fs, step = 0.25 * h, gap = 1.15 * fs;
    // Labels right of ends at one stress (the percentile lines end together) that would come
    // closer than a line apart stand in a column right of the ends, in the order of their ends,
    // a line apart, moved along the frame as far as they must (nine percentiles of a lognormal
    // fit end within a few points of each other).
    std::vector<bool> incolumn(curves.size(), false);
    {
        struct Right {
            size_t k;
            End e;
            double w;
        };
        std::vector<Right> right;
        for (size_t k = 0; k < curves.size(); ++k) {
            End e;
            if (curves[k].text.empty() || !curveend(curves[k], &e)) continue;
            const double w = textwidth(curves[k].text, fs);
            if (fitsright(f, e, w)) right.push_back({k, e, w});
        }
        std::stable_sort(right.begin(), right.end(), [](const Right& a, const Right& b) { return a.e.x < b.e.x; });
        for (size_t a = 0; a < right.size();) {
            size_t b = a + 1;
            while (b < right.size() && right[b].e.x - right[a].e.x < 0.5) ++b;
            std::vector<double> target;
            double x = -INFINITY;
            for (size_t k = a; k < b; ++k) target.push_back(right[k].e.y - 0.35 * fs), x = std::max(x, right[k].e.x + kGap);
            std::vector<double> sorted = target;
            std::sort(sorted.begin(), sorted.end());
            bool crowded = false;
            for (size_t k = 1; k < sorted.size(); ++k) crowded = crowded || sorted[k] - sorted[k - 1] < gap;
            if (crowded) {
                const std::vector<double> y = spread(target, gap, f.y0 + 0.25 * fs + 1, f.y1 - 0.8 * fs - 1);
                std::vector<PlacedLabel> col;
                double wide = 0;
                for (size_t k = a; k < b; ++k) {
                    col.push_back(box(curves[right[k].k].text, x, y[k - a], right[k].w, fs));
                    wide = std::max(wide, right[k].w);
                }
                // Where a label stands nearer another end than its own, a leader joins each end to
                // its label, the column moved right to make room for the leaders.
                bool near = true;
                for (size_t k = a; k < b && near; ++k)
                    for (const End& o : ends)
                        if ((o.x != right[k].e.x || o.y != right[k].e.y) && distance(col[k - a], o) <= distance(col[k - a], right[k].e)) near = false;
                if (!near) {
                    const double run = std::clamp(f.x1 - 2 - wide - x, 0.0, 2 * kGap);
                    for (size_t k = a; k < b; ++k) {
                        PlacedLabel& l = col[k - a];
                        l = box(l.text, x + run, l.y, right[k].w, fs);
                        l.leader = {right[k].e.x + 1, right[k].e.y, l.x0 - 1.5, l.y + 0.3 * fs};
                        l.led = true;
                    }
                }
                for (size_t k = a; k < b; ++k) {
                    incolumn[right[k].k] = true;
                    placed.push_back(col[k - a]);
                }
            }
            a = b;
        }
    }
    for (size_t ci = 0; ci < curves.size(); ++ci) {
        const CurveLabel& c = curves[ci];
        End e;
        if (incolumn[ci] || c.text.empty() || !curveend(c, &e)) continue;
        const double w = textwidth(c.text, fs);
        if (!fitsright(f, e, w) && room >= w + 4 && e.x > f.x1 - w - 2 * kGap) {
            beside.push_back({c.text, e.y - 0.35 * fs, w, e});
            continue;
        }
        // The places in order of their distance from the end, a quarter height apart: right
        // of the end, then left of it on the side the curve leaves free, then the other side.
        std::vector<PlacedLabel> tries;
        for (int k = 0; k <= 8; ++k) {
            const double d = k * step;
            const double mid = e.y - 0.35 * fs, above = e.y + 3 + d, below = e.y - 0.8 * fs - 3 - d;
            tries.push_back(box(c.text, e.x + kGap, mid + d, w, fs));
            if (k > 0) tries.push_back(box(c.text, e.x + kGap, mid - d, w, fs));
            const double lx = e.x - 3 - w;
            tries.push_back(box(c.text, lx, e.rising ? above : below, w, fs));
            tries.push_back(box(c.text, lx, e.rising ? below : above, w, fs));
        }
        const PlacedLabel* best = nullptr;
        size_t bestcost = SIZE_MAX;
        for (const PlacedLabel& t : tries) {
            if (t.x0 < f.x0 + 1 || t.x1 > f.x1 - 1 || t.y0 < f.y0 + 1 || t.y1 > f.y1 - 1) continue;
            const Drawn::Cover cv = obstacles.cover(t.x0, t.y0, t.x1, t.y1);
            size_t cost = cv.marks + cv.segments + cv.areas + cv.texts;
            for (const PlacedLabel& p : placed) cost += overlaps(p, t) ? 1 : 0;
            const double own = distance(t, e);
            for (const End& o : ends) cost += (o.x != e.x || o.y != e.y) && distance(t, o) <= own ? 1 : 0;
            if (cost < bestcost) bestcost = cost, best = &t;
            if (cost == 0) break;
        }
        if (best) {
            placed.push_back(*best);
        } else {
            // No place inside the frame at all (a frame narrower than the label): at the end.
            placed.push_back(box(c.text, std::max(f.x0 + 1, e.x - w - 3), std::clamp(e.y - 0.35 * fs, f.y0 + 1, f.y1 - fs), w, fs));
        }
    }
    // Beside the frame: in the order of their ends, a line apart, each group of labels that
    // would touch centred on its ends, and all within the frame's height.
    std::sort(beside.begin(), beside.end(), [](const Beside& a, const Beside& b) { return a.target < b.target; });
    std::vector<double> target;
    for (const Beside& b : beside) target.push_back(b.target);
    const std::vector<double> y = spread(target, gap, f.y0 + 0.25 * fs, f.y1 - 0.8 * fs);
    std::vector<PlacedLabel> out;
    bool near = true;
    for (size_t k = 0; k < beside.size(); ++k) {
        out.push_back(box(beside[k].text, f.x1 + 4, y[k], beside[k].w, fs));
        for (const End& o : ends)
            if ((o.x != beside[k].e.x || o.y != beside[k].e.y) && distance(out.back(), o) <= distance(out.back(), beside[k].e)) near = false;
    }
    // Where a label stands nearer another end than its own, a leader joins each end to its label.
    for (size_t k = 0; k < out.size() && !near; ++k) {
        out[k].leader = {beside[k].e.x + 1, beside[k].e.y, out[k].x0 - 1.5, out[k].y + 0.3 * fs};
        out[k].led = true;
    }
    placed.insert(placed.end(), out.begin(), out.end());
    return placed;
}

void writelabels(Canvas& c, const std::vector<PlacedLabel>& labels, double size) {
    for (const PlacedLabel& l : labels) {
        c.text(l.text, l.x, l.y, 0, gfx::Anchor::Start, textstyle(size));
        if (l.led) c.line(l.leader[0], l.leader[1], l.leader[2], l.leader[3], gfx::Stroke{Rgb{0.15, 0.15, 0.2}, 0.5, {}});
    }
}

}  // namespace rt::sgr
