// The inset of a statistical graph as dynamic variables: header, the labels and values of
// the entries, their number, the frame and the position. The values of each group of a
// class plot travel in the inset phantom object instead.
#include <cstring>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/statgraph/statgraph_internal.h"

namespace {

constexpr char kAuto[] = "topleft topright bottomright bottomleft right left top bottom";

struct Align {
    char key[9];
    const char* h;
    const char* v;
};
constexpr Align kAligns[] = {
    {"NW      ", "left", "top"},      {"SW      ", "left", "bottom"}, {"NE      ", "right", "top"},
    {"SE      ", "right", "bottom"},  {"N       ", "center", "top"},  {"S       ", "center", "bottom"},
    {"W       ", "left", "center"},   {"E       ", "right", "center"},
};

}  // namespace

void AddInset(vyxstate* s, wobitem** items, int* count) {
    *items = nullptr;
    *count = 0;
    const insetrec* r = s->plot.inset;
    if (!r) return;
    int n = 0;
    for (const insetent* e = r->entries; e; e = e->next) ++n;
    const bool positioned = r->poskind != 0;
    const int64_t room = 4 * int64_t(n) + (positioned ? 12 : 8);
    auto* it = static_cast<wobitem*>(poolbytes(s->pools.workpool, room * int64_t(sizeof(wobitem)), poolflag::zeroed_marked));
    if (!it) {
        xmemmsg(room * int64_t(sizeof(wobitem)));
        return;
    }
    int k = 0;
    auto text = [&](txthandle name, txthandle value) {
        it[k++] = obtext(OBK_ITEMNAME, name);
        it[k++] = obtext(OBK_VALUE, value);
    };
    auto integer = [&](const char* name, int value) {
        it[k++] = obtext(OBK_ITEMNAME, rdxtxt(name, -1));
        it[k++] = obint(OBK_VALUE, value);
    };
    if (r->hdrlen != 0) text(rdxtxt("_IHead", -1), rdxtxt(r->hdrtext, r->hdrlen));
    int i = 0;
    for (const insetent* e = r->entries; e; e = e->next) {
        ++i;
        text(rdxtxts("_ILabel%i", -1, i), rdxtxt(e->label, e->lablen));
        text(rdxtxts("_IValue%i", -1, i), rdxtxt(e->value, e->vallen));
    }
    integer("_INrow", i);
    integer("_IFrame", r->noframe ? 0 : 1);
    const Align* a = nullptr;
    if (positioned) {
        for (const Align& c : kAligns)
            if (std::memcmp(c.key, r->poskey, 8) == 0) a = &c;
        if (!a) xpmlog(510, W510_INSET_POSITION_AUTO, txtarg(r->poskey, 8));
    }
    if (a) {
        text(rdxtxt("_HAlign", -1), rdxtxt(a->h, -1));
        text(rdxtxt("_VAlign", -1), rdxtxt(a->v, -1));
        text(rdxtxt("_AutoAlign", -1), rdxtxt("none", -1));
    } else {
        text(rdxtxt("_AutoAlign", -1), rdxtxt(kAuto, -1));
    }
    *items = it;
    *count = k;
}
