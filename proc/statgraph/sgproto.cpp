// The output-manager calls of statistical graphics: phantom data objects (tables never
// printed whose rows are a plot's points and lines) and graph requests (sgproto.h).
#include "proc/statgraph/sgproto.h"

#include <cstring>

#include "host/stmtrec.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/insetnote.h"
#include "proc/framework/labelnotes.h"
#include "proc/framework/stepend.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"

namespace {
constexpr char kPhantomTemplate[] = "kv.vitalyx.Phantom";

int checked(vyxstate* s, int32_t rc) { return rc < 0 ? callfailed(s, rc) : 0; }
}  // namespace

int phcreate(vyxstate* s, const char* name, const char* label) {
    wobitem items[] = {obstr(OBK_FAMILY, "rdx", 3),
                       obstr(OBK_OBJKIND, "data", 4),
                       obout(OBK_CREATED),
                       obint(OBK_PLACE, -1),
                       obtext(OBK_NAME, rdxtxt(name, -1)),
                       obtext(OBK_LABEL, rdxtxt(label, -1)),
                       obint(OBK_HIDDEN, 0)};
    const int32_t rc = wobmth(s->out.outmgr, nullptr, OB_CREATE, 7, items);
    if (rc < 0) return callfailed(s, rc);
    s->out.curtab = static_cast<obobject*>(items[2].v.p);
    return 0;
}

int phcolumn(vyxstate* s, int kind, const char* name, const char* label, int width, const char* role, void* cell,
             const vardesc* var) {
    wobitem items[7];
    int n = 0;
    items[n++] = obint(OBK_KIND, kind);
    if (var) items[n++] = obptr(OBK_VARATTR, OBT_VARPTR, const_cast<vardesc*>(var));
    items[n++] = obtext(OBK_NAME, rdxtxt(name, -1));
    if (label) items[n++] = obtext(OBK_LABEL, rdxtxt(label, -1));
    if (kind == COL_TEXT) items[n++] = obint(OBK_WIDTH, width);
    items[n++] = obtext(OBK_TEMPLATE, rdxtxt(role, -1));
    items[n++] = obcell(OBK_CELL, cell);
    return checked(s, wobmth(s->out.curtab, nullptr, OB_ADDCOL, n, items));
}

int phenddef(vyxstate* s) { return checked(s, wobmth(s->out.curtab, nullptr, OB_ENDDEF, 0, nullptr)); }

int phbind(vyxstate* s, uint32_t* ref) {
    wobitem items[] = {obout(OBK_POS), obobj(OBK_POS, s->out.curtab),
                       obtext(OBK_TEMPLATE, rdxtxt(kPhantomTemplate, static_cast<int>(sizeof kPhantomTemplate - 1))),
                       obflag(OBK_BINDFLAG, 1), obptr(OBK_REFSLOT, OBT_SLOT, ref)};
    const int32_t rc = wobmth(s->out.outmgr, nullptr, OB_BIND, 5, items);
    if (rc < 0) return callfailed(s, rc);
    s->out.curtabid = obid(items[0]);
    return 0;
}

int phrow(vyxstate* s) { return checked(s, wobmth(s->out.curtab, nullptr, OB_ADDROW, 0, nullptr)); }

PhRowBlock::PhRowBlock(vyxstate* s, std::initializer_list<double*> cells)
    : s_(s), cells_(cells), vals_(cells.size() * kRows) {}

int PhRowBlock::flush() {
    if (n_ == 0) return 0;
    std::vector<wobitem> items;
    items.reserve(1 + 2 * cells_.size());
    items.push_back(obint(OBK_ROWCOUNT, n_));
    for (size_t k = 0; k < cells_.size(); ++k) {
        items.push_back(obcell(OBK_CELL, cells_[k]));
        items.push_back(obptr(OBK_VALUE, OBT_POINTER, &vals_[k * kRows]));
    }
    n_ = 0;
    return checked(s_, wobmth(s_->out.curtab, nullptr, OB_ADDROWS, static_cast<int>(items.size()), items.data()));
}

int phclose(vyxstate* s) {
    if (int rc = checked(s, wobmth(s->out.curtab, nullptr, OB_ENDROWS, 0, nullptr))) return rc;
    wobitem id[] = {obidin(s->out.curtabid)};
    return checked(s, wobmth(s->out.outmgr, nullptr, OB_PUBLISH, 1, id));
}

int phgroup(vyxstate* s, txthandle name, txthandle label) {
    wobitem items[] = {obout(OBK_CREATED), obtext(OBK_NAME, name), obtext(OBK_LABEL, label)};
    const int32_t rc = wobmth(s->out.outmgr, nullptr, OB_GROUP, 3, items);
    if (rc < 0) return callfailed(s, rc);
    s->out.panelobj = static_cast<obobject*>(items[0].v.p);
    return 0;
}

int phgroupclose(vyxstate* s) {
    if (!s->out.panelobj) return 0;
    return checked(s, obrelease(s->out.panelobj));
}

GraphRequest::GraphRequest(txthandle name, txthandle label, txthandle description, txthandle templ, const uint32_t* refs,
                           int nrefs) {
    items_.reserve(64);
    items_.push_back(obtext(OBK_NAME, name));
    items_.push_back(obtext(OBK_LABEL, label));
    items_.push_back(obtext(OBK_DESCR, description));
    items_.push_back(obtext(OBK_TEMPLATE, templ));
    wobitem r = obitem(OBK_GRAPHREFS, OBT_REFLIST);
    r.v.p = const_cast<uint32_t*>(refs);
    r.len = static_cast<uint32_t>(nrefs);
    items_.push_back(r);
}

void GraphRequest::inset(wobitem* items, int count) {
    wobitem l = obitem(OBK_EXTRAVARS, OBT_ITEMLIST);
    l.v.p = items;
    l.len = static_cast<uint32_t>(count);
    items_.push_back(l);
}

GraphRequest& GraphRequest::name(const char* n) {
    items_.push_back(obtext(OBK_ITEMNAME, rdxtxt(n, -1)));
    return *this;
}
GraphRequest& GraphRequest::text(const char* n, txthandle value) {
    name(n);
    items_.push_back(obtext(OBK_VALUE, value));
    return *this;
}
GraphRequest& GraphRequest::integer(const char* n, int32_t value) {
    name(n);
    items_.push_back(obint(OBK_VALUE, value));
    return *this;
}
GraphRequest& GraphRequest::number(const char* n, double value) {
    name(n);
    items_.push_back(obdbl(OBK_VALUE, value));
    return *this;
}

int GraphRequest::issue(vyxstate* s) {
    wobitem hid = obitem(OBK_INSETHIDDEN, OBT_POINTER);
    hid.v.p = &s->sg.insets;
    items_.push_back(hid);
    const int32_t rc = wobmth(s->out.outmgr, nullptr, OB_GRAPH, static_cast<int>(items_.size()), items_.data());
    items_.pop_back();
    if (rc > 0) s->sg.labelsleft += rc;
    return checked(s, rc);
}

LeftOutNote::LeftOutNote(vyxstate* s) : s_(s) {
    s_->sg.labelsleft = 0;
    s_->sg.insets = obinsethidden{};
}

LeftOutNote::~LeftOutNote() {
    // The first panel drawn over the data named by its class levels, as the device road names it.
    const obinsethidden& h = s_->sg.insets;
    char panel[200] = "";
    int n = 0;
    for (int k = 0; k < 2 && k < s_->groups.nclass; ++k) {
        const int l = static_cast<int>(strnlen(h.first[k], sizeof h.first[k]));
        if (l == 0) continue;
        if (n > 0 && n < static_cast<int>(sizeof panel) - 1) panel[n++] = ' ';
        n += levelwords(s_, k == 0 ? CV_FIRST : CV_SECOND, h.first[k], l, panel + n, static_cast<int>(sizeof panel) - n);
    }
    insetsovernote(s_->input.stmtkind, panel, h.insets > 0 ? n : 0,
                   InsetsOver{h.insets, h.points, h.lines != 0, h.marker != 0, h.band != 0});
    reflabelsleftout(s_->input.stmtkind, s_->sg.labelsleft);
}

void axisends(const vyxstate* s, GraphRequest& r) {
    if (s->work.llowgiven) r.number("_LifeMin", s->work.axlim[AX_LIFELOWER]);
    if (s->work.lupgiven) r.number("_LifeMax", s->work.axlim[AX_LIFEUPPER]);
    if (s->popt.pflags.plowgiven) r.number("_PctMin", s->work.axlim[AX_PCTLOWER]);
    if (s->popt.pflags.pupgiven) r.number("_PctMax", s->work.axlim[AX_PCTUPPER]);
    // NOPPOS: the points' rows stay (the axes span them), the renderer leaves them out.
    if (s->popt.pflags.noppos) r.integer("_NoPPos", 1);
}

void gridcells(vyxstate* s, int i, int j) {
    char a[16], b[16];
    std::memcpy(a, s->groups.levkeys[CV_FIRST] + 16 * i, 16);
    std::memcpy(b, s->groups.levkeys[CV_SECOND] + 16 * j, 16);
    padtext(s->row.grplabel, 40, 0, a, 16);
    padtext(s->row.grplabel2, 40, 0, b, 16);
    int la = 0, lb = 0;
    wzstjls(a, 16, 'l', &la, nullptr);
    wzstjls(b, 16, 'l', &lb, nullptr);
    padtext(s->row.rowtext, 256, 0, a, la);
    if (la + 2 + lb <= 256) std::memcpy(s->row.rowtext + la + 2, b, static_cast<size_t>(lb));
}

void padtext(char* dst, int width, int lead, const char* src, int len) {
    std::memset(dst, ' ', static_cast<size_t>(width));
    if (lead >= width || !src) return;
    if (len > width - lead) len = width - lead;
    if (len > 0) std::memcpy(dst + lead, src, static_cast<size_t>(len));
}

const char* slotstring(const optslot* o, int* len) {
    *len = 0;
    if (!o) return nullptr;
    if (o->kind == SK_NAME) {
        int n = 8;
        while (n > 0 && o->name[n - 1] == ' ') --n;
        *len = n;
        return o->name;
    }
    if (o->kind == SK_QSTRING || o->kind == SK_TEXT) {
        *len = o->count;
        return static_cast<const char*>(o->ptr);
    }
    return nullptr;
}
