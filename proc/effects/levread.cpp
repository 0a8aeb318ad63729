// The default observation readers of a model (GetInit, GetNext, GetVals and those across BY
// groups), the buffers of their get lists (rdlayout.h) and the forwarding readers of the
// level pass.
#include <algorithm>
#include <cstdarg>
#include <cstring>
#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/rdlayout.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/keychars.h"
#include "proc/framework/msgeffects.h"

// ---------------------------------------------------------------- default readers

namespace {

const vec203* dsv() { return hostvec<vec203>(VEC_DATASETS); }

bool present(const levclass* c) { return c && c->varinfo; }

// Builds the get list with (cls) or without the formatted CLASS values: sizes and allocates
// its buffer, adds every value and ends the list.
bool buildlist(levctl* ctl, bool cls) {
    levdata* d = ctl->ldata;
    levstate* ls = ctl->lstate;
    hgetlist*& list = cls ? d->glcls : d->glraw;
    char*& buf = cls ? d->bufcls : d->bufraw;
    poolobj* pool = effpool();
    const int nc = ls->nclassv;
    auto* lay = poolget<levrdlayout>(pool, 1, poolflag::zeroed_marked);
    if (!lay) return false;
    lay->fmtoff = poolget<int32_t>(pool, std::max(nc, 1), poolflag::zeroed_marked);
    lay->rawoff = poolget<int32_t>(pool, std::max(nc, 1), poolflag::zeroed_marked);
    lay->numoff = poolget<int32_t>(pool, std::max(nc, 1), poolflag::zeroed_marked);
    lay->chroff = poolget<int32_t>(pool, std::max(nc, 1), poolflag::zeroed_marked);
    lay->chrlen = poolget<int32_t>(pool, std::max(nc, 1), poolflag::zeroed_marked);
    lay->cutoff = poolget<int32_t>(pool, std::max(nc, 1), poolflag::zeroed_marked);
    if (!lay->fmtoff || !lay->rawoff || !lay->numoff || !lay->chroff || !lay->chrlen || !lay->cutoff) return false;
    lay->allcont = 1;
    lay->formatted = cls ? 1 : 0;
    for (int j = 0; j < ls->ncontv; ++j) lay->allcont &= present(&ls->contv[j]) ? 1 : 0;
    int32_t off = 0;
    lay->cont = off;
    for (int j = 0; j < ls->ncontv; ++j)
        if (present(&ls->contv[j])) off += 8;
    lay->resp = off;
    for (int r = 0; r < ctl->nresp; ++r)
        if (present(&ctl->respv[r])) off += 8;
    // A level text cut from a longer formatted value has the room of the whole value, which is
    // read there: the text is its first fmtlen bytes, and whether it is cut back to a whole
    // character depends on the rest.
    for (int i = 0; i < nc; ++i) {
        const levclass* c = &ls->classv[i];
        lay->fmtoff[i] = off;
        if (cls && present(c)) off += std::max(c->fmtlen, levformatwidth(c));
    }
    lay->wgt = off;
    off += 8 * std::max(ctl->nwgt, 1);
    lay->freq = off;
    off += 8;
    for (int i = 0; i < nc; ++i) {
        const levclass* c = &ls->classv[i];
        lay->rawoff[i] = off;
        if (!present(c)) {
            lay->chroff[lay->nchrall++] = -1;
            continue;
        }
        if (c->varinfo->d.type == 1) {
            lay->numoff[lay->nnum++] = off;
            off += 8;
        } else {
            const int32_t len = std::max<int32_t>(1, c->varinfo->d.length);
            lay->chrlen[lay->nchrall] = len;
            lay->chroff[lay->nchrall++] = off;
            ++lay->nchr;
            off += len;
        }
    }
    buf = static_cast<char*>(poolbytes(pool, off + 8, poolflag::zeroed_marked));
    if (!buf) return false;
    ctl->rdlay[cls ? 1 : 0] = lay;
    const int items = ls->ncontv + ctl->nresp + ctl->nwgt + 2 + (cls ? 2 : 1) * nc;
    if (xvgeti(d->dsh, items, &list) != 0) return false;
    bool ok = true;
    auto add = [&](const levclass* c, int32_t at, int width, int kind) {
        if (xvgetd(list, c->varinfo->varnum, at, nullptr, width, kind, 0, 0) != 0) ok = false;
    };
    off = lay->cont;
    for (int j = 0; j < ls->ncontv; ++j)
        if (present(&ls->contv[j])) add(&ls->contv[j], off, 8, GET_RAW), off += 8;
    off = lay->resp;
    for (int r = 0; r < ctl->nresp; ++r)
        if (present(&ctl->respv[r])) add(&ctl->respv[r], off, 8, GET_RAW), off += 8;
    for (int i = 0; i < nc; ++i) {
        levclass* c = &ls->classv[i];
        if (!present(c)) continue;
        // a formatted width shorter than the format needs: one warning per variable
        const bool check = cls || c->varinfo->d.type == 1;
        const bool cut = levcut(c);
        if (check && cut && !c->wwarned) {
            c->wwarned = 1;
            if (c->wmsggrp && c->wmsgnum) xpmlog(c->wmsggrp, c->wmsgnum, txtarg(levvarname(c), levvarnamelen(c)), c->fmtlen);
            else xpmlog(172, W172_CLASS_FORMAT_SHORT, txtarg(levvarname(c), levvarnamelen(c)), c->fmtlen);
        }
        if (cls) {
            xffile(d->dsh, FF_FORMATS, &c->varinfo->varnum, 1);
            add(c, lay->fmtoff[i], cut ? levformatwidth(c) : c->fmtlen, GET_FORMATTED);
            if (cut) lay->cutoff[lay->ncut++] = i;
        }
    }
    if (ctl->haswgt)
        for (int k = 0; k < ctl->nwgt; ++k)
            if (present(&ctl->haswgt[k])) add(&ctl->haswgt[k], lay->wgt + 8 * k, 8, GET_RAW);
    if (present(ctl->hasfreq)) add(ctl->hasfreq, lay->freq, 8, GET_RAW);
    for (int i = 0; i < nc; ++i) {
        const levclass* c = &ls->classv[i];
        if (present(c))
            add(c, lay->rawoff[i], c->varinfo->d.type == 1 ? 8 : std::max<int32_t>(1, c->varinfo->d.length), GET_RAW);
    }
    if (xvgete(list) != 0) ok = false;
    return ok;
}

double getd(const char* p) {
    double v;
    std::memcpy(&v, p, 8);
    return v;
}

void readfailed(levctl* ctl) {
    if (ctl->rdfail++) return;
    dsnamerec nm{};
    if (ctl->ldata && ctl->ldata->dsh) dsv()->xoinfo(ctl->ldata->dsh, DSI_NAME, &nm);
    const long long obs = ctl->ldata && ctl->ldata->dsh ? dsv()->xobsnum(ctl->ldata->dsh) : 0;
    xpmlog(172, E172_OBS_UNREAD, txtarg(nm.name, nm.namelen), obs);
    xexit(RC_INPUT, 0);
}

}  // namespace

bool zlevreadfailed(const levctl* ctl) { return ctl->rdfail != 0; }

int GetInit(levctl* ctl) { return ctl->ldata && xbyrwnd(ctl->ldata->dsh, 66) != 0 ? 1 : 0; }

int GetNext(levctl* ctl) {
    dshandle ds = ctl->ldata ? ctl->ldata->dsh : nullptr;
    return ds && dsv()->xybyget(ds) == 0 ? 1 : 0;
}

int GetInitAcrossBy(levctl* ctl) {
    if (ctl->ldata && ctl->ldata->dsh) dsv()->xopnt(ctl->ldata->dsh);
    return 0;
}

int GetNextAcrossBy(levctl* ctl) {
    dshandle ds = ctl->ldata ? ctl->ldata->dsh : nullptr;
    return ds && dsv()->xoget(ds) == 0 ? 1 : 0;
}

namespace {

inline const char* readobs(levctl* ctl, bool cls, const levrdlayout** lay) {
    levdata* d = ctl->ldata;
    const int which = cls ? 1 : 0;
    hgetlist* list = cls ? d->glcls : d->glraw;
    if (!list) {
        if (!d->dsh || !buildlist(ctl, cls)) {
            readfailed(ctl);
            return nullptr;
        }
        list = cls ? d->glcls : d->glraw;
    }
    char* buf = cls ? d->bufcls : d->bufraw;
    // one read per observation and list
    const int64_t obs = dsv()->xobsnum(d->dsh);
    if (obs <= 0 || obs != ctl->lastobs[which]) {
        ctl->lastobs[which] = 0;
        if (xyvget(list, buf) != 0) {
            readfailed(ctl);
            return nullptr;
        }
        // a level text cut from a longer formatted value (read whole in its place) ends on a
        // whole character when the value is UTF-8
        const levrdlayout* l = ctl->rdlay[which];
        for (int k = 0; k < l->ncut; ++k) {
            const levclass* c = &ctl->lstate->classv[l->cutoff[k]];
            char* text = buf + l->fmtoff[l->cutoff[k]];
            wholecharsin(text, c->fmtlen, text, levformatwidth(c));
        }
        ctl->lastobs[which] = obs;
    }
    *lay = ctl->rdlay[which];
    return buf;
}

inline void copyrole(const levctl* ctl, const levrdlayout* lay, const char* buf, char role, void* dst) {
    const levstate* ls = ctl->lstate;
    if (!dst) return;
    switch (role) {
        case 'z': {
            auto* out = static_cast<double*>(dst);
            if (lay->allcont) {
                std::memcpy(out, buf + lay->cont, 8 * static_cast<size_t>(ls->ncontv));
                break;
            }
            int32_t off = lay->cont;
            for (int j = 0; j < ls->ncontv; ++j) {
                if (present(&ls->contv[j])) out[j] = getd(buf + off), off += 8;
                else out[j] = hostmissing();
            }
            break;
        }
        case 'y': {
            auto* out = static_cast<double*>(dst);
            int32_t off = lay->resp;
            for (int k = 0; k < ctl->nresp; ++k) {
                if (present(&ctl->respv[k])) out[k] = getd(buf + off), off += 8;
                else out[k] = hostmissing();
            }
            break;
        }
        case 'w': {
            if (!ctl->haswgt || ctl->nwgt < 1) break;
            double s = 0.0;
            bool miss = false;
            for (int k = 0; k < ctl->nwgt; ++k) {
                const double v = getd(buf + lay->wgt + 8 * k);
                if (ismissing(v)) miss = true;
                s += v;
            }
            *static_cast<double*>(dst) = miss ? hostmissing() : (ctl->nwgt == 1 ? s : s / ctl->nwgt);
            break;
        }
        case 'f':
            if (present(ctl->hasfreq)) *static_cast<double*>(dst) = getd(buf + lay->freq);
            break;
        case 'c': {
            auto* out = static_cast<char**>(dst);
            for (int i = 0; i < ls->nclassv; ++i) {
                const levclass* c = &ls->classv[i];
                if (present(c)) std::memcpy(out[i], buf + lay->fmtoff[i], static_cast<size_t>(c->fmtlen));
                else std::memset(out[i], ' ', static_cast<size_t>(c->fmtlen));
            }
            break;
        }
        case 'u': {
            auto* out = static_cast<double*>(dst);
            for (int a = 0; a < lay->nnum; ++a) out[a] = getd(buf + lay->numoff[a]);
            break;
        }
        case 'b': {
            auto* out = static_cast<levrawtext*>(dst);
            for (int b = 0; b < lay->nchrall; ++b) {
                levrawtext& t = out[b];
                if (lay->chroff[b] < 0) {
                    std::memset(t.buf, ' ', static_cast<size_t>(t.len));
                    continue;
                }
                const int n = std::min<int>(t.len, lay->chrlen[b]);
                std::memcpy(t.buf, buf + lay->chroff[b], static_cast<size_t>(n));
                if (t.len > n) std::memset(t.buf + n, ' ', static_cast<size_t>(t.len - n));
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace

const char* levreadobs(levctl* ctl, bool cls, const levrdlayout** lay) { return readobs(ctl, cls, lay); }

void levcopyrole(const levctl* ctl, const levrdlayout* lay, const char* buf, char role, void* dst) {
    copyrole(ctl, lay, buf, role, dst);
}

void levcopyvalues(const levctl* ctl, const levrdlayout* lay, const char* buf, double* cont, double* y, double* w,
                   double* f) {
    copyrole(ctl, lay, buf, 'z', cont);
    if (y) copyrole(ctl, lay, buf, 'y', y);
    if (w) copyrole(ctl, lay, buf, 'w', w);
    if (f) copyrole(ctl, lay, buf, 'f', f);
}

bool levdefaultvals(const levctl* ctl) { return ctl->rdvals == GetVals; }

int GetVals(levctl* ctl, const char* roles, ...) {
    bool cls = ctl->wantcls;
    for (const char* r = roles; *r && !cls; ++r) cls = *r == 'c';
    const levrdlayout* lay = nullptr;
    const char* buf = readobs(ctl, cls, &lay);
    if (!buf) return 0;
    va_list ap;
    va_start(ap, roles);
    for (const char* r = roles; *r; ++r) {
        switch (*r) {
            case 'z': case 'y': case 'w': case 'f': case 'c': case 'u': case 'b':
                copyrole(ctl, lay, buf, *r, va_arg(ap, void*));
                break;
            default:
                break;
        }
    }
    va_end(ap);
    return 1;
}

bool levbufview::plan(const levstate* ls, const levrdlayout* layout, poolobj* pool) {
    lay = layout;
    ncls = ls->nclassv;
    cls = ncls > 0 ? poolget<clsval>(pool, ncls, poolflag::zeroed_marked) : nullptr;
    contvar = ls->ncontv > 0 ? poolget<int32_t>(pool, ls->ncontv, poolflag::zeroed_marked) : nullptr;
    contoff = ls->ncontv > 0 ? poolget<int32_t>(pool, ls->ncontv, poolflag::zeroed_marked) : nullptr;
    if ((ncls > 0 && !cls) || (ls->ncontv > 0 && (!contvar || !contoff))) return false;
    for (int i = 0; i < ncls; ++i) {
        const levclass* c = &ls->classv[i];
        const bool num = c->varinfo->d.type == 1;
        cls[i] = clsval{lay->rawoff[i], lay->formatted ? lay->fmtoff[i] : -1,
                        num ? 8 : std::max<int32_t>(1, c->varinfo->d.length), static_cast<uint8_t>(num),
                        static_cast<uint8_t>(c->lvoptb == 0 && c->lvmiss == 0)};
    }
    ncont = 0;
    int32_t off = lay->cont;
    for (int j = 0; j < ls->ncontv; ++j)
        if (present(&ls->contv[j])) contvar[ncont] = j, contoff[ncont++] = off, off += 8;
    return true;
}

bool levbufview::complete(const char* buf) const {
    bool ok = true;
    for (int i = 0; i < ncls; ++i) {
        const clsval& v = cls[i];
        if (!v.tested) continue;
        if (v.numeric) {
            ok &= !ismissing(getd(buf + v.raw));
        } else {
            const char* t = buf + v.raw;
            bool blank = true;
            for (int k = 0; k < v.len && blank; ++k) blank = t[k] == ' ';
            ok &= !blank;
        }
    }
    for (int k = 0; k < ncont; ++k) ok &= !ismissing(getd(buf + contoff[k]));
    return ok;
}

void levbufview::ranges(levwork* w, const char* buf) const {
    for (int k = 0; k < ncont; ++k) {
        const double x = getd(buf + contoff[k]);
        if (ismissing(x)) continue;
        const int j = contvar[k];
        if (x < w->lwmin[j]) w->lwmin[j] = x;
        if (x > w->lwmax[j]) w->lwmax[j] = x;
    }
}

hgetlist* levrecordlist(levctl* ctl, const int32_t* recoff, const int32_t* valw, int32_t freqoff, int32_t contoff) {
    const levstate* ls = ctl->lstate;
    dshandle ds = ctl->ldata ? ctl->ldata->dsh : nullptr;
    if (!ds) return nullptr;
    hgetlist* list = nullptr;
    if (xvgeti(ds, ls->nclassv + ls->ncontv + 1, &list) != 0) return nullptr;
    bool ok = true;
    auto add = [&](const levclass* c, int32_t at, int width) {
        if (xvgetd(list, c->varinfo->varnum, at, nullptr, width, GET_RAW, 0, 0) != 0) ok = false;
    };
    if (freqoff >= 0) add(ctl->hasfreq, freqoff, 8);
    for (int i = 0; i < ls->nclassv; ++i) add(&ls->classv[i], recoff[i], valw[i]);
    int32_t off = contoff;
    for (int j = 0; j < ls->ncontv; ++j)
        if (present(&ls->contv[j])) add(&ls->contv[j], off, 8), off += 8;
    if (xvgete(list) != 0) ok = false;
    return ok ? list : nullptr;
}

int32_t levreadrecords(levctl* ctl, hgetlist* list, char* rec, int32_t recsize, int32_t room, uint64_t* obsno,
                       bool* end) {
    const vec203* v = dsv();
    dshandle ds = ctl->ldata ? ctl->ldata->dsh : nullptr;
    const bool bygroup = ds && ctl->rdnext == GetNext;   // the BY group's cursor, without the reader's call
    int32_t n = 0;
    while (n < room) {
        if (!(bygroup ? v->xybyget(ds) == 0 : ctl->rdnext(ctl) != 0)) {
            *end = true;
            break;
        }
        if (*obsno == 0) {
            // the first observation through the default reader too: it makes its list as it
            // always does (with the warnings of formatted lengths that are too short)
            const levrdlayout* lay = nullptr;
            if (!readobs(ctl, ctl->wantcls != 0, &lay)) {
                *end = true;
                break;
            }
        }
        if (v->xyvget(list, rec) != 0) {
            readfailed(ctl);
            *end = true;
            break;
        }
        ++*obsno;
        std::memcpy(rec, obsno, 8);
        rec += recsize;
        ++n;
    }
    return n;
}

levctl* levdirectreader(levwork* w) {
    auto* ctl = static_cast<levctl*>(w->lwowner);
    if (w->lwinit != LevGetInit || w->lwnext != LevGetNext || w->lwvals != LevGetVals || w->lwfilt || !ctl)
        return nullptr;
    if (!levdefaultvals(ctl)) return nullptr;
    for (int i = 0; i < ctl->lstate->nclassv; ++i)
        if (!present(&ctl->lstate->classv[i])) return nullptr;
    return ctl;
}

// ---------------------------------------------------------------- forwarding readers

namespace {
levctl* ownerctl(levwork* w) { return static_cast<levctl*>(w->lwowner); }
}  // namespace

int LevGetInit(levwork* w, levstate*) {
    levctl* ctl = ownerctl(w);
    ctl->wantcls = w->lwwantfmt;
    return ctl->rdrewind(ctl);
}

int LevGetNext(levwork* w, levstate*) {
    levctl* ctl = ownerctl(w);
    return ctl->rdnext(ctl);
}

int LevGetVals(levwork* w, levstate* ls) {
    levctl* ctl = ownerctl(w);
    int ok = ctl->wantcls ? ctl->rdvals(ctl, "zcub", w->lwcont, w->lwfmt, w->lwnumraw, w->lwchrraw)
                          : ctl->rdvals(ctl, "zub", w->lwcont, w->lwnumraw, w->lwchrraw);
    if (ok && ls->freqvar) ok = ctl->rdvals(ctl, "f", &ls->freqval);
    return ok ? 1 : 0;
}

int LevGetLevIndex(levwork* w) {
    levctl* ctl = ownerctl(w);
    for (int i = 0; i < ctl->lstate->nclassv; ++i) w->lwactive[i] = 1;
    return ctl->rdfilter(ctl, w->lwactive, ctl->lstate->rdfarg);
}
