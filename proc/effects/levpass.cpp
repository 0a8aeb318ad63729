// The level pass over the data (zlevadd): on the level workers when the model has them,
// else here observation by observation, straight from the default reader's buffer where it
// can serve.
#include <cstring>

#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/rdlayout.h"
#include "proc/effects/workers.h"

namespace {

// zlevad1 on the values where the default reader's buffer holds them (the reader of the
// model is levdirectreader's); -1 when the buffer cannot serve (the caller then runs zlevad1
// on the same observation).
int levad1direct(levwork* w, levstate* ls, levctl* ctl, levbufview& view) {
    const levrdlayout* lay = nullptr;
    const char* buf = levreadobs(ctl, ctl->wantcls != 0, &lay);
    if (!buf) return 1;
    if (lay != view.lay && (!lay->formatted || !view.plan(ls, lay, w->lwpool))) return -1;
    if (ls->freqvar) levcopyrole(ctl, lay, buf, 'f', &ls->freqval);
    if (!(ls->lsflags2 & LS2_KEEPINC) && !view.complete(buf)) return 0;
    const int32_t count = ls->freqvar ? levfreqcount(ls->freqval) : 1;
    int rc = 0;
    for (int i = 0; i < view.ncls; ++i) {
        if (!w->lwactive[i]) continue;
        const levclass* c = &ls->classv[i];
        const levbufview::clsval& v = view.cls[i];
        const bool missok = c->lvoptb && !c->lvmiss;
        if (v.numeric) {
            double x;
            std::memcpy(&x, buf + v.raw, 8);
            if (ismissing(x) && !missok) continue;
            rc |= levnoteone(w, ls, i, buf + v.fmt, x, nullptr, 0, count, -1);
        } else {
            if (blanktext(buf + v.raw, v.len) && !missok) continue;
            rc |= levnoteone(w, ls, i, buf + v.fmt, 0.0, buf + v.raw, v.len, count, -1);
        }
    }
    view.ranges(w, buf);
    return rc;
}

}  // namespace

void zlevadd(dshandle, levwork* w, levstate* ls) {
    if (w->lwthr && zlevworkers(w->lwthr) > 0) {
        if (zlevaddthreads(w, ls) == 0) return;
        // the workers failed: everything they found is dropped and the pass is redone here
        levresettrees(w, ls);
    }
    w->lwwantfmt = 1;
    if (w->lwinit(w, ls) != 0) return;
    levctl* direct = levdirectreader(w);
    levbufview view;
    while (w->lwnext(w, ls))
        if (!direct || levad1direct(w, ls, direct, view) < 0) {
            direct = nullptr;
            zlevad1(w, ls);
        }
}
