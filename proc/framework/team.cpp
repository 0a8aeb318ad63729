// The team of threads. A round hands out its parts through one counter: whichever member is
// running takes the next part, so a member that the system has put aside holds up no more
// than the part it took. The counter word carries the round's number, and the round word
// its number and its count of parts, so that a member that comes late never takes a part
// of another round. A round of a loop may last only some tens of microseconds, so a
// waiting member polls for a short while before it sleeps on its event of the kernel.
#include "proc/framework/team.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>

#include "host/kernel.h"
#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"

namespace {

constexpr int kMaxMembers = 64;
constexpr int kPolls = 1000;   // polls before sleeping (some microseconds)
constexpr uint32_t kQuit = 0xFFFFFFFFu;
// The team watches its own pace: in every cycle of rounds it times some rounds run by the
// calling thread alone and some run by the whole team, and runs the rest of the cycle on
// the team only when that was clearly faster (below 0.6 times). On a machine whose
// processors are busy with other work a member that the system puts aside while it holds a
// part holds up the whole round; the workers then sleep instead (which member runs a part
// changes no result).
constexpr int kCycle = 1024;
constexpr int kProbe = 16;

const kernelinst* kernel() {
    if (Exported_QXHandle) return static_cast<const kernelinst*>(Exported_QXHandle);
    return v_global_gcb_anchor ? static_cast<const kernelinst*>(v_global_gcb_anchor->kernel) : nullptr;
}

inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

inline uint64_t word(uint32_t hi, uint32_t lo) { return (uint64_t(hi) << 32) | lo; }

}  // namespace

struct teammember {
    team* t;
    kevent* go;             // posted to wake the member when it sleeps
    kevent* ended;
    kthread* thread;
    std::atomic<int> asleep;
};

struct team {
    const kernelinst* k;
    int members;                      // the calling thread and members - 1 workers
    std::atomic<uint64_t> round;      // round number, count of parts (kQuit: stop)
    std::atomic<uint64_t> next;       // round number, next part to take
    std::atomic<uint32_t> done;       // parts of the round done
    kevent* finished;                 // posted by the member that finishes the round's last part
    void (*fn)(void* ctx, int part);
    void* ctx;
    int64_t rounds;                   // rounds run by teamrun
    double alone, together;           // seconds of this cycle's timed rounds, each way
    bool usecrew;                     // the rest of the cycle runs on the whole team
    teammember worker[kMaxMembers];
};

namespace {

// Takes and runs parts of round r (of n parts) while there are any.
void takeparts(team* t, uint32_t r, uint32_t n) {
    uint64_t cur = t->next.load(std::memory_order_relaxed);
    for (;;) {
        if (uint32_t(cur >> 32) != r || uint32_t(cur) >= n) return;
        if (!t->next.compare_exchange_weak(cur, cur + 1, std::memory_order_acquire, std::memory_order_relaxed))
            continue;
        // The part is ours: the round cannot end before it is done, so fn and ctx stay.
        t->fn(t->ctx, static_cast<int>(uint32_t(cur)));
        if (t->done.fetch_add(1, std::memory_order_acq_rel) + 1 == n) t->k->evpost(t->finished, 0);
        cur = t->next.load(std::memory_order_relaxed);
    }
}

int workerloop(void* arg) {
    teammember* me = static_cast<teammember*>(arg);
    team* t = me->t;
    const kernelinst* k = t->k;
    uint32_t seen = 0;
    for (;;) {
        uint64_t rw = t->round.load(std::memory_order_acquire);
        int polls = 0;
        while (uint32_t(rw >> 32) == seen && uint32_t(rw) != kQuit) {
            if (++polls < kPolls) {
                relax();
            } else {
                // Say that we sleep, then look once more: the poster of a new round either
                // sees the flag or we see its round.
                me->asleep.store(1, std::memory_order_seq_cst);
                rw = t->round.load(std::memory_order_seq_cst);
                if (uint32_t(rw >> 32) == seen && uint32_t(rw) != kQuit) {
                    int which = -1;
                    k->evwait(1, &me->go, &which);
                    k->evreset(me->go);
                }
                me->asleep.store(0, std::memory_order_relaxed);
                polls = 0;
            }
            rw = t->round.load(std::memory_order_acquire);
        }
        if (uint32_t(rw) == kQuit) break;
        seen = uint32_t(rw >> 32);
        takeparts(t, seen, uint32_t(rw));
    }
    return 0;
}

// Posts a round word and wakes the members that sleep.
void announce(team* t, uint64_t rw) {
    t->round.store(rw, std::memory_order_seq_cst);
    for (int i = 1; i < t->members; ++i)
        if (t->worker[i].asleep.load(std::memory_order_seq_cst)) t->k->evpost(t->worker[i].go, 0);
}

void release(team* t, int made) {
    const kernelinst* k = t->k;
    announce(t, word(0, kQuit));
    for (int i = 1; i < made; ++i) {
        teammember& w = t->worker[i];
        if (w.thread) k->thrdestroy(w.thread);
        if (w.go) k->evdestroy(w.go);
        if (w.ended) k->evdestroy(w.ended);
        w.thread = nullptr;
        w.go = w.ended = nullptr;
    }
    if (t->finished) k->evdestroy(t->finished);
    t->finished = nullptr;
}

}  // namespace

int teamsize() {
    double on = 0.0, n = 0.0;
    if (xoptngt("THREADS", &on) != 0 || on == 0.0) return 1;   // a missing value counts as on
    if (xoptngt("CPUCOUNT", &n) != 0) return 1;
    int cpus = ismissing(n) || n < 1 ? 0 : static_cast<int>(std::trunc(n));
    if (cpus == 0) {
        const kernelinst* k = kernel();
        double hc = 0.0;
        cpus = k && k->optlookup("host.cpucount", &hc) == 0 && hc >= 1.0 ? static_cast<int>(hc) : 1;
    }
    return cpus < kMaxMembers ? cpus : kMaxMembers;
}

team* teamstart(poolobj* pool, int members) {
    const kernelinst* k = kernel();
    if (members < 2 || !k || !pool) return nullptr;
    if (members > kMaxMembers) members = kMaxMembers;
    auto* t = static_cast<team*>(vmalcp_handler(pool, sizeof(team), 0x2006));
    if (!t) return nullptr;
    t->k = k;
    t->members = members;
    t->round.store(0);
    t->next.store(0);
    t->done.store(0);
    t->finished = k->evcreate();
    if (!t->finished) return nullptr;
    for (int i = 1; i < members; ++i) {
        teammember& w = t->worker[i];
        w.t = t;
        w.asleep.store(0);
        w.go = k->evcreate();
        w.ended = k->evcreate();
        w.thread = w.go && w.ended ? k->thrcreate(workerloop, &w, w.ended) : nullptr;
        if (!w.thread) {
            release(t, i + 1);
            return nullptr;
        }
    }
    return t;
}

int teammembers(const team* t) { return t ? t->members : 1; }

namespace {

// One round on the whole team.
void together(team* t, int nparts, void (*fn)(void* ctx, int part), void* ctx) {
    const kernelinst* k = t->k;
    const uint32_t r = uint32_t(t->round.load(std::memory_order_relaxed) >> 32) + 1;
    const uint32_t n = static_cast<uint32_t>(nparts);
    t->fn = fn;
    t->ctx = ctx;
    t->done.store(0, std::memory_order_relaxed);
    k->evreset(t->finished);
    t->next.store(word(r, 0), std::memory_order_release);
    announce(t, word(r, n));
    takeparts(t, r, n);
    for (int polls = 0; t->done.load(std::memory_order_acquire) != n; ++polls) {
        if (polls < kPolls) {
            relax();
            continue;
        }
        int which = -1;
        if (k->evwait(1, &t->finished, &which) != 0) polls = 0;
    }
}

}  // namespace

void teamrun(team* t, int nparts, void (*fn)(void* ctx, int part), void* ctx) {
    if (!t || nparts < 2) {
        for (int p = 0; p < nparts; ++p) fn(ctx, p);
        return;
    }
    const int at = static_cast<int>(t->rounds % kCycle);
    ++t->rounds;
    if (at >= 2 * kProbe) {
        if (t->usecrew) together(t, nparts, fn, ctx);
        else for (int p = 0; p < nparts; ++p) fn(ctx, p);
        return;
    }
    using clock = std::chrono::steady_clock;
    const auto t0 = clock::now();
    if (at < kProbe) {
        for (int p = 0; p < nparts; ++p) fn(ctx, p);
        t->alone += std::chrono::duration<double>(clock::now() - t0).count();
    } else {
        together(t, nparts, fn, ctx);
        t->together += std::chrono::duration<double>(clock::now() - t0).count();
    }
    if (at == 2 * kProbe - 1) {
        t->usecrew = t->together < 0.6 * t->alone;
        t->alone = t->together = 0;
    }
}

void teamstop(team* t) {
    if (t) release(t, t->members);
}
