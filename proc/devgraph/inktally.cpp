// What a group draws, told to a panel's ink: kept whole (for the labels of the reference
// lines) or counted in the boxes of a tally (the inset's corners), record by record.
#include <algorithm>
#include <cmath>

#include "proc/devgraph/devgraph.h"

void InkTally::addbox(const PageBox& b) {
    box[n] = b;
    scale[n++] = 1e-9 * std::max(std::max(std::fabs(b.x0), std::fabs(b.x1)), std::max(std::fabs(b.y0), std::fabs(b.y1)));
}
void InkTally::addmark(const PageBox& m) {
    for (int k = 0; k < n; ++k) {
        if (!box[k].overlaps(m)) continue;
        crossed[k] = true;
        if (box[k].holds(0.5 * (m.x0 + m.x1), 0.5 * (m.y0 + m.y1))) ++points[k];
    }
}
void InkTally::addline(const PageBox& l) {
    for (int k = 0; k < n; ++k) {
        const PageBox& b = box[k];
        double t0, t1;
        if (!b.meets(l.x0, l.y0, l.x1, l.y1, &t0, &t1)) continue;
        crossed[k] = true;
        length[k] += (t1 - t0) * std::hypot(l.x1 - l.x0, l.y1 - l.y0);   // as PageBox::within
    }
}

void PanelInk::addmark(const PageBox& m) {
    if (tally) tally->addmark(m);
    else marks.push_back(m);
}

void PanelInk::addline(const PageBox& l) {
    if (!tally) lines.push_back(l);
    else if (!tally->off(l.x0, l.y0, l.x1, l.y1)) tally->addline(l);   // most lie far from the corners
}
