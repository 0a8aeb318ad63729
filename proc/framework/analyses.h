// The analyses the main routine dispatches to.
#pragma once

struct vyxstate;

int vyxanlz(vyxstate* s);      // ANALYZE
int vyxpprm(vyxstate* s);      // options of PROBPLOT and RELATIONPLOT
int vyxpplt(vyxstate* s);      // PROBPLOT
int vyxrplot(vyxstate* s);     // RELATIONPLOT
int vyxcf(vyxstate* s);        // MCFPLOT
int vyxmod(vyxstate* s);       // MODEL
void CleanUpDisk(vyxstate* s); // closes and deletes the statement's utility files
