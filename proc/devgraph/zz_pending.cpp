// Routines of other pieces that the device plots call and that are not available yet:
// weak, so that the real routines replace them. The file is named to sort last, so that an
// archive link finds a real routine before its placeholder.
//
// The failure-mode analysis: no combined curve, and the intersection of a reference line
// with it is not drawn. The statistical-graphics road of the plots: the statement notes
// once that it is not available and draws nothing.
#include "proc/devgraph/ppdraw.h"
#include "proc/devgraph/reflines.h"
#include "proc/devgraph/relation.h"
#include "proc/framework/vyxstate.h"
#include "proc/lifedist/notyet.h"

namespace {

// Once per statement and BY group.
int statroad(vyxstate* s) {
    constexpr uint32_t kNoted = 0x10000;
    if (s->pendingnoted & kNoted) return 0;
    s->pendingnoted |= kNoted;
    notavailable(s, "the statistical graphics of the plot");
    return 0;
}

}  // namespace

__attribute__((weak)) int fmest(vyxstate*, double, double*) { return 1; }
__attribute__((weak)) int fmint(vyxstate*, double*, double*, const double*, int, int) { return 1; }
__attribute__((weak)) int fmcdf(vyxstate* s) {
    s->fmcurve = nullptr;
    return 1;
}
__attribute__((weak)) int vyxpog(vyxstate* s) { return statroad(s); }
__attribute__((weak)) int vyxrog(vyxstate* s, const double*) { return statroad(s); }
