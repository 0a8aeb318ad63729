// "qxeavl" containers and "qxeaa" associative arrays of the kernel instance. A container is
// an open-addressing hash set of the caller's nodes (find and insert in constant time); its
// ordered walk sorts the nodes once when the walk starts. A key of at most 8 bytes is kept in
// its slot too, so that a lookup compares it without reading the node.
#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>
#include "runtime/threads/kernel.h"

struct kslot {
    uint64_t hash;                 // keys of at most 8 bytes: the key itself, zero-filled
    void* node;                    // null: empty
};

struct kcontainer {
    int keyoff = 0;
    int keylen = 0;
    std::vector<kslot> slots;      // power-of-two table
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

bool samekey(const void* a, const void* b, int len) {
    if (len >= 4 && len <= 8) {
        // the first and the last four bytes (overlapping below 8)
        const auto* pa = static_cast<const char*>(a);
        const auto* pb = static_cast<const char*>(b);
        uint32_t x0, y0, x1, y1;
        std::memcpy(&x0, pa, 4);
        std::memcpy(&y0, pb, 4);
        std::memcpy(&x1, pa + len - 4, 4);
        std::memcpy(&y1, pb + len - 4, 4);
        return x0 == y0 && x1 == y1;
    }
    return std::memcmp(a, b, static_cast<size_t>(len)) == 0;
}

bool shortkeys(const kcontainer* c) { return c->keylen <= 8; }

// A key of at most 8 bytes as a word (its bytes in their places, zero above), in at most two
// loads.
static_assert(std::endian::native == std::endian::little, "key words are assembled little-endian");
uint64_t keyword(const void* key, int len) {
    const auto* p = static_cast<const unsigned char*>(key);
    if (len == 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        return w;
    }
    uint64_t w = 0;
    if (len >= 4) {
        uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + len - 4, 4);
        w = (static_cast<uint64_t>(b) << (8 * (len - 4))) | a;   // bytes 0..3, then 4..len-1 above them
        return w;
    }
    for (int k = len - 1; k >= 0; --k) w = (w << 8) | p[k];
    return w;
}

// Where a slot's entry belongs: by the hash of its key, or by the key word of a short key.
uint64_t placeof(const kcontainer* c, uint64_t slotword) {
    if (!shortkeys(c)) return slotword;
    uint64_t h = slotword ^ (slotword >> 30);
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

// The word a slot keeps for key: the key itself when short, else its hash.
uint64_t slotword(const kcontainer* c, const void* key) {
    return shortkeys(c) ? keyword(key, c->keylen) : hashbytes(key, c->keylen);
}

// The slot holding key (slot word w), or the empty slot where it belongs.
size_t probe(const kcontainer* c, const void* key, uint64_t w) {
    const size_t mask = c->slots.size() - 1;
    size_t i = static_cast<size_t>(placeof(c, w)) & mask;
    if (shortkeys(c)) {
        for (;; i = (i + 1) & mask) {
            const kslot& s = c->slots[i];
            if (!s.node || s.hash == w) return i;
        }
    }
    for (;; i = (i + 1) & mask) {
        const kslot& s = c->slots[i];
        if (!s.node || (s.hash == w && samekey(keyof(c, s.node), key, c->keylen))) return i;
    }
}

bool grow(kcontainer* c) {
    std::vector<kslot> old;
    try {
        old.assign(c->slots.size() * 2, kslot{0, nullptr});
    } catch (...) {
        return false;
    }
    old.swap(c->slots);
    const size_t mask = c->slots.size() - 1;
    for (const kslot& s : old) {
        if (!s.node) continue;
        size_t i = static_cast<size_t>(placeof(c, s.hash)) & mask;
        while (c->slots[i].node) i = (i + 1) & mask;
        c->slots[i] = s;
    }
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
        c->slots.assign(n, kslot{0, nullptr});
    } catch (...) {
        delete c;
        return nullptr;
    }
    return c;
}

void destroy(kcontainer* c) { delete c; }

void* insert(kcontainer* c, void* node) {
    if (!c || !node) return nullptr;
    const uint64_t h = slotword(c, keyof(c, node));
    size_t i = probe(c, keyof(c, node), h);
    if (c->slots[i].node) return c->slots[i].node;
    if ((c->count + 1) * 2 > c->slots.size()) {
        if (!grow(c)) return nullptr;
        i = probe(c, keyof(c, node), h);
    }
    c->slots[i] = kslot{h, node};
    ++c->count;
    return node;
}

void* find(kcontainer* c, const void* key) {
    if (!c || !key) return nullptr;
    return c->slots[probe(c, key, slotword(c, key))].node;
}

void* first(kcontainer* c) {
    if (!c) return nullptr;
    c->walk.clear();
    for (const kslot& s : c->slots)
        if (s.node) c->walk.push_back(s.node);
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
