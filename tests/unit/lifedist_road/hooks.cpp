// The analyses of this test executable: hooks of the tests instead of the real drivers.
#include "fixture.h"
#include "proc/main/analyses.h"
#include "proc/lifedist/lifedist.h"

namespace lt {
std::function<int(vyxstate*)> onanalyze;
std::function<int(vyxstate*)> onplot;
std::function<int(vyxstate*)> onrelation;
}  // namespace lt

int vyxanlz(vyxstate* s) { return lt::onanalyze ? lt::onanalyze(s) : 0; }
int vyxpplt(vyxstate* s) { return lt::onplot ? lt::onplot(s) : 0; }
int vyxrplot(vyxstate* s) {
    if (lt::onrelation) return lt::onrelation(s);
    return vyxpprm(s);
}
