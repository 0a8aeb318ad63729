#include "proc/framework/trees.h"

#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"

namespace {

int keycompare(const void* a, const void* b, int keylen, int keypos, trecmp compare) {
    if (compare) return compare(a, b, keylen, keypos);
    const char* pa = static_cast<const char*>(a) + keypos;
    const char* pb = static_cast<const char*>(b) + keypos;
    if (keylen < 0) {
        double x, y;
        std::memcpy(&x, pa, sizeof x);
        std::memcpy(&y, pb, sizeof y);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return ztrecc(a, b, keylen, keypos);
}

// Longest path an AVL tree can have below any node of a tree that fits in memory.
constexpr int kMaxPath = 256;

}  // namespace

int ztrecc(const void* a, const void* b, int len, int pos) {
    if (len <= 0) return 0;
    return std::memcmp(static_cast<const char*>(a) + pos, static_cast<const char*>(b) + pos, static_cast<size_t>(len));
}

// Knuth's insertion into a balanced tree. The directions below the deepest unbalanced
// node are compared once more before anything is written: a comparison that changes its
// mind leaves the tree as it was.
void* ztrebdf(void* root, void* node, int keylen, int keypos, trecmp compare) {
    trenode** rootp = static_cast<trenode**>(root);
    trenode* n = static_cast<trenode*>(node);
    if (!rootp || !n) return nullptr;
    if (!*rootp) {
        n->left = n->right = nullptr;
        n->bal = 0;
        *rootp = n;
        return n;
    }
    trenode** slink = rootp;       // the link that points to s
    trenode* s = *rootp;           // deepest node on the path with a non-zero balance
    trenode** leaf = nullptr;      // where the new node hangs
    signed char dirs[kMaxPath];    // directions taken from s downwards
    int ndirs = 0;
    for (trenode* p = s;;) {
        int c = keycompare(n, p, keylen, keypos, compare);
        if (c == 0) return p;
        trenode** next = c < 0 ? &p->left : &p->right;
        if (ndirs == kMaxPath) {
            xdebug("ztrebld: invalid compare");
            return nullptr;
        }
        dirs[ndirs++] = c < 0 ? -1 : 1;
        trenode* q = *next;
        if (!q) {
            leaf = next;
            break;
        }
        if (q->bal != 0) {
            slink = next;
            s = q;
            ndirs = 0;
        }
        p = q;
    }
    // Check the path from s once more.
    trenode* p = s;
    for (int i = 0; i < ndirs; ++i) {
        int c = keycompare(n, p, keylen, keypos, compare);
        if (c == 0 || (c < 0 ? -1 : 1) != dirs[i]) {
            xdebug("ztrebld: invalid compare");
            return nullptr;
        }
        p = dirs[i] < 0 ? p->left : p->right;
    }
    n->left = n->right = nullptr;
    n->bal = 0;
    *leaf = n;

    const int a = dirs[0];
    trenode* r = a < 0 ? s->left : s->right;
    p = r;
    for (int i = 1; i < ndirs; ++i) {
        p->bal = static_cast<int16_t>(dirs[i]);
        p = dirs[i] < 0 ? p->left : p->right;
    }
    if (s->bal == 0) {
        s->bal = static_cast<int16_t>(a);
        return n;
    }
    if (s->bal == -a) {
        s->bal = 0;
        return n;
    }
    if (r->bal == a) {  // single rotation
        p = r;
        if (a < 0) {
            s->left = r->right;
            r->right = s;
        } else {
            s->right = r->left;
            r->left = s;
        }
        s->bal = r->bal = 0;
    } else {  // double rotation
        if (a < 0) {
            p = r->right;
            r->right = p->left;
            p->left = r;
            s->left = p->right;
            p->right = s;
        } else {
            p = r->left;
            r->left = p->right;
            p->right = r;
            s->right = p->left;
            p->left = s;
        }
        if (p->bal == a) {
            s->bal = static_cast<int16_t>(-a);
            r->bal = 0;
        } else if (p->bal == 0) {
            s->bal = r->bal = 0;
        } else {
            s->bal = 0;
            r->bal = static_cast<int16_t>(a);
        }
        p->bal = 0;
    }
    *slink = p;
    return n;
}

void* ztrefdf(void* root, const void* key, int keylen, int keypos, trecmp compare) {
    trenode** rootp = static_cast<trenode**>(root);
    if (!rootp) return nullptr;
    for (trenode* p = *rootp; p;) {
        int c = keycompare(key, p, keylen, keypos, compare);
        if (c == 0) return p;
        p = c < 0 ? p->left : p->right;
    }
    return nullptr;
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
    vmfree_handler(v_global_gcb_anchor->effpool, it, -1, 4);
}

void* ztreord(void* handle) {
    if (!handle) return nullptr;
    treiter* it = iterof(handle);
    if (!it) {
        it = static_cast<treiter*>(vmalcp_handler(v_global_gcb_anchor->effpool, sizeof(treiter), 0x2004));
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
