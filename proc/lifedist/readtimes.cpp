#include "proc/lifedist/readtimes.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>

#include "host/hostdefs.h"
#include "proc/framework/pools.h"
#include "proc/framework/vyxstate.h"
#include "proc/lifedist/lsfit.h"

// Pairs (analysis scale, read) come in chunks from the statement pool while the data are
// read; the first lookup gathers them into one array sorted by the analysis value.
struct readtimes {
    struct chunk {
        chunk* next;
        int32_t n;
        double v[2 * 4096];
    };
    chunk* head = nullptr;
    double* sorted = nullptr;   // pairs, ascending in the analysis value, one per value
    int64_t n = 0;
    bool sealed = false;
};

namespace {

readtimes* table(vyxstate* s) {
    if (!s->rtimes && s->stmtpool) {
        void* p = vmalcp_handler(s->stmtpool, sizeof(readtimes), 0x2006);
        if (p) s->rtimes = new (p) readtimes();
    }
    return s->rtimes;
}

const readtimes* sealed(vyxstate* s) {
    readtimes* t = s->rtimes;
    if (!t) return nullptr;
    if (t->sealed) return t;
    t->sealed = true;
    int64_t n = 0;
    for (readtimes::chunk* c = t->head; c; c = c->next) n += c->n;
    if (n == 0) return t;
    auto* v = static_cast<double*>(vmalcp_handler(s->stmtpool, n * 16, 0x2004));
    if (!v) return t;   // the tables fall back to the values taken back
    int64_t k = 0;
    for (readtimes::chunk* c = t->head; c; c = c->next) {
        std::memcpy(v + 2 * k, c->v, static_cast<size_t>(c->n) * 16);
        k += c->n;
    }
    struct pair {
        double x, r;
    };
    pair* p = reinterpret_cast<pair*>(v);
    std::sort(p, p + n, [](const pair& a, const pair& b) { return a.x < b.x; });
    // One value read per analysis value: two values read that the scale cannot tell apart
    // are one point of the analysis (the first kept).
    int64_t kept = 0;
    for (int64_t i = 0; i < n; ++i)
        if (kept == 0 || p[i].x != p[kept - 1].x) p[kept++] = p[i];
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

bool rtwanted(const vyxstate* s) { return s->pflags.ppout || s->emflags[EMF_ITPRINTEM]; }

bool rtadd(vyxstate* s, double x, double read) {
    if (std::isnan(x) || std::isnan(read)) return true;
    readtimes* t = table(s);
    if (!t) return false;
    readtimes::chunk* c = t->head;
    if (!c || c->n == 4096) {
        c = static_cast<readtimes::chunk*>(vmalcp_handler(s->stmtpool, sizeof(readtimes::chunk), 0x2004));
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
        const int64_t i = lowerbound(t, x);
        if (i < t->n && t->sorted[2 * i] == x) return t->sorted[2 * i + 1];
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
