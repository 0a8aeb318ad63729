// The analysis scale of a distribution (time, ln time or log10 time), conversions between
// it and the time scale, and the range of probability ticks whose percentiles are kept.
#pragma once
#include <cmath>
#include "proc/devgraph/devgraph.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/fitshared.h"
#include "proc/numeric/distributions.h"

enum : int { SCALE_TIME = 0, SCALE_LN = 1, SCALE_LOG10 = 2 };

inline int analysisscale(uint32_t dist) {
    const distinfo* d = distributioninfo(dist);
    return d && d->lifefits ? d->scale : SCALE_TIME;
}

inline double toanalysis(int scale, double t) {
    return scale == SCALE_LN ? std::log(t) : scale == SCALE_LOG10 ? std::log10(t) : t;
}

// A value of the analysis scale as a time; missing beyond the range of exp.
inline double totime(int scale, double x) {
    if (scale == SCALE_TIME) return x;
    const double a = scale == SCALE_LN ? x : x * fitx::LN10;
    return a > fitx::EXP_UNDER && a <= fitx::EXP_OVER ? std::exp(a) : fitx::missing();
}

// exp of a value that may overflow: the missing value beyond the largest argument of exp.
inline double cappedexp(double x) { return x <= fitx::EXP_OVER ? std::exp(x) : fitx::missing(); }

// The tick indices whose percentiles are computed: the frame's range (the smaller first and
// the larger last index of its two pairs), widened by one tick on each side where the list
// allows unless widen is false; the whole list without a frame. hi < lo when empty.
inline void ticks(const vyxstate* s, int* lo, int* hi, bool widen = true) {
    const int count = s->popt.panels.npct;
    if (!s->plot.frame) {
        *lo = 0;
        *hi = count - 1;
        return;
    }
    int a = s->plot.frame->pfirst < s->plot.frame->pfirst2 ? s->plot.frame->pfirst : s->plot.frame->pfirst2;
    int b = s->plot.frame->plast > s->plot.frame->plast2 ? s->plot.frame->plast : s->plot.frame->plast2;
    if (widen && a > 0) --a;
    if (widen && b < count - 1) ++b;
    *lo = a < 0 ? 0 : a;
    *hi = b > count - 1 ? count - 1 : b;
}
