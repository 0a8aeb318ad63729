// Labels of the groups of a statement.
#pragma once

struct vyxstate;

// The label of grid cell (i, j) of two class variables into grplabel and grplablen: the two
// level texts without trailing blanks joined by one blank, blank padded and cut at 40
// characters. Every table and plot names the cell by this one label. The cell becomes the
// current one (grprowix, grpcolix), as the log lines about it name it.
void gridlabel(vyxstate* s, int i, int j);
