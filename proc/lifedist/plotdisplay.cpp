// Display options of PROBPLOT and RELATIONPLOT: the probability and life axes, CFRAME,
// survival times, reference lines, font, panels, relation-plot settings and class-level
// ordering (plotdisplay.h).
#include "proc/lifedist/plotdisplay.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "proc/framework/hostgraphics.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/stepend.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wholenum.h"
#include "proc/lifedist/lifedist.h"
#include "proc/lifedist/optread.h"

namespace {

constexpr double kEps53 = 1.110223024625157e-16;

// A PCTLIST-style list: end values before and after the given ones, checked from the last
// to the first (strictly increasing, within [lo, 99.999999]).
int givenlist(vyxstate* s, const optslot* o, double first, double last, double lo) {
    const int n = o->count;
    if (n < 2) {
        xpmlog(510, E510_PCTLIST_TOO_FEW);
        return 1;
    }
    const auto* v = static_cast<const double*>(o->ptr);
    for (int i = n - 1; i >= 0; --i) {
        const bool order = i == n - 1 || v[i] < v[i + 1];
        if (!order || !(v[i] >= lo) || !(v[i] <= 99.999999)) {
            xpmlog(510, E510_PCTLIST_ORDER, v[i]);
            return 1;
        }
    }
    const int64_t bytes = int64_t(n + 2) * 8;
    auto* list = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::raw));
    if (!list) {
        xmemmsg(bytes);
        return 1;
    }
    list[0] = first;
    std::memcpy(list + 1, v, size_t(n) * 8);
    list[n + 1] = last;
    s->poptw.panels.pctlist = list;
    s->poptw.panels.npct = n + 2;
    s->plot.frame->pfirst = s->plot.frame->pfirst2 = 1;
    s->plot.frame->plast = s->plot.frame->plast2 = n;
    s->poptw.pflags.mpgrid = 0;
    return 0;
}

// Reference values and labels of one option: values into refs; a label list must match the
// values, else two messages and the values are dropped.
void readref(vyxstate* s, const stmtrec* r, int which, int valslot, int labslot, int msg1, int msg2) {
    auto& refs = s->work.refs;
    refs.counts[which] = 0;
    refs.vals[which] = nullptr;
    refs.labels[which] = nullptr;
    const optslot* v = stmtslot(r, valslot);
    if (!v) return;
    // The statement's own copy: the relation plot transforms its SREF values in place, and the
    // statement's record serves every BY group.
    const int n = v->kind == SK_NUMLIST ? v->count : 1;
    const double* from = v->kind == SK_NUMLIST ? static_cast<const double*>(v->ptr) : &v->num;
    auto* vals = static_cast<double*>(poolbytes(s->pools.stmtpool, 8 * int64_t(n > 0 ? n : 1), poolflag::raw));
    if (!vals) {
        xmemmsg(8 * int64_t(n > 0 ? n : 1));
        return;
    }
    if (n > 0) std::memcpy(vals, from, 8 * static_cast<size_t>(n));
    refs.counts[which] = n;
    refs.vals[which] = vals;
    const optslot* l = stmtslot(r, labslot);
    if (!l) return;
    const bool list = l->given == 3, single = l->given == 2;
    if ((list && l->count == refs.counts[which]) || (single && refs.counts[which] == 1)) {
        refs.labels[which] = const_cast<optslot*>(l);
        return;
    }
    xpmlog(510, msg1);
    xpmlog(510, msg2);
    refs.counts[which] = 0;
    refs.vals[which] = nullptr;
}

// NROWS or NCOLS: a whole number not below 1 (at most MOST_PANELS, with a warning); 0 when
// absent, -1 after a message.
int panelcount(const stmtrec* r, int slotn, const char* name, int below, int notwhole) {
    const optslot* o = stmtslot(r, slotn);
    if (!o) return 0;
    if (o->num < 1) {
        xpmlog(510, below, o->num);
        return -1;
    }
    if (o->num != std::floor(o->num)) {
        xpmlog(510, notwhole, o->num);
        return -1;
    }
    return countopt(r, name, o->num, 1, MOST_PANELS, 1);
}

int probplotblock(vyxstate* s, const stmtrec* r) {
    auto& p = s->poptw.pflags;
    s->poptw.pflags.pplot = 1;
    p.relplot = 0;
    s->work.rellegend = 0;
    if (!p.overlay) p.legend = 0;
    if (p.overlay) {
        s->poptw.panels.nrows = s->poptw.panels.ncols = 1;
        return 0;
    }
    const int rows = panelcount(r, slot::plot::NROWS, "NROWS", E510_NROWS_BELOW_1, E510_NROWS_NOT_WHOLE);
    if (rows < 0) return 1;
    const int cols = panelcount(r, slot::plot::NCOLS, "NCOLS", E510_NCOLS_BELOW_1, E510_NCOLS_NOT_WHOLE);
    if (cols < 0) return 1;
    s->poptw.panels.nrows = rows;
    s->poptw.panels.ncols = cols;
    // One class variable sets exactly one strip; the flags of an earlier statement go first.
    p.layouth = p.layoutv = 0;
    switch (s->groups.nclass) {
        case 0:
            if (rows && rows != 1) xpmlog(510, W510_NROWS_NO_CLASS);
            if (cols && cols != 1) xpmlog(510, W510_NCOLS_NO_CLASS);
            s->poptw.panels.nrows = s->poptw.panels.ncols = 1;
            p.layouth = p.layoutv = 0;
            break;
        case 1:
            if (rows && cols && rows > 1 && cols > 1) {
                xpmlog(510, W510_PANELS_NEED_TWO_CLASS);
                s->poptw.panels.nrows = 2;
                s->poptw.panels.ncols = 1;
                p.layoutv = 1;
                xpmlog(510, N510_PANELS_IN_ROWS, 2);
                xpmlog(510, N510_PANELS_IN_ONE_COLUMN);   // "in one column" (510/33 counts columns)
            } else if (rows && cols && rows == 1) {
                p.layouth = 1;
            } else if (rows && cols) {
                p.layoutv = 1;
            } else if (cols) {
                s->poptw.panels.nrows = 1;
                p.layouth = 1;
            } else if (rows) {
                s->poptw.panels.ncols = 1;
                p.layoutv = 1;
            } else {
                s->poptw.panels.nrows = 2;
                s->poptw.panels.ncols = 1;
                p.layoutv = 1;
            }
            break;
        default:
            p.layouth = p.layoutv = 1;
            if (cols && !rows) {
                s->poptw.panels.nrows = 2;
                xpmlog(510, N510_PANELS_IN_ROWS, 2);
            } else if (rows && !cols) {
                s->poptw.panels.ncols = 2;
                xpmlog(510, N510_PANELS_IN_COLUMNS, 2);
            } else if (!rows && !cols) {
                s->poptw.panels.nrows = s->poptw.panels.ncols = 2;
            }
            break;
    }
    return 0;
}

int relationplotblock(vyxstate* s, const stmtrec* r) {
    auto& p = s->poptw.pflags;
    p.relplot = 1;
    p.pplot = stmtflag(r, flag::plot::PPLOT);
    if (p.pplot && s->work.fitmethod == FIT_REGRESSION) {
        xpmlog(510, W510_PPLOT_REGRESSION);
        p.pplot = 0;
    }
    if (!p.pplot && p.pconfplt) {
        xpmlog(510, W510_PCONFPLT_NEEDS_PPLOT);
        p.pconfplt = 0;
    }
    readref(s, r, REF_SREF, slot::plot::SREF, slot::plot::SREFLABELS, W510_HREFLABELS_COUNT, W510_HREFLABELS_HINT);
    s->poptw.refopts[REFPOS_SREF] = static_cast<int32_t>(gparm(r, slot::plot::SREFLABPOS, 1));
    if (!p.pplot) p.legend = 0;
    if (s->groups.nclass != 1) {
        xpmlog(510, E510_ONE_STRESS_VARIABLE);
        return 1;
    }
    if (!s->groups.clsnumeric[CV_FIRST]) {
        xpmlog(510, E510_STRESS_NOT_NUMERIC, s->groups.clsnames[CV_FIRST]);
        return 1;
    }
    s->groups.clsorder[CO_CODE] = 0;
    p.rotate = 1;
    p.overlay = 1;
    s->poptw.panels.nrows = 1;
    s->poptw.panels.ncols = p.pplot ? 2 : 1;
    if (p.cenbin) {
        xpmlog(510, W510_CENBIN_OVERLAY);
        p.cenbin = 0;
        s->work.nocenplot = 1;
    }
    const int cols = panelcount(r, slot::plot::NCOLS, "NCOLS", E510_NCOLS_BELOW_1, E510_NCOLS_NOT_WHOLE);
    if (cols < 0) return 1;
    if (cols) s->poptw.panels.ncols = cols;

    const optslot* rel = stmtslot(r, slot::plot::RELATION);
    s->poptw.rplotopt = rel ? rel->given : 0;
    s->optsw.stressrel = rel ? static_cast<uint32_t>(static_cast<int32_t>(rel->num)) : code::relation::LINEAR;
    char* lab = s->optsw.labels[LB_RELATION];
    std::memset(lab, ' ', 40);
    struct relrow { strfn fn; int label; };
    static const relrow kRel[6] = {{nullptr, 0},          {vyxsarr, T510_ARRHENIUS},         {vyxslin, T510_LINEAR},
                                   {vyxspow, T510_POWER}, {vyxsarr2, T510_ARRHENIUS_ENERGY}, {vyxslgt, T510_LOGISTIC}};
    if (s->optsw.stressrel >= 1 && s->optsw.stressrel <= 5) {
        s->optsw.stress_fn = kRel[s->optsw.stressrel].fn;
        xpmstr(lab, 40, 510, kRel[s->optsw.stressrel].label);
    }
    s->life.stressax = 1;

    pageflagset* pg = &s->work.pageflags;
    if (stmtflag(r, flag::plot::PLOTFIT)) {
        pg->fitlines = 1;
        s->work.rellegend = !stmtflag(r, flag::plot::NORPLEGEND);
        if (s->work.fitmethod == FIT_NONE) {
            xpmlog(510, W510_PLOTFIT_NEEDS_FIT);
            s->work.fitmethod = FIT_MLE;
            std::memset(s->optsw.labels[LB_FITMETHOD], ' ', 40);
            xpmstr(s->optsw.labels[LB_FITMETHOD], 40, 510, T510_METHOD_ML);
            s->work.nofitline = stmtflag(r, flag::plot::NOFITLINE);
        }
    }
    const bool readout = s->inputw.rspform[RF_READOUT] != 0;
    const optslot* pd = stmtslot(r, slot::plot::PLOTDATA);
    const bool regression = s->work.fitmethod == FIT_REGRESSION;
    if (pd) {
        const int v = static_cast<int>(pd->num);
        if (readout && v >= 1 && v <= 3) {
            xpmlog(510, E510_READOUT_PLOTDATA);
            return RC_SPEC;
        }
        switch (v) {
            case code::plotdata::DATA: pg->data = 1; break;
            case code::plotdata::BOXES:
            case code::plotdata::MEDIANS:
                if (regression) {
                    xpmlog(510, W510_PLOTDATA_REGRESSION);
                    pg->data = 1;
                } else {
                    (v == code::plotdata::BOXES ? pg->boxes : pg->medians) = 1;
                }
                break;
            case code::plotdata::NONE: pg->boxes = pg->data = pg->medians = 0; break;
            default: break;
        }
    } else if (readout) {
        pg->fitlines = 1;
    } else if (!pg->fitlines) {
        pg->data = 1;
    }

    const optslot* slo = stmtslot(r, slot::plot::STRESSLOWER);
    const optslot* sup = stmtslot(r, slot::plot::STRESSUPPER);
    p.slowgiven = slo != nullptr;
    p.supgiven = sup != nullptr;
    if (slo) s->work.axlim[AX_STRESSLOWER] = slo->num;
    if (sup) s->work.axlim[AX_STRESSUPPER] = sup->num;
    if (slo && sup && !(sup->num > slo->num)) {
        xpmlog(510, W510_STRESS_RANGE_REVERSED);
        p.slowgiven = p.supgiven = 0;
    }
    const optslot* nst = stmtslot(r, slot::plot::NSTRESSTICK);
    s->work.nstickset = nst != nullptr;
    s->work.axopt[AO_NSTRESSTICK] = nst ? countopt(r, "NSTRESSTICK", nst->num, 1, MOST_TICKS, 4) : 4;

    const optslot* pf = stmtslot(r, slot::plot::PLOTFIT);
    if (pf && pf->kind == SK_NUMLIST && pf->count > 0) {
        const auto* v = static_cast<double*>(pf->ptr);
        for (int i = 0; i < pf->count; ++i) {
            if (!(v[i] >= 1e-6) || !(v[i] <= 99.999999)) {
                xpmlog(510, E510_PLOTFIT_RANGE, v[i]);
                return endstep(s, RC_INPUT);
            }
        }
        s->optsw.pctcount = static_cast<uint32_t>(pf->count);
        s->optsw.pctvals = const_cast<double*>(v);
    } else {
        s->optsw.pctcount = 1;
        s->life.plotfit50 = 50.0;
        s->optsw.pctvals = &s->life.plotfit50;
    }
    return 0;
}

}  // namespace

int readprobaxis(vyxstate* s, const stmtrec* r) {
    auto& p = s->poptw.pflags;
    p.pupgiven = p.plowgiven = s->work.llowgiven = s->work.lupgiven = 0;
    s->work.ntickset = 0;
    const optslot* up = stmtslot(r, slot::plot::PCTUPPER);
    const optslot* lo = stmtslot(r, slot::plot::PCTLOWER);
    if (up) {
        p.pupgiven = 1;
        s->work.axlim[AX_PCTUPPER] = up->num;
        if (!(up->num > 0 && up->num < 100)) {
            xpmlog(510, W510_PCT_OPTION_RANGE, "PCTUPPER", up->num);
            p.pupgiven = 0;
        }
    }
    if (lo) {
        p.plowgiven = 1;
        s->work.axlim[AX_PCTLOWER] = lo->num;
        if (!(lo->num > 0 && lo->num < 100)) {
            xpmlog(510, W510_PCT_OPTION_RANGE, "PCTLOWER", lo->num);
            p.plowgiven = 0;
        }
    }
    if (p.pupgiven && p.plowgiven && !(s->work.axlim[AX_PCTUPPER] > s->work.axlim[AX_PCTLOWER])) {
        xpmlog(510, W510_PCT_RANGE_REVERSED);
        p.pupgiven = p.plowgiven = 0;
    }
    const optslot* pl = stmtslot(r, slot::plot::PCTLIST);
    const optslot* def = stmtslot(r, slot::plot::DEFPCTLIST);
    bool givenlistused = false;
    if (pl) {
        if (int rc = givenlist(s, pl, 0.0, 100.0, 1e-6)) return rc;
        givenlistused = true;
    } else if (def) {
        if (int rc = givenlist(s, def, 1e-10, 99.999999, 1e-10)) return rc;
        givenlistused = true;
    } else if (defaultticks(s)) {
        return 1;
    }
    double* L = s->poptw.panels.pctlist;
    const int top = s->poptw.panels.npct - 1;
    plotlay* f = s->plot.frame;
    if (p.plowgiven) {
        const double v = s->work.axlim[AX_PCTLOWER];
        if (givenlistused && v < L[1]) {
            L[0] = v;
            f->pfirst = f->pfirst2 = 0;
        } else {
            int i = top;
            while (i > 0 && L[i] > v) --i;
            L[i] = v;
            f->pfirst = i;
        }
    }
    if (p.pupgiven) {
        const double v = s->work.axlim[AX_PCTUPPER];
        if (givenlistused && v > L[top - 1]) {
            L[top] = v;
            f->plast = f->plast2 = top;
        } else {
            int i = 0;
            while (i < top && L[i] < v) ++i;
            L[i] = v;
            f->plast = i;
        }
    }
    return 0;
}

void readcframe(vyxstate* s, const stmtrec* r) {
    s->poptw.cframe[CFR_FILL] = 0;
    s->poptw.cframe[CFR_GIVEN] = stmtslot(r, slot::plot::CFRAME) != nullptr;
}

int readlifeaxis(vyxstate* s, const stmtrec* r) {
    auto& p = s->poptw.pflags;
    const bool logs = logaxis(s);
    const optslot* laxis = stmtslot(r, slot::plot::LAXIS);
    if (laxis) {
        const auto* v = static_cast<const double*>(laxis->ptr);
        const int n = laxis->count;
        if (logs) {
            xpmlog(510, W510_LAXIS_LOG_AXIS);
            s->work.llowgiven = s->work.lupgiven = 0;
        } else if (n == 1) {
            s->work.axlim[AX_LIFELOWER] = v[0];
            s->work.llowgiven = 1;
            s->work.axopt[AO_NTICK] = 4;
        } else if (n > 1) {
            if (!(v[n - 1] > v[0])) {
                // A list whose last value is not above its first is no axis: treated as
                // LIFEUPPER not above LIFELOWER.
                xpmlog(510, W510_LIFE_RANGE_REVERSED);
                s->work.llowgiven = s->work.lupgiven = 0;
                s->work.axopt[AO_NTICK] = 4;
            } else {
                s->work.axlim[AX_LIFELOWER] = v[0];
                s->work.axlim[AX_LIFEUPPER] = v[n - 1];
                s->work.llowgiven = s->work.lupgiven = 1;
                s->work.ntickset = 1;
                s->work.axopt[AO_NTICK] = n - 1;
                if (n - 1 > MOST_TICKS) {
                    xpmlog(510, W510_TICKS_ABOVE_LIMIT, txtarg(r->keyword, wzstrip(r->keyword, STMT_KEYLEN)), "LAXIS", n - 1, MOST_TICKS);
                    s->work.axopt[AO_NTICK] = MOST_TICKS;
                }
            }
        }
    } else {
        const optslot* llo = stmtslot(r, slot::plot::LIFELOWER);
        const optslot* lup = stmtslot(r, slot::plot::LIFEUPPER);
        s->work.llowgiven = llo != nullptr;
        s->work.lupgiven = lup != nullptr;
        if (llo) s->work.axlim[AX_LIFELOWER] = llo->num;
        if (lup) s->work.axlim[AX_LIFEUPPER] = lup->num;
        if (llo && lup && !(lup->num > llo->num)) {
            xpmlog(510, W510_LIFE_RANGE_REVERSED);
            s->work.llowgiven = s->work.lupgiven = 0;
        }
        const optslot* nt = stmtslot(r, slot::plot::NTICK);
        s->work.ntickset = nt != nullptr;
        s->work.axopt[AO_NTICK] = nt ? countopt(r, "NTICK", nt->num, 1, MOST_TICKS, 4) : 4;
    }
    if (p.mlgrid && !logs) xpmlog(510, W510_MINORLOGGRID_LINEAR, txtarg(s->optsw.labels[LB_DIST], wzstrip(s->optsw.labels[LB_DIST], 16)));
    if (logs && s->work.llowgiven && !(s->work.axlim[AX_LIFELOWER] > kEps53)) {
        xpmlog(510, E510_LIFELOWER_NOT_POSITIVE, s->work.axlim[AX_LIFELOWER]);
        return RC_SPEC;
    }
    return 0;
}

// A HREF= or VREF= list that the drawing will not show because PREF= or LREF= takes its
// place: the device graphics draw the PREF= and LREF= lines in place of both lists, the
// statistical graphics put LREF= in place of HREF= and PREF= in place of VREF= (with ROTATE
// they draw no HREF= or VREF= line at all, and say so themselves).
namespace {
void droppedrefs(const vyxstate* s) {
    const auto& refs = s->work.refs;
    const bool rotate = s->popt.pflags.rotate != 0;
    const bool given = refs.counts[REF_PREF] > 0 || refs.counts[REF_LREF] > 0;
    for (int which : {REF_HREF, REF_VREF}) {
        if (refs.counts[which] <= 0) continue;
        const char* name = which == REF_HREF ? "HREF" : "VREF";
        if (s->opts.rdxgraph) {
            const int other = which == REF_HREF ? REF_LREF : REF_PREF;
            if (!rotate && refs.counts[other] > 0) xpmlog(510, W510_REF_REPLACED, name, other == REF_LREF ? "LREF" : "PREF");
        } else if (given) {
            const int other = (which == REF_HREF) != rotate ? REF_LREF : REF_PREF;
            const char* oname = other == REF_LREF ? "LREF" : "PREF";
            if (refs.counts[other] > 0)
                xpmlog(510, W510_REF_REPLACED, name, oname);
            else
                xpmlog(510, W510_REF_DEVICE_ONLY, name, oname);
        }
    }
}
}  // namespace

int readplotdisplay(vyxstate* s, const stmtrec* r) {
    auto& p = s->poptw.pflags;
    readsurvtime(s, r);
    readref(s, r, REF_VREF, slot::plot::VREF, slot::plot::VREFLABELS, W510_VREFLABELS_COUNT, W510_VREFLABELS_HINT);
    readref(s, r, REF_HREF, slot::plot::HREF, slot::plot::HREFLABELS, W510_HREFLABELS_COUNT, W510_HREFLABELS_HINT);
    readref(s, r, REF_PREF, slot::plot::PREF, slot::plot::PREFLABELS, W510_PREFLABELS_COUNT, W510_PREFLABELS_HINT);
    readref(s, r, REF_LREF, slot::plot::LREF, slot::plot::LREFLABELS, W510_LREFLABELS_COUNT, W510_LREFLABELS_HINT);
    const bool nofit = s->work.nofitline != 0;
    s->work.refstop2 = stmtflag(r, flag::plot::VINTERSECT) && !nofit;
    p.refstop = stmtflag(r, flag::plot::HINTERSECT) && !nofit;
    // A label position out of range is replaced by 1 with a WARNING; the statement runs.
    int hpos = labelpos(r, slot::plot::HREFLABPOS, 6);
    if (hpos == 0) {
        xpmlog(510, W510_HREFLABPOS_RANGE, gparm(r, slot::plot::HREFLABPOS, 1));
        hpos = 1;
    }
    int vpos = labelpos(r, slot::plot::VREFLABPOS, 2);
    if (vpos == 0) {
        xpmlog(510, W510_VREFLABPOS_RANGE, gparm(r, slot::plot::VREFLABPOS, 1));
        vpos = 1;
    }
    s->poptw.refopts[REFPOS_HREF] = hpos;
    s->poptw.refopts[REFPOS_VREF] = vpos;
    s->poptw.refopts[REFPOS_SREF] = static_cast<int32_t>(gparm(r, slot::plot::SREFLABPOS, 1));

    static constexpr int kWidths[] = {slot::plot::WAXIS, slot::plot::WFIT};
    static const char* const kWidthNames[] = {"WAXIS", "WFIT"};
    widthlimits(r, kWidths, kWidthNames, 2);

    std::memset(s->poptw.gfile, ' ', 8);
    const optslot* font = stmtslot(r, slot::plot::FONT);
    if (font && !s->optsw.rdxgraph) {
        char buf[256] = {};
        const int n = font->count < 255 ? font->count : 255;
        std::memcpy(buf, font->ptr, static_cast<size_t>(n));
        ggfname(buf, n, s->poptw.gfile);
    }
    pageflagset* pg = &s->work.pageflags;
    pg->boxes = pg->data = pg->fitlines = pg->medians = 0;
    s->life.ppcflag1 = s->life.ppcflag2 = 0;

    int rc = 0;
    if (s->inputw.stmtkind == 1) {
        rc = probplotblock(s, r);
        if (rc == 0) readordering(s, r);
    } else if (s->inputw.stmtkind == 4) {
        rc = relationplotblock(s, r);
    }
    if (rc) return rc;
    // Boxes and medians per level need the per-level arrays that the curve pass fills.
    s->life.ppcflag1 = pg->boxes;
    s->life.ppcflag2 = pg->medians;

    // Statistical graphics draw PREF and LREF themselves; device graphics draw them as the
    // horizontal and vertical reference lines.
    droppedrefs(s);
    auto& refs = s->work.refs;
    if (!s->optsw.rdxgraph && (refs.counts[REF_PREF] > 0 || refs.counts[REF_LREF] > 0)) {
        const int h = p.rotate ? REF_PREF : REF_LREF, v = p.rotate ? REF_LREF : REF_PREF;
        refs.counts[REF_HREF] = refs.counts[h];
        refs.vals[REF_HREF] = refs.vals[h];
        refs.labels[REF_HREF] = refs.labels[h];
        refs.counts[REF_VREF] = refs.counts[v];
        refs.vals[REF_VREF] = refs.vals[v];
        refs.labels[REF_VREF] = refs.labels[v];
        // Under ROTATE the PREF= lines are drawn as HREF lines and the LREF= lines as VREF
        // lines: their INTERSECT flags go with them, as the drawing reads them by axis.
        if (p.rotate) std::swap(p.refstop, s->work.refstop2);
    }
    return 0;
}
