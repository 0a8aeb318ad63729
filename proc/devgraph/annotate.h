// Annotate data sets: the ANNOTATE= observations that the host's annotate facility draws
// onto each panel. vyxatrn copies the data set once per destination, turning every data
// coordinate (XSYS or YSYS '2') into the drawing units of its axis (log10, quantile or
// transformed stress); vyxanno hands the copy and both axes to the host for each panel.
#pragma once

struct vyxstate;

// 0 when the copy is ready (annolib), 1 on failure (a message is given).
int vyxatrn(vyxstate* s);
int vyxanno(vyxstate* s);
