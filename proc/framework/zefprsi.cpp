// The effect parser's record with its name-length limit for MODEL and LOGSCALE effects
// (zefprsi.h).
#include "proc/framework/zefprsi.h"
#include "host/effects.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/xinit.h"

void zefprsi(int limit, int flag) {
    auto* rec = poolget<effprsrec>(v_global_gcb_anchor->effpool, 1, poolflag::zeroed_record_marked);
    if (!rec) {
        xmemmsg(static_cast<int64_t>(sizeof(effprsrec)));
        xexit(RC_NOMEM, 0);
        return;
    }
    *rec = effprsrec{};
    rec->limit = limit;
    rec->flag = flag;
    rec->list1tail = &rec->list1;       // two empty lists
    rec->list2tail = &rec->list2;
    modparse* mpb = curparse();
    mpb->effentry = hostvec<vec31>(VEC_STATEMENTS)->zeffect();
    mpb->effstate = rec;
}
