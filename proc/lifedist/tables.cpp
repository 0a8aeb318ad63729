// Writing tables through the output-object protocol: table objects, columns bound to cells of
// the state block, titles, template binding, rows and publishing (tables.h).
#include "proc/lifedist/tables.h"

#include <cstring>
#include <vector>

#include "proc/framework/hostsvc.h"
#include "proc/framework/wobmth.h"

namespace {

txthandle text(const char* s) { return rdxtxt(s, static_cast<int>(std::strlen(s))); }

}  // namespace

int32_t obcheck(int32_t rc) {
    if (rc < 0) {
        xprrlog(0, rc);
        xexit(rc, 0);
    }
    return rc;
}

obobject* tabcreate(obobject* outmgr, const char* name, txthandle label) {
    wobitem it[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED),
                    obint(OBK_PLACE, -1),       obtext(OBK_NAME, text(name)), obtext(OBK_LABEL, label)};
    obcheck(wobmth(outmgr, nullptr, OB_CREATE, 6, it));
    return static_cast<obobject*>(it[2].v.p);
}

void tabdouble(obobject* t, const char* name, double* cell, const char* role) {
    wobitem it[4] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, text(name))};
    int n = 2;
    if (role) it[n++] = obtext(OBK_TEMPLATE, text(role));
    it[n++] = obcell(OBK_CELL, cell);
    obcheck(wobmth(t, nullptr, OB_ADDCOL, n, it));
}

void tabint(obobject* t, const char* name, void* cell) {
    wobitem it[] = {obint(OBK_KIND, COL_INT), obtext(OBK_NAME, text(name)), obcell(OBK_CELL, cell)};
    obcheck(wobmth(t, nullptr, OB_ADDCOL, 3, it));
}

void tabhandle(obobject* t, const char* name, void* cell, int labelwidth) {
    if (labelwidth < 0) {
        wobitem it[] = {obint(OBK_KIND, COL_HANDLE), obtext(OBK_NAME, text(name)), obcell(OBK_CELL, cell)};
        obcheck(wobmth(t, nullptr, OB_ADDCOL, 3, it));
        return;
    }
    wobitem it[] = {obint(OBK_KIND, COL_HANDLE), obtext(OBK_NAME, text(name)), obtext(OBK_ITEMNAME, text("LabelWidth")),
                    obint(OBK_VALUE, labelwidth), obcell(OBK_CELL, cell)};
    obcheck(wobmth(t, nullptr, OB_ADDCOL, 5, it));
}

void tabtext(obobject* t, const char* name, int width, char* cell) {
    wobitem it[] = {obint(OBK_KIND, COL_TEXT), obtext(OBK_NAME, text(name)), obint(OBK_WIDTH, width), obcell(OBK_CELL, cell)};
    obcheck(wobmth(t, nullptr, OB_ADDCOL, 4, it));
}

void tabspan(obobject* t, const char* name, double* cell, const char* first, const char* last) {
    wobitem it[] = {obint(OBK_KIND, COL_DOUBLE),         obtext(OBK_NAME, text(name)),
                    obtext(OBK_ITEMNAME, text("spans")), obtext(OBK_VALUE, text(first)),
                    obtext(OBK_ITEMNAME, text("spane")), obtext(OBK_VALUE, text(last)),
                    obcell(OBK_CELL, cell)};
    obcheck(wobmth(t, nullptr, OB_ADDCOL, 7, it));
}

void tabtitles(obobject* t, std::initializer_list<std::pair<const char*, txthandle>> titles) {
    std::vector<wobitem> it;
    for (auto& [n, h] : titles) {
        it.push_back(obtext(OBK_ITEMNAME, text(n)));
        it.push_back(obtext(OBK_VALUE, h));
    }
    obcheck(wobmth(t, nullptr, OB_TITLES, static_cast<int>(it.size()), it.data()));
}

void tabenddef(obobject* t) { obcheck(wobmth(t, nullptr, OB_ENDDEF, 0, nullptr)); }

uint32_t tabbind(obobject* outmgr, obobject* t, const char* path) {
    wobitem it[] = {obout(OBK_POS), obobj(OBK_POS, t), obtext(OBK_TEMPLATE, text(path))};
    obcheck(wobmth(outmgr, nullptr, OB_BIND, 3, it));
    return obid(it[0]);
}

void tabrow(obobject* t) { obcheck(wobmth(t, nullptr, OB_ADDROW, 0, nullptr)); }

void tabendrows(obobject* t, bool more) {
    wobitem it[] = {obint(OBK_MORE, 1)};
    obcheck(wobmth(t, nullptr, OB_ENDROWS, more ? 1 : 0, more ? it : nullptr));
}

void tabpublish(obobject* outmgr, uint32_t id) {
    wobitem it[] = {obidin(id)};
    obcheck(wobmth(outmgr, nullptr, OB_PUBLISH, 1, it));
}
