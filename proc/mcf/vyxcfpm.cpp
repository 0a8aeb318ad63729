// MCFPLOT options: the parsed statement record becomes fields of the state block.
#include <cmath>
#include <cstring>

#include "proc/framework/conflevel.h"
#include "proc/framework/expect.h"
#include "proc/framework/gparm.h"
#include "proc/framework/optslots.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wholenum.h"
#include "proc/mcf/mcf_internal.h"
#include "proc/mcf/mcfdraw.h"

namespace {

bool on(const stmtrec* r, int k) { return stmtflag(r, k); }

int32_t firstvar(const stmtrec* r, int slot) {
    const optslot* o = stmtslot(r, slot);
    return o && o->kind == SK_VARLIST && o->count > 0 ? static_cast<const int32_t*>(o->ptr)[0] : 0;
}

// The numbers of a slot that holds one number or a list.
int numbers(const stmtrec* r, int slot, const double** vals) {
    const optslot* o = stmtslot(r, slot);
    if (!o) return 0;
    if (o->kind == SK_NUMBER) {
        *vals = &o->num;
        return 1;
    }
    if (o->kind == SK_NUMLIST) {
        *vals = static_cast<const double*>(o->ptr);
        return o->count;
    }
    return 0;
}

// A variable descriptor of the statement pool for variable var; null when none.
vardesc* descof(vyxstate* s, int32_t var) {
    if (!var) return nullptr;
    auto* d = poolget<vardesc>(s->pools.stmtpool, 1, poolflag::zeroed);
    if (d) xvname(s->inputw.dsin, var, d);
    return d;
}

// An axis given as a list (HAXIS=, VAXIS=): lower and upper ends and the tick count.
void axislist(const stmtrec* r, const char* name, const double* v, int n, double* lower, uint8_t* lowgiven, double* upper,
              uint8_t* upgiven, int32_t* ticks) {
    *lower = v[0];
    *lowgiven = 1;
    if (n > 1) {
        *upper = v[n - 1];
        *upgiven = 1;
        *ticks = n - 1;
        if (n - 1 > MOST_TICKS) {
            xpmlog(510, W510_TICKS_ABOVE_LIMIT, txtarg(r->keyword, wzstrip(r->keyword, STMT_KEYLEN)), name, n - 1, MOST_TICKS);
            *ticks = MOST_TICKS;
        }
    } else {
        *upgiven = 0;
        *ticks = 4;
    }
}

// Reference lines of one axis with their labels, at its place of vyxstate::refs (REF_VREF,
// REF_HREF) where the drawing finds both; dropped (with messages) when the labels do not
// match the lines.
void reflines(vyxstate* s, const stmtrec* r, int valslot, int labslot, int at, int msg1, int msgn) {
    const double* v = nullptr;
    int n = numbers(r, valslot, &v);
    s->work.refs.vals[at] = nullptr;
    s->work.refs.counts[at] = 0;
    s->work.refs.labels[at] = nullptr;
    if (n == 0) return;
    if (const optslot* lab = stmtslot(r, labslot)) {
        const bool single = lab->kind == SK_QSTRING || lab->kind == SK_TEXT;
        const int nlab = single ? 1 : lab->count;
        if (nlab != n) {
            xpmlog(510, single ? msg1 : msgn, n, nlab);
            return;
        }
        s->work.refs.labels[at] = const_cast<optslot*>(lab);
    }
    s->work.refs.vals[at] = const_cast<double*>(v);
    s->work.refs.counts[at] = n;
}

int panels(vyxstate* s, const stmtrec* r) {
    auto& P = s->poptw.panels;
    P.nrows = P.ncols = 1;
    s->mcf.mcfopt.topstrip = s->mcf.mcfopt.sidestrip = 0;
    if (s->poptw.pflags.overlay || s->poptw.pflags.mcfdiff) return 0;
    const optslot* rows = stmtslot(r, slot::plot::NROWS);
    const optslot* cols = stmtslot(r, slot::plot::NCOLS);
    if (rows) {
        if (rows->num < 1) {
            xpmlog(510, E510_NROWS_BELOW_1, rows->num);
            return RC_REPORTED;
        }
        if (rows->num != std::floor(rows->num)) {
            xpmlog(510, E510_NROWS_NOT_WHOLE, rows->num);
            return RC_REPORTED;
        }
    }
    if (cols) {
        if (cols->num < 1) {
            xpmlog(510, E510_NCOLS_BELOW_1, cols->num);
            return RC_REPORTED;
        }
        if (cols->num != std::floor(cols->num)) {
            xpmlog(510, E510_NCOLS_NOT_WHOLE, cols->num);
            return RC_REPORTED;
        }
    }
    const int nr = rows ? countopt(r, "NROWS", rows->num, 1, MOST_PANELS, 1) : 0;
    const int nc = cols ? countopt(r, "NCOLS", cols->num, 1, MOST_PANELS, 1) : 0;
    uint8_t& rowstrip = s->mcf.mcfopt.topstrip;
    uint8_t& colstrip = s->mcf.mcfopt.sidestrip;
    switch (s->groups.nclass) {
        case 0:
            if (rows && nr != 1) xpmlog(510, W510_NROWS_NO_CLASS, nr);
            if (cols && nc != 1) xpmlog(510, W510_NCOLS_NO_CLASS, nc);
            break;
        case 1:
            if (rows && cols) {
                if (nr > 1 && nc >= 2) {
                    xpmlog(510, W510_PANELS_NEED_TWO_CLASS, nr, nc);
                    xpmlog(510, N510_PANELS_IN_ROWS, 2);
                    xpmlog(510, N510_PANELS_IN_ONE_COLUMN);
                    P.nrows = 2;
                    P.ncols = 1;
                    colstrip = 1;
                } else {
                    P.nrows = nr;
                    P.ncols = nc;
                    if (nr == 1 && nc > 1) rowstrip = 1;
                    else if (nr > 1 && nc == 1) colstrip = 1;
                    else rowstrip = 1;
                }
            } else if (cols) {
                P.nrows = 1;
                P.ncols = nc;
                rowstrip = 1;
            } else {
                P.nrows = rows ? nr : 2;
                P.ncols = 1;
                colstrip = 1;
            }
            break;
        default:
            rowstrip = colstrip = 1;
            P.nrows = rows ? nr : 2;
            P.ncols = cols ? nc : 2;
            if (cols && !rows) xpmlog(510, N510_PANELS_IN_ROWS, 2);
            if (rows && !cols) xpmlog(510, N510_PANELS_IN_COLUMNS, 2);
            break;
    }
    return 0;
}

// The ordering code of vyxclst: INTERNAL 0, FORMATTED 1, FREQ 2, DATA 3.
uint8_t ordercode(const stmtrec* r, int slot) {
    switch (static_cast<int>(gparm(r, slot, code::order::INTERNAL))) {
        case code::order::FREQ: return 2;
        case code::order::DATA: return 3;
        case code::order::FORMATTED: return 1;
        default: return 0;
    }
}

// 3. The flags of the statement, with the messages for the combinations that cancel one
// another (an overlay with censoring bins or an inset).
void readflags(vyxstate* s, const stmtrec* r, bool insetnext) {
    auto& F = s->poptw.pflags;
    auto& O = s->mcf.mcfopt;
    s->optsw.logscale[LSC_LN] = on(r, flag::mcf::LOGLOG);
    O.wantlims = !on(r, flag::mcf::NOVARIANCE);
    O.varlawless = on(r, flag::mcf::VARMETHOD2);
    F.overlay = on(r, flag::plot::OVERLAY);
    s->groups.clssort[CV_FIRST] = s->groups.clsmissing[CV_FIRST] = on(r, flag::plot::MISSING1);
    s->groups.clssort[CV_SECOND] = s->groups.clsmissing[CV_SECOND] = on(r, flag::plot::MISSING2);
    F.inborder = on(r, flag::plot::INBORDER);
    s->work.noconf = on(r, flag::plot::NOCONF) || !O.wantlims;
    F.nogrid = !on(r, flag::plot::NOGRID);
    F.noframe = on(r, flag::plot::NOFRAME);
    O.legendon = !on(r, flag::mcf::NOLEGEND) && F.overlay;
    F.legend = O.legendon;   // the group legend of an overlay is the legend the drawing routines know
    O.novtick = on(r, flag::mcf::NOVTICK);
    F.noplabel = on(r, flag::mcf::NOVLABEL);
    F.nollabel = on(r, flag::mcf::NOHLABEL);
    F.mcfdiff = on(r, flag::mcf::MCFDIFF);
    s->work.nocenplot = !on(r, flag::plot::NOCENPLOT) && !F.mcfdiff;
    F.mlgrid = on(r, flag::plot::MINORLOGGRID);
    O.varindinc = on(r, flag::mcf::INDINC);
    O.loglims = on(r, flag::mcf::LOGINTERVALS) && !F.mcfdiff;
    F.noinset = !on(r, flag::plot::NOINSET);
    if (s->work.nocenplot) {
        F.cenbin = on(r, flag::plot::CENBIN) || on(r, flag::plot::CCENBIN);
        F.ccenbin = on(r, flag::plot::CCENBIN);
    }
    O.nohtick = on(r, flag::mcf::NOHTICK);
    O.nocenprt = on(r, flag::mcf::NOCENPRINT);
    O.square = on(r, flag::plot::SQUARE);
    if (F.overlay && F.cenbin) {
        xpmlog(510, W510_CENBIN_OVERLAY);
        F.cenbin = F.ccenbin = 0;
        s->work.nocenplot = 1;
    }
    if (F.overlay && insetnext) xpmlog(510, W510_OVERLAY_INSET);
    if (F.cenbin) s->work.nocenplot = 0;
}

// 5. The variance method: VARIANCE= names it (NELSON clears VARMETHOD2 and INDINC given as
// flags); with frequencies only the per-unit variances weigh the units.
void variancemethod(vyxstate* s, const stmtrec* r) {
    auto& O = s->mcf.mcfopt;
    if (stmtslot(r, slot::mcf::VARIANCE)) {
        O.varindinc = O.varlawless = O.varpoisson = 0;
        switch (static_cast<int>(gparm(r, slot::mcf::VARIANCE, code::variance::NELSON))) {
            case code::variance::INDINC: O.varindinc = 1; break;
            case code::variance::LAWLESS: O.varlawless = 1; break;
            case code::variance::POISSON: O.varpoisson = 1; break;
            default: break;
        }
    }
    if (s->inputw.nfreq > 0 && O.wantlims && !O.varlawless && !O.varpoisson) {
        xpmlog(510, W510_MCF_FREQ_LAWLESS);
        O.varlawless = 1;
    }
}

// 9. and 10. The response variables: exact recurrence times with their unit identifier and
// censoring values, or interval data with recurrences, removals and the numbers at risk.
// RC_REPORTED when exact times have no unit identifier.
int responses(vyxstate* s, const stmtrec* r) {
    auto& F = s->poptw.pflags;
    auto& O = s->mcf.mcfopt;
    s->inputw.ncensvals = 0;
    s->inputw.censvals = nullptr;
    if (s->inwork.rspkind == MCF_EXACT) {
        if (s->inputw.nunitid == 0) {
            xpmlog(510, E510_MCF_NEEDS_UNITID);
            return RC_REPORTED;
        }
        s->inputw.rspvars[RV_TIME] = descof(s, firstvar(r, slot::head::RESP1));
        s->inputw.rspvars[RV_SECOND] = descof(s, firstvar(r, slot::head::RESP2));
        const double* v = nullptr;
        if (int n = numbers(r, slot::head::CENSVALS, &v); n > 0) {
            s->inputw.ncensvals = n;
            s->inputw.censvals = const_cast<double*>(v);
        }
        return 0;
    }
    xpmlog(510, N510_MCF_INTERVAL_DATA);
    F.cenbin = F.ccenbin = 0;
    s->work.nocenplot = 0;
    s->inputw.rspvars[RV_TIME] = descof(s, firstvar(r, slot::head::RESP1));
    s->inputw.rspvars[RV_SECOND] = descof(s, firstvar(r, slot::head::RESP2));
    O.mcfvars[MCFV_EVENTS] = firstvar(r, slot::head::CENSVALS);
    O.mcfvars[MCFV_REMOVALS] = firstvar(r, slot::head::MCF_REMOVALS);
    const double* v = nullptr;
    O.nriskv = numbers(r, slot::mcf::NRISK, &v);
    O.nriskvals = const_cast<double*>(v);
    return 0;
}

// 11. The CLASS variables (two at most; a difference plot needs exactly one): names, labels,
// types. RC_REPORTED for a difference plot without one.
int classvariables(vyxstate* s, const stmtrec* r) {
    const optslot* cls = stmtslot(r, slot::head::CLASS);
    s->groups.nclass = cls && cls->kind == SK_VARLIST ? (cls->count < 2 ? cls->count : 2) : 0;
    if (s->poptw.pflags.mcfdiff && s->groups.nclass != 1) {
        xpmlog(510, E510_MCFDIFF_ONE_CLASS, s->groups.nclass);
        return RC_REPORTED;
    }
    for (int j = 0; j < s->groups.nclass; ++j) {
        const int32_t var = static_cast<const int32_t*>(cls->ptr)[j];
        vardesc& d = s->inputw.clsdesc[j];
        xvname(s->inputw.dsin, var, &d);
        s->groups.clsvars[j] = var;
        s->groups.clsnumeric[j] = s->groups.clskeynum[j] = d.type == 1;
        std::memcpy(s->groups.clsnames[j], d.name, sizeof s->groups.clsnames[j]);
        s->groups.clsnamelen[j] = d.namelen;
        s->groups.clslabgiven[j] = d.labellen > 0;
        s->groups.clslablen[j] = d.labellen;
        std::memcpy(s->groups.clslabels[j], d.label, sizeof s->groups.clslabels[j]);
    }
    return 0;
}

// 12. and 13. The axes: HAXIS=/VAXIS= lists (not on a log-log plot), or the ends and tick
// counts given one by one; a horizontal range that is empty is dropped.
void axes(vyxstate* s, const stmtrec* r) {
    auto& F = s->poptw.pflags;
    auto& O = s->mcf.mcfopt;
    double* ax = s->work.axlim;
    O.ntick[MTICK_H] = O.ntick[MTICK_V] = 4;
    s->work.llowgiven = s->work.lupgiven = F.plowgiven = F.pupgiven = 0;
    const double* v = nullptr;
    if (int n = numbers(r, slot::mcf::HAXIS, &v); n > 0) {
        if (s->optsw.logscale[LSC_LN]) {
            xpmlog(510, W510_MCF_HAXIS_LOGLOG);
        } else {
            axislist(r, "HAXIS", v, n, &ax[AX_LIFELOWER], &s->work.llowgiven, &ax[AX_LIFEUPPER], &s->work.lupgiven, &O.ntick[MTICK_H]);
            O.ntickgiven[MTICK_H] = 1;
        }
    } else {
        const optslot* lo = stmtslot(r, slot::mcf::HLOWER);
        const optslot* hi = stmtslot(r, slot::mcf::HUPPER);
        if (lo) ax[AX_LIFELOWER] = lo->num, s->work.llowgiven = 1;
        if (hi) ax[AX_LIFEUPPER] = hi->num, s->work.lupgiven = 1;
        if (lo && hi && hi->num <= lo->num) {
            xpmlog(510, W510_LIFE_RANGE_REVERSED, lo->num, hi->num);
            s->work.llowgiven = s->work.lupgiven = 0;
        }
        if (const optslot* t = stmtslot(r, slot::mcf::NHTICK)) O.ntick[MTICK_H] = countopt(r, "NHTICK", t->num, 1, MOST_TICKS, 4), O.ntickgiven[MTICK_H] = 1;
    }
    if (int n = numbers(r, slot::mcf::VAXIS, &v); n > 0) {
        if (s->optsw.logscale[LSC_LN]) {
            xpmlog(510, W510_MCF_VAXIS_LOGLOG);
        } else {
            axislist(r, "VAXIS", v, n, &ax[AX_PCTLOWER], &F.plowgiven, &ax[AX_PCTUPPER], &F.pupgiven, &O.ntick[MTICK_V]);
            O.ntickgiven[MTICK_V] = 1;
        }
    } else {
        if (const optslot* lo = stmtslot(r, slot::mcf::VLOWER)) ax[AX_PCTLOWER] = lo->num, F.plowgiven = 1;
        if (const optslot* hi = stmtslot(r, slot::mcf::VUPPER)) ax[AX_PCTUPPER] = hi->num, F.pupgiven = 1;
        if (const optslot* t = stmtslot(r, slot::mcf::NVTICK)) O.ntick[MTICK_V] = countopt(r, "NVTICK", t->num, 1, MOST_TICKS, 4), O.ntickgiven[MTICK_V] = 1;
    }
}

// 15. and 16. The reference lines of both axes and the positions of their labels (out of
// range: a WARNING that 1 is used, and the statement runs).
void references(vyxstate* s, const stmtrec* r) {
    auto& F = s->poptw.pflags;
    s->work.refstop2 = on(r, flag::plot::VINTERSECT);
    reflines(s, r, slot::plot::VREF, slot::plot::VREFLABELS, REF_VREF, W510_VREFLABELS_COUNT, W510_VREFLABELS_HINT);
    F.refstop = on(r, flag::plot::HINTERSECT);
    reflines(s, r, slot::plot::HREF, slot::plot::HREFLABELS, REF_HREF, W510_HREFLABELS_COUNT, W510_HREFLABELS_HINT);
    int32_t& vpos = s->poptw.refopts[REFPOS_VREF];
    vpos = labelpos(r, slot::plot::VREFLABPOS, 2);
    if (vpos == 0) {
        xpmlog(510, W510_VREFLABPOS_RANGE, gparm(r, slot::plot::VREFLABPOS, 1));
        vpos = 1;
    }
    int32_t& hpos = s->poptw.refopts[REFPOS_HREF];
    hpos = labelpos(r, slot::plot::HREFLABPOS, 6);
    if (hpos == 0) {
        xpmlog(510, W510_HREFLABPOS_RANGE, gparm(r, slot::plot::HREFLABPOS, 1));
        hpos = 1;
    }
}

// 17. FONT=: a name, or a quoted text.
void font(vyxstate* s, const stmtrec* r) {
    std::memset(s->poptw.gfile, ' ', sizeof s->poptw.gfile);
    if (const optslot* f = stmtslot(r, slot::plot::FONT)) {
        int len = 0;
        const char* t = nullptr;
        if (f->kind == SK_NAME) t = f->name, len = wzstrip(f->name, 8);
        else if (f->kind == SK_QSTRING || f->kind == SK_TEXT) t = static_cast<const char*>(f->ptr), len = f->count;
        if (t) mcffont(s, t, len);
    }
}

}  // namespace

int vyxcfpm(vyxstate* s) {
    VX_EXPECT(s->inwork.curstmt, "the MCFPLOT statement being run");
    stmtrec* r = s->inwork.curstmt;
    auto& F = s->poptw.pflags;
    auto& O = s->mcf.mcfopt;
    O = {};
    // 1. An MCF plot: not rotated, statement kind 3, axes not yet scaled.
    F.ismcf = 1;
    F.rotate = 0;
    s->inputw.stmtkind = 3;
    O.axscaled = 0;
    // 2. The plot layout record, and whether an INSET statement follows.
    const bool insetnext = r->next && std::strncmp(r->next->keyword, "INSET", 5) == 0;
    if (int rc = mcfframe(s, insetnext); rc != 0) return rc;
    readflags(s, r, insetnext);
    // 4. No default inset header.
    s->work.defhdr.given = 0;
    variancemethod(s, r);
    // 7. ANNOTATE= and the statement's label.
    F.refstop = s->work.refstop2 = 0;
    if (const optslot* a = stmtslot(r, slot::plot::ANNOTATE)) {
        O.annods = static_cast<dshandle>(a->handle);
        s->inwork.annoflag = 1;
    } else {
        s->inwork.annoflag = 0;
    }
    s->optsw.stmtlabel = nullptr;
    if (const optslot* l = stmtslot(r, slot::head::LABEL); l && l->kind == SK_NAME && !vzatl(' ', l->name, 8))
        s->optsw.stmtlabel = l->name;
    // 8. The confidence level, the response form and the interpolation.
    const double conf = gparm(r, slot::mcf::CONFIDENCE, 0.95);
    s->optsw.alpha = 1 - conf;
    vx::zerolevelnote(conf);
    s->inwork.rspkind = static_cast<uint32_t>(gparm(r, slot::head::RSPKIND, 0));
    s->mcf.mcftype = static_cast<uint32_t>(gparm(r, slot::mcf::INTERPOLATE, 0));
    if (int rc = responses(s, r); rc != 0) return rc;
    if (int rc = classvariables(s, r); rc != 0) return rc;
    axes(s, r);
    // 14. CFRAME=, and the limits of WAXIS=.
    s->poptw.cframe[CFR_GIVEN] = stmtslot(r, slot::plot::CFRAME) != nullptr;
    static constexpr int kWidths[] = {slot::plot::WAXIS};
    static const char* const kWidthNames[] = {"WAXIS"};
    widthlimits(r, kWidths, kWidthNames, 1);
    references(s, r);
    font(s, r);
    // 18. The panels; the page layout makes room for the level strips by the plots' layout bytes.
    if (int rc = panels(s, r); rc != 0) return rc;
    F.layouth = O.topstrip;
    F.layoutv = O.sidestrip;
    // 19. The class-level orders and the record layout.
    for (int j = 0; j < 2; ++j) {
        const uint8_t c = ordercode(r, j == 0 ? slot::plot::ORDER1 : slot::plot::ORDER2);
        s->groups.clsorder[CO_CODE + j] = s->groups.clsorder[CO_COPY + j] = c;
        s->groups.clsorder[CO_COUNTED + j] = c == 2 || c == 3;
    }
    s->optsw.rowlay[RL_BUFROWS] = MCF_BUFRECS;
    s->optsw.rowlay[RL_ROWLEN] = MCF_RECLEN / 8;
    return 0;
}
