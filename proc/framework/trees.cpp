// The module's own AVL trees, on the insertion and search it shares with the host's trees
// (host/avltree.h), and the in-order iterator that walks both kinds of tree.
#include "proc/framework/trees.h"

#include <cstring>

#include "host/avltree.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"

namespace {

// The key comparisons of ztrebdf: the caller's routine, doubles (an unordered comparison
// counts as equal) or bytes; each a type of its own, so that the tree code is made for it.
struct bycaller {
    trecmp compare;
    int keylen, keypos;
    int operator()(const void* a, const void* b) const { return compare(a, b, keylen, keypos); }
};
struct bydouble {
    int keypos;
    int operator()(const void* a, const void* b) const {
        double x, y;
        std::memcpy(&x, static_cast<const char*>(a) + keypos, sizeof x);
        std::memcpy(&y, static_cast<const char*>(b) + keypos, sizeof y);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
};
struct bybytes {
    int keylen, keypos;
    int operator()(const void* a, const void* b) const { return ztrecc(a, b, keylen, keypos); }
};

// Runs f with the comparison that compare, keylen and keypos name.
template <class F>
auto withcompare(trecmp compare, int keylen, int keypos, F f) {
    if (compare) return f(bycaller{compare, keylen, keypos});
    if (keylen < 0) return f(bydouble{keypos});
    return f(bybytes{keylen, keypos});
}

}  // namespace

int ztrecc(const void* a, const void* b, int len, int pos) {
    if (len <= 0) return 0;
    return std::memcmp(static_cast<const char*>(a) + pos, static_cast<const char*>(b) + pos, static_cast<size_t>(len));
}

// The shared AVL insertion (host/avltree.h), with the directions below the deepest
// unbalanced node compared once more before anything is written: a comparison that changes
// its mind leaves the tree as it was.
void* ztrebdf(void* root, void* node, int keylen, int keypos, trecmp compare) {
    trenode** rootp = static_cast<trenode**>(root);
    trenode* n = static_cast<trenode*>(node);
    if (!rootp || !n) return nullptr;
    trenode* r = withcompare(compare, keylen, keypos, [&](auto cmp) { return avl::insert<true>(rootp, n, cmp); });
    if (!r) xdebug("ztrebld: invalid compare");
    return r;
}

void* ztrefdf(void* root, const void* key, int keylen, int keypos, trecmp compare) {
    trenode** rootp = static_cast<trenode**>(root);
    if (!rootp) return nullptr;
    return withcompare(compare, keylen, keypos, [&](auto cmp) { return avl::find(*rootp, key, cmp); });
}

// ---- iteration

namespace {

// The iteration state hangs in the handle's root word while an iteration is under way;
// its head's balance field holds the tag that says so.
struct treiter {
    trenode head;
    trenode* root;                          // the handle's saved root word
    int32_t sp;                             // entries above the sentinel
    trenode* stack[ZTRE_MAXDEPTH + 1];      // stack[0] is the zero sentinel
};

treiter* iterof(void* handle) {
    trenode* r = *static_cast<trenode**>(handle);
    return (r && r->bal == ZTRE_ITERTAG) ? reinterpret_cast<treiter*>(r) : nullptr;
}

void pushspine(treiter* it, trenode* n) {
    for (; n; n = n->left) {
        if (it->sp == ZTRE_MAXDEPTH) {
            xdebug("ZTREORD: overflow stack");
            it->sp = 0;
            return;
        }
        it->stack[++it->sp] = n;
    }
}

}  // namespace

void ztreofx(void* handle) {
    if (!handle) return;
    treiter* it = iterof(handle);
    if (!it) return;
    *static_cast<trenode**>(handle) = it->root;
    poolput(v_global_gcb_anchor->effpool, it);
}

void* ztreord(void* handle) {
    if (!handle) return nullptr;
    treiter* it = iterof(handle);
    if (!it) {
        it = poolget<treiter>(v_global_gcb_anchor->effpool, 1, poolflag::raw);
        if (!it) return nullptr;
        it->head.next = it->head.left = it->head.right = nullptr;
        it->head.bal = ZTRE_ITERTAG;
        it->root = *static_cast<trenode**>(handle);
        it->sp = 0;
        it->stack[0] = nullptr;
        *static_cast<trenode**>(handle) = &it->head;
        pushspine(it, it->root);
    }
    if (it->sp == 0) {
        ztreofx(handle);
        return nullptr;
    }
    trenode* n = it->stack[it->sp--];
    pushspine(it, n->right);
    return n;
}
