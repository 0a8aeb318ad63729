// The inset record and its contents: the items of the INSET statement or the default list,
// checked against the plot, each formatted into a label and a value.
#include <cmath>
#include <cstring>

#include "proc/framework/expect.h"
#include "proc/framework/memnum.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"

namespace {

namespace it = code::insetitem;
constexpr int kSkip = 999, kEnd = it::END, kLabel = it::LABEL, kModes = 14;

// Label messages of the items 0 to 14 and of the distribution sub-items 0 to 5.
constexpr int kItemMsg[15] = {T510_UNCENSORED,          T510_RIGHT_CENSORED,      T510_INSET_CONFIDENCE,
                               T510_INSET_UNITS,         T510_INSET_EVENTS,        T510_INSET_UNITS_GROUP1,
                               T510_INSET_EVENTS_GROUP1, T510_INSET_UNITS_GROUP2,  T510_INSET_EVENTS_GROUP2,
                               T510_INSET_FIT,           T510_INSET_RSQUARE,       T510_LEFT_CENSORED,
                               T510_INTERVAL_CENSORED,   T510_INSET_N,             T510_INSET_FAILURE_MODES};
constexpr int kSubMsg[6] = {T510_PARM_LOCATION, T510_PARM_SCALE,     T510_PARM_SCALE,
                            T510_PARM_SHAPE,    T510_PARM_THRESHOLD, T510_PARM_MEAN};
// The group code of the fitted distribution by distcode (55: no distribution keyword; 0: none).
constexpr int kGroupCode[DIST_CODES] = {52, 53, 54, 51, 50, 55, 56, 57, 0, 0, 0, 58};

bool integeritem(int t) { return t != it::CONFIDENCE && t != it::FIT && t != it::RSQUARE; }

int fittitle(uint32_t method) {
    switch (method) {
    case FIT_MLE: return T510_FIT_MLE;
    case FIT_LSYX: return T510_FIT_LSYX;
    case FIT_LSXY: return T510_FIT_LSXY;
    case FIT_NONE: return T510_FIT_NONE;
    case FIT_GIVEN: return T510_FIT_GIVEN;
    case FIT_WEIBAYES: return T510_FIT_WEIBAYES;
    case FIT_MODEL: return T510_FIT_REGRESSION;
    default: return 0;
    }
}

struct Builder {
    vyxstate* s;
    grpnode* g;
    insetrec* r;
    const stmtrec* inset;       // null on the default path
    double values[15] = {};
    insetent** tail = nullptr;

    insetent* append() {
        auto* e = poolget<insetent>(s->pools.workpool, 1, poolflag::zeroed);
        if (!e) {
            xmemmsg(sizeof(insetent));
            return nullptr;
        }
        std::memset(e->value, ' ', 24);
        std::memset(e->label, ' ', 24);
        *tail = e;
        tail = &e->next;
        ++r->nentries;
        return e;
    }
    bool nextislabel() const { return r->itemidx + 1 < r->nitems && static_cast<int>(r->items[r->itemidx + 1]) == kLabel; }
    // The user label of the item just read, when one follows it (consumed); else the message.
    void label(insetent* e, int msg) {
        if (nextislabel()) {
            ++r->itemidx;
            int len = 0;
            const char* t = inset ? zparm(stmtslot(inset, slot::inset::LABELS), r->labelidx, &len) : nullptr;
            ++r->labelidx;
            len = std::min(len, 24);
            if (t) std::memcpy(e->label, t, static_cast<size_t>(len));
            e->lablen = len;
            return;
        }
        if (msg > 0) e->lablen = wzstrip(e->label, xpmstr(e->label, 24, 510, msg));
    }
    void droplabel() {
        if (nextislabel()) {
            ++r->itemidx;
            ++r->labelidx;
        }
    }
    int code(int k) const {
        VX_EXPECT(k >= 0 && k < (inset ? r->nitems : 14), "an item of the list (the default list has 14)");
        return static_cast<int>(std::trunc(r->items[k]));
    }
};

// The value of a parameter, or the confidence, of a fit that has no estimate.
void noestimate(insetent* e) { e->vallen = wzstrip(e->value, xpmstr(e->value, 24, 510, T510_INSET_NO_ESTIMATE)); }

// 1. The inset record of group g, blank, as the state's current inset; null after a message.
insetrec* newinset(vyxstate* s, grpnode* g) {
    auto* r = poolget<insetrec>(s->pools.workpool, 1, poolflag::zeroed);
    if (!r) {
        xmemmsg(sizeof(insetrec));
        return nullptr;
    }
    s->plot.inset = r;
    r->active = 1;
    r->next = nullptr;
    r->group = g;
    std::memset(r->poskey, ' ', 8);
    std::memset(r->refpoint, ' ', 8);
    std::memset(r->hdrtext, ' ', 40);
    return r;
}

// 2. The values by item code; the counts of recurrence data are weighted events for N too.
void itemvalues(Builder& b, uint32_t method) {
    const vyxstate* s = b.s;
    const grpnode* g = b.g;
    const double events = s->popt.pflags.ismcf ? g->mcf.nobs : g->totw;
    const double vals[15] = {g->wfail, g->wright, 0, g->mcf.nunits, events, g->mcf.nunita, g->mcf.nevta, g->mcf.nunitb, g->mcf.nevtb, 0,
                             g->rsq, g->wleft, g->wint, events, static_cast<double>(s->groups.fmodeset.nvals)};
    std::memcpy(b.values, vals, sizeof vals);
    b.values[it::CONFIDENCE] = method == FIT_WEIBAYES ? weibayespercent(s) : vx::confpercent(s->opts.alpha);
}

// 3. The default item list: for MCFPLOT the counts (of both samples for a difference) and the
// confidence; otherwise the distribution's group, the counts by censoring, R-square or the
// confidence, and the fit, or for combined failure modes N and the modes. Null after a message.
double* defaultitems(vyxstate* s, const grpnode* g, uint32_t method) {
    const bool rsqok = !std::isnan(g->rsq) && (method == FIT_LSYX || method == FIT_LSXY);
    const bool weibayes0 = g->wfail == 0 && method == FIT_WEIBAYES;
    auto* dflt = static_cast<double*>(poolbytes(s->pools.workpool, 14 * sizeof(double), poolflag::zeroed));
    if (!dflt) {
        xmemmsg(14 * sizeof(double));
        return nullptr;
    }
    for (int k = 0; k < 14; ++k) dflt[k] = kSkip;
    const double conf = s->work.noconf ? kSkip : it::CONFIDENCE;
    if (s->popt.pflags.ismcf) {
        const double* list = nullptr;
        const double plain[] = {it::NUNITS, it::NEVENTS, conf, kEnd};
        const double diff[] = {it::NUNITS1, it::NEVENTS1, it::NUNITS2, it::NEVENTS2, conf, kEnd};
        list = s->popt.pflags.mcfdiff ? diff : plain;
        const int n = s->popt.pflags.mcfdiff ? 6 : 4;
        for (int k = 0; k < n; ++k) dflt[k] = list[k];
        return dflt;
    }
    const double T = s->work.thrflags[TH_GIVEN] ? 4 : kSkip;
    const double groups[DIST_CODES][5] = {{52, 0, 1, kSkip, 52}, {53, 0, 1, T, 53}, {54, 2, 3, T, 54}, {51, 0, 1, kSkip, 51},
                                          {50, 2, kSkip, T, 50}, {kSkip, kSkip, kSkip, kSkip, kSkip}, {56, 0, 1, kSkip, 56},
                                          {57, 0, 1, T, 57},   {kSkip, kSkip, kSkip, kSkip, kSkip}, {kSkip, kSkip, kSkip, kSkip, kSkip},
                                          {kSkip, kSkip, kSkip, kSkip, kSkip}, {58, 0, 1, T, 58}};
    if (s->opts.distcode < DIST_CODES)
        for (int k = 0; k < 5; ++k) dflt[k] = groups[s->opts.distcode][k];
    dflt[5] = it::UNCENSORED;
    dflt[6] = it::RIGHT;
    const bool more = s->inwork.rspkind != 0 && s->inwork.rspkind != 1;
    dflt[7] = more ? it::LEFT : kSkip;
    dflt[8] = more ? it::INTERVAL : kSkip;
    // A fit without an estimate shows its method but, as without a line, neither parameters
    // nor a confidence: its values are where the iteration stopped.
    const bool noparms = s->work.nofitline || g->noest;
    dflt[11] = rsqok ? it::RSQUARE : (s->work.noconf || noparms) && !weibayes0 ? kSkip : it::CONFIDENCE;
    dflt[12] = s->work.nofitline ? kSkip : it::FIT;
    dflt[13] = kEnd;
    if (noparms)
        for (int k = 0; k < 5; ++k) dflt[k] = kSkip;
    if (s->popt.pflags.fmcombine) {
        for (int k = 0; k < 9; ++k) dflt[k] = kSkip;
        dflt[9] = it::N;
        dflt[10] = kModes;
    }
    return dflt;
}

// 4. The INSET statement next: its items (the default list's first ten when it lists none),
// header, frame, position and reference point. false when a margin position is asked for
// with CLASS variables (the inset is dropped after a message).
bool readinset(vyxstate* s, insetrec* r, const stmtrec* next, double* dflt, ggtext* text) {
    const optslot* items = stmtslot(next, slot::inset::ITEMS);
    if (items && items->kind == SK_NUMLIST && items->ptr) {
        r->items = static_cast<double*>(items->ptr);
        r->nitems = items->count;
    } else {
        r->items = dflt;
        r->nitems = 10;
    }
    if (const optslot* h = stmtslot(next, slot::inset::HEADER); h && h->ptr) {
        r->hdrlen = std::min(h->count, 40);
        std::memcpy(r->hdrtext, h->ptr, static_cast<size_t>(r->hdrlen));
    }
    r->noframe = stmtflag(next, flag::inset::NOFRAME) ? 1 : 0;
    r->poskind = 0;
    if (const optslot* p = stmtslot(next, slot::inset::POSITION)) {
        std::memcpy(r->poskey, p->name, 8);
        for (char& c : r->poskey)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        r->poskind = 1;
        const bool margin = !std::memcmp(r->poskey, "TM      ", 8) || !std::memcmp(r->poskey, "BM      ", 8) ||
                            !std::memcmp(r->poskey, "RM      ", 8) || !std::memcmp(r->poskey, "LM      ", 8);
        if (s->groups.nclass > 0 && margin) {
            xpmlog(510, W510_INSET_MARGIN_CLASS);
            r->active = 0;
            return false;
        }
    } else if (const optslot* px = stmtslot(next, slot::inset::POSITION_X)) {
        const optslot* py = stmtslot(next, slot::inset::POSITION_Y);
        r->posx = px->num;
        r->posy = py ? py->num : 0;
        r->poskind = 2;
        std::memcpy(r->poskey, "USER    ", 8);
        r->possys = stmtflag(next, flag::inset::POSDATA) ? 2 : 3;
    }
    if (const optslot* rp = stmtslot(next, slot::inset::REFPOINT)) {
        if (r->poskind == 2) std::memcpy(r->refpoint, rp->name, 8);
        else xpmlog(510, W510_INSET_REFPOINT);
    }
    if (s->plot.gstarted) SetGraphics(s, r, 1, text);
    return true;
}

// 5a. A distribution group that begins with code t: its parameter items up to the closing
// code t, dropped (labels kept in step) for MCF data, no fit, combined failure modes, or a
// group of another distribution. *end when the list's end code closed it. 0, or RC_NOMEM.
int groupitems(Builder& b, int t, int limit, bool checks, uint32_t method, bool* end) {
    vyxstate* s = b.s;
    const grpnode* g = b.g;
    insetrec* r = b.r;
    const int groupcode = s->opts.distcode < DIST_CODES ? kGroupCode[s->opts.distcode] : 0;
    bool drop = false;
    if (checks && s->popt.pflags.ismcf) {
        xpmlog(510, W510_INSET_DIST_ON_MCF);
        drop = true;
    } else if (method == FIT_NONE || s->popt.pflags.fmcombine) {
        drop = true;
    } else if (checks && t != groupcode) {
        xpmlog(510, W510_INSET_OTHER_DIST);
        drop = true;
    }
    for (++r->itemidx; r->itemidx < limit; ++r->itemidx) {
        const int sub = b.code(r->itemidx);
        if (sub == t || sub == kEnd) break;
        if (sub == kSkip) continue;
        if (sub == kLabel) {
            ++r->labelidx;   // the label of a dropped sub-item keeps later labels in step
            continue;
        }
        if (drop || sub < 0 || sub > 5) {
            b.droplabel();
            continue;
        }
        insetent* e = b.append();
        if (!e) return RC_NOMEM;
        b.label(e, kSubMsg[sub]);
        // The threshold is given, never estimated.
        if (g->noest && sub != 4) {
            noestimate(e);
            continue;
        }
        const double v = sub == 0 ? g->loc : sub == 1 ? g->scale : sub == 2 ? g->wbscale : sub == 3 ? g->wbshape
                         : sub == 4 ? s->opts.fixedparms[FP_THRESHOLD] : g->mean;
        xpfs(v, 8, 82, e->value);
        e->vallen = wzstjus(e->value, 8, 'l');
    }
    *end = r->itemidx < limit && b.code(r->itemidx) == kEnd;
    return 0;
}

// 5b. An item of code t that the INSET statement may not have here: the message number, or 0.
int refusal(const vyxstate* s, int t, uint32_t method) {
    int refuse = 0;
    if (s->popt.pflags.ismcf) {
        const bool ok = s->popt.pflags.mcfdiff ? (t == 2 || (t >= 5 && t <= 8)) : (t >= 2 && t <= 4);
        if (!ok) refuse = W510_INSET_NOT_ON_MCF;
    } else if (t >= 3 && t <= 8) {
        refuse = W510_INSET_MCF_ITEM;
    }
    if (!refuse && t == it::RSQUARE && method != FIT_LSYX && method != FIT_LSXY) refuse = W510_INSET_RSQUARE_LEAST_SQUARES;
    if (!refuse && s->popt.pflags.fmcombine && t != 2 && t != 13 && t != 14) refuse = W510_INSET_FMODE_COMBINE_ITEM;
    return refuse;
}

// 5c. The entry of item t: its label and its value (an integer count, the confidence in
// percent, the fit's title, or a number). 0, or RC_NOMEM.
int plainitem(Builder& b, int t, uint32_t method) {
    VX_EXPECT(t >= 0 && t < 15, "an item code has a value and a message");
    insetent* e = b.append();
    if (!e) return RC_NOMEM;
    b.label(e, t < 15 ? kItemMsg[t] : 0);
    int length = 8;
    if (integeritem(t) && std::fabs(b.values[t]) < 1e15) {
        xpils(static_cast<int64_t>(std::trunc(b.values[t])), 8, e->value);
    } else if (integeritem(t)) {
        // A count from data too large for a whole number (a FREQ sum of 1e300): as a number.
        xpfs(b.values[t], 8, 82, e->value);
    } else if (t == it::CONFIDENCE && b.g->noest) {
        noestimate(e);
        return 0;
    } else if (t == it::CONFIDENCE) {
        xpfs(b.values[t], -6, 99, e->value);
        int last = wzstrip(e->value, 6);
        if (last < 24) e->value[last] = '%';
        length = last + 1;
    } else if (t == it::FIT) {
        xpmstr(e->value, 24, 510, fittitle(method));
        length = wzstrip(e->value, 24);
    } else {
        xpfs(b.values[t], 8, 82, e->value);
    }
    e->vallen = wzstjus(e->value, length, 'l');
    return 0;
}

// 6. The box: the widest label and value, and the height of the entries and the header.
void boxsize(insetrec* r, ggtext& text) {
    for (insetent* e = r->entries; e; e = e->next) {
        r->labwidth = std::max(r->labwidth, textwidth(text, e->label, e->lablen));
        r->valwidth = std::max(r->valwidth, textwidth(text, e->value, e->vallen));
    }
    if (r->nentries == 0) r->active = 0;
    r->boxwidth = r->valwidth == 0 ? r->labwidth : r->labwidth + r->valwidth + r->colgap;
    r->boxwidth = std::max(r->boxwidth, r->hdrwidth);
    const int n = r->nentries;
    r->boxheight = 2 * r->vmargin + n * r->textheight + (n > 0 ? n - 1 : 0) * r->linegap;
    if (r->hdrlen > 0) r->boxheight += r->devfont ? 2 * r->textheight : 2 * r->vmargin + r->textheight;
}

}  // namespace

int vyxins(vyxstate* s, grpnode* g) {
    VX_EXPECT(g, "an inset belongs to a group");
    const uint32_t method = s->work.fitmethod;
    insetrec* r = newinset(s, g);
    if (!r) return RC_NOMEM;
    Builder b{s, g, r, nullptr};
    b.tail = &r->entries;
    itemvalues(b, method);
    double* dflt = defaultitems(s, g, method);
    if (!dflt) return RC_NOMEM;
    r->nitems = 14;

    // The INSET statement's items, or on the default path the default header and list.
    const stmtrec* next = s->inwork.curstmt ? s->inwork.curstmt->next : nullptr;
    const bool insetpath = next && std::strncmp(next->keyword, "INS", 3) == 0;
    ggtext text{};
    if (insetpath) {
        b.inset = next;
        if (!readinset(s, r, next, dflt, &text)) return 0;
    } else {
        if (s->work.defhdr.given) {
            r->hdrlen = std::min(s->work.defhdr.len, 40);
            std::memcpy(r->hdrtext, s->work.defhdr.text, static_cast<size_t>(r->hdrlen));
        }
        if (s->plot.gstarted) SetGraphics(s, r, 0, &text);
        r->items = dflt;
        r->nitems = 9;
    }

    // 5. The codes up to the end code: distribution groups, then single items (checked when an
    // INSET statement gave them).
    const bool checks = insetpath;
    const int limit = insetpath ? r->nitems : 14;
    for (r->itemidx = 0; r->itemidx < limit; ++r->itemidx) {
        const int t = b.code(r->itemidx);
        if (t == kEnd) break;
        if (t == kSkip) continue;
        if (t >= 20 && t <= 58) {
            bool end = false;
            if (groupitems(b, t, limit, checks, method, &end) != 0) return RC_NOMEM;
            if (end) break;
            continue;
        }
        if (checks) {
            if (const int refuse = refusal(s, t, method)) {
                xpmlog(510, refuse);
                b.droplabel();
                continue;
            }
        }
        if (t < 0 || t > 14) {
            b.droplabel();
            continue;
        }
        if (plainitem(b, t, method) != 0) return RC_NOMEM;
    }

    if (!s->plot.gstarted) return 0;
    boxsize(r, text);
    return 0;
}
