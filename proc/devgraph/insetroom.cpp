// Room for an inset without a position: of the free corners, in the order NW, NE, SW, SE, the
// first whose box neither a label of a reference line nor anything the group draws meets: its
// plotted points with their markers and limit bars, its fitted line and confidence curves (an
// MCF plot: its curve, limits and points). Where every free corner is met so, the corner where
// the fewest labels lose their place for it (an inset over a column of labels leaves some out),
// then whose box holds the fewest points, then the least length of lines, then the first in
// that order.
#include <algorithm>
#include <vector>

#include "proc/devgraph/devgraph.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/devgraph/insetroom.h"
#include "proc/devgraph/pagebox.h"
#include "proc/vyxstate.h"

namespace {

// What a box at a corner would stand on: the points it holds (their markers' centres inside
// it), the length of line inside it (page percent), and whether a marker, a line or a label
// meets it at all.
struct Under {
    int points = 0;
    double length = 0;
    bool crossed = false;
    int lost = 0;   // labels left out for it

    bool clear() const { return !crossed; }
    bool less(const Under& o) const {
        if (lost != o.lost) return lost < o.lost;
        return points != o.points ? points < o.points : length < o.length;
    }
};

}  // namespace

int insetroom(vyxstate* s, const grpnode* g, const bool taken[4], const double boxes[4][4], bool* clear, panelink inkfn) {
    if (clear) *clear = true;
    int first = -1;
    for (int k = 0; k < 4 && first < 0; ++k)
        if (!taken[k]) first = k;
    const bool mcf = s->popt.pflags.ismcf != 0;
    if (first < 0 || !g || s->popt.pflags.fmcombine || (!mcf && !s->opts.quant_fn)) return first;
    std::vector<PageBox> labels;
    const int without = reflabelboxes(s, g, &labels, inkfn);
    // Every free corner's box is counted in one walk of what the group draws.
    PanelInk::Tally tally;
    int slot[4];
    for (int k = 0; k < 4; ++k)
        if (!taken[k]) slot[k] = tally.n, tally.addbox(PageBox{boxes[k][0], boxes[k][1], boxes[k][2], boxes[k][3]});
    PanelInk ink;
    ink.tally = &tally;
    if (inkfn) {
        inkfn(s, g, &ink);
    } else {
        ppink(s, g, &ink);
        ppbars(s, g, &ink);
    }
    int best = -1;
    Under least;
    for (int k = 0; k < 4; ++k) {
        if (taken[k]) continue;
        const int i = slot[k];
        const PageBox& b = tally.box[i];
        const bool over = std::any_of(labels.begin(), labels.end(), [&](const PageBox& l) { return b.overlaps(l); });
        Under u{tally.points[i], tally.length[i], tally.crossed[i] || over};
        if (u.clear()) return k;
        // Whether the labels lose places for it is asked only where the corner could still be
        // chosen (a count of labels lost is never below 0).
        if (over && (best < 0 || u.less(least))) u.lost = std::max(0, reflabelsleft(s, g, b, inkfn) - without);
        if (best < 0 || u.less(least)) best = k, least = u;
    }
    // No corner is clear: the box will be filled over what lies beneath it, where it hides least.
    if (clear) *clear = false;
    return best;
}
