// Inset drawing: the box fill and frame, the header band, the header and the entries.
#include <cstring>

#include "proc/devgraph/devgraph_internal.h"
#include "proc/vyxstate.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"

namespace {
bool is(const char* key, const char* word) {
    char w[8];
    std::memset(w, ' ', 8);
    std::memcpy(w, word, std::strlen(word));
    return std::memcmp(key, w, 8) == 0;
}
}  // namespace

// A framed inset without a fill of its own: the grid and reference lines under its box are
// cleared before the points and curves are drawn, so that its text never reads as struck
// through while every point under it stays in sight. Nothing for a margin inset.
void insetbackdrop(vyxstate* s) {
    insetrec* r = s->plot.inset;
    if (!r || !r->active || r->noframe || r->cfillgiven || r->area[0] == 0) return;
    if (is(r->poskey, "TM") || is(r->poskey, "BM") || is(r->poskey, "RM") || is(r->poskey, "LM")) return;
    ggregion block{r->boxxlo, r->boxylo, r->boxxhi, r->boxyhi, r->areakind, static_cast<int32_t>(r->area[0])};
    ggrdba(0, 2, nullptr, &block, 0, 7);
}

void vyxidrw(vyxstate* s) {
    insetrec* r = s->plot.inset;
    if (!r || !r->active) return;
    const char blank[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    const bool header = r->hdrlen > 0;
    if (r->noframe) {
        if (r->cfillgiven) xpmlog(510, W510_INSET_CFILL_NOFRAME);
        if (r->cfillhgiven) xpmlog(510, W510_INSET_CFILLH_NOFRAME);
        if (r->cframegiven) xpmlog(510, W510_INSET_CFRAME_NOFRAME);
    } else {
        const bool blanked = is(r->fillcolor, "BLANK");
        if (blanked) std::memcpy(r->fillcolor, blank, 8);
        const int fill = ggcnum(0, r->fillcolor), frame = ggcnum(0, r->framecolor);
        const char* pattern = r->cfillgiven && !blanked ? "SOLID   " : "EMPTY   ";
        // Only CFILL=BLANK clears what lies behind the box: by default the box is outlined
        // and every point under it stays in sight.
        if (blanked) {
            ggregion block{r->boxxlo, r->boxylo, r->boxxhi, r->boxyhi, r->areakind, static_cast<int32_t>(r->area[0])};
            ggrdba(0, 2, nullptr, &block, 0, 7);
        }
        ggfill(0, r->boxxlo, r->boxylo, header ? r->hdrbox[1] : r->boxxhi, header ? r->hdrbox[2] : r->boxyhi, pattern, fill, 3,
               frame, 1, 1);
        // 2. The header band.
        if (header) {
            if (!r->cfillhgiven && !r->cfillgiven) {
                ggdraw(0, r->hdrbox[0], r->hdrbox[2], r->hdrbox[0], r->boxyhi, 1, frame);
                ggdraw(0, r->hdrbox[0], r->boxyhi, r->hdrbox[1], r->boxyhi, 1, frame);
                ggdraw(0, r->hdrbox[1], r->boxyhi, r->hdrbox[1], r->hdrbox[2], 1, frame);
            } else {
                const bool hblank = is(r->hdrfill, "BLANK");
                ggfill(0, r->hdrbox[0], r->hdrbox[2], r->boxxhi, r->boxyhi, hblank ? "EMPTY   " : "SOLID   ",
                       ggcnum(0, hblank ? blank : r->hdrfill), 3, frame, 1, 1);
            }
        }
    }
    if (!header && r->cfillhgiven && !r->noframe) xpmlog(510, W510_INSET_CFILLH_NO_HEADER);
    // 3. Text.
    const int textcolor = ggcnum(0, r->textcolor);
    ggtext t;
    ggstri(&t);
    t.height = static_cast<float>(r->textheight);
    std::memcpy(t.font, r->font, 8);
    t.color = textcolor;
    t.angle = 0;
    double x = r->boxxlo + r->hmargin, y = r->boxyhi - r->vmargin;
    if (r->devfont) {
        x = ggcell(0, x, 1, 0);
        y = ggcell(0, y, 2, 0);
    }
    // 4. Header.
    if (header) {
        t.color = ggcnum(0, r->hdrcolor);
        y -= r->textheight;
        t.align = 1;
        drawtext(t, r->hdrtext, r->hdrlen, x, y);
        y -= r->devfont ? r->textheight : 2 * r->vmargin;
        t.color = textcolor;
    }
    // 5. Entries: in rows for the top and bottom margins, else a column with the values
    // right-aligned at the box's right margin.
    y -= r->textheight;
    const bool rows = is(r->poskey, "TM") || is(r->poskey, "BM");
    const double x0 = x;
    for (insetent* e = r->entries; e; e = e->next) {
        t.align = 1;
        drawtext(t, e->label, e->lablen, x, y);
        if (rows) {
            drawtext(t, e->value, e->vallen, x + r->labwidth + r->colgap, y);
            x += r->labwidth + r->colgap + r->valwidth + 4 * r->colgap;
            if (x + r->labwidth + r->valwidth + r->colgap > r->boxxhi - 0.9 * r->hmargin) {
                y -= r->linegap + r->textheight;
                x = x0;
            }
        } else {
            t.align = 2;
            drawtext(t, e->value, e->vallen, r->boxxhi - r->hmargin, y);
            y -= r->linegap + r->textheight;
        }
    }
}
