// Times as the data set holds them. The analysis keeps a time on its own scale (ln or log10
// of the time less THRESHOLD), and the way back (exp, plus THRESHOLD) is off in the last
// digits (450.00000000000006), so a table row that stands for an observed time could not be
// joined back to the data. When a statement prints such rows (PPOUT, ITPRINTEM) the input
// keeps each value on the analysis scale with the value read, and the tables look it up.
#pragma once
#include <cstdint>

struct vyxstate;

// A time of the stored scale in time units (exp on the ln scale, 10^x on the log10 scale),
// shifted by the THRESHOLD value when one was given; open ends (+-DBL_MAX) and missing
// values give the missing value.
double timeunits(const vyxstate* s, double x);
// Whether the statement's tables want the values read (PPOUT or ITPRINTEM).
bool rtwanted(const vyxstate* s);
// Keeps the value read beside its value x on the analysis scale (statement pool).
bool rtadd(vyxstate* s, double x, double read);
// The value read that x stands for; x taken back to the time scale when none was kept.
double rtime(vyxstate* s, double x);
// The same for an end of a Turnbull interval, which the estimate moved inwards by a few
// thousand units in the last place: the nearest value kept within that distance.
double rtend(vyxstate* s, double moved);
