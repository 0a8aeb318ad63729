// Least-squares means by level: the values a constructed effect takes at each of its
// columns, a parameter's combination mapped back to those values and to CLASS levels, and
// the averages of an effect's estimates. Library routines: no statement of this procedure
// asks for least-squares means, so only the unit tests call them.
//
// Value lists are whole numbers (level or variable numbers), kept per constructed effect in
// `efrec::vallist` (`ncols` rows of `nvals`); an effect's own extra values are in
// `leveffect::extra`. See docs/effects.md, "Level means".
#pragma once
#include <cstdint>
#include "proc/effects/effects.h"

// A request for the levels of the current observation: kind 1 names constructed effects
// (indexes into efstmt), kind 2 CLASS variables (indexes into classv); curlev holds per item
// its current column or level, -1 for none.
struct lsmrequest {
    int32_t kind;
    int32_t n;
    const int32_t* items;
    const int32_t* curlev;
};

// Texts compared after their leading blanks, trailing blanks ignored: 0 when equal, else
// the sign of the first difference.
int strjscmp(const char* a, int alen, const char* b, int blen);

// Number of values the k-th part of the effect contributes: 1 for a multi-member
// constructed effect, nvals for a collection, 0 for the other kinds; for k = nefref the
// effect's CLASS levels (nclsall).
int zlevEftClValN(const leveffect* e, int k);
// Their sum over k = 0 .. nefref: the entries zlevGetEfClassLevels writes.
int zlevEfClValN(const leveffect* e);

// For the parameter at column (0 .. ncol-1 within the effect): each named constructed
// effect's values at its piece, then the nclsall CLASS level indexes. Returns the position
// after the last entry written, or -1 when the column or its row is not there.
int zlevGetEfClassLevels(const leveffect* e, int column, int32_t* out);

// Per effect: the distinct values of its constructed effects (each once, not repeating
// the extra list) followed by the extra list, in levlist; unused slots hold -1. An effect
// without constructed effects uses its extra list as it is. Returns 0, or RC_NOMEM.
int zlevPrepLevList(levctl* ctl);

// Per effect k: means[k] = scale x the sum of its estimates, divided by divisors[k] when
// divisors is given and that value is neither missing nor 0. Then the effect's columns are
// distributed over its level combinations: behind the neffect means, per effect its ncomb
// combination sums (scale x the estimates of the columns of that combination, divided
// alike), effect after effect. means holds neffect + the sum of ncomb entries.
void zlevEfMeans(levctl* ctl, const double* estimates, double* means, const double* divisors, double scale);

// Kind 1: the values of the requested constructed effects at their current columns, each
// once (seen holds a byte per value, set as a value is taken); kind 2: the positions of the
// requested CLASS variables' current levels (a running offset of the levels of the variables
// before them plus the level index), variables without a current level skipped. Returns the
// number written, or -1 for another kind.
int zlevLSMBylevel(const levstate* ls, const lsmrequest* request, int32_t* out, uint8_t* seen);

// The first column of the effect whose k-th part matches texts: for k < nefref texts[0]
// against the constructed effect's column labels, for k = nefref up to n texts against the
// levels of the CLASS variables in turn. Blanks around texts are ignored. -1 when none does.
int zlevEftClValParm(const leveffect* e, int k, const char* const* texts, int n);
