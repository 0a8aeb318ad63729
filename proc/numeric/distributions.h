// What is known of each distribution of DISTRIBUTION=, in one table: the scale its times are
// analysed on, its standardized quantile and likelihood kernels, the quantile with a shape
// that MODEL uses, and the catalog labels (T510_ names) of its name and parameters in the life-data
// fits and in MODEL. The counts distributions (POISSON, BINOMIAL) and code 5 have no entry.
#pragma once
#include <cstdint>
#include "proc/framework/fitcodes.h"
#include "proc/numeric/kernels.h"

// The standardized family of a distribution: the law of the standardized (log) time.
enum distfamily : int { FAM_NONE = -1, FAM_NORMAL, FAM_EXTREME, FAM_LOGISTIC, FAM_LOGGAMMA };

struct distinfo {
    uint32_t code;        // DIST_*
    distfamily family;    // normal, smallest extreme value, logistic, generalized log-gamma
    int scale;            // the times' analysis scale: 0 time, 1 ln time, 2 log10 time
    bool lifefits;        // fitted by ANALYZE, PROBPLOT and RELATIONPLOT (all but GAMMA)
    qntfn quant;          // standardized quantile (null for GAMMA)
    kernfn value, deriv;  // likelihood kernels: value, first and second derivatives
    qntfnx squant;        // standardized quantile with a shape (MODEL)
    int name;             // label of the distribution's name
    int fitparm[2];       // labels of the location and scale in the life-data fits
    int modelparm[2];     // the same in MODEL
};

// The entry of distribution code; null for a code without one.
const distinfo* distributioninfo(uint32_t code);
// The standardized family of distribution code; FAM_NONE for a code without an entry.
inline distfamily familyof(uint32_t code) {
    const distinfo* d = distributioninfo(code);
    return d ? d->family : FAM_NONE;
}
