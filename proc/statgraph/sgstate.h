// Statistical graphics: the phantom objects' references and the cells of the Index column and the reference lines.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// Written only in proc/statgraph: no routine outside the folder writes these fields.
// writers:
struct sgstate {
    double refrow[2];           // reference-line row cells XRef, YRef (SG_* places)
    char refrowlab[2][40];      // XRefLabel, YRefLabel (SG_* places)
    uint32_t phantomlist[4];    // data-object references handed to a graph request, in order
    int32_t grpindex;           // the Index column: 1 for the first group, one more for each next
    double srefcell;            // SRef of the relation plot's stress reference lines
    char sreflabel[17];         // SRefLabel
    int32_t labelsleft;         // reference labels the pages of the plot being drawn left out for want of room
    obinsethidden insets;       // what their insets drawn over the data hide (the runtime adds each page's)
};


