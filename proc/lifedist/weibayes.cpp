// The confidence of the Weibayes bounds. wbconf holds -ln(1 - confidence) for every statement:
// ANALYZE keeps 1 (a confidence of 1 - 1/e, 63.2 %) unless FIT=WEIBAYES(CONF=) is given, the
// plot statements -ln(0.05) (95 %) unless it is.
#include <cmath>

#include "proc/framework/memnum.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"

double weibayesconf(const vyxstate* s) { return -std::expm1(-s->life.wbconf); }

double weibayespercent(const vyxstate* s) {
    // As CONF= was given (90, not 89.99999999999999); the default 1 - 1/e to four decimals.
    const double p = vx::confpercent(std::exp(-s->life.wbconf));
    const double short8 = std::round(p * 1e8) / 1e8;
    return std::fabs(short8 - p) <= 5e-14 ? p : std::round(p * 1e4) / 1e4;
}
