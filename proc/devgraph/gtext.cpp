// The text and line-width helpers that read the state (declared in devgraph_internal.h).
#include "proc/devgraph/devgraph_internal.h"

#include <algorithm>
#include <cstring>

#include "proc/framework/gparm.h"
#include "proc/framework/optslots.h"
#include "proc/framework/wholenum.h"
#include "proc/vyxstate.h"

ggtext plottext(const vyxstate* s, double height) {
    ggtext t;
    ggstri(&t);
    t.height = static_cast<float>(height);
    t.color = s->plot.colors[GC_TEXT] > 0 ? s->plot.colors[GC_TEXT] : 1;
    std::memcpy(t.font, s->plot.frame->tattr, 8);
    t.align = 1;
    return t;
}

void setwidth(vyxstate* s, int dflt) {
    double w = gparm(s->inwork.curstmt, slot::plot::WAXIS, dflt);
    int k = std::min(satint(w), MOST_WIDTH);
    if (k < 1) k = 1;
    if (s->plot.gctx) s->plot.gctx->linewidth[0] = s->plot.gctx->linewidth[1] = k;
}
void resetwidth(vyxstate* s) {
    if (s->plot.gctx) s->plot.gctx->linewidth[0] = s->plot.gctx->linewidth[1] = 1;
}
