// The plot layout record and the font of the statement. Until the device graphics of MCFPLOT
// are built, that road logs once per statement that no plot is drawn, and returns 0 so that
// the statement's tables stand; it is weak: the device plots replace it.
#include "proc/devgraph/hostgraphics.h"
#include "proc/devgraph/plotlay.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/vyxstate.h"
#include "proc/mcf/mcfdraw.h"
#include "proc/mcf/mcfmsg.h"

namespace {

int noplot(vyxstate* s) {
    xpmlog(MSG_GROUP, MCFM_NOPLOT, s->curstmt ? s->curstmt->line : 0);
    return 0;
}

}  // namespace

int mcfframe(vyxstate* s, bool insetnext) {
    s->frame = static_cast<plotlay*>(vmalcp_handler(s->stmtpool, sizeof(plotlay), 8198));
    if (!s->frame) {
        xmemmsg(sizeof(plotlay));
        return RC_REPORTED;
    }
    s->frame->insetnext = insetnext ? 1 : 0;
    return 0;
}

void mcffont(vyxstate* s, const char* text, int len) { ggfname(text, len, s->gfile); }

__attribute__((weak)) int vyxcfdev(vyxstate* s) { return noplot(s); }
