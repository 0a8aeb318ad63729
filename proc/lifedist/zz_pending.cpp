// Routines of the life-distribution road that are not available yet: each logs once per
// statement that its piece is missing, and returns what lets the statement go on without
// it (a group without a fit, no table). They are weak so that the real routines replace
// them; delete an entry when its routine lands. The file is named to sort last, so that
// an archive link finds a real routine before its placeholder.
#include <cstdio>

#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"
#include "proc/lifedist/lifedist.h"

namespace {

// Host catalog message: "%1 is not available yet ...; the %2 statement goes on without it%3."
constexpr int kHostGroup = -1;
constexpr int kPieceNotYet = 101;

enum Piece : uint32_t { CURVE = 1, TURNBULL = 2, LSFIT = 4, MLFIT = 8, DATSUM = 16, ESTTABS = 32, FMODES = 64, COUNTS = 128 };

void pending(vyxstate* s, Piece piece, const char* what) {
    if (s->pendingnoted & piece) return;
    s->pendingnoted |= piece;
    char by[512] = "";
    if (s->dsin && s->nbyvars > 0) {
        char line[480] = "";
        hostvec<vec203>(VEC_DATASETS)->xbyline(s->dsin, line, sizeof line);
        std::snprintf(by, sizeof by, " in the BY group %s", line);
    }
    const char* stmt = s->stmtkind == 1 ? "PROBPLOT" : s->stmtkind == 4 ? "RELATIONPLOT" : "ANALYZE";
    xpmlog(kHostGroup, kPieceNotYet, what, stmt, by);
}

}  // namespace

__attribute__((weak)) void fmput(vyxstate* s) { pending(s, FMODES, "the failure-mode analysis"); }
__attribute__((weak)) int vyxpb(vyxstate* s, grpnode*) {
    pending(s, COUNTS, "the binomial and Poisson analysis");
    return 0;
}
__attribute__((weak)) int vyxpbpr(vyxstate* s) {
    pending(s, COUNTS, "the binomial and Poisson analysis");
    return 0;
}
