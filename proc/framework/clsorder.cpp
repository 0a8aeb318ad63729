// Class-level ordering: the class levels of a BY group in the order asked for, the level
// arrays, the grid of cells of two class variables, the group column's width (clsorder.h).
#include "proc/framework/clsorder.h"

#include <cstddef>
#include <cstring>

#include "proc/framework/hostsvc_util.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/msg510.h"
#include "proc/vyxstate.h"

static_assert(offsetof(grpnode, next) == offsetof(trenode, next) && offsetof(grpnode, tleft) == offsetof(trenode, left) &&
                  offsetof(grpnode, tright) == offsetof(trenode, right) && offsetof(grpnode, tbal) == offsetof(trenode, bal),
              "a group node must begin with the tree node head");

namespace {

// How a level list is sorted: the host tree's key length and position.
struct sortkey {
    int keylen;
    int keypos;
};

double numat(const grpnode* g, int pos) {
    double d;
    std::memcpy(&d, reinterpret_cast<const char*>(g) + pos, sizeof d);
    return d;
}

// The same order as the host tree for the key lengths used here.
int keyorder(const grpnode* a, const grpnode* b, sortkey k) {
    if (k.keylen > 0) return std::memcmp(reinterpret_cast<const char*>(a) + k.keypos, reinterpret_cast<const char*>(b) + k.keypos, k.keylen);
    double x = numat(a, k.keypos), y = numat(b, k.keypos);
    if (k.keylen == TREE_KEYNUMLAST && (x != x) != (y != y)) return (x != x) ? 1 : -1;
    return missorder(x, y);
}

// Stable merge sort of a list through grpnode::next; used when two levels share a key, which
// the tree would merge into one.
grpnode* mergesort(grpnode* head, sortkey k) {
    if (!head || !head->next) return head;
    grpnode* slow = head;
    for (grpnode* fast = head->next; fast && fast->next; fast = fast->next->next) slow = slow->next;
    grpnode* second = slow->next;
    slow->next = nullptr;
    grpnode* a = mergesort(head, k);
    grpnode* b = mergesort(second, k);
    grpnode out{};
    grpnode* tail = &out;
    while (a && b) {
        if (keyorder(b, a, k) < 0) {
            tail->next = b;
            b = b->next;
        } else {
            tail->next = a;
            a = a->next;
        }
        tail = tail->next;
    }
    tail->next = a ? a : b;
    return out.next;
}

// Orders the flattened list at *head by ordering code; returns 0 or 1012 after message failmsg.
int orderlist(grpnode** head, int code, bool numeric, bool sortbyte, int n, int failmsg) {
    sortkey k;
    switch (code) {
        case 0:
            k = numeric ? sortkey{sortbyte ? TREE_KEYNUM : TREE_KEYNUMLAST, static_cast<int>(offsetof(grpnode, numkey))}
                        : sortkey{16, static_cast<int>(offsetof(grpnode, rawkey))};
            break;
        case 2: {
            int i = 0;
            for (grpnode* g = *head; g; g = g->next, ++i) g->ordkey += 0.5 * i / n;
            k = {TREE_KEYNUM, static_cast<int>(offsetof(grpnode, ordkey))};
            break;
        }
        case 3:
            k = {TREE_KEYNUM, static_cast<int>(offsetof(grpnode, ordkey))};
            break;
        default:
            // Code 1, and any code the option readers never set: the list stays as it is.
            return 0;
    }
    grpnode* tree = nullptr;
    for (grpnode* g = *head; g;) {
        grpnode* next = g->next;     // the list stays intact until the tree is flattened
        void* r = ztrebld(&tree, g, k.keylen, k.keypos);
        if (!r) {
            xpmlog(510, failmsg);
            return RC_SETUP;
        }
        if (r != g) {
            *head = mergesort(*head, k);
            return 0;
        }
        g = next;
    }
    ztrelst(&tree);
    *head = tree;
    return 0;
}

void justify(grpnode* head) {
    for (grpnode* g = head; g; g = g->next) g->keylen = wzstjus(g->key, 16, 'l');
}

template <class T>
T* alloc(poolobj* pool, int64_t bytes, poolflag flags, int* rc) {
    void* p = poolbytes(pool, bytes > 0 ? bytes : 1, flags);
    if (!p) {
        xmemmsg(bytes);
        *rc = RC_NOMEM;
    }
    return static_cast<T*>(p);
}

}  // namespace

int vyxclst(vyxstate* s) {
    if (s->groups.nclass == 0) return 0;
    if (!s->groups.grplist.head) {
        xpmlog(510, E510_CLASS_NO_LEVELS);
        return RC_EMPTYLEVELS;
    }
    ztrelst(&s->groups.grplist.head);
    int rc = orderlist(&s->groups.grplist.head, s->groups.clsorder[CO_CODE], s->groups.clsnumeric[CV_FIRST], s->groups.clssort[CV_FIRST], s->groups.rootgrp.nsub,
                       E510_LEVELS1_UNORDERED);
    if (rc) return rc;
    justify(s->groups.grplist.head);
    if (s->groups.nclass == 2) {
        for (grpnode* g = s->groups.grplist.head; g; g = g->next) {
            if (!g->subtree.head) {
                xpmlog(510, E510_CLASS_NO_LEVELS);
                return RC_EMPTYLEVELS;
            }
            ztrelst(&g->subtree.head);
            rc = orderlist(&g->subtree.head, s->groups.clsorder[CO_CODE2], s->groups.clsnumeric[CV_SECOND], s->groups.clssort[CV_SECOND], g->nsub,
                           E510_LEVELS2_UNORDERED);
            if (rc) return rc;
            justify(g->subtree.head);
        }
    }
    std::memset(s->groups.rootgrp.key, ' ', sizeof s->groups.rootgrp.key);
    s->groups.rootgrp.ordwork = 0;
    return 0;
}

namespace {

// The second-level levels in order of first appearance; fills levkeys[CV_SECOND], levvals[CV_SECOND], nlev[NLEV_SECOND].
int secondlevels(vyxstate* s) {
    int rc = 0;
    const int textpos = static_cast<int>(offsetof(levkeyrec, key));
    levkeyrec* tree = nullptr;
    levkeyrec* rec = nullptr;
    int32_t seq = 0, distinct = 0;
    for (grpnode* g = s->groups.grplist.head; g; g = g->next) {
        for (grpnode* h = g->subtree.head; h; h = h->next) {
            if (!rec && !(rec = alloc<levkeyrec>(s->pools.bypool, sizeof(levkeyrec), poolflag::raw, &rc))) return rc;
            std::memcpy(rec->key, h->key, 16);
            rec->numkey = h->numkey;
            rec->seq = seq++;
            void* r = ztrebld(&tree, rec, 16, textpos);
            if (!r) {
                xpmlog(510, E510_LEVEL_TABLE_FAILED);
                return RC_SETUP;
            }
            if (r == rec) {
                ++distinct;
                rec = nullptr;
            }
        }
    }
    ztrelst(&tree);
    levkeyrec* arr = alloc<levkeyrec>(s->pools.bypool, int64_t(distinct) * int64_t(sizeof(levkeyrec)), poolflag::raw, &rc);
    if (!arr) return rc;
    int i = 0;
    for (levkeyrec* r = tree; r && i < distinct; r = reinterpret_cast<levkeyrec*>(r->link.next)) arr[i++] = *r;
    levkeyrec* byseq = nullptr;
    for (int k = 0; k < distinct; ++k) {
        if (!ztrebld(&byseq, &arr[k], TREE_KEYINT, static_cast<int>(offsetof(levkeyrec, seq)))) {
            xpmlog(510, E510_LEVEL_TABLE_FAILED);
            return RC_SETUP;
        }
    }
    ztrelst(&byseq);
    char* texts = alloc<char>(s->pools.bypool, int64_t(distinct) * 16, poolflag::raw, &rc);
    if (!texts) return rc;
    double* vals = alloc<double>(s->pools.bypool, int64_t(distinct) * 8, poolflag::raw, &rc);
    if (!vals) return rc;
    int j = 0;
    for (levkeyrec* r = byseq; r && j < distinct; r = reinterpret_cast<levkeyrec*>(r->link.next), ++j) {
        std::memcpy(texts + 16 * j, r->key, 16);
        vals[j] = r->numkey;
    }
    s->groups.levkeys[CV_SECOND] = texts;
    s->groups.levvals[CV_SECOND] = vals;
    s->groups.nlev[NLEV_SECOND] = static_cast<uint32_t>(distinct);
    return 0;
}

// The grid of first-level by second-level cells; returns 0 or a code, counts the cells.
int buildgrid(vyxstate* s) {
    int rc = 0;
    const int n1 = static_cast<int>(s->groups.nlev[NLEV_FIRST]), n2 = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
    grpnode** grid = alloc<grpnode*>(s->pools.bypool, int64_t(n1) * n2 * int64_t(sizeof(grpnode*)), poolflag::zeroed, &rc);
    if (!grid) return rc;
    // A tree of the second-level texts that knows each text's column.
    levkeyrec* cols = alloc<levkeyrec>(s->pools.bypool, int64_t(n2) * int64_t(sizeof(levkeyrec)), poolflag::raw, &rc);
    if (!cols) return rc;
    const int textpos = static_cast<int>(offsetof(levkeyrec, key));
    levkeyrec* tree = nullptr;
    for (int j = 0; j < n2; ++j) {
        std::memcpy(cols[j].key, s->groups.levkeys[CV_SECOND] + 16 * j, 16);
        cols[j].seq = j;
        if (!ztrebld(&tree, &cols[j], 16, textpos)) {
            xpmlog(510, E510_LEVEL_TABLE_FAILED);
            return RC_SETUP;
        }
    }
    int cells = 0, i = 0;
    levkeyrec probe{};
    for (grpnode* g = s->groups.grplist.head; g && i < n1; g = g->next, ++i) {
        for (grpnode* h = g->subtree.head; h; h = h->next) {
            std::memcpy(probe.key, h->key, 16);
            auto* c = static_cast<levkeyrec*>(ztrefnd(&tree, &probe, 16, textpos));
            if (!c) continue;
            grpnode*& cell = grid[int64_t(i) * n2 + c->seq];
            if (!cell) ++cells;
            cell = h;
        }
    }
    s->groups.grpgrid = grid;
    s->groups.ncells = cells;
    return 0;
}

int longest(const char* texts, int n) {
    int w = 0;
    for (int i = 0; i < n; ++i) {
        int len = wzstrip(texts + 16 * i, 16);
        if (len > w) w = len;
    }
    return w;
}

}  // namespace

int vyxordr(vyxstate* s) {
    s->groups.nlev[NLEV_SECOND] = 0;
    s->groups.levkeys[CV_SECOND] = nullptr;
    s->groups.levvals[CV_SECOND] = nullptr;
    int rc = 0;
    if (s->groups.nclass == 2 && (rc = secondlevels(s)) != 0) return rc;
    if (s->groups.nclass >= 1) {
        const int n1 = s->groups.rootgrp.nsub;
        char* texts = alloc<char>(s->pools.bypool, int64_t(n1) * 16, poolflag::raw, &rc);
        if (!texts) return rc;
        double* vals = alloc<double>(s->pools.bypool, int64_t(n1) * 8, poolflag::raw, &rc);
        if (!vals) return rc;
        int i = 0;
        for (grpnode* g = s->groups.grplist.head; g && i < n1; g = g->next, ++i) {
            std::memcpy(texts + 16 * i, g->key, 16);
            vals[i] = g->numkey;
        }
        s->groups.levkeys[CV_FIRST] = texts;
        s->groups.levvals[CV_FIRST] = vals;
        s->groups.nlev[NLEV_FIRST] = static_cast<uint32_t>(i);
    }
    switch (s->groups.nclass) {
        case 0:
            s->groups.ncells = 1;
            s->groups.grpcolw = 0;
            break;
        case 1:
            s->groups.ncells = static_cast<int32_t>(s->groups.nlev[NLEV_FIRST]);
            s->groups.grpcolw = static_cast<uint32_t>(longest(s->groups.levkeys[CV_FIRST], static_cast<int>(s->groups.nlev[NLEV_FIRST])));
            break;
        default:
            if ((rc = buildgrid(s)) != 0) return rc;
            // The widest pair of texts is the widest first-level text with the widest second.
            s->groups.grpcolw = static_cast<uint32_t>(longest(s->groups.levkeys[CV_FIRST], static_cast<int>(s->groups.nlev[NLEV_FIRST])) +
                                               longest(s->groups.levkeys[CV_SECOND], static_cast<int>(s->groups.nlev[NLEV_SECOND])));
            break;
    }
    // The groups a plot draws: the whole data, every level, or every cell of the grid that
    // holds data (the plots' symbols and legend entries count them).
    s->groups.nplotgrp = static_cast<uint32_t>(s->groups.nclass == 0 ? 1 : s->groups.nclass == 1 ? s->groups.nlev[NLEV_FIRST] : 0);
    if (s->groups.nclass == 2 && s->groups.grpgrid)
        for (int64_t k = 0; k < int64_t(s->groups.nlev[NLEV_FIRST]) * s->groups.nlev[NLEV_SECOND]; ++k) s->groups.nplotgrp += s->groups.grpgrid[k] != nullptr;
    return 0;
}
