// The parse set-up of a step: the parse-control block, the parser block, the effect-parse
// record, the request with its callback, and the parse itself (prssetup.h).
#include "proc/framework/prssetup.h"
#include "proc/framework/check.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/vyxiag.h"
#include "proc/framework/xsparse.h"
#include "proc/framework/zefprsi.h"
#include "proc/framework/xinit.h"

int prssetup() {
    prsctl* block = vyxiag();
    if (!block) return RC_NOMEM;
    modparse* mpb = curparse();
    auto* pb = poolget<prsblk>(v_global_gcb_anchor->pool, 1, poolflag::zeroed_marked);
    if (!pb) {
        xmemmsg(static_cast<int64_t>(sizeof(prsblk)));
        xexit(RC_NOMEM, 0);
        return RC_NOMEM;
    }
    *pb = prsblk{block, nullptr, nullptr, nullptr};
    mpb->parser = pb;
    zefprsi(20, 1);
    pb->effentry = mpb->effentry;
    prsreq request{};
    request.check = check;
    xsparse(block, &request);
    return mpb->error;
}
