// The least-squares fit interface: crossproducts, factor, estimates, sums of squares and
// tests of linear hypotheses, cached per model.
#include "proc/effects/fitif.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>
#include "proc/effects/designcols.h"
#include "proc/effects/effects.h"
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/quantiles.h"
#include "proc/numeric/vecops.h"

// A cache record of the fit interface.
struct levfitrec {
    int32_t kind;
    void* data;
    levfitrec* next;
    double* extra[2];          // kind 12: the dependency record and a copy of the status bytes
};

namespace {

constexpr double EPS53 = 1.1102230246251565e-16;

int32_t positions(const levctl* ctl) {
    const levfitblk& f = ctl->fitblk;
    if (!f.colmap) return ctl->lstate->ncols;
    int32_t top = -1;
    for (int c = 0; c < ctl->lstate->ncols; ++c) top = std::max(top, f.colmap[c]);
    return top + 1;
}

size_t packed(int64_t n) { return static_cast<size_t>(n * (n + 1) / 2); }

double* newpacked(levctl* ctl, int64_t n) {
    return poolget<double>(ctl->ldata->ldpool, std::max<int64_t>(1, static_cast<int64_t>(packed(n))), poolflag::zeroed_marked);
}

// One row of the default design from the effects' cells (positions through map, or columns).
void xpx1cells(levctl* ctl, double w, double* a, const int32_t* map, int32_t P) {
    levstate* ls = ctl->lstate;
    const int nr = ctl->nresp;
    const double* y = ctl->fitblk.yvals;
    std::vector<int32_t> pos(static_cast<size_t>(ls->neffect));
    for (int i = 0; i < ls->neffect; ++i) {
        const effcell& c = ls->effcols[i];
        const int32_t col = ls->effects[i].firstcol + c.col;
        pos[static_cast<size_t>(i)] = c.col < 0 ? -1 : (map ? map[col] : col);
    }
    for (int i = 0; i < ls->neffect; ++i) {
        const int32_t a1 = pos[static_cast<size_t>(i)];
        if (a1 < 0) continue;
        for (int j = 0; j <= i; ++j) {
            const int32_t b1 = pos[static_cast<size_t>(j)];
            if (b1 < 0) continue;
            a[zisub(a1, b1)] += w * ls->effcols[i].value * ls->effcols[j].value;
        }
    }
    for (int r = 0; r < nr; ++r) {
        for (int j = 0; j < ls->neffect; ++j) {
            const int32_t b1 = pos[static_cast<size_t>(j)];
            if (b1 >= 0) a[zisub(P + r, b1)] += w * y[r] * ls->effcols[j].value;
        }
        for (int s = 0; s <= r; ++s) a[zisub(P + r, P + s)] += w * y[r] * y[s];
    }
    ++ctl->fitblk.rows;
}

levfitrec* findrec(levctl* ctl, int32_t kind) {
    for (levfitrec* r = ctl->fitblk.cache; r; r = r->next)
        if (r->kind == kind) return r;
    return nullptr;
}

levfitrec* addrec(levctl* ctl, int32_t kind, void* data) {
    auto* r = poolget<levfitrec>(ctl->ldata->ldpool, 1, poolflag::zeroed_marked);
    if (!r) return nullptr;
    r->kind = kind;
    r->data = data;
    levfitrec** link = &ctl->fitblk.cache;
    while (*link) link = &(*link)->next;
    *link = r;
    return r;
}

void FreeStuffData(levctl* ctl, levfitrec* r) {
    poolobj* pool = ctl->ldata->ldpool;
    if (r->data) poolput(pool, r->data);
    for (double*& x : r->extra)
        if (x) poolput(pool, x), x = nullptr;
    r->data = nullptr;
}

// Kind 1 or 12: the crossproducts swept on every design position.
double* swept(levctl* ctl, bool keeprecord, levfitrec* rec) {
    const double* x = static_cast<const double*>(zlevfit(ctl, FIT_XPX));
    if (!x) return nullptr;
    const int32_t P = positions(ctl), N = P + ctl->nresp;
    double* a = newpacked(ctl, N);
    if (!a) return nullptr;
    std::memcpy(a, x, sizeof(double) * packed(N));
    std::vector<char> status(static_cast<size_t>(std::max(N, 1)), '0');
    std::vector<double> work(static_cast<size_t>(std::max(N, 1)));
    double* record = nullptr;
    if (keeprecord) {
        record = newpacked(ctl, N);
        rec->extra[0] = record;
    }
    for (int k = 0; k < P; ++k) {
        const double tol = std::min(1e-4, 1e7 * EPS53 * x[zisub(k, k)]);
        zlevswp(a, k, N, status.data(), work.data(), tol, record);
    }
    if (keeprecord) {
        rec->extra[1] = poolget<double>(ctl->ldata->ldpool, std::max(N, 1), poolflag::zeroed_marked);
        if (rec->extra[1])
            for (int k = 0; k < N; ++k) rec->extra[1][k] = status[static_cast<size_t>(k)] == '1' ? 1.0 : 0.0;
    }
    return a;
}

}  // namespace

double* GetXpX(levctl* ctl) {
    levstate* ls = ctl->lstate;
    const int32_t P = positions(ctl), N = P + ctl->nresp;
    double* a = newpacked(ctl, N);
    if (!a) return nullptr;
    double* dense = nullptr;
    if (ls->lsflags & LS_CODED) {
        dense = static_cast<double*>(poolbytes(effpool(), 8LL * std::max(ls->ncols + ctl->nresp, 1), poolflag::zeroed_marked));
        if (!dense) return nullptr;
    }
    ctl->fitblk.rows = 0;
    if (ctl->rdrewind(ctl) == 0)
        while (ctl->rdnext(ctl)) {
            double w = 1.0;
            if (!ctl->fitgetw(ctl, &w) || !ctl->fitgety(ctl, ctl->fitblk.yvals)) continue;
            if (dense) {
                zlevrgx(ctl, nullptr, nullptr, dense);
                for (int r = 0; r < ctl->nresp; ++r) dense[ls->ncols + r] = ctl->fitblk.yvals[r];
                ctl->fitblk.rows += zscp(dense, ls->ncols + ctl->nresp, w, a);
            } else {
                xpx1cells(ctl, w, a, ctl->fitblk.colmap, P);
            }
        }
    if (dense) poolput(effpool(), dense);
    return a;
}

double* GetR(levctl* ctl) {
    const double* x = static_cast<const double*>(zlevfit(ctl, FIT_XPX));
    if (!x) return nullptr;
    const int32_t N = positions(ctl) + ctl->nresp;
    double* l = newpacked(ctl, N);
    if (!l) return nullptr;
    std::memcpy(l, x, sizeof(double) * packed(N));
    for (int i = 0; i < N; ++i) zchol(i, l, x[zisub(i, i)] * 1e7 * EPS53);
    return l;
}

double* GetBeta(levctl* ctl) {
    const double* s = static_cast<const double*>(zlevfit(ctl, FIT_SWEPT));
    if (!s) return nullptr;
    const int32_t P = positions(ctl), nr = ctl->nresp;
    double* b = poolget<double>(ctl->ldata->ldpool, std::max<int64_t>(1, static_cast<int64_t>(P) * nr), poolflag::zeroed_marked);
    if (!b) return nullptr;
    for (int r = 0; r < nr; ++r)
        for (int j = 0; j < P; ++j) b[static_cast<size_t>(r) * P + j] = s[zisub(P + r, j)];
    return b;
}

namespace {
double* responseblock(levctl* ctl, const double* m) {
    if (!m) return nullptr;
    const int32_t P = positions(ctl), nr = ctl->nresp;
    double* out = newpacked(ctl, nr);
    if (!out) return nullptr;
    for (int i = 0; i < nr; ++i)
        for (int j = 0; j <= i; ++j) out[zisub(i, j)] = m[zisub(P + i, P + j)];
    return out;
}
}  // namespace

double* GetSSE(levctl* ctl) { return responseblock(ctl, static_cast<const double*>(zlevfit(ctl, FIT_SWEPT))); }
double* GetSST(levctl* ctl) { return responseblock(ctl, static_cast<const double*>(zlevfit(ctl, FIT_XPX))); }

int zlevswp(double* a, int k, int n, char* status, double* work, double tol, double* record) {
    zsweep(a, k, n, status, work, tol);
    if (status[k] == '1') {
        if (record) record[zisub(k, k)] = 1.0;
        return 1;
    }
    if (record)
        for (int j = 0; j < n; ++j)
            if (std::fabs(a[zisub(k, j)]) > tol) record[zisub(j, k)] = a[zisub(k, j)];
    for (int j = 0; j < n; ++j) a[zisub(k, j)] = 0.0;
    return 0;
}

// In-place inversion of a packed symmetric matrix by sweeping each pivot once (the sweep
// leaves minus the inverse, whose sign is turned at the end); a pivot not above tol is skipped
// and its row and column set to 0, which leaves a generalized inverse.
int invlo(double* a, int n, double* work, double tol) {
    for (int k = 0; k < n; ++k) {
        const double p = a[zisub(k, k)];
        if (!(std::fabs(p) > tol)) {
            for (int j = 0; j < n; ++j) a[zisub(k, j)] = 0.0;
            continue;
        }
        for (int i = 0; i < n; ++i) work[i] = a[zisub(k, i)];
        for (int i = 0; i < n; ++i) {
            if (i == k) continue;
            for (int j = 0; j <= i; ++j) {
                if (j == k) continue;
                a[zisub(i, j)] -= work[i] * work[j] / p;
            }
        }
        for (int i = 0; i < n; ++i)
            if (i != k) a[zisub(k, i)] = work[i] / p;
        a[zisub(k, k)] = -1.0 / p;
    }
    // every pivot swept once: the block holds minus the inverse
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) a[zisub(i, j)] = -a[zisub(i, j)];
    return 0;
}

levtest* Test(levctl* ctl, const levhypo* h, int m, const char* letters) {
    if (!h || h->k < 1 || !h->L) return nullptr;
    const double* s = static_cast<const double*>(zlevfit(ctl, FIT_SWEPT));
    const double* beta = static_cast<const double*>(zlevfit(ctl, FIT_BETA));
    if (!s || !beta) return nullptr;
    poolobj* pool = ctl->ldata->ldpool;
    const int32_t P = positions(ctl), k = h->k;
    const int nr = m < 0 ? ctl->nresp : 1;
    auto* t = poolget<levtest>(pool, 1, poolflag::zeroed_marked);
    if (!t) return nullptr;
    // V = L G L' with G the design block of the swept crossproducts
    std::vector<double> G(packed(P) + 1), V(packed(k) + 1), work(static_cast<size_t>(std::max({P, k, 1})));
    for (int i = 0; i < P; ++i)
        for (int j = 0; j <= i; ++j) G[zisub(i, j)] = s[zisub(i, j)];
    zqform(G.data(), P, h->L, k, V.data(), work.data(), 0);
    const std::string want(letters ? letters : "");
    if (want.find('v') != std::string::npos) {
        t->cov = poolget<double>(pool, static_cast<int64_t>(packed(k)), poolflag::zeroed_marked);
        if (t->cov) std::memcpy(t->cov, V.data(), sizeof(double) * packed(k));
    }
    std::vector<char> status(static_cast<size_t>(k), '0');
    std::vector<double> Vs = V;
    for (int i = 0; i < k; ++i) zsweep(Vs.data(), i, k, status.data(), work.data(), std::min(1e-4, 1e7 * EPS53 * V[zisub(i, i)]));
    // L b for each response, kept response by response (k values each)
    std::vector<double> lb(static_cast<size_t>(nr) * k);
    for (int r = 0; r < nr; ++r) {
        const int resp = m < 0 ? r : m;
        for (int i = 0; i < k; ++i)
            lb[static_cast<size_t>(r) * k + i] = zinner(h->L + static_cast<size_t>(i) * P, beta + static_cast<size_t>(resp) * P, P);
    }
    if (want.find('d') != std::string::npos) t->df = static_cast<int32_t>(std::count(status.begin(), status.end(), '1'));
    if (want.find('s') != std::string::npos) {
        t->ss = poolget<double>(pool, static_cast<int64_t>(packed(nr)), poolflag::zeroed_marked);
        // the swept pivots of V hold V^-1 (those not swept are dropped from the form)
        std::vector<double> Vi(packed(k) + 1, 0.0);
        for (int i = 0; i < k; ++i)
            for (int j = 0; j <= i; ++j)
                if (status[static_cast<size_t>(i)] == '1' && status[static_cast<size_t>(j)] == '1') Vi[zisub(i, j)] = Vs[zisub(i, j)];
        if (t->ss) zqform(Vi.data(), k, lb.data(), nr, t->ss, work.data(), 0);
        t->nelem = static_cast<int32_t>(packed(nr));
    }
    if (want.find('e') != std::string::npos) {
        t->est = poolget<double>(pool, static_cast<int64_t>(k) * nr, poolflag::zeroed_marked);
        if (t->est)
            for (int i = 0; i < k; ++i)
                for (int r = 0; r < nr; ++r) t->est[static_cast<size_t>(i) * nr + r] = lb[static_cast<size_t>(r) * k + i];
    }
    return t;
}

void* zlevfit(levctl* ctl, int32_t kind, int32_t r, void* block, const levhypo* h, int m, const char* letters) {
    if (kind == FIT_FREE) {
        for (levfitrec* p = ctl->fitblk.cache; p; p = p->next) FreeStuffData(ctl, p);
        ctl->fitblk.cache = nullptr;
        return nullptr;
    }
    if (kind == FIT_STORE) {
        levfitrec* p = findrec(ctl, r);
        if (p) {
            if (p->data != block) FreeStuffData(ctl, p);
            p->data = block;
        } else if (!addrec(ctl, r, block)) {
            return nullptr;
        }
        return block;
    }
    if (kind == FIT_TEST) {
        auto test = reinterpret_cast<levtest* (*)(levctl*, const levhypo*, int, const char*)>(ctl->fitslots[5]);
        return test ? test(ctl, h, m, letters) : nullptr;
    }
    if (kind == 11 || kind > FIT_SWEPT2 || kind < 0) return nullptr;
    const int32_t P = positions(ctl);
    if (levfitrec* p = findrec(ctl, kind)) {
        if (kind == FIT_BETA && p->data) return static_cast<double*>(p->data) + static_cast<size_t>(r) * P;
        return p->data;
    }
    levfitrec* rec = addrec(ctl, kind, nullptr);
    if (!rec) return nullptr;
    auto slot = [&](int i) { return reinterpret_cast<double* (*)(levctl*)>(ctl->fitslots[i]); };
    void* data = nullptr;
    switch (kind) {
        case FIT_XPX: data = slot(0) ? slot(0)(ctl) : GetXpX(ctl); break;
        case FIT_CHOL: data = slot(1) ? slot(1)(ctl) : GetR(ctl); break;
        case FIT_SWEPT: data = swept(ctl, false, rec); break;
        case FIT_SWEPT2: data = swept(ctl, true, rec); break;
        case FIT_INV: {
            const double* x = static_cast<const double*>(zlevfit(ctl, FIT_XPX));
            const int32_t N = P + ctl->nresp;
            double* a = x ? newpacked(ctl, N) : nullptr;
            if (a) {
                std::memcpy(a, x, sizeof(double) * packed(N));
                std::vector<double> work(static_cast<size_t>(std::max(N, 1)));
                double top = 0.0;
                for (int i = 0; i < N; ++i) top = std::max(top, std::fabs(a[zisub(i, i)]));
                invlo(a, N, work.data(), 1e7 * EPS53 * top);
            }
            data = a;
            break;
        }
        case FIT_BETA: data = slot(2) ? slot(2)(ctl) : GetBeta(ctl); break;
        case FIT_SSE: data = slot(3) ? slot(3)(ctl) : GetSSE(ctl); break;
        case FIT_SST: data = slot(4) ? slot(4)(ctl) : GetSST(ctl); break;
        case FIT_SSDIFF: {
            const double* sse = static_cast<const double*>(zlevfit(ctl, FIT_SSE));
            const double* sst = static_cast<const double*>(zlevfit(ctl, FIT_SST));
            double* d = sse && sst ? newpacked(ctl, ctl->nresp) : nullptr;
            if (d)
                for (size_t i = 0; i < packed(ctl->nresp); ++i) d[i] = sst[i] - sse[i];
            data = d;
            break;
        }
        default: break;
    }
    rec->data = data;
    if (kind == FIT_BETA && data) return static_cast<double*>(data) + static_cast<size_t>(r) * P;
    return data;
}

int zlevfx(levctl* ctl) {
    void* sess = v_global_gcb_anchor ? v_global_gcb_anchor->session : nullptr;
    void* routines[6] = {reinterpret_cast<void*>(GetXpX), reinterpret_cast<void*>(GetR),  reinterpret_cast<void*>(GetBeta),
                         reinterpret_cast<void*>(GetSSE), reinterpret_cast<void*>(GetSST), reinterpret_cast<void*>(Test)};
    for (int i = 0; i < 6; ++i) {
        void* entry = nullptr;
        if (vir2g(routines[i], &entry, sess, v_global_pidb_anchor) != 0 || !entry) entry = routines[i];
        ctl->fitslots[i] = entry;
    }
    return 0;
}
