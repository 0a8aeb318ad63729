// The module's AVL trees, the host trees and the in-order iterator.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

#include "tests/support/hostfixture.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/trees.h"

namespace {

struct node {
    trenode head;
    double num;
    int32_t id;
    char text[16];
};
constexpr int kNum = offsetof(node, num);
constexpr int kId = offsetof(node, id);
constexpr int kText = offsetof(node, text);

int height(const trenode* n) { return n ? 1 + std::max(height(n->left), height(n->right)) : 0; }

// Checks the balance fields against the heights; returns the height or -1.
int checkavl(const trenode* n) {
    if (!n) return 0;
    int l = checkavl(n->left), r = checkavl(n->right);
    if (l < 0 || r < 0 || n->bal != r - l || std::abs(r - l) > 1) return -1;
    return 1 + std::max(l, r);
}

std::vector<int32_t> walk(void* handle) {
    std::vector<int32_t> ids;
    while (void* p = ztreord(handle)) ids.push_back(static_cast<node*>(p)->id);
    return ids;
}

int cmpid(const void* a, const void* b, int, int) {
    int32_t x = static_cast<const node*>(a)->id, y = static_cast<const node*>(b)->id;
    return x < y ? -1 : (x > y ? 1 : 0);
}

// A comparison that changes its mind after a given number of calls.
int g_calls = 0;
int fickle(const void*, const void*, int, int) { return ++g_calls <= 1 ? -1 : 1; }

}  // namespace

using Trees = HostTest;

TEST_F(Trees, ExistingKeyReturnsTheNodeInTheTree) {
    std::vector<node> n(3);
    trenode* root = nullptr;
    n[0].id = 5, n[1].id = 7, n[2].id = 5;
    ASSERT_EQ(ztrebdf(&root, &n[0], 4, kId, nullptr), &n[0]);
    ASSERT_EQ(ztrebdf(&root, &n[1], 4, kId, nullptr), &n[1]);
    trenode before = *root;
    EXPECT_EQ(ztrebdf(&root, &n[2], 0, 0, cmpid), &n[0]);
    EXPECT_EQ(root, &n[0].head);
    EXPECT_EQ(root->left, before.left);
    EXPECT_EQ(root->right, before.right);
    EXPECT_EQ(root->bal, before.bal);
}

TEST_F(Trees, OneTwoThreeRotatesToRootTwo) {
    std::vector<node> n(3);
    trenode* root = nullptr;
    for (int i = 0; i < 3; ++i) {
        n[i].id = i + 1;
        ASSERT_EQ(ztrebdf(&root, &n[i], 0, 0, cmpid), &n[i]);
    }
    EXPECT_EQ(root, &n[1].head);
    EXPECT_EQ(root->left, &n[0].head);
    EXPECT_EQ(root->right, &n[2].head);
    EXPECT_EQ(root->bal, 0);
}

TEST_F(Trees, NaNDoubleKeyEqualsTheFirstNodeReached) {
    std::vector<node> n(3);
    trenode* root = nullptr;
    n[0].num = 5.0, n[1].num = 9.0, n[2].num = std::nan("");
    ztrebdf(&root, &n[0], -1, kNum, nullptr);
    ztrebdf(&root, &n[1], -1, kNum, nullptr);
    EXPECT_EQ(ztrebdf(&root, &n[2], -1, kNum, nullptr), &n[0]);
    EXPECT_EQ(ztrefdf(&root, &n[2], -1, kNum, nullptr), &n[0]);
}

TEST_F(Trees, InconsistentComparisonLeavesTheTreeAlone) {
    std::vector<node> n(2);
    trenode* root = nullptr;
    ztrebdf(&root, &n[0], 0, 0, cmpid);
    g_calls = 0;
    EXPECT_EQ(ztrebdf(&root, &n[1], 0, 0, fickle), nullptr);
    EXPECT_TRUE(log.has("ztrebld: invalid compare"));
    EXPECT_EQ(root, &n[0].head);
    EXPECT_EQ(root->left, nullptr);
    EXPECT_EQ(root->right, nullptr);
    EXPECT_EQ(root->bal, 0);
}

TEST_F(Trees, FindReportsMissingKeys) {
    std::vector<node> n(50);
    trenode* root = nullptr;
    for (int i = 0; i < 50; ++i) {
        n[i].id = 2 * i;
        ztrebdf(&root, &n[i], 0, 0, cmpid);
    }
    node probe{};
    probe.id = 42;
    EXPECT_EQ(ztrefdf(&root, &probe, 0, 0, cmpid), &n[21]);
    probe.id = 43;
    EXPECT_EQ(ztrefdf(&root, &probe, 0, 0, cmpid), nullptr);
}

TEST_F(Trees, MillionInsertsStayBalancedAndIterateInOrder) {
    const int n = 1000000;
    std::vector<node> nodes(n);
    std::vector<int32_t> ids(n);
    for (int i = 0; i < n; ++i) ids[i] = i;
    std::mt19937 rng(7);
    std::shuffle(ids.begin(), ids.end(), rng);
    trenode* own = nullptr;
    for (int i = 0; i < n; ++i) {
        nodes[i].id = ids[i];
        ASSERT_EQ(ztrebdf(&own, &nodes[i], 0, 0, cmpid), &nodes[i]);
    }
    const double bound = 1.45 * std::log2(double(n));
    int h = checkavl(own);
    ASSERT_GT(h, 0);
    EXPECT_LE(h, bound);
    std::vector<int32_t> seen = walk(&own);
    ASSERT_EQ(seen.size(), size_t(n));
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    // The host tree, keyed by a signed integer, over the same nodes in ascending order
    // (the worst order for an unbalanced tree).
    std::vector<node> asc(n);
    trenode* hostroot = nullptr;
    for (int i = 0; i < n; ++i) {
        asc[i].id = i - n / 2;
        ASSERT_EQ(ztrebld(&hostroot, &asc[i], TREE_KEYINT, kId), &asc[i]);
    }
    h = checkavl(hostroot);
    ASSERT_GT(h, 0);
    EXPECT_LE(h, bound);
    ztrelst(&hostroot);
    int count = 0;
    int32_t last = INT32_MIN;
    for (trenode* p = hostroot; p; p = p->next, ++count) {
        EXPECT_LT(last, reinterpret_cast<node*>(p)->id);
        last = reinterpret_cast<node*>(p)->id;
    }
    EXPECT_EQ(count, n);
}

TEST_F(Trees, EmptyTreeIteratesToNullAndEndRestoresTheHandle) {
    trenode* root = nullptr;
    EXPECT_EQ(ztreord(&root), nullptr);
    ztreofx(&root);
    EXPECT_EQ(root, nullptr);

    std::vector<node> n(5);
    for (int i = 0; i < 5; ++i) {
        n[i].id = 4 - i;
        ztrebdf(&root, &n[i], 0, 0, cmpid);
    }
    trenode* saved = root;
    EXPECT_EQ(walk(&root), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    ztreofx(&root);
    EXPECT_EQ(root, saved);
    // A new walk starts over after the end.
    EXPECT_EQ(walk(&root), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    // A partial walk ended early restores the handle too.
    ASSERT_NE(ztreord(&root), nullptr);
    EXPECT_NE(root, saved);
    ztreofx(&root);
    EXPECT_EQ(root, saved);
}

TEST_F(Trees, IterationStopsAtTheDepthLimit) {
    // A chain of left children deeper than the iterator's stack.
    const int depth = ZTRE_MAXDEPTH + 20;
    std::vector<node> n(depth);
    for (int i = 0; i < depth; ++i) {
        n[i].id = depth - i;
        n[i].head.left = i + 1 < depth ? &n[i + 1].head : nullptr;
        n[i].head.right = nullptr;
        n[i].head.bal = -1;
    }
    trenode* root = &n[0].head;
    std::vector<int32_t> seen = walk(&root);
    EXPECT_TRUE(log.has("ZTREORD: overflow stack"));
    EXPECT_LT(seen.size(), size_t(depth));
    EXPECT_EQ(root, &n[0].head);

    // A chain exactly at the limit is walked whole.
    trenode* root2 = &n[20].head;
    log.lines.clear();
    EXPECT_EQ(walk(&root2).size(), size_t(ZTRE_MAXDEPTH));
    EXPECT_FALSE(log.has("overflow"));
}

TEST_F(Trees, HostNumericOrdersPlaceMissingValuesFirstOrLast) {
    const double miss = hostmissing();
    double dotA;   // a special missing value with code 3
    uint64_t bits = 0xFFFFFD0000000000ull;
    std::memcpy(&dotA, &bits, 8);
    const double vals[] = {3.0, miss, -1.0, dotA, 0.5};
    for (int keylen : {TREE_KEYNUM, TREE_KEYNUMLAST}) {
        std::vector<node> n(5);
        trenode* root = nullptr;
        for (int i = 0; i < 5; ++i) {
            n[i].num = vals[i];
            n[i].id = i;
            ASSERT_EQ(ztrebld(&root, &n[i], keylen, kNum), &n[i]);
        }
        node again{};
        again.num = miss;
        EXPECT_EQ(ztrebld(&root, &again, keylen, kNum), &n[1]) << "equal missing values are one key";
        EXPECT_EQ(ztrefnd(&root, &again, keylen, kNum), &n[1]);
        ztrelst(&root);
        std::vector<int32_t> order;
        for (trenode* p = root; p; p = p->next) order.push_back(reinterpret_cast<node*>(p)->id);
        if (keylen == TREE_KEYNUM)
            EXPECT_EQ(order, (std::vector<int32_t>{1, 3, 2, 4, 0}));
        else
            EXPECT_EQ(order, (std::vector<int32_t>{2, 4, 0, 1, 3}));
    }
}

TEST_F(Trees, HostTextKeysCompareUnsignedBytes) {
    const char* texts[] = {"b", "A", "\xe9t\xe9", "a", "B"};
    std::vector<node> n(5);
    trenode* root = nullptr;
    for (int i = 0; i < 5; ++i) {
        std::memset(n[i].text, ' ', 16);
        std::memcpy(n[i].text, texts[i], std::strlen(texts[i]));
        n[i].id = i;
        ztrebld(&root, &n[i], 16, kText);
    }
    ztrelst(&root);
    std::vector<int32_t> order;
    for (trenode* p = root; p; p = p->next) order.push_back(reinterpret_cast<node*>(p)->id);
    EXPECT_EQ(order, (std::vector<int32_t>{1, 4, 3, 0, 2}));
    EXPECT_EQ(ztrebld(&root, &n[0], 7, -1), nullptr) << "a negative key position is refused";
}
