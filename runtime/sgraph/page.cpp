#include "runtime/sgraph/page.h"

#include <algorithm>

namespace rt::sgr {

PageLayout pagelayout(Canvas& c, const PageSpec& sp) {
    const Style& st = style();
    PageLayout L;
    const double margin = 10, gap = 8;
    double top = sp.height - margin;
    if (!sp.title.empty()) {
        c.text(sp.title, sp.width / 2, top - st.headfont * 0.8, 0, gfx::Anchor::Middle, textstyle(st.headfont, st.text, true));
        top -= st.headfont * 1.6;
    }
    const double ylab = ylabelwidth(sp.y);
    const double left = margin + (sp.y.title.empty() ? 0 : st.titlefont * 1.4) + ylab;
    const double right = sp.width - margin - sp.right - 6;
    // From the bottom up: the legend, the axis title, the tick labels, the frames.
    double base = margin;
    if (sp.legend > 0) {
        L.legendtop = margin + sp.legend;
        base += sp.legend + 4;
    }
    const double bottom = base + (sp.x.title.empty() ? 0 : st.titlefont * 1.4) + xlabelheight();
    const int rows = std::max(sp.rows, 1), cols = std::max(sp.cols, 1);
    const double above = sp.above + (sp.strips ? stripheight() : 0);
    const double cw = (right - left - gap * (cols - 1)) / cols;
    const double ch = (top - bottom - gap * (rows - 1)) / rows - above;
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < cols; ++k) {
            Frame f;
            f.x = sp.x;
            f.y = sp.y;
            f.x0 = left + k * (cw + gap);
            f.x1 = f.x0 + cw - sp.beside;
            f.y1 = top - r * (ch + above + gap) - above;
            f.y0 = f.y1 - ch;
            L.frames.push_back(f);
        }
    L.left = left;
    L.right = right;
    L.areatop = top;
    L.areabottom = bottom;
    xtitle(c, sp.x.title, left, right, base + st.titlefont * 0.3);
    ytitle(c, sp.y.title, bottom, top, margin + st.titlefont * 0.8);
    return L;
}

}  // namespace rt::sgr
