// Reference lines of a probability plot (time references HREF/LREF and probability
// references VREF/PREF, stopping at the fitted line when asked), and the tick lists of its
// probability axis.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "proc/framework/labelnotes.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/framework/steplog.h"
#include "proc/framework/textpad.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"
#include "proc/numeric/distributions.h"
#include "proc/numeric/normal.h"
#include "proc/statgraph/sgmath.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/statgraph_internal.h"

using sg::ismiss;
using sg::missing;

namespace {

constexpr double kLog10Max = 308.25471555991675;

// The label of reference value k into a 16-character cell (16 blanks, then the label);
// false when the list has no labels.
bool reflabel(const vyxstate* s, int which, int k, char* cell) {
    const auto* slot = static_cast<const optslot*>(s->work.refs.labels[which]);
    if (!slot) return false;
    int len = 0;
    const char* t = zparm(slot, k, &len);
    padtext(cell, SG_REFLABEL, 0, t, reflabelwidth(t, len));
    return true;
}

// A value formatted as a tick label into a 16-character cell.
void valuelabel(char* cell, double v) {
    char buf[10];
    int ndec = 2, w = 2;
    const int n = shwylab(buf, v, &ndec, &w, 0);
    padtext(cell, SG_REFLABEL, 0, buf, std::min(n, 10));
}

// Survival at the standardized value z of the plot's distribution; missing for a
// distribution without a survival formula here.
double survival(uint32_t dist, double z) {
    switch (familyof(dist)) {
    case FAM_NORMAL: return 1 - zprbnrm(z);
    case FAM_EXTREME: return z <= sg::kExpCap ? std::exp(-std::exp(z)) : 0.0;
    case FAM_LOGISTIC: return z <= 0 ? 1 / (1 + std::exp(z)) : std::exp(-z) / (1 + std::exp(-z));
    default: return missing();
    }
}

void resetrefs(vyxstate* s) {
    std::memset(s->sg.refrowlab[SG_XREF], ' ', SG_REFLABEL);
    std::memset(s->sg.refrowlab[SG_YREF], ' ', SG_REFLABEL);
    s->sg.refrow[SG_XREF] = s->sg.refrow[SG_YREF] = missing();
}

}  // namespace

int PPlotRefLines(vyxstate* s, grpnode* g) {
    const double loc = g->loc, scale = g->scale;
    const double slope = !ismiss(scale) && scale > 0 ? 1 / scale : missing();
    const double icpt = ismiss(loc) || ismiss(scale) ? missing() : -loc / scale;
    const auto& c = s->work.refs.counts;
    if (s->popt.pflags.rotate && (c[REF_HREF] > 0 || c[REF_VREF] > 0)) {
        // The relation plot turns its probability panel itself, ROTATE or not: its warning
        // names the options given and the lines that panel draws, not ROTATE.
        if (s->input.stmtkind == 4)
            steplog(s, 510, W510_RELPLOT_PANEL_HVREF,
                   c[REF_HREF] > 0 && c[REF_VREF] > 0 ? "HREF= and VREF=" : c[REF_HREF] > 0 ? "HREF=" : "VREF=");
        else
            steplog(s, 510, W510_ROTATE_REFS);
        return 1;
    }
    // A reference row carries the reference cells alone (and the group's), no curve point.
    for (int k = 0; k < SG_CELLS; ++k) s->row.rowvals[k] = missing();
    double* ref = s->sg.refrow;
    char* xlab = s->sg.refrowlab[SG_XREF];
    char* ylab = s->sg.refrowlab[SG_YREF];

    const int tw = c[REF_LREF] > 0 ? REF_LREF : REF_HREF;
    for (int k = 0; k < c[tw]; ++k) {
        const double v = s->work.refs.vals[tw][k];
        ref[SG_XREF] = v;
        ref[SG_YREF] = missing();
        if (s->popt.pflags.refstop && s->popt.pflags.fmcombine) {
            // The combined failure-mode curve there, without its limits.
            double rec[FM_WORDS];
            const uint8_t noconf = s->work.noconf;
            s->work.noconf = 1;
            const double x = sg::fwdtime(s, v);
            ref[SG_YREF] = !ismiss(x) && fmest(s, x, rec) == 0 && !ismiss(rec[FM_F]) && rec[FM_F] < 1 ? sg::quant(s, rec[FM_F]) : missing();
            s->work.noconf = noconf;
        } else if (s->popt.pflags.refstop) {
            const double x = sg::fwdtime(s, v);
            ref[SG_YREF] = ismiss(slope) || ismiss(icpt) || ismiss(x) ? missing() : slope * x + icpt;
        }
        if (reflabel(s, tw, k, xlab) && !ismiss(ref[SG_YREF])) {
            const double S = survival(s->opts.distcode, ref[SG_YREF]);
            if (!ismiss(S)) valuelabel(ylab, (1 - S) * 100);
        }
        if (int rc = phrow(s)) return rc;
        resetrefs(s);
    }

    const int pw = c[REF_PREF] > 0 ? REF_PREF : REF_VREF;
    for (int k = 0; k < c[pw]; ++k) {
        const double v = s->work.refs.vals[pw][k];
        ref[SG_XREF] = missing();
        // Also with ROTATE: a reference at 0 or 100 percent has no finite place on the axis.
        if (!(v > 0 && v < 100)) {
            steplog(s, 510, W510_REF_PROB_OUTSIDE, v);
            ref[SG_YREF] = missing();
            continue;
        }
        ref[SG_YREF] = sg::quant(s, v / 100);
        if (s->work.refstop2 && s->popt.pflags.fmcombine) {
            // Where the combined curve reaches v percent.
            double t = missing(), p = v / 100;
            ref[SG_XREF] = s->life.fmcurve && fmint(s, &t, &p, s->life.fmcurve, s->opts.npoints + 1, 1) == 0 ? t : missing();
        } else if (s->work.refstop2) {
            const double x = ismiss(ref[SG_YREF]) || ismiss(scale) || ismiss(loc) ? missing() : ref[SG_YREF] * scale + loc;
            if (ismiss(x))
                ref[SG_XREF] = missing();
            else if (s->opts.logscale[LSC_LN])
                ref[SG_XREF] = x < sg::kExpCap ? std::exp(x) : missing();
            else if (s->opts.logscale[LSC_LOG10])
                ref[SG_XREF] = x < kLog10Max ? std::pow(10.0, x) : missing();
            else
                ref[SG_XREF] = x;
        }
        if (reflabel(s, pw, k, ylab) && !ismiss(ref[SG_XREF])) valuelabel(xlab, ref[SG_XREF]);
        if (int rc = phrow(s)) return rc;
        resetrefs(s);
    }
    resetrefs(s);
    return 0;
}

void probrefs(const vyxstate* s, GraphRequest& r) {
    const auto& c = s->work.refs.counts;
    if (s->popt.pflags.rotate && (c[REF_HREF] > 0 || c[REF_VREF] > 0)) return;   // no reference rows at all
    const int pw = c[REF_PREF] > 0 ? REF_PREF : REF_VREF;
    std::string list;
    for (int k = 0; k < c[pw]; ++k) {
        const double v = s->work.refs.vals[pw][k];
        if (!(v > 0 && v < 100)) continue;
        char buf[32];
        const int n = std::snprintf(buf, sizeof buf, "%.17g", v);
        if (!list.empty()) list += ' ';
        list.append(buf, static_cast<size_t>(n));
    }
    if (!list.empty()) r.text("_ProbRefs", rdxtxt(list.c_str(), static_cast<int>(list.size())));
    // Time references that stop at the fitted line: the standardized distribution of the
    // probability axis, by which the renderer tells the percent where a line meets the fit
    // beyond the axis (the YRefLabel of 1 - exp(-exp(z)) far below the axis reads 0).
    static const char* const family[] = {"NORMAL", "EXTREME", "LOGISTIC"};
    const int fam = familyof(s->opts.distcode);
    if (s->popt.pflags.refstop && c[c[REF_LREF] > 0 ? REF_LREF : REF_HREF] > 0 && fam >= FAM_NORMAL && fam <= FAM_LOGISTIC)
        r.text("_ProbScale", rdxtxt(family[fam], -1));
}

int countNonBlank(const char* text, int max) {
    if (max < 1 || !text) return 0;
    const void* nul = std::memchr(text, '\0', static_cast<size_t>(max));
    return nul ? static_cast<int>(static_cast<const char*>(nul) - text) : max;
}

namespace {
// n values each formatted into width bytes plus extra, blank separated; the text from the pool.
int strlist(poolobj* pool, const double* values, int n, char** text, int* size, const char* format, int width, int extra) {
    if (n < 0) n = 0;
    const int64_t bytes = int64_t(width) * n + int64_t(extra) * n + 1;
    auto* t = static_cast<char*>(poolbytes(pool, bytes, poolflag::zeroed_marked));
    *text = t;
    *size = 0;
    if (!t) return 1;
    std::memset(t, ' ', static_cast<size_t>(bytes));
    int at = 0;
    for (int i = 0; i < n; ++i) {
        const int room = static_cast<int>(bytes - 1) - at;
        if (room <= 0) break;
        const int w = xpsstr(t + at, std::min(room, width + extra - 1), format, values[i]);
        at += std::max(w, width + extra - 1);
        if (i + 1 < n && at < bytes - 1) t[at++] = ' ';
    }
    t[bytes - 1] = '\0';
    *size = static_cast<int>(bytes - 1);
    return 0;
}
}  // namespace

int numbersToStrList(poolobj* pool, const double* values, int n, char** text, int* size, const char* format, int width) {
    if (!format) format = "%-12g", width = 13;
    return strlist(pool, values, n, text, size, format, width, 0);
}

int labelsToStrList(poolobj* pool, const double* values, int n, char** text, int* size, const char* format, int width) {
    if (!format) format = "'%-12g'", width = 13;
    return strlist(pool, values, n, text, size, format, width, 2);
}

int SetProbAxis(vyxstate* s, char** ticks, int* tickslen, char** labels, int* labelslen) {
    const int n = std::max(s->popt.panels.npct, 0);
    auto* q = static_cast<double*>(poolbytes(s->pools.stmtpool, int64_t(std::max(n, 1)) * 8, poolflag::raw_marked));
    *ticks = *labels = nullptr;
    *tickslen = *labelslen = 0;
    if (!q) {
        xmemmsg(int64_t(std::max(n, 1)) * 8);
        return 1;
    }
    for (int i = 0; i < n; ++i) q[i] = s->opts.quant_fn(s->popt.panels.pctlist[i] / 100);
    int rc = numbersToStrList(s->pools.stmtpool, q, n, ticks, tickslen, nullptr, 0);
    if (!rc) *tickslen = countNonBlank(*ticks, wzstrip(*ticks, *tickslen));
    if (!rc) rc = labelsToStrList(s->pools.stmtpool, s->popt.panels.pctlist, n, labels, labelslen, nullptr, 0);
    if (!rc) *labelslen = countNonBlank(*labels, wzstrip(*labels, *labelslen));
    poolput(s->pools.stmtpool, q);
    if (rc) xmemmsg(int64_t(n) * 15);
    return rc;
}

void deviceprobends(const vyxstate* s, double* vlo, double* vhi) {
    const plotlay* f = s->plot.frame;
    const double* L = s->popt.panels.pctlist;
    const int n = s->popt.panels.npct;
    if (!f || !L || f->pfirst < 0 || f->plast >= n || f->pfirst >= f->plast) return;
    *vlo = s->opts.quant_fn(L[f->pfirst] / 100);
    *vhi = s->opts.quant_fn(L[f->plast] / 100);
}
