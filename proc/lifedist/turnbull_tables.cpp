// What the tables of the Turnbull estimate share: the table object named with the group
// count in class modes, and its Group and Label columns.
#include <cstdio>

#include "proc/framework/hostsvc.h"
#include "proc/framework/wobmth.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/tables.h"

// The Group and Label columns of the Turnbull tables (Group in class modes only).
void groupcolumns(vyxstate* s, obobject* t, bool group) {
    if (group && s->groups.nclass > 0) {
        const int w = static_cast<int>(s->groups.grpcolw) + (s->groups.nclass == 2 ? 1 : 0);
        tabtext(t, "Group", w > 10 ? w : 10, s->row.grplabel);
    }
    if (s->work.tblflags[TF_STMTLABEL]) tabtext(t, "Label", 8, s->life.stmtlabcell);
}

// A table of the output manager named name (with the group count in class modes).
obobject* emtable(vyxstate* s, const char* name, int label, bool listed) {
    char full[40];
    if (s->groups.nclass > 0)
        std::snprintf(full, sizeof full, "%s%d", name, static_cast<int>(s->groups.grpcount[GCNT_GROUP]));
    else
        std::snprintf(full, sizeof full, "%s", name);
    wobitem it[7] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED), obint(OBK_PLACE, -1)};
    int n = 4;
    if (listed) it[n++] = obint(OBK_LISTED, 1);
    it[n++] = obtext(OBK_NAME, rdxtxt(full, -1));
    it[n++] = obtext(OBK_LABEL, rdxmsg(0, label));
    if (obcheck(wobmth(s->out.outmgr, nullptr, OB_CREATE, n, it)) < 0) return nullptr;
    return static_cast<obobject*>(it[2].v.p);
}
