// The MCFPLOT statement in one BY group: options, data, class levels, tables, the estimate
// of every group, the difference of two groups, then the plots.
#include <cstring>

#include "proc/framework/clsorder.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/mcf/mcf_internal.h"
#include "proc/mcf/mcfdraw.h"

namespace {

constexpr int kGroupCell = 40;

// Ends the output group of the class level just printed.
void endgroup(vyxstate* s) {
    if (!s->mcf.grpobj) return;
    int32_t rc = obrelease(s->mcf.grpobj);
    s->mcf.grpobj = nullptr;
    if (rc < 0) {
        xprrlog(0, rc);
        xexit(rc, 0);
    }
}

int estimate(vyxstate* s, grpnode* g, int i, int j, int* counter) {
    s->groups.curgrp = g;
    cfgrp(s, g, i, j, counter);
    int rc = vyxcfst(s, g);
    if (!rc) rc = vyxcfmv(s, g);
    if (!rc) rc = vyxcfpr(s, g);
    endgroup(s);
    s->groups.grpcount[GCNT_GROUP] += 1;
    return rc;
}

// The statement's utility files are closed here: the estimates live in them only until the
// statement ends.
void closefile(grpnode* g) {
    if (g && g->ufile) {
        xcclose(g->ufile, 1);
        g->ufile = nullptr;
    }
}

void closefiles(groupstate& groups) {
    closefile(&groups.rootgrp);
    for (grpnode* g = groups.grplist.head; g; g = g->next) {
        closefile(g);
        for (grpnode* h = g->subtree.head; h; h = h->next) closefile(h);
    }
}

int run(vyxstate* s, bool* readin) {
    if (int rc = vyxcfpm(s); rc != 0) return rc;
    *readin = true;
    if (int rc = vyxcfin(s); rc != 0) return rc;
    if (int rc = vyxclst(s); rc != 0) return rc;
    if (int rc = vyxordr(s); rc != 0) return rc;
    if (int rc = vyxcfob(s); rc != 0) return rc;
    s->work.pageflags.start = 1;
    s->groups.lastgrp = 0;
    s->groups.grpcount[GCNT_GROUP] = 0;
    int counter = 0;
    int rc = 0;
    switch (s->groups.nclass) {
        case 0: rc = estimate(s, &s->groups.rootgrp, 0, 0, &counter); break;
        case 1:
            for (grpnode* g = s->groups.grplist.head; g && !rc; g = g->next) rc = estimate(s, g, 0, 0, &counter);
            break;
        default: {
            int i = 0;
            for (grpnode* g = s->groups.grplist.head; g && !rc; g = g->next, ++i) {
                int j = 0;
                for (grpnode* h = g->subtree.head; h && !rc; h = h->next, ++j) rc = estimate(s, h, i, j, &counter);
            }
            break;
        }
    }
    if (rc) return rc;
    if (s->popt.pflags.mcfdiff) {
        if ((rc = vyxcfdf(s)) != 0) return rc;
        if ((rc = vyxcfpd(s)) != 0) return rc;
    }
    return s->opts.rdxgraph ? vyxcog(s) : vyxcfdev(s);
}

}  // namespace

void cfgrp(vyxstate* s, grpnode* g, int i, int j, int* counter) {
    *counter += 1;
    std::memset(s->row.grplabel, ' ', kGroupCell);
    s->mcf.grpobj = nullptr;
    if (s->groups.nclass == 0 || (s->groups.nclass == 1 && s->popt.pflags.mcfdiff)) {
        s->groups.lastgrp = 1;
        return;
    }
    int len;
    if (s->groups.nclass == 1) {
        s->groups.lastgrp = g->next == nullptr;
        std::memcpy(s->row.grplabel, g->key, 16);
        len = wzstrip(g->key, 16);
    } else {
        // The grid's last cell: the last first-level level and its last second-level level.
        const bool lastfirst = static_cast<uint32_t>(i + 1) >= s->groups.nlev[NLEV_FIRST] || !s->groups.grplist.head;
        s->groups.lastgrp = lastfirst && g->next == nullptr;
        const char* first = s->groups.levkeys[CV_FIRST] + 16 * i;
        int la = wzstrip(first, 16), lb = wzstrip(g->key, 16);
        wzstcat(s->row.grplabel, kGroupCell, ' ', 2, first, la, g->key, lb);
        len = la + 1 + lb;
        (void)j;
    }
    wobitem it[] = {obout(OBK_CREATED), obtext(OBK_NAME, rdxtxts("Group%d", 7, *counter)),
                    obtext(OBK_LABEL, rdxtxt(s->row.grplabel, len))};
    int32_t rc = wobmth(s->out.outmgr, nullptr, OB_GROUP, 3, it);
    if (rc < 0) {
        xprrlog(0, rc);
        xexit(rc, 0);
        return;
    }
    s->mcf.grpobj = static_cast<obobject*>(it[0].v.p);
}

int vyxcf(vyxstate* s) {
    bool readin = false;
    int rc = run(s, &readin);
    if (readin) closefiles(s->groups);
    return rc;
}
