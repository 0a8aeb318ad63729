// The layout of a graph page: the BY line and title, the grid of panels sharing their
// axes, the axis titles and the legend.
#include "runtime/sgraph/page.h"

#include <algorithm>

namespace rt::sgr {

namespace {
constexpr double kMargin = 10, kGap = 8;

double titletop(const PageSpec& sp) {
    const Style& st = style();
    double top = sp.height - kMargin;
    if (!sp.byline.empty()) top -= st.titlefont * 1.5;
    if (!sp.title.empty()) top -= st.headfont * 1.6;
    return top;
}
}  // namespace

PageLayout pagegeometry(const PageSpec& sp) {
    const Style& st = style();
    PageLayout L;
    const double top = titletop(sp);
    const double ylab = ylabelwidth(sp.y);
    const double left = kMargin + (sp.y.title.empty() ? 0 : st.titlefont * 1.4) + ylab;
    // Half the last bottom label reaches beyond the frame's right end.
    const double half = sp.x.labels.empty() ? 0 : textwidth(sp.x.labels.back(), st.font) / 2;
    const double right = sp.width - kMargin - sp.right - std::max(6.0, sp.right > 0 ? 6.0 : half + 2);
    // From the bottom up: the legend, the axis title, the tick labels, the frames.
    double base = kMargin;
    if (sp.legend > 0) {
        L.legendtop = kMargin + sp.legend;
        base += sp.legend + 4;
    }
    bool titled = !sp.x.title.empty();
    for (const std::string& t : sp.xtitles) titled = titled || !t.empty();
    const double bottom = base + (titled ? st.titlefont * 1.4 : 0) + xlabelheight();
    const int rows = std::max(sp.rows, 1), cols = std::max(sp.cols, 1);
    const double above = sp.above + (sp.strips ? stripheight() : 0);
    const double cw = (right - left - kGap * (cols - 1)) / cols;
    const double ch = (top - bottom - kGap * (rows - 1)) / rows - above;
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < cols; ++k) {
            Frame f;
            f.x = sp.x;
            f.y = sp.y;
            f.x0 = left + k * (cw + kGap);
            f.x1 = f.x0 + cw - sp.beside;
            f.y1 = top - r * (ch + above + kGap) - above;
            f.y0 = f.y1 - ch;
            L.frames.push_back(f);
        }
    L.left = left;
    L.right = right;
    L.areatop = top;
    L.areabottom = bottom;
    return L;
}

PageLayout pagelayout(Canvas& c, const PageSpec& sp) {
    const Style& st = style();
    PageLayout L = pagegeometry(sp);
    double top = sp.height - kMargin;
    if (!sp.byline.empty()) {
        c.text(sp.byline, sp.width / 2, top - st.titlefont * 0.8, 0, gfx::Anchor::Middle, textstyle(st.titlefont));
        top -= st.titlefont * 1.5;
    }
    if (!sp.title.empty()) c.text(sp.title, sp.width / 2, top - st.headfont * 0.8, 0, gfx::Anchor::Middle, textstyle(st.headfont, st.text, true));
    const double base = sp.legend > 0 ? kMargin + sp.legend + 4 : kMargin;
    // A last page of panels with fewer than the page holds: the titles move up to the lowest row
    // drawn and across the columns drawn.
    const int rows = std::max(sp.rows, 1), cols = std::max(sp.cols, 1);
    double up = 0, xright = L.right, ybottom = L.areabottom;
    if (sp.used > 0 && sp.used < rows * cols && static_cast<size_t>(rows * cols) <= L.frames.size()) {
        const Frame& low = L.frames[static_cast<size_t>((sp.used - 1) / cols * cols)];
        up = low.y0 - L.areabottom;
        ybottom = low.y0;
        if (sp.used < cols) xright = L.frames[static_cast<size_t>(sp.used - 1)].x1 + sp.beside;
    }
    if (sp.xtitles.empty())
        xtitle(c, sp.x.title, L.left, xright, base + up + st.titlefont * 0.3);
    else
        for (size_t k = 0; k < sp.xtitles.size() && k < L.frames.size(); ++k)
            xtitle(c, sp.xtitles[k], L.frames[k].x0, L.frames[k].x1, base + st.titlefont * 0.3);
    ytitle(c, sp.y.title, ybottom, L.areatop, kMargin + st.titlefont * 0.8);
    return L;
}

}  // namespace rt::sgr
