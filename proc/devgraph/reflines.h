// Reference lines of device plots: HREF (horizontal-axis values), VREF (vertical-axis
// values) and SREF (stress values of the relation plot), with their labels and, with
// HREF(INTERSECT) or VREF(INTERSECT), a second line through the point where a reference
// value meets each fitted line, labelled with the value read off the other axis.
#pragma once

struct vyxstate;
struct grpnode;

void vyxghrl(vyxstate* s, grpnode* group);
void vyxgvrl(vyxstate* s, grpnode* group);
void vyxgsrl(vyxstate* s);
// value: already on the axis's scale (log10 or quantile); labelled: the reference line got a label.
void hintersct(vyxstate* s, grpnode* group, double value, int labelled, int ltype);
void vintersct(vyxstate* s, grpnode* group, double value, int labelled, int ltype, double* labely, int* labelstep);

