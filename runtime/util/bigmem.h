// Large work buffers (tens of megabytes and more: sort keys, per-unit sums), allocated on
// 2 MiB boundaries and, where the caller asks, offered to the kernel as huge pages.
//
// A large buffer given back keeps its pages for the next one asked for (up to kKeepMax bytes
// in all, until bigtrim): the kernel moves them to the new buffer's addresses (mremap), so the
// buffer needs fresh pages, which the kernel must clear first, only for what was not given
// back before. The sort's keys thus take the pages of the group's rows file that went to disk,
// the sorted file those of the keys, and the curve's coded chunks the rest.
//
// The sort asks for small pages: where the system gives its free 2 MiB blocks back to a host
// (a virtual machine that reports free pages), a fresh huge page is nearly always one the host
// must supply again, and clearing it cost several times what small pages cost (measured: the
// system time of the 1e7-row curve, medians of 7 runs in turn, 0.49 s with huge keys and
// 0.36 s with small ones).
#pragma once
#include <cstddef>

namespace rt::util {
// A buffer of at least n bytes (not cleared: its bytes may be those of a buffer given back),
// or null; on huge pages unless `huge` is false (a buffer filled and read in order gains
// nothing from them, and on a busy machine the kernel may have to compact memory to find one).
void* bigalloc(size_t n, bool huge = true);
void bigfree(void* p);
// Gives back the whole 2 MiB pages of the first `head` bytes of a large buffer, kept for later
// buffers as bigfree keeps them; returns where the rest now starts as a buffer of its own (for
// bigfree), p itself when nothing went back (a small buffer, or head below 2 MiB).
void* bigfreehead(void* p, size_t head);
// Gives the pages kept for later buffers back to the system (at the end of a step).
void bigtrim();
// Bytes of pages kept for later buffers (for tests).
size_t bigkept();
// Asks for huge pages over the whole 2 MiB pages inside [p, p + n) (nothing for small n).
void hugepages(void* p, size_t n);

// An owned buffer of T.
template <class T>
struct BigArray {
    T* p = nullptr;
    BigArray() = default;
    explicit BigArray(size_t n, bool huge = true) : p(static_cast<T*>(bigalloc(n ? n * sizeof(T) : 1, huge))) {}
    BigArray(const BigArray&) = delete;
    BigArray& operator=(const BigArray&) = delete;
    ~BigArray() { bigfree(p); }
    T* get() const { return p; }
    T& operator[](size_t i) const { return p[i]; }
};
}  // namespace rt::util
