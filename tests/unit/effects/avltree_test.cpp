// The threaded AVL tree against std::map: a million random inserts, finds and removals with
// the ordered walks both ways, and the tree's height under ascending inserts.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <vector>
#include "proc/effects/avltree.h"

namespace {

struct Node {
    avlnode head;
    char key[8];                // big-endian, so that bytes order as numbers
    int value;
};
constexpr int KEYOFF = offsetof(Node, key);

void setkey(char* k, uint32_t v) {
    for (int i = 0; i < 4; ++i) k[i] = static_cast<char>(v >> (24 - 8 * i));
    std::memset(k + 4, 'x', 4);
}

int height(const avlnode* n) {
    if (!n) return 0;
    const int l = (n->link[0] & 1) ? 0 : height(reinterpret_cast<const avlnode*>(n->link[0]));
    const int r = (n->link[1] & 1) ? 0 : height(reinterpret_cast<const avlnode*>(n->link[1]));
    EXPECT_EQ(n->avlbal, r - l);
    EXPECT_LE(std::abs(r - l), 1);
    return 1 + std::max(l, r);
}

TEST(AvlTree, AMillionRandomOperationsAgreeWithStdMap) {
    std::mt19937 rng(7);
    std::vector<Node> pool(200000);
    std::vector<Node*> spare;
    for (auto& n : pool) spare.push_back(&n);
    void* root = nullptr;
    std::map<uint32_t, Node*> ref;
    char key[8];
    for (int op = 0; op < 1000000; ++op) {
        const uint32_t v = rng() % 150000;
        setkey(key, v);
        const int what = static_cast<int>(rng() % 10);
        if (what < 5) {
            if (spare.empty()) continue;
            Node* n = spare.back();
            std::memcpy(n->key, key, 8);
            n->value = op;
            void* got = zavl_add_tchra(&root, n, KEYOFF, 8);
            auto it = ref.find(v);
            if (it == ref.end()) {
                ASSERT_EQ(got, n);
                ref[v] = n;
                spare.pop_back();
            } else {
                ASSERT_EQ(got, it->second);   // an equal key: the node already there
            }
        } else if (what < 8) {
            void* got = zavl_find_tchra(root, key, KEYOFF, 8);
            auto it = ref.find(v);
            ASSERT_EQ(got, it == ref.end() ? nullptr : it->second);
        } else {
            void* got = zavl_rem_tchra(&root, key, KEYOFF, 8);
            auto it = ref.find(v);
            ASSERT_EQ(got, it == ref.end() ? nullptr : it->second);
            if (it != ref.end()) {
                spare.push_back(it->second);
                ref.erase(it);
            }
        }
        if (op % 100000 == 0) height(static_cast<avlnode*>(root));
    }
    height(static_cast<avlnode*>(root));
    auto it = ref.begin();
    for (void* p = zavl_first_node(&root); p; p = zavl_next_node(p), ++it) {
        ASSERT_NE(it, ref.end());
        ASSERT_EQ(p, it->second);
    }
    EXPECT_EQ(it, ref.end());
    auto rit = ref.rbegin();
    for (void* p = zavl_last_node(&root); p; p = zavl_prev_node(p), ++rit) ASSERT_EQ(p, rit->second);
    EXPECT_EQ(rit, ref.rend());
    // as a list: forward through the right words, back through the left threads
    zavl2list(&root);
    std::vector<Node*> fwd;
    for (auto* n = static_cast<Node*>(root); n; n = reinterpret_cast<Node*>(n->head.link[1])) fwd.push_back(n);
    ASSERT_EQ(fwd.size(), ref.size());
    for (size_t i = 1; i < fwd.size(); ++i)
        ASSERT_EQ(reinterpret_cast<Node*>(fwd[i]->head.link[0] & ~uintptr_t{1}), fwd[i - 1]);
}

TEST(AvlTree, AscendingInsertsKeepTheHeightLogarithmic) {
    std::vector<Node> nodes(1 << 16);
    void* root = nullptr;
    for (size_t i = 0; i < nodes.size(); ++i) {
        setkey(nodes[i].key, static_cast<uint32_t>(i));
        ASSERT_EQ(zavl_add_tchra(&root, &nodes[i], KEYOFF, 8), &nodes[i]);
    }
    EXPECT_EQ(height(static_cast<avlnode*>(root)), 17);   // a full tree of 2^16 - 1 plus one leaf
    EXPECT_EQ(zavl_first_node(&root), &nodes[0]);
    EXPECT_EQ(zavl_next_node(&nodes.back()), nullptr);
    EXPECT_EQ(static_cast<const avlnode*>(zavl_first_node(&root))->link[0], 1u);
    void* empty = nullptr;
    EXPECT_EQ(zavl_first_node(&empty), nullptr);
}

}  // namespace
