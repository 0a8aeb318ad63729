// Symbols, colours, patterns and frame fills.
#include "proc/devgraph/devgraph_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "proc/framework/hostgraphics.h"
#include "proc/framework/gparm.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"

namespace {

namespace ps = slot::plot;

symrec* records(vyxstate* s, int n) {
    if (n <= 0) n = 1;
    auto* a = static_cast<symrec*>(poolbytes(s->pools.stmtpool, static_cast<int64_t>(n) * sizeof(symrec), poolflag::zeroed));
    if (a) ggetsym(0, n, a);
    else xmemmsg(static_cast<int64_t>(n) * sizeof(symrec));
    return a;
}

bool blank8(const char* c) { return vzatl(' ', c, 8) != 0; }

// A colour option as a number; the name goes to `name` when given.
bool optcolor(const stmtrec* r, int slot, int k, int32_t* number, char* name = nullptr) {
    char n[8];
    if (!optname(r, slot, k, n)) return false;
    *number = ggcnum(0, n);
    if (name) std::memcpy(name, n, 8);
    return true;
}

bool styles(const vyxstate* s) { return s->plot.gctx && s->plot.gctx->stylesinuse; }

// Line types of groups that share one panel without an output style: solid, then dashes
// and dash-dots of growing length, none of them the dotted type 2 of an MCF curve's limits,
// so that every group's lines (and limits, which carry no symbols) tell apart in black and white.
constexpr int16_t kOverlaidTypes[12] = {1, 4, 6, 3, 14, 20, 8, 15, 9, 19, 12, 10};

void setcolor(plotstate& plot, int role, int32_t number) {
    plot.colors[role] = number;
    char n[8];
    if (ggcnum5(0, number, n) == 0) std::memset(n, ' ', 8);
    std::memcpy(plot.colornames[role], n, 8);
}

// A style colour by name, as a number; the name is kept for the role.
void setnamed(plotstate& plot, int role, const char name[8]) {
    plot.colors[role] = ggcnum(0, name);
    std::memcpy(plot.colornames[role], name, 8);
}

// Whether some group of a probability plot draws its fitted line (and so its band): none does
// under NOFITLINE or FITTYPE=NONE, nor a group whose fit failed.
bool fitlinedrawn(const vyxstate* s) {
    const groupstate& gs = s->groups;
    if (gs.nclass == 0) return !gs.rootgrp.nofit;
    if (gs.nclass == 2) {
        for (uint32_t k = 0; gs.grpgrid && k < gs.nlev[NLEV_SECOND] * gs.nlev[NLEV_FIRST]; ++k)
            if (gs.grpgrid[k] && !gs.grpgrid[k]->nofit) return true;
        return false;
    }
    for (const grpnode* g = gs.grplist.head; g; g = g->next)
        if (!g->nofit) return true;
    return false;
}

}  // namespace

int vyxsymb(vyxstate* s) {
    const stmtrec* r = s->inwork.curstmt;
    plotlay* f = s->plot.frame;
    const int g = static_cast<int>(s->groups.nplotgrp > 0 ? s->groups.nplotgrp : 1);
    const bool relation = s->input.stmtkind == 4;
    const int pct = static_cast<int>(s->opts.pctcount);
    symrec* first = nullptr;
    if (!relation) {
        if (!(s->plot.symarr = records(s, g)) || !(s->plot.symcomp = records(s, g)) || !(s->plot.symcens = records(s, g))) return RC_NOMEM;
        s->plot.nsym = g;
        if (s->popt.pflags.fmcombine && !(s->plot.fmstyles = records(s, s->groups.fmodeset.nvals))) return RC_NOMEM;
        // The modes' lines (PLOTMODES) and their legend: line types 2, 3, ... beside the
        // combined curve's solid line, so that they tell apart without colour.
        if (s->popt.pflags.fmcombine)
            for (int k = 0; k < s->groups.fmodeset.nvals; ++k)
                if (s->plot.fmstyles[k].ltype <= 1) s->plot.fmstyles[k].ltype = static_cast<int16_t>(2 + k % 45);
        first = s->plot.symarr;
    } else {
        s->plot.nstyles = 2 * g + pct + 2;
        auto* st = records(s, s->plot.nstyles);
        if (!st) return RC_NOMEM;
        s->plot.gstyles = st;
        s->plot.symarr = st + GS_PCT + pct;   // the levels' records
        s->plot.nsym = g;
        // The MODEL's regression has no probability panel: its points take the levels'
        // records (never a record of an earlier statement).
        if (s->work.fitmethod == FIT_REGRESSION)
            s->plot.symcomp = s->plot.symarr;
        else if (!(s->plot.symcomp = records(s, g)))
            return RC_NOMEM;
        s->plot.symcens = s->plot.symcomp;
        first = st;
    }
    const bool nodefs = first->symbol[0] == 0 && blank8(first->color) && blank8(first->symcolor);
    const bool lfit = optcount(r, ps::LFIT) > 0;
    // An MCF plot of points (INTERPOLATE= neither STEP nor JOIN) draws no line of a group, nor
    // does a probability plot without fitted lines (NOFITLINE): its groups keep the solid type,
    // so that the legend shows their symbols alone.
    const bool grouplines = s->popt.pflags.ismcf ? s->mcf.mcftype != 0 : relation || fitlinedrawn(s);
    const bool overlaid = s->popt.pflags.overlay && s->groups.nclass >= 1 && g > 1 && grouplines;
    for (int k = 0; k < g; ++k) {
        symrec& line = s->plot.symarr[k];
        symrec& point = s->plot.symcomp[k];
        symrec& cens = s->plot.symcens[k];
        if (nodefs) {
            point.symbol[0] = static_cast<uint32_t>(k + 1);
            std::memcpy(line.color, first->color, 8);
            std::memcpy(point.symcolor, first->color, 8);
        }
        double v = 0;
        if (lfit && optnum(r, ps::LFIT, k, &v)) {
            line.ltype = static_cast<int16_t>(std::clamp(std::trunc(v), 1.0, 32767.0));
        } else if (!lfit && nodefs) {
            int32_t lt = 0;
            char el[16];
            std::snprintf(el, sizeof el, "GraphData%d", k % 12 + 1);
            if (styles(s) && grdxlsty(s->plot.gctx, el, static_cast<int>(std::strlen(el)), &lt))
                line.ltype = static_cast<int16_t>(lt);
            else if (s->popt.pflags.noppos)
                line.ltype = static_cast<int16_t>(k + 1);
            else
                line.ltype = overlaid ? kOverlaidTypes[k % 12] : 1;
        }
        point.ltype = line.ltype;   // the legend of symbols shows them on their group's line
        char n[8];
        if (optname(r, ps::CFIT, k, n)) std::memcpy(line.color, n, 8);
        if (optname(r, ps::PPOSSYMBOL, k, n)) point.symbol[0] = static_cast<uint32_t>(ggsymbx(n, 8));
        if (optname(r, ps::PPOSCOLOR, k, n)) std::memcpy(point.symcolor, n, 8);
        if (&cens != &point) {
            cens = point;
            if (optname(r, ps::CENSYMBOL, k, n)) cens.symbol[0] = static_cast<uint32_t>(ggsymbx(n, 8));
            if (optname(r, ps::CENCOLOR, k, n)) std::memcpy(cens.symcolor, n, 8);
        }
    }
    if (relation) {
        symrec* st = static_cast<symrec*>(s->plot.gstyles);
        const bool given = optcount(r, ps::PPOSSYMBOL) > 0;
        if (!given) {
            st[GS_RIGHT].symbol[0] = static_cast<uint32_t>(ggsymbx("triangle", 8));
            st[GS_LEFT].symbol[0] = static_cast<uint32_t>(ggsymbx("diamond ", 8));
            std::memcpy(st[GS_RIGHT].symcolor, st[GS_EXACT].color, 8);
            std::memcpy(st[GS_LEFT].symcolor, st[GS_EXACT].color, 8);
        }
        char n[8];
        for (int k = 0; k < 2; ++k) {
            if (k < optcount(r, ps::CENSYMBOL) && optname(r, ps::CENSYMBOL, k, n)) st[GS_RIGHT + k].symbol[0] = static_cast<uint32_t>(ggsymbx(n, 8));
            if (k < optcount(r, ps::CENCOLOR) && optname(r, ps::CENCOLOR, k, n)) std::memcpy(st[GS_RIGHT + k].symcolor, n, 8);
        }
        // The PLOTFIT lines: LPLOTFIT, else the style's data lines, else line types 1, 2, 3, ...
        // so that the legend tells the percentiles apart even in black and white.
        for (int k = 0; k < pct; ++k) {
            double v = 0;
            int32_t lt = 0;
            char el[16];
            std::snprintf(el, sizeof el, "GraphData%d", k % 12 + 1);
            if (optnum(r, ps::LPLOTFIT, k, &v))
                st[GS_PCT + k].ltype = static_cast<int16_t>(std::clamp(std::trunc(v), 1.0, 46.0));
            else if (styles(s) && grdxlsty(s->plot.gctx, el, static_cast<int>(std::strlen(el)), &lt))
                st[GS_PCT + k].ltype = static_cast<int16_t>(lt);
            else
                st[GS_PCT + k].ltype = static_cast<int16_t>(k % 46 + 1);
        }
    }
    // Symbol size and jitter.
    double h = 0;
    for (int k = 0; k < g; ++k) h = std::max({h, static_cast<double>(s->plot.symcomp[k].symsize), static_cast<double>(s->plot.symarr[k].symsize)});
    f->symh = h;
    f->symw = first->sizefac * h;
    s->plot.jitter = gparm(r, ps::JITTER, 0.1) * (s->popt.pflags.rotate ? h : f->symw);
    f->symspare = poolbytes(s->pools.stmtpool, sizeof(symrec), poolflag::zeroed);
    if (!f->symspare) {
        xmemmsg(sizeof(symrec));
        return RC_NOMEM;
    }
    return 0;
}

void vyxgpat(vyxstate* s) {
    if (ggetpat(3, s->plot.gpatterns[0], 8) == 3)
        for (auto& p : s->plot.gpatterns) std::memcpy(p, "E       ", 8);
}

int vyxgcol(vyxstate* s) {
    const stmtrec* r = s->inwork.curstmt;
    plotlay* f = s->plot.frame;
    const ggdevice* dev = s->plot.gctx->device;
    const bool st = styles(s);
    const bool mcf = s->popt.pflags.ismcf;
    char name[8];
    int32_t n = 0;
    // Device colours; the frame roles take colour 3 (2 on a device of two or three colours).
    setcolor(s->plot, GC_DEV1, 1);
    setcolor(s->plot, GC_DEV2, dev->ncolors >= 2 ? 2 : 1);
    setcolor(s->plot, GC_DEV3, dev->ncolors > 3 ? 3 : dev->ncolors >= 2 ? 2 : 1);
    const int32_t framedefault = s->plot.colors[GC_DEV3];
    char bg[8];
    std::memcpy(bg, dev->background, 8);
    auto differs = [&](const char* c) { return std::memcmp(c, bg, 8) != 0; };

    // axes
    if (optcolor(r, slot::plot::CAXIS, 0, &n, name)) setnamed(s->plot, GC_AXIS, name);
    else if (st && grdxcclr(s->plot.gctx, "GraphAxisLines", 14, name)) setnamed(s->plot, GC_AXIS, name);
    else setcolor(s->plot, GC_AXIS, 1);
    // text
    if (optname(r, slot::plot::CTEXT, 0, name)) setnamed(s->plot, GC_TEXT, name);
    else if (st && !blank8(s->plot.gctx->valuecolor)) setnamed(s->plot, GC_TEXT, s->plot.gctx->valuecolor);
    else if (st && grdxclr(s->plot.gctx, "GraphValueText", 14, name)) setnamed(s->plot, GC_TEXT, name);
    else setcolor(s->plot, GC_TEXT, 1);
    // reference lines
    const struct { int role, slot; } refs[] = {{GC_HREF, slot::plot::CHREF}, {GC_VREF, slot::plot::CVREF}, {GC_SREF, slot::plot::CSREF}};
    for (const auto& rf : refs) {
        if (rf.role == GC_SREF && mcf) continue;
        if (optname(r, rf.slot, 0, name)) setnamed(s->plot, rf.role, name);
        else if (st && grdxcclr(s->plot.gctx, "GraphReference", 14, name)) setnamed(s->plot, rf.role, name);
        else setcolor(s->plot, rf.role, 1);
    }
    if (!mcf) {
        // the relation plot's boxes
        if (optname(r, slot::plot::CBOXFILL, 0, name)) f->fillcol = ggcnum(0, name);
        else if (st && grdxcclr(s->plot.gctx, "GraphCharts", 11, name)) f->fillcol = ggcnum(0, name);
        else f->fillcol = -1;
        if (optname(r, slot::plot::CBOXES, 0, name)) f->linecol = static_cast<uint32_t>(ggcnum(0, name));
        else if (st && grdxcclr(s->plot.gctx, "GraphOutlines", 13, name)) f->linecol = static_cast<uint32_t>(ggcnum(0, name));
        else f->linecol = 1;
        s->plot.colors[GC_BOXFILL] = f->fillcol;
        s->plot.colors[GC_BOXLINE] = static_cast<int32_t>(f->linecol);
    }
    // the PLOTFIT lines of the relation plot
    if (s->work.pageflags.fitlines && s->plot.gstyles && s->input.stmtkind == 4) {
        symrec* lines = static_cast<symrec*>(s->plot.gstyles) + GS_PCT;
        const int given = optcount(r, slot::plot::CPLOTFIT);
        for (uint32_t k = 0; k < s->opts.pctcount; ++k) {
            char el[16];
            std::snprintf(el, sizeof el, "GraphData%u", k % 12 + 1);
            if (given > 0 && optname(r, slot::plot::CPLOTFIT, static_cast<int>(k), name)) std::memcpy(lines[k].color, name, 8);
            else if (st && grdxcclr(s->plot.gctx, el, static_cast<int>(std::strlen(el)), name)) std::memcpy(lines[k].color, name, 8);
            else std::memset(lines[k].color, ' ', 8);
        }
    }
    // frame (walls): one colour given, else the style's walls when they differ from the
    // device's background, else none; without styles the device's frame colour
    if (optname(r, slot::plot::CFRAME, 0, name)) setnamed(s->plot, GC_FRAME, name);
    else if (st) {
        if (grdxbclr(s->plot.gctx, "GraphWalls", 10, name) && differs(name)) setnamed(s->plot, GC_FRAME, name);
        else s->plot.colors[GC_FRAME] = -1;
    } else setcolor(s->plot, GC_FRAME, framedefault);
    // frame strips
    const struct { int role, slot; } strips[] = {{GC_FRAMETOP, slot::plot::CFRAMETOP}, {GC_FRAMESIDE, slot::plot::CFRAMESIDE}};
    for (const auto& sp : strips) {
        if (optname(r, sp.slot, 0, name)) setnamed(s->plot, sp.role, name);
        else if (st) {
            if (grdxclr(s->plot.gctx, "GraphHeaderBackground", 21, name) && differs(name)) setnamed(s->plot, sp.role, name);
            else s->plot.colors[sp.role] = -1;
        } else setcolor(s->plot, sp.role, framedefault);
    }
    // censor strip and legend
    if (optname(r, slot::plot::CCENSOR, 0, name)) setnamed(s->plot, GC_CENSOR, name);
    else if (st && grdxclr(s->plot.gctx, "GraphLegendBackground", 21, name)) setnamed(s->plot, GC_CENSOR, name);
    else s->plot.colors[GC_CENSOR] = s->plot.colors[GC_FRAME];
    // frame fill: CFRAMENLEG EMPTY gives the empty kind
    if (optname(r, slot::plot::CFRAMENLEG, 0, name)) {
        if (std::memcmp(name, "EMPTY   ", 8) == 0) {
            s->plot.framefill = 'E';
            s->plot.colors[GC_FRAMEFILL] = 0;
        } else {
            s->plot.framefill = 'S';
            setnamed(s->plot, GC_FRAMEFILL, name);
        }
    } else {
        s->plot.framefill = 'N';
        s->plot.colors[GC_FRAMEFILL] = 0;
    }
    // grid: the style's grid lines, else the axis colour
    if (optname(r, slot::plot::CGRID, 0, name)) setnamed(s->plot, GC_GRID, name);
    else if (st && grdxcclr(s->plot.gctx, "GraphGridLines", 14, name)) setnamed(s->plot, GC_GRID, name);
    else {
        s->plot.colors[GC_GRID] = s->plot.colors[GC_AXIS];
        std::memcpy(s->plot.colornames[GC_GRID], s->plot.colornames[GC_AXIS], 8);
    }
    // colour numbers of the first symbol record
    int last = 0;
    if (s->plot.symarr) {
        last = s->plot.symarr[0].colornum = ggcnum(0, s->plot.symarr[0].color);
        if (s->plot.symcomp) s->plot.symcomp[0].symcolnum = ggcnum(0, blank8(s->plot.symcomp[0].symcolor) ? s->plot.symarr[0].color : s->plot.symcomp[0].symcolor);
    }
    return last;
}

int vyxgfrm(vyxstate* s) {
    plotlay* f = s->plot.frame;
    const bool rotate = s->popt.pflags.rotate;
    const double x0 = f->fx - f->gapl, y0 = f->fy - f->gapb;
    const double x1 = f->fx + f->fw + f->gapr, y1 = f->fy + f->fh + f->gapt;
    const bool strip = s->work.nocenplot || s->popt.pflags.cenbin;
    double xw = x1, yw = y1;
    if (strip) {
        if (rotate) xw = f->fx + f->fw + f->gapl;
        else yw = f->fy + f->fh + f->gapb;
    }
    int result = 0;
    const bool cframe = s->popt.cframe[CFR_GIVEN] && s->popt.cframe[CFR_FILL] != 2;
    if (cframe || (styles(s) && s->plot.colors[GC_FRAME] >= 0)) {
        ggfill(0, x0, y0, xw, yw, "S       ", s->plot.colors[GC_FRAME], 0, 1, 1, 1);
        result = 1;
    }
    if (strip && (stmtslot(s->inwork.curstmt, slot::plot::CCENSOR) || result)) {
        if (rotate)
            result = ggfill(0, xw, y0, x1, y1, "S       ", s->plot.colors[GC_CENSOR], 0, s->plot.colors[GC_FRAME], 1, 1) == 0 ? result : 0;
        else
            result = ggfill(0, x0, yw, x1, y1, "S       ", s->plot.colors[GC_CENSOR], 0, s->plot.colors[GC_FRAME], 1, 1) == 0 ? result : 0;
    }
    return result;
}
