// Large work buffers aligned to 2 MiB and offered to the kernel as huge pages; the pages of
// buffers given back are kept for the next ones.
#include "runtime/util/bigmem.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace rt::util {
namespace {
constexpr size_t kHuge = size_t(2) << 20;
// Pages kept at most for later buffers.
constexpr size_t kKeepMax = size_t(512) << 20;

struct Region {
    unsigned char* p;
    size_t bytes;
};
std::mutex g_mu;
std::unordered_map<void*, size_t> g_live;   // buffers handed out: their mapped bytes
std::vector<Region> g_kept;                 // pages of buffers given back, in the order they came
size_t g_keptbytes = 0;

// An anonymous mapping of `bytes` (a multiple of kHuge) on a kHuge boundary, or null.
unsigned char* mapaligned(size_t bytes) {
    void* raw = ::mmap(nullptr, bytes + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto a = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t p = (a + kHuge - 1) / kHuge * kHuge;
    if (p > a) ::munmap(raw, p - a);
    if (a + kHuge > p) ::munmap(reinterpret_cast<void*>(p + bytes), a + kHuge - p);
    return reinterpret_cast<unsigned char*>(p);
}

// Moves kept pages to [p, p + bytes) from the start, the pages kept last first (the most
// likely still in the processor's caches). Called with g_mu held.
void fillkept(unsigned char* p, size_t bytes) {
    size_t at = 0;
    while (at < bytes && !g_kept.empty()) {
        Region& r = g_kept.back();
        const size_t take = r.bytes < bytes - at ? r.bytes : bytes - at;
        // The tail of the region moves, so that what stays keeps its address.
        unsigned char* from = r.p + (r.bytes - take);
        if (::mremap(from, take, take, MREMAP_MAYMOVE | MREMAP_FIXED, p + at) == MAP_FAILED) break;
        r.bytes -= take;
        g_keptbytes -= take;
        if (r.bytes == 0) g_kept.pop_back();
        at += take;
    }
}
}  // namespace

void hugepages(void* p, size_t n) {
#ifdef MADV_HUGEPAGE
    const auto a = reinterpret_cast<uintptr_t>(p);
    const uintptr_t lo = (a + kHuge - 1) / kHuge * kHuge, hi = (a + n) / kHuge * kHuge;
    if (hi > lo) madvise(reinterpret_cast<void*>(lo), hi - lo, MADV_HUGEPAGE);
#else
    (void)p;
    (void)n;
#endif
}

void* bigalloc(size_t n, bool huge) {
    if (n < kHuge) return std::malloc(n);
    const size_t size = (n + kHuge - 1) / kHuge * kHuge;
    unsigned char* p = mapaligned(size);
    if (!p) return nullptr;
    if (huge) hugepages(p, size);
    std::lock_guard<std::mutex> lock(g_mu);
    fillkept(p, size);
    g_live.emplace(p, size);
    return p;
}

void bigfree(void* p) {
    if (!p) return;
    std::unique_lock<std::mutex> lock(g_mu);
    const auto it = g_live.find(p);
    if (it == g_live.end()) {
        lock.unlock();
        std::free(p);
        return;
    }
    const size_t size = it->second;
    g_live.erase(it);
    if (g_keptbytes + size > kKeepMax) {
        ::munmap(p, size);
        return;
    }
    g_kept.push_back({static_cast<unsigned char*>(p), size});
    g_keptbytes += size;
}

void* bigfreehead(void* p, size_t head) {
    if (!p) return p;
    const size_t cut = head / kHuge * kHuge;
    std::lock_guard<std::mutex> lock(g_mu);
    const auto it = g_live.find(p);
    if (cut == 0 || it == g_live.end() || cut >= it->second) return p;
    const size_t size = it->second;
    g_live.erase(it);
    auto* rest = static_cast<unsigned char*>(p) + cut;
    g_live.emplace(rest, size - cut);
    if (g_keptbytes + cut > kKeepMax) {
        ::munmap(p, cut);
    } else {
        g_kept.push_back({static_cast<unsigned char*>(p), cut});
        g_keptbytes += cut;
    }
    return rest;
}

void bigtrim() {
    std::lock_guard<std::mutex> lock(g_mu);
    for (const Region& r : g_kept) ::munmap(r.p, r.bytes);
    g_kept.clear();
    g_keptbytes = 0;
}

size_t bigkept() {
    std::lock_guard<std::mutex> lock(g_mu);
    return g_keptbytes;
}

}  // namespace rt::util
