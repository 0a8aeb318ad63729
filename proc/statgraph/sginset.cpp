// The inset of a statistical graph, shared by the probability and the MCF plot: its entries
// as a phantom data object (sginset.h).
#include "proc/statgraph/sginset.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/statgraph_internal.h"

namespace {

constexpr int kCell = 24;

// The inset of g when it can be built and has something to show. A class level of a
// probability plot is described by its own fit (its method, and no parameters without a
// line), as the device road takes each level's before its inset: the working fields hold the
// last level's. (Without class variables they hold the one group's.)
const insetrec* groupinset(vyxstate* s, grpnode* g) {
    s->plot.inset = nullptr;
    if (!g) return nullptr;
    if (!s->popt.pflags.ismcf && s->groups.nclass > 0) {
        s->work.fitmethod = g->fitmeth;
        s->work.nofitline = g->nofit;
    }
    if (vyxins(s, g) != 0) return nullptr;
    const insetrec* r = s->plot.inset;
    return r && r->active && r->entries ? r : nullptr;
}

// An entry's place among the columns: its label and how many entries of its inset carry
// that label before it.
struct Key {
    std::string label;
    int nth;
    bool operator==(const Key& o) const { return nth == o.nth && label == o.label; }
};

std::vector<Key> keys(const insetrec* r) {
    std::vector<Key> v;
    for (const insetent* e = r ? r->entries : nullptr; e; e = e->next) {
        Key k{std::string(e->label, static_cast<size_t>(std::clamp(e->lablen, 0, kCell))), 0};
        for (const Key& o : v) k.nth += o.label == k.label;
        v.push_back(k);
    }
    return v;
}

// The columns of the groups' insets: every entry of every group, in the order of the insets
// (an entry one group lacks, such as the parameters of a group without a fit, keeps its place
// among the others).
void merge(std::vector<Key>& cols, const std::vector<Key>& more) {
    size_t at = 0;
    for (const Key& k : more) {
        auto it = std::find(cols.begin(), cols.end(), k);
        if (it == cols.end()) it = cols.insert(cols.begin() + static_cast<std::ptrdiff_t>(at), k);
        at = static_cast<size_t>(it - cols.begin()) + 1;
    }
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
    if (groupinset(s, g)) AddInset(s, items, count);
    return 0;
}

int inset_phantom(vyxstate* s, const char* label, int firstk, wobitem** items, int* count, uint32_t* ref) {
    *items = nullptr;
    *count = 0;
    // Every group's inset, built once (the records stay in the working pool).
    std::vector<const insetrec*> recs;
    const insetrec* first = nullptr;
    std::vector<Key> cols;
    eachgroup(s->groups, [&](grpnode* g) {
        const insetrec* r = groupinset(s, g);
        recs.push_back(r);
        if (r && !first) first = r;
        merge(cols, keys(r));
        return 0;
    });
    if (!first) return 0;
    const int n = static_cast<int>(cols.size());

    // The labels as the graph's variables: the first group's inset with an entry per column,
    // its value that of the first group that has it.
    auto* all = poolget<insetrec>(s->pools.workpool, 1, poolflag::zeroed);
    auto* ents = poolget<insetent>(s->pools.workpool, n, poolflag::zeroed);
    if (!all || !ents) {
        xmemmsg(all ? int64_t(sizeof(insetent)) * n : int64_t(sizeof(insetrec)));
        return 0;
    }
    *all = *first;
    all->entries = ents;
    all->nentries = n;
    for (int k = 0; k < n; ++k) {
        insetent& e = ents[k];
        std::memset(e.label, ' ', kCell);
        std::memcpy(e.label, cols[k].label.data(), cols[k].label.size());
        e.lablen = static_cast<int32_t>(cols[k].label.size());
        std::memset(e.value, ' ', kCell);
        e.next = k + 1 < n ? &ents[k + 1] : nullptr;
        bool found = false;
        for (const insetrec* r : recs) {
            const std::vector<Key> rk = keys(r);
            const insetent* v = r ? r->entries : nullptr;
            for (size_t j = 0; v && !found; v = v->next, ++j)
                if (rk[j] == cols[k]) {
                    std::memcpy(e.value, v->value, kCell);
                    e.vallen = v->vallen;
                    found = true;
                }
            if (found) break;
        }
    }
    s->plot.inset = all;
    AddInset(s, items, count);
    s->plot.inset = nullptr;

    auto* cells = static_cast<char*>(poolbytes(s->pools.stmtpool, int64_t(kCell) * n, poolflag::zeroed_marked));
    if (!cells) {
        xmemmsg(int64_t(kCell) * n);
        return 0;
    }
    if (int rc = phcreate(s, "InsetPhantom", label)) return rc;
    for (int k = 0; k < n; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "Var%d", k + firstk);
        char lab[kCell + 1] = {};
        std::memcpy(lab, cols[k].label.data(), cols[k].label.size());
        if (int rc = phcolumn(s, COL_TEXT, name, lab, kCell, "Group", cells + kCell * k)) return rc;
    }
    if (int rc = phenddef(s)) return rc;
    if (int rc = phbind(s, ref)) return rc;
    // One row per group: its values under their labels, blank where it has no such entry
    // (and a row of blanks for an empty cell or an inset that could not be built).
    for (const insetrec* r : recs) {
        std::memset(cells, ' ', static_cast<size_t>(kCell) * n);
        const std::vector<Key> rk = keys(r);
        size_t j = 0;
        for (const insetent* e = r ? r->entries : nullptr; e; e = e->next, ++j) {
            const auto it = std::find(cols.begin(), cols.end(), rk[j]);
            const size_t k = static_cast<size_t>(it - cols.begin());
            padtext(cells + kCell * k, kCell, 0, e->value, std::clamp(e->vallen, 0, kCell));
        }
        if (int rc = phrow(s)) return rc;
    }
    if (int rc2 = phclose(s)) return rc2;
    return 1;
}
