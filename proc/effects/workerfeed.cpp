// Worker threads of the levelization and effect-combination passes: the procedure's thread.
// It reads the observations into the workers' buffers, hands each full buffer over, merges
// the workers' containers when the data end, and runs the effect pass the same way.
#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>
#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/rdlayout.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msgeffects.h"
#include "proc/framework/trees.h"
#include "proc/effects/workerparts.h"

using namespace levwk;

namespace {

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

int32_t errfromstatus(int32_t st) { return st == KS_NOMEM ? E174_WORKER_NO_MEMORY : E174_WORKER_ERROR; }

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

}  // namespace

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

// The effect pass.

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
