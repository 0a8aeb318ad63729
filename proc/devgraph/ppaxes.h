// Axes of a probability-plot panel: the frame lines, the life axis (even intervals or a
// tick array of log10 values), the probability axis at the quantiles of its percentages,
// their tick labels, the INBORDER border and the strip of binned censored counts (CENBIN).
// vyxgax draws life along the bottom and probability up the left; vyxgaxr, under ROTATE,
// the other way round with the strip down the right side. vyxrax draws the axes of a
// relation plot: life up the left, stress along the bottom.
#pragma once

struct vyxstate;

void vyxgax(vyxstate* s);
void vyxgaxr(vyxstate* s);
void vyxrax(vyxstate* s);
