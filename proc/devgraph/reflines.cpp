// Reference lines and their intersections with the fitted lines, and where their labels stand.
//
// Every routine below runs in one of three modes (RefPen): it draws; it only tells the texts it
// would write and the lines it would draw; or it writes the texts that stand on a box of the
// background colour, over what was drawn since. The texts of a panel are placed together (a
// Plan, common/labelplace.h) before any is written: each beside its own line where the drawing puts
// it unless that breaks the rules there, else further along its line, else in a column with a
// leader to its line.
#include "proc/framework/labelnotes.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/devgraph/insetroom.h"
#include "common/labelplace.h"
#include "proc/framework/optslots.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/steplog.h"
#include "proc/framework/textpad.h"
#include "proc/framework/wholenum.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"
#include "proc/numeric/distributions.h"
#include "proc/numeric/normal.h"

namespace {

constexpr double kLog10e = 0.4342944819032518;   // log10(e)
constexpr double kExpMax = 709.782712893384;

// The area of the lines: the frame widened by its gaps, as much above as below, so that its top
// stops short of the strip of censored marks above an upright plot; wall is the end of the drawn
// frame across, as far right of the frame as left of it, short of the strip beside a turned plot.
// An upright line beyond the wall would run through that strip: it is not drawn.
struct Area {
    double left, right, bottom, top, fbottom, ftop, fright, wall;
};
Area area(const vyxstate* s) {
    const plotlay* f = s->plot.frame;
    const bool strip = s->popt.pflags.rotate && (s->work.nocenplot || s->popt.pflags.cenbin);
    return {f->fx - f->gapl, f->fx + f->fw + f->gapr, f->fy - f->gapb, f->fy + f->fh + f->gapb,
            f->fy,           f->fy + f->fh,           f->fx + f->fw,   f->fx + f->fw + (strip ? f->gapl : f->gapr)};
}

// One text the reference-line routines write: its characters and text record, its line and
// the place the drawing gives it.
struct Ask {
    char text[17] = {};
    int len = 0;
    ggtext t;
    labelplace::Label lab;   // page percent
};

// Where each text of a panel stands, in the order the routines write them (the VREF routine's
// first, then the HREF and the SREF routines').
struct Plan {
    std::vector<Ask> asks;
    std::vector<labelplace::Placed> answers;   // page percent
    size_t nvert = 0;              // texts of the VREF routine
    size_t nhref = 0;              // texts of the HREF routine
};

// Where the reference-line routines send their work: onto the page (DRAW); into the list of
// the texts they would write and the lines they would draw (ASK: nothing drawn, nothing
// logged); or, after the groups are drawn, only the texts of the plan that stand on a box
// (OVER). Drawing, a text stands where the plan puts it, with its leader; one on a box waits
// for OVER when `defer` is set.
struct RefPen {
    enum Mode { DRAW, ASK, OVER };
    Mode mode = DRAW;
    std::vector<Ask>* asks = nullptr;
    std::vector<PageBox>* lines = nullptr;
    const Plan* plan = nullptr;
    size_t next = 0;            // the plan's answer for the next text
    bool defer = false;
    int32_t* omitted = nullptr; // counts, drawing, the texts left out for want of room
    ggctx* ctx = nullptr;       // the graphics context: leaders are drawn thinner than any line

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
        const size_t at = next++;
        const labelplace::Placed* an = plan && at < plan->answers.size() ? &plan->answers[at] : nullptr;
        const labelplace::Spot p = an ? an->at : a.lab.first;
        const bool boxed = an && an->boxed;
        if (an && an->same >= 0) return;   // the same text at the same line, written once
        if (an && an->omitted) {
            if (mode == DRAW && omitted) ++*omitted;
            return;
        }
        if (mode == OVER ? !boxed : boxed && defer) return;
        if (boxed && an->cover.x1 > an->cover.x0) {
            ggregion block{an->cover.x0, an->cover.y0, an->cover.x1, an->cover.y1, 2, 0};
            ggrba(0, &block, nullptr, 0, 7);
            ggrdba(0, 2, nullptr, &block, 0, 7);
        }
        if (an && an->leader.size() >= 4) {
            // A leader is a hairline in the reference lines' colour: it cannot be taken for a
            // fitted line (of one width or more).
            int32_t keep[2] = {1, 1};
            if (ctx) keep[0] = ctx->linewidth[0], keep[1] = ctx->linewidth[1], ctx->linewidth[0] = ctx->linewidth[1] = 0;
            for (size_t k = 2; k + 1 < an->leader.size(); k += 2)
                ggdraw(0, an->leader[k - 2], an->leader[k - 1], an->leader[k], an->leader[k + 1], 1, a.t.color);
            if (ctx) ctx->linewidth[0] = keep[0], ctx->linewidth[1] = keep[1];
        }
        a.t.align = p.end ? 2 : 1;
        drawtext(a.t, a.text, a.len, p.x, p.y);
    }
    // A value whose line cannot be drawn, each text once in the step.
    void warn(vyxstate* s, int msg, double v) const {
        if (drawing()) steplog(s, 510, msg, v);
    }
    // The values of a list off their axis (vertical: the upright one), each once, named in one
    // WARNING with the option that gave them once the list is drawn; only for the group the
    // statement is at (a relation plot passes no group and calls once).
    void offaxis(vyxstate* s, const grpnode* group, const std::vector<double>& off, bool vertical, const char* option) const {
        if (off.empty() || !drawing() || (group && group != s->groups.curgrp)) return;
        if (off.size() == 1) return steplog(s, 510, vertical ? W510_REF_OFF_VAXIS : W510_REF_OFF_HAXIS, option, off[0]);
        std::string list;
        for (double v : off) {
            char b[40];
            const int n = xpsstr(b, sizeof b, "%g", v);   // as the log writes a number
            if (!list.empty()) list += ", ";
            list.append(b, static_cast<size_t>(std::max(n, 0)));
        }
        steplog(s, 510, vertical ? W510_REFS_OFF_VAXIS : W510_REFS_OFF_HAXIS, option, txtarg(list.data(), static_cast<int>(list.size())));
    }
};

// A value of a list off its axis, kept once.
void offvalue(std::vector<double>& off, double v) {
    if (std::find(off.begin(), off.end(), v) == off.end()) off.push_back(v);
}

// A text to place: its characters, text record and line.
Ask ask(const ggtext& t, const char* text, int len, bool value, const PageBox& own) {
    Ask a;
    a.len = std::clamp(len, 0, 16);
    std::memcpy(a.text, text, static_cast<size_t>(a.len));
    a.t = t;
    a.lab.line = own;
    a.lab.text.assign(a.text, static_cast<size_t>(a.len));
    a.lab.value = value;
    a.lab.w = textwidth(a.t, a.text, a.len);
    a.lab.descends = descends(a.t);
    a.lab.rises = rises(a.t);
    a.lab.inked = true, a.lab.inkleft = a.t.inkleft, a.lab.inkright = a.t.inkright;
    a.lab.above = a.t.above, a.lab.below = a.t.below;
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
    len = reflabelwidth(t, len);
    // Blanks before or after the words are not drawn: a label stands by its letters, as the
    // statistical road's do.
    while (len > 0 && *t == ' ') ++t, --len;
    while (len > 0 && t[len - 1] == ' ') --len;
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

// Whether the statement gave the label position of `slot` (HREFLABPOS=, VREFLABPOS=, SREFLABPOS=).
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

// The place of a label beside an upright line at x, at height y (its pattern's): right of
// the line when it ends left of `limit`, else left of it; the end of the line its pattern
// starts from (HREFLABPOS= 3, 4 and 6 from the foot).
void besideupright(Ask& q, double x, double y, double d, double limit, int pos, bool given) {
    const bool right = x + d + q.lab.w < limit;
    q.lab.first = {right ? x + d : x - d, y, !right};
    q.lab.from = pos == 3 || pos == 4 || pos == 6 ? 1 : 0;
    q.lab.given = given;
}

// Height of a label beside a horizontal line at y: below it in the lower half when there is
// room above the area's bottom, else above; in the upper half above when there is room.
double besideline(const Area& a, double y, double h) {
    const double mid = (a.fbottom + a.ftop) / 2;
    if (y < mid) return y - h > a.bottom ? y - h : y + 0.5 * h;
    return y + h < a.top ? y + 0.5 * h : y - h;
}

// The place of a label of a level line at y by VREFLABPOS: 1 at the left end, 2 at the
// right end, 3 on the line, centred, 4 centred; beside the line as besideline says.
void besidelevel(Ask& q, double y, int pos, bool given, const Area& a, double d) {
    const double h = q.t.height, w = q.lab.w;
    const double centre = (a.left + a.right - w) / 2;
    if (pos == 3) q.lab.first = {centre, y, false};
    else if (pos == 2) q.lab.first = {a.right - d, besideline(a, y, h), true};
    else if (pos == 4) q.lab.first = {centre, besideline(a, y, h), false};
    else q.lab.first = {a.left + d, besideline(a, y, h), false};
    q.lab.from = pos == 2 ? 1 : pos == 3 || pos == 4 ? 2 : 0;
    q.lab.online = pos == 3;
    q.lab.given = given;
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

// The line through the point where reference value v (time-axis units; `written` as the
// statement gave it, for the WARNING of a point off the axis) meets group g's fitted line,
// labelled (labelled 1) with the value read off there at its end (VREFLABPOS).
void hcross(vyxstate* s, const grpnode* g, double v, double written, int labelled, int ltype, RefPen& pen) {
    plotlay* f = s->plot.frame;
    const Area a = area(s);
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
        if (pen.drawing()) crosswarn(s, true, v, written, s->popt.pflags.fmcombine && !swapped ? NAN : coord, value);
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
    besidelevel(q, y, pos, posgiven(s, slot::plot::VREFLABPOS), a, 0.5 * f->txth * f->chdiv);
    pen.label(std::move(q));
}

// The line through the point where reference value v (probability-axis units; `written` as
// in hcross) meets group g's fitted line, labelled with the value read off there; its height
// follows HREFLABPOS with the running height and step of the caller, so that successive
// values stack.
void vcross(vyxstate* s, const grpnode* g, double v, double written, int labelled, int ltype, double* labely, int* labelstep,
            RefPen& pen) {
    plotlay* f = s->plot.frame;
    const Area a = area(s);
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
    if (!(x >= a.left && x <= a.wall)) {
        if (pen.drawing()) crosswarn(s, false, v, written, coord, value);
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
    besideupright(q, x, *labely, 0.5 * f->txth * f->chdiv, a.right, pos, posgiven(s, slot::plot::HREFLABPOS));
    pen.label(std::move(q));
}

// The HREF lines of group's panel with their labels and intersections.
void hrefs(vyxstate* s, const grpnode* group, RefPen& pen) {
    plotlay* f = s->plot.frame;
    const Area a = area(s);
    const bool probaxis = s->popt.pflags.rotate && !s->popt.pflags.ismcf;
    if (probaxis && !s->opts.quant_fn) return;   // no probability axis to draw on
    const int ltype = ltypeof(s->inwork.curstmt, slot::plot::LHREF), color = s->plot.colors[GC_HREF] > 0 ? s->plot.colors[GC_HREF] : 1;
    const double h = f->txth, d = 0.5 * h * f->chdiv;
    const int pos = s->popt.refopts[REFPOS_HREF];
    const bool given = posgiven(s, slot::plot::HREFLABPOS);
    std::vector<double> off;   // values off the axis
    int step = 0;
    ggtext t = labeltext(s, GC_HREF);
    for (int k = 0; k < s->work.refs.counts[REF_HREF]; ++k) {
        double v = s->work.refs.vals[REF_HREF][k];
        if (probaxis) {
            if (!(v >= 0 && v <= 100)) {
                pen.warn(s, W510_REF_PROB_OUTSIDE, v);
                continue;
            }
            v = s->opts.quant_fn(v / 100);
        } else if (logtime(s, 0)) {
            if (!(v >= GZ_UNIT)) {
                pen.warn(s, W510_REF_NOT_ON_LOG_AXIS, v);
                continue;
            }
            v = std::log10(v);
        }
        const double x = v * f->hfac + f->hoff;
        if (!(x >= a.left && x <= a.wall)) {
            offvalue(off, s->work.refs.vals[REF_HREF][k]);
            continue;
        }
        const PageBox line{x, a.bottom, x, a.top};
        pen.line(line.x0, line.y0, line.x1, line.y1, ltype, color);
        char label[17];
        int len = reflabel(s, REF_HREF, k, label);
        if (len > 0) {
            const double y = steppedheight(pos, a, h, &step);
            Ask q = ask(t, label, len, false, line);
            besideupright(q, x, y, d, a.fright, pos, given);
            pen.label(std::move(q));
        }
        if (s->popt.pflags.refstop)
            fittedgroups(s, group, [&](const grpnode* g) { hcross(s, g, v, s->work.refs.vals[REF_HREF][k], len > 0 ? 1 : 0, ltype, pen); });
    }
    pen.offaxis(s, group, off, false, refoption(s, REF_HREF));
}

// The VREF lines of group's panel with their labels and intersections.
void vrefs(vyxstate* s, const grpnode* group, RefPen& pen) {
    plotlay* f = s->plot.frame;
    const Area a = area(s);
    const bool probaxis = !s->popt.pflags.rotate && !s->popt.pflags.ismcf;
    if (probaxis && !s->opts.quant_fn) return;   // no probability axis to draw on
    const int ltype = ltypeof(s->inwork.curstmt, slot::plot::LVREF), color = s->plot.colors[GC_VREF] > 0 ? s->plot.colors[GC_VREF] : 1;
    const double d = 0.5 * f->txth * f->chdiv;
    const int pos = s->popt.refopts[REFPOS_VREF];
    const bool given = posgiven(s, slot::plot::VREFLABPOS);
    std::vector<double> off;   // values off the axis
    double labely = 0;
    int labelstep = 0;
    ggtext t = labeltext(s, GC_VREF);
    for (int k = 0; k < s->work.refs.counts[REF_VREF]; ++k) {
        double v = s->work.refs.vals[REF_VREF][k];
        if (probaxis) {
            if (!(v >= 0 && v <= 100)) {
                pen.warn(s, W510_REF_PROB_OUTSIDE, v);
                continue;
            }
            v = s->opts.quant_fn(v / 100);
        } else if (logtime(s, 1)) {
            if (!(v >= GZ_UNIT)) {
                pen.warn(s, W510_REF_NOT_ON_LOG_AXIS, v);
                continue;
            }
            v = std::log10(v);
        }
        const double y = v * f->vfac + f->voff;
        if (!(y >= a.bottom && y <= a.top)) {
            offvalue(off, s->work.refs.vals[REF_VREF][k]);
            continue;
        }
        const PageBox line{a.left, y, a.right, y};
        pen.line(line.x0, line.y0, line.x1, line.y1, ltype, color);
        char label[17];
        int len = reflabel(s, REF_VREF, k, label);
        if (len > 0) {
            Ask q = ask(t, label, len, false, line);
            besidelevel(q, y, pos, given, a, d);
            pen.label(std::move(q));
        }
        if (s->work.refstop2 && group)
            fittedgroups(s, group, [&](const grpnode* g) {
                vcross(s, g, v, s->work.refs.vals[REF_VREF][k], len > 0 ? 1 : 0, ltype, &labely, &labelstep, pen);
            });
    }
    pen.offaxis(s, group, off, true, refoption(s, REF_VREF));
}

// The SREF lines of a relation plot with their labels: values outside the area are skipped
// (the warning is ours, with the value as the statement gave it: the relation's transform has
// replaced the list's).
void srefs(vyxstate* s, RefPen& pen) {
    plotlay* f = s->plot.frame;
    const Area a = area(s);
    const int ltype = ltypeof(s->inwork.curstmt, slot::plot::LSREF), color = s->plot.colors[GC_SREF] > 0 ? s->plot.colors[GC_SREF] : 1;
    const double h = f->txth, d = 0.5 * h * f->chdiv;
    const int pos = std::clamp(s->popt.refopts[REFPOS_SREF], 1, 4);
    const bool given = posgiven(s, slot::plot::SREFLABPOS);
    int step = 0;
    std::vector<double> off;   // values off the axis
    ggtext t = labeltext(s, GC_SREF);
    for (int k = 0; k < s->work.refs.counts[REF_SREF]; ++k) {
        double v = s->work.refs.vals[REF_SREF][k];
        if (s->opts.stressrel == 3) {
            if (!(v >= GZ_UNIT)) {
                pen.warn(s, W510_REF_NOT_ON_LOG_AXIS, v);
                continue;
            }
            v = std::log10(v);
        }
        const double x = v * f->hfac + f->hoff;
        if (!(x >= a.left && x <= a.right)) {
            double written = v;
            optnum(s->inwork.curstmt, slot::plot::SREF, k, &written);
            offvalue(off, written);
            continue;
        }
        const PageBox line{x, a.bottom, x, f->fy + f->fh + f->gapt};
        pen.line(line.x0, line.y0, line.x1, line.y1, ltype, color);
        char label[17];
        const int len = reflabel(s, REF_SREF, k, label);
        if (len > 0) {
            Ask q = ask(t, label, len, false, line);
            besideupright(q, x, steppedheight(pos, a, h, &step), d, a.fright, pos, given);
            pen.label(std::move(q));
        }
    }
    pen.offaxis(s, nullptr, off, false, "SREF");
}

// Which reference lines a plan covers: a probability or MCF panel's VREF and HREF lines, or a
// relation plot's VREF and SREF lines.
enum class Panel { PROBABILITY, RELATION };

// What the placement of group's panel is made from (a relation plot passes no group; `inkfn`
// tells what the groups draw where the routines do not know it), in page percent with every x
// divided by the page's aspect: the routines' texts (plan->asks), their labels and what they
// keep clear of, without an inset. False: no texts.
bool groundof(vyxstate* s, const grpnode* group, panelink inkfn, Panel kind, Plan* plan, std::vector<labelplace::Label>* labels,
              labelplace::Ground* ground) {
    const plotlay* f = s->plot.frame;
    std::vector<PageBox> lines;
    RefPen pen;
    pen.mode = RefPen::ASK;
    pen.asks = &plan->asks;
    pen.lines = &lines;
    if (s->work.refs.counts[REF_VREF]) vrefs(s, group, pen);
    plan->nvert = plan->asks.size();
    if (kind == Panel::PROBABILITY && s->work.refs.counts[REF_HREF]) hrefs(s, group, pen);
    if (kind == Panel::RELATION && s->work.refs.counts[REF_SREF] > 0) srefs(s, pen);
    plan->nhref = plan->asks.size() - plan->nvert;
    if (plan->asks.empty()) return false;

    PanelInk ink;
    if (!group) {
        if (inkfn) inkfn(s, nullptr, &ink);
    } else {
        panelgroups(s, group, [&](const grpnode* g) { inkfn ? inkfn(s, g, &ink) : ppink(s, g, &ink); });
    }
    // The placement measures across and up alike: every x of the page in y percent.
    const double q = f->chdiv;
    auto square = [q](std::vector<PageBox>& v) {
        for (PageBox& b : v) b.x0 /= q, b.x1 /= q;
        return std::move(v);
    };
    const Area a = area(s);
    labelplace::Ground& g = *ground;
    g.room = {a.left / q, a.bottom, a.right / q, a.top};
    // Labels may stand in the gaps beside the frame, as the description puts them; their
    // leaders keep inside the frame.
    g.inner = {f->fx / q, f->fy, std::min(a.right, f->fx + f->fw) / q, f->fy + f->fh};
    // Beside a turned frame the strip of censored marks takes the right gap: it is not the labels' room.
    if (kind == Panel::PROBABILITY && s->popt.pflags.rotate && !s->popt.pflags.ismcf && (s->work.nocenplot || s->popt.pflags.cenbin))
        g.room.x1 = std::min(a.right, f->fx + f->fw + f->gapl) / q;
    // Rows a label height apart, the first from the top a label height below the area's top and
    // from the foot half a height above the frame's bottom, as the stepped label positions are.
    g.h = f->txth;
    g.gap = 0.5 * f->txth;
    g.pitch = f->txth;
    g.toprow = a.top - f->txth;
    g.footrow = a.fbottom + 0.5 * f->txth;
    g.texts = square(ink.texts);
    g.marks = square(ink.marks);
    g.ink = square(ink.lines);
    g.refs = square(lines);
    // The frame's lines run along the room's edges (the right and the top one not with NOFRAME):
    // a label's glyphs keep clear of them as of any line. They are told a hair outside the room,
    // so that a column's box of the background may still reach its edge.
    const PageBox& r = g.room;
    const double e = 0.01 * g.h;
    g.ink.push_back({r.x0 - e, r.y0 - e, r.x0 - e, r.y1 + e});
    g.ink.push_back({r.x0 - e, r.y0 - e, r.x1 + e, r.y0 - e});
    if (!s->popt.pflags.noframe) {
        g.ink.push_back({r.x1 + e, r.y0 - e, r.x1 + e, r.y1 + e});
        g.ink.push_back({r.x0 - e, r.y1 + e, r.x1 + e, r.y1 + e});
    }
    g.framelines = s->popt.pflags.noframe ? 2 : 4;
    for (const Ask& k : plan->asks) {
        labelplace::Label l = k.lab;
        l.line.x0 /= q, l.line.x1 /= q, l.w /= q, l.first.x /= q, l.inkleft /= q, l.inkright /= q;
        labels->push_back(std::move(l));
    }
    return true;
}

// The texts of group's panel placed. withinset: the labels keep clear of the group's inset where
// it stands (where `at` is given, of an inset there instead).
Plan makeplan(vyxstate* s, const grpnode* group, panelink inkfn, bool withinset, Panel kind, const PageBox* at = nullptr) {
    Plan plan;
    std::vector<labelplace::Label> labels;
    labelplace::Ground ground;
    if (!groundof(s, group, inkfn, kind, &plan, &labels, &ground)) return plan;
    const double q = s->plot.frame->chdiv;
    const insetrec* r = s->plot.inset;
    ground.inset = withinset && (at || (r && r->active && r->group == group && !r->noframe));
    if (ground.inset) ground.insetbox = at ? PageBox{at->x0 / q, at->y0, at->x1 / q, at->y1} : PageBox{r->boxxlo / q, r->boxylo, r->boxxhi / q, r->boxyhi};
    plan.answers = labelplace::place(labels, ground);
    for (labelplace::Placed& p : plan.answers) {
        p.at.x *= q, p.cover.x0 *= q, p.cover.x1 *= q;
        for (size_t k = 0; k < p.leader.size(); k += 2) p.leader[k] *= q;
    }
    return plan;
}

// The lines of `which` (REF_VREF, REF_HREF or REF_SREF) drawn by the plan of group's panel.
void drawrefs(vyxstate* s, grpnode* group, const Plan& plan, int which, bool defer) {
    RefPen pen;
    pen.plan = &plan;
    pen.defer = defer;
    pen.omitted = &s->plot.frame->labelsleft;
    pen.ctx = s->plot.gctx;
    pen.next = which == REF_VREF ? 0 : plan.nvert;
    if (which == REF_VREF) {
        if (stmtslot(s->inwork.curstmt, slot::plot::WAXIS)) setwidth(s, 1);
        vrefs(s, group, pen);
    } else if (which == REF_HREF) {
        setwidth(s, 1);
        hrefs(s, group, pen);
    } else {
        setwidth(s, 1);
        srefs(s, pen);
    }
    resetwidth(s);
}

// The texts of the plan that stand on boxes, written over what was drawn since the lines.
void drawover(vyxstate* s, grpnode* group, const Plan& plan, Panel kind) {
    if (std::none_of(plan.answers.begin(), plan.answers.end(), [](const labelplace::Placed& a) { return a.boxed; })) return;
    RefPen pen;
    pen.mode = RefPen::OVER;
    pen.plan = &plan;
    pen.ctx = s->plot.gctx;
    if (s->work.refs.counts[REF_VREF]) vrefs(s, group, pen);
    if (kind == Panel::PROBABILITY && s->work.refs.counts[REF_HREF]) hrefs(s, group, pen);
    if (kind == Panel::RELATION && s->work.refs.counts[REF_SREF] > 0) srefs(s, pen);
}

}  // namespace

// Each routine places its panel's texts once (a plan walks what the groups draw) and draws
// every kind of line it is asked for from that plan.
void vyxghrl(vyxstate* s, grpnode* group, panelink ink) {
    drawrefs(s, group, makeplan(s, group, ink, true, Panel::PROBABILITY), REF_HREF, false);
}

void vyxgvrl(vyxstate* s, grpnode* group, panelink ink) {
    if (group) return drawrefs(s, group, makeplan(s, group, ink, true, Panel::PROBABILITY), REF_VREF, false);
    // A relation plot: the labels on boxes go over all its reference lines.
    const Plan plan = makeplan(s, nullptr, ink, true, Panel::RELATION);
    drawrefs(s, nullptr, plan, REF_VREF, true);
    if (s->work.refs.counts[REF_SREF] <= 0) drawover(s, nullptr, plan, Panel::RELATION);
}

void vyxgsrl(vyxstate* s, panelink ink) {
    const Plan plan = makeplan(s, nullptr, ink, true, Panel::RELATION);
    drawrefs(s, nullptr, plan, REF_SREF, true);
    drawover(s, nullptr, plan, Panel::RELATION);
}

void vyxgrefs(vyxstate* s, grpnode* group, panelink ink) {
    if (!s->work.refs.counts[REF_VREF] && !s->work.refs.counts[REF_HREF]) return;
    const Plan plan = makeplan(s, group, ink, true, Panel::PROBABILITY);
    if (s->work.refs.counts[REF_VREF]) drawrefs(s, group, plan, REF_VREF, true);
    if (s->work.refs.counts[REF_HREF]) drawrefs(s, group, plan, REF_HREF, true);
    drawover(s, group, plan, Panel::PROBABILITY);
}

void refsunder(vyxstate* s, grpnode* group) {
    if (!group || (!s->work.refs.counts[REF_VREF] && !s->work.refs.counts[REF_HREF])) return;
    const Plan plan = makeplan(s, group, nullptr, true, Panel::PROBABILITY);
    if (s->work.refs.counts[REF_VREF]) drawrefs(s, group, plan, REF_VREF, true);
    if (s->work.refs.counts[REF_HREF]) drawrefs(s, group, plan, REF_HREF, true);
}

void refsover(vyxstate* s, grpnode* group) {
    if (!group || (!s->work.refs.counts[REF_VREF] && !s->work.refs.counts[REF_HREF])) return;
    drawover(s, group, makeplan(s, group, nullptr, true, Panel::PROBABILITY), Panel::PROBABILITY);
}

int reflabelinset(vyxstate* s, const grpnode* group, std::vector<labelplace::InsetPlace> places, bool* clear, panelink ink) {
    Plan plan;
    std::vector<labelplace::Label> labels;
    labelplace::Ground ground;
    if (!group || !groundof(s, group, ink, Panel::PROBABILITY, &plan, &labels, &ground)) labels.clear();
    const double q = s->plot.frame->chdiv;
    for (labelplace::InsetPlace& p : places) p.box.x0 /= q, p.box.x1 /= q;
    return labelplace::placeinset(labels, ground, places, clear);
}

void hintersct(vyxstate* s, grpnode* g, double v, int labelled, int ltype) {
    RefPen pen;
    hcross(s, g, v, NAN, labelled, ltype, pen);
}

void vintersct(vyxstate* s, grpnode* g, double v, int labelled, int ltype, double* labely, int* labelstep) {
    RefPen pen;
    vcross(s, g, v, NAN, labelled, ltype, labely, labelstep, pen);
}
