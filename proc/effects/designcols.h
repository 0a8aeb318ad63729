// Design columns: the full design row of the current observation from what zlevrgd left
// (level indexes, continuous values, effect cells), in the default design (one column per
// level combination seen) or the coded design (each CLASS variable's coding vector, crossed).
#pragma once
#include <cstdint>
#include "proc/effects/effects_internal.h"

// The ncols doubles of the row. contval and levidx may be null or the control block's own
// arrays; otherwise they are copied in first. No allocation.
void zlevrgx(levctl* ctl, const double* contval, const int32_t* levidx, double* row);
// The CLASS and continuous part of effect k into block (row + firstcol); the columns written.
int32_t zlevpar(levctl* ctl, int32_t k, double* block);
// The coding vector of level times v into dest (w doubles, zeroed first); nothing when w is 0
// or the level is no level (-1).
void zlevflr(const levclass* c, double* dest, int32_t level, int32_t w, double v);
// In place: w values of a become w x n, entry i x n + k = a[i] vec[k] (old index slowest).
void zlevCrossMultiply(double* a, int32_t w, const double* vec, int32_t n);
// In place: w values of a become w x n, entry j x w + i = a[i] vec[j] (new index slowest).
void zlevEffCrossMultiply(double* a, int32_t w, const double* vec, int32_t n);
// The value buffer of constructed effect r for the current observation.
void zlevGetEftVarCols(levctl* ctl, efrec* r);
// The polynomial terms of the current observation into out.
void GetPolyVals(polydesc* p, int32_t n, const int32_t* vars, const double* contval, double* out);

// Uncalled members of the family.
// Adds w x x' of the design row extended by extra (nextra values) into the packed triangle.
int zlevscp(levctl* ctl, double w, const double* extra, int32_t nextra, double* xpx);
// Releases parts of a control block by mask bits (1, 2, 4, 8, 16, 32, 64); returns 0.
int zlevtrm(levctl* ctl, int32_t mask);
// The block of effect k alone (as step 4 of zlevrgx); its width.
int32_t zlevGetEfCols(levctl* ctl, int32_t k, double* block);
int32_t zlevGetEfNosepCols(levctl* ctl, int32_t k, double* block);
// Per CLASS variable of effect k its current level as text into texts (fmtlen + 1 each).
int zlevEfClassLevelTrue(levctl* ctl, int32_t k, char** texts);
// Length of the level label of effect k's combination comb.
int zlevLenLevelLabel(const levstate* ls, int32_t k, const int32_t* comb);
// Per multi-member constructed effect a map from column back to each member's level.
int zlevMapEftLevInverse(levstate* ls, poolobj* pool, int32_t*** maps);
