// Notes on the reference-line labels of a step that the plots cut to their width.
#pragma once

#include "host/stmtrec.h"

// The widest reference-line label a plot writes, in bytes (both roads).
constexpr int REF_LABEL_WIDTH = 16;

// The bytes of the label of len bytes that the plots write: all of it up to REF_LABEL_WIDTH, else
// the whole characters of its first REF_LABEL_WIDTH bytes (a text in UTF-8 is never cut inside a
// character; one that is not UTF-8 keeps its bytes).
int reflabelwidth(const char* text, int len);

// One note per labels option (HREFLABELS=, VREFLABELS=, LREFLABELS=, PREFLABELS=, SREFLABELS=)
// of every plot statement in the list that starts at head that gives a label longer than the
// plots write: how many are cut, and the first as it is written.
void reflabelnotes(const stmtrec* head);
