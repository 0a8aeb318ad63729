// Class-level ordering: the orders of the levels, the level arrays, the grid of cells and
// the width of the group column.
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/hostfixture.h"
#include "proc/framework/clsorder.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/vyxstate.h"

namespace {

std::string text16(const char* s) {
    std::string t(16, ' ');
    std::memcpy(t.data(), s, std::strlen(s));
    return t;
}

class ClassOrder : public HostTest {
protected:
    std::unique_ptr<vyxstate> s;
    std::vector<std::unique_ptr<grpnode>> nodes;

    void SetUp() override {
        HostTest::SetUp();
        s = std::make_unique<vyxstate>();
        s->pools.bypool = xmpoolc(8192, 8192, 4);
        s->pools.stmtpool = xmpoolc(8192, 8192, 4);
    }
    void TearDown() override {
        xmpoold(s->pools.bypool);
        xmpoold(s->pools.stmtpool);
        HostTest::TearDown();
    }

    // A level node found by the BY-group reader: inserted by its formatted text, as the
    // reader does, into the tree at *tree.
    grpnode* level(void* tree, const char* fmt, double num = 0, double ordkey = 0, const char* raw = nullptr) {
        nodes.push_back(std::make_unique<grpnode>());
        grpnode* g = nodes.back().get();
        std::memcpy(g->key, text16(fmt).data(), 16);
        std::memcpy(g->rawkey, text16(raw ? raw : fmt).data(), 16);
        g->numkey = num;
        g->ordkey = ordkey;
        EXPECT_EQ(ztrebld(tree, g, 16, offsetof(grpnode, key)), g);
        return g;
    }
    grpnode* first(const char* fmt, double num = 0, double ordkey = 0, const char* raw = nullptr) {
        ++s->groups.rootgrp.nsub;
        return level(&s->groups.grplist.head, fmt, num, ordkey, raw);
    }
    grpnode* second(grpnode* g, const char* fmt, double num = 0) {
        ++g->nsub;
        return level(&g->subtree.head, fmt, num);
    }
    std::vector<std::string> firstkeys() {
        std::vector<std::string> out;
        for (grpnode* g = s->groups.grplist.head; g; g = g->next) out.push_back(std::string(g->key, 16).substr(0, g->keylen));
        return out;
    }
};

}  // namespace

TEST_F(ClassOrder, NoClassVariableIsOneCell) {
    s->groups.nclass = 0;
    EXPECT_EQ(vyxclst(s.get()), 0);
    EXPECT_EQ(vyxordr(s.get()), 0);
    EXPECT_EQ(s->groups.ncells, 1);
    EXPECT_EQ(s->groups.grpcolw, 0u);
}

TEST_F(ClassOrder, EmptyLevelListIsReported) {
    s->groups.nclass = 1;
    EXPECT_EQ(vyxclst(s.get()), RC_EMPTYLEVELS);
    EXPECT_TRUE(log.has("no levels"));

    s->groups.nclass = 2;
    first("A");
    log.lines.clear();
    EXPECT_EQ(vyxclst(s.get()), RC_EMPTYLEVELS);
    EXPECT_TRUE(log.has("no levels"));
}

TEST_F(ClassOrder, FrequencyOrderWithEqualKeysKeepsListOrder) {
    s->groups.nclass = 1;
    s->groups.clsorder[0] = 2;
    grpnode* a = first("C", 0, -4.0);
    grpnode* b = first("A", 0, -4.0);
    grpnode* c = first("B", 0, -4.0);
    ASSERT_EQ(vyxclst(s.get()), 0);
    // The reader's tree lists A, B, C; the offsets 0, 1/6 and 1/3 keep that order.
    EXPECT_EQ(firstkeys(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_DOUBLE_EQ(b->ordkey, -4.0);
    EXPECT_DOUBLE_EQ(c->ordkey, -4.0 + 1.0 / 6);
    EXPECT_DOUBLE_EQ(a->ordkey, -4.0 + 1.0 / 3);
}

TEST_F(ClassOrder, FrequencyOrderPutsTheHeaviestFirst) {
    s->groups.nclass = 1;
    s->groups.clsorder[0] = 2;
    first("A", 0, -1.0);
    first("B", 0, -5.0);
    first("C", 0, -3.0);
    ASSERT_EQ(vyxclst(s.get()), 0);
    EXPECT_EQ(firstkeys(), (std::vector<std::string>{"B", "C", "A"}));
}

TEST_F(ClassOrder, FractionalWeightsThatTieAfterTheOffsetsLoseNoLevel) {
    // A (weight 1) and B (weight 1.25) meet at -1 once B gets its offset of 1/4.
    s->groups.nclass = 1;
    s->groups.clsorder[0] = 2;
    first("A", 0, -1.0);
    first("B", 0, -1.25);
    ASSERT_EQ(vyxclst(s.get()), 0);
    EXPECT_EQ(firstkeys(), (std::vector<std::string>{"A", "B"}));
    ASSERT_EQ(vyxordr(s.get()), 0);
    EXPECT_EQ(s->groups.nlev[1], 2u);
}

TEST_F(ClassOrder, FormattedOrderKeepsTheReadersOrder) {
    s->groups.nclass = 1;
    s->groups.clsorder[0] = 1;
    first("b", 2);
    first("a", 3);
    first("c", 1);
    ASSERT_EQ(vyxclst(s.get()), 0);
    EXPECT_EQ(firstkeys(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(ClassOrder, DataOrderFollowsFirstAppearance) {
    s->groups.nclass = 1;
    s->groups.clsorder[0] = 3;
    first("x", 0, 3);
    first("y", 0, 1);
    first("z", 0, 2);
    ASSERT_EQ(vyxclst(s.get()), 0);
    EXPECT_EQ(firstkeys(), (std::vector<std::string>{"y", "z", "x"}));
}

TEST_F(ClassOrder, InternalOrderOfNumbersKeepsMissingValuesBySortByte) {
    const double miss = hostmissing();
    for (int sortbyte : {1, 0}) {
        nodes.clear();
        s->groups.grplist.head = nullptr;
        s->groups.rootgrp.nsub = 0;
        s->groups.nclass = 1;
        s->groups.clsorder[0] = 0;
        s->groups.clsnumeric[0] = 1;
        s->groups.clssort[0] = static_cast<uint8_t>(sortbyte);
        first("10", 10);
        first("2", 2);
        first(".", miss);
        first("-1", -1);
        ASSERT_EQ(vyxclst(s.get()), 0);
        if (sortbyte)
            EXPECT_EQ(firstkeys(), (std::vector<std::string>{".", "-1", "2", "10"}));
        else
            EXPECT_EQ(firstkeys(), (std::vector<std::string>{"-1", "2", "10", "."}));
    }
}

TEST_F(ClassOrder, InternalOrderOfTextsUsesTheRawValues) {
    s->groups.nclass = 1;
    s->groups.clsorder[0] = 0;
    s->groups.clsnumeric[0] = 0;
    first("Low", 0, 0, "1");
    first("High", 0, 0, "3");
    first("Mid", 0, 0, "2");
    ASSERT_EQ(vyxclst(s.get()), 0);
    EXPECT_EQ(firstkeys(), (std::vector<std::string>{"Low", "Mid", "High"}));
}

TEST_F(ClassOrder, TextsAreLeftJustifiedAndMeasured) {
    s->groups.nclass = 1;
    s->groups.clsorder[0] = 1;
    grpnode* g = first("   ab");
    ASSERT_EQ(vyxclst(s.get()), 0);
    EXPECT_EQ(std::string(g->key, 16), text16("ab"));
    EXPECT_EQ(g->keylen, 2);
    EXPECT_TRUE(std::memcmp(s->groups.rootgrp.key, text16("").data(), 16) == 0);
    EXPECT_EQ(s->groups.rootgrp.ordwork, 0);
}

TEST_F(ClassOrder, GroupColumnIsTheLongestText) {
    s->groups.nclass = 1;
    s->groups.clsorder[0] = 1;
    first("A", 1);
    first("Twelve chars", 12);
    ASSERT_EQ(vyxclst(s.get()), 0);
    ASSERT_EQ(vyxordr(s.get()), 0);
    EXPECT_EQ(s->groups.grpcolw, 12u);
    EXPECT_EQ(s->groups.ncells, 2);
    EXPECT_EQ(s->groups.nlev[1], 2u);
    EXPECT_EQ(std::string(s->groups.levkeys[0], 16), text16("A"));
    EXPECT_EQ(std::string(s->groups.levkeys[0] + 16, 16), text16("Twelve chars"));
    EXPECT_EQ(s->groups.levvals[0][1], 12.0);
}

TEST_F(ClassOrder, TwoClassVariablesTakeTheUnionOfSecondLevels) {
    s->groups.nclass = 2;
    s->groups.clsorder[0] = 1;
    s->groups.clsorder[1] = 3;   // data order inside each first level
    grpnode* g1 = first("G1");
    grpnode* g2 = first("G2");
    // G1 has y then x; G2 has x then z (ordering keys give the data order).
    grpnode* g1y = second(g1, "y", 2);
    g1y->ordkey = 1;
    grpnode* g1x = second(g1, "x", 1);
    g1x->ordkey = 2;
    grpnode* g2x = second(g2, "x", 1);
    g2x->ordkey = 1;
    grpnode* g2z = second(g2, "zz", 3);
    g2z->ordkey = 2;
    ASSERT_EQ(vyxclst(s.get()), 0);
    ASSERT_EQ(vyxordr(s.get()), 0);
    ASSERT_EQ(s->groups.nlev[0], 3u);
    ASSERT_EQ(s->groups.nlev[1], 2u);
    // Second-level levels in order of first appearance: y, x, zz.
    EXPECT_EQ(std::string(s->groups.levkeys[1], 16), text16("y"));
    EXPECT_EQ(std::string(s->groups.levkeys[1] + 16, 16), text16("x"));
    EXPECT_EQ(std::string(s->groups.levkeys[1] + 32, 16), text16("zz"));
    EXPECT_EQ(s->groups.levvals[1][2], 3.0);
    grpnode** grid = s->groups.grpgrid;
    EXPECT_EQ(grid[0 * 3 + 0], g1y);
    EXPECT_EQ(grid[0 * 3 + 1], g1x);
    EXPECT_EQ(grid[0 * 3 + 2], nullptr);
    EXPECT_EQ(grid[1 * 3 + 0], nullptr);
    EXPECT_EQ(grid[1 * 3 + 1], g2x);
    EXPECT_EQ(grid[1 * 3 + 2], g2z);
    EXPECT_EQ(s->groups.ncells, 4);
    EXPECT_EQ(s->groups.grpcolw, 2u + 2u);
}
