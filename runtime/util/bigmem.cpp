// Large work buffers aligned to 2 MiB and offered to the kernel as huge pages.
#include "runtime/util/bigmem.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace rt::util {
namespace {
constexpr size_t kHuge = size_t(2) << 20;
}

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
    void* p = std::aligned_alloc(kHuge, size);
    if (p && huge) hugepages(p, size);
    return p;
}

void bigfree(void* p) { std::free(p); }

}  // namespace rt::util
