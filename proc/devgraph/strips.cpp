// Segments and label strips.
#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/optslots.h"
#include "proc/vyxstate.h"

#include <algorithm>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/textpad.h"

namespace {

constexpr double kStrip = 1.6;   // a strip is this many text heights thick

// A strip: filled with the option's colour when given, outlined in the axis colour.
void box(vyxstate* s, double x0, double y0, double x1, double y1, int fillslot, int fillrole) {
    if (stmtslot(s->inwork.curstmt, fillslot)) ggfill(0, x0, y0, x1, y1, "S       ", s->plot.colors[fillrole], 0, 1, 1, 1);
    const int c = s->plot.colors[GC_AXIS] > 0 ? s->plot.colors[GC_AXIS] : 1;
    ggdraw(0, x0, y0, x1, y0, 1, c);
    ggdraw(0, x1, y0, x1, y1, 1, c);
    ggdraw(0, x1, y1, x0, y1, 1, c);
    ggdraw(0, x0, y1, x0, y0, 1, c);
}

bool stacked(const vyxstate* s, bool pagelabel) {
    const plotlay* f = s->plot.frame;
    // The class-label strip follows TURNVLABELS as the key strips do.
    (void)pagelabel;
    return f->valfontblank || stmtflag(s->inwork.curstmt, flag::plot::TURNVLABEL);
}

// A text along a vertical strip from y0 of length L whose left edge is at `left`: one
// character per line, or turned by 90 degrees with its baseline at `base`; fitted into
// 0.96 L by a smaller height, never clipped.
void verticaltext(vyxstate* s, const char* text, int len, double left, double base, double y0, double L, bool stack) {
    plotlay* f = s->plot.frame;
    if (len <= 0) return;
    ggtext t = plottext(s, f->txth);
    if (stack) {
        double h = f->txth;
        if (len * h > 0.96 * L) h = 0.96 * L / len;
        t.height = static_cast<float>(h);
        double widest = 0;
        for (int k = 0; k < len; ++k) widest = std::max(widest, textwidth(t, text + k, 1));
        double x = left + 0.8 * f->txth * f->chdiv - widest / 2;
        double top = y0 + (L + len * h) / 2;
        if (f->hwtext) x = ggcell(0, x, 1, 0);
        for (int k = 0; k < len; ++k) {
            if (text[k] == ' ') continue;
            double y = top - (k + 1) * h;
            if (f->hwtext) y = ggcell(0, y, 2, 0);
            drawtext(t, text + k, 1, x, y);
        }
        return;
    }
    ggstxfm(90.0, 0.0);
    double width = textwidth(t, text, len);
    if (width > 0.96 * L) {
        t.height = static_cast<float>(f->txth * 0.96 * L / width);
        width = textwidth(t, text, len);
    }
    drawtext(t, text, len, base, y0 + (L - width) / 2);
    ggstxfm(0.0, 0.0);
}

// A text centred along a horizontal strip from x0 of length L, fitted into 0.96 L.
void horizontaltext(vyxstate* s, const char* text, int len, double x0, double L, double baseline) {
    plotlay* f = s->plot.frame;
    if (len <= 0) return;
    ggtext t = plottext(s, f->txth);
    double width = textwidth(t, text, len);
    if (width > 0.96 * L) {
        t.height = static_cast<float>(f->txth * 0.96 * L / width);
        width = textwidth(t, text, len);
    }
    drawtext(t, text, len, x0 + (L - width) / 2, baseline);
}

double pageleft(const plotlay* f) { return f->pagewin ? f->pagewin[0] : 0; }
double pagetop(const plotlay* f) { return f->pagewin ? f->pagewin[3] : 100; }

bool sidelabel(const vyxstate* s) { return (s->groups.nclass == 1 && s->groups.clslabgiven[CV_FIRST] && s->popt.pflags.layoutv) || (s->groups.nclass == 2 && s->groups.clslabgiven[CV_FIRST]); }
bool toplabel(const vyxstate* s) { return (s->groups.nclass == 1 && s->groups.clslabgiven[CV_FIRST] && s->popt.pflags.layouth) || (s->groups.nclass == 2 && s->groups.clslabgiven[CV_SECOND]); }

}  // namespace

void* vyxsgmt(vyxstate* s, void* words[2]) {
    const stmtrec* r = s->inwork.curstmt;
    destctx& c = s->plot.gdest;
    char name[8];
    std::memset(name, ' ', 8);
    gglongname longname{0, nullptr};
    int len = 0;
    const char* given = opttext(r, slot::plot::NAME, &len);
    if (given && len > 0) {
        std::memcpy(name, given, static_cast<size_t>(std::min(len, 8)));
        if (len >= 9) longname = gglongname{static_cast<uint16_t>(len), given};
    } else {
        xpmstr(name, 8, 510, T510_PROC_NAME);
    }
    c.segname = rdxtxt(name, 8);
    char desc[256];
    std::memset(desc, ' ', sizeof desc);
    int dlen = 0;
    if (const char* d = opttext(r, slot::plot::DESCRIPTION, &dlen); d && dlen > 0) {
        s->plot.segdesc = rdxtxt(d, dlen);
        std::memcpy(desc, d, static_cast<size_t>(std::min(dlen, 256)));
    } else {
        const int n = plotdescmsg(s->input.stmtkind);
        s->plot.segdesc = rdxmsg(510, n);
        xpmstr(desc, 256, 510, n);
    }
    uint32_t handles[2] = {0, 0};
    void* segment = nullptr;
    ggoseg(0, 256, s->plot.gcatent, &segment, handles, name, longname.text ? &longname : nullptr, desc, 1, given && len > 0 ? 1 : 0, 0,
           s->plot.byline[BL_TEXT], s->plot.byline[BL_LENGTH]);
    ggsel(0, segment);
    c.seglabel = s->plot.segdesc;
    c.cathandles[0] = handles[0];
    c.cathandles[1] = handles[1];
    (void)words;
    return segment;
}

void vyxptlb(vyxstate* s, const char key[16]) {
    plotlay* f = s->plot.frame;
    setwidth(s, 1);
    const double shift = toplabel(s) ? kStrip * f->txth + f->tilegapv : 0;
    const double top = pagetop(f) - f->lblgap - f->hdrh - f->sqdy - shift;
    const double x0 = f->fx - f->gapl, x1 = f->fx + f->fw + f->gapr;
    box(s, x0, top - kStrip * f->txth, x1, top, slot::plot::CFRAMETOP, GC_FRAMETOP);
    char k[16];
    std::memcpy(k, key, 16);
    int len = wzstjus(k, 16, 'l');
    if (len > 0) {
        ggtext t = plottext(s, f->txth);
        const double indent = f->gapl > 0 ? 0.0 : f->chw;
        double width = textwidth(t, k, len);
        if (f->fw - indent < width && width > 0) t.height = static_cast<float>(f->txth * (f->fw - indent) / width);
        const double base = pagetop(f) - f->lblgap - f->hdrh - 1.2 * f->txth - shift - f->sqdy;
        drawtext(t, k, len, f->fx + indent, base);
    }
    resetwidth(s);
}

void vyxpslb(vyxstate* s, const char key[16]) {
    plotlay* f = s->plot.frame;
    setwidth(s, 1);
    const double across = kStrip * f->txth * f->chdiv;
    const double shift = sidelabel(s) ? across + f->tilegaph : 0;
    const double y0 = f->fy - f->gapb, L = f->fh + f->gapb + f->gapt;
    const double x0 = pageleft(f) + f->pgmarg + f->sqdx + shift;
    box(s, x0, y0, x0 + across, y0 + L, slot::plot::CFRAMESIDE, GC_FRAMESIDE);
    char k[16];
    std::memcpy(k, key, 16);
    int len = wzstjus(k, 16, 'l');
    verticaltext(s, k, len, x0, pageleft(f) + f->pgmarg + 1.2 * f->txth * f->chdiv + shift + f->sqdx, y0, L, stacked(s, false));
    resetwidth(s);
}

void vyxpclb(vyxstate* s) {
    plotlay* f = s->plot.frame;
    setwidth(s, 1);
    if (sidelabel(s)) {
        const double across = kStrip * f->txth * f->chdiv;
        // The side strip spans the page's panel rows, the top strip its panel columns.
        const int n = std::max(s->popt.panels.nrows, 1);
        const double y0 = f->fy0 - f->gapb + f->sqdy;
        const double L = n * (f->gapb + f->fh0 + f->gapt) + (n - 1) * f->tilegapv - 2 * f->sqdy;
        const double x0 = pageleft(f) + f->pgmarg + f->sqdx;
        box(s, x0, y0, x0 + across, y0 + L, slot::plot::CFRAMESIDE, GC_FRAMESIDE);
        const int len = std::min(s->groups.clslablen[CV_FIRST], 256);
        verticaltext(s, s->groups.clslabels[CV_FIRST], len, x0, x0 + 1.2 * f->txth * f->chdiv, y0, L, stacked(s, true));
    }
    if (toplabel(s)) {
        const int which = s->groups.nclass == 2 ? CV_SECOND : CV_FIRST;
        const int m = std::max(s->popt.panels.ncols, 1);
        const double x0 = f->fx0 - f->gapl + f->sqdx;
        const double L = m * (f->gapl + f->fw0 + f->gapr) + (m - 1) * f->tilegaph - 2 * f->sqdx;
        const double top = pagetop(f) - f->lblgap - f->hdrh - f->sqdy;
        box(s, x0, top - kStrip * f->txth, x0 + L, top, slot::plot::CFRAMETOP, GC_FRAMETOP);
        const int len = std::min(s->groups.clslablen[which], 256);
        horizontaltext(s, s->groups.clslabels[which], len, x0, L, pagetop(f) - f->lblgap - f->hdrh - 1.2 * f->txth);
    }
    resetwidth(s);
}
