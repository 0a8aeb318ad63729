// Axes of a relation plot: life up the left, stress along the bottom with its grid, tick
// labels and both axis titles (vyxrax).
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "proc/devgraph/devgraph_internal.h"
#include "proc/vyxstate.h"
#include "proc/devgraph/ppaxes.h"
#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/wholenum.h"

using namespace axisparts;

namespace {

constexpr double kLog10e = 0.43429448190325182765;

// A stress value on the stress axis (transformed; POW in log10 units); missing when the
// relation cannot transform it.
double stressat(const stmtopts& opts, double v) {
    if (!opts.stress_fn) return v;
    const double t = opts.stress_fn(v);
    return opts.stressrel == 3 ? t * kLog10e : t;
}

// The stress levels inside the axis, and the room the outermost levels' marks need.
void fitlevels(Panel& a) {
    vyxstate* s = a.s;
    plotlay* f = a.f;
    const int n = static_cast<int>(s->groups.nlev[NLEV_FIRST]);
    const double* lv = s->groups.levvals[CV_FIRST];
    const double* t = f->rticks;
    const int nt = f->nrtickv;
    const bool boxes = s->work.pageflags.boxes, data = s->work.pageflags.data;
    if (!(boxes || data) || s->work.fitmethod == FIT_REGRESSION || !lv || n <= 0 || !t || nt <= 0) return;
    auto X = [&](double v) { return stressat(s->opts, v) * f->hfac + f->hoff; };
    const double x0 = t[0] * f->hfac + f->hoff, x1 = t[nt - 1] * f->hfac + f->hoff;
    int below = 0, above = 0;
    for (int j = 0; j < n; ++j) {
        const double x = X(lv[j]);
        if (x < x0) ++below;
        if (x > x1) ++above;
    }
    const int first = below, last = (n - 1) - above;
    s->plot.lvlrange[LVR_FIRST] = first;
    s->plot.lvlrange[LVR_LAST] = last;
    if (first > last) return;
    double need;
    if (boxes) {
        double dmin = DBL_MAX;
        for (int j = std::max(1, first + 1); j <= last; ++j) dmin = std::fmin(dmin, std::fabs(stressat(s->opts, lv[j]) - stressat(s->opts, lv[j - 1])));
        f->markw = std::fmin(2.0, dmin * f->hfac / 2.5);
        need = 1.25 * f->markw;
    } else {
        need = 0.75 * f->symw;
    }
    const double m = std::fmin((X(lv[first]) - f->fx) + f->gapl, (f->fx + f->fw + f->gapr) - X(lv[last]));
    if (m < need) {
        const double d = need - m;
        f->gapl += d;
        f->gapr += d;
        f->fx += d;
        f->fw -= 2 * d;
    }
}

void mapstress(plotlay* f) {
    f->hfac = f->smax != f->smin ? f->fw / (f->smax - f->smin) : 0.0;
    f->hoff = f->fx - f->smin * f->hfac;
}

// Ticks, grid and labels of the stress axis.
void stressaxis(Panel& a, int gridtype) {
    vyxstate* s = a.s;
    plotlay* f = a.f;
    const double* t = f->rticks;
    const int n = f->nrtickv;
    if (!t || n <= 0) return;
    const double* lab = t + n;
    const bool ticks = !s->popt.pflags.nostick;
    const int gridcolor = s->plot.colors[GC_GRID] > 0 ? s->plot.colors[GC_GRID] : 1;
    auto X = [&](double v) { return v * f->hfac + f->hoff; };
    auto gridline = [&](double x) {
        if (s->popt.pflags.nogrid == 1 && std::fabs(x - a.L) > 0.0001 && std::fabs(x - a.R) > 0.0001) ggdraw(0, x, a.B, x, a.T, gridtype, gridcolor);
    };
    for (int i = 0; i < n; ++i) {
        const double x = X(t[i]);
        if (ticks) a.line(x, a.B, x, a.B - f->htickl);
        gridline(x);
        if (s->opts.stressrel == 3 && i < n - 1 && t[i] < t[i + 1]) {
            const double fl = std::floor(t[i]);
            double m = std::ceil(pow10of(t[i] - fl));
            for (int guard = 0; guard < 100000; ++guard) {
                const double u = std::log10(m) + fl;
                m += 1.0;
                if (u != t[i]) {
                    if (ticks) a.line(X(u), a.B, X(u), a.B - 0.5 * f->htickl);
                    if (s->popt.pflags.mlgrid && std::fabs(X(u) - a.L) > 0.0001 && std::fabs(X(u) - a.R) > 0.0001) ggdraw(0, X(u), a.B, X(u), a.T, gridtype, gridcolor);
                }
                if (!(u < t[i + 1])) break;
            }
        }
    }
    if (!ticks) return;
    char buf[16];
    auto width = [&](int i) {
        int code = 99;
        const int len = ticklabel(buf, lab[i], &code);
        return textwidth(a.t, buf, len);
    };
    a.t.align = 1;
    const double w0 = width(0), wn = width(n - 1);
    const double lo = X(t[0]) + w0 / 2.0, hi = X(t[n - 1]) - wn / 2.0;
    const double g = f->hwtext ? f->chw : 0.5 * f->chw;
    auto needs = [&](double w, double d) { return need(g + w, d); };
    const double y = a.celly(a.B - (f->htickl + f->htlblh + f->txth));
    double P = 0;
    for (int i = 0; i < n; ++i) {
        const double x = X(t[i]), w = width(i);
        bool drawn;
        if (i == 0 || i == n - 1) {
            drawn = true;
        } else if (x - w / 2.0 < lo || x + w / 2.0 > hi || needs(w, (x - P) / 2.0) != 0) {
            drawn = false;
        } else if (needs(w, (X(t[i + 1]) - x) / 2.0) == 0) {
            drawn = true;
        } else {
            drawn = i != n - 2 && needs(w, (X(t[n - 1]) - x) / 2.0) == 0 && needs(width(i + 1), (X(t[i + 2]) - X(t[i + 1])) / 2.0) != 0;
        }
        if (!drawn) continue;
        int code = 99;
        const int len = ticklabel(buf, lab[i], &code);
        drawtext(a.t, buf, len, a.cellx(x - 0.5 * textwidth(a.t, buf, len)), y);
        P = x;
    }
}

// The stress-axis title below the tick labels: the stress variable's label, else its name.
void stresstitle(Panel& a) {
    vyxstate* s = a.s;
    plotlay* f = a.f;
    const char* text = s->groups.clslabgiven[CV_FIRST] && s->groups.clslablen[CV_FIRST] > 0 ? s->groups.clslabels[CV_FIRST] : s->groups.clsnames[CV_FIRST];
    int len = s->groups.clslabgiven[CV_FIRST] && s->groups.clslablen[CV_FIRST] > 0 ? s->groups.clslablen[CV_FIRST] : s->groups.clsnamelen[CV_FIRST];
    len = std::min(len, 256);
    a.t.align = 1;
    double w = textwidth(a.t, text, len);
    if (w > f->fw && text != s->groups.clsnames[CV_FIRST]) {
        if (!f->lblwarned) {
            f->lblwarned = 1;
            xpmlog(510, W510_AXIS_LABEL_TOO_WIDE, txtarg(text, len));
        }
        text = s->groups.clsnames[CV_FIRST];
        len = s->groups.clsnamelen[CV_FIRST];
        w = textwidth(a.t, text, len);
    }
    if (w > f->fw && w > 0) {
        a.t.height = static_cast<float>(f->txth * f->fw / w);
        w = textwidth(a.t, text, len);
    }
    const double y = a.celly(f->fy - (f->gapb + f->htickl + f->htlblh + f->txth2 + f->hlblh + f->txth));
    drawtext(a.t, text, len, a.cellx(f->fx + (f->fw - w) * 0.5), y);
    a.t.height = static_cast<float>(f->txth);
}

// The life-axis title up the left of the panel.
void lifetitle(Panel& a) {
    vyxstate* s = a.s;
    plotlay* f = a.f;
    auto* buf = static_cast<char*>(poolbytes(s->pools.stmtpool, 1024, poolflag::zeroed_marked));
    if (!buf) return;   // no room for the title: the axis goes without it
    std::memset(buf, ' ', 256);
    const double A = f->fh + f->gapb + f->gapt;
    const bool stacked = f->valfontblank || stmtflag(s->inwork.curstmt, flag::plot::TURNVLABEL);
    a.t.align = 1;
    int len = 0;
    if (!s->popt.pflags.rotate) {
        int n = 0;
        const optslot* o = stmtslot(s->inwork.curstmt, slot::plot::PAXISLABEL);
        if (o && o->ptr && o->count > 0) {
            n = std::min(o->count, 256);
            std::memcpy(buf, o->ptr, static_cast<size_t>(n));
            len = n;
        } else {
            len = wzstrip(buf, xpmstr(buf, 40, 510, T510_PERCENT));
        }
    } else {
        const vardesc* v = s->input.rspvars[RV_TIME];
        bool fits = false;
        if (v && v->labellen > 0) {
            len = std::min<int>(v->labellen, 256);
            std::memcpy(buf, v->label, static_cast<size_t>(len));
            if (stacked) {
                fits = len * f->txth <= 0.96 * A;
            } else {
                ggstxfm(90.0, 0.0);
                fits = textwidth(a.t, buf, len) <= 0.92 * A;
                ggstxfm(0.0, 0.0);
            }
        }
        if (!fits) {
            std::memset(buf, ' ', 1024);
            const bool thr = s->work.thrflags[TH_GIVEN] != 0;
            len = v ? xpmstr(buf, 1024, 510, thr ? T510_LIFE_LABEL_THRESHOLD : T510_LIFE_LABEL, txtarg(v->name, v->namelen))
                    : xpmstr(buf, 40, 510, T510_PERCENT);
            len = wzstrip(buf, std::min(len, 1024));
        }
    }
    if (len <= 0) return;
    if (!stacked) {
        ggstxfm(90.0, 0.0);
        double ext = textwidth(a.t, buf, len);
        if (ext > 0.92 * A && ext > 0) {
            a.t.height = static_cast<float>(f->txth * 0.92 * A / ext);
            ext = textwidth(a.t, buf, len);
        }
        const double x = s->plot.pwin[PW_X0] + f->lmarg2 + f->pgmarg + f->vlblw;
        drawtext(a.t, buf, len, x, (f->fy - f->gapb) + (A - ext) * 0.5);
        ggstxfm(0.0, 0.0);
    } else {
        double h = f->txth;
        if (len * h > 0.96 * A) h = 0.96 * A / len;
        a.t.height = static_cast<float>(h);
        const double x = f->pgmarg + f->lmarg2;
        const double top = (f->fy - f->gapb) + (A + len * h) * 0.5;
        for (int j = 0; j < len; ++j) {
            if (buf[j] == ' ') continue;
            drawtext(a.t, buf + j, 1, a.cellx(x), a.celly(top - (j + 1) * h));
        }
    }
    a.t.height = static_cast<float>(f->txth);
}

}  // namespace

void vyxrax(vyxstate* s) {
    setwidth(s, 1);
    plotlay* f = s->plot.frame;
    const auto& p = s->popt.pflags;
    double lg = 0;
    int gridtype = 35;
    if (const optslot* o = stmtslot(s->inwork.curstmt, slot::plot::LGRID)) {
        lg = o->num;
        gridtype = std::clamp(satint(lg), 1, 46);
    }
    if (f->gapr > f->gapl) {
        f->fw += f->gapr - f->gapl;
        f->gapr = f->gapl;
    }
    mapstress(f);
    {
        Panel a(s);
        fitlevels(a);
    }
    mapstress(f);
    Panel a(s);
    if (!p.noframe) {
        a.line(a.R, a.B, a.R, a.T);
        a.line(a.L, a.T, a.R, a.T);
    }
    if (p.inborder && s->work.pageflags.end) a.border();
    a.line(a.L, a.B, a.L, a.T);
    if (f->leftedge[1] && !p.noptick) verticallife(s, s->popt.linaxis);
    a.line(a.L, a.B, a.R, a.B);
    if (f->bottomedge[1]) stressaxis(a, gridtype);
    if (!p.noslabel && f->bottomedge[1]) stresstitle(a);
    if (f->leftedge[0] && !p.noplabel) lifetitle(a);
    resetwidth(s);
}
