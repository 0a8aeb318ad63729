// Room for an inset without a position: the first free corner whose box the group's points,
// lines (an MCF plot: its curve, limits and points) and the labels of the reference lines keep
// clear of; else the one that hides the fewest points.
#pragma once
#include <vector>

#include "proc/devgraph/devgraph.h"
#include "common/labelplace.h"
#include "proc/devgraph/pagebox.h"

// The corner (0 NW, 1 NE, 2 SW, 3 SE) for the inset of group g: boxes[k] holds the box
// (x0, y0, x1, y1) the inset would take at corner k. -1 when every corner is taken. `ink`
// (when given) tells what the group draws (MCF plots); a probability plot's group is known
// here. When no free corner is clear the corner is the one whose box holds the fewest of the
// group's points (the centres of their markers), then the least length of its lines, then the
// first, and *clear (when given) is false.
int insetroom(vyxstate* s, const grpnode* g, const bool taken[4], const double boxes[4][4], bool* clear = nullptr, panelink ink = nullptr);

// The corner among `places` (page percent) for the inset of group g, chosen with the labels of
// its panel's reference lines (labelplace::placeinset); nothing is drawn or logged.
int reflabelinset(vyxstate* s, const grpnode* g, std::vector<labelplace::InsetPlace> places, bool* clear, panelink ink = nullptr);
