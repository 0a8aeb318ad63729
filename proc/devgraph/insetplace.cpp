// Inset fonts, colours, margins and placement.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "proc/framework/expect.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/vyxstate.h"
#include "proc/devgraph/insetroom.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/locale_fmt.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/wholenum.h"

namespace {

bool is(const char* key, const char* word) {
    char w[8];
    std::memset(w, ' ', 8);
    std::memcpy(w, word, std::strlen(word));
    return std::memcmp(key, w, 8) == 0;
}
bool margin(const char* key) { return is(key, "TM") || is(key, "BM") || is(key, "RM") || is(key, "LM"); }
void put(char out[8], const char* word) {
    std::memset(out, ' ', 8);
    std::memcpy(out, word, std::strlen(word));
}

const stmtrec* insetstmt(const stmtrec* cur) {
    const stmtrec* n = cur ? cur->next : nullptr;
    return n && std::strncmp(n->keyword, "INS", 3) == 0 ? n : nullptr;
}

}  // namespace

void SetGraphics(vyxstate* s, insetrec* r, int mode, ggtext* t) {
    const plotlay* f = s->plot.frame;
    const ggctx* g = s->plot.gctx;
    const stmtrec* in = mode == 1 ? insetstmt(s->inwork.curstmt) : nullptr;
    std::memset(r->font, ' ', 8);
    ggstri(t);
    // 2. Defaults: the plot's inset height (INHEIGHT) stands for the device's default.
    const ggdevice* dev = g ? g->device : nullptr;
    const double devheight = f->intxth > 0 ? f->intxth : dev ? dev->textheight : 2.0;
    r->textheight = devheight;
    std::memcpy(r->font, f->datafont, 8);
    if (s->plot.colors[GC_FRAME] > 0) std::memcpy(r->framecolor, s->plot.colornames[GC_FRAME], 8);
    else std::memset(r->framecolor, ' ', 8);
    std::memset(r->textcolor, ' ', 8);
    std::memset(r->fillcolor, ' ', 8);
    std::memset(r->hdrfill, ' ', 8);
    std::memset(r->hdrcolor, ' ', 8);
    r->cframegiven = r->cfillgiven = r->cfillhgiven = 0;
    // 3. Text height: INSET HEIGHT=, the plot's INHEIGHT=, the style's text, the default.
    const optslot* h = in ? stmtslot(in, slot::inset::HEIGHT) : nullptr;
    if (h && h->num > 0) {
        r->textheight = h->num;
        r->hgiven = 1;
    } else if (stmtslot(s->inwork.curstmt, slot::plot::INHEIGHT) && f->intxth > 0) {
        r->textheight = f->intxth;
        r->hgiven = 1;
    } else if (g && g->stylesinuse && g->textstyle.height > 0) {
        r->textheight = ggl2pct(0, g->textstyle.unit, 2, g->textstyle.height);
        r->hgiven = 1;
    }
    // 4. Font.
    int flen = 0;
    const char* ftext = in ? opttext(in, slot::inset::FONT, &flen) : nullptr;
    if (ftext) {
        ggfname(ftext, flen, r->font);
    } else if (vzatl(' ', s->popt.gfile, 8) == 0) {
        std::memcpy(r->font, s->popt.gfile, 8);
    } else if (g && vzatl(' ', g->textstyle.font, 8) == 0) {
        std::memcpy(r->font, g->textstyle.font, 8);
    } else if (mode == 1 && margin(r->poskey)) {
        std::memset(r->font, ' ', 8);
    }
    // 5. The device's own characters only on a device that has them.
    r->devfont = (vzatl(' ', r->font, 8) || is(r->font, "NONE")) && dev && dev->hwtext == 'Y' ? 1 : 0;
    // 6. Colours.
    char c[8];
    if (in && optname(in, slot::inset::CFRAME, 0, c)) {
        std::memcpy(r->framecolor, c, 8);
        r->cframegiven = 1;
    }
    if (in && optname(in, slot::inset::CTEXT, 0, c)) std::memcpy(r->textcolor, c, 8);
    else if (optname(s->inwork.curstmt, slot::plot::CTEXT, 0, c)) std::memcpy(r->textcolor, c, 8);
    else if (g && vzatl(' ', g->textstyle.color, 8) == 0) std::memcpy(r->textcolor, g->textstyle.color, 8);
    if (in && optname(in, slot::inset::CFILL, 0, c)) {
        std::memcpy(r->fillcolor, c, 8);
        r->cfillgiven = 1;
    }
    if (in && optname(in, slot::inset::CFILLH, 0, c)) {
        std::memcpy(r->hdrfill, c, 8);
        r->cfillhgiven = 1;
    } else {
        std::memcpy(r->hdrfill, r->fillcolor, 8);
    }
    if (in && optname(in, slot::inset::CHEADER, 0, c)) std::memcpy(r->hdrcolor, c, 8);
    else std::memcpy(r->hdrcolor, r->textcolor, 8);
    // 7. The text record.
    t->height = static_cast<float>(r->textheight);
    t->angle = 0;
    std::memcpy(t->font, r->font, 8);
    // 8. Header: an all-blank one is none.
    if (r->hdrlen > 0) {
        r->hdrlen = wzstrip(r->hdrtext, r->hdrlen);
        if (r->hdrlen > 0) r->hdrwidth = textwidth(*t, r->hdrtext, r->hdrlen);
    }
    // 9. Margins.
    r->vmargin = std::min(0.25 * r->textheight, 2.5);
    r->hmargin = r->vmargin / f->chdiv;
    r->colgap = 3 * r->hmargin;
    r->linegap = r->devfont ? 0 : r->vmargin;
}

namespace {

// The area an inset is placed in: the frame with its gaps (L, R, B, T), the frame record and
// its aspect, and the box's size (W with its side margins, H).
struct area {
    const plotlay* f;
    double asp, L, R, B, T;
    double W, H;

    // The box at corner k (0 NW, 1 NE, 2 SW, 3 SE) as x0, y0, x1, y1.
    void cornerbox(int k, double* b) const {
        double dx = std::min(k % 2 ? f->gapr : f->gapl, 0.02 * (R - L)), dy = dx / asp;
        if (dx > 5.0 && dy > 5.0) dx = 2.0 * asp, dy = 2.0;
        b[0] = k % 2 ? R - dx - W : L + dx;
        b[1] = k < 2 ? T - dy - H : B + dy;
        b[2] = b[0] + W;
        b[3] = b[1] + H;
    }
};

const char* const kCorners[4] = {"NW", "NE", "SW", "SE"};

// An inset drawn filled over the data: what it hides is added to the destination's tally,
// which the note of the statement tells once its pages are drawn (insetsovernote).
void tallyfilled(vyxstate* s, const grpnode* g, const InsetHides& hides) {
    plotlay* f = s->plot.frame;
    InsetsOver& o = f->insetsover;
    if (o.insets++ == 0) f->insetfirst = g;
    o.points += hides.points;
    o.lines = o.lines || hides.lines;
    o.marker = o.marker || (hides.points == 0 && !hides.lines);
}

// 2. An inset without a position takes a free corner: the first one whose box the group's
// line, band and points leave clear and no other inset holds, else the one where it hides
// least. false: none (the inset is dropped).
bool freecorner(vyxstate* s, insetrec* r, const area& a, panelink ink) {
    bool taken[4] = {};
    for (insetrec* q = s->plot.inset; q; q = q->next)
        for (int k = 0; k < 4; ++k)
            if (q != r && is(q->poskey, kCorners[k])) taken[k] = true;
    double boxes[4][4];
    for (int k = 0; k < 4; ++k) a.cornerbox(k, boxes[k]);
    bool clear = true;
    InsetHides hides;
    const int k = insetroom(s, r->group, taken, boxes, &clear, ink, &hides);
    if (k < 0) {
        r->active = 0;
        return false;
    }
    put(r->poskey, kCorners[k]);
    // Where every free corner has data under it, the box is filled as CFILL=BLANK fills it:
    // its numbers read over the points and lines beneath, which it hides.
    if (!clear && !r->noframe && !r->cfillgiven) {
        put(r->fillcolor, "BLANK");
        tallyfilled(s, r->group, hides);
    }
    return true;
}

// 3a. A box at a corner, or centred on a side of the frame (N, S, W, E).
void compassbox(insetrec* r, const area& a, const char* key, int corner) {
    const plotlay* f = a.f;
    if (corner >= 0) {
        double b[4];
        a.cornerbox(corner, b);
        r->boxxlo = b[0], r->boxylo = b[1], r->boxxhi = b[2], r->boxyhi = b[3];
    } else if (is(key, "N") || is(key, "S")) {
        double v = std::min(f->gapl, 0.02 * (a.R - a.L)) / a.asp;
        if (v > 5.0) v = 2.0;
        r->boxxlo = f->fx + 0.5 * f->fw - 0.5 * a.W, r->boxxhi = r->boxxlo + a.W;
        if (is(key, "N")) r->boxyhi = a.T - v, r->boxylo = r->boxyhi - a.H;
        else r->boxylo = a.B + v, r->boxyhi = r->boxylo + a.H;
    } else {
        const double d = std::min(is(key, "W") ? f->gapl : f->gapr, 0.02 * (a.R - a.L));
        r->boxylo = f->fy + 0.5 * f->fh - 0.5 * a.H, r->boxyhi = r->boxylo + a.H;
        if (is(key, "W")) r->boxxlo = a.L + d, r->boxxhi = r->boxxlo + a.W;
        else r->boxxhi = a.R - d, r->boxxlo = r->boxxhi - a.W;
    }
}

// 3b. A box at a point the user gives, in data coordinates (which axis is which follows the
// plot) or in percent of the area; the reference point says which corner of the box lies on
// it. 0, or the message number of a point off the axes or the area.
int userbox(const vyxstate* s, insetrec* r, const area& a, double* bad) {
    const plotlay* f = a.f;
    double x = r->posx, y = r->posy;
    if (r->possys == 2) {
        const bool probx = !s->popt.pflags.ismcf && s->popt.pflags.rotate, proby = !s->popt.pflags.ismcf && !s->popt.pflags.rotate;
        const bool logx = s->popt.pflags.ismcf ? s->plot.axlog[AXLOG_H] != 0 : !probx && (s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]);
        const bool logy = s->popt.pflags.ismcf ? s->plot.axlog[AXLOG_V] != 0 : !proby && (s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]);
        *bad = r->posx;
        if (logx) {
            if (!(x > GZ_UNIT)) return W510_INSET_X_NOT_ON_LOG_AXIS;
            x = std::log10(x);
        } else if (probx) {
            if (!(x >= 0 && x <= 100)) return W510_INSET_X_PERCENT_RANGE;
            x = s->opts.quant_fn(x / 100);
        }
        *bad = r->posy;
        if (logy) {
            if (!(y > GZ_UNIT)) return W510_INSET_Y_NOT_ON_LOG_AXIS;
            y = std::log10(y);
        } else if (proby) {
            if (!(y >= 0 && y <= 100)) return W510_INSET_Y_PERCENT_RANGE;
            y = s->opts.quant_fn(y / 100);
        }
        x = x * f->hfac + f->hoff;
        y = y * f->vfac + f->voff;
        *bad = r->posx;
        if (!(x > a.L && x < a.R)) return W510_INSET_X_OUTSIDE;
        *bad = r->posy;
        if (!(y > a.B && y < a.T)) return W510_INSET_Y_OUTSIDE;
    } else {
        *bad = r->posx;
        if (!(x > 0 && x < 100)) return W510_INSET_X_PERCENT;
        *bad = r->posy;
        if (!(y > 0 && y < 100)) return W510_INSET_Y_PERCENT;
        x = a.L + x / 100 * (a.R - a.L);
        y = a.B + y / 100 * (a.T - a.B);
    }
    const double W = a.W, H = a.H;
    if (is(r->refpoint, "TR")) r->boxxhi = x, r->boxyhi = y, r->boxxlo = x - W, r->boxylo = y - H;
    else if (is(r->refpoint, "TL")) r->boxxlo = x, r->boxyhi = y, r->boxxhi = x + W, r->boxylo = y - H;
    else if (is(r->refpoint, "BR")) r->boxxhi = x, r->boxylo = y, r->boxxlo = x - W, r->boxyhi = y + H;
    else {
        put(r->refpoint, "BL");
        r->boxxlo = x, r->boxylo = y, r->boxxhi = x + W, r->boxyhi = y + H;
    }
    return 0;
}

// 3c. Margin insets stand outside the frame on their side, within the page; the top and
// bottom ones span the frame and hold their entries in rows.
void marginbox(insetrec* r, const area& a, const char* key) {
    const plotlay* f = a.f;
    const double L = a.L, R = a.R, W = a.W;
    const double* w = f->pagewin;
    const double wl = w ? w[0] : 0, wb = w ? w[1] : 0, wr = w ? w[2] : 100, wt = w ? w[3] : 100;
    if (is(key, "TM") || is(key, "BM")) {
        const double per = r->labwidth + r->valwidth + 5 * r->colgap;
        const int n = std::max(r->nentries, 1);
        const int inrow = std::max(1, satint((R - L - 2 * r->hmargin + 4 * r->colgap) / std::max(per, 1e-9)));
        const int rows = (n + inrow - 1) / inrow;
        double H = 2 * r->vmargin + rows * r->textheight + (rows - 1) * r->linegap;
        if (r->hdrlen > 0) H += 2 * r->vmargin + r->textheight;
        r->boxheight = H;
        r->boxxlo = L, r->boxxhi = R;
        if (is(key, "TM")) {
            r->boxylo = std::min(f->fy + f->fh + f->gapt + 0.5, wt - H);
            r->boxyhi = r->boxylo + H;
        } else {
            r->boxylo = wb + 0.5;
            r->boxyhi = r->boxylo + H;
        }
    } else if (is(key, "RM")) {
        r->boxxlo = std::min(R + f->gapr + 0.5, wr - W);
        r->boxxhi = r->boxxlo + W;
        r->boxylo = f->fy + 0.5 * f->fh - 0.5 * a.H, r->boxyhi = r->boxylo + a.H;
    } else {
        r->boxxlo = wl + 0.5, r->boxxhi = r->boxxlo + W;
        r->boxylo = f->fy + 0.5 * f->fh - 0.5 * a.H, r->boxyhi = r->boxylo + a.H;
    }
}

// The header's band at the top of the box.
void headerband(insetrec* r) {
    if (r->hdrlen > 0) {
        r->hdrbox[0] = r->boxxlo, r->hdrbox[1] = r->boxxhi;
        r->hdrbox[2] = r->devfont ? r->boxyhi - 2 * r->cellheight : r->boxyhi - r->textheight - 2 * r->vmargin;
    }
}

// 4. Fit: a box that reaches a side of the area shrinks, keeping its corner.
void fitinside(insetrec* r, const area& a, const char* key) {
    const double L = a.L, R = a.R, B = a.B, T = a.T;
    auto scale = [&](double k) {
        r->textheight *= k, r->boxwidth *= k, r->hmargin *= k, r->colgap *= k;
        r->boxheight *= k, r->vmargin *= k, r->linegap *= k;
    };
    const bool user = is(key, "USER");
    auto rebuildvertical = [&] {
        const double H2 = r->boxheight;
        const bool keeptop = is(key, "NW") || is(key, "NE") || is(key, "N") || (user && !is(r->refpoint, "BL"));
        const bool keepbottom = is(key, "SW") || is(key, "SE") || is(key, "S") || (user && is(r->refpoint, "BL"));
        if (keeptop) r->boxylo = r->boxyhi - H2;
        else if (keepbottom) r->boxyhi = r->boxylo + H2;
        else {
            const double c = (r->boxylo + r->boxyhi) / 2;
            r->boxylo = c - H2 / 2, r->boxyhi = c + H2 / 2;
        }
    };
    auto rebuildhorizontal = [&] {
        const double W2 = r->boxwidth + 2 * r->hmargin;
        const bool keepleft = is(key, "NW") || is(key, "W") || (user && is(r->refpoint, "TL"));
        const bool keepright = is(key, "NE") || is(key, "E") || (user && !is(r->refpoint, "TL"));
        if (keepleft) r->boxxhi = r->boxxlo + W2;
        else if (keepright) r->boxxlo = r->boxxhi - W2;
        else {
            const double c = (r->boxxlo + r->boxxhi) / 2;
            r->boxxlo = c - W2 / 2, r->boxxhi = c + W2 / 2;
        }
    };
    if (r->boxxlo <= L) {
        const double d = r->boxxhi - L, W0 = 2 * r->hmargin + r->boxwidth;
        scale(d / ((d / W0 + 2.0) * r->hmargin + r->boxwidth));
        r->boxxlo = r->boxxhi - r->boxwidth - 2 * r->hmargin;
        rebuildvertical();
    }
    if (r->boxxhi >= R) {
        const double d = R - r->boxxlo, W0 = 2 * r->hmargin + r->boxwidth;
        scale(d / ((d / W0 + 2.0) * r->hmargin + r->boxwidth));
        r->boxxhi = r->boxxlo + r->boxwidth + 2 * r->hmargin;
        rebuildvertical();
    }
    if (r->boxyhi >= T) {
        const double d = T - r->boxylo, H0 = r->boxheight;
        scale(d / ((d / H0) * r->vmargin + H0));
        r->boxyhi = r->boxylo + r->boxheight;
        rebuildhorizontal();
    }
    if (r->boxylo <= B) {
        const double d = r->boxyhi - B, H0 = r->boxheight;
        scale(d / ((d / H0) * r->vmargin + H0));
        r->boxylo = r->boxyhi - r->boxheight;
        rebuildhorizontal();
    }
    headerband(r);
}

}  // namespace

int vyxipos(vyxstate* s, panelink ink) {
    insetrec* r = s->plot.inset;
    if (!r || !r->active) return 0;
    VX_EXPECT(s->plot.frame, "an inset is placed in the plot's frame");
    const plotlay* f = s->plot.frame;
    // 1. The area and the box's size.
    area a{f, f->chdiv, f->fx - f->gapl, f->fx + f->fw + f->gapl, f->fy - f->gapb, f->fy + f->fh + f->gapb,
           2 * r->hmargin + r->boxwidth, r->boxheight};
    if (r->poskind == 0 && !freecorner(s, r, a, ink)) return 0;
    // 3. The box where its position puts it.
    const char* key = r->poskey;
    int corner = -1;
    for (int k = 0; k < 4; ++k)
        if (is(key, kCorners[k])) corner = k;
    if (corner >= 0 || is(key, "N") || is(key, "S") || is(key, "W") || is(key, "E")) {
        compassbox(r, a, key, corner);
    } else if (is(key, "USER")) {
        double bad = 0.0;
        if (const int msg = userbox(s, r, a, &bad)) {
            xpmlog(510, msg, bad);
            r->active = 0;
            return 1;
        }
    } else if (margin(key)) {
        marginbox(r, a, key);
    } else {
        char k[9];
        std::memcpy(k, key, 8);
        k[8] = '\0';
        xpmlog(510, W510_INSET_UNKNOWN_POSITION, txtarg(k, wzstrip(k, 8)));
        r->active = 0;
        return 1;
    }
    headerband(r);
    if (!margin(key)) fitinside(r, a, key);
    // 5. A blanked box is registered so that the drawing can clear what lies under it; so is a
    // box without a fill of its own, whose grid goes before the data are drawn.
    if (r->active && !r->noframe && (is(r->fillcolor, "BLANK") || !r->cfillgiven)) {
        ggregion block{r->boxxlo, r->boxylo, r->boxxhi, r->boxyhi, 2, 0};
        ggrba(0, &block, nullptr, 0, 7);
        r->areakind = block.kind;
        r->area[0] = static_cast<uint32_t>(block.handle);
    }
    return 0;
}
