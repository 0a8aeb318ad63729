// Plot symbols at the edge of their clipping rectangle (drawmarks), and the buffer of symbols
// the plots fill (Marks).
#include <cstring>
#include <vector>

#include "proc/devgraph/devgraph_internal.h"

void Marks::style(const symrec* r) {
    if (!r) return;
    std::memcpy(blk.symbol, r->symbol, sizeof blk.symbol);
    blk.size = r->symsize;
    blk.aux = r->symaux;
    blk.attr = (static_cast<uint32_t>(r->symattr) | GGM_POINTS) & ~static_cast<uint32_t>(GGM_NOPOINTS);
    color = symcolor(r);
}

void Marks::flush() {
    if (blk.count <= 0) return;
    drawmarks(&blk, pts, color, clip);
    blk.count = 0;
}

void drawmarks(ggmarkblk* blk, double* pts, int color, const float* clip) {
    blk->pts = pts;
    if (!clip || blk->count <= 0 || !pts) {
        ggpmark(0, blk, color, clip);
        return;
    }
    // Tolerance of "on the edge", and how near an edge a symbol's centre must lie for its
    // ink to reach over it: half its height and a line's width (its width is at most its
    // height on a page wider than high).
    constexpr double kEdge = 0.001;
    const double reach = blk->size > 0 ? 0.5 * blk->size + 0.2 : 100.0;
    const double x0 = clip[0], y0 = clip[1], x1 = clip[2], y1 = clip[3];
    std::vector<double> whole;
    int kept = 0;
    for (int k = 0; k < blk->count; ++k) {
        const double x = pts[2 * k], y = pts[2 * k + 1];
        const bool inside = x >= x0 - kEdge && x <= x1 + kEdge && y >= y0 - kEdge && y <= y1 + kEdge;
        const bool nearedge = x - x0 < reach || x1 - x < reach || y - y0 < reach || y1 - y < reach;
        if (inside && nearedge) {
            whole.push_back(x);
            whole.push_back(y);
        } else {
            pts[2 * kept] = x;
            pts[2 * kept + 1] = y;
            ++kept;
        }
    }
    const int all = blk->count;
    if (kept > 0) {
        blk->count = kept;
        ggpmark(0, blk, color, clip);
    }
    if (!whole.empty()) {
        // Within the rectangle widened by their reach: nothing of them is cut.
        const float wide[4] = {static_cast<float>(x0 - reach), static_cast<float>(y0 - reach), static_cast<float>(x1 + reach),
                               static_cast<float>(y1 + reach)};
        ggmarkblk w = *blk;
        w.count = static_cast<int32_t>(whole.size() / 2);
        w.pts = whole.data();
        ggpmark(0, &w, color, wide);
    }
    blk->count = all;
}
