// Until the graphics of MCFPLOT are built, both roads of the plots log once per statement
// that no plot is drawn, and return 0 so that the statement's tables stand. They are weak:
// the graphics replace them.
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"
#include "proc/mcf/mcfdraw.h"
#include "proc/mcf/mcfmsg.h"

namespace {

int noplot(vyxstate* s) {
    xpmlog(MSG_GROUP, MCFM_NOPLOT, s->curstmt ? s->curstmt->line : 0);
    return 0;
}

}  // namespace

__attribute__((weak)) int mcfframe(vyxstate* s, bool insetnext) {
    (void)insetnext;
    s->frame = nullptr;
    return 0;
}

__attribute__((weak)) void mcffont(vyxstate* s, const char* text, int len) {
    std::memset(s->gfile, ' ', sizeof s->gfile);
    std::memcpy(s->gfile, text, static_cast<size_t>(len < 8 ? (len > 0 ? len : 0) : 8));
}

__attribute__((weak)) int vyxcfdev(vyxstate* s) { return noplot(s); }
__attribute__((weak)) int vyxcog(vyxstate* s) { return noplot(s); }
