// Vector 10 of the runtime: the host's trees, on the AVL insertion and search the module's
// own trees share (host/avltree.h), and their flattening into ordered lists.
#include "runtime/trees/trees.h"

#include <cstring>
#include <vector>

#include "host/avltree.h"

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

void* tbld(void* tree, void* node, int keylen, int keypos) {
    if (!tree || !node || keypos < 0) return nullptr;
    trenode** rootp = static_cast<trenode**>(tree);
    trenode* n = static_cast<trenode*>(node);
    if (keylen > 0) return avl::insert<false>(rootp, n, bytekey{keylen, keypos});
    if (keylen == TREE_KEYINT) return avl::insert<false>(rootp, n, intkey{keypos});
    if (keylen == TREE_KEYNUM || keylen == TREE_KEYNUMLAST) return avl::insert<false>(rootp, n, numkey{keypos, keylen == TREE_KEYNUMLAST});
    return nullptr;
}

void* tfnd(void* tree, const void* key, int keylen, int keypos) {
    if (!tree || !key || keypos < 0) return nullptr;
    trenode* root = *static_cast<trenode**>(tree);
    if (keylen > 0) return avl::find(root, key, bytekey{keylen, keypos});
    if (keylen == TREE_KEYINT) return avl::find(root, key, intkey{keypos});
    if (keylen == TREE_KEYNUM || keylen == TREE_KEYNUMLAST) return avl::find(root, key, numkey{keypos, keylen == TREE_KEYNUMLAST});
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
