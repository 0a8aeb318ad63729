// The drawing side of MCFPLOT as the statement driver and the option reader reach it: the
// plot layout record, the font of FONT=, and the two roads of the plots (device graphics
// and statistical graphics). The plots themselves come with the graphics of MCFPLOT.
#pragma once

struct vyxstate;

// Allocates the plot layout record of the statement (state field frame) and notes whether
// an INSET statement follows; 0, or 1 after xmemmsg.
int mcfframe(vyxstate* s, bool insetnext);
// FONT=: the 8-character font name of the plot (state field gfile).
void mcffont(vyxstate* s, const char* text, int len);
// The device-graphics pages of the statement (axis ranges, destinations, panels and
// overlays); 0 or the code of a failing step.
int vyxcfdev(vyxstate* s);
// The statistical-graphics road; its result is the statement's.
int vyxcog(vyxstate* s);
