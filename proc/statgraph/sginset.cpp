// The inset of a statistical graph, shared by the probability and the MCF plot: its entries
// as a phantom data object (sginset.h).
#include "proc/statgraph/sginset.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/statgraph_internal.h"

namespace {

constexpr int kCell = 24;

// The inset of g when it can be built and has something to show.
const insetrec* build(vyxstate* s, grpnode* g) {
    s->plot.inset = nullptr;
    if (!g || vyxins(s, g) != 0) return nullptr;
    const insetrec* r = s->plot.inset;
    return r && r->active && r->entries ? r : nullptr;
}

// Calls f(group or null) for each group of the plot in order.
template <class F>
int eachgroup(groupstate& groups, F&& f) {
    if (groups.nclass == 1) {
        for (grpnode* g = groups.grplist.head; g; g = g->next)
            if (int rc = f(g)) return rc;
        return 0;
    }
    const int n1 = static_cast<int>(groups.nlev[NLEV_FIRST]), n2 = static_cast<int>(groups.nlev[NLEV_SECOND]);
    for (int i = 0; i < n1 * n2; ++i)
        if (int rc = f(groups.grpgrid[i])) return rc;
    return 0;
}

}  // namespace

int inset_single(vyxstate* s, grpnode* g, wobitem** items, int* count) {
    *items = nullptr;
    *count = 0;
    if (build(s, g)) AddInset(s, items, count);
    return 0;
}

int inset_phantom(vyxstate* s, const char* label, int firstk, wobitem** items, int* count, uint32_t* ref) {
    *items = nullptr;
    *count = 0;
    const insetrec* first = nullptr;
    eachgroup(s->groups, [&](grpnode* g) { return g && (first = build(s, g)) ? 1 : 0; });
    if (!first) return 0;
    AddInset(s, items, count);
    int n = 0;
    for (const insetent* e = first->entries; e; e = e->next) ++n;
    auto* cells = static_cast<char*>(poolbytes(s->pools.stmtpool, int64_t(kCell) * n, poolflag::zeroed_marked));
    if (!cells) {
        xmemmsg(int64_t(kCell) * n);
        return 0;
    }
    if (int rc = phcreate(s, "InsetPhantom", label)) return rc;
    int k = 0;
    for (const insetent* e = first->entries; e; e = e->next, ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "Var%d", k + firstk);
        char lab[kCell + 1] = {};
        std::memcpy(lab, e->label, static_cast<size_t>(std::clamp(e->lablen, 0, kCell)));
        if (int rc = phcolumn(s, COL_TEXT, name, lab, kCell, "Group", cells + kCell * k)) return rc;
    }
    if (int rc = phenddef(s)) return rc;
    if (int rc = phbind(s, ref)) return rc;
    const int rc = eachgroup(s->groups, [&](grpnode* g) -> int {
        std::memset(cells, ' ', static_cast<size_t>(kCell) * n);
        if (const insetrec* r = build(s, g)) {
            int j = 0;
            for (const insetent* e = r->entries; e && j < n; e = e->next, ++j)
                padtext(cells + kCell * j, kCell, 0, e->value, std::clamp(e->vallen, 0, kCell));
        }
        return phrow(s);
    });
    if (rc) return rc;
    if (int rc2 = phclose(s)) return rc2;
    return 1;
}
