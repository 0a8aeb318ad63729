// Nice axis scaling: a data range turned into an axis whose ends are whole multiples of a
// nice increment (a value of a short list between 1 and 10, times a power of ten).
//
// The caller asks for about n intervals (n > 0) or exactly -n intervals (n < 0) and says
// which end must stay. The routines never allocate, print or log; a caller that gets a
// negative result falls back on its own defaults.
#pragma once
#include <cstdint>

// The scale record: written by zqscale. While the search runs `incr` first holds the wanted
// interval count and `index` the number of nice values in use; at the end `index` is the
// index of the chosen nice value. The two spare doubles are the callers' business.
struct scale {
    double min;
    double max;
    double incr;
    double spare[2];
    int32_t index;
};

// Results of zqscale besides an interval count (>= 0).
enum : int {
    ZQS_NOCOUNT = -1,     // n is 0
    ZQS_BADNICE = -2,     // a nice value outside [1, 10] (or not a number)
    ZQS_NOFIT = -4,       // exact count: no nice value reaches it within five decade shifts
    ZQS_NEGATIVE = -5,    // the interval count came out negative, or the range has no usable scale
};

// order 'N': the nice list is sorted first, any other byte keeps its order. side 'L' keeps
// the minimum, 'U' the maximum, 'E' centres the scale on the data, any other byte moves both
// ends out to multiples of the increment. The caller's nice list is never changed.
int zqscale(double min, double max, int n, int nnice, const double nice[], scale* out, char order, char side);

// The steps of the search, for the tests and for callers that need one of them.
void bubbles(double a[], int k);
double mypow10(int e);
double initscale(const double nice[], double thr[], int m, scale* out);
int setscale(const double nice[], scale* out, double* mlo, double p, double tol);
int round1(const double nice[], double thr[], int k, scale* out, char side, double tol);
int round2(double nice[], double thr[], int k, scale* out, char side, double tol);
