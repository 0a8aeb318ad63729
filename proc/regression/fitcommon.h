// Small helpers of the MODEL fit routines: constants, the centres and scales of the design
// columns, and the output-object calls of the MODEL tables.
#pragma once
#include <cmath>
#include <cstdint>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/lifedist.h"
#include "proc/regression/regression.h"

namespace mfit {

constexpr double EPS53 = 1.1102230246251565e-16;   // 2^-53
constexpr double SQRT_MIN = 1.491668147e-154;
constexpr double EXP_OVER = 709.782712893384;
constexpr double SMALL_PARM = 0.0078125;           // below it a change is judged absolutely

inline double missing() { return hostmissing(); }
inline bool ismiss(double v) { return std::isnan(v); }

// Centre and scale of design column j (MODEL columns, then LOGSCALE columns from ncol).
inline double centre(const vyxstate* s, int j) { return s->mdl.colstd[j]; }
inline double scale(const vyxstate* s, int j) { return s->mdl.colstd[mdlsizes(s).ntot + j]; }

// A failed output-object call ends the step as in the life-distribution fits.
using fitx::obok;

}  // namespace mfit

// One row of an iteration history (the fit's, or the limit searches'): cells 0 and 1 as
// given, the log-likelihood, the parameters on the data's scale; appended to curtab.
void histrow(vyxstate* s, double cell0, double cell1);
