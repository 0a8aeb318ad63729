// The threaded AVL tree: insertion and removal keep a path stack, walks follow the threads.
#include "proc/effects/avltree.h"

#include <cstring>

namespace {

constexpr int MAXPATH = 64;   // deeper than any AVL tree that fits in memory

inline bool child(uintptr_t l) { return (l & 1) == 0 && l != 0; }
inline avlnode* ptr(uintptr_t l) { return reinterpret_cast<avlnode*>(l & ~static_cast<uintptr_t>(1)); }
inline uintptr_t asthread(const avlnode* n) { return reinterpret_cast<uintptr_t>(n) | 1; }
inline uintptr_t aschild(const avlnode* n) { return reinterpret_cast<uintptr_t>(n); }
inline avlnode* node(void* p) { return static_cast<avlnode*>(p); }

int cmpkey(const void* key, const avlnode* n, int keyoff, int keylen) {
    return std::memcmp(key, reinterpret_cast<const char*>(n) + keyoff, static_cast<size_t>(keylen));
}

// Sets the link of parent in direction dir (the root word when parent is null).
void setlink(void** root, avlnode* parent, int dir, uintptr_t value) {
    if (parent) parent->link[dir] = value;
    else *root = (value & 1) ? ptr(value) : reinterpret_cast<void*>(value);
}

}  // namespace

void* zavl_add_tchra(void** root, void* nodep, int keyoff, int keylen) {
    avlnode* n = node(nodep);
    const void* key = reinterpret_cast<const char*>(n) + keyoff;
    if (!*root) {
        n->link[0] = n->link[1] = 1;
        n->avlbal = 0;
        *root = n;
        return n;
    }
    avlnode* path[MAXPATH];
    int dirs[MAXPATH];
    int depth = 0;
    avlnode* p = node(*root);
    for (;;) {
        const int c = cmpkey(key, p, keyoff, keylen);
        if (c == 0) return p;
        const int d = c > 0;
        path[depth] = p;
        dirs[depth++] = d;
        if (!child(p->link[d])) break;
        p = ptr(p->link[d]);
    }
    const int d = dirs[depth - 1];
    n->link[d] = p->link[d];           // the parent's old thread
    n->link[1 - d] = asthread(p);
    n->avlbal = 0;
    p->link[d] = aschild(n);
    // back up the path
    for (int k = depth - 1; k >= 0; --k) {
        avlnode* a = path[k];
        const int side = dirs[k];
        const int grow = side ? 1 : -1;
        if (a->avlbal == 0) {
            a->avlbal = grow;
            continue;
        }
        if (a->avlbal == -grow) {
            a->avlbal = 0;
            return n;
        }
        // a leans to the side that grew: rotate
        avlnode* b = ptr(a->link[side]);
        avlnode* top;
        if (b->avlbal == grow) {
            // single rotation: b's inner link moves to a
            if (child(b->link[1 - side])) a->link[side] = b->link[1 - side];
            else a->link[side] = asthread(b);
            b->link[1 - side] = aschild(a);
            a->avlbal = b->avlbal = 0;
            top = b;
        } else {
            avlnode* c = ptr(b->link[1 - side]);
            if (child(c->link[side])) b->link[1 - side] = c->link[side];
            else b->link[1 - side] = asthread(c);
            if (child(c->link[1 - side])) a->link[side] = c->link[1 - side];
            else a->link[side] = asthread(c);
            c->link[side] = aschild(b);
            c->link[1 - side] = aschild(a);
            const int bal = a->avlbal;
            a->avlbal = c->avlbal == bal ? -bal : 0;
            b->avlbal = c->avlbal == -bal ? bal : 0;
            c->avlbal = 0;
            top = c;
        }
        setlink(root, k > 0 ? path[k - 1] : nullptr, k > 0 ? dirs[k - 1] : 0, aschild(top));
        return n;
    }
    return n;
}

void* zavl_find_tchra(void* root, const void* key, int keyoff, int keylen) {
    avlnode* p = node(root);
    while (p) {
        const int c = cmpkey(key, p, keyoff, keylen);
        if (c == 0) return p;
        const uintptr_t l = p->link[c > 0];
        if (!child(l)) return nullptr;
        p = ptr(l);
    }
    return nullptr;
}

void* zavl_first_node(void* const* root) {
    avlnode* p = node(*root);
    if (!p) return nullptr;
    while (child(p->link[0])) p = ptr(p->link[0]);
    return p;
}

void* zavl_last_node(void* const* root) {
    avlnode* p = node(*root);
    if (!p) return nullptr;
    while (child(p->link[1])) p = ptr(p->link[1]);
    return p;
}

void* zavl_next_node(const void* np) {
    const auto* n = static_cast<const avlnode*>(np);
    if (!n) return nullptr;
    if (!child(n->link[1])) return ptr(n->link[1]);
    avlnode* p = ptr(n->link[1]);
    while (child(p->link[0])) p = ptr(p->link[0]);
    return p;
}

void* zavl_prev_node(const void* np) {
    const auto* n = static_cast<const avlnode*>(np);
    if (!n) return nullptr;
    if (!child(n->link[0])) return ptr(n->link[0]);
    avlnode* p = ptr(n->link[0]);
    while (child(p->link[1])) p = ptr(p->link[1]);
    return p;
}

void* zavl_rem_tchra(void** root, const void* key, int keyoff, int keylen) {
    avlnode* pa[MAXPATH];   // pa[0] null stands for the root word
    int da[MAXPATH];
    int k = 0;
    avlnode* p = node(*root);
    if (!p) return nullptr;
    pa[k] = nullptr;
    da[k++] = 0;
    for (;;) {
        const int c = cmpkey(key, p, keyoff, keylen);
        if (c == 0) break;
        const int d = c > 0;
        if (!child(p->link[d])) return nullptr;
        pa[k] = p;
        da[k++] = d;
        p = ptr(p->link[d]);
    }
    // the node's predecessor's right thread, when p has a left subtree
    auto rightmost = [](avlnode* t) {
        while (child(t->link[1])) t = ptr(t->link[1]);
        return t;
    };
    if (!child(p->link[1])) {
        if (child(p->link[0])) {
            avlnode* t = rightmost(ptr(p->link[0]));
            t->link[1] = p->link[1];
            setlink(root, pa[k - 1], da[k - 1], p->link[0]);
        } else {
            // a leaf: the parent's link becomes p's thread on that side
            setlink(root, pa[k - 1], da[k - 1], p->link[da[k - 1]]);
        }
    } else {
        avlnode* r = ptr(p->link[1]);
        if (!child(r->link[0])) {
            r->link[0] = p->link[0];
            if (child(r->link[0])) rightmost(ptr(r->link[0]))->link[1] = asthread(r);
            setlink(root, pa[k - 1], da[k - 1], aschild(r));
            r->avlbal = p->avlbal;
            pa[k] = r;
            da[k++] = 1;
        } else {
            avlnode* s;
            const int j = k++;
            for (;;) {
                pa[k] = r;
                da[k++] = 0;
                s = ptr(r->link[0]);
                if (!child(s->link[0])) break;
                r = s;
            }
            pa[j] = s;
            da[j] = 1;
            if (child(s->link[1])) r->link[0] = s->link[1];
            else r->link[0] = asthread(s);
            s->link[0] = p->link[0];
            if (child(p->link[0])) rightmost(ptr(p->link[0]))->link[1] = asthread(s);
            s->link[1] = p->link[1];
            s->avlbal = p->avlbal;
            setlink(root, pa[j - 1], da[j - 1], aschild(s));
        }
    }
    // back up: the side da[k] of pa[k] lost one level
    while (--k > 0) {
        avlnode* y = pa[k];
        const int side = da[k];
        const int other = 1 - side;
        const int shrink = side ? -1 : 1;   // the balance change when side loses height
        y->avlbal += shrink;
        if (y->avlbal == shrink) break;     // from 0: the height is unchanged
        if (y->avlbal == 0) continue;       // the heavy side lost: the height shrank
        // |balance| 2: rotate towards side
        avlnode* x = ptr(y->link[other]);
        if (x->avlbal == -shrink) {
            avlnode* w = ptr(x->link[side]);
            const bool wside = child(w->link[side]), wother = child(w->link[other]);
            x->link[side] = w->link[other];
            w->link[other] = aschild(x);
            y->link[other] = w->link[side];
            w->link[side] = aschild(y);
            if (w->avlbal == shrink) x->avlbal = 0, y->avlbal = -shrink;
            else if (w->avlbal == 0) x->avlbal = y->avlbal = 0;
            else x->avlbal = shrink, y->avlbal = 0;
            w->avlbal = 0;
            if (!wside) y->link[other] = asthread(w);
            if (!wother) x->link[side] = asthread(w);
            setlink(root, pa[k - 1], da[k - 1], aschild(w));
        } else {
            setlink(root, pa[k - 1], da[k - 1], aschild(x));
            if (x->avlbal == 0) {
                y->link[other] = x->link[side];
                x->link[side] = aschild(y);
                x->avlbal = -shrink;
                y->avlbal = shrink;
                break;
            }
            if (child(x->link[side])) y->link[other] = x->link[side];
            else y->link[other] = asthread(x);
            x->link[side] = aschild(y);
            x->avlbal = y->avlbal = 0;
        }
    }
    return p;
}

void zavl2list(void** root) {
    void* first = zavl_first_node(root);
    avlnode* prev = nullptr;
    for (avlnode* n = node(first); n;) {
        avlnode* next = node(zavl_next_node(n));
        n->link[0] = prev ? asthread(prev) : 1;
        n->link[1] = aschild(next);
        prev = n;
        n = next;
    }
    *root = first;
}
