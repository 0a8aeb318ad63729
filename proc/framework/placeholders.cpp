// Statements whose analyses are not available yet (weak, so that the analyses replace
// them as they come): each run logs one note, naming the
// statement, its line and the BY group, and returns. Device graphics are not
// available yet either: no destination opens.
#include <cstdio>

#include "host/hostdefs.h"
#include "proc/framework/analyses.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"

namespace {

// Host catalog message: "The %1 statement is not available yet ...".
constexpr int kHostGroup = -1;
constexpr int kNotYet = 100;

int notyet(vyxstate* s, const char* name) {
    char by[512] = "";
    if (s->dsin && s->nbyvars > 0) {
        char line[480] = "";
        hostvec<vec203>(VEC_DATASETS)->xbyline(s->dsin, line, sizeof line);
        std::snprintf(by, sizeof by, " in the BY group %s", line);
    }
    xpmlog(kHostGroup, kNotYet, name, s->curstmt ? s->curstmt->line : 0, by);
    return 0;
}

}  // namespace

__attribute__((weak)) int vyxmod(vyxstate* s) { return notyet(s, "MODEL"); }

int zqidest(gdestctx*) { return RC_SETUP; }
int ggsload(void*, int, int) { return 1; }
void zqdfree(gdestctx*) {}
int ggstop() { return 0; }
