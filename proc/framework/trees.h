// The module's own AVL trees and the in-order iterator that walks them and the host's
// trees alike. Nodes begin with a trenode head (host/vec10_trees.h); a tree is the
// address of its root word.
#pragma once
#include <cstdint>
#include "host/vec10_trees.h"

// A comparison of two nodes' keys: negative, 0 or positive.
typedef int (*trecmp)(const void* a, const void* b, int keylen, int keypos);

// Inserts node; returns it, or the node already holding an equal key (the tree is then
// unchanged), or null when the comparison is inconsistent (the tree is then unchanged too).
// Without compare: keylen < 0 compares the doubles at keypos (unordered counts as equal),
// else keylen bytes at keypos.
void* ztrebdf(void* root, void* node, int keylen, int keypos, trecmp compare);
// The node whose key equals the key of the record key, or null.
void* ztrefdf(void* root, const void* key, int keylen, int keypos, trecmp compare);
// The default comparison: memcmp of len bytes at byte position pos.
int ztrecc(const void* a, const void* b, int len, int pos);

// In-order iteration: the first call sets up an iteration state on the handle, every call
// returns the next node, null at the end. At the end the handle is restored, so that the
// next call starts over. A tree deeper than ZTRE_MAXDEPTH ends the iteration early.
void* ztreord(void* handle);
// Ends an iteration early and restores the handle; nothing when none is under way.
void ztreofx(void* handle);

enum : int { ZTRE_MAXDEPTH = 480, ZTRE_ITERTAG = 17 };
