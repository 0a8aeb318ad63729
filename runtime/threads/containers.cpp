// "qxeavl" containers and "qxeaa" associative arrays of the kernel instance. A container is
// an open-addressing hash set of the caller's nodes (find and insert in constant time); its
// ordered walk sorts the nodes once when the walk starts.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>
#include "runtime/threads/kernel.h"

struct kcontainer {
    int keyoff = 0;
    int keylen = 0;
    std::vector<void*> slots;      // power-of-two table; null is empty
    size_t count = 0;
    std::vector<void*> walk;       // the nodes in key order while a walk is under way
    size_t walkpos = 0;
};

struct kassoc {
    std::unordered_map<std::string, int32_t> map;
};

namespace rt::kern {
namespace {

const char* keyof(const kcontainer* c, const void* node) { return static_cast<const char*>(node) + c->keyoff; }

// The slot holding key, or the empty slot where it belongs.
size_t probe(const kcontainer* c, const void* key) {
    const size_t mask = c->slots.size() - 1;
    size_t i = static_cast<size_t>(hashbytes(key, c->keylen)) & mask;
    while (c->slots[i] && std::memcmp(keyof(c, c->slots[i]), key, static_cast<size_t>(c->keylen)) != 0)
        i = (i + 1) & mask;
    return i;
}

bool grow(kcontainer* c) {
    std::vector<void*> old;
    try {
        old.assign(c->slots.size() * 2, nullptr);
    } catch (...) {
        return false;
    }
    old.swap(c->slots);
    for (void* n : old)
        if (n) c->slots[probe(c, keyof(c, n))] = n;
    return true;
}

kcontainer* create(int keyoff, int keylen, int capacity) {
    if (keyoff < 0 || keylen < 1) return nullptr;
    auto* c = new (std::nothrow) kcontainer;
    if (!c) return nullptr;
    c->keyoff = keyoff;
    c->keylen = keylen;
    size_t n = 16;
    while (n < static_cast<size_t>(capacity) * 2) n *= 2;
    try {
        c->slots.assign(n, nullptr);
    } catch (...) {
        delete c;
        return nullptr;
    }
    return c;
}

void destroy(kcontainer* c) { delete c; }

void* insert(kcontainer* c, void* node) {
    if (!c || !node) return nullptr;
    size_t i = probe(c, keyof(c, node));
    if (c->slots[i]) return c->slots[i];
    if ((c->count + 1) * 4 > c->slots.size() * 3) {
        if (!grow(c)) return nullptr;
        i = probe(c, keyof(c, node));
    }
    c->slots[i] = node;
    ++c->count;
    return node;
}

void* find(kcontainer* c, const void* key) {
    if (!c || !key) return nullptr;
    return c->slots[probe(c, key)];
}

void* first(kcontainer* c) {
    if (!c) return nullptr;
    c->walk.clear();
    for (void* n : c->slots)
        if (n) c->walk.push_back(n);
    const size_t len = static_cast<size_t>(c->keylen);
    std::sort(c->walk.begin(), c->walk.end(),
              [&](void* a, void* b) { return std::memcmp(keyof(c, a), keyof(c, b), len) < 0; });
    c->walkpos = 0;
    return c->walk.empty() ? nullptr : c->walk[0];
}

void* next(kcontainer* c, void* node) {
    if (!c || !node || c->walk.empty()) return nullptr;
    if (c->walkpos >= c->walk.size() || c->walk[c->walkpos] != node) {
        const size_t len = static_cast<size_t>(c->keylen);
        auto it = std::lower_bound(c->walk.begin(), c->walk.end(), node, [&](void* a, void* b) {
            return std::memcmp(keyof(c, a), keyof(c, b), len) < 0;
        });
        if (it == c->walk.end() || *it != node) return nullptr;
        c->walkpos = static_cast<size_t>(it - c->walk.begin());
    }
    if (++c->walkpos >= c->walk.size()) {
        c->walk.clear();
        return nullptr;
    }
    return c->walk[c->walkpos];
}

int64_t count(const kcontainer* c) { return c ? static_cast<int64_t>(c->count) : 0; }

const kavlext avl = {create, destroy, insert, find, first, next, count};

kassoc* aacreate() { return new (std::nothrow) kassoc; }
void aadestroy(kassoc* a) { delete a; }
int aaadd(kassoc* a, const int32_t* value, const void* key, int keylen) {
    if (!a || !value || !key || keylen < 0) return 1;
    try {
        a->map[std::string(static_cast<const char*>(key), static_cast<size_t>(keylen))] = *value;
    } catch (...) {
        return 1;
    }
    return 0;
}
int aalookup(kassoc* a, const void* key, int keylen, int32_t** value) {
    if (!a || !key || keylen < 0) return 1;
    auto it = a->map.find(std::string(static_cast<const char*>(key), static_cast<size_t>(keylen)));
    if (it == a->map.end()) return 1;
    if (value) *value = &it->second;
    return 0;
}

const kaaext aa = {aacreate, aadestroy, aaadd, aalookup};

}  // namespace

const kavlext* containers() { return &avl; }
const kaaext* assocarrays() { return &aa; }

}  // namespace rt::kern
