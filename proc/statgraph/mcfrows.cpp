// The rows of one group of an MCF plot's phantom object: the curve with its limits and
// end-of-observation marks (and the steps of a step plot), and the reference lines: time
// references with the curve's level there, level references with the times the curve
// reaches them.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "proc/framework/labelnotes.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/memnum.h"
#include "proc/vyxstate.h"
#include "proc/mcf/mcf.h"
#include "proc/numeric/normal.h"
#include "proc/statgraph/sgmath.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/statgraph_internal.h"

using sg::ismiss;
using sg::missing;

namespace {

constexpr double kEps = 1.110223024625157e-16;
constexpr double kTol = 1000 * kEps;

void resetrefs(vyxstate* s) {
    std::memset(s->sg.refrowlab[SG_XREF], ' ', SG_REFLABEL);
    std::memset(s->sg.refrowlab[SG_YREF], ' ', SG_REFLABEL);
    s->sg.refrow[SG_XREF] = s->sg.refrow[SG_YREF] = missing();
}

void resetcells(vyxstate* s) {
    resetrefs(s);
    for (int k = 0; k < SG_CELLS; ++k) s->row.rowvals[k] = missing();
}

// Calls f(record) for each record of the group in order; 0, or 1020 after 510/22.
template <class F>
int eachrecord(grpnode* g, F&& f) {
    if (g->mcf.nrec <= 0) return 0;
    mcfwalk w;
    if (int rc = mcfwalkstart(&w, g, false)) return rc;
    // The records of a group difference lie in the root's file one to a file record, and
    // the root has no buffer of its own.
    mcfrec one[1];
    if (w.file && !w.buf) {
        w.buf = one;
        w.perblock = 1;
    }
    int rc = 0;
    while (mcfrec* r = mcfwalknext(&w, &rc)) {
        if (int frc = f(*r)) return frc;
    }
    return rc;
}

bool censored(const mcfrec& r) { return ismiss(r.value); }

void label(const vyxstate* s, int which, int k, char* cell) {
    const auto* slot = static_cast<const optslot*>(s->work.refs.labels[which]);
    if (!slot) return;
    int len = 0;
    const char* t = zparm(slot, k, &len);
    padtext(cell, SG_REFLABEL, 0, t, reflabelwidth(t, len));
}
void valuelabel(char* cell, double v) {
    char buf[10];
    int ndec = 2, w = 2;
    const int n = shwylab(buf, v, &ndec, &w, 0);
    padtext(cell, SG_REFLABEL, 0, buf, n < 10 ? n : 10);
}

}  // namespace

int GetMCF(vyxstate* s, grpnode* g) {
    double T = g->mcf.endmax;
    if (s->popt.pflags.mcfdiff) {
        const grpnode* a = s->groups.grplist.head;
        const grpnode* b = a ? a->next : nullptr;
        if (a && b) T = fmin(a->mcf.endmax, b->mcf.endmax);
    }
    const double z = zprobitq(s->opts.alpha / 2);
    resetcells(s);
    double* v = s->row.rowvals;
    const bool step = s->mcf.mcftype == 1;
    // The level the step curve carries to its end: the last point's (0 at the origin).
    double lastm = missing(), lastlo = missing(), lasthi = missing();
    if (step && !s->opts.logscale[LSC_LN]) {
        v[SG_XVALUE2] = v[SG_YVALUE2] = v[SG_YUPPER2] = v[SG_YLOWER2] = 0;
        lastm = lastlo = lasthi = 0;
        if (int rc = phrow(s)) return rc;
    }
    const int rc = eachrecord(g, [&](const mcfrec& r) -> int {
        if (censored(r)) {
            if (!s->work.nocenplot) return 0;
            for (int k = 0; k < SG_CELLS; ++k) v[k] = missing();
            v[SG_CENSOR] = r.time;
            return phrow(s);
        }
        const double m = r.mcf, se = r.se;
        double lower = missing(), upper = missing();
        if (s->work.noconf) {
        } else if (s->mcf.mcfopt.loglims) {
            const double w = m > kEps ? se * z / m : missing();
            if (!ismiss(w) && w < sg::kExpCap) lower = m / std::exp(w), upper = m * std::exp(w);
        } else {
            lower = m - z * se;
            upper = m + z * se;
        }
        v[SG_XVALUE] = v[SG_XVALUE2] = r.time;
        v[SG_YVALUE] = v[SG_YVALUE2] = lastm = m;
        v[SG_YUPPER] = v[SG_YUPPER2] = lasthi = upper;
        v[SG_YLOWER] = v[SG_YLOWER2] = lastlo = lower;
        v[SG_CENSOR] = missing();
        return phrow(s);
    });
    if (rc) return rc;
    if (step) {
        // The last level carried to the end time, also when end-of-observation marks came
        // after the last point.
        for (int k = 0; k < SG_CELLS; ++k) v[k] = missing();
        v[SG_XVALUE2] = T;
        v[SG_YVALUE2] = lastm;
        v[SG_YUPPER2] = lasthi;
        v[SG_YLOWER2] = lastlo;
        if (int rc2 = phrow(s)) return rc2;
    }
    return 0;
}

int MCFRefLines(vyxstate* s, grpnode* g) {
    resetcells(s);
    double* ref = s->sg.refrow;
    const bool records = g->mcf.nrec > 0;

    // Time references: the curve's level at X.
    const int nh = s->work.refs.counts[REF_HREF];
    for (int k = 0; k < nh; ++k) {
        const double X = s->work.refs.vals[REF_HREF][k];
        ref[SG_XREF] = X;
        ref[SG_YREF] = missing();
        if (X < g->mcf.evtmin || X > g->mcf.evtmax) {
            ref[SG_XREF] = missing();
            xpmlog(510, N510_REF_OUTSIDE_CURVE, X);
            continue;
        }
        const bool labels = s->work.refs.labels[REF_HREF] != nullptr;
        if (labels) label(s, REF_HREF, k, s->sg.refrowlab[SG_XREF]);
        if (s->popt.pflags.refstop && records) {
            double p = -DBL_MAX, q = -DBL_MAX, lv = 0, level = missing();
            bool found = false, firstrec = true;
            const int rc = eachrecord(g, [&](const mcfrec& r) -> int {
                if (censored(r)) return 0;
                const double t = r.time, m = r.mcf;
                if (firstrec) p = t - kTol, firstrec = false;
                if (found && q < t) return 1;   // stop
                if (p < X && X <= t) {
                    level = X == t ? m : t - p >= kEps ? lv + (m - lv) * (X - p) / (t - p) : m;
                    found = true;
                }
                q = t;
                if (!found) p = t, lv = m;
                return 0;
            });
            if (rc > 1) return rc;
            ref[SG_YREF] = level;
            if (found && labels) valuelabel(s->sg.refrowlab[SG_YREF], level);
        }
        if (int rc = phrow(s)) return rc;
        resetrefs(s);
    }
    resetrefs(s);

    // Level references: the times at which the curve reaches Y.
    const int nv = s->work.refs.counts[REF_VREF];
    for (int k = 0; k < nv; ++k) {
        const double Y = s->work.refs.vals[REF_VREF][k];
        ref[SG_XREF] = missing();
        ref[SG_YREF] = Y;
        if (Y < g->mcf.mcfmin || Y > g->mcf.mcfmax) {
            ref[SG_YREF] = missing();
            xpmlog(510, N510_REF_OUTSIDE_CURVE, Y);
            continue;
        }
        const bool labels = s->work.refs.labels[REF_VREF] != nullptr;
        if (labels) label(s, REF_VREF, k, s->sg.refrowlab[SG_YREF]);
        int written = 0;
        if (s->work.refstop2 && records) {
            double p = 0, lv = -DBL_MAX;
            bool firstrec = true;
            const int rc = eachrecord(g, [&](const mcfrec& r) -> int {
                if (censored(r)) return 0;
                const double t = r.time, m = r.mcf;
                if (firstrec) lv = m - kTol, firstrec = false;
                if (fmin(m, lv) < Y && Y <= fmax(m, lv)) {
                    ref[SG_XREF] = m - lv >= kEps ? p + (t - p) * (Y - lv) / (m - lv) : t;
                    if (labels) valuelabel(s->sg.refrowlab[SG_XREF], ref[SG_XREF]);
                    if (int prc = phrow(s)) return prc;
                    ++written;
                    resetrefs(s);
                }
                p = t, lv = m;
                return 0;
            });
            if (rc) return rc;
        }
        // A level line that does not stop at the curve (or never meets it) is kept whole.
        if (written == 0) {
            ref[SG_XREF] = missing();
            ref[SG_YREF] = Y;
            if (int rc = phrow(s)) return rc;
        }
        resetrefs(s);
    }
    resetrefs(s);
    return 0;
}
