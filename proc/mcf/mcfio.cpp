// Walking a group's MCF records in order, from memory or block by block from its utility
// file, each block written back after use when asked (mcf.h).
#include "proc/mcf/mcf_internal.h"

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/vyxstate.h"

namespace {

int putback(mcfwalk* w) {
    if (!w->writeback || w->inblock == 0) return 0;
    if (xcpntd(w->file, w->noted) != 0 || xcwrite(w->file, w->buf, int64_t(w->inblock) * MCF_RECLEN) != 0) {
        xpmlog(510, E510_FILE_WRITE);
        return RC_READ;
    }
    return 0;
}

int readblock(mcfwalk* w) {
    int32_t left = w->total - w->done;
    w->inblock = left < w->perblock ? left : w->perblock;
    w->at = 0;
    w->noted = xcnoted(w->file);
    int st = xcread(w->file, w->buf, int64_t(w->inblock) * MCF_RECLEN);
    if (st != 0) {   // the end of the file (2049) or a failure: either way the records are short
        xpmlog(510, E510_FILE_ENDS_EARLY);
        w->inblock = 0;
        return RC_READ;
    }
    return 0;
}

}  // namespace

int mcfwalkstart(mcfwalk* w, const grpnode* g, bool writeback) {
    *w = mcfwalk{};
    w->file = g->ufile;
    w->buf = reinterpret_cast<mcfrec*>(g->rowbuf);
    w->total = g->mcf.nrec;
    w->writeback = writeback;
    if (!w->file) {
        w->inblock = g->nrows;
        if (w->total > w->inblock) w->total = w->inblock;
        return 0;
    }
    xcpoint(w->file, 0);
    return 0;
}

mcfrec* mcfwalknext(mcfwalk* w, int* rc) {
    if (w->done >= w->total) return nullptr;
    if (w->file && w->at >= w->inblock) {
        if ((*rc = putback(w)) != 0) return nullptr;
        if ((*rc = readblock(w)) != 0) return nullptr;
    }
    ++w->done;
    return &w->buf[w->at++];
}

int mcfwalkend(mcfwalk* w) {
    if (!w->file) return 0;
    int rc = putback(w);
    w->inblock = 0;
    return rc;
}
