// Methods of the output manager and of the output environment.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <strings.h>
#include <thread>
#include "host/grammar.h"
#include "host/stmtrec.h"
#include "runtime/output/makefile.h"
#include "runtime/output/methods.h"
#include "runtime/output/program.h"
#include "runtime/supervisor/supervisor.h"
#include "runtime/util/strings.h"

namespace rt::out {

namespace {

void setout(wobitem* it, void* object) {
    if (it) it->v.p = object;
}
// A table id goes out in the value area, readable as a 32-bit integer or a pointer.
void setid(wobitem* it, uint32_t id) {
    if (it) it->v.p = reinterpret_cast<void*>(static_cast<uintptr_t>(id));
}
std::string text(int n, wobitem* items, uint16_t key) {
    const wobitem* it = finditem(n, items, key);
    return it ? itemtext(*it) : std::string();
}
std::string trimmed(const char* s, size_t n) {
    n = strnlen(s, n);
    while (n && s[n - 1] == ' ') --n;
    size_t b = 0;
    while (b < n && s[b] == ' ') ++b;
    return std::string(s + b, n - b);
}
using util::lower;
using util::upper;

// NOPRINT of the k-th MAKE statement of the step being run. The procedure asks for one
// request per MAKE statement, in the order written, and passes only the table and the data
// set: the flag is read from the step's parsed statements.
bool makenoprint(const Session* s, int k) {
    if (!s || !s->inst || !s->inst->session || !s->inst->session->step || !s->inst->session->step->mpb) return false;
    for (const stmtrec* r = s->inst->session->step->mpb->head; r; r = r->next) {
        if (strncasecmp(r->keyword, "MAKE", 4) != 0) continue;
        if (k-- == 0) return stmtflag(r, GF_MAKE_NOPRINT);
    }
    return false;
}

}  // namespace

// ---- environment: the output manager and collections
int32_t env_create(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    if (!P) return OBR_BADOBJECT;
    std::string family = text(n, items, OBK_FAMILY), kind = text(n, items, OBK_OBJKIND);
    wobitem* out = const_cast<wobitem*>(finditem(n, items, OBK_CREATED));
    if (family == "rdx" && kind == "manager") {
        setout(out, P->add(P->managers, ObjKind::Manager, const_cast<obclass*>(&classes().manager)));
        return 0;
    }
    if (family == "collection" && kind == "associativearray") {
        setout(out, P->add(P->assocs, ObjKind::Assoc, const_cast<obclass*>(&classes().assoc)));
        return 0;
    }
    if (family == "collection" && kind == "list") {
        setout(out, P->add(P->lists, ObjKind::List, const_cast<obclass*>(&classes().list)));
        return 0;
    }
    return OBR_BADITEM;
}

// ---- manager
int32_t mgr_create(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    std::string kind = text(n, items, OBK_OBJKIND);
    wobitem* out = const_cast<wobitem*>(finditem(n, items, OBK_CREATED));
    if (kind == "data") {
        DataObject* d = P->add(P->datas, ObjKind::Data, const_cast<obclass*>(&classes().data));
        d->name = text(n, items, OBK_NAME);
        d->label = text(n, items, OBK_LABEL);
        setout(out, d);
        return 0;
    }
    if (kind == "factoid") {
        InfoList* l = P->add(P->infos, ObjKind::Info, const_cast<obclass*>(&classes().info));
        l->tpath = text(n, items, OBK_TEMPLATE);
        l->name = text(n, items, OBK_NAME);
        setout(out, l);
        return 0;
    }
    return OBR_BADITEM;
}

int32_t mgr_bind(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    wobitem* out = const_cast<wobitem*>(finditem(n, items, OBK_POS, 0));
    const wobitem* objitem = finditem(n, items, OBK_POS, 1);
    if (!out || !objitem) return OBR_BADITEM;
    auto* obj = static_cast<DataObject*>(objitem->v.p);
    if (!P->islive(obj, ObjKind::Data)) return OBR_BADOBJECT;
    const Template* tpl = findtemplate(text(n, items, OBK_TEMPLATE));
    if (!tpl) tpl = &defaulttemplate();
    Binding* b = P->bind(obj, tpl, tpl->kind == TplKind::Phantom);
    setid(out, b->id);
    if (const wobitem* slot = finditem(n, items, OBK_REFSLOT); slot && slot->v.p) {
        uint32_t ref = b->phantom ? b->phantom->ref : b->id;
        std::memcpy(slot->v.p, &ref, sizeof ref);
    }
    return 0;
}

int32_t mgr_publish(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    const wobitem* it = finditem(n, items, OBK_POS);
    if (!it) return OBR_BADITEM;
    auto found = P->byid.find(static_cast<uint32_t>(it->v.i));
    if (found == P->byid.end()) return OBR_BADID;
    Binding& b = *found->second;
    if (!b.more) P->finish(b);     // a table whose rows continue in the next group stays open
    return 0;
}

int32_t mgr_group(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    OutGroup* g = P->add(P->groups, ObjKind::Group, const_cast<obclass*>(&classes().group));
    g->name = text(n, items, OBK_NAME);
    g->label = text(n, items, OBK_LABEL);
    P->opengroup(*g);
    setout(const_cast<wobitem*>(finditem(n, items, OBK_CREATED)), g);
    return 0;
}

int32_t mgr_note(obobject*, void*, void*, int n, wobitem* items) {
    program()->note(text(n, items, OBK_TEXT));
    return 0;
}

int32_t mgr_query(obobject* obj, void*, void*, int n, wobitem* items) {
    // The start-up query names the procedure's output (output label 0/1).
    std::string label = text(n, items, OBK_TEXT);
    static_cast<Manager*>(obj)->proclabel = label;
    program()->proclabel = label;
    return 0;
}

namespace {
GraphValue graphvalue(const wobitem& it) {
    GraphValue v;
    if (it.type == OBT_INT) {
        v.kind = GraphValue::Int;
        v.i = it.v.i;
        v.d = it.v.i;
    } else if (it.type == OBT_DOUBLE) {
        v.kind = GraphValue::Double;
        v.d = it.v.d;
    } else {
        v.s = itemtext(it);
    }
    return v;
}
void varpairs(int n, const wobitem* items, std::vector<std::pair<std::string, GraphValue>>& out) {
    for (int k = 0; k + 1 < n; ++k)
        if (items[k].key == OBK_ITEMNAME && items[k + 1].key == OBK_VALUE) {
            out.emplace_back(itemtext(items[k]), graphvalue(items[k + 1]));
            ++k;
        }
}
}  // namespace

int32_t mgr_graph(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    GraphRequest g;
    g.name = text(n, items, OBK_NAME);
    g.label = text(n, items, OBK_LABEL);
    g.description = text(n, items, OBK_DESCR);
    g.templ = text(n, items, OBK_TEMPLATE);
    g.step = P->stepno;
    if (const wobitem* r = finditem(n, items, OBK_GRAPHREFS); r && r->v.p)
        for (uint32_t k = 0; k < r->len; ++k) g.refs.push_back(static_cast<const uint32_t*>(r->v.p)[k]);
    if (const wobitem* x = finditem(n, items, OBK_EXTRAVARS); x && x->v.p)
        varpairs(static_cast<int>(x->len), static_cast<const wobitem*>(x->v.p), g.extravars);
    varpairs(n, items, g.vars);
    P->graphs.push_back(std::move(g));
    // The result: the reference labels the page left out for want of room (the procedure
    // names them in one note for its statement); what its insets hide goes to the out item.
    const wobitem* hid = finditem(n, items, OBK_INSETHIDDEN);
    return P->statgraph(P->graphs.back(), hid && hid->type == OBT_POINTER ? static_cast<obinsethidden*>(hid->v.p) : nullptr);
}

int32_t mgr_make(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    auto r = std::make_unique<MakeRequest>();
    r->table = text(n, items, OBK_NAME);
    r->noprint = makenoprint(P->sess, P->makecalls++);
    // Up to three threads compose a large data set's rows, leaving a processor to the procedure.
    if (P->sess && P->sess->opts.threads) {
        const int cpus = P->sess->opts.cpucount > 0 ? P->sess->opts.cpucount : static_cast<int>(std::thread::hardware_concurrency());
        r->threads = cpus > 1 ? std::min(cpus - 1, 3) : 0;
    }
    const wobitem* t = finditem(n, items, OBK_TARGET);
    const auto* out = t ? static_cast<const dsspec*>(t->v.p) : nullptr;
    // A request that cannot be met is an error of the step, which then does not run.
    if (!out) {
        rt::sup::logline(P->sess, 'E', "MAKE: no OUT= data set was given for table " + rt::util::shown(r->table) + ".");
        return OB_REFUSED;
    } else {
        r->lib = upper(trimmed(out->lib, sizeof out->lib));
        r->mem = upper(trimmed(out->mem, sizeof out->mem));
        if (r->lib.empty()) r->lib = "WORK";
        std::string folder;
        if (r->lib == "WORK") {
            folder = P->dir;
        } else if (P->sess && P->sess->libs.count(r->lib)) {
            folder = P->sess->libs.at(r->lib);
        } else {
            rt::sup::logline(P->sess, 'E', "MAKE: the library " + r->lib + " of OUT=" + r->lib + "." + r->mem +
                                      " is not assigned; table " + rt::util::shown(r->table) + " is not saved.");
            return OB_REFUSED;
        }
        if (!folder.empty()) r->path = folder + "/" + lower(r->mem) + ".csv";
    }
    // The data the run has read are never written over; the rest of the step goes on.
    if (const std::string refused = P->sess ? overinput(*P->sess, *r) : std::string(); !refused.empty()) {
        rt::sup::logline(P->sess, 'E', refused);
        r->failed = true;
    }
    P->makes.push_back(std::move(r));
    return 0;
}

// ---- device-graphics destinations: the runtime has one, the HTML report (tests may name
// others in the session).
int32_t mgr_deststart(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    wobitem* out = const_cast<wobitem*>(finditem(n, items, OBK_DESTLIST));
    if (!out) return OBR_BADITEM;
    auto s = std::make_unique<DestStore>();
    s->names = {"HTML"};
    if (P->sess && !P->sess->destinations.empty()) s->names = P->sess->destinations;
    s->dests.resize(s->names.size());
    s->ents.resize(s->names.size());
    for (size_t k = 0; k < s->names.size(); ++k) {
        s->dests[k].namelen = static_cast<uint16_t>(s->names[k].size());
        s->dests[k].name = s->names[k].data();
        s->ents[k].dest = &s->dests[k];
    }
    s->list.count = static_cast<int16_t>(s->ents.size());
    s->list.entries = s->ents.data();
    out->v.p = &s->list;
    P->destlists.push_back(std::move(s));
    return 0;
}

int32_t mgr_destfree(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    const wobitem* it = finditem(n, items, OBK_DESTLIST);
    if (!it) return OBR_BADITEM;
    auto& v = P->destlists;
    v.erase(std::remove_if(v.begin(), v.end(), [&](auto& s) { return &s->list == it->v.p; }), v.end());
    return 0;
}

int32_t mgr_destpub(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    PageSet ps;
    ps.segname = text(n, items, OBK_NAME);
    ps.seglabel = text(n, items, OBK_LABEL);
    const wobitem* d = finditem(n, items, OBK_DESTLIST);
    const wobitem* t = finditem(n, items, OBK_SEGTABLE);
    auto* dests = d ? static_cast<const obdestlist*>(d->v.p) : nullptr;
    auto* table = t ? static_cast<const obsegtable*>(t->v.p) : nullptr;
    if (table && table->entries)
        for (int i = 0; i < table->count; ++i) {
            const obsegent& e = table->entries[i];
            std::string name;
            if (dests && i < dests->count && dests->entries[i].dest && dests->entries[i].dest->name)
                name.assign(dests->entries[i].dest->name, dests->entries[i].dest->namelen);
            std::vector<void*> segs;
            for (int j = 0; e.items && j < e.count; ++j) segs.push_back(e.items[j].v.p);
            ps.dests.emplace_back(name, std::move(segs));
        }
    P->devicepages(ps);
    P->pages.push_back(std::move(ps));
    return 0;
}

// ---- direct interface pairs
int32_t direct_manager(obobject*, void*, int op, int n, wobitem* items) {
    Program* P = program();
    if (op == 2) {
        for (int k = 0; k < n; ++k)
            if (items[k].key == OBK_SGQUERY) items[k].flag = P->sess && P->sess->opts.statistical ? 1 : 0;
        return 0;
    }
    if (op == 4) {   // release at the end of the step: every table still open is printed
        for (auto& b : P->bindings)
            if (!b->done) P->finish(*b);
        for (auto& i : P->infos) publishinfo(*i);
        return 0;
    }
    return op == 1 ? 0 : OB_NOMETHOD;
}

int32_t direct_plain(obobject*, void*, int op, int, wobitem*) { return op == 1 || op == 4 ? 0 : OB_NOMETHOD; }

int32_t direct_group(obobject* obj, void*, int op, int, wobitem*) {
    if (op == 4) program()->closegroup(*static_cast<OutGroup*>(obj));
    return op == 1 || op == 4 ? 0 : OB_NOMETHOD;
}

}  // namespace rt::out
