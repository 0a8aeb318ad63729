// A rectangle on a page, or as a segment the line from (x0, y0) to (x1, y1): the room that
// labels, insets and markers take, and the lines they keep clear of.
#pragma once
#include <algorithm>
#include <cmath>

namespace labelplace {

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool holds(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
    bool overlaps(const Box& b) const { return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1; }
    bool inside(const Box& b) const { return x0 >= b.x0 && x1 <= b.x1 && y0 >= b.y0 && y1 <= b.y1; }
    Box moved(double dx, double dy) const { return {x0 + dx, y0 + dy, x1 + dx, y1 + dy}; }
    Box grown(double dx, double dy) const { return {x0 - dx, y0 - dy, x1 + dx, y1 + dy}; }
    Box with(const Box& b) const { return {std::min(x0, b.x0), std::min(y0, b.y0), std::max(x1, b.x1), std::max(y1, b.y1)}; }
    // Whether the segment from (ax, ay) to (bx, by) meets the box (Liang-Barsky); (*t0, *t1)
    // the part of it inside, as fractions of its length.
    bool meets(double ax, double ay, double bx, double by, double* t0 = nullptr, double* t1 = nullptr) const {
        if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) return false;
        double u0 = 0, u1 = 1;
        const double dx = bx - ax, dy = by - ay;
        const double p[4] = {-dx, dx, -dy, dy}, q[4] = {ax - x0, x1 - ax, ay - y0, y1 - ay};
        for (int k = 0; k < 4; ++k) {
            if (p[k] == 0) {
                if (q[k] < 0) return false;
                continue;
            }
            const double r = q[k] / p[k];
            if (p[k] < 0) u0 = std::max(u0, r);
            else u1 = std::min(u1, r);
        }
        if (t0) *t0 = u0;
        if (t1) *t1 = u1;
        return u0 <= u1;
    }
    // Whether the segment s meets the box.
    bool meets(const Box& s) const { return meets(s.x0, s.y0, s.x1, s.y1); }
    // The length of the part of the segment from (ax, ay) to (bx, by) inside the box.
    double within(double ax, double ay, double bx, double by) const {
        double t0, t1;
        return meets(ax, ay, bx, by, &t0, &t1) ? (t1 - t0) * std::hypot(bx - ax, by - ay) : 0.0;
    }
};

}  // namespace labelplace
