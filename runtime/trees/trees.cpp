#include "runtime/trees/trees.h"

#include <cstring>
#include <vector>

// The host trees are AVL trees (Knuth's insertion). Key lengths: > 0 compares that many
// bytes unsigned, 0 a signed 32-bit integer, -2 doubles with missing values first and -7
// doubles with missing values last (both order missing values among themselves by their
// special-missing codes, so that every key has one place). docs/runtime-trees.md.
namespace rt::trees {
namespace {

const char* keyat(const void* node, int pos) { return static_cast<const char*>(node) + pos; }

double dbl(const void* node, int pos) {
    double d;
    std::memcpy(&d, keyat(node, pos), sizeof d);
    return d;
}

struct bytekey {
    int len, pos;
    int operator()(const void* a, const void* b) const { return std::memcmp(keyat(a, pos), keyat(b, pos), static_cast<size_t>(len)); }
};
struct intkey {
    int pos;
    int operator()(const void* a, const void* b) const {
        int32_t x, y;
        std::memcpy(&x, keyat(a, pos), 4);
        std::memcpy(&y, keyat(b, pos), 4);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
};
struct numkey {
    int pos;
    bool missinglast;
    int operator()(const void* a, const void* b) const {
        double x = dbl(a, pos), y = dbl(b, pos);
        if (missinglast && ((x != x) != (y != y))) return x != x ? 1 : -1;
        return missorder(x, y);
    }
};

template <class Cmp>
void* insert(trenode** rootp, trenode* n, Cmp cmp) {
    if (!*rootp) {
        n->left = n->right = nullptr;
        n->bal = 0;
        *rootp = n;
        return n;
    }
    trenode** slink = rootp;
    trenode* s = *rootp;
    trenode** leaf = nullptr;
    signed char dirs[256];
    int ndirs = 0;
    for (trenode* p = s;;) {
        int c = cmp(n, p);
        if (c == 0) return p;
        if (ndirs == 256) return nullptr;   // not an AVL tree
        dirs[ndirs++] = c < 0 ? -1 : 1;
        trenode** next = c < 0 ? &p->left : &p->right;
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
    n->left = n->right = nullptr;
    n->bal = 0;
    *leaf = n;
    const int a = dirs[0];
    trenode* r = a < 0 ? s->left : s->right;
    trenode* p = r;
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
    if (r->bal == a) {
        p = r;
        if (a < 0) {
            s->left = r->right;
            r->right = s;
        } else {
            s->right = r->left;
            r->left = s;
        }
        s->bal = r->bal = 0;
    } else {
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

template <class Cmp>
void* find(trenode* p, const void* key, Cmp cmp) {
    while (p) {
        int c = cmp(key, p);
        if (c == 0) return p;
        p = c < 0 ? p->left : p->right;
    }
    return nullptr;
}

void* tbld(void* tree, void* node, int keylen, int keypos) {
    if (!tree || !node || keypos < 0) return nullptr;
    trenode** rootp = static_cast<trenode**>(tree);
    trenode* n = static_cast<trenode*>(node);
    if (keylen > 0) return insert(rootp, n, bytekey{keylen, keypos});
    if (keylen == TREE_KEYINT) return insert(rootp, n, intkey{keypos});
    if (keylen == TREE_KEYNUM || keylen == TREE_KEYNUMLAST) return insert(rootp, n, numkey{keypos, keylen == TREE_KEYNUMLAST});
    return nullptr;
}

void* tfnd(void* tree, const void* key, int keylen, int keypos) {
    if (!tree || !key || keypos < 0) return nullptr;
    trenode* root = *static_cast<trenode**>(tree);
    if (keylen > 0) return find(root, key, bytekey{keylen, keypos});
    if (keylen == TREE_KEYINT) return find(root, key, intkey{keypos});
    if (keylen == TREE_KEYNUM || keylen == TREE_KEYNUMLAST) return find(root, key, numkey{keypos, keylen == TREE_KEYNUMLAST});
    return nullptr;
}

// In order, from the right: each node's next is the node visited before it.
void tlst(void* tree) {
    if (!tree) return;
    trenode** rootp = static_cast<trenode**>(tree);
    std::vector<trenode*> stack;
    trenode* head = nullptr;
    trenode* p = *rootp;
    while (p || !stack.empty()) {
        while (p) {
            stack.push_back(p);
            p = p->right;
        }
        p = stack.back();
        stack.pop_back();
        trenode* left = p->left;
        p->next = head;
        head = p;
        p = left;
    }
    *rootp = head;
}

const vec10 table = {tbld, tlst, tfnd};

}  // namespace

const vec10* services() { return &table; }

}  // namespace rt::trees
