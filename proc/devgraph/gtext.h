// Text and line-width helpers of the drawing Parts: a text record set up with the plot's
// colour, height and value font; the line width of the graphics context from WAXIS.
#pragma once
#include <algorithm>
#include <cstring>

#include "host/vec116_graphics.h"
#include "proc/devgraph/gplaces.h"
#include "proc/devgraph/hostgraphics.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/gparm.h"
#include "proc/framework/optslots.h"
#include "proc/vyxstate.h"
#include "proc/framework/wholenum.h"

inline ggtext plottext(const vyxstate* s, double height) {
    ggtext t;
    ggstri(&t);
    t.height = static_cast<float>(height);
    t.color = s->popt.colors[GC_TEXT] > 0 ? s->popt.colors[GC_TEXT] : 1;
    std::memcpy(t.font, s->plot.frame->tattr, 8);
    t.align = 1;
    return t;
}

// The text's width (as ggstrl measures it).
inline double textwidth(ggtext& t, const char* text, int len) {
    t.text = text;
    t.len = len;
    ggstrl(0, &t);
    return t.width;
}

inline void drawtext(ggtext& t, const char* text, int len, double x, double y) {
    t.text = text;
    t.len = len;
    t.x = static_cast<float>(x);
    t.y = static_cast<float>(y);
    ggstr(0, &t);
}

// WAXIS= truncated to a whole number when given (1 to MOST_WIDTH), else `dflt`, into the
// graphics context.
inline void setwidth(vyxstate* s, int dflt) {
    double w = gparm(s->input.curstmt, slot::plot::WAXIS, dflt);
    int k = std::min(satint(w), MOST_WIDTH);
    if (k < 1) k = 1;
    if (s->plot.gctx) s->plot.gctx->linewidth[0] = s->plot.gctx->linewidth[1] = k;
}
inline void resetwidth(vyxstate* s) {
    if (s->plot.gctx) s->plot.gctx->linewidth[0] = s->plot.gctx->linewidth[1] = 1;
}
