// The room labels find among boxes on the page (PageBox, devgraph.h): a label takes the first
// place, nearest to where it belongs, that no label placed before and no line it must keep
// off crosses.
#pragma once
#include <algorithm>
#include <cmath>
#include <vector>

#include "proc/devgraph/devgraph.h"

// The labels of one panel: the boxes they took and the polylines (x, y pairs) they keep off.
class LabelRoom {
public:
    explicit LabelRoom(const PageBox& area) : area_(area) {}
    // Where the labels placed from now on must lie.
    void setarea(const PageBox& a) { area_ = a; }
    void take(const PageBox& b) { taken_.push_back(b); }
    void keepoff(const double* xy, int n) { lines_.push_back({xy, n}); }
    // No label and no line crosses b, and b lies in the area; line `own` (the one the label
    // names) may touch it, or run into it by (ix, iy) from its edges (the room kept round the
    // text).
    bool clear(const PageBox& b, int own = -1, double ix = 0.0, double iy = 0.0) const {
        if (!b.inside(area_)) return false;
        for (const PageBox& t : taken_)
            if (b.overlaps(t)) return false;
        for (size_t i = 0; i < lines_.size(); ++i) {
            const Line& l = lines_[i];
            // The label's own line ends at its edge: only its running into the box counts.
            const bool mine = static_cast<int>(i) == own;
            const double ex = mine ? ix + 0.02 : 0.0, ey = mine ? iy + 0.02 : 0.0;
            const PageBox in{b.x0 + ex, b.y0 + ey, b.x1 - ex, b.y1 - ey};
            for (int k = 1; k < l.n; ++k)
                if (in.meets(l.xy[2 * k - 2], l.xy[2 * k - 1], l.xy[2 * k], l.xy[2 * k + 1])) return false;
        }
        return true;
    }
    // The nearest clear place of b moved by whole steps along the directions (dx, dy) given,
    // the directions tried in turn at each distance, at most `steps` steps: the offset in
    // (*ox, *oy); false when there is none.
    bool place(const PageBox& b, const double (*dirs)[2], int ndirs, int steps, double* ox, double* oy, int own = -1, double ix = 0.0, double iy = 0.0) const {
        for (int k = 0; k <= steps; ++k)
            for (int d = 0; d < (k ? ndirs : 1); ++d) {
                const double dx = k * dirs[d][0], dy = k * dirs[d][1];
                if (clear(b.moved(dx, dy), own, ix, iy)) {
                    *ox = dx, *oy = dy;
                    return true;
                }
            }
        return false;
    }

private:
    struct Line {
        const double* xy;
        int n;
    };
    PageBox area_;
    std::vector<PageBox> taken_;
    std::vector<Line> lines_;
};
