// The output-object calls of the nonparametric and Turnbull tables. Every call is checked:
// a negative result is reported (xprrlog) and ends the step (xexit); the helpers then
// return false and their callers stop writing.
#pragma once
#include <cstdint>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"
#include "proc/framework/wobmth.h"

namespace npout {

inline bool ok(int32_t rc) {
    if (rc >= 0) return true;
    xprrlog(0, rc);
    xexit(rc, 0);
    return false;
}
inline txthandle text(const char* t) { return rdxtxt(t, static_cast<int>(std::strlen(t))); }

// Binds table object obj to the template path; the table id goes to *id.
inline bool bind(vyxstate* s, obobject* obj, const char* path, uint32_t* id) {
    wobitem it[] = {obout(OBK_POS), obobj(OBK_POS, obj), obtext(OBK_TEMPLATE, text(path))};
    if (!ok(wobmth(s->outmgr, nullptr, OB_BIND, 3, it))) return false;
    *id = obid(it[0]);
    return true;
}
inline bool addrow(obobject* obj) { return ok(wobmth(obj, nullptr, OB_ADDROW, 0, nullptr)); }
// End of the rows of a group's table: without items after the statement's last group,
// with "more follow" while class groups remain, no call otherwise.
inline bool endrows(vyxstate* s, obobject* obj) {
    if (s->pageflags[PG_STATEMENT]) return ok(wobmth(obj, nullptr, OB_ENDROWS, 0, nullptr));
    if (s->nclass <= 0) return true;
    wobitem it[] = {obint(OBK_MORE, 1)};
    return ok(wobmth(obj, nullptr, OB_ENDROWS, 1, it));
}
inline bool publish(vyxstate* s, uint32_t id) {
    wobitem it[] = {obidin(id)};
    return ok(wobmth(s->outmgr, nullptr, OB_PUBLISH, 1, it));
}

// Column definitions: a double, an integer or a text column bound to a cell.
inline bool dblcol(obobject* t, const char* name, double* cell, const char* role = nullptr) {
    wobitem it[4] = {obint(OBK_KIND, 5), obtext(OBK_NAME, text(name)), obcell(OBK_CELL, cell)};
    int n = 3;
    if (role) it[n++] = obtext(OBK_TEMPLATE, text(role));
    return ok(wobmth(t, nullptr, OB_ADDCOL, n, it));
}
inline bool dblcol(obobject* t, txthandle name, double* cell, const char* role) {
    wobitem it[] = {obint(OBK_KIND, 5), obtext(OBK_NAME, name), obtext(OBK_TEMPLATE, text(role)), obcell(OBK_CELL, cell)};
    return ok(wobmth(t, nullptr, OB_ADDCOL, 4, it));
}
inline bool intcol(obobject* t, const char* name, void* cell) {
    wobitem it[] = {obint(OBK_KIND, 3), obtext(OBK_NAME, text(name)), obcell(OBK_CELL, cell)};
    return ok(wobmth(t, nullptr, OB_ADDCOL, 3, it));
}
inline bool txtcol(obobject* t, const char* name, int width, void* cell) {
    wobitem it[] = {obint(OBK_KIND, 6), obtext(OBK_NAME, text(name)), obint(OBK_WIDTH, width), obcell(OBK_CELL, cell)};
    return ok(wobmth(t, nullptr, OB_ADDCOL, 4, it));
}
inline bool handlecol(obobject* t, const char* name, void* cell) {
    wobitem it[] = {obint(OBK_KIND, 66), obtext(OBK_NAME, text(name)), obcell(OBK_CELL, cell)};
    return ok(wobmth(t, nullptr, OB_ADDCOL, 3, it));
}

// A table object of the output manager, named name, with the label `label`.
inline bool create(vyxstate* s, txthandle name, txthandle label, obobject** out, bool item333) {
    wobitem it[7] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED), obint(OBK_MINUS1, -1)};
    int n = 4;
    if (item333) it[n++] = obint(333, 1);
    it[n++] = obtext(OBK_NAME, name);
    it[n++] = obtext(OBK_LABEL, label);
    if (!ok(wobmth(s->outmgr, nullptr, OB_CREATE, n, it))) return false;
    *out = static_cast<obobject*>(it[2].v.p);
    return true;
}

// The Group and Label columns that tables of class groups and labelled statements end with.
inline bool groupcols(vyxstate* s, obobject* t) {
    if (s->nclass == 1 || s->nclass == 2) {
        int w = static_cast<int>(s->grpcolw) + (s->nclass == 2 ? 1 : 0);
        if (w < 10) w = 10;
        if (!txtcol(t, "Group", w, s->grplabel)) return false;
    }
    return true;
}
inline bool labelcol(vyxstate* s, obobject* t) {
    if (!s->tblflags[TF_STMTLABEL]) return true;
    return txtcol(t, "Label", 8, const_cast<char*>(s->stmtlabel));
}

}  // namespace npout
