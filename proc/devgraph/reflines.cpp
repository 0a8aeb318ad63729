// Reference lines and their intersections with the fitted lines.
#include "proc/devgraph/devgraph_internal.h"
#include "proc/devgraph/insetroom.h"
#include "proc/framework/optslots.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/textpad.h"
#include "proc/framework/wholenum.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"
#include "proc/numeric/distributions.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kLog10e = 0.4342944819032518;   // log10(e)
constexpr double kExpMax = 709.782712893384;

struct Area {
    double left, right, bottom, top, fbottom, ftop, fright;
};
Area area(const plotlay* f) {
    return {f->fx - f->gapl, f->fx + f->fw + f->gapr, f->fy - f->gapb, f->fy + f->fh + f->gapb, f->fy, f->fy + f->fh, f->fx + f->fw};
}

PageBox textbox(ggtext& t, const char* text, int len, double x, double y);

// Where the reference-line routines send their work: onto the page, or, given `boxes`, only
// into the boxes their labels would take (nothing drawn, nothing logged).
struct RefPen {
    std::vector<PageBox>* boxes = nullptr;
    bool plain = false;         // the lines' own labels only, without their intersections
    bool drawing() const { return boxes == nullptr; }
    void line(double x1, double y1, double x2, double y2, int ltype, int color) const {
        if (drawing()) ggdraw(0, x1, y1, x2, y2, ltype, color);
    }
    void text(ggtext& t, const char* text, int len, double x, double y) const {
        if (drawing()) {
            drawtext(t, text, len, x, y);
            return;
        }
        boxes->push_back(textbox(t, text, len, x, y));
    }
    void warn(int msg) const {
        if (drawing()) xpmlog(510, msg);
    }
    void warn(int msg, double v) const {
        if (drawing()) xpmlog(510, msg, v);
    }
    // A value off the axis: the option that gave it and the value, once per call and only for
    // the group the statement is at (a relation plot passes no group and calls once).
    void offaxis(const vyxstate* s, const grpnode* group, bool* warned, int msg, const char* option, double v) const {
        if (!*warned && (!group || group == s->groups.curgrp) && drawing()) xpmlog(510, msg, option, v);
        *warned = true;
    }
};

// The option whose values are drawn as the lines `which` (REF_HREF or REF_VREF): without
// statistical graphics the lists of PREF= and LREF= take the places of those of HREF= and
// VREF=, and a message about a line names the option the user wrote.
const char* refoption(const vyxstate* s, int which) {
    const auto& r = s->work.refs;
    for (int k : {REF_PREF, REF_LREF})
        if (r.counts[k] > 0 && r.vals[k] == r.vals[which]) return k == REF_PREF ? "PREF" : "LREF";
    return which == REF_HREF ? "HREF" : "VREF";
}

bool logtime(const vyxstate* s, int axis) {
    if (s->popt.pflags.ismcf) return s->plot.axlog[axis] != 0;
    return s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10];
}

// The label of reference value k (at most 16 characters), its length; 0 without labels.
int reflabel(const vyxstate* s, int which, int k, char out[17]) {
    const auto* slot = static_cast<const optslot*>(s->work.refs.labels[which]);
    if (!slot) return 0;
    int len = 0;
    const char* t = zparm(slot, k, &len);
    if (!t || len <= 0) return 0;
    len = std::min(len, 16);
    std::memcpy(out, t, static_cast<size_t>(len));
    out[len] = '\0';
    return len;
}

ggtext labeltext(const vyxstate* s, int role) {
    ggtext t;
    ggstri(&t);
    t.height = static_cast<float>(s->plot.frame->txth);
    t.color = s->plot.colors[role] > 0 ? s->plot.colors[role] : 1;
    std::memcpy(t.font, s->plot.frame->lblfont, 8);
    return t;
}

// Height of a label by HREFLABPOS (or SREFLABPOS) with the running step k: 1 top, 2 top
// stepping down, 3 bottom, 4 bottom stepping up, 5 top alternating, 6 bottom alternating.
// A height that left [frame bottom, top] sends the pattern back to its start.
double steppedheight(int pos, const Area& a, double h, int* k) {
    auto at = [&](int step) {
        switch (pos) {
        case 2: return a.top - (step + 1) * h;
        case 3: return a.fbottom + 0.5 * h;
        case 4: return a.fbottom + (step + 0.5) * h;
        case 5: return a.top - h - (step % 2) * h;
        case 6: return a.fbottom + 0.5 * h + (step % 2) * h;
        default: return a.top - h;
        }
    };
    double y = at(*k);
    if (y < a.fbottom || y > a.top) {
        *k = 0;
        y = at(0);
    }
    if (pos == 2 || pos == 4) *k += 1;
    if (pos == 5 || pos == 6) *k = (*k + 1) % 2;
    return y;
}

// The box a text takes at (x, y) by its alignment (1 starts at x, 2 ends at x).
PageBox textbox(ggtext& t, const char* text, int len, double x, double y) {
    const double w = textwidth(t, text, len);
    const double x0 = t.align == 2 ? x - w : t.align == 3 ? x - 0.5 * w : x;
    return {x0, y - t.descent, x0 + w, y + t.ascent};
}

// A place of a value read off at an intersection: (x, y) and the alignment.
struct Place {
    double x, y;
    int align;
};

// The value at the first of the places whose box meets no label of a reference line and no
// value placed before (avoid, which then holds its box too), or at the first place when every
// one does (or there is nothing to avoid).
void placeapart(const RefPen& pen, ggtext& t, const char* text, int len, const std::vector<Place>& places, std::vector<PageBox>* avoid) {
    const Place* at = &places.front();
    if (avoid && !avoid->empty())
        for (const Place& p : places) {
            t.align = p.align;
            const PageBox b = textbox(t, text, len, p.x, p.y);
            if (std::none_of(avoid->begin(), avoid->end(), [&](const PageBox& l) { return b.overlaps(l); })) {
                at = &p;
                break;
            }
        }
    t.align = at->align;
    if (avoid) avoid->push_back(textbox(t, text, len, at->x, at->y));
    pen.text(t, text, len, at->x, at->y);
}

// Right of the line when it ends left of `limit`, else left of it.
void labelbeside(const RefPen& pen, ggtext& t, const char* text, int len, double x, double y, double d, double limit) {
    double w = textwidth(t, text, len);
    if (x + d + w < limit) {
        t.align = 1;
        pen.text(t, text, len, x + d, y);
    } else {
        t.align = 2;
        pen.text(t, text, len, x - d, y);
    }
}

// Height of a label beside a horizontal line at y: below it in the lower half when there is
// room above the area's bottom, else above; in the upper half above when there is room.
double besideline(const Area& a, double y, double h) {
    const double mid = (a.fbottom + a.ftop) / 2;
    if (y < mid) return y - h > a.bottom ? y - h : y + 0.5 * h;
    return y + h < a.top ? y + 0.5 * h : y - h;
}

// A horizontal-line label by VREFLABPOS: 1 left, 2 right, 3 on the line, centred, 4 centred.
void hlinelabel(const RefPen& pen, const plotstate& plot, ggtext& t, const char* text, int len, double y, int pos, const Area& a) {
    const double h = plot.frame->txth, d = 0.5 * h * plot.frame->chdiv;
    double w = textwidth(t, text, len);
    if (pos == 3) {
        t.align = 1;
        pen.text(t, text, len, (a.left + a.right - w) / 2, y);
        return;
    }
    const double ly = besideline(a, y, h);
    if (pos == 2) {
        t.align = 2;
        pen.text(t, text, len, a.right - d, ly);
    } else if (pos == 4) {
        t.align = 1;
        pen.text(t, text, len, (a.left + a.right - w) / 2, ly);
    } else {
        t.align = 1;
        pen.text(t, text, len, a.left + d, ly);
    }
}

int ltypeof(const stmtrec* stmt, int slot) {
    double v = 3;
    optnum(stmt, slot, 0, &v);
    const int k = satint(v);
    return k < 1 ? 1 : k;
}

// The percent of the fitted distribution at the standardised value z.
double percentat(const stmtopts& opts, double z) {
    switch (familyof(opts.distcode)) {
    case FAM_NORMAL: return 100 * zprbnrm(z);
    case FAM_EXTREME: return 100 * (1 - (z > kExpMax ? 0.0 : std::exp(-std::exp(z))));
    case FAM_LOGISTIC: {
        double S = z > 0 ? std::exp(-z) / (1 + std::exp(-z)) : 1 / (std::exp(z) + 1);
        return 100 * (1 - S);
    }
    default: return 100;
    }
}

// The label of a value read off at an intersection: four significant digits (the decimals
// argument of the formatter is ours: 97.99 percent, 1234 hours, 0.0123).
int readoff(double v, char out[10]) {
    int dec = 2;
    if (std::isfinite(v) && v != 0) dec = std::clamp(3 - static_cast<int>(std::floor(std::log10(std::fabs(v)))), 0, 4);
    int nd = 0, w = dec;
    return shwylab(out, v, &nd, &w, 0);
}

// The groups whose fitted lines an intersection is drawn for (an MCF plot has none). Overlaid,
// each group's own fit decides: the working method is the last group's, and a last group
// without a fit took every group's intersections with it.
template <class F>
void fittedgroups(vyxstate* s, const grpnode* group, F&& each) {
    if (s->popt.pflags.ismcf) return;
    if (!s->popt.pflags.overlay) {
        if (group && !group->nofit && s->work.fitmethod != FIT_NONE) each(group);
        return;
    }
    if (s->groups.nclass == 2 && s->groups.grpgrid) {
        for (uint32_t k = 0; k < s->groups.nlev[NLEV_SECOND] * s->groups.nlev[NLEV_FIRST]; ++k)
            if (s->groups.grpgrid[k] && !s->groups.grpgrid[k]->nofit) each(s->groups.grpgrid[k]);
    } else if (s->groups.nclass == 1) {
        for (grpnode* g = s->groups.grplist.head; g; g = g->next)
            if (!g->nofit) each(g);
    } else if (group && !group->nofit) {
        each(group);
    }
}

// The line through the point where reference value v (time-axis units) meets group g's
// fitted line, labelled (labelled 1) with the value read off there.
void hcross(vyxstate* s, const grpnode* g, double v, int labelled, int ltype, const RefPen& pen, std::vector<PageBox>* avoid) {
    plotlay* f = s->plot.frame;
    const Area a = area(f);
    const bool swapped = s->popt.pflags.rotate != 0;
    const bool ln = s->opts.logscale[LSC_LN] != 0;
    double coord = 0, value = 0;
    if (!s->popt.pflags.fmcombine) {
        if (!swapped) {
            const double t = ln ? v / kLog10e : v;
            coord = (t - g->loc) / g->scale;
            value = percentat(s->opts, coord);
        } else {
            coord = v * g->scale + g->loc;
            value = ln ? std::exp(coord) : s->opts.logscale[LSC_LOG10] ? std::pow(10.0, coord) : coord;
            if (ln) coord *= kLog10e;
        }
    } else if (!swapped) {
        double out[24] = {};
        const uint8_t keep = s->work.noconf;
        s->work.noconf = 1;
        int rc = fmest(s, ln ? v / kLog10e : v, out);   // the time on the fitting scale
        s->work.noconf = keep;
        if (rc != 0) return;
        coord = s->opts.quant_fn(out[0]);
        value = 100 * out[0];
    } else {
        // The curve table holds the axis coordinate of the time and the probability: the
        // time where the combined curve reaches the probability at v.
        double x = 0, y = percentat(s->opts, v) / 100;
        if (fmint(s, &x, &y, s->life.fmcurve, s->opts.npoints + 1, 1) != 0) return;
        coord = x;
        value = ln || s->opts.logscale[LSC_LOG10] ? std::pow(10.0, x) : x;
    }
    const double y = coord * f->vfac + f->voff;
    if (!(y >= a.bottom && y <= a.top)) return;
    const int color = s->plot.colors[GC_HREF] > 0 ? s->plot.colors[GC_HREF] : 1;
    pen.line(a.left, y, a.right, y, ltype, color);
    if (labelled != 1) return;
    char b[10];
    int len = readoff(value, b);
    ggtext t = labeltext(s, GC_HREF);
    // At its end of the line (VREFLABPOS), beside it as a line's label; where that meets the
    // label of a reference line, on the line's other side, then at its other end.
    const double h = f->txth, d = 0.5 * h * f->chdiv;
    const double ly = besideline(a, y, h), other = ly < y ? y + 0.5 * h : y - h;
    const bool right = s->popt.refopts[REFPOS_VREF] == 2;
    const Place near{right ? a.right - d : a.left + d, ly, right ? 2 : 1}, far{right ? a.left + d : a.right - d, ly, right ? 1 : 2};
    placeapart(pen, t, b, len, {near, {near.x, other, near.align}, far, {far.x, other, far.align}}, avoid);
}

void vcross(vyxstate* s, const grpnode* g, double v, int labelled, int ltype, double* labely, int* labelstep, const RefPen& pen,
            std::vector<PageBox>* avoid) {
    plotlay* f = s->plot.frame;
    const Area a = area(f);
    const bool swapped = s->popt.pflags.rotate != 0;
    const bool ln = s->opts.logscale[LSC_LN] != 0;
    double coord = 0, value = 0;
    if (!swapped) {
        if (!s->popt.pflags.fmcombine) {
            coord = v * g->scale + g->loc;
            value = ln ? std::exp(coord) : s->opts.logscale[LSC_LOG10] ? std::pow(10.0, coord) : coord;
            if (ln) coord *= kLog10e;
        } else {
            double x = 0, y = percentat(s->opts, v) / 100;   // v is a quantile, the table holds probabilities
            if (fmint(s, &x, &y, s->life.fmcurve, s->opts.npoints + 1, 1) != 0) return;
            coord = x;
            value = ln || s->opts.logscale[LSC_LOG10] ? std::pow(10.0, x) : x;
        }
    } else {
        const double t = ln ? v / kLog10e : v;
        coord = (t - g->loc) / g->scale;
        value = percentat(s->opts, coord);
    }
    const double x = coord * f->hfac + f->hoff;
    if (!(x >= a.left && x <= a.right)) return;
    const int color = s->plot.colors[GC_VREF] > 0 ? s->plot.colors[GC_VREF] : 1;
    pen.line(x, a.bottom, x, a.top, ltype, color);
    if (labelled != 1) return;
    char b[10];
    int len = readoff(value, b);
    ggtext t = labeltext(s, GC_VREF);
    const int pos = s->popt.refopts[REFPOS_HREF];
    *labely = steppedheight(pos, a, f->txth, labelstep);
    // Right of the line as a line's label (left when it would cross the right edge); where
    // that meets the label of a reference line, on the line's other side; where both do, a
    // line further from the frame's edge it starts at, and so on while there is room.
    const double h = f->txth, d = 0.5 * h * f->chdiv, w = textwidth(t, b, len);
    const bool fits = x + d + w < a.right;
    const double dir = pos == 3 || pos == 4 || pos == 6 ? 1.0 : -1.0;   // bottom labels step up
    std::vector<Place> places;
    for (int k = 0; k < 3; ++k) {
        const double y = *labely + dir * k * h;
        if (k > 0 && (y < a.fbottom || y > a.top - h)) break;
        places.push_back({fits ? x + d : x - d, y, fits ? 1 : 2});
        if (fits ? x - d - w > a.left : x + d + w < a.right) places.push_back({fits ? x - d : x + d, y, fits ? 2 : 1});
    }
    placeapart(pen, t, b, len, places, avoid);
}

// The boxes of the labels of the reference lines of group's panel, without the values read off
// at their intersections: the values keep clear of them.
void plainlabels(vyxstate* s, const grpnode* group, std::vector<PageBox>* boxes);

// The HREF lines of group's panel with their labels and intersections.
void hrefs(vyxstate* s, const grpnode* group, const RefPen& pen) {
    plotlay* f = s->plot.frame;
    const Area a = area(f);
    const bool probaxis = s->popt.pflags.rotate && !s->popt.pflags.ismcf;
    const int ltype = ltypeof(s->inwork.curstmt, slot::plot::LHREF), color = s->plot.colors[GC_HREF] > 0 ? s->plot.colors[GC_HREF] : 1;
    const double h = f->txth, d = 0.5 * h * f->chdiv;
    bool warned = false;
    int step = 0;
    ggtext t = labeltext(s, GC_HREF);
    std::vector<PageBox> avoid;   // the lines' own labels, which the values read off keep clear of
    bool avoided = false;
    for (int k = 0; k < s->work.refs.counts[REF_HREF]; ++k) {
        double v = s->work.refs.vals[REF_HREF][k];
        if (probaxis) {
            if (!(v >= 0 && v <= 100)) {
                pen.warn(W510_REF_PROB_OUTSIDE, v);
                continue;
            }
            v = s->opts.quant_fn(v / 100);
        } else if (logtime(s, 0)) {
            if (!(v >= GZ_UNIT)) {
                pen.warn(W510_REF_NOT_ON_LOG_AXIS, v);
                continue;
            }
            v = std::log10(v);
        }
        const double x = v * f->hfac + f->hoff;
        if (!(x >= a.left && x <= a.right)) {
            pen.offaxis(s, group, &warned, W510_REF_OFF_HAXIS, refoption(s, REF_HREF), s->work.refs.vals[REF_HREF][k]);
            continue;
        }
        pen.line(x, a.bottom, x, a.top, ltype, color);
        char label[17];
        int len = reflabel(s, REF_HREF, k, label);
        if (len > 0) {
            double y = steppedheight(s->popt.refopts[REFPOS_HREF], a, h, &step);
            labelbeside(pen, t, label, len, x, y, d, a.fright);
        }
        if (s->popt.pflags.refstop && !pen.plain) {
            if (len > 0 && !avoided) plainlabels(s, group, &avoid), avoided = true;
            fittedgroups(s, group, [&](const grpnode* g) { hcross(s, g, v, len > 0 ? 1 : 0, ltype, pen, &avoid); });
        }
    }
}

// The VREF lines of group's panel with their labels and intersections.
void vrefs(vyxstate* s, const grpnode* group, const RefPen& pen) {
    plotlay* f = s->plot.frame;
    const Area a = area(f);
    const bool probaxis = !s->popt.pflags.rotate && !s->popt.pflags.ismcf;
    const int ltype = ltypeof(s->inwork.curstmt, slot::plot::LVREF), color = s->plot.colors[GC_VREF] > 0 ? s->plot.colors[GC_VREF] : 1;
    bool warned = false;
    double labely = 0;
    int labelstep = 0;
    ggtext t = labeltext(s, GC_VREF);
    std::vector<PageBox> avoid;
    bool avoided = false;
    for (int k = 0; k < s->work.refs.counts[REF_VREF]; ++k) {
        double v = s->work.refs.vals[REF_VREF][k];
        if (probaxis) {
            if (!(v >= 0 && v <= 100)) {
                pen.warn(W510_REF_PROB_OUTSIDE, v);
                continue;
            }
            v = s->opts.quant_fn(v / 100);
        } else if (logtime(s, 1)) {
            if (!(v >= GZ_UNIT)) {
                pen.warn(W510_REF_NOT_ON_LOG_AXIS, v);
                continue;
            }
            v = std::log10(v);
        }
        const double y = v * f->vfac + f->voff;
        if (!(y >= a.bottom && y <= a.top)) {
            pen.offaxis(s, group, &warned, W510_REF_OFF_VAXIS, refoption(s, REF_VREF), s->work.refs.vals[REF_VREF][k]);
            continue;
        }
        pen.line(a.left, y, a.right, y, ltype, color);
        char label[17];
        int len = reflabel(s, REF_VREF, k, label);
        if (len > 0) hlinelabel(pen, s->plot, t, label, len, y, s->popt.refopts[REFPOS_VREF], a);
        if (s->work.refstop2 && group && !pen.plain) {
            if (len > 0 && !avoided) plainlabels(s, group, &avoid), avoided = true;
            fittedgroups(s, group, [&](const grpnode* g) { vcross(s, g, v, len > 0 ? 1 : 0, ltype, &labely, &labelstep, pen, &avoid); });
        }
    }
}

}  // namespace

void vyxghrl(vyxstate* s, grpnode* group) {
    setwidth(s, 1);
    hrefs(s, group, RefPen{});
    resetwidth(s);
}

void vyxgvrl(vyxstate* s, grpnode* group) {
    if (stmtslot(s->inwork.curstmt, slot::plot::WAXIS)) setwidth(s, 1);
    vrefs(s, group, RefPen{});
    resetwidth(s);
}

namespace {
void plainlabels(vyxstate* s, const grpnode* group, std::vector<PageBox>* boxes) {
    const RefPen pen{boxes, true};
    if (s->work.refs.counts[REF_VREF]) vrefs(s, group, pen);
    if (s->work.refs.counts[REF_HREF]) hrefs(s, group, pen);
}
}  // namespace

void reflabelboxes(vyxstate* s, const grpnode* group, std::vector<PageBox>* boxes) {
    if (!group) return;
    const RefPen pen{boxes};
    if (s->work.refs.counts[REF_VREF]) vrefs(s, group, pen);
    if (s->work.refs.counts[REF_HREF]) hrefs(s, group, pen);
}

void vyxgsrl(vyxstate* s) {
    plotlay* f = s->plot.frame;
    const Area a = area(f);
    setwidth(s, 1);
    const int ltype = ltypeof(s->inwork.curstmt, slot::plot::LSREF), color = s->plot.colors[GC_SREF] > 0 ? s->plot.colors[GC_SREF] : 1;
    const double h = f->txth, d = 0.5 * h * f->chdiv;
    int step = 0;
    bool warned = false;
    ggtext t = labeltext(s, GC_SREF);
    for (int k = 0; k < s->work.refs.counts[REF_SREF]; ++k) {
        double v = s->work.refs.vals[REF_SREF][k];
        if (s->opts.stressrel == 3) {
            if (!(v >= GZ_UNIT)) {
                xpmlog(510, W510_REF_NOT_ON_LOG_AXIS, v);
                continue;
            }
            v = std::log10(v);
        }
        const double x = v * f->hfac + f->hoff;
        if (!(x >= a.left && x <= a.right)) {
            // Not drawn, as an HREF= value off its axis; the warning is ours, with the value as
            // the statement gave it (the relation's transform has replaced the list's).
            double given = v;
            optnum(s->inwork.curstmt, slot::plot::SREF, k, &given);
            RefPen{}.offaxis(s, nullptr, &warned, W510_REF_OFF_HAXIS, "SREF", given);
            continue;
        }
        ggdraw(0, x, a.bottom, x, f->fy + f->fh + f->gapt, ltype, color);
        char label[17];
        int len = reflabel(s, REF_SREF, k, label);
        if (len > 0) {
            double y = steppedheight(std::clamp(s->popt.refopts[REFPOS_SREF], 1, 4), a, h, &step);
            labelbeside(RefPen{}, t, label, len, x, y, d, a.fright);
        }
    }
    resetwidth(s);
}

void hintersct(vyxstate* s, grpnode* g, double v, int labelled, int ltype) { hcross(s, g, v, labelled, ltype, RefPen{}, nullptr); }

void vintersct(vyxstate* s, grpnode* g, double v, int labelled, int ltype, double* labely, int* labelstep) {
    vcross(s, g, v, labelled, ltype, labely, labelstep, RefPen{}, nullptr);
}
