// Worker threads of the levelization and effect-combination passes: the workers' side. A
// worker waits for its buffer, levelizes its records (or combines their effect levels) into
// containers of its own, and hands the buffer back (workers.h tells the whole scheme).
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
#include "proc/framework/keychars.h"
#include "proc/framework/trees.h"
#include "proc/effects/workerparts.h"

using namespace levwk;

namespace {

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
        } else if (blanktext(val, tc->valw[i])) {
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

// A level text of fl bytes cut from a longer value ends on a whole character when the value is
// UTF-8. The formatted value of a character variable without a format of its own (the only
// kind whose texts are cut on the workers, zlevrinit) is its raw text of rl bytes, left-aligned
// as the text is; a formatted number is judged by its text.
void cutlevel(char* text, int fl, const char* raw, int rl) {
    if (static_cast<uint8_t>(text[fl - 1]) < 0x80) return;
    int lead = 0;
    if (raw)
        while (lead < rl && raw[lead] == ' ') ++lead;
    textcut(text, fl, raw ? raw + lead : nullptr, rl - lead);
}

int LevelizeBuffer(levworker* wk) {
    VX_EXPECT(wk->buf && wk->buf->count >= 0 && wk->buf->count <= wk->buf->capacity, "a worker's buffer holds what fits");
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
                if (!v.missok && blanktext(val, rl)) continue;
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
            if (v.cut) cutlevel(wk->text, fl, num ? nullptr : val, rl);
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

}  // namespace

namespace levwk {

int ThProcessBuffer(void* arg) { return workerloop(static_cast<levworker*>(arg), LevelizeBuffer); }
int ThProcessEffectsBuffer(void* arg) { return workerloop(static_cast<levworker*>(arg), TreeEffects); }

}  // namespace levwk

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
