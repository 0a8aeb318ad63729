// Small numeric helpers of the statistical graphics: times between the analysis scale and
// the time scale, and quantiles that never hand an infinite value to a plot.
#pragma once
#include <cmath>

#include "host/hostdefs.h"
#include "proc/vyxstate.h"

namespace sg {

constexpr double kExpCap = 709.782712893384;

inline double missing() { return hostmissing(); }
inline bool ismiss(double v) { return std::isnan(v); }

// Analysis scale to time: exp on the ln scale, 10^v on the log10 scale (missing where it
// would overflow).
inline double backtime(const vyxstate* s, double v) {
    if (ismiss(v)) return v;
    if (s->opts.logscale[LSC_LN]) return v < kExpCap ? std::exp(v) : missing();
    if (s->opts.logscale[LSC_LOG10]) return v * std::log(10.0) < kExpCap ? std::pow(10.0, v) : missing();
    return v;
}
// Time to the analysis scale: missing for a time not above 0 on a log scale.
inline double fwdtime(const vyxstate* s, double t) {
    if (s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]) {
        if (ismiss(t) || !(t > 0)) return missing();
        return s->opts.logscale[LSC_LN] ? std::log(t) : std::log10(t);
    }
    return t;
}
// The standardized quantile of p, or missing where it is not finite (p of 0 or 1): a limit
// of probability 1 has no place on the axis, and no axis range may become infinite.
inline double quant(const vyxstate* s, double p) {
    if (ismiss(p)) return p;
    const double q = s->opts.quant_fn(p);
    return std::isfinite(q) ? q : missing();
}

// Widens a running range by a value that exists (a missing one leaves it as it is; the
// missing-aware mzmin and mzmax would turn the range missing).
inline void widen(double* lo, double* hi, double v) {
    if (ismiss(v)) return;
    if (lo) *lo = *lo < v ? *lo : v;
    if (hi) *hi = *hi > v ? *hi : v;
}

}  // namespace sg
