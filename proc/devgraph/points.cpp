// Plotted points of one group on a probability plot, their nonparametric limits and the
// censored marks (vyxppnt); counts written beside symbols (symb_label).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/devgraph/pagebox.h"
#include "proc/devgraph/ppdraw.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"

namespace {

constexpr double kEps = 10000.0 * GZ_UNIT;   // plotted probabilities lie in (kEps, 1 - kEps)

struct Setup {
    double plo, phi;            // probability bounds of the axis
    bool limits;                // nonparametric limits are drawn
    bool simfail, siminterval;  // which limits: simultaneous for failures / for interval data
    double half;                // half-length of a limit bar
    double amin, amax;          // accepted range of the life coordinate
    double strip;               // position of the censored marks across the life axis
    float clip[4];
    bool rotate, ln;
};

Setup setup(const vyxstate* s) {
    const plotlay* f = s->plot.frame;
    Setup u{};
    const double* L = s->popt.panels.pctlist;
    u.phi = L ? L[f->plast] / 100.0 + 1000.0 * GZ_UNIT : 1.0;
    u.plo = L ? L[f->pfirst] / 100.0 - 1000.0 * GZ_UNIT : 0.0;
    const uint32_t np = s->popt.plotcodes[PC_NPINTERVALS];
    u.limits = pointlimits(s, &u.simfail);
    u.siminterval = !(np == 2 || s->popt.pflags.pconfplt);
    u.rotate = s->popt.pflags.rotate != 0;
    u.ln = s->opts.logscale[LSC_LN] != 0;
    u.half = u.rotate ? 0.5 * f->htickl : 0.5 * f->vtickl;
    if (!u.rotate) {
        u.amin = f->fx - f->gapl, u.amax = f->fx + f->fw + f->gapr;
        u.strip = f->fy + f->fh + f->gapb + 0.5 * f->symh;
    } else {
        u.amin = f->fy - f->gapb, u.amax = f->fy + f->fh + f->gapt;
        u.strip = f->fx + f->fw + f->gapl + 0.5 * f->symw;
    }
    const bool side = s->work.nocenplot && u.rotate;
    u.clip[0] = static_cast<float>(f->fx - f->gapl);
    u.clip[1] = static_cast<float>(f->fy - f->gapb);
    u.clip[2] = static_cast<float>(side ? f->fx + f->fw : f->fx + f->fw + f->gapr);
    u.clip[3] = static_cast<float>(side ? f->fy + f->fh + f->gapt : f->fy + f->fh);
    return u;
}

// Frame coordinates of (life coordinate, z) by the orientation; life is already mapped.
void place(const vyxstate* s, const Setup& u, double life, double z, double* x, double* y) {
    const plotlay* f = s->plot.frame;
    if (!u.rotate) {
        *x = life;
        *y = z * f->vfac + f->voff;
    } else {
        *x = z * f->hfac + f->hoff;
        *y = life;
    }
}

double lifecoord(const plotstate& plot, const Setup& u, double t) {
    const plotlay* f = plot.frame;
    const double v = u.ln ? t * std::log10(std::exp(1.0)) : t;
    return u.rotate ? v * f->vfac + f->voff : v * f->hfac + f->hoff;
}

// One plotted point with its limit bars; false when it is not drawn.
bool point(vyxstate* s, const Setup& u, Marks& m, double p, double t, double lo, double hi, int tied, const symrec* style) {
    if (!(p > kEps && p < 1.0 - kEps)) return false;
    const double life = lifecoord(s->plot, u, t);
    if (!(life >= u.amin && life <= u.amax)) return false;
    double x, y;
    place(s, u, life, s->opts.quant_fn(p), &x, &y);
    if (s->work.showmult && tied > 1) symb_label(s, style, tied, x, y, s->popt.multpos);
    if (u.limits && !std::isnan(lo) && !std::isnan(hi)) {
        for (double q : {lo, hi}) {
            if (!(q > 0.0 && q < 1.0)) continue;
            double bx, by;
            place(s, u, life, s->opts.quant_fn(q), &bx, &by);
            if (!u.rotate)
                ggdraw(0, bx - u.half, by, bx + u.half, by, 1, m.color);
            else
                ggdraw(0, bx, by - u.half, bx, by + u.half, 1, m.color);
        }
    }
    m.add(x, y);
    return true;
}

// The failure points from the group's curve records.
int failures(vyxstate* s, grpnode* g, const Setup& u, Marks& m) {
    const symrec* style = g->sym[1];
    auto one = [&](const double* r) {
        const double lo = u.simfail ? r[CR_SIMLOWER] : r[CR_LOWER];
        const double hi = u.simfail ? r[CR_SIMUPPER] : r[CR_UPPER];
        point(s, u, m, r[CR_PPOS], r[CR_TIME], lo, hi, static_cast<int>(std::lround(r[CR_WEIGHT])), style);
    };
    const int32_t n = g->ncurve;
    if (g->crvinmem || !g->ufile2) {
        for (int32_t i = 0; g->crvbuf && i < n; ++i) one(g->crvbuf + static_cast<size_t>(i) * CR_WORDS);
        return 0;
    }
    auto* block = static_cast<double*>(poolbytes(s->pools.workpool, CR_BLOCKBYTES, poolflag::raw));
    if (!block) {
        xmemmsg(CR_BLOCKBYTES);
        return 1;
    }
    xcpoint(g->ufile2, 0);
    for (int32_t done = 0; done < n;) {
        if (xcread(g->ufile2, block, CR_BLOCKBYTES) != 0) {
            xpmlog(510, E510_FILE_ENDS_EARLY);
            return RC_READ;
        }
        const int32_t k = std::min<int32_t>(CR_PERBLOCK, n - done);
        for (int32_t i = 0; i < k; ++i) one(block + static_cast<size_t>(i) * CR_WORDS);
        done += k;
    }
    return 0;
}

// The points of interval data: the right ends of the Turnbull intervals but the last.
void intervals(vyxstate* s, grpnode* g, const Setup& u, Marks& m) {
    const int32_t n = g->nturn;
    const double* a = g->emtab;
    if (!a || n < 2) return;
    auto arr = [&](int k) { return a + static_cast<size_t>(k) * n; };
    for (int32_t i = 0; i + 1 < n; ++i) {
        const double p = arr(EMT_CUM)[i];
        if (!(p > kEps && p < 1.0 - kEps) || p < u.plo || p > u.phi) continue;
        const double lo = u.siminterval ? arr(EMT_SIMLOWER)[i] : arr(EMT_LOWER)[i];
        const double hi = u.siminterval ? arr(EMT_SIMUPPER)[i] : arr(EMT_UPPER)[i];
        point(s, u, m, p, arr(EMT_RIGHT)[i], lo, hi, 0, g->sym[1]);
    }
}

// The censored marks in the strip outside the frame, from the group's rows.
int censored(vyxstate* s, grpnode* g, const Setup& u, Marks& c) {
    const bool freq = s->input.nfreq != 0;
    const int wcol = 2;
    double runpos = 0;
    int runcount = 0;
    auto label = [&](double pos, int count) {
        if (count <= 1) return;
        double x = u.rotate ? u.strip : pos, y = u.rotate ? pos : u.strip;
        symb_label(s, g->censtyle, count, x, y, "SW      ");
    };
    auto one = [&](const double* r) {
        if (r[OBS_CENS] == 0) return 0;
        const double life = lifecoord(s->plot, u, r[OBS_TIME]);
        if (!(life >= u.amin && life <= u.amax)) return 0;
        const double x = u.rotate ? u.strip : life, y = u.rotate ? life : u.strip;
        if (s->work.showmult) {
            if (freq) {
                const int n = static_cast<int>(std::lround(r[wcol]));
                if (n > 1) symb_label(s, g->censtyle, n, x, y, "SW      ");
            } else if (runcount > 0 && std::fabs(life - runpos) < kEps) {
                ++runcount;
            } else {
                label(runpos, runcount);
                runpos = life;
                runcount = 1;
            }
        }
        c.add(x, y);
        return 0;
    };
    if (int rc = eachrow(s, g, one)) return rc;
    if (s->work.showmult && !freq) label(runpos, runcount);
    return 0;
}

double* buffer(vyxstate* s, int64_t n) {
    if (n <= 0) return nullptr;
    auto* p = static_cast<double*>(poolbytes(s->pools.workpool, n * 16, poolflag::raw));
    if (!p) xmemmsg(n * 16);
    return p;
}

}  // namespace

bool pointlimits(const vyxstate* s, bool* sim) {
    const uint32_t np = s->popt.plotcodes[PC_NPINTERVALS];
    *sim = np == 1;
    return np == 1 || np == 2 || s->popt.pflags.pconfplt;
}

int vyxppnt(vyxstate* s, grpnode* g) {
    const Setup u = setup(s);
    const bool interval = s->input.rspform[RF_INTERVAL] != 0;
    int64_t n = s->opts.rowlay[RL_BUFROWS];
    if (!g->ufile) n = std::min<int64_t>(n, interval ? g->nturn : g->ncurve);
    Marks m;
    m.style(g->sym[1]);
    m.clip = u.clip;
    // Every buffer goes with the clipping rectangle: a full buffer without it would let
    // points beyond the probability axis be drawn outside the frame.
    if (n > 0) {
        if (!(m.pts = buffer(s, n))) return 1;
        m.cap = static_cast<int>(n);
        s->plot.linepts = m.pts;
    }
    Marks c;
    const bool marks = s->work.nocenplot && s->input.rspform[RF_CENSOR] && !interval;
    if (marks) {
        const int64_t k = std::min<int64_t>(s->opts.rowlay[RL_BUFROWS], g->ncens);
        c.style(g->censtyle ? g->censtyle : g->sym[1]);
        if (k > 0) {
            if (!(c.pts = buffer(s, k))) return 1;
            c.cap = static_cast<int>(k);
        }
    }
    int rc = 0;
    if (m.cap > 0) {
        if (interval)
            intervals(s, g, u, m);
        else
            rc = failures(s, g, u, m);
    }
    if (rc == 0 && c.cap > 0) rc = censored(s, g, u, c);
    m.flush();
    c.flush();
    return rc;
}

void symb_label(vyxstate* s, const symrec* style, int count, double x, double y, const char position[8], LabelRoom* room) {
    const plotlay* f = s->plot.frame;
    enum Dir { NONE, NE, SE, SW, NW, N, S, E, W };
    static const struct {
        const char* key;
        Dir d;
    } keys[] = {{"NE      ", NE}, {"SE      ", SE}, {"SW      ", SW}, {"NW      ", NW},
                {"N       ", N},  {"S       ", S},  {"E       ", E},  {"W       ", W}};
    Dir d = NONE;
    for (const auto& k : keys)
        if (std::memcmp(position, k.key, 8) == 0) d = k.d;
    if (d == NONE) return;
    const int color = symcolor(style);
    ggtext t;
    ggstri(&t);
    t.height = static_cast<float>(0.75 * f->txth);
    std::memcpy(t.font, f->tattr, 8);
    t.color = color;
    t.align = 1;
    char buf[16];
    std::memset(buf, ' ', 16);
    xpis(count, -16, buf);
    const int len = wzstrip(buf, 16);
    const double tw = textwidth(t, buf, len);
    // The box, squared on the page: bw across (x percent), bh up (y percent).
    const double th = 0.75 * f->txth;
    double side = std::max(tw, th * f->chdiv);
    const double bw = side, bh = side / f->chdiv;
    const double hy = 0.5 * (style ? style->symsize : f->symh), hx = hy * f->chdiv;
    const double gx = f->vtickl, gy = f->htickl;
    double x0 = 0, y0 = 0;          // lower-left corner of the box
    double ex = x, ey = y;          // the symbol's edge point
    double cx = 0, cy = 0;          // the box's nearest point
    switch (d) {
        case NE: x0 = x + hx + gx, y0 = y + hy + gy, ex = x + hx, ey = y + hy, cx = x0, cy = y0; break;
        case SE: x0 = x + hx + gx, y0 = y - hy - gy - bh, ex = x + hx, ey = y - hy, cx = x0, cy = y0 + bh; break;
        case SW: x0 = x - hx - gx - bw, y0 = y - hy - gy - bh, ex = x - hx, ey = y - hy, cx = x0 + bw, cy = y0 + bh; break;
        case NW: x0 = x - hx - gx - bw, y0 = y + hy + gy, ex = x - hx, ey = y + hy, cx = x0 + bw, cy = y0; break;
        case N: x0 = x - bw / 2, y0 = y + hy + gy, ey = y + hy, cx = x, cy = y0; break;
        case S: x0 = x - bw / 2, y0 = y - hy - gy - bh, ey = y - hy, cx = x, cy = y0 + bh; break;
        case E: x0 = x + hx + gx, y0 = y - bh / 2, ex = x + hx, cx = x0, cy = y; break;
        case W: x0 = x - hx - gx - bw, y0 = y - bh / 2, ex = x - hx, cx = x0 + bw, cy = y; break;
        case NONE: return;
    }
    if (room) {
        const PageBox box{x0, y0, x0 + bw, y0 + bh};
        const double step = bh / 4.0;
        const double dirs[1][2] = {{0.0, d == S || d == SE || d == SW ? -step : step}};
        double ox, oy;
        if (!room->place(box, dirs, 1, 16, &ox, &oy)) return;
        x0 += ox, y0 += oy, cx += ox, cy += oy;
        room->take(box.moved(ox, oy));
    }
    drawtext(t, buf, len, x0 + (bw - tw) / 2, y0 + bh / 2 - 0.35 * th);
    ggdraw(0, ex, ey, cx, cy, 1, color);
}
