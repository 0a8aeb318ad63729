// Room for an inset without a position: the first free corner whose box the group's line,
// band and points keep clear of.
#pragma once

struct vyxstate;
struct grpnode;

// The corner (0 NW, 1 NE, 2 SW, 3 SE) for the inset of group g: boxes[k] holds the box
// (x0, y0, x1, y1) the inset would take at corner k. -1 when every corner is taken.
int insetroom(const vyxstate* s, const grpnode* g, const bool taken[4], const double boxes[4][4]);
