// EM iterations of the Turnbull masses over the runs of intervals.
//
// The runs are cut into parts (their number and size set by the group's runs alone); each
// part sums its own share of the log-likelihood and its own difference array of the
// gradient, and the parts are combined in their order. The parts do not depend on the
// number of threads, so the digits do not either.
// With several parts and THREADS on, the parts of an iteration are spread over a team of
// up to CPUCOUNT threads: every member sums a part into a place of its own and publishes it
// to the part's place, and a member of the team sums the prefix sums of the masses it reads
// into a place of its own (a member that the system put aside may still be reading when the
// round has ended without it). The procedure's thread computes its own prefix sums only when
// it sums a part, and writes the masses for the members past the caches: when other
// processors read a line it writes, each write waits for the line to come back, and the
// prefix sums written there for the members took a third of its time between rounds. A part's
// difference array is zero outside the span of the intervals its runs start at and end
// after, so only that span is cleared, published and added (adding the zeros outside it
// would change no digit); a run through the last interval subtracts its share past the
// gradient's end, at place m, which no sum reads, so the span leaves it out.
#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>

#include <emmintrin.h>
#include <cstdint>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/team.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/tables.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/numeric/lnpos.h"

namespace {

constexpr double E = 1000 * 1.110223024625157e-16;
constexpr double TINY = 1.110223024625157e-16;
constexpr int32_t kPartRuns = 4096;    // the most runs of one part
constexpr int32_t kPartsBy = 8;         // a group of more runs has a multiple of this many parts

// Prefix sums of the masses p[0 .. m-1] as double-double values into P, the high and low
// part of each side by side. A member of the team reads the masses with atomic loads (a
// member put aside may still be reading when the procedure's thread writes them anew).
// From = k continues sums that P holds up to index k.
template <bool atomic>
void prefix(const double* p, int32_t m, double* P, int32_t from = 0) {
    if (from == 0) P[0] = P[1] = 0;
    double sh = P[2 * from], sl = P[2 * from + 1];
    for (int32_t k = from; k < m; ++k) {
        const double pk = atomic ? std::atomic_ref<const double>(p[k]).load(std::memory_order_relaxed) : p[k];
        const double t = sh + pk;
        const double b = t - sh;
        sl += (sh - (t - b)) + (pk - b);
        sh = t;
        P[2 * k + 2] = sh;
        P[2 * k + 3] = sl;
    }
}

// Per run: its log-likelihood term w ln D and its share w/D of the gradient; the result
// counts the runs whose mass is below TINY or not a number. One pass without branches, so
// that it vectorizes (with wider vectors where the processor has them: AVX-512's shifts and
// conversions of 64-bit lanes take the logarithm a third faster than AVX2's). The file is
// compiled without multiply-add fusing, so that every clone gives the plain one's digits.
// (Not under the thread sanitizer: the clones' resolver runs before the sanitizer is set up.)
#if defined(__SANITIZE_THREAD__)
#define VX_CLONES
#else
#define VX_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#endif
VX_CLONES
int32_t runterms(const double* D, const double* w, double* term, double* share, int32_t n) {
    int32_t bad = 0;
    for (int32_t r = 0; r < n; ++r) {
        bad += !(D[r] >= TINY);
        term[r] = w[r] * lnpos(D[r]);
        share[r] = w[r] / D[r];
    }
    return bad;
}

// The shares alone, for an iteration whose log-likelihood is not needed.
VX_CLONES
int32_t runshares(const double* D, const double* w, double* share, int32_t n) {
    int32_t bad = 0;
    for (int32_t r = 0; r < n; ++r) {
        bad += !(D[r] >= TINY);
        share[r] = w[r] / D[r];
    }
    return bad;
}

// s + c += x, the rounding error of the sum kept in c (Knuth's two-sum).
inline void addtwo(double& s, double& c, double x) {
    const double u = s + x;
    const double b = u - s;
    c += (s - (u - b)) + (x - b);
    s = u;
}

// The sum of t[0 .. n-1] as hi + lo, in eight lanes of two-sums: its error is about one
// rounding of the sum, whatever the number of terms.
VX_CLONES
void sumtwo(const double* t, int32_t n, double* hi, double* lo) {
    double s[8] = {0, 0, 0, 0, 0, 0, 0, 0}, c[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int32_t r = 0;
    for (; r + 8 <= n; r += 8)
        for (int j = 0; j < 8; ++j) addtwo(s[j], c[j], t[r + j]);
    for (; r < n; ++r) addtwo(s[0], c[0], t[r]);
    double S = 0, C = 0;
    for (int j = 0; j < 8; ++j) {
        addtwo(S, C, s[j]);
        C += c[j];
    }
    *hi = S;
    *lo = C;
}

// Where a member sums a part: the runs' masses, terms and shares, the part's difference
// array, and the prefix sums it reads.
struct emscratch {
    double* D;
    double* term;
    double* share;
    double* diff;
    double* P;
    double* placed;   // where the last part was summed: its own place, or the part's
    double ll, lllo;   // the part's sum of w ln D, as hi + lo
    int32_t bad;
    uint32_t Pround;  // the round whose masses P holds the prefix sums of, up to index Pupto
    int32_t Pupto;
    const double* Pof;
};

// What the parts of an iteration read and write.
struct emwork {
    int32_t m, G, nparts, partruns;
    const int32_t* lo;      // first interval of each run
    const int32_t* hi;      // last interval of each run
    const int32_t* a;       // prefix index of the run's start (lo), 0 for a run that covers nothing
    const int32_t* e;       // prefix index past its end (hi + 1), 0 for a run that covers nothing
    const int32_t* emax;    // per part: the largest e of its runs
    const int32_t* dmin;    // per part: the first place of its difference array that it changes
    const int32_t* dmax;    // and the last (below m)
    const int32_t* gfirst;  // per part: its first run of a new first interval (an index into gstart)
    const int32_t* gstart;  // the runs where a new first interval or a part begins, then G
    const double* w;        // summed weight of each run
    const double* p;        // the masses (the procedure's thread's)
    const double* pshare;   // the masses as the members read them
    const double* q;        // masses whose log-likelihood alone is wanted
    double* P;              // prefix sums of the masses, high and low part of each side by side
                            // (the procedure's thread's own)
    const double** Pof;     // the masses whose prefix sums P holds (null: none yet)
    double* D;              // mass of each run (only when a run stops the iterations)
    emscratch* scratch;     // per member of the team
    double* partll;         // per part: its sum of w ln D, as a pair hi, lo
    int32_t* partbad;       // per part: its runs with almost no mass
    double* partdiff;       // per part: m + 1 doubles, its difference array of the gradient
    double* diff;           // the parts' difference arrays combined
};

// The prefix sums of the masses p on the procedure's thread, once for each array of masses.
const double* ownprefix(const emwork& x, const double* p) {
    if (*x.Pof != p) {
        prefix<false>(p, x.m, x.P);
        *x.Pof = p;
    }
    return x.P;
}

// The sums of one part over its runs [b, end) into the member's place.
void partsums(const emwork& x, int part, int32_t end, bool withll, int member, bool together, const double* p,
              uint32_t round) {
    emscratch& sc = x.scratch[member];
    const int32_t b = part * x.partruns;
    const int32_t n = end - b;
    const double* P;
    if (together) {
        // Once a round: the sums a part of the round before this one left are extended.
        const bool kept = round != 0 && sc.Pround == round && sc.Pof == p;
        if (!kept || sc.Pupto < x.emax[part]) {
            prefix<true>(p, x.emax[part], sc.P, kept ? sc.Pupto : 0);
            sc.Pround = round;
            sc.Pof = p;
            sc.Pupto = x.emax[part];
        }
        P = sc.P;
    } else {
        P = ownprefix(x, p);
    }
    // D = (high(e) - high(a)) + (low(e) - low(a)): both differences in one vector operation.
    for (int32_t r = b; r < end; ++r) {
        const __m128d d = _mm_sub_pd(_mm_loadu_pd(P + 2 * x.e[r]), _mm_loadu_pd(P + 2 * x.a[r]));
        sc.D[r - b] = _mm_cvtsd_f64(d) + _mm_cvtsd_f64(_mm_unpackhi_pd(d, d));
    }
    if (withll) {
        sc.bad = runterms(sc.D, x.w + b, sc.term, sc.share, n);
        sumtwo(sc.term, n, &sc.ll, &sc.lllo);
    } else {
        sc.bad = runshares(sc.D, x.w + b, sc.share, n);
        sc.ll = sc.lllo = 0;
    }
    // Alone, the part is summed straight into its place (nobody else writes there: a member
    // that drew the part and comes back late finds it taken).
    double* diff = together ? sc.diff : x.partdiff + int64_t(part) * (x.m + 1);
    sc.placed = diff;
    for (int32_t k = x.dmin[part]; k <= x.dmax[part]; ++k) diff[k] = 0;
    diff[x.m] = 0;
    // The runs come ordered by their first interval: add each first interval's shares once,
    // summed in run order. Four such sums run side by side, so that their chains of additions
    // overlap; a sum shorter than the others goes on adding +0, which changes no sum (one
    // that starts at +0 is never -0).
    const double* sh = sc.share - b;
    const int32_t gend = x.gfirst[part + 1];
    for (int32_t i = x.gfirst[part]; i < gend && x.gstart[i] < end; i += 4) {
        int32_t st[4], n[4], lim[4], most = 0;
        for (int L = 0; L < 4; ++L) {
            const int32_t g = i + L;
            st[L] = g < gend ? std::min(x.gstart[g], end) : end;
            n[L] = (g < gend ? std::min(x.gstart[g + 1], end) : end) - st[L];
            if (n[L] == 0) st[L] = b;   // read in place, never added
            lim[L] = n[L] > 0 ? n[L] - 1 : 0;
            most = std::max(most, n[L]);
        }
        double add[4] = {0, 0, 0, 0};
        for (int32_t j = 0; j < most; ++j)
            for (int L = 0; L < 4; ++L) {
                const double v = sh[st[L] + std::min(j, lim[L])];
                add[L] += j < n[L] ? v : 0.0;
            }
        for (int L = 0; L < 4; ++L)
            if (n[L] > 0) diff[x.lo[st[L]]] += add[L];
    }
    for (int32_t q = b; q < end; ++q) diff[x.hi[q] + 1] -= sc.share[q - b];
}

// The member's sums of the part to the part's place.
void publish(void* ctx, int part, int member) {
    const emwork& x = *static_cast<const emwork*>(ctx);
    const emscratch& sc = x.scratch[member];
    double* to = x.partdiff + int64_t(part) * (x.m + 1);
    if (sc.placed != to)
        for (int32_t k = x.dmin[part]; k <= x.dmax[part]; ++k) to[k] = sc.diff[k];
    x.partll[2 * part] = sc.ll;
    x.partll[2 * part + 1] = sc.lllo;
    x.partbad[part] = sc.bad;
}

int32_t partend(const emwork& x, int part) { return (part + 1) * x.partruns < x.G ? (part + 1) * x.partruns : x.G; }

void runpart(void* ctx, int part, int member, bool together, uint32_t round) {
    const emwork& x = *static_cast<const emwork*>(ctx);
    partsums(x, part, partend(x, part), true, member, together, together ? x.pshare : x.p, round);
}

// The log-likelihood of the masses q.
void llpart(void* ctx, int part, int member, bool together, uint32_t round) {
    const emwork& x = *static_cast<const emwork*>(ctx);
    partsums(x, part, partend(x, part), true, member, together, x.q, round);
}

// An iteration whose log-likelihood is not needed: the masses and shares of the runs and
// the gradient, no logarithms.
void sharepart(void* ctx, int part, int member, bool together, uint32_t round) {
    const emwork& x = *static_cast<const emwork*>(ctx);
    partsums(x, part, partend(x, part), false, member, together, together ? x.pshare : x.p, round);
}

// A lower bound of the change of the log-likelihood from the masses p to their EM image q:
// by Jensen's inequality ll(q) - ll(p) >= sum_k q_k ln(q_k / p_k). *spread receives the sum
// of the terms' sizes, which bounds the error of the computed sum.
double emgain(const double* p, const double* q, int32_t m, double* spread) {
    double B = 0, A = 0;
    for (int32_t k = 0; k < m; ++k)
        if (p[k] > 0 && q[k] > 0) {
            const double t = q[k] * std::log(q[k] / p[k]);
            B += t;
            A += std::fabs(t);
        }
    *spread = A;
    return B;
}

// A lower bound of that bound without logarithms, in one pass that vectorizes: with
// d = q/p - 1, ln(1 + d) >= d - d^2/2 for d >= 0 and >= d - d^2 / (2 (1 + d)) for d < 0, so
// q ln(q/p) >= q d - max(p, q) d^2 / 2. As the masses converge d is small and the bound
// gives up only terms of d^3. Terms with p or q zero are left out, as in emgain; the result
// counts the intervals whose d is not a number.
VX_CLONES
int32_t gainbounds(const double* p, const double* q, double* t, int32_t m) {
    int32_t odd = 0;
    for (int32_t k = 0; k < m; ++k) {
        const double d = (q[k] - p[k]) / p[k];
        const bool use = (p[k] > 0) & (q[k] > 0);
        const bool finite = std::fabs(d) <= DBL_MAX;
        odd += use & !finite;
        const double v = q[k] * d - std::max(p[k], q[k]) * (d * d) * 0.5;
        t[k] = use & finite ? v : 0.0;
    }
    return odd;
}

// The bound of gainbounds, its sums in four lanes; emgain where a d is not a number.
double emgainlanes(const double* p, const double* q, double* t, int32_t m, double* spread) {
    if (gainbounds(p, q, t, m) > 0) return emgain(p, q, m, spread);
    double B[4] = {0, 0, 0, 0}, A[4] = {0, 0, 0, 0};
    int32_t k = 0;
    for (; k + 4 <= m; k += 4)
        for (int j = 0; j < 4; ++j) {
            B[j] += t[k + j];
            A[j] += std::fabs(t[k + j]);
        }
    for (; k < m; ++k) {
        B[0] += t[k];
        A[0] += std::fabs(t[k]);
    }
    *spread = (A[0] + A[1]) + (A[2] + A[3]);
    return (B[0] + B[1]) + (B[2] + B[3]);
}

// The log-likelihood: start plus the sums of the parts, added in part order as two-sums.
double llsum(double start, const double* partll, int32_t nparts) {
    double s = start, c = 0;
    for (int32_t q = 0; q < nparts; ++q) {
        addtwo(s, c, partll[2 * q]);
        c += partll[2 * q + 1];
    }
    return s + c;
}

// to[k] += from[k] for k < n.
VX_CLONES
void addto(double* to, const double* from, int32_t n) {
    for (int32_t k = 0; k < n; ++k) to[k] += from[k];
}

// The difference arrays of the parts added in part order, each over its span.
void combine(const emwork& x) {
    for (int32_t k = 0; k <= x.m; ++k) x.diff[k] = 0;
    for (int32_t p = 0; p < x.nparts; ++p) {
        const double* from = x.partdiff + int64_t(p) * (x.m + 1);
        if (x.dmin[p] <= x.dmax[p]) addto(x.diff + x.dmin[p], from + x.dmin[p], x.dmax[p] - x.dmin[p] + 1);
    }
}

// The runs of a part: one part for a group of at most kPartRuns runs, else a multiple of
// kPartsBy parts of equal size (the last one shorter; fewer where the rounding leaves the
// last ones with no run), so that a team of 2, 4 or 8 members has the same number of parts
// to sum each. They depend on the group alone, not on CPUCOUNT.
int32_t partsize(int32_t G) {
    if (G <= kPartRuns) return kPartRuns;
    const int64_t cut = kPartsBy * ((int64_t(G) + kPartsBy * kPartRuns - 1) / (kPartsBy * kPartRuns));
    return static_cast<int32_t>((G + cut - 1) / cut);
}

// A run's ends as prefix indexes, once: a run that covers no interval has mass 0; the
// last prefix sum each part reads, and the span of its difference array; the runs where a
// new first interval or a part begins.
void partlayout(const int32_t* lo, const int32_t* hi, int32_t G, int32_t m, int32_t nparts, int32_t partruns, int32_t* ra,
                int32_t* re, int32_t* emax, int32_t* dmin, int32_t* dmax, int32_t* gfirst, int32_t* gstart) {
    for (int32_t q = 0; q < nparts; ++q) {
        dmin[q] = m;
        emax[q] = dmax[q] = 0;
    }
    for (int32_t r = 0; r < G; ++r) {
        const bool covers = lo[r] <= hi[r];
        ra[r] = covers ? lo[r] : 0;
        re[r] = covers ? hi[r] + 1 : 0;
        const int32_t q = r / partruns;
        emax[q] = std::max(emax[q], re[r]);
        const int32_t past = hi[r] + 1 < m ? hi[r] + 1 : lo[r];   // place m is never read
        dmin[q] = std::min({dmin[q], lo[r], past});
        dmax[q] = std::max({dmax[q], lo[r], past});
    }
    int32_t ng = 0;
    gfirst[0] = 0;
    for (int32_t r = 0; r < G; ++r) {
        if (r % partruns == 0) gfirst[r / partruns] = ng;
        if (r % partruns == 0 || lo[r] != lo[r - 1]) gstart[ng++] = r;
    }
    gfirst[nparts] = ng;
    gstart[ng] = G;
    if (nparts == 1) {   // its difference array is the gradient's: every place
        dmin[0] = 0;
        dmax[0] = m;
    }
}

}  // namespace

// One iteration: D = the mass over an observation's run, ll = -W ln W + sum w ln D, the
// gradient g_k = sum over the runs through k of w/D, and the new masses p_k g_k. The masses
// of the runs are differences of prefix sums kept as double-double values (so a run's mass
// keeps its digits however large the masses before it); the gradient comes from a
// difference array over the runs.
int emiter(vyxstate* s, grpnode* g, const emruns* runs) {
    const int32_t m = g->nturn;
    const int32_t G = runs->ngroups;
    const double W = g->totw;
    double* p = g->emtab + EMT_CUM * m;
    double* grad = g->emtab + EMT_GRAD * m;
    double* next = g->emtab + EMT_MULT * m;
    double* hist = g->emtab + EMT_SE * m;
    double* start = g->emtab + EMT_LOWER * m;
    const int32_t partruns = partsize(G);
    const int32_t nparts = G > kPartRuns ? (G + partruns - 1) / partruns : 1;
    const int want = nparts > 1 ? teamsize() : 1;
    team* crew = want > 1 ? teamstart(s->pools.workpool, want < nparts ? want : nparts, nparts) : nullptr;
    const int members = teammembers(crew);
    // P, diff, the gain's terms, the masses the members read (two arrays on lines of
    // their own); D; the parts' sums and difference arrays; each member's place.
    const int64_t perscratch = 3 * int64_t(partruns) + 3 * (int64_t(m) + 1);
    const int64_t doubles = 4 * (int64_t(m) + 1) + 2 * ((int64_t(m) + 7) & ~int64_t(7)) + 8 + int64_t(G) + int64_t(nparts) * (m + 3) + members * perscratch;
    const int64_t ints = 3 * int64_t(G) + 6 * int64_t(nparts) + 3;
    const int64_t bytes = doubles * 8 + ints * 4 + int64_t(members) * int64_t(sizeof(emscratch));
    auto* work = static_cast<double*>(poolbytes(s->pools.workpool, bytes, poolflag::raw));
    if (!work) {
        teamstop(crew);
        xmemmsg(bytes);
        xexit(RC_NOMEM, 0);
        return 0;
    }
    double* P = work;
    double* diff = P + 2 * (int64_t(m) + 1);
    double* gt = diff + (m + 1);
    // The masses the members read, each array on lines of its own.
    auto* lines = reinterpret_cast<double*>((reinterpret_cast<uintptr_t>(gt + (m + 1)) + 63) & ~uintptr_t(63));
    double* pshare = lines;
    double* llq = pshare + ((m + 7) & ~7);
    double* D = llq + ((m + 7) & ~7);
    double* partll = D + G;
    double* partdiff = partll + 2 * nparts;
    double* places = partdiff + int64_t(nparts) * (m + 1);
    auto* ends = reinterpret_cast<int32_t*>(places + members * perscratch);
    int32_t* ra = ends;
    int32_t* re = ends + G;
    int32_t* partbad = re + G;
    int32_t* emax = partbad + nparts;
    int32_t* dmin = emax + nparts;
    int32_t* dmax = dmin + nparts;
    int32_t* gfirst = dmax + nparts;
    int32_t* gstart = gfirst + nparts + 1;
    auto* scratch = reinterpret_cast<emscratch*>(gstart + G + nparts + 1 + (G & 1));
    for (int i = 0; i < members; ++i) {
        double* q = places + i * perscratch;
        scratch[i] = emscratch{q, q + partruns, q + 2 * partruns, q + 3 * partruns,
                               q + 3 * partruns + (m + 1), nullptr, 0, 0, 0, 0, 0, nullptr};
    }
    const int32_t* lo = runs->lo;
    const int32_t* hi = runs->hi;
    partlayout(lo, hi, G, m, nparts, partruns, ra, re, emax, dmin, dmax, gfirst, gstart);
    const double* pof = nullptr;   // whose prefix sums P holds
    emwork x{m, G, nparts, partruns, lo, hi, ra, re, emax, dmin, dmax, gfirst, gstart, runs->w, p, pshare, llq, P, &pof, D, scratch,
             partll, partbad, partdiff, nparts > 1 ? diff : partdiff};
    // The masses as the members read them. The members hold these lines for reading, and a
    // write to such a line waits until the others have given it up, one line after the other:
    // written past the caches (whole lines, no reading of the line first), they cost the
    // procedure's thread little, and the members read them from memory in sequence. A member
    // put aside may still be reading; its result is dropped.
    auto store = [&](double* to, const double* from) {
        if (!crew) {
            for (int32_t k = 0; k < m; ++k) to[k] = from[k];
        } else {
            int32_t k = 0;
            for (; k + 2 <= m; k += 2) _mm_stream_pd(to + k, _mm_loadu_pd(from + k));
            if (k < m) std::atomic_ref<double>(to[k]).store(from[k], std::memory_order_relaxed);
            _mm_sfence();
        }
        if (pof == to) pof = nullptr;
    };

    const bool history = s->life.emflags[EMF_ITPRINTEM] != 0;
    const int32_t maxit = s->life.emmaxit[EM_MAXIT];
    const int32_t step = s->life.emmaxit[EM_HISTSTEP];
    const double tol = s->life.fit.itopts[IT_TOLLIKE];
    const double llstart = W > 0 ? -W * std::log(W) : 0.0;

    // The log-likelihood of the masses q, summed as an iteration sums it.
    auto llof = [&] {
        store(llq, start);
        teamrun(crew, nparts, llpart, publish, &x);
        return llsum(llstart, partll, nparts);
    };
    // An iteration needs its log-likelihood only for the convergence test (and the history
    // rows). While the EM gain of its masses over those of the iteration before is surely
    // above TOLLIKE, the test surely fails: the iteration computes no logarithms, and the
    // log-likelihood of the iteration before is computed when the test is next needed. The
    // margin bounds the error of a computed log-likelihood: its terms sum to at most W |ln W|
    // + |ll| in size (masses of at most W), and ll only grows from iteration 0; each term is
    // within some roundings of its value, and their two-sums within about one rounding of
    // the sum. The bound of the gain is checked at every iteration until it has failed a few
    // times in a row, then at every 64th (it falls as the iterations converge); leaving
    // it out never changes a result.
    const bool skipok = !history && W > 0;
    double margin = 0;
    bool known = false;   // ll is the log-likelihood of the masses of the iteration before
    int32_t misses = 0;   // bounds in a row that allowed no skip
    int converged = 0;
    double ll = 0, prev = 0;
    s->life.fit.itstatus[ITS_ITER] = 0;
    for (int64_t it = 0; it <= maxit; ++it) {   // 64 bits: MAXITEM may be the largest int
        bool skip = false;
        if (it >= 1 && skipok && (misses < 8 || it % 64 == 0)) {
            double spread = 0;
            const double gain = emgainlanes(start, p, gt, m, &spread);
            skip = gain - 2e-9 * spread - TINY * W >= tol + 2 * margin;
            misses = skip ? 0 : misses + 1;
        }
        if (!skip && it >= 1 && !known) ll = llof();
        for (int32_t k = 0; k < m; ++k) start[k] = p[k];
        if (crew) store(pshare, p);
        teamrun(crew, nparts, skip ? sharepart : runpart, publish, &x);
        int32_t bad = 0;
        for (int32_t q = 0; q < nparts; ++q) bad += x.partbad[q];
        // A run with almost no mass (or no number) stops the iterations where it comes:
        // the sums take the runs before it.
        int32_t used = nparts, upto = G;
        if (bad > 0) {
            ownprefix(x, p);
            for (int32_t r = 0; r < G; ++r)
                D[r] = (P[2 * re[r]] - P[2 * ra[r]]) + (P[2 * re[r] + 1] - P[2 * ra[r] + 1]);
            upto = 0;
            while (D[upto] >= TINY) ++upto;
            used = upto / partruns + 1;
            for (int32_t q = skip ? 0 : used - 1; q < used; ++q) {
                partsums(x, q, q + 1 < used ? partend(x, q) : upto, true, 0, false, p, 0);
                publish(&x, q, 0);
            }
            skip = false;
        }
        if (!skip) {
            prev = ll;
            ll = llsum(llstart, partll, used);
        }
        known = !skip;
        if (it == 0) margin = 16 * TINY * 1.01 * (W * std::fabs(std::log(W)) + std::fabs(ll)) + 4 * TINY * W;
        if (nparts > 1) {
            x.nparts = used;
            combine(x);
            x.nparts = nparts;
        }
        double run = 0;
        for (int32_t k = 0; k < m; ++k) {
            run += x.diff[k];
            grad[k] = run;
            next[k] = p[k] * run;
        }
        if (upto < G) break;
        for (int32_t k = 0; k < m; ++k) p[k] = next[k];
        pof = nullptr;
        if (!skip && it >= 1 && std::fabs(ll - prev) < tol) converged = 1;
        s->life.fit.itstatus[ITS_ITER] = static_cast<uint32_t>(it);
        if (history) {
            s->life.fit.loglik.current = ll;
            for (int32_t k = 0; k < m; ++k) hist[k] = start[k] > W ? 1.0 : start[k] / W;   // never above 1
            if ((converged || std::fmod(double(it), double(step)) < E) && s->out.curtab) tabrow(s->out.curtab);
        }
        if (converged) break;
    }
    if (!known) ll = llof();
    teamstop(crew);
    for (int32_t k = 0; k < m; ++k) {
        grad[k] *= W;
        p[k] = start[k];
    }
    s->life.fit.loglik.current = ll;
    return converged;
}
