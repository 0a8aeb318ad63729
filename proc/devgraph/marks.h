// A buffer of plot symbols handed to the host whenever it is full and once more at the end,
// drawn in the symbol, size and colour of a symbol record (the symbol colour, else the line
// colour).
#pragma once
#include <cstring>

#include "proc/framework/hostgraphics.h"
#include "proc/framework/textpad.h"

inline int symcolor(const symrec* r) {
    if (!r) return 1;
    return ggcnum(0, vzatl(' ', r->symcolor, 8) ? r->color : r->symcolor);
}

struct Marks {
    ggmarkblk blk{};
    double* pts = nullptr;
    int cap = 0, color = 1;
    const float* clip = nullptr;

    void style(const symrec* r) {
        if (!r) return;
        std::memcpy(blk.symbol, r->symbol, sizeof blk.symbol);
        blk.size = r->symsize;
        blk.aux = r->symaux;
        blk.attr = (static_cast<uint32_t>(r->symattr) | GGM_POINTS) & ~static_cast<uint32_t>(GGM_NOPOINTS);
        color = symcolor(r);
    }
    void add(double x, double y) {
        if (!pts || cap <= 0) return;
        pts[2 * blk.count] = x;
        pts[2 * blk.count + 1] = y;
        if (++blk.count == cap) flush();
    }
    void flush() {
        if (blk.count <= 0) return;
        blk.pts = pts;
        ggpmark(0, &blk, color, clip);
        blk.count = 0;
    }
};
