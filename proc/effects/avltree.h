// A small intrusive threaded AVL tree with fixed-length byte keys. The nodes are the
// caller's records; their first three words belong to the tree (avlnode). A link with bit 0
// clear is a child; with bit 0 set it is a thread to the in-order predecessor (left) or
// successor (right), exactly 1 when there is none. No allocation, no recursion.
#pragma once
#include <cstdint>

struct avlnode {
    uintptr_t link[2];         // left, right
    int32_t avlbal;            // height of the right subtree minus that of the left: -1, 0, 1
};

// Inserts node (key of keylen bytes at keyoff, compared as unsigned bytes): node when its key
// was new, else the node already holding the key (node is then not linked).
void* zavl_add_tchra(void** root, void* node, int keyoff, int keylen);
// The node whose key equals key, or null.
void* zavl_find_tchra(void* root, const void* key, int keyoff, int keylen);
void* zavl_first_node(void* const* root);
void* zavl_last_node(void* const* root);
// In-order successor / predecessor; null after the last (and for null).
void* zavl_next_node(const void* node);
void* zavl_prev_node(const void* node);
// Removes the node whose key equals key and rebalances; returns it, or null when absent.
void* zavl_rem_tchra(void** root, const void* key, int keyoff, int keylen);
// Rewrites the links into an ordered list: the root word holds the first node, each node's
// right word the next node (0 after the last), its left word the previous node with bit 0 set
// (1 for the first). The tree is gone afterwards.
void zavl2list(void** root);
