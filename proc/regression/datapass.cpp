// The MODEL data pass: every usable observation of the BY group becomes one design row (the
// effect cells of MODEL and LOGSCALE, the response, the censoring code, the frequency), written
// to the utility file in blocks; counts, sums and the ranges of the design columns are taken on
// the way. A second pass centres and scales the design values; the rows stay in memory when
// they fit.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "proc/framework/expect.h"
#include "proc/effects/effects.h"
#include "proc/framework/bynotes.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/keychars.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pooledkeys.h"
#include "proc/framework/pools.h"
#include "proc/framework/stepend.h"
#include "proc/framework/textpad.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"

using namespace mfit;

int EqIntList(const int32_t* list, const int32_t* values, int n, const int32_t* index) {
    for (int k = 0; k < n; ++k)
        if (list[k] != values[index[k]]) return 0;
    return 1;
}

int32_t rlevwel(const leveffect* e, const int32_t* levidx) {
    const int n = e->nclsall;
    if (n == 0) return 0;
    if (!e->combs) return -1;
    for (int32_t k = 0; k < e->nseen; ++k)
        if (EqIntList(e->combs + static_cast<size_t>(k) * n, levidx, n, e->clsall)) return k;
    return e->nseen;
}

bool fmodevalue(vyxstate* s) {
    fmodesettings& fm = s->groups.fmodeset;
    obsvalues& v = s->inwork.obsvals;
    if (fm.type == 1) {
        if (ismissing(v.fmodenum)) return false;
    } else if (vzatl(' ', v.fmoderaw, 16)) {
        return false;
    }
    wholechars(v.fmodefmt, wholeof(fm.desc, v.fmodewhole, &v.fmodenum));
    wzstjls(v.fmodefmt, 16, 'l', nullptr, nullptr);
    return true;
}

int listedmode(const vyxstate* s) {
    const fmodesettings& fm = s->groups.fmodeset;
    const char* v = s->inwork.obsvals.fmodefmt;
    const int len = wzstrip(v, 16);
    for (int i = 0; i < fm.nvals; ++i)
        if (wzstcom(v, len, fm.vals[i], fm.lens[i]) == 0) return i;
    return -1;
}

bool othermode(const vyxstate* s) {
    const fmodesettings& fm = s->groups.fmodeset;
    if (fm.mode == 2) return false;
    const bool listed = listedmode(s) >= 0;
    return fm.mode == 0 ? !listed : listed;
}

namespace {

// The relation transforms of the current observation's continuous values (in the MODEL's
// control block, and the LOGSCALE one when present); false when one gives the missing value.
bool transformvalues(vyxstate* s) {
    for (int k = 0; k < 3; ++k) {
        if (!s->mdl.relcodes[k] || !s->mdl.mtrans_fn[k]) continue;
        for (levctl* ctl : {s->mdl.mdllev, s->mdl.haslogscl ? s->mdl.logslev : nullptr}) {
            if (!ctl) continue;
            const levstate* ls = ctl->lstate;
            for (int i = 0; i < ls->ncontv; ++i) {
                const levclass& c = ls->contv[i];
                if (!c.varinfo || c.varinfo->varnum != s->mdl.relvarids[k]) continue;
                const double v = s->mdl.mtrans_fn[k](ctl->contval[i]);
                if (ismissing(v)) return false;
                ctl->contval[i] = v;
                break;
            }
        }
    }
    return true;
}

// The effect cells of one control block from its continuous values: products, and, when
// indexes is set, the level-combination columns.
void effectcells(levctl* ctl, bool indexes) {
    levstate* ls = ctl->lstate;
    for (int k = 0; k < ls->neffect; ++k) {
        const leveffect& e = ls->effects[k];
        double v = 1.0;
        for (int j = 0; j < e.ncont; ++j) v *= ctl->contval[e.contix[j]];
        ls->effcols[k].value = v;
        if (indexes) ls->effcols[k].col = rlevwel(&e, ctl->levidx);
    }
}

}  // namespace

double transx(vyxstate* s) {
    if (!transformvalues(s)) return missing();
    effectcells(s->mdl.mdllev, true);
    if (s->mdl.haslogscl) effectcells(s->mdl.logslev, true);
    return 0.0;
}

namespace {

// The layout of the rows from the effect records.
bool makelayout(vyxstate* s) {
    const levstate* m = s->mdl.mdllev->lstate;
    const levstate* l = s->mdl.haslogscl ? static_cast<const levstate*>(s->mdl.logscl) : nullptr;
    auto* lay = poolget<mdllayout>(s->pools.bypool, 1, poolflag::zeroed_marked);
    if (!lay) return false;
    lay->ne = m->neffect;
    lay->nl = l ? l->neffect : 0;
    lay->ncol = m->ncols;
    lay->nls = l ? l->ncols : 0;
    lay->hasfreq = s->input.nfreq > 0;
    lay->ncells = lay->ne + lay->nl + 3 + (lay->hasfreq ? 1 : 0);
    const int n = lay->ne + lay->nl;
    lay->firstcol = static_cast<int32_t*>(poolbytes(s->pools.bypool, 4 * static_cast<int64_t>(n + 1), poolflag::zeroed_marked));
    lay->effcols = static_cast<int32_t*>(poolbytes(s->pools.bypool, 4 * static_cast<int64_t>(n + 1), poolflag::zeroed_marked));
    lay->hascont = static_cast<uint8_t*>(poolbytes(s->pools.bypool, n + 1, poolflag::zeroed_marked));
    lay->hascls = static_cast<uint8_t*>(poolbytes(s->pools.bypool, n + 1, poolflag::zeroed_marked));
    if (!lay->firstcol || !lay->effcols || !lay->hascont || !lay->hascls) return false;
    for (int i = 0; i < n; ++i) {
        const bool model = i < lay->ne;
        const leveffect& e = model ? m->effects[i] : l->effects[i - lay->ne];
        lay->firstcol[i] = e.firstcol + (model ? 0 : lay->ncol);
        lay->effcols[i] = e.ncol;
        lay->hascont[i] = e.ncont > 0;
        lay->hascls[i] = e.nclsall > 0;
    }
    s->mdl.mdllay = lay;
    return true;
}

// Where the rows go: chunks of rows in memory while the statement pool gives them and the
// rows stay below 2^31 bytes, else blocks of B rows in the utility file (the rows kept in
// memory so far are moved there first).
struct rowstore {
    vyxstate* s;
    int R = 0, B = 0;
    int64_t rows = 0;
    bool infile = false;
    char* block = nullptr;     // the block buffer of the file
    int inblock = 0;
    char** chunks = nullptr;
    int32_t nchunks = 0, capchunks = 0, chunkrows = 0;
    int64_t inchunk = 0;

    // Writes the block buffer (full or not) to the file; false after 510/15 (the step ends).
    bool flushblock() {
        if (inblock == 0) return true;
        if (xcwrite(s->pools.utilfile, block, static_cast<int64_t>(B) * R) != 0) {
            xpmlog(510, E510_FILE_WRITE);
            endstep(s, RC_INPUT);
            return false;
        }
        inblock = 0;
        return true;
    }
    bool openfile() {
        if (xcopen(&s->pools.utilfile, XC_SCRATCH) != 0 || !s->pools.utilfile) {
            s->pools.utilfile = nullptr;
            xpmlog(510, E510_FILE_OPEN);
            return false;
        }
        xcpoint(s->pools.utilfile, 0);
        return true;
    }
    // From memory to the file: every row kept so far, block by block.
    bool tofile() {
        if (!openfile()) return false;
        infile = true;
        int64_t left = rows;
        for (int c = 0; c < nchunks && left > 0; ++c) {
            const int64_t n = std::min<int64_t>(left, chunkrows);
            for (int64_t k = 0; k < n; ++k) {
                std::memcpy(block + static_cast<size_t>(inblock) * R, chunks[c] + k * R, static_cast<size_t>(R));
                if (++inblock == B && !flushblock()) return false;
            }
            left -= n;
        }
        nchunks = 0;
        return true;
    }
    bool newchunk() {
        if (static_cast<double>(rows + chunkrows) * R >= 2147483647.0) return false;
        if (nchunks == capchunks) {
            const int32_t cap = capchunks ? 2 * capchunks : 64;
            auto** list = static_cast<char**>(poolbytes(s->pools.stmtpool, cap * static_cast<int64_t>(sizeof(char*)), poolflag::raw));
            if (!list) return false;
            if (nchunks) std::memcpy(list, chunks, sizeof(char*) * static_cast<size_t>(nchunks));
            chunks = list;
            capchunks = cap;
        }
        char* c = static_cast<char*>(poolbytes(s->pools.stmtpool, static_cast<int64_t>(chunkrows) * R, poolflag::raw));
        if (!c) return false;
        chunks[nchunks++] = c;
        inchunk = 0;
        return true;
    }
    // Appends one row; false when the step ends.
    bool append(const descell* row) {
        if (!infile && (nchunks == 0 || inchunk == chunkrows) && !newchunk() && !tofile()) return false;
        if (infile) {
            std::memcpy(block + static_cast<size_t>(inblock) * R, row, static_cast<size_t>(R));
            ++rows;
            return ++inblock < B || flushblock();
        }
        std::memcpy(chunks[nchunks - 1] + inchunk * R, row, static_cast<size_t>(R));
        ++inchunk;
        ++rows;
        return true;
    }
};

// Everything the pass keeps while it reads the BY group.
struct pass {
    vyxstate* s;
    mdllayout* lay;
    rowstore out;
    int K = 0, R = 0, B = 0;
    char* work = nullptr;      // three rows: the row being made, the previous READOUT group, scratch
    int64_t rows = 0;
    int64_t read = 0, skipped = 0;
    skiptally skips{};         // why observations were dropped (a note per reason)
    censtaken censother{};     // the values of the censoring variable that are not listed
    double wread = 0.0, W = 0.0, S1 = 0.0, S2 = 0.0, y0 = 0.0;
    double lo = DBL_MAX, hi = -DBL_MAX;   // response range before the logarithm
    double* colmin = nullptr;
    double* colmax = nullptr;
    int ncont = 0;
    double* cmean = nullptr;   // stressvals: mean, reference, maximum, minimum
    double* cref = nullptr;
    double* cmax = nullptr;
    double* cmin = nullptr;
    double* csum = nullptr;    // weighted differences from the reference values
    double* rawx = nullptr;    // the observation's continuous values before the relations
    double* groupx = nullptr;  // those of the READOUT group before
    bool refset = false;
    bool logs = false, log10 = false;
    double thr = 0.0;

    descell* current() { return reinterpret_cast<descell*>(work); }
    descell* prevgroup() { return reinterpret_cast<descell*>(work + R); }
    descell* scratch() { return reinterpret_cast<descell*>(work + 2 * R); }

    // A time after THRESHOLD on the fitting scale; false when it is not above 0 on a log scale.
    bool scaled(double t, double* out) {
        if (logs || log10) {
            if (!(t > 0.0)) return false;
            *out = logs ? std::log(t) : std::log10(t);
        } else {
            *out = t;
        }
        return true;
    }
    static double addround(double c, double w) { return std::nearbyint(c + w); }

    // Stores one finished row with weight w and the continuous values x of its observation:
    // counts, ranges of the design columns, sums.
    bool store(const descell* r, double w, bool otherfailure, const double* x) {
        const int code = r[lay->cens()].col;
        if (otherfailure) s->mdl.mdlcnt[MCNT_OTHERMODE] = addround(s->mdl.mdlcnt[MCNT_OTHERMODE], w);
        else if (code == CEN_RIGHT) s->mdl.mdlcnt[MCNT_RIGHT] = addround(s->mdl.mdlcnt[MCNT_RIGHT], w);
        else if (code == CEN_LEFT) s->mdl.mdlcnt[MCNT_LEFT] = addround(s->mdl.mdlcnt[MCNT_LEFT], w);
        else if (code == CEN_INTERVAL) s->mdl.mdlcnt[MCNT_INTERVAL] = addround(s->mdl.mdlcnt[MCNT_INTERVAL], w);
        const double y = r[lay->rsp()].value;
        if (rows == 0) y0 = s->mdl.intfix ? 0.0 : y;
        for (int i = 1; i < lay->ne + lay->nl; ++i) {
            if (i == lay->ne || !lay->hascont[i]) continue;   // the LOGSCALE intercept, CLASS effects
            const int c = lay->firstcol[i] + r[i].col;
            const double v = r[i].value;   // a copy: the cell's double is not 8-byte aligned
            colmin[c] = std::min(colmin[c], v);
            colmax[c] = std::max(colmax[c], v);
        }
        if (code == CEN_EXACT) s->mdl.sumwt[MSW_EXACT] += w;
        W += w;
        const double d = y - y0;
        S1 += w * d;
        S2 += w * d * d;
        for (int j = 0; j < ncont; ++j) csum[j] += w * (x[j] - cref[j]);
        ++rows;
        return out.append(r);
    }
};

// The group identifier of a READOUT row: the value (or, with a CLASS variable, the index) of
// the model's single non-intercept effect.
double readoutgroup(const modelstate& mdl, const descell* row) {
    if (mdl.mdllay->ne < 2) return 0.0;
    return mdl.mdleffinfo[ME_CLASS] > 0 ? static_cast<double>(row[1].col) : row[1].value;
}

// The second pass: design values centred and scaled. In memory the rows change in place; in
// the utility file every block is read, changed and written to a new utility file, which
// then replaces the first (the host's utility files do not write over a record).
bool centrescale(vyxstate* s, pass& p) {
    const mdllayout* L = p.lay;
    const int ntot = L->ncol + L->nls;
    const double* ctr = s->mdl.colstd;
    const double* scl = s->mdl.colstd + ntot;
    auto onerow = [&](descell* r) {
        for (int i = 0; i < L->ne + L->nl; ++i) {
            const int c = L->firstcol[i] + r[i].col;
            if (c < 0 || c >= ntot) continue;
            const bool fixed = i < L->ne ? s->mdl.intfix : s->mdl.lsintfix;
            r[i].value = fixed ? r[i].value / scl[c] : (r[i].value - ctr[c]) / scl[c];
        }
    };
    rowstore& o = p.out;
    if (!o.infile) {
        int64_t left = o.rows;
        for (int c = 0; c < o.nchunks && left > 0; ++c) {
            const int64_t n = std::min<int64_t>(left, o.chunkrows);
            for (int64_t k = 0; k < n; ++k) onerow(desrowat(o.chunks[c], L, k));
            left -= n;
        }
        return true;
    }
    xchandle first = s->pools.utilfile;
    s->pools.utilfile = nullptr;
    if (!o.openfile()) {
        xcclose(first, 1);
        return false;
    }
    xcpoint(first, 0);
    const int64_t bytes = static_cast<int64_t>(o.B) * o.R;
    for (int64_t done = 0; done < o.rows; done += o.B) {
        if (xcread(first, o.block, bytes) != 0) {
            xpmlog(510, E510_FILE_ENDS_EARLY);
            endstep(s, RC_INPUT);
            xcclose(first, 1);
            return false;
        }
        const int64_t n = std::min<int64_t>(o.B, o.rows - done);
        for (int64_t k = 0; k < n; ++k) onerow(desrowat(o.block, L, k));
        o.inblock = o.B;
        if (!o.flushblock()) {
            xcclose(first, 1);
            return false;
        }
    }
    xcclose(first, 1);
    return true;
}

// The notes of the pass, each once per BY group: rows dropped, a note per reason, and
// censoring values that no row has.
void passnotes(vyxstate* s, const skiptally& skips, const uint8_t* censeen, const censtaken& censother, int64_t rows) {
    const bool interval = s->inwork.rspkind == 2;
    skipnotes(s, skips, {{s->input.rspvars[RV_TIME], s->input.rspvars[RV_SECOND]}, {s->mdl.mdlrspids[0], s->mdl.mdlrspids[1]}}, interval);
    const bool aside = s->groups.fmodeset.nvars > 0 && s->groups.fmodeset.mode != 2;
    if (rows > 0) censornotes(s, censeen, censother, s->input.rspvars[RV_SECOND], s->mdl.mdlrspids[1], aside);
}

// Counts the current observation as dropped for reason why; counted among the skipped ones
// when counted is set (a negative or zero FREQ and reversed ends are dropped uncounted).
void drop(vyxstate* s, pass& p, int why, bool counted = true) {
    if (counted) ++p.skipped;
    skipcount(s, p.skips, why);
}

// The response variable's name for 510/80.
msgarg rspname(const inputstate& input) {
    const vardesc* d = input.rspvars[RV_TIME];
    return d ? txtarg(d->name, d->namelen) : txtarg("", 0);
}

// 1. The levels of the MODEL's effects (and the LOGSCALE's): one reading of the data each.
int readlevels(vyxstate* s, levctl* mctl, levctl* lctl, uint8_t threads) {
    for (levctl* ctl : {mctl, lctl}) {
        if (!ctl) continue;
        ctl->lstate->lsflags = static_cast<uint8_t>(ctl->lstate->lsflags | LS_CALLERRESP);
        ctl->lstate->ordcode = static_cast<char>(s->mdl.ordercode ? s->mdl.ordercode : 'M');
        ctl->thrflag = threads;
        if (zlevrgi(ctl) != 0) {
            if (!zlevreadfailed(ctl)) xpmlog(510, E510_NO_DESIGN_ROW, rspname(s->input));
            return 1;
        }
    }
    return 0;
}

// 3. The summaries the pass keeps: the continuous variables' mean, reference, maximum, minimum
// and weighted sums (stressvals), and the ranges of the design columns.
int preparesummaries(vyxstate* s, pass& p, int ntot) {
    p.ncont = s->mdl.mdllev->lstate->ncontv;
    auto* sv = static_cast<double*>(poolbytes(s->pools.bypool, 5 * 8 * static_cast<int64_t>(p.ncont + 1), poolflag::zeroed_marked));
    s->mdl.colstd = static_cast<double*>(poolbytes(s->pools.stmtpool, 2 * 8 * static_cast<int64_t>(ntot + 1), poolflag::zeroed_marked));
    if (!sv || !s->mdl.colstd) return RC_NOMEM;
    p.cmean = sv;
    p.cref = sv + p.ncont;
    p.cmax = sv + 2 * p.ncont;
    p.cmin = sv + 3 * p.ncont;
    p.csum = sv + 4 * p.ncont;
    s->mdl.stressvals[SV_MEAN] = p.cmean;
    s->mdl.stressvals[SV_MAX] = p.cmax;
    s->mdl.stressvals[SV_MIN] = p.cmin;
    for (int j = 0; j < p.ncont; ++j) {
        p.cmin[j] = DBL_MAX;
        p.cmax[j] = -DBL_MAX;
    }
    p.colmin = s->mdl.colstd;
    p.colmax = s->mdl.colstd + ntot;
    for (int j = 0; j < ntot; ++j) {
        p.colmin[j] = DBL_MAX;
        p.colmax[j] = -DBL_MAX;
    }
    return 0;
}

// 4. The rows' storage (chunks in memory, blocks of about 4 KB in the file), the work rows,
// and for form 1 which censoring values the rows have (*censeen).
int preparerows(vyxstate* s, pass& p, uint8_t** censeen) {
    p.K = p.lay->ncells;
    p.R = p.lay->rowbytes();
    VX_EXPECT(p.R > 0 && p.R == p.K * static_cast<int>(sizeof(descell)), "a design row is its cells");
    p.B = std::max(1, 4096 / p.R);
    rowstore& out = p.out;
    out.s = s;
    out.R = p.R;
    out.B = p.B;
    out.chunkrows = p.B * 256;
    out.block = static_cast<char*>(poolbytes(s->pools.stmtpool, static_cast<int64_t>(p.B) * p.R, poolflag::zeroed));
    p.work = static_cast<char*>(poolbytes(s->pools.stmtpool, 3 * static_cast<int64_t>(p.R), poolflag::zeroed));
    p.rawx = static_cast<double*>(poolbytes(s->pools.stmtpool, 16 * static_cast<int64_t>(p.ncont + 1), poolflag::zeroed));
    if (!out.block || !p.work || !p.rawx) return RC_NOMEM;
    *censeen = nullptr;
    if (s->inwork.rspkind == 1 && s->input.ncensvals > 0) {
        *censeen = static_cast<uint8_t*>(poolbytes(s->pools.stmtpool, s->input.ncensvals, poolflag::zeroed));
        if (!*censeen) return RC_NOMEM;
    }
    p.groupx = p.rawx + p.ncont + 1;
    p.logs = s->opts.logscale[LSC_LN];
    p.log10 = s->opts.logscale[LSC_LOG10];
    p.thr = s->work.thrflags[TH_GIVEN] ? s->opts.fixedparms[FP_THRESHOLD] : 0.0;
    for (double& c : s->mdl.mdlcnt) c = 0.0;
    s->mdl.sumwt[MSW_ALL] = s->mdl.sumwt[MSW_EXACT] = 0.0;
    return 0;
}

// What becomes of an observation: it goes on, the pass goes to the next one (a skipped
// observation is counted where it is skipped), or the pass fails (after a message).
enum class fate { keep, next, fail };

// An observation's weight (*w), units on test for READOUT (*m), and whether it is usable: not
// marked by the level reading (flags f), a usable frequency, a failure-mode value, usable
// LOGSCALE values.
fate screen(vyxstate* s, pass& p, levctl* lctl, int32_t f, bool readout, double* w, double* m) {
    if (s->input.procget) xyvget(s->input.procget, nullptr);
    if (s->input.fmodeget) xyvget(s->input.fmodeget, nullptr);
    if (f & LEVF_WEIGHT) {
        ++p.skipped;
        return fate::next;
    }
    *w = 1.0;
    if (s->input.nfreq > 0) {
        *w = s->inwork.obsvals.freq;
        if (ismissing(*w)) {
            drop(s, p, SKIP_FREQMISS);
            return fate::next;
        }
        if (*w < 0.0 || (*w == 0.0 && !readout)) {
            drop(s, p, *w < 0.0 ? SKIP_FREQNEG : SKIP_FREQZERO, false);
            return fate::next;
        }
    }
    p.wread += *w;
    if (f & LEVF_UNUSABLE) {
        drop(s, p, SKIP_EFFECT);
        return fate::next;
    }
    *m = 0.0;
    if (readout) {
        *m = s->inwork.obsvals.nenter;
        if (ismissing(*m) || *m < EPS53) {
            xpmlog(510, E510_NENTER_TOO_SMALL);
            return fate::fail;
        }
    }
    if (s->groups.fmodeset.nvars > 0 && !fmodevalue(s)) {
        drop(s, p, SKIP_FMODE);
        return fate::next;
    }
    if (lctl && (zlevrgd(lctl, nullptr, nullptr, nullptr) & LEVF_UNUSABLE)) {
        drop(s, p, SKIP_EFFECT);
        return fate::next;
    }
    return fate::keep;
}

// The observation's continuous variables: the reference values (the first observation's) and
// their ranges; then the relation transforms, which remake the effect cells' values (the level
// indexes do not change). next when a transform gives the missing value.
fate continuous(vyxstate* s, pass& p, levctl* mctl, levctl* lctl) {
    for (int j = 0; j < p.ncont; ++j) p.rawx[j] = mctl->contval[j];
    if (!p.refset)
        for (int j = 0; j < p.ncont; ++j) p.cref[j] = p.rawx[j];
    p.refset = true;
    for (int j = 0; j < p.ncont; ++j) {
        p.cmin[j] = std::min(p.cmin[j], p.rawx[j]);
        p.cmax[j] = std::max(p.cmax[j], p.rawx[j]);
    }
    if (s->mdl.relcodes[0] || s->mdl.relcodes[1] || s->mdl.relcodes[2]) {
        if (!transformvalues(s)) {
            drop(s, p, SKIP_RELATION);
            return fate::next;
        }
        effectcells(mctl, false);
        if (lctl) effectcells(lctl, false);
    }
    return fate::keep;
}

// The effect cells of the row (MODEL's, then LOGSCALE's), its frequency, and the response
// cells cleared.
void effectrow(const modelstate& mdl, const pass& p, descell* row, double w) {
    const mdllayout* lay = p.lay;
    const levstate* mls = mdl.mdllev->lstate;
    for (int i = 0; i < lay->ne; ++i) {
        row[i].value = mls->effcols[i].value;
        row[i].col = mls->effcols[i].col;
    }
    for (int i = 0; i < lay->nl; ++i) {
        const effcell& c = static_cast<levstate*>(mdl.logscl)->effcols[i];
        row[lay->ne + i].value = c.value;
        row[lay->ne + i].col = c.col;
    }
    if (lay->hasfreq) row[lay->freq()].value = w;
    row[lay->upper()].value = 0.0;
    row[lay->upper()].col = 0;
    row[lay->rsp()].col = 0;
}

// The response of an observation: its ends after THRESHOLD, its censoring code, and the
// censoring value it has (-1: none).
struct response {
    double lo = 0.0, hi = 0.0;
    int code = CEN_EXACT;
    int censidx = -1;
};

// The response from the values read (lower end or time, upper end or censoring value) by the
// response form; next when it is missing (counted) or its ends are reversed (not counted).
fate classify(vyxstate* s, pass& p, const double values[2], bool readout, response* r) {
    double lo = values[0], hi = values[1];
    if (!ismissing(lo)) lo -= p.thr;
    if (s->inwork.rspkind == 0 || readout) {
        if (ismissing(lo)) {
            drop(s, p, SKIP_MISSING);
            return fate::next;
        }
        hi = lo;
    } else if (s->inwork.rspkind == 1) {
        if (ismissing(lo) || ismissing(values[1])) {
            drop(s, p, SKIP_MISSING);
            return fate::next;
        }
        for (int i = 0; i < s->input.ncensvals; ++i)
            if (values[1] == s->input.censvals[i]) {
                r->code = CEN_RIGHT;
                r->censidx = i;
            }
        hi = lo;
    } else {
        if (!ismissing(hi)) hi -= p.thr;
        if (ismissing(lo) && ismissing(hi)) {
            drop(s, p, SKIP_MISSING);
            return fate::next;
        }
        if (ismissing(lo)) {
            r->code = CEN_LEFT;
            lo = hi;
        } else if (ismissing(hi)) {
            r->code = CEN_RIGHT;
            hi = lo;
        } else if (lo < hi) {
            r->code = CEN_INTERVAL;
        } else if (lo > hi) {
            drop(s, p, SKIP_REVERSED, false);   // dropped without counting
            return fate::next;
        }
        // On a log scale an interval from 0 is left-censored at its upper end.
        if ((p.logs || p.log10) && r->code == CEN_INTERVAL && lo == 0.0) {
            r->code = CEN_LEFT;
            lo = hi;
        }
    }
    r->lo = lo;
    r->hi = hi;
    return fate::keep;
}

// The READOUT rows of one group of units' readouts: the current group's identifier, its last
// readout time (fitting scale), units on test m' and failures f' of the last readout.
struct readouts {
    bool rgroup = false;
    double rid = 0.0, rtime = 0.0, rm = 0.0, rf = 0.0;

    // n survivors of the row cells right-censored at the last readout.
    bool survivors(pass& p, const descell* cells, double n, const double* x) const {
        const mdllayout* lay = p.lay;
        descell* r = p.scratch();
        std::memcpy(r, cells, static_cast<size_t>(p.R));
        r[lay->rsp()].value = rtime;
        r[lay->upper()].value = 0.0;
        r[lay->cens()].col = CEN_RIGHT;
        r[lay->freq()].value = n;
        return p.store(r, n, false, x);
    }
    // The readout at time t (fitting scale) of m units with w failures. 0, or RC_INPUT.
    int add(vyxstate* s, pass& p, descell* row, double t, double w, double m) {
        const mdllayout* lay = p.lay;
        const double id = readoutgroup(s->mdl, row);
        const double left = rm - rf;   // survivors of the last readout
        if (!rgroup || id != rid) {
            row[lay->cens()].col = CEN_LEFT;
            if (!p.store(row, w, false, p.rawx)) return RC_INPUT;
            // the group before leaves its survivors right-censored at its last readout
            if (rgroup && left > 0.0 && !survivors(p, p.prevgroup(), left, p.groupx)) return RC_INPUT;
            std::memcpy(p.prevgroup(), row, static_cast<size_t>(p.R));
            for (int j = 0; j < p.ncont; ++j) p.groupx[j] = p.rawx[j];
            rgroup = true;
            rid = id;
        } else {
            if (left < m) {
                xpmlog(510, E510_READOUT_MORE_ON_TEST, p.read);
                return RC_INPUT;
            }
            row[lay->cens()].col = CEN_INTERVAL;
            row[lay->upper()].value = t;
            row[lay->rsp()].value = rtime;
            if (!p.store(row, w, false, p.rawx)) return RC_INPUT;
            // units withdrawn at the readout before
            if (left > m && !survivors(p, row, left - m, p.rawx)) return RC_INPUT;
        }
        rm = m;
        rf = w;
        rtime = t;
        return 0;
    }
    // The last group's survivors at the end of the data.
    bool finish(pass& p) const { return !(rgroup && rm - rf > 0.0 && !survivors(p, p.prevgroup(), rm - rf, p.groupx)); }
};

// 6. The rows: every usable observation of the BY group becomes one design row. 0, 1 after a
// message, or an exit code.
int readrows(vyxstate* s, pass& p, levctl* mctl, levctl* lctl, uint8_t* censeen) {
    const mdllayout* lay = p.lay;
    const bool readout = s->inwork.rspkind == 3;
    const bool fmode = s->groups.fmodeset.nvars > 0;
    const int cens = lay->cens(), rsp = lay->rsp(), upper = lay->upper();
    readouts ro;
    double values[2];
    // The modes each listed failure-mode value matches, for the warning when they differ beyond
    // their 16-character key.
    const wholecell fmwhole = wholeof(s->groups.fmodeset.desc, s->inwork.obsvals.fmodewhole, &s->inwork.obsvals.fmodenum);
    keyslot* fmkeys = nullptr;
    if (fmode && fmwhole.on() && s->groups.fmodeset.nvals > 0) {
        fmkeys = poolget<keyslot>(s->pools.bypool, s->groups.fmodeset.nvals, poolflag::zeroed);
        if (!fmkeys) {
            xmemmsg(int64_t(s->groups.fmodeset.nvals) * int64_t(sizeof(keyslot)));
            return 1;
        }
    }
    while (mctl->rdnext(mctl)) {
        ++p.read;
        values[0] = values[1] = missing();
        const int32_t f = zlevrgd(mctl, values, nullptr, nullptr);
        if (f & LEVF_READFAIL) return 1;
        double w = 1.0, m = 0.0;
        const fate screened = screen(s, p, lctl, f, readout, &w, &m);
        if (screened == fate::fail) return 1;
        if (screened == fate::next || continuous(s, p, mctl, lctl) == fate::next) continue;
        descell* row = p.current();
        effectrow(s->mdl, p, row, w);
        response r;
        if (classify(s, p, values, readout, &r) == fate::next) continue;
        double ylo = 0.0, yhi = 0.0;
        if (!p.scaled(r.lo, &ylo) || (r.code == CEN_INTERVAL && !p.scaled(r.hi, &yhi))) {
            s->mdl.mdlcnt[MCNT_DROPPED] += 1;
            skipcount(s, p.skips, SKIP_NONPOS);
            continue;
        }
        VX_EXPECT(r.censidx < 0 || (censeen && r.censidx < s->input.ncensvals), "a censoring value is one of the listed ones");
        if (r.censidx >= 0) censeen[r.censidx] = 1;
        else if (censeen) censtakenadd(p.censother, values[1]);
        p.lo = std::min(p.lo, r.lo);
        p.hi = std::max(p.hi, r.hi);
        row[rsp].value = ylo;
        if (r.code == CEN_INTERVAL) row[upper].value = yhi;
        bool other = false;
        if (r.code == CEN_EXACT && fmode) {
            const int listed = listedmode(s);
            if (fmkeys && listed >= 0 && !slotnote(s->pools.bypool, fmkeys[listed], fmwhole)) return 1;
            const int mode = s->groups.fmodeset.mode;
            if (mode != 2 && (mode == 0) == (listed < 0)) {
                r.code = CEN_RIGHT;
                other = true;
            }
        }
        if (!readout) {
            row[cens].col = r.code;
            if (!p.store(row, w, other, p.rawx)) return RC_INPUT;
            continue;
        }
        if (const int rc = ro.add(s, p, row, ylo, w, m)) return rc;
    }
    if (readout && !ro.finish(p)) return RC_INPUT;
    if (s->step.stepend) return RC_INPUT;
    return fmodekeywarnings(s, s->pools.bypool, fmkeys) ? 0 : 1;
}

// 7. The counts of the pass, read and used, and the response's range. 1 after a message when
// no row is left, or READOUT data lost rows.
int passcounts(vyxstate* s, const pass& p, const uint8_t* censeen) {
    const bool readout = s->inwork.rspkind == 3;
    passnotes(s, p.skips, censeen, p.censother, p.rows);
    if (p.rows == 0) {
        xpmlog(510, E510_NO_DESIGN_ROW, rspname(s->input));
        return 1;
    }
    if (readout && (p.skipped > 0 || s->mdl.mdlcnt[MCNT_DROPPED] > 0)) {
        xpmlog(510, E510_READOUT_SKIPPED);
        return 1;
    }
    s->mdl.sumwt[MSW_ALL] = p.W;
    s->row.nobsrow.sumread = p.wread;
    s->row.nobsrow.sumused = p.W;
    s->mdl.liferng[MR_LOW] = s->mdl.liferngm[MR_LOW] = p.lo;
    s->mdl.liferng[MR_HIGH] = s->mdl.liferngm[MR_HIGH] = p.hi;
    s->mdl.mdlrows = p.rows;
    s->inwork.nobscnt[NOB_READ] = static_cast<int32_t>(p.read);
    s->inwork.nobscnt[NOB_USED] = static_cast<int32_t>(readout ? p.read : p.rows);
    s->inwork.nobscnt[NOB_SKIPPED] = static_cast<int32_t>(p.skipped);
    s->row.nobsrow.nread = static_cast<double>(p.read);
    s->row.nobsrow.nused = static_cast<double>(s->inwork.nobscnt[NOB_USED]);
    return 0;
}

// 8. The centres and scales of the design columns (CLASS columns are not centred), the
// response's mean and standard deviation, the continuous variables' weighted means.
void columnscales(modelstate& mdl, const pass& p, int ntot) {
    const mdllayout* lay = p.lay;
    double* ctr = mdl.colstd;
    double* scl = mdl.colstd + ntot;
    for (int c = 0; c < ntot; ++c) {
        const double lo = p.colmin[c], hi = p.colmax[c];
        ctr[c] = 0.0;
        scl[c] = 1.0;
        if (mdl.nocsflag || !(lo <= hi)) continue;
        ctr[c] = (lo + hi) / 2.0;
        scl[c] = (hi - lo) / 2.0 > EPS53 ? (hi - lo) / 2.0 : 1.0;
    }
    for (int i = 0; i < lay->ne + lay->nl; ++i) {
        if (!lay->hascls[i]) continue;
        for (int c = lay->firstcol[i]; c < lay->firstcol[i] + lay->effcols[i]; ++c) ctr[c] = 0.0;
    }
    const double mean = p.W > 0.0 ? p.S1 / p.W + p.y0 : p.y0 + p.S1;
    double S2 = p.S2;
    if (!mdl.intfix) S2 -= (p.y0 - mean) * (p.y0 - mean) * p.W;
    const double div = p.rows < 2 ? 1.0 : static_cast<double>(p.rows - 1);
    mdl.ystat[YS_MEAN] = mean;
    mdl.ystat[YS_SD] = S2 > 0.0 ? std::sqrt(S2 / div) : 1.0;
    for (int j = 0; j < p.ncont; ++j) p.cmean[j] = (p.W > 0.0 ? p.csum[j] / p.W : 0.0) + p.cref[j];
}

// 9. The last block written, the second pass, and where the fits find the rows.
int keeprows(vyxstate* s, pass& p) {
    rowstore& out = p.out;
    if (out.infile && !out.flushblock()) return RC_INPUT;
    if (!centrescale(s, p)) return RC_INPUT;
    s->mdl.mdlinmem = !out.infile;
    s->mdl.mdlchunks = out.chunks;
    s->mdl.mdlnchunks = out.nchunks;
    s->mdl.mdlchunkrows = out.chunkrows;
    s->mdl.mdlrowbuf = out.block;
    s->mdl.mdlblkrows = p.B;
    return 0;
}

}  // namespace

int vyxmdta(vyxstate* s) {
    VX_EXPECT(s->mdl.mdllev && s->mdl.mdllev->lstate, "the MODEL statement's effects are read before its data pass");
    levctl* mctl = s->mdl.mdllev;
    levstate* mls = mctl->lstate;
    levctl* lctl = s->mdl.haslogscl ? s->mdl.logslev : nullptr;
    uint8_t threads = 1;
    int32_t cpus = 1;
    zquerythreads(&threads, &cpus);
    if (s->step.stepend) return 1;
    if (const int rc = readlevels(s, mctl, lctl, threads)) return rc;
    // 2. The layout of the rows; READOUT counts the units on test with NENTER.
    if (!makelayout(s)) return RC_NOMEM;
    mdllayout* lay = s->mdl.mdllay;
    if (s->inwork.rspkind == 3 && (s->input.nnenter <= 0 || s->input.nfreq <= 0)) {
        xpmlog(510, E510_READOUT_NEEDS_FREQ_NENTER);
        return RC_SPEC;
    }
    pass p;
    p.s = s;
    p.lay = lay;
    const int ntot = lay->ncol + lay->nls;
    if (const int rc = preparesummaries(s, p, ntot)) return rc;
    uint8_t* censeen = nullptr;
    if (const int rc = preparerows(s, p, &censeen)) return rc;
    // 5. Back to the first observation.
    mctl->rdrewind(mctl);
    if (const int rc = readrows(s, p, mctl, lctl, censeen)) return rc;
    if (const int rc = passcounts(s, p, censeen)) return rc;
    columnscales(s->mdl, p, ntot);
    if (const int rc = keeprows(s, p)) return rc;
    // 10. The tables of the data: model information, observation counts, class levels, the
    // effects' check, the parameter names.
    modhdr(s);
    if (!s->step.stepend) modnobs(s);
    if (!s->step.stepend && mls->nclassv > 0) classtbl(s);
    if (!s->step.stepend) zlevchk(mctl);
    if (!s->step.stepend && (s->mdl.fit.covprint[CP_COVB] || s->mdl.fit.covprint[CP_CORRB] || s->mdl.fit.itprflag.itprint)) procprm(s);
    return s->step.stepend ? 1 : 0;
}
