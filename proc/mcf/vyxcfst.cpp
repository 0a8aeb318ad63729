// Event sorting of one group of exact recurrence times: every unit must have ended; units
// are numbered by decreasing end time so that the units at risk are always the indices below
// a running count; the records are sorted by time, value (descending: events before ends)
// and unit id (descending).
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/pools.h"
#include "proc/framework/sortwrap.h"
#include "proc/vyxstate.h"
#include "proc/mcf/mcf_internal.h"

namespace {

// Later end first; at equal ends the smaller id first (the in-order walk numbers downwards).
int compare(const void* pa, const void* pb, int, int) {
    const auto* a = static_cast<const mcfunit*>(pa);
    const auto* b = static_cast<const mcfunit*>(pb);
    if (a->endtime < b->endtime) return -1;
    if (a->endtime > b->endtime) return 1;
    int c = std::memcmp(a->id, b->id, 16);
    if (c < 0) return 1;
    return c == 0 ? 0 : -1;
}

// Events that lie within rounding past their unit's end are moved back to the end time.
int clampevents(vyxstate* s, grpnode* g) {
    mcfwalk w;
    int rc = mcfwalkstart(&w, g, true);
    if (rc) return rc;
    auto** units = reinterpret_cast<mcfunit**>(g->mcf.unitseq);
    while (mcfrec* r = mcfwalknext(&w, &rc)) {
        if (ismissing(r->value)) continue;
        const mcfunit* u = units[static_cast<int32_t>(r->mcf)];
        if (r->time > u->endtime) {
            char id[280];
            keptunitshown(s, u, u->lastid, id, sizeof id);
            xpmlog(510, N510_MCF_EVENT_AT_END, id, r->time, u->endtime);
            r->time = u->endtime;
        }
    }
    if (rc) return rc;
    return mcfwalkend(&w);
}

}  // namespace

int vyxcfst(vyxstate* s, grpnode* g) {
    if (s->inwork.rspkind != MCF_EXACT) return 0;
    const int32_t n = g->ncens;
    if (s->input.nfreq > 0 && s->mcf.mcfopt.varlawless) {
        g->mcf.unitwts = static_cast<double*>(poolbytes(s->pools.stmtpool, int64_t(n > 0 ? n : 1) * 8, poolflag::zeroed_marked));
        if (!g->mcf.unitwts) {
            xmemmsg(int64_t(n) * 8);
            return RC_REPORTED;
        }
    } else {
        g->mcf.unitwts = nullptr;
    }
    // Every unit must have ended; the units by order of first appearance.
    ztrelst(&g->mcf.units[0]);
    const int32_t nunits = g->mcf.nunitseq;
    auto** seq = static_cast<mcfunit**>(poolbytes(s->pools.stmtpool, int64_t(nunits > 0 ? nunits : 1) * 8, poolflag::zeroed));
    if (!seq) {
        xmemmsg(int64_t(nunits) * 8);
        return RC_REPORTED;
    }
    for (auto* u = static_cast<mcfunit*>(g->mcf.units[0]); u; u = reinterpret_cast<mcfunit*>(u->link.next)) {
        if (!u->ended) {
            char id[280];
            keptunitshown(s, u, u->lastid, id, sizeof id);
            xpmlog(510, E510_MCF_UNIT_NO_END, id);
            return RC_REPORTED;
        }
        seq[u->seq] = u;
    }
    g->mcf.unitseq = reinterpret_cast<void**>(seq);
    // Number the units: in the order of compare (an array sort gives the order the unit
    // tree's in-order walk gives, without a tree of a million nodes), counting down from n - 1.
    auto** byend = static_cast<mcfunit**>(poolbytes(s->pools.stmtpool, int64_t(nunits > 0 ? nunits : 1) * 8, poolflag::zeroed));
    if (!byend) {
        xmemmsg(int64_t(nunits) * 8);
        return RC_REPORTED;
    }
    std::memcpy(byend, seq, sizeof(mcfunit*) * static_cast<size_t>(nunits));
    std::sort(byend, byend + nunits, [](const mcfunit* a, const mcfunit* b) { return compare(a, b, 0, 0) < 0; });
    for (int32_t k = n - 1, i = 0; i < nunits; ++i, --k) {
        byend[i]->index = k;
        if (g->mcf.unitwts && k >= 0) g->mcf.unitwts[k] = byend[i]->weight;
    }
    if (g->mcf.clamped) {
        if (int rc = clampevents(s, g); rc != 0) return rc;
    }

    // Sort the records.
    auto* ctl = poolget<sortctl>(s->pools.stmtpool, 1, poolflag::zeroed);
    if (!ctl) {
        xmemmsg(sizeof(sortctl));
        return RC_REPORTED;
    }
    auto* keys = static_cast<sortkey*>(poolbytes(s->pools.stmtpool, 3 * sizeof(sortkey), poolflag::zeroed));
    if (!keys) {
        xmemmsg(3 * sizeof(sortkey));
        return RC_REPORTED;
    }
    void* one = poolbytes(s->pools.stmtpool, MCF_RECLEN, poolflag::zeroed);
    if (!one) {
        xmemmsg(MCF_RECLEN);
        return RC_REPORTED;
    }
    keys[0] = sortkey{static_cast<uint32_t>(offsetof(mcfrec, time)), 8, SORTK_NUM, SORTO_ASC, 0};
    keys[1] = sortkey{static_cast<uint32_t>(offsetof(mcfrec, value)), 8, SORTK_NUM, SORTO_DESC, 0};
    keys[2] = sortkey{static_cast<uint32_t>(offsetof(mcfrec, unit)), 16, SORTK_CHAR, SORTO_DESC, 0};
    ctl->nkeys = 3;
    ctl->keys = keys;
    ctl->reclen = MCF_RECLEN;
    ctl->recbuf = one;
    ctl->pool = s->pools.stmtpool;
    ctl->workcap = -1;
    ctl->start = zsorxci();
    ctl->compare = zsorxct();
    if (g->ufile) {
        xcpoint(g->ufile, 0);
        ctl->infile = g->ufile;
        ctl->nrecs = -1;
        ctl->exits[SORTX_GET] = zxcget();
        ctl->exits[SORTX_PUT] = zxcput();
        ctl->exits[SORTX_END] = zxcrtn();
    } else {
        // Records in memory are sorted in place.
        ctl->inrecs = g->rowbuf;
        ctl->nrecs = g->nrows;
    }
    if (int rc = zsort(ctl); rc != 0) {
        xprrlog(0, rc);
        return RC_REPORTED;
    }
    if (g->ufile) {
        xcclose(g->ufile, 1);
        g->ufile = ctl->outfile;
        xcpoint(g->ufile, 0);
    }
    return 0;
}
