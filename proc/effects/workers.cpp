// Worker threads of the levelization and effect-combination passes.
#include "proc/effects/workers.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>
#include "proc/effects/designrow.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/levdrive.h"
#include "proc/effects/rdlayout.h"
#include "proc/effects/thropts.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/trees.h"

// Node of a worker's level container: first observation, smallest raw value, weighted count,
// then the formatted text (the key) and, for a character variable, the smallest raw text.
struct wlevnode {
    int64_t first;
    double raw;
    int32_t count;
    int32_t pad;
};
constexpr int WLEV_TEXT = sizeof(wlevnode);
// Node of a worker's raw-value container: final level index (set by zlevmapraw), the level
// node, then the raw value (the key) and the formatted text.
struct wrawnode {
    int32_t finalidx;
    int32_t pad;
    wlevnode* lev;
};
constexpr int WRAW_KEY = sizeof(wrawnode);

// A worker's memo of the raw values it met, per CLASS variable whose raw value fits in 8 bytes:
// direct-mapped by the value's bytes as a word, in front of the raw-value container.
struct wmemo {
    uint64_t key;
    void* node;                // the raw-value node, null: empty
};
constexpr int WMEMO_BITS = 12;

// What a worker needs of a CLASS variable for each record.
struct wvar {
    int32_t off;               // place in the record
    int32_t rl;                // raw length
    int32_t fl;                // formatted length
    uint8_t num;
    uint8_t missok;            // a missing value is a level
    uint8_t count;             // the order needs the counts
    uint8_t keepjst;
    wmemo* memo;               // null: the value is longer than 8 bytes
};

struct levworker {
    levbufd* buf;
    fmtset* fmt;
    levthreads* tc;
    int32_t index;
    kcontainer** levc;         // per CLASS variable
    kcontainer** rawc;
    poolobj** lpool;           // per CLASS variable: level nodes
    poolobj** rpool;           // raw-value nodes
    kevent* work;
    kevent* error;
    kevent* ended;
    kevent* quit;
    kevent* idle;              // our own: set while the worker waits for a buffer
    kthread* thr;
    int32_t mathcode;          // code of the last math error plus 1
    char* text;                // a formatted value being looked up
    // continuous ranges of the records the worker took (records read straight, tc->wkcheck),
    // per continuous value of a record, with the observation that set each first (0: none)
    double* cmin;
    double* cmax;
    uint64_t* cminobs;
    uint64_t* cmaxobs;
    wvar* vars;                // per CLASS variable
    // effect pass
    kcontainer** effc;         // per effect
    poolobj* epool;
    int32_t* scratch;
};

namespace {

const kernelinst* K() { return qxkernel(); }

bool needscount(char k) { return k == 'F' || k == 'X' || k == 'Y' || k == 'Z'; }
bool validorder(char k) { return k == 'M' || k == 'F' || k == 'D' || k == 'X' || k == 'Y' || k == 'Z' || k == 'I'; }

int rawlenof(const levclass* c) { return c->varinfo->d.type == 1 ? 8 : std::max<int32_t>(1, c->varinfo->d.length); }

bool blank(const char* s, int n) {
    for (int i = 0; i < n; ++i)
        if (s[i] != ' ') return false;
    return true;
}

// ---------------------------------------------------------------- worker side

// The completeness test of the level pass on a record read straight (tc->wkcheck): a missing
// CLASS value the variable does not keep, or a missing continuous value, drops the record.
bool reccomplete(const levthreads* tc, const levstate* ls, const char* rec) {
    for (int i = 0; i < tc->nvars; ++i) {
        const levclass* c = &ls->classv[i];
        if (c->lvoptb || c->lvmiss) continue;
        const char* val = rec + tc->recoff[i];
        if (c->varinfo->d.type == 1) {
            double x;
            std::memcpy(&x, val, 8);
            if (ismissing(x)) return false;
        } else if (blank(val, tc->valw[i])) {
            return false;
        }
    }
    const char* cv = rec + tc->contoff;
    for (int k = 0; k < tc->ncont; ++k) {
        double x;
        std::memcpy(&x, cv + 8 * k, 8);
        if (ismissing(x)) return false;
    }
    return true;
}

// The record's continuous values into the worker's ranges.
void recranges(levworker* wk, const char* rec, uint64_t obs) {
    const levthreads* tc = wk->tc;
    const char* cv = rec + tc->contoff;
    for (int k = 0; k < tc->ncont; ++k) {
        double x;
        std::memcpy(&x, cv + 8 * k, 8);
        if (ismissing(x)) continue;
        if (x < wk->cmin[k]) wk->cmin[k] = x, wk->cminobs[k] = obs;
        if (x > wk->cmax[k]) wk->cmax[k] = x, wk->cmaxobs[k] = obs;
    }
}

int LevelizeBuffer(levworker* wk) {
    levbufd* d = wk->buf;
    levthreads* tc = wk->tc;
    levstate* ls = d->ls;
    const kavlext* av = tc->eavl;
    const bool freq = tc->hdrsize == 16;
    const bool check = tc->wkcheck != 0, keepinc = (ls->lsflags2 & LS2_KEEPINC) != 0;
    const int nvars = tc->nvars, count = d->count;
    for (int r = 0; r < count; ++r) {
        const char* rec = d->start + static_cast<size_t>(r) * d->recsize;
        int64_t obs;
        std::memcpy(&obs, rec, 8);
        if (check) {
            if (!keepinc && !reccomplete(tc, ls, rec)) continue;
            recranges(wk, rec, static_cast<uint64_t>(obs));
        }
        int32_t cnt = 1;
        if (freq) {
            double f;
            std::memcpy(&f, rec + 8, 8);
            cnt = levfreqcount(f);
        }
        for (int i = 0; i < nvars; ++i) {
            if (d->filter && !d->filter[static_cast<size_t>(r) * nvars + i]) continue;
            const wvar& v = wk->vars[i];
            const char* val = rec + v.off;
            const bool num = v.num;
            const int rl = v.rl;
            double x = 0.0;
            uint64_t key = 0;
            if (num) {
                std::memcpy(&x, val, 8);
                std::memcpy(&key, val, 8);
                if (ismissing(x) && !v.missok) continue;
            } else {
                if (!v.missok && blank(val, rl)) continue;
                if (v.memo) std::memcpy(&key, val, static_cast<size_t>(rl));
            }
            wmemo* m = v.memo ? &v.memo[(key * 0x9E3779B97F4A7C15ull) >> (64 - WMEMO_BITS)] : nullptr;
            wrawnode* rn;
            if (m && m->node && m->key == key) {
                rn = static_cast<wrawnode*>(m->node);
            } else {
                rn = static_cast<wrawnode*>(av->find(wk->rawc[i], val));
                if (rn && m) *m = wmemo{key, rn};
            }
            if (rn) {
                // a raw value met before: its level is known; only the orders by frequency count it
                if (v.count) rn->lev->count += cnt;
                continue;
            }
            // a new raw value: format it and find or make its level
            std::memcpy(wk->fmt->value, val, static_cast<size_t>(rl));
            if (QXFormatToHVN(wk->fmt, i) != 0) return 2;
            const int fl = v.fl;
            const int n = std::min<int>(fl, wk->fmt->outlen);
            std::memcpy(wk->text, wk->fmt->out, static_cast<size_t>(n));
            std::memset(wk->text + n, ' ', static_cast<size_t>(fl - n));
            if (!v.keepjst) Stringjl(wk->text, fl);
            auto* lev = static_cast<wlevnode*>(av->find(wk->levc[i], wk->text));
            if (!lev) {
                lev = static_cast<wlevnode*>(poolbytes(wk->lpool[i], d->nodesz[i], poolflag::zeroed_marked));
                if (!lev) return 1;
                lev->first = obs;
                lev->raw = x;
                std::memcpy(reinterpret_cast<char*>(lev) + WLEV_TEXT, wk->text, static_cast<size_t>(fl));
                if (!num) std::memcpy(reinterpret_cast<char*>(lev) + WLEV_TEXT + fl, val, static_cast<size_t>(rl));
                if (!av->insert(wk->levc[i], lev)) return 1;
            } else if (num) {
                if (ismissing(x) || (!ismissing(lev->raw) && x < lev->raw)) lev->raw = x;
            } else {
                char* lr = reinterpret_cast<char*>(lev) + WLEV_TEXT + fl;
                if (std::memcmp(val, lr, static_cast<size_t>(rl)) < 0) std::memcpy(lr, val, static_cast<size_t>(rl));
            }
            lev->count += cnt;
            rn = static_cast<wrawnode*>(poolbytes(wk->rpool[i], d->rawsz[i], poolflag::zeroed_marked));
            if (!rn) return 1;
            rn->finalidx = -1;
            rn->lev = lev;
            std::memcpy(reinterpret_cast<char*>(rn) + WRAW_KEY, val, static_cast<size_t>(rl));
            std::memcpy(reinterpret_cast<char*>(rn) + WRAW_KEY + rl, wk->text, static_cast<size_t>(fl));
            if (!av->insert(wk->rawc[i], rn)) return 1;
            if (m) *m = wmemo{key, rn};
        }
    }
    return 0;
}

int TreeEffects(levworker* wk) {
    levbufd* d = wk->buf;
    levthreads* tc = wk->tc;
    levstate* ls = d->ls;
    const kavlext* av = tc->eavl;
    for (int r = 0; r < d->count; ++r) {
        std::memcpy(wk->scratch, d->start + static_cast<size_t>(r) * d->recsize, 4 * static_cast<size_t>(tc->nvars));
        for (int k = 0; k < ls->neffect; ++k) {
            const leveffect* e = &ls->effects[k];
            if (e->nclsall == 0) continue;
            auto* key = static_cast<int32_t*>(poolbytes(wk->epool, 4 * e->nclsall, poolflag::raw_marked));
            if (!key) return 1;
            bool neg = false;
            for (int j = 0; j < e->nnest; ++j) neg |= (key[j] = wk->scratch[e->nestix[j]]) < 0;
            for (int j = 0; j < e->ncls; ++j) neg |= (key[e->nnest + j] = wk->scratch[e->clsix[j]]) < 0;
            if (neg && (ls->lsflags2 & LS2_KEEPINC)) continue;
            if (!av->insert(wk->effc[k], key)) return 1;
        }
    }
    return 0;
}

// The loop of a worker: wait for a buffer (or the end), process it, hand it back.
int workerloop(levworker* wk, int (*process)(levworker*)) {
    const kernelinst* k = K();
    levthreads* tc = wk->tc;
    kevent* evs[2] = {wk->work, wk->quit};
    for (;;) {
        int which = -1;
        if (qxWait(nullptr, 2, evs, &which, 0, 0) != 0 || which < 0) {
            k->evpost(wk->error, KS_NOWAIT);
            break;
        }
        if (which == 1) break;
        wk->mathcode = 0;
        const levthrhook* hook = tc->ctl ? tc->ctl->thrhook : nullptr;
        if (hook && hook->fault) {
            const int code = hook->fault(hook->ctx, tc->pass, wk->index, wk->buf->batches);
            if (code == WF_NOMEM) {
                k->evpost(wk->error, KS_NOMEM);
                break;
            }
            if (code >= WF_MATH) {
                ZLEVMathError(wk, code - WF_MATH);
                k->evpost(wk->error, KS_NOWAIT);
                break;
            }
        }
        const int rc = process(wk);
        if (rc != 0) {
            k->evpost(wk->error, rc == 1 ? KS_NOMEM : 0);
            break;
        }
        k->evreset(wk->work);
        wk->buf->count = 0;
        k->evpost(wk->idle, 0);
    }
    if (k->evtest(wk->quit, nullptr)) k->evreset(wk->quit);
    if (k->evtest(wk->work, nullptr)) k->evreset(wk->work);
    return 0;
}

int ThProcessBuffer(void* arg) { return workerloop(static_cast<levworker*>(arg), LevelizeBuffer); }
int ThProcessEffectsBuffer(void* arg) { return workerloop(static_cast<levworker*>(arg), TreeEffects); }

// ---------------------------------------------------------------- producer side

// Hands the current buffer to its worker.
void handover(levthreads* tc, levbufd* d) {
    const kernelinst* k = K();
    levworker* wk = &tc->workers[d->worker];
    ++d->batches;
    k->evreset(wk->idle);
    k->evpost(wk->work, 0);
}

// Waits for an idle worker (any, or the given one); its index, or -1 when a worker failed
// (*status the failure's status).
int waitidle(levthreads* tc, int only, int32_t* status) {
    const kernelinst* k = K();
    std::vector<kevent*> evs;
    const int n = tc->nworkers;
    if (only >= 0) {
        evs = {tc->workers[only].idle, tc->workers[only].error};
    } else {
        for (int i = 0; i < n; ++i) evs.push_back(tc->workers[i].idle);
        for (int i = 0; i < n; ++i) evs.push_back(tc->workers[i].error);
    }
    int which = -1;
    if (qxWait(nullptr, static_cast<int>(evs.size()), evs.data(), &which, 0, 0) != 0) {
        *status = KS_NOWAIT;
        return -1;
    }
    const int half = static_cast<int>(evs.size()) / 2;
    if (which >= half) {
        k->evtest(evs[static_cast<size_t>(which)], status);
        return -1;
    }
    return only >= 0 ? only : which;
}

// Posts the current buffer when it is full or the data ended, and makes an idle worker's
// buffer current. 0 goes on, 1 a worker failed.
int cycle(levthreads* tc, levbufd*& d, bool end, int32_t* status) {
    if (!end && d->count < d->capacity) return 0;
    if (d->count > 0) handover(tc, d);
    if (end) {
        for (int i = 0; i < tc->nworkers; ++i)
            if (waitidle(tc, i, status) < 0) return 1;
        return 0;
    }
    const int w = waitidle(tc, -1, status);
    if (w < 0) return 1;
    d = &tc->bufs[w];
    d->count = 0;
    d->pos = d->start;
    return 0;
}

void resetbufs(levthreads* tc) {
    for (int i = 0; i < tc->nworkers; ++i) {
        levbufd& b = tc->bufs[i];
        b.count = 0;
        b.pos = b.start;
        b.batches = 0;
    }
}

int32_t errfromstatus(int32_t st) { return st == KS_NOMEM ? 56 : 55; }

// Reads the next observation into the current buffer; 1 at the end of the data. The count
// of observations read is kept by the caller (the control block shares its cache line with
// what the workers read).
int addcurrent(levwork* w, levstate* ls, levbufd* d, uint64_t& obsno);

int AddToBuffer(levwork* w, levstate* ls, levbufd* d, uint64_t& obsno) {
    if (!w->lwnext(w, ls)) return 1;
    return addcurrent(w, ls, d, obsno);
}

// The observation the reader stands on into the current buffer.
int addcurrent(levwork* w, levstate* ls, levbufd* d, uint64_t& obsno) {
    levthreads* tc = w->lwthr;
    if (!w->lwvals(w, ls)) return 1;
    ++obsno;
    if (w->lwfilt && w->lwfilt(w) == 0) return 0;
    if (!(ls->lsflags2 & LS2_KEEPINC) && !levcomplete(w, ls)) return 0;
    char* rec = d->pos;
    const uint64_t obs = obsno;
    std::memcpy(rec, &obs, 8);
    if (tc->hdrsize == 16) std::memcpy(rec + 8, &ls->freqval, 8);
    int a = 0, b = 0;
    for (int i = 0; i < tc->nvars; ++i) {
        const levclass* c = &ls->classv[i];
        if (c->varinfo->d.type == 1) {
            std::memcpy(rec + d->recoff[i], &w->lwnumraw[a++], 8);
        } else {
            const levrawtext& t = w->lwchrraw[b++];
            std::memcpy(rec + d->recoff[i], t.buf, static_cast<size_t>(std::min(t.len, d->valw[i])));
        }
        if (d->filter) d->filter[static_cast<size_t>(d->count) * tc->nvars + i] = w->lwactive[i] ? 1 : 0;
    }
    d->pos += d->recsize;
    ++d->count;
    levranges(w, ls, w->lwcont);
    return 0;
}

// The reading thread of a pass whose records are read straight (tc->wkcheck): observations go
// from the data set into the current buffer through tc->reclist until it is full, and nothing
// else is done with them here. 1 at the end of the data (or when an observation could not be
// read).
int addrecords(levctl* ctl, levthreads* tc, levbufd* d, uint64_t& obsno) {
    bool end = false;
    const int32_t n = levreadrecords(ctl, tc->reclist, d->pos, d->recsize, d->capacity - d->count, &obsno, &end);
    if (tc->hdrsize == 16 && !(ctl->hasfreq && ctl->hasfreq->varinfo))
        for (int32_t k = 0; k < n; ++k) std::memcpy(d->pos + static_cast<size_t>(k) * d->recsize + 8, &ctl->lstate->freqval, 8);
    d->pos += static_cast<size_t>(n) * d->recsize;
    d->count += n;
    return end ? 1 : 0;
}

// The workers' continuous ranges into the pass's: the smallest and largest value, of the
// first observation that has it where workers tie (as the pass in this thread keeps it).
void mergeranges(levthreads* tc, levwork* w) {
    for (int k = 0; k < tc->ncont; ++k) {
        const int j = tc->contvar[k];
        double lo = w->lwmin[j], hi = w->lwmax[j];
        uint64_t loobs = UINT64_MAX, hiobs = UINT64_MAX;
        for (int i = 0; i < tc->nworkers; ++i) {
            const levworker* wk = &tc->workers[i];
            if (wk->cminobs[k] && (wk->cmin[k] < lo || (wk->cmin[k] == lo && wk->cminobs[k] < loobs)))
                lo = wk->cmin[k], loobs = wk->cminobs[k];
            if (wk->cmaxobs[k] && (wk->cmax[k] > hi || (wk->cmax[k] == hi && wk->cmaxobs[k] < hiobs)))
                hi = wk->cmax[k], hiobs = wk->cmaxobs[k];
        }
        w->lwmin[j] = lo;
        w->lwmax[j] = hi;
    }
}

void resetranges(levthreads* tc) {
    for (int i = 0; i < tc->nworkers; ++i) {
        levworker* wk = &tc->workers[i];
        for (int k = 0; k < tc->ncont; ++k) {
            wk->cmin[k] = DBL_MAX;
            wk->cmax[k] = -DBL_MAX;
            wk->cminobs[k] = wk->cmaxobs[k] = 0;
        }
    }
}

// ---------------------------------------------------------------- set-up and clean-up

void destroyevents(levworker* wk) {
    const kernelinst* k = K();
    for (kevent** e : {&wk->work, &wk->error, &wk->ended, &wk->quit, &wk->idle}) {
        if (*e) k->evdestroy(*e);
        *e = nullptr;
    }
}

bool makeevents(levworker* wk) {
    const kernelinst* k = K();
    wk->work = k->evcreate();
    wk->error = k->evcreate();
    wk->ended = k->evcreate();
    wk->quit = k->evcreate();
    wk->idle = k->evcreate();
    if (!wk->work || !wk->error || !wk->ended || !wk->quit || !wk->idle) return false;
    k->evpost(wk->idle, 0);
    return true;
}

int mathmessage(int32_t mathcode) {
    if (mathcode >= 1 && mathcode <= 9) return mathcode + 42;
    if (mathcode == 11) return 52;
    if (mathcode == 12) return 53;
    if (mathcode == 13) return 54;
    return 55;
}

// Stops the running workers (the threads end), logs the shutdown messages.
void stopworkers(levthreads* tc, levstate* ls) {
    const kernelinst* k = K();
    bool said66 = false;
    if (tc->started && tc->workers) {
        for (int i = 0; i < tc->nworkers; ++i) {
            levworker* wk = &tc->workers[i];
            if (wk->quit) k->evpost(wk->quit, 0);
            if (wk->thr) k->thrdestroy(wk->thr);   // waits for the thread to end
            wk->thr = nullptr;
            if (tc->errcode > 1 && wk->mathcode) tc->errcode = mathmessage(wk->mathcode);
            if (wk->error && k->evtest(wk->error, nullptr)) {
                if (!said66) xpmlog(174, 66);
                said66 = true;
                ls->lsrc = std::max<int32_t>(ls->lsrc, RC_SETUP);
                k->evreset(wk->error);
            }
            destroyevents(wk);
        }
    }
    tc->started = 0;
    tc->running = 0;
    if (tc->errcode >= 43) {
        xpmlog(174, tc->errcode);
        ls->lsrc = std::max<int32_t>(ls->lsrc, RC_SETUP);
        tc->errcode = 0;
    }
}

// Starts the threads of every worker with routine.
bool startworkers(levthreads* tc, int (*routine)(void*)) {
    tc->started = 1;   // so that a failure half-way stops the threads already made
    for (int i = 0; i < tc->nworkers; ++i) {
        levworker* wk = &tc->workers[i];
        if (!makeevents(wk)) return false;
        wk->thr = K()->thrcreate(routine, wk, wk->ended);
        if (!wk->thr) return false;
    }
    return true;
}

void releasekpool(levthreads* tc) {
    const kernelinst* k = K();
    if (tc->workers)
        for (int i = 0; i < tc->nworkers; ++i) {
            levworker* wk = &tc->workers[i];
            for (int v = 0; v < tc->nvars; ++v) {
                if (wk->levc && wk->levc[v]) tc->eavl->destroy(wk->levc[v]);
                if (wk->rawc && wk->rawc[v]) tc->eavl->destroy(wk->rawc[v]);
                if (wk->lpool && wk->lpool[v]) k->pooldestroy(wk->lpool[v]);
                if (wk->rpool && wk->rpool[v]) k->pooldestroy(wk->rpool[v]);
            }
            if (wk->effc && tc->ctl)
                for (int e = 0; e < tc->ctl->lstate->neffect; ++e)
                    if (wk->effc[e]) tc->eavl->destroy(wk->effc[e]);
            if (wk->epool) k->pooldestroy(wk->epool);
        }
    if (tc->kpool) k->pooldestroy(tc->kpool);
    tc->kpool = nullptr;
    tc->workers = nullptr;
    tc->bufs = nullptr;
    tc->thrs = nullptr;
    tc->eavl = nullptr;
    tc->eaa = nullptr;
    tc->ready = 0;
    tc->keepeff = 0;
}

}  // namespace

int zlevworkers(const levthreads* t) { return t ? t->nworkers : 0; }

int qxWait(kthread*, int n, kevent* const* events, int* which, int, int) {
    const kernelinst* k = K();
    if (!k) return KS_NOWAIT;
    return k->evwait(n, events, which);
}

int ZLEVMathError(levworker* worker, int code) {
    worker->mathcode = code + 1;
    return 2;
}

void Stringjl(char* text, int length) { leftjust(text, length); }

void CleanupLThreads(levthreads* tc, levstate* ls, int full) {
    if (!tc) return;
    stopworkers(tc, ls);
    const kernelinst* k = K();
    if (tc->workers && !tc->keepeff) {
        for (int i = 0; i < tc->nworkers; ++i) {
            levworker* wk = &tc->workers[i];
            for (int v = 0; v < tc->nvars; ++v) {
                if (wk->levc && wk->levc[v]) tc->eavl->destroy(wk->levc[v]);
                if (wk->lpool && wk->lpool[v]) k->pooldestroy(wk->lpool[v]);
                if (wk->levc) wk->levc[v] = nullptr;
                if (wk->lpool) wk->lpool[v] = nullptr;
                const bool keep = !full && tc->wanteff && i == 0;
                if (keep) continue;
                if (wk->rawc && wk->rawc[v]) tc->eavl->destroy(wk->rawc[v]);
                if (wk->rpool && wk->rpool[v]) k->pooldestroy(wk->rpool[v]);
                if (wk->rawc) wk->rawc[v] = nullptr;
                if (wk->rpool) wk->rpool[v] = nullptr;
            }
        }
        if (!full && tc->wanteff) tc->keepeff = 1;
    }
    zhvnftrm(&tc->fmth);
    if (!full && (tc->wanteff || tc->forceeff)) return;
    releasekpool(tc);
}

namespace {

// 3. The worker count: twice the CPUs when THREADS is on (queried), or the count set before;
// false: the pass runs in the procedure's thread.
bool workercount(levthreads* tc) {
    if (tc->querythr) {
        uint8_t on = 0;
        int32_t cpus = 0;
        zquerythreads(&on, &cpus);
        if (!on) return false;
        tc->nworkers = 2 * std::max(cpus, 1);
    } else if (tc->nworkers < 1) {
        return false;
    }
    return true;
}

// 5. The pool of the pass, the workers and the per-variable layout arrays; the variables'
// orders defaulted to the model's.
bool allocateworkers(levthreads* tc, levstate* ls, const kernelinst* k) {
    const int nv = tc->nvars, nw = tc->nworkers;
    tc->kpool = k->poolcreate("Levelize pool");
    if (!tc->kpool) return false;
    poolobj* kp = tc->kpool;
    tc->thrs = poolget<kthread*>(kp, nw, poolflag::zeroed_marked);
    tc->workers = poolget<levworker>(kp, nw, poolflag::zeroed_marked);
    tc->recoff = poolget<int32_t>(kp, nv, poolflag::zeroed_marked);
    tc->nodesz = poolget<int32_t>(kp, nv, poolflag::zeroed_marked);
    tc->rawsz = poolget<int32_t>(kp, nv, poolflag::zeroed_marked);
    tc->valw = poolget<int32_t>(kp, nv, poolflag::zeroed_marked);
    if (!tc->thrs || !tc->workers || !tc->recoff || !tc->nodesz || !tc->rawsz || !tc->valw) return false;
    for (int i = 0; i < nv; ++i) {
        levclass* c = &ls->classv[i];
        if (!validorder(c->ordkey)) c->ordkey = ls->ordcode;
    }
    return true;
}

// 6. The record layout: header (observation, frequency), each CLASS variable's raw value on a
// 4-byte boundary, and for records read straight through the default reader the continuous
// values, with each worker's ranges of them.
bool recordlayout(levthreads* tc, levctl* ctl, levstate* ls, levwork* w) {
    const int nv = tc->nvars, nw = tc->nworkers;
    poolobj* kp = tc->kpool;
    tc->hasfilter = ctl->rdfilter != nullptr;
    tc->hdrsize = ls->freqvar ? 16 : 8;
    int32_t off = tc->hdrsize;
    tc->maxchr = 0;
    for (int i = 0; i < nv; ++i) {
        const levclass* c = &ls->classv[i];
        const int rl = rawlenof(c);
        tc->recoff[i] = off;
        tc->valw[i] = rl;
        off += (rl + 3) / 4 * 4;
        if (c->varinfo->d.type == 2) tc->maxchr = std::max(tc->maxchr, rl);
    }
    off = (off + 7) / 8 * 8;
    tc->wkcheck = 0;
    tc->ncont = 0;
    if (!tc->hasfilter && levdirectreader(w) == ctl) {
        tc->contoff = off;
        tc->contvar = ls->ncontv > 0 ? poolget<int32_t>(kp, ls->ncontv, poolflag::zeroed_marked) : nullptr;
        if (ls->ncontv > 0 && !tc->contvar) return false;
        for (int j = 0; j < ls->ncontv; ++j)
            if (ls->contv[j].varinfo) tc->contvar[tc->ncont++] = j;
        dshandle ds = ctl->ldata ? ctl->ldata->dsh : nullptr;
        if (!tc->reclist || tc->reclistds != ds) {
            const int32_t freqoff = ls->freqvar && ctl->hasfreq && ctl->hasfreq->varinfo ? 8 : -1;
            tc->reclist = levrecordlist(ctl, tc->recoff, tc->valw, freqoff, tc->contoff);
            tc->reclistds = ds;
        }
        if (tc->reclist) {
            tc->wkcheck = 1;
            off += 8 * tc->ncont;
            for (int j = 0; j < nw; ++j) {
                levworker* wk = &tc->workers[j];
                wk->cmin = poolget<double>(kp, std::max(tc->ncont, 1), poolflag::zeroed_marked);
                wk->cmax = poolget<double>(kp, std::max(tc->ncont, 1), poolflag::zeroed_marked);
                wk->cminobs = poolget<uint64_t>(kp, std::max(tc->ncont, 1), poolflag::zeroed_marked);
                wk->cmaxobs = poolget<uint64_t>(kp, std::max(tc->ncont, 1), poolflag::zeroed_marked);
                if (!wk->cmin || !wk->cmax || !wk->cminobs || !wk->cmaxobs) return false;
            }
        } else {
            tc->ncont = 0;
        }
    }
    tc->recsize = off;
    return true;
}

// 7. The containers: node sizes, and per worker and CLASS variable a level container and a
// raw-value container with their pools, and the variable's record facts and memo.
bool containers(levthreads* tc, levstate* ls, const kernelinst* k) {
    const int nv = tc->nvars, nw = tc->nworkers;
    poolobj* kp = tc->kpool;
    tc->eavl = static_cast<const kavlext*>(k->extension("qxeavl"));
    if (!tc->eavl) return false;
    for (int i = 0; i < nv; ++i) {
        const levclass* c = &ls->classv[i];
        const int rl = rawlenof(c);
        tc->nodesz[i] = (WLEV_TEXT + c->fmtlen + (c->varinfo->d.type == 2 ? rl : 0) + 7) / 8 * 8;
        tc->rawsz[i] = (WRAW_KEY + rl + c->fmtlen + 7) / 8 * 8;
    }
    for (int j = 0; j < nw; ++j) {
        levworker* wk = &tc->workers[j];
        wk->tc = tc;
        wk->index = j;
        wk->levc = poolget<kcontainer*>(kp, nv, poolflag::zeroed_marked);
        wk->rawc = poolget<kcontainer*>(kp, nv, poolflag::zeroed_marked);
        wk->lpool = poolget<poolobj*>(kp, nv, poolflag::zeroed_marked);
        wk->rpool = poolget<poolobj*>(kp, nv, poolflag::zeroed_marked);
        wk->text = static_cast<char*>(poolbytes(kp, ls->fmtmax + 8, poolflag::zeroed_marked));
        wk->vars = poolget<wvar>(kp, nv, poolflag::zeroed_marked);
        if (!wk->levc || !wk->rawc || !wk->lpool || !wk->rpool || !wk->text || !wk->vars) return false;
        for (int i = 0; i < nv; ++i) {
            const levclass* c = &ls->classv[i];
            wvar& v = wk->vars[i];
            v.off = tc->recoff[i];
            v.rl = rawlenof(c);
            v.fl = c->fmtlen;
            v.num = c->varinfo->d.type == 1;
            v.missok = c->lvoptb && !c->lvmiss;
            v.count = needscount(c->ordkey);
            v.keepjst = c->keepjst;
            // a memo of 64 KB for each of the first 16 variables at most
            const bool memo = v.rl <= 8 && i < 16;
            v.memo = memo ? poolget<wmemo>(kp, int64_t{1} << WMEMO_BITS, poolflag::zeroed_marked) : nullptr;
            if (memo && !v.memo) return false;
            wk->lpool[i] = k->poolcreate(nullptr);
            wk->rpool[i] = k->poolcreate(nullptr);
            wk->levc[i] = tc->eavl->create(WLEV_TEXT, c->fmtlen, 50);
            wk->rawc[i] = tc->eavl->create(WRAW_KEY, rawlenof(c), 25);
            if (!wk->lpool[i] || !wk->rpool[i] || !wk->levc[i] || !wk->rawc[i]) return false;
        }
    }
    return true;
}

// 9. The records a buffer holds: the count set before (within the memory the kernel allows),
// or a share of the data set's observations per worker, at least 20.
void buffercapacity(levthreads* tc, const levctl* ctl, const kernelinst* k) {
    const int nv = tc->nvars, nw = tc->nworkers;
    const int64_t M = 256 * k->wmrlmem();
    const int64_t D = static_cast<int64_t>(tc->recsize) * nw + (tc->hasfilter ? nv : 0);
    if (!tc->querythr && tc->bufcap > 0) {
        if (tc->bufcap * D > M) tc->bufcap = static_cast<int32_t>(M / D);
        tc->bufcap = std::max(tc->bufcap, 1);
    } else {
        int64_t nobs = 0;
        if (xoinfo(ctl->ldata->dsh, DSI_NOBS, &nobs) != 0) nobs = 0;
        int64_t share;
        if (nobs <= 0) share = 1000;
        else if (nobs >= 200000) share = nobs / (4 * nw);
        else share = nobs / (2 * nw);
        tc->bufcap = static_cast<int32_t>(std::max<int64_t>(20, std::min(share, M / (5 * D))));
    }
}

// 10. The buffers, one per worker on cache lines of their own, with their records and filters.
bool buffers(levthreads* tc, levstate* ls, levwork* w) {
    const int nv = tc->nvars, nw = tc->nworkers;
    poolobj* kp = tc->kpool;
    void* raw = poolbytes(kp, static_cast<int64_t>(sizeof(levbufd)) * (nw + 1), poolflag::zeroed_marked);
    if (!raw) return false;
    const auto at = (reinterpret_cast<uintptr_t>(raw) + alignof(levbufd) - 1) & ~(uintptr_t{alignof(levbufd)} - 1);
    tc->bufs = reinterpret_cast<levbufd*>(at);
    for (int j = 0; j < nw; ++j) new (&tc->bufs[j]) levbufd{};
    for (int j = 0; j < nw; ++j) {
        levbufd& b = tc->bufs[j];
        b.capacity = tc->bufcap;
        b.worker = j;
        b.recsize = tc->recsize;
        b.nodesz = tc->nodesz;
        b.rawsz = tc->rawsz;
        b.recoff = tc->recoff;
        b.valw = tc->valw;
        b.start = static_cast<char*>(poolbytes(kp, static_cast<int64_t>(tc->recsize) * tc->bufcap, poolflag::raw_marked));
        if (!b.start) return false;
        b.pos = b.start;
        if (tc->hasfilter) {
            b.filter = static_cast<uint8_t*>(poolbytes(kp, static_cast<int64_t>(tc->bufcap) * nv, poolflag::zeroed_marked));
            if (!b.filter) return false;
        }
        b.ls = ls;
        b.lw = w;
        tc->workers[j].buf = &b;
    }
    return true;
}

// 11. The format sets, one per worker, formatting to each variable's formatted length.
bool formatsets(levthreads* tc, const levctl* ctl, const levstate* ls) {
    const int nv = tc->nvars, nw = tc->nworkers;
    std::vector<int32_t> vars(static_cast<size_t>(nv));
    for (int i = 0; i < nv; ++i) vars[static_cast<size_t>(i)] = ls->classv[i].varinfo->varnum;
    int st = 0;
    tc->fmth = zhvnfmt(ctl->ldata->dsh, vars.data(), nv, nw, &st, ls->truncln);
    if (!tc->fmth || st != 0) return false;
    for (int i = 0; i < nv; ++i)
        if (tc->fmth->fmtw[i] != ls->classv[i].fmtlen) return false;
    for (int j = 0; j < nw; ++j) tc->workers[j].fmt = &tc->fmth->sets[j];
    return true;
}

}  // namespace

int zlevrinit(levctl* ctl, levwork* w) {
    levstate* ls = ctl->lstate;
    levthreads* tc = ctl->thrctl;
    auto single = [&]() {
        ctl->thrflag = 0;
        if (tc) {
            tc->nworkers = 0;
            tc->errcode = 1;
        }
        w->lwthr = nullptr;
        return 0;
    };
    // 1. Workers only when threads are on, for CLASS variables of the data set, with the kernel.
    if (!ctl->thrflag || ls->nclassv < 1) return single();
    for (int i = 0; i < ls->nclassv; ++i)
        if (!ls->classv[i].varinfo || ls->classv[i].varinfo->varnum < 1) return single();
    const kernelinst* k = K();
    if (!k) return single();
    // 2. The control block, kept for later models and BY groups.
    if (!tc) {
        tc = poolget<levthreads>(effpool(), 1, poolflag::zeroed_marked);
        if (!tc) return single();
        tc->querythr = 1;
        ctl->thrctl = tc;
    }
    if (tc->kpool) CleanupLThreads(tc, ls, 1);   // what an earlier model left
    tc->errcode = 0;
    tc->running = tc->wanteff = tc->ready = tc->started = tc->keepeff = 0;
    tc->ctl = ctl;
    tc->pass = PASS_LEVELS;
    w->lwthr = tc;
    if (!workercount(tc)) return single();
    // 4. Whether the effect pass will want the workers' raw-value containers.
    tc->wanteff = tc->forceeff;
    for (int e = 0; e < ls->neffect; ++e) tc->wanteff |= ls->effects[e].nclsall > 0;
    tc->nvars = ls->nclassv;
    auto fail = [&]() {
        CleanupLThreads(tc, ls, 1);
        return single();
    };
    if (!allocateworkers(tc, ls, k) || !recordlayout(tc, ctl, ls, w) || !containers(tc, ls, k)) return fail();
    // 8. The kernel's associative arrays for the effect pass.
    if (tc->wanteff) {
        tc->eaa = static_cast<const kaaext*>(k->extension("qxeaa"));
        if (!tc->eaa) return fail();
    }
    buffercapacity(tc, ctl, k);
    if (!buffers(tc, ls, w) || !formatsets(tc, ctl, ls)) return fail();
    // 12. The threads.
    const int nw = tc->nworkers;
    for (int j = 0; j < nw; ++j) tc->thrs[j] = nullptr;
    if (!startworkers(tc, ThProcessBuffer)) return fail();
    for (int j = 0; j < nw; ++j) tc->thrs[j] = tc->workers[j].thr;
    tc->ready = 1;
    return 1;
}

int zlevaddthreads(levwork* w, levstate* ls) {
    levthreads* tc = w->lwthr;
    w->lwwantfmt = 0;
    resetbufs(tc);
    tc->obsno = 0;
    tc->running = 1;
    tc->pass = PASS_LEVELS;
    levbufd* d = &tc->bufs[0];
    int32_t status = 0;
    bool failed = false;
    uint64_t obsno = 0;
    levctl* direct = tc->wkcheck ? static_cast<levctl*>(w->lwowner) : nullptr;
    if (direct) resetranges(tc);
    if (w->lwinit(w, ls) != 0) {
        failed = true;
    } else {
        for (;;) {
            bool end = false;
            if (direct) {
                while (!end && d->count < d->capacity) end = addrecords(direct, tc, d, obsno) != 0;
            } else {
                end = AddToBuffer(w, ls, d, obsno) != 0;
            }
            if (cycle(tc, d, end, &status) != 0) {
                tc->errcode = errfromstatus(status);
                failed = true;
                break;
            }
            if (end) break;
        }
    }
    tc->obsno = obsno;
    if (!failed && tc->ctl && tc->ctl->rdfail) failed = true;
    if (!failed && direct) mergeranges(tc, w);
    if (!failed && TreeMerge(w, ls) != 0) failed = true;
    if (failed) {
        CleanupLThreads(tc, ls, 1);
        tc->nworkers = 0;
        w->lwthr = nullptr;
        return 1;
    }
    CleanupLThreads(tc, ls, 0);
    return 0;
}

int TreeMerge(levwork* w, levstate* ls) {
    levthreads* tc = w->lwthr;
    const kavlext* av = tc->eavl;
    const levthrhook* hook = tc->ctl ? tc->ctl->thrhook : nullptr;
    int allocs = 0;
    auto allocfails = [&]() { return hook && hook->mergefailat > 0 && ++allocs == hook->mergefailat; };
    for (int i = 0; i < ls->nclassv; ++i) w->lwcount[i] = 0;
    // every raw value any worker met into worker 0's container
    if (tc->wanteff) {
        levworker* w0 = &tc->workers[0];
        for (int i = 0; i < tc->nvars; ++i) {
            for (int j = 1; j < tc->nworkers; ++j) {
                levworker* wk = &tc->workers[j];
                for (void* p = av->first(wk->rawc[i]); p; p = av->next(wk->rawc[i], p)) {
                    const char* key = static_cast<const char*>(p) + WRAW_KEY;
                    if (av->find(w0->rawc[i], key)) continue;
                    void* q = allocfails() ? nullptr : poolbytes(w0->rpool[i], tc->rawsz[i], poolflag::raw_marked);
                    if (!q) return 1;
                    std::memcpy(q, p, static_cast<size_t>(tc->rawsz[i]));
                    if (!av->insert(w0->rawc[i], q)) return 1;
                }
                av->destroy(wk->rawc[i]);
                wk->rawc[i] = av->create(WRAW_KEY, rawlenof(&ls->classv[i]), 25);
                if (!wk->rawc[i]) return 1;
            }
        }
    }
    // every worker's levels into the level trees
    for (int i = 0; i < ls->nclassv; ++i) {
        const levclass* c = &ls->classv[i];
        const bool num = c->varinfo->d.type == 1;
        const int fl = c->fmtlen, rl = rawlenof(c);
        for (int j = 0; j < tc->nworkers; ++j) {
            levworker* wk = &tc->workers[j];
            for (void* p = av->first(wk->levc[i]); p; p = av->next(wk->levc[i], p)) {
                const auto* lev = static_cast<const wlevnode*>(p);
                const char* text = static_cast<const char*>(p) + WLEV_TEXT;
                if (allocfails()) return 1;
                if (levnoteone(w, ls, i, text, lev->raw, num ? nullptr : text + fl, num ? 0 : rl, lev->count, lev->first) != 0)
                    return 1;
            }
            av->destroy(wk->levc[i]);
            wk->levc[i] = nullptr;
            K()->pooldestroy(wk->lpool[i]);
            wk->lpool[i] = nullptr;
        }
    }
    return 0;
}

int zlevmapraw(levwork* w, levstate* ls, int i) {
    levthreads* tc = w->lwthr;
    if (!tc || !tc->wanteff || !tc->keepeff || !tc->workers || !tc->eaa) return 0;
    levworker* w0 = &tc->workers[0];
    if (!w0->rawc || !w0->rawc[i]) return 0;
    const levclass* c = &ls->classv[i];
    kassoc* a = tc->eaa->create();
    if (!a) return 1;
    for (int32_t k = 0; k < c->nlev; ++k) tc->eaa->add(a, &k, c->levels[k], c->fmtlen);
    const int rl = rawlenof(c);
    for (void* p = tc->eavl->first(w0->rawc[i]); p; p = tc->eavl->next(w0->rawc[i], p)) {
        auto* rn = static_cast<wrawnode*>(p);
        int32_t* v = nullptr;
        const char* text = static_cast<const char*>(p) + WRAW_KEY + rl;
        rn->finalidx = tc->eaa->lookup(a, text, c->fmtlen, &v) == 0 && v ? *v : -1;
    }
    tc->eaa->destroy(a);
    return 0;
}

// ---------------------------------------------------------------- effect pass

namespace {

struct rawsrcctx {
    levthreads* tc;
    levstate* ls;
};

int rawsrcfind(void* ctx, int i, const char* key) {
    auto* s = static_cast<rawsrcctx*>(ctx);
    kcontainer* c = s->tc->workers[0].rawc[i];
    if (!c) return -2;
    auto* rn = static_cast<const wrawnode*>(s->tc->eavl->find(c, key));
    return rn ? rn->finalidx : -2;
}

}  // namespace

int ThreadInit(levctl* ctl) {
    levthreads* tc = ctl->thrctl;
    levstate* ls = ctl->lstate;
    if (!tc || !tc->ready || tc->nworkers < 1 || !ctl->thrflag || ls->nclassv < 1 || !tc->kpool) return 0;
    bool any = false;
    for (int e = 0; e < ls->neffect; ++e) any |= ls->effects[e].nclsall > 0;
    if (!any) return 0;
    const kernelinst* k = K();
    poolobj* kp = tc->kpool;
    tc->pass = PASS_EFFECTS;
    tc->recsize = 4 * ls->nclassv;
    const int64_t cap = 102 * k->wmrlmem();
    if (static_cast<int64_t>(tc->bufcap) * tc->recsize * tc->nworkers > cap)
        tc->bufcap = static_cast<int32_t>(std::max<int64_t>(1, cap / (static_cast<int64_t>(tc->recsize) * tc->nworkers)));
    for (int j = 0; j < tc->nworkers; ++j) {
        levworker* wk = &tc->workers[j];
        levbufd& b = tc->bufs[j];
        b.recsize = tc->recsize;
        b.capacity = std::min(b.capacity, tc->bufcap);
        b.filter = nullptr;
        wk->effc = poolget<kcontainer*>(kp, ls->neffect, poolflag::zeroed_marked);
        wk->scratch = poolget<int32_t>(kp, ls->nclassv, poolflag::zeroed_marked);
        wk->epool = k->poolcreate(nullptr);
        if (!wk->effc || !wk->scratch || !wk->epool) {
            CleanupEThreads(ctl);
            return 0;
        }
        for (int e = 0; e < ls->neffect; ++e) {
            const leveffect* ef = &ls->effects[e];
            if (ef->nclsall == 0) continue;
            wk->effc[e] = tc->eavl->create(0, 4 * ef->nclsall, 50);
            if (!wk->effc[e]) {
                CleanupEThreads(ctl);
                return 0;
            }
        }
    }
    if (!startworkers(tc, ThProcessEffectsBuffer)) {
        CleanupEThreads(ctl);
        return 0;
    }
    return 1;
}

int zlevcombthreads(levctl* ctl, void** roots, poolobj* pool, int32_t nodesize) {
    levthreads* tc = ctl->thrctl;
    levstate* ls = ctl->lstate;
    resetbufs(tc);
    tc->obsno = 0;
    tc->running = 1;
    rawsrcctx sctx{tc, ls};
    const rgdsource src{rawsrcfind, nullptr, &sctx};
    const bool useraw = ctl->rawmap && tc->keepeff;
    const bool own = !(ls->lsflags & LS_CALLERRESP);
    std::vector<double> y(static_cast<size_t>(std::max(ctl->nresp, 1)));
    double wv = 0, fv = 0;
    levbufd* d = &tc->bufs[0];
    int32_t status = 0;
    if (ctl->rdrewind(ctl) != 0) return 0;
    for (;;) {
        const bool end = !ctl->rdnext(ctl);
        if (!end) {
            const int32_t flags = zlevrgdfrom(ctl, own ? y.data() : nullptr, own ? &wv : nullptr, own ? &fv : nullptr,
                                              useraw ? &src : nullptr);
            if (flags & LEVF_READFAIL) {
                // wait for the workers to hand their buffers back before stopping them
                for (int i = 0; i < tc->nworkers; ++i) waitidle(tc, i, &status);
                return RC_INPUT;
            }
            if (!(flags & ~(LEVF_NOLEVEL | LEVF_ALLMISS)) || (ls->lsflags2 & LS2_KEEPINC)) {
                std::memcpy(d->pos, ctl->levidx, 4 * static_cast<size_t>(ls->nclassv));
                d->pos += d->recsize;
                ++d->count;
            }
        }
        if (cycle(tc, d, end, &status) != 0) {
            tc->errcode = errfromstatus(status);
            return 1;
        }
        if (end) break;
    }
    // the workers' keys into the effects' trees, in worker order
    void* spare = nullptr;
    for (int j = 0; j < tc->nworkers; ++j) {
        levworker* wk = &tc->workers[j];
        for (int k = 0; k < ls->neffect; ++k) {
            leveffect* e = &ls->effects[k];
            if (e->nclsall == 0 || !wk->effc[k]) continue;
            for (void* p = tc->eavl->first(wk->effc[k]); p; p = tc->eavl->next(wk->effc[k], p)) {
                if (!spare) {
                    spare = poolbytes(pool, nodesize, poolflag::zeroed_marked);
                    if (!spare) {
                        xmemmsg(nodesize);
                        return RC_NOMEM;
                    }
                }
                std::memcpy(static_cast<char*>(spare) + sizeof(trenode), p, 4 * static_cast<size_t>(e->nclsall));
                if (ztrebdf(&roots[2 * k], spare, 4 * e->nclsall, static_cast<int>(sizeof(trenode)), Compare) == spare) {
                    ++e->nseen;
                    spare = nullptr;
                }
            }
        }
    }
    return 0;
}

void CleanupEThreads(levctl* ctl) {
    levthreads* tc = ctl->thrctl;
    if (!tc) return;
    levstate* ls = ctl->lstate;
    stopworkers(tc, ls);
    const kernelinst* k = K();
    if (tc->workers)
        for (int j = 0; j < tc->nworkers; ++j) {
            levworker* wk = &tc->workers[j];
            if (wk->effc)
                for (int e = 0; e < ls->neffect; ++e)
                    if (wk->effc[e]) {
                        tc->eavl->destroy(wk->effc[e]);
                        wk->effc[e] = nullptr;
                    }
            wk->effc = nullptr;
            if (wk->epool) k->pooldestroy(wk->epool);
            wk->epool = nullptr;
        }
}
