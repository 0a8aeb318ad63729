// Reference lines and their intersections with the fitted lines, and where their labels stand.
//
// Every routine below runs in one of three modes (RefPen): it draws; it only tells the texts it
// would write and the lines it would draw; or it writes the texts that had to go on a box of
// the background colour, over the groups drawn since. The texts of a panel are placed
// together (a Plan) before any is written, the lines' own labels first, then the values read
// off at the intersections: each keeps the place where it belongs unless it meets a text
// placed before, a marker of a group or the inset; it then takes the first other place beside
// its line that meets none of them (and no line either, where there is one), and where there
// is none, the first that meets no text, on a box of the background colour. A position the
// user gave (HREFLABPOS=, VREFLABPOS=) is kept: only the side of the line changes.
#include "proc/devgraph/devgraph_internal.h"
#include "proc/devgraph/insetroom.h"
#include "proc/framework/optslots.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
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

// The box a text takes at (x, y) by its alignment (1 starts at x, 2 ends at x), from the
// face's descent below the baseline to its ascent above.
PageBox textbox(ggtext& t, const char* text, int len, double x, double y) {
    const double w = textwidth(t, text, len);
    const double x0 = t.align == 2 ? x - w : t.align == 3 ? x - 0.5 * w : x;
    return {x0, y - t.descent, x0 + w, y + t.ascent};
}

// A place of a label: (x, y) and the alignment (1 starts at x, 2 ends at x).
struct Place {
    double x, y;
    int align;
};

// One text the reference-line routines write: where it belongs (places[0]) and the other
// places beside its line where it may stand instead, nearest first; its line (a segment from
// (x0, y0) to (x1, y1)), which may run beside it; whether it is a value read off at an
// intersection (placed after the lines' own labels).
struct Ask {
    char text[17] = {};
    int len = 0;
    ggtext t;
    std::vector<Place> places;
    bool value = false;
    PageBox own{};
};

// Where each text of a panel stands, in the order the routines write them (the VREF routine's
// first), and whether it goes on a box of the background colour.
struct Answer {
    Place at;
    bool boxed;
};
struct Plan {
    std::vector<Ask> asks;
    std::vector<Answer> answers;
    size_t nvert = 0;           // texts of the VREF routine
    double chdiv = 1;           // the page's aspect (horizontal lengths of a text height)
};

// Where the reference-line routines send their work: onto the page (DRAW); into the list of
// the texts they would write and the lines they would draw (ASK: nothing drawn, nothing
// logged); or, after the groups are drawn, only the texts of the plan that stand on a box
// (OVER). Drawing, a text stands where the plan puts it; one on a box waits for OVER when
// `defer` is set.
struct RefPen {
    enum Mode { DRAW, ASK, OVER };
    Mode mode = DRAW;
    std::vector<Ask>* asks = nullptr;
    std::vector<PageBox>* lines = nullptr;
    const Plan* plan = nullptr;
    size_t next = 0;            // the plan's answer for the next text
    bool defer = false;

    bool drawing() const { return mode == DRAW; }
    void line(double x1, double y1, double x2, double y2, int ltype, int color) const {
        if (mode == DRAW) ggdraw(0, x1, y1, x2, y2, ltype, color);
        else if (mode == ASK && lines) lines->push_back({x1, y1, x2, y2});
    }
    void label(Ask&& a) {
        if (mode == ASK) {
            if (asks) asks->push_back(std::move(a));
            return;
        }
        const Answer* an = plan && next < plan->answers.size() ? &plan->answers[next] : nullptr;
        ++next;
        const Place at = an ? an->at : a.places.front();
        const bool boxed = an && an->boxed;
        if (mode == OVER ? !boxed : boxed && defer) return;
        a.t.align = at.align;
        if (boxed) {
            const PageBox b = textbox(a.t, a.text, a.len, at.x, at.y);
            const double mx = 0.15 * a.t.height * plan->chdiv, my = 0.05 * a.t.height;
            ggregion block{b.x0 - mx, b.y0 - my, b.x1 + mx, b.y1 + my, 2, 0};
            ggrba(0, &block, nullptr, 0, 7);
            ggrdba(0, 2, nullptr, &block, 0, 7);
        }
        drawtext(a.t, a.text, a.len, at.x, at.y);
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

// A text to place: its characters, text record and line; the places come after.
Ask ask(const ggtext& t, const char* text, int len, bool value, const PageBox& own) {
    Ask a;
    a.len = std::clamp(len, 0, 16);
    std::memcpy(a.text, text, static_cast<size_t>(a.len));
    a.t = t;
    a.value = value;
    a.own = own;
    return a;
}

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

// Whether the statement gave the label position of `slot` (HREFLABPOS= or VREFLABPOS=).
bool posgiven(const vyxstate* s, int slot) { return stmtslot(s->inwork.curstmt, slot) != nullptr; }

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

// The places of a label beside a vertical line at x, starting at height y0 (its pattern's)
// on the side the line's label takes: right of the line when it ends left of `limit`, else
// left of it. Then the other side; then a line further along the line (down from a label
// at the top, as position 2 steps, up from one at the bottom, as position 4), and from the
// other end, both sides each time. A position the user gave keeps its height.
std::vector<Place> besidevertical(ggtext& t, const char* text, int len, double x, double y0, double d, double limit, const Area& a,
                                  int pos, bool given) {
    const double h = t.height, w = textwidth(t, text, len);
    const bool right = x + d + w < limit;
    std::vector<Place> v;
    auto row = [&](double y) {
        v.push_back({right ? x + d : x - d, y, right ? 1 : 2});
        v.push_back({right ? x - d : x + d, y, right ? 2 : 1});
    };
    row(y0);
    if (given) return v;
    const bool top = pos != 3 && pos != 4 && pos != 6;
    const double lo = a.fbottom, hi = a.top - h;
    if (top) {
        for (double y = y0 - h; y >= lo; y -= h) row(y);
        for (double y = lo + 0.5 * h; y < y0 - 0.5 * h && y <= hi; y += h) row(y);
    } else {
        for (double y = y0 + h; y <= hi; y += h) row(y);
        for (double y = hi; y > y0 + 0.5 * h && y >= lo; y -= h) row(y);
    }
    return v;
}

// Height of a label beside a horizontal line at y: below it in the lower half when there is
// room above the area's bottom, else above; in the upper half above when there is room.
double besideline(const Area& a, double y, double h) {
    const double mid = (a.fbottom + a.ftop) / 2;
    if (y < mid) return y - h > a.bottom ? y - h : y + 0.5 * h;
    return y + h < a.top ? y + 0.5 * h : y - h;
}

// The places of a label of a horizontal line at y by VREFLABPOS: 1 at the left end, 2 at the
// right end, 3 on the line, centred, 4 centred; beside the line as besideline says. Then on
// the line's other side; then at the other end and in the middle, both sides; then each of
// these a line further from the line. A position the user gave keeps its end.
std::vector<Place> besidehorizontal(ggtext& t, const char* text, int len, double y, int pos, bool given, const Area& a, double d) {
    const double h = t.height, w = textwidth(t, text, len);
    const Place left{a.left + d, 0, 1}, right{a.right - d, 0, 2}, centre{(a.left + a.right - w) / 2, 0, 1};
    if (pos == 3) return {{centre.x, y, 1}};
    const Place first = pos == 2 ? right : pos == 4 ? centre : left;
    std::vector<Place> ends{first};
    if (!given)
        for (const Place& e : {left, right, centre})
            if (e.x != first.x || e.align != first.align) ends.push_back(e);
    const double ly = besideline(a, y, h), other = ly < y ? y + 0.5 * h : y - h;
    std::vector<Place> v;
    for (int k = 0; k < (given ? 1 : 2); ++k)
        for (const Place& e : ends)
            for (const double side : {ly, other}) {
                const double yy = side < y ? side - k * h : side + k * h;
                v.push_back({e.x, yy, e.align});
            }
    return v;
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

// The groups drawn in group's panel: every group overlaid, else the group itself.
template <class F>
void panelgroups(const vyxstate* s, const grpnode* group, F&& each) {
    if (!group) return;
    if (!s->popt.pflags.overlay) {
        each(group);
    } else if (s->groups.nclass == 2 && s->groups.grpgrid) {
        for (uint32_t k = 0; k < s->groups.nlev[NLEV_SECOND] * s->groups.nlev[NLEV_FIRST]; ++k)
            if (s->groups.grpgrid[k]) each(s->groups.grpgrid[k]);
    } else if (s->groups.nclass == 1) {
        for (const grpnode* g = s->groups.grplist.head; g; g = g->next) each(g);
    } else {
        each(group);
    }
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
// fitted line, labelled (labelled 1) with the value read off there at its end (VREFLABPOS).
void hcross(vyxstate* s, const grpnode* g, double v, int labelled, int ltype, RefPen& pen) {
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
    if (!(y >= a.bottom && y <= a.top)) {
        if (pen.drawing()) crosswarn(s, true, v, s->popt.pflags.fmcombine && !swapped ? NAN : coord, value);
        return;
    }
    const int color = s->plot.colors[GC_HREF] > 0 ? s->plot.colors[GC_HREF] : 1;
    const PageBox line{a.left, y, a.right, y};
    pen.line(line.x0, line.y0, line.x1, line.y1, ltype, color);
    if (labelled != 1) return;
    char b[10];
    int len = readoff(value, b);
    ggtext t = labeltext(s, GC_HREF);
    const int pos = s->popt.refopts[REFPOS_VREF] == 2 ? 2 : 1;
    Ask q = ask(t, b, len, true, line);
    q.places = besidehorizontal(q.t, b, len, y, pos, posgiven(s, slot::plot::VREFLABPOS), a, 0.5 * f->txth * f->chdiv);
    pen.label(std::move(q));
}

// The line through the point where reference value v (probability-axis units) meets group
// g's fitted line, labelled with the value read off there; its height follows HREFLABPOS
// with the running height and step of the caller, so that successive values stack.
void vcross(vyxstate* s, const grpnode* g, double v, int labelled, int ltype, double* labely, int* labelstep, RefPen& pen) {
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
    if (!(x >= a.left && x <= a.right)) {
        if (pen.drawing()) crosswarn(s, false, v, coord, value);
        return;
    }
    const int color = s->plot.colors[GC_VREF] > 0 ? s->plot.colors[GC_VREF] : 1;
    const PageBox line{x, a.bottom, x, a.top};
    pen.line(line.x0, line.y0, line.x1, line.y1, ltype, color);
    if (labelled != 1) return;
    char b[10];
    int len = readoff(value, b);
    ggtext t = labeltext(s, GC_VREF);
    const int pos = s->popt.refopts[REFPOS_HREF];
    *labely = steppedheight(pos, a, f->txth, labelstep);
    Ask q = ask(t, b, len, true, line);
    q.places = besidevertical(q.t, b, len, x, *labely, 0.5 * f->txth * f->chdiv, a.right, a, pos, posgiven(s, slot::plot::HREFLABPOS));
    pen.label(std::move(q));
}

// The HREF lines of group's panel with their labels and intersections.
void hrefs(vyxstate* s, const grpnode* group, RefPen& pen) {
    plotlay* f = s->plot.frame;
    const Area a = area(f);
    const bool probaxis = s->popt.pflags.rotate && !s->popt.pflags.ismcf;
    if (probaxis && !s->opts.quant_fn) return;   // no probability axis to draw on
    const int ltype = ltypeof(s->inwork.curstmt, slot::plot::LHREF), color = s->plot.colors[GC_HREF] > 0 ? s->plot.colors[GC_HREF] : 1;
    const double h = f->txth, d = 0.5 * h * f->chdiv;
    const int pos = s->popt.refopts[REFPOS_HREF];
    const bool given = posgiven(s, slot::plot::HREFLABPOS);
    bool warned = false;
    int step = 0;
    ggtext t = labeltext(s, GC_HREF);
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
        const PageBox line{x, a.bottom, x, a.top};
        pen.line(line.x0, line.y0, line.x1, line.y1, ltype, color);
        char label[17];
        int len = reflabel(s, REF_HREF, k, label);
        if (len > 0) {
            const double y = steppedheight(pos, a, h, &step);
            Ask q = ask(t, label, len, false, line);
            q.places = besidevertical(q.t, label, len, x, y, d, a.fright, a, pos, given);
            pen.label(std::move(q));
        }
        if (s->popt.pflags.refstop)
            fittedgroups(s, group, [&](const grpnode* g) { hcross(s, g, v, len > 0 ? 1 : 0, ltype, pen); });
    }
}

// The VREF lines of group's panel with their labels and intersections.
void vrefs(vyxstate* s, const grpnode* group, RefPen& pen) {
    plotlay* f = s->plot.frame;
    const Area a = area(f);
    const bool probaxis = !s->popt.pflags.rotate && !s->popt.pflags.ismcf;
    if (probaxis && !s->opts.quant_fn) return;   // no probability axis to draw on
    const int ltype = ltypeof(s->inwork.curstmt, slot::plot::LVREF), color = s->plot.colors[GC_VREF] > 0 ? s->plot.colors[GC_VREF] : 1;
    const double d = 0.5 * f->txth * f->chdiv;
    const int pos = s->popt.refopts[REFPOS_VREF];
    const bool given = posgiven(s, slot::plot::VREFLABPOS);
    bool warned = false;
    double labely = 0;
    int labelstep = 0;
    ggtext t = labeltext(s, GC_VREF);
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
        const PageBox line{a.left, y, a.right, y};
        pen.line(line.x0, line.y0, line.x1, line.y1, ltype, color);
        char label[17];
        int len = reflabel(s, REF_VREF, k, label);
        if (len > 0) {
            Ask q = ask(t, label, len, false, line);
            q.places = besidehorizontal(q.t, label, len, y, pos, given, a, d);
            pen.label(std::move(q));
        }
        if (s->work.refstop2 && group)
            fittedgroups(s, group, [&](const grpnode* g) { vcross(s, g, v, len > 0 ? 1 : 0, ltype, &labely, &labelstep, pen); });
    }
}

// The box of the glyphs of a text standing at p: from a descender's depth below the baseline
// to an ascender's height above it (the face's extents reach further, so that texts one line
// apart would seem to meet), widened by half a blank on each side for the texts beside it.
PageBox glyphs(Ask& a, const Place& p, double padx) {
    a.t.align = p.align;
    const PageBox b = textbox(a.t, a.text, a.len, p.x, p.y);
    return {b.x0 - padx, p.y - 0.22 * a.t.height, b.x1 + padx, p.y + 0.76 * a.t.height};
}

// The texts of group's panel placed: the routines asked, then each text in its turn (the
// lines' own labels, then the values read off) at its first place that is clear.
Plan makeplan(vyxstate* s, const grpnode* group, panelink inkfn, bool withinset) {
    Plan plan;
    const plotlay* f = s->plot.frame;
    plan.chdiv = f->chdiv;
    std::vector<PageBox> lines;
    RefPen pen;
    pen.mode = RefPen::ASK;
    pen.asks = &plan.asks;
    pen.lines = &lines;
    if (s->work.refs.counts[REF_VREF]) vrefs(s, group, pen);
    plan.nvert = plan.asks.size();
    if (s->work.refs.counts[REF_HREF]) hrefs(s, group, pen);
    plan.answers.assign(plan.asks.size(), Answer{{0, 0, 1}, false});
    if (plan.asks.empty()) return plan;

    PanelInk ink;
    panelgroups(s, group, [&](const grpnode* g) { inkfn ? inkfn(s, g, &ink) : ppink(s, g, &ink); });
    lines.insert(lines.end(), ink.lines.begin(), ink.lines.end());
    const insetrec* r = s->plot.inset;
    const bool inset = withinset && r && r->active && r->group == group && !r->noframe;
    const PageBox box = inset ? PageBox{r->boxxlo, r->boxylo, r->boxxhi, r->boxyhi} : PageBox{};
    const Area a = area(f);
    const PageBox room{a.left, a.bottom, a.right, a.top};
    const double padx = 0.16 * f->txth * f->chdiv;

    std::vector<PageBox> taken;
    auto textfree = [&](const PageBox& b) { return std::none_of(taken.begin(), taken.end(), [&](const PageBox& o) { return b.overlaps(o); }); };
    auto inkfree = [&](const PageBox& b) {
        const PageBox in{b.x0 + padx, b.y0, b.x1 - padx, b.y1};
        return (!inset || !in.overlaps(box)) &&
               std::none_of(ink.marks.begin(), ink.marks.end(), [&](const PageBox& m) { return in.overlaps(m); });
    };
    auto linefree = [&](const PageBox& b, const PageBox& own) {
        const PageBox in{b.x0 + padx, b.y0, b.x1 - padx, b.y1};
        return std::none_of(lines.begin(), lines.end(), [&](const PageBox& l) {
            const bool mine = l.x0 == own.x0 && l.y0 == own.y0 && l.x1 == own.x1 && l.y1 == own.y1;
            return !mine && in.meets(l.x0, l.y0, l.x1, l.y1);
        });
    };
    std::vector<size_t> order;
    for (const bool values : {false, true})
        for (size_t i = 0; i < plan.asks.size(); ++i)
            if (plan.asks[i].value == values) order.push_back(i);
    for (const size_t i : order) {
        Ask& q = plan.asks[i];
        std::vector<PageBox> b;
        for (const Place& p : q.places) b.push_back(glyphs(q, p, padx));
        auto inside = [&](size_t k) {
            const PageBox in{b[k].x0 + padx, b[k].y0, b[k].x1 - padx, b[k].y1};
            return k == 0 || in.inside(room);
        };
        size_t pick = b.size();
        bool boxed = false;
        if (textfree(b[0]) && inkfree(b[0])) pick = 0;
        for (int tier = 0; tier < 3 && pick == b.size(); ++tier)
            for (size_t k = 0; k < b.size() && pick == b.size(); ++k)
                if (inside(k) && textfree(b[k]) && (tier == 2 || inkfree(b[k])) && (tier > 0 || linefree(b[k], q.own))) {
                    pick = k;
                    boxed = tier == 2;
                }
        if (pick == b.size()) pick = 0, boxed = true;
        plan.answers[i] = {q.places[pick], boxed};
        taken.push_back(b[pick]);
    }
    return plan;
}

// The lines of `which` (REF_VREF or REF_HREF) drawn by the plan of group's panel.
void drawrefs(vyxstate* s, grpnode* group, panelink ink, int which, bool defer) {
    const Plan plan = makeplan(s, group, ink, true);
    RefPen pen;
    pen.plan = &plan;
    pen.defer = defer;
    pen.next = which == REF_VREF ? 0 : plan.nvert;
    if (which == REF_VREF) {
        if (stmtslot(s->inwork.curstmt, slot::plot::WAXIS)) setwidth(s, 1);
        vrefs(s, group, pen);
    } else {
        setwidth(s, 1);
        hrefs(s, group, pen);
    }
    resetwidth(s);
}

}  // namespace

void vyxghrl(vyxstate* s, grpnode* group, panelink ink) { drawrefs(s, group, ink, REF_HREF, false); }

void vyxgvrl(vyxstate* s, grpnode* group, panelink ink) { drawrefs(s, group, ink, REF_VREF, false); }

void refsunder(vyxstate* s, grpnode* group) {
    if (!group) return;
    if (s->work.refs.counts[REF_VREF]) drawrefs(s, group, nullptr, REF_VREF, true);
    if (s->work.refs.counts[REF_HREF]) drawrefs(s, group, nullptr, REF_HREF, true);
}

void refsover(vyxstate* s, grpnode* group) {
    if (!group || (!s->work.refs.counts[REF_VREF] && !s->work.refs.counts[REF_HREF])) return;
    const Plan plan = makeplan(s, group, nullptr, true);
    if (std::none_of(plan.answers.begin(), plan.answers.end(), [](const Answer& a) { return a.boxed; })) return;
    RefPen pen;
    pen.mode = RefPen::OVER;
    pen.plan = &plan;
    if (s->work.refs.counts[REF_VREF]) vrefs(s, group, pen);
    if (s->work.refs.counts[REF_HREF]) hrefs(s, group, pen);
}

void reflabelboxes(vyxstate* s, const grpnode* group, std::vector<PageBox>* boxes, panelink ink) {
    if (!group) return;
    Plan plan = makeplan(s, group, ink, false);
    for (size_t i = 0; i < plan.asks.size(); ++i) {
        Ask& q = plan.asks[i];
        q.t.align = plan.answers[i].at.align;
        boxes->push_back(textbox(q.t, q.text, q.len, plan.answers[i].at.x, plan.answers[i].at.y));
    }
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
            const double y = steppedheight(std::clamp(s->popt.refopts[REFPOS_SREF], 1, 4), a, h, &step);
            // Right of the line when it ends left of the frame's right edge, else left of it.
            if (x + d + textwidth(t, label, len) < a.fright) {
                t.align = 1;
                drawtext(t, label, len, x + d, y);
            } else {
                t.align = 2;
                drawtext(t, label, len, x - d, y);
            }
        }
    }
    resetwidth(s);
}

void hintersct(vyxstate* s, grpnode* g, double v, int labelled, int ltype) {
    RefPen pen;
    hcross(s, g, v, labelled, ltype, pen);
}

void vintersct(vyxstate* s, grpnode* g, double v, int labelled, int ltype, double* labely, int* labelstep) {
    RefPen pen;
    vcross(s, g, v, labelled, ltype, labely, labelstep, pen);
}
