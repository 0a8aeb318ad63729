// Statements whose analyses are not available yet: each logs one note per step and
// returns. Device graphics are not available yet either: no destination opens.
#include "host/hostdefs.h"
#include "proc/framework/analyses.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"

namespace {

// Host catalog message: "The %1 statement is not available yet ...".
constexpr int kHostGroup = -1;
constexpr int kNotYet = 100;

int notyet(vyxstate* s, unsigned bit, const char* name) {
    if (!(s->notyet & bit)) {
        s->notyet |= bit;
        xpmlog(kHostGroup, kNotYet, name);
    }
    return 0;
}

}  // namespace

int vyxanlz(vyxstate* s) { return notyet(s, 1u, "ANALYZE"); }
int vyxpprm(vyxstate*) { return 0; }
int vyxpplt(vyxstate* s) { return notyet(s, 2u, "PROBPLOT"); }
int vyxrplot(vyxstate* s) { return notyet(s, 4u, "RELATIONPLOT"); }
int vyxcf(vyxstate* s) { return notyet(s, 8u, "MCFPLOT"); }
int vyxmod(vyxstate* s) { return notyet(s, 16u, "MODEL"); }
void CleanUpDisk(vyxstate*) {}

int zqidest(gdestctx*) { return RC_SETUP; }
int ggsload(void*, int, int) { return 1; }
void zqdfree(gdestctx*) {}
int ggstop() { return 0; }
