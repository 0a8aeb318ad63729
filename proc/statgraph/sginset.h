// The inset of a statistical graph, shared by the probability and the MCF plot.
#pragma once
#include <cstdint>

#include "host/outobj.h"

struct vyxstate;
struct grpnode;

// Without class variables: the inset of group g as the graph's variables. 0; no items when
// the inset cannot be built (memory) or has nothing to show.
int inset_single(vyxstate* s, grpnode* g, wobitem** items, int* count);

// With class variables: the labels as the graph's variables (from the first group that
// exists), and an inset phantom object (named "InsetPhantom", with the label given) whose
// row k holds the values of group k, in the order of the plot's groups: the first-level
// list, or the grid with a blank row for an empty cell. Columns are named Var<firstk>,
// Var<firstk + 1>, ... A group whose inset cannot be built gets a blank row, never the
// values of the group before it. 1 when the phantom was made (its reference in *ref), 0
// without an inset, negative after a failed output call.
int inset_phantom(vyxstate* s, const char* label, int firstk, wobitem** items, int* count, uint32_t* ref);
