// Room for an inset without a position: the first free corner whose box the group's points,
// lines (an MCF plot: its curve, limits and points) and the labels of the reference lines keep
// clear of; else of the corners clear of the data, the one that costs the fewest labels; else
// the one that hides the fewest points.
#pragma once
#include <vector>

#include "proc/devgraph/devgraph.h"
#include "common/labelplace.h"
#include "proc/devgraph/pagebox.h"

// The corner (0 NW, 1 NE, 2 SW, 3 SE) for the inset of group g: boxes[k] holds the box
// (x0, y0, x1, y1) the inset would take at corner k. -1 when every corner is taken. `ink`
// (when given) tells what the group draws (MCF plots); a probability plot's group is known
// here. Of the free corners clear of what the group draws, the one where the fewest labels lose
// their place for it; when none is clear, the one whose box holds the fewest of the group's
// points (the centres of their markers), then the least length of its lines, then the fewest
// labels lost, then the first, and *clear (when given) is false.
// *hides (when given): what the box at that corner hides of what the group draws.
struct InsetHides {
    int points = 0;       // the centres of markers inside the box
    bool lines = false;   // a line drawn through it
};
int insetroom(vyxstate* s, const grpnode* g, const bool taken[4], const double boxes[4][4], bool* clear = nullptr, panelink ink = nullptr,
              InsetHides* hides = nullptr);

// The corner among `places` (page percent) for the inset of group g, chosen with the labels of
// its panel's reference lines (labelplace::placeinset); nothing is drawn or logged.
int reflabelinset(vyxstate* s, const grpnode* g, std::vector<labelplace::InsetPlace> places, bool* clear, panelink ink = nullptr);
