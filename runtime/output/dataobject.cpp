// Methods of data objects (tables and phantom data) and information lists.
#include <algorithm>
#include "runtime/output/methods.h"
#include "runtime/output/program.h"

namespace rt::out {

int32_t data_addcol(obobject* obj, void*, void*, int n, wobitem* items) {
    auto* d = static_cast<DataObject*>(obj);
    Column c;
    std::string pending;   // the name of a named item whose value comes next
    for (int k = 0; k < n; ++k) {
        const wobitem& it = items[k];
        switch (it.key) {
        case OBK_KIND: c.kind = it.v.i; break;
        case OBK_NAME: c.name = itemtext(it); break;
        case OBK_LABEL: c.label = itemtext(it); break;
        case OBK_WIDTH: c.width = it.v.i; break;
        case OBK_CELL: c.cell = it.v.p; break;
        case OBK_TEMPLATE: c.role = itemtext(it); break;
        case OBK_VARATTR: c.var = static_cast<const vardesc*>(it.v.p); break;
        case OBK_ITEMNAME: pending = itemtext(it); break;
        case OBK_VALUE: {
            std::string v = itemtext(it);
            if (iequal(pending, "LabelWidth")) c.width = std::max(c.width, it.type == OBT_INT ? it.v.i : std::atoi(v.c_str()));
            else if (iequal(pending, "spans") || iequal(pending, "span1")) c.spanfirst = v;
            else if (iequal(pending, "spane") || iequal(pending, "span2")) c.spanlast = v;
            pending.clear();
            break;
        }
        default: break;
        }
    }
    // A span given only by its first column ends at the column itself.
    if (!c.spanfirst.empty() && c.spanlast.empty()) c.spanlast = c.name;
    if (c.var) {
        if (c.label.empty()) c.label.assign(c.var->label, c.var->labellen);
        if (c.kind == 6 && c.width <= 0) c.width = c.var->length;
    }
    if (c.kind == 6 && c.width <= 0) c.width = 16;
    d->cols.push_back(std::move(c));
    return 0;
}

int32_t data_titles(obobject* obj, void*, void*, int n, wobitem* items) {
    auto* d = static_cast<DataObject*>(obj);
    for (int k = 0; k + 1 < n; ++k)
        if (items[k].key == OBK_ITEMNAME && items[k + 1].key == OBK_VALUE) {
            d->titles.emplace_back(itemtext(items[k]), itemtext(items[k + 1]));
            ++k;
        }
    return 0;
}

int32_t data_enddef(obobject* obj, void*, void*, int, wobitem*) {
    static_cast<DataObject*>(obj)->defined = true;
    return 0;
}

int32_t data_addrow(obobject* obj, void*, void*, int, wobitem*) {
    auto* d = static_cast<DataObject*>(obj);
    if (d->binding) program()->append(*d->binding);   // rows of an unbound object print nowhere
    return 0;
}

int32_t data_addrows(obobject* obj, void*, void*, int n, wobitem* items) {
    auto* d = static_cast<DataObject*>(obj);
    const wobitem* count = finditem(n, items, OBK_ROWCOUNT);
    if (!count || count->type != OBT_INT || count->v.i < 0) return OBR_BADITEM;
    std::vector<size_t> cols;
    std::vector<const void*> vals;
    for (int k = 0; k < n; ++k) {
        if (items[k].key != OBK_CELL) continue;
        // Each cell is followed by its array; a cell no column is bound to is passed over, one
        // bound to a text column cannot take an array.
        if (k + 1 >= n || items[k + 1].key != OBK_VALUE || !items[k + 1].v.p || !items[k].v.p) return OBR_BADITEM;
        auto it = std::find_if(d->cols.begin(), d->cols.end(), [&](const Column& c) { return c.cell == items[k].v.p; });
        if (it == d->cols.end()) {
            ++k;
            continue;
        }
        if (it->kind != 5 && it->kind != 3) return OBR_BADITEM;
        cols.push_back(static_cast<size_t>(it - d->cols.begin()));
        vals.push_back(items[k + 1].v.p);
        ++k;
    }
    const auto rows = static_cast<size_t>(count->v.i);
    if (d->binding) {
        program()->appendrows(*d->binding, rows, cols, vals);
    } else if (rows > 0) {
        setblockcells(*d, cols, vals, rows - 1);   // rows of an unbound object print nowhere
    }
    return 0;
}

int32_t tab_endrows(obobject* obj, void*, void*, int n, wobitem* items) {
    auto* o = static_cast<Object*>(obj);
    if (o->kind == ObjKind::Info) {
        publishinfo(*static_cast<InfoList*>(obj));
        return 0;
    }
    auto* d = static_cast<DataObject*>(obj);
    const wobitem* more = finditem(n, items, OBK_MORE);
    if (d->binding) d->binding->more = more && more->v.i != 0;
    return 0;
}

int32_t direct_data(obobject* obj, void*, int op, int, wobitem*) {
    if (op == 4) {
        auto* d = static_cast<DataObject*>(obj);
        if (d->binding) program()->finish(*d->binding);
    }
    return op == 1 || op == 4 ? 0 : OB_NOMETHOD;
}

// ---- information lists
int32_t info_line(obobject* obj, void*, void*, int n, wobitem* items) {
    auto* l = static_cast<InfoList*>(obj);
    const wobitem* kind = finditem(n, items, OBK_INFOKIND);
    const wobitem* label = finditem(n, items, OBK_LABEL);
    const wobitem* value = finditem(n, items, OBK_VALUE);
    if (kind && kind->v.i == 2) {
        // The label of the thing named on the line before (a data set or a variable).
        std::string t = value ? itemtext(*value) : std::string();
        if (t.empty() && label) t = itemtext(*label);
        if (l->lines.empty()) l->lines.emplace_back();
        l->lines.back().varlabel = t;
        return 0;
    }
    InfoLine line;
    if (label) line.label = itemtext(*label);
    if (value) line.value = itemtext(*value);
    l->lines.push_back(std::move(line));
    return 0;
}

int32_t direct_info(obobject* obj, void*, int op, int n, wobitem* items) {
    auto* l = static_cast<InfoList*>(obj);
    if (op == 1) {
        if (const wobitem* it = finditem(n, items, OBK_NAME)) l->name = itemtext(*it);
        if (const wobitem* it = finditem(n, items, OBK_TITLE)) l->title = itemtext(*it);
        return 0;
    }
    if (op == 4) {
        publishinfo(*l);
        return 0;
    }
    return OB_NOMETHOD;
}

void publishinfo(InfoList& l) {
    if (l.published) return;
    l.published = true;
    Program* P = program();
    const Template* tpl = findtemplate(l.tpath);
    if (!tpl || (tpl->kind != TplKind::Info && tpl->kind != TplKind::InfoLabel)) tpl = findtemplate("kv.vitalyx.info");
    bool withlabels = tpl->kind == TplKind::InfoLabel;
    // The list prints as a table without headers: label, value and, with labels, the label.
    DataObject* d = P->add(P->datas, ObjKind::Data, const_cast<obclass*>(&classes().data));
    d->name = l.name;
    d->label = l.title;
    txthandle cells[3] = {nullptr, nullptr, nullptr};
    const char* names[3] = {"Label", "Value", "VarLabel"};
    int widths[3] = {0, 0, 0};
    for (auto& line : l.lines) {
        widths[0] = std::max(widths[0], static_cast<int>(line.label.size()));
        widths[1] = std::max(widths[1], static_cast<int>(line.value.size()));
        widths[2] = std::max(widths[2], static_cast<int>(line.varlabel.size()));
    }
    for (int k = 0; k < (withlabels ? 3 : 2); ++k) {
        Column c;
        c.kind = 66;
        c.name = names[k];
        c.width = widths[k];
        c.cell = &cells[k];
        d->cols.push_back(std::move(c));
    }
    if (!l.title.empty()) d->titles.emplace_back("title", l.title);
    Binding* b = P->bind(d, tpl, false);
    for (auto& line : l.lines) {
        cells[0] = P->texts.make(line.label);
        cells[1] = P->texts.make(line.value);
        cells[2] = P->texts.make(line.varlabel);
        P->append(*b);
    }
    P->finish(*b);
    d->cols.clear();
}

}  // namespace rt::out
