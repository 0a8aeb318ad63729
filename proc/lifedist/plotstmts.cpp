// PROBPLOT and RELATIONPLOT until their drawing is available: the options, the computations
// and the tables of the statement run now; the log says once per statement that the plot
// itself is not drawn yet. Weak, so that the drawing routines replace them.
#include <cstdio>

#include "proc/framework/analyses.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"
#include "proc/lifedist/lifedist.h"

namespace {

// Host catalog: "%1 is not available yet in this version; the %2 statement goes on without it%3."
constexpr int kHostGroup = -1;
constexpr int kPieceNotYet = 101;

void notdrawn(vyxstate* s, const char* stmt) {
    char by[512] = "";
    if (s->dsin && s->nbyvars > 0) {
        char line[480] = "";
        hostvec<vec203>(VEC_DATASETS)->xbyline(s->dsin, line, sizeof line);
        std::snprintf(by, sizeof by, " in the BY group %s", line);
    }
    xpmlog(kHostGroup, kPieceNotYet, "drawing the plot", stmt, by);
}

}  // namespace

// The main routine has read the options already.
__attribute__((weak)) int vyxpplt(vyxstate* s) {
    const int rc = PPComp(s);
    notdrawn(s, "PROBPLOT");
    return rc;
}

__attribute__((weak)) int vyxrplot(vyxstate* s) {
    if (int rc = vyxpprm(s)) return rc;
    const int rc = PPComp(s);
    notdrawn(s, "RELATIONPLOT");
    return rc;
}
