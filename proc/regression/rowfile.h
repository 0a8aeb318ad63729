// Reading the design rows back: all at once from memory, or block by block from the
// utility file into the block buffer.
#pragma once
#include <cstdint>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/stepend.h"
#include "proc/vyxstate.h"
#include "proc/regression/regression_internal.h"

// Calls fn(rows, count) for every block of design rows, in row order: the chunks of rows in
// memory, or the utility file block by block. false when a block could not be read (the step
// is then ended) or when fn asked to stop.
template <class F>
inline bool forblocks(vyxstate* s, F&& fn) {
    const mdllayout* L = s->mdl.mdllay;
    if (s->mdl.mdlinmem) {
        int64_t left = s->mdl.mdlrows;
        for (int c = 0; c < s->mdl.mdlnchunks && left > 0; ++c) {
            const int64_t n = left < s->mdl.mdlchunkrows ? left : s->mdl.mdlchunkrows;
            if (!fn(s->mdl.mdlchunks[c], n)) return false;
            left -= n;
        }
        return true;
    }
    if (!s->pools.utilfile) return false;
    const int64_t per = s->mdl.mdlblkrows;
    const int64_t bytes = per * L->rowbytes();
    xcpoint(s->pools.utilfile, 0);
    for (int64_t done = 0; done < s->mdl.mdlrows; done += per) {
        if (xcread(s->pools.utilfile, s->mdl.mdlrowbuf, bytes) != 0) {
            xpmlog(510, E510_FILE_ENDS_EARLY);
            endstep(s, RC_INPUT);
            return false;
        }
        const int64_t n = s->mdl.mdlrows - done < per ? s->mdl.mdlrows - done : per;
        if (!fn(s->mdl.mdlrowbuf, n)) return false;
    }
    return true;
}

