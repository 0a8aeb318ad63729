// Notes on the reference-line labels of a step that the plots cut to their width, or leave out.
#pragma once

#include "host/stmtrec.h"

// The widest reference-line label a plot writes, in bytes (both roads).
constexpr int REF_LABEL_WIDTH = 16;

// The bytes of the label of len bytes that the plots write: all of it up to REF_LABEL_WIDTH, else
// its first REF_LABEL_WIDTH bytes, back to the last whole character when the label is UTF-8 (a
// label that is not keeps its bytes).
int reflabelwidth(const char* text, int len);

// One note per labels option (HREFLABELS=, VREFLABELS=, LREFLABELS=, PREFLABELS=, SREFLABELS=)
// of every plot statement in the list that starts at head that gives a label longer than the
// plots write: how many are cut, and the first as it is written.
void reflabelnotes(const stmtrec* head);

// The note of a plot statement (stmtkind: 3 MCFPLOT, 4 RELATIONPLOT, else PROBPLOT) whose
// pages left out count reference labels, their columns holding fewer rows than labels; none
// when count is 0. Both roads, once per statement.
void reflabelsleftout(int stmtkind, int count);
