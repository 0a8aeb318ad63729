// Pieces the axis routines of the probability, relation and MCF plots share: the panel's
// axis lines L, R, B, T, tick labels formatted the way the axes want them, the spacing test
// of stacked labels, and the guards that keep labels out of a neighbouring panel.
#pragma once
#include <cmath>
#include <cstring>

#include "proc/devgraph/gplaces.h"
#include "proc/devgraph/gtext.h"
#include "proc/devgraph/shwylab.h"
#include "proc/framework/memnum.h"
#include "proc/framework/wholenum.h"

namespace axisparts {

// The four axis lines of the panel and the things every axis routine draws with.
struct Panel {
    vyxstate* s;
    plotlay* f;
    ggtext t;
    int color;                  // axis colour
    double L, R, B, T;
    double H;                   // text height

    explicit Panel(vyxstate* st) : s(st), f(st->plot.frame), t(plottext(st, st->plot.frame->txth)) {
        color = s->popt.colors[GC_AXIS] > 0 ? s->popt.colors[GC_AXIS] : 1;
        L = f->fx - f->gapl;
        R = f->fx + f->fw + f->gapr;
        B = f->fy - f->gapb;
        T = f->fy + f->fh + f->gapt;
        H = f->txth;
    }
    void line(double x0, double y0, double x1, double y1) const { ggdraw(0, x0, y0, x1, y1, 1, color); }
    // A position snapped to character cells on a device that draws its own characters.
    double cellx(double x, int up = 0) const { return f->hwtext ? ggcell(0, x, 1, up) : x; }
    double celly(double y) const { return f->hwtext ? ggcell(0, y, 2, 0) : y; }
    // The border round the plot window (INBORDER).
    void border() const {
        const double* w = s->plot.pwin;
        line(w[0], w[1], w[2], w[1]);
        line(w[2], w[1], w[2], w[3]);
        line(w[2], w[3], w[0], w[3]);
        line(w[0], w[3], w[0], w[1]);
    }
};

// A tick label of at most 16 characters in buf (blank padded); code is the formatter's
// decimals argument, changed to the exponent form's when the label took one, and the label
// is then formatted again in that form. The label's length.
inline int ticklabel(char buf[16], double v, int* code) {
    std::memset(buf, ' ', 16);
    int nd = 0;
    int len = shwylab(buf, v, &nd, code, 1);
    if (*code < 0) len = shwylab(buf, v, &nd, code, 1);
    return len;
}

// A value shown on a log10 axis: 10 to its power.
inline double pow10of(double v) {
    int rc = 0;
    return vx::zpower(10.0, v, &rc);
}

// Log minor ticks of a tick array t (log10 values) between t[i] and t[i + 1]: tick(u, full)
// with full set at the 5 of each decade.
template <class Tick>
void logminors(const double* t, int i, Tick&& tick) {
    const double f = std::floor(t[i]);
    double m = std::ceil(pow10of(t[i] - f));
    const double limit = t[i + 1] * (1.0 - 100.0 * GZ_UNIT);
    const double five = f + std::log10(5.0);
    for (int guard = 0; guard < 100000; ++guard, m += 1.0) {
        const double u = f + std::log10(m);
        if (!(u < limit)) break;
        if (std::fabs(u - t[i]) <= std::fabs(1000.0 * u * GZ_UNIT)) continue;
        tick(u, std::fabs(u - five) <= std::fabs(1000.0 * five * GZ_UNIT));
    }
}

// How many more half-distances two labels of height h (with gap g) need than d gives:
// 0 when they fit.
inline int need(double hg, double d) { return satint(std::ceil((hg / 2.0) / d - (1.0 + GZ_EPS))); }

// The guard of labels along a horizontal axis with a panel to its right: the overhang left
// of the axis start is kept, and a label reaching into the next panel stops the labels.
struct RightGuard {
    bool active;
    double L, R, gap, over = 0.0;
    bool stopped = false;
    // The label at left end x with the width w may be drawn.
    bool ok(double x, double w) {
        if (!active) return true;
        if (stopped) return false;
        over = std::fmax(over, L - x);
        if ((R + gap - over) - 0.5 < x + w) stopped = true;
        return !stopped;
    }
};

// A panel follows to the right of this one, or above it. The drivers keep the panel's
// column (from 1) and row (from 0 at the bottom) in the layout record.
inline bool panelright(const vyxstate* s) { return s->popt.panels.ncols > 1 && s->plot.frame->panelcol < static_cast<uint32_t>(s->popt.panels.ncols); }
inline bool panelabove(const vyxstate* s) {
    return s->popt.panels.nrows > 1 && s->plot.frame->panelrow + 1 < static_cast<uint32_t>(s->popt.panels.nrows);
}

// The life axis up the left side, even intervals or a tick array of log10 values, shared by
// the rotated probability plot and the relation plot (fresh: the label code is set again
// before every label).
void verticallife(vyxstate* s, bool fresh);
// The life (or time) axis's ticks and labels along the bottom: even intervals from hmin in
// steps of hstep, or the tick array hticks of log10 values.
void bottomlife(Panel& a, RightGuard& g, bool array);
// The counts of the CENBIN bins in the strip above the frame, with the bins' edges.
void bincounts(Panel& a);

}  // namespace axisparts
