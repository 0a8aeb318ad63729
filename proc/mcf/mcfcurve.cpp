// One group's mean cumulative function on the page: its estimates as steps, joined lines or
// points alone, its confidence limits, and the end-of-observation marks of its units in
// the strip above the frame (one by one, moved apart when they coincide) or counted in
// the CENBIN bins.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/mcf/mcf_internal.h"
#include "proc/mcf/mcfplot.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kTiny = 1.110223024625157e-16;
constexpr double kTol = 10000 * kTiny;
enum : uint32_t { KIND_POINTS = 0, KIND_STEP = 1, KIND_JOIN = 2 };

double* buffer(vyxstate* s, int n) {
    const int64_t bytes = int64_t(std::max(n, 1)) * 16;
    auto* p = static_cast<double*>(poolbytes(s->pools.workpool, bytes, poolflag::raw));
    if (!p) xmemmsg(bytes);
    return p;
}

// The largest end time the last step runs to: the group's, or with a difference of two
// groups the smaller of theirs.
double lastend(const vyxstate* s, const grpnode* g) {
    if (s->popt.pflags.mcfdiff && s->groups.grplist.head && s->groups.grplist.head->next)
        return std::min(s->groups.grplist.head->mcf.endmax, s->groups.grplist.head->next->mcf.endmax);
    return g->mcf.endmax;
}

struct Curve {
    vyxstate* s;
    const plotlay* f;
    bool loglog;
    int color;
    int ltype, limtype;
    double xmin, xmax, ymin, ymax;   // the plot area on the page
    // Where the time axis starts and ends on the page: a step or a limit before HLOWER= (or
    // after HUPPER=) would run between the axis line and the end tick, where the axis shows
    // no time.
    double tmin = -DBL_MAX, tmax = DBL_MAX;
    PanelInk* ink = nullptr;         // given: the segments go there, nothing is drawn

    // Page position of a time or an estimate; false when it has none (log of a value not
    // above 0).
    bool x(double t, double* out) const {
        if (loglog) {
            if (!(t > 0)) return false;
            t = std::log10(t);
        }
        *out = t * f->hfac + f->hoff;
        return true;
    }
    bool y(double m, double* out) const {
        if (std::isnan(m)) return false;
        if (loglog) {
            if (!(m > kTiny)) return false;
            m = std::log10(m);
        }
        *out = m * f->vfac + f->voff;
        return true;
    }
    bool inside(double py) const { return py >= ymin - kTol && py <= ymax + kTol; }
    // The part of a segment inside the plot area (the marks above it are not clipped); a
    // segment along the time (`along`: steps, joins, the limits' steps) within the axis.
    void segment(double x0, double y0, double x1, double y1, int type, bool along = true) const {
        if (ink && ink->off(x0, y0, x1, y1)) return;   // most of a million lie far from the corners
        double t0 = 0, t1 = 1;
        const double dx = x1 - x0, dy = y1 - y0;
        const double lo = along ? std::max(xmin, tmin) : xmin, hi = along ? std::min(xmax, tmax) : xmax;
        const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x0 - lo, hi - x0, y0 - ymin, ymax - y0};
        for (int k = 0; k < 4; ++k) {
            if (p[k] == 0) {
                if (q[k] < 0) return;
                continue;
            }
            const double r = q[k] / p[k];
            if (p[k] < 0) t0 = std::max(t0, r);
            else t1 = std::min(t1, r);
        }
        if (t0 > t1) return;
        if (ink)
            ink->addline(PageBox{x0 + t0 * dx, y0 + t0 * dy, x0 + t1 * dx, y0 + t1 * dy});
        else
            ggdraw(0, x0 + t0 * dx, y0 + t0 * dy, x0 + t1 * dx, y0 + t1 * dy, type, color);
    }
};


// One level of the curve or a limit: the page height it had at the page position x.
struct Level {
    double x = 0, y = 0;
    bool set = false;
};

// The page heights of record r's limits at the page position px (a level is not set where its
// limit has no place on the axis).
void limitlevels(const Curve& c, const vyxstate* s, const mcfrec& r, double z, double px, Level* nl, Level* nu) {
    double l = 0, u = 0;
    mcflimits(r.mcf, r.se, z, s->mcf.mcfopt.loglims != 0, &l, &u);
    nl->x = nu->x = px;
    nl->set = c.y(l, &nl->y);
    nu->set = c.y(u, &nu->y);
}

// One group's curve walked record by record: drawn, or (ink given) its markers and the
// segments of its curve and limits told, nothing drawn or counted.
int walkcurve(vyxstate* s, const grpnode* g, PanelInk* ink) {
    plotlay* f = s->plot.frame;
    const auto& p = s->popt.pflags;
    const double z = zprobitq(s->opts.alpha / 2);
    const symrec* line = g->sym[0] ? g->sym[0] : s->plot.symarr;
    const symrec* point = g->sym[1] ? g->sym[1] : line;
    const symrec* mark = g->censtyle ? g->censtyle : point;
    const bool drawing = ink == nullptr;
    if (drawing) setwidth(s, 1);
    const int rows = s->opts.rowlay[RL_BUFROWS] > 0 ? static_cast<int>(s->opts.rowlay[RL_BUFROWS]) : static_cast<int>(MCF_BUFRECS);
    const bool onebyone = drawing && s->work.nocenplot && !p.cenbin;

    Curve c{s, f, s->opts.logscale[LSC_LN] != 0, line && drawing ? ggcnum(0, line->color) : 1, line && line->ltype > 0 ? line->ltype : 1, 1,
            f->fx - f->gapl, f->fx + f->fw + f->gapr, f->fy - f->gapb, f->fy + f->fh};
    c.tmin = f->fx;
    c.tmax = f->fx + f->fw;
    c.ink = ink;
    // Limits in a line type of their own beside their curve, so that the two are told apart
    // without colour: dotted beside a solid curve, else the curve's pattern with wider gaps
    // (types 21 to 39 repeat 2 to 20 so; no group's curve takes one of them).
    c.limtype = c.ltype == 1 ? 2 : c.ltype >= 2 && c.ltype <= 20 ? c.ltype + 19 : c.ltype;

    Marks pts, ends;
    const float clip[4] = {static_cast<float>(c.xmin), static_cast<float>(c.ymin), static_cast<float>(c.xmax), static_cast<float>(c.ymax)};
    if (drawing) {
        pts.cap = std::min(std::max(g->mcf.nrec, 1), rows);
        if (!(pts.pts = buffer(s, pts.cap))) return RC_REPORTED;
        pts.style(point);
        pts.clip = clip;
    }
    if (onebyone) {
        ends.cap = std::min(std::max(static_cast<int>(std::lround(g->mcf.nunits)), 1), rows);
        if (!(ends.pts = buffer(s, ends.cap))) return RC_REPORTED;
        ends.style(mark);
    }
    const int nbins = drawing && p.cenbin && s->plot.lifeticks && s->plot.lifecounts ? static_cast<int>(s->plot.tickinfo[TI_NBOUNDS]) - 1 : 0;
    for (int i = 0; i < nbins; ++i) s->plot.lifecounts[i] = 0;
    const double hy = 0.5 * (point && point->symsize > 0 ? point->symsize : f->symh), hx = hy * f->chdiv;

    // The marks lie in the strip above the frame, half a symbol above its lower edge.
    const double markrow = f->fy + f->fh + f->gapb + 0.5 * f->symh;
    const double widen = 100 * kTol;
    const double hlo = f->hmin * f->hfac + f->hoff - widen, hhi = f->hmax * f->hfac + f->hoff + widen;

    Level cur, lo, hi;
    cur.x = f->fx;
    cur.set = c.y(0.0, &cur.y) && !c.loglog;   // under LOGLOG no step from the origin
    const bool limits = !s->work.noconf && s->mcf.mcfopt.wantlims;
    const uint32_t kind = s->mcf.mcftype;
    double ref = -DBL_MAX, shift = 0;
    mcfwalk w;
    int rc = mcfwalkstart(&w, g, false);
    // The difference records live in the root's file only, written one record at a time:
    // they are read back one at a time.
    mcfrec one[1];
    if (!rc && !w.buf) {
        w.buf = one;
        w.perblock = 1;
    }
    for (mcfrec* r = rc ? nullptr : mcfwalknext(&w, &rc); r; r = mcfwalknext(&w, &rc)) {
        double px;
        if (!c.x(r->time, &px)) continue;
        if (s->inwork.rspkind == MCF_EXACT && ismissing(r->value)) {
            if (nbins > 0) {
                const double t = c.loglog ? std::log10(r->time) : r->time;
                const double* e = s->plot.lifeticks;
                for (int i = 0; i < nbins; ++i)
                    if (e[i] <= t && (t < e[i + 1] || (i + 1 == nbins && t <= e[i + 1]))) {
                        ++s->plot.lifecounts[i];
                        break;
                    }
            }
            if (onebyone && px >= hlo && px <= hhi) {
                if (std::fabs(px - ref) <= kTol) {
                    shift += s->plot.jitter;
                } else {
                    ref = px;
                    shift = 0;
                }
                ends.add(ref + shift, markrow);
            }
            continue;
        }
        double py;
        if (!c.y(r->mcf, &py)) continue;
        if (px >= hlo && px <= hhi) {
            if (drawing)
                pts.add(px, py);
            else if (py >= c.ymin && py <= c.ymax && !ink->off(px - hx, py - hy, px + hx, py + hy))
                ink->addmark(PageBox{px - hx, py - hy, px + hx, py + hy});
        }
        if (kind == KIND_STEP && cur.set) c.segment(cur.x, cur.y, px, cur.y, c.ltype);
        if (kind == KIND_JOIN && cur.set) c.segment(cur.x, cur.y, px, py, c.ltype);
        cur = {px, py, true};
        if (!limits) continue;
        Level nl, nu;
        limitlevels(c, s, *r, z, px, &nl, &nu);
        const double half = 0.5 * f->vtickl;
        for (auto [prev, now] : {std::pair<Level*, Level*>{&lo, &nl}, {&hi, &nu}}) {
            if (kind == KIND_STEP) {
                if (prev->set) c.segment(prev->x, prev->y, px, prev->y, c.limtype);
            } else if (now->set && c.inside(now->y)) {
                c.segment(px - half, now->y, px + half, now->y, 1, false);
            }
            *prev = *now;
        }
    }
    if (!rc) rc = mcfwalkend(&w);

    // The last step runs on to the group's last end of observation, within the axis.
    if (!rc && kind == KIND_STEP) {
        double px;
        if (c.x(lastend(s, g), &px)) {
            px = std::min(px, f->fx + f->fw);
            for (const Level* v : {&cur, &lo, &hi})
                if (v->set && v->x < px && c.inside(v->y)) c.segment(v->x, v->y, px, v->y, v == &cur ? c.ltype : c.limtype);
        }
    }
    if (drawing) {
        pts.flush();
        ends.flush();
        resetwidth(s);
    }
    return rc;
}

}  // namespace

int vyxcfdw(vyxstate* s, grpnode* g) { return walkcurve(s, g, nullptr); }

void mcfink(vyxstate* s, const grpnode* g, PanelInk* ink) {
    if (g && ink) walkcurve(s, g, ink);
}
