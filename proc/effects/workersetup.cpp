// Worker threads of the levelization and effect-combination passes: setting them up (the
// control block, the workers' containers, buffers, format sets and threads) and cleaning up.
#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>
#include "proc/framework/expect.h"
#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/rdlayout.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msgeffects.h"
#include "proc/framework/trees.h"
#include "proc/effects/workerparts.h"

using namespace levwk;

namespace {

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
    if (mathcode >= 1 && mathcode <= 9) return E174_WORKER_FP_OVERFLOW + (mathcode - 1);
    if (mathcode == 11) return E174_WORKER_MATH_DOMAIN;
    if (mathcode == 12) return E174_WORKER_MATH_RANGE;
    if (mathcode == 13) return E174_WORKER_MATH_PRECISION;
    return E174_WORKER_ERROR;
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

namespace levwk {

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
                if (!said66) xpmlog(174, W174_WORKER_STOP_ERROR);
                said66 = true;
                ls->lsrc = std::max<int32_t>(ls->lsrc, RC_SETUP);
                k->evreset(wk->error);
            }
            destroyevents(wk);
        }
    }
    tc->started = 0;
    tc->running = 0;
    if (tc->errcode >= E174_WORKER_FP_OVERFLOW) {
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

}  // namespace levwk

int zlevworkers(const levthreads* t) { return t ? t->nworkers : 0; }

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
            v.cut = levcut(c);
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
    VX_EXPECT(ctl && ctl->lstate && w, "the level pass's reader and work record");
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
    // A worker formats to the level text's width, so it sees no more of a value than its text,
    // but for the raw text of a character variable without a format of its own: a level text cut
    // from a longer value of a variable with a format (which the cut to a whole character needs
    // whole, keychars.h) is found in this thread.
    if (!ctl->thrflag || ls->nclassv < 1) return single();
    for (int i = 0; i < ls->nclassv; ++i) {
        const levclass* c = &ls->classv[i];
        if (!c->varinfo || c->varinfo->varnum < 1) return single();
        if (levhasformat(c) && levcut(c)) return single();
    }
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
