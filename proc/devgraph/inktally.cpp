// What a group draws, told to a panel's ink: kept whole (for the labels of the reference
// lines) or counted in the boxes of a tally (the inset's corners), record by record.
#include <algorithm>
#include <cmath>

#include "proc/devgraph/devgraph_internal.h"

void PanelInk::Tally::addbox(const PageBox& b) {
    const bool fits = std::fabs(b.x0) < kFar && std::fabs(b.x1) < kFar && std::fabs(b.y0) < kFar && std::fabs(b.y1) < kFar;
    near[n] = fits ? PageBox{b.x0 - kNear, b.y0 - kNear, b.x1 + kNear, b.y1 + kNear} : PageBox{-INFINITY, -INFINITY, INFINITY, INFINITY};
    box[n++] = b;
}
void PanelInk::Tally::addmark(const PageBox& m) {
    for (int k = 0; k < n; ++k) {
        if (!box[k].overlaps(m)) continue;
        crossed[k] = true;
        if (box[k].holds(0.5 * (m.x0 + m.x1), 0.5 * (m.y0 + m.y1))) ++points[k];
    }
}
void PanelInk::Tally::addline(const PageBox& l) {
    const double lx = std::min(l.x0, l.x1), hx = std::max(l.x0, l.x1), ly = std::min(l.y0, l.y1), hy = std::max(l.y0, l.y1);
    const bool fits = lx > -kFar && hx < kFar && ly > -kFar && hy < kFar;
    double len = -1;
    for (int k = 0; k < n; ++k) {
        const PageBox& b = box[k];
        if (fits && (hx < near[k].x0 || lx > near[k].x1 || hy < near[k].y0 || ly > near[k].y1)) continue;
        double t0, t1;
        if (!b.meets(l.x0, l.y0, l.x1, l.y1, &t0, &t1)) continue;
        crossed[k] = true;
        if (len < 0) len = std::hypot(l.x1 - l.x0, l.y1 - l.y0);
        length[k] += (t1 - t0) * len;   // as PageBox::within
    }
}

void PanelInk::addmark(const PageBox& m) {
    if (tally) tally->addmark(m);
    else marks.push_back(m);
}

void PanelInk::addline(const PageBox& l) {
    if (tally) tally->addline(l);
    else lines.push_back(l);
}

bool PanelInk::off(double ax, double ay, double bx, double by) const { return tally && tally->off(ax, ay, bx, by); }
