// Large work buffers (tens of megabytes and more, visited at random: sort records, per-unit
// sums): allocated on 2 MiB boundaries and offered to the kernel as huge pages, so that
// random access does not miss the address translation cache at every step.
#pragma once
#include <cstddef>

namespace rt::util {
// A buffer of at least n bytes (not cleared), or null; on huge pages unless `huge` is false
// (a buffer filled and read in order gains nothing from them, and on a busy machine the
// kernel may have to compact memory to find one).
void* bigalloc(size_t n, bool huge = true);
void bigfree(void* p);
// Asks for huge pages over the whole 2 MiB pages inside [p, p + n) (nothing for small n).
void hugepages(void* p, size_t n);

// An owned buffer of T.
template <class T>
struct BigArray {
    T* p = nullptr;
    BigArray() = default;
    explicit BigArray(size_t n) : p(static_cast<T*>(bigalloc(n ? n * sizeof(T) : 1))) {}
    BigArray(const BigArray&) = delete;
    BigArray& operator=(const BigArray&) = delete;
    ~BigArray() { bigfree(p); }
    T* get() const { return p; }
    T& operator[](size_t i) const { return p[i]; }
};
}  // namespace rt::util
