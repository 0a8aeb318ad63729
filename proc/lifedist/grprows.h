// The observation rows of one group, in order: from the row buffer when every row is in
// memory, else block by block from the group's utility file into the row buffer.
#pragma once
#include <cstdint>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/npmsg.h"

// Calls f(row) for each of the group's nobs rows (row: doubles per row doubles); a
// non-zero result of f stops the walk and is returned. Returns 0, or 1020 after message
// 510/22 when the file ends (or cannot be read) early.
template <class F>
int eachrow(vyxstate* s, grpnode* g, F&& f) {
    const int64_t dpr = s->opts.rowlay[1];
    const int32_t nobs = g->nobs;
    if (!g->ufile) {
        const double* r = g->rowbuf;
        for (int32_t i = 0; i < nobs; ++i, r += dpr)
            if (int rc = f(r)) return rc;
        return 0;
    }
    const int64_t rpb = s->opts.rowlay[0];
    xcpoint(g->ufile, 0);
    int32_t done = 0;
    while (done < nobs) {
        if (xcread(g->ufile, g->rowbuf, rpb * dpr * 8) != 0) {
            xpmlog(510, MSG_ROWS_END_EARLY);
            return RC_READ;
        }
        const int32_t n = nobs - done < rpb ? nobs - done : static_cast<int32_t>(rpb);
        const double* r = g->rowbuf;
        for (int32_t i = 0; i < n; ++i, r += dpr)
            if (int rc = f(r)) return rc;
        done += n;
    }
    return 0;
}
