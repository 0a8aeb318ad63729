// Reading the design rows back: all at once from memory, or block by block from the
// utility file into the block buffer.
#pragma once
#include <cstdint>

#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"
#include "proc/regression/desrow.h"

// Calls fn(rows, count) for every block of design rows, in row order: the chunks of rows in
// memory, or the utility file block by block. false when a block could not be read (the step
// is then ended) or when fn asked to stop.
template <class F>
inline bool forblocks(vyxstate* s, F&& fn) {
    const mdllayout* L = s->mdllay;
    if (s->mdlinmem) {
        int64_t left = s->mdlrows;
        for (int c = 0; c < s->mdlnchunks && left > 0; ++c) {
            const int64_t n = left < s->mdlchunkrows ? left : s->mdlchunkrows;
            if (!fn(s->mdlchunks[c], n)) return false;
            left -= n;
        }
        return true;
    }
    if (!s->utilfile) return false;
    const int64_t per = s->mdlblkrows;
    const int64_t bytes = per * L->rowbytes();
    xcpoint(s->utilfile, 0);
    for (int64_t done = 0; done < s->mdlrows; done += per) {
        if (xcread(s->utilfile, s->mdlrowbuf, bytes) != 0) {
            xpmlog(510, 22);
            xexit(RC_INPUT, 0);
            s->stepend = 1;
            return false;
        }
        const int64_t n = s->mdlrows - done < per ? s->mdlrows - done : per;
        if (!fn(s->mdlrowbuf, n)) return false;
    }
    return true;
}

