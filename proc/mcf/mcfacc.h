// The running MCF of one group of exact recurrence times and its variance, record by
// record in processing order (events before ends at equal times; units at risk are the
// indices below the running count m). Pure arithmetic: no host call, no allocation.
//
// Every variance method costs O(1) amortised per record and memory linear in the units:
// - LAWLESS: each unit's deviation is its own sum of d/R less the common sum of inc/R taken
//   while it was at risk. The common part is one running offset O over the at-risk prefix,
//   and the sums of W, W*D and W*D^2 over the prefix move with it in closed form; a unit
//   that leaves freezes its term W*D^2.
// - NELSON and INDINC (the block method): the within-block sum Q needs only the unit's sum
//   in the current block; the cross terms with every earlier block b,
//   sum_b (1/R_b) sum_k d_k (a_b[u_k] - T_b/R), collapse to sum_k d_k C[u_k] - (sum_k d_k) G/R
//   with C[i] = sum_b a_b[i]/R_b (per-unit running sums, updated when a block closes, for
//   the units that had events in it) and G = the sum of C over the units still at risk.
// - POISSON: one running sum.
// Accumulators are long double; results are rounded to double by the caller.
#pragma once
#include <cstddef>
#include <cstdint>

enum class McfVar : int { Nelson, IndInc, Lawless, Poisson };

struct mcfacc {
    McfVar method = McfVar::Nelson;
    bool wantlims = false;
    int32_t n = 0;            // units
    int32_t m = 0;            // units at risk: indices 0 .. m-1
    int32_t mprev = 0;        // m at the previous event
    long double R = 0;        // weighted risk set: R + Rc, kept by compensated arithmetic
    long double Rc = 0;       // so that a unit of weight 1e15 leaving does not take a unit of
                              // weight 0.05 with it (1e15 + 0.05 - 1e15 must be 0.05, not 0)
    long double M = 0;        // the MCF
    long double var = 0;      // its variance after the last event

    // POISSON, and the finished blocks' sum of the block method
    long double V = 0;
    // block method: current block
    long double P = 0, S = 0, Q = 0, Tcur = 0, Y = 0, G = 0, Rb = 0;
    bool newblock = true, firstafter = true;
    int32_t block = 0;        // number of the current block (stamps)
    int32_t ntouched = 0;
    long double* a = nullptr;      // unit's sum of values in the current block
    long double* C = nullptr;      // unit's sum over finished blocks of a_b / R_b
    int32_t* stamp = nullptr;      // block in which a[] of the unit was last touched
    int32_t* touched = nullptr;    // units with a[] set in the current block
    // LAWLESS
    long double O = 0;             // common offset of the units at risk
    long double S1 = 0, S2 = 0;    // sums of W*D and W*D^2 over the units at risk (that of W is R)
    long double Fin = 0;           // sum of W*D^2 of the units that left
    long double* E = nullptr;      // unit's own sum of d/R
    const double* W = nullptr;     // unit weights by index (null: 1)
};

// Bytes of working storage the method needs for n units (allocated zero-filled by the caller).
size_t mcfacc_bytes(McfVar method, int32_t n);
// Sets the accumulator up over zero-filled storage of mcfacc_bytes bytes: n units of total
// weight R0 + R0c at risk (R0c what the rounding of the sum R0 lost), weights W by unit index
// (null: every unit weighs 1).
void mcfacc_init(mcfacc* a, McfVar method, bool wantlims, int32_t n, long double R0, const double* W, void* storage,
                 long double R0c = 0);
// A compensated sum (Neumaier): the sum and what its rounding lost, sum + comp the value.
// Each step keeps the exact error of the addition, also when the term is as large as the
// sum (1e15 + 0.05 - 1e15 gives 0.05).
struct mcfsum {
    long double sum = 0, comp = 0;
    void add(long double x) {
        const long double t = sum + x;
        comp += (sum < 0 ? -sum : sum) >= (x < 0 ? -x : x) ? (sum - t) + x : (x - t) + sum;
        sum = t;
    }
    long double value() const { return sum + comp; }
};// An end-of-observation record of a unit of weight w: the unit with index m-1 leaves.
void mcfacc_end(mcfacc* a, double w);
// Asks the memory for the working storage of unit u ahead of its record (records come in
// time order, so their units are visited at random).
inline void mcfacc_prefetch(const mcfacc* a, int32_t u) {
    if (a->E) __builtin_prefetch(a->E + u, 1);
    if (a->a) {
        __builtin_prefetch(a->a + u, 1);
        __builtin_prefetch(a->C + u);
        __builtin_prefetch(a->stamp + u, 1);
    }
    if (a->W) __builtin_prefetch(a->W + u);
}
// An event record of unit u (at risk, u < m) of weight w adding d; updates M and var.
void mcfacc_event(mcfacc* a, int32_t u, double w, double d);
