// Writing one MODEL table through the output-object protocol; the first failing call ends
// the step and silences the writer (mtable.h).
#include "proc/regression/mtable.h"

#include <cstring>
#include <vector>

#include "proc/framework/hostsvc.h"
#include "proc/framework/stepend.h"
#include "proc/framework/wobmth.h"

txthandle mtext(const char* t) { return rdxtxt(t, static_cast<int>(std::strlen(t))); }

bool mtable::call(obobject* target, int method, int n, wobitem* items) {
    if (s_->step.stepend) return false;
    const int32_t rc = wobmth(target, nullptr, method, n, items);
    if (rc >= 0) return true;
    callfailed(s_, rc);
    return false;
}

bool mtable::create(const char* name, txthandle handle, txthandle label, bool listed) {
    wobitem it[8] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED),
                     obint(OBK_PLACE, -1)};
    int n = 4;
    if (listed) it[n++] = obint(OBK_LISTED, 1);
    it[n++] = obtext(OBK_NAME, handle ? handle : mtext(name));
    if (label) it[n++] = obtext(OBK_LABEL, label);
    if (!call(s_->out.outmgr, OB_CREATE, n, it)) return false;
    obj_ = static_cast<obobject*>(it[2].v.p);
    s_->out.curtab = obj_;
    return true;
}

bool mtable::coldouble(txthandle name, double* cell, const char* role) {
    wobitem it[4] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, name)};
    int n = 2;
    if (role) it[n++] = obtext(OBK_TEMPLATE, mtext(role));
    it[n++] = obcell(OBK_CELL, cell);
    return call(obj_, OB_ADDCOL, n, it);
}

bool mtable::coldouble(const char* name, double* cell, const char* role) { return coldouble(mtext(name), cell, role); }

bool mtable::colint(const char* name, void* cell) {
    wobitem it[] = {obint(OBK_KIND, COL_INT), obtext(OBK_NAME, mtext(name)), obcell(OBK_CELL, cell)};
    return call(obj_, OB_ADDCOL, 3, it);
}

bool mtable::colhandle(const char* name, void* cell, int labelwidth) {
    wobitem it[5] = {obint(OBK_KIND, COL_HANDLE), obtext(OBK_NAME, mtext(name))};
    int n = 2;
    if (labelwidth >= 0) {
        it[n++] = obtext(OBK_ITEMNAME, mtext("LabelWidth"));
        it[n++] = obint(OBK_VALUE, labelwidth);
    }
    it[n++] = obcell(OBK_CELL, cell);
    return call(obj_, OB_ADDCOL, n, it);
}

bool mtable::coltext(txthandle name, int width, char* cell, const char* role, txthandle label) {
    wobitem it[6] = {obint(OBK_KIND, COL_TEXT), obtext(OBK_NAME, name), obint(OBK_WIDTH, width > 0 ? width : 1)};
    int n = 3;
    if (label) it[n++] = obtext(OBK_LABEL, label);
    if (role) it[n++] = obtext(OBK_TEMPLATE, mtext(role));
    it[n++] = obcell(OBK_CELL, cell);
    return call(obj_, OB_ADDCOL, n, it);
}

bool mtable::coltext(const char* name, int width, char* cell, const char* role, txthandle label) {
    return coltext(mtext(name), width, cell, role, label);
}

bool mtable::colspan(const char* name, double* cell, const char* first, const char* last) {
    wobitem it[] = {obint(OBK_KIND, COL_DOUBLE),          obtext(OBK_NAME, mtext(name)),
                    obtext(OBK_ITEMNAME, mtext("spans")), obtext(OBK_VALUE, mtext(first)),
                    obtext(OBK_ITEMNAME, mtext("spane")), obtext(OBK_VALUE, mtext(last)),
                    obcell(OBK_CELL, cell)};
    return call(obj_, OB_ADDCOL, 7, it);
}

bool mtable::titles(std::initializer_list<std::pair<const char*, txthandle>> t) {
    std::vector<wobitem> it;
    for (auto& [n, h] : t) {
        it.push_back(obtext(OBK_ITEMNAME, mtext(n)));
        it.push_back(obtext(OBK_VALUE, h));
    }
    return call(obj_, OB_TITLES, static_cast<int>(it.size()), it.data());
}

bool mtable::history(int32_t key) {
    if (s_->step.stepend) return false;
    wobitem it[] = {obint(OBK_HIDDEN, 0), obint(static_cast<uint16_t>(key), 1)};
    const int32_t rc = obinfocall(obj_, 2, it);
    if (rc >= 0) return true;
    callfailed(s_, rc);
    return false;
}

bool mtable::enddef() { return call(obj_, OB_ENDDEF, 0, nullptr); }

bool mtable::bind(const char* path) {
    wobitem it[] = {obout(OBK_POS), obobj(OBK_POS, obj_), obtext(OBK_TEMPLATE, mtext(path))};
    if (!call(s_->out.outmgr, OB_BIND, 3, it)) return false;
    id_ = obid(it[0]);
    s_->out.curtabid = id_;
    return true;
}

bool mtable::row() { return call(obj_, OB_ADDROW, 0, nullptr); }
bool mtable::endrows() { return call(obj_, OB_ENDROWS, 0, nullptr); }

bool mtable::publish() {
    wobitem it[] = {obidin(id_)};
    return call(s_->out.outmgr, OB_PUBLISH, 1, it);
}
