// The life and stress axes of the life-distribution plots: ranges from the data and the
// axis options, tick values chosen by the nice axis scaling.
#pragma once

struct vyxstate;

// The life axis for the data range (lo, hi) on the stored scale (ln or log10 values on a log
// axis): lifescale (start, end, step), lifelin, lifetickv with its count in tickinfo, NTICK,
// and with lifebnd the boundaries lifeticks and their counters. 0, or 1 after xmemmsg.
int lifescl(vyxstate* s, double lo, double hi);
// The stress axis of the relation plot from the smallest and largest stress value: tick
// positions (transformed) and labels in the frame's rticks, STRESSLOWER and STRESSUPPER
// set to the ends. 0 (or the status of the power routine), 1 after a message.
int stressscl(vyxstate* s, double smin, double smax);
