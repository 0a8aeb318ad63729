// The statistical-graphics road of the relation plot, not available yet:
// the statement notes once that it is not available and draws nothing. Weak, so that the
// real routines replace them; the file is named to sort last, so that an archive link finds
// a real routine before its placeholder.
#include "proc/devgraph/ppdraw.h"
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

__attribute__((weak)) int vyxrog(vyxstate* s, const double*) { return statroad(s); }
