// The plot layout record and the font of the statement.
#include "proc/framework/hostgraphics.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/mcf/mcfdraw.h"

int mcfframe(vyxstate* s, bool insetnext) {
    s->plot.frame = poolget<plotlay>(s->pools.stmtpool, 1, poolflag::zeroed);
    if (!s->plot.frame) {
        xmemmsg(sizeof(plotlay));
        return RC_REPORTED;
    }
    s->plot.frame->insetnext = insetnext ? 1 : 0;
    return 0;
}

void mcffont(vyxstate* s, const char* text, int len) { ggfname(text, len, s->poptw.gfile); }
