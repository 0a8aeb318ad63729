// Room for an inset without a position: of the free corners, in the order NW, NE, SW, SE, the
// first whose box neither a label of a reference line nor anything the group draws meets: its
// plotted points with their markers and limit bars, its fitted line and confidence curves (an
// MCF plot: its curve, limits and points). The data come before the labels: of the corners
// that the group's drawing leaves clear, the one where the fewest labels lose their place for
// it; where every free corner hides some of the data, the one whose box holds the fewest
// points, then the least length of lines, then the fewest labels lost, then the first in that
// order (the placement of the labels chooses, as on the statistical road).
#include <vector>

#include "common/labelplace.h"
#include "proc/devgraph/devgraph.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/devgraph/insetroom.h"
#include "proc/devgraph/pagebox.h"
#include "proc/vyxstate.h"

int insetroom(vyxstate* s, const grpnode* g, const bool taken[4], const double boxes[4][4], bool* clear, panelink inkfn, InsetHides* hides) {
    if (clear) *clear = true;
    int first = -1;
    for (int k = 0; k < 4 && first < 0; ++k)
        if (!taken[k]) first = k;
    const bool mcf = s->popt.pflags.ismcf != 0;
    if (first < 0 || !g || s->popt.pflags.fmcombine || (!mcf && !s->opts.quant_fn)) return first;
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
    std::vector<labelplace::InsetPlace> places;
    std::vector<int> corner;
    for (int k = 0; k < 4; ++k) {
        if (taken[k]) continue;
        const int i = slot[k];
        places.push_back({tally.box[i], !tally.crossed[i], {static_cast<double>(tally.points[i]), tally.length[i]}});
        corner.push_back(k);
    }
    // No corner clear: the box will be filled over what lies beneath it, where it hides least.
    const int k = reflabelinset(s, g, places, clear, inkfn);
    const int at = k < 0 ? first : corner[static_cast<size_t>(k)];
    if (hides && !taken[at]) hides->points = tally.points[slot[at]], hides->lines = tally.length[slot[at]] > 0;
    return at;
}
