// Options whose value is a count, an iteration limit or a line width. The parser keeps every
// number as a double; these make it an int where the option is read, so that no value too
// large for an int is ever converted, and no count sizes memory or a loop without a bound.
#pragma once
#include <cstdint>
#include "host/stmtrec.h"

// The most a count option may be; a larger value is taken as the limit, with a warning.
constexpr int32_t MOST_TICKS = 1000;          // tick counts: NTICK, NSTRESSTICK, NHTICK, NVTICK, axis lists
constexpr int32_t MOST_POINTS = 100000;       // points of a curve: NPOINTS
constexpr int32_t MOST_PANELS = 1000;         // panel rows and columns: NROWS, NCOLS
constexpr int32_t MOST_WIDTH = 100;           // line widths: WAXIS, WFIT
// Iteration limits (MAXIT, MAXITEM) take any whole number an int holds.
constexpr int32_t MOST_INT = 2147483647;

// v as an int32: NaN gives 0, a value beyond the range of int32 the nearer end of that
// range, any other value is truncated toward zero. For values whose range is checked after.
int32_t satint(double v);

// v, the value of the option named option of statement r, as a count from least to most: a
// larger value logs 510/1900 (statement, option, value and limit) and gives most; a smaller
// one (or a missing value) logs 510/1901 and gives fallback. Other values are truncated.
int32_t countopt(const stmtrec* r, const char* option, double v, int32_t least, int32_t most, int32_t fallback);
// Line widths (WAXIS, WFIT) are read where they are drawn, which takes at most MOST_WIDTH;
// the statement's reader says once that a larger width is taken as the limit.
void widthlimits(const stmtrec* r, const int* slots, const char* const* names, int n);


