// Grid lines, axis labels and the title of a probability-plot page.
#pragma once

struct vyxstate;

// The reference grid of a panel: probability-axis lines (and minor ones with MPGRID), life-axis
// lines (and minor ones on a log axis with MINORLOGGRID).
int vyxggrd(vyxstate* s);
// The labels of the horizontal and the vertical axis, centred over the page's panels.
int vyxghlb(vyxstate* s);
int vyxgvlb(vyxstate* s);
// A title line above the frame.
int vyxgttl(vyxstate* s);
