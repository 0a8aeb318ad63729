// Notes on the reference-line labels of a step that the plots cut to their width.
#pragma once

#include "host/stmtrec.h"

// The widest reference-line label a plot writes, in characters (both roads).
constexpr int REF_LABEL_WIDTH = 16;

// One note per labels option (HREFLABELS=, VREFLABELS=, LREFLABELS=, PREFLABELS=, SREFLABELS=)
// of every plot statement in the list that starts at head that gives a label longer than the
// plots write: how many are cut, and the first as it is written.
void reflabelnotes(const stmtrec* head);
