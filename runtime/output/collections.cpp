// Collections that device graphics keep its segment lists in: an associative array of
// destination names and lists of segment records.
#include "runtime/output/methods.h"
#include "runtime/output/program.h"

namespace rt::out {

int32_t assoc_add(obobject* obj, void*, void*, int n, wobitem* items) {
    if (n < 2) return OBR_BADITEM;
    auto* a = static_cast<Assoc*>(obj);
    a->pairs.emplace_back(itemtext(items[0]), static_cast<obobject*>(items[1].v.p));
    return 0;
}

int32_t assoc_get(obobject* obj, void*, void*, int n, wobitem* items) {
    if (n < 2) return OBR_BADITEM;
    auto* a = static_cast<Assoc*>(obj);
    std::string key = itemtext(items[0]);
    items[1].v.p = nullptr;
    for (auto& [k, v] : a->pairs)
        if (k == key) items[1].v.p = v;
    return 0;
}

int32_t list_add(obobject* obj, void*, void*, int n, wobitem* items) {
    if (n < 1) return OBR_BADITEM;
    static_cast<List*>(obj)->elems.push_back(items[0].v.p);
    return 0;
}

int32_t list_get(obobject* obj, void*, void*, int n, wobitem* items) {
    auto* l = static_cast<List*>(obj);
    if (n < 2) return OBR_BADITEM;
    int j = items[0].v.i;   // counted from 1
    if (j < 1 || j > static_cast<int>(l->elems.size())) return OBR_BADITEM;
    items[1].v.p = l->elems[static_cast<size_t>(j - 1)];
    return 0;
}

int32_t list_count(obobject* obj, void*, void*, int n, wobitem* items) {
    int32_t count = static_cast<int32_t>(static_cast<List*>(obj)->elems.size());
    for (int k = 0; k < n; ++k)
        if (items[k].key == OBK_COUNT158) items[k].v.i = count;
    return count;
}

}  // namespace rt::out
