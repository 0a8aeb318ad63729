// Routines of the life-distribution road that are not available yet: each logs once per
// statement that its piece is missing, and returns what lets the statement go on without
// it (a group without a fit, no table). They are weak so that the real routines replace
// them; delete an entry when its routine lands. The file is named to sort last, so that
// an archive link finds a real routine before its placeholder.
#include "proc/framework/vyxstate.h"
#include "proc/lifedist/lifedist.h"
#include "proc/lifedist/notyet.h"

namespace {

enum Piece : uint32_t { CURVE = 1, TURNBULL = 2, LSFIT = 4, MLFIT = 8, DATSUM = 16, ESTTABS = 32, FMODES = 64 };

// Once per statement and piece.
void pending(vyxstate* s, Piece piece, const char* what) {
    if (s->pendingnoted & piece) return;
    s->pendingnoted |= piece;
    notavailable(s, what);
}

}  // namespace

__attribute__((weak)) void fmput(vyxstate* s) { pending(s, FMODES, "the failure-mode analysis"); }
