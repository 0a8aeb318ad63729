// Legends of a device plot: one for the groups of an OVERLAY plot, one for the percentile
// lines of a relation plot with PLOTFIT, one for the failure modes of FMODE; each is built,
// titled and sized against the page window (its room is taken from the window).
#pragma once

struct vyxstate;

// 0, or 1 when memory runs out.
int vyxglgi(vyxstate* s);
