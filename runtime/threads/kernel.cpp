// Events, threads, pools and options of the kernel instance. Every event shares one mutex; a
// thread that waits registers itself with the events it waits for and sleeps on a condition
// variable of its own, and a post wakes only the threads waiting for that event (a buffer
// handed to one worker does not wake the others). The mutex orders the writes of a poster
// before the reads of the thread that finds the event set.
#include "runtime/threads/kernel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>
#include "runtime/supervisor/pools.h"

namespace {
struct waiter {
    std::condition_variable cv;
};
}  // namespace

struct kevent {
    std::atomic<int> set{0};
    std::atomic<int32_t> status{0};
    std::vector<waiter*> waiters;  // threads waiting for the event (under the mutex)
};

struct kthread {
    std::thread t;
};

namespace rt::kern {
namespace {

std::mutex& hub() {
    static std::mutex m;
    return m;
}

kevent* evcreate() { return new (std::nothrow) kevent; }
void evdestroy(kevent* e) { delete e; }

void evreset(kevent* e) {
    if (!e) return;
    std::lock_guard<std::mutex> lock(hub());
    e->set.store(0, std::memory_order_release);
}

void evpost(kevent* e, int32_t status) {
    if (!e) return;
    std::lock_guard<std::mutex> lock(hub());
    e->status.store(status, std::memory_order_relaxed);
    e->set.store(1, std::memory_order_release);
    // under the mutex: a waiter cannot leave (and its condition variable end) before this
    for (waiter* w : e->waiters) w->cv.notify_one();
}

int evtest(kevent* e, int32_t* status) {
    if (!e) return 0;
    const int s = e->set.load(std::memory_order_acquire);
    if (s && status) *status = e->status.load(std::memory_order_relaxed);
    return s;
}

// The first of the n events that is set, or -1.
int firstset(int n, kevent* const* events) {
    for (int i = 0; i < n; ++i)
        if (events[i] && events[i]->set.load(std::memory_order_acquire)) return i;
    return -1;
}

int evwait(int n, kevent* const* events, int* which) {
    if (n < 1 || !events) return KS_NOWAIT;
    std::unique_lock<std::mutex> lock(hub());
    int i = firstset(n, events);
    if (i < 0) {
        waiter me;
        try {
            for (int k = 0; k < n; ++k)
                if (events[k]) events[k]->waiters.push_back(&me);
        } catch (...) {
            for (int k = 0; k < n; ++k)
                if (events[k]) std::erase(events[k]->waiters, &me);
            return KS_NOWAIT;
        }
        while ((i = firstset(n, events)) < 0) me.cv.wait(lock);
        for (int k = 0; k < n; ++k)
            if (events[k]) std::erase(events[k]->waiters, &me);
    }
    if (which) *which = i;
    return 0;
}

poolobj* poolcreate(const char*) { return rt::pool::create(4096, 65536); }
void pooldestroy(poolobj* p) { rt::pool::destroy(p); }

kthread* thrcreate(int (*routine)(void*), void* arg, kevent* ended) {
    if (!routine) return nullptr;
    auto* t = new (std::nothrow) kthread;
    if (!t) return nullptr;
    try {
        t->t = std::thread([routine, arg, ended] {
            routine(arg);
            evpost(ended, 0);
        });
    } catch (...) {
        delete t;
        return nullptr;
    }
    return t;
}

void thrdestroy(kthread* t) {
    if (!t) return;
    if (t->t.joinable()) t->t.join();
    delete t;
}

const void* extension(const char* name) {
    if (!name) return nullptr;
    if (std::strcmp(name, "qxeavl") == 0) return containers();
    if (std::strcmp(name, "qxeaa") == 0) return assocarrays();
    if (std::strcmp(name, "qxefmt") == 0) return formats();
    return nullptr;
}

const kencoding* encoding() {
    static const kencoding utf8{"UTF-8"};
    return &utf8;
}

int optlookup(const char* name, double* value) {
    if (!name || !value) return 1;
    if (std::strcmp(name, "host.cpucount") == 0) {
        const unsigned hw = std::thread::hardware_concurrency();
        *value = hw ? hw : 1;
        return 0;
    }
    return 1;
}

// 256 MiB for the buffers of one pass.
int64_t wmrlmem() { return int64_t{1} << 20; }

const kernelinst table = {evcreate, evdestroy, evreset,     evpost,    evtest,   evwait,   poolcreate, pooldestroy,
                          thrcreate, thrdestroy, extension, encoding, optlookup, wmrlmem};

}  // namespace

const kernelinst* instance() { return &table; }

uint64_t hashbytes(const void* key, int len) {
    const auto* p = static_cast<const unsigned char*>(key);
    if (len == 8) {
        uint64_t h;
        std::memcpy(&h, p, 8);
        h ^= h >> 30;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 27;
        h *= 0x94D049BB133111EBull;
        return h ^ (h >> 31);
    }
    uint64_t h = 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(len);
    int i = 0;
    for (; i + 8 <= len; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    if (i < len) {
        // the last bytes in at most two loads (overlapping ones for 4 to 7 bytes)
        uint64_t w = 0;
        const int n = len - i;
        if (n >= 4) {
            uint32_t a, b;
            std::memcpy(&a, p + i, 4);
            std::memcpy(&b, p + len - 4, 4);
            w = (static_cast<uint64_t>(a) << 32) | b;
        } else {
            for (int k = 0; k < n; ++k) w = (w << 8) | p[i + k];
        }
        h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
    }
    h ^= h >> 29;
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 32);
}

}  // namespace rt::kern
