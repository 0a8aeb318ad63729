// Vector 10: the host's balanced trees. Nodes are the caller's records; every node
// handed to a tree (the host's or the module's own) begins with the head below, so that
// one iterator and one flattening serve both kinds of tree.
#pragma once
#include <cstdint>
#include <cstring>

struct trenode {
    trenode* next;      // list link once the tree is flattened (ztrelst)
    trenode* left;      // tree links
    trenode* right;
    int16_t bal;        // balance: -1, 0 or +1 (17 marks an iteration state, see ztreord)
};

// Key lengths of the host trees: > 0 compares that many bytes (unsigned), 0 a signed
// 32-bit integer, and two numeric orders of doubles that differ in where missing values go.
enum : int {
    TREE_KEYINT = 0,
    TREE_KEYNUM = -2,       // missing values before every number (the host's standard order)
    TREE_KEYNUMLAST = -7,   // missing values after every number
};

// A tree handle is the address of the tree's root word; the word after it belongs to the
// caller (a spare node, for instance). Nodes and handles are passed untyped because
// every record type of the callers carries the trenode head.
struct vec10 {
    // Inserts node, or finds the node with an equal key; returns the node holding the key,
    // null on failure (null node, bad key length).
    void* (*ztrebld)(void* tree, void* node, int keylen, int keypos);
    // Flattens the tree into its ordered list through trenode::next; the head is left in
    // the root word.
    void (*ztrelst)(void* tree);
    // The node whose key equals the key of the record key, or null.
    void* (*ztrefnd)(void* tree, const void* key, int keylen, int keypos);
};

// The special-missing code of a missing value: the sixth byte of the double (bits 40 to
// 47), negated as a signed byte. The ordinary missing value FFFFFE0000000000 has code 2.
inline int missingcode(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return -static_cast<int>(static_cast<int8_t>(static_cast<uint8_t>(b >> 40)));
}

// The host's missing-value order of doubles: every missing value (NaN) before every
// number, missing values by their codes, numbers by value. -1, 0 or 1.
inline int missorder(double a, double b) {
    bool ma = a != a, mb = b != b;
    if (ma || mb) {
        if (!mb) return -1;
        if (!ma) return 1;
        int ca = missingcode(a), cb = missingcode(b);
        return ca < cb ? -1 : (ca > cb ? 1 : 0);
    }
    return a < b ? -1 : (a > b ? 1 : 0);
}
