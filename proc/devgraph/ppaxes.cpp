// Axes of a probability-plot panel, in both orientations.
#include "proc/devgraph/ppaxes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/optslots.h"
#include "proc/vyxstate.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"
#include "proc/framework/wholenum.h"

using namespace axisparts;

namespace {

bool logaxis(const vyxstate* s) { return s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]; }
bool strip(const vyxstate* s) { return s->work.nocenplot || s->popt.pflags.cenbin; }
int labelcode(const plotlay* f) { return f->expnote == 'E' ? -1 : 99; }

// The minor step of the probability ticks below 10 percent; 0 from 10 percent up.
double minorstep(double p) {
    if (!(p > 0.0001 && p < 10.0)) return 0.0;
    return p < 0.001 ? 0.0001 : p < 0.01 ? 0.001 : p < 0.1 ? 0.01 : p < 1.0 ? 0.1 : 1.0;
}

// The position of percentage p on the probability axis (factor and offset of its axis).
double probat(const vyxstate* s, double p, double fac, double off) { return s->opts.quant_fn(p / 100.0) * fac + off; }

// Minor probability ticks (MPGRID) between percentages i and i + 1; tick(at) draws one.
template <class Tick>
void minorprob(const vyxstate* s, int i, double fac, double off, Tick&& tick) {
    const double* p = s->popt.panels.pctlist;
    const double step = minorstep(p[i]);
    if (step <= 0) return;
    for (int k = 1; k < 100000; ++k) {
        const double q = p[i] + k * step;
        if (!(q < p[i + 1])) break;
        tick(probat(s, q, fac, off));
    }
}

// The labels of a vertical axis with the positions y(i), i = first .. last, whose label i
// is drawn by draw(i): the first and the last always, the others when they keep clear of
// the last one drawn and do not crowd the labels that must follow.
template <class Y, class Draw>
void spacedlabels(int first, int last, double hg, Y&& y, Draw&& draw) {
    const double tau = 1000.0 * GZ_UNIT;
    auto fits = [&](double d) { return d >= tau && need(hg, d) == 0; };
    double P = 0;
    for (int i = first; i <= last; ++i) {
        bool drawn;
        if (i == first || i == last) {
            drawn = true;
        } else if (!fits((y(i) - P) / 2.0)) {
            drawn = false;
        } else if (fits((y(i + 1) - y(i)) / 2.0)) {
            drawn = true;
        } else if (i == last - 1) {
            drawn = false;
        } else if (!fits((y(last) - y(i)) / 2.0)) {
            drawn = false;
        } else {
            const double d4 = (y(i + 2) - y(i + 1)) / 2.0;
            drawn = d4 >= tau && need(hg, d4) != 0;
        }
        if (!drawn) continue;
        if (!draw(i)) return;
        P = y(i);
    }
}

// The even-interval life axis along the bottom (vyxgax step 6).
void evenlife(Panel& a, RightGuard& g) {
    vyxstate* s = a.s;
    plotlay* f = a.f;
    if (f->nhtick <= 0) return;
    const double w = f->fw / f->nhtick, E = f->fx + f->fw + 0.001;
    const int k = f->htstep + 1;
    const bool logs = logaxis(s);
    for (int i = 0; i < 100000; ++i) {
        const double x = f->fx + i * w;
        if (!(x <= E)) break;
        if (k == 1 || i % k == 0)
            a.line(x, a.B, x, a.B - f->htickl);
        else if (w > 2.0)
            a.line(x, a.B, x, a.B - 0.5 * f->htickl);
        if (logs)
            for (int m = 2; m < 10; ++m) {
                const double u = x + w * std::log10(double(m));
                if (!(u < std::fmin(x + w, E))) break;
                a.line(u, a.B, u, a.B - 0.5 * f->htickl);
            }
    }
    if (E < f->fx) return;
    const double y = a.celly(a.B - (f->htickl + f->htlblh + a.H));
    const double zero = std::fmax(std::fabs(f->hmin), std::fabs(f->hmax)) * GZ_EPS * 1000.0;
    const std::vector<double> shown = lifelabels(f, true, true, logs, zero);
    const int code = axiscode(shown, labelcode(f));
    char buf[16];
    a.t.align = 1;
    // At most as many labels as ticks: a frame placed far off the page (HOFFSET=1e308) moves
    // no label along by one step.
    int labels = 0;
    for (double x = f->fx; x <= E && labels < 100000; x += k * w, ++labels) {
        const size_t at = static_cast<size_t>(labels) * static_cast<size_t>(k);
        if (at >= shown.size()) break;
        int c = code;
        const int len = ticklabel(buf, shown[at], &c);
        const double width = textwidth(a.t, buf, len);
        const double left = a.cellx(x - 0.5 * width);
        if (!g.ok(left, width)) break;
        drawtext(a.t, buf, len, left, y);
    }
}

// The life axis of log10 tick values along the bottom (vyxgax step 7).
void arraylife(Panel& a, RightGuard& g) {
    vyxstate* s = a.s;
    plotlay* f = a.f;
    const double* t = f->hticks;
    const int n = f->nhtickv;
    if (!t || n <= 0) return;
    const bool logs = logaxis(s);
    auto X = [&](double v) { return v * f->hfac + f->hoff; };
    for (int i = 0; i < n; ++i) {
        a.line(X(t[i]), a.B, X(t[i]), a.B - f->htickl);
        if (logs && i < n - 1)
            logminors(t, i, [&](double u, bool full) { a.line(X(u), a.B, X(u), a.B - (full ? 1.0 : 0.5) * f->htickl); });
    }
    const double y = a.celly(a.B - (f->htickl + f->htlblh + a.H));
    const std::vector<double> shown = lifelabels(f, true, false, true, 0.0);
    const int code = axiscode(shown, labelcode(f));
    char buf[16];
    a.t.align = 1;
    // The last label seeds the overhang of the guard.
    {
        int c = code;
        const int len = ticklabel(buf, shown[n - 1], &c);
        const double width = textwidth(a.t, buf, len);
        g.over = std::fmax(g.over, a.L - (X(t[n - 1]) - 0.5 * width));
    }
    double r = 0;
    for (int i = 0; i < n; ++i) {
        const double x = X(t[i]);
        int c = code;
        const int len = ticklabel(buf, shown[i], &c);
        const double width = textwidth(a.t, buf, len);
        if (i > 0 && r > x - width / 2.0) continue;
        r = x + width / 2.0;
        const double left = a.cellx(x - 0.5 * width);
        if (!g.ok(left, width)) break;
        drawtext(a.t, buf, len, left, y);
    }
}

// The probability axis up the left (vyxgax step 9).
void verticalprob(Panel& a) {
    vyxstate* s = a.s;
    plotlay* f = a.f;
    const double* p = s->popt.panels.pctlist;
    const int first = f->pfirst, last = std::min(f->plast, s->popt.panels.npct - 1);
    if (!p || !s->opts.quant_fn || first > last || first < 0) return;
    auto Y = [&](int i) { return probat(s, p[i], f->vfac, f->voff); };
    for (int i = first; i <= last; ++i) {
        a.line(a.L, Y(i), a.L - f->vtickl, Y(i));
        if (s->popt.pflags.mpgrid && i < last) minorprob(s, i, f->vfac, f->voff, [&](double y) { a.line(a.L, y, a.L - 0.5 * f->vtickl, y); });
    }
    const double x = a.cellx(a.L - (f->vtickl + f->vtlgap), 1);
    const double hg = a.H + (f->hwtext ? 0.0 : 0.05 * a.H);
    const bool guard = panelabove(s);
    char buf[16];
    a.t.align = 2;
    spacedlabels(first, last, hg, Y, [&](int i) {
        const double y = Y(i);
        if (guard && y + 0.75 * a.H > a.T + f->tilegapv - 0.75 * a.H) return false;
        int code = 99;
        const int len = ticklabel(buf, p[i], &code);
        drawtext(a.t, buf, len, x, f->hwtext ? a.celly(y) : y - 0.5 * a.H);
        return true;
    });
}

// The probability axis along the bottom (vyxgaxr step 5).
void horizontalprob(Panel& a, RightGuard& g) {
    vyxstate* s = a.s;
    plotlay* f = a.f;
    const double* p = s->popt.panels.pctlist;
    const int first = f->pfirst, last = std::min(f->plast, s->popt.panels.npct - 1);
    if (!p || !s->opts.quant_fn || first > last || first < 0) return;
    auto X = [&](int i) { return probat(s, p[i], f->hfac, f->hoff); };
    for (int i = first; i <= last; ++i) {
        a.line(X(i), a.B, X(i), a.B - f->htickl);
        if (s->popt.pflags.mpgrid && i < last) minorprob(s, i, f->hfac, f->hoff, [&](double x) { a.line(x, a.B, x, a.B - 0.5 * f->htickl); });
    }
    const double y = a.celly(a.B - (f->htickl + f->htlblh + a.H));
    char buf[16];
    a.t.align = 1;
    // Labels side by side keep at least the gap that the upright axis keeps between stacked
    // ones (0.05 of the text height, as a length across the page) and a blank's width: two
    // labels closer than a blank read as one number ("4050").
    const double gap = f->hwtext ? 0.0 : std::fmax(0.05 * a.H * f->chdiv, textwidth(a.t, " ", 1));
    double r = 0;
    for (int i = first; i <= last; ++i) {
        int code = 99;
        const int len = ticklabel(buf, p[i], &code);
        const double width = textwidth(a.t, buf, len), x = X(i);
        if (i > first && r + gap > x - width / 2.0) continue;
        r = x + width / 2.0;
        const double left = a.cellx(x - 0.5 * width);
        if (!g.ok(left, width)) break;
        drawtext(a.t, buf, len, left, y);
    }
}

// The counts of censored observations per bin of the life axis: (edges, counts, m edges).
struct Bins {
    const double* e;
    const int32_t* c;
    int m;
};
Bins bins(const vyxstate* s) {
    return {s->plot.lifeticks, s->plot.lifecounts, s->plot.lifeticks && s->plot.lifecounts ? static_cast<int>(s->plot.tickinfo[TI_NBOUNDS]) : 0};
}

// The counts along the top (vyxgax step 10).
void topcounts(Panel& a) {
    plotlay* f = a.f;
    const Bins b = bins(a.s);
    if (b.m < 2) return;
    const double S = f->fy + f->fh + f->gapb;
    const double base = S + (f->gapt - f->gapb) * 0.5 - 0.5 * f->txth;
    char buf[16];
    a.t.align = 1;
    for (int i = 0; i + 1 < b.m; ++i) {
        const double W = (b.e[i + 1] - b.e[i]) * f->hfac;
        const double centre = b.e[i] * f->hfac + f->hoff + W / 2.0;
        std::memset(buf, ' ', 16);
        xpis(b.c[i], -16, buf);
        const int len = wzstrip(buf, 16);
        a.t.height = static_cast<float>(f->txth);
        double width = textwidth(a.t, buf, len);
        if (W < width && width > 0) {
            a.t.height = static_cast<float>(f->txth * W / width);
            width = textwidth(a.t, buf, len);
        }
        drawtext(a.t, buf, len, centre - 0.5 * width, base);
    }
    a.t.height = static_cast<float>(f->txth);
    for (int i = 0; i < b.m; ++i) {
        const double x = b.e[i] * f->hfac + f->hoff;
        a.line(x, a.T, x, S);
    }
}

// The counts down the right side (vyxgaxr step 6).
void sidecounts(Panel& a) {
    vyxstate* s = a.s;
    plotlay* f = a.f;
    const Bins b = bins(s);
    if (b.m < 2) return;
    const double Sx = f->fx + f->fw + f->gapl;
    const bool stacked = f->valfontblank || stmtflag(s->inwork.curstmt, flag::plot::TURNVLABEL);
    char buf[16];
    a.t.align = 1;
    for (int i = 0; i + 1 < b.m; ++i) {
        const double W = (b.e[i + 1] - b.e[i]) * f->vfac;
        const double centre = b.e[i] * f->vfac + f->voff + W / 2.0;
        std::memset(buf, ' ', 16);
        xpis(b.c[i], -16, buf);
        const int len = wzstrip(buf, 16);
        a.t.height = static_cast<float>(f->txth);
        if (!stacked) {
            ggstxfm(90.0, 0.0);
            double ext = textwidth(a.t, buf, len);
            if (0.92 * W < ext && ext > 0) {
                a.t.height = static_cast<float>(f->txth * 0.92 * W / ext);
                ext = textwidth(a.t, buf, len);
            }
            drawtext(a.t, buf, len, Sx + ((f->gapr - f->gapl) + a.H) * 0.5, centre - 0.5 * ext);
            ggstxfm(0.0, 0.0);
        } else {
            double h = f->txth;
            if (len * h > 0.96 * W && len > 0) h = h * 0.96 * W / (len * h);
            a.t.height = static_cast<float>(h);
            const double x = Sx + ((f->gapr - f->gapl) - f->vlblw) * 0.5;
            for (int j = 0; j < len; ++j) {
                if (buf[j] == ' ') continue;
                drawtext(a.t, buf + j, 1, x, (centre - 0.5 * len * h) + (len - 1 - j) * h);
            }
        }
    }
    a.t.height = static_cast<float>(f->txth);
    for (int i = 0; i + 1 < b.m; ++i) {
        const double y = b.e[i] * f->vfac + f->voff;
        a.line(a.R, y, Sx, y);
    }
}

}  // namespace

void axisparts::verticallife(vyxstate* s, bool linear) {
    Panel a(s);
    plotlay* f = a.f;
    const bool logs = logaxis(s);
    const double x = a.cellx(a.L - (f->vtickl + f->vtlgap), 1);
    const bool guard = panelabove(s);
    auto stop = [&](double y) { return guard && y + 0.75 * a.H > a.T + f->tilegapv - 0.75 * a.H; };
    auto place = [&](double y) { return f->hwtext ? a.celly(y) : y - 0.5 * a.H; };
    char buf[16];
    a.t.align = 2;
    if (linear) {
        if (f->nvtick <= 0) return;
        const double h = f->fh / f->nvtick, E = f->fy + f->fh + 0.001;
        for (int i = 0; i < 100000; ++i) {
            const double y = f->fy + i * h;
            if (!(y <= E)) break;
            a.line(a.L, y, a.L - f->vtickl, y);
            if (logs)
                for (int m = 2; m < 10; ++m) {
                    const double u = y + h * std::log10(double(m));
                    if (!(u < std::fmin(y + h, E))) break;
                    a.line(a.L, u, a.L - 0.5 * f->vtickl, u);
                }
        }
        const double G = f->hwtext ? 0.0 : 0.05 * a.H;
        const int k = std::max(0, satint(std::ceil((G + a.H) / h - (1.0 + GZ_EPS))));
        const double zero = std::fabs(f->vmax) * GZ_UNIT * 1000.0;
        const std::vector<double> shown = lifelabels(f, false, true, logs, zero);
        const int code = axiscode(shown, labelcode(f));
        const double every = k + 1.0;
        int labels = 0;   // at most as many as ticks (a frame far off the page moves no label along)
        for (double y = f->fy; y <= E && labels < 100000; y += every * h, ++labels) {
            if (stop(y)) break;
            const size_t at = static_cast<size_t>(labels) * static_cast<size_t>(k + 1);
            if (at >= shown.size()) break;
            int c = code;
            const int len = ticklabel(buf, shown[at], &c);
            drawtext(a.t, buf, len, x, place(y));
        }
        return;
    }
    const double* t = f->vticks;
    const int n = f->nvtickv;
    if (!t || n <= 0) return;
    auto Y = [&](double v) { return v * f->vfac + f->voff; };
    for (int i = 0; i < n; ++i) {
        a.line(a.L, Y(t[i]), a.L - f->vtickl, Y(t[i]));
        if (logs && i < n - 1)
            logminors(t, i, [&](double u, bool full) { a.line(a.L, Y(u), a.L - (full ? 1.0 : 0.5) * f->vtickl, Y(u)); });
    }
    const double tau = std::fabs(f->vmax) * GZ_UNIT * 1000.0;
    auto val = [&](int i) { return std::fabs(t[i]) < tau ? 0.0 : t[i]; };
    const double hg = a.H + (f->hwtext ? 0.0 : 0.05 * a.H);
    const std::vector<double> shown = lifelabels(f, false, false, true, tau);
    const int code = axiscode(shown, labelcode(f));
    spacedlabels(0, n - 1, hg, [&](int i) { return Y(val(i)); }, [&](int i) {
        const double y = Y(val(i));
        if (stop(y)) return false;
        int c = code;
        const int len = ticklabel(buf, shown[static_cast<size_t>(i)], &c);
        drawtext(a.t, buf, len, x, place(y));
        return true;
    });
}

void axisparts::bottomlife(Panel& a, RightGuard& g, bool array) {
    if (array)
        arraylife(a, g);
    else
        evenlife(a, g);
}

void axisparts::bincounts(Panel& a) { topcounts(a); }

void vyxgax(vyxstate* s) {
    setwidth(s, 1);
    Panel a(s);
    plotlay* f = a.f;
    const auto& p = s->popt.pflags;
    if (!p.noframe) {
        a.line(a.R, a.B, a.R, a.T);
        a.line(a.L, a.T, a.R, a.T);
        if (strip(s)) {
            const double S = f->fy + f->fh + f->gapb;
            a.line(a.L, S, a.R, S);
        }
    }
    if (p.inborder && s->work.pageflags.end) a.border();
    a.line(a.L, a.B, a.R, a.B);
    RightGuard g{panelright(s), a.L, a.R, f->tilegaph};
    if (f->bottomedge[1] && !p.noltick) {
        if (s->popt.linaxis)
            evenlife(a, g);
        else
            arraylife(a, g);
    }
    a.line(a.L, a.B, a.L, a.T);
    if (f->leftedge[1] && !p.noptick) verticalprob(a);
    if (p.cenbin) topcounts(a);
    resetwidth(s);
}

void vyxgaxr(vyxstate* s) {
    setwidth(s, 1);
    Panel a(s);
    plotlay* f = a.f;
    const auto& p = s->popt.pflags;
    const double Sx = f->fx + f->fw + f->gapl;
    if (!p.noframe) {
        a.line(a.R, a.B, a.R, a.T);
        a.line(a.L, a.T, a.R, a.T);
        if (strip(s)) a.line(Sx, a.B, Sx, a.T);
    }
    if (p.inborder && s->work.pageflags.end) a.border();
    a.line(a.L, a.B, a.L, a.T);
    if (f->leftedge[1] && !p.noptick) verticallife(s, s->popt.linaxis);
    a.line(a.L, a.B, a.R, a.B);
    RightGuard g{panelright(s), a.L, a.R, f->tilegaph};
    // The relation panel beside this one starts its stress labels half their width left of
    // its frame, further than these labels reach: the last of them keeps clear of its first.
    if (g.active && p.relplot && f->rticks && f->nrtickv > 0) {
        char buf[16];
        int code = 99;
        const int len = ticklabel(buf, f->rticks[f->nrtickv], &code);
        g.over = std::fmax(g.over, 0.5 * textwidth(a.t, buf, len) + 0.5 * f->chw);
    }
    if (f->bottomedge[1] && !p.noltick) horizontalprob(a, g);
    if (p.cenbin) sidecounts(a);
    resetwidth(s);
}
