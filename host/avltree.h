// The AVL tree of both kinds of tree, the host's (vector 10, runtime/trees) and the module's
// own (ztrebdf, proc/framework/trees.cpp): Knuth's insertion into a balanced tree (The Art of
// Computer Programming, vol. 3, section 6.2.3, Algorithm A) and the search, on nodes that begin
// with the trenode head. Header only, so that the module, which includes nothing of the
// runtime, and the runtime share one copy; each instantiates it with its own comparison.
#pragma once
#include "host/vec10_trees.h"

namespace avl {

// Longest path an AVL tree can have below any node of a tree that fits in memory.
constexpr int kMaxPath = 256;

// Inserts n into the tree whose root word is *rootp; cmp(a, b) compares the keys of two nodes
// (negative, 0 or positive), a being the new node. Returns n once it is placed, or the node
// already holding an equal key (the tree is then unchanged), or null when the comparison is
// inconsistent: a path longer than kMaxPath, or, with Recheck, a comparison that changes its
// mind when the directions below the deepest unbalanced node are compared once more before
// anything is written (the tree is then unchanged too).
template <bool Recheck, class Cmp>
trenode* insert(trenode** rootp, trenode* n, Cmp cmp) {
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
        const int c = cmp(n, p);
        if (c == 0) return p;
        if (ndirs == kMaxPath) return nullptr;
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
    if constexpr (Recheck) {
        trenode* p = s;
        for (int i = 0; i < ndirs; ++i) {
            const int c = cmp(n, p);
            if (c == 0 || (c < 0 ? -1 : 1) != dirs[i]) return nullptr;
            p = dirs[i] < 0 ? p->left : p->right;
        }
    }
    n->left = n->right = nullptr;
    n->bal = 0;
    *leaf = n;

    // The nodes below s on the path lean towards the new node; s itself is rebalanced.
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
    if (r->bal == a) {   // single rotation
        p = r;
        if (a < 0) {
            s->left = r->right;
            r->right = s;
        } else {
            s->right = r->left;
            r->left = s;
        }
        s->bal = r->bal = 0;
    } else {             // double rotation
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

// The node below p whose key equals the key of the record key (cmp(key, node)), or null.
template <class Cmp>
trenode* find(trenode* p, const void* key, Cmp cmp) {
    while (p) {
        const int c = cmp(key, p);
        if (c == 0) return p;
        p = c < 0 ? p->left : p->right;
    }
    return nullptr;
}

}  // namespace avl
