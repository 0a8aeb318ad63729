// The relation panel of a probability-plot page (vyxrplt), the level boxes (vyxbox) and
// the symbol legend of the relation plots.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/devgraph/markcolumns.h"
#include "proc/framework/gparm.h"
#include "proc/framework/optslots.h"
#include "proc/devgraph/ppaxes.h"
#include "proc/devgraph/pagebox.h"
#include "proc/devgraph/ppdraw.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/wholenum.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"

namespace {

constexpr double kLog10e = 0.43429448190325182765;
constexpr double kTol = 10000.0 * GZ_UNIT;   // coinciding markers

bool blank8(const char* c) { return vzatl(' ', c, 8) != 0; }
bool missing(double v) { return std::isnan(v); }

// The stress value of a level on the panel's horizontal axis, missing when the relation
// cannot transform it.
double stressx(const vyxstate* s, double v) {
    const double t = s->opts.stress_fn ? s->opts.stress_fn(v) : v;
    if (missing(t)) return t;
    return (s->opts.stressrel == 3 ? t * kLog10e : t) * s->plot.frame->hfac + s->plot.frame->hoff;
}

ggmarkblk markof(const symrec* r) {
    ggmarkblk b{};
    if (!r) return b;
    std::memcpy(b.symbol, r->symbol, sizeof b.symbol);
    b.size = r->symsize;
    b.aux = r->symaux;
    b.attr = (static_cast<uint32_t>(r->symattr) | GGM_POINTS) & ~static_cast<uint32_t>(GGM_NOPOINTS);
    return b;
}
int colorof(const symrec* r) { return r ? ggcnum(0, blank8(r->symcolor) ? r->color : r->symcolor) : 1; }

// Three arrays of markers (exact, right-, left-censored), each drawn when full.
struct Kinds {
    ggmarkblk blk[3];
    int color[3];
    double* pts[3] = {};
    int cap = 0;
    bool seen[3] = {};
    const float* clip = nullptr;
    void add(int k, double x, double y) {
        ggmarkblk& b = blk[k];
        pts[k][2 * b.count] = x;
        pts[k][2 * b.count + 1] = y;
        seen[k] = true;
        if (++b.count == cap) flush(k);
    }
    void flush(int k) {
        if (blk[k].count <= 0) return;
        drawmarks(&blk[k], pts[k], color[k], clip);
        blk[k].count = 0;
    }
};

// Runs of coinciding markers (SHOWMULTIPLES without FREQ): one per kind.
struct Runs {
    double x[3], y[3];
    int n[3] = {};
    void reset() {
        for (int k = 0; k < 3; ++k) x[k] = y[k] = DBL_MAX, n[k] = 0;
    }
};

// The levels of the panel that have a stress value on its axis, in order: f(group, x) for
// each, with styles[0] the level's own marker when the probability side gives each level one;
// a result other than 0 stops the walk and is returned.
template <class F>
int eachlevel(const vyxstate* s, const symrec** styles, F&& f) {
    const int n = static_cast<int>(s->groups.nlev[NLEV_FIRST]);
    int j = 0;
    for (grpnode* g = s->groups.grplist.head; g && j < n; g = g->next, ++j) {
        if (s->input.rspform[RF_READOUT] || !s->groups.levvals[CV_FIRST]) continue;
        const double x = stressx(s, s->groups.levvals[CV_FIRST][j]);
        if (missing(x)) continue;
        if (s->popt.pflags.pplot && s->plot.symcomp) styles[0] = s->plot.symcomp + std::min(j, std::max(s->plot.nsym - 1, 0));
        if (int rc = f(g, x)) return rc;
    }
    return 0;
}

// Where the marker of a plot row stands on the life axis (page y) and its kind (0 exact or
// interval, 1 right-, 2 left-censored); false for a row without a marker.
bool rowmark(const vyxstate* s, const double* r, double* Y, int* kind) {
    const plotlay* f = s->plot.frame;
    const bool ln = s->opts.logscale[LSC_LN] != 0, logs = ln || s->opts.logscale[LSC_LOG10];
    const double c = ln ? 1.0 : std::log(10.0);
    double y;
    int code = 0;
    if (s->input.rspform[RF_INTERVAL]) {
        const double lo = r[OBS_LOWER], hi = r[OBS_UPPER];
        if (missing(lo) && missing(hi)) return false;
        if (missing(lo)) y = hi, code = -2;
        else if (missing(hi)) y = lo, code = -1;
        else if (hi <= lo) y = lo, code = 0;
        else {
            code = -3;
            y = logs ? std::log10(0.5 * (std::exp(c * lo) + std::exp(c * hi))) : (lo + hi) * 0.5;
        }
        if (code != -3 && ln) y *= kLog10e;
    } else {
        y = r[OBS_TIME];
        if (s->input.rspform[RF_CENSOR]) code = static_cast<int>(r[OBS_CENS]);
        if (ln) y *= kLog10e;
    }
    if (code == -4) return false;
    *kind = code == -1 ? 1 : code == -2 ? 2 : 0;
    *Y = y * f->vfac + f->voff;
    return true;
}

// The markers of one level: its rows by the response form.
int levelmarkers(vyxstate* s, grpnode* g, double x, Kinds& m, const symrec* const* styles, LabelRoom* room) {
    const bool freq = s->input.nfreq != 0;
    const int wcol = obsweightcol(s->inwork.rspkind);
    const bool mult = s->work.showmult;
    Runs runs;
    runs.reset();
    auto label = [&](int k) {
        if (runs.n[k] > 1) symb_label(s, styles[k], runs.n[k], runs.x[k], runs.y[k], s->popt.multpos, room);
    };
    auto one = [&](const double* r) {
        double Y;
        int k;
        if (!rowmark(s, r, &Y, &k)) return 0;
        if (mult) {
            if (freq) {
                const int n = static_cast<int>(std::lround(r[wcol]));
                if (n > 1) symb_label(s, styles[k], n, x, Y, s->popt.multpos, room);
            } else if (runs.n[k] > 0 && std::fabs(Y - runs.y[k]) < kTol) {
                ++runs.n[k];
            } else {
                label(k);
                runs.x[k] = x, runs.y[k] = Y, runs.n[k] = 1;
            }
        }
        m.add(k, x, Y);
        return 0;
    };
    if (int rc = eachrow(s, g, one)) return rc;
    if (mult && !freq)
        for (int k = 0; k < 3; ++k) label(k);
    for (int k = 0; k < 3; ++k) m.flush(k);
    return 0;
}

// FITTYPE=MODEL with a continuous stress variable: the line of percentile i goes on from the
// first and the last level to the ends of the lines' span (PCNTLLOWER, PCNTLUPPER), where the
// MODEL gives the percentile (CLASS variables at their first level, the other continuous
// variables at their means).
void modelends(vyxstate* s, int i, const double* pts, int n, int k, const symrec* line, const float* clip) {
    const plotlay* f = s->plot.frame;
    const double lo = s->work.axlim[AX_STRESSLOWER], hi = s->work.axlim[AX_STRESSUPPER];
    const double at[2] = {lo + (hi - lo) * s->popt.pctopts[PCL_LOWER], hi - (hi - lo) * s->popt.pctopts[PCL_UPPER]};
    const int from[2] = {0, n - 1};
    const bool ln = s->opts.logscale[LSC_LN] != 0;
    ParmPair pv(s);
    for (int e = 0; e < 2; ++e) {
        const double* p = pts + 2 * from[e];
        if (missing(p[0]) || missing(p[1])) continue;
        get_parm(s, 0, at[e], k, nullptr);
        double life = hostmissing();
        if (!missing(pv.pair[0]) && !missing(pv.pair[1])) pctl(s, s->opts.pctvals[i] / 100.0, &life);
        double x = s->popt.rplotopt && s->opts.stress_fn ? s->opts.stress_fn(at[e]) : at[e];
        if (missing(life) || missing(x)) continue;
        if (s->opts.stressrel == code::relation::POWER) x *= kLog10e;
        const double seg[4] = {p[0], p[1], x * f->hfac + f->hoff, (ln ? life * kLog10e : life) * f->vfac + f->voff};
        ggpolyblk b{2, line ? line->ltype : int16_t(1), 0, GGP_LINE, 0, seg};
        ggpline(0, &b, line ? ggcnum(0, line->color) : 1, clip);
    }
}

// The percentile lines through the levels' own estimates.
int levellines(vyxstate* s) {
    const plotlay* f = s->plot.frame;
    const int n = static_cast<int>(s->groups.nlev[NLEV_FIRST]);
    const int np = static_cast<int>(s->opts.pctcount);
    if (!s->plot.lvlpct || n <= 0 || np <= 0) return 0;
    auto* pts = static_cast<double*>(poolbytes(s->pools.stmtpool, int64_t(n) * 16, poolflag::raw));
    if (!pts) {
        xmemmsg(int64_t(n) * 16);
        return 1;
    }
    const symrec* st = static_cast<const symrec*>(s->plot.gstyles);
    const float clip[4] = {static_cast<float>(f->fx), static_cast<float>(f->fy), static_cast<float>(f->fx + f->fw), static_cast<float>(f->fy + f->fh)};
    const bool ln = s->opts.logscale[LSC_LN] != 0;
    bool warned = false;
    const int stress = s->work.fitmethod == FIT_MODEL && s->mdl.mdleffinfo[ME_CLASS] == 0 ? modelstressindex(s) : -1;
    for (int i = 0; i < np; ++i) {
        const symrec* line = st ? st + GS_PCT + i : nullptr;
        for (int j = 0; j < n; ++j) {
            pts[2 * j] = s->groups.levvals[CV_FIRST] ? stressx(s, s->groups.levvals[CV_FIRST][j]) : hostmissing();
            double y = s->plot.lvlpct[(static_cast<size_t>(j) * np + i) * PCT_WORDS];
            if (!missing(y)) {
                y = (ln ? y * kLog10e : y) * f->vfac + f->voff;
                if ((y < f->fy || y > f->fy + f->fh) && !warned) {
                    xpmlog(510, W510_PCTLINE_CLIPPED);
                    warned = true;
                }
            }
            pts[2 * j + 1] = y;
        }
        if (n > 1) {
            ggpolyblk b{n, line ? line->ltype : int16_t(1), 0, GGP_LINE, 0, pts};
            ggpline(0, &b, line ? ggcnum(0, line->color) : 1, clip);
        }
        if (stress >= 0) modelends(s, i, pts, n, stress, line, clip);
    }
    return 0;
}

}  // namespace

namespace {

// The entries of the symbol legend in the lower left of the frame, bottom up: for each kind
// that had points (exact, right-, left-censored) by the response form, its message and where
// its marker and its text stand.
struct LegendRow {
    int kind, msg;
    double mx, my, tx, ty;
};
std::vector<LegendRow> legendrows(const vyxstate* s, double sz, const bool* seen, bool skipexact) {
    const plotlay* f = s->plot.frame;
    const double h = f->txth;
    const double M = std::max(sz, h);
    double mx = f->fx + h / 2 + sz / 2, my = f->fy - M / 2;
    double tx = mx + sz / 2 + h * f->chdiv, ty = my - sz / 2;
    struct Entry {
        int kind, msg;
    };
    Entry list[3];
    int n = 0;
    switch (s->inwork.rspkind) {
        case 0: list[n++] = {0, T510_UNCENSORED}; break;
        case 1: list[n++] = {1, T510_RIGHT_CENSORED}, list[n++] = {0, T510_UNCENSORED}; break;
        case 2:
            list[n++] = {2, T510_LEFT_CENSORED}, list[n++] = {1, T510_RIGHT_CENSORED}, list[n++] = {0, T510_INTERVAL_CENSORED};
            break;
        default: break;
    }
    std::vector<LegendRow> rows;
    for (int e = 0; e < n; ++e) {
        const int k = list[e].kind;
        if (!seen[k] || (k == 0 && skipexact)) continue;
        my += 1.25 * M;
        ty += 1.25 * M;
        rows.push_back({k, list[e].msg, mx, my, tx, ty});
    }
    return rows;
}

int legendtext(int msg, char buf[20]) {
    std::memset(buf, ' ', 20);
    return wzstrip(buf, xpmstr(buf, 20, 510, msg));
}

}  // namespace

void symlegend(vyxstate* s, const ggmarkblk* blocks, const int* colors, const bool* seen, bool skipexact) {
    ggtext t = plottext(s, s->plot.frame->txth);
    t.align = 1;
    char buf[20];
    for (const LegendRow& r : legendrows(s, blocks[0].size, seen, skipexact)) {
        ggmarkblk b = blocks[r.kind];
        double pt[2] = {r.mx, r.my};
        b.count = 1;
        b.pts = pt;
        ggpmark(0, &b, colors[r.kind], nullptr);
        drawtext(t, buf, legendtext(r.msg, buf), r.tx, r.ty);
    }
}

void legendink(vyxstate* s, double size, const bool* seen, bool skipexact, PanelInk* ink) {
    const plotlay* f = s->plot.frame;
    ggtext t = plottext(s, f->txth);
    t.align = 1;
    char buf[20];
    for (const LegendRow& r : legendrows(s, size, seen, skipexact)) {
        const double hy = 0.5 * size, hx = hy * f->chdiv;
        ink->addmark(PageBox{r.mx - hx, r.my - hy, r.mx + hx, r.my + hy});
        const int len = legendtext(r.msg, buf);
        ink->texts.push_back({r.tx, r.ty - 0.22 * f->txth, r.tx + textwidth(t, buf, len), r.ty + 0.76 * f->txth});
    }
}

bool levellinesdrawn(const vyxstate* s) {
    int lines = 0;
    for (const grpnode* g = s->groups.grplist.head; g; g = g->next) lines += g->fitlines && !g->nocurve && !g->nofit;
    const bool ends = s->work.fitmethod == FIT_MODEL && s->mdl.mdleffinfo[ME_CLASS] == 0 && modelstressindex(s) >= 0;
    return lines > 1 || (lines == 1 && ends);
}

void pctlegendframe(vyxstate* s) {
    const plotlay* f = s->plot.frame;
    if (!s->work.rellegend || !s->plot.legends[LG_PCT]) return;
    const float x0 = static_cast<float>(f->fx - f->gapl), y0 = static_cast<float>(f->fy - f->gapb);
    const float x1 = static_cast<float>(f->fx + f->fw + f->gapr), y1 = static_cast<float>(f->fy + f->fh + f->gapt);
    const float corners[9] = {0, x0, y0, x0, y1, x1, y1, x1, y0};
    std::copy(corners, corners + 9, s->plot.gldraw);
    legend(s, LG_PCT);
}

int vyxbox(vyxstate* s) {
    plotlay* f = s->plot.frame;
    const stmtrec* r = s->inwork.curstmt;
    double* const* A = s->life.ppcarr;
    if (!A[PPC_LARGEST] || !s->plot.boxpos) return 0;
    ggregion clipr{f->fx - f->gapl, f->fy - f->gapb, f->fx + f->fw + f->gapr, f->fy + f->fh + f->gapt, 2, 0};
    int32_t saved = 0;
    ggrba(0, &clipr, &saved, 0, 7);
    const double W = f->markw;
    // Widths by the levels' sizes (BOXWIDTHSCALE), at least wmin.
    const double smin = s->life.nfailrng[RG_LO], smax = s->life.nfailrng[RG_HI];
    const optslot* scale = stmtslot(r, slot::plot::BOXWIDTHSCALE);
    int kind = 0;   // 0 no scaling, 1 log, 2 identity, 3 power
    double pw = 0, wmin = 0.3333333 * W;
    if (scale && smax > smin) {
        pw = scale->num;
        if (std::fabs(pw) < GZ_EPS) kind = 1;
        else if (std::fabs(pw - 1.0) < GZ_EPS) kind = 2;
        else if (pw > 0.0) kind = 3;
        const double bw = gparm(r, slot::plot::BOXWIDTH, -1.0);
        if (stmtslot(r, slot::plot::BOXWIDTH) && 0.5 * bw > 0.0 && 0.5 * bw < W) wmin = 0.5 * bw;
    }
    auto fv = [&](double v) { return kind == 1 ? std::log(v) : kind == 2 ? v : std::pow(v, pw); };
    const double slope = kind ? (W - wmin) / (fv(smax) - fv(smin)) : 0.0;
    setwidth(s, 1);
    const int width = s->plot.gctx ? s->plot.gctx->linewidth[0] : 1;
    const optslot* lb = stmtslot(r, slot::plot::LBOXES);
    const int ltype = lb && lb->kind == SK_NUMBER ? satint(lb->num) : 1;
    const bool empty = f->fillcol == -1 && !stmtslot(r, slot::plot::CBOXFILL);
    const char* pattern = empty ? "E       " : "S       ";
    const int linecol = static_cast<int>(f->linecol);
    const double top = f->fy + f->fh + f->gapt, bottom = f->fy - f->gapb;
    auto Y = [&](double v) { return v * f->vfac + f->voff; };
    for (int j = s->plot.boxlev[LVR_FIRST]; j <= s->plot.boxlev[LVR_LAST]; ++j) {
        if (j < 0 || j >= static_cast<int>(s->groups.nlev[NLEV_FIRST])) continue;
        if (A[PPC_LARGEST][j] == DBL_MAX || missing(A[PPC_LARGEST][j]) || missing(s->plot.boxpos[j])) continue;
        double h = W, c = 0.5 * W;
        if (kind) {
            h = wmin + slope * (fv(A[PPC_NFAIL][j]) - fv(smin));
            c = 0.5 * h;
        }
        const double x = s->plot.boxpos[j] * f->hfac + f->hoff;
        const double a0 = Y(A[PPC_LARGEST][j]), a1 = Y(A[PPC_UPPERQ][j]), a2 = Y(A[PPC_MEDIAN][j]), a3 = Y(A[PPC_LOWERQ][j]), a4 = Y(A[PPC_SMALLEST][j]);
        if (A[PPC_UPPERQ][j] != A[PPC_LOWERQ][j]) ggfill(0, x - h, std::fmin(a1, top), x + h, std::fmax(a3, bottom), pattern, f->fillcol, 4, linecol, ltype, width);
        if (A[PPC_LARGEST][j] != A[PPC_SMALLEST][j]) {
            ggdraw(0, x, a0, x, a1, ltype, linecol);
            ggdraw(0, x, a3, x, a4, ltype, linecol);
            ggdraw(0, x - c, a0, x + c, a0, ltype, linecol);
            ggdraw(0, x - c, a4, x + c, a4, ltype, linecol);
        }
        if (!missing(A[PPC_MEDIAN][j])) ggdraw(0, x - h, a2, x + h, a2, 1, linecol);
        const symrec* mark = s->popt.pflags.pplot && s->plot.symcomp ? s->plot.symcomp + std::min(j, std::max(s->plot.nsym - 1, 0)) : static_cast<const symrec*>(s->plot.gstyles);
        if (mark && !missing(A[PPC_MEAN][j])) ggsymb(0, x, Y(A[PPC_MEAN][j]), mark);
    }
    resetwidth(s);
    ggrdba(0, 2, &saved, &clipr, 0, 7);
    return 0;
}

// What the relation panel draws, as the labels of its reference lines keep clear of it: the
// levels' markers and medians, the symbol legend and the percentile lines through the levels.
void relpanelink(vyxstate* s, const grpnode*, PanelInk* ink) {
    const plotlay* f = s->plot.frame;
    const auto& p = s->popt.pflags;
    const pageflagset* pg = &s->work.pageflags;
    const int n = static_cast<int>(s->groups.nlev[NLEV_FIRST]);
    const symrec* st = static_cast<const symrec*>(s->plot.gstyles);
    if (!pg->boxes && (pg->data || pg->medians) && st) {
        bool seen[3] = {};
        const symrec* styles[3] = {st + GS_EXACT, st + GS_RIGHT, st + GS_LEFT};
        MarkColumns cols(ink);   // a level's rows stand in a column: no box kept per row
        auto add = [&](int k, double x, double y) {
            const double hy = 0.5 * styles[k]->symsize, hx = hy * f->chdiv;
            cols.add(PageBox{x - hx, y - hy, x + hx, y + hy});
            seen[k] = true;
        };
        eachlevel(s, styles, [&](grpnode* g, double x) {
            if (pg->medians) {
                const double med = g->ppcslot[PPC_MEDIAN] ? *g->ppcslot[PPC_MEDIAN] : hostmissing();
                if (!missing(med)) add(0, x, med * f->vfac + f->voff);
            }
            if (pg->data)
                eachrow(s, g, [&](const double* r) {
                    double Y;
                    int k;
                    if (rowmark(s, r, &Y, &k)) add(k, x, Y);
                    return 0;
                });
            return 0;
        });
        cols.flush();
        if (p.noinset) legendink(s, styles[0]->symsize, seen, p.pplot, ink);
    }
    const int np = static_cast<int>(s->opts.pctcount);
    if (!pg->fitlines || !s->plot.lvlpct || n <= 1 || np <= 0) return;
    const bool ln = s->opts.logscale[LSC_LN] != 0;
    for (int i = 0; i < np; ++i) {
        double px = NAN, py = NAN;
        for (int j = 0; j < n; ++j) {
            const double x = s->groups.levvals[CV_FIRST] ? stressx(s, s->groups.levvals[CV_FIRST][j]) : NAN;
            double y = s->plot.lvlpct[(static_cast<size_t>(j) * np + i) * PCT_WORDS];
            y = missing(y) ? NAN : (ln ? y * kLog10e : y) * f->vfac + f->voff;
            if (!missing(x) && !missing(y) && !missing(px) && !missing(py)) ink->addline(PageBox{px, py, x, y});
            px = x, py = y;
        }
    }
}

int vyxrplt(vyxstate* s) {
    plotlay* f = s->plot.frame;
    const auto& p = s->popt.pflags;
    // The bytes the panel clears are given back at its end: a later destination draws its
    // probability panels with them again.
    const uint8_t keepgrid = s->plot.gridsave, keepcens = s->work.nocenplot, keepbnd = s->work.lifebnd;
    s->work.nocenplot = 0;
    s->work.lifebnd = 0;
    int rc = 0;
    auto done = [&](int r) {
        s->plot.gridsave = keepgrid;
        s->work.nocenplot = keepcens;
        s->work.lifebnd = keepbnd;
        return r;
    };
    if (stmtslot(s->inwork.curstmt, slot::plot::CFRAME) || s->popt.cframe[CFR_GIVEN] == 2) vyxgfrm(s);
    pctlegendframe(s);
    // The stress axis is not a probability axis: only the life grid is drawn here, and the
    // axes are drawn first so that the grid takes the panel's mapping.
    vyxrax(s);
    if (p.nogrid) {
        s->plot.gridsave = 0;
        vyxggrd(s);
    }
    if (s->work.refs.counts[REF_VREF]) {
        s->work.refstop2 = 0;   // no intersections on a relation plot
        vyxgvrl(s, nullptr, relpanelink);
    }
    if (s->work.refs.counts[REF_SREF] > 0) vyxgsrl(s, relpanelink);

    const pageflagset* pg = &s->work.pageflags;
    const int n = static_cast<int>(s->groups.nlev[NLEV_FIRST]);
    const symrec* st = static_cast<const symrec*>(s->plot.gstyles);
    if (!pg->boxes && (pg->data || pg->medians) && st) {
        Kinds m;
        m.cap = static_cast<int>(std::max<uint32_t>(s->opts.rowlay[RL_BUFROWS], 1));
        const float clip[4] = {static_cast<float>(f->fx - f->gapl), static_cast<float>(f->fy - f->gapb), static_cast<float>(f->fx + f->fw + f->gapr),
                               static_cast<float>(f->fy + f->fh + f->gapt)};
        m.clip = clip;
        for (int k = 0; k < 3; ++k) {
            m.pts[k] = static_cast<double*>(poolbytes(s->pools.stmtpool, int64_t(m.cap) * 16, poolflag::raw));
            if (!m.pts[k]) {
                xmemmsg(int64_t(m.cap) * 16);
                return done(1);
            }
        }
        const symrec* styles[3] = {st + GS_EXACT, st + GS_RIGHT, st + GS_LEFT};
        // The counts of coinciding markers keep clear of each other across the levels.
        LabelRoom room(PageBox{0.0, 0.0, 100.0, 100.0});
        bool any = false;
        rc = eachlevel(s, styles, [&](grpnode* g, double x) {
            any = true;
            for (int k = 0; k < 3; ++k) {
                m.blk[k] = markof(styles[k]);
                m.color[k] = colorof(styles[k]);
            }
            if (pg->medians) {
                const double med = g->ppcslot[PPC_MEDIAN] ? *g->ppcslot[PPC_MEDIAN] : hostmissing();
                if (!missing(med)) m.add(0, x, med * f->vfac + f->voff);
                m.flush(0);
            }
            return pg->data ? levelmarkers(s, g, x, m, styles, &room) : 0;
        });
        if (rc != 0) return done(rc);
        if (p.noinset) {
            if (!any) {
                for (int k = 0; k < 3; ++k) m.blk[k] = markof(styles[k]), m.color[k] = colorof(styles[k]);
            }
            symlegend(s, m.blk, m.color, m.seen, p.pplot);
        }
    }
    if (pg->boxes) {
        s->plot.boxpos = static_cast<double*>(poolbytes(s->pools.stmtpool, int64_t(std::max(n, 1)) * 8, poolflag::raw));
        if (!s->plot.boxpos) {
            xmemmsg(int64_t(std::max(n, 1)) * 8);
            return done(1);
        }
        for (int j = 0; j < n; ++j) {
            const double t = s->opts.stress_fn && s->groups.levvals[CV_FIRST] ? s->opts.stress_fn(s->groups.levvals[CV_FIRST][j]) : hostmissing();
            s->plot.boxpos[j] = missing(t) ? t : s->opts.stressrel == 3 ? t * kLog10e : t;
        }
        s->plot.boxlev[LVR_FIRST] = s->plot.lvlrange[LVR_FIRST];
        s->plot.boxlev[LVR_LAST] = s->plot.lvlrange[LVR_LAST];
        vyxbox(s);
    }
    if (pg->fitlines) rc = levellines(s);
    return done(rc);
}
