// The pieces of the axis routines that read the state: the panel's axis lines and border,
// and whether a panel follows to the right or above.
#include "proc/devgraph/devgraph_internal.h"

#include "proc/vyxstate.h"

namespace axisparts {

Panel::Panel(vyxstate* st) : s(st), f(st->plot.frame), t(plottext(st, st->plot.frame->txth)) {
    color = s->plot.colors[GC_AXIS] > 0 ? s->plot.colors[GC_AXIS] : 1;
    L = f->fx - f->gapl;
    R = f->fx + f->fw + f->gapr;
    B = f->fy - f->gapb;
    T = f->fy + f->fh + f->gapt;
    H = f->txth;
}

void Panel::border() const {
    const double* w = s->plot.pwin;
    line(w[0], w[1], w[2], w[1]);
    line(w[2], w[1], w[2], w[3]);
    line(w[2], w[3], w[0], w[3]);
    line(w[0], w[3], w[0], w[1]);
}

bool panelright(const vyxstate* s) { return s->popt.panels.ncols > 1 && s->plot.frame->panelcol < static_cast<uint32_t>(s->popt.panels.ncols); }
bool panelabove(const vyxstate* s) {
    return s->popt.panels.nrows > 1 && s->plot.frame->panelrow + 1 < static_cast<uint32_t>(s->popt.panels.nrows);
}

}  // namespace axisparts
