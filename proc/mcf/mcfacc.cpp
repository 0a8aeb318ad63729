// The running MCF of one group of exact recurrence times and its variance, record by record in
// processing order; pure arithmetic (mcfacc.h).
#include "proc/mcf/mcfacc.h"

#include <cstring>

namespace {

template <class T>
T* carve(char*& p, int32_t n) {
    T* r = reinterpret_cast<T*>(p);
    p += sizeof(T) * static_cast<size_t>(n);
    return r;
}

bool blockmethod(McfVar m) { return m == McfVar::Nelson || m == McfVar::IndInc; }

// The block that was open ends: its units' sums go into their running sums C (and into G,
// since they were at risk when the block was open).
void closeblock(mcfacc* a) {
    if (a->Rb > 0) {
        for (int32_t k = 0; k < a->ntouched; ++k) {
            int32_t i = a->touched[k];
            long double c = a->a[i] / a->Rb;
            a->C[i] += c;
            a->G += c;
            a->a[i] = 0;
        }
    }
    a->ntouched = 0;
}

}  // namespace

size_t mcfacc_bytes(McfVar method, int32_t n) {
    size_t un = static_cast<size_t>(n > 0 ? n : 1);
    switch (method) {
        case McfVar::Lawless: return un * sizeof(long double);
        case McfVar::Poisson: return 0;
        default: return un * (2 * sizeof(long double) + 2 * sizeof(int32_t));
    }
}

void mcfacc_init(mcfacc* a, McfVar method, bool wantlims, int32_t n, long double R0, const double* W, void* storage,
                 long double R0c) {
    *a = mcfacc{};
    a->method = method;
    a->wantlims = wantlims;
    a->n = n;
    a->m = n;
    a->mprev = n;
    a->R = R0;
    a->Rc = R0c;
    char* p = static_cast<char*>(storage);
    if (method == McfVar::Lawless) {
        a->E = carve<long double>(p, n);
        a->W = W;
    } else if (blockmethod(method)) {
        a->a = carve<long double>(p, n);
        a->C = carve<long double>(p, n);
        a->stamp = carve<int32_t>(p, n);
        a->touched = carve<int32_t>(p, n);
    }
}

void mcfacc_end(mcfacc* a, double w) {
    // Compensated: the low-order part a large weight's removal would round away is kept in Rc.
    mcfsum r{a->R, a->Rc};
    r.add(-static_cast<long double>(w));
    a->R = r.sum;
    a->Rc = r.comp;
    a->m -= 1;
    if (a->method == McfVar::Lawless && a->wantlims && a->m >= 0 && a->m < a->n) {
        int32_t j = a->m;
        long double wj = a->W ? a->W[j] : 1.0L;
        long double d = a->E[j] - a->O;
        a->Fin += wj * d * d;
        a->S1 -= wj * d;
        a->S2 -= wj * d * d;
    }
    a->newblock = true;
    a->firstafter = true;
}

void mcfacc_event(mcfacc* a, int32_t u, double w, double dv) {
    const long double d = dv;
    const long double R = a->R + a->Rc;
    const long double inc = w * d / R;
    a->M += inc;
    if (!a->wantlims) return;
    switch (a->method) {
        case McfVar::Lawless: {
            // Every unit at risk loses inc/R: shift the prefix sums by c. The sum of the weights
            // at risk is the risk set R (compensated: a running sum of its own would keep the
            // residue of large weights that left).
            const long double c = inc / R;
            a->S2 += c * c * R - 2 * c * a->S1;
            a->S1 -= c * R;
            a->O += c;
            // The unit's own share d/R.
            const long double e = d / R;
            const long double wu = a->W ? a->W[u] : 1.0L;
            const long double du = a->E[u] - a->O;
            a->S2 += wu * (2 * du * e + e * e);
            a->S1 += wu * e;
            a->E[u] += e;
            a->var = a->Fin + a->S2;
            break;
        }
        case McfVar::Poisson:
            a->V += inc / R;
            a->var = a->V;
            break;
        default: {
            if (a->newblock) {
                a->V += a->P;
                a->S = 0;
                a->Q = 0;
                closeblock(a);
                a->Y = 0;
                a->Tcur = 0;
                a->Rb = R;
                a->block += 1;
                a->newblock = false;
            }
            if (a->m > 1) {
                const long double au = a->stamp[u] == a->block ? a->a[u] : 0.0L;
                a->Q += d * d * (R - 1) / R + 2 * d * (au - a->S);
                a->P = a->Q / (R * (R - 1));
                if (a->method == McfVar::Nelson) {
                    if (a->firstafter) {
                        for (int32_t k = a->mprev - 1; k >= a->m; --k) a->G -= a->C[k];
                        a->firstafter = false;
                    }
                    a->Y += d * a->C[u];
                    const long double X = a->Y - (a->Tcur + d) * a->G / R;
                    a->P += 2 * X / (R - 1);
                }
                a->Tcur += d;
                a->S += d / R;
                if (a->stamp[u] != a->block) {
                    a->stamp[u] = a->block;
                    a->a[u] = 0;
                    a->touched[a->ntouched++] = u;
                }
                a->a[u] += d;
                a->var = a->V + a->P;
            } else {
                a->var = a->V;
            }
            break;
        }
    }
    a->mprev = a->m;
}
