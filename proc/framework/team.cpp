// The team of threads. Each member has parts of its own in every round (member i the parts
// i, i + members, ...), so that the data of a part stay in the caches of the processor that
// summed it the round before; a member that is through with its own parts takes the others'
// that are still free, from the last one back. Each part has a state word that carries the
// round's number, and the round word its number and its count of parts, so that a member
// that comes late never takes a part of another round; through the state word exactly one
// member (the one that took the part, or the calling thread that runs it again) publishes
// its result. A round of a loop may last only some tens of microseconds, so a waiting worker
// polls for up to half a millisecond before it sleeps on its event of the kernel.
#include "proc/framework/team.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <new>

#include "host/kernel.h"
#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"

namespace {

constexpr int kMaxMembers = 64;
// A waiting worker polls for this long before it sleeps: the procedure's thread spends some
// microseconds between two rounds, and waking a member that sleeps costs the poster a call
// to the kernel and the member tens of microseconds (more on a virtual machine).
constexpr double kSpinSecs = 500e-6;
constexpr uint32_t kQuit = 0xFFFFFFFFu;
// The team watches its own pace: in every cycle of rounds it times a few rounds run by the
// calling thread alone and some run by the whole team, and runs the rest of the cycle on
// the team only when a round took clearly less time that way (below 0.6 times). A round
// alone is the slow one when the team pays, so few of them are timed. On a machine whose
// processors are busy with other work a member that the system puts aside while it holds a
// part holds up the whole round; the workers then sleep instead (which member runs a part
// changes no result).
constexpr int kCycle = 4096;
constexpr int kProbeAlone = 4;
constexpr int kProbe = 16;
// States of a part (the low three bits of its state word).
enum : uint64_t { P_FREE = 0, P_TAKEN = 1, P_DONE = 2, P_PUBLISHING = 3, P_RESCUED = 4 };

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
inline uint64_t partword(uint32_t r, uint64_t st) { return (uint64_t(r) << 3) | st; }

using steady = std::chrono::steady_clock;
inline double since(steady::time_point t0) { return std::chrono::duration<double>(steady::now() - t0).count(); }

}  // namespace

struct teammember {
    team* t;
    kevent* go;             // posted to wake the member when it sleeps
    kevent* ended;
    kthread* thread;
    std::atomic<int> asleep;
};

// A part's state word, on a cache line of its own: members that take and publish parts write
// their own parts' words without taking the lines of the others' away from them.
struct alignas(64) partslot {
    std::atomic<uint64_t> w;
};

// (The words that change during a round each on a line of their own: the round word, which
// waiting workers poll, and the count of parts published, which every member adds to.)
struct alignas(64) team {
    const kernelinst* k;
    int members;                      // the calling thread and members - 1 workers
    int maxparts;
    alignas(64) std::atomic<uint64_t> round;   // round number, count of parts (kQuit: stop)
    alignas(64) std::atomic<uint32_t> done;    // parts of the round published
    alignas(64) partslot* state;      // per part: round number and state
    kevent* finished;                 // posted by the member that publishes the round's last part
    std::atomic<teamfn> fn;
    std::atomic<teampub> pub;
    std::atomic<void*> ctx;
    double partsecs;                  // the time a part takes the calling thread
    int64_t rounds;                   // rounds run by teamrun
    double alone, together;           // seconds of this cycle's timed rounds, each way
    bool usecrew;                     // the rest of the cycle runs on the whole team
    teammember worker[kMaxMembers];
};

namespace {

// Publishes the result of part p of round r (of n parts) that member computed; false when
// the calling thread ran the part again meanwhile (the result is dropped).
bool publishpart(team* t, uint32_t r, uint32_t n, int p, int member, uint64_t from, teampub pub, void* ctx) {
    if (!t->state[p].w.compare_exchange_strong(from, partword(r, P_PUBLISHING), std::memory_order_acq_rel))
        return false;
    pub(ctx, p, member);
    t->state[p].w.store(partword(r, P_DONE), std::memory_order_release);
    if (t->done.fetch_add(1, std::memory_order_acq_rel) + 1 == n) t->k->evpost(t->finished, 0);
    return true;
}

// Takes, computes and publishes the free parts of round r (of n parts): the member's own,
// then the others' from the last one back; the number of parts this member computed.
int takeparts(team* t, uint32_t r, uint32_t n, int member) {
    const uint32_t members = static_cast<uint32_t>(t->members);
    const uint32_t me = static_cast<uint32_t>(member);
    int ran = 0;
    auto take = [&](uint32_t p) {
        uint64_t want = partword(r, P_FREE);
        if (t->state[p].w.load(std::memory_order_relaxed) != want ||
            !t->state[p].w.compare_exchange_strong(want, partword(r, P_TAKEN), std::memory_order_acq_rel))
            return;
        const teamfn fn = t->fn.load(std::memory_order_acquire);
        const teampub pub = t->pub.load(std::memory_order_acquire);
        void* ctx = t->ctx.load(std::memory_order_acquire);
        fn(ctx, static_cast<int>(p), member, member != 0, r);
        publishpart(t, r, n, static_cast<int>(p), member, partword(r, P_TAKEN), pub, ctx);
        ++ran;
    };
    for (uint32_t p = me; p < n; p += members) take(p);
    for (uint32_t p = n; p-- > 0;)
        if (p % members != me) take(p);
    return ran;
}

int workerloop(void* arg) {
    teammember* me = static_cast<teammember*>(arg);
    team* t = me->t;
    const kernelinst* k = t->k;
    uint32_t seen = 0;
    for (;;) {
        uint64_t rw = t->round.load(std::memory_order_acquire);
        int polls = 0;
        auto spun = steady::now();
        while (uint32_t(rw >> 32) == seen && uint32_t(rw) != kQuit) {
            if ((++polls & 63) != 0 || since(spun) < kSpinSecs) {
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
                spun = steady::now();
            }
            rw = t->round.load(std::memory_order_acquire);
        }
        if (uint32_t(rw) == kQuit) break;
        seen = uint32_t(rw >> 32);
        takeparts(t, seen, uint32_t(rw), static_cast<int>(me - t->worker));
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

team* teamstart(poolobj* pool, int members, int maxparts) {
    const kernelinst* k = kernel();
    if (members < 2 || maxparts < 1 || !k || !pool) return nullptr;
    if (members > kMaxMembers) members = kMaxMembers;
    auto lined = [](void* m) { return reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(m) + 63) & ~uintptr_t(63)); };
    void* mem = poolbytes(pool, int64_t(sizeof(team)) + 63, poolflag::zeroed);
    void* slots = poolbytes(pool, int64_t(maxparts) * int64_t(sizeof(partslot)) + 63, poolflag::zeroed);
    if (!mem || !slots) return nullptr;
    team* t = new (lined(mem)) team();
    auto* st = static_cast<partslot*>(lined(slots));
    for (int p = 0; p < maxparts; ++p) new (&st[p].w) std::atomic<uint64_t>(0);
    t->k = k;
    t->members = members;
    t->maxparts = maxparts;
    t->state = st;
    t->round.store(0);
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

// One round on the whole team. The calling thread takes parts like the others; then, while
// it waits, a part on which no progress was seen for some times the time a part takes it
// computes again itself.
void together(team* t, int nparts, teamfn fn, teampub pub, void* ctx) {
    const kernelinst* k = t->k;
    const uint32_t r = uint32_t(t->round.load(std::memory_order_relaxed) >> 32) + 1;
    const uint32_t n = static_cast<uint32_t>(nparts);
    for (uint32_t p = 0; p < n; ++p) t->state[p].w.store(partword(r, P_FREE), std::memory_order_relaxed);
    t->fn.store(fn, std::memory_order_release);
    t->pub.store(pub, std::memory_order_release);
    t->ctx.store(ctx, std::memory_order_release);
    t->done.store(0, std::memory_order_relaxed);
    k->evreset(t->finished);
    announce(t, word(r, n));
    const auto t0 = steady::now();
    const int ran = takeparts(t, r, n, 0);
    if (ran > 0) t->partsecs = since(t0) / ran;
    uint32_t seen = t->done.load(std::memory_order_acquire);
    auto quiet = steady::now();
    for (int polls = 0; seen != n; ++polls) {
        relax();
        const uint32_t d = t->done.load(std::memory_order_acquire);
        if (d != seen) {
            seen = d;
            quiet = steady::now();
            continue;
        }
        if ((polls & 63) != 0 || since(quiet) < 4 * t->partsecs + 20e-6) continue;
        // No part was published for a while: run the first one still taken (or not yet
        // marked by the member that drew it) here.
        for (uint32_t p = 0; p < n; ++p) {
            uint64_t s = t->state[p].w.load(std::memory_order_acquire);
            if (s != partword(r, P_FREE) && s != partword(r, P_TAKEN)) continue;
            if (!t->state[p].w.compare_exchange_strong(s, partword(r, P_RESCUED), std::memory_order_acq_rel)) continue;
            fn(ctx, static_cast<int>(p), 0, false, r);
            publishpart(t, r, n, static_cast<int>(p), 0, partword(r, P_RESCUED), pub, ctx);
            break;
        }
        seen = t->done.load(std::memory_order_acquire);
        quiet = steady::now();
    }
}

}  // namespace

void teamrun(team* t, int nparts, teamfn fn, teampub pub, void* ctx) {
    if (!t || nparts < 2 || nparts > t->maxparts) {
        for (int p = 0; p < nparts; ++p) {
            fn(ctx, p, 0, false, 0);
            pub(ctx, p, 0);
        }
        return;
    }
    const int at = static_cast<int>(t->rounds % kCycle);
    ++t->rounds;
    auto alone = [&] {
        for (int p = 0; p < nparts; ++p) {
            fn(ctx, p, 0, false, 0);
            pub(ctx, p, 0);
        }
    };
    if (at >= kProbeAlone + kProbe) {
        if (t->usecrew) together(t, nparts, fn, pub, ctx);
        else alone();
        return;
    }
    const auto t0 = steady::now();
    if (at < kProbeAlone) {
        alone();
        t->alone += since(t0);
    } else {
        together(t, nparts, fn, pub, ctx);
        t->together += since(t0);
    }
    if (at == kProbeAlone + kProbe - 1) {
        t->usecrew = t->together / kProbe < 0.6 * t->alone / kProbeAlone;
        t->alone = t->together = 0;
    }
}

void teamstop(team* t) {
    if (t) release(t, t->members);
}
