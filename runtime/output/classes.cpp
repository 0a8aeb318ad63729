// The class records of the output objects: each object kind's methods in a hash table of
// buckets, with the parent chain and the direct interface pairs.
#include <vector>
#include "runtime/output/methods.h"
#include "runtime/output/program.h"

namespace rt::out {

namespace {

struct Def {
    int method;
    obmethod routine;
};

// Fills a class record: a hash table of 16 buckets whose chains hold the method entries.
// The records are built once and never change.
void build(obclass& c, obclass* parent, std::initializer_list<Def> defs, const obdirect* direct) {
    constexpr uint32_t kBuckets = 16;
    c.parent = parent;
    c.mask = kBuckets - 1;
    c.buckets = new obmethent*[kBuckets]();
    for (const Def& d : defs) {
        auto* rec = new obmethrec{d.routine, nullptr, nullptr};
        auto* e = new obmethent{nullptr, nullptr, rec, d.method};
        obmethent** slot = &c.buckets[c.mask & static_cast<uint32_t>(d.method)];
        while (*slot) slot = &(*slot)->next;
        *slot = e;
    }
    c.info = obpair{direct, nullptr};
    c.query = obpair{direct, nullptr};
    c.release = obpair{direct, nullptr};
}

const obdirect kManager[] = {direct_manager};
const obdirect kData[] = {direct_data};
const obdirect kInfo[] = {direct_info};
const obdirect kGroup[] = {direct_group};
const obdirect kPlain[] = {direct_plain};

Classes* make() {
    auto* c = new Classes{};
    build(c->env, nullptr, {{OB_CREATE, env_create}}, kPlain);
    build(c->manager, nullptr,
          {{OB_CREATE, mgr_create},
           {OB_BIND, mgr_bind},
           {OB_PUBLISH, mgr_publish},
           {OB_MATRIX, mgr_matrix},
           {OB_GROUP, mgr_group},
           {OB_NOTE, mgr_note},
           {OB_QUERY, mgr_query},
           {OB_GRAPH, mgr_graph},
           {OB_MAKE, mgr_make},
           {OB_DESTSTART, mgr_deststart},
           {OB_DESTPUB, mgr_destpub},
           {OB_DESTFREE, mgr_destfree}},
          kManager);
    // Data objects and information lists share the end of rows through their parent.
    build(c->table, nullptr, {{OB_ENDROWS, tab_endrows}}, kPlain);
    build(c->data, &c->table,
          {{OB_ADDCOL, data_addcol},
           {OB_TITLES, data_titles},
           {OB_ENDDEF, data_enddef},
           {OB_ADDROW, data_addrow},
           {OB_ADDROWS, data_addrows}},
          kData);
    build(c->info, &c->table, {{OB_INFO, info_line}}, kInfo);
    build(c->group, nullptr, {}, kGroup);
    build(c->assoc, nullptr, {{OB_INFO, assoc_add}, {OB_DESTLIST, assoc_get}}, kPlain);
    build(c->list, nullptr, {{OB_INFO, list_add}, {OB_DESTLIST, list_get}, {OB_DEST158, list_count}}, kPlain);
    return c;
}

}  // namespace

const Classes& classes() {
    static const Classes* c = make();
    return *c;
}

}  // namespace rt::out
