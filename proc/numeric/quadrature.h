// Trapezoidal quadrature in a transformed variable over the real line, a half-line or an
// interval, with optional scaling of the integrand by a running power of a base so that
// integrals far outside the double range can be formed on the log scale.
#pragma once
#include <cstdint>

// The integrand: 0 with *out = f(x) (in scaled mode f(x) beta^-E with the block's running
// exponent E, which the integrand may change), non-zero on failure.
typedef int (*quadfn)(double x, void* data, double* out);

// Range kinds of zhrdys.
enum : int32_t {
    QUAD_LINE = 1,      // the real line, x = t
    QUAD_HALFLINE = 2,  // [a, inf), x = a + t
    QUAD_INTERVAL = 3,  // (a, b), x = (b t + a)/(t + 1)
};

// Request and work block of zhrdys ("in": set by the caller).
struct quadblk {
    double sum;         // running sum
    double tol;         // in: the accuracy
    double tol3;        // tol/3
    double last;        // the last integrand value
    double refsum;      // reference partial sum of the degenerate-point test
    double a;           // in: lower end (kinds 2 and 3)
    double b;           // in: upper end (kind 3)
    double width;       // b - a (kind 3)
    double estimate;
    int32_t nup;        // points on the upper side: 10000 at entry, then per level
    int32_t nlow;       // points on the lower side
    int32_t overflow;   // set when the running sum passes 2^512 in magnitude
    int32_t degcode;    // in: code returned at a degenerate point that is not negligible
    double x0;          // in: start point; replaced by its transformed value t0
    double h0;          // in: first step
    double h;           // current step
    double hnext;       // next step
    int32_t maxlevels;  // in: largest number of refinement levels
    int32_t levels;     // level count
    int32_t kind;       // in: QUAD_LINE, QUAD_HALFLINE or QUAD_INTERVAL
    int32_t mode;       // in: 0 stop on max(|new| s, tol), 1 on |new| s, other never
    double relchange;   // out: last |old - new|/|new| (0 when new is 0)
    double base;        // in: exponent base (scaled mode)
    double invlnbase;   // 1/ln base
    int32_t expused;    // the exponent the sums are in
    int32_t expo;       // the running exponent E, set by the integrand
    int32_t scaledmode; // in: nonzero when the integrand returns f(x) base^-E
    void* data;         // in: the integrand's data
    quadfn fn;          // in: the integrand
    double lnbase;      // ln base
    int32_t pointlimit; // in: per-side point count may not exceed max(32767, this)
    int32_t smallstop;  // in: mode 1 in scaled mode also stops when |estimate| < tol
    int32_t accuracy;   // in: 1234567 selects s = tol^(3/4) instead of sqrt(tol)
    int32_t degenerate; // out: set at a degenerate point
    double degx;        // out: its x
    double deglast;     // out: the last value before it
};

// The magic value of quadblk::accuracy that selects the stricter stopping scale.
constexpr int32_t QUAD_STRICT = 1234567;

// 0 with *result = the estimate (scaled mode: in units of base^expo); 1 on failure;
// the block's degcode at a degenerate point whose neighbour value is not negligible.
int zhrdys(quadblk* q, double* result);

// The settings the log-scale tail integrals share: the range kind and start point (a
// half-line from 0), a first step of 0.5, the stricter stopping scale, at most 16 levels,
// stopping on max(|new| s, tol), the integrand scaled by powers of e, and code 1 at a
// degenerate point. The integrand, its data and the starting exponent remain to be set.
inline void logScaleTail(quadblk* q, int32_t kind, double x0, double tol) {
    q->kind = kind;
    q->a = 0.0;
    q->x0 = x0;
    q->h0 = 0.5;
    q->tol = tol;
    q->accuracy = QUAD_STRICT;
    q->maxlevels = 16;
    q->mode = 0;
    q->degcode = 1;
    q->scaledmode = 1;
    q->base = 2.718281828459045;
}
