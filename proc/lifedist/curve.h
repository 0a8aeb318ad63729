// The nonparametric curve of one class group: plotting positions, the product-limit (or
// READOUT life-table) estimate with its standard error and limits, the Nelson-Aalen
// cumulative hazard, and the group values the fits, plots and box statistics need.
#pragma once
#include <cfloat>

#include "proc/lifedist/lifedist.h"

// The survival S after d of natrisk units at risk fail, S (natrisk - d)/natrisk: the product
// first, except where natrisk - d is below the smallest normal double (subnormal FREQ weights).
// There S (natrisk - d) would round among the subnormals, and the survival could rise again at
// a later time; the ratio, formed first, is exact enough. Where nothing is left the two agree.
inline double survstep(double S, double natrisk, double d) {
    const double left = natrisk - d;
    return left < DBL_MIN ? S * (left / natrisk) : S * left / natrisk;
}

// One product-limit step at a time with natrisk units at risk of the sample size n, d of
// them failing: S = S (natrisk - d)/natrisk, F = 1 - S; the Greenwood sum gsum grows by
// d/(natrisk (natrisk - d)) and se = S sqrt(gsum) while d < natrisk (else gsum stays and
// se = 0); K = gsum/(1/n + gsum), the band scale.
void kmacc(double n, double natrisk, double* S, double* F, double* gsum, double* se, double* K, double d);

// vyxcrv (lifedist.h) makes the curve of a group whose rows are sorted by time: curve
// records in grpnode.crvbuf or, when they do not fit in memory, on grpnode.ufile2. 0; 1
// after a logged message (510/13, 510/575, 510/903, 510/9030) or a failed allocation; 1020
// after 510/22. A curve block that cannot be written logs 510/15 and ends the step with
// code 1008.
