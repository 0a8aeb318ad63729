// Vector 472 of the runtime: the stable sort of records by a key list or the caller's
// comparison, from and to memory, exits or utility files.
#include "runtime/sort/sort.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <cstring>
#include <new>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/vec10_trees.h"
#include "runtime/files/utilfile.h"
#include "runtime/session.h"
#include "runtime/util/bigmem.h"
#include "runtime/util/spread.h"

// The sort reads every record into memory, orders them by the key list (or by the caller's
// comparison) and hands them out. Equal keys keep their input order. The key list is turned
// into one unsigned byte string per record whose plain order is the key list's order, so
// that the common cases (keys of up to 16 bytes) sort as one or two integers by a radix sort.
// Output to a utility file keeps the input's blocking: the n-th record of the output file
// holds as many records as the n-th record of the input file (readers read the sorted file
// back with the buffers they wrote it with). docs/runtime-trees.md.
namespace rt::sort {
namespace {

int xci(sortctl*, void*) { return 0; }
int xct(const void* a, const void* b, sortctl* c);
// The utility-file exits: recognised by the sort, which then reads the input file and
// writes the output file itself; they do nothing when called on their own.
int xcget(sortctl*, void*) { return SORT_END; }
int xcput(sortctl*, void*) { return 0; }
int xcrtn(sortctl*, void*) { return 0; }

bool validkeys(const sortctl* c) {
    if (c->reclen <= 0 || c->nkeys < 0 || (c->nkeys > 0 && !c->keys)) return false;
    for (int i = 0; i < c->nkeys; ++i) {
        const sortkey& k = c->keys[i];
        if (k.length == 0 || static_cast<int64_t>(k.offset) + k.length > c->reclen) return false;
        if (k.kind == SORTK_NUM && k.length != 8) return false;
        if (k.kind == SORTK_INT && k.length != 4 && k.length != 8) return false;
        if (k.kind != SORTK_NUM && k.kind != SORTK_INT && k.kind != SORTK_CHAR) return false;
    }
    return true;
}

int keybytes(const sortctl* c) {
    int n = 0;
    for (int i = 0; i < c->nkeys; ++i) n += c->keys[i].length;
    return n;
}

uint64_t numbits(double d) {
    if (d != d) return static_cast<uint64_t>(missingcode(d) + 128);   // below every number
    if (d == 0.0) d = 0.0;                                           // -0 sorts with +0
    uint64_t b;
    std::memcpy(&b, &d, 8);
    return (b >> 63) ? ~b : (b | 0x8000000000000000ull);
}

// Writes the order-preserving bytes of the record's keys to out (big-endian).
void encode(const sortkey* keys, int nkeys, const unsigned char* rec, unsigned char* out) {
    for (int i = 0; i < nkeys; ++i) {
        const sortkey& k = keys[i];
        const unsigned char* p = rec + k.offset;
        unsigned char* o = out;
        if (k.kind == SORTK_CHAR) {
            std::memcpy(o, p, k.length);
        } else {
            uint64_t v;
            if (k.kind == SORTK_NUM) {
                double d;
                std::memcpy(&d, p, 8);
                v = numbits(d);
            } else if (k.length == 4) {
                int32_t x;
                std::memcpy(&x, p, 4);
                v = static_cast<uint64_t>(static_cast<uint32_t>(x) ^ 0x80000000u) << 32;
            } else {
                int64_t x;
                std::memcpy(&x, p, 8);
                v = static_cast<uint64_t>(x) ^ 0x8000000000000000ull;
            }
            if (k.order == SORTO_DESC) v = ~v;
            if (k.length == 8) {
                const uint64_t be = __builtin_bswap64(v);
                std::memcpy(o, &be, 8);
            } else {
                for (int b = 0; b < k.length; ++b) o[b] = static_cast<unsigned char>(v >> (56 - 8 * b));
            }
            out += k.length;
            continue;
        }
        if (k.order == SORTO_DESC)
            for (int b = 0; b < k.length; ++b) o[b] = static_cast<unsigned char>(~o[b]);
        out += k.length;
    }
}

int keycompare(const sortctl* c, const void* a, const void* b) {
    unsigned char ka[64], kb[64];
    const unsigned char* pa = static_cast<const unsigned char*>(a);
    const unsigned char* pb = static_cast<const unsigned char*>(b);
    for (int i = 0; i < c->nkeys; ++i) {
        const int len = c->keys[i].length;
        if (len <= 64) {
            encode(c->keys + i, 1, pa, ka);
            encode(c->keys + i, 1, pb, kb);
            int r = std::memcmp(ka, kb, static_cast<size_t>(len));
            if (r) return r;
        } else {
            // Long character keys: compared in place.
            int r = std::memcmp(pa + c->keys[i].offset, pb + c->keys[i].offset, static_cast<size_t>(len));
            if (r) return c->keys[i].order == SORTO_DESC ? -r : r;
        }
    }
    return 0;
}

int xct(const void* a, const void* b, sortctl* c) { return keycompare(c, a, b); }

inline uint64_t load64(const unsigned char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);   // the bytes read as a big-endian number
}

// The number of leading keys that make up the first 16 bytes of the packed keys.
int prefixkeys(const sortctl* c) {
    int bytes = 0, k = 0;
    while (k < c->nkeys && bytes < 16) bytes += c->keys[k++].length;
    return k;
}

// Where record i lies: in one array, at its own address (the records of an input file kept
// in memory, read where they lie), or in the even blocks of a file (files::EvenBlocks).
struct Recs {
    const unsigned char* base = nullptr;
    const unsigned char* const* at = nullptr;
    size_t rl = 0;
    size_t per = 0, stride = 0;   // even blocks: records per block, bytes from block to block
    const unsigned char* const* chunks = nullptr;
    const unsigned char* spare = nullptr;
    const unsigned char* operator[](size_t i) const {
        if (at) return at[i];
        if (per) {
            const size_t o = (i / per) * stride + (i % per) * rl;
            if (!chunks) return base + o;
            constexpr size_t kc = static_cast<size_t>(files::kChunk);
            const size_t p = o + 8, c = p / kc, in = p % kc;
            return in + rl <= kc ? chunks[c] + in : spare + c * rl;
        }
        return base + i * rl;
    }
    // The address of record i asked for early (the records are visited at random).
    void prefetchaddress(size_t i) const {
        if (at) __builtin_prefetch(at + i);
    }
};

struct key1 {
    uint64_t k0;
    uint32_t idx;
};
struct key2 {
    uint64_t k0, k1;
    uint32_t idx;
};
// Keys of 9 to 16 bytes whose second word varies only within 32 bits (a censoring code after
// a time): those bits, then the position, in the second word (16 bytes a key instead of 24).
struct key2n {
    uint64_t k0, k1;
};

template <class K>
constexpr int keyspan() {
    return std::is_same_v<K, key1> ? 8 : 16;
}
template <class K>
inline uint64_t keyword(const K& k, int byte) {
    if constexpr (std::is_same_v<K, key1>) return k.k0;
    else return byte >= 8 ? k.k1 : k.k0;
}
template <class K>
inline uint32_t keyidx(const K& k) {
    if constexpr (std::is_same_v<K, key2n>) return static_cast<uint32_t>(k.k1);
    else return k.idx;
}

// Packed keys ordered by their words, most significant first, then by input position: the
// position makes every key distinct, so any correct sort of them keeps equal keys in input
// order (stable) without a second buffer.
template <class K>
inline bool keybefore(const K& a, const K& b) {
    if (a.k0 != b.k0) return a.k0 < b.k0;
    if constexpr (!std::is_same_v<K, key1>)
        if (a.k1 != b.k1) return a.k1 < b.k1;
    if constexpr (std::is_same_v<K, key2n>) return false;
    else return a.idx < b.idx;
}

// In-place most-significant-digit radix sort of packed keys, byte by byte from the top
// (American flag sort): a byte that is the same in every key of a bucket is passed over,
// buckets of a few keys are finished by insertion. No second buffer: memory stays at one key
// per record.
template <class K>
void radixsort(K* a, size_t n, int byte = 0, int threads = 1) {
    constexpr int kBytes = keyspan<K>();
    constexpr size_t kSmall = 32;
    for (;;) {
        if (n <= kSmall || byte >= kBytes) {
            if (n > kSmall) {
                std::sort(a, a + n, keybefore<K>);   // equal keys: by position
                return;
            }
            for (size_t i = 1; i < n; ++i) {
                K v = a[i];
                size_t j = i;
                for (; j > 0 && keybefore(v, a[j - 1]); --j) a[j] = a[j - 1];
                a[j] = v;
            }
            return;
        }
        const int shift = 56 - 8 * (byte % 8);
        auto digit = [byte, shift](const K& k) -> unsigned { return static_cast<unsigned>((keyword(k, byte) >> shift) & 0xFF); };
        // Counts of 32 bits (the sort takes fewer than 2^32 records): 3 kB of stack a level.
        uint32_t count[256] = {};
        for (size_t i = 0; i < n; ++i) ++count[digit(a[i])];
        if (count[digit(a[0])] == n) {   // one bucket: the next byte
            ++byte;
            continue;
        }
        uint32_t next[256], end[256], sum = 0;
        for (int v = 0; v < 256; ++v) {
            next[v] = sum;
            sum += count[v];
            end[v] = sum;
        }
        // Each key goes to the next free place of its bucket; the key it displaces moves on.
        for (unsigned v = 0; v < 256; ++v) {
            while (next[v] < end[v]) {
                K k = a[next[v]];
                unsigned d = digit(k);
                while (d != v) {
                    std::swap(k, a[next[d]++]);
                    d = digit(k);
                }
                a[next[v]++] = k;
            }
        }
        if (threads > 1) {
            // The buckets on the threads, the largest first.
            std::vector<std::pair<uint32_t, uint32_t>> buckets;   // (size, start)
            for (int v = 0; v < 256; ++v)
                if (count[v] > 1) buckets.emplace_back(count[v], end[v] - count[v]);
            std::sort(buckets.begin(), buckets.end(), [](auto x, auto y) { return x.first > y.first; });
            rt::util::spread(threads, static_cast<int>(buckets.size()),
                             [&](int i) { radixsort(a + buckets[static_cast<size_t>(i)].second, buckets[static_cast<size_t>(i)].first, byte + 1); });
            return;
        }
        size_t from = 0;
        for (int v = 0; v < 256; ++v) {
            if (count[v] > 1) radixsort(a + from, count[v], byte + 1);
            from += count[v];
        }
        return;
    }
}

// The keys of a large sort made on threads straight into buckets by up to 16 bits of their
// first word, from the highest bit in which any two differ (each thread counts and then
// places a part of the records' keys; make(i, k) makes record i's key, once for the counts
// and once for the places), and the buckets sorted on the threads from the first byte their
// keys do not all share, the largest first. `varying` holds the bits in which the first words
// differ. One buffer of keys: the in-place first pass of radixsort() is one thread's chain
// of dependent moves, and its buckets by the first differing byte are few for times (their
// exponents): two for a million times of 0.3 to 3,500.
template <class K, class Make>
void bucketkeys(K* keys, size_t n, int threads, uint64_t varying, Make make) {
    const size_t parts = static_cast<size_t>(threads);
    const size_t per = (n + parts - 1) / parts;
    auto each = [&](int p, auto f) {
        K k;
        for (size_t i = static_cast<size_t>(p) * per, e = std::min(n, i + per); i < e; ++i) {
            make(i, k);
            f(i, k);
        }
    };
    if (!varying) {   // one first word: the keys in place, sorted from their first byte
        rt::util::spread(threads, threads, [&](int p) { each(p, [&](size_t i, const K& k) { keys[i] = k; }); });
        radixsort(keys, n, 0, threads);
        return;
    }
    const int lead = __builtin_clzll(varying);   // bits every first word shares
    const int bits = std::min(16, 64 - lead);
    const int shift = 64 - lead - bits;
    const size_t nb = size_t(1) << bits;
    const uint64_t mask = nb - 1;
    std::vector<uint32_t> at(parts * nb, 0);   // part p's count, then its next place, of bucket d: at[p * nb + d]
    rt::util::spread(threads, threads, [&](int p) {
        uint32_t* c = at.data() + static_cast<size_t>(p) * nb;
        each(p, [&](size_t, const K& k) { ++c[(k.k0 >> shift) & mask]; });
    });
    std::vector<uint32_t> start(nb + 1);
    uint32_t sum = 0;
    for (size_t d = 0; d < nb; ++d) {
        start[d] = sum;
        for (size_t p = 0; p < parts; ++p) {
            const uint32_t c = at[p * nb + d];
            at[p * nb + d] = sum;
            sum += c;
        }
    }
    start[nb] = sum;
    rt::util::spread(threads, threads, [&](int p) {
        uint32_t* next = at.data() + static_cast<size_t>(p) * nb;
        each(p, [&](size_t, const K& k) { keys[next[(k.k0 >> shift) & mask]++] = k; });
    });
    std::vector<std::pair<uint32_t, uint32_t>> buckets;   // (size, start)
    for (size_t d = 0; d < nb; ++d)
        if (start[d + 1] - start[d] > 1) buckets.emplace_back(start[d + 1] - start[d], start[d]);
    std::sort(buckets.begin(), buckets.end(), [](auto x, auto y) { return x.first > y.first; });
    const int byte = (lead + bits) / 8;   // the bytes before it are the same in every key of a bucket
    rt::util::spread(threads, static_cast<int>(buckets.size()), [&](int i) {
        radixsort(keys + buckets[static_cast<size_t>(i)].second, buckets[static_cast<size_t>(i)].first, byte);
    });
}

// Threads the sort may use for n records: from a quarter of a million records on, as
// THREADS and CPUCOUNT allow. (The order is the same for any count: every key is distinct.)
int sortthreads(const Session* s, size_t n) {
    if (n < (size_t(1) << 18)) return 1;
    if (!s || !s->opts.threads) return 1;
    const unsigned hw = std::thread::hardware_concurrency();
    return s->opts.cpucount > 0 ? s->opts.cpucount : hw ? static_cast<int>(hw) : 1;
}

constexpr size_t kPart = size_t(1) << 16;

constexpr size_t kFewSeconds = 256;

// The permutation that sorts the records: in a vector of its own, or in the tail of the
// packed keys' buffer, whose pages go on as room for the sorted file once it is written.
struct Order {
    std::vector<uint32_t> vec;
    const uint32_t* p = nullptr;
    void* big = nullptr;   // the keys' buffer that holds p
    size_t bigbytes = 0;
    Order() = default;
    Order(const Order&) = delete;
    Order& operator=(const Order&) = delete;
    ~Order() { files::donate(big, bigbytes); }
    void own() { p = vec.data(); }
};

// The permutation of the positions that sorted packed keys carry.
template <class K>
void keysorder(rt::util::BigArray<K>& keys, size_t count, Order& order) {
    // The positions, last first, into the buffer's last 4 bytes a record: position i goes to
    // byte (S - 4) n + 4 i of the buffer of keys of S bytes, at or after key i, which is read
    // by then (no fresh pages for a second array).
    auto* bytes = reinterpret_cast<unsigned char*>(keys.get());
    const size_t tail = count * (sizeof(K) - sizeof(uint32_t));
    for (size_t i = count; i-- > 0;) {
        const uint32_t idx = keyidx(keys[i]);
        std::memcpy(bytes + tail + i * sizeof(uint32_t), &idx, sizeof idx);
    }
    // The keys' pages before the positions go on as room for the sorted file now, the rest
    // once it is written.
    void* rest = rt::util::bigfreehead(keys.p, tail);
    order.p = reinterpret_cast<const uint32_t*>(bytes + tail);
    order.big = rest;
    order.bigbytes = count * sizeof(K) - static_cast<size_t>(static_cast<unsigned char*>(rest) - bytes);
    keys.p = nullptr;
}

// The bits in which the first words differ, from each part's AND and OR of them.
uint64_t differingbits(const std::vector<uint64_t>& ands, const std::vector<uint64_t>& ors) {
    uint64_t all = ~uint64_t(0), any = 0;
    for (size_t p = 0; p < ands.size(); ++p) {
        all &= ands[p];
        any |= ors[p];
    }
    return all ^ any;
}

// The bits in which the first words of the keys make(i, k) makes differ, on threads.
template <class K, class Make>
uint64_t varyingbits(size_t n, int threads, Make make) {
    const size_t parts = static_cast<size_t>(threads);
    const size_t per = (n + parts - 1) / parts;
    std::vector<uint64_t> ands(parts, ~uint64_t(0)), ors(parts, 0);
    rt::util::spread(threads, threads, [&](int p) {
        uint64_t x = ~uint64_t(0), o = 0;
        K k;
        for (size_t i = static_cast<size_t>(p) * per, e = std::min(n, i + per); i < e; ++i) {
            make(i, k);
            x &= k.k0;
            o |= k.k0;
        }
        ands[static_cast<size_t>(p)] = x;
        ors[static_cast<size_t>(p)] = o;
    });
    return differingbits(ands, ors);
}

// The permutation that sorts the records, by the key list packed into integers.
template <class K>
void packedorder(const sortctl* c, const Recs& recs, int64_t n, int threads, Order& order) {
    const int kb = keybytes(c);
    const size_t count = static_cast<size_t>(n);
    rt::util::BigArray<K> keys(count, false);
    if (!keys.get()) throw std::bad_alloc();
    auto make = [&](size_t i, K& k) {
        unsigned char buf[16];
        std::memset(buf, 0, sizeof buf);
        encode(c->keys, c->nkeys, recs[i], buf);
        k.k0 = load64(buf);
        if constexpr (std::is_same_v<K, key2>) k.k1 = kb > 8 ? load64(buf + 8) : 0;
        k.idx = static_cast<uint32_t>(i);
    };
    if (threads > 1) {
        bucketkeys(keys.get(), count, threads, varyingbits<K>(count, threads, make), make);
    } else {
        for (size_t i = 0; i < count; ++i) make(i, keys[i]);
        radixsort(keys.get(), count);
    }
    keysorder(keys, count, order);
}

// Keys of 9 to 16 bytes whose second words take at most kFewSeconds values (a censoring code
// after a time): one pass encodes every key and gathers the values, a second puts each second
// word's place among them beside the position (key2n). false, and no order, when there are
// more values (the caller then packs key2). On threads the first pass also finds the bits in
// which the first words differ and keeps no key, and the keys are made again into their
// buckets (bucketkeys).
bool fewsecondsorder(const sortctl* c, const Recs& recs, int64_t n, int threads, Order& order) {
    const size_t count = static_cast<size_t>(n);
    const int parts = static_cast<int>((count + kPart - 1) / kPart);
    rt::util::BigArray<key2n> keys(count, false);
    if (!keys.get()) throw std::bad_alloc();
    const bool keep = threads == 1;
    std::vector<std::vector<uint64_t>> seen(static_cast<size_t>(parts));
    std::vector<uint64_t> ands(static_cast<size_t>(parts), ~uint64_t(0)), ors(static_cast<size_t>(parts), 0);
    std::atomic<bool> many{false};
    rt::util::spread(threads, parts, [&](int p) {
        std::vector<uint64_t>& v = seen[static_cast<size_t>(p)];
        unsigned char buf[16];
        uint64_t x = ~uint64_t(0), o = 0;
        key2n k;
        const size_t last = std::min(count, (static_cast<size_t>(p) + 1) * kPart);
        for (size_t i = static_cast<size_t>(p) * kPart; i < last && !many.load(std::memory_order_relaxed); ++i) {
            std::memset(buf, 0, sizeof buf);
            encode(c->keys, c->nkeys, recs[i], buf);
            k.k0 = load64(buf);
            k.k1 = load64(buf + 8);
            x &= k.k0;
            o |= k.k0;
            if (keep) keys[i] = k;
            if (!v.empty() && v.back() == k.k1) continue;
            auto at = std::find(v.begin(), v.end(), k.k1);
            if (at != v.end()) {
                std::iter_swap(at, v.end() - 1);   // the value met last is tried first
                continue;
            }
            if (v.size() == kFewSeconds) many = true;
            v.push_back(k.k1);
        }
        ands[static_cast<size_t>(p)] = x;
        ors[static_cast<size_t>(p)] = o;
    });
    if (many) return false;
    std::vector<uint64_t> values;
    for (auto& v : seen) values.insert(values.end(), v.begin(), v.end());
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    if (values.size() > kFewSeconds) return false;
    auto place = [&values](uint64_t k1, size_t i) {
        return static_cast<uint64_t>(std::lower_bound(values.begin(), values.end(), k1) - values.begin()) << 32 | i;
    };
    if (keep) {
        for (size_t i = 0; i < count; ++i) keys[i].k1 = place(keys[i].k1, i);
        radixsort(keys.get(), count);
    } else {
        bucketkeys(keys.get(), count, threads, differingbits(ands, ors), [&](size_t i, key2n& k) {
            unsigned char buf[16];
            std::memset(buf, 0, sizeof buf);
            encode(c->keys, c->nkeys, recs[i], buf);
            k.k0 = load64(buf);
            k.k1 = place(load64(buf + 8), i);
        });
    }
    keysorder(keys, count, order);
    return true;
}

// Longer key lists: the first 16 bytes of the packed keys by the radix sort, then each run
// of records whose first 16 bytes agree by the whole key list (stably, so that equal keys
// keep their input order). Runs are short when the leading keys nearly decide the order.
constexpr int kPrefixMax = 256;
// Records fetched ahead where the sorted order visits them at random.
constexpr size_t kAhead = 16;
inline void prefetchrec(const unsigned char* p, size_t rl) {
    __builtin_prefetch(p);
    __builtin_prefetch(p + rl - 1);
}
void prefixorder(const sortctl* c, const Recs& recs, int64_t n, int threads, std::vector<uint32_t>& order) {
    const size_t count = static_cast<size_t>(n);
    const size_t rl = static_cast<size_t>(c->reclen);
    rt::util::BigArray<key2> keys(count, false);
    if (!keys.get()) throw std::bad_alloc();
    const int lead = prefixkeys(c);
    rt::util::spread(threads, static_cast<int>((count + kPart - 1) / kPart), [&](int p) {
        unsigned char buf[kPrefixMax];
        const size_t last = std::min(count, (static_cast<size_t>(p) + 1) * kPart);
        for (size_t i = static_cast<size_t>(p) * kPart; i < last; ++i) {
            encode(c->keys, lead, recs[i], buf);
            keys[i].k0 = load64(buf);
            keys[i].k1 = load64(buf + 8);
            keys[i].idx = static_cast<uint32_t>(i);
        }
    });
    radixsort(keys.get(), count, 0, threads);
    const key2* sorted = keys.get();
    order.resize(count);
    for (size_t i = 0; i < count; ++i) order[i] = sorted[i].idx;
    // Each run's whole packed keys, made once per record of the run.
    const size_t kb = static_cast<size_t>(keybytes(c));
    std::vector<unsigned char> runkeys;
    std::vector<uint32_t> pos;
    for (size_t i = 0; i < count;) {
        size_t j = i + 1;
        while (j < count && sorted[j].k0 == sorted[i].k0 && sorted[j].k1 == sorted[i].k1) ++j;
        if (j - i > 1) {
            const size_t len = j - i;
            runkeys.resize(len * kb);
            pos.resize(len);
            for (size_t k = 0; k < len; ++k) {
                // The records of a run lie anywhere: ask for those a little ahead early.
                if (i + k + 2 * kAhead < count) recs.prefetchaddress(order[i + k + 2 * kAhead]);
                if (i + k + kAhead < count) prefetchrec(recs[order[i + k + kAhead]], rl);
                encode(c->keys, c->nkeys, recs[order[i + k]], runkeys.data() + k * kb);
                pos[k] = static_cast<uint32_t>(k);
            }
            std::stable_sort(pos.begin(), pos.end(), [&](uint32_t a, uint32_t b) {
                return std::memcmp(runkeys.data() + a * kb + 16, runkeys.data() + b * kb + 16, kb - 16) < 0;
            });
            std::vector<uint32_t> runorder(len);
            for (size_t k = 0; k < len; ++k) runorder[k] = order[i + pos[k]];
            std::copy(runorder.begin(), runorder.end(), order.begin() + static_cast<std::ptrdiff_t>(i));
        }
        i = j;
    }
    files::donate(keys.p, count * sizeof(key2));   // room for the sorted file
    keys.p = nullptr;
}

// The records to sort: from the get exit (into recs), from the input file (into filerecs,
// with the records per block), or left where they are (in memory).
int readinput(sortctl* c, std::vector<unsigned char>& recs, rt::util::BigArray<unsigned char>& filerecs,
              int64_t& filebytes, std::vector<int64_t>& blocks, bool& inmemory, std::vector<const unsigned char*>& addr,
              std::vector<unsigned char>& spare, files::Mapping& map, files::EvenBlocks& even) {
    const sortexit get = c->exitentries[SORTX_GET];
    const size_t rl = static_cast<size_t>(c->reclen);
    inmemory = false;
    if (get && get != xcget) {
        for (;;) {
            size_t at = recs.size();
            recs.resize(at + rl);
            int rc = get(c, recs.data() + at);
            if (rc == SORT_END) {
                recs.resize(at);
                break;
            }
            if (rc < 0) return rc;
        }
        return 0;
    }
    if (c->infile) {
        // The records are read where they lie: in the file's chunks, or in the file on disk
        // mapped (its pages are in the page cache already: no copy, no fresh memory).
        if (c->outfile != c->infile && files::recordaddresses(c->infile, static_cast<int64_t>(rl), addr, spare, blocks, map, &even)) {
            int64_t n = static_cast<int64_t>(addr.size());
            if (even.per)
                for (int64_t b : blocks) n += b;
            filebytes = n * static_cast<int64_t>(rl);
            return 0;
        }
        // One buffer for all the records (no copy per record: a file of a few hundred
        // megabytes is held once).
        filebytes = files::payload(c->infile);
        if (filebytes < 0) return SORT_EREAD;
        rt::util::BigArray<unsigned char> buf(static_cast<size_t>(filebytes), false);
        if (!buf.get()) return SORT_ENOMEM;
        std::swap(filerecs.p, buf.p);
        if (!files::readconcat(c->infile, filerecs.get(), filebytes, blocks)) return SORT_EREAD;
        for (int64_t& b : blocks) {
            if (b % static_cast<int64_t>(rl)) return SORT_EREAD;
            b /= static_cast<int64_t>(rl);
        }
        return 0;
    }
    if (c->nrecs < 0 || (c->nrecs > 0 && !c->inrecs)) return SORT_EBADREQ;
    inmemory = true;
    return 0;
}

int writeoutput(sortctl* c, const Recs& recs, int64_t n, const uint32_t* order,
                const std::vector<int64_t>& blocks, bool inmemory) {
    const size_t rl = static_cast<size_t>(c->reclen);
    const sortexit put = c->exitentries[SORTX_PUT];
    if (put && put != xcput) {
        for (int64_t i = 0; i < n; ++i) {
            int rc = put(c, const_cast<unsigned char*>(recs[order[static_cast<size_t>(i)]]));
            if (rc < 0) return rc;
        }
        return 0;
    }
    const size_t bytes = static_cast<size_t>(n) * rl;
    const vec39* f = files::services();
    if (!blocks.empty()) {
        // File to file: block by block through a buffer of one block.
        if (!c->outfile && f->xcopen(&c->outfile, XC_SCRATCH) != 0) return SORT_EWRITE;
        std::vector<unsigned char> buf;
        int64_t at = 0;
        for (int64_t b : blocks) {
            buf.resize(static_cast<size_t>(b) * rl);
            for (int64_t i = 0; i < b; ++i) {
                const size_t k = static_cast<size_t>(at + i);
                if (k + 2 * kAhead < static_cast<size_t>(n)) recs.prefetchaddress(order[k + 2 * kAhead]);
                if (k + kAhead < static_cast<size_t>(n)) prefetchrec(recs[order[k + kAhead]], rl);
                std::memcpy(buf.data() + i * rl, recs[order[k]], rl);
            }
            if (f->xcwrite(c->outfile, buf.data(), b * static_cast<int64_t>(rl)) != 0) return SORT_EWRITE;
            at += b;
        }
        return 0;
    }
    std::unique_ptr<unsigned char[]> out(new (std::nothrow) unsigned char[bytes ? bytes : 1]);
    if (!out) return SORT_ENOMEM;
    for (int64_t i = 0; i < n; ++i) std::memcpy(out.get() + i * rl, recs[order[static_cast<size_t>(i)]], rl);
    if (inmemory && !c->outfile) {
        if (n) std::memcpy(c->inrecs, out.get(), bytes);
        return 0;
    }
    if (!c->outfile && f->xcopen(&c->outfile, XC_SCRATCH) != 0) return SORT_EWRITE;
    if (n && f->xcwrite(c->outfile, out.get(), static_cast<int64_t>(bytes)) != 0) return SORT_EWRITE;
    return 0;
}

int sortap(sortctl* c) {
    if (c->startentry) {
        int rc = c->startentry(c, nullptr);
        if (rc != 0) return c->status = rc;
    }
    if (!validkeys(c)) return c->status = SORT_EBADREQ;
    std::vector<unsigned char> own;
    rt::util::BigArray<unsigned char> filerecs;
    std::vector<const unsigned char*> at;
    std::vector<unsigned char> spare;
    files::Mapping map;
    files::EvenBlocks even;
    int64_t filebytes = -1;
    std::vector<int64_t> blocks;
    bool inmemory = false;
    int rc;
    try {
        rc = readinput(c, own, filerecs, filebytes, blocks, inmemory, at, spare, map, even);
        if (rc) return c->status = rc;
        Recs recs;
        recs.rl = static_cast<size_t>(c->reclen);
        recs.base = inmemory ? static_cast<const unsigned char*>(c->inrecs) : filebytes >= 0 ? filerecs.get() : own.data();
        if (!at.empty()) recs.at = at.data();
        if (even.per) {
            recs.base = even.base;
            recs.per = even.per;
            recs.stride = even.stride;
            recs.chunks = even.chunks;
            recs.spare = even.spare;
        }
        const size_t have = filebytes >= 0 ? static_cast<size_t>(filebytes) : own.size();
        const int64_t n = inmemory ? c->nrecs : static_cast<int64_t>(have / static_cast<size_t>(c->reclen));
        if (n >= (int64_t(1) << 32)) return c->status = SORT_ENOMEM;
        Order order;
        const sortcmp cmp = c->compareentry;
        const int kb = keybytes(c);
        const int threads = sortthreads(rt::current(), static_cast<size_t>(n));
        if ((!cmp || cmp == xct) && kb <= 8) {
            packedorder<key1>(c, recs, n, threads, order);
        } else if ((!cmp || cmp == xct) && kb <= 16) {
            // A second word of few values goes, by its place among them, beside the position.
            if (n < static_cast<int64_t>(kPart) || !fewsecondsorder(c, recs, n, threads, order))
                packedorder<key2>(c, recs, n, threads, order);
        } else if ((!cmp || cmp == xct) && kb <= kPrefixMax) {
            prefixorder(c, recs, n, threads, order.vec);
            order.own();
        } else {
            std::vector<uint32_t>& v = order.vec;
            v.resize(static_cast<size_t>(n));
            for (int64_t i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<uint32_t>(i);
            std::stable_sort(v.begin(), v.end(), [&](uint32_t a, uint32_t b) {
                const void* ra = recs[a];
                const void* rb = recs[b];
                return (cmp && cmp != xct ? cmp(ra, rb, c) : keycompare(c, ra, rb)) < 0;
            });
            order.own();
        }
        rc = writeoutput(c, recs, n, order.p, blocks, inmemory);
        if (rc) return c->status = rc;
        c->nsorted = n;
    } catch (const std::bad_alloc&) {
        return c->status = SORT_ENOMEM;
    }
    const sortexit end = c->exitentries[SORTX_END];
    if (end && end != xcrtn && (rc = end(c, nullptr)) != 0) return c->status = rc;
    return c->status = 0;
}

const vec472 table = {sortap, xci, xct, xcget, xcput, xcrtn};

}  // namespace

const vec472* services() { return &table; }

}  // namespace rt::sort
