// The groups of a statement: the label of a cell of two class variables, the group nodes and
// the deletion of their utility files.
#include <cstring>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/groups.h"
#include "proc/lifedist/lifedist_internal.h"

void gridlabel(vyxstate* s, int i, int j) {
    const char* t1 = s->groups.levkeys[CV_FIRST] + 16 * i;
    const char* t2 = s->groups.levkeys[CV_SECOND] + 16 * j;
    const int l1 = wzstrip(t1, 16), l2 = wzstrip(t2, 16);
    std::memset(s->row.grplabel, ' ', 40);
    wzstcat(s->row.grplabel, 40, ' ', 2, t1, l1, t2, l2);
    s->row.grplablen = l1 + l2 + 1 < 40 ? l1 + l2 + 1 : 40;
    s->groups.grprowix = i;
    s->groups.grpcolix = j;
}

grpnode* newgroup(vyxstate* s) {
    auto* g = poolget<grpnode>(s->pools.stmtpool, 1, poolflag::zeroed);
    if (!g) {
        xmemmsg(sizeof(grpnode));
        return nullptr;
    }
    g->stmtnext = s->life.stmtnodes;
    s->life.stmtnodes = g;
    return g;
}

// Every node of the statement is on its chain, whatever step of the road stopped: the
// files of a BY group whose input or level ordering failed are deleted too, and nothing of
// an earlier statement (whose pool is gone) is touched. The group files of a relation plot
// of the MODEL's regression (FITTYPE=REGRESSION) are its own too (the MODEL's rows are in
// the state's utility file): kept, they would outlive the nodes that hold them.
void CleanUpDisk(vyxstate* s) {
    ufdrop(&s->groups.rootgrp.ufile);
    ufdrop(&s->groups.rootgrp.ufile2);
    for (grpnode* g = s->life.stmtnodes; g; g = g->stmtnext) {
        ufdrop(&g->ufile);
        ufdrop(&g->ufile2);
    }
    s->life.stmtnodes = nullptr;
}
