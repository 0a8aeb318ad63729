// Display options of PROBPLOT and RELATIONPLOT, read at fixed points of vyxpprm: the
// probability axis, CFRAME, the life axis, and at the end survival times, reference lines,
// the font, the panels or the relation-plot settings, and the class-level ordering.
#pragma once

struct vyxstate;
struct stmtrec;

// PCTUPPER, PCTLOWER, PCTLIST (or the list of slot 99) and the default tick list.
int readprobaxis(vyxstate* s, const stmtrec* r);
void readcframe(vyxstate* s, const stmtrec* r);
// LAXIS, LIFELOWER, LIFEUPPER, NTICK, MINORLOGGRID.
int readlifeaxis(vyxstate* s, const stmtrec* r);
// SURVTIME, the reference lines and their labels, FONT, the statement-kind block and the
// final exchange of the reference lines.
int readplotdisplay(vyxstate* s, const stmtrec* r);
