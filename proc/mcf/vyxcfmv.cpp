// MCF estimation: exact recurrence times (the records sorted by vyxcfst) and the dispatch.
#include <cfloat>
#include <cmath>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/mcf/mcf_internal.h"
#include "proc/mcf/mcfacc.h"
#include "proc/numeric/normal.h"

namespace {

McfVar methodof(const mcfstate& mcf) {
    if (mcf.mcfopt.varlawless) return McfVar::Lawless;
    if (mcf.mcfopt.varpoisson) return McfVar::Poisson;
    return mcf.mcfopt.varindinc ? McfVar::IndInc : McfVar::Nelson;
}

}  // namespace

int vyxcfmv(vyxstate* s, grpnode* g) {
    return s->inwork.rspkind == MCF_EXACT ? vyxcfmv1(s, g) : vyxcfmv2(s, g);
}

int vyxcfmv1(vyxstate* s, grpnode* g) {
    const double z = zprobitq(s->opts.alpha / 2);
    const int32_t n = g->ncens;
    const McfVar method = methodof(s->mcf);
    const bool lims = s->mcf.mcfopt.wantlims != 0;
    mcfextremes(g);

    poolobj* pool = xmpoolc(8192, 8192, 4100);
    if (!pool) {
        xpmlog(510, E510_POOL_FAILED);
        return RC_REPORTED;
    }
    size_t bytes = lims ? mcfacc_bytes(method, n) : 0;
    void* work = bytes ? poolbytes(pool, static_cast<int64_t>(bytes), poolflag::zeroed) : nullptr;
    if (bytes && !work) {
        xmemmsg(static_cast<int64_t>(bytes));
        xmpoold(pool);
        return RC_REPORTED;
    }

    // Each unit's index and weight by its order number, packed: the records come in time
    // order, so their units are visited at random; one small entry per unit instead of its
    // tree node keeps that from missing the cache twice per record.
    auto** units = reinterpret_cast<mcfunit**>(g->mcf.unitseq);
    const int32_t nunits = g->mcf.nunitseq;
    struct unitref {
        double weight;
        int32_t index;
    };
    const int64_t refbytes = int64_t(nunits > 0 ? nunits : 1) * int64_t(sizeof(unitref));
    auto* refs = static_cast<unitref*>(poolbytes(pool, refbytes, poolflag::zeroed));
    if (!refs) {
        xmemmsg(refbytes);
        xmpoold(pool);
        return RC_REPORTED;
    }
    // The risk set starts as the compensated sum of the unit weights (a double sum of 1e15 and
    // 0.05 is 1e15), so that it is still exact when the large weights have left.
    mcfsum total;
    for (int32_t k = 0; k < nunits; ++k) {
        refs[k] = unitref{units[k]->weight, units[k]->index};
        total.add(units[k]->weight);
    }
    mcfacc acc;
    mcfacc_init(&acc, method, lims, n, total.sum, g->mcf.unitwts, work, total.comp);
    mcfwalk w;
    int rc = mcfwalkstart(&w, g, true);
    while (rc == 0) {
        mcfrec* r = mcfwalknext(&w, &rc);
        if (!r) break;
        // Fetch ahead: the unit entry of a record 16 on, the unit's storage of a record 8 on.
        if (const mcfrec* f = mcfwalkpeek(&w, 16); f && f->mcf >= 0 && f->mcf < nunits)
            __builtin_prefetch(&refs[static_cast<int32_t>(f->mcf)]);
        if (const mcfrec* f = mcfwalkpeek(&w, 8); f && f->mcf >= 0 && f->mcf < nunits && !ismissing(f->value))
            mcfacc_prefetch(&acc, refs[static_cast<int32_t>(f->mcf)].index);
        const double t = r->time;
        const double seq = r->mcf;
        if (!(seq >= 0 && seq < nunits)) {
            xpmlog(510, E510_MCF_UNIT_TREE, txtarg(r->unit, 16));
            rc = RC_REPORTED;
            break;
        }
        const unitref u = refs[static_cast<int32_t>(seq)];
        if (ismissing(r->value)) {
            mcfacc_end(&acc, u.weight);
            if (t > g->mcf.endmax) g->mcf.endmax = t;
            if (t < g->mcf.endmin) g->mcf.endmin = t;
            r->mcf = static_cast<double>(acc.M);   // the MCF at the end of the unit (its order number goes)
            continue;
        }
        mcfacc_event(&acc, u.index, u.weight, r->value);
        const double m = static_cast<double>(acc.M);
        r->mcf = m;
        if (m > g->mcf.mcfmax) g->mcf.mcfmax = m;
        if (m < g->mcf.mcfmin) g->mcf.mcfmin = m;
        if (t > g->mcf.evtmax) g->mcf.evtmax = t;
        if (t < g->mcf.evtmin) g->mcf.evtmin = t;
        if (!lims) continue;
        const double var = static_cast<double>(acc.var);
        const double se = var > 0 ? std::sqrt(var) : 0.0;
        r->se = se;
        if (m - z * se < g->mcf.lowmin) g->mcf.lowmin = m - z * se;
        if (m + z * se > g->mcf.uppmax) g->mcf.uppmax = m + z * se;
    }
    if (rc == 0) rc = mcfwalkend(&w);
    xmpoold(pool);
    return rc;
}
