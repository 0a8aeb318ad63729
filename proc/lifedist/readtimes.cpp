// Times as the data set holds them, kept beside the analysis scale's values so that a table
// row standing for an observed time prints the time read (readtimes.h).
#include "proc/lifedist/readtimes.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "host/hostdefs.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist.h"

// Pairs (analysis scale, read) come in chunks from the statement pool while the data are
// read; the first lookup gathers them into one array sorted by the analysis value.
struct readtimes {
    static constexpr int32_t kPairs = 4096;   // pairs a chunk holds
    struct chunk {
        chunk* next;
        int32_t n;
        double v[2 * kPairs];
    };
    chunk* head = nullptr;
    double* sorted = nullptr;   // pairs, ascending in the analysis value, one per value
    int64_t n = 0;
    int64_t hint = 0;           // where the last lookup found its value (lookups mostly ascend)
    bool sealed = false;
};

namespace {

readtimes* table(vyxstate* s) {
    if (!s->life.rtimes && s->pools.stmtpool) {
        void* p = poolbytes(s->pools.stmtpool, sizeof(readtimes), poolflag::zeroed);
        if (p) s->life.rtimes = new (p) readtimes();
    }
    return s->life.rtimes;
}

// The order key of an analysis value: its bits, turned so that unsigned order is numeric
// order (-0 as +0).
uint64_t orderkey(double x) {
    if (x == 0) x = 0;
    uint64_t b;
    std::memcpy(&b, &x, 8);
    return (b >> 63) ? ~b : (b | 0x8000000000000000ull);
}

// The chunks as the sort's second buffer, once the first pass has read their pairs, in the
// order they were filled: every chunk but the newest is full, so pair i goes to chunk
// i / kPairs, and the chunks keep n pairs in places the first pass reads in that order. Each
// pass keeps the pairs of one analysis value in the order they were read, so pairs added
// after a lookup are ordered with the earlier ones as if none had been moved.
struct chunked {
    std::vector<double*> at;   // the chunks' pairs, oldest first
    double* pair(int64_t i) const { return at[size_t(i / readtimes::kPairs)] + 2 * (i % readtimes::kPairs); }
};

// The pairs of the chunks, in the order they were read (the newest chunk is at the head),
// ordered by their analysis value, stably (pairs of one value keep the order they were read
// in): digits of 11 bits from the lowest, passing over the digits every key shares. The
// passes alternate between v and the chunks themselves, so no second buffer of fresh pages
// is needed; returns whether the ordered pairs ended in v (else in the chunks, read order).
bool sortpairs(const std::vector<const readtimes::chunk*>& chunks, const chunked& room, double* v, int64_t n) {
    constexpr int kBits = 11, kDigits = (64 + kBits - 1) / kBits;
    constexpr uint64_t kMask = (1u << kBits) - 1;
    std::vector<uint32_t> counts(size_t(kDigits) << kBits, 0);
    for (const readtimes::chunk* c : chunks)
        for (int32_t i = 0; i < c->n; ++i) {
            const uint64_t k = orderkey(c->v[2 * i]);
            for (int d = 0; d < kDigits; ++d) ++counts[(size_t(d) << kBits) + ((k >> (kBits * d)) & kMask)];
        }
    const uint64_t any = orderkey(chunks.front()->v[0]);
    // The passes that move pairs, and the places of each digit's pairs.
    std::vector<int> passes;
    for (int d = 0; d < kDigits; ++d) {
        uint32_t* c = counts.data() + (size_t(d) << kBits);
        if (c[(any >> (kBits * d)) & kMask] == static_cast<uint64_t>(n)) continue;
        passes.push_back(d);
        uint32_t sum = 0;
        for (uint64_t b = 0; b <= kMask; ++b) {
            const uint32_t here = c[b];
            c[b] = sum;
            sum += here;
        }
    }
    // The first pass reads the chunks and writes v (in read order if no digit differs).
    const int first = passes.empty() ? -1 : passes.front();
    int64_t k = 0;
    for (auto c = chunks.rbegin(); c != chunks.rend(); ++c)
        for (int32_t i = 0; i < (*c)->n; ++i, ++k) {
            const double* pr = (*c)->v + 2 * i;
            const int64_t at = first < 0 ? k : counts[(size_t(first) << kBits) + ((orderkey(pr[0]) >> (kBits * first)) & kMask)]++;
            v[2 * at] = pr[0];
            v[2 * at + 1] = pr[1];
        }
    bool inv = true;
    for (size_t p = 1; p < passes.size(); ++p, inv = !inv) {
        const int d = passes[p];
        uint32_t* c = counts.data() + (size_t(d) << kBits);
        for (int64_t i = 0; i < n; ++i) {
            const double* from = inv ? v + 2 * i : room.pair(i);
            const uint32_t at = c[(orderkey(from[0]) >> (kBits * d)) & kMask]++;
            double* to = inv ? room.pair(at) : v + 2 * at;
            to[0] = from[0];
            to[1] = from[1];
        }
    }
    return inv;
}

const readtimes* sealed(vyxstate* s) {
    readtimes* t = s->life.rtimes;
    if (!t) return nullptr;
    if (t->sealed) return t;
    t->sealed = true;
    t->hint = 0;
    int64_t n = 0;
    std::vector<const readtimes::chunk*> chunks;
    chunked room;
    for (readtimes::chunk* c = t->head; c; c = c->next) {
        n += c->n;
        chunks.push_back(c);
        room.at.push_back(c->v);
    }
    if (n == 0) return t;
    std::reverse(room.at.begin(), room.at.end());
    auto* v = static_cast<double*>(poolbytes(s->pools.stmtpool, n * 16, poolflag::raw));
    if (!v) return t;   // the tables fall back to the values taken back
    const bool inv = sortpairs(chunks, room, v, n);
    // One value read per analysis value: two values read that the scale cannot tell apart
    // are one point of the analysis (the one read first kept).
    int64_t kept = 0;
    for (int64_t i = 0; i < n; ++i) {
        const double* pr = inv ? v + 2 * i : room.pair(i);
        if (kept == 0 || pr[0] != v[2 * (kept - 1)]) {
            v[2 * kept] = pr[0];
            v[2 * kept + 1] = pr[1];
            ++kept;
        }
    }
    t->sorted = v;
    t->n = kept;
    return t;
}

// Index of the first pair whose analysis value is not below x.
int64_t lowerbound(const readtimes* t, double x) {
    int64_t lo = 0, hi = t->n;
    while (lo < hi) {
        const int64_t mid = (lo + hi) / 2;
        if (t->sorted[2 * mid] < x) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

}  // namespace

bool rtwanted(const vyxstate* s) { return s->popt.pflags.ppout || s->life.emflags[EMF_ITPRINTEM]; }

bool rtadd(vyxstate* s, double x, double read) {
    if (std::isnan(x) || std::isnan(read)) return true;
    readtimes* t = table(s);
    if (!t) return false;
    readtimes::chunk* c = t->head;
    if (!c || c->n == 4096) {
        c = poolget<readtimes::chunk>(s->pools.stmtpool, 1, poolflag::raw);
        if (!c) return false;
        c->next = t->head;
        c->n = 0;
        t->head = c;
    }
    c->v[2 * c->n] = x;
    c->v[2 * c->n + 1] = read;
    ++c->n;
    t->sealed = false;
    return true;
}

double rtime(vyxstate* s, double x) {
    const readtimes* t = sealed(s);
    if (t && t->n > 0 && !std::isnan(x)) {
        // The rows of a curve ask in ascending order: the value found last, or the next one.
        int64_t i = s->life.rtimes->hint;
        if (!(i < t->n && t->sorted[2 * i] == x) && !(++i < t->n && t->sorted[2 * i] == x)) i = lowerbound(t, x);
        if (i < t->n && t->sorted[2 * i] == x) {
            s->life.rtimes->hint = i;
            return t->sorted[2 * i + 1];
        }
    }
    return timeunits(s, x);
}

double rtend(vyxstate* s, double moved) {
    const readtimes* t = sealed(s);
    if (t && t->n > 0 && std::isfinite(moved) && moved != DBL_MAX && moved != -DBL_MAX) {
        // The estimate moves an end by 2000 units in the last place (relative beyond 1) and
        // counts ends closer than twice that as one: the nearest end kept within it.
        const double reach = 3000 * 1.110223024625157e-16 * std::max(std::fabs(moved), 1.0);
        const int64_t i = lowerbound(t, moved);
        double best = DBL_MAX;
        int64_t at = -1;
        for (int64_t j : {i - 1, i}) {
            if (j < 0 || j >= t->n) continue;
            const double d = std::fabs(t->sorted[2 * j] - moved);
            if (d <= reach && d < best) best = d, at = j;
        }
        if (at >= 0) return t->sorted[2 * at + 1];
    }
    return timeunits(s, moved);
}
