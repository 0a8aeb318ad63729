// Class-level ordering: puts the class levels of a BY group in the order the user asked
// for, then builds the level arrays, the grid of cells for two class variables and the
// width of the group column.
#pragma once
#include <cstdint>
#include "host/vec10_trees.h"

struct vyxstate;

// Key record of the level arrays: one per distinct second-level text.
struct levkeyrec {
    trenode link;
    double numkey;          // numeric level value
    char key[16];           // formatted level text
    int32_t seq;            // sequence number of its first appearance
};

// 0, 108 (an empty level list), 1012 (a tree refused a node).
int vyxclst(vyxstate* s);
// 0, 1012 (a tree refused a node) or 1016 (no memory).
int vyxordr(vyxstate* s);

// vyxstate::grpgrid holds nlev[NLEV_FIRST] x nlev[NLEV_SECOND] node pointers: the cell of first-level level i
// and second-level level j is grpgrid[i * nlev[NLEV_SECOND] + j] (null when the pair has no data).
