// Matrix tables (method 388): a packed symmetric matrix, or any matrix read element by
// element through the caller's accessor, printed as a table with row and column names.
#include <cstring>
#include "runtime/output/methods.h"
#include "runtime/output/program.h"

namespace rt::out {

namespace {
typedef double (*elemfn)(void* context, int row, int col);

std::string nametext(const wobitem* names, int k) {
    if (!names || !names->v.p) return std::string();
    return std::string(textof(static_cast<txthandle const*>(names->v.p)[k]));
}
}  // namespace

int32_t mgr_matrix(obobject*, void*, void*, int n, wobitem* items) {
    Program* P = program();
    auto get = [&](uint16_t key) { return finditem(n, items, key); };
    const wobitem* rows = get(OBK_MROWS);
    const wobitem* cols = get(OBK_MCOLS);
    if (!rows || !cols || rows->v.i < 0 || cols->v.i < 0) return OBR_BADITEM;
    int nr = rows->v.i, nc = cols->v.i;
    const wobitem* packed = get(OBK_MPACKED);
    const wobitem* access = get(OBK_MACCESSOR);
    const wobitem* context = get(OBK_MCONTEXT);
    if (!(packed && packed->v.p) && !(access && access->v.p)) return OBR_BADITEM;
    const wobitem* tplitem = get(OBK_TEMPLATE);
    const Template* tpl = tplitem ? findtemplate(itemtext(*tplitem)) : nullptr;
    if (!tpl) tpl = &defaulttemplate();

    DataObject* d = P->add(P->datas, ObjKind::Data, const_cast<obclass*>(&classes().data));
    if (const wobitem* it = get(OBK_NAME)) d->name = itemtext(*it);
    if (const wobitem* it = get(OBK_LABEL)) d->label = itemtext(*it);
    if (const wobitem* it = get(OBK_TITLE)) d->titles.emplace_back("title", itemtext(*it));

    bool hasfmt = false;
    num::NumFormat fmt;
    if (const wobitem* f = get(OBK_MFORMAT); f && f->v.p) {
        int32_t kind;
        std::memcpy(&kind, f->v.p, sizeof kind);
        hasfmt = true;
        fmt = kind == 4 ? num::NumFormat{num::Fmt::Fixed, 8, 4} : num::NumFormat{num::Fmt::Best, 12, 0};
    }
    const wobitem* rnames = get(OBK_MROWNAMES);
    const wobitem* cnames = get(OBK_MCOLNAMES);
    txthandle rowname = nullptr;
    std::vector<double> cells(static_cast<size_t>(nc));
    Column rc;
    rc.kind = 66;
    rc.name = "RowName";
    rc.cell = &rowname;
    for (int i = 0; i < nr; ++i) rc.width = std::max<int>(rc.width, static_cast<int>(nametext(rnames, i).size()));
    d->cols.push_back(rc);
    for (int j = 0; j < nc; ++j) {
        Column c;
        c.kind = 5;
        c.name = nametext(cnames, j);
        if (c.name.empty()) c.name = "Col" + std::to_string(j + 1);
        c.cell = &cells[static_cast<size_t>(j)];
        c.hasfmt = hasfmt;
        c.fmt = fmt;
        d->cols.push_back(std::move(c));
    }
    d->defined = true;

    Binding* b = P->bind(d, tpl, false);
    auto* m = packed && packed->v.p ? static_cast<const double*>(packed->v.p) : nullptr;
    auto fn = access && access->v.p ? reinterpret_cast<elemfn>(access->v.p) : nullptr;
    void* ctx = context ? context->v.p : nullptr;
    for (int i = 0; i < nr; ++i) {
        rowname = P->texts.make(nametext(rnames, i));
        for (int j = 0; j < nc; ++j) {
            double v;
            if (m) {
                int a = i > j ? i : j, c = i > j ? j : i;   // lower triangle by rows
                v = m[static_cast<size_t>(a) * (a + 1) / 2 + c];
            } else {
                v = fn(ctx, i, j);
            }
            cells[static_cast<size_t>(j)] = v;
        }
        P->append(*b);
    }
    P->finish(*b);
    return 0;
}

}  // namespace rt::out
