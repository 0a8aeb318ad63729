// Times as the data set holds them, kept beside the analysis scale's values so that a table
// row standing for an observed time prints the time read (readtimes.h).
#include "proc/lifedist/readtimes.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "host/hostdefs.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist.h"

namespace {

struct rtpair {
    double x;      // on the analysis scale
    double read;   // as the data set holds it
};

}  // namespace

// Pairs come in chunks from the statement pool while the data are read; the first lookup
// places them in buckets of the analysis value (`sealed` below) and a lookup reads the
// few pairs of its value's bucket.
struct readtimes {
    static constexpr int32_t kPairs = 4096;   // pairs a chunk holds
    struct chunk {
        chunk* next;
        int32_t n;
        rtpair p[kPairs];
    };
    chunk* head = nullptr;
    int64_t n = 0;               // pairs in the chunks
    double lo = DBL_MAX, hi = -DBL_MAX;   // the least and greatest analysis value
    // After the seal: the pairs by bucket, each bucket's pairs in the order they were read (a
    // bucket of more than kScan pairs ordered by value, stably), bucket b at [start[b], start[b + 1]).
    rtpair* pairs = nullptr;
    uint32_t* start = nullptr;
    int64_t nbuckets = 0;
    double scale = 0;
    bool sealed = false;
};

namespace {

// A bucket with more pairs than this is ordered and searched instead of read through.
constexpr uint32_t kScan = 64;
// Buckets of a first pass (each of kFine buckets of the lookups) keep their pairs' moves
// within the cache.
constexpr int kFineBits = 6;

readtimes* table(vyxstate* s) {
    if (!s->life.rtimes && s->pools.stmtpool) {
        void* p = poolbytes(s->pools.stmtpool, sizeof(readtimes), poolflag::zeroed);
        if (p) s->life.rtimes = new (p) readtimes();
    }
    return s->life.rtimes;
}

// The bucket of an analysis value: its place between the least and the greatest value, in
// nbuckets equal steps. Never smaller for a greater value (each operation rounds
// monotonically), so equal values share a bucket and buckets follow the values' order.
inline int64_t bucketof(const readtimes* t, double x) {
    const double y = (x - t->lo) * t->scale;
    if (!(y > 0)) return 0;
    if (y >= static_cast<double>(t->nbuckets)) return t->nbuckets - 1;
    return static_cast<int64_t>(y);
}

// Places the pairs of the chunks in their buckets: the pairs' buckets counted, the pairs moved
// to groups of 2^kFineBits buckets (a few thousand places written in turn), then within
// each group to their buckets; every move keeps the order the pairs were read in.
const readtimes* sealed(vyxstate* s) {
    readtimes* t = s->life.rtimes;
    if (!t) return nullptr;
    if (t->sealed) return t;
    t->sealed = true;
    t->pairs = nullptr;
    const int64_t n = t->n;
    if (n == 0) return t;
    std::vector<const readtimes::chunk*> chunks;   // oldest first
    for (const readtimes::chunk* c = t->head; c; c = c->next) chunks.push_back(c);
    std::reverse(chunks.begin(), chunks.end());

    const int64_t nb = static_cast<int64_t>(std::bit_ceil(static_cast<uint64_t>(std::max<int64_t>(n / 4, 1))));
    const double span = t->hi - t->lo;
    t->nbuckets = nb;
    t->scale = span > 0 && std::isfinite(span) ? static_cast<double>(nb) / span : 0.0;
    auto* v = static_cast<rtpair*>(poolbytes(s->pools.stmtpool, n * int64_t(sizeof(rtpair)), poolflag::raw));
    auto* start = static_cast<uint32_t*>(poolbytes(s->pools.stmtpool, (nb + 1) * 4, poolflag::zeroed));
    if (!v || !start || n >= (int64_t(1) << 32)) return t;   // the tables fall back to the values taken back

    for (const readtimes::chunk* c : chunks)
        for (int32_t i = 0; i < c->n; ++i) ++start[bucketof(t, c->p[i].x)];
    uint32_t sum = 0;
    uint32_t largest = 0;   // pairs of the largest group
    for (int64_t b = 0; b < nb; ++b) {
        const uint32_t here = start[b];
        start[b] = sum;
        sum += here;
        if (((b + 1) & ((int64_t(1) << kFineBits) - 1)) == 0 || b + 1 == nb) {
            const int64_t g0 = b & ~((int64_t(1) << kFineBits) - 1);
            largest = std::max(largest, sum - start[g0]);
        }
    }
    start[nb] = sum;

    const int64_t ngroups = (nb + (int64_t(1) << kFineBits) - 1) >> kFineBits;
    std::vector<uint32_t> at(static_cast<size_t>(ngroups));
    for (int64_t g = 0; g < ngroups; ++g) at[size_t(g)] = start[g << kFineBits];
    for (const readtimes::chunk* c : chunks)
        for (int32_t i = 0; i < c->n; ++i) v[at[size_t(bucketof(t, c->p[i].x) >> kFineBits)]++] = c->p[i];

    std::vector<rtpair> group(largest);
    std::vector<uint32_t> fine(size_t(1) << kFineBits);
    for (int64_t g = 0; g < ngroups; ++g) {
        const int64_t b0 = g << kFineBits, b1 = std::min(nb, b0 + (int64_t(1) << kFineBits));
        const uint32_t from = start[b0], to = start[b1];
        if (to - from < 2 || b1 - b0 < 2) continue;
        std::copy(v + from, v + to, group.begin());
        for (int64_t b = b0; b < b1; ++b) fine[size_t(b - b0)] = start[b];
        for (uint32_t i = 0; i < to - from; ++i) v[fine[size_t(bucketof(t, group[i].x) - b0)]++] = group[i];
    }
    for (int64_t b = 0; b < nb; ++b)
        if (start[b + 1] - start[b] > kScan)
            std::stable_sort(v + start[b], v + start[b + 1], [](const rtpair& a, const rtpair& c) { return a.x < c.x; });
    t->pairs = v;
    t->start = start;
    return t;
}

// The first pair read of value x, or null.
const rtpair* find(const readtimes* t, double x) {
    const int64_t b = bucketof(t, x);
    const rtpair *p = t->pairs + t->start[b], *e = t->pairs + t->start[b + 1];
    if (e - p > static_cast<std::ptrdiff_t>(kScan)) {
        p = std::lower_bound(p, e, x, [](const rtpair& a, double y) { return a.x < y; });
        return p != e && p->x == x ? p : nullptr;
    }
    for (; p != e; ++p)
        if (p->x == x) return p;
    return nullptr;
}

}  // namespace

bool rtwanted(const vyxstate* s) { return s->popt.pflags.ppout || s->life.emflags[EMF_ITPRINTEM]; }

bool rtadd(vyxstate* s, double x, double read) {
    if (std::isnan(x) || std::isnan(read)) return true;
    readtimes* t = table(s);
    if (!t) return false;
    readtimes::chunk* c = t->head;
    if (!c || c->n == readtimes::kPairs) {
        c = poolget<readtimes::chunk>(s->pools.stmtpool, 1, poolflag::raw);
        if (!c) return false;
        c->next = t->head;
        c->n = 0;
        t->head = c;
    }
    c->p[c->n++] = rtpair{x, read};
    ++t->n;
    t->lo = std::min(t->lo, x);
    t->hi = std::max(t->hi, x);
    t->sealed = false;
    return true;
}

double timeunits(const vyxstate* s, double x) {
    if (x == DBL_MAX || x == -DBL_MAX || std::isnan(x)) return hostmissing();
    if (s->opts.logscale[LSC_LN]) x = std::exp(x);
    else if (s->opts.logscale[LSC_LOG10]) x = std::exp(x * 2.302585092994046);
    if (s->work.thrflags[TH_GIVEN]) x += s->opts.fixedparms[FP_THRESHOLD];
    return x;
}

double rtime(vyxstate* s, double x) {
    const readtimes* t = sealed(s);
    if (t && t->pairs && !std::isnan(x))
        if (const rtpair* p = find(t, x)) return p->read;
    return timeunits(s, x);
}

double rtend(vyxstate* s, double moved) {
    const readtimes* t = sealed(s);
    if (t && t->pairs && std::isfinite(moved) && moved != DBL_MAX && moved != -DBL_MAX) {
        // The estimate moves an end by 2000 units in the last place (relative beyond 1) and
        // counts ends closer than twice that as one: the nearest value kept within it, the
        // one below on a tie. The buckets searched hold every value within twice that.
        const double reach = 3000 * 1.110223024625157e-16 * std::max(std::fabs(moved), 1.0);
        const rtpair *below = nullptr, *above = nullptr;   // the greatest value below, the least from moved up
        for (int64_t b = bucketof(t, moved - 2 * reach), e = bucketof(t, moved + 2 * reach); b <= e; ++b) {
            const rtpair *p = t->pairs + t->start[b], *end = t->pairs + t->start[b + 1];
            if (end - p > static_cast<std::ptrdiff_t>(kScan)) {
                // Ordered: the first of the value below moved, the first from moved up.
                const rtpair* i = std::lower_bound(p, end, moved, [](const rtpair& a, double y) { return a.x < y; });
                if (i != p) {
                    const double y = (i - 1)->x;
                    const rtpair* f = std::lower_bound(p, i, y, [](const rtpair& a, double z) { return a.x < z; });
                    if (!below || f->x > below->x) below = f;
                }
                if (i != end && (!above || i->x < above->x)) above = i;
                continue;
            }
            for (; p != end; ++p) {
                if (p->x < moved) {
                    if (!below || p->x > below->x) below = p;
                } else if (!above || p->x < above->x) {
                    above = p;
                }
            }
        }
        double best = DBL_MAX;
        const rtpair* at = nullptr;
        for (const rtpair* c : {below, above}) {
            if (!c) continue;
            const double d = std::fabs(c->x - moved);
            if (d <= reach && d < best) best = d, at = c;
        }
        if (at) return at->read;
    }
    return timeunits(s, moved);
}
