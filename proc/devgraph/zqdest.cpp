// Output destinations and segment lists of a device-graphics plot statement.
#include "proc/devgraph/destinations.h"

#include <cstring>

#include "proc/devgraph/devices.h"
#include "proc/framework/hostgraphics.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msghost.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/wobmth.h"

namespace {

constexpr int kGraphicsSubstitution = 262260;

// An output-manager failure: reported, and device graphics stop for the statement.
int managerfailed(int32_t rc) {
    xprrlog(0, rc);
    return RC_SETUP;
}

obobject* newcollection(obobject* env, const char* kind, int32_t* rc) {
    wobitem it[] = {obstr(OBK_FAMILY, "collection", 10), obstr(OBK_OBJKIND, kind, static_cast<uint32_t>(std::strlen(kind))),
                    obout(OBK_CREATED)};
    *rc = wobmth(env, nullptr, OB_CREATE, 3, it);
    return *rc < 0 ? nullptr : static_cast<obobject*>(it[2].v.p);
}

void upper(char* s, int n) {
    for (int k = 0; k < n; ++k)
        if (s[k] >= 'a' && s[k] <= 'z') s[k] = static_cast<char>(s[k] - 'a' + 'A');
}

}  // namespace

int zqidest(destctx* c) {
    c->nocollect = 0;
    c->pool = xmpoolc(2048, 1024, 2);
    if (!c->pool) {
        xmemmsg(0);
        return RC_NOMEM;
    }
    wobitem d[] = {obptr(OBK_DESTLIST, OBT_VARPTR, nullptr)};
    int32_t rc = wobmth(c->outmgr, nullptr, OB_DESTSTART, 1, d);
    if (rc < 0) {
        zqdfree(c);
        return managerfailed(rc);
    }
    c->dests = static_cast<obdestlist*>(d[0].v.p);
    if (!c->dests || c->dests->count <= 0) {
        xpmlog(580, W580_NO_GRAPHICS_DESTINATION);
        zqdfree(c);
        return RC_SETUP;
    }
    if (wiinstl(kGraphicsSubstitution, "ZORXGSUB", 1) != 0) {
        zqdfree(c);
        xexit(RC_SETUP, 0);
        return RC_SETUP;
    }
    void* block = nullptr;
    ggcbini(&block, 2);
    c->gstate = ggznew(nullptr);
    c->gstate->firstuse = 1;
    const ggdevice* dev = ggdvget(c->gstate->device);
    c->nocollect = dev && dev->devtype >= GGDEV_NOCOLLECT_FIRST && dev->devtype <= GGDEV_NOCOLLECT_LAST ? 1 : 0;
    c->collect = c->gstate->flags & GGS_COLLECT;
    if (c->nocollect) return 0;
    c->segmap = newcollection(c->outenv, "associativearray", &rc);
    if (!c->segmap) return managerfailed(rc);
    for (int i = 0; i < c->dests->count; ++i) {
        obdest* dest = c->dests->entries[i].dest;
        if (!dest) continue;
        wzstrns(dest->name, dest->namelen, "__", "()", 2);
        txthandle t = rdxtxt(dest->name, dest->namelen);
        obobject* list = newcollection(c->outenv, "list", &rc);
        if (!list) return managerfailed(rc);
        wobitem add[] = {obtext(0, t), obobj(0, list)};
        if ((rc = wobmth(c->segmap, nullptr, OB_INFO, 2, add)) < 0) return managerfailed(rc);
    }
    return 0;
}

void zqdfree(destctx* c) {
    if (c->dests) {
        wobitem it[] = {obptr(OBK_DESTLIST, OBT_VARPTR, c->dests)};
        int32_t rc = wobmth(c->outmgr, nullptr, OB_DESTFREE, 1, it);
        if (rc < 0) xprrlog(0, rc);
        c->dests = nullptr;
    }
    if (c->pool) {
        xmpoold(c->pool);
        c->pool = nullptr;
    }
}

int zqsgmt(destctx* c) {
    auto* r = poolget<segrec>(c->pool, 1, poolflag::zeroed);
    if (!r) {
        xmemmsg(sizeof(segrec));
        return RC_NOMEM;
    }
    std::memcpy(r->libname, c->libname, 8);
    r->catlen = c->catlen;
    std::memcpy(r->catname, c->catname, sizeof r->catname);
    r->catextra = c->catextra;
    r->liblen = 8;
    r->cathandles[0] = c->cathandles[0];
    r->cathandles[1] = c->cathandles[1];
    // The output system's graph block names the page when it holds a name.
    rdxgcb* g = rdxggcb(0);
    if (g && g->namelen > 0) {
        r->name = rdxtxt(g->name, g->namelen > 32 ? 32 : g->namelen);
        g->namelen = 0;
    } else {
        r->name = c->segname;
    }
    r->label = c->seglabel;
    wobitem get[] = {obtext(0, c->desttext), obout(0)};
    int32_t rc = wobmth(c->segmap, nullptr, OB_DESTLIST, 2, get);
    if (rc < 0 || !get[1].v.p) return managerfailed(rc < 0 ? rc : OB_NOMETHOD);
    wobitem add[] = {obptr(0, OBT_VARPTR, r)};
    if ((rc = wobmth(static_cast<obobject*>(get[1].v.p), nullptr, OB_INFO, 1, add)) < 0) return managerfailed(rc);
    return 0;
}

int zqpdest(destctx* c) {
    if (!c->collect) return 0;
    if (c->gstate) c->gstate->flags |= GGS_COLLECT;
    const int n = c->dests ? c->dests->count : 0;
    // Zero-filled: a destination that is skipped (a later DOCUMENT) keeps an entry of no
    // segments instead of unset memory that the output manager would read.
    auto* table = poolget<obsegent>(c->pool, n > 0 ? n : 1, poolflag::zeroed);
    if (!table) {
        xmemmsg(static_cast<int64_t>(n) * sizeof(obsegent));
        return RC_NOMEM;
    }
    obsegtable header{static_cast<int16_t>(n), table};
    for (int i = 0; i < n; ++i) {
        obdest* dest = c->dests->entries[i].dest;
        if (!dest) continue;
        txthandle t = rdxtxt(dest->name, dest->namelen);
        upper(dest->name, dest->namelen);
        if (i >= 1 && dest->namelen == 8 && std::memcmp(dest->name, "DOCUMENT", 8) == 0) continue;
        wobitem get[] = {obtext(0, t), obout(0)};
        int32_t rc = wobmth(c->segmap, nullptr, OB_DESTLIST, 2, get);
        if (rc < 0) return managerfailed(rc);
        auto* list = static_cast<obobject*>(get[1].v.p);
        if (!list) continue;
        wobitem cnt[] = {obitem(OBK_COUNT158, OBT_INT)};
        rc = wobmth(list, nullptr, OB_DEST158, 1, cnt);
        if (rc < 0) return managerfailed(rc);
        const int count = cnt[0].v.i;
        auto* items = poolget<wobitem>(c->pool, count > 0 ? count : 1, poolflag::zeroed);
        if (!items) {
            xmemmsg(static_cast<int64_t>(count) * sizeof(wobitem));
            return RC_NOMEM;
        }
        for (int j = 1; j <= count; ++j) {
            wobitem el[] = {obint(0, j), obout(0)};
            if ((rc = wobmth(list, nullptr, OB_DESTLIST, 2, el)) < 0) return managerfailed(rc);
            items[j - 1] = obptr(0, OBT_VARPTR, el[1].v.p);
        }
        table[i].count = static_cast<uint16_t>(count);
        table[i].items = items;
    }
    wobitem pub[] = {obtext(OBK_NAME, c->segname), obtext(OBK_LABEL, c->seglabel), obptr(OBK_DESTLIST, OBT_VARPTR, c->dests),
                     obptr(OBK_SEGTABLE, OBT_VARPTR, &header)};
    int32_t rc = wobmth(c->outmgr, nullptr, OB_DESTPUB, 4, pub);
    if (rc < 0) return managerfailed(rc);
    return 0;
}
