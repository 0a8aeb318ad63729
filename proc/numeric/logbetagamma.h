// The beta and gamma distributions on the log scale: log tail probabilities that keep
// their digits far below the smallest double, log densities and quantiles, through one
// request record per distribution.
#pragma once
#include <cstdint>

struct quadblk;

// Request bits of the log-scale entries.
enum : uint32_t { LREQ_PROB = 1, LREQ_DENS = 2, LREQ_QUANT = 4 };

// Request record of zlogbet (inputs, outputs, then working fields).
struct betareq {
    uint32_t reqflags;  // LREQ_* bits; 0 is taken as LREQ_PROB
    double x;           // the point; the result of a quantile request
    double a, b;        // the shapes, both > 0
    double logp;        // out: log I_x(a, b)
    double logq;        // out: log(1 - I_x(a, b))
    double logdens;     // out: log density at x
    double tol;         // relative tolerance of the continued fraction
    double prob;        // target probability of a quantile request
    // Working fields.
    double fraction;    // the continued fraction's value
    double onemx;       // 1 - x
    double am1;         // a - 1
    double apb;         // a + b
    double xc, ac, bc;  // copies of x, a and b
    int32_t raised;     // the first parameter of the fraction was raised by one
    int32_t swapped;    // the fraction ran on the upper tail
    double guess;       // initial guess of the quantile
    double pwork;       // the working tail probability of the quantile (at most 0.5)
    double s1, s2;      // the shapes in the order of the working tail
    int32_t halley;     // Halley steps (else Newton steps)
    double xlow, xhigh;  // bracket bounds of the quantile
    double plow, phigh;  // log probabilities there
    int32_t boundhit;   // 0 inside, 1 low, 2 high
    int32_t complement; // the working tail is the upper one
};

// Request record of zloggam: gamma distribution with shape a and unit scale.
struct gamreq {
    uint32_t reqflags;  // LREQ_* bits; at least one, no other bit
    double prob;        // target probability of a quantile request
    double x;           // the point; the result of a quantile request
    double a;           // the shape
    double logp;        // out: log P(a, x)
    double logq;        // out: log Q(a, x)
    double logdens;     // out: log density at x
    double tol;         // relative tolerance of the series and fractions
    // Working fields.
    double ashape;      // the shape the series or fraction ran with (raised when below 1)
    double value;       // the series or fraction value
    int32_t method;     // GAM_SERIES, GAM_WILHIL, GAM_UPPERCF, GAM_LOWERCF, GAM_ASYMPT, GAM_QUAD
    double upfac;       // bracket factors of the quantile search
    double downfac;
    quadblk* quad;      // the quadrature work block while one is in use
    double xfloor;      // lower bound of the quantile's step test
};

enum : int32_t { GAM_SERIES = 0, GAM_WILHIL = 2, GAM_UPPERCF = 3, GAM_LOWERCF = 4, GAM_ASYMPT = 5, GAM_QUAD = 6 };

// 1 when the request is refused (record untouched), otherwise the result of the action
// taken: probability (which also sets logdens), else quantile, else density.
int zlogbet(betareq* r);
// Log beta(a, b) density. 0 ok (the missing value at an end where the density is 0 or
// infinite); 1 when x is outside [0, 1] or a, b are not positive.
int zldnbet(double x, double a, double b, double* logdens);
// 0 ok, 1 refused or failed.
int zloggam(gamreq* r);
// Log gamma(a) density. 0 ok (the missing value at x = 0 unless a = 1); 1 when x < 0 or
// a <= 0.
int zldngam(double x, double a, double* logdens);

// The quadrature fallback of the gamma upper tail (reached only when the asymptotic series
// fails); exposed for its own test. Sets logp, logq and logdens; 0 ok, 1 failure.
int zintgam(gamreq* r);
