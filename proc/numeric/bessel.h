// The modified Bessel function of the first kind I_nu(x) for real nu >= 0 and x >= 0.
#pragma once
#include <cstdint>

// Argument and result block of zibess (fields in this order).
struct besblk {
    double x;          // in: the argument
    double xhalf;      // x/2
    double xhalf2;     // (x/2)^2
    double nu;         // in: the order
    double frac;       // fractional part of nu
    double twobyx;     // 2/x
    double order;      // the order at which the series or an expansion is evaluated
    double loghi;      // log value at the higher starting order of the recurrence
    double loglo;      // log value at the lower starting order
    double result;     // out
    int32_t inu;       // integer part of nu
    int32_t mstart;    // starting order of the recurrence
    int32_t scaled;    // the log value already includes the factor e^-x
    int32_t form;      // in: 1 e^-x I_nu(x), 2 log I_nu(x), other I_nu(x)
    int32_t err;       // out: error flag
};

// Result forms of zibess.
enum : int32_t { BES_SCALED = 1, BES_LOG = 2, BES_PLAIN = 0 };

// 0 success, 1 failure (the error flag). Negative nu or x: result -DBL_MAX and 1 at once.
// A series of 100 terms or a large-x expansion that did not settle keeps its value and
// returns 1 through the flag; so does an overflowing exponential (result not written).
int zibess(besblk* b);

// The coefficients of the Debye polynomials u_1 .. u_11: u_k holds the k + 1 terms
// t^k, t^(k+2), ..., t^(3k); the table lists them polynomial after polynomial.
extern const double kDebyeCoef[77];
