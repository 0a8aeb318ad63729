// The note of a piece of the life-data road that is not available yet (notyet.h).
#include "proc/lifedist/notyet.h"

#include <cstdio>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msghost.h"
#include "proc/vyxstate.h"

namespace {
constexpr int kHostGroup = -1;
}  // namespace

void notavailable(vyxstate* s, const char* what) {
    char by[512] = "";
    if (s->input.dsin && s->input.nbyvars > 0) {
        char line[480] = "";
        hostvec<vec203>(VEC_DATASETS)->xbyline(s->input.dsin, line, sizeof line);
        std::snprintf(by, sizeof by, " in the BY group %s", line);
    }
    const char* stmt = s->input.stmtkind == 1 ? "PROBPLOT" : s->input.stmtkind == 3 ? "MCFPLOT" : s->input.stmtkind == 4 ? "RELATIONPLOT" : "ANALYZE";
    xpmlog(kHostGroup, NHOST_NOT_AVAILABLE_YET, what, stmt, by);
}
