// The effect-information pass: completes the constructed effects for the data at hand
// (level texts of multi-member sets, collection widths, spline knots, polynomial centres and
// scales).
#pragma once
#include <cstdint>
#include "host/vec39_files.h"
#include "proc/effects/effects.h"

// Percentile block: the sorted values of the spline variables whose knots are percentiles.
struct pctblock {
    int32_t rc;                // negative: a utility file or the sort failed
    int32_t nvars;             // variables sorted
    int32_t* vars;             // their contv indexes
    int32_t* pos;              // per continuous variable its place in vars, -1 when not sorted
    xchandle* unsorted;        // per place
    xchandle* sorted;
    double nobs;               // observations
    double freqsum;            // sum of frequencies, 0 without a frequency variable
    int32_t reclen;            // 8, or 16 with frequencies
};

// 0 done; 1 after 174/70 or 174/71; 3 a spline's knots were refused (174/63).
int zlevefti(levctl* ctl);
// Fills pb; a failing utility file or sort ends the step (1020) through zlevSortForPercentilesTerm.
int zlevSortForPercentiles(levctl* ctl, pctblock* pb);
void zlevSortForPercentilesTerm(pctblock* pb);
// The moment pass of polynomial standardisation.
int zlevStddizeForPolynomials(levctl* ctl);
